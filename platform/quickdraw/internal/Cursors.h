// What the test API reads of the cursor last set, and its reset. Not for the program's own
// code.
#pragma once

#include <vector>

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

// The cursor last set as pixels for the display: a colour cursor's colour image (its one-bit
// image when that could not be read), else the 16 x 16 one-bit image as opaque black where
// image and mask are set (also where only the image is: inverting is shown as black), opaque
// white where only the mask is, and clear elsewhere. Pixels are 0xAARRGGBB, row by row.
struct CursorImage {
  bool arrow = true;  // the standard arrow: the desktop's own arrow is shown
  UInt32 width = 0;
  UInt32 height = 0;
  std::vector<UInt32> argb;
  Point hotSpot = {0, 0};
};
CursorImage CurrentCursorImage();

// The arrow, shown, no changes counted. Loaded cursors stay valid.
void ResetCursor();

}  // namespace sp_platform
