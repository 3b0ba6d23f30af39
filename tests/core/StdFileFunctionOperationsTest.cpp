#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "StdFileFunctionTestFixture.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// ---- Creating ------------------------------------------------------------------------------

TEST_F(StdFileFunctionTest, CreatedFileCarriesCreatorTypeAndFinderFlags) {
  struct Case {
    std::string name;
    unsigned char invisible, customIcon;
    UInt16 flags;
  } cases[] = {
      {"Plain", 0, 0, kHasBeenInited},
      {"Hidden", 1, 0, kHasBeenInited | kIsInvisible},
      {"Iconic", 0, 1, kHasBeenInited | kHasCustomIcon},
      {Nihongo(6), 1, 1, kHasBeenInited | kIsInvisible | kHasCustomIcon},  // a long name
  };
  for (const Case& c : cases) {
    ASSERT_EQ(noErr, Sp_CreateFileByDirId(vRefNum_, workDirID_, c.name.c_str(), SpFourCC("CWIE"),
                                          SpFourCC("TEXT"), c.invisible, c.customIcon))
        << c.name;
    FSRef ref;
    ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum_, workDirID_, c.name.c_str(),
                                                               kCFStringEncodingMacJapanese, &ref));
    FSCatalogInfo info;
    ASSERT_EQ(noErr,
              FSGetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info, nullptr, nullptr, nullptr));
    const FileInfo expected{SpFourCC("TEXT"), SpFourCC("CWIE"), c.flags, {-1, -1}, 0};
    EXPECT_EQ(0, std::memcmp(info.finderInfo, &expected, sizeof expected)) << c.name;
  }
  EXPECT_EQ(dupFNErr, Sp_CreateFileByDirId(vRefNum_, workDirID_, "Plain", 0, 0, 0, 0));
}

TEST_F(StdFileFunctionTest, CreateFolderReportsAFileInTheWayAndAFailedCreation) {
  MakeFile("IsAFile");
  MakeFolder("IsAFolder");
  EXPECT_EQ(noErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, "IsAFolder"));
  EXPECT_EQ(dupFNErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, "IsAFile"));
  EXPECT_FALSE(IsFolder("IsAFile"));
  EXPECT_EQ(noErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, Nihongo(6).c_str()));
  EXPECT_TRUE(IsFolder(UTF8(Nihongo(6))));

  char work[256];
  ASSERT_EQ(noErr, Sp_DirFullPathNameFromDirID(workDirID_, vRefNum_, work));
  const std::string base(work);
  EXPECT_EQ(1, Sp_CreateFolder((base + ":ByPath").c_str()));
  EXPECT_TRUE(IsFolder("ByPath"));
  EXPECT_EQ(0, Sp_CreateFolder((base + ":ByPath").c_str()));         // there already
  EXPECT_EQ(0, Sp_CreateFolder((base + ":Missing:Inner").c_str()));  // could not be made
  EXPECT_FALSE(Exists("Missing"));
}

// ---- Deleting, renaming, moving, copying ---------------------------------------------------

TEST_F(StdFileFunctionTest, DeleteAndRenameAnswerTheFileSystemsErrors) {
  MakeFolder("Full");
  MakeFile("Full/Inside");
  MakeFile("One");
  MakeFile("Two");
  EXPECT_EQ(fBsyErr, Sp_DeleteFileDirByDirId(vRefNum_, workDirID_, "Full", 0));
  EXPECT_EQ(fnfErr, Sp_DeleteFileDirByDirId(vRefNum_, workDirID_, "Missing", 0));
  EXPECT_EQ(dupFNErr, Sp_RenameFileDirectory(vRefNum_, workDirID_, "One", "Two"));
  EXPECT_EQ(fnfErr, Sp_RenameFileDirectory(vRefNum_, workDirID_, "Missing", "Three"));
  EXPECT_TRUE(Exists("Full/Inside") && Exists("One") && Exists("Two"));
}

// ---- The Trash -----------------------------------------------------------------------------

TEST_F(StdFileFunctionTest, TrashRenamesTheOlderItemsAsideWithNumbers) {
  MakeFile("R", "generation 0");
  ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, "R", 1, nullptr));
  // Where the Trash's older R goes: first the name and the suffix, then also a space and the
  // try number.
  const char* asides[] = {"R Copy", "R Copy 1", "R Copy 2", "R old"};
  for (int generation = 1; generation <= 4; ++generation) {
    const std::string aside = asides[generation - 1];
    MakeFile("R", "generation " + std::to_string(generation));
    ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, "R", 1,
                                               generation == 4 ? " old" : nullptr));
    EXPECT_EQ("generation " + std::to_string(generation), Contents(TrashFiles("R")));
    EXPECT_EQ("generation " + std::to_string(generation - 1), Contents(TrashFiles(aside)));
    EXPECT_TRUE(PathExists(TrashInfo(aside))) << aside;
  }
  EXPECT_TRUE(PathExists(TrashInfo("R")));
}

TEST_F(StdFileFunctionTest, TrashCandidateIsCutTo31BytesOnACharacterBoundary) {
  ASSERT_EQ(noErr, Sp_FindSystemFolderByDirId(vRefNum_, kTrashFolderType, nullptr, nullptr));
  struct Case {
    std::string name;
    std::string aside;
  } cases[] = {
      // 30 bytes: the candidate is exactly 31 bytes ending with the suffix.
      {std::string(30, 'a'), std::string(26, 'a') + " Copy"},
      // 25 ASCII bytes and three two-byte characters: a cut at 26 bytes would split the first
      // of them, so it goes whole.
      {std::string(25, 'b') + Nihongo(1), std::string(25, 'b') + " Copy"},
  };
  for (const Case& c : cases) {
    for (int round = 0; round < 2; ++round) {
      MakeFile(UTF8(c.name));
      ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, c.name.c_str(), 1, 0));
    }
    EXPECT_TRUE(PathExists(TrashFiles(UTF8(c.aside)))) << c.aside;
    EXPECT_TRUE(PathExists(TrashFiles(UTF8(c.name))));
  }
}

// ---- System folders and space --------------------------------------------------------------
