// What the test API reads of controls (see internal/Controls.h).
#include "ui/internal/Controls.h"

#include "QuickDraw.h"
#include "ui/detail/ControlRecord.h"

namespace sp_platform {
namespace controls {

bool IsLiveControl(ControlRef control) {
  return Live(control) != nullptr;
}

bool ControlFactsOf(ControlRef control, ControlFacts* out) {
  const ControlRecord* r = Live(control);
  if (r == nullptr || out == nullptr) return false;
  out->title.assign(reinterpret_cast<const char*>(r->title + 1), r->title[0]);
  out->value = r->value;
  out->minimum = r->minimum;
  out->maximum = r->maximum;
  out->bounds = r->bounds;
  out->isDefault = DefaultButtonOf(r->window) == r;
  out->isCancel = CancelButtonOf(r->window) == r;
  out->text = r->text;
  out->menu = r->menu;
  out->drawCount = r->drawCount;
  return true;
}

std::vector<ControlRef> ControlsOfWindow(WindowRef window) {
  std::vector<ControlRef> out;
  for (ControlRecord* r : ControlsOf(window)) {
    if (r->variety != Variety::kRoot) out.push_back(RefOf(r));
  }
  return out;
}

bool PartClickArea(ControlRef control, ControlPartCode part, Rect* area) {
  const ControlRecord* r = Live(control);
  if (r == nullptr || area == nullptr) return false;
  Rect box = r->bounds;
  if (r->variety == Variety::kScrollBar) {
    const ScrollBarGeometry g = ScrollBarGeometryOf(r);
    switch (part) {
      case kControlUpButtonPart:
        box = g.upArrow;
        break;
      case kControlDownButtonPart:
        box = g.downArrow;
        break;
      case kControlPageUpPart:
        box = g.pageUp;
        break;
      case kControlPageDownPart:
        box = g.pageDown;
        break;
      case kControlIndicatorPart:
        box = g.thumb;
        break;
      default:
        return false;
    }
    if (EmptyRect(&box)) return false;
  } else if (r->variety == Variety::kPopupButton) {
    box = PopupMenuBox(r);
  }
  *area = box;
  return true;
}

ControlPartCode PartAtPoint(ControlRef control, Point local) {
  ControlRecord* r = Live(control);
  return r != nullptr ? PartAt(r, local) : ControlPartCode(kControlNoPart);
}

bool ScrollBarIsVertical(ControlRef control) {
  const ControlRecord* r = Live(control);
  return r != nullptr && ScrollBarGeometryOf(r).vertical;
}

}  // namespace controls
}  // namespace sp_platform
