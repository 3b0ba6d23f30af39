// The standard handling of events of windows that no handler took (windows that have
// kWindowStandardHandlerAttribute only; see ui/detail/StandardRows.h).
//
// Closing: a click released in the close box sends {'wind', 72} (close request) and nothing
// more. What a close request nobody took does is left to the window's owner: the window is
// not disposed of here, because the code that made it still holds it (a dialog's record, a
// framework window object) and would free it a second time. {'wind', 73} (closed) is never
// sent: the framework answers it by tracking the close box of the window again, which must
// not happen to a window on its way out.
#include "ui/detail/StandardRows.h"

#include <iterator>

#include "CarbonEvents.h"
#include "Events.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "ui/detail/WindowRecord.h"

namespace sp_platform {
namespace events {
namespace {

WindowRef TargetWindow(EventTargetRef target) {
  WindowRef window = static_cast<WindowRef>(GetEventTargetOwner(target));
  return IsValidWindowPtr(window) ? window : nullptr;
}

struct ClickParameters {
  Point where;
  UInt32 modifiers;
  WindowPartCode part;
  ClickActivationResult activation;
};

void PrepareClickEvent(EventRef event, void* refCon) {
  const ClickParameters& p = *static_cast<const ClickParameters*>(refCon);
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof p.where, &p.where);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof p.modifiers, &p.modifiers);
  SetEventParameter(event, kEventParamWindowPartCode, typeWindowPartCode, sizeof p.part, &p.part);
}

void ReadClickActivation(EventRef event, void* refCon) {
  ClickParameters& p = *static_cast<ClickParameters*>(refCon);
  ClickActivationResult result = 0;
  if (GetEventParameter(event, kEventParamClickActivation, typeClickActivationResult, nullptr,
                        sizeof result, nullptr, &result) == noErr) {
    p.activation = result;
  }
}

// True when another visible window of the same layer lies in front of this one.
bool IsBehindInItsLayer(WindowRef window) {
  return !sp_platform::windows::IsFrontOfItsLayer(window);
}

// A press in the content of a window behind another of its layer asks the window how to take
// it ({'wind', 7} with 'mloc', 'kmod' and 'wpar'; the answer in 'clac'). Without an answer the
// window is brought forward and the click goes on to the window's content (the dialog and
// control rows, then the application's handlers): the framework's own content-click rules
// then decide whether the click only brings the window forward, and keep its window lists in
// step with the screen.
OSStatus ActivateByClick(WindowRef window, ClickParameters* p) {
  p->activation = kActivateAndHandleClick;
  sp_platform::windows::SendWindowEvent(window, kEventWindowGetClickActivation, PrepareClickEvent,
                                        ReadClickActivation, p);
  if (!IsValidWindowPtr(window)) return noErr;
  if ((p->activation & kActivateAndIgnoreClick) != 0) SelectWindow(window);
  return (p->activation & kDoNotActivateAndHandleClick) != 0 ? OSStatus(eventNotHandledErr)
                                                             : OSStatus(noErr);
}

// {'mous', 1}: the close box, the zoom box, the title strip, the grow box, and a click that
// activates a window behind others.
OSStatus WindowMouseDown(EventRef event, EventTargetRef target) {
  WindowRef window = TargetWindow(target);
  ClickParameters p{{0, 0}, 0, inDesk, kActivateAndHandleClick};
  if (window == nullptr || GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr,
                                             sizeof p.where, nullptr, &p.where) != noErr) {
    return eventNotHandledErr;
  }
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof p.modifiers,
                    nullptr, &p.modifiers);
  WindowRef found = nullptr;
  p.part = FindWindow(p.where, &found);
  if (found != window) return eventNotHandledErr;
  switch (p.part) {
    case inGoAway:
      if (TrackGoAway(window, p.where)) {
        sp_platform::windows::SendWindowEvent(window, kEventWindowClose, nullptr, nullptr, nullptr);
      }
      return noErr;
    case inZoomIn:
    case inZoomOut:
      if (TrackBox(window, p.where, p.part) &&
          sp_platform::windows::SendWindowEvent(window, kEventWindowZoom, PrepareClickEvent,
                                                nullptr, &p) == eventNotHandledErr) {
        ZoomWindow(window, p.part, false);
      }
      return noErr;
    case inDrag:
      sp_platform::windows::DragWithMouse(window, p.where, nullptr, p.modifiers);
      if (IsValidWindowPtr(window)) {
        sp_platform::windows::SendWindowEvent(window, kEventWindowDragCompleted, nullptr, nullptr,
                                              nullptr);
      }
      return noErr;
    case inGrow:
      if (IsBehindInItsLayer(window)) SelectWindow(window);
      sp_platform::windows::ResizeWithMouse(window, p.where);
      return noErr;
    case inContent:
      if (!IsBehindInItsLayer(window)) return eventNotHandledErr;
      return ActivateByClick(window, &p);
    default:
      return eventNotHandledErr;
  }
}

// {'wind', 1} nobody took: the window it names ('----') draws its content ({'wind', 2})
// between BeginUpdate and EndUpdate, with its port current.
OSStatus WindowUpdate(EventRef event, EventTargetRef target) {
  WindowRef window = nullptr;
  if (GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                        nullptr, &window) != noErr ||
      window != TargetWindow(target) || window == nullptr) {
    return eventNotHandledErr;
  }
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  BeginUpdate(window);
  sp_platform::windows::SendWindowEvent(window, kEventWindowDrawContent, nullptr, nullptr, nullptr);
  EndUpdate(window);
  SetPort(saved);
  return noErr;
}

const StandardHandlerRow kRows[] = {
    {kEventClassMouse, kEventMouseDown, kEventTargetKindWindow, WindowMouseDown,
     "a press in the close box is tracked and, released inside, sends {'wind', 72}; in the zoom "
     "box tracked, then {'wind', 75} and, when nobody took it, ZoomWindow; in the title strip "
     "selects the window (not with Command) and drags it, then {'wind', 31}; in the grow box "
     "resizes within the limits with {'wind', 26} ('crct' correctable) for each movement, then "
     "{'wind', 29}; in the content of a window behind another of its layer asks {'wind', 7} "
     "and brings it forward (by default the click then goes on)"},
    {kEventClassWindow, kEventWindowUpdate, kEventTargetKindWindow, WindowUpdate,
     "an update nobody took (naming the window as its direct object): BeginUpdate, "
     "{'wind', 2} (draw content), EndUpdate"},
};

}  // namespace

const StandardHandlerRow* WindowStandardHandlerRows(std::size_t* count) {
  if (count != nullptr) *count = std::size(kRows);
  return kRows;
}

}  // namespace events
}  // namespace sp_platform
