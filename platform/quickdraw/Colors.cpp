// Fore, back and operation colours of the current port, and single pixels.
#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/RegionTools.h"

namespace {

// The colours of the classic colour numbers.
RGBColor ClassicColor(SInt32 color) {
  switch (color) {
    case whiteColor:
      return RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    case yellowColor:
      return RGBColor{0xFC00, 0xF37D, 0x052F};
    case magentaColor:
      return RGBColor{0xF2D7, 0x0856, 0x84EC};
    case redColor:
      return RGBColor{0xDD6B, 0x08C2, 0x06A2};
    case cyanColor:
      return RGBColor{0x0241, 0xAB54, 0xEAFF};
    case greenColor:
      return RGBColor{0x0000, 0x8000, 0x11B0};
    case blueColor:
      return RGBColor{0x0000, 0x0000, 0xD400};
    default:
      return RGBColor{0, 0, 0};
  }
}

GrafPort& Current() {
  return *sp_platform::CurrentPort();
}

// The pixel at local (h, v) of the current port; null outside its pixels.
UInt32* PixelAt(SInt16 h, SInt16 v) {
  sp_platform::PixelAccess px;
  if (!sp_platform::GetPortPixels(sp_platform::CurrentPort(), &px)) return nullptr;
  const Point pt{v, h};
  if (!PtInRect(pt, &px.bounds)) return nullptr;
  return px.base + (v - px.bounds.top) * px.rowWords + (h - px.bounds.left);
}

}  // namespace

void RGBForeColor(const RGBColor* color) {
  if (color != nullptr) Current().rgbFgColor = *color;
}

void RGBBackColor(const RGBColor* color) {
  if (color != nullptr) Current().rgbBkColor = *color;
}

void OpColor(const RGBColor* color) {
  if (color != nullptr) Current().rgbOpColor = *color;
}

void GetForeColor(RGBColor* color) {
  if (color != nullptr) *color = Current().rgbFgColor;
}

void LMGetHiliteRGB(RGBColor* hiliteRGBValue) {
  if (hiliteRGBValue != nullptr) *hiliteRGBValue = RGBColor{0xCCCC, 0xCCCC, 0xFFFF};
}

void GetBackColor(RGBColor* color) {
  if (color != nullptr) *color = Current().rgbBkColor;
}

void ForeColor(SInt32 color) {
  Current().rgbFgColor = ClassicColor(color);
}

void BackColor(SInt32 color) {
  Current().rgbBkColor = ClassicColor(color);
}

RGBColor* GetPortForeColor(CGrafPtr port, RGBColor* color) {
  if (color == nullptr || !IsValidPort(port)) return nullptr;
  *color = port->rgbFgColor;
  return color;
}

RGBColor* GetPortBackColor(CGrafPtr port, RGBColor* color) {
  if (color == nullptr || !IsValidPort(port)) return nullptr;
  *color = port->rgbBkColor;
  return color;
}

void GetCPixel(SInt16 h, SInt16 v, RGBColor* cPix) {
  if (cPix == nullptr) return;
  const UInt32* p = PixelAt(h, v);
  *cPix = p == nullptr ? RGBColor{0, 0, 0} : sp_platform::RGBFromPixel(*p);
}

void SetCPixel(SInt16 h, SInt16 v, const RGBColor* cPix) {
  if (cPix == nullptr) return;
  UInt32* p = PixelAt(h, v);
  if (p == nullptr) return;
  GrafPtr port = sp_platform::CurrentPort();
  const Point pt{v, h};
  if (!PtInRgn(pt, sp_platform::PortClipRegion(port)) ||
      !PtInRgn(pt, sp_platform::PortVisibleRegion(port))) {
    return;
  }
  *p = sp_platform::PixelFromRGB(*cPix);
}
