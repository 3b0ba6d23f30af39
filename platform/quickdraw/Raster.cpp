// The raster core: shapes as pixel boxes, pixel access, clipping and painting with patterns.
#include "detail/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "detail/RegionRecording.h"
#include "detail/RegionTools.h"

namespace sp_platform {

namespace {

constexpr UInt32 kRGBMask = 0x00FFFFFFu;

// Channel of an RGBColor component: its high byte.
UInt32 Channel(UInt16 component) {
  return UInt32(component >> 8);
}

}  // namespace

UInt32 PixelFromRGB(const RGBColor& c) {
  return raster::MakePixel(Channel(c.red), Channel(c.green), Channel(c.blue));
}

RGBColor RGBFromPixel(UInt32 pixel) {
  return RGBColor{UInt16(raster::Red(pixel) * 257), UInt16(raster::Green(pixel) * 257),
                  UInt16(raster::Blue(pixel) * 257)};
}

bool GetPortPixels(GrafPtr port, PixelAccess* out) {
  if (out == nullptr || !IsValidPort(port) || port->portPixMap == nullptr) return false;
  const PixMap& pm = **port->portPixMap;
  if (pm.baseAddr == nullptr || EmptyRect(&pm.bounds)) return false;
  out->base = reinterpret_cast<UInt32*>(pm.baseAddr);
  out->rowWords = std::ptrdiff_t(pm.rowBytes & 0x3FFF) / 4;
  out->bounds = pm.bounds;
  return true;
}

std::vector<Rect> DrawableRects(GrafPtr port) {
  PixelAccess px;
  if (!GetPortPixels(port, &px)) return {};
  RgnHandle clip = PortClipRegion(port);
  RgnHandle vis = PortVisibleRegion(port);
  if (clip == nullptr || vis == nullptr) return {};
  const std::vector<Rect> clipRects = RegionRectsInRect(clip, px.bounds);
  const std::vector<Rect> visRects = RegionRectsInRect(vis, px.bounds);
  std::vector<Rect> out;
  for (const Rect& c : clipRects) {
    for (const Rect& v : visRects) {
      Rect r;
      if (SectRect(&c, &v, &r)) out.push_back(r);
    }
  }
  return out;
}

namespace {

// The colour laid over a pixel as much as the coverage says: none keeps the pixel (made
// opaque, as a blend makes it), full coverage is the colour itself, and only the edges of
// glyphs are mixed channel by channel. Most of a text's box is blank or solid.
inline UInt32 LayOver(UInt32 under, UInt32 colour, UInt32 a) {
  if (a == 0) return under | ~kRGBMask;
  if (a == 255) return colour | ~kRGBMask;
  return raster::MakePixel(raster::MixChannel(raster::Red(under), raster::Red(colour), a),
                           raster::MixChannel(raster::Green(under), raster::Green(colour), a),
                           raster::MixChannel(raster::Blue(under), raster::Blue(colour), a));
}

// One row of `count` pixels through the coverage. The mode is a template argument so that
// the loop carries no switch: a line of text is many thousands of pixels.
template <int kOp, bool kInverted>
void CoverRow(UInt32* row, const UInt8* cov, SInt32 count, UInt32 fore, UInt32 back) {
  for (SInt32 i = 0; i < count; ++i) {
    const UInt32 a = kInverted ? 255u - cov[i] : cov[i];
    UInt32& p = row[i];
    if (kOp == 2) {
      if (a >= 128) p ^= kRGBMask;
    } else if (kOp == 3) {
      p = LayOver(p, back, a);
    } else if (kOp == 0) {
      p = LayOver(back, fore, a);
    } else {
      p = LayOver(p, fore, a);
    }
  }
}

using CoverRowFn = void (*)(UInt32*, const UInt8*, SInt32, UInt32, UInt32);

CoverRowFn CoverRowFor(int op, bool inverted) {
  static const CoverRowFn kRows[2][4] = {
      {CoverRow<0, false>, CoverRow<1, false>, CoverRow<2, false>, CoverRow<3, false>},
      {CoverRow<0, true>, CoverRow<1, true>, CoverRow<2, true>, CoverRow<3, true>}};
  return kRows[inverted ? 1 : 0][op & 3];
}

}  // namespace

void DrawCoverageMask(GrafPtr port, const Rect& box, const UInt8* coverage, std::size_t rowBytes,
                      SInt16 mode) {
  if (coverage == nullptr || EmptyRect(&box)) return;
  PixelAccess px;
  if (!GetPortPixels(port, &px)) return;
  SInt16 m = mode;
  if (m >= patCopy && m <= notPatBic) m = SInt16(m - patCopy);
  if (m < srcCopy || m > notSrcBic) m = srcOr;
  const CoverRowFn cover = CoverRowFor(m & 3, (m & 4) != 0);
  const UInt32 fore = PixelFromRGB(port->rgbFgColor);
  const UInt32 back = PixelFromRGB(port->rgbBkColor);
  for (const Rect& clip : DrawableRects(port)) {
    Rect r;
    if (!SectRect(&clip, &box, &r)) continue;
    for (SInt32 v = r.top; v < r.bottom; ++v) {
      const UInt8* cov = coverage + std::size_t(v - box.top) * rowBytes + (r.left - box.left);
      UInt32* row = px.base + (v - px.bounds.top) * px.rowWords + (r.left - px.bounds.left);
      cover(row, cov, r.right - r.left, fore, back);
    }
  }
}

namespace raster {

void RowBuilder::Add(SInt32 v, SInt32 left, SInt32 right) {
  if (right > left) runs_.push_back(Run{v, left, right});
}

void RowBuilder::AddBox(const Box& b) {
  if (IsEmpty(b)) return;
  for (SInt32 v = b.top; v < b.bottom; ++v) Add(v, b.left, b.right);
}

Boxes RowBuilder::Finish() {
  std::sort(runs_.begin(), runs_.end(),
            [](const Run& a, const Run& b) { return a.v != b.v ? a.v < b.v : a.left < b.left; });
  Boxes out;
  for (const Run& r : runs_) {
    if (!out.empty() && out.back().top == r.v && r.left <= out.back().right) {
      out.back().right = std::max(out.back().right, r.right);
    } else {
      out.push_back(Box{r.v, r.left, r.v + 1, r.right});
    }
  }
  runs_.clear();
  return out;
}

Boxes SubtractRows(const Boxes& a, const Boxes& b) {
  Boxes out;
  std::size_t j = 0;
  for (const Box& box : a) {
    while (j < b.size() &&
           (b[j].top < box.top || (b[j].top == box.top && b[j].right <= box.left))) {
      ++j;
    }
    SInt32 cur = box.left;
    for (std::size_t k = j; k < b.size() && b[k].top == box.top && b[k].left < box.right; ++k) {
      if (b[k].left > cur) out.push_back(Box{box.top, cur, box.bottom, b[k].left});
      cur = std::max(cur, b[k].right);
    }
    if (cur < box.right) out.push_back(Box{box.top, cur, box.bottom, box.right});
  }
  return out;
}

Ink PenInk(const GrafPort& port) {
  Ink ink;
  ink.mode = port.pnMode;
  ink.pat = port.pnPat;
  ink.fore = PixelFromRGB(port.rgbFgColor);
  ink.back = PixelFromRGB(port.rgbBkColor);
  return ink;
}

Ink BackInk(const GrafPort& port) {
  Ink ink;
  ink.mode = patCopy;
  ink.pat = port.bkPat;
  ink.fore = PixelFromRGB(port.rgbFgColor);
  ink.back = PixelFromRGB(port.rgbBkColor);
  return ink;
}

Ink FillInk(const GrafPort& port, const Pattern& pat) {
  Ink ink = BackInk(port);
  ink.pat = pat;
  return ink;
}

Ink InvertInk() {
  Ink ink;
  ink.invert = true;
  return ink;
}

bool PenHidden(GrafPtr port) {
  return port->pnVis < 0 || IsRecordingOutline(port);
}

namespace {

// One pixel through the ink; h and v are local coordinates (the pattern's alignment).
inline void Apply(UInt32& p, const Ink& ink, SInt32 h, SInt32 v) {
  if (ink.invert) {
    p ^= kRGBMask;
    return;
  }
  int mode = ink.mode;
  if (mode < 0 || mode > 15) mode = patCopy;
  bool bit = ((ink.pat.pat[v & 7] >> (7 - (h & 7))) & 1) != 0;
  if ((mode & 4) != 0) bit = !bit;
  switch (mode & 3) {
    case 0:
      p = bit ? ink.fore : ink.back;
      break;
    case 1:
      if (bit) p = ink.fore;
      break;
    case 2:
      if (bit) p ^= kRGBMask;
      break;
    default:
      if (bit) p = ink.back;
      break;
  }
}

// The one pixel value the ink leaves everywhere, when it does: a pattern of one kind of bit
// through a mode that sets pixels (copy, or and bic where the bit asks for it). False when
// pixels differ by place or keep their value.
bool SolidInk(const Ink& ink, UInt32* value) {
  if (ink.invert) return false;
  const UInt8 first = ink.pat.pat[0];
  if (first != 0x00 && first != 0xFF) return false;
  for (UInt8 row : ink.pat.pat) {
    if (row != first) return false;
  }
  int mode = ink.mode;
  if (mode < 0 || mode > 15) mode = patCopy;
  bool bit = first == 0xFF;
  if ((mode & 4) != 0) bit = !bit;
  switch (mode & 3) {
    case 0:
      *value = bit ? ink.fore : ink.back;
      return true;
    case 1:
      *value = ink.fore;
      return bit;
    case 3:
      *value = ink.back;
      return bit;
    default:
      return false;
  }
}

}  // namespace

void PaintBoxes(GrafPtr port, const Boxes& boxes, const Ink& ink) {
  if (boxes.empty()) return;
  PixelAccess px;
  if (!GetPortPixels(port, &px)) return;
  const std::vector<Rect> clips = DrawableRects(port);
  UInt32 solid = 0;
  const bool isSolid = SolidInk(ink, &solid);
  for (const Box& box : boxes) {
    for (const Rect& c : clips) {
      const SInt32 top = std::max<SInt32>(box.top, c.top);
      const SInt32 bottom = std::min<SInt32>(box.bottom, c.bottom);
      const SInt32 left = std::max<SInt32>(box.left, c.left);
      const SInt32 right = std::min<SInt32>(box.right, c.right);
      if (top >= bottom || left >= right) continue;
      for (SInt32 v = top; v < bottom; ++v) {
        UInt32* row = px.base + (v - px.bounds.top) * px.rowWords;
        if (isSolid) {
          std::fill(row + (left - px.bounds.left), row + (right - px.bounds.left), solid);
          continue;
        }
        for (SInt32 h = left; h < right; ++h) Apply(row[h - px.bounds.left], ink, h, v);
      }
    }
  }
}

Boxes RectBoxes(const Rect& r) {
  const Box b = ToBox(r);
  if (IsEmpty(b)) return {};
  return {b};
}

Boxes FrameRectBoxes(const Rect& r, SInt32 w, SInt32 h) {
  const Box b = ToBox(r);
  if (IsEmpty(b) || w <= 0 || h <= 0) return {};
  if (2 * w >= b.right - b.left || 2 * h >= b.bottom - b.top) return {b};
  return {Box{b.top, b.left, b.top + h, b.right}, Box{b.top + h, b.left, b.bottom - h, b.left + w},
          Box{b.top + h, b.right - w, b.bottom - h, b.right},
          Box{b.bottom - h, b.left, b.bottom, b.right}};
}

namespace {

// The oval inscribed in a rectangle, tested exactly on doubled coordinates: the pixel (x, y)
// is inside when its centre satisfies (dx / a)^2 + (dy / b)^2 <= 1.
class Oval {
 public:
  explicit Oval(const Box& b)
      : box_(b),
        w_(b.right - b.left),
        h_(b.bottom - b.top),
        sumX_(SInt64(b.left) + b.right),
        sumY_(SInt64(b.top) + b.bottom) {}

  bool Contains(SInt64 x, SInt64 y) const {
    const __int128 dx = 2 * x + 1 - sumX_;
    const __int128 dy = 2 * y + 1 - sumY_;
    const __int128 w2 = __int128(w_) * w_;
    const __int128 h2 = __int128(h_) * h_;
    return dx * dx * h2 + dy * dy * w2 <= w2 * h2;
  }

  // The row's pixels [left, right); false when the row holds none.
  bool Row(SInt32 y, SInt32* left, SInt32* right) const {
    if (w_ <= 0 || h_ <= 0 || y < box_.top || y >= box_.bottom) return false;
    const double dy = double(2 * SInt64(y) + 1 - sumY_);
    const double rest = 1.0 - (dy * dy) / (double(h_) * h_);
    if (rest < 0) return false;
    const double limit = std::sqrt(rest) * w_;  // the largest |dx| on doubled coordinates
    SInt64 xr = SInt64(std::floor((limit + double(sumX_) - 1.0) / 2.0));
    xr = std::min<SInt64>(xr, box_.right - 1);
    while (xr + 1 < box_.right && Contains(xr + 1, y)) ++xr;
    while (xr >= box_.left && !Contains(xr, y)) --xr;
    const SInt64 xl = sumX_ - 1 - xr;
    if (xl > xr) return false;
    *left = SInt32(xl);
    *right = SInt32(xr + 1);
    return true;
  }

 private:
  Box box_;
  SInt64 w_;
  SInt64 h_;
  SInt64 sumX_;
  SInt64 sumY_;
};

}  // namespace

Boxes OvalBoxes(const Rect& r) {
  const Box b = ToBox(r);
  if (IsEmpty(b)) return {};
  const Oval oval(b);
  Boxes out;
  for (SInt32 y = b.top; y < b.bottom; ++y) {
    SInt32 left, right;
    if (oval.Row(y, &left, &right)) out.push_back(Box{y, left, y + 1, right});
  }
  return out;
}

Boxes RoundRectBoxes(const Rect& r, SInt32 ovalWidth, SInt32 ovalHeight) {
  const Box b = ToBox(r);
  if (IsEmpty(b)) return {};
  const SInt32 ow = std::min(ovalWidth, b.right - b.left);
  const SInt32 oh = std::min(ovalHeight, b.bottom - b.top);
  Boxes out;
  if (ow <= 0 || oh <= 0) {
    for (SInt32 y = b.top; y < b.bottom; ++y) out.push_back(Box{y, b.left, y + 1, b.right});
    return out;
  }
  const Oval top(Box{b.top, b.left, b.top + oh, b.left + ow});
  const Oval bottom(Box{b.bottom - oh, b.left, b.bottom, b.left + ow});
  for (SInt32 y = b.top; y < b.bottom; ++y) {
    SInt32 left = b.left, right = b.right, cornerLeft, cornerRight;
    const Oval* corner = nullptr;
    if (y - b.top < oh / 2) {
      corner = &top;
    } else if (b.bottom - 1 - y < oh / 2) {
      corner = &bottom;
    }
    if (corner != nullptr) {
      if (!corner->Row(y, &cornerLeft, &cornerRight)) continue;
      left = cornerLeft;
      right = b.right - (cornerLeft - b.left);
    }
    if (right > left) out.push_back(Box{y, left, y + 1, right});
  }
  return out;
}

Boxes WedgeOf(const Boxes& shape, const Rect& r, SInt32 startAngle, SInt32 arcAngle,
              const Box& limit) {
  if (arcAngle == 0 || IsEmpty(limit)) return {};
  if (arcAngle >= 360 || arcAngle <= -360) return shape;
  SInt32 start = startAngle;
  SInt32 arc = arcAngle;
  if (arc < 0) {
    start += arc;
    arc = -arc;
  }
  start = ((start % 360) + 360) % 360;
  const double cx = (double(r.left) + r.right) / 2.0;
  const double cy = (double(r.top) + r.bottom) / 2.0;
  const double a = std::max(1.0, (double(r.right) - r.left) / 2.0);
  const double b = std::max(1.0, (double(r.bottom) - r.top) / 2.0);
  constexpr double kEpsilon = 1e-9;
  auto inside = [&](SInt32 h, SInt32 v) {
    const double dx = (h + 0.5 - cx) / a;
    const double dy = (v + 0.5 - cy) / b;
    if (dx == 0 && dy == 0) return true;
    double angle = std::atan2(dx, -dy) * 180.0 / M_PI;
    if (angle < 0) angle += 360.0;
    double d = angle - start;
    if (d < 0) d += 360.0;
    if (d >= 360.0 - kEpsilon) d = 0;
    return d <= arc + kEpsilon;
  };
  Boxes out;
  for (const Box& box : shape) {
    const SInt32 left = std::max(box.left, limit.left);
    const SInt32 right = std::min(box.right, limit.right);
    for (SInt32 v = std::max(box.top, limit.top); v < std::min(box.bottom, limit.bottom); ++v) {
      SInt32 runStart = 0;
      bool inRun = false;
      for (SInt32 h = left; h < right; ++h) {
        const bool in = inside(h, v);
        if (in && !inRun) runStart = h;
        if (!in && inRun) out.push_back(Box{v, runStart, v + 1, h});
        inRun = in;
      }
      if (inRun) out.push_back(Box{v, runStart, v + 1, right});
    }
  }
  return out;
}

Boxes LineBoxes(Point from, Point to, SInt32 w, SInt32 h) {
  if (w <= 0 || h <= 0) return {};
  RowBuilder rows;
  SInt32 x = from.h, y = from.v;
  const SInt32 x1 = to.h, y1 = to.v;
  const SInt32 dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
  const SInt32 sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
  SInt32 err = dx + dy;
  for (;;) {
    for (SInt32 row = 0; row < h; ++row) rows.Add(y + row, x, x + w);
    if (x == x1 && y == y1) break;
    const SInt32 e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  return rows.Finish();
}

}  // namespace raster
}  // namespace sp_platform
