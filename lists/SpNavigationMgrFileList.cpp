// The list of files and folders a file dialog hands back.
#include <cstring>
#include <new>

#include "SpErrorInfoSystem.h"
#include "SpNavigationMgrObject.h"
#include "SpNavigationNames.h"
#include "SpStdFileFunction.h"

namespace {

const char kSource[] = "SpNavigationMgrObject";
const char kMsgDirectoryNameSetup[] = "Directory Name Setup Error !! ";
const char kMsgDirectoryIdSetup[] = "Directory Id Setup Error !! ";

// A name buffer of the catalogue helpers (a folder's name is at most 255 bytes).
constexpr SInt32 kFolderNameBuffer = 256;

}  // namespace

// ---- cNavMgrFileListItem ----

cNavMgrFileListItem::cNavMgrFileListItem(short volume, SInt32 directory, const char* name) {
  SetupFileInfo(volume, directory, name);
}

void cNavMgrFileListItem::SetupFileInfo(short volume, SInt32 directory, const char* name) {
  volume_ = volume;
  directory_ = directory;
  SpNav_CopyName(name, name_, kSpNavFileNameSize - 2);
  folder_ = 0;
}

void cNavMgrFileListItem::SetupFileInfoByFSRef(const FSRef* ref) {
  if (ref == nullptr) {
    SpReportFailure(kSource, "cNavMgrFileListItem::SetupFileInfoByFSRef", 1, kSpMsgNullArgument);
    return;
  }
  ref_ = *ref;
}

void cNavMgrFileListItem::GetFileInfo(short& volume, SInt32& directory, char* name, SInt32 size,
                                      unsigned char* truncated) const {
  if (name == nullptr || size <= 1) {
    SpReportFailure(kSource, "cNavMgrFileListItem::GetFileInfo", 1, kSpMsgNullArgument);
    return;
  }
  volume = volume_;
  directory = directory_;
  const unsigned char cut = SpNav_CopyNameOut(name_, name, size);
  if (truncated != nullptr) *truncated = cut;
}

void cNavMgrFileListItem::SetupFolderInfo(short volume, SInt32 directory, const char* name,
                                          SInt32 folderID) {
  const bool named = directory != 0 && name != nullptr && name[0] != '\0';
  if (!named && folderID == 0) {
    SpReportFailure(kSource, "cNavMgrFileListItem::SetupFolderInfo", 1, kSpMsgNullArgument);
    return;
  }
  if (named) {
    SInt32 ownID = 0;
    if (Sp_GetDirIdFromDirNameInDirId(volume, directory, name, ownID) != noErr) {
      SpReportFailure(kSource, "cNavMgrFileListItem::SetupFolderInfo", 3, kMsgDirectoryIdSetup);
      return;
    }
    SpNav_CopyName(name, name_, kSpNavFileNameSize - 2);
    directory_ = directory;
    folderID_ = ownID;
  } else {
    char folderName[kFolderNameBuffer] = {};
    SInt32 parent = 0;
    if (Sp_GetDirNameFromDirID(folderID, volume, folderName, &parent) != noErr) {
      SpReportFailure(kSource, "cNavMgrFileListItem::SetupFolderInfo", 2, kMsgDirectoryNameSetup);
      return;
    }
    SpNav_CopyName(folderName, name_, kSpNavFileNameSize - 2);
    directory_ = parent;
    folderID_ = folderID;
  }
  volume_ = volume;
  folder_ = 1;
}

void cNavMgrFileListItem::GetFolderInfo(short* volume, SInt32* directory, char* name, SInt32 size,
                                        unsigned char* truncated, SInt32* folderID) const {
  if (volume != nullptr) *volume = volume_;
  if (directory != nullptr) *directory = directory_;
  if (folderID != nullptr) *folderID = folderID_;
  if (name == nullptr) return;
  const unsigned char cut = SpNav_CopyNameOut(name_, name, size);
  if (truncated != nullptr) *truncated = cut;
}

// ---- cNavMgrFileList ----

void cNavMgrFileList::Append(cNavMgrFileListItem* item) {
  if (first_ == nullptr) cursor_ = item;
  SpAppendToList(first_, last_, item);
  ++count_;
}

cNavMgrFileListItem* cNavMgrFileList::SetupFileItem(short volume, SInt32 directory,
                                                    const char* name) {
  if (name == nullptr || name[0] == '\0') {
    return SpReportFailure(kSource, "cNavMgrFileList::SetupFileItem", 1, kSpMsgNullArgument,
                           static_cast<cNavMgrFileListItem*>(nullptr));
  }
  auto* item = new (std::nothrow) cNavMgrFileListItem(volume, directory, name);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cNavMgrFileList::SetupFileItem", 2, kSpMsgMemory,
                           static_cast<cNavMgrFileListItem*>(nullptr));
  }
  Append(item);
  return item;
}

cNavMgrFileListItem* cNavMgrFileList::SetupFolderItem(short volume, SInt32 directory,
                                                      const char* name, SInt32 folderID) {
  auto* item = new (std::nothrow) cNavMgrFileListItem(volume, directory, name);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cNavMgrFileList::SetupFolderItem", 2, kSpMsgMemory,
                           static_cast<cNavMgrFileListItem*>(nullptr));
  }
  item->SetupFolderInfo(volume, directory, name, folderID);
  // A folder that could not be found is not handed on as a file.
  if (!item->IsFolderOrVolume()) {
    delete item;
    return nullptr;
  }
  Append(item);
  return item;
}

void cNavMgrFileList::ClearFileItem() {
  SpDeleteList(first_);
  count_ = 0;
  first_ = last_ = cursor_ = nullptr;
}

unsigned char cNavMgrFileList::GetFileItemBySequential(short& volume, SInt32& directory, char* name,
                                                       SInt32 size, unsigned char* truncated,
                                                       unsigned char* last, unsigned char* folder,
                                                       SInt32* folderID) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "cNavMgrFileList::GetFileItemBySequential", 1,
                           kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  if (cursor_ == nullptr) {
    if (last != nullptr) *last = 1;
    return 0;
  }
  if (cursor_->IsFolderOrVolume()) {
    cursor_->GetFolderInfo(&volume, &directory, name, size, truncated, folderID);
  } else {
    cursor_->GetFileInfo(volume, directory, name, size, truncated);
  }
  if (folder != nullptr) *folder = cursor_->IsFolderOrVolume();
  cursor_ = cursor_->GetNextObjectPtr();
  if (last != nullptr) *last = cursor_ == nullptr ? 1 : 0;
  return 1;
}

unsigned char cNavMgrFileList::GetFileRefAndFSSpecBySequential(FSRef* ref, unsigned char advance,
                                                               unsigned char* last,
                                                               unsigned char* folder,
                                                               SInt32* folderID) {
  if (ref == nullptr) return 0;
  if (cursor_ == nullptr) {
    if (last != nullptr) *last = 1;
    return 0;
  }
  cursor_->GetFileInfoByFSRef(*ref);
  if (folder != nullptr) *folder = cursor_->IsFolderOrVolume();
  if (folderID != nullptr) cursor_->GetFolderInfo(nullptr, nullptr, nullptr, 0, nullptr, folderID);
  if (advance) cursor_ = cursor_->GetNextObjectPtr();
  if (last != nullptr) *last = cursor_ == nullptr ? 1 : 0;
  return 1;
}

cNavMgrFileListItem* cNavMgrFileList::GetFileItemPtrBySequential(unsigned char advance) {
  cNavMgrFileListItem* item = cursor_;
  if (item != nullptr && advance) cursor_ = item->GetNextObjectPtr();
  return item;
}
