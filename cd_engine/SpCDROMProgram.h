// A program: an ordered list of program items (the tracks of one audio CD, one sound file, or
// a selection about to be saved) and the state of a run over them.
//
// Programs are made and destroyed only by the CD-ROM manager (NewProgramBase,
// DisposeProgramBase), which keeps them in its list. A program owns its items.
//
// What is here: the item list and its numbering, the program's kind, the run and save flags
// with the stop road of a save (a stop request ends the save at the next stop check, through
// its end callback), the buffer set a run borrows, and the release of a CD that goes away.
// Play-back, loading and the writers of saved files come with the save path; until then a save
// step finds no save context and asks the save to stop.
#pragma once

#include "MacTypes.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSp_CDRomMediaDataObj;
class cSp_CDRProgramBaseObj;
struct sSpPlayBackBufferSetBase;

// The end of a save: (program, 1 when it was stopped and its file deleted, refcon).
typedef void (*SpCDR_SaveEndProcPtr)(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                                     unsigned long refCon);
// Progress of a save: (item being loaded, its total media samples, samples read, refcon).
typedef void (*SpCDR_SaveProgressProcPtr)(cSp_CDRProgramItemObj* item, SInt32 total, SInt32 done,
                                          unsigned long refCon);
// Run when a running program stops.
typedef void (*SpCDR_StopProcPtr)(unsigned long refCon);

// GetProgramType.
enum : short {
  kSpProgramTypeEmpty = 0,
  kSpProgramTypeCD = 1,
  kSpProgramTypeOneFile = 2,
  kSpProgramTypeMixed = 3,
};

class cSp_CDRProgramBaseObj : public cSpListLinks<cSp_CDRProgramBaseObj>, public cSpMacHeapObject {
 public:
  cSp_CDRProgramBaseObj() { StartUpInitialize(); }
  // Destroys every item.
  ~cSp_CDRProgramBaseObj();
  cSp_CDRProgramBaseObj(const cSp_CDRProgramBaseObj&) = delete;
  cSp_CDRProgramBaseObj& operator=(const cSp_CDRProgramBaseObj&) = delete;

  void StartUpInitialize();
  // Takes the program out of the manager's list, joining its neighbours.
  void UnlinkFromList() { UnlinkSelf(); }

  // ---- Items ----
  // A new item: where 0 at the head, -1 at the tail, else after the item of that reference
  // number (at the end when none has it). The items are numbered again, the normal reference
  // numbers set to the reference numbers, and the item gets the next generation number. Null
  // when memory is short.
  cSp_CDRProgramItemObj* NewProgramItem(short where);
  // Takes the item out, numbers the rest again and destroys it. 0 when it is not this
  // program's.
  Boolean DisposeItem(UInt32 refNo);
  Boolean DisposeItem(cSp_CDRProgramItemObj* item);
  cSp_CDRProgramItemObj* GetProgramItem(UInt32 refNo) const;
  cSp_CDRProgramItemObj* GetProgramItemFromGenerationRefNum(UInt32 generation) const;
  cSp_CDRProgramItemObj* GetFirstProgramItem() const { return itemHead_; }
  cSp_CDRProgramItemObj* GetLastProgramItem() const { return itemTail_; }
  SInt32 GetItemCount() const { return itemCount_; }

  // ---- Kind ----
  // Built from one audio CD / from one sound file.
  void SetupCDProgram(cSp_CDRomMediaDataObj* cd);
  void SetupFileProgram() { fileProgram_ = 1; }
  // The CD-program flag; *cd (when given) the CD, null once the CD went away.
  Boolean IsOneCDRomProgram(cSp_CDRomMediaDataObj** cd) const;
  // 0 empty, 1 a CD program, 2 one sound file, 3 anything else.
  short GetProgramType() const;

  // ---- The CD going away ----
  // 1 when the program or one of its items holds this CD (compared, never looked into).
  Boolean HoldsCDMedia(const cSp_CDRomMediaDataObj* cd) const;
  // Marks the items of this CD CD-gone.
  void MarkCDGone(const cSp_CDRomMediaDataObj* cd);
  // Lets go of the CD: its items forget it and its track records (CD-gone), and so does the
  // program.
  void ForgetCDMedia(const cSp_CDRomMediaDataObj* cd);

  // ---- Run ----
  unsigned char IsPlaying() const { return playing_; }
  unsigned char IsSaveRunning() const { return saveRunning_; }
  // A running program stops: its buffer set goes back and its stop procedure runs. Whether
  // it ran or not, the first item becomes the current one. 0.
  OSErr StopTheMusic();
  cSp_CDRProgramItemObj* GetCurrentItem() const { return currentItem_; }
  sSpPlayBackBufferSetBase* GetBufferSet() const { return bufferSet_; }
  // Takes a buffer set from the CD-ROM manager unless it holds one; 0 when none is free.
  Boolean BorrowBufferSet();
  // The set is no longer this program's (the manager handed it to another).
  void LoseBufferSet() { bufferSet_ = nullptr; }

  void SetupSaveFileEndProcCB(SpCDR_SaveEndProcPtr proc, unsigned long refCon) {
    saveEndProc_ = proc;
    saveEndRefCon_ = refCon;
  }
  void SetupSaveFileProgressCB(SpCDR_SaveProgressProcPtr proc, unsigned long refCon) {
    saveProgressProc_ = proc;
    saveProgressRefCon_ = refCon;
  }
  void SetupStopProc(SpCDR_StopProcPtr proc, unsigned long refCon) {
    stopProc_ = proc;
    stopRefCon_ = refCon;
  }

  // ---- The save road ----
  // The save's data flow begins: playing and save running. 0.
  OSErr StartSaveAndPlayEventLoop();
  // Asks a running save to stop: it ends at the next stop check.
  void StopSaveProgram() { stopRequest_ = 1; }
  unsigned char GetStopRequest() const { return stopRequest_; }
  // The stop check: when a stop was asked for, ends the save as stopped. 1 when it did.
  Boolean SerchStopSaveProgram();
  // Ends the save: the flags go down and the end callback runs with `stopped`.
  void EndOfSaveProgItem(unsigned char stopped);
  // The steps of the step timers. A save here has no save context (the save set-up makes
  // it), so a step asks the save to stop.
  void SaveQTFileTrack_ForEventLoopNormalForwordSpeed();
  void SaveQTFileTrack_ForMultiSpeedByFullScaleOverlap();
  void WriteSoundDataIntoNormalFileForEventLoop();
  void WriteSoundDataIntoQuickTimeFileForEventLoop();
  void LoadAndConvertSoundDataForSaveAIFFC_ForEventLoop();
  void WriteSoundDataIntoAIFFCwithConverter_ForEventLoop();
  float GetSaveSpeed() const { return saveSpeed_; }

 private:
  void RenumberItems();
  void AskStopWithoutSaveContext() { stopRequest_ = 1; }

  UInt32 generationCounter_;
  unsigned char cdProgram_;
  cSp_CDRomMediaDataObj* cd_;
  unsigned char fileProgram_;
  unsigned char stopRequest_;
  SInt32 itemCount_;
  cSp_CDRProgramItemObj* itemHead_;
  cSp_CDRProgramItemObj* itemTail_;
  cSp_CDRProgramItemObj* currentItem_;
  unsigned char playing_;
  unsigned char paused_;
  sSpPlayBackBufferSetBase* bufferSet_;
  unsigned char saveRunning_;
  float saveSpeed_;
  SpCDR_SaveProgressProcPtr saveProgressProc_;
  unsigned long saveProgressRefCon_;
  SpCDR_SaveEndProcPtr saveEndProc_;
  unsigned long saveEndRefCon_;
  SpCDR_StopProcPtr stopProc_;
  unsigned long stopRefCon_;
};
