// What the list's source files share.
#pragma once

#include <algorithm>

#include "MacTypes.h"
#include "SpListCellRootObject.h"

namespace sp_list_detail {

// QuickDraw's coordinates are 16-bit. The view's content is kept to half their range: a list
// drawn into a container's offscreen is placed there by an origin that reaches past the
// list's own content by the container's size, and that must stay within 16 bits too. The
// list's own positions go further, up to kLMgrMaxExtent, which no sum of 16-bit line sizes and
// edge widths of 32,767 lines reaches past without being stopped there.
constexpr SInt32 kLMgrMaxContent = 32767;
constexpr SInt32 kLMgrMaxViewContent = 16384;
constexpr SInt32 kLMgrMaxExtent = 0x3FFFFFFF;
// Line numbers and counts are 16-bit too.
constexpr SInt32 kLMgrMaxLines = 32767;

inline SInt32 ClampToExtent(SInt64 p) {
  return SInt32(std::clamp<SInt64>(p, 0, kLMgrMaxExtent));
}
// A position in the view's content: past either end of QuickDraw's range it stays at the end,
// beyond every point the view shows.
inline short ClampToShort(SInt64 p) {
  return short(std::clamp<SInt64>(p, -32768, 32767));
}

// The links of a cell along its row (rowChain) or down its column.
inline sLMgr_Cell*& NextOf(sLMgr_Cell* cell, bool rowChain) {
  return rowChain ? cell->rowNext : cell->colNext;
}
inline sLMgr_Cell*& PreviousOf(sLMgr_Cell* cell, bool rowChain) {
  return rowChain ? cell->rowPrevious : cell->colPrevious;
}

}  // namespace sp_list_detail
