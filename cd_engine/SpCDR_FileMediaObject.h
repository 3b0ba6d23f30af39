// Sound-file media: one sound file the engine has used, with its sound format, length and
// tags, and the record sSpMusicFileInfo that describes a sound file between the engine and
// the application (which keeps it in its saved media list).
//
// The objects live in the media manager's sound-file list (SpCDR_MediaMgrObject.h), which
// makes and deletes them. An object's icon belongs to the file-icon manager and its start data
// to the start-data manager: deleting the object gives neither back.
#pragma once

#include <cstddef>

#include "Icons.h"
#include "MacTypes.h"
#include "Sound.h"
#include "SpCDDiscPosition.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cQTFileSaveInitialData;

enum : SInt32 {
  kSpMusicFileInfoSize = 1644,        // the record's stored size
  kSpMusicFileInfoReservedSize = 56,  // the reserved block at its start
  kSpMusicFileInfoTextSize = 512,     // each of its three strings, terminator included
  kSpQTFileNameSize = 512,            // a sound-file object's file name, terminator included
};

// A sound file's description. Stored as 1,644 big-endian bytes (SpCDR_WriteMusicFileInfoBytes):
//   0 reserved (56, zeros) | 56 file size | 60 sample count | 64 format flags (0) | 68 format
//   code | 72 channels (2) | 74 sample size (2) | 76 sample rate (16.16) | 80 sample count (0)
//   | 84 buffer (0) | 88 reserved (0) | 92 duration | 96 time scale | 100 seconds (IEEE
//   single) | 104 title | 616 album title | 1128 artist name (512 each, NUL-terminated) |
//   1640 track number (2) | 1642 track count (2).
struct sSpMusicFileInfo {
  UInt8 reserved[kSpMusicFileInfoReservedSize];
  UInt32 fileSize;            // physical size of both forks, bytes
  UInt32 sampleCount;         // media samples of the sound track
  SoundComponentData format;  // flags, sample count, buffer and reserved are stored as 0
  SInt32 duration;            // media time units
  SInt32 timeScale;           // media time units a second
  float seconds;
  char title[kSpMusicFileInfoTextSize];
  char albumTitle[kSpMusicFileInfoTextSize];
  char artistName[kSpMusicFileInfoTextSize];
  SInt16 trackNo;
  SInt16 trackCount;
};

// The record's stored bytes, field by field.
void SpCDR_WriteMusicFileInfoBytes(const sSpMusicFileInfo& info, UInt8 out[kSpMusicFileInfoSize]);
// The record from stored bytes (from outside the program): 0 and info cleared when fewer than
// 1,644 bytes are given. Each string is cut at its block's end, so it is always terminated.
Boolean SpCDR_ReadMusicFileInfoBytes(const UInt8* bytes, UInt32 size, sSpMusicFileInfo& info);

// Copies a zero-terminated text (null: an empty one) into a block of `size` bytes, cut to
// size - 1 bytes so that it always ends.
void SpCDR_CopyText(char* out, std::size_t size, const char* text);

// Where a sound-file object takes its icon from: the application installs the file-icon
// manager's look-up at start-up. Until then objects have no icon.
typedef IconSuiteRef (*SpCDR_FileIconProcPtr)(SInt16 vRefNum, SInt32 dirID, const char* name);
void SpCDR_SetupFileIconProc(SpCDR_FileIconProcPtr proc);

class cSp_QTFileDataObj : public cSpListLinks<cSp_QTFileDataObj>, public cSpMacHeapObject {
 public:
  // Clears the fields, keeps the file's place and name (cut to 511 bytes; null gives an empty
  // name), its file id (0 when the look-up fails) and its icon.
  cSp_QTFileDataObj(short vRefNum, SInt32 dirID, const char* name);
  ~cSp_QTFileDataObj() {}
  cSp_QTFileDataObj(const cSp_QTFileDataObj&) = delete;
  cSp_QTFileDataObj& operator=(const cSp_QTFileDataObj&) = delete;

  // From this object along the list, the one of this volume, folder and name (byte for
  // byte); null when none.
  cSp_QTFileDataObj* GetTargetQTFileDataObj(short vRefNum, SInt32 dirID, const char* name);

  // Reads the file through QuickTime: its first sound track's format, duration and sample
  // count, its size and its tags; with loadStartData also its start data. 0 when the file has
  // no sound track QuickTime can open (errorFlag, when given, then tells a protected file).
  // A sample count the file does not state with its length is left to CountSamples (0 until
  // then).
  Boolean SetupSoundSampleDataInfo(unsigned char loadStartData, unsigned char* errorFlag);
  // The sample count left by SetupSoundSampleDataInfo, counted from the file now: 1 when the
  // count is known, 0 when the file cannot be read (the count stays 0, to be counted again).
  Boolean CountSamples();
  bool IsSampleCountKnown() const { return sampleCountKnown_; }
  // The same description taken from a saved record instead of the file (a sample count of 0
  // there is one still to count). 1.
  Boolean SetupSoundSampleDataInfoFromMusicInfo(const sSpMusicFileInfo* info,
                                                unsigned char loadStartData);
  // Fills the record from the object.
  void GetMusicInfo(sSpMusicFileInfo& info) const;
  // The file was written anew: it is read again as SetupSoundSampleDataInfo reads it (its file
  // id too, and its start data looked up for what it is now). 0, and the object as it was,
  // when it cannot be read.
  Boolean RenewSoundSampleDataInfo(unsigned char* errorFlag);

  // The volume level of its start data; 100 without start data (logged).
  UInt32 GetAmpVolume();
  UInt32 GetReferenceNo() const { return referenceNo_; }

  short GetVolumeRefNum() const { return vRefNum_; }
  SInt32 GetDirID() const { return dirID_; }
  const char* GetFileName() const { return fileName_; }
  SInt32 GetFileID() const { return fileID_; }
  const char* GetTitle() const { return title_; }
  const char* GetAlbumTitle() const { return albumTitle_; }
  const char* GetArtistName() const { return artistName_; }
  SInt16 GetTrackNo() const { return trackNo_; }
  SInt16 GetTrackCount() const { return trackCount_; }
  IconSuiteRef GetIcon() const { return icon_; }
  UInt32 GetFileSize() const { return fileSize_; }
  UInt32 GetSampleCount() const { return sampleCount_; }
  const SoundComponentData& GetSoundFormat() const { return format_; }
  SInt32 GetDuration() const { return duration_; }
  SInt32 GetTimeScale() const { return timeScale_; }
  float GetSeconds() const { return seconds_; }
  UInt32 GetLengthInSectors() const { return lengthInSectors_; }
  const cDiscPosition& GetLength() const { return length_; }
  cQTFileSaveInitialData* GetStartData() const { return startData_; }

 private:
  // The length in sectors from duration and time scale (0 for a zero time scale), and the
  // start data when asked for.
  void SetupLengthAndStartData(unsigned char loadStartData);

  UInt32 referenceNo_ = 0;  // nothing assigns it
  cQTFileSaveInitialData* startData_ = nullptr;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
  char fileName_[kSpQTFileNameSize] = {};
  SInt32 fileID_ = 0;
  UInt8 reserved_[kSpMusicFileInfoReservedSize] = {};  // nothing fills it
  char title_[kSpMusicFileInfoTextSize] = {};
  char albumTitle_[kSpMusicFileInfoTextSize] = {};
  char artistName_[kSpMusicFileInfoTextSize] = {};
  SInt16 trackNo_ = 0;
  SInt16 trackCount_ = 0;
  IconSuiteRef icon_ = nullptr;
  UInt32 fileSize_ = 0;
  UInt32 sampleCount_ = 0;
  bool sampleCountKnown_ = true;
  SoundComponentData format_ = {};
  SInt32 duration_ = 0;
  SInt32 timeScale_ = 0;
  float seconds_ = 0;
  UInt32 lengthInSectors_ = 0;
  cDiscPosition length_;
};
