// The modal say dialogs: answers by click and by key, the resource of each kind, the buttons
// widened to their titles, centring, the message's cut and the failure records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SayDialogTestSupport.h"
#include "SpStdDrawingFunction.h"
#include "TestFonts.h"

namespace say_dialog_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ShownKind;
using sp_testing::ShownSoFar;

Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  Rect r = {top, left, bottom, right};
  return r;
}

bool Same(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

std::string Show(const Rect& r) {
  return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " +
         std::to_string(r.bottom) + ", " + std::to_string(r.right) + ")";
}

class SayDialogModal : public SayDialogFixture {};

// ---- Answers --------------------------------------------------------------------------------

struct KeyCase {
  const char* what;
  Answer answer;
  short expected;
};

TEST_F(SayDialogModal, OneButtonDialogClosesOnOKAndOnEveryKeyInTheCarbonMode) {
  const KeyCase cases[] = {
      {"click OK", Answer::Click(1), 0},
      {"Return", Answer::Return(), 0},
      {"Enter", Answer::Enter(), 0},
      {"Escape", Answer::Escape(), 0},
      {"Command-period", Answer::CommandPeriod(), 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t before = ShownSoFar().size();
    Respond(c.answer);
    Text message(MJ("保存できませんでした。"));
    Sp_SayDialogByModal(message.get(), 0);
    // A dialog still waiting after the answer would come up again without an answer and fail
    // the test; one appearance means the answer closed it.
    ASSERT_EQ(ShownSoFar().size(), before + 1);
    EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
    EXPECT_EQ(Last().message, MJ("保存できませんでした。"));
    EXPECT_EQ(Last().defaultItem, 1);
    EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(SayDialogModal, OneButtonClassicLoopStaysUpForEscapeAndCommandPeriod) {
  Respond(Answer::Escape());
  Respond(Answer::CommandPeriod());
  Respond(Answer::Return());
  Text message("Classic");
  Sp_SayDialogByModal(message.get(), 1);
  ASSERT_EQ(ShownSoFar().size(), 3u);
  EXPECT_FALSE(ShownSoFar()[0].again);
  EXPECT_TRUE(ShownSoFar()[1].again);
  EXPECT_TRUE(ShownSoFar()[2].again);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
}

TEST_F(SayDialogModal, TwoButtonDialogAnswersByClickAndByKey) {
  const KeyCase cases[] = {
      {"click first", Answer::Click(1), 1}, {"click second", Answer::Click(2), 2},
      {"Return", Answer::Return(), 1},      {"Enter", Answer::Enter(), 1},
      {"Escape", Answer::Escape(), 2},      {"Command-period", Answer::CommandPeriod(), 2},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    Respond(c.answer);
    Text first(MJ("削除")), second(MJ("キャンセル")), message(MJ("削除しますか？"));
    EXPECT_EQ(SpStdSayDlgTwoButton(first.get(), second.get(), message.get(), kSpStdSayDlgCaution, 0,
                                   0, 0),
              c.expected);
    EXPECT_EQ(Last().message, MJ("削除しますか？"));
    EXPECT_EQ(Last().buttons, (std::vector<std::string>{MJ("削除"), MJ("キャンセル")}));
    EXPECT_EQ(Last().defaultItem, 1);
    EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  }
}

TEST_F(SayDialogModal, ThreeButtonDialogAnswersEachButton) {
  const KeyCase cases[] = {
      {"click first", Answer::Click(1), 1}, {"click second", Answer::Click(2), 2},
      {"click third", Answer::Click(3), 3}, {"Return", Answer::Return(), 1},
      {"Escape", Answer::Escape(), 2},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    Respond(c.answer);
    Text a("Save"), b("Cancel"), o("Don't Save"), t1("First text"), t2("Second text");
    EXPECT_EQ(SpStdSayDlgThreeButton(a.get(), b.get(), o.get(), t1.get(), t2.get(),
                                     kSpStdSayDlgNote, 0, 0, 0),
              c.expected);
    EXPECT_EQ(Last().message, "First text");
    EXPECT_EQ(Last().explanation, "Second text");
    EXPECT_EQ(Last().buttons, (std::vector<std::string>{"Save", "Cancel", "Don't Save"}));
  }
}

TEST_F(SayDialogModal, TwoButtonDialogWithoutMessageShowsAnEmptyText) {
  Respond(Answer::Click(2));
  Text first("Yes"), second("No");
  EXPECT_EQ(SpStdSayDlgTwoButton(first.get(), second.get(), nullptr, kSpStdSayDlgStop, 0, 0, 0), 2);
  EXPECT_EQ(Last().message, "");
}

// ---- The dialog resource of each kind -------------------------------------------------------

// The bytes of the compiled resource, to put back alone into an emptied application file.
std::vector<UInt8> ResourceBytes(ResType type, SInt16 id) {
  Handle h = GetResource(type, id);
  EXPECT_NE(h, nullptr) << id;
  if (h == nullptr) return {};
  return std::vector<UInt8>(reinterpret_cast<UInt8*>(*h),
                            reinterpret_cast<UInt8*>(*h) + GetHandleSize(h));
}

TEST_F(SayDialogModal, EachKindTakesItsOwnDialogResource) {
  struct Case {
    tStdSayDlgType type;
    SInt16 twoButton;
    SInt16 threeButton;
  } cases[] = {
      {kSpStdSayDlgStop, 6132, 6140},
      {kSpStdSayDlgNote, 6133, 6141},
      {kSpStdSayDlgCaution, 6131, 6142},
      {tStdSayDlgType(7), 6131, 6142},
  };
  const ResType kDLOG = SpFourCC("DLOG");
  const ResType kDITL = SpFourCC("DITL");
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    // Only the dialogs of this kind exist: a wrong choice finds no resource and answers 0.
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    std::vector<UInt8> dlog2 = ResourceBytes(kDLOG, c.twoButton);
    std::vector<UInt8> ditl2 = ResourceBytes(kDITL, c.twoButton);
    std::vector<UInt8> dlog3 = ResourceBytes(kDLOG, c.threeButton);
    std::vector<UInt8> ditl3 = ResourceBytes(kDITL, c.threeButton);
    sp_testing::ResetResources();
    sp_testing::AddAppResource(kDLOG, c.twoButton, dlog2);
    sp_testing::AddAppResource(kDITL, c.twoButton, ditl2);
    sp_testing::AddAppResource(kDLOG, c.threeButton, dlog3);
    sp_testing::AddAppResource(kDITL, c.threeButton, ditl3);

    Respond(Answer::Click(2));
    Respond(Answer::Click(3));
    Text a("A"), b("B"), o("C");
    EXPECT_EQ(SpStdSayDlgTwoButton(a.get(), b.get(), nullptr, c.type, 0, 0, 0), 2);
    EXPECT_EQ(SpStdSayDlgThreeButton(a.get(), b.get(), o.get(), nullptr, nullptr, c.type, 0, 0, 0),
              3);
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

// ---- Buttons widened to their titles --------------------------------------------------------

// With the fixed-metric font a one-byte character is 6 pixels wide and a two-byte one 12, so a
// title of n kanji needs 12 n + 28 pixels. Dialog 6131 has its buttons at (95, 230, 115, 300)
// and (95, 310, 115, 380).
TEST_F(SayDialogModal, WiderSecondTitleGrowsLeftwardsAndPushesTheFirstButton) {
  sp_testing::FixedMetricFontScope font;
  const std::string kanji10 = MJ("一二三四五六七八九十");  // 148 pixels needed
  const std::string kanji8 = MJ("一二三四五六七八");       // 124 pixels needed
  struct Case {
    const char* what;
    std::string first;
    std::string second;
    Rect firstBox;
    Rect secondBox;
  } cases[] = {
      {"both fit: as the resource has them", "OK", "No", R(95, 230, 115, 300),
       R(95, 310, 115, 380)},
      {"exactly fitting titles stay", "1234567", "abcdefg", R(95, 230, 115, 300),
       R(95, 310, 115, 380)},
      {"second wider: grows left by 78, first moves left by 78", "OK", kanji10,
       R(95, 152, 115, 222), R(95, 232, 115, 380)},
      {"first wider: grows left from its right edge", kanji8, "No", R(95, 176, 115, 300),
       R(95, 310, 115, 380)},
      {"both wider", kanji8, kanji10, R(95, 98, 115, 222), R(95, 232, 115, 380)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Layout layout;
    Respond(ReadThenClick(&layout, 2, 1));
    Text first(c.first), second(c.second);
    ASSERT_EQ(
        SpStdSayDlgTwoButton(first.get(), second.get(), nullptr, kSpStdSayDlgCaution, 0, 0, 0), 1);
    ASSERT_EQ(layout.buttons.size(), 2u);
    EXPECT_TRUE(Same(layout.buttons[0], c.firstBox)) << Show(layout.buttons[0]);
    EXPECT_TRUE(Same(layout.buttons[1], c.secondBox)) << Show(layout.buttons[1]);
    // The controls stand where the item list says.
    EXPECT_TRUE(Same(layout.controls[0], c.firstBox)) << Show(layout.controls[0]);
    EXPECT_TRUE(Same(layout.controls[1], c.secondBox)) << Show(layout.controls[1]);
  }
}

// Dialog 6142: buttons 1 (115, 250, 135, 330), 2 (115, 340, 135, 420), 3 (115, 20, 135, 100).
TEST_F(SayDialogModal, ThreeButtonDialogWidensEachButtonThatItsTitleDoesNotFit) {
  sp_testing::FixedMetricFontScope font;
  Layout layout;
  Respond(ReadThenClick(&layout, 3, 3));
  Text a("OK"), b(MJ("一二三四五六七八九十")), o(MJ("一二三四五六七八"));
  ASSERT_EQ(SpStdSayDlgThreeButton(a.get(), b.get(), o.get(), nullptr, nullptr, kSpStdSayDlgCaution,
                                   0, 0, 0),
            3);
  ASSERT_EQ(layout.buttons.size(), 3u);
  // The second grows left by 68 and pushes the first (which fits) left by as much; the third
  // grows to the right from the left edge.
  EXPECT_TRUE(Same(layout.buttons[0], R(115, 182, 135, 262))) << Show(layout.buttons[0]);
  EXPECT_TRUE(Same(layout.buttons[1], R(115, 272, 135, 420))) << Show(layout.buttons[1]);
  EXPECT_TRUE(Same(layout.buttons[2], R(115, 20, 135, 144))) << Show(layout.buttons[2]);
}

// ---- Centring -------------------------------------------------------------------------------

TEST_F(SayDialogModal, CentredOnAPointOnlyWhenTheDialogStaysWhollyOnTheScreen) {
  Layout placed;
  Respond(ReadThenClick(&placed, 2, 1));
  Text first("Yes"), second("No");
  ASSERT_EQ(SpStdSayDlgTwoButton(first.get(), second.get(), nullptr, kSpStdSayDlgCaution, 0, 0, 0),
            1);
  const SInt16 width = SInt16(placed.content.right - placed.content.left);
  const SInt16 height = SInt16(placed.content.bottom - placed.content.top);
  ASSERT_EQ(width, 400);
  ASSERT_EQ(height, 130);

  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  struct Case {
    const char* what;
    short h, v;
    bool moves;
  } cases[] = {
      {"middle of the screen", 512, 400, true},
      {"another point well inside", 301, 201, true},
      {"near the left edge: would stick out", 150, 400, false},
      {"near the bottom: would stick out", 512, 740, false},
      {"top on the menu bar's edge: not strictly inside", 512, short(screen.top + 65), false},
      {"one pixel lower: inside", 512, short(screen.top + 66), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Layout layout;
    Respond(ReadThenClick(&layout, 2, 2));
    ASSERT_EQ(
        SpStdSayDlgTwoButton(first.get(), second.get(), nullptr, kSpStdSayDlgCaution, 1, c.h, c.v),
        2);
    if (c.moves) {
      EXPECT_EQ(layout.content.left, c.h - width / 2);
      EXPECT_EQ(layout.content.top, c.v - height / 2);
    } else {
      EXPECT_TRUE(Same(layout.content, placed.content)) << Show(layout.content);
    }
  }
}

// ---- The message ----------------------------------------------------------------------------

TEST_F(SayDialogModal, MessageOver255BytesIsCutBetweenCharacters) {
  struct Case {
    const char* what;
    std::string message;
    std::string shown;
  } cases[] = {
      {"600 one-byte characters: the first 255", std::string(600, 'a'), std::string(255, 'a')},
      {"a two-byte character across byte 255 is left out", std::string(254, 'a') + MJ("漢") + "bbb",
       std::string(254, 'a')},
      {"a two-byte character ending at byte 255 stays", std::string(253, 'a') + MJ("漢") + "bbb",
       std::string(253, 'a') + MJ("漢")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Respond(Answer::Return());
    Text message(c.message);
    Sp_SayDialogByModal(message.get(), 0);
    EXPECT_EQ(Last().message, c.shown);
    // The caller's text is left as it was.
    EXPECT_EQ(message.str(), c.message);
  }
}

// ---- Failures -------------------------------------------------------------------------------

TEST_F(SayDialogModal, MissingMessageShowsNothingAndIsLogged) {
  Text empty("");
  Sp_SayDialogByModal(nullptr, 0);
  Sp_SayDialogByModal(empty.get(), 0);
  EXPECT_TRUE(ShownSoFar().empty());
  ASSERT_EQ(errors_.Count(), 2u);
  EXPECT_TRUE(errors_.Has("Sp_SayDialogByModal", 1));
  EXPECT_EQ(errors_.Records()[0].message, "Data Error !! ");
  EXPECT_EQ(errors_.Beeps(), 2u);
}

TEST_F(SayDialogModal, MissingDialogResourcesAnswerZeroAndAreLogged) {
  sp_testing::ResetResources();
  Text message("m"), a("A"), b("B"), c("C");
  Sp_SayDialogByModal(message.get(), 0);
  EXPECT_EQ(SpStdSayDlgTwoButton(a.get(), b.get(), message.get(), kSpStdSayDlgStop, 0, 0, 0), 0);
  EXPECT_EQ(SpStdSayDlgThreeButton(a.get(), b.get(), c.get(), nullptr, nullptr, kSpStdSayDlgStop, 0,
                                   0, 0),
            0);
  EXPECT_TRUE(ShownSoFar().empty());
  ASSERT_EQ(errors_.Count(), 3u);
  EXPECT_TRUE(errors_.Has("Sp_SayDialogByModal", 2));
  EXPECT_EQ(errors_.Records()[0].message, "Resoure Error !! ");
  EXPECT_TRUE(errors_.Has("SpStdSayDlgTwoButton", 1));
  EXPECT_TRUE(errors_.Has("SpStdSayDlgThreeButton", 2));
  EXPECT_EQ(errors_.Beeps(), 3u);
}

TEST_F(SayDialogModal, OneButtonDialogWithoutItsMessageItemIsDisposedAndLogged) {
  std::vector<UInt8> bytes;
  std::string error;
  ASSERT_TRUE(sp_testing::CompileResourceSource(R"(
resource 'DLOG' 6130 { bounds 80, 80, 210, 480; items 6130 }
resource 'DITL' 6130 {
  button 95, 310, 115, 380 { text "OK" }
  userItem 13, 20, 45, 52
}
)",
                                                ".", &bytes, &error))
      << error;
  ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
  Text message("m");
  Sp_SayDialogByModal(message.get(), 0);
  EXPECT_TRUE(ShownSoFar().empty());
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_TRUE(errors_.Has("Sp_SayDialogByModal", 3));
  EXPECT_EQ(errors_.Beeps(), 1u);
}

TEST_F(SayDialogModal, MissingTitleIsRefused) {
  Text a("A"), b("B");
  EXPECT_EQ(SpStdSayDlgTwoButton(a.get(), nullptr, nullptr, kSpStdSayDlgStop, 0, 0, 0), 0);
  EXPECT_EQ(SpStdSayDlgThreeButton(a.get(), b.get(), nullptr, nullptr, nullptr, kSpStdSayDlgStop, 0,
                                   0, 0),
            0);
  EXPECT_TRUE(ShownSoFar().empty());
  EXPECT_TRUE(errors_.Has("SpStdSayDlgTwoButton", 1));
  EXPECT_TRUE(errors_.Has("SpStdSayDlgThreeButton", 1));
}

// ---- The classic loop -----------------------------------------------------------------------

// The program sets the Carbon-event mode once at start-up and never clears it, and so do the
// tests that need it: this test can only run in a process where no test has set it yet (ctest
// runs every test in a process of its own).
class SayDialogClassicLoop : public SayDialogFixture {
 protected:
  void SetUp() override {
    if (Sp_Is_CarbonEvent_ModeEnable()) {
      GTEST_SKIP() << "the Carbon-event mode is on in this process";
    }
    sp_testing::UseVirtualClock(kTestDate);
    ResetAll();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    responder_ = std::make_unique<sp_testing::ResponderScope>();
  }
};

TEST_F(SayDialogClassicLoop, TwoAndThreeButtonDialogsAnswerWithoutEscape) {
  struct Case {
    const char* what;
    std::vector<Answer> answers;  // one per appearance
    short expected;
    int appearances;
  } cases[] = {
      {"click second", {Answer::Click(2)}, 2, 1},
      {"Return", {Answer::Return()}, 1, 1},
      {"Enter", {Answer::Enter()}, 1, 1},
      {"Command-period", {Answer::CommandPeriod()}, 2, 1},
      {"Escape does nothing", {Answer::Escape(), Answer::Click(1)}, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t before = ShownSoFar().size();
    for (const Answer& a : c.answers) Respond(a);
    Text first("Yes"), second("No"), message("Go on?");
    EXPECT_EQ(
        SpStdSayDlgTwoButton(first.get(), second.get(), message.get(), kSpStdSayDlgStop, 0, 0, 0),
        c.expected);
    EXPECT_EQ(ShownSoFar().size(), before + c.appearances);
    EXPECT_EQ(Last().message, "Go on?");
  }
  Respond(Answer::Click(3));
  Text a("A"), b("B"), o("C");
  EXPECT_EQ(SpStdSayDlgThreeButton(a.get(), b.get(), o.get(), nullptr, nullptr, kSpStdSayDlgNote, 0,
                                   0, 0),
            3);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
}

// ---- The classic filter ---------------------------------------------------------------------

// A dialog of one button and two edit-text fields, for the filter's keys. The fields are
// disabled so that typing into them hits no item.
const char kFieldsDialogSource[] = R"(
resource 'DLOG' 9095 {
  bounds 80, 80, 200, 400
  procID movableDBoxProc
  items 9095
}
resource 'DITL' 9095 {
  button 80, 230, 100, 300 { text "OK" }
  editText 13, 20, 29, 300 { text "first field"; disabled }
  editText 40, 20, 56, 300 { text "second"; disabled }
}
)";

// Runs the filter's ModalDialog loop until item 1 or 2 is hit.
DialogItemIndex RunFilterLoop() {
  DialogItemIndex item = 0;
  do {
    item = 0;
    ModalDialog(SpStdSayDlgNormalFilter, &item);
  } while (item != 1 && item != 2);
  return item;
}

TEST_F(SayDialogModal, ClassicFilterKeysPressItemsOneAndTwoButEscapeIsLeftAlone) {
  std::vector<UInt8> bytes;
  std::string error;
  ASSERT_TRUE(sp_testing::CompileResourceSource(kFieldsDialogSource, ".", &bytes, &error)) << error;
  ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
  struct Case {
    const char* what;
    std::vector<Answer> answers;  // one per appearance
    DialogItemIndex expected;
    bool flashed;
  } cases[] = {
      {"Return", {Answer::Return()}, 1, true},
      {"Enter", {Answer::Enter()}, 1, true},
      {"Command-period: item 2, not a button here, so no flash",
       {Answer::CommandPeriod()},
       2,
       false},
      {"Escape does nothing", {Answer::Escape(), Answer::Click(1)}, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DialogRef dialog = GetNewDialog(9095, nullptr, reinterpret_cast<WindowRef>(-1));
    ASSERT_NE(dialog, nullptr);
    ShowWindow(GetDialogWindow(dialog));
    for (const Answer& a : c.answers) Respond(a);
    const UInt32 start = TickCount();
    EXPECT_EQ(RunFilterLoop(), c.expected);
    // A flashed button stays lit for 7 ticks.
    if (c.flashed) {
      EXPECT_GE(TickCount() - start, 7u);
    }
    ControlRef ok = nullptr;
    GetDialogItemAsControl(dialog, 1, &ok);
    EXPECT_EQ(GetControlHilite(ok), 0);
    DisposeDialog(dialog);
  }
}

TEST_F(SayDialogModal, ClassicFilterCommandASelectsTheWholeFocusedField) {
  std::vector<UInt8> bytes;
  std::string error;
  ASSERT_TRUE(sp_testing::CompileResourceSource(kFieldsDialogSource, ".", &bytes, &error)) << error;
  ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
  DialogRef dialog = GetNewDialog(9095, nullptr, reinterpret_cast<WindowRef>(-1));
  ASSERT_NE(dialog, nullptr);
  ShowWindow(GetDialogWindow(dialog));
  // The first field (item 2) has the focus with the insertion point at its end.
  ASSERT_EQ(GetDialogKeyboardFocusItem(dialog), 2);
  SInt16 focus = 0;
  sp_testing::TextSelection selection = {0, 0};
  Respond(Answer().PressKey('a', 0, cmdKey));
  Respond(Answer()
              .Do(
                  [&](WindowRef) {
                    focus = GetDialogKeyboardFocusItem(dialog);
                    selection = sp_testing::DialogSelection(dialog);
                  },
                  "read the focus")
              .ClickItem(1));
  EXPECT_EQ(RunFilterLoop(), 1);
  // The focused field itself, not the one after it.
  EXPECT_EQ(focus, 2);
  EXPECT_EQ(selection.start, 0);
  EXPECT_EQ(selection.end, 11);
  DisposeDialog(dialog);
}

}  // namespace
}  // namespace say_dialog_test
