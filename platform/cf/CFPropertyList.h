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

namespace sp_platform {

// Reads an XML property list as CFPropertyListCreateFromXMLData does, except for one
// dictionary: each entry of the dictionary that the root dictionary holds under entriesKey
// goes to applier (key, value, context) as soon as the entry is read, and is then dropped
// instead of kept, so that dictionary is empty in the result. A document far larger than
// memory should hold twice (a music library of a hundred thousand tracks) so never exists
// whole as objects: only the entry being read does. Entries arrive in the order of the
// document, a repeated key as often as it is written. The applier retains what it keeps.
// When the document turns out not to parse, entries already delivered stay delivered and
// the result is NULL.
CFPropertyListRef CreatePropertyListDeliveringEntries(CFDataRef xmlData, CFOptionFlags options,
                                                      CFStringRef entriesKey,
                                                      CFDictionaryApplierFunction applier,
                                                      void* context, CFStringRef* errorString);

}  // namespace sp_platform
