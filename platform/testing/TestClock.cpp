#include "TestClock.h"

#include "base/internal/Clock.h"

namespace sp_testing {

void UseVirtualClock(SInt64 localSecondsSince1904) {
  sp_platform::UseVirtualClockAt(localSecondsSince1904);
}
void UseRealClock() {
  sp_platform::UseRealClockAgain();
}
bool IsVirtualClock() {
  return sp_platform::ClockIsVirtual();
}
void AdvanceClockMicroseconds(SInt64 microseconds) {
  sp_platform::AdvanceVirtualClock(microseconds);
}
void AdvanceClockTicks(UInt32 ticks) {
  sp_platform::AdvanceVirtualClockTicks(ticks);
}

}  // namespace sp_testing
