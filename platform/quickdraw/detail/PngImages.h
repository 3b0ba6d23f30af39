// PNG images kept in resources, decoded into 32-bit pixels and laid over a port. Shared by
// the pictures, the colour icons, the one-bit icons and the colour cursors. Not for the
// program's own code.
#pragma once

#include <cstddef>
#include <vector>

#include "../QDPictures.h"
#include "Ports.h"

namespace sp_platform {

// An image: height rows of width pixels 0xAARRGGBB, straight (not premultiplied) alpha.
struct ArgbImage {
  UInt32 width = 0;
  UInt32 height = 0;
  std::vector<UInt32> pixels;

  bool Empty() const { return width == 0 || height == 0; }
};

// True when the bytes begin with the PNG signature.
bool LooksLikePng(const void* bytes, std::size_t size);

// The PNG's size from its header, without decoding it. paramErr when the bytes are not a PNG
// or its size is 0 or above kSpMaxImageSide either way.
OSErr ReadPngSize(const void* bytes, std::size_t size, UInt32* width, UInt32* height);

// Decodes the whole PNG. paramErr (and `out` emptied) when the bytes are not a PNG, are
// damaged or truncated, or the image is too large (refused before any pixel is decoded);
// memFullErr when memory runs out.
OSErr DecodePng(const void* bytes, std::size_t size, ArgbImage* out);

// Encodes height rows of width pixels 0xAARRGGBB, rowWords words from one row to the next, as
// a PNG appended to `out`: RGBA with their alpha, or RGB dropping it. `fast` trades size for
// speed (images made to be drawn again soon). False when libpng fails or memory runs out.
bool EncodePng(const UInt32* pixels, UInt32 width, UInt32 height, std::size_t rowWords,
               bool withAlpha, bool fast, std::vector<UInt8>* out);

// How an icon's transform changes its pixels on the way.
struct ImageTint {
  bool dim = false;     // alpha halved: the port shows through half
  bool darken = false;  // every colour channel halved
};

// Lays the pixels (height rows of width words, as in ArgbImage) over the port's pixels,
// scaled to `dst` (local coordinates) by the nearest pixel, through their alpha; only pixels
// inside `dst` and the port's drawable rectangles change.
void DrawImage(GrafPtr port, const UInt32* pixels, UInt32 width, UInt32 height, const Rect& dst,
               ImageTint tint = {});
inline void DrawImage(GrafPtr port, const ArgbImage& image, const Rect& dst, ImageTint tint = {}) {
  if (image.pixels.size() < std::size_t(image.width) * image.height) return;
  DrawImage(port, image.pixels.data(), image.width, image.height, dst, tint);
}

// ---- Icons (IconsColor.cpp, IconsPlot.cpp) ----

// The pixels of a colour icon made by GetCIcon (they stay valid until DisposeCIcon); false
// for anything else.
bool ColorIconPixels(CIconHandle icon, const UInt32** pixels, UInt32* width, UInt32* height);

// The transform's effect on the pixels.
ImageTint TintForTransform(IconTransformType transform);

// Where an icon of width x height goes in the rectangle: scaled to the largest size that fits
// with its proportions kept, then placed by the alignment (QDPictures.h). The rectangle must
// not be empty.
Rect PlaceIcon(const Rect& r, UInt32 width, UInt32 height, IconAlignmentType align);

}  // namespace sp_platform
