// CoreFoundation subset: base types and reference counting.
//
// Every CF object is reference counted: a Create or Copy call returns an object the caller
// owns and releases with CFRelease; a Get call returns an object the caller does not own.
// CFRelease and CFRetain of NULL do nothing (callers on failure paths release blindly).
// Allocator arguments are accepted and ignored: everything comes from the C heap.
#pragma once

#include "MacTypes.h"

typedef long CFIndex;
typedef unsigned long CFOptionFlags;
typedef unsigned long CFHashCode;
typedef unsigned long CFTypeID;

typedef const void* CFTypeRef;
typedef const struct SpCFAllocator* CFAllocatorRef;
typedef const struct SpCFString* CFStringRef;
typedef struct SpCFString* CFMutableStringRef;
typedef CFTypeRef CFPropertyListRef;

struct CFRange {
  CFIndex location;
  CFIndex length;
};
inline CFRange CFRangeMake(CFIndex location, CFIndex length) {
  CFRange r = {location, length};
  return r;
}

enum : CFIndex { kCFNotFound = -1 };

typedef CFIndex CFComparisonResult;
enum : CFIndex { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 };
typedef CFComparisonResult (*CFComparatorFunction)(const void* val1, const void* val2,
                                                   void* context);

extern const CFAllocatorRef kCFAllocatorDefault;  // NULL, as on the original platform
extern const CFAllocatorRef kCFAllocatorSystemDefault;
extern const CFAllocatorRef kCFAllocatorMalloc;
extern const CFAllocatorRef kCFAllocatorNull;  // "do not free": no-copy calls still copy here

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);
// Same type and same contents (strings by characters, numbers by value, containers by
// their elements). Two NULLs are not equal.
Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
CFHashCode CFHash(CFTypeRef cf);

// The null object of property lists and collections.
typedef const struct SpCFNull* CFNullRef;
extern const CFNullRef kCFNull;
CFTypeID CFNullGetTypeID();
