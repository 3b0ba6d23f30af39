// sp_rescompile: compiles the application's resource sources into one resource file.
//
//   sp_rescompile -o <output file> <source.r>...
//   sp_rescompile --text -o <output file> <source.txt>
//
// The second form converts a UTF-8 text file that the bundle holds beside the resource file
// into MacJapanese lines ended by carriage returns. Messages name the source and line
// ("framework.r:12: ..."). The output is written to a temporary file and renamed, so a failed
// run leaves the previous file as it was.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ResourceCompiler.h"

namespace {

bool ReadText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return !in.bad();
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  std::string output;
  bool text = false;
  std::vector<sp_rescompile::Source> sources;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--text") {
      text = true;
      continue;
    }
    if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
      continue;
    }
    sp_rescompile::Source source;
    source.name = arg;
    source.folder = FolderOf(arg);
    if (!ReadText(arg, &source.text)) {
      std::fprintf(stderr, "sp_rescompile: cannot read %s\n", arg.c_str());
      return 1;
    }
    sources.push_back(std::move(source));
  }
  if (output.empty() || (text && sources.size() != 1)) {
    std::fprintf(stderr,
                 "usage: sp_rescompile -o <output file> <source.r>...\n"
                 "       sp_rescompile --text -o <output file> <source.txt>\n");
    return 2;
  }
  std::vector<UInt8> bytes;
  std::string error;
  bool done = false;
  if (text) {
    std::string converted;
    done = sp_rescompile::ConvertText(sources[0], &converted, &error);
    bytes.assign(converted.begin(), converted.end());
  } else {
    done = sp_rescompile::Compile(sources, &bytes, &error);
  }
  if (!done) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string temporary = output + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.good()) {
      std::fprintf(stderr, "sp_rescompile: cannot write %s\n", temporary.c_str());
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), output.c_str()) != 0) {
    std::fprintf(stderr, "sp_rescompile: cannot rename %s\n", temporary.c_str());
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
