// The file library's functions for file-system references (FSRef) and long names.
//
// A long name is a name the classic calls cannot carry: 32 bytes or more of MacJapanese, up to
// 255 Unicode characters. It arrives here as a zero-terminated text with the number of its
// text encoding (a CFString encoding; the program always passes 1, MacJapanese) and is
// converted to UTF-16 just for the call. The classic functions of SpStdFileFunction.h hand
// every name of 32 bytes or more to these functions. The application bundle's executable,
// resource folder and resource files are found here too.
//
// A null required pointer sounds the beep, logs one record (source "SpStdFileFunctionForOSX",
// the function's name, code 1) and gives paramErr. Toolbox errors are returned unchanged;
// paramErr also stands for a name that cannot be converted, fnfErr for something not found,
// memFullErr for missing memory. Existence tests answer 1 or 0 and never an error.
#pragma once

#include "CFString.h"
#include "Files.h"
#include "MacTypes.h"

class cDirectoryItem;

// ---- Making FSRefs -------------------------------------------------------------------------

// The FSRef of the named item inside the folder; fnfErr when nothing of that name is there.
OSErr Sp_GetFSRefFromDirectoryFSRefAndLongFileName(const FSRef* folder, const char* name,
                                                   CFStringEncoding encoding, FSRef* out);
OSErr Sp_GetFSRefFromDirectoryFSRefAndHFSUniFileName(const FSRef* folder, const HFSUniStr255* name,
                                                     FSRef* out);
OSErr Sp_GetFSRefFromDirectoryFSRefAndCFStringFileName(const FSRef* folder, CFStringRef name,
                                                       FSRef* out);
// The FSRef of the folder (vRefNum, dirID) itself.
OSErr Sp_GetFSRefFromDirectoryPositionInfo(short vRefNum, SInt32 dirID, FSRef* out);
// The FSRef of the named item inside the folder (vRefNum, dirID).
OSErr Sp_GetFSRefFromDirectoryIdAndLongFileName(short vRefNum, SInt32 dirID, const char* name,
                                                CFStringEncoding encoding, FSRef* out);
// The volume and directory id of the folder an FSRef designates; either output may be null,
// not both.
OSErr Sp_GetDirectoryPositionInfoFromFSRef(const FSRef* folder, short* vRefNum, SInt32* dirID);
OSErr Sp_GetFSSpecFromFSRef(const FSRef* ref, FSSpec& spec);

// ---- Names ---------------------------------------------------------------------------------

// The classic name the file system shows for an item with a long name: a stand-in of at most
// 31 bytes, the one the classic listings give and the look-ups take; out must hold 32 bytes.
OSErr Sp_GetClassicFileNameFromDirectoryIdAndLongFileName(short vRefNum, SInt32 dirID,
                                                          const char* longName,
                                                          CFStringEncoding encoding, char* out);
OSErr Sp_GetUnicodeFileNameFromFSRef(const FSRef* ref, HFSUniStr255* name);
// The item's name as a new CFString; the caller releases it.
OSErr Sp_GetFileNameCFStringFromFSRef(const FSRef* ref, CFStringRef* out);

// ---- Existence and kind (1 or 0) ----------------------------------------------------------

// 1 when the item exists and has a name (a stale FSRef gives 0).
short Sp_ExsitTargetFileOrDirByFSRef(const FSRef* ref);
// 1 when the catalogue knows the item.
short Sp_ExsitTargetFileOrDirectoryByFSRef(const FSRef* ref);
// 1 when an item of that name exists in the folder.
short Sp_ExsitTargetFileOrDirByFSRefAndLongName(const FSRef* folder, const char* name,
                                                CFStringEncoding encoding);
short Sp_ExsitTargetFileOrDirByFSSpecAndLongName(short vRefNum, SInt32 dirID, const char* name,
                                                 CFStringEncoding encoding);
OSErr Sp_CheckIsDirectoryByFSRef(const FSRef* ref, unsigned char& isFolder);
// Launch Services' view of the item; each output optional.
OSErr Sp_IsApplicationOrBundle(const FSRef* ref, unsigned char* isApplication,
                               unsigned char* isPackage);

// ---- Changing ------------------------------------------------------------------------------

// Renames the item; newRef (optional) receives the FSRef of the renamed item.
OSErr Sp_RenameFSRefFileByCString(const FSRef* item, const char* newName, CFStringEncoding encoding,
                                  FSRef* newRef);
OSErr Sp_RenameFileByCFString(const FSRef* item, CFStringRef newName, FSRef* newRef);
// Renames the item oldName of the folder (vRefNum, dirID) to newName (newName in the given
// encoding, oldName always MacJapanese).
OSErr Sp_RenameFileDirectoryByLongName(short vRefNum, SInt32 dirID, const char* oldName,
                                       CFStringEncoding encoding, const char* newName,
                                       FSRef* newRef);
OSErr Sp_RenameFileDirectoryByLongNameAndFSRef(const FSRef* folder, const char* oldName,
                                               CFStringEncoding encoding, const char* newName,
                                               FSRef* newRef);
// Deletes the named file or empty folder, then flushes the volume.
OSErr Sp_DeleteFileDirWithLongNameByDirId(short vRefNum, SInt32 dirID, const char* name,
                                          CFStringEncoding encoding);
OSErr Sp_DeleteFileDirWithLongNameByFSRef(const FSRef* folder, const char* name,
                                          CFStringEncoding encoding);
// Deletes the file or empty folder: synchronously with a flush, or, with asyncFlag, as an
// asynchronous request without one.
OSErr Sp_DeleteFileOrDirByFSRef(const FSRef* item, unsigned char asyncFlag);
// Creates the named file in the folder with owner-only access and, when given, the Finder
// information; newRef and newSpec (each optional) receive its FSRef and FSSpec. An empty name
// creates nothing.
OSErr Sp_CreateFileByUpperDirFSRef(const FSRef* folder, const char* name, const FInfo* finderInfo,
                                   FSRef* newRef, FSSpec* newSpec);
// Moves the item into its volume's Trash. When the Trash already holds an item of that name,
// renameFlag set renames that one out of the way (the name, then the suffix, " Copy" when
// null, then from the second try a space and a number); renameFlag clear deletes it first.
OSErr Sp_MoveFileOrDirIntoTrashByFSRef(const FSRef* item, unsigned char renameFlag,
                                       const char* suffix);

// ---- Listing -------------------------------------------------------------------------------

// The folder's contents as a new list (null when empty); the caller disposes it with
// Sp_DisposeDirectoryItemList.
OSErr Sp_SerchFolderItemInFRef(const FSRef* folder, cDirectoryItem*& list,
                               unsigned char includeInvisibleFlag);
// The contents of the folder named `name` inside parent.
OSErr Sp_SerchFolderItemInFRefUnderUpperDir(const FSRef* parent, const char* name,
                                            CFStringEncoding encoding, cDirectoryItem*& list,
                                            unsigned char includeInvisibleFlag);

// ---- The application bundle ----------------------------------------------------------------

// The FSRef of the main bundle's executable; fnfErr when it cannot be found.
OSErr Sp_GetApplicationBundleFSRef(FSRef* out);
// The FSRef of the main bundle's resource folder; fnfErr when it cannot be found.
OSErr Sp_GetApplicationResourceFolderFSRefFromBundle(FSRef* out);
// Finds a file among the bundle's resources by its name and fills each given output: its
// FSRef, its folder's FSRef, volume and directory id, and its classic name (paramErr when the
// name and its terminator do not fit in nameSize). fnfErr when there is no such resource;
// paramErr when every output is null.
OSErr Sp_GetResourceFileFromApplicationMainBandle(const char* fileName, short* vRefNum,
                                                  SInt32* dirID, FSRef* folderRef, char* name,
                                                  UInt32 nameSize, FSRef* fileRef);
