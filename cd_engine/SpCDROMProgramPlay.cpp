// Programs: the run (play-back and the start of a save's data flow), speed, amplification and
// the end-of-play list.
#include <algorithm>

#include "SpCDRCDSaveInitData.h"
#include "SpCDRFileSaveinitData.h"
#include "SpCDROMLoadCDSoundData.h"
#include "SpCDROMProgram.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpCDRomManager.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpCDROMProgram.cpp";

// The head of the end-of-play list, and its lock (cleared by every insertion).
cSp_CDRProgramBaseObj* endOfPlayProgramList_GlV = nullptr;
unsigned char lockOfEndOfProgListFlag_GlV = 0;
// The amplification kept while fast forward or reverse runs at a third of it.
SInt16 befoerAmpValue_GlV = 100;

short ClampLevel(short level) {
  return level < 0 ? 0 : (level > 100 ? 100 : level);
}

bool OnEndOfPlayList(const cSp_CDRProgramBaseObj* program) {
  for (cSp_CDRProgramBaseObj* p = endOfPlayProgramList_GlV; p != nullptr;
       p = p->GetEndOfPlayNext()) {
    if (p == program) return true;
  }
  return false;
}

}  // namespace

// ---- Positions of the run -------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::SetupTargetPlayPartItem(unsigned char withPlayed) {
  if (bufferSet_ == nullptr) return false;
  if (currentItem_ == nullptr) currentItem_ = itemHead_;
  if (currentItem_ == nullptr) return false;
  itemStart_ = currentItem_->GetStartPosition();
  itemEnd_ = currentItem_->GetEndPosition();
  itemStartSector_ = Sp_CDPositionToSector(&itemStart_);
  itemEndSector_ = Sp_CDPositionToSector(&itemEnd_);
  if (withPlayed) {
    playedPosition_ = itemStart_;
    nowPlayingItem_ = currentItem_;
  }
  loadPosition_ = itemStart_;
  loadSector_ = itemStartSector_;
  loadCounters_[0] = loadCounters_[1] = 0;
  return true;
}

Boolean cSp_CDRProgramBaseObj::SetupTargetPlayPartItemByRealPosition() {
  if (bufferSet_ == nullptr) return false;
  if (nowPlayingItem_ != nullptr && nowPlayingItem_ != currentItem_) currentItem_ = nowPlayingItem_;
  if (!SetupTargetPlayPartItem(0)) return false;
  loadPosition_ = playedPosition_;
  loadSector_ = Sp_CDPositionToSector(&playedPosition_);
  return true;
}

void cSp_CDRProgramBaseObj::ResetBuffersForRestart() {
  playStep_ = sSpPlayBackStepState();
  if (bufferSet_ == nullptr) return;
  if (bufferSet_->readInProgress) bufferSet_->abandonRead = 1;
  StopChannelSound();
  Sp_CDRomResetSoundBuffer(bufferSet_);
}

// ---- Transport ------------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::PlayBackProgram(SInt32 refNo) {
  if (paused_ && refNo == -1) {
    ReplayPausedTheMusic();
    return true;
  }
  if (playing_) {
    playing_ = 0;
    StopChannelSound();
    if (paused_) {
      ReplayPausedTheMusic();
      paused_ = 0;
    }
  }
  if (bufferSet_ == nullptr) {
    if (!BorrowBufferSet()) return false;
    Sp_CDRSetupSoundBuffSet(bufferSet_);
  }
  if (refNo != -1) {
    cSp_CDRProgramItemObj* item = refNo > 0 ? GetProgramItem(UInt32(refNo)) : nullptr;
    if (item == nullptr) return false;
    currentItem_ = item;
  } else if (currentItem_ == nullptr) {
    currentItem_ = itemHead_;
  }
  SetupTargetPlayPartItem(1);
  InitializeLoadInfo();
  Sp_CDRomResetSoundBuffer(bufferSet_);
  return PlaySound();
}

Boolean cSp_CDRProgramBaseObj::PlaySound() {
  SetupTargetPlayPartItem(1);
  if (currentItem_ == nullptr) return false;
  if (currentItem_->GetItemType() == kSpCDRProgItemCDTrack &&
      (currentItem_->GetCDMedia() == nullptr || currentItem_->GetCDGoneFlag())) {
    return false;
  }
  started_ = 1;
  SetupTargetPlayPartItem(1);
  InitializeLoadInfo();
  InitializeMultiSpeedData();
  playing_ = 1;
  // The next step opens the item afresh, computes the step parameters again and, for a
  // save, takes over its callbacks.
  loadInfo_.initialised = 0;
  multiSpeedNeedsInit_ = 1;
  newSave_ = 1;
  save_.firstWindow = 1;
  playStep_ = sSpPlayBackStepState();
  playStep_.firstWindow = 1;
  return true;
}

OSErr cSp_CDRProgramBaseObj::StopTheMusic() {
  playStep_ = sSpPlayBackStepState();
  if (playing_) {
    if (soundChannel_ != nullptr) {
      playing_ = 0;
      StopChannelSound();
    }
    if (paused_) ReplayPausedTheMusic();
    if (bufferSet_ != nullptr) {
      if (cSp_CDRomManager* manager = Sp_GetCDRomManager()) manager->ReturnBufferSet(bufferSet_);
      bufferSet_ = nullptr;
    }
    if (stopProc_ != nullptr) stopProc_(stopRefCon_);
  }
  currentItem_ = itemHead_;
  SetupTargetPlayPartItem(1);
  return noErr;
}

void cSp_CDRProgramBaseObj::PauseTheMusic() {
  if (paused_ || soundChannel_ == nullptr) return;
  PauseChannelSound();
  paused_ = 1;
}

void cSp_CDRProgramBaseObj::ReplayPausedTheMusic() {
  if (soundChannel_ == nullptr || !paused_) return;
  ReplayPauseChannelSound();
  paused_ = 0;
}

OSErr cSp_CDRProgramBaseObj::ChangeFastMode(unsigned char& flag, bool on) {
  if (bufferSet_ == nullptr) return kSpCDRNotPossibleErr;
  if (soundChannel_ == nullptr || (on ? (!playing_ || flag) : !flag)) return noErr;
  if (!on) flag = 0;
  playing_ = 0;
  ResetBuffersForRestart();
  SetupTargetPlayPartItemByRealPosition();
  if (on) {
    // Fast play is heard at a third of the amplification, restored when it ends.
    flag = 1;
    befoerAmpValue_GlV = SInt16(amplification_);
    SetSoundAmp(short(std::max<SInt32>(1, amplification_ / 3)));
  } else {
    SetSoundAmp(befoerAmpValue_GlV);
  }
  playing_ = 1;
  multiSpeedNeedsInit_ = 1;
  InitializeMultiSpeedData();
  return noErr;
}

OSErr cSp_CDRProgramBaseObj::FirstForward() {
  return ChangeFastMode(fastForward_, true);
}

OSErr cSp_CDRProgramBaseObj::FirstReverse() {
  if (bufferSet_ != nullptr && currentItem_ != nullptr &&
      currentItem_->GetItemType() == kSpCDRProgItemCDTrack &&
      currentItem_->GetCDMedia() == nullptr) {
    return kSpCDRNotPossibleErr;
  }
  return ChangeFastMode(fastReverse_, true);
}

OSErr cSp_CDRProgramBaseObj::StopFirstForward() {
  return ChangeFastMode(fastForward_, false);
}

OSErr cSp_CDRProgramBaseObj::StopFirstReverse() {
  return ChangeFastMode(fastReverse_, false);
}

Boolean cSp_CDRProgramBaseObj::TrackFoward() {
  const unsigned char wasPlaying = playing_;
  if (bufferSet_ != nullptr && nowPlayingItem_ != nullptr &&
      nowPlayingItem_->GetNextObjectPtr() != nullptr) {
    playing_ = 0;
    ResetBuffersForRestart();
    currentItem_ = nowPlayingItem_->GetNextObjectPtr();
  } else if (currentItem_ != nullptr && currentItem_->GetTargetNextObjectPtr() != nullptr) {
    playing_ = 0;
    StopChannelSound();
    currentItem_ = currentItem_->GetTargetNextObjectPtr();
  } else {
    return false;
  }
  SetupTargetPlayPartItem(1);
  InitializeLoadInfo();
  multiSpeedNeedsInit_ = 1;
  InitializeMultiSpeedData();
  if (bufferSet_ != nullptr) Sp_CDRomResetSoundBuffer(bufferSet_);
  started_ = 1;
  playing_ = wasPlaying;
  return true;
}

Boolean cSp_CDRProgramBaseObj::SetStartPointOnStopStatus(SInt32 refNo) {
  if (playing_) return false;
  cSp_CDRProgramItemObj* item = refNo > 0 ? GetProgramItem(UInt32(refNo)) : nullptr;
  if (item == nullptr) return false;
  currentItem_ = item;
  return true;
}

OSErr cSp_CDRProgramBaseObj::ChangeMultiSpeed(double factor) {
  const bool valid = factor > 0 && factor <= kSpCDRMaxSpeedFactor;
  if (bufferSet_ != nullptr && soundChannel_ != nullptr && playing_ && !fastForward_ &&
      !fastReverse_ && valid && factor != speedFactor_) {
    playing_ = 0;
    ResetBuffersForRestart();
    SetupTargetPlayPartItemByRealPosition();
    speedFactor_ = factor;
    ChangeSoundAmpLevel(1);
    playing_ = 1;
    multiSpeedNeedsInit_ = 1;
    InitializeMultiSpeedData();
  } else if (valid) {
    speedFactor_ = factor;
  }
  speedChanged_ = 1;
  return noErr;
}

void cSp_CDRProgramBaseObj::StandByCD(short cdRefNum, cDiscPosition* position) {
  // The CD is only looked up: nothing here moves a drive.
  const cSp_CDRomMediaDataObj* cd = SpCDR_GetCDRomMediaObjPtrWithOrigRefNum(UInt32(cdRefNum));
  if (cd == nullptr || position == nullptr) return;
  (void)Sp_CDPositionToSector(position);
}

// ---- Amplification --------------------------------------------------------------------------

bool cSp_CDRProgramBaseObj::CurrentItemVolumeLevel(UInt32& level) const {
  if (currentItem_ == nullptr) return false;
  if (currentItem_->GetItemType() == kSpCDRProgItemCDTrack) {
    const cSp_CDRomMediaDataObj* cd = currentItem_->GetCDMedia();
    if (cd == nullptr || cd->GetStartData() == nullptr) return false;
    cd->GetStartData()->GetCDData(nullptr, nullptr, &level);
    return true;
  }
  const cSp_QTFileDataObj* file = currentItem_->GetQTFileMedia();
  if (file == nullptr || file->GetStartData() == nullptr) return false;
  level = file->GetStartData()->GetVolumeLevel();
  return true;
}

SInt32 cSp_CDRProgramBaseObj::GetItemSaveLevel(const cSp_CDRProgramItemObj* item) const {
  UInt32 level = 100;
  if (item != nullptr && item->GetItemType() == kSpCDRProgItemCDTrack) {
    const cSp_CDRomMediaDataObj* cd = item->GetCDMedia();
    if (cd != nullptr && cd->GetStartData() != nullptr)
      cd->GetStartData()->GetCDData(nullptr, nullptr, &level);
  } else if (item != nullptr && item->GetQTFileMedia() != nullptr &&
             item->GetQTFileMedia()->GetStartData() != nullptr) {
    level = item->GetQTFileMedia()->GetStartData()->GetVolumeLevel();
  }
  level = std::min<UInt32>(level, 100);
  return SInt32(float(amplification_) * float(level) / 100.0f);
}

void cSp_CDRProgramBaseObj::SetSoundAmp(short level) {
  level = ClampLevel(level);
  if (level == amplification_) return;
  amplification_ = level;
  ChangeSoundAmpLevel(1);
}

void cSp_CDRProgramBaseObj::SetSoundAmp(SndChannel* channel, short level) {
  ChangeSoundAmpLevel(channel, ClampLevel(level));
}

Boolean cSp_CDRProgramBaseObj::SetMediaSoundAmp(short level, SInt32 refNo) {
  level = ClampLevel(level);
  bool changed = false;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (refNo != -1 && item->GetReferenceNo() != refNo) continue;
    if (item->GetItemType() == kSpCDRProgItemCDTrack) {
      cCDSaveInitialData* data =
          item->GetCDMedia() != nullptr ? item->GetCDMedia()->GetStartData() : nullptr;
      UInt32 current = 0;
      if (data != nullptr) data->GetCDData(nullptr, nullptr, &current);
      if (data != nullptr && current != UInt32(level)) {
        data->SetupVolumeLevel(UInt32(level));
        changed = true;
      }
    } else if (item->GetQTFileMedia() != nullptr) {
      cQTFileSaveInitialData* data = item->GetQTFileMedia()->GetStartData();
      if (data != nullptr && data->GetVolumeLevel() != UInt32(level)) {
        data->SetupVolumeLevel(UInt32(level));
        changed = true;
      }
    }
  }
  if (changed) ChangeSoundAmpLevel(1);
  return true;
}

void cSp_CDRProgramBaseObj::ChangeSoundAmpLevel(unsigned char direct) {
  UInt32 level = 0;
  if (bufferSet_ == nullptr || !CurrentItemVolumeLevel(level)) {
    SpReportFailure(kSource, "cSp_CDRProgramBaseObj::ChangeSoundAmpLevel", 1, kSpMsgDataError);
    return;
  }
  const short effective = short(float(amplification_) * float(level) / 100.0f);
  if (soundChannel_ == nullptr) return;
  if (direct) {
    SetupVolumeDirect(effective);
  } else {
    SetupVolumeOnMusicData(effective);
  }
}

void cSp_CDRProgramBaseObj::ChangeSoundAmpLevel(SndChannel* channel, short level) {
  UInt32 volume = 0;
  if (channel == nullptr || !CurrentItemVolumeLevel(volume)) {
    SpReportFailure(kSource, "cSp_CDRProgramBaseObj::ChangeSoundAmpLevel", 1, kSpMsgDataError);
    return;
  }
  SetupVolumeDirect(short(float(level) * float(volume) / 100.0f));
}

void cSp_CDRProgramBaseObj::SetupVolumeDirect(short level) {
  Sp_SetChannelAmpLebel(soundChannel_, static_cast<unsigned short>(level));
}

void cSp_CDRProgramBaseObj::SetupVolumeOnMusicData(short level) {
  Sp_SetChannelAmpLevelIntoMusicData(soundChannel_, nullptr, static_cast<unsigned short>(level));
}

// ---- Buffer sets ----------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::BorrowBufferSet() {
  if (bufferSet_ != nullptr) return true;
  cSp_CDRomManager* manager = Sp_GetCDRomManager();
  if (manager == nullptr) return false;
  bufferSet_ = manager->GetBuffSetToProgramBase(this);
  return bufferSet_ != nullptr;
}

// ---- The end-of-play list -------------------------------------------------------------------

void cSp_CDRProgramBaseObj::WipeOutAtEndOfPlay() {
  if (fastReverse_) StopFirstReverse();
  if (fastForward_) StopFirstForward();
  const bool stopRan = playing_ && stopProc_ != nullptr;
  StopTheMusic();
  fastForward_ = 0;
  // StopTheMusic ran the stop procedure when the program was still running.
  if (!stopRan && stopProc_ != nullptr) stopProc_(stopRefCon_);
  endOfPlayNext_ = nullptr;
  if (bufferSet_ != nullptr) {
    if (cSp_CDRomManager* manager = Sp_GetCDRomManager()) manager->ReturnBufferSet(bufferSet_);
    bufferSet_ = nullptr;
  }
}

void SpCDR_SetupEndOfPlayProgramList(cSp_CDRProgramBaseObj* program) {
  if (program == nullptr) return;
  // A program already waiting stays where it is (taking it twice would loop the list).
  if (!OnEndOfPlayList(program)) {
    program->SetupEndOfPlayNext(endOfPlayProgramList_GlV);
    endOfPlayProgramList_GlV = program;
  }
  lockOfEndOfProgListFlag_GlV = 0;
}

void SpCDR_ExecWipeOutProcEndOfPlayProgramList() {
  while (!lockOfEndOfProgListFlag_GlV && endOfPlayProgramList_GlV != nullptr) {
    cSp_CDRProgramBaseObj* list = endOfPlayProgramList_GlV;
    endOfPlayProgramList_GlV = nullptr;
    while (list != nullptr) {
      cSp_CDRProgramBaseObj* next = list->GetEndOfPlayNext();
      list->WipeOutAtEndOfPlay();
      list = next;
    }
  }
}

void SpCDR_RemoveFromEndOfPlayProgramList(cSp_CDRProgramBaseObj* program) {
  cSp_CDRProgramBaseObj* before = nullptr;
  for (cSp_CDRProgramBaseObj* p = endOfPlayProgramList_GlV; p != nullptr;
       p = p->GetEndOfPlayNext()) {
    if (p != program) {
      before = p;
      continue;
    }
    if (before == nullptr) {
      endOfPlayProgramList_GlV = p->GetEndOfPlayNext();
    } else {
      before->SetupEndOfPlayNext(p->GetEndOfPlayNext());
    }
    p->SetupEndOfPlayNext(nullptr);
    return;
  }
}
