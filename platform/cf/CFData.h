// CFData: immutable and mutable byte buffers.
#pragma once

#include "CFBase.h"

typedef const struct SpCFData* CFDataRef;
typedef struct SpCFData* CFMutableDataRef;

CFTypeID CFDataGetTypeID();
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
// The bytes are copied; bytesDeallocator is ignored.
CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator);
CFDataRef CFDataCreateCopy(CFAllocatorRef allocator, CFDataRef theData);
// capacity 0: unlimited; otherwise growth past it is refused.
CFMutableDataRef CFDataCreateMutable(CFAllocatorRef allocator, CFIndex capacity);
CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity,
                                         CFDataRef theData);
CFIndex CFDataGetLength(CFDataRef theData);
const UInt8* CFDataGetBytePtr(CFDataRef theData);  // NULL when empty
UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData);
void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer);
void CFDataSetLength(CFMutableDataRef theData, CFIndex length);  // new bytes are zero
void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength);
void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length);
void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes,
                        CFIndex newLength);
void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range);
