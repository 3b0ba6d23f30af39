// Fixed-point numbers (16.16): conversion from whole numbers.
#pragma once

#include "MacTypes.h"

// x as a 16.16 number, pinned to the largest and smallest Fixed when it does not fit.
inline Fixed Long2Fix(SInt32 x) {
  if (x > 0x7FFF) return Fixed(0x7FFFFFFF);
  if (x < -0x8000) return Fixed(0x80000000u);
  return Fixed(UInt32(x) << 16);
}

// The whole part of a 16.16 number, rounded toward zero.
inline SInt32 Fix2Long(Fixed x) {
  return x / 65536;
}
