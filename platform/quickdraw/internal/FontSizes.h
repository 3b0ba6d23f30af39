// Test hook: a font that has only some real sizes, as a bitmap font had. Not for the
// program's own code.
#pragma once

#include <vector>

#include "MacTypes.h"

namespace sp_platform {
// Sizes RealFont answers true for with this font; an empty list restores "every size".
void SetRealFontSizes(short fontNum, const std::vector<short>& sizes);
}  // namespace sp_platform
