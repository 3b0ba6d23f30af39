// Measuring and rendering MacJapanese text runs with FreeType, and the fixed-metric test font.
#include "detail/TextEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "SpTextCodec.h"
#include "TextCommon.h"
#include "detail/FontFaces.h"
#include "detail/Ports.h"

namespace sp_platform {
namespace fonts {

FT_Library FreeTypeLibrary() {
  static FT_Library library = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  return library;
}

FT_Face Face::Sized(SInt16 pixelSize) {
  if (ft_ == nullptr) {
    if (failed_ || FreeTypeLibrary() == nullptr) return nullptr;
    if (FT_New_Face(FreeTypeLibrary(), file.c_str(), index, &ft_) != 0) {
      ft_ = nullptr;
      failed_ = true;
      return nullptr;
    }
  }
  if (size_ != pixelSize) {
    if (FT_Set_Pixel_Sizes(ft_, 0, FT_UInt(pixelSize)) != 0) return nullptr;
    size_ = pixelSize;
  }
  return ft_;
}

}  // namespace fonts

namespace text_engine {
namespace {

using fonts::Face;
using fonts::Family;

// Sizes beyond this draw at this size: a glyph bitmap stays a sensible size.
constexpr SInt16 kMaxPixelSize = 2048;

// The largest advance of one character, extras included: the width of the coordinate plane.
constexpr SInt64 kMaxAdvance = SInt64(0x7FFF) << 16;

// Slant of made-up italics: x moves right by 0.2 of the height above the baseline.
constexpr FT_Fixed kItalicShear = 0x3333;

// Up to this size glyphs are fitted to the pixels by the font's own instructions. The light
// auto-hinter, which keeps larger text closest to its outlines, lets small marks spread over
// the rows around them there: IPA Gothic's period, set a little below its letters, reached
// under the baseline at 9 to 11 pixels and read as a comma.
constexpr SInt16 kLargestInstructedSize = 12;

FT_Int32 GlyphLoadFlags(SInt16 size) {
  return FT_LOAD_NO_BITMAP |
         (size <= kLargestInstructedSize ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_LIGHT);
}

bool& FractionalFlag() {
  static bool on = false;
  return on;
}

// Extra pixels of synthetic bold at a size: 1 at the usual sizes, more for large text.
SInt32 BoldStrength(SInt16 size) {
  return std::max<SInt32>(1, (size + 8) / 16);
}

// The toolbox's per-character width extras of the styles that change spacing only.
SInt32 SpacingExtra(Style face) {
  SInt32 extra = 0;
  if (face & shadow) {
    extra += 2;
  } else if (face & outline) {
    extra += 1;
  }
  if (face & condense) extra -= 1;
  if (face & extend) extra += 1;
  return extra;
}

// The face a style draws with, and what has to be made up from it.
struct FaceChoice {
  Face* face = nullptr;
  bool synthBold = false;
  bool synthItalic = false;
};

FaceChoice ChooseFace(const Family* family, Style style) {
  const bool wantBold = (style & bold) != 0;
  const bool wantItalic = (style & italic) != 0;
  FaceChoice c;
  if (wantBold && wantItalic && family->boldItalic != nullptr) {
    c.face = family->boldItalic;
  } else if (wantBold && family->bold != nullptr) {
    c.face = family->bold;
    c.synthItalic = wantItalic;
  } else if (wantItalic && family->italic != nullptr) {
    c.face = family->italic;
    c.synthBold = wantBold;
  } else {
    c.face = family->regular;
    c.synthBold = wantBold;
    c.synthItalic = wantItalic;
  }
  return c;
}

bool IsControl(UInt8 b) {
  return b < 0x20 || b == 0x7F;
}

// A character of the text as the renderer sees it.
struct Glyphs {
  std::u16string chars;  // UTF-16 of the character; empty for a blank (control) character
  bool blank = false;    // nothing drawn
};

Glyphs DecodeChar(const UInt8* bytes, SInt32 length) {
  // A control character is as wide as a space, and drawn as one.
  if (length == 1 && IsControl(bytes[0])) return Glyphs{std::u16string(1, u' '), true};
  Glyphs g;
  const int used =
      sp::text::DecodeStep(kTextEncodingMacJapanese, bytes, std::size_t(length), g.chars);
  if (used != length || g.chars.empty()) g.chars.assign(1, u'\xFFFD');
  return g;
}

std::vector<char32_t> CodePoints(const std::u16string& s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    out.push_back(c);
  }
  return out;
}

// Where one code point's glyph comes from.
struct GlyphRef {
  Face* face = nullptr;
  FT_UInt index = 0;
  FaceChoice choice;
};

// The glyph in the style's face, else in the system font's regular face (the Japanese
// family covers what a Western family lacks; bold and italic are then made up), else the
// style face's missing-glyph box.
GlyphRef FindGlyph(const Family* family, const FaceChoice& choice, Style style, SInt16 size,
                   char32_t c) {
  GlyphRef ref;
  ref.choice = choice;
  ref.face = choice.face;
  if (choice.face != nullptr) {
    FT_Face ft = choice.face->Sized(size);
    if (ft != nullptr) {
      ref.index = FT_Get_Char_Index(ft, FT_ULong(c));
      if (ref.index != 0) return ref;
    }
  }
  const Family* fallback = fonts::FindFamily(16384);
  if (fallback == nullptr) fallback = fonts::SystemFamily();
  if (fallback != family && !fallback->fixedMetric && fallback->regular != nullptr) {
    FT_Face ft = fallback->regular->Sized(size);
    const FT_UInt index = ft != nullptr ? FT_Get_Char_Index(ft, FT_ULong(c)) : 0;
    if (index != 0) {
      ref.face = fallback->regular;
      ref.index = index;
      ref.choice.face = fallback->regular;
      ref.choice.synthBold = (style & bold) != 0;
      ref.choice.synthItalic = (style & italic) != 0;
      return ref;
    }
  }
  ref.index = 0;
  return ref;
}

// The unhinted advance of a glyph in 16.16 pixels, synthetic bold included.
Fixed GlyphAdvance(const GlyphRef& g, SInt16 size) {
  if (g.face == nullptr) return Fixed(size) << 15;
  FT_Face ft = g.face->Sized(size);
  FT_Fixed advance = 0;
  if (ft == nullptr ||
      FT_Get_Advance(ft, g.index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP, &advance) != 0) {
    return Fixed(size) << 15;
  }
  Fixed result = Fixed(advance);
  if (g.choice.synthBold) result += BoldStrength(size) << 16;
  return result;
}

// The fixed-metric font's advance of a character before any extra.
SInt32 FixedMetricAdvance(SInt16 size, SInt32 length) {
  return length == 2 ? size : std::max<SInt32>(1, size / 2);
}

Fixed RoundToPixel(Fixed f) {
  return Fixed((SInt64(f) + 0x8000) & ~SInt64(0xFFFF));
}

// Everything measuring and drawing need about one character.
struct CharInfo {
  CharMetric metric;
  Glyphs glyphs;
  std::vector<GlyphRef> refs;  // one per code point (empty for the fixed-metric font)
  bool space = false;          // an ideographic or plain space (the fixed-metric font leaves it)
};

std::vector<CharInfo> AnalyseChars(const TextStyle& style, const UInt8* text, SInt32 length) {
  std::vector<CharInfo> out;
  if (text == nullptr || length <= 0) return out;
  const Family* family = fonts::ResolveFamily(style.font);
  const FaceChoice choice = ChooseFace(family, style.face);
  const SInt32 spacing = SpacingExtra(style.face);
  for (SInt32 pos = 0; pos < length;) {
    CharInfo info;
    const SInt32 len = CharLength(text + pos, length - pos);
    info.metric.offset = pos;
    info.metric.length = len;
    SInt64 advance = 0;
    info.space = (len == 1 && text[pos] == ' ') ||
                 (len == 2 && text[pos] == 0x81 && text[pos + 1] == 0x40);
    if (family->fixedMetric) {
      advance = SInt64(FixedMetricAdvance(style.size, len)) << 16;
      if (style.face & bold) advance += SInt64(BoldStrength(style.size)) << 16;
      if (len == 1 && IsControl(text[pos])) info.glyphs.blank = true;
    } else {
      info.glyphs = DecodeChar(text + pos, len);
      for (char32_t c : CodePoints(info.glyphs.chars)) {
        info.refs.push_back(FindGlyph(family, choice, style.face, style.size, c));
        Fixed a = GlyphAdvance(info.refs.back(), style.size);
        advance += style.fractional ? a : RoundToPixel(a);
      }
    }
    advance += SInt64(spacing) * 0x10000;
    advance += style.chExtra;
    if (len == 1 && text[pos] == ' ') advance += style.spExtra;
    // Extras of any size: a character never moves the pen beyond the coordinate plane.
    info.metric.advance = Fixed(std::clamp<SInt64>(advance, -kMaxAdvance, kMaxAdvance));
    out.push_back(std::move(info));
    pos += len;
  }
  return out;
}

// The characters of a UTF-16 text, one per code point, measured as AnalyseChars measures
// MacJapanese: the fixed-metric font counts a code point below U+0080 as a one-byte character
// and any other as a two-byte one.
std::vector<CharInfo> AnalyseUnicode(const TextStyle& style, const std::u16string& text) {
  std::vector<CharInfo> out;
  const Family* family = fonts::ResolveFamily(style.font);
  const FaceChoice choice = ChooseFace(family, style.face);
  const SInt32 spacing = SpacingExtra(style.face);
  const std::vector<char32_t> points = CodePoints(text);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const char32_t c = points[i];
    CharInfo info;
    info.metric.offset = SInt32(i);
    info.metric.length = c < 0x80 ? 1 : 2;
    info.space = c == U' ' || c == U'\x3000';
    const bool control = c < 0x20 || c == 0x7F;
    SInt64 advance = 0;
    if (family->fixedMetric) {
      advance = SInt64(FixedMetricAdvance(style.size, info.metric.length)) << 16;
      if (style.face & bold) advance += SInt64(BoldStrength(style.size)) << 16;
      info.glyphs.blank = control;
    } else {
      info.glyphs.blank = control;
      const char32_t shown = control ? U' ' : c;
      info.refs.push_back(FindGlyph(family, choice, style.face, style.size, shown));
      const Fixed a = GlyphAdvance(info.refs.back(), style.size);
      advance += style.fractional ? a : RoundToPixel(a);
    }
    advance += SInt64(spacing) * 0x10000 + style.chExtra;
    if (c == U' ') advance += style.spExtra;
    info.metric.advance = Fixed(std::clamp<SInt64>(advance, -kMaxAdvance, kMaxAdvance));
    out.push_back(std::move(info));
  }
  return out;
}

// ---- Advances for measuring ----

UInt64& MeasuredBytes() {
  static UInt64 count = 0;
  return count;
}

// The advance of one character before the port's extras and the styles' spacing, as
// AnalyseChars finds it through the glyphs. Decoding the character and asking FreeType costs
// far more than adding, so measuring keeps every advance it found, per family, size, face and
// width mode, in pages of 256 characters made on first use (a one-byte character is page 0,
// a two-byte character the page of its first byte).
class AdvanceCache {
 public:
  struct Key {
    const Family* family;
    SInt16 size;
    Style face;
    bool fractional;
    bool operator<(const Key& o) const {
      if (family != o.family) return family < o.family;
      if (size != o.size) return size < o.size;
      if (face != o.face) return face < o.face;
      return fractional < o.fractional;
    }
  };

  // The table of a style; the cache is emptied when it holds many styles, so it stays small.
  std::vector<std::vector<Fixed>>& TableFor(const Key& key) {
    if (key.family == lastKey_.family && key.size == lastKey_.size &&
        key.face == lastKey_.face && key.fractional == lastKey_.fractional && last_ != nullptr) {
      return *last_;
    }
    if (tables_.size() >= kMaxStyles && tables_.find(key) == tables_.end()) tables_.clear();
    last_ = &tables_[key];
    if (last_->empty()) last_->resize(256);
    lastKey_ = key;
    return *last_;
  }

  static constexpr Fixed kUnknown = Fixed(0x80000000u);

 private:
  static constexpr std::size_t kMaxStyles = 64;
  std::map<Key, std::vector<std::vector<Fixed>>> tables_;
  Key lastKey_{nullptr, 0, 0, false};
  std::vector<std::vector<Fixed>>* last_ = nullptr;
};

AdvanceCache& Advances() {
  static AdvanceCache cache;
  return cache;
}

Fixed GlyphsAdvance(const Family* family, const FaceChoice& choice, const TextStyle& style,
                    const UInt8* bytes, SInt32 len) {
  const Glyphs glyphs = DecodeChar(bytes, len);
  SInt64 advance = 0;
  for (char32_t c : CodePoints(glyphs.chars)) {
    const Fixed a = GlyphAdvance(FindGlyph(family, choice, style.face, style.size, c), style.size);
    advance += style.fractional ? a : RoundToPixel(a);
  }
  return Fixed(std::clamp<SInt64>(advance, -kMaxAdvance, kMaxAdvance));
}

// Calls each(CharMetric) for every character of the text with its advance, extras included,
// exactly as AnalyseChars measures it; counts the bytes measured.
template <class Each>
void ForEachCharAdvance(const TextStyle& style, const UInt8* text, SInt32 length, Each each) {
  if (text == nullptr || length <= 0) return;
  MeasuredBytes() += UInt64(length);
  const Family* family = fonts::ResolveFamily(style.font);
  const FaceChoice choice = ChooseFace(family, style.face);
  const SInt32 spacing = SpacingExtra(style.face);
  std::vector<std::vector<Fixed>>* pages = nullptr;
  if (!family->fixedMetric) {
    pages = &Advances().TableFor({family, style.size, style.face, style.fractional});
  }
  for (SInt32 pos = 0; pos < length;) {
    const SInt32 len = CharLength(text + pos, length - pos);
    SInt64 advance = 0;
    if (family->fixedMetric) {
      advance = SInt64(FixedMetricAdvance(style.size, len)) << 16;
      if (style.face & bold) advance += SInt64(BoldStrength(style.size)) << 16;
    } else {
      const std::size_t page = len == 2 ? text[pos] : 0;
      const std::size_t slot = len == 2 ? text[pos + 1] : text[pos];
      std::vector<Fixed>& table = (*pages)[page];
      if (table.empty()) table.assign(256, AdvanceCache::kUnknown);
      if (table[slot] == AdvanceCache::kUnknown) {
        table[slot] = GlyphsAdvance(family, choice, style, text + pos, len);
      }
      advance = table[slot];
    }
    advance += SInt64(spacing) * 0x10000;
    advance += style.chExtra;
    if (len == 1 && text[pos] == ' ') advance += style.spExtra;
    each(CharMetric{pos, len, Fixed(std::clamp<SInt64>(advance, -kMaxAdvance, kMaxAdvance))});
    pos += len;
  }
}

// ---- Coverage canvas ----

struct Canvas {
  SInt32 left = 0, top = 0, width = 0, height = 0;
  std::vector<UInt8> pixels;

  void Init(SInt32 l, SInt32 t, SInt32 r, SInt32 b) {
    left = l;
    top = t;
    width = std::max<SInt32>(0, r - l);
    height = std::max<SInt32>(0, b - t);
    pixels.assign(std::size_t(width) * std::size_t(height), 0);
  }
  UInt8* At(SInt32 x, SInt32 y) {
    if (x < left || y < top || x >= left + width || y >= top + height) return nullptr;
    return &pixels[std::size_t(y - top) * std::size_t(width) + std::size_t(x - left)];
  }
  void Max(SInt32 x, SInt32 y, UInt8 value) {
    UInt8* p = At(x, y);
    if (p != nullptr && *p < value) *p = value;
  }
};

// A glyph image placed in local coordinates: its coverage (a cached glyph image's), or solid.
struct Placed {
  SInt32 left, top, width, height;
  const UInt8* gray;  // null: every pixel covered
};

// A rendered glyph with its place relative to the pen on the baseline. Pens stand on whole
// pixels, so one image serves every pen position.
struct GlyphImage {
  bool drawn = false;  // false: nothing to draw (an empty glyph, or FreeType failed)
  SInt32 left = 0, top = 0, width = 0, height = 0;
  std::vector<UInt8> gray;
};

// Rendering a glyph costs far more than placing it: the images are kept per face, glyph,
// size and made-up style. The cache is emptied when it has grown large before a run is drawn
// (never while one is: its images are in use), so it stays bounded.
class GlyphCache {
 public:
  void Trim() {
    if (images_.size() >= kMaxImages) images_.clear();
  }

  const GlyphImage& Get(const GlyphRef& g, SInt16 size) {
    const Key key{g.face, g.index, size, g.choice.synthBold, g.choice.synthItalic};
    auto it = images_.find(key);
    if (it != images_.end()) return it->second;
    GlyphImage& image = images_[key];
    Render(g, size, &image);
    return image;
  }

 private:
  struct Key {
    Face* face;
    FT_UInt index;
    SInt16 size;
    bool bold;
    bool italic;
    bool operator<(const Key& o) const {
      if (face != o.face) return face < o.face;
      if (index != o.index) return index < o.index;
      if (size != o.size) return size < o.size;
      if (bold != o.bold) return bold < o.bold;
      return italic < o.italic;
    }
  };
  static constexpr std::size_t kMaxImages = 4096;

  static void Render(const GlyphRef& g, SInt16 size, GlyphImage* out) {
    if (g.face == nullptr) return;
    FT_Face ft = g.face->Sized(size);
    if (ft == nullptr || !Rasterize(ft, g.index, size, g.choice, out)) return;
    out->top -= PeriodLift(ft, g.index, size, g.choice, *out);
  }

  // The glyph's image at the size, with the made-up styles; false when it draws nothing. A
  // font's instructions can fit a thin stroke to no row at all (IPA Gothic's underscore
  // vanishes at 9 to 12 pixels): a glyph whose fitted image is empty is drawn as the light
  // auto-hinter fits it (a space stays empty either way).
  static bool Rasterize(FT_Face ft, FT_UInt index, SInt16 size, const FaceChoice& choice,
                        GlyphImage* out) {
    if (RasterizeWith(ft, index, size, choice, GlyphLoadFlags(size), out)) return true;
    return size <= kLargestInstructedSize &&
           RasterizeWith(ft, index, size, choice, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT, out);
  }

  static bool RasterizeWith(FT_Face ft, FT_UInt index, SInt16 size, const FaceChoice& choice,
                            FT_Int32 loadFlags, GlyphImage* out) {
    if (FT_Load_Glyph(ft, index, loadFlags) != 0) return false;
    FT_GlyphSlot slot = ft->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (choice.synthBold) FT_Outline_EmboldenXY(&slot->outline, BoldStrength(size) * 64, 0);
      if (choice.synthItalic) {
        FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
      }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.width == 0 || bm.rows == 0) return false;
    out->drawn = true;
    out->left = slot->bitmap_left;
    out->top = -slot->bitmap_top;
    out->width = SInt32(bm.width);
    out->height = SInt32(bm.rows);
    out->gray.resize(std::size_t(out->width) * std::size_t(out->height));
    for (SInt32 y = 0; y < out->height; ++y) {
      const UInt8* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
      std::memcpy(&out->gray[std::size_t(y) * std::size_t(out->width)], row,
                  std::size_t(out->width));
    }
    return true;
  }

  // The image's lowest row holding at least half a pixel of ink, downwards from the baseline
  // (local y); the image's bottom row when none does.
  static SInt32 FootRow(const GlyphImage& image) {
    for (SInt32 y = image.height - 1; y >= 0; --y) {
      UInt32 ink = 0;
      for (SInt32 x = 0; x < image.width; ++x) {
        ink += image.gray[std::size_t(y) * std::size_t(image.width) + std::size_t(x)];
      }
      if (ink >= 0x80) return image.top + y;
    }
    return image.top + image.height - 1;
  }

  // IPA Gothic and IPA Mincho set their period about a twentieth of an em below the foot of
  // their letters; fitted to the pixels of small text it lands a row under them, where it reads
  // as a comma. Landed there, the period is lifted that row to stand on theirs (the comma keeps
  // its place: it is meant to reach lower).
  static SInt32 PeriodLift(FT_Face ft, FT_UInt index, SInt16 size, const FaceChoice& choice,
                           const GlyphImage& image) {
    if (size > kLargestInstructedSize || index != FT_Get_Char_Index(ft, '.')) return 0;
    const FT_UInt letter = FT_Get_Char_Index(ft, 'x');
    GlyphImage letterImage;
    if (letter == 0 || !Rasterize(ft, letter, size, choice, &letterImage)) return 0;
    return FootRow(image) == FootRow(letterImage) + 1 ? 1 : 0;
  }

  std::map<Key, GlyphImage> images_;
};

GlyphCache& GlyphImages() {
  static GlyphCache cache;
  return cache;
}

// The glyph's image placed for the pen at (penX, baseline); false when it draws nothing.
bool PlaceGlyph(const GlyphRef& g, SInt16 size, SInt32 penX, SInt32 baseline,
                const GlyphImage** image, SInt32* left, SInt32* top) {
  const GlyphImage& cached = GlyphImages().Get(g, size);
  if (!cached.drawn) return false;
  *image = &cached;
  *left = penX + cached.left;
  *top = baseline + cached.top;
  return true;
}

// Grows the coverage by one pixel in every direction.
std::vector<UInt8> Dilate(const Canvas& c) {
  std::vector<UInt8> out(c.pixels.size(), 0);
  for (SInt32 y = 0; y < c.height; ++y) {
    for (SInt32 x = 0; x < c.width; ++x) {
      UInt8 m = 0;
      for (SInt32 dy = -1; dy <= 1; ++dy) {
        for (SInt32 dx = -1; dx <= 1; ++dx) {
          const SInt32 xx = x + dx, yy = y + dy;
          if (xx < 0 || yy < 0 || xx >= c.width || yy >= c.height) continue;
          m = std::max(m, c.pixels[std::size_t(yy) * std::size_t(c.width) + std::size_t(xx)]);
        }
      }
      out[std::size_t(y) * std::size_t(c.width) + std::size_t(x)] = m;
    }
  }
  return out;
}

// Outlined text: the ring around the glyphs; shadowed text: that ring and the ring moved one
// pixel right and down. The glyphs themselves are left undrawn.
void MakeHollow(Canvas* c, bool withShadow) {
  const std::vector<UInt8> ring = Dilate(*c);
  std::vector<UInt8> out(c->pixels.size(), 0);
  for (SInt32 y = 0; y < c->height; ++y) {
    for (SInt32 x = 0; x < c->width; ++x) {
      const std::size_t i = std::size_t(y) * std::size_t(c->width) + std::size_t(x);
      UInt32 v = ring[i];
      if (withShadow && x > 0 && y > 0) {
        v = std::max<UInt32>(v, ring[i - std::size_t(c->width) - 1]);
      }
      out[i] = UInt8(v * (255u - c->pixels[i]) / 255u);
    }
  }
  c->pixels.swap(out);
}

}  // namespace

bool FractionalWidths() {
  return FractionalFlag();
}

void SetFractionalWidths(bool on) {
  FractionalFlag() = on;
}

TextStyle StyleOfPort(const GrafPort& port) {
  TextStyle s;
  s.font = port.txFont;
  s.size = port.txSize > 0 ? port.txSize : GetDefFontSize();
  if (s.size > kMaxPixelSize) s.size = kMaxPixelSize;
  s.face = Style(port.txFace & 0x7F);
  s.spExtra = port.spExtra;
  s.chExtra = port.chExtra;
  s.fractional = FractionalWidths();
  return s;
}

SInt32 RoundFixed(SInt64 fixedSum) {
  // Rounds half up, for negative sums too (floor of sum + 1/2).
  const SInt64 v = fixedSum + 0x8000;
  return SInt32(v >= 0 ? v >> 16 : -((-v + 0xFFFF) >> 16));
}

std::vector<CharMetric> MeasureChars(const TextStyle& style, const UInt8* text, SInt32 length) {
  std::vector<CharMetric> out;
  ForEachCharAdvance(style, text, length, [&out](const CharMetric& c) { out.push_back(c); });
  return out;
}

SInt32 TextPixelWidth(const TextStyle& style, const UInt8* text, SInt32 length) {
  SInt64 sum = 0;
  ForEachCharAdvance(style, text, length, [&sum](const CharMetric& c) { sum += c.advance; });
  return RoundFixed(sum);
}

UInt64 MeasuredByteCount() {
  return MeasuredBytes();
}

void ResetMeasuredByteCount() {
  MeasuredBytes() = 0;
}

FontInfo MeasureFontInfo(const TextStyle& style) {
  FontInfo info{0, 0, 0, 0};
  const Family* family = fonts::ResolveFamily(style.font);
  const SInt32 spacing = SpacingExtra(style.face);
  SInt32 boldExtra = 0;
  if (family->fixedMetric) {
    info.ascent = SInt16(style.size - style.size / 4);
    info.descent = SInt16(style.size / 4);
    info.widMax = style.size;
    if (style.face & bold) boldExtra = BoldStrength(style.size);
  } else {
    const FaceChoice choice = ChooseFace(family, style.face);
    FT_Face ft = choice.face != nullptr ? choice.face->Sized(style.size) : nullptr;
    if (ft != nullptr) {
      const FT_Size_Metrics& m = ft->size->metrics;
      info.ascent = SInt16((m.ascender + 63) / 64);
      info.descent = SInt16((-m.descender + 63) / 64);
      const SInt32 height = SInt32((m.height + 32) / 64);
      info.leading = SInt16(std::max<SInt32>(0, height - info.ascent - info.descent));
      info.widMax = SInt16((m.max_advance + 32) / 64);
    } else {
      info.ascent = SInt16(style.size - style.size / 4);
      info.descent = SInt16(style.size / 4);
      info.widMax = style.size;
    }
    if (choice.synthBold) boldExtra = BoldStrength(style.size);
  }
  info.widMax = SInt16(std::max<SInt32>(0, info.widMax + boldExtra + spacing));
  // Outlined and shadowed glyphs reach a pixel (the shadow two) beyond the plain ones.
  if (style.face & (outline | shadow)) {
    info.ascent = SInt16(info.ascent + 1);
    info.descent = SInt16(info.descent + ((style.face & shadow) ? 2 : 1));
  }
  return info;
}

namespace {

void RenderChars(const TextStyle& style, const std::vector<CharInfo>& chars, SInt32 h, SInt32 v,
                 const Rect& limit, Coverage* out) {
  GlyphImages().Trim();
  const FontInfo info = MeasureFontInfo(style);
  const Family* family = fonts::ResolveFamily(style.font);

  // Glyph images, each at its pen position (the run's pen plus the rounded sum before it).
  // Only glyphs near the limit are rendered: a glyph reaches at most a few sizes beyond its
  // advance (the slant of italics, the rings of outlines).
  const SInt32 reach = 2 * SInt32(style.size) + 4;
  std::vector<Placed> placed;
  SInt64 sum = 0;
  for (const CharInfo& c : chars) {
    const SInt32 penX = h + RoundFixed(sum);
    sum += c.metric.advance;
    if (c.glyphs.blank) continue;
    if (penX > limit.right + reach || penX + RoundFixed(c.metric.advance) < limit.left - reach) {
      continue;
    }
    if (family->fixedMetric) {
      if (c.space) continue;
      SInt32 w = std::max<SInt32>(1, FixedMetricAdvance(style.size, c.metric.length) - 1);
      if (style.face & bold) w += BoldStrength(style.size);
      const SInt32 ascent = style.size - style.size / 4;
      placed.push_back(Placed{penX, v - ascent, w, ascent, nullptr});
      continue;
    }
    SInt64 glyphPen = 0;  // the code points of one character follow each other
    for (const GlyphRef& g : c.refs) {
      const GlyphImage* image = nullptr;
      SInt32 left = 0, top = 0;
      if (PlaceGlyph(g, style.size, penX + RoundFixed(glyphPen), v, &image, &left, &top)) {
        placed.push_back(Placed{left, top, image->width, image->height, image->gray.data()});
      }
      const Fixed a = GlyphAdvance(g, style.size);
      glyphPen += style.fractional ? a : RoundToPixel(a);
    }
  }
  out->advance = RoundFixed(sum);

  // The canvas: the text's box, grown to hold every glyph and the styles' extra pixels.
  SInt32 left = std::min(h, h + out->advance), right = std::max(h, h + out->advance);
  SInt32 top = v - info.ascent, bottom = v + info.descent;
  for (const Placed& p : placed) {
    left = std::min(left, p.left);
    top = std::min(top, p.top);
    right = std::max(right, p.left + p.width);
    bottom = std::max(bottom, p.top + p.height);
  }
  const SInt32 margin = (style.face & shadow) ? 2 : ((style.face & outline) ? 1 : 0);
  left -= margin;
  top -= margin;
  right += margin;
  bottom += margin;
  if (style.face & underline) bottom = std::max(bottom, v + 2);
  // Nothing beyond the limit can be drawn; a little is kept around it so that the rings of
  // outlined glyphs just outside still reach in.
  left = std::max<SInt32>(left, limit.left - 3);
  top = std::max<SInt32>(top, limit.top - 3);
  right = std::min<SInt32>(right, limit.right + 3);
  bottom = std::min<SInt32>(bottom, limit.bottom + 3);
  left = std::max<SInt32>(left, -32768);
  top = std::max<SInt32>(top, -32768);
  right = std::min<SInt32>(std::max(right, left), 32767);
  bottom = std::min<SInt32>(std::max(bottom, top), 32767);

  Canvas canvas;
  canvas.Init(left, top, right, bottom);
  for (const Placed& p : placed) {
    for (SInt32 y = 0; y < p.height; ++y) {
      const UInt8* row = p.gray != nullptr ? p.gray + std::size_t(y) * std::size_t(p.width) : nullptr;
      for (SInt32 x = 0; x < p.width; ++x) {
        canvas.Max(p.left + x, p.top + y, row != nullptr ? row[x] : UInt8(255));
      }
    }
  }
  if (style.face & (outline | shadow)) MakeHollow(&canvas, (style.face & shadow) != 0);
  if (style.face & underline) {
    for (SInt32 x = h; x < h + out->advance; ++x) canvas.Max(x, v + 1, 255);
  }

  out->box = Rect{SInt16(canvas.top), SInt16(canvas.left), SInt16(canvas.top + canvas.height),
                  SInt16(canvas.left + canvas.width)};
  out->rowBytes = std::size_t(canvas.width);
  out->pixels.swap(canvas.pixels);
}

}  // namespace

void RenderRun(const TextStyle& style, const UInt8* text, SInt32 length, SInt32 h, SInt32 v,
               const Rect& limit, Coverage* out) {
  RenderChars(style, AnalyseChars(style, text, length), h, v, limit, out);
}

void RenderUnicodeRun(const TextStyle& style, const std::u16string& text, SInt32 h, SInt32 v,
                      const Rect& limit, Coverage* out) {
  RenderChars(style, AnalyseUnicode(style, text), h, v, limit, out);
}

SInt32 UnicodeTextPixelWidth(const TextStyle& style, const std::u16string& text) {
  SInt64 sum = 0;
  for (const CharInfo& c : AnalyseUnicode(style, text)) sum += c.metric.advance;
  return RoundFixed(sum);
}

}  // namespace text_engine
}  // namespace sp_platform
