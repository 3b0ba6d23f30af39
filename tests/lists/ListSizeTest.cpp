// Row heights, column widths and the lines between them: every change moves the lines after
// it at once and marks what moved.
#include "ListTestSupport.h"

namespace {

using list_test::Colour;
using list_test::ListFixture;

class ListSize : public ListFixture {
 protected:
  // Outer start, inner start, inner end and outer end of each line.
  std::vector<std::vector<SInt32>> Positions(bool rows) const {
    std::vector<std::vector<SInt32>> out;
    cLMgr_CellRoot* r = rows ? list_->GetRowRootListHeadPtr() : list_->GetCollRootListHeadPtr();
    for (; r; r = r->GetNextObjectPtr()) {
      SInt32 os, oe, is, ie;
      r->GetCellPosition(&os, &oe, &is, &ie);
      out.push_back({os, is, ie, oe});
    }
    return out;
  }
};

TEST_F(ListSize, SizesAndLineWidthsMoveTheLinesAfterThemAtOnce) {
  using P = std::vector<std::vector<SInt32>>;
  const struct {
    const char* what;
    bool rows;
    void (*change)(cLMgr_List_Base*);
    P positions;
  } cases[] = {
      {"one row higher",
       true,
       [](cLMgr_List_Base* l) { l->SetRowHeight(2, 20, 0); },
       {{0, 0, 15, 15}, {15, 15, 35, 35}, {35, 35, 50, 50}}},
      {"every row",
       true,
       [](cLMgr_List_Base* l) { l->SetRowHeight(-1, 20, 1); },
       {{0, 0, 20, 20}, {20, 20, 40, 40}, {40, 40, 60, 60}}},
      {"row 0 is no row",
       true,
       [](cLMgr_List_Base* l) { l->SetRowHeight(0, 20, 0); },
       {{0, 0, 15, 15}, {15, 15, 30, 30}, {30, 30, 45, 45}}},
      {"a start line moves the column's inside",
       false,
       [](cLMgr_List_Base* l) {
         l->SetupColLineWidth(3, 1, 0);
         l->SetColumnWidth(3, 30, 0);
       },
       {{0, 0, 40, 40}, {40, 40, 80, 80}, {80, 81, 111, 111}}},
      {"line widths without a size change",
       false,
       [](cLMgr_List_Base* l) { l->SetupColLineWidth(-1, 2, 1); },
       {{0, 2, 42, 43}, {43, 45, 85, 86}, {86, 88, 128, 129}}},
      {"a negative width leaves that width",
       false,
       [](cLMgr_List_Base* l) {
         l->SetupColLineWidth(2, 3, 3);
         l->SetupColLineWidth(2, -1, 0);
       },
       {{0, 0, 40, 40}, {40, 43, 83, 83}, {83, 83, 123, 123}}},
      {"line 0 changes only lines made later",
       false,
       [](cLMgr_List_Base* l) {
         l->SetupColLineWidth(0, 1, 1);
         l->AddColumn(0, 1);
         l->DeleteColl(2, 1, 0);
       },
       {{0, 1, 41, 42}, {42, 42, 82, 82}, {82, 82, 122, 122}}},
  };
  for (const auto& c : cases) {
    MakeList(3, 3);
    c.change(list_.get());
    EXPECT_EQ(Positions(c.rows), c.positions) << c.what;
    EXPECT_EQ(c.rows ? list_->GetRowAreaSize() : list_->GetColumnAreaSize(), c.positions.back()[3])
        << c.what;
  }
}

TEST_F(ListSize, UnchangedSizesAndLinesMarkNothing) {
  MakeList(3, 3);
  list_->ColLineTurnOnOff(2, 1, 0);
  Redraw();
  const struct {
    const char* what;
    void (*change)(cLMgr_List_Base*);
  } cases[] = {
      {"the same width", [](cLMgr_List_Base* l) { EXPECT_EQ(l->SetColumnWidth(3, 40, 1), 0); }},
      {"the same height", [](cLMgr_List_Base* l) { l->SetRowHeight(-1, 15, 0); }},
      {"a line already on", [](cLMgr_List_Base* l) { l->ColLineTurnOnOff(2, 1, 0); }},
      {"the same line width", [](cLMgr_List_Base* l) { l->SetupColLineWidth(2, 0, -1); }},
      {"no colour", [](cLMgr_List_Base* l) { l->SetupRowLineColor(1, nullptr, nullptr); }},
  };
  for (const auto& c : cases) {
    c.change(list_.get());
    EXPECT_EQ(list_->IsWaitRedraw(), 0) << c.what;
  }
  EXPECT_EQ(list_->SetColumnWidth(3, 41, 0), 1);
  EXPECT_EQ(list_->IsWaitRedraw(), 1);
}

TEST_F(ListSize, LinesAreDrawnInTheirColourWhenOnAndTheDefaultsServeNewLines) {
  MakeList(3, 3);
  const RGBColor red = Colour(list_test::kRed), blue = Colour(list_test::kBlue);
  list_->SetupRowLineColor(0, nullptr, &red);
  sSpLineBehaviorStruct line;
  ASSERT_EQ(list_->GetRowEndLineBehabiorData(0, line), 1);
  EXPECT_EQ(line.color.red, 0xFFFF);
  ASSERT_EQ(list_->GetRowStartLineBehaviorData(0, line), 1);
  EXPECT_EQ(line.color.red, 0) << "the start line keeps its colour";
  ASSERT_EQ(list_->GetRowEndLineBehabiorData(1, line), 1);
  EXPECT_EQ(line.color.red, 0) << "rows made before keep theirs";
  EXPECT_EQ(list_->GetRowEndLineBehabiorData(4, line), 0);

  list_->SetupColLineWidth(2, 2, 0);
  list_->ColLineTurnOnOff(2, 1, 0);
  list_->SetupColLineColor(2, &blue, nullptr);
  list_->SetupRowLineWidth(1, 0, 3);
  list_->RowLineTurnOnOff(1, 0, 1);
  list_->SetupRowLineColor(1, nullptr, &red);
  Redraw();
  auto at = [&](short h, short v) { return Px(short(kArea.left + h), short(kArea.top + v)); };
  EXPECT_EQ(at(39, 40), list_test::kWhite) << "the column before keeps its last pixel";
  EXPECT_EQ(at(40, 40), list_test::kBlue) << "column 2's start line, down the whole view";
  EXPECT_EQ(at(41, 90), list_test::kBlue);
  EXPECT_EQ(at(42, 40), list_test::kWhite);
  EXPECT_EQ(at(10, 15), list_test::kRed) << "row 1's end line, three pixels";
  EXPECT_EQ(at(121, 17), list_test::kRed) << "across the whole content";
  EXPECT_EQ(at(10, 18), list_test::kWhite);
}

// After the list's content gets smaller or larger, every pixel of the list shows the new
// content: the strip a shrinking list left behind is painted over, the strip a growing one
// took is painted.
TEST_F(ListSize, TheStripAChangeOfSizeLeavesOrTakesIsRepainted) {
  const struct {
    const char* what;
    void (*change)(cLMgr_List_Base*);
    short width, height;  // the content afterwards (120 x 45 before)
  } cases[] = {
      {"rows lower", [](cLMgr_List_Base* l) { l->SetRowHeight(-1, 10, 1); }, 120, 30},
      {"rows higher", [](cLMgr_List_Base* l) { l->SetRowHeight(-1, 20, 1); }, 120, 60},
      {"the last row lower", [](cLMgr_List_Base* l) { l->SetRowHeight(3, 5, 1); }, 120, 35},
      {"columns narrower", [](cLMgr_List_Base* l) { l->SetColumnWidth(-1, 30, 1); }, 90, 45},
      {"columns wider", [](cLMgr_List_Base* l) { l->SetColumnWidth(-1, 50, 1); }, 150, 45},
      {"the last column narrower", [](cLMgr_List_Base* l) { l->SetColumnWidth(3, 1, 1); }, 81, 45},
      {"the last row deleted", [](cLMgr_List_Base* l) { l->DeleteRow(3, 1, 1); }, 120, 30},
      {"the last column deleted", [](cLMgr_List_Base* l) { l->DeleteColl(3, 1, 1); }, 80, 45},
  };
  const RGBColor blue = Colour(list_test::kBlue);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MakeList(3, 3);
    for (short row = 1; row <= 3; ++row) {
      for (short column = 1; column <= 3; ++column) list_->SetCellBackColor(column, row, &blue, 0);
    }
    Redraw();
    c.change(list_.get());
    int wrong = 0;
    for (short v = 0; v < kArea.bottom - kArea.top; ++v) {
      for (short h = 0; h < kArea.right - kArea.left; ++h) {
        const bool content = h < c.width && v < c.height;
        const UInt32 shown = Px(short(kArea.left + h), short(kArea.top + v));
        if (shown != (content ? list_test::kBlue : list_test::kWhite)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
