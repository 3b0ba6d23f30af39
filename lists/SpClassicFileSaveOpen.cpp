#include "SpClassicFileSaveOpen.h"

#include <cstring>
#include <new>

#include "SpErrorInfoSystem.h"
#include "SpNavigationNames.h"

namespace {

const char kSource[] = "SpClassicFileSaveOpen";

}  // namespace

cClassicStdFilePkgExcludeFileItem::cClassicStdFilePkgExcludeFileItem(short volume, SInt32 directory,
                                                                     const char* name,
                                                                     unsigned char locationBound) {
  SetupFileName(volume, directory, name, locationBound);
}

void cClassicStdFilePkgExcludeFileItem::SetupFileName(short volume, SInt32 directory,
                                                      const char* name,
                                                      unsigned char locationBound) {
  if (name == nullptr) {
    SpReportFailure(kSource, "cClassicStdFilePkgExcludeFileItem::SetupFileName", 1,
                    kSpMsgNullArgument);
    return;
  }
  volume_ = volume;
  directory_ = directory;
  locationBound_ = locationBound;
  SpNav_CopyName(name, name_, kSpExcludeFileNameSize - 2);
}

void cClassicStdFilePkgExcludeFileItem::GetFileName(char* buffer, SInt32 size,
                                                    unsigned char& truncated) const {
  truncated = SpNav_CopyNameOut(name_, buffer, size);
}

Boolean cClassicStdFilePkgExcludeFileItem::IsExcludeFileItem(short volume, SInt32 directory,
                                                             const char* name) const {
  if (name == nullptr) {
    return SpReportFailure(kSource, "cClassicStdFilePkgExcludeFileItem::IsExcludeFileItem", 1,
                           kSpMsgNullArgument, Boolean(false));
  }
  if (name_[0] == '\0') return false;
  if (locationBound_ && (volume != volume_ || directory != directory_)) return false;
  return std::strcmp(name, name_) == 0;
}

void cClassicStdFilePkgExcludeFileChecker::SetupFileName(short volume, SInt32 directory,
                                                         const char* name,
                                                         unsigned char locationBound) {
  auto* item =
      new (std::nothrow) cClassicStdFilePkgExcludeFileItem(volume, directory, name, locationBound);
  if (item == nullptr) {
    SpReportFailure(kSource, "cClassicStdFilePkgExcludeFileChecker::SetupFileName", 1,
                    kSpMsgMemory);
    return;
  }
  SpAppendToList(first_, last_, item);
}

Boolean cClassicStdFilePkgExcludeFileChecker::IsExcludeFileItem(short volume, SInt32 directory,
                                                                const char* name) const {
  for (const cClassicStdFilePkgExcludeFileItem* item = first_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->IsExcludeFileItem(volume, directory, name)) return true;
  }
  return false;
}

void cClassicStdFilePkgExcludeFileChecker::ClearItem() {
  SpDeleteList(first_);
  first_ = last_ = nullptr;
}
