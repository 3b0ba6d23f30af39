// The standard handling of events that no handler took (see internal/StandardHandlers.h).
#include "events/internal/StandardHandlers.h"

#include <iterator>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "MacWindows.h"
#include "events/detail/EventInternal.h"

namespace sp_platform {
namespace events {
namespace {

// Sends a quit Apple event to this process; the loop dispatches it on a later pass.
OSStatus SendQuitAppleEventToSelf() {
  ProcessSerialNumber self = {0, kCurrentProcess};
  AEAddressDesc target = {typeNull, nullptr};
  OSStatus err = AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target);
  if (err != noErr) return err;
  AppleEvent quit = {typeNull, nullptr};
  err = AECreateAppleEvent(kCoreEventClass, kAEQuitApplication, &target, kAutoGenerateReturnID,
                           kAnyTransactionID, &quit);
  if (err == noErr) {
    err = AESend(&quit, nullptr, kAENoReply, kAENormalPriority, kNoTimeOut, nullptr, nullptr);
  }
  AEDisposeDesc(&quit);
  AEDisposeDesc(&target);
  return err;
}

// {'cmds', 1} on the application: the quit command quits; other commands are nobody's.
OSStatus ApplicationCommandProcess(EventRef event, EventTargetRef) {
  HICommand command = {};
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                        nullptr, &command) != noErr) {
    return eventNotHandledErr;
  }
  if (command.commandID != kHICommandQuit) return eventNotHandledErr;
  OSStatus err = SendQuitAppleEventToSelf();
  return (err == noErr) ? OSStatus(noErr) : err;
}

const StandardHandlerRow kRows[] = {
    {kEventClassCommand, kEventCommandProcess, kEventTargetKindApplication,
     ApplicationCommandProcess,
     "the 'quit' HI command sends a quit Apple event to this process; other commands stay "
     "unhandled"},
};

StandardHandlerRowsProc& InterfaceRows() {
  static StandardHandlerRowsProc rows = nullptr;
  return rows;
}

std::vector<StandardHandlerRow>& Table() {
  static std::vector<StandardHandlerRow>* table = new std::vector<StandardHandlerRow>;
  return *table;
}

bool TargetHasStandardHandling(EventTargetRef target, EventTargetKind kind) {
  if (kind != kEventTargetKindWindow) return true;
  WindowRef window = static_cast<WindowRef>(GetEventTargetOwner(target));
  WindowAttributes attributes = 0;
  return window != nullptr && GetWindowAttributes(window, &attributes) == noErr &&
         (attributes & kWindowStandardHandlerAttribute) != 0;
}

}  // namespace

void SetInterfaceStandardHandlerRows(StandardHandlerRowsProc rows) {
  InterfaceRows() = rows;
  Table().clear();
}

const StandardHandlerRow* StandardHandlerTable(std::size_t* count) {
  std::vector<StandardHandlerRow>& table = Table();
  if (table.empty()) {
    table.assign(std::begin(kRows), std::end(kRows));
    if (StandardHandlerRowsProc provider = InterfaceRows()) {
      std::size_t n = 0;
      const StandardHandlerRow* more = provider(&n);
      if (more != nullptr) table.insert(table.end(), more, more + n);
    }
  }
  if (count != nullptr) *count = table.size();
  return table.data();
}

OSStatus RunStandardHandlers(EventRef event, EventTargetRef target) {
  EventTargetKind kind = GetEventTargetKind(target);
  UInt32 cls = GetEventClass(event);
  UInt32 eventKind = GetEventKind(event);
  bool checked = false;
  std::size_t count = 0;
  const StandardHandlerRow* table = StandardHandlerTable(&count);
  for (std::size_t i = 0; i < count; ++i) {
    const StandardHandlerRow& row = table[i];
    if (row.eventClass != cls || row.eventKind != eventKind || row.targetKind != kind) continue;
    if (!checked) {
      if (!TargetHasStandardHandling(target, kind)) return eventNotHandledErr;
      checked = true;
    }
    OSStatus status = row.handler(event, target);
    if (status != eventNotHandledErr) return status;
  }
  return eventNotHandledErr;
}

}  // namespace events
}  // namespace sp_platform
