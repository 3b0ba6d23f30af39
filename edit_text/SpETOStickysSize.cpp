// Sticky notes: the size functions, size limits, resizing and moving, fitting the title,
// following the edit text's growth, and minimizing and restoring.
#include <algorithm>
#include <cstring>

#include "SpETOStickysObject.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceObject.h"
#include "SpPortSaver.h"

namespace {

const char kSource[] = "SpETOStickysSize";

// The shadow strip on the right and at the bottom of the base view.
constexpr SInt16 kShadow = 4;

Rect AtOrigin(const Rect& r) {
  return Rect{0, 0, SInt16(r.bottom - r.top), SInt16(r.right - r.left)};
}

SInt16 WidthOf(const Rect& r) {
  return SInt16(r.right - r.left);
}

SInt16 HeightOf(const Rect& r) {
  return SInt16(r.bottom - r.top);
}

}  // namespace

// ---- Size functions ----

void SpETOSticky_GetEditTextAreaFromFrameSize(const Rect& frame, Rect& out,
                                              unsigned char titleOutput, SInt16 titleHeight,
                                              SInt16 offsetLeft, SInt16 offsetTop,
                                              SInt16 offsetRight, SInt16 offsetBottom,
                                              unsigned char minimizeIcon) {
  const SInt16 t = titleOutput != 0 ? titleHeight : SInt16(0);
  out.top = SInt16(frame.top + t + offsetTop);
  out.left = SInt16(frame.left + offsetLeft + 2);
  out.right = SInt16(frame.right - offsetRight - 2);
  // The minimize box takes the bottom strip, so the bottom offset plays no part with it.
  out.bottom = SInt16(minimizeIcon != 0 ? frame.bottom - 7 : frame.bottom - offsetBottom - 4);
}

void SpETOSticky_GetViewSizeFromEditTextArea(const Rect& edit, Rect& frame, Rect& shadow,
                                             Rect& base, unsigned char titleOutput,
                                             SInt16 titleHeight, unsigned char minimizeIcon,
                                             SInt16 offsetLeft, SInt16 offsetTop,
                                             SInt16 offsetRight, SInt16 offsetBottom) {
  const SInt16 t = titleOutput != 0 ? titleHeight : SInt16(0);
  const Rect whole{SInt16(edit.top - t - offsetTop), SInt16(edit.left - offsetLeft - 2),
                   SInt16(minimizeIcon != 0 ? edit.bottom + 7 : edit.bottom + offsetBottom + 4),
                   SInt16(edit.right + offsetRight + 2)};
  frame = AtOrigin(whole);
  // The shadow lies 4 pixels down and right of the frame, as every later change stores it.
  shadow = Rect{kShadow, kShadow, SInt16(frame.bottom + kShadow), SInt16(frame.right + kShadow)};
  base = Rect{0, 0, SInt16(frame.bottom + kShadow), SInt16(frame.right + kShadow)};
}

void SpETOSticky_GetFrameAreaFromBaseViewArea(const Rect& base, Rect& out) {
  out = Rect{base.top, base.left, SInt16(base.bottom - kShadow), SInt16(base.right - kShadow)};
}

void SpETOSticky_GetFrameAreaOnBaseViewOffscreenFromBaseViewArea(const Rect& base, Rect& out) {
  SpETOSticky_GetFrameAreaFromBaseViewArea(AtOrigin(base), out);
}

void SpETOSticky_GetBaseViewSizeFromFrameArea(const Rect& frame, Rect& out) {
  out = Rect{frame.top, frame.left, SInt16(frame.bottom + kShadow), SInt16(frame.right + kShadow)};
  OffsetRect(&out, frame.left, frame.top);
}

void SpETOSticky_GetShadowAreaFromBaseViewArea(const Rect& base, Rect& out) {
  out = Rect{SInt16(base.top + kShadow), SInt16(base.left + kShadow), base.bottom, base.right};
}

void SpETOSticky_GetShadowAreaOnBaseViewFromBaseViewArea(const Rect& base, Rect& out) {
  SpETOSticky_GetShadowAreaFromBaseViewArea(AtOrigin(base), out);
}

// ---- The note's own geometry ----

void cStickyObject::GetEditTextAreaFromFrameSize(const Rect& frame, Rect& out) const {
  SpETOSticky_GetEditTextAreaFromFrameSize(frame, out, titleOutput_, titleHeight_, offsetLeft_,
                                           offsetTop_, offsetRight_, offsetBottom_,
                                           minimizeIcon_);
}

void cStickyObject::GetEditTextAreaOnBaseViewOffscreenFromFrameArea(const Rect& frame,
                                                                    Rect& out) const {
  GetEditTextAreaFromFrameSize(frame, out);
  OffsetRect(&out, SInt16(-frame.left), SInt16(-frame.top));
}

void cStickyObject::GetViewSizeFromEditTextArea(const Rect& edit, Rect& frame, Rect& shadow,
                                                Rect& base) const {
  SpETOSticky_GetViewSizeFromEditTextArea(edit, frame, shadow, base, titleOutput_, titleHeight_,
                                          minimizeIcon_, offsetLeft_, offsetTop_, offsetRight_,
                                          offsetBottom_);
}

SInt16 cStickyObject::EditWidthFromFrameWidth(SInt16 frameWidth) const {
  return SInt16(std::max(0, frameWidth - offsetLeft_ - offsetRight_ - 4));
}

SInt16 cStickyObject::EditHeightFromFrameHeight(SInt16 frameHeight) const {
  const int below = minimizeIcon_ != 0 ? 7 : offsetBottom_ + 4;
  return SInt16(std::max(0, frameHeight - ShownTitleHeight() - offsetTop_ - below));
}

Rect cStickyObject::CurrentFrame() const {
  if (minimized_ == 0) return frameArea_;
  Rect frame;
  SpETOSticky_GetFrameAreaOnBaseViewOffscreenFromBaseViewArea(minimizedArea_, frame);
  return frame;
}

void cStickyObject::DeriveAreasFromBase(const Rect& base) {
  SpETOSticky_GetFrameAreaOnBaseViewOffscreenFromBaseViewArea(base, frameArea_);
  SpETOSticky_GetShadowAreaOnBaseViewFromBaseViewArea(base, shadowArea_);
}

void cStickyObject::ResizeEditToFrame(unsigned char rewrap, unsigned char initialWidth) {
  GetEditTextAreaOnBaseViewOffscreenFromFrameArea(frameArea_, editArea_);
  ResizeEditTextViewImmediate(editArea_, rewrap, initialWidth, 0);
}

void cStickyObject::StoreCurrentStateArea(const Rect& rect) {
  if (minimized_ != 0) {
    minimizedArea_ = rect;
  } else {
    normalArea_ = rect;
  }
}

// ---- Size limits ----

void cStickyObject::SetupMinWidth(SInt16 width, unsigned char ofNote, unsigned char redraw) {
  SInt16 edit = width;
  if (ofNote != 0) {
    minWidth_ = width;
    edit = EditWidthFromFrameWidth(width);
  } else {
    Rect frame, shadow, base;
    GetViewSizeFromEditTextArea(Rect{0, 0, 1, width}, frame, shadow, base);
    minWidth_ = WidthOf(base);
  }
  SetupLineMinWidth(edit, 1, redraw);
}

void cStickyObject::SetupMaxWidth(SInt16 width, unsigned char ofNote, unsigned char redraw) {
  SInt16 edit = width;
  if (ofNote != 0) {
    maxWidth_ = width;
    edit = width > 0 ? EditWidthFromFrameWidth(SInt16(width - kShadow)) : SInt16(0);
  } else if (width > 0) {
    Rect frame, shadow, base;
    GetViewSizeFromEditTextArea(Rect{0, 0, 1, width}, frame, shadow, base);
    maxWidth_ = WidthOf(base);
  } else {
    maxWidth_ = 0;
  }
  if (minimized_ != 0) {
    // While minimized the edit text keeps its width; the limit reaches it on restore.
    pendingLineMax_ = 1;
    pendingLineMaxWidth_ = edit;
    return;
  }
  SetupLineMaxWidth(edit, 1, redraw);
}

void cStickyObject::SetupMinHeight(SInt16 height, unsigned char ofNote) {
  SInt16 edit = height;
  if (ofNote != 0) {
    minHeight_ = height;
    edit = EditHeightFromFrameHeight(height);
  } else {
    Rect frame, shadow, base;
    GetViewSizeFromEditTextArea(Rect{0, 0, height, 1}, frame, shadow, base);
    minHeight_ = HeightOf(base);
  }
  SetupMinViewHeight(edit);
}

void cStickyObject::SetupMaxHeight(SInt16 height, unsigned char ofNote) {
  SInt16 edit = height;
  if (ofNote != 0) {
    maxHeight_ = height;
    edit = height > 0 ? EditHeightFromFrameHeight(height) : SInt16(0);
  } else if (height > 0) {
    Rect frame, shadow, base;
    GetViewSizeFromEditTextArea(Rect{0, 0, height, 1}, frame, shadow, base);
    maxHeight_ = HeightOf(base);
  } else {
    maxHeight_ = 0;
  }
  SetupMaxViewHeight(edit);
}

void cStickyObject::GetStickyMinSize(SInt16& width, SInt16& height) const {
  width = minWidth_;
  height = minHeight_;
}

void cStickyObject::GetStickyMaxSize(SInt16& width, SInt16& height) const {
  width = maxWidth_;
  height = maxHeight_;
}

void cStickyObject::ClampNormalStickyArea(Rect& rect) const {
  const SInt16 minH = SInt16(minHeight_ + ShownTitleHeight());
  if (WidthOf(rect) < minWidth_) rect.right = SInt16(rect.left + minWidth_);
  if (HeightOf(rect) < minH) rect.bottom = SInt16(rect.top + minH);
  if (maxWidth_ > 0 && maxWidth_ < WidthOf(rect)) rect.right = SInt16(rect.left + maxWidth_);
  if (maxHeight_ > 0 && maxHeight_ < HeightOf(rect)) rect.bottom = SInt16(rect.top + maxHeight_);
}

void cStickyObject::ClampMinimizedStickyArea(Rect& rect) const {
  if (WidthOf(rect) < minWidth_) rect.right = SInt16(rect.left + minWidth_);
  if (maxWidth_ > 0 && maxWidth_ < WidthOf(rect)) rect.right = SInt16(rect.left + maxWidth_);
}

// ---- Resizing and moving ----

void cStickyObject::SetupNewStickySize(const Rect& rect, unsigned char redraw,
                                       unsigned char rewrap, unsigned char initialWidth) {
  if (base_ == nullptr) return;
  Rect current;
  base_->GetImmediateDrawingArea(&current);
  if (WidthOf(rect) == WidthOf(current) && HeightOf(rect) == HeightOf(current)) return;
  Rect next = rect;
  OffsetRect(&next, SInt16(current.left - rect.left), SInt16(current.top - rect.top));
  DeriveAreasFromBase(next);
  base_->ResizeViewArea(next, 0, 1);
  StoreCurrentStateArea(next);
  SetupStickyAreaParameter(0);
  // A minimized note's edit view is hidden; restoring derives its area again.
  if (minimized_ == 0) ResizeEditToFrame(rewrap, initialWidth);
  MarkBase(redraw);
}

void cStickyObject::SetupNewStickyPosition(short h, short v, unsigned char redraw) {
  if (base_ == nullptr) return;
  Rect current;
  base_->GetImmediateDrawingArea(&current);
  if (current.left == h && current.top == v) return;
  OffsetRect(&current, SInt16(h - current.left), SInt16(v - current.top));
  DeriveAreasFromBase(current);
  base_->ResizeViewArea(current, 0, 1);
  if (minimized_ == 0) ResizeEditToFrame(0, 0);
  SetupStickyAreaParameter(0);
  StoreCurrentStateArea(current);
  MarkBase(redraw);
}

void cStickyObject::SetupNormalStickyAreaSize(const Rect& rect, unsigned char redraw,
                                              unsigned char callProcs, unsigned char rewrap,
                                              unsigned char initialWidth) {
  if (EmptyRect(&rect)) {
    SpReportFailure(kSource, "cStickyObject::SetupNormalStickyAreaSize", 1, kSpMsgDataError);
    return;
  }
  Rect next = rect;
  ClampNormalStickyArea(next);
  if (EqualRect(&next, &normalArea_)) return;
  normalArea_ = next;
  if (minimized_ != 0 || base_ == nullptr) return;
  Rect old;
  base_->GetImmediateDrawingArea(&old);
  if (callProcs != 0) ExecuteStickyResizeBeforeProc(old, next);
  SetupNewStickySize(next, redraw, rewrap, initialWidth);
  Rect now;
  base_->GetImmediateDrawingArea(&now);
  if (callProcs != 0) ExecuteStickyResizeAfterProc(old, now);
}

void cStickyObject::SetupMimizeStickyAreaSize(const Rect& rect, unsigned char redraw,
                                              unsigned char callProcs, unsigned char sizeSet) {
  if (EqualRect(&rect, &minimizedArea_)) return;
  Rect next = rect;
  ClampMinimizedStickyArea(next);
  minimizedArea_ = next;
  minimizedSizeSet_ = sizeSet;
  if (minimized_ == 0 || base_ == nullptr) return;
  Rect old;
  base_->GetImmediateDrawingArea(&old);
  if (callProcs != 0) ExecuteStickyResizeBeforeProc(old, next);
  base_->ResizeViewArea(next, 0, 1);
  SetupStickyAreaParameter(0);
  if (callProcs != 0) ExecuteStickyResizeAfterProc(old, next);
  MarkBase(redraw);
}

void cStickyObject::SetupWidthForTitleFinIn(unsigned char redraw, unsigned char callProcs,
                                            unsigned char initialWidth) {
  if (title_ == nullptr || SpSO_GetStringLen(title_) == 0 || base_ == nullptr) return;
  char text[512];
  unsigned char cut = 0;
  SpSO_GetString(title_, text, sizeof text, cut);
  SInt16 textWidth = 0;
  {
    cSpPortSaver saver(GetTargetWindowPtr());
    CGrafPtr port = GetWindowPort(GetTargetWindowPtr());
    const SInt16 font = GetPortTextFont(port);
    const SInt16 size = GetPortTextSize(port);
    TextFont(titleFontNo_);
    TextSize(titleTextSize_);
    textWidth = TextWidth(text, 0, SInt16(std::min<size_t>(strlen(text), 32767)));
    TextFont(font);
    TextSize(size);
  }
  const int frameWidth =
      textWidth + titleInsetLeft_ + titleInsetRight_ + (minimized_ != 0 ? 36 : 20);
  Rect next = minimized_ != 0 ? minimizedArea_ : normalArea_;
  int width = frameWidth + kShadow;
  if (maxWidth_ > 0) width = std::min<int>(width, maxWidth_);
  if (width <= WidthOf(next)) return;
  next.right = SInt16(std::min(32767, next.left + width));
  Rect old;
  base_->GetImmediateDrawingArea(&old);
  if (callProcs != 0) ExecuteStickyResizeBeforeProc(old, next);
  SetupNewStickySize(next, 0, 1, initialWidth);
  if (callProcs != 0) ExecuteStickyResizeAfterProc(old, next);
  MarkBase(redraw);
}

// ---- Queries ----

void cStickyObject::GetTextAreaSize(Rect& out) const {
  GetImmediateDrawingArea(&out);
}

void cStickyObject::GetStickyDrawingArea(Rect& out) const {
  out = Rect{0, 0, 0, 0};
  if (base_ != nullptr) base_->GetDrawingAreaOnWindow(&out);
}

void cStickyObject::GetStickyImmeditDrawingArea(Rect& out) const {
  GetStickyBaseViewImmeditArea(out);
}

unsigned char cStickyObject::GetStickyViewableDrawingArea(Rect& out) const {
  return GetStickyBaseViewViewableDrawingArea(out);
}

void cStickyObject::GetStickyBaseViewImmeditArea(Rect& out) const {
  out = Rect{0, 0, 0, 0};
  if (base_ != nullptr) base_->GetImmediateDrawingArea(&out);
}

void cStickyObject::GetStickyBaseViewDrawingArea(Rect& out) const {
  GetStickyDrawingArea(out);
}

unsigned char cStickyObject::GetStickyBaseViewViewableDrawingArea(Rect& out) const {
  out = Rect{0, 0, 0, 0};
  return base_ != nullptr ? base_->GetViewableDrawingAreaOnWindow(out) : 0;
}

cStickeyBaseObj* cStickyObject::GetStickyBaseView() const {
  if (base_ == nullptr) {
    SpReportFailure(kSource, "cStickyObject::GetStickyBaseView", 1,
                    "Base Object Ponter is null !! ");
  }
  return base_;
}

// ---- Following the place and the edit text ----

void cStickyObject::SetupStickyAreaParameter(unsigned char quiet) {
  if (base_ == nullptr) return;
  Rect visible;
  if (base_->GetViewableDrawingAreaOnWindow(visible) != 0) {
    Rect whole;
    base_->GetDrawingAreaOnWindow(&whole);
    if (stickyTrace_ != nullptr) {
      if (stickyTrace_->IsMouseTraceEnable() == 0) stickyTrace_->EnableMouseTrace();
      stickyTrace_->ModifyMouseTraceArea(whole, quiet);
    }
    if (hotSpot_ != nullptr) {
      if (hotSpot_->IsHotSpotEnable() == 0) hotSpot_->EnableHotSpotArea();
      hotSpot_->SetupHotSpotArea(whole);
    }
  } else {
    if (stickyTrace_ != nullptr) stickyTrace_->DisableMouseTrace();
    if (hotSpot_ != nullptr) hotSpot_->DisableHotSpotArea();
  }
  if (minimized_ == 0) SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
}

void cStickyObject::CatchAutoGrowEdit(Rect& before, Rect& after) {
  (void)before;
  if (base_ == nullptr) return;
  editArea_ = after;
  Rect frame, shadow, size;
  GetViewSizeFromEditTextArea(after, frame, shadow, size);
  frameArea_ = frame;
  shadowArea_ = shadow;
  Rect old;
  base_->GetImmediateDrawingArea(&old);
  Rect next = size;
  OffsetRect(&next, old.left, old.top);
  ExecuteStickyAutoGrowBeforeProc(old, next);
  base_->ResizeViewArea(next, 0, 1);
  StoreCurrentStateArea(next);
  SetupStickyAreaParameter(0);
  ExecuteStickyAutoGrowAfterProc(old, next);
}

// ---- Minimizing and restoring ----

void cStickyObject::CalcMinimizedStickyInitialSize(Rect& out) const {
  Rect base{0, 0, 0, 0};
  GetStickyBaseViewImmeditArea(base);
  const SInt16 title = titleHeight_ < 1 ? SInt16(12) : titleHeight_;
  out = Rect{base.top, base.left, SInt16(base.top + title + 6), base.right};
}

void cStickyObject::MinimizeExecute(unsigned char redraw, unsigned char callResizeProcs,
                                    unsigned char callMinimizeProc) {
  if (minimized_ != 0 || base_ == nullptr) return;
  minimized_ = 1;
  base_->GetImmediateDrawingArea(&normalArea_);
  if (minimizedSizeSet_ == 0) CalcMinimizedStickyInitialSize(minimizedArea_);
  DisableEditTextView(0);
  SetupEditTextFlag(0);
  Rect old = normalArea_, next = minimizedArea_;
  if (callResizeProcs != 0) ExecuteStickyResizeBeforeProc(old, next);
  base_->ResizeViewArea(minimizedArea_, 0, 1);
  if (callResizeProcs != 0) ExecuteStickyResizeAfterProc(old, next);
  if (callMinimizeProc != 0) ExecuteStickyMimizeProc();
  SetupStickyAreaParameter(0);
  MarkBase(redraw);
}

void cStickyObject::OpenMinimize(unsigned char redraw, unsigned char callResizeProcs,
                                 unsigned char callNormalizeProc) {
  if (minimized_ == 0 || base_ == nullptr) return;
  minimized_ = 0;
  Rect old;
  base_->GetImmediateDrawingArea(&old);
  Rect next = normalArea_;
  OffsetRect(&next, SInt16(old.left - next.left), SInt16(old.top - next.top));
  base_->ResizeViewArea(next, 0, 1);
  normalArea_ = next;
  if (callResizeProcs != 0) ExecuteStickyResizeBeforeProc(old, next);
  // Frame and shadow follow the restored rectangle and the edit area comes from that frame,
  // as on every other change of size; a size set while minimized re-wraps the text.
  DeriveAreasFromBase(next);
  ResizeEditToFrame(1, 0);
  if (pendingLineMax_ != 0) {
    SetupLineMaxWidth(pendingLineMaxWidth_, 1, 0);
    pendingLineMax_ = 0;
  }
  if (callResizeProcs != 0) ExecuteStickyResizeAfterProc(old, next);
  if (callNormalizeProc != 0) ExecuteStickyNomalizeProc();
  SetupEditTextFlag(1);
  SetupSelectionFlag(1);
  EnableEditTextView(0);
  SetupStickyAreaParameter(0);
  MarkBase(redraw);
}

void cStickyObject::ChangeMinimize(unsigned char redraw, unsigned char callResizeProcs,
                                   unsigned char callProc) {
  if (minimized_ != 0) {
    OpenMinimize(redraw, callResizeProcs, callProc);
  } else {
    MinimizeExecute(redraw, callResizeProcs, callProc);
  }
}
