// The standard handling of keys that reached the application unhandled (menu key equivalents,
// typed text), and the one list of the user-interface managers' rows that the event layer's
// table runs after its own.
#include "ui/detail/StandardRows.h"

#include <iterator>
#include <vector>

#include "CarbonEvents.h"
#include "MacWindows.h"
#include "events/internal/EventLoop.h"
#include "ui/detail/MenuRecord.h"

namespace sp_platform {
namespace events {
namespace {

// {'keyb', 1} on the application: a key typed with the Command key that is a menu item's key
// equivalent chooses the item, whose command event goes out ({'cmds', 1}). Not while a modal
// dialog runs its loop: its menus are out of reach then (a press on them beeps), and so are
// their keys (Command-S in the save set-up would open a second set-up inside the first); the
// key goes on as typed text to the dialog, which takes its editing keys from there.
OSStatus ApplicationMenuKeyEquivalent(EventRef event, EventTargetRef) {
  if (ModalLoopDepth() > 0) return eventNotHandledErr;
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
// key event itself ('tske'), sent to the window keys go to (the front non-floating window, past
// any palette in front of it), else the application.
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
  WindowRef front = FrontNonFloatingWindow();
  EventTargetRef focus =
      front != nullptr ? GetWindowEventTarget(front) : GetApplicationEventTarget();
  OSStatus status = SendEventToEventTarget(text, focus);
  ReleaseEvent(text);
  return status;
}

const StandardHandlerRow kRows[] = {
    {kEventClassKeyboard, kEventRawKeyDown, kEventTargetKindApplication,
     ApplicationMenuKeyEquivalent,
     "a raw key-down with the Command key that is the key equivalent of an enabled menu item "
     "sends that item's command ({'cmds', 1}, MenuKey's search)"},
    {kEventClassKeyboard, kEventRawKeyDown, kEventTargetKindApplication, ApplicationTextFromKey,
     "a raw key-down nobody took (not a menu key equivalent) is sent on as typed text "
     "({'text', 2} with 'tstx' and 'tske') to the front non-floating window, else the "
     "application"},
    {kEventClassKeyboard, kEventRawKeyRepeat, kEventTargetKindApplication, ApplicationTextFromKey,
     "a repeated key nobody took is sent on as typed text, as a key-down is"},
};

}  // namespace

const StandardHandlerRow* ApplicationKeyStandardHandlerRows(std::size_t* count) {
  if (count != nullptr) *count = std::size(kRows);
  return kRows;
}

}  // namespace events

namespace ui {
namespace {

// The application's keys first: a menu key equivalent must be found before the key becomes
// typed text.
const events::StandardHandlerRow* InterfaceRows(std::size_t* count) {
  static const std::vector<events::StandardHandlerRow> rows = [] {
    std::vector<events::StandardHandlerRow> all;
    for (auto provider :
         {events::ApplicationKeyStandardHandlerRows, events::WindowStandardHandlerRows,
          events::DialogStandardHandlerRows, events::ControlStandardHandlerRows,
          events::MenuBarStandardHandlerRows}) {
      std::size_t n = 0;
      const events::StandardHandlerRow* more = provider(&n);
      if (more != nullptr) all.insert(all.end(), more, more + n);
    }
    return all;
  }();
  if (count != nullptr) *count = rows.size();
  return rows.data();
}

}  // namespace

void InstallStandardHandlerRows() {
  events::SetInterfaceStandardHandlerRows(InterfaceRows);
}

}  // namespace ui
}  // namespace sp_platform
