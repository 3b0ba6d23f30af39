// Regions: the public calls and the helpers the rest of QuickDraw uses.
//
// Every call that makes a region computes the result in band form first and stores it last,
// so a failure to store leaves the destination untouched, and a destination that is also a
// source is read completely before it is written.
#include <algorithm>
#include <cstring>
#include <new>

#include "MacMemory.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "detail/RegionBands.h"
#include "detail/RegionTools.h"

using sp_platform::rgn::Band;
using sp_platform::rgn::Bands;
using sp_platform::rgn::Box;
using sp_platform::rgn::IsRegion;

namespace {

OSErr gQDError = noErr;

// Stores a computed result and reports it through QDError. The computation runs inside, so
// that running out of C++ heap on the way is a memFullErr like any other.
template <typename Compute>
OSErr Store(RgnHandle dst, Compute compute) {
  OSErr err;
  try {
    err = sp_platform::rgn::Write(dst, compute());
  } catch (const std::bad_alloc&) {
    err = memFullErr;
  }
  gQDError = err;
  return err;
}

// The band walk over a stored region without copying it, for the questions that only read.
class BandCursor {
 public:
  explicit BandCursor(RgnHandle rgn) {
    const MacRegion* r = *rgn;
    if (r->rgnSize == SInt32(sizeof(MacRegion))) {
      const Rect& b = r->rgnBBox;
      if (b.bottom > b.top && b.right > b.left) {
        rect_[0] = b.left;
        rect_[1] = b.right;
        top_ = b.top;
        bottom_ = b.bottom;
        xs_ = rect_;
        count_ = 2;
        single_ = true;
      }
      return;
    }
    p_ = reinterpret_cast<const SInt16*>(reinterpret_cast<const char*>(r) + sizeof(MacRegion));
    end_ = p_ + (r->rgnSize - SInt32(sizeof(MacRegion))) / 2;
    Next();
  }
  bool Valid() const { return xs_ != nullptr; }
  SInt32 Top() const { return top_; }
  SInt32 Bottom() const { return bottom_; }
  const SInt16* Xs() const { return xs_; }
  std::size_t Count() const { return count_; }
  void Next() {
    xs_ = nullptr;
    if (single_ || end_ - p_ < 3) {
      single_ = false;
      return;
    }
    std::size_t n = std::size_t(UInt16(p_[2])) * 2;
    if (std::size_t(end_ - p_ - 3) < n) return;
    top_ = p_[0];
    bottom_ = p_[1];
    xs_ = p_ + 3;
    count_ = n;
    p_ += 3 + n;
  }

 private:
  SInt16 rect_[2] = {0, 0};
  const SInt16* p_ = nullptr;
  const SInt16* end_ = nullptr;
  const SInt16* xs_ = nullptr;
  std::size_t count_ = 0;
  SInt32 top_ = 0;
  SInt32 bottom_ = 0;
  bool single_ = false;
};

void Combine(RgnHandle a, RgnHandle b, RgnHandle dst, sp_platform::rgn::Op op) {
  if (!IsRegion(a) || !IsRegion(b) || !IsRegion(dst)) return;
  Store(dst, [&] {
    return sp_platform::rgn::Combine(sp_platform::rgn::Read(a), sp_platform::rgn::Read(b), op);
  });
}

std::vector<Box> BoxesOf(const Bands& bands) {
  std::vector<Box> boxes;
  for (const Band& b : bands)
    for (std::size_t i = 0; i + 1 < b.xs.size(); i += 2)
      boxes.push_back(Box{b.top, b.xs[i], b.bottom, b.xs[i + 1]});
  return boxes;
}

// Horizontal part of InsetRgn: every span shrinks (or grows) by dh on both sides. Spans are
// maximal runs of their rows, so this is exact row by row.
Bands InsetHorizontally(const Bands& in, SInt32 dh) {
  Bands out;
  std::vector<SInt32> row;
  for (const Band& b : in) {
    row.clear();
    for (std::size_t i = 0; i + 1 < b.xs.size(); i += 2) {
      SInt32 l = b.xs[i] + dh;
      SInt32 r = b.xs[i + 1] - dh;
      if (r <= l) continue;
      if (!row.empty() && l <= row.back()) {
        row.back() = std::max(row.back(), r);  // grown spans that now meet merge
      } else {
        row.push_back(l);
        row.push_back(r);
      }
    }
    sp_platform::rgn::Append(out, b.top, b.bottom, row);
  }
  return out;
}

Bands GrowVertically(const Bands& in, SInt32 d) {
  std::vector<Box> boxes = BoxesOf(in);
  for (Box& b : boxes) {
    b.top -= d;
    b.bottom += d;
  }
  return sp_platform::rgn::FromBoxes(std::move(boxes));
}

// Vertical part: growing is the union of every band stretched by dv; shrinking removes every
// pixel within dv rows of a pixel outside, i.e. the stretched outside.
Bands InsetVertically(const Bands& in, SInt32 dv) {
  if (dv == 0 || in.empty()) return in;
  if (dv < 0) return GrowVertically(in, -dv);
  SInt32 left = in.front().xs.front();
  SInt32 right = in.front().xs.back();
  for (const Band& b : in) {
    left = std::min(left, b.xs.front());
    right = std::max(right, b.xs.back());
  }
  Bands frame{Band{in.front().top - dv, in.back().bottom + dv, {left, right}}};
  Bands outside = sp_platform::rgn::Combine(frame, in, sp_platform::rgn::Op::kDiff);
  return sp_platform::rgn::Combine(in, GrowVertically(outside, dv), sp_platform::rgn::Op::kDiff);
}

// Floor of a / b for b > 0.
SInt64 FloorDiv(SInt64 a, SInt64 b) {
  SInt64 q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

OSErr QDError() {
  return gQDError;
}

RgnHandle NewRgn() {
  Handle h = NewHandleClear(Size(sizeof(MacRegion)));
  if (h == nullptr) {
    gQDError = memFullErr;
    return nullptr;
  }
  RgnHandle rgn = reinterpret_cast<RgnHandle>(h);
  (*rgn)->rgnSize = SInt32(sizeof(MacRegion));
  gQDError = noErr;
  return rgn;
}

void DisposeRgn(RgnHandle rgn) {
  if (rgn == nullptr) return;
  DisposeHandle(reinterpret_cast<Handle>(rgn));
}

void CopyRgn(RgnHandle srcRgn, RgnHandle dstRgn) {
  if (!IsRegion(srcRgn) || !IsRegion(dstRgn)) return;
  if (srcRgn == dstRgn) {
    gQDError = noErr;
    return;
  }
  SInt32 bytes = (*srcRgn)->rgnSize;
  SetHandleSize(reinterpret_cast<Handle>(dstRgn), Size(bytes));
  if (MemError() != noErr) {
    gQDError = memFullErr;
    return;
  }
  std::memcpy(*dstRgn, *srcRgn, std::size_t(bytes));
  gQDError = noErr;
}

void SetEmptyRgn(RgnHandle rgn) {
  if (!IsRegion(rgn)) return;
  // Shrinking never fails.
  SetHandleSize(reinterpret_cast<Handle>(rgn), Size(sizeof(MacRegion)));
  (*rgn)->rgnSize = SInt32(sizeof(MacRegion));
  (*rgn)->rgnBBox = Rect{0, 0, 0, 0};
  gQDError = noErr;
}

void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  if (!IsRegion(rgn)) return;
  SetEmptyRgn(rgn);
  if (right > left && bottom > top) (*rgn)->rgnBBox = Rect{top, left, bottom, right};
}

void RectRgn(RgnHandle rgn, const Rect* r) {
  if (r == nullptr) return;
  SetRectRgn(rgn, r->left, r->top, r->right, r->bottom);
}

void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv) {
  if (!IsRegion(rgn) || (dh == 0 && dv == 0)) return;
  Store(rgn, [&] {
    Bands bands = sp_platform::rgn::Read(rgn);
    for (Band& b : bands) {
      b.top += dv;
      b.bottom += dv;
      for (SInt32& x : b.xs) x += dh;
    }
    return bands;
  });
}

void InsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv) {
  if (!IsRegion(rgn) || (dh == 0 && dv == 0)) return;
  Store(rgn, [&] {
    Bands bands = sp_platform::rgn::Read(rgn);
    if (dh != 0) bands = InsetHorizontally(bands, dh);
    return InsetVertically(bands, dv);
  });
}

void MapRgn(RgnHandle rgn, const Rect* srcRect, const Rect* dstRect) {
  if (!IsRegion(rgn) || srcRect == nullptr || dstRect == nullptr) return;
  if (EmptyRect(srcRect) || EmptyRect(dstRect)) return;
  // The mapping is monotonic, so bands and spans keep their order; only pixels squeezed to
  // nothing need cleaning up.
  auto map = [](SInt32 x, SInt32 s0, SInt32 s1, SInt32 d0, SInt32 d1) {
    return SInt32(d0 + FloorDiv(SInt64(x - s0) * (d1 - d0), SInt64(s1 - s0)));
  };
  Store(rgn, [&] {
    Bands bands = sp_platform::rgn::Read(rgn);
    for (Band& b : bands) {
      b.top = map(b.top, srcRect->top, srcRect->bottom, dstRect->top, dstRect->bottom);
      b.bottom = map(b.bottom, srcRect->top, srcRect->bottom, dstRect->top, dstRect->bottom);
      for (SInt32& x : b.xs)
        x = map(x, srcRect->left, srcRect->right, dstRect->left, dstRect->right);
    }
    return sp_platform::rgn::Normalize(bands);
  });
}

void SectRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
  Combine(srcRgnA, srcRgnB, dstRgn, sp_platform::rgn::Op::kSect);
}

void UnionRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
  Combine(srcRgnA, srcRgnB, dstRgn, sp_platform::rgn::Op::kUnion);
}

void DiffRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
  Combine(srcRgnA, srcRgnB, dstRgn, sp_platform::rgn::Op::kDiff);
}

void XorRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
  Combine(srcRgnA, srcRgnB, dstRgn, sp_platform::rgn::Op::kXor);
}

Boolean EmptyRgn(RgnHandle rgn) {
  if (!IsRegion(rgn)) return true;
  const Rect& b = (*rgn)->rgnBBox;
  return b.bottom <= b.top || b.right <= b.left;
}

Boolean EqualRgn(RgnHandle rgnA, RgnHandle rgnB) {
  if (!IsRegion(rgnA) || !IsRegion(rgnB)) return false;
  // Both are canonical: the same pixels are the same bytes.
  SInt32 bytes = (*rgnA)->rgnSize;
  return bytes == (*rgnB)->rgnSize && std::memcmp(*rgnA, *rgnB, std::size_t(bytes)) == 0;
}

Boolean PtInRgn(Point pt, RgnHandle rgn) {
  if (!IsRegion(rgn)) return false;
  const Rect& box = (*rgn)->rgnBBox;
  if (pt.v < box.top || pt.v >= box.bottom || pt.h < box.left || pt.h >= box.right) return false;
  for (BandCursor c(rgn); c.Valid(); c.Next()) {
    if (pt.v >= c.Bottom()) continue;
    if (pt.v < c.Top()) return false;
    const SInt16* xs = c.Xs();
    // Inside when an odd number of edges lie at or left of the point.
    std::size_t n = std::size_t(std::upper_bound(xs, xs + c.Count(), pt.h) - xs);
    return (n & 1) != 0;
  }
  return false;
}

Boolean RectInRgn(const Rect* r, RgnHandle rgn) {
  if (r == nullptr || !IsRegion(rgn) || EmptyRect(r)) return false;
  for (BandCursor c(rgn); c.Valid(); c.Next()) {
    if (c.Bottom() <= r->top) continue;
    if (c.Top() >= r->bottom) break;
    const SInt16* xs = c.Xs();
    for (std::size_t i = 0; i + 1 < c.Count(); i += 2)
      if (xs[i] < r->right && xs[i + 1] > r->left) return true;
  }
  return false;
}

Rect* GetRegionBounds(RgnHandle region, Rect* bounds) {
  if (!IsRegion(region) || bounds == nullptr) return nullptr;
  *bounds = (*region)->rgnBBox;
  return bounds;
}

Boolean IsRegionRectangular(RgnHandle region) {
  return IsRegion(region) && (*region)->rgnSize == SInt32(sizeof(MacRegion));
}

OSErr BitMapToRegion(RgnHandle region, const BitMap* bMap) {
  if (!IsRegion(region) || bMap == nullptr) return gQDError = paramErr;
  if ((bMap->rowBytes & 0x8000) != 0) return gQDError = pixmapTooDeepErr;
  const Rect& b = bMap->bounds;
  if (EmptyRect(&b)) {
    SetEmptyRgn(region);
    return noErr;
  }
  SInt32 width = SInt32(b.right) - b.left;
  if (bMap->baseAddr == nullptr || SInt32(bMap->rowBytes) * 8 < width) return gQDError = paramErr;
  const UInt8* base = reinterpret_cast<const UInt8*>(bMap->baseAddr);
  SInt32 rowBytes = bMap->rowBytes;
  return sp_platform::MaskToRgn(
      b,
      [&](SInt16 h, SInt16 v) {
        SInt32 x = SInt32(h) - b.left;
        const UInt8* row = base + std::size_t(SInt32(v) - b.top) * std::size_t(rowBytes);
        return (row[x >> 3] & (0x80 >> (x & 7))) != 0;
      },
      region);
}

namespace sp_platform {

void SetQDError(OSErr err) {
  gQDError = err;
}

std::vector<Rect> RegionRects(RgnHandle rgn) {
  std::vector<Rect> rects;
  if (!IsRegion(rgn)) return rects;
  for (BandCursor c(rgn); c.Valid(); c.Next()) {
    const SInt16* xs = c.Xs();
    for (std::size_t i = 0; i + 1 < c.Count(); i += 2)
      rects.push_back(Rect{SInt16(c.Top()), xs[i], SInt16(c.Bottom()), xs[i + 1]});
  }
  return rects;
}

std::vector<Rect> RegionRectsInRect(RgnHandle rgn, const Rect& clip) {
  std::vector<Rect> rects;
  if (!IsRegion(rgn) || EmptyRect(&clip)) return rects;
  for (BandCursor c(rgn); c.Valid(); c.Next()) {
    if (c.Bottom() <= clip.top) continue;
    if (c.Top() >= clip.bottom) break;
    SInt16 top = SInt16(std::max<SInt32>(c.Top(), clip.top));
    SInt16 bottom = SInt16(std::min<SInt32>(c.Bottom(), clip.bottom));
    const SInt16* xs = c.Xs();
    for (std::size_t i = 0; i + 1 < c.Count(); i += 2) {
      SInt16 left = std::max(xs[i], clip.left);
      SInt16 right = std::min(xs[i + 1], clip.right);
      if (right > left) rects.push_back(Rect{top, left, bottom, right});
    }
  }
  return rects;
}

OSErr SectRgnWithRect(RgnHandle srcRgn, const Rect& r, RgnHandle dstRgn) {
  if (!IsRegion(srcRgn) || !IsRegion(dstRgn)) return gQDError = paramErr;
  return Store(dstRgn, [&] {
    Bands box;
    if (!EmptyRect(&r)) box.push_back(Band{r.top, r.bottom, {r.left, r.right}});
    return rgn::Combine(rgn::Read(srcRgn), box, rgn::Op::kSect);
  });
}

OSErr RectsToRgn(const std::vector<Rect>& rects, RgnHandle dstRgn) {
  if (!IsRegion(dstRgn)) return gQDError = paramErr;
  return Store(dstRgn, [&] {
    std::vector<Box> boxes;
    boxes.reserve(rects.size());
    for (const Rect& r : rects) boxes.push_back(Box{r.top, r.left, r.bottom, r.right});
    return rgn::FromBoxes(std::move(boxes));
  });
}

OSErr MaskToRgn(const Rect& bounds, const std::function<bool(SInt16 h, SInt16 v)>& inside,
                RgnHandle dstRgn) {
  if (!IsRegion(dstRgn) || !inside) return gQDError = paramErr;
  return Store(dstRgn, [&] {
    Bands bands;
    std::vector<SInt32> row;
    for (SInt32 v = bounds.top; v < bounds.bottom; ++v) {
      row.clear();
      bool in = false;
      for (SInt32 h = bounds.left; h < bounds.right; ++h) {
        if (inside(SInt16(h), SInt16(v)) != in) {
          row.push_back(h);
          in = !in;
        }
      }
      if (in) row.push_back(bounds.right);
      rgn::Append(bands, v, v + 1, row);
    }
    return bands;
  });
}

}  // namespace sp_platform
