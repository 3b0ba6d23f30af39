// The standard handling of events of controls that no handler took.
#include "Clock.h"
#include "Controls.h"
#include "ui/detail/ControlRecord.h"
#include "ui/detail/StandardRows.h"

namespace sp_platform {
namespace events {
namespace {

using controls::ControlRecord;

// A button pressed from the keyboard flashes this long, as if clicked.
constexpr UInt32 kFlashTicks = 8;

bool HasStandardHandler(WindowRef window) {
  WindowAttributes attributes = 0;
  return GetWindowAttributes(window, &attributes) == noErr &&
         (attributes & kWindowStandardHandlerAttribute) != 0;
}

// {'mous', 1} that reached the application unhandled: a press on a visible, active control in
// the content of a window with the standard handler is tracked (the control's own action
// procedure), and the tracking sends the hit when the press ends in the part.
OSStatus ControlClickNobodyTook(EventRef event, EventTargetRef) {
  Point global = {0, 0};
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof global,
                        nullptr, &global) != noErr) {
    return eventNotHandledErr;
  }
  UInt32 modifiers = 0;
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr,
                    &modifiers);
  WindowRef window = nullptr;
  if (FindWindow(global, &window) != inContent || window == nullptr) return eventNotHandledErr;
  if (!HasStandardHandler(window)) return eventNotHandledErr;
  Point local = global;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(GetWindowPort(window));
  GlobalToLocal(&local);
  SetPort(saved);
  ControlRef control = nullptr;
  if (FindControl(local, window, &control) == kControlNoPart) return eventNotHandledErr;
  HandleControlClick(control, local, EventModifiers(modifiers), kControlUseOwnActionProc);
  return noErr;
}

// {'keyb', 1} on a window with the standard handler: Return and Enter press the default
// button, Escape and Command-period the cancel button, when the button is visible and active.
OSStatus DefaultOrCancelButtonKey(EventRef event, EventTargetRef target) {
  char ch = 0;
  if (GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch, nullptr,
                        &ch) != noErr) {
    return eventNotHandledErr;
  }
  UInt32 modifiers = 0;
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr,
                    &modifiers);
  WindowRef window = static_cast<WindowRef>(GetEventTargetOwner(target));
  const bool command = (modifiers & cmdKey) != 0;
  ControlRecord* button = nullptr;
  if (!command && (ch == 0x0D || ch == 0x03)) {
    button = controls::DefaultButtonOf(window);
  } else if ((!command && ch == 0x1B) || (command && ch == '.')) {
    button = controls::CancelButtonOf(window);
  }
  if (button == nullptr || !controls::IsShown(button) || !controls::IsLive(button)) {
    return eventNotHandledErr;
  }
  ControlRef ref = controls::RefOf(button);
  HiliteControl(ref, kControlButtonPart);
  Delay(kFlashTicks, nullptr);
  button = controls::Live(ref);
  if (button == nullptr) return noErr;
  HiliteControl(ref, kControlNoPart);
  Point local = {0, 0};
  {
    GrafPtr saved = nullptr;
    GetPort(&saved);
    SetPort(GetWindowPort(window));
    GetMouse(&local);
    SetPort(saved);
  }
  controls::SendHit(button, kControlButtonPart, modifiers, local);
  return noErr;
}

const StandardHandlerRow kRows[] = {
    {kEventClassMouse, kEventMouseDown, kEventTargetKindApplication, ControlClickNobodyTook,
     "a mouse-down nobody took, on a visible and active control in the content of a window "
     "with the standard handler, is tracked (HandleControlClick with the control's own action) "
     "and, released in the part, sends {'cntl', 1}"},
    {kEventClassKeyboard, kEventRawKeyDown, kEventTargetKindWindow, DefaultOrCancelButtonKey,
     "Return or Enter presses the window's default button, Escape or Command-period its cancel "
     "button (visible and active only): it flashes and sends {'cntl', 1}"},
};

}  // namespace

const StandardHandlerRow* ControlStandardHandlerRows(std::size_t* count) {
  if (count != nullptr) *count = sizeof kRows / sizeof kRows[0];
  return kRows;
}

}  // namespace events
}  // namespace sp_platform
