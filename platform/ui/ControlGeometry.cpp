// Where the parts of a control lie: scroll-bar arrows, track and thumb, the popup's menu box,
// and the part under a point.
#include <algorithm>
#include <cmath>

#include "ui/detail/ControlRecord.h"

namespace sp_platform {
namespace controls {
namespace {

// The arrows and the thumb are squares of the bar's thickness, at most this long.
constexpr SInt32 kScrollArrowLength = 16;

Rect Span(bool vertical, const Rect& bounds, SInt32 from, SInt32 to) {
  Rect r = bounds;
  if (vertical) {
    r.top = SInt16(from);
    r.bottom = SInt16(to);
  } else {
    r.left = SInt16(from);
    r.right = SInt16(to);
  }
  return r;
}

}  // namespace

ScrollBarGeometry ScrollBarGeometryOf(const ControlRecord* r) {
  ScrollBarGeometry g;
  const Rect& b = r->bounds;
  const SInt32 width = SInt32(b.right) - b.left;
  const SInt32 height = SInt32(b.bottom) - b.top;
  g.vertical = height > width;
  const SInt32 thickness = g.vertical ? width : height;
  const SInt32 length = g.vertical ? height : width;
  const SInt32 start = g.vertical ? b.top : b.left;
  const SInt32 end = start + length;
  SInt32 arrow = std::max<SInt32>(0, std::min(thickness, kScrollArrowLength));
  if (length < 2 * arrow) arrow = length / 2;
  g.upArrow = Span(g.vertical, b, start, start + arrow);
  g.downArrow = Span(g.vertical, b, end - arrow, end);
  g.trackStart = start + arrow;
  const SInt32 trackLength = length - 2 * arrow;
  g.track = Span(g.vertical, b, g.trackStart, g.trackStart + trackLength);
  const SInt64 range = SInt64(r->maximum) - r->minimum;
  if (range <= 0 || trackLength <= 0) return g;
  SInt64 thumb = std::max<SInt32>(1, std::min(thickness, kScrollArrowLength));
  if (r->viewSize > 0) {
    thumb = std::max<SInt64>(thumb, SInt64(trackLength) * r->viewSize / (range + r->viewSize));
  }
  if (thumb > trackLength) return g;
  g.hasThumb = true;
  g.thumbLength = SInt32(thumb);
  g.slide = trackLength - g.thumbLength;
  const SInt64 offset = SInt64(r->value) - r->minimum;
  const SInt32 position =
      g.trackStart + SInt32((offset * g.slide * 2 + range) / (range * 2));  // rounded
  g.thumb = Span(g.vertical, b, position, position + g.thumbLength);
  g.pageUp = Span(g.vertical, b, g.trackStart, position);
  g.pageDown = Span(g.vertical, b, position + g.thumbLength, g.trackStart + trackLength);
  return g;
}

SInt32 ScrollBarValueAt(const ControlRecord* r, const ScrollBarGeometry& g, SInt32 position) {
  if (g.slide <= 0) return r->minimum;
  const SInt64 moved =
      std::max<SInt64>(0, std::min<SInt64>(g.slide, SInt64(position) - g.trackStart));
  const SInt64 range = SInt64(r->maximum) - r->minimum;
  const SInt64 value = r->minimum + (moved * range * 2 + g.slide) / (SInt64(g.slide) * 2);
  return SInt32(std::max<SInt64>(r->minimum, std::min<SInt64>(r->maximum, value)));
}

Rect PopupMenuBox(const ControlRecord* r) {
  Rect box = r->bounds;
  if (r->titleWidth > 0 && SInt32(box.left) + r->titleWidth < box.right) {
    box.left = SInt16(box.left + r->titleWidth);
  }
  return box;
}

ControlPartCode PartAt(ControlRecord* r, Point local) {
  if (r->variety == Variety::kRoot || !PtInRect(local, &r->bounds)) return kControlNoPart;
  switch (r->variety) {
    case Variety::kPushButton:
      return kControlButtonPart;
    case Variety::kCheckBox:
      return kControlCheckBoxPart;
    case Variety::kRadioButton:
      return kControlRadioButtonPart;
    case Variety::kPopupButton:
      return kControlMenuPart;
    case Variety::kUserPane:
      return r->hitTestProc != nullptr ? r->hitTestProc(RefOf(r), local)
                                       : ControlPartCode(kControlNoPart);
    case Variety::kScrollBar: {
      ScrollBarGeometry g = ScrollBarGeometryOf(r);
      if (!g.hasThumb) return kControlNoPart;
      if (PtInRect(local, &g.upArrow)) return kControlUpButtonPart;
      if (PtInRect(local, &g.downArrow)) return kControlDownButtonPart;
      if (PtInRect(local, &g.thumb)) return kControlIndicatorPart;
      if (PtInRect(local, &g.pageUp)) return kControlPageUpPart;
      if (PtInRect(local, &g.pageDown)) return kControlPageDownPart;
      return kControlNoPart;
    }
    default:
      return kControlNoPart;
  }
}

}  // namespace controls
}  // namespace sp_platform
