// File URLs and FSRefs: the crossing between CoreFoundation's paths and the File Manager's
// references.
#pragma once

#include "CFURL.h"
#include "Files.h"

// The FSRef of the item a file URL names; false when the URL is no file URL or the item
// does not exist.
Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef);
// A file URL of the item an FSRef designates (a directory URL for a folder); NULL when the
// FSRef resolves to nothing. The caller releases it.
CFURLRef CFURLCreateFromFSRef(CFAllocatorRef allocator, const FSRef* fsRef);
