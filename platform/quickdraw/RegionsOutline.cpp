// Regions from outlines: OpenRgn/CloseRgn, polygons, and the scan-line filler both use.
//
// Recording belongs to a port, as QuickDraw kept the open region and polygon in the port
// record: lines drawn into another port while a region is open on this one are not part of
// it.
#include <algorithm>
#include <map>
#include <new>

#include "MacMemory.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "detail/RegionBands.h"
#include "detail/RegionRecording.h"
#include "detail/RegionTools.h"

using sp_platform::rgn::Bands;
using sp_platform::rgn::Segment;

namespace {

constexpr SInt32 kPolyHeaderBytes = 10;  // polySize and polyBBox
constexpr SInt32 kMaxPolyPoints = (32767 - kPolyHeaderBytes) / 4;

struct Recording {
  bool regionOpen = false;
  std::vector<Segment> segments;
  PolyHandle poly = nullptr;
};

std::map<GrafPtr, Recording>& Recordings() {
  static std::map<GrafPtr, Recording> recordings;
  return recordings;
}

GrafPtr CurrentPort() {
  GrafPtr port = nullptr;
  GetPort(&port);
  return port;
}

Recording* Find(GrafPtr port) {
  auto it = Recordings().find(port);
  return it == Recordings().end() ? nullptr : &it->second;
}

void DropIfIdle(GrafPtr port) {
  auto it = Recordings().find(port);
  if (it != Recordings().end() && !it->second.regionOpen && it->second.poly == nullptr)
    Recordings().erase(it);
}

// Horizontal segments never cross a scan line through pixel centres, so they are not kept.
void AddSegment(Recording& rec, SInt32 h0, SInt32 v0, SInt32 h1, SInt32 v1) {
  if (v0 == v1) return;
  rec.segments.push_back(Segment{h0, v0, h1, v1});
}

SInt32 PolyPointCount(PolyHandle poly) {
  if (poly == nullptr || *poly == nullptr) return -1;
  Size bytes = GetHandleSize(reinterpret_cast<Handle>(poly));
  SInt32 size = (*poly)->polySize;
  if (size < kPolyHeaderBytes || Size(size) > bytes || (size - kPolyHeaderBytes) % 4 != 0)
    return -1;
  return (size - kPolyHeaderBytes) / 4;
}

Point* PolyPoints(PolyHandle poly) {
  return reinterpret_cast<Point*>(reinterpret_cast<char*>(*poly) + kPolyHeaderBytes);
}

// Adds a point to a polygon being recorded, growing its handle; the bounding box is the
// points' own extent, as QuickDraw keeps it.
void AddPolyPoint(PolyHandle poly, Point pt) {
  SInt32 count = PolyPointCount(poly);
  if (count < 0) return;
  if (count >= kMaxPolyPoints) {
    sp_platform::SetQDError(rgnOverflowErr);
    return;
  }
  SInt32 size = kPolyHeaderBytes + (count + 1) * 4;
  SetHandleSize(reinterpret_cast<Handle>(poly), Size(size));
  if (MemError() != noErr) {
    sp_platform::SetQDError(memFullErr);
    return;
  }
  MacPolygon* p = *poly;
  Rect& box = p->polyBBox;
  if (count == 0) {
    box = Rect{pt.v, pt.h, pt.v, pt.h};
  } else {
    box.top = std::min(box.top, pt.v);
    box.left = std::min(box.left, pt.h);
    box.bottom = std::max(box.bottom, pt.v);
    box.right = std::max(box.right, pt.h);
  }
  PolyPoints(poly)[count] = pt;
  p->polySize = SInt16(size);
}

// ceil(a / b) for b > 0.
SInt64 CeilDiv(SInt64 a, SInt64 b) {
  SInt64 q = a / b;
  return (a % b != 0 && a > 0) ? q + 1 : q;
}

struct Edge {
  SInt32 x0, y0, x1, y1;  // y0 < y1
};

}  // namespace

namespace sp_platform {
namespace rgn {

// Scan lines run through pixel centres. On the row v, an edge from (x0, y0) to (x1, y1)
// (y0 <= v < y1) crosses the line y = v + 0.5 at xc; the first pixel whose centre is at or
// right of xc is c = ceil(xc - 0.5), computed exactly in integers. A pixel h is inside when
// an odd number of crossings have c <= h, so the sorted c's pair up into half-open runs.
Bands FillOutline(const std::vector<Segment>& segments) {
  std::vector<Edge> edges;
  edges.reserve(segments.size());
  for (const Segment& s : segments) {
    if (s.v0 == s.v1) continue;
    if (s.v0 < s.v1)
      edges.push_back(Edge{s.h0, s.v0, s.h1, s.v1});
    else
      edges.push_back(Edge{s.h1, s.v1, s.h0, s.v0});
  }
  Bands bands;
  if (edges.empty()) return bands;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  SInt32 bottom = edges.front().y1;
  for (const Edge& e : edges) bottom = std::max(bottom, e.y1);

  std::vector<const Edge*> active;
  std::vector<SInt32> crossings;
  std::size_t next = 0;
  SInt32 v = edges.front().y0;
  while (v < bottom) {
    active.erase(
        std::remove_if(active.begin(), active.end(), [v](const Edge* e) { return e->y1 <= v; }),
        active.end());
    if (active.empty() && next < edges.size() && edges[next].y0 > v) v = edges[next].y0;
    while (next < edges.size() && edges[next].y0 <= v) active.push_back(&edges[next++]);
    crossings.clear();
    for (const Edge* e : active) {
      SInt64 dy = SInt64(e->y1) - e->y0;
      SInt64 num =
          2 * SInt64(e->x0) * dy + (2 * (SInt64(v) - e->y0) + 1) * (SInt64(e->x1) - e->x0) - dy;
      crossings.push_back(SInt32(CeilDiv(num, 2 * dy)));
    }
    std::sort(crossings.begin(), crossings.end());
    // An outline that is not closed leaves one crossing without a partner: it is ignored.
    if (crossings.size() % 2 != 0) crossings.pop_back();
    Append(bands, v, v + 1, crossings);
    ++v;
  }
  return bands;
}

}  // namespace rgn

bool IsRecordingOutline(GrafPtr port) {
  const Recording* rec = Find(port);
  return rec != nullptr && (rec->regionOpen || rec->poly != nullptr);
}

void RecordLine(GrafPtr port, Point from, Point to) {
  Recording* rec = Find(port);
  if (rec == nullptr) return;
  if (rec->regionOpen) {
    try {
      AddSegment(*rec, from.h, from.v, to.h, to.v);
    } catch (const std::bad_alloc&) {
      SetQDError(memFullErr);
    }
  }
  if (rec->poly != nullptr) {
    if (PolyPointCount(rec->poly) == 0) AddPolyPoint(rec->poly, from);
    AddPolyPoint(rec->poly, to);
  }
}

void RecordFrameRect(GrafPtr port, const Rect& r) {
  Recording* rec = Find(port);
  if (rec == nullptr || !rec->regionOpen || EmptyRect(&r)) return;
  try {
    AddSegment(*rec, r.right, r.top, r.right, r.bottom);
    AddSegment(*rec, r.left, r.bottom, r.left, r.top);
  } catch (const std::bad_alloc&) {
    SetQDError(memFullErr);
  }
}

void RecordFrameArea(GrafPtr port, RgnHandle area) {
  Recording* rec = Find(port);
  if (rec == nullptr || !rec->regionOpen) return;
  // The rectangles of a region are disjoint, so the even-odd sum of their outlines is the
  // region itself.
  try {
    for (const Rect& r : RegionRects(area)) {
      AddSegment(*rec, r.right, r.top, r.right, r.bottom);
      AddSegment(*rec, r.left, r.bottom, r.left, r.top);
    }
  } catch (const std::bad_alloc&) {
    SetQDError(memFullErr);
  }
}

void ForgetOutlineRecording(GrafPtr port) {
  Recordings().erase(port);
}

void ResetOutlineRecording() {
  Recordings().clear();
}

OSErr PolyToRgn(PolyHandle poly, RgnHandle dstRgn) {
  SInt32 count = PolyPointCount(poly);
  if (count < 0 || !rgn::IsRegion(dstRgn)) {
    SetQDError(paramErr);
    return paramErr;
  }
  OSErr err;
  try {
    std::vector<Segment> segments;
    const Point* pts = PolyPoints(poly);
    for (SInt32 i = 0; i < count; ++i) {
      const Point& a = pts[i];
      const Point& b = pts[(i + 1) % count];
      segments.push_back(Segment{a.h, a.v, b.h, b.v});
    }
    err = rgn::Write(dstRgn, rgn::FillOutline(segments));
  } catch (const std::bad_alloc&) {
    err = memFullErr;
  }
  SetQDError(err);
  return err;
}

}  // namespace sp_platform

void OpenRgn() {
  try {
    Recording& rec = Recordings()[CurrentPort()];
    rec.regionOpen = true;
    rec.segments.clear();
    sp_platform::SetQDError(noErr);
  } catch (const std::bad_alloc&) {
    sp_platform::SetQDError(memFullErr);
  }
}

void CloseRgn(RgnHandle dstRgn) {
  GrafPtr port = CurrentPort();
  Recording* rec = Find(port);
  std::vector<Segment> segments;
  if (rec != nullptr && rec->regionOpen) {
    segments.swap(rec->segments);
    rec->regionOpen = false;
    DropIfIdle(port);
  }
  if (!sp_platform::rgn::IsRegion(dstRgn)) return;
  OSErr err;
  try {
    err = sp_platform::rgn::Write(dstRgn, sp_platform::rgn::FillOutline(segments));
  } catch (const std::bad_alloc&) {
    err = memFullErr;
  }
  sp_platform::SetQDError(err);
}

PolyHandle OpenPoly() {
  Handle h = NewHandleClear(kPolyHeaderBytes);
  if (h == nullptr) {
    sp_platform::SetQDError(memFullErr);
    return nullptr;
  }
  PolyHandle poly = reinterpret_cast<PolyHandle>(h);
  (*poly)->polySize = kPolyHeaderBytes;
  try {
    Recordings()[CurrentPort()].poly = poly;
  } catch (const std::bad_alloc&) {
    DisposeHandle(h);
    sp_platform::SetQDError(memFullErr);
    return nullptr;
  }
  sp_platform::SetQDError(noErr);
  return poly;
}

void ClosePoly() {
  GrafPtr port = CurrentPort();
  if (Recording* rec = Find(port)) {
    rec->poly = nullptr;
    DropIfIdle(port);
  }
}

void KillPoly(PolyHandle poly) {
  if (poly == nullptr) return;
  for (auto it = Recordings().begin(); it != Recordings().end();) {
    if (it->second.poly == poly) it->second.poly = nullptr;
    if (!it->second.regionOpen && it->second.poly == nullptr)
      it = Recordings().erase(it);
    else
      ++it;
  }
  DisposeHandle(reinterpret_cast<Handle>(poly));
}

void OffsetPoly(PolyHandle poly, SInt16 dh, SInt16 dv) {
  SInt32 count = PolyPointCount(poly);
  if (count < 0) return;
  auto move = [](SInt16 x, SInt16 d) {
    SInt32 r = SInt32(x) + d;
    return SInt16(r < -32768 ? -32768 : (r > 32767 ? 32767 : r));
  };
  Point* pts = PolyPoints(poly);
  for (SInt32 i = 0; i < count; ++i) {
    pts[i].h = move(pts[i].h, dh);
    pts[i].v = move(pts[i].v, dv);
  }
  Rect& box = (*poly)->polyBBox;
  box = Rect{move(box.top, dv), move(box.left, dh), move(box.bottom, dv), move(box.right, dh)};
}
