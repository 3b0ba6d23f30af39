// The desktop's bookmarks file, as the file dialogs read it for their places: every line
// parsed and every place a path or skipped.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/internal/Navigation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const sp_platform::nav::Place& place : sp_platform::nav::ParseBookmarks(text)) {
    if (place.path.empty() || place.path[0] != '/') __builtin_trap();
  }
  return 0;
}
