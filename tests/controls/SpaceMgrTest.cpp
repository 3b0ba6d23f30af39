// The space manager: divisions, snapping, refusals, reference numbers, growth and its pool.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpSpaceMgrObject.h"
#include "SpTesting.h"

namespace {

std::vector<SInt32> Lines(const cSMO_SpaceRoot* first) {
  std::vector<SInt32> lines;
  for (const cSMO_SpaceRoot* r = first; r != nullptr; r = r->GetNextObjectPtr()) {
    if (lines.empty()) lines.push_back(r->GetStartPosition());
    lines.push_back(r->GetEndPosition());
  }
  return lines;
}

std::vector<const cSMO_SpaceRoot*> Roots(const cSMO_SpaceRoot* first) {
  std::vector<const cSMO_SpaceRoot*> roots;
  for (const cSMO_SpaceRoot* r = first; r != nullptr; r = r->GetNextObjectPtr()) {
    roots.push_back(r);
  }
  return roots;
}

// Checks every link of the grid: rows and columns follow each other without gaps and are
// numbered 1, 2, ...; each row holds one cell per column in order and each column one per
// row; a cell is occupied exactly when it is in its owner's chain.
void ExpectConsistentGrid(const cSMO_SpaceMgrObject& m) {
  const auto rows = Roots(m.GetFirstRowRoot());
  const auto columns = Roots(m.GetFirstColumnRoot());
  ASSERT_FALSE(rows.empty());
  ASSERT_FALSE(columns.empty());
  for (const auto* roots : {&rows, &columns}) {
    for (std::size_t i = 0; i < roots->size(); ++i) {
      EXPECT_EQ(SInt32(i + 1), (*roots)[i]->GetReferenceNo());
      if (i > 0) {
        EXPECT_EQ((*roots)[i - 1]->GetEndPosition(), (*roots)[i]->GetStartPosition());
      }
    }
  }
  std::size_t occupied = 0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const sSMO_SpaceItem* c = rows[r]->GetSpaceItemListHead();
    const sSMO_SpaceItem* previous = nullptr;
    for (std::size_t k = 0; k < columns.size(); previous = c, ++k, c = c->rowNext) {
      ASSERT_NE(nullptr, c);
      EXPECT_EQ(previous, c->rowPrevious);
      EXPECT_EQ(rows[r], c->row);
      EXPECT_EQ(columns[k], c->column);
      EXPECT_EQ(c->occupied != 0, c->owner != nullptr);
      occupied += c->occupied != 0;
    }
    EXPECT_EQ(nullptr, c) << "row " << r << " has more cells than columns";
  }
  for (std::size_t k = 0; k < columns.size(); ++k) {
    const sSMO_SpaceItem* c = columns[k]->GetSpaceItemListHead();
    const sSMO_SpaceItem* previous = nullptr;
    for (std::size_t r = 0; r < rows.size(); previous = c, ++r, c = c->columnNext) {
      ASSERT_NE(nullptr, c);
      EXPECT_EQ(previous, c->columnPrevious);
      EXPECT_EQ(rows[r], c->row);
      EXPECT_EQ(columns[k], c->column);
    }
    EXPECT_EQ(nullptr, c);
  }
  std::size_t chained = 0;
  for (const cSMO_UserItem* u = m.GetFirstUser(); u != nullptr; u = u->GetNextObjectPtr()) {
    for (const sSMO_SpaceItem* c = u->GetFirstSpaceItem(); c != nullptr; c = c->ownerNext) {
      EXPECT_EQ(u, c->owner);
      ++chained;
    }
  }
  EXPECT_EQ(occupied, chained);
}

// The reference number of the owner of the cell holding the point (from the origin), 0 when
// free.
UInt32 OwnerAt(const cSMO_SpaceMgrObject& m, SInt32 x, SInt32 y) {
  for (const cSMO_SpaceRoot* r = m.GetFirstRowRoot(); r != nullptr; r = r->GetNextObjectPtr()) {
    for (const sSMO_SpaceItem* c = r->GetSpaceItemListHead(); c != nullptr; c = c->rowNext) {
      if (c->row->TargetPositionInMyArea(y, 1, 0) && c->column->TargetPositionInMyArea(x, 1, 0)) {
        return c->owner != nullptr ? c->owner->GetUserReferenceNo() : 0;
      }
    }
  }
  return 0;
}

struct Rect4 {
  SInt32 x, y, w, h;
};

Rect4 Occupied(const cSMO_SpaceMgrObject& m, UInt32 number) {
  Rect4 r{};
  m.GetFirstUser()->GetReferenceOwner(number)->GetOccupySpace(r.x, r.y, r.w, r.h);
  return r;
}

std::unique_ptr<cSMO_SpaceMgrObject> Manager(SInt32 left = 0, SInt32 top = 0, SInt32 width = 100,
                                             SInt32 height = 50, SInt32 cellsPerBlock = 16) {
  return std::make_unique<cSMO_SpaceMgrObject>(left, top, width, height, cellsPerBlock);
}

TEST(SpaceMgr, FirstRegistrationDividesAtItsEdgesAndTakesOneCell) {
  for (SInt32 origin : {0, 10}) {
    auto m = Manager(origin, origin);
    EXPECT_EQ((std::vector<SInt32>{0, 50}), Lines(m->GetFirstRowRoot()));
    EXPECT_EQ((std::vector<SInt32>{0, 100}), Lines(m->GetFirstColumnRoot()));
    UInt32 number = 99;
    ASSERT_EQ(1, m->RegisterSpace(origin, origin, 30, 20, number));
    EXPECT_EQ(1u, number);
    EXPECT_EQ((std::vector<SInt32>{0, 20, 50}), Lines(m->GetFirstRowRoot()));
    EXPECT_EQ((std::vector<SInt32>{0, 30, 100}), Lines(m->GetFirstColumnRoot()));
    const sSMO_SpaceItem* cell = m->GetFirstUser()->GetFirstSpaceItem();
    ASSERT_NE(nullptr, cell);
    EXPECT_EQ(nullptr, cell->ownerNext);
    ExpectConsistentGrid(*m);
  }
}

TEST(SpaceMgr, EdgesSnapToLinesNearerThanFiveAndRectanglesOfLessThanFiveGrow) {
  struct Case {
    const char* why;
    bool first;  // after (0, 0, 30, 20): rows 0 20 50, columns 0 30 100
    Rect4 request;
    std::vector<SInt32> rows, columns;
    Rect4 occupied;
  } cases[] = {
      {"top 3 below a line snaps up to it", true, {40, 23, 20, 10},
       {0, 20, 33, 50}, {0, 30, 40, 60, 100}, {40, 20, 20, 13}},
      {"height 2 counts as 5", false, {0, 0, 30, 2}, {0, 5, 50}, {0, 30, 100}, {0, 0, 30, 5}},
      {"bottom 3 above a line snaps down to it", true, {0, 20, 30, 27},
       {0, 20, 50}, {0, 30, 100}, {0, 20, 30, 30}},
      {"bottom 2 below a line goes 5 below it", true, {50, 0, 10, 22},
       {0, 20, 25, 50}, {0, 30, 50, 60, 100}, {50, 0, 10, 25}},
      {"left 3 before the end keeps 5 to it", false, {97, 0, 3, 10},
       {0, 10, 50}, {0, 95, 100}, {95, 0, 5, 10}},
  };
  for (const Case& c : cases) {
    auto m = Manager();
    UInt32 number = 0;
    if (c.first) {
      ASSERT_EQ(1, m->RegisterSpace(0, 0, 30, 20, number));
    }
    ASSERT_EQ(1, m->RegisterSpace(c.request.x, c.request.y, c.request.w, c.request.h, number))
        << c.why;
    EXPECT_EQ(c.rows, Lines(m->GetFirstRowRoot())) << c.why;
    EXPECT_EQ(c.columns, Lines(m->GetFirstColumnRoot())) << c.why;
    const Rect4 o = Occupied(*m, number);
    EXPECT_EQ(c.occupied.x, o.x) << c.why;
    EXPECT_EQ(c.occupied.y, o.y) << c.why;
    EXPECT_EQ(c.occupied.w, o.w) << c.why;
    EXPECT_EQ(c.occupied.h, o.h) << c.why;
    // Exactly the snapped rectangle is the new user's.
    EXPECT_EQ(number, OwnerAt(*m, o.x, o.y)) << c.why;
    EXPECT_EQ(number, OwnerAt(*m, o.x + o.w - 1, o.y + o.h - 1)) << c.why;
    EXPECT_NE(number, OwnerAt(*m, o.x + o.w, o.y)) << c.why;
    EXPECT_NE(number, OwnerAt(*m, o.x, o.y + o.h)) << c.why;
    ExpectConsistentGrid(*m);
  }
}

TEST(SpaceMgr, RegistrationOverOccupiedCellsFailsAndLeavesTheirOwnerAlone) {
  ErrorLogCapture log;
  auto m = Manager();
  UInt32 number = 0;
  ASSERT_EQ(1, m->RegisterSpace(0, 0, 30, 20, number));
  number = 77;
  EXPECT_EQ(0, m->RegisterSpace(10, 10, 30, 20, number)) << "starts in an occupied cell";
  EXPECT_EQ(1, m->RegisterSpace(40, 30, 10, 10, number)) << "a free place";
  EXPECT_EQ(0, m->RegisterSpace(0, 15, 10, 20, number)) << "starts inside the first";
  EXPECT_EQ(2u, number);

  // Snapping can widen a rectangle over cells the free-space test never looked at: a request
  // of height 1 in a row 2 high grows to 5 and would reach into the row below.
  auto s = Manager();
  ASSERT_EQ(1, s->RegisterSpace(0, 7, 30, 43, number));  // rows 0 7 50
  ASSERT_EQ(1, s->RegisterSpace(0, 5, 30, 1, number));   // snaps to rows 2 to 7
  ASSERT_EQ(2u, number);
  log.Clear();
  number = 77;
  SInt32 freeWidth = 0, freeHeight = 0;
  ASSERT_TRUE(s->ExistFreeSpace(0, 0, 30, 1, freeWidth, freeHeight));
  EXPECT_EQ(0, s->RegisterSpace(0, 0, 30, 1, number));
  EXPECT_EQ(77u, number);
  EXPECT_TRUE(log.Has("cSMO_SpaceMgrObject::RegisterSpace", 2));
  EXPECT_EQ(0u, OwnerAt(*s, 0, 0));
  EXPECT_EQ(2u, OwnerAt(*s, 0, 3));
  const Rect4 o = Occupied(*s, 2);
  EXPECT_EQ(2, o.y);
  EXPECT_EQ(5, o.h);
  ExpectConsistentGrid(*s);
}

TEST(SpaceMgr, CancelledNumbersAreReusedLowestFirstAndTheirCellsFreed) {
  ErrorLogCapture log;
  auto m = Manager(0, 0, 200, 50);
  m->CancelOccupySpace(1);
  EXPECT_TRUE(log.Has("cSMO_SpaceMgrObject::CancelOccupySpace", 1)) << "no users at all";
  UInt32 number = 0;
  for (SInt32 x : {0, 40, 80}) ASSERT_EQ(1, m->RegisterSpace(x, 0, 30, 20, number));
  EXPECT_EQ(3u, number);
  m->CancelOccupySpace(9);
  EXPECT_TRUE(log.Has("cSMO_SpaceMgrObject::CancelOccupySpace", 2)) << "no such user";

  m->CancelOccupySpace(2);
  EXPECT_EQ(0u, OwnerAt(*m, 40, 0));
  ASSERT_EQ(1, m->RegisterSpace(40, 0, 30, 20, number)) << "the freed place is free again";
  EXPECT_EQ(2u, number);
  ASSERT_EQ(1, m->RegisterSpace(120, 0, 30, 20, number));
  EXPECT_EQ(4u, number);
  m->CancelOccupySpace(1);
  ASSERT_EQ(1, m->RegisterSpace(0, 30, 30, 20, number));
  EXPECT_EQ(1u, number);
  std::vector<UInt32> order;
  for (const cSMO_UserItem* u = m->GetFirstUser(); u != nullptr; u = u->GetNextObjectPtr()) {
    order.push_back(u->GetUserReferenceNo());
  }
  EXPECT_EQ((std::vector<UInt32>{1, 2, 3, 4}), order);
  EXPECT_EQ(0u, OwnerAt(*m, 0, 0)) << "lines stay, cells are free";
  ExpectConsistentGrid(*m);
}

TEST(SpaceMgr, GrowthStretchesOnlyAFreeLastColumnOrRowAndRemembersTheNewSize) {
  struct Case {
    const char* why;
    bool occupyLast;
    SInt32 newWidth;
    SInt32 lastEnd;
  } cases[] = {
      {"3 more, free", false, 103, 103},
      {"3 more, occupied", true, 103, 100},
      {"10 more, free", false, 110, 110},
      {"10 more, occupied", true, 110, 100},
      {"smaller", false, 90, 100},
  };
  for (const Case& c : cases) {
    auto m = Manager();
    UInt32 number = 0;
    ASSERT_EQ(1, m->RegisterSpace(c.occupyLast ? 50 : 0, 0, c.occupyLast ? 50 : 30, 20, number));
    m->ExpandTotalSpace(c.newWidth, 0);
    EXPECT_EQ(c.lastEnd, m->GetFirstColumnRoot()->GetLastObjectPtr()->GetEndPosition()) << c.why;
    EXPECT_EQ(c.lastEnd, m->GetTotalWidth()) << c.why;
    EXPECT_EQ(50, m->GetFirstRowRoot()->GetLastObjectPtr()->GetEndPosition()) << c.why;
  }
  // The new size is the base of the next growth, and the grown area can be registered.
  auto m = Manager();
  m->ExpandTotalSpace(120, 60);
  m->ExpandTotalSpace(110, 70);
  EXPECT_EQ((std::vector<SInt32>{0, 120}), Lines(m->GetFirstColumnRoot()));
  EXPECT_EQ((std::vector<SInt32>{0, 70}), Lines(m->GetFirstRowRoot()));
  UInt32 number = 0;
  EXPECT_EQ(1, m->RegisterSpace(100, 55, 20, 15, number));
  ExpectConsistentGrid(*m);
}

TEST(SpaceMgr, RoomAtAVerticalPositionIsAskedAndAnsweredWithTheOrigin) {
  auto m = Manager(100, 200);
  UInt32 number = 0;
  ASSERT_EQ(1, m->RegisterSpace(100, 200, 30, 20, number));  // columns 0 30 100
  ASSERT_EQ(1, m->RegisterSpace(170, 230, 30, 20, number));  // columns 0 30 70 100
  struct Case {
    SInt32 position, height;
    unsigned char found;
    SInt32 start, end, column;
  } cases[] = {
      {200, 10, 1, 130, 200, 2},  // right of the first user, up to the area's edge
      {220, 30, 1, 100, 170, 1},  // left of the second user
      {200, 40, 1, 130, 170, 2},  // both rows: the narrower run wins
      {235, 10, 1, 100, 170, 1},
      {245, 10, 0, 0, 0, 0},      // the area ends before the height
      {250, 10, 0, 0, 0, 0},      // below the area
  };
  for (const Case& c : cases) {
    SInt32 start = 0, end = 0, column = 0;
    EXPECT_EQ(c.found, m->GetAvailableSpaceByVerticalPosition(c.position, c.height, start, end,
                                                              column))
        << c.position << "+" << c.height;
    if (c.found == 0) continue;
    EXPECT_EQ(c.start, start) << c.position << "+" << c.height;
    EXPECT_EQ(c.end, end) << c.position << "+" << c.height;
    EXPECT_EQ(c.column, column) << c.position << "+" << c.height;
  }
}

TEST(SpaceMgr, CellsComeFromBlocksAndAShortPoolLeavesTheGridAsItWas) {
  auto m = Manager(0, 0, 100, 50, 4);
  UInt32 number = 0;
  ASSERT_EQ(1, m->RegisterSpace(10, 10, 30, 20, number));  // 3 rows x 3 columns
  EXPECT_EQ(3, m->CountBlocks());
  EXPECT_EQ(3, m->CountFreeSlots());

  // With one cell a block, every cell, root and user is an allocation of its own: each one
  // in turn fails, and the grid stays whole and takes the same registration afterwards.
  ErrorLogCapture log;
  const auto rows = Lines(m->GetFirstRowRoot());
  const auto columns = Lines(m->GetFirstColumnRoot());
  UInt32 nth = 1;
  for (;; ++nth) {
    ASSERT_LT(nth, 100u);
    auto p = Manager(0, 0, 100, 50, 1);
    log.Clear();
    sp_testing::FailNthAllocation(nth);
    number = 5;
    const unsigned char result = p->RegisterSpace(10, 10, 30, 20, number);
    sp_testing::FailNthAllocation(0);
    if (result == 1) break;
    EXPECT_EQ(log.Has("cSMO_SpaceMgrObject::RegisterSpace", 4) ? 0u : 5u, number) << nth;
    EXPECT_EQ(nullptr, p->GetFirstUser()) << nth;
    ExpectConsistentGrid(*p);
    // No cell is lost: each is in the grid or free in its block.
    const std::size_t cells =
        Roots(p->GetFirstRowRoot()).size() * Roots(p->GetFirstColumnRoot()).size();
    EXPECT_EQ(SInt32(cells) + p->CountFreeSlots(), p->CountBlocks()) << nth;
    ASSERT_EQ(1, p->RegisterSpace(10, 10, 30, 20, number)) << nth;
    EXPECT_EQ(rows, Lines(p->GetFirstRowRoot())) << nth;
    EXPECT_EQ(columns, Lines(p->GetFirstColumnRoot())) << nth;
    ExpectConsistentGrid(*p);
  }
  EXPECT_GT(nth, 9u) << "nine cells, four roots and a user were made";

  auto none = Manager(0, 0, 100, 50, 0);
  EXPECT_EQ(nullptr, none->GetFirstRowRoot());
  EXPECT_EQ(0, none->RegisterSpace(0, 0, 10, 10, number));
  none->ExpandTotalSpace(200, 200);
  SInt32 start = 0, end = 0, column = 0;
  EXPECT_EQ(0, none->GetAvailableSpaceByVerticalPosition(0, 10, start, end, column));
}

TEST(SpaceMgr, PointTestsAndDivisionsRespectTheEndsOfRoots) {
  ErrorLogCapture log;
  auto m = Manager();
  UInt32 number = 0;
  ASSERT_EQ(1, m->RegisterSpace(0, 0, 30, 20, number));
  EXPECT_FALSE(m->ExistFreeSpace(10, 10, 1, 0));
  EXPECT_TRUE(m->ExistFreeSpace(30, 10, 1, 0)) << "the next column starts at 30";
  EXPECT_FALSE(m->ExistFreeSpace(30, 10, 0, 1)) << "the first column ends at 30";
  EXPECT_FALSE(m->ExistFreeSpace(10, 50, 1, 1)) << "no row starts at the bottom";

  cSMO_SpaceRoot* row = m->GetFirstRowRoot();
  EXPECT_EQ(paramErr, row->DivideRootSpace(30));
  EXPECT_TRUE(log.Has("cSMO_SpaceRoot::DivideRootSpace", 1));
  EXPECT_EQ(noErr, row->DivideRootSpace(20)) << "a line already there";
  EXPECT_EQ((std::vector<SInt32>{0, 20, 50}), Lines(m->GetFirstRowRoot()));
  EXPECT_EQ(noErr, row->DivideRootSpace(10));
  EXPECT_EQ((std::vector<SInt32>{0, 10, 20, 50}), Lines(m->GetFirstRowRoot()));
  EXPECT_EQ(noErr, m->GetFirstColumnRoot()->DivideRootSpace(10));
  EXPECT_EQ((std::vector<SInt32>{0, 10, 30, 100}), Lines(m->GetFirstColumnRoot()));
  EXPECT_EQ(1u, OwnerAt(*m, 0, 15)) << "the copied cells keep their owner";
  EXPECT_EQ(1u, OwnerAt(*m, 15, 15));
  EXPECT_EQ(0u, OwnerAt(*m, 35, 15));
  ExpectConsistentGrid(*m);
  m->CancelOccupySpace(1);
  EXPECT_EQ(0u, OwnerAt(*m, 0, 15));
  ExpectConsistentGrid(*m);
}

}  // namespace

namespace {

// A cell given back twice is reported once and stays free once: the pool never hands it to
// two callers, nor hands out a cell still in use.
TEST(SpaceMgr, ACellGivenBackTwiceIsReportedOnceAndServesOneCallerOnly) {
  auto m = Manager(0, 0, 100, 50, 4);  // the whole area is one cell of the first block
  sSMO_SpaceItem* kept = m->GetNewItemDataPtr();
  sSMO_SpaceItem* twice = m->GetNewItemDataPtr();
  ASSERT_NE(kept, nullptr);
  ASSERT_NE(twice, nullptr);
  ErrorLogCapture log;
  m->PutBackItemDataPtr(twice);
  m->PutBackItemDataPtr(twice);
  EXPECT_EQ(log.Count(), 1u);
  EXPECT_TRUE(log.Has("cSMO_SpaceItemBlock::PutBackStructPtr", 1));
  EXPECT_EQ(m->CountFreeSlots(), 2);
  std::set<sSMO_SpaceItem*> taken = {kept};
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(taken.insert(m->GetNewItemDataPtr()).second) << "cell " << i;
  }
  EXPECT_EQ(m->CountBlocks(), 1);
  ExpectConsistentGrid(*m);
}

}  // namespace
