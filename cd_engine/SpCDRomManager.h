// The CD-ROM manager: the engine's one global object. It owns the sound buffer sets through
// which audio data flows, the list of programs and the application's CD-change procedure, and
// drives what runs later: the CD poll, the step timers that carry a running save forward, and
// the wipe-out of programs whose play has ended. Everything runs on the main event loop.
//
// Start-up (Sp_InitialCDRom) makes the media manager and the start-data manager (which reads
// the stored levels of earlier runs before anything can be saved), and switches the CD poll
// on: first after 1.0 s, then every 0.5 s, scanning the mounted volumes at most once per 120
// ticks and calling the CD-change procedure when the set of CDs changed.
//
// A CD that goes away (its volume is gone) is let go of by every program first: a running
// save is asked to stop (it ends through its end callback at the next stop check), a playing
// program stops, and every item of the CD forgets the CD object and its track record.
#pragma once

#include <string>
#include <unordered_set>

#include "CarbonEvents.h"
#include "MacTypes.h"
#include "Sound.h"
#include "SpCDDiscPosition.h"
#include "SpCDROMProgram.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpMacHeapObject.h"

// ---- Buffer sets ------------------------------------------------------------------------------

enum : UInt32 {
  kSpSoundBufferDataBytes = 176400,  // one second of 44,100 Hz 16-bit stereo
  kSpSoundBuffersPerSet = 128,
  kSpCDReadBlockCount = 5,
  kSpCDReadBlockSectors = 100,
  kSpCDReadBlockBytes = kSpCDReadBlockSectors * kSpCDBytesPerSector,  // 235,200
};

// One sound buffer: a second of samples with the header and commands that queue it on a
// sound channel, the item and disc positions of its data, and its two chains.
struct sSpPlayBackSoundBuffer : public cSpMacHeapClearObject {
  UInt32 dataLength;
  UInt8 data[kSpSoundBufferDataBytes];
  UInt32 fillState[2];
  ExtSoundHeader header;
  SndCommand bufferCommand;
  SndCommand callBackCommand;
  cSp_CDRProgramBaseObj* owner;
  cSp_CDRProgramItemObj* item;
  cDiscPosition firstPosition;
  cDiscPosition lastPosition;
  UInt32 bookkeeping[4];
  sSpPlayBackSoundBuffer* allBefore;
  sSpPlayBackSoundBuffer* allNext;
  sSpPlayBackSoundBuffer* freeBefore;
  sSpPlayBackSoundBuffer* freeNext;
};

// One CD read block: 100 sectors and their bookkeeping. The loader of play-back fills a
// block with the valid bytes of working-format data in firstWord, the item they belong to and
// their format.
struct sSpCDReadBlock {
  UInt8 data[kSpCDReadBlockBytes];
  UInt32 firstWord;
  UInt32 words[3];
  UInt32 furtherWord;
  UInt8 bytes[2];
  cSp_CDRProgramItemObj* item;
  SoundComponentData description;
};

// The multi-speed state of play-back.
struct sSpMultiSpeedState {
  UInt32 words[2];
  UInt32 framesPerStep;
  UInt32 framesLeft;
  UInt32 bytesPerStep;
  UInt32 moreWords[3];
  float ratio;
  UInt32 lastWord;
};

// One buffer set: five read blocks and 128 sound buffers, all made once and zero-filled.
struct sSpPlayBackBufferSetBase : public cSpMacHeapClearObject {
  UInt32 headerWords[2];
  UInt8 blockFree[kSpCDReadBlockCount];
  UInt8 readInProgress;
  UInt8 abandonRead;
  SInt32 currentBlock;
  UInt32 headerWord;
  sSpCDReadBlock blocks[kSpCDReadBlockCount];
  sSpMultiSpeedState multiSpeed;
  SInt32 freeBufferCount;
  sSpPlayBackSoundBuffer* freeHead;
  sSpPlayBackSoundBuffer* freeTail;
  sSpPlayBackSoundBuffer* allHead;
  cSp_CDRProgramBaseObj* owner;       // the program that holds it
  sSpPlayBackBufferSetBase* aBefore;  // every set made
  sSpPlayBackBufferSetBase* aNext;
  sSpPlayBackBufferSetBase* bBefore;  // in use, or free
  sSpPlayBackBufferSetBase* bNext;
};

// Makes the set's 128 buffers (or, when it has them, resets them). 0 when memory is short;
// the buffers made so far stay in the set (freed with it).
Boolean Sp_CDRSetupSoundBuffSet(sSpPlayBackBufferSetBase* set);
// The free chain rebuilt from all buffers, the read blocks free and cleared. Null: nothing.
void Sp_CDRomResetSoundBuffer(sSpPlayBackBufferSetBase* set);

// ---- The manager ------------------------------------------------------------------------------

// 0: a program that finds no free set gets none; other values: it takes the set in use
// longest (its program stops).
typedef UInt8 tCDShareBuffSetType;
enum : tCDShareBuffSetType { kSpCDShareBuffSetNone = 0, kSpCDShareBuffSetOldest = 1 };

typedef void (*SpCDR_ModCDSetupProcPtr)(unsigned long refCon);

class cSp_CDRomManager : public cSpMacHeapObject {
 public:
  // Registers the before-eject procedure with the media manager and, with makeBuffers, makes
  // setCount buffer sets. *ok = 0 when a set could not be made.
  cSp_CDRomManager(unsigned char makeBuffers, short setCount, tCDShareBuffSetType shareType,
                   unsigned char* ok);
  // Saves the start data, switches the timers off, destroys the programs and the buffer sets
  // and the start-data manager.
  ~cSp_CDRomManager();
  cSp_CDRomManager(const cSp_CDRomManager&) = delete;
  cSp_CDRomManager& operator=(const cSp_CDRomManager&) = delete;

  void StartUpInitialize();

  // ---- Programs ----
  cSp_CDRProgramBaseObj* NewProgramBase();
  void DisposeProgramBase(cSp_CDRProgramBaseObj* program);
  // A program of the CD's tracks from track firstTrack on. 1 with *out (when given); 0, and
  // nothing left behind, when no track qualifies or memory is short.
  unsigned char CreateCDAudioProgram(cSp_CDRomMediaDataObj* cd, SInt32 firstTrack,
                                     cSp_CDRProgramBaseObj** out);
  // A program of one sound file. Its item's title: displayName when not empty, else the
  // file's long name. info describes the file when given (else it is read).
  cSp_CDRProgramBaseObj* CreateSoundFileProgram(short vRefNum, SInt32 dirID, const char* fileName,
                                                const char* displayName,
                                                const sSpMusicFileInfo* info, unsigned char* error);
  // The first program of exactly one sound-file item of that file.
  cSp_CDRProgramBaseObj* GetTargetFileProgram(short vRefNum, SInt32 dirID, const char* name);
  // The keys (Sp_SoundFileKey) of the files of every program GetTargetFileProgram can find.
  void CollectSoundFileKeys(std::unordered_set<std::string>& keys) const;
  cSp_CDRProgramBaseObj* GetProgramListHead() const { return programHead_; }
  // 1 when any program plays or saves.
  unsigned char CheckExecuteProgramExist() const;

  // ---- Buffer sets ----
  sSpPlayBackBufferSetBase* GetBuffSetToProgramBase(cSp_CDRProgramBaseObj* program);
  void ReturnBufferSet(sSpPlayBackBufferSetBase* set);
  sSpPlayBackBufferSetBase* GetAllBufferSets() const { return allSets_; }

  // ---- CDs ----
  void SetupModCDSetupCB(SpCDR_ModCDSetupProcPtr proc, unsigned long refCon) {
    modCDProc_ = proc;
    modCDRefCon_ = refCon;
  }
  void ExecModCDSetupCB() {
    if (modCDProc_ != nullptr) modCDProc_(modCDRefCon_);
  }
  // Ejects the CD of that reference number (0: every CD): the eject's error, paramErr
  // without a media manager.
  OSErr EjectTheMusicCD(SInt32 cdRefNum);
  // Before a CD goes: the programs using it let go of it (see above).
  void CatchExecEjectBeforeProcCB(cSp_CDRomMediaDataObj* cd, unsigned long cdRefNum);
  // Stores the CD's volume level (0..100). 0 when there is no such CD or it has no start data.
  unsigned char SetCDSoundAmp(short cdRefNum, short level);
  SInt32 TrackReverse(cSp_CDRProgramBaseObj*) { return 0; }

  // ---- Steps of the step timers over the active (playing and saving) programs ----
  void PlayAndWriteIntoPureFile_EventLoop();
  void CheckStopEventForPlayAndWriteIntoPureFile__EventLoop();
  void WriteSoundDataIntoQuickTimeFileForEventLoop();
  void WriteSoundDataIntoAIFFC_ForEventLoop();

 private:
  void UnlinkProgram(cSp_CDRProgramBaseObj* program);

  cSp_CDRProgramBaseObj* programHead_;
  cSp_CDRProgramBaseObj* programTail_;
  SpCDR_ModCDSetupProcPtr modCDProc_;
  unsigned long modCDRefCon_;
  unsigned char buffersFlag_;
  SInt32 setCount_;
  tCDShareBuffSetType shareType_;
  sSpPlayBackBufferSetBase* allSets_;    // chain A, newest first
  sSpPlayBackBufferSetBase* inUseHead_;  // chain B, oldest first
  sSpPlayBackBufferSetBase* inUseTail_;
  sSpPlayBackBufferSetBase* freeSets_;  // chain B
};

// ---- Free functions ---------------------------------------------------------------------------

// The manager (made once; a second call keeps it). Null when it cannot be made.
cSp_CDRomManager* Sp_InitialCDRom(unsigned char makeBuffers, short setCount,
                                  tCDShareBuffSetType shareType);
cSp_CDRomManager* Sp_GetCDRomManager();
void Sp_DisposeCDRom(unsigned long refCon);
// The poll of the classic event loop (a framework idle procedure).
void Sp_CDRomEventProcedure(unsigned long refCon);
void Sp_CDRomPauseEventLoop();
void Sp_CDRomStartEventLoopFromPauseStatus();
cSp_CDRProgramBaseObj* SpCDR_CreateNewProgramBaseObject();
unsigned char Sp_CDRomCreateCDAudioProgram(cSp_CDRomMediaDataObj* cd, SInt32 firstTrack,
                                           cSp_CDRProgramBaseObj** out);
void Sp_CDDisposeProgram(cSp_CDRProgramBaseObj* program);
cSp_CDRProgramBaseObj* Sp_GetTargetFileProgram(short vRefNum, SInt32 dirID, const char* name);
// A sound file's volume, folder and name as one text, for sets of files.
std::string Sp_SoundFileKey(short vRefNum, SInt32 dirID, const char* name);
// The keys of the files Sp_GetTargetFileProgram finds programs of; none without a manager.
void Sp_CollectSoundFileKeys(std::unordered_set<std::string>& keys);
// 0 without a manager; else the eject's error.
OSErr Sp_CDEjectCD(SInt32 cdRefNum);
void SpCDRomMgr_EndOfCreateSoundFileProgramProcess();
void SpCDR_CatchExecEjectBeforeProcCB(cSp_CDRomMediaDataObj* cd, unsigned long cdRefNum,
                                      unsigned long refCon);

// ---- Timers -----------------------------------------------------------------------------------
// Switching on twice installs one timer; off removes it.
void Sp_EnableCDRomAndSoundEventIdleProcedureForCarbonEvent();
void Sp_DisableCDRomAndSoundEventIdleProcedureForCarbonEvent();
void SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
void SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
// Sets a timer that fires on every pass due on the CD poll's beat (hold: its steps are paused;
// its callback holds it again each time it fires paused) or at the next pass again; none for a
// null timer.
void SpCDR_HoldStepTimer(EventLoopTimerRef timer, bool hold);
void SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseStart();
void SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd();
void SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
void SpCDRI_DisableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
void SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseStart();
void SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseEnd();
void SpCDRI_EnableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent();
void SpCDRI_DisableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent();
void SpCDRI_WriteIntoAIFFC_EventIdleProcedure_PauseStart();
void SpCDRI_WriteIntoAIFFC_EventIdleProcedure_PauseEnd();
// The three step timers' pauses as they were before a hold.
struct SpCDR_SaveStepsHeld {
  unsigned char paused[3] = {0, 0, 0};
};
// Pauses the step timers while a report waits for the user (a step timer fires on every pass,
// so the loop would wait a pass's beat instead of until something comes); the release gives
// each the pause it had.
SpCDR_SaveStepsHeld SpCDR_HoldSaveSteps();
void SpCDR_ReleaseSaveSteps(const SpCDR_SaveStepsHeld& held);

void SpCDR_CatchCarbonEventIdleEventCB(EventLoopTimerRef timer, void* userData);
void SpCDRI_CatchPlayAndWriteIntoPureFileCarbonEventIdleEventCB(EventLoopTimerRef timer,
                                                                void* userData);
void SpCDRI_CatchWriteIntoQuickTimeFileCarbonEventIdleEventCB(EventLoopTimerRef timer,
                                                              void* userData);
void SpCDRI_CatchWriteIntoAIFFC_CarbonEventIdleEventCB(EventLoopTimerRef timer, void* userData);

// The on flags of the CD poll and of the three step timers.
extern unsigned char currentEnableCDRomAndSoundIdleEventOnCarbonEventFlag_GlV;
extern unsigned char
    cdRomAndSoundPlayAndWriteIntoPureFileIdleEventOnCarbonEvent_CurrentEnableFlag_GlV;
extern unsigned char cdRomAndSoundCurrentEnableWriteIntoQuickTimeFileIdleEventOnCarbonEventFlag_GlV;
extern unsigned char cdRomAndSoundCurrentEnableWriteIntoAIFFC_IdleEventOnCarbonEventFlag_GlV;
