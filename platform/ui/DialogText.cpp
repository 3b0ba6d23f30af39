// Lines of dialog texts: static text and edit-text fields wrap their text to the item's
// width, as the toolbox's text boxes did, measured in the current port's font.
#include <algorithm>

#include "QDText.h"
#include "Script.h"
#include "ui/detail/DialogRecord.h"

namespace sp_platform {
namespace dialogs {
namespace {

constexpr UInt8 kReturn = 0x0D;

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
  const Fixed room = Fixed(SInt32(width > 0 ? width : 0) << 16);
  const std::size_t mostLineBytes = std::size_t(width > 0 ? width : 0) * 2 + 256;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = start;
    while (end < n && UInt8(bytes[end]) != kReturn) ++end;
    // The paragraph's lines end where the script's line breaking puts them: after spaces
    // (which may run past the edge), between Japanese characters but never before closing
    // punctuation such as 。 or 」, and within a word only when no break comes before it.
    while (start < end) {
      Fixed left = room;
      SInt32 offset = 1;  // the line's first run
      // A line of characters a pixel wide or more holds no more bytes than twice its width: the
      // rules see that much of the paragraph and a little after it, so that a long paragraph is
      // laid out in linear time (characters of no width are cut there).
      const SInt32 length = SInt32(std::min<std::size_t>(end - start, mostLineBytes));
      Ptr text = const_cast<char*>(bytes.data() + start);
      const bool fits =
          StyledLineBreak(text, length, 0, length, 0, &left, &offset) == smBreakOverflow;
      if (fits && start + std::size_t(length) == end) break;
      const std::size_t cut =
          start + std::size_t(fits ? length : std::clamp<SInt32>(offset, 1, length));
      if (cut >= end) break;
      layout.lines.push_back({start, cut, cut});
      start = cut;
    }
    if (end == n) {
      layout.lines.push_back({start, n, n});
      break;
    }
    layout.lines.push_back({start, end, end + 1});
    start = end + 1;
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
