// Fixed-point numbers (16.16): conversions from and to whole and real numbers.
#pragma once

#include <cmath>

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

// The nearest 16.16 value, held at the limits of the type.
inline Fixed X2Fix(double x) {
  const double v = std::nearbyint(x * 65536.0);
  if (!(v < 2147483647.0)) return 0x7FFFFFFF;
  if (!(v > -2147483648.0)) return SInt32(-2147483647 - 1);
  return Fixed(v);
}
inline double Fix2X(Fixed x) {
  return double(x) / 65536.0;
}
