// Small drawing helpers the framework-drawn widgets share: colour arithmetic as values rather
// than out-arguments, and a line in one call.
#pragma once

#include "QuickDraw.h"
#include "SpStdDrawingFunction.h"

// The colour `rate` of the way from `from` to `to` (Sp_RGBInBetweenColor).
inline RGBColor SpOC_Mix(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

// A grey of `percent` (0 black, 100 white) on all three components.
inline RGBColor SpOC_Grey(float percent) {
  RGBColor out;
  Sp_SetRGBColorByPercentage(&out, percent, percent, percent);
  return out;
}

// A line from (h1, v1) to (h2, v2) with the current pen.
inline void SpOC_Line(short h1, short v1, short h2, short v2) {
  MoveTo(h1, v1);
  LineTo(h2, v2);
}
