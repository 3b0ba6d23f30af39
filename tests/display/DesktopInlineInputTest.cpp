// The desktop input method's preedit and commit, as SDL hands them to the real backend, reach
// the focused field as the same inline-input updates the tests' fake input method gives, and
// its candidate window follows the field's caret.
#include <SDL.h>

#include <cstring>

#include "DesktopFixture.h"
#include "SpStdFunctionNumber.h"
#include "SpTextService.h"
#include "TestTextServices.h"
#include "TextServiceRecorder.h"

namespace desktop_test {
namespace {

using sp_test_support::Range;
using sp_test_support::Ranges;
using sp_test_support::RecordingTarget;

class InlineInput : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    Sp_CarbonEvent_ModeEnable();
    sp_testing::ResetTextServices();
    SpTextServiceInitialize();
  }
  void TearDown() override {
    target_.reset();
    sp_testing::ResetTextServices();
    DesktopTest::TearDown();
  }
  static void PushEditing(WindowRef window, const char* utf8, int start, int length) {
    SDL_Event e{};
    e.edit.type = SDL_TEXTEDITING;
    e.edit.windowID = sp_platform::display::SDLWindowIDOf(window);
    std::strncpy(e.edit.text, utf8, sizeof e.edit.text - 1);
    e.edit.start = start;
    e.edit.length = length;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  std::unique_ptr<RecordingTarget> target_;
};

TEST_F(InlineInput, PreeditAndCommitFromSDLBecomeTheUpdatesOfTheFocusedField) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "入力");
  ASSERT_NE(window, nullptr);
  target_.reset(new RecordingTarget(window, R(10, 10, 40, 200)));
  target_->caretPoint = Point{40, 30};
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_IME_INTERNAL_EDITING), "1");
  target_->EnableInlineInput(1);
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_IME_INTERNAL_EDITING), "0");

  PushEditing(window, "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86", 1, 1);  // a i u, "i" marked
  // A preedit longer than SDL's 32 bytes comes whole as the extended event.
  std::string longer;
  for (int i = 0; i < 20; ++i) longer += "\xE3\x81\x82";
  SDL_Event ext{};
  ext.editExt.type = SDL_TEXTEDITING_EXT;
  ext.editExt.windowID = sp_platform::display::SDLWindowIDOf(window);
  ext.editExt.text = SDL_strdup(longer.c_str());
  ext.editExt.start = 20;
  ext.editExt.length = 0;
  ASSERT_EQ(SDL_PushEvent(&ext), 1);
  SDL_Event commit{};
  commit.text.type = SDL_TEXTINPUT;
  commit.text.windowID = sp_platform::display::SDLWindowIDOf(window);
  std::strcpy(commit.text.text, "\xE6\x84\x9B");  // a kanji
  ASSERT_EQ(SDL_PushEvent(&commit), 1);
  ASSERT_TRUE(PumpUntil([this] { return target_->updates.size() >= 3; }, "three updates"));

  const auto& u = target_->updates;
  EXPECT_EQ(u[0].text, "\x82\xA0\x82\xA2\x82\xA4");
  EXPECT_EQ(u[0].fixed, 0);
  EXPECT_EQ(Ranges(u[0].hilites), "(2,4,5)(2,2,1)");
  EXPECT_EQ(Range(u[0].oldRange) + Range(u[0].newRange), "(0,0)(0,6)");
  EXPECT_EQ(u[1].text.size(), 40u);
  EXPECT_EQ(Ranges(u[1].hilites), "(0,40,2)(40,40,1)");
  EXPECT_EQ(Range(u[1].oldRange) + Range(u[1].newRange), "(0,6)(0,40)");
  EXPECT_EQ(u[2].text, "\x88\xA4");
  EXPECT_EQ(u[2].fixed, 2);
  EXPECT_EQ(Range(u[2].oldRange) + Range(u[2].newRange), "(0,40)(0,2)");

  // Before the loop waits, the candidate window goes under the field's caret.
  ASSERT_TRUE(PumpUntil(
      [] {
        int x = 0, y = 0, w = 0, h = 0;
        return sp_platform::display::LastTextInputRect(&x, &y, &w, &h) && x == 30 &&
               y == 40 - 14 + sp_platform::display::StripHeightOf(FrontWindow()) && h == 14;
      },
      "the candidate window at the caret"));
  target_->EnableInlineInput(0);
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_IME_INTERNAL_EDITING), "1");
}

}  // namespace
}  // namespace desktop_test
