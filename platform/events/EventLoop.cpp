// The event queue, the passes of the loop and its waiting, the application and modal loops,
// mouse tracking, raw input and the mouse state, pass hooks and the test API's watchdog.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "MacWindows.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "base/internal/Clock.h"
#include "events/detail/AppleEventQueue.h"
#include "events/detail/EventInternal.h"
#include "events/internal/EventLoop.h"
#include "events/internal/Keyboard.h"
#include "files/internal/Completions.h"
#include "files/internal/MountTableHold.h"

// The one loop and queue have no state of their own behind these references; they only have
// to be told apart from anything else.
struct OpaqueEventLoopRef {
  int unused;
};
struct OpaqueEventQueueRef {
  int unused;
};

namespace {

using sp_platform::events::kNever;

OpaqueEventLoopRef gMainLoop;
OpaqueEventQueueRef gMainQueue;

// On the real clock a loop with nothing to wait for still looks at its pass hooks (the
// display backend's input) this often.
constexpr SInt64 kRealIdlePollMicros = 10000;
// On the virtual clock a pass whose only work is timers of every pass takes this long.
constexpr SInt64 kVirtualEveryPassStepMicros = 1000;
// A modal loop on the real clock whose only work is timers of every pass runs them once a
// tick.
constexpr SInt64 kModalEveryPassMicros = 1000000 / 60;
// Typed text is cut to what the text-input handlers read.
constexpr std::size_t kMaxTextInputBytes = 1023;

struct QueuedEvent {
  EventRef event;
  EventPriority priority;
  UInt64 order;
  // Raw input carries the keys held just before it and just after it, as the display read
  // them when it posted the input.
  bool input = false;
  sp_platform::events::KeyBits keysBefore = {};
  sp_platform::events::KeyBits keysAfter = {};
};

struct ModalFrame {
  WindowRef window;
  bool quit;
};

struct PassHook {
  int id;
  sp_platform::PassHookProc proc;
  void* refCon;
};

struct Watchdog {
  int armed = 0;  // nesting depth of pumps
  bool tripped = false;
  UInt64 passes = 0;
  UInt64 maxPasses = 0;
  SInt64 start = 0;
  SInt64 maxMicros = 0;
  std::string what;
  std::string message;
};

struct LoopState {
  std::vector<QueuedEvent> queue;  // in dispatch order
  UInt64 lastOrder = 0;
  std::vector<ModalFrame*> modalFrames;  // innermost last
  int applicationLoops = 0;
  bool quitApplication = false;
  std::vector<PassHook> hooks;
  int lastHookID = 0;
  Point mouse = {0, 0};
  bool button = false;
  // The keys after the raw input being handled (until the next pass of a loop begins).
  bool handlingInput = false;
  sp_platform::events::KeyBits handlingKeys = {};
  Watchdog watchdog;
  UInt32 idleReturns = 0;
  sp_platform::IdleWaitProc idleWait = nullptr;
  void* idleWaitRefCon = nullptr;
  sp_platform::PointerProc pointer = nullptr;
  void* pointerRefCon = nullptr;
};

LoopState& State() {
  static LoopState* state = new LoopState;  // lives to the end of the program
  return *state;
}

void SleepMicros(SInt64 micros) {
  if (micros <= 0) return;
  timespec ts{};
  ts.tv_sec = time_t(micros / 1000000);
  ts.tv_nsec = long(micros % 1000000) * 1000;
  nanosleep(&ts, nullptr);  // a signal ends it early; the loop then looks again
}

bool IsQueued(EventRef event) {
  for (const QueuedEvent& q : State().queue) {
    if (q.event == event) return true;
  }
  return false;
}

bool RunHooks() {
  bool did = false;
  std::vector<int> ids;
  for (const PassHook& h : State().hooks) ids.push_back(h.id);
  for (int id : ids) {
    for (const PassHook& h : State().hooks) {
      if (h.id != id) continue;
      PassHook copy = h;  // the hook may remove hooks
      if (copy.proc(copy.refCon)) did = true;
      break;
    }
  }
  return did;
}

bool AppleEventDispatchable() {
  EventRecord record{};
  return sp_platform::PeekQueuedAppleEvent(&record);
}

// ---- Delivery of posted events ----

WindowRef EventWindow(EventRef event) {
  void* p = nullptr;
  if (!sp_platform::events::ReadPointer(event, kEventParamWindowRef, typeWindowRef, &p)) {
    return nullptr;
  }
  return static_cast<WindowRef>(p);
}

bool NamesTarget(EventRef event) {
  void* p = nullptr;
  return sp_platform::events::ReadPointer(event, kEventParamPostTarget, typeEventTargetRef, &p);
}

EventTargetRef WindowTarget(WindowRef window) {
  if (!IsValidWindowPtr(window)) return nullptr;
  EventTargetRef target = GetWindowEventTarget(window);
  return sp_platform::IsValidEventTarget(target) ? target : nullptr;
}

// Sends a posted event where it belongs. While a modal loop runs for W, keyboard and text
// input goes to W; over another window a press is dropped with a beep and a move is dropped,
// while a drag or a release (of a press that began in W) goes to W.
void DeliverPosted(EventRef event) {
  EventTargetRef target = nullptr;
  LoopState& s = State();
  if (!s.modalFrames.empty() && !NamesTarget(event)) {
    WindowRef modal = s.modalFrames.back()->window;
    UInt32 cls = GetEventClass(event);
    if (cls == kEventClassMouse) {
      WindowRef over = EventWindow(event);
      if (over != nullptr && over != modal) {
        UInt32 kind = GetEventKind(event);
        if (kind == kEventMouseDown) SysBeep(1);
        if (kind == kEventMouseDown || kind == kEventMouseMoved) return;
        target = WindowTarget(modal);
        if (target == nullptr) return;
      }
    } else if (cls == kEventClassKeyboard || cls == kEventClassTextInput) {
      target = WindowTarget(modal);
    }
  }
  if (target == nullptr) target = sp_platform::events::DefaultTargetFor(event);
  SendEventToEventTarget(event, target);
}

// Sends the events that were queued when the step began, best first; events posted meanwhile
// wait for the next pass, and events that nested loops took are gone.
int DispatchPostedEvents(const std::function<bool()>& stop) {
  UInt64 lastToSend = State().lastOrder;
  int sent = 0;
  for (;;) {
    if (stop()) break;
    EventRef next = nullptr;
    for (const QueuedEvent& q : State().queue) {
      if (q.order <= lastToSend) {
        next = q.event;
        break;
      }
    }
    if (next == nullptr) break;
    sp_platform::events::TakeQueuedEvent(next);
    DeliverPosted(next);
    sp_platform::events::EndInputHandling();
    ReleaseEvent(next);
    ++sent;
  }
  return sent;
}

// One pass of a dispatching loop (the application's, a modal one, the test API's pumps).
// Answers whether a pass hook did something.
bool RunDispatchingPass(const std::function<bool()>& stop) {
  // A file look-up polled the mount table each time: dozens of times for each file added.
  const sp_platform::files::MountTableHold mounts(true);
  sp_platform::events::EndInputHandling();
  sp_platform::RunFileCompletions();
  if (stop()) return false;
  sp_platform::DispatchQueuedAppleEvents();
  if (stop()) return false;
  bool hooked = RunHooks();
  if (stop()) return hooked;
  DispatchPostedEvents(stop);
  if (stop()) return hooked;
  sp_platform::events::FireDueTimers(stop);
  return hooked;
}

void ReportIdleReturn(const char* loop) {
  ++State().idleReturns;
  std::fprintf(stderr, "%s: nothing is left to happen on the virtual clock; returning\n", loop);
}

// ---- Raw input ----

OSStatus NewEventWith(UInt32 cls, UInt32 kind, EventRef* out) {
  return CreateEvent(nullptr, cls, kind, 0, kEventAttributeUserEvent, out);
}

// A text cut to at most `max` bytes without splitting a two-byte character.
std::string CutMacJapanese(const std::string& text, std::size_t max) {
  std::size_t i = 0;
  while (i < text.size()) {
    UInt8 b = UInt8(text[i]);
    std::size_t len = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
    if (i + len > max || i + len > text.size()) break;
    i += len;
  }
  return text.substr(0, i);
}

OSStatus MakeKeyEvent(UInt32 kind, UInt8 charCode, UInt8 keyCode, UInt32 modifiers, EventRef* out) {
  OSStatus err = NewEventWith(kEventClassKeyboard, kind, out);
  if (err != noErr) return err;
  UInt32 code = keyCode;
  SetEventParameter(*out, kEventParamKeyMacCharCodes, typeChar, 1, &charCode);
  SetEventParameter(*out, kEventParamKeyCode, typeUInt32, sizeof code, &code);
  SetEventParameter(*out, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  return noErr;
}

// 'wind': the window FindWindow finds under the point, when there is one.
void AddWindowUnder(EventRef event, Point where) {
  WindowRef window = nullptr;
  FindWindow(where, &window);
  if (window != nullptr) {
    SetEventParameter(event, kEventParamWindowRef, typeWindowRef, sizeof window, &window);
  }
}

OSStatus MakeMouseEvent(const sp_platform::RawInput& in, EventRef* out) {
  UInt32 kind = kEventMouseMoved;
  switch (in.kind) {
    case sp_platform::kRawMouseDown:
      kind = kEventMouseDown;
      break;
    case sp_platform::kRawMouseUp:
      kind = kEventMouseUp;
      break;
    case sp_platform::kRawMouseDragged:
      kind = kEventMouseDragged;
      break;
    default:
      break;
  }
  OSStatus err = NewEventWith(kEventClassMouse, kind, out);
  if (err != noErr) return err;
  SetEventParameter(*out, kEventParamMouseLocation, typeQDPoint, sizeof in.where, &in.where);
  SetEventParameter(*out, kEventParamKeyModifiers, typeUInt32, sizeof in.modifiers, &in.modifiers);
  SetEventParameter(*out, kEventParamMouseButton, typeMouseButton, sizeof in.button, &in.button);
  if (kind == kEventMouseDown || kind == kEventMouseUp) {
    SetEventParameter(*out, kEventParamClickCount, typeUInt32, sizeof in.clickCount,
                      &in.clickCount);
  }
  AddWindowUnder(*out, in.where);
  return noErr;
}

OSStatus MakeWheelEvent(const sp_platform::RawInput& in, EventRef* out) {
  if (in.wheelDelta == 0) return paramErr;
  OSStatus err = NewEventWith(kEventClassMouse, kEventMouseWheelMoved, out);
  if (err != noErr) return err;
  SetEventParameter(*out, kEventParamMouseLocation, typeQDPoint, sizeof in.where, &in.where);
  SetEventParameter(*out, kEventParamKeyModifiers, typeUInt32, sizeof in.modifiers, &in.modifiers);
  SetEventParameter(*out, kEventParamMouseWheelAxis, typeMouseWheelAxis, sizeof in.wheelAxis,
                    &in.wheelAxis);
  SetEventParameter(*out, kEventParamMouseWheelDelta, typeSInt32, sizeof in.wheelDelta,
                    &in.wheelDelta);
  AddWindowUnder(*out, in.where);
  return noErr;
}

OSStatus MakeTextEvent(const sp_platform::RawInput& in, EventRef* out) {
  std::string text = CutMacJapanese(in.text, kMaxTextInputBytes);
  if (text.empty()) return paramErr;
  EventRef key = nullptr;
  OSStatus err = MakeKeyEvent(kEventRawKeyDown, UInt8(text[0]), 0, in.modifiers, &key);
  if (err != noErr) return err;
  err = NewEventWith(kEventClassTextInput, kEventTextInputUnicodeForKeyEvent, out);
  if (err == noErr) {
    SetEventParameter(*out, kEventParamTextInputSendText, typeChar, ByteCount(text.size()),
                      text.data());
    SetEventParameter(*out, kEventParamKeyModifiers, typeUInt32, sizeof in.modifiers,
                      &in.modifiers);
    SetEventParameter(*out, kEventParamTextInputSendKeyboardEvent, typeEventRef, sizeof key, &key);
  }
  ReleaseEvent(key);
  return err;
}

}  // namespace

// ---- Layer calls ----

namespace sp_platform {

int AddPassHook(PassHookProc hook, void* refCon) {
  if (hook == nullptr) return 0;
  LoopState& s = State();
  int id = ++s.lastHookID;
  s.hooks.push_back({id, hook, refCon});
  return id;
}

void RemovePassHook(int hookID) {
  std::vector<PassHook>& hooks = State().hooks;
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(),
                             [hookID](const PassHook& h) { return h.id == hookID; }),
              hooks.end());
}

OSStatus PostRawInput(const RawInput& input) {
  EventRef event = nullptr;
  OSStatus err = noErr;
  LoopState& s = State();
  const events::KeyBits before = events::KeysRead();
  switch (input.kind) {
    case kRawMouseDown:
    case kRawMouseUp:
    case kRawMouseMoved:
    case kRawMouseDragged:
      err = MakeMouseEvent(input, &event);
      if (err == noErr) {
        s.mouse = input.where;
        s.button = (input.kind == kRawMouseDown || input.kind == kRawMouseDragged);
      }
      break;
    case kRawKeyDown:
    case kRawKeyRepeat:
    case kRawKeyUp: {
      UInt32 kind = (input.kind == kRawKeyDown)     ? kEventRawKeyDown
                    : (input.kind == kRawKeyRepeat) ? kEventRawKeyRepeat
                                                    : kEventRawKeyUp;
      err = MakeKeyEvent(kind, input.charCode, input.keyCode, input.modifiers, &event);
      if (err == noErr) ReadKeyDown(input.keyCode, input.kind != kRawKeyUp);
      break;
    }
    case kRawTextInput:
      err = MakeTextEvent(input, &event);
      break;
    case kRawMouseWheel:
      err = MakeWheelEvent(input, &event);
      if (err == noErr) s.mouse = input.where;
      break;
    default:
      err = paramErr;
      break;
  }
  if (err != noErr) return err;
  err = PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard);
  if (err == noErr) {
    for (QueuedEvent& q : s.queue) {
      if (q.event != event) continue;
      q.input = true;
      q.keysBefore = before;
      q.keysAfter = events::KeysRead();
    }
  }
  ReleaseEvent(event);
  return err;
}

void SetIdleWaitProc(IdleWaitProc proc, void* refCon) {
  State().idleWait = proc;
  State().idleWaitRefCon = refCon;
}

bool HasIdleWaitProc() {
  return State().idleWait != nullptr;
}

Point CurrentMouseLocation() {
  return State().mouse;
}

bool CurrentMouseButtonDown() {
  return State().button;
}

void SetMouseState(Point globalLocation, bool buttonDown) {
  State().mouse = globalLocation;
  State().button = buttonDown;
}

void SetPointerProc(PointerProc proc, void* refCon) {
  State().pointer = proc;
  State().pointerRefCon = refCon;
}

Point PointerLocationNow() {
  const LoopState& s = State();
  Point where = s.mouse;
  if (s.pointer != nullptr && s.pointer(&where, s.pointerRefCon)) return where;
  return s.mouse;
}

bool ApplicationEventLoopRunning() {
  return State().applicationLoops > 0;
}

int ModalLoopDepth() {
  return int(State().modalFrames.size());
}

WindowRef InnermostModalWindow() {
  const std::vector<ModalFrame*>& frames = State().modalFrames;
  return frames.empty() ? nullptr : frames.back()->window;
}

namespace events {

bool RunCompletionsAndHooks() {
  bool did = RunFileCompletions() > 0;
  if (RunHooks()) did = true;
  return did;
}

bool RunPassHooks() {
  return RunHooks();
}

EventRef FirstQueuedEvent(const std::function<bool(EventRef)>& match) {
  for (const QueuedEvent& q : State().queue) {
    if (match(q.event)) return q.event;
  }
  return nullptr;
}

std::vector<EventRef> QueuedEventsInOrder() {
  std::vector<EventRef> events;
  for (const QueuedEvent& q : State().queue) events.push_back(q.event);
  return events;
}

bool TakeQueuedEvent(EventRef event) {
  LoopState& s = State();
  std::vector<QueuedEvent>& queue = s.queue;
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (it->event == event) {
      // Whoever takes the event handles it: the keys answer as of it from now on.
      s.handlingInput = it->input;
      s.handlingKeys = it->keysAfter;
      queue.erase(it);
      return true;
    }
  }
  return false;
}

bool KeysOfDispatch(KeyBits* keys) {
  const LoopState& s = State();
  if (s.handlingInput) {
    *keys = s.handlingKeys;
    return true;
  }
  for (const QueuedEvent& q : s.queue) {
    if (!q.input) continue;
    *keys = q.keysBefore;
    return true;
  }
  return false;
}

void EndInputHandling() {
  State().handlingInput = false;
}

void ForEachQueuedKeyState(const std::function<void(KeyBits&)>& change) {
  LoopState& s = State();
  change(s.handlingKeys);
  for (QueuedEvent& q : s.queue) {
    change(q.keysBefore);
    change(q.keysAfter);
  }
}

ItemCount QueuedEventCount() {
  return ItemCount(State().queue.size());
}

bool LoopsMustUnwind() {
  return State().watchdog.tripped;
}

bool SessionEnding() {
  return State().quitApplication && State().applicationLoops > 0 && SessionQuitTaken();
}

bool CountPass() {
  Watchdog& w = State().watchdog;
  if (w.armed == 0 || w.tripped) return w.tripped;
  ++w.passes;
  SInt64 elapsed = ClockNowMicroseconds() - w.start;
  if (w.passes > w.maxPasses) {
    w.tripped = true;
    w.message = "event loop watchdog: " + w.what + " did not finish within " +
                std::to_string(w.maxPasses) + " passes";
  } else if (elapsed > w.maxMicros) {
    w.tripped = true;
    w.message = "event loop watchdog: " + w.what + " did not finish within " +
                std::to_string(w.maxMicros) + " microseconds of clock time";
  }
  return w.tripped;
}

WaitOutcome WaitForWork(SInt64 deadline, EveryPassPace pace) {
  EndInputHandling();
  if (LoopsMustUnwind()) return WaitOutcome::kUnwind;
  SInt64 now = ClockNowMicroseconds();
  SInt64 nextTimed = NextTimedFireTime();
  bool isVirtual = ClockIsVirtual();
  if (HasEveryPassTimers()) {
    if (isVirtual) {
      SInt64 step = kVirtualEveryPassStepMicros;
      if (nextTimed != kNever) step = std::min(step, nextTimed - now);
      if (deadline != kNever) step = std::min(step, deadline - now);
      if (step > 0) AdvanceVirtualClock(step);
      return WaitOutcome::kContinue;
    }
    if (pace == EveryPassPace::kEachPass) return WaitOutcome::kContinue;
    deadline = std::min(deadline, now + kModalEveryPassMicros);
  }
  SInt64 target = std::min(nextTimed, deadline);
  LoopState& s = State();
  if (!isVirtual && s.idleWait != nullptr) {
    // The display's wait: input or a signal ends it early, so it may last until the next
    // timer, or for ever when there is none.
    if (target != kNever && target <= now) return WaitOutcome::kContinue;
    s.idleWait(target == kNever ? -1 : target - now, s.idleWaitRefCon);
    return WaitOutcome::kContinue;
  }
  if (target == kNever) return WaitOutcome::kIdle;
  if (target <= now) return WaitOutcome::kContinue;
  if (isVirtual) {
    AdvanceVirtualClock(target - now);
  } else {
    SleepMicros(std::min(target - now, kRealIdlePollMicros));
  }
  return WaitOutcome::kContinue;
}

void ArmWatchdog(const PumpLimitsInternal& limits, const std::string& what) {
  Watchdog& w = State().watchdog;
  if (w.armed++ > 0) return;  // a pump inside a pump: the outer limits hold
  w.tripped = false;
  w.passes = 0;
  w.maxPasses = limits.maxPasses;
  w.maxMicros = limits.maxMicroseconds;
  w.start = ClockNowMicroseconds();
  w.what = what;
  w.message.clear();
}

std::string DisarmWatchdog() {
  Watchdog& w = State().watchdog;
  if (w.armed == 0) return std::string();
  std::string message = w.message;
  if (--w.armed == 0) {
    w.tripped = false;
    w.message.clear();
  }
  return message;
}

UInt64 WatchdogPasses() {
  return State().watchdog.passes;
}

bool RunApplicationPass() {
  // The test API's pumps run outside RunApplicationEventLoop: a quit request waits for it.
  return RunDispatchingPass([] {
    return LoopsMustUnwind() || (State().applicationLoops > 0 && State().quitApplication);
  });
}

bool WorkDueNow() {
  return !State().queue.empty() || files::PendingFileCompletions() > 0 ||
         AppleEventDispatchable() || NextTimedFireTime() <= ClockNowMicroseconds();
}

void ResetLoop() {
  LoopState& s = State();
  std::vector<QueuedEvent> queue;
  queue.swap(s.queue);
  for (const QueuedEvent& q : queue) ReleaseEvent(q.event);
  s.modalFrames.clear();
  s.quitApplication = false;
  s.mouse = {0, 0};
  s.button = false;
  s.handlingInput = false;
  s.watchdog = Watchdog();
  s.idleReturns = 0;
}

UInt32 IdleLoopReturnCount() {
  return State().idleReturns;
}

}  // namespace events
}  // namespace sp_platform

// ---- Public calls ----

EventLoopRef GetMainEventLoop() {
  return &gMainLoop;
}

EventLoopRef GetCurrentEventLoop() {
  return &gMainLoop;
}

EventQueueRef GetMainEventQueue() {
  return &gMainQueue;
}

EventQueueRef GetCurrentEventQueue() {
  return &gMainQueue;
}

OSStatus PostEventToQueue(EventQueueRef inQueue, EventRef inEvent, EventPriority inPriority) {
  if (inQueue != &gMainQueue || !sp_platform::events::IsLiveEvent(inEvent)) return paramErr;
  if (IsQueued(inEvent)) return eventAlreadyPostedErr;
  EventPriority priority =
      std::clamp<EventPriority>(inPriority, kEventPriorityLow, kEventPriorityHigh);
  LoopState& s = State();
  QueuedEvent entry;
  entry.event = RetainEvent(inEvent);
  entry.priority = priority;
  entry.order = ++s.lastOrder;
  auto at = std::find_if(s.queue.begin(), s.queue.end(),
                         [priority](const QueuedEvent& q) { return q.priority < priority; });
  s.queue.insert(at, entry);
  return noErr;
}

OSStatus RemoveEventFromQueue(EventQueueRef inQueue, EventRef inEvent) {
  if (inQueue != &gMainQueue) return paramErr;
  if (!sp_platform::events::TakeQueuedEvent(inEvent)) return eventNotInQueueErr;
  ReleaseEvent(inEvent);
  return noErr;
}

ItemCount GetNumEventsInQueue(EventQueueRef inQueue) {
  return (inQueue == &gMainQueue) ? sp_platform::events::QueuedEventCount() : 0;
}

namespace {

// The application's loop and the modal loops: dispatching passes while `stop` says no and
// `running` yes, waiting for work between them. On the virtual clock a loop with nothing left
// that could ever happen returns (under its name) rather than wait forever.
void RunDispatchingLoop(const std::function<bool()>& stop, const std::function<bool()>& running,
                        const char* loopName, sp_platform::events::EveryPassPace pace) {
  using namespace sp_platform::events;
  while (!stop() && running()) {
    if (CountPass()) break;
    bool hooked = RunDispatchingPass(stop);
    if (stop()) break;
    if (hooked || WorkDueNow()) continue;
    WaitOutcome w = WaitForWork(kNever, pace);
    if (w == WaitOutcome::kUnwind) break;
    if (w == WaitOutcome::kIdle) {
      if (sp_platform::ClockIsVirtual()) {
        ReportIdleReturn(loopName);
        break;
      }
      SleepMicros(kRealIdlePollMicros);
    }
  }
}

}  // namespace

void RunApplicationEventLoop() {
  using namespace sp_platform::events;
  LoopState& s = State();
  if (s.applicationLoops > 0) return;  // it runs already, further down the stack
  sp_platform::StartApplicationAppleEvents();
  ++s.applicationLoops;
  RunDispatchingLoop([] { return LoopsMustUnwind() || State().quitApplication; },
                     [] { return true; }, "RunApplicationEventLoop", EveryPassPace::kEachPass);
  --s.applicationLoops;
  s.quitApplication = false;
}

void QuitApplicationEventLoop() {
  State().quitApplication = true;
}

OSStatus RunAppModalLoopForWindow(WindowRef inWindow) {
  using namespace sp_platform::events;
  if (!IsValidWindowPtr(inWindow)) return paramErr;
  LoopState& s = State();
  ModalFrame frame{inWindow, false};
  s.modalFrames.push_back(&frame);
  RunDispatchingLoop([&frame] { return frame.quit || LoopsMustUnwind() || SessionEnding(); },
                     [inWindow] { return IsValidWindowPtr(inWindow) != 0; },
                     "RunAppModalLoopForWindow", EveryPassPace::kOncePerTick);
  std::vector<ModalFrame*>& frames = s.modalFrames;
  frames.erase(std::remove(frames.begin(), frames.end(), &frame), frames.end());
  return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef inWindow) {
  std::vector<ModalFrame*>& frames = State().modalFrames;
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    if ((*it)->window == inWindow) {
      (*it)->quit = true;
      return noErr;
    }
  }
  return paramErr;
}

OSStatus TrackMouseLocation(GrafPtr inPort, Point* outPt, MouseTrackingResult* outResult) {
  using namespace sp_platform::events;
  if (outPt == nullptr || outResult == nullptr) return paramErr;
  Point where = sp_platform::CurrentMouseLocation();
  MouseTrackingResult result = kMouseTrackingMouseUp;
  for (;;) {
    if (CountPass() || SessionEnding()) break;
    RunCompletionsAndHooks();
    FireDueTimers([] { return LoopsMustUnwind(); });
    EventRef event =
        FirstQueuedEvent([](EventRef e) { return GetEventClass(e) == kEventClassMouse; });
    if (event != nullptr) {
      TakeQueuedEvent(event);
      switch (GetEventKind(event)) {
        case kEventMouseDown:
          result = kMouseTrackingMouseDown;
          break;
        case kEventMouseUp:
          result = kMouseTrackingMouseUp;
          break;
        case kEventMouseDragged:
          result = kMouseTrackingMouseDragged;
          break;
        default:
          result = kMouseTrackingMouseMoved;
          break;
      }
      ReadPoint(event, kEventParamMouseLocation, &where);
      ReleaseEvent(event);
      break;
    }
    // No mouse event waits and the button is up: the release has been and gone.
    if (!sp_platform::CurrentMouseButtonDown()) break;
    if (sp_platform::files::PendingFileCompletions() > 0 ||
        NextTimedFireTime() <= sp_platform::ClockNowMicroseconds()) {
      continue;
    }
    WaitOutcome w = WaitForWork(kNever);
    if (w == WaitOutcome::kUnwind) break;
    if (w == WaitOutcome::kIdle) {
      if (sp_platform::ClockIsVirtual()) break;
      SleepMicros(kRealIdlePollMicros);
    }
  }
  GrafPtr saved = nullptr;
  GetPort(&saved);
  if (inPort != nullptr) SetPort(inPort);
  GlobalToLocal(&where);
  SetPort(saved);
  *outPt = where;
  *outResult = result;
  return noErr;
}
