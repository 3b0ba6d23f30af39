// The built program on the tests' desktop, started as tools/run-app starts it: its media
// window shows an audio CD of its media folder, takes clicks and keys from xdotool, and ends on
// Ctrl-Q with its settings written.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "ByteOrder.h"
#include "DesktopFixture.h"
#include "ProgramDriver.h"
#include "Files.h"
#include "Folders.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunction.h"
#include "TOCInfoTestSupport.h"
#include "TestFiles.h"
#include "XQueries.h"

namespace desktop_test {
namespace {

constexpr int kLimitMillis = kProgramLimitMillis;
// The menu strip above the window's content.
constexpr int kStrip = 20;

// Pixels of the window's content rectangle (content coordinates) darker than mid grey.
int DarkPixels(const ScreenImage& image, int left, int top, int right, int bottom) {
  return DarkPixelsIn(image, left, top + kStrip, right, bottom + kStrip);
}

// Whether the content pixel has the colour of these percentages (within one step).
bool IsColour(const ScreenImage& image, int x, int y, float red, float green, float blue) {
  const UInt32 p = image.At(x, y + kStrip);
  const float got[] = {float((p >> 16) & 0xFF), float((p >> 8) & 0xFF), float(p & 0xFF)};
  const float want[] = {red, green, blue};
  for (int i = 0; i < 3; ++i) {
    if (std::abs(got[i] - want[i] * 2.55f) > 2.0f) return false;
  }
  return true;
}

// The row of the CD: its title (dark text) in the name column, row 1 of the list.
bool ShowsTheCD(const ScreenImage& image) {
  return DarkPixels(image, 54, 56, 200, 70) > 10;
}
bool FirstRowSelected(const ScreenImage& image) {
  return IsColour(image, 280, 60, 68, 68, 92);
}
bool FirstRowNotSelected(const ScreenImage& image) {
  return IsColour(image, 280, 60, 95, 94, 100);
}

// What the program stored as its info option ('MMgr' > 'MLst' > 'IfOp'); -1 when absent.
SInt32 StoredInfoOption() {
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Mirrelbox Prefs",
                                    vRefNum, dirID)) {
    return -1;
  }
  cPrefStockMgr manager;
  cPrefStockFileObj* file = manager.CreateNewStockFileObj(
      SpFourCC("preF"), vRefNum, dirID, "MirrelboxPref", SpFourCC("Zqcd"), SpFourCC("InDt"));
  if (file == nullptr || file->LoadPrefDataFromFile() != noErr) return -1;
  cPrefStockData* item = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("MMgr"), 1, 0);
  for (UInt32 key : {SpFourCC("MLst"), SpFourCC("IfOp")}) {
    item = item != nullptr ? item->GetTargetStockDataItemInUnderDataListByIdType(key, 0) : nullptr;
  }
  SInt32 value = -1;
  if (item != nullptr) item->GetLongData(value);
  return value;
}

TEST(MediaManagerProgram, ShowsACDTakesClicksAndKeysAndQuitsOnCtrlQWritingItsSettings) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  // A disc folder of three tracks in the program's media folder.
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  cdtest::WriteDiscFolder(SpDefaultAudioCDMediaFolder() + "/Day Trip",
                          {{"1 Song.aiff", 150}, {"2 Song.aiff", 150}, {"3 Song.aiff", 150}});
  // The display as tools/run-app opens it; the session bus library's buffer is no leak of the
  // program's.
  const std::string suppressions = home.Path("lsan-suppressions");
  cdtest::WriteFile(suppressions, "leak:libdbus-1.so\n");
  setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
  setenv("SP_DISPLAY_SCALE", "1", 1);
  unsetenv("SP_DISPLAY");

  Tool program;
  ASSERT_TRUE(StartTool({SP_MEDIAMANAGER_PROGRAM}, &program));
  Tool search;
  ASSERT_TRUE(StartTool(
      {"xdotool", "search", "--sync", "--onlyvisible", "--pid", std::to_string(program.pid)},
      &search));
  const bool found = WaitForTool(&search, kLimitMillis);
  unsetenv("LSAN_OPTIONS");
  if (!found) kill(search.pid, SIGKILL);
  ASSERT_TRUE(found) << "the media window did not appear";
  const std::string window = Trim(search.out);

  EXPECT_TRUE(WaitForImage(window, ShowsTheCD)) << "the CD's row";
  // A click on the CD's row selects it; Ctrl-Shift-A clears the selection; the down arrow
  // selects the first row again.
  const struct {
    std::function<bool()> act;
    bool (*shows)(const ScreenImage&);
    const char* what;
  } actions[] = {
      {[&window] { return ClickOn(window, 280, 60 + kStrip); }, FirstRowSelected, "click"},
      {[] { return RunTool({"xdotool", "key", "ctrl+shift+a"}); }, FirstRowNotSelected,
       "ctrl+shift+a"},
      {[] { return RunTool({"xdotool", "key", "Down"}); }, FirstRowSelected, "Down"},
  };
  for (const auto& action : actions) {
    EXPECT_TRUE(action.act()) << action.what;
    EXPECT_TRUE(WaitForImage(window, action.shows)) << action.what;
  }
  // A click on the info title shows the sizes from now on.
  EXPECT_TRUE(ClickOn(window, 370, 45 + kStrip));
  EXPECT_TRUE(WaitUntil([] { return StoredInfoOption() == 3; }));

  EXPECT_TRUE(RunTool({"xdotool", "key", "ctrl+q"}));
  const bool ended = WaitForTool(&program, kLimitMillis);
  if (!ended) kill(program.pid, SIGKILL);
  ASSERT_TRUE(ended) << "Ctrl-Q did not end the program";
  EXPECT_TRUE(WIFEXITED(program.status) && WEXITSTATUS(program.status) == 0) << program.status;
  EXPECT_EQ(StoredInfoOption(), 3) << "the settings file keeps the option";
}

// The first row of the list shows a name (dark text in the name column).
bool FirstRowShowsAName(const ScreenImage& image) {
  return DarkPixels(image, 54, 56, 200, 70) > 10;
}

// The files the saved list names (its classic names), in order: after the version and the
// count, each record's volume (2 bytes) and folder (4), then its classic name's length (4) and
// bytes, long name, file id, path and the 1,644-byte sound-file record.
std::vector<std::string> ListedFiles(sp_testing::HomeScope& home) {
  std::ifstream in(home.Path(".config/Mirrelbox Prefs/FileMediaInfoV2.data"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto be32 = [&bytes](std::size_t at) {
    return at + 4 > bytes.size() ? 0u : sp::LoadBE32(bytes.data() + at);
  };
  std::vector<std::string> names;
  if (be32(0) != 200) return names;
  std::size_t at = 8;
  for (UInt32 i = 0; i < be32(4) && at < bytes.size(); ++i) {
    const UInt32 classic = be32(at + 6);
    if (classic > 31 || at + 10 + classic > bytes.size()) break;
    names.push_back(bytes.substr(at + 10, classic));
    at += 10 + classic;
    at += 4 + be32(at);      // long name
    at += 4;                 // file id
    at += 4 + be32(at);      // path
    at += 1644;
  }
  return names;
}

TEST(MediaManagerProgram, ASoundFileDroppedFromOutsideIsListedAgainAfterARestart) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  const std::string song = home.Path("Dropped.aif");
  const UInt32 frames = 44100;
  const std::string header = cdtest::AiffHeader(frames);
  cdtest::WriteFile(song, header + std::string(frames * 4, '\0'));

  Tool program;
  std::string window;
  ASSERT_TRUE(StartProgram(home, &program, &window)) << "the media window did not appear";
  EXPECT_TRUE(x11::DropFileOnWindow(std::stoul(window), 120, 60 + kStrip, song, kLimitMillis))
      << "the window did not take the drop";
  EXPECT_TRUE(WaitUntil([&home] { return ListedFiles(home).size() == 1; }))
      << "the saved list names the dropped file";
  EXPECT_TRUE(WaitForImage(window, FirstRowShowsAName)) << "the file's row";
  ASSERT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";
  EXPECT_EQ(ListedFiles(home), (std::vector<std::string>{"Dropped.aif"}));

  Tool again;
  ASSERT_TRUE(StartProgram(home, &again, &window)) << "the media window did not appear again";
  EXPECT_TRUE(WaitForImage(window, FirstRowShowsAName)) << "the file's row after the restart";
  ASSERT_TRUE(QuitProgram(&again)) << "Ctrl-Q did not end the program the second time";
  EXPECT_EQ(ListedFiles(home), (std::vector<std::string>{"Dropped.aif"}));
}


// Whether the window with the keyboard focus has a title that ends in that text.
bool FocusedWindowEndsWith(const std::string& ending) {
  std::string out;
  if (!RunTool({"xdotool", "getwindowfocus"}, &out)) return false;
  const std::string title = x11::WindowName(std::stoul("0" + Trim(out)));
  return title.size() >= ending.size() &&
         title.compare(title.size() - ending.size(), ending.size(), ending) == 0;
}

std::string Probe(const std::string& path, const char* entry) {
  std::string out;
  RunTool({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", entry, "-of",
           "default=nw=1:nk=1", path},
          &out);
  return Trim(out);
}

// A file dropped from outside, then the disc's three tracks chosen with the mouse and saved
// into one WAVE file through the set-up and the save dialog; the progress window comes and
// goes; after Ctrl-Q the program started again lists the dropped file.
TEST(MediaManagerProgram, ThreeTracksAreSavedIntoOneWaveFileAndADroppedFileIsListedAgain) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  cdtest::WriteDiscFolder(SpDefaultAudioCDMediaFolder() + "/Day Trip",
                          {{"1 Song.aiff", 150}, {"2 Song.aiff", 200}, {"3 Song.aiff", 175}});
  const std::string song = home.Path("Dropped.aif");
  const std::string header = cdtest::AiffHeader(44100);
  cdtest::WriteFile(song, header + std::string(44100 * 4, '\0'));
  ASSERT_TRUE(StoreSaveSetup(SpFourCC("WAVE")));

  Tool program;
  std::string window;
  ASSERT_TRUE(StartProgram(home, &program, &window)) << "the media window did not appear";
  EXPECT_TRUE(WaitForImage(window, ShowsTheCD)) << "the CD's row";
  EXPECT_TRUE(x11::DropFileOnWindow(std::stoul(window), 120, 100 + kStrip, song, kLimitMillis))
      << "the window did not take the drop";
  EXPECT_TRUE(WaitUntil([&home] { return ListedFiles(home).size() == 1; }));
  // A click on the disc's row selects its three tracks.
  EXPECT_TRUE(ClickOn(window, 280, 60 + kStrip));
  EXPECT_TRUE(WaitForImage(window, FirstRowSelected));
  // Return saves; the set-up takes Return for OK, and so does the save dialog, which offers
  // the disc's name in the home folder.
  EXPECT_TRUE(RunTool({"xdotool", "key", "Return"}));
  EXPECT_TRUE(WaitUntil([] { return FocusedWindowEndsWith("保存の設定"); }))
      << "the save set-up";
  EXPECT_TRUE(RunTool({"xdotool", "key", "Return"}));
  EXPECT_TRUE(WaitUntil([] { return FocusedWindowEndsWith("保存ファイル設定"); }))
      << "the save dialog";
  const std::string saved = home.Path("Day Trip.wav");
  EXPECT_TRUE(RunTool({"xdotool", "key", "Return"}));
  EXPECT_TRUE(WaitUntil([&program, &saved] {
    struct stat st;
    return stat(saved.c_str(), &st) == 0 && VisibleWindows(program).size() == 1;
  })) << "the progress window ran to its end";
  EXPECT_EQ(Probe(saved, "stream=codec_name"), "pcm_s16le");
  EXPECT_EQ(Probe(saved, "stream=sample_rate"), "44100");
  EXPECT_EQ(Probe(saved, "stream=channels"), "2");
  EXPECT_NEAR(std::atof(Probe(saved, "stream=duration").c_str()), 525 * 588 / 44100.0, 0.01);
  ASSERT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";

  Tool again;
  ASSERT_TRUE(StartProgram(home, &again, &window)) << "the media window did not appear again";
  // The CD's row, then the dropped file's.
  EXPECT_TRUE(WaitForImage(window, [](const ScreenImage& image) {
    return DarkPixels(image, 54, 75, 200, 89) > 10;
  })) << "the file's row after the restart";
  ASSERT_TRUE(QuitProgram(&again)) << "Ctrl-Q did not end the program the second time";
  EXPECT_EQ(ListedFiles(home), (std::vector<std::string>{"Dropped.aif"}));
}

// Two discs, two rows (16 pixels each, the second from y 72): a click selects the first, a
// Shift-click on the second, with Shift pressed and released on its own, extends the selection
// over both.
TEST(MediaManagerProgram, AShiftClickExtendsTheSelectionToTheRowClicked) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  cdtest::WriteDiscFolder(SpDefaultAudioCDMediaFolder() + "/Day Trip", {{"1 Song.aiff", 150}});
  cdtest::WriteDiscFolder(SpDefaultAudioCDMediaFolder() + "/Night Trip", {{"1 Song.aiff", 150}});

  Tool program;
  std::string window;
  ASSERT_TRUE(StartProgram(home, &program, &window)) << "the media window did not appear";
  const auto secondRowShowsADisc = [](const ScreenImage& image) {
    return DarkPixels(image, 54, 75, 200, 89) > 10;
  };
  EXPECT_TRUE(WaitForImage(window, secondRowShowsADisc)) << "the second disc's row";
  const auto secondRowSelected = [](const ScreenImage& image) {
    return IsColour(image, 280, 80, 68, 68, 92);
  };
  EXPECT_TRUE(ClickOn(window, 280, 60 + kStrip));
  EXPECT_TRUE(WaitForImage(window, FirstRowSelected));
  ScreenImage image;
  EXPECT_TRUE(ReadImage(window, &image) && !secondRowSelected(image)) << "one row selected";
  EXPECT_TRUE(ClickOn(window, 280, 80 + kStrip, {"shift"}));
  EXPECT_TRUE(WaitForImage(window, [&](const ScreenImage& shown) {
    return FirstRowSelected(shown) && secondRowSelected(shown);
  })) << "both rows selected";
  ASSERT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";
}

// The media window is where it was when the program ended, start after start: its place is
// kept as the place of its content, which the window manager's frame goes around.
TEST(MediaManagerProgram, TheMediaWindowComesBackExactlyWhereItWasAtEachRestart) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  int firstX = 0, firstY = 0;
  for (int start = 1; start <= 3; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    Tool program;
    std::string window;
    ASSERT_TRUE(StartProgram(home, &program, &window)) << "the media window did not appear";
    int x = 0, y = 0;
    EXPECT_TRUE(x11::ScreenPointOf(std::stoul(window), 0, kStrip, &x, &y));
    if (start == 1) {
      firstX = x;
      firstY = y;
    }
    EXPECT_EQ(x, firstX);
    EXPECT_EQ(y, firstY);
    ASSERT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";
  }
}

// The window the window manager says is active (xdotool's id); empty when it cannot say.
std::string ActiveWindow() {
  std::string out;
  return RunTool({"xdotool", "getactivewindow"}, &out) ? Trim(out) : std::string();
}

// Another program's window covers the media window and is made active; a second start of the
// program brings the media window to the front with the keyboard and ends by itself, and the
// desktop still shows one window of the program.
TEST(MediaManagerProgram, ASecondStartBringsTheRunningCopysWindowToTheFrontAndEnds) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  Tool program;
  std::string window;
  ASSERT_TRUE(StartProgram(home, &program, &window)) << "the media window did not appear";

  Tool logo;
  ASSERT_TRUE(StartTool({"xlogo", "-geometry", "600x560+0+0"}, &logo));
  Tool search;
  ASSERT_TRUE(
      StartTool({"xdotool", "search", "--sync", "--onlyvisible", "--class", "xlogo"}, &search));
  const bool found = WaitForTool(&search, kLimitMillis);
  if (!found) kill(search.pid, SIGKILL);
  const std::string other = Trim(search.out);
  EXPECT_TRUE(found && RunTool({"xdotool", "windowactivate", "--sync", other}));
  EXPECT_TRUE(WaitUntil([&] { return ActiveWindow() == other; })) << "the other window is active";

  Tool second;
  ASSERT_TRUE(StartTool({SP_MEDIAMANAGER_PROGRAM}, &second));
  const bool ended = WaitForTool(&second, kLimitMillis);
  if (!ended) kill(second.pid, SIGKILL);
  EXPECT_TRUE(ended) << "the second start did not end by itself";
  EXPECT_TRUE(ended && WIFEXITED(second.status) && WEXITSTATUS(second.status) == 0)
      << second.status;
  EXPECT_TRUE(WaitUntil([&] { return ActiveWindow() == window; })) << "the media window is active";
  std::string shown;
  RunTool({"xdotool", "search", "--onlyvisible", "--classname", "^mediamanager$"}, &shown);
  EXPECT_EQ(Trim(shown) + "\n", shown) << "one window of the program: " << shown;
  EXPECT_EQ(Trim(shown), window);

  kill(logo.pid, SIGTERM);
  WaitForTool(&logo, kLimitMillis);
  ASSERT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";
}

// Two dropped files are to be saved into one; the second cannot be read any more by then. The
// save looks at its files first and tells it in a sheet on the media window: a window of its
// own on the window's top edge, its message drawn on the screen, gone with Return.
TEST(MediaManagerProgram, ASaveOfAFileThatCannotBeReadIsToldInASheetOnTheWindow) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  const std::string song = cdtest::AiffHeader(44100) + std::string(44100 * 4, '\0');
  const std::string good = home.Path("Good.aif"), bad = home.Path("Bad.aif");
  cdtest::WriteFile(good, song);
  cdtest::WriteFile(bad, song);
  Tool program;
  std::string window;
  ASSERT_TRUE(StartProgram(home, &program, &window)) << "the media window did not appear";
  for (const std::string& file : {good, bad}) {
    EXPECT_TRUE(x11::DropFileOnWindow(std::stoul(window), 120, 100 + kStrip, file, kLimitMillis));
  }
  EXPECT_TRUE(WaitUntil([&home] { return ListedFiles(home).size() == 2; }));
  cdtest::WriteFile(bad, std::string(song.size(), 'x'));
  // Both rows chosen; Return saves.
  EXPECT_TRUE(ClickOn(window, 280, 60 + kStrip));
  EXPECT_TRUE(WaitForImage(window, FirstRowSelected));
  EXPECT_TRUE(ClickOn(window, 280, 80 + kStrip, {"shift"}));
  EXPECT_TRUE(RunTool({"xdotool", "key", "Return"}));
  std::string sheet;
  EXPECT_TRUE(WaitUntil([&] {
    for (const std::string& id : VisibleWindows(program)) {
      if (id != window && x11::WindowName(std::stoul(id)).empty()) sheet = id;
    }
    return !sheet.empty();
  })) << "no sheet came";
  ASSERT_FALSE(sheet.empty());
  // The message right of the caution icon.
  EXPECT_TRUE(WaitForImage(sheet, [](const ScreenImage& image) {
    return DarkPixelsIn(image, 72, 16, image.width - 20, 60) > 50;
  })) << "the sheet shows no message";
  int sx = 0, sy = 0, wx = 0, wy = 0;
  EXPECT_TRUE(x11::ScreenPointOf(std::stoul(sheet), 0, 0, &sx, &sy));
  EXPECT_TRUE(x11::ScreenPointOf(std::stoul(window), 0, kStrip, &wx, &wy));
  EXPECT_EQ(sy, wy) << "the sheet hangs from the top of the window's content";
  EXPECT_TRUE(RunTool({"xdotool", "key", "Return"}));
  EXPECT_TRUE(WaitUntil([&] { return VisibleWindows(program).size() == 1; }));
  ASSERT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";
}

}  // namespace
}  // namespace desktop_test

namespace desktop_test {
namespace {

// The content rows (from the list's top to the window's bottom) drawn dark across the middle
// of the list, as the insertion line of a drag and the frame around the list are, leaving
// out those of `baseline`.
std::vector<int> DarkLines(const ScreenImage& image, const std::vector<int>& baseline = {}) {
  std::vector<int> lines;
  for (int y = 50; y + kStrip < image.height; ++y) {
    if (std::find(baseline.begin(), baseline.end(), y) != baseline.end()) continue;
    int dark = 0;
    for (int x = 100; x < 300 && x < image.width; ++x) {
      const UInt32 p = image.At(x, y + kStrip);
      dark += ((p >> 16) & 0xFF) < 60 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60 ? 1 : 0;
    }
    if (dark >= 190) lines.push_back(y);
  }
  return lines;
}

// How many dark pixels each content row of the name column holds: what the rows' names look
// like, wherever they are scrolled.
std::vector<int> NameColumn(const ScreenImage& image, int top, int bottom) {
  std::vector<int> rows;
  for (int y = top; y < bottom; ++y) rows.push_back(DarkPixels(image, 54, y, 200, y + 1));
  return rows;
}

// How far the names moved up from `before` to `after` (the list scrolled down), in pixels: the
// shift under which nine rows in ten match; 0 when none does.
int ScrolledDown(const std::vector<int>& before, const std::vector<int>& after) {
  const int n = int(before.size());
  for (int shift = 1; shift < n / 2; ++shift) {
    int same = 0, blank = 0;
    for (int y = 0; y + shift < n; ++y) {
      same += after[std::size_t(y)] == before[std::size_t(y + shift)] ? 1 : 0;
      blank += before[std::size_t(y + shift)] == 0 ? 1 : 0;
    }
    if (same * 10 >= (n - shift) * 9 && blank < same) return shift;
  }
  return 0;
}

std::string FileUri(const std::string& path) {
  std::string uri = "file://";
  for (char c : path) uri += c == ' ' ? std::string("%20") : std::string(1, c);
  return uri + "\r\n";
}

// Another program's file dragged over a list of forty files: at each position the list draws
// its insertion line at the row boundary nearest the pointer, resting below the last row it
// scrolls the list down, and when the drag leaves the line goes, all before any drop.
TEST(MediaManagerProgram, AFileDraggedOverTheListShowsTheInsertionLineAndScrollsBeforeTheDrop) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  ASSERT_EQ(mkdir(home.Path(".local/share/mediamanager").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SpDefaultAudioCDMediaFolder().c_str(), 0700), 0);
  const std::string sound = cdtest::AiffHeader(4410) + std::string(4410 * 4, '\0');
  constexpr std::size_t kFiles = 40;
  std::string uris;
  for (std::size_t i = 1; i <= kFiles; ++i) {
    const std::string path = home.Path("Song " + std::to_string(100 + i) + ".aif");
    cdtest::WriteFile(path, sound);
    uris += FileUri(path);
  }
  const std::string extra = home.Path("Extra.aif");
  cdtest::WriteFile(extra, sound);

  Tool program;
  std::string window;
  ASSERT_TRUE(StartProgram(home, &program, &window)) << "the media window did not appear";
  const unsigned long id = std::stoul(window);
  {
    x11::XdndDrop drop(id, 120, 100 + kStrip, {"text/uri-list"}, uris);
    drop.Step(kLimitMillis);
    EXPECT_TRUE(drop.Finished()) << "the forty files were not taken";
  }
  EXPECT_TRUE(WaitUntil([&home] { return ListedFiles(home).size() == kFiles; }));
  // The list shows its last rows, the scroll bar's thumb at the bottom; clicks on the track
  // above the thumb bring the list back to its first rows, the thumb to the top.
  UInt32 thumb = 0;
  EXPECT_TRUE(WaitForImage(window, [&thumb](const ScreenImage& image) {
    thumb = image.At(437, 300 + kStrip);
    return FirstRowShowsAName(image) && image.At(437, 90 + kStrip) != thumb;
  }));
  // One click at a time, each once the list has shown the one before: clicks sent together
  // may land before the program takes them, or be taken as a double click.
  const auto atTop = [thumb](const ScreenImage& image) {
    return image.At(437, 90 + kStrip) == thumb && image.At(437, 300 + kStrip) != thumb;
  };
  ScreenImage baseline;
  for (int click = 0; click < 8; ++click) {
    ScreenImage before;
    if (!ReadImage(window, &before) || atTop(before)) break;
    EXPECT_TRUE(ClickOn(window, 437, 90 + kStrip));
    // The scroll bar's column changes once the program took the click.
    WaitForImage(window, [&before](const ScreenImage& image) {
      if (image.width != before.width || image.height != before.height) return true;
      for (int y = kStrip; y < image.height; ++y) {
        if (image.At(437, y) != before.At(437, y)) return true;
      }
      return false;
    });
  }
  EXPECT_TRUE(WaitForImage(window, [&baseline, &atTop](const ScreenImage& image) {
    baseline = image;
    return atTop(image);
  })) << "the list back at its first rows";
  const std::vector<int> frame = DarkLines(baseline);

  // The drag moves down the rows, waiting for the window's answer at each position.
  x11::XdndDrop drag(id, 120, 80 + kStrip, {"text/uri-list"}, FileUri(extra), false);
  int statuses = 0;
  ASSERT_TRUE(drag.WaitForStatus(++statuses, kLimitMillis));
  EXPECT_TRUE(drag.Accepted());
  int lastLine = 0;
  ScreenImage before;
  for (const int y : {80, 120, 160, 200, 240}) {
    SCOPED_TRACE(y);
    drag.MoveTo(120, y + kStrip);
    ASSERT_TRUE(drag.WaitForStatus(++statuses, kLimitMillis));
    EXPECT_TRUE(drag.Accepted());
    int line = 0;
    std::string seen;
    EXPECT_TRUE(WaitForImage(window, [&](const ScreenImage& image) {
      const std::vector<int> lines = DarkLines(image, frame);
      seen.clear();
      for (int l : lines) seen += " " + std::to_string(l);
      // The drag's frame around the list, and the insertion line inside it.
      if (lines.size() != 3 || std::abs(lines[1] - y) > 12) return false;
      line = lines[1];
      before = image;
      return true;
    })) << "the insertion line at the row boundary nearest the pointer; dark lines at" << seen;
    EXPECT_GT(line, lastLine) << "the line follows the pointer down";
    lastLine = line;
  }
  EXPECT_EQ(ListedFiles(home).size(), kFiles) << "nothing is dropped while the drag moves";
  // Resting below the last row, the list scrolls down on its own.
  drag.MoveTo(120, 340 + kStrip);
  ASSERT_TRUE(drag.WaitForStatus(++statuses, kLimitMillis));
  EXPECT_TRUE(drag.Accepted());
  const std::vector<int> names = NameColumn(before, 60, 320);
  EXPECT_TRUE(WaitForImage(window, [&names](const ScreenImage& image) {
    return ScrolledDown(names, NameColumn(image, 60, 320)) > 0;
  })) << "the list scrolls while the drag rests at its bottom edge";
  // The drag goes elsewhere: the line goes, nothing was added.
  drag.Leave();
  EXPECT_TRUE(WaitForImage(window, [&frame](const ScreenImage& image) {
    return DarkLines(image, frame).empty();
  })) << "the insertion line goes when the drag leaves";
  EXPECT_EQ(ListedFiles(home).size(), kFiles);
  ASSERT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";
}

}  // namespace
}  // namespace desktop_test
