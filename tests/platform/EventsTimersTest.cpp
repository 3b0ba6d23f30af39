// Event-loop timers on the virtual clock: due times, "every pass", removal and rescheduling
// from callbacks.
#include <functional>
#include <vector>

#include "UiFixture.h"
#include "events/internal/EventLoop.h"

namespace ui_test {
namespace {

using EventTimers = UiTest;

struct TimerLog {
  SInt64 start = 0;
  std::vector<SInt64> at;  // microseconds after start
  std::vector<int> passes;
  const int* passCounter = nullptr;
  std::function<void(EventLoopTimerRef)> action;
};

void LogFire(EventLoopTimerRef timer, void* data) {
  TimerLog* log = static_cast<TimerLog*>(data);
  log->at.push_back(Now() - log->start);
  if (log->passCounter != nullptr) log->passes.push_back(*log->passCounter);
  if (log->action) log->action(timer);
}

EventLoopTimerRef Install(EventTimerInterval delay, EventTimerInterval interval, TimerLog& log) {
  EventLoopTimerRef timer = nullptr;
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), delay, interval,
                                  NewEventLoopTimerUPP(LogFire), &log, &timer),
            noErr);
  return timer;
}

// Counts the passes of the loop.
bool CountPasses(void* data) {
  ++*static_cast<int*>(data);
  return false;
}

struct DueCase {
  EventTimerInterval delay, interval;
  SInt64 pumpFor;
  std::vector<SInt64> expected;
  const char* why;
};

TEST_F(EventTimers, FireAtTheirDueTimesOnTheVirtualClock) {
  const DueCase cases[] = {
      {0, 0.1, 350000, {0, 100000, 200000, 300000}, "at once, then every 0.1 s"},
      {0, 0.1, 300000, {0, 100000, 200000, 300000}, "a firing at the end of the pump is due"},
      {0.25, 0, 1000000, {250000}, "one-shot"},
      {0.1, 0.25, 700000, {100000, 350000, 600000}, "first delay and interval differ"},
      {kEventDurationForever, 0.1, 500000, {}, "waits until it is scheduled"},
      {1.0, 0.5, 2600000, {1000000, 1500000, 2000000, 2500000}, "the CD poll's beat"},
  };
  for (const DueCase& c : cases) {
    SCOPED_TRACE(c.why);
    Reset();
    TimerLog log;
    log.start = Now();
    Install(c.delay, c.interval, log);
    sp_testing::PumpFor(c.pumpFor);
    EXPECT_EQ(log.at, c.expected);
  }
}

TEST_F(EventTimers, ZeroDelayFiresOnTheNextPassAndNeverDuringInstallation) {
  int passes = 0;
  int hook = sp_platform::AddPassHook(CountPasses, &passes);
  TimerLog first, second;
  first.passCounter = second.passCounter = &passes;
  first.action = [&second](EventLoopTimerRef) { Install(0, 0, second); };
  Install(0, 0, first);
  EXPECT_TRUE(first.at.empty());
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(first.passes.size(), 1u);
  ASSERT_EQ(second.passes.size(), 1u);
  EXPECT_EQ(second.passes[0], first.passes[0] + 1) << "installed during a pass: the next one";
  sp_platform::RemovePassHook(hook);
}

TEST_F(EventTimers, AMicrosecondIntervalFiresOnceOnEveryPassAndTimedTimersStillComeDue) {
  int passes = 0;
  int hook = sp_platform::AddPassHook(CountPasses, &passes);
  TimerLog step;
  step.passCounter = &passes;
  TimerLog poll;
  poll.start = Now();
  Install(0, kEventDurationMicrosecond, step);
  Install(0.1, 0.1, poll);
  sp_testing::PumpFor(500000);
  ASSERT_GT(step.passes.size(), 100u);
  for (std::size_t i = 1; i < step.passes.size(); ++i) {
    ASSERT_EQ(step.passes[i], step.passes[i - 1] + 1) << "once per pass, no pass skipped";
  }
  EXPECT_EQ(poll.at, (std::vector<SInt64>{100000, 200000, 300000, 400000, 500000}));
  sp_platform::RemovePassHook(hook);
}

TEST_F(EventTimers, ACallbackMayRemoveItselfOrATimerDueInTheSamePass) {
  TimerLog self, victim;
  self.action = [](EventLoopTimerRef t) { EXPECT_EQ(RemoveEventLoopTimer(t), noErr); };
  EventLoopTimerRef selfTimer = Install(0, 0.1, self);
  TimerLog killer;
  EventLoopTimerRef victimTimer = nullptr;
  killer.action = [&victimTimer](EventLoopTimerRef) {
    EXPECT_EQ(RemoveEventLoopTimer(victimTimer), noErr);
  };
  Install(0, 0, killer);
  victimTimer = Install(0, 0, victim);  // due in the same pass, after the killer
  sp_testing::PumpFor(1000000);
  EXPECT_EQ(self.at.size(), 1u);
  EXPECT_TRUE(victim.at.empty());
  EXPECT_EQ(RemoveEventLoopTimer(selfTimer), paramErr) << "removed once already";
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1) << "the one-shot killer waits, installed";
}

TEST_F(EventTimers, ARepeatingTimerThatFellBehindSkipsTheFiringsItMissed) {
  TimerLog log;
  log.start = Now();
  log.action = [&log](EventLoopTimerRef) {
    if (log.at.size() == 1) sp_testing::AdvanceClockMicroseconds(350000);  // slow work
  };
  Install(0, 0.1, log);
  sp_testing::PumpFor(450000);
  EXPECT_EQ(log.at, (std::vector<SInt64>{0, 400000}));
}

TEST_F(EventTimers, OnTheRealClockTheLoopSleepsUntilATimerIsDue) {
  sp_testing::UseRealClock();
  TimerLog log;
  log.start = Now();
  Install(0.03, 0, log);
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(log.at.size(), 1u);
  EXPECT_GE(log.at[0], 30000);
  EXPECT_LT(log.at[0], 1000000);
}

TEST_F(EventTimers, BadArgumentsAreRefused) {
  EventLoopTimerRef timer = nullptr;
  TimerLog log;
  EXPECT_EQ(InstallEventLoopTimer(nullptr, 0, 0, LogFire, &log, &timer), paramErr);
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, 0, nullptr, &log, &timer), paramErr);
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), -0.5, 0, LogFire, &log, &timer), paramErr);
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, -2.0, LogFire, &log, &timer), paramErr);
  EXPECT_EQ(timer, nullptr);
  EXPECT_EQ(SetEventLoopTimerNextFireTime(nullptr, 1.0), paramErr);
}

}  // namespace
}  // namespace ui_test
