// The CD-ROM manager: programs, buffer sets, the CD poll and the step timers.
#include "SpCDRomManager.h"

#include <cstring>

#include "Clock.h"
#include "SpCDRCDSaveInitData.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpStdFileFunction.h"
#include "SpStdFunctionNumber.h"

unsigned char currentEnableCDRomAndSoundIdleEventOnCarbonEventFlag_GlV = 0;
unsigned char cdRomAndSoundPlayAndWriteIntoPureFileIdleEventOnCarbonEvent_CurrentEnableFlag_GlV = 0;
unsigned char cdRomAndSoundCurrentEnableWriteIntoQuickTimeFileIdleEventOnCarbonEventFlag_GlV = 0;
unsigned char cdRomAndSoundCurrentEnableWriteIntoAIFFC_IdleEventOnCarbonEventFlag_GlV = 0;

namespace {

const char kSource[] = "SpCDRomManager.cpp";
const char kInterfaceSource[] = "SpCDRomInterface.cpp";
const char kMsgAllocation[] = "Cannot allocared memory !!";

constexpr UInt32 kCheckSpacingTicks = 120;
constexpr EventTimerInterval kPollDelay = 1.0;
constexpr EventTimerInterval kPollInterval = 0.5;
constexpr EventTimerInterval kStepInterval = 1e-6;

// The item of a program of exactly one sound-file item; null for any other program.
const cSp_CDRProgramItemObj* OneSoundFileItem(const cSp_CDRProgramBaseObj* program) {
  const cSp_CDRProgramItemObj* item = program->GetFirstProgramItem();
  return program->GetItemCount() == 1 && item->GetItemType() == kSpCDRProgItemSoundFile ? item
                                                                                        : nullptr;
}

cSp_CDRomManager* cdRomManagerPtr_GlV = nullptr;
cSpCDR_MediaMgrObj* mediaMgrPtr_GlV = nullptr;
unsigned long cdRomIdleProcRefNum_GlV = 0;
unsigned char pauseEventLoopFlag_GlV = 0;
UInt32 befCheckSetupStatusTick = 0;

// An event-loop timer and its switches.
struct StepTimer {
  unsigned char* onFlag;
  EventLoopTimerProcPtr handler;
  EventTimerInterval delay;
  EventTimerInterval interval;
  unsigned char pause = 0;
  EventLoopTimerUPP upp = nullptr;
  EventLoopTimerRef timer = nullptr;
};

StepTimer gPollTimer{&currentEnableCDRomAndSoundIdleEventOnCarbonEventFlag_GlV,
                     SpCDR_CatchCarbonEventIdleEventCB, kPollDelay, kPollInterval};
StepTimer gPureFileTimer{
    &cdRomAndSoundPlayAndWriteIntoPureFileIdleEventOnCarbonEvent_CurrentEnableFlag_GlV,
    SpCDRI_CatchPlayAndWriteIntoPureFileCarbonEventIdleEventCB, 0, kStepInterval};
StepTimer gQuickTimeFileTimer{
    &cdRomAndSoundCurrentEnableWriteIntoQuickTimeFileIdleEventOnCarbonEventFlag_GlV,
    SpCDRI_CatchWriteIntoQuickTimeFileCarbonEventIdleEventCB, 0, kStepInterval};
StepTimer gAIFFCTimer{&cdRomAndSoundCurrentEnableWriteIntoAIFFC_IdleEventOnCarbonEventFlag_GlV,
                      SpCDRI_CatchWriteIntoAIFFC_CarbonEventIdleEventCB, 0, kStepInterval};

// The save's step timers, in the order of a hold's pauses.
StepTimer* const gStepTimers[] = {&gPureFileTimer, &gQuickTimeFileTimer, &gAIFFCTimer};

void SwitchOn(StepTimer& t) {
  if (*t.onFlag) return;
  if (t.upp == nullptr) t.upp = NewEventLoopTimerUPP(t.handler);
  if (t.upp == nullptr) return;
  if (InstallEventLoopTimer(GetMainEventLoop(), t.delay, t.interval, t.upp, nullptr, &t.timer) ==
      noErr) {
    *t.onFlag = 1;
  }
}

void SwitchOff(StepTimer& t) {
  if (!*t.onFlag) return;
  if (t.timer != nullptr) RemoveEventLoopTimer(t.timer);
  t.timer = nullptr;
  *t.onFlag = 0;
}

// A paused step timer fires on the poll's beat instead of on every pass, so that a question
// asked meanwhile costs what idle costs while a save that must stop (its disc went) still
// stops; it fires at the next pass once the pause ends.
void Pause(StepTimer& t, bool on) {
  t.pause = on ? 1 : 0;
  SpCDR_HoldStepTimer(t.timer, on);
}

// Runs a step timer's check for a save to stop, then its step unless paused.
void CheckThenStep(StepTimer& t, void (cSp_CDRomManager::*step)()) {
  if (cdRomManagerPtr_GlV == nullptr) return;
  cdRomManagerPtr_GlV->CheckStopEventForPlayAndWriteIntoPureFile__EventLoop();
  if (t.pause) {
    SpCDR_HoldStepTimer(t.timer, true);
  } else if (cdRomManagerPtr_GlV != nullptr) {
    (cdRomManagerPtr_GlV->*step)();
  }
}

// The CD check of the poll: at most once per 120 ticks, the time stamp renewed also when
// nothing changed.
void CheckCDsNow() {
  if (TickCount() > befCheckSetupStatusTick + kCheckSpacingTicks) {
    if (mediaMgrPtr_GlV->CheckCDRom()) cdRomManagerPtr_GlV->ExecModCDSetupCB();
    befCheckSetupStatusTick = TickCount();
  }
}

bool IsActive(const cSp_CDRProgramBaseObj* program) {
  return program->IsPlaying() && program->IsSaveRunning();
}

void SetupSoundBufferHeader(sSpPlayBackSoundBuffer* buffer) {
  buffer->dataLength = kSpSoundBufferDataBytes;
  ExtSoundHeader& h = buffer->header;
  h.numChannels = 2;
  h.sampleRate = 0xAC440000;
  h.encode = extSH;
  h.baseFrequency = 60;
  static const UInt8 k44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
  std::memcpy(h.AIFFSampleRate.bytes, k44100, sizeof k44100);
  h.sampleSize = 16;
  buffer->bufferCommand.cmd = bufferCmd;
  buffer->bufferCommand.param2 = reinterpret_cast<intptr_t>(&buffer->header);
  buffer->callBackCommand.cmd = callBackCmd;
  buffer->callBackCommand.param2 = reinterpret_cast<intptr_t>(buffer);
}

void DisposeBufferSet(sSpPlayBackBufferSetBase* set) {
  for (sSpPlayBackSoundBuffer* buffer = set->allHead; buffer != nullptr;) {
    sSpPlayBackSoundBuffer* next = buffer->allNext;
    delete buffer;
    buffer = next;
  }
  delete set;
}

}  // namespace

// ---- Buffer sets ----------------------------------------------------------------------------

Boolean Sp_CDRSetupSoundBuffSet(sSpPlayBackBufferSetBase* set) {
  if (set == nullptr) return false;
  if (set->allHead != nullptr) {
    Sp_CDRomResetSoundBuffer(set);
    return true;
  }
  sSpPlayBackSoundBuffer* last = nullptr;
  for (UInt32 i = 0; i < kSpSoundBuffersPerSet; ++i) {
    // Zero-filled by the heap: the pages of its samples are only taken when play-back fills
    // them (a save never does).
    sSpPlayBackSoundBuffer* buffer = new (std::nothrow) sSpPlayBackSoundBuffer;
    if (buffer == nullptr) return false;
    SetupSoundBufferHeader(buffer);
    buffer->allBefore = last;
    buffer->freeBefore = last;
    if (last == nullptr) {
      set->allHead = buffer;
      set->freeHead = buffer;
    } else {
      last->allNext = buffer;
      last->freeNext = buffer;
    }
    set->freeTail = buffer;
    last = buffer;
    ++set->freeBufferCount;
  }
  return true;
}

void Sp_CDRomResetSoundBuffer(sSpPlayBackBufferSetBase* set) {
  if (set == nullptr) return;
  set->freeHead = set->allHead;
  set->freeTail = nullptr;
  set->freeBufferCount = 0;
  for (sSpPlayBackSoundBuffer* buffer = set->allHead; buffer != nullptr; buffer = buffer->allNext) {
    buffer->freeBefore = buffer->allBefore;
    buffer->freeNext = buffer->allNext;
    set->freeTail = buffer;
    ++set->freeBufferCount;
  }
  set->currentBlock = 0;
  set->headerWord = 0;
  for (UInt32 i = 0; i < kSpCDReadBlockCount; ++i) {
    set->blockFree[i] = 1;
    sSpCDReadBlock& block = set->blocks[i];
    block.words[0] = block.words[1] = block.words[2] = 0;
    block.furtherWord = 0;
    block.bytes[0] = block.bytes[1] = 0;
  }
}

// ---- The manager ----------------------------------------------------------------------------

void cSp_CDRomManager::StartUpInitialize() {
  programHead_ = nullptr;
  programTail_ = nullptr;
  modCDProc_ = nullptr;
  modCDRefCon_ = 0;
  buffersFlag_ = 1;
  setCount_ = 1;
  shareType_ = kSpCDShareBuffSetNone;
  allSets_ = nullptr;
  inUseHead_ = nullptr;
  inUseTail_ = nullptr;
  freeSets_ = nullptr;
}

cSp_CDRomManager::cSp_CDRomManager(unsigned char makeBuffers, short setCount,
                                   tCDShareBuffSetType shareType, unsigned char* ok) {
  StartUpInitialize();
  if (ok != nullptr) *ok = 0;
  if (cSpCDR_MediaMgrObj* media = SpCDR_GetMediaMgrPtr(1)) {
    media->SetupBeforeEjectExecCBProc(SpCDR_CatchExecEjectBeforeProcCB,
                                      reinterpret_cast<unsigned long>(this));
  }
  if (makeBuffers) {
    setCount_ = setCount;
    shareType_ = shareType;
    for (short i = 0; i < setCount; ++i) {
      sSpPlayBackBufferSetBase* set = new (std::nothrow) sSpPlayBackBufferSetBase;
      if (set == nullptr || !Sp_CDRSetupSoundBuffSet(set)) {
        // A set only partly made is not linked yet: it goes at once.
        if (set != nullptr) DisposeBufferSet(set);
        SpReportFailure(kSource, "cSp_CDRomManager::cSp_CDRomManager", 1, kSpMsgMemory);
        return;
      }
      set->aNext = allSets_;
      if (allSets_ != nullptr) allSets_->aBefore = set;
      allSets_ = set;
      set->bNext = freeSets_;
      if (freeSets_ != nullptr) freeSets_->bBefore = set;
      freeSets_ = set;
    }
  }
  if (ok != nullptr) *ok = 1;
}

cSp_CDRomManager::~cSp_CDRomManager() {
  SpSaveCDQTFileInitialData();
  if (cSpCDR_MediaMgrObj* media = SpCDR_GetMediaMgrPtr(0)) {
    media->SetupBeforeEjectExecCBProc(nullptr, 0);
  }
  SwitchOff(gPollTimer);
  SwitchOff(gPureFileTimer);
  SwitchOff(gQuickTimeFileTimer);
  SwitchOff(gAIFFCTimer);
  // Nothing else reaches the programs once the list is gone.
  for (cSp_CDRProgramBaseObj* program = programHead_; program != nullptr;) {
    cSp_CDRProgramBaseObj* next = program->GetNextObjectPtr();
    SpCDR_RemoveFromEndOfPlayProgramList(program);
    delete program;
    program = next;
  }
  programHead_ = programTail_ = nullptr;
  for (sSpPlayBackBufferSetBase* set = allSets_; set != nullptr;) {
    sSpPlayBackBufferSetBase* next = set->aNext;
    DisposeBufferSet(set);
    set = next;
  }
  allSets_ = nullptr;
  SpDisposeCDQTFileInitManager();
}

// ---- Programs -------------------------------------------------------------------------------

cSp_CDRProgramBaseObj* cSp_CDRomManager::NewProgramBase() {
  cSp_CDRProgramBaseObj* program = new (std::nothrow) cSp_CDRProgramBaseObj();
  if (program == nullptr) return nullptr;
  SpAppendToList(programHead_, programTail_, program);
  return program;
}

void cSp_CDRomManager::UnlinkProgram(cSp_CDRProgramBaseObj* program) {
  cSp_CDRProgramBaseObj* before = program->GetBeforeObjectPtr();
  cSp_CDRProgramBaseObj* after = program->GetNextObjectPtr();
  program->UnlinkFromList();
  if (programHead_ == program) programHead_ = after;
  if (programTail_ == program) programTail_ = before;
}

void cSp_CDRomManager::DisposeProgramBase(cSp_CDRProgramBaseObj* program) {
  cSp_CDRProgramBaseObj* found = programHead_;
  while (found != nullptr && found != program) found = found->GetNextObjectPtr();
  if (found == nullptr || program == nullptr) {
    SpReportFailure(kSource, "cSp_CDRomManager::DisposeProgramBase", 3, kSpMsgDataError);
    return;
  }
  program->StopTheMusic();
  if (program->GetBufferSet() != nullptr) {
    ReturnBufferSet(program->GetBufferSet());
    program->LoseBufferSet();
  }
  SpCDR_RemoveFromEndOfPlayProgramList(program);
  UnlinkProgram(program);
  delete program;
}

unsigned char cSp_CDRomManager::CreateCDAudioProgram(cSp_CDRomMediaDataObj* cd, SInt32 firstTrack,
                                                     cSp_CDRProgramBaseObj** out) {
  static const char kMethod[] = "cSp_CDRomManager::CreateCDAudioProgram";
  if (cd == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNoComment, UInt8(0));
  cSp_CDRProgramBaseObj* program = NewProgramBase();
  if (program == nullptr) return SpReportFailure(kSource, kMethod, 2, kMsgAllocation, UInt8(0));
  for (sTrackDataForOSX* track = cd->GetTrackList(); track != nullptr; track = track->next) {
    if (SInt64(track->trackNo) < SInt64(firstTrack)) continue;
    cSp_CDRProgramItemObj* item = program->NewProgramItem(-1);
    if (item == nullptr) {
      DisposeProgramBase(program);
      return SpReportFailure(kSource, kMethod, 3, kMsgAllocation, UInt8(0));
    }
    if (!item->SetupFileProgramInfo(cd->GetVolumeRefNum(), 0, track->fileName, track->title,
                                    kSpCDRProgItemCDTrack, nullptr, nullptr)) {
      DisposeProgramBase(program);
      return 0;
    }
    item->SetupCDTrack(cd, track);
  }
  if (program->GetItemCount() == 0) {
    DisposeProgramBase(program);
    return 0;
  }
  program->SetupCDProgram(cd);
  if (out != nullptr) *out = program;
  return 1;
}

cSp_CDRProgramBaseObj* cSp_CDRomManager::CreateSoundFileProgram(short vRefNum, SInt32 dirID,
                                                                const char* fileName,
                                                                const char* displayName,
                                                                const sSpMusicFileInfo* info,
                                                                unsigned char* error) {
  static const char kMethod[] = "cSp_CDRomManager::CreateSoundFileProgram";
  cSp_CDRProgramBaseObj* none = nullptr;
  if (fileName == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, none);
  if (error != nullptr) *error = 0;
  cSp_CDRProgramBaseObj* program = NewProgramBase();
  if (program == nullptr) return SpReportFailure(kSource, kMethod, 2, kMsgAllocation, none);
  cSp_CDRProgramItemObj* item = program->NewProgramItem(-1);
  if (item == nullptr) {
    DisposeProgramBase(program);
    return SpReportFailure(kSource, kMethod, 3, kMsgAllocation, none);
  }
  char title[1024] = {};
  if (displayName != nullptr && displayName[0] != 0) {
    std::strncpy(title, displayName, sizeof title - 1);
  } else if (Sp_GetOSXUnicodeFileNameChangedFileName(vRefNum, dirID, fileName, title,
                                                     SInt32(sizeof title)) != noErr) {
    title[0] = 0;
  }
  if (!item->SetupFileProgramInfo(vRefNum, dirID, fileName, title, kSpCDRProgItemSoundFile, info,
                                  error)) {
    DisposeProgramBase(program);
    return none;
  }
  program->SetupFileProgram();
  // The item's length: the file's duration, from its record when one is given, else from
  // the file as read.
  item->SetupFileLength(info != nullptr ? info->seconds : item->GetQTFileMedia()->GetSeconds());
  return program;
}

cSp_CDRProgramBaseObj* cSp_CDRomManager::GetTargetFileProgram(short vRefNum, SInt32 dirID,
                                                              const char* name) {
  if (name == nullptr) return nullptr;
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr; p = p->GetNextObjectPtr()) {
    const cSp_CDRProgramItemObj* item = OneSoundFileItem(p);
    if (item != nullptr && item->GetVolumeRefNum() == vRefNum && item->GetDirID() == dirID &&
        std::strcmp(item->GetFileName(), name) == 0) {
      return p;
    }
  }
  return nullptr;
}

void cSp_CDRomManager::CollectSoundFileKeys(std::unordered_set<std::string>& keys) const {
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr; p = p->GetNextObjectPtr()) {
    if (const cSp_CDRProgramItemObj* item = OneSoundFileItem(p)) {
      keys.insert(Sp_SoundFileKey(item->GetVolumeRefNum(), item->GetDirID(), item->GetFileName()));
    }
  }
}

unsigned char cSp_CDRomManager::CheckExecuteProgramExist() const {
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr; p = p->GetNextObjectPtr()) {
    if (p->IsPlaying() || p->IsSaveRunning()) return 1;
  }
  return 0;
}

// ---- Buffer sets ----------------------------------------------------------------------------

sSpPlayBackBufferSetBase* cSp_CDRomManager::GetBuffSetToProgramBase(
    cSp_CDRProgramBaseObj* program) {
  sSpPlayBackBufferSetBase* set = freeSets_;
  if (set != nullptr) {
    freeSets_ = set->bNext;
    if (freeSets_ != nullptr) freeSets_->bBefore = nullptr;
    set->bBefore = inUseTail_;
    set->bNext = nullptr;
    if (inUseTail_ != nullptr) inUseTail_->bNext = set;
    if (inUseHead_ == nullptr) inUseHead_ = set;
    inUseTail_ = set;
  } else if (shareType_ == kSpCDShareBuffSetNone || inUseHead_ == nullptr) {
    return nullptr;
  } else {
    // The set in use longest changes hands: its program stops without giving it back.
    set = inUseHead_;
    if (set != inUseTail_) {
      inUseHead_ = set->bNext;
      inUseHead_->bBefore = nullptr;
      set->bBefore = inUseTail_;
      set->bNext = nullptr;
      inUseTail_->bNext = set;
      inUseTail_ = set;
    }
    if (cSp_CDRProgramBaseObj* holder = set->owner) {
      holder->LoseBufferSet();
      holder->StopTheMusic();
    }
  }
  set->owner = program;
  return set;
}

void cSp_CDRomManager::ReturnBufferSet(sSpPlayBackBufferSetBase* set) {
  if (set == nullptr) return;
  if (set->bBefore == nullptr && inUseHead_ != set)
    SpReportFailure(kSource, "cSp_CDRomManager::ReturnBufferSet", 1, kSpMsgNoComment);
  if (set->bNext == nullptr && inUseTail_ != set)
    SpReportFailure(kSource, "cSp_CDRomManager::ReturnBufferSet", 2, kSpMsgNoComment);
  if (set->bBefore != nullptr) set->bBefore->bNext = set->bNext;
  if (set->bNext != nullptr) set->bNext->bBefore = set->bBefore;
  if (inUseHead_ == set) inUseHead_ = set->bNext;
  if (inUseTail_ == set) inUseTail_ = set->bBefore;
  set->bBefore = nullptr;
  set->bNext = freeSets_;
  if (freeSets_ != nullptr) freeSets_->bBefore = set;
  freeSets_ = set;
  set->owner = nullptr;
  Sp_CDRomResetSoundBuffer(set);
}

// ---- CDs ------------------------------------------------------------------------------------

OSErr cSp_CDRomManager::EjectTheMusicCD(SInt32 cdRefNum) {
  cSpCDR_MediaMgrObj* media = SpCDR_GetMediaMgrPtr(0);
  if (media == nullptr) return paramErr;
  const OSErr err = media->EjectTheMusicCDMedia(cdRefNum);
  SpSaveCDQTFileInitialData();
  return err;
}

void cSp_CDRomManager::CatchExecEjectBeforeProcCB(cSp_CDRomMediaDataObj* cd, unsigned long) {
  if (cd == nullptr) return;
  // Only compared from here on: the CD object may be deleted right after.
  const bool goingAway = cd->GetExistFlag() == 0;
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr; p = p->GetNextObjectPtr()) {
    if (!p->HoldsCDMedia(cd)) continue;
    if (p->IsSaveRunning()) {
      p->StopSaveProgram();
      p->MarkCDGone(cd);
    } else if (p->IsPlaying()) {
      p->StopTheMusic();
      p->MarkCDGone(cd);
    }
    if (goingAway) p->ForgetCDMedia(cd);
  }
}

unsigned char cSp_CDRomManager::SetCDSoundAmp(short cdRefNum, short level) {
  if (level < 0) level = 0;
  if (level > 100) level = 100;
  cSp_CDRomMediaDataObj* cd = SpCDR_GetCDRomMediaObjPtrWithOrigRefNum(UInt32(cdRefNum));
  if (cd == nullptr || cd->GetStartData() == nullptr) return 0;
  UInt32 current = 0;
  cd->GetStartData()->GetCDData(nullptr, nullptr, &current);
  if (current != UInt32(level)) cd->GetStartData()->SetupVolumeLevel(UInt32(level));
  return 1;
}

// ---- Steps ----------------------------------------------------------------------------------

void cSp_CDRomManager::CheckStopEventForPlayAndWriteIntoPureFile__EventLoop() {
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr;) {
    cSp_CDRProgramBaseObj* next = p->GetNextObjectPtr();
    if (IsActive(p)) p->SerchStopSaveProgram();
    p = next;
  }
}

void cSp_CDRomManager::PlayAndWriteIntoPureFile_EventLoop() {
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr; p = p->GetNextObjectPtr()) {
    if (!IsActive(p)) continue;
    if (p->GetSaveSpeed() <= 1.0f) {
      p->SaveQTFileTrack_ForEventLoopNormalForwordSpeed();
    } else {
      p->SaveQTFileTrack_ForMultiSpeedByFullScaleOverlap();
    }
    if (p->IsSaveRunning()) p->WriteSoundDataIntoNormalFileForEventLoop();
  }
}

void cSp_CDRomManager::WriteSoundDataIntoQuickTimeFileForEventLoop() {
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr; p = p->GetNextObjectPtr()) {
    if (IsActive(p)) p->WriteSoundDataIntoQuickTimeFileForEventLoop();
  }
}

void cSp_CDRomManager::WriteSoundDataIntoAIFFC_ForEventLoop() {
  for (cSp_CDRProgramBaseObj* p = programHead_; p != nullptr; p = p->GetNextObjectPtr()) {
    if (!IsActive(p)) continue;
    p->LoadAndConvertSoundDataForSaveAIFFC_ForEventLoop();
    p->WriteSoundDataIntoAIFFCwithConverter_ForEventLoop();
  }
}

// ---- Free functions -------------------------------------------------------------------------

cSp_CDRomManager* Sp_InitialCDRom(unsigned char makeBuffers, short setCount,
                                  tCDShareBuffSetType shareType) {
  if (cdRomManagerPtr_GlV == nullptr) {
    // The stored levels of earlier runs are read now, before anything can be saved over them.
    SpGetCDQTFileInitMaganer(1);
    // Temporary files of saves that earlier runs could not finish (a kill, a crash) go.
    SpCDR_RemoveLeftoverTemporaryFiles();
    unsigned char ok = 0;
    cSp_CDRomManager* manager =
        new (std::nothrow) cSp_CDRomManager(makeBuffers, setCount, shareType, &ok);
    if (manager == nullptr || !ok) {
      delete manager;
      return nullptr;
    }
    cdRomManagerPtr_GlV = manager;
    Sp_SetupDisposeProcedure(Sp_DisposeCDRom, 50, 0, nullptr);
  }
  if (mediaMgrPtr_GlV == nullptr) mediaMgrPtr_GlV = SpCDR_GetMediaMgrPtr(1);
  if (Sp_Is_CarbonEvent_ModeEnable()) {
    Sp_EnableCDRomAndSoundEventIdleProcedureForCarbonEvent();
  } else if (cdRomIdleProcRefNum_GlV == 0) {
    Sp_SetupEventIdleTimeProcedure(Sp_CDRomEventProcedure, 50, 0, &cdRomIdleProcRefNum_GlV);
    Sp_EnableIdleTimeProcedure(cdRomIdleProcRefNum_GlV);
  }
  return cdRomManagerPtr_GlV;
}

cSp_CDRomManager* Sp_GetCDRomManager() {
  return cdRomManagerPtr_GlV;
}

void Sp_DisposeCDRom(unsigned long) {
  cSp_CDRomManager* manager = cdRomManagerPtr_GlV;
  cdRomManagerPtr_GlV = nullptr;
  delete manager;
  // The media manager lives on (nobody else disposes it); a new manager fetches it again.
  mediaMgrPtr_GlV = nullptr;
  if (cdRomIdleProcRefNum_GlV != 0) Sp_UnsetEventIdleTimeProcedure(cdRomIdleProcRefNum_GlV);
  cdRomIdleProcRefNum_GlV = 0;
  befCheckSetupStatusTick = 0;
  pauseEventLoopFlag_GlV = 0;
}

void Sp_CDRomEventProcedure(unsigned long) {
  if (pauseEventLoopFlag_GlV || cdRomManagerPtr_GlV == nullptr || mediaMgrPtr_GlV == nullptr)
    return;
  cdRomManagerPtr_GlV->CheckStopEventForPlayAndWriteIntoPureFile__EventLoop();
  cdRomManagerPtr_GlV->PlayAndWriteIntoPureFile_EventLoop();
  if (!cdRomManagerPtr_GlV->CheckExecuteProgramExist()) CheckCDsNow();
  SpCDR_ExecWipeOutProcEndOfPlayProgramList();
}

void Sp_CDRomPauseEventLoop() {
  pauseEventLoopFlag_GlV = 1;
}

void Sp_CDRomStartEventLoopFromPauseStatus() {
  pauseEventLoopFlag_GlV = 0;
}

cSp_CDRProgramBaseObj* SpCDR_CreateNewProgramBaseObject() {
  return cdRomManagerPtr_GlV == nullptr ? nullptr : cdRomManagerPtr_GlV->NewProgramBase();
}

unsigned char Sp_CDRomCreateCDAudioProgram(cSp_CDRomMediaDataObj* cd, SInt32 firstTrack,
                                           cSp_CDRProgramBaseObj** out) {
  if (cd == nullptr) {
    return SpReportFailure(kInterfaceSource, "Sp_CDRomCreateCDAudioProgram", 1, kSpMsgNoComment,
                           UInt8(0));
  }
  if (cdRomManagerPtr_GlV == nullptr) return 0;
  return cdRomManagerPtr_GlV->CreateCDAudioProgram(cd, firstTrack, out);
}

void Sp_CDDisposeProgram(cSp_CDRProgramBaseObj* program) {
  if (cdRomManagerPtr_GlV != nullptr) cdRomManagerPtr_GlV->DisposeProgramBase(program);
}

cSp_CDRProgramBaseObj* Sp_GetTargetFileProgram(short vRefNum, SInt32 dirID, const char* name) {
  return cdRomManagerPtr_GlV == nullptr
             ? nullptr
             : cdRomManagerPtr_GlV->GetTargetFileProgram(vRefNum, dirID, name);
}

std::string Sp_SoundFileKey(short vRefNum, SInt32 dirID, const char* name) {
  std::string key(sizeof vRefNum + sizeof dirID, '\0');
  std::memcpy(&key[0], &vRefNum, sizeof vRefNum);
  std::memcpy(&key[sizeof vRefNum], &dirID, sizeof dirID);
  if (name != nullptr) key += name;
  return key;
}

void Sp_CollectSoundFileKeys(std::unordered_set<std::string>& keys) {
  if (cdRomManagerPtr_GlV != nullptr) cdRomManagerPtr_GlV->CollectSoundFileKeys(keys);
}

OSErr Sp_CDEjectCD(SInt32 cdRefNum) {
  return cdRomManagerPtr_GlV == nullptr ? OSErr(noErr)
                                        : cdRomManagerPtr_GlV->EjectTheMusicCD(cdRefNum);
}

void SpCDRomMgr_EndOfCreateSoundFileProgramProcess() {
  SpSaveCDQTFileInitialData();
}

void SpCDR_CatchExecEjectBeforeProcCB(cSp_CDRomMediaDataObj* cd, unsigned long cdRefNum,
                                      unsigned long refCon) {
  if (refCon == 0) return;
  reinterpret_cast<cSp_CDRomManager*>(refCon)->CatchExecEjectBeforeProcCB(cd, cdRefNum);
}

void SpCDR_HoldStepTimer(EventLoopTimerRef timer, bool hold) {
  if (timer != nullptr) SetEventLoopTimerNextFireTime(timer, hold ? kPollInterval : 0);
}

// ---- Timers ---------------------------------------------------------------------------------

void Sp_EnableCDRomAndSoundEventIdleProcedureForCarbonEvent() {
  SwitchOn(gPollTimer);
}
void Sp_DisableCDRomAndSoundEventIdleProcedureForCarbonEvent() {
  SwitchOff(gPollTimer);
}
void SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent() {
  SwitchOn(gPureFileTimer);
}
void SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent() {
  SwitchOff(gPureFileTimer);
}
void SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseStart() {
  Pause(gPureFileTimer, true);
}
void SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd() {
  Pause(gPureFileTimer, false);
}
void SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent() {
  SwitchOn(gQuickTimeFileTimer);
}
void SpCDRI_DisableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent() {
  SwitchOff(gQuickTimeFileTimer);
}
void SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseStart() {
  Pause(gQuickTimeFileTimer, true);
}
void SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseEnd() {
  Pause(gQuickTimeFileTimer, false);
}
void SpCDRI_EnableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent() {
  SwitchOn(gAIFFCTimer);
}
void SpCDRI_DisableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent() {
  SwitchOff(gAIFFCTimer);
}
void SpCDRI_WriteIntoAIFFC_EventIdleProcedure_PauseStart() {
  Pause(gAIFFCTimer, true);
}
void SpCDRI_WriteIntoAIFFC_EventIdleProcedure_PauseEnd() {
  Pause(gAIFFCTimer, false);
}

SpCDR_SaveStepsHeld SpCDR_HoldSaveSteps() {
  SpCDR_SaveStepsHeld held;
  for (int i = 0; i < 3; ++i) {
    held.paused[i] = gStepTimers[i]->pause;
    if (*gStepTimers[i]->onFlag) Pause(*gStepTimers[i], true);
  }
  return held;
}

void SpCDR_ReleaseSaveSteps(const SpCDR_SaveStepsHeld& held) {
  for (int i = 0; i < 3; ++i) {
    if (*gStepTimers[i]->onFlag && gStepTimers[i]->pause != held.paused[i])
      Pause(*gStepTimers[i], held.paused[i] != 0);
  }
}

void SpCDR_CatchCarbonEventIdleEventCB(EventLoopTimerRef, void*) {
  if (pauseEventLoopFlag_GlV || cdRomManagerPtr_GlV == nullptr || mediaMgrPtr_GlV == nullptr)
    return;
  CheckCDsNow();
  SpCDR_ExecWipeOutProcEndOfPlayProgramList();
}

void SpCDRI_CatchPlayAndWriteIntoPureFileCarbonEventIdleEventCB(EventLoopTimerRef, void*) {
  CheckThenStep(gPureFileTimer, &cSp_CDRomManager::PlayAndWriteIntoPureFile_EventLoop);
}

void SpCDRI_CatchWriteIntoQuickTimeFileCarbonEventIdleEventCB(EventLoopTimerRef, void*) {
  CheckThenStep(gQuickTimeFileTimer, &cSp_CDRomManager::WriteSoundDataIntoQuickTimeFileForEventLoop);
}

void SpCDRI_CatchWriteIntoAIFFC_CarbonEventIdleEventCB(EventLoopTimerRef, void*) {
  CheckThenStep(gAIFFCTimer, &cSp_CDRomManager::WriteSoundDataIntoAIFFC_ForEventLoop);
}
