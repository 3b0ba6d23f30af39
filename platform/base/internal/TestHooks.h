// State of the base layer that only the test API changes. Not for the program's own code.
#pragma once

#include "MacTypes.h"

namespace sp_platform {

// Allocation failure: when the countdown is n > 0, the n-th allocation from now fails
// (and only that one). 0 switches failure off.
void SetAllocationFailureCountdown(UInt32 n);
// Allocations of more than this many bytes fail (0: no limit), as on a machine short of
// memory, so that code which halves its request until it gets a block can be tested.
void SetAllocationSizeLimit(UInt32 bytes);
// True when the allocation of `bytes` being made now is to fail; counts the countdown down.
bool ShouldFailAllocation(UInt64 bytes);
// Number of allocations made through the Memory Manager since start (for leak checks).
UInt64 AllocationCount();

// System beep counter.
UInt32 BeepCount();
void ResetBeepCount();

}  // namespace sp_platform

namespace sp_platform {

// Gestalt answers.
void SetGestaltAnswer(OSType selector, SInt32 response);
void RemoveGestaltAnswer(OSType selector);
void ResetGestaltTable();

}  // namespace sp_platform
