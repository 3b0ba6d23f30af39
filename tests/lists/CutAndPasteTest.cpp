// The clipboard watcher: its registrations, the order of its calls, its timer on the virtual
// clock, suspend and resume, and changes that keep the number of flavours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Scrap.h"
#include "SpCutAndPastManager.h"
#include "SpEventToolsClass.h"
#include "SpStdFunctionNumber.h"
#include "TestClock.h"
#include "TestDialogs.h"
#include "TestEvents.h"

namespace {

std::vector<unsigned long> gCalls;
void Record(unsigned long refCon) {
  gCalls.push_back(refCon);
}

constexpr SInt64 kSecond = 1000000;

// The program's mode: the watcher polls from an event-loop timer.
class CutAndPaste : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetDialogs();
    sp_testing::ResetCutAndPastManager();
    Sp_CarbonEvent_ModeEnable();
    gCalls.clear();
  }
  void TearDown() override {
    sp_testing::ResetCutAndPastManager();
    sp_testing::ResetDialogs();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }
  // Another program copies this text.
  static void Copy(const std::string& text) { sp_testing::SetClipboardTextUnicode(text); }
};

TEST_F(CutAndPaste, RegistrationsAreNumberedFromOneAndCalledInOrderOnAChange) {
  cSp_CutAndPastManager* m = SpCPM_GetManager(1);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->SetupNewCallbackProc(Record, 10), 1);
  EXPECT_EQ(m->SetupNewCallbackProc(Record, 20), 2);
  EXPECT_EQ(m->SetupNewCallbackProc(Record, 30), 3);
  Copy("one");
  m->CheckScrapForEventLoop();
  EXPECT_EQ(gCalls, (std::vector<unsigned long>{10, 20, 30}));
  m->DiposeCallbackProc(1);
  m->DiposeCallbackProc(9);  // not registered: nothing
  gCalls.clear();
  Copy("two");
  m->CheckScrapForEventLoop();
  EXPECT_EQ(gCalls, (std::vector<unsigned long>{20, 30}));
  m->DiposeCallbackProc(3);
  EXPECT_EQ(m->SetupNewCallbackProc(Record, 40), 4) << "numbers are not reused";
  gCalls.clear();
  m->CheckScrapForEventLoop();
  EXPECT_TRUE(gCalls.empty()) << "no change, no call";
  Copy("three");
  m->CheckScrapForEventLoop();
  EXPECT_EQ(gCalls, (std::vector<unsigned long>{20, 40}));
}

TEST_F(CutAndPaste, AClipboardThatKeepsItsFlavoursIsStillSeenToChange) {
  cSp_CutAndPastManager* m = SpCPM_GetManager(1);
  m->SetupNewCallbackProc(Record, 1);
  m->CheckScrapForEventLoop();
  EXPECT_TRUE(gCalls.empty()) << "an empty clipboard at the first look is no change";
  struct Step {
    const char* what;
    void (*change)();
    std::size_t calls;
  } const steps[] = {
      {"a first text", [] { Copy("one"); }, 1},
      {"another text of as many flavours", [] { Copy("two"); }, 2},
      {"a copy in a dialog's field", [] { sp_testing::SetClipboardText("three"); }, 3},
      {"nothing", [] {}, 3},
      {"a style beside the text (three flavours)",
       [] {
         ScrapRef scrap = nullptr;
         GetCurrentScrap(&scrap);
         PutScrapFlavor(scrap, kScrapFlavorTypeTextStyle, 0, 2, "\0\0");
       },
       4},
  };
  for (const Step& step : steps) {
    step.change();
    m->CheckScrapForEventLoop();
    EXPECT_EQ(gCalls.size(), step.calls) << step.what;
  }
}

TEST_F(CutAndPaste, TheTimerLooksAtOnceThenEveryThreeSecondsAndNotWhileSuspended) {
  Copy("there before");
  cSp_CutAndPastManager* m = SpCPM_GetManager(1);
  m->SetupNewCallbackProc(Record, 1);
  sp_testing::PumpPending();
  EXPECT_EQ(gCalls.size(), 1u) << "the first look, at once, finds a clipboard with text";
  Copy("next");
  sp_testing::PumpFor(2 * kSecond + 900000);
  EXPECT_EQ(gCalls.size(), 1u) << "not yet";
  sp_testing::PumpFor(200000);
  EXPECT_EQ(gCalls.size(), 2u) << "three seconds on";
  // Two suspends take the timer away once; the change made meanwhile is seen on resuming.
  const int timers = sp_testing::InstalledTimerCount();
  Sp_EvnetToolsSuspendEventProc();
  Sp_EvnetToolsSuspendEventProc();
  EXPECT_EQ(m->IsActive(), 0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), timers - 1);
  Copy("while away");
  sp_testing::PumpFor(10 * kSecond);
  EXPECT_EQ(gCalls.size(), 2u) << "nothing looks while the program is in the background";
  Sp_EventToolsResumeEventProc();
  Sp_EventToolsResumeEventProc();
  EXPECT_EQ(sp_testing::InstalledTimerCount(), timers);
  sp_testing::PumpPending();
  EXPECT_EQ(gCalls.size(), 3u);
  // Without a manager the timer's calls do nothing.
  SpCPM_DisposeCutAndPastMgr(0);
  Copy("after");
  sp_testing::PumpFor(4 * kSecond);
  EXPECT_EQ(gCalls.size(), 3u);
}

}  // namespace
