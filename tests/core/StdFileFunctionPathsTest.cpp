#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "StdFileFunctionTestFixture.h"

// ---- Building paths on a volume whose layout the test chooses --------------------------------

class StdFileFunctionDiscTest : public StdFileFunctionTest {
 protected:
  void SetUp() override {
    StdFileFunctionTest::SetUp();
    MakeFolder("Disc");
    MakeFile("Disc/.TOC.plist", "");
    MakeFolder("Disc/Inner");
    MakeFolder("Disc/Inner/Deep");
    MakeFile("Disc/Inner/Deep/Track");
    disc_ = sp_testing::MountAudioCD(Linux("Disc"));
    ASSERT_NE(0, disc_);
    ASSERT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(disc_, fsRtDirID, "Inner", inner_));
    ASSERT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(disc_, inner_, "Deep", deep_));
  }
  short disc_ = 0;
  SInt32 inner_ = 0, deep_ = 0;
};

TEST_F(StdFileFunctionDiscTest, FullPathsOfRootFolderInRootAndDeeperFolder) {
  struct Case {
    SInt32 dirID;
    const char* path;
  } cases[] = {
      {fsRtDirID, "Disc"},  // the root folder is the volume's name alone, no colon
      {inner_, "Disc:Inner"},
      {deep_, "Disc:Inner:Deep"},
  };
  for (const Case& c : cases) {
    SInt32 dirID = c.dirID;
    char path[256];
    EXPECT_EQ(noErr, Sp_DirFullPathNameFromDirID(dirID, disc_, path));
    EXPECT_STREQ(c.path, path);
    short length = 0;
    EXPECT_EQ(noErr, Sp_GetDirFullPathNameLength(disc_, dirID, length));
    EXPECT_EQ(short(std::strlen(c.path)), length) << c.path;
    // And back: a full path finds its folder, the volume's bare name its root.
    SInt32 found = 0;
    EXPECT_EQ(noErr, Sp_GetDirIdFromFullPathName(c.path, found));
    EXPECT_EQ(dirID, found) << c.path;
  }
  char path[256], name[256];
  EXPECT_EQ(noErr, Sp_FullPathNameFromFileInfo(disc_, deep_, "Track", path));
  EXPECT_STREQ("Disc:Inner:Deep:Track", path);
  std::strcpy(path, "Track");
  EXPECT_EQ(noErr, Sp_PathNameFromDirID(deep_, disc_, path));
  EXPECT_STREQ("Disc:Inner:Deep:Track", path);
  short vRefNum = 0;
  SInt32 dirID = 0;
  EXPECT_EQ(noErr, Sp_GetFileInfoFromFullPathName(path, &vRefNum, &dirID, name));
  EXPECT_EQ(std::to_string(vRefNum == disc_) + std::to_string(dirID == deep_) + name, "11Track");
}

// ---- Paths beyond 255 bytes ------------------------------------------------------------------

TEST_F(StdFileFunctionTest, PathBuildersRefusePathsLongerThan255BytesWithoutOverflow) {
  const std::string part(30, 'p');
  std::string relative;
  SInt32 dirID = workDirID_;
  for (int i = 0; i < 9; ++i) {  // the work folder's path plus 9 x 31 bytes: beyond 255
    relative += (i ? "/" : "") + part;
    MakeFolder(relative);
    ASSERT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(vRefNum_, dirID, part.c_str(), dirID));
  }
  // The last: a name that pushes a short folder path past the limit.
  for (int call = 0; call < 3; ++call) {
    SCOPED_TRACE(call);
    char out[512];
    std::memset(out, 0x5A, sizeof out);  // a guard zone after the 256 bytes a path may take
    std::memset(out, 0, 256);
    std::memset(out, 'n', 250);
    EXPECT_EQ(bdNamErr, call == 0   ? Sp_DirFullPathNameFromDirID(dirID, vRefNum_, out)
                        : call == 1 ? Sp_FullPathNameFromFileInfo(vRefNum_, dirID, "name", out)
                                    : Sp_PathNameFromDirID(workDirID_, vRefNum_, out));
    EXPECT_STREQ("", out);
    EXPECT_EQ(std::string(out + 256, 256), std::string(256, 0x5A));
  }
  short length = 0;  // the length is still told, so a caller can see why
  EXPECT_EQ(noErr, Sp_GetDirFullPathNameLength(vRefNum_, dirID, length));
  EXPECT_GT(length, 255);
}

// A path of exactly 255 bytes is built; one byte more, in the folders or in the name, is
// refused.
TEST_F(StdFileFunctionTest, PathsOfExactly255BytesAreBuiltAndOneByteMoreIsRefused) {
  char work[512];
  ASSERT_EQ(noErr, Sp_DirFullPathNameFromDirID(workDirID_, vRefNum_, work));
  const std::size_t base = std::strlen(work);
  ASSERT_LT(base + 40, 255u);
  // A chain of folders of classic names (at most 31 bytes) whose path is `length` bytes long.
  auto chain = [&](char letter, std::size_t length) {
    std::string relative;
    SInt32 dirID = workDirID_;
    for (std::size_t left = length - base; left > 0;) {
      std::size_t size = std::min<std::size_t>(31, left - 1);
      if (left - (size + 1) == 1) --size;  // the next folder needs a colon and a byte
      const std::string name(size, letter);
      relative += (relative.empty() ? "" : "/") + name;
      MakeFolder(relative);
      EXPECT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(vRefNum_, dirID, name.c_str(), dirID));
      left -= size + 1;
    }
    return dirID;
  };
  const SInt32 full = chain('a', 255), over = chain('b', 256), shorter = chain('c', 223);
  char out[512];
  EXPECT_EQ(noErr, Sp_DirFullPathNameFromDirID(full, vRefNum_, out));
  EXPECT_EQ(std::strlen(out), 255u);
  EXPECT_EQ(bdNamErr, Sp_DirFullPathNameFromDirID(over, vRefNum_, out));
  EXPECT_STREQ("", out);
  EXPECT_EQ(noErr,
            Sp_FullPathNameFromFileInfo(vRefNum_, shorter, std::string(31, 'n').c_str(), out));
  EXPECT_EQ(std::strlen(out), 255u);
  EXPECT_EQ(bdNamErr,
            Sp_FullPathNameFromFileInfo(vRefNum_, shorter, std::string(32, 'n').c_str(), out));
  std::strcpy(out, std::string(31, 'n').c_str());
  EXPECT_EQ(noErr, Sp_PathNameFromDirID(shorter, vRefNum_, out));
  EXPECT_EQ(std::strlen(out), 255u);
  std::strcpy(out, std::string(32, 'n').c_str());
  EXPECT_EQ(bdNamErr, Sp_PathNameFromDirID(shorter, vRefNum_, out));
}

// ---- Splitting paths -------------------------------------------------------------------------

TEST(StdFileFunctionSplit, SplitsVolumeFolderNameAndExtension) {
  // The name, the folder without and with its colon, the volume.
  const char* cases[][2] = {
      {"V:X:Y:N", "N|V:X:Y|V:X:Y:|V"},
      {"V:N", "N|V|V:|V"},
      {"N", "N||:|N"},  // no colon: its own name and its own volume
      // Two-byte names: "日本" folder, "語" file.
      {"V:\x93\xFA\x96\x7B:\x8C\xEA", "\x8C\xEA|V:\x93\xFA\x96\x7B|V:\x93\xFA\x96\x7B:|V"},
  };
  for (const auto& c : cases) {
    char name[256], folder[256], withColon[256], volume[256];
    Sp_GetFileNameFromFullPath(c[0], name);
    Sp_GetDirFullPathNameFromFullPathFileName(c[0], folder, 0);
    Sp_GetDirFullPathNameFromFullPathFileName(c[0], withColon, 1);
    Sp_GetVolNameFromFullPath(c[0], volume);
    EXPECT_EQ(std::string(name) + "|" + folder + "|" + withColon + "|" + volume, c[1]);
  }
  char untouched[8] = "keep";
  Sp_GetFileNameFromFullPath("", untouched);
  EXPECT_STREQ("keep", untouched);
  // The extension is the text after the last dot; a trailing dot is none.
  const char* names[][2] = {{"archive.tar.gz", "1 gz archive.tar"},
                            {"name.", "0  name."},
                            {".profile", "1 profile "},
                            {"plain", "0  plain"}};
  for (const auto& c : names) {
    char extension[64] = "", base[64];
    const int has = Sp_GetFileExtendName(c[0], extension) != 0;
    Sp_GetNotContainFileExtendFileName(c[0], base);
    EXPECT_EQ(std::to_string(has) + " " + extension + " " + base, c[1]);
  }
}

// ---- Existence and ids ---------------------------------------------------------------------

TEST_F(StdFileFunctionTest, FileTestSeesOnlyFilesDirectoryTestSeesBoth) {
  const std::string longName = Nihongo(6);  // 36 bytes: a long name
  MakeFolder("A");
  MakeFolder("B");
  MakeFile("A/Same");
  MakeFolder("B/Same");
  MakeFile("A/" + UTF8(longName));
  MakeFolder("B/" + UTF8(longName));
  struct Case {
    const char* folder;
    std::string name;
    short file, item;
  } cases[] = {
      {"A", "Same", 1, 1},    {"B", "Same", 0, 1},    // a folder of that name is no file
      {"A", longName, 1, 1},  {"B", longName, 0, 1},  // also when the name is long
      {"A", "Missing", 0, 0},
  };
  for (const Case& c : cases) {
    SInt32 dirID = FolderID(c.folder);
    EXPECT_EQ(c.file, Sp_ExsitTargetFile(vRefNum_, dirID, c.name.c_str())) << c.folder << c.name;
    EXPECT_EQ(c.item, Sp_ExsitTargetDirectory(vRefNum_, dirID, c.name.c_str()))
        << c.folder << c.name;
  }
  EXPECT_EQ(0u, log_.Count());
}

TEST_F(StdFileFunctionTest, FileIdResolvesAfterRenameAndMove) {
  MakeFile("Song");
  MakeFolder("Later");
  SInt32 fileID = 0;
  ASSERT_EQ(noErr, Sp_GetFileIdFromFileNameInDirId(vRefNum_, workDirID_, "Song", fileID));

  SInt32 parent = 0;
  char name[64];
  ASSERT_EQ(noErr, Sp_GetFileNameFromFileId(vRefNum_, fileID, parent, name));
  EXPECT_EQ(workDirID_, parent);
  EXPECT_STREQ("Song", name);

  ASSERT_EQ(0, std::rename(Linux("Song").c_str(), Linux("Renamed").c_str()));
  ASSERT_EQ(noErr, Sp_GetFileNameFromFileId(vRefNum_, fileID, parent, name));
  EXPECT_STREQ("Renamed", name);

  ASSERT_EQ(0, std::rename(Linux("Renamed").c_str(), Linux("Later/Renamed").c_str()));
  ASSERT_EQ(noErr, Sp_GetFileNameFromFileId(vRefNum_, fileID, parent, name));
  EXPECT_EQ(FolderID("Later"), parent);
  EXPECT_STREQ("Renamed", name);
}

TEST_F(StdFileFunctionTest, IdsOfFoldersAndFilesAreNotInterchangeable) {
  MakeFolder("Folder");
  MakeFile("File");
  SInt32 id = 0;
  EXPECT_EQ(dirNFErr, Sp_GetDirIdFromDirNameInDirId(vRefNum_, workDirID_, "File", id));
  EXPECT_NE(noErr, Sp_GetFileIdFromFileNameInDirId(vRefNum_, workDirID_, "Folder", id));
}

TEST_F(StdFileFunctionTest, LookUpsWithNullArgumentsReportAndGiveParamErr) {
  SInt32 id = 0;
  short vRefNum = 0;
  EXPECT_EQ(paramErr, Sp_DirFullPathNameFromDirID(workDirID_, vRefNum_, nullptr));
  EXPECT_EQ(paramErr, Sp_GetDirIdFromFullPathName(nullptr, id));
  EXPECT_EQ(paramErr, Sp_GetVolIdFromVolName(nullptr, vRefNum));
  EXPECT_EQ(paramErr, Sp_GetFileInfoFromFullPathName("", &vRefNum, &id, nullptr));
  EXPECT_EQ(paramErr, Sp_GetDirNameFromDirID(workDirID_, vRefNum_, nullptr, nullptr));
  char out[8] = "keep";
  Sp_GetFileNameFromFullPath(nullptr, out);  // the splitters write nothing
  EXPECT_EQ(0, Sp_GetFileExtendName(nullptr, out));
  EXPECT_STREQ("keep", out);
  EXPECT_EQ(7u, log_.Count());
  EXPECT_EQ(7u, log_.Beeps());
  EXPECT_EQ("SpStdFileFunction", log_.Records()[0].source);
  for (const CapturedRecord& record : log_.Records()) {
    EXPECT_EQ(1, record.code);
    EXPECT_EQ("Pointer Arg is 0L", record.message);
  }
}
