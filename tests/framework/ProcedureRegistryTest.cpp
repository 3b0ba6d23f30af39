// The procedure registries: run order, enabling and reference numbers.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

namespace {

std::vector<unsigned long> gCalls;
void Record(unsigned long userData) {
  gCalls.push_back(userData);
}

// Removes every entry a test registered, so tests do not see each other's entries.
class ProcedureRegistry : public ::testing::Test {
 protected:
  void SetUp() override { gCalls.clear(); }
  void TearDown() override {
    for (cEventInsertProcObj** head : {&eventIdleTimeProcDef_GlV, &resumeEventProcDef_GlV,
                                       &suspendEventProcDef_GlV, &quitAppProcDef_GlV}) {
      while (*head != nullptr) delete *head;
    }
  }
};

}  // namespace

// By order number, then registration order; a disabled entry is skipped until enabled.
TEST_F(ProcedureRegistry, RunsByOrderNumberThenRegistrationOrderSkippingDisabledEntries) {
  unsigned long a = 0, b = 0;
  Sp_SetupEventIdleTimeProcedure(Record, 50, 1, &a);
  Sp_SetupEventIdleTimeProcedure(Record, 10, 2, nullptr);
  Sp_SetupEventIdleTimeProcedure(Record, 50, 3, nullptr);
  Sp_SetupEventIdleTimeProcedure(Record, 5, 4, &b);
  Sp_SetupEventIdleTimeProcedure(Record, 60, 5, nullptr);
  Sp_EventToolsIdleProc(0);
  EXPECT_EQ(gCalls, (std::vector<unsigned long>{4, 2, 1, 3, 5}));
  Sp_DisableIdleTimeProcedure(a);
  Sp_UnsetEventIdleTimeProcedure(b);
  gCalls.clear();
  Sp_EventToolsIdleProc(0);
  EXPECT_EQ(gCalls, (std::vector<unsigned long>{2, 3, 5}));
  Sp_EnableIdleTimeProcedure(a);
  gCalls.clear();
  Sp_EventToolsIdleProc(0);
  EXPECT_EQ(gCalls, (std::vector<unsigned long>{2, 1, 3, 5}));
}

TEST_F(ProcedureRegistry, ReferenceNumbersAreSharedAndUniqueAndNeverZero) {
  eventProcCurrentRefNum_GlV = 0xFFFFFFFEu;
  unsigned long r1 = 0, r2 = 0, r3 = 0, r4 = 0;
  Sp_SetupEventIdleTimeProcedure(Record, 0, 0, &r1);
  Sp_SetupResumeEventProcedure(Record, 0, 0, &r2);
  Sp_SetupSuspendEventProcedure(Record, 0, 0, &r3);
  Sp_SetupDisposeProcedure(Record, 0, 0, &r4);
  EXPECT_EQ(r1, 0xFFFFFFFFul);
  EXPECT_EQ(r2, 1ul);  // wraps past zero
  EXPECT_EQ(r3, 2ul);
  EXPECT_EQ(r4, 3ul);
  // A null procedure registers nothing and leaves the number alone.
  auto count = [] {
    int n = 0;
    for (cEventInsertProcObj* e = resumeEventProcDef_GlV; e != nullptr; e = e->GetNextObjectPtr()) {
      ++n;
    }
    return n;
  };
  const int before = count();
  unsigned long none = 77;
  Sp_SetupResumeEventProcedure(nullptr, 0, 0, &none);
  EXPECT_EQ(none, 77ul);
  EXPECT_EQ(count(), before);
}
