// Text services: update records, the byte splice of the unconfirmed text, and the input
// method's three requests (update the active input area, position to offset, offset to
// position) in their Apple-event and Carbon-event forms.
//
// Both forms read their parameters into one request and share the rest. Nothing of a request
// is trusted: ranges are held to the text they index, counts to the entries their bytes hold,
// and the manager a request names must be ours.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FixMath.h"
#include "MacWindows.h"
#include "OSUtils.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpMainEventLoop.h"
#include "SpPortSaver.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpTextService.h"

namespace {

const char kSource[] = "SpTextService";

// The Carbon form reads at most 512 bytes of 'tstx' and two hilite ranges.
constexpr std::size_t kCarbonTextBytes = 512;
constexpr std::size_t kCarbonBufferBytes = 1024;
constexpr SInt32 kCarbonMaxRanges = 2;
// Unconfirmed text is a few words; an input method that only ever adds to it is held here.
constexpr std::size_t kMaxPendingBytes = 4096;

// ---- Ranges and arrays ----

TextRange HeldTo(TextRange r, SInt32 length) {
  r.fStart = std::clamp<SInt32>(r.fStart, 0, std::max<SInt32>(length, 0));
  r.fEnd = std::clamp<SInt32>(r.fEnd, r.fStart, std::max<SInt32>(length, 0));
  return r;
}

// The ranges of a 'tray' array: its count, but no more than its bytes hold (or maxRanges).
std::vector<TextRange> RangesOf(const UInt8* data, std::size_t size, SInt32 maxRanges) {
  std::vector<TextRange> out;
  if (data == nullptr || size < std::size_t(kTextRangeArrayHeaderSize)) return out;
  SInt16 count = 0;
  std::memcpy(&count, data, sizeof count);
  const SInt32 held = SInt32((size - kTextRangeArrayHeaderSize) / kTextRangeSize);
  const SInt32 n = std::min<SInt32>({SInt32(count), held, maxRanges});
  for (SInt32 i = 0; i < n; ++i) {
    TextRange r;
    std::memcpy(&r, data + kTextRangeArrayHeaderSize + i * kTextRangeSize, sizeof r);
    out.push_back(r);
  }
  return out;
}

// The offsets of an 'ofay' array, likewise bounded by its bytes.
std::vector<SInt32> OffsetsOf(const UInt8* data, std::size_t size) {
  std::vector<SInt32> out;
  if (data == nullptr || size < std::size_t(kOffsetArrayHeaderSize)) return out;
  SInt16 count = 0;
  std::memcpy(&count, data, sizeof count);
  const SInt32 held = SInt32((size - kOffsetArrayHeaderSize) / 4);
  const SInt32 n = std::min<SInt32>(count, held);
  for (SInt32 i = 0; i < n; ++i) {
    SInt32 offset = 0;
    std::memcpy(&offset, data + kOffsetArrayHeaderSize + 4 * i, sizeof offset);
    out.push_back(offset);
  }
  return out;
}

// ---- The update request ----

struct UpdateRequest {
  std::string text;  // the active input area's text (MacJapanese)
  bool fixPresent = false;
  SInt32 fix = 0;
  std::vector<TextRange> hilites;
  bool hasUpdate = false;
  TextRange oldRange{0, 0, 0};
  TextRange newRange{0, 0, 0};
  std::vector<SInt32> clauses;
  bool hasPin = false;
  TextRange pin{0, 0, 0};
};

std::string StringOf(const sSO_StringObjectBase* s) {
  const SInt32 length = SpSO_GetStringLen(s);
  if (length <= 0) return std::string();
  std::vector<char> buffer(std::size_t(length) + 2, 0);
  unsigned char cut = 0;
  SpSO_GetString(s, buffer.data(), SInt32(buffer.size()), cut);
  return std::string(buffer.data(), std::size_t(length));
}

std::string EditStringOf(const cTSO_UpdateData* data) {
  const SInt32 length = data->GetEditStringSize();
  std::vector<char> buffer(std::size_t(length) + 4, 0);
  unsigned char overflow = 0;
  data->GetEditString(buffer.data(), SInt32(buffer.size()), overflow);
  return std::string(buffer.data(), std::size_t(length));
}

// The splice on copies: `into`'s range replaced by `from`'s.
std::string Spliced(const std::string& into, TextRange& intoRange, const std::string& from,
                    TextRange& fromRange) {
  std::vector<char> dest(into.size() + from.size() + 10, 0);
  std::memcpy(dest.data(), into.data(), into.size());
  SInt32 length = 0;
  SpTextServiceCutAndSetString(dest.data(), intoRange, from.c_str(), fromRange, &length);
  return std::string(dest.data(), std::size_t(length));
}

void SetString(sSO_StringObjectBase* s, const std::string& text) {
  if (text.empty()) {
    SpSO_Clear(s);
  } else {
    SpSO_strncopy(s, text.c_str(), SInt32(text.size()));
  }
}

// Removes the first n bytes; all of them when there are no more.
void RemoveFront(sSO_StringObjectBase* s, SInt32 n) {
  if (n <= 0) return;
  if (n >= SpSO_GetStringLen(s)) {
    SpSO_Clear(s);
  } else {
    SpSO_CutDownBeforeString(s, n);
  }
}

// The change of the text: the old range of the pending text replaced by the new range of the
// edit string, kept from splitting a two-byte character at either end; the pending text then
// follows the change.
void ApplyUpdateRanges(const UpdateRequest& r, cTSO_UpdateData* data,
                       sSO_StringObjectBase* pending) {
  std::string edit = EditStringOf(data);
  const std::string before = pending != nullptr ? StringOf(pending) : std::string();
  TextRange oldRange = HeldTo(r.oldRange, SInt32(before.size()));
  TextRange newRange = HeldTo(r.newRange, SInt32(edit.size()));
  const SInt32 editLength = SInt32(edit.size());
  if (editLength > 0 && pending != nullptr) {
    TextRange o = oldRange, n = newRange;
    const std::string spliced = Spliced(before, o, edit, n);
    const SInt32 length = SInt32(spliced.size());
    bool rebuild = false;
    const SInt32 end = oldRange.fStart + (newRange.fEnd - newRange.fStart);
    Boolean first = 0;
    if (end > 0 && end < length && Sp_IsTwoByteChar(spliced.c_str(), end - 1, &first) && first) {
      ++oldRange.fEnd;
      ++newRange.fEnd;
      if (newRange.fEnd > editLength) rebuild = true;
    }
    if (oldRange.fStart > 0 && oldRange.fStart < length &&
        Sp_IsTwoByteChar(spliced.c_str(), oldRange.fStart, &first) && !first) {
      --oldRange.fStart;
      if (newRange.fStart < 1) {
        newRange.fStart = 0;
        ++newRange.fEnd;
        rebuild = true;
      } else {
        --newRange.fStart;
      }
    }
    if (rebuild) {
      const SInt32 from = std::min(oldRange.fStart, length);
      edit = spliced.substr(std::size_t(from), std::size_t(std::min(newRange.fEnd, length - from)));
      data->SetupEditString(edit.c_str(), SInt32(edit.size()));
      newRange = HeldTo(newRange, SInt32(edit.size()));
    }
    oldRange = HeldTo(oldRange, SInt32(before.size()));
  }
  if (pending != nullptr) {
    if (!r.fixPresent || r.fix != -1) {
      std::string result;
      if (before.empty()) {
        result = edit.substr(std::size_t(newRange.fStart),
                             std::size_t(newRange.fEnd - newRange.fStart));
      } else {
        TextRange o = oldRange, n = newRange;
        result = Spliced(before, o, edit, n);
      }
      if (r.fixPresent && r.fix > 0) {
        result = SInt32(result.size()) <= r.fix ? std::string() : result.substr(std::size_t(r.fix));
      }
      if (result.size() > kMaxPendingBytes) result.erase(0, result.size() - kMaxPendingBytes);
      SetString(pending, result);
    } else {
      SpSO_Clear(pending);
    }
  }
  data->SetupUpdateOldPoist(oldRange);
  data->SetupUpdateNewPosit(newRange);
}

// Builds the record of the request and hands it to the current target.
OSStatus DeliverUpdate(cTextServiceObjectManager* manager, const UpdateRequest& r,
                       bool appleEventForm) {
  cTSO_UpdateData* data = new (std::nothrow) cTSO_UpdateData();
  if (data == nullptr) return memFullErr;
  const SInt32 textLength = SInt32(r.text.size());
  if (textLength > 0) data->SetupEditString(r.text.c_str(), textLength);
  const SInt32 editLength = data->GetEditStringSize();
  SInt32 fixed = 0;
  if (r.fixPresent && r.fix != 0) {
    fixed = (appleEventForm && r.fix < 0) ? textLength : r.fix;
  }
  // No more can be confirmed than was sent.
  data->SetupFixStrigLength(std::min(fixed, editLength));
  for (const TextRange& h : r.hilites) data->AddHiliteRange(HeldTo(h, editLength));
  sSO_StringObjectBase* pending = manager->GetPendingString();
  if (r.hasUpdate) {
    ApplyUpdateRanges(r, data, pending);
  } else if (r.fixPresent && r.fix != 0 && pending != nullptr) {
    if (r.fix < 0) {
      SpSO_Clear(pending);
    } else {
      RemoveFront(pending, r.fix);
    }
  }
  for (SInt32 c : r.clauses) data->AddClauseOffsets(std::clamp<SInt32>(c, 0, editLength));
  if (r.hasPin) data->SetupOutputRange(HeldTo(r.pin, editLength));
  if (appleEventForm && textLength == 1) {
    TextRange n;
    data->GetUpdatenewPosit(n);
    if (n.fStart > 1 || n.fEnd > 1) data->ModifyHiCharLengthFromStringLength();
  }
  if (cTextServiceObject* target = manager->GetCurrentTargetItem()) {
    target->UpdateActiveInputArea(data);
  }
  delete data;
  return noErr;
}

// ---- Reading Apple-event parameters ----

// The bytes of a parameter; false with the error when it cannot be read.
OSErr ParamBytes(const AppleEvent* event, AEKeyword key, DescType type, std::vector<UInt8>& out) {
  AEDesc desc = {typeNull, nullptr};
  OSErr err = AEGetParamDesc(event, key, type, &desc);
  if (err != noErr) return err;
  const Size size = AEGetDescDataSize(&desc);
  out.assign(std::size_t(std::max<Size>(size, 0)), 0);
  if (size > 0 && desc.dataHandle != nullptr) std::memcpy(out.data(), *desc.dataHandle, out.size());
  AEDisposeDesc(&desc);
  return noErr;
}

// The manager an Apple-event request names: null for none (0), and for any value that is not
// the program's one manager.
OSErr RequestManager(const AppleEvent* event, cTextServiceObjectManager** manager) {
  URefCon refcon = 0;
  *manager = nullptr;
  const OSErr err = AEGetParamPtr(event, keyAETSMDocumentRefcon, typeRefCon, nullptr, &refcon,
                                  sizeof refcon, nullptr);
  if (err != noErr) return err;
  if (refcon != 0 && refcon == reinterpret_cast<URefCon>(textServiceMgr_GlV)) {
    *manager = textServiceMgr_GlV;
  }
  return noErr;
}

// ---- Positions ----

struct PositionAnswer {
  SInt16 regionClass = kTSMOutsideOfBody;
  bool offsetKnown = false;
  SInt32 offset = 0;
};

// Where a global point falls for the current target: only in the content of the front window,
// when that is the target's.
PositionAnswer PositionToOffset(cTextServiceObject* target, Point global) {
  PositionAnswer a;
  WindowRef window = nullptr;
  const short part = FindWindow(global, &window);
  if (window == nullptr || window != FrontWindow() || window != target->GetTargetWindow() ||
      part != inContent) {
    return a;
  }
  Point local = global;
  {
    cSpPortSaver port(window);
    GlobalToLocal(&local);
  }
  a.regionClass = target->PositionToPartsTypeNo(local);
  if (a.regionClass == kTSMInsideOfBody || a.regionClass == kTSMInsideOfActiveInputArea) {
    if (target->PositionToByteChar(local, a.regionClass, a.offset) != 0) {
      a.offsetKnown = true;
    } else {
      a.regionClass = kTSMOutsideOfBody;
    }
  }
  return a;
}

Point ToGlobal(WindowRef window, Point local) {
  if (window == nullptr) return local;
  cSpPortSaver port(window);
  LocalToGlobal(&local);
  return local;
}

// One answer of the offset-to-position request: put by the form's own writer.
typedef OSErr (*tPutProc)(void* where, OSType key, DescType type, const void* data, Size size);

// The five attribute answers, each only when the target gives it, stopping at the first put
// that fails.
void PutAttributes(cTextServiceObject* target, SInt32 offset, const OSType keys[5], tPutProc put,
                   void* where) {
  SInt16 value = 0;
  if (target->GetPositionFont(offset, value) != 0) {
    const SInt32 font = value;
    if (put(where, keys[0], typeSInt32, &font, sizeof font) != noErr) return;
  }
  if (target->GetPositionTextSize(offset, value) != 0) {
    const Fixed size = Long2Fix(value);
    if (put(where, keys[1], typeFixed, &size, sizeof size) != noErr) return;
  }
  if (target->GetPositionLineHeight(offset, value) != 0) {
    if (put(where, keys[2], typeSInt16, &value, sizeof value) != noErr) return;
  }
  if (target->GetPositionLineAscent(offset, value) != 0) {
    if (put(where, keys[3], typeSInt16, &value, sizeof value) != noErr) return;
  }
  if (target->GetPositionAngle(offset, value) != 0) {
    const Fixed angle = Long2Fix(value);
    put(where, keys[4], typeFixed, &angle, sizeof angle);
  }
}

OSErr PutOnReply(void* where, OSType key, DescType type, const void* data, Size size) {
  return AEPutParamPtr(static_cast<AppleEvent*>(where), key, type, data, size);
}

OSErr PutOnEvent(void* where, OSType key, DescType type, const void* data, Size size) {
  return OSErr(SetEventParameter(static_cast<EventRef>(where), key, type, ByteCount(size), data));
}

}  // namespace

// ---- cTSO_Range ----

void cTSO_Range::SetValue(const TextRange& range) {
  start_ = range.fStart;
  end_ = range.fEnd;
  style_ = range.fHiliteStyle;
}

void cTSO_Range::GetValue(TextRange& range) const {
  range.fStart = start_;
  range.fEnd = end_;
  range.fHiliteStyle = style_;
}

void cTSO_Range::SetupReference() {
  for (cTSO_Range* r = this; r != nullptr; r = r->GetNextObjectPtr()) {
    cTSO_Range* before = r->GetBeforeObjectPtr();
    r->reference_ = before != nullptr ? before->reference_ + 1 : 1;
  }
}

unsigned char cTSO_Range::GetTaregetValueByLink(SInt32 number, TextRange& range) {
  for (cTSO_Range* r = this; r != nullptr; r = r->GetNextObjectPtr()) {
    if (r->reference_ == number) {
      r->GetValue(range);
      return 1;
    }
  }
  return 0;
}

// ---- cTSO_UpdateData ----

cTSO_UpdateData::~cTSO_UpdateData() {
  if (editString_ != nullptr) SpSO_DisposeStringObject(editString_);
  SpDeleteList(hiliteHead_);
  hiliteHead_ = nullptr;
  hiliteTail_ = nullptr;
}

void cTSO_UpdateData::SetupEditString(const char* text, SInt32 length) {
  if (text == nullptr) return;
  if (editString_ == nullptr) editString_ = SpSO_NewStringObject();
  if (editString_ == nullptr) {
    SpReportFailure(kSource, "cTSO_UpdateData::SetupEditString", 1, kSpMsgMemory);
    return;
  }
  const SInt32 n = SInt32(strnlen(text, std::size_t(std::max<SInt32>(length, 0))));
  SetString(editString_, std::string(text, std::size_t(n)));
}

void cTSO_UpdateData::AddHiliteRange(const TextRange& range) {
  cTSO_Range* item = new (std::nothrow) cTSO_Range();
  if (item == nullptr) return;
  item->SetValue(range);
  SpAppendToList(hiliteHead_, hiliteTail_, item);
  item->SetupReference();
  ++hiliteCount_;
}

void cTSO_UpdateData::AddClauseOffsets(SInt32 offset) {
  clauses_.SetValue(-1, static_cast<unsigned long>(UInt32(offset)));
}

SInt32 cTSO_UpdateData::GetEditStringSize() const {
  return editString_ != nullptr ? SpSO_GetStringLen(editString_) : 0;
}

void cTSO_UpdateData::GetEditString(char* buffer, SInt32 size, unsigned char& overflow) const {
  overflow = 0;
  if (buffer == nullptr || size < 1) {
    overflow = 1;
    SpReportFailure(kSource, "cTSO_UpdateData::GetEditString", 1, "Argument error !! ");
    return;
  }
  if (editString_ == nullptr) return;
  const std::string text = StringOf(editString_);
  const std::size_t room = std::size_t(std::max<SInt32>(size - 2, 0));
  const std::size_t n = std::min(room, text.size());
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  if (n + 1 < std::size_t(size)) buffer[n + 1] = '\0';
  overflow = n < text.size() ? 1 : 0;
}

unsigned char cTSO_UpdateData::GetHiliteRangeListItem(SInt32 number, TextRange& range) const {
  return hiliteHead_ != nullptr ? hiliteHead_->GetTaregetValueByLink(number, range) : 0;
}

void cTSO_UpdateData::GetClsuseOffsetsCollection(cSp_uLongCollection* collection) const {
  if (collection == nullptr) return;
  *collection = clauses_;
}

void cTSO_UpdateData::ModifyHiCharLengthFromStringLength() {
  if (editString_ == nullptr) {
    SpReportFailure(kSource, "cTSO_UpdateData::ModifyHiCharLengthFromStringLength", 1,
                    kSpMsgDataError);
    return;
  }
  const SInt32 length = GetEditStringSize();
  auto hold = [length](cTSO_Range& r) {
    TextRange v;
    r.GetValue(v);
    if (v.fStart <= length && v.fEnd <= length) return;
    v.fStart = std::min(v.fStart, length);
    v.fEnd = std::min(v.fEnd, length);
    r.SetValue(v);
  };
  for (cTSO_Range* r = hiliteHead_; r != nullptr; r = r->GetNextObjectPtr()) hold(*r);
  hold(new_);
  hold(output_);
}

// ---- The splice ----

void SpTextServiceCutAndSetString(char* dest, TextRange& destRange, const char* src,
                                  TextRange& srcRange, SInt32* resultLength) {
  if (dest == nullptr || src == nullptr) {
    SpReportFailure(kSource, "SpTextServiceCutAndSetString", 1, kSpMsgNullArgument);
    return;
  }
  const SInt32 destLength = SInt32(std::strlen(dest));
  destRange = HeldTo(destRange, destLength);
  srcRange = HeldTo(srcRange, SInt32(std::strlen(src)));
  const SInt32 oldLength = destRange.fEnd - destRange.fStart;
  const SInt32 newLength = srcRange.fEnd - srcRange.fStart;
  SInt32 length = 0;
  if (destRange.fEnd < destLength) {
    const SInt32 diff = oldLength - newLength;
    std::memmove(dest + destRange.fEnd - diff, dest + destRange.fEnd,
                 std::size_t(destLength - destRange.fEnd));
    length = destLength - diff;
  } else {
    length = destRange.fStart + newLength;
  }
  std::memcpy(dest + destRange.fStart, src + srcRange.fStart, std::size_t(newLength));
  dest[length] = '\0';
  if (resultLength != nullptr) *resultLength = length;
}

// ---- The requests ----

OSErr cTextServiceObjectManager::TSMUpdateActiveInputArea(const AppleEvent* event,
                                                          AppleEvent*) {
  if (event == nullptr) return paramErr;
  UpdateRequest r;
  std::vector<UInt8> bytes;
  OSErr err = ParamBytes(event, keyAETheData, typeChar, bytes);
  if (err != noErr) return err;
  r.text.assign(bytes.begin(), bytes.end());
  SInt32 fix = 0;
  if (AEGetParamPtr(event, keyAEFixLength, typeSInt32, nullptr, &fix, sizeof fix, nullptr) ==
      noErr) {
    r.fixPresent = true;
    r.fix = fix;
  }
  if (ParamBytes(event, keyAETheHiliteRange, typeTextRangeArray, bytes) == noErr &&
      bytes.size() >= sizeof(TextRangeArray)) {
    r.hilites = RangesOf(bytes.data(), bytes.size(), 0x7FFF);
  }
  if (ParamBytes(event, keyAEUpdateRange, typeTextRangeArray, bytes) == noErr) {
    const std::vector<TextRange> u = RangesOf(bytes.data(), bytes.size(), 2);
    SInt16 count = 0;
    if (bytes.size() >= 2) std::memcpy(&count, bytes.data(), sizeof count);
    if (count == 2 && u.size() == 2) {
      r.hasUpdate = true;
      r.oldRange = u[0];
      r.newRange = u[1];
    }
  }
  if (ParamBytes(event, keyAEClauseOffsets, typeOffsetArray, bytes) == noErr) {
    r.clauses = OffsetsOf(bytes.data(), bytes.size());
  }
  TextRange pin;
  if (AEGetParamPtr(event, keyAEPinRange, typeTextRange, nullptr, &pin, sizeof pin, nullptr) ==
      noErr) {
    r.hasPin = true;
    r.pin = pin;
  }
  return OSErr(DeliverUpdate(this, r, true));
}

OSStatus cTextServiceObjectManager::TSMUpdateActiveInputAreaForCarbonEvent(EventRef event) {
  if (event == nullptr) return paramErr;
  UpdateRequest r;
  std::vector<UInt16> units(kCarbonBufferBytes / 2, 0);
  ByteCount size = 0;
  OSStatus err = GetEventParameter(event, kEventParamTextInputSendText, typeUnicodeText, nullptr,
                                   kCarbonTextBytes, &size, units.data());
  if (err != noErr) return err;
  size = std::min<ByteCount>(size, kCarbonTextBytes) & ~ByteCount(1);
  std::vector<char> converted(kCarbonBufferBytes, 0);
  if (size > 0 &&
      Sp_UnicodeToShiftJIS(units.data(), size, converted.data(), long(converted.size() - 1)) == 0) {
    return paramErr;
  }
  r.text = converted.data();
  SInt32 fix = 0;
  if (GetEventParameter(event, kEventParamTextInputSendFixLen, typeSInt32, nullptr, sizeof fix,
                        nullptr, &fix) == noErr) {
    r.fixPresent = true;
    r.fix = fix;
  }
  UInt8 ranges[kTextRangeArrayHeaderSize + kCarbonMaxRanges * kTextRangeSize] = {};
  if (GetEventParameter(event, kEventParamTextInputSendHiliteRng, typeTextRangeArray, nullptr,
                        sizeof ranges, &size, ranges) == noErr) {
    r.hilites = RangesOf(ranges, std::min<std::size_t>(size, sizeof ranges), kCarbonMaxRanges);
  }
  std::memset(ranges, 0, sizeof ranges);
  if (GetEventParameter(event, kEventParamTextInputSendUpdateRng, typeTextRangeArray, nullptr,
                        sizeof ranges, &size, ranges) == noErr) {
    const std::vector<TextRange> u =
        RangesOf(ranges, std::min<std::size_t>(size, sizeof ranges), kCarbonMaxRanges);
    SInt16 count = 0;
    std::memcpy(&count, ranges, sizeof count);
    if (count == 2 && u.size() == 2) {
      r.hasUpdate = true;
      r.oldRange = u[0];
      r.newRange = u[1];
    }
  }
  if (GetEventParameter(event, kEventParamTextInputSendClauseRng, typeOffsetArray, nullptr, 0,
                        &size, nullptr) == noErr &&
      size > 0) {
    std::vector<UInt8> bytes(size, 0);
    if (GetEventParameter(event, kEventParamTextInputSendClauseRng, typeOffsetArray, nullptr,
                          size, &size, bytes.data()) == noErr) {
      r.clauses = OffsetsOf(bytes.data(), bytes.size());
    }
  }
  TextRange pin;
  if (GetEventParameter(event, kEventParamTextInputSendPinRng, typeTextRange, nullptr,
                        sizeof pin, nullptr, &pin) == noErr) {
    r.hasPin = true;
    r.pin = pin;
  }
  return DeliverUpdate(this, r, false);
}

OSErr cTextServiceObjectManager::TSMPos2OffsetConvert(const AppleEvent* event, AppleEvent* reply) {
  if (event == nullptr) return paramErr;
  if (current_ == nullptr) return noErr;
  Point global;
  OSErr err = AEGetParamPtr(event, keyAECurrentPoint, typeQDPoint, nullptr, &global,
                            sizeof global, nullptr);
  if (err != noErr) return err;
  const PositionAnswer a = PositionToOffset(current_, global);
  Boolean dragging = 0;
  err = AEGetParamPtr(event, keyAEDragging, typeBoolean, nullptr, &dragging, sizeof dragging,
                      nullptr);
  if (err != noErr) return err;
  OSErr put = noErr;
  if (a.offsetKnown) put = AEPutParamPtr(reply, keyAEOffset, typeSInt32, &a.offset, sizeof a.offset);
  if (put == noErr) {
    put = AEPutParamPtr(reply, keyAERegionClass, typeSInt16, &a.regionClass, sizeof a.regionClass);
  }
  if (put == noErr) {
    const Boolean leftSide = 1;
    put = AEPutParamPtr(reply, keyAELeftSide, typeBoolean, &leftSide, sizeof leftSide);
  }
  const SInt16 errorNumber = put;
  AEPutParamPtr(reply, keyErrorNumber, typeSInt16, &errorNumber, sizeof errorNumber);
  return noErr;
}

OSStatus cTextServiceObjectManager::TSMPos2OffsetConvertForCarbonEvent(EventRef event) {
  if (event == nullptr) return paramErr;
  if (current_ == nullptr) return eventNotHandledErr;
  Point global;
  OSStatus err = GetEventParameter(event, kEventParamTextInputSendCurrentPoint, typeQDPoint,
                                   nullptr, sizeof global, nullptr, &global);
  if (err != noErr) return err;
  const PositionAnswer a = PositionToOffset(current_, global);
  Boolean dragging = 0;
  err = GetEventParameter(event, kEventParamTextInputSendDraggingMode, typeBoolean, nullptr,
                          sizeof dragging, nullptr, &dragging);
  if (err != noErr) return err;
  if (a.offsetKnown) {
    err = SetEventParameter(event, kEventParamTextInputReplyTextOffset, typeSInt32,
                            sizeof a.offset, &a.offset);
  }
  if (err == noErr) {
    err = SetEventParameter(event, kEventParamTextInputReplyRegionClass, typeSInt16,
                            sizeof a.regionClass, &a.regionClass);
  }
  if (err == noErr) {
    const Boolean leftSide = 1;
    err = SetEventParameter(event, kEventParamTextInputReplyLeadingEdge, typeBoolean,
                            sizeof leftSide, &leftSide);
  }
  return err;
}

OSErr cTextServiceObjectManager::TSMOffset2PosConvert(const AppleEvent* event, AppleEvent* reply) {
  if (event == nullptr) return paramErr;
  if (current_ == nullptr) return noErr;
  SInt32 offset = 0;
  const OSErr err =
      AEGetParamPtr(event, keyAEOffset, typeSInt32, nullptr, &offset, sizeof offset, nullptr);
  if (err != noErr) return err;
  Point point = {0, 0};
  const SInt16 errorNumber =
      current_->ByteCharToPositon(offset, point) != 0 ? SInt16(noErr) : SInt16(errOffsetIsOutsideOfView);
  point = ToGlobal(current_->GetTargetWindow(), point);
  if (AEPutParamPtr(reply, keyAEPoint, typeQDPoint, &point, sizeof point) == noErr) {
    static const OSType kKeys[5] = {keyAETextFont, keyAETextPointSize, keyAETextLineHeight,
                                    keyAETextLineAscent, keyAEAngle};
    PutAttributes(current_, offset, kKeys, PutOnReply, reply);
  }
  AEPutParamPtr(reply, keyErrorNumber, typeSInt16, &errorNumber, sizeof errorNumber);
  return noErr;
}

OSStatus cTextServiceObjectManager::TSMOffset2PosConvertForCarbonEvent(EventRef event) {
  if (event == nullptr) return paramErr;
  if (current_ == nullptr) return eventNotHandledErr;
  SInt32 offset = 0;
  OSStatus err = GetEventParameter(event, kEventParamTextInputSendTextOffset, typeSInt32, nullptr,
                                   sizeof offset, nullptr, &offset);
  if (err != noErr) return err;
  Point point = {0, 0};
  current_->ByteCharToPositon(offset, point);
  point = ToGlobal(current_->GetTargetWindow(), point);
  err = SetEventParameter(event, kEventParamTextInputReplyPoint, typeQDPoint, sizeof point, &point);
  if (err == noErr) {
    static const OSType kKeys[5] = {
        kEventParamTextInputReplyFont, kEventParamTextInputReplyPointSize,
        kEventParamTextInputReplyLineHeight, kEventParamTextInputReplyLineAscent,
        kEventParamTextInputReplyTextAngle};
    PutAttributes(current_, offset, kKeys, PutOnEvent, event);
  }
  return err;
}

// ---- Handlers ----

AEEventHandlerUPP updateActiveInputAreaUPP_GlV = nullptr;
AEEventHandlerUPP positToOffsetConvUPP_GlV = nullptr;
AEEventHandlerUPP offsetToPositConvUPP_GlV = nullptr;
EventHandlerUPP updateActiveInputAreaForCarbonEventUPP_GlV = nullptr;
EventHandlerUPP positToOffsetConvForCarbonEventUPP_GlV = nullptr;
EventHandlerUPP offsetToPositConvForCarbonEventUPP_GlV = nullptr;
EventHandlerUPP notFromInputMethodForCarbonEventUPP_GlV = nullptr;

namespace {
// The Carbon-event handlers as installed: the program never removes them, the test API's
// reset does.
std::vector<EventHandlerRef>& InstalledCarbonHandlers() {
  static std::vector<EventHandlerRef> handlers;
  return handlers;
}
}  // namespace

OSErr SpTSMUpdateActiveInputAreaHandleProc(const AppleEvent* event, AppleEvent* reply, URefCon) {
  cTextServiceObjectManager* manager = nullptr;
  const OSErr err = RequestManager(event, &manager);
  if (err != noErr || manager == nullptr) return err;
  return manager->TSMUpdateActiveInputArea(event, reply);
}

OSErr SpTSMPos2OffsetConvHandleProc(const AppleEvent* event, AppleEvent* reply, URefCon) {
  cTextServiceObjectManager* manager = nullptr;
  const OSErr err = RequestManager(event, &manager);
  if (err != noErr || manager == nullptr) return err;
  return manager->TSMPos2OffsetConvert(event, reply);
}

OSErr SpTSMOffset2PosConvHandleProc(const AppleEvent* event, AppleEvent* reply, URefCon) {
  cTextServiceObjectManager* manager = nullptr;
  const OSErr err = RequestManager(event, &manager);
  if (err != noErr || manager == nullptr) return err;
  return textServiceMgr_GlV != nullptr ? textServiceMgr_GlV->TSMOffset2PosConvert(event, reply)
                                       : OSErr(noErr);
}

OSStatus SpTSMUpdateActiveInputAreaHandleForCarbonEventProc(EventHandlerCallRef, EventRef event,
                                                            void*) {
  if (textServiceMgr_GlV == nullptr) return eventNotHandledErr;
  return textServiceMgr_GlV->TSMUpdateActiveInputAreaForCarbonEvent(event);
}

OSStatus SpTSMOffset2PosConvHandleForCarbonEventProc(EventHandlerCallRef, EventRef event, void*) {
  if (textServiceMgr_GlV == nullptr) return eventNotHandledErr;
  return textServiceMgr_GlV->TSMOffset2PosConvertForCarbonEvent(event);
}

OSStatus SpTSMPos2OffsetConvHandleProcForCarbonEventProc(EventHandlerCallRef, EventRef event,
                                                         void*) {
  if (textServiceMgr_GlV == nullptr) return eventNotHandledErr;
  return textServiceMgr_GlV->TSMPos2OffsetConvertForCarbonEvent(event);
}

OSErr SpTSMKeyInUnicodeHandleProc(const AppleEvent* event, AppleEvent*, URefCon) {
  char text[256] = {};
  AEDesc desc = {typeNull, nullptr};
  const OSErr err = AEGetParamDesc(event, keyAETheData, typeChar, &desc);
  if (err != noErr) return err;
  const Size size = std::min<Size>(AEGetDescDataSize(&desc), 255);
  if (size > 0 && desc.dataHandle != nullptr) std::memcpy(text, *desc.dataHandle, std::size_t(size));
  AEDisposeDesc(&desc);
  short modifiers = 0;
  Sp_GetModifiers(&modifiers, nullptr);
  Sp_KeyEventProc(text[0], 0, modifiers, 0);
  return noErr;
}

OSStatus SpTSMTestForCarbonEventProc(EventHandlerCallRef, EventRef, void*) {
  return noErr;
}

OSErr SpTSMSetupEventHandler() {
  updateActiveInputAreaUPP_GlV = NewAEEventHandlerUPP(SpTSMUpdateActiveInputAreaHandleProc);
  positToOffsetConvUPP_GlV = NewAEEventHandlerUPP(SpTSMPos2OffsetConvHandleProc);
  offsetToPositConvUPP_GlV = NewAEEventHandlerUPP(SpTSMOffset2PosConvHandleProc);
  const struct {
    AEEventID id;
    AEEventHandlerUPP handler;
  } kHandlers[3] = {{kUpdateActiveInputArea, updateActiveInputAreaUPP_GlV},
                    {kPos2Offset, positToOffsetConvUPP_GlV},
                    {kOffset2Pos, offsetToPositConvUPP_GlV}};
  OSErr err = noErr;
  for (SInt32 i = 0; i < 3; ++i) {
    err = AEInstallEventHandler(kTextService, kHandlers[i].id, kHandlers[i].handler, 0, false);
    if (err != noErr) {
      SpReportFailure(kSource, "SpTSMSetupEventHandler", i + 1, "Setup Handler Error !! ");
    }
  }
  return err;
}

OSStatus SpTSMSetupEventHandlerForCarbonEvent() {
  updateActiveInputAreaForCarbonEventUPP_GlV =
      NewEventHandlerUPP(SpTSMUpdateActiveInputAreaHandleForCarbonEventProc);
  positToOffsetConvForCarbonEventUPP_GlV =
      NewEventHandlerUPP(SpTSMPos2OffsetConvHandleProcForCarbonEventProc);
  offsetToPositConvForCarbonEventUPP_GlV =
      NewEventHandlerUPP(SpTSMOffset2PosConvHandleForCarbonEventProc);
  notFromInputMethodForCarbonEventUPP_GlV = NewEventHandlerUPP(Sp_TextInputKeyEventHandlerProc);
  const struct {
    UInt32 kind;
    EventHandlerUPP handler;
  } kHandlers[4] = {
      {kEventTextInputUpdateActiveInputArea, updateActiveInputAreaForCarbonEventUPP_GlV},
      {kEventTextInputPosToOffset, positToOffsetConvForCarbonEventUPP_GlV},
      {kEventTextInputOffsetToPos, offsetToPositConvForCarbonEventUPP_GlV},
      {kEventTextInputUnicodeForKeyEvent, notFromInputMethodForCarbonEventUPP_GlV}};
  OSStatus err = noErr;
  for (const auto& h : kHandlers) {
    const EventTypeSpec spec = {kEventClassTextInput, h.kind};
    EventHandlerRef installed = nullptr;
    err =
        InstallEventHandler(GetApplicationEventTarget(), h.handler, 1, &spec, nullptr, &installed);
    if (installed != nullptr) InstalledCarbonHandlers().push_back(installed);
  }
  return err;
}

void SpTSMRemoveCarbonEventHandlers() {
  for (EventHandlerRef handler : InstalledCarbonHandlers()) RemoveEventHandler(handler);
  InstalledCarbonHandlers().clear();
  for (EventHandlerUPP* upp :
       {&updateActiveInputAreaForCarbonEventUPP_GlV, &positToOffsetConvForCarbonEventUPP_GlV,
        &offsetToPositConvForCarbonEventUPP_GlV, &notFromInputMethodForCarbonEventUPP_GlV}) {
    if (*upp != nullptr) DisposeEventHandlerUPP(*upp);
    *upp = nullptr;
  }
}

void SpTSMRemoveEventHandler(unsigned long) {
  AEEventHandlerUPP* handlers[3] = {&updateActiveInputAreaUPP_GlV, &positToOffsetConvUPP_GlV,
                                    &offsetToPositConvUPP_GlV};
  const AEEventID ids[3] = {kUpdateActiveInputArea, kPos2Offset, kOffset2Pos};
  for (SInt32 i = 0; i < 3; ++i) {
    if (*handlers[i] == nullptr) continue;
    AERemoveEventHandler(kTextService, ids[i], *handlers[i], false);
    DisposeAEEventHandlerUPP(*handlers[i]);
    *handlers[i] = nullptr;
  }
}
