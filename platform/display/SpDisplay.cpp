// Choosing the display and opening it (see SpDisplay.h).
#include "SpDisplay.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MacWindows.h"
#include "display/detail/Desktop.h"
#include "display/detail/DesktopX11.h"
#include "display/internal/Backends.h"

namespace sp_platform {
namespace display {
namespace {

constexpr char kSwitch[] = "--display=";
constexpr int kMaxScale = 4;
constexpr char kAddressKind[] = "x11";
constexpr unsigned long kMaxXID = 0x1FFFFFFFul;  // X resource ids have 29 bits

bool KindOfWord(const char* word, SpDisplayKind* out) {
  if (std::strcmp(word, "desktop") == 0) {
    *out = kSpDisplayDesktop;
    return true;
  }
  if (std::strcmp(word, "headless") == 0) {
    *out = kSpDisplayHeadless;
    return true;
  }
  return false;
}

// "x11 <display> <id>": the display's name and the window's id; false for anything else.
bool ParseAddress(const std::string& address, std::string* display, unsigned long* window) {
  const std::size_t first = address.find(' ');
  const std::size_t second = address.find(' ', first == std::string::npos ? first : first + 1);
  if (second == std::string::npos || address.compare(0, first, kAddressKind) != 0) return false;
  *display = address.substr(first + 1, second - first - 1);
  const std::string id = address.substr(second + 1);
  if (display->empty() || id.size() < 3 || id.size() > 10 || id.compare(0, 2, "0x") != 0 ||
      id.find_first_not_of("0123456789abcdef", 2) != std::string::npos) {
    return false;
  }
  *window = std::strtoul(id.c_str() + 2, nullptr, 16);
  return *window != 0 && *window <= kMaxXID;
}

}  // namespace

bool ChooseDisplay(int* argc, char** argv, const char* variable, SpDisplayKind defaultKind,
                   SpDisplayKind* out, std::string* message) {
  *out = defaultKind;
  const std::size_t switchLength = std::strlen(kSwitch);
  if (argc != nullptr && argv != nullptr) {
    for (int i = 1; i < *argc; ++i) {
      if (argv[i] == nullptr || std::strncmp(argv[i], kSwitch, switchLength) != 0) continue;
      const char* word = argv[i] + switchLength;
      if (!KindOfWord(word, out)) {
        if (message != nullptr) {
          *message = std::string("Unknown display \"") + word +
                     "\": use --display=desktop or --display=headless.";
        }
        return false;
      }
      for (int j = i; j + 1 < *argc; ++j) argv[j] = argv[j + 1];
      argv[--*argc] = nullptr;
      return true;
    }
  }
  if (variable != nullptr && variable[0] != '\0' && !KindOfWord(variable, out)) {
    if (message != nullptr) {
      *message = std::string("Unknown display \"") + variable +
                 "\" in SP_DISPLAY: use desktop or headless.";
    }
    return false;
  }
  return true;
}

int ChooseScale(const char* variable, float dotsPerInch) {
  if (variable != nullptr && variable[0] >= '1' && variable[0] <= '0' + kMaxScale &&
      variable[1] == '\0') {
    return variable[0] - '0';
  }
  if (!(dotsPerInch > 0) || !std::isfinite(dotsPerInch)) return 1;
  const int scale = int(std::floor(dotsPerInch / 96.0f + 0.25f));
  return scale < 1 ? 1 : scale > kMaxScale ? kMaxScale : scale;
}

}  // namespace display
}  // namespace sp_platform

OSStatus SpOpenDisplay(int* argc, char** argv, SpDisplayKind defaultKind, std::string* message) {
  using namespace sp_platform::display;
  SpDisplayKind kind = defaultKind;
  std::string why;
  if (!ChooseDisplay(argc, argv, std::getenv("SP_DISPLAY"), defaultKind, &kind, &why)) {
    if (message != nullptr) *message = why;
    return paramErr;
  }
  if (kind == kSpDisplayHeadless) {
    CloseDesktop();
    return noErr;
  }
  if (!OpenDesktop(&why)) {
    if (message != nullptr) *message = why;
    return ioErr;
  }
  return noErr;
}

SpDisplayKind SpCurrentDisplay() {
  return sp_platform::display::DesktopOpen() ? kSpDisplayDesktop : kSpDisplayHeadless;
}

void SpCloseDisplay() {
  sp_platform::display::CloseDesktop();
}

std::string SpDesktopWindowAddress(WindowRef window) {
  using namespace sp_platform::display;
  if (window == nullptr || !DesktopOpen() || !IsValidWindowPtr(window) || !IsWindowVisible(window))
    return std::string();
  if (ShownOf(window) == nullptr) SyncWindows();
  const ShownWindow* shown = ShownOf(window);
  if (shown == nullptr) return std::string();
  const unsigned long id = X11WindowID(shown->sdl);
  const std::string display = X11DisplayName(shown->sdl);
  if (id == 0 || id > kMaxXID || display.empty() ||
      display.find_first_of(" \t\n") != std::string::npos) {
    return std::string();
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%lx", id);
  return std::string(kAddressKind) + " " + display + " " + hex;
}

OSStatus SpActivateDesktopWindow(const std::string& address) {
  using namespace sp_platform::display;
  std::string display;
  unsigned long window = 0;
  if (!ParseAddress(address, &display, &window)) return paramErr;
  switch (X11ActivateWindow(display, window)) {
    case X11Activation::kAsked:
      return noErr;
    case X11Activation::kOtherDisplay:
      return nsvErr;
    case X11Activation::kNoSuchWindow:
      break;
  }
  return fnfErr;
}
