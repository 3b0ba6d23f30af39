// The table of contents of an audio CD and the track files of its volume.
//
// A mounted audio CD is a volume whose tracks are AIFF files ("1 Title.aiff", ...) beside the
// property list ".TOC.plist" in its top folder. For every new disc the media manager reads the
// table of contents (SpCDR_GetTOCData, which ends by computing the track lengths), lists the
// track files (Sp_GetMusicTrackData) and copies the positions into them (SetupTrackInfo).
//
// Failures sound the beep and log one record (source "SpCDTOCInfoObject", the method, a code
// and a fixed message).
#pragma once

#include <map>

#include "Files.h"
#include "MacTypes.h"
#include "SpCDDiscPosition.h"
#include "SpListLinks.h"

// The name of the table of contents in a disc's top folder.
extern const char kSpCDTOCFileName[];  // ".TOC.plist"

class cMediaTOCInfo;

// One audio track of the table of contents, in the list its cMediaTOCInfo owns (kept in
// order of point by cMediaTOCInfo::SetupNewTrackItemPtr).
class cMediaTOCTrackInfo : public cSpListLinks<cMediaTOCTrackInfo> {
 public:
  cMediaTOCTrackInfo() { StartUpInitialize(); }
  cMediaTOCTrackInfo(SInt16 point, SInt32 startBlock) {
    StartUpInitialize();
    point_ = point;
    startBlock_ = startBlock;
  }
  cMediaTOCTrackInfo(const cMediaTOCTrackInfo&) = delete;
  cMediaTOCTrackInfo& operator=(const cMediaTOCTrackInfo&) = delete;
  ~cMediaTOCTrackInfo() {}

  // Every field 0 (the links are left to the list).
  void StartUpInitialize();

  SInt16 GetPoint() const { return point_; }
  SInt32 GetStartBlock() const { return startBlock_; }
  SInt32 GetLengthOfBlock() const { return lengthOfBlock_; }
  void SetupLengthOfBlock(SInt32 length) { lengthOfBlock_ = length; }

 private:
  friend class cMediaTOCInfo;

  cMediaTOCInfo* owner_ = nullptr;  // the record whose list holds the entry
  SInt16 point_;          // the track's "Point": its track number
  SInt32 startBlock_;     // its "Start Block", a sector address
  SInt32 lengthOfBlock_;  // set by cMediaTOCInfo::SetupTrackBlockInfo
};

// The parsed table of contents of one disc. It owns its track entries.
class cMediaTOCInfo {
 public:
  cMediaTOCInfo() { StartUpInitialize(); }
  cMediaTOCInfo(const cMediaTOCInfo&) = delete;
  cMediaTOCInfo& operator=(const cMediaTOCInfo&) = delete;
  ~cMediaTOCInfo() { WipeOutTrackItemList(); }

  // Every field 0 (the entries are not freed: use WipeOutTrackItemList).
  void StartUpInitialize();

  // Inserts the entry (the record takes it over) after the last entry whose point is at most
  // its own, so equal points keep their order of arrival. An entry already in the list stays
  // where it is.
  void SetupNewTrackItemPtr(cMediaTOCTrackInfo* entry);
  // Each entry's length: the next entry's start less its own, the last one's the lead-out
  // less its own. A start that does not lie before the next one gives length 0 and is logged.
  void SetupTrackBlockInfo();
  // Gives each track-file record the start, end and length of the entry whose point is its
  // track number; records without an entry keep what they hold.
  void SetupTrackInfo(sTrackDataForOSX* list);
  // Frees every entry; the list becomes empty.
  void WipeOutTrackItemList();
  // Entries looked at while placing entries since the record was made.
  UInt32 GetPlacementSteps() const { return placementSteps_; }

  cMediaTOCTrackInfo* GetFirstTrackItemPtr() const { return head_; }
  cMediaTOCTrackInfo* GetLastTrackItemPtr() const { return tail_; }
  // The entry whose point is `point`, null when none.
  cMediaTOCTrackInfo* GetTrackItemPtrByPoint(SInt32 point) const;

  SInt32 GetSessionNumber() const { return sessionNumber_; }
  SInt32 GetFirstTrack() const { return firstTrack_; }
  SInt32 GetLastTrack() const { return lastTrack_; }
  SInt32 GetNumOfAudioTrack() const { return audioTrackCount_; }
  SInt32 GetTrackSessionNumber() const { return trackSessionNumber_; }
  SInt32 GetLeadoutBlock() const { return leadoutBlock_; }
  // 1 when the last track entry read is an audio track, 0 when it is a data track.
  UInt8 GetLastEntryIsAudio() const { return lastEntryIsAudio_; }
  // 1 for "Session Type" 0x00, 2 for 0x10, 3 for 0x20.
  UInt8 GetSessionType() const { return sessionType_; }

 private:
  friend Boolean SpCDR_GetTOCData(const FSRef* tocFile, cMediaTOCInfo* toc);

  cMediaTOCTrackInfo* head_;
  cMediaTOCTrackInfo* tail_;
  // The last entry of each point in the list, so that an entry is placed without a walk.
  std::map<SInt16, cMediaTOCTrackInfo*> lastOfPoint_;
  UInt32 placementSteps_ = 0;
  SInt32 sessionNumber_;
  SInt32 firstTrack_;
  SInt32 audioTrackCount_;
  SInt32 lastTrack_;
  SInt32 trackSessionNumber_;
  SInt32 leadoutBlock_;
  UInt8 lastEntryIsAudio_;
  UInt8 sessionType_;
};

// Reads the ".TOC.plist" file into toc: the sessions in order, until one has brought audio
// tracks; data tracks are skipped. Then computes the track lengths. 1 when the file was read
// and parsed as a table of contents (even one without audio tracks); 0 when it cannot be
// read, does not parse or is not a dictionary, or when toc is null.
Boolean SpCDR_GetTOCData(const FSRef* tocFile, cMediaTOCInfo* toc);

// Lists the track files in the top folder of the audio-CD volume: files whose extension is
// "aiff" (in any case) and whose name begins with a track number 1..99 followed by a space.
// list receives them in ascending track number (null when there are none); *count (when
// given) their number. The listing's error is returned as it is; memFullErr when a record
// cannot be made (list then null).
OSErr Sp_GetMusicTrackData(short vRefNum, sTrackDataForOSX*& list, UInt32* count);
