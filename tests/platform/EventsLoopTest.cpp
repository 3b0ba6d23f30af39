// The loop: posted events, quitting (also through the quit command), file completions, timers
// on the virtual clock (due times, "every pass", removal from callbacks), modal loops and their
// nesting, the mount table asked after once a pass, and the watchdog.
#include <sys/mount.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FilesFixture.h"
#include "PrivateMounts.h"
#include "TestFiles.h"
#include "UiFixture.h"
#include "events/internal/EventLoop.h"
#include "files/detail/Completions.h"

namespace ui_test {
namespace {

using EventLoop = UiTest;
using Strings = std::vector<std::string>;
using Times = std::vector<SInt64>;

// A timer running a function; kept alive by the caller.
using Action = std::function<void(EventLoopTimerRef)>;
void RunAction(EventLoopTimerRef t, void* data) {
  (*static_cast<Action*>(data))(t);
}
EventLoopTimerRef After(EventTimerInterval delay, EventTimerInterval interval, Action& a) {
  EventLoopTimerRef t = nullptr;
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), delay, interval, RunAction, &a, &t), noErr);
  return t;
}

// Counts the passes of the loop while it lives.
struct PassCounter {
  PassCounter()
      : hook(sp_platform::AddPassHook([](void* n) { return ++*static_cast<int*>(n), false; },
                                      &passes)) {}
  ~PassCounter() { sp_platform::RemovePassHook(hook); }
  int passes = 0;
  int hook;
};

OSErr OpenApplication(const AppleEvent*, AppleEvent*, URefCon refCon) {
  ++*reinterpret_cast<int*>(refCon);
  return noErr;
}

TEST_F(EventLoop, RunDeliversOpenApplicationReturnsWhenIdleAndQuitStopsTheRestOfThePass) {
  int opens = 0, later = 0;
  AEInstallEventHandler(kCoreEventClass, kAEOpenApplication, OpenApplication, URefCon(&opens),
                        false);
  RunApplicationEventLoop();
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(sp_testing::IdleLoopReturns(), 1u);
  Action quit = [](EventLoopTimerRef) { QuitApplicationEventLoop(); };
  Action after = [&later](EventLoopTimerRef) { ++later; };
  After(0.5, 0, quit);
  After(0.5, 0, after);  // due in the same pass, behind the quit
  RunApplicationEventLoop();
  EXPECT_EQ(later, 0) << "nothing runs after the loop was told to quit";
  EXPECT_EQ(sp_testing::IdleLoopReturns(), 1u);
}

TEST_F(EventLoop, TimersFireAtTheirDueTimesOnTheVirtualClock) {
  const struct {
    EventTimerInterval delay, interval;
    SInt64 pumpFor;
    Times expected;
  } cases[] = {
      {0, 0.1, 350000, {0, 100000, 200000, 300000}},  // at once, then every 0.1 s
      {0, 0.1, 300000, {0, 100000, 200000, 300000}},  // a firing at the end of the pump is due
      {0.25, 0, 1000000, {250000}},                   // one-shot
      {0.1, 0.25, 700000, {100000, 350000, 600000}},  // first delay and interval differ
      {0, 0.001, 3500, {0, 1000, 2000, 3000}},        // a millisecond keeps its beat
      {kEventDurationForever, 0.1, 500000, {}},       // waits until it is scheduled
  };
  for (const auto& c : cases) {
    Reset();
    Times at;
    const SInt64 start = Now();
    Action log = [&](EventLoopTimerRef) { at.push_back(Now() - start); };
    After(c.delay, c.interval, log);
    sp_testing::PumpFor(c.pumpFor);
    EXPECT_EQ(at, c.expected) << c.delay << " " << c.interval;
  }
  // A repeating timer that fell behind skips the firings it missed.
  Times at;
  const SInt64 start = Now();
  Action slow = [&](EventLoopTimerRef) {
    at.push_back(Now() - start);
    if (at.size() == 1) sp_testing::AdvanceClockMicroseconds(350000);  // slow work
  };
  After(0, 0.1, slow);
  sp_testing::PumpFor(450000);
  EXPECT_EQ(at, (Times{0, 400000}));

  // A timer that moved its next firing once goes back to its own beat afterwards.
  Reset();
  Times moved;
  const SInt64 from = Now();
  Action once = [&](EventLoopTimerRef t) {
    moved.push_back(Now() - from);
    if (moved.size() == 1) {
      EXPECT_EQ(SetEventLoopTimerNextFireTime(t, 0.05), noErr);
    }
  };
  After(0, 0.1, once);
  sp_testing::PumpFor(260000);
  EXPECT_EQ(moved, (Times{0, 50000, 150000, 250000}));
}

TEST_F(EventLoop, ZeroDelayFiresOnTheNextPassAndAMicrosecondIntervalOnEveryPass) {
  PassCounter counter;
  std::vector<int> first, second, step;
  Action b = [&](EventLoopTimerRef) { second.push_back(counter.passes); };
  Action a = [&](EventLoopTimerRef) { first.push_back(counter.passes), After(0, 0, b); };
  After(0, 0, a);
  EXPECT_TRUE(first.empty()) << "never during installation";
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(first.size() + second.size(), 2u);
  EXPECT_EQ(second[0], first[0] + 1) << "installed during a pass: the next one";

  Times poll;
  const SInt64 start = Now();
  Action everyPass = [&](EventLoopTimerRef) { step.push_back(counter.passes); };
  Action timed = [&](EventLoopTimerRef) { poll.push_back(Now() - start); };
  After(0, kEventDurationMicrosecond, everyPass);
  After(0.1, 0.1, timed);
  sp_testing::PumpFor(500000);
  ASSERT_GT(step.size(), 100u);
  for (std::size_t i = 1; i < step.size(); ++i) {
    ASSERT_EQ(step[i], step[i - 1] + 1) << "once per pass, no pass skipped";
  }
  EXPECT_EQ(poll, (Times{100000, 200000, 300000, 400000, 500000})) << "timed timers still come due";
}

TEST_F(EventLoop, ATimerCallbackMayRemoveItselfOrATimerDueInTheSamePass) {
  int selfFires = 0, victimFires = 0;
  Action self = [&](EventLoopTimerRef t) {
    ++selfFires;
    EXPECT_EQ(RemoveEventLoopTimer(t), noErr);
  };
  EventLoopTimerRef selfTimer = After(0, 0.1, self);
  EventLoopTimerRef victimTimer = nullptr;
  Action killer = [&](EventLoopTimerRef) { EXPECT_EQ(RemoveEventLoopTimer(victimTimer), noErr); };
  Action victim = [&](EventLoopTimerRef) { ++victimFires; };
  After(0, 0, killer);
  victimTimer = After(0, 0, victim);  // due in the same pass, after the killer
  sp_testing::PumpFor(1000000);
  EXPECT_EQ(selfFires, 1);
  EXPECT_EQ(victimFires, 0);
  EXPECT_EQ(RemoveEventLoopTimer(selfTimer), paramErr) << "removed once already";
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1) << "the one-shot killer waits, installed";

  // Bad arguments are refused.
  EventLoopTimerRef timer = nullptr;
  EXPECT_EQ(InstallEventLoopTimer(nullptr, 0, 0, RunAction, &victim, &timer), paramErr);
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, 0, nullptr, &victim, &timer), paramErr);
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), -0.5, 0, RunAction, &victim, &timer),
            paramErr);
  EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, -2.0, RunAction, &victim, &timer),
            paramErr);
  EXPECT_EQ(timer, nullptr);
  EXPECT_EQ(SetEventLoopTimerNextFireTime(nullptr, 1.0), paramErr);
}

TEST_F(EventLoop, OnTheRealClockTheLoopSleepsUntilATimerIsDue) {
  sp_testing::UseRealClock();
  Times at;
  const SInt64 start = Now();
  Action log = [&](EventLoopTimerRef) { at.push_back(Now() - start); };
  After(0.03, 0, log);
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(at.size(), 1u);
  EXPECT_GE(at[0], 30000);
  EXPECT_LT(at[0], 1000000);
}

TEST_F(EventLoop, FileCompletionsRunAtTheStartOfAPassAlsoInsideAModalLoop) {
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  volatile OSErr ioResult = 1;
  int ran = 0;
  bool ranBeforeTimer = false;
  Action quit = [&](EventLoopTimerRef) {
    ranBeforeTimer = ran == 1;
    QuitAppModalLoopForWindow(dialog);
  };
  Action modal = [&](EventLoopTimerRef) {
    sp_platform::files::QueueFileCompletion(0, -1, &ioResult, noErr, [&ran] { ++ran; });
    After(0, 0, quit);
    RunAppModalLoopForWindow(dialog);
  };
  After(0, 0, modal);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(ioResult, noErr);
  EXPECT_TRUE(ranBeforeTimer);
}

// The look-ups of one pass ask after the mount table once: a disk mounted during a pass is a
// volume from the next pass on, also in the passes of a modal loop run within a pass.
TEST_F(EventLoop, ADiskMountedDuringAPassIsAVolumeFromTheNextPassOnAlsoInAModalLoop) {
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
  sp_testing::ResetFiles();  // the table of this test's own mount namespace is watched
  sp_testing::HomeScope home;
  std::filesystem::create_directories(home.Path("stick"));
  const SInt16 homeVolume = files_test::FolderAt(home, "").vRefNum;
  const auto stickIsAVolume = [&] {
    return files_test::FolderAt(home, "stick").vRefNum != homeVolume;
  };
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  bool mounted = false, seenNextPass = false;
  int firings = 0;
  Action inModal = [&](EventLoopTimerRef self) {
    if (++firings == 1) {
      mounted = mount("tmpfs", home.Path("stick").c_str(), "tmpfs", 0, "size=64k") == 0;
      return;
    }
    seenNextPass = stickIsAVolume();
    RemoveEventLoopTimer(self);
    QuitAppModalLoopForWindow(dialog);
  };
  Action modal = [&](EventLoopTimerRef) {
    EXPECT_FALSE(stickIsAVolume()) << "the outer pass has asked after the table";
    After(0, 0.1, inModal);
    RunAppModalLoopForWindow(dialog);
  };
  After(0, 0, modal);
  sp_testing::PumpUntilIdle();
  if (!mounted) GTEST_SKIP() << "this process may not mount a tmpfs";
  umount2(home.Path("stick").c_str(), MNT_DETACH);
  EXPECT_TRUE(seenNextPass);
  sp_testing::ResetFiles();
}

TEST_F(EventLoop, TimersKeepFiringInNestedModalLoopsAndQuitEndsOnlyTheInnermost) {
  WindowRef outerDialog = MakeWindow(R(100, 100, 200, 300));
  WindowRef innerDialog = MakeWindow(R(120, 120, 220, 320));
  Strings log;
  int ticks = 0;
  Action tick = [&ticks](EventLoopTimerRef) { ++ticks; };
  Action quitInner = [&](EventLoopTimerRef) {
    log.push_back("quit inner at " + std::to_string(ticks));
    QuitAppModalLoopForWindow(innerDialog);
  };
  Action quitOuter = [&](EventLoopTimerRef) {
    log.push_back("quit outer at " + std::to_string(ticks));
    QuitAppModalLoopForWindow(outerDialog);
  };
  // The inner loop starts from a timer's callback inside the outer loop.
  Action startInner = [&](EventLoopTimerRef) {
    After(0.3, 0, quitInner);
    RunAppModalLoopForWindow(innerDialog);
    log.push_back("inner returned, depth " + std::to_string(sp_testing::ModalLoopDepth()));
  };
  Action startOuter = [&](EventLoopTimerRef) {
    After(0.15, 0, startInner);
    After(0.8, 0, quitOuter);
    RunAppModalLoopForWindow(outerDialog);
    log.push_back("outer returned at " + std::to_string(ticks));
    QuitApplicationEventLoop();
  };
  After(0.1, 0.1, tick);
  After(0, 0, startOuter);
  RunApplicationEventLoop();
  EXPECT_EQ(log, (Strings{"quit inner at 4", "inner returned, depth 1", "quit outer at 8",
                          "outer returned at 8"}));
}

TEST_F(EventLoop, ATimerFiresInsideAModalLoopStartedInItsPassButNeverInsideItsOwnCallback) {
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  int fires = 0, ticksInside = 0;
  bool inside = false, reentered = false;
  Action repeating = [&](EventLoopTimerRef) {
    reentered |= inside;
    if (++fires == 1) {
      inside = true;
      RunAppModalLoopForWindow(dialog);
      inside = false;
    }
  };
  Action tick = [&](EventLoopTimerRef) { ticksInside += inside; };
  Action quit = [&](EventLoopTimerRef) { QuitAppModalLoopForWindow(dialog); };
  After(0, 0.1, repeating);
  After(0, 0.1, tick);  // due in the same pass as the modal loop's start, behind it
  After(0.25, 0, quit);
  sp_testing::PumpFor(300000);
  EXPECT_FALSE(reentered);
  EXPECT_EQ(ticksInside, 3);  // 0, 0.1 and 0.2 s
  sp_testing::PumpFor(300000);
  EXPECT_GE(fires, 3) << "it fires again once its callback has returned";
}

TEST_F(EventLoop, AModalLoopTakesKeysAndDropsClicksOnOtherWindowsWithABeep) {
  WindowRef document = MakeWindow(R(40, 10, 300, 300));
  WindowRef dialog = MakeWindow(R(100, 400, 250, 600));
  SelectWindow(document);  // in front, but not the modal window
  Strings log;
  auto note = [&log](const char* who) {
    return [&log, who](EventRef e) {
      return log.push_back(who + std::to_string(GetEventKind(e))), OSStatus(noErr);
    };
  };
  const std::vector<EventTypeSpec> types = {{kEventClassMouse, kEventMouseDown},
                                            {kEventClassMouse, kEventMouseUp},
                                            {kEventClassKeyboard, kEventRawKeyDown}};
  Listen(GetWindowEventTarget(document), types, note("document"));
  Listen(GetWindowEventTarget(dialog), types, note("dialog"));
  Listen(GetApplicationEventTarget(), {types[0]}, note("app"));
  Action input = [&](EventLoopTimerRef) {
    sp_testing::PostMouseDown(Pt(50, 100));   // on the document
    sp_testing::PostMouseDown(Pt(450, 150));  // on the dialog
    sp_testing::PostMouseDown(Pt(900, 700));  // on the desk: the application's
    sp_testing::PostKeyDown('a', 0);
    sp_testing::PostMouseUp(Pt(60, 100));  // a release over the document ends a press
  };
  Action quit = [&](EventLoopTimerRef) { QuitAppModalLoopForWindow(dialog); };
  Action modal = [&](EventLoopTimerRef) { RunAppModalLoopForWindow(dialog); };
  After(0, 0, modal);
  After(0.1, 0, input);
  After(0.2, 0, quit);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log, (Strings{"dialog1", "app1", "dialog1", "dialog2"}));
  EXPECT_EQ(sp_testing::BeepCount(), 1u);
}

TEST_F(EventLoop, AModalLoopEndsWhenItsWindowIsDisposedOf) {
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  Action keepBusy = [](EventLoopTimerRef) {};
  Action dispose = [&](EventLoopTimerRef) { DisposeWindow(dialog); };
  bool returned = false;
  Action modal = [&](EventLoopTimerRef) {
    RunAppModalLoopForWindow(dialog);
    returned = true;
  };
  EventLoopTimerRef busy = After(0, 0.1, keepBusy);
  After(0, 0, modal);
  After(0.3, 0, dispose);
  sp_testing::PumpUntil([&returned] { return returned; });
  EXPECT_EQ(QuitAppModalLoopForWindow(dialog), paramErr);

  RemoveEventLoopTimer(busy);
}

OSErr QuitHandlerEndsLoop(const AppleEvent*, AppleEvent*, URefCon refCon) {
  ++*reinterpret_cast<int*>(refCon);
  QuitApplicationEventLoop();
  return noErr;
}

// The quit command nobody took becomes one quit Apple event, dispatched by a later pass (never
// inside the sending), whose handler ends the application's loop.
TEST_F(EventLoop, TheQuitCommandEndsTheApplicationLoopThroughOneQuitAppleEvent) {
  int quits = 0;
  ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, QuitHandlerEndsLoop,
                                  URefCon(&quits), false),
            noErr);
  WindowRef window = MakeWindow(R(40, 10, 240, 210), kWindowStandardHandlerAttribute);
  int queuedAtSend = -1;
  Action command = [&](EventLoopTimerRef) {
    // Sent to a window: no handler on the way takes it, so the application's standard handling
    // at its end does.
    EXPECT_EQ(SendCommand(kHICommandQuit, GetWindowEventTarget(window)), noErr);
    queuedAtSend = sp_testing::QueuedAppleEventCount();
    EXPECT_EQ(quits, 0) << "never dispatched inside the sending";
  };
  Action keepBusy = [](EventLoopTimerRef) {};
  bool guardFired = false;
  Action guard = [&guardFired](EventLoopTimerRef) {
    guardFired = true;
    QuitApplicationEventLoop();
  };
  After(0.1, 0, command);
  EventLoopTimerRef busy = After(0, 0.1, keepBusy);  // keeps the loop from going idle
  EventLoopTimerRef stop = After(10, 0, guard);      // ends the loop should the quit never come
  RunApplicationEventLoop();
  RemoveEventLoopTimer(stop);
  EXPECT_FALSE(guardFired) << "the loop did not end through the quit Apple event";
  EXPECT_EQ(queuedAtSend, 1);
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(sp_testing::IdleLoopReturns(), 0u);
  RemoveEventLoopTimer(busy);
}

// A command handler that takes the quit command keeps the standard handling out; other
// commands, and a command event without its command, stay unhandled by it.
TEST_F(EventLoop, OnlyAQuitCommandNobodyTookSendsTheQuitAppleEvent) {
  EXPECT_EQ(SendCommand(kHICommandAbout, GetApplicationEventTarget()), eventNotHandledErr);
  EXPECT_EQ(SendCommand(kHICommandOK, GetApplicationEventTarget()), eventNotHandledErr);
  EXPECT_EQ(Send(kEventClassCommand, kEventCommandProcess, GetApplicationEventTarget()),
            eventNotHandledErr);
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 0);
  int taken = 0;
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [&taken](EventRef) { return ++taken, OSStatus(noErr); });
  EXPECT_EQ(SendCommand(kHICommandQuit, GetApplicationEventTarget()), noErr);
  EXPECT_EQ(taken, 1);
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 0);
}

// When memory runs out on the way, the quit command answers an error exactly when no quit
// Apple event was queued: a quit that cannot happen is never reported as done.
TEST_F(EventLoop, AQuitCommandThatCouldNotQueueItsEventAnswersTheError) {
  int failures = 0;
  for (UInt32 n = 1; n <= 40; ++n) {
    sp_testing::ResetAppleEvents();
    sp_testing::FailNthAllocation(n);
    const OSStatus status = SendCommand(kHICommandQuit, GetApplicationEventTarget());
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(sp_testing::QueuedAppleEventCount(), status == noErr ? 1 : 0) << n;
    if (status != noErr) ++failures;
  }
  sp_testing::ResetAppleEvents();
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace ui_test
