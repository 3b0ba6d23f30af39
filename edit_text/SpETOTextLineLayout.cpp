// Text lines: where the text starts for each alignment, tab widths, and the mapping between
// pixel positions and byte offsets.
#include <algorithm>
#include <vector>

#include "FixMath.h"
#include "SpETOTextInternal.h"
#include "SpETOTextLineObject.h"

namespace {

const char kSource[] = "SpETOTextLineObject";

// A run with its place on the line.
struct PlacedRun {
  cTextStyleRunObject* run;
  SInt32 left;
  SInt32 start;  // byte offset
};

}  // namespace

SInt16 cTextLineObject::GetNextTabPosition(SInt16 x, SInt16& next) const {
  const SInt32 width = TabWidthAt(x);
  next = SInt16(std::clamp<SInt32>(x + width, -32768, 32767));
  return SInt16(width);
}

SInt32 cTextLineObject::TabWidthAt(SInt32 x) const {
  if (tabWidth_ <= 0) return 0;
  if (tabMode_ == 0) return tabWidth_;
  // A position already on a stop moves to the next stop.
  const SInt32 next = x <= 0 ? tabWidth_ : (x / tabWidth_ + 1) * tabWidth_;
  return next - x;
}

std::vector<cTextLineObject::Segment> cTextLineObject::Segments() const {
  SInt32 total = 0;
  SInt32 afterTab = 0;
  cTextStyleRunObject* lastTab = nullptr;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (run->GetStyleRunDataType() == kETO_LineBreakRun) break;
    if (run->GetStyleRunDataType() == kETO_TabRun) {
      lastTab = run;
      afterTab = 0;
    } else {
      total += run->GetTextWidthPixel();
      afterTab += run->GetTextWidthPixel();
    }
  }
  if (lastTab == nullptr) afterTab = 0;
  const SInt32 room = lineWidth_ - leftOffset_ - rightOffset_;
  switch (position_) {
    case kSpPositionCenter:
      if (lastTab != nullptr && afterTab > 0) {
        return {{head_, lastTab, leftOffset_},
                {lastTab->GetNextObjectPtr(), nullptr,
                 (lineWidth_ + leftOffset_ + total - 2 * afterTab - rightOffset_) / 2}};
      }
      return {{head_, nullptr, leftOffset_ + (room - total) / 2}};
    case kSpPositionRight:
      if (lastTab != nullptr && afterTab > 0) {
        return {{head_, lastTab, leftOffset_},
                {lastTab->GetNextObjectPtr(), nullptr, lineWidth_ - rightOffset_ - afterTab}};
      }
      return {{head_, nullptr, lineWidth_ - rightOffset_ - total}};
    default:
      return {{head_, nullptr, leftOffset_}};
  }
}

SInt32 cTextLineObject::EmptyLineCaret() const {
  switch (position_) {
    case kSpPositionCenter:
      return leftOffset_ + (lineWidth_ - leftOffset_ - rightOffset_) / 2;
    case kSpPositionRight:
      return lineWidth_ - rightOffset_;
    default:
      return leftOffset_;
  }
}

namespace {

// Every run up to the line break with its left edge, in the order of the segments.
template <class Segments>
std::vector<PlacedRun> Place(const Segments& segments) {
  std::vector<PlacedRun> out;
  SInt32 start = 0;
  for (const auto& segment : segments) {
    SInt32 x = segment.origin;
    for (cTextStyleRunObject* run = segment.first; run != nullptr; run = run->GetNextObjectPtr()) {
      if (run->GetStyleRunDataType() == kETO_LineBreakRun) return out;
      out.push_back({run, x, start});
      x += run->GetTextWidthPixel();
      start += run->ByteLength();
      if (run == segment.last) break;
    }
  }
  return out;
}

}  // namespace

unsigned char cTextLineObject::PixPositToCharBytePosit(char* work, SInt32 workSize,
                                                       unsigned char, SInt16 x,
                                                       SInt32& position,
                                                       unsigned char& leadingEdge,
                                                       unsigned char& where,
                                                       tETO_AreaOutType& area) {
  position = 0;
  leadingEdge = 1;
  if (head_ == nullptr || head_->GetStyleRunDataType() == kETO_LineBreakRun) {
    where = x < 0 ? 2 : (x > 0 ? 8 : 1);
    return 1;
  }
  where = 1;
  std::vector<char> own;
  if (work == nullptr || workSize < byteCount_ + 2) {
    own.assign(std::size_t(byteCount_) + 4, 0);
    work = own.data();
  }
  const std::vector<PlacedRun> runs = Place(Segments());
  area = kETO_AreaInside;
  if (runs.empty()) return 1;
  if (x < runs.front().left) {
    area = kETO_AreaLeft;
    return 1;
  }
  const PlacedRun& lastRun = runs.back();
  if (x >= lastRun.left + lastRun.run->GetTextWidthPixel()) {
    position = lastRun.start + lastRun.run->ByteLength();
    leadingEdge = 0;
    area = kETO_AreaRight;
    return 1;
  }
  for (const PlacedRun& placed : runs) {
    const SInt32 width = placed.run->GetTextWidthPixel();
    if (x >= placed.left + width) continue;
    where = 0;
    if (x < placed.left) {
      position = placed.start;
      return 1;
    }
    if (!placed.run->IsText()) {
      const bool leftHalf = (x - placed.left) * 2 < width;
      position = placed.start + (leftHalf ? 0 : 1);
      leadingEdge = leftHalf ? 1 : 0;
      return 1;
    }
    const SInt32 n = sp_eto::ReadBytes(string_, placed.start, placed.run->ByteLength(), work);
    sp_eto::cPortTextScope scope(port_, placed.run->Attributes());
    const bool before = placed.run != runs.front().run;
    const bool after = placed.run != runs.back().run;
    const JustStyleCode style = before ? (after ? middleStyleRun : rightStyleRun)
                                       : (after ? leftStyleRun : onlyStyleRun);
    Boolean leading = true;
    const Point one = {1, 1};
    const SInt16 offset = PixelToChar(work, n, 0, Long2Fix(x - placed.left), &leading, nullptr,
                                      style, one, one);
    position = placed.start + offset;
    leadingEdge = leading ? 1 : 0;
    return 1;
  }
  return 1;
}

unsigned char cTextLineObject::CharBytePositToPixPosit(char* work, SInt32 workSize,
                                                       SInt32 position, SInt16& x) {
  if (head_ == nullptr || head_->GetStyleRunDataType() == kETO_LineBreakRun) {
    x = SInt16(EmptyLineCaret());
    return 1;
  }
  std::vector<char> own;
  if (work == nullptr || workSize < byteCount_ + 2) {
    own.assign(std::size_t(byteCount_) + 4, 0);
    work = own.data();
  }
  const std::vector<PlacedRun> runs = Place(Segments());
  SInt32 result = runs.empty() ? EmptyLineCaret() : runs.front().left;
  for (const PlacedRun& placed : runs) {
    const SInt32 length = placed.run->ByteLength();
    if (position >= placed.start + length) {
      result = placed.left + placed.run->GetTextWidthPixel();
      continue;
    }
    result = placed.left;
    if (placed.run->IsText() && position > placed.start) {
      const SInt32 n = sp_eto::ReadBytes(string_, placed.start, position - placed.start, work);
      sp_eto::cPortTextScope scope(port_, placed.run->Attributes());
      result += SpTextWidthLong(work, 0, n);
    }
    break;
  }
  x = SInt16(std::clamp<SInt32>(result, -32768, 32767));
  return 1;
}

unsigned char SpETO_SerchCharBraker(const char* text, SInt32 length, unsigned char, SInt16 width,
                                    SInt32& offset) {
  offset = 0;
  if (text == nullptr || length <= 0) return 0;
  SetFractEnable(true);
  Boolean leading = true;
  Fixed remaining = 0;
  const Point one = {1, 1};
  const SInt16 hit = PixelToChar(const_cast<char*>(text), length, 0, Long2Fix(width), &leading,
                                 &remaining, onlyStyleRun, one, one);
  // Past the end (the width reaching the text's end included): the text is narrower.
  if (hit >= length && !leading) return 0;
  offset = hit;
  if (!leading && hit > 0) {
    // The character hit is the one before the boundary found.
    SInt32 start = 0;
    for (SInt32 i = 0; i < hit;) {
      start = i;
      i += (sp_eto::IsLeadByte(UInt8(text[i])) && i + 1 < length) ? 2 : 1;
    }
    offset = start;
  }
  return 1;
}
