// Property lists from XML data: dict, array, string, integer, real, true, false, date and
// data. Input is untrusted: malformed, truncated or too deeply nested documents give NULL.
#pragma once

#include "CFArray.h"
#include "CFBase.h"
#include "CFData.h"
#include "CFDate.h"
#include "CFDictionary.h"
#include "CFError.h"
#include "CFNumber.h"
#include "CFString.h"

typedef CFOptionFlags CFPropertyListMutabilityOptions;
enum : CFOptionFlags {
  kCFPropertyListImmutable = 0,
  kCFPropertyListMutableContainers = 1,
  kCFPropertyListMutableContainersAndLeaves = 2,
};

typedef CFIndex CFPropertyListFormat;
enum : CFIndex {
  kCFPropertyListOpenStepFormat = 1,
  kCFPropertyListXMLFormat_v1_0 = 100,
  kCFPropertyListBinaryFormat_v1_0 = 200,
};

// The error code of an unreadable property list.
enum : CFIndex { kCFPropertyListReadCorruptError = 3840 };

// Containers (and with kCFPropertyListMutableContainersAndLeaves strings and data) are
// mutable as the options ask. format receives kCFPropertyListXMLFormat_v1_0. On failure
// *error (when given) receives a new CFError the caller releases.
CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef allocator, CFDataRef data,
                                               CFOptionFlags options, CFPropertyListFormat* format,
                                               CFErrorRef* error);
// The older call: on failure *errorString (when given) receives a new description.
CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption,
                                                  CFStringRef* errorString);
