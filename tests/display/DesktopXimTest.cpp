// A real XIM server with preedit callbacks (uim's bridge, Anthy converting) drives the inline
// input: keys reach the server once and come to the program only when the server leaves them,
// a conversion of several clauses reaches the field with each clause of its own kind, and the
// commit ends it.
#include <SDL.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "DesktopFixture.h"
#include "SpStdFunctionNumber.h"
#include "SpTextService.h"
#include "TestTextServices.h"
#include "TextServiceRecorder.h"
#include "XQueries.h"
#include "display/internal/XimCallbacks.h"

namespace desktop_test {
namespace {

using sp_test_support::RecordedUpdate;
using sp_test_support::RecordingTarget;

class XimInput : public DesktopTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(DesktopReady()) << DesktopProblem();
    // A Japanese UTF-8 locale of the test's own (the server offers only its engines'
    // languages); the program opens the input method in the locale LANG names. SDL opens its
    // own input method first, with the same server.
    char dir[] = "/tmp/sp-xim-XXXXXX";  // also the server's home
    ASSERT_NE(mkdtemp(dir), nullptr);
    locales_ = dir;
    ASSERT_TRUE(RunTool({"localedef", "-i", "ja_JP", "-f", "UTF-8", locales_ + "/ja_JP.UTF-8"}));
    setenv("LOCPATH", locales_.c_str(), 1);
    setenv("LANG", "ja_JP.UTF-8", 1);
    setenv("XMODIFIERS", "@im=uim", 1);
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
  // The server and its converter keep what they learn in a home of the test's own.
  bool StartServer() {
    return StartTool({"env", "HOME=" + locales_, "uim-xim", "--engine=anthy-utf8"}, &server_);
  }
  bool ServerReady() {
    return PumpUntil([] { return x11::SelectionOwned("@server=uim"); }, "the XIM server");
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
  // A window with a field taking inline input, with the keyboard.
  WindowRef ShowField() {
    WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "XIM");
    if (window == nullptr) return nullptr;
    target_.reset(new RecordingTarget(window, R(10, 10, 40, 200)));
    target_->EnableInlineInput(1);
    if (!PumpUntil([] { return SDL_GetKeyboardFocus() != nullptr; }, "the keyboard")) {
      return nullptr;
    }
    return window;
  }
  void TearDown() override {
    target_.reset();
    sp_testing::ResetTextServices();
    DesktopTest::TearDown();
    unsetenv("XMODIFIERS");
    unsetenv("LANG");
    unsetenv("LOCPATH");
    if (server_.pid > 0) {
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
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "20", "shift+space", "k", "a"}));
  ASSERT_TRUE(PumpUntil(
      [this] { return !target_->updates.empty() && target_->updates.back().text == "\x82\xA9"; },
      "the reading"));
  EXPECT_EQ(keys, "b");
}

}  // namespace
}  // namespace desktop_test
