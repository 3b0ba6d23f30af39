// What the list tests share: a visible window on the virtual clock (white back colour, pixels
// white) with the fixed-metric font as system font, a list on it, and readers of the grid.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpListClass.h"
#include "SpResourceManager.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace list_test {

constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBlack = 0x000000;
constexpr UInt32 kRed = 0xFF0000;
constexpr UInt32 kBlue = 0x0000FF;

inline RGBColor Colour(UInt32 rgb) {
  return RGBColor{UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257),
                  UInt16((rgb & 0xFF) * 257)};
}

inline Point Cell(short column, short row) {
  return Point{row, column};
}

using cTestList = cLMgr_List_Base;

class ListFixture : public ::testing::Test {
 protected:
  // The list's place in the window.
  static constexpr Rect kArea = {10, 20, 110, 220};

  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_InitializeResourceManager();
    const Rect content = {100, 100, 300, 400};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), kWhite);
  }
  void TearDown() override {
    list_.reset();
    Sp_InitializeResourceManager();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  // A list of columns 40 wide and rows 15 high at kArea, without the one-pixel separators
  // a list gives its lines by default.
  cTestList* MakeList(short rows, short columns) {
    list_.reset(new cTestList(window_, kArea, nullptr, 0));
    list_->SetDefaultCellSize(40, 15);
    list_->SetupRowLineWidth(0, 0, 0);
    list_->SetupColLineWidth(0, 0, 0);
    list_->AddColumn(0, columns);
    list_->AddRow(0, rows);
    return list_.get();
  }

  // Paints what waits and copies it to the window.
  void Redraw() const { Sp_RedrawViewWindow(window_, 0); }
  UInt32 Px(short h, short v) const { return sp_testing::ReadPixel(GetWindowPort(window_), h, v); }

  // The text of each row's cell in the column, top to bottom ("" for a cell without text,
  // "?" for a row without that cell).
  std::vector<std::string> Column(short column) const {
    std::vector<std::string> out;
    for (short row = 1; row <= list_->GetNumOfRow(); ++row) {
      sLMgr_Cell* cell = nullptr;
      if (list_->GetCellPtr(column, row, &cell) == 0) {
        out.push_back("?");
      } else {
        out.push_back(cell->kind == kLMgrStringData && cell->string ? cell->string : "");
      }
    }
    return out;
  }

  // Every structural rule of the grid, as one message ("" when all hold).
  std::string GridFaults() const {
    std::string faults;
    auto fault = [&](const std::string& what) { faults += what + "; "; };
    short n = 0;
    for (cLMgr_CellRoot* r = list_->GetRowRootListHeadPtr(); r; r = r->GetNextObjectPtr()) {
      if (r->GetReferenceNo() != ++n) fault("row numbered " + std::to_string(r->GetReferenceNo()));
      short c = 0;
      for (sLMgr_Cell* cell = r->cells; cell; cell = cell->rowNext) {
        ++c;
        if (cell->rowRoot != r) fault("cell in another row's chain");
        if (cell->columnRoot == nullptr || cell->columnRoot->GetReferenceNo() != c) {
          fault("row " + std::to_string(n) + " out of column order");
        }
        sLMgr_Cell* above = cell->colPrevious;
        if ((above == nullptr) != (cell->columnRoot && cell->columnRoot->cells == cell)) {
          fault("column head wrong");
        }
        if (above && above->rowRoot->GetReferenceNo() != n - 1) fault("column out of row order");
        if (cell->rowNext && cell->rowNext->rowPrevious != cell) fault("row links disagree");
      }
      if (c != list_->GetNumOfColumn()) fault("row " + std::to_string(n) + " lacks cells");
    }
    if (n != list_->GetNumOfRow()) fault("row count");
    return faults;
  }

  WindowRef window_ = nullptr;
  std::unique_ptr<cTestList> list_;
  sp_testing::FixedMetricFontScope font_;
  ErrorLogCapture errors_;
};

}  // namespace list_test
