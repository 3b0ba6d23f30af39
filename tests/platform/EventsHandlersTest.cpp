// Handler stacks, propagation to parent targets, removal while running,
// and the standard handling table.
#include <string>
#include <utility>
#include <vector>

#include "UiFixture.h"
#include "events/internal/EventLoop.h"

namespace ui_test {
namespace {

// A handler that writes its name into a log and answers a set result; optional actions run
// inside it.
struct Probe {
  explicit Probe(std::string n, OSStatus r = eventNotHandledErr) : name(std::move(n)), result(r) {}
  std::string name;
  OSStatus result = eventNotHandledErr;
  std::vector<std::string>* log = nullptr;
  EventHandlerRef self = nullptr;
  std::vector<EventHandlerRef> removeWhenRun;
  WindowRef disposeWhenRun = nullptr;
};

OSStatus ProbeHandler(EventHandlerCallRef, EventRef, void* data) {
  Probe* p = static_cast<Probe*>(data);
  p->log->push_back(p->name);
  for (EventHandlerRef h : p->removeWhenRun) EXPECT_EQ(RemoveEventHandler(h), noErr);
  if (p->disposeWhenRun != nullptr) DisposeWindow(p->disposeWhenRun);
  return p->result;
}

const EventTypeSpec kProbeType = {kEventClassApplication, kEventAppActivated};

void Install(EventTargetRef target, Probe& p, std::vector<std::string>& log) {
  p.log = &log;
  ASSERT_EQ(
      InstallEventHandler(target, NewEventHandlerUPP(ProbeHandler), 1, &kProbeType, &p, &p.self),
      noErr);
}

using EventHandlers = UiTest;

struct OrderCase {
  OSStatus first, second, third;  // results of the handlers installed first, second, third
  std::vector<std::string> calls;
  OSStatus result;
};

TEST_F(EventHandlers, RunMostRecentFirstAndStopAtTheFirstThatHandles) {
  const OrderCase cases[] = {
      {eventNotHandledErr, eventNotHandledErr, noErr, {"third"}, noErr},
      {eventNotHandledErr, noErr, eventNotHandledErr, {"third", "second"}, noErr},
      {noErr, eventNotHandledErr, eventNotHandledErr, {"third", "second", "first"}, noErr},
      {eventNotHandledErr,
       eventNotHandledErr,
       eventNotHandledErr,
       {"third", "second", "first"},
       eventNotHandledErr},
      {noErr, paramErr, eventNotHandledErr, {"third", "second"}, paramErr},
  };
  for (const OrderCase& c : cases) {
    Reset();
    std::vector<std::string> log;
    Probe first{"first", c.first}, second{"second", c.second}, third{"third", c.third};
    Install(GetApplicationEventTarget(), first, log);
    Install(GetApplicationEventTarget(), second, log);
    Install(GetApplicationEventTarget(), third, log);
    EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetApplicationEventTarget()),
              c.result);
    EXPECT_EQ(log, c.calls);
    // Only the installed event types reach a handler.
    log.clear();
    EXPECT_EQ(Send(kEventClassApplication, kEventAppDeactivated, GetApplicationEventTarget()),
              eventNotHandledErr);
    EXPECT_EQ(Send(kEventClassKeyboard, kEventAppActivated, GetApplicationEventTarget()),
              eventNotHandledErr);
    EXPECT_TRUE(log.empty());
  }
}

TEST_F(EventHandlers, UnhandledEventsGoFromControlToWindowToApplication) {
  WindowRef window = MakeWindow(R(40, 10, 240, 210));
  EventTargetRef windowTarget = GetWindowEventTarget(window);
  ControlRef control = reinterpret_cast<ControlRef>(&window);  // any distinct address
  EventTargetRef controlTarget = GetControlEventTarget(control);
  ASSERT_EQ(sp_platform::SetEventTargetParent(controlTarget, windowTarget), noErr);

  std::vector<std::string> log;
  Probe c{"control"}, w{"window"}, a{"app", noErr};
  Install(controlTarget, c, log);
  Install(windowTarget, w, log);
  Install(GetApplicationEventTarget(), a, log);
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, controlTarget), noErr);
  EXPECT_EQ(log, (std::vector<std::string>{"control", "window", "app"}));

  // A handled event stops where it was handled.
  log.clear();
  w.result = noErr;
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, controlTarget), noErr);
  EXPECT_EQ(log, (std::vector<std::string>{"control", "window"}));
  sp_platform::DisposeObjectEventTarget(control);
}

TEST_F(EventHandlers, AHandlerRemovingItselfAndTheNextOneStopsBothFromRunning) {
  std::vector<std::string> log;
  Probe first{"first", noErr}, second{"second"};
  Install(GetApplicationEventTarget(), first, log);
  Install(GetApplicationEventTarget(), second, log);
  second.removeWhenRun = {second.self, first.self};

  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetApplicationEventTarget()),
            eventNotHandledErr);
  EXPECT_EQ(log, (std::vector<std::string>{"second"}));
  log.clear();
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetApplicationEventTarget()),
            eventNotHandledErr);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(RemoveEventHandler(first.self), paramErr);
}

TEST_F(EventHandlers, AWindowDisposedByItsOwnHandlerPassesTheEventOnSafely) {
  WindowRef window = MakeWindow(R(40, 10, 240, 210));
  std::vector<std::string> log;
  Probe w{"window"}, app{"app", noErr};
  w.disposeWhenRun = window;
  Install(GetApplicationEventTarget(), app, log);
  Install(GetWindowEventTarget(window), w, log);
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetWindowEventTarget(window)), noErr);
  EXPECT_EQ(log, (std::vector<std::string>{"window", "app"}));
  EXPECT_FALSE(IsValidWindowPtr(window));
}

TEST_F(EventHandlers, BadArgumentsAreRefused) {
  EventHandlerRef ref = reinterpret_cast<EventHandlerRef>(1);
  EXPECT_EQ(InstallEventHandler(nullptr, ProbeHandler, 1, &kProbeType, nullptr, &ref), paramErr);
  EXPECT_EQ(ref, nullptr);
  EXPECT_EQ(
      InstallEventHandler(GetApplicationEventTarget(), nullptr, 1, &kProbeType, nullptr, nullptr),
      paramErr);
  EXPECT_EQ(InstallEventHandler(GetApplicationEventTarget(), ProbeHandler, 0, &kProbeType, nullptr,
                                nullptr),
            paramErr);
  EventTargetRef stale = reinterpret_cast<EventTargetRef>(&ref);
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, stale), paramErr);
}

OSErr QuitHandler(const AppleEvent*, AppleEvent*, URefCon refCon) {
  ++*reinterpret_cast<int*>(refCon);
  return noErr;
}

TEST_F(EventHandlers, QuitCommandOnlyUntakenSendsOneQuitAppleEventDispatchedLater) {
  int quits = 0;
  ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, QuitHandler, URefCon(&quits),
                                  false),
            noErr);
  WindowRef window = MakeWindow(R(40, 10, 240, 210), kWindowStandardHandlerAttribute);
  // Sent to a window: no handler anywhere takes it, so the application's standard handling
  // at the end of the way does.
  EXPECT_EQ(SendCommand(kHICommandQuit, GetWindowEventTarget(window)), noErr);
  EXPECT_EQ(quits, 0) << "never dispatched inside the sending";
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 1);
  sp_testing::PumpPending();
  EXPECT_EQ(quits, 1);

  // Other commands, or a command event without its HI command, stay unhandled.
  EXPECT_EQ(SendCommand(kHICommandAbout, GetApplicationEventTarget()), eventNotHandledErr);
  EXPECT_EQ(SendCommand(kHICommandOK, GetApplicationEventTarget()), eventNotHandledErr);
  EXPECT_EQ(Send(kEventClassCommand, kEventCommandProcess, GetApplicationEventTarget()),
            eventNotHandledErr);
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 0);

  // A handler that took the command leaves the standard handling out.
  std::vector<std::string> log;
  Probe app{"app", noErr};
  const EventTypeSpec command = {kEventClassCommand, kEventCommandProcess};
  app.log = &log;
  InstallEventHandler(GetApplicationEventTarget(), ProbeHandler, 1, &command, &app, &app.self);
  EXPECT_EQ(SendCommand(kHICommandQuit, GetApplicationEventTarget()), noErr);
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 0);
  EXPECT_EQ(log.size(), 1u);
}

}  // namespace
}  // namespace ui_test
