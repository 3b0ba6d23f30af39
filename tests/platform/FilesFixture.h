// Helpers shared by the file layer's tests: a temporary home, Pascal names, host files.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "Files.h"
#include "Folders.h"
#include "TestFiles.h"

namespace files_test {

// A Pascal string built from UTF-8/ASCII test text (names in these tests are ASCII).
class PStr {
 public:
  explicit PStr(const std::string& text) {
    std::size_t n = text.size() > 255 ? 255 : text.size();
    bytes_[0] = static_cast<unsigned char>(n);
    std::memcpy(bytes_ + 1, text.data(), n);
  }
  operator ConstStr255Param() const { return bytes_; }
  operator StringPtr() { return bytes_; }

 private:
  unsigned char bytes_[256] = {};
};

inline void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool HostExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// A folder of the temporary home as (volume, directory id): the Documents folder, made.
struct Folder {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  std::string path;
};

inline Folder DocumentsFolder(const sp_testing::HomeScope& home) {
  Folder f;
  EXPECT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &f.vRefNum, &f.dirID),
            noErr);
  f.path = home.Path("Documents");
  return f;
}

// Runs `body` as a user the kernel checks permissions for: directly when not root; as root
// in a child process that switches to "nobody" first (the kernel ignores file permissions
// for root). Folders the child must reach are opened up by the caller.
inline void RunUnprivileged(const std::function<void()>& body) {
  if (geteuid() != 0) {
    body();
    return;
  }
  // Some containers run root without the right to change user: then there is no way to
  // have the kernel check permissions, and the test is skipped.
  const pid_t probe = fork();
  if (probe == 0) std::_Exit(setegid(65534) == 0 && seteuid(65534) == 0 ? 0 : 1);
  int status = 0;
  if (probe < 0 || waitpid(probe, &status, 0) != probe || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    GTEST_SKIP() << "cannot switch to an unprivileged user here";
  }
  EXPECT_EXIT(
      {
        if (setegid(65534) != 0 || seteuid(65534) != 0) std::_Exit(3);
        body();
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace files_test
