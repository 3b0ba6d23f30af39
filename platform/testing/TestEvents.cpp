#include "TestEvents.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "SpTextCodec.h"
#include "base/internal/Clock.h"
#include "events/internal/EventLoop.h"
#include "events/internal/Keyboard.h"
#include "events/internal/LoopSteps.h"
#include "events/internal/TestHooks.h"

namespace sp_testing {
namespace {

using sp_platform::RawInput;
using namespace sp_platform::events;

PumpLimits gLimits;

void Post(RawInput in) {
  sp_platform::PostRawInput(in);
}

RawInput Mouse(sp_platform::RawInputKind kind, Point where, UInt32 modifiers, UInt32 clicks) {
  RawInput in;
  in.kind = kind;
  in.where = where;
  in.modifiers = modifiers;
  in.clickCount = clicks;
  return in;
}

RawInput Key(sp_platform::RawInputKind kind, UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
  RawInput in;
  in.kind = kind;
  in.charCode = charCode;
  in.keyCode = keyCode;
  in.modifiers = modifiers;
  return in;
}

// One scheduled input: a one-shot timer that runs it and removes itself. The test API owns
// the inputs still waiting, so that a reset frees them with their timers.
struct Scheduled {
  std::function<void()> post;
};

std::vector<std::unique_ptr<Scheduled>>& ScheduledInputs() {
  static std::vector<std::unique_ptr<Scheduled>> inputs;
  return inputs;
}

void RunScheduled(EventLoopTimerRef timer, void* data) {
  RemoveEventLoopTimer(timer);
  std::vector<std::unique_ptr<Scheduled>>& inputs = ScheduledInputs();
  for (auto it = inputs.begin(); it != inputs.end(); ++it) {
    if (it->get() == data) {
      std::function<void()> post = std::move((*it)->post);
      inputs.erase(it);
      if (post) post();
      return;
    }
  }
}

PumpLimitsInternal Limits(SInt64 extraMicros = 0) {
  return {gLimits.maxPasses, gLimits.maxMicroseconds + std::max<SInt64>(extraMicros, 0)};
}

// Ends a pump: the watchdog's verdict wins over the pump's own.
PumpResult Finish(PumpResult r) {
  std::string tripped = DisarmWatchdog();
  if (!tripped.empty()) {
    r.ok = false;
    r.end = PumpEnd::kWatchdog;
    r.message = tripped;
  }
  return r;
}

PumpResult Outcome(bool ok, PumpEnd end, const std::string& message = std::string()) {
  PumpResult r;
  r.ok = ok;
  r.end = end;
  r.passes = WatchdogPasses();
  r.message = message;
  return r;
}

}  // namespace

void PostMouseDown(Point global, UInt32 modifiers, UInt32 clickCount) {
  Post(Mouse(sp_platform::kRawMouseDown, global, modifiers, clickCount));
}
void PostMouseUp(Point global, UInt32 modifiers, UInt32 clickCount) {
  Post(Mouse(sp_platform::kRawMouseUp, global, modifiers, clickCount));
}
void PostMouseMoved(Point global, UInt32 modifiers) {
  Post(Mouse(sp_platform::kRawMouseMoved, global, modifiers, 0));
}
void PostMouseDragged(Point global, UInt32 modifiers) {
  Post(Mouse(sp_platform::kRawMouseDragged, global, modifiers, 0));
}
void PostWheel(Point global, SInt32 notches, EventMouseWheelAxis axis) {
  sp_platform::RawInput in = Mouse(sp_platform::kRawMouseWheel, global, 0, 0);
  in.wheelAxis = axis;
  in.wheelDelta = notches;
  Post(in);
}
void PostKeyDown(UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
  Post(Key(sp_platform::kRawKeyDown, charCode, keyCode, modifiers));
}
void PostKeyRepeat(UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
  Post(Key(sp_platform::kRawKeyRepeat, charCode, keyCode, modifiers));
}
void PostKeyUp(UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
  Post(Key(sp_platform::kRawKeyUp, charCode, keyCode, modifiers));
}

void PostTextInput(const std::string& macJapanese, UInt32 modifiers) {
  RawInput in;
  in.kind = sp_platform::kRawTextInput;
  in.text = macJapanese;
  in.modifiers = modifiers;
  Post(in);
}

void PostTextInputUTF8(const std::string& utf8, UInt32 modifiers) {
  std::string bytes;
  sp::text::UTF8ToMacJapanese(utf8, bytes, '?');
  PostTextInput(bytes, modifiers);
}

void ScheduleInput(SInt64 afterMicroseconds, std::function<void()> post) {
  std::unique_ptr<Scheduled> s(new Scheduled{std::move(post)});
  EventTimerInterval delay = EventTimerInterval(std::max<SInt64>(afterMicroseconds, 0)) / 1e6;
  if (InstallEventLoopTimer(GetMainEventLoop(), delay, 0, RunScheduled, s.get(), nullptr) ==
      noErr) {
    ScheduledInputs().push_back(std::move(s));
  }
}

void SetModifierKeys(UInt32 modifiers) {
  sp_platform::SetKeyDown(kVK_Command, (modifiers & cmdKey) != 0);
  sp_platform::SetKeyDown(kVK_Shift, (modifiers & shiftKey) != 0);
  sp_platform::SetKeyDown(kVK_CapsLock, (modifiers & alphaLock) != 0);
  sp_platform::SetKeyDown(kVK_Option, (modifiers & optionKey) != 0);
  sp_platform::SetKeyDown(kVK_Control, (modifiers & controlKey) != 0);
}

void SetPumpLimits(const PumpLimits& limits) {
  gLimits = limits;
}

namespace detail {

PumpResult PumpPendingImpl() {
  ArmWatchdog(Limits(), "PumpPending");
  for (;;) {
    if (CountPass()) return Finish(Outcome(false, PumpEnd::kWatchdog));
    bool hooked = RunApplicationPass();
    if (LoopsMustUnwind()) return Finish(Outcome(false, PumpEnd::kWatchdog));
    if (!hooked && !WorkDueNow()) return Finish(Outcome(true, PumpEnd::kSettled));
  }
}

PumpResult PumpUntilIdleImpl() {
  ArmWatchdog(Limits(), "PumpUntilIdle");
  for (;;) {
    if (CountPass()) return Finish(Outcome(false, PumpEnd::kWatchdog));
    bool hooked = RunApplicationPass();
    if (hooked || WorkDueNow()) continue;
    WaitOutcome w = WaitForWork(kNever);
    if (w == WaitOutcome::kUnwind) return Finish(Outcome(false, PumpEnd::kWatchdog));
    if (w == WaitOutcome::kIdle) return Finish(Outcome(true, PumpEnd::kIdle));
  }
}

PumpResult PumpUntilImpl(const std::function<bool()>& condition) {
  ArmWatchdog(Limits(), "PumpUntil");
  for (;;) {
    if (condition && condition()) return Finish(Outcome(true, PumpEnd::kCondition));
    if (CountPass()) return Finish(Outcome(false, PumpEnd::kWatchdog));
    bool hooked = RunApplicationPass();
    if (condition && condition()) return Finish(Outcome(true, PumpEnd::kCondition));
    if (hooked || WorkDueNow()) continue;
    WaitOutcome w = WaitForWork(kNever);
    if (w == WaitOutcome::kUnwind) return Finish(Outcome(false, PumpEnd::kWatchdog));
    if (w == WaitOutcome::kIdle) {
      return Finish(Outcome(false, PumpEnd::kIdle,
                            "PumpUntil: the event loop went idle before the condition held"));
    }
  }
}

PumpResult PumpForImpl(SInt64 microseconds) {
  SInt64 deadline = sp_platform::ClockNowMicroseconds() + std::max<SInt64>(microseconds, 0);
  ArmWatchdog(Limits(microseconds), "PumpFor");
  for (;;) {
    if (CountPass()) return Finish(Outcome(false, PumpEnd::kWatchdog));
    bool hooked = RunApplicationPass();
    if (hooked || WorkDueNow()) continue;
    if (sp_platform::ClockNowMicroseconds() >= deadline) {
      return Finish(Outcome(true, PumpEnd::kTimeUp));
    }
    if (WaitForWork(deadline) == WaitOutcome::kUnwind) {
      return Finish(Outcome(false, PumpEnd::kWatchdog));
    }
  }
}

PumpResult RunApplicationEventLoopUntilImpl(const std::function<bool()>& condition) {
  struct Check {
    const std::function<bool()>* condition;
    bool met;
  } check{&condition, false};
  auto hook = [](void* refCon) -> bool {
    Check* c = static_cast<Check*>(refCon);
    if (!c->met && *c->condition && (*c->condition)()) {
      c->met = true;
      QuitApplicationEventLoop();
    }
    return false;
  };
  UInt32 idleBefore = IdleLoopReturnCount();
  int id = sp_platform::AddPassHook(hook, &check);
  ArmWatchdog(Limits(), "RunApplicationEventLoopUntil");
  RunApplicationEventLoop();
  sp_platform::RemovePassHook(id);
  if (check.met) return Finish(Outcome(true, PumpEnd::kCondition));
  if (IdleLoopReturnCount() != idleBefore) {
    return Finish(Outcome(false, PumpEnd::kIdle,
                          "RunApplicationEventLoopUntil: the event loop went idle before the "
                          "condition held"));
  }
  return Finish(Outcome(false, PumpEnd::kLoopQuit,
                        "RunApplicationEventLoopUntil: the event loop returned before the "
                        "condition held"));
}

}  // namespace detail

void ResetEvents() {
  ResetTimers();
  ScheduledInputs().clear();
  ResetTargets();
  ResetLoop();
  ResetClassicEvents();
  sp_platform::ReleaseAllKeys();
  gLimits = PumpLimits();
}

ItemCount QueuedEventCount() {
  return sp_platform::events::QueuedEventCount();
}

int InstalledTimerCount() {
  return TimerCount();
}

bool TimedTimerWaiting() {
  return sp_platform::events::TimedTimerWaiting();
}

int InstalledEventHandlerCount() {
  return sp_platform::events::InstalledHandlerCount();
}

int ModalLoopDepth() {
  return sp_platform::ModalLoopDepth();
}

UInt32 IdleLoopReturns() {
  return IdleLoopReturnCount();
}

}  // namespace sp_testing
