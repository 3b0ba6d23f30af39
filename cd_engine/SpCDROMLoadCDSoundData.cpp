// The sound channel of a program, the wrappers of Sound Manager commands, the read blocks of
// a buffer set and the multi-speed step parameters.
#include "SpCDROMLoadCDSoundData.h"

#include <cstring>

#include "FixMath.h"
#include "MacMemory.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDROMProgram.h"
#include "SpCDRomManager.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunctionNumber.h"

sSpPlayBackBufferSetBase* soundBuffSetPtr_GlV = nullptr;
sSpSaveBufferSetBase* saveSoundBuffSetPtr_GlV = nullptr;
sSpPlayBackSoundBuffer* sndBuffPtr_GlV = nullptr;
cSp_CDRProgramBaseObj* playProgramBasePtr_GlV = nullptr;
cSp_SoundMgr* soundMgrBase_GlV = nullptr;

namespace {

// The multi-speed parameter: the window of 7 sectors (4,116 frames) shortened by the speed,
// and the make-up gain above double speed (computed in single floats).
constexpr float kWindowFrames = 7.0f * 588.0f;
constexpr float kHopScale = (4500.0f - 7.0f) / 4500.0f;

UInt32 FramesPerStep(float speed) {
  return UInt32(kHopScale / speed * kWindowFrames);
}

float LevelFactor(float speed) {
  return 1.314f + (speed - 2.0f) * 0.015375f;
}

OSErr Immediate(SndChannel* channel, UInt16 command, intptr_t param2 = 0) {
  SndCommand c{command, 0, param2};
  return SndDoImmediate(channel, &c);
}

}  // namespace

// ---- Sound Manager commands -----------------------------------------------------------------

OSErr Sp_StopSound(SndChannel* channel) {
  if (channel == nullptr) return noErr;
  const OSErr err = Immediate(channel, flushCmd);
  return err != noErr ? err : Immediate(channel, quietCmd);
}

OSErr Sp_PauseSound(SndChannel* channel) {
  return channel == nullptr ? OSErr(noErr) : Immediate(channel, pauseCmd);
}

OSErr Sp_ReplayPausedSound(SndChannel* channel) {
  return channel == nullptr ? OSErr(noErr) : Immediate(channel, resumeCmd);
}

OSErr Sp_ChangeChannelRateMultiplier(SndChannel* channel, unsigned short) {
  return channel == nullptr ? OSErr(noErr) : Immediate(channel, rateMultiplierCmd, X2Fix(4.0));
}

OSErr Sp_GetChannelAmpLebel(SndChannel*, short*) {
  return noErr;
}

OSErr Sp_SetChannelAmpLebel(SndChannel*, unsigned short) {
  return noErr;
}

OSErr Sp_SetChannelAmpLevelIntoMusicData(SndChannel*, SndCommand*, unsigned short) {
  return noErr;
}

// ---- The channel and its callback -----------------------------------------------------------

OSErr cSp_CDRProgramBaseObj::PlayTrackSync_StartInit() {
  if (playing_) return 1;
  if (soundCallBackUPP_ == nullptr)
    soundCallBackUPP_ = NewSndCallBackUPP(Sp_CDRomPlayTrackSync_CallBack);
  if (soundChannel_ != nullptr) return noErr;
  return SndNewChannel(&soundChannel_, sampledSynth, initStereo, soundCallBackUPP_);
}

void cSp_CDRProgramBaseObj::StopChannelSound() {
  if (soundChannel_ != nullptr) Sp_StopSound(soundChannel_);
  queuedBuffers_ = 0;
}

void cSp_CDRProgramBaseObj::PauseChannelSound() {
  if (soundChannel_ != nullptr) Sp_PauseSound(soundChannel_);
}

void cSp_CDRProgramBaseObj::ReplayPauseChannelSound() {
  if (soundChannel_ != nullptr) Sp_ReplayPausedSound(soundChannel_);
}

OSErr cSp_CDRProgramBaseObj::QueuePlayBackSoundBuffer(sSpPlayBackSoundBuffer* buffer,
                                                      unsigned char last) {
  if (buffer == nullptr || soundChannel_ == nullptr) return paramErr;
  const UInt32 channels = buffer->header.numChannels != 0 ? buffer->header.numChannels : 2;
  buffer->header.samplePtr = reinterpret_cast<Ptr>(buffer->data);
  buffer->header.numFrames = buffer->dataLength / 2 / channels;
  buffer->owner = this;
  buffer->bufferCommand.cmd = bufferCmd;
  buffer->bufferCommand.param2 = reinterpret_cast<intptr_t>(&buffer->header);
  buffer->callBackCommand.cmd = callBackCmd;
  buffer->callBackCommand.param1 = last ? 100 : 0;
  buffer->callBackCommand.param2 = reinterpret_cast<intptr_t>(buffer);
  OSErr err = SndDoCommand(soundChannel_, &buffer->bufferCommand, false);
  if (err == noErr) err = SndDoCommand(soundChannel_, &buffer->callBackCommand, false);
  if (err == noErr) ++queuedBuffers_;
  return err;
}

void cSp_CDRProgramBaseObj::CatchPlayedSoundBuffer(sSpPlayBackSoundBuffer* buffer, SInt16 param1) {
  if (bufferSet_ == nullptr) return;
  inCallback_ = 1;
  Sp_CDRReturnSoundBufferToFreeChain(bufferSet_, buffer);
  nowPlayingItem_ = buffer->item;
  playedPosition_ = buffer->lastPosition;
  --queuedBuffers_;
  if (param1 == 100) SpCDR_SetupEndOfPlayProgramList(this);
  inCallback_ = 0;
}

void Sp_CDRomPlayTrackSync_CallBack(SndChannel*, SndCommand* command) {
  if (command == nullptr || command->param2 == 0) return;
  auto* buffer = reinterpret_cast<sSpPlayBackSoundBuffer*>(command->param2);
  sndBuffPtr_GlV = buffer;
  playProgramBasePtr_GlV = buffer->owner;
  if (buffer->owner == nullptr) return;
  buffer->owner->CatchPlayedSoundBuffer(buffer, command->param1);
}

void Sp_CDRReturnSoundBufferToFreeChain(sSpPlayBackBufferSetBase* set,
                                        sSpPlayBackSoundBuffer* buffer) {
  if (set == nullptr || buffer == nullptr) return;
  buffer->freeNext = nullptr;
  buffer->freeBefore = set->freeTail;
  if (set->freeTail != nullptr) {
    set->freeTail->freeNext = buffer;
  } else {
    set->freeHead = buffer;
  }
  set->freeTail = buffer;
  ++set->freeBufferCount;
}

// ---- The Sound Manager version and output devices ------------------------------------------

cSp_SoundMgr::cSp_SoundMgr() {
  version_ = sNumVersion();
  Sp_BCDVersionToVersion(SndSoundManagerVersion(), &version_);
}

void Sp_SetupOriginalSoundManager() {
  delete soundMgrBase_GlV;
  soundMgrBase_GlV = new (std::nothrow) cSp_SoundMgr();
}

Component Sp_SMgr_SerchOutputComponent() {
  const ComponentDescription looking{SpFourCC("sdev"), SpFourCC("AIFW"), SpFourCC("appl"), 0, 0};
  return FindNextComponent(nullptr, &looking);
}

SInt32 Sp_SMgr_FindAllSoundDevices(ComponentRecord*** list) {
  const ComponentDescription looking{SpFourCC("sdev"), 0, 0, 0, 0};
  const SInt32 count = CountComponents(&looking);
  if (list == nullptr || count <= 0) return 0;
  auto** array =
      reinterpret_cast<ComponentRecord**>(NewPtrClear(Size(count) * Size(sizeof(Component))));
  if (array == nullptr) return 0;
  Component c = nullptr;
  for (SInt32 i = 0; i < count && (c = FindNextComponent(c, &looking)) != nullptr; ++i)
    array[i] = c;
  *list = array;
  return count;
}

// ---- Read blocks ----------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::InitializeLoadInfo() {
  if (bufferSet_ == nullptr) return;
  sSpPlayBackBufferSetBase& set = *bufferSet_;
  for (UInt32 i = 0; i < kSpCDReadBlockCount; ++i) {
    set.blockFree[i] = 1;
    sSpCDReadBlock& block = set.blocks[i];
    block.firstWord = 0;
    block.words[0] = block.words[1] = block.words[2] = 0;
    block.furtherWord = 0;
    block.bytes[0] = block.bytes[1] = 0;
  }
  set.abandonRead = set.readInProgress ? 1 : 0;
  set.currentBlock = 0;
  set.headerWord = 0;
  loadPosition_ = itemStart_;
  loadSector_ = itemStartSector_;
  loadCounters_[0] = loadCounters_[1] = 0;
  loadInfo_.loadEnded = 0;
  loadInfo_.mediaEnd = 0;
  loadInfo_.itemFinished = 0;
  SetupLoadCBInfo();
}

void cSp_CDRProgramBaseObj::SetupLoadCBInfo() {
  soundBuffSetPtr_GlV = bufferSet_;
}

void cSp_CDRProgramBaseObj::SetupWriteDataIntoFileCBInfoForSaveDataInFile() {
  saveSoundBuffSetPtr_GlV = saveContext_;
}

void cSp_CDRProgramBaseObj::SetupWriteDataIntoFileCBInfoForCatchConvertAndSaveDataInFile() {
  saveSoundBuffSetPtr_GlV = saveContext_;
}

void SpCDR_CatchCompleationReadCDData(ParamBlockRec*) {
  sSpPlayBackBufferSetBase* set = soundBuffSetPtr_GlV;
  if (set == nullptr) return;
  if (!set->abandonRead) {
    const SInt32 index = set->currentBlock >= 0 && set->currentBlock < SInt32(kSpCDReadBlockCount)
                             ? set->currentBlock
                             : 0;
    set->blockFree[index] = 0;
    set->currentBlock = (index + 1) % SInt32(kSpCDReadBlockCount);
  } else {
    set->abandonRead = 0;
  }
  set->readInProgress = 0;
}

void SpCDR_CatchCompleationReadCDDataForSaveDataInFile(ParamBlockRec*) {
  sSpSaveBufferSetBase* set = saveSoundBuffSetPtr_GlV;
  if (set == nullptr || set->writeBuffer == nullptr) return;
  set->writeBuffer->writing = 0;
  set->writeBuffer = set->writeBuffer->next != nullptr ? set->writeBuffer->next : set->ringHead;
}

// ---- Multi-speed ----------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::InitializeMultiSpeedData() {
  if (!multiSpeedNeedsInit_) return false;
  const UInt32 frameBytes = loadInfo_.output.numChannels == 1 ? 2 : 4;
  if (saveRunning_) {
    if (saveContext_ == nullptr) return false;
    sSpSaveBufferSetBase& save = *saveContext_;
    save.writePosition = 0;
    const float s = saveSpeed_;
    if (s > 1.0f) {
      save.hopFrames = SInt32(FramesPerStep(s));
      save.fadeStep = 0.1f;
      levelFactor_ = s > 2.0f ? LevelFactor(s) : 1.0f;
    } else {
      save.hopFrames = 75;
      save.fadeStep = 1.0f;
      levelFactor_ = 1.0f;
    }
    save.hopBytes = save.hopFrames * SInt32(frameBytes);
    save.workingWords[0] = save.workingWords[1] = save.workingWords[2] = 0;
  } else if (bufferSet_ != nullptr) {
    sSpMultiSpeedState& m = bufferSet_->multiSpeed;
    m.words[0] = m.words[1] = 0;
    const float f = float(speedFactor_);
    if (f > 1.0f) {
      m.framesPerStep = FramesPerStep(f);
      m.ratio = 0.1f;
      levelFactor_ = LevelFactor(f);
    } else {
      m.framesPerStep = 75;
      m.ratio = 1.0f;
      levelFactor_ = 1.0f;
    }
    const bool monoFile = currentItem_ != nullptr &&
                          currentItem_->GetItemType() == kSpCDRProgItemSoundFile &&
                          loadInfo_.output.numChannels == 1;
    m.bytesPerStep = m.framesPerStep * (monoFile ? 2 : 4);
    m.moreWords[0] = m.moreWords[1] = m.moreWords[2] = 0;
  }
  if (bufferSet_ != nullptr) {
    bufferSet_->multiSpeed.lastWord = 0;
    bufferSet_->multiSpeed.framesLeft = saveRunning_ && saveContext_ != nullptr
                                            ? UInt32(saveContext_->hopFrames)
                                            : bufferSet_->multiSpeed.framesPerStep;
  }
  multiSpeedNeedsInit_ = 0;
  return true;
}
