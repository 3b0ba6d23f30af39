// Ports, local and global coordinates, clip and visible regions, and the main screen.
#include <algorithm>
#include <functional>
#include <vector>

#include "MacMemory.h"
#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/RegionRecording.h"
#include "detail/RegionTools.h"

namespace {

constexpr SInt16 kDefaultScreenWidth = 1024;
constexpr SInt16 kDefaultScreenHeight = 768;
constexpr SInt16 kMenuBarHeight = 20;

// What a test watches the flushes with.
std::function<void(GrafPtr)>& FlushObserver() {
  static std::function<void(GrafPtr)> observer;
  return observer;
}

struct PortState {
  GrafPort screenPort{};
  GrafPtr current = nullptr;
  std::vector<GrafPtr> windowPorts;  // window ports and GWorlds
  SInt16 screenWidth = kDefaultScreenWidth;
  SInt16 screenHeight = kDefaultScreenHeight;
  GDHandle mainDevice = nullptr;  // made on first use

  PortState() { Reset(); }

  // The screen's port allocates nothing here: its regions and pixel map are made on first use,
  // so that a test's failing allocation never lands on them by surprise.
  void Reset() {
    screenWidth = kDefaultScreenWidth;
    screenHeight = kDefaultScreenHeight;
    screenPort.window = nullptr;
    screenPort.screenTopLeft = Point{0, 0};
    screenPort.portRect = Rect{0, 0, 0, 0};
    sp_platform::InitPortSettings(&screenPort);
    if (screenPort.clipRgn != nullptr) SetRectRgn(screenPort.clipRgn, -32767, -32767, 32767, 32767);
    FollowScreenSize();
    current = &screenPort;
  }

  Rect ScreenRect() const { return Rect{0, 0, screenHeight, screenWidth}; }

  // The screen's port keeps its origin; its size, visible region, pixel bounds and the
  // device's rectangle follow the screen.
  void FollowScreenSize() {
    Rect& r = screenPort.portRect;
    r.bottom = SInt16(r.top + screenHeight);
    r.right = SInt16(r.left + screenWidth);
    if (screenPort.visRgn != nullptr) RectRgn(screenPort.visRgn, &r);
    if (screenPort.portPixMap != nullptr) (**screenPort.portPixMap).bounds = r;
    if (mainDevice != nullptr) {
      (**mainDevice).gdRect = ScreenRect();
      if ((**mainDevice).gdPMap != nullptr) (**(**mainDevice).gdPMap).bounds = ScreenRect();
    }
  }

  bool IsLive(GrafPtr port) const {
    if (port == nullptr) return false;
    if (port == &screenPort) return true;
    return std::find(windowPorts.begin(), windowPorts.end(), port) != windowPorts.end();
  }
};

PortState& State() {
  static PortState state;
  return state;
}

// A pixel map without pixels, for the screen and its device.
PixMapHandle NewEmptyPixMap(const Rect& bounds) {
  Handle h = NewHandleClear(Size(sizeof(PixMap)));
  if (h == nullptr) return nullptr;
  PixMapHandle pm = reinterpret_cast<PixMapHandle>(h);
  PixMap& p = **pm;
  p.baseAddr = nullptr;
  p.rowBytes = SInt16(0x8000);
  p.bounds = bounds;
  sp_platform::SetDirectPixelFormat(p);
  return pm;
}

}  // namespace

namespace sp_platform {

GrafPtr CurrentPort() {
  return State().current;
}

void RegisterPort(GrafPtr port) {
  PortState& s = State();
  if (port == nullptr || s.IsLive(port)) return;
  s.windowPorts.push_back(port);
}

void UnregisterPort(GrafPtr port) {
  PortState& s = State();
  auto it = std::find(s.windowPorts.begin(), s.windowPorts.end(), port);
  if (it == s.windowPorts.end()) return;
  s.windowPorts.erase(it);
  // A port that is gone must never stay current: drawing through it would touch freed memory.
  if (s.current == port) s.current = &s.screenPort;
}

GrafPtr ScreenPort() {
  return &State().screenPort;
}

void SetMainScreenSize(SInt16 width, SInt16 height) {
  PortState& s = State();
  s.screenWidth = std::max<SInt16>(width, 0);
  s.screenHeight = std::max<SInt16>(height, 0);
  s.FollowScreenSize();
}

void ResetPorts() {
  ResetOutlineRecording();
  State().Reset();
}

RgnHandle PortClipRegion(GrafPtr port) {
  if (port == nullptr) return nullptr;
  if (port->clipRgn == nullptr) {
    port->clipRgn = NewRgn();
    if (port->clipRgn != nullptr) SetRectRgn(port->clipRgn, -32767, -32767, 32767, 32767);
  }
  return port->clipRgn;
}

RgnHandle PortVisibleRegion(GrafPtr port) {
  if (port == nullptr) return nullptr;
  if (port->visRgn == nullptr) {
    port->visRgn = NewRgn();
    if (port->visRgn != nullptr) RectRgn(port->visRgn, &port->portRect);
  }
  return port->visRgn;
}

UInt32 PortFlushCount(GrafPtr port) {
  return State().IsLive(port) ? port->flushCount : 0;
}

void SetFlushObserver(std::function<void(GrafPtr)> observer) {
  FlushObserver() = std::move(observer);
}

}  // namespace sp_platform

void GetPort(GrafPtr* port) {
  if (port == nullptr) return;
  *port = sp_platform::CurrentPort();
}

void SetPort(GrafPtr port) {
  PortState& s = State();
  if (!s.IsLive(port)) return;
  s.current = port;
}

Boolean IsValidPort(CGrafPtr port) {
  return State().IsLive(port);
}

WindowRef GetWindowFromPort(CGrafPtr port) {
  if (!State().IsLive(port)) return nullptr;
  return port->window;
}

Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
  if (rect == nullptr || !State().IsLive(port)) return nullptr;
  *rect = port->portRect;
  return rect;
}

void SetOrigin(SInt16 h, SInt16 v) {
  GrafPtr port = sp_platform::CurrentPort();
  Rect& r = port->portRect;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const SInt16 dh = SInt16(h - r.left);
  const SInt16 dv = SInt16(v - r.top);
  r.left = h;
  r.top = v;
  r.right = SInt16(h + width);
  r.bottom = SInt16(v + height);
  // The pixels and the visible region stay where they are on the screen; the clip region
  // keeps its local coordinates, as the toolbox's did.
  sp_platform::FollowOrigin(port, dh, dv);
}

void LocalToGlobal(Point* pt) {
  if (pt == nullptr) return;
  const GrafPort& port = *sp_platform::CurrentPort();
  pt->h = SInt16(pt->h - port.portRect.left + port.screenTopLeft.h);
  pt->v = SInt16(pt->v - port.portRect.top + port.screenTopLeft.v);
}

void GlobalToLocal(Point* pt) {
  if (pt == nullptr) return;
  const GrafPort& port = *sp_platform::CurrentPort();
  pt->h = SInt16(pt->h - port.screenTopLeft.h + port.portRect.left);
  pt->v = SInt16(pt->v - port.screenTopLeft.v + port.portRect.top);
}

GDHandle GetMainDevice() {
  PortState& s = State();
  if (s.mainDevice == nullptr) {
    // A Memory Manager handle, so that callers may lock it as they would a real device's.
    Handle h = NewHandleClear(Size(sizeof(GDevice)));
    if (h == nullptr) return nullptr;
    s.mainDevice = reinterpret_cast<GDHandle>(h);
    GDevice& device = **s.mainDevice;
    device.gdType = 2;  // direct colour
    // Colour device, main screen, a screen, active.
    device.gdFlags = SInt16((1 << 0) | (1 << 11) | (1 << 13) | (1 << 15));
    device.gdNextGD = nullptr;
    device.gdRect = s.ScreenRect();
    PixMapHandle pm = NewEmptyPixMap(s.ScreenRect());
    if (pm == nullptr) {
      DisposeHandle(h);
      s.mainDevice = nullptr;
      return nullptr;
    }
    (**s.mainDevice).gdPMap = pm;
  }
  return s.mainDevice;
}

GDHandle GetGDevice() {
  return GetMainDevice();
}

void SetGDevice(GDHandle) {}

GDHandle GetMaxDevice(const Rect*) {
  return GetMainDevice();
}

Boolean GetGray(GDHandle, const RGBColor* backGround, RGBColor* foreGround) {
  if (backGround == nullptr || foreGround == nullptr) return false;
  foreGround->red = UInt16((UInt32(backGround->red) + foreGround->red) / 2);
  foreGround->green = UInt16((UInt32(backGround->green) + foreGround->green) / 2);
  foreGround->blue = UInt16((UInt32(backGround->blue) + foreGround->blue) / 2);
  return true;
}

BitMap* GetQDGlobalsScreenBits(BitMap* screenBits) {
  if (screenBits == nullptr) return nullptr;
  screenBits->baseAddr = nullptr;
  screenBits->rowBytes = 0;
  screenBits->bounds = State().ScreenRect();
  return screenBits;
}

SInt16 GetMBarHeight() {
  return kMenuBarHeight;
}

Boolean IsPortColor(CGrafPtr port) {
  return State().IsLive(port);
}

PixMapHandle GetPortPixMap(CGrafPtr port) {
  if (!State().IsLive(port)) return nullptr;
  if (port->portPixMap == nullptr) port->portPixMap = NewEmptyPixMap(port->portRect);
  return port->portPixMap;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) {
  PixMapHandle pm = GetPortPixMap(port);
  return pm == nullptr ? nullptr : *pm;
}

RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle clipRgn) {
  if (clipRgn == nullptr || !State().IsLive(port)) return clipRgn;
  RgnHandle own = sp_platform::PortClipRegion(port);
  if (own != nullptr) CopyRgn(own, clipRgn);
  return clipRgn;
}

RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn) {
  if (visRgn == nullptr || !State().IsLive(port)) return visRgn;
  RgnHandle own = sp_platform::PortVisibleRegion(port);
  if (own != nullptr) CopyRgn(own, visRgn);
  return visRgn;
}

void SetPortClipRegion(CGrafPtr port, RgnHandle clipRgn) {
  if (clipRgn == nullptr || !State().IsLive(port)) return;
  RgnHandle own = sp_platform::PortClipRegion(port);
  if (own != nullptr) CopyRgn(clipRgn, own);
}

void SetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn) {
  if (visRgn == nullptr || !State().IsLive(port)) return;
  RgnHandle own = sp_platform::PortVisibleRegion(port);
  if (own != nullptr) CopyRgn(visRgn, own);
}

void ClipRect(const Rect* r) {
  if (r == nullptr) return;
  RgnHandle own = sp_platform::PortClipRegion(sp_platform::CurrentPort());
  if (own != nullptr) RectRgn(own, r);
}

void GetClip(RgnHandle rgn) {
  GetPortClipRegion(sp_platform::CurrentPort(), rgn);
}

void SetClip(RgnHandle rgn) {
  SetPortClipRegion(sp_platform::CurrentPort(), rgn);
}

void QDFlushPortBuffer(CGrafPtr port, RgnHandle) {
  if (!State().IsLive(port)) return;
  ++port->flushCount;
  if (FlushObserver()) FlushObserver()(port);
}
