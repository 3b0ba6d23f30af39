// Colour icons: 'cicn' resources holding a PNG, turned into CIcon records that the layer
// keeps a list of, so that a plot or a disposal given anything else does no harm.
#include <algorithm>
#include <cstring>
#include <vector>

#include "MacMemory.h"
#include "QDPictures.h"
#include "Resources.h"
#include "detail/PngImages.h"

namespace {

constexpr ResType kColorIconType = SpFourCC("cicn");

// The icons GetCIcon made and nobody disposed of. Never destroyed: an icon stays valid until
// DisposeCIcon, whatever order static objects go in at the end.
std::vector<CIconHandle>& LiveIcons() {
  static auto* icons = new std::vector<CIconHandle>;
  return *icons;
}

bool IsLive(CIconHandle icon) {
  if (icon == nullptr) return false;
  const std::vector<CIconHandle>& icons = LiveIcons();
  return std::find(icons.begin(), icons.end(), icon) != icons.end();
}

}  // namespace

namespace sp_platform {

bool ColorIconPixels(CIconHandle icon, const UInt32** pixels, UInt32* width, UInt32* height) {
  if (!IsLive(icon)) return false;
  const CIcon& c = **icon;
  if (pixels != nullptr) *pixels = reinterpret_cast<const UInt32*>(*c.iconData);
  if (width != nullptr) *width = UInt32(c.iconPMap.bounds.right);
  if (height != nullptr) *height = UInt32(c.iconPMap.bounds.bottom);
  return true;
}

}  // namespace sp_platform

CIconHandle GetCIcon(SInt16 iconID) {
  Handle res = GetResource(kColorIconType, iconID);
  if (res == nullptr || *res == nullptr) return nullptr;
  sp_platform::ArgbImage image;
  if (sp_platform::DecodePng(*res, std::size_t(GetHandleSize(res)), &image) != noErr) {
    return nullptr;
  }
  // The pixel map's rowBytes keeps 14 bits.
  if (image.width > UInt32(kSpMaxPixelWidth)) return nullptr;

  const Size bytes = Size(image.pixels.size() * sizeof(UInt32));
  Handle data = NewHandle(bytes);
  if (data == nullptr) return nullptr;
  std::memcpy(*data, image.pixels.data(), std::size_t(bytes));
  Handle record = NewHandleClear(Size(sizeof(CIcon)));
  if (record == nullptr) {
    DisposeHandle(data);
    return nullptr;
  }

  CIconHandle icon = reinterpret_cast<CIconHandle>(record);
  CIcon& c = **icon;
  const Rect bounds = {0, 0, SInt16(image.height), SInt16(image.width)};
  c.iconPMap.bounds = bounds;
  c.iconPMap.rowBytes = SInt16(0x8000 | (image.width * 4));
  c.iconPMap.hRes = Fixed(72) << 16;
  c.iconPMap.vRes = Fixed(72) << 16;
  c.iconPMap.pixelType = RGBDirect;
  c.iconPMap.pixelSize = 32;
  c.iconPMap.cmpCount = 3;
  c.iconPMap.cmpSize = 8;
  c.iconPMap.pixelFormat = k32BGRAPixelFormat;
  c.iconMask.bounds = bounds;
  c.iconBMap.bounds = bounds;
  c.iconData = data;
  LiveIcons().push_back(icon);
  return icon;
}

void DisposeCIcon(CIconHandle theIcon) {
  std::vector<CIconHandle>& icons = LiveIcons();
  auto it = std::find(icons.begin(), icons.end(), theIcon);
  if (theIcon == nullptr || it == icons.end()) return;
  icons.erase(it);
  DisposeHandle((**theIcon).iconData);
  DisposeHandle(reinterpret_cast<Handle>(theIcon));
}

void PlotCIcon(const Rect* theRect, CIconHandle theIcon) {
  const UInt32* pixels = nullptr;
  UInt32 width = 0, height = 0;
  if (theRect == nullptr || !sp_platform::ColorIconPixels(theIcon, &pixels, &width, &height)) {
    return;
  }
  sp_platform::DrawImage(sp_platform::CurrentPort(), pixels, width, height, *theRect);
}
