// The CD title database: disc and track titles of audio CDs.
//
// Titles come from "CD Remote Programs" in the user's Preferences folder, a classic resource
// file that the program reads and never writes:
//   'IndX' 128  the index of discs: 2 bytes not used, a signed 16-bit count N, then N entries
//               of 6 bytes: number of tracks (signed 8-bit), total time as BCD minutes,
//               seconds and frames (one byte each), and the number of the disc's 'STR#'
//               (signed 16-bit);
//   'STR#' n    string 1 the disc title, strings 2 ... T + 1 the titles of tracks 1 ... T.
// The whole file is read once, on the first look-up, into one manager that lives until the
// program ends. A missing or unreadable file, or one without an index, gives an empty
// database without a word: every look-up answers null. The file comes from outside the
// program: an index whose count promises more entries than it holds is refused whole, an
// entry whose time is no BCD time is skipped, and a string list that ends early gives empty
// strings from where it ends; nothing is ever read past a resource's end.
//
// Only the title file's own resources count: a disc whose 'STR#' the file lacks has an empty
// title and no track titles, even when another open resource file has a list of that number.
#pragma once

#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "SpCDDiscPosition.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// The title file and its index.
extern const char kSpCDDBFileName[];               // "CD Remote Programs"
enum : ResType { kSpCDDBIndexType = 0x496E6458 };  // 'IndX'
enum : SInt16 { kSpCDDBIndexID = 128 };

enum : SInt32 { kSpCDDBTitleSize = 512 };  // a disc title with its terminator
// What one title file may make: a disc has at most 99 tracks, and a file at most this many
// track titles in all (a damaged index can point every entry at one long list); entries past
// the limit keep their disc titles only, and the cut is logged once.
enum : SInt32 { kSpCDDBMostTracks = 99, kSpCDDBMostTrackTitles = 32767 };

// ---- cSp_CDDBTrack: one track title -----------------------------------------------------------

class cSp_CDDBTrack : public cSpListLinks<cSp_CDDBTrack>, public cSpMacHeapObject {
 public:
  // The title is copied into a string object, made only when the title is not empty (null
  // or empty: no title).
  explicit cSp_CDDBTrack(const char* title);
  ~cSp_CDDBTrack();
  cSp_CDDBTrack(const cSp_CDDBTrack&) = delete;
  cSp_CDDBTrack& operator=(const cSp_CDDBTrack&) = delete;

  // The title into buffer with the string object's bounded copy (at most size - 2 bytes);
  // truncated (optional) tells whether it had to cut. 0 for no title or an empty one, and
  // when the buffer cannot take any text (null, or size below 3); else 1.
  Boolean GetCDTrackTitle(char* buffer, SInt32 size, unsigned char* truncated);

  // Reference number = the previous track's + 1, or 1 without a previous track; with
  // followingToo, the same for every later track.
  void SetupReferenceNo(unsigned char followingToo);
  UInt32 GetReferenceNo() const { return referenceNo_; }

 private:
  UInt32 referenceNo_ = 0;
  sSO_StringObjectBase* title_ = nullptr;
};

// ---- cSp_CDDBItem: one disc -----------------------------------------------------------------

class cSp_CDDBItem : public cSpListLinks<cSp_CDDBItem>, public cSpMacHeapObject {
 public:
  // The title is copied (at most 511 bytes); null gives an empty title.
  explicit cSp_CDDBItem(const char* title);
  // Deletes the item's tracks.
  ~cSp_CDDBItem();
  cSp_CDDBItem(const cSp_CDDBItem&) = delete;
  cSp_CDDBItem& operator=(const cSp_CDDBItem&) = delete;

  // The first item from this one on (along the list) whose total time has the same minutes,
  // seconds, frames and negative flag as totalTime; null when none has.
  cSp_CDDBItem* GetTragetCDData(const cDiscPosition& totalTime);

  // The look-up key: the disc's total running time (see SpCDDB_GetDBItem).
  void SetupTotalTime(const cDiscPosition& totalTime) { totalTime_ = totalTime; }
  const cDiscPosition& GetTotalTime() const { return totalTime_; }
  // Appends the track after the last one and numbers it. Null does nothing.
  void SetupTrackItemOnLastPosit(cSp_CDDBTrack* track);
  void SetupTrackTitleResourceId(short resourceID) { trackTitleResourceID_ = resourceID; }

  // The disc title into buffer. 0 with an error record for a null buffer or a size below 1.
  // An empty title gives an empty buffer and 0. A title of size - 2 bytes or more gives its
  // first size - 2 bytes and truncated = 1; a shorter one the whole title and truncated = 0.
  // Result 1. truncated is optional.
  Boolean GetCDTitle(char* buffer, SInt32 size, unsigned char* truncated);
  // The title of track trackNo (from 1) into buffer, as cSp_CDDBTrack::GetCDTrackTitle. 0
  // with an error record for a null buffer; 0 when there is no such track or it has no title.
  Boolean GetCDTrackTitle(short trackNo, char* buffer, SInt32 size, unsigned char* truncated);

 private:
  char title_[kSpCDDBTitleSize];
  cDiscPosition totalTime_;
  short trackTitleResourceID_ = 0;
  cSp_CDDBTrack* trackHead_ = nullptr;
  cSp_CDDBTrack* trackTail_ = nullptr;
};

// ---- cSp_CDDBManager: the database ----------------------------------------------------------

class cSp_CDDBManager : public cSpMacHeapObject {
 public:
  cSp_CDDBManager() = default;
  // Deletes every item.
  ~cSp_CDDBManager();
  cSp_CDDBManager(const cSp_CDDBManager&) = delete;
  cSp_CDDBManager& operator=(const cSp_CDDBManager&) = delete;

  // Reads the title file into the list, after the items already there. The current resource
  // file is the same afterwards, and the title file is closed again.
  void LoadAppleCDDB();

  // The first item (in file order) whose total time equals totalTime; null when none does,
  // also for an empty database.
  cSp_CDDBItem* GetCDDBItemPtr(const cDiscPosition& totalTime);
  // The track titles made from the file.
  SInt32 CountTrackTitles() const { return trackTitleCount_; }

 private:
  void ReadIndex(const UInt8* index, std::size_t size);
  void AppendItem(cSp_CDDBItem* item);

  cSp_CDDBItem* head_ = nullptr;
  cSp_CDDBItem* tail_ = nullptr;
  SInt32 trackTitleCount_ = 0;
};

// ---- Free functions -------------------------------------------------------------------------

// The entry of a disc, or null; makes and loads the manager on first use.
//
// totalTime is the disc's total running time on the index's scale: the index stores the time
// of each disc's lead-out, and a disc is found by that time less one frame, the time of its
// last frame. A disc whose lead-out lies at 45:00:00 is found with 44:59:74, and not with
// 45:00:00. A media scan derives the key from the table of contents: the lead-out position
// less one frame (Sp_SubSectorToCDPosition(&leadOut, 1, &totalTime)). The number of tracks is
// no part of the key.
cSp_CDDBItem* SpCDDB_GetDBItem(const cDiscPosition& totalTime);
// The manager, made and loaded when absent whatever `create` says; null with an error record
// when it cannot be allocated.
cSp_CDDBManager* Sp_GetCDDBManager(unsigned char create);
// Deletes the manager with its items and forgets it: the next look-up reads the file again.
void SpDisposeCDDBManager();
