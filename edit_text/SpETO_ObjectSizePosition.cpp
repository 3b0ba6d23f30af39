// Sizes and positions of an edit-text object: coordinates, text positions, what follows a
// re-wrap (widths, redraw bands, scroll extent), growing and scrolling to show a position,
// resizing and moving, and the line-size settings.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "SpETOEditInternal.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"

namespace {

const char kSource[] = "SpETO_ObjectSizePosition";
const char kSourceSize[] = "SpETO_Size";
const char kPositionExchange[] = "Position exechange error !! ";

}  // namespace

using sp_eto_edit::Clamp16;
using sp_eto_edit::RectOf;

// ---- cETOAreaInfo ----

void cETOAreaInfo::InitializeValue(unsigned char links) {
  type_ = 0;
  startLine_ = endLine_ = nullptr;
  startByte_ = endByte_ = 0;
  if (links != 0) UnlinkSelf();
}

void cETOAreaInfo::InitializeRedrawFlagOnLink() {
  for (cETOAreaInfo* a = this; a != nullptr; a = a->GetNextObjectPtr()) a->redraw_ = 1;
}

void cETOAreaInfo::SetupStartPoint(cTextLineObject* line, SInt32 byte) {
  startLine_ = line;
  startByte_ = byte;
}

void cETOAreaInfo::SetupEndPoint(cTextLineObject* line, SInt32 byte) {
  endLine_ = line;
  endByte_ = byte;
}

void cETOAreaInfo::GetStartPoint(cTextLineObject*& line, SInt32& byte) const {
  line = startLine_;
  byte = startByte_;
}

void cETOAreaInfo::GetEndPoint(cTextLineObject*& line, SInt32& byte) const {
  line = endLine_;
  byte = endByte_;
}

// ---- Coordinates ----

Rect cEditTextObject::DrawingAreaOnWindow() const {
  Rect r{0, 0, 0, 0};
  GetDrawingAreaOnWindow(&r);
  return r;
}

Rect cEditTextObject::VisibleOffscreen() const {
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  return RectOf(v, h, SInt32(v) + (area.bottom - area.top), SInt32(h) + (area.right - area.left));
}

void cEditTextObject::OnWindowPositToEditorOffscreenPosit(Point in, Point& out) const {
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  out.h = Clamp16(SInt32(in.h) - area.left + h);
  out.v = Clamp16(SInt32(in.v) - area.top + v);
}

void cEditTextObject::EditorOffscreenPositToOnWindowPosit(Point in, Point& out) const {
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  out.h = Clamp16(SInt32(in.h) + area.left - h);
  out.v = Clamp16(SInt32(in.v) + area.top - v);
}

void cEditTextObject::OnWindowAreaToEditorOffscreenArea(const Rect& in, Rect& out) const {
  Point a, b;
  OnWindowPositToEditorOffscreenPosit(Point{in.top, in.left}, a);
  OnWindowPositToEditorOffscreenPosit(Point{in.bottom, in.right}, b);
  out = Rect{a.v, a.h, b.v, b.h};
}

void cEditTextObject::EditorOffscreenAreaToOnWindowArea(const Rect& in, Rect& out) const {
  Point a, b;
  EditorOffscreenPositToOnWindowPosit(Point{in.top, in.left}, a);
  EditorOffscreenPositToOnWindowPosit(Point{in.bottom, in.right}, b);
  out = Rect{a.v, a.h, b.v, b.h};
}

void cEditTextObject::EditorOffscreenAreaToOnWindowArea(RgnHandle rgn) const {
  if (rgn == nullptr) return;
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  OffsetRgn(rgn, Clamp16(SInt32(area.left) - h), Clamp16(SInt32(area.top) - v));
}

void cEditTextObject::WindowAreaToOnScreen(RgnHandle rgn) const {
  WindowRef window = GetTargetWindowPtr();
  if (rgn == nullptr || window == nullptr) return;
  Point origin = {0, 0};
  {
    cSpPortSaver port(window);
    LocalToGlobal(&origin);
  }
  OffsetRgn(rgn, origin.h, origin.v);
}

// ---- Text positions ----

unsigned char cEditTextObject::LineByteToAbsoluteCharBytePosition(const cTextLineObject* line,
                                                                  SInt32 byte,
                                                                  unsigned char withBreak,
                                                                  SInt32& abs) const {
  SInt32 total = 0;
  for (const cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    if (l == line) {
      abs = total + byte;
      return 1;
    }
    total += l->GetNumOfTextByte(1, withBreak);
  }
  return 0;
}

unsigned char cEditTextObject::AbsoluteCharByteToLineByte(SInt32 abs, unsigned char lineStart,
                                                          unsigned char clamp,
                                                          unsigned char withBreak,
                                                          cTextLineObject*& line, SInt32& byte,
                                                          unsigned char& clamped) const {
  clamped = 0;
  if (firstLine_ == nullptr || abs < 0) return 0;
  SInt32 total = 0;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    const SInt32 n = l->GetNumOfTextByte(1, withBreak);
    if (abs < total + n) {
      line = l;
      byte = abs - total;
      return 1;
    }
    if (abs == total + n) {
      cTextLineObject* next = l->GetNextObjectPtr();
      const bool counted = withBreak != 0 && l->GetContainLineBrakeFlag() != 0;
      if (counted) {
        // After a counted line break comes the next line; the last line keeps its end before
        // the break.
        line = next != nullptr ? next : l;
        byte = next != nullptr ? 0 : n - 1;
        return 1;
      }
      if (lineStart == 0 || next == nullptr) {
        line = l;
        byte = n;
      } else {
        line = next;
        byte = 0;
      }
      return 1;
    }
    total += n;
  }
  if (clamp == 0) return 0;
  line = lastLine_ != nullptr ? lastLine_ : firstLine_->GetLastObjectPtr();
  byte = line->GetNumOfTextByte(1, withBreak);
  clamped = 1;
  return 1;
}

unsigned char cEditTextObject::GetAbsCursorPositionInfo(const cTextLineObject* line, SInt32 byte,
                                                        SInt32& abs,
                                                        unsigned char& lineStart) const {
  if (line == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::GetAbsCursorPositionInfo", 1,
                           kSpMsgNullArgument, 0);
  }
  lineStart = byte == 0 ? 1 : 0;
  return LineByteToAbsoluteCharBytePosition(line, byte, 1, abs);
}

unsigned char cEditTextObject::GetCursorPositFromAbsPosit(SInt32 abs, unsigned char lineStart,
                                                          cTextLineObject*& line,
                                                          SInt32& byte) const {
  unsigned char clamped = 0;
  return AbsoluteCharByteToLineByte(abs, lineStart, 0, 1, line, byte, clamped);
}

unsigned char cEditTextObject::GetOffsetBytePosition(cTextLineObject* line, SInt32 byte,
                                                     unsigned char forward, SInt32 count,
                                                     unsigned char nextLine,
                                                     unsigned char withBreak,
                                                     cTextLineObject*& outLine,
                                                     SInt32& outByte) const {
  if (line == nullptr) {
    outLine = nullptr;
    outByte = 0;
    return 0;
  }
  if (count <= 0) {
    outLine = line;
    outByte = byte;
    return 1;
  }
  if (forward == 0) {
    // Backward: towards the start of the text, a counted line break one byte.
    while (true) {
      if (byte >= count) {
        outLine = line;
        outByte = byte - count;
        return 1;
      }
      cTextLineObject* before = line->GetBeforeObjectPtr();
      if (before == nullptr) return 0;
      count -= byte;
      if (withBreak != 0 && before->GetContainLineBrakeFlag() != 0) --count;
      line = before;
      byte = line->GetNumOfTextByte(1, 0);
      if (count <= 0) {
        outLine = line;
        outByte = byte + std::max<SInt32>(count, -byte);
        return 1;
      }
    }
  }
  while (true) {
    const SInt32 n = line->GetNumOfTextByte(1, 0);
    if (byte > n) return 0;
    if (byte + count <= n) {
      outLine = line;
      outByte = byte + count;
      if (outByte == n && nextLine != 0 && line->GetNextObjectPtr() != nullptr) {
        outLine = line->GetNextObjectPtr();
        outByte = 0;
      }
      return 1;
    }
    cTextLineObject* next = line->GetNextObjectPtr();
    if (next == nullptr) return 0;
    count -= n - byte;
    // A counted line break is one byte of the count; the next line is then reached at its
    // start.
    if (withBreak != 0 && line->GetContainLineBrakeFlag() != 0) --count;
    line = next;
    byte = 0;
    if (count == 0) {
      outLine = line;
      outByte = 0;
      return 1;
    }
  }
}

// ---- Hit testing ----

unsigned char cEditTextObject::PixPositToCharBytePosit(
    Point windowPoint, unsigned char allowOutside, unsigned char nearestLine,
    unsigned char nearestChar, SInt32& lineNumber, SInt32& byte, unsigned char& charFlag,
    unsigned char& outsideArea, unsigned char& outsideText, tETO_AreaOutType& areaOut,
    tETO_AreaOutType& lineOut, tETO_AreaOutType& charOut) {
  charFlag = 1;
  outsideArea = 0;
  outsideText = 0;
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0) return 0;
  areaOut = 0;
  if (!PtInRect(windowPoint, &visible)) {
    outsideArea = 1;
    if (allowOutside == 0) return 0;
    if (windowPoint.h < visible.left) areaOut |= 1;
    if (windowPoint.h >= visible.right) areaOut |= 4;
    if (windowPoint.v < visible.top) areaOut |= 2;
    if (windowPoint.v >= visible.bottom) areaOut |= 8;
  }
  lineOut = 0;
  charOut = 0;
  Point p;
  OnWindowPositToEditorOffscreenPosit(windowPoint, p);
  if (firstLine_ == nullptr) {
    lineNumber = 1;
    byte = 0;
    outsideText = 1;
    if (nearestLine != 0 && nearestChar != 0) {
      lineOut = 4;
      return 1;
    }
    return 0;
  }
  SInt32 longest = 0;
  bool allEmpty = true;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    longest = std::max(longest, l->GetNumOfTextByte(1, 1));
    if (l->GetNumOfTextByte(1, 0) > 0) allEmpty = false;
  }
  std::vector<char> work;
  if (!allEmpty) {
    work.assign(std::size_t(longest) + 4, 0);
    if (work.empty()) {
      return SpReportFailure(kSource, "cEditTextObject::PixPositToCharBytePosit", 1,
                             "can not allocated memory", 0);
    }
  }
  SInt32 count = 1;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr(), ++count) {
    unsigned char above = 0, below = 0;
    if (l->HeightInLine(p.v, nearestLine, &above, &below) == 0) continue;
    if (allEmpty) {
      lineNumber = l->GetReferenceNo();
      byte = 0;
      charOut = 8;
      outsideText = 1;
      return nearestChar != 0 ? 1 : 0;
    }
    unsigned char where = 0;
    tETO_AreaOutType area = 0;
    if (l->PixPositToCharBytePosit(work.data(), SInt32(work.size()), nearestChar, p.h, byte,
                                   charFlag, where, area) == 0) {
      return 0;
    }
    charOut = area;
    outsideText = area != kETO_AreaInside ? 1 : 0;
    lineNumber = count;
    if (above != 0 || below != 0) lineOut = 1;
    return 1;
  }
  if (allEmpty && nearestLine != 0) {
    lineNumber = 1;
    byte = 0;
    lineOut = 4;
    return 1;
  }
  return 0;
}

// ---- What follows a re-wrap ----

void cEditTextObject::ResetupOffscreenAreaSize() {
  const Rect area = DrawingAreaOnWindow();
  const SInt32 width = area.right - area.left;
  const SInt32 height = area.bottom - area.top;
  SInt32 contentWidth = width;
  SInt32 bottom = 0;
  for (const cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    contentWidth = std::max<SInt32>(contentWidth, l->GetLineWidth());
  }
  if (lastLine_ != nullptr) {
    SInt32 top = 0;
    lastLine_->GetLinePosition(top, bottom);
  }
  const SInt32 contentHeight = std::max<SInt32>(height, bottom + bottomOffset_);
  const SInt16 heldWidth = Clamp16(contentWidth);
  const SInt16 heldHeight = Clamp16(contentHeight);
  short h = 0, v = 0;
  GetScrollValue(h, v);
  short newH = h, newV = v;
  if (SInt32(h) + width > heldWidth) newH = Clamp16(std::max<SInt32>(0, heldWidth - width));
  if (SInt32(v) + height > heldHeight) newV = Clamp16(std::max<SInt32>(0, heldHeight - height));
  if (newH != h || newV != v) SetScrollValue(newH, newV, 1, 0, 0, 1);
  SetupViewScrollArea(heldWidth, heldHeight, 0, 1);
  currentWidth_ = heldWidth;
}

void cEditTextObject::MarkOffscreenBand(SInt32 top, SInt32 bottom, SInt32 left, SInt32 right) {
  if (bottom <= top || right <= left) return;
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const Rect band = RectOf(SInt32(area.top) + top - v, SInt32(area.left) + left - h,
                           SInt32(area.top) + bottom - v, SInt32(area.left) + right - h);
  Rect cut;
  if (!SectRect(&band, &area, &cut)) return;
  SetupModifyDrawingRectAndFlag(&cut, 1);
}

void cEditTextObject::SetupRedrawAreaForLineBreakeModify(cTextLineObject* line, SInt16 count,
                                                         unsigned char toEnd,
                                                         SInt32 oldTotalHeight) {
  MarkLineBand(line, count, toEnd != 0, oldTotalHeight, 0);
}

void cEditTextObject::SetupRedrawAreaForAfterModifyLineBreake(cTextLineObject* line, SInt16 count,
                                                              SInt16 second, SInt16 third,
                                                              SInt32 oldTotalHeight) {
  MarkLineBand(line, count, second > 0 || third > 0, oldTotalHeight, 1);
}

// The band from the changed line down: to the bottom of the drawing area when the text's height
// changed (or toEnd), else to the bottom of the count-th line (and `extra` pixels more).
void cEditTextObject::MarkLineBand(cTextLineObject* line, SInt16 count, bool toEnd,
                                   SInt32 oldTotalHeight, SInt32 extra) {
  if (line == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::MarkLineBand", 1, kSpMsgNullArgument);
    return;
  }
  const bool whole = toEnd || GetTotalLineHeight() != oldTotalHeight;
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  SInt32 top = 0, bottom = 0;
  line->GetLinePosition(top, bottom);
  const SInt32 visibleBottom = SInt32(v) + (area.bottom - area.top);
  if (top >= visibleBottom) return;
  SInt32 end = visibleBottom;
  if (!whole) {
    const cTextLineObject* last = line;
    for (SInt16 i = 1; i < count && last->GetNextObjectPtr() != nullptr; ++i) {
      last = last->GetNextObjectPtr();
    }
    SInt32 lastTop = 0, lastBottom = 0;
    last->GetLinePosition(lastTop, lastBottom);
    end = std::min(end, lastBottom + extra);
  }
  MarkOffscreenBand(std::max<SInt32>(top, v), end, h, SInt32(h) + (area.right - area.left));
}

bool cEditTextObject::ShiftImageBelow(SInt32 lastBottom, SInt32 moved) {
  if (moved == 0) return true;
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const SInt32 visibleBottom = SInt32(v) + (area.bottom - area.top);
  // Moving the image of a whole view's height or more saves nothing: it is drawn again.
  return std::abs(moved) < area.bottom - area.top && lastBottom < visibleBottom &&
         ShiftContentRows(Clamp16(std::min(lastBottom, lastBottom - moved)),
                          Clamp16(visibleBottom), Clamp16(moved));
}

void cEditTextObject::MarkRewrappedLines(cTextLineObject* line, SInt16 count,
                                         SInt32 oldTotalHeight) {
  const cTextLineObject* last = line;
  for (SInt16 i = 1; i < count && last->GetNextObjectPtr() != nullptr; ++i) {
    last = last->GetNextObjectPtr();
  }
  SInt32 top = 0, bottom = 0, lastTop = 0, lastBottom = 0;
  line->GetLinePosition(top, bottom);
  last->GetLinePosition(lastTop, lastBottom);
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const SInt32 visibleBottom = SInt32(v) + (area.bottom - area.top);
  const bool shifted = ShiftImageBelow(lastBottom, GetTotalLineHeight() - oldTotalHeight);
  const SInt32 end = shifted ? lastBottom + 1 : visibleBottom;
  MarkOffscreenBand(std::max<SInt32>(top, v), std::min(end, visibleBottom), h,
                    SInt32(h) + (area.right - area.left));
}

void cEditTextObject::MarkChangedLines(cTextLineObject* line, SInt32 oldTotalHeight) {
  // The wrap reached the lines from `line` on, one after the other. After the last one whose
  // contents changed, every line holds what it held and moves with the text's height: their
  // image is moved, not drawn.
  cTextLineObject* lastChanged = nullptr;
  for (cTextLineObject* l = line; l != nullptr && l->ReachedByLastWatchedRewrap();
       l = l->GetNextObjectPtr()) {
    if (!l->HoldsAsBeforeRewrap()) lastChanged = l;
  }
  SInt32 top = 0, bottom = 0;
  line->GetLinePosition(top, bottom);
  if (lastChanged != nullptr) lastChanged->GetLinePosition(top, bottom);
  const Rect area = DrawingAreaOnWindow();
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const SInt32 left = h, right = SInt32(h) + (area.right - area.left);
  if (!ShiftImageBelow(lastChanged != nullptr ? bottom : top,
                       GetTotalLineHeight() - oldTotalHeight)) {
    line->GetLinePosition(top, bottom);
    MarkOffscreenBand(std::max<SInt32>(top, v), SInt32(v) + (area.bottom - area.top), left,
                      right);
    return;
  }
  for (cTextLineObject* l = line; lastChanged != nullptr; l = l->GetNextObjectPtr()) {
    // A line that shows what it showed, where it showed it, is left as it is on the screen.
    if (!l->LooksAsBeforeRewrap()) {
      l->GetLinePosition(top, bottom);
      MarkOffscreenBand(top, bottom, left, right);
    }
    if (l == lastChanged) break;
  }
}

void cEditTextObject::TragetLineResetBreakLine(cTextLineObject* line, SInt32 oldTotalHeight,
                                               unsigned char& widthChanged,
                                               unsigned char redraw) {
  RewrapAndMark(line, oldTotalHeight, widthChanged, redraw, false, nullptr);
}

void cEditTextObject::RewrapAndMark(cTextLineObject* line, SInt32 oldTotalHeight,
                                    unsigned char& widthChanged, unsigned char redraw,
                                    bool watched, const cTextLineObject* edited) {
  if (line == nullptr) {
    SpReportFailure(kSourceSize, "cEditTextObject::TragetLineResetBreakLine", 1,
                    kSpMsgNullArgument);
    return;
  }
  SInt16 handled = 0, added = 0, removed = 0;
  const SInt16 oldWidth = currentWidth_;
  if (watched) {
    line->ResetBreakLineWatched(handled, added, removed, widthChanged, edited);
  } else {
    line->ResetBreakLine(handled, added, removed, widthChanged);
  }
  UpdateLastLine();
  FitWidthForAutoLineChange(0);
  if (widthChanged != 0 || currentWidth_ != oldWidth) {
    SetupRedrawAreaForAfterModifyLineBreake(line, handled, added, removed, oldTotalHeight);
  } else if (watched) {
    MarkChangedLines(line, oldTotalHeight);
  } else {
    MarkRewrappedLines(line, handled, oldTotalHeight);
  }
  ResetupOffscreenAreaSize();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

unsigned char cEditTextObject::FitWidthForAutoLineChange(unsigned char redraw) {
  if (variableLineWidth_ == 0 || firstLine_ == nullptr) return 0;
  SInt32 widest = 0;
  for (const cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    widest = std::max(widest, l->GetRealLineWidth(1, 1));
  }
  if (widest == currentWidth_) return 0;
  if (widest > currentWidth_ && lineMaxWidth_ > 0 && currentWidth_ >= lineMaxWidth_) return 0;
  if (widest < currentWidth_ && lineMinWidth_ > 0 && currentWidth_ <= lineMinWidth_) return 0;
  SInt32 width = widest;
  if (lineMaxWidth_ > 0) width = std::min<SInt32>(width, lineMaxWidth_);
  if (lineMinWidth_ > 0) width = std::max<SInt32>(width, lineMinWidth_);
  if (initialWidth_ > 0) width = std::max<SInt32>(width, initialWidth_);
  const SInt16 held = Clamp16(width);
  if (held != currentWidth_) {
    currentWidth_ = held;
    for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
      l->SetupLineWidth(held);
    }
  }
  if (autoGrow_ != 0) {
    Rect area;
    GetImmediateDrawingArea(&area);
    if (area.right - area.left != held) {
      Rect grown = area;
      grown.right = Clamp16(SInt32(area.left) + held);
      GrowTo(grown);
    }
  }
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cEditTextObject::GrowTo(const Rect& newArea) {
  Rect oldArea;
  GetImmediateDrawingArea(&oldArea);
  Rect before = oldArea, after = newArea;
  ExecAutoViewGrowBeforeTextCB(before, after);
  EditTextAutoViewGrowBeforeProc();
  ResizeViewArea(newArea, 0, 1);
  before = oldArea;
  after = newArea;
  ExecAutoViewGrowAfterTextCB(before, after);
  EditTextAutoViewGrowAfterProc();
}

void cEditTextObject::ShowTargetPosition(cTextLineObject* line, SInt32 byte,
                                         unsigned char& changed, unsigned char redraw) {
  changed = 0;
  if (autoScroll_ == 0 && autoGrow_ == 0) return;
  if (line == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::ShowTargetPosition", 1,
                    "Line Pointer Arg is Null !! ");
    return;
  }
  SInt32 left = 0, right = 0;
  if (!(byte == 0 && line->GetNumOfTextByte(1, 0) == 0)) {
    SInt16 x1 = 0, x2 = 0;
    if (line->CharBytePositToPixPosit(nullptr, 0, byte, x1) == 0 ||
        line->CharBytePositToPixPosit(nullptr, 0, byte + 1, x2) == 0) {
      return;
    }
    left = x1;
    right = std::max(x1, x2);
  }
  SInt32 top = 0, bottom = 0;
  line->GetLinePosition(top, bottom);
  const Rect visible = VisibleOffscreen();
  const SInt32 visibleHeight = visible.bottom - visible.top;
  const SInt32 visibleWidth = visible.right - visible.left;
  SInt32 dv = 0, dh = 0, grow = 0;
  if (autoScroll_ != 0 && top < visible.top + topOffset_) dv = top - (visible.top + topOffset_);
  const bool scrollNotGrow = autoScroll_ != 0 && autoGrow_ == 0;
  SInt32 below = 0;
  if (bottom - top < visibleHeight - topOffset_ - bottomOffset_ &&
      bottom > visible.bottom - bottomOffset_) {
    below = bottom - visible.bottom + bottomOffset_;
  } else if (bottom > visible.bottom) {
    below = bottom - visible.bottom;
  }
  if (below > 0) {
    if (scrollNotGrow) {
      dv = below;
    } else if (autoGrow_ != 0 && dv == 0) {
      // A view that scrolls up to show the target does not grow at the same time.
      grow = below;
    }
  }
  if (autoScroll_ != 0 && left < visible.left + leftOffset_) {
    dh = left - (visible.left + leftOffset_);
  } else if (scrollNotGrow && right > visible.right - rightOffset_) {
    dh = (right - left < visibleWidth - leftOffset_ - rightOffset_)
             ? right - visible.right + rightOffset_
             : right - visible.right;
  }
  if (grow > 0) {
    Rect area;
    GetImmediateDrawingArea(&area);
    Rect grown = area;
    grown.bottom = Clamp16(SInt32(area.bottom) + grow);
    GrowTo(grown);
    SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
    changed = 1;
  }
  if (dh != 0 || dv != 0) {
    short sh = Clamp16(dh), sv = Clamp16(dv);
    if (ScrollView(sh, sv, 1, 0, 0, 1) != 0) changed = 1;
  }
  cSp_View* container = GetContainerView();
  if (containerAutoScroll_ != 0 && container != nullptr) {
    Rect area;
    GetImmediateDrawingArea(&area);
    short h = 0, v = 0;
    GetScrollValue(h, v);
    const SInt32 dx = SInt32(area.left) - h, dy = SInt32(area.top) - v;
    Rect target = RectOf(top + dy - topOffset_, std::max<SInt32>(0, left + dx - leftOffset_),
                         bottom + dy + bottomOffset_, right + dx + rightOffset_);
    unsigned char scrolled = 0;
    container->ScrollForToShowTargetPosition(target, scrolled, redraw);
    if (scrolled != 0) changed = 1;
  }
  if (redraw != 0 && changed != 0) ReDrawAreaUpdateView(0);
}

// ---- Resizing and moving ----

bool cEditTextObject::RememberPosition(SInt32& start, unsigned char& startFlag, SInt32& end,
                                       unsigned char& endFlag) const {
  if ((caretMode_ == 0 && selectionMode_ == 0) || startLine_ == nullptr) return false;
  return GetSelectionInfoStock(start, startFlag, end, endFlag) != 0;
}

void cEditTextObject::RestoreRememberedPosition(bool had, SInt32 start, unsigned char startFlag,
                                                SInt32 end, unsigned char endFlag) {
  if (!had) return;
  if (SetupSelectionPosition(start, startFlag, end, endFlag, 0, 0) == 0 && startLine_ == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::RestoreRememberedPosition", 3, kPositionExchange);
  }
}

void cEditTextObject::ResizeEditTextViewImmediate(const Rect& area, unsigned char rewrap,
                                                  unsigned char initialWidth,
                                                  unsigned char redraw) {
  SInt32 start = 0, end = 0;
  unsigned char startFlag = 0, endFlag = 0;
  const bool positioned = (caretMode_ != 0 || selectionMode_ != 0) && startLine_ != nullptr;
  if (positioned && !RememberPosition(start, startFlag, end, endFlag)) {
    SpReportFailure(kSource, "cEditTextObject::ResizeEditTextViewImmediate", 1,
                    kPositionExchange);
    return;
  }
  const SInt32 oldHeight = GetTotalLineHeight();
  const Rect oldArea = DrawingAreaOnWindow();
  ResizeViewArea(area, 0, 1);
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
  const Rect newArea = DrawingAreaOnWindow();
  if (EqualRect(&oldArea, &newArea)) return;
  sp_eto_edit::cRegion exposed, old;
  if (exposed && old) {
    RectRgn(exposed, &newArea);
    RectRgn(old, &oldArea);
    DiffRgn(exposed, old, exposed);
    if (!EmptyRgn(exposed)) SetupModifyDrawingRgnAndFlag(exposed, 1);
  }
  if (rewrap != 0 && firstLine_ != nullptr) {
    const SInt16 width = SInt16(newArea.right - newArea.left);
    currentWidth_ = width;
    if (initialWidth != 0 || initialWidth_ > width) initialWidth_ = width;
    for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
      l->SetupLineWidth(width);
      unsigned char changed = 0;
      if (lineMaxWidth_ > 0 && lineMaxWidth_ < width) l->SetupLineMaxWidth(width, 0, changed);
    }
    // The lines the caret or selection named may go in the re-wrap.
    InitializeSelection();
    unsigned char widthChanged = 1;
    TragetLineResetBreakLine(firstLine_, oldHeight, widthChanged, 0);
    if (lineMaxWidth_ > 0 && lineMaxWidth_ < width) lineMaxWidth_ = width;
  }
  RestoreRememberedPosition(positioned, start, startFlag, end, endFlag);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::MoveEditTextViewImmediate(short left, short top, unsigned char redraw) {
  Rect area;
  GetImmediateDrawingArea(&area);
  if (area.left == left && area.top == top) return;
  OffsetRect(&area, short(left - area.left), short(top - area.top));
  ResizeViewArea(area, 0, 1);
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

// ---- Offsets and line sizes ----

void cEditTextObject::SetupEditorTopOffset(SInt16 offset, unsigned char redraw) {
  if (offset == topOffset_) return;
  topOffset_ = offset;
  if (firstLine_ != nullptr) firstLine_->SetupLineVerticalPosition(topOffset_, 1);
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) Sp_RedrawViewWindow(GetTargetWindowPtr(), 0);
}

void cEditTextObject::SetupLeftOffset(SInt16 offset, SInt32 reference, unsigned char asDefault,
                                      unsigned char redraw) {
  if (asDefault != 0) leftOffset_ = offset;
  ApplyLineOffset(&cTextLineObject::SetupLeftOffset, offset, reference, redraw);
}

void cEditTextObject::SetupRightOffset(SInt16 offset, SInt32 reference, unsigned char asDefault,
                                       unsigned char redraw) {
  if (asDefault != 0) rightOffset_ = offset;
  ApplyLineOffset(&cTextLineObject::SetupRightOffset, offset, reference, redraw);
}

// The lines of the reference number (every line for a negative one) take the offset; the text
// is wrapped again from the line before the first of them.
void cEditTextObject::ApplyLineOffset(void (cTextLineObject::*setter)(SInt16), SInt16 offset,
                                      SInt32 reference, unsigned char redraw) {
  cTextLineObject* first = nullptr;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    if (reference >= 0 && l->GetReferenceNo() != reference) continue;
    (l->*setter)(offset);
    if (first == nullptr) first = l;
  }
  if (first == nullptr) return;
  cTextLineObject* from = first->GetBeforeObjectPtr() != nullptr ? first->GetBeforeObjectPtr() : first;
  unsigned char widthChanged = 1;
  TragetLineResetBreakLine(from, GetTotalLineHeight(), widthChanged, redraw);
}

void cEditTextObject::SetupLineHeight(SInt16 height, unsigned char redraw) {
  lineHeight_ = height;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    l->SetupLineHeight(height);
  }
  if (firstLine_ != nullptr) firstLine_->SetupLineVerticalPosition(topOffset_, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::SetupLineMinWidth(SInt16 width, unsigned char fixed, unsigned char redraw) {
  if (width == lineMinWidth_) return;
  lineMinWidth_ = width;
  ApplyLineWidthLimit(&cTextLineObject::SetupLineMinWidth, width, fixed, redraw);
}

void cEditTextObject::SetupLineMaxWidth(SInt16 width, unsigned char fixed, unsigned char redraw) {
  if (width == lineMaxWidth_) return;
  lineMaxWidth_ = width;
  ApplyLineWidthLimit(&cTextLineObject::SetupLineMaxWidth, width, fixed, redraw);
}

// Every line takes the limit; when one changes its width the text is wrapped again, the caret
// or selection kept by position.
void cEditTextObject::ApplyLineWidthLimit(tLineWidthSetter setter, SInt16 width,
                                          unsigned char fixed, unsigned char redraw) {
  const unsigned char apply = (fixed != 0 && variableLineWidth_ == 0) ? 0 : 1;
  bool any = false;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    unsigned char changed = 0;
    (l->*setter)(width, apply, changed);
    if (changed != 0) any = true;
  }
  if (any && firstLine_ != nullptr) {
    SInt32 start = 0, end = 0;
    unsigned char startFlag = 0, endFlag = 0;
    const bool had = RememberPosition(start, startFlag, end, endFlag);
    InitializeSelection();
    unsigned char widthChanged = 1;
    TragetLineResetBreakLine(firstLine_, GetTotalLineHeight(), widthChanged, 0);
    RestoreRememberedPosition(had, start, startFlag, end, endFlag);
  }
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

SInt16 cEditTextObject::GetLineHeight(SInt32 n, unsigned char withAbove,
                                      unsigned char withBelow) const {
  const cTextLineObject* line = n >= 1 ? GetLinePtr(n) : nullptr;
  return line != nullptr ? line->GetLineHeight(withAbove, withBelow) : lineHeight_;
}

SInt32 cEditTextObject::GetTotalLineHeight() const {
  return firstLine_ != nullptr ? firstLine_->GetTotalLineHeightOnLink() : 0;
}
