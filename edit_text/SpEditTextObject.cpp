#include "SpEditTextObject.h"

#include "CarbonEvents.h"
#include "SpCarbonEventHandlers.h"

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
