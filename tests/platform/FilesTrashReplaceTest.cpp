// A file replaced by another keeps its old contents restorable in the Trash, and its name never
// names less than the old file or the whole new one; what a killed process left of its
// temporary files goes, and nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "Files.h"
#include "FilesFixture.h"
#include "KillSteps.h"
#include "TestFiles.h"
#include "TrashJudge.h"
#include "files/detail/Temporaries.h"
#include "files/detail/Trash.h"

namespace {

namespace fs = sp_platform::files;
using files_test::HostExists;
using files_test::ReadHostFile;
using files_test::WriteHostFile;

const char kOld[] = "the old contents";
const char kNew[] = "the new contents, complete";

class FilesReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    docs_ = files_test::DocumentsFolder(home_);
    trash_ = fs::HomeTrashFolder();
  }
  void TearDown() override { fs::RefuseHardLinksForTests(false); }

  std::string Doc(const std::string& name) const { return docs_.path + "/" + name; }
  // The old file and its replacement, and no Trash yet.
  void Prepare() {
    std::system(("rm -rf '" + trash_ + "' '" + fs::TemporariesFolder() + "'").c_str());
    WriteHostFile(Doc("song.txt"), kOld);
    WriteHostFile(Doc("song.tmp"), kNew);
  }
  OSErr Replace(const std::string& target = "song.txt", const std::string& fresh = "song.tmp") {
    const FSRef old = files_test::RefAt(home_, "Documents/" + target);
    const FSRef replacement = files_test::RefAt(home_, "Documents/" + fresh);
    return FSReplaceFileKeepingOldInTrash(&old, &replacement, nullptr);
  }

  sp_testing::HomeScope home_;
  files_test::Folder docs_;
  std::string trash_;
};

// Killed before each change it makes, with a hard link and with the copy of a file system
// without links: the name holds the old or the new file, the Trash lists no entry without its
// item and the old file at most once, and what a kill left half made goes as a leftover. At
// the end the new file has the name and trash-restore brings the old one back.
TEST_F(FilesReplace, TheNameNeverNamesLessThanOneWholeFileWhereverAKillFalls) {
  if (!test_support::HaveTrashCli()) GTEST_SKIP() << "trash-cli is not installed";
  for (const bool copy : {false, true}) {
    SCOPED_TRACE(copy ? "copied" : "linked");
    fs::RefuseHardLinksForTests(copy);
    int kills = 0;
    const int steps = test_support::RunKilledAtEachStep(
        [&] { Prepare(); }, [&] { return Replace() == noErr ? 0 : 1; },
        [&](const test_support::KilledRun& run) {
          SCOPED_TRACE("killed before step " + std::to_string(run.step));
          const std::string now = ReadHostFile(Doc("song.txt"));
          EXPECT_TRUE(now == kOld || now == kNew) << now;
          EXPECT_EQ(test_support::TrashPhantoms(trash_), std::vector<std::string>());
          EXPECT_LE(test_support::TrashListedFrom(docs_.path).size(), 1u);
          if (!run.finished) {
            ++kills;
            fs::RemoveLeftoverTemporaries();
            EXPECT_EQ(test_support::TrashEntries(trash_, "info"),
                      test_support::TrashEntries(trash_, "files"))
                << "an info file for each item, and no other";
            return;
          }
          EXPECT_EQ(run.status, 0);
          EXPECT_FALSE(HostExists(Doc("song.tmp")));
          ASSERT_EQ(test_support::TrashListedFrom(docs_.path).size(), 1u);
          ASSERT_EQ(std::rename(Doc("song.txt").c_str(), Doc("new.txt").c_str()), 0);
          std::system(
              ("cd '" + docs_.path + "' && echo 0 | trash-restore >/dev/null 2>&1").c_str());
          EXPECT_EQ(ReadHostFile(Doc("song.txt")), kOld) << "restored by another program";
        });
    EXPECT_GE(steps, 3) << "the info file, the second name, the rename";
    EXPECT_EQ(kills, steps);
  }
}

// Calls that cannot replace leave both files as they were and the Trash without an item.
TEST_F(FilesReplace, RefusedReplacementsChangeNothing) {
  Prepare();
  ASSERT_EQ(mkdir(Doc("album").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(Doc("sub").c_str(), 0700), 0);
  WriteHostFile(Doc("sub/other.tmp"), kNew);
  const FSRef song = files_test::RefAt(home_, "Documents/song.txt");
  const struct {
    const char* target;
    const char* fresh;
    OSErr expected;
    const char* why;
  } cases[] = {
      {"album", "song.tmp", notAFileErr, "a folder is never replaced"},
      {"song.txt", "album", notAFileErr, "nor put in a file's place"},
      {"song.txt", "sub/other.tmp", badMovErr, "a replacement from another folder"},
      {"song.txt", "song.txt", paramErr, "a file in its own place"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Replace(c.target, c.fresh), c.expected) << c.why;
  }
  EXPECT_EQ(FSReplaceFileKeepingOldInTrash(&song, nullptr, nullptr), paramErr);
  // The Trash cannot be made: a file holds its place.
  WriteHostFile(trash_, "not a folder");
  EXPECT_NE(Replace(), noErr) << "no Trash to keep the old file in";
  ASSERT_EQ(std::remove(trash_.c_str()), 0);
  EXPECT_EQ(ReadHostFile(Doc("song.txt")), kOld);
  EXPECT_EQ(ReadHostFile(Doc("song.tmp")), kNew);
  EXPECT_TRUE(files_test::HostExists(Doc("album")));
  EXPECT_EQ(test_support::TrashEntries(trash_, "files"), 0);
  EXPECT_EQ(test_support::TrashEntries(trash_, "info"), 0);
}

// Another program's item of the name in the Trash stays as it is, with its info file; the old
// file takes the next free name beside it.
TEST_F(FilesReplace, AnItemOfTheNameInTheTrashIsLeftAlone) {
  Prepare();
  ASSERT_EQ(fs::EnsureTrashFolders(trash_), noErr);
  const std::string theirs =
      "[Trash Info]\nPath=/elsewhere/song.txt\nDeletionDate=2020-01-01T00:00:00\n";
  WriteHostFile(trash_ + "/files/song.txt", "theirs");
  WriteHostFile(trash_ + "/info/song.txt.trashinfo", theirs);
  FSRef now{};
  const FSRef old = files_test::RefAt(home_, "Documents/song.txt");
  const FSRef replacement = files_test::RefAt(home_, "Documents/song.tmp");
  ASSERT_EQ(FSReplaceFileKeepingOldInTrash(&old, &replacement, &now), noErr);
  EXPECT_EQ(files_test::PathOf(now), Doc("song.txt"));
  EXPECT_EQ(ReadHostFile(Doc("song.txt")), kNew);
  EXPECT_EQ(ReadHostFile(trash_ + "/files/song.txt"), "theirs");
  EXPECT_EQ(ReadHostFile(trash_ + "/info/song.txt.trashinfo"), theirs);
  EXPECT_EQ(ReadHostFile(trash_ + "/files/song.txt 1"), kOld);
  EXPECT_NE(ReadHostFile(trash_ + "/info/song.txt 1.trashinfo").find("Path=" + Doc("song.txt")),
            std::string::npos);
}

// What records of a process that has ended leave behind: only the very files it recorded go
// (and an empty Trash info file with the item whose place it kept); a file that merely has a
// recorded name, a live process's file and a record of a folder that is away stay.
TEST(FilesTemporaries, OnlyTheRecordedFilesOfEndedProcessesGo) {
  sp_testing::HomeScope home;
  const files_test::Folder docs = files_test::DocumentsFolder(home);
  const std::string trash = fs::HomeTrashFolder();
  ASSERT_EQ(fs::EnsureTrashFolders(trash), noErr);
  ASSERT_EQ(mkdir(home.Path("away").c_str(), 0700), 0);
  const std::string d = docs.path + "/";
  struct Case {
    std::string path;
    fs::TemporaryKind kind;
    bool made;     // made by the ended process
    bool remains;  // there after the clean-up
    const char* why;
  };
  const std::vector<Case> cases = {
      {d + "tmp0", fs::TemporaryKind::kFile, true, false, "its own file"},
      {d + "tmp1", fs::TemporaryKind::kFile, false, true, "made later by someone else"},
      {d + "tmp2", fs::TemporaryKind::kFile, true, true, "replaced by someone else since"},
      {home.Path("away/tmp3"), fs::TemporaryKind::kFile, true, false, "its folder is away"},
      {trash + "/info/a.trashinfo", fs::TemporaryKind::kTrashInfo, true, false,
       "an empty info file: its item never fully came"},
      {trash + "/info/b.trashinfo", fs::TemporaryKind::kTrashInfo, true, true,
       "a written info file: its item is the Trash's"},
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (const Case& c : cases) {
      UInt32 number = 0;
      if (fs::RecordTemporary(c.path, c.kind, number) != noErr) _exit(1);
      if (!c.made) continue;
      WriteHostFile(c.path, "");
      if (fs::TemporaryMade(number) != noErr) _exit(2);
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  WriteHostFile(d + "tmp1", "the user's");
  ASSERT_EQ(std::remove((d + "tmp2").c_str()), 0);
  WriteHostFile(d + "tmp2", "the user's");
  WriteHostFile(trash + "/files/a", "half");
  WriteHostFile(trash + "/files/b", "whole");
  WriteHostFile(trash + "/info/b.trashinfo", "[Trash Info]\nPath=/b\n");
  WriteHostFile(d + "tmp9", "a look-alike nobody recorded");
  UInt32 live = 0;
  ASSERT_EQ(fs::RecordTemporary(d + "tmp8", fs::TemporaryKind::kFile, live), noErr);
  WriteHostFile(d + "tmp8", "");
  ASSERT_EQ(fs::TemporaryMade(live), noErr);
  WriteHostFile(fs::TemporariesFolder() + "/999-1", "no record of ours");
  ASSERT_EQ(rename(home.Path("away").c_str(), home.Path("gone").c_str()), 0);

  EXPECT_EQ(fs::RemoveLeftoverTemporaries(), 2);
  ASSERT_EQ(rename(home.Path("gone").c_str(), home.Path("away").c_str()), 0);
  EXPECT_EQ(fs::RemoveLeftoverTemporaries(), 1) << "the folder came back";
  for (const Case& c : cases) {
    EXPECT_EQ(HostExists(c.path), c.remains) << c.why;
  }
  EXPECT_FALSE(HostExists(trash + "/files/a"));
  EXPECT_TRUE(HostExists(trash + "/files/b"));
  EXPECT_TRUE(HostExists(d + "tmp8") && HostExists(d + "tmp9"));
  EXPECT_EQ(test_support::TrashEntries(fs::TemporariesFolder(), ""), 2)
      << "this process's record and the foreign file";
  fs::ForgetTemporary(live);
}

}  // namespace
