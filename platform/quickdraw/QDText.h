// QuickDraw text: the port's text settings, measuring, drawing and truncation.
//
// Text is MacJapanese bytes: a byte in 0x81-0x9F or 0xE0-0xFC starts a two-byte character,
// every other byte (ASCII, half-width katakana 0xA1-0xDF, the one-byte specials 0x80, 0xA0,
// 0xFD-0xFF) is a character of its own. Calls here never split a two-byte character; a
// lead byte that is the last byte of the text counts as a one-byte character.
//
// Sizes are pixels (72 dpi); a text size of 0 means GetDefFontSize(). Widths are whole
// pixels: each character's advance is rounded to a pixel (with fractional widths on, the
// advances are added unrounded and only the total is rounded), then the port's extras are
// added: CharExtra to every character, SpaceExtra to every space (0x20). The advance of each
// character is looked up once per font, size and face and then kept, so measuring a long text
// costs an addition per character.
//
// Styles: bold and italic use the family's own bold or italic face when it has one and are
// made from the plain face otherwise (the outline emboldened, or slanted by a fifth of the
// height). Made-up bold widens each character by max(1, (size + 8) / 16) pixels (1 at the
// usual sizes). The toolbox's per-character width extras of the other styles apply to every
// font: outline +1, shadow +2 (with outline too), condense -1, extend +1. Underline draws a
// 1-pixel line one pixel below the baseline under the whole run. Outline draws the 1-pixel
// ring around each glyph and leaves the glyph itself undrawn; shadow draws that ring plus
// the ring moved 1 pixel right and down, again leaving the glyph undrawn (as the toolbox's
// outlined and shadowed text, approximately: the ring is the glyph's coverage grown by one
// pixel in every direction). Control characters are blank and as wide as a space.
//
// Drawing starts at the pen (on the baseline) and moves the pen right by the text's width.
// Glyphs are anti-aliased. Transfer modes: srcOr (the default) blends the fore colour over
// the pixels by glyph coverage; srcCopy first fills the text's box (its width, from ascent
// above to descent below the baseline) with the back colour and then draws as srcOr;
// srcXor inverts the pixels a glyph covers by half or more; srcBic blends the back colour
// in by coverage; any other mode draws as srcOr. Drawing is clipped to the port's clip and
// visible regions and follows its origin.
#pragma once

#include "Fonts.h"
#include "MacTypes.h"

struct GrafPort;
typedef GrafPort* GrafPtr;
typedef GrafPtr CGrafPtr;

// ---- Styles and font metrics ----

typedef unsigned char Style;
typedef SInt16 StyleParameter;
typedef SInt16 CharParameter;

enum : Style {
  normal = 0,
  bold = 1,
  italic = 2,
  underline = 4,
  outline = 8,
  shadow = 16,
  condense = 32,
  extend = 64,
};

struct FontInfo {
  SInt16 ascent;   // pixels above the baseline
  SInt16 descent;  // pixels below it
  SInt16 widMax;   // the widest character's advance, style extras included
  SInt16 leading;  // pixels between one line's descent and the next line's ascent
};

// ---- Text settings of the current port ----
// Each changes the current port. A new port draws the system font (0) at size 0 (the
// default size), plain, in srcOr, without extras.

void TextFont(SInt16 font);
void TextFace(StyleParameter face);  // only the seven style bits are kept
void TextMode(SInt16 mode);
void TextSize(SInt16 size);  // a negative size is taken as 0 (the default)
// Extra pixels for every space character and for every character (16.16 fixed point).
void SpaceExtra(Fixed extra);
void CharExtra(Fixed extra);

// The same settings of any port. An invalid port gives 0 (and is left alone by the setters).
SInt16 GetPortTextFont(CGrafPtr port);
Style GetPortTextFace(CGrafPtr port);
SInt16 GetPortTextMode(CGrafPtr port);
SInt16 GetPortTextSize(CGrafPtr port);
Fixed GetPortSpExtra(CGrafPtr port);
// The character extra in whole pixels (rounded), as a short.
SInt16 GetPortChExtra(CGrafPtr port);
void SetPortTextFont(CGrafPtr port, SInt16 txFont);
void SetPortTextFace(CGrafPtr port, StyleParameter face);
void SetPortTextMode(CGrafPtr port, SInt16 mode);
void SetPortTextSize(CGrafPtr port, SInt16 txSize);

// Fractional widths for all measuring and drawing (off at start).
void SetFractEnable(Boolean fractEnable);

// ---- Measuring in the current port's font, size and face ----

// Ascent, descent, widest advance and leading. A null pointer does nothing.
void GetFontInfo(FontInfo* info);
// The width of one character: a value 0-255 is a one-byte character; a larger value is a
// two-byte character, its first byte in the high byte (0x82A0 for hiragana "a").
SInt16 CharWidth(CharParameter ch);
// The width of the length-prefixed string; null gives 0.
SInt16 StringWidth(ConstStr255Param s);
// The width of byteCount bytes from textBuf + firstByte; null or a count of 0 or less gives 0.
SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount);

// The layer's own 32-bit form of TextWidth, for texts wider than 32,767 pixels (a long line
// of an editor before it is wrapped): the same measure, not limited to a short.
SInt32 SpTextWidthLong(const void* textBuf, SInt32 firstByte, SInt32 byteCount);

// ---- Drawing at the pen of the current port ----

void DrawChar(CharParameter ch);  // as CharWidth reads ch
void DrawString(ConstStr255Param s);
void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount);

// ---- Positions within a style run ----

typedef SInt16 JustStyleCode;
enum : JustStyleCode { onlyStyleRun = 0, leftStyleRun = 1, rightStyleRun = 2, middleStyleRun = 3 };

// The byte offset of the character boundary nearest the pixel position `pixelWidth`
// (16.16, from the start of the text) in the current port; the text is scaled by
// numer/denom (1/1 for none). leadingEdge is set when the position lies in the first half of
// a character (the offset is that character's), clear when it lies in the second half (the
// offset is the next character's). When the position is past the end of the text the result
// is textLength, leadingEdge is false and widthRemaining is the distance left past the end;
// otherwise widthRemaining is -1 (as Fixed: -0x10000). Before the start: 0 and leadingEdge
// true. `slop` (extra width spread over the run by justification) is added to the run's
// spaces as SpaceExtra would be. Null outputs are skipped.
SInt16 PixelToChar(Ptr textBuf, SInt32 textLength, Fixed slop, Fixed pixelWidth,
                   Boolean* leadingEdge, Fixed* widthRemaining, JustStyleCode styleRunPosition,
                   Point numer, Point denom);
// The pixel position (from the start of the text) of the byte offset: the width of the bytes
// before it (the offset moved back to its character's start when it falls inside one).
SInt16 CharToPixel(Ptr textBuf, SInt32 textLength, Fixed slop, SInt32 offset, SInt16 direction,
                   JustStyleCode styleRunPosition, Point numer, Point denom);

// ---- Truncation (Text Utilities) ----

typedef SInt16 TruncCode;
enum : TruncCode { truncEnd = 0, truncMiddle = 0x4000, smTruncEnd = 0, smTruncMiddle = 0x4000 };
enum : SInt16 {
  notTruncated = 0,
  truncated = 1,
  truncErr = -1,
  smNotTruncated = 0,
  smTruncated = 1,
  smTruncErr = -1,
};

// The script's ellipsis: the one-byte MacJapanese ellipsis 0xFF (a horizontal ellipsis), as
// the Japanese script system inserted. Being one byte, it never makes a truncated text
// longer than the text it replaced, so the caller's buffer always holds the result.
enum : UInt8 { kSpTruncationEllipsis = 0xFF };

// Shortens the text in place to fit `width` pixels in the current port's font, size, face
// and extras, putting the ellipsis at the end (truncEnd) or in the middle (truncMiddle) in
// place of the characters taken out, on character boundaries. *length is the text's length
// on entry and the new length on return. Results: notTruncated (the text fits and is
// unchanged), truncated, or truncErr when even the ellipsis alone does not fit (the length
// becomes 0) or an argument is invalid (null text or length, a negative length; nothing
// changes). Any other truncWhere is taken as truncEnd.
SInt16 TruncText(SInt16 width, Ptr textPtr, SInt16* length, TruncCode truncWhere);
// TruncText on a length-prefixed string.
SInt16 TruncString(SInt16 width, Str255 theString, TruncCode truncWhere);

// ---- Script Manager ----

// The system's text direction: 0, left to right.
SInt16 GetSysDirection();
