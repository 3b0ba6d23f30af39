#include "FuzzHome.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace sp_fuzz {
namespace {

// The home's path outlives every static object: it is removed by an exit handler, which
// may run after the destructors of statics made before it was registered.
const std::string* MakeHome() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                        "/sp-fuzz-home-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return new std::string();
  setenv("HOME", pattern.c_str(), 1);
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                           "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
    unsetenv(name);
  }
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(Home(), ignored);
  });
  return new std::string(pattern);
}

}  // namespace

const std::string& Home() {
  static const std::string* const home = MakeHome();
  return *home;
}

bool WriteFile(const std::string& path, const uint8_t* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace sp_fuzz
