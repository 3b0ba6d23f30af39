// Programs: item lists and the play chain, order, queries, tags of items, the check before a
// save and the stop road of a save.
#include "SpCDROMProgram.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "CFString.h"
#include "MacMemory.h"
#include "Movies.h"
#include "SpCDRCDSaveInitData.h"
#include "SpCDREngineAlert.h"
#include "SpCDRFileSaveinitData.h"
#include "SpCDROMLoadCDSoundData.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDRomManager.h"
#include "SpCollectionObject.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpiTunesMusicInfoObject.h"

namespace {

const char kSource[] = "SpCDROMProgram.cpp";
const char kSaveSource[] = "SpCDROMSaveSoundData.cpp";
const char kTable[] = "LocalizableForCDROMProgram";
const char kComment[] = "Comment to Display Error Alert";

// Takes the item out of the list that begins at head (mending the head).
void Detach(cSp_CDRProgramItemObj*& head, cSp_CDRProgramItemObj* item) {
  cSp_CDRProgramItemObj* before = item->GetBeforeObjectPtr();
  cSp_CDRProgramItemObj* rest = item->UnlinkNext();
  if (before != nullptr) {
    before->UnlinkNext();
    if (rest != nullptr) before->LinkToNext(rest);
  } else {
    head = rest;
  }
}

// The same on the play chain.
void DetachFromChain(cSp_CDRProgramItemObj*& head, cSp_CDRProgramItemObj* item) {
  cSp_CDRProgramItemObj* before = item->GetTargetBeforeObjectPtr();
  cSp_CDRProgramItemObj* rest = item->UnlinkTargetNext();
  if (before != nullptr) {
    before->UnlinkTargetNext();
    if (rest != nullptr) before->LinkToTargetNext(rest);
  } else if (head == item) {
    head = rest;
  }
}

// A localised text of the program's table in the program's text; the fallback (UTF-8) when
// the table lacks the key.
std::string Localized(const char* key, const char* fallbackUTF8) {
  const std::string fallback = SpCDR_MJ(fallbackUTF8);
  CFStringRef text = Sp_GetLocalizedString(kTable, key, kComment, fallback.c_str());
  if (text == nullptr) return fallback;
  char buffer[2048] = {};
  Sp_GetCStringFromCFString(text, buffer, sizeof buffer, nullptr);
  CFRelease(text);
  return buffer;
}

// Whole seconds of a length in sectors.
unsigned long WholeSeconds(SInt32 sectors) {
  return sectors > 0 ? static_cast<unsigned long>(sectors / SInt32(kSpCDFramesPerSecond)) : 0;
}

}  // namespace

// ---- Construction -------------------------------------------------------------------------

cSp_CDRProgramBaseObj::cSp_CDRProgramBaseObj() {
  StartUpInitialize();
  readCompletionUPP_ = NewIOCompletionUPP(SpCDR_CatchCompleationReadCDData);
  saveReadCompletionUPP_ = NewIOCompletionUPP(SpCDR_CatchCompleationReadCDDataForSaveDataInFile);
}

void cSp_CDRProgramBaseObj::StartUpInitialize() {
  generationCounter_ = 0;
  repeatAll_ = repeatOne_ = 0;
  cdProgram_ = 0;
  cd_ = nullptr;
  iTunes_ = nullptr;
  fileProgram_ = 0;
  alertWindow_ = nullptr;
  saveErrorMgr_ = nullptr;
  stopRequest_ = 0;
  itemCount_ = 0;
  itemHead_ = itemTail_ = nullptr;
  chainHead_ = chainTail_ = nullptr;
  currentItem_ = nullptr;
  loadPosition_.StartUpInitialize();
  loadSector_ = 0;
  loadCounters_[0] = loadCounters_[1] = 0;
  readCompletionUPP_ = nullptr;
  saveReadCompletionUPP_ = nullptr;
  itemStart_.StartUpInitialize();
  itemEnd_.StartUpInitialize();
  itemStartSector_ = itemEndSector_ = 0;
  speedChanged_ = 0;
  nowPlayingItem_ = nullptr;
  playedPosition_.StartUpInitialize();
  inCallback_ = 0;
  playing_ = paused_ = fastForward_ = fastReverse_ = 0;
  started_ = 1;
  bufferSet_ = nullptr;
  speedFactor_ = 1.0;
  levelFactor_ = 1.0f;
  soundChannel_ = nullptr;
  soundCallBackUPP_ = nullptr;
  queuedBuffers_ = 0;
  loadInfo_ = sSp_CDRQTFileLoadInfoObj();
  saveRunning_ = 0;
  saveEndTimer_ = nullptr;
  newSave_ = 0;
  multiSpeedNeedsInit_ = 0;
  saveContext_ = nullptr;
  saveSpeed_ = 1.0f;
  loadChannelCount_ = 0;
  soundFileType_ = 0;
  musicFileRecord_ = nullptr;
  saveProgressProc_ = nullptr;
  saveProgressRefCon_ = 0;
  saveEndProc_ = nullptr;
  saveEndRefCon_ = 0;
  amplification_ = 100;
  stopProc_ = nullptr;
  stopRefCon_ = 0;
  endOfPlayNext_ = nullptr;
  compressionType_ = 0;
  saveSampleRate_ = 0;
  saveSampleSize_ = 0;
  saveChannelCount_ = 0;
  decompressionAtom_ = nullptr;
  outputConverter_ = nullptr;
  outputRate_ = 0;
  outputBufferSize_ = 0;
  outputBuffer_ = nullptr;
  outputDescription_ = nullptr;
  outputCompression_ = CompressionInfo();
  converterInput_ = SoundComponentData();
  converterOutput_ = SoundComponentData();
  vbrOutput_ = 0;
  usesOutputConverter_ = 0;
  save_ = sSpCDRSaveTarget();
  aiffcContext_ = nullptr;
  playStep_ = sSpPlayBackStepState();
}

cSp_CDRProgramBaseObj::~cSp_CDRProgramBaseObj() {
  // A save still running ends as stopped: its temporary file goes.
  if (saveRunning_ || save_.fileRefNum != 0 || save_.movie != nullptr || save_.endStage != 0) {
    saveEndProc_ = nullptr;
    EndOfSaveProgItem(1);
  }
  EndLoadQTFileSoundDataInfo();
  EndOfLoadSoundConverterInfo();
  DisposeOutputConverter();
  if (decompressionAtom_ != nullptr) DisposeHandle(decompressionAtom_);
  SpDeleteList(itemHead_);
  if (soundCallBackUPP_ != nullptr) DisposeSndCallBackUPP(soundCallBackUPP_);
  if (soundChannel_ != nullptr) SndDisposeChannel(soundChannel_, true);
  DisposeIOCompletionUPP(readCompletionUPP_);
  DisposeIOCompletionUPP(saveReadCompletionUPP_);
  delete musicFileRecord_;
}

// ---- Items ----------------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::RenumberItems() {
  if (itemHead_ == nullptr) return;
  itemHead_->SetupReferenceNo(1);
  itemHead_->SetupNormaReferenceNoToReferenceNo(1);
}

bool cSp_CDRProgramBaseObj::HasItem(const cSp_CDRProgramItemObj* item) const {
  for (cSp_CDRProgramItemObj* i = itemHead_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i == item) return true;
  }
  return false;
}

cSp_CDRProgramItemObj* cSp_CDRProgramBaseObj::NewProgramItem(short where) {
  cSp_CDRProgramItemObj* item = new (std::nothrow) cSp_CDRProgramItemObj();
  if (item == nullptr) {
    return SpReportFailure(kSource, "cSp_CDRProgramBaseObj::NewProgramItem", 1, kSpMsgMemory, item);
  }
  cSp_CDRProgramItemObj* after = where == 0 ? nullptr : itemTail_;
  if (where > 0) {
    if (cSp_CDRProgramItemObj* numbered = GetProgramItem(UInt32(where))) after = numbered;
  }
  if (after == nullptr) {
    if (itemHead_ != nullptr) item->LinkToNext(itemHead_);
    itemHead_ = item;
  } else {
    after->LinkToNext(item);
  }
  if (item->GetNextObjectPtr() == nullptr) itemTail_ = item;
  ++itemCount_;
  item->SetupGenerationNo(++generationCounter_);
  RenumberItems();
  return item;
}

Boolean cSp_CDRProgramBaseObj::DisposeItem(UInt32 refNo) {
  return DisposeItem(GetProgramItem(refNo));
}

Boolean cSp_CDRProgramBaseObj::DisposeItem(cSp_CDRProgramItemObj* item) {
  if (item == nullptr) return false;
  if (!HasItem(item)) {
    return SpReportFailure(kSource, "cSp_CDRProgramBaseObj::DisposeItem", 3, kSpMsgDataError,
                           Boolean(false));
  }
  Detach(itemHead_, item);
  itemTail_ = itemHead_ == nullptr ? nullptr : itemHead_->GetLastObjectPtr();
  DetachFromChain(chainHead_, item);
  chainTail_ = chainHead_ == nullptr ? nullptr : chainHead_->GetLastTargetObjectPtr();
  if (currentItem_ == item) currentItem_ = nullptr;
  if (nowPlayingItem_ == item) nowPlayingItem_ = nullptr;
  delete item;
  --itemCount_;
  RenumberItems();
  return true;
}

cSp_CDRProgramItemObj* cSp_CDRProgramBaseObj::GetProgramItem(UInt32 refNo) const {
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (UInt32(item->GetReferenceNo()) == refNo) return item;
  }
  return nullptr;
}

cSp_CDRProgramItemObj* cSp_CDRProgramBaseObj::GetProgramItemFromGenerationRefNum(
    UInt32 generation) const {
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetGenerationNo() == generation) return item;
  }
  return nullptr;
}

short cSp_CDRProgramBaseObj::GetCurrentItemNumber() const {
  if (bufferSet_ != nullptr && nowPlayingItem_ != nullptr)
    return short(nowPlayingItem_->GetReferenceNo());
  return currentItem_ != nullptr ? short(currentItem_->GetReferenceNo()) : 0;
}

// ---- The play chain -------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::ClearPlayProgramItem() {
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr())
    item->ClearTargetLinkPointer();
  chainHead_ = chainTail_ = nullptr;
}

Boolean cSp_CDRProgramBaseObj::SetupPlayProgramItem(short position) {
  if (position < 1) return false;
  return SetupPlayProgramItemPtr(GetProgramItem(UInt32(position)));
}

Boolean cSp_CDRProgramBaseObj::SetupPlayProgramItemPtr(cSp_CDRProgramItemObj* item) {
  if (item == nullptr || !HasItem(item)) return false;
  if (item == chainHead_ || item->GetTargetBeforeObjectPtr() != nullptr) return false;
  item->ClearTargetLinkPointer();
  if (chainTail_ == nullptr) {
    chainHead_ = item;
    currentItem_ = item;
  } else {
    chainTail_->LinkToTargetNext(item);
  }
  chainTail_ = item;
  return true;
}

void cSp_CDRProgramBaseObj::SetupAllItemIntoPlayProgramItem() {
  ClearPlayProgramItem();
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr())
    SetupPlayProgramItemPtr(item);
  currentItem_ = chainHead_;
}

// ---- Order and repeat -----------------------------------------------------------------------

void cSp_CDRProgramBaseObj::ModifyRandomProgram() {
  if (itemCount_ < 2) return;
  const short n = short(std::min<SInt32>(itemCount_, 0x7FFF));
  cSp_CDRProgramItemObj* old = itemHead_;
  itemHead_ = itemTail_ = nullptr;
  int misses = 0;
  while (old != nullptr) {
    cSp_CDRProgramItemObj* taken = nullptr;
    if (old->GetNextObjectPtr() == nullptr) {
      taken = old;
    } else {
      while (taken == nullptr) {
        short r = 0;
        Sp_GetRandomIntNumber(1, n, &r);
        for (cSp_CDRProgramItemObj* i = old; i != nullptr; i = i->GetNextObjectPtr()) {
          if (i->GetReferenceNo() == r) taken = i;
        }
        // The numbers already taken miss; after a run of misses the first left is taken.
        if (taken == nullptr && ++misses > 4) taken = old;
      }
    }
    Detach(old, taken);
    cDiscPosition start, end;
    if (itemTail_ != nullptr) {
      Sp_AddSectorToCDPosition(&itemTail_->GetRealEndPosition(), 1, &start);
      itemTail_->LinkToNext(taken);
    } else {
      itemHead_ = taken;
    }
    Sp_AddSectorToCDPosition(&start, UInt32(std::max<SInt32>(taken->GetLength(), 0)), &end);
    taken->SetupRealPositions(start, end);
    itemTail_ = taken;
    misses = 0;
  }
  itemHead_->SetupReferenceNo(1);
}

void cSp_CDRProgramBaseObj::ResetInitialRankProgram() {
  if (itemHead_ == nullptr) return;
  cSp_CDRProgramItemObj* old = itemHead_;
  UInt32 highest = 0;
  for (cSp_CDRProgramItemObj* i = old; i != nullptr; i = i->GetNextObjectPtr())
    highest = std::max(highest, i->GetNormalReferenceNo());
  itemHead_ = itemTail_ = nullptr;
  auto append = [this](cSp_CDRProgramItemObj* item) {
    if (itemTail_ != nullptr) {
      itemTail_->LinkToNext(item);
    } else {
      itemHead_ = item;
    }
    itemTail_ = item;
  };
  for (UInt32 k = 1; k <= highest && old != nullptr; ++k) {
    for (cSp_CDRProgramItemObj* i = old; i != nullptr; i = i->GetNextObjectPtr()) {
      if (i->GetNormalReferenceNo() != k) continue;
      Detach(old, i);
      append(i);
      break;
    }
  }
  // Items of no number in 1..n keep their order at the end.
  while (old != nullptr) {
    cSp_CDRProgramItemObj* first = old;
    Detach(old, first);
    append(first);
  }
  itemHead_->SetupReferenceNo(1);
}

short cSp_CDRProgramBaseObj::AllProgramRepeat() {
  repeatAll_ = 1;
  repeatOne_ = 0;
  return 0;
}

short cSp_CDRProgramBaseObj::OneTrackRepeat() {
  repeatOne_ = 1;
  repeatAll_ = 0;
  return 0;
}

short cSp_CDRProgramBaseObj::ClearRepeat() {
  repeatAll_ = repeatOne_ = 0;
  return 0;
}

// ---- Queries --------------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::GetProgramTotalTime(short* minutes, short* seconds, short* frames) {
  if (itemHead_ == nullptr) return false;
  SInt64 sectors = 0;
  for (cSp_CDRProgramItemObj* i = itemHead_; i != nullptr; i = i->GetNextObjectPtr())
    sectors += std::max<SInt32>(i->GetLength(), 0);
  cDiscPosition total;
  Sp_SectorToCDPosition(SInt32(std::min<SInt64>(sectors, INT32_MAX)), &total);
  if (minutes != nullptr) *minutes = short(std::min<UInt32>(total.minutes, 0x7FFF));
  if (seconds != nullptr) *seconds = short(total.seconds);
  if (frames != nullptr) *frames = short(total.frames);
  return true;
}

Boolean cSp_CDRProgramBaseObj::GetFileProgramItemSize(UInt32 position, SInt32& size) {
  cSp_CDRProgramItemObj* item = GetProgramItem(position);
  if (item == nullptr || item->GetItemType() != kSpCDRProgItemSoundFile) return false;
  return item->GetFileProgramItemSize(size);
}

Boolean cSp_CDRProgramBaseObj::GetFileProgramTotalSize(SInt32& size) {
  Boolean all = true;
  SInt64 total = 0;
  for (cSp_CDRProgramItemObj* i = itemHead_; i != nullptr; i = i->GetNextObjectPtr()) {
    SInt32 one = 0;
    if (i->GetFileProgramItemSize(one)) {
      total += one;
    } else {
      all = false;
    }
  }
  size = SInt32(std::min<SInt64>(total, INT32_MAX));
  return all;
}

short cSp_CDRProgramBaseObj::GetSaveChannelCount(SInt32 refNo, short channels) const {
  if (channels > 0) return channels >= 2 ? 2 : 1;
  for (cSp_CDRProgramItemObj* i = itemHead_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (refNo >= 1 && i->GetReferenceNo() != refNo) continue;
    if (i->GetItemType() == kSpCDRProgItemCDTrack) return 2;
    const cSp_QTFileDataObj* file = i->GetQTFileMedia();
    // A file not read yet counts as stereo: its save never gets less room than it needs.
    if (file == nullptr || file->GetSoundFormat().numChannels != 1) return 2;
  }
  return 1;
}

UInt64 cSp_CDRProgramBaseObj::GetSaveDataSize(short refNo, tCDRISoundFileType type) const {
  UInt64 header = 0;
  if (type == kSpCDRISoundFileTypeAIFF) header = kSpAIFFHeaderBytes;
  if (type == kSpCDRISoundFileTypeWAVE) header = kSpWAVEHeaderBytes;
  const short channels = GetSaveChannelCount(refNo, loadChannelCount_);
  const UInt64 frameBytes = 2u * UInt64(channels);
  // The sound of one item in the working format at the save's channel count.
  auto bytesOf = [frameBytes](const cSp_CDRProgramItemObj* item) -> UInt64 {
    if (item->GetItemType() == kSpCDRProgItemCDTrack) {
      return UInt64(std::max<SInt32>(item->GetLength(), 0)) * kSpCDSampleFramesPerSector *
             frameBytes;
    }
    const cSp_QTFileDataObj* file = item->GetQTFileMedia();
    if (file == nullptr || !(file->GetSeconds() > 0)) return 0;
    return UInt64(double(file->GetSeconds()) * 44100.0) * frameBytes;
  };
  const double speed = saveSpeed_ > 0 ? double(saveSpeed_) : 1.0;
  if (refNo < 1) {
    UInt64 sum = 0;
    for (cSp_CDRProgramItemObj* i = itemHead_; i != nullptr; i = i->GetNextObjectPtr())
      sum += UInt64(float(bytesOf(i)) / float(speed));
    return sum + header;
  }
  const cSp_CDRProgramItemObj* item = GetProgramItem(UInt32(refNo));
  if (item == nullptr) return 0;
  const UInt64 bytes = bytesOf(item);
  return bytes == 0 ? header : header + UInt64(double(bytes) / speed);
}

Boolean cSp_CDRProgramBaseObj::GetPlayingTrackDataOnCD(cSp_CDRomMediaDataObj** cd, short* trackNo,
                                                       short* itemNo, cDiscPosition* a,
                                                       cDiscPosition* b, cDiscPosition* c,
                                                       cDiscPosition* d, unsigned char* beforeStart,
                                                       unsigned char* sign) {
  if (bufferSet_ == nullptr || currentItem_ == nullptr || itemHead_ == nullptr ||
      nowPlayingItem_ == nullptr) {
    return false;
  }
  const cSp_CDRProgramItemObj* item = nowPlayingItem_;
  cDiscPosition pa, pb, pc, pd;
  if (item->GetItemType() == kSpCDRProgItemSoundFile) {
    if (item->GetQTFileMedia() == nullptr) return false;
    if (cd != nullptr) *cd = nullptr;
    if (trackNo != nullptr) *trackNo = 1;
    if (beforeStart != nullptr) *beforeStart = 0;
    if (sign != nullptr) *sign = 0;
    pa = pb = playedPosition_;
    Sp_GetLengthCDPosition(&playedPosition_, &item->GetEndPosition(), &pc);
    pd = pc;
  } else {
    if (item->GetCDMedia() == nullptr || item->GetTrackData() == nullptr) return false;
    if (cd != nullptr) *cd = item->GetCDMedia();
    if (trackNo != nullptr) *trackNo = short(item->GetTrackData()->trackNo);
    const SInt32 comparison =
        Sp_CDPositionComp(&playedPosition_, &item->GetStartPosition(), nullptr);
    if (beforeStart != nullptr) *beforeStart = comparison < 0 ? 1 : 0;
    if (sign != nullptr) *sign = comparison < 0 ? 0xFF : UInt8(comparison);
    const UInt32 offset = Sp_GetLengthCDPosition(&item->GetStartPosition(), &playedPosition_, &pa);
    cDiscPosition onLine;
    Sp_AddSectorToCDPosition(&item->GetRealStartPosition(), offset, &onLine);
    Sp_GetLengthCDPosition(&itemHead_->GetRealStartPosition(), &onLine, &pb);
    Sp_GetLengthCDPosition(&playedPosition_, &item->GetEndPosition(), &pc);
    Sp_GetLengthCDPosition(&onLine, &itemTail_->GetRealEndPosition(), &pd);
  }
  if (itemNo != nullptr) *itemNo = short(item->GetReferenceNo());
  if (a != nullptr) *a = pa;
  if (b != nullptr) *b = pb;
  if (c != nullptr) *c = pc;
  if (d != nullptr) *d = pd;
  return true;
}

Boolean cSp_CDRProgramBaseObj::IsOneCDRomProgram(cSp_CDRomMediaDataObj** cd) const {
  if (cd != nullptr) *cd = cd_;
  return cdProgram_;
}

Boolean cSp_CDRProgramBaseObj::IsOneFileProgram(char*, UInt32* format) const {
  if (cdProgram_ || itemCount_ != 1 || itemHead_->GetItemType() != kSpCDRProgItemSoundFile)
    return false;
  if (format != nullptr) {
    const cSp_QTFileDataObj* file = itemHead_->GetQTFileMedia();
    *format = file != nullptr ? file->GetSoundFormat().format : 0;
  }
  return true;
}

short cSp_CDRProgramBaseObj::GetProgramType() const {
  if (itemHead_ == nullptr) return kSpProgramTypeEmpty;
  if (cdProgram_) return kSpProgramTypeCD;
  if (itemCount_ == 1 && itemHead_->GetItemType() == kSpCDRProgItemSoundFile)
    return kSpProgramTypeOneFile;
  return kSpProgramTypeMixed;
}

// ---- Tags of items --------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::GetTargetProgramItemMusicInfo(
    cSp_CDRProgramItemObj* item, ciTunesMusicInfoObj* library,
    cSp_MusicFileMusicInfoDataObj*& record) {
  static const char kMethod[] = "cSp_CDRProgramBaseObj::GetTargetProgramItemMusicInfo";
  if (item == nullptr)
    return SpReportFailure(kSaveSource, kMethod, 1, kSpMsgNullArgument, Boolean(false));
  record = nullptr;
  if (item->GetItemType() == kSpCDRProgItemSoundFile) {
    SpQTI_ParseMusicInfoFromTargetFile(item->GetVolumeRefNum(), item->GetDirID(),
                                       item->GetFileName(), saveErrorMgr_, record);
    if (record != nullptr) return true;
    // No tag in the file: its movie user data.
    FSSpec spec{};
    Str255 name;
    const std::size_t length = std::strlen(item->GetFileName());
    if (length == 0 || length > 255) return false;
    name[0] = UInt8(length);
    std::memcpy(name + 1, item->GetFileName(), length);
    if (FSMakeFSSpec(item->GetVolumeRefNum(), item->GetDirID(), name, &spec) != noErr) return false;
    SInt16 ref = 0;
    if (OpenMovieFile(&spec, &ref, fsRdPerm) != noErr) return false;
    Movie movie = nullptr;
    NewMovieFromFile(&movie, ref, nullptr, nullptr, newMovieActive, nullptr);
    CloseMovieFile(ref);
    if (movie == nullptr) return false;
    SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(movie, saveErrorMgr_, record);
    DisposeMovie(movie);
    return record != nullptr;
  }
  if (!cdProgram_) return false;
  cSp_uLongCollection lengths;
  cSp_uLongCollection itemLength;
  for (cSp_CDRProgramItemObj* i = itemHead_; i != nullptr; i = i->GetNextObjectPtr())
    lengths.SetValue(-1, WholeSeconds(i->GetLength()));
  itemLength.SetValue(-1, WholeSeconds(item->GetLength()));
  if (library != nullptr) {
    cSp_uLongCollection found;
    const short count = short(std::min<SInt32>(itemCount_, 0x7FFF));
    if (!library->GetTargetAlbum(count, &lengths, 0, &found))
      library->GetTargetAlbum(count, &lengths, 1, &found);
    unsigned long first = 0;
    if (found.GetValue(1, first) && first != 0) {
      auto* album = reinterpret_cast<ciTunesInfoMusicGroupObj*>(first);
      album->CreateMusicInfoWithID3VersionUnder2(short(item->GetReferenceNo()), &itemLength,
                                                 record);
      if (record != nullptr && record->GetFirstItemPtr() == nullptr) {
        delete record;
        record = nullptr;
      }
    }
  }
  if (record == nullptr)
    CreateMusicInfoForTargetItemFromCDTrackInfoWithID3VersionUnder2(short(item->GetReferenceNo()),
                                                                    record);
  return record != nullptr;
}

Boolean cSp_CDRProgramBaseObj::CreateMusicInfoForTargetItemFromCDTrackInfoWithID3VersionUnder2(
    short trackRef, cSp_MusicFileMusicInfoDataObj*& record) {
  record = new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_ID3);
  if (record == nullptr) return false;
  char title[1024] = {};
  if (cd_ != nullptr && cd_->GetCDTitle(title, sizeof title, nullptr) && title[0] != 0)
    record->SetupCStringIntoNewTextDataWithID3VersionUnder2(SpFourCC("TAL "), title, 1);
  if (trackRef < 1) {
    if (title[0] != 0)
      record->SetupCStringIntoNewTextDataWithID3VersionUnder2(SpFourCC("TT2 "), title, 1);
  } else if (const cSp_CDRProgramItemObj* item = GetProgramItem(UInt32(trackRef))) {
    const std::string number = std::to_string(trackRef) + "/" + std::to_string(itemCount_);
    record->SetupCStringIntoNewTextDataWithID3VersionUnder2(SpFourCC("TRK "), number.c_str(), 1);
    // The title is the track's own: its number on the CD, which a program that does not
    // begin at the first track does not share with the item's place.
    const short trackNo =
        item->GetTrackData() != nullptr ? short(item->GetTrackData()->trackNo) : trackRef;
    char trackTitle[1024] = {};
    if (cd_ != nullptr && cd_->GetCDTrackTitle(trackNo, trackTitle, sizeof trackTitle, nullptr) &&
        trackTitle[0] != 0) {
      record->SetupCStringIntoNewTextDataWithID3VersionUnder2(SpFourCC("TT2 "), trackTitle, 1);
    }
  }
  if (record->GetFirstItemPtr() != nullptr) return true;
  delete record;
  record = nullptr;
  return false;
}

// ---- Kind -----------------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::SetupCDProgram(cSp_CDRomMediaDataObj* cd) {
  cdProgram_ = 1;
  cd_ = cd;
}

// ---- The CD going away ----------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::HoldsCDMedia(const cSp_CDRomMediaDataObj* cd) const {
  if (cd == nullptr) return false;
  if (cd_ == cd) return true;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetCDMedia() == cd) return true;
  }
  return false;
}

void cSp_CDRProgramBaseObj::MarkCDGone(const cSp_CDRomMediaDataObj* cd) {
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (cd != nullptr && item->GetCDMedia() == cd) item->SetupCDGoneFlag();
  }
}

void cSp_CDRProgramBaseObj::ForgetCDMedia(const cSp_CDRomMediaDataObj* cd) {
  if (cd == nullptr) return;
  if (cd_ == cd) cd_ = nullptr;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetCDMedia() == cd) item->ForgetCDMedia();
  }
}

// ---- Before a save --------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::CheckAllProgramItemLoadPossibility(unsigned char tell,
                                                                  WindowRef window) {
  static const char kMethod[] = "cSp_CDRProgramBaseObj::CheckAllProgramItemLoadPossibility";
  SInt32 files = 0, failed = 0, locked = 0;
  bool typeError = false;
  std::string lockedTitle;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    bool exists = false;
    if (item->GetItemType() == kSpCDRProgItemCDTrack) {
      exists = item->GetCDMedia() != nullptr && item->GetTrackData() != nullptr &&
               !item->GetCDGoneFlag() &&
               Sp_ExsitTargetFile(item->GetCDMedia()->GetVolumeRefNum(), 0, item->GetFileName());
    } else if (item->GetItemType() == kSpCDRProgItemSoundFile) {
      exists = Sp_ExsitTargetFile(item->GetVolumeRefNum(), item->GetDirID(), item->GetFileName());
    } else {
      SpReportFailure(kSource, kMethod, 5, "Program Item Type Error occured !! ");
      typeError = true;
      break;
    }
    ++files;
    // A file that is not there cannot be loaded.
    if (!exists) {
      ++failed;
      continue;
    }
    if (item->GetItemType() != kSpCDRProgItemSoundFile) continue;
    SoundConverter converter = nullptr;
    unsigned char isProtected = 0;
    const unsigned char ready = Sp_InitLoadQTFileSoundConverterInfo(
        item->GetVolumeRefNum(), item->GetDirID(), item->GetFileName(), 0, 0, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, converter, UInt32(MaxBlock() / 4), nullptr, nullptr,
        nullptr, nullptr, nullptr, 0, nullptr, &isProtected);
    if (converter != nullptr) SoundConverterClose(converter);
    if (ready) continue;
    ++failed;
    if (isProtected) {
      if (++locked == 1)
        lockedTitle = item->GetTitle()[0] != 0 ? item->GetTitle() : item->GetFileName();
    }
  }
  if (!typeError && failed == 0) return true;
  if (!tell) return false;

  const std::string title = Localized("CDROM-Program-Initialize-Error-Alert-Title", "報　告");
  const std::string button =
      Localized("CDROM-Program-Initialize-Error-Alert-Button-String", "閉じる");
  std::string text;
  if (typeError || locked == 0) {
    // Files that cannot be read for another reason: the load's own message.
    text = Localized("CDROM-Program-Initialize-Error-Stop-Process-Comment",
                     "実行初期化段階でファイル再生時間の取得に失敗しました。処理を中断します。");
  } else if (locked == 1 || files == 1) {
    text = "\n" + lockedTitle + ":" +
           Localized("CDROM-Program-Initialize-Error-DRM-Lock-File-Comment",
                     "著作権保護機能により保護されているファイルです。");
  } else {
    text = "\n" + std::to_string(files);
    if (locked == files) {
      text += Localized("CDROM-Program-Initialize-Error-AllFile-DRM-Lock-File-Comment",
                        "ファイルの全てが著作権保護機能により保護されているファイルです。");
    } else {
      text +=
          Localized("CDROM-Program-Initialize-Error-NumOfFile-DRM-Lock-File-TotalFileIs-Comment",
                    "ファイルの中で、") +
          std::to_string(locked) +
          Localized("CDROM-Program-Initialize-Error-NumOfFile-DRM-Lock-File-Comment",
                    "ファイルが著作権保護機能により保護されているファイルです。");
    }
  }
  text += "\n(Function : CheckAllProgramItemLoadPossibility)";
  SpCDR_ShowAlert(window, title, text, button);
  return false;
}

// ---- The save road --------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::SetupSaveCompression(OSType type, UnsignedFixed rate, short sampleSize,
                                                 short channels, Handle settings) {
  compressionType_ = type;
  saveSampleRate_ = rate;
  saveSampleSize_ = sampleSize;
  saveChannelCount_ = channels;
  if (decompressionAtom_ != nullptr && decompressionAtom_ != settings)
    DisposeHandle(decompressionAtom_);
  decompressionAtom_ = settings;
}
