// Pictures made from pixels: the classic header and the image encoded as PNG, as the
// application's own pictures are stored.
#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "detail/PngImages.h"
#include "internal/PictureMaking.h"

namespace sp_platform {
namespace {

constexpr std::size_t kHeaderSize = 10;  // picSize, picFrame

}  // namespace

PicHandle NewPictureFromPixels(const UInt32* pixels, UInt32 width, UInt32 height) {
  if (pixels == nullptr || width == 0 || height == 0 || width > UInt32(kSpMaxImageSide) ||
      height > UInt32(kSpMaxImageSide)) {
    return nullptr;
  }
  std::vector<UInt8> png;
  // Frames are made and drawn again soon: speed matters more than size.
  if (!EncodePng(pixels, width, height, width, true, true, &png)) return nullptr;
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
