// The automation API that tests use to drive and observe the platform layer.
// Never linked into the application.
#pragma once

#include "MacTypes.h"

namespace sp_testing {

// System beeps counted since start or since the last reset.
UInt32 BeepCount();
void ResetBeepCount();

// Makes the n-th Memory Manager allocation from now fail with memFullErr (n = 1: the next
// one). 0 switches failing off.
void FailNthAllocation(UInt32 n);

}  // namespace sp_testing
