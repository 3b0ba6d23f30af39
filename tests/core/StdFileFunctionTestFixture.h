// A temporary home for the file library's tests: a work folder inside the Preferences folder,
// known both by its Linux path (to make and inspect fixtures independently of the library)
// and by its volume and directory id (to hand to the library).
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "SpStdFileFunction.h"
#include "SpTextCodec.h"
#include "TestFiles.h"

class StdFileFunctionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    SInt32 prefDirID = 0;
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum_,
                                &prefDirID));
    ASSERT_EQ(0, mkdir(Linux("").c_str(), 0700));
    ASSERT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(vRefNum_, prefDirID, "work", workDirID_));
  }

  // The Linux path of an item of the work folder ("" the folder itself); names are UTF-8.
  std::string Linux(const std::string& relative) const {
    return home_.Path(".config/work") + (relative.empty() ? "" : "/" + relative);
  }
  void MakeFile(const std::string& relative, const std::string& contents = "data") const {
    std::ofstream(Linux(relative), std::ios::binary) << contents;
  }
  void MakeFolder(const std::string& relative) const {
    ASSERT_EQ(0, mkdir(Linux(relative).c_str(), 0700)) << relative;
  }
  bool Exists(const std::string& relative) const {
    struct stat st;
    return lstat(Linux(relative).c_str(), &st) == 0;
  }
  bool IsFolder(const std::string& relative) const {
    struct stat st;
    return stat(Linux(relative).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  // The directory id of a folder of the work folder.
  SInt32 FolderID(const char* name) const {
    SInt32 id = 0;
    EXPECT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(vRefNum_, workDirID_, name, id)) << name;
    return id;
  }
  // The Trash of the home volume, as Linux paths.
  std::string TrashFiles(const std::string& name = "") const {
    return home_.Path(".local/share/Trash/files") + (name.empty() ? "" : "/" + name);
  }
  static bool PathExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }
  static std::string UTF8(const std::string& macJapanese) {
    return sp::text::MacJapaneseToUTF8(macJapanese);
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  short vRefNum_ = 0;
  SInt32 workDirID_ = 0;
};

// MacJapanese texts of the tests: "日本語" (6 bytes) and names built from it.
inline std::string Nihongo(int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += "\x93\xFA\x96\x7B\x8C\xEA";
  return text;
}
