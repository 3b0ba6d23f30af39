// The Trash as other programs see it: trash-cli's trash-list lists what the info files
// describe, and an entry whose item is missing from "files" is a phantom there.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace test_support {

inline bool HaveTrashCli() {
  return std::system(
             "command -v trash-list >/dev/null 2>&1 && command -v trash-restore "
             ">/dev/null 2>&1") == 0;
}

// The entries trash-list lists (one "date time path" a line) whose path lies in `folder`.
inline std::vector<std::string> TrashListedFrom(const std::string& folder) {
  std::vector<std::string> lines;
  FILE* pipe = popen("trash-list 2>/dev/null", "r");
  if (pipe == nullptr) return lines;
  std::string out;
  char buf[512];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  pclose(pipe);
  std::istringstream text(out);
  for (std::string line; std::getline(text, line);) {
    if (line.find(" " + folder + "/") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

// The info files of the Trash (holding "files" and "info") that describe an item, with a
// "Path=" that trash-list shows, while "files" lacks that item: the phantoms a kill could leave.
inline std::vector<std::string> TrashPhantoms(const std::string& trash) {
  static const std::string kSuffix = ".trashinfo";
  std::vector<std::string> phantoms;
  DIR* dir = opendir((trash + "/info").c_str());
  if (dir == nullptr) return phantoms;
  while (dirent* d = readdir(dir)) {
    const std::string name = d->d_name;
    if (name.size() <= kSuffix.size() ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
      continue;
    }
    std::ifstream in(trash + "/info/" + name);
    std::stringstream s;
    s << in.rdbuf();
    struct stat st {};
    const std::string item = trash + "/files/" + name.substr(0, name.size() - kSuffix.size());
    if (s.str().find("\nPath=") != std::string::npos && lstat(item.c_str(), &st) != 0)
      phantoms.push_back(name);
  }
  closedir(dir);
  return phantoms;
}

// How many entries the Trash's folder holds ("files" or "info").
inline int TrashEntries(const std::string& trash, const char* folder) {
  int count = 0;
  if (DIR* dir = opendir((trash + "/" + folder).c_str())) {
    while (dirent* d = readdir(dir)) count += d->d_name[0] != '.';
    closedir(dir);
  }
  return count;
}

}  // namespace test_support
