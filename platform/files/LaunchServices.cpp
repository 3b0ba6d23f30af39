#include "LaunchServices.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "detail/Catalog.h"

using namespace sp_platform::files;

OSStatus LSCopyItemInfoForRef(const FSRef* inItemRef, LSRequestedInfo inWhichInfo,
                              LSItemInfoRecord* outItemInfo) {
  (void)inWhichInfo;
  if (inItemRef == nullptr || outItemInfo == nullptr) return paramErr;
  std::memset(outItemInfo, 0, sizeof *outItemInfo);
  Location loc;
  OSErr err = LocateRef(inItemRef, loc);
  if (err != noErr) return err;
  if (!loc.exists) return fnfErr;
  if (loc.isFolder) {
    outItemInfo->flags = kLSItemInfoIsContainer;
    return noErr;
  }
  if (!S_ISREG(loc.st.st_mode)) return noErr;
  LSItemInfoFlags flags = kLSItemInfoIsPlainFile;
  static const std::string kLauncher = ".desktop";
  const std::string& name = loc.name;
  bool launcher = name.size() > kLauncher.size() &&
                  name.compare(name.size() - kLauncher.size(), kLauncher.size(), kLauncher) == 0;
  if ((loc.st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0 || launcher)
    flags |= kLSItemInfoIsApplication;
  outItemInfo->flags = flags;
  return noErr;
}
