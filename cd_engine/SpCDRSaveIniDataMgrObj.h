// Saved start data: the volume level of every audio CD and sound file the engine has seen,
// kept across runs so that a medium plays and saves at the level the user last chose.
//
// Two files in "Zanthe Folder" of the Preferences folder (creator 'Zqcr', type 'pref'; when
// reading, the folder of that name in the Documents folder is the fallback):
//
// "CDDA-Data", text, one line per CD in list order: track count, minutes, seconds, frames of
// the lead-out position and the volume level, each in decimal and followed by a TAB, the line
// ended by a CR (the position's negative flag is not written).
//
// "QTFILE-Data", big-endian: the number of records R (4 bytes), then per record the name's
// length L (4), the name's L bytes (no terminator), the file size (4), the sound format's
// flags (4), format code (4), channels (2), sample size (2), sample rate (unsigned 16.16, 4),
// sample count (4), buffer (4, always 0) and reserved word (4), the duration (4), the time
// scale (4) and the volume level (4).
//
// One manager holds both lists, least recently used first. It is made on the first look-up
// and loads both files then, before anything can be saved, so a save keeps what earlier runs
// stored. A look-up moves the record it finds to the end of its list; a new record goes at
// the end. A list keeps at most 49 records: making a 50th deletes the least recently used one,
// so it leaves the file too and a long run holds no more than 49 records a list. Each file is
// written when its list changed, to a side file that then takes the file's name in one
// rename, so a crash or a kill never leaves a half-written file nor none.
//
// Records are handed out to media objects. A record the limit drops is deleted, so only the 49
// most recently used of a list may be held; a record left by a manager that is disposed of
// stays valid until the program ends (its level can still be read and set) but is no longer
// saved.
#pragma once

#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "Sound.h"
#include "SpCDDiscPosition.h"
#include "SpCDRCDSaveInitData.h"
#include "SpCDRFileSaveinitData.h"
#include "SpMacHeapObject.h"

struct sSpFileSysInfo;

// Names and Finder information of the files.
extern const char kSpStartDataFolderName[];      // "Zanthe Folder"
extern const char kSpCDStartDataFileName[];      // "CDDA-Data"
extern const char kSpQTFileStartDataFileName[];  // "QTFILE-Data"
enum : OSType {
  kSpStartDataCreator = 0x5A716372,   // 'Zqcr'
  kSpStartDataFileType = 0x70726566,  // 'pref'
};
// The most records a list keeps.
enum : UInt32 { kSpStartDataListLimit = 49 };
// The longest line of "CDDA-Data" read, with its terminator.
enum : SInt32 { kSpCDStartDataLineSize = 512 };

// Codes of the failure records written while loading and saving.
enum : SInt32 {
  kSpStartDataReadError = 1,      // a read failed or the file ended inside a record
  kSpStartDataBadNameLength = 2,  // "QTFILE-Data": a name length above 510 or negative
  kSpStartDataDuplicate = 3,      // "QTFILE-Data": a record equal to one read before
  kSpStartDataBadLine = 4,        // "CDDA-Data": lines that were no CD record were skipped
  kSpStartDataSaveFailed = 5,     // a file could not be written; the list stays marked changed
  kSpStartDataBadRecord = 6,      // "QTFILE-Data": too many records, a field out of its range,
                                  // or bytes after the last record
};

class cSpCDRSaveInitDataMgr : public cSpMacHeapObject {
 public:
  cSpCDRSaveInitDataMgr() = default;
  // The records stay valid (see above); the lists are emptied.
  ~cSpCDRSaveInitDataMgr();
  cSpCDRSaveInitDataMgr(const cSpCDRSaveInitDataMgr&) = delete;
  cSpCDRSaveInitDataMgr& operator=(const cSpCDRSaveInitDataMgr&) = delete;

  // Writes "CDDA-Data" when the CD list changed, then "QTFILE-Data" when the sound-file list
  // changed. 1 when nothing failed.
  Boolean SaveModifyData();

  // ---- CDs ----
  // Writes "CDDA-Data" from the CD list and clears the CD modified flag; 0 when the file
  // could not be written (the flag stays set, so the next save tries again).
  Boolean SaveCDInitialData();
  // Empties the CD list and reads "CDDA-Data" into it. A missing file gives an empty list,
  // unless a save killed before its new file took the name left that file whole beside it:
  // then it is read and takes the name (so for "QTFILE-Data").
  // Lines with a count of 0 are skipped. A file that is damaged (cut inside a line, more than
  // 49 records, or a line that is no CD record: an empty first field, missing, extra or
  // non-numeric fields, more minutes than 2^31 sectors make, seconds above 59, frames above
  // 74, a level above 100 other than 255, a CD already read) gives an empty list: it is kept
  // beside as "CDDA-Data (damaged)" with one failure record (code 4).
  void LoadCDInitialData();
  // The record of a CD: trackCount and endPosition, the disc's lead-out position, are the key.
  // Found: moved to the end of the list, *created = 0. Not found: null when create is 0, else
  // a new record at the end (level 255), *created = 1, the least recently used records
  // dropped beyond 49, and the list marked changed; null when memory is short. created is
  // optional.
  cCDSaveInitialData* GetCDInitialData(UInt32 trackCount, const cDiscPosition& endPosition,
                                       unsigned char create, unsigned char* created);
  // Empties the CD list (the records stay valid).
  void DisposeCDInitialData();

  // ---- Sound files ----
  // Writes "QTFILE-Data" from the sound-file list (records whose name is longer than 510
  // bytes cannot be stored and are left out) and clears the flag; 0 on failure.
  Boolean SaveFileInitialData();
  // Empties the sound-file list and reads "QTFILE-Data" into it. A missing or empty file
  // gives an empty list without a word. A damaged file gives an empty list too: it is kept
  // beside as "QTFILE-Data (damaged)" with one failure record, whose code says what was
  // wrong: a read error or a file ending inside a record (1), a name length above 510 (2), a
  // record equal to one read before (3), or more than 49 records, a field out of its range
  // (a buffer word other than 0, a negative channel count, sample size, duration or time
  // scale, a level above 100) or bytes after the last record (6).
  void LoadFileInitialData();
  // The record of a sound file, as GetCDInitialData; a failed allocation also writes a
  // failure record. A null name finds nothing and makes nothing (a failure record when
  // create is set).
  cQTFileSaveInitialData* GetQTFileInitialData(const char* name, UInt32 fileSize,
                                               const SoundComponentData& format, SInt32 duration,
                                               SInt32 timeScale, unsigned char create,
                                               unsigned char* created);
  // Empties the sound-file list (the records stay valid).
  void DisposeFileInitialData();

  void SetupCDInitDataModifyFlag() { cdModified_ = 1; }
  void SetupFileInitDataModifyFlag() { fileModified_ = 1; }

  // The lists as they stand, least recently used first.
  cCDSaveInitialData* GetCDInitialDataList() const { return cdHead_; }
  UInt32 GetCDInitialDataCount() const { return cdCount_; }
  cQTFileSaveInitialData* GetFileInitialDataList() const { return fileHead_; }
  UInt32 GetFileInitialDataCount() const { return fileCount_; }
  unsigned char IsCDInitDataModified() const { return cdModified_; }
  unsigned char IsFileInitDataModified() const { return fileModified_; }

 private:
  cCDSaveInitialData* FindCDRecord(UInt32 trackCount, const cDiscPosition& endPosition) const;
  void MoveCDRecordToTail(cCDSaveInitialData* record, const char* method);
  void MoveFileRecordToTail(cQTFileSaveInitialData* record, const char* method);
  void AppendCDRecord(cCDSaveInitialData* record);
  void AppendFileRecord(cQTFileSaveInitialData* record);
  // Takes the least recently used record out of its list: set aside (keep) or deleted.
  void ReleaseCDHead(unsigned char keep);
  void ReleaseFileHead(unsigned char keep);
  // Reads the lines of an open "CDDA-Data", counting those that are no CD record; true when
  // the whole file was read and ended with its last line's carriage return.
  bool LoadCDLines(sSpFileSysInfo* file, SInt32& badLines);
  bool ReadCDFile(short vRefNum, SInt32 dirID, const char* name, SInt32& badLines);
  // Reads the records of an open "QTFILE-Data": 0, or the failure code (not yet reported).
  SInt32 LoadFileRecords(sSpFileSysInfo* file);
  // The same for a file of the folder; -1 when it does not open.
  SInt32 ReadFileRecords(short vRefNum, SInt32 dirID, const char* name);

  unsigned char cdModified_ = 0;
  cCDSaveInitialData* cdHead_ = nullptr;
  cCDSaveInitialData* cdTail_ = nullptr;
  UInt32 cdCount_ = 0;
  unsigned char fileModified_ = 0;
  cQTFileSaveInitialData* fileHead_ = nullptr;
  cQTFileSaveInitialData* fileTail_ = nullptr;
  UInt32 fileCount_ = 0;
};

// ---- Free functions -------------------------------------------------------------------------

// The manager. When there is none and create is set, makes it and loads "QTFILE-Data" and
// "CDDA-Data"; null when there is none (or it cannot be allocated: a failure record).
cSpCDRSaveInitDataMgr* SpGetCDQTFileInitMaganer(unsigned char create);
// The record of a CD (cSpCDRSaveInitDataMgr::GetCDInitialData; the manager is made when
// needed). endPosition is the disc's lead-out position, which tells apart discs with the same
// number of tracks; a media scan takes it from the table of contents
// (Sp_SectorToCDPosition(lead-out block)).
cCDSaveInitialData* SpGetCDInitData(UInt32 trackCount, const cDiscPosition& endPosition,
                                    unsigned char create, unsigned char* created);
// The record of a sound file (cSpCDRSaveInitDataMgr::GetQTFileInitialData; the manager is
// made when needed).
cQTFileSaveInitialData* SpGetQTFileInitData(const char* name, UInt32 fileSize,
                                            const SoundComponentData& format, SInt32 duration,
                                            SInt32 timeScale, unsigned char create,
                                            unsigned char* created);
// Saves what changed, when the manager exists.
void SpSaveCDQTFileInitialData();
// Deletes the manager and forgets it; its records stay valid.
void SpDisposeCDQTFileInitManager();
// Deletes the records that disposed managers left, which otherwise stay until the program
// ends. Only for when nothing can hold one any more: a tool or test that loads the start data
// again and again would otherwise keep every record it ever loaded.
void SpDeleteRecordsOfDisposedManagers();
// Mark the CD or the sound-file list as changed, when the manager exists.
void SetupCDInitDataModifyFlag();
void SetupFileInitDataModifyFlag();

// Finds the file `fileName` in the folder `folderName` of the system folder of that type on
// the system disk, and gives the folder's place. Missing folders and the file are made (the
// file with the creator and file type) only when create is set. 1 when the file exists
// afterwards; 0 otherwise, and with a failure record for a null name.
Boolean SpCDR_CreateCDInitialDataFile(UInt32 folderType, const char* folderName,
                                      const char* fileName, UInt32 creator, UInt32 fileType,
                                      unsigned char create, short& vRefNum, SInt32& dirID);
