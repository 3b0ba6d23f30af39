// CFDate: an absolute time in seconds since 2001-01-01 00:00:00 GMT.
#pragma once

#include "CFBase.h"

typedef double CFTimeInterval;
typedef CFTimeInterval CFAbsoluteTime;

constexpr CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;
constexpr CFTimeInterval kCFAbsoluteTimeIntervalSince1904 = 3061152000.0;

typedef const struct SpCFDate* CFDateRef;

CFTypeID CFDateGetTypeID();
CFDateRef CFDateCreate(CFAllocatorRef allocator, CFAbsoluteTime at);
CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate);
CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void* context);
