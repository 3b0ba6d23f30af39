#include "Fonts.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "detail/TextEngine.h"
#include "quickdraw/internal/FontSizes.h"

namespace {
std::map<short, std::vector<short>>& RestrictedSizes() {
  static std::map<short, std::vector<short>> sizes;
  return sizes;
}

constexpr SInt16 kDefaultFontSize = 12;
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

void GetFNum(ConstStr255Param name, SInt16* familyID) {
  if (familyID == nullptr) return;
  *familyID = 0;
  if (name == nullptr) return;
  const std::string key(reinterpret_cast<const char*>(name + 1), name[0]);
  const sp_platform::fonts::Family* family = sp_platform::fonts::FindFamilyByName(key);
  if (family != nullptr) *familyID = family->number;
}

void GetFontName(SInt16 familyID, Str255 name) {
  if (name == nullptr) return;
  name[0] = 0;
  const sp_platform::fonts::Family* family = (familyID == systemFont || familyID == applFont)
                                                 ? sp_platform::fonts::SystemFamily()
                                                 : sp_platform::fonts::FindFamily(familyID);
  if (family == nullptr) return;
  const std::size_t n = std::min<std::size_t>(family->name.size(), 255);
  std::memcpy(name + 1, family->name.data(), n);
  name[0] = UInt8(n);
}

SInt16 GetSysFont() {
  return sp_platform::fonts::SystemFamily()->number;
}

SInt16 GetAppFont() {
  return sp_platform::fonts::SystemFamily()->number;
}

SInt16 GetDefFontSize() {
  return kDefaultFontSize;
}
