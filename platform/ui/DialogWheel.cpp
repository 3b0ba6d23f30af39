// The mouse wheel over a dialog: it moves the scroll bar of the list or view under the
// pointer, as holding the bar's arrow would.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "CarbonEvents.h"
#include "Controls.h"
#include "Events.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "ui/detail/ControlRecord.h"
#include "ui/detail/DialogRecord.h"

namespace sp_platform {
namespace dialogs {
namespace {

using controls::ControlRecord;

// A bar drawn along a view's edge may overlap the view's frame by a pixel or leave one free.
constexpr int kEdgeSlack = 1;
// A wheel spun hard reports many notches at once; the view moves no more than this many
// steps for one event, so one event never runs the action procedure for ever.
constexpr SInt32 kMaxStepsPerEvent = 100;

bool UsableBar(ControlRecord* r, bool vertical) {
  return r->variety == controls::Variety::kScrollBar && controls::IsShown(r) &&
         controls::IsLive(r) && controls::ScrollBarGeometryOf(r).vertical == vertical;
}

// The bar runs along the right edge of the view (vertical) or its bottom edge (horizontal).
bool Along(const Rect& bar, const Rect& view, bool vertical) {
  if (vertical) {
    return std::abs(bar.left - view.right) <= kEdgeSlack && bar.top < view.bottom &&
           view.top < bar.bottom;
  }
  return std::abs(bar.top - view.bottom) <= kEdgeSlack && bar.left < view.right &&
         view.left < bar.right;
}

// The scroll bar along the wheel's axis under the local point, else the one along the edge of
// the dialog item under it; null when none.
ControlRecord* BarFor(DialogRecord* record, Point local, bool vertical) {
  const std::vector<ControlRecord*> controls = controls::ControlsOf(record->window);
  for (ControlRecord* r : controls) {
    if (UsableBar(r, vertical) && PtInRect(local, &r->bounds)) return r;
  }
  const Item* item = ItemAt(record, DialogItemIndex(FindDialogItem(RefOf(record), local) + 1));
  if (item == nullptr) return nullptr;
  for (ControlRecord* r : controls) {
    if (UsableBar(r, vertical) && Along(r->bounds, item->rect, vertical)) return r;
  }
  return nullptr;
}

// One arrow step: the bar's action procedure scrolls its view; a bar without one moves by a
// step itself.
bool Step(ControlRef bar, ControlPartCode part) {
  ControlRecord* r = controls::Live(bar);
  if (r == nullptr) return false;
  if (r->action != nullptr) {
    r->action(bar, part);
    return true;
  }
  return controls::SetValue(r, r->value + (part == kControlUpButtonPart ? -1 : 1));
}

}  // namespace

ControlRef ScrollByWheel(DialogRecord* record, EventRef event) {
  if (record == nullptr || event == nullptr) return nullptr;
  Point where = {0, 0};
  EventMouseWheelAxis axis = kEventMouseWheelAxisY;
  SInt32 delta = 0;
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) != noErr ||
      GetEventParameter(event, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof delta,
                        nullptr, &delta) != noErr ||
      delta == 0) {
    return nullptr;
  }
  GetEventParameter(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr, sizeof axis,
                    nullptr, &axis);
  WindowRef hit = nullptr;
  if (FindWindow(where, &hit) != inContent || hit != record->window) return nullptr;
  Point local = where;
  {
    DialogPortScope scope(record->window);
    GlobalToLocal(&local);
  }
  ControlRecord* r = BarFor(record, local, axis == kEventMouseWheelAxisY);
  if (r == nullptr) return nullptr;
  ControlRef bar = controls::RefOf(r);
  // Up (or left) is a positive delta: the view shows what lies before.
  const ControlPartCode part = delta > 0 ? kControlUpButtonPart : kControlDownButtonPart;
  const SInt32 steps = SInt32(std::min(std::labs(long(delta)), long(kMaxStepsPerEvent)));
  for (SInt32 i = 0; i < steps; ++i) {
    if (!Step(bar, part)) break;
  }
  r = controls::Live(bar);
  if (r == nullptr) return nullptr;
  UInt32 modifiers = 0;
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                    nullptr, &modifiers);
  controls::SendHit(r, part, modifiers, local);
  return controls::Live(bar) != nullptr ? bar : nullptr;
}

}  // namespace dialogs
}  // namespace sp_platform
