// Line breaking: re-wrapping lines after a change of text, style, width or offsets.
//
// A re-wrap walks down the lines from the first one touched. Each line pulls up the runs of the
// line after it while there is room, breaks where the text no longer fits (at a word for
// Latin text, between characters for Japanese, by the line-break rules of the platform), and
// pushes the rest down into the following line, creating lines at the end and deleting lines
// that became empty. It stops at the end of the text or after more than three paragraph ends
// that came out as they were, unless the width changed.
//
// The work is linear in the text re-wrapped:
// - the walk is a loop, not a recursion per line, so a text of tens of thousands of lines
//   needs no deep stack; each line is finished (runs merged, height set) as soon as it is
//   wrapped, while its runs are still in the cache;
// - runs and bytes move between lines by relinking (runs, string items), never by copying the
//   rest of a line, and a run's width holds while its bytes and style do, so a run pushed down
//   or pulled up is not measured again;
// - the break finder gets what the line can hold plus a little context, not the rest of the
//   line;
// - line numbers and vertical places are set once at the end, from the first line touched,
//   and only when lines were added or removed or a height changed.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FixMath.h"
#include "Script.h"
#include "SpETOTextInternal.h"
#include "SpETOTextLineObject.h"

namespace {

const char kSource[] = "SpETOTextLineBreakLine";

void Fail(const char* method, SInt32 code, const char* message) {
  SpReportFailure(kSource, method, code, message);
}

// Bytes of the group after the overflowing run handed to the break finder as context.
constexpr SInt32 kBreakContextBytes = 16;

void Bump(SInt16& counter) {
  if (counter < 32767) ++counter;
}

// The number of the last watched re-wrap; a line reached by it carries the same number.
UInt64 gLastWatchedWrap = 0;
// The number of the last noting of what lines hold: each RememberRunList and each re-wrap
// from ResetBreakLine begins one; a line noted in it carries the same number.
UInt64 gLastNoting = 0;

// A 64-bit digest fed a word at a time: each word is mixed in by a multiply and a shift, so
// that any change of a value changes the whole digest.
class cLookDigest {
 public:
  void Add(UInt64 value) {
    value_ = (value_ ^ value) * 0x9E3779B97F4A7C15ull;
    value_ ^= value_ >> 29;
  }
  void Bytes(const char* bytes, SInt32 length) {
    SInt32 i = 0;
    for (; i + 8 <= length; i += 8) {
      UInt64 word = 0;
      std::memcpy(&word, bytes + i, 8);
      Add(word);
    }
    UInt64 tail = 0;
    std::memcpy(&tail, bytes + i, std::size_t(length - i));
    Add(tail ^ (UInt64(length - i) << 56));
  }
  UInt64 Value() const { return value_; }

 private:
  UInt64 value_ = 0xCBF29CE484222325ull;
};

}  // namespace

// A run's style enters by its record's serial, which no other record ever takes: a record
// freed and another made at its address cannot pass for it.
UInt64 cTextLineObject::HoldingDigest() const {
  cLookDigest d;
  d.Add(UInt64(UInt32(byteCount_)));
  if (string_ != nullptr) {
    for (const sSO_StringItemObject* item = string_->firstItem; item != nullptr;
         item = item->next) {
      d.Bytes(item->text, item->used);
    }
  }
  // Neighbouring runs of one kind and style count as one, so that a line whose runs are cut
  // otherwise still holds what it held.
  for (const cTextStyleRunObject* run = head_; run != nullptr;) {
    SInt32 length = run->ByteLength();
    const cTextStyleRunObject* next = run->GetNextObjectPtr();
    for (; next != nullptr && next->GetStyleRunDataType() == run->GetStyleRunDataType() &&
           next->SharesStyleWith(run);
         next = next->GetNextObjectPtr()) {
      length += next->ByteLength();
    }
    d.Add(UInt64(run->GetStyleRunDataType()) | UInt64(UInt32(length)) << 8);
    d.Add(run->StyleRecord()->serial);
    run = next;
  }
  return d.Value();
}

UInt64 cTextLineObject::LookDigest(UInt64 holding) const {
  cLookDigest d;
  d.Add(holding);
  d.Add(UInt64(UInt32(tabs_)) | UInt64(lineBreak_ ? 1 : 0) << 32 | UInt64(UInt8(position_)) << 40);
  d.Add(UInt64(UInt16(lineWidth_)) | UInt64(UInt16(leftOffset_)) << 16 |
        UInt64(UInt16(rightOffset_)) << 32);
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const FontInfo& heights = run->FontHeights();
    d.Add(UInt64(run->GetStyleRunDataType()) | UInt64(UInt32(run->ByteLength())) << 8);
    d.Add(UInt64(UInt32(run->GetTextWidthPixel())) | UInt64(UInt16(heights.ascent)) << 32 |
          UInt64(UInt16(heights.descent)) << 48);
    d.Add(UInt64(UInt16(heights.leading)));
  }
  return d.Value();
}

UInt64 cTextLineObject::LookDigest() const { return LookDigest(HoldingDigest()); }

bool cTextLineObject::ReachedByLastWatchedRewrap() const {
  return watchedWrap_ != 0 && watchedWrap_ == gLastWatchedWrap;
}

bool cTextLineObject::HoldsAsBeforeRewrap() const {
  return ReachedByLastWatchedRewrap() && !watchedChanged_ && LookDigest() == watchedLook_;
}

bool cTextLineObject::LooksAsBeforeRewrap() const {
  return top_ == watchedTop_ && bottom_ == watchedBottom_ && HoldsAsBeforeRewrap();
}

void cTextLineObject::NoteHolding(UInt64 holding) {
  rememberedNoting_ = gLastNoting;
  rememberedBytes_ = byteCount_;
  rememberedHolding_ = holding;
}

bool cTextLineObject::HoldsAsNoted() const {
  return rememberedNoting_ == gLastNoting && byteCount_ == rememberedBytes_ &&
         HoldingDigest() == rememberedHolding_;
}

// One re-wrap: its counters, the lines to finish and what must be set again at the end.
class cETOLineWrapper {
 public:
  cETOLineWrapper(SInt16& handled, SInt16& added, SInt16& removed, unsigned char& widthChanged,
                  SInt16& unchanged)
      : handled_(handled),
        added_(added),
        removed_(removed),
        widthChanged_(widthChanged),
        unchanged_(unchanged) {}

  // Each line the re-wrap reaches notes what it held and showed before the wrap changes it
  // (`edited` and new lines count as changed whatever they show).
  void WatchChanges(const cTextLineObject* edited) {
    watch_ = ++gLastWatchedWrap;
    edited_ = edited;
  }

  // Re-wraps from `line` (whose runs begin at `walkFrom`, null: its first run) downward.
  void Run(cTextLineObject* line);
  // `line` took runs pushed down from the line before: it stops the re-wrap when it came out
  // as it was (more than three times), else it is re-wrapped. True when it is to be re-wrapped.
  bool AfterCatch(cTextLineObject* line);

 private:
  struct Walk {
    SInt32 x = 0;
    SInt32 limit = 0;
    SInt32 position = 0;  // bytes walked
    SInt32 tabs = 0;      // tabs walked
    bool groupActive = false;
    bool groupTwoByte = false;
    SInt32 groupStart = 0;
    cTextStyleRunObject* groupFirst = nullptr;
    SInt32 remainingAtGroup = 0;
    bool firstMark = false;
  };

  // Wraps one line: the line that is to be re-wrapped after it, or null when the re-wrap ends.
  cTextLineObject* WrapLine(cTextLineObject* line);
  cTextStyleRunObject* PullUp(cTextLineObject* line);
  void PushDown(cTextLineObject* line, cTextStyleRunObject* breakRun, SInt32 keptTabs,
                cTextLineObject* following);
  // The run with which the following line begins when `run` does not fit; null when it fits
  // after all (x then includes it).
  bool FitTextRun(cTextLineObject* line, Walk& w, cTextStyleRunObject* run,
                  cTextStyleRunObject*& breakRun);
  cTextStyleRunObject* BreakAt(cTextLineObject* line, Walk& w, cTextStyleRunObject* run,
                               SInt32 groupOffset);
  void SetAllWidths(cTextLineObject* line, SInt32 width);
  void Finish(cTextLineObject* line);
  void Touch(cTextLineObject* line);
  // Notes what a line reached for the first time holds (for the unchanged count) and, in a
  // watched wrap, shows, before the wrap changes it.
  void Note(cTextLineObject* line);
  // True when the line holds what it held when first noted, and no width changed.
  bool Unchanged(const cTextLineObject* line) const {
    return !widthChanged_ && line->HoldsAsNoted();
  }
  // A new empty line after `line`, counted as added; null (reported) when memory ran out.
  cTextLineObject* NewLineAfter(cTextLineObject* line);
  void SettleLines();

  SInt16& handled_;
  SInt16& added_;
  SInt16& removed_;
  unsigned char& widthChanged_;
  SInt16& unchanged_;
  cTextLineObject* firstTouched_ = nullptr;
  bool settle_ = false;
  UInt64 watch_ = 0;  // the wrap's number when it is watched, else 0
  const cTextLineObject* edited_ = nullptr;
};

void cETOLineWrapper::Note(cTextLineObject* line) {
  if (line == nullptr) return;
  const bool hold = line->rememberedNoting_ != gLastNoting;
  const bool watch = watch_ != 0 && line->watchedWrap_ != watch_;
  if (!hold && !watch) return;
  // A changed width re-wraps every line whatever it holds: nothing is compared.
  const bool digest = hold && !widthChanged_;
  const bool look = watch && line != edited_;
  const UInt64 holding = digest || look ? line->HoldingDigest() : 0;
  if (hold) line->NoteHolding(holding);
  if (watch) {
    line->watchedWrap_ = watch_;
    line->watchedTop_ = line->top_;
    line->watchedBottom_ = line->bottom_;
    line->watchedChanged_ = !look;
    line->watchedLook_ = look ? line->LookDigest(holding) : 0;
  }
}

cTextLineObject* cETOLineWrapper::NewLineAfter(cTextLineObject* line) {
  cTextLineObject* following = new (std::nothrow) cTextLineObject(line, false);
  if (following == nullptr) {
    Fail("cTextLineObject::ResetBreakLineEachLine", 4, "can not allocated memory");
    return nullptr;
  }
  Bump(added_);
  settle_ = true;
  if (watch_ != 0) {
    following->watchedWrap_ = watch_;
    following->watchedChanged_ = true;
  }
  Note(following);
  return following;
}

void cETOLineWrapper::Touch(cTextLineObject* line) {
  if (firstTouched_ == nullptr) firstTouched_ = line;
  Note(line);
}

cTextStyleRunObject* cETOLineWrapper::PullUp(cTextLineObject* line) {
  cTextLineObject* next = line->GetNextObjectPtr();
  if (next == nullptr || next->head_ == nullptr || line->lineBreak_) return nullptr;
  Note(next);
  cTextStyleRunObject* first = next->head_;
  sp_eto::MoveAllToEnd(next->string_, line->string_);
  if (line->tail_ != nullptr) {
    line->tail_->LinkToNext(first);
  } else {
    line->head_ = first;
  }
  line->tail_ = next->tail_;
  line->byteCount_ += next->byteCount_;
  line->tabs_ += next->tabs_;
  line->lineBreak_ = next->lineBreak_;
  next->head_ = nullptr;
  next->tail_ = nullptr;
  next->byteCount_ = 0;
  next->tabs_ = 0;
  next->lineBreak_ = false;
  return first;
}

void cETOLineWrapper::PushDown(cTextLineObject* line, cTextStyleRunObject* breakRun,
                               SInt32 keptTabs, cTextLineObject* following) {
  Note(following);
  cTextStyleRunObject* before = breakRun->GetBeforeObjectPtr();
  const SInt32 kept = breakRun->GetStartCharBytePosition();
  cTextStyleRunObject* pushedTail = line->tail_;
  if (!sp_eto::MoveTailToFront(line->string_, kept, following->string_)) {
    Fail("cTextLineObject::ResetBreakLineEachLine", 4, "can not allocated memory");
    return;
  }
  before->UnlinkNext();
  line->tail_ = before;
  following->byteCount_ += line->byteCount_ - kept;
  following->tabs_ += line->tabs_ - keptTabs;
  const bool keptBreak = before->GetStyleRunDataType() == kETO_LineBreakRun;
  if (line->lineBreak_ && !keptBreak) following->lineBreak_ = true;
  line->byteCount_ = kept;
  line->tabs_ = keptTabs;
  line->lineBreak_ = keptBreak;
  if (following->head_ != nullptr) {
    pushedTail->LinkToNext(following->head_);
  } else {
    following->tail_ = pushedTail;
  }
  following->head_ = breakRun;
  if (breakRun->IsText()) breakRun->GetAttribute(following->attributes_);
}

void cETOLineWrapper::SetAllWidths(cTextLineObject* line, SInt32 width) {
  cTextLineObject* first = line;
  while (first->GetBeforeObjectPtr() != nullptr) first = first->GetBeforeObjectPtr();
  for (cTextLineObject* l = first; l != nullptr; l = l->GetNextObjectPtr()) {
    l->lineWidth_ = SInt16(std::clamp<SInt32>(width, 0, 32767));
  }
  widthChanged_ = 1;
}

bool cETOLineWrapper::FitTextRun(cTextLineObject* line, Walk& w, cTextStyleRunObject* run,
                                 cTextStyleRunObject*& breakRun) {
  const SInt32 width = run->GetTextWidthPixel();
  if (width <= w.limit - w.x) return true;
  if (line->variableWidth_) {
    const SInt32 maximum = line->maxWidth_;
    const SInt32 right = line->rightOffset_;
    if (maximum > 0 && w.x + width > maximum - right) {
      if (line->lineWidth_ < maximum) {
        SetAllWidths(line, maximum);
        w.remainingAtGroup += maximum - right - w.limit;
        w.limit = maximum - right;
        w.firstMark = false;
        if (width <= w.limit - w.x) return true;
      }
    } else {
      const SInt32 grown = (maximum > 0 && w.x + width == maximum - right)
                               ? maximum
                               : line->lineWidth_ + (width - (w.limit - w.x)) + 1;
      SetAllWidths(line, grown);
      w.remainingAtGroup += grown - right - w.limit;
      w.limit = grown - right;
      return true;
    }
  }
  // The break finder sees the group from its first byte to the end of this run and a little
  // of what follows in the group.
  const SInt32 runStart = run->GetStartCharBytePosition() - w.groupStart;
  const SInt32 runEnd = runStart + run->ByteLength();
  SInt32 windowEnd = runEnd;
  for (cTextStyleRunObject* next = run->GetNextObjectPtr();
       next != nullptr && next->IsText() && next->IsTwoByte() == w.groupTwoByte &&
       windowEnd - runEnd < kBreakContextBytes;
       next = next->GetNextObjectPtr()) {
    windowEnd += std::min(next->ByteLength(), kBreakContextBytes);
  }
  std::vector<char> window(std::size_t(windowEnd) + 4, 0);
  windowEnd = sp_eto::ReadBytes(line->string_, w.groupStart, windowEnd, window.data());
  Fixed room = Long2Fix(w.limit - w.x);
  SInt32 offset = w.firstMark ? 1 : 0;
  StyledLineBreakCode code;
  {
    sp_eto::cPortTextScope scope(line->port_, run->Attributes());
    code = StyledLineBreak(window.data(), windowEnd, runStart, std::min(runEnd, windowEnd), 0,
                           &room, &offset);
  }
  if (code == smBreakOverflow) return true;
  if (code == smBreakChar) {
    breakRun = line->GetWordBrakeRunHeaderForResetBrakeLine(
        window.data(), windowEnd, run, runStart, smJapanese, w.groupTwoByte ? 1 : 0, w.groupFirst,
        w.remainingAtGroup);
    return false;
  }
  if (offset >= runEnd) {
    // Spaces hang past the room: the line ends after them.
    w.x += width;
    breakRun = run->GetNextObjectPtr();
    return breakRun == nullptr;
  }
  breakRun = BreakAt(line, w, run, offset);
  if (breakRun == line->head_ || breakRun == nullptr) {
    breakRun = line->GetWordBrakeRunHeaderForResetBrakeLine(
        window.data(), windowEnd, run, runStart, smJapanese, w.groupTwoByte ? 1 : 0, w.groupFirst,
        w.remainingAtGroup);
  }
  return false;
}

// The break run for a break at `groupOffset`: the run that begins there, or the second piece
// of the run cut there (walking back through the group when the break lies before `run`).
cTextStyleRunObject* cETOLineWrapper::BreakAt(cTextLineObject* line, Walk& w,
                                              cTextStyleRunObject* run, SInt32 groupOffset) {
  cTextStyleRunObject* holder = run;
  while (holder != nullptr && holder->GetStartCharBytePosition() - w.groupStart > groupOffset) {
    if (holder == w.groupFirst) {
      holder = nullptr;
      break;
    }
    holder = holder->GetBeforeObjectPtr();
  }
  if (holder == nullptr) {
    Fail("cTextLineObject::ResetBreakLineEachLine", 2, "Data Error");
    return run;
  }
  const SInt32 start = holder->GetStartCharBytePosition() - w.groupStart;
  if (groupOffset == start) return holder;
  std::vector<char> bytes(std::size_t(holder->ByteLength()) + 4, 0);
  sp_eto::ReadBytes(line->string_, holder->GetStartCharBytePosition(), holder->ByteLength(),
                    bytes.data());
  cTextStyleRunObject* piece = holder->SplitAfter(bytes.data(), groupOffset - start,
                                                  "cTextLineObject::ResetBreakLineEachLine");
  if (piece == nullptr) return holder;
  if (holder == line->tail_) line->tail_ = piece;
  return piece;
}

cTextLineObject* cETOLineWrapper::WrapLine(cTextLineObject* line) {
  static const char kMethod[] = "cTextLineObject::ResetBreakLineEachLine";
  Touch(line);
  Walk w;
  w.x = line->leftOffset_;
  w.limit = line->lineWidth_ - line->rightOffset_;
  PullUp(line);
  cTextStyleRunObject* run = line->head_;
  cTextStyleRunObject* breakRun = nullptr;
  bool endedWithBreak = false;
  for (;;) {
    for (; run != nullptr; run = run->GetNextObjectPtr()) {
      run->SetStartCharBytePosition(w.position);
      const tETO_StyleRunDataType type = run->GetStyleRunDataType();
      if (type == kETO_LineBreakRun) {
        endedWithBreak = true;
        breakRun = run->GetNextObjectPtr();
        if (breakRun != nullptr) breakRun->SetStartCharBytePosition(w.position + 1);
        break;
      }
      if (type == kETO_TabRun) {
        w.groupActive = false;
        const SInt32 tab = line->tabMode_ == 1 ? line->TabWidthAt(w.x) : line->tabWidth_;
        run->SetStringWidth(tab);
        w.x += tab;
        w.position += 1;
        w.tabs += 1;
        cTextStyleRunObject* next = run->GetNextObjectPtr();
        if (w.x >= w.limit && next != nullptr &&
            (!line->variableWidth_ || (line->maxWidth_ > 0 && w.x >= line->maxWidth_))) {
          next->SetStartCharBytePosition(w.position);
          breakRun = next;
          break;
        }
        continue;
      }
      if (run->ByteLength() < 1) continue;
      if (!w.groupActive || run->IsTwoByte() != w.groupTwoByte) {
        w.groupActive = true;
        w.groupTwoByte = run->IsTwoByte();
        w.groupStart = w.position;
        w.groupFirst = run;
        w.remainingAtGroup = w.limit - w.x;
        w.firstMark = true;
      }
      cTextStyleRunObject* found = nullptr;
      if (FitTextRun(line, w, run, found)) {
        w.x += run->GetTextWidthPixel();
        w.position += run->ByteLength();
        w.firstMark = false;
        continue;
      }
      breakRun = found;
      if (breakRun != nullptr && breakRun->GetBeforeObjectPtr() == run) {
        breakRun->SetStartCharBytePosition(w.position + run->ByteLength());
      }
      break;
    }
    if (breakRun != nullptr || endedWithBreak) break;
    // Everything fitted and no line break ends the line: it takes the next line's runs.
    cTextLineObject* next = line->GetNextObjectPtr();
    if (next != nullptr && next->head_ == nullptr) {
      line->TakeOutNext();
      delete next;
      Bump(removed_);
      settle_ = true;
      next = line->GetNextObjectPtr();
      if (next != nullptr && next->head_ == nullptr) {
        Fail(kMethod, 5, "Line Data Error");
        next = nullptr;
      }
    }
    if (next == nullptr) break;
    run = PullUp(line);
    if (run == nullptr) break;
  }
  if (breakRun == nullptr) {
    if (!endedWithBreak) return nullptr;
    cTextLineObject* following = line->GetNextObjectPtr();
    if (following == nullptr) {
      // Text ending with a line break has an empty line after it.
      NewLineAfter(line);
      return nullptr;
    }
    if (Unchanged(line)) Bump(unchanged_);
    if (!widthChanged_ && unchanged_ > 3) return nullptr;
    return following;
  }
  if (breakRun->GetBeforeObjectPtr() == nullptr) {
    Fail(kMethod, 3, "Link Error");
    return nullptr;
  }
  // What a paragraph's last line cannot hold goes to a line of its own (the next one when the
  // line took all of its runs): pushed into the next paragraph, every line after would shift
  // and the re-wrap would run to the text's end.
  cTextLineObject* following = line->GetNextObjectPtr();
  if (following != nullptr && line->lineBreak_ && following->head_ != nullptr) following = nullptr;
  if (following == nullptr) following = NewLineAfter(line);
  if (following == nullptr) return nullptr;
  SInt32 keptTabs = 0;
  for (cTextStyleRunObject* r = breakRun->GetBeforeObjectPtr(); r != nullptr;
       r = r->GetBeforeObjectPtr()) {
    if (r->GetStyleRunDataType() == kETO_TabRun) ++keptTabs;
  }
  PushDown(line, breakRun, keptTabs, following);
  return AfterCatch(following) ? following : nullptr;
}

bool cETOLineWrapper::AfterCatch(cTextLineObject* line) {
  if (Unchanged(line)) {
    Bump(unchanged_);
    if (unchanged_ > 3) {
      // The line holds what it held: only its runs' places need setting.
      line->RenumberRuns();
      return false;
    }
  }
  return true;
}

void cETOLineWrapper::Finish(cTextLineObject* line) {
  Bump(handled_);
  line->FinishAfterWrap();
  if (line->ResetLineHeightAndEndPosition(0)) settle_ = true;
}

void cETOLineWrapper::SettleLines() {
  if (!settle_ || firstTouched_ == nullptr) return;
  cTextLineObject* before = firstTouched_->GetBeforeObjectPtr();
  firstTouched_->referenceNo_ = before != nullptr ? before->referenceNo_ + 1 : 1;
  firstTouched_->SetupReferenceNo(1);
  firstTouched_->SetupLineVerticalPosition(before != nullptr ? before->bottom_ : firstTouched_->top_,
                                           1);
}

void cETOLineWrapper::Run(cTextLineObject* line) {
  for (cTextLineObject* current = line; current != nullptr;) {
    cTextLineObject* next = WrapLine(current);
    Finish(current);
    current = next;
  }
  SettleLines();
}

// ---- The line's operations ----

void cTextLineObject::RememberRunList(unsigned char all) {
  ++gLastNoting;
  for (cTextLineObject* line = this; line != nullptr; line = line->GetNextObjectPtr()) {
    line->NoteHolding(line->HoldingDigest());
    if (!all) break;
  }
}

void cTextLineObject::ResetBreakLine(SInt16& handled, SInt16& added, SInt16& removed,
                                     unsigned char& widthChanged) {
  handled = 0;
  added = 0;
  removed = 0;
  // Each line is noted when the wrap first reaches it, before it changes: noting every line
  // after this one here would cost a walk to the text's end for each typed key.
  ++gLastNoting;
  SInt16 unchanged = 0;
  cETOLineWrapper(handled, added, removed, widthChanged, unchanged).Run(this);
}

void cTextLineObject::ResetBreakLineWatched(SInt16& handled, SInt16& added, SInt16& removed,
                                            unsigned char& widthChanged,
                                            const cTextLineObject* edited) {
  handled = 0;
  added = 0;
  removed = 0;
  ++gLastNoting;
  SInt16 unchanged = 0;
  cETOLineWrapper wrapper(handled, added, removed, widthChanged, unchanged);
  wrapper.WatchChanges(edited);
  wrapper.Run(this);
}

void cTextLineObject::ResetBreakLineEachLine(SInt16& handled, SInt16& added, SInt16& removed,
                                             unsigned char& widthChanged, SInt16& unchanged) {
  cETOLineWrapper(handled, added, removed, widthChanged, unchanged).Run(this);
}

void cTextLineObject::CatchRunListFromBeforeLine(cTextStyleRunObject* runs,
                                                 sSO_StringObjectBase* text, SInt16& handled,
                                                 SInt16& added, SInt16& removed,
                                                 unsigned char& widthChanged,
                                                 SInt16& unchanged) {
  if (runs == nullptr) {
    SpReportFailure("SpETOTextLineObject", "cTextLineObject::CatchRunListFromBeforeLine", 1,
                    kSpMsgNullArgument);
    return;
  }
  cTextStyleRunObject* last = runs->GetLastObjectPtr();
  if (head_ != nullptr) {
    last->LinkToNext(head_);
  } else {
    tail_ = last;
  }
  head_ = runs;
  if (runs->IsText()) runs->GetAttribute(attributes_);
  if (text != nullptr) sp_eto::MoveTailToFront(text, 0, string_);
  RenumberRuns();
  ResetContainCharByte();
  cETOLineWrapper wrapper(handled, added, removed, widthChanged, unchanged);
  if (wrapper.AfterCatch(this)) wrapper.Run(this);
}

// ---- Choosing the break run ----

namespace {

// The run holding group offset `offset`, walking from the group's first run.
cTextStyleRunObject* RunAtGroupOffset(cTextStyleRunObject* groupFirst, SInt32 offset,
                                      SInt32& runStart) {
  runStart = 0;
  for (cTextStyleRunObject* run = groupFirst; run != nullptr && run->IsText();
       run = run->GetNextObjectPtr()) {
    if (offset < runStart + run->ByteLength()) return run;
    runStart += run->ByteLength();
  }
  return nullptr;
}

}  // namespace

cTextStyleRunObject* cTextLineObject::GetWordBrakeRunHeaderForResetBrakeLine(
    const char* groupText, SInt32 groupLength, cTextStyleRunObject* run, SInt32 offset,
    ScriptCode script, unsigned char twoByte, cTextStyleRunObject* groupFirst,
    SInt32 remainingAtGroup) {
  if (twoByte) {
    return GetWordBrakeRunForResetBrakeLineWith2Char(groupText, groupLength, run, offset, script,
                                                     groupFirst, remainingAtGroup);
  }
  return GetWordBrakeRunForResetBrakeLineWithRoman(groupText, groupLength, run, offset, script,
                                                   groupFirst, remainingAtGroup);
}

// The break of a group that no break opportunity frees: when runs stand before the group the
// line ends before it; otherwise the line keeps as many characters as fit in the room at the
// group's start, and always at least one.
static cTextStyleRunObject* CutGroupToRoom(cTextLineObject* line, sSO_StringObjectBase* string,
                                           GrafPtr port, const char* groupText,
                                           SInt32 groupLength, cTextStyleRunObject* head,
                                           cTextStyleRunObject*& tail,
                                           cTextStyleRunObject* groupFirst,
                                           SInt32 remainingAtGroup) {
  (void)string;
  if (groupFirst != head) return groupFirst;
  SInt32 used = 0;
  SInt32 runStart = 0;
  for (cTextStyleRunObject* run = groupFirst; run != nullptr && run->IsText();
       run = run->GetNextObjectPtr()) {
    const SInt32 length = run->ByteLength();
    if (used + run->GetTextWidthPixel() <= remainingAtGroup) {
      used += run->GetTextWidthPixel();
      runStart += length;
      continue;
    }
    const SInt32 available = std::min(length, groupLength - runStart);
    const SInt32 roomPixels = std::max<SInt32>(0, remainingAtGroup - used);
    Fixed room = Long2Fix(roomPixels);
    // The group is one word that starts the line: it is cut between characters where the
    // width runs out, in whichever of its runs that is, so the break finder is asked as for a
    // line's first run. Only the line's first character is kept when it does not fit.
    SInt32 first = 1;
    SInt32 keep = 0;
    if (available > 0) {
      sp_eto::cPortTextScope scope(port, run->Attributes());
      char* bytes = const_cast<char*>(groupText) + runStart;
      const StyledLineBreakCode code =
          StyledLineBreak(bytes, available, 0, available, 0, &room, &first);
      keep = code == smBreakOverflow ? available : first;
      if (run != head && keep > 0 && SpTextWidthLong(bytes, 0, keep) > roomPixels) keep = 0;
    }
    if (keep <= 0) return run == head ? run->GetNextObjectPtr() : run;
    if (keep >= length) return run->GetNextObjectPtr();
    cTextStyleRunObject* piece = run->SplitAfter(groupText + runStart, keep,
                                                 "cTextLineObject::ResetBreakLineEachLine");
    if (piece == nullptr) return run->GetNextObjectPtr();
    if (run == tail) tail = piece;
    (void)line;
    return piece;
  }
  return nullptr;
}

cTextStyleRunObject* cTextLineObject::GetWordBrakeRunForResetBrakeLineWithRoman(
    const char* groupText, SInt32 groupLength, cTextStyleRunObject* run, SInt32 offset,
    ScriptCode script, cTextStyleRunObject* groupFirst, SInt32 remainingAtGroup) {
  if (groupText == nullptr || run == nullptr || groupFirst == nullptr) {
    Fail("cTextLineObject::GetWordBrakeRunForResetBrakeLineWithRoman", 1, kSpMsgNullArgument);
    return run;
  }
  OffsetTable bounds;
  FindWordBreaks(const_cast<char*>(groupText), groupLength, offset, true, nullptr, bounds,
                 script);
  const SInt32 wordStart = bounds[0].offFirst;
  if (wordStart > 0) {
    // The word moves, whole, to the next line.
    SInt32 start = 0;
    cTextStyleRunObject* holder = RunAtGroupOffset(groupFirst, wordStart, start);
    if (holder != nullptr && !(holder == head_ && start == wordStart)) {
      if (start == wordStart) return holder;
      cTextStyleRunObject* piece = holder->SplitAfter(
          groupText + start, wordStart - start, "cTextLineObject::ResetBreakLineEachLine");
      if (piece != nullptr) {
        if (holder == tail_) tail_ = piece;
        return piece;
      }
    }
  }
  return CutGroupToRoom(this, string_, port_, groupText, groupLength, head_, tail_, groupFirst,
                        remainingAtGroup);
}

cTextStyleRunObject* cTextLineObject::GetWordBrakeRunForResetBrakeLineWith2Char(
    const char* groupText, SInt32 groupLength, cTextStyleRunObject* run, SInt32 /*offset*/,
    ScriptCode /*script*/, cTextStyleRunObject* groupFirst, SInt32 remainingAtGroup) {
  if (groupText == nullptr || run == nullptr || groupFirst == nullptr) {
    Fail("cTextLineObject::GetWordBrakeRunForResetBrakeLineWith2Char", 1, kSpMsgNullOperator);
    return run;
  }
  return CutGroupToRoom(this, string_, port_, groupText, groupLength, head_, tail_, groupFirst,
                        remainingAtGroup);
}
