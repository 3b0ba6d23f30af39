// CFBundle: the application's resource folder.
//
// The main bundle is a folder: by default "Resources" beside the executable (the test API
// points it elsewhere). It holds "Info.plist" (an XML property list), the string tables
// "<table>.strings" and the application's resource files. The bundle's URL and its
// resources directory are that folder itself.
#pragma once

#include "CFBase.h"
#include "CFDictionary.h"
#include "CFString.h"
#include "CFURL.h"

typedef struct SpCFBundle* CFBundleRef;

extern const CFStringRef kCFBundleInfoDictionaryVersionKey;
extern const CFStringRef kCFBundleExecutableKey;
extern const CFStringRef kCFBundleIdentifierKey;
extern const CFStringRef kCFBundleVersionKey;
extern const CFStringRef kCFBundleNameKey;

CFTypeID CFBundleGetTypeID();
// Never NULL: a bundle whose folder or files are missing answers with empty results.
CFBundleRef CFBundleGetMainBundle();
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);  // NULL when Info.plist has none
// The Info.plist dictionary (empty when the file is missing or unreadable). Not owned.
CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
// <bundle>[/<subDirName>]/<resourceName>[.<resourceType>], NULL when no such file exists.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName);

// Looks key up in "<bundle>/<tableName>.strings" ("Localizable" when tableName is NULL).
// When the key is missing (or NULL): value if it is non-NULL and not empty, else key (NULL
// when key is NULL too). The result is owned by the caller.
CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName);

#define CFCopyLocalizedString(key, comment) \
  CFBundleCopyLocalizedString(CFBundleGetMainBundle(), (key), (key), NULL)
#define CFCopyLocalizedStringFromTable(key, tbl, comment) \
  CFBundleCopyLocalizedString(CFBundleGetMainBundle(), (key), (key), (tbl))
