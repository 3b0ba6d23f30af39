// A home that more than one copy of the program reaches: the one-copy lock holds whatever
// session folders each copy was started with, what records and side files another machine
// left on a shared home is never cleared from here, and files of another kind (a FIFO) under
// the names of records, notes and lock files never hold a start or a save back.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "FilesFixture.h"
#include "SaveRaces.h"
#include "SessionLock.h"
#include "SessionLockHolder.h"
#include "TestFiles.h"
#include "files/detail/Catalog.h"
#include "files/detail/Temporaries.h"
#include "files/internal/SideFiles.h"

namespace {

namespace fs = sp_platform::files;
using files_test::HostExists;
using files_test::WriteHostFile;

constexpr char kName[] = "sharedhome";

// A generous watchdog, never a measure: a call that waits for ever fails the test instead of
// hanging it.
constexpr unsigned kWatchdogSeconds = 120;

// Runs `job` in a child process (with the watchdog) and gives what it returned; -1 when the
// child ended otherwise (killed by the watchdog).
int InChild(const std::function<int()>& job) {
  const pid_t child = fork();
  if (child == 0) {
    alarm(kWatchdogSeconds);
    _exit(job() & 0x7F);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The names in a folder.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (const dirent* d = dir != nullptr ? readdir(dir) : nullptr) {
    if (d->d_name[0] != '.') names.push_back(d->d_name);
  }
  if (dir != nullptr) closedir(dir);
  return names;
}

// Another process that takes the lock with its own XDG_RUNTIME_DIR (and TMPDIR, when given)
// and holds it; it leaves a note where it has a session folder.
struct Holder : test_support::SessionLockHolder {
  explicit Holder(const std::string& runtime, const std::string& tmp = "")
      : SessionLockHolder(kName, "x11 :0 0x400007", [runtime, tmp] {
          setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
          if (!tmp.empty()) setenv("TMPDIR", tmp.c_str(), 1);
        }) {}
};

std::string Folder(const std::string& path, mode_t mode) {
  mkdir(path.c_str(), 0700);
  chmod(path.c_str(), mode);
  return path;
}

TEST(SessionLock, ACopyWithOtherSessionFoldersOnTheSameHomeDoesNotRun) {
  sp_testing::HomeScope home;
  const std::string first = Folder(home.Path("run-first"), 0700);
  WriteHostFile(home.Path("file"), "");
  Holder holder(first);
  ASSERT_TRUE(holder.Took());
  struct Case {
    const char* why;
    std::string runtime;  // empty: unset
    std::string note;     // what the start is told of the running copy
    OSErr elsewhere;      // and whether it runs in another session
  } cases[] = {
      {"the same session", first, "x11 :0 0x400007", noErr},
      {"another session's runtime folder", Folder(home.Path("run-other"), 0700), "", fBsyErr},
      {"a runtime folder this copy cannot write", Folder(home.Path("run-locked"), 0500), "",
       fBsyErr},
      {"a runtime folder that cannot be had", home.Path("file/run"), "", fBsyErr},
      {"no runtime folder: the temporary folder's", "", "", fBsyErr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::string note = "unchanged";
    const int result = InChild([&] {
      c.runtime.empty() ? unsetenv("XDG_RUNTIME_DIR")
                        : setenv("XDG_RUNTIME_DIR", c.runtime.c_str(), 1);
      setenv("TMPDIR", home.Path("").c_str(), 1);
      OSErr elsewhere = 1;
      const OSErr err = SpTakeSessionLock(kName, &note, &elsewhere);
      return err != fBsyErr ? 1 : note != c.note ? 2 : elsewhere != c.elsewhere ? 3 : 0;
    });
    EXPECT_EQ(result, 0) << "0: refused with the note; 1: it took the lock; 2: another note; "
                            "3: told the wrong session";
  }
}

TEST(SessionLock, WithoutASessionFolderTheHomeAloneIsGuardedAndNoNoteIsLeft) {
  sp_testing::HomeScope home;
  WriteHostFile(home.Path("file"), "");
  {
    // Neither the runtime folder nor the temporary one can hold a session folder.
    Holder holder(home.Path("file/run"), home.Path("file"));
    ASSERT_TRUE(holder.TookWithoutSessionFolder()) << "guarded by the home's lock, no note";
    EXPECT_EQ(InChild([] {
                std::string note = "unchanged";
                return SpTakeSessionLock(kName, &note) == fBsyErr && note.empty() ? 0 : 1;
              }),
              0)
        << "a start of the usual session does not run beside it";
  }
  EXPECT_EQ(InChild([] { return SpTakeSessionLock(kName, nullptr) == noErr ? 0 : 1; }), 0)
      << "let go when it ended";
}

// A lock taken twice in one process is held until its second release, and then free for a
// start of any session: the home's guard as well as the session's lock, with no note left.
TEST(SessionLock, TheLastReleaseLetsTheHomeAndTheSessionGo) {
  sp_testing::HomeScope home;
  const std::string runtime = Folder(home.Path("run-mine"), 0700);
  const std::string other = Folder(home.Path("run-other"), 0700);
  // The holder takes the lock twice and gives one take back each time it is told to; it
  // answers 1 while all is as asked.
  int told[2], answers[2];
  ASSERT_EQ(pipe(told), 0);
  ASSERT_EQ(pipe(answers), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    alarm(kWatchdogSeconds);
    close(told[1]);
    close(answers[0]);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    char ok = SpTakeSessionLock(kName, nullptr) == noErr &&
              SpTakeSessionLock(kName, nullptr) == noErr &&
              SpWriteSessionNote(kName, "x11 :0 0x400007") == noErr;
    for (char c = 0; write(answers[1], &ok, 1) == 1 && read(told[0], &c, 1) == 1;) {
      SpReleaseSessionLock(kName);
    }
    _exit(0);
  }
  close(told[0]);
  close(answers[1]);
  char ok = 0;
  ASSERT_EQ(read(answers[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  // Whether a start with that runtime folder takes the lock; it gives it back at once.
  const auto starts = [](const std::string& folder) {
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    const OSErr err = SpTakeSessionLock(kName, nullptr);
    if (err == noErr) SpReleaseSessionLock(kName);
    EXPECT_TRUE(err == noErr || err == fBsyErr) << err;
    return err == noErr;
  };
  for (const int release : {1, 2}) {
    SCOPED_TRACE("after release " + std::to_string(release));
    ASSERT_EQ(write(told[1], "r", 1), 1);
    ASSERT_EQ(read(answers[0], &ok, 1), 1);
    EXPECT_EQ(starts(runtime), release == 2) << "a start of the same session";
    EXPECT_EQ(starts(other), release == 2) << "a start of another session: the home's guard";
  }
  EXPECT_EQ(Listing(runtime + "/" + kName), std::vector<std::string>{"lock"}) << "no note";
  close(told[1]);
  close(answers[0]);
  int status = 0;
  EXPECT_EQ(waitpid(holder, &status, 0), holder);
}

TEST(SessionLock, WhereTheHomeCannotBeGuardedNothingIsHeld) {
  sp_testing::HomeScope home;
  const std::string data = fs::ProgramDataFolder();
  ASSERT_EQ(system(("mkdir -p '" + data + "'").c_str()), 0);
  ASSERT_EQ(mkdir((data + "/" + kName + ".lock").c_str(), 0700), 0);
  EXPECT_NE(SpTakeSessionLock(kName, nullptr), noErr);
  EXPECT_EQ(SpWriteSessionNote(kName, "x11 :0 0x1"), fnOpnErr) << "nothing is held";
  EXPECT_EQ(InChild([] {
              const OSErr err = SpTakeSessionLock(kName, nullptr);
              return err != fBsyErr && err != noErr ? 0 : 1;
            }),
            0)
      << "the session's lock was let go again";
}

// A FIFO (or another file that is not a regular file) under the name of the note, of a record
// of temporaries, of the catalogue or of a lock file is refused at once, never waited on.
TEST(SessionLock, AFifoUnderTheNotesOrTheLocksNameHoldsNoStartBack) {
  sp_testing::HomeScope home;
  std::string folder;
  ASSERT_EQ(SpSessionFolder(kName, &folder), noErr);
  {
    Holder holder(getenv("XDG_RUNTIME_DIR"));
    ASSERT_TRUE(holder.Took());
    ASSERT_EQ(unlink((folder + "/note").c_str()), 0);
    ASSERT_EQ(mkfifo((folder + "/note").c_str(), 0600), 0);
    EXPECT_EQ(InChild([] {
                std::string note = "unchanged";
                return SpTakeSessionLock(kName, &note) == fBsyErr && note.empty() ? 0 : 1;
              }),
              0);
  }
  ASSERT_EQ(unlink((folder + "/lock").c_str()), 0);
  ASSERT_EQ(mkfifo((folder + "/lock").c_str(), 0600), 0);
  const std::string guard = fs::ProgramDataFolder() + "/" + kName + ".lock";
  ASSERT_EQ(unlink(guard.c_str()), 0);
  ASSERT_EQ(mkfifo(guard.c_str(), 0600), 0);
  EXPECT_EQ(InChild([] { return SpTakeSessionLock(kName, nullptr) == permErr ? 0 : 1; }), 0);
}

TEST(FilesTemporaries, AFifoNamedLikeARecordHoldsNoStartBack) {
  sp_testing::HomeScope home;
  const files_test::Folder docs = files_test::DocumentsFolder(home);
  UInt32 number = 0;
  ASSERT_EQ(fs::RecordTemporary(docs.path + "/a", fs::TemporaryKind::kFile, number), noErr);
  fs::ForgetTemporary(number);
  ASSERT_EQ(mkfifo((fs::TemporariesFolder() + "/1-1").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((fs::CatalogueFilePath()).c_str(), 0600), 0);
  EXPECT_EQ(InChild([&] {
              fs::RemoveLeftoverTemporaries();
              sp_testing::RestartFileCatalogue();
              UInt32 n = 0;
              const OSErr err = fs::RecordTemporary(docs.path + "/b", fs::TemporaryKind::kFile, n);
              if (err != noErr) return 1;
              WriteHostFile(docs.path + "/b", "");
              return fs::TemporaryMade(n) == noErr ? 0 : 2;
            }),
            0);
  EXPECT_TRUE(HostExists(fs::TemporariesFolder() + "/1-1")) << "no record of ours: left alone";
}

// The bytes of a record where its machine and boot lie: after the magic, version, kind,
// process id and start time.
constexpr std::size_t kHostAt = 4 + 2 + 1 + 4 + 8;

// Records of temporaries on a home two machines share: a process of the other machine may
// still run under an id that is free here, so its records and files stay; what this machine
// left before its last start goes whatever the id; records of older starts, without a
// machine, are judged as before.
TEST(FilesTemporaries, OnlyThisMachinesEndedProcessesLeaveTemporariesToClear) {
  sp_testing::HomeScope home;
  const files_test::Folder docs = files_test::DocumentsFolder(home);
  const std::string d = docs.path + "/";
  struct Case {
    std::string name;
    std::function<void(std::string&)> change;  // of the record's bytes
    bool remains;
    const char* why;
  };
  const auto flip = [](std::size_t at) {
    return [at](std::string& bytes) { bytes[at] = char(bytes[at] ^ 0x5A); };
  };
  const std::vector<Case> cases = {
      {"ended", nullptr, false, "an ended process of this machine"},
      {"other-machine", flip(kHostAt), true, "another machine's, whose process may run there"},
      {"earlier-boot",
       [&](std::string& bytes) {
         flip(kHostAt + 4)(bytes);
         bytes.replace(7, 4, std::string("\0\0\0", 3) + char(1));  // pid 1 runs here
       },
       false, "this machine's from before its last start, under an id that runs now"},
      {"older-start",
       [](std::string& bytes) {
         bytes[5] = 1;  // version 1: no machine
         bytes.erase(kHostAt, 8);
       },
       false, "a record of an older start, of an ended process"},
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (const Case& c : cases) {
      UInt32 number = 0;
      if (fs::RecordTemporary(d + c.name, fs::TemporaryKind::kFile, number) != noErr) _exit(1);
      WriteHostFile(d + c.name, "");
      if (fs::TemporaryMade(number) != noErr) _exit(2);
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  int changed = 0;
  for (const std::string& name : Listing(fs::TemporariesFolder())) {
    const std::string record = fs::TemporariesFolder() + "/" + name;
    std::string bytes = files_test::ReadHostFile(record);
    ASSERT_GT(bytes.size(), kHostAt + 8) << record;
    ASSERT_EQ(name.find(std::to_string(child) + "-"), 0u) << "named after its process";
    EXPECT_NE(name.find("@" + fs::HostMarkText()), std::string::npos) << "and its machine";
    for (const Case& c : cases) {
      if (bytes.find(d + c.name) == std::string::npos) continue;
      if (c.change) c.change(bytes);
      WriteHostFile(record, bytes);
      ++changed;
    }
  }
  ASSERT_EQ(changed, int(cases.size()));
  EXPECT_EQ(fs::RemoveLeftoverTemporaries(), 3);
  for (const Case& c : cases) EXPECT_EQ(HostExists(d + c.name), c.remains) << c.why;
}

}  // namespace
