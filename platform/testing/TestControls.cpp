// Test API: the Control Manager (see TestControls.h).
#include "TestControls.h"

#include <algorithm>

#include "ByteOrder.h"
#include "TestMenus.h"
#include "ui/detail/ControlRecord.h"

namespace sp_testing {
namespace {

using sp_platform::controls::ControlRecord;

Point Middle(const Rect& r) {
  Point p;
  p.h = SInt16((SInt32(r.left) + r.right) / 2);
  p.v = SInt16((SInt32(r.top) + r.bottom) / 2);
  return p;
}

PumpResult Fail(const std::string& why, const char* file, int line) {
  PumpResult result;
  result.ok = false;
  result.message = why;
  ADD_FAILURE_AT(file, line) << why;
  return result;
}

}  // namespace

ControlModel ReadControl(ControlRef control) {
  ControlModel m;
  ControlRecord* r = sp_platform::controls::Live(control);
  if (r == nullptr) return m;
  m.valid = true;
  ControlKind kind = {0, 0};
  GetControlKind(control, &kind);
  m.kind = kind.kind;
  m.title.assign(reinterpret_cast<const char*>(r->title + 1), r->title[0]);
  m.value = r->value;
  m.minimum = r->minimum;
  m.maximum = r->maximum;
  m.hilite = GetControlHilite(control);
  m.visible = IsControlVisible(control);
  m.active = IsControlActive(control);
  m.bounds = r->bounds;
  m.isDefault = sp_platform::controls::DefaultButtonOf(r->window) == r;
  m.isCancel = sp_platform::controls::CancelButtonOf(r->window) == r;
  m.text = r->text;
  m.menu = r->menu;
  m.drawCount = r->drawCount;
  return m;
}

std::vector<ControlRef> WindowControlList(WindowRef window) {
  std::vector<ControlRef> out;
  for (ControlRecord* r : sp_platform::controls::ControlsOf(window)) {
    if (r->variety != sp_platform::controls::Variety::kRoot) {
      out.push_back(sp_platform::controls::RefOf(r));
    }
  }
  return out;
}

bool PointInControlPart(ControlRef control, ControlPartCode part, Point* local) {
  ControlRecord* r = sp_platform::controls::Live(control);
  if (r == nullptr || local == nullptr) return false;
  if (part == kControlNoPart) {
    *local = Middle(r->bounds);
    return true;
  }
  Rect area = r->bounds;
  if (r->variety == sp_platform::controls::Variety::kScrollBar) {
    sp_platform::controls::ScrollBarGeometry g = sp_platform::controls::ScrollBarGeometryOf(r);
    switch (part) {
      case kControlUpButtonPart:
        area = g.upArrow;
        break;
      case kControlDownButtonPart:
        area = g.downArrow;
        break;
      case kControlPageUpPart:
        area = g.pageUp;
        break;
      case kControlPageDownPart:
        area = g.pageDown;
        break;
      case kControlIndicatorPart:
        area = g.thumb;
        break;
      default:
        return false;
    }
    if (EmptyRect(&area)) return false;
  } else if (r->variety == sp_platform::controls::Variety::kPopupButton) {
    area = sp_platform::controls::PopupMenuBox(r);
  }
  Point p = Middle(area);
  if (sp_platform::controls::PartAt(r, p) != part) return false;
  *local = p;
  return true;
}

Point ControlPointToGlobal(ControlRef control, Point local) {
  return sp_platform::controls::ToGlobal(GetControlOwner(control), local);
}

PumpResult ClickControl(ControlRef control, ControlPartCode part, UInt32 modifiers,
                        const char* file, int line) {
  Point local;
  if (!PointInControlPart(control, part, &local)) {
    return Fail("ClickControl: the control has no such part now", file, line);
  }
  Point global = ControlPointToGlobal(control, local);
  PostMouseDown(global, modifiers);
  PostMouseUp(global, modifiers);
  return PumpUntilIdle(file, line);
}

PumpResult HoldControlPart(ControlRef control, ControlPartCode part, SInt64 holdMicroseconds,
                           const char* file, int line) {
  Point local;
  if (!PointInControlPart(control, part, &local)) {
    return Fail("HoldControlPart: the control has no such part now", file, line);
  }
  Point global = ControlPointToGlobal(control, local);
  PostMouseDown(global);
  ScheduleInput(holdMicroseconds, [global] { PostMouseUp(global); });
  return PumpUntilIdle(file, line);
}

PumpResult DragInControl(ControlRef control, Point from, const std::vector<Point>& path,
                         const char* file, int line) {
  if (sp_platform::controls::Live(control) == nullptr) {
    return Fail("DragInControl: not a live control", file, line);
  }
  PostMouseDown(ControlPointToGlobal(control, from));
  Point last = from;
  for (Point p : path) {
    PostMouseDragged(ControlPointToGlobal(control, p));
    last = p;
  }
  PostMouseUp(ControlPointToGlobal(control, last));
  return PumpUntilIdle(file, line);
}

PumpResult DragScrollBarThumb(ControlRef control, SInt16 pixels, int steps, const char* file,
                              int line) {
  ControlRecord* r = sp_platform::controls::Live(control);
  Point start;
  if (r == nullptr || !PointInControlPart(control, kControlIndicatorPart, &start)) {
    return Fail("DragScrollBarThumb: the scroll bar has no thumb now", file, line);
  }
  const bool vertical = sp_platform::controls::ScrollBarGeometryOf(r).vertical;
  if (steps < 1) steps = 1;
  std::vector<Point> path;
  for (int i = 1; i <= steps; ++i) {
    Point p = start;
    SInt16 offset = SInt16(SInt32(pixels) * i / steps);
    if (vertical) {
      p.v = SInt16(p.v + offset);
    } else {
      p.h = SInt16(p.h + offset);
    }
    path.push_back(p);
  }
  return DragInControl(control, start, path, file, line);
}

PumpResult ChoosePopupItem(ControlRef control, MenuItemIndex item, const char* file, int line) {
  MenuRef menu = GetControlPopupMenuHandle(control);
  if (menu == nullptr) return Fail("ChoosePopupItem: not a popup with a menu", file, line);
  SetNextPopUpMenuSelect(GetMenuID(menu), item);
  return ClickControl(control, kControlMenuPart, 0, file, line);
}

void ResetControls() {
  sp_platform::controls::DisposeAllControls();
}

std::vector<UInt8> MakeControlResource(const Rect& bounds, SInt16 value, bool visible,
                                       SInt16 maximum, SInt16 minimum, SInt16 procID, SInt32 refCon,
                                       const std::string& title) {
  sp::ByteWriter w;
  w.BE16(UInt16(bounds.top));
  w.BE16(UInt16(bounds.left));
  w.BE16(UInt16(bounds.bottom));
  w.BE16(UInt16(bounds.right));
  w.BE16(UInt16(value));
  w.U8(visible ? 1 : 0);
  w.U8(0);
  w.BE16(UInt16(maximum));
  w.BE16(UInt16(minimum));
  w.BE16(UInt16(procID));
  w.BE32(UInt32(refCon));
  std::size_t n = std::min<std::size_t>(title.size(), 255);
  w.U8(UInt8(n));
  for (std::size_t i = 0; i < n; ++i) w.U8(UInt8(title[i]));
  return w.Data();
}

}  // namespace sp_testing
