// One running copy per session: a start while another process holds the session lock says so
// (in an alert too), ends at once as failed and touches nothing; a lock left by a killed copy
// holds nothing back; a process that holds the lock may run the program again; and the lock is
// never put where others can write.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>

#include "AppTestSupport.h"
#include "Files.h"
#include "SessionLock.h"
#include "SessionLockHolder.h"
#include "SpCDREngineAlert.h"
#include "TestResponder.h"
#include "TestWindows.h"

namespace app_test {
namespace {

constexpr char kName[] = "mediamanager";

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Whether a process could take the lock file now (an flock of its own open file conflicts with
// every other holder, this process's included).
bool Lockable(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  const bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return locked;
}

// Everything in the home but the session folder: what a start that ends at once must leave.
std::set<std::string> HomeContents(const std::string& home) {
  std::set<std::string> items;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(home)) {
    const std::string path = entry.path().string();
    if (path.rfind(home + "/.runtime", 0) != 0) items.insert(path);
  }
  return items;
}

// Another process that takes the lock (leaving the note, when given one) and holds it.
struct LockHolder : test_support::SessionLockHolder {
  explicit LockHolder(const std::string& note) : SessionLockHolder(kName, note) {}
};

// TMPDIR, for the life of the object.
struct TemporaryFolderScope {
  explicit TemporaryFolderScope(const std::string& path) { setenv("TMPDIR", path.c_str(), 1); }
  ~TemporaryFolderScope() { was ? setenv("TMPDIR", was->c_str(), 1) : unsetenv("TMPDIR"); }
  std::unique_ptr<std::string> was{getenv("TMPDIR") ? new std::string(getenv("TMPDIR")) : nullptr};
};

class RunningCopy : public ProgramTest {
 protected:
  std::string Session() const { return home_.Path(".runtime/mediamanager"); }
  Step WindowShown() {
    return WaitFor("the window", [] { return M() != nullptr && M()->GetWindowRef() != nullptr; });
  }
};

TEST_F(RunningCopy, AStartWhileAnotherProcessRunsEndsAtOnceTouchingNothing) {
  const std::string notHere = SpCDR_MJ(
      "メディアマネージャはすでに起動していますが、そのウインドウはこのディスプレイにはありません。");
  const std::string elsewhere =
      SpCDR_MJ("メディアマネージャは、同じホームフォルダを使って、別のセッションか別のコンピュータで"
               "すでに起動しています。");
  const std::string otherRuntime = home_.Path("other-runtime");
  mkdir(otherRuntime.c_str(), 0700);
  struct Case {
    const char* why;
    std::string note;
    std::string runtime;  // the other copy's session folder; empty: this session's
    std::string message;
  } cases[] = {
      {"the other copy runs without a desktop, so it left no note", "", "", notHere},
      {"its window is on a display this process cannot reach", "x11 :no-such-display 0x400007", "",
       notHere},
      {"a note that is no window's address", "x11 :0 window", "", notHere},
      {"it runs in another session", "x11 :0 0x400007", otherRuntime, elsewhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    test_support::SessionLockHolder other(kName, c.note, [&c] {
      if (!c.runtime.empty()) setenv("XDG_RUNTIME_DIR", c.runtime.c_str(), 1);
    });
    ASSERT_TRUE(other.Took());
    const std::set<std::string> before = HomeContents(home_.Home());
    sp_testing::ResponderScope responder;
    sp_testing::Respond(sp_testing::Answer::Return());
    testing::internal::CaptureStderr();
    const int result = Run({});
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(result, 0) << "a start that did not run failed";
    EXPECT_NE(said.find("already running"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one sentence: " << said;
    ASSERT_EQ(sp_testing::ShownSoFar().size(), 1u) << "and an alert on this start's display";
    EXPECT_EQ(sp_testing::ShownSoFar()[0].message, c.message);
    EXPECT_EQ(applicationObj_GlV, nullptr);
    EXPECT_TRUE(sp_testing::WindowList().empty()) << "no window was opened";
    EXPECT_EQ(HomeContents(home_.Home()), before) << "no settings or list file was written";
    EXPECT_EQ(errors_.Count(), 0u);
    EndRun();
  }
}

TEST_F(RunningCopy, ALockLeftByAKilledCopyHoldsNothingBack) {
  LockHolder crashed("x11 :0 0x400007");
  ASSERT_TRUE(crashed.Took());
  crashed.Kill();
  const int result = Run({WindowShown(),
                          Do("look",
                             [&] {
                               EXPECT_FALSE(Lockable(Session() + "/lock"));
                               EXPECT_FALSE(Exists(Session() + "/note"))
                                   << "the dead copy's note names no window";
                             }),
                          Quit()});
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(forcedEnd_);
  EXPECT_TRUE(Exists(home_.Path(".config/Mirrelbox Prefs"))) << "the program ran";
  EXPECT_TRUE(Lockable(Session() + "/lock")) << "let go at the end";
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(RunningCopy, AProcessHoldingTheLockRunsTheProgramAgainAndStillHoldsItAfter) {
  ASSERT_EQ(SpTakeSessionLock(kName, nullptr), noErr);
  const int result = Run({WindowShown(), Quit()});
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(forcedEnd_);
  EXPECT_FALSE(Lockable(Session() + "/lock")) << "the program gave back only its own take";
  SpReleaseSessionLock(kName);
  EXPECT_TRUE(Lockable(Session() + "/lock"));
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(RunningCopy, WhereTheHomeCannotBeGuardedTheStartSaysSoInOneSentenceAndRuns) {
  const std::string data = SpProgramDataFolder();
  std::filesystem::create_directories(data);
  // Something that is no lock file where the home's lock lies.
  ASSERT_EQ(mkdir((data + "/mediamanager.lock").c_str(), 0700), 0);
  testing::internal::CaptureStderr();
  const int result = Run({WindowShown(), Quit()});
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 0);
  EXPECT_NE(said.find("could not make sure that no other copy"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "one sentence: " << said;
  EXPECT_TRUE(errors_.Has("CDR_Main")) << "and the log has it";
  EXPECT_TRUE(Exists(home_.Path(".config/Mirrelbox Prefs"))) << "the program ran";
}

// A folder of the user's with these permissions, or of another user's (nobody's); empty when
// it cannot be had (only root gives a folder away).
std::string Folder(const std::string& path, mode_t mode, bool foreign = false) {
  mkdir(path.c_str(), 0700);
  if (chmod(path.c_str(), mode) != 0) return "";
  return !foreign || chown(path.c_str(), 65534, 65534) == 0 ? path : "";
}

TEST_F(RunningCopy, TheLockIsNeverPutWhereOthersCanWrite) {
  const std::string own = "/mediamanager-" + std::to_string(geteuid());
  const std::string tmp = Folder(home_.Path("tmp"), 0700), fallback = tmp + own;
  const std::string tmpOther = Folder(home_.Path("tmp-other"), 0700);
  const std::string elsewhere = Folder(home_.Path("elsewhere"), 0700);
  const std::string openSession = Folder(home_.Path("rt-open"), 0700) + "/mediamanager";
  const std::string linkSession = Folder(home_.Path("rt-link"), 0700) + "/mediamanager";
  Folder(openSession, 0777);
  ASSERT_EQ(symlink(elsewhere.c_str(), linkSession.c_str()), 0);
  const TemporaryFolderScope temporary(tmp);
  struct Case {
    const char* why;
    std::string runtime;  // XDG_RUNTIME_DIR (empty: unset)
    std::string tmp;      // TMPDIR
    std::string refused;  // where no lock may be (empty: the case cannot be made here)
    bool fallsBack;       // the lock is taken in the temporary folder instead
  } cases[] = {
      {"anyone may write the runtime folder", home_.Path("open"), tmp,
       Folder(home_.Path("open"), 0777), true},
      {"its group may write it", home_.Path("group"), tmp, Folder(home_.Path("group"), 0770), true},
      {"it is another user's", home_.Path("other"), tmp, Folder(home_.Path("other"), 0700, true),
       true},
      {"it is a relative path", std::filesystem::relative(home_.Path(".runtime")).string(), tmp,
       home_.Path(".runtime"), true},
      {"anyone may write the session folder in it", home_.Path("rt-open"), tmp, openSession, false},
      {"the session folder is a link to a folder of the user's", home_.Path("rt-link"), tmp,
       elsewhere, false},
      {"no runtime folder, and the temporary one is another user's", "", tmpOther,
       Folder(tmpOther + own, 0700, true), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    if (c.refused.empty() && geteuid() != 0) continue;
    ASSERT_FALSE(c.refused.empty());
    // TemporaryFolderScope and HomeScope put both back.
    c.runtime.empty() ? unsetenv("XDG_RUNTIME_DIR")
                      : setenv("XDG_RUNTIME_DIR", c.runtime.c_str(), 1);
    setenv("TMPDIR", c.tmp.c_str(), 1);
    errors_.Clear();
    EXPECT_EQ(Run({WindowShown(), Quit()}), 0) << "the program runs all the same";
    EXPECT_FALSE(Exists(c.refused + "/lock"));
    EXPECT_FALSE(Exists(c.refused + "/mediamanager/lock"));
    EXPECT_EQ(Exists(fallback + "/lock"), c.fallsBack);
    EXPECT_EQ(errors_.Has("CDR_Main"), !c.fallsBack) << "a refused lock is reported";
    EndRun();
    std::error_code ignored;
    std::filesystem::remove_all(fallback, ignored);
  }
}

}  // namespace
}  // namespace app_test
