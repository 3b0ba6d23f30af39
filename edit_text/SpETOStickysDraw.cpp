// Sticky notes: painting the base view (normal, inactive, translucent and minimized looks),
// the title bar, the minimize and grow boxes, translucency, regions and images.
#include <algorithm>
#include <cstring>

#include "QDRegions.h"
#include "SpETOEditInternal.h"
#include "SpETOStickysObject.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpTextStyle.h"

namespace {

const char kSource[] = "SpETOStickysDraw";

const RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};
const RGBColor kBlack{0, 0, 0};

RGBColor Mix(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

void Line(short h1, short v1, short h2, short v2, const RGBColor& colour) {
  RGBForeColor(&colour);
  MoveTo(h1, v1);
  LineTo(h2, v2);
}

void Paint(const Rect& r, const RGBColor& colour) {
  RGBForeColor(&colour);
  PaintRect(&r);
}

// Fills the triangle through the three points (h, v).
void Triangle(const Point (&p)[3], short dh, short dv, const RGBColor& colour) {
  sp_eto_edit::cRegion rgn;
  if (!rgn) return;
  OpenRgn();
  MoveTo(short(p[0].h + dh), short(p[0].v + dv));
  LineTo(short(p[1].h + dh), short(p[1].v + dv));
  LineTo(short(p[2].h + dh), short(p[2].v + dv));
  LineTo(short(p[0].h + dh), short(p[0].v + dv));
  CloseRgn(rgn);
  RGBForeColor(&colour);
  PaintRgn(rgn);
}

Point P(int h, int v) {
  return Point{short(v), short(h)};
}

// The port's colours, put back when the scope ends.
class cColourSaver {
 public:
  cColourSaver() {
    GetForeColor(&fore_);
    GetBackColor(&back_);
  }
  ~cColourSaver() {
    RGBForeColor(&fore_);
    RGBBackColor(&back_);
  }
  cColourSaver(const cColourSaver&) = delete;
  cColourSaver& operator=(const cColourSaver&) = delete;

 private:
  RGBColor fore_;
  RGBColor back_;
};

// The shadow where it shows: its rectangle less the frame painted over it. Shading only the
// strips keeps a large note's redraw cheap; the pixels are the same.
void DrawShadow(const Rect& shadow, const Rect& frame, float darkness) {
  sp_eto_edit::cRegion strips, covered;
  if (!strips || !covered) {
    Sp_DrawShadowRectOnCurrentPort(shadow, darkness, 2, nullptr, 1);
    return;
  }
  RectRgn(strips, &shadow);
  RectRgn(covered, &frame);
  DiffRgn(strips, covered, strips);
  Sp_DrawShadowRectOnCurrentPort(shadow, darkness, 2, strips, 1);
}

}  // namespace

// ---- Procedures handed to the framework ----

void SpETOS_CatchDrawingBaseViewCB(unsigned long refCon, Rect*) {
  if (refCon != 0) reinterpret_cast<cStickyObject*>(refCon)->DrawBaseView();
}

void SpETOS_DrawingBackgroundProc(unsigned long refCon, Rect*) {
  if (refCon != 0) reinterpret_cast<cStickyObject*>(refCon)->DrawBaseViewBackground();
}

// ---- The whole note ----

void cStickyObject::DrawBaseView() {
  if (base_ == nullptr) return;
  cColourSaver colours;
  if (minimized_ != 0) {
    DrawMinimizeBaseView();
  } else {
    DrawNomalNonTransrateBaseView();
  }
}

void cStickyObject::DrawBaseViewBackground() {
  if (base_ == nullptr) return;
  cColourSaver colours;
  if (minimized_ != 0) {
    DrawMinimizeBaseViewBackground();
  } else if (frameActive_ == 0 && translucent_ != 0) {
    DrawNomalBaseViewDeActiveBackground();
  }
}

void cStickyObject::DrawNomalNonTransrateBaseView() {
  const Rect& r = frameArea_;
  if (frameActive_ == 0) {
    if (translucent_ == 0) {
      DrawNomalBaseViewDeActiveBackground();
    } else {
      // The background procedure drew the rest under the blend.
      if (frameDrawing_ != 0) {
        RGBForeColor(&frameColor_);
        FrameRect(&r);
      }
      DrawTitleBar(r, 0, 1, 0);
    }
    return;
  }
  DrawShadow(shadowArea_, r, 40.0f);
  RGBBackColor(&backgroundColor_);
  Paint(r, backgroundColor_);
  const Rect& e = editArea_;
  if (IsActiveEditText() != 0) {
    if (activeEditColorOn_ != 0) Paint(e, activeEditColor_);
  } else if (inactiveEditColorOn_ != 0) {
    Paint(e, inactiveEditColor_);
  }
  // A sunken bevel around the edit area.
  Line(short(e.left - 3), e.bottom, short(e.left - 3), short(e.top - 1),
       Mix(backgroundColor_, kBlack, 0.1f));
  Line(short(e.left - 2), e.bottom, short(e.left - 2), short(e.top - 1),
       Mix(backgroundColor_, kBlack, 0.2f));
  const RGBColor dark = Mix(backgroundColor_, kBlack, 0.4f);
  Line(short(e.left - 1), e.bottom, short(e.left - 1), short(e.top - 1), dark);
  Line(short(e.left - 1), short(e.top - 1), e.right, short(e.top - 1), dark);
  const RGBColor light = Mix(backgroundColor_, kBlack, 0.2f);
  Line(e.right, short(e.top - 1), e.right, e.bottom, light);
  Line(e.right, e.bottom, short(e.left - 1), e.bottom, light);
  DrawTitleBar(r, 1, 1, 0);
  if (frameDrawing_ != 0) {
    const RGBColor frame = Mix(frameColor_, kBlack, 0.8f);
    RGBForeColor(&frame);
    FrameRect(&r);
  }
  if (minimizeIcon_ != 0) {
    const RGBColor box = minimizeBoxPressed_ != 0
                             ? RGBColor{UInt16(168 * 257), UInt16(139 * 257), UInt16(166 * 257)}
                             : Mix(frameColor_, backgroundColor_, 0.7f);
    Paint(Rect{SInt16(r.bottom - 6), SInt16(r.left + 1), SInt16(r.bottom - 1), SInt16(r.right - 1)},
          box);
    const RGBColor highlight = Mix(backgroundColor_, kWhite, 0.7f);
    Line(short(r.left + 1), short(r.bottom - 6), short(r.right - 1), short(r.bottom - 6),
         highlight);
    const int c = (r.left + r.right) / 2, b = r.bottom;
    const Point down[3] = {P(c - 3, b - 5), P(c + 3, b - 5), P(c, b - 1)};
    const Point right[3] = {P(c - 1, b - 5), P(c - 1, b - 1), P(c + 2, b - 3)};
    const Point(&arrow)[3] = minimizeBoxPressed_ != 0 ? right : down;
    Triangle(arrow, 2, 1, highlight);
    Triangle(arrow, 0, 0, Mix(frameColor_, kBlack, 0.7f));
  }
  if (growIcon_ != 0) {
    sp_eto_edit::cRegion grow;
    if (grow) {
      GetGrowIconRegion(r, grow);
      RGBForeColor(&backgroundColor_);
      PaintRgn(grow);
      const RGBColor frame = Mix(frameColor_, kBlack, 0.8f);
      RGBForeColor(&frame);
      FrameRgn(grow);
    }
  }
  ExecuteNormalStickyContentDrawProc();
}

void cStickyObject::DrawNomalBaseViewDeActiveBackground() {
  DrawShadow(shadowArea_, frameArea_, 60.0f);
  RGBBackColor(&backgroundColor_);
  Paint(frameArea_, backgroundColor_);
  if (inactiveEditColorOn_ != 0) Paint(editArea_, inactiveEditColor_);
  DrawTitleBar(frameArea_, 1, 0, 0);
  ExecuteNormalStickyContentDrawProc();
}

void cStickyObject::DrawMinimizeBaseView() {
  Rect rm, sm;
  SpETOSticky_GetFrameAreaOnBaseViewOffscreenFromBaseViewArea(minimizedArea_, rm);
  SpETOSticky_GetShadowAreaOnBaseViewFromBaseViewArea(minimizedArea_, sm);
  DrawShadow(sm, rm, 40.0f);
  RGBBackColor(&backgroundColor_);
  Paint(rm, backgroundColor_);
  DrawTitleBar(rm, 1, 1, 1);
  if (frameDrawing_ != 0) {
    const RGBColor frame = frameActive_ != 0 ? Mix(frameColor_, kBlack, 0.5f) : frameColor_;
    RGBForeColor(&frame);
    FrameRect(&rm);
  }
  if (frameActive_ == 0) return;
  if (minimizedGrow_ != 0) {
    const RGBColor dark = Mix(backgroundColor_, kBlack, 0.52f);
    const RGBColor light = Mix(backgroundColor_, kWhite, 0.5f);
    Line(short(rm.right - 3), short(rm.top + 2), short(rm.right - 3), short(rm.bottom - 4), dark);
    Line(short(rm.right - 4), short(rm.top + 2), short(rm.right - 4), short(rm.bottom - 4), light);
    Line(short(rm.right - 5), short(rm.top + 3), short(rm.right - 5), short(rm.bottom - 5), dark);
    Line(short(rm.right - 6), short(rm.top + 3), short(rm.right - 6), short(rm.bottom - 5), light);
  }
  if (minimizeIcon_ != 0) {
    const int m = (rm.top + rm.bottom) / 2, r = rm.right;
    const Point right[3] = {P(r - 16, m - 4), P(r - 16, m + 4), P(r - 12, m)};
    const Point down[3] = {P(r - 10, m - 2), P(r - 18, m - 2), P(r - 14, m + 2)};
    Triangle(minimizeBoxPressed_ != 0 ? down : right, 0, 0, kBlack);
  }
}

// ---- The title bar ----

void cStickyObject::DrawTitleBar(const Rect& frame, unsigned char fill, unsigned char text,
                                 unsigned char highlight) {
  if (titleOutput_ == 0 && minimized_ == 0) return;
  const Rect t{frame.top, frame.left, SInt16(frame.top + titleHeight_), frame.right};
  if (fill != 0) Paint(t, Mix(frameColor_, backgroundColor_, 0.7f));
  if (highlight != 0) {
    const RGBColor light = Mix(backgroundColor_, kWhite, 0.5f);
    Line(short(t.right - 2), short(t.top + 1), short(t.right - 2), short(t.bottom - 2), light);
    Line(short(t.left + 1), short(t.bottom - 2), short(t.right - 2), short(t.bottom - 2), light);
  }
  Rect textRect = t;
  if (frameActive_ != 0 && minimized_ != 0) textRect.right = SInt16(textRect.right - 16);
  if (fill != 0) {
    RGBColor grey;
    Sp_SetRGBColorByPercentage(&grey, 30, 30, 30);
    Line(short(t.left + 1), t.bottom, short(t.right - 1), t.bottom, grey);
  }
  if (text != 0) ShowTitleText(textRect);
}

void cStickyObject::ShowTitleText(const Rect& textRect) {
  char text[512];
  text[0] = '\0';
  unsigned char cut = 0;
  const bool titleOnly = minimized_ == 0 || minimizedTitleKind_ == 1;
  if (titleOnly) {
    if (title_ != nullptr) SpSO_GetString(title_, text, 512, cut);
  } else {
    // The first line of the text, without its line break.
    char first[256];
    GetTargetLineText(1, 1, first, sizeof first, cut);
    first[sizeof first - 1] = '\0';
    size_t n = strlen(first);
    while (n > 0 && (first[n - 1] == '\r' || first[n - 1] == '\n' || first[n - 1] == 3)) --n;
    first[n] = '\0';
    std::memcpy(text, first, n + 1);
    if (minimizedTitleKind_ != 3 && title_ != nullptr) {
      char title[256];
      SpSO_GetString(title_, title, sizeof title, cut);
      strcat(text, " ");
      strncat(text, title, sizeof text - strlen(text) - 1);
    }
  }
  if (text[0] == '\0') return;
  RGBForeColor(&titleTextColor_);
  TextFont(titleFontNo_);
  TextSize(titleTextSize_);
  const SInt16 room =
      SInt16(textRect.right - textRect.left - titleInsetLeft_ - titleInsetRight_);
  if (room <= 0) return;
  char shown[512];
  Sp_CutStringByWidth(text, room, truncEnd, shown);
  Sp_DrawStringInRect(shown, &textRect, kSpPositionLeft, kSpPositionCenter, titleInsetLeft_,
                      titleInsetRight_, titleInsetTop_, titleInsetBottom_, 0, 0, 0, 0, nullptr);
}

// ---- The boxes ----

void cStickyObject::GetGrowIconRegion(const Rect& frame, RgnHandle out) const {
  if (out == nullptr) return;
  // The step shape in the bottom-right corner: a column 4 wide and 8 high beside a square
  // 4 wide and 4 high.
  const short r = frame.right, b = frame.bottom;
  const Rect column{SInt16(b - 8), SInt16(r - 4), b, r};
  const Rect step{SInt16(b - 4), SInt16(r - 8), b, SInt16(r - 4)};
  RectRgn(out, &column);
  sp_eto_edit::cRegion part;
  if (!part) return;
  RectRgn(part, &step);
  UnionRgn(out, part, out);
}

void cStickyObject::DrawMimizeBox() {
  if (minimizeIcon_ == 0 || base_ == nullptr) return;
  Rect box;
  if (minimized_ == 0) {
    const Rect& r = frameArea_;
    box = Rect{SInt16(r.bottom - 6), r.left, r.bottom, r.right};
  } else {
    const Rect rm = CurrentFrame();
    box = Rect{rm.top, SInt16(rm.right - 19), rm.bottom, SInt16(rm.right - 11)};
  }
  Rect onWindow, visible;
  base_->OffscreenAreaToOnWindowArea(box, onWindow);
  if (base_->GetViewableDrawingAreaOnWindow(visible) == 0) return;
  if (!SectRect(&onWindow, &visible, &onWindow)) return;
  base_->SetupModifyDrawingRectAndFlag(&onWindow, 1);
  base_->ReDrawAreaUpdateView(0);
}

// ---- Translucency ----

void cStickyObject::SetupBackgroundTransparentFlag(unsigned char flag, unsigned char redraw) {
  if (base_ == nullptr || flag == translucent_) return;
  translucent_ = flag;
  if (flag == 0) {
    base_->TransmitViewTurnOff(1, 0);
  } else {
    base_->TransmitViewTurnOn(kSpTransmitBackgroundType, translucencyRate_, 0);
  }
  MarkBase(redraw);
}

void cStickyObject::SetupBackgroundTransparentRate(float rate, unsigned char redraw) {
  if (base_ == nullptr || rate == translucencyRate_) return;
  translucencyRate_ = rate;
  if (translucent_ == 0) return;
  base_->SetupTransmitViewRate(rate, 0);
  MarkBase(redraw);
}

// ---- Regions ----

void cStickyObject::GetStickySelectionRegion(RgnHandle inOut, unsigned char withShadow,
                                             unsigned char, unsigned char outlineOnly) {
  const char* const method = "cStickyObject::GetStickySelectionRegion";
  if (inOut == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
    return;
  }
  if (base_ == nullptr) return;
  sp_eto_edit::cRegion shape, part;
  if (!shape || !part) {
    SpReportFailure(kSource, method, 2, kSpMsgMemory);
    return;
  }
  const Rect frame = CurrentFrame();
  RectRgn(shape, &frame);
  if (withShadow != 0) {
    Rect shadow = shadowArea_;
    if (minimized_ != 0) SpETOSticky_GetShadowAreaOnBaseViewFromBaseViewArea(minimizedArea_, shadow);
    RectRgn(part, &shadow);
    UnionRgn(shape, part, shape);
  }
  Rect onWindow;
  base_->GetDrawingAreaOnWindow(&onWindow);
  OffsetRgn(shape, onWindow.left, onWindow.top);
  if (outlineOnly != 0) {
    CopyRgn(shape, part);
    InsetRgn(part, 1, 1);
    DiffRgn(shape, part, shape);
  }
  UnionRgn(inOut, shape, inOut);
}

// The frame is the opaque part of the note: `combine` takes it (on the window) out of the
// region or keeps only it; the shadow stays see-through.
unsigned char cStickyObject::CombineWithOpaqueFrame(RgnHandle region, const char* method,
                                                    void (*combine)(RgnHandle, RgnHandle,
                                                                    RgnHandle)) {
  if (base_ == nullptr) return SpReportFailure(kSource, method, 2, kSpMsgDataError, 0);
  if (region == nullptr) return 0;
  Rect onWindow;
  base_->OffscreenAreaToOnWindowArea(CurrentFrame(), onWindow);
  sp_eto_edit::cRegion opaque;
  if (!opaque) return 0;
  RectRgn(opaque, &onWindow);
  combine(region, opaque, region);
  return 1;
}

unsigned char cStickyObject::CutUnderViewImageByBaseView(RgnHandle region, RgnHandle) {
  return CombineWithOpaqueFrame(region, "cStickyObject::CutUnderViewImageByBaseView", DiffRgn);
}

unsigned char cStickyObject::SectMyAreaViewImageByBaseView(RgnHandle region, RgnHandle) {
  return CombineWithOpaqueFrame(region, "cStickyObject::SectMyAreaViewImageByBaseView", SectRgn);
}

// ---- Images ----

unsigned char cStickyObject::DrawStickyOnCurrentPort(const Rect& area, unsigned char paint,
                                                     short h, short v, RgnHandle clip,
                                                     unsigned char) {
  if (base_ == nullptr) return 0;
  if (base_->DrawOnCurrentPort(0, area, paint, h, v, clip) == 0) return 0;
  if (minimized_ != 0) return 1;
  Rect frame, edit;
  SpETOSticky_GetFrameAreaFromBaseViewArea(area, frame);
  GetEditTextAreaFromFrameSize(frame, edit);
  short sh = 0, sv = 0;
  GetScrollValue(sh, sv);
  DrawOnCurrentPort(0, edit, 0, sh, sv, clip);
  return 1;
}

unsigned char cStickyObject::GetStickyImageOffscreen(const Rect* area, unsigned char paint,
                                                     const RGBColor* colour, unsigned char,
                                                     SInt32 depth, GWorldPtr& out, Rect& bounds) {
  out = nullptr;
  if (base_ == nullptr) return 0;
  Rect image{0, 0, 0, 0};
  if (area != nullptr) {
    image = *area;
  } else {
    base_->GetDrawingAreaOnWindow(&image);
  }
  OffsetRect(&image, SInt16(-image.left), SInt16(-image.top));
  GWorldPtr world = nullptr;
  if (NewGWorld(&world, SInt16(depth), &image, nullptr, nullptr, 0) != noErr || world == nullptr) {
    return SpReportFailure(kSource, "cStickyObject::GetStickyImageOffscreen", 1, "Data Error", 0);
  }
  PixMapHandle pixels = GetGWorldPixMap(world);
  LockPixels(pixels);
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  SetGWorld(world, nullptr);
  if (paint != 0) {
    const RGBColor fill = colour != nullptr ? *colour : kWhite;
    RGBForeColor(&fill);
    PaintRect(&image);
    RGBForeColor(&kBlack);
  }
  DrawStickyOnCurrentPort(image, 0, 0, 0, nullptr, 0);
  SetGWorld(savedPort, savedDevice);
  UnlockPixels(pixels);
  out = world;
  bounds = image;
  return 1;
}
