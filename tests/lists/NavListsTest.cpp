// The lists behind the file dialogs: the chosen-file list and its cursor, the names one copies
// out, folders by name or by 32-bit id, the exclusion list, and the filter cache's folders in
// order of use.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include <cstring>
#include "ErrorLogCapture.h"

#include "Files.h"
#include "Folders.h"
#include "SpClassicFileSaveOpen.h"
#include "SpNavigationMgrObject.h"
#include "SpStdFileFunction.h"
#include "TestFiles.h"

namespace {

// "日本語日本語..." as MacJapanese: two bytes a character.
std::string Kanji(int characters) {
  std::string text;
  for (int i = 0; i < characters; ++i) text += i % 2 ? "\x96\x7B" : "\x93\xFA";
  return text;
}

TEST(NavFileList, TheCursorReadsInOrderAndPastTheEndLeavesTheOutputsAlone) {
  ErrorLogCapture log;
  cNavMgrFileList list;
  ASSERT_NE(list.SetupFileItem(-1, 100, "one"), nullptr);
  ASSERT_NE(list.SetupFileItem(-1, 200, "two"), nullptr);
  EXPECT_EQ(list.SetupFileItem(-1, 300, ""), nullptr) << "an empty name adds nothing";
  EXPECT_EQ(list.SetupFileItem(-1, 300, nullptr), nullptr);
  EXPECT_TRUE(log.Has("cNavMgrFileList::SetupFileItem", 1));
  EXPECT_EQ(list.GetNumberOfItem(), 2);

  list.ResetSequentialReference();
  std::vector<std::string> read;
  short volume = 0;
  SInt32 directory = 0;
  char name[32];
  unsigned char last = 9, folder = 9, truncated = 9;
  while (list.GetFileItemBySequential(volume, directory, name, sizeof name, &truncated, &last,
                                      &folder, nullptr)) {
    read.push_back(std::string(name) + "@" + std::to_string(directory) + (last ? " last" : ""));
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(truncated, 0);
  }
  EXPECT_EQ(read, (std::vector<std::string>{"one@100", "two@200 last"}));

  std::strcpy(name, "kept");
  volume = 7;
  last = 0;
  EXPECT_EQ(list.GetFileItemBySequential(volume, directory, name, sizeof name, nullptr, &last,
                                         nullptr, nullptr),
            0);
  EXPECT_EQ(last, 1);
  EXPECT_STREQ(name, "kept");
  EXPECT_EQ(volume, 7);

  // Reading never removes: a new pass reads the same items.
  list.ResetSequentialReference();
  cNavMgrFileListItem* looked = list.GetFileItemPtrBySequential(0);
  EXPECT_EQ(list.GetFileItemPtrBySequential(1), looked) << "a look does not move the cursor";
  EXPECT_NE(list.GetFileItemPtrBySequential(0), looked);
  list.ClearFileItem();
  EXPECT_EQ(list.GetNumberOfItem(), 0);
  EXPECT_EQ(list.GetFileItemPtrBySequential(1), nullptr);
}

// A name is handed out whole whenever it fits with its terminator, by every list alike, and
// a cut never splits a two-byte character.
TEST(NavFileList, NamesAreCutOnlyWhenTheyDoNotFitWithTheirTerminator) {
  const struct {
    std::string name;
    SInt32 size;
    std::string expected;
    unsigned char truncated;
  } cases[] = {
      {"12345678", 10, "12345678", 0},
      {"123456789", 10, "123456789", 0},  // size - 1 characters fit
      {"1234567890", 10, "123456789", 1},
      {Kanji(5), 10, Kanji(4), 1},  // 10 bytes: the fifth character would lose its half
      {Kanji(5), 11, Kanji(5), 0},
      {"", 10, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " into " + std::to_string(c.size));
    cNavMgrFileListItem file(-1, 2, c.name.c_str());
    char out[64];
    short volume = 0;
    SInt32 directory = 0;
    unsigned char truncated = 9;
    file.GetFileInfo(volume, directory, out, c.size, &truncated);
    EXPECT_EQ(std::string(out), c.expected);
    EXPECT_EQ(truncated, c.truncated);

    truncated = 9;
    file.GetFolderInfo(nullptr, nullptr, out, c.size, &truncated, nullptr);
    EXPECT_EQ(std::string(out), c.expected) << "folders follow the same rule";
    EXPECT_EQ(truncated, c.truncated);

    cClassicStdFilePkgExcludeFileItem excluded(-1, 2, c.name.c_str(), 0);
    truncated = 9;
    excluded.GetFileName(out, c.size, truncated);
    EXPECT_EQ(std::string(out), c.expected) << "and the exclusion list";
    EXPECT_EQ(truncated, c.truncated);
  }
}

TEST(NavFileList, StoredNamesKeepTheirFirst1022BytesOfWholeCharacters) {
  const std::string longName = "a" + Kanji(600);
  cNavMgrFileListItem item(-1, 2, longName.c_str());
  std::vector<char> out(2048);
  short volume = 0;
  SInt32 directory = 0;
  unsigned char truncated = 9;
  item.GetFileInfo(volume, directory, out.data(), SInt32(out.size()), &truncated);
  EXPECT_EQ(std::string(out.data()), longName.substr(0, 1021));
  EXPECT_EQ(truncated, 0);
}

class NavFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(noErr,
              FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &volume_, &mediaID_));
    ASSERT_EQ(0, mkdir(home_.Path("Documents/album").c_str(), 0700));
    ASSERT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(volume_, mediaID_, "album", albumID_));
  }
  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  short volume_ = 0;
  SInt32 mediaID_ = 0, albumID_ = 0;
};

TEST_F(NavFolders, AFolderKeepsItsWholeDirectoryIdFoundByNameOrById) {
  // Directory ids are inode numbers here: far beyond 16 bits.
  ASSERT_GT(albumID_, 0x7FFF);
  cNavMgrFileList list;
  ASSERT_NE(list.SetupFolderItem(volume_, mediaID_, "album", 0), nullptr);
  ASSERT_NE(list.SetupFolderItem(volume_, 0, nullptr, albumID_), nullptr);
  list.ResetSequentialReference();
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i == 0 ? "by name" : "by id");
    short volume = 0;
    SInt32 directory = 0, folderID = 0;
    char name[32];
    unsigned char folder = 0;
    ASSERT_EQ(list.GetFileItemBySequential(volume, directory, name, sizeof name, nullptr, nullptr,
                                           &folder, &folderID),
              1);
    EXPECT_EQ(folder, 1);
    EXPECT_EQ(folderID, albumID_);
    EXPECT_EQ(directory, mediaID_);
    EXPECT_STREQ(name, "album");
  }
}

TEST_F(NavFolders, AFolderThatCannotBeFoundIsReportedAndNotListed) {
  cNavMgrFileList list;
  EXPECT_EQ(list.SetupFolderItem(volume_, mediaID_, "missing", 0), nullptr);
  EXPECT_TRUE(log_.Has("cNavMgrFileListItem::SetupFolderInfo", 3));
  EXPECT_EQ(list.SetupFolderItem(-1, 0, nullptr, 0x7FFFFFF0), nullptr);
  EXPECT_TRUE(log_.Has("cNavMgrFileListItem::SetupFolderInfo", 2));
  EXPECT_EQ(list.SetupFolderItem(-1, 0, "", 0), nullptr);
  EXPECT_TRUE(log_.Has("cNavMgrFileListItem::SetupFolderInfo", 1));
  EXPECT_EQ(list.GetNumberOfItem(), 0);
}

TEST(NavExclusion, HidesANameAnywhereOrOnlyInItsOwnFolderAndMatchesCase) {
  cClassicStdFilePkgExcludeFileChecker checker;
  EXPECT_FALSE(checker.IsExcludeFileItem(-1, 10, "Anything"));
  checker.SetupFileName(-1, 10, "Everywhere", 0);
  checker.SetupFileName(-1, 10, "Here", 1);
  checker.SetupFileName(-1, 10, "", 0);
  const struct {
    short volume;
    SInt32 directory;
    const char* name;
    bool hidden;
  } cases[] = {
      {-1, 10, "Everywhere", true}, {-2, 99, "Everywhere", true}, {-1, 10, "everywhere", false},
      {-1, 10, "Here", true},       {-1, 11, "Here", false},      {-2, 10, "Here", false},
      {-1, 10, "", false},  // an entry without a name hides nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bool(checker.IsExcludeFileItem(c.volume, c.directory, c.name)), c.hidden)
        << c.name << " in " << c.volume << "/" << c.directory;
  }
  checker.ClearItem();
  EXPECT_FALSE(checker.IsExcludeFileItem(-1, 10, "Everywhere"));
}

class NavFilterCache : public ::testing::Test {
 protected:
  void SetUp() override { SpNav_InitializeFileFilterTargetInfo(); }
  void TearDown() override { SpNav_InitializeFileFilterTargetInfo(); }
  // The folders' directories, most recently used first.
  static std::vector<SInt32> Order() {
    std::vector<SInt32> out;
    for (cFileFilterInfoTargetFolder* f = fileFilterInfo_GlV; f != nullptr;
         f = f->GetNextObjectPtr()) {
      for (SInt32 d = 1; d <= 30; ++d) {
        if (f->SerchTargetFolder(-1, d) == f) out.push_back(d);
      }
    }
    return out;
  }
};

TEST_F(NavFilterCache, TheLeastRecentlyUsedFolderGoesWhenA22ndArrives) {
  for (SInt32 d = 1; d <= 21; ++d) SpNav_GetFilterInfoFolderObject(-1, d);
  EXPECT_EQ(fileFilterInfoFolderDataNum, 21);
  // Folder 1 is used again: now folder 2 is the least recently used.
  cFileFilterInfoTargetFolder* first = SpNav_GetFilterInfoFolderObject(-1, 1);
  first->SetTargetFileInfo("kept.aiff", 1);
  EXPECT_EQ(SpNav_GetFilterInfoFolderObject(-1, 22), fileFilterInfo_GlV);
  EXPECT_EQ(fileFilterInfoFolderDataNum, 21);
  std::vector<SInt32> expected = {22, 1};
  for (SInt32 d = 21; d >= 3; --d) expected.push_back(d);
  EXPECT_EQ(Order(), expected);
  EXPECT_EQ(lastFileFilterInfo_GlV->SerchTargetFolder(-1, 3), lastFileFilterInfo_GlV);
  unsigned char show = 0;
  EXPECT_EQ(SpNav_GetFilterInfoFolderObject(-1, 1)->GetTargetFileInfo("kept.aiff", show), 1)
      << "a folder used again keeps its verdicts";
  EXPECT_EQ(show, 1);
  // The tail moves to the head with the chain mended behind it.
  SpNav_GetFilterInfoFolderObject(-1, 3);
  EXPECT_EQ(Order().front(), 3);
  EXPECT_EQ(Order().back(), 4);
  EXPECT_EQ(lastFileFilterInfo_GlV->GetNextObjectPtr(), nullptr);
}

TEST_F(NavFilterCache, TheFirstVerdictStaysAndNamesAreExactAndBounded) {
  cFileFilterInfoTargetFolder* folder = SpNav_GetFilterInfoFolderObject(-1, 5);
  ASSERT_NE(folder, nullptr);
  unsigned char show = 7;
  EXPECT_EQ(folder->GetTargetFileInfo("song.aiff", show), 0) << "a new folder knows nothing";
  EXPECT_EQ(show, 7);
  folder->SetTargetFileInfo("song.aiff", 0);
  folder->SetTargetFileInfo("song.aiff", 1);
  EXPECT_EQ(folder->GetTargetFileInfo("song.aiff", show), 1);
  EXPECT_EQ(show, 0);
  EXPECT_EQ(folder->GetTargetFileInfo("Song.aiff", show), 0);
  // A name longer than the 511 bytes kept is stored cut, and found again the same way.
  const std::string longName(700, 'x');
  folder->SetTargetFileInfo(longName.c_str(), 1);
  EXPECT_EQ(folder->GetTargetFileInfo(longName.c_str(), show), 1);
  EXPECT_EQ(show, 1);
  EXPECT_EQ(SpNav_GetFilterInfoFolderObject(-2, 5), fileFilterInfo_GlV) << "volume counts";
  EXPECT_EQ(fileFilterInfoFolderDataNum, 2);
  SpNav_InitializeFileFilterTargetInfo();
  EXPECT_EQ(fileFilterInfo_GlV, nullptr);
  EXPECT_EQ(lastFileFilterInfo_GlV, nullptr);
  EXPECT_EQ(fileFilterInfoFolderDataNum, 0);
}

// Once a folder's verdicts are gone (cleared, with the whole chain, or with the folder as the
// least recently used), the folder listed again is judged anew and its new verdicts are given:
// what was refused is shown and what was shown is refused.
TEST_F(NavFilterCache, AFolderListedAgainAfterAClearGivesItsNewVerdicts) {
  struct Case {
    const char* why;
    void (*clear)(cFileFilterInfoTargetFolder* folder);
  } cases[] = {
      {"its verdicts cleared", [](cFileFilterInfoTargetFolder* folder) { folder->ClearItem(); }},
      {"the chain cleared",
       [](cFileFilterInfoTargetFolder*) { SpNav_InitializeFileFilterTargetInfo(); }},
      {"the folder gone from a full chain",
       [](cFileFilterInfoTargetFolder*) {
         for (SInt32 d = 1; d <= kSpNavFilterFolderLimit; ++d)
           SpNav_GetFilterInfoFolderObject(-1, d);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    SpNav_InitializeFileFilterTargetInfo();
    cFileFilterInfoTargetFolder* folder = SpNav_GetFilterInfoFolderObject(-2, 7);
    folder->SetTargetFileInfo("refused.aiff", 0);
    folder->SetTargetFileInfo("shown.aiff", 1);
    c.clear(folder);
    folder = SpNav_GetFilterInfoFolderObject(-2, 7);
    unsigned char show = 7;
    EXPECT_EQ(folder->GetTargetFileInfo("refused.aiff", show), 0);
    EXPECT_EQ(folder->GetTargetFileInfo("shown.aiff", show), 0);
    folder->SetTargetFileInfo("shown.aiff", 0);
    folder->SetTargetFileInfo("refused.aiff", 1);
    EXPECT_EQ(folder->GetTargetFileInfo("refused.aiff", show), 1);
    EXPECT_EQ(show, 1);
    EXPECT_EQ(folder->GetTargetFileInfo("shown.aiff", show), 1);
    EXPECT_EQ(show, 0);
  }
}

}  // namespace
