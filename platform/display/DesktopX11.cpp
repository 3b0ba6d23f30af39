// The X11 calls of the desktop backend (see detail/DesktopX11.h).
#include "display/detail/DesktopX11.h"

#include <SDL_syswm.h>

namespace sp_platform {
namespace display {
namespace {

bool InfoOf(SDL_Window* window, SDL_SysWMinfo* info) {
  SDL_VERSION(&info->version);
  return window != nullptr && SDL_GetWindowWMInfo(window, info) == SDL_TRUE &&
         info->subsystem == SDL_SYSWM_X11;
}

}  // namespace

unsigned long X11WindowID(SDL_Window* window) {
  SDL_SysWMinfo info;
  return InfoOf(window, &info) ? static_cast<unsigned long>(info.info.x11.window) : 0;
}

bool X11SetOwner(SDL_Window* child, SDL_Window* owner) {
  SDL_SysWMinfo childInfo, ownerInfo;
  if (!InfoOf(child, &childInfo) || !InfoOf(owner, &ownerInfo)) return false;
  XSetTransientForHint(childInfo.info.x11.display, childInfo.info.x11.window,
                       ownerInfo.info.x11.window);
  return true;
}

int X11ConnectionFd(SDL_Window* window) {
  SDL_SysWMinfo info;
  return InfoOf(window, &info) ? ConnectionNumber(info.info.x11.display) : -1;
}

bool X11MapWithoutWaiting(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  XMapRaised(info.info.x11.display, info.info.x11.window);
  XFlush(info.info.x11.display);
  return true;
}

bool X11Bell(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  XBell(info.info.x11.display, 0);
  XFlush(info.info.x11.display);
  return true;
}

}  // namespace display
}  // namespace sp_platform
