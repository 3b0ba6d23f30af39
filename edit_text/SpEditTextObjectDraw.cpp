// Drawing an edit-text object into its view's offscreen: the selection's highlight (or the
// drag's, or the clauses of inline input), then the lines that meet what is to be drawn.
#include <algorithm>

#include "QuickDraw.h"
#include "SpETOEditInternal.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"

namespace {
const char kSource[] = "SpEditTextObject";
}  // namespace

using sp_eto_edit::cRegion;
using sp_eto_edit::RectOf;

void cEditTextObject::DrawEditText(Rect*) {
  cRegion clip;
  if (!clip) {
    SpReportFailure(kSource, "cEditTextObject::DrawEditText", 2, kSpMsgMemory);
    return;
  }
  SetFractEnable(true);
  const Rect visible = VisibleOffscreen();
  if (showSelection_ != 0 && selectionMode_ != 0 && startLine_ != nullptr && endLine_ != nullptr) {
    DrawHiliteBackColorOnOffscreenArea(startLine_, startByte_, endLine_, endByte_);
  } else if (dragHilite_ != 0 && startLine_ != nullptr && endLine_ != nullptr) {
    DrawHiliteBackColorOnOffscreenArea(startLine_, startByte_, endLine_, endByte_);
  } else if (textInputInProgress_ != 0 && inputAreaHead_ != nullptr) {
    cTextLineObject* previousLine = nullptr;
    SInt32 previousByte = -1;
    for (cETOAreaInfo* a = inputAreaHead_; a != nullptr; a = a->GetNextObjectPtr()) {
      cTextLineObject* sl = nullptr;
      cTextLineObject* el = nullptr;
      SInt32 sb = 0, eb = 0;
      a->GetStartPoint(sl, sb);
      a->GetEndPoint(el, eb);
      if (sl == nullptr || el == nullptr) continue;
      if (a->GetAreaType() == 4) DrawHiliteBackColorOnOffscreenArea(sl, sb, el, eb);
      const unsigned char joined = (sl == previousLine && sb == previousByte) ? 1 : 0;
      DrawUnderLineOnOffscreenArea(sl, sb, el, eb, tETO_UnderLineType(a->GetAreaType()), joined);
      previousLine = el;
      previousByte = eb;
    }
  }
  GetClip(clip);
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    SInt32 top = 0, bottom = 0;
    l->GetLinePosition(top, bottom);
    if (bottom <= visible.top) continue;
    if (top >= visible.bottom) break;
    const Rect band = RectOf(top, 0, bottom, currentWidth_);
    if (RectInRgn(&band, clip)) l->DrawLine(visible.left, visible.right);
  }
}

void cEditTextObject::DrawHiliteBackColorOnOffscreenArea(cTextLineObject* startLine,
                                                         SInt32 startByte,
                                                         cTextLineObject* endLine,
                                                         SInt32 endByte) {
  cRegion area, savedClip, clip;
  if (!area || !savedClip || !clip) return;
  const bool active = IsActiveEditText() != 0;
  Rect bounds = VisibleOffscreen();
  if (!active) InsetRect(&bounds, 1, 1);
  GetClip(savedClip);
  RectRgn(clip, &bounds);
  SectRgn(clip, savedClip, clip);
  SetClip(clip);
  unsigned char caretOnly = 0;
  if (startLine != nullptr && endLine != nullptr &&
      std::abs(startLine->GetReferenceNo() - endLine->GetReferenceNo()) == 1) {
    cRegion second;
    if (second) {
      GetAreaForTargetLineFromSelectedArea(startLine, startLine, startByte, endLine, endByte,
                                           nullptr, area, caretOnly);
      GetAreaForTargetLineFromSelectedArea(endLine, startLine, startByte, endLine, endByte,
                                           nullptr, second, caretOnly);
      UnionRgn(area, second, area);
    }
  } else {
    GetSelectionOffscreenArea(startLine, startByte, endLine, endByte, nullptr, area, caretOnly);
  }
  if (!EmptyRgn(area)) {
    RGBColor saved, hilite;
    GetForeColor(&saved);
    LMGetHiliteRGB(&hilite);
    RGBForeColor(&hilite);
    if (active) {
      PaintRgn(area);
    } else {
      FrameRgn(area);
    }
    RGBForeColor(&saved);
  }
  SetClip(savedClip);
}

void cEditTextObject::GetSelectionRegionOnOffscreenArea(cTextLineObject* startLine,
                                                        SInt32 startByte,
                                                        cTextLineObject* endLine, SInt32 endByte,
                                                        RgnHandle out) {
  if (out == nullptr) return;
  SetEmptyRgn(out);
  cRegion area, inner, clip;
  if (!area || !inner || !clip) return;
  unsigned char caretOnly = 0;
  if (GetSelectionOffscreenArea(startLine, startByte, endLine, endByte, nullptr, area,
                                caretOnly) == 0) {
    return;
  }
  CopyRgn(area, inner);
  InsetRgn(inner, 1, 1);
  DiffRgn(area, inner, out);
  Rect bounds = VisibleOffscreen();
  InsetRect(&bounds, 1, 1);
  RectRgn(clip, &bounds);
  SectRgn(out, clip, out);
}

void cEditTextObject::DrawUnderLineOnOffscreenArea(cTextLineObject* startLine, SInt32 startByte,
                                                   cTextLineObject* endLine, SInt32 endByte,
                                                   tETO_UnderLineType type,
                                                   unsigned char joined) {
  sp_eto_edit::sSpan span;
  if (!sp_eto_edit::Order(startLine, startByte, endLine, endByte, span)) return;
  for (cTextLineObject* l = span.first; l != nullptr; l = l->GetNextObjectPtr()) {
    const SInt32 from = l == span.first ? span.firstByte : 0;
    const SInt32 to = l == span.last ? span.lastByte : l->GetNumOfTextByte(1, 0);
    l->DrawUnderLine(from, to, type, joined);
    if (l == span.last) break;
  }
}
