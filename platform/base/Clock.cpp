#include "Clock.h"

#include <ctime>

#include "base/internal/Clock.h"

namespace {

// Seconds from 1904-01-01 to 1970-01-01.
constexpr SInt64 kUnixTo1904Seconds = 2082844800;
constexpr SInt64 kMicrosPerSecond = 1000000;

SInt64 MonotonicMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return SInt64(ts.tv_sec) * kMicrosPerSecond + ts.tv_nsec / 1000;
}

// The time line: on the real clock "now" is the monotonic clock plus an offset, on the
// virtual clock a counter. The offset is chosen at every switch back to real time so that
// "now" continues where the virtual clock stood and never runs backwards.
struct ClockState {
  bool isVirtual = false;
  SInt64 realOffset = 0;
  SInt64 virtualNow = 0;
  // Virtual dates: local seconds since 1904 times a million, minus "now" at the moment the
  // date was set; adding "now" gives the date, with the fraction of the second kept.
  SInt64 virtualDateBase = 0;
};

ClockState& State() {
  // The program's start is the first use of the clock; that is during static
  // initialisation at the latest, through gStartTouch below.
  static ClockState state{false, -MonotonicMicros(), 0, 0};
  return state;
}

[[maybe_unused]] const bool gStartTouch = (State(), true);

SInt64 FloorDiv(SInt64 a, SInt64 b) {
  SInt64 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// 64-bit tick count: 60 a second, the tick n starting at n * 10^6 / 60 microseconds.
SInt64 TicksAt(SInt64 micros) {
  return FloorDiv(micros * 3, 50000);
}

// The first microsecond of tick n.
SInt64 TickStart(SInt64 ticks) {
  return -FloorDiv(-ticks * 50000, 3);
}

SInt64 RealLocalSecondsSince1904() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  time_t now = ts.tv_sec;
  tm local{};
  long offset = 0;
  if (localtime_r(&now, &local) != nullptr) offset = local.tm_gmtoff;
  return SInt64(now) + offset + kUnixTo1904Seconds;
}

}  // namespace

namespace sp_platform {

SInt64 ClockNowMicroseconds() {
  ClockState& s = State();
  return s.isVirtual ? s.virtualNow : MonotonicMicros() + s.realOffset;
}

bool ClockIsVirtual() {
  return State().isVirtual;
}

void AdvanceVirtualClock(SInt64 microseconds) {
  ClockState& s = State();
  if (s.isVirtual && microseconds > 0) s.virtualNow += microseconds;
}

SInt64 ClockLocalSecondsSince1904() {
  ClockState& s = State();
  if (!s.isVirtual) return RealLocalSecondsSince1904();
  return FloorDiv(s.virtualDateBase + s.virtualNow, kMicrosPerSecond);
}

void UseVirtualClockAt(SInt64 localSecondsSince1904) {
  ClockState& s = State();
  if (!s.isVirtual) {
    // Starts at the beginning of the next tick, so that whole ticks advanced are whole
    // sixtieths of a second on every run.
    s.virtualNow = TickStart(TicksAt(ClockNowMicroseconds()) + 1);
    s.isVirtual = true;
  }
  s.virtualDateBase = localSecondsSince1904 * kMicrosPerSecond - s.virtualNow;
}

void UseRealClockAgain() {
  ClockState& s = State();
  if (!s.isVirtual) return;
  s.realOffset = s.virtualNow - MonotonicMicros();
  s.isVirtual = false;
}

void AdvanceVirtualClockTicks(UInt32 ticks) {
  ClockState& s = State();
  if (!s.isVirtual || ticks == 0) return;
  // Exactly `ticks` more ticks: at least the whole length of them, rounded up to the start
  // of the target tick when the clock stood in the middle of one.
  SInt64 target = TicksAt(s.virtualNow) + ticks;
  s.virtualNow += SInt64(ticks) * 50000 / 3;
  if (TicksAt(s.virtualNow) < target) s.virtualNow = TickStart(target);
}

}  // namespace sp_platform

UInt32 TickCount() {
  return UInt32(UInt64(TicksAt(sp_platform::ClockNowMicroseconds())));
}

void Microseconds(UnsignedWide* microTickCount) {
  if (microTickCount == nullptr) return;
  UInt64 now = UInt64(sp_platform::ClockNowMicroseconds());
  microTickCount->hi = UInt32(now >> 32);
  microTickCount->lo = UInt32(now);
}

void GetDateTime(UInt32* secs) {
  // The low 32 bits: the count wraps to 0 on 2040-02-06 06:28:16 local time.
  if (secs != nullptr) *secs = UInt32(UInt64(SpGetDateTime64()));
}

SInt64 SpGetDateTime64() {
  return sp_platform::ClockLocalSecondsSince1904();
}

void Delay(UInt32 numTicks, UInt32* finalTicks) {
  if (sp_platform::ClockIsVirtual()) {
    sp_platform::AdvanceVirtualClockTicks(numTicks);
  } else if (numTicks > 0) {
    SInt64 start = sp_platform::ClockNowMicroseconds();
    SInt64 target = TickStart(TicksAt(start) + numTicks);
    for (SInt64 now = start; now < target; now = sp_platform::ClockNowMicroseconds()) {
      SInt64 wait = target - now;
      timespec ts{time_t(wait / kMicrosPerSecond), long(wait % kMicrosPerSecond) * 1000};
      nanosleep(&ts, nullptr);
    }
  }
  if (finalTicks != nullptr) *finalTicks = TickCount();
}
