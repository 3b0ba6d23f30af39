// The saved list of added sound files, as bytes: "FileMediaInfoV2.data" (version 200) and the
// older "FileMediaInfo.data" (version 1).
//
// Version 200, all integers big-endian, lengths without a terminator:
//   version (4, 200) | count (4, at most 9,999) | per record: volume (2) | directory id (4) |
//   classic-name length (4, at most 31) and bytes | long-name length (4, at most 255) and
//   bytes | file id (4) | full-path length (4, at most 2,046) and bytes | the sound-file
//   record (1,644 bytes, SpCDR_WriteMusicFileInfoBytes).
// Version 1: count (4, at most 9,000) | per record: full-path length (4, at most 2,046) and
//   bytes | file id (4).
//
// The list comes from disk and is read as untrusted: every length is checked against its
// limit before anything is read, so one record never needs more than about 4 KB, and the
// count is checked before the first record. Reading stops at the first bad field with its
// step code; the records delivered before it stand.
#pragma once

#include <functional>
#include <string>

#include "MacTypes.h"
#include "SpCDR_FileMediaObject.h"

enum : SInt32 {
  kCDR_MediaListVersion = 200,
  // The most files the list holds. The writer and the program's adding keep to it, so that
  // every list written can be read back.
  kCDR_MediaListMaxCount = 9999,
  kCDR_MediaListV1MaxCount = 9000,
  kCDR_MediaListMaxClassicName = 31,
  kCDR_MediaListMaxLongName = 255,
  kCDR_MediaListMaxPath = 2046,
  // The detail number of a failure for a length or count above its limit.
  kCDR_MediaListLimitDetail = 5555,
};

// One record of either version (version 1 has only the path and the file id).
struct sCDR_MediaListRecord {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  std::string classicName;
  std::string longName;
  SInt32 fileID = 0;
  std::string fullPath;
  UInt8 musicInfo[kSpMusicFileInfoSize] = {};
  // Version 1: the file-name part of the path (after its last ':').
  std::string FileNamePart() const;
};

// Reads exactly n bytes: noErr, or the reason they could not all be read (eofErr for a short
// file).
typedef std::function<OSErr(void* out, SInt32 n)> tCDR_MediaListReadProc;
// Takes one record (index from 1, of count); false stops the reading without a failure.
typedef std::function<bool(const sCDR_MediaListRecord& record, SInt32 index, SInt32 count)>
    tCDR_MediaListRecordProc;
// Writes n bytes: noErr or the write's failure.
typedef std::function<OSErr(const void* bytes, SInt32 n)> tCDR_MediaListWriteProc;

// How a reading ended: step 0 when it read to the end; else the step code of the field that
// failed, its detail (the read's result, or kCDR_MediaListLimitDetail for a limit), whether it
// was the count that was refused, and how many records were delivered.
struct sCDR_MediaListReadResult {
  short step = 0;
  SInt32 detail = 0;
  bool countRefused = false;
  SInt32 delivered = 0;
  SInt32 count = 0;
};

// The records behind the version word of a version-200 list (steps 3 count, 5 count too
// large, 6 volume, 11 directory, 13 classic-name length, 15 classic name too long or not read,
// 17 long-name length, 21 long name too long, 24 long name, 26 file id, 29 path too long, 31
// path length or path, 35 sound-file record).
sCDR_MediaListReadResult CDRMM_ReadMediaListRecordsV200(const tCDR_MediaListReadProc& read,
                                                        const tCDR_MediaListRecordProc& take);
// The records of a version-1 list (steps 3 count, 5 count too large, 6 path length, 10 path
// too long, 11 path, 15 file id, 20 file name above 255 bytes).
sCDR_MediaListReadResult CDRMM_ReadMediaListRecordsV1(const tCDR_MediaListReadProc& read,
                                                      const tCDR_MediaListRecordProc& take);

// Writes one version-200 record field by field: 0, or the step code of the field whose write
// failed (6 volume, 7 directory, 8 classic-name length, 11 classic name, 13 long-name length,
// 15 long name, 16 file id, 21 path length, 24 path, 31 sound-file record). Names and path are
// cut to their limits (on a character boundary) so that the reader takes them back.
short CDRMM_WriteMediaListRecordV200(const tCDR_MediaListWriteProc& write,
                                     const sCDR_MediaListRecord& record);

// A read procedure over bytes in memory.
tCDR_MediaListReadProc CDRMM_MediaListBytesReader(const UInt8* bytes, std::size_t size);
