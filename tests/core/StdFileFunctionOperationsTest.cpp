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
    EXPECT_TRUE(Exists(UTF8(c.name)));
    FSRef ref;
    ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum_, workDirID_, c.name.c_str(),
                                                               kCFStringEncodingMacJapanese, &ref));
    FSCatalogInfo info;
    ASSERT_EQ(noErr,
              FSGetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info, nullptr, nullptr, nullptr));
    const FileInfo* finder = reinterpret_cast<const FileInfo*>(info.finderInfo);
    EXPECT_EQ(SpFourCC("CWIE"), finder->fileCreator) << c.name;
    EXPECT_EQ(SpFourCC("TEXT"), finder->fileType) << c.name;
    EXPECT_EQ(c.flags, finder->finderFlags) << c.name;
    EXPECT_EQ(-1, finder->location.v);
    EXPECT_EQ(-1, finder->location.h);
  }
  EXPECT_EQ(dupFNErr, Sp_CreateFileByDirId(vRefNum_, workDirID_, "Plain", 0, 0, 0, 0));
}

TEST_F(StdFileFunctionTest, CreateFolderReportsAFileInTheWayAndAFailedCreation) {
  MakeFile("IsAFile");
  MakeFolder("IsAFolder");
  EXPECT_EQ(noErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, "IsAFolder"));
  EXPECT_EQ(dupFNErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, "IsAFile"));
  EXPECT_FALSE(IsFolder("IsAFile"));
  EXPECT_EQ(noErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, "New"));
  EXPECT_TRUE(IsFolder("New"));
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
  EXPECT_TRUE(Exists("Full/Inside"));
  EXPECT_TRUE(Exists("One"));
  EXPECT_TRUE(Exists("Two"));
}

// ---- The Trash -----------------------------------------------------------------------------

TEST_F(StdFileFunctionTest, TrashRenamesTheOlderItemsAsideWithNumbers) {
  MakeFile("R", "generation 0");
  ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, "R", 1, nullptr));
  struct Step {
    const char* suffix;
    const char* aside;  // where the Trash's older R goes
  } steps[] = {
      {nullptr, "R Copy"},    // first the name and the suffix
      {nullptr, "R Copy 1"},  // then also a space and the try number
      {nullptr, "R Copy 2"},
      {" old", "R old"},
  };
  int generation = 1;
  for (const Step& step : steps) {
    MakeFile("R", "generation " + std::to_string(generation));
    ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, "R", 1, step.suffix));
    EXPECT_FALSE(Exists("R"));
    EXPECT_EQ("generation " + std::to_string(generation), Contents(TrashFiles("R")));
    EXPECT_EQ("generation " + std::to_string(generation - 1), Contents(TrashFiles(step.aside)))
        << step.aside;
    EXPECT_TRUE(PathExists(TrashInfo(step.aside))) << step.aside;
    ++generation;
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
    MakeFile(UTF8(c.name));
    ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, c.name.c_str(), 1, nullptr));
    MakeFile(UTF8(c.name));
    ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, c.name.c_str(), 1, nullptr));
    EXPECT_TRUE(PathExists(TrashFiles(UTF8(c.aside)))) << c.aside;
    EXPECT_TRUE(PathExists(TrashFiles(UTF8(c.name))));
  }
}

// ---- System folders and space --------------------------------------------------------------
