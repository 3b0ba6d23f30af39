// PNG images: decoded with libpng's simplified reader, which reports every damage as a failed
// call (it never aborts the process), laid over a port's pixels, and encoded from pixels.
#include <png.h>

#include <cstring>
#include <new>

#include "QDPictures.h"
#include "detail/PngImages.h"
#include "detail/Raster.h"

namespace {

using sp_platform::raster::Blue;
using sp_platform::raster::Green;
using sp_platform::raster::MakePixel;
using sp_platform::raster::MixChannel;
using sp_platform::raster::Red;

constexpr UInt8 kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// The reader's state, freed on every way out.
class PngReader {
 public:
  PngReader() {
    std::memset(&image_, 0, sizeof image_);
    image_.version = PNG_IMAGE_VERSION;
  }
  ~PngReader() { png_image_free(&image_); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Reads the header; the size is checked before anything else is read.
  OSErr Begin(const void* bytes, std::size_t size) {
    if (!sp_platform::LooksLikePng(bytes, size)) return paramErr;
    if (png_image_begin_read_from_memory(&image_, bytes, size) == 0) return paramErr;
    if (image_.width == 0 || image_.height == 0 || image_.width > UInt32(kSpMaxImageSide) ||
        image_.height > UInt32(kSpMaxImageSide)) {
      return paramErr;
    }
    return noErr;
  }

  png_image& Image() { return image_; }

 private:
  png_image image_;
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<UInt8>*>(png_get_io_ptr(png));
  bool appended = true;
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    appended = false;
  }
  // Out of the handler first: png_error does not return.
  if (!appended) png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

// libpng reports errors through longjmp; the rows and the output are owned by the caller, so
// nothing is skipped by a jump.
bool WriteRows(const std::vector<png_bytep>& rows, UInt32 width, UInt32 height, bool withAlpha,
               bool fast, std::vector<UInt8>* out) {
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
  png_set_IHDR(png, info, width, height, 8,
               withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (fast) png_set_compression_level(png, 1);
  png_write_info(png, info);
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

namespace sp_platform {

bool EncodePng(const UInt32* pixels, UInt32 width, UInt32 height, std::size_t rowWords,
               bool withAlpha, bool fast, std::vector<UInt8>* out) {
  if (pixels == nullptr || out == nullptr || width == 0 || height == 0 || rowWords < width) {
    return false;
  }
  const std::size_t channels = withAlpha ? 4 : 3;
  std::vector<png_byte> bytes;
  std::vector<png_bytep> rows;
  try {
    bytes.resize(std::size_t(width) * channels * height);
    rows.resize(height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (UInt32 v = 0; v < height; ++v) {
    png_bytep row = bytes.data() + std::size_t(v) * width * channels;
    rows[v] = row;
    const UInt32* in = pixels + std::size_t(v) * rowWords;
    for (UInt32 h = 0; h < width; ++h, row += channels) {
      row[0] = png_byte(Red(in[h]));
      row[1] = png_byte(Green(in[h]));
      row[2] = png_byte(Blue(in[h]));
      if (withAlpha) row[3] = png_byte(in[h] >> 24);
    }
  }
  return WriteRows(rows, width, height, withAlpha, fast, out);
}

bool LooksLikePng(const void* bytes, std::size_t size) {
  return bytes != nullptr && size >= sizeof kPngSignature &&
         std::memcmp(bytes, kPngSignature, sizeof kPngSignature) == 0;
}

OSErr ReadPngSize(const void* bytes, std::size_t size, UInt32* width, UInt32* height) {
  PngReader reader;
  const OSErr err = reader.Begin(bytes, size);
  if (err != noErr) return err;
  if (width != nullptr) *width = reader.Image().width;
  if (height != nullptr) *height = reader.Image().height;
  return noErr;
}

OSErr DecodePng(const void* bytes, std::size_t size, ArgbImage* out) {
  if (out == nullptr) return paramErr;
  *out = ArgbImage{};
  PngReader reader;
  OSErr err = reader.Begin(bytes, size);
  if (err != noErr) return err;
  png_image& image = reader.Image();
  image.format = PNG_FORMAT_RGBA;
  const std::size_t count = std::size_t(image.width) * image.height;
  std::vector<UInt32> pixels;
  try {
    pixels.resize(count);
  } catch (const std::bad_alloc&) {
    return memFullErr;
  }
  // The decoder writes R, G, B, A bytes; each pixel is then packed into its word in place.
  UInt8* raw = reinterpret_cast<UInt8*>(pixels.data());
  if (png_image_finish_read(&image, nullptr, raw, 0, nullptr) == 0) return paramErr;
  for (std::size_t i = 0; i < count; ++i) {
    const UInt8* p = raw + i * 4;
    pixels[i] = (UInt32(p[3]) << 24) | (UInt32(p[0]) << 16) | (UInt32(p[1]) << 8) | p[2];
  }
  out->width = image.width;
  out->height = image.height;
  out->pixels.swap(pixels);
  return noErr;
}

void DrawImage(GrafPtr port, const UInt32* pixels, UInt32 width, UInt32 height, const Rect& dst,
               ImageTint tint) {
  if (pixels == nullptr || width == 0 || height == 0 || EmptyRect(&dst)) return;
  PixelAccess px;
  if (!GetPortPixels(port, &px)) return;
  const SInt64 dstWidth = SInt64(dst.right) - dst.left;
  const SInt64 dstHeight = SInt64(dst.bottom) - dst.top;
  for (const Rect& drawable : DrawableRects(port)) {
    Rect area;
    if (!SectRect(&drawable, &dst, &area)) continue;
    for (SInt32 v = area.top; v < area.bottom; ++v) {
      // The nearest source pixel, mapped as CopyBits maps it.
      const std::size_t sy = std::size_t(SInt64(v - dst.top) * height / dstHeight);
      const UInt32* src = pixels + sy * width;
      UInt32* row = px.base + (v - px.bounds.top) * px.rowWords;
      for (SInt32 h = area.left; h < area.right; ++h) {
        const std::size_t sx = std::size_t(SInt64(h - dst.left) * width / dstWidth);
        const UInt32 s = src[sx];
        UInt32 alpha = s >> 24;
        if (tint.dim) alpha = (alpha + 1) / 2;
        if (alpha == 0) continue;
        UInt32 r = Red(s), g = Green(s), b = Blue(s);
        if (tint.darken) {
          r /= 2;
          g /= 2;
          b /= 2;
        }
        UInt32& d = row[h - px.bounds.left];
        if (alpha == 255) {
          d = MakePixel(r, g, b);
        } else {
          d = MakePixel(MixChannel(Red(d), r, alpha), MixChannel(Green(d), g, alpha),
                        MixChannel(Blue(d), b, alpha));
        }
      }
    }
  }
}

}  // namespace sp_platform
