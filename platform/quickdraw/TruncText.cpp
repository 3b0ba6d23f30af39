// Shortening text to a pixel width with the script's ellipsis.
#include <algorithm>
#include <cstring>
#include <vector>

#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/TextEngine.h"

namespace {

using sp_platform::text_engine::CharMetric;
using sp_platform::text_engine::RoundFixed;

}  // namespace

SInt16 TruncText(SInt16 width, Ptr textPtr, SInt16* length, TruncCode truncWhere) {
  if (textPtr == nullptr || length == nullptr || *length < 0) return truncErr;
  UInt8* text = reinterpret_cast<UInt8*>(textPtr);
  const SInt32 len = *length;
  if (len == 0) return notTruncated;

  const sp_platform::text_engine::TextStyle style =
      sp_platform::text_engine::StyleOfPort(*sp_platform::CurrentPort());
  const std::vector<CharMetric> chars = sp_platform::text_engine::MeasureChars(style, text, len);
  SInt64 total = 0;
  for (const CharMetric& c : chars) total += c.advance;
  if (RoundFixed(total) <= width) return notTruncated;

  const UInt8 ellipsis = kSpTruncationEllipsis;
  const std::vector<CharMetric> mark = sp_platform::text_engine::MeasureChars(style, &ellipsis, 1);
  const SInt64 markAdvance = mark.front().advance;
  if (RoundFixed(markAdvance) > width) {
    *length = 0;
    return truncErr;
  }

  // Characters kept: `head` from the start and `tail` from the end, taken while the kept
  // text and the ellipsis still fit. In the middle they are taken in turn from either side,
  // starting at the front, until the next one would not fit, so both halves stay about
  // equally long.
  std::size_t head = 0, tail = 0;
  SInt64 used = markAdvance;
  const bool middle = truncWhere == truncMiddle;
  bool front = true;
  while (head + tail < chars.size()) {
    const CharMetric& next = front ? chars[head] : chars[chars.size() - 1 - tail];
    if (RoundFixed(used + next.advance) > width) break;
    used += next.advance;
    if (front) {
      ++head;
    } else {
      ++tail;
    }
    if (middle) front = !front;
  }

  // The result is never longer than the text: at least one character gave way, and the
  // ellipsis takes one byte.
  const SInt32 headBytes = head > 0 ? chars[head - 1].offset + chars[head - 1].length : 0;
  const SInt32 tailStart = tail > 0 ? chars[chars.size() - tail].offset : len;
  const SInt32 tailBytes = len - tailStart;
  text[headBytes] = ellipsis;
  std::memmove(text + headBytes + 1, text + tailStart, std::size_t(tailBytes));
  *length = SInt16(headBytes + 1 + tailBytes);
  return truncated;
}

SInt16 TruncString(SInt16 width, Str255 theString, TruncCode truncWhere) {
  if (theString == nullptr) return truncErr;
  SInt16 length = theString[0];
  const SInt16 result = TruncText(width, reinterpret_cast<Ptr>(theString + 1), &length, truncWhere);
  theString[0] = UInt8(length);
  return result;
}
