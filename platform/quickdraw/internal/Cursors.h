// What the test API reads of the cursor last set, and its reset. Not for the program's own
// code.
#pragma once

#include "MacTypes.h"

namespace sp_platform {

enum class CursorKind {
  kArrow,       // the standard arrow (InitCursor, or SetCursor with the arrow's image)
  kBlackWhite,  // SetCursor with a 'CURS' cursor; resourceID is its id
  kColor,       // SetCCursor; resourceID is the 'crsr' id
  kOther,       // SetCursor with an image that is neither the arrow nor a loaded 'CURS'
};

// The cursor last set, without its images.
struct CursorSummary {
  CursorKind kind = CursorKind::kArrow;
  SInt16 resourceID = 0;
  SInt32 hideLevel = 0;   // 0: shown; below 0: hidden by that many HideCursor calls
  bool obscured = false;  // ObscureCursor until the mouse moves
  UInt32 changes = 0;     // InitCursor, SetCursor and SetCCursor calls since the last reset
};
CursorSummary CurrentCursorSummary();

// The arrow, shown, no changes counted. Loaded cursors stay valid.
void ResetCursor();

}  // namespace sp_platform
