// Test API: the fixed-metric test font.
//
// A synthetic family of the layer whose metrics are exact at every size s: one-byte
// characters (ASCII, half-width katakana) advance s / 2 pixels (at least 1), two-byte
// characters s pixels; ascent s - s / 4, descent s / 4, leading 0, widMax s. Every glyph is
// drawn as a solid box from the pen to one pixel short of its advance, from the ascent down
// to the baseline (the row just above it); spaces (0x20, the two-byte space 0x8140) and
// control characters are blank. At size 12: 6 and 12 pixels wide, ascent 9, descent 3.
// Style extras apply as to any font (bold +1 per character at size 12, ...).
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_testing {

// The test font's family number: TextFont(kFixedMetricFont) selects it in any port.
constexpr SInt16 kFixedMetricFont = 32000;
// Its name: GetFontName and GetFNum know it; font lists show it only while it stands in for
// the system font.
constexpr const char* kFixedMetricFontName = "SpFixedMetric";

// While on, the system and application fonts (numbers 0 and 1, GetSysFont, GetAppFont) are
// the test font, so text drawn in a port's default font has exact widths.
void UseFixedMetricFont(bool on);

// One font family installed on the machine: its number and its name (MacJapanese bytes).
struct FontFamily {
  SInt16 number;
  std::string name;
};
// Every installed family, sorted by name byte for byte: what a font menu lists.
std::vector<FontFamily> InstalledFontFamilies();

// The bytes of text measured (TextWidth, PixelToChar, StyledLineBreak, ...) since the last
// reset: a measure of the work done that does not depend on time.
UInt64 MeasuredTextBytes();
void ResetMeasuredTextBytes();

// UseFixedMetricFont(true) for the life of the scope, restoring the previous state.
class FixedMetricFontScope {
 public:
  FixedMetricFontScope();
  ~FixedMetricFontScope();
  FixedMetricFontScope(const FixedMetricFontScope&) = delete;
  FixedMetricFontScope& operator=(const FixedMetricFontScope&) = delete;

 private:
  bool previous_;
};

}  // namespace sp_testing
