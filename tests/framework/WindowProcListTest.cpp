// A window's nine procedure lists: registration numbers, run order, refusal, removal.
#include <gtest/gtest.h>

#include "SpWindowProcList.h"
#include "WindowObjectTestSupport.h"

namespace window_object_test {
namespace {

// Each test's window, without a toolbox window of its own.
class WindowProcListTest : public WindowObjectTest {
 protected:
  void SetUp() override {
    WindowObjectTest::SetUp();
    window_ = Keep(new cSp_Window(static_cast<cSp_Window*>(nullptr)));
  }
  cSp_Window* window_ = nullptr;
};

typedef std::vector<std::string> Names;

// ---- Registration numbers -------------------------------------------------------------------

TEST_F(WindowProcListTest, NumbersArePerListAndNeverReused) {
  cSp_Window* w = window_;
  SInt32 a = -1, b = -1, c = -1;
  w->SetupBeforeCloseProc(LogBefore, Tag("1"), a);
  w->SetupBeforeCloseProc(LogBefore, Tag("2"), b);
  w->SetupBeforeCloseProc(LogBefore, Tag("3"), c);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 3);
  w->UnSetupBeforeCloseProc(2);
  SInt32 d = -1;
  w->SetupBeforeCloseProc(LogBefore, Tag("4"), d);
  EXPECT_EQ(d, 4) << "a removal must not lower the counter";
  EXPECT_EQ(w->ExecBeforeCloseProc(), 1);
  EXPECT_EQ(Log(), (Names{"1", "3", "4"}));
}

TEST_F(WindowProcListTest, NullProcedureOrFailedAllocationRegistersNothingAndUsesNoNumber) {
  cSp_Window* w = window_;
  SInt32 ref = 99;
  w->SetupBeforeOpenProc(nullptr, Tag("n"), ref);
  EXPECT_EQ(ref, 0);
  w->SetupAfterGrowProc(nullptr, Tag("n"), ref);
  EXPECT_EQ(ref, 0);
  sp_testing::FailNthAllocation(1);
  w->SetupAfterGrowProc(LogAfter, Tag("lost"), ref);
  EXPECT_EQ(ref, 0);
  w->SetupAfterGrowProc(LogAfter, Tag("kept"), ref);
  EXPECT_EQ(ref, 1);
  w->ExecAfterGrowProc();
  EXPECT_EQ(Log(), (Names{"kept"}));
}

// ---- Runs -----------------------------------------------------------------------------------

TEST_F(WindowProcListTest, FirstRefusalStopsBeforeRunAndLaterProceduresAreNotCalled) {
  cSp_Window* w = window_;
  SInt32 ref = 0;
  w->SetupBeforeCloseProc(LogBefore, Tag("allow"), ref);
  w->SetupBeforeCloseProc(LogBefore, Tag("refuse", true), ref);
  w->SetupBeforeCloseProc(LogBefore, Tag("never"), ref);
  EXPECT_EQ(w->ExecBeforeCloseProc(), 0);
  EXPECT_EQ(Log(), (Names{"allow", "refuse"}));
}

TEST_F(WindowProcListTest, EachRunReachesOnlyItsOwnList) {
  struct Case {
    const char* why;
    void (*run)(cSp_Window*);
    const char* expected;
  };
  cSp_Window* w = window_;
  EXPECT_EQ(w->ExecBeforeOpenProc(), 1) << "empty before lists allow";
  EXPECT_EQ(w->ExecBeforeCloseProc(), 1);
  EXPECT_EQ(w->ExecBeforeGrowProc(), 1);
  SInt32 ref = 0;
  w->SetupBeforeOpenProc(LogBefore, Tag("beforeOpen"), ref);
  w->SetupAfterOpenProc(LogAfter, Tag("afterOpen"), ref);
  w->SetupBeforeCloseProc(LogBefore, Tag("beforeClose"), ref);
  w->SetupAfterCloseProc(LogAfter, Tag("afterClose"), ref);
  w->SetupMoveToFrontProc(LogAfter, Tag("front"), ref);
  w->SetupMoveToBackProc(LogAfter, Tag("back"), ref);
  w->SetupBeforeGrowProc(LogBefore, Tag("beforeGrow"), ref);
  w->SetupAfterGrowProc(LogAfter, Tag("afterGrow"), ref);
  w->SetupMoveProc(LogAfter, Tag("move"), ref);
  const Case cases[] = {
      {"before open", [](cSp_Window* x) { x->ExecBeforeOpenProc(); }, "beforeOpen"},
      {"after open", [](cSp_Window* x) { x->ExecAfterOpenProc(); }, "afterOpen"},
      {"before close", [](cSp_Window* x) { x->ExecBeforeCloseProc(); }, "beforeClose"},
      {"after close", [](cSp_Window* x) { x->ExecAfterCloseProc(); }, "afterClose"},
      {"to front", [](cSp_Window* x) { x->ExecMoveToFrontProc(); }, "front"},
      {"to back", [](cSp_Window* x) { x->ExecMoveToBackProc(); }, "back"},
      {"before grow", [](cSp_Window* x) { x->ExecBeforeGrowProc(); }, "beforeGrow"},
      {"after grow", [](cSp_Window* x) { x->ExecAfterGrowProc(); }, "afterGrow"},
      {"after move", [](cSp_Window* x) { x->ExecAfterMoveProc(); }, "move"},
  };
  for (const Case& c : cases) {
    Log().clear();
    c.run(w);
    EXPECT_EQ(Log(), (Names{c.expected})) << c.why;
    if (!Log().empty()) {
      EXPECT_EQ(LastWindow(), w) << c.why;
    }
  }
}

// A procedure that registers another one on the list that is running.
ProcTag gLateTag{"late"};
void AppendDuringRun(cSp_Window* window, short modifiers, unsigned long userData) {
  LogAfter(window, modifiers, userData);
  SInt32 ref = 0;
  if (Log().size() == 1)
    window->SetupAfterGrowProc(LogAfter, reinterpret_cast<unsigned long>(&gLateTag), ref);
}

TEST_F(WindowProcListTest, EntryAppendedDuringRunIsReachedInTheSameRun) {
  cSp_Window* w = window_;
  SInt32 ref = 0;
  w->SetupAfterGrowProc(AppendDuringRun, Tag("first"), ref);
  w->ExecAfterGrowProc();
  EXPECT_EQ(Log(), (Names{"first", "late"}));
}

// ---- Removal --------------------------------------------------------------------------------

TEST_F(WindowProcListTest, RemovalKeepsOrderAndTailWhereverTheEntryStood) {
  struct Case {
    const char* why;
    std::vector<SInt32> remove;
    Names expected;  // run after one more registration ("new")
  };
  const Case cases[] = {
      {"only entry: list empties, a new one is head and tail", {1, 2, 3}, {"new"}},
      {"the head", {1}, {"2", "3", "new"}},
      {"the middle", {2}, {"1", "3", "new"}},
      {"the tail: its predecessor becomes the tail", {3}, {"1", "2", "new"}},
      {"two from the end", {3, 2}, {"1", "new"}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<cSp_Window> w(new cSp_Window(static_cast<cSp_Window*>(nullptr)));
    SInt32 ref = 0;
    w->SetupAfterCloseProc(LogAfter, Tag("1"), ref);
    w->SetupAfterCloseProc(LogAfter, Tag("2"), ref);
    w->SetupAfterCloseProc(LogAfter, Tag("3"), ref);
    for (SInt32 n : c.remove) w->UnSetupAfterCloseProc(n);
    w->SetupAfterCloseProc(LogAfter, Tag("new"), ref);
    Log().clear();
    w->ExecAfterCloseProc();
    EXPECT_EQ(Log(), c.expected) << c.why;
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(WindowProcListTest, RemovingUnknownOrRemovedNumberIsReportedAndChangesNothing) {
  cSp_Window* w = window_;
  SInt32 ref = 0;
  w->SetupBeforeOpenProc(LogBefore, Tag("a"), ref);
  w->UnSetupBeforeOpenProc(1);
  EXPECT_EQ(errors_.Count(), 0u);
  w->UnSetupBeforeOpenProc(1);
  EXPECT_TRUE(errors_.Has("cSp_Window::UnSetupBeforeExecuteGeneralProc", 1));
  ASSERT_EQ(errors_.Count(), 1u);
  EXPECT_EQ(errors_.Records()[0].message, "Unmatch Error !! ");
  EXPECT_EQ(errors_.Beeps(), 1u);

  w->SetupMoveToBackProc(LogAfter, Tag("b"), ref);
  w->SetupMoveToFrontProc(LogAfter, Tag("front"), ref);
  w->UnSetupMoveToBackProc(7);
  EXPECT_TRUE(errors_.Has("cSp_Window::UnSetupAfterExecuteGeneralProc", 1));
  w->UnSetupMoveToFrontProc(1);  // number 1 of another list stays
  w->ExecMoveToBackProc();
  w->ExecMoveToFrontProc();
  EXPECT_EQ(Log(), (Names{"b"}));
}

}  // namespace
}  // namespace window_object_test
