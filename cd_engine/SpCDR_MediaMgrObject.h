// The media manager: the one list of media the engine knows. The audio CDs that are mounted,
// found by a scan of the mounted volumes, and the sound files that programs have used.
//
// The CD-ROM manager runs the scan from its poll and tells the application when the set of
// CDs changed; the application counts and fetches the CDs through the free functions; the
// CD-ROM manager ejects CDs through the manager and registers the procedure that runs before
// a CD goes away.
//
// A CD is known by its volume and five volume values (creation and modification dates, files
// in the top folder, files and folders in all). A new CD is named from the title database by
// the running time of its table of contents (its lead-out less one frame), and its start data
// are keyed by its track count and lead-out position, so discs of equal track count keep
// levels of their own. Reference numbers: 1 for the first CD of an empty list, else the last
// CD's number plus 1.
//
// Before a CD goes (its volume is gone, or its tracks changed under the same volume), the
// before-eject procedure runs with the CD's present flag clear, so that whoever holds its
// track records lets go of them: the CD object is deleted, or its track list replaced, right
// after. An eject request runs the procedure with the flag still set.
#pragma once

#include <string>
#include <unordered_map>

#include "Files.h"
#include "MacTypes.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpMacHeapObject.h"

typedef void (*SpCDR_BeforeEjectProcPtr)(cSp_CDRomMediaDataObj* cd, unsigned long referenceNo,
                                         unsigned long refCon);

// The wait after the start before the first scan, in ticks.
enum : UInt32 { kSpCDScanStartUpWaitTicks = 120 };

class cSpCDR_MediaMgrObj : public cSpMacHeapObject {
 public:
  cSpCDR_MediaMgrObj() = default;
  // Deletes every CD (running the before-eject procedure for each first) and every
  // sound-file object.
  ~cSpCDR_MediaMgrObj();
  cSpCDR_MediaMgrObj(const cSpCDR_MediaMgrObj&) = delete;
  cSpCDR_MediaMgrObj& operator=(const cSpCDR_MediaMgrObj&) = delete;

  SInt32 CountCDDA() const;
  // From 0; null past the end.
  cSp_CDRomMediaDataObj* GetCDObjectByCounter(SInt32 index) const;
  // The track count of the n-th CD from 1; 0 when there is none.
  SInt32 GetNumOfTrackInCDDA(SInt32 n) const;

  // The volume scan. Nothing is scanned before the start-up wait of 120 ticks is over (the
  // first call starts it). 1 when the set of CDs or the tracks of a CD changed.
  Boolean CheckCDRom();

  cSp_CDRomMediaDataObj* SerchCDROMItemForOSX(short vRefNum) const;
  cSp_CDRomMediaDataObj* SerchCDROMItem(short, short vRefNum) const {
    return SerchCDROMItemForOSX(vRefNum);
  }
  cSp_CDRomMediaDataObj* SerchCDROMItemByVolumeInfo(short vRefNum, UInt32 creationDate,
                                                    UInt32 modificationDate, UInt16 rootFileCount,
                                                    UInt32 fileCount, UInt32 folderCount) const;
  cSp_CDRomMediaDataObj* SerchCDROMItemByOriginalRefNum(SInt32 referenceNo) const;
  cSp_CDRomMediaDataObj* GetCDRomMediaObjPtrByOrigCDRefNum(SInt32 referenceNo) const {
    return SerchCDROMItemByOriginalRefNum(referenceNo);
  }
  // There are no drive reference numbers on this platform: null.
  cSp_CDRomMediaDataObj* SerchCDROMItemByRefNum(short) const { return nullptr; }
  cSp_CDRomMediaDataObj* GetCDRomMediaObjPtrByDeviceRefNum(SInt32) const { return nullptr; }
  // Clears the present flag and the scan mark of every CD.
  void InitializeCheckFlagOfItems();

  // The sound-file object of the file: the one in the list, else (with create) a new one,
  // read from the file unless skipSetup; null when there is none, or the file cannot be read
  // (errorFlag then tells a protected file).
  cSp_QTFileDataObj* GetQTFileMediaObjPtr(short vRefNum, SInt32 dirID, const char* name,
                                          unsigned char skipSetup, unsigned char create,
                                          unsigned char* errorFlag);
  // The same, but a new object takes its description from the saved record.
  cSp_QTFileDataObj* CreateNewQTFileMediaObjFromMusicFileInfo(short vRefNum, SInt32 dirID,
                                                              const char* name,
                                                              unsigned char skipSetup,
                                                              const sSpMusicFileInfo* info);

  SInt32 SetupBeforeEjectExecCBProc(SpCDR_BeforeEjectProcPtr proc, unsigned long refCon);
  SInt32 ExecBeforeEjectCBProc(cSp_CDRomMediaDataObj* cd, SInt32 referenceNo);
  // Ejects the CD of that reference number, or every CD for 0: the before-eject procedure,
  // then the CD's eject. The result of the last eject, 0 when no CD matched. The CD objects
  // stay until the next scan finds their volumes gone.
  OSErr EjectTheMusicCDMedia(SInt32 referenceNo);

  cSp_CDRomMediaDataObj* GetCDListHead() const { return cdHead_; }
  cSp_QTFileDataObj* GetQTFileListHead() const { return fileHead_; }

 private:
  struct VolumeValues {
    short vRefNum;
    UInt32 creationDate, modificationDate;
    UInt16 rootFileCount;
    UInt32 fileCount, folderCount;
  };
  enum class ScanResult { kSkipped, kUnchanged, kChanged, kOutOfMemory };
  ScanResult ScanAudioVolume(const VolumeValues& values, const HFSUniStr255& name,
                             unsigned char& startDataMade);
  // A new CD's or a changed CD's title entry and start data from its lead-out position.
  void SetupDiscIdentity(cSp_CDRomMediaDataObj* cd, UInt32 trackCount, SInt32 leadoutBlock,
                         unsigned char& startDataMade);
  void AppendCD(cSp_CDRomMediaDataObj* cd);
  void RemoveCD(cSp_CDRomMediaDataObj* cd);
  cSp_QTFileDataObj* FindQTFile(short vRefNum, SInt32 dirID, const char* name) const;
  void AppendQTFile(cSp_QTFileDataObj* file);

  cSp_CDRomMediaDataObj* cdHead_ = nullptr;
  cSp_CDRomMediaDataObj* cdTail_ = nullptr;
  cSp_QTFileDataObj* fileHead_ = nullptr;
  cSp_QTFileDataObj* fileTail_ = nullptr;
  // The list's first object of each file (volume, folder and name), so that a program of a
  // sound file finds its object without walking thousands of them.
  std::unordered_map<std::string, cSp_QTFileDataObj*> fileIndex_;
  SpCDR_BeforeEjectProcPtr beforeEjectProc_ = nullptr;
  unsigned long beforeEjectRefCon_ = 0;
};

// The manager; made when absent and create is set (null with a failure record when it cannot
// be allocated).
cSpCDR_MediaMgrObj* SpCDR_GetMediaMgrPtr(unsigned char create);
// Deletes the manager. The next one starts as the program does: its first scan waits again.
void SpCDR_DisposeMediaMgr();

SInt32 Sp_CDRomCountCDDA();
cSp_CDRomMediaDataObj* Sp_CDRomGetCDObjectByCounter(SInt32 index);
SInt32 Sp_CDRomGetNumOfTrack(SInt32 n);
cSp_CDRomMediaDataObj* SpCDR_GetCDRomMediaObjPtrWithOrigRefNum(unsigned long referenceNo);
cSp_CDRomMediaDataObj* SpCDR_GetCDRomMediaObjPtrWithDeviceRefNum(unsigned long);
