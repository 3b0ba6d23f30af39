#include <algorithm>

#include "SpListClass.h"

namespace {

// The lines a size or line setter reaches: line n, or every line for a negative number.
bool Matches(const cLMgr_CellRoot* root, short line) {
  return line < 0 || root->lineNo == line;
}

// The band from..to of list positions of rows (across) or columns (down), as a union being
// grown.
struct sBand {
  SInt32 from = 0;
  SInt32 to = 0;
  bool any = false;
  void Add(SInt32 a, SInt32 b) {
    const SInt32 lo = std::max<SInt32>(0, a), hi = b;
    from = any ? std::min(from, lo) : lo;
    to = any ? std::max(to, hi) : hi;
    any = true;
  }
};

}  // namespace

void cLMgr_List_Base::Relayout(Boolean rows) {
  SetupRootPosition(rows, 1);
  SetupScrollArea();
}

void cLMgr_List_Base::MarkBandFrom(Boolean rows, SInt32 from, SInt32 oldEnd) {
  // A shrinking list leaves its old end to be painted over too.
  const SInt32 end = std::max(oldEnd, rows ? areaHeight_ : areaWidth_);
  MarkContentRect(LineBand(rows, from, end));
}

void cLMgr_List_Base::SetDefaultCellSize(short width, short height) {
  defaultCellWidth_ = width;
  defaultCellHeight_ = height;
}

void cLMgr_List_Base::SetRowHeight(short row, short height, Boolean redraw) {
  sBand changed;
  const SInt32 oldEnd = areaHeight_;
  // One row asked for is found through the line index when it is in step.
  cLMgr_CellRoot* one = row >= 0 ? FindLine(true, row) : nullptr;
  if (one != nullptr && one->lineNo == row) {
    if (one->size != height) {
      changed.Add(one->outerStart, one->outerStart);
      one->size = height;
    }
  } else {
    for (cLMgr_CellRoot* r = rowRoots_; r != nullptr; r = r->GetNextObjectPtr()) {
      if (!Matches(r, row) || r->size == height) continue;
      if (!changed.any) changed.Add(r->outerStart, r->outerStart);
      r->size = height;
    }
  }
  if (!changed.any) return;
  Relayout(true);
  MarkBandFrom(true, changed.from, oldEnd);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

Boolean cLMgr_List_Base::SetColumnWidth(short column, short width, Boolean redraw) {
  cLMgr_CellRoot* first = nullptr;
  SInt32 oldStart = 0;
  for (cLMgr_CellRoot* c = columnRoots_; c != nullptr; c = c->GetNextObjectPtr()) {
    if (!Matches(c, column) || c->size == width) continue;
    if (first == nullptr) {
      first = c;
      oldStart = c->outerStart;
    }
    c->size = width;
  }
  if (first == nullptr) return 0;
  const SInt32 oldEnd = areaWidth_;
  Relayout(false);
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0) return 1;
  MarkBandFrom(false, std::min(oldStart, first->outerStart), oldEnd);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cLMgr_List_Base::SetRowMinimumHeight(short row, short minimum) {
  for (cLMgr_CellRoot* r = rowRoots_; r != nullptr; r = r->GetNextObjectPtr()) {
    if (Matches(r, row)) r->minSize = minimum;
  }
}

void cLMgr_List_Base::SetColumnMinimumWidth(short column, short minimum) {
  for (cLMgr_CellRoot* c = columnRoots_; c != nullptr; c = c->GetNextObjectPtr()) {
    if (Matches(c, column)) c->minSize = minimum;
  }
}

// ---- Line widths ----------------------------------------------------------------------------

void cLMgr_List_Base::SetupRowLineWidth(short row, short startWidth, short endWidth) {
  SetupRootLineWidth(true, row, startWidth, endWidth);
}

void cLMgr_List_Base::SetupColLineWidth(short column, short startWidth, short endWidth) {
  SetupRootLineWidth(false, column, startWidth, endWidth);
}

// The lines move at once: drawing old positions with new widths would mix the two.
void cLMgr_List_Base::SetupRootLineWidth(Boolean rows, short line, short startWidth,
                                         short endWidth) {
  if (startWidth < 0 && endWidth < 0) return;
  if (line == 0) {
    if (startWidth >= 0) DefaultStartLine(rows).width = startWidth;
    if (endWidth >= 0) DefaultEndLine(rows).width = endWidth;
    return;
  }
  sBand changed;
  const SInt32 oldEnd = rows ? areaHeight_ : areaWidth_;
  for (cLMgr_CellRoot* r = LineHead(rows); r != nullptr; r = r->GetNextObjectPtr()) {
    if (!Matches(r, line)) continue;
    bool change = false;
    if (startWidth >= 0 && r->startLine.width != startWidth) {
      r->startLine.width = startWidth;
      change = true;
    }
    if (endWidth >= 0 && r->endLine.width != endWidth) {
      r->endLine.width = endWidth;
      change = true;
    }
    if (change && !changed.any) changed.Add(r->outerStart, r->outerStart);
  }
  if (!changed.any) return;
  Relayout(rows);
  MarkBandFrom(rows, changed.from, oldEnd);
}

// ---- Line colours and visibility ------------------------------------------------------------

void cLMgr_List_Base::SetupRowLineColor(short row, const RGBColor* startColor,
                                        const RGBColor* endColor) {
  SetupRootLineColor(true, row, startColor, endColor);
}

void cLMgr_List_Base::SetupColLineColor(short column, const RGBColor* startColor,
                                        const RGBColor* endColor) {
  SetupRootLineColor(false, column, startColor, endColor);
}

// Lines shown in the old colour are marked, so they do not keep it on the screen.
void cLMgr_List_Base::SetupRootLineColor(Boolean rows, short line, const RGBColor* startColor,
                                         const RGBColor* endColor) {
  if (startColor == nullptr && endColor == nullptr) return;
  if (line == 0) {
    if (startColor != nullptr) DefaultStartLine(rows).color = *startColor;
    if (endColor != nullptr) DefaultEndLine(rows).color = *endColor;
    return;
  }
  sBand changed;
  for (cLMgr_CellRoot* r = LineHead(rows); r != nullptr; r = r->GetNextObjectPtr()) {
    if (!Matches(r, line)) continue;
    if (startColor != nullptr) r->startLine.color = *startColor;
    if (endColor != nullptr) r->endLine.color = *endColor;
    changed.Add(r->outerStart, r->outerEnd);
  }
  if (changed.any) MarkContentRect(LineBand(rows, changed.from, changed.to));
}

void cLMgr_List_Base::RowLineTurnOnOff(short row, Boolean startOn, Boolean endOn) {
  RootLineTurnOnOff(true, row, startOn, endOn);
}

void cLMgr_List_Base::ColLineTurnOnOff(short column, Boolean startOn, Boolean endOn) {
  RootLineTurnOnOff(false, column, startOn, endOn);
}

void cLMgr_List_Base::RootLineTurnOnOff(Boolean rows, short line, Boolean startOn, Boolean endOn) {
  const unsigned char start = startOn != 0 ? 1 : 0, end = endOn != 0 ? 1 : 0;
  if (line == 0) {
    DefaultStartLine(rows).on = start;
    DefaultEndLine(rows).on = end;
    return;
  }
  sBand changed;
  for (cLMgr_CellRoot* r = LineHead(rows); r != nullptr; r = r->GetNextObjectPtr()) {
    if (!Matches(r, line)) continue;
    if (r->startLine.on != start) {
      r->startLine.on = start;
      changed.Add(SInt32(r->outerStart) - 1, SInt32(r->innerStart) + 1);
    }
    if (r->endLine.on != end) {
      r->endLine.on = end;
      changed.Add(SInt32(r->innerEnd) - 1, SInt32(r->outerEnd) + 1);
    }
  }
  if (changed.any) MarkContentRect(LineBand(rows, changed.from, changed.to));
}

Boolean cLMgr_List_Base::GetLineBehavior(Boolean rows, Boolean start, short line,
                                         sSpLineBehaviorStruct& out) {
  if (line <= 0) {
    out = start != 0 ? DefaultStartLine(rows) : DefaultEndLine(rows);
    return 1;
  }
  cLMgr_CellRoot* root = FindLine(rows, line);
  if (root == nullptr) return 0;
  out = start != 0 ? root->startLine : root->endLine;
  return 1;
}

Boolean cLMgr_List_Base::GetRowStartLineBehaviorData(short row, sSpLineBehaviorStruct& out) {
  return GetLineBehavior(true, true, row, out);
}

Boolean cLMgr_List_Base::GetRowEndLineBehabiorData(short row, sSpLineBehaviorStruct& out) {
  return GetLineBehavior(true, false, row, out);
}

Boolean cLMgr_List_Base::GetColStartLineBehaviorData(short column, sSpLineBehaviorStruct& out) {
  return GetLineBehavior(false, true, column, out);
}

Boolean cLMgr_List_Base::GetColEndLineBehabiorData(short column, sSpLineBehaviorStruct& out) {
  return GetLineBehavior(false, false, column, out);
}
