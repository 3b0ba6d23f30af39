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
#include "MacMemory.h"
#include "TestFiles.h"
#include "files/detail/Catalog.h"

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

// A handle's bytes, and a new handle holding bytes.
inline std::string Bytes(Handle h) {
  return std::string(*h, std::size_t(GetHandleSize(h)));
}

inline Handle HandleOf(const std::string& bytes) {
  Handle h = NewHandle(Size(bytes.size()));
  if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

inline mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

inline const UniChar* U(const std::u16string& s) {
  return reinterpret_cast<const UniChar*>(s.data());
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

// A folder of the temporary home by its path relative to the home ("" for the home itself).
inline Folder FolderAt(const sp_testing::HomeScope& home, const std::string& relative) {
  sp_platform::files::Location loc;
  EXPECT_EQ(sp_platform::files::LocatePath(home.Path(relative), loc), noErr) << relative;
  EXPECT_TRUE(loc.isFolder) << relative;
  return Folder{loc.vRefNum, SInt32(loc.nodeID), loc.path};
}

inline FSRef RefAt(const sp_testing::HomeScope& home, const std::string& relative) {
  sp_platform::files::Location loc;
  EXPECT_EQ(sp_platform::files::LocatePath(home.Path(relative), loc), noErr) << relative;
  FSRef ref{};
  sp_platform::files::MakeFSRef(loc, &ref);
  return ref;
}

inline std::string PathOf(const FSRef& ref) {
  sp_platform::files::Location loc;
  return sp_platform::files::LocateRef(&ref, loc) == noErr ? loc.path : std::string("(none)");
}

inline std::string Text(const unsigned char* pascal) {
  return std::string(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
}

// PBGetCatInfoSync for the index'th item of a folder, or (index -1) for the folder of id dirID.
inline OSErr CatInfoOf(SInt16 vRefNum, SInt32 dirID, SInt16 index, CInfoPBRec* pb,
                       std::string* name = nullptr) {
  static Str255 buffer;
  *pb = CInfoPBRec{};
  buffer[0] = 0;
  pb->hFileInfo.ioNamePtr = buffer;
  pb->hFileInfo.ioVRefNum = vRefNum;
  pb->hFileInfo.ioDirID = dirID;
  pb->hFileInfo.ioFDirIndex = index;
  const OSErr err = PBGetCatInfoSync(pb);
  if (name != nullptr) *name = Text(buffer);
  return err;
}

// PBHGetFInfoSync of a file by name; ioDirID then holds the file's id.
inline HParamBlockRec FileInfoOf(const Folder& folder, const std::string& name,
                                 OSErr expected = noErr) {
  HParamBlockRec pb{};
  PStr n(name);
  pb.fileParam.ioNamePtr = n;
  pb.fileParam.ioVRefNum = folder.vRefNum;
  pb.fileParam.ioDirID = folder.dirID;
  EXPECT_EQ(PBHGetFInfoSync(&pb), expected) << name;
  pb.fileParam.ioNamePtr = nullptr;
  return pb;
}

// The id of a file by its name (PBHGetFInfoSync's ioDirID), and an FSRef of an item by its
// name, through its FSSpec.
inline SInt32 FileID(const Folder& folder, const std::string& name) {
  return FileInfoOf(folder, name).fileParam.ioDirID;
}

inline FSRef Ref(const Folder& folder, const std::string& name) {
  FSSpec spec{};
  EXPECT_EQ(FSMakeFSSpec(folder.vRefNum, folder.dirID, PStr(name), &spec), noErr) << name;
  FSRef ref{};
  EXPECT_EQ(FSpMakeFSRef(&spec, &ref), noErr) << name;
  return ref;
}

inline Folder DocumentsFolder(const sp_testing::HomeScope& home) {
  mkdir(home.Path("Documents").c_str(), 0700);
  return FolderAt(home, "Documents");
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
