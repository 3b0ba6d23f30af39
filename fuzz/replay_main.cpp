// Replays a corpus without libFuzzer: every file of the folder named on the command line goes
// once through the named target. Built when the tests are, so that the sanitizer build reads
// each seed on every run of the tests. One program holds every target: each target's
// LLVMFuzzerTestOneInput is compiled as SpFuzzReplay_<name>, and SP_FUZZ_TARGETS lists the
// names (see CMakeLists.txt).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define SP_FUZZ_TARGET(name) extern "C" int SpFuzzReplay_##name(const uint8_t* data, size_t size);
SP_FUZZ_TARGETS
#undef SP_FUZZ_TARGET

namespace {

struct Target {
  const char* name;
  int (*testOneInput)(const uint8_t* data, size_t size);
};

const Target kTargets[] = {
#define SP_FUZZ_TARGET(name) {#name, SpFuzzReplay_##name},
    SP_FUZZ_TARGETS
#undef SP_FUZZ_TARGET
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TARGET CORPUS-FOLDER\n", argv[0]);
    return 2;
  }
  const Target* target =
      std::find_if(std::begin(kTargets), std::end(kTargets),
                   [&](const Target& t) { return std::strcmp(t.name, argv[1]) == 0; });
  if (target == std::end(kTargets)) {
    std::fprintf(stderr, "%s: no target named %s\n", argv[0], argv[1]);
    return 2;
  }
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argv[2], error)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  if (error || files.empty()) {
    std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[2]);
    return 1;
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], path.c_str());
      return 1;
    }
    // A null pointer for an empty input, as libFuzzer may pass.
    target->testOneInput(bytes.empty() ? nullptr : bytes.data(), bytes.size());
  }
  std::printf("%s %s: replayed %zu inputs\n", argv[0], argv[1], files.size());
  return 0;
}
