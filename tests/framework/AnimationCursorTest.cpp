#include <gtest/gtest.h>

#include <iterator>
#include <utility>

#include "FrameworkTestSupport.h"
#include "SpAnimationCursor.h"
#include "SpResourceManager.h"

namespace {

using sp_testing::CursorKind;

const SInt16 kFrame1 = 701, kFrame2 = 702, kFrame3 = 703, kOtherFrame = 704;
const SInt16 kColourFrame1 = 711, kColourFrame2 = 712;
const SInt16 kHoverCursor = 610;

using framework_test::CursorPattern;
using framework_test::R;

std::unique_ptr<cAnimationCursorObject> Animation(
    tCurserAnimationType type, const std::vector<std::pair<SInt16, UInt32>>& frames,
    tAnimationCursorAreaType areaType = kAnimationCursorAnywhere, WindowRef window = nullptr,
    SpAnimationCursorAreaProcPtr areaProc = nullptr, unsigned char colour = 0) {
  auto a = std::make_unique<cAnimationCursorObject>(type, areaType, window, areaProc, 0);
  for (const auto& f : frames) a->AddCursorItem(f.first, colour, f.second, nullptr, nullptr);
  a->SetStartUp();
  a->StartAnimation();
  return a;
}

// On the virtual clock, with one window whose content lies at global (100, 100)-(400, 300).
class AnimationCursor : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    const std::pair<SInt16, UInt16> cursors[] = {{kFrame1, 0x0101},
                                                 {kFrame2, 0x0202},
                                                 {kFrame3, 0x0303},
                                                 {kOtherFrame, 0x0404},
                                                 {kHoverCursor, 0x0610}};
    for (const auto& c : cursors) {
      sp_testing::AddAppResource(SpFourCC("CURS"), c.first,
                                 sp_testing::MakeCursorResource(CursorPattern(c.second)));
    }
    for (SInt16 id : {kColourFrame1, kColourFrame2}) {
      sp_testing::AddAppResource(SpFourCC("crsr"), id,
                                 sp_testing::MakeColorCursorResource(CursorPattern(UInt16(id))));
    }
    Sp_EnableMouseTrace(0);
    SpSetBeforeInPlaceMouseTraceItem(nullptr);
    // Tick 0 would read as the moment of the start-up itself.
    sp_testing::AdvanceClockTicks(1);
    static const unsigned char kNoTitle[] = {0};
    const Rect bounds = R(100, 100, 400, 300);
    window_ = NewCWindow(nullptr, &bounds, kNoTitle, 1, plainDBox, kFirstWindowOfClass, 0, 0);
    ASSERT_NE(window_, nullptr);
    MouseAt(50, 50);  // the desk
  }
  static void MouseAt(SInt16 h, SInt16 v) { sp_testing::PostMouseMoved(Point{v, h}); }
  static SInt16 ShownId() { return sp_testing::CurrentCursor().id; }

  WindowRef window_ = nullptr;
};

struct Tick {
  UInt32 advance;        // ticks before the pass
  unsigned char answer;  // of the idle step
  SInt16 shown;          // cursor id after the pass
  const char* why;
};

}  // namespace

TEST_F(AnimationCursor, PlayOnceShowsEachFrameForItsTicksAndEndsAtTheLastFrame) {
  auto a = Animation(kCurserAnimationOnce, {{kFrame1, 10}, {kFrame2, 20}, {kFrame3, 30}});
  const Tick ticks[] = {
      {0, 1, kFrame1, "the first pass shows frame 1"},
      {10, 1, kFrame1, "10 ticks are not more than 10"},
      {1, 1, kFrame2, "11 ticks are"},
      {20, 1, kFrame2, "frame 2 holds for 20"},
      {1, 0, kFrame3, "frame 3 shows and the animation ends at once"},
      {100, 0, kFrame3, "an ended animation does nothing"},
  };
  for (const Tick& t : ticks) {
    SCOPED_TRACE(t.why);
    sp_testing::AdvanceClockTicks(t.advance);
    EXPECT_EQ(Sp_AnimationCursorEventExecute(), t.answer);
    EXPECT_EQ(ShownId(), t.shown);
  }
  EXPECT_EQ(a->GetStatus(nullptr, nullptr), 0);
}

TEST_F(AnimationCursor, TurnBackRepeatsBackwardsFromTheFrameBeforeTheLast) {
  auto a = Animation(kCurserAnimationTurnBack, {{kFrame1, 5}, {kFrame2, 5}, {kFrame3, 5}});
  std::vector<SInt16> shown;
  for (int pass = 0; pass < 9; ++pass) {
    EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
    shown.push_back(ShownId());
    sp_testing::AdvanceClockTicks(6);
  }
  EXPECT_EQ(shown, (std::vector<SInt16>{kFrame1, kFrame2, kFrame3, kFrame2, kFrame1, kFrame2,
                                        kFrame1, kFrame2, kFrame1}));
  tDirectionType direction = 0;
  short refNo = 0;
  EXPECT_EQ(a->GetStatus(&direction, &refNo), 1);
  EXPECT_EQ(direction, kAnimationBackward);
  EXPECT_EQ(refNo, 2);  // due next: the turn at the first frame goes back to the second
}

TEST_F(AnimationCursor, SingleFrameTurnBackEndsAfterShowingIt) {
  auto a = Animation(kCurserAnimationTurnBack, {{kFrame1, 5}});
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
  EXPECT_EQ(ShownId(), kFrame1);
  EXPECT_EQ(a->GetStatus(nullptr, nullptr), 0);
}

TEST_F(AnimationCursor, PausedAnimationHoldsItsFrameAndResumes) {
  auto a = Animation(kCurserAnimationOnce, {{kFrame1, 5}, {kFrame2, 5}, {kFrame3, 5}});
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
  a->PoseAnimation(1);
  sp_testing::AdvanceClockTicks(50);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
  EXPECT_EQ(ShownId(), kFrame1);
  a->PoseAnimation(0);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
  EXPECT_EQ(ShownId(), kFrame2);
  a->PoseAnimation(1);  // a second pause holds again
  sp_testing::AdvanceClockTicks(50);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
  EXPECT_EQ(ShownId(), kFrame2);
}

TEST_F(AnimationCursor, EndOfAnimationPutsTheHoverCursorBackWhenAskedTo) {
  const Rect area = R(0, 0, 100, 100);
  cMouseTraceObject hover(window_, area, 0, kHoverCursor, nullptr);
  MouseAt(150, 150);
  SpMouseTraceEventProcedure();
  ASSERT_EQ(ShownId(), kHoverCursor);
  struct Case {
    bool restore;
    SInt16 shownAtEnd;
  } cases[] = {{true, kHoverCursor}, {false, kFrame2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.restore ? "restoring" : "not restoring");
    auto a = Animation(kCurserAnimationOnce, {{kFrame1, 5}, {kFrame2, 5}});
    if (c.restore) a->SetupCompleateInitialize();
    EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
    EXPECT_EQ(ShownId(), kFrame1);
    sp_testing::AdvanceClockTicks(6);
    EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
    EXPECT_EQ(ShownId(), c.shownAtEnd);
  }
}

TEST_F(AnimationCursor, DestroyedAnimationLeavesTheManager) {
  auto first = Animation(kCurserAnimationOnce, {{kFrame1, 5}});
  auto second = Animation(kCurserAnimationOnce, {{kFrame2, 5}});
  cAnimationCursorManager* manager = Sp_GetAnimationManager(0);
  ASSERT_EQ(manager->GetCurrentItem(), second.get());
  second.reset();
  EXPECT_EQ(manager->GetCurrentItem(), first.get()) << "the last listed becomes current";
  first.reset();
  EXPECT_EQ(manager->GetCurrentItem(), nullptr);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(AnimationCursor, FailuresAreReportedWithTheirRecords) {
  ASSERT_NE(Sp_GetAnimationManager(1), nullptr);
  cAnimationCursorObject a(kCurserAnimationOnce, kAnimationCursorAnywhere, nullptr, nullptr, 0);
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(a.AddCursorItem(kFrame1, 0, 5, nullptr, nullptr), 0);
  EXPECT_EQ(a.GetCursorInfo(1, nullptr, nullptr, nullptr, nullptr), 0);
  CursHandle bw = reinterpret_cast<CursHandle>(1);
  CCrsrHandle colour = reinterpret_cast<CCrsrHandle>(1);
  EXPECT_EQ(a.AddCursorItem(999, 0, 5, &colour, &bw), 1);
  EXPECT_EQ(bw, nullptr);
  EXPECT_EQ(a.AddCursorItem(999, 1, 5, &colour, nullptr), 2);
  EXPECT_EQ(colour, nullptr);
  a.StopAnimation();  // never started

  ASSERT_EQ(errors_.Count(), 4u);
  EXPECT_TRUE(errors_.Has("cAnimationCursorObject::AddCursorItem", 1));
  EXPECT_TRUE(errors_.Has("cAnimationCursorItem::SetupMouseCursor", 2));  // black and white
  EXPECT_TRUE(errors_.Has("cAnimationCursorItem::SetupMouseCursor", 1));  // colour
  EXPECT_TRUE(errors_.Has("cAnimationCursorManager::UnlinkItemFromItemList", 1));
}
