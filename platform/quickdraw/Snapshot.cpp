// PNG snapshots of a port's pixels, for tests and for looking at the program.
#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "QuickDraw.h"
#include "detail/PngImages.h"
#include "detail/Ports.h"
#include "detail/Raster.h"
#include "internal/TestHooks.h"

namespace sp_platform {

namespace {

// libpng reports errors through longjmp; nothing in the writing below owns resources that a
// jump would skip, so the file and the write structures are released after it.
bool WriteRows(std::FILE* file, png_uint_32 width, png_uint_32 height,
               std::vector<png_bytep>& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

OSErr WritePortPNG(GrafPtr port, const char* path) {
  PixelAccess px;
  if (path == nullptr || !GetPortPixels(port, &px)) return paramErr;
  const SInt32 width = px.bounds.right - px.bounds.left;
  const SInt32 height = px.bounds.bottom - px.bounds.top;
  std::vector<png_byte> bytes(std::size_t(width) * 3 * std::size_t(height));
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (SInt32 v = 0; v < height; ++v) {
    png_bytep out = bytes.data() + std::size_t(v) * std::size_t(width) * 3;
    rows[std::size_t(v)] = out;
    const UInt32* in = px.base + v * px.rowWords;
    for (SInt32 h = 0; h < width; ++h) {
      out[h * 3] = png_byte(raster::Red(in[h]));
      out[h * 3 + 1] = png_byte(raster::Green(in[h]));
      out[h * 3 + 2] = png_byte(raster::Blue(in[h]));
    }
  }
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return ioErr;
  const bool written = WriteRows(file, png_uint_32(width), png_uint_32(height), rows);
  const bool closed = std::fclose(file) == 0;
  return written && closed ? noErr : ioErr;
}

OSErr ReadPNGFile(const char* path, std::vector<UInt32>* pixels, UInt32* width,
                  UInt32* height) {
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
