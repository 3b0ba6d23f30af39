// MacJapanese: code page 932 with the Mac's own differences.
//
// Reading (bytes to Unicode):
// - One-byte codes: ASCII, except 0x5C which is the yen sign; 0x80 is the reverse solidus,
//   0xA0 the no-break space, 0xA1-0xDF half-width katakana, 0xFD the copyright sign, 0xFE the
//   trade mark sign and 0xFF the horizontal ellipsis.
// - Rows 0x81-0x84, 0x889F-0x9FFC and 0xE040-0xEAA4 are JIS X 0208, read as code page 932
//   reads them except for the codes in kMacJapaneseOverrides, where the Mac follows JIS
//   (wave dash, double vertical line, minus sign, cent, pound, not, em dash).
// - Rows 0x8540-0x889E and 0xEB40-0xEDFF belong to the Mac alone (circled and parenthesised
//   numbers, roman numerals, units, squared words, vertical forms): kMacJapaneseExtensions.
//   A code of these rows that the table leaves out is not text, even where code page 932
//   puts a character (its NEC row 13 lies inside row 0x87).
// - Code page 932 only codes outside those rows (IBM extensions 0xFA-0xFC, NEC-selected IBM
//   extensions in row 0xEE) are read with their code page 932 meaning, so text that took the
//   DOS Japanese fallback on its way in comes back intact. A character of theirs that no
//   code of the Mac holds (IBM's kanji, as in many family names) is written with the code
//   code page 932 gives it, so such text, a file name among it, goes to Unicode and back
//   unchanged; the others are written with the Mac's code.
// - Everything else (user-defined rows 0xF0-0xF9, bytes that are no lead byte) is invalid.
//
// The Mac marks some characters with private-use hint characters to tell variants apart
// (vertical forms, half-width and black variants, square abbreviations). Hints never reach
// Unicode text here: a variant with a Unicode character of its own reads as that character
// (black arrows, FAX, digit zero full stop, the circled ideographs with the combining
// enclosing circle); the others read as their plain text and are marked "encodes false",
// so that writing the plain text gives the standard code (0xFF reads as U+2026, which is
// written as 0x8163; the vertical comma 0xEB41 reads as U+3001, written as 0x8141).
//
// Writing (Unicode to bytes): the standard code wins over an extension code for the same
// character, and both over a code page 932 only code; kMacJapaneseAliases accept the code
// page 932 readings of the JIS symbols. A character with no code is unmappable: the
// conversion fails, or writes the caller's loss byte where the call has one.
#include "detail/MacJapaneseTable.h"

namespace sp {
namespace text {
namespace detail {

const MacJapaneseOverride kMacJapaneseOverrides[] = {
    {0x5C, 0x00A5},   {0x80, 0x005C},   {0xA0, 0x00A0},   {0xFD, 0x00A9},   {0xFE, 0x2122},
    {0xFF, 0x2026},   {0x815C, 0x2014}, {0x815F, 0xFF3C}, {0x8160, 0x301C}, {0x8161, 0x2016},
    {0x817C, 0x2212}, {0x8191, 0x00A2}, {0x8192, 0x00A3}, {0x81CA, 0x00AC},
};
const std::size_t kMacJapaneseOverrideCount =
    sizeof kMacJapaneseOverrides / sizeof kMacJapaneseOverrides[0];

const MacJapaneseAlias kMacJapaneseAliases[] = {
    {0x2015, 0x815C},  // horizontal bar
    {0xFF5E, 0x8160},  // full-width tilde
    {0x2225, 0x8161},  // parallel to
    {0xFF0D, 0x817C},  // full-width hyphen-minus
    {0xFFE0, 0x8191},  // full-width cent sign
    {0xFFE1, 0x8192},  // full-width pound sign
    {0xFFE2, 0x81CA},  // full-width not sign
};
const std::size_t kMacJapaneseAliasCount =
    sizeof kMacJapaneseAliases / sizeof kMacJapaneseAliases[0];

// {first code, count, encodes, {first character or sequence}}
const MacJapaneseExtension kMacJapaneseExtensions[] = {
    {0x8540, 20, true, {0x2460}},
    {0x855E, 20, true, {0x2474}},
    {0x857C, 3, true, {0x2776}},
    {0x8580, 6, true, {0x2779}},
    {0x8591, 1, true, {0x1F100}},
    {0x8592, 9, true, {0x2488}},
    {0x859F, 12, true, {0x2160}},
    {0x85AB, 1, false, {0x0058, 0x0049, 0x0049, 0x0049}},
    {0x85AC, 1, false, {0x0058, 0x0049, 0x0056}},
    {0x85AD, 1, false, {0x0058, 0x0056}},
    {0x85B3, 12, true, {0x2170}},
    {0x85BF, 1, false, {0x0078, 0x0069, 0x0069, 0x0069}},
    {0x85C0, 1, false, {0x0078, 0x0069, 0x0076}},
    {0x85C1, 1, false, {0x0078, 0x0076}},
    {0x85DB, 26, true, {0x249C}},
    {0x8640, 1, true, {0x339C}},
    {0x8641, 1, true, {0x339F}},
    {0x8642, 1, true, {0x339D}},
    {0x8643, 1, true, {0x33A0}},
    {0x8644, 1, true, {0x33A4}},
    {0x8645, 1, false, {0xFF4D}},
    {0x8646, 1, true, {0x33A1}},
    {0x8647, 1, true, {0x33A5}},
    {0x8648, 1, true, {0x339E}},
    {0x8649, 1, true, {0x33A2}},
    {0x864A, 1, true, {0x338E}},
    {0x864B, 1, false, {0xFF47}},
    {0x864C, 1, true, {0x338F}},
    {0x864D, 1, true, {0x33C4}},
    {0x864E, 2, true, {0x3396}},
    {0x8650, 1, true, {0x2113}},
    {0x8651, 1, true, {0x3398}},
    {0x8652, 1, true, {0x33B3}},
    {0x8653, 1, true, {0x33B2}},
    {0x8654, 1, true, {0x33B1}},
    {0x8655, 1, true, {0x33B0}},
    {0x8656, 1, true, {0x2109}},
    {0x8657, 1, true, {0x33D4}},
    {0x8658, 1, true, {0x33CB}},
    {0x8659, 1, true, {0x3390}},
    {0x865A, 3, true, {0x3385}},
    {0x865D, 1, false, {0x0054, 0x0042}},
    {0x869B, 1, true, {0x2116}},
    {0x869C, 1, true, {0x33CD}},
    {0x869D, 1, true, {0x2121}},
    {0x869E, 1, true, {0x213B}},
    {0x869F, 1, true, {0x2664}},
    {0x86A0, 1, true, {0x2667}},
    {0x86A1, 2, true, {0x2661}},
    {0x86A3, 1, true, {0x2660}},
    {0x86A4, 1, true, {0x2663}},
    {0x86A5, 2, true, {0x2665}},
    {0x86B3, 1, true, {0x3020}},
    {0x86B4, 1, true, {0x260E}},
    {0x86B5, 1, true, {0x3004}},
    {0x86C7, 1, true, {0x261E}},
    {0x86C8, 2, true, {0x261C}},
    {0x86CA, 1, true, {0x261F}},
    {0x86CB, 1, true, {0x21C6}},
    {0x86CC, 2, true, {0x21C4}},
    {0x86CE, 1, true, {0x21F5}},
    {0x86CF, 1, true, {0x21E8}},
    {0x86D0, 2, true, {0x21E6}},
    {0x86D2, 1, true, {0x21E9}},
    {0x86D3, 1, true, {0x27A1}},
    {0x86D4, 3, true, {0x2B05}},
    {0x8740, 1, true, {0x3230}},
    {0x8741, 6, true, {0x322A}},
    {0x8747, 1, true, {0x3240}},
    {0x8748, 1, true, {0x3237}},
    {0x8749, 2, true, {0x3242}},
    {0x874B, 2, true, {0x3239}},
    {0x874D, 1, true, {0x3231}},
    {0x874E, 1, true, {0x323E}},
    {0x874F, 1, true, {0x3234}},
    {0x8750, 1, true, {0x3232}},
    {0x8751, 1, true, {0x323B}},
    {0x8752, 1, true, {0x3236}},
    {0x8753, 1, true, {0x3233}},
    {0x8754, 1, true, {0x3235}},
    {0x8755, 2, true, {0x323C}},
    {0x8757, 1, true, {0x323F}},
    {0x8758, 1, true, {0x3238}},
    {0x8791, 1, true, {0x5927, 0x20DD}},
    {0x8792, 1, true, {0x5C0F, 0x20DD}},
    {0x8793, 6, true, {0x32A4}},
    {0x8799, 1, true, {0x3296}},
    {0x879A, 1, true, {0x329D}},
    {0x879B, 1, true, {0x3298}},
    {0x879C, 1, true, {0x329E}},
    {0x879D, 1, true, {0x63A7, 0x20DD}},
    {0x879E, 1, true, {0x3299}},
    {0x879F, 1, true, {0x3349}},
    {0x87A0, 1, true, {0x3322}},
    {0x87A1, 1, true, {0x334D}},
    {0x87A2, 1, true, {0x3314}},
    {0x87A3, 1, true, {0x3316}},
    {0x87A4, 1, true, {0x3305}},
    {0x87A5, 1, true, {0x3333}},
    {0x87A6, 1, true, {0x334E}},
    {0x87A7, 1, true, {0x3303}},
    {0x87A8, 1, true, {0x3336}},
    {0x87A9, 1, true, {0x3318}},
    {0x87AA, 1, true, {0x3315}},
    {0x87AB, 1, true, {0x3327}},
    {0x87AC, 1, true, {0x3351}},
    {0x87AD, 1, true, {0x334A}},
    {0x87AE, 1, true, {0x3339}},
    {0x87AF, 1, true, {0x3357}},
    {0x87B0, 1, true, {0x330D}},
    {0x87B1, 1, true, {0x3342}},
    {0x87B2, 1, true, {0x3323}},
    {0x87B3, 1, true, {0x3326}},
    {0x87B4, 1, true, {0x333B}},
    {0x87B5, 1, true, {0x332B}},
    {0x87BD, 1, true, {0x3300}},
    {0x87BE, 1, true, {0x331E}},
    {0x87BF, 1, true, {0x332A}},
    {0x87C0, 1, true, {0x3331}},
    {0x87C1, 1, true, {0x3347}},
    {0x87E5, 1, true, {0x337E}},
    {0x87E6, 1, true, {0x337D}},
    {0x87E7, 1, true, {0x337C}},
    {0x87E8, 1, true, {0x337B}},
    {0x87FA, 1, true, {0x337F}},
    {0x87FB, 1, false, {0x6709, 0x9650, 0x4F1A, 0x793E}},
    {0x87FC, 1, false, {0x8CA1, 0x56E3, 0x6CD5, 0x4EBA}},
    {0x8840, 1, true, {0x222E}},
    {0x8841, 1, true, {0x221F}},
    {0x8842, 1, true, {0x22BF}},
    {0x8854, 1, true, {0x301D}},
    {0x8855, 1, true, {0x301F}},
    {0x8868, 1, true, {0x3094}},
    {0x886A, 4, true, {0x30F7}},
    {0xEB41, 2, false, {0x3001}},
    {0xEB50, 1, false, {0xFFE3}},
    {0xEB51, 1, true, {0xFE33}},
    {0xEB5B, 1, false, {0x30FC}},
    {0xEB5C, 1, true, {0xFE31}},
    {0xEB5D, 1, false, {0x2010}},
    {0xEB60, 1, false, {0x301C}},
    {0xEB61, 1, false, {0x2016}},
    {0xEB62, 1, false, {0xFF5C}},
    {0xEB63, 1, false, {0x2026}},
    {0xEB64, 1, true, {0xFE30}},
    {0xEB69, 2, true, {0xFE35}},
    {0xEB6B, 2, true, {0xFE39}},
    {0xEB6D, 1, false, {0xFF3B}},
    {0xEB6E, 1, false, {0xFF3D}},
    {0xEB6F, 2, true, {0xFE37}},
    {0xEB71, 2, true, {0xFE3F}},
    {0xEB73, 2, true, {0xFE3D}},
    {0xEB75, 4, true, {0xFE41}},
    {0xEB79, 2, true, {0xFE3B}},
    {0xEB81, 1, false, {0xFF1D}},
    {0xEC9F, 1, false, {0x3041}},
    {0xECA1, 1, false, {0x3043}},
    {0xECA3, 1, false, {0x3045}},
    {0xECA5, 1, false, {0x3047}},
    {0xECA7, 1, false, {0x3049}},
    {0xECC1, 1, false, {0x3063}},
    {0xECE1, 1, false, {0x3083}},
    {0xECE3, 1, false, {0x3085}},
    {0xECE5, 1, false, {0x3087}},
    {0xECEC, 1, false, {0x308E}},
    {0xED40, 1, false, {0x30A1}},
    {0xED42, 1, false, {0x30A3}},
    {0xED44, 1, false, {0x30A5}},
    {0xED46, 1, false, {0x30A7}},
    {0xED48, 1, false, {0x30A9}},
    {0xED62, 1, false, {0x30C3}},
    {0xED83, 1, false, {0x30E3}},
    {0xED85, 1, false, {0x30E5}},
    {0xED87, 1, false, {0x30E7}},
    {0xED8E, 1, false, {0x30EE}},
    {0xED95, 2, false, {0x30F5}},
};
const std::size_t kMacJapaneseExtensionCount =
    sizeof kMacJapaneseExtensions / sizeof kMacJapaneseExtensions[0];

MacJapaneseRow MacJapaneseRowOf(UInt16 code) {
  const unsigned lead = code >> 8;
  if (lead >= 0x81 && lead <= 0x84) return MacJapaneseRow::kStandard;
  if (lead >= 0x85 && lead <= 0x87) return MacJapaneseRow::kExtension;
  if (lead == 0x88) {
    return (code & 0xFF) < 0x9F ? MacJapaneseRow::kExtension : MacJapaneseRow::kStandard;
  }
  if (lead >= 0x89 && lead <= 0x9F) return MacJapaneseRow::kStandard;
  if (lead >= 0xE0 && lead <= 0xEA) return MacJapaneseRow::kStandard;
  if (lead >= 0xEB && lead <= 0xED) return MacJapaneseRow::kExtension;
  if (lead == 0xEE || (lead >= 0xFA && lead <= 0xFC)) return MacJapaneseRow::kForeign;
  return MacJapaneseRow::kUnused;
}

}  // namespace detail
}  // namespace text
}  // namespace sp
