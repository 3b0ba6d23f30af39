// The band arithmetic behind regions, and the region handle's stored form.
//
// Stored form: the MacRegion header, then for each band (only when the region is not a
// single rectangle) its top, bottom and span count, then its span edges, all SInt16. A
// rectangle or the empty region is the header alone, like QuickDraw's own 10-byte regions.
#include <algorithm>
#include <cstring>

#include "MacMemory.h"
#include "detail/RegionBands.h"
#include "detail/RegionTools.h"

namespace sp_platform {
namespace rgn {

namespace {

constexpr SInt32 kMinCoord = -32768;
constexpr SInt32 kMaxCoord = 32767;
constexpr SInt32 kDefaultByteLimit = 64 * 1024 * 1024;
SInt32 gByteLimit = kDefaultByteLimit;

SInt32 Pin(SInt32 x) {
  return x < kMinCoord ? kMinCoord : (x > kMaxCoord ? kMaxCoord : x);
}

// Sorted, non-decreasing edges with empty and touching spans removed.
void CleanSpans(const std::vector<SInt32>& xs, std::vector<SInt32>* out) {
  out->clear();
  for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
    SInt32 l = xs[i];
    SInt32 r = xs[i + 1];
    if (r <= l) continue;
    if (!out->empty() && out->back() >= l) {
      // Touching (or, from careless callers, overlapping) the previous span: extend it.
      if (r > out->back()) out->back() = r;
      continue;
    }
    out->push_back(l);
    out->push_back(r);
  }
}

}  // namespace

bool IsRegion(RgnHandle rgn) {
  return rgn != nullptr && *rgn != nullptr && (*rgn)->rgnSize >= SInt32(sizeof(MacRegion));
}

Bands Read(RgnHandle rgn) {
  Bands bands;
  if (!IsRegion(rgn)) return bands;
  const MacRegion* r = *rgn;
  if (r->rgnSize == SInt32(sizeof(MacRegion))) {
    const Rect& b = r->rgnBBox;
    if (b.bottom > b.top && b.right > b.left)
      bands.push_back(Band{b.top, b.bottom, {b.left, b.right}});
    return bands;
  }
  const SInt16* p =
      reinterpret_cast<const SInt16*>(reinterpret_cast<const char*>(r) + sizeof(MacRegion));
  const SInt16* end = p + (r->rgnSize - SInt32(sizeof(MacRegion))) / 2;
  while (end - p >= 3) {
    Band band{p[0], p[1], {}};
    std::size_t n = std::size_t(UInt16(p[2])) * 2;
    p += 3;
    if (std::size_t(end - p) < n) break;
    band.xs.assign(p, p + n);
    p += n;
    bands.push_back(std::move(band));
  }
  return bands;
}

OSErr Write(RgnHandle rgn, const Bands& in) {
  if (!IsRegion(rgn)) return paramErr;
  // Cut to the 16-bit plane; pinning is monotonic, so the bands stay sorted and only need
  // cleaning where pixels were squeezed out.
  Bands pinned;
  const Bands* bands = &in;
  bool inside = true;
  for (const Band& b : in) {
    if (b.top < kMinCoord || b.bottom > kMaxCoord || b.xs.front() < kMinCoord ||
        b.xs.back() > kMaxCoord) {
      inside = false;
      break;
    }
  }
  if (!inside) {
    pinned.reserve(in.size());
    for (const Band& b : in) {
      Band p{Pin(b.top), Pin(b.bottom), b.xs};
      for (SInt32& x : p.xs) x = Pin(x);
      pinned.push_back(std::move(p));
    }
    pinned = Normalize(pinned);
    bands = &pinned;
  }

  Rect box{0, 0, 0, 0};
  bool rectangular = bands->size() <= 1 && (bands->empty() || bands->front().xs.size() == 2);
  UInt64 bytes = sizeof(MacRegion);
  if (!bands->empty()) {
    SInt32 left = kMaxCoord;
    SInt32 right = kMinCoord;
    for (const Band& b : *bands) {
      left = std::min(left, b.xs.front());
      right = std::max(right, b.xs.back());
      if (!rectangular) bytes += (3 + UInt64(b.xs.size())) * 2;
    }
    box =
        Rect{SInt16(bands->front().top), SInt16(left), SInt16(bands->back().bottom), SInt16(right)};
  }
  if (bytes > UInt64(gByteLimit)) return rgnOverflowErr;

  Handle h = reinterpret_cast<Handle>(rgn);
  SetHandleSize(h, Size(bytes));
  if (MemError() != noErr) return memFullErr;
  MacRegion* r = *rgn;
  r->rgnSize = SInt32(bytes);
  r->rgnBBox = box;
  if (!rectangular) {
    SInt16* p = reinterpret_cast<SInt16*>(reinterpret_cast<char*>(r) + sizeof(MacRegion));
    for (const Band& b : *bands) {
      *p++ = SInt16(b.top);
      *p++ = SInt16(b.bottom);
      *p++ = SInt16(UInt16(b.xs.size() / 2));
      for (SInt32 x : b.xs) *p++ = SInt16(x);
    }
  }
  return noErr;
}

void Append(Bands& out, SInt32 top, SInt32 bottom, const std::vector<SInt32>& xs) {
  if (bottom <= top) return;
  std::vector<SInt32> clean;
  CleanSpans(xs, &clean);
  if (clean.empty()) return;
  if (!out.empty() && out.back().bottom == top && out.back().xs == clean) {
    out.back().bottom = bottom;
    return;
  }
  out.push_back(Band{top, bottom, std::move(clean)});
}

Bands Normalize(const Bands& in) {
  Bands out;
  for (const Band& b : in) Append(out, b.top, b.bottom, b.xs);
  return out;
}

namespace {

bool Apply(Op op, bool a, bool b) {
  switch (op) {
    case Op::kUnion:
      return a || b;
    case Op::kSect:
      return a && b;
    case Op::kDiff:
      return a && !b;
    case Op::kXor:
      return a != b;
  }
  return false;
}

// Merges two rows of spans under the operation: walk every edge of both in order, tracking
// whether each row is inside, and emit an edge wherever the result changes.
void CombineSpans(const std::vector<SInt32>* a, const std::vector<SInt32>* b, Op op,
                  std::vector<SInt32>* out) {
  out->clear();
  std::size_t i = 0;
  std::size_t j = 0;
  std::size_t na = a ? a->size() : 0;
  std::size_t nb = b ? b->size() : 0;
  bool inA = false;
  bool inB = false;
  bool in = false;
  while (i < na || j < nb) {
    SInt32 x;
    if (j >= nb || (i < na && (*a)[i] <= (*b)[j]))
      x = (*a)[i];
    else
      x = (*b)[j];
    while (i < na && (*a)[i] == x) {
      inA = !inA;
      ++i;
    }
    while (j < nb && (*b)[j] == x) {
      inB = !inB;
      ++j;
    }
    bool now = Apply(op, inA, inB);
    if (now != in) {
      out->push_back(x);
      in = now;
    }
  }
}

// The top and bottom edges of bands or boxes, added to `ys`.
template <typename Rows>
void AddEdges(const Rows& rows, std::vector<SInt32>& ys) {
  for (const auto& row : rows) {
    ys.push_back(row.top);
    ys.push_back(row.bottom);
  }
}

// The edges in order, each once.
void SortEdges(std::vector<SInt32>& ys) {
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
}

}  // namespace

Bands Combine(const Bands& a, const Bands& b, Op op) {
  std::vector<SInt32> ys;
  ys.reserve((a.size() + b.size()) * 2);
  AddEdges(a, ys);
  AddEdges(b, ys);
  SortEdges(ys);

  Bands out;
  std::vector<SInt32> row;
  std::size_t ia = 0;
  std::size_t ib = 0;
  for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
    SInt32 y0 = ys[k];
    SInt32 y1 = ys[k + 1];
    while (ia < a.size() && a[ia].bottom <= y0) ++ia;
    while (ib < b.size() && b[ib].bottom <= y0) ++ib;
    const std::vector<SInt32>* sa = ia < a.size() && a[ia].top <= y0 ? &a[ia].xs : nullptr;
    const std::vector<SInt32>* sb = ib < b.size() && b[ib].top <= y0 ? &b[ib].xs : nullptr;
    if (sa == nullptr && sb == nullptr) continue;
    CombineSpans(sa, sb, op, &row);
    Append(out, y0, y1, row);
  }
  return out;
}

Bands FromBoxes(std::vector<Box> boxes) {
  boxes.erase(std::remove_if(boxes.begin(), boxes.end(),
                             [](const Box& b) { return b.right <= b.left || b.bottom <= b.top; }),
              boxes.end());
  std::sort(boxes.begin(), boxes.end(), [](const Box& x, const Box& y) { return x.top < y.top; });
  std::vector<SInt32> ys;
  ys.reserve(boxes.size() * 2);
  AddEdges(boxes, ys);
  SortEdges(ys);

  // Sweep down the distinct edges keeping the boxes that cover the current rows.
  Bands out;
  std::vector<const Box*> active;
  std::vector<std::pair<SInt32, SInt32>> spans;
  std::vector<SInt32> row;
  std::size_t next = 0;
  for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
    SInt32 y0 = ys[k];
    SInt32 y1 = ys[k + 1];
    active.erase(std::remove_if(active.begin(), active.end(),
                                [y0](const Box* b) { return b->bottom <= y0; }),
                 active.end());
    while (next < boxes.size() && boxes[next].top <= y0) active.push_back(&boxes[next++]);
    if (active.empty()) continue;
    spans.clear();
    for (const Box* b : active) spans.emplace_back(b->left, b->right);
    std::sort(spans.begin(), spans.end());
    row.clear();
    for (const auto& s : spans) {
      if (!row.empty() && s.first <= row.back()) {
        row.back() = std::max(row.back(), s.second);
      } else {
        row.push_back(s.first);
        row.push_back(s.second);
      }
    }
    Append(out, y0, y1, row);
  }
  return out;
}

}  // namespace rgn

void SetRegionByteLimit(SInt32 bytes) {
  rgn::gByteLimit = bytes > 0 ? bytes : rgn::kDefaultByteLimit;
}

}  // namespace sp_platform
