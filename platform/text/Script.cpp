// Script Manager: MacJapanese character classification and two-byte-aware case changes.
//
// One table decides the type and class of every character (ClassifyOneByte and
// ClassifyTwoByte below):
//
//   text                                       type                  class
//   controls, ASCII punctuation, 0xFF, ｡｢｣､･    smCharPunct           smPunctNormal
//   # $ % & * + / < = > @ ^ | ~, ¥ (0x5C),
//     \ (0x80), © (0xFD), ™ (0xFE)             smCharPunct           smPunctSymbol
//   space, no-break space (0xA0), 0x8140       smCharPunct           smPunctBlank
//   digits, full-width digits                  smCharPunct           smPunctNumber
//   A-Z a-z, full-width Ａ-Ｚ ａ-ｚ              smCharAscii           (upper flag for A-Z)
//   half-width katakana 0xA6-0xDF              smCharKatakana        smKanaSmall for ｧ-ｯ
//   hiragana row 0x82                          smCharHiragana        smKanaSmall for small ones
//   katakana row 0x83, ー (0x815B)             smCharKatakana        smKanaSmall for small ones
//   repeat marks ヽヾゝゞ〃仝々〆 (0x8152-59)     smCharPunct           smPunctRepeat
//   math, arrows, marks 0x817B-0x81FC          smCharPunct           smPunctSymbol
//   Greek row 0x83                             smCharTwoByteGreek    (upper flag)
//   Cyrillic row 0x84                          smCharTwoByteRussian  (upper flag)
//   box drawing 0x849F-0x84BE                  smCharPunct           smPunctGraphic
//   the Mac's rows 0x8540-0x889E               smCharPunct           smPunctSymbol
//     (except ゔ: hiragana, ヷヸヹヺ: katakana)
//   kanji 0x889F-0x9872                        smCharIdeographic     smIdeographicLevel1
//   kanji 0x989F-0xEAA4, IBM kanji 0xEE, 0xFA-0xFC smCharIdeographic  smIdeographicLevel2
//   user-defined rows 0xF0-0xF9                smCharIdeographic     smIdeographicUser
//   vertical forms 0xEB-0xED                   as the horizontal character, + smCharVertical
//   anything else                              smCharPunct           smPunctNormal
//
// Two-byte characters carry smChar2byte. Japanese is never right to left.
#include "Script.h"

namespace {

bool IsJapanese(ScriptCode script) {
  return script == smJapanese || script == smSystemScript || script == smCurrentScript;
}

bool IsLeadByte(UInt8 b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsAsciiUpper(UInt8 b) {
  return b >= 'A' && b <= 'Z';
}
bool IsAsciiLower(UInt8 b) {
  return b >= 'a' && b <= 'z';
}

UInt16 ClassifyOneByte(UInt8 b, bool japanese) {
  if (b == ' ') return smCharPunct | smPunctBlank;
  if (b >= '0' && b <= '9') return smCharPunct | smPunctNumber;
  if (IsAsciiUpper(b)) return smCharAscii | smCharUpper;
  if (IsAsciiLower(b)) return smCharAscii;
  if (b < 0x20 || b == 0x7F) return smCharPunct | smPunctNormal;
  if (b < 0x80) {
    switch (b) {
      // clang-format off
      case '#': case '$': case '%': case '&': case '*': case '+': case '/': case '<':
      case '=': case '>': case '@': case '\\': case '^': case '|': case '~':
        return smCharPunct | smPunctSymbol;
      // clang-format on
      default:
        return smCharPunct | smPunctNormal;
    }
  }
  if (!japanese) return smCharEuro;
  if (b == 0x80 || b == 0xFD || b == 0xFE) return smCharPunct | smPunctSymbol;
  if (b == 0xA0) return smCharPunct | smPunctBlank;
  if (b >= 0xA1 && b <= 0xA5) return smCharPunct | smPunctNormal;
  if (b >= 0xA7 && b <= 0xAF) return smCharKatakana | smKanaSmall;
  if (b >= 0xA6 && b <= 0xDF) return smCharKatakana;
  return smCharPunct | smPunctNormal;
}

// clang-format off
bool IsSmallHiragana(UInt16 code) {
  switch (code) {
    case 0x829F: case 0x82A1: case 0x82A3: case 0x82A5: case 0x82A7:
    case 0x82C1: case 0x82E1: case 0x82E3: case 0x82E5: case 0x82EC:
      return true;
    default:
      return false;
  }
}

bool IsSmallKatakana(UInt16 code) {
  switch (code) {
    case 0x8340: case 0x8342: case 0x8344: case 0x8346: case 0x8348: case 0x8362:
    case 0x8383: case 0x8385: case 0x8387: case 0x838E: case 0x8395: case 0x8396:
      return true;
    default:
      return false;
  }
}
// clang-format on

UInt16 ClassifyTwoByte(UInt16 code) {
  const UInt8 lead = UInt8(code >> 8);
  if (lead >= 0xEB && lead <= 0xED) {
    return UInt16(ClassifyTwoByte(UInt16(code - 0x6A00)) | smCharVertical);
  }
  UInt16 r = smChar2byte;
  if (code == 0x8140) return r | smCharPunct | smPunctBlank;
  if (code >= 0x8152 && code <= 0x8159) return r | smCharPunct | smPunctRepeat;
  if (code == 0x815B) return r | smCharKatakana;
  if (code >= 0x817B && code <= 0x81FC) return r | smCharPunct | smPunctSymbol;
  if (lead == 0x81) return r | smCharPunct | smPunctNormal;
  if (code >= 0x824F && code <= 0x8258) return r | smCharPunct | smPunctNumber;
  if (code >= 0x8260 && code <= 0x8279) return r | smCharAscii | smCharUpper;
  if (code >= 0x8281 && code <= 0x829A) return r | smCharAscii;
  if (code >= 0x829F && code <= 0x82F1) {
    return r | smCharHiragana | (IsSmallHiragana(code) ? smKanaSmall : 0);
  }
  if (code >= 0x8340 && code <= 0x8396) {
    return r | smCharKatakana | (IsSmallKatakana(code) ? smKanaSmall : 0);
  }
  if (code >= 0x839F && code <= 0x83B6) return r | smCharTwoByteGreek | smCharUpper;
  if (code >= 0x83BF && code <= 0x83D6) return r | smCharTwoByteGreek;
  if (code >= 0x8440 && code <= 0x8460) return r | smCharTwoByteRussian | smCharUpper;
  if (code >= 0x8470 && code <= 0x8491) return r | smCharTwoByteRussian;
  if (code >= 0x849F && code <= 0x84BE) return r | smCharPunct | smPunctGraphic;
  if (code == 0x8868) return r | smCharHiragana;
  if (code >= 0x886A && code <= 0x886D) return r | smCharKatakana;
  if (code >= 0x8540 && code < 0x889F) return r | smCharPunct | smPunctSymbol;
  if (code >= 0x889F && code <= 0x9872) return r | smCharIdeographic | smIdeographicLevel1;
  if (code >= 0x989F && code <= 0xEAA4) return r | smCharIdeographic | smIdeographicLevel2;
  if (lead == 0xEE || (lead >= 0xFA && lead <= 0xFC)) {
    return r | smCharIdeographic | smIdeographicLevel2;
  }
  if (lead >= 0xF0 && lead <= 0xF9) return r | smCharIdeographic | smIdeographicUser;
  return r | smCharPunct | smPunctNormal;
}

// Start of the character that holds offset, walking from the start of the text.
SInt32 CharacterStart(const UInt8* text, SInt32 offset) {
  SInt32 pos = 0;
  while (pos < offset) {
    const SInt32 next = pos + (IsLeadByte(text[pos]) ? 2 : 1);
    if (next > offset) return pos;
    pos = next;
  }
  return pos;
}

void ChangeCase(Ptr textPtr, SInt16 len, ScriptCode script, bool upper) {
  if (textPtr == nullptr || len <= 0) return;
  UInt8* text = reinterpret_cast<UInt8*>(textPtr);
  const bool japanese = IsJapanese(script);
  for (SInt32 pos = 0; pos < len;) {
    const UInt8 b = text[pos];
    if (japanese && IsLeadByte(b)) {
      pos += 2;
      continue;
    }
    if (upper && IsAsciiLower(b)) text[pos] = UInt8(b - 'a' + 'A');
    if (!upper && IsAsciiUpper(b)) text[pos] = UInt8(b - 'A' + 'a');
    ++pos;
  }
}

}  // namespace

SInt16 CharacterByteType(Ptr textBuf, SInt16 textOffset, ScriptCode script) {
  if (textBuf == nullptr || textOffset < 0 || !IsJapanese(script)) return smSingleByte;
  const UInt8* text = reinterpret_cast<const UInt8*>(textBuf);
  const SInt32 start = CharacterStart(text, textOffset);
  if (start < textOffset) return smLastByte;
  return IsLeadByte(text[start]) ? smFirstByte : smSingleByte;
}

SInt16 CharacterType(Ptr textBuf, SInt16 textOffset, ScriptCode script) {
  if (textBuf == nullptr || textOffset < 0) return smCharPunct;
  const UInt8* text = reinterpret_cast<const UInt8*>(textBuf);
  if (!IsJapanese(script)) return SInt16(ClassifyOneByte(text[textOffset], false));
  const SInt32 start = CharacterStart(text, textOffset);
  if (IsLeadByte(text[start])) {
    return SInt16(ClassifyTwoByte(UInt16((text[start] << 8) | text[start + 1])));
  }
  return SInt16(ClassifyOneByte(text[start], true));
}

void UppercaseText(Ptr textPtr, SInt16 len, ScriptCode script) {
  ChangeCase(textPtr, len, script, true);
}

void LowercaseText(Ptr textPtr, SInt16 len, ScriptCode script) {
  ChangeCase(textPtr, len, script, false);
}

void UpperString(Str255 theString, Boolean /*diacSensitive*/) {
  if (theString == nullptr) return;
  ChangeCase(reinterpret_cast<Ptr>(theString + 1), SInt16(theString[0]), smJapanese, true);
}

ScriptCode FontToScript(SInt16 /*fontNumber*/) {
  return smJapanese;
}

ScriptCode GetScriptManagerSystemScript() {
  return smJapanese;
}
