// The text engine behind the Font Manager and QuickDraw's text calls: the table of font
// families (fontconfig), their faces (FreeType), the fixed-metric test font, and the
// measuring and rendering of MacJapanese text runs. Not for the program's own code.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "../QuickDraw.h"

namespace sp_platform {
namespace fonts {

struct Face;  // one font file's face (FreeType), loaded on first use

// One family of the table.
struct Family {
  SInt16 number = 0;
  std::string name;                  // MacJapanese
  std::vector<std::string> aliases;  // further names (localised), MacJapanese
  bool fixedMetric = false;          // the synthetic test font: no faces
  Face* regular = nullptr;
  Face* bold = nullptr;  // null: made from the regular face
  Face* italic = nullptr;
  Face* boldItalic = nullptr;
};

// The installed family with this number (0 and 1 are not numbers of families); null when
// none. The fixed-metric font is always found by its number.
const Family* FindFamily(SInt16 number);
// The family a port's font number draws with: 0, 1 and unknown numbers give the system
// font's family (as the toolbox gave the application font for a font it did not have).
// Never null.
const Family* ResolveFamily(SInt16 number);
// The family whose name or alias is `name` (MacJapanese, byte for byte); null when none.
const Family* FindFamilyByName(const std::string& name);
// The installed families in table order (the test font only while it is the system font).
std::vector<const Family*> Families();
// The system font's family (the application font is the same family).
const Family* SystemFamily();

}  // namespace fonts

namespace text_engine {

// The text settings that measuring and drawing depend on, with the size resolved (never 0).
struct TextStyle {
  SInt16 font = 0;
  SInt16 size = 12;
  Style face = 0;
  Fixed spExtra = 0;
  Fixed chExtra = 0;
  bool fractional = false;
};
TextStyle StyleOfPort(const GrafPort& port);
bool FractionalWidths();
void SetFractionalWidths(bool on);

// Byte length of the MacJapanese character at text[0] (1 or 2; 1 for a lead byte that is
// the text's last byte). `remaining` > 0.
inline SInt32 CharLength(const UInt8* text, SInt32 remaining) {
  const UInt8 b = text[0];
  const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return (lead && remaining >= 2) ? 2 : 1;
}

// One character of a measured run: its bytes and its advance with every extra included.
struct CharMetric {
  SInt32 offset;
  SInt32 length;
  Fixed advance;
};

// The characters of the text with their advances.
std::vector<CharMetric> MeasureChars(const TextStyle& style, const UInt8* text, SInt32 length);
// The sum of advances as whole pixels (rounded to nearest).
SInt32 RoundFixed(SInt64 fixedSum);
SInt32 TextPixelWidth(const TextStyle& style, const UInt8* text, SInt32 length);

FontInfo MeasureFontInfo(const TextStyle& style);

// The bytes given to measuring (MeasureChars, TextPixelWidth) since start or the last reset.
UInt64 MeasuredByteCount();
void ResetMeasuredByteCount();

// The coverage of a run drawn with its pen at local (h, v) on the baseline: one byte per
// pixel of `box` (local coordinates), `box` covering the text's box (its width, ascent to
// descent) and every glyph, within `limit` (the port's pixels; a few pixels beyond it may be
// included). `advance` is the run's width in pixels.
struct Coverage {
  Rect box{0, 0, 0, 0};
  std::vector<UInt8> pixels;
  std::size_t rowBytes = 0;
  SInt32 advance = 0;
};
void RenderRun(const TextStyle& style, const UInt8* text, SInt32 length, SInt32 h, SInt32 v,
               const Rect& limit, Coverage* out);
// The same for a UTF-16 text (names from the file system that MacJapanese cannot hold).
void RenderUnicodeRun(const TextStyle& style, const std::u16string& text, SInt32 h, SInt32 v,
                      const Rect& limit, Coverage* out);
SInt32 UnicodeTextPixelWidth(const TextStyle& style, const std::u16string& text);

}  // namespace text_engine
}  // namespace sp_platform
