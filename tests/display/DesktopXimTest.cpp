// A real XIM server with preedit callbacks (uim's bridge, Anthy converting) drives the inline
// input: keys reach the server once and come to the program only when the server leaves them,
// a conversion of several clauses reaches the field with each clause of its own kind, and the
// commit ends it.
#include <SDL.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "DesktopFixture.h"
#include "ProgramDriver.h"
#include "SpStdFunctionNumber.h"
#include "SpTextService.h"
#include "TestDialogs.h"
#include "TestTextServices.h"
#include "TextServiceRecorder.h"
#include "XQueries.h"
#include "display/internal/Backends.h"
#include "display/internal/XimCallbacks.h"

namespace desktop_test {
namespace {

using sp_test_support::RecordedUpdate;
using sp_test_support::RecordingTarget;

// Stop-and-continue cycles of the server in one test (each holds the loop once).
constexpr int kStopCycles = 20;
// Servers killed in one test, each as a key comes.
constexpr int kKillRounds = 4;

class XimInput : public DesktopTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(DesktopReady()) << DesktopProblem();
    // A Japanese UTF-8 locale of the test's own (the server offers only its engines'
    // languages); the program opens the input method in the locale LANG names.
    char dir[] = "/tmp/sp-xim-XXXXXX";  // also the server's home
    ASSERT_NE(mkdtemp(dir), nullptr);
    locales_ = dir;
    ASSERT_TRUE(RunTool({"localedef", "-i", "ja_JP", "-f", "UTF-8", locales_ + "/ja_JP.UTF-8"}));
    setenv("LOCPATH", locales_.c_str(), 1);
    setenv("LANG", "ja_JP.UTF-8", 1);
    setenv("XMODIFIERS", ("@im=" + ServerName()).c_str(), 1);
    if (ServerFirst()) {
      ASSERT_TRUE(StartServer());
    }
    DesktopTest::SetUp();
    Sp_CarbonEvent_ModeEnable();
    sp_testing::ResetTextServices();
    SpTextServiceInitialize();
    if (ServerFirst()) {
      ASSERT_TRUE(ServerReady());
    }
  }
  virtual bool ServerFirst() const { return true; }
  virtual std::string ServerName() const { return "uim"; }
  // The server and its converter keep what they learn in a home of the test's own.
  virtual bool StartServer() {
    return StartTool({"env", "HOME=" + locales_, "uim-xim", "--engine=anthy-utf8"}, &server_);
  }
  // The process that speaks XIM.
  virtual pid_t XimProcess() { return server_.pid; }
  bool ServerReady() {
    const std::string selection = "@server=" + ServerName();
    return PumpUntil([&selection] { return x11::SelectionOwned(selection); }, "the XIM server");
  }
  // Adds the character of every key-down the application sees to `keys`.
  void RecordKeys(std::string* keys) {
    Listen(GetApplicationEventTarget(), {{kEventClassKeyboard, kEventRawKeyDown}},
           [keys](EventRef e) {
             char ch = 0;
             GetEventParameter(e, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &ch);
             *keys += ch;
             return OSStatus(noErr);
           });
  }
  // Adds the text input the application sees (MacJapanese) to `text`.
  void RecordText(std::string* text) {
    Listen(GetApplicationEventTarget(),
           {{kEventClassTextInput, kEventTextInputUnicodeForKeyEvent}}, [text](EventRef e) {
             char bytes[64] = {};
             ByteCount size = 0;
             GetEventParameter(e, kEventParamTextInputSendText, typeChar, nullptr, sizeof bytes,
                               &size, bytes);
             text->append(bytes, size);
             return OSStatus(noErr);
           });
  }
  // Counts the key repeats the application sees.
  void RecordRepeats(int* repeats) {
    Listen(GetApplicationEventTarget(), {{kEventClassKeyboard, kEventRawKeyRepeat}},
           [repeats](EventRef) {
             ++*repeats;
             return OSStatus(noErr);
           });
  }
  // Types the keys, then a last key ("z") the program must see after them: what came before it
  // came whole (each key once), since keys arrive in order.
  bool TypeAndSeeTheEnd(const std::vector<std::string>& keys, const std::string* seen) {
    std::vector<std::string> argv = {"xdotool", "key", "--delay", "20"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    argv.push_back("z");
    const std::size_t before = seen->size();
    const bool typed = RunToolPumping(argv);
    const bool ended =
        typed && PumpUntil([seen, before] { return seen->size() > before && seen->back() == 'z'; },
                           "the last key");
    if (typed && !ended) ADD_FAILURE() << "keys seen: \"" << *seen << '"';
    return ended;
  }
  // The key that turns the server's converting on.
  virtual std::string OnKey() const { return "shift+space"; }
  // Turns converting on and types "ka": the reading "か" is shown inline (not its commit, which
  // an earlier reading may have left last).
  bool TypeTheReading(const char* what) {
    return RunToolPumping({"xdotool", "key", "--delay", "20", OnKey(), "k", "a"}) &&
           PumpUntil(
               [this] {
                 return !target_->updates.empty() &&
                        target_->updates.back().text == "\x82\xA9" &&
                        target_->updates.back().fixed == 0;
               },
               what);
  }
  // The last update of the field is the commit of the reading "か", as it was shown.
  static void ExpectTheReadingCommitted(const RecordingTarget& field) {
    ASSERT_FALSE(field.updates.empty());
    EXPECT_EQ(field.updates.back().text, "\x82\xA9");
    EXPECT_EQ(field.updates.back().fixed, 2) << "the reading went without its commit";
  }
  // Pumps until the window has the keyboard.
  bool KeyboardIn(WindowRef window, const char* what) {
    const unsigned id = sp_platform::display::SDLWindowIDOf(window);
    return PumpUntil(
        [id] {
          SDL_Window* focus = SDL_GetKeyboardFocus();
          return focus != nullptr && SDL_GetWindowID(focus) == id;
        },
        what);
  }
  bool FocusWindow(WindowRef window, const char* what) {
    return RunToolPumping({"xdotool", "windowfocus", "--sync",
                           std::to_string(sp_platform::display::X11WindowOf(window))}) &&
           KeyboardIn(window, what) && ServerTaken();
  }
  // The server stopped or killed (`signal`) while the reading is shown: the reading stays in
  // the field, committed as shown, and the keys typed right after it come through SDL, each
  // once and in order. Killed, it goes with the first of them in its hands.
  void LoseTheServerWhileComposing(int signal) {
    ASSERT_NE(ShowField(), nullptr);
    ASSERT_TRUE(ServerTaken());
    std::string keys;
    RecordKeys(&keys);
    ASSERT_TRUE(TypeTheReading("the reading"));
    std::vector<std::string> typed = {"a", "b", "c", "d", "e"};
    if (signal == SIGKILL) {
      ASSERT_TRUE(KillTheServerWithAKeyInItsHands(typed.front()));
      typed.erase(typed.begin());
    } else {
      SignalServer(signal);
    }
    ASSERT_TRUE(TypeAndSeeTheEnd(typed, &keys));
    EXPECT_EQ(keys, "abcdez");
    ExpectTheReadingCommitted(*target_);
  }
  // The server killed right after it took the key, before it answered (stopped, it cannot),
  // and the program read of its going before another key came: the key is the server's to
  // hand back no more.
  bool KillTheServerWithAKeyInItsHands(const std::string& key) {
    const pid_t pid = XimProcess();
    if (pid <= 0) return false;
    kill(pid, SIGSTOP);
    const bool held =
        RunToolPumping({"xdotool", "key", key}) &&
        PumpUntil([] { return sp_platform::display::XimKeysHeld() > 0; }, "the key held");
    kill(pid, SIGKILL);
    if (pid == server_.pid) {
      waitpid(pid, nullptr, 0);
      server_.pid = -1;
    }
    return held && PumpUntil([] { return !sp_platform::display::XimInCharge(); },
                             "the server's going read");
  }
  // The keyboard moves to another window of the program (one without a field) while the
  // reading is shown: the reading stays in its field, committed as shown, and once its window
  // has the keyboard back the server neither shows nor commits it again: the next Return is
  // the program's key.
  void MoveTheKeyboardWhileComposing() {
    WindowRef first = ShowField();
    ASSERT_NE(first, nullptr);
    WindowRef second = ShowWindowOnDesktop(R(150, 400, 350, 600), "XIM 2");
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(WaitUntilShown(second));
    ASSERT_TRUE(FocusWindow(first, "the first window"));
    std::string keys;
    RecordKeys(&keys);
    ASSERT_TRUE(TypeTheReading("the reading"));
    ASSERT_TRUE(FocusWindow(second, "the second window"));
    ASSERT_TRUE(PumpUntil([this] { return target_->updates.back().fixed > 0; },
                          "the reading committed"));
    ExpectTheReadingCommitted(*target_);
    const std::size_t updates = target_->updates.size();
    ASSERT_TRUE(FocusWindow(first, "the first window again"));
    ASSERT_TRUE(RunToolPumping({"xdotool", "key", "Return"}));
    ASSERT_TRUE(PumpUntil([&keys] { return !keys.empty(); }, "the Return key"));
    EXPECT_EQ(keys, "\r");
    EXPECT_EQ(target_->updates.size(), updates);
  }
  // A dialog with one empty edit-text field (the Dialog Manager's), in front with the keyboard.
  DialogRef ShowDialogField() {
    // Its items: one (the count less one, 0): reserved, the rectangle (10, 10, 26, 300), edit
    // text, no text.
    return ShowDialogItems({0, 0, 0, 0, 0, 0, 0, 10, 0, 10, 0, 26, 0x01, 0x2C, editText, 0});
  }
  // A dialog of the items (a dialog item list), in front with the keyboard.
  DialogRef ShowDialogItems(const std::vector<UInt8>& items) {
    Handle list = NewHandle(Size(items.size()));
    if (list == nullptr) return nullptr;
    std::memcpy(*list, items.data(), items.size());
    const Rect bounds = R(150, 120, 250, 440);
    const unsigned char title[] = "\005Field";
    DialogRef dialog = NewDialog(nullptr, &bounds, title, false, documentProc,
                                 reinterpret_cast<WindowRef>(-1), false, 0, list);
    DisposeHandle(list);
    if (dialog == nullptr) return nullptr;
    dialog_ = dialog;
    WindowRef window = GetDialogWindow(dialog);
    ChangeWindowAttributes(window, kWindowStandardHandlerAttribute, 0);
    ShowWindow(window);
    SelectWindow(window);
    if (!WaitUntilShown(window) || !WaitForKeyboard()) return nullptr;
    return dialog;
  }
  std::string FieldText(DialogItemIndex item = 1) const {
    return sp_testing::DialogItemText(dialog_, item);
  }
  // The reading the dialog's field shows (MacJapanese).
  std::string FieldReading() const {
    return sp_testing::DialogFieldReading(dialog_);
  }
  // Converting on, "ka": the field shows the reading "か" (drawn by the program: the server
  // shows no window of its own over the dialog's).
  bool TypeTheReadingInTheDialog(const char* what) {
    WindowRef window = GetDialogWindow(dialog_);
    const unsigned long xwindow = sp_platform::display::X11WindowOf(window);
    // The dialog in front with the keyboard, its field taking the preedit from the server.
    if (!PumpUntil(
            [window] {
              return FrontWindow() == window && !sp_testing::InputMethodUsesOwnWindow() &&
                     sp_platform::display::XimInCharge();
            },
            "the dialog's field taking the reading")) {
      return false;
    }
    // A server slow to answer its first keys (loading its dictionary on a busy machine) is
    // given up with the keys it holds; once it is taken again the reading is typed anew.
    bool shown = false;
    for (int attempt = 0; attempt < 2 && !shown; ++attempt) {
      const int timedOut = sp_platform::display::XimTimedOutCalls();
      const auto givenUp = [timedOut] {
        return sp_platform::display::XimTimedOutCalls() > timedOut;
      };
      shown = RunToolPumping({"xdotool", "key", "--delay", "20", OnKey(), "k", "a"}) &&
              PumpUntil([&] { return FieldReading() == MJ("か") || givenUp(); }, what) &&
              FieldReading() == MJ("か");
      if (!shown && (!givenUp() || !ServerTaken() || !FieldText().empty())) break;
    }
    if (!shown) {
      ADD_FAILURE() << "the field: \"" << FieldText() << "\"; calls on the server that timed out: "
                    << sp_platform::display::XimTimedOutCalls();
      return false;
    }
    EXPECT_EQ(x11::ViewableChildren(xwindow), 0) << "the server drew it too";
    return true;
  }
  // Types the keys and a last "z", until the dialog's field ends with it.
  bool TypeIntoTheDialog(const std::vector<std::string>& keys) {
    std::vector<std::string> argv = {"xdotool", "key", "--delay", "20"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    argv.push_back("z");
    return RunToolPumping(argv) && PumpUntil(
                                       [this] {
                                         const std::string t = FieldText();
                                         return !t.empty() && t.back() == 'z';
                                       },
                                       "the last key in the field");
  }
  // The server stopped or killed (`signal`) while the dialog's field shows the reading: the
  // field holds it as shown, then the keys typed after it.
  void LoseTheServerWhileComposingInADialog(int signal) {
    ASSERT_NE(ShowDialogField(), nullptr);
    ASSERT_TRUE(ServerTaken());
    ASSERT_TRUE(TypeTheReadingInTheDialog("the reading"));
    EXPECT_EQ(FieldText(), "");
    SignalServer(signal);
    ASSERT_TRUE(TypeIntoTheDialog({"b", "c", "d", "e"}));
    EXPECT_EQ(FieldText(), MJ("か") + "bcdez");
    EXPECT_EQ(FieldReading(), "");
  }
  // The keyboard moves to another window of the program while the dialog's field shows the
  // reading: the field holds it, once; back in the dialog the server shows nothing again.
  void MoveTheKeyboardWhileComposingInADialog() {
    ASSERT_NE(ShowDialogField(), nullptr);
    ASSERT_TRUE(TypeTheReadingInTheDialog("the reading"));
    WindowRef second = ShowWindowOnDesktop(R(300, 500, 400, 700), "XIM 2");
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(FocusWindow(second, "the second window"));
    WindowRef dialogWindow = GetDialogWindow(dialog_);
    ASSERT_TRUE(PumpUntil([this] { return FieldText() == MJ("か"); }, "the reading committed"))
        << "the field: \"" << FieldText() << "\", its reading: \"" << FieldReading() << '"';
    EXPECT_EQ(FieldReading(), "");
    SelectWindow(dialogWindow);
    ASSERT_TRUE(FocusWindow(dialogWindow, "the dialog again"));
    // (Converting off, the last key is typed text.)
    ASSERT_TRUE(TypeIntoTheDialog({"Return", OnKey()})) << "the field: \"" << FieldText() << '"';
    EXPECT_EQ(FieldText(), MJ("か") + "z");
  }
  void SignalServer(int signal) {
    const pid_t pid = XimProcess();
    if (pid > 0) kill(pid, signal);
  }
  // The program took the server (again): its context has the keyboard.
  bool ServerTaken() {
    return PumpUntil([] { return sp_platform::display::XimInCharge(); }, "the server taken");
  }
  // A window with a field taking inline input (or showing the input method's own window), with
  // the keyboard.
  WindowRef ShowField(bool inlineInput = true) {
    WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "XIM");
    if (window == nullptr) return nullptr;
    target_.reset(new RecordingTarget(window, R(10, 10, 40, 200)));
    target_->EnableInlineInput(inlineInput ? 1 : 0);
    if (!WaitForKeyboard()) {
      return nullptr;
    }
    return window;
  }
  void TearDown() override {
    SignalServer(SIGCONT);
    target_.reset();
    if (dialog_ != nullptr) DisposeDialog(dialog_);
    dialog_ = nullptr;
    sp_testing::ResetTextServices();
    DesktopTest::TearDown();
    unsetenv("XMODIFIERS");
    unsetenv("LANG");
    unsetenv("LOCPATH");
    if (server_.pid > 0) {
      kill(server_.pid, SIGCONT);  // (a test may have stopped it)
      kill(server_.pid, SIGTERM);
      waitpid(server_.pid, nullptr, 0);
    }
    std::error_code ignored;
    if (!locales_.empty()) std::filesystem::remove_all(locales_, ignored);
  }
  // The first update whose hilites (caret left out) are of these styles; null when none came.
  const RecordedUpdate* UpdateWithStyles(const std::vector<SInt16>& styles) const {
    for (const RecordedUpdate& u : target_->updates) {
      std::vector<SInt16> seen;
      for (const TextRange& r : u.hilites) {
        if (r.fHiliteStyle != kTSMHiliteCaretPosition) seen.push_back(r.fHiliteStyle);
      }
      if (seen == styles) return &u;
    }
    return nullptr;
  }
  std::string locales_;
  Tool server_;
  std::unique_ptr<RecordingTarget> target_;
  DialogRef dialog_ = nullptr;
};

TEST_F(XimInput, AConversionOfTwoClausesShowsTwoMarksAndItsCommitEndsIt) {
  ASSERT_NE(ShowField(), nullptr);
  std::string keys;
  RecordKeys(&keys);
  // The server's on key, the reading of "today the weather is fine", then conversion.
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "shift+space"}));
  ASSERT_TRUE(RunToolPumping({"xdotool", "type", "--delay", "20", "kyouhaiitenki"}));
  ASSERT_TRUE(PumpUntil([this] { return UpdateWithStyles({kTSMHiliteConvertedText}) != nullptr; },
                        "the reading"));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "space"}));
  ASSERT_TRUE(PumpUntil(
      [this] {
        return UpdateWithStyles({kTSMHiliteSelectedConvertedText, kTSMHiliteConvertedText}) !=
               nullptr;
      },
      "the conversion"));
  // Two clauses side by side over the whole text: the selected one first, then the other.
  const RecordedUpdate converted =
      *UpdateWithStyles({kTSMHiliteSelectedConvertedText, kTSMHiliteConvertedText});
  const SInt32 length = SInt32(converted.text.size());
  ASSERT_GE(converted.hilites.size(), 2u);
  const SInt32 firstStart = converted.hilites[0].fStart, firstEnd = converted.hilites[0].fEnd;
  const SInt32 secondStart = converted.hilites[1].fStart;
  const SInt32 secondEnd = converted.hilites[1].fEnd;
  EXPECT_EQ(firstStart, 0);
  EXPECT_GT(firstEnd, 0);
  EXPECT_EQ(secondStart, firstEnd);
  EXPECT_EQ(secondEnd, length);
  EXPECT_EQ(converted.fixed, 0);
  // The keys went to the server, not to the program as well.
  EXPECT_EQ(keys, "");

  const std::size_t before = target_->updates.size();
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "Return"}));
  ASSERT_TRUE(PumpUntil(
      [&] {
        return target_->updates.size() > before && target_->updates.back().fixed > 0;
      },
      "the commit"));
  EXPECT_EQ(target_->updates.back().text, converted.text);
  EXPECT_EQ(target_->updates.back().fixed, length);
  EXPECT_EQ(keys, "");

  // With the server off, a key it leaves alone comes to the program once, as its key.
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "shift+space", "x", "Left"}));
  ASSERT_TRUE(PumpUntil([&] { return keys.size() >= 2; }, "the keys"));
  EXPECT_EQ(keys, "x\x1C");
}

// The program started before the server: the server is taken when it comes.
class XimInputLate : public XimInput {
 protected:
  bool ServerFirst() const override { return false; }
};

TEST_F(XimInputLate, AServerThatComesLaterIsTaken) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(StartServer());
  ASSERT_TRUE(ServerReady());
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "shift+space", "k", "a"}));
  // The reading "ka" as one clause, through the preedit the server draws.
  ASSERT_TRUE(PumpUntil(
      [this] {
        return !target_->updates.empty() && target_->updates.back().text == "\x82\xA9" &&
               UpdateWithStyles({kTSMHiliteConvertedText}) != nullptr;
      },
      "the reading"));
}

TEST_F(XimInput, WhileTheServerIsGoneKeysComeThroughSDLAndItIsTakenAgainWhenBack) {
  ASSERT_NE(ShowField(), nullptr);
  std::string keys;
  RecordKeys(&keys);
  kill(server_.pid, SIGTERM);
  waitpid(server_.pid, nullptr, 0);
  server_.pid = -1;
  // Before the program has read of the server's going, a request that waits for the server's
  // answer must not be made: it would wait without end.
  for (int i = 0; i < 100000 && x11::SelectionOwned("@server=uim"); ++i) {
  }
  ASSERT_FALSE(x11::SelectionOwned("@server=uim"));
  sp_platform::display::XimSetSpot(10, 10);
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "b"}));
  ASSERT_TRUE(PumpUntil([&] { return !keys.empty(); }, "the key"));
  EXPECT_EQ(keys, "b");
  ASSERT_TRUE(StartServer());
  ASSERT_TRUE(ServerReady());
  ASSERT_TRUE(TypeTheReading("the reading"));
  EXPECT_EQ(keys, "b");
}

// A field that shows no inline input (the dialogs' fields) takes each key once through the
// server, and the composition is shown in the server's own window at the caret.
TEST_F(XimInput, AFieldWithoutInlineInputTakesEachKeyOnceAndTheServerShowsTheComposition) {
  WindowRef window = ShowField(false);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(ServerTaken());
  std::string keys, text;
  RecordKeys(&keys);
  RecordText(&text);
  ASSERT_TRUE(TypeAndSeeTheEnd({"a", "b", "c", "1", "2", "3"}, &keys));
  EXPECT_EQ(keys, "abc123z");
  // The server's preedit window lies over the program's window, at the caret.
  const unsigned long xwindow = sp_platform::display::X11WindowOf(window);
  EXPECT_EQ(x11::ViewableChildren(xwindow), 0);
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "shift+space", "k", "a"}));
  ASSERT_TRUE(PumpUntil([&] { return x11::ViewableChildren(xwindow) > 0; },
                        "the server's window with the reading"));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "Return"}));
  ASSERT_TRUE(PumpUntil([&] { return !text.empty(); }, "the commit"));
  EXPECT_EQ(text, MJ("か"));
  EXPECT_EQ(keys, "abc123z");
  EXPECT_TRUE(target_->updates.empty()) << "nothing is shown inline in this field";
}

// Plain keys while the server holds the keyboard come once each: converting on, a space with
// nothing composed is the server's full-width space and an arrow is handed back as its key;
// converting off, the space is handed back as a space. None is taken as a repeat.
TEST_F(XimInput, PlainKeysWhileTheServerHoldsTheKeyboardComeOnce) {
  ASSERT_NE(ShowField(), nullptr);
  std::string keys, text;
  int repeats = 0;
  RecordKeys(&keys);
  RecordText(&text);
  RecordRepeats(&repeats);
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "shift+space"}));
  ASSERT_TRUE(TypeAndSeeTheEnd({"space", "Left", "space", "shift+space", "space", "BackSpace"},
                               &keys));
  EXPECT_EQ(keys, "\x1C \x08z");
  EXPECT_EQ(text, MJ("\u3000\u3000"));
  EXPECT_EQ(repeats, 0);
}

// A server killed while the reading is shown, a key typed as it goes (round after round, a
// new server each time): the reading stays in the field, committed as shown, that key and
// those after it come through SDL at once, each once, and a server started again is taken.
TEST_F(XimInput, AServerKilledWhileComposingLeavesTheReadingAndTheKeysToSDLUntilOneComesBack) {
  ASSERT_NE(ShowField(), nullptr);
  std::string keys;
  RecordKeys(&keys);
  std::string expected;
  for (int round = 0; round < kKillRounds; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(ServerTaken());
    ASSERT_TRUE(TypeTheReading("the reading"));
    Tool typing;
    ASSERT_TRUE(StartTool({"xdotool", "key", "a"}, &typing));
    kill(server_.pid, SIGKILL);
    waitpid(server_.pid, nullptr, 0);
    server_.pid = -1;
    ASSERT_TRUE(PumpUntil([&typing] { return ToolFinished(&typing); }, "the key typed"));
    ASSERT_TRUE(TypeAndSeeTheEnd({"b"}, &keys));
    expected += "abz";
    EXPECT_EQ(keys, expected);
    ExpectTheReadingCommitted(*target_);
    ASSERT_TRUE(StartServer());
    ASSERT_TRUE(ServerReady());
  }
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(TypeTheReading("the reading through the new server"));
  EXPECT_EQ(keys, expected);
}

// A server stopped while the user types holds nothing: the key in its hands and those after it
// come through SDL, clicks come, and once it goes on it takes the keys again.
TEST_F(XimInput, AStoppedServerLeavesTheKeysToSDLAndTakesThemAgainOnceItGoesOn) {
  WindowRef window = ShowField();
  ASSERT_NE(window, nullptr);
  std::string keys;
  RecordKeys(&keys);
  int clicks = 0;
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseDown}},
         [&clicks](EventRef) {
           ++clicks;
           return OSStatus(noErr);
         });
  SignalServer(SIGSTOP);
  ASSERT_TRUE(TypeAndSeeTheEnd({"b", "c"}, &keys));
  EXPECT_EQ(keys, "bcz");
  EXPECT_FALSE(sp_platform::display::XimInCharge());
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 60, sp_platform::display::StripHeightOf(window) + 80, &sx,
                            &sy));
  ASSERT_TRUE(RunToolPumping(
      {"xdotool", "mousemove", "--sync", std::to_string(sx), std::to_string(sy), "click", "1"}));
  ASSERT_TRUE(PumpUntil([&clicks] { return clicks == 1; }, "the click"));
  ASSERT_TRUE(TypeAndSeeTheEnd({"d"}, &keys));
  EXPECT_EQ(keys, "bczdz");
  SignalServer(SIGCONT);
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(TypeTheReading("the reading"));
  EXPECT_EQ(keys, "bczdz");
}

// The descriptors this process holds open.
int OpenDescriptors() {
  int count = 0;
  std::error_code ignored;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ignored);
       it != std::filesystem::directory_iterator(); it.increment(ignored)) {
    ++count;
  }
  return count;
}

// A server that hangs while the user types at a steady pace (a key every quarter second, as
// long as the old retries took to come twice) holds the loop once: it is not asked again while
// it is the same server, the connection it held is closed, and the keys it held come first, in
// order. Once it goes on it is taken again without another key.
TEST_F(XimInput, AHungServerHoldsTheLoopOnceAndIsTakenAgainOnceItGoesOn) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  std::string keys;
  RecordKeys(&keys);
  const int descriptors = OpenDescriptors();
  const int timedOut = sp_platform::display::XimTimedOutCalls();
  SignalServer(SIGSTOP);
  ASSERT_TRUE(RunToolPumping({"xdotool", "type", "--delay", "250", "abcdefghijklmnop"}));
  ASSERT_TRUE(TypeAndSeeTheEnd({}, &keys));
  EXPECT_EQ(keys, "abcdefghijklmnopz");
  EXPECT_FALSE(sp_platform::display::XimInCharge());
  EXPECT_EQ(sp_platform::display::XimTimedOutCalls(), timedOut + 1);
  EXPECT_LE(OpenDescriptors(), descriptors);
  SignalServer(SIGCONT);
  ASSERT_TRUE(ServerTaken());
  EXPECT_EQ(sp_platform::display::XimTimedOutCalls(), timedOut + 1);
  ASSERT_TRUE(TypeTheReading("the reading"));
  EXPECT_EQ(keys, "abcdefghijklmnopz");
}

// Keys the server answered, handed back or taken into a reading it committed, are not among
// those it holds: stopped right after it answered them, and given up, it does not have them
// typed a second time.
TEST_F(XimInput, KeysTheServerAnsweredAreNotTypedAgainWhenItIsGivenUpRightAfter) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  std::string keys;
  RecordKeys(&keys);
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "a", "b"}));
  ASSERT_TRUE(PumpUntil([&keys] { return keys.size() >= 2; }, "the keys handed back"));
  ASSERT_TRUE(TypeTheReading("the reading"));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "Return"}));
  ASSERT_TRUE(PumpUntil([this] { return target_->updates.back().fixed > 0; }, "the commit"));
  SignalServer(SIGSTOP);
  ASSERT_TRUE(TypeAndSeeTheEnd({"c"}, &keys));
  EXPECT_EQ(keys, "abcz");
  ExpectTheReadingCommitted(*target_);
}

// A server given up for not answering is asked after without holding the loop: once it goes
// on, its answer alone wakes the loop (no key comes, and no timer is due), and it is taken.
TEST_F(XimInput, TheAnswerOfAServerGivenUpAsSilentWakesTheLoop) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  std::string keys;
  RecordKeys(&keys);
  SignalServer(SIGSTOP);
  ASSERT_TRUE(TypeAndSeeTheEnd({"a"}, &keys));
  ASSERT_FALSE(sp_platform::display::XimInCharge());
  // A timer would wake the loop whatever the server does: the fixture's waker goes, and the
  // only timer left marks a wake that came before the server's answer.
  RemoveEventLoopTimer(waker_);
  waker_ = nullptr;
  ASSERT_FALSE(sp_testing::TimedTimerWaiting());
  bool guardFired = false;
  EventLoopTimerUPP upp = NewEventLoopTimerUPP(
      [](EventLoopTimerRef, void* fired) { *static_cast<bool*>(fired) = true; });
  EventLoopTimerRef guard = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 30, 0, upp, &guardFired, &guard), noErr);
  SignalServer(SIGCONT);
  EXPECT_TRUE(ServerTaken());
  EXPECT_FALSE(guardFired) << "the loop slept through the server's answer";
  RemoveEventLoopTimer(guard);
  DisposeEventLoopTimerUPP(upp);
}

// Stopped and let go on again and again while composing: each time the reading is committed
// as shown, the keys come through SDL, and the server is taken again; the program survives
// every cycle, and no give-up leaves a connection or socket open.
TEST_F(XimInput, AServerStoppedAndContinuedWhileComposingIsTakenAgainEachTime) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  std::string keys;
  RecordKeys(&keys);
  std::string expected;
  int descriptors = -1;  // after the first give-up and taking again
  for (int cycle = 0; cycle < kStopCycles; ++cycle) {
    SCOPED_TRACE(cycle);
    if (cycle == 1) descriptors = OpenDescriptors();
    ASSERT_TRUE(TypeTheReading("the reading"));
    SignalServer(SIGSTOP);
    ASSERT_TRUE(TypeAndSeeTheEnd({"b"}, &keys));
    expected += "bz";
    EXPECT_EQ(keys, expected);
    ExpectTheReadingCommitted(*target_);
    SignalServer(SIGCONT);
    ASSERT_TRUE(ServerTaken());
  }
  EXPECT_LE(OpenDescriptors(), descriptors);
  ASSERT_TRUE(TypeTheReading("the reading after the last cycle"));
  EXPECT_EQ(keys, expected);
}

TEST_F(XimInput, AReadingShownWhenTheKeyboardMovesStaysInItsFieldOnce) {
  MoveTheKeyboardWhileComposing();
}

// Once the server goes on it shows the next reading in the field again, and its commit ends
// it there.
TEST_F(XimInput, AReadingInADialogsFieldStaysThereWhenTheServerIsStoppedAndGoesOn) {
  LoseTheServerWhileComposingInADialog(SIGSTOP);
  if (HasFatalFailure()) return;
  SignalServer(SIGCONT);
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(TypeTheReadingInTheDialog("the next reading"));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "Return"}));
  ASSERT_TRUE(
      PumpUntil([this] { return FieldText() == MJ("か") + "bcdez" + MJ("か"); }, "the commit"));
  EXPECT_EQ(FieldReading(), "");
}

// The caret moves again and again while the server draws a reading (the spot is set anew
// each pass): Xlib holds back what the server draws while it waits for the answer to a
// setting of the context, until the server's next callback (see XimSetSpot), which no key may
// bring; so the spot is not set while a reading the server started is not drawn yet.
TEST_F(XimInput, AReadingStartedWhileTheCaretMovesInADialogsFieldIsShown) {
  ASSERT_NE(ShowDialogField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", OnKey()}));  // converting on
  const int timedOut = sp_platform::display::XimTimedOutCalls();
  // A timer of each pass moves the spot while the field shows no reading.
  struct Moving {
    int moves = 0;
    DialogRef dialog = nullptr;
  } moving;
  moving.dialog = dialog_;
  EventLoopTimerUPP upp = NewEventLoopTimerUPP([](EventLoopTimerRef, void* data) {
    auto* m = static_cast<Moving*>(data);
    if (!sp_testing::DialogFieldReading(m->dialog).empty()) return;
    ++m->moves;
    sp_platform::display::XimSetSpot(100 + m->moves % 50, 45);
  });
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.001, 0.001, upp, &moving, &timer),
            noErr);
  // (Each round ends with the commit: the timer, on the stack's data, goes before any return.)
  std::string typed;
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    const bool shown =
        RunToolPumping({"xdotool", "key", "a"}) &&
        PumpUntil([this] { return FieldReading() == MJ("あ"); }, "the reading");
    EXPECT_TRUE(shown) << "the field: \"" << FieldText() << "\"; spot moves: " << moving.moves;
    typed += MJ("あ");
    if (!shown || !RunToolPumping({"xdotool", "key", "Return"}) ||
        !PumpUntil([&] { return FieldText() == typed; }, "the commit")) {
      break;
    }
  }
  RemoveEventLoopTimer(timer);
  DisposeEventLoopTimerUPP(upp);
  EXPECT_EQ(sp_platform::display::XimTimedOutCalls(), timedOut);
}

// A click in the field commits the reading it shows there and the server forgets it; the same
// reading typed again is a reading of its own, and its commit comes too.
TEST_F(XimInput, TheSameReadingTypedAgainAfterAClickCommittedItIsCommittedAgain) {
  ASSERT_NE(ShowDialogField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(TypeTheReadingInTheDialog("the reading"));
  ASSERT_TRUE(sp_testing::ClickDialogItem(dialog_, 1));
  EXPECT_EQ(FieldText(), MJ("か"));
  EXPECT_EQ(FieldReading(), "");
  // (Converting stays on.)
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "k", "a"}));
  ASSERT_TRUE(PumpUntil([this] { return FieldReading() == MJ("か"); }, "the reading again"));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "Return"}));
  ASSERT_TRUE(PumpUntil([this] { return FieldReading().empty(); }, "the reading's end"));
  ASSERT_TRUE(TypeIntoTheDialog({OnKey()}));
  EXPECT_EQ(FieldText(), MJ("かか") + "z");
}

TEST_F(XimInput, AReadingInADialogsFieldStaysThereWhenTheServerIsKilled) {
  LoseTheServerWhileComposingInADialog(SIGKILL);
}

TEST_F(XimInput, AReadingInADialogsFieldStaysThereOnceWhenTheKeyboardMoves) {
  MoveTheKeyboardWhileComposingInADialog();
}

// A server on a TCP transport that stops once the program connected there: the program's wait
// on that socket ends as one on the X connection does, the server is given up once, and the
// keys come through SDL.
class XimInputOnTcp : public XimInput {
 protected:
  std::string ServerName() const override { return "stopsontcp"; }
  bool StartServer() override {
    server_.pid = x11::StartServerStoppedOnItsTransport(ServerName());
    return server_.pid > 0;
  }
};

TEST_F(XimInputOnTcp, AServerStoppedOnItsTransportIsGivenUpInTime) {
  const int timedOut = sp_platform::display::XimTimedOutCalls();
  ASSERT_NE(ShowField(), nullptr);
  std::string keys;
  RecordKeys(&keys);
  ASSERT_TRUE(TypeAndSeeTheEnd({"b"}, &keys));
  EXPECT_EQ(keys, "bz");
  EXPECT_FALSE(sp_platform::display::XimInCharge());
  EXPECT_EQ(sp_platform::display::XimTimedOutCalls(), timedOut + 1);
}

// A key that comes in the same batch as the keyboard's move to its window (the program was
// busy) goes to that window's context: none is lost, none comes twice.
TEST_F(XimInput, AKeyInTheSameBatchAsTheKeyboardsMoveComesOnce) {
  WindowRef first = ShowField();
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(ServerTaken());
  WindowRef second = ShowWindowOnDesktop(R(150, 400, 350, 600), "XIM 2");
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(WaitUntilShown(second));
  ASSERT_TRUE(RunToolPumping({"xdotool", "windowfocus", "--sync",
                              std::to_string(sp_platform::display::X11WindowOf(first))}));
  ASSERT_TRUE(PumpUntil([] { return sp_platform::display::XimInCharge(); }, "the first window"));
  std::string keys;
  RecordKeys(&keys);
  // The focus's move and the key wait unread until the loop runs again.
  ASSERT_TRUE(RunTool({"xdotool", "windowfocus", "--sync",
                       std::to_string(sp_platform::display::X11WindowOf(second)), "key", "x"}));
  ASSERT_TRUE(PumpUntil([&] { return !keys.empty(); }, "the key"));
  ASSERT_TRUE(TypeAndSeeTheEnd({"y"}, &keys));
  EXPECT_EQ(keys, "xyz");
}

// A key let go while another program's window had the keyboard is up when the field's window
// has it again: its next press is a press, not a repeat.
TEST_F(XimInput, AKeyReleasedInAnotherProgramsWindowIsNotARepeatWhenPressedAgain) {
  const unsigned long elsewhere = x11::ShowForeignWindow();
  ASSERT_NE(elsewhere, 0u);
  WindowRef window = ShowField();
  ASSERT_NE(window, nullptr);
  const std::string ours = std::to_string(sp_platform::display::X11WindowOf(window));
  std::string keys;
  int repeats = 0;
  RecordKeys(&keys);
  RecordRepeats(&repeats);
  ASSERT_TRUE(RunToolPumping({"xdotool", "keydown", "x"}));
  ASSERT_TRUE(PumpUntil([&] { return !keys.empty(); }, "the press"));
  EXPECT_EQ(keys, "x");
  ASSERT_TRUE(RunToolPumping(
      {"xdotool", "windowfocus", "--sync", std::to_string(elsewhere), "keyup", "x"}));
  ASSERT_TRUE(RunToolPumping({"xdotool", "windowfocus", "--sync", ours}));
  ASSERT_TRUE(WaitForKeyboard("the keyboard back"));
  ASSERT_TRUE(TypeAndSeeTheEnd({"x"}, &keys));
  EXPECT_EQ(keys, "xxz");
  EXPECT_EQ(repeats, 0);
  x11::CloseForeignWindow(elsewhere);
}

// IBus's XIM bridge (its daemon with the bridge; no converting engine, so every key is handed
// back, without the bridge waiting for the program): each key comes once in both kinds of
// field; keys a stopped bridge holds and those after them come through SDL; a new bridge is
// taken.
class XimInputIbus : public XimInput {
 protected:
  std::string ServerName() const override { return "ibus"; }
  bool StartServer() override {
    return StartTool({"env", "HOME=" + locales_, "XDG_CONFIG_HOME=" + locales_ + "/config",
                      "XDG_CACHE_HOME=" + locales_ + "/cache", "ibus-daemon", "--xim",
                      "--panel=disable", "--emoji-extension=disable", "--config=disable",
                      "--single"},
                     &server_);
  }
  // The bridge the daemon started (it leaves its parent): the live one on the tests' display.
  pid_t XimProcess() override {
    std::string out;
    if (!RunTool({"pgrep", "-x", "ibus-x11"}, &out)) return -1;
    const std::string display = std::string("DISPLAY=") + getenv("DISPLAY") + '\0';
    std::istringstream pids(out);
    for (pid_t pid = 0; pids >> pid;) {
      std::ifstream file("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
      const std::string environment((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
      if (environment.find(display) != std::string::npos) return pid;
    }
    return -1;
  }
};

TEST_F(XimInputIbus, EachKeyComesOnceAndAStoppedBridgeLeavesTheKeysToSDLUntilANewOneIsTaken) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  std::string keys;
  RecordKeys(&keys);
  ASSERT_TRUE(TypeAndSeeTheEnd({"a", "b", "space", "1"}, &keys));
  EXPECT_EQ(keys, "ab 1z");
  target_->EnableInlineInput(0);
  ASSERT_TRUE(TypeAndSeeTheEnd({"c", "2"}, &keys));
  EXPECT_EQ(keys, "ab 1zc2z");
  EXPECT_TRUE(sp_platform::display::XimInCharge());

  ASSERT_GT(XimProcess(), 0);
  SignalServer(SIGSTOP);
  ASSERT_TRUE(TypeAndSeeTheEnd({"d"}, &keys));
  EXPECT_EQ(keys, "ab 1zc2zdz");
  ASSERT_TRUE(TypeAndSeeTheEnd({"e"}, &keys));
  EXPECT_EQ(keys, "ab 1zc2zdzez");
  // (The bridge does not outlive its stop for long.) A bridge started again is taken.
  SignalServer(SIGCONT);
  kill(server_.pid, SIGTERM);
  waitpid(server_.pid, nullptr, 0);
  server_.pid = -1;
  ASSERT_TRUE(PumpUntil([] { return !x11::SelectionOwned("@server=ibus"); }, "the bridge gone"));
  ASSERT_TRUE(StartServer());
  ASSERT_TRUE(ServerReady());
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(TypeAndSeeTheEnd({"f"}, &keys));
  EXPECT_EQ(keys, "ab 1zc2zdzezfz");
}

// A key the bridge hands back only after its release was read (it was slow, or given up and
// its keys taken as SDL's) is not left down: its next press is a press, not a repeat.
TEST_F(XimInputIbus, AKeyHandedBackAfterItsReleaseIsNotARepeatWhenPressedAgain) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  std::string keys;
  int repeats = 0;
  RecordKeys(&keys);
  RecordRepeats(&repeats);
  int releases = 0;
  Listen(GetApplicationEventTarget(), {{kEventClassKeyboard, kEventRawKeyUp}},
         [&releases](EventRef) {
           ++releases;
           return OSStatus(noErr);
         });
  // The bridge answers the press at once and hands it back when the daemon has seen it.
  kill(server_.pid, SIGSTOP);
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "x"}));
  ASSERT_TRUE(PumpUntil([&releases] { return releases > 0; }, "the release"));
  EXPECT_EQ(keys, "") << "the bridge held the press";
  kill(server_.pid, SIGCONT);
  ASSERT_TRUE(PumpUntil([&keys] { return !keys.empty(); }, "the press handed back"));
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(TypeAndSeeTheEnd({"x"}, &keys));
  EXPECT_EQ(keys, "xxz");
  EXPECT_EQ(repeats, 0);
  // A key held down still repeats.
  ASSERT_TRUE(RunToolPumping({"xdotool", "keydown", "x"}));
  const bool repeated = PumpUntil([&repeats] { return repeats > 1; }, "the key's repeats");
  ASSERT_TRUE(RunToolPumping({"xdotool", "keyup", "x"}));
  EXPECT_TRUE(repeated);
  EXPECT_EQ(keys, "xxzx");
}

// IBus's bridge with a converting engine (Anthy): the reading is composed in both kinds of
// field and committed.
class XimInputIbusAnthy : public XimInputIbus {
 protected:
  void SetUp() override {
    XimInputIbus::SetUp();
    if (HasFatalFailure()) return;
    // The engine starts when it is first chosen.
    ASSERT_TRUE(PumpUntil(
        [this] {
          std::string engine;
          RunTool(Ibus({"ibus", "engine", Engine()}));
          return RunTool(Ibus({"ibus", "engine"}), &engine) && engine.find(Engine()) == 0;
        },
        "the engine chosen"));
  }
  virtual std::string Engine() const { return "anthy"; }
  void TearDown() override {
    XimInputIbus::TearDown();
    if (bus_ > 0) kill(bus_, SIGTERM);
  }
  // The daemon stays only with a session bus (a bus of the test's own). The engine is a Python
  // program of the system's: the system's Python runs it.
  std::vector<std::string> Ibus(const std::vector<std::string>& args) const {
    const char* path = getenv("PATH");
    std::vector<std::string> argv = {
        "env", "PATH=/usr/bin:/bin:" + std::string(path != nullptr ? path : ""),
        "DBUS_SESSION_BUS_ADDRESS=" + busAddress_, "HOME=" + locales_,
        "XDG_CONFIG_HOME=" + locales_ + "/config", "XDG_CACHE_HOME=" + locales_ + "/cache"};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
  }
  bool StartServer() override {
    std::string started;
    if (!RunTool({"dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"},
                 &started)) {
      return false;
    }
    std::istringstream told(started);
    told >> busAddress_ >> bus_;
    return bus_ > 0 && StartTool(Ibus({"ibus-daemon", "--xim", "--panel=disable",
                                       "--emoji-extension=disable", "--config=" + Config()}),
                                 &server_);
  }
  // The daemon's settings program: none, but for an engine that will not run without one.
  virtual std::string Config() const { return "disable"; }
  std::string OnKey() const override { return "ctrl+j"; }
  std::string busAddress_;
  pid_t bus_ = -1;
};

TEST_F(XimInputIbusAnthy, ABridgeStoppedWhileComposingLeavesTheReadingCommittedInItsField) {
  LoseTheServerWhileComposing(SIGSTOP);
}

TEST_F(XimInputIbusAnthy, ABridgeKilledWhileComposingLeavesTheReadingCommittedInItsField) {
  LoseTheServerWhileComposing(SIGKILL);
}

TEST_F(XimInputIbusAnthy, AReadingShownWhenTheKeyboardMovesStaysInItsFieldOnce) {
  MoveTheKeyboardWhileComposing();
}

TEST_F(XimInputIbusAnthy, AReadingInADialogsFieldStaysThereWhenTheBridgeIsStopped) {
  LoseTheServerWhileComposingInADialog(SIGSTOP);
}

TEST_F(XimInputIbusAnthy, AReadingInADialogsFieldStaysThereOnceWhenTheKeyboardMoves) {
  MoveTheKeyboardWhileComposingInADialog();
}

// Xlib holds back the preedit callbacks that come while it waits for the server's answer to a
// setting of the context, until the server's next callback: the caret moving right after a key
// went to the server, before its drawing of the reading came, leaves the reading shown anew.
// (IBus's bridge answers a key at once and draws once its engine has taken it; uim draws
// before it answers.)
TEST_F(XimInputIbusAnthy, AReadingDrawnAsTheCaretMovesIsShown) {
  ASSERT_NE(ShowField(), nullptr);
  ASSERT_TRUE(ServerTaken());
  ASSERT_TRUE(TypeTheReading("the reading"));
  // A timer of each pass moves the spot once the next key is with the server.
  bool moved = false;
  EventLoopTimerUPP upp = NewEventLoopTimerUPP([](EventLoopTimerRef, void* data) {
    bool* moved = static_cast<bool*>(data);
    if (*moved || sp_platform::display::XimKeysHeld() == 0) return;
    *moved = true;
    // Once the server's next message is there, unread.
    pollfd message = {sp_platform::display::XimConnectionFd(), POLLIN, 0};
    poll(&message, 1, 10000);
    sp_platform::display::XimSetSpot(60, 30);
  });
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.001, 0.001, upp, &moved, &timer), noErr);
  const bool typed = RunToolPumping({"xdotool", "key", "i"});
  const bool shown = typed && PumpUntil(
                                  [this] {
                                    return target_->updates.back().text == MJ("かい") &&
                                           target_->updates.back().fixed == 0;
                                  },
                                  "the reading drawn anew");
  RemoveEventLoopTimer(timer);
  DisposeEventLoopTimerUPP(upp);
  EXPECT_TRUE(shown) << "the spot moved while the key was with the server: " << moved;
}

TEST_F(XimInputIbusAnthy, TheReadingIsComposedAndCommittedInBothKindsOfField) {
  ASSERT_NE(ShowField(false), nullptr);
  ASSERT_TRUE(ServerTaken());
  const pid_t bridge = XimProcess();
  ASSERT_GT(bridge, 0);
  std::string keys, text;
  RecordKeys(&keys);
  RecordText(&text);
  // Hiragana on, and the first letter of the reading: the bridge shows nothing of it in this
  // field, so the program asks after the keys it holds once they waited 0.8 s without a word
  // from the bridge (a question the bridge cannot answer would end it). A late answer of the
  // bridge to an earlier key is such a word too, and then nothing is asked: the test goes on
  // once asked or once 2 s passed, and checks what the user sees, the commit.
  const int asked = sp_platform::display::XimAskedAfterHeldKeys();
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "ctrl+j", "k"}));
  const Uint64 asideUntil = SDL_GetTicks64() + 2000;
  ASSERT_TRUE(PumpUntil(
      [&] {
        return sp_platform::display::XimAskedAfterHeldKeys() > asked ||
               SDL_GetTicks64() > asideUntil;
      },
      "the keys the bridge held asked after, or their time"));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "a", "Return"}));
  ASSERT_TRUE(PumpUntil([&] { return !text.empty(); }, "the commit")) << "keys: \"" << keys << '"';
  EXPECT_EQ(text, MJ("か"));
  EXPECT_EQ(keys, "");
  EXPECT_EQ(XimProcess(), bridge) << "the bridge died";
  EXPECT_TRUE(sp_platform::display::XimInCharge());

  // Inline, the bridge draws the reading through the program, and its commit ends it.
  target_->EnableInlineInput(1);
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "k", "a"}));
  ASSERT_TRUE(PumpUntil(
      [this] { return !target_->updates.empty() && target_->updates.back().text == MJ("か"); },
      "the reading inline"));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "Return"}));
  ASSERT_TRUE(PumpUntil([this] { return target_->updates.back().fixed > 0; }, "the commit"));
  EXPECT_EQ(target_->updates.back().text, MJ("か"));
  EXPECT_EQ(keys, "");
  EXPECT_EQ(XimProcess(), bridge) << "the bridge died";
}

// IBus's bridge with its Hangul engine, whose reset commits the reading it shows (after the
// program committed it itself, as it does when the keyboard leaves the reading's place).
class XimInputIbusHangul : public XimInputIbusAnthy {
 protected:
  std::string Engine() const override { return "hangul"; }
  // (Its settings in memory, each its default: Latin first, Shift-Space to Hangul.)
  std::string Config() const override { return "/usr/libexec/ibus-memconf"; }
  std::string OnKey() const override { return "shift+space"; }
  static constexpr DialogItemIndex kFirst = 1, kSecond = 2, kSave = 3;
  // Two empty fields, one above the other, and a Save button under them.
  DialogRef ShowTwoFieldsAndSave() {
    return ShowDialogItems({0, 2,                                                   // 3 items
                            0, 0, 0, 0, 0, 10, 0, 10, 0, 26, 0x01, 0x2C, editText, 0,  //
                            0, 0, 0, 0, 0, 40, 0, 10, 0, 56, 0x01, 0x2C, editText, 0,  //
                            0, 0, 0, 0, 0, 70, 0, 10, 0, 90, 0, 80, ctrlItem + btnCtrl, 4,
                            'S', 'a', 'v', 'e'});
  }
  void EmptyTheFieldsAndFocusTheFirst() {
    for (DialogItemIndex item : {kFirst, kSecond}) {
      DialogItemType type = 0;
      Handle handle = nullptr;
      Rect box;
      GetDialogItem(dialog_, item, &type, &handle, &box);
      const unsigned char none[] = {0};
      SetDialogItemText(handle, none);
    }
    SelectDialogItemText(dialog_, kFirst, 0, 0);
  }
};

// The keyboard leaves the reading's place by a click elsewhere in its field, in the other
// field, or on Save: the reading (a syllable, which MacJapanese shows as '?') is committed
// where it was shown, and the engine's own commit of it, answering the program's reset, is not
// typed again, neither there nor in the field that has the keyboard then. A key the engine
// hands back after that ends what came.
TEST_F(XimInputIbusHangul, AReadingCommittedWhenTheKeyboardLeavesItIsTypedOnce) {
  const struct {
    const char* click;
    DialogItemIndex clicked;
    std::string first, second;  // the fields' text then, with the key typed after
  } moves[] = {{"elsewhere in the field", kFirst, "?1", ""},
               {"in the other field", kSecond, "?", "1"},
               {"on Save", kSave, "?1", ""}};
  ASSERT_NE(ShowTwoFieldsAndSave(), nullptr);
  ASSERT_TRUE(ServerTaken());
  std::vector<std::string> jamo = {"xdotool", "key", "--delay", "20", OnKey(), "g", "k"};
  for (const auto& move : moves) {
    SCOPED_TRACE(move.click);
    EmptyTheFieldsAndFocusTheFirst();
    // (Hangul on the first time: the context keeps it.) ㅎ and ㅏ make the syllable 하.
    ASSERT_TRUE(RunToolPumping(jamo));
    jamo = {"xdotool", "key", "--delay", "20", "g", "k"};
    ASSERT_TRUE(PumpUntil([] { return sp_platform::display::XimReading() == "\xED\x95\x98"; },
                          "the syllable shown"));
    EXPECT_EQ(FieldReading(), "?");
    ASSERT_TRUE(sp_testing::ClickDialogItem(dialog_, move.clicked));
    EXPECT_EQ(FieldReading(), "");
    const DialogItemIndex keyboard = move.second.empty() ? kFirst : kSecond;
    ASSERT_TRUE(RunToolPumping({"xdotool", "key", "1"}));
    ASSERT_TRUE(PumpUntil(
        [&] {
          const std::string t = FieldText(keyboard);
          return !t.empty() && t.back() == '1';
        },
        "the key after the click"))
        << "the fields: \"" << FieldText(kFirst) << "\", \"" << FieldText(kSecond) << '"';
    EXPECT_EQ(FieldText(kFirst), move.first);
    EXPECT_EQ(FieldText(kSecond), move.second);
  }
}

// SDL_IM_MODULE=fcitx (as fcitx set-ups have it) makes SDL speak to fcitx over the session bus
// whatever XMODIFIERS says, where keys would wait on the bus: the program keeps SDL's own input
// method off, and asks the bus for no input context of fcitx's (none runs here).
TEST(XimProgram, NoInputContextIsAskedOfFcitxWhenSdlImModuleNamesIt) {
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  sp_testing::HomeScope home;
  std::string started;
  ASSERT_TRUE(RunTool({"dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"},
                      &started));
  std::istringstream told(started);
  std::string address;
  pid_t bus = -1;
  told >> address >> bus;
  ASSERT_GT(bus, 0) << started;
  Tool monitor;
  ASSERT_TRUE(StartTool({"dbus-monitor", "--address", address}, &monitor));
  // The monitor is in place once the bus told it its name.
  EXPECT_TRUE(WaitUntil([&monitor] {
    ToolFinished(&monitor);
    return monitor.out.find("NameLost") != std::string::npos;
  }));
  const char* was = getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string busWas = was != nullptr ? was : "";
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  setenv("SDL_IM_MODULE", "fcitx", 1);
  Tool program;
  std::string window;
  const bool shown = StartProgram(home, &program, &window);
  unsetenv("SDL_IM_MODULE");
  setenv("DBUS_SESSION_BUS_ADDRESS", busWas.c_str(), 1);
  EXPECT_TRUE(shown) << "the media window did not appear";
  if (shown) {
    EXPECT_TRUE(RunTool({"xdotool", "windowfocus", "--sync", window, "key", "a"}));
    EXPECT_TRUE(QuitProgram(&program)) << "Ctrl-Q did not end the program";
  }
  // Everything the program sent came before the signal the monitor sees last.
  EXPECT_TRUE(RunTool({"dbus-send", "--address=" + address, "--type=signal", "/",
                       "test.Xim.End"}));
  EXPECT_TRUE(WaitUntil([&monitor] {
    ToolFinished(&monitor);
    return monitor.out.find("test.Xim") != std::string::npos;
  }));
  kill(bus, SIGTERM);
  WaitForTool(&monitor, kProgramLimitMillis);
  std::string seen = monitor.out;
  std::transform(seen.begin(), seen.end(), seen.begin(), ::tolower);
  EXPECT_EQ(seen.find("fcitx"), std::string::npos) << monitor.out;
}

}  // namespace
}  // namespace desktop_test
