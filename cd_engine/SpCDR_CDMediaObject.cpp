// CD media: one mounted audio CD.
#include "SpCDR_CDMediaObject.h"

#include <cstring>

#include "Files.h"
#include "SpCDDBMgrObject.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpCDR_FileMediaObject.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpCDR_CDMediaObject.cpp";

}  // namespace

void cSp_CDRomMediaDataObj::StartUpInitialize() {
  referenceNo_ = 0;
  mediaIcon_ = nullptr;
  volumeName_[0] = 0;
  vRefNum_ = 0;
  scanMark_ = 1;
  existFlag_ = 1;
  newCDFlag_ = 0;
  trackList_ = nullptr;
  trackCount_ = 0;
  endPosition_.StartUpInitialize();
  positions_[0].StartUpInitialize();
  positions_[1].StartUpInitialize();
  creationDate_ = 0;
  modificationDate_ = 0;
  rootFileCount_ = 0;
  fileCount_ = 0;
  folderCount_ = 0;
  cddbItem_ = nullptr;
  startData_ = nullptr;
  for (cSp_CountUpProcDataObj*& list : countupProcs_) list = nullptr;
}

cSp_CDRomMediaDataObj::~cSp_CDRomMediaDataObj() {
  DeleteTrackList();
  for (cSp_CountUpProcDataObj*& list : countupProcs_) {
    SpDeleteList(list);
    list = nullptr;
  }
}

sTrackDataForOSX* cSp_CDRomMediaDataObj::GetTrackDataObject(UInt32 trackNo) {
  for (sTrackDataForOSX* track = trackList_; track != nullptr; track = track->next) {
    if (track->trackNo == trackNo) return track;
  }
  return nullptr;
}

Boolean cSp_CDRomMediaDataObj::GetVolumeName(char* buffer) {
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "cSp_CDRomMediaDataObj::GetVolumeName", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  if (volumeName_[0] == 0) return false;
  std::strcpy(buffer, volumeName_);
  return true;
}

UInt32 cSp_CDRomMediaDataObj::GetAmpVolume() {
  if (startData_ == nullptr) {
    return SpReportFailure(kSource, "cSp_CDRomMediaDataObj::GetAmpVolume", 1, kSpMsgNoComment,
                           UInt32(100));
  }
  UInt32 level = 0;
  startData_->GetCDData(nullptr, nullptr, &level);
  return level;
}

Boolean cSp_CDRomMediaDataObj::GetCDTitle(char* buffer, SInt32 size, unsigned char* truncated) {
  if (buffer == nullptr) {
    if (truncated != nullptr) *truncated = 1;
    return SpReportFailure(kSource, "cSp_CDRomMediaDataObj::GetCDTitle", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  if (truncated != nullptr) *truncated = 0;
  if (cddbItem_ == nullptr) return false;
  return cddbItem_->GetCDTitle(buffer, size, truncated) && buffer[0] != 0;
}

Boolean cSp_CDRomMediaDataObj::GetCDTrackTitle(short trackNo, char* buffer, SInt32 size,
                                               unsigned char* truncated) {
  if (buffer == nullptr || size < 1) {
    if (truncated != nullptr) *truncated = 1;
    return SpReportFailure(kSource, "cSp_CDRomMediaDataObj::GetCDTrackTitle", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  unsigned char cut = 0;
  Boolean found = false;
  if (trackNo == 0) {
    // The disc itself: its volume's name.
    std::size_t length = std::strlen(volumeName_);
    if (length > std::size_t(size - 1)) {
      length = std::size_t(size - 1);
      cut = 1;
    }
    std::memcpy(buffer, volumeName_, length);
    buffer[length] = 0;
  } else if (cddbItem_ != nullptr) {
    found = cddbItem_->GetCDTrackTitle(trackNo, buffer, size, &cut) && buffer[0] != 0;
  } else if (trackNo > 0 && size > 2) {
    // The title of the track file of that number (a disc may lack a track file, so the
    // records are found by number, not by their place in the list).
    const sTrackDataForOSX* track = GetTrackDataObject(UInt32(trackNo));
    if (track != nullptr && track->title[0] != 0) {
      std::size_t length = std::strlen(track->title);
      if (length > std::size_t(size - 2)) {
        length = std::size_t(size - 2);
        cut = 1;
      }
      std::memcpy(buffer, track->title, length);
      buffer[length] = 0;
      found = true;
    }
  }
  if (truncated != nullptr) *truncated = cut;
  return found;
}

OSErr cSp_CDRomMediaDataObj::EjectCDDisk() {
  ParamBlockRec pb{};
  pb.volumeParam.ioVRefNum = vRefNum_;
  PBFlushVolSync(&pb);
  std::memset(&pb, 0, sizeof pb);
  pb.volumeParam.ioVRefNum = vRefNum_;
  return PBUnmountVol(&pb);
}

void cSp_CDRomMediaDataObj::DeleteTrackList() {
  Sp_DisposeMusicTrackDataList(trackList_);
  trackList_ = nullptr;
  trackCount_ = 0;
}

SInt32 cSp_CDRomMediaDataObj::SetupCountupProc(tCountupProcType type, SpCDR_CountupProcPtr proc,
                                               unsigned long refCon) {
  if (type < kSpCountupProcType1 || type > kSpCountupProcType4) return 0;
  cSp_CountUpProcDataObj* entry = new (std::nothrow) cSp_CountUpProcDataObj(proc, refCon);
  if (entry == nullptr) {
    return SpReportFailure(kSource, "cSp_CDRomMediaDataObj::SetupCountupProc", 1, kSpMsgMemory,
                           SInt32(0));
  }
  cSp_CountUpProcDataObj*& list = countupProcs_[type - 1];
  entry->LinkToNext(list);
  list = entry;
  return 0;
}

cSp_CDRomMediaDataObj* cSp_CDRomMediaDataObj::SerchTargetOrigRefItemOnLink(SInt32 referenceNo) {
  for (cSp_CDRomMediaDataObj* cd = this; cd != nullptr; cd = cd->GetNextObjectPtr()) {
    if (SInt32(cd->referenceNo_) == referenceNo) return cd;
  }
  return nullptr;
}

void cSp_CDRomMediaDataObj::SetupVolumeName(const char* name) {
  SpCDR_CopyText(volumeName_, sizeof volumeName_, name);
}

void cSp_CDRomMediaDataObj::SetupVolumeInfo(short vRefNum, UInt32 creationDate,
                                            UInt32 modificationDate, UInt16 rootFileCount,
                                            UInt32 fileCount, UInt32 folderCount) {
  vRefNum_ = vRefNum;
  creationDate_ = creationDate;
  modificationDate_ = modificationDate;
  rootFileCount_ = rootFileCount;
  fileCount_ = fileCount;
  folderCount_ = folderCount;
}

void cSp_CDRomMediaDataObj::SetupTrackList(sTrackDataForOSX* list, UInt32 count) {
  trackList_ = list;
  trackCount_ = count;
}

Boolean cSp_CDRomMediaDataObj::HasVolumeInfo(short vRefNum, UInt32 creationDate,
                                             UInt32 modificationDate, UInt16 rootFileCount,
                                             UInt32 fileCount, UInt32 folderCount) const {
  return vRefNum_ == vRefNum && creationDate_ == creationDate &&
         modificationDate_ == modificationDate && rootFileCount_ == rootFileCount &&
         fileCount_ == fileCount && folderCount_ == folderCount;
}
