// Start data of one sound file: the volume level the user last chose for it.
//
// A sound file is known by its name, its size and its sound: format code, channels, sample
// size, sample rate, duration and time scale (the flags, sample count, buffer and reserved
// words of the format are not part of the key). The records live in the start-data manager's
// sound-file list (SpCDRSaveIniDataMgrObj.h), which owns them; media objects keep pointers to
// them for as long as the program runs.
#pragma once

#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "Sound.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSpCDRSaveInitDataMgr;

enum : SInt32 {
  kSpQTFileInitNameSize = 512,   // a file name with its terminator
  kSpQTFileInitNameLimit = 510,  // the longest name "QTFILE-Data" holds
};
// The level of a new record.
enum : UInt32 { kSpQTFileInitDataDefaultLevel = 100 };

class cQTFileSaveInitialData : public cSpListLinks<cQTFileSaveInitialData>,
                               public cSpMacHeapObject {
 public:
  // The name is copied (at most 511 bytes; null gives an empty name); the format's buffer is
  // not kept.
  cQTFileSaveInitialData(const char* name, UInt32 fileSize, const SoundComponentData& format,
                         SInt32 duration, SInt32 timeScale);
  ~cQTFileSaveInitialData() { --alive_; }
  // The records that exist.
  static UInt32 CountAlive() { return alive_; }
  cQTFileSaveInitialData(const cQTFileSaveInitialData&) = delete;
  cQTFileSaveInitialData& operator=(const cQTFileSaveInitialData&) = delete;

  // Stores the level and marks the sound-file list as changed, so the next save writes it.
  void SetupVolumeLevel(UInt32 level);
  UInt32 GetVolumeLevel() const { return volumeLevel_; }
  // Each output is optional; name receives the name with its terminator and must hold
  // kSpQTFileInitNameSize bytes.
  void GetFileAttributeData(char* name, UInt32* fileSize, SoundComponentData* format,
                            SInt32* duration, SInt32* timeScale) const;
  // 1 when the record is this file's: the name equal byte for byte (a null name never
  // matches), and the size, format code, channels, sample size, sample rate, duration and
  // time scale equal.
  Boolean EqualFileAttribute(const char* name, UInt32 fileSize, const SoundComponentData& format,
                             SInt32 duration, SInt32 timeScale) const;
  // The first record from this one on along the list that EqualFileAttribute accepts; null
  // when none does.
  cQTFileSaveInitialData* SerchEqualFileAttributeObjectLinkNext(const char* name, UInt32 fileSize,
                                                                const SoundComponentData& format,
                                                                SInt32 duration, SInt32 timeScale);

 private:
  friend class cSpCDRSaveInitDataMgr;  // moves records inside its list and writes them

  static inline UInt32 alive_ = 0;

  char fileName_[kSpQTFileInitNameSize];
  UInt32 fileSize_;
  SoundComponentData format_;
  SInt32 duration_;
  SInt32 timeScale_;
  UInt32 volumeLevel_ = kSpQTFileInitDataDefaultLevel;
};
