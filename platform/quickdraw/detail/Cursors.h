// The record of the cursor last set, for QuickDraw's own code and the display backend (the
// test API reads it through quickdraw/internal/Cursors.h). Not for the program's own code.
#pragma once

#include <vector>

#include "../QuickDraw.h"
#include "PngImages.h"
#include "quickdraw/internal/Cursors.h"

namespace sp_platform {

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

}  // namespace sp_platform
