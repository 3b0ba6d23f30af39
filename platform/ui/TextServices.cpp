// The Text Services Manager's documents and the input method behind them: the preedit the
// desktop's input method composes becomes the {'text', 1} updates of the active document.
#include "TextServices.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "SpTextCodec.h"
#include "ui/detail/DialogRecord.h"
#include "ui/internal/InputMethod.h"

namespace {

using sp_platform::dialogs::DialogRecord;
using sp_platform::input_method::BackendHooks;

// The update request reads at most 512 bytes of 'tstx'.
constexpr std::size_t kMaxUpdateUnits = 256;

struct Document {
  unsigned long refcon = 0;
  bool useInputWindow = true;
  WindowRef inlineWindow = nullptr;
  RgnHandle inlineRegion = nullptr;
};

// Text as the program sees it: MacJapanese bytes and the UTF-16 that converts to exactly them.
struct Converted {
  std::string bytes;
  std::u16string units;
  std::vector<SInt32> offsets;  // byte offset before each character, and the end
  std::size_t consumed = 0;     // UTF-16 units of the source taken
  SInt32 caret = 0;             // of a preedit: the caret's byte offset
};

struct State {
  std::vector<std::unique_ptr<Document>> documents;
  Document* active = nullptr;
  bool romanOnly = false;
  Converted preedit;  // shown inline; empty when none
  WindowRef fieldWindow = nullptr;  // the dialog whose field shows the preedit; null: none
  BackendHooks hooks = {nullptr, nullptr, nullptr};
  bool appliedInternal = true;
  bool appliedTextInput = true;
  bool applied = false;
};

State& S() {
  static State state;
  return state;
}

Document* Find(TSMDocumentID id) {
  for (const auto& d : S().documents) {
    if (reinterpret_cast<TSMDocumentID>(d.get()) == id) return d.get();
  }
  return nullptr;
}

bool Inline() {
  const State& s = S();
  return s.active != nullptr && !s.active->useInputWindow && !s.romanOnly;
}

// Where no document shows the preedit inline, the front dialog's focused field shows it: the
// Dialog Manager draws it there, so that a reading the input method gives up can be committed
// into the field. Null when there is no such field or the keyboard is held to Roman.
DialogRecord* Field() {
  if (Inline() || S().romanOnly) return nullptr;
  return sp_platform::dialogs::FrontFieldDialog();
}

// The dialog whose field shows a reading now, or null.
DialogRecord* FieldShowing() {
  DialogRecord* record = sp_platform::dialogs::LookupByWindow(S().fieldWindow);
  return record != nullptr && !record->preedit.empty() ? record : nullptr;
}

// The backend follows: the input method's own preedit unless a document or a dialog's field
// shows it; text input unless the keyboard is held to Roman.
void Apply() {
  State& s = S();
  const bool internal = !Inline() && Field() == nullptr;
  const bool textInput = !s.romanOnly;
  if (s.applied && internal == s.appliedInternal && textInput == s.appliedTextInput) return;
  s.applied = true;
  s.appliedInternal = internal;
  s.appliedTextInput = textInput;
  if (s.hooks.setInternalEditing != nullptr) s.hooks.setInternalEditing(internal);
  if (s.hooks.setTextInput != nullptr) s.hooks.setTextInput(textInput);
}

// The preedit shown inline is dropped without a commit (its document went, or stopped showing
// it): the input method forgets it too.
void ForgetPreedit() {
  State& s = S();
  if (s.preedit.bytes.empty()) return;
  s.preedit = Converted();
  if (s.hooks.clearComposition != nullptr) s.hooks.clearComposition();
}

// The reading shown in the field, as typed text is: cut to what the field holds.
// (The bytes are a copy: they may be the reading the field shows, which goes first.)
void PutIntoField(DialogRecord* record, const std::string bytes) {
  sp_platform::dialogs::ShowPreedit(record, std::string(), 0);
  S().fieldWindow = nullptr;
  sp_platform::dialogs::ReplaceSelection(record, bytes);
}

// The characters of the UTF-8 text, each as MacJapanese ('?' when it has none), up to
// maxUnits UTF-16 units of the result.
Converted Convert(const std::string& utf8, std::size_t maxUnits) {
  Converted out;
  const std::u16string source = sp::text::UTF8ToUTF16(utf8);
  std::size_t i = 0;
  while (i < source.size()) {
    const bool pair = i + 1 < source.size() && source[i] >= 0xD800 && source[i] < 0xDC00 &&
                      source[i + 1] >= 0xDC00 && source[i + 1] < 0xE000;
    const std::size_t n = pair ? 2 : 1;
    std::string bytes;
    if (!sp::text::UTF8ToMacJapanese(sp::text::UTF16ToUTF8(source.substr(i, n)), bytes, '?') ||
        bytes.empty()) {
      bytes = "?";
    }
    std::u16string units;
    if (!sp::text::DecodeToUTF16(kTextEncodingMacJapanese, bytes.data(), bytes.size(), units)) {
      bytes = "?";
      units.assign(1, u'?');
    }
    if (out.units.size() + units.size() > maxUnits) break;
    out.offsets.push_back(SInt32(out.bytes.size()));
    out.bytes += bytes;
    out.units += units;
    i += n;
  }
  out.consumed = i;
  out.offsets.push_back(SInt32(out.bytes.size()));
  return out;
}

// The byte offset of a character index, the index held to the text.
SInt32 ByteAt(const Converted& c, SInt32 index) {
  const SInt32 last = SInt32(c.offsets.size()) - 1;
  return c.offsets[std::size_t(std::clamp<SInt32>(index, 0, last))];
}

void PutRanges(EventRef event, EventParamName name, const std::vector<TextRange>& ranges) {
  std::vector<UInt8> data(std::size_t(kTextRangeArrayHeaderSize + kTextRangeSize * SInt32(ranges.size())));
  TextRangeArray* array = reinterpret_cast<TextRangeArray*>(data.data());
  array->fNumOfRanges = SInt16(ranges.size());
  std::copy(ranges.begin(), ranges.end(), &array->fRange[0]);
  SetEventParameter(event, name, typeTextRangeArray, ByteCount(data.size()), data.data());
}

void PutOffsets(EventRef event, const std::vector<SInt32>& offsets) {
  std::vector<UInt8> data(std::size_t(kOffsetArrayHeaderSize + 4 * SInt32(offsets.size())));
  OffsetArray* array = reinterpret_cast<OffsetArray*>(data.data());
  array->fNumOfOffsets = SInt16(offsets.size());
  std::copy(offsets.begin(), offsets.end(), &array->fOffset[0]);
  SetEventParameter(event, kEventParamTextInputSendClauseRng, typeOffsetArray,
                    ByteCount(data.size()), data.data());
}

struct Update {
  const Converted* text;
  SInt32 fixed;
  SInt32 oldLength;  // the preedit it replaces
  std::vector<TextRange> hilites;
  std::vector<SInt32> clauses;
};

EventRef MakeUpdate(const Update& u) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassTextInput, kEventTextInputUpdateActiveInputArea, 0,
                  kEventAttributeNone, &event) != noErr) {
    return nullptr;
  }
  const State& s = S();
  const unsigned long refcon = s.active != nullptr ? s.active->refcon : 0;
  SetEventParameter(event, kEventParamTextInputSendRefCon, typeRefCon, sizeof refcon, &refcon);
  SetEventParameter(event, kEventParamTextInputSendText, typeUnicodeText,
                    ByteCount(u.text->units.size() * 2), u.text->units.data());
  SetEventParameter(event, kEventParamTextInputSendFixLen, typeSInt32, sizeof u.fixed, &u.fixed);
  const SInt32 length = SInt32(u.text->bytes.size());
  PutRanges(event, kEventParamTextInputSendUpdateRng,
            {TextRange{0, u.oldLength, 0}, TextRange{0, length, 0}});
  PutRanges(event, kEventParamTextInputSendHiliteRng, u.hilites);
  PutOffsets(event, u.clauses);
  const TextRange pin = {0, length, 0};
  SetEventParameter(event, kEventParamTextInputSendPinRng, typeTextRange, sizeof pin, &pin);
  return event;
}

void PostUpdate(const Update& u) {
  EventRef event = MakeUpdate(u);
  if (event == nullptr) return;
  PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard);
  ReleaseEvent(event);
}

SInt16 HiliteOf(sp_platform::input_method::ClauseKind kind) {
  using sp_platform::input_method::ClauseKind;
  switch (kind) {
    case ClauseKind::kConverted:
      return kTSMHiliteConvertedText;
    case ClauseKind::kSelectedConverted:
      return kTSMHiliteSelectedConvertedText;
    case ClauseKind::kRaw:
    default:
      return kTSMHiliteRawText;
  }
}

// The preedit shown in the front dialog's field (an empty text ends it). A reading still shown
// in a field that no longer has the keyboard moves to the one that has it: the input method
// still holds it.
void ShowInField(const std::string& utf8, SInt32 caret) {
  State& s = S();
  DialogRecord* record = Field();
  DialogRecord* showing = FieldShowing();
  if (showing != nullptr && showing != record) {
    sp_platform::dialogs::ShowPreedit(showing, std::string(), 0);
  }
  s.fieldWindow = nullptr;
  if (record == nullptr) return;
  const Converted text = Convert(utf8, kMaxUpdateUnits);
  sp_platform::dialogs::ShowPreedit(record, text.bytes, ByteAt(text, caret));
  if (!text.bytes.empty()) s.fieldWindow = record->window;
}

// The commit of the preedit: the text replaces it, all fixed, the caret after it.
Update CommitUpdate(const Converted& text, SInt32 oldLength) {
  const SInt32 length = SInt32(text.bytes.size());
  return Update{&text, length, oldLength, {TextRange{length, length, kTSMHiliteCaretPosition}},
                {0, length}};
}

}  // namespace

// ---- Documents ----

OSErr NewTSMDocument(SInt16 numOfInterface, const OSType* supportedInterfaceTypes,
                     TSMDocumentID* idocID, unsigned long refcon) {
  if (idocID == nullptr || supportedInterfaceTypes == nullptr || numOfInterface != 1 ||
      supportedInterfaceTypes[0] != kTextService) {
    return paramErr;
  }
  std::unique_ptr<Document> d(new (std::nothrow) Document());
  if (!d) return memFullErr;
  d->refcon = refcon;
  *idocID = reinterpret_cast<TSMDocumentID>(d.get());
  S().documents.push_back(std::move(d));
  return noErr;
}

OSErr DeleteTSMDocument(TSMDocumentID idocID) {
  Document* d = Find(idocID);
  if (d == nullptr) return tsmInvalidDocIDErr;
  if (S().active == d) DeactivateTSMDocument(idocID);
  auto& docs = S().documents;
  docs.erase(std::remove_if(docs.begin(), docs.end(),
                            [d](const std::unique_ptr<Document>& p) { return p.get() == d; }),
             docs.end());
  return noErr;
}

OSErr ActivateTSMDocument(TSMDocumentID idocID) {
  Document* d = Find(idocID);
  if (d == nullptr) return tsmInvalidDocIDErr;
  State& s = S();
  if (s.active != d) {
    ForgetPreedit();
    s.active = d;
  }
  Apply();
  return noErr;
}

OSErr DeactivateTSMDocument(TSMDocumentID idocID) {
  Document* d = Find(idocID);
  if (d == nullptr) return tsmInvalidDocIDErr;
  State& s = S();
  if (s.active != d) return tsmDocNotActiveErr;
  ForgetPreedit();
  s.active = nullptr;
  Apply();
  return noErr;
}

OSErr FixTSMDocument(TSMDocumentID idocID) {
  Document* d = Find(idocID);
  if (d == nullptr) return tsmInvalidDocIDErr;
  State& s = S();
  if (s.active != d) return tsmDocNotActiveErr;
  if (s.preedit.bytes.empty()) return noErr;
  const Converted text = s.preedit;
  s.preedit = Converted();
  if (s.hooks.clearComposition != nullptr) s.hooks.clearComposition();
  if (EventRef event = MakeUpdate(CommitUpdate(text, SInt32(text.bytes.size())))) {
    // The program hears of the commit before the call returns, as of a fix it asked for.
    SendEventToEventTarget(event, GetApplicationEventTarget());
    ReleaseEvent(event);
  }
  return noErr;
}

OSErr UseInputWindow(TSMDocumentID idocID, Boolean useWindow) {
  State& s = S();
  if (idocID == nullptr) {
    for (const auto& d : s.documents) d->useInputWindow = useWindow != 0;
  } else {
    Document* d = Find(idocID);
    if (d == nullptr) return tsmInvalidDocIDErr;
    d->useInputWindow = useWindow != 0;
  }
  if (!Inline()) ForgetPreedit();
  Apply();
  return noErr;
}

OSErr TSMSetInlineInputRegion(TSMDocumentID inTSMDocument, WindowRef inWindow,
                              RgnHandle inRegion) {
  Document* d = Find(inTSMDocument);
  if (d == nullptr) return tsmInvalidDocIDErr;
  d->inlineWindow = inWindow;
  d->inlineRegion = inRegion;
  return noErr;
}

// ---- The input method ----

namespace sp_platform {
namespace input_method {

void PreeditChanged(const std::string& utf8, SInt32 caret, SInt32 segmentStart,
                    SInt32 segmentLength) {
  // The one marked segment is the selected converted clause.
  std::vector<Clause> clauses;
  if (segmentLength > 0) {
    clauses.push_back(Clause{segmentStart, segmentLength, ClauseKind::kSelectedConverted});
  }
  PreeditClausesChanged(utf8, caret, clauses);
}

void PreeditClausesChanged(const std::string& utf8, SInt32 caret,
                           const std::vector<Clause>& clauses) {
  if (!Inline()) {
    ShowInField(utf8, caret);
    return;
  }
  State& s = S();
  if (utf8.empty() && s.preedit.bytes.empty()) return;
  const Converted text = Convert(utf8, kMaxUpdateUnits);
  const SInt32 length = SInt32(text.bytes.size());
  Update u{&text, 0, SInt32(s.preedit.bytes.size()), {}, {0}};
  if (length > 0) {
    for (const Clause& c : clauses) {
      // Clauses are held to the text (a preedit cut at the update's size loses its tail's).
      const SInt32 first = ByteAt(text, c.start);
      const SInt32 last = ByteAt(text, c.start + std::max<SInt32>(c.length, 0));
      if (c.length <= 0 || first >= last || first < u.clauses.back()) continue;
      u.hilites.push_back(TextRange{first, last, HiliteOf(c.kind)});
      for (SInt32 o : {first, last}) {
        if (o != u.clauses.back() && o != length) u.clauses.push_back(o);
      }
    }
    if (u.hilites.empty()) u.hilites.push_back(TextRange{0, length, kTSMHiliteRawText});
    u.clauses.push_back(length);
  }
  const SInt32 at = ByteAt(text, caret);
  u.hilites.push_back(TextRange{at, at, kTSMHiliteCaretPosition});
  PostUpdate(u);
  s.preedit = text;
  s.preedit.caret = at;
}

bool Committed(const std::string& utf8) {
  State& s = S();
  if (!Inline()) {
    // The commit comes to the field as typed text, in its place among the keys.
    if (DialogRecord* record = FieldShowing()) {
      sp_platform::dialogs::ShowPreedit(record, std::string(), 0);
    }
    s.fieldWindow = nullptr;
    return false;
  }
  if (s.preedit.bytes.empty()) return false;
  SInt32 replaced = SInt32(s.preedit.bytes.size());
  s.preedit = Converted();
  // A commit longer than one update can carry goes in pieces, each fixed where it stands.
  std::u16string rest = sp::text::UTF8ToUTF16(utf8);
  do {
    const Converted piece = Convert(sp::text::UTF16ToUTF8(rest), kMaxUpdateUnits);
    if (piece.consumed == 0 && !rest.empty()) break;
    PostUpdate(CommitUpdate(piece, replaced));
    replaced = 0;
    rest.erase(0, piece.consumed);
  } while (!rest.empty());
  return true;
}

bool CommittedAsShown(const std::string& utf8) {
  if (Inline()) return Committed(utf8);
  DialogRecord* record = FieldShowing();
  if (record == nullptr) return false;
  PutIntoField(record, Convert(utf8, SIZE_MAX).bytes);
  return true;
}

void FixFieldPreedit() {
  State& s = S();
  if (s.fieldWindow == nullptr) return;
  if (DialogRecord* record = FieldShowing()) {
    PutIntoField(record, record->preedit);
  }
  s.fieldWindow = nullptr;
  if (s.hooks.clearComposition != nullptr) s.hooks.clearComposition();
}

void FollowFront() {
  State& s = S();
  if (s.fieldWindow != nullptr) {
    const DialogRecord* field = Field();
    if (field == nullptr || field->window != s.fieldWindow) FixFieldPreedit();
  }
  Apply();
}

bool ComposingInline() {
  return Inline() && !S().preedit.bytes.empty();
}

std::string PreeditBytes() {
  return S().preedit.bytes;
}

void SetBackendHooks(const BackendHooks* hooks) {
  State& s = S();
  s.hooks = hooks != nullptr ? *hooks : BackendHooks{nullptr, nullptr, nullptr};
  s.applied = false;
  Apply();
}

bool CaretRect(Rect* global) {
  State& s = S();
  if (global == nullptr) return false;
  if (!Inline()) return sp_platform::dialogs::FrontFieldCaret(global);
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassTextInput, kEventTextInputOffsetToPos, 0,
                  kEventAttributeNone, &event) != noErr) {
    return false;
  }
  const unsigned long refcon = s.active->refcon;
  SetEventParameter(event, kEventParamTextInputSendRefCon, typeRefCon, sizeof refcon, &refcon);
  const SInt32 offset = s.preedit.caret;
  SetEventParameter(event, kEventParamTextInputSendTextOffset, typeSInt32, sizeof offset, &offset);
  Point where = {0, 0};
  SInt16 lineHeight = 0;
  const bool answered =
      SendEventToEventTarget(event, GetApplicationEventTarget()) == noErr &&
      GetEventParameter(event, kEventParamTextInputReplyPoint, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) == noErr;
  if (GetEventParameter(event, kEventParamTextInputReplyLineHeight, typeSInt16, nullptr,
                        sizeof lineHeight, nullptr, &lineHeight) != noErr ||
      lineHeight < 1) {
    lineHeight = 16;
  }
  ReleaseEvent(event);
  if (!answered) return false;
  *global = Rect{SInt16(std::max(-32768, where.v - lineHeight)), where.h, where.v,
                 SInt16(std::min(32767, where.h + 1))};
  return true;
}

bool TextInputOn() {
  return !S().romanOnly;
}

bool InternalEditingOn() {
  return !Inline() && Field() == nullptr;
}

void KeyboardScriptChanged(bool roman) {
  State& s = S();
  if (s.romanOnly == roman) return;
  s.romanOnly = roman;
  if (roman) {
    ForgetPreedit();
    FixFieldPreedit();
  }
  Apply();
}

void Reset() {
  State& s = S();
  s.documents.clear();
  s.active = nullptr;
  s.romanOnly = false;
  s.preedit = Converted();
  s.fieldWindow = nullptr;
  s.applied = false;
  Apply();
}

}  // namespace input_method
}  // namespace sp_platform
