// The say dialogs, sheets and the standard alert: answers by click and by key, the resource of
// each kind, the buttons widened to their titles, centring, the message's cut, the classic
// filter, the failures, pictures for a person to look at, and errors shown through them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "Clock.h"
#include "Folders.h"
#include "MacMemory.h"
#include "SayDialogTestSupport.h"
#include "TestFiles.h"
#include "TestFonts.h"

namespace say_dialog_test {
namespace {

Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  return Rect{top, left, bottom, right};
}

// One way of asking, as the callers ask; its answer (0 for the one-button dialog).
using Ask = std::function<short(WindowRef parent)>;
const tStdSayDlgType kCaution = kSpStdSayDlgCaution;

// The alert with the given button texts (nullptr: none); the caller's buffers must come back
// holding their zero-terminated texts.
Ask Alert(const char* def, const char* can, const char* oth) {
  return [=](WindowRef) {
    Text message("The disc cannot be read."), d(def ? def : "");
    const short answer = Sp_SayAlertByModal(kCaution, message.get(), nullptr,
                                            def ? d.get() : nullptr, can ? T(can) : nullptr,
                                            oth ? T(oth) : nullptr);
    EXPECT_EQ(message.str(), "The disc cannot be read.");
    EXPECT_EQ(d.str(), def ? def : "");
    return answer;
  };
}

TEST_F(SayDialogFixture, EachDialogAnswersItsButtonByClickAndByKeyAndCloses) {
  using V = std::vector<std::string>;
  const std::string kDel = MJ("削除"), kCan = MJ("キャンセル");
  const ShownKind kModal = ShownKind::kModalDialog, kSheet = ShownKind::kSheet,
                  kAlert = ShownKind::kAlert;
  const std::string kBoth = MJ("上書きしますか？") + "\r" + MJ("同じ名前のファイルがあります。");
  // clang-format off
  const Ask OneButton = [](WindowRef) { Sp_SayDialogByModal(T(MJ("保存できませんでした。")), 0); return short(0); };
  const Ask TwoButtons = [&](WindowRef) { return SpStdSayDlgTwoButton(T(kDel), T(kCan), T(MJ("削除しますか？")), kCaution, 0, 0, 0); };
  const Ask ThreeButtons = [](WindowRef) { return SpStdSayDlgThreeButton(T("Save"), T("Cancel"), T("Don't Save"), T("First text"), T("Second text"), kSpStdSayDlgNote, 0, 0, 0); };
  const Ask OneButtonSheet = [](WindowRef w) { Sp_SayDialogByModalBySheetAlert(w, kSpStdSayDlgNote, T(MJ("書き出しが終わりました。")), T("e"), T(MJ("閉じる"))); return short(0); };
  const Ask TwoButtonSheet = [](WindowRef w) { return SpStdSayDlgTwoButtonBySheetAlert(w, kCaution, T("Replace?"), T("e"), T("Replace"), T("Cancel")); };
  const Ask TwoButtonSheetWithoutCancel = [](WindowRef w) { return SpStdSayDlgTwoButtonBySheetAlert(w, kSpStdSayDlgStop, T("m"), T("e"), T("OK"), nullptr); };
  const Ask ThreeButtonSheet = [](WindowRef w) { return SpStdSayDlgThreeButtonBySheetAlert(w, kCaution, T("Save changes?"), T("e"), T("Save"), T("Cancel"), T("Discard")); };
  // Without a window the question is asked in the two-button dialog, message and explanation.
  const Ask SheetWithoutParent = [](WindowRef) { return SpStdSayDlgTwoButtonBySheetAlert(nullptr, kCaution, T(MJ("上書きしますか？")), T(MJ("同じ名前のファイルがあります。")), T("OK"), T("Cancel")); };
  const Ask CFStringSheetWithoutParent = [](WindowRef) { return SpStdSayDlgTwoButtonBySheetAlertWithCFString(nullptr, kCaution, CFSTR("上書きしますか？"), CFSTR("同じ名前のファイルがあります。"), CFSTR("OK"), CFSTR("Cancel")); };
  // clang-format on
  const Ask CFStringSheet = [](WindowRef parent) {
    CFStringRef message = CFStringCreateWithCString(nullptr, "Stop?", kCFStringEncodingMacJapanese);
    const short answer = SpStdSayDlgTwoButtonBySheetAlertWithCFString(
        parent, kCaution, message, CFSTR("e"), CFSTR("Stop"), CFSTR("Continue"));
    EXPECT_EQ(CFGetRetainCount(message), 1) << "the strings stay the caller's";
    CFRelease(message);
    return answer;
  };
  struct Case {
    const char* why;
    Ask ask;
    Answer answer;
    short expected;
    ShownKind kind;
    std::string message;
    V buttons;
  } cases[] = {
      // clang-format off
      // The one-button dialog closes on every key in the Carbon mode.
      {"one: OK", OneButton, Answer::Click(1), 0, kModal, MJ("保存できませんでした。"), {"OK"}},
      {"one: Escape", OneButton, Answer::Escape(), 0, kModal, "", {}},
      {"one: Command-period", OneButton, Answer::CommandPeriod(), 0, kModal, "", {}},
      {"two: first", TwoButtons, Answer::Click(1), 1, kModal, MJ("削除しますか？"), {kDel, kCan}},
      {"two: second", TwoButtons, Answer::Click(2), 2, kModal, "", {}},
      {"two: Enter", TwoButtons, Answer::Enter(), 1, kModal, "", {}},
      {"two: Escape", TwoButtons, Answer::Escape(), 2, kModal, "", {}},
      {"two: Command-period", TwoButtons, Answer::CommandPeriod(), 2, kModal, "", {}},
      {"three: third", ThreeButtons, Answer::Click(3), 3, kModal, "First text", {"Save", "Cancel", "Don't Save"}},
      {"one sheet", OneButtonSheet, Answer::Return(), 0, kSheet, MJ("書き出しが終わりました。"), {MJ("閉じる")}},
      {"two sheet: Return", TwoButtonSheet, Answer::Return(), 1, kSheet, "Replace?", {"Replace", "Cancel"}},
      {"two sheet: Escape", TwoButtonSheet, Answer::Escape(), 2, kSheet, "", {}},
      {"two sheet: Command-period", TwoButtonSheet, Answer::CommandPeriod(), 2, kSheet, "", {}},
      {"two sheet without cancel", TwoButtonSheetWithoutCancel, Answer::Return(), 1, kSheet, "m", {"OK"}},
      {"three sheet: other", ThreeButtonSheet, Answer::Click(3), 3, kSheet, "", {"Save", "Cancel", "Discard"}},
      {"CFString sheet", CFStringSheet, Answer::Click(2), 2, kSheet, "Stop?", {"Stop", "Continue"}},
      {"sheet without parent", SheetWithoutParent, Answer::Click(2), 2, kModal, kBoth, {"OK", "Cancel"}},
      {"CFString sheet without parent", CFStringSheetWithoutParent, Answer::Return(), 1, kModal, kBoth, {}},
      {"alert without texts: OK", Alert(nullptr, nullptr, nullptr), Answer::Return(), 1, kAlert, "The disc cannot be read.", {"OK"}},
      {"alert: empty texts are none", Alert("", "", ""), Answer::Enter(), 1, kAlert, "", {"OK"}},
      {"alert: other", Alert("Save", "Cancel", "Discard"), Answer::Click(3), 3, kAlert, "", {"Save", "Cancel", "Discard"}},
      // clang-format on
  };
  WindowRef parent = NewParent();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::size_t before = ShownSoFar().size();
    Respond(c.answer);
    EXPECT_EQ(c.ask(parent), c.expected);
    // A dialog still waiting after the answer would come up again without an answer and fail
    // the test; one appearance means the answer closed it.
    ASSERT_EQ(ShownSoFar().size(), before + 1);
    const sp_testing::Shown& last = Last();
    EXPECT_EQ(last.kind, c.kind);
    EXPECT_EQ(c.message.empty() ? "" : last.message, c.message);
    if (c.buttons.empty()) continue;
    EXPECT_EQ(last.buttons, c.buttons);
    EXPECT_EQ(last.defaultItem, 1);
    EXPECT_TRUE(c.kind != kSheet || last.cancelItem == (c.buttons.size() > 1 ? 2 : 0));
  }
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_TRUE(IsValidWindowPtr(parent));
  // A two-button dialog without a message shows an empty text.
  Respond(Answer::Click(2));
  EXPECT_EQ(SpStdSayDlgTwoButton(T("Yes"), T("No"), nullptr, kSpStdSayDlgStop, 0, 0, 0), 2);
  EXPECT_EQ(Last().message, "");
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(SayDialogFixture, EachKindTakesItsOwnDialogResource) {
  struct Case {
    tStdSayDlgType type;
    SInt16 twoButton, threeButton;
  } cases[] = {{kSpStdSayDlgStop, 6132, 6140}, {kSpStdSayDlgNote, 6133, 6141},
               {kCaution, 6131, 6142}, {tStdSayDlgType(7), 6131, 6142}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    // Only the dialogs of this kind exist: a wrong choice finds no resource and answers 0.
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    std::vector<std::pair<ResType, SInt16>> keys;
    std::vector<std::vector<UInt8>> bytes;
    for (SInt16 id : {c.twoButton, c.threeButton}) {
      for (ResType type : {SpFourCC("DLOG"), SpFourCC("DITL")}) {
        Handle h = GetResource(type, id);
        ASSERT_NE(h, nullptr);
        keys.emplace_back(type, id);
        const UInt8* start = reinterpret_cast<UInt8*>(*h);
        bytes.emplace_back(start, start + GetHandleSize(h));
      }
    }
    sp_testing::ResetResources();
    for (std::size_t i = 0; i < keys.size(); ++i) {
      sp_testing::AddAppResource(keys[i].first, keys[i].second, bytes[i]);
    }
    Respond(Answer::Click(2));
    Respond(Answer::Click(3));
    EXPECT_EQ(SpStdSayDlgTwoButton(T("A"), T("B"), nullptr, c.type, 0, 0, 0), 2);
    EXPECT_EQ(SpStdSayDlgThreeButton(T("A"), T("B"), T("C"), nullptr, nullptr, c.type, 0, 0, 0), 3);
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

// With the fixed-metric font a one-byte character is 6 pixels wide and a two-byte one 12, so a
// title of n kanji needs 12 n + 28 pixels. Dialog 6131 has its buttons at (95, 230, 115, 300)
// and (95, 310, 115, 380); dialog 6142 at (115, 250, 135, 330), (115, 340, 135, 420) and
// (115, 20, 135, 100).
TEST_F(SayDialogFixture, ButtonsWidenToTheirTitlesAndPushTheirNeighbours) {
  sp_testing::FixedMetricFontScope font;
  const std::string k10 = MJ("一二三四五六七八九十");  // 148 pixels needed
  const std::string k8 = MJ("一二三四五六七八");       // 124 pixels needed
  struct Case {
    const char* why;
    std::string first, second, third;  // third empty: the two-button dialog
    std::vector<Rect> boxes;
  } cases[] = {
      // clang-format off
      {"both fit", "OK", "No", "", {R(95, 230, 115, 300), R(95, 310, 115, 380)}},
      {"exactly fitting titles stay", "1234567", "abcdefg", "", {R(95, 230, 115, 300), R(95, 310, 115, 380)}},
      {"one pixel more than fits grows", "12345678", "No", "", {R(95, 224, 115, 300), R(95, 310, 115, 380)}},
      {"second wider: grows left, first moves left", "OK", k10, "", {R(95, 152, 115, 222), R(95, 232, 115, 380)}},
      {"first wider: grows left from its right edge", k8, "No", "", {R(95, 176, 115, 300), R(95, 310, 115, 380)}},
      {"both wider", k8, k10, "", {R(95, 98, 115, 222), R(95, 232, 115, 380)}},
      {"three: second pushes the first, third grows right", "OK", k10, k8, {R(115, 182, 135, 262), R(115, 272, 135, 420), R(115, 20, 135, 144)}},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Layout layout;
    const int n = int(c.boxes.size());
    Respond(ReadThenClick(&layout, n, 1));
    ASSERT_EQ(n == 2 ? SpStdSayDlgTwoButton(T(c.first), T(c.second), nullptr, kCaution, 0, 0, 0)
                     : SpStdSayDlgThreeButton(T(c.first), T(c.second), T(c.third), nullptr,
                                              nullptr, kCaution, 0, 0, 0),
              1);
    ASSERT_EQ(layout.buttons.size(), c.boxes.size());
    for (int i = 0; i < n; ++i) {
      // The controls stand where the item list says.
      EXPECT_EQ(Show(layout.buttons[i]), Show(c.boxes[i])) << i;
      EXPECT_EQ(Show(layout.controls[i]), Show(c.boxes[i])) << i;
    }
  }
}

TEST_F(SayDialogFixture, CentredOnAPointOnlyWhenTheDialogStaysWhollyOnTheScreen) {
  Layout placed;
  Respond(ReadThenClick(&placed, 2, 1));
  ASSERT_EQ(SpStdSayDlgTwoButton(T("Yes"), T("No"), nullptr, kCaution, 0, 0, 0), 1);
  ASSERT_EQ(placed.content.right - placed.content.left, 400);
  ASSERT_EQ(placed.content.bottom - placed.content.top, 130);
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  struct Case {
    const char* why;
    short h, v;
    bool moves;
  } cases[] = {
      {"middle of the screen", 512, 400, true},
      {"near the left edge: would stick out", 150, 400, false},
      {"left edge on the screen's: not strictly inside", short(screen.left + 200), 400, false},
      {"one pixel right: inside", short(screen.left + 201), 400, true},
      {"near the bottom: would stick out", 512, 740, false},
      {"top on the menu bar's edge: not strictly inside", 512, short(screen.top + 65), false},
      {"one pixel lower: inside", 512, short(screen.top + 66), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Layout layout;
    Respond(ReadThenClick(&layout, 2, 2));
    ASSERT_EQ(SpStdSayDlgTwoButton(T("Yes"), T("No"), nullptr, kCaution, 1, c.h, c.v), 2);
    const SInt16 left = SInt16(c.h - 200), top = SInt16(c.v - 65);
    const Rect centred = {top, left, SInt16(top + 130), SInt16(left + 400)};
    EXPECT_EQ(Show(layout.content), Show(c.moves ? centred : placed.content));
  }
}

TEST_F(SayDialogFixture, MessageOver255BytesIsCutBetweenCharacters) {
  struct Case {
    const char* why;
    std::string message, shown;
  } cases[] = {
      // clang-format off
      {"255 bytes stay whole", std::string(255, 'a'), std::string(255, 'a')},
      {"256 one-byte characters: the first 255", std::string(256, 'a'), std::string(255, 'a')},
      {"a two-byte character across byte 255 is left out", std::string(254, 'a') + MJ("漢") + "bbb", std::string(254, 'a')},
      {"a two-byte character ending at byte 255 stays", std::string(253, 'a') + MJ("漢") + "bbb", std::string(253, 'a') + MJ("漢")},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Respond(Answer::Return());
    Text message(c.message);
    Sp_SayDialogByModal(message.get(), 0);
    EXPECT_EQ(Last().message, c.shown);
    EXPECT_EQ(message.str(), c.message) << "the caller's text is left as it was";
  }
}

const char kNoMessageItem[] = R"(
resource 'DLOG' 6130 { bounds 80, 80, 210, 480; items 6130 }
resource 'DITL' 6130 {
  button 95, 310, 115, 380 { text "OK" }
  userItem 13, 20, 45, 52
}
)";

TEST_F(SayDialogFixture, FailuresAnswerZeroShowNothingAndAreLogged) {
  WindowRef parent = NewParent();
  const tStdSayDlgType kStop = kSpStdSayDlgStop;
  struct Case {
    const char* why;
    std::function<short()> call;
    const char* function;  // that logged the failure; nullptr: nothing logged, no beep
    int step;
  } cases[] = {
      // clang-format off
      {"no message", [] { Sp_SayDialogByModal(nullptr, 0); return short(0); }, "Sp_SayDialogByModal", 1},
      {"empty message", [] { Sp_SayDialogByModal(T(""), 0); return short(0); }, "Sp_SayDialogByModal", 1},
      {"two buttons without the second title", [&] { return SpStdSayDlgTwoButton(T("A"), nullptr, nullptr, kStop, 0, 0, 0); }, "SpStdSayDlgTwoButton", 1},
      {"three buttons without the third title", [&] { return SpStdSayDlgThreeButton(T("A"), T("B"), nullptr, nullptr, nullptr, kStop, 0, 0, 0); }, "SpStdSayDlgThreeButton", 1},
      {"a sheet the toolbox refuses (no message) is not the caller's fault", [&] { return SpStdSayDlgTwoButtonBySheetAlertWithCFString(parent, kStop, nullptr, CFSTR("e"), CFSTR("OK"), nullptr); }, nullptr, 0},
      {"three-button sheet without explanation", [&] { return SpStdSayDlgThreeButtonBySheetAlert(parent, kStop, T("m"), nullptr, T("A"), nullptr, nullptr); }, "SpStdSayDlgThreeButtonBySheetAlert", 1},
      {"one-button sheet without parent", [&] { Sp_SayDialogByModalBySheetAlert(nullptr, kStop, T("m"), T("m"), T("A")); return short(0); }, "Sp_SayDialogByModalBySheetAlert", 1},
      {"alert without message", [] { return Sp_SayAlertByModal(kCaution, nullptr, nullptr, nullptr, nullptr, nullptr); }, "Sp_SayDialogByModal", 1},
      {"alert with an empty message", [] { return Sp_SayAlertByModal(kCaution, T(""), nullptr, nullptr, nullptr, nullptr); }, "Sp_SayDialogByModal", 1},
      {"no one-button resource", [] { sp_testing::ResetResources(); Sp_SayDialogByModal(T("m"), 0); return short(0); }, "Sp_SayDialogByModal", 2},
      {"no two-button resource", [&] { return SpStdSayDlgTwoButton(T("A"), T("B"), T("m"), kStop, 0, 0, 0); }, "SpStdSayDlgTwoButton", 1},
      {"no three-button resource", [&] { return SpStdSayDlgThreeButton(T("A"), T("B"), T("C"), nullptr, nullptr, kStop, 0, 0, 0); }, "SpStdSayDlgThreeButton", 2},
      // A one-button dialog without its message item is disposed of.
      {"one-button dialog without its message item", [] { framework_test::UseResourceSource(kNoMessageItem); Sp_SayDialogByModal(T("m"), 0); return short(0); }, "Sp_SayDialogByModal", 3},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    errors_.Clear();
    EXPECT_EQ(c.call(), 0);
    EXPECT_TRUE(ShownSoFar().empty());
    if (c.function == nullptr) {
      EXPECT_EQ(errors_.Count(), 0u);
    } else {
      EXPECT_TRUE(errors_.Has(c.function, c.step));
    }
    EXPECT_EQ(errors_.Beeps(), c.function == nullptr ? 0u : 1u);
  }
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
}

// ---- The classic loop and filter ------------------------------------------------------------

// A dialog of one button and two edit-text fields, for the filter's keys. The fields are
// disabled so that typing into them hits no item.
const char kFieldsDialogSource[] = R"(
resource 'DLOG' 9095 { bounds 80, 80, 200, 400; procID movableDBoxProc; items 9095 }
resource 'DITL' 9095 {
  button 80, 230, 100, 300 { text "OK" }
  editText 13, 20, 29, 300 { text "first field"; disabled }
  editText 40, 20, 56, 300 { text "second"; disabled }
}
)";

TEST_F(SayDialogFixture, ClassicFilterPressesItemsOneAndTwoSelectsAllAndLeavesEscapeAlone) {
  ASSERT_NO_FATAL_FAILURE(framework_test::UseResourceSource(kFieldsDialogSource));
  SInt16 focus = 0;
  sp_testing::TextSelection selection = {0, 0};
  DialogRef dialog = nullptr;
  const auto read = [&](WindowRef) {
    focus = GetDialogKeyboardFocusItem(dialog);
    selection = sp_testing::DialogSelection(dialog);
  };
  struct Case {
    const char* why;
    std::vector<Answer> answers;  // one per appearance
    DialogItemIndex expected;
    bool flashed;
  } cases[] = {
      // clang-format off
      {"Return", {Answer::Return()}, 1, true},
      {"Enter", {Answer::Enter()}, 1, true},
      {"Command-period: item 2, not a button here, so no flash", {Answer::CommandPeriod()}, 2, false},
      {"Escape does nothing", {Answer::Escape(), Answer::Click(1)}, 1, false},
      {"Command-A selects the focused field", {Answer().PressKey('a', 0, cmdKey), Answer().Do(read, "read").ClickItem(1)}, 1, false},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    dialog = GetNewDialog(9095, nullptr, reinterpret_cast<WindowRef>(-1));
    ASSERT_NE(dialog, nullptr);
    ShowWindow(GetDialogWindow(dialog));
    ASSERT_EQ(GetDialogKeyboardFocusItem(dialog), 2);
    for (const Answer& a : c.answers) Respond(a);
    const UInt32 start = TickCount();
    DialogItemIndex item = 0;
    do {
      item = 0;
      ModalDialog(SpStdSayDlgNormalFilter, &item);
    } while (item != 1 && item != 2);
    EXPECT_EQ(item, c.expected);
    EXPECT_GE(TickCount() - start, c.flashed ? 7u : 0u) << "a flashed button stays lit 7 ticks";
    EXPECT_EQ(GetControlHilite(framework_test::ItemControl(dialog, 1)), 0);
    DisposeDialog(dialog);
  }
  // The focused field itself, not the one after it, wholly.
  EXPECT_EQ(std::to_string(focus) + ":" + std::to_string(selection.start) + "-" +
                std::to_string(selection.end),
            "2:0-11");

  // The one-button dialog's classic loop runs this filter: it stays up for Escape and
  // Command-period.
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  Respond(Answer::Escape());
  Respond(Answer::CommandPeriod());
  Respond(Answer::Return());
  const std::size_t before = ShownSoFar().size();
  Sp_SayDialogByModal(T("Classic"), 1);
  ASSERT_EQ(ShownSoFar().size(), before + 3);
  EXPECT_TRUE(ShownSoFar().back().again);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
}

// ---- Pictures ------------------------------------------------------------------------------

// A picture of each say dialog with Japanese texts, written into the test output folder for a
// person to look at (layout is where regressions hide). The test also checks chosen pixels:
// the icon drawn, each button drawn across its middle, and a corner left as background.
struct Snapshot {
  std::string path;
  bool written = false;
  int iconInk = 0;             // pixels of the icon item that are not the background
  std::vector<int> buttonInk;  // per button: inked pixels along its middle row
  bool cornerIsBackground = false;
};

// The pixels of a box (local) that differ from the background.
int Ink(CGrafPtr port, const Rect& box, UInt32 bg) {
  int ink = 0;
  for (SInt16 v = box.top; v < box.bottom; ++v) {
    for (SInt16 h = box.left; h < box.right; ++h) ink += sp_testing::ReadPixel(port, h, v) != bg;
  }
  return ink;
}

// An answer that draws the dialog into a PNG file, reads the chosen pixels, then clicks.
Answer SnapshotThenClick(Snapshot* out, const std::string& name, DialogItemIndex iconItem,
                         int buttons, DialogItemIndex click) {
  const auto snapshot = [=](WindowRef window) {
    DialogRef dialog = GetDialogFromWindow(window);
    CGrafPtr port = GetDialogPort(dialog);
    out->path = ::testing::TempDir() + name;
    out->written = sp_testing::SnapshotDialog(dialog, out->path);
    std::printf("Say dialog snapshot: %s\n", out->path.c_str());
    const UInt32 background = sp_testing::ReadPixel(port, 1, 1);
    out->iconInk = Ink(port, framework_test::ItemBox(dialog, iconItem), background);
    for (DialogItemIndex item = 1; item <= buttons; ++item) {
      Rect row = framework_test::ItemBox(dialog, item);
      row.top = SInt16((row.top + row.bottom) / 2);
      row.bottom = SInt16(row.top + 1);
      out->buttonInk.push_back(Ink(port, row, background));
    }
    Rect content = {0, 0, 0, 0};
    GetWindowBounds(window, kWindowContentRgn, &content);
    out->cornerIsBackground =
        sp_testing::ReadPixel(port, SInt16(content.right - content.left - 2),
                              SInt16(content.bottom - content.top - 2)) == background;
  };
  return Answer().Do(snapshot, "snapshot").ClickItem(click);
}

TEST_F(SayDialogFixture, EverySayDialogWithJapaneseTextForAPersonToLookAt) {
  WindowRef parent = NewParent();
  const std::string kReplace = MJ("置き換える"), kCancel = MJ("キャンセル"), kSave = MJ("保存"),
                    kDontSave = MJ("保存しない"), kFirst = MJ("変更を保存しますか？"),
                    kSecond = MJ("保存しないと、変更内容は失われます。"),
                    kQuestion = MJ("同じ名前の項目がすでにあります。置き換えますか？"),
                    kError = MJ("[Error No = -34] : ディスクがいっぱいです。");
  struct Case {
    const char* file;
    DialogItemIndex iconItem;
    int buttons;
    std::function<void()> ask;
  } cases[] = {
      // clang-format off
      {"say-dialog-6130-one-button.png", 2, 1, [] { Sp_SayDialogByModal(T(MJ("ファイル「夏の終わり.aiff」を保存できませんでした。ディスクの空き容量を確かめてから、もう一度お試しください。")), 0); }},
      {"say-dialog-6132-two-buttons.png", 3, 2, [&] { SpStdSayDlgTwoButton(T(kReplace), T(kCancel), T(kQuestion), kSpStdSayDlgStop, 0, 0, 0); }},
      {"say-dialog-6141-three-buttons.png", 4, 3, [&] { SpStdSayDlgThreeButton(T(kSave), T(kCancel), T(kDontSave), T(kFirst), T(kSecond), kSpStdSayDlgNote, 0, 0, 0); }},
      {"say-alert-caution.png", 7, 1, [] { Sp_SayAlertByModal(kCaution, T(MJ("CD を読み込めません。")), T(MJ("ディスクの汚れを拭き取ってから、もう一度入れてください。")), nullptr, nullptr, nullptr); }},
      {"say-sheet-one-button.png", 7, 1, [&] { Sp_SayDialogByModalBySheetAlert(parent, kSpStdSayDlgNote, T(MJ("報　告")), T(kError), T(MJ("閉じる"))); }},
      {"say-sheet-two-buttons.png", 7, 2, [&] { SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgStop, T(kQuestion), T(kError), T(kReplace), T(kCancel)); }},
      {"say-sheet-three-buttons.png", 7, 3, [&] { SpStdSayDlgThreeButtonBySheetAlert(parent, kCaution, T(kFirst), T(kSecond), T(kSave), T(kCancel), T(kDontSave)); }},
      // clang-format on
  };
  for (const Case& c : cases) {
    Snapshot shot;
    Respond(SnapshotThenClick(&shot, c.file, c.iconItem, c.buttons, DialogItemIndex(c.buttons)));
    c.ask();
    SCOPED_TRACE(shot.path);
    EXPECT_TRUE(shot.written);
    // The stop, note and caution icons are the framework's own resources.
    EXPECT_GT(shot.iconInk, 100);
    ASSERT_EQ(shot.buttonInk.size(), std::size_t(c.buttons));
    for (int ink : shot.buttonInk) EXPECT_GT(ink, 4) << "frame and title drawn";
    EXPECT_TRUE(shot.cornerIsBackground) << "nothing drawn past the layout";
  }
}

// ---- Errors shown through the say dialogs ---------------------------------------------------

// The error-number messages as a dialog and as a sheet, and the error log's own failure, shown
// once even when its dialog fails too.
const char kErrorFileName[] = "FileErrorNoData.txt";

class SayDialogErrorDisplay : public SayDialogFixture {
 protected:
  void SetUp() override {
    SayDialogFixture::SetUp();
    ASSERT_FALSE(home_.Home().empty());
    SpERORSYS_GetFailureDisplayProcs(&savedSayErrorNo_, &savedSayDialog_);
    SpSayErrorNo_GetDisplayProcs(&savedModal_, &savedSheet_);
    SpStdSayDlg_InstallErrorDisplayProcs();
  }
  void TearDown() override {
    SpERORSYS_SetFailureDisplayProcs(savedSayErrorNo_, savedSayDialog_);
    SpSayErrorNo_SetDisplayProcs(savedModal_, savedSheet_);
    SayDialogFixture::TearDown();
  }

  // The error-text file in the Preferences folder, registered under reference 0.
  void WriteErrorFile(const std::string& macJapaneseLines) {
    std::ofstream(home_.Path(std::string(".config/") + kErrorFileName), std::ios::binary)
        << macJapaneseLines;
  }
  void Register(cSayErrorNoMgr& manager) {
    short vRefNum = 0;
    SInt32 dirID = 0;
    ASSERT_EQ(
        FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID),
        noErr);
    manager.SetupNewErrorFile(0, vRefNum, dirID, kErrorFileName, 520, 2);
  }

  sp_testing::HomeScope home_;
  SpERORSYS_SayErrorNoProc savedSayErrorNo_ = nullptr;
  SpERORSYS_SayDialogProc savedSayDialog_ = nullptr;
  SpERORSYS_SayDialogProc savedModal_ = nullptr;
  SpSayErrorNo_SheetProc savedSheet_ = nullptr;
};

TEST_F(SayDialogErrorDisplay, ErrorNumberIsShownInTheDialogAndAsASheet) {
  const std::string kDiskFull = MJ("ディスクがいっぱいです。");
  const std::string kPrefix = "[Error No = -34] : ";
  struct Case {
    const char* why;
    bool withLine;
    int where;  // 0: the dialog, 1: a sheet, 2: a sheet without its window (the dialog)
    std::string text;
  } cases[] = {
      {"no line for the number: the prefix alone, in the dialog", false, 0, kPrefix},
      {"no line for the number: the prefix alone, in the sheet", false, 1, kPrefix},
      {"a line for the number: its text alone, in the dialog", true, 0, kDiskFull},
      {"a line for the number: its text alone, in the sheet", true, 1, kDiskFull},
      {"a sheet without its window is the dialog", false, 2, kPrefix},
  };
  WindowRef parent = NewParent();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteErrorFile(c.withLine ? "-35\tother\r-34\t" + kDiskFull + "\tnote\r" : "-35\tother\r");
    cSayErrorNoMgr manager;
    Register(manager);
    Respond(Answer::Click(1));
    EXPECT_EQ(c.where == 0 ? manager.SayErrorOccured(0, -34, nullptr)
                           : manager.SayErrorOccuredBySheetWindow(
                                 0, -34, c.where == 1 ? parent : nullptr, kCaution, nullptr),
              1);
    // The sheet shows "報　告" above the text, and the one button "閉じる".
    const sp_testing::Shown& last = Last();
    EXPECT_EQ(last.message + "|" + last.explanation + "|" + last.buttons.at(0),
              c.where == 1 ? MJ("報　告") + "|" + c.text + "|" + MJ("閉じる") : c.text + "||OK");
    EXPECT_EQ(last.kind, c.where == 1 ? ShownKind::kSheet : ShownKind::kModalDialog);
    EXPECT_TRUE(c.where != 1 || last.alertType == kCaution);
  }
}

TEST_F(SayDialogErrorDisplay, SheetTitleIsCutTo510BytesBetweenCharacters) {
  WindowRef parent = NewParent();
  cSayErrorNoMgr manager;
  Register(manager);
  struct Case {
    const char* why;
    std::string title, shown;
  } cases[] = {
      // clang-format off
      {"510 bytes stay", std::string(510, 'x'), std::string(510, 'x')},
      {"511 bytes: the first 510", std::string(511, 'x'), std::string(510, 'x')},
      {"a two-byte character across byte 510 is left out whole", std::string(509, 'T') + MJ("題") + std::string(89, 'U'), std::string(509, 'T')},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Respond(Answer::Return());
    EXPECT_EQ(manager.SayErrorOccuredBySheetWindow(0, 5, parent, kSpStdSayDlgStop, c.title.c_str()),
              1);
    EXPECT_EQ(Last().message, c.shown);
    EXPECT_EQ(Last().explanation, "[Error No = 5] : ");
  }
}

// ---- The error log's own failure ------------------------------------------------------------

// The text the log shows when it cannot write a report, in MacJapanese.
std::string FallbackText(int error, int step) {
  return MJ("Error Message System中でもFile Errorが発生しました。（Error = ") +
         std::to_string(error) + "  Error Position = " + std::to_string(step) + MJ("） ");
}

class SayDialogErrorLogFailure : public SayDialogErrorDisplay {
 protected:
  void SetUp() override {
    SayDialogErrorDisplay::SetUp();
    // The log writes its file (the capture would take the records instead); a folder where
    // the file should be makes every report fail at its creation (step 9).
    SpERORSYS_SetRecordSink(nullptr, 0);
    ASSERT_EQ(mkdir(home_.Path(".config/Zanthe Folder").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(home_.Path(".config/Zanthe Folder/Error Report").c_str(), 0700), 0);
  }
};

// Shown once in the say dialog. When the fallback dialog cannot be made it reports through the
// log, which is failing: that report is dropped (a beep) instead of failing and showing again
// without end; once that report is over, the next one is shown again.
TEST_F(SayDialogErrorLogFailure, UnwritableLogIsShownOnceAndAFailingFallbackDoesNotLoop) {
  Respond(Answer::Click(1));
  EXPECT_EQ(SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 1, "x"), dupFNErr);
  ASSERT_EQ(ShownSoFar().size(), 1u);
  EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
  EXPECT_EQ(Last().message, FallbackText(dupFNErr, 9));

  sp_testing::ResetResources();
  const UInt32 beeps = sp_testing::BeepCount();
  SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 1, "x");
  EXPECT_EQ(ShownSoFar().size(), 1u);
  EXPECT_EQ(sp_testing::BeepCount() - beeps, 1u);

  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  Respond(Answer::Return());
  SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 2, "y");
  ASSERT_EQ(ShownSoFar().size(), 2u);
  EXPECT_EQ(Last().message, FallbackText(dupFNErr, 9));
}

}  // namespace
}  // namespace say_dialog_test
