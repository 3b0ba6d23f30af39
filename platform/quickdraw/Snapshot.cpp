// PNG snapshots of a port's pixels, for tests and for looking at the program.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "QuickDraw.h"
#include "detail/PngImages.h"
#include "detail/Ports.h"
#include "internal/TestHooks.h"

namespace sp_platform {

OSErr WritePortPNG(GrafPtr port, const char* path) {
  PixelAccess px;
  if (path == nullptr || !GetPortPixels(port, &px)) return paramErr;
  const SInt32 width = px.bounds.right - px.bounds.left;
  const SInt32 height = px.bounds.bottom - px.bounds.top;
  if (width <= 0 || height <= 0) return ioErr;
  std::vector<UInt8> png;
  if (!EncodePng(px.base, UInt32(width), UInt32(height), std::size_t(px.rowWords), false, false,
                 &png)) {
    return ioErr;
  }
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return ioErr;
  const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? noErr : ioErr;
}

OSErr ReadPNGFile(const char* path, std::vector<UInt32>* pixels, UInt32* width, UInt32* height) {
  if (path == nullptr || pixels == nullptr || width == nullptr || height == nullptr) {
    return paramErr;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return ioErr;
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  ArgbImage image;
  const OSErr err = DecodePng(bytes.data(), bytes.size(), &image);
  if (err != noErr) return err;
  pixels->clear();
  for (UInt32 pixel : image.pixels) pixels->push_back(pixel & 0x00FFFFFFu);
  *width = image.width;
  *height = image.height;
  return noErr;
}

}  // namespace sp_platform
