// Test API: the Control Manager (see TestControls.h).
#include "TestControls.h"

#include <algorithm>

#include "ByteOrder.h"
#include "TestMenus.h"
#include "ui/internal/Controls.h"

namespace sp_testing {
namespace {

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
  sp_platform::controls::ControlFacts facts;
  if (!sp_platform::controls::ControlFactsOf(control, &facts)) return m;
  m.valid = true;
  ControlKind kind = {0, 0};
  GetControlKind(control, &kind);
  m.kind = kind.kind;
  m.title = facts.title;
  m.value = facts.value;
  m.minimum = facts.minimum;
  m.maximum = facts.maximum;
  m.hilite = GetControlHilite(control);
  m.visible = IsControlVisible(control);
  m.active = IsControlActive(control);
  m.bounds = facts.bounds;
  m.isDefault = facts.isDefault;
  m.isCancel = facts.isCancel;
  m.text = facts.text;
  m.menu = facts.menu;
  m.drawCount = facts.drawCount;
  return m;
}

std::vector<ControlRef> WindowControlList(WindowRef window) {
  return sp_platform::controls::ControlsOfWindow(window);
}

bool PointInControlPart(ControlRef control, ControlPartCode part, Point* local) {
  sp_platform::controls::ControlFacts facts;
  if (local == nullptr || !sp_platform::controls::ControlFactsOf(control, &facts)) return false;
  if (part == kControlNoPart) {
    *local = Middle(facts.bounds);
    return true;
  }
  Rect area;
  if (!sp_platform::controls::PartClickArea(control, part, &area)) return false;
  Point p = Middle(area);
  if (sp_platform::controls::PartAtPoint(control, p) != part) return false;
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
  if (!sp_platform::controls::IsLiveControl(control)) {
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
  Point start;
  if (!sp_platform::controls::IsLiveControl(control) ||
      !PointInControlPart(control, kControlIndicatorPart, &start)) {
    return Fail("DragScrollBarThumb: the scroll bar has no thumb now", file, line);
  }
  const bool vertical = sp_platform::controls::ScrollBarIsVertical(control);
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
