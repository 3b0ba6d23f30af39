// Scrolling a list by its lines: the content size the view scrolls over, the arrow steps of
// the list's scroll bars, and scrolls by lines, by pages and to a row or column.
#include <algorithm>

#include "SpErrorInfoSystem.h"
#include "SpListClass.h"

namespace {

const char kSource[] = "SpListClass";

short Middle(const cLMgr_CellRoot* line) {
  return short((SInt32(line->outerStart) + line->outerEnd) / 2);
}

short Extent(const cLMgr_CellRoot* line) {
  return short(line->outerEnd - line->outerStart);
}

short ToShort(SInt32 value) {
  return short(std::clamp<SInt32>(value, -32768, 32767));
}

}  // namespace

short cLMgr_List_Base::ViewSize(Boolean vertical) const {
  Rect area;
  GetDrawingAreaOnWindow(&area);
  return short(vertical ? area.bottom - area.top : area.right - area.left);
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
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const short width = ViewSize(0), height = ViewSize(1);
  const short maxH = areaWidth_ > width ? short(areaWidth_ - width) : 0;
  const short maxV = areaHeight_ > height ? short(areaHeight_ - height) : 0;
  // A scroll value the content no longer reaches comes back to the content's end.
  short newH = h > maxH ? maxH : -1;
  short newV = v > maxV ? maxV : -1;
  if (newH >= 0 || newV >= 0) SetScrollValue(newH, newV, 1, 0, 0, 0);
  SetupViewScrollArea(areaWidth_, areaHeight_, 0, 1);
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
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const short s = vertical ? v : h;
  cLMgr_CellRoot* first = vertical ? rowRoots_ : columnRoots_;
  if (first == nullptr) {
    return SpReportFailure(kSource, "cLMgr_List_Base::DicisionScrollWidth", 1, kSpMsgNoComment,
                           static_cast<Boolean>(0));
  }
  // The line the view's edge lies in.
  cLMgr_CellRoot* current = FirstLineEndingAfter(vertical, s);
  if (current != nullptr && current != first && current->outerStart > s) current = nullptr;
  if (part == kControlUpButtonPart) {
    if (current == first) {
      output = s;
    } else {
      const cLMgr_CellRoot* previous =
          current != nullptr ? current->GetBeforeObjectPtr() : first->GetLastObjectPtr();
      output = ToShort(SInt32(s) - (middles ? Middle(previous) : previous->outerStart));
    }
    return 1;
  }
  if (part != kControlDownButtonPart || current == nullptr) return 0;
  const cLMgr_CellRoot* next = current->GetNextObjectPtr();
  if (next == nullptr) return 0;
  if (!middles) {
    output = ToShort(SInt32(next->outerStart) - s);
  } else if (current == first && s < Middle(current)) {
    output = ToShort(SInt32(Middle(current)) - s);
  } else {
    output = ToShort(SInt32(Middle(next)) - s);
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

Boolean cLMgr_List_Base::BasicCellScroll(Boolean vertical, Boolean alignStart, short count,
                                         Boolean partial, short* out) {
  if (out != nullptr) *out = 0;
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const SInt32 s = vertical ? v : h;
  const SInt32 w = ViewSize(vertical);
  const SInt32 c = vertical ? areaHeight_ : areaWidth_;
  if (count == 0 || (count < 0 && s == 0)) return 0;
  // Where the view would stand to show the line at its edge.
  auto targetOf = [&](const cLMgr_CellRoot* line) {
    return alignStart != 0 ? SInt32(line->outerStart) : SInt32(line->outerEnd) - w;
  };

  SInt32 counted = 0, target = 0;
  if (count > 0) {
    for (cLMgr_CellRoot* r = LineHead(vertical); r != nullptr && counted < count;
         r = r->GetNextObjectPtr()) {
      const bool beyond = alignStart != 0 ? r->outerStart > s : r->outerEnd > s + w;
      if (!beyond) continue;
      target = targetOf(r);
      ++counted;
    }
  } else {
    // The last line still before the view's edge is one line back.
    cLMgr_CellRoot* last = nullptr;
    for (cLMgr_CellRoot* r = LineHead(vertical); r != nullptr; r = r->GetNextObjectPtr()) {
      const bool before = alignStart != 0 ? r->outerStart < s : r->outerEnd < s + w;
      if (!before) break;
      last = r;
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
  if (counted == 0) return 0;
  if (target + w > c) {
    target = c - w;
  }
  if (target < 0) target = 0;
  if (target == s) return 0;
  if (counted < (count > 0 ? SInt32(count) : -SInt32(count)) && partial == 0) return 0;
  if (out != nullptr) *out = ToShort(target - s);
  return 1;
}

Boolean cLMgr_List_Base::CellScroll(short hCount, Boolean hAlignStart, short vCount,
                                    Boolean vAlignStart, Boolean partial, Boolean syncBars,
                                    Boolean redraw) {
  short dh = 0, dv = 0;
  const Boolean across = hCount != 0 ? BasicCellScroll(0, hAlignStart, hCount, partial, &dh) : 0;
  const Boolean down = vCount != 0 ? BasicCellScroll(1, vAlignStart, vCount, partial, &dv) : 0;
  if ((across != 0 || down != 0) && (dh != 0 || dv != 0)) {
    ScrollView(dh, dv, partial, syncBars, redraw, 0);
  }
  return (across != 0 || down != 0) ? 1 : 0;
}

// ---- Pages and targets ----------------------------------------------------------------------

Boolean cLMgr_List_Base::PageScroll(short vDirection, short hDirection, Boolean clamp,
                                    Boolean syncBars, Boolean redraw, Boolean notify) {
  short maxH = 0, maxV = 0, h = 0, v = 0;
  GetViewMaxScrollValue(&maxH, &maxV);
  GetScrollValue(h, v);
  // The next value a page away, or -1 when that direction stays.
  auto page = [clamp](short direction, SInt32 value, SInt32 max, SInt32 size) -> short {
    if (direction >= 1 && value < max) {
      if (value + size <= max) return ToShort(value + size);
      return clamp != 0 ? ToShort(max) : -1;
    }
    if (direction < 0 && value > 0) {
      if (value - size >= 1) return ToShort(value - size);
      return clamp != 0 ? 0 : -1;
    }
    return -1;
  };
  short newV = page(vDirection, v, maxV, ViewSize(1));
  short newH = page(hDirection, h, maxH, ViewSize(0));
  if (newV < 0 && newH < 0) return 0;
  return SetScrollValue(newH, newV, 1, syncBars, redraw, notify);
}

Boolean cLMgr_List_Base::ScrollWithTargetCellOutput(short row, short column, Boolean syncBars,
                                                    Boolean redraw, Boolean notify) {
  short h = 0, v = 0;
  GetScrollValue(h, v);
  // The least scroll that shows the line; -1 when it is shown or does not exist.
  auto target = [this](Boolean vertical, short n, SInt32 value) -> short {
    if (n <= 0) return -1;
    const cLMgr_CellRoot* line = FindLine(vertical, n);
    if (line == nullptr) return -1;
    const SInt32 a = line->outerStart, b = line->outerEnd, size = ViewSize(vertical);
    if (b - a > size) return ToShort((a + b - size) / 2);
    if (a < value) return ToShort(a);
    if (b > value + size) return ToShort(b - size);
    return -1;
  };
  short newV = target(1, row, v);
  short newH = target(0, column, h);
  if (newV == v) newV = -1;
  if (newH == h) newH = -1;
  if (newV < 0 && newH < 0) return 0;
  return SetScrollValue(newH, newV, 1, syncBars, redraw, notify);
}
