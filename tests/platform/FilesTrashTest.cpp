#include <errno.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PrivateMounts.h"
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
  OSErr Move(const std::string& from, std::string to) {
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

TEST_F(FilesTrashHooks, MovesInTakeANameWhoseInfoFileIsFreeAndFitsNeverReplacingOne) {
  // Another program's info file (its item may be on its way) is never written over; an info
  // file name ("<name>.trashinfo") must fit in 255 bytes.
  const std::string n255(255, 'n'), e255 = std::string(253, 'e') + "\xC3\xA9";
  std::string u255;
  for (int i = 0; i < 127; ++i) u255 += "\xC3\xA9";
  u255 += "x";
  // Characters of three and four bytes, cut two and three bytes into one.
  std::string k255, f255 = "xyz";
  for (int i = 0; i < 85; ++i) k255 += "\xE3\x81\x82";
  for (int i = 0; i < 63; ++i) f255 += "\xF0\x9F\x8E\xB5";
  const struct {
    std::string name;
    std::vector<std::string> infosThere;
    std::string lands;
    const char* why;
  } rows[] = {
      {"R", {"R"}, "R 1", "an info file holds the name"},
      {"S", {"S", "S 1"}, "S 2", "and the next one too"},
      {std::string(246, 'm'), {}, std::string(245, 'm'), "the shortest name too long"},
      {n255, {}, std::string(245, 'n'), "the longest name"},
      {e255, {std::string(245, 'e')}, std::string(243, 'e') + " 1", "cut, and taken"},
      {u255, {}, u255.substr(0, 244), "never cut inside a character"},
      {k255, {}, k255.substr(0, 243), "nor inside one of three bytes"},
      {f255, {}, f255.substr(0, 243), "nor inside one of four bytes"},
  };
  const std::string stale = "[Trash Info]\nPath=/elsewhere\nDeletionDate=2000-01-01T00:00:00\n";
  for (const auto& row : rows) {
    for (const std::string& taken : row.infosThere) WriteHostFile(Info(taken), stale);
    WriteHostFile(Doc(row.name), "item");
    std::string to = Files(row.name);
    ASSERT_EQ(fs::TrashWillMove(Doc(row.name), to), noErr) << row.why;
    EXPECT_EQ(to, Files(row.lands)) << row.why;
    EXPECT_TRUE(HostExists(Info(row.lands))) << row.why << ": reserved before the move";
    ASSERT_EQ(rename(Doc(row.name).c_str(), to.c_str()), 0) << row.why;
    ASSERT_EQ(fs::TrashDidMove(Doc(row.name), to), noErr) << row.why;
    EXPECT_NE(ReadHostFile(Info(row.lands)).find("Path=" + fs::TrashEncodePath(Doc(row.name))),
              std::string::npos)
        << row.why << ": the full original name";
    for (const std::string& taken : row.infosThere)
      EXPECT_EQ(ReadHostFile(Info(taken)), stale) << row.why;
  }
  // A move that fails after the name was reserved leaves no record behind.
  std::string gone = Files("gone");
  ASSERT_EQ(fs::TrashWillMove(Doc("gone"), gone), noErr);
  fs::TrashMoveFailed(Doc("gone"), gone);
  EXPECT_FALSE(HostExists(Info("gone")));
  // A rename inside the Trash keeps the caller's name, so it must fit as it is.
  std::string fits = Files(std::string(245, 'r')), tooLong = Files(std::string(246, 'r'));
  EXPECT_EQ(fs::TrashWillMove(Files("R 1"), fits), noErr);
  EXPECT_EQ(fits, Files(std::string(245, 'r')));
  EXPECT_EQ(fs::TrashWillMove(Files("R 1"), tooLong), bdNamErr);
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

// A move into a Trash whose volume is full: the info file cannot be written, so the move fails
// and the item stays where it was, with no info file or item left in the Trash.
TEST(FilesTrash, AMoveIntoTheTrashOfAFullVolumeFailsAndLeavesTheItemWhereItWas) {
  sp_testing::HomeScope home;
  const std::string volume = home.Path("vol");
  ASSERT_EQ(mkdir(volume.c_str(), 0700), 0);
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
  if (mount("tmpfs", volume.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << strerror(errno);
  ASSERT_EQ(mkdir((volume + "/docs").c_str(), 0700), 0);
  const files_test::Folder docs = files_test::FolderAt(home, "vol/docs");
  WriteHostFile(docs.path + "/R", "kept");
  SInt16 tv = 0;
  SInt32 trashDir = 0;
  ASSERT_EQ(FindFolder(docs.vRefNum, kTrashFolderType, kCreateFolder, &tv, &trashDir), noErr);
  const std::string trash = volume + "/.Trash-" + std::to_string(getuid());
  {
    std::ofstream filler(volume + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
    }
  }
  EXPECT_EQ(CatMove(docs.vRefNum, docs.dirID, PStr("R"), trashDir, nullptr), dskFulErr);
  EXPECT_EQ(ReadHostFile(docs.path + "/R"), "kept");
  for (const char* folder : {"/files", "/info"}) {
    const std::filesystem::directory_iterator listing(trash + folder);
    EXPECT_EQ(std::distance(begin(listing), end(listing)), 0) << folder;
  }
  umount2(volume.c_str(), MNT_DETACH);
}

// What a shell command (run with the test's HOME and XDG_DATA_HOME) prints.
std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[512];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  pclose(pipe);
  return out;
}

// Another Trash program (trash-cli) as the judge: it lists and restores what this program
// trashed, and this program sees what it trashed, in the home and on a second volume (a
// tmpfs mounted inside the test's home) with each kind of volume Trash.
class FilesTrashShared : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access("/usr/bin/trash-put", X_OK) != 0) GTEST_SKIP() << "trash-cli is not installed";
    volume_ = home_.Path("vol");
    ASSERT_EQ(mkdir(volume_.c_str(), 0700), 0);
    if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
    if (mount("tmpfs", volume_.c_str(), "tmpfs", 0, "size=1m") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs here: " << strerror(errno);
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) umount2(volume_.c_str(), MNT_DETACH);
  }
  sp_testing::HomeScope home_;
  std::string volume_;
  bool mounted_ = false;
};

TEST_F(FilesTrashShared, OtherTrashProgramsListAndRestoreOurItemsAndWeSeeTheirs) {
  const std::string uid = std::to_string(getuid());
  const struct {
    std::string top;       // where the items are ("" for the home)
    std::string prepare;   // shell command run in `top` first
    std::string trash;     // the Trash both programs must use, relative to `top`
    std::string recorded;  // "Path=" of our item
  } rows[] = {
      {"", "true", ".local/share/Trash", home_.Path("docs/R")},
      {"vol", "true", ".Trash-" + uid, "docs/R"},
      {"vol", "mkdir .Trash && chmod 1777 .Trash", ".Trash/" + uid, "docs/R"},
      {"vol", "mkdir .Trash && chmod 0777 .Trash", ".Trash-" + uid, "docs/R"},
      {"vol", "mkdir -m 1777 s && ln -s s .Trash", ".Trash-" + uid, "docs/R"},
  };
  for (const auto& row : rows) {
    const std::string top = row.top.empty() ? home_.Home() : home_.Path(row.top);
    const std::string why = row.prepare + " in " + top;
    Shell("cd '" + top + "' && rm -rf .Trash* docs s .local/share/Trash && " + row.prepare +
        " && mkdir docs");
    sp_testing::ResetFiles();
    files_test::Folder docs = files_test::FolderAt(home_, row.top.empty() ? "docs" : "vol/docs");
    SInt16 tv = 0;
    SInt32 trashDir = 0;
    ASSERT_EQ(FindFolder(docs.vRefNum, kTrashFolderType, kCreateFolder, &tv, &trashDir), noErr);
    const std::string trash = top + "/" + row.trash;
    ASSERT_EQ(files_test::FolderAt(home_, trash.substr(home_.Home().size() + 1) + "/files").dirID,
              trashDir)
        << why;

    WriteHostFile(docs.path + "/R", "ours");
    ASSERT_EQ(CatMove(docs.vRefNum, docs.dirID, PStr("R"), trashDir, nullptr), noErr) << why;
    const std::string info = ReadHostFile(trash + "/info/R.trashinfo");
    EXPECT_NE(info.find("\nPath=" + row.recorded + "\n"), std::string::npos) << why << info;
    EXPECT_EQ(fs::TrashInfoOriginalPath(trash, info), docs.path + "/R") << why;
    if (!row.top.empty()) {
      EXPECT_EQ(fs::TrashInfoOriginalPath("/media/moved/" + row.trash, info), "/media/moved/docs/R")
          << why << ": the volume mounted elsewhere";
    }
    EXPECT_NE(Shell("trash-list 2>/dev/null").find(" " + docs.path + "/R\n"), std::string::npos)
        << why;
    Shell("cd '" + docs.path + "' && echo 0 | trash-restore >/dev/null 2>&1");
    EXPECT_EQ(ReadHostFile(docs.path + "/R"), "ours") << why << ": restored";

    WriteHostFile(docs.path + "/P", "theirs");
    Shell("trash-put '" + docs.path + "/P' 2>/dev/null");
    FInfo finfo;
    EXPECT_EQ(HGetFInfo(tv, trashDir, PStr("P"), &finfo), noErr) << why << ": we see theirs";
  }
}

// $XDG_DATA_HOME on a file system of its own: the home Trash serves that one, while the volume
// holding $HOME and a third volume each have a Trash of their own, so every item reaches its
// Trash by a rename. A tmpfs is mounted over the test's home, and one each for the data folder
// and the third volume inside it (named so that no other test's volume has their names), so
// that no Trash is made outside the test's folders.
class FilesTrashVolumes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access("/usr/bin/trash-put", X_OK) != 0) GTEST_SKIP() << "trash-cli is not installed";
    if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
    for (const std::string& folder : {std::string(), std::string("xdg-data-volume"), std::string("third-volume")}) {
      const std::string path = folder.empty() ? home_.Home() : home_.Path(folder);
      mkdir(path.c_str(), 0700);
      if (mount("tmpfs", path.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << strerror(errno);
      mounted_.push_back(path);
    }
    mkdir(home_.Path(".config").c_str(), 0700);
    setenv("XDG_DATA_HOME", home_.Path("xdg-data-volume").c_str(), 1);
    sp_testing::ResetFiles();
  }
  void TearDown() override {
    for (auto it = mounted_.rbegin(); it != mounted_.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
    sp_testing::ResetFiles();
  }
  sp_testing::HomeScope home_;
  std::vector<std::string> mounted_;
};

TEST_F(FilesTrashVolumes, EachItemGoesToTheTrashOfItsVolumeAndOtherProgramsRestoreIt) {
  const std::string uid = std::to_string(getuid());
  const struct {
    const char* docs;   // where the item is, relative to the home
    std::string trash;  // the Trash it must reach
  } rows[] = {
      {"docs", ".Trash-" + uid},
      {"xdg-data-volume/docs", "xdg-data-volume/Trash"},
      {"third-volume/docs", "third-volume/.Trash-" + uid},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.docs);
    ASSERT_EQ(mkdir(home_.Path(row.docs).c_str(), 0700), 0);
    const files_test::Folder docs = files_test::FolderAt(home_, row.docs);
    WriteHostFile(docs.path + "/R", row.docs);
    SInt16 tv = 0;
    SInt32 trashDir = 0;
    ASSERT_EQ(FindFolder(docs.vRefNum, kTrashFolderType, kCreateFolder, &tv, &trashDir), noErr);
    EXPECT_EQ(tv, docs.vRefNum);
    EXPECT_EQ(files_test::FolderAt(home_, row.trash + "/files").dirID, trashDir);
    ASSERT_EQ(CatMove(docs.vRefNum, docs.dirID, PStr("R"), trashDir, nullptr), noErr);
    EXPECT_TRUE(HostExists(home_.Path(row.trash + "/files/R")));
    EXPECT_NE(Shell("trash-list 2>/dev/null").find(" " + docs.path + "/R\n"), std::string::npos);
    Shell("cd '" + docs.path + "' && echo 0 | trash-restore >/dev/null 2>&1");
    EXPECT_EQ(ReadHostFile(docs.path + "/R"), row.docs) << "restored";
  }
}

}  // namespace
