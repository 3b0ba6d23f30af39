// CFURL: file URLs. Paths on Linux are UTF-8 POSIX paths; a directory URL ends in '/'.
#pragma once

#include "CFBase.h"
#include "CFString.h"

typedef const struct SpCFURL* CFURLRef;

typedef CFIndex CFURLPathStyle;
enum : CFIndex {
  kCFURLPOSIXPathStyle = 0,
  kCFURLHFSPathStyle = 1,      // not supported: calls with it return NULL
  kCFURLWindowsPathStyle = 2,  // not supported: calls with it return NULL
};

CFTypeID CFURLGetTypeID();
// A relative path is taken relative to the current directory.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory);
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer,
                                                 CFIndex bufLen, Boolean isDirectory);
// "file://" URLs ("file:///path" or "file://localhost/path"), percent-encoded; NULL for
// anything else. baseURL is not supported (must be NULL).
CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString, CFURLRef baseURL);
// The URL text: "file://" followed by the percent-encoded path.
CFStringRef CFURLGetString(CFURLRef anURL);
// The path without a trailing '/' (except for the root).
CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle);
// The zero-terminated UTF-8 path; false when it does not fit in maxBufLen.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen);
Boolean CFURLHasDirectoryPath(CFURLRef anURL);
CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef allocator, CFURLRef url,
                                               CFStringRef pathComponent, Boolean isDirectory);
CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef allocator, CFURLRef url);
CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
// The text after the last '.' of the last component; NULL when there is none.
CFStringRef CFURLCopyPathExtension(CFURLRef url);
