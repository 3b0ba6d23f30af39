#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "CFString.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "StdFileFunctionTestFixture.h"
#include "TestBundle.h"

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

}  // namespace

// ---- Long names ----------------------------------------------------------------------------

TEST_F(StdFileFunctionTest, LongJapaneseNameIsFoundThroughItsFSRef) {
  const std::string longName = Nihongo(7);  // 42 bytes, more than a classic name holds
  MakeFile(UTF8(longName));
  EXPECT_EQ(1, Sp_ExsitTargetFile(vRefNum_, workDirID_, longName.c_str()));

  FSRef ref;
  ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum_, workDirID_, longName.c_str(),
                                                             kCFStringEncodingMacJapanese, &ref));
  HFSUniStr255 name;
  ASSERT_EQ(noErr, Sp_GetUnicodeFileNameFromFSRef(&ref, &name));
  EXPECT_EQ((std::vector<int>{name.length, name.unicode[0], name.unicode[20]}),
            (std::vector<int>{21, 0x65E5, 0x8A9E}));  // 日 ... 語
  short vRefNum = 0;
  SInt32 dirID = 0;
  FSRef folder;
  ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryPositionInfo(vRefNum_, workDirID_, &folder));
  ASSERT_EQ(noErr, Sp_GetDirectoryPositionInfoFromFSRef(&folder, &vRefNum, &dirID));
  EXPECT_EQ(workDirID_, dirID);
  EXPECT_EQ(1, Sp_ExsitTargetFileOrDirByFSRefAndLongName(&folder, longName.c_str(),
                                                         kCFStringEncodingMacJapanese));
}

// The classic name of a long-named item is a stand-in of at most 31 bytes (what fits, cut
// between characters, then '#' and an id) that the classic look-ups find again; a 32-byte
// buffer holds it.
TEST_F(StdFileFunctionTest, ClassicNameOfLongNameFitsThirtyTwoBytesAndIsFoundAgain) {
  const struct {
    std::string name;  // MacJapanese
    bool folder;
    const char* why;
  } kCases[] = {
      {std::string(40, 'a'), false, "ASCII past the classic limit"},
      {std::string(66, 'b') + ".mp3", false, "ASCII past the FSSpec limit, with extension"},
      {Nihongo(7), false, "42 bytes of two-byte characters"},
      {Nihongo(12), false, "72 bytes of two-byte characters"},
      {"X" + Nihongo(6), false, "an odd byte before two-byte characters"},
      {std::string(40, 'd'), true, "a folder"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    if (c.folder) {
      MakeFolder(UTF8(c.name));
    } else {
      MakeFile(UTF8(c.name));
    }
    std::unique_ptr<char[]> out(new char[32]);  // on the heap, so an overflow is caught
    ASSERT_EQ(noErr,
              Sp_GetClassicFileNameFromDirectoryIdAndLongFileName(
                  vRefNum_, workDirID_, c.name.c_str(), kCFStringEncodingMacJapanese, out.get()));
    const std::string classic = out.get();
    ASSERT_LE(classic.size(), 31u);
    const std::size_t hash = classic.rfind('#');
    ASSERT_NE(std::string::npos, hash) << classic;
    const std::string kept = classic.substr(0, hash);
    EXPECT_EQ(0u, c.name.compare(0, kept.size(), kept)) << classic;
    std::string back;
    EXPECT_TRUE(sp::text::UTF8ToMacJapanese(UTF8(kept), back) && back == kept)
        << "cut inside a character";

    Str255 pascal;
    ASSERT_TRUE(Sp_CopyCStringToPascalName(classic.c_str(), pascal));
    FSSpec spec;
    FSRef found;
    ASSERT_EQ(noErr, FSMakeFSSpec(vRefNum_, workDirID_, pascal, &spec)) << classic;
    ASSERT_EQ(noErr, FSpMakeFSRef(&spec, &found));
    HFSUniStr255 unicode;
    ASSERT_EQ(noErr, Sp_GetUnicodeFileNameFromFSRef(&found, &unicode));
    EXPECT_EQ(sp::text::UTF8ToUTF16(UTF8(c.name)),
              std::u16string(reinterpret_cast<const char16_t*>(unicode.unicode), unicode.length));
  }
}

// ---- Creation with owner-only access ---------------------------------------------------------

TEST_F(StdFileFunctionTest, FSRefCreationGivesOwnerOnlyAccessAndNoExecuteBits) {
  FSRef folder;
  ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryPositionInfo(vRefNum_, workDirID_, &folder));
  FInfo finder{SpFourCC("Pref"), SpFourCC("Zant"), kHasBeenInited, {0, 0}, 0};
  const std::string longName = Nihongo(6) + ".dat";
  FSRef made;
  FSSpec spec;
  ASSERT_EQ(noErr, Sp_CreateFileByUpperDirFSRef(&folder, longName.c_str(), &finder, &made, &spec));
  EXPECT_EQ(mode_t(0600), ModeOf(Linux(UTF8(longName))));
  EXPECT_EQ(workDirID_, spec.parID);
  FSCatalogInfo info;
  ASSERT_EQ(noErr, FSGetCatalogInfo(&made, kFSCatInfoFinderInfo, &info, nullptr, nullptr, nullptr));
  EXPECT_EQ(0, std::memcmp(info.finderInfo, &finder, 8)) << "type and creator";

  EXPECT_EQ(noErr, Sp_CreateFolderWithPermission(vRefNum_, workDirID_, "Private", nullptr, nullptr,
                                                 nullptr));
  EXPECT_EQ(mode_t(0700), ModeOf(Linux("Private")));

  // An empty name makes nothing.
  EXPECT_NE(noErr, Sp_CreateFileByUpperDirFSRef(&folder, "", &finder, nullptr, nullptr));
}

// ---- The Trash by FSRef ----------------------------------------------------------------------

TEST_F(StdFileFunctionTest, RenameByLongNameKeepsTheFileAndItsId) {
  const std::string oldName = Nihongo(6);
  const std::string newName = Nihongo(8);
  MakeFile(UTF8(oldName), "kept");
  SInt32 fileID = 0;
  ASSERT_EQ(noErr, Sp_GetFileIdFromFileNameInDirId(vRefNum_, workDirID_, oldName.c_str(), fileID));
  FSRef renamed;
  ASSERT_EQ(noErr, Sp_RenameFileDirectoryByLongName(vRefNum_, workDirID_, oldName.c_str(),
                                                    kCFStringEncodingMacJapanese, newName.c_str(),
                                                    &renamed));
  EXPECT_FALSE(Exists(UTF8(oldName)));
  EXPECT_TRUE(Exists(UTF8(newName)));
  SInt32 renamedID = 0;
  ASSERT_EQ(noErr,
            Sp_GetFileIdFromFileNameInDirId(vRefNum_, workDirID_, newName.c_str(), renamedID));
  EXPECT_EQ(fileID, renamedID);
  EXPECT_EQ(paramErr, Sp_RenameFileDirectoryByLongName(vRefNum_, workDirID_, newName.c_str(),
                                                       kCFStringEncodingMacJapanese, "", nullptr));
  EXPECT_TRUE(Exists(UTF8(newName)));
}

TEST_F(StdFileFunctionTest, MovingOutOfTheTrashRefusesMissingAndTakenNames) {
  MakeFile("Back", "mine");
  FSRef item;
  ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum_, workDirID_, "Back",
                                                             kCFStringEncodingMacJapanese, &item));
  ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrashByFSRef(&item, 1, nullptr));
  EXPECT_EQ(fidNotFound, Sp_MoveFileOrDirIntoTargetFolderFromTrash("Absent", vRefNum_, workDirID_));
  MakeFile("Back", "taken");
  EXPECT_EQ(fidExists, Sp_MoveFileOrDirIntoTargetFolderFromTrash("Back", vRefNum_, workDirID_));
  EXPECT_TRUE(PathExists(TrashFiles("Back")));
  ASSERT_EQ(0, unlink(Linux("Back").c_str()));
  EXPECT_EQ(noErr, Sp_MoveFileOrDirIntoTargetFolderFromTrash("Back", vRefNum_, workDirID_));
  std::ifstream back(Linux("Back"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(back), {}), "mine");
  EXPECT_FALSE(PathExists(TrashFiles("Back")));
  EXPECT_FALSE(PathExists(home_.Path(".local/share/Trash/info/Back.trashinfo")));
}

TEST_F(StdFileFunctionTest, TrashByFSRefCutsLongCandidatesAndDeletesWithoutRename) {
  struct Case {
    std::string name;         // MacJapanese
    std::string asidePrefix;  // how much of the name the renamed older item keeps
  } cases[] = {
      // 240 units: name and suffix exceed 254 bytes of UTF-16, so 122 units are kept.
      {std::string(240, 'x'), std::string(122, 'x')},
      // 81 two-byte characters (243 bytes in the file system's UTF-8): with " Copy" the
      // Trash's record of it would no longer fit a file name, so one character goes.
      {Nihongo(27), Nihongo(26) + "\x93\xFA\x96\x7B"},
  };
  for (const Case& c : cases) {
    for (int round = 0; round < 2; ++round) {
      MakeFile(UTF8(c.name));
      FSRef item;
      ASSERT_EQ(noErr,
                Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum_, workDirID_, c.name.c_str(),
                                                          kCFStringEncodingMacJapanese, &item));
      ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrashByFSRef(&item, 1, nullptr));
    }
    EXPECT_TRUE(PathExists(TrashFiles(UTF8(c.name))));
    EXPECT_TRUE(PathExists(TrashFiles(UTF8(c.asidePrefix + " Copy")))) << UTF8(c.asidePrefix);
  }

  // Without rename the Trash's older folder goes, contents and all.
  MakeFolder("Set");
  MakeFile("Set/Inside");
  for (int round = 0; round < 2; ++round) {
    if (round == 1) MakeFile("Set");
    FSRef set;
    ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum_, workDirID_, "Set",
                                                               kCFStringEncodingMacJapanese, &set));
    ASSERT_EQ(noErr, Sp_MoveFileOrDirIntoTrashByFSRef(&set, 0, nullptr));
  }
  EXPECT_TRUE(PathExists(TrashFiles("Set")));
  EXPECT_FALSE(PathExists(TrashFiles("Set/Inside")));
}

// ---- The application bundle and folder -------------------------------------------------------

TEST_F(StdFileFunctionTest, ClassicStandInOfLongNameLeadsBackToTheLongName) {
  const std::string longName = Nihongo(11);  // 66 bytes: beyond what an FSSpec holds
  MakeFile(UTF8(longName));
  char classic[64];
  ASSERT_EQ(noErr,
            Sp_GetClassicFileNameFromDirectoryIdAndLongFileName(
                vRefNum_, workDirID_, longName.c_str(), kCFStringEncodingMacJapanese, classic));
  EXPECT_NE(longName, classic);
  char full[1024];
  ASSERT_EQ(noErr, Sp_GetOSXUnicodeFileNameChangedFileName(vRefNum_, workDirID_, classic, full,
                                                           sizeof full));
  EXPECT_EQ(longName, full);
}

TEST_F(StdFileFunctionTest, StaleFSRefNamesNothingAfterTheLongNamedFileIsDeleted) {
  const std::string longName = Nihongo(6);
  MakeFile(UTF8(longName));
  FSRef ref;
  ASSERT_EQ(noErr, Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum_, workDirID_, longName.c_str(),
                                                             kCFStringEncodingMacJapanese, &ref));
  EXPECT_EQ(1, Sp_ExsitTargetFileOrDirByFSRef(&ref));
  ASSERT_EQ(noErr, Sp_DeleteFileDirWithLongNameByDirId(vRefNum_, workDirID_, longName.c_str(),
                                                       kCFStringEncodingMacJapanese));
  EXPECT_FALSE(Exists(UTF8(longName)));
  EXPECT_EQ(0, Sp_ExsitTargetFileOrDirByFSRef(&ref));
}

TEST_F(StdFileFunctionTest, ResourceFileNeedsRoomForItsTerminator) {
  const std::string bundle = home_.Path("Bundle");
  ASSERT_EQ(0, mkdir(bundle.c_str(), 0700));
  std::ofstream(bundle + "/FileErrorNoData.txt") << "1\tone\r";
  sp_testing::SetMainBundleFolder(bundle);
  const char kName[] = "FileErrorNoData.txt";
  char name[64];
  short vRefNum = 0;
  SInt32 dirID = 0;
  FSRef file, folder;
  EXPECT_EQ(paramErr, Sp_GetResourceFileFromApplicationMainBandle(kName, nullptr, nullptr, nullptr,
                                                                  name, sizeof kName - 1, nullptr));
  EXPECT_EQ(noErr, Sp_GetResourceFileFromApplicationMainBandle(kName, &vRefNum, &dirID, &folder,
                                                               name, sizeof kName, &file));
  EXPECT_STREQ(kName, name);
  char path[256];
  ASSERT_EQ(noErr, Sp_DirFullPathNameFromDirID(dirID, vRefNum, path));
  EXPECT_EQ(":Bundle", std::string(path).substr(std::strlen(path) - 7));
  EXPECT_EQ(fnfErr, Sp_GetResourceFileFromApplicationMainBandle("Missing.txt", &vRefNum, nullptr,
                                                                nullptr, nullptr, 0, nullptr));
  EXPECT_EQ(paramErr, Sp_GetResourceFileFromApplicationMainBandle(kName, nullptr, nullptr, nullptr,
                                                                  nullptr, 0, nullptr));
  sp_testing::ResetMainBundleFolder();
}
