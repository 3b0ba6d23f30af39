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

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
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

TEST_F(StdFileFunctionTest, InitFolderIsMadeOnceAndFoundAgain) {
  short firstVRefNum = 0, secondVRefNum = 0;
  SInt32 firstDirID = 0, secondDirID = 0;
  ASSERT_EQ(1, Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Zanthe Folder",
                                            firstVRefNum, firstDirID));
  ASSERT_EQ(1, Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Zanthe Folder",
                                            secondVRefNum, secondDirID));
  EXPECT_EQ(firstVRefNum, secondVRefNum);
  EXPECT_EQ(firstDirID, secondDirID);
  const std::string folder = home_.Path(".config/Zanthe Folder");
  EXPECT_EQ(mode_t(0700), ModeOf(folder));
  EXPECT_EQ(1, Sp_ExsitTargetDirectoryWithDirId(firstVRefNum, firstDirID));

  // The same by full path: found without creating, made only when asked.
  char path[256];
  EXPECT_EQ(1,
            Sp_CreateInitFolder("Zanthe Folder", 0, path, kOnSystemDisk, kPreferencesFolderType));
  EXPECT_EQ(":.config:Zanthe Folder",
            std::string(path).substr(std::strlen(path) - std::strlen(":.config:Zanthe Folder")));
  EXPECT_EQ(0, Sp_CreateInitFolder("Other", 0, path, kOnSystemDisk, kPreferencesFolderType));
  EXPECT_FALSE(PathExists(home_.Path(".config/Other")));
  EXPECT_EQ(1, Sp_CreateInitFolder("Other", 1, path, kOnSystemDisk, kPreferencesFolderType));
  EXPECT_TRUE(PathExists(home_.Path(".config/Other")));

  // A file in the folder's place is no folder.
  std::ofstream(home_.Path(".config/Blocked")) << "x";
  EXPECT_EQ(0, Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Blocked",
                                            firstVRefNum, firstDirID));
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

TEST_F(StdFileFunctionTest, CopyKeepsFinderInformationUnderTheNewName) {
  MakeFolder("Target");
  ASSERT_EQ(noErr, Sp_CreateFileByDirId(vRefNum_, workDirID_, "Original", SpFourCC("Atro"),
                                        SpFourCC("Chck"), 0, 0));
  ASSERT_EQ(noErr, Sp_CopyFileOrDir(vRefNum_, workDirID_, "Original", vRefNum_, FolderID("Target"),
                                    "Copy"));
  FInfo info;
  Str255 name =
      "\x04"
      "Copy";
  ASSERT_EQ(noErr, HGetFInfo(vRefNum_, FolderID("Target"), name, &info));
  EXPECT_EQ(SpFourCC("Atro"), info.fdCreator);
  EXPECT_EQ(SpFourCC("Chck"), info.fdType);
  EXPECT_TRUE(Exists("Original"));
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

TEST_F(StdFileFunctionTest, MovingOutOfTheTrashRefusesMissingAndTakenNames) {
  MakeFile("Back");
  ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, "Back", 0, nullptr));
  EXPECT_EQ(fidNotFound, Sp_MoveFileOrDirIntoTargetFolderFromTrash("Absent", vRefNum_, workDirID_));
  MakeFile("Back", "taken");
  EXPECT_EQ(fidExists, Sp_MoveFileOrDirIntoTargetFolderFromTrash("Back", vRefNum_, workDirID_));
  EXPECT_TRUE(PathExists(TrashFiles("Back")));
  ASSERT_EQ(0, unlink(Linux("Back").c_str()));
  EXPECT_EQ(noErr, Sp_MoveFileOrDirIntoTargetFolderFromTrash("Back", vRefNum_, workDirID_));
  EXPECT_TRUE(Exists("Back"));
  EXPECT_FALSE(PathExists(TrashFiles("Back")));
  EXPECT_FALSE(PathExists(TrashInfo("Back")));

  EXPECT_EQ(paramErr, Sp_MoveFileOrDirIntoTrash(vRefNum_, workDirID_, "", 0, nullptr));
  EXPECT_TRUE(log_.Has("Sp_MoveFileOrDirIntoTrash", 1));
  EXPECT_EQ("Required argument is null !!", log_.Records().back().message);
}

// ---- System folders and space --------------------------------------------------------------

TEST_F(StdFileFunctionTest, SpaceCheckNeverLeavesItsScratchFileBehind) {
  MakeFile("spaceTest", "someone else's");
  EXPECT_EQ(noErr, Sp_CheckVolumeTargetAreaSize(vRefNum_, workDirID_, 4096));
  EXPECT_FALSE(Exists("spaceTest1"));
  // More than any disk holds: refused, and still nothing left behind.
  OSErr err = Sp_CheckVolumeTargetAreaSize(vRefNum_, workDirID_, UInt64(1) << 60);
  EXPECT_NE(noErr, err);
  EXPECT_FALSE(Exists("spaceTest1"));
  EXPECT_TRUE(Exists("spaceTest"));  // the other file stays as it was
  EXPECT_EQ(0u, log_.Count());

  // A folder that does not exist fails at the creation step, which is logged.
  EXPECT_NE(noErr, Sp_CheckVolumeTargetAreaSize(vRefNum_, 0x7FFF0000, 4096));
  EXPECT_TRUE(log_.Has("Sp_CheckVolumeTargetAreaSize", 13));
}
