// The mouse-trace areas (entering, leaving, nesting, layers, enabling, cursor loans) and the
// animated cursors (steps, pauses, areas, loans, failures).
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "FrameworkTestSupport.h"
#include "SpAnimationCursor.h"
#include "SpResourceManager.h"

namespace {

using sp_testing::CursorKind;

const SInt16 kCursId = 610;  // black-and-white; also the hover cursor of the animations
const SInt16 kCrsrId = 611;  // colour
const SInt16 kFrame1 = 701, kFrame2 = 702, kFrame3 = 703;

// What the areas' procedures were told, in order: "in:A@h,v" (local point), "inside:A@h,v",
// "cursor:A", "leave:A@h,v", "out:A".
using Log = std::vector<std::string>;
void Say(const char* what, unsigned long refCon, const Point* p = nullptr) {
  framework_test::Log().push_back(
      std::string(what) + reinterpret_cast<const char*>(refCon) +
      (p ? "@" + std::to_string(p->h) + "," + std::to_string(p->v) : std::string()));
}

void Watch(cMouseTraceObject& area, const char* name) {
  const unsigned long ref = reinterpret_cast<unsigned long>(name);
  area.mouseTraceInProc = [](Point p, short, unsigned long r) { Say("in:", r, &p); };
  area.mouseInPlaceTraceProc = [](Point p, short, unsigned long r) { Say("inside:", r, &p); };
  area.mouseTraceCursorProc = [](Point, short, unsigned long r) { Say("cursor:", r); };
  area.mouseTraceLeaveProc = [](Point p, short, unsigned long r) { Say("leave:", r, &p); };
  area.mouseTraceOutProc = [](short, unsigned long r) { Say("out:", r); };
  area.mouseTraceInRefCon = area.mouseInPlaceTraceRefCon = area.mouseTraceCursorRefCon = ref;
  area.mouseTraceLeaveRefCon = area.mouseTraceOutRefCon = ref;
}

using framework_test::CursorPattern;
using framework_test::R;

// Puts the mouse at a global point (as the display would) and runs the mouse-moved pass.
void Hover(SInt16 h, SInt16 v) {
  sp_testing::PostMouseMoved(Point{v, h});
  SpMouseTraceEventProcedure();
}

// Moves the mouse as the display would and lets the application's handlers take the event.
void MoveThroughEvents(SInt16 h, SInt16 v) {
  sp_testing::PostMouseMoved(Point{v, h});
  ASSERT_TRUE(sp_testing::PumpPending());
}

std::unique_ptr<cMouseTraceObject> Area(WindowRef window, const Rect& r, unsigned char colour = 0,
                                        short cursorId = 0,
                                        cMouseTraceObject* container = nullptr) {
  return std::make_unique<cMouseTraceObject>(window, r, colour, cursorId, container);
}

// One pass at a global point, what it told the procedures and the cursor it left.
struct HoverStep {
  SInt16 h, v;  // global
  Log log;      // the procedures called by the pass
  CursorKind cursor;
  SInt16 cursorId;
  const char* why;
};

// One window whose content lies at global (100, 100)-(400, 300): local = global - 100, and the
// cursors of the areas and the animations.
class CursorFixture : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    for (SInt16 id : {kCursId, kFrame1, kFrame2, kFrame3}) {
      sp_testing::AddAppResource(SpFourCC("CURS"), id,
                                 sp_testing::MakeCursorResource(CursorPattern(UInt16(id))));
    }
    sp_testing::AddAppResource(SpFourCC("crsr"), kCrsrId,
                               sp_testing::MakeColorCursorResource(CursorPattern(kCrsrId)));
    Sp_EnableMouseTrace(0);
    SpSetBeforeInPlaceMouseTraceItem(nullptr);
    const Rect bounds = R(100, 100, 400, 300);
    static const unsigned char kNoTitle[] = {0};
    window_ = NewCWindow(nullptr, &bounds, kNoTitle, 1, plainDBox, kFirstWindowOfClass, 0, 0);
    ASSERT_NE(window_, nullptr);
  }

  static void ExpectCursor(CursorKind kind, SInt16 id = 0) {
    EXPECT_EQ(sp_testing::CurrentCursor().kind, kind);
    EXPECT_EQ(sp_testing::CurrentCursor().id, id);
  }
  static Log TakeLog() {
    Log log;
    log.swap(framework_test::Log());
    return log;
  }
  // Hovers at each step's point in turn.
  template <std::size_t N>
  void Play(const HoverStep (&steps)[N], void (*move)(SInt16, SInt16) = Hover) {
    for (const HoverStep& step : steps) {
      SCOPED_TRACE(step.why);
      move(step.h, step.v);
      EXPECT_EQ(TakeLog(), step.log);
      ExpectCursor(step.cursor, step.cursorId);
    }
  }

  WindowRef window_ = nullptr;
};

using MouseTrace = CursorFixture;

}  // namespace

TEST_F(MouseTrace, LeaveAndOutRunBeforeEnterAndTheCursorFollowsTheArea) {
  auto a = Area(window_, R(10, 10, 60, 60), 0, kCursId);
  auto b = Area(window_, R(100, 10, 150, 60), 1, kCrsrId);
  Watch(*a, "A");
  Watch(*b, "B");
  const CursorKind kBW = CursorKind::kCursor, kColour = CursorKind::kColorCursor,
                   kArrow = CursorKind::kArrow;
  // clang-format off
  const HoverStep steps[] = {
      {120, 120, {"in:A@20,20", "cursor:A", "inside:A@20,20"}, kBW, kCursId, "entering applies the cursor once"},
      {130, 125, {"inside:A@30,25"}, kBW, kCursId, "moving inside"},
      {130, 125, {}, kBW, kCursId, "standing still calls nothing"},
      {159, 125, {"inside:A@59,25"}, kBW, kCursId, "the last pixel inside"},
      {160, 125, {"leave:A@60,25", "out:A"}, kArrow, 0, "the right edge is outside"},
      {210, 120, {"in:B@110,20", "cursor:B", "inside:B@110,20"}, kColour, kCrsrId, "into B"},
      {300, 250, {"leave:B@200,150", "out:B"}, kArrow, 0, "into bare content"},
      {50, 50, {}, kArrow, 0, "onto the desk with no area current"},
      {220, 130, {"in:B@120,30", "cursor:B", "inside:B@120,30"}, kColour, kCrsrId, "back into B"},
      {130, 130, {"leave:B@30,30", "out:B", "in:A@30,30", "cursor:A", "inside:A@30,30"}, kBW, kCursId, "straight from B into A"},
      {50, 50, {"leave:A@-50,-50", "out:A"}, kArrow, 0, "out of every window"},
  };
  // clang-format on
  Play(steps);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), nullptr);
}

// Moves that end outside every area of the content leave the current area at once, wherever
// they end: the pass runs for every move, and a title strip is no content even for an area
// whose rectangle reaches past the content's top.
TEST_F(MouseTrace, MovingOntoTheTitleStripTheDeskOrAnotherWindowLeavesTheArea) {
  Sp_SetupWindowEventHandlerForCarbonEvent();
  // A framework window whose content lies at global (500, 100)-(700, 300), title strip v 78-99.
  WindowRef titled = Keep(new cSp_Window(Point{100, 500}, Point{200, 200}, 1, documentProc,
                                         kSpNormalWindowType, kSpWindowInFrontOfAll))
                         ->GetWindowRef();
  auto a = Area(titled, R(0, 0, 100, 50), 0, kCursId);
  auto b = Area(titled, R(120, -40, 200, 50), 1, kCrsrId);
  Watch(*a, "A");
  Watch(*b, "B");
  const CursorKind kBW = CursorKind::kCursor, kColour = CursorKind::kColorCursor,
                   kArrow = CursorKind::kArrow;
  // clang-format off
  const HoverStep steps[] = {
      {520, 110, {"in:A@20,10", "cursor:A", "inside:A@20,10"}, kBW, kCursId, "into A"},
      {520, 90, {"leave:A@20,-10", "out:A"}, kArrow, 0, "onto the title strip"},
      {530, 90, {}, kArrow, 0, "along the title strip, left already"},
      {650, 110, {"in:B@150,10", "cursor:B", "inside:B@150,10"}, kColour, kCrsrId, "into B"},
      {650, 90, {"leave:B@150,-10", "out:B"}, kArrow, 0, "B's rectangle, but over the title strip"},
      {520, 110, {"in:A@20,10", "cursor:A", "inside:A@20,10"}, kBW, kCursId, "back into A"},
      {350, 110, {"leave:A@-150,10", "out:A"}, kArrow, 0, "onto another window"},
      {520, 110, {"in:A@20,10", "cursor:A", "inside:A@20,10"}, kBW, kCursId, "into A again"},
      {800, 400, {"leave:A@300,300", "out:A"}, kArrow, 0, "off every window"},
  };
  // clang-format on
  Play(steps, MoveThroughEvents);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), nullptr);
  a.reset();
  b.reset();
}

TEST_F(MouseTrace, NestedAreasAreHitBeforeTheirContainer) {
  auto c = Area(window_, R(0, 0, 200, 150));
  auto n1 = Area(window_, R(10, 10, 100, 100), 0, 0, c.get());
  auto n2 = Area(window_, R(20, 20, 50, 50), 0, 0, n1.get());
  auto n3 = Area(window_, R(90, 10, 180, 100), 0, 0, c.get());
  auto t = Area(window_, R(150, 0, 200, 50));  // a later top-level area over part of c
  struct Case {
    SInt16 h, v;  // local
    cMouseTraceObject* expected;
    const char* why;
  } cases[] = {
      {30, 30, n2.get(), "innermost first"}, {60, 60, n1.get(), "nested area outside its own"},
      {95, 50, n3.get(), "the later sibling lies above the earlier"},
      {5, 5, c.get(), "the container where nothing nested lies"}, {190, 120, c.get(), "again"},
      {160, 20, t.get(), "a later top-level area above the container's nested ones"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.why);
    Hover(SInt16(k.h + 100), SInt16(k.v + 100));
    EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), k.expected);
  }
  EXPECT_EQ(n2->GetMTraceContainerObjPtr(), n1.get());
  EXPECT_EQ(n1->GetMTraceContainerObjPtr(), c.get());
}

TEST_F(MouseTrace, DestroyingAContainerPutsItsNestedAreasInItsPlace) {
  auto x = Area(window_, R(0, 0, 10, 10));
  auto c = Area(window_, R(20, 20, 120, 120));
  auto n1 = Area(window_, R(30, 30, 60, 60), 0, 0, c.get());
  auto n2 = Area(window_, R(70, 70, 100, 100), 0, 0, c.get());
  auto y = Area(window_, R(200, 0, 210, 10));
  Hover(140, 140);
  ASSERT_EQ(SpGetBeforeInPlaceMouseTraceItem(), n1.get());
  c.reset();
  cMouseTraceWindowObj* w = SpGetMouseTraceManager()->GetMouseTraceWindowObj(window_);
  ASSERT_NE(w, nullptr);
  std::vector<cMouseTraceObject*> top;
  for (cMouseTraceObject* a = w->GetTopContainerListHead(); a != nullptr;
       a = a->GetNextTraceContainerItemPtr()) {
    top.push_back(a->GetMTraceContainerObjPtr() == nullptr ? a : nullptr);
  }
  EXPECT_EQ(top, (std::vector<cMouseTraceObject*>{x.get(), n1.get(), n2.get(), y.get()}));
  EXPECT_EQ(w->GetTopContainerListLast(), y.get());
  EXPECT_EQ(w->NumOfContaineItem(), 4);
  Hover(180, 180);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), n2.get());
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(MouseTrace, DisabledAreaIsSkippedAndDisablingTheCurrentOneResetsTheCursorSilently) {
  auto below = Area(window_, R(10, 10, 60, 60), 0, kCursId);
  auto above = Area(window_, R(10, 10, 60, 60), 1, kCrsrId);
  Watch(*below, "below");
  Watch(*above, "above");
  Hover(120, 120);
  ExpectCursor(CursorKind::kColorCursor, kCrsrId);
  framework_test::Log().clear();

  above->DisableMouseTrace();
  EXPECT_TRUE(framework_test::Log().empty()) << "no leave or out procedure for a disabled area";
  ExpectCursor(CursorKind::kArrow);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), nullptr);

  Hover(121, 120);
  EXPECT_EQ(TakeLog(), (Log{"in:below@21,20", "cursor:below", "inside:below@21,20"}));
  ExpectCursor(CursorKind::kCursor, kCursId);
  above->EnableMouseTrace();
  EXPECT_TRUE(framework_test::Log().empty()) << "enabling runs no pass";
}

TEST_F(MouseTrace, StopFlagBlocksPassesAndEnablingWithRunNowEntersAfresh) {
  auto a = Area(window_, R(10, 10, 60, 60), 0, kCursId);
  Watch(*a, "A");
  Sp_DisableMouseTrace();
  EXPECT_TRUE(Sp_IsMouseTraceDisabled());
  Hover(120, 120);
  SpExecuteMouseTrace(1);
  a->ModifyMouseTraceArea(R(10, 10, 70, 70), 0);
  EXPECT_TRUE(framework_test::Log().empty());
  ExpectCursor(CursorKind::kArrow);

  Sp_EnableMouseTrace(1);
  EXPECT_EQ(TakeLog(), (Log{"in:A@20,20", "cursor:A", "inside:A@20,20"}));
  ExpectCursor(CursorKind::kCursor, kCursId);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), nullptr);
  // The area was forgotten without its leave step, so the next pass enters it again.
  Hover(120, 120);
  EXPECT_EQ(TakeLog(), (Log{"in:A@20,20", "cursor:A", "inside:A@20,20"}));

  Sp_DisableMouseTrace();
  Sp_EnableMouseTrace(0);
  EXPECT_TRUE(framework_test::Log().empty()) << "without runNow no pass runs";
}

TEST_F(MouseTrace, AreaWhoseWindowObjectCouldNotBeMadeLeavesNoStalePointer) {
  ASSERT_NE(SpGetMouseTraceManager(), nullptr);
  sp_testing::FailNthAllocation(1);
  auto a = Area(window_, R(10, 10, 60, 60));
  EXPECT_TRUE(errors_.Has("cMouseTraceManager::InsertItemInItemList", 1));
  Hover(120, 120);
  a.reset();
  EXPECT_EQ(SpGetMouseTraceManager()->GetMouseTraceWindowObjListHead(), nullptr);
  Hover(121, 121);  // under the address sanitizer a stale area would show here
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), nullptr);
}

// ---- Animated cursors ------------------------------------------------------------------------

// Played once, on the virtual clock, with the mouse on the desk (tick 0 would read as the
// moment of the start-up itself).
TEST_F(MouseTrace, AnimationShowsEachFrameForItsTicksAndEndsAtTheLastFrame) {
  sp_testing::AdvanceClockTicks(1);
  sp_testing::PostMouseMoved(Point{50, 50});
  cAnimationCursorObject a(kCurserAnimationOnce, kAnimationCursorAnywhere, nullptr, nullptr, 0);
  const std::pair<SInt16, UInt32> frames[] = {{kFrame1, 10}, {kFrame2, 20}, {kFrame3, 30}};
  for (const auto& [id, ticks] : frames) a.AddCursorItem(id, 0, ticks, nullptr, nullptr);
  a.SetStartUp();
  a.StartAnimation();
  struct Tick {
    UInt32 advance;        // ticks before the pass
    unsigned char answer;  // of the idle step
    SInt16 shown;          // cursor id after the pass
    const char* why;
  } ticks[] = {
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
    EXPECT_EQ(sp_testing::CurrentCursor().id, t.shown);
  }
  EXPECT_EQ(a.GetStatus(nullptr, nullptr), 0);
}

// A still animation asked after a running one does not let the hover pass take the cursor
// back: the idle answer is "running" when any animation ran.
TEST_F(MouseTrace, AnyRunningAnimationKeepsTheHoverCursorAway) {
  sp_testing::AdvanceClockTicks(1);
  sp_testing::PostMouseMoved(Point{50, 50});
  cAnimationCursorObject first(kCurserAnimationOnce, kAnimationCursorAnywhere, nullptr, nullptr, 0);
  cAnimationCursorObject running(kCurserAnimationTurnBack, kAnimationCursorAnywhere, nullptr,
                                 nullptr, 0);
  cAnimationCursorObject current(kCurserAnimationOnce, kAnimationCursorAnywhere, nullptr, nullptr,
                                 0);
  for (cAnimationCursorObject* a : {&first, &running, &current}) {
    a->AddCursorItem(a == &running ? kFrame2 : kFrame1, 0, 10, nullptr, nullptr);
    a->StartAnimation();  // listed in this order; the last is the current one
  }
  running.AddCursorItem(kFrame3, 0, 10, nullptr, nullptr);
  running.SetStartUp();
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1) << "the still ones are asked before and after";
  EXPECT_EQ(sp_testing::CurrentCursor().id, kFrame2);
}

// The verify procedure names the part of the area under the pointer; a move into another part
// applies the cursor again, which it could not if the hit search had already stored the new
// part's code.
TEST_F(MouseTrace, MovingIntoAnotherPartOfAnAreaAppliesItsCursorAgain) {
  auto a = Area(window_, R(0, 0, 100, 100), 0, kCursId);
  Watch(*a, "A");
  a->verifyPositionProc = [](Point p, short, unsigned long, short& code) -> unsigned char {
    code = p.h < 50 ? 1 : 2;
    return 1;
  };
  const CursorKind kBW = CursorKind::kCursor;
  // clang-format off
  const HoverStep steps[] = {
      {120, 120, {"in:A@20,20", "cursor:A", "inside:A@20,20"}, kBW, kCursId, "into part 1"},
      {130, 120, {"inside:A@30,20"}, kBW, kCursId, "within part 1"},
      {170, 120, {"cursor:A", "inside:A@70,20"}, kBW, kCursId, "into part 2"},
  };
  // clang-format on
  Play(steps);
}

// ---- Layers, rectangles, front window, parts -------------------------------------------------

namespace {

WindowRef MakeWindow(const Rect& bounds, WindowRef behind) {
  static const unsigned char kNoTitle[] = {0};
  return NewCWindow(nullptr, &bounds, kNoTitle, 1, plainDBox, behind, 0, 0);
}

// True when lending the colour cursor now loads it afresh from its resource (which then holds
// a new pattern), that is when no earlier loan of it is still out.
bool LoadsAfresh(SInt16 id) {
  static UInt16 row = 0x4000;
  ++row;
  sp_testing::AddAppResource(SpFourCC("crsr"), id,
                             sp_testing::MakeColorCursorResource(CursorPattern(row)));
  CCrsrHandle h = nullptr;
  SInt32 ref = 0;
  if (!Sp_ResM_GetCCursorHandle(id, &h, &ref)) return false;
  const bool fresh = (**h).crsr1Data[0] == row;
  Sp_ResM_ReleaseCCursor(id, ref);
  return fresh;
}

}  // namespace

TEST_F(MouseTrace, HigherLayerWinsUntilTheLowerIsMovedToTheTop) {
  auto a = Area(window_, R(10, 10, 60, 60));
  auto b = Area(window_, R(30, 30, 80, 80));
  Watch(*a, "A");
  Watch(*b, "B");
  Hover(140, 140);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), b.get());
  EXPECT_EQ(b->GetMouseTraceContainerLayerPosit(), 2);

  a->MoveToTopLayerInMTraceContanerItemList();
  EXPECT_EQ(a->GetMouseTraceContainerLayerPosit(), 2);
  TakeLog();
  Hover(141, 140);
  EXPECT_EQ(TakeLog(), (Log{"leave:B@41,40", "out:B", "in:A@41,40", "cursor:A", "inside:A@41,40"}));

  // Position 1 is the bottom; a target past the length is the top.
  a->MoveToTergetLayerInMTraceContanerItemList(1);
  EXPECT_EQ(a->GetMouseTraceContainerLayerPosit(), 1);
  EXPECT_EQ(b->GetMouseTraceContainerLayerPosit(), 2);
  a->MoveToTergetLayerInMTraceContanerItemList(9);
  EXPECT_EQ(a->GetMouseTraceContainerLayerPosit(), 2);
  EXPECT_EQ(a->GetMouseTraceContainerLayerMaxPosit(), 2);
}

TEST_F(MouseTrace, LayerMovesLandAtTheTargetPosition) {
  // Four areas in one container, bottom to top: p, q, r, s.
  auto box = Area(window_, R(0, 0, 200, 200));
  auto p = Area(window_, R(0, 0, 10, 10), 0, 0, box.get());
  auto q = Area(window_, R(0, 0, 10, 10), 0, 0, box.get());
  auto r = Area(window_, R(0, 0, 10, 10), 0, 0, box.get());
  auto s = Area(window_, R(0, 0, 10, 10), 0, 0, box.get());
  auto order = [&] {
    std::string names;
    for (cMouseTraceObject* x = box->GetMTraceContainerItemHeadPtr(); x != nullptr;
         x = x->GetNextTraceContainerItemPtr()) {
      names += x == p.get() ? 'p' : x == q.get() ? 'q' : x == r.get() ? 'r' : 's';
    }
    return names;
  };
  ASSERT_EQ(order(), "pqrs");
  const std::pair<cMouseTraceObject*, SInt32> moves[] = {
      {q.get(), 4}, {q.get(), 2}, {r.get(), 1}, {p.get(), 3}, {s.get(), 7}, {r.get(), 0}};
  const char* expected[] = {"prsq", "pqrs", "rpqs", "rqps", "rqps", "rqps"};
  for (std::size_t i = 0; i < std::size(moves); ++i) {
    moves[i].first->MoveToTergetLayerInMTraceContanerItemList(moves[i].second);
    EXPECT_EQ(order(), expected[i]) << "target " << moves[i].second;
  }
  q->MoveToTopLayerInMTraceContanerItemList();
  EXPECT_EQ(order(), "rpsq");
  EXPECT_EQ(box->GetMTraceContainerItemHeadPtr()->GetLastTraceContainerItemPtr(), q.get());
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(MouseTrace, ChangedRectangleRunsAForcedPassAndAnUnchangedOneNone) {
  auto a = Area(window_, R(10, 10, 60, 60), 0, kCursId);
  Watch(*a, "A");
  sp_testing::PostMouseMoved(Point{200, 200});  // local (100, 100): outside
  a->ChangeMouseTraceCursorNow();
  ExpectCursor(CursorKind::kCursor, kCursId);
  const UInt32 changes = sp_testing::CurrentCursor().changeCount;

  a->ModifyMouseTraceArea(R(10, 10, 60, 60), 0);
  EXPECT_EQ(sp_testing::CurrentCursor().changeCount, changes) << "an equal rectangle runs no pass";
  a->ModifyMouseTraceArea(R(0, 0, 200, 200), 1);
  EXPECT_TRUE(framework_test::Log().empty()) << "a quiet change runs no pass";

  a->ModifyMouseTraceArea(R(10, 10, 50, 50), 0);
  ExpectCursor(CursorKind::kArrow);  // forced, though no area was current
  a->ModifyMouseTraceArea(R(90, 90, 150, 150), 0);
  EXPECT_EQ(TakeLog(), (Log{"in:A@100,100", "cursor:A", "inside:A@100,100"}));
}

TEST_F(MouseTrace, FrontWindowOnlyAreaIgnoresItsWindowBehindTheFront) {
  WindowRef back = MakeWindow(R(500, 100, 700, 300), kLastWindowOfClass);
  ASSERT_EQ(FrontWindow(), window_);
  auto a = Area(back, R(0, 0, 100, 100), 0, kCursId);
  Hover(550, 150);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), nullptr);
  a->SetupEnableMouseTraceOnTopWindowInWindowListOnlyFlag(0);
  Hover(551, 150);
  EXPECT_EQ(SpGetBeforeInPlaceMouseTraceItem(), a.get());
  ExpectCursor(CursorKind::kCursor, kCursId);
  a.reset();
  ExpectCursor(CursorKind::kArrow);  // destroying the current area resets the cursor
}

// The left side (below 35) is part 1, the right side part 2; from 55 on the point does not
// count.
TEST_F(MouseTrace, VerifyProcedureRefusingAPointLeavesTheArea) {
  auto a = Area(window_, R(10, 10, 60, 60), 0, kCursId);
  Watch(*a, "A");
  a->verifyPositionProc = [](Point p, short, unsigned long, short& code) -> unsigned char {
    if (p.h >= 55) return 0;
    code = p.h < 35 ? 1 : 2;
    return 1;
  };
  const CursorKind kBW = CursorKind::kCursor;
  // clang-format off
  const HoverStep steps[] = {
      {120, 120, {"in:A@20,20", "cursor:A", "inside:A@20,20"}, kBW, kCursId, "entering the left side"},
      {145, 120, {"cursor:A", "inside:A@45,20"}, kBW, kCursId, "into the right side"},
      {157, 120, {"leave:A@57,20", "out:A"}, CursorKind::kArrow, 0, "refused: the area is left"},
      {158, 120, {}, CursorKind::kArrow, 0, "still refused: nothing runs"},
  };
  // clang-format on
  Play(steps);
}

TEST_F(MouseTrace, WindowObjectGoesWithItsLastAreaAndComesBackAtTheEnd) {
  WindowRef second = MakeWindow(R(500, 100, 700, 300), kLastWindowOfClass);
  cMouseTraceManager* manager = SpGetMouseTraceManager();
  ASSERT_EQ(manager->GetMouseTraceWindowObjListHead(), nullptr) << "an earlier test left areas";
  auto a1 = Area(window_, R(0, 0, 10, 10));
  auto a2 = Area(window_, R(0, 0, 10, 10));
  auto b = Area(second, R(0, 0, 10, 10));
  auto windows = [&] {
    std::vector<WindowRef> list;
    for (cMouseTraceWindowObj* w = manager->GetMouseTraceWindowObjListHead(); w != nullptr;
         w = w->GetNextObjectPtr()) {
      list.push_back(w->GetTargetWindowPtr());
    }
    return list;
  };
  EXPECT_EQ(windows(), (std::vector<WindowRef>{window_, second}));
  a1.reset();
  EXPECT_EQ(windows(), (std::vector<WindowRef>{window_, second}));
  a2.reset();
  EXPECT_EQ(windows(), (std::vector<WindowRef>{second}));
  auto a3 = Area(window_, R(0, 0, 10, 10));
  EXPECT_EQ(windows(), (std::vector<WindowRef>{second, window_}));
  b.reset();
  a3.reset();
  EXPECT_EQ(windows(), std::vector<WindowRef>{});
}

TEST_F(MouseTrace, AreasGiveTheirCursorLoansBack) {
  const SInt16 kOtherCrsrId = 613;
  sp_testing::AddAppResource(SpFourCC("crsr"), kOtherCrsrId,
                             sp_testing::MakeColorCursorResource(CursorPattern(0x4444)));
  auto a = Area(window_, R(10, 10, 60, 60), 1, kCrsrId);
  auto b = Area(window_, R(10, 10, 60, 60), 1, kOtherCrsrId);
  ASSERT_NE(a->GetTraceCCrsrHandle(), nullptr);
  ASSERT_NE(b->GetTraceCCrsrHandle(), nullptr);
  EXPECT_FALSE(LoadsAfresh(kCrsrId)) << "the area's loan keeps the cursor";

  EXPECT_EQ(b->SetupMouseTaraceCursor(1, kCrsrId), 1);
  EXPECT_TRUE(LoadsAfresh(kOtherCrsrId)) << "switching cursors gives the old one back";
  a.reset();
  EXPECT_FALSE(LoadsAfresh(kCrsrId)) << "b still holds it";
  b.reset();
  EXPECT_TRUE(LoadsAfresh(kCrsrId));
}

// ---- Animated cursors: steps, pauses, areas, loans ------------------------------------------

namespace {

const SInt16 kOtherFrame = 704;
const SInt16 kColourFrame1 = 711, kColourFrame2 = 712;

// With the mouse on the desk and the clock one tick on (tick 0 would read as the moment of
// the start-up itself); the black-and-white area cursor doubles as the hover cursor.
class AnimationCursor : public CursorFixture {
 protected:
  void SetUp() override {
    CursorFixture::SetUp();
    sp_testing::AddAppResource(SpFourCC("CURS"), kOtherFrame,
                               sp_testing::MakeCursorResource(CursorPattern(0x0404)));
    for (SInt16 id : {kColourFrame1, kColourFrame2}) {
      sp_testing::AddAppResource(SpFourCC("crsr"), id,
                                 sp_testing::MakeColorCursorResource(CursorPattern(UInt16(id))));
    }
    sp_testing::AdvanceClockTicks(1);
    MouseAt(50, 50);
  }
  static void MouseAt(SInt16 h, SInt16 v) { sp_testing::PostMouseMoved(Point{v, h}); }
  static SInt16 ShownId() { return sp_testing::CurrentCursor().id; }
};

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

}  // namespace

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
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0) << "a single frame has nowhere to turn";
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
}

TEST_F(AnimationCursor, WindowBoundAnimationWaitsOutsideItsWindowWhileOthersRun) {
  WindowRef other = MakeWindow(R(500, 100, 700, 300), kLastWindowOfClass);
  ASSERT_NE(other, nullptr);
  auto anywhere = Animation(kCurserAnimationOnce, {{kOtherFrame, 5}, {kFrame3, 5}, {kFrame3, 5}});
  auto bound = Animation(kCurserAnimationOnce, {{kFrame1, 5}, {kFrame2, 5}},
                         kAnimationCursorInWindow, window_);
  ASSERT_EQ(Sp_GetAnimationManager(0)->GetCurrentItem(), bound.get());

  MouseAt(600, 200);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
  EXPECT_EQ(ShownId(), kOtherFrame) << "the other animation runs instead";
  short refNo = 0;
  bound->GetStatus(nullptr, &refNo);
  EXPECT_EQ(refNo, 1) << "the bound one did not advance";

  MouseAt(200, 200);
  sp_testing::AdvanceClockTicks(6);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
  EXPECT_EQ(ShownId(), kFrame1);
  anywhere->GetStatus(nullptr, &refNo);
  EXPECT_EQ(refNo, 2) << "the other one waits while the current one runs";
}

TEST_F(AnimationCursor, AreaCallbackDecidesWhereInTheWindowItRuns) {
  static std::vector<Point> askedAt;
  askedAt.clear();
  auto a = Animation(
      kCurserAnimationOnce, {{kFrame1, 5}, {kFrame2, 5}}, kAnimationCursorInWindowArea, window_,
      [](Point local, short, unsigned long) -> unsigned char {
        askedAt.push_back(local);
        return local.h < 150;
      });
  MouseAt(300, 150);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
  MouseAt(120, 150);
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
  EXPECT_EQ(ShownId(), kFrame1);
  ASSERT_EQ(askedAt.size(), 2u);
  EXPECT_EQ(askedAt[0].h, 200);  // local coordinates of the bound window
  EXPECT_EQ(askedAt[1].h, 20);
  EXPECT_EQ(askedAt[1].v, 50);
  MouseAt(50, 50);  // outside the window the callback is not asked
  EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
  EXPECT_EQ(askedAt.size(), 2u);
}

TEST_F(AnimationCursor, ClearingFramesGivesTheirCursorLoansBack) {
  auto a = Animation(kCurserAnimationOnce, {{kColourFrame1, 5}, {kColourFrame2, 5}},
                     kAnimationCursorAnywhere, nullptr, nullptr, 1);
  short id = 0;
  CCrsrHandle colour = nullptr;
  CursHandle bw = nullptr;
  ASSERT_EQ(a->GetCursorInfo(2, &id, nullptr, &colour, &bw), 1);
  EXPECT_EQ(id, kColourFrame2);
  EXPECT_NE(colour, nullptr);
  EXPECT_EQ(bw, nullptr);
  EXPECT_FALSE(LoadsAfresh(kColourFrame1));
  EXPECT_FALSE(LoadsAfresh(kColourFrame2));
  a->ClearCursorItem();
  EXPECT_EQ(a->GetCursorInfo(1, &id, nullptr, nullptr, nullptr), 0);
  EXPECT_TRUE(LoadsAfresh(kColourFrame1));
  EXPECT_TRUE(LoadsAfresh(kColourFrame2));

  auto b = Animation(kCurserAnimationOnce, {{kColourFrame1, 5}}, kAnimationCursorAnywhere, nullptr,
                     nullptr, 1);
  b.reset();
  EXPECT_TRUE(LoadsAfresh(kColourFrame1)) << "a destroyed animation gives its loans back";
}

TEST_F(AnimationCursor, EndOfAnimationPutsTheHoverCursorBackWhenAskedTo) {
  cMouseTraceObject hover(window_, R(0, 0, 100, 100), 0, kCursId, nullptr);
  MouseAt(150, 150);
  SpMouseTraceEventProcedure();
  ASSERT_EQ(ShownId(), kCursId);
  const std::pair<bool, SInt16> cases[] = {{true, kCursId}, {false, kFrame2}};
  for (const auto& [restore, shownAtEnd] : cases) {
    SCOPED_TRACE(restore ? "restoring" : "not restoring");
    auto a = Animation(kCurserAnimationOnce, {{kFrame1, 5}, {kFrame2, 5}});
    if (restore) a->SetupCompleateInitialize();
    EXPECT_EQ(Sp_AnimationCursorEventExecute(), 1);
    EXPECT_EQ(ShownId(), kFrame1);
    sp_testing::AdvanceClockTicks(6);
    EXPECT_EQ(Sp_AnimationCursorEventExecute(), 0);
    EXPECT_EQ(ShownId(), shownAtEnd);
  }
}

TEST_F(AnimationCursor, IdlePassLeavesTheHoverAloneWhileAnAnimationRuns) {
  static int entered;
  entered = 0;
  cMouseTraceObject hover(window_, R(0, 0, 100, 100), 0, kCursId, nullptr);
  hover.mouseTraceInProc = [](Point, short, unsigned long) { ++entered; };
  MouseAt(150, 150);
  auto a = Animation(kCurserAnimationOnce, {{kFrame1, 5}, {kFrame2, 5}});
  Sp_EventToolsIdleProc(1);
  EXPECT_EQ(entered, 0);
  EXPECT_EQ(ShownId(), kFrame1);
  a->StopAnimation();
  Sp_EventToolsIdleProc(1);
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(ShownId(), kCursId);
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

  const std::tuple<const char*, SInt32, const char*> expected[] = {
      {"cAnimationCursorObject::AddCursorItem", 1, "New Ptr for New Cursor Item is 0L"},
      {"cAnimationCursorItem::SetupMouseCursor", 2, "Can't get a new Black-White Curssor !!"},
      {"cAnimationCursorItem::SetupMouseCursor", 1, "Can't get a new Color Curssor !!"},
      {"cAnimationCursorManager::UnlinkItemFromItemList", 1, "Not menber for unlink request"},
  };
  ASSERT_EQ(errors_.Count(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const CapturedRecord& r = errors_.Records()[i];
    EXPECT_EQ(r.method, std::get<0>(expected[i]));
    EXPECT_EQ(r.code, std::get<1>(expected[i]));
    EXPECT_EQ(r.message, std::get<2>(expected[i]));
  }
  EXPECT_EQ(errors_.Beeps(), std::size(expected));
}
