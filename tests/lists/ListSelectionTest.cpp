// The list's selection: what a click does in each selection mode, with and without Shift, on
// marked and unmarked items, what it reports as entered and left, and how range selections
// of rows and of cells grow and shrink from their anchor.
#include <string>
#include <vector>

#include "ListTestSupport.h"

namespace {

using list_test::Cell;
using list_test::ListFixture;

// The reports of one test: "type:items", rows and columns by number ("1:4,3,2"), cells as
// column,row ("3:2,2 3,2").
std::vector<std::string>& Reports() {
  static std::vector<std::string> reports;
  return reports;
}

void RecordLines(tListModifySelectType type, cSp_SelectionRowColList* lines, unsigned long) {
  std::string s = std::to_string(type) + ":";
  for (SInt32 n = 1; n <= lines->GetNumOfSelection(); ++n) {
    short line = 0;
    lines->GetSelectionCellPosition(n, line);
    s += (n > 1 ? "," : "") + std::to_string(line);
  }
  Reports().push_back(s);
}

void RecordCells(tListModifySelectType type, cSp_SelectionCellList* cells, unsigned long) {
  std::string s = std::to_string(type) + ":";
  for (SInt32 n = 1; n <= cells->GetNumOfSelection(); ++n) {
    Point p{};
    cells->GetSelectionCellPosition(n, p);
    s += (n > 1 ? " " : "") + std::to_string(p.h) + "," + std::to_string(p.v);
  }
  Reports().push_back(s);
}

struct Click {
  tListSelectTiming timing;
  bool shift;
  short column, row;
};

class ListSelection : public ListFixture {
 protected:
  void MakeSelectionList(UInt8 mode, bool range) {
    MakeList(8, 4);
    list_->SetupSelectionMode(mode);
    list_->SetupRangeSelection(range);
    list_->SetupModifyRowColSelectionCBProcPtr(RecordLines, 0);
    list_->SetupModifyCellSelectionCBProcPtr(RecordCells, 0);
    Reports().clear();
  }
  Boolean Apply(const Click& c, Boolean* changed = nullptr, Boolean* added = nullptr) {
    Boolean ignored1 = 0, ignored2 = 0;
    return list_->CellSelection(c.timing, c.shift, Cell(c.column, c.row),
                                changed ? changed : &ignored1, added ? added : &ignored2);
  }
  // What the list marks: "R2" for a whole row, "c,r" for a cell alone.
  std::string Marked() const {
    std::string out;
    for (short row = 1; row <= 8; ++row) {
      std::string cells;
      int n = 0;
      for (short column = 1; column <= 4; ++column) {
        if (list_->IsSelection(column, row) == 0) continue;
        ++n;
        cells += std::to_string(column) + "," + std::to_string(row) + " ";
      }
      out += n == 4 ? "R" + std::to_string(row) + " " : cells;
    }
    if (!out.empty()) out.pop_back();
    return out;
  }
};

constexpr tListSelectTiming kDown = kLMgrSelectAtMouseDown;

TEST_F(ListSelection, EachModeAppliesAClickAsItsTableSays) {
  using S = std::vector<std::string>;
  const struct {
    const char* what;
    UInt8 mode;
    bool range;
    std::vector<Click> before;
    Click click;
    Boolean result, changed, added;
    S reports;
    const char* marked;
  } cases[] = {
      // clang-format off
      {"mode 0 selects nothing", 0, false, {}, {kDown, false, 1, 1}, 0, 7, 7, {}, ""},
      {"one cell: the old anchor leaves, the new one enters", 1, false, {{kDown, false, 1, 1}},
       {kDown, false, 2, 2}, 1, 1, 0, {"0:1,1", "3:2,2"}, ""},
      {"one row", 3, false, {{kDown, false, 1, 1}}, {kDown, false, 1, 2}, 1, 1, 0,
       {"1:1", "4:2"}, ""},
      {"one column", 5, false, {{kDown, false, 1, 1}}, {kDown, false, 2, 1}, 1, 1, 0,
       {"2:1", "5:2"}, ""},
      {"a plain click is the anchor but is not marked", 4, false, {}, {kDown, false, 1, 5}, 1, 1,
       0, {"4:5"}, ""},
      {"Shift without range selection adds the row", 4, false, {{kDown, false, 1, 5}},
       {kDown, true, 1, 2}, 1, 1, 0, {"4:2"}, ""},
      {"Shift with range selection marks from the anchor", 4, true, {{kDown, false, 1, 5}},
       {kDown, true, 1, 2}, 1, 1, 1, {"4:4,3,2"}, "R2 R3 R4 R5"},
      {"the range moves past the anchor", 4, true, {{kDown, false, 1, 5}, {kDown, true, 1, 2}},
       {kDown, true, 1, 7}, 1, 1, 1, {"1:4,3,2", "4:6,7"}, "R5 R6 R7"},
      {"the same range again reports nothing", 4, true,
       {{kDown, false, 1, 5}, {kDown, true, 1, 2}}, {kDown, true, 1, 2}, 1, 0, 0, {},
       "R2 R3 R4 R5"},
      {"a plain click on the marked range keeps it for a drag", 4, true,
       {{kDown, false, 1, 5}, {kDown, true, 1, 2}}, {kDown, false, 1, 3}, 1, 0, 0, {},
       "R2 R3 R4 R5"},
      {"a plain click elsewhere clears the range", 4, true,
       {{kDown, false, 1, 5}, {kDown, true, 1, 3}}, {kDown, false, 1, 8}, 1, 1, 0,
       {"1:5,4,3", "4:8"}, ""},
      {"a later moment ignores a plain click", 4, true, {{kDown, false, 1, 5}},
       {kLMgrSelectTiming1, false, 1, 2}, 1, 0, 0, {}, ""},
      {"the second moment keeps only the clicked row", 4, true,
       {{kDown, false, 1, 5}, {kDown, true, 1, 3}}, {kLMgrSelectTiming2, false, 1, 4}, 1, 1, 0,
       {"1:5,3"}, "R4"},
      {"the kept row stays the anchor that a later click clears", 4, true,
       {{kDown, false, 1, 5}, {kDown, true, 1, 3}, {kLMgrSelectTiming2, false, 1, 4}},
       {kDown, false, 1, 8}, 1, 1, 0, {"1:4", "4:8"}, ""},
      {"a range grows from the kept row", 4, true,
       {{kDown, false, 1, 5}, {kDown, true, 1, 3}, {kLMgrSelectTiming2, false, 1, 4}},
       {kDown, true, 1, 6}, 1, 1, 1, {"4:5,6"}, "R4 R5 R6"},
      {"a range of cells grows from the kept cell", 2, true,
       {{kDown, false, 2, 2}, {kDown, true, 3, 3}, {kLMgrSelectTiming2, false, 3, 3}},
       {kDown, true, 4, 4}, 1, 1, 1, {"3:4,3 3,4 4,4"}, "3,3 4,3 3,4 4,4"},
      {"the second moment on another row", 4, true, {{kDown, false, 1, 5}, {kDown, true, 1, 4}},
       {kLMgrSelectTiming2, false, 1, 7}, 1, 1, 0, {"1:5,4", "4:7"}, ""},
      {"Shift at the second moment does nothing", 4, true, {{kDown, false, 1, 5}},
       {kLMgrSelectTiming2, true, 1, 2}, 1, 0, 0, {}, ""},
      {"a range of cells", 2, true, {{kDown, false, 2, 2}}, {kDown, true, 4, 3}, 1, 1, 1,
       {"3:3,2 4,2 2,3 3,3 4,3"}, "2,2 3,2 4,2 2,3 3,3 4,3"},
      {"a range of cells shrinks", 2, true, {{kDown, false, 2, 2}, {kDown, true, 4, 3}},
       {kDown, true, 3, 2}, 1, 1, 0, {"0:4,2 2,3 3,3 4,3"}, "2,2 3,2"},
      {"a range of cells upward and leftward", 2, true, {{kDown, false, 3, 3}},
       {kDown, true, 2, 2}, 1, 1, 1, {"3:2,3 3,2 2,2"}, "2,2 3,2 2,3 3,3"},
      {"a row that is not there", 4, false, {}, {kDown, false, 1, 9}, 0, 0, 0, {}, ""},
      {"a cell that is not there", 1, false, {}, {kDown, false, 5, 1}, 0, 0, 0, {}, ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    MakeSelectionList(c.mode, c.range);
    for (const Click& b : c.before) Apply(b);
    Reports().clear();
    Boolean changed = 7, added = 7;
    EXPECT_EQ(Apply(c.click, &changed, &added), c.result) << c.what;
    EXPECT_EQ(changed, c.changed) << c.what;
    EXPECT_EQ(added, c.added) << c.what;
    EXPECT_EQ(Reports(), c.reports) << c.what;
    EXPECT_EQ(Marked(), c.marked) << c.what;
  }
}

TEST_F(ListSelection, ShiftOnAMarkedItemTakesItOutOrClearsASingleSelection) {
  MakeSelectionList(kLMgrSelectRows, true);
  Apply({kDown, false, 1, 5});
  Apply({kDown, true, 1, 3});
  list_->SetupRangeSelection(false);
  Reports().clear();
  Boolean changed = 7;
  Apply({kDown, true, 1, 4}, &changed);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"1:4"}));
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(Marked(), "R3 R5");
  EXPECT_EQ(list_->GetSelectedRowsHead()->GetReferenceNo(), 5) << "the anchor stays";

  list_->SetupSelectionMode(kLMgrSelectOneRow);
  Reports().clear();
  Apply({kDown, true, 1, 3}, &changed);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"1:5,3"}));
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(Marked(), "");
  EXPECT_EQ(list_->GetSelectedRowsHead(), nullptr);
}

TEST_F(ListSelection, ARangeOfColumnsMarksWholeColumnsAndTakesCellsOut) {
  MakeSelectionList(kLMgrSelectCells, true);
  Apply({kDown, false, 4, 4});
  Apply({kDown, true, 4, 5});
  list_->SetupSelectionMode(kLMgrSelectColumns);
  Reports().clear();
  Apply({kDown, false, 1, 8});
  Boolean changed = 0, added = 0;
  Apply({kDown, true, 3, 1}, &changed, &added);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"0:4,4 4,5", "5:1", "5:2,3"}));
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(added, 1);
  for (short row = 1; row <= 8; ++row) {
    EXPECT_EQ(list_->IsSelection(2, row), 1) << row;
    EXPECT_EQ(list_->IsSelection(4, row), 0) << row;
  }
}

TEST_F(ListSelection, DeletedLinesAndCellsLeaveTheSelection) {
  MakeSelectionList(kLMgrSelectRows, true);
  Apply({kDown, false, 1, 2});
  Apply({kDown, true, 1, 5});
  list_->DeleteRow(3, 2, 0);  // rows 3 and 4 go; row 5 becomes 3
  list_->DeleteRow(1, 2, 0);  // the anchor goes
  Reports().clear();
  list_->ClearAllSelectionListItem(1, nullptr, 1, nullptr, 1);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"1:1"}));
  EXPECT_EQ(Marked(), "");

  MakeSelectionList(kLMgrSelectCells, true);
  Apply({kDown, false, 1, 1});
  Apply({kDown, true, 2, 3});
  list_->DeleteColl(1, 1, 0);
  list_->DeleteRow(2, 1, 0);
  Reports().clear();
  list_->ClearAllSelectionListItem(1, nullptr, 1, nullptr, 1);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"0:1,1 1,2"}));
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ListSelection, ClearingEveryFlagKeepsTheChains) {
  MakeSelectionList(kLMgrSelectRows, true);
  Apply({kDown, false, 1, 2});
  Apply({kDown, true, 1, 3});
  Boolean changed = 7;
  list_->ClearAllSelection(&changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(Marked(), "");
  list_->ClearAllSelection(&changed);
  EXPECT_EQ(changed, 0);
  Reports().clear();
  list_->ClearAllSelectionListItem(1, nullptr, 0, nullptr, 1);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"1:2,3"}));

  // A column or a cell alone counts as a change too.
  for (UInt8 mode : {kLMgrSelectColumns, kLMgrSelectCells}) {
    MakeSelectionList(mode, true);
    Apply({kDown, false, 1, 1});
    Apply({kDown, true, 2, 1});
    ASSERT_NE(Marked(), "") << int(mode);
    list_->ClearAllSelection(&changed);
    EXPECT_EQ(changed, 1) << int(mode);
    EXPECT_EQ(Marked(), "") << int(mode);
  }
}

// A range that shrinks loses lines at whichever end moved back towards the anchor: those
// lines, and only those, are reported as left and unmarked; the rest stays marked and
// nothing is reported as entered.
TEST_F(ListSelection, ARangeShrinksAtEitherEndReportingWhatLeft) {
  using S = std::vector<std::string>;
  const struct {
    const char* what;
    UInt8 mode;
    std::vector<Click> before;
    Click click;
    S reports;
    const char* marked;  // rows marked whole, or the cells; columns as the cells of each row
  } cases[] = {
      // clang-format off
      {"rows lose lines at the high end", kLMgrSelectRows,
       {{kDown, false, 1, 5}, {kDown, true, 1, 8}}, {kDown, true, 1, 6}, {"1:7,8"}, "R5 R6"},
      {"rows lose lines at the low end", kLMgrSelectRows,
       {{kDown, false, 1, 5}, {kDown, true, 1, 2}}, {kDown, true, 1, 4}, {"1:3,2"}, "R4 R5"},
      {"rows shrink to the anchor", kLMgrSelectRows,
       {{kDown, false, 1, 5}, {kDown, true, 1, 8}}, {kDown, true, 1, 5}, {"1:6,7,8"}, "R5"},
      {"columns lose lines at the high end", kLMgrSelectColumns,
       {{kDown, false, 1, 1}, {kDown, true, 4, 1}}, {kDown, true, 2, 1}, {"2:3,4"},
       "1,1 2,1 1,2 2,2 1,3 2,3 1,4 2,4 1,5 2,5 1,6 2,6 1,7 2,7 1,8 2,8"},
      {"columns lose lines at the low end", kLMgrSelectColumns,
       {{kDown, false, 4, 1}, {kDown, true, 1, 1}}, {kDown, true, 3, 1}, {"2:2,1"},
       "3,1 4,1 3,2 4,2 3,3 4,3 3,4 4,4 3,5 4,5 3,6 4,6 3,7 4,7 3,8 4,8"},
      {"cells lose their low row and column", kLMgrSelectCells,
       {{kDown, false, 4, 4}, {kDown, true, 2, 2}}, {kDown, true, 3, 3},
       {"0:2,4 2,3 4,2 3,2 2,2"}, "3,3 4,3 3,4 4,4"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MakeSelectionList(c.mode, true);
    for (const Click& b : c.before) Apply(b);
    Reports().clear();
    Boolean changed = 7, added = 7;
    EXPECT_EQ(Apply(c.click, &changed, &added), 1);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(Reports(), c.reports);
    EXPECT_EQ(Marked(), c.marked);
  }
}

}  // namespace
