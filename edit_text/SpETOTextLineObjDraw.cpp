// Text lines: drawing the runs and the underline of inline input.
#include <algorithm>
#include <vector>

#include "SpETOTextInternal.h"
#include "SpETOTextLineObject.h"
#include "SpStdDrawingFunction.h"

namespace {

const char kSource[] = "SpETOTextLineObjDraw";

// Vertical placements of a run (the first flag byte of its attributes).
enum : UInt8 { kPlaceCentre = 2, kPlaceTop = 4, kPlaceBaseline = 5 };

SInt16 Clamp16(SInt32 v) {
  return SInt16(std::clamp<SInt32>(v, -32768, 32767));
}

// DrawText takes a short count: long runs go out in pieces that end on characters.
void DrawBytes(const char* text, SInt32 length) {
  constexpr SInt32 kPiece = 16384;
  for (SInt32 done = 0; done < length;) {
    SInt32 n = std::min(kPiece, length - done);
    if (done + n < length) {
      SInt32 i = 0;
      SInt32 whole = 0;
      while (i < n) {
        const SInt32 step = sp_eto::IsLeadByte(UInt8(text[done + i])) ? 2 : 1;
        if (i + step > n) break;
        i += step;
        whole = i;
      }
      n = std::max<SInt32>(1, whole);
    }
    DrawText(text + done, 0, SInt16(n));
    done += n;
  }
}

}  // namespace

void cTextLineObject::DrawLine(SInt16 left, SInt16 right) {
  // The line measures on its own port but draws where it is asked to: in the current port
  // (a view's offscreen).
  GrafPtr target = nullptr;
  GetPort(&target);
  const SInt32 longest = SpETO_GetMaxByteLenInRunList(head_);
  std::vector<char> buffer;
  buffer.assign(std::size_t(longest) + 4, 0);
  RGBColor savedColor;
  GetForeColor(&savedColor);
  const std::vector<Segment> segments = Segments();
  SInt32 start = 0;
  bool stop = false;
  for (const Segment& segment : segments) {
    SInt32 x = segment.origin;
    for (cTextStyleRunObject* run = segment.first; run != nullptr && !stop;
         run = run->GetNextObjectPtr()) {
      if (run->GetStyleRunDataType() == kETO_LineBreakRun) {
        stop = true;
        break;
      }
      const SInt32 width = run->GetTextWidthPixel();
      if (run->IsText() && x + width > left) {
        const SInt32 n = sp_eto::ReadBytes(string_, start, run->ByteLength(), buffer.data());
        const sTextStyleAttributes& a = run->Attributes();
        SInt32 y = baseline_;
        switch (a.flags[0]) {
          case kPlaceTop:
            y = textTop_ + run->FontHeights().ascent;
            break;
          case kPlaceCentre:
            y = (textTop_ + baseline_) / 2 + run->FontHeights().ascent / 2;
            break;
          case kPlaceBaseline:
            break;
          default:
            SpReportFailure(kSource, "cTextLineObject::DrawLine", 2,
                            "Positioning Parameter Error !! ");
            break;
        }
        sp_eto::cPortTextScope scope(target, a);
        RGBForeColor(&a.colors[0].rgb);
        MoveTo(Clamp16(x), Clamp16(y));
        DrawBytes(buffer.data(), n);
      }
      x += width;
      start += run->ByteLength();
      if (x >= right) stop = true;
      if (run == segment.last) break;
    }
    if (stop) break;
  }
  RGBForeColor(&savedColor);
}

void cTextLineObject::DrawUnderLine(SInt32 a, SInt32 b, tETO_UnderLineType type,
                                    unsigned char inset) {
  if (head_ == nullptr) return;
  RGBColor savedColor;
  GetForeColor(&savedColor);
  PenState savedPen;
  GetPenState(&savedPen);
  SInt32 ascent = 0;
  SInt32 descent = 0;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    FontInfo info;
    run->GetFontInfomation(&info);
    ascent = std::max<SInt32>(ascent, info.ascent);
    descent = std::max<SInt32>(descent, info.descent);
  }
  SInt32 y = 0;
  bool first = true;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    FontInfo info;
    run->GetFontInfomation(&info);
    SInt32 runY = y;
    switch (run->Attributes().flags[0]) {
      case kPlaceTop:
        runY = top_ + info.ascent;
        break;
      case kPlaceCentre:
        runY = (top_ + bottom_ - descent) / 2 + info.ascent / 2;
        break;
      case kPlaceBaseline:
        runY = bottom_ - descent;
        break;
      default:
        if (first) runY = bottom_ - descent;
        break;
    }
    y = first ? runY + 1 : std::max(y, runY + 1);
    first = false;
  }
  const SInt32 thin = std::max<SInt32>(1, SInt32(ascent * 0.04));
  const SInt32 thick = std::max<SInt32>(2, SInt32(ascent * 0.08));
  RGBColor color;
  SInt32 height = thin;
  switch (type) {
    case 1:
      Sp_SetRGBColorByPercentage(&color, 50, 50, 50);
      break;
    case 2:
      Sp_SetRGBColorByPercentage(&color, 50, 50, 50);
      height = thick;
      break;
    case 4:
      Sp_SetRGBColorByPercentage(&color, 10, 10, 10);
      height = thick;
      break;
    default:
      Sp_SetRGBColorByPercentage(&color, 10, 10, 10);
      break;
  }
  std::vector<char> work(std::size_t(byteCount_) + 4, 0);
  SInt16 x1 = 0;
  SInt16 x2 = 0;
  CharBytePositToPixPosit(work.data(), SInt32(work.size()), a, x1);
  CharBytePositToPixPosit(work.data(), SInt32(work.size()), b, x2);
  x1 = SInt16(x1 + (inset ? 2 : 1));
  RGBForeColor(&color);
  PenSize(1, SInt16(height));
  MoveTo(x1, Clamp16(y - height));
  LineTo(SInt16(x2 - 1), Clamp16(y - height));
  SetPenState(&savedPen);
  RGBForeColor(&savedColor);
}
