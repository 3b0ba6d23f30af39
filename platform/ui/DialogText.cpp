// Lines of dialog texts: static text and edit-text fields wrap their text to the item's
// width, as the toolbox's text boxes did, measured in the current port's font.
#include "QDText.h"
#include "ui/detail/DialogRecord.h"

namespace sp_platform {
namespace dialogs {
namespace {

constexpr UInt8 kReturn = 0x0D;
constexpr UInt8 kSpace = 0x20;

SInt16 CharWidthAt(const std::string& bytes, std::size_t offset, std::size_t length) {
  return TextWidth(bytes.data(), SInt16(offset), SInt16(length));
}

}  // namespace

Layout LayOut(const std::string& bytes, SInt16 width) {
  Layout layout;
  FontInfo info = {0, 0, 0, 0};
  GetFontInfo(&info);
  layout.ascent = info.ascent;
  layout.lineHeight = SInt16(info.ascent + info.descent + info.leading);
  if (layout.lineHeight < 1) layout.lineHeight = 1;
  // Texts longer than TextWidth can address are laid out by their first 32767 bytes.
  const std::size_t n = bytes.size() > 0x7FFF ? 0x7FFF : bytes.size();
  std::size_t start = 0;
  for (;;) {
    std::size_t pos = start;
    SInt32 x = 0;
    std::size_t afterSpace = 0;  // where the line may break after its last space; 0: none
    bool ended = false;
    while (pos < n) {
      UInt8 b = UInt8(bytes[pos]);
      if (b == kReturn) {
        layout.lines.push_back({start, pos, pos + 1});
        start = pos + 1;
        ended = true;
        break;
      }
      std::size_t length = CharLength(bytes, pos);
      SInt16 w = CharWidthAt(bytes, pos, length);
      // Spaces may run past the edge: they never start a line.
      if (b != kSpace && pos > start && x + w > width) {
        std::size_t cut = afterSpace > start ? afterSpace : pos;
        layout.lines.push_back({start, cut, cut});
        start = cut;
        ended = true;
        break;
      }
      x += w;
      pos += length;
      if (b == kSpace) afterSpace = pos;
    }
    if (!ended) {
      layout.lines.push_back({start, n, n});
      break;
    }
  }
  return layout;
}

std::size_t LineOf(const Layout& layout, std::size_t offset) {
  std::size_t found = 0;
  for (std::size_t i = 0; i < layout.lines.size(); ++i) {
    if (layout.lines[i].start <= offset) found = i;
  }
  return found;
}

SInt16 OffsetToX(const std::string& bytes, const Line& line, std::size_t offset) {
  std::size_t end = offset < line.end ? offset : line.end;
  if (end <= line.start) return 0;
  return TextWidth(bytes.data(), SInt16(line.start), SInt16(end - line.start));
}

std::size_t XToOffset(const std::string& bytes, const Line& line, SInt16 x) {
  SInt32 left = 0;
  std::size_t pos = line.start;
  while (pos < line.end) {
    std::size_t length = CharLength(bytes, pos);
    SInt16 w = CharWidthAt(bytes, pos, length);
    if (x < left + w / 2 + (w % 2)) return pos;
    left += w;
    pos += length;
  }
  return line.end;
}

}  // namespace dialogs
}  // namespace sp_platform
