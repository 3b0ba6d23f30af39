// Drawing a view into its offscreen and compositing the offscreens on the window.
//
// An offscreen that a view owns holds exactly what the view shows: its pixel (0, 0) is the
// content point (scroll h, scroll v). A view drawn in its holder's offscreen paints straight
// into the holder's pixels, at its place and only where the containers show it. Drawing is
// limited to the view's pending region; the offscreens of the views painted before a view
// lend it their final images, so one copy of each offscreen to the window, in painting order,
// shows the whole window.
#include <algorithm>

#include "Clock.h"
#include "Gestalt.h"
#include "MacWindows.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpStdDrawingFunctionInternal.h"
#include "SpTextStyle.h"
#include "SpViewClass.h"
#include "SpViewInternal.h"
#include "SpViewWindow.h"
#include "SpWindow.h"

using namespace sp_view_detail;
using sp_drawing_detail::SavedClip;
using sp_drawing_detail::SavedGWorld;

namespace {

const char* const kSource = kSourceDrawing;

constexpr RGBColor kBlack = {0, 0, 0};
constexpr RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};

// Copies, in painting order from `from` up to `stop` (not included), the images of the views
// of the drawing list into `destination`, whose pixel (0, 0) lies at `destinationAt` on the
// window: each view's visible part within `limit` (window coordinates), only for views that
// meet `windowRgn` when it is given, through `pixelMask` (destination pixels) when given.
void CopyImagesOfViews(cSp_View* from, const cSp_View* stop, bool skipDisabled,
                       CGrafPtr destination, Point destinationAt, const Rect& limit,
                       RgnHandle windowRgn, RgnHandle pixelMask) {
  for (cSp_View* v = from; v != nullptr && v != stop; v = v->GetDrawingListNextObjectPtr()) {
    if (skipDisabled && v->IsEnableView() == 0) continue;
    Rect visible, part;
    if (v->GetViewableDrawingAreaOnWindow(visible) == 0) continue;
    if (windowRgn != nullptr && !RectInRgn(&visible, windowRgn)) continue;
    if (!SectRect(&visible, &limit, &part)) continue;
    GWorldPtr image = v->GetTargetOffscreenGWorld();
    if (image == nullptr) {
      SpReportFailure(kSource, "cSp_View::DrawOffscreen", 3, kMsgOffscreenData);
      continue;
    }
    Rect at;
    v->GetDrawingAreaOnWindow(&at);
    CopyPortPlain(image, destination, Offset(part, short(-at.left), short(-at.top)),
                  Offset(part, short(-destinationAt.h), short(-destinationAt.v)), pixelMask);
  }
}

}  // namespace

// ---- Pixels ---------------------------------------------------------------------------------

namespace sp_view_detail {

// The destination port made current with black and white as its colours, so that QuickDraw
// copies pixels without colourising them; the port and its colours come back at the end.
class cPlainCopyScope {
 public:
  explicit cPlainCopyScope(CGrafPtr destination) {
    SetGWorld(destination, nullptr);
    GetForeColor(&fore_);
    GetBackColor(&back_);
    RGBForeColor(&kBlack);
    RGBBackColor(&kWhite);
  }
  ~cPlainCopyScope() {
    RGBForeColor(&fore_);
    RGBBackColor(&back_);
  }
  cPlainCopyScope(const cPlainCopyScope&) = delete;
  cPlainCopyScope& operator=(const cPlainCopyScope&) = delete;

 private:
  SavedGWorld saved_;
  RGBColor fore_{}, back_{};
};

void CopyPortPlain(CGrafPtr src, CGrafPtr dst, const Rect& srcRect, const Rect& dstRect,
                   RgnHandle mask) {
  cPlainCopyScope scope(dst);
  CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(dst), &srcRect, &dstRect,
           srcCopy, mask);
}

void CopyPortDeepMask(CGrafPtr src, CGrafPtr mask, CGrafPtr dst, const Rect& srcRect,
                      const Rect& maskRect, const Rect& dstRect, RgnHandle maskRgn) {
  cPlainCopyScope scope(dst);
  CopyDeepMask(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(mask),
               GetPortBitMapForCopyBits(dst), &srcRect, &maskRect, &dstRect, srcCopy, maskRgn);
}

void PaintPortRect(CGrafPtr port, const Rect& rect, const RGBColor& colour, RgnHandle clip) {
  SavedGWorld saved;
  SetGWorld(port, nullptr);
  SavedClip savedClip;
  sp_drawing_detail::SavedPenAndColor pen;
  if (clip != nullptr) SetClip(clip);
  PenNormal();
  RGBForeColor(&colour);
  PaintRect(&rect);
}

RGBColor WindowBackColour(WindowRef window) {
  RGBColor colour = kWhite;
  if (window != nullptr) GetPortBackColor(GetWindowPort(window), &colour);
  return colour;
}

}  // namespace sp_view_detail

unsigned char cSp_View::PaintInPort(CGrafPtr port, Point origin, RgnHandle clip, PaintKind kind) {
  SavedGWorld saved;
  if (port != nullptr) SetGWorld(port, nullptr);
  SavedClip savedClip;
  sTextStyleAttributes style;
  Sp_GetCurrentPortTextStyleAttribute(style);
  SetOrigin(origin.h, origin.v);
  if (clip != nullptr) SetClip(clip);
  unsigned char result = 0;
  switch (kind) {
    case PaintKind::kBackground:
      result = DrawViewBackground();
      break;
    case PaintKind::kInterrupt:
      // A view that has nothing of its own to draw in a periodic pass draws its usual
      // image: its offscreen was painted over already, and a redraw it was waiting for is
      // taken by this pass.
      result = InterruptDraw();
      if (result == 0) result = UpdateProc();
      break;
    case PaintKind::kContent:
      result = UpdateProc();
      break;
  }
  ForeColor(blackColor);
  Sp_SetCurrentPortTextStyleAttribute(style);
  SetOrigin(0, 0);
  return result;
}

Rect cSp_View::PixelsAt(Point origin) const {
  return Offset(VisibleContent(), short(-origin.h), short(-origin.v));
}

// ---- Drawing into the offscreen -------------------------------------------------------------

bool cSp_View::PendingRegion(RgnHandle r, Point* origin) const {
  const Rect visible = VisibleContent();
  RectRgn(r, &visible);
  if (EmptyViewClippingArea() == 0) SectRgn(r, clipRgn_, r);
  if (!CutContentRgnToVisible(r)) return false;
  if (drawsInContainerOffscreen_ == 0) {
    *origin = Point{scrollV_, scrollH_};
    return true;
  }
  // Content point c lands on holder pixel c + d - holder scroll, d being what the views up
  // to the holder add.
  const cSp_View* holder = GetOffscreenView();
  short dh = 0, dv = 0;
  for (const cSp_View* v = this; v != holder; v = v->container_) {
    dh = short(dh + v->area_.left - v->scrollH_);
    dv = short(dv + v->area_.top - v->scrollV_);
  }
  *origin = Point{short(holder->scrollV_ - dv), short(holder->scrollH_ - dh)};
  return true;
}

unsigned char cSp_View::DrawOffscreen(unsigned char periodic) {
  const char* const method = "cSp_View::DrawOffscreen";
  if (deleteReadyDone_ != 0) return 0;
  GWorldPtr destination = offscreen_;
  if (drawsInContainerOffscreen_ != 0) {
    cSp_View* holder = GetOffscreenView();
    if (holder == nullptr || holder->offscreen_ == nullptr) {
      return SpReportFailure(kSource, method, 1, kMsgNoGWorld, 0);
    }
    destination = holder->offscreen_;
  }
  if (destination == nullptr) return 0;
  cScratchRgn r, inPixels, onWindow;
  if (!AllOk({&r, &inPixels, &onWindow})) return SpReportFailure(kSource, method, 2, kSpMsgMemory, 0);
  Point origin;
  if (!PendingRegion(r, &origin)) return 0;

  CopyRgn(r, inPixels);
  OffsetRgn(inPixels, short(-origin.h), short(-origin.v));
  OffscreenRgnToOnWindowRgn(r, onWindow);
  if (drawsInContainerOffscreen_ == 0) {
    PaintPortRect(destination, offscreenArea_, WindowBackColour(GetTargetWindowPtr()), inPixels);
    if (translucent_ != 0 || underViewImageOff_ == 0) {
      Rect mine;
      GetDrawingAreaOnWindow(&mine);
      CopyImagesOfViews(viewWindow_->GetViewDrawingListHead(), this, true, destination,
                        Point{mine.top, mine.left}, mine, onWindow, inPixels);
    }
  }
  if (outputEnabled_ != 0) DrawContent(destination, origin, r, periodic != 0);
  waitRedraw_ = 0;
  DrawItemsInOffscreen(onWindow, periodic != 0);
  ClearViewClippingArea();
  return 1;
}

void cSp_View::DrawContent(GWorldPtr destination, Point origin, RgnHandle r, bool periodic) {
  // Whether this drawing showed something decides whether the image goes to the window; an
  // earlier empty drawing says nothing about this one.
  contentNotDrawn_ = 0;
  if (translucent_ != 0 && transmitOffscreen_ != nullptr && transmitRateOffscreen_ != nullptr) {
    BlendTranslucent(destination, origin, r, periodic);
    if (transmitType_ != kSpTransmitBackgroundType) return;
  }
  if (PaintInPort(destination, origin, r, ContentKind(periodic)) == 0) contentNotDrawn_ = 1;
}

// The image under the view goes into the translucent offscreen, the background (type 1) or
// the content is drawn over it there, and the result is blended back through the mask.
void cSp_View::BlendTranslucent(GWorldPtr destination, Point origin, RgnHandle r, bool periodic) {
  cScratchRgn inTransmit, inDestination;
  if (!AllOk({&inTransmit, &inDestination})) {
    SpReportFailure(kSource, "cSp_View::DrawOffscreen", 4, kSpMsgMemory);
    return;
  }
  CopyRgn(r, inTransmit);
  OffsetRgn(inTransmit, short(-scrollH_), short(-scrollV_));
  CopyRgn(r, inDestination);
  OffsetRgn(inDestination, short(-origin.h), short(-origin.v));
  const Rect pixels = PixelsAt(origin);
  CopyPortPlain(destination, transmitOffscreen_, pixels, offscreenArea_, inTransmit);
  const PaintKind kind =
      transmitType_ == kSpTransmitBackgroundType ? PaintKind::kBackground : ContentKind(periodic);
  if (PaintInPort(transmitOffscreen_, Point{scrollV_, scrollH_}, r, kind) == 0) {
    contentNotDrawn_ = 1;
  }
  CopyPortDeepMask(transmitOffscreen_, transmitRateOffscreen_, destination, offscreenArea_,
                   offscreenArea_, pixels, inDestination);
}

// The holder's pixels under its items were painted anew: each item that shows there paints
// its part again.
void cSp_View::DrawItemsInOffscreen(RgnHandle windowRgn, bool periodic) {
  cScratchRgn part;
  for (cSp_View* item = itemHead_; item != nullptr; item = item->siblings_.next) {
    if (item->drawsInContainerOffscreen_ == 0) continue;
    Rect visible;
    if (item->GetViewableDrawingAreaOnWindow(visible) == 0 || !RectInRgn(&visible, windowRgn)) {
      continue;
    }
    if (item->EmptyViewClippingArea() == 0 && part.Ok()) {
      item->OnWindowRgnToOffscreenRgn(windowRgn, part);
      item->AddViewClippingRgn(part);
    }
    item->DrawOffscreen(periodic ? 1 : 0);
  }
}

// ---- To the window --------------------------------------------------------------------------

void cSp_View::CopyVisibleToWindow(GWorldPtr world, Point origin, RgnHandle maskInContent) {
  WindowRef window = GetTargetWindowPtr();
  Rect visible;
  if (window == nullptr || !IsWindowVisible(window) || GetViewableDrawingAreaOnWindow(visible) == 0) {
    return;
  }
  const Point toWindow = ContentToWindowOffset();
  const Rect source =
      Offset(visible, short(-toWindow.h - origin.h), short(-toWindow.v - origin.v));
  cScratchRgn mask;
  const bool masked = maskInContent != nullptr && !EmptyRgn(maskInContent) && mask.Ok();
  if (masked) OffscreenRgnToOnWindowRgn(maskInContent, mask);
  CopyPortPlain(world, GetWindowPort(window), source, visible, masked ? RgnHandle(mask) : nullptr);
}

// Only the part that the containers show reaches the window: what of a view lies outside its
// container is not drawn and stays hidden. The copy is made with the window's port current,
// so its clip and visible regions limit it.
unsigned char cSp_View::PutPictureOnWindowFromOffscreen() {
  if (offscreen_ == nullptr) return 0;
  if (contentNotDrawn_ == 0) CopyVisibleToWindow(offscreen_, Point{scrollV_, scrollH_}, nullptr);
  ClearViewClippingArea();
  return 1;
}

void cSp_View::ReDrawAreaUpdateView(unsigned char periodic) {
  if (viewWindow_ == nullptr) return;
  viewWindow_->UpdateWindow(periodic);
}

void cSp_View::UpdateViewableDrawingArea(unsigned char redrawOffscreens,
                                         unsigned char withUpperViews, RgnHandle mask) {
  SavedGWorld saved;
  if (viewWindow_ == nullptr) return;
  if (redrawOffscreens != 0) {
    SetupModifyDrawingRectAndFlag(nullptr, 1);
    viewWindow_->RedrawViewOffscreen(1, 0);
  }
  WindowRef window = GetTargetWindowPtr();
  Rect visible;
  if (window == nullptr || !IsWindowVisible(window) || GetViewableDrawingAreaOnWindow(visible) == 0) {
    return;
  }
  cSp_View* holder = ImageHolder();
  if (holder == nullptr || holder->offscreen_ == nullptr) {
    SpReportFailure(kSource, "cSp_View::UpdateViewableDrawingArea", 1, kMsgNoHolder);
    return;
  }
  CGrafPtr port = GetWindowPort(window);
  CopyImagesOfViews(holder, holder->drawingLinks_.next, false, port, Point{0, 0}, visible,
                    nullptr, mask);
  if (withUpperViews != 0) {
    CopyImagesOfViews(holder->drawingLinks_.next, nullptr, false, port, Point{0, 0}, visible,
                      nullptr, mask);
  }
  WipeOutRedrawAreaOnWindow(visible);
  // A view at the window's corner (a button there) is drawn under the grow box.
  Sp_DrawGrowBoxOfWindow(window);
}

// ---- Into other ports -----------------------------------------------------------------------

unsigned char cSp_View::DrawOnCurrentPort(unsigned char periodic, const Rect& area,
                                          unsigned char paintBackground, short h, short v,
                                          RgnHandle clip, unsigned char) {
  if (deleteReadyDone_ != 0 || (clip != nullptr && EmptyRgn(clip))) return 0;
  cScratchRgn drawn;
  if (!drawn.Ok()) return SpReportFailure(kSource, "cSp_View::DrawOnCurrentPort", 1, kSpMsgMemory, 0);
  RectRgn(drawn, &area);
  if (clip != nullptr) SectRgn(drawn, clip, drawn);
  if (EmptyRgn(drawn)) return 0;
  CGrafPtr port = nullptr;
  GetPort(&port);
  if (paintBackground != 0) {
    PaintPortRect(port, area, WindowBackColour(GetTargetWindowPtr()), drawn);
  }
  const short dh = short(h - area.left), dv = short(v - area.top);
  OffsetRgn(drawn, dh, dv);
  PaintInPort(nullptr, Point{dv, dh}, drawn, ContentKind(periodic != 0));
  return 1;
}

unsigned char cSp_View::GetImageOffscreen(const Rect* area, unsigned char paint,
                                          const RGBColor* colour, unsigned char, SInt32 depth,
                                          GWorldPtr& world, Rect& bounds) {
  world = nullptr;
  Point at{0, 0};
  if (area != nullptr) {
    bounds = Rect{0, 0, short(area->bottom - area->top), short(area->right - area->left)};
    at = Point{area->top, area->left};
  } else {
    bounds = Rect{0, 0, std::max(contentHeight_, Height()), std::max(contentWidth_, Width())};
  }
  if (NewGWorld(&world, SInt16(depth), &bounds, nullptr, nullptr, 0) != noErr) {
    world = nullptr;
    return SpReportFailure(kSource, "cSp_View::GetImageOffscreen", 1, kMsgNoGWorld, 0);
  }
  SavedGWorld saved;
  SetGWorld(world, nullptr);
  if (paint != 0) PaintPortRect(world, bounds, colour != nullptr ? *colour : kWhite, nullptr);
  DrawOnCurrentPort(0, bounds, 0, at.h, at.v, nullptr);
  return 1;
}

unsigned char cSp_View::DrawBackgoundToTargetPort(GWorldPtr target, const Rect* size,
                                                  RgnHandle, RgnHandle mask) {
  if (deleteReadyDone_ != 0 || target == nullptr || viewWindow_ == nullptr) return 0;
  Rect a;
  GetDrawingAreaOnWindow(&a);
  Point at{0, 0};
  if (size != nullptr) {
    a.right = short(a.left + std::min<short>(Width(), short(size->right - size->left)));
    a.bottom = short(a.top + std::min<short>(Height(), short(size->bottom - size->top)));
    at = Point{size->top, size->left};
  }
  // Target pixel (0, 0) lies here on the window.
  const Point targetAt{short(a.top - at.v), short(a.left - at.h)};
  PaintPortRect(target, Offset(a, short(-targetAt.h), short(-targetAt.v)),
                WindowBackColour(GetTargetWindowPtr()), nullptr);
  cSp_View* holder = ImageHolder();
  CopyImagesOfViews(viewWindow_->GetViewDrawingListHead(), holder, true, target, targetAt, a,
                    nullptr, mask);
  if (holder == this || holder == nullptr) return holder == this ? 1 : 0;

  // Inside the holder: what is painted before this view, from the holder's offscreen where
  // an image of its own can be had, else drawn anew.
  cScratchRgn clip;
  if (!clip.Ok()) return 0;
  for (cSp_View* w = holder; w != nullptr && w != this; w = w->NextInSubtree(holder)) {
    Rect visible, part;
    if (w->outputEnabled_ == 0 || w->GetViewableDrawingAreaOnWindow(visible) == 0 ||
        !SectRect(&visible, &a, &part)) {
      continue;
    }
    Rect onWindow;
    w->GetDrawingAreaOnWindow(&onWindow);
    if (w != holder && w->drawsInContainerOffscreen_ == 0 && w->offscreen_ != nullptr &&
        w->HaveUseContainerViewOffscreenContainerItem() == 0) {
      CopyPortPlain(w->offscreen_, target, Offset(part, short(-onWindow.left), short(-onWindow.top)),
                    Offset(part, short(-targetAt.h), short(-targetAt.v)), mask);
      continue;
    }
    // Content point c lands on target pixel c + toWindow - targetAt.
    const Point toWindow = w->ContentToWindowOffset();
    const Point origin{short(targetAt.v - toWindow.v), short(targetAt.h - toWindow.h)};
    Rect inContent;
    w->OnWindowRectToOffscreenRect(part, inContent);
    RectRgn(clip, &inContent);
    if (mask != nullptr) {
      cScratchRgn m;
      if (m.Ok()) {
        CopyRgn(mask, m);
        OffsetRgn(m, origin.h, origin.v);
        SectRgn(clip, m, clip);
      }
    }
    w->PaintInPort(target, origin, clip, PaintKind::kContent);
  }
  return 0;
}

// ---- Animations -----------------------------------------------------------------------------

unsigned char cSp_View::GetAnimationDrawOffscreenInfo(cSp_View** holder, Rect* rectInHolder,
                                                      GWorldPtr* world, RgnHandle drawRgn,
                                                      Rect* bounds, Point* origin) {
  const char* const method = "cSp_View::GetAnimationDrawOffscreenInfo";
  if (drawRgn == nullptr) return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, 0);
  cSp_View* h = ImageHolder();
  if (h == nullptr) return SpReportFailure(kSource, method, 2, kMsgNoHolder, 0);
  Point o;
  Rect visible = VisibleContent();
  if (h == this) {
    o = Point{scrollV_, scrollH_};
    RectRgn(drawRgn, &visible);
    if (EmptyViewClippingArea() == 0) SectRgn(drawRgn, clipRgn_, drawRgn);
  } else {
    Rect inHolder, shown, holderContent;
    if (OffscreenRectToUpperContainerOffscreenRect(h, visible, inHolder, shown,
                                                   holderContent) == 0) {
      return 0;
    }
    const short dh = short(inHolder.left - visible.left), dv = short(inHolder.top - visible.top);
    visible = Offset(shown, short(-dh), short(-dv));
    RectRgn(drawRgn, &visible);
    o = Point{short(h->scrollV_ - dv), short(h->scrollH_ - dh)};
  }
  if (holder != nullptr) *holder = h;
  if (world != nullptr) *world = h->offscreen_;
  if (origin != nullptr) *origin = o;
  if (bounds != nullptr) *bounds = h->offscreenArea_;
  if (rectInHolder != nullptr) *rectInHolder = Offset(visible, short(-o.h), short(-o.v));
  return 1;
}

bool cSp_View::CutContentRgnToVisible(RgnHandle r) const {
  OffsetRgn(r, short(-scrollH_), short(-scrollV_));
  if (ViewAreaRgnCutToVisibleViewAreaRgn(r, r) == 0) return false;
  OffsetRgn(r, scrollH_, scrollV_);
  return true;
}

bool cSp_View::AnimationTarget(RgnHandle drawRgn, GWorldPtr* world, Point* origin) {
  return GetAnimationDrawOffscreenInfo(nullptr, nullptr, world, drawRgn, nullptr, origin) != 0 &&
         *world != nullptr && CutContentRgnToVisible(drawRgn);
}

GWorldPtr cSp_View::NewBackgroundSnapshot(GWorldPtr world, Point origin) {
  Rect bounds;
  GetPortBounds(world, &bounds);
  GWorldPtr snapshot = nullptr;
  if (NewGWorld(&snapshot, Sp_GetScreenDepth(), &bounds, nullptr, nullptr, 0) != noErr) {
    return nullptr;
  }
  const Rect landing = PixelsAt(origin);
  DrawBackgoundToTargetPort(snapshot, &landing, nullptr, nullptr);
  return snapshot;
}

namespace {

// Waits until the tick count reaches `next` and gives the tick count then.
UInt32 WaitUntil(UInt32 next) {
  UInt32 now = TickCount();
  if (SInt32(next - now) > 0) Delay(next - now, &now);
  return now;
}

bool AquaMenuLayout() {
  SInt32 response = 0;
  return Gestalt(SpFourCC("menu"), &response) == noErr && (response & 2) != 0;
}

}  // namespace

void cSp_View::AnimationDrawing(RgnHandle restoreArea, UInt32 frameTicks, unsigned long refCon,
                                tSpAnimationFrameProcPtr frameProc) {
  if (frameProc == nullptr || outputEnabled_ == 0 || deleteReadyDone_ != 0) return;
  if (drawsInContainerOffscreen_ == 0 && offscreen_ == nullptr) return;
  const bool aqua = AquaMenuLayout();
  cScratchRgn drawRgn, restoreRgn, copyRgn, mask;
  if (!AllOk({&drawRgn, &restoreRgn, &copyRgn, &mask})) {
    SpReportFailure(kSource, "cSp_View::AnimationDrawing", 1, kSpMsgMemory);
    return;
  }
  unsigned char restoreBackground = 1;
  if (restoreArea != nullptr) {
    restoreBackground = EmptyRgn(restoreArea) ? 0 : 1;
    if (restoreBackground != 0) CopyRgn(restoreArea, restoreRgn);
  }
  GWorldPtr world = nullptr;
  Point origin;
  if (!AnimationTarget(drawRgn, &world, &origin)) return;
  GWorldPtr snapshot = NewBackgroundSnapshot(world, origin);
  Rect bounds;
  GetPortBounds(world, &bounds);

  SInt32 frameNo = 0;
  UInt32 next = TickCount();
  for (;;) {
    const UInt32 now = WaitUntil(next);
    if (restoreBackground != 0 && snapshot != nullptr) {
      const bool all = EmptyRgn(restoreRgn);
      if (!all) {
        CopyRgn(restoreRgn, mask);
        OffsetRgn(mask, short(-origin.h), short(-origin.v));
      }
      CopyPortPlain(snapshot, world, bounds, bounds, all ? nullptr : RgnHandle(mask));
    }
    unsigned char copyNow = 0;
    SetEmptyRgn(copyRgn);
    unsigned char done = 0;
    {
      SavedGWorld saved;
      SetGWorld(world, nullptr);
      SavedClip savedClip;
      sTextStyleAttributes style;
      Sp_GetCurrentPortTextStyleAttribute(style);
      SetOrigin(origin.h, origin.v);
      SetClip(drawRgn);
      done = frameProc(refCon, frameNo, world, short(-origin.h), short(-origin.v), copyNow,
                       copyRgn, restoreBackground, restoreRgn);
      ForeColor(blackColor);
      Sp_SetCurrentPortTextStyleAttribute(style);
      SetOrigin(0, 0);
    }
    if (copyNow != 0) {
      CopyVisibleToWindow(world, origin, copyRgn);
      SetEmptyRgn(copyRgn);
      if (aqua) QDFlushPortBuffer(GetWindowPort(GetTargetWindowPtr()), nullptr);
    }
    if (done != 0) break;
    next = now + frameTicks;
    ++frameNo;
  }
  waitRedraw_ = 0;
  ClearViewClippingArea();
  if (snapshot != nullptr) DisposeGWorld(snapshot);
}

void cSp_View::AnimationDrawingByTransmitRateChange(RgnHandle area, UInt32 frameTicks, float from,
                                                    float to, float step,
                                                    unsigned char redrawContentEachFrame,
                                                    unsigned char backgroundUnderContent) {
  const char* const method = "cSp_View::AnimationDrawingByTransmitRateChange";
  if (step == 0 || (from > to && step > 0) || (to > from && step < 0)) {
    SpReportFailure(kSource, method, 1, kMsgArguments);
    return;
  }
  if (IsViewTargetWindowOpen() == 0 || outputEnabled_ == 0 || deleteReadyDone_ != 0 ||
      (area != nullptr && EmptyRgn(area)) ||
      (drawsInContainerOffscreen_ == 0 && offscreen_ == nullptr)) {
    return;
  }
  cScratchRgn drawRgn, inPixels;
  if (!AllOk({&drawRgn, &inPixels})) {
    SpReportFailure(kSource, method, 2, kSpMsgMemory);
    return;
  }
  GWorldPtr world = nullptr;
  Point origin;
  if (!AnimationTarget(drawRgn, &world, &origin)) return;
  // The mask region: the area given (content coordinates) or what is drawn.
  CopyRgn(area != nullptr ? area : RgnHandle(drawRgn), inPixels);
  OffsetRgn(inPixels, short(-origin.h), short(-origin.v));

  GWorldPtr snapshot = NewBackgroundSnapshot(world, origin);
  GWorldPtr image = transmitOffscreen_;
  GWorldPtr rateMask = transmitRateOffscreen_;
  if (image == nullptr) NewGWorld(&image, Sp_GetScreenDepth(), &offscreenArea_, nullptr, nullptr, 0);
  if (rateMask == nullptr) NewGWorld(&rateMask, 8, &offscreenArea_, nullptr, nullptr, 0);
  if (snapshot != nullptr && image != nullptr && rateMask != nullptr) {
    Rect bounds;
    GetPortBounds(world, &bounds);
    const Rect pixels = PixelsAt(origin);
    const PaintKind kind = transmitType_ == kSpTransmitBackgroundType ? PaintKind::kBackground
                                                                      : PaintKind::kContent;
    float rate = from;
    bool maskByGrey = false;
    UInt32 next = TickCount();
    for (int frame = 0;; ++frame) {
      const UInt32 now = WaitUntil(next);
      CopyPortPlain(snapshot, world, bounds, bounds, inPixels);
      if (frame == 0 || redrawContentEachFrame != 0) {
        if (backgroundUnderContent != 0) {
          CopyPortPlain(snapshot, image, pixels, offscreenArea_, nullptr);
        }
        PaintInPort(image, Point{scrollV_, scrollH_}, drawRgn, kind);
      }
      if (frame == 0) {
        SavedGWorld saved;
        SetGWorld(rateMask, nullptr);
        maskByGrey = DrawTransmitRateOffscreen(rate) == 0;
      }
      if (maskByGrey) {
        RGBColor grey;
        Sp_SetRGBColorByPercentage(&grey, rate, rate, rate);
        PaintPortRect(rateMask, offscreenArea_, grey, nullptr);
      }
      CopyPortDeepMask(image, rateMask, world, offscreenArea_, offscreenArea_, pixels, inPixels);
      if (transmitType_ == kSpTransmitBackgroundType) {
        PaintInPort(world, origin, drawRgn, PaintKind::kContent);
      }
      CopyVisibleToWindow(world, origin, nullptr);
      if (from == to || (from > to && rate <= to) || (from < to && rate >= to)) break;
      rate += step;
      if ((step < 0 && rate < to) || (step > 0 && rate > to)) rate = to;
      next = now + frameTicks;
    }
  }
  waitRedraw_ = 0;
  ClearViewClippingArea();
  if (snapshot != nullptr) DisposeGWorld(snapshot);
  if (image != transmitOffscreen_ && image != nullptr) DisposeGWorld(image);
  if (rateMask != transmitRateOffscreen_ && rateMask != nullptr) DisposeGWorld(rateMask);
}

// ---- Direct drawing -------------------------------------------------------------------------

unsigned char cSp_View::BeginDraw() {
  if (deleteReadyDone_ != 0 || offscreen_ == nullptr || viewWindow_ == nullptr) return 0;
  lockedPixMaps_[0] = GetGWorldPixMap(offscreen_);
  LockPixels(lockedPixMaps_[0]);
  PaintPortRect(offscreen_, offscreenArea_, WindowBackColour(GetTargetWindowPtr()), nullptr);
  if (translucent_ != 0 || underViewImageOff_ == 0) {
    if (viewWindow_->CheckTargetViewExistInDrawingViewList(this) == 0) return 0;
    Rect mine;
    GetDrawingAreaOnWindow(&mine);
    CopyImagesOfViews(viewWindow_->GetViewDrawingListHead(), this, true, offscreen_,
                      Point{mine.top, mine.left}, mine, nullptr, nullptr);
  }
  const bool blended =
      translucent_ != 0 && transmitOffscreen_ != nullptr && transmitRateOffscreen_ != nullptr;
  if (blended) {
    lockedPixMaps_[1] = GetGWorldPixMap(transmitOffscreen_);
    lockedPixMaps_[2] = GetGWorldPixMap(transmitRateOffscreen_);
    LockPixels(lockedPixMaps_[1]);
    LockPixels(lockedPixMaps_[2]);
    CopyPortPlain(offscreen_, transmitOffscreen_, offscreenArea_, offscreenArea_, nullptr);
    if (transmitType_ == kSpTransmitBackgroundType) {
      if (PaintInPort(transmitOffscreen_, Point{0, 0}, nullptr, PaintKind::kBackground) == 0) {
        contentNotDrawn_ = 1;
      }
      CopyPortDeepMask(transmitOffscreen_, transmitRateOffscreen_, offscreen_, offscreenArea_,
                       offscreenArea_, offscreenArea_, nullptr);
    }
  }
  const bool drawTranslucent = blended && transmitType_ != kSpTransmitBackgroundType;
  SetGWorld(drawTranslucent ? transmitOffscreen_ : offscreen_, nullptr);
  return 1;
}

void cSp_View::EndDraw() {
  if (translucent_ != 0 && transmitType_ != kSpTransmitBackgroundType &&
      lockedPixMaps_[1] != nullptr && offscreen_ != nullptr) {
    CopyPortDeepMask(transmitOffscreen_, transmitRateOffscreen_, offscreen_, offscreenArea_,
                     offscreenArea_, offscreenArea_, nullptr);
  }
  for (PixMapHandle& locked : lockedPixMaps_) {
    if (locked != nullptr) UnlockPixels(locked);
    locked = nullptr;
  }
  waitRedraw_ = 0;
}

void cSp_View::ViewClear() {
  if (transmitOffscreen_ == nullptr) return;
  PaintPortRect(transmitOffscreen_, offscreenArea_, WindowBackColour(GetTargetWindowPtr()),
                nullptr);
}
