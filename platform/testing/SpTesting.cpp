#include "SpTesting.h"

#include "base/detail/TestHooks.h"

namespace sp_testing {

UInt32 BeepCount() { return sp_platform::BeepCount(); }
void ResetBeepCount() { sp_platform::ResetBeepCount(); }
void FailNthAllocation(UInt32 n) { sp_platform::SetAllocationFailureCountdown(n); }

}  // namespace sp_testing
