// Scrolling a list by its lines: the content size the view scrolls over, the arrow steps of
// the list's scroll bars, and scrolls by lines, by pages and to a row or column.
#include <algorithm>

#include "SpErrorInfoSystem.h"
#include "SpListClass.h"
#include "SpListClassInternal.h"

using namespace sp_list_detail;

namespace {

const char kSource[] = "SpListClass";

SInt32 Middle(const cLMgr_CellRoot* line) {
  return SInt32((SInt64(line->outerStart) + line->outerEnd) / 2);
}

SInt32 Extent(const cLMgr_CellRoot* line) {
  return line->outerEnd - line->outerStart;
}

// a x b / c, rounded to the nearest; 0 for a c of 0.
SInt32 Proportion(SInt64 a, SInt64 b, SInt64 c) {
  if (c <= 0) return 0;
  return SInt32((a * b + c / 2) / c);
}

}  // namespace

short cLMgr_List_Base::ViewSize(Boolean vertical) const {
  Rect area;
  GetDrawingAreaOnWindow(&area);
  return short(vertical ? area.bottom - area.top : area.right - area.left);
}

// ---- List positions and the view's content ---------------------------------------------------

short cLMgr_List_Base::ViewScrollValue(Boolean vertical) const {
  short h = 0, v = 0;
  GetScrollValue(h, v);
  return vertical ? v : h;
}

Boolean cLMgr_List_Base::Scaled(Boolean vertical) const {
  return (vertical ? areaHeight_ : areaWidth_) > kLMgrMaxViewContent ? 1 : 0;
}

short cLMgr_List_Base::ViewExtent(Boolean vertical) const {
  return short(std::min<SInt32>(vertical ? areaHeight_ : areaWidth_, kLMgrMaxViewContent));
}

SInt32 cLMgr_List_Base::ListMaxScroll(Boolean vertical) const {
  return std::max<SInt32>(0, (vertical ? areaHeight_ : areaWidth_) - ViewSize(vertical));
}

short cLMgr_List_Base::ViewValueOf(Boolean vertical, SInt32 position) const {
  if (Scaled(vertical) == 0) return ClampToShort(position);
  const SInt32 viewMax = std::max<SInt32>(0, kLMgrMaxViewContent - ViewSize(vertical));
  return ClampToShort(Proportion(position, viewMax, ListMaxScroll(vertical)));
}

SInt32 cLMgr_List_Base::PositionOfViewValue(Boolean vertical, short value) const {
  if (Scaled(vertical) == 0) return value;
  const SInt32 viewMax = std::max<SInt32>(0, kLMgrMaxViewContent - ViewSize(vertical));
  return std::min(Proportion(value, ListMaxScroll(vertical), viewMax), ListMaxScroll(vertical));
}

SInt32 cLMgr_List_Base::ListScroll(Boolean vertical) const {
  sScrollPlace& place = Place(vertical);
  const short value = ViewScrollValue(vertical);
  if (place.viewValue != value) place = sScrollPlace{PositionOfViewValue(vertical, value), value};
  return place.position;
}

SInt32 cLMgr_List_Base::Offset(Boolean vertical) const {
  return SInt32(ViewScrollValue(vertical)) - ListScroll(vertical);
}

short cLMgr_List_Base::ToView(Boolean vertical, SInt32 position) const {
  return ClampToShort(SInt64(position) + Offset(vertical));
}

SInt32 cLMgr_List_Base::ToList(Boolean vertical, short coordinate) const {
  return SInt32(SInt64(coordinate) - Offset(vertical));
}

Rect cLMgr_List_Base::ViewRect(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right) const {
  return Rect{ToView(1, top), ToView(0, left), ToView(1, bottom), ToView(0, right)};
}

Boolean cLMgr_List_Base::ScrollListTo(SInt32 h, SInt32 v, Boolean clamp, Boolean syncBars,
                                      Boolean redraw, Boolean notify) {
  const SInt32 targets[2] = {h, v};
  short values[2] = {-1, -1};
  bool moved = false;
  for (int axis = 0; axis < 2; ++axis) {
    SInt32 target = targets[axis];
    if (target < 0) continue;
    const SInt32 max = ListMaxScroll(axis != 0);
    if (target > max) {
      if (clamp == 0) continue;
      target = max;
    }
    if (target == ListScroll(axis != 0)) continue;
    // The exact place is kept: the view's value that stands for it follows.
    values[axis] = ViewValueOf(axis != 0, target);
    Place(axis != 0) = sScrollPlace{target, values[axis]};
    moved = true;
  }
  if (!moved) return 0;
  const short beforeH = ViewScrollValue(0), beforeV = ViewScrollValue(1);
  SetScrollValue(values[0], values[1], 1, syncBars, redraw, notify);
  if (ViewScrollValue(0) == beforeH && ViewScrollValue(1) == beforeV) {
    // A move shorter than one step of the view's value: the view did not scroll.
    SetupModifyDrawingRectAndFlag(nullptr, 1);
    if (redraw != 0) ReDrawAreaUpdateView(0);
  }
  return 1;
}

void cLMgr_List_Base::KeepScrollInStep() {
  for (int axis = 0; axis < 2; ++axis) {
    const Boolean vertical = axis != 0;
    const SInt32 position = std::min(ListScroll(vertical), ListMaxScroll(vertical));
    short h = -1, v = -1;
    (vertical ? v : h) = ViewValueOf(vertical, position);
    Place(vertical) = sScrollPlace{position, vertical ? v : h};
    if ((vertical ? v : h) != ViewScrollValue(vertical)) SetScrollValue(h, v, 1, 1, 0, 0);
    // The list stays where it was, whatever value the view could take.
    Place(vertical) = sScrollPlace{position, ViewScrollValue(vertical)};
  }
}

void cLMgr_List_Base::SetupScrollDrawingType(tScrollBarType type, tScrollDrawingType drawingType) {
  if (type == kSpHorizontalScrollBar) hScrollDrawingType_ = drawingType;
  if (type == kSpVerticalScrollBar) vScrollDrawingType_ = drawingType;
}

Boolean cLMgr_List_Base::GetScrollBarSize(tScrollBarType type, Rect& out) const {
  const cScrollBarObj* bar = GetViewScrollBarPtr(type);
  if (bar == nullptr) {
    out = Rect{0, 0, 0, 0};
    return 0;
  }
  bar->GetContorlAreaRect(out);
  return 1;
}

void cLMgr_List_Base::ResizeScrolBar(tScrollBarType type, const Rect& rect) {
  cScrollBarObj* bar = GetViewScrollBarPtr(type);
  if (bar == nullptr) return;
  short width = 0, height = 0;
  bar->GetControlObjSize(&width, &height);
  if (width != rect.right - rect.left || height != rect.bottom - rect.top) {
    bar->SetControlObjSize(short(rect.right - rect.left), short(rect.bottom - rect.top));
  }
  Rect current;
  bar->GetContorlAreaRect(current);
  if (current.left != rect.left || current.top != rect.top) {
    bar->MoveControlObj(rect.left, rect.top);
  }
}

void cLMgr_List_Base::SetupScrollArea() {
  SetupViewScrollArea(ViewExtent(0), ViewExtent(1), 0, 1);
  KeepScrollInStep();
}

// ---- Arrow steps ----------------------------------------------------------------------------

Boolean cLMgr_List_Base::DicisionScrollWidth(tScrollBarType type, short part, short step,
                                             short& output) {
  const bool vertical = type == kSpVerticalScrollBar;
  if ((vertical ? vScrollDrawingType_ : hScrollDrawingType_) == kLMgrScrollBarOwnStep) {
    output = step;
    return 0;
  }
  const bool middles =
      (vertical ? vScrollDrawingType_ : hScrollDrawingType_) == kLMgrScrollToLineMiddle;
  const SInt32 s = ListScroll(vertical);
  cLMgr_CellRoot* first = vertical ? rowRoots_ : columnRoots_;
  if (first == nullptr) {
    return SpReportFailure(kSource, "cLMgr_List_Base::DicisionScrollWidth", 1, kSpMsgNoComment,
                           static_cast<Boolean>(0));
  }
  // The line the view's edge lies in.
  cLMgr_CellRoot* current = FirstLineEndingAfter(vertical, s);
  if (current != nullptr && current != first && current->outerStart > s) current = nullptr;
  SInt32 target = s;
  if (part == kControlUpButtonPart) {
    if (current != first) {
      const cLMgr_CellRoot* previous =
          current != nullptr ? current->GetBeforeObjectPtr() : first->GetLastObjectPtr();
      target = middles ? Middle(previous) : previous->outerStart;
    } else {
      target = 0;
    }
  } else {
    if (part != kControlDownButtonPart || current == nullptr) return 0;
    const cLMgr_CellRoot* next = current->GetNextObjectPtr();
    if (next == nullptr) return 0;
    if (!middles) {
      target = next->outerStart;
    } else if (current == first && s < Middle(current)) {
      target = Middle(current);
    } else {
      target = Middle(next);
    }
  }
  target = std::clamp<SInt32>(target, 0, ListMaxScroll(vertical));
  // The bar moves the view's value; the list is at its line exactly when the value arrives.
  const short value = ViewScrollValue(vertical);
  const short arriving = ViewValueOf(vertical, target);
  output = short(SInt32(value) - arriving);
  if (part == kControlDownButtonPart) output = short(-output);
  if (target != s) {
    Place(vertical) = sScrollPlace{target, arriving};
    if (arriving == value) {
      // Less than one step of the value: the bar does not move, the list is drawn anew.
      SetupModifyDrawingRectAndFlag(nullptr, 1);
      ReDrawAreaUpdateView(0);
    }
  }
  return 1;
}

Boolean Sp_LM_DecisionScrollWidthForVScroll(unsigned long list, short part, short step,
                                            short& out) {
  if (list == 0) return 0;
  return reinterpret_cast<cLMgr_List_Base*>(list)->DicisionScrollWidth(kSpVerticalScrollBar, part,
                                                                       step, out);
}

Boolean Sp_LM_DecisionScrollWidthForHScroll(unsigned long list, short part, short step,
                                            short& out) {
  if (list == 0) return 0;
  return reinterpret_cast<cLMgr_List_Base*>(list)->DicisionScrollWidth(kSpHorizontalScrollBar, part,
                                                                       step, out);
}

// ---- Scrolling by lines ---------------------------------------------------------------------

bool cLMgr_List_Base::LineScrollTarget(Boolean vertical, Boolean alignStart, short count,
                                       Boolean partial, SInt32* out) const {
  const SInt32 s = ListScroll(vertical);
  const SInt32 w = ViewSize(vertical);
  const SInt32 c = vertical ? areaHeight_ : areaWidth_;
  if (count == 0 || (count < 0 && s == 0)) return false;
  // Where the view would stand to show the line at its edge.
  auto targetOf = [&](const cLMgr_CellRoot* line) {
    return alignStart != 0 ? line->outerStart : line->outerEnd - w;
  };

  SInt32 counted = 0, target = 0;
  if (count > 0) {
    // The first line past the edge, found through the index, then count lines on.
    cLMgr_CellRoot* r = FirstLineEndingAfter(vertical, alignStart != 0 ? s : s + w);
    for (; r != nullptr && counted < count; r = r->GetNextObjectPtr()) {
      const bool beyond = alignStart != 0 ? r->outerStart > s : r->outerEnd > s + w;
      if (!beyond) continue;
      target = targetOf(r);
      ++counted;
    }
  } else {
    // The last line still before the view's edge is one line back.
    const SInt32 edge = alignStart != 0 ? s : s + w;
    cLMgr_CellRoot* after = FirstLineEndingAfter(vertical, edge - 1);
    cLMgr_CellRoot* last = nullptr;
    if (after == nullptr) {
      cLMgr_CellRoot* head = vertical ? rowRoots_ : columnRoots_;
      last = head != nullptr ? head->GetLastObjectPtr() : nullptr;
    } else {
      last = (alignStart != 0 ? after->outerStart : after->outerEnd) < edge
                 ? after
                 : after->GetBeforeObjectPtr();
    }
    if (last != nullptr) {
      target = targetOf(last);
      counted = 1;
      for (cLMgr_CellRoot* at = last; counted < -SInt32(count); ++counted) {
        cLMgr_CellRoot* previous = at->GetBeforeObjectPtr();
        if (previous == nullptr) break;
        target -= alignStart != 0 ? Extent(previous) : Extent(at);
        at = previous;
      }
    }
  }
  if (counted == 0) return false;
  if (target + w > c) target = c - w;
  if (target < 0) target = 0;
  if (target == s) return false;
  if (counted < (count > 0 ? SInt32(count) : -SInt32(count)) && partial == 0) return false;
  if (out != nullptr) *out = target;
  return true;
}

Boolean cLMgr_List_Base::BasicCellScroll(Boolean vertical, Boolean alignStart, short count,
                                         Boolean partial, short* out) {
  if (out != nullptr) *out = 0;
  SInt32 target = 0;
  if (!LineScrollTarget(vertical, alignStart, count, partial, &target)) return 0;
  if (out != nullptr) *out = short(SInt32(ViewValueOf(vertical, target)) - ViewScrollValue(vertical));
  return 1;
}

Boolean cLMgr_List_Base::CellScroll(short hCount, Boolean hAlignStart, short vCount,
                                    Boolean vAlignStart, Boolean partial, Boolean syncBars,
                                    Boolean redraw) {
  SInt32 h = -1, v = -1;
  const bool across = hCount != 0 && LineScrollTarget(0, hAlignStart, hCount, partial, &h);
  const bool down = vCount != 0 && LineScrollTarget(1, vAlignStart, vCount, partial, &v);
  if (!across) h = -1;
  if (!down) v = -1;
  if (across || down) ScrollListTo(h, v, partial, syncBars, redraw, 0);
  return (across || down) ? 1 : 0;
}

// ---- Pages and targets ----------------------------------------------------------------------

Boolean cLMgr_List_Base::PageScroll(short vDirection, short hDirection, Boolean clamp,
                                    Boolean syncBars, Boolean redraw, Boolean notify) {
  // The next position a page away, or -1 when that direction stays.
  auto page = [clamp](short direction, SInt32 value, SInt32 max, SInt32 size) -> SInt32 {
    if (direction >= 1 && value < max) {
      if (value + size <= max) return value + size;
      return clamp != 0 ? max : -1;
    }
    if (direction < 0 && value > 0) {
      if (value - size >= 1) return value - size;
      return clamp != 0 ? 0 : -1;
    }
    return -1;
  };
  const SInt32 newV = page(vDirection, ListScroll(1), ListMaxScroll(1), ViewSize(1));
  const SInt32 newH = page(hDirection, ListScroll(0), ListMaxScroll(0), ViewSize(0));
  if (newV < 0 && newH < 0) return 0;
  return ScrollListTo(newH, newV, 1, syncBars, redraw, notify);
}

Boolean cLMgr_List_Base::ScrollWithTargetCellOutput(short row, short column, Boolean syncBars,
                                                    Boolean redraw, Boolean notify) {
  // The least scroll that shows the line; -1 when it is shown or does not exist.
  auto target = [this](Boolean vertical, short n) -> SInt32 {
    if (n <= 0) return -1;
    const cLMgr_CellRoot* line = FindLine(vertical, n);
    if (line == nullptr) return -1;
    const SInt32 value = ListScroll(vertical);
    const SInt32 a = line->outerStart, b = line->outerEnd, size = ViewSize(vertical);
    SInt32 wanted = -1;
    if (b - a > size) {
      wanted = SInt32((SInt64(a) + b - size) / 2);
    } else if (a < value) {
      wanted = a;
    } else if (b > value + size) {
      wanted = b - size;
    }
    return wanted == value ? -1 : wanted;
  };
  const SInt32 newV = target(1, row);
  const SInt32 newH = target(0, column);
  if (newV < 0 && newH < 0) return 0;
  return ScrollListTo(newH, newV, 1, syncBars, redraw, notify);
}
