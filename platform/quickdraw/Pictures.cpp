// Pictures: 'PICT' resources holding the classic header and a PNG image of the frame's size.
#include "ByteOrder.h"
#include "MacMemory.h"
#include "QDPictures.h"
#include "Resources.h"
#include "detail/PngImages.h"
#include "detail/Ports.h"
#include "detail/RegionTools.h"

namespace {

constexpr ResType kPictureType = SpFourCC("PICT");
constexpr std::size_t kHeaderSize = 10;  // picSize, picFrame

// The frame and where the image's bytes lie; false when the handle is shorter than the
// header.
bool ReadHeader(PicHandle pic, Rect* frame, const UInt8** png, std::size_t* pngSize) {
  if (pic == nullptr || *pic == nullptr) return false;
  const Size size = GetHandleSize(reinterpret_cast<Handle>(pic));
  if (size < Size(kHeaderSize)) return false;
  sp::ByteReader in(*pic, std::size_t(size));
  in.Skip(2);
  frame->top = in.SBE16();
  frame->left = in.SBE16();
  frame->bottom = in.SBE16();
  frame->right = in.SBE16();
  *png = reinterpret_cast<const UInt8*>(*pic) + kHeaderSize;
  *pngSize = std::size_t(size) - kHeaderSize;
  return in.Ok();
}

// The picture's image, checked against its frame: a frame that is empty or of another size
// than the image is refused before the image is decoded.
OSErr DecodePicture(PicHandle pic, sp_platform::ArgbImage* image) {
  Rect frame;
  const UInt8* png = nullptr;
  std::size_t pngSize = 0;
  if (!ReadHeader(pic, &frame, &png, &pngSize) || EmptyRect(&frame)) return paramErr;
  UInt32 width = 0, height = 0;
  OSErr err = sp_platform::ReadPngSize(png, pngSize, &width, &height);
  if (err != noErr) return err;
  if (SInt32(width) != SInt32(frame.right) - frame.left ||
      SInt32(height) != SInt32(frame.bottom) - frame.top) {
    return paramErr;
  }
  return sp_platform::DecodePng(png, pngSize, image);
}

}  // namespace

PicHandle GetPicture(SInt16 pictureID) {
  Handle h = GetResource(kPictureType, pictureID);
  if (h == nullptr) return nullptr;
  PicHandle pic = reinterpret_cast<PicHandle>(h);
  // Decoded once here so that a damaged picture is never handed out; DrawPicture decodes
  // again (pictures are drawn once, into an offscreen, by their users).
  sp_platform::ArgbImage image;
  if (DecodePicture(pic, &image) != noErr) return nullptr;
  return pic;
}

void DrawPicture(PicHandle myPicture, const Rect* dstRect) {
  if (myPicture == nullptr || dstRect == nullptr || EmptyRect(dstRect)) {
    sp_platform::SetQDError(paramErr);
    return;
  }
  sp_platform::ArgbImage image;
  const OSErr err = DecodePicture(myPicture, &image);
  sp_platform::SetQDError(err);
  if (err != noErr) return;
  sp_platform::DrawImage(sp_platform::CurrentPort(), image, *dstRect);
}

void KillPicture(PicHandle myPicture) {
  if (myPicture == nullptr) return;
  Handle h = reinterpret_cast<Handle>(myPicture);
  // A resource's handle belongs to the Resource Manager: disposing of it under the resource
  // map would leave the map pointing at freed memory.
  if (HomeResFile(h) != -1) {
    ReleaseResource(h);
  } else {
    DisposeHandle(h);
  }
}

Rect* QDGetPictureBounds(PicHandle picH, Rect* outRect) {
  if (outRect == nullptr) return nullptr;
  Rect frame;
  const UInt8* png = nullptr;
  std::size_t pngSize = 0;
  if (!ReadHeader(picH, &frame, &png, &pngSize)) return nullptr;
  *outRect = frame;
  return outRect;
}
