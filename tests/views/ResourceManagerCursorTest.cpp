#include <gtest/gtest.h>

#include <vector>

#include "ErrorLogCapture.h"
#include "QuickDraw.h"
#include "SpResourceManager.h"
#include "SpTesting.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

constexpr ResType kCURS = SpFourCC("CURS");
constexpr ResType kCrsr = SpFourCC("crsr");

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
    ASSERT_EQ(
        sp_testing::AddAppResource(kCrsr, 610, sp_testing::MakeColorCursorResource(Image(0x1000))),
        noErr);
    ASSERT_EQ(
        sp_testing::AddAppResource(kCrsr, 611, sp_testing::MakeColorCursorResource(Image(0x2000))),
        noErr);
    ASSERT_EQ(
        sp_testing::AddAppResource(kCURS, 6140, sp_testing::MakeCursorResource(Image(0x3000))),
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

TEST_F(ResourceManagerCursor, LoansShareOneCursorAndTheLastReleaseFreesIt) {
  CCrsrHandle h1 = nullptr, h2 = nullptr;
  SInt32 ref1 = 0, ref2 = 0;
  ASSERT_TRUE(Sp_ResM_GetCCursorHandle(610, &h1, &ref1));
  ASSERT_TRUE(Sp_ResM_GetCCursorHandle(610, &h2, &ref2));
  EXPECT_EQ(h1, h2) << "the second loan shares the first one's cursor";
  EXPECT_NE(h1, nullptr);
  EXPECT_EQ(ref1, 1);
  EXPECT_EQ(ref2, 2);

  Sp_ResM_ReleaseCCursor(610, ref1);
  EXPECT_TRUE(ColourCursorAlive(h1)) << "one loan is still out";
  Sp_ResM_ReleaseCCursor(610, ref1);  // given back twice: ignored
  EXPECT_TRUE(ColourCursorAlive(h1));
  Sp_ResM_ReleaseCCursor(610, ref2);
  EXPECT_FALSE(ColourCursorAlive(h1)) << "the last release disposes of the cursor";
}

TEST_F(ResourceManagerCursor, ReleaseOfAnotherIdOrNumberChangesNothing) {
  CCrsrHandle h = nullptr;
  SInt32 ref = 0;
  ASSERT_TRUE(Sp_ResM_GetCCursorHandle(610, &h, &ref));
  ErrorLogCapture log;
  Sp_ResM_ReleaseCCursor(611, ref);
  Sp_ResM_ReleaseCCursor(610, ref + 1);
  Sp_ResM_ReleaseCursor(610, ref);  // the other kind
  EXPECT_TRUE(ColourCursorAlive(h));
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_EQ(log.Beeps(), 0u);
}

TEST_F(ResourceManagerCursor, MissingCursorIsNoErrorAndIsNotCached) {
  ErrorLogCapture log;
  CCrsrHandle c = reinterpret_cast<CCrsrHandle>(&c);
  CursHandle bw = reinterpret_cast<CursHandle>(&bw);
  SInt32 ref = 99;
  EXPECT_FALSE(Sp_ResM_GetCCursorHandle(700, &c, &ref));
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(ref, 0);
  ref = 99;
  EXPECT_FALSE(Sp_ResM_GetCursorHandle(700, &bw, &ref));
  EXPECT_EQ(bw, nullptr);
  EXPECT_EQ(ref, 0);
  EXPECT_EQ(log.Count(), 0u) << "the caller reports a missing cursor, not the manager";
  EXPECT_EQ(log.Beeps(), 0u);

  ASSERT_EQ(
      sp_testing::AddAppResource(kCrsr, 700, sp_testing::MakeColorCursorResource(Image(0x5000))),
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
  EXPECT_EQ(bw, nullptr);
  EXPECT_EQ(ref, 0);
  EXPECT_TRUE(log.Has("cSp_ResourceManager::GetCursorHandle", 2));

  ASSERT_TRUE(Sp_ResM_GetCursorHandle(6140, &bw, &ref));
  EXPECT_EQ(ref, 1) << "the failed loan took no number";
}

}  // namespace
