// Resource Manager: typed, numbered blocks of data in a chain of resource files.
//
// The bottom of the chain is the system resource file (reference number 1,
// kSpSystemResFile); it holds nothing here: callers that look for system resources there fall
// back on their own. Above it lies the application's file (reference number 2,
// kSpApplicationResFile): at start the compiled resources of the main bundle
// ("Application.rsrc" in the bundle folder, opened read-only), or an empty file when there
// are none. It is the current file at start. Files opened later get 3, 4, ... and are
// searched first. So HomeResFile answers above 1 for every resource of the application, and
// callers that release only such resources never release the system's. UseResFile(0) selects
// the system file, as on the original system.
//
// Resource files are classic resource files (the resource map format) kept in a file's data
// fork. A file is read whole when it is opened and written back whole, to a temporary file
// renamed over it, so a crash never leaves a half-written file. Only files opened with write
// permission are written; changes to a read-only file stay in memory and are dropped when it
// is closed. Resource files come from outside the program and are untrusted: a map that does
// not hold together is refused with mapReadErr, and readers never go past a resource's size.
//
// A resource's handle is a Memory Manager handle owned by the Resource Manager: GetResource
// gives the same handle until ReleaseResource, DetachResource, RemoveResource or the closing
// of its file. Changing a handle's bytes changes the file only after ChangedResource.
#pragma once

#include "MacTypes.h"

struct FSRef;

enum : SInt16 {
  kSpSystemResFile = 1,
  kSpApplicationResFile = 2,
};

// Resource attributes (GetResAttrs / SetResAttrs).
enum : SInt16 {
  resSysHeap = 64,
  resPurgeable = 32,
  resLocked = 16,
  resProtected = 8,
  resPreload = 4,
  resChanged = 2,
};

// Searches the chain from the current file down to the system file; null and ResError
// resNotFound when no file holds it.
Handle GetResource(ResType theType, SInt16 theID);
// Searches the current file only.
Handle Get1Resource(ResType theType, SInt16 theID);
// By name (the name's bytes, ASCII letters in either case), in the chain / the current file.
Handle GetNamedResource(ResType theType, ConstStr255Param name);
Handle Get1NamedResource(ResType theType, ConstStr255Param name);
// Disposes of the resource's handle; the resource stays in its file and the next
// GetResource loads it again. Bytes marked changed (ChangedResource) are kept for the next
// write rather than lost. A handle that is not a resource's sets resNotFound.
void ReleaseResource(Handle theResource);
// The handle stops being a resource's and becomes the caller's; the resource stays in its
// file (with the handle's bytes when they were marked changed).
void DetachResource(Handle theResource);
// Fills a handle that GetResource gave empty while loading was off.
void LoadResource(Handle theResource);
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

// Adds the handle as a new resource of the current file; the handle then belongs to the
// Resource Manager, and its bytes are written with the file. Sets addResFailed for a null
// handle, a handle that already is a resource, or a type and number the file already holds.
void AddResource(Handle theData, ResType theType, SInt16 theID, ConstStr255Param name);
// Takes the resource out of the current file; the handle becomes the caller's (who disposes
// of it). rmvResFailed for a handle that is no resource of the current file or a protected
// resource.
void RemoveResource(Handle theResource);
// Marks the resource's bytes as changed: the handle's bytes are written at the next
// UpdateResFile, WriteResource or CloseResFile. resAttrErr for a protected resource.
void ChangedResource(Handle theResource);
// Writes the resource's file now when the resource is marked changed.
void WriteResource(Handle theResource);
// Writes the file when anything in it changed. wrPermErr when it was opened read-only.
void UpdateResFile(SInt16 refNum);

// Resources of the type in the current file, and the index-th of them (from 1).
SInt16 Count1Resources(ResType theType);
Handle Get1IndResource(ResType theType, SInt16 index);
// The same over the chain from the current file down.
SInt16 CountResources(ResType theType);
Handle GetIndResource(ResType theType, SInt16 index);
// The distinct types of the current file / of the chain, and the index-th of them (from 1);
// an index out of range leaves *theType 0.
SInt16 Count1Types();
SInt16 CountTypes();
void Get1IndType(ResType* theType, SInt16 index);
void GetIndType(ResType* theType, SInt16 index);

// Number, type and name of a resource; any out-argument may be null. For a handle that is
// not a resource's, ResError is resNotFound and the outputs stay as they are.
void GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name);
// New number and name (a null name keeps the old one). resAttrErr for a protected resource.
void SetResInfo(Handle theResource, SInt16 theID, ConstStr255Param name);
SInt16 GetResAttrs(Handle theResource);
void SetResAttrs(Handle theResource, SInt16 attrs);
// The size of the resource's bytes in its file; -1 and resNotFound for no resource.
SInt32 GetResourceSizeOnDisk(Handle theResource);
// The larger of that and the handle's size.
SInt32 GetMaxResourceSize(Handle theResource);
// A number from 128 up that no resource of the type uses in the chain / the current file.
SInt16 UniqueID(ResType theType);
SInt16 Unique1ID(ResType theType);

// Opening a resource file: the file becomes the top of the chain and the current file; the
// result is its reference number (3 and up), or -1 with ResError fnfErr (no such file),
// eofErr (an empty file), mapReadErr (no valid resource map), permErr or wPrErr (write
// permission asked of a file or volume that refuses it). A file already open gives its
// number again and becomes current. Permission fsCurPerm opens for writing when the file
// allows it, else read-only.
SInt16 HOpenResFile(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission);
SInt16 FSpOpenResFile(const FSSpec* spec, SInt8 permission);
SInt16 FSOpenResFile(const FSRef* ref, SInt8 permission);
// Makes a resource file with an empty map: a new file (with this type and creator), or an
// existing empty one. dupFNErr when a non-empty file of that name exists.
void HCreateResFile(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName);
void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode scriptTag);
// Writes the file when it changed and was opened for writing, disposes of the handles of its
// resources and takes it out of the chain; when it was current, the file below it becomes
// current. The system and application files stay open.
void CloseResFile(SInt16 refNum);
