// Replays a corpus without libFuzzer: every file of the folder named on the command line goes
// once through the target's LLVMFuzzerTestOneInput. Built for every target when the tests are,
// so that the sanitizer build reads each seed on every run of the tests.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
    return 2;
  }
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], error)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  if (error || files.empty()) {
    std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[1]);
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
    LLVMFuzzerTestOneInput(bytes.empty() ? nullptr : bytes.data(), bytes.size());
  }
  std::printf("%s: replayed %zu inputs\n", argv[0], files.size());
  return 0;
}
