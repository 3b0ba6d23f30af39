// Copying pixels between bitmaps and pixel maps: CopyBits, CopyMask, CopyDeepMask and
// ScrollRect.
#include <algorithm>
#include <cstring>
#include <vector>

#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/Raster.h"
#include "detail/RegionTools.h"

namespace {

using sp_platform::raster::Blue;
using sp_platform::raster::Green;
using sp_platform::raster::MakePixel;
using sp_platform::raster::MixChannel;
using sp_platform::raster::Red;

constexpr UInt32 kRGBMask = 0x00FFFFFFu;
constexpr UInt32 kBlackPixel = 0xFF000000u;
constexpr UInt32 kWhitePixel = 0xFFFFFFFFu;

// Pixels to read from: a 32-bit pixel map or a one-bit bitmap, in its bounds' coordinates.
struct Surface {
  bool deep = false;
  const UInt8* base = nullptr;
  SInt32 rowBytes = 0;
  Rect bounds{0, 0, 0, 0};

  bool Contains(SInt32 h, SInt32 v) const {
    return h >= bounds.left && h < bounds.right && v >= bounds.top && v < bounds.bottom;
  }

  UInt32 Pixel(SInt32 h, SInt32 v) const {
    const UInt8* row = base + std::ptrdiff_t(v - bounds.top) * rowBytes;
    const SInt32 x = h - bounds.left;
    if (deep) return reinterpret_cast<const UInt32*>(row)[x];
    return ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0 ? kBlackPixel : kWhitePixel;
  }
};

bool Resolve(const BitMap* bm, Surface* out) {
  if (bm == nullptr || bm->baseAddr == nullptr || EmptyRect(&bm->bounds)) return false;
  const SInt32 width = SInt32(bm->bounds.right) - bm->bounds.left;
  if ((bm->rowBytes & 0x8000) != 0) {
    const PixMap* pm = static_cast<const PixMap*>(bm);
    if (pm->pixelSize != 32) return false;
    out->deep = true;
    out->rowBytes = bm->rowBytes & 0x3FFF;
    if (out->rowBytes < width * 4) return false;
  } else {
    out->deep = false;
    out->rowBytes = bm->rowBytes;
    if (out->rowBytes < (width + 7) / 8) return false;
  }
  out->base = reinterpret_cast<const UInt8*>(bm->baseAddr);
  out->bounds = bm->bounds;
  return true;
}

// Maps a destination coordinate to the source (or mask) rectangle, nearest pixel.
inline SInt32 Map(SInt32 x, SInt32 dstStart, SInt32 dstSize, SInt32 srcStart, SInt32 srcSize) {
  // Same sizes (the usual case, blends through masks included) need no division per pixel.
  if (srcSize == dstSize) return srcStart + (x - dstStart);
  return srcStart + SInt32(SInt64(x - dstStart) * srcSize / dstSize);
}

struct Colours {
  UInt32 fore;
  UInt32 back;
  UInt32 op;
  bool plain;  // black fore colour and white back colour: no colourising
};

Colours PortColours() {
  const GrafPort& port = *sp_platform::CurrentPort();
  Colours c;
  c.fore = sp_platform::PixelFromRGB(port.rgbFgColor);
  c.back = sp_platform::PixelFromRGB(port.rgbBkColor);
  c.op = sp_platform::PixelFromRGB(port.rgbOpColor);
  c.plain = (c.fore & kRGBMask) == 0 && (c.back & kRGBMask) == kRGBMask;
  return c;
}

// Each channel of a and b mixed by the same channel of w (0: a, 255: b).
inline UInt32 MixBy(UInt32 a, UInt32 b, UInt32 w) {
  return MakePixel(MixChannel(Red(a), Red(b), Red(w)), MixChannel(Green(a), Green(b), Green(w)),
                   MixChannel(Blue(a), Blue(b), Blue(w)));
}

// The source pixel s put onto the destination pixel d in the transfer mode.
UInt32 Transfer(UInt32 s, UInt32 d, SInt16 mode, const Colours& c) {
  const SInt16 m = SInt16(mode & ~ditherCopy);
  if (m == transparent) return (s & kRGBMask) == (c.back & kRGBMask) ? d : (s | kBlackPixel);
  if (m == blend) return MixBy(d, s, c.op);
  if (m >= srcCopy && m <= notSrcBic) {
    if ((m & 4) != 0) s ^= kRGBMask;
    switch (m & 3) {
      case 1:  // srcOr: the fore colour as much as the source is dark
        return MixBy(c.fore, d, s);
      case 2:  // srcXor: dark source inverts
        return (d ^ (~s & kRGBMask)) | kBlackPixel;
      case 3:  // srcBic: the back colour as much as the source is dark
        return MixBy(c.back, d, s);
      default:
        break;
    }
  }
  // srcCopy, colourised: black to the fore colour, white to the back colour.
  if (c.plain) return s | kBlackPixel;
  return MixBy(c.fore, c.back, s);
}

enum class MaskKind { kNone, kBits, kDeep };

// The destination rectangles a copy may change: inside dstRect and the destination's bounds,
// the mask region and, for the current port's pixels, its clip and visible regions.
std::vector<Rect> Targets(const Surface& dst, const Rect& dstRect, RgnHandle maskRgn) {
  Rect area;
  if (!SectRect(&dstRect, &dst.bounds, &area)) return {};
  std::vector<Rect> rects;
  if (maskRgn != nullptr) {
    rects = sp_platform::RegionRectsInRect(maskRgn, area);
  } else {
    rects.push_back(area);
  }
  sp_platform::PixelAccess port;
  if (sp_platform::GetPortPixels(sp_platform::CurrentPort(), &port) &&
      reinterpret_cast<const UInt8*>(port.base) == dst.base) {
    std::vector<Rect> clipped;
    for (const Rect& drawable : sp_platform::DrawableRects(sp_platform::CurrentPort())) {
      for (const Rect& r : rects) {
        Rect both;
        if (SectRect(&drawable, &r, &both)) clipped.push_back(both);
      }
    }
    rects.swap(clipped);
  }
  return rects;
}

// The plain copy of pixels at the same size, row by row: what windows and offscreens mostly
// do, so it runs without the per-pixel transfer. Source pixels (h + dh, v + dv) land on (h, v)
// of each target rectangle; what lies outside the source is left alone.
void CopyUnscaled(const Surface& src, const Surface& dst, SInt32 dh, SInt32 dv,
                  const std::vector<Rect>& targets) {
  UInt8* dstBase = const_cast<UInt8*>(dst.base);
  for (const Rect& r : targets) {
    const SInt32 left = std::max<SInt32>(r.left, src.bounds.left - dh);
    const SInt32 right = std::min<SInt32>(r.right, src.bounds.right - dh);
    if (left >= right) continue;
    for (SInt32 v = r.top; v < r.bottom; ++v) {
      const SInt32 sv = v + dv;
      if (sv < src.bounds.top || sv >= src.bounds.bottom) continue;
      const UInt32* from = reinterpret_cast<const UInt32*>(
                               src.base + std::ptrdiff_t(sv - src.bounds.top) * src.rowBytes) +
                           (left + dh - src.bounds.left);
      UInt32* to =
          reinterpret_cast<UInt32*>(dstBase + std::ptrdiff_t(v - dst.bounds.top) * dst.rowBytes) +
          (left - dst.bounds.left);
      for (SInt32 i = 0; i < right - left; ++i) to[i] = from[i] | kBlackPixel;
    }
  }
}

// The blend of a translucent view at the same size through a deep mask, row by row: each
// destination pixel becomes the source as far as the mask is black. Pixels outside the source
// or the mask are left alone, as in the general copy.
void BlendUnscaled(const Surface& src, const Surface& mask, const Surface& dst, SInt32 dh,
                   SInt32 dv, SInt32 mh, SInt32 mv, const std::vector<Rect>& targets) {
  UInt8* dstBase = const_cast<UInt8*>(dst.base);
  for (const Rect& r : targets) {
    const SInt32 left = std::max({SInt32(r.left), src.bounds.left - dh, mask.bounds.left - mh});
    const SInt32 right =
        std::min({SInt32(r.right), src.bounds.right - dh, mask.bounds.right - mh});
    if (left >= right) continue;
    for (SInt32 v = r.top; v < r.bottom; ++v) {
      if (!src.Contains(left + dh, v + dv) || !mask.Contains(left + mh, v + mv)) continue;
      const UInt32* from = reinterpret_cast<const UInt32*>(
                               src.base + std::ptrdiff_t(v + dv - src.bounds.top) * src.rowBytes) +
                           (left + dh - src.bounds.left);
      const UInt32* by = reinterpret_cast<const UInt32*>(
                             mask.base + std::ptrdiff_t(v + mv - mask.bounds.top) * mask.rowBytes) +
                         (left + mh - mask.bounds.left);
      UInt32* to =
          reinterpret_cast<UInt32*>(dstBase + std::ptrdiff_t(v - dst.bounds.top) * dst.rowBytes) +
          (left - dst.bounds.left);
      for (SInt32 i = 0; i < right - left; ++i) to[i] = MixBy(from[i] | kBlackPixel, to[i], by[i]);
    }
  }
}

bool SameSize(const Rect& a, const Rect& b) {
  return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

void Copy(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
          const Rect* maskRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn,
          MaskKind maskKind) {
  if (srcRect == nullptr || dstRect == nullptr || EmptyRect(srcRect) || EmptyRect(dstRect)) {
    return;
  }
  Surface src, dst, mask;
  if (!Resolve(srcBits, &src) || !Resolve(dstBits, &dst) || !dst.deep) return;
  if (maskKind != MaskKind::kNone) {
    if (maskRect == nullptr || EmptyRect(maskRect) || !Resolve(maskBits, &mask)) return;
  }

  // Reading from the pixels being written: read from a copy.
  std::vector<UInt8> copy;
  if (src.base == dst.base) {
    Rect part;
    if (!SectRect(srcRect, &src.bounds, &part)) return;
    const SInt32 width = part.right - part.left;
    copy.resize(std::size_t(width) * 4 * std::size_t(part.bottom - part.top));
    for (SInt32 v = part.top; v < part.bottom; ++v) {
      const UInt8* from = src.base + std::ptrdiff_t(v - src.bounds.top) * src.rowBytes +
                          (part.left - src.bounds.left) * 4;
      std::copy(from, from + width * 4, copy.begin() + std::ptrdiff_t(v - part.top) * width * 4);
    }
    src.base = copy.data();
    src.rowBytes = width * 4;
    src.bounds = part;
  }

  const Colours colours = PortColours();
  const SInt32 dw = dstRect->right - dstRect->left, dh = dstRect->bottom - dstRect->top;
  const SInt32 sw = srcRect->right - srcRect->left, sh = srcRect->bottom - srcRect->top;
  UInt8* dstBase = const_cast<UInt8*>(dst.base);
  if (maskKind == MaskKind::kNone && src.deep && dw == sw && dh == sh && colours.plain &&
      SInt16(mode & ~ditherCopy) == srcCopy) {
    CopyUnscaled(src, dst, srcRect->left - dstRect->left, srcRect->top - dstRect->top,
                 Targets(dst, *dstRect, maskRgn));
    return;
  }
  if (maskKind == MaskKind::kDeep && src.deep && mask.deep && dw == sw && dh == sh &&
      SameSize(*maskRect, *dstRect) && colours.plain && SInt16(mode & ~ditherCopy) == srcCopy) {
    BlendUnscaled(src, mask, dst, srcRect->left - dstRect->left, srcRect->top - dstRect->top,
                  maskRect->left - dstRect->left, maskRect->top - dstRect->top,
                  Targets(dst, *dstRect, maskRgn));
    return;
  }
  for (const Rect& r : Targets(dst, *dstRect, maskRgn)) {
    for (SInt32 v = r.top; v < r.bottom; ++v) {
      const SInt32 sv = Map(v, dstRect->top, dh, srcRect->top, sh);
      UInt32* row =
          reinterpret_cast<UInt32*>(dstBase + std::ptrdiff_t(v - dst.bounds.top) * dst.rowBytes);
      for (SInt32 h = r.left; h < r.right; ++h) {
        const SInt32 sh2 = Map(h, dstRect->left, dw, srcRect->left, sw);
        if (!src.Contains(sh2, sv)) continue;
        UInt32& d = row[h - dst.bounds.left];
        const UInt32 result = Transfer(src.Pixel(sh2, sv), d, mode, colours);
        if (maskKind == MaskKind::kNone) {
          d = result;
          continue;
        }
        const SInt32 mh =
            Map(h, dstRect->left, dw, maskRect->left, maskRect->right - maskRect->left);
        const SInt32 mv = Map(v, dstRect->top, dh, maskRect->top, maskRect->bottom - maskRect->top);
        if (!mask.Contains(mh, mv)) continue;
        const UInt32 m = mask.Pixel(mh, mv);
        if (maskKind == MaskKind::kBits || !mask.deep) {
          if ((m & kRGBMask) != kRGBMask) d = result;  // anything but white lets the source in
        } else {
          d = MixBy(result, d, m);  // black: the result; white: the destination
        }
      }
    }
  }
}

}  // namespace

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, SInt16 mode, RgnHandle maskRgn) {
  Copy(srcBits, nullptr, dstBits, srcRect, nullptr, dstRect, mode, maskRgn, MaskKind::kNone);
}

void CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
              const Rect* srcRect, const Rect* maskRect, const Rect* dstRect) {
  Copy(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, srcCopy, nullptr, MaskKind::kBits);
}

void CopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
                  const Rect* srcRect, const Rect* maskRect, const Rect* dstRect, SInt16 mode,
                  RgnHandle maskRgn) {
  Copy(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, mode, maskRgn, MaskKind::kDeep);
}

void ScrollRect(const Rect* r, SInt16 dh, SInt16 dv, RgnHandle updateRgn) {
  if (updateRgn != nullptr) SetEmptyRgn(updateRgn);
  if (r == nullptr) return;
  GrafPtr port = sp_platform::CurrentPort();
  sp_platform::PixelAccess px;
  if (!sp_platform::GetPortPixels(port, &px)) return;

  // The part of the rectangle that may change, and the part of it that pixels move into.
  std::vector<Rect> areaRects;
  for (const Rect& drawable : sp_platform::DrawableRects(port)) {
    Rect both;
    if (SectRect(&drawable, r, &both)) areaRects.push_back(both);
  }
  RgnHandle area = NewRgn();
  RgnHandle moved = NewRgn();
  if (area == nullptr || moved == nullptr || sp_platform::RectsToRgn(areaRects, area) != noErr) {
    DisposeRgn(area);
    DisposeRgn(moved);
    return;
  }
  CopyRgn(area, moved);
  OffsetRgn(moved, dh, dv);
  SectRgn(moved, area, moved);

  const std::vector<Rect> movedRects = sp_platform::RegionRects(moved);
  if (areaRects.size() == 1 && movedRects.size() <= 1) {
    // One rectangle, the usual case: each row moves in place, taken in the order that reads
    // every source row before it is written over.
    for (const Rect& to : movedRects) {
      const SInt32 rows = to.bottom - to.top;
      const std::size_t bytes = std::size_t(to.right - to.left) * sizeof(UInt32);
      for (SInt32 i = 0; i < rows; ++i) {
        const SInt32 v = dv > 0 ? to.bottom - 1 - i : to.top + i;
        UInt32* row = px.base + (v - px.bounds.top) * px.rowWords;
        const UInt32* from = px.base + (v - dv - px.bounds.top) * px.rowWords;
        std::memmove(row + (to.left - px.bounds.left), from + (to.left - dh - px.bounds.left),
                     bytes);
      }
    }
  } else {
    Rect box;
    GetRegionBounds(area, &box);
    const SInt32 width = box.right - box.left;
    std::vector<UInt32> before(std::size_t(width) * std::size_t(box.bottom - box.top));
    for (SInt32 v = box.top; v < box.bottom; ++v) {
      const UInt32* from =
          px.base + (v - px.bounds.top) * px.rowWords + (box.left - px.bounds.left);
      std::copy(from, from + width, before.begin() + std::ptrdiff_t(v - box.top) * width);
    }
    for (const Rect& to : movedRects) {
      for (SInt32 v = to.top; v < to.bottom; ++v) {
        UInt32* row = px.base + (v - px.bounds.top) * px.rowWords;
        const UInt32* from = before.data() + std::ptrdiff_t(v - dv - box.top) * width;
        for (SInt32 h = to.left; h < to.right; ++h) {
          row[h - px.bounds.left] = from[h - dh - box.left];
        }
      }
    }
  }

  DiffRgn(area, moved, area);
  sp_platform::raster::Boxes uncovered;
  for (const Rect& u : sp_platform::RegionRects(area)) {
    uncovered.push_back(sp_platform::raster::ToBox(u));
  }
  sp_platform::raster::PaintBoxes(port, uncovered, sp_platform::raster::BackInk(*port));
  if (updateRgn != nullptr) CopyRgn(area, updateRgn);
  DisposeRgn(area);
  DisposeRgn(moved);
}
