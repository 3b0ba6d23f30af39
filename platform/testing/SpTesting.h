// The automation API that tests use to drive and observe the platform layer.
// Never linked into the application. The clock, resources and main bundle have headers of
// their own, included here.
#pragma once

#include <vector>

#include "MacTypes.h"
#include "TestBundle.h"
#include "TestClock.h"
#include "TestResources.h"

namespace sp_testing {

// System beeps counted since start or since the last reset.
UInt32 BeepCount();
void ResetBeepCount();

// Makes the n-th Memory Manager allocation from now fail with memFullErr (n = 1: the next
// one). 0 switches failing off.
void FailNthAllocation(UInt32 n);
// Makes every Memory Manager allocation of more than `bytes` fail (0: no limit again), as on
// a machine short of memory; MaxBlock and FreeMem then answer at most `bytes`.
void LimitAllocationSize(UInt32 bytes);

// Gestalt: change one answer, remove one, or restore the platform's table.
void SetGestalt(OSType selector, SInt32 response);
void RemoveGestalt(OSType selector);
void ResetGestalt();

// The live keyboard: hold or release a key by Mac key code (55 command, 56 shift, 57 caps
// lock, 58 option, 59 control), or release every key.
void SetKeyDown(UInt8 keyCode, bool down);
void ReleaseAllKeys();

// Fonts: make RealFont answer true only for these sizes of the font (an empty list: every
// size again).
void SetRealFontSizes(short fontNum, const std::vector<short>& sizes);

}  // namespace sp_testing
