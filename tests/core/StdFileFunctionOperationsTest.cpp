#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "StdFileFunctionTestFixture.h"

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

TEST_F(StdFileFunctionTest, CreateFolderReportsAFileInTheWay) {
  MakeFile("IsAFile");
  MakeFolder("IsAFolder");
  EXPECT_EQ(noErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, "IsAFolder"));
  EXPECT_EQ(dupFNErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, "IsAFile"));
  EXPECT_FALSE(IsFolder("IsAFile"));
  EXPECT_EQ(noErr, Sp_CreateFolderIntoDirId(vRefNum_, workDirID_, Nihongo(6).c_str()));
  EXPECT_TRUE(IsFolder(UTF8(Nihongo(6))));
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

// ---- System folders and space --------------------------------------------------------------

// ---- Folders, deleting later, free space -----------------------------------------------------

TEST_F(StdFileFunctionTest, InitFolderIsMadeOnceAndFoundAgain) {
  short firstVRefNum = 0, secondVRefNum = 0;
  SInt32 firstDirID = 0, secondDirID = 0;
  ASSERT_EQ(1, Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Zanthe Folder",
                                            firstVRefNum, firstDirID));
  ASSERT_EQ(1, Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Zanthe Folder",
                                            secondVRefNum, secondDirID));
  EXPECT_EQ(firstVRefNum, secondVRefNum);
  EXPECT_EQ(firstDirID, secondDirID);
  struct stat st;
  ASSERT_EQ(0, stat(home_.Path(".config/Zanthe Folder").c_str(), &st));
  EXPECT_EQ(mode_t(0700), st.st_mode & 07777);
  EXPECT_EQ(1, Sp_ExsitTargetDirectoryWithDirId(firstVRefNum, firstDirID));

  // A file in the folder's place is no folder.
  std::ofstream(home_.Path(".config/Blocked")) << "x";
  EXPECT_EQ(0, Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Blocked",
                                            firstVRefNum, firstDirID));
}

TEST_F(StdFileFunctionTest, AsynchronousDeleteCompletesAndKeepsItsRequest) {
  MakeFile("Later");
  EXPECT_EQ(noErr, Sp_DeleteFileDirByDirId(vRefNum_, workDirID_, "Later", 1));
  sp_testing::RunFileCompletions();
  EXPECT_FALSE(Exists("Later"));
  // A second request frees the first, answered one.
  MakeFile("Again");
  EXPECT_EQ(noErr, Sp_DeleteFileDirByDirId(vRefNum_, workDirID_, "Again", 1));
  sp_testing::RunFileCompletions();
  EXPECT_FALSE(Exists("Again"));
}

TEST_F(StdFileFunctionTest, SpaceCheckNeverLeavesItsScratchFileBehind) {
  MakeFile("spaceTest", "someone else's");
  EXPECT_EQ(noErr, Sp_CheckVolumeTargetAreaSize(vRefNum_, workDirID_, 4096));
  EXPECT_FALSE(Exists("spaceTest1"));
  // More than any disk holds: refused, and still nothing left behind.
  EXPECT_NE(noErr, Sp_CheckVolumeTargetAreaSize(vRefNum_, workDirID_, UInt64(1) << 60));
  EXPECT_FALSE(Exists("spaceTest1"));
  EXPECT_TRUE(Exists("spaceTest"));  // the other file stays as it was
  EXPECT_EQ(0u, log_.Count());

  // A folder that does not exist fails at the creation step, which is logged.
  EXPECT_NE(noErr, Sp_CheckVolumeTargetAreaSize(vRefNum_, 0x7FFF0000, 4096));
  EXPECT_TRUE(log_.Has("Sp_CheckVolumeTargetAreaSize", 13));
}
