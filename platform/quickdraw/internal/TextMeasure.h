// Measuring for the Script Manager's line breaks and for the test API (the characters of a
// text with their advances in the current port, as TextWidth measures them, and the count of
// bytes measured), and drawing names as the file system spells them. Not for the program's
// own code.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_platform {

struct MeasuredChar {
  SInt32 offset;  // of the character's first byte
  SInt32 length;  // 1 or 2
  Fixed advance;  // every extra of the port included
};

// The characters of the text in the current port's font, size, face and extras, with the
// fractional-widths setting; a null text or a length below 1 gives none.
std::vector<MeasuredChar> MeasureInCurrentPort(const UInt8* text, SInt32 length);

// Text that MacJapanese cannot always hold (a file's own name, as the desktop writes it):
// drawn at the pen in the current port, one character per code point, as DrawText draws
// (the pen moves on), and measured as TextWidth measures.
void DrawUnicodeText(const std::u16string& text);
SInt32 UnicodeTextWidth(const std::u16string& text);

// A sum of advances as whole pixels, rounded as TextWidth rounds.
SInt32 RoundAdvanceSum(SInt64 fixedSum);

// Bytes given to measuring (TextWidth, PixelToChar, the line-break finder, ...) since start or
// the last reset.
UInt64 MeasuredTextBytes();
void ResetMeasuredTextBytes();

}  // namespace sp_platform
