// Finding the control under the mouse and following a press in it: buttons, scroll-bar parts
// and thumb, popup menus, user panes; the track and hit events.
#include <algorithm>

#include "Events.h"
#include "ui/detail/ControlRecord.h"
#include "ui/internal/Menus.h"

namespace sp_platform {
namespace controls {
namespace {

// How often the action procedure runs while the button is held in a part: every tick.
constexpr EventTimerInterval kHoldInterval = 1.0 / 60.0;

// What the hold timer needs: the part pressed, where the mouse was last seen, whether it is
// still in the part.
struct Hold {
  ControlRef control = nullptr;
  ControlPartCode part = kControlNoPart;
  ControlActionUPP action = nullptr;
  Point where = {0, 0};
  bool held = true;
  bool retest = true;  // the part under the mouse is tested again before each call
};

// Calls the action procedure when the mouse is still in the part pressed (the part may have
// moved away from under the mouse since: a page part, say, once the thumb reached the mouse).
void RunAction(Hold* hold) {
  if (!hold->held || hold->action == nullptr) return;
  ControlRecord* r = Live(hold->control);
  if (r == nullptr) return;
  if (hold->retest && PartAt(r, hold->where) != hold->part) return;
  hold->action(hold->control, hold->part);
}

void HoldTimerFired(EventLoopTimerRef, void* data) {
  RunAction(static_cast<Hold*>(data));
}

// The hold timer for as long as a press is tracked.
class HoldTimer {
 public:
  explicit HoldTimer(Hold* hold) {
    if (hold->action == nullptr) return;
    InstallEventLoopTimer(GetMainEventLoop(), kHoldInterval, kHoldInterval,
                          NewEventLoopTimerUPP(HoldTimerFired), hold, &timer_);
  }
  ~HoldTimer() {
    if (timer_ != nullptr) RemoveEventLoopTimer(timer_);
  }
  HoldTimer(const HoldTimer&) = delete;
  HoldTimer& operator=(const HoldTimer&) = delete;

 private:
  EventLoopTimerRef timer_ = nullptr;
};

// The next mouse event of the press, in the window's local coordinates; false at the release
// (or when no more input can come).
bool NextMouse(WindowRef window, Point* local) {
  MouseTrackingResult result = kMouseTrackingMouseUp;
  if (!IsValidWindowPtr(window)) return false;
  if (TrackMouseLocation(GetWindowPort(window), local, &result) != noErr) return false;
  return result != kMouseTrackingMouseUp && result != kMouseTrackingUserCancelled;
}

// Buttons, check boxes, radio buttons, scroll-bar arrows and page parts, panes with a
// hit-test procedure: the part is hilited while the mouse is in it.
ControlPartCode TrackPart(ControlRecord* r, Point start, ControlPartCode part,
                          ControlActionUPP action, Point* end) {
  ControlRef ref = RefOf(r);
  WindowRef window = r->window;
  Hold hold;
  hold.control = ref;
  hold.part = part;
  hold.action = action;
  hold.where = start;
  SetHilite(r, UInt8(part));
  RunAction(&hold);
  if (Live(ref) == nullptr) return kControlNoPart;
  HoldTimer timer(&hold);
  bool inside = true;
  Point where = start;
  for (bool down = true; down;) {
    down = NextMouse(window, &where);
    r = Live(ref);
    if (r == nullptr) return kControlNoPart;
    inside = IsShown(r) && IsLive(r) && PartAt(r, where) == part;
    hold.where = where;
    hold.held = down;
    SetHilite(r, down && inside ? UInt8(part) : UInt8(0));
  }
  *end = where;
  return inside ? part : ControlPartCode(kControlNoPart);
}

SInt32 Along(const ScrollBarGeometry& g, Point p) {
  return g.vertical ? p.v : p.h;
}

// The thumb follows the mouse; live, the value follows it too.
ControlPartCode TrackThumb(ControlRecord* r, Point start, ControlActionUPP action, Point* end) {
  const ScrollBarGeometry g = ScrollBarGeometryOf(r);
  if (!g.hasThumb) return kControlNoPart;
  ControlRef ref = RefOf(r);
  WindowRef window = r->window;
  const bool live = r->liveTracking;
  const SInt32 grab = Along(g, start) - (g.vertical ? g.thumb.top : g.thumb.left);
  Hold hold;
  hold.control = ref;
  hold.part = kControlIndicatorPart;
  hold.action = live ? action : nullptr;
  hold.where = start;
  hold.retest = false;  // the thumb is held wherever the mouse goes
  SetHilite(r, kControlIndicatorPart);
  HoldTimer timer(&hold);
  SInt32 pending = r->value;
  Point where = start;
  for (bool down = true; down;) {
    down = NextMouse(window, &where);
    r = Live(ref);
    if (r == nullptr) return kControlNoPart;
    hold.held = down;
    pending = ScrollBarValueAt(r, g, Along(g, where) - grab);
    if (live && pending != r->value) {
      if (!SetValue(r, pending)) return kControlNoPart;
      SendControlEvent(r, kEventControlIndicatorMoved);
      if (Live(ref) == nullptr) return kControlNoPart;
      if (action != nullptr) action(ref, kControlIndicatorPart);
      if (Live(ref) == nullptr) return kControlNoPart;
    }
  }
  r = Live(ref);
  if (r == nullptr) return kControlNoPart;
  if (!live && pending != r->value) {
    if (!SetValue(r, pending)) return kControlNoPart;
    SendControlEvent(r, kEventControlIndicatorMoved);
    r = Live(ref);
    if (r == nullptr) return kControlNoPart;
  }
  SetHilite(r, 0);
  *end = where;
  return kControlIndicatorPart;
}

// The popup's menu is shown where its box is; the item chosen becomes the value.
ControlPartCode TrackPopup(ControlRecord* r, Point start, Point* end) {
  MenuRef menu = r->menu;
  const UInt16 count = menu != nullptr ? CountMenuItems(menu) : 0;
  if (count == 0) return kControlNoPart;
  if (r->minimum != 1 || r->maximum != count) {
    r->minimum = 1;
    r->maximum = count;
    r->value = std::max<SInt32>(1, std::min<SInt32>(count, r->value));
  }
  ControlRef ref = RefOf(r);
  WindowRef window = r->window;
  SetHilite(r, kControlMenuPart);
  Rect box = PopupMenuBox(r);
  const Point corner = ToGlobal(window, Point{box.top, box.left});
  const SInt32 choice = menus::PopUpMenuSelectForPress(menu, corner.v, corner.h, SInt16(r->value),
                                                       ToGlobal(window, start));
  // A release the menu left (it closed on a key, or on the press of a click outside it) ends
  // the press here, so that it reaches nothing else.
  Point where = start;
  while (NextMouse(window, &where)) {
  }
  *end = where;
  r = Live(ref);
  if (r == nullptr) return kControlNoPart;
  SetHilite(r, 0);
  const SInt16 item = SInt16(choice & 0xFFFF);
  if (item <= 0 || SInt16(choice >> 16) != GetMenuID(menu)) return kControlNoPart;
  if (!SetValue(r, item)) return kControlNoPart;
  return kControlMenuPart;
}

ControlPartCode DefaultTrack(ControlRecord* r, Point start, ControlActionUPP action, Point* end) {
  switch (r->variety) {
    case Variety::kPopupButton:
      return TrackPopup(r, start, end);
    case Variety::kUserPane:
      if (r->trackingProc != nullptr) return r->trackingProc(RefOf(r), start, action);
      break;
    default:
      break;
  }
  ControlPartCode part = PartAt(r, start);
  if (part == kControlNoPart) return kControlNoPart;
  if (part == kControlIndicatorPart && r->variety == Variety::kScrollBar) {
    return TrackThumb(r, start, action, end);
  }
  return TrackPart(r, start, part, action, end);
}

// The deepest, front-most shown control of the window under the local point.
ControlRecord* ControlUnder(WindowRef window, Point where) {
  std::vector<ControlRecord*> all = ControlsOf(window);
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    ControlRecord* r = *it;
    if (r->variety == Variety::kRoot || !IsShown(r)) continue;
    if (PtInRect(where, &r->bounds)) return r;
  }
  return nullptr;
}

}  // namespace

Point ToGlobal(WindowRef window, Point local) {
  if (!IsValidWindowPtr(window)) return local;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(GetWindowPort(window));
  LocalToGlobal(&local);
  SetPort(saved);
  return local;
}

void SendHit(ControlRecord* r, ControlPartCode part, UInt32 modifiers, Point local) {
  EventTargetRef target = TargetOf(r);
  if (target == nullptr) return;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, kEventAttributeNone, &event) !=
      noErr) {
    return;
  }
  ControlRef ref = RefOf(r);
  Point global = ToGlobal(r->window, local);
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof ref, &ref);
  SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof global, &global);
  SendEventToEventTarget(event, target);
  ReleaseEvent(event);
}

ControlPartCode Track(ControlRecord* r, Point start, UInt32 modifiers, ControlActionUPP action) {
  if (!IsShown(r) || !IsLive(r)) return kControlNoPart;
  ControlRef ref = RefOf(r);
  if (action == kControlUseOwnActionProc) action = r->action;

  // A handler of the control may track it itself.
  ControlPartCode part = kControlNoPart;
  bool tracked = false;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassControl, kEventControlTrack, 0, kEventAttributeNone,
                  &event) == noErr) {
    SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof ref, &ref);
    SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof start, &start);
    SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    if (SendEventToEventTarget(event, TargetOf(r)) == noErr) {
      tracked = true;
      GetEventParameter(event, kEventParamControlPart, typeControlPartCode, nullptr, sizeof part,
                        nullptr, &part);
    }
    ReleaseEvent(event);
  }
  r = Live(ref);
  if (r == nullptr) return kControlNoPart;

  Point end = start;
  if (!tracked) part = DefaultTrack(r, start, action, &end);
  r = Live(ref);
  if (r == nullptr || part == kControlNoPart) return part;
  if (r->autoToggle && !tracked) {
    if (r->variety == Variety::kCheckBox) {
      SetValue(r, r->value == kControlCheckBoxCheckedValue ? kControlCheckBoxUncheckedValue
                                                           : kControlCheckBoxCheckedValue);
    } else if (r->variety == Variety::kRadioButton) {
      SetValue(r, kControlRadioButtonCheckedValue);
    }
    r = Live(ref);
    if (r == nullptr) return part;
  }
  SendHit(r, part, modifiers, end);
  return part;
}

}  // namespace controls
}  // namespace sp_platform

using namespace sp_platform::controls;

ControlPartCode FindControl(Point testPoint, WindowRef theWindow, ControlRef* theControl) {
  if (theControl != nullptr) *theControl = nullptr;
  ControlRecord* r = ControlUnder(theWindow, testPoint);
  if (r == nullptr || !IsLive(r)) return kControlNoPart;
  ControlPartCode part = PartAt(r, testPoint);
  if (part != kControlNoPart && theControl != nullptr) *theControl = RefOf(r);
  return part;
}

ControlRef FindControlUnderMouse(Point inWhere, WindowRef inWindow, ControlPartCode* outPart) {
  if (outPart != nullptr) *outPart = kControlNoPart;
  ControlRecord* r = ControlUnder(inWindow, inWhere);
  if (r == nullptr) return nullptr;
  if (outPart != nullptr && IsLive(r)) *outPart = PartAt(r, inWhere);
  return RefOf(r);
}

ControlPartCode TestControl(ControlRef theControl, Point testPoint) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr || !IsShown(r) || !IsLive(r)) return kControlNoPart;
  return PartAt(r, testPoint);
}

ControlPartCode TrackControl(ControlRef theControl, Point startPoint, ControlActionUPP actionProc) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr) return kControlNoPart;
  return Track(r, startPoint, GetCurrentKeyModifiers(), actionProc);
}

ControlPartCode HandleControlClick(ControlRef inControl, Point inWhere, EventModifiers inModifiers,
                                   ControlActionUPP inAction) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return kControlNoPart;
  return Track(r, inWhere, inModifiers, inAction);
}
