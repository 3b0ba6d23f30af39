// What the list's source files share.
#pragma once

#include <algorithm>

#include "MacTypes.h"
#include "SpListCellRootObject.h"

namespace sp_list_detail {

// QuickDraw's coordinates are 16-bit: the list's content ends at the largest of them.
constexpr SInt32 kLMgrMaxContent = 32767;
// Line numbers and counts are 16-bit too.
constexpr SInt32 kLMgrMaxLines = 32767;

inline short ClampToContent(SInt32 p) {
  return short(std::clamp<SInt32>(p, 0, kLMgrMaxContent));
}

// The links of a cell along its row (rowChain) or down its column.
inline sLMgr_Cell*& NextOf(sLMgr_Cell* cell, bool rowChain) {
  return rowChain ? cell->rowNext : cell->colNext;
}
inline sLMgr_Cell*& PreviousOf(sLMgr_Cell* cell, bool rowChain) {
  return rowChain ? cell->rowPrevious : cell->colPrevious;
}

}  // namespace sp_list_detail
