// The save steps: the save buffer set, the fills at normal speed and by full-scale overlap,
// and the sample helpers.
#include "SpCDROMPlayTrackNormal.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMLoadCDSoundData.h"
#include "SpCDROMLoadForQTFile.h"
#include "SpCDROMProgram.h"
#include "SpCDRomManager.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpCDROMPlayTrackNormal.cpp";
const char kSaveSource[] = "SpCDROMSaveSoundData.cpp";

// The full-scale overlap: windows of 7 sectors, cross-faded over at most 4,704 bytes' worth of
// frames (half of them).
constexpr SInt32 kWindowFrames = 4116;
constexpr float kFadeBytes = 4704.0f;

sSpSaveSaveSoundBuffer* Successor(const sSpSaveBufferSetBase& set, sSpSaveSaveSoundBuffer* b) {
  return b->next != nullptr ? b->next : set.ringHead;
}

// A buffer made ready for a new fill. Only the overlapping fill reads what a buffer held (it
// blends each window into the one before), so only it needs the old bytes zeroed; the
// normal-speed fill writes every byte it hands on before handing it on.
void ResetSaveBuffer(sSpSaveSaveSoundBuffer& b, bool zeroed) {
  if (zeroed) std::memset(b.data, 0, b.size);
  b.cleared = 1;
  b.stamped = 0;
  b.counter = 0;
  b.used = 0;
}

void Stamp(sSpSaveSaveSoundBuffer& b, const sSpSaveLoadSoundBuffer& load) {
  if (b.stamped) return;
  b.item = load.item;
  b.sourcePosition = load.outputOffset + load.consumed;
  b.stamped = 1;
}

void AdvanceFill(sSpSaveBufferSetBase& set) {
  set.fillBuffer = set.nextFillBuffer;
  set.nextFillBuffer = Successor(set, set.fillBuffer);
}

SInt16 Clamp16(SInt32 v) {
  return SInt16(std::max<SInt32>(-32768, std::min<SInt32>(32767, v)));
}

sSpSaveSaveSoundBuffer* NewSaveBuffer(UInt32 size) {
  auto* b = reinterpret_cast<sSpSaveSaveSoundBuffer*>(NewPtrClear(sizeof(sSpSaveSaveSoundBuffer)));
  if (b == nullptr) return nullptr;
  b->data = reinterpret_cast<UInt8*>(NewPtrClear(Size(size)));
  if (b->data == nullptr) {
    DisposePtr(reinterpret_cast<Ptr>(b));
    return nullptr;
  }
  b->size = size;
  b->cleared = 1;
  return b;
}

void DisposeSaveBuffers(sSpSaveBufferSetBase& set) {
  for (sSpSaveSaveSoundBuffer* b = set.ringHead; b != nullptr;) {
    sSpSaveSaveSoundBuffer* next = b->next;
    DisposePtr(reinterpret_cast<Ptr>(b->data));
    DisposePtr(reinterpret_cast<Ptr>(b));
    b = next;
  }
  for (sSpSaveLoadSoundBuffer* l : {set.loadBufferHead, set.loadBufferTail}) {
    if (l == nullptr) continue;
    if (l->data != nullptr) DisposePtr(reinterpret_cast<Ptr>(l->data));
    DisposePtr(reinterpret_cast<Ptr>(l));
  }
  set.ringHead = set.ringTail = nullptr;
  set.loadBufferHead = set.loadBufferTail = nullptr;
}

// A ring of `count` zeroed buffers of `size` bytes in the set, the cursors on the first.
bool MakeRing(sSpSaveBufferSetBase& set, int count, UInt32 size) {
  for (int i = 0; i < count; ++i) {
    sSpSaveSaveSoundBuffer* b = NewSaveBuffer(size);
    if (b == nullptr) return false;
    if (set.ringTail == nullptr) {
      set.ringHead = b;
    } else {
      set.ringTail->next = b;
      b->before = set.ringTail;
    }
    set.ringTail = b;
  }
  set.fillBuffer = set.writeBuffer = set.completionBuffer = set.ringHead;
  set.nextFillBuffer = Successor(set, set.ringHead);
  return true;
}

// The fade step of a program's save.
float SaveFadeStep(const cSp_CDRProgramBaseObj* program) {
  return program != nullptr && program->GetSaveBufferSet() != nullptr
             ? program->GetSaveBufferSet()->fadeStep
             : 1.0f;
}

template <int kChannels>
void LayData(cSp_CDRProgramBaseObj* program, sSpSaveSaveSoundBuffer* fill,
             sSpSaveSaveSoundBuffer* next, float& weight, sSpSaveLoadSoundBuffer* load,
             long& writePosition, unsigned long& loadEnd, float step) {
  static const char kMethod[] =
      "cSp_CDRProgramBaseObj::SaveQTFileTrack_ForMultiSpeedByFullScaleOverlap";
  if (program == nullptr || fill == nullptr || next == nullptr || load == nullptr) return;
  constexpr long kFrame = 2 * kChannels;
  sSpSaveSaveSoundBuffer* target = fill;
  long wp = writePosition;
  if (wp >= long(fill->size)) {
    target = next;
    wp -= long(fill->size);
  }
  UInt32 at = load->consumed;
  const UInt32 end = std::min<UInt32>(UInt32(loadEnd), load->validBytes);
  while (at + kFrame <= end) {
    if (wp + kFrame > long(target->size)) {
      if (target == next) {
        SpReportFailure(kSource, kMethod, kChannels == 1 ? 2 : 3, kSpMsgDataError);
        break;
      }
      // The window runs on into the next buffer.
      fill->endSourcePosition = std::max(fill->endSourcePosition, load->outputOffset + at);
      target = next;
      wp = 0;
    }
    Stamp(*target, *load);
    UInt8* to = target->data + wp;
    const UInt8* from = load->samples + at;
    for (int c = 0; c < kChannels; ++c) {
      const SInt16 s = SInt16(sp::LoadBE16(from + 2 * c));
      SInt16 v = s;
      if (weight < 1.0f) {
        const float t = float(SInt16(sp::LoadBE16(to + 2 * c)));
        v = Clamp16(SInt32(t * (1.0f - weight) + float(s) * weight));
      }
      sp::StoreBE16(to + 2 * c, UInt16(v));
    }
    if (weight < 1.0f) weight = std::min(1.0f, weight + step);
    wp += kFrame;
    at += kFrame;
    target->used = std::max<SInt32>(target->used, SInt32(wp));
  }
  load->consumed = at;
  // Positions stay relative to the fill buffer.
  writePosition = target == next ? wp + long(fill->size) : wp;
}

}  // namespace

// ---- Samples --------------------------------------------------------------------------------

void SpCDRBufferSoundAddAmpValue(char* data, long bytes, float factor) {
  if (data == nullptr || bytes <= 0) return;
  UInt8* p = reinterpret_cast<UInt8*>(data);
  for (long i = 0; i + 1 < bytes; i += 2) {
    const float v = float(SInt16(sp::LoadBE16(p + i))) * factor;
    sp::StoreBE16(p + i, UInt16(Clamp16(SInt32(std::max(-65536.0f, std::min(65536.0f, v))))));
  }
}

char* SpCDRBufferSoundAddAmpValueAndChangeToLittleEndian(char* data, long bytes, float factor) {
  if (data == nullptr || bytes <= 0) return data;
  UInt8* p = reinterpret_cast<UInt8*>(data);
  long i = 0;
  for (; i + 1 < bytes; i += 2) {
    const float v = float(SInt16(sp::LoadBE16(p + i))) * factor;
    sp::StoreLE16(p + i, UInt16(Clamp16(SInt32(std::max(-65536.0f, std::min(65536.0f, v))))));
  }
  return data + i;
}

void SpCDRBufferSoundChangeToLittleEndian(char* data, long bytes) {
  if (data == nullptr || bytes <= 0) return;
  UInt8* p = reinterpret_cast<UInt8*>(data);
  sp::SwapBytePairs(p, p, std::size_t(bytes));
}

void SpCDRSaveQTFullTrack_SetupDataMemoryOneChannel(cSp_CDRProgramBaseObj* program,
                                                    sSpSaveSaveSoundBuffer* fill,
                                                    sSpSaveSaveSoundBuffer* next, float& weight,
                                                    sSpSaveLoadSoundBuffer* load,
                                                    long& writePosition, unsigned long& loadEnd) {
  LayData<1>(program, fill, next, weight, load, writePosition, loadEnd, SaveFadeStep(program));
}

void SpCDRSaveQTFullTrack_SetupDataMemoryTwoChannel(cSp_CDRProgramBaseObj* program,
                                                    sSpSaveSaveSoundBuffer* fill,
                                                    sSpSaveSaveSoundBuffer* next, float& weight,
                                                    sSpSaveLoadSoundBuffer* load,
                                                    long& writePosition, unsigned long& loadEnd) {
  LayData<2>(program, fill, next, weight, load, writePosition, loadEnd, SaveFadeStep(program));
}

// ---- The save buffer set --------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::SetupSaveBufferSetBase(unsigned char withLoadBuffers) {
  static const char kMethod[] = "cSp_CDRProgramBaseObj::SetupSaveBufferSetBase";
  if (saveContext_ != nullptr)
    return SpReportFailure(kSaveSource, kMethod, 1, kSpMsgDataError, Boolean(false));
  auto* set = reinterpret_cast<sSpSaveBufferSetBase*>(NewPtrClear(sizeof(sSpSaveBufferSetBase)));
  if (set == nullptr) return SpReportFailure(kSaveSource, kMethod, 2, kSpMsgMemory, Boolean(false));
  saveContext_ = set;
  UInt32 sectors = 0;
  save_.saveBufferSize = SpCDR_SaveBufferBytes(&sectors);
  SInt32 code = 0;
  if (save_.saveBufferSize == 0) {
    code = 3;
  } else if (withLoadBuffers) {
    for (sSpSaveLoadSoundBuffer** slot : {&set->loadBufferHead, &set->loadBufferTail}) {
      auto* load =
          reinterpret_cast<sSpSaveLoadSoundBuffer*>(NewPtrClear(sizeof(sSpSaveLoadSoundBuffer)));
      if (load == nullptr) break;
      *slot = load;
      load->data = reinterpret_cast<UInt8*>(NewPtrClear(Size(save_.saveBufferSize)));
      if (load->data == nullptr) break;
      load->capacity = save_.saveBufferSize;
      load->sectorCount = sectors;
    }
    if (set->loadBufferTail == nullptr || set->loadBufferTail->data == nullptr) code = 4;
  }
  if (code == 0 && !MakeRing(*set, 2, save_.saveBufferSize)) code = 5;
  if (code != 0) {
    SpReportFailure(kSaveSource, kMethod, code, kSpMsgMemory);
    DisposeSaveBufferSetBase();
    return false;
  }
  set->completionUPP = NewIOCompletionUPP(SpCDR_CatchCompleationSaveDataInFile);
  SetupWriteDataIntoFileCBInfoForSaveDataInFile();
  save_.bufferSetReady = 1;
  return true;
}

void cSp_CDRProgramBaseObj::DisposeSaveBufferSetBase() {
  if (saveContext_ == nullptr) return;
  DisposeSaveBuffers(*saveContext_);
  DisposeIOCompletionUPP(saveContext_->completionUPP);
  if (saveSoundBuffSetPtr_GlV == saveContext_) saveSoundBuffSetPtr_GlV = nullptr;
  DisposePtr(reinterpret_cast<Ptr>(saveContext_));
  saveContext_ = nullptr;
  save_.bufferSetReady = 0;
}

Boolean cSp_CDRProgramBaseObj::SetupConvertAndSaveIntoNormaoFileBufferSetBase() {
  static const char kMethod[] =
      "cSp_CDRProgramBaseObj::SetupConvertAndSaveIntoNormaoFileBufferSetBase";
  if (aiffcContext_ != nullptr)
    return SpReportFailure(kSaveSource, kMethod, 1, kSpMsgDataError, Boolean(false));
  auto* set = reinterpret_cast<sSpSaveBufferSetBase*>(NewPtrClear(sizeof(sSpSaveBufferSetBase)));
  if (set == nullptr) return SpReportFailure(kSaveSource, kMethod, 2, kSpMsgMemory, Boolean(false));
  aiffcContext_ = set;
  if (outputBufferSize_ == 0 || !MakeRing(*set, 3, outputBufferSize_)) {
    SpReportFailure(kSaveSource, kMethod, 3, kSpMsgMemory);
    DisposeSaveBufferSetBaseForCatchConverterAndWriteIntoFile();
    return false;
  }
  set->completionUPP = NewIOCompletionUPP(SpCDR_CatchCompleationSaveDataInAIFFC);
  SetupWriteDataIntoFileCBInfoForCatchConvertAndSaveDataInFile();
  save_.bufferSetReady = 1;
  return true;
}

void cSp_CDRProgramBaseObj::DisposeSaveBufferSetBaseForCatchConverterAndWriteIntoFile() {
  if (aiffcContext_ == nullptr) return;
  DisposeSaveBuffers(*aiffcContext_);
  DisposeIOCompletionUPP(aiffcContext_->completionUPP);
  DisposePtr(reinterpret_cast<Ptr>(aiffcContext_));
  aiffcContext_ = nullptr;
}

void cSp_CDRProgramBaseObj::AmplifySaveBuffer(sSpSaveSaveSoundBuffer* buffer) {
  if (buffer == nullptr || buffer->used <= 0) return;
  char* data = reinterpret_cast<char*>(buffer->data);
  const bool wave = soundFileType_ == kSpCDRISoundFileTypeWAVE;
  if (levelFactor_ == 1.0f) {
    if (wave) SpCDRBufferSoundChangeToLittleEndian(data, buffer->used);
  } else if (wave) {
    SpCDRBufferSoundAddAmpValueAndChangeToLittleEndian(data, buffer->used, levelFactor_);
  } else {
    SpCDRBufferSoundAddAmpValue(data, buffer->used, levelFactor_);
  }
}

// ---- The fills ------------------------------------------------------------------------------

// The load step of a fill, with its failures told: 1 when the load buffer got fresh data.
bool cSp_CDRProgramBaseObj::LoadForSaveFill() {
  if (LoadQTFileSoundDataOnForwardForSaveDataInFileByVBR()) return true;
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  if (!L.converterRefused && !L.loadError) return false;
  const bool refused = L.converterRefused && !L.loadError;
  L.loadEnded = 1;
  L.converterRefused = 0;
  stopRequest_ = 1;
  // A source that could not be read whole fails the save: what was saved of it is no file to
  // keep, and nothing it would replace goes.
  if (!refused && save_.writeError == noErr)
    save_.writeError = L.loadErrorCode != noErr ? OSErr(L.loadErrorCode) : OSErr(ioErr);
  if (save_.failureTold) return false;
  save_.failureTold = 1;
  if (refused) {
    SpCDR_ShowAlert(alertWindow_, SpCDR_MJ("扱えないファイル・フォーマットです。処理を中断します"));
  } else {
    SpReportFailure(kSaveSource, "cSp_CDRProgramBaseObj::LoadForSaveFill", L.loadErrorCode,
                    "cannot read the source sound data !! ");
    if (saveErrorMgr_ == nullptr || !saveErrorMgr_->SayErrorOccuredBySheetWindow(
                                        kSpCDRSaveErrorUserRefNum, L.loadErrorCode, alertWindow_,
                                        kSpStdSayDlgCaution, SpCDR_MJ("報　告").c_str())) {
      SpCDR_ShowAlert(
          alertWindow_,
          SpCDR_MJ("元となるファイルの読み込みでエラーが発生しました。処理を中断します。") +
              "[Error No = " + std::to_string(L.loadErrorCode) + "]");
    }
  }
  return false;
}

void cSp_CDRProgramBaseObj::ItemSwitchOfSaveFill() {
  save_.itemSwitchNotice = 1;
  ResetLoadInfoForItemSwitch();
}

// The run's data ends in this buffer: it is handed to the writer as the last.
void cSp_CDRProgramBaseObj::CompleteRunInFill(sSpSaveSaveSoundBuffer* fill) {
  if (!fill->cleared && !fill->stamped) ResetSaveBuffer(*fill, false);
  fill->full = 1;
  fill->last = 1;
  if (loadInfo_.loadBuffer != nullptr) loadInfo_.loadBuffer->consumedOnce = 1;
  save_.dataComplete = 1;
  AdvanceFill(*saveContext_);
}

Boolean cSp_CDRProgramBaseObj::LoadFromQTFileAndSetupSaveBuff_ForNormalSpeed(unsigned char& done) {
  done = 0;
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  sSpSaveBufferSetBase* set = saveContext_;
  if (save_.dataComplete || L.loadBuffer == nullptr || set == nullptr || set->fillBuffer == nullptr)
    return false;
  sSpSaveLoadSoundBuffer& load = *L.loadBuffer;
  const UInt32 frame = 2u * UInt32(std::max<SInt16>(L.output.numChannels, 1));
  const bool wave = soundFileType_ == kSpCDRISoundFileTypeWAVE;
  // A load buffer whose last part was taken ends its item (or the run) here.
  auto atItemEnd = [&]() {
    return load.validBytes - std::min(load.consumed, load.validBytes) < frame && load.endOfItem;
  };
  if (load.validBytes == 0 || load.consumed >= load.validBytes) {
    if (!atItemEnd() && !LoadForSaveFill()) return false;
  }
  save_.firstWindow = 0;
  for (;;) {
    sSpSaveSaveSoundBuffer* fill = set->fillBuffer;
    if (fill->full || fill->writing) return true;
    if (!fill->cleared) ResetSaveBuffer(*fill, false);
    const UInt32 left = load.validBytes - std::min(load.consumed, load.validBytes);
    const UInt32 n = std::min(left, fill->size - UInt32(fill->used)) / frame * frame;
    if (n > 0) {
      Stamp(*fill, load);
      UInt8* to = fill->data + fill->used;
      const UInt8* from = load.samples + load.consumed;
      if (wave) {
        sp::SwapBytePairs(to, from, n);
      } else {
        std::memcpy(to, from, n);
      }
      load.consumed += n;
      load.sourcePosition = load.outputOffset + load.consumed;
      fill->used += SInt32(n);
      fill->endSourcePosition = load.sourcePosition;
    }
    if (atItemEnd()) {
      if (L.itemFinished) {
        load.endOfItem = 0;
        ItemSwitchOfSaveFill();
        return true;
      }
      CompleteRunInFill(fill);
      done = 1;
      return true;
    }
    if (fill->used + SInt32(frame) > SInt32(fill->size)) {
      fill->full = 1;
      AdvanceFill(*set);
      continue;
    }
    if (n == 0) return true;
  }
}

Boolean cSp_CDRProgramBaseObj::LoadFromQTFileAndSetupSaveBuff_ForMultiSpeedByFullScaleOverlap(
    unsigned char& done) {
  done = 0;
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  sSpSaveBufferSetBase* set = saveContext_;
  if (save_.dataComplete || L.loadBuffer == nullptr || set == nullptr ||
      set->fillBuffer == nullptr || set->fillBuffer->full) {
    return false;
  }
  sSpSaveLoadSoundBuffer& load = *L.loadBuffer;
  const SInt32 channels = std::max<SInt16>(L.output.numChannels, 1);
  const SInt32 frame = 2 * channels;
  const SInt32 windowBytes = kWindowFrames * frame;
  auto usedUp = [&]() {
    return load.validBytes - std::min(load.consumed, load.validBytes) < UInt32(frame);
  };
  if (usedUp() && !load.endOfItem && !LoadForSaveFill()) return false;
  // The cross-fade: half of 4,704 bytes' worth of frames, within the overlap of two windows.
  SInt32 fadeFrames = std::max<SInt32>(1, SInt32((kFadeBytes / float(channels)) * 0.5f));
  if (windowBytes - set->hopBytes > 0)
    fadeFrames = std::min(fadeFrames, (windowBytes - set->hopBytes) / channels / 2);
  set->fadeStep = 1.0f / float(fadeFrames);
  const float startWeight = save_.firstWindow ? 1.0f : 0.0f;
  save_.firstWindow = 0;
  sSpSaveSaveSoundBuffer* fill = set->fillBuffer;
  sSpSaveSaveSoundBuffer* next = set->nextFillBuffer;
  if (!fill->cleared) ResetSaveBuffer(*fill, true);
  bool itemSwitch = false;
  bool first = startWeight >= 1.0f;
  while (!usedUp() && set->writePosition < SInt32(fill->size)) {
    long wp = 0;
    float weight = 0.0f;
    if (!L.continuation) {
      wp = set->writePosition;
      if (SInt32(fill->size) < set->writePosition + windowBytes) {
        // The window runs into the next buffer, which must be free.
        if (next->writing || next->full) return true;
        if (!next->cleared) ResetSaveBuffer(*next, true);
      }
      weight = first ? 1.0f : 0.0f;
      first = false;
    } else {
      wp = L.continuationPosition;
      weight = L.continuationWeight;
    }
    UInt32 n = load.validBytes - load.consumed;
    bool closes = false;
    if (n > UInt32(windowBytes) - L.windowFill) {
      n = UInt32(windowBytes) - L.windowFill;
      L.windowFill = 0;
      closes = true;
    } else {
      L.windowFill += n;
      if (load.endOfItem) {
        L.windowFill = 0;
        closes = true;
      }
    }
    unsigned long end = load.consumed + n;
    if (channels == 1) {
      SpCDRSaveQTFullTrack_SetupDataMemoryOneChannel(this, fill, next, weight, &load, wp, end);
    } else {
      SpCDRSaveQTFullTrack_SetupDataMemoryTwoChannel(this, fill, next, weight, &load, wp, end);
    }
    load.sourcePosition = load.outputOffset + load.consumed;
    fill->endSourcePosition = std::max(fill->endSourcePosition, load.sourcePosition);
    if (closes) {
      L.continuation = 0;
      set->writePosition += set->hopBytes;
    } else {
      L.continuation = 1;
      L.continuationPosition = SInt32(wp);
      L.continuationWeight = weight;
    }
  }
  if (usedUp() && load.endOfItem) {
    if (L.itemFinished) {
      load.endOfItem = 0;
      itemSwitch = true;
    } else {
      done = 1;
    }
  }
  if (itemSwitch) {
    // The buffers in flight go to the writer, not marked last; the next item starts after
    // them.
    L.continuation = 0;
    L.windowFill = 0;
    const bool nextHolds = next->stamped && !next->full && next->used > 0;
    AmplifySaveBuffer(fill);
    fill->full = 1;
    AdvanceFill(*set);
    set->writePosition = 0;
    if (nextHolds) {
      if (next->used >= SInt32(next->size)) {
        AmplifySaveBuffer(next);
        next->full = 1;
        AdvanceFill(*set);
      } else {
        set->writePosition = next->used;
        next->cleared = 1;
      }
    }
    load.consumedOnce = 1;
    ItemSwitchOfSaveFill();
    // The next item goes on where this one ends, as one stream: its first window starts at
    // full weight instead of fading in from the silence after the last window.
    save_.firstWindow = 1;
    return true;
  }
  if (done || set->writePosition >= SInt32(fill->size)) {
    AmplifySaveBuffer(fill);
    if (done && next->stamped && !next->full && next->used > 0) {
      AmplifySaveBuffer(next);
      next->full = 1;
      next->last = 1;
    } else if (done) {
      fill->last = 1;
    }
    fill->full = 1;
    set->writePosition -= SInt32(fill->size);
    if (L.continuation) L.continuationPosition -= SInt32(fill->size);
    AdvanceFill(*set);
    load.consumedOnce = 1;
    if (done) save_.dataComplete = 1;
  }
  return true;
}

// ---- The steps ------------------------------------------------------------------------------

namespace {

void SaveStep(cSp_CDRProgramBaseObj& p, bool multi) {
  const sSpCDRSaveTarget& t = p.GetSaveTarget();
  if (!p.IsSaveRunning() || t.hold) return;
  sSp_CDRQTFileLoadInfoObj& L = p.GetLoadInfo();
  auto fail = [&]() {
    L.loadEnded = 1;
    p.StopSaveProgram();
  };
  // A save's start takes passes of its own, one for each of its pieces of work: the save
  // buffers, the source opened, then the output converter and the tags; the loads follow.
  if (p.GetSaveBufferSet() == nullptr) {
    if (!p.SetupSaveBufferSetBase(0)) fail();
    return;
  }
  if (!L.initialised) {
    if (!p.InitLoadQTFileSoundDataInfo(nullptr)) fail();
    return;
  }
  if (p.GetNewSaveFlag()) {
    L.progressProc = p.GetSaveProgressProc();
    L.progressRefCon = p.GetSaveProgressRefCon();
    const tCDRISoundFileType type = p.GetSoundFileType();
    if ((type == kSpCDRISoundFileTypeMovieNoCompress || type == kSpCDRISoundFileTypeMovie) &&
        !p.InitSaveQTFileSoundDataConvertInfo()) {
      return fail();
    }
    p.ReadOrSettingMusicFileInfoForSaveFile();
    p.ClearNewSaveFlag();
    return;
  }
  p.InitializeMultiSpeedData();
  unsigned char done = 0;
  if (multi) {
    p.LoadFromQTFileAndSetupSaveBuff_ForMultiSpeedByFullScaleOverlap(done);
  } else {
    p.LoadFromQTFileAndSetupSaveBuff_ForNormalSpeed(done);
  }
  if (done) p.EndLoadQTFileSoundDataInfo();
}

}  // namespace

void cSp_CDRProgramBaseObj::SaveQTFileTrack_ForEventLoopNormalForwordSpeed() {
  SaveStep(*this, false);
}

void cSp_CDRProgramBaseObj::SaveQTFileTrack_ForMultiSpeedByFullScaleOverlap() {
  SaveStep(*this, true);
}

// ---- The play-back twins ----------------------------------------------------------------------

namespace {

constexpr SInt32 kMaxQueuedBuffers = 127;
// The multi-speed cross-fade of play-back: at most 88,200 bytes over the channels.
constexpr UInt32 kPlayFadeBytes = 88200;

}  // namespace

bool cSp_CDRProgramBaseObj::PlayStepReady() {
  if (!playing_ || save_.hold || bufferSet_ == nullptr) return false;
  if (soundChannel_ == nullptr) {
    if (soundCallBackUPP_ == nullptr)
      soundCallBackUPP_ = NewSndCallBackUPP(Sp_CDRomPlayTrackSync_CallBack);
    if (SndNewChannel(&soundChannel_, sampledSynth, initStereo, soundCallBackUPP_) != noErr)
      return false;
  }
  InitializeMultiSpeedData();
  LoadQTFileSoundDataOnForward();
  return true;
}

// No read block holds data and the loading has ended.
bool cSp_CDRProgramBaseObj::PlayDataEnded() const {
  if (!loadInfo_.loadEnded) return false;
  for (UInt32 i = 0; i < kSpCDReadBlockCount; ++i) {
    if (!bufferSet_->blockFree[i]) return false;
  }
  return true;
}

// A free sound buffer of the set, taken off its free chain, for data of the block; null when
// none is free.
sSpPlayBackSoundBuffer* cSp_CDRProgramBaseObj::TakeSoundBuffer(sSpCDReadBlock& block) {
  sSpPlayBackBufferSetBase& set = *bufferSet_;
  sSpPlayBackSoundBuffer* b = set.freeHead;
  if (b == nullptr) return nullptr;
  set.freeHead = b->freeNext;
  if (set.freeHead != nullptr) set.freeHead->freeBefore = nullptr;
  if (set.freeTail == b) set.freeTail = nullptr;
  b->freeNext = b->freeBefore = nullptr;
  --set.freeBufferCount;
  b->header.numChannels = UInt32(std::max<SInt16>(block.description.numChannels, 1));
  b->item = block.item;
  return b;
}

// Queues the buffer's first `bytes`, with the disc positions of its data in its item.
void cSp_CDRProgramBaseObj::QueuePlayed(sSpPlayBackSoundBuffer* buffer, UInt32 bytes, bool last) {
  sSpPlayBackStepState& s = playStep_;
  if (buffer->item != s.item) {
    s.item = buffer->item;
    s.itemBytes = 0;
  }
  const UInt32 channels = buffer->header.numChannels;
  cDiscPosition from, to;
  Sp_BytePositionToCDPosition(s.itemBytes, 44100, channels, 16, from);
  Sp_BytePositionToCDPosition(s.itemBytes + bytes, 44100, channels, 16, to);
  if (buffer->item != nullptr) {
    const UInt32 start =
        UInt32(std::max<SInt32>(Sp_CDPositionToSector(&buffer->item->GetStartPosition()), 0));
    Sp_AddSectorToCDPosition(&from, start, &buffer->firstPosition);
    Sp_AddSectorToCDPosition(&to, start, &buffer->lastPosition);
  }
  s.itemBytes += bytes;
  buffer->dataLength = bytes;
  QueuePlayBackSoundBuffer(buffer, last ? 1 : 0);
  if (last) save_.hold = 1;
}

void cSp_CDRProgramBaseObj::PlayQTFileTrack_ForEventLoopNormalForwordSpeed() {
  if (!PlayStepReady()) return;
  sSpPlayBackBufferSetBase& set = *bufferSet_;
  sSpPlayBackStepState& s = playStep_;
  while (queuedBuffers_ < kMaxQueuedBuffers && !set.blockFree[s.block]) {
    sSpCDReadBlock& block = set.blocks[s.block];
    const UInt32 frame = 2u * UInt32(std::max<SInt16>(block.description.numChannels, 1));
    const UInt32 n = std::min(block.firstWord - std::min(s.taken, block.firstWord),
                              UInt32(kSpSoundBufferDataBytes)) /
                     frame * frame;
    sSpPlayBackSoundBuffer* buffer = n > 0 ? TakeSoundBuffer(block) : nullptr;
    if (n > 0 && buffer == nullptr) return;
    if (buffer != nullptr) std::memcpy(buffer->data, block.data + s.taken, n);
    s.taken += n;
    if (block.firstWord - std::min(s.taken, block.firstWord) < frame) {
      set.blockFree[s.block] = 1;
      s.block = (s.block + 1) % kSpCDReadBlockCount;
      s.taken = 0;
    }
    const bool last = PlayDataEnded();
    // Data that ends with an empty block still ends with a (silent) last buffer.
    if (buffer == nullptr && last) buffer = TakeSoundBuffer(block);
    if (buffer != nullptr) QueuePlayed(buffer, n, last);
  }
}

void cSp_CDRProgramBaseObj::PlayQTFileTrack_ForEventLoopMultiSpeedByFullScaleOverlap() {
  if (!PlayStepReady()) return;
  sSpPlayBackBufferSetBase& set = *bufferSet_;
  sSpPlayBackStepState& s = playStep_;
  const SInt32 size = SInt32(kSpSoundBufferDataBytes);
  auto amplified = [this](sSpPlayBackSoundBuffer* b, SInt32 bytes) {
    if (levelFactor_ != 1.0f)
      SpCDRBufferSoundAddAmpValue(reinterpret_cast<char*>(b->data), bytes, levelFactor_);
    return b;
  };
  while (queuedBuffers_ < kMaxQueuedBuffers) {
    if (set.blockFree[s.block]) {
      if (PlayDataEnded() && s.fill != nullptr) {
        // The end of the data: what the buffers hold is played, the last marked.
        const bool more = s.next != nullptr && s.nextUsed > 0;
        QueuePlayed(amplified(s.fill, s.fillUsed), UInt32(s.fillUsed), !more);
        if (more) QueuePlayed(amplified(s.next, s.nextUsed), UInt32(s.nextUsed), true);
        s.fill = s.next = nullptr;
      }
      return;
    }
    sSpCDReadBlock& block = set.blocks[s.block];
    const SInt32 channels = std::max<SInt16>(block.description.numChannels, 1);
    const SInt32 frame = 2 * channels;
    for (sSpPlayBackSoundBuffer** b : {&s.fill, &s.next}) {
      if (*b != nullptr) continue;
      if ((*b = TakeSoundBuffer(block)) == nullptr) return;
      std::memset((*b)->data, 0, kSpSoundBufferDataBytes);
      (b == &s.fill ? s.fillUsed : s.nextUsed) = 0;
    }
    const SInt32 windowBytes = kWindowFrames * frame;
    const SInt32 hopBytes = SInt32(set.multiSpeed.framesPerStep) * frame;
    SInt32 fadeFrames = std::max<SInt32>(1, SInt32(kPlayFadeBytes) / channels / frame);
    if (windowBytes - hopBytes > 0)
      fadeFrames = std::min(fadeFrames, (windowBytes - hopBytes) / frame);
    sSpSaveSaveSoundBuffer fill{}, next{};
    fill.size = next.size = UInt32(size);
    fill.data = s.fill->data;
    next.data = s.next->data;
    fill.used = s.fillUsed;
    next.used = s.nextUsed;
    sSpSaveLoadSoundBuffer load{};
    load.data = load.samples = block.data;
    load.validBytes = block.firstWord / UInt32(frame) * UInt32(frame);
    load.consumed = s.taken;
    load.item = block.item;
    // A window starts at the window position, or goes on where the last step left it.
    long position = s.continuation ? s.layPosition : s.writePosition;
    float weight = s.continuation ? s.weight : (s.firstWindow ? 1.0f : 0.0f);
    if (!s.continuation) s.firstWindow = 0;
    const UInt32 need = UInt32(windowBytes) - s.windowFill;
    UInt32 n = load.validBytes - std::min(load.consumed, load.validBytes);
    const bool closes = n >= need;
    n = std::min(n, need);
    unsigned long end = load.consumed + n;
    const float step = 1.0f / float(fadeFrames);
    if (channels == 1) {
      LayData<1>(this, &fill, &next, weight, &load, position, end, step);
    } else {
      LayData<2>(this, &fill, &next, weight, &load, position, end, step);
    }
    s.taken = load.consumed;
    s.fillUsed = fill.used;
    s.nextUsed = next.used;
    if (closes) {
      s.windowFill = 0;
      s.continuation = 0;
      s.writePosition += hopBytes;
    } else {
      s.windowFill += n;
      s.continuation = 1;
      s.layPosition = SInt32(position);
      s.weight = weight;
    }
    if (load.validBytes - std::min(load.consumed, load.validBytes) < UInt32(frame)) {
      set.blockFree[s.block] = 1;
      s.block = (s.block + 1) % kSpCDReadBlockCount;
      s.taken = 0;
    }
    if (!s.continuation && s.writePosition >= size) {
      // The buffer is complete: it is played, the next one takes its place.
      QueuePlayed(amplified(s.fill, size), UInt32(size), false);
      s.fill = s.next;
      s.fillUsed = s.nextUsed;
      s.next = nullptr;
      s.nextUsed = 0;
      s.writePosition -= size;
    }
  }
}
