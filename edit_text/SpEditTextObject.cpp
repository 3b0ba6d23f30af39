#include "SpEditTextObject.h"

#include "CarbonEvents.h"
#include "SpCarbonEventHandlers.h"
#include "SpServiceHooks.h"
#include "SpTextService.h"

namespace {
// Set only by the test hook: no edit-text object exists yet.
bool gInlineInputInProgress = false;
}  // namespace

void SpETO_EventIdleProcedure() {}

unsigned char SpETO_EventKeyInProcedure(char, short) {
  return 0;
}

unsigned char SpETO_EventKeyStringInProcedure(const char*) {
  return 0;
}

unsigned char SpETO_ExistTextObjectAtEextInputInProgress() {
  return gInlineInputInProgress ? 1 : 0;
}

void SpETO_ResumeEditManager() {}

unsigned char SpETO_SuspendEditManager() {
  return 0;
}

void SpTSMSetupEventHandlerForCarbonEvent() {
  static const EventTypeSpec kTextInput = {kEventClassTextInput, kEventTextInputUnicodeForKeyEvent};
  InstallEventHandler(GetApplicationEventTarget(),
                      NewEventHandlerUPP(Sp_TextInputKeyEventHandlerProc), 1, &kTextInput, nullptr,
                      nullptr);
}

namespace sp_testing {
void SetInlineInputInProgress(bool inProgress) {
  gInlineInputInProgress = inProgress;
}
}  // namespace sp_testing

void SpETO_InstallEditTextServices() {
  sSpEditTextServices services = {};
  services.SpETO_EventIdleProcedure = SpETO_EventIdleProcedure;
  services.SpETO_EventKeyInProcedure = SpETO_EventKeyInProcedure;
  services.SpETO_EventKeyStringInProcedure = SpETO_EventKeyStringInProcedure;
  services.SpETO_ExistTextObjectAtEextInputInProgress = SpETO_ExistTextObjectAtEextInputInProgress;
  services.SpETO_ResumeEditManager = SpETO_ResumeEditManager;
  services.SpETO_SuspendEditManager = SpETO_SuspendEditManager;
  services.SpTS_EnableCursorChange = SpTS_EnableCursorChange;
  services.SpTS_MouseDownProcedure = SpTS_MouseDownProcedure;
  services.SpTS_ResumeProcedure = SpTS_ResumeProcedure;
  services.SpTS_SuspendProcedure = SpTS_SuspendProcedure;
  Sp_SetupEditTextServices(&services);
}
