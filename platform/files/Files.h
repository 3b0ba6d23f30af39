// File Manager: volumes, the catalogue (files and folders by volume, directory id and name, by
// file id, by FSSpec and by FSRef), Finder information, changes (create, delete, rename, move,
// copy), forks and asynchronous I/O.
//
// How the Linux file system appears through these calls:
// - Volumes are the mount points of /proc/self/mountinfo (pseudo file systems left out). The
//   volume holding $HOME is vRefNum -1; kOnSystemDisk and 0 (the default volume) stand for it.
//   Other mounts are -2, -3, ... in mountinfo order; emulated audio CDs get numbers of their
//   own. A volume's name is the base name of its mount point, "Root" for "/". The table is
//   read again when it changes: a disk mounted while the program runs is a volume with a new
//   number from the next call on (also when its folder is reached by name from the volume
//   below), and an unmounted one is gone (nsvErr).
// - The root folder of a volume has directory id 2 (fsRtDirID), its parent 1 (fsRtParID).
//   Every other item's id is its inode number when that is above 2 and fits in 31 bits, else
//   a synthetic id (0x80000000 and up) that no inode id of the volume can take. Ids are
//   persistent: they survive renames and moves made through these calls, and the program's
//   restart. Files and folders share one id space per volume, so a file id is also what
//   PBResolveFileIDRefSync takes.
// - A symbolic link is an item of its own, with its own id, as an alias file is: deleting,
//   renaming, moving it or putting it in the Trash acts on the link, never on its target.
//   It shows its target's kind and data (a link to a folder lists that folder's items, with
//   their own ids and parent); a link that leads nowhere is a file whose data cannot be
//   opened and is not listed in its folder.
// - Names are case-sensitive, as Linux names are. A name in a classic call (Str31, Str63,
//   Str255) is MacJapanese; a Linux name holding ':' shows it as '/' (':' separates the
//   parts of a classic path), and back. A name MacJapanese cannot hold, or one longer than
//   the call's limit (31 bytes for the classic calls, 63 for an FSSpec), is given as a
//   stand-in: the characters that fit, '#' and the item's id in hex, then a short extension
//   when there is one ("Long name of a#2A1F3.aiff"); the look-ups take the stand-in back. The
//   FSRef calls carry the full Unicode name (HFSUniStr255, 255 UTF-16 units).
// - A Linux name that is no UTF-8 (from an old archive) keeps its bytes: valid Shift-JIS is
//   its own classic name and its decoding the Unicode name; other bytes that are no UTF-8
//   show as a stand-in in the classic calls and as U+DC80 + byte in the Unicode name (and in
//   CFURL path strings), which the calls take back to the same bytes.
// - Classic look-ups take a partial path (":Folder:File", relative to the given folder) or a
//   full path ("Volume:Folder:File"; the volume and directory given are then ignored). A
//   directory id of 0 means the root folder of the volume.
// - Finder information (type, creator, flags, location) lives in the extended attribute
//   "user.finderinfo" (32 bytes, big-endian). Where the file system keeps no extended
//   attributes it reads as zeros and writes succeed without effect. A name starting with '.'
//   reads as invisible (kIsInvisible) in every call that gives Finder flags.
// - Dates of the classic records (ioFlCrDat, ioFlMdDat, ioDrCrDat, ioVCrDate, ...) are
//   seconds since 1904 in local time; the UTCDateTime fields of FSCatalogInfo and FSVolumeInfo
//   are UTC. A file's creation date is the stamp the layer's create calls record (from the
//   program's clock), else the file system's birth time, else the modification time.
// - Files have no resource fork: its sizes are 0.
//
// Results are the File Manager's codes (fnfErr, dirNFErr, dupFNErr, permErr, ...). No call
// throws; pointers are checked where they come in (paramErr).
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"
#include "TextCommon.h"

// ---- Result codes of the File Manager (those MacTypes.h does not hold) ----------------------

enum : OSErr {
  extFSErr = -58,
  fsRnErr = -59,
  badMDBErr = -60,
  nsDrvErr = -56,
  noMacDskErr = -57,
  notAFileErr = -1302,
  diffVolErr = -1303,
  catChangedErr = -1304,
  desktopDamagedErr = -1305,
  sameFileErr = -1306,
  badFidErr = -1307,
  notARemountErr = -1308,
  fileBoundsErr = -1309,
  fsDataTooBigErr = -1310,
  volVMBusyErr = -1311,
  badFCBErr = -1327,
  errFSUnknownCall = -1400,
  errFSBadFSRef = -1401,
  errFSBadForkName = -1402,
  errFSBadBuffer = -1403,
  errFSBadForkRef = -1404,
  errFSBadInfoBitmap = -1405,
  errFSMissingCatInfo = -1406,
  errFSNotAFolder = -1407,
  errFSForkNotFound = -1409,
  errFSNameTooLong = -1410,
  errFSMissingName = -1411,
  errFSBadPosMode = -1412,
  errFSBadAllocFlags = -1413,
  errFSBadItemCount = -1418,
  errFSBadSearchParams = -1419,
  errFSRefsDifferent = -1420,
  errFSForkExists = -1421,
  errFSBadIteratorFlags = -1422,
  errFSIteratorNotFound = -1423,
  errFSIteratorNotSupported = -1424,
  afpAccessDenied = -5000,
  afpObjectTypeErr = -5025,
};

// ---- Constants ------------------------------------------------------------------------------

enum : SInt16 {
  kOnSystemDisk = -32768,  // the volume holding the user's home
  kFSInvalidVolumeRefNum = 0,
};

// Special directory ids.
enum : SInt32 {
  fsRtParID = 1,  // the parent of every volume's root folder
  fsRtDirID = 2,  // the root folder of a volume
};

// Access permissions of the open calls.
enum : SInt8 {
  fsCurPerm = 0,
  fsRdPerm = 1,
  fsWrPerm = 2,
  fsRdWrPerm = 3,
  fsRdWrShPerm = 4,
};

// Positioning modes (ioPosMode, positionMode).
enum : UInt16 {
  fsAtMark = 0,
  fsFromStart = 1,
  fsFromLEOF = 2,
  fsFromMark = 3,
  noCacheMask = 0x0020,
  rdVerifyMask = 0x0040,
};

// Finder flags (FInfo.fdFlags, DInfo.frFlags, FileInfo.finderFlags).
enum : UInt16 {
  kIsOnDesk = 0x0001,
  kColor = 0x000E,
  kIsShared = 0x0040,
  kHasNoINITs = 0x0080,
  kHasBeenInited = 0x0100,
  kHasCustomIcon = 0x0400,
  kIsStationery = 0x0800,
  kNameLocked = 0x1000,
  kHasBundle = 0x2000,
  kIsInvisible = 0x4000,
  kIsAlias = 0x8000,
};

// ioFlAttrib bits.
enum : UInt8 {
  kioFlAttribLockedMask = 0x01,
  kioFlAttribResOpenMask = 0x04,
  kioFlAttribDataOpenMask = 0x08,
  kioFlAttribDirMask = 0x10,
  ioDirMask = 0x10,
  kioFlAttribFileOpenMask = 0x80,
};

// ioVAtrb bits.
enum : UInt16 {
  kioVAtrbHardwareLockedMask = 0x0080,
  kioVAtrbSoftwareLockedMask = 0x8000,
};

// FSCatalogInfo.nodeFlags.
enum : UInt16 {
  kFSNodeLockedBit = 0,
  kFSNodeLockedMask = 0x0001,
  kFSNodeResOpenBit = 2,
  kFSNodeResOpenMask = 0x0004,
  kFSNodeDataOpenBit = 3,
  kFSNodeDataOpenMask = 0x0008,
  kFSNodeIsDirectoryBit = 4,
  kFSNodeIsDirectoryMask = 0x0010,
  kFSNodeForkOpenBit = 7,
  kFSNodeForkOpenMask = 0x0080,
};

// Which fields of an FSCatalogInfo a call reads or writes.
typedef UInt32 FSCatalogInfoBitmap;
enum : FSCatalogInfoBitmap {
  kFSCatInfoNone = 0x00000000,
  kFSCatInfoTextEncoding = 0x00000001,
  kFSCatInfoNodeFlags = 0x00000002,
  kFSCatInfoVolume = 0x00000004,
  kFSCatInfoParentDirID = 0x00000008,
  kFSCatInfoNodeID = 0x00000010,
  kFSCatInfoCreateDate = 0x00000020,
  kFSCatInfoContentMod = 0x00000040,
  kFSCatInfoAttrMod = 0x00000080,
  kFSCatInfoAccessDate = 0x00000100,
  kFSCatInfoBackupDate = 0x00000200,
  kFSCatInfoPermissions = 0x00000400,
  kFSCatInfoFinderInfo = 0x00000800,
  kFSCatInfoFinderXInfo = 0x00001000,
  kFSCatInfoValence = 0x00002000,
  kFSCatInfoDataSizes = 0x00004000,
  kFSCatInfoRsrcSizes = 0x00008000,
  kFSCatInfoSharingFlags = 0x00010000,
  kFSCatInfoUserPrivs = 0x00020000,
  kFSCatInfoUserAccess = 0x00080000,
  kFSCatInfoAllDates = 0x000003E0,
  kFSCatInfoGettableInfo = 0x0003FFFF,
  kFSCatInfoSettableInfo = 0x00001FE3,
};

// FSOpenIterator flags.
typedef UInt32 FSIteratorFlags;
enum : FSIteratorFlags {
  kFSIterateFlat = 0,
  kFSIterateSubtree = 1,
  kFSIterateDelete = 2,
};

// Which fields of an FSVolumeInfo FSGetVolumeInfo fills.
typedef UInt32 FSVolumeInfoBitmap;
enum : FSVolumeInfoBitmap {
  kFSVolInfoNone = 0x0000,
  kFSVolInfoCreateDate = 0x0001,
  kFSVolInfoModDate = 0x0002,
  kFSVolInfoBackupDate = 0x0004,
  kFSVolInfoCheckedDate = 0x0008,
  kFSVolInfoFileCount = 0x0010,
  kFSVolInfoDirCount = 0x0020,
  kFSVolInfoSizes = 0x0040,
  kFSVolInfoBlocks = 0x0080,
  kFSVolInfoNextAlloc = 0x0100,
  kFSVolInfoRsrcClump = 0x0200,
  kFSVolInfoDataClump = 0x0400,
  kFSVolInfoNextID = 0x0800,
  kFSVolInfoFinderInfo = 0x1000,
  kFSVolInfoFlags = 0x2000,
  kFSVolInfoFSInfo = 0x4000,
  kFSVolInfoDriveInfo = 0x8000,
  kFSVolInfoGettableInfo = 0xFFFF,
};

// FSVolumeInfo.flags.
enum : UInt16 {
  kFSVolFlagDefaultVolumeBit = 5,
  kFSVolFlagDefaultVolumeMask = 0x0020,
  kFSVolFlagFilesOpenBit = 6,
  kFSVolFlagFilesOpenMask = 0x0040,
  kFSVolFlagHardwareLockedBit = 7,
  kFSVolFlagHardwareLockedMask = 0x0080,
  kFSVolFlagSoftwareLockedBit = 15,
  kFSVolFlagSoftwareLockedMask = 0x8000,
};

// The file system id (ioVFSID, FSVolumeInfo.filesystemID) of an emulated audio-CD volume.
enum : UInt16 { kSpAudioCDFileSystemID = 0x4A48 };

// FSAllocateFork flags.
typedef UInt16 FSAllocationFlags;
enum : FSAllocationFlags {
  kFSAllocDefaultFlags = 0x0000,
  kFSAllocAllOrNothingMask = 0x0001,
  kFSAllocContiguousMask = 0x0002,
  kFSAllocNoRoundUpMask = 0x0004,
  kFSAllocReservedMask = 0xFFF8,
};

// GetVolParmsInfoBuffer.vMAttrib bits (those the layer reports).
enum : SInt32 {
  bHasExtFSVol = 16,
  bHasFileIDs = 17,
  bHasCatSearch = 18,
  bHasCopyFile = 21,
  bHasOpenDeny = 20,
  bNoVNEdit = 10,
};

// ---- Records --------------------------------------------------------------------------------

typedef SInt16 FSVolumeRefNum;
typedef SInt16 FSIORefNum;

// A file or folder: 80 opaque bytes (a magic, the volume, the item's id and its parent's id),
// valid across the program's runs as long as the item exists.
struct FSRef {
  UInt8 hidden[80];
};
typedef FSRef* FSRefPtr;

// A Unicode name: up to 255 UTF-16 units.
struct HFSUniStr255 {
  UInt16 length;
  UniChar unicode[255];
};
typedef const HFSUniStr255* ConstHFSUniStr255Param;

// Seconds since 1904-01-01 00:00 UTC: 48 bits of seconds and a 16-bit fraction.
struct UTCDateTime {
  UInt16 highSeconds;
  UInt32 lowSeconds;
  UInt16 fraction;
};
typedef UTCDateTime* UTCDateTimePtr;

// Finder information of a file.
struct FInfo {
  OSType fdType;
  OSType fdCreator;
  UInt16 fdFlags;
  Point fdLocation;  // (-1, -1): let the Finder place it
  SInt16 fdFldr;
};

// Extended Finder information of a file.
struct FXInfo {
  SInt16 fdIconID;
  SInt16 fdReserved[3];
  SInt8 fdScript;
  SInt8 fdXFlags;
  SInt16 fdComment;
  SInt32 fdPutAway;
};

// Finder information of a folder.
struct DInfo {
  Rect frRect;  // the folder's window
  UInt16 frFlags;
  Point frLocation;
  SInt16 frView;
};

// Extended Finder information of a folder.
struct DXInfo {
  Point frScroll;
  SInt32 frOpenChain;
  SInt8 frScript;
  SInt8 frXFlags;
  SInt16 frComment;
  SInt32 frPutAway;
};

// The same sixteen bytes as FSCatalogInfo.finderInfo / extFinderInfo hold them.
struct FileInfo {
  OSType fileType;
  OSType fileCreator;
  UInt16 finderFlags;
  Point location;
  UInt16 reservedField;
};
struct FolderInfo {
  Rect windowBounds;
  UInt16 finderFlags;
  Point location;
  UInt16 reservedField;
};
struct ExtendedFileInfo {
  SInt16 reserved1[4];
  UInt16 extendedFinderFlags;
  SInt16 reserved2;
  SInt32 putAwayFolderID;
};
struct ExtendedFolderInfo {
  Point scrollPosition;
  SInt32 reserved1;
  UInt16 extendedFinderFlags;
  SInt16 reserved2;
  SInt32 putAwayFolderID;
};

// FSCatalogInfo.permissions seen as a record: owner, group and the POSIX mode bits
// (0x1C0 = the owner may read, write and search). Cast the permissions array to it.
struct FSPermissionInfo {
  UInt32 userID;
  UInt32 groupID;
  UInt8 reserved1;
  UInt8 userAccess;
  UInt16 mode;
  UInt32 reserved2;
};

// What the catalogue knows about one file or folder; the whichInfo bitmap of each call says
// which fields count.
struct FSCatalogInfo {
  UInt16 nodeFlags;  // kFSNodeIsDirectoryMask for a folder
  FSVolumeRefNum volume;
  UInt32 parentDirID;
  UInt32 nodeID;
  UInt8 sharingFlags;
  UInt8 userPrivileges;
  UInt8 reserved1;
  UInt8 reserved2;
  UTCDateTime createDate;
  UTCDateTime contentModDate;
  UTCDateTime attributeModDate;
  UTCDateTime accessDate;
  UTCDateTime backupDate;
  UInt32 permissions[4];               // an FSPermissionInfo
  alignas(4) UInt8 finderInfo[16];     // a FileInfo (file) or FolderInfo (folder)
  alignas(4) UInt8 extFinderInfo[16];  // an ExtendedFileInfo or ExtendedFolderInfo
  UInt64 dataLogicalSize;
  UInt64 dataPhysicalSize;
  UInt64 rsrcLogicalSize;
  UInt64 rsrcPhysicalSize;
  UInt32 valence;  // items in a folder
  TextEncoding textEncodingHint;
};
typedef FSCatalogInfo* FSCatalogInfoPtr;

// An open folder listing of FSOpenIterator.
typedef struct OpaqueFSIterator* FSIterator;

// What FSGetVolumeInfo tells about a volume.
struct FSVolumeInfo {
  UTCDateTime createDate;
  UTCDateTime modifyDate;
  UTCDateTime backupDate;
  UTCDateTime checkedDate;
  UInt32 fileCount;
  UInt32 folderCount;
  UInt64 totalBytes;
  UInt64 freeBytes;
  UInt32 blockSize;
  UInt32 totalBlocks;
  UInt32 freeBlocks;
  UInt32 nextAllocation;
  UInt32 rsrcClumpSize;
  UInt32 dataClumpSize;
  UInt32 nextCatalogID;
  UInt8 finderInfo[32];
  UInt16 flags;
  UInt16 filesystemID;  // kSpAudioCDFileSystemID for an emulated audio CD
  UInt16 signature;     // 'H+' (0x482B) for ordinary volumes
  UInt16 driveNumber;
  SInt16 driverRefNum;
};
typedef FSVolumeInfo* FSVolumeInfoPtr;

// What PBHGetVolParmsSync puts in the caller's buffer (ioBuffer, ioReqCount bytes of it).
struct GetVolParmsInfoBuffer {
  SInt16 vMVersion;
  SInt32 vMAttrib;
  Handle vMLocalHand;
  SInt32 vMServerAdr;  // not 0 for a volume on a file server (NFS, SMB, SSHFS, ...)
  SInt32 vMVolumeGrade;
  SInt16 vMForeignPrivID;
  SInt32 vMExtendedAttributes;
  void* vMDeviceID;
  UInt32 vMMaxNameLength;
};

// ---- Parameter blocks ----------------------------------------------------------------------
//
// Each record starts with the same header. The records of one union overlay each other, so
// a caller may fill a field through one view and another through the other (dirInfo.ioDrDirID
// and hFileInfo.ioDirID are the same field); the layer keeps the fields that the two views of
// CInfoPBRec share at the same places.

struct QElem;
typedef QElem* QElemPtr;
union ParamBlockRec;
typedef ParamBlockRec* ParmBlkPtr;
typedef void (*IOCompletionProcPtr)(ParmBlkPtr paramBlock);
typedef IOCompletionProcPtr IOCompletionUPP;
inline IOCompletionUPP NewIOCompletionUPP(IOCompletionProcPtr proc) {
  return proc;
}
inline void DisposeIOCompletionUPP(IOCompletionUPP) {}
inline void InvokeIOCompletionUPP(ParmBlkPtr paramBlock, IOCompletionUPP proc) {
  if (proc != nullptr) proc(paramBlock);
}

#define SP_FILES_PB_HEADER(NamePtrType) \
  QElemPtr qLink;                       \
  SInt16 qType;                         \
  SInt16 ioTrap;                        \
  Ptr ioCmdAddr;                        \
  IOCompletionUPP ioCompletion;         \
  volatile OSErr ioResult;              \
  NamePtrType ioNamePtr;                \
  SInt16 ioVRefNum

struct IOParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt16 ioRefNum;
  SInt8 ioVersNum;
  SInt8 ioPermssn;
  Ptr ioMisc;
  Ptr ioBuffer;
  SInt32 ioReqCount;
  SInt32 ioActCount;
  SInt16 ioPosMode;
  SInt32 ioPosOffset;
};

struct FileParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt16 ioFRefNum;
  SInt8 ioFVersNum;
  SInt8 filler1;
  SInt16 ioFDirIndex;
  SInt8 ioFlAttrib;
  SInt8 ioFlVersNum;
  FInfo ioFlFndrInfo;
  UInt32 ioFlNum;
  UInt16 ioFlStBlk;
  SInt32 ioFlLgLen;
  SInt32 ioFlPyLen;
  UInt16 ioFlRStBlk;
  SInt32 ioFlRLgLen;
  SInt32 ioFlRPyLen;
  UInt32 ioFlCrDat;
  UInt32 ioFlMdDat;
};

struct VolumeParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt32 filler2;
  SInt16 ioVolIndex;
  UInt32 ioVCrDate;
  UInt32 ioVLsBkUp;
  UInt16 ioVAtrb;
  UInt16 ioVNmFls;
  UInt16 ioVDirSt;
  SInt16 ioVBlLn;
  UInt16 ioVNmAlBlks;
  SInt32 ioVAlBlkSiz;
  SInt32 ioVClpSiz;
  UInt16 ioAlBlSt;
  UInt32 ioVNxtFNum;
  UInt16 ioVFrBlk;
};

union ParamBlockRec {
  IOParam ioParam;
  FileParam fileParam;
  VolumeParam volumeParam;
};

struct HIOParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt16 ioRefNum;
  SInt8 ioVersNum;
  SInt8 ioPermssn;
  Ptr ioMisc;
  Ptr ioBuffer;
  SInt32 ioReqCount;
  SInt32 ioActCount;
  SInt16 ioPosMode;
  SInt32 ioPosOffset;
};

struct HFileParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt16 ioFRefNum;
  SInt8 ioFVersNum;
  SInt8 filler1;
  SInt16 ioFDirIndex;
  SInt8 ioFlAttrib;
  SInt8 ioFlVersNum;
  FInfo ioFlFndrInfo;
  SInt32 ioDirID;  // in: the folder; out (PBHGetFInfoSync): the file's id
  UInt16 ioFlStBlk;
  SInt32 ioFlLgLen;
  SInt32 ioFlPyLen;
  UInt16 ioFlRStBlk;
  SInt32 ioFlRLgLen;
  SInt32 ioFlRPyLen;
  UInt32 ioFlCrDat;
  UInt32 ioFlMdDat;
};

struct HVolumeParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt32 filler2;
  SInt16 ioVolIndex;  // > 0: the n-th volume; 0: by ioVRefNum; < 0: by ioNamePtr, else ioVRefNum
  UInt32 ioVCrDate;
  UInt32 ioVLsMod;
  SInt16 ioVAtrb;
  UInt16 ioVNmFls;  // items in the root folder
  UInt16 ioVBitMap;
  UInt16 ioAllocPtr;
  UInt16 ioVNmAlBlks;
  UInt32 ioVAlBlkSiz;
  UInt32 ioVClpSiz;
  UInt16 ioAlBlSt;
  UInt32 ioVNxtCNID;
  UInt16 ioVFrBlk;
  UInt16 ioVSigWord;
  SInt16 ioVDrvInfo;
  SInt16 ioVDRefNum;
  SInt16 ioVFSID;
  UInt32 ioVBkUp;
  SInt16 ioVSeqNum;
  UInt32 ioVWrCnt;
  UInt32 ioVFilCnt;
  UInt32 ioVDirCnt;
  SInt32 ioVFndrInfo[8];
};

struct XVolumeParam {
  SP_FILES_PB_HEADER(StringPtr);
  UInt32 ioXVersion;
  SInt16 ioVolIndex;
  UInt32 ioVCrDate;
  UInt32 ioVLsMod;
  SInt16 ioVAtrb;
  UInt16 ioVNmFls;
  UInt16 ioVBitMap;
  UInt16 ioAllocPtr;
  UInt16 ioVNmAlBlks;
  UInt32 ioVAlBlkSiz;
  UInt32 ioVClpSiz;
  UInt16 ioAlBlSt;
  UInt32 ioVNxtCNID;
  UInt16 ioVFrBlk;
  UInt16 ioVSigWord;
  SInt16 ioVDrvInfo;
  SInt16 ioVDRefNum;
  SInt16 ioVFSID;
  UInt32 ioVBkUp;
  UInt16 ioVSeqNum;
  UInt32 ioVWrCnt;
  UInt32 ioVFilCnt;
  UInt32 ioVDirCnt;
  SInt32 ioVFndrInfo[8];
  UInt64 ioVTotalBytes;
  UInt64 ioVFreeBytes;
};
typedef XVolumeParam* XVolumeParamPtr;

// PBHCopyFileSync: the file (ioNamePtr in ioVRefNum, ioDirID) goes into the folder
// ioNewDirID (or the partial path ioNewName) of ioDstVRefNum, under ioCopyName when not null.
struct CopyParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt16 ioDstVRefNum;
  SInt16 filler8;
  StringPtr ioNewName;
  StringPtr ioCopyName;
  SInt32 ioNewDirID;
  SInt32 filler14;
  SInt32 filler15;
  SInt32 ioDirID;
};

// File ids: PBResolveFileIDRefSync takes ioVRefNum and ioFileID and gives the name (into
// ioNamePtr's buffer, at most 31 bytes) and ioSrcDirID; PBCreateFileIDRefSync takes ioNamePtr,
// ioVRefNum and ioSrcDirID and gives ioFileID.
struct FIDParam {
  SP_FILES_PB_HEADER(StringPtr);
  SInt32 filler14;
  StringPtr ioDestNamePtr;
  SInt32 filler15;
  SInt32 ioDestDirID;
  SInt32 filler16;
  SInt32 filler17;
  SInt32 ioSrcDirID;
  SInt16 filler18;
  SInt32 ioFileID;
};

union HParamBlockRec {
  HIOParam ioParam;
  HFileParam fileParam;
  HVolumeParam volumeParam;
  CopyParam copyParam;
  FIDParam fidParam;
};
typedef HParamBlockRec* HParmBlkPtr;

// PBGetCatInfoSync. ioFDirIndex > 0: the n-th item of the folder (ioDirID / ioDrDirID),
// in the order of their Linux names' bytes; 0: the item named by ioNamePtr; < 0: the folder
// ioDrDirID itself. On return ioDirID / ioDrDirID is the item's id and ioFlParID / ioDrParID
// its parent's; the name is copied into ioNamePtr's buffer (at most 31 bytes) when it is
// not null and the look-up was not by name.
struct HFileInfo {
  SP_FILES_PB_HEADER(StringPtr);
  SInt16 ioFRefNum;
  SInt8 ioFVersNum;
  SInt8 filler1;
  SInt16 ioFDirIndex;
  SInt8 ioFlAttrib;  // kioFlAttribDirMask for a folder
  SInt8 ioACUser;
  FInfo ioFlFndrInfo;
  SInt32 ioDirID;
  UInt16 ioFlStBlk;
  SInt32 ioFlLgLen;
  SInt32 ioFlPyLen;
  UInt16 ioFlRStBlk;
  SInt32 ioFlRLgLen;
  SInt32 ioFlRPyLen;
  UInt32 ioFlCrDat;
  UInt32 ioFlMdDat;
  UInt32 ioFlBkDat;
  FXInfo ioFlXFndrInfo;
  SInt32 ioFlParID;
  SInt32 ioFlClpSiz;
};

struct DirInfo {
  SP_FILES_PB_HEADER(StringPtr);
  SInt16 ioFRefNum;
  SInt8 ioFVersNum;
  SInt8 filler1;
  SInt16 ioFDirIndex;
  SInt8 ioFlAttrib;
  SInt8 ioACUser;
  alignas(4) DInfo ioDrUsrWds;
  SInt32 ioDrDirID;
  UInt16 ioDrNmFls;    // items in the folder
  SInt16 filler3[11];  // sized so the dates below share their places with HFileInfo's
  UInt32 ioDrCrDat;
  UInt32 ioDrMdDat;
  UInt32 ioDrBkDat;
  DXInfo ioDrFndrInfo;
  SInt32 ioDrParID;
};

union CInfoPBRec {
  HFileInfo hFileInfo;
  DirInfo dirInfo;
};
typedef CInfoPBRec* CInfoPBPtr;

// PBCatMoveSync: the item ioNamePtr of (ioVRefNum, ioDirID) into the folder ioNewDirID (or
// the folder that ioNewName names in it) of the same volume.
struct CMovePBRec {
  SP_FILES_PB_HEADER(StringPtr);
  SInt32 filler1;
  StringPtr ioNewName;
  SInt32 filler2;
  SInt32 ioNewDirID;
  SInt32 filler3[2];
  SInt32 ioDirID;
};
typedef CMovePBRec* CMovePBPtr;

// PBGetCatalogInfoSync (ref, whichInfo, catInfo, outName, spec, parentRef) and
// PBMakeFSRefSync (ioVRefNum, ioDirID, ioNamePtr -> newRef).
struct FSRefParam {
  SP_FILES_PB_HEADER(ConstStringPtr);
  SInt16 reserved1;
  UInt8 reserved2;
  UInt8 reserved3;
  const FSRef* ref;
  FSCatalogInfoBitmap whichInfo;
  FSCatalogInfo* catInfo;
  UniCharCount nameLength;
  const UniChar* name;
  SInt32 ioDirID;
  FSSpecPtr spec;
  FSRef* parentRef;
  FSRef* newRef;
  TextEncoding textEncodingHint;
  HFSUniStr255* outName;
};
typedef FSRefParam* FSRefParamPtr;

struct CatPositionRec {
  SInt32 initialize;
  SInt16 priv[6];
};

// The fork calls' parameter block (PBWriteForkAsync, PBCloseForkAsync, ...).
struct FSForkIOParam {
  QElemPtr qLink;
  SInt16 qType;
  SInt16 ioTrap;
  Ptr ioCmdAddr;
  IOCompletionUPP ioCompletion;
  volatile OSErr ioResult;
  void* reserved1;
  SInt16 reserved2;
  FSIORefNum forkRefNum;
  UInt8 reserved3;
  SInt8 permissions;
  const FSRef* ref;
  Ptr buffer;
  UInt32 requestCount;
  UInt32 actualCount;
  UInt16 positionMode;
  SInt64 positionOffset;
  FSAllocationFlags allocationFlags;
  UInt64 allocationAmount;
  UniCharCount forkNameLength;
  const UniChar* forkName;
  CatPositionRec forkIterator;
  HFSUniStr255* outForkName;
};
typedef FSForkIOParam* FSForkIOParamPtr;

// Desktop database requests (PBDTGetPath, PBDTGetIconSync).
struct DTPBRec {
  QElemPtr qLink;
  SInt16 qType;
  SInt16 ioTrap;
  Ptr ioCmdAddr;
  IOCompletionUPP ioCompletion;
  volatile OSErr ioResult;
  StringPtr ioNamePtr;
  SInt16 ioVRefNum;
  SInt16 ioDTRefNum;
  SInt16 ioIndex;
  SInt32 ioTagInfo;
  Ptr ioDTBuffer;
  SInt32 ioDTReqCount;
  SInt32 ioDTActCount;
  SInt8 ioFiller1;
  UInt8 ioIconType;
  SInt16 ioFiller2;
  SInt32 ioDirID;
  OSType ioFileCreator;
  OSType ioFileType;
  SInt32 ioFiller3;
  SInt32 ioDTLgLen;
  SInt32 ioDTPyLen;
  SInt16 ioFiller4[14];
  SInt32 ioAPPLParID;
};
typedef DTPBRec* DTPBPtr;

#undef SP_FILES_PB_HEADER

// ---- Volumes --------------------------------------------------------------------------------

// By ioVolIndex: > 0 the n-th volume (nsvErr past the last); < 0 the volume named by the full
// path in ioNamePtr ("Volume:" or "Volume:Folder:..."), or by ioVRefNum when the name is empty
// or null; 0 by ioVRefNum. The volume's name is copied into ioNamePtr's buffer when it is not
// null (at most 27 bytes). Counts and sizes that do not fit the 16-bit fields are cut to
// their maximum (the allocation block size grows until the block counts fit). ioVNmFls counts
// the files in the root folder. ioVFilCnt and ioVDirCnt count every file and folder of an
// emulated volume; for a mounted file system, whose walk would take minutes, ioVFilCnt is its
// count of used inodes and ioVDirCnt 0.
OSErr PBHGetVInfoSync(HParmBlkPtr paramBlock);
// The same with the 64-bit total and free byte counts (from statvfs).
OSErr PBXGetVolInfoSync(XVolumeParamPtr paramBlock);
// The volume's parameters into ioParam.ioBuffer (ioParam.ioReqCount bytes at most; the count
// copied is in ioActCount). vMServerAdr is not 0 for a network volume.
OSErr PBHGetVolParmsSync(HParmBlkPtr paramBlock);
// By volume (volumeIndex 0) or by index from 1 (volume kFSInvalidVolumeRefNum); nsvErr past
// the last volume. Each output may be null.
OSErr FSGetVolumeInfo(FSVolumeRefNum volume, ItemCount volumeIndex, FSVolumeRefNum* actualVolume,
                      FSVolumeInfoBitmap whichInfo, FSVolumeInfo* info, HFSUniStr255* volumeName,
                      FSRef* rootDirectory);

// Forces the files written on the volume to disk (fdatasync of each file the layer wrote),
// runs the volume's pending completions and saves the catalogue, so ids handed out so far
// resolve after a restart. The error of the first file that failed, else that of the
// catalogue when it could not be saved (ioErr, permErr, wrPermErr, ...: ids handed out since
// the last save would not survive a restart).
OSErr FlushVol(ConstStr63Param volName, SInt16 vRefNum);
OSErr PBFlushVolSync(ParmBlkPtr paramBlock);
// Whether the disk is still writing what the layer wrote into the volume's open files since
// their last flush, as the system tells without waiting; each call first starts the disk on
// what is still only in memory. A caller that asks until it is false finds the flush with
// little left to wait for. False where the system cannot tell.
Boolean SpVolumeWritesInProgress(SInt16 vRefNum);
// Whether a stream of large writes into the fork (a save's) has left the disk more than a few
// megabytes behind: a writer that asks may leave its next write for a later pass instead of
// waiting for the disk. A writer that does not ask waits once the disk is further behind.
// False where the system cannot tell (each large write then waits for the disk as needed).
Boolean SpForkWritesBehind(FSIORefNum forkRefNum);
// Ejects an emulated audio CD (its folder stays); other volumes cannot be unmounted here.
OSErr PBUnmountVol(ParmBlkPtr paramBlock);
OSErr UnmountVol(ConstStr63Param volName, SInt16 vRefNum);

// ---- The media folder -----------------------------------------------------------------------
// Audio CDs besides those in the drives: each sub-folder of the media folder holding
// ".TOC.plist" beside track files "N Title.aiff", and each CUE/BIN image ("Name.cue" beside
// "Name.bin") in it, is an audio CD, mounted when the volumes are next listed and gone when
// it leaves the folder. There is none until the program names one; a null or empty path
// switches it off.
void SpSetAudioCDMediaFolder(const char* path);
// The program's media folder: "media" in its data folder ("$XDG_DATA_HOME/mediamanager", by
// default "~/.local/share/mediamanager"). Nothing is created.
std::string SpDefaultAudioCDMediaFolder();

// The program's data folder, "$XDG_DATA_HOME/mediamanager" (by default
// "~/.local/share/mediamanager"), where the catalogue and the records below are kept. Nothing
// is created.
std::string SpProgramDataFolder();

// ---- Temporary files ------------------------------------------------------------------------
// A file written under a temporary name, to take another's place once it is complete, is
// recorded in the program's data folder from before it is made until it has its final name or
// is gone: the record holds the process's id and start time, the file's path and, once the
// file is made, what tells it from any later file of that name. SpRemoveLeftoverTemporaryFiles
// removes the recorded files of processes that have ended (a kill, a crash); a file is removed
// only while it is still the very file recorded, so a file that merely has such a name is never
// touched.

// Records that this process is about to make the file of that classic name in the folder (the
// name may be taken: making it is the caller's). noErr and the record's number; else the error
// of writing into the data folder, or of finding the folder, and nothing is recorded (then
// nothing should be made: it could not be cleaned up after a kill).
OSErr SpRecordTemporaryFile(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName,
                            UInt32* recordNumber);
// After the file was made: the record takes down which file it is.
OSErr SpTemporaryFileMade(UInt32 recordNumber);
// The file took its final name or is gone: its record goes (0 and unknown numbers: nothing).
void SpForgetTemporaryFile(UInt32 recordNumber);
// Removes the recorded temporary files of processes that have ended, and their records; a
// record whose folder is missing stays (its volume may come back). How many files went.
ItemCount SpRemoveLeftoverTemporaryFiles();

// ---- The catalogue --------------------------------------------------------------------------

// The FSSpec of (vRefNum, dirID, name): noErr when the item exists; fnfErr when only its
// folder exists (the FSSpec is filled and can be given to a create call); dirNFErr when the
// folder does not exist either. An empty or null name gives the folder dirID itself.
OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* spec);
OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef);
// The FSRef of the item of that Unicode name in the folder; fnfErr when it does not exist.
OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                         TextEncoding textEncodingHint, FSRef* newRef);
OSErr PBMakeFSRefSync(FSRefParam* paramBlock);
// noErr when both designate the same item, diffVolErr for different volumes,
// errFSRefsDifferent otherwise.
OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2);
// Every output may be null. The FSSpec's name is at most 63 bytes (a stand-in beyond).
OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef);
// Writes the dates (creation: the layer's stamp; content modification: the file's time), the
// permissions' mode bits and the Finder information the bitmap names; other bits are ignored.
OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                       const FSCatalogInfo* catalogInfo);
OSErr PBGetCatalogInfoSync(FSRefParam* paramBlock);
OSErr PBGetCatInfoSync(CInfoPBPtr paramBlock);
// The name, id and parent id PBGetCatInfoSync gives of the folder dirID (ioFDirIndex < 0)
// alone, without reading its Finder information, dates and valence: for walks up a folder's
// ancestors. Each output may be null.
OSErr SpGetFolderNameAndParent(SInt16 vRefNum, SInt32 dirID, StringPtr name, SInt32* nodeID,
                               SInt32* parentID);
// A file's information (ioFDirIndex 0: by ioNamePtr; > 0: the n-th file of the folder).
// fnfErr for a folder. ioDirID gives back the file's id.
OSErr PBHGetFInfoSync(HParmBlkPtr paramBlock);
OSErr PBHSetFInfoSync(HParmBlkPtr paramBlock);
OSErr HGetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FInfo* fndrInfo);
OSErr HSetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, const FInfo* fndrInfo);
OSErr FSpGetFInfo(const FSSpec* spec, FInfo* fndrInfo);
OSErr FSpSetFInfo(const FSSpec* spec, const FInfo* fndrInfo);
// File ids are the catalogue's ids: resolving one finds the file wherever the layer saw it
// last, also after a rename or a move (fidNotFound when it is gone, notAFileErr for a folder).
OSErr PBResolveFileIDRefSync(HParmBlkPtr paramBlock);
OSErr PBCreateFileIDRefSync(HParmBlkPtr paramBlock);
// A listing of a folder's items (kFSIterateFlat only) in the order of their names' bytes,
// taken when the iterator is opened. FSGetCatalogInfoBulk gives up to maximumObjects at a
// time with noErr, and errFSNoMoreItems (with no items) once the listing is through. Any
// output array may be null.
OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags iteratorFlags, FSIterator* iterator);
OSErr FSGetCatalogInfoBulk(FSIterator iterator, ItemCount maximumObjects, ItemCount* actualObjects,
                           Boolean* containerChanged, FSCatalogInfoBitmap whichInfo,
                           FSCatalogInfo* catalogInfos, FSRef* refs, FSSpec* specs,
                           HFSUniStr255* names);
OSErr FSCloseIterator(FSIterator iterator);
// The name of the data fork: the empty name.
OSErr FSGetDataForkName(HFSUniStr255* dataForkName);

// The item's place as the desktop shows it to a person, in MacJapanese for the program to
// show: its absolute Linux path ("/media/disc/Song.aiff"), with the home folder written "~"
// ("~/Documents/Out"); a name holding ':' keeps it. A character MacJapanese lacks is written
// as near as it can be (an accented letter without its accent), else as '?'. paramErr for a
// null argument, else the error of finding the item.
OSErr SpShownPathOfFSRef(const FSRef* ref, std::string* shownPath);

// The bytes of the longest prefix of whole characters of a classic name (`length` bytes of
// MacJapanese) that is at most `limit` bytes and that, followed by `suffixBytes` bytes of
// ASCII (an extension), still makes a name a Linux folder can hold: at most 255 bytes as
// stored, in UTF-8, where a Japanese character takes three bytes for its two here. 0 for a
// null name or a limit below 1.
SInt32 SpFileNamePrefixThatFits(const char* name, SInt32 length, SInt32 limit, SInt32 suffixBytes);

// ---- Changes --------------------------------------------------------------------------------
//
// Files are made with mode 0666 and folders with 0777, less the umask, unless the FSRef
// calls are given permissions. Moves stay on one volume (badMovErr otherwise). Items moved
// into, renamed in or deleted from a Trash keep the Trash's records in step. An item moved
// into a Trash keeps its name unless another program's record holds that name or the name is
// too long for its record beside it: then it takes the name (cut to fit) and " 1", " 2", ...

// An empty file; dupFNErr when something of that name exists. Its creation date is stamped.
OSErr PBHCreateSync(HParmBlkPtr paramBlock);
OSErr HCreate(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, OSType creator,
              OSType fileType);
OSErr FSpCreate(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode scriptTag);
// A folder; its id comes back in ioDirID.
OSErr PBDirCreateSync(HParmBlkPtr paramBlock);
OSErr DirCreate(SInt16 vRefNum, SInt32 parentDirID, ConstStr255Param directoryName,
                SInt32* createdDirID);
OSErr FSpDirCreate(const FSSpec* spec, ScriptCode scriptTag, SInt32* createdDirID);
// A file or an empty folder (fBsyErr for a folder with items in it).
OSErr PBHDeleteSync(HParmBlkPtr paramBlock);
// The same, finished at once; ioResult and the completion routine follow as for every
// asynchronous call.
OSErr PBHDeleteAsync(HParmBlkPtr paramBlock);
OSErr HDelete(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName);
OSErr FSpDelete(const FSSpec* spec);
// Within the item's folder; dupFNErr when the new name is taken.
OSErr HRename(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName, ConstStr255Param newName);
OSErr FSpRename(const FSSpec* spec, ConstStr255Param newName);
// The same over a file of the new name that is there: it goes in the same step, so the new
// name names either the old file or the renamed one at every moment (rename(2)).
// notAFileErr for a folder to rename, dupFNErr when the new name is a folder's.
OSErr HRenameReplacing(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName,
                       ConstStr255Param newName);
// A FIFO, socket or device under `name` in the folder is no item to the calls above, yet it
// takes the name: SpSpecialItemStandsAt tells whether one is there, and SpRenameSpecialItem
// renames it within its folder as HRenameReplacing renames a file (fnfErr when none is
// there, dupFNErr when the new name is a folder's).
Boolean SpSpecialItemStandsAt(SInt16 vRefNum, SInt32 dirID, ConstStr255Param name);
OSErr SpRenameSpecialItem(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName,
                          ConstStr255Param newName);
// Puts the file `replacement` in the place of the file `target` of the same folder, keeping
// the target restorable in the Trash of its volume: its info file is made there (empty, never
// over another's), the target is given a second name in the Trash (a hard link), the info file
// is written, and only then the replacement is renamed over the target, so that the target's
// name names the old file until it names the new one, whose data are on the disk by then.
// Where the file system has no hard links the old file is copied into the Trash instead, in the
// same order (it costs the copy's room and time, but the name is never without a file), and
// the copy is on the disk before the rename. Where the volume's own Trash cannot be made or
// written (its top folder is another user's), the old file is copied into the home Trash. The
// item in the Trash takes the target's name, or that name and " 1", " 2", ... when it is taken
// there. notAFileErr when either is a folder, badMovErr when they are not in one folder, wPrErr
// on a read-only volume; any failure leaves both files as they were and nothing in the Trash.
// `newRef` (may be null) gets the replacement's FSRef.
OSErr FSReplaceFileKeepingOldInTrash(const FSRef* target, const FSRef* replacement, FSRef* newRef);
// Moves an item into another folder of its volume: the folder ioNewDirID, or the folder that
// ioNewName (a name or partial path) names in it. The item keeps its name; dupFNErr when the
// folder holds that name already, badMovErr for a folder moved into itself.
OSErr PBCatMoveSync(CMovePBPtr paramBlock);
OSErr CatMove(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName, SInt32 newDirID,
              ConstStr255Param newName);
// `dest` is the folder to move into (its FSSpec).
OSErr FSpCatMove(const FSSpec* source, const FSSpec* dest);
// Copies a file's data and extended attributes (Finder information among them).
OSErr PBHCopyFileSync(HParmBlkPtr paramBlock);
// With kFSCatInfoPermissions in whichInfo and a catalogInfo, a file gets mode 0600 and a
// folder 0700 when the owner bits 0x1C0 are asked for (files are never made executable), or
// the mode given less the execute bits; Finder information and dates are written too.
OSErr FSCreateFileUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                          FSRef* newRef, FSSpec* newSpec);
OSErr FSCreateDirectoryUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                               FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                               FSRef* newRef, FSSpec* newSpec, UInt32* newDirID);
OSErr FSDeleteObject(const FSRef* ref);
OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name,
                      TextEncoding textEncodingHint, FSRef* newRef);
OSErr FSMoveObject(const FSRef* ref, const FSRef* destDirectory, FSRef* newRef);

// ---- Side files of saves (this layer's own calls) -------------------------------------------
//
// A file the program keeps is saved whole into a side file beside it, which then takes the
// file's name in one step (SpReplaceFileContents), so that the name holds the old or the complete
// new contents at every moment. A side file is named by its writer's prefix and suffix around
// a tag of the process that writes it: its id, a count and its machine ("4711-2@" and 16
// hexadecimal digits). So copies of the program that save one file at once never write into
// the same side file, even from two machines sharing a home, and the side files that a
// process of this machine left when it was killed in the middle of a save can be told from
// those of a save still going on in another process; another machine's are left alone.

enum { kSpSideFileTagSize = 64 };
// A new tag (ASCII, terminated) into `tag`, which holds kSpSideFileTagSize bytes.
void SpNewSideFileTag(char* tag);
// The tags of the files in the folder named prefix, tag and suffix (MacJapanese; the prefix
// not empty, the suffix may be) that processes which have ended left behind, the most
// recently changed file first; this process's own are never among them.
OSErr SpGetEndedSideFileTags(SInt16 vRefNum, SInt32 dirID, ConstStr255Param prefix,
                             ConstStr255Param suffix, std::vector<std::string>* tags);
// Deletes those files: noErr, or the first failure (the others are still deleted).
OSErr SpDeleteEndedSideFiles(SInt16 vRefNum, SInt32 dirID, ConstStr255Param prefix,
                             ConstStr255Param suffix);
// Saves `size` bytes as the whole of the file `name` in the folder: the side files that ended
// processes left under this prefix and suffix go, a new side file (the prefix, a new tag, the
// suffix) gets the bytes and the Finder information (none when null), is synced and takes
// the name in one step (replacing a file of the name), and the folder is synced so that the
// rename lasts. notAFileErr when the name is a folder's; any failure leaves the file as it was
// and no side file.
OSErr SpReplaceFileContents(SInt16 vRefNum, SInt32 dirID, ConstStr255Param name,
                            ConstStr255Param prefix, ConstStr255Param suffix,
                            const FInfo* finderInfo, const void* bytes, ByteCount size);
// The same save made over several calls, for contents too large to write in one pass of the
// event loop. SpBeginFileReplacement does what SpReplaceFileContents does before the bytes;
// SpWriteFileReplacement adds bytes at the end (started on their way to the disk at once, so
// that the last sync has little left to wait for); SpEndFileReplacement with `keep` gives the
// file the name as SpReplaceFileContents does, or without it, or after a failed write, deletes
// the side file and leaves the file as it was. It disposes of the replacement either way.
struct SpFileReplacement;
OSErr SpBeginFileReplacement(SInt16 vRefNum, SInt32 dirID, ConstStr255Param name,
                             ConstStr255Param prefix, ConstStr255Param suffix,
                             const FInfo* finderInfo, SpFileReplacement** out);
OSErr SpWriteFileReplacement(SpFileReplacement* replacement, const void* bytes, ByteCount size);
OSErr SpEndFileReplacement(SpFileReplacement* replacement, Boolean keep);

// ---- Forks ----------------------------------------------------------------------------------
//
// Files opened by name or FSRef; reference numbers are positive. Asynchronous calls do their
// I/O at once and queue the completion: ioResult is 1 until the completion runs (at the next
// pass of the event loop, or before a later synchronous call on the same file).

OSErr HOpenDF(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission,
              SInt16* refNum);
OSErr FSpOpenDF(const FSSpec* spec, SInt8 permission, SInt16* refNum);
OSErr PBHOpenDFSync(HParmBlkPtr paramBlock);
OSErr FSRead(SInt16 refNum, SInt32* count, void* buffPtr);
OSErr FSWrite(SInt16 refNum, SInt32* count, const void* buffPtr);
OSErr PBReadSync(ParmBlkPtr paramBlock);
OSErr PBWriteSync(ParmBlkPtr paramBlock);
OSErr PBWriteAsync(ParmBlkPtr paramBlock);
OSErr PBCloseSync(ParmBlkPtr paramBlock);
OSErr PBCloseAsync(ParmBlkPtr paramBlock);
OSErr FSClose(SInt16 refNum);
OSErr SetFPos(SInt16 refNum, SInt16 posMode, SInt32 posOff);
OSErr GetFPos(SInt16 refNum, SInt32* filePos);
OSErr GetEOF(SInt16 refNum, SInt32* logEOF);
OSErr SetEOF(SInt16 refNum, SInt32 logEOF);
OSErr PBFlushFileSync(ParmBlkPtr paramBlock);

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                 SInt8 permissions, FSIORefNum* forkRefNum);
OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount);
OSErr FSWriteFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  ByteCount requestCount, const void* buffer, ByteCount* actualCount);
OSErr PBWriteForkAsync(FSForkIOParam* paramBlock);
OSErr PBCloseForkAsync(FSForkIOParam* paramBlock);
OSErr FSCloseFork(FSIORefNum forkRefNum);
OSErr FSGetForkPosition(FSIORefNum forkRefNum, SInt64* position);
OSErr FSSetForkPosition(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset);
OSErr FSGetForkSize(FSIORefNum forkRefNum, SInt64* forkSize);
OSErr FSSetForkSize(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset);
OSErr FSAllocateFork(FSIORefNum forkRefNum, FSAllocationFlags flags, UInt16 positionMode,
                     SInt64 positionOffset, UInt64 requestCount, UInt64* actualCount);

// ---- Desktop database -----------------------------------------------------------------------
//
// Linux keeps no desktop database: both answer as for a volume without one.
OSErr PBDTGetPath(DTPBPtr paramBlock);
OSErr PBDTGetIconSync(DTPBPtr paramBlock);
