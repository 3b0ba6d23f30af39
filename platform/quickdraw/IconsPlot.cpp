// The Icon Utilities' plots: colour icons and one-bit icon families, placed in a rectangle by
// an alignment and changed by a transform.
#include <algorithm>

#include "Icons.h"
#include "MacMemory.h"
#include "QDPictures.h"
#include "Resources.h"
#include "detail/PngImages.h"

namespace {

constexpr ResType kColorIconType = SpFourCC("cicn");

// The one-bit members of an icon family: image rows then as many mask rows, 16 or 32 pixels
// a row, the leftmost pixel in the high bit.
struct OneBitKind {
  ResType type;
  UInt32 width;
  UInt32 height;
};
constexpr OneBitKind kLarge = {SpFourCC("ICN#"), 32, 32};
constexpr OneBitKind kSmall = {SpFourCC("ics#"), 16, 16};
constexpr OneBitKind kMini = {SpFourCC("icm#"), 16, 12};

// The members to try for the rectangle, best first: the size the rectangle asks for, then
// the larger ones (shrinking looks better than growing), then the smaller.
void MembersFor(const Rect& r, const OneBitKind* out[3]) {
  const SInt32 width = SInt32(r.right) - r.left;
  const SInt32 height = SInt32(r.bottom) - r.top;
  if (width >= 32 || height >= 32) {
    out[0] = &kLarge, out[1] = &kSmall, out[2] = &kMini;
  } else if (width > 16 || height > 12) {
    out[0] = &kSmall, out[1] = &kLarge, out[2] = &kMini;
  } else {
    out[0] = &kMini, out[1] = &kSmall, out[2] = &kLarge;
  }
}

// A one-bit image (and mask, when `hasMask`) as pixels: black for a 1 bit, white for a 0 bit
// inside the mask, transparent outside it. False when the data are too short.
bool OneBitImage(const UInt8* data, std::size_t size, UInt32 width, UInt32 height, bool hasMask,
                 sp_platform::ArgbImage* out) {
  const std::size_t rowBytes = width / 8;
  const std::size_t plane = rowBytes * height;
  if (data == nullptr || size < (hasMask ? 2 * plane : plane)) return false;
  out->width = width;
  out->height = height;
  out->pixels.assign(std::size_t(width) * height, 0);
  for (UInt32 y = 0; y < height; ++y) {
    for (UInt32 x = 0; x < width; ++x) {
      const std::size_t byte = y * rowBytes + x / 8;
      const UInt8 bit = UInt8(0x80 >> (x % 8));
      const bool inMask = !hasMask || (data[plane + byte] & bit) != 0;
      if (!inMask) continue;
      out->pixels[std::size_t(y) * width + x] = (data[byte] & bit) != 0 ? 0xFF000000u : 0xFFFFFFFFu;
    }
  }
  return true;
}

bool OneBitImageFromHandle(Handle h, const OneBitKind& kind, sp_platform::ArgbImage* out) {
  if (h == nullptr || *h == nullptr) return false;
  return OneBitImage(reinterpret_cast<const UInt8*>(*h), std::size_t(GetHandleSize(h)), kind.width,
                     kind.height, true, out);
}

OSErr Plot(const Rect& r, IconAlignmentType align, IconTransformType transform,
           const UInt32* pixels, UInt32 width, UInt32 height) {
  const Rect place = sp_platform::PlaceIcon(r, width, height, align);
  sp_platform::DrawImage(sp_platform::CurrentPort(), pixels, width, height, place,
                         sp_platform::TintForTransform(transform));
  return noErr;
}

OSErr Plot(const Rect& r, IconAlignmentType align, IconTransformType transform,
           const sp_platform::ArgbImage& image) {
  return Plot(r, align, transform, image.pixels.data(), image.width, image.height);
}

bool UsableRect(const Rect* r) {
  return r != nullptr && !EmptyRect(r);
}

}  // namespace

namespace sp_platform {

ImageTint TintForTransform(IconTransformType transform) {
  ImageTint tint;
  tint.darken = (transform & kTransformSelected) != 0;
  // The state is the low byte; the label colours sit above it and are not drawn.
  tint.dim = (transform & 0xFF) == kTransformDisabled;
  return tint;
}

Rect PlaceIcon(const Rect& r, UInt32 width, UInt32 height, IconAlignmentType align) {
  const SInt64 rw = SInt64(r.right) - r.left;
  const SInt64 rh = SInt64(r.bottom) - r.top;
  SInt64 w = rw, h = rh;
  if (width > 0 && height > 0) {
    // The largest size of the icon's proportions that fits: full width when the rectangle is
    // relatively taller than the icon, else full height.
    if (rw * height <= rh * width) {
      h = std::max<SInt64>(1, rw * height / width);
    } else {
      w = std::max<SInt64>(1, rh * width / height);
    }
  }
  // On each axis: centred, or against the low or the high side as the alignment says.
  auto start = [](SInt64 low, SInt64 high, SInt64 length, UInt32 side, UInt32 lowSide,
                  UInt32 highSide) {
    if (side == lowSide) return low;
    if (side == highSide) return high - length;
    return low + (high - low - length) / 2;
  };
  const SInt64 left = start(r.left, r.right, w, align & 0x0C, kAlignLeft, kAlignRight);
  const SInt64 top = start(r.top, r.bottom, h, align & 0x03, kAlignTop, kAlignBottom);
  return Rect{SInt16(top), SInt16(left), SInt16(top + h), SInt16(left + w)};
}

}  // namespace sp_platform

OSErr PlotCIconHandle(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                      CIconHandle theCIcon) {
  const UInt32* pixels = nullptr;
  UInt32 width = 0, height = 0;
  if (!UsableRect(theRect) || !sp_platform::ColorIconPixels(theCIcon, &pixels, &width, &height)) {
    return paramErr;
  }
  return Plot(*theRect, align, transform, pixels, width, height);
}

OSErr PlotIconID(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                 SInt16 theResID) {
  if (!UsableRect(theRect)) return paramErr;
  sp_platform::ArgbImage image;
  Handle colour = GetResource(kColorIconType, theResID);
  if (colour != nullptr && *colour != nullptr &&
      sp_platform::DecodePng(*colour, std::size_t(GetHandleSize(colour)), &image) == noErr) {
    return Plot(*theRect, align, transform, image);
  }
  const OneBitKind* members[3];
  MembersFor(*theRect, members);
  for (const OneBitKind* kind : members) {
    if (OneBitImageFromHandle(GetResource(kind->type, theResID), *kind, &image)) {
      return Plot(*theRect, align, transform, image);
    }
  }
  return resNotFound;
}

OSErr PlotIconSuite(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                    IconSuiteRef theIconSuite) {
  if (!UsableRect(theRect)) return paramErr;
  const OneBitKind* members[3];
  MembersFor(*theRect, members);
  sp_platform::ArgbImage image;
  for (const OneBitKind* kind : members) {
    Handle h = nullptr;
    const OSErr err = GetIconFromSuite(&h, theIconSuite, kind->type);
    if (err == paramErr) return paramErr;  // not a suite
    if (OneBitImageFromHandle(h, *kind, &image)) {
      return Plot(*theRect, align, transform, image);
    }
  }
  return noSuchIconErr;
}

OSErr PlotIconHandle(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                     Handle theIcon) {
  if (!UsableRect(theRect) || theIcon == nullptr || *theIcon == nullptr) return paramErr;
  struct Layout {
    Size size;
    UInt32 width;
    UInt32 height;
    bool hasMask;
  };
  static constexpr Layout kLayouts[] = {
      {256, 32, 32, true}, {128, 32, 32, false}, {64, 16, 16, true},
      {48, 16, 12, true},  {32, 16, 16, false},
  };
  const Size size = GetHandleSize(theIcon);
  for (const Layout& layout : kLayouts) {
    if (size != layout.size) continue;
    sp_platform::ArgbImage image;
    OneBitImage(reinterpret_cast<const UInt8*>(*theIcon), std::size_t(size), layout.width,
                layout.height, layout.hasMask, &image);
    return Plot(*theRect, align, transform, image);
  }
  return paramErr;
}
