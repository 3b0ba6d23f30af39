// The loop: posted events, quitting, Apple events and file completions from the loop, modal
// loops and their nesting, and the test API's watchdog.
#include <functional>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "files/detail/Completions.h"

namespace ui_test {
namespace {

using EventLoop = UiTest;

struct Recorder {
  std::vector<std::string> log;
  std::function<void(EventRef)> action;
};

OSStatus RecordEvent(EventHandlerCallRef, EventRef event, void* data) {
  Recorder* r = static_cast<Recorder*>(data);
  r->log.push_back(std::to_string(GetEventKind(event)) + ":" +
                   std::to_string(Param<UInt32>(event, SpFourCC("tag "), typeUInt32)));
  if (r->action) r->action(event);
  return noErr;
}

void InstallRecorder(EventTargetRef target, UInt32 cls, std::vector<UInt32> kinds, Recorder& r) {
  std::vector<EventTypeSpec> specs;
  for (UInt32 k : kinds) specs.push_back({cls, k});
  ASSERT_EQ(
      InstallEventHandler(target, RecordEvent, ItemCount(specs.size()), specs.data(), &r, nullptr),
      noErr);
}

void Post(UInt32 cls, UInt32 kind, UInt32 tag, EventPriority priority) {
  EventRef event = NewEvent(cls, kind);
  SetEventParameter(event, SpFourCC("tag "), typeUInt32, sizeof tag, &tag);
  ASSERT_EQ(PostEventToQueue(GetMainEventQueue(), event, priority), noErr);
  ReleaseEvent(event);
}

// A timer from a lambda.
struct Action {
  std::function<void(EventLoopTimerRef)> run;
};
void RunAction(EventLoopTimerRef t, void* data) {
  static_cast<Action*>(data)->run(t);
}
EventLoopTimerRef After(EventTimerInterval delay, EventTimerInterval interval, Action& a) {
  EventLoopTimerRef t = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), delay, interval, RunAction, &a, &t);
  return t;
}

TEST_F(EventLoop, PostedEventsGoByPriorityThenInOrderAndNewOnesWaitForTheNextPass) {
  Recorder r;
  InstallRecorder(GetApplicationEventTarget(), kEventClassApplication, {kEventAppActivated}, r);
  int passAtPost = 0;
  r.action = [&r, &passAtPost](EventRef) {
    if (r.log.size() == 1) {
      Post(kEventClassApplication, kEventAppActivated, 9, kEventPriorityHigh);
      passAtPost = int(r.log.size());
    }
  };
  Post(kEventClassApplication, kEventAppActivated, 1, kEventPriorityLow);
  Post(kEventClassApplication, kEventAppActivated, 2, kEventPriorityStandard);
  Post(kEventClassApplication, kEventAppActivated, 3, kEventPriorityHigh);
  Post(kEventClassApplication, kEventAppActivated, 4, kEventPriorityStandard);
  sp_testing::PumpPending();
  // The high-priority event posted by the first handler waits until the queue's events of
  // that pass have gone.
  EXPECT_EQ(r.log, (std::vector<std::string>{"1:3", "1:2", "1:4", "1:1", "1:9"}));
  EventRef event = NewEvent(kEventClassApplication, kEventAppActivated);
  PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard);
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard),
            eventAlreadyPostedErr);
  EXPECT_EQ(RemoveEventFromQueue(GetMainEventQueue(), event), noErr);
  EXPECT_EQ(RemoveEventFromQueue(GetMainEventQueue(), event), eventNotInQueueErr);
  ReleaseEvent(event);
}

OSErr OpenApplication(const AppleEvent*, AppleEvent*, URefCon refCon) {
  ++*reinterpret_cast<int*>(refCon);
  return noErr;
}

TEST_F(EventLoop, RunApplicationEventLoopDeliversOpenApplicationAndReturnsWhenNothingCanHappen) {
  int opens = 0;
  AEInstallEventHandler(kCoreEventClass, kAEOpenApplication, OpenApplication, URefCon(&opens),
                        false);
  RunApplicationEventLoop();
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(sp_testing::IdleLoopReturns(), 1u);
}

TEST_F(EventLoop, QuitFromATimerEndsTheLoopBeforeAnyLaterWorkOfThatPass) {
  Action quit{[](EventLoopTimerRef) { QuitApplicationEventLoop(); }};
  int later = 0;
  Action after{[&later](EventLoopTimerRef) { ++later; }};
  After(0.5, 0, quit);
  After(0.5, 0, after);  // due in the same pass, behind the quit
  RunApplicationEventLoop();
  EXPECT_EQ(later, 0) << "nothing runs after the loop was told to quit";
  EXPECT_EQ(sp_testing::IdleLoopReturns(), 0u);
}

TEST_F(EventLoop, FileCompletionsRunAtTheStartOfAPassAlsoInsideAModalLoop) {
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  volatile OSErr ioResult = 0;
  int ran = 0;
  bool ranBeforeTimer = false;
  Action modal{[&](EventLoopTimerRef) {
    sp_platform::files::QueueFileCompletion(0, -1, &ioResult, noErr, [&ran] { ++ran; });
    Action quit{[&](EventLoopTimerRef) {
      ranBeforeTimer = (ran == 1);
      QuitAppModalLoopForWindow(dialog);
    }};
    After(0, 0, quit);
    RunAppModalLoopForWindow(dialog);
  }};
  After(0, 0, modal);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(ioResult, noErr);
  EXPECT_TRUE(ranBeforeTimer);
}

TEST_F(EventLoop, TimersKeepFiringInNestedModalLoopsAndQuitEndsOnlyTheInnermost) {
  WindowRef outerDialog = MakeWindow(R(100, 100, 200, 300));
  WindowRef innerDialog = MakeWindow(R(120, 120, 220, 320));
  std::vector<std::string> log;
  int ticks = 0;
  Action tick{[&ticks](EventLoopTimerRef) { ++ticks; }};
  After(0.1, 0.1, tick);
  Action quitInner{[&](EventLoopTimerRef) {
    log.push_back("quit inner at " + std::to_string(ticks));
    QuitAppModalLoopForWindow(innerDialog);
  }};
  Action quitOuter{[&](EventLoopTimerRef) {
    log.push_back("quit outer at " + std::to_string(ticks));
    QuitAppModalLoopForWindow(outerDialog);
  }};
  // The inner loop starts from a timer's callback inside the outer loop.
  Action startInner{[&](EventLoopTimerRef) {
    log.push_back("inner starts");
    After(0.3, 0, quitInner);
    RunAppModalLoopForWindow(innerDialog);
    log.push_back("inner returned, depth " + std::to_string(sp_testing::ModalLoopDepth()));
  }};
  Action startOuter{[&](EventLoopTimerRef) {
    After(0.15, 0, startInner);
    After(0.8, 0, quitOuter);
    RunAppModalLoopForWindow(outerDialog);
    log.push_back("outer returned at " + std::to_string(ticks));
    QuitApplicationEventLoop();
  }};
  After(0, 0, startOuter);
  RunApplicationEventLoop();
  EXPECT_EQ(log,
            (std::vector<std::string>{"inner starts", "quit inner at 4", "inner returned, depth 1",
                                      "quit outer at 8", "outer returned at 8"}));
}

TEST_F(EventLoop, ATimerNeverFiresInsideItsOwnCallbacksModalLoop) {
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  int fires = 0;
  bool reentered = false;
  bool inside = false;
  Action repeating{[&](EventLoopTimerRef) {
    if (inside) reentered = true;
    if (++fires == 1) {
      inside = true;
      RunAppModalLoopForWindow(dialog);
      inside = false;
    }
  }};
  Action quit{[&](EventLoopTimerRef) { QuitAppModalLoopForWindow(dialog); }};
  After(0, 0.1, repeating);
  After(0.35, 0, quit);
  sp_testing::PumpFor(600000);
  EXPECT_FALSE(reentered);
  EXPECT_GE(fires, 3) << "it fires again once its callback has returned";
}

TEST_F(EventLoop, TimersDueInThePassThatStartsAModalLoopFireInsideIt) {
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  int ticksInside = 0;
  bool inside = false;
  Action modal{[&](EventLoopTimerRef) {
    inside = true;
    RunAppModalLoopForWindow(dialog);
    inside = false;
  }};
  Action tick{[&](EventLoopTimerRef) {
    if (inside) ++ticksInside;
  }};
  Action quit{[&](EventLoopTimerRef) { QuitAppModalLoopForWindow(dialog); }};
  After(0, 0, modal);
  After(0, 0.1, tick);  // due in the same pass as the modal loop's start, behind it
  After(0.25, 0, quit);
  sp_testing::PumpFor(300000);
  EXPECT_EQ(ticksInside, 3);  // 0, 0.1 and 0.2 s
  EXPECT_EQ(sp_testing::IdleLoopReturns(), 0u);
}

TEST_F(EventLoop, AModalLoopTakesKeysAndDropsClicksOnOtherWindowsWithABeep) {
  WindowRef document = MakeWindow(R(40, 10, 300, 300));
  WindowRef dialog = MakeWindow(R(100, 400, 250, 600));
  SelectWindow(document);  // in front, but not the modal window
  Recorder onDocument, onDialog, onApp;
  InstallRecorder(GetWindowEventTarget(document), kEventClassMouse, {kEventMouseDown}, onDocument);
  InstallRecorder(GetWindowEventTarget(document), kEventClassKeyboard, {kEventRawKeyDown},
                  onDocument);
  InstallRecorder(GetWindowEventTarget(dialog), kEventClassMouse, {kEventMouseDown, kEventMouseUp},
                  onDialog);
  InstallRecorder(GetWindowEventTarget(dialog), kEventClassKeyboard, {kEventRawKeyDown}, onDialog);
  InstallRecorder(GetApplicationEventTarget(), kEventClassMouse, {kEventMouseDown}, onApp);

  Action input{[&](EventLoopTimerRef) {
    sp_testing::PostMouseDown(Pt(50, 100));   // on the document
    sp_testing::PostMouseDown(Pt(450, 150));  // on the dialog
    sp_testing::PostMouseDown(Pt(900, 700));  // on the desk
    sp_testing::PostKeyDown('a', 0);
    sp_testing::PostMouseUp(Pt(60, 100));  // a release over the document ends a press
  }};
  Action quit{[&](EventLoopTimerRef) { QuitAppModalLoopForWindow(dialog); }};
  Action modal{[&](EventLoopTimerRef) { RunAppModalLoopForWindow(dialog); }};
  After(0, 0, modal);
  After(0.1, 0, input);
  After(0.2, 0, quit);
  UInt32 beeps = sp_testing::BeepCount();
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(onDocument.log.empty());
  // The click, the key and the release.
  EXPECT_EQ(onDialog.log, (std::vector<std::string>{"1:0", "1:0", "2:0"}));
  EXPECT_EQ(onApp.log.size(), 1u) << "a click on the desk is the application's";
  EXPECT_EQ(sp_testing::BeepCount() - beeps, 1u);
}

TEST_F(EventLoop, AModalLoopEndsWhenItsWindowIsDisposedOf) {
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  Action keepBusy{[](EventLoopTimerRef) {}};
  Action dispose{[&](EventLoopTimerRef) { DisposeWindow(dialog); }};
  bool returned = false;
  Action modal{[&](EventLoopTimerRef) {
    RunAppModalLoopForWindow(dialog);
    returned = true;
  }};
  EventLoopTimerRef busy = After(0, 0.1, keepBusy);
  After(0, 0, modal);
  After(0.3, 0, dispose);
  sp_testing::PumpUntil([&returned] { return returned; });
  RemoveEventLoopTimer(busy);
  EXPECT_EQ(QuitAppModalLoopForWindow(dialog), paramErr);
}

TEST_F(EventLoop, TheWatchdogUnwindsARunawayModalLoopAndFailsThePump) {
  sp_testing::PumpResult r = sp_testing::detail::PumpUntilImpl([] { return false; });
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.end, sp_testing::PumpEnd::kIdle) << "idle before the condition holds";
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  bool returned = false;
  Action modal{[&](EventLoopTimerRef) {
    RunAppModalLoopForWindow(dialog);  // nobody ever quits it
    returned = true;
  }};
  Action tick{[](EventLoopTimerRef) {}};
  After(0, 0, modal);
  After(0, 0.1, tick);
  sp_testing::SetPumpLimits({1000, 3600LL * 1000000});
  r = sp_testing::detail::PumpUntilIdleImpl();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.end, sp_testing::PumpEnd::kWatchdog);
  EXPECT_NE(r.message.find("1000 passes"), std::string::npos) << r.message;
  EXPECT_TRUE(returned);
  // A limit on clock time trips too.
  sp_testing::SetPumpLimits({1000000, 2000000});
  r = sp_testing::detail::PumpUntilImpl([] { return false; });
  EXPECT_EQ(r.end, sp_testing::PumpEnd::kWatchdog);
  EXPECT_NE(r.message.find("2000000 microseconds"), std::string::npos) << r.message;
}

}  // namespace
}  // namespace ui_test
