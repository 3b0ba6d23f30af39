// The File Manager's volume calls over the volume table.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "detail/Catalog.h"
#include "detail/FilesInternal.h"

using namespace sp_platform::files;

namespace {

constexpr UInt16 kHFSPlusSignature = 0x482B;  // 'H+'
// Emulated volumes are small folders: their items are counted by walking them, up to this
// many, so a folder mounted by mistake cannot stall the program.
constexpr UInt32 kMaxCountedItems = 100000;
constexpr int kMaxCountDepth = 16;

struct VolumeFacts {
  Location root;
  SInt64 createUTC = 0;
  SInt64 modifyUTC = 0;
  UInt32 rootFiles = 0;
  UInt32 fileCount = 0;
  UInt32 folderCount = 0;
  UInt64 totalBytes = 0;
  UInt64 freeBytes = 0;
  UInt32 blockSize = 512;
  UInt64 totalBlocks = 0;
  UInt64 freeBlocks = 0;
};

void CountItems(const std::string& folder, int depth, UInt32& files, UInt32& folders) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> subfolders;
  while (dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    if (files + folders >= kMaxCountedItems) break;
    struct stat st {};
    if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      ++folders;
      subfolders.push_back(JoinPath(folder, d->d_name));
    } else if (S_ISREG(st.st_mode)) {
      ++files;
    }
  }
  closedir(dir);
  if (depth >= kMaxCountDepth) return;
  for (const std::string& sub : subfolders) CountItems(sub, depth + 1, files, folders);
}

// What the volume calls tell. Counting every item of a real disk would take minutes, so
// the file count of a mounted file system is its count of used inodes and its folder count
// is 0; emulated volumes are counted exactly.
OSErr GatherFacts(const Volume& volume, bool withCounts, VolumeFacts& facts) {
  // A volume of the table whose mount point has gone (another program unmounted it) is off
  // line, not missing: a walk over the volumes by index goes on past it to the others.
  OSErr err = LocateNode(volume.vRefNum, fsRtDirID, facts.root);
  if (err != noErr) return err == nsvErr ? OSErr(volOffLinErr) : err;
  facts.createUTC = CreationDateUTC(facts.root.path, facts.root.st);
  facts.modifyUTC = UTC1904FromUnix(facts.root.st.st_mtime);
  struct statvfs vfs {};
  if (statvfs(volume.mountPoint.c_str(), &vfs) == 0) {
    const UInt64 unit = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    facts.blockSize = UInt32(std::min<UInt64>(unit, 0xFFFFFFFFu));
    facts.totalBlocks = vfs.f_blocks;
    facts.freeBlocks = vfs.f_bavail;
    facts.totalBytes = UInt64(vfs.f_blocks) * unit;
    facts.freeBytes = UInt64(vfs.f_bavail) * unit;
    if (!volume.emulated && vfs.f_files >= vfs.f_ffree) {
      facts.fileCount = UInt32(std::min<UInt64>(vfs.f_files - vfs.f_ffree, 0xFFFFFFFFu));
    }
  }
  if (volume.flags & kVolumeReadOnly) facts.freeBytes = facts.freeBlocks = 0;
  if (withCounts) {
    if (auto names = FolderListing(facts.root)) {
      for (const std::string& name : *names) {
        struct stat st {};
        if (stat(JoinPath(facts.root.path, name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
          ++facts.rootFiles;
        }
      }
    }
    if (volume.emulated) CountItems(volume.mountPoint, 0, facts.fileCount, facts.folderCount);
  }
  return noErr;
}

UInt16 Attributes(const Volume& volume) {
  UInt16 attributes = 0;
  if (volume.flags & kVolumeReadOnly) attributes |= kioVAtrbSoftwareLockedMask;
  if (volume.flags & kVolumeEmulatedCD) attributes |= kioVAtrbHardwareLockedMask;
  return attributes;
}

UInt16 Signature(const Volume& volume) {
  return volume.filesystemID != 0 ? volume.filesystemID : kHFSPlusSignature;
}

// The volume a classic volume call asks for.
OSErr FindAskedVolume(SInt16 index, ConstStringPtr name, SInt16 vRefNum, const Volume** out) {
  const Volume* volume = nullptr;
  if (index > 0) {
    volume = VolumeAtIndex(ItemCount(index));
  } else if (index < 0 && name != nullptr && name[0] != 0) {
    // "Volume:" or a full path: the text before the first colon names the volume.
    std::string bytes = PascalBytes(name);
    const std::size_t colon = bytes.find(':');
    if (colon != std::string::npos) bytes.resize(colon);
    if (!bytes.empty()) volume = VolumeOfClassicName(bytes);
  } else {
    volume = FindVolume(vRefNum);
  }
  if (volume == nullptr) return nsvErr;
  *out = volume;
  return noErr;
}

// Classic 16-bit allocation blocks: the block size doubles until the count fits.
void ClassicBlocks(const VolumeFacts& facts, UInt32* blockSize, UInt16* total, UInt16* free) {
  UInt64 size = facts.blockSize;
  UInt64 blocks = facts.totalBlocks;
  UInt64 freeBlocks = facts.freeBlocks;
  while (blocks > 0xFFFF && size < 0x80000000u) {
    size *= 2;
    blocks /= 2;
    freeBlocks /= 2;
  }
  *blockSize = UInt32(size);
  *total = UInt16(std::min<UInt64>(blocks, 0xFFFF));
  *free = UInt16(std::min<UInt64>(freeBlocks, 0xFFFF));
}

template <typename PB>
OSErr FillVolumeParam(PB& v) {
  const Volume* volume = nullptr;
  OSErr err = FindAskedVolume(v.ioVolIndex, v.ioNamePtr, v.ioVRefNum, &volume);
  if (err != noErr) return err;
  VolumeFacts facts;
  err = GatherFacts(*volume, true, facts);
  if (err != noErr) return err;
  if (v.ioNamePtr != nullptr) {
    CopyToPascal(ClassicName(volume->name, fsRtDirID, kVolumeNameLimit), v.ioNamePtr,
                 kVolumeNameLimit);
  }
  v.ioVRefNum = volume->vRefNum;
  v.ioVCrDate = Local1904FromUTC1904(facts.createUTC);
  v.ioVLsMod = Local1904FromUTC1904(facts.modifyUTC);
  v.ioVAtrb = SInt16(Attributes(*volume));
  v.ioVNmFls = UInt16(std::min<UInt32>(facts.rootFiles, 0xFFFF));
  v.ioVBitMap = 0;
  v.ioAllocPtr = 0;
  UInt16 free16 = 0;
  ClassicBlocks(facts, &v.ioVAlBlkSiz, &v.ioVNmAlBlks, &free16);
  v.ioVFrBlk = free16;
  v.ioVClpSiz = v.ioVAlBlkSiz;
  v.ioAlBlSt = 0;
  v.ioVNxtCNID = 0;
  v.ioVSigWord = Signature(*volume);
  v.ioVDrvInfo = 0;
  v.ioVDRefNum = 0;
  v.ioVFSID = SInt16(volume->filesystemID);
  v.ioVBkUp = 0;
  v.ioVSeqNum = 0;
  v.ioVWrCnt = 0;
  v.ioVFilCnt = facts.fileCount;
  v.ioVDirCnt = facts.folderCount;
  std::memset(v.ioVFndrInfo, 0, sizeof v.ioVFndrInfo);
  return noErr;
}

}  // namespace

OSErr PBHGetVInfoSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  OSErr err = FillVolumeParam(pb->volumeParam);
  pb->volumeParam.ioResult = err;
  return err;
}

OSErr PBXGetVolInfoSync(XVolumeParamPtr pb) {
  if (pb == nullptr) return paramErr;
  OSErr err = FillVolumeParam(*pb);
  if (err == noErr) {
    const Volume* volume = FindVolume(pb->ioVRefNum);
    VolumeFacts facts;
    if (volume != nullptr && GatherFacts(*volume, false, facts) == noErr) {
      pb->ioVTotalBytes = facts.totalBytes;
      pb->ioVFreeBytes = facts.freeBytes;
    }
  }
  pb->ioResult = err;
  return err;
}

OSErr PBHGetVolParmsSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  HIOParam& p = pb->ioParam;
  const Volume* volume = nullptr;
  OSErr err = p.ioBuffer == nullptr || p.ioReqCount < 0
                  ? OSErr(paramErr)
                  : FindAskedVolume(-1, p.ioNamePtr, p.ioVRefNum, &volume);
  if (err == noErr) {
    GetVolParmsInfoBuffer info{};
    info.vMVersion = 4;
    info.vMAttrib = SInt32((1 << bHasFileIDs) | (1 << bHasCopyFile));
    // Any non-zero value says "on a server"; the volume's key keeps volumes apart.
    info.vMServerAdr =
        (volume->flags & kVolumeNetwork) ? SInt32(VolumeKey(volume->mountPoint) | 1u) : 0;
    info.vMVolumeGrade = 0;
    info.vMForeignPrivID = 0;
    info.vMExtendedAttributes = 0;
    info.vMDeviceID = nullptr;
    info.vMMaxNameLength = 255;
    const std::size_t n = std::min<std::size_t>(std::size_t(p.ioReqCount), sizeof info);
    std::memcpy(p.ioBuffer, &info, n);
    p.ioActCount = SInt32(n);
  }
  p.ioResult = err;
  return err;
}

OSErr FSGetVolumeInfo(FSVolumeRefNum volumeRefNum, ItemCount volumeIndex,
                      FSVolumeRefNum* actualVolume, FSVolumeInfoBitmap whichInfo,
                      FSVolumeInfo* info, HFSUniStr255* volumeName, FSRef* rootDirectory) {
  const Volume* volume = volumeIndex > 0 ? VolumeAtIndex(volumeIndex) : FindVolume(volumeRefNum);
  if (volume == nullptr) return nsvErr;
  VolumeFacts facts;
  const bool wantCounts =
      info != nullptr && (whichInfo & (kFSVolInfoFileCount | kFSVolInfoDirCount));
  OSErr err = GatherFacts(*volume, wantCounts, facts);
  if (err != noErr) return err;
  if (actualVolume != nullptr) *actualVolume = volume->vRefNum;
  if (info != nullptr) {
    auto utc = [](UTCDateTime& d, SInt64 seconds) {
      const UInt64 v = seconds < 0 ? 0 : UInt64(seconds);
      d = UTCDateTime{UInt16(v >> 32), UInt32(v), 0};
    };
    if (whichInfo & kFSVolInfoCreateDate) utc(info->createDate, facts.createUTC);
    if (whichInfo & kFSVolInfoModDate) utc(info->modifyDate, facts.modifyUTC);
    if (whichInfo & kFSVolInfoBackupDate) info->backupDate = UTCDateTime{0, 0, 0};
    if (whichInfo & kFSVolInfoCheckedDate) info->checkedDate = UTCDateTime{0, 0, 0};
    if (whichInfo & kFSVolInfoFileCount) info->fileCount = facts.fileCount;
    if (whichInfo & kFSVolInfoDirCount) info->folderCount = facts.folderCount;
    if (whichInfo & kFSVolInfoSizes) {
      info->totalBytes = facts.totalBytes;
      info->freeBytes = facts.freeBytes;
    }
    if (whichInfo & kFSVolInfoBlocks) {
      info->blockSize = facts.blockSize;
      info->totalBlocks = UInt32(std::min<UInt64>(facts.totalBlocks, 0xFFFFFFFFu));
      info->freeBlocks = UInt32(std::min<UInt64>(facts.freeBlocks, 0xFFFFFFFFu));
    }
    if (whichInfo & kFSVolInfoNextAlloc) info->nextAllocation = 0;
    if (whichInfo & kFSVolInfoRsrcClump) info->rsrcClumpSize = facts.blockSize;
    if (whichInfo & kFSVolInfoDataClump) info->dataClumpSize = facts.blockSize;
    if (whichInfo & kFSVolInfoNextID) info->nextCatalogID = 0;
    if (whichInfo & kFSVolInfoFinderInfo) std::memset(info->finderInfo, 0, sizeof info->finderInfo);
    if (whichInfo & kFSVolInfoFlags) {
      UInt16 flags = 0;
      if (volume->flags & kVolumeReadOnly) flags |= kFSVolFlagSoftwareLockedMask;
      if (volume->flags & kVolumeEmulatedCD) flags |= kFSVolFlagHardwareLockedMask;
      info->flags = flags;
    }
    if (whichInfo & kFSVolInfoFSInfo) {
      info->filesystemID = volume->filesystemID;
      info->signature = Signature(*volume);
    }
    if (whichInfo & kFSVolInfoDriveInfo) {
      info->driveNumber = 0;
      info->driverRefNum = 0;
    }
  }
  if (volumeName != nullptr) UnicodeName(volume->name, volumeName);
  if (rootDirectory != nullptr) MakeFSRef(facts.root, rootDirectory);
  return noErr;
}
