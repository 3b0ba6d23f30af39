// Resource Manager: typed, numbered blocks of data in a chain of resource files.
//
// The chain is held in memory. The bottom file stands for the system resource file
// (reference number 1, kSpSystemResFile); the application's own file is reference number 2
// (kSpApplicationResFile) and is the current file at start. Files opened later get 3, 4, ...
// and are searched first. So HomeResFile answers above 1 for every resource of the
// application, and callers that release only such resources never release the system's.
// UseResFile(0) selects the system file, as on the original system.
//
// A resource's handle is a Memory Manager handle owned by the Resource Manager: GetResource
// gives the same handle until ReleaseResource disposes of it. Resource data comes from
// outside the program and is treated as untrusted: readers never go past a resource's size.
#pragma once

#include "MacTypes.h"

enum : SInt16 {
  kSpSystemResFile = 1,
  kSpApplicationResFile = 2,
};

// Searches the chain from the current file down to the system file; null and ResError
// resNotFound when no file holds it.
Handle GetResource(ResType theType, SInt16 theID);
// Searches the current file only.
Handle Get1Resource(ResType theType, SInt16 theID);
// Disposes of the resource's handle; the resource stays in its file and the next
// GetResource loads it again. A handle that is not a resource's sets resNotFound.
void ReleaseResource(Handle theResource);
// The file that holds the resource; -1 and resNotFound for a handle that is not a
// resource's.
SInt16 HomeResFile(Handle theResource);
SInt16 CurResFile();
// Makes the file current; a number that names no open file sets resFNotFound and changes
// nothing.
void UseResFile(SInt16 refNum);
// The result of the last Resource Manager call.
OSErr ResError();
// While off, GetResource of a resource not yet loaded gives its handle empty (size 0); the
// next GetResource with loading on fills it.
void SetResLoad(Boolean load);

// Item `index` (from 1) of the string list 'STR#' strListID: a big-endian count, then that
// many length-prefixed strings. An index out of range, a missing list, or a list whose
// bytes end early gives the empty string.
void GetIndString(Str255 theString, SInt16 strListID, SInt16 index);

// Adds the handle's data as a new resource of the current file; the handle then belongs to
// the Resource Manager. Sets addResFailed for a null handle, a handle that already is a
// resource, or a type and number the file already holds. The resource's data are the
// handle's bytes at this moment.
void AddResource(Handle theData, ResType theType, SInt16 theID, ConstStr255Param name);

// Resources of the type in the current file, and the index-th of them (from 1, in the order
// they were added).
SInt16 Count1Resources(ResType theType);
Handle Get1IndResource(ResType theType, SInt16 index);

// Number, type and name of a resource; any out-argument may be null. For a handle that is
// not a resource's, ResError is resNotFound and the outputs stay as they are.
void GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name);
