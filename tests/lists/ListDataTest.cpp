// Cell data and behaviour: unchanged data marks nothing, resources go back to the resource
// manager with the data that held them, cleared cells leave the screen, and behaviour records
// reach the cells they name.
#include "ListTestSupport.h"

namespace {

using list_test::Cell;
using list_test::Colour;
using list_test::kWhite;
using list_test::ListFixture;

constexpr SInt16 kRedBluePicture = 9070;  // 4 x 2: two red columns, then two blue
constexpr SInt16 kRedSquareIcon = 9072;   // 16 x 16: a red square (4, 4)-(12, 12)

class ListData : public ListFixture {};

TEST_F(ListData, SettingTheSameDataAgainAnswersZeroAndMarksNothing) {
  const struct {
    const char* what;
    Boolean (*set)(cLMgr_List_Base*);
  } cases[] = {
      {"text", [](cLMgr_List_Base* l) { return l->SetupStringData(2, 2, "same", 0); }},
      {"integer", [](cLMgr_List_Base* l) { return l->SetupData(2, 2, SInt32(42), 0); }},
      {"short", [](cLMgr_List_Base* l) { return l->SetupData(2, 2, short(42), 0); }},
      {"float", [](cLMgr_List_Base* l) { return l->SetupData(2, 2, 1.5f, 0); }},
      {"picture",
       [](cLMgr_List_Base* l) { return l->SetupPictData(2, 2, kRedBluePicture, 0, 4, 2, 0); }},
  };
  for (const auto& c : cases) {
    MakeList(3, 3);
    Redraw();
    c.set(list_.get());
    EXPECT_EQ(list_->IsWaitRedraw(), 1) << c.what << ": new data is marked";
    Redraw();
    const Boolean again = c.set(list_.get());
    if (std::string(c.what) != "picture") {
      EXPECT_EQ(again, 0) << c.what;
    }
    EXPECT_EQ(list_->IsWaitRedraw(), 0) << c.what << ": the same data again is not";
  }
  MakeList(3, 3);
  list_->SetupStringData(1, 1, "one", 0);
  EXPECT_EQ(list_->SetupStringData(1, 1, "two", 0), 1);
  EXPECT_EQ(list_->SetupData(1, 1, SInt32(2), 0), 1) << "another kind is new data";
}

TEST_F(ListData, PicturesAndIconsGoBackToTheResourceManagerWithTheirCells) {
  MakeList(3, 3);
  ASSERT_EQ(list_->SetupPictData(2, 1, kRedBluePicture, 0, 4, 2, 0), 1);
  ASSERT_EQ(list_->SetupPictData(2, 2, kRedBluePicture, 0, 4, 2, 0), 1);
  ASSERT_EQ(list_->SetupCIconData(3, 1, kRedSquareIcon, 16, 16, 0), 1);
  // A loan of the test's own keeps the item alive to count the cells' loans.
  SInt32 ownLoan = 0;
  cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(kRedBluePicture, ownLoan);
  ASSERT_NE(item, nullptr);
  auto users = [&] {
    int n = 0;
    for (auto* u = item->GetUserListHead(); u; u = u->GetNextObjectPtr()) ++n;
    return n;
  };
  ASSERT_EQ(users(), 3);

  EXPECT_EQ(list_->SetupStringData(2, 1, nullptr, 0), 1) << "a null text empties the cell";
  EXPECT_EQ(users(), 2);
  EXPECT_EQ(list_->ClearDataInCell(3, 1, 0), 1);
  list_->DeleteRow(2, 1, 0);
  EXPECT_EQ(users(), 1) << "only the test's own loan is left";
  sLMgr_Cell* cell = nullptr;
  ASSERT_EQ(list_->GetCellPtr(2, 1, &cell), 1);
  EXPECT_EQ(cell->kind, kLMgrNoData);
  EXPECT_EQ(cell->picture, nullptr);
  Sp_ResM_ReleasePicture(item, ownLoan);
}

TEST_F(ListData, ClearedCellsLeaveTheScreenAtOnceOrAtTheNextUpdate) {
  const struct {
    const char* what;
    void (*clear)(cLMgr_List_Base*);
    bool redrawnAtOnce;
    bool rowOneKept;
  } cases[] = {
      {"a cell, drawn now", [](cLMgr_List_Base* l) { l->ClearDataInCell(1, 2, 1); }, true, true},
      {"a cell, marked", [](cLMgr_List_Base* l) { l->ClearDataInCell(1, 2, 0); }, false, true},
      {"a row, drawn now", [](cLMgr_List_Base* l) { l->ClearDataInRow(2, 1, 1); }, true, true},
      {"a row, marked", [](cLMgr_List_Base* l) { l->ClearDataInRow(2, 1, 0); }, false, true},
      {"to the end", [](cLMgr_List_Base* l) { l->ClearDataInRow(2, -1, 1); }, true, true},
      {"a column", [](cLMgr_List_Base* l) { l->ClearDataInCol(1, 1, 1); }, true, false},
  };
  const RGBColor red = Colour(list_test::kRed);
  for (const auto& c : cases) {
    MakeList(3, 2);
    for (short row = 1; row <= 3; ++row) {
      list_->SetCellForeColor(1, row, &red, 0);
      list_->SetupStringData(1, row, "MMMMMM", 0);
    }
    Redraw();
    // The middle of row 2's text, on the glyphs' bottom row (the baseline's row above).
    const short h = short(kArea.left + 17), v = short(kArea.top + 15 + 11);
    ASSERT_EQ(Px(h, v), list_test::kRed) << c.what;
    c.clear(list_.get());
    EXPECT_EQ(Px(h, v), c.redrawnAtOnce ? kWhite : list_test::kRed) << c.what;
    Redraw();
    EXPECT_EQ(Px(h, v), kWhite) << c.what;
    EXPECT_EQ(Px(h, short(v - 15)), c.rowOneKept ? list_test::kRed : kWhite) << c.what;
  }
}

TEST_F(ListData, BehaviourRecordsReachTheCellsTheyName) {
  MakeList(3, 3);
  sLMgrCellBehaviorStruct b;
  ASSERT_EQ(list_->GetCellBehaviorData(0, 0, &b), 1);
  EXPECT_EQ(b.horizontalInset, 1);
  EXPECT_EQ(b.firstPosition, 2);
  b.textSize = 9;
  EXPECT_EQ(list_->SetCellBehaviorData(0, 0, &b, 0), 1);
  b.textSize = 14;
  EXPECT_EQ(list_->SetCellBehaviorData(2, 0, &b, 0), 1);
  EXPECT_EQ(list_->SetCellBehaviorData(4, 0, &b, 0), 0) << "past the last column";
  EXPECT_EQ(list_->SetCellBehaviorData(-1, 1, &b, 0), 0);
  short size = 0;
  const short expected[3][3] = {{9, 14, 9}, {9, 14, 9}, {9, 14, 9}};
  for (short row = 1; row <= 3; ++row) {
    for (short column = 1; column <= 3; ++column) {
      ASSERT_EQ(list_->GetCellStringSize(column, row, &size), 1);
      EXPECT_EQ(size, expected[row - 1][column - 1]) << column << "," << row;
    }
  }
  ASSERT_EQ(list_->GetCellBehaviorData(0, 2, &b), 1);
  EXPECT_EQ(b.textSize, 9) << "a row's own record, not its cells'";
  EXPECT_EQ(list_->GetCellBehaviorData(1, 9, &b), 0);
  EXPECT_EQ(b.textSize, 0) << "zero-filled when there is no such cell";
  list_->AddRow(-1, 1);
  ASSERT_EQ(list_->GetCellStringSize(2, 4, &size), 1);
  EXPECT_EQ(size, 14) << "an appended row takes its columns' records";
}

TEST_F(ListData, BehaviourRecordsReachTheLastRowAndColumnAndNothingPastThem) {
  MakeList(2, 3);  // 2 rows, 3 columns
  const struct {
    short column, row;
    Boolean taken;
  } cases[] = {{3, 0, 1}, {4, 0, 0}, {0, 2, 1}, {0, 3, 0}, {3, 2, 1}, {4, 2, 0}, {3, 3, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.column) + "," + std::to_string(c.row));
    sLMgrCellBehaviorStruct b;
    ASSERT_EQ(list_->GetCellBehaviorData(0, 0, &b), 1);
    b.textSize = short(20 + c.column * 4 + c.row);
    EXPECT_EQ(list_->SetCellBehaviorData(c.column, c.row, &b, 0), c.taken);
    sLMgrCellBehaviorStruct back;
    EXPECT_EQ(list_->GetCellBehaviorData(c.column, c.row, &back), c.taken);
    EXPECT_EQ(back.textSize, c.taken ? b.textSize : 0);
  }
}

// Lines added in front take the records of the lines across them; the lines they push back
// keep their cells' own records.
TEST_F(ListData, LinesAddedInFrontLeaveTheCellsTheyPushBackAsTheyWere) {
  for (bool rows : {true, false}) {
    SCOPED_TRACE(rows ? "rows" : "columns");
    MakeList(3, 3);
    sLMgrCellBehaviorStruct defaults;
    ASSERT_EQ(list_->GetCellBehaviorData(0, 0, &defaults), 1);
    ASSERT_NE(defaults.textSize, 20);
    auto size = [&](short line, short cross) {
      short value = 0;
      EXPECT_EQ(rows ? list_->GetCellStringSize(cross, line, &value)
                     : list_->GetCellStringSize(line, cross, &value),
                1);
      return value;
    };
    for (short cross = 1; cross <= 3; ++cross) {
      rows ? list_->SetCellStringSize(cross, 1, 20, 0) : list_->SetCellStringSize(1, cross, 20, 0);
    }
    if (rows) {
      list_->AddRow(0, 2);
    } else {
      list_->AddColumn(0, 2);
    }
    for (short cross = 1; cross <= 3; ++cross) {
      SCOPED_TRACE(cross);
      EXPECT_EQ(size(1, cross), defaults.textSize);
      EXPECT_EQ(size(2, cross), defaults.textSize);
      EXPECT_EQ(size(3, cross), 20) << "the first line, pushed back";
      EXPECT_EQ(size(4, cross), defaults.textSize);
    }
  }
}

}  // namespace
