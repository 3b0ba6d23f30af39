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
  std::vector<SInt32> refs(4, -1);
  for (int i = 0; i < 3; ++i) w->SetupBeforeCloseProc(LogBefore, Tag(std::to_string(i + 1)), refs[i]);
  w->UnSetupBeforeCloseProc(2);
  w->SetupBeforeCloseProc(LogBefore, Tag("4"), refs[3]);
  EXPECT_EQ(refs, (std::vector<SInt32>{1, 2, 3, 4})) << "a removal must not lower the counter";
  EXPECT_EQ(w->ExecBeforeCloseProc(), 1);
  EXPECT_EQ(Log(), (Names{"1", "3", "4"}));
}

TEST_F(WindowProcListTest, NullProcedureOrFailedAllocationRegistersNothingAndUsesNoNumber) {
  cSp_Window* w = window_;
  SInt32 ref = 99;
  w->SetupBeforeOpenProc(nullptr, Tag("n"), ref);
  EXPECT_EQ(ref, 0);
  ref = 99;
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
  cSp_Window* w = window_;
  EXPECT_EQ(w->ExecBeforeOpenProc() + w->ExecBeforeCloseProc() + w->ExecBeforeGrowProc(), 3)
      << "empty before lists allow";
  SInt32 ref = 0;
  struct Case {
    const char* name;
    std::function<void()> setup, run;
  } cases[] = {
      // clang-format off
      {"beforeOpen", [&] { w->SetupBeforeOpenProc(LogBefore, Tag("beforeOpen"), ref); }, [&] { w->ExecBeforeOpenProc(); }},
      {"afterOpen", [&] { w->SetupAfterOpenProc(LogAfter, Tag("afterOpen"), ref); }, [&] { w->ExecAfterOpenProc(); }},
      {"beforeClose", [&] { w->SetupBeforeCloseProc(LogBefore, Tag("beforeClose"), ref); }, [&] { w->ExecBeforeCloseProc(); }},
      {"afterClose", [&] { w->SetupAfterCloseProc(LogAfter, Tag("afterClose"), ref); }, [&] { w->ExecAfterCloseProc(); }},
      {"front", [&] { w->SetupMoveToFrontProc(LogAfter, Tag("front"), ref); }, [&] { w->ExecMoveToFrontProc(); }},
      {"back", [&] { w->SetupMoveToBackProc(LogAfter, Tag("back"), ref); }, [&] { w->ExecMoveToBackProc(); }},
      {"beforeGrow", [&] { w->SetupBeforeGrowProc(LogBefore, Tag("beforeGrow"), ref); }, [&] { w->ExecBeforeGrowProc(); }},
      {"afterGrow", [&] { w->SetupAfterGrowProc(LogAfter, Tag("afterGrow"), ref); }, [&] { w->ExecAfterGrowProc(); }},
      {"move", [&] { w->SetupMoveProc(LogAfter, Tag("move"), ref); }, [&] { w->ExecAfterMoveProc(); }},
      // clang-format on
  };
  for (const Case& c : cases) c.setup();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log().clear();
    LastWindow() = nullptr;
    c.run();
    EXPECT_EQ(Log(), (Names{c.name}));
    EXPECT_EQ(LastWindow(), w);
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
  EXPECT_EQ(errors_.Records().at(0).message, "Unmatch Error !! ");

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
