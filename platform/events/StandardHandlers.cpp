// The standard handling of events that no handler took (see detail/StandardHandlers.h).
#include "events/detail/StandardHandlers.h"

#include <iterator>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "MacWindows.h"
#include "events/detail/EventInternal.h"
#include "ui/detail/MenuRecord.h"

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

// {'keyb', 1} on the application: a key typed with the Command key that is a menu item's key
// equivalent chooses the item, whose command event goes out ({'cmds', 1}).
OSStatus ApplicationMenuKeyEquivalent(EventRef event, EventTargetRef) {
  UInt32 modifiers = 0;
  char ch = 0;
  if (GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                        nullptr, &modifiers) != noErr ||
      GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch, nullptr,
                        &ch) != noErr) {
    return eventNotHandledErr;
  }
  return sp_platform::menus::HandleCommandKey(UInt8(ch), modifiers);
}

// {'keyb', 1 and 2} on the application: a key nobody took becomes typed text, as the text
// services did: a {'text', 2} event carrying the key's character ('tstx', MacJapanese) and the
// key event itself ('tske'), sent to the window keys go to (the front window), else the
// application.
OSStatus ApplicationTextFromKey(EventRef event, EventTargetRef) {
  char ch = 0;
  if (GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch, nullptr,
                        &ch) != noErr) {
    return eventNotHandledErr;
  }
  EventRef text = nullptr;
  if (CreateEvent(nullptr, kEventClassTextInput, kEventTextInputUnicodeForKeyEvent,
                  GetEventTime(event), kEventAttributeUserEvent, &text) != noErr) {
    return eventNotHandledErr;
  }
  SetEventParameter(text, kEventParamTextInputSendText, typeChar, 1, &ch);
  SetEventParameter(text, kEventParamTextInputSendKeyboardEvent, typeEventRef, sizeof event,
                    &event);
  WindowRef front = FrontWindow();
  EventTargetRef focus =
      front != nullptr ? GetWindowEventTarget(front) : GetApplicationEventTarget();
  OSStatus status = SendEventToEventTarget(text, focus);
  ReleaseEvent(text);
  return status;
}

const StandardHandlerRow kRows[] = {
    {kEventClassCommand, kEventCommandProcess, kEventTargetKindApplication,
     ApplicationCommandProcess,
     "the 'quit' HI command sends a quit Apple event to this process; other commands stay "
     "unhandled"},
    {kEventClassKeyboard, kEventRawKeyDown, kEventTargetKindApplication,
     ApplicationMenuKeyEquivalent,
     "a raw key-down with the Command key that is the key equivalent of an enabled menu item "
     "sends that item's command ({'cmds', 1}, MenuKey's search)"},
    {kEventClassKeyboard, kEventRawKeyDown, kEventTargetKindApplication, ApplicationTextFromKey,
     "a raw key-down nobody took (not a menu key equivalent) is sent on as typed text "
     "({'text', 2} with 'tstx' and 'tske') to the front window, else the application"},
    {kEventClassKeyboard, kEventRawKeyRepeat, kEventTargetKindApplication, ApplicationTextFromKey,
     "a repeated key nobody took is sent on as typed text, as a key-down is"},
};

bool TargetHasStandardHandling(EventTargetRef target, EventTargetKind kind) {
  if (kind != kEventTargetKindWindow) return true;
  WindowRef window = static_cast<WindowRef>(GetEventTargetOwner(target));
  WindowAttributes attributes = 0;
  return window != nullptr && GetWindowAttributes(window, &attributes) == noErr &&
         (attributes & kWindowStandardHandlerAttribute) != 0;
}

}  // namespace

const StandardHandlerRow* StandardHandlerTable(std::size_t* count) {
  static const std::vector<StandardHandlerRow> table = [] {
    std::vector<StandardHandlerRow> rows(std::begin(kRows), std::end(kRows));
    for (auto provider :
         {WindowStandardHandlerRows, DialogStandardHandlerRows, ControlStandardHandlerRows}) {
      std::size_t n = 0;
      const StandardHandlerRow* more = provider(&n);
      if (more != nullptr) rows.insert(rows.end(), more, more + n);
    }
    return rows;
  }();
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
