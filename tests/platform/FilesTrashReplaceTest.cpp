// A file replaced by another keeps its old contents restorable in the Trash, and its name never
// names less than the old file or the whole new one; what a killed process left of its
// temporary files goes, and nothing else.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "Files.h"
#include "FilesFixture.h"
#include "KillSteps.h"
#include "PrivateMounts.h"
#include "TestFiles.h"
#include "TrashJudge.h"
#include "files/detail/Temporaries.h"
#include "files/detail/Trash.h"
#include "files/internal/FileSteps.h"

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

// A volume whose top folder is the administrator's (a data disk or stick mounted by root) with
// a folder of the user's: its own Trash cannot be made there, nor written when the
// administrator left one, nor when its "files" folder is read-only while "info" is not, so the
// old file is copied into the home Trash, restorable to where it was, and the save goes
// through, leaving nothing in the volume's Trash.
TEST_F(FilesReplace, OnAVolumeWhoseTopFolderIsNotTheUsersTheOldFileGoesToTheHomeTrash) {
  const std::string volume = home_.Path("vol");
  ASSERT_EQ(mkdir(volume.c_str(), 0755), 0);
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
  // The Trash the user's process would use there: named by its real user id.
  const std::string theirs = volume + "/.Trash-" + std::to_string(getuid());
  enum TrashThere { kNone, kAdministrators, kFilesReadOnly };
  for (const TrashThere there : {kNone, kAdministrators, kFilesReadOnly}) {
    SCOPED_TRACE(there == kNone             ? "no Trash there"
                 : there == kAdministrators ? "the administrator's Trash on the volume"
                                            : "the user's Trash there, its files read-only");
    const bool trashThere = there != kNone;
    if (mount("tmpfs", volume.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs here: " << strerror(errno);
    sp_testing::ResetFiles();  // the volumes are looked at again
    std::system(("rm -rf '" + trash_ + "'").c_str());
    if (trashThere) {  // which the user may look into, not write
      ASSERT_EQ(fs::EnsureTrashFolders(theirs), noErr);
      ASSERT_EQ(std::system(("chmod -R 0755 '" + theirs + "'").c_str()), 0);
    }
    const std::string docs = volume + "/docs";
    ASSERT_EQ(mkdir(docs.c_str(), 0755), 0);
    WriteHostFile(docs + "/song.txt", kOld);
    WriteHostFile(docs + "/song.tmp", kNew);
    ASSERT_EQ(fs::EnsureTrashFolders(trash_), noErr);
    // The user ("nobody" when the tests run as root) owns its folder, its files and its home
    // Trash, and may pass through the home; the rest of the volume stays root's.
    const std::string user = geteuid() == 0 ? "65534:65534" : std::to_string(geteuid());
    ASSERT_EQ(std::system(
                  ("chown -R " + user + " '" + docs + "' '" + home_.Path(".local") + "'").c_str()),
              0);
    if (there == kFilesReadOnly) {
      ASSERT_EQ(std::system(
                    ("chown -R " + user + " '" + theirs + "' && chmod 0555 '" + theirs + "/files'")
                        .c_str()),
                0);
    }
    ASSERT_EQ(chmod(home_.Home().c_str(), 0711), 0);
    const FSRef old = files_test::RefAt(home_, "vol/docs/song.txt");
    const FSRef replacement = files_test::RefAt(home_, "vol/docs/song.tmp");
    files_test::RunUnprivileged(
        [&] { EXPECT_EQ(FSReplaceFileKeepingOldInTrash(&old, &replacement, nullptr), noErr); });
    EXPECT_EQ(ReadHostFile(docs + "/song.txt"), kNew);
    EXPECT_FALSE(HostExists(docs + "/song.tmp"));
    EXPECT_EQ(ReadHostFile(trash_ + "/files/song.txt"), kOld) << "a copy in the home Trash";
    EXPECT_NE(ReadHostFile(trash_ + "/info/song.txt.trashinfo")
                  .find("\nPath=" + fs::TrashEncodePath(docs + "/song.txt") + "\n"),
              std::string::npos)
        << "its full path, as the home Trash records it";
    const std::filesystem::directory_iterator top(volume);
    EXPECT_EQ(std::distance(begin(top), end(top)), trashThere ? 2 : 1) << "no Trash made there";
    EXPECT_EQ(test_support::TrashEntries(theirs, "files"), 0);
    EXPECT_EQ(test_support::TrashEntries(theirs, "info"), 0);
    umount2(volume.c_str(), MNT_DETACH);
  }
}

// Where the old file is copied into the Trash, the copy and the Trash's folders reach the disk
// before the new file takes the old name and so frees the old file's blocks; the rename itself
// is synced after.
TEST_F(FilesReplace, ACopyInTheTrashReachesTheDiskBeforeTheOldNameGoes) {
  Prepare();
  fs::RefuseHardLinksForTests(true);
  std::vector<std::string> journal;
  fs::JournalFileSteps(&journal);
  const OSErr err = Replace();
  fs::JournalFileSteps(nullptr);
  ASSERT_EQ(err, noErr);
  const auto at = [&](const std::string& entry) {
    return std::size_t(std::find(journal.begin(), journal.end(), entry) - journal.begin());
  };
  const std::size_t rename = at("rename " + Doc("song.tmp") + " " + Doc("song.txt"));
  ASSERT_LT(rename, journal.size());
  for (const std::string& synced :
       {trash_ + "/files/song.txt", trash_ + "/files", trash_ + "/info", Doc("song.tmp")}) {
    EXPECT_LT(at("sync " + synced), rename) << synced;
  }
  const std::size_t after = at("sync " + docs_.path);
  EXPECT_TRUE(after > rename && after < journal.size()) << "the folder after the rename";
}

// Killed just after the old file got its second name in the Trash, as the info file is
// written (a file size limit ends the process there, as SIGXFSZ does), the Trash holds the
// item under an empty info file. The item's record knew the old file before the link, so at
// the next start both go by their records however long ago those were written, and the old
// file keeps its name and contents.
TEST_F(FilesReplace, AKillJustAfterTheLinkLeavesNothingInTheTrashAtTheNextStart) {
  Prepare();
  ASSERT_EQ(fs::EnsureTrashFolders(trash_), noErr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The limit ends the process as it would a program that left SIGXFSZ alone (a test before
    // this one in the process may have had it ignored).
    signal(SIGXFSZ, SIG_DFL);
    // The step after both records are written is the link: from then on no file may grow.
    fs::SetFileStepHook([] {
      if (test_support::TrashEntries(fs::TemporariesFolder(), "") != 2) return;
      const rlimit none{0, 0};
      setrlimit(RLIMIT_FSIZE, &none);
    });
    _exit(Replace() == noErr ? 2 : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
  ASSERT_EQ(ReadHostFile(trash_ + "/files/song.txt"), kOld) << "linked before the kill";
  ASSERT_EQ(ReadHostFile(trash_ + "/info/song.txt.trashinfo"), "") << "listing nothing";
  for (const auto& entry : std::filesystem::directory_iterator(fs::TemporariesFolder())) {
    const struct timespec earlier[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, entry.path().c_str(), earlier, 0), 0);
  }
  EXPECT_EQ(fs::RemoveLeftoverTemporaries(), 2);
  EXPECT_EQ(test_support::TrashEntries(trash_, "files"), 0);
  EXPECT_EQ(test_support::TrashEntries(trash_, "info"), 0);
  EXPECT_EQ(ReadHostFile(Doc("song.txt")), kOld);
  EXPECT_EQ(ReadHostFile(Doc("song.tmp")), kNew);
}

// The last step fails (the old name is a mount point, which no rename replaces): both files
// stay as they were, and the old file's second name in the Trash goes with its info file.
TEST_F(FilesReplace, AFailedLastStepLeavesBothFilesAndNoTrashEntry) {
  Prepare();
  {
    const test_support::NameHeldByMount held(Doc("song.txt"));
    if (!held.Held()) GTEST_SKIP() << "this process may not mount";
    EXPECT_NE(Replace(), noErr);
  }
  EXPECT_EQ(ReadHostFile(Doc("song.txt")), kOld);
  EXPECT_EQ(ReadHostFile(Doc("song.tmp")), kNew);
  EXPECT_EQ(test_support::TrashEntries(trash_, "files"), 0);
  EXPECT_EQ(test_support::TrashEntries(trash_, "info"), 0);
  EXPECT_EQ(test_support::TrashEntries(fs::TemporariesFolder(), ""), 0) << "no record is left";
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

// What records of a process that has ended leave behind: only the very files it recorded go;
// a file that merely has a recorded name, a live process's file and a record of a folder that
// is away stay. In a Trash, an empty info file goes, and an item only by its own record, while
// its info file is empty or missing (never another's item of the name); a Trash entry made
// just after its record, which a kill kept from learning it, goes too. A record of a Trash
// entry that names a file outside a Trash removes nothing, whether it knows that file or not.
TEST(FilesTemporaries, OnlyTheRecordedFilesOfEndedProcessesGo) {
  sp_testing::HomeScope home;
  const files_test::Folder docs = files_test::DocumentsFolder(home);
  const std::string trash = fs::HomeTrashFolder();
  ASSERT_EQ(fs::EnsureTrashFolders(trash), noErr);
  ASSERT_EQ(mkdir(home.Path("away").c_str(), 0700), 0);
  const std::string d = docs.path + "/";
  const std::string info = trash + "/info/";
  const std::string files = trash + "/files/";
  // Made by the ended process, or killed between making it and its record learning it.
  enum Made { kNever, kLearnt, kUnlearnt };
  struct Case {
    std::string path;
    fs::TemporaryKind kind;
    Made made;
    bool remains;  // there after the clean-up
    const char* why;
  };
  const fs::TemporaryKind file = fs::TemporaryKind::kFile;
  const fs::TemporaryKind infoFile = fs::TemporaryKind::kTrashInfo;
  const fs::TemporaryKind item = fs::TemporaryKind::kTrashItem;
  const std::vector<Case> cases = {
      {d + "tmp0", file, kLearnt, false, "its own file"},
      {d + "tmp1", file, kNever, true, "made later by someone else"},
      {d + "tmp2", file, kLearnt, true, "replaced by someone else since"},
      {home.Path("away/tmp3"), file, kLearnt, false, "its folder is away"},
      {d + "tmp4", file, kUnlearnt, true, "a file it never learnt"},
      {info + "a.trashinfo", infoFile, kLearnt, false, "an empty info file"},
      {files + "a", item, kLearnt, false, "its item, which never got listed"},
      {info + "b.trashinfo", infoFile, kLearnt, true, "a written info file"},
      {files + "b", item, kLearnt, true, "an item whose info file was written"},
      {info + "c.trashinfo", infoFile, kLearnt, false, "an empty info file beside another's item"},
      {info + "d.trashinfo", infoFile, kUnlearnt, false, "an info file made just after its record"},
      {files + "e", item, kUnlearnt, false, "a copy made just after its record"},
      {info + "f.trashinfo", infoFile, kNever, true, "an info file made long after the record"},
      {d + "c.wav", item, kUnlearnt, true, "a user's file that a record of a Trash item names"},
      {d + "g.wav", item, kLearnt, true, "the very file, but outside any Trash"},
      {d + "h.trashinfo", infoFile, kUnlearnt, true, "an empty file named like an info file"},
      {d + "i.trashinfo", infoFile, kLearnt, true, "the very file, but in no Trash's info"},
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (const Case& c : cases) {
      UInt32 number = 0;
      if (fs::RecordTemporary(c.path, c.kind, number) != noErr) _exit(1);
      if (c.made == kNever) continue;
      WriteHostFile(c.path, "");
      if (c.made == kLearnt && fs::TemporaryMade(number) != noErr) _exit(2);
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  WriteHostFile(d + "tmp1", "the user's");
  ASSERT_EQ(std::remove((d + "tmp2").c_str()), 0);
  WriteHostFile(d + "tmp2", "the user's");
  WriteHostFile(info + "b.trashinfo", "[Trash Info]\nPath=/b\n");
  WriteHostFile(files + "c", "another program's item of the name");
  WriteHostFile(info + "f.trashinfo", "");
  // The record of f was written an hour before its info file appeared.
  for (const auto& entry : std::filesystem::directory_iterator(fs::TemporariesFolder())) {
    if (ReadHostFile(entry.path()).find("f.trashinfo") == std::string::npos) continue;
    const struct timespec earlier[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, entry.path().c_str(), earlier, 0), 0);
  }
  WriteHostFile(d + "tmp9", "a look-alike nobody recorded");
  UInt32 live = 0;
  ASSERT_EQ(fs::RecordTemporary(d + "tmp8", fs::TemporaryKind::kFile, live), noErr);
  WriteHostFile(d + "tmp8", "");
  ASSERT_EQ(fs::TemporaryMade(live), noErr);
  WriteHostFile(fs::TemporariesFolder() + "/999-1", "no record of ours");
  ASSERT_EQ(rename(home.Path("away").c_str(), home.Path("gone").c_str()), 0);

  EXPECT_EQ(fs::RemoveLeftoverTemporaries(), 6);
  ASSERT_EQ(rename(home.Path("gone").c_str(), home.Path("away").c_str()), 0);
  EXPECT_EQ(fs::RemoveLeftoverTemporaries(), 1) << "the folder came back";
  for (const Case& c : cases) {
    EXPECT_EQ(HostExists(c.path), c.remains) << c.why;
  }
  EXPECT_EQ(ReadHostFile(files + "c"), "another program's item of the name");
  EXPECT_TRUE(HostExists(d + "tmp8") && HostExists(d + "tmp9"));
  EXPECT_EQ(test_support::TrashEntries(fs::TemporariesFolder(), ""), 2)
      << "this process's record and the foreign file";
  fs::ForgetTemporary(live);
}

}  // namespace
