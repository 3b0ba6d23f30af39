// One running copy per session: a start while another process holds the session lock ends at
// once and touches nothing; a lock left by a killed copy holds nothing back; a process that
// holds the lock may run the program again; and the lock is never put where others can write.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "AppTestSupport.h"
#include "SessionLock.h"
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

// Another process that takes the lock (leaving the note, when given one) and holds it until it
// is told to end or is killed.
class LockHolder {
 public:
  explicit LockHolder(const std::string& note) {
    int ready[2], go[2];
    if (pipe(ready) != 0 || pipe(go) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(go[1]);
      char took = SpTakeSessionLock(kName, nullptr) == noErr &&
                  (note.empty() || SpWriteSessionNote(kName, note) == noErr);
      if (write(ready[1], &took, 1) == 1) {
        while (read(go[0], &took, 1) > 0) {
        }
      }
      _exit(0);
    }
    close(ready[1]);
    close(go[0]);
    char took = 0;
    took_ = pid_ > 0 && read(ready[0], &took, 1) == 1 && took == 1;
    close(ready[0]);
    go_ = go[1];
  }
  ~LockHolder() { End(); }
  bool Took() const { return took_; }
  void Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL);
    End();
  }
  void End() {
    if (go_ >= 0) close(go_);
    go_ = -1;
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int go_ = -1;
  bool took_ = false;
};

// Sets an environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    const char* was = getenv(name);
    had_ = was != nullptr;
    if (had_) was_ = was;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (had_)
      setenv(name_, was_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string was_;
};

class RunningCopy : public ProgramTest {
 protected:
  std::string Session() const { return home_.Path(".runtime/mediamanager"); }
  Step WindowShown() {
    return WaitFor("the window", [] { return M() != nullptr && M()->GetWindowRef() != nullptr; });
  }
};

TEST_F(RunningCopy, AStartWhileAnotherProcessRunsEndsAtOnceTouchingNothing) {
  struct Case {
    const char* why;
    std::string note;
  } cases[] = {
      {"the other copy runs without a desktop, so it left no note", ""},
      {"its window is on a display this process cannot reach", "x11 :no-such-display 0x400007"},
      {"a note that is no window's address", "x11 :0 window"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    LockHolder other(c.note);
    ASSERT_TRUE(other.Took());
    const std::set<std::string> before = HomeContents(home_.Home());
    testing::internal::CaptureStderr();
    const int result = Run({});
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);
    EXPECT_NE(said.find("already running"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one sentence: " << said;
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

// A folder of another user's (nobody's); empty without the right to give one away.
std::string ForeignFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 || chown(path.c_str(), 65534, 65534) != 0) return "";
  return path;
}

// A folder of the user's with these permissions.
std::string FolderWithMode(const std::string& path, mode_t mode) {
  mkdir(path.c_str(), 0700);
  return chmod(path.c_str(), mode) == 0 ? path : "";
}

TEST_F(RunningCopy, TheLockIsNeverPutWhereOthersCanWrite) {
  const std::string tmp = home_.Path("tmp");
  ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
  const std::string fallback = tmp + "/mediamanager-" + std::to_string(geteuid());
  const std::string runtime = home_.Path(".runtime");
  struct Place {
    std::string runtime;  // XDG_RUNTIME_DIR (empty: unset)
    std::string refused;  // where no lock may be
  };
  struct Case {
    const char* why;
    std::function<Place()> prepare;
    bool fallsBack;  // the lock goes to the temporary folder instead
  } cases[] = {
      {"a runtime folder anyone may write",
       [&] {
         return Place{FolderWithMode(home_.Path("open"), 0777), home_.Path("open")};
       },
       true},
      {"a runtime folder anyone may write, sticky as /tmp",
       [&] {
         return Place{FolderWithMode(home_.Path("sticky"), 01777), home_.Path("sticky")};
       },
       true},
      {"a runtime folder the group may write",
       [&] {
         return Place{FolderWithMode(home_.Path("group"), 0770), home_.Path("group")};
       },
       true},
      {"a runtime folder of another user's",
       [&] {
         return Place{ForeignFolder(home_.Path("other")), home_.Path("other")};
       },
       true},
      {"a relative runtime folder",
       [&] {
         return Place{".runtime", runtime};
       },
       true},
      {"a session folder in the runtime folder that others may write",
       [&] {
         FolderWithMode(runtime + "/mediamanager", 0777);
         return Place{runtime, runtime + "/mediamanager"};
       },
       false},
      {"a session folder that is a link to a folder of the user's",
       [&] {
         mkdir(home_.Path("elsewhere").c_str(), 0700);
         symlink(home_.Path("elsewhere").c_str(), (runtime + "/mediamanager").c_str());
         return Place{runtime, home_.Path("elsewhere")};
       },
       false},
      {"no runtime folder, and a temporary folder others may write",
       [&] {
         return Place{"", FolderWithMode(fallback, 0777)};
       },
       false},
      {"no runtime folder, and a temporary folder of another user's",
       [&] {
         return Place{"", ForeignFolder(fallback)};
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ScopedVariable temporary("TMPDIR", tmp);
    ScopedVariable session("XDG_RUNTIME_DIR", runtime);
    const Place place = c.prepare();
    if (place.refused.empty() && geteuid() != 0) continue;  // no other user's folder to be had
    ASSERT_FALSE(place.refused.empty());
    if (place.runtime.empty())
      unsetenv("XDG_RUNTIME_DIR");
    else
      setenv("XDG_RUNTIME_DIR", place.runtime.c_str(), 1);
    errors_.Clear();
    const int result = Run({WindowShown(), Quit()});
    EXPECT_EQ(result, 0) << "the program runs all the same";
    EXPECT_FALSE(Exists(place.refused + "/lock"));
    EXPECT_FALSE(Exists(place.refused + "/mediamanager/lock"));
    EXPECT_EQ(Exists(fallback + "/lock"), c.fallsBack);
    EXPECT_EQ(errors_.Has("CDR_Main"), !c.fallsBack) << "a refused lock is reported";
    EndRun();
    std::error_code ignored;
    for (const char* left : {"open", "sticky", "group", "other", "elsewhere"})
      std::filesystem::remove_all(home_.Path(left), ignored);
    std::filesystem::remove_all(fallback, ignored);
    std::filesystem::remove_all(runtime + "/mediamanager", ignored);
  }
}

}  // namespace
}  // namespace app_test
