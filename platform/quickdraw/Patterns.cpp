// The standard patterns and pattern resources.
#include <cstring>

#include "MacMemory.h"
#include "QuickDraw.h"
#include "Resources.h"

namespace {

constexpr ResType kPatternType = SpFourCC("PAT ");

Pattern* Fill(Pattern* pat, const UInt8 (&rows)[8]) {
  if (pat == nullptr) return nullptr;
  std::memcpy(pat->pat, rows, sizeof rows);
  return pat;
}

}  // namespace

Pattern* GetQDGlobalsBlack(Pattern* pat) {
  return Fill(pat, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

Pattern* GetQDGlobalsWhite(Pattern* pat) {
  return Fill(pat, {0, 0, 0, 0, 0, 0, 0, 0});
}

Pattern* GetQDGlobalsGray(Pattern* pat) {
  return Fill(pat, {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55});
}

Pattern* GetQDGlobalsLightGray(Pattern* pat) {
  return Fill(pat, {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22});
}

Pattern* GetQDGlobalsDarkGray(Pattern* pat) {
  return Fill(pat, {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD});
}

PatHandle GetPattern(SInt16 patternID) {
  Handle res = GetResource(kPatternType, patternID);
  if (res == nullptr || GetHandleSize(res) < Size(sizeof(Pattern))) return nullptr;
  return reinterpret_cast<PatHandle>(res);
}
