// The open dialog's filter cache: verdicts by folder and file name, the most recently used
// folder first, at most kSpNavFilterFolderLimit folders.
#include <cstring>
#include <new>

#include "SpErrorInfoSystem.h"
#include "SpNavigationMgrObject.h"
#include "SpNavigationNames.h"

cFileFilterInfoTargetFolder* fileFilterInfo_GlV = nullptr;
cFileFilterInfoTargetFolder* lastFileFilterInfo_GlV = nullptr;
SInt32 fileFilterInfoFolderDataNum = 0;

namespace {

const char kSource[] = "SpNavigationMgrObject";

// A name as the cache keeps it, so that a look-up compares what was stored.
struct KeptName {
  explicit KeptName(const char* name) { SpNav_CopyName(name, text, kSpNavFilterNameSize - 1); }
  char text[kSpNavFilterNameSize];
};

}  // namespace

// ---- cFileFilterInfoStockItem ----

void cFileFilterInfoStockItem::SetupItemInfo(const char* name, unsigned char show) {
  SpNav_CopyName(name, name_, kSpNavFilterNameSize - 1);
  show_ = show;
}

cFileFilterInfoStockItem* cFileFilterInfoStockItem::SerchTargetObject(const char* name) {
  const KeptName kept(name);
  for (cFileFilterInfoStockItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (std::strcmp(item->name_, kept.text) == 0) return item;
  }
  return nullptr;
}

// ---- cFileFilterInfoTargetFolder ----

unsigned char cFileFilterInfoTargetFolder::GetTargetFileInfo(const char* name,
                                                             unsigned char& show) {
  if (first_ == nullptr || name == nullptr) return 0;
  const auto found = byName_.find(KeptName(name).text);
  if (found == byName_.end()) return 0;
  show = found->second->IsOutputItem();
  return 1;
}

void cFileFilterInfoTargetFolder::SetTargetFileInfo(const char* name, unsigned char show) {
  if (name == nullptr) return;
  const KeptName kept(name);
  if (byName_.count(kept.text) != 0) return;
  auto* item = new (std::nothrow) cFileFilterInfoStockItem(name, show);
  if (item == nullptr) {
    SpReportFailure(kSource, "cFileFilterInfoTargetFolder::SetTargetFileInfo", 1, kSpMsgMemory);
    return;
  }
  try {
    byName_.emplace(kept.text, item);
  } catch (const std::bad_alloc&) {
    delete item;
    SpReportFailure(kSource, "cFileFilterInfoTargetFolder::SetTargetFileInfo", 1, kSpMsgMemory);
    return;
  }
  SpAppendToList(first_, last_, item);
}

cFileFilterInfoTargetFolder* cFileFilterInfoTargetFolder::SerchTargetFolder(short volume,
                                                                            SInt32 directory) {
  for (cFileFilterInfoTargetFolder* f = this; f != nullptr; f = f->GetNextObjectPtr()) {
    if (f->volume_ == volume && f->directory_ == directory) return f;
  }
  return nullptr;
}

void cFileFilterInfoTargetFolder::ClearItem() {
  byName_.clear();
  SpDeleteList(first_);
  first_ = last_ = nullptr;
}

// ---- The chain ----

void SpNav_InitializeFileFilterTargetInfo() {
  SpDeleteList(fileFilterInfo_GlV);
  fileFilterInfo_GlV = lastFileFilterInfo_GlV = nullptr;
  fileFilterInfoFolderDataNum = 0;
}

namespace {

// Takes the folder out of the chain, mending the head and tail.
void Detach(cFileFilterInfoTargetFolder* folder) {
  cFileFilterInfoTargetFolder* before = folder->GetBeforeObjectPtr();
  cFileFilterInfoTargetFolder* after = folder->UnlinkNext();
  if (before != nullptr) {
    before->UnlinkNext();
    if (after != nullptr) before->LinkToNext(after);
  }
  if (fileFilterInfo_GlV == folder) fileFilterInfo_GlV = after;
  if (lastFileFilterInfo_GlV == folder) lastFileFilterInfo_GlV = before;
}

void PutAtHead(cFileFilterInfoTargetFolder* folder) {
  if (fileFilterInfo_GlV != nullptr) folder->LinkToNext(fileFilterInfo_GlV);
  if (lastFileFilterInfo_GlV == nullptr) lastFileFilterInfo_GlV = folder;
  fileFilterInfo_GlV = folder;
}

}  // namespace

cFileFilterInfoTargetFolder* SpNav_GetFilterInfoFolderObject(short volume, SInt32 directory) {
  cFileFilterInfoTargetFolder* found =
      fileFilterInfo_GlV != nullptr ? fileFilterInfo_GlV->SerchTargetFolder(volume, directory)
                                    : nullptr;
  if (found != nullptr) {
    if (found != fileFilterInfo_GlV) {
      Detach(found);
      PutAtHead(found);
    }
    return found;
  }
  auto* folder = new (std::nothrow) cFileFilterInfoTargetFolder(volume, directory);
  if (folder == nullptr) {
    return SpReportFailure(kSource, "SpNav_GetFilterInfoFolderObject", 1, kSpMsgMemory,
                           static_cast<cFileFilterInfoTargetFolder*>(nullptr));
  }
  if (fileFilterInfoFolderDataNum >= kSpNavFilterFolderLimit) {
    cFileFilterInfoTargetFolder* oldest = lastFileFilterInfo_GlV;
    if (oldest->GetBeforeObjectPtr() == nullptr) {
      SpReportFailure(kSource, "SpNav_GetFilterInfoFolderObject", 2, kSpMsgNullOperator);
    } else {
      Detach(oldest);
      delete oldest;
      --fileFilterInfoFolderDataNum;
    }
  }
  PutAtHead(folder);
  ++fileFilterInfoFolderDataNum;
  return folder;
}
