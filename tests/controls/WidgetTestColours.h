// Colours as the widgets' tests state them: percent greys, mixes, and the 8-bit 0xRRGGBB form
// that window pixels are read in.
#pragma once

#include "QuickDraw.h"
#include "SpStdDrawingFunction.h"

namespace widget_test {

inline RGBColor Grey(float percent) {
  RGBColor c;
  Sp_SetRGBColorByPercentage(&c, percent, percent, percent);
  return c;
}

inline RGBColor Mix(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

inline UInt32 Rgb(const RGBColor& c) {
  return UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | UInt32(c.blue >> 8);
}

}  // namespace widget_test
