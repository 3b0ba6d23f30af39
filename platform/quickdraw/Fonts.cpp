#include "Fonts.h"

#include <algorithm>
#include <map>

#include "quickdraw/detail/FontSizes.h"

namespace {
std::map<short, std::vector<short>>& RestrictedSizes() {
  static std::map<short, std::vector<short>> sizes;
  return sizes;
}
}  // namespace

namespace sp_platform {
void SetRealFontSizes(short fontNum, const std::vector<short>& sizes) {
  if (sizes.empty()) {
    RestrictedSizes().erase(fontNum);
  } else {
    RestrictedSizes()[fontNum] = sizes;
  }
}
}  // namespace sp_platform

Boolean RealFont(short fontNum, short size) {
  if (size < 1) return false;
  auto it = RestrictedSizes().find(fontNum);
  if (it == RestrictedSizes().end()) return true;
  return std::find(it->second.begin(), it->second.end(), size) != it->second.end();
}
