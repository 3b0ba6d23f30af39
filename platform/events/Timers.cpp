// Event-loop timers on the program's one clock.
//
// Timed timers wait in a heap ordered by due time (then by installation). Entries are never
// taken out when a timer is removed or rescheduled: each carries the generation the timer had
// when it was pushed, and an entry whose timer is gone or has moved on is skipped when it comes
// to the top. A timer whose interval is below one millisecond fires on every pass once it has
// fired the first time; it then leaves the heap.
//
// A timer is "firing" while its callback runs. It is out of the heap then, so nested loops
// started by the callback do not fire it again; what the callback asks for (removal, a new
// fire time) is applied when it returns. Timers are looked up again by number after a
// callback, never followed by pointer, because the callback may have removed them.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "CarbonEvents.h"
#include "base/internal/Clock.h"
#include "events/detail/EventInternal.h"

namespace {

using sp_platform::events::kNever;

// Intervals below this are "every pass".
constexpr SInt64 kEveryPassBelowMicros = 1000;
// Times further away than this (about 31 years) wait for ever.
constexpr SInt64 kLongestMicros = 1000000000000000LL;

enum class TimerState { kWaiting, kScheduled, kEveryPass, kFiring };

}  // namespace

struct OpaqueEventLoopTimerRef {
  UInt64 number = 0;
  EventLoopTimerUPP proc = nullptr;
  void* userData = nullptr;
  SInt64 interval = 0;  // microseconds; 0 for a one-shot timer
  bool everyPass = false;
  TimerState state = TimerState::kWaiting;
  bool removed = false;
  SInt64 fireTime = kNever;
  UInt64 generation = 0;
  // Asked for by its own callback: applied when the callback returns.
  bool rescheduled = false;
  SInt64 rescheduleTime = kNever;
};

namespace {

typedef OpaqueEventLoopTimerRef Timer;

struct HeapEntry {
  SInt64 fireTime;
  UInt64 number;
  UInt64 generation;
};

struct Later {
  bool operator()(const HeapEntry& a, const HeapEntry& b) const {
    if (a.fireTime != b.fireTime) return a.fireTime > b.fireTime;
    return a.number > b.number;
  }
};

struct TimerTable {
  std::map<UInt64, std::unique_ptr<Timer>> byNumber;   // in order of installation
  std::unordered_map<const Timer*, UInt64> installed;  // references callers may use
  std::vector<HeapEntry> heap;
  UInt64 lastNumber = 0;
  UInt64 lastGeneration = 0;
};

TimerTable& Table() {
  static TimerTable* table = new TimerTable;  // lives to the end of the program
  return *table;
}

Timer* Find(UInt64 number) {
  auto it = Table().byNumber.find(number);
  return (it == Table().byNumber.end()) ? nullptr : it->second.get();
}

Timer* FindInstalled(EventLoopTimerRef ref) {
  auto it = Table().installed.find(ref);
  return (it == Table().installed.end()) ? nullptr : Find(it->second);
}

void Schedule(Timer* t, SInt64 when) {
  if (when == kNever) {
    t->state = TimerState::kWaiting;
    t->fireTime = kNever;
    ++t->generation;
    return;
  }
  t->state = TimerState::kScheduled;
  t->fireTime = when;
  t->generation = ++Table().lastGeneration;
  Table().heap.push_back({when, t->number, t->generation});
  std::push_heap(Table().heap.begin(), Table().heap.end(), Later());
}

SInt64 AddClamped(SInt64 now, SInt64 delay) {
  if (delay == kNever) return kNever;
  return now + std::min(delay, kLongestMicros);
}

bool EntryIsCurrent(const HeapEntry& e) {
  Timer* t = Find(e.number);
  return t != nullptr && !t->removed && t->state == TimerState::kScheduled &&
         t->generation == e.generation;
}

void PruneHeapTop() {
  std::vector<HeapEntry>& heap = Table().heap;
  while (!heap.empty() && !EntryIsCurrent(heap.front())) {
    std::pop_heap(heap.begin(), heap.end(), Later());
    heap.pop_back();
  }
}

// Runs one timer's callback and applies what it asked for.
void Fire(Timer* t) {
  UInt64 number = t->number;
  SInt64 firedAt = t->fireTime;
  t->state = TimerState::kFiring;
  t->rescheduled = false;
  t->proc(t, t->userData);

  t = Find(number);
  if (t == nullptr) return;  // the test API's reset ran inside the callback
  if (t->removed) {
    Table().byNumber.erase(number);
    return;
  }
  SInt64 now = sp_platform::ClockNowMicroseconds();
  if (t->rescheduled) {
    Schedule(t, t->rescheduleTime);
  } else if (t->everyPass) {
    t->state = TimerState::kEveryPass;
    t->fireTime = now;
  } else if (t->interval > 0) {
    // The next due time after now on the timer's own beat: missed firings are skipped.
    SInt64 base = (firedAt == kNever) ? now : firedAt;
    SInt64 next = base + t->interval;
    if (next <= now) next += ((now - next) / t->interval + 1) * t->interval;
    Schedule(t, next);
  } else {
    Schedule(t, kNever);
  }
}

}  // namespace

namespace sp_platform {
namespace events {

bool MicrosecondsFromInterval(EventTimerInterval seconds, SInt64* micros) {
  if (seconds == kEventDurationForever) {
    *micros = kNever;
    return true;
  }
  if (!(seconds >= 0)) return false;  // negative or not a number
  double us = std::round(seconds * 1e6);
  *micros = (us >= double(kLongestMicros)) ? kLongestMicros : SInt64(us);
  // A positive time shorter than a microsecond is not nothing: it is the shortest interval.
  if (*micros == 0 && seconds > 0) *micros = 1;
  return true;
}

int FireDueTimers(const std::function<bool()>& stop) {
  TimerTable& table = Table();
  SInt64 now = ClockNowMicroseconds();
  // What is due when the step begins, in order. The heap is left as it is, so that a loop
  // nested in one of the callbacks sees (and fires) the timers still waiting their turn here;
  // those are then no longer current and are skipped. Timers installed or rescheduled during
  // the step wait for the next pass.
  PruneHeapTop();
  std::vector<HeapEntry> due;
  for (const HeapEntry& e : table.heap) {
    if (e.fireTime <= now && EntryIsCurrent(e)) due.push_back(e);
  }
  std::sort(due.begin(), due.end(),
            [](const HeapEntry& a, const HeapEntry& b) { return Later()(b, a); });
  // Timers of every pass that were so before this step fire after the timed ones; a timer
  // that becomes one by firing now waits for the next pass.
  std::vector<UInt64> everyPass;
  for (auto& entry : table.byNumber) {
    if (entry.second->state == TimerState::kEveryPass && !entry.second->removed) {
      everyPass.push_back(entry.first);
    }
  }

  int fired = 0;
  for (const HeapEntry& e : due) {
    if (stop && stop()) return fired;
    if (!EntryIsCurrent(e)) continue;
    Fire(Find(e.number));
    ++fired;
  }
  for (UInt64 number : everyPass) {
    if (stop && stop()) return fired;
    Timer* t = Find(number);
    if (t == nullptr || t->removed || t->state != TimerState::kEveryPass) continue;
    Fire(t);
    ++fired;
  }
  return fired;
}

SInt64 NextTimedFireTime() {
  PruneHeapTop();
  return Table().heap.empty() ? kNever : Table().heap.front().fireTime;
}

bool HasEveryPassTimers() {
  for (auto& entry : Table().byNumber) {
    if (entry.second->state == TimerState::kEveryPass && !entry.second->removed) return true;
  }
  return false;
}

bool TimedTimerWaiting() {
  return NextTimedFireTime() != kNever;
}

int TimerCount() {
  return int(Table().installed.size());
}

void ResetTimers() {
  TimerTable& table = Table();
  table.installed.clear();
  table.heap.clear();
  table.byNumber.clear();
}

}  // namespace events
}  // namespace sp_platform

// ---- Public calls ----

EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr userRoutine) {
  return userRoutine;
}

void DisposeEventLoopTimerUPP(EventLoopTimerUPP) {}

OSStatus InstallEventLoopTimer(EventLoopRef inEventLoop, EventTimerInterval inFireDelay,
                               EventTimerInterval inInterval, EventLoopTimerUPP inTimerProc,
                               void* inTimerData, EventLoopTimerRef* outTimer) {
  using sp_platform::events::MicrosecondsFromInterval;
  if (outTimer != nullptr) *outTimer = nullptr;
  SInt64 delay = 0, interval = 0;
  if (inEventLoop != GetMainEventLoop() || inTimerProc == nullptr ||
      !MicrosecondsFromInterval(inFireDelay, &delay) ||
      !MicrosecondsFromInterval(inInterval, &interval)) {
    return paramErr;
  }
  std::unique_ptr<Timer> t(new (std::nothrow) Timer);
  if (!t) return memFullErr;
  TimerTable& table = Table();
  t->number = ++table.lastNumber;
  t->proc = inTimerProc;
  t->userData = inTimerData;
  if (interval != kNever && interval > 0) {
    t->everyPass = interval < kEveryPassBelowMicros;
    t->interval = interval;
  }
  Timer* raw = t.get();
  table.byNumber[raw->number] = std::move(t);
  table.installed[raw] = raw->number;
  Schedule(raw, AddClamped(sp_platform::ClockNowMicroseconds(), delay));
  if (outTimer != nullptr) *outTimer = raw;
  return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef inTimer) {
  Timer* t = FindInstalled(inTimer);
  if (t == nullptr) return paramErr;
  Table().installed.erase(t);
  if (t->state == TimerState::kFiring) {
    t->removed = true;  // freed when its callback returns
  } else {
    Table().byNumber.erase(t->number);
  }
  return noErr;
}

OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef inTimer, EventTimerInterval inNextFire) {
  Timer* t = FindInstalled(inTimer);
  SInt64 delay = 0;
  if (t == nullptr || !sp_platform::events::MicrosecondsFromInterval(inNextFire, &delay)) {
    return paramErr;
  }
  SInt64 when = AddClamped(sp_platform::ClockNowMicroseconds(), delay);
  if (t->state == TimerState::kFiring) {
    t->rescheduled = true;
    t->rescheduleTime = when;
  } else {
    Schedule(t, when);
  }
  return noErr;
}
