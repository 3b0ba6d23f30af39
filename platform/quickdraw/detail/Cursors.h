// The record of the cursor last set, for the test API and the display backend. Not for the
// program's own code.
#pragma once

#include <vector>

#include "../QuickDraw.h"
#include "PngImages.h"

namespace sp_platform {

enum class CursorKind {
  kArrow,       // the standard arrow (InitCursor, or SetCursor with the arrow's image)
  kBlackWhite,  // SetCursor with a 'CURS' cursor; resourceID is its id
  kColor,       // SetCCursor; resourceID is the 'crsr' id
  kOther,       // SetCursor with an image that is neither the arrow nor a loaded 'CURS'
};

struct CursorRecord {
  CursorKind kind = CursorKind::kArrow;
  SInt16 resourceID = 0;
  Cursor image{};         // the black-and-white image (a colour cursor's one-bit image)
  ArgbImage colorImage;   // a colour cursor's colour image; empty for the others and for a
                          // colour cursor whose image could not be read (its one-bit image
                          // then stands in)
  SInt32 hideLevel = 0;   // 0: shown; below 0: hidden by that many HideCursor calls
  bool obscured = false;  // ObscureCursor until the mouse moves
  UInt32 changes = 0;     // InitCursor, SetCursor and SetCCursor calls since the last reset
};

const CursorRecord& CurrentCursor();

// The event loop tells the cursor that the mouse moved: an obscured cursor shows again.
void NoteMouseMovedForCursor();

// The bytes of the 'crsr' resource a colour cursor was made from; false for anything that
// GetCCursor did not make.
bool ColorCursorResourceBytes(CCrsrHandle cursor, std::vector<UInt8>* bytes);

// The colour image of a cursor GetCCursor made (empty when its resource held none that
// could be read); false for anything else.
bool ColorCursorImage(CCrsrHandle cursor, ArgbImage* image);

// The arrow, shown, no changes counted. Loaded cursors stay valid.
void ResetCursor();

}  // namespace sp_platform
