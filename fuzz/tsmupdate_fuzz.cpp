// The input method's update requests ({'text', 1}, and the Apple-event form 'tsvc'/'updt'):
// the bytes are a run of requests, each with its text and its ranges, counts and offsets as
// sent, handed to the text services with an inline target as the desktop's input method hands
// them. Each request is read as:
//   flags (1 byte: bit 0 the Apple-event form, bit 1 a fixed length present)
//   text length (1 byte, UTF-16 units) and the units (2 bytes each, the machine's order)
//   fixed length (4 bytes)
//   hilite ranges, update ranges: a size byte each, then that many bytes of 'tray'
//   clause offsets: a size byte, then that many bytes of 'ofay'
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "FuzzProgramHome.h"
#include "MacWindows.h"
#include "Processes.h"
#include "SpStdFunctionNumber.h"
#include "SpTextService.h"

namespace {

class Target : public cTextServiceObject {
 public:
  Target() : cTextServiceObject(nullptr, Rect{0, 0, 100, 100}) {}
  unsigned char UpdateActiveInputArea(cTSO_UpdateData* data) override {
    // Reads every part of the record, as an inline target does.
    std::vector<char> text(std::size_t(data->GetEditStringSize()) + 4, 0);
    unsigned char overflow = 0;
    data->GetEditString(text.data(), SInt32(text.size()), overflow);
    TextRange r;
    for (SInt32 i = 1; i <= data->GetNumOfHiliteRangeItem(); ++i) data->GetHiliteRangeListItem(i, r);
    data->GetUpdateOldPosit(r);
    data->GetUpdatenewPosit(r);
    cSp_uLongCollection clauses;
    data->GetClsuseOffsetsCollection(&clauses);
    return 1;
  }
};

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool Take(void* out, size_t n) {
    if (size - at < n) return false;
    std::memcpy(out, data + at, n);
    at += n;
    return true;
  }
  bool Block(std::vector<uint8_t>& out) {
    uint8_t n = 0;
    if (!Take(&n, 1)) return false;
    out.resize(n);
    return n == 0 || Take(out.data(), n);
  }
};

void SendCarbon(const std::vector<UInt16>& text, bool hasFix, SInt32 fix,
                const std::vector<uint8_t>& hilites, const std::vector<uint8_t>& ranges,
                const std::vector<uint8_t>& clauses) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassTextInput, kEventTextInputUpdateActiveInputArea, 0, 0,
                  &event) != noErr) {
    return;
  }
  SetEventParameter(event, kEventParamTextInputSendText, typeUnicodeText, text.size() * 2,
                    text.data());
  if (hasFix) SetEventParameter(event, kEventParamTextInputSendFixLen, typeSInt32, 4, &fix);
  SetEventParameter(event, kEventParamTextInputSendHiliteRng, typeTextRangeArray, hilites.size(),
                    hilites.data());
  SetEventParameter(event, kEventParamTextInputSendUpdateRng, typeTextRangeArray, ranges.size(),
                    ranges.data());
  SetEventParameter(event, kEventParamTextInputSendClauseRng, typeOffsetArray, clauses.size(),
                    clauses.data());
  SpTSMUpdateActiveInputAreaHandleForCarbonEventProc(nullptr, event, nullptr);
  ReleaseEvent(event);
}

void SendAppleEvent(const std::vector<UInt16>& text, bool hasFix, SInt32 fix,
                    const std::vector<uint8_t>& hilites, const std::vector<uint8_t>& ranges,
                    const std::vector<uint8_t>& clauses) {
  const ProcessSerialNumber self = {0, kCurrentProcess};
  AEAddressDesc address = {typeNull, nullptr};
  AppleEvent event = {typeNull, nullptr};
  AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &address);
  if (AECreateAppleEvent(kTextService, kUpdateActiveInputArea, &address, kAutoGenerateReturnID,
                         kAnyTransactionID, &event) == noErr) {
    const URefCon manager = reinterpret_cast<URefCon>(textServiceMgr_GlV);
    AEPutParamPtr(&event, keyAETSMDocumentRefcon, typeRefCon, &manager, sizeof manager);
    // The UTF-16 units as the bytes of MacJapanese text: any bytes at all.
    AEPutParamPtr(&event, keyAETheData, typeChar, text.data(), Size(text.size() * 2));
    if (hasFix) AEPutParamPtr(&event, keyAEFixLength, typeSInt32, &fix, 4);
    AEPutParamPtr(&event, keyAETheHiliteRange, typeTextRangeArray, hilites.data(),
                  Size(hilites.size()));
    AEPutParamPtr(&event, keyAEUpdateRange, typeTextRangeArray, ranges.data(), Size(ranges.size()));
    AEPutParamPtr(&event, keyAEClauseOffsets, typeOffsetArray, clauses.data(),
                  Size(clauses.size()));
    SpTSMUpdateActiveInputAreaHandleProc(&event, nullptr, 0);
  }
  AEDisposeDesc(&event);
  AEDisposeDesc(&address);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (sp_fuzz::ProgramHome().empty()) return 0;
  Sp_CarbonEvent_ModeEnable();
  sp_testing::ResetTextServices();
  SpTextServiceInitialize();
  Target target;
  target.EnableInlineInput(1);
  Reader in{data, size};
  for (int request = 0; request < 16 && in.at < in.size; ++request) {
    uint8_t flags = 0, units = 0;
    SInt32 fix = 0;
    if (!in.Take(&flags, 1) || !in.Take(&units, 1)) break;
    std::vector<UInt16> text(units);
    if (units > 0 && !in.Take(text.data(), size_t(units) * 2)) break;
    std::vector<uint8_t> hilites, ranges, clauses;
    if (!in.Take(&fix, 4) || !in.Block(hilites) || !in.Block(ranges) || !in.Block(clauses)) break;
    if (flags & 1) {
      SendAppleEvent(text, (flags & 2) != 0, fix, hilites, ranges, clauses);
    } else {
      SendCarbon(text, (flags & 2) != 0, fix, hilites, ranges, clauses);
    }
  }
  target.ExecTextServiceObjDeleteReady();
  sp_testing::ResetTextServices();
  return 0;
}
