// CD media: one mounted audio CD with its track files, its title source (the disc's entry in
// the title database) and its saved volume level.
//
// The objects live in the media manager's CD list (SpCDR_MediaMgrObject.h): only its scan
// makes them, fills them and deletes them. A CD object owns its track list; its title entry
// belongs to the title database and its start data to the start-data manager.
#pragma once

#include "MacTypes.h"
#include "SpCDDiscPosition.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSp_CDDBItem;
class cCDSaveInitialData;

enum : SInt32 { kSpCDVolumeNameSize = 512 };  // a volume name with its terminator

// The four lists of count-up procedures a CD keeps.
enum tCountupProcType : short {
  kSpCountupProcType1 = 1,
  kSpCountupProcType2 = 2,
  kSpCountupProcType3 = 3,
  kSpCountupProcType4 = 4,
};

typedef unsigned char (*SpCDR_CountupProcPtr)(unsigned long refCon);

class cSp_CountUpProcDataObj : public cSpListLinks<cSp_CountUpProcDataObj>,
                               public cSpMacHeapObject {
 public:
  cSp_CountUpProcDataObj(SpCDR_CountupProcPtr proc, unsigned long refCon)
      : proc_(proc), refCon_(refCon) {}
  SpCDR_CountupProcPtr GetProc() const { return proc_; }
  unsigned long GetRefCon() const { return refCon_; }

 private:
  SpCDR_CountupProcPtr proc_;
  unsigned long refCon_;
};

class cSp_CDRomMediaDataObj : public cSpListLinks<cSp_CDRomMediaDataObj>, public cSpMacHeapObject {
 public:
  cSp_CDRomMediaDataObj() { StartUpInitialize(); }
  // Frees the track list and the count-up procedures.
  ~cSp_CDRomMediaDataObj();
  cSp_CDRomMediaDataObj(const cSp_CDRomMediaDataObj&) = delete;
  cSp_CDRomMediaDataObj& operator=(const cSp_CDRomMediaDataObj&) = delete;

  // Every field cleared, but the scan mark and the present flag set.
  void StartUpInitialize();

  UInt32 GetReferenceNo() const { return referenceNo_; }
  UInt32 GetNumOfTrack() const { return trackCount_; }
  // The track record of that number; null when none.
  sTrackDataForOSX* GetTrackDataObject(UInt32 trackNo);
  // Copies the volume name into buffer (kSpCDVolumeNameSize bytes); 1 when it is not empty,
  // else 0 with the buffer untouched.
  Boolean GetVolumeName(char* buffer);
  Handle GetMediaIcon() const { return mediaIcon_; }
  // The volume level of its start data; 100 without start data (logged).
  UInt32 GetAmpVolume();

  // The disc title from its title entry: 1 when the buffer got a title; 0 with the buffer
  // untouched without an entry. truncated (optional) tells a cut title.
  Boolean GetCDTitle(char* buffer, SInt32 size, unsigned char* truncated);
  // The title of a track: from the title entry, else from its track file's name (cut to
  // size - 2 bytes). Track 0 copies the volume name (cut to size - 1 bytes) and answers 0.
  Boolean GetCDTrackTitle(short trackNo, char* buffer, SInt32 size, unsigned char* truncated);

  // Flushes and unmounts the volume; the unmount's result.
  OSErr EjectCDDisk();
  // Frees every track record; the list becomes empty.
  void DeleteTrackList();
  void OnExistFlag() { existFlag_ = 1; }
  // Takes the CD out of its list, joining its neighbours (the owner mends its head and tail).
  void UnlinkFromList() { UnlinkSelf(); }

  // Pushes a procedure at the front of the list of its type (1..4; others do nothing). 0.
  SInt32 SetupCountupProc(tCountupProcType type, SpCDR_CountupProcPtr proc, unsigned long refCon);
  // Fills nothing: 1.
  Boolean GetNowCDPosition(short*, cDiscPosition*, cDiscPosition*, cDiscPosition*, cDiscPosition*,
                           unsigned char*, unsigned char*) {
    return true;
  }
  // From this CD along the list, the one of that reference number; null when none.
  cSp_CDRomMediaDataObj* SerchTargetOrigRefItemOnLink(SInt32 referenceNo);
  // There are no drive reference numbers on this platform: null.
  cSp_CDRomMediaDataObj* SerchTargetDeviceRefItemOnLink(SInt32) { return nullptr; }

  // ---- What the media manager's scan sets and reads ----
  void SetupReferenceNo(UInt32 referenceNo) { referenceNo_ = referenceNo; }
  // The name is cut to 511 bytes.
  void SetupVolumeName(const char* name);
  // The volume and the five values that tell the volume of this disc.
  void SetupVolumeInfo(short vRefNum, UInt32 creationDate, UInt32 modificationDate,
                       UInt16 rootFileCount, UInt32 fileCount, UInt32 folderCount);
  // Takes the list over (the old one must be freed first).
  void SetupTrackList(sTrackDataForOSX* list, UInt32 count);
  void SetupEndPosition(const cDiscPosition& endPosition) { endPosition_ = endPosition; }
  void SetupCDDBItem(cSp_CDDBItem* item) { cddbItem_ = item; }
  void SetupStartData(cCDSaveInitialData* startData) { startData_ = startData; }
  void SetupNewCDFlag() { newCDFlag_ = 1; }
  void ClearCheckFlag() {
    existFlag_ = 0;
    scanMark_ = 0;
  }

  short GetVolumeRefNum() const { return vRefNum_; }
  sTrackDataForOSX* GetTrackList() const { return trackList_; }
  const cDiscPosition& GetEndPosition() const { return endPosition_; }
  cSp_CDDBItem* GetCDDBItem() const { return cddbItem_; }
  cCDSaveInitialData* GetStartData() const { return startData_; }
  unsigned char GetNewCDFlag() const { return newCDFlag_; }
  // Set while the CD is mounted; clear once a scan found its volume gone.
  unsigned char GetExistFlag() const { return existFlag_; }
  // 1 when the volume's five values are these.
  Boolean HasVolumeInfo(short vRefNum, UInt32 creationDate, UInt32 modificationDate,
                        UInt16 rootFileCount, UInt32 fileCount, UInt32 folderCount) const;

 private:
  UInt32 referenceNo_;
  Handle mediaIcon_;
  char volumeName_[kSpCDVolumeNameSize];
  short vRefNum_;
  unsigned char scanMark_;
  unsigned char existFlag_;
  unsigned char newCDFlag_;
  sTrackDataForOSX* trackList_;
  UInt32 trackCount_;
  cDiscPosition endPosition_;
  cDiscPosition positions_[2];
  UInt32 creationDate_;
  UInt32 modificationDate_;
  UInt16 rootFileCount_;
  UInt32 fileCount_;
  UInt32 folderCount_;
  cSp_CDDBItem* cddbItem_;
  cCDSaveInitialData* startData_;
  cSp_CountUpProcDataObj* countupProcs_[4];
};
