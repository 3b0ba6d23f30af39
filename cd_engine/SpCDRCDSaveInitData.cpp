// Start data of one audio CD (SpCDRCDSaveInitData.h).
#include "SpCDRCDSaveInitData.h"

#include "SpCDRSaveIniDataMgrObj.h"

void cCDSaveInitialData::SetupVolumeLevel(UInt32 level) {
  volumeLevel_ = level;
  ::SetupCDInitDataModifyFlag();
}

void cCDSaveInitialData::SetupEndPosition(UInt32 minutes, UInt32 seconds, UInt32 frames) {
  endPosition_.minutes = minutes;
  endPosition_.seconds = seconds;
  endPosition_.frames = frames;
}

void cCDSaveInitialData::SetupEndPosition(const cDiscPosition* endPosition) {
  if (endPosition != nullptr) endPosition_ = *endPosition;
}

void cCDSaveInitialData::GetCDData(UInt32* trackCount, cDiscPosition* endPosition,
                                   UInt32* volumeLevel) const {
  if (trackCount != nullptr) *trackCount = trackCount_;
  if (endPosition != nullptr) *endPosition = endPosition_;
  if (volumeLevel != nullptr) *volumeLevel = volumeLevel_;
}
