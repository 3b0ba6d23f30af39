// Ports, local and global coordinates, and the main screen.
#include <algorithm>
#include <vector>

#include "MacMemory.h"
#include "QuickDraw.h"
#include "detail/Ports.h"

namespace {

constexpr SInt16 kDefaultScreenWidth = 1024;
constexpr SInt16 kDefaultScreenHeight = 768;
constexpr SInt16 kMenuBarHeight = 20;

struct PortState {
  GrafPort screenPort{};
  GrafPtr current = nullptr;
  std::vector<GrafPtr> windowPorts;
  SInt16 screenWidth = kDefaultScreenWidth;
  SInt16 screenHeight = kDefaultScreenHeight;
  GDHandle mainDevice = nullptr;  // made on first use

  PortState() { Reset(); }

  void Reset() {
    screenWidth = kDefaultScreenWidth;
    screenHeight = kDefaultScreenHeight;
    screenPort.window = nullptr;
    screenPort.screenTopLeft = Point{0, 0};
    screenPort.portRect = Rect{0, 0, 0, 0};
    FollowScreenSize();
    current = &screenPort;
  }

  Rect ScreenRect() const { return Rect{0, 0, screenHeight, screenWidth}; }

  // The screen's port keeps its origin; its size and the device's rectangle follow the screen.
  void FollowScreenSize() {
    Rect& r = screenPort.portRect;
    r.bottom = SInt16(r.top + screenHeight);
    r.right = SInt16(r.left + screenWidth);
    if (mainDevice != nullptr) (**mainDevice).gdRect = ScreenRect();
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

GrafPtr CurrentPort() {
  return State().current;
}

}  // namespace

namespace sp_platform {

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
  State().Reset();
}

}  // namespace sp_platform

void GetPort(GrafPtr* port) {
  if (port == nullptr) return;
  *port = CurrentPort();
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
  Rect& r = CurrentPort()->portRect;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  r.left = h;
  r.top = v;
  r.right = SInt16(h + width);
  r.bottom = SInt16(v + height);
}

void LocalToGlobal(Point* pt) {
  if (pt == nullptr) return;
  const GrafPort& port = *CurrentPort();
  pt->h = SInt16(pt->h - port.portRect.left + port.screenTopLeft.h);
  pt->v = SInt16(pt->v - port.portRect.top + port.screenTopLeft.v);
}

void GlobalToLocal(Point* pt) {
  if (pt == nullptr) return;
  const GrafPort& port = *CurrentPort();
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
  }
  return s.mainDevice;
}

GDHandle GetGDevice() {
  return GetMainDevice();
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
