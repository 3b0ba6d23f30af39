// Port records with pixels: the drawing state of window ports and GWorlds.
#include <algorithm>
#include <cstring>
#include <new>

#include "MacMemory.h"
#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/RegionRecording.h"
#include "detail/RegionTools.h"

namespace {

constexpr SInt16 kWideOpen = 32767;
constexpr UInt32 kWhitePixel = 0xFFFFFFFFu;

SInt32 PixelWidth(const Rect& r) {
  return std::clamp<SInt32>(SInt32(r.right) - r.left, 0, kSpMaxPixelWidth);
}

SInt32 PixelHeight(const Rect& r) {
  return std::max<SInt32>(SInt32(r.bottom) - r.top, 0);
}

// Pixels for a width x height image (null for no area; `failed` tells a refusal apart).
Ptr NewPixels(SInt32 width, SInt32 height, bool* failed) {
  *failed = false;
  if (width <= 0 || height <= 0) return nullptr;
  Ptr p = NewPtr(Size(width * 4 * height));
  if (p == nullptr) *failed = true;
  return p;
}

void SetPixMapPixels(PixMap& pm, Ptr pixels, const Rect& portRect) {
  const SInt32 width = pixels == nullptr ? 0 : PixelWidth(portRect);
  const SInt32 height = pixels == nullptr ? 0 : PixelHeight(portRect);
  pm.baseAddr = pixels;
  pm.rowBytes = SInt16(0x8000 | (width * 4));
  pm.bounds = Rect{portRect.top, portRect.left, SInt16(portRect.top + height),
                   SInt16(portRect.left + width)};
}

// Copies the overlap of two images, top-left corners together.
void CopyTopLeft(const PixMap& from, PixMap& to) {
  if (from.baseAddr == nullptr || to.baseAddr == nullptr) return;
  const SInt32 fromWords = (from.rowBytes & 0x3FFF) / 4;
  const SInt32 toWords = (to.rowBytes & 0x3FFF) / 4;
  const SInt32 width = std::min(fromWords, toWords);
  const SInt32 height = std::min(PixelHeight(from.bounds), PixelHeight(to.bounds));
  for (SInt32 v = 0; v < height; ++v) {
    std::memcpy(to.baseAddr + std::size_t(v) * std::size_t(toWords) * 4,
                from.baseAddr + std::size_t(v) * std::size_t(fromWords) * 4,
                std::size_t(width) * 4);
  }
}

// The old image scaled to the new one, nearest pixel.
void CopyStretched(const PixMap& from, PixMap& to) {
  if (from.baseAddr == nullptr || to.baseAddr == nullptr) return;
  const SInt32 fw = (from.rowBytes & 0x3FFF) / 4, fh = PixelHeight(from.bounds);
  const SInt32 tw = (to.rowBytes & 0x3FFF) / 4, th = PixelHeight(to.bounds);
  const UInt32* src = reinterpret_cast<const UInt32*>(from.baseAddr);
  UInt32* dst = reinterpret_cast<UInt32*>(to.baseAddr);
  for (SInt32 v = 0; v < th; ++v) {
    const SInt32 sv = SInt32(SInt64(v) * fh / th);
    for (SInt32 h = 0; h < tw; ++h) {
      dst[std::size_t(v) * tw + h] = src[std::size_t(sv) * fw + SInt32(SInt64(h) * fw / tw)];
    }
  }
}

bool IsLiveGWorld(GWorldPtr gw) {
  return IsValidPort(gw) && gw->isGWorld;
}

bool UsableBounds(const Rect* r) {
  return r != nullptr && !EmptyRect(r) && SInt32(r->right) - r->left <= kSpMaxPixelWidth;
}

}  // namespace

namespace sp_platform {

void InitPortSettings(GrafPtr port) {
  if (port == nullptr) return;
  port->pnLoc = Point{0, 0};
  port->pnSize = Point{1, 1};
  port->pnMode = patCopy;
  GetQDGlobalsBlack(&port->pnPat);
  port->pnVis = 0;
  GetQDGlobalsWhite(&port->bkPat);
  port->rgbFgColor = RGBColor{0, 0, 0};
  port->rgbBkColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  port->rgbOpColor = RGBColor{0x8000, 0x8000, 0x8000};
  port->txFont = 0;
  port->txFace = 0;
  port->txMode = srcOr;
  port->txSize = 0;
  port->spExtra = 0;
  port->chExtra = 0;
}

OSErr OpenPortDrawing(GrafPtr port, const Rect& portRect, bool clearToWhite) {
  if (port == nullptr) return paramErr;
  InitPortSettings(port);
  port->portRect = portRect;
  bool pixelsFailed = false;
  RgnHandle clip = NewRgn();
  RgnHandle vis = NewRgn();
  Handle pmHandle = NewHandleClear(Size(sizeof(PixMap)));
  Ptr pixels = NewPixels(PixelWidth(portRect), PixelHeight(portRect), &pixelsFailed);
  if (clip == nullptr || vis == nullptr || pmHandle == nullptr || pixelsFailed) {
    DisposeRgn(clip);
    DisposeRgn(vis);
    if (pmHandle != nullptr) DisposeHandle(pmHandle);
    if (pixels != nullptr) DisposePtr(pixels);
    port->clipRgn = port->visRgn = nullptr;
    port->portPixMap = nullptr;
    return memFullErr;
  }
  SetRectRgn(clip, -kWideOpen, -kWideOpen, kWideOpen, kWideOpen);
  RectRgn(vis, &portRect);
  port->clipRgn = clip;
  port->visRgn = vis;
  port->portPixMap = reinterpret_cast<PixMapHandle>(pmHandle);
  PixMap& pm = **port->portPixMap;
  new (&pm) PixMap{};
  SetPixMapPixels(pm, pixels, portRect);
  if (pixels != nullptr && clearToWhite) {
    std::fill_n(reinterpret_cast<UInt32*>(pixels),
                std::size_t(PixelWidth(portRect)) * std::size_t(PixelHeight(portRect)),
                kWhitePixel);
  }
  SetDirectPixelFormat(pm);
  port->flushCount = 0;
  return noErr;
}

void SetDirectPixelFormat(PixMap& pm) {
  pm.hRes = pm.vRes = Fixed(72) << 16;
  pm.pixelType = RGBDirect;
  pm.pixelSize = 32;
  pm.cmpCount = 3;
  pm.cmpSize = 8;
  pm.pixelFormat = k32BGRAPixelFormat;
}

void ClosePortDrawing(GrafPtr port) {
  if (port == nullptr) return;
  ForgetOutlineRecording(port);
  if (port->portPixMap != nullptr) {
    if ((**port->portPixMap).baseAddr != nullptr) DisposePtr((**port->portPixMap).baseAddr);
    DisposeHandle(reinterpret_cast<Handle>(port->portPixMap));
    port->portPixMap = nullptr;
  }
  DisposeRgn(port->clipRgn);
  DisposeRgn(port->visRgn);
  port->clipRgn = port->visRgn = nullptr;
}

OSErr ResizePortPixels(GrafPtr port) {
  if (port == nullptr || port->portPixMap == nullptr) return paramErr;
  if (port->visRgn != nullptr) RectRgn(port->visRgn, &port->portRect);
  PixMap& pm = **port->portPixMap;
  const SInt32 width = PixelWidth(port->portRect), height = PixelHeight(port->portRect);
  if (width == PixelWidth(pm.bounds) && height == PixelHeight(pm.bounds) &&
      (pm.baseAddr != nullptr || width == 0 || height == 0)) {
    return noErr;
  }
  bool failed = false;
  Ptr pixels = NewPixels(width, height, &failed);
  if (failed) return memFullErr;
  PixMap fresh = pm;
  SetPixMapPixels(fresh, pixels, port->portRect);
  if (pixels != nullptr) {
    std::fill_n(reinterpret_cast<UInt32*>(pixels), std::size_t(width) * std::size_t(height),
                kWhitePixel);
  }
  CopyTopLeft(pm, fresh);
  if (pm.baseAddr != nullptr) DisposePtr(pm.baseAddr);
  pm = fresh;
  return noErr;
}

void FollowOrigin(GrafPtr port, SInt16 dh, SInt16 dv) {
  if (port == nullptr || (dh == 0 && dv == 0)) return;
  if (port->portPixMap != nullptr) OffsetRect(&(**port->portPixMap).bounds, dh, dv);
  if (port->visRgn != nullptr) OffsetRgn(port->visRgn, dh, dv);
}

}  // namespace sp_platform

QDErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16, const Rect* boundsRect, CTabHandle, GDHandle,
                GWorldFlags) {
  if (offscreenGWorld == nullptr) return paramErr;
  *offscreenGWorld = nullptr;
  if (!UsableBounds(boundsRect)) {
    sp_platform::SetQDError(paramErr);
    return paramErr;
  }
  Ptr record = NewPtrClear(Size(sizeof(GrafPort)));
  if (record == nullptr) {
    sp_platform::SetQDError(memFullErr);
    return memFullErr;
  }
  GrafPtr port = new (record) GrafPort{};
  if (sp_platform::OpenPortDrawing(port, *boundsRect) != noErr) {
    DisposePtr(record);
    sp_platform::SetQDError(memFullErr);
    return memFullErr;
  }
  port->isGWorld = true;
  port->device = GetMainDevice();
  port->screenTopLeft = Point{boundsRect->top, boundsRect->left};
  sp_platform::RegisterPort(port);
  *offscreenGWorld = port;
  sp_platform::SetQDError(noErr);
  return noErr;
}

void DisposeGWorld(GWorldPtr offscreenGWorld) {
  if (!IsLiveGWorld(offscreenGWorld)) return;
  sp_platform::UnregisterPort(offscreenGWorld);
  sp_platform::ClosePortDrawing(offscreenGWorld);
  DisposePtr(reinterpret_cast<Ptr>(offscreenGWorld));
}

GWorldFlags UpdateGWorld(GWorldPtr* offscreenGWorld, SInt16, const Rect* boundsRect, CTabHandle,
                         GDHandle, GWorldFlags flags) {
  if (offscreenGWorld == nullptr || !IsLiveGWorld(*offscreenGWorld) || !UsableBounds(boundsRect)) {
    sp_platform::SetQDError(paramErr);
    return gwFlagErr;
  }
  GrafPtr port = *offscreenGWorld;
  PixMap& pm = **port->portPixMap;
  const Rect& r = *boundsRect;
  if (PixelWidth(r) == PixelWidth(port->portRect) &&
      PixelHeight(r) == PixelHeight(port->portRect)) {
    sp_platform::FollowOrigin(port, SInt16(r.left - port->portRect.left),
                              SInt16(r.top - port->portRect.top));
    port->portRect = r;
    sp_platform::SetQDError(noErr);
    return 0;
  }
  bool failed = false;
  Ptr pixels = NewPixels(PixelWidth(r), PixelHeight(r), &failed);
  if (failed) {
    sp_platform::SetQDError(memFullErr);
    return gwFlagErr;
  }
  PixMap fresh = pm;
  SetPixMapPixels(fresh, pixels, r);
  if ((flags & stretchPix) != 0) {
    CopyStretched(pm, fresh);
  } else {
    CopyTopLeft(pm, fresh);
  }
  DisposePtr(pm.baseAddr);
  pm = fresh;
  port->portRect = r;
  port->screenTopLeft = Point{r.top, r.left};
  if (port->visRgn != nullptr) RectRgn(port->visRgn, &r);
  sp_platform::SetQDError(noErr);
  return reallocPix;
}

void GetGWorld(CGrafPtr* port, GDHandle* gdh) {
  if (port != nullptr) GetPort(port);
  if (gdh != nullptr) *gdh = GetGDevice();
}

void SetGWorld(CGrafPtr port, GDHandle gdh) {
  SetPort(port);
  if (gdh != nullptr) SetGDevice(gdh);
}

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld) {
  return GetPortPixMap(offscreenGWorld);
}

Boolean LockPixels(PixMapHandle pm) {
  return pm != nullptr && *pm != nullptr && (**pm).baseAddr != nullptr;
}

void UnlockPixels(PixMapHandle) {}

Ptr GetPixBaseAddr(PixMapHandle pm) {
  if (pm == nullptr || *pm == nullptr) return nullptr;
  return (**pm).baseAddr;
}

SInt32 GetPixRowBytes(PixMapHandle pm) {
  if (pm == nullptr || *pm == nullptr) return 0;
  return (**pm).rowBytes & 0x3FFF;
}
