// Start data of one sound file (SpCDRFileSaveinitData.h).
#include "SpCDRFileSaveinitData.h"

#include <cstring>

#include "SpCDRSaveIniDataMgrObj.h"

cQTFileSaveInitialData::cQTFileSaveInitialData(const char* name, UInt32 fileSize,
                                               const SoundComponentData& format, SInt32 duration,
                                               SInt32 timeScale)
    : fileSize_(fileSize), format_(format), duration_(duration), timeScale_(timeScale) {
  ++alive_;
  format_.buffer = nullptr;
  fileName_[0] = 0;
  if (name == nullptr) return;
  const std::size_t length = strnlen(name, sizeof fileName_ - 1);
  std::memcpy(fileName_, name, length);
  fileName_[length] = 0;
}

void cQTFileSaveInitialData::SetupVolumeLevel(UInt32 level) {
  volumeLevel_ = level;
  ::SetupFileInitDataModifyFlag();
}

void cQTFileSaveInitialData::GetFileAttributeData(char* name, UInt32* fileSize,
                                                  SoundComponentData* format, SInt32* duration,
                                                  SInt32* timeScale) const {
  if (name != nullptr) std::memcpy(name, fileName_, std::strlen(fileName_) + 1);
  if (fileSize != nullptr) *fileSize = fileSize_;
  if (format != nullptr) *format = format_;
  if (duration != nullptr) *duration = duration_;
  if (timeScale != nullptr) *timeScale = timeScale_;
}

Boolean cQTFileSaveInitialData::EqualFileAttribute(const char* name, UInt32 fileSize,
                                                   const SoundComponentData& format,
                                                   SInt32 duration, SInt32 timeScale) const {
  if (name == nullptr) return 0;
  // The whole name must be equal: a longer name that begins with this one is another file.
  const std::size_t length = std::strlen(fileName_);
  if (std::strncmp(name, fileName_, length + 1) != 0) return 0;
  return fileSize == fileSize_ && format.format == format_.format &&
         format.numChannels == format_.numChannels && format.sampleSize == format_.sampleSize &&
         format.sampleRate == format_.sampleRate && duration == duration_ &&
         timeScale == timeScale_;
}

cQTFileSaveInitialData* cQTFileSaveInitialData::SerchEqualFileAttributeObjectLinkNext(
    const char* name, UInt32 fileSize, const SoundComponentData& format, SInt32 duration,
    SInt32 timeScale) {
  for (cQTFileSaveInitialData* r = this; r != nullptr; r = r->GetNextObjectPtr()) {
    if (r->EqualFileAttribute(name, fileSize, format, duration, timeScale)) return r;
  }
  return nullptr;
}
