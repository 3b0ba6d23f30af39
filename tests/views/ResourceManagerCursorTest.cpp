// Cursor loans: one cursor per id shared by its users, freed with the last of them.
#include <gtest/gtest.h>

#include "ErrorLogCapture.h"
#include "QuickDraw.h"
#include "SpResourceManager.h"
#include "SpTesting.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

Cursor Image(UInt16 seed) {
  Cursor c{};
  for (int row = 0; row < 16; ++row) {
    c.data[row] = UInt16(seed + row);
    c.mask[row] = 0xFFFF;
  }
  c.hotSpot = Point{4, 5};
  return c;
}

class ResourceManagerCursor : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetResources();
    sp_testing::ResetWindows();
    Sp_InitializeResourceManager();
    for (SInt16 id : {610, 611}) {
      ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("crsr"), id,
                                           sp_testing::MakeColorCursorResource(Image(UInt16(id)))),
                noErr);
    }
    ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("CURS"), 6140,
                                         sp_testing::MakeCursorResource(Image(0x3000))),
              noErr);
  }
  void TearDown() override {
    Sp_InitializeResourceManager();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
  }

  // A colour cursor that is still alive can be set; a freed one is refused.
  static bool ColourCursorAlive(CCrsrHandle h) {
    const UInt32 before = sp_testing::CurrentCursor().changeCount;
    SetCCursor(h);
    return sp_testing::CurrentCursor().changeCount != before;
  }
};

TEST_F(ResourceManagerCursor, LoansShareOneCursorAndOnlyTheLastRightReleaseFreesIt) {
  CCrsrHandle h1 = nullptr, h2 = nullptr;
  SInt32 ref1 = 0, ref2 = 0;
  ASSERT_TRUE(Sp_ResM_GetCCursorHandle(610, &h1, &ref1));
  ASSERT_TRUE(Sp_ResM_GetCCursorHandle(610, &h2, &ref2));
  EXPECT_EQ(h1, h2) << "the second loan shares the first one's cursor";
  EXPECT_EQ(ref1, 1);
  EXPECT_EQ(ref2, 2);

  ErrorLogCapture log;
  Sp_ResM_ReleaseCCursor(611, ref1);  // another id
  Sp_ResM_ReleaseCCursor(610, 3);     // a number not lent
  Sp_ResM_ReleaseCursor(610, ref1);   // the other kind
  Sp_ResM_ReleaseCCursor(610, ref1);
  EXPECT_TRUE(ColourCursorAlive(h1)) << "one loan is still out";
  Sp_ResM_ReleaseCCursor(610, ref1);  // given back twice: ignored
  EXPECT_TRUE(ColourCursorAlive(h1));
  EXPECT_EQ(log.Count() + log.Beeps(), 0u);
  Sp_ResM_ReleaseCCursor(610, ref2);
  EXPECT_FALSE(ColourCursorAlive(h1)) << "the last release disposes of the cursor";
}

TEST_F(ResourceManagerCursor, MissingCursorIsNoErrorAndIsNotCached) {
  ErrorLogCapture log;
  CCrsrHandle c = reinterpret_cast<CCrsrHandle>(&c);
  CursHandle bw = reinterpret_cast<CursHandle>(&bw);
  SInt32 ref = 99, bwRef = 99;
  EXPECT_FALSE(Sp_ResM_GetCCursorHandle(700, &c, &ref));
  EXPECT_FALSE(Sp_ResM_GetCursorHandle(700, &bw, &bwRef));
  EXPECT_TRUE(c == nullptr && bw == nullptr && ref == 0 && bwRef == 0);
  EXPECT_EQ(log.Count() + log.Beeps(), 0u) << "the caller reports a missing cursor";

  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("crsr"), 700,
                                       sp_testing::MakeColorCursorResource(Image(0x5000))),
            noErr);
  EXPECT_TRUE(Sp_ResM_GetCCursorHandle(700, &c, &ref)) << "the next request tries again";
  EXPECT_NE(c, nullptr);
}

TEST_F(ResourceManagerCursor, LoanThatCannotBeRecordedIsReportedAndTakesNoNumber) {
  ErrorLogCapture log;
  CursHandle bw = nullptr;
  SInt32 ref = 0;
  // With the cursor loaded already, the item is the first allocation and the user reference
  // the second.
  ASSERT_NE(GetCursor(6140), nullptr);
  sp_testing::FailNthAllocation(2);
  EXPECT_FALSE(Sp_ResM_GetCursorHandle(6140, &bw, &ref));
  sp_testing::FailNthAllocation(0);
  EXPECT_TRUE(bw == nullptr && ref == 0);
  EXPECT_TRUE(log.Has("cSp_ResourceManager::GetCursorHandle", 2));
  ASSERT_TRUE(Sp_ResM_GetCursorHandle(6140, &bw, &ref));
  EXPECT_EQ(ref, 1) << "the failed loan took no number";
}

}  // namespace
