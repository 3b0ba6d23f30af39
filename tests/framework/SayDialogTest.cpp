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
bool Same(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

// One way of asking, as the callers ask; its answer (0 for the one-button dialog).
using Ask = std::function<short(WindowRef parent)>;

short OneButton(WindowRef) {
  Text message(MJ("保存できませんでした。"));
  Sp_SayDialogByModal(message.get(), 0);
  return 0;
}
short TwoButtons(WindowRef) {
  Text first(MJ("削除")), second(MJ("キャンセル")), message(MJ("削除しますか？"));
  return SpStdSayDlgTwoButton(first.get(), second.get(), message.get(), kSpStdSayDlgCaution, 0, 0,
                              0);
}
short ThreeButtons(WindowRef) {
  Text a("Save"), b("Cancel"), o("Don't Save"), t1("First text"), t2("Second text");
  return SpStdSayDlgThreeButton(a.get(), b.get(), o.get(), t1.get(), t2.get(), kSpStdSayDlgNote, 0,
                                0, 0);
}
short OneButtonSheet(WindowRef parent) {
  Text message(MJ("書き出しが終わりました。")), explanation("e"), button(MJ("閉じる"));
  Sp_SayDialogByModalBySheetAlert(parent, kSpStdSayDlgNote, message.get(), explanation.get(),
                                  button.get());
  return 0;
}
short TwoButtonSheet(WindowRef parent) {
  Text message("Replace?"), explanation("e"), ok("Replace"), cancel("Cancel");
  return SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, message.get(),
                                          explanation.get(), ok.get(), cancel.get());
}
short TwoButtonSheetWithoutCancel(WindowRef parent) {
  Text message("m"), explanation("e"), ok("OK");
  return SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgStop, message.get(),
                                          explanation.get(), ok.get(), nullptr);
}
short ThreeButtonSheet(WindowRef parent) {
  Text message("Save changes?"), explanation("e"), ok("Save"), cancel("Cancel"), other("Discard");
  return SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgCaution, message.get(),
                                            explanation.get(), ok.get(), cancel.get(), other.get());
}
short CFStringSheet(WindowRef parent) {
  CFStringRef message = CFStringCreateWithCString(nullptr, "Stop?", kCFStringEncodingMacJapanese);
  const short answer = SpStdSayDlgTwoButtonBySheetAlertWithCFString(
      parent, kSpStdSayDlgCaution, message, CFSTR("e"), CFSTR("Stop"), CFSTR("Continue"));
  EXPECT_EQ(CFGetRetainCount(message), 1) << "the strings stay the caller's";
  CFRelease(message);
  return answer;
}
// Without a window the question is asked in the two-button dialog, message and explanation.
short SheetWithoutParent(WindowRef) {
  Text message(MJ("上書きしますか？")), explanation(MJ("同じ名前のファイルがあります。")), ok("OK"),
      cancel("Cancel");
  return SpStdSayDlgTwoButtonBySheetAlert(nullptr, kSpStdSayDlgCaution, message.get(),
                                          explanation.get(), ok.get(), cancel.get());
}
short CFStringSheetWithoutParent(WindowRef) {
  return SpStdSayDlgTwoButtonBySheetAlertWithCFString(
      nullptr, kSpStdSayDlgCaution, CFSTR("上書きしますか？"),
      CFSTR("同じ名前のファイルがあります。"), CFSTR("OK"), CFSTR("Cancel"));
}
// The alert with the given button texts (nullptr: none); the caller's buffers must come back
// holding their zero-terminated texts.
Ask Alert(const char* def, const char* can, const char* oth) {
  return [=](WindowRef) {
    Text message("The disc cannot be read."), d(def ? def : ""), c(can ? can : ""),
        o(oth ? oth : "");
    const short answer =
        Sp_SayAlertByModal(kSpStdSayDlgCaution, message.get(), nullptr, def ? d.get() : nullptr,
                           can ? c.get() : nullptr, oth ? o.get() : nullptr);
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
      {"three: third", ThreeButtons, Answer::Click(3), 3, kModal, "First text",
       {"Save", "Cancel", "Don't Save"}},
      {"one sheet", OneButtonSheet, Answer::Return(), 0, kSheet, MJ("書き出しが終わりました。"),
       {MJ("閉じる")}},
      {"two sheet: Return", TwoButtonSheet, Answer::Return(), 1, kSheet, "Replace?",
       {"Replace", "Cancel"}},
      {"two sheet: Escape", TwoButtonSheet, Answer::Escape(), 2, kSheet, "", {}},
      {"two sheet: Command-period", TwoButtonSheet, Answer::CommandPeriod(), 2, kSheet, "", {}},
      {"two sheet without cancel", TwoButtonSheetWithoutCancel, Answer::Return(), 1, kSheet, "m",
       {"OK"}},
      {"three sheet: other", ThreeButtonSheet, Answer::Click(3), 3, kSheet, "",
       {"Save", "Cancel", "Discard"}},
      {"CFString sheet", CFStringSheet, Answer::Click(2), 2, kSheet, "Stop?", {"Stop", "Continue"}},
      {"sheet without parent", SheetWithoutParent, Answer::Click(2), 2, kModal, kBoth,
       {"OK", "Cancel"}},
      {"CFString sheet without parent", CFStringSheetWithoutParent, Answer::Return(), 1, kModal,
       kBoth, {}},
      {"alert without texts: OK", Alert(nullptr, nullptr, nullptr), Answer::Return(), 1, kAlert,
       "The disc cannot be read.", {"OK"}},
      {"alert: empty texts are none", Alert("", "", ""), Answer::Enter(), 1, kAlert, "", {"OK"}},
      {"alert: other", Alert("Save", "Cancel", "Discard"), Answer::Click(3), 3, kAlert, "",
       {"Save", "Cancel", "Discard"}},
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
    EXPECT_EQ(Last().kind, c.kind);
    if (!c.message.empty()) {
      EXPECT_EQ(Last().message, c.message);
    }
    if (!c.buttons.empty()) {
      EXPECT_EQ(Last().buttons, c.buttons);
      EXPECT_EQ(Last().defaultItem, 1);
      if (c.kind == ShownKind::kSheet) {
        EXPECT_EQ(Last().cancelItem, c.buttons.size() > 1 ? 2 : 0);
      }
    }
    EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  }
  EXPECT_TRUE(IsValidWindowPtr(parent));
  // A two-button dialog without a message shows an empty text.
  Respond(Answer::Click(2));
  Text yes("Yes"), no("No");
  EXPECT_EQ(SpStdSayDlgTwoButton(yes.get(), no.get(), nullptr, kSpStdSayDlgStop, 0, 0, 0), 2);
  EXPECT_EQ(Last().message, "");
  EXPECT_EQ(errors_.Count(), 0u);
}

// The bytes of the compiled resource, to put back alone into an emptied application file.
std::vector<UInt8> ResourceBytes(ResType type, SInt16 id) {
  Handle h = GetResource(type, id);
  EXPECT_NE(h, nullptr) << id;
  if (h == nullptr) return {};
  return std::vector<UInt8>(reinterpret_cast<UInt8*>(*h),
                            reinterpret_cast<UInt8*>(*h) + GetHandleSize(h));
}

TEST_F(SayDialogFixture, EachKindTakesItsOwnDialogResource) {
  struct Case {
    tStdSayDlgType type;
    SInt16 twoButton, threeButton;
  } cases[] = {
      {kSpStdSayDlgStop, 6132, 6140},
      {kSpStdSayDlgNote, 6133, 6141},
      {kSpStdSayDlgCaution, 6131, 6142},
      {tStdSayDlgType(7), 6131, 6142},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    // Only the dialogs of this kind exist: a wrong choice finds no resource and answers 0.
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    std::vector<std::vector<UInt8>> bytes;
    for (SInt16 id : {c.twoButton, c.threeButton}) {
      bytes.push_back(ResourceBytes(SpFourCC("DLOG"), id));
      bytes.push_back(ResourceBytes(SpFourCC("DITL"), id));
    }
    sp_testing::ResetResources();
    sp_testing::AddAppResource(SpFourCC("DLOG"), c.twoButton, bytes[0]);
    sp_testing::AddAppResource(SpFourCC("DITL"), c.twoButton, bytes[1]);
    sp_testing::AddAppResource(SpFourCC("DLOG"), c.threeButton, bytes[2]);
    sp_testing::AddAppResource(SpFourCC("DITL"), c.threeButton, bytes[3]);
    Respond(Answer::Click(2));
    Respond(Answer::Click(3));
    Text a("A"), b("B"), o("C");
    EXPECT_EQ(SpStdSayDlgTwoButton(a.get(), b.get(), nullptr, c.type, 0, 0, 0), 2);
    EXPECT_EQ(SpStdSayDlgThreeButton(a.get(), b.get(), o.get(), nullptr, nullptr, c.type, 0, 0, 0),
              3);
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
      {"both fit", "OK", "No", "", {R(95, 230, 115, 300), R(95, 310, 115, 380)}},
      {"exactly fitting titles stay",
       "1234567",
       "abcdefg",
       "",
       {R(95, 230, 115, 300), R(95, 310, 115, 380)}},
      {"one pixel more than fits grows",
       "12345678",
       "No",
       "",
       {R(95, 224, 115, 300), R(95, 310, 115, 380)}},
      {"second wider: grows left, first moves left",
       "OK",
       k10,
       "",
       {R(95, 152, 115, 222), R(95, 232, 115, 380)}},
      {"first wider: grows left from its right edge",
       k8,
       "No",
       "",
       {R(95, 176, 115, 300), R(95, 310, 115, 380)}},
      {"both wider", k8, k10, "", {R(95, 98, 115, 222), R(95, 232, 115, 380)}},
      {"three: second pushes the first, third grows right",
       "OK",
       k10,
       k8,
       {R(115, 182, 135, 262), R(115, 272, 135, 420), R(115, 20, 135, 144)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Layout layout;
    const int n = int(c.boxes.size());
    Respond(ReadThenClick(&layout, n, 1));
    Text first(c.first), second(c.second), third(c.third);
    const short answer =
        n == 2
            ? SpStdSayDlgTwoButton(first.get(), second.get(), nullptr, kSpStdSayDlgCaution, 0, 0, 0)
            : SpStdSayDlgThreeButton(first.get(), second.get(), third.get(), nullptr, nullptr,
                                     kSpStdSayDlgCaution, 0, 0, 0);
    ASSERT_EQ(answer, 1);
    ASSERT_EQ(layout.buttons.size(), c.boxes.size());
    for (int i = 0; i < n; ++i) {
      EXPECT_TRUE(Same(layout.buttons[i], c.boxes[i])) << i << Show(layout.buttons[i]);
      // The controls stand where the item list says.
      EXPECT_TRUE(Same(layout.controls[i], c.boxes[i])) << i << Show(layout.controls[i]);
    }
  }
}

TEST_F(SayDialogFixture, CentredOnAPointOnlyWhenTheDialogStaysWhollyOnTheScreen) {
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

TEST_F(SayDialogFixture, MessageOver255BytesIsCutBetweenCharacters) {
  struct Case {
    const char* why;
    std::string message, shown;
  } cases[] = {
      {"255 bytes stay whole", std::string(255, 'a'), std::string(255, 'a')},
      {"256 one-byte characters: the first 255", std::string(256, 'a'), std::string(255, 'a')},
      {"a two-byte character across byte 255 is left out", std::string(254, 'a') + MJ("漢") + "bbb",
       std::string(254, 'a')},
      {"a two-byte character ending at byte 255 stays", std::string(253, 'a') + MJ("漢") + "bbb",
       std::string(253, 'a') + MJ("漢")},
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

TEST_F(SayDialogFixture, FailuresAnswerZeroShowNothingAndAreLogged) {
  Text empty(""), m("m"), a("A"), b("B");
  WindowRef parent = NewParent();
  // The answer, the function that logged the failure (nullptr: nothing logged) with its step,
  // and the beeps.
  auto expect = [&](const char* why, short answer, const char* function, UInt32 beeped,
                    int step = 1) {
    SCOPED_TRACE(why);
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(ShownSoFar().empty());
    if (function == nullptr) {
      EXPECT_EQ(errors_.Count(), 0u);
    } else {
      EXPECT_TRUE(errors_.Has(function, step));
    }
    EXPECT_EQ(errors_.Beeps(), beeped);
    errors_.Clear();
  };
  Sp_SayDialogByModal(nullptr, 0);
  expect("no message", 0, "Sp_SayDialogByModal", 1);
  Sp_SayDialogByModal(empty.get(), 0);
  expect("empty message", 0, "Sp_SayDialogByModal", 1);
  expect("two buttons without the second title",
         SpStdSayDlgTwoButton(a.get(), nullptr, nullptr, kSpStdSayDlgStop, 0, 0, 0),
         "SpStdSayDlgTwoButton", 1);
  expect("three buttons without the third title",
         SpStdSayDlgThreeButton(a.get(), b.get(), nullptr, nullptr, nullptr, kSpStdSayDlgStop, 0, 0,
                                0),
         "SpStdSayDlgThreeButton", 1);
  expect("a sheet the toolbox refuses (no message) is not the caller's fault",
         SpStdSayDlgTwoButtonBySheetAlertWithCFString(parent, kSpStdSayDlgStop, nullptr, CFSTR("e"),
                                                      CFSTR("OK"), nullptr),
         nullptr, 0);
  expect("three-button sheet without explanation",
         SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgStop, m.get(), nullptr, a.get(),
                                            nullptr, nullptr),
         "SpStdSayDlgThreeButtonBySheetAlert", 1);
  Sp_SayDialogByModalBySheetAlert(nullptr, kSpStdSayDlgStop, m.get(), m.get(), a.get());
  expect("one-button sheet without parent", 0, "Sp_SayDialogByModalBySheetAlert", 1);
  expect("alert without message",
         Sp_SayAlertByModal(kSpStdSayDlgCaution, nullptr, nullptr, nullptr, nullptr, nullptr),
         "Sp_SayDialogByModal", 1);
  expect("alert with an empty message",
         Sp_SayAlertByModal(kSpStdSayDlgCaution, empty.get(), nullptr, nullptr, nullptr, nullptr),
         "Sp_SayDialogByModal", 1);
  // Missing dialog resources.
  sp_testing::ResetResources();
  Text c("C");
  Sp_SayDialogByModal(m.get(), 0);
  expect("no one-button resource", 0, "Sp_SayDialogByModal", 1, 2);
  expect("no two-button resource",
         SpStdSayDlgTwoButton(a.get(), b.get(), m.get(), kSpStdSayDlgStop, 0, 0, 0),
         "SpStdSayDlgTwoButton", 1);
  expect("no three-button resource",
         SpStdSayDlgThreeButton(a.get(), b.get(), c.get(), nullptr, nullptr, kSpStdSayDlgStop, 0, 0,
                                0),
         "SpStdSayDlgThreeButton", 1, 2);
  // A one-button dialog without its message item is disposed of.
  ASSERT_NO_FATAL_FAILURE(framework_test::UseResourceSource(R"(
resource 'DLOG' 6130 { bounds 80, 80, 210, 480; items 6130 }
resource 'DITL' 6130 {
  button 95, 310, 115, 380 { text "OK" }
  userItem 13, 20, 45, 52
}
)"));
  Sp_SayDialogByModal(m.get(), 0);
  expect("one-button dialog without its message item", 0, "Sp_SayDialogByModal", 1, 3);
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
  std::vector<UInt8> bytes;
  std::string error;
  ASSERT_TRUE(sp_testing::CompileResourceSource(kFieldsDialogSource, ".", &bytes, &error)) << error;
  ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
  SInt16 focus = 0;
  sp_testing::TextSelection selection = {0, 0};
  DialogRef dialog = nullptr;
  const Answer readFocus = Answer()
                               .Do(
                                   [&](WindowRef) {
                                     focus = GetDialogKeyboardFocusItem(dialog);
                                     selection = sp_testing::DialogSelection(dialog);
                                   },
                                   "read the focus")
                               .ClickItem(1);
  struct Case {
    const char* why;
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
      {"Command-A selects the focused field",
       {Answer().PressKey('a', 0, cmdKey), readFocus},
       1,
       false},
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
    if (c.flashed) {
      EXPECT_GE(TickCount() - start, 7u) << "a flashed button stays lit 7 ticks";
    }
    ControlRef ok = nullptr;
    GetDialogItemAsControl(dialog, 1, &ok);
    EXPECT_EQ(GetControlHilite(ok), 0);
    DisposeDialog(dialog);
  }
  // The focused field itself, not the one after it, wholly.
  EXPECT_EQ(focus, 2);
  EXPECT_EQ(selection.start, 0);
  EXPECT_EQ(selection.end, 11);

  // The one-button dialog's classic loop runs this filter: it stays up for Escape and
  // Command-period.
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  Respond(Answer::Escape());
  Respond(Answer::CommandPeriod());
  Respond(Answer::Return());
  const std::size_t before = ShownSoFar().size();
  Text message("Classic");
  Sp_SayDialogByModal(message.get(), 1);
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

// An answer that draws the dialog into a PNG file, reads the chosen pixels, then clicks.
Answer SnapshotThenClick(Snapshot* out, const std::string& name, DialogItemIndex iconItem,
                         int buttons, DialogItemIndex click) {
  return Answer()
      .Do(
          [=](WindowRef window) {
            DialogRef dialog = GetDialogFromWindow(window);
            CGrafPtr port = GetDialogPort(dialog);
            out->path = ::testing::TempDir() + name;
            out->written = sp_testing::SnapshotDialog(dialog, out->path);
            std::printf("Say dialog snapshot: %s\n", out->path.c_str());
            const UInt32 background = sp_testing::ReadPixel(port, 1, 1);
            Rect box = {0, 0, 0, 0};
            GetDialogItem(dialog, iconItem, nullptr, nullptr, &box);
            for (SInt16 v = box.top; v < box.bottom; ++v) {
              for (SInt16 h = box.left; h < box.right; ++h) {
                out->iconInk += sp_testing::ReadPixel(port, h, v) != background;
              }
            }
            for (DialogItemIndex item = 1; item <= buttons; ++item) {
              GetDialogItem(dialog, item, nullptr, nullptr, &box);
              const SInt16 middle = SInt16((box.top + box.bottom) / 2);
              int ink = 0;
              for (SInt16 h = box.left; h < box.right; ++h) {
                ink += sp_testing::ReadPixel(port, h, middle) != background;
              }
              out->buttonInk.push_back(ink);
            }
            Rect content = {0, 0, 0, 0};
            GetWindowBounds(window, kWindowContentRgn, &content);
            out->cornerIsBackground =
                sp_testing::ReadPixel(port, SInt16(content.right - content.left - 2),
                                      SInt16(content.bottom - content.top - 2)) == background;
          },
          "snapshot")
      .ClickItem(click);
}

TEST_F(SayDialogFixture, EverySayDialogWithJapaneseTextForAPersonToLookAt) {
  Snapshot one, two, three, alert, sheet1, sheet2, sheet3;

  Respond(SnapshotThenClick(&one, "say-dialog-6130-one-button.png", 2, 1, 1));
  Text message(
      MJ("ファイル「夏の終わり.aiff」を保存できませんでした。ディスクの空き容量を確かめて"
         "から、もう一度お試しください。"));
  Sp_SayDialogByModal(message.get(), 0);

  Respond(SnapshotThenClick(&two, "say-dialog-6132-two-buttons.png", 3, 2, 2));
  Text replace(MJ("置き換える")), cancel(MJ("キャンセル")),
      question(MJ("同じ名前の項目がすでにあります。置き換えますか？"));
  SpStdSayDlgTwoButton(replace.get(), cancel.get(), question.get(), kSpStdSayDlgStop, 0, 0, 0);

  Respond(SnapshotThenClick(&three, "say-dialog-6141-three-buttons.png", 4, 3, 3));
  Text save(MJ("保存")), dontSave(MJ("保存しない")), first(MJ("変更を保存しますか？")),
      second(MJ("保存しないと、変更内容は失われます。"));
  SpStdSayDlgThreeButton(save.get(), cancel.get(), dontSave.get(), first.get(), second.get(),
                         kSpStdSayDlgNote, 0, 0, 0);

  Respond(SnapshotThenClick(&alert, "say-alert-caution.png", 7, 1, 1));
  Text alertMessage(MJ("CD を読み込めません。")),
      alertExplanation(MJ("ディスクの汚れを拭き取ってから、もう一度入れてください。"));
  Sp_SayAlertByModal(kSpStdSayDlgCaution, alertMessage.get(), alertExplanation.get(), nullptr,
                     nullptr, nullptr);

  WindowRef parent = NewParent();
  Respond(SnapshotThenClick(&sheet1, "say-sheet-one-button.png", 7, 1, 1));
  Text report(MJ("報　告")), errorText(MJ("[Error No = -34] : ディスクがいっぱいです。")),
      close(MJ("閉じる"));
  Sp_SayDialogByModalBySheetAlert(parent, kSpStdSayDlgNote, report.get(), errorText.get(),
                                  close.get());

  Respond(SnapshotThenClick(&sheet2, "say-sheet-two-buttons.png", 7, 2, 2));
  SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgStop, question.get(), errorText.get(),
                                   replace.get(), cancel.get());

  Respond(SnapshotThenClick(&sheet3, "say-sheet-three-buttons.png", 7, 3, 3));
  SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgCaution, first.get(), second.get(),
                                     save.get(), cancel.get(), dontSave.get());

  for (const Snapshot* s : {&one, &two, &three, &alert, &sheet1, &sheet2, &sheet3}) {
    SCOPED_TRACE(s->path);
    EXPECT_TRUE(s->written);
    // The stop, note and caution icons are the framework's own resources.
    EXPECT_GT(s->iconInk, 100);
    for (int ink : s->buttonInk) EXPECT_GT(ink, 4) << "frame and title drawn";
    EXPECT_TRUE(s->cornerIsBackground) << "nothing drawn past the layout";
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
    ASSERT_EQ(
        FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum_, &dirID_),
        noErr);
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
    manager.SetupNewErrorFile(0, vRefNum_, dirID_, kErrorFileName, 520, 2);
  }

  sp_testing::HomeScope home_;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
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
    if (c.where == 0) {
      EXPECT_EQ(manager.SayErrorOccured(0, -34, nullptr), 1);
    } else {
      EXPECT_EQ(manager.SayErrorOccuredBySheetWindow(0, -34, c.where == 1 ? parent : nullptr,
                                                     kSpStdSayDlgCaution, nullptr),
                1);
    }
    if (c.where == 1) {
      // "報　告" above the text, and the one button "閉じる".
      EXPECT_EQ(Last().kind, ShownKind::kSheet);
      EXPECT_EQ(Last().message, MJ("報　告"));
      EXPECT_EQ(Last().explanation, c.text);
      EXPECT_EQ(Last().buttons, std::vector<std::string>{MJ("閉じる")});
      EXPECT_EQ(Last().alertType, kSpStdSayDlgCaution);
    } else {
      EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
      EXPECT_EQ(Last().message, c.text);
      EXPECT_EQ(Last().buttons, std::vector<std::string>{"OK"});
    }
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
      {"510 bytes stay", std::string(510, 'x'), std::string(510, 'x')},
      {"511 bytes: the first 510", std::string(511, 'x'), std::string(510, 'x')},
      {"a two-byte character across byte 510 is left out whole",
       std::string(509, 'T') + MJ("題") + std::string(89, 'U'), std::string(509, 'T')},
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

TEST_F(SayDialogErrorLogFailure, UnwritableLogIsShownOnceInTheSayDialog) {
  Respond(Answer::Click(1));
  EXPECT_EQ(SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 1, "x"), dupFNErr);
  ASSERT_EQ(ShownSoFar().size(), 1u);
  EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
  EXPECT_EQ(Last().message, FallbackText(dupFNErr, 9));
}

TEST_F(SayDialogErrorLogFailure, FallbackDialogThatCannotBeMadeDoesNotStartTheReportAgain) {
  // Without its dialog resource the fallback dialog fails and reports through the log, which
  // is failing: that report is dropped instead of failing and showing again without end.
  sp_testing::ResetResources();
  const UInt32 beeps = sp_testing::BeepCount();
  SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 1, "x");
  EXPECT_TRUE(ShownSoFar().empty());
  EXPECT_EQ(sp_testing::BeepCount() - beeps, 1u);

  // Once that report is over, the next one is shown again.
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  Respond(Answer::Return());
  SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 2, "y");
  ASSERT_EQ(ShownSoFar().size(), 1u);
  EXPECT_EQ(Last().message, FallbackText(dupFNErr, 9));
}

}  // namespace
}  // namespace say_dialog_test
