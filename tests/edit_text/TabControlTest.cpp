// The Tab-key ring between the fields of a window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpTabControlObject.h"

namespace {

WindowRef FakeWindow(int n) {
  return reinterpret_cast<WindowRef>(static_cast<uintptr_t>(0x1000 + n * 16));
}

// A field that records what happens to it and accepts or refuses the focus.
struct Field {
  std::string name;
  bool accepts = true;
  std::vector<std::string>* log = nullptr;
  std::unique_ptr<cTabControlObj> stop;

  static unsigned char MoveIn(unsigned long refCon) {
    Field* f = reinterpret_cast<Field*>(refCon);
    f->log->push_back("in " + f->name);
    return f->accepts ? 1 : 0;
  }
  static void MoveOut(unsigned long refCon) {
    Field* f = reinterpret_cast<Field*>(refCon);
    f->log->push_back("out " + f->name);
  }
};

class TabRing : public ::testing::Test {
 protected:
  Field& Add(const std::string& name, SInt16 rank, WindowRef window = FakeWindow(1)) {
    fields_.push_back(std::make_unique<Field>());
    Field& f = *fields_.back();
    f.name = name;
    f.log = &log_;
    f.stop = std::make_unique<cTabControlObj>(window, rank);
    f.stop->SetupTabCntMoveInProcPtr(Field::MoveIn, reinterpret_cast<unsigned long>(&f));
    f.stop->SetupTabCntMoveOutProcPtr(Field::MoveOut, reinterpret_cast<unsigned long>(&f));
    return f;
  }
  std::string Ring(WindowRef window = FakeWindow(1)) const {
    cTabControlWindowGroup* group = SpTabCO_GetManagerPtr(1)->FindGroup(window);
    std::string out;
    for (cTabControlObj* s = group->GetFirstStop(); s != nullptr;
         s = s->GetNextTabControlObjectPtr()) {
      for (const auto& f : fields_) {
        if (f->stop.get() == s) out += f->name;
      }
    }
    return out;
  }
  std::string Current(WindowRef window = FakeWindow(1)) const {
    cTabControlObj* s = SpTabCO_GetManagerPtr(1)->FindGroup(window)->GetCurrentStop();
    for (const auto& f : fields_) {
      if (f->stop.get() == s) return f->name;
    }
    return "";
  }
  void TearDown() override {
    while (!fields_.empty()) fields_.pop_back();
  }

  std::vector<std::string> log_;
  std::vector<std::unique_ptr<Field>> fields_;
};

TEST_F(TabRing, RanksOrderTheRing) {
  Add("a", -1);
  Add("b", -1);
  Add("c", 0);
  EXPECT_EQ(Ring(), "cab") << "-1 appends, 0 goes first";
  Add("d", 5);
  EXPECT_EQ(Ring(), "cabd") << "a positive rank on an unnumbered ring appends";
  fields_[2]->stop->SetupTabControlRankNo(1);  // c, a, b, d numbered 1 to 4
  EXPECT_EQ(fields_[0]->stop->GetTabControlRankNo(), 2);
  Add("e", 2);
  EXPECT_EQ(Ring(), "caebd") << "rank 2 goes right after the second stop";
  EXPECT_EQ(Current(), "a") << "the first stop registered holds the focus";
}

TEST_F(TabRing, TabMovesForwardWrapsAndStopsAtARefusal) {
  Field& a = Add("a", -1);
  Field& b = Add("b", -1);
  Field& c = Add("c", -1);
  EXPECT_EQ(a.stop->ReportTabCatch(), 1);
  EXPECT_EQ(Current(), "b");
  EXPECT_EQ(a.stop->ReportTabCatch(), 0) << "only the current stop moves the focus";
  c.accepts = false;
  log_.clear();
  EXPECT_EQ(b.stop->ReportTabCatch(), 0);
  EXPECT_EQ(Current(), "b") << "a refusal keeps the focus";
  EXPECT_EQ(log_, (std::vector<std::string>{"in c"})) << "the stop after a refusal is not tried";
  c.accepts = true;
  EXPECT_EQ(b.stop->ReportTabCatch(), 1);
  EXPECT_EQ(c.stop->ReportTabCatch(), 1);
  EXPECT_EQ(Current(), "a") << "the last stop wraps to the first";
}

TEST_F(TabRing, ARingOfOneAndAStopWithoutProceduresRefuse) {
  Field& only = Add("x", -1, FakeWindow(2));
  EXPECT_EQ(only.stop->ReportTabCatch(), 0);
  cTabControlObj plain(FakeWindow(2), -1);
  EXPECT_EQ(only.stop->ReportTabCatch(), 0) << "the base stop refuses";
  EXPECT_EQ(Current(FakeWindow(2)), "x");
}

TEST_F(TabRing, FocusTakenByAClickMovesTheCurrentStopOut) {
  Field& a = Add("a", -1);
  Field& b = Add("b", -1);
  log_.clear();
  a.stop->ReportTabControlIn();
  EXPECT_TRUE(log_.empty()) << "already current";
  b.stop->ReportTabControlIn();
  EXPECT_EQ(log_, (std::vector<std::string>{"out a"}));
  EXPECT_EQ(Current(), "b");
}

TEST_F(TabRing, UnregisteringTheCurrentStopMovesTheFocusOn) {
  Add("a", -1);
  Add("b", -1);
  Add("c", -1);
  fields_[0]->stop->ReportTabCatch();  // b is current
  log_.clear();
  fields_[1]->stop.reset();
  EXPECT_EQ(Ring(), "ac");
  EXPECT_EQ(Current(), "c");
  EXPECT_EQ(log_, (std::vector<std::string>{"in c"}));
  fields_[2]->stop.reset();
  EXPECT_EQ(Current(), "a") << "the current last stop gives way to the one before";
  fields_[0]->stop.reset();
  EXPECT_EQ(Ring(), "");
  EXPECT_EQ(SpTabCO_GetManagerPtr(1)->FindGroup(FakeWindow(1))->GetCurrentStop(), nullptr);
}

TEST_F(TabRing, RegisteringTwiceOrWithoutAWindowIsReported) {
  Field& a = Add("a", -1, FakeWindow(3));
  ErrorLogCapture log;
  SpTabCO_GetManagerPtr(1)->InstallTabControlItem(FakeWindow(3), a.stop.get(), -1);
  EXPECT_TRUE(log.Has("cTabControlWindowGroup::InstallTabControlItem", 2));
  EXPECT_EQ(Ring(FakeWindow(3)), "a");
  cTabControlObj orphan(nullptr, 0);
  EXPECT_TRUE(log.Has("cTabControlObj::cTabControlObj", 1));
}

}  // namespace
