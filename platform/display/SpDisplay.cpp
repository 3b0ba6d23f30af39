// Choosing the display and opening it (see SpDisplay.h).
#include "SpDisplay.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "display/internal/Backends.h"

namespace sp_platform {
namespace display {
namespace {

constexpr char kSwitch[] = "--display=";
constexpr int kMaxScale = 4;

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
