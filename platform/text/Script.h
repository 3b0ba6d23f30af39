// Script Manager: character classification and case conversion for the system's text.
//
// The system script is Japanese: text is MacJapanese (Shift-JIS family). A byte in
// 0x81-0x9F or 0xE0-0xFC starts a two-byte character whose second byte (0x40-0xFC) may look
// like an ASCII letter, so every call here walks the text character by character from its
// start and never treats a second byte as a character of its own.
#pragma once

#include "MacTypes.h"

enum : ScriptCode {
  smSystemScript = -1,  // the system script: Japanese
  smCurrentScript = -2,
  smAllScripts = -3,
  smRoman = 0,
  smJapanese = 1,
};

// CharacterByteType results.
enum : SInt16 { smSingleByte = 0, smFirstByte = -1, smLastByte = 1, smMiddleByte = 2 };

// CharacterType result: type in bits 0-3, class in bits 8-11, and four flag bits.
enum : UInt16 {
  smcTypeMask = 0x000F,
  smcReserved = 0x00F0,
  smcClassMask = 0x0F00,
  smcOrientationMask = 0x1000,  // set: a vertical form
  smcRightMask = 0x2000,        // set: right to left (never in Japanese)
  smcUpperMask = 0x4000,        // set: an upper-case letter
  smcDoubleMask = 0x8000,       // set: a two-byte character

  smCharHorizontal = 0x0000,
  smCharVertical = 0x1000,
  smCharLeft = 0x0000,
  smCharRight = 0x2000,
  smCharLower = 0x0000,
  smCharUpper = 0x4000,
  smChar1byte = 0x0000,
  smChar2byte = 0x8000,
};

// Character types (bits 0-3).
enum : UInt16 {
  smCharPunct = 0x0000,     // punctuation, digits, symbols, spaces, controls
  smCharAscii = 0x0001,     // Latin letters (one- or two-byte)
  smCharKatakana = 0x0002,  // katakana (half- or full-width)
  smCharHiragana = 0x0003,  // hiragana
  smCharIdeographic = 0x0004,
  smCharTwoByteGreek = 0x0005,
  smCharTwoByteRussian = 0x0006,
  smCharEuro = 0x0007,  // extended Latin (not produced for Japanese text)
  smCharExtAscii = 0x0007,
};

// Character classes (bits 8-11), meaning by type.
enum : UInt16 {
  // smCharPunct
  smPunctNormal = 0x0000,
  smPunctNumber = 0x0100,
  smPunctSymbol = 0x0200,
  smPunctBlank = 0x0300,
  smPunctRepeat = 0x0400,
  smPunctGraphic = 0x0500,
  // smCharKatakana, smCharHiragana
  smKanaSmall = 0x0100,
  smKanaHardOK = 0x0200,
  smKanaSoftOK = 0x0300,
  // smCharIdeographic
  smIdeographicLevel1 = 0x0000,
  smIdeographicLevel2 = 0x0100,
  smIdeographicUser = 0x0200,
};

// Byte kind at textOffset: smSingleByte, smFirstByte or smLastByte. Walks from textBuf[0],
// so the buffer must begin on a character boundary and hold at least textOffset + 1 bytes.
SInt16 CharacterByteType(Ptr textBuf, SInt16 textOffset, ScriptCode script);

// Type, class and flags of the character that holds textOffset (see the enums above). The
// buffer must begin on a character boundary and hold the whole character: when textOffset
// is a first byte, textBuf[textOffset + 1] is read.
SInt16 CharacterType(Ptr textBuf, SInt16 textOffset, ScriptCode script);

// Case conversion in place of len bytes: only ASCII letters change; both bytes of every
// two-byte character are left alone.
void UppercaseText(Ptr textPtr, SInt16 len, ScriptCode script);
void LowercaseText(Ptr textPtr, SInt16 len, ScriptCode script);

// Upper-cases a Pascal string in place, two-byte aware. MacJapanese has no accented one-byte
// letters, so diacSensitive changes nothing.
void UpperString(Str255 theString, Boolean diacSensitive);

// Every font of the system shows Japanese.
ScriptCode FontToScript(SInt16 fontNumber);
// The script of the system: smJapanese.
ScriptCode GetScriptManagerSystemScript();

// ---- Script variables ----

// Selectors of GetScriptVariable.
enum : SInt16 {
  smScriptSysFond = 12,  // the script's system font
  smScriptAppFond = 14,  // the script's application font
};
// The system font (smScriptSysFond) or application font (smScriptAppFond) of the script.
// Every font of the system shows Japanese, so every script answers the system's fonts; any
// other selector gives 0.
SInt32 GetScriptVariable(ScriptCode script, SInt16 selector);

// ---- Line and word breaks ----
//
// Break opportunities follow the Unicode line-breaking rules for Japanese (a line may end
// after spaces and hyphens and between Japanese characters, never before closing punctuation
// such as 。、」 or small kana that close a syllable), word bounds the Unicode word rules with
// a dictionary for Japanese words. The text is MacJapanese; offsets count its bytes and never
// fall inside a two-byte character. Lengths and offsets are 32-bit: a window of text may pass
// 32,767 bytes.

typedef SInt8 StyledLineBreakCode;
enum : StyledLineBreakCode { smBreakWord = 0, smBreakChar = 1, smBreakOverflow = 2 };

// Where a line holding textPtr[textStart .. textEnd - 1] in the current port's text settings
// must end, the bytes before textStart (from textPtr[0]) being what stands before them on the
// line and textLen bytes in all being readable (bytes after textEnd are context for the
// rules). *textWidth is the room in pixels (16.16); *textOffset is non-zero on entry when the
// run is the first on its line. The characters are measured as TextWidth measures them.
// - smBreakOverflow: the run fits; *textWidth decreases by its width and *textOffset is
//   textEnd.
// - Otherwise the run overflows at the character at offset o. Spaces (0x20) from o up to a
//   break opportunity may hang past the room: smBreakWord with *textOffset after them (at
//   most textEnd). Else smBreakWord with the last break opportunity b, 0 < b <= o, before or
//   inside the run. Without one, on the first run of a line: smBreakChar at o, or after the
//   run's first character when not even that fits, so a line always takes a character; on a
//   later run: smBreakWord at 0 (the line ends before textPtr[0]).
// A null argument, or textStart / textEnd outside 0 .. textLen, gives smBreakOverflow with
// nothing changed. flags is not used.
StyledLineBreakCode StyledLineBreak(Ptr textPtr, SInt32 textLen, SInt32 textStart,
                                    SInt32 textEnd, SInt32 flags, Fixed* textWidth,
                                    SInt32* textOffset);

struct OffPair {
  SInt32 offFirst;
  SInt32 offSecond;
};
typedef OffPair OffsetTable[3];
typedef void* NBreakTablePtr;  // null: the script's default word rules (the only ones)

// The word holding the character at offset (leadingEdge) or the character before it (not
// leadingEdge): offsets[0] = its first byte and the byte after it; offsets[1] and [2] are
// zero. A word is a stretch of letters, digits, kana or kanji, a run of spaces, or one mark of
// punctuation. Offsets outside the text are taken as its nearest end; a null text or a length
// below 1 gives {0, 0}.
void FindWordBreaks(Ptr textPtr, SInt32 textLength, SInt32 offset, Boolean leadingEdge,
                    NBreakTablePtr breaks, OffsetTable offsets, ScriptCode script);

// ---- The keyboard script ----
//
// The keyboard types the system script (Japanese, through the desktop's input method) unless
// a program holds it to Roman: KeyScript(smKeyRoman) followed by smKeyDisableKybdSwitch or
// smKeyDisableKybds switches the input method off (typed keys are plain characters) until
// smKeyEnableKybds or smKeySysScript lets it go.

// KeyScript codes.
enum : SInt16 {
  smKeySysScript = -2,
  smKeyDisableKybds = -6,
  smKeyEnableKybds = -7,
  smKeyDisableKybdSwitch = -12,
  smKeyRoman = -17,
};
// Other codes (and script numbers) are taken and change nothing.
void KeyScript(SInt16 code);

// GetScriptManagerVariable selectors.
enum : SInt16 {
  smKeyScript = 22,        // the keyboard's script: smRoman or smJapanese
  smKeyDisableState = 34,  // 0 every keyboard, 1 Roman only, -1 no switching
};
// The value of the selector; 0 for any other.
SInt32 GetScriptManagerVariable(SInt16 selector);
