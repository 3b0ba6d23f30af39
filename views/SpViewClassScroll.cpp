// Scrolling a view's content: the content size and the scroll value, relative and absolute
// scrolls with their clamps, the shift of the offscreen image, the notifications, the shared
// scroll bars, and scrolling a rectangle into sight up the container chain.
#include <algorithm>
#include <cstdlib>

#include "SpStdDrawingFunctionInternal.h"
#include "SpViewClass.h"
#include "SpViewInternal.h"
#include "SpViewWindow.h"

using namespace sp_view_detail;

namespace {

const char kSource[] = "SpViewClassScroll";

sSpScrollBarServices scrollBarServices_GlV = {};

// The arrow step of the bars views make for themselves.
constexpr short kAutoArrowStep = 20;

cScrollBarObj* BarOf(const cSp_uLongCollection& collection) {
  unsigned long value = 0;
  if (collection.GetNumberOfItem() == 0 || collection.GetValue(1, value) == 0) return nullptr;
  return reinterpret_cast<cScrollBarObj*>(value);
}

}  // namespace

void Sp_SetupScrollBarServices(const sSpScrollBarServices* services) {
  scrollBarServices_GlV = services != nullptr ? *services : sSpScrollBarServices{};
}

cScrollBarObj* SpView_GetScrollBarObject(const cSp_uLongCollection* collection) {
  if (collection == nullptr) return nullptr;
  return BarOf(*collection);
}

// ---- Bars -----------------------------------------------------------------------------------

void cSp_View::ReleaseScrollBar(tScrollBarType type) {
  cSp_uLongCollection& bars = ScrollBars(type);
  cScrollBarObj* bar = BarOf(bars);
  if (bar != nullptr && scrollBarServices_GlV.UnusedScrollBarObject != nullptr) {
    scrollBarServices_GlV.UnusedScrollBarObject(bar, this);
  }
  bars.ClearAllListItem();
}

void cSp_View::SetupViewScrollAtAutoSetup(const Rect* hBar, const Rect* vBar) {
  if (hBar == nullptr && vBar == nullptr) {
    SpReportFailure(kSource, "cSp_View::SetupViewScrollAtAutoSetup", 1, kSpMsgNullArgument);
    return;
  }
  const struct {
    const Rect* rect;
    tScrollBarType type;
  } wanted[] = {{hBar, kSpHorizontalScrollBar}, {vBar, kSpVerticalScrollBar}};
  for (const auto& w : wanted) {
    if (w.rect == nullptr) continue;
    ReleaseScrollBar(w.type);
    cScrollBarObj* bar = nullptr;
    if (scrollBarServices_GlV.NewScrollBar != nullptr) {
      bar = scrollBarServices_GlV.NewScrollBar(GetTargetWindowPtr(), w.type, *w.rect, 0, 0,
                                               kAutoArrowStep, outputEnabled_);
    }
    if (bar == nullptr) continue;
    if (scrollBarServices_GlV.AttachView != nullptr) scrollBarServices_GlV.AttachView(bar, this);
    ScrollBars(w.type).SetValue(-1, reinterpret_cast<unsigned long>(bar));
    EnableViewScroll(w.type);
  }
}

void cSp_View::SetupViewScrollBar(tScrollBarType type, cScrollBarObj* scrollBar) {
  if (scrollBar == nullptr) return;
  const tScrollBarType direction =
      type == kSpHorizontalScrollBar ? kSpHorizontalScrollBar : kSpVerticalScrollBar;
  cScrollBarObj* current = BarOf(ScrollBars(direction));
  if (current == scrollBar) return;
  if (current != nullptr) ReleaseScrollBar(direction);
  if (scrollBarServices_GlV.AttachView != nullptr) {
    scrollBarServices_GlV.AttachView(scrollBar, this);
  }
  ScrollBars(direction).SetValue(-1, reinterpret_cast<unsigned long>(scrollBar));
  EnableViewScroll(direction);
}

cScrollBarObj* cSp_View::GetViewScrollBarPtr(tScrollBarType type) const {
  return BarOf(type == kSpHorizontalScrollBar ? hScrollBars_ : vScrollBars_);
}

void cSp_View::NotificationModifyToScrollBar(tScrollBarType type) {
  if (type != kSpHorizontalScrollBar && type != kSpVerticalScrollBar) return;
  cScrollBarObj* bar = BarOf(ScrollBars(type));
  if (bar != nullptr && scrollBarServices_GlV.NortificationViewModify != nullptr) {
    scrollBarServices_GlV.NortificationViewModify(bar, this);
  }
}

void cSp_View::VisibleViewScrollBar(tScrollBarType type) {
  if (type != kSpHorizontalScrollBar && type != kSpVerticalScrollBar) return;
  cScrollBarObj* bar = BarOf(ScrollBars(type));
  if (bar != nullptr && scrollBarServices_GlV.SetScrollBarVisible != nullptr) {
    scrollBarServices_GlV.SetScrollBarVisible(bar, 1);
  }
}

void cSp_View::InvisibleViewScrollBar(tScrollBarType type) {
  if (type != kSpHorizontalScrollBar && type != kSpVerticalScrollBar) return;
  cScrollBarObj* bar = BarOf(ScrollBars(type));
  if (bar != nullptr && scrollBarServices_GlV.SetScrollBarVisible != nullptr) {
    scrollBarServices_GlV.SetScrollBarVisible(bar, 0);
  }
}

// ---- Content size and flags -----------------------------------------------------------------

void cSp_View::SetupViewScrollArea(short width, short height, unsigned char redraw,
                                   unsigned char notify) {
  bool changed = false;
  if (width >= 0 && width != contentWidth_) {
    contentWidth_ = width;
    NotificationModifyToScrollBar(kSpHorizontalScrollBar);
    changed = true;
  }
  if (height >= 0 && height != contentHeight_) {
    contentHeight_ = height;
    NotificationModifyToScrollBar(kSpVerticalScrollBar);
    changed = true;
  }
  if (changed) ModifyScrollValue(1, 1, redraw, notify);
}

void cSp_View::GetViewScrollArea(short& width, short& height) const {
  width = contentWidth_;
  height = contentHeight_;
}

void cSp_View::GetViewMaxScrollValue(short* h, short* v) const {
  if (h != nullptr) *h = short(std::max(0, contentWidth_ - Width()));
  if (v != nullptr) *v = short(std::max(0, contentHeight_ - Height()));
}

unsigned char cSp_View::IsEnableViewScroll(tScrollBarType type) const {
  if (type == kSpHorizontalScrollBar) return hScrollEnabled_;
  if (type == kSpVerticalScrollBar) return vScrollEnabled_;
  return 0;
}

void cSp_View::EnableViewScroll(tScrollBarType type) {
  if (type == kSpHorizontalScrollBar && contentWidth_ > Width()) hScrollEnabled_ = 1;
  if (type == kSpVerticalScrollBar && contentHeight_ > Height()) vScrollEnabled_ = 1;
}

void cSp_View::DisableViewScroll(tScrollBarType type) {
  if (type == kSpHorizontalScrollBar) hScrollEnabled_ = 0;
  if (type == kSpVerticalScrollBar) vScrollEnabled_ = 0;
}

unsigned char cSp_View::ModifyScrollValue(unsigned char syncBars, unsigned char,
                                          unsigned char redrawNow, unsigned char notify) {
  short maxH = 0, maxV = 0;
  GetViewMaxScrollValue(&maxH, &maxV);
  const struct {
    tScrollBarType type;
    bool larger;
  } axes[] = {{kSpHorizontalScrollBar, contentWidth_ > Width()},
              {kSpVerticalScrollBar, contentHeight_ > Height()}};
  for (const auto& axis : axes) {
    if (axis.larger) {
      EnableViewScroll(axis.type);
    } else {
      DisableViewScroll(axis.type);
    }
  }
  short h = scrollH_ > maxH ? maxH : (scrollH_ < 0 ? 0 : -1);
  short v = scrollV_ > maxV ? maxV : (scrollV_ < 0 ? 0 : -1);
  if (h < 0 && v < 0) return 0;
  // A direction that was just disabled cannot scroll back into range: its value is set
  // straight, and the whole view shows the content anew.
  bool direct = false;
  if (h >= 0 && hScrollEnabled_ == 0) {
    scrollH_ = h;
    h = -1;
    direct = true;
    if (syncBars != 0 && scrollBarServices_GlV.ExecuteScroll != nullptr && BarOf(hScrollBars_)) {
      scrollBarServices_GlV.ExecuteScroll(BarOf(hScrollBars_), scrollH_, 1, this);
    }
  }
  if (v >= 0 && vScrollEnabled_ == 0) {
    scrollV_ = v;
    v = -1;
    direct = true;
    if (syncBars != 0 && scrollBarServices_GlV.ExecuteScroll != nullptr && BarOf(vScrollBars_)) {
      scrollBarServices_GlV.ExecuteScroll(BarOf(vScrollBars_), scrollV_, 1, this);
    }
  }
  if (direct) SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (h >= 0 || v >= 0) {
    SetScrollValue(h, v, 1, syncBars, redrawNow, notify);
  } else if (redrawNow != 0) {
    ReDrawAreaUpdateView(0);
  }
  return 1;
}

// ---- Scrolling ------------------------------------------------------------------------------

void cSp_View::TellItemsOfScroll(bool after, short dh, short dv) {
  int steps = 0;
  for (cSp_View* v = itemHead_; v != nullptr; v = v->NextInSubtree(this)) {
    if (++steps > 3000) {
      SpReportFailure(kSource, "cSp_View::ScrollView", 2, kMsgLoop);
      return;
    }
    if (after) {
      v->AfterContainerScrollExecute(scrollH_, scrollV_, dh, dv);
    } else {
      v->BeforeContainerScrollExecute(scrollH_, scrollV_, dh, dv);
    }
  }
}

unsigned char cSp_View::ScrollView(short& dh, short& dv, unsigned char clamp,
                                   unsigned char syncBars, unsigned char redrawNow,
                                   unsigned char notify) {
  if (deleteReadyDone_ != 0 || (hScrollEnabled_ == 0 && vScrollEnabled_ == 0) ||
      contentWidth_ <= 0 || contentHeight_ <= 0) {
    return 0;
  }
  short h = dh, v = dv;
  if (h > 0 && Width() + scrollH_ + h > contentWidth_) {
    if (clamp == 0) return 0;
    h = short(contentWidth_ - Width() - scrollH_);
  } else if (h < 0 && scrollH_ + h < 0) {
    if (clamp == 0) return 0;
    h = short(-scrollH_);
  }
  if (v > 0 && Height() + scrollV_ + v > contentHeight_) {
    if (clamp == 0) return 0;
    v = short(contentHeight_ - Height() - scrollV_);
  } else if (v < 0 && scrollV_ + v < 0) {
    if (clamp == 0) return 0;
    v = short(-scrollV_);
  }
  if (h == 0 && v == 0) return 0;
  dh = h;
  dv = v;

  const bool jump = std::abs(h) > (2 * Width()) / 3 || std::abs(v) > (2 * Height()) / 3;
  if (notify != 0) BeforeScrollExecute(scrollH_, scrollV_, h, v);
  TellItemsOfScroll(false, h, v);
  Rect shown{0, 0, 0, 0};
  GetViewableDrawingAreaOnWindow(shown);
  if (jump || ImageUnderShowsIn(shown)) {
    scrollH_ = short(scrollH_ + h);
    scrollV_ = short(scrollV_ + v);
    SetupModifyDrawingRectAndFlag(nullptr, 1);
  } else {
    ShiftImage(h, v);
  }
  if (redrawNow != 0) ReDrawAreaUpdateView(0);
  // The bar shows the new value and the other views that share it follow; this view is
  // not scrolled again.
  if (syncBars != 0 && scrollBarServices_GlV.ExecuteScroll != nullptr) {
    if (cScrollBarObj* bar = h != 0 ? BarOf(hScrollBars_) : nullptr) {
      scrollBarServices_GlV.ExecuteScroll(bar, scrollH_, 1, this);
    }
    if (cScrollBarObj* bar = v != 0 ? BarOf(vScrollBars_) : nullptr) {
      scrollBarServices_GlV.ExecuteScroll(bar, scrollV_, 1, this);
    }
  }
  if (notify != 0) AfterScrollExecute(scrollH_, scrollV_, h, v);
  TellItemsOfScroll(true, h, v);
  return 1;
}

// The visible part of the view moves inside the offscreen it draws in; the strips it uncovers
// are painted anew. Every view painted above the view keeps a copy of what lies under it, so
// each of them that shows part of the view is painted again there.
void cSp_View::ShiftImage(short dh, short dv) {
  GWorldPtr world = GetTargetOffscreenGWorld();
  Rect inPixels;
  const bool shown = world != nullptr && GetOffscreenAreaOnOffscreen(inPixels) == noErr;
  Rect visible{0, 0, 0, 0};
  if (shown) {
    GetViewableDrawingAreaOnWindow(visible);
    sp_drawing_detail::SavedGWorld saved;
    SetGWorld(world, nullptr);
    PixMapHandle pixels = GetGWorldPixMap(world);
    LockPixels(pixels);
    ScrollRect(&inPixels, short(-dh), short(-dv), nullptr);
    UnlockPixels(pixels);
  }
  scrollH_ = short(scrollH_ + dh);
  scrollV_ = short(scrollV_ + dv);
  if (!shown) {
    SetupModifyDrawingRectAndFlag(nullptr, 1);
    return;
  }
  Rect strips[2];
  int count = 0;
  if (dh > 0) strips[count++] = Rect{visible.top, short(visible.right - dh), visible.bottom, visible.right};
  if (dh < 0) strips[count++] = Rect{visible.top, visible.left, visible.bottom, short(visible.left - dh)};
  if (dv > 0) strips[count++] = Rect{short(visible.bottom - dv), visible.left, visible.bottom, visible.right};
  if (dv < 0) strips[count++] = Rect{visible.top, visible.left, short(visible.top - dv), visible.right};
  for (int i = 0; i < count; ++i) SetupModifyDrawingRectAndFlag(&strips[i], 1);
  MarkViewsPaintedAbove(visible);
  SetupRedrawAreaOnWindow(visible);
}

bool cSp_View::ImageUnderShowsIn(const Rect& onWindow) const {
  if (translucent_ != 0 || viewWindow_ == nullptr) return true;
  if (underViewImageOff_ != 0) return false;
  for (const cSp_View* v = viewWindow_->GetViewDrawingListHead(); v != nullptr && v != this;
       v = v->GetDrawingListNextObjectPtr()) {
    Rect visible, part;
    if (v->IsEnableView() != 0 && v->GetViewableDrawingAreaOnWindow(visible) != 0 &&
        SectRect(&visible, &onWindow, &part)) {
      return true;
    }
  }
  return false;
}

void cSp_View::MarkViewsPaintedAbove(const Rect& onWindow) {
  for (cSp_View* above = NextInPaintingOrder(); above != nullptr;
       above = above->NextInPaintingOrder()) {
    Rect shows, part;
    if (above->GetViewableDrawingAreaOnWindow(shows) == 0 || !SectRect(&shows, &onWindow, &part)) {
      continue;
    }
    Rect inContent;
    above->OnWindowRectToOffscreenRect(part, inContent);
    above->AddViewClippingRect(inContent);
    above->waitRedraw_ = 1;
  }
}

bool cSp_View::ShiftContentRows(short top, short bottom, short dv) {
  if (drawsInContainerOffscreen_ != 0 || itemHead_ != nullptr || offscreen_ == nullptr) {
    return false;
  }
  const Rect visible = VisibleContent();
  Rect inPixels;
  if (GetOffscreenAreaOnOffscreen(inPixels) != noErr) return false;
  const Rect rows{std::max(top, visible.top), visible.left, std::min(bottom, visible.bottom),
                  visible.right};
  if (dv == 0 || rows.top >= rows.bottom || rows.left >= rows.right) return true;
  const Point toWindow = ContentToWindowOffset();
  const Rect rowsOnWindow = Offset(rows, toWindow.h, toWindow.v);
  if (ImageUnderShowsIn(rowsOnWindow)) return false;
  cScratchRgn area, moved;
  if (!AllOk({&area, &moved})) return false;
  // Content point c is offscreen pixel c - visible's corner + inPixels' corner.
  const short toPixelsH = short(inPixels.left - visible.left);
  const short toPixelsV = short(inPixels.top - visible.top);
  {
    sp_drawing_detail::SavedGWorld saved;
    SetGWorld(offscreen_, nullptr);
    PixMapHandle pixels = GetGWorldPixMap(offscreen_);
    LockPixels(pixels);
    const Rect rowsInPixels = Offset(rows, toPixelsH, toPixelsV);
    ScrollRect(&rowsInPixels, 0, dv, nullptr);
    UnlockPixels(pixels);
  }
  // What was waiting to be drawn there moved with the pixels and still waits.
  RectRgn(area, &rows);
  if (EmptyViewClippingArea() == 0) {
    SectRgn(clipRgn_, area, moved);
    OffsetRgn(moved, 0, dv);
    SectRgn(moved, area, moved);
    if (!EmptyRgn(moved)) AddViewClippingRgn(moved);
  }
  Rect uncovered = rows;
  if (dv > 0) {
    uncovered.bottom = short(std::min<SInt32>(rows.bottom, SInt32(rows.top) + dv));
  } else {
    uncovered.top = short(std::max<SInt32>(rows.top, SInt32(rows.bottom) + dv));
  }
  const Rect uncoveredOnWindow = Offset(uncovered, toWindow.h, toWindow.v);
  SetupModifyDrawingRectAndFlag(&uncoveredOnWindow, 1);
  // The window takes the moved rows, and every view painted above them paints its part again.
  MarkViewsPaintedAbove(rowsOnWindow);
  SetupRedrawAreaOnWindow(rowsOnWindow);
  return true;
}

unsigned char cSp_View::SetScrollValue(short& h, short& v, unsigned char clampPastMax,
                                       unsigned char syncBars, unsigned char redrawNow,
                                       unsigned char notify) {
  if ((hScrollEnabled_ == 0 && vScrollEnabled_ == 0) || (h < 0 && v < 0) ||
      (h == scrollH_ && v == scrollV_)) {
    return 0;
  }
  const short maxH = short(contentWidth_ - Width()), maxV = short(contentHeight_ - Height());
  short dh = 0, dv = 0;
  if (hScrollEnabled_ != 0 && h >= 0 && h != scrollH_ && (h <= maxH || clampPastMax != 0)) {
    dh = short(h - scrollH_);
  }
  if (vScrollEnabled_ != 0 && v >= 0 && v != scrollV_ && (v <= maxV || clampPastMax != 0)) {
    dv = short(v - scrollV_);
  }
  if (dh == 0 && dv == 0) return 0;
  h = short(scrollH_ + dh);
  v = short(scrollV_ + dv);
  if (h == scrollH_ && v == scrollV_) return 0;
  ScrollView(dh, dv, clampPastMax, syncBars, redrawNow, notify);
  return 1;
}

void cSp_View::ScrollForToShowTargetPosition(Rect& target, unsigned char& scrolled,
                                             unsigned char redraw) {
  if (hScrollEnabled_ != 0 || vScrollEnabled_ != 0) {
    const Rect visible = VisibleContent();
    short dh = 0, dv = 0;
    if (target.right - target.left <= Width()) {
      if (target.left < visible.left) {
        dh = short(target.left - visible.left);
      } else if (target.right > visible.right) {
        dh = short(target.right - visible.right);
      }
    }
    if (target.bottom - target.top <= Height()) {
      if (target.top < visible.top) {
        dv = short(target.top - visible.top);
      } else if (target.bottom > visible.bottom) {
        dv = short(target.bottom - visible.bottom);
      }
    }
    if ((dh != 0 || dv != 0) && ScrollView(dh, dv, 1, 1, redraw, 1) != 0) scrolled = 1;
  }
  if (container_ == nullptr) return;

  Rect shown;
  bool onWindow = false;
  if (GetViewableDrawingAreaOnWindow(shown) != 0) {
    Rect inContent;
    OnWindowRectToOffscreenRect(shown, inContent);
    const bool wide = target.right - target.left > Width();
    const bool high = target.bottom - target.top > Height();
    const bool meetsH = target.left < inContent.right && inContent.left < target.right;
    const bool meetsV = target.top < inContent.bottom && inContent.top < target.bottom;
    const bool insideH = wide || (target.left >= inContent.left && target.right <= inContent.right);
    const bool insideV = high || (target.top >= inContent.top && target.bottom <= inContent.bottom);
    onWindow = meetsH && meetsV && insideH && insideV;
  }
  if (onWindow) return;
  // Content coordinates of this view to those of its container: the content point at the
  // view's top-left is the scroll value.
  OffsetRect(&target, short(area_.left - scrollH_), short(area_.top - scrollV_));
  unsigned char upper = 0;
  container_->ScrollForToShowTargetPosition(target, upper, redraw);
  if (upper != 0) scrolled = 1;
}
