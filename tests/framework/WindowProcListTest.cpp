// A window's nine procedure lists: registration numbers, run order, refusal, removal.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

#include "SpWindowProcList.h"

namespace {

// What the procedures were told, in order.
struct Call {
  cSp_Window* window;
  short modifiers;
  std::string name;
};
std::vector<Call> gCalls;

// User data: a name and whether a before procedure refuses.
struct Tag {
  std::string name;
  bool refuse = false;
};

unsigned char Before(cSp_Window* window, short modifiers, unsigned long userData) {
  const Tag* tag = reinterpret_cast<const Tag*>(userData);
  gCalls.push_back({window, modifiers, tag->name});
  return tag->refuse ? 0 : 1;
}

void After(cSp_Window* window, short modifiers, unsigned long userData) {
  gCalls.push_back({window, modifiers, reinterpret_cast<const Tag*>(userData)->name});
}

class WindowProcListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    gCalls.clear();
    window_.reset(new cSp_Window(static_cast<cSp_Window*>(nullptr)));
  }
  void TearDown() override {
    window_.reset();
    sp_testing::SetModifierKeys(0);
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
  }

  unsigned long T(const std::string& name, bool refuse = false) {
    tags_.emplace_back(new Tag{name, refuse});
    return reinterpret_cast<unsigned long>(tags_.back().get());
  }

  std::vector<std::string> Called() const {
    std::vector<std::string> names;
    for (const Call& call : gCalls) names.push_back(call.name);
    return names;
  }

  std::unique_ptr<cSp_Window> window_;
  std::vector<std::unique_ptr<Tag>> tags_;
  ErrorLogCapture log_;
};

typedef std::vector<std::string> Names;

// ---- Registration numbers -------------------------------------------------------------------

TEST_F(WindowProcListTest, NumbersArePerListAndNeverReused) {
  cSp_Window* w = window_.get();
  SInt32 a = -1, b = -1, c = -1;
  w->SetupBeforeCloseProc(Before, T("1"), a);
  w->SetupBeforeCloseProc(Before, T("2"), b);
  w->SetupBeforeCloseProc(Before, T("3"), c);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 3);
  w->UnSetupBeforeCloseProc(2);
  SInt32 d = -1;
  w->SetupBeforeCloseProc(Before, T("4"), d);
  EXPECT_EQ(d, 4) << "a removal must not lower the counter";
  EXPECT_EQ(w->ExecBeforeCloseProc(), 1);
  EXPECT_EQ(Called(), (Names{"1", "3", "4"}));
}

TEST_F(WindowProcListTest, NullProcedureOrFailedAllocationRegistersNothingAndUsesNoNumber) {
  cSp_Window* w = window_.get();
  SInt32 ref = 99;
  w->SetupBeforeOpenProc(nullptr, T("n"), ref);
  EXPECT_EQ(ref, 0);
  w->SetupAfterGrowProc(nullptr, T("n"), ref);
  EXPECT_EQ(ref, 0);
  sp_testing::FailNthAllocation(1);
  w->SetupAfterGrowProc(After, T("lost"), ref);
  EXPECT_EQ(ref, 0);
  w->SetupAfterGrowProc(After, T("kept"), ref);
  EXPECT_EQ(ref, 1);
  w->ExecAfterGrowProc();
  EXPECT_EQ(Called(), (Names{"kept"}));
}

// ---- Runs -----------------------------------------------------------------------------------

TEST_F(WindowProcListTest, FirstRefusalStopsBeforeRunAndLaterProceduresAreNotCalled) {
  cSp_Window* w = window_.get();
  SInt32 ref = 0;
  w->SetupBeforeCloseProc(Before, T("allow"), ref);
  w->SetupBeforeCloseProc(Before, T("refuse", true), ref);
  w->SetupBeforeCloseProc(Before, T("never"), ref);
  EXPECT_EQ(w->ExecBeforeCloseProc(), 0);
  EXPECT_EQ(Called(), (Names{"allow", "refuse"}));
}

TEST_F(WindowProcListTest, EachRunReachesOnlyItsOwnList) {
  struct Case {
    const char* why;
    void (*run)(cSp_Window*);
    const char* expected;
  };
  cSp_Window* w = window_.get();
  EXPECT_EQ(w->ExecBeforeOpenProc(), 1) << "empty before lists allow";
  EXPECT_EQ(w->ExecBeforeCloseProc(), 1);
  EXPECT_EQ(w->ExecBeforeGrowProc(), 1);
  SInt32 ref = 0;
  w->SetupBeforeOpenProc(Before, T("beforeOpen"), ref);
  w->SetupAfterOpenProc(After, T("afterOpen"), ref);
  w->SetupBeforeCloseProc(Before, T("beforeClose"), ref);
  w->SetupAfterCloseProc(After, T("afterClose"), ref);
  w->SetupMoveToFrontProc(After, T("front"), ref);
  w->SetupMoveToBackProc(After, T("back"), ref);
  w->SetupBeforeGrowProc(Before, T("beforeGrow"), ref);
  w->SetupAfterGrowProc(After, T("afterGrow"), ref);
  w->SetupMoveProc(After, T("move"), ref);
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
    gCalls.clear();
    c.run(w);
    EXPECT_EQ(Called(), (Names{c.expected})) << c.why;
    if (!gCalls.empty()) {
      EXPECT_EQ(gCalls[0].window, w) << c.why;
    }
  }
}

// A procedure that registers another one on the list that is running.
Tag gLateTag{"late"};
void AppendDuringRun(cSp_Window* window, short modifiers, unsigned long userData) {
  After(window, modifiers, userData);
  SInt32 ref = 0;
  if (gCalls.size() == 1)
    window->SetupAfterGrowProc(After, reinterpret_cast<unsigned long>(&gLateTag), ref);
}

TEST_F(WindowProcListTest, EntryAppendedDuringRunIsReachedInTheSameRun) {
  cSp_Window* w = window_.get();
  SInt32 ref = 0;
  w->SetupAfterGrowProc(AppendDuringRun, T("first"), ref);
  w->ExecAfterGrowProc();
  EXPECT_EQ(Called(), (Names{"first", "late"}));
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
    w->SetupAfterCloseProc(After, T("1"), ref);
    w->SetupAfterCloseProc(After, T("2"), ref);
    w->SetupAfterCloseProc(After, T("3"), ref);
    for (SInt32 n : c.remove) w->UnSetupAfterCloseProc(n);
    w->SetupAfterCloseProc(After, T("new"), ref);
    gCalls.clear();
    w->ExecAfterCloseProc();
    EXPECT_EQ(Called(), c.expected) << c.why;
  }
  EXPECT_EQ(log_.Count(), 0u);
}

TEST_F(WindowProcListTest, RemovingUnknownOrRemovedNumberIsReportedAndChangesNothing) {
  cSp_Window* w = window_.get();
  SInt32 ref = 0;
  w->SetupBeforeOpenProc(Before, T("a"), ref);
  w->UnSetupBeforeOpenProc(1);
  EXPECT_EQ(log_.Count(), 0u);
  w->UnSetupBeforeOpenProc(1);
  EXPECT_TRUE(log_.Has("cSp_Window::UnSetupBeforeExecuteGeneralProc", 1));
  ASSERT_EQ(log_.Count(), 1u);
  EXPECT_EQ(log_.Records()[0].message, "Unmatch Error !! ");
  EXPECT_EQ(log_.Beeps(), 1u);

  w->SetupMoveToBackProc(After, T("b"), ref);
  w->SetupMoveToFrontProc(After, T("front"), ref);
  w->UnSetupMoveToBackProc(7);
  EXPECT_TRUE(log_.Has("cSp_Window::UnSetupAfterExecuteGeneralProc", 1));
  w->UnSetupMoveToFrontProc(1);  // number 1 of another list stays
  w->ExecMoveToBackProc();
  w->ExecMoveToFrontProc();
  EXPECT_EQ(Called(), (Names{"b"}));
}

}  // namespace
