// Every dialog, sheet and alert of the built program on the tests' desktop, opened as a person
// opens them: through the menu strip with the mouse, and by their key commands. Each is a window
// the window manager frames (never a popup), moves with it, shows its texts, comes back where it
// was when opened again and after a restart, and waits for the person without using the
// processor. A picture of each is kept in the test output as dialog-<name>.xwd.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "ProgramDriver.h"
#include "SpStdFileFunction.h"
#include "TOCInfoTestSupport.h"
#include "TestFiles.h"
#include "XQueries.h"

namespace desktop_test {
namespace {

// The menu strip above the media window's content.
constexpr int kStrip = 20;
// The menu strip's titles, in order.
enum Title { kAppTitle, kAboutTitle, kFileTitle, kSettingsTitle };
// The middle of a menu's item below the strip: items are 18 pixels high, separators 9.
constexpr int kFirstItem = 9, kSecondItem = 27;
constexpr int kSaveEachItem = 54, kSaveOneItem = 72;  // File: close, -, eject, each, one

std::string N(int v) {
  return std::to_string(v);
}

// Where the pictures go: the test output folder CTest names, or the one beside the binary.
std::string OutputFolder() {
  if (const char* named = getenv("TEST_TMPDIR")) return named;
  char path[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  const std::string self(path, length > 0 ? std::size_t(length) : 0);
  const std::string folder = self.substr(0, self.rfind('/') + 1) + "test-output";
  mkdir(folder.c_str(), 0755);
  return folder;
}

// The processor time the process has used (user and system), in clock ticks.
long ProcessorTicks(pid_t pid) {
  std::ifstream in("/proc/" + N(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t name = stat.rfind(')');
  if (name == std::string::npos) return -1;
  std::vector<std::string> fields;
  std::size_t at = name + 2;
  while (at < stat.size() && fields.size() < 13) {
    const std::size_t space = stat.find(' ', at);
    fields.push_back(stat.substr(at, space - at));
    at = space == std::string::npos ? stat.size() : space + 1;
  }
  // After the name: state (3) ... utime (14) and stime (15).
  return fields.size() == 13 ? std::stol(fields[11]) + std::stol(fields[12]) : -1;
}

struct Box {
  int left, top, right, bottom;
};

// The program running in a home, driven from outside.
class Session {
 public:
  explicit Session(sp_testing::HomeScope& home) : home_(home) {}
  ~Session() {
    if (running_) QuitProgram(&program_);
  }

  bool Start() {
    running_ = StartProgram(home_, &program_, &main_);
    return running_ && FindTitles();
  }
  bool Quit() {
    running_ = false;
    return QuitProgram(&program_);
  }
  // Sends the program the signal the session's end sends; true when it then ended by itself
  // with status 0.
  bool EndBySignal(int signal) {
    running_ = false;
    kill(program_.pid, signal);
    const bool ended = WaitForTool(&program_, kProgramLimitMillis);
    if (!ended) kill(program_.pid, SIGKILL);
    return ended && WIFEXITED(program_.status) && WEXITSTATUS(program_.status) == 0;
  }
  const std::string& Main() const { return main_; }
  pid_t Pid() const { return program_.pid; }
  std::vector<std::string> Windows() const { return VisibleWindows(program_); }
  // The titles of the program's windows, for a failure's message.
  std::string Titles() const {
    std::string titles;
    for (const std::string& id : Windows()) titles += "[" + x11::WindowName(std::stoul(id)) + "]";
    return titles;
  }

  // A click at the point of the window's content (the media window's below its strip), once
  // it can reach the window (ClickOn).
  bool Click(const std::string& window, int x, int y) {
    return ClickOn(window, x, y + (window == main_ ? kStrip : 0));
  }
  // A click at the point while a menu of the program's holds the pointer (the click goes to
  // the menu wherever the pointer is). The pointer moves without --sync, which waits for a
  // motion that never comes when the pointer is there already.
  bool ClickInMenu(const std::string& window, int x, int y) {
    int sx = 0, sy = 0;
    return x11::ScreenPointOf(std::stoul(window), x, y + (window == main_ ? kStrip : 0), &sx,
                              &sy) &&
           RunTool({"xdotool", "mousemove", N(sx), N(sy), "click", "1"});
  }
  // A click on the menu's title in the strip, and once the menu shows, one on its item (the
  // middle of the item, that far below the strip).
  bool Choose(Title title, int item) {
    const Box& t = titles_[title];
    return OpenMenu(title) && ClickInMenu(main_, t.left + 30, item);
  }
  // A click on the menu's title in the strip, which leaves the menu open; true once the
  // menu's window shows.
  bool OpenMenu(Title title) {
    const Box& t = titles_[title];
    const std::size_t shown = Windows().size();
    return ClickOn(main_, (t.left + t.right) / 2, kStrip / 2) &&
           WaitUntil([&] { return Windows().size() > shown; });
  }
  bool Keys(const std::string& keys) { return RunTool({"xdotool", "key", keys}); }
  // A click on the popup button at the point, and once its menu shows, one on the item that
  // far below the current one, which the menu opens over (items are 18 pixels high).
  bool PickFromPopup(const std::string& window, int x, int y, int itemsDown) {
    const std::size_t shown = Windows().size();
    return Click(window, x, y) && WaitUntil([&] { return Windows().size() > shown; }) &&
           ClickInMenu(window, x, y + 18 * itemsDown) &&
           WaitUntil([&] { return Windows().size() == shown; });
  }
  // Once the row shows a name, a click on it; true when it shows selected (the list's
  // selection colour, 68 %, 68 %, 92 %). The rows of the media list are 20 pixels apart from
  // y 60.
  bool SelectRow(int row) {
    const int y = kStrip + 60 + 20 * (row - 1);
    const auto selected = [y](const ScreenImage& i) {
      const UInt32 p = i.At(280, y);
      return std::abs(int((p >> 16) & 0xFF) - 173) <= 2 && std::abs(int((p >> 8) & 0xFF) - 173) <= 2 &&
             std::abs(int(p & 0xFF) - 235) <= 2;
    };
    if (!WaitForImage(main_, [y](const ScreenImage& i) {
          return DarkPixelsIn(i, 54, y - 4, 200, y + 10) > 10;
        })) {
      return false;
    }
    return Click(main_, 280, y - kStrip) && WaitForImage(main_, selected);
  }

  // The program's window shown since `before` whose title is that (a sheet has none; "*" takes
  // any title). Windows the window manager leaves alone are not taken: the menu that opened
  // the window may still show, untitled, while the program has not yet taken the click on its
  // item (a dialog shown as such a window is not found, and fails as one that did not show).
  std::string AwaitWindow(const std::vector<std::string>& before, const std::string& title) {
    std::string found;
    WaitUntil([&] {
      for (const std::string& id : Windows()) {
        x11::WindowLook look;
        if (id != main_ && std::find(before.begin(), before.end(), id) == before.end() &&
            x11::WindowViewable(std::stoul(id)) && x11::LookOf(std::stoul(id), &look) &&
            !look.overrideRedirect &&
            (title == "*" || x11::WindowName(std::stoul(id)) == title)) {
          found = id;
        }
      }
      return !found.empty();
    });
    return found;
  }
  // Escape until only the media window is left, each press waiting for a window to go (or
  // another to take its place, as the next file's question does).
  bool CloseAll() {
    for (int press = 0; press < 6; ++press) {
      const std::vector<std::string> shown = Windows();
      if (shown.size() <= 1) return true;
      Keys("Escape");
      WaitUntil([&] { return Windows() != shown; });
    }
    EXPECT_EQ(Windows().size(), 1u) << Titles();
    return Windows().size() == 1;
  }

 private:
  // The titles of the strip: runs of dark pixels further apart than the letters of one title.
  bool FindTitles() {
    ScreenImage image;
    if (!WaitForImage(main_, [](const ScreenImage& i) { return DarkPixelsIn(i, 0, 2, 300, 18); }) ||
        !ReadImage(main_, &image)) {
      return false;
    }
    titles_.clear();
    for (int x = 0; x < std::min(image.width, 400); ++x) {
      if (DarkPixelsIn(image, x, 2, x + 1, kStrip - 2) == 0) continue;
      if (!titles_.empty() && x - titles_.back().right <= 12) {
        titles_.back().right = x;
      } else {
        titles_.push_back({x, 0, x, kStrip});
      }
    }
    return titles_.size() >= 4;
  }

  sp_testing::HomeScope& home_;
  Tool program_;
  std::string main_;
  bool running_ = false;
  std::vector<Box> titles_;
};

// One dialog of the program and how a person reaches it.
struct DialogCase {
  const char* name;   // of its picture
  const char* title;  // its window's title
  const char* why;
  std::function<bool(Session&)> byMouse;
  std::function<bool(Session&)> byKeys;  // empty: no key command reaches it
  std::vector<Box> texts;                // content rectangles that hold drawn text
  bool keepsMovedPlace;  // comes back where it was moved to (else where it first showed)
  bool sheet = false;    // hangs on its parent: neither framed nor moved on its own
  // Closes it (and what it was opened from) after each showing.
  std::function<bool(Session&)> close = [](Session& s) { return s.CloseAll(); };
};

// What one showing looked like.
struct Shown {
  std::string id;
  int x = 0, y = 0;  // its content's top left on the screen
};

// Opens the dialog one way and checks what every showing must be: a framed window of the
// window manager (not a popup or dropdown menu) with its texts drawn.
Shown Open(Session& s, const DialogCase& c, const std::function<bool(Session&)>& how,
           const std::string& picture) {
  Shown shown;
  const std::vector<std::string> before = s.Windows();
  EXPECT_TRUE(how(s)) << "the steps that open it";
  shown.id = s.AwaitWindow(before, c.title);
  if (shown.id.empty()) {
    ADD_FAILURE() << "it did not show; the program shows " << s.Titles();
    for (const std::string& id : s.Windows()) {
      ScreenImage image;
      ReadImage(id, &image, OutputFolder() + "/dialog-" + c.name + "-instead-" + id + ".xwd");
    }
    return shown;
  }
  const unsigned long x = std::stoul(shown.id);
  x11::WindowLook look;
  EXPECT_TRUE(x11::LookOf(x, &look));
  EXPECT_TRUE(look.type == "_NET_WM_WINDOW_TYPE_NORMAL" ||
              look.type == "_NET_WM_WINDOW_TYPE_DIALOG")
      << look.type;
  EXPECT_FALSE(look.overrideRedirect) << "a window the window manager leaves alone";
  EXPECT_TRUE(c.sheet || look.top > 0) << "no title bar of the window manager to move it by";
  EXPECT_TRUE(WaitForImage(shown.id,
                           [&c](const ScreenImage& image) {
                             for (const Box& b : c.texts) {
                               if (DarkPixelsIn(image, b.left, b.top, b.right, b.bottom) < 20) {
                                 return false;
                               }
                             }
                             return true;
                           }))
      << "its texts are not drawn";
  ScreenImage image;
  if (!picture.empty()) ReadImage(shown.id, &image, OutputFolder() + "/" + picture);
  EXPECT_TRUE(x11::ScreenPointOf(x, 0, 0, &shown.x, &shown.y));
  return shown;
}

// The program's processor time over a second of waiting in the dialog: a modal loop that
// blocks until an event comes uses next to none, one that spins a whole core while it can run.
// A quarter of a core is the limit: the program's own timers, slowed by the sanitizers on a
// loaded machine, used up to a ninth. The second is waited out on a pipe no one writes to: the
// one timing of the suite, which is its subject.
void ExpectIdleWait(Session& s) {
  const long ticks = sysconf(_SC_CLK_TCK);
  const long before = ProcessorTicks(s.Pid());
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const auto start = std::chrono::steady_clock::now();
  for (int left = 1000; left > 0; left = 1000 - MillisSince(start)) {
    pollfd p = {fds[0], POLLIN, 0};
    poll(&p, 1, left);
  }
  close(fds[0]);
  close(fds[1]);
  const long used = ProcessorTicks(s.Pid()) - before;
  const int millis = std::max(1, MillisSince(start));
  EXPECT_LT(used * 1000 * 4, ticks * millis) << used << " ticks in " << millis << " ms";
}

// Moves the window by the window manager and sees it there.
bool MoveTo(const Shown& shown, int x, int y) {
  RunTool({"xdotool", "windowmove", "--sync", shown.id, N(x), N(y)});
  return WaitUntil([&] {
    int sx = 0, sy = 0;
    return x11::ScreenPointOf(std::stoul(shown.id), 0, 0, &sx, &sy) && sx == x && sy == y;
  });
}

// Opens the dialog with the mouse, waits in it, moves it (a sheet stays on its parent), closes
// it and opens it again by its keys (or the mouse): there it must be where it was moved to, or
// where it first showed. Returns that place.
Shown Exercise(Session& s, const DialogCase& c) {
  const Shown first = Open(s, c, c.byMouse, std::string("dialog-") + c.name + ".xwd");
  if (first.id.empty()) {
    c.close(s);
    return first;
  }
  ExpectIdleWait(s);
  Shown kept = first;
  if (!c.sheet) {
    const Shown moved = {first.id, first.x + 23, first.y + 17};
    EXPECT_TRUE(MoveTo(first, moved.x, moved.y)) << "the window manager did not move it";
    if (c.keepsMovedPlace) kept = moved;
  }
  EXPECT_TRUE(c.close(s));
  const Shown again = Open(s, c, c.byKeys ? c.byKeys : c.byMouse, "");
  EXPECT_EQ(again.x, kept.x) << (c.byKeys ? "opened by its keys" : "opened again");
  EXPECT_EQ(again.y, kept.y) << (c.byKeys ? "opened by its keys" : "opened again");
  EXPECT_TRUE(c.close(s));
  return kept;
}

void WriteDisc(const std::string& name, const std::vector<cdtest::FolderTrack>& tracks) {
  cdtest::WriteDiscFolder(SpDefaultAudioCDMediaFolder() + "/" + name, tracks);
}

// The program's data and media folders and the user's Documents, in a fresh home.
void MakeProgramFolders(sp_testing::HomeScope& home) {
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  mkdir(home.Path("Documents").c_str(), 0700);
}

// The dialogs reached from the menus, the media window and the save set-up, by mouse and keys,
// each moved once and looked for again in the same run and after a restart.
TEST(MediaManagerDialogs, EachDialogIsAFramedMovableWindowWithItsTextsAtItsPlaceAgain) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_NO_FATAL_FAILURE(MakeProgramFolders(home));
  WriteDisc("Day Trip", {{"1 Song.aiff", 150}, {"2 Song.aiff", 200}});
  // QuickTime movies have compression options: the set-up's options button is live.
  ASSERT_TRUE(StoreSaveSetup(SpFourCC("MooV")));

  const auto key = [](const char* keys) {
    return [keys](Session& s) { return s.Keys(keys); };
  };
  const auto menu = [](Title title, int item) {
    return [title, item](Session& s) { return s.Choose(title, item); };
  };
  // Opens the first dialog and, once it shows, clicks the point of its content.
  const auto then = [](std::function<bool(Session&)> first, const char* title, int x, int y) {
    return [first, title, x, y](Session& s) {
      const std::vector<std::string> before = s.Windows();
      if (!first(s)) return false;
      const std::string parent = s.AwaitWindow(before, title);
      return !parent.empty() && s.Click(parent, x, y);
    };
  };
  const char* kSaveSetup = "ひとつに保存の設定";
  const char* kEachSetup = "それぞれに保存の設定";
  const DialogCase cases[] = {
      {"about", "メディアマネージャについて", "the About box, from the program's icon menu",
       menu(kAboutTitle, kFirstItem), nullptr, {{84, 100, 370, 120}, {290, 250, 370, 270}},
       false},
      {"speed-setup", "速度の設定", "the speed set-up, from the settings menu",
       menu(kSettingsTitle, kFirstItem), nullptr, {{15, 14, 315, 30}, {138, 138, 316, 158}},
       true},
      {"file-name-rules", "ファイル名ルールの設定", "the file-name rules, from the settings menu",
       menu(kSettingsTitle, kSecondItem), nullptr, {{15, 12, 325, 32}, {147, 310, 325, 330}},
       true},
      {"save-setup", kSaveSetup, "saving into one file: its set-up, by the menu and Ctrl-S",
       menu(kFileTitle, kSaveOneItem), key("ctrl+s"), {{14, 10, 386, 26}, {208, 124, 386, 144}},
       true},
      {"sound-settings", "サウンド設定", "the sound settings, the set-up's options button",
       then(menu(kFileTitle, kSaveOneItem), kSaveSetup, 338, 44),
       then(key("ctrl+s"), kSaveSetup, 338, 44), {{10, 10, 200, 26}, {220, 270, 400, 290}},
       false},
      {"save-dialog", "保存ファイル設定", "the save dialog, after the set-up's OK",
       then(menu(kFileTitle, kSaveOneItem), kSaveSetup, 344, 134),
       [](Session& s) {
         const std::vector<std::string> before = s.Windows();
         return s.Keys("ctrl+s") && !s.AwaitWindow(before, "ひとつに保存の設定").empty() &&
                s.Keys("Return");
       },
       // The name field, drawn before anything clicks it, and the buttons.
       {{60, 266, 300, 284}, {10, 294, 510, 314}}, false},
      {"each-setup", kEachSetup, "saving each into its own file: its set-up",
       menu(kFileTitle, kSaveEachItem), nullptr, {{14, 10, 426, 26}, {14, 148, 340, 164}}, true},
      {"choose-folder", "フォルダを選択", "the folder choice of the each-file set-up",
       then(menu(kFileTitle, kSaveEachItem), kEachSetup, 386, 130), nullptr,
       {{10, 10, 200, 30}}, false},
      {"add-dialog", "開く", "the add dialog, the media window's add button",
       [](Session& s) { return s.Click(s.Main(), 410, 23); }, nullptr, {{10, 10, 200, 30}},
       false},
  };

  const std::size_t kSaveSetupCase = 3, kEachSetupCase = 6;
  ASSERT_STREQ(cases[kSaveSetupCase].title, kSaveSetup);
  ASSERT_STREQ(cases[kEachSetupCase].title, kEachSetup);
  std::vector<Shown> kept(std::size(cases));
  {
    Session s(home);
    ASSERT_TRUE(s.Start()) << "the media window or its menu strip did not appear";
    ASSERT_TRUE(s.SelectRow(1));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      SCOPED_TRACE(cases[i].why);
      kept[i] = Exercise(s, cases[i]);
    }
    // The set-up grows and shrinks with the compression texts of the file type: in place.
    const std::vector<std::string> before = s.Windows();
    ASSERT_TRUE(s.Keys("ctrl+s"));
    const std::string setup = s.AwaitWindow(before, kSaveSetup);
    ASSERT_FALSE(setup.empty());
    int x = 0, y = 0, nowX = 0, nowY = 0;
    ASSERT_TRUE(x11::ScreenPointOf(std::stoul(setup), 0, 0, &x, &y));
    for (int itemsDown : {-2, 2}) {  // to AIFF and back to QuickTime
      SCOPED_TRACE("file type " + N(itemsDown) + " items down");
      ScreenImage was, now;
      ASSERT_TRUE(ReadImage(setup, &was));
      EXPECT_TRUE(s.PickFromPopup(setup, 200, 44, itemsDown));
      EXPECT_TRUE(WaitUntil([&] { return ReadImage(setup, &now) && now.height != was.height; }))
          << "the set-up did not change its height";
      EXPECT_TRUE(x11::ScreenPointOf(std::stoul(setup), 0, 0, &nowX, &nowY));
      EXPECT_EQ(nowX, x);
      EXPECT_EQ(nowY, y);
    }
    EXPECT_TRUE(s.CloseAll());
    ASSERT_TRUE(s.Quit()) << "Ctrl-Q did not end the program";
  }
  // The two save set-ups are one dialog with one place: the last move of either.
  kept[kSaveSetupCase] = kept[kEachSetupCase];
  Session s(home);
  ASSERT_TRUE(s.Start()) << "the media window did not appear again";
  ASSERT_TRUE(s.SelectRow(1));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const DialogCase& c = cases[i];
    SCOPED_TRACE(std::string(c.why) + ", after a restart");
    const Shown shown = Open(s, c, c.byMouse, "");
    EXPECT_EQ(shown.x, kept[i].x);
    EXPECT_EQ(shown.y, kept[i].y);
    EXPECT_TRUE(s.CloseAll());
  }
  ASSERT_TRUE(s.Quit()) << "Ctrl-Q did not end the program";
}

// Presses the key and waits for one window of the program to go.
bool KeyClosesOne(Session& s, const char* key) {
  const std::size_t shown = s.Windows().size();
  return s.Keys(key) && WaitUntil([&] { return s.Windows().size() < shown; });
}

// The dialogs a save shows: the question whether to replace a file saved before, the question
// whether to stop a running save (a sheet on the progress window), and the sheet telling of a
// file that cannot be read; the first again after a restart.
TEST(MediaManagerDialogs, TheDialogsAndSheetsOfASaveShowTheirTextsInPlaceWithoutBusyWaiting) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_NO_FATAL_FAILURE(MakeProgramFolders(home));
  // Tracks without titles: the file-name rule names both alike, so the second meets the first.
  WriteDisc("Day Trip", {{"1 Song.aiff", 150}, {"2 Song.aiff", 200}});
  // Four minutes in AAC: the save runs long enough to be stopped, and writes little.
  WriteDisc("Long Trip", {{"1 Song.aiff", 9000}, {"2 Song.aiff", 9000}});
  ASSERT_TRUE(StoreSaveSetup(SpFourCC("MooV")));
  const std::string song = cdtest::AiffHeader(44100) + std::string(44100 * 4, '\0');
  const std::string good = home.Path("Good.aif"), bad = home.Path("Bad.aif");
  cdtest::WriteFile(good, song);
  cdtest::WriteFile(bad, song);

  const char* kEachSetup = "それぞれに保存の設定";
  // The each-file set-up's OK starts the save.
  const auto eachSave = [kEachSetup](Session& s) {
    const std::vector<std::string> before = s.Windows();
    const std::string setup =
        s.Choose(kFileTitle, kSaveEachItem) ? s.AwaitWindow(before, kEachSetup) : "";
    return !setup.empty() && s.Click(setup, 384, 190);
  };
  const DialogCase existing = {
      "existing-name", "保存するファイルの名前について",
      "the question what to do with a file of the same name, saving each into its own file",
      eachSave, nullptr, {{30, 100, 425, 164}, {247, 206, 425, 226}}, true};

  Shown kept;
  {
    Session s(home);
    ASSERT_TRUE(s.Start()) << "the media window or its menu strip did not appear";
    ASSERT_TRUE(s.SelectRow(1));
    {
      SCOPED_TRACE(existing.why);
      kept = Exercise(s, existing);
    }

    ASSERT_TRUE(s.Quit()) << "Ctrl-Q did not end the program";
  }
  Session s(home);
  ASSERT_TRUE(s.Start()) << "the media window did not appear again";
  ASSERT_TRUE(s.SelectRow(1));
  {
    SCOPED_TRACE(std::string(existing.why) + ", after a restart");
    const Shown shown = Open(s, existing, existing.byMouse, "");
    EXPECT_EQ(shown.x, kept.x);
    EXPECT_EQ(shown.y, kept.y);
    EXPECT_TRUE(s.CloseAll());
  }

  // The question to stop, on the progress window of a long save into one file.
  ASSERT_TRUE(s.SelectRow(2));
  const std::vector<std::string> before = s.Windows();
  ASSERT_TRUE(s.Keys("ctrl+s") && !s.AwaitWindow(before, "ひとつに保存の設定").empty());
  ASSERT_TRUE(s.Keys("Return") && !s.AwaitWindow(before, "保存ファイル設定").empty());
  ASSERT_TRUE(s.Keys("Return"));
  std::string progress;
  ASSERT_TRUE(WaitUntil([&] {
    for (const std::string& id : s.Windows()) {
      if (id != s.Main() && x11::WindowName(std::stoul(id)).find("保存中") != std::string::npos) {
        progress = id;
      }
    }
    return !progress.empty();
  })) << "no progress window";
  DialogCase stop = {"stop-question", "*",
                     "the question to stop a save, by the progress window's cancel button",
                     [&progress](Session& s) { return s.Click(progress, 362, 222); },
                     // Escape asks too, but only where the progress window has the keyboard,
                     // which the window manager decides.
                     nullptr,
                     {{68, 13, 380, 55}, {160, 70, 390, 88}}, false};
  stop.sheet = true;
  // Escape answers "go on"; the save goes on.
  stop.close = [](Session& s) { return KeyClosesOne(s, "Escape"); };
  {
    SCOPED_TRACE(stop.why);
    Exercise(s, stop);
    // Asked once more, Return stops the save.
    const std::vector<std::string> now = s.Windows();
    EXPECT_TRUE(stop.byMouse(s) && !s.AwaitWindow(now, "*").empty());
    EXPECT_TRUE(s.Keys("Return"));
    EXPECT_TRUE(WaitUntil([&] { return s.Windows().size() == 1; })) << "the save did not stop";
  }

  // Two dropped files, the second unreadable by the time they are saved.
  for (const std::string& file : {good, bad}) {
    EXPECT_TRUE(x11::DropFileOnWindow(std::stoul(s.Main()), 120, 100 + kStrip, file,
                                      kProgramLimitMillis));
    // The next drop once this one is listed (a drop is taken in timer steps).
    const int y = kStrip + (file == good ? 100 : 120);
    EXPECT_TRUE(WaitForImage(s.Main(), [y](const ScreenImage& i) {
      return DarkPixelsIn(i, 54, y - 4, 200, y + 10) > 10;
    }));
  }
  cdtest::WriteFile(bad, std::string(song.size(), 'x'));
  ASSERT_TRUE(s.SelectRow(3));
  EXPECT_TRUE(RunTool({"xdotool", "keydown", "shift"}));
  EXPECT_TRUE(s.SelectRow(4));
  EXPECT_TRUE(RunTool({"xdotool", "keyup", "shift"}));
  DialogCase unreadable = {"unreadable-file", "",
                           "the sheet telling of a file that cannot be read, by the menu and "
                           "Ctrl-S",
                           [](Session& s) { return s.Choose(kFileTitle, kSaveOneItem); },
                           [](Session& s) { return s.Keys("ctrl+s"); },
                           {{72, 16, 300, 60}}, false};
  unreadable.sheet = true;
  unreadable.close = [](Session& s) { return KeyClosesOne(s, "Return"); };
  {
    SCOPED_TRACE(unreadable.why);
    const Shown sheet = Exercise(s, unreadable);
    int x = 0, y = 0;
    EXPECT_TRUE(x11::ScreenPointOf(std::stoul(s.Main()), 0, kStrip, &x, &y));
    EXPECT_EQ(sheet.y, y) << "the sheet hangs from the top of the window's content";
  }
  ASSERT_TRUE(s.Quit()) << "Ctrl-Q did not end the program";
}

// Where the save set-up was last closed, as the program keeps it ('FSvI' > 'WPos'); false
// when it keeps none.
bool StoredSetupPlace(Point* where) {
  cPrefStockMgr manager;
  cPrefStockFileObj* file = ProgramSettings(manager);
  if (file == nullptr || file->LoadPrefDataFromFile() != noErr) return false;
  cPrefStockData* group = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FSvI"), 1, 0);
  cPrefStockData* item =
      group != nullptr ? group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("WPos"), 0)
                       : nullptr;
  return item != nullptr && item->GetPointData(*where);
}

// The session's end (SIGTERM) while the save set-up waits for the person: the set-up closes as
// if cancelled, keeping what it keeps, and the program ends by itself with its settings written,
// without a person answering anything. So it does while a menu of the strip is open.
TEST(MediaManagerDialogs, TheSessionsEndClosesAnOpenSetUpAndEndsTheProgramKeepingItsSettings) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_NO_FATAL_FAILURE(MakeProgramFolders(home));
  WriteDisc("Day Trip", {{"1 Song.aiff", 150}, {"2 Song.aiff", 200}});
  Session s(home);
  ASSERT_TRUE(s.Start()) << "the media window or its menu strip did not appear";
  ASSERT_TRUE(s.SelectRow(1));
  const std::vector<std::string> before = s.Windows();
  ASSERT_TRUE(s.Choose(kFileTitle, kSaveEachItem));
  const std::string setup = s.AwaitWindow(before, "それぞれに保存の設定");
  ASSERT_FALSE(setup.empty()) << s.Titles();
  Point kept = {0, 0};
  EXPECT_FALSE(StoredSetupPlace(&kept)) << "nothing kept before the set-up closed";
  EXPECT_TRUE(s.EndBySignal(SIGTERM)) << "the program did not end by itself";
  EXPECT_TRUE(StoredSetupPlace(&kept)) << "the set-up closed and kept its place";

  Session again(home);
  ASSERT_TRUE(again.Start());
  const std::size_t shown = again.Windows().size();
  ASSERT_TRUE(again.OpenMenu(kFileTitle)) << "the menu's window";
  ASSERT_GT(again.Windows().size(), shown);
  EXPECT_TRUE(again.EndBySignal(SIGTERM)) << "the program did not end with its menu open";
}

}  // namespace
}  // namespace desktop_test
