// Alias records, as far as the movie calls take them as data references.
//
// An alias made here records the FSSpec and the path of the file at the time it was
// made; the movie calls that take an 'alis' data reference find the file through it.
#pragma once

#include "MacTypes.h"

// The record at the start of an alias handle; what follows is private to the layer.
struct AliasRecord {
  OSType userType;
  UInt16 aliasSize;
};
typedef AliasRecord* AliasPtr;
typedef AliasRecord** AliasHandle;

// An alias of `target` (a file or folder that exists); `fromFile` (may be null) is accepted
// and not used: aliases here always hold the full location. The caller disposes the alias
// with DisposeHandle. paramErr for a null target or output, the File Manager's error when
// the target cannot be found, memFullErr when memory runs out.
OSErr NewAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle* alias);
