// A program: an ordered list of program items (the tracks of one audio CD, one sound file, or
// a selection about to be saved) and the state of a run over them.
//
// Programs are made and destroyed only by the CD-ROM manager (NewProgramBase,
// DisposeProgramBase), which keeps them in its list. A program owns its items.
//
// A run visits the items of its play chain (a second list over the items, in run order):
// ClearPlayProgramItem empties it, SetupPlayProgramItem... fill it. It borrows a buffer set
// from the CD-ROM manager while it runs. The loading of a save (SpCDROMLoadForQTFile.h)
// reads the current item into the load buffer and moves along the play chain, honouring the
// repeat flags; a run whose data has run out is queued on the end-of-play list and stopped by
// the next CD poll.
//
// Play-back through a sound channel is a complete mechanism that the application does not
// start (channels play on the clock without a device). Saving (SpCDROMSaveSoundData.h) runs
// the same loading from the step timers into save buffers and on into a file.
#pragma once

#include "CarbonEvents.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "Sound.h"
#include "SoundConverter.h"
#include "SpCDDiscPosition.h"
#include "SpCDROMLoadForQTFile.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDROMSaveSoundData.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSayErrorNoMgr;
class cSp_CDRomMediaDataObj;
class cSp_CDRProgramBaseObj;
class cSp_MusicFileMusicInfoDataObj;
class ciTunesMusicInfoObj;
struct sSpPlayBackBufferSetBase;
struct sSpPlayBackSoundBuffer;
struct sSpCDReadBlock;
struct sSpSaveBufferSetBase;
struct sSpSaveSaveSoundBuffer;

// The end of a save: (program, 1 when it was stopped and its file deleted, refcon).
typedef void (*SpCDR_SaveEndProcPtr)(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                                     unsigned long refCon);
// Progress of a save: (item being loaded, its total media samples, samples read, refcon).
typedef SpCDR_LoadProgressProcPtr SpCDR_SaveProgressProcPtr;
// Run when a running program stops.
typedef void (*SpCDR_StopProcPtr)(unsigned long refCon);

// GetProgramType.
enum : short {
  kSpProgramTypeEmpty = 0,
  kSpProgramTypeCD = 1,
  kSpProgramTypeOneFile = 2,
  kSpProgramTypeMixed = 3,
};

// The transport's "not possible now" and the save data size headers.
enum : OSErr { kSpCDRNotPossibleErr = -110 };
enum : UInt32 {
  kSpAIFFHeaderBytes = 54,
  kSpWAVEHeaderBytes = 44,
};

// The highest speed factor a run takes.
constexpr double kSpCDRMaxSpeedFactor = 10.0;

class cSp_CDRProgramBaseObj : public cSpListLinks<cSp_CDRProgramBaseObj>, public cSpMacHeapObject {
 public:
  cSp_CDRProgramBaseObj();
  // Destroys every item, the sound channel and the music-file record; ends the loading.
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
  // Takes the item out (of the play chain too), numbers the rest again and destroys it. 0
  // when it is not this program's.
  Boolean DisposeItem(UInt32 refNo);
  Boolean DisposeItem(cSp_CDRProgramItemObj* item);
  cSp_CDRProgramItemObj* GetProgramItem(UInt32 refNo) const;
  cSp_CDRProgramItemObj* GetProgramItemFromGenerationRefNum(UInt32 generation) const;
  cSp_CDRProgramItemObj* GetFirstProgramItem() const { return itemHead_; }
  cSp_CDRProgramItemObj* GetLastProgramItem() const { return itemTail_; }
  SInt32 GetItemCount() const { return itemCount_; }
  // The reference number of the now-playing item while a buffer set is held and it is set,
  // else of the current item, else 0.
  short GetCurrentItemNumber() const;

  // ---- The play chain ----
  void ClearPlayProgramItem();
  // Appends the item at that position (from 1); 0 when there is none or it is in the chain.
  Boolean SetupPlayProgramItem(short position);
  // Appends the item (0 when it is not this program's or already in the chain); the first
  // item of an empty chain becomes the current item.
  Boolean SetupPlayProgramItemPtr(cSp_CDRProgramItemObj* item);
  // The chain holds every item in list order; the current item is its head.
  void SetupAllItemIntoPlayProgramItem();
  cSp_CDRProgramItemObj* GetPlayChainHead() const { return chainHead_; }

  // ---- Order and repeat ----
  // Random order (two or more items): every item once, numbered 1..n again, their real
  // positions laid end to end; the normal reference numbers keep the order of creation.
  void ModifyRandomProgram();
  // The order of creation again (by normal reference number).
  void ResetInitialRankProgram();
  short AllProgramRepeat();
  short OneTrackRepeat();
  short ClearRepeat();
  unsigned char IsRepeatAll() const { return repeatAll_; }
  unsigned char IsRepeatOne() const { return repeatOne_; }

  // ---- Queries ----
  // The sum of the item lengths; 0 for an empty program.
  Boolean GetProgramTotalTime(short* minutes, short* seconds, short* frames);
  // The file size of the sound-file item at that position (from 1); 0 for a CD track.
  Boolean GetFileProgramItemSize(UInt32 position, SInt32& size);
  // The sum over all items; 0 when any size was unreadable (the sum goes on).
  Boolean GetFileProgramTotalSize(SInt32& size);
  // The channels a save of the item refNo (below 1: of all items) gets: `channels` when above
  // 0 (2 at most), else 2 when any of them is a CD track or a sound file of more than one
  // channel, else 1.
  short GetSaveChannelCount(SInt32 refNo, short channels) const;
  // The bytes a save of the item refNo (below 1: the whole program) of that type will write:
  // the header (54 for 'AIFF', 44 for 'WAVE', else 0) and the sound at the save's channel
  // count (the load channel count when set, else as GetSaveChannelCount finds it) and save
  // speed. A sound file without its sound-file object counts no sound.
  UInt64 GetSaveDataSize(short refNo, tCDRISoundFileType type) const;
  // Where play-back stands, for a display (see the implementation); 0 without a buffer set,
  // current item, items or now-playing item.
  Boolean GetPlayingTrackDataOnCD(cSp_CDRomMediaDataObj** cd, short* trackNo, short* itemNo,
                                  cDiscPosition* a, cDiscPosition* b, cDiscPosition* c,
                                  cDiscPosition* d, unsigned char* beforeStart,
                                  unsigned char* sign);
  // The CD-program flag; *cd (when given) the CD, null once the CD went away.
  Boolean IsOneCDRomProgram(cSp_CDRomMediaDataObj** cd) const;
  // 1 for one sound-file item outside a CD program; *format its sound format.
  Boolean IsOneFileProgram(char* ignored, UInt32* format) const;
  // 0 empty, 1 a CD program, 2 one sound file, 3 anything else.
  short GetProgramType() const;
  // The tag record of an item: a sound file's own tags (ID3, else movie user data); a CD
  // track's from the first iTunes album whose track lengths match the CD, else from the
  // CD's titles. 1 with a new record the caller owns.
  Boolean GetTargetProgramItemMusicInfo(cSp_CDRProgramItemObj* item, ciTunesMusicInfoObj* library,
                                        cSp_MusicFileMusicInfoDataObj*& record);
  // A record (ID3 v2.2 ids) from the CD's titles: album, and the track's number of the
  // program's items and title (trackRef below 1: the CD title as the title). 1 when it got a
  // frame.
  Boolean CreateMusicInfoForTargetItemFromCDTrackInfoWithID3VersionUnder2(
      short trackRef, cSp_MusicFileMusicInfoDataObj*& record);

  // ---- Kind ----
  // Built from one audio CD / from one sound file.
  void SetupCDProgram(cSp_CDRomMediaDataObj* cd);
  void SetupFileProgram() { fileProgram_ = 1; }

  // ---- The CD going away ----
  // 1 when the program or one of its items holds this CD (compared, never looked into).
  Boolean HoldsCDMedia(const cSp_CDRomMediaDataObj* cd) const;
  // Marks the items of this CD CD-gone.
  void MarkCDGone(const cSp_CDRomMediaDataObj* cd);
  // Lets go of the CD: its items forget it and its track records (CD-gone), and so does the
  // program.
  void ForgetCDMedia(const cSp_CDRomMediaDataObj* cd);

  // ---- Context of a save (stored only) ----
  void SetupiTunesMusicInfoObjPtr(ciTunesMusicInfoObj* library) { iTunes_ = library; }
  void SetupSaveFileErrorManager(cSayErrorNoMgr* errors) { saveErrorMgr_ = errors; }
  void SetupErrorAlertBaseWindow(WindowRef window) { alertWindow_ = window; }
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
  WindowRef GetErrorAlertBaseWindow() const { return alertWindow_; }
  SpCDR_SaveProgressProcPtr GetSaveProgressProc() const { return saveProgressProc_; }
  unsigned long GetSaveProgressRefCon() const { return saveProgressRefCon_; }
  cSayErrorNoMgr* GetSaveFileErrorManager() const { return saveErrorMgr_; }
  ciTunesMusicInfoObj* GetiTunesMusicInfoObjPtr() const { return iTunes_; }

  // ---- Transport (0 done, paramErr null, kSpCDRNotPossibleErr not now) ----
  // Starts a run at the item refNo, or with -1 at the current item (the first when none);
  // -1 while paused resumes. 0 when no buffer set is free or there is no such item.
  Boolean PlayBackProgram(SInt32 refNo);
  // Starts the data flow at the current item (play-back and the save set-ups).
  Boolean PlaySound();
  // A running program stops: the channel stops, its buffer set goes back and its stop
  // procedure runs (without a sound channel `playing` stays set, as a save's end clears it).
  // Whether it ran or not, the first item becomes the current one. 0.
  OSErr StopTheMusic();
  void PauseTheMusic();
  void ReplayPausedTheMusic();
  void StopChannelSound();
  void PauseChannelSound();
  void ReplayPauseChannelSound();
  OSErr FirstForward();
  OSErr StopFirstForward();
  OSErr FirstReverse();
  OSErr StopFirstReverse();
  // The next item (of the item list while playing, else of the play chain). 0 when none.
  Boolean TrackFoward();
  // While not running: the item refNo becomes current. 0 otherwise.
  Boolean SetStartPointOnStopStatus(SInt32 refNo);
  // The speed factor, 0 < f <= 10; a running program takes it at once. The speed-changed
  // flag is set whatever the factor. 0.
  OSErr ChangeMultiSpeed(double factor);
  // Looks the CD up; changes nothing.
  void StandByCD(short cdRefNum, cDiscPosition* position);

  // ---- Amplification (0..100) ----
  void SetSoundAmp(short level);
  void SetSoundAmp(SndChannel* channel, short level);
  // The item's (every item's for -1) stored volume level; 1.
  Boolean SetMediaSoundAmp(short level, SInt32 refNo);
  // The effective level (amplification x the current item's volume level / 100) to the
  // channel; it needs a buffer set and the item's start data.
  void ChangeSoundAmpLevel(unsigned char direct);
  void ChangeSoundAmpLevel(SndChannel* channel, short level);
  void SetupVolumeDirect(short level);
  void SetupVolumeOnMusicData(short level);
  SInt32 GetAmplification() const { return amplification_; }
  // The saved level of an item in percent: amplification x its volume level / 100 (100
  // without start data).
  SInt32 GetItemSaveLevel(const cSp_CDRProgramItemObj* item) const;

  // ---- Before a save ----
  // Whether every item can be loaded: 1 to go on. With tell, a failure is shown on the window
  // (or in a modal dialog).
  Boolean CheckAllProgramItemLoadPossibility(unsigned char tell, WindowRef window);

  // ---- Run state ----
  unsigned char IsPlaying() const { return playing_; }
  unsigned char IsPaused() const { return paused_; }
  unsigned char IsFastForward() const { return fastForward_; }
  unsigned char IsFastReverse() const { return fastReverse_; }
  unsigned char IsSaveRunning() const { return saveRunning_; }
  unsigned char IsSpeedChanged() const { return speedChanged_; }
  double GetSpeedFactor() const { return speedFactor_; }
  float GetLevelFactor() const { return levelFactor_; }
  cSp_CDRProgramItemObj* GetCurrentItem() const { return currentItem_; }
  cSp_CDRProgramItemObj* GetNowPlayingItem() const { return nowPlayingItem_; }
  const cDiscPosition& GetPlayedPosition() const { return playedPosition_; }
  const cDiscPosition& GetLoadPosition() const { return loadPosition_; }
  sSpPlayBackBufferSetBase* GetBufferSet() const { return bufferSet_; }
  // Takes a buffer set from the CD-ROM manager unless it holds one; 0 when none is free.
  Boolean BorrowBufferSet();
  // The set is no longer this program's (the manager handed it to another).
  void LoseBufferSet() { bufferSet_ = nullptr; }
  SndChannel* GetSoundChannel() const { return soundChannel_; }
  SInt32 GetQueuedBufferCount() const { return queuedBuffers_; }
  // Item start/end of the current item (withPlayed: also the played position and the
  // now-playing item); the load position at its start. 0 without buffer set or items.
  Boolean SetupTargetPlayPartItem(unsigned char withPlayed);
  Boolean SetupTargetPlayPartItemByRealPosition();

  // ---- Sound channel and read blocks ----
  // 1 when already playing; else the callback UPP and, without one, a channel; the Sound
  // Manager's result.
  OSErr PlayTrackSync_StartInit();
  // Queues a filled play-back buffer of the held set on the channel: its buffer command and
  // its callback command (param1 100 for the last buffer of the play).
  OSErr QueuePlayBackSoundBuffer(sSpPlayBackSoundBuffer* buffer, unsigned char last);
  // The sound callback's part of the work (Sp_CDRomPlayTrackSync_CallBack).
  void CatchPlayedSoundBuffer(sSpPlayBackSoundBuffer* buffer, SInt16 param1);
  // Do nothing: 1.
  Boolean LoadCDRomSoundDataOnForward() { return true; }
  Boolean LoadCDRomSoundDataOnForwardForSaveDataInFile() { return true; }
  // Clears the read blocks and the load's position and end flags (needs the buffer set).
  void InitializeLoadInfo();
  void SetupLoadCBInfo();
  void SetupWriteDataIntoFileCBInfoForSaveDataInFile();
  void SetupWriteDataIntoFileCBInfoForCatchConvertAndSaveDataInFile();
  // The step parameters of multi-speed (save or play-back); only while asked for by PlaySound
  // (or a speed change). 0 without the save context while saving.
  Boolean InitializeMultiSpeedData();
  void SetupMultiSpeedDataPending() { multiSpeedNeedsInit_ = 1; }

  // ---- Loading (SpCDROMLoadForQTFile.cpp) ----
  // Opens the current item for loading (a moved file is found by its file id). 1 ready.
  Boolean InitLoadQTFileSoundDataInfo(unsigned char* isProtected);
  // The sample handle, the movie and the load buffer go.
  void EndLoadQTFileSoundDataInfo();
  // The load step of every save: fresh working-format data in the load buffer. 1 when the
  // load buffer holds fresh data, 0 when nothing came (see the flags).
  Boolean LoadQTFileSoundDataOnForwardForSaveDataInFileByVBR();
  // The same converting block by block (no fill-buffer procedure).
  Boolean LoadQTFileSoundDataOnForwardForSaveDataInFile();
  // Play-back: fills the held set's read blocks in turn.
  Boolean LoadQTFileSoundDataOnForward();
  // The next item's loading starts afresh (after the save's fill took an item switch): the
  // load-ended, item-changed and item-finished flags and the item's counters are cleared, and
  // the movie of an item that changed goes.
  void ResetLoadInfoForItemSwitch();
  void InitializeLoadSoundConverterInfo();
  void EndOfLoadSoundConverterInfo();
  // The output converter of a movie or AIFF-C save from the save settings. 1 ready.
  Boolean InitSaveQTFileSoundDataConvertInfo();
  sSp_CDRQTFileLoadInfoObj& GetLoadInfo() { return loadInfo_; }

  // ---- Save settings ----
  short GetLoadChannelCount() const { return loadChannelCount_; }
  void SetupLoadChannelCount(short channels) { loadChannelCount_ = channels; }
  float GetSaveSpeed() const { return saveSpeed_; }
  void SetupSaveSpeed(float speed) { saveSpeed_ = speed; }
  tCDRISoundFileType GetSoundFileType() const { return soundFileType_; }
  void SetupSoundFileType(tCDRISoundFileType type) { soundFileType_ = type; }
  // The output format of a movie or AIFF-C save: compression type, rate (16.16), sample
  // size, channels and the compressor's settings atom (the program keeps the handle).
  void SetupSaveCompression(OSType type, UnsignedFixed rate, short sampleSize, short channels,
                            Handle settings);
  sSpSaveBufferSetBase* GetSaveBufferSet() const { return saveContext_; }
  void SetupSaveBufferSet(sSpSaveBufferSetBase* set) { saveContext_ = set; }
  unsigned char GetNewSaveFlag() const { return newSave_; }
  void ClearNewSaveFlag() { newSave_ = 0; }
  SoundConverter GetOutputConverter() const { return outputConverter_; }
  UInt32 GetOutputBufferSize() const { return outputBufferSize_; }
  Ptr GetOutputBuffer() const { return outputBuffer_; }
  SoundDescriptionV1** GetOutputDescription() const { return outputDescription_; }
  const CompressionInfo& GetOutputCompression() const { return outputCompression_; }
  unsigned char IsVBROutput() const { return vbrOutput_; }
  unsigned char UsesOutputConverter() const { return usesOutputConverter_; }
  // Ends the output converter and frees its buffer and description.
  void DisposeOutputConverter();

  // ---- The save road (SpCDROMSaveSoundData.h) ----
  // A plain AIFF, WAVE or AIFF-C ('NONE') file of the item refNo (-1: the whole program)
  // named `name` (in nameEncoding) in the folder. 1 started (then StartSaveAndPlayEventLoop),
  // 0 not started (the user was told why, except when all temporary names are taken).
  // The progress procedure and refcon are not used (SetupSaveFileProgressCB gives them).
  Boolean SaveTargetProgItem(SInt32 refNo, const FSRef* folder, const char* name,
                             UInt32 nameEncoding, UInt32 creator, tCDRISoundFileType type,
                             float saveSpeed, short channels, SpCDR_SaveProgressProcPtr proc,
                             unsigned long refCon);
  // A QuickTime movie ('QTnc' uncompressed, 'MooV' compressed as given).
  Boolean SaveTargetProgItemIntoQuickTimeFile(SInt32 refNo, const FSRef* folder, const char* name,
                                              UInt32 nameEncoding, tCDRISoundFileType type,
                                              OSType compressionType, UnsignedFixed sampleRate,
                                              short sampleSize, short channels,
                                              Handle compressionSettings, float saveSpeed,
                                              SpCDR_SaveProgressProcPtr proc, unsigned long refCon);
  Boolean SaveTargetProgItemIntoQuickTimeFile_StandBy(
      SInt32 refNo, const FSRef* folder, const char* name, UInt32 nameEncoding,
      tCDRISoundFileType type, OSType compressionType, UnsignedFixed sampleRate, short sampleSize,
      short channels, Handle compressionSettings, float saveSpeed);
  // The set-up every movie or AIFF-C step makes first: the save buffers, the item's loading,
  // on a new save the output converter and the tags. 0 when it failed (the save is asked to
  // stop).
  Boolean SaveTargetProgItemIntoQuickTimeFile_InitBufferInfo();
  // A compressed AIFF-C file (the compression type given) in the folder (vRefNum, dirID).
  Boolean SaveTargetProgItemIntoAIFFC_File(SInt32 refNo, short vRefNum, SInt32 dirID,
                                           const char* name, UInt32 creator,
                                           tCDRISoundFileType type, OSType compressionType,
                                           UnsignedFixed sampleRate, short sampleSize,
                                           short channels, Handle compressionSettings,
                                           float saveSpeed, SpCDR_SaveProgressProcPtr proc,
                                           unsigned long refCon);
  Boolean SaveTargetProgItemIntoAIFFC_StandBy(SInt32 refNo, short vRefNum, SInt32 dirID,
                                              const char* name, UInt32 creator,
                                              tCDRISoundFileType type, OSType compressionType,
                                              UnsignedFixed sampleRate, short sampleSize,
                                              short channels, Handle compressionSettings,
                                              float saveSpeed);
  // The save's data flow begins: playing and save running. 0.
  OSErr StartSaveAndPlayEventLoop();
  // Asks a running save to stop: it ends at the next stop check.
  void StopSaveProgram() { stopRequest_ = 1; }
  unsigned char GetStopRequest() const { return stopRequest_; }
  // The stop check: when a stop was asked for, ends the save as stopped. 1 when it did.
  Boolean SerchStopSaveProgram();
  // Ends the save: completed (stopped 0) the file takes its final name; stopped, or when
  // anything failed while finishing it, the temporary file is deleted. The end callback runs.
  // What an end still had to do of its steps is done at once.
  void EndOfSaveProgItem(unsigned char stopped);
  // A save whose sound is all written ends over several passes of the event loop, one step a
  // pass from a timer of its own (the data's flush, the header or the movie's index, the
  // second flush, the new file's name and the end callback), so that none of the waits for
  // the disk at a file's end keeps the window waiting for the others. While it ends the save
  // still runs; a stop asked for meanwhile ends it as stopped.
  bool IsSaveEnding() const { return save_.endStage != 0; }
  void ContinueSaveEnd();
  // The steps of the step timers (SpCDROMPlayTrackNormal.cpp and the writers).
  void SaveQTFileTrack_ForEventLoopNormalForwordSpeed();
  void SaveQTFileTrack_ForMultiSpeedByFullScaleOverlap();
  void WriteSoundDataIntoNormalFileForEventLoop();
  void WriteSoundDataIntoQuickTimeFileForEventLoop();
  void LoadAndConvertSoundDataForSaveAIFFC_ForEventLoop();
  void WriteSoundDataIntoAIFFCwithConverter_ForEventLoop();
  // One fill of the save buffers; done = 1 when the last data of the run is in them.
  Boolean LoadFromQTFileAndSetupSaveBuff_ForNormalSpeed(unsigned char& done);
  Boolean LoadFromQTFileAndSetupSaveBuff_ForMultiSpeedByFullScaleOverlap(unsigned char& done);
  // The save buffer set (two buffers of SpCDR_SaveBufferBytes). 0 when memory is short.
  Boolean SetupSaveBufferSetBase(unsigned char withLoadBuffers);
  void DisposeSaveBufferSetBase();
  // The AIFF-C writer's set: three buffers of the output converter's size.
  Boolean SetupConvertAndSaveIntoNormaoFileBufferSetBase();
  void DisposeSaveBufferSetBaseForCatchConverterAndWriteIntoFile();
  sSpSaveBufferSetBase* GetAIFFCBufferSet() const { return aiffcContext_; }
  // The tag record of the save: the first sound file's own tags, or the CD's (iTunes album,
  // else the CD's titles). 1 when there is one.
  Boolean ReadOrSettingMusicFileInfoForSaveFile();
  cSp_MusicFileMusicInfoDataObj* GetSaveMusicInfo() const { return musicFileRecord_; }
  // The output converter's procedure's work: hands the next full save buffer over (in parts
  // the converter takes one after the other). 1 when something was handed.
  Boolean CatchSaveQTFileSoundConverterFillBufferDataCB(SInt32 counter,
                                                        ExtendedSoundComponentData* record,
                                                        unsigned char& done, unsigned char& handed);
  const sSpCDRSaveTarget& GetSaveTarget() const { return save_; }
  void SetupSaveHold(unsigned char hold) { save_.hold = hold; }
  // Amplifies a handed-over buffer (and turns WAVE samples little-endian).
  void AmplifySaveBuffer(sSpSaveSaveSoundBuffer* buffer);

  // ---- Play-back steps (no caller in the application) ----
  // Queue the loaded read blocks on the sound channel in buffers of a second at most (127
  // queued at most): at normal speed as they are, above it by the full-scale overlap. The
  // last buffer of the data ends with a callback command of parameter 100 and sets hold.
  void PlayQTFileTrack_ForEventLoopNormalForwordSpeed();
  void PlayQTFileTrack_ForEventLoopMultiSpeedByFullScaleOverlap();
  const sSpPlayBackStepState& GetPlayBackStepState() const { return playStep_; }

  // ---- The end-of-play list ----
  cSp_CDRProgramBaseObj* GetEndOfPlayNext() const { return endOfPlayNext_; }
  void SetupEndOfPlayNext(cSp_CDRProgramBaseObj* next) { endOfPlayNext_ = next; }
  // The wipe-out's stop of a program whose data ran out.
  void WipeOutAtEndOfPlay();

 private:
  void RenumberItems();
  bool HasItem(const cSp_CDRProgramItemObj* item) const;
  void ResetBuffersForRestart();
  // Fast forward or reverse (the flag) on or off while the channel plays.
  OSErr ChangeFastMode(unsigned char& flag, bool on);
  // The current item's start data volume level; false without start data.
  bool CurrentItemVolumeLevel(UInt32& level) const;
  // Loading helpers (SpCDROMLoadForQTFile.cpp).
  void StallReport();
  void FetchGroupAfterMemoryFull();
  void MoveToNextItemAfterLoadEnd();
  void ApplySaveLevel(UInt8* data, UInt32 bytes) const;
  // The end of a save's load step, whose stepBytes lie at `samples` (the buffer's data or the
  // sample handle's): whole frames, the saved level, the block's place in the item, and the
  // move to the next item when the item's data ended.
  void FinishLoadStep(sSpSaveLoadSoundBuffer& buffer, UInt32 stepBytes, UInt8* samples);
  // The next part of the sample handle (a new group when it is used up) copied or converted
  // block by block into dest: the bytes made and the source bytes behind them; the
  // converter's error.
  OSErr LoadGroupBlockwise(UInt8* dest, UInt32 capacity, UInt32& stepBytes, UInt32& sourceBytes);
  bool CurrentItemGone() const;
  // The save road's helpers (SpCDROMSaveSoundData.cpp and beside it).
  bool LoadForSaveFill();
  void ItemSwitchOfSaveFill();
  void CompleteRunInFill(sSpSaveSaveSoundBuffer* fill);
  bool CheckSaveSources(SInt32 refNo);
  bool PrepareSaveFolder(const FSRef* folder, const char* name, UInt32 nameEncoding, short vRefNum,
                         SInt32 dirID);
  bool CheckSaveSpace(SInt32 refNo, tCDRISoundFileType type, bool sizeLimited);
  bool SetupSavePlayChain(SInt32 refNo);
  short SaveLoadChannelCount(SInt32 refNo, short channels, bool raiseToChannels) const;
  void FailSave(OSErr err);
  bool TakeTemporaryName();
  bool OpenTemporaryFile(UInt32 creator, OSType fileType);
  void AbandonSaveSetUp();
  bool StartSaveFile(SInt32 refNo, UInt32 creator, OSType fileType);
  void ReserveCDSoundSpace(SInt32 refNo);
  Boolean FailSetUp(OSErr err);
  bool TakeSaveCompression(SInt32 refNo, OSType compressionType, UnsignedFixed sampleRate,
                           short sampleSize, short channels, Handle settings);
  void EndOfRun();
  // The next step of the end; true once the end is complete (its callback has run).
  bool StepSaveEnd(unsigned char& stopped);
  void StopSaveEndTimer();
  bool PlayStepReady();
  bool PlayDataEnded() const;
  struct sSpPlayBackSoundBuffer* TakeSoundBuffer(sSpCDReadBlock& block);
  void QueuePlayed(struct sSpPlayBackSoundBuffer* buffer, UInt32 bytes, bool last);
  OSErr IssueBufferWrite(sSpSaveBufferSetBase* set, FSForkIOParam& pb);
  void TellSaveFailure();
  // Tells the user the text once (a beep and an error-log record with it); err is the save's.
  void TellSaveFailure(const std::string& text, OSErr err);
  OSErr CreateTemporaryFile(UInt32 creator, OSType fileType);
  void TemporaryFileMade();
  // The temporary file goes (unless kept under its name as the user's) with its record.
  void RemoveTemporaryFile(bool keepFile = false);
  bool WriteFinalPlainHeader(OSErr& err);
  OSErr FinishMovieFile();
  void FinishAIFFCConversion();
  bool ReplaceTargetWithTemporaryFile();
  bool KeepUnreplacedFile(short messages, OSErr err);
  void CloseSaveFile(OSErr& err);
  bool HandToOutputConverter(ExtendedSoundComponentData* record, unsigned char& done);
  void ReleaseHandedSaveBuffer();
  bool FillForConverter();
  void SetupSaveRecord(UInt32 creator, tCDRISoundFileType type, float saveSpeed);

  UInt32 generationCounter_;
  unsigned char repeatAll_;
  unsigned char repeatOne_;
  unsigned char cdProgram_;
  cSp_CDRomMediaDataObj* cd_;
  ciTunesMusicInfoObj* iTunes_;
  unsigned char fileProgram_;
  WindowRef alertWindow_;
  cSayErrorNoMgr* saveErrorMgr_;
  unsigned char stopRequest_;
  SInt32 itemCount_;
  cSp_CDRProgramItemObj* itemHead_;
  cSp_CDRProgramItemObj* itemTail_;
  cSp_CDRProgramItemObj* chainHead_;
  cSp_CDRProgramItemObj* chainTail_;
  cSp_CDRProgramItemObj* currentItem_;
  cDiscPosition loadPosition_;
  SInt32 loadSector_;
  UInt32 loadCounters_[2];
  IOCompletionUPP readCompletionUPP_;
  IOCompletionUPP saveReadCompletionUPP_;
  cDiscPosition itemStart_;
  cDiscPosition itemEnd_;
  SInt32 itemStartSector_;
  SInt32 itemEndSector_;
  unsigned char speedChanged_;
  cSp_CDRProgramItemObj* nowPlayingItem_;
  cDiscPosition playedPosition_;
  unsigned char inCallback_;
  unsigned char playing_;
  unsigned char paused_;
  unsigned char fastForward_;
  unsigned char fastReverse_;
  unsigned char started_;
  sSpPlayBackBufferSetBase* bufferSet_;
  double speedFactor_;
  float levelFactor_;
  SndChannel* soundChannel_;
  SndCallBackUPP soundCallBackUPP_;
  SInt32 queuedBuffers_;
  sSp_CDRQTFileLoadInfoObj loadInfo_;
  unsigned char saveRunning_;
  EventLoopTimerRef saveEndTimer_;  // the timer of an end's steps
  unsigned char newSave_;
  unsigned char multiSpeedNeedsInit_;
  sSpSaveBufferSetBase* saveContext_;
  float saveSpeed_;
  short loadChannelCount_;
  tCDRISoundFileType soundFileType_;
  cSp_MusicFileMusicInfoDataObj* musicFileRecord_;
  SpCDR_SaveProgressProcPtr saveProgressProc_;
  unsigned long saveProgressRefCon_;
  SpCDR_SaveEndProcPtr saveEndProc_;
  unsigned long saveEndRefCon_;
  SInt32 amplification_;
  SpCDR_StopProcPtr stopProc_;
  unsigned long stopRefCon_;
  cSp_CDRProgramBaseObj* endOfPlayNext_;
  // The output converter of a movie or AIFF-C save.
  OSType compressionType_;
  UnsignedFixed saveSampleRate_;
  short saveSampleSize_;
  short saveChannelCount_;
  Handle decompressionAtom_;
  SoundConverter outputConverter_;
  UInt32 outputRate_;
  UInt32 outputBufferSize_;
  Ptr outputBuffer_;
  SoundDescriptionV1** outputDescription_;
  CompressionInfo outputCompression_;
  SoundComponentData converterInput_;
  SoundComponentData converterOutput_;
  unsigned char vbrOutput_;
  unsigned char usesOutputConverter_;
  // The file a save writes and the AIFF-C writer's buffer set.
  sSpCDRSaveTarget save_;
  sSpSaveBufferSetBase* aiffcContext_;
  sSpPlayBackStepState playStep_;
};

// The end-of-play list: programs whose data ran out, stopped by the next poll. A program
// disposed of leaves the list.
void SpCDR_SetupEndOfPlayProgramList(cSp_CDRProgramBaseObj* program);
void SpCDR_ExecWipeOutProcEndOfPlayProgramList();
// Takes the program off the list (it is being disposed of).
void SpCDR_RemoveFromEndOfPlayProgramList(cSp_CDRProgramBaseObj* program);
