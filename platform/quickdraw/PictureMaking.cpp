// Pictures made from pixels: the classic header and the image encoded as PNG, as the
// application's own pictures are stored.
#include <png.h>

#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "detail/PngImages.h"
#include "internal/PictureMaking.h"

namespace sp_platform {
namespace {

constexpr std::size_t kHeaderSize = 10;  // picSize, picFrame

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<UInt8>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng reports errors through longjmp; the rows and the output are owned by the caller, so
// nothing is skipped by a jump.
bool EncodeRgba(const std::vector<png_bytep>& rows, UInt32 width, UInt32 height,
                std::vector<UInt8>* out) {
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
  png_set_write_fn(png, out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Frames are made and drawn again soon: speed matters more than size.
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

PicHandle NewPictureFromPixels(const UInt32* pixels, UInt32 width, UInt32 height) {
  if (pixels == nullptr || width == 0 || height == 0 || width > UInt32(kSpMaxImageSide) ||
      height > UInt32(kSpMaxImageSide)) {
    return nullptr;
  }
  std::vector<png_byte> bytes(std::size_t(width) * 4 * height);
  std::vector<png_bytep> rows(height);
  for (UInt32 v = 0; v < height; ++v) {
    png_bytep row = bytes.data() + std::size_t(v) * width * 4;
    rows[v] = row;
    const UInt32* in = pixels + std::size_t(v) * width;
    for (UInt32 h = 0; h < width; ++h) {
      row[h * 4] = png_byte(in[h] >> 16);
      row[h * 4 + 1] = png_byte(in[h] >> 8);
      row[h * 4 + 2] = png_byte(in[h]);
      row[h * 4 + 3] = png_byte(in[h] >> 24);
    }
  }
  std::vector<UInt8> png;
  if (!EncodeRgba(rows, width, height, &png)) return nullptr;
  Handle h = NewHandle(Size(kHeaderSize + png.size()));
  if (h == nullptr) return nullptr;
  UInt8* out = reinterpret_cast<UInt8*>(*h);
  // picSize keeps the low 16 bits of the size, as the classic header does.
  sp::StoreBE16(out, UInt16(kHeaderSize + png.size()));
  sp::StoreBE16(out + 2, 0);
  sp::StoreBE16(out + 4, 0);
  sp::StoreBE16(out + 6, UInt16(height));
  sp::StoreBE16(out + 8, UInt16(width));
  std::memcpy(out + kHeaderSize, png.data(), png.size());
  return reinterpret_cast<PicHandle>(h);
}

void DrawPixelsInPort(GrafPtr port, const UInt32* pixels, UInt32 width, UInt32 height,
                      const Rect& dst) {
  DrawImage(port, pixels, width, height, dst);
}

}  // namespace sp_platform
