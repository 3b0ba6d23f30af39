// The tab panel: tabs as wide as their titles and abutting, the column two tabs share, a press
// and a release that must meet on one tab, what the format setters reach by tab number, the
// body and content area following the selected tab, and what is drawn where.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpStdDrawingFunction.h"
#include "SpTabPanelObject.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"
#include "WidgetTestColours.h"

namespace {

using widget_test::Grey;
using widget_test::Mix;
using widget_test::Rgb;

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

void NoteSelection(short oldTabNo, short newTabNo, unsigned long, unsigned char) {
  Log().push_back(std::to_string(oldTabNo) + ">" + std::to_string(newTabNo));
}

const RGBColor kRed = {0xFFFF, 0, 0};

std::string AreaText(const Rect& r) {
  return std::to_string(r.left) + "-" + std::to_string(r.right) + "/" + std::to_string(r.top) +
         "-" + std::to_string(r.bottom);
}

// A panel over (20, 20)-(320, 220) of its window: the strip's point (h, v) is the window's
// (20 + h, 20 + v). Titles "One", none and "Three" give tabs 38, 20 and 50 wide in the test
// font (12 points: 6 pixels a character).
class TabPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    Log().clear();
    const Rect content = {100, 100, 400, 500};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    panel_.reset(new cSp_OrgTabPanelControl(window_, kTotal, nullptr, 0));
    for (const char* title : {"One", static_cast<const char*>(nullptr), "Three"}) {
      panel_->SetupPanelItem(title, 0);
    }
    panel_->SetupTabSelectionProc(NoteSelection, 0);
  }
  void TearDown() override {
    panel_.reset();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  cSp_OrgTabSelectorObj& Strip() { return panel_->GetTabSelector(); }
  static Point At(short h, short v = 8) { return Point{short(20 + v), short(20 + h)}; }
  // A press at one strip column and the release at another; the release's answer.
  unsigned char Click(short pressH, short releaseH) {
    Strip().HotSpotMouseDonwProc(0, At(pressH));
    return Strip().HotSpotMouseUpProc(0, At(releaseH));
  }
  short Selected() { return Strip().GetSelectedTab()->GetItemReferenceNo(); }
  std::string TabAreas() {
    std::string out;
    for (auto* tab = Strip().GetFirstTab(); tab != nullptr; tab = tab->GetNextObjectPtr()) {
      Rect r;
      tab->GetAreaRect(r);
      out += AreaText(r) + " ";
    }
    return out;
  }
  sSp_OTPC_TabFormat FormatOf(short tabNo) {
    sSp_OTPC_TabFormat f;
    Strip().GetTabItem(tabNo)->GetTabDrawingFormat(f);
    return f;
  }
  void Update() { Sp_RedrawViewForUpdateEvent(window_); }
  UInt32 Pixel(short h, short v) const {
    return sp_testing::ReadPixel(GetWindowPort(window_), h, v);
  }

  const Rect kTotal = {20, 20, 220, 320};
  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_OrgTabPanelControl> panel_;
  ErrorLogCapture errors_;
  sp_testing::FixedMetricFontScope font_;
};

TEST_F(TabPanel, TabsAreAsWideAsTheirTitlesPlusTheOffsetsAndAbut) {
  EXPECT_EQ(TabAreas(), "0-38/0-16 38-58/0-16 58-108/0-16 ");
  Rect r;
  Strip().GetTabItem(1)->GetStringAreaRect(r);
  EXPECT_EQ(AreaText(r), "10-28/2-14");

  // A longer title: 300 bytes are measured as their first 254.
  Strip().SetupPanelItem(std::string(300, 'x').c_str(), 0);
  Strip().GetTabItem(4)->GetAreaRect(r);
  EXPECT_EQ(AreaText(r), "108-1652/0-16");
  EXPECT_EQ(Strip().GetTabItem(4)->GetItemReferenceNo(), 4);

  // An odd height: the empty icon slot's top rounds toward zero.
  Strip().SetupTabHeight(17, 0);
  Strip().GetTabItem(2)->GetIconAreaRect(r);
  EXPECT_EQ(AreaText(r), "38-38/8-8");
  // A wider title in one tab pushes the tabs after it along.
  Strip().SetupTabTextSize(1, 24, 1);
  EXPECT_EQ(TabAreas(), "0-56/0-17 56-76/0-17 76-126/0-17 126-1670/0-17 ");
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(TabPanel, ANewFormatCarriesNothingItDidNotSet) {
  sSp_OTPC_TabFormat f;
  std::memset(static_cast<void*>(&f), 0xAB, sizeof f);
  SpTPO_InitializeTabFomatStructer(&f);
  EXPECT_EQ(f.tabHeight, 16);
  EXPECT_EQ(f.stringLeftOffset + f.stringRightOffset, 20);
  EXPECT_EQ(f.individualSetup, 0);
  EXPECT_EQ(f.contentFrameDraw, 0);
  EXPECT_EQ(f.contentLeftOffset | f.contentRightOffset | f.contentTopOffset | f.contentBottomOffset,
            0);
  EXPECT_EQ(Rgb(f.bodyColor), 0u);
  EXPECT_EQ(Rgb(f.contentColor), 0u);
  SpTPO_InitializeTabFomatStructer(nullptr);
}

TEST_F(TabPanel, ATabIsSelectedOnlyByAPressAndAReleaseOnTheSameTab) {
  short n = -1;
  EXPECT_EQ(Strip().WindowPositToTabItem(At(38), n), Strip().GetTabItem(1));
  EXPECT_EQ(n, 1) << "the column two tabs share belongs to the left one";
  EXPECT_EQ(Strip().WindowPositToTabItem(At(39), n), Strip().GetTabItem(2));
  EXPECT_EQ(Strip().WindowPositToTabItem(At(150), n), nullptr);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(Strip().WindowPositToTabItem(Point{100, 60}, n), nullptr) << "below the strip";

  const struct {
    short press, release;
    unsigned char answer;
    short selected;
    const char* log;
  } clicks[] = {
      {45, 70, 0, 1, ""},   // pressed on tab 2, released on tab 3
      {150, 45, 0, 1, ""},  // pressed past every tab
      {38, 38, 0, 1, ""},   // the boundary column: tab 1, already selected
      {45, 45, 1, 2, "1>2"},     {58, 58, 0, 2, "1>2"},  // the column of tabs 2 and 3 is tab 2's
      {70, 70, 1, 3, "1>2 2>3"},
  };
  for (const auto& c : clicks) {
    EXPECT_EQ(Click(c.press, c.release), c.answer) << c.press << " to " << c.release;
    EXPECT_EQ(Selected(), c.selected) << c.press << " to " << c.release;
    std::string log;
    for (const auto& s : Log()) log += (log.empty() ? "" : " ") + s;
    EXPECT_EQ(log, c.log);
  }
  // A release without a press of its own selects nothing, even on the tab pressed last.
  EXPECT_EQ(Click(45, 10), 0);
  EXPECT_EQ(Strip().HotSpotMouseUpProc(0, At(45)), 0);
  EXPECT_EQ(Selected(), 3);

  // A press recorded on a selector that goes is forgotten with it.
  auto other =
      std::make_unique<cSp_OrgTabPanelControl>(window_, Rect{240, 20, 290, 200}, nullptr, 0);
  other->SetupPanelItem("A", 0);
  other->GetTabSelector().HotSpotMouseDonwProc(0, Point{248, 25});
  ASSERT_NE(cSp_OrgTabSelectorObj::_mouseDownItemPtr_GlV, nullptr);
  other.reset();
  EXPECT_EQ(cSp_OrgTabSelectorObj::_mouseDownItemPtr_GlV, nullptr);
}

TEST_F(TabPanel, EachSetterReachesTheTabsItsNumberNames) {
  using Setter = std::function<void(cSp_OrgTabSelectorObj&)>;
  using Field = std::function<bool(const sSp_OTPC_TabFormat&)>;
  const Field size18 = [](const sSp_OTPC_TabFormat& f) { return f.textSize == 18; };
  const Field red = [](const sSp_OTPC_TabFormat& f) { return f.selectedTabColor.green == 0; };
  const struct {
    const char* what;
    Setter set;
    Field changed;
    const char* reached;
  } cases[] = {
      {"text size, all but individual", [](auto& s) { s.SetupTabTextSize(0, 18, 0); }, size18,
       "1 3"},
      {"text size, every tab", [](auto& s) { s.SetupTabTextSize(-1, 18, 0); }, size18, "1 2 3"},
      {"text size, tab 2", [](auto& s) { s.SetupTabTextSize(2, 18, 0); }, size18, "2"},
      {"text size, no tab 9", [](auto& s) { s.SetupTabTextSize(9, 18, 0); }, size18, ""},
      {"font, number 0 reaches individual tabs", [](auto& s) { s.SetupTabFontNo(0, 3, 0); },
       [](const sSp_OTPC_TabFormat& f) { return f.fontNo == 3; }, "1 2 3"},
      {"shadow title colour, number 0 reaches individual tabs",
       [](auto& s) { s.SetupShadowTabStringColor(0, &kRed, 0); },
       [](const sSp_OTPC_TabFormat& f) { return f.shadowTabStringColor.green == 0; }, "1 2 3"},
      {"selected colour, all but individual", [](auto& s) { s.SetupSelectedTabColor(0, &kRed, 0); },
       red, "1 3"},
      {"body colour, all but individual", [](auto& s) { s.SetupBodyColor(0, &kRed); },
       [](const sSp_OTPC_TabFormat& f) { return f.bodyColor.green == 0; }, "1 3"},
      {"height replaces every format", [](auto& s) { s.SetupTabHeight(20, 0); },
       [](const sSp_OTPC_TabFormat& f) { return f.tabHeight == 20; }, "1 2 3"},
      {"bottom inset, all but individual",
       [](auto& s) { EXPECT_EQ(s.SetupContentAreaFrameOffset(0, kSpPositionBottom, 4), 1); },
       [](const sSp_OTPC_TabFormat& f) { return f.contentBottomOffset == 4; }, "1 3"},
      {"inset of position 2 changes nothing",
       [](auto& s) { EXPECT_EQ(s.SetupContentAreaFrameOffset(0, kSpPositionCenter, 4), 0); },
       [](const sSp_OTPC_TabFormat& f) {
         return f.contentLeftOffset + f.contentRightOffset + f.contentTopOffset +
                    f.contentBottomOffset !=
                0;
       },
       ""},
      {"a null colour is refused", [](auto& s) { s.SetupSelectedTabColor(-1, nullptr, 1); }, red,
       ""},
  };
  for (const auto& c : cases) {
    panel_.reset(new cSp_OrgTabPanelControl(window_, kTotal, nullptr, 0));
    for (const char* title : {"One", "Two", "Three"}) panel_->SetupPanelItem(title, 0);
    Strip().SetupTabIndividualBodyColorFlag(2, 1, 0);
    c.set(Strip());
    std::string reached;
    for (short n = 1; n <= 3; ++n) {
      if (c.changed(FormatOf(n))) reached += (reached.empty() ? "" : " ") + std::to_string(n);
    }
    EXPECT_EQ(reached, c.reached) << c.what;
  }
  EXPECT_EQ(errors_.Count(), 1u);
  EXPECT_TRUE(errors_.Has("cSp_OrgTabSelectorObj::SetupSelectedTabColor", 1));
  EXPECT_EQ(FormatOf(2).individualSetup, 1) << "the refused setter left tab 2 as it was";

  // A value the default already holds changes nothing and marks nothing.
  Update();
  Strip().SetupTabHeight(16, 0);
  EXPECT_EQ(Strip().IsWaitRedraw(), 0);
  Strip().SetupTabHeight(20, 0);
  EXPECT_EQ(Strip().IsWaitRedraw(), 1);
  EXPECT_EQ(FormatOf(2).individualSetup, 0) << "the height took the whole default format";
}

TEST_F(TabPanel, TheBodyAndContentAreaFollowTheHeightAndTheSelectedTabsFormat) {
  Rect r;
  panel_->GetTabSelectionArea(r);
  EXPECT_EQ(AreaText(r), "20-320/20-36");
  panel_->GetContentsPanelArea(r);
  EXPECT_EQ(AreaText(r), "20-320/36-220");
  panel_->GetContentsArea(r);
  EXPECT_EQ(AreaText(r), "0-300/0-184");

  panel_->SetupTabHeight(24, 0);
  panel_->GetTabSelectionArea(r);
  EXPECT_EQ(AreaText(r), "20-320/20-44");
  panel_->GetContentsArea(r);
  EXPECT_EQ(AreaText(r), "0-300/0-176");

  // Without recalculation the inset waits for the next layout, which neither an unforced
  // resize to the same area nor a switch between two tabs of the default format runs.
  EXPECT_EQ(panel_->SetupContentAreaFrameOffset(0, kSpPositionLeft, 10, 0, 0), 1);
  panel_->ResizeTabControl(kTotal, 0, 0);
  panel_->GetContentsArea(r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(Click(70, 70), 1);
  panel_->GetContentsArea(r);
  EXPECT_EQ(r.left, 0);
  panel_->ResizeTabControl(kTotal, 0, 1);
  panel_->GetContentsArea(r);
  EXPECT_EQ(r.left, 10);

  // Tab 2 keeps a format of its own with a top inset: selecting it, and leaving it again,
  // lays the content area out anew.
  Strip().SetupTabIndividualBodyColorFlag(2, 1, 0);
  panel_->SetupContentAreaFrameOffset(2, kSpPositionTop, 30, 1, 0);
  const struct {
    short h;
    const char* area;
  } steps[] = {{45, "10-300/30-176"}, {10, "10-300/0-176"}};
  for (const auto& s : steps) {
    EXPECT_EQ(Click(s.h, s.h), 1);
    panel_->GetContentsArea(r);
    EXPECT_EQ(AreaText(r), s.area) << "after selecting tab at " << s.h;
  }
  EXPECT_EQ(Log().size(), 3u) << "the client hears every change";

  panel_->SetupBodyFrameColor(0, nullptr, 1);
  EXPECT_TRUE(errors_.Has("cSp_OrgTabPanelControl::SetupBodyFrameColor", 1));
}

TEST_F(TabPanel, TheStripAndBodyAreDrawnFromTheFormats) {
  for (tPositionType side :
       {kSpPositionLeft, kSpPositionRight, kSpPositionTop, kSpPositionBottom}) {
    panel_->SetupContentAreaFrameOffset(-1, side, 20, 1, 0);
  }
  const RGBColor content = Grey(50);
  panel_->SetupContentAreaColor(-1, &content, 0);
  Update();
  const RGBColor white = Grey(100), black = Grey(0);
  const struct {
    short h, v;
    RGBColor colour;
    const char* what;
  } probes[] = {
      {12, 8, black, "the selected tab's title"},
      {70, 8, Grey(20), "a title behind it"},
      {43, 14, Mix(black, white, 0.4f), "the base line under a tab behind"},
      {43, 15, Mix(black, white, 0.8f), "and its second row"},
      {20, 15, white, "no base line under the selected tab"},
      {299, 15, black, "the end mark of the strip"},
      {0, 100, black, "the body's left edge"},
      {100, 199, black, "its bottom edge"},
      {299, 100, black, "its right edge"},
      {10, 100, white, "the body"},
      {100, 100, content, "the content area"},
  };
  for (const auto& p : probes) {
    EXPECT_EQ(Pixel(short(20 + p.h), short(20 + p.v)), Rgb(p.colour)) << p.what;
  }

  // The body colour shows at once with its redraw flag: in the body and in the strip's base
  // line right of the last tab.
  panel_->SetupBodyColor(-1, &kRed, 1);
  EXPECT_EQ(Pixel(30, 120), 0xFF0000u);
  EXPECT_EQ(Pixel(220, 35), Rgb(Mix(white, kRed, 0.6f)));
  EXPECT_EQ(Pixel(220, 34), Rgb(Mix(white, kRed, 0.5f)));

  // A strip without tabs draws nothing at all, not even its end marks.
  cSp_OrgTabSelectorObj empty(window_, Rect{240, 20, 256, 200}, nullptr, 0);
  Update();
  EXPECT_EQ(Pixel(199, 255), 0xFFFFFFu);
  EXPECT_EQ(Pixel(20, 255), 0xFFFFFFu);
  sSp_OTPC_TabFormat f;
  empty.GetSelectedTabDrawingFormat(f);
  EXPECT_EQ(f.tabHeight, 16);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
