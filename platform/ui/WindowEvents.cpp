// The window events the event loop sends on its own: activation when the active window
// changes, and updates of visible windows whose update region changed. They are sent from a
// pass hook of the loop, so they come on every pass of every loop (modal loops and mouse
// tracking included), before the posted events of that pass, as the toolbox's activate and
// update events came before other events.
#include <vector>

#include "CarbonEvents.h"
#include "MacWindows.h"
#include "detail/WindowRecord.h"
#include "events/internal/EventLoop.h"
#include "ui/internal/Windows.h"

namespace sp_platform {
namespace windows {
namespace {

int gHookID = 0;
// The window last told it is active; null when none was (or it was disposed of).
WindowRef gActive = nullptr;

bool SendActivation() {
  WindowRef active = FrontNonFloatingWindow();
  if (active == gActive) return false;
  WindowRef previous = gActive;
  gActive = active;  // before sending: a handler that changes the order is seen next pass
  if (IsLive(previous))
    SendWindowEvent(previous, kEventWindowDeactivated, nullptr, nullptr, nullptr);
  if (IsLive(active)) SendWindowEvent(active, kEventWindowActivated, nullptr, nullptr, nullptr);
  return true;
}

bool SendUpdates() {
  bool sent = false;
  for (WindowRef w : WindowListFrontToBack()) {
    // A handler may dispose of windows further down the list.
    if (!IsLive(w) || !w->visible || !TakeUpdateToSend(w)) continue;
    SendWindowEvent(w, kEventWindowUpdate, nullptr, nullptr, nullptr);
    sent = true;
  }
  return sent;
}

bool WindowPassHook(void*) {
  const bool activated = SendActivation();
  const bool updated = SendUpdates();
  return activated || updated;
}

}  // namespace

void EnsureWindowPassHook() {
  if (gHookID == 0) gHookID = AddPassHook(WindowPassHook, nullptr);
}

void ForgetActiveWindow(WindowRef window) {
  if (gActive == window) gActive = nullptr;
}

OSStatus SendWindowEvent(WindowRef window, UInt32 kind, void (*prepare)(EventRef, void*),
                         void (*inspect)(EventRef, void*), void* refCon) {
  EventTargetRef target = GetWindowEventTarget(window);
  if (target == nullptr) return errInvalidWindowPtr;
  EventRef event = nullptr;
  OSStatus err = CreateEvent(nullptr, kEventClassWindow, kind, 0, kEventAttributeNone, &event);
  if (err != noErr) return err;
  err = SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  if (err == noErr) {
    if (prepare != nullptr) prepare(event, refCon);
    err = SendEventToEventTarget(event, target);
    if (inspect != nullptr) inspect(event, refCon);
  }
  ReleaseEvent(event);
  return err;
}

}  // namespace windows
}  // namespace sp_platform
