// The popup menu button: the title it shows (cut when too wide, rewritten by its client, the
// placeholder), its hilite colours following the up colours, a hilited button keeping its menu
// shut, a press that opens the menu over the button and reports the new selection once, and
// its hot spot following its place.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpOriginalControlPopupButton.h"
#include "SpStdDrawingFunction.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

RGBColor Grey(UInt16 level) {
  return RGBColor{UInt16(level * 257), UInt16(level * 257), UInt16(level * 257)};
}

bool Near(const RGBColor& a, const RGBColor& b) {
  auto close = [](UInt16 x, UInt16 y) { return (x > y ? x - y : y - x) <= 257; };
  return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue);
}

struct Change {
  short oldNo, newNo;
};
std::vector<Change>& Changes() {
  static std::vector<Change> changes;
  return changes;
}
void NoteChange(cSp_PopupMenuButtonObj*, short oldNo, short newNo, unsigned long) {
  Changes().push_back({oldNo, newNo});
}
unsigned char& TitleAnswer() {
  static unsigned char answer = 0;
  return answer;
}
unsigned char Rewrite(cSp_PopupMenuButtonObj*, short itemNo, unsigned long, char*, char* out,
                      SInt32 size) {
  snprintf(out, std::size_t(size), "#%d", itemNo);
  return TitleAnswer();
}

// A button of 120 x 20 at (10, 10) of a window whose content lies at (100, 100), its titles
// in the fixed-metric font at size 12 (6 pixels a character, ascent 9).
class PopupButton : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    Changes().clear();
    TitleAnswer() = 0;
    const Rect content = {100, 100, 400, 500};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    button_.reset(new cSp_PopupMenuButtonObj(window_, Rect{10, 10, 30, 130}, 0, 0, nullptr, 0));
    button_->SetupTitleStringTextSize(12, 0);
  }
  void TearDown() override {
    button_.reset();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  RGBColor Pixel(short h, short v) const {
    return sp_testing::ReadPixelColor(GetWindowPort(window_), h, v);
  }
  // The first and last dark columns of the title's middle row (-1 when none).
  std::pair<int, int> TitleInk() {
    button_->RedrawOutputPopupMenuButton(1);
    int first = -1, last = -1;
    for (short h = 13; h < 108; ++h) {
      if (Pixel(h, 20).red < 0x4000) {
        if (first < 0) first = h;
        last = h;
      }
    }
    return {first, last};
  }

  sp_testing::EventsScope events_;
  sp_testing::FixedMetricFontScope font_;
  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_PopupMenuButtonObj> button_;
};

TEST_F(PopupButton, TheTitleIsCutWhenTooWideAndRewrittenByTheClient) {
  struct Case {
    const char* item;  // nullptr: nothing selected
    const char* placeholder;
    tPositionType alignment;
    unsigned char rewrite;
    int first, last;  // dark columns; -1 when nothing is drawn
    const char* why;
  };
  const Case cases[] = {
      {nullptr, "", kSpPositionLeft, 0, -1, -1, "no selection, no placeholder: no title"},
      {nullptr, "abc", kSpPositionLeft, 0, 13, 29, "the placeholder in the title alignment"},
      {"abc", "", kSpPositionRight, 0, 90, 106, "a title that fits keeps its alignment"},
      {"abcdefghijklmnopqrstu", "", kSpPositionRight, 0, 13, -2,
       "a title too wide is cut at its end and drawn from the left"},
      {"abcdef", "", kSpPositionLeft, 1, 13, 23, "the client's title replaces the name"},
      {"abcdef", "", kSpPositionLeft, 0, 13, 47, "a client answering 0 leaves the name"},
  };
  button_->SetupModifyTitleStringProc(Rewrite, 0);
  for (const Case& c : cases) {
    button_->WipeOutPopupMenuButtonItem(0);
    if (c.item != nullptr) button_->AddMenuItem(-1, c.item);
    button_->SetupNonSelectionOutputString(c.placeholder);
    button_->SetupTitleStringPositionType(c.alignment, 0);
    TitleAnswer() = c.rewrite;
    const std::pair<int, int> ink = TitleInk();
    EXPECT_EQ(ink.first, c.first) << c.why;
    if (c.last == -2) {
      EXPECT_GE(ink.second, 100) << c.why << ": it fills the title's room";
    } else {
      EXPECT_EQ(ink.second, c.last) << c.why;
    }
  }
}

TEST_F(PopupButton, HiliteColoursFollowTheUpColoursUntilTheClientSetsOne) {
  struct Case {
    float percentage;
    UInt16 content;  // expected hilite content, 0 to 255
    const char* why;
  };
  const Case cases[] = {
      {0.5f, 229, "half way from the face to white"},
      {0.0f, 204, "0 keeps the up colour"},
      {1.0f, 255, "1 is white"},
  };
  for (const Case& c : cases) {
    button_->SetupHiliteColorPercentage(c.percentage, 0);
    EXPECT_TRUE(Near(button_->GetButtonColours().hiliteContent, Grey(c.content))) << c.why;
    EXPECT_TRUE(Near(button_->GetButtonColours().hiliteFrame, Grey(85))) << c.why;
  }
  button_->SetupHiliteColorPercentage(0.5f, 0);
  button_->SetupUpButtonContentColor(Grey(0), 0);
  EXPECT_TRUE(Near(button_->GetButtonColours().hiliteContent, Grey(127)))
      << "a new up colour moves its hilite colour while they are derived";
  button_->SetupHiliteContentColor(Grey(10), 0);
  button_->SetupUpButtonStringColor(Grey(100), 0);
  button_->SetupFrameColor(Grey(50), 0);
  EXPECT_TRUE(Near(button_->GetButtonColours().hiliteContent, Grey(10)));
  EXPECT_TRUE(Near(button_->GetButtonColours().hiliteString, Grey(127)))
      << "once the client set one, no hilite colour follows";
  EXPECT_TRUE(Near(button_->GetButtonColours().hiliteFrame, Grey(85)));
  button_->SetupHiliteColorWithPercentage(0);
  EXPECT_TRUE(Near(button_->GetButtonColours().hiliteString, Grey(177)));
  EXPECT_TRUE(Near(button_->GetButtonColours().hiliteFrame, Grey(50)));
  EXPECT_EQ(button_->IsCustomHiliteColour(), 0);
}

TEST_F(PopupButton, AHilitedButtonShowsItsHiliteLookAndKeepsItsMenuShut) {
  button_->AddMenuItem(-1, "one");
  button_->AddMenuItem(-1, "two");
  button_->EnableHilitePopup(1);
  EXPECT_TRUE(Near(Pixel(60, 14), Grey(229))) << "the face in the hilite colour";
  EXPECT_EQ(button_->HotSpotMouseDonwProc(0, Point{20, 60}), 0);
  EXPECT_EQ(button_->IsPressed(), 0);
  EXPECT_EQ(sp_testing::WindowList().size(), 1u) << "no menu opened";
  button_->DisableHilitePopup(1);
  EXPECT_TRUE(Near(Pixel(60, 14), Grey(204))) << "back to the up face";
}

TEST_F(PopupButton, ChoosingAnItemReportsTheOldAndNewNumberOnce) {
  for (const char* name : {"one", "two", "three"}) button_->AddMenuItem(-1, name);
  button_->SetupChangeSelectionProc(NoteChange, 0);
  Rect menu = {0, 0, 0, 0};
  // Press on the button, drag down two items, release after the quick-click time.
  sp_testing::PostMouseDown(Point{120, 160});
  sp_testing::ScheduleInput(100000, [] { sp_testing::PostMouseDragged(Point{146, 160}); });
  sp_testing::ScheduleInput(150000, [&] {
    button_->GetPopupWindowBounds(menu);
    EXPECT_EQ(button_->IsPressed(), 1) << "drawn down while the menu is open";
  });
  sp_testing::ScheduleInput(600000, [] { sp_testing::PostMouseUp(Point{146, 160}); });
  EXPECT_EQ(button_->HotSpotMouseDonwProc(0, Point{20, 60}), 1);
  ASSERT_EQ(Changes().size(), 1u);
  EXPECT_EQ(Changes()[0].oldNo, 1);
  EXPECT_EQ(Changes()[0].newNo, 3);
  EXPECT_EQ(menu.left, 110) << "the menu's left edge at the button's";
  EXPECT_GE(menu.right - menu.left, 100) << "at least the button less its triangle area";
  EXPECT_EQ(menu.top, 113) << "the selected first item over the middle of the button";
  button_->HotSpotMouseUpProc(0, Point{20, 60});
  EXPECT_EQ(button_->IsPressed(), 0);
  button_->SetSelectionItem(1, 1);
  button_->SetupSelectPopupMenuButtonItem(2, 1);
  EXPECT_EQ(button_->GetSelectionMenuItemNo(), 2);
  EXPECT_EQ(Changes().size(), 1u) << "selecting from code reports nothing";
}

TEST_F(PopupButton, TheHotSpotFollowsTheButtonAndComesBackWhenResized) {
  button_->DisablePopup(0);
  EXPECT_EQ(button_->IsHotSpotEnable(), 0);
  button_->ResizePopupMenuButton(150, -1, 0);
  EXPECT_EQ(button_->IsHotSpotEnable(), 1) << "a visible button takes presses again";
  Rect spot;
  button_->GetHotSpotArea(spot);
  EXPECT_EQ(spot.right, 160);
  button_->MovePopupMenuButton(40, -1, 0);
  button_->GetHotSpotArea(spot);
  EXPECT_EQ(spot.left, 40);
  EXPECT_EQ(spot.right, 190);
  EXPECT_EQ(spot.top, 10) << "a negative value leaves that side";
}

TEST_F(PopupButton, ThePlaceholderIsCutToItsFieldOnACharacterBoundary) {
  std::string text = "x";
  while (text.size() < 300) text += "\x93\xfa";
  button_->SetupNonSelectionOutputString(text.c_str());
  EXPECT_EQ(std::string(button_->GetNonSelectionOutputString()).size(), 255u);
  text = text.substr(1);
  button_->SetupNonSelectionOutputString(text.c_str());
  EXPECT_EQ(std::string(button_->GetNonSelectionOutputString()).size(), 254u)
      << "no half character at the end";
  button_->SetupNonSelectionOutputString(nullptr);
  EXPECT_STREQ(button_->GetNonSelectionOutputString(), "");
  ErrorLogCapture log;
  char out[8];
  EXPECT_EQ(button_->ExecModifyTitleStringProc(1, nullptr, out, 8), 0);
  EXPECT_TRUE(log.Has("cSp_PopupMenuButtonObj::ExecModifyTitleStringProc", 1));
}

}  // namespace
