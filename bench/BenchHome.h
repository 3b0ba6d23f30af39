// A temporary home for a benchmark, so that the Folder Manager finds its files where the
// program looks and nothing reaches the home of whoever runs it.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

namespace bench {

inline std::string& HomeToRemove() {
  static std::string home;
  return home;
}

inline void RemoveHome() {
  if (!HomeToRemove().empty()) std::system(("rm -rf '" + HomeToRemove() + "'").c_str());
}

// Makes /tmp/<prefix>-XXXXXX with these folders, points HOME and the XDG folders at it (the
// runtime folder too, so that the program's session lock is the benchmark's own) and,
// unless keep, removes it when the program ends (after the file layer has saved its catalogue
// there at exit: this handler is registered before the file layer is first used). The XDG
// variable of a user folder the benchmark uses is unset, so that the default below the home
// holds. Empty when it cannot be made.
inline std::string MakeHome(const char* prefix, bool keep, const char* userFolderVariable,
                            std::initializer_list<const char*> folders) {
  std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) {
    std::perror("mkdtemp");
    return std::string();
  }
  if (!keep) {
    HomeToRemove() = pattern;
    std::atexit(RemoveHome);
  }
  setenv("HOME", pattern.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (pattern + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (pattern + "/.local/share").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (pattern + "/.runtime").c_str(), 1);
  unsetenv(userFolderVariable);
  for (const char* dir : {"/.config", "/.local", "/.local/share", "/.runtime"})
    mkdir((pattern + dir).c_str(), 0700);
  for (const char* dir : folders) mkdir((pattern + dir).c_str(), 0700);
  return pattern;
}

}  // namespace bench
