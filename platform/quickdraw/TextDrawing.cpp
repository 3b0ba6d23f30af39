// The port's text settings, measuring in the current port, and drawing text at the pen.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/Raster.h"
#include "detail/TextEngine.h"
#include "internal/TextMeasure.h"

namespace {

using sp_platform::text_engine::CharMetric;
using sp_platform::text_engine::TextStyle;

GrafPtr ValidPortOrNull(CGrafPtr port) {
  return (port != nullptr && IsValidPort(port)) ? port : nullptr;
}

TextStyle CurrentStyle() {
  return sp_platform::text_engine::StyleOfPort(*sp_platform::CurrentPort());
}

// A text setting of a valid port; zero for anything else.
template <typename T>
T PortSetting(CGrafPtr port, T GrafPort::*setting) {
  GrafPtr p = ValidPortOrNull(port);
  return p != nullptr ? p->*setting : T(0);
}

SInt16 ClampToShort(SInt32 v) {
  return SInt16(std::max<SInt32>(-32768, std::min<SInt32>(32767, v)));
}

// A character given as CharWidth and DrawChar take it: one byte, or a two-byte character
// with its first byte in the high byte.
std::vector<UInt8> CharBytes(CharParameter ch) {
  const UInt16 code = UInt16(ch);
  if (code > 0xFF) return {UInt8(code >> 8), UInt8(code & 0xFF)};
  return {UInt8(code)};
}

void DrawBytes(const UInt8* text, SInt32 length) {
  if (text == nullptr || length <= 0) return;
  GrafPtr port = sp_platform::CurrentPort();
  const TextStyle style = sp_platform::text_engine::StyleOfPort(*port);
  sp_platform::PixelAccess pixels;
  const bool hasPixels = sp_platform::GetPortPixels(port, &pixels);
  SInt32 advance = 0;
  if (hasPixels && !sp_platform::raster::PenHidden(port)) {
    sp_platform::text_engine::Coverage coverage;
    sp_platform::text_engine::RenderRun(style, text, length, port->pnLoc.h, port->pnLoc.v,
                                        pixels.bounds, &coverage);
    if (!coverage.pixels.empty()) {
      sp_platform::DrawCoverageMask(port, coverage.box, coverage.pixels.data(), coverage.rowBytes,
                                    port->txMode);
    }
    advance = coverage.advance;
  } else {
    advance = sp_platform::text_engine::TextPixelWidth(style, text, length);
  }
  port->pnLoc.h = ClampToShort(SInt32(port->pnLoc.h) + advance);
}

}  // namespace

namespace sp_platform {

void DrawUnicodeText(const std::u16string& text) {
  if (text.empty()) return;
  GrafPtr port = CurrentPort();
  const TextStyle style = text_engine::StyleOfPort(*port);
  PixelAccess pixels;
  SInt32 advance = 0;
  if (GetPortPixels(port, &pixels) && !raster::PenHidden(port)) {
    text_engine::Coverage coverage;
    text_engine::RenderUnicodeRun(style, text, port->pnLoc.h, port->pnLoc.v, pixels.bounds,
                                  &coverage);
    if (!coverage.pixels.empty()) {
      DrawCoverageMask(port, coverage.box, coverage.pixels.data(), coverage.rowBytes,
                       port->txMode);
    }
    advance = coverage.advance;
  } else {
    advance = text_engine::UnicodeTextPixelWidth(style, text);
  }
  port->pnLoc.h = ClampToShort(SInt32(port->pnLoc.h) + advance);
}

SInt32 UnicodeTextWidth(const std::u16string& text) {
  return text_engine::UnicodeTextPixelWidth(CurrentStyle(), text);
}

}  // namespace sp_platform

// ---- Settings ----

void TextFont(SInt16 font) {
  sp_platform::CurrentPort()->txFont = font;
}

void TextFace(StyleParameter face) {
  sp_platform::CurrentPort()->txFace = Style(face & 0x7F);
}

void TextMode(SInt16 mode) {
  sp_platform::CurrentPort()->txMode = mode;
}

void TextSize(SInt16 size) {
  sp_platform::CurrentPort()->txSize = size < 0 ? 0 : size;
}

void SpaceExtra(Fixed extra) {
  sp_platform::CurrentPort()->spExtra = extra;
}

void CharExtra(Fixed extra) {
  sp_platform::CurrentPort()->chExtra = extra;
}

SInt16 GetPortTextFont(CGrafPtr port) {
  return PortSetting(port, &GrafPort::txFont);
}

Style GetPortTextFace(CGrafPtr port) {
  return PortSetting(port, &GrafPort::txFace);
}

SInt16 GetPortTextMode(CGrafPtr port) {
  return PortSetting(port, &GrafPort::txMode);
}

SInt16 GetPortTextSize(CGrafPtr port) {
  return PortSetting(port, &GrafPort::txSize);
}

Fixed GetPortSpExtra(CGrafPtr port) {
  return PortSetting(port, &GrafPort::spExtra);
}

SInt16 GetPortChExtra(CGrafPtr port) {
  return ClampToShort(sp_platform::text_engine::RoundFixed(PortSetting(port, &GrafPort::chExtra)));
}

void SetPortTextFont(CGrafPtr port, SInt16 txFont) {
  if (GrafPtr p = ValidPortOrNull(port)) p->txFont = txFont;
}

void SetPortTextFace(CGrafPtr port, StyleParameter face) {
  if (GrafPtr p = ValidPortOrNull(port)) p->txFace = Style(face & 0x7F);
}

void SetPortTextMode(CGrafPtr port, SInt16 mode) {
  if (GrafPtr p = ValidPortOrNull(port)) p->txMode = mode;
}

void SetPortTextSize(CGrafPtr port, SInt16 txSize) {
  if (GrafPtr p = ValidPortOrNull(port)) p->txSize = txSize < 0 ? 0 : txSize;
}

void SetFractEnable(Boolean fractEnable) {
  sp_platform::text_engine::SetFractionalWidths(fractEnable != 0);
}

SInt16 GetSysDirection() {
  return 0;
}

// ---- Measuring ----

void GetFontInfo(FontInfo* info) {
  if (info == nullptr) return;
  *info = sp_platform::text_engine::MeasureFontInfo(CurrentStyle());
}

SInt16 CharWidth(CharParameter ch) {
  const std::vector<UInt8> bytes = CharBytes(ch);
  return ClampToShort(
      sp_platform::text_engine::TextPixelWidth(CurrentStyle(), bytes.data(), SInt32(bytes.size())));
}

SInt16 StringWidth(ConstStr255Param s) {
  if (s == nullptr) return 0;
  return ClampToShort(sp_platform::text_engine::TextPixelWidth(CurrentStyle(), s + 1, s[0]));
}

SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount) {
  if (textBuf == nullptr || byteCount <= 0 || firstByte < 0) return 0;
  const UInt8* text = static_cast<const UInt8*>(textBuf) + firstByte;
  return ClampToShort(sp_platform::text_engine::TextPixelWidth(CurrentStyle(), text, byteCount));
}

SInt32 SpTextWidthLong(const void* textBuf, SInt32 firstByte, SInt32 byteCount) {
  if (textBuf == nullptr || byteCount <= 0 || firstByte < 0) return 0;
  const UInt8* text = static_cast<const UInt8*>(textBuf) + firstByte;
  return sp_platform::text_engine::TextPixelWidth(CurrentStyle(), text, byteCount);
}

namespace sp_platform {

std::vector<MeasuredChar> MeasureInCurrentPort(const UInt8* text, SInt32 length) {
  std::vector<MeasuredChar> out;
  for (const CharMetric& c : text_engine::MeasureChars(CurrentStyle(), text, length)) {
    out.push_back({c.offset, c.length, c.advance});
  }
  return out;
}

SInt32 RoundAdvanceSum(SInt64 fixedSum) {
  return text_engine::RoundFixed(fixedSum);
}

UInt64 MeasuredTextBytes() {
  return text_engine::MeasuredByteCount();
}

void ResetMeasuredTextBytes() {
  text_engine::ResetMeasuredByteCount();
}

}  // namespace sp_platform

// ---- Drawing ----

void DrawChar(CharParameter ch) {
  const std::vector<UInt8> bytes = CharBytes(ch);
  DrawBytes(bytes.data(), SInt32(bytes.size()));
}

void DrawString(ConstStr255Param s) {
  if (s == nullptr) return;
  DrawBytes(s + 1, s[0]);
}

void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount) {
  if (textBuf == nullptr || byteCount <= 0 || firstByte < 0) return;
  DrawBytes(static_cast<const UInt8*>(textBuf) + firstByte, byteCount);
}

// ---- Positions within a run ----

namespace {

// The cumulative positions (16.16, scaled) of the character boundaries of the text in the
// current port, with the slop spread over its spaces.
struct RunPositions {
  std::vector<CharMetric> chars;
  std::vector<SInt64> edges;  // edges[i]: left edge of chars[i]; edges.back(): the end
};

RunPositions MeasureRun(const UInt8* text, SInt32 length, Fixed slop, Point numer, Point denom) {
  RunPositions run;
  TextStyle style = CurrentStyle();
  run.chars = sp_platform::text_engine::MeasureChars(style, text, length);
  SInt32 spaces = 0;
  for (const CharMetric& c : run.chars) {
    if (c.length == 1 && text[c.offset] == ' ') ++spaces;
  }
  const SInt64 num = numer.h != 0 ? numer.h : 1;
  const SInt64 den = denom.h != 0 ? denom.h : 1;
  SInt64 sum = 0;
  run.edges.push_back(0);
  for (const CharMetric& c : run.chars) {
    SInt64 advance = c.advance;
    if (spaces > 0 && c.length == 1 && text[c.offset] == ' ') advance += slop / spaces;
    sum += advance;
    run.edges.push_back(sum * num / den);
  }
  return run;
}

}  // namespace

SInt16 PixelToChar(Ptr textBuf, SInt32 textLength, Fixed slop, Fixed pixelWidth,
                   Boolean* leadingEdge, Fixed* widthRemaining, JustStyleCode /*styleRunPosition*/,
                   Point numer, Point denom) {
  Boolean leading = true;
  Fixed remaining = -0x10000;
  SInt32 offset = 0;
  if (textBuf != nullptr && textLength > 0) {
    const UInt8* text = reinterpret_cast<const UInt8*>(textBuf);
    const RunPositions run = MeasureRun(text, textLength, slop, numer, denom);
    const SInt64 end = run.edges.back();
    if (pixelWidth >= end) {
      offset = textLength;
      leading = false;
      remaining = Fixed(std::min<SInt64>(SInt64(pixelWidth) - end, 0x7FFFFFFF));
    } else if (pixelWidth > 0) {
      for (std::size_t i = 0; i < run.chars.size(); ++i) {
        if (pixelWidth >= run.edges[i + 1]) continue;
        const SInt64 middle = (run.edges[i] + run.edges[i + 1]) / 2;
        if (pixelWidth < middle) {
          offset = run.chars[i].offset;
          leading = true;
        } else {
          offset = run.chars[i].offset + run.chars[i].length;
          leading = false;
        }
        break;
      }
    }
  } else if (pixelWidth > 0) {
    leading = false;
    remaining = pixelWidth;
  }
  if (leadingEdge != nullptr) *leadingEdge = leading;
  if (widthRemaining != nullptr) *widthRemaining = remaining;
  return ClampToShort(offset);
}

SInt16 CharToPixel(Ptr textBuf, SInt32 textLength, Fixed slop, SInt32 offset, SInt16 /*direction*/,
                   JustStyleCode /*styleRunPosition*/, Point numer, Point denom) {
  if (textBuf == nullptr || textLength <= 0 || offset <= 0) return 0;
  const UInt8* text = reinterpret_cast<const UInt8*>(textBuf);
  const RunPositions run = MeasureRun(text, textLength, slop, numer, denom);
  std::size_t i = 0;
  while (i < run.chars.size() && run.chars[i].offset + run.chars[i].length <= offset) ++i;
  return ClampToShort(sp_platform::text_engine::RoundFixed(run.edges[i]));
}
