// The engine's lowest sound layer: the Sound Manager channel a program plays through and its
// callback, thin wrappers of Sound Manager commands, the Sound Manager version object and the
// output-device search, and the completions of a buffer set's read blocks and of a save's
// writes.
//
// Nothing in the application plays sound: a channel consumes its buffers on the clock
// without a device (Sound.h), its callback commands come on the main loop, and the amplitude
// wrappers change nothing (a saved level is applied by the loader, SpCDROMLoadForQTFile.h).
#pragma once

#include "Components.h"
#include "Files.h"
#include "MacTypes.h"
#include "Sound.h"
#include "SpStdFunctionNumber.h"

class cSp_CDRProgramBaseObj;
struct sSpPlayBackBufferSetBase;
struct sSpPlayBackSoundBuffer;
struct sSpSaveBufferSetBase;

// ---- Sound Manager commands on a channel (each 0 for a null channel) ----------------------
// flushCmd, then (when that succeeded) quietCmd.
OSErr Sp_StopSound(SndChannel* channel);
OSErr Sp_PauseSound(SndChannel* channel);
OSErr Sp_ReplayPausedSound(SndChannel* channel);
// rateMultiplierCmd at 4.0 (the second argument is not used).
OSErr Sp_ChangeChannelRateMultiplier(SndChannel* channel, unsigned short unused);
// The amplitude wrappers: nothing changes; 0.
OSErr Sp_GetChannelAmpLebel(SndChannel* channel, short* level);
OSErr Sp_SetChannelAmpLebel(SndChannel* channel, unsigned short level);
OSErr Sp_SetChannelAmpLevelIntoMusicData(SndChannel* channel, SndCommand* command,
                                         unsigned short level);

// The callback of a program's channel: a played buffer goes back to its set's free chain and
// tells its program what was played last; the last buffer of a play (param1 100) queues the
// program on the end-of-play list.
void Sp_CDRomPlayTrackSync_CallBack(SndChannel* channel, SndCommand* command);

// ---- The Sound Manager version ------------------------------------------------------------
class cSp_SoundMgr {
 public:
  cSp_SoundMgr();
  ~cSp_SoundMgr() {}
  const sNumVersion& GetVersion() const { return version_; }

 private:
  sNumVersion version_;
};
extern cSp_SoundMgr* soundMgrBase_GlV;
// Makes the version object anew.
void Sp_SetupOriginalSoundManager();

// ---- Output devices (there are none here) -------------------------------------------------
Component Sp_SMgr_SerchOutputComponent();
// The sound output components in a new array (*list, NewPtrClear); their count, 0 when there
// are none or the array cannot be had.
SInt32 Sp_SMgr_FindAllSoundDevices(ComponentRecord*** list);

// ---- Read blocks and write completions -----------------------------------------------------
// The completion of a read into the current block of soundBuffSetPtr_GlV: the block is filled
// and the index moves on (after 4 comes 0); an abandoned read only clears its flag.
void SpCDR_CatchCompleationReadCDData(ParamBlockRec* block);
// The completion of a save write: the context's current write buffer is done and the next one
// of its ring is current.
void SpCDR_CatchCompleationReadCDDataForSaveDataInFile(ParamBlockRec* block);

// A buffer of the set goes back to the tail of its free chain.
void Sp_CDRReturnSoundBufferToFreeChain(sSpPlayBackBufferSetBase* set,
                                        sSpPlayBackSoundBuffer* buffer);

extern sSpPlayBackBufferSetBase* soundBuffSetPtr_GlV;
extern sSpSaveBufferSetBase* saveSoundBuffSetPtr_GlV;
extern sSpPlayBackSoundBuffer* sndBuffPtr_GlV;
extern cSp_CDRProgramBaseObj* playProgramBasePtr_GlV;
