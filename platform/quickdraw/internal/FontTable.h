// The layer's table of font families, for the Menu Manager's font lists and the test API.
// Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_platform {

// One installed family: its number and its name (MacJapanese bytes, at most 255).
struct InstalledFontFamily {
  SInt16 number;
  std::string name;
};

// Every family installed on the machine, one entry each (not the aliases 0 and 1), sorted
// by name byte for byte: what a font menu lists. The test font is listed while the test API
// has it in use.
std::vector<InstalledFontFamily> InstalledFontFamilies();

// The family number of the fixed-metric test font (see TestFonts.h), always selectable by
// number; and whether it stands in for the system and application fonts.
constexpr SInt16 kFixedMetricFontNumber = 32000;
void SetFixedMetricFontAsSystemFont(bool on);
bool FixedMetricFontIsSystemFont();

}  // namespace sp_platform
