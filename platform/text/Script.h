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
