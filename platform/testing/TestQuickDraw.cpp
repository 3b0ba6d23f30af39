// Test API: the pixels of ports.
#include "TestQuickDraw.h"

#include <algorithm>
#include <utility>

#include "quickdraw/internal/Ports.h"
#include "quickdraw/internal/TestHooks.h"

namespace sp_testing {

namespace {

UInt32* PixelAt(CGrafPtr port, SInt16 h, SInt16 v) {
  sp_platform::PixelAccess px;
  if (!sp_platform::GetPortPixels(port, &px)) return nullptr;
  const Point pt{v, h};
  if (!PtInRect(pt, &px.bounds)) return nullptr;
  return px.base + (v - px.bounds.top) * px.rowWords + (h - px.bounds.left);
}

}  // namespace

bool SnapshotPort(CGrafPtr port, const std::string& path) {
  return sp_platform::WritePortPNG(port, path.c_str()) == noErr;
}

UInt32 ReadPixel(CGrafPtr port, SInt16 h, SInt16 v) {
  const UInt32* p = PixelAt(port, h, v);
  return p == nullptr ? 0xFF000000u : (*p & 0x00FFFFFFu);
}

RGBColor ReadPixelColor(CGrafPtr port, SInt16 h, SInt16 v) {
  const UInt32* p = PixelAt(port, h, v);
  return p == nullptr ? RGBColor{0, 0, 0} : sp_platform::RGBFromPixel(*p);
}

void FillPort(CGrafPtr port, UInt32 rgb) {
  sp_platform::PixelAccess px;
  if (!sp_platform::GetPortPixels(port, &px)) return;
  const SInt32 width = px.bounds.right - px.bounds.left;
  for (SInt32 v = 0; v < px.bounds.bottom - px.bounds.top; ++v) {
    std::fill_n(px.base + v * px.rowWords, width, 0xFF000000u | rgb);
  }
}

bool ReadPNG(const std::string& path, std::vector<UInt32>* pixels, UInt32* width,
             UInt32* height) {
  return sp_platform::ReadPNGFile(path.c_str(), pixels, width, height) == noErr;
}

UInt32 FlushCount(CGrafPtr port) {
  return sp_platform::PortFlushCount(port);
}

FlushObserverScope::FlushObserverScope(std::function<void(CGrafPtr)> observer) {
  sp_platform::SetFlushObserver(std::move(observer));
}

FlushObserverScope::~FlushObserverScope() {
  sp_platform::SetFlushObserver(nullptr);
}

}  // namespace sp_testing
