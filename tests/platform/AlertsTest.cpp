// Standard alerts (buttons, default and cancel keys, layout), alerts from 'ALRT' resources,
// and AutoSizeDialog.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Alerts.h"
#include "CFString.h"
#include "TestFonts.h"
#include "TestResponder.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ShownSoFar;

ConstStringPtr StandardText() {
  return reinterpret_cast<ConstStringPtr>(kAlertDefaultOKText);
}

const std::string kCancel = "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B";    // キャンセル
const std::string kDontSave = "\x95\xDB\x91\xB6\x82\xB5\x82\xC8\x82\xA2";  // 保存しない

class AlertsTest : public UiTest {
 protected:
  // Standard texts for OK, and for Cancel and Other when asked.
  static AlertStdAlertParamRec Params(bool three = false) {
    AlertStdAlertParamRec p = {};
    p.movable = true;
    p.defaultText = StandardText();
    p.defaultButton = kAlertStdAlertOKButton;
    if (three) {
      p.cancelText = StandardText();
      p.otherText = StandardText();
      p.cancelButton = kAlertStdAlertCancelButton;
    }
    return p;
  }
  // A length-prefixed copy kept for the length of the test.
  ConstStr255Param P(const std::string& bytes) { return kept_.emplace_back(bytes); }
  void SetUp() override {
    UiTest::SetUp();
    responder_ = std::make_unique<sp_testing::ResponderScope>();
  }
  void TearDown() override {
    responder_.reset();
    UiTest::TearDown();
  }
  std::deque<PStr> kept_;
  std::unique_ptr<sp_testing::ResponderScope> responder_;
};

TEST_F(AlertsTest, ShowsItsTextsAndButtonsAndAnswersTheButtonClicked) {
  AlertStdAlertParamRec p = Params(true);
  for (SInt16 item :
       {kAlertStdAlertOKButton, kAlertStdAlertCancelButton, kAlertStdAlertOtherButton}) {
    Respond(Answer::Click(item));
    SInt16 hit = 0;
    ASSERT_EQ(StandardAlert(kAlertCautionAlert, P(SJ("保存しますか？")),
                            P(SJ("変更が失われます。")), &p, &hit),
              noErr);
    EXPECT_EQ(hit, item);
  }
  const sp_testing::Shown& shown = ShownSoFar().at(0);
  EXPECT_EQ(shown.kind, sp_testing::ShownKind::kAlert);
  EXPECT_EQ(shown.alertType, kAlertCautionAlert);
  EXPECT_EQ(shown.message, SJ("保存しますか？"));
  EXPECT_EQ(shown.explanation, SJ("変更が失われます。"));
  EXPECT_EQ(shown.buttons, (std::vector<std::string>{"OK", kCancel, kDontSave}));
  EXPECT_EQ(shown.defaultItem, 1);
  EXPECT_EQ(shown.cancelItem, 2);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());  // each alert disposed of
}

TEST_F(AlertsTest, ReturnAndEscapeFollowTheDefaultAndCancelButtons) {
  struct Case {
    const char* name;
    SInt16 defaultButton;
    SInt16 cancelButton;
    Answer answer;
    SInt16 expected;
  } cases[] = {
      // With a default text, Return answers even when no default button is named.
      {"Return, default 1", kAlertStdAlertOKButton, 0, Answer::Return(), 1},
      {"Return, default 0", 0, 0, Answer::Return(), 1},
      {"Enter, default other", kAlertStdAlertOtherButton, 0, Answer::Enter(), 3},
      {"Escape, cancel 2", kAlertStdAlertOKButton, kAlertStdAlertCancelButton, Answer::Escape(), 2},
      {"Command-period, cancel 2", kAlertStdAlertOKButton, kAlertStdAlertCancelButton,
       Answer::CommandPeriod(), 2},
      // No cancel button: Escape does nothing, the Return after it answers.
      {"Escape, no cancel", kAlertStdAlertOKButton, 0, Answer().PressEscape().PressReturn(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AlertStdAlertParamRec p = Params();
    p.defaultText = P("Yes");
    p.cancelText = P("No");
    p.otherText = P("Later");
    p.defaultButton = c.defaultButton;
    p.cancelButton = c.cancelButton;
    Respond(c.answer);
    SInt16 hit = 0;
    ASSERT_EQ(StandardAlert(kAlertNoteAlert, P("Message"), nullptr, &p, &hit), noErr);
    EXPECT_EQ(hit, c.expected);
  }
  // Without parameters there is only an OK button.
  Respond(Answer::Return());
  SInt16 hit = 0;
  ASSERT_EQ(StandardAlert(kAlertStopAlert, P("Stop"), nullptr, nullptr, &hit), noErr);
  EXPECT_EQ(hit, kAlertStdAlertOKButton);
  EXPECT_EQ(ShownSoFar().back().buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(StandardAlert(kAlertStopAlert, nullptr, nullptr, nullptr, &hit), paramErr);
  EXPECT_EQ(StandardAlert(kAlertStopAlert, P("x"), nullptr, nullptr, nullptr), paramErr);
}

// The alert as laid out, looked at while it is shown.
struct Layout {
  Rect items[8];
  bool hidden[8];
  Rect content;
};

Answer Inspect(Layout* out) {
  Answer a;
  a.Do(
      [out](WindowRef window) {
        for (DialogItemIndex i = 1; i <= 7; ++i) {
          out->items[i] = ItemRect(GetDialogFromWindow(window), i);
          out->hidden[i] = out->items[i].left >= 8192;
        }
        out->content = Bounds(window);
      },
      "look at the layout");
  return a.PressReturn();
}

TEST_F(AlertsTest, ButtonsWidenToTheirTitlesAndTheMessageWraps) {
  sp_testing::FixedMetricFontScope font;  // one-byte characters 6 pixels, two-byte 12
  Layout layout = {};
  Respond(Inspect(&layout));
  AlertStdAlertParamRec p = Params();
  p.cancelText = P("A very long button title");  // 24 x 6 = 144 pixels
  std::string message;
  for (int i = 0; i < 100; ++i) message += SJ("字");  // 1200 pixels: 4 lines of 27
  SInt16 hit = 0;
  ASSERT_EQ(StandardAlert(kAlertStopAlert, P(message.substr(0, 200)), nullptr, &p, &hit), noErr);
  EXPECT_EQ(hit, 1);

  // The message: right of the icon, 27 characters a line, 12 pixels a line.
  const Rect& text = layout.items[kSpAlertMessageItem];
  EXPECT_EQ(text.left, 72);
  EXPECT_EQ(text.right, kSpAlertWidth - 20);
  EXPECT_EQ(text.bottom - text.top, 4 * 12);
  EXPECT_TRUE(layout.hidden[kSpAlertExplanationItem]);
  EXPECT_FALSE(layout.hidden[kSpAlertIconItem]);
  EXPECT_TRUE(layout.hidden[kAlertStdAlertOtherButton]);
  EXPECT_TRUE(layout.hidden[kAlertStdAlertHelpButton]);
  // OK keeps its least width at the right; the cancel button is its title + 28 left of it.
  const Rect& ok = layout.items[kAlertStdAlertOKButton];
  const Rect& cancel = layout.items[kAlertStdAlertCancelButton];
  EXPECT_EQ(ok.right, kSpAlertWidth - 20);
  EXPECT_EQ(ok.right - ok.left, kSpAlertMinButtonWidth);
  EXPECT_EQ(cancel.right - cancel.left, 144 + 28);
  EXPECT_EQ(cancel.right, ok.left - 12);
  EXPECT_EQ(ok.top, text.bottom + 20);
  EXPECT_EQ(layout.content.bottom - layout.content.top, ok.bottom + 20);
  EXPECT_EQ(layout.content.right - layout.content.left, kSpAlertWidth);
}

TEST_F(AlertsTest, CreateAndRunStandardAlertWithCFStringsAndNoOtherDialog) {
  Respond(Answer::Click(kAlertStdAlertCancelButton));
  AlertStdCFStringAlertParamRec p;
  ASSERT_EQ(GetStandardAlertDefaultParams(&p, kStdCFStringAlertVersionOne), noErr);
  p.cancelText = reinterpret_cast<CFStringRef>(kAlertDefaultCancelText);
  DialogRef alert = nullptr;
  ASSERT_EQ(CreateStandardAlert(kAlertNoteAlert, CFSTR("曲を追加しました"), nullptr, &p, &alert),
            noErr);
  EXPECT_FALSE(IsWindowVisible(GetDialogWindow(alert)));
  DialogItemIndex hit = 0;
  ASSERT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
  EXPECT_EQ(hit, kAlertStdAlertCancelButton);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_EQ(ShownSoFar().at(0).message, SJ("曲を追加しました"));
  EXPECT_EQ(ShownSoFar()[0].buttons, (std::vector<std::string>{"OK", kCancel}));
  EXPECT_EQ(ShownSoFar()[0].cancelItem, 0);  // the cancel button is not the cancel item

  EXPECT_EQ(GetStandardAlertDefaultParams(&p, 2), paramErr);
  EXPECT_EQ(CreateStandardAlert(kAlertNoteAlert, nullptr, nullptr, &p, &alert), paramErr);
  UseResources(R"(
resource 'DLOG' 9420 { bounds 50, 50, 150, 250; items 9420 }
resource 'DITL' 9420 { button 60, 100, 80, 180 { text "OK" } }
)");
  DialogRef dialog = GetNewDialog(9420, nullptr, reinterpret_cast<WindowRef>(-1));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(RunStandardAlert(dialog, nullptr, &hit), paramErr);
  EXPECT_EQ(RunStandardAlert(nullptr, nullptr, &hit), paramErr);
}

TEST_F(AlertsTest, AlertFromResourceTakesStagesAndParamText) {
  UseResources(R"(
resource 'ALRT' 9410 {
  bounds 100, 100, 200, 400; items 9410; stages 0x000A; position alertPositionMainScreen
}
resource 'DITL' 9410 {
  button 60, 200, 80, 280 { text "Keep" }
  button 60, 100, 80, 180 { text "Delete" }
  staticText 10, 60, 50, 280 { text "File ^0 is ^1." }
}
)");
  ParamText(P("a.aiff"), P(SJ("見つかりません")), nullptr, nullptr);
  Respond(Answer::Return());
  EXPECT_EQ(CautionAlert(9410, nullptr), 2);  // stage 1: item 2 is the default
  EXPECT_EQ(sp_testing::BeepCount(), 2u);     // and two beeps
  const sp_testing::Shown& shown = ShownSoFar().at(0);
  EXPECT_EQ(shown.alertType, kAlertCautionAlert);
  EXPECT_EQ(shown.message, "File a.aiff is " + SJ("見つかりません") + ".");
  EXPECT_EQ(shown.defaultItem, 2);
  EXPECT_EQ(shown.cancelItem, 1);

  Respond(Answer::Escape());
  EXPECT_EQ(Alert(9410, nullptr), 1);
  EXPECT_EQ(Alert(9499, nullptr), -1);  // no such resource
}

TEST_F(AlertsTest, AutoSizeDialogFitsStaticTextsAndMovesWhatIsBelow) {
  sp_testing::FixedMetricFontScope font;
  UseResources(R"(
resource 'DLOG' 9430 { bounds 50, 50, 130, 250; items 9430 }
resource 'DITL' 9430 {
  staticText 10, 10, 22, 110 { text "" }
  button 40, 10, 60, 80 { text "OK" }
  staticText 10, 120, 22, 190 { text "one" }
}
)");
  DialogRef dialog = GetNewDialog(9430, nullptr, reinterpret_cast<WindowRef>(-1));
  ASSERT_NE(dialog, nullptr);
  DialogItemType type = 0;
  Handle text = nullptr;
  Rect box;
  GetDialogItem(dialog, 1, &type, &text, &box);
  SetDialogItemText(text, P(std::string(40, 'a')));  // 240 pixels: 3 lines of 100
  ASSERT_EQ(AutoSizeDialog(dialog), noErr);
  EXPECT_EQ(ItemRect(dialog, 1).bottom, 10 + 3 * 12);
  EXPECT_EQ(ItemRect(dialog, 2).top, 40 + 24);  // moved down by the growth
  Rect button;
  GetControlBounds(ItemControl(dialog, 2), &button);
  EXPECT_EQ(button.top, 64);
  EXPECT_EQ(ItemRect(dialog, 3).top, 10);  // beside, not below: stays
  const Rect content = Bounds(GetDialogWindow(dialog));
  EXPECT_EQ(content.bottom - content.top, 80 + 24);
  EXPECT_EQ(AutoSizeDialog(nullptr), paramErr);
}

}  // namespace
}  // namespace ui_test
