// The media manager: mounted audio CDs and used sound files.
#include "SpCDR_MediaMgrObject.h"

#include <cstring>

#include "Clock.h"
#include "Files.h"
#include "Gestalt.h"
#include "SpCDDBMgrObject.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpCDTOCInfoObject.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpCDR_MediaMgrObject.cpp";

constexpr UInt16 kAudioCDSignature = 0x4A48;  // 'JH'

cSpCDR_MediaMgrObj* gMediaManager = nullptr;

// The start-up wait of the scan: set when the program starts (and when a manager is
// disposed, so that the next one starts alike).
struct ScanWait {
  bool startingUp = true;
  bool over = false;
  UInt32 endTick = 0;
};
ScanWait gScanWait;

// 1 once the wait after the first call is over; the first call only starts it.
bool ScanWaitIsOver() {
  if (gScanWait.startingUp) {
    gScanWait.startingUp = false;
    gScanWait.endTick = TickCount() + kSpCDScanStartUpWaitTicks;
    return false;
  }
  if (!gScanWait.over) {
    if (TickCount() < gScanWait.endTick) return false;
    gScanWait.over = true;
  }
  return true;
}

// The disc's running time as the title database keys it: the lead-out less one frame.
cDiscPosition TitleKeyOf(const cDiscPosition& leadout) {
  cDiscPosition key;
  Sp_SubSectorToCDPosition(&leadout, 1, &key);
  return key;
}

}  // namespace

// ---- Lists ----------------------------------------------------------------------------------

cSpCDR_MediaMgrObj::~cSpCDR_MediaMgrObj() {
  for (cSp_CDRomMediaDataObj* cd = cdHead_; cd != nullptr; cd = cd->GetNextObjectPtr()) {
    cd->ClearCheckFlag();
    ExecBeforeEjectCBProc(cd, SInt32(cd->GetReferenceNo()));
  }
  SpDeleteList(cdHead_);
  SpDeleteList(fileHead_);
}

SInt32 cSpCDR_MediaMgrObj::CountCDDA() const {
  SInt32 count = 0;
  for (const cSp_CDRomMediaDataObj* cd = cdHead_; cd != nullptr; cd = cd->GetNextObjectPtr())
    ++count;
  return count;
}

cSp_CDRomMediaDataObj* cSpCDR_MediaMgrObj::GetCDObjectByCounter(SInt32 index) const {
  cSp_CDRomMediaDataObj* cd = index < 0 ? nullptr : cdHead_;
  for (SInt32 i = 0; cd != nullptr && i < index; ++i) cd = cd->GetNextObjectPtr();
  return cd;
}

SInt32 cSpCDR_MediaMgrObj::GetNumOfTrackInCDDA(SInt32 n) const {
  const cSp_CDRomMediaDataObj* cd = GetCDObjectByCounter(n - 1);
  return cd == nullptr ? 0 : SInt32(cd->GetNumOfTrack());
}

cSp_CDRomMediaDataObj* cSpCDR_MediaMgrObj::SerchCDROMItemForOSX(short vRefNum) const {
  for (cSp_CDRomMediaDataObj* cd = cdHead_; cd != nullptr; cd = cd->GetNextObjectPtr()) {
    if (cd->GetVolumeRefNum() == vRefNum) return cd;
  }
  return nullptr;
}

cSp_CDRomMediaDataObj* cSpCDR_MediaMgrObj::SerchCDROMItemByVolumeInfo(
    short vRefNum, UInt32 creationDate, UInt32 modificationDate, UInt16 rootFileCount,
    UInt32 fileCount, UInt32 folderCount) const {
  for (cSp_CDRomMediaDataObj* cd = cdHead_; cd != nullptr; cd = cd->GetNextObjectPtr()) {
    if (cd->HasVolumeInfo(vRefNum, creationDate, modificationDate, rootFileCount, fileCount,
                          folderCount)) {
      return cd;
    }
  }
  return nullptr;
}

cSp_CDRomMediaDataObj* cSpCDR_MediaMgrObj::SerchCDROMItemByOriginalRefNum(
    SInt32 referenceNo) const {
  return cdHead_ == nullptr ? nullptr : cdHead_->SerchTargetOrigRefItemOnLink(referenceNo);
}

void cSpCDR_MediaMgrObj::InitializeCheckFlagOfItems() {
  for (cSp_CDRomMediaDataObj* cd = cdHead_; cd != nullptr; cd = cd->GetNextObjectPtr())
    cd->ClearCheckFlag();
}

void cSpCDR_MediaMgrObj::AppendCD(cSp_CDRomMediaDataObj* cd) {
  cd->SetupReferenceNo(cdTail_ == nullptr ? 1 : cdTail_->GetReferenceNo() + 1);
  SpAppendToList(cdHead_, cdTail_, cd);
}

void cSpCDR_MediaMgrObj::RemoveCD(cSp_CDRomMediaDataObj* cd) {
  cSp_CDRomMediaDataObj* before = cd->GetBeforeObjectPtr();
  cSp_CDRomMediaDataObj* after = cd->GetNextObjectPtr();
  if ((before == nullptr) != (cdHead_ == cd) || (after == nullptr) != (cdTail_ == cd)) {
    SpReportFailure(kSource, "cSpCDR_MediaMgrObj::CheckCDRom", 2, kSpMsgLinkError);
  }
  cd->UnlinkFromList();
  if (cdHead_ == cd) cdHead_ = after;
  if (cdTail_ == cd) cdTail_ = before;
  delete cd;
}

// ---- The scan -------------------------------------------------------------------------------

void cSpCDR_MediaMgrObj::SetupDiscIdentity(cSp_CDRomMediaDataObj* cd, UInt32 trackCount,
                                           SInt32 leadoutBlock, unsigned char& startDataMade) {
  cDiscPosition leadout;
  Sp_SectorToCDPosition(leadoutBlock, &leadout);
  cd->SetupEndPosition(leadout);
  cd->SetupCDDBItem(SpCDDB_GetDBItem(TitleKeyOf(leadout)));
  unsigned char created = 0;
  cCDSaveInitialData* startData = SpGetCDInitData(trackCount, leadout, 1, &created);
  cd->SetupStartData(startData);
  if (created && startData != nullptr) {
    startData->SetupVolumeLevel(100);
    startDataMade = 1;
  }
}

cSpCDR_MediaMgrObj::ScanResult cSpCDR_MediaMgrObj::ScanAudioVolume(const VolumeValues& v,
                                                                   const HFSUniStr255& name,
                                                                   unsigned char& startDataMade) {
  // Its table of contents: a disc whose last entry is a data track is no audio CD.
  Str255 tocName;
  tocName[0] = UInt8(std::strlen(kSpCDTOCFileName));
  std::memcpy(tocName + 1, kSpCDTOCFileName, tocName[0]);
  FSRef tocRef;
  FSRefParam pb{};
  pb.ioVRefNum = v.vRefNum;
  pb.ioDirID = 0;
  pb.ioNamePtr = tocName;
  pb.newRef = &tocRef;
  if (PBMakeFSRefSync(&pb) != noErr) return ScanResult::kSkipped;
  cMediaTOCInfo toc;
  if (!SpCDR_GetTOCData(&tocRef, &toc) || toc.GetLastEntryIsAudio() != 1) {
    return ScanResult::kSkipped;
  }

  sTrackDataForOSX* list = nullptr;
  UInt32 count = 0;
  if (Sp_GetMusicTrackData(v.vRefNum, list, &count) != noErr || count < 1 || list == nullptr) {
    Sp_DisposeMusicTrackDataList(list);
    return ScanResult::kSkipped;
  }
  toc.SetupTrackInfo(list);
  char volumeName[kSpCDVolumeNameSize] = {};
  Sp_UnicodeNameToCString(name.unicode, name.length, volumeName, sizeof volumeName);

  cSp_CDRomMediaDataObj* cd = SerchCDROMItemForOSX(v.vRefNum);
  if (cd == nullptr) {
    cd = new (std::nothrow) cSp_CDRomMediaDataObj();
    if (cd == nullptr) {
      Sp_DisposeMusicTrackDataList(list);
      SpReportFailure(kSource, "cSpCDR_MediaMgrObj::CheckCDRom", 1, kSpMsgMemory);
      return ScanResult::kOutOfMemory;
    }
    cd->SetupVolumeName(volumeName);
    cd->SetupNewCDFlag();
    cd->SetupVolumeInfo(v.vRefNum, v.creationDate, v.modificationDate, v.rootFileCount, v.fileCount,
                        v.folderCount);
    cd->SetupTrackList(list, count);
    SetupDiscIdentity(cd, count, toc.GetLeadoutBlock(), startDataMade);
    AppendCD(cd);
    return ScanResult::kChanged;
  }
  // The same disc under new volume values: kept, and known by its new values from now on.
  cd->SetupVolumeName(volumeName);
  cd->SetupVolumeInfo(v.vRefNum, v.creationDate, v.modificationDate, v.rootFileCount, v.fileCount,
                      v.folderCount);
  if (cd->GetNumOfTrack() == count && Sp_CDTrackListCompForOSX(cd->GetTrackList(), list)) {
    Sp_DisposeMusicTrackDataList(list);
    cd->OnExistFlag();
    return ScanResult::kUnchanged;
  }
  // Other tracks under the same volume: another disc. Holders of the old track records let
  // go of them first (the CD's present flag is still clear here).
  ExecBeforeEjectCBProc(cd, SInt32(cd->GetReferenceNo()));
  cd->DeleteTrackList();
  cd->SetupTrackList(list, count);
  SetupDiscIdentity(cd, count, toc.GetLeadoutBlock(), startDataMade);
  cd->OnExistFlag();
  return ScanResult::kChanged;
}

Boolean cSpCDR_MediaMgrObj::CheckCDRom() {
  if (!ScanWaitIsOver()) return false;
  InitializeCheckFlagOfItems();
  SInt32 systemVersion = 0;
  if (Gestalt(SpFourCC("sysv"), &systemVersion) != noErr) systemVersion = 0;
  const bool signatureCounts = systemVersion >= 0x1000 && systemVersion <= 0x100F;

  bool changed = false;
  unsigned char startDataMade = 0;
  for (ItemCount index = 1; index <= 0x7FFF; ++index) {
    FSVolumeRefNum actual = 0;
    FSVolumeInfo info{};
    HFSUniStr255 name{};
    const OSErr err = FSGetVolumeInfo(kFSInvalidVolumeRefNum, index, &actual, kFSVolInfoFSInfo,
                                      &info, &name, nullptr);
    if (err == nsvErr) break;
    if (err != noErr) continue;
    if (info.filesystemID != kSpAudioCDFileSystemID &&
        !(signatureCounts && info.signature == kAudioCDSignature)) {
      continue;
    }
    HParamBlockRec pb{};
    pb.volumeParam.ioVolIndex = SInt16(index);
    if (PBHGetVInfoSync(&pb) != noErr || pb.volumeParam.ioVRefNum != actual) continue;
    const VolumeValues values{actual,
                              pb.volumeParam.ioVCrDate,
                              pb.volumeParam.ioVLsMod,
                              pb.volumeParam.ioVNmFls,
                              pb.volumeParam.ioVFilCnt,
                              pb.volumeParam.ioVDirCnt};
    cSp_CDRomMediaDataObj* known =
        SerchCDROMItemByVolumeInfo(values.vRefNum, values.creationDate, values.modificationDate,
                                   values.rootFileCount, values.fileCount, values.folderCount);
    if (known != nullptr) {
      known->OnExistFlag();
      continue;
    }
    const ScanResult result = ScanAudioVolume(values, name, startDataMade);
    if (result == ScanResult::kChanged) changed = true;
    if (result == ScanResult::kOutOfMemory) break;
  }

  // CDs whose volumes were not found are gone.
  for (cSp_CDRomMediaDataObj* cd = cdHead_; cd != nullptr;) {
    cSp_CDRomMediaDataObj* next = cd->GetNextObjectPtr();
    if (!cd->GetExistFlag()) {
      ExecBeforeEjectCBProc(cd, SInt32(cd->GetReferenceNo()));
      RemoveCD(cd);
      changed = true;
    }
    cd = next;
  }
  if (startDataMade) SpSaveCDQTFileInitialData();
  return changed;
}

// ---- Sound files ----------------------------------------------------------------------------

namespace {

std::string QTFileKey(short vRefNum, SInt32 dirID, const char* name) {
  std::string key = std::to_string(vRefNum) + ":" + std::to_string(dirID) + ":";
  return name != nullptr ? key + name : key;
}

}  // namespace

cSp_QTFileDataObj* cSpCDR_MediaMgrObj::FindQTFile(short vRefNum, SInt32 dirID,
                                                  const char* name) const {
  if (name == nullptr) return nullptr;
  const auto found = fileIndex_.find(QTFileKey(vRefNum, dirID, name));
  return found != fileIndex_.end() ? found->second : nullptr;
}

void cSpCDR_MediaMgrObj::AppendQTFile(cSp_QTFileDataObj* file) {
  SpAppendToList(fileHead_, fileTail_, file);
  if (file != nullptr) {
    fileIndex_.emplace(QTFileKey(file->GetVolumeRefNum(), file->GetDirID(), file->GetFileName()),
                       file);
  }
}

cSp_QTFileDataObj* cSpCDR_MediaMgrObj::GetQTFileMediaObjPtr(short vRefNum, SInt32 dirID,
                                                            const char* name,
                                                            unsigned char skipSetup,
                                                            unsigned char create,
                                                            unsigned char* errorFlag) {
  if (errorFlag != nullptr) *errorFlag = 0;
  if (cSp_QTFileDataObj* found = FindQTFile(vRefNum, dirID, name)) {
    // An object kept from an earlier add (whose row has gone since) describes the file as it
    // was then: a file to be read is read again, for it may have changed meanwhile.
    if (create && !skipSetup && !found->RenewSoundSampleDataInfo(errorFlag)) return nullptr;
    return found;
  }
  if (!create || name == nullptr) return nullptr;
  cSp_QTFileDataObj* file = new (std::nothrow) cSp_QTFileDataObj(vRefNum, dirID, name);
  if (file == nullptr) {
    return SpReportFailure(kSource, "cSpCDR_MediaMgrObj::GetQTFileMediaObjPtr", 1, kSpMsgMemory,
                           file);
  }
  if (!skipSetup && !file->SetupSoundSampleDataInfo(1, errorFlag)) {
    delete file;
    return nullptr;
  }
  AppendQTFile(file);
  return file;
}

cSp_QTFileDataObj* cSpCDR_MediaMgrObj::CreateNewQTFileMediaObjFromMusicFileInfo(
    short vRefNum, SInt32 dirID, const char* name, unsigned char skipSetup,
    const sSpMusicFileInfo* info) {
  static const char kMethod[] = "cSpCDR_MediaMgrObj::CreateNewQTFileMediaObjFromMusicFileInfo";
  if (info == nullptr || name == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument,
                           static_cast<cSp_QTFileDataObj*>(nullptr));
  }
  if (cSp_QTFileDataObj* found = FindQTFile(vRefNum, dirID, name)) return found;
  cSp_QTFileDataObj* file = new (std::nothrow) cSp_QTFileDataObj(vRefNum, dirID, name);
  if (file == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgMemory, file);
  if (!skipSetup) file->SetupSoundSampleDataInfoFromMusicInfo(info, 1);
  AppendQTFile(file);
  return file;
}

// ---- Ejecting -------------------------------------------------------------------------------

SInt32 cSpCDR_MediaMgrObj::SetupBeforeEjectExecCBProc(SpCDR_BeforeEjectProcPtr proc,
                                                      unsigned long refCon) {
  beforeEjectProc_ = proc;
  beforeEjectRefCon_ = refCon;
  return 0;
}

SInt32 cSpCDR_MediaMgrObj::ExecBeforeEjectCBProc(cSp_CDRomMediaDataObj* cd, SInt32 referenceNo) {
  if (beforeEjectProc_ != nullptr)
    beforeEjectProc_(cd, static_cast<unsigned long>(referenceNo), beforeEjectRefCon_);
  return 0;
}

OSErr cSpCDR_MediaMgrObj::EjectTheMusicCDMedia(SInt32 referenceNo) {
  OSErr result = noErr;
  for (cSp_CDRomMediaDataObj* cd = cdHead_; cd != nullptr;) {
    cSp_CDRomMediaDataObj* next = cd->GetNextObjectPtr();
    if (referenceNo == 0 || SInt32(cd->GetReferenceNo()) == referenceNo) {
      ExecBeforeEjectCBProc(cd, SInt32(cd->GetReferenceNo()));
      result = cd->EjectCDDisk();
    }
    cd = next;
  }
  return result;
}

// ---- Free functions -------------------------------------------------------------------------

cSpCDR_MediaMgrObj* SpCDR_GetMediaMgrPtr(unsigned char create) {
  if (gMediaManager != nullptr || !create) return gMediaManager;
  gMediaManager = new (std::nothrow) cSpCDR_MediaMgrObj();
  if (gMediaManager == nullptr) SpReportFailure(kSource, "SpCDR_GetMediaMgrPtr", 1, kSpMsgMemory);
  return gMediaManager;
}

void SpCDR_DisposeMediaMgr() {
  cSpCDR_MediaMgrObj* manager = gMediaManager;
  gMediaManager = nullptr;
  delete manager;
  gScanWait = ScanWait();
}

SInt32 Sp_CDRomCountCDDA() {
  return gMediaManager == nullptr ? 0 : gMediaManager->CountCDDA();
}

cSp_CDRomMediaDataObj* Sp_CDRomGetCDObjectByCounter(SInt32 index) {
  return gMediaManager == nullptr ? nullptr : gMediaManager->GetCDObjectByCounter(index);
}

SInt32 Sp_CDRomGetNumOfTrack(SInt32 n) {
  return gMediaManager == nullptr ? 0 : gMediaManager->GetNumOfTrackInCDDA(n);
}

cSp_CDRomMediaDataObj* SpCDR_GetCDRomMediaObjPtrWithOrigRefNum(unsigned long referenceNo) {
  return gMediaManager == nullptr
             ? nullptr
             : gMediaManager->SerchCDROMItemByOriginalRefNum(SInt32(referenceNo));
}

cSp_CDRomMediaDataObj* SpCDR_GetCDRomMediaObjPtrWithDeviceRefNum(unsigned long) {
  return nullptr;
}
