// The File Manager's catalogue calls: FSSpec and FSRef making, catalogue information, Finder
// information, file ids and folder listings.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "ByteOrder.h"
#include "detail/Catalog.h"
#include "detail/Discs.h"
#include "detail/FilesInternal.h"

namespace sp_platform {
namespace files {

// ---- Finder information records -------------------------------------------------------------

void DecodeFInfo(const UInt8* b, FInfo* out) {
  out->fdType = sp::LoadBE32(b);
  out->fdCreator = sp::LoadBE32(b + 4);
  out->fdFlags = sp::LoadBE16(b + 8);
  out->fdLocation.v = SInt16(sp::LoadBE16(b + 10));
  out->fdLocation.h = SInt16(sp::LoadBE16(b + 12));
  out->fdFldr = SInt16(sp::LoadBE16(b + 14));
}

void EncodeFInfo(const FInfo& in, UInt8* b) {
  sp::StoreBE32(b, in.fdType);
  sp::StoreBE32(b + 4, in.fdCreator);
  sp::StoreBE16(b + 8, in.fdFlags);
  sp::StoreBE16(b + 10, UInt16(in.fdLocation.v));
  sp::StoreBE16(b + 12, UInt16(in.fdLocation.h));
  sp::StoreBE16(b + 14, UInt16(in.fdFldr));
}

void DecodeFXInfo(const UInt8* b, FXInfo* out) {
  out->fdIconID = SInt16(sp::LoadBE16(b));
  for (int i = 0; i < 3; ++i) out->fdReserved[i] = SInt16(sp::LoadBE16(b + 2 + 2 * i));
  out->fdScript = SInt8(b[8]);
  out->fdXFlags = SInt8(b[9]);
  out->fdComment = SInt16(sp::LoadBE16(b + 10));
  out->fdPutAway = SInt32(sp::LoadBE32(b + 12));
}

void EncodeFXInfo(const FXInfo& in, UInt8* b) {
  sp::StoreBE16(b, UInt16(in.fdIconID));
  for (int i = 0; i < 3; ++i) sp::StoreBE16(b + 2 + 2 * i, UInt16(in.fdReserved[i]));
  b[8] = UInt8(in.fdScript);
  b[9] = UInt8(in.fdXFlags);
  sp::StoreBE16(b + 10, UInt16(in.fdComment));
  sp::StoreBE32(b + 12, UInt32(in.fdPutAway));
}

void DecodeDInfo(const UInt8* b, DInfo* out) {
  out->frRect.top = SInt16(sp::LoadBE16(b));
  out->frRect.left = SInt16(sp::LoadBE16(b + 2));
  out->frRect.bottom = SInt16(sp::LoadBE16(b + 4));
  out->frRect.right = SInt16(sp::LoadBE16(b + 6));
  out->frFlags = sp::LoadBE16(b + 8);
  out->frLocation.v = SInt16(sp::LoadBE16(b + 10));
  out->frLocation.h = SInt16(sp::LoadBE16(b + 12));
  out->frView = SInt16(sp::LoadBE16(b + 14));
}

void DecodeDXInfo(const UInt8* b, DXInfo* out) {
  out->frScroll.v = SInt16(sp::LoadBE16(b));
  out->frScroll.h = SInt16(sp::LoadBE16(b + 2));
  out->frOpenChain = SInt32(sp::LoadBE32(b + 4));
  out->frScript = SInt8(b[8]);
  out->frXFlags = SInt8(b[9]);
  out->frComment = SInt16(sp::LoadBE16(b + 10));
  out->frPutAway = SInt32(sp::LoadBE32(b + 12));
}

namespace {

bool IsDotName(const Location& item) {
  return !item.name.empty() && item.name[0] == '.' && item.nodeID != UInt32(fsRtDirID);
}

// The stored 32 bytes with the invisible flag of a dot name added (flags at byte 8 in both
// the file and the folder layout).
void ReadShownFinderInfo(const Location& item, UInt8 raw[32]) {
  ReadFinderInfo(item.path, raw);
  if (IsDotName(item)) sp::StoreBE16(raw + 8, UInt16(sp::LoadBE16(raw + 8) | kIsInvisible));
}

SInt32 Clip32(UInt64 v) {
  return v > 0x7FFFFFFFu ? SInt32(0x7FFFFFFF) : SInt32(v);
}

UInt64 PhysicalSize(const struct stat& st) {
  UInt64 disc = 0;
  if (DiscTrackPhysicalSize(st.st_dev, st.st_ino, &disc)) return disc;
  return UInt64(st.st_blocks) * 512u;
}

UInt32 ClassicCreateDate(const Location& item) {
  return Local1904FromUTC1904(CreationDateUTC(item.path, item.st));
}

UInt32 ClassicModDate(const Location& item) {
  return Local1904FromUTC1904(UTC1904FromUnix(item.st.st_mtime));
}

void SetUTC(UTCDateTime& out, SInt64 utc1904, long nanoseconds) {
  const UInt64 v = utc1904 < 0 ? 0 : UInt64(utc1904);
  out.highSeconds = UInt16(v >> 32);
  out.lowSeconds = UInt32(v);
  out.fraction = UInt16((UInt64(nanoseconds) << 16) / 1000000000u);
}

SInt64 FromUTC(const UTCDateTime& d) {
  return SInt64((UInt64(d.highSeconds) << 32) | d.lowSeconds);
}

bool IsZero(const UTCDateTime& d) {
  return d.highSeconds == 0 && d.lowSeconds == 0 && d.fraction == 0;
}

SInt8 ClassicAttributes(const Location& item) {
  UInt8 attributes = 0;
  if (item.isFolder) attributes |= kioFlAttribDirMask;
  if (!item.isFolder && (item.st.st_mode & 0222) == 0) attributes |= kioFlAttribLockedMask;
  return SInt8(attributes);
}

UInt16 FolderValence16(const Location& folder) {
  auto names = FolderListing(folder);
  const std::size_t n = names ? names->size() : 0;
  return UInt16(std::min<std::size_t>(n, 0xFFFF));
}

// The file fields that HFileInfo (a catalogue look-up) and HFileParam (a file look-up) share,
// by name: Finder information, id, sizes (no resource fork) and dates.
template <typename FileRecord>
void FillFileFields(const Location& item, const UInt8 raw[32], FileRecord& f) {
  DecodeFInfo(raw, &f.ioFlFndrInfo);
  f.ioDirID = SInt32(item.nodeID);
  f.ioFlStBlk = 0;
  f.ioFlLgLen = Clip32(UInt64(item.st.st_size));
  f.ioFlPyLen = Clip32(PhysicalSize(item.st));
  f.ioFlRStBlk = 0;
  f.ioFlRLgLen = 0;
  f.ioFlRPyLen = 0;
  f.ioFlCrDat = ClassicCreateDate(item);
  f.ioFlMdDat = ClassicModDate(item);
}

// The catalogue fields a look-up fills in a CInfoPBRec, by the item's kind.
void FillCatInfo(const Location& item, CInfoPBRec& pb) {
  UInt8 raw[32];
  ReadShownFinderInfo(item, raw);
  HFileInfo& f = pb.hFileInfo;
  f.ioFRefNum = 0;
  f.ioFlAttrib = ClassicAttributes(item);
  f.ioACUser = 0;
  if (item.isFolder) {
    DirInfo& d = pb.dirInfo;
    DecodeDInfo(raw, &d.ioDrUsrWds);
    d.ioDrDirID = SInt32(item.nodeID);
    d.ioDrNmFls = FolderValence16(item);
    std::memset(d.filler3, 0, sizeof d.filler3);
    d.ioDrCrDat = ClassicCreateDate(item);
    d.ioDrMdDat = ClassicModDate(item);
    d.ioDrBkDat = 0;
    DecodeDXInfo(raw + 16, &d.ioDrFndrInfo);
    d.ioDrParID = SInt32(item.parentID);
  } else {
    FillFileFields(item, raw, f);
    f.ioFlBkDat = 0;
    DecodeFXInfo(raw + 16, &f.ioFlXFndrInfo);
    f.ioFlParID = SInt32(item.parentID);
    f.ioFlClpSiz = 0;
  }
}

void FillFileParam(const Location& item, HFileParam& f) {
  UInt8 raw[32];
  ReadShownFinderInfo(item, raw);
  f.ioFRefNum = 0;
  f.ioFVersNum = 0;
  f.ioFlAttrib = ClassicAttributes(item);
  f.ioFlVersNum = 0;
  FillFileFields(item, raw, f);
}

std::string ShownClassicName(const Location& item, std::size_t limit) {
  if (item.nodeID == UInt32(fsRtDirID)) {
    return ClassicName(item.name, fsRtDirID, std::min<std::size_t>(limit, kVolumeNameLimit));
  }
  return ClassicName(item.name, item.nodeID, limit, ParentPath(item.path));
}

// The n-th (from 1) item of a folder; `filesOnly` counts files alone.
OSErr NthItem(const Location& folder, SInt32 index, bool filesOnly, Location& out) {
  auto names = FolderListing(folder);
  if (!names) return dirNFErr;
  SInt32 seen = 0;
  for (const std::string& name : *names) {
    Location item;
    if (filesOnly) {
      if (LocateInFolder(folder, name, item) != noErr || item.isFolder) continue;
      if (++seen == index) {
        out = item;
        return noErr;
      }
    } else if (++seen == index) {
      return LocateInFolder(folder, name, out);
    }
  }
  return fnfErr;
}

OSErr WriteDates(const Location& item, const UInt32* classicCreate, const UInt32* classicMod) {
  if (OSErr err = CheckWritable(item)) return err;
  if (classicCreate != nullptr && *classicCreate != 0 &&
      *classicCreate != ClassicCreateDate(item)) {
    StampCreationDate(item.path, UTC1904FromLocal1904(SInt64(*classicCreate)));
  }
  if (classicMod != nullptr && *classicMod != 0 && *classicMod != ClassicModDate(item)) {
    timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[0].tv_sec = 0;
    times[1].tv_sec = time_t(UnixFromUTC1904(UTC1904FromLocal1904(SInt64(*classicMod))));
    times[1].tv_nsec = 0;
    if (utimensat(AT_FDCWD, item.path.c_str(), times, 0) != 0) {
      return OSErrFromErrno(errno, Access::kWrite);
    }
  }
  return noErr;
}

OSErr SetFInfoOf(const Location& item, const FInfo& info) {
  if (OSErr err = CheckWritable(item)) return err;
  UInt8 raw[32];
  ReadFinderInfo(item.path, raw);
  EncodeFInfo(info, raw);
  return WriteFinderInfo(item.path, raw);
}

OSErr LocateFile(SInt16 vRefNum, SInt32 dirID, const unsigned char* name, Location& item) {
  OSErr err = LocateClassic(vRefNum, dirID, name, item);
  if (err != noErr) return err;
  return item.isFolder ? OSErr(fnfErr) : OSErr(noErr);
}

}  // namespace

void FillCatalogInfo(const Location& item, FSCatalogInfoBitmap which, FSCatalogInfo* info) {
  if (info == nullptr) return;
  if (which & kFSCatInfoTextEncoding) info->textEncodingHint = kTextEncodingMacJapanese;
  if (which & kFSCatInfoNodeFlags) {
    UInt16 flags = item.isFolder ? UInt16(kFSNodeIsDirectoryMask) : UInt16(0);
    if (!item.isFolder && (item.st.st_mode & 0222) == 0) flags |= kFSNodeLockedMask;
    info->nodeFlags = flags;
  }
  if (which & kFSCatInfoVolume) info->volume = item.vRefNum;
  if (which & kFSCatInfoParentDirID) info->parentDirID = item.parentID;
  if (which & kFSCatInfoNodeID) info->nodeID = item.nodeID;
  if (which & kFSCatInfoSharingFlags) info->sharingFlags = 0;
  if (which & kFSCatInfoUserPrivs) info->userPrivileges = 0;
  if (which & kFSCatInfoCreateDate)
    SetUTC(info->createDate, CreationDateUTC(item.path, item.st), 0);
  if (which & kFSCatInfoContentMod) {
    SetUTC(info->contentModDate, UTC1904FromUnix(item.st.st_mtim.tv_sec), item.st.st_mtim.tv_nsec);
  }
  if (which & kFSCatInfoAttrMod) {
    SetUTC(info->attributeModDate, UTC1904FromUnix(item.st.st_ctim.tv_sec),
           item.st.st_ctim.tv_nsec);
  }
  if (which & kFSCatInfoAccessDate) {
    SetUTC(info->accessDate, UTC1904FromUnix(item.st.st_atim.tv_sec), item.st.st_atim.tv_nsec);
  }
  if (which & kFSCatInfoBackupDate) info->backupDate = UTCDateTime{0, 0, 0};
  if (which & (kFSCatInfoPermissions | kFSCatInfoUserAccess)) {
    FSPermissionInfo p{};
    p.userID = UInt32(item.st.st_uid);
    p.groupID = UInt32(item.st.st_gid);
    p.userAccess = UInt8((access(item.path.c_str(), R_OK) == 0 ? 0x02 : 0) |
                         (access(item.path.c_str(), W_OK) == 0 ? 0x04 : 0));
    p.mode = UInt16(item.st.st_mode & 0xFFFF);
    std::memcpy(info->permissions, &p, sizeof p);
  }
  if (which & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo)) {
    UInt8 raw[32];
    ReadShownFinderInfo(item, raw);
    if (which & kFSCatInfoFinderInfo) {
      if (item.isFolder) {
        FolderInfo fi{};
        DInfo d;
        DecodeDInfo(raw, &d);
        fi.windowBounds = d.frRect;
        fi.finderFlags = d.frFlags;
        fi.location = d.frLocation;
        fi.reservedField = UInt16(d.frView);
        std::memcpy(info->finderInfo, &fi, sizeof fi);
      } else {
        FInfo f;
        DecodeFInfo(raw, &f);
        FileInfo fi{f.fdType, f.fdCreator, f.fdFlags, f.fdLocation, UInt16(f.fdFldr)};
        std::memcpy(info->finderInfo, &fi, sizeof fi);
      }
    }
    if (which & kFSCatInfoFinderXInfo) {
      if (item.isFolder) {
        DXInfo d;
        DecodeDXInfo(raw + 16, &d);
        ExtendedFolderInfo x{d.frScroll, d.frOpenChain,
                             UInt16((UInt8(d.frScript) << 8) | UInt8(d.frXFlags)), d.frComment,
                             d.frPutAway};
        std::memcpy(info->extFinderInfo, &x, sizeof x);
      } else {
        FXInfo d;
        DecodeFXInfo(raw + 16, &d);
        ExtendedFileInfo x{{d.fdIconID, d.fdReserved[0], d.fdReserved[1], d.fdReserved[2]},
                           UInt16((UInt8(d.fdScript) << 8) | UInt8(d.fdXFlags)),
                           d.fdComment,
                           d.fdPutAway};
        std::memcpy(info->extFinderInfo, &x, sizeof x);
      }
    }
  }
  if (which & kFSCatInfoDataSizes) {
    info->dataLogicalSize = item.isFolder ? 0 : UInt64(item.st.st_size);
    info->dataPhysicalSize = item.isFolder ? 0 : PhysicalSize(item.st);
  }
  if (which & kFSCatInfoRsrcSizes) {
    info->rsrcLogicalSize = 0;
    info->rsrcPhysicalSize = 0;
  }
  if (which & kFSCatInfoValence) {
    auto names = item.isFolder ? FolderListing(item) : nullptr;
    info->valence = names ? UInt32(names->size()) : 0;
  }
}

OSErr ApplyCatalogInfo(const Location& item, FSCatalogInfoBitmap which, const FSCatalogInfo& info) {
  if (OSErr err = CheckWritable(item)) return err;
  OSErr result = noErr;
  if ((which & kFSCatInfoCreateDate) && !IsZero(info.createDate)) {
    StampCreationDate(item.path, FromUTC(info.createDate));
  }
  if ((which & (kFSCatInfoContentMod | kFSCatInfoAccessDate)) != 0) {
    timespec times[2];
    times[0] = {0, UTIME_OMIT};
    times[1] = {0, UTIME_OMIT};
    if ((which & kFSCatInfoAccessDate) && !IsZero(info.accessDate)) {
      times[0].tv_sec = time_t(UnixFromUTC1904(FromUTC(info.accessDate)));
      times[0].tv_nsec = long((UInt64(info.accessDate.fraction) * 1000000000u) >> 16);
    }
    if ((which & kFSCatInfoContentMod) && !IsZero(info.contentModDate)) {
      times[1].tv_sec = time_t(UnixFromUTC1904(FromUTC(info.contentModDate)));
      times[1].tv_nsec = long((UInt64(info.contentModDate.fraction) * 1000000000u) >> 16);
    }
    if ((times[0].tv_nsec != UTIME_OMIT || times[1].tv_nsec != UTIME_OMIT) &&
        utimensat(AT_FDCWD, item.path.c_str(), times, 0) != 0 && result == noErr) {
      result = OSErrFromErrno(errno, Access::kWrite);
    }
  }
  if (which & kFSCatInfoPermissions) {
    FSPermissionInfo p;
    std::memcpy(&p, info.permissions, sizeof p);
    mode_t mode = mode_t(p.mode & 07777);
    // Data files are never made executable here: a file keeps the execute bits it has and
    // gets no new ones, whatever the caller ORs into the mode.
    if (!item.isFolder) mode = (mode & ~mode_t(0111)) | (item.st.st_mode & 0111);
    if (mode != (item.st.st_mode & 07777) && chmod(item.path.c_str(), mode) != 0 &&
        result == noErr) {
      result = OSErrFromErrno(errno, Access::kWrite);
    }
  }
  if (which & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo)) {
    UInt8 raw[32];
    ReadFinderInfo(item.path, raw);
    if (which & kFSCatInfoFinderInfo) {
      if (item.isFolder) {
        FolderInfo fi;
        std::memcpy(&fi, info.finderInfo, sizeof fi);
        sp::StoreBE16(raw, UInt16(fi.windowBounds.top));
        sp::StoreBE16(raw + 2, UInt16(fi.windowBounds.left));
        sp::StoreBE16(raw + 4, UInt16(fi.windowBounds.bottom));
        sp::StoreBE16(raw + 6, UInt16(fi.windowBounds.right));
        sp::StoreBE16(raw + 8, fi.finderFlags);
        sp::StoreBE16(raw + 10, UInt16(fi.location.v));
        sp::StoreBE16(raw + 12, UInt16(fi.location.h));
        sp::StoreBE16(raw + 14, fi.reservedField);
      } else {
        FileInfo fi;
        std::memcpy(&fi, info.finderInfo, sizeof fi);
        EncodeFInfo(FInfo{fi.fileType, fi.fileCreator, fi.finderFlags, fi.location,
                          SInt16(fi.reservedField)},
                    raw);
      }
    }
    if (which & kFSCatInfoFinderXInfo) {
      // Both extended layouts are eight 16-bit words, then a 32-bit word at byte 12.
      const UInt8* x = info.extFinderInfo;
      if (item.isFolder) {
        ExtendedFolderInfo e;
        std::memcpy(&e, x, sizeof e);
        sp::StoreBE16(raw + 16, UInt16(e.scrollPosition.v));
        sp::StoreBE16(raw + 18, UInt16(e.scrollPosition.h));
        sp::StoreBE32(raw + 20, UInt32(e.reserved1));
        sp::StoreBE16(raw + 24, e.extendedFinderFlags);
        sp::StoreBE16(raw + 26, UInt16(e.reserved2));
        sp::StoreBE32(raw + 28, UInt32(e.putAwayFolderID));
      } else {
        ExtendedFileInfo e;
        std::memcpy(&e, x, sizeof e);
        for (int i = 0; i < 4; ++i) sp::StoreBE16(raw + 16 + 2 * i, UInt16(e.reserved1[i]));
        sp::StoreBE16(raw + 24, e.extendedFinderFlags);
        sp::StoreBE16(raw + 26, UInt16(e.reserved2));
        sp::StoreBE32(raw + 28, UInt32(e.putAwayFolderID));
      }
    }
    OSErr err = WriteFinderInfo(item.path, raw);
    if (err != noErr && result == noErr) result = err;
  }
  return result;
}

OSErr FSSpecAndFInfoOfPath(const std::string& path, FSSpec* spec, FInfo* info) {
  if (spec == nullptr || info == nullptr) return paramErr;
  Location item;
  const OSErr err = LocatePath(path, item);
  if (err != noErr) return err;
  MakeFSSpec(item, spec);
  std::memset(info, 0, sizeof *info);
  if (!item.isFolder) {
    UInt8 raw[32];
    ReadShownFinderInfo(item, raw);
    DecodeFInfo(raw, info);
  }
  return noErr;
}

}  // namespace files
}  // namespace sp_platform

using namespace sp_platform::files;

// ---- FSSpec and FSRef -----------------------------------------------------------------------

OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* spec) {
  if (spec == nullptr) return paramErr;
  std::memset(spec, 0, sizeof *spec);
  Location item;
  OSErr err = LocateClassic(vRefNum, dirID, fileName, item);
  if (err != noErr && err != fnfErr) return err;
  if (err == fnfErr && ClassicName(item.name, 0, 255).size() > kSpecNameLimit) {
    return bdNamErr;  // a missing item whose name no FSSpec can carry
  }
  MakeFSSpec(item, spec);
  return err;
}

OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef) {
  if (newRef == nullptr) return paramErr;
  if (OSErr err = CheckFSSpec(source)) return err;
  Location item;
  OSErr err = LocateClassic(source->vRefNum, source->parID, source->name, item);
  if (err != noErr) return err;
  MakeFSRef(item, newRef);
  return noErr;
}

OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                         TextEncoding, FSRef* newRef) {
  if (parentRef == nullptr || newRef == nullptr || (name == nullptr && nameLength != 0)) {
    return paramErr;
  }
  Location folder;
  OSErr err = LocateRef(parentRef, folder);
  if (err != noErr) return err;
  if (!folder.isFolder) return errFSNotAFolder;
  Location item;
  err = LocateUnicodeInFolder(folder, name, nameLength, item);
  if (err != noErr) return err;
  MakeFSRef(item, newRef);
  return noErr;
}

OSErr PBMakeFSRefSync(FSRefParam* pb) {
  if (pb == nullptr) return paramErr;
  OSErr err = paramErr;
  if (pb->newRef != nullptr) {
    Location item;
    err = LocateClassic(pb->ioVRefNum, pb->ioDirID, pb->ioNamePtr, item);
    if (err == noErr) MakeFSRef(item, pb->newRef);
  }
  pb->ioResult = err;
  return err;
}

OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2) {
  if (ref1 == nullptr || ref2 == nullptr) return paramErr;
  Location a, b;
  OSErr err = LocateRef(ref1, a);
  if (err != noErr) return err;
  err = LocateRef(ref2, b);
  if (err != noErr) return err;
  if (a.vRefNum != b.vRefNum) return diffVolErr;
  return a.nodeID == b.nodeID ? OSErr(noErr) : OSErr(errFSRefsDifferent);
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef) {
  if (ref == nullptr) return paramErr;
  Location item;
  OSErr err = LocateRef(ref, item);
  if (err != noErr) return err;
  FillCatalogInfo(item, whichInfo, catalogInfo);
  if (outName != nullptr) UnicodeName(item.name, outName, ParentPath(item.path));
  if (fsSpec != nullptr) MakeFSSpec(item, fsSpec);
  if (parentRef != nullptr) {
    Location parent;
    if (item.nodeID != UInt32(fsRtDirID) &&
        LocateNode(item.vRefNum, item.parentID, parent) == noErr) {
      MakeFSRef(parent, parentRef);
    } else {
      std::memset(parentRef->hidden, 0, sizeof parentRef->hidden);
    }
  }
  return noErr;
}

OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                       const FSCatalogInfo* catalogInfo) {
  if (ref == nullptr || catalogInfo == nullptr) return paramErr;
  Location item;
  OSErr err = LocateRef(ref, item);
  if (err != noErr) return err;
  return ApplyCatalogInfo(item, whichInfo, *catalogInfo);
}

OSErr PBGetCatalogInfoSync(FSRefParam* pb) {
  if (pb == nullptr) return paramErr;
  OSErr err =
      FSGetCatalogInfo(pb->ref, pb->whichInfo, pb->catInfo, pb->outName, pb->spec, pb->parentRef);
  pb->ioResult = err;
  return err;
}

// ---- Classic catalogue information ----------------------------------------------------------

OSErr PBGetCatInfoSync(CInfoPBPtr pb) {
  if (pb == nullptr) return paramErr;
  HFileInfo& f = pb->hFileInfo;
  Location item;
  OSErr err;
  if (f.ioFDirIndex < 0) {
    err = LocateClassic(f.ioVRefNum, pb->dirInfo.ioDrDirID, nullptr, item);
  } else if (f.ioFDirIndex == 0) {
    err = LocateClassic(f.ioVRefNum, f.ioDirID, f.ioNamePtr, item);
  } else {
    Location folder;
    err = LocateClassic(f.ioVRefNum, f.ioDirID, nullptr, folder);
    if (err == noErr) err = NthItem(folder, f.ioFDirIndex, false, item);
  }
  if (err == noErr) {
    if (f.ioFDirIndex != 0 && f.ioNamePtr != nullptr) {
      CopyToPascal(ShownClassicName(item, kClassicNameLimit), f.ioNamePtr, kClassicNameLimit);
    }
    FillCatInfo(item, *pb);
  }
  f.ioResult = err;
  return err;
}

OSErr SpGetFolderNameAndParent(SInt16 vRefNum, SInt32 dirID, StringPtr name, SInt32* nodeID,
                               SInt32* parentID) {
  Location item;
  const OSErr err = LocateClassic(vRefNum, dirID, nullptr, item);
  if (err != noErr) return err;
  if (name != nullptr) {
    CopyToPascal(ShownClassicName(item, kClassicNameLimit), name, kClassicNameLimit);
  }
  if (nodeID != nullptr) *nodeID = SInt32(item.nodeID);
  if (parentID != nullptr) *parentID = SInt32(item.parentID);
  return noErr;
}

OSErr PBHGetFInfoSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  HFileParam& f = pb->fileParam;
  Location item;
  OSErr err;
  if (f.ioFDirIndex > 0) {
    Location folder;
    err = LocateClassic(f.ioVRefNum, f.ioDirID, nullptr, folder);
    if (err == noErr) err = NthItem(folder, f.ioFDirIndex, true, item);
    if (err == noErr && f.ioNamePtr != nullptr) {
      CopyToPascal(ShownClassicName(item, kClassicNameLimit), f.ioNamePtr, kClassicNameLimit);
    }
  } else {
    err = LocateFile(f.ioVRefNum, f.ioDirID, f.ioNamePtr, item);
  }
  if (err == noErr) FillFileParam(item, f);
  f.ioResult = err;
  return err;
}

OSErr PBHSetFInfoSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  HFileParam& f = pb->fileParam;
  Location item;
  OSErr err = LocateFile(f.ioVRefNum, f.ioDirID, f.ioNamePtr, item);
  if (err == noErr) err = SetFInfoOf(item, f.ioFlFndrInfo);
  // Zero dates are taken as "not given": a cleared parameter block never moves a file's
  // dates back to 1904.
  if (err == noErr) err = WriteDates(item, &f.ioFlCrDat, &f.ioFlMdDat);
  f.ioResult = err;
  return err;
}

OSErr HGetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FInfo* fndrInfo) {
  if (fndrInfo == nullptr) return paramErr;
  Location item;
  OSErr err = LocateFile(vRefNum, dirID, fileName, item);
  if (err != noErr) return err;
  UInt8 raw[32];
  ReadShownFinderInfo(item, raw);
  DecodeFInfo(raw, fndrInfo);
  return noErr;
}

OSErr HSetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, const FInfo* fndrInfo) {
  if (fndrInfo == nullptr) return paramErr;
  Location item;
  OSErr err = LocateFile(vRefNum, dirID, fileName, item);
  if (err != noErr) return err;
  return SetFInfoOf(item, *fndrInfo);
}

OSErr FSpGetFInfo(const FSSpec* spec, FInfo* fndrInfo) {
  if (OSErr err = CheckFSSpec(spec)) return err;
  return HGetFInfo(spec->vRefNum, spec->parID, spec->name, fndrInfo);
}

OSErr FSpSetFInfo(const FSSpec* spec, const FInfo* fndrInfo) {
  if (OSErr err = CheckFSSpec(spec)) return err;
  return HSetFInfo(spec->vRefNum, spec->parID, spec->name, fndrInfo);
}

// ---- File ids -------------------------------------------------------------------------------

OSErr PBResolveFileIDRefSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  FIDParam& p = pb->fidParam;
  Location item;
  OSErr err =
      p.ioFileID == 0 ? OSErr(fidNotFound) : LocateNode(p.ioVRefNum, UInt32(p.ioFileID), item);
  if (err == fnfErr) err = fidNotFound;
  if (err == noErr && item.isFolder) err = notAFileErr;
  if (err == noErr) {
    if (p.ioNamePtr != nullptr) {
      CopyToPascal(ShownClassicName(item, kClassicNameLimit), p.ioNamePtr, kClassicNameLimit);
    }
    p.ioSrcDirID = SInt32(item.parentID);
  }
  p.ioResult = err;
  return err;
}

OSErr PBCreateFileIDRefSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  FIDParam& p = pb->fidParam;
  Location item;
  OSErr err = LocateClassic(p.ioVRefNum, p.ioSrcDirID, p.ioNamePtr, item);
  if (err == noErr && item.isFolder) err = notAFileErr;
  if (err == noErr) p.ioFileID = SInt32(item.nodeID);
  p.ioResult = err;
  return err;
}

// ---- Folder listings ------------------------------------------------------------------------

struct OpaqueFSIterator {
  Location folder;
  std::shared_ptr<const std::vector<std::string>> names;
  std::size_t next = 0;
};

namespace {

// Iterators handed out and not closed yet: anything else given back is refused.
std::set<OpaqueFSIterator*>& LiveIterators() {
  static std::set<OpaqueFSIterator*>& live = *new std::set<OpaqueFSIterator*>;
  return live;
}

}  // namespace

OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags iteratorFlags, FSIterator* iterator) {
  if (container == nullptr || iterator == nullptr) return paramErr;
  *iterator = nullptr;
  if (iteratorFlags != kFSIterateFlat) return errFSBadIteratorFlags;
  Location folder;
  OSErr err = LocateRef(container, folder);
  if (err != noErr) return err;
  if (!folder.isFolder) return errFSNotAFolder;
  auto names = FolderListing(folder);
  if (!names) return permErr;
  auto* it = new OpaqueFSIterator;
  it->folder = folder;
  it->names = names;
  LiveIterators().insert(it);
  *iterator = it;
  return noErr;
}

OSErr FSGetCatalogInfoBulk(FSIterator iterator, ItemCount maximumObjects, ItemCount* actualObjects,
                           Boolean* containerChanged, FSCatalogInfoBitmap whichInfo,
                           FSCatalogInfo* catalogInfos, FSRef* refs, FSSpec* specs,
                           HFSUniStr255* names) {
  if (actualObjects != nullptr) *actualObjects = 0;
  if (containerChanged != nullptr) *containerChanged = false;
  if (iterator == nullptr || actualObjects == nullptr) return paramErr;
  if (LiveIterators().count(iterator) == 0) return errFSIteratorNotFound;
  if (maximumObjects == 0) return errFSBadItemCount;
  ItemCount count = 0;
  const std::vector<std::string>& all = *iterator->names;
  while (count < maximumObjects && iterator->next < all.size()) {
    Location item;
    // An item removed since the iterator was opened is passed over.
    if (LocateInFolder(iterator->folder, all[iterator->next++], item) != noErr) continue;
    if (catalogInfos != nullptr) FillCatalogInfo(item, whichInfo, &catalogInfos[count]);
    if (refs != nullptr) MakeFSRef(item, &refs[count]);
    if (specs != nullptr) MakeFSSpec(item, &specs[count]);
    if (names != nullptr) UnicodeName(item.name, &names[count], ParentPath(item.path));
    ++count;
  }
  *actualObjects = count;
  return count == 0 ? OSErr(errFSNoMoreItems) : OSErr(noErr);
}

OSErr FSCloseIterator(FSIterator iterator) {
  if (iterator == nullptr) return paramErr;
  if (LiveIterators().erase(iterator) == 0) return errFSIteratorNotFound;
  delete iterator;
  return noErr;
}

OSErr FSGetDataForkName(HFSUniStr255* dataForkName) {
  if (dataForkName == nullptr) return paramErr;
  dataForkName->length = 0;
  return noErr;
}

// The two views of CInfoPBRec share their fields' places, as callers mix them.
static_assert(offsetof(HFileInfo, ioDirID) == offsetof(DirInfo, ioDrDirID), "CInfoPBRec layout");
static_assert(offsetof(HFileInfo, ioFlFndrInfo) == offsetof(DirInfo, ioDrUsrWds),
              "CInfoPBRec layout");
static_assert(offsetof(HFileInfo, ioFlCrDat) == offsetof(DirInfo, ioDrCrDat), "CInfoPBRec layout");
static_assert(offsetof(HFileInfo, ioFlMdDat) == offsetof(DirInfo, ioDrMdDat), "CInfoPBRec layout");
static_assert(offsetof(HFileInfo, ioFlXFndrInfo) == offsetof(DirInfo, ioDrFndrInfo),
              "CInfoPBRec layout");
static_assert(offsetof(HFileInfo, ioFlParID) == offsetof(DirInfo, ioDrParID), "CInfoPBRec layout");
static_assert(sizeof(FSRef) == 80 && sizeof(FInfo) == 16 && sizeof(FileInfo) == 16 &&
                  sizeof(FolderInfo) == 16 && sizeof(ExtendedFileInfo) == 16 &&
                  sizeof(ExtendedFolderInfo) == 16 && sizeof(FSPermissionInfo) == 16,
              "Finder records are sixteen bytes");
