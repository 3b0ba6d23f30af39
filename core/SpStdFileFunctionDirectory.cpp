#include "SpStdFileFunctionDirectory.h"

#include <cstring>
#include <new>

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpStdFileFunctionInternal.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpStdFileFunction";
const char kMsgCannotAllocate[] = "cannot allocated memory !!";

// The bulk iterator is read this many entries at a time.
constexpr ItemCount kBulkCount = 20;
// What the bulk listing asks of the catalogue: everything a caller may set, and the entry's
// volume, parent and own id, which the entries' ids and positions come from.
constexpr FSCatalogInfoBitmap kBulkInfo =
    kFSCatInfoSettableInfo | kFSCatInfoVolume | kFSCatInfoParentDirID | kFSCatInfoNodeID;
// The long name of an entry is read into a buffer of this size.
constexpr SInt32 kLongNameBufferSize = 1024;

void FromPascalName(const unsigned char* name, char* out) {
  std::memcpy(out, name + 1, name[0]);
  out[name[0]] = '\0';
}

// Copies text into a buffer of `size` bytes, whole characters only.
void CopyCut(const char* text, char* out, SInt32 size) {
  Sp_CutStringByByteLen(text, static_cast<short>(size - 1), out);
}

bool HasEqual(cDirectoryItem* list, const cDirectoryItem* probe, const unsigned char flags[8]) {
  return list != nullptr &&
         list->GetEqualItemFromListItem(probe, flags[0], flags[1], flags[2], flags[3], flags[4],
                                        flags[5], flags[6], flags[7]) != nullptr;
}

// A copy of the entry for a result list; reports a missing block.
cDirectoryItem* CopyOf(const cDirectoryItem* item, const char* method) {
  cDirectoryItem* copy = new (std::nothrow) cDirectoryItem(*item);
  if (copy == nullptr) SpReportFailure(kSource, method, 2, kMsgCannotAllocate);
  return copy;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// cDirectoryItem
// ---------------------------------------------------------------------------------------------

cDirectoryItem::cDirectoryItem(const cDirectoryItem& other) : cSpListLinks<cDirectoryItem>() {
  StartUpInitialize();
  vRefNum_ = other.vRefNum_;
  parentDirID_ = other.parentDirID_;
  std::memcpy(name_, other.name_, sizeof(name_));
  isDirectory_ = other.isDirectory_;
  finderInfo_ = other.finderInfo_;
  createDate_ = other.createDate_;
  modifyDate_ = other.modifyDate_;
}

void cDirectoryItem::StartUpInitialize() {
  vRefNum_ = 0;
  parentDirID_ = 0;
  std::memset(name_, 0, sizeof(name_));
  std::memset(unicodeName_, 0, sizeof(unicodeName_));
  isDirectory_ = 0;
  std::memset(&finderInfo_, 0, sizeof(finderInfo_));
  fileOrDirID_ = 0;
  hasCatalogInfo_ = 0;
  std::memset(&catalogInfo_, 0, sizeof(catalogInfo_));
  createDate_ = 0;
  modifyDate_ = 0;
}

void cDirectoryItem::SetupItemName(short vRefNum, SInt32 parentDirID, const char* name) {
  vRefNum_ = vRefNum;
  parentDirID_ = parentDirID;
  if (name == nullptr) {
    SpReportFailure(kSource, "cDirectoryItem::SetupItemName", 1, kSpMsgNullArgument);
    name_[0] = '\0';
    return;
  }
  CopyCut(name, name_, kSpDirectoryItemNameSize);
}

void cDirectoryItem::SetupChangedFromUnicodeFileName(const char* name) {
  if (name == nullptr) {
    SpReportFailure(kSource, "cDirectoryItem::SetupChangedFromUnicodeFileName", 1,
                    kSpMsgNullArgument);
    return;
  }
  CopyCut(name, unicodeName_, kSpDirectoryItemNameSize);
}

void cDirectoryItem::SetupFileInfo(const FInfo* finderInfo) {
  if (finderInfo == nullptr) {
    SpReportFailure(kSource, "cDirectoryItem::SetupFileInfo", 1, kSpMsgNullArgument);
    return;
  }
  finderInfo_ = *finderInfo;
}

void cDirectoryItem::SetupFSCatalogInfo(const FSCatalogInfo* info) {
  if (info == nullptr) {
    SpReportFailure(kSource, "cDirectoryItem::SetupFSCatalogInfo", 1, kSpMsgNullArgument);
    return;
  }
  catalogInfo_ = *info;
  hasCatalogInfo_ = 1;
}

void cDirectoryItem::SetupFileInfoFromSetupedFSCatalogInfo() {
  if (!hasCatalogInfo_) return;
  vRefNum_ = catalogInfo_.volume;
  parentDirID_ = static_cast<SInt32>(catalogInfo_.parentDirID);
  fileOrDirID_ = static_cast<SInt32>(catalogInfo_.nodeID);
  createDate_ = catalogInfo_.createDate.lowSeconds;
  modifyDate_ = catalogInfo_.contentModDate.lowSeconds;
}

OSErr cDirectoryItem::SetupFInfoFromSetupedFileData() {
  FInfo info;
  std::memset(&info, 0, sizeof(info));
  OSErr err = Sp_GetFileFinderInformation(vRefNum_, parentDirID_, name_, &info, nullptr);
  if (err == noErr) finderInfo_ = info;
  return err;
}

Boolean cDirectoryItem::IsVisibleFile() const {
  if (name_[0] == '.') return 0;
  return (finderInfo_.fdFlags & kIsInvisible) == 0 ? 1 : 0;
}

OSType cDirectoryItem::GetCreator() const {
  return isDirectory_ ? 0 : finderInfo_.fdCreator;
}

OSType cDirectoryItem::GetFileType() const {
  return isDirectory_ ? 0 : finderInfo_.fdType;
}

OSErr cDirectoryItem::GetFileInfo(FInfo& finderInfo) const {
  finderInfo = finderInfo_;
  return noErr;
}

char* cDirectoryItem::GetFileName(char* buffer, SInt32 size, unsigned char& tooLong) const {
  SInt32 length = GetFileNameLength();
  if (buffer == nullptr || size <= 0 || length > size - 2) {
    tooLong = 1;
    return nullptr;
  }
  tooLong = 0;
  std::memcpy(buffer, name_, static_cast<std::size_t>(length) + 1);
  return buffer;
}

SInt32 cDirectoryItem::GetFileNameLength() const {
  return static_cast<SInt32>(std::strlen(name_));
}

char* cDirectoryItem::GetFullPathName(char* buffer, SInt32 size, unsigned char& tooLong) const {
  short length = 0;
  if (Sp_GetFileOrDirFullPathNameLength(vRefNum_, parentDirID_, name_, length) != noErr) {
    tooLong = 0;
    return nullptr;
  }
  if (buffer == nullptr || size <= 0 || length > size - 2) {
    tooLong = 1;
    return nullptr;
  }
  tooLong = 0;
  // The folder's path is built in a buffer of its own: the paths the catalogue builds are at
  // most 255 bytes long, and the caller's buffer may be smaller than that.
  char folder[kSpMaxFullPathLength + 1];
  if (Sp_DirFullPathNameFromDirID(parentDirID_, vRefNum_, folder) != noErr) return nullptr;
  std::size_t folderLength = std::strlen(folder);
  std::size_t nameLength = std::strlen(name_);
  std::size_t total = folderLength + (folderLength != 0 ? 1 : 0) + nameLength;
  if (total > static_cast<std::size_t>(size - 1)) {
    tooLong = 1;
    return nullptr;
  }
  std::memcpy(buffer, folder, folderLength);
  std::size_t at = folderLength;
  if (folderLength != 0) buffer[at++] = ':';
  std::memcpy(buffer + at, name_, nameLength + 1);
  return buffer;
}

SInt32 cDirectoryItem::GetFullPathNameLength() const {
  short length = 0;
  if (Sp_GetFileOrDirFullPathNameLength(vRefNum_, parentDirID_, name_, length) != noErr) return 0;
  return length;
}

void cDirectoryItem::GetNamePosition(short* vRefNum, SInt32* dirID, char* name, SInt32 size,
                                     unsigned char* tooLong) const {
  if (vRefNum != nullptr) *vRefNum = vRefNum_;
  if (dirID != nullptr) *dirID = parentDirID_;
  if (name != nullptr) {
    unsigned char cut = 0;
    GetFileName(name, size, cut);
    if (tooLong != nullptr) *tooLong = cut;
  }
}

void cDirectoryItem::GetChangedFromUnicodeFileName(char* out) const {
  if (out == nullptr) {
    SpReportFailure(kSource, "cDirectoryItem::GetChangedFromUnicodeFileName", 1,
                    kSpMsgNullArgument);
    return;
  }
  std::memcpy(out, unicodeName_, std::strlen(unicodeName_) + 1);
}

OSErr cDirectoryItem::GetVolumeRefNum(short& vRefNum) const {
  vRefNum = vRefNum_;
  return noErr;
}

OSErr cDirectoryItem::GetUpperDirectoryId(SInt32& dirID) const {
  dirID = parentDirID_;
  return noErr;
}

Boolean cDirectoryItem::EqualDirectoryItem(const cDirectoryItem* other, unsigned char volumeFlag,
                                           unsigned char parentFlag, unsigned char nameFlag,
                                           unsigned char directoryFlag, unsigned char creatorFlag,
                                           unsigned char typeFlag, unsigned char finderFlagsFlag,
                                           unsigned char locationFlag) const {
  if (other == nullptr) {
    return SpReportFailure(kSource, "cDirectoryItem::EqualDirectoryItem", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  if (volumeFlag && vRefNum_ != other->vRefNum_) return 0;
  if (parentFlag && parentDirID_ != other->parentDirID_) return 0;
  if (nameFlag && std::strcmp(name_, other->name_) != 0) return 0;
  if (directoryFlag && isDirectory_ != other->isDirectory_) return 0;
  if (creatorFlag && finderInfo_.fdCreator != other->finderInfo_.fdCreator) return 0;
  if (typeFlag && finderInfo_.fdType != other->finderInfo_.fdType) return 0;
  if (finderFlagsFlag && finderInfo_.fdFlags != other->finderInfo_.fdFlags) return 0;
  if (locationFlag && (finderInfo_.fdLocation.h != other->finderInfo_.fdLocation.h ||
                       finderInfo_.fdLocation.v != other->finderInfo_.fdLocation.v)) {
    return 0;
  }
  return 1;
}

cDirectoryItem* cDirectoryItem::GetEqualItemFromListItem(
    const cDirectoryItem* probe, unsigned char volumeFlag, unsigned char parentFlag,
    unsigned char nameFlag, unsigned char directoryFlag, unsigned char creatorFlag,
    unsigned char typeFlag, unsigned char finderFlagsFlag, unsigned char locationFlag) {
  if (probe == nullptr) {
    return SpReportFailure(kSource, "cDirectoryItem::GetEqualItemFromListItem", 1,
                           kSpMsgNullArgument, static_cast<cDirectoryItem*>(nullptr));
  }
  for (cDirectoryItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->EqualDirectoryItem(probe, volumeFlag, parentFlag, nameFlag, directoryFlag,
                                 creatorFlag, typeFlag, finderFlagsFlag, locationFlag)) {
      return item;
    }
  }
  return nullptr;
}

cDirectoryItem* cDirectoryItem::GetEqualItemFromListItemByName(const cDirectoryItem* probe) {
  if (probe == nullptr) {
    return SpReportFailure(kSource, "cDirectoryItem::GetEqualItemFromListItemByName", 1,
                           kSpMsgNullArgument, static_cast<cDirectoryItem*>(nullptr));
  }
  for (cDirectoryItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (std::strcmp(item->name_, probe->name_) == 0) return item;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// cFileInfoObj
// ---------------------------------------------------------------------------------------------

void cFileInfoObj::StartUpInitialize() {
  vRefNum_ = 0;
  parentDirID_ = 0;
  nameCapacity_ = kSpFileInfoObjNameSize;
  std::memset(name_, 0, sizeof(name_));
}

void cFileInfoObj::SetupFileName(const char* name) {
  if (name == nullptr) {
    SpReportFailure(kSource, "cFileInfoObj::SetupFileName", 1, kSpMsgNullArgument);
    return;
  }
  Sp_CutStringByByteLen(name, static_cast<short>(nameCapacity_ - 2), name_);
}

char* cFileInfoObj::GetFileName(char* buffer, SInt32 size, unsigned char& cut) const {
  if (buffer == nullptr || size <= 0) {
    cut = 1;
    return nullptr;
  }
  SInt32 limit = size - 2 < 0 ? 0 : size - 2;
  if (limit > kSpFileInfoObjNameSize - 1) limit = kSpFileInfoObjNameSize - 1;
  Sp_CutStringByByteLen(name_, static_cast<short>(limit), buffer);
  cut = std::strlen(buffer) < std::strlen(name_) ? 1 : 0;
  return buffer;
}

// ---------------------------------------------------------------------------------------------
// Listing
// ---------------------------------------------------------------------------------------------

namespace {

// Finds the volume a full path names; 0 (the default volume) for anything else.
OSErr VolumeOfFullPath(const char* path, short& vRefNum) {
  const char* colon = std::strchr(path, ':');
  if (colon == nullptr || colon == path) return noErr;
  char volume[256];
  std::size_t length = static_cast<std::size_t>(colon - path);
  if (length > 255) return bdNamErr;
  std::memcpy(volume, path, length);
  volume[length] = '\0';
  return Sp_GetVolIdFromVolName(volume, vRefNum);
}

}  // namespace

OSErr Sp_SerchFolderItemInDirId(short vRefNum, SInt32 dirID, const char* folderName,
                                cDirectoryItem*& list, unsigned char includeInvisibleFlag) {
  static const char kMethod[] = "Sp_SerchFolderItemInDirId";
  list = nullptr;

  Str255 folderPascal;
  bool named = folderName != nullptr && folderName[0] != '\0';
  if (named) {
    if (!Sp_CopyCStringToPascalName(folderName, folderPascal)) return bdNamErr;
    // Entries of a folder found by its full path belong to that path's volume, not to the
    // default one.
    if (vRefNum == 0) {
      OSErr err = VolumeOfFullPath(folderName, vRefNum);
      if (err != noErr) return err;
    }
  }

  CInfoPBRec* pb = reinterpret_cast<CInfoPBRec*>(NewPtrClear(sizeof(CInfoPBRec)));
  if (pb == nullptr) {
    return SpReportFailure(kSource, kMethod, 2, kMsgCannotAllocate, OSErr(memFullErr));
  }

  // The folder's own entry: its id and number of items.
  Str255 itemName;
  itemName[0] = 0;
  pb->dirInfo.ioVRefNum = vRefNum;
  if (named) {
    pb->dirInfo.ioNamePtr = folderPascal;
    pb->dirInfo.ioFDirIndex = 0;
    pb->dirInfo.ioDrDirID = dirID;
  } else {
    pb->dirInfo.ioNamePtr = itemName;
    pb->dirInfo.ioFDirIndex = -1;
    pb->dirInfo.ioDrDirID = dirID;
  }
  OSErr err = PBGetCatInfoSync(pb);
  if (err == noErr && (pb->dirInfo.ioFlAttrib & kioFlAttribDirMask) == 0) err = dirNFErr;
  if (err != noErr) {
    DisposePtr(reinterpret_cast<Ptr>(pb));
    return err;
  }
  const SInt32 folderID = pb->dirInfo.ioDrDirID;
  const UInt16 count = pb->dirInfo.ioDrNmFls;

  cDirectoryItem* tail = nullptr;
  char classicName[256];
  char longName[kLongNameBufferSize];
  // The catalogue's index is a signed 16-bit number: items past 32767 cannot be reached by it.
  const SInt32 last = count > 0x7FFF ? 0x7FFF : count;
  for (SInt32 index = 1; index <= last; ++index) {
    std::memset(pb, 0, sizeof(CInfoPBRec));
    itemName[0] = 0;
    pb->hFileInfo.ioNamePtr = itemName;
    pb->hFileInfo.ioVRefNum = vRefNum;
    pb->hFileInfo.ioFDirIndex = static_cast<SInt16>(index);
    pb->hFileInfo.ioDirID = folderID;
    err = PBGetCatInfoSync(pb);
    if (err != noErr) break;

    const bool isFolder = (pb->hFileInfo.ioFlAttrib & kioFlAttribDirMask) != 0;
    if (!isFolder && !includeInvisibleFlag &&
        (pb->hFileInfo.ioFlFndrInfo.fdFlags & kIsInvisible) != 0) {
      continue;
    }
    cDirectoryItem* item = new (std::nothrow) cDirectoryItem();
    if (item == nullptr) {
      err = SpReportFailure(kSource, kMethod, 2, kMsgCannotAllocate, OSErr(memFullErr));
      break;
    }
    FromPascalName(itemName, classicName);
    item->SetupItemName(vRefNum, folderID, classicName);
    if (Sp_GetOSXUnicodeFileNameChangedFileName(vRefNum, folderID, classicName, longName,
                                                kLongNameBufferSize) == noErr) {
      item->SetupChangedFromUnicodeFileName(longName);
    }
    item->SetupDirectoryFlag(isFolder ? 1 : 0);
    if (isFolder) {
      item->SetupFileOrDirId(pb->dirInfo.ioDrDirID);
      item->SetupCreateDateTime(pb->dirInfo.ioDrCrDat);
      item->SetupModifyDateTime(pb->dirInfo.ioDrMdDat);
    } else {
      item->SetupFileOrDirId(pb->hFileInfo.ioDirID);
      item->SetupFileInfo(&pb->hFileInfo.ioFlFndrInfo);
      item->SetupCreateDateTime(pb->hFileInfo.ioFlCrDat);
      item->SetupModifyDateTime(pb->hFileInfo.ioFlMdDat);
    }
    SpAppendToList(list, tail, item);
  }
  DisposePtr(reinterpret_cast<Ptr>(pb));
  return err;
}

OSErr Sp_SerchFolderItem(const char* fullPath, cDirectoryItem*& list,
                         unsigned char includeInvisibleFlag) {
  if (fullPath == nullptr) {
    list = nullptr;
    return SpReportFailure(kSource, "Sp_SerchFolderItem", 1, kSpMsgNullArgument, OSErr(paramErr));
  }
  return Sp_SerchFolderItemInDirId(0, 0, fullPath, list, includeInvisibleFlag);
}

OSErr Sp_SerchFolderItemInDirIdForMacOSX(const FSRef* folder, const char* /*folderName*/,
                                         cDirectoryItem*& list,
                                         unsigned char includeInvisibleFlag) {
  static const char kMethod[] = "Sp_SerchFolderItemInDirIdForMacOSX";
  list = nullptr;
  if (folder == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, OSErr(paramErr));
  }

  FSCatalogInfo* infos =
      reinterpret_cast<FSCatalogInfo*>(NewPtrClear(sizeof(FSCatalogInfo) * kBulkCount));
  FSRef* refs = reinterpret_cast<FSRef*>(NewPtrClear(sizeof(FSRef) * kBulkCount));
  FSSpec* specs = reinterpret_cast<FSSpec*>(NewPtrClear(sizeof(FSSpec) * kBulkCount));
  HFSUniStr255* names =
      reinterpret_cast<HFSUniStr255*>(NewPtrClear(sizeof(HFSUniStr255) * kBulkCount));
  auto release = [&]() {
    if (infos != nullptr) DisposePtr(reinterpret_cast<Ptr>(infos));
    if (refs != nullptr) DisposePtr(reinterpret_cast<Ptr>(refs));
    if (specs != nullptr) DisposePtr(reinterpret_cast<Ptr>(specs));
    if (names != nullptr) DisposePtr(reinterpret_cast<Ptr>(names));
  };
  if (infos == nullptr || refs == nullptr || specs == nullptr || names == nullptr) {
    release();
    return SpReportFailure(kSource, kMethod, 2, kMsgCannotAllocate, OSErr(memFullErr));
  }

  FSIterator iterator = nullptr;
  OSErr err = FSOpenIterator(folder, kFSIterateFlat, &iterator);
  if (err != noErr) {
    release();
    return err;
  }

  cDirectoryItem* tail = nullptr;
  char classicName[256];
  char longName[kLongNameBufferSize];
  bool more = true;
  while (more) {
    ItemCount actual = 0;
    err = FSGetCatalogInfoBulk(iterator, kBulkCount, &actual, nullptr, kBulkInfo, infos, refs,
                               specs, names);
    if (err == errFSNoMoreItems) {
      // The last call may still hand over the final entries.
      err = noErr;
      more = false;
    } else if (err != noErr) {
      break;
    }
    if (actual > kBulkCount) actual = kBulkCount;
    for (ItemCount i = 0; i < actual; ++i) {
      const bool isFolder = (infos[i].nodeFlags & kFSNodeIsDirectoryMask) != 0;
      // The classic name the classic listing gives too; an item gone meanwhile is passed over.
      if (sp_filelib::ClassicNameOfItem(specs[i], static_cast<SInt32>(infos[i].nodeID), isFolder,
                                        classicName) != noErr) {
        continue;
      }
      FInfo finderInfo;
      std::memset(&finderInfo, 0, sizeof(finderInfo));
      if (!isFolder) {
        // The catalogue's own copy stands in when the file cannot be asked by its name.
        if (Sp_GetFileFinderInformation(specs[i].vRefNum, specs[i].parID, classicName, &finderInfo,
                                        nullptr) != noErr) {
          const FileInfo* info = reinterpret_cast<const FileInfo*>(infos[i].finderInfo);
          finderInfo.fdType = info->fileType;
          finderInfo.fdCreator = info->fileCreator;
          finderInfo.fdFlags = info->finderFlags;
          finderInfo.fdLocation = info->location;
        }
        if (!includeInvisibleFlag && (finderInfo.fdFlags & kIsInvisible) != 0) continue;
      }
      cDirectoryItem* item = new (std::nothrow) cDirectoryItem();
      if (item == nullptr) {
        err = SpReportFailure(kSource, kMethod, 2, kMsgCannotAllocate, OSErr(memFullErr));
        more = false;
        break;
      }
      item->SetupFSCatalogInfo(&infos[i]);
      item->SetupFileInfoFromSetupedFSCatalogInfo();
      item->SetupItemName(specs[i].vRefNum, specs[i].parID, classicName);
      if (Sp_UnicodeNameToCString(names[i].unicode, names[i].length, longName,
                                  kLongNameBufferSize)) {
        item->SetupChangedFromUnicodeFileName(longName);
      }
      item->SetupDirectoryFlag(isFolder ? 1 : 0);
      if (!isFolder) item->SetupFileInfo(&finderInfo);
      SpAppendToList(list, tail, item);
    }
  }
  FSCloseIterator(iterator);
  release();
  return err;
}

void Sp_DisposeDirectoryItemList(cDirectoryItem* head) {
  while (head != nullptr) {
    cDirectoryItem* next = head->GetNextObjectPtr();
    delete head;
    head = next;
  }
}

// ---------------------------------------------------------------------------------------------
// Set operations
// ---------------------------------------------------------------------------------------------

cDirectoryItem* Sp_GetSectDirectoryItemList(cDirectoryItem* a, cDirectoryItem* b,
                                            unsigned char volumeFlag, unsigned char parentFlag,
                                            unsigned char nameFlag, unsigned char directoryFlag,
                                            unsigned char creatorFlag, unsigned char typeFlag,
                                            unsigned char finderFlagsFlag,
                                            unsigned char locationFlag) {
  const unsigned char flags[8] = {volumeFlag,  parentFlag, nameFlag,        directoryFlag,
                                  creatorFlag, typeFlag,   finderFlagsFlag, locationFlag};
  if (a == nullptr || b == nullptr) return nullptr;
  cDirectoryItem* head = nullptr;
  cDirectoryItem* tail = nullptr;
  for (cDirectoryItem* item = a; item != nullptr; item = item->GetNextObjectPtr()) {
    if (!HasEqual(b, item, flags)) continue;
    cDirectoryItem* copy = CopyOf(item, "Sp_GetSectDirectoryItemList");
    if (copy == nullptr) break;
    SpAppendToList(head, tail, copy);
  }
  return head;
}

cDirectoryItem* Sp_GetUnionDirectoryItemList(cDirectoryItem* a, cDirectoryItem* b,
                                             unsigned char volumeFlag, unsigned char parentFlag,
                                             unsigned char nameFlag, unsigned char directoryFlag,
                                             unsigned char creatorFlag, unsigned char typeFlag,
                                             unsigned char finderFlagsFlag,
                                             unsigned char locationFlag) {
  static const char kMethod[] = "Sp_GetUnionDirectoryItemList";
  const unsigned char flags[8] = {volumeFlag,  parentFlag, nameFlag,        directoryFlag,
                                  creatorFlag, typeFlag,   finderFlagsFlag, locationFlag};
  cDirectoryItem* head = nullptr;
  cDirectoryItem* tail = nullptr;
  for (cDirectoryItem* item = a; item != nullptr; item = item->GetNextObjectPtr()) {
    cDirectoryItem* copy = CopyOf(item, kMethod);
    if (copy == nullptr) return head;
    SpAppendToList(head, tail, copy);
  }
  for (cDirectoryItem* item = b; item != nullptr; item = item->GetNextObjectPtr()) {
    if (HasEqual(a, item, flags)) continue;
    cDirectoryItem* copy = CopyOf(item, kMethod);
    if (copy == nullptr) break;
    SpAppendToList(head, tail, copy);
  }
  return head;
}

cDirectoryItem* Sp_GetDiffDirectoryItemList(cDirectoryItem*& a, cDirectoryItem* b,
                                            unsigned char copyFlag, unsigned char volumeFlag,
                                            unsigned char parentFlag, unsigned char nameFlag,
                                            unsigned char directoryFlag, unsigned char creatorFlag,
                                            unsigned char typeFlag, unsigned char finderFlagsFlag,
                                            unsigned char locationFlag) {
  const unsigned char flags[8] = {volumeFlag,  parentFlag, nameFlag,        directoryFlag,
                                  creatorFlag, typeFlag,   finderFlagsFlag, locationFlag};
  cDirectoryItem* head = nullptr;
  cDirectoryItem* tail = nullptr;
  cDirectoryItem* item = a;
  while (item != nullptr) {
    cDirectoryItem* next = item->GetNextObjectPtr();
    if (!HasEqual(b, item, flags)) {
      if (copyFlag) {
        cDirectoryItem* copy = CopyOf(item, "Sp_GetDiffDirectoryItemList");
        if (copy == nullptr) break;
        SpAppendToList(head, tail, copy);
      } else {
        if (item == a) a = next;
        item->UnlinkSelf();
        SpAppendToList(head, tail, item);
      }
    }
    item = next;
  }
  return head;
}
