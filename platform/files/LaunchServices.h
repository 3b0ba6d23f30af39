// Launch Services: what kind of item a file or folder is. On Linux an application is an
// executable regular file or a ".desktop" launcher; there are no packages (folders that show
// as one item).
#pragma once

#include "CFBase.h"
#include "Files.h"
#include "MacTypes.h"

typedef UInt32 LSRequestedInfo;
enum : LSRequestedInfo {
  kLSRequestExtension = 0x00000001,
  kLSRequestTypeCreator = 0x00000002,
  kLSRequestBasicFlagsOnly = 0x00000004,
  kLSRequestAppTypeFlags = 0x00000008,
  kLSRequestAllFlags = 0x00000010,
  kLSRequestIconAndKind = 0x00000020,
  kLSRequestExtensionFlagsOnly = 0x00000040,
  kLSRequestAllInfo = 0xFFFFFFFF,
};

typedef UInt32 LSItemInfoFlags;
enum : LSItemInfoFlags {
  kLSItemInfoIsPlainFile = 0x00000001,
  kLSItemInfoIsPackage = 0x00000002,
  kLSItemInfoIsApplication = 0x00000004,
  kLSItemInfoIsContainer = 0x00000008,
};

typedef UInt32 LSKindID;

struct LSItemInfoRecord {
  LSItemInfoFlags flags;
  OSType filetype;
  OSType creator;
  CFStringRef extension;
  CFStringRef iconFileName;
  LSKindID kindID;
};

// The item's flags: kLSItemInfoIsPlainFile for a regular file, kLSItemInfoIsContainer for a
// folder, kLSItemInfoIsApplication for an executable regular file or a ".desktop" file;
// kLSItemInfoIsPackage never. Only the flags are filled in (whatever is requested); the
// other fields are zero, so nothing needs releasing. Errors of the FSRef (fnfErr,
// errFSBadFSRef, ...) come back as they are; paramErr for a null pointer.
OSStatus LSCopyItemInfoForRef(const FSRef* inItemRef, LSRequestedInfo inWhichInfo,
                              LSItemInfoRecord* outItemInfo);
