#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "Clock.h"
#include "DateTimeUtils.h"
#include "Files.h"
#include "FilesFixture.h"
#include "Folders.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "files/detail/Trash.h"

namespace {

using files_test::HostExists;
using files_test::PStr;
using files_test::ReadHostFile;
using files_test::WriteHostFile;
namespace fs = sp_platform::files;

SInt64 LocalSeconds(SInt16 year, SInt16 month, SInt16 day, SInt16 hour, SInt16 min, SInt16 sec) {
  const DateTimeRec d{year, month, day, hour, min, sec, 0};
  UInt32 secs = 0;
  DateToSeconds(&d, &secs);
  return secs;
}

TEST(FilesTrashInfo, InfoTextIsTheFreedesktopFormatWithAnEncodedPathAndLocalDate) {
  EXPECT_EQ(
      fs::TrashInfoText("/home/u/My Song \xE9\x9F\xB3%.aiff", LocalSeconds(2024, 3, 5, 6, 7, 8)),
      "[Trash Info]\n"
      "Path=/home/u/My%20Song%20%E9%9F%B3%25.aiff\n"
      "DeletionDate=2024-03-05T06:07:08\n");
  EXPECT_EQ(fs::TrashEncodePath("/a-b_c.d!~*'()/e\nf"), "/a-b_c.d!~*'()/e%0Af");
}

TEST(FilesTrashInfo, OnlyTheFilesFolderOfATrashIsOne) {
  sp_testing::HomeScope home;
  const std::string uid = std::to_string(getuid());
  const std::string homeTrash = home.Path(".local/share/Trash");
  EXPECT_EQ(fs::HomeTrashFolder(), homeTrash);
  EXPECT_EQ(fs::TrashOfFilesFolder(homeTrash + "/files"), homeTrash);
  EXPECT_EQ(fs::TrashOfFilesFolder(homeTrash + "/files/"), homeTrash);
  EXPECT_EQ(fs::TrashOfFilesFolder("/media/disk/.Trash-" + uid + "/files"),
            "/media/disk/.Trash-" + uid);
  EXPECT_EQ(fs::TrashOfFilesFolder("/media/disk/.Trash/" + uid + "/files"),
            "/media/disk/.Trash/" + uid);
  EXPECT_EQ(fs::TrashOfFilesFolder(homeTrash + "/info"), "");
  EXPECT_EQ(fs::TrashOfFilesFolder(homeTrash + "/files/folder"), "");
  EXPECT_EQ(fs::TrashOfFilesFolder("/media/disk/.Trash-" + uid + "9/files"), "");
  EXPECT_EQ(fs::TrashOfFilesFolder(home.Path("files")), "");
  EXPECT_EQ(fs::VolumeTrashFolder("/media/disk/"), "/media/disk/.Trash-" + uid);
}

// The hooks driven directly around rename(2), as the catalogue's calls drive them.
class FilesTrashHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    trash_ = fs::HomeTrashFolder();
    ASSERT_EQ(fs::EnsureTrashFolders(trash_), noErr);
    ASSERT_EQ(mkdir(home_.Path("docs").c_str(), 0700), 0);
  }

  // Moves as the catalogue does: ask, rename, tell.
  OSErr Move(const std::string& from, const std::string& to) {
    OSErr err = fs::TrashWillMove(from, to);
    if (err != noErr) return err;
    if (rename(from.c_str(), to.c_str()) != 0) return ioErr;
    return fs::TrashDidMove(from, to);
  }
  std::string Files(const std::string& name) const { return trash_ + "/files/" + name; }
  std::string Info(const std::string& name) const {
    return trash_ + "/info/" + name + ".trashinfo";
  }
  std::string Doc(const std::string& name) const { return home_.Path("docs/" + name); }
  sp_testing::HomeScope home_;
  sp_testing::VirtualClockScope clock_{LocalSeconds(2023, 12, 31, 23, 59, 58)};
  std::string trash_;
};

TEST_F(FilesTrashHooks, RenamesDeletesAndFoldersInsideTheTrashKeepTheInfoFilesRight) {
  const std::string stale = "[Trash Info]\nPath=/stale\nDeletionDate=2000-01-01T00:00:00\n";
  WriteHostFile(Doc("R"), "1");
  ASSERT_EQ(Move(Doc("R"), Files("R")), noErr);
  // A leftover info file of an item gone long ago holds the name the rename takes.
  WriteHostFile(Info("R Copy"), stale);
  ASSERT_EQ(Move(Files("R"), Files("R Copy")), noErr);
  EXPECT_FALSE(HostExists(Info("R")));
  EXPECT_NE(ReadHostFile(Info("R Copy")).find("Path=" + Doc("R") + "\n"), std::string::npos)
      << "the leftover is replaced by the item's own";
  // An item without an info file (put there by hand) renamed onto a leftover: the leftover
  // must not describe it.
  WriteHostFile(Files("bare"), "b");
  WriteHostFile(Info("bare 2"), stale);
  ASSERT_EQ(Move(Files("bare"), Files("bare 2")), noErr);
  EXPECT_FALSE(HostExists(Info("bare 2")));
  // Items inside a trashed folder have no info of their own.
  ASSERT_EQ(mkdir(Doc("album").c_str(), 0700), 0);
  WriteHostFile(Doc("album/track"), "t");
  ASSERT_EQ(Move(Doc("album"), Files("album")), noErr);
  ASSERT_EQ(Move(Files("album/track"), Files("album/track 2")), noErr);
  EXPECT_FALSE(HostExists(Info("track")) || HostExists(Info("track 2")));
  // Deleting removes the info only once the item is gone.
  fs::TrashDidDelete(Files("album"));
  EXPECT_TRUE(HostExists(Info("album"))) << "the item is still there";
  ASSERT_GT(std::filesystem::remove_all(Files("album")), 0u);
  fs::TrashDidDelete(Files("album"));
  EXPECT_FALSE(HostExists(Info("album")));
}

TEST_F(FilesTrashHooks, NamesTooLongForAnInfoFileAreRefusedBeforeTheMove) {
  // The info file adds ".trashinfo" (10 bytes) to the name; Linux names hold 255 bytes.
  const std::string fits(245, 'n'), tooLong(246, 'n');
  EXPECT_EQ(fs::TrashWillMove(Doc(fits), Files(fits)), noErr);
  EXPECT_EQ(fs::TrashWillMove(Doc(tooLong), Files(tooLong)), bdNamErr);
  EXPECT_EQ(fs::TrashWillMove(Doc(tooLong), Doc("elsewhere")), noErr);
}

// The same through the File Manager's calls, as the file library moves items to the Trash:
// the item already in the Trash is renamed with " Copy" before the new one moves in.
TEST(FilesTrash, MovesRenamesAndDeletesThroughTheFileManagerKeepTheInfoFiles) {
  sp_testing::HomeScope home;
  sp_testing::VirtualClockScope clock(LocalSeconds(2024, 2, 29, 12, 0, 1));
  files_test::Folder docs = files_test::DocumentsFolder(home);
  SInt16 tv = 0;
  SInt32 trashDir = 0;
  ASSERT_EQ(FindFolder(docs.vRefNum, kTrashFolderType, kCreateFolder, &tv, &trashDir), noErr);
  const std::string trash = home.Path(".local/share/Trash");
  auto info = [&](const std::string& name) { return trash + "/info/" + name + ".trashinfo"; };

  WriteHostFile(docs.path + "/R", "first");
  ASSERT_EQ(CatMove(docs.vRefNum, docs.dirID, PStr("R"), trashDir, nullptr), noErr);
  EXPECT_EQ(ReadHostFile(info("R")), fs::TrashInfoText(docs.path + "/R", SpGetDateTime64()));

  ASSERT_EQ(HRename(tv, trashDir, PStr("R"), PStr("R Copy")), noErr);
  EXPECT_TRUE(!HostExists(info("R")) && HostExists(info("R Copy")));

  WriteHostFile(docs.path + "/R", "second");
  ASSERT_EQ(CatMove(docs.vRefNum, docs.dirID, PStr("R"), trashDir, nullptr), noErr);
  ASSERT_EQ(HRename(tv, trashDir, PStr("R Copy"), PStr("R Copy 1")), noErr);
  EXPECT_TRUE(HostExists(info("R")) && HostExists(info("R Copy 1")) && !HostExists(info("R Copy")));

  // Out of the Trash again, and deleted from it.
  ASSERT_EQ(CatMove(tv, trashDir, PStr("R"), docs.dirID, nullptr), noErr);
  EXPECT_FALSE(HostExists(info("R")));
  ASSERT_EQ(HDelete(tv, trashDir, PStr("R Copy 1")), noErr);
  EXPECT_FALSE(HostExists(info("R Copy 1")));
  EXPECT_EQ(ReadHostFile(docs.path + "/R"), "second");
}

}  // namespace
