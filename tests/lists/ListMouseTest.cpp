// The list's mouse, end to end: clicks posted to a framework window reach the list's bar and
// the list, whose client hears of each press before the selection changes, of Shift ranges,
// of clicks and double clicks on the virtual clock, and of presses on no cell.
#include <memory>
#include <string>
#include <vector>

#include "Events.h"
#include "ListTestSupport.h"
#include "SpMainEventLoop.h"
#include "SpMouseTraceManager.h"
#include "SpOriginalControl.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"
#include "SpWindow.h"
#include "SpWindowHandlers.h"
#include "TestControls.h"

namespace list_test {
namespace {

std::vector<std::string>& Heard() {
  static std::vector<std::string> heard;
  return heard;
}

std::string CellText(Point cell) {
  return std::to_string(cell.v) + "," + std::to_string(cell.h);
}

// The row the list's selection starts from, as the client sees it.
short Anchor(unsigned long list) {
  cLMgr_CellRoot* head = reinterpret_cast<cLMgr_List_Base*>(list)->GetSelectedRowsHead();
  return head != nullptr ? head->lineNo : 0;
}

class ListMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_InitializeResourceManager();
    // As the program runs: views, wrapped controls and the window's Carbon handlers.
    Sp_InstallViewServices();
    Sp_OCnt_InstallControlServices();
    appearanceEnableFlag_GlV = 1;
    Sp_CarbonEvent_ModeEnable();
    Sp_SetupWindowEventHandlerForCarbonEvent();
    Heard().clear();
    window_.reset(new cSp_Window(Point{100, 100}, Point{200, 300}, 1, documentProc,
                                 kSpNormalWindowType, kSpWindowInFrontOfAll));
    Rect vBar = {10, 190, 160, 206};
    list_.reset(Sp_CreateNewList(window_->GetWindowRef(), Rect{10, 10, 160, 190}, 60, 15, 100, 3, 1,
                                 nullptr, &vBar, nullptr, 0));
    ASSERT_NE(list_, nullptr);
    list_->SetupRowLineWidth(-1, 0, 0);
    list_->SetupColLineWidth(-1, 0, 0);
    list_->SetupSelectionMode(kLMgrSelectRows);
    list_->SetupRangeSelection(1);
    const unsigned long self = reinterpret_cast<unsigned long>(list_.get());
    list_->SetupMouseDownCBProcPtr(
        [](Point cell, short, unsigned long list) {
          Heard().push_back("down " + CellText(cell) + " from " + std::to_string(Anchor(list)));
        },
        self);
    list_->SetupMouseUpCBProcPtr(
        [](Boolean on, Point cell, short, unsigned long) {
          Heard().push_back(on ? "up " + CellText(cell) : "up off");
        },
        self);
    list_->SetupMouseClickCBProcPtr(
        [](Point cell, short, unsigned long) { Heard().push_back("click " + CellText(cell)); },
        self);
    list_->SetupMouseDoubleClickCBProcPtr(
        [](Point cell, short, unsigned long) { Heard().push_back("double " + CellText(cell)); },
        self);
    list_->SetupNewSelectionOccurCBProcPtr(
        [](Point cell, short, unsigned long) { Heard().push_back("range " + CellText(cell)); },
        self);
    sp_testing::PumpPending();
  }
  void TearDown() override {
    list_.reset();
    window_.reset();
    while (OriginalControlItemList_GlV != nullptr) delete OriginalControlItemList_GlV;
    Sp_SetupScrollBarServices(nullptr);
    Sp_SetupControlServices(nullptr);
    Sp_SetupViewServices(nullptr);
    appearanceEnableFlag_GlV = 0;
    Sp_InitializeResourceManager();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  short V() const {
    short h = 0, v = 0;
    list_->GetScrollValue(h, v);
    return v;
  }
  // Clicks the middle of the cell (it must be shown), the window's content being at (100, 100).
  void ClickCell(short row, short column, UInt32 modifiers = 0) {
    const short h = short(100 + 10 + (column - 1) * 60 + 30);
    const short v = short(100 + 10 + (row - 1) * 15 + 7 - V());
    sp_testing::PostClick(Point{v, h}, {}, modifiers);
    sp_testing::PumpPending();
  }
  std::vector<std::string> Take() {
    std::vector<std::string> heard = Heard();
    Heard().clear();
    return heard;
  }

  std::unique_ptr<cSp_Window> window_;
  std::unique_ptr<cLMgr_List_Base> list_;
  sp_testing::FixedMetricFontScope font_;
  ErrorLogCapture errors_;
};

TEST_F(ListMouse, TheClientHearsEachPressBeforeTheSelectionAndEachClickOnItsCell) {
  // The list's own bar scrolls it by whole rows.
  cScrollBarObj* bar = list_->GetViewScrollBarPtr(kSpVerticalScrollBar);
  ASSERT_NE(bar, nullptr);
  Point arrow;
  ASSERT_TRUE(
      sp_testing::PointInControlPart(bar->GetControlHandle(), kControlDownButtonPart, &arrow));
  sp_testing::PostClick(Point{short(arrow.v + 100), short(arrow.h + 100)});
  sp_testing::PumpPending();
  ASSERT_GT(V(), 0) << "the click reached the bar";
  EXPECT_EQ(V() % 15, 0) << "it stepped to a row's start";
  EXPECT_TRUE(Take().empty()) << "the bar took the press before the list";
  const short first = short(V() / 15 + 1);
  const short row = short(first + 4);

  ClickCell(row, 2);
  EXPECT_EQ(Take(), (std::vector<std::string>{"down " + CellText(Cell(2, row)) + " from 0",
                                              "up " + CellText(Cell(2, row)),
                                              "click " + CellText(Cell(2, row))}));
  EXPECT_EQ(Anchor(reinterpret_cast<unsigned long>(list_.get())), row);
  EXPECT_EQ(dragStartFlag_GlV, 0) << "a press that changed the selection starts no drag";

  // Shift extends the selection from the clicked row; a second click elsewhere within the
  // double-click time is a click.
  sp_testing::AdvanceClockTicks(10);
  ClickCell(short(row + 3), 1, shiftKey);
  const std::string at = CellText(Cell(1, short(row + 3)));
  EXPECT_EQ(Take(), (std::vector<std::string>{"down " + at + " from " + std::to_string(row),
                                              "range " + at, "up " + at, "click " + at}));
  for (short r = row; r <= row + 3; ++r) EXPECT_EQ(list_->IsSelection(1, r), 1) << r;
  EXPECT_EQ(list_->IsSelection(1, short(row + 4)), 0);
  EXPECT_EQ(areaSelectionStartFlag_GlV, 1);
  EXPECT_EQ(dragStartFlag_GlV, 0) << "a press that grew the range starts no drag";

  // Two clicks on one cell within the double-click time, on the selection: a possible drag.
  sp_testing::AdvanceClockTicks(40);
  ClickCell(short(row + 1), 3);
  EXPECT_EQ(dragStartFlag_GlV, 1);
  sp_testing::AdvanceClockTicks(10);
  ClickCell(short(row + 1), 3);
  const std::string twice = CellText(Cell(3, short(row + 1)));
  EXPECT_EQ(Take(), (std::vector<std::string>{"down " + twice + " from " + std::to_string(row),
                                              "up " + twice, "click " + twice,
                                              "down " + twice + " from " + std::to_string(row),
                                              "up " + twice, "double " + twice}));
  // Too late for a double click.
  sp_testing::AdvanceClockTicks(31);
  ClickCell(short(row + 1), 3);
  EXPECT_EQ(Take().back(), "click " + twice);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ListMouse, APressBelowTheLastRowIsOnNoCellAndStartsNoDoubleClick) {
  list_->DeleteRow(4, 96, 1);  // rows 1 to 3 are left, 45 pixels of a 150-pixel list
  ASSERT_EQ(V(), 0);
  ClickCell(2, 1);
  sp_testing::AdvanceClockTicks(40);
  Take();
  ClickCell(6, 1);
  EXPECT_EQ(Take(), (std::vector<std::string>{"down 0,0 from 2", "up off"}));
  EXPECT_EQ(list_->GetLastClickedCell().v, 0);
  EXPECT_EQ(Anchor(reinterpret_cast<unsigned long>(list_.get())), 2)
      << "the selection stays as it was";
  sp_testing::AdvanceClockTicks(5);
  ClickCell(2, 1);
  EXPECT_EQ(Take().back(), "click 2,1") << "the press before was on no cell";

  // Without a selection mode the client's callback is all a press does.
  list_->SetupSelectionMode(kLMgrSelectNone);
  sp_testing::AdvanceClockTicks(40);
  ClickCell(3, 1);
  EXPECT_EQ(Take().front(), "down 3,1 from 2");
  EXPECT_EQ(Anchor(reinterpret_cast<unsigned long>(list_.get())), 2);
}

// A list far longer than QuickDraw's 32,767 pixels: 9,999 rows of 15 (149,985 pixels). Its
// last row is scrolled to, drawn at the bottom and selected by a click; the bar's arrow and a
// page move it by exactly one row and one page; a row in the middle is reached too.
TEST_F(ListMouse, EveryRowOfAListPastQuickDrawsRangeIsScrolledToDrawnAndClicked) {
  list_->SetupRowLineWidth(0, 0, 0);
  list_->AddRow(-1, 9999 - 100);
  ASSERT_EQ(list_->GetNumOfRow(), 9999);
  ASSERT_EQ(list_->GetRowAreaSize(), 9999 * 15);
  const RGBColor red = Colour(kRed), blue = Colour(kBlue), black = Colour(kBlack);
  list_->SetCellBackColor(1, 9999, &red, 0);
  list_->SetCellBackColor(1, 9997, &blue, 0);
  list_->SetCellBackColor(1, 5000, &black, 0);
  auto shown = [this](short row) {
    Rect onWindow = {0, 0, 0, 0};
    list_->GetCellArea(Point{row, 1}, nullptr, nullptr, &onWindow);
    return onWindow;
  };
  auto pixel = [this](const Rect& cell) {
    Sp_RedrawViewWindow(window_->GetWindowRef(), 0);
    return sp_testing::ReadPixel(GetWindowPort(window_->GetWindowRef()),
                                 short((cell.left + cell.right) / 2),
                                 short((cell.top + cell.bottom) / 2));
  };
  auto click = [this](const Rect& cell) {
    sp_testing::AdvanceClockTicks(40);
    sp_testing::PostClick(Point{short(100 + (cell.top + cell.bottom) / 2),
                                short(100 + (cell.left + cell.right) / 2)});
    sp_testing::PumpPending();
  };
  const unsigned long self = reinterpret_cast<unsigned long>(list_.get());

  ASSERT_EQ(list_->ScrollWithTargetCellOutput(9999, -1, 1, 1, 0), 1);
  const Rect last = shown(9999);
  EXPECT_EQ(last.bottom, 160) << "the last row ends at the list's bottom";
  EXPECT_EQ(pixel(last), kRed);
  EXPECT_EQ(pixel(shown(9998)), kWhite);
  short maxH = 0, maxV = 0;
  list_->GetViewMaxScrollValue(&maxH, &maxV);
  EXPECT_EQ(V(), maxV) << "the bar's thumb stands at its end";
  click(last);
  EXPECT_EQ(Take().front(), "down 9999,1 from 0");
  EXPECT_EQ(Anchor(self), 9999);

  // The bar's up arrow: one row back, exactly.
  cScrollBarObj* bar = list_->GetViewScrollBarPtr(kSpVerticalScrollBar);
  ASSERT_NE(bar, nullptr);
  Point arrow;
  ASSERT_TRUE(sp_testing::PointInControlPart(bar->GetControlHandle(), kControlUpButtonPart, &arrow));
  sp_testing::AdvanceClockTicks(40);
  sp_testing::PostClick(Point{short(arrow.v + 100), short(arrow.h + 100)});
  sp_testing::PumpPending();
  EXPECT_EQ(shown(9999).top, last.top + 15);
  EXPECT_EQ(pixel(shown(9997)), kBlue) << "drawn where it now is";
  ASSERT_EQ(list_->PageScroll(-1, 0, 1, 1, 1, 1), 1);
  EXPECT_EQ(shown(9989).top, last.top + 15) << "a page is the list's height";

  ASSERT_EQ(list_->ScrollWithTargetCellOutput(5000, -1, 1, 1, 0), 1);
  const Rect middle = shown(5000);
  EXPECT_GE(middle.top, 10);
  EXPECT_LE(middle.bottom, 160);
  EXPECT_EQ(pixel(middle), kBlack);
  Take();
  click(middle);
  EXPECT_EQ(Take().front(), "down 5000,1 from 9999");
  EXPECT_EQ(Anchor(self), 5000);
  EXPECT_EQ(errors_.Count(), 0u);
}

// A view whose content is its back colour, as the panels the program puts lists on.
struct Panel : cSp_View {
  explicit Panel(WindowRef window) : cSp_View(window, Rect{0, 0, 200, 300}, 0, 0, nullptr, 0) {}
  unsigned char UpdateProc() override { return 1; }
};

// A list inside a taller container, drawing into the container's offscreen, is drawn at its
// end too: the container's offscreen is placed by an origin that reaches below the list's
// content by the container's size, which a content near QuickDraw's 32,767 pixels overflowed.
TEST_F(ListMouse, ALongListDrawnInItsContainersOffscreenShowsItsLastRow) {
  const struct {
    short rows;
    const char* why;
  } cases[] = {
      {2184, "32,760 pixels: the container reaches 40 pixels below the list, past 16 bits"},
      {9999, "149,985 pixels"},
  };
  WindowRef window = window_->GetWindowRef();
  for (const auto& c : cases) {
    list_.reset();
    auto container = std::make_unique<Panel>(window);
    list_.reset(new cLMgr_List_Base(window, Rect{10, 10, 160, 190}, container.get(), 1));
    list_->SetDefaultCellSize(60, 15);
    list_->SetupRowLineWidth(0, 0, 0);
    list_->SetupColLineWidth(0, 0, 0);
    list_->AddColumn(0, 3);
    list_->AddRow(0, c.rows);
    const RGBColor red = Colour(kRed);
    list_->SetCellBackColor(1, c.rows, &red, 0);
    ASSERT_EQ(list_->ScrollWithTargetCellOutput(c.rows, -1, 1, 1, 0), 1) << c.why;
    Rect last = {0, 0, 0, 0};
    list_->GetCellArea(Point{c.rows, 1}, nullptr, nullptr, &last);
    EXPECT_EQ(last.bottom, 160) << c.why;
    Sp_RedrawViewWindow(window, 0);
    EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(window), short(last.left + 5),
                                    short(last.top + 5)),
              kRed)
        << c.why;
    list_->ExecViewObjDeleteReady();
    list_.reset();
    container->ExecViewObjDeleteReady();
  }
}

TEST_F(ListMouse, ADragOnTheTitleBarsSeparatorResizesTheColumns) {
  list_->SetupTopTitleBar(16);
  list_->SetupCellWidthFlex(kLMgrColumnDirection, -1);
  list_->EnableMoveingSeparator(kLMgrColumnDirection);
  // Item 1 ends at 60 of the bar's content: 70 in the window, whose content is at (100, 100).
  const Point separator = {118, 170};
  sp_testing::PostClick(separator, {Point{118, 175}, Point{118, 185}});
  sp_testing::PumpPending();
  EXPECT_EQ(list_->GetColumnRoot(1)->size, 75);
  EXPECT_EQ(list_->GetColumnRoot(2)->size, 45);
  EXPECT_TRUE(Take().empty()) << "the list heard nothing of the bar's press";
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  // The cells moved with the separator: 70 of the content, once in column 2, is column 1's
  // now (the list lies 16 pixels lower, under its bar).
  sp_testing::PostClick(Point{100 + 10 + 16 + 7, 100 + 10 + 70});
  sp_testing::PumpPending();
  const std::vector<std::string> heard = Take();
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.front(), "down 1,1 from 0");
}

}  // namespace
}  // namespace list_test
