// Start data of one audio CD: the volume level the user last chose for it.
//
// A CD is known by its number of tracks and the position of its lead-out (the end of its last
// track): discs with the same track count are told apart by their lengths. The records live in
// the start-data manager's CD list (SpCDRSaveIniDataMgrObj.h), which owns them; media objects
// keep pointers to them for as long as the program runs.
#pragma once

#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "SpCDDiscPosition.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSpCDRSaveInitDataMgr;

// The level of a record that nobody has set yet.
enum : UInt32 { kSpCDInitDataDefaultLevel = 255 };

class cCDSaveInitialData : public cSpListLinks<cCDSaveInitialData>, public cSpMacHeapObject {
 public:
  // endPosition: the lead-out position of the disc.
  cCDSaveInitialData(UInt32 trackCount, const cDiscPosition& endPosition)
      : endPosition_(endPosition), trackCount_(trackCount) {
    ++alive_;
  }
  ~cCDSaveInitialData() { --alive_; }
  cCDSaveInitialData(const cCDSaveInitialData&) = delete;
  cCDSaveInitialData& operator=(const cCDSaveInitialData&) = delete;

  // Stores the level and marks the CD list as changed, so the next save writes it.
  void SetupVolumeLevel(UInt32 level);
  void SetupNumOfTrack(UInt32 trackCount) { trackCount_ = trackCount; }
  // The negative flag of the position is left as it is.
  void SetupEndPosition(UInt32 minutes, UInt32 seconds, UInt32 frames);
  // Null does nothing.
  void SetupEndPosition(const cDiscPosition* endPosition);
  // Each output is optional.
  void GetCDData(UInt32* trackCount, cDiscPosition* endPosition, UInt32* volumeLevel) const;
  // The records that exist.
  static UInt32 CountAlive() { return alive_; }

 private:
  friend class cSpCDRSaveInitDataMgr;  // moves records inside its list

  static inline UInt32 alive_ = 0;
  cDiscPosition endPosition_;
  UInt32 trackCount_;
  UInt32 volumeLevel_ = kSpCDInitDataDefaultLevel;
};
