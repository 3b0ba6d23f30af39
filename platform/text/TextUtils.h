// Text Utilities: numbers to and from Pascal strings.
#pragma once

#include "MacTypes.h"

// Decimal text of theNum, with a leading '-' when negative (at most 11 bytes).
void NumToString(SInt32 theNum, Str255 theString);

// Value of a decimal Pascal string with an optional leading '-' or '+'. As the toolbox did,
// every other byte counts as (byte - '0') without being checked; the arithmetic wraps at 32
// bits instead of overflowing.
void StringToNum(ConstStr255Param theString, SInt32* theNum);
