// The offscreens of a view: its own GWorld, the translucent image and its 8-bit mask, and
// switching translucency on and off.
#include "SpStdDrawingFunction.h"
#include "SpStdDrawingFunctionInternal.h"
#include "SpViewClass.h"
#include "SpViewInternal.h"
#include "SpViewWindow.h"

using namespace sp_view_detail;

namespace {

const char* const kSource = kSourceOffscreen;

// The depth of the mask: one grey level a pixel.
constexpr SInt16 kMaskDepth = 8;

// A new GWorld over the rectangle; null (reported) when it cannot be made. Nothing is made,
// and nothing reported, for an empty rectangle: a view of no size has nothing to draw.
GWorldPtr NewOffscreen(SInt16 depth, const Rect& bounds, const char* method) {
  if (EmptyRect(&bounds)) return nullptr;
  GWorldPtr world = nullptr;
  if (NewGWorld(&world, depth, &bounds, nullptr, nullptr, 0) != noErr) {
    SpReportFailure(kSource, method, 2, kSpMsgMemory);
    return nullptr;
  }
  return world;
}

void Dispose(GWorldPtr& world) {
  if (world != nullptr) DisposeGWorld(world);
  world = nullptr;
}

}  // namespace

void cSp_View::SetupOffscreenAreaAttribute() {
  offscreenDepth_ = Sp_GetScreenDepth();
  offscreenArea_ = Rect{0, 0, Height(), Width()};
}

void cSp_View::SetupOffscreen(unsigned char force) {
  SetupNormalOffscreen(force);
  SetupTransmitViewOffscreen(force);
  SetupModifyDrawingRectAndFlag(nullptr, 1);
}

void cSp_View::SetupNormalOffscreen(unsigned char force) {
  if (offscreen_ != nullptr && force != 0) Dispose(offscreen_);
  if (offscreen_ == nullptr) {
    offscreen_ = NewOffscreen(SInt16(offscreenDepth_), offscreenArea_,
                              "cSp_View::SetupNormalOffscreen");
  }
}

void cSp_View::DisposeNormalOffscreen() {
  Dispose(offscreen_);
}

void cSp_View::SetupTransmitViewOffscreen(unsigned char force) {
  if (translucent_ == 0) return;
  const bool resized = !EqualRect(&offscreenArea_, &transmitArea_);
  if (force != 0 || resized) {
    Dispose(transmitOffscreen_);
    Dispose(transmitRateOffscreen_);
  }
  const char* const method = "cSp_View::SetupTransmitViewOffscreen";
  if (transmitOffscreen_ == nullptr) {
    transmitOffscreen_ = NewOffscreen(SInt16(offscreenDepth_), offscreenArea_, method);
  }
  if (transmitRateOffscreen_ == nullptr) {
    transmitRateOffscreen_ = NewOffscreen(kMaskDepth, offscreenArea_, method);
    SetupTransmitViewRateOnTransmitRateOffscreen();
  }
  transmitArea_ = offscreenArea_;
}

void cSp_View::SetupTransmitViewRateOnTransmitRateOffscreen() {
  if (deleteReadyDone_ != 0 || transmitRateOffscreen_ == nullptr) return;
  if (!LockPixels(GetGWorldPixMap(transmitRateOffscreen_))) return;
  {
    sp_drawing_detail::SavedGWorld saved;
    SetGWorld(transmitRateOffscreen_, nullptr);
    if (DrawTransmitRateOffscreen(transmitRate_) == 0) {
      RGBColor grey;
      Sp_SetRGBColorByPercentage(&grey, transmitRate_, transmitRate_, transmitRate_);
      PaintPortRect(transmitRateOffscreen_, offscreenArea_, grey, nullptr);
    }
    ForeColor(blackColor);
  }
  UnlockPixels(GetGWorldPixMap(transmitRateOffscreen_));
}

void cSp_View::DisposeTransmitViewOffscreen() {
  Dispose(transmitOffscreen_);
  Dispose(transmitRateOffscreen_);
}

GWorldPtr cSp_View::GetTargetOffscreenGWorld() const {
  const cSp_View* holder = ImageHolder();
  return holder != nullptr ? holder->offscreen_ : nullptr;
}

OSErr cSp_View::GetOffscreenAreaOnOffscreen(Rect& out) {
  const cSp_View* holder = ImageHolder();
  Rect inHolder, visible, holderContent;
  if (holder == nullptr || OffscreenRectToUpperContainerOffscreenRect(
                               holder, VisibleContent(), inHolder, visible, holderContent) == 0) {
    out = Rect{0, 0, 0, 0};
    return paramErr;
  }
  out = Offset(inHolder, short(-holder->scrollH_), short(-holder->scrollV_));
  return noErr;
}

// ---- Translucency ---------------------------------------------------------------------------

void cSp_View::TransmitViewTurnOn(tTransmitType type, float rate, unsigned char redraw,
                                  RgnHandle) {
  transmitRate_ = rate;
  translucent_ = 1;
  transmitType_ = type;
  SetupTransmitViewOffscreen(0);
  SetupTransmitViewRateOnTransmitRateOffscreen();
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0 && IsViewTargetWindowOpen() != 0) ReDrawAreaUpdateView(0);
}

void cSp_View::TransmitViewTurnOnFromOff(unsigned char redraw) {
  translucent_ = 1;
  SetupTransmitViewOffscreen(0);
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0 && IsViewTargetWindowOpen() != 0) ReDrawAreaUpdateView(0);
}

void cSp_View::TransmitViewTurnOff(unsigned char disposeOffscreens, unsigned char redraw) {
  translucent_ = 0;
  if (disposeOffscreens != 0) DisposeTransmitViewOffscreen();
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0 && IsViewTargetWindowOpen() != 0) UpdateViewableDrawingArea(1, 1, nullptr);
}

unsigned char cSp_View::SetupTransmitViewRate(float rate, unsigned char redraw) {
  if (rate == transmitRate_) return 0;
  transmitRate_ = rate;
  SetupTransmitViewRateOnTransmitRateOffscreen();
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cSp_View::SetupUnderViewImageOffFlag(unsigned char off, unsigned char redraw) {
  if ((off != 0) == (underViewImageOff_ != 0)) return;
  underViewImageOff_ = off != 0 ? 1 : 0;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}
