// Text lines: copying ranges out, and style changes over ranges or the whole line.
#include <algorithm>
#include <cstring>

#include "SpETOTextInternal.h"
#include "SpETOTextLineObject.h"

namespace {

const char kSource[] = "SpETOTextLineObject";

void Fail(const char* method, SInt32 code, const char* message) {
  SpReportFailure(kSource, method, code, message);
}

}  // namespace

// ---- Cutting and copying ----

SInt32 cTextLineObject::GetScopeString(SInt32 a, SInt32 b, char* buffer, SInt32 size,
                                       unsigned char& overflow) {
  overflow = 0;
  if (buffer == nullptr || size < 3) {
    overflow = 1;
    return 0;
  }
  if (a >= b || a < 0) {
    Fail("cTextLineObject::GetScopeString", 1, "Argument Error !! ");
    return 0;
  }
  b = std::min(b, byteCount_);
  SInt32 n = b - a;
  if (n > size - 1) {
    n = size - 1;
    overflow = 1;
  }
  n = sp_eto::ReadBytes(string_, a, n, buffer);
  buffer[n] = 0;
  return n;
}

SInt32 cTextLineObject::GetScopeString(sSO_StringObjectBase* out, SInt32 a, SInt32 b,
                                       unsigned char) {
  if (out == nullptr) {
    Fail("cTextLineObject::GetScopeString", 1, kSpMsgNullArgument);
    return 0;
  }
  SpSO_Clear(out);
  const SInt32 lo = std::max<SInt32>(0, std::min(a, b));
  const SInt32 hi = std::min(std::max(a, b), byteCount_);
  if (lo >= hi) return 0;
  SpSO_strncat(out, string_, lo, hi - lo);
  return hi - lo;
}

SInt32 cTextLineObject::GetScopeString(cSp_RunSet& runSet, SInt32 a, SInt32 b,
                                       unsigned char withLineBreak) {
  if (a < 0 || b < 0 || a > byteCount_ || b > byteCount_) {
    Fail("cTextLineObject::GetScopeString", 1, sp_eto::kMsgArgumentError);
    return 0;
  }
  runSet.ClearRunSet();
  if (a == b) return 0;
  SInt32 count = 0;
  GetRunStringByRunSet(std::min(a, b), std::max(a, b) - 1, withLineBreak, runSet, count);
  runSet.ResetRunPixSize();
  return count;
}

void cTextLineObject::GetTargetAreaRun(SInt32 a, SInt32 b, unsigned char withLineBreak,
                                       cTextStyleRunObject*& head, cTextStyleRunObject*& tail,
                                       SInt32& count) {
  head = nullptr;
  tail = nullptr;
  count = 0;
  if (b < 0) b = byteCount_ - 1;
  const SInt32 lo = std::max<SInt32>(0, std::min(a, b));
  const SInt32 hi = std::min(std::max(a, b), byteCount_ - 1);  // inclusive
  SInt32 start = 0;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 length = run->ByteLength();
    const SInt32 end = start + length - 1;
    if (end >= lo && start <= hi) {
      if (run->GetStyleRunDataType() == kETO_LineBreakRun && !withLineBreak) break;
      cTextStyleRunObject* copy = run->GetCopyRun();
      if (copy == nullptr) break;
      SInt32 from = std::max(start, lo);
      SInt32 to = std::min(end, hi);
      if (run->IsText() && run->IsTwoByte()) {
        // A range never takes half a character: its ends widen to whole characters.
        from = start + ((from - start) / 2) * 2;
        to = std::min(end, start + ((to - start) / 2) * 2 + 1);
      }
      copy->SetupStringLen(to - from + 1);
      copy->SetupLineHeight(lineHeight_);
      SpAppendToList(head, tail, copy);
      count += to - from + 1;
    }
    start += length;
  }
  SInt32 position = 0;
  for (cTextStyleRunObject* run = head; run != nullptr; run = run->GetNextObjectPtr()) {
    run->SetStartCharBytePosition(position);
    position += run->ByteLength();
  }
}

void cTextLineObject::GetRunStringByRunSet(SInt32 a, SInt32 b, unsigned char withLineBreak,
                                           cSp_RunSet& runSet, SInt32& count) {
  runSet.ClearRunSet();
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  GetTargetAreaRun(a, b, withLineBreak, head, tail, count);
  if (head == nullptr) return;
  if (b < 0) b = byteCount_ - 1;
  runSet.AppendString(string_, SnapToCharacter(std::max<SInt32>(0, std::min(a, b))), count);
  runSet.AppendStyleRun(head);
}

void cTextLineObject::GetCopyRunSet(cSp_RunSet& runSet, unsigned char withTab,
                                    unsigned char withLineBreak) {
  runSet.ClearRunSet();
  GetAppendCopyRunSet(runSet, withTab, withLineBreak);
}

void cTextLineObject::GetAppendCopyRunSet(cSp_RunSet& runSet, unsigned char withTab,
                                          unsigned char withLineBreak) {
  SInt32 start = 0;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const tETO_StyleRunDataType type = run->GetStyleRunDataType();
    const bool take = type == kETO_TextRun || (type == kETO_TabRun && withTab) ||
                      (type == kETO_LineBreakRun && withLineBreak);
    if (take) {
      cTextStyleRunObject* copy = run->GetCopyRun();
      if (copy == nullptr) break;
      runSet.AppendString(string_, start, run->ByteLength());
      runSet.AppendStyleRun(copy);
    }
    start += run->ByteLength();
  }
}

SInt32 cTextLineObject::GetLineStringDataOnMemory(char* buffer, SInt32 size, unsigned char) {
  if (buffer == nullptr || size < 1) {
    Fail("cTextLineObject::GetLineStringDataOnMemory", 1, kSpMsgNullArgument);
    return 0;
  }
  const SInt32 n = sp_eto::ReadBytes(string_, 0, std::min(byteCount_, size - 1), buffer);
  buffer[n] = 0;
  return n;
}

void cTextLineObject::GetLineStringWidthAppend(sSO_StringObjectBase* out) {
  if (out == nullptr) {
    Fail("cTextLineObject::GetLineStringWidthAppend", 1, kSpMsgNullArgument);
    return;
  }
  if (byteCount_ > 0) SpSO_strcat(out, string_);
}

// ---- Style changes ----

// Cuts the runs at a and b, applies `change` to every text run between (answering whether it
// changed), merges, re-measures and updates the line's attributes and height.
unsigned char cTextLineObject::ChangeRange(SInt32 a, SInt32 b, unsigned char& changed,
                                           bool (*change)(cTextStyleRunObject*, const void*),
                                           const void* arg) {
  changed = 0;
  const SInt32 lo = SnapToCharacter(std::max<SInt32>(0, std::min(a, b)));
  const SInt32 hi = SnapToCharacter(std::min(std::max(a, b), byteCount_));
  if (lo >= hi) return 0;
  const std::vector<char> text = CopyText();
  CutRunsAt(lo, text);
  CutRunsAt(hi, text);
  RenumberRuns();
  unsigned char any = 0;
  // A change sets the font heights of the runs it restyles (a colour leaves them); their
  // widths are measured here, in one port scope for the line.
  cETORestyleScope restyles;
  sp_eto::cRunWidths widths;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 start = run->GetStartCharBytePosition();
    if (start >= lo && start + run->ByteLength() <= hi &&
        run->GetStyleRunDataType() != kETO_LineBreakRun && change(run, arg)) {
      if (run->IsText()) widths.Measure(run, text.data() + start);
      any = 1;
    }
  }
  MergeAndMeasure();
  if (head_ != nullptr) head_->GetAttribute(attributes_);
  changed = ResetLineHeightAndEndPosition(1);
  return any;
}

unsigned char cTextLineObject::SetupTextAttributeAtAll(sTextStyleAttributes& attributes,
                                                       unsigned char& changed) {
  changed = 0;
  const bool lineChanged = !SpEqualTextStyleAttribute(attributes_, attributes);
  attributes_ = attributes;
  unsigned char any = lineChanged ? 1 : 0;
  // Tabs and line breaks take the style too: they count in the line's height, and text typed
  // after a line break takes the break's style.
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (SpEqualTextStyleAttribute(run->Attributes(), attributes)) continue;
    sTextStyleAttributes copy = attributes;
    run->SetupAttribute(copy, kETO_FontJapaneseSystem);
    any = 1;
  }
  if (!any) return 0;
  ResetRunPixelWidth();
  MergeAndMeasure();
  changed = ResetLineHeightAndEndPosition(1);
  return 1;
}

unsigned char cTextLineObject::ChangeTextAttributeAtAll(tTextStyleAttType type,
                                                        unsigned long value,
                                                        unsigned char& changed) {
  changed = 0;
  if (head_ == nullptr) {
    const unsigned char any = SpChangeTextStyleAttribute(attributes_, type, value);
    changed = ResetLineHeightAndEndPosition(1);
    return any;
  }
  unsigned char any = 0;
  // Tabs and line breaks too, as in SetupTextAttributeAtAll.
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (run->ChangeAttribute(type, value)) any = 1;
  }
  head_->GetAttribute(attributes_);
  if (!any) return 0;
  ResetRunPixelWidth();
  MergeAndMeasure();
  changed = ResetLineHeightAndEndPosition(1);
  return 1;
}

unsigned char cTextLineObject::ChangeTextColorAtAll(const RGBColor& color, SInt16 kind) {
  if (head_ == nullptr) {
    attributes_.colors[0].rgb = color;
    attributes_.colors[0].kind = kind;
    return 1;
  }
  unsigned char any = 0;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    RGBColor old;
    SInt16 oldKind = 0;
    run->GetTextColor(old, oldKind);
    if (old.red != color.red || old.green != color.green || old.blue != color.blue ||
        oldKind != kind) {
      run->SetupTextColor(color, kind);
      any = 1;
    }
  }
  if (any) {
    head_->GetAttribute(attributes_);
    MergeAndMeasure();
  }
  return any;
}

namespace {

struct FontOrSize {
  tTextStyleAttType type;
  unsigned long value;
};

bool ChangeFontOrSize(cTextStyleRunObject* run, const void* arg) {
  const FontOrSize* change = static_cast<const FontOrSize*>(arg);
  return run->IsText() && run->ChangeAttribute(change->type, change->value) != 0;
}

struct StyleChange {
  const sTextStyleInfo* mask;
  const sTextStyleInfo* values;
};

bool ChangeStyle(cTextStyleRunObject* run, const void* arg) {
  if (!run->IsText()) return false;
  const StyleChange* change = static_cast<const StyleChange*>(arg);
  sTextStyleInfo info;
  Sp_TextStyleToTextStyleInfo(run->Attributes().face, info);
  Sp_ChangeStyleInfoByChangeBitItem(info, *change->mask, *change->values);
  Style face = 0;
  Sp_TextStyleInfoToStyle(info, face);
  return run->ChangeAttribute(kTextStyleAttFace, face) != 0;
}

struct ColorChange {
  RGBColor color;
  SInt16 kind;
};

bool ChangeColor(cTextStyleRunObject* run, const void* arg) {
  const ColorChange* change = static_cast<const ColorChange*>(arg);
  RGBColor old;
  SInt16 kind = 0;
  run->GetTextColor(old, kind);
  if (old.red == change->color.red && old.green == change->color.green &&
      old.blue == change->color.blue && kind == change->kind) {
    return false;
  }
  run->SetupTextColor(change->color, change->kind);
  return true;
}

}  // namespace

unsigned char cTextLineObject::SetupTargetTextFontOrSize(SInt32 a, SInt32 b,
                                                         tTextStyleAttType type,
                                                         unsigned long value,
                                                         unsigned char& changed) {
  changed = 0;
  if (type != kTextStyleAttFont && type != kTextStyleAttSize) {
    Fail("cTextLineObject::SetupTargetTextFontOrSize", 1, kSpMsgTypeError);
    return 0;
  }
  if (head_ == nullptr) {
    const unsigned char any = SpChangeTextStyleAttribute(attributes_, type, value);
    changed = ResetLineHeightAndEndPosition(1);
    return any;
  }
  const FontOrSize change{type, value};
  return ChangeRange(a, b, changed, ChangeFontOrSize, &change);
}

unsigned char cTextLineObject::SetupTargetTextStyle(SInt32 a, SInt32 b,
                                                    const sTextStyleInfo& mask,
                                                    const sTextStyleInfo& values,
                                                    unsigned char& changed) {
  changed = 0;
  if (head_ == nullptr) {
    sTextStyleInfo info;
    Sp_TextStyleToTextStyleInfo(attributes_.face, info);
    Sp_ChangeStyleInfoByChangeBitItem(info, mask, values);
    Style face = 0;
    Sp_TextStyleInfoToStyle(info, face);
    const unsigned char any = face != attributes_.face ? 1 : 0;
    attributes_.face = face;
    changed = ResetLineHeightAndEndPosition(1);
    return any;
  }
  const StyleChange change{&mask, &values};
  return ChangeRange(a, b, changed, ChangeStyle, &change);
}

unsigned char cTextLineObject::SetupTargetTextColor(SInt32 a, SInt32 b, const RGBColor& color,
                                                    SInt16 kind, unsigned char& changed) {
  changed = 0;
  if (head_ == nullptr) {
    attributes_.colors[0].rgb = color;
    attributes_.colors[0].kind = kind;
    return 1;
  }
  const ColorChange change{color, kind};
  return ChangeRange(a, b, changed, ChangeColor, &change);
}
