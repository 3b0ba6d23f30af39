// The list's rows, columns and cells: adding and deleting lines keeps the grid whole and
// numbered, cells come from pooled blocks, and a window point finds its cell.
#include <set>

#include "ListTestSupport.h"

namespace {

using list_test::Cell;
using list_test::ListFixture;

class ListStorage : public ListFixture {
 protected:
  // Five rows "a" to "e" in column 1; row 5 is 30 high.
  void MakeTaggedList() {
    MakeList(5, 3);
    const char* tags[] = {"a", "b", "c", "d", "e"};
    for (short row = 1; row <= 5; ++row) list_->SetupStringData(1, row, tags[row - 1], 0);
    list_->SetRowHeight(5, 30, 0);
  }
  std::vector<short> Heights() const {
    std::vector<short> out;
    for (cLMgr_CellRoot* r = list_->GetRowRootListHeadPtr(); r; r = r->GetNextObjectPtr()) {
      out.push_back(r->size);
    }
    return out;
  }
};

TEST_F(ListStorage, AddingAndDeletingRowsKeepsTheGridNumberedAndWhole) {
  using V = std::vector<std::string>;
  const struct {
    const char* what;
    void (*op)(cLMgr_List_Base*);
    V tags;
    std::vector<short> heights;
  } cases[] = {
      // clang-format off
      {"two in front take the default height", [](cLMgr_List_Base* l) { l->AddRow(0, 2); },
       {"", "", "a", "b", "c", "d", "e"}, {15, 15, 15, 15, 15, 15, 30}},
      {"behind row 1 takes row 1's height", [](cLMgr_List_Base* l) { l->AddRow(1, 1); },
       {"a", "", "b", "c", "d", "e"}, {15, 15, 15, 15, 15, 30}},
      {"past the end appends with the last row's height",
       [](cLMgr_List_Base* l) { l->AddRow(9, 2); }, {"a", "b", "c", "d", "e", "", ""},
       {15, 15, 15, 15, 30, 30, 30}},
      {"-1 appends", [](cLMgr_List_Base* l) { l->AddRow(-1, 1); },
       {"a", "b", "c", "d", "e", ""}, {15, 15, 15, 15, 30, 30}},
      {"delete -1 takes the last", [](cLMgr_List_Base* l) { l->DeleteRow(-1, 1, 0); },
       {"a", "b", "c", "d"}, {15, 15, 15, 15}},
      {"delete from 0 starts at the first", [](cLMgr_List_Base* l) { l->DeleteRow(0, 2, 0); },
       {"c", "d", "e"}, {15, 15, 30}},
      {"delete from 1 starts at the first", [](cLMgr_List_Base* l) { l->DeleteRow(1, 2, 0); },
       {"c", "d", "e"}, {15, 15, 30}},
      {"delete in the middle", [](cLMgr_List_Base* l) { l->DeleteRow(2, 2, 0); },
       {"a", "d", "e"}, {15, 15, 30}},
      {"more than exist stops at the last", [](cLMgr_List_Base* l) { l->DeleteRow(4, 99, 0); },
       {"a", "b", "c"}, {15, 15, 15}},
      {"a count of 0 deletes nothing", [](cLMgr_List_Base* l) { l->DeleteRow(2, 0, 0); },
       {"a", "b", "c", "d", "e"}, {15, 15, 15, 15, 30}},
      {"a negative count deletes nothing", [](cLMgr_List_Base* l) { l->DeleteRow(2, -3, 0); },
       {"a", "b", "c", "d", "e"}, {15, 15, 15, 15, 30}},
      {"a row that is not there deletes nothing", [](cLMgr_List_Base* l) { l->DeleteRow(6, 1, 0); },
       {"a", "b", "c", "d", "e"}, {15, 15, 15, 15, 30}},
      {"a column in front gives every row a cell", [](cLMgr_List_Base* l) { l->AddColumn(0, 1); },
       {"", "", "", "", ""}, {15, 15, 15, 15, 30}},
      {"deleting column 1 takes its cells", [](cLMgr_List_Base* l) { l->DeleteColl(1, 1, 0); },
       {"", "", "", "", ""}, {15, 15, 15, 15, 30}},
      // clang-format on
  };
  for (const auto& c : cases) {
    MakeTaggedList();
    c.op(list_.get());
    EXPECT_EQ(Column(1), c.tags) << c.what;
    EXPECT_EQ(Heights(), c.heights) << c.what;
    EXPECT_EQ(GridFaults(), "") << c.what;
    short extent = 0;
    for (short h : c.heights) extent = short(extent + h);
    EXPECT_EQ(list_->GetRowAreaSize(), extent) << c.what;
  }
}

TEST_F(ListStorage, CellsComeFromBlocksOfFourHundredAndReturnedCellsAreTakenAgain) {
  MakeList(0, 5);
  list_->AddRow(-1, 80);
  EXPECT_EQ(list_->GetCellBlocks().CountBlocks(), 1);
  EXPECT_EQ(list_->GetCellBlocks().CountFreeSlots(), 0);
  list_->AddRow(-1, 1);  // 401 cells
  EXPECT_EQ(list_->GetCellBlocks().CountBlocks(), 2);
  for (short row = 1; row <= 81; ++row) list_->SetupStringData(2, row, "text", 0);
  list_->DeleteRow(1, 40, 0);
  EXPECT_EQ(list_->GetCellBlocks().CountFreeSlots(), 800 - 205);
  list_->AddRow(0, 40);
  EXPECT_EQ(list_->GetCellBlocks().CountBlocks(), 2) << "returned cells serve before a new block";
  EXPECT_EQ(list_->GetCellBlocks().CountFreeSlots(), 800 - 405);
  EXPECT_EQ(Column(2)[0], "") << "a reused cell holds nothing of its past";
  EXPECT_EQ(GridFaults(), "");
}

TEST_F(ListStorage, AWindowPointFindsTheCellWhoseInnerAreaHoldsIt) {
  MakeList(3, 3);
  list_->SetupRowLineWidth(-1, 0, 1);  // rows: 15 inside, then one line: 0-14, 15 | 16-30, 31
  list_->SetupColLineWidth(2, 2, 0);   // column 2 starts with two line pixels: 40-41 | 42-81
  const short left = kArea.left, top = kArea.top;
  const struct {
    const char* what;
    short h, v;
    bool found;
    short column, row;
  } cases[] = {
      {"first pixel", 0, 0, true, 1, 1},
      {"last pixel of row 1", 0, 14, true, 1, 1},
      {"row 1's end line", 0, 15, false, 0, 0},
      {"first pixel of row 2", 0, 16, true, 1, 2},
      {"column 2's start line", 40, 5, false, 0, 0},
      {"column 2's start line, second pixel", 41, 5, false, 0, 0},
      {"first pixel of column 2", 42, 5, true, 2, 1},
      {"last pixel of the last column", 121, 5, true, 3, 1},
      {"right of the last column", 122, 5, false, 0, 0},
      {"below the last row", 0, 48, false, 0, 0},
      {"outside the list", -1, 5, false, 0, 0},
  };
  for (const auto& c : cases) {
    Point cell = Cell(-9, -9);
    EXPECT_EQ(
        list_->GetCellOnWindowLocalPosition(Point{short(top + c.v), short(left + c.h)}, &cell),
        c.found ? 1 : 0)
        << c.what;
    if (c.found) {
      EXPECT_EQ(cell.h, c.column) << c.what;
      EXPECT_EQ(cell.v, c.row) << c.what;
    }
  }
  list_->AddRow(-1, 7);  // enough rows for the list to scroll
  short h = -1, v = 16;
  ASSERT_EQ(list_->SetScrollValue(h, v, 0, 0, 0, 0), 1);
  Point cell;
  ASSERT_EQ(list_->GetCellOnWindowLocalPosition(Point{top, left}, &cell), 1);
  EXPECT_EQ(cell.v, 2) << "scrolled by a row, the top shows row 2";
  Rect onWindow;
  ASSERT_EQ(list_->GetCellArea(Cell(1, 2), nullptr, nullptr, &onWindow), 1);
  EXPECT_EQ(onWindow.top, top);
  EXPECT_EQ(list_->GetCellArea(Cell(1, 11), nullptr, nullptr, &onWindow), 0);
}

TEST_F(ListStorage, NewRowsTakeTheRowAboveWhenInsertedAndTheirColumnsWhenAppended) {
  MakeList(0, 3);
  list_->EnableOutputStringModifyBehavior(-1, 3, 0x4000);  // column 3, before any row
  list_->AddRow(-1, 2);
  sLMgrCellBehaviorStruct big;
  ASSERT_EQ(list_->GetCellBehaviorData(0, 0, &big), 1);
  big.textSize = 20;
  ASSERT_EQ(list_->SetCellBehaviorData(0, 2, &big, 0), 1);
  list_->EnableOutputStringModifyBehavior(2, 1, 0);  // the cell (1, 2) alone
  list_->AddRow(2, 1);                               // behind row 2: row 3 copies it
  list_->AddRow(-1, 1);                              // appended: row 4 takes its columns'
  auto cell = [&](short column, short row) {
    sLMgr_Cell* c = nullptr;
    list_->GetCellPtr(column, row, &c);
    return c;
  };
  for (short row = 1; row <= 4; ++row) {
    EXPECT_EQ(cell(3, row)->stringModifyOn, 1) << row;
    EXPECT_EQ(cell(3, row)->stringModifyType, 0x4000) << row;
  }
  EXPECT_EQ(cell(1, 3)->stringModifyOn, 1) << "copied from the cell above";
  EXPECT_EQ(cell(1, 4)->stringModifyOn, 0);
  EXPECT_EQ(cell(2, 3)->behavior.textSize, 20);
  EXPECT_EQ(cell(2, 4)->behavior.textSize, 0);
  sLMgrCellBehaviorStruct row2;
  ASSERT_EQ(list_->GetCellBehaviorData(0, 2, &row2), 1);
  EXPECT_EQ(row2.textSize, 20) << "the row root's own record";
  EXPECT_EQ(GridFaults(), "");
}

TEST_F(ListStorage, ResizingMovesTheViewAndTheHotSpotWithTheList) {
  MakeList(3, 3);
  EXPECT_EQ(list_->Resize(-1, 100, 0), 0) << "neither side changes";
  EXPECT_EQ(list_->Resize(120, -1, 0), 1);
  Rect area, hotSpot;
  list_->GetImmediateDrawingArea(&area);
  ASSERT_EQ(list_->GetHotSpotArea(hotSpot), 1);
  const Rect expected = {kArea.top, kArea.left, kArea.bottom, short(kArea.left + 120)};
  EXPECT_TRUE(EqualRect(&area, &expected));
  EXPECT_TRUE(EqualRect(&hotSpot, &expected));
  Point cell;
  EXPECT_EQ(list_->GetCellOnWindowLocalPosition(Point{kArea.top, short(kArea.left + 121)}, &cell),
            0)
      << "a point right of the smaller list";
}

TEST_F(ListStorage, AListMadeWithoutRowsHasColumnsAndNoCells) {
  cLMgr_List_Base* list =
      Sp_CreateNewList(window_, kArea, 40, 18, 0, 5, 0, nullptr, nullptr, nullptr, 1);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetNumOfColumn(), 5);
  EXPECT_EQ(list->GetNumOfRow(), 0);
  EXPECT_EQ(list->GetCellBlocks().CountBlocks(), 0);
  EXPECT_EQ(list->IsEnableView(), 0) << "made with its output off";
  list->AddRow(-1, 3);
  EXPECT_EQ(list->GetCellBlocks().CountFreeSlots(), 400 - 15);
  EXPECT_EQ(list->GetRowAreaSize(), 60) << "18 and a separator of 1 above and below";
  delete list;
}

}  // namespace

namespace {

// A cell given back twice is reported once and stays free once: the pool never hands it to
// two callers, nor hands out the cell still in use.
TEST(ListCellBlocks, ACellGivenBackTwiceIsReportedOnceAndServesOneCallerOnly) {
  cLMgr_CellBlockList blocks;
  sLMgr_Cell* kept = blocks.NewCell(4);
  sLMgr_Cell* twice = blocks.NewCell(4);
  ASSERT_NE(kept, nullptr);
  ASSERT_NE(twice, nullptr);
  ErrorLogCapture log;
  twice->block->PutTrashCell(twice);
  twice->block->PutTrashCell(twice);
  EXPECT_EQ(log.Count(), 1u);
  EXPECT_TRUE(log.Has("cLMgr_Cell_Block::PutTrashCell", 1));
  EXPECT_EQ(blocks.CountFreeSlots(), 3);
  std::set<sLMgr_Cell*> taken = {kept};
  for (int i = 0; i < 3; ++i) {
    sLMgr_Cell* cell = blocks.NewCell(4);
    EXPECT_TRUE(taken.insert(cell).second) << "cell " << i << " was handed out already";
  }
  EXPECT_EQ(blocks.CountBlocks(), 1);
  EXPECT_EQ(blocks.CountFreeSlots(), 0);
}

}  // namespace
