// The file library: paths, names, catalogue look-ups, and file and folder operations.
//
// A location is the triple (volume reference number, directory id, name); the root folder of
// a volume has directory id 2 and its parent id 1. Names are zero-terminated MacJapanese
// texts; a classic name is at most 31 bytes, and a name of 32 bytes or more is a long name
// that these functions hand to the long-name functions of SpStdFileFunctionForOSX.h (encoding
// 1, MacJapanese). Full paths are colon-separated, volume name first, no trailing colon
// (Disk:Folder:File), and at most 255 bytes: a path builder refuses a longer path with
// bdNamErr and an empty output, so every output buffer for a path needs 256 bytes.
//
// After every change the volume is flushed. A null required pointer sounds the beep, logs one
// record (source "SpStdFileFunction", the function's name, code 1) and gives paramErr, or
// nothing for the text splitters. Toolbox errors are returned unchanged.
#pragma once

#include "Files.h"
#include "MacTypes.h"

// Longest full path, in bytes without the terminator.
enum { kSpMaxFullPathLength = 255 };
// Longest classic item name.
enum { kSpMaxClassicNameLength = 31 };

// A file location: volume, folder, name and file number.
struct sExtStdFileInfo {
  UInt8 valid;     // 1 once the location is set
  SInt16 vRefNum;  // volume reference number
  SInt32 dirID;    // the folder holding the item
  char fileName[512];
  SInt32 fileID;  // the file's number, 0 when unknown
};

// ---- Building paths ------------------------------------------------------------------------

// The full path of the folder (Disk:Folder; the root folder gives Disk). A catalogue error
// empties the output and is returned.
OSErr Sp_DirFullPathNameFromDirID(SInt32 dirID, short vRefNum, char* out);
// Puts the folder's full path and a colon in front of the text already in the buffer (an
// empty text gives just the folder's path). An error empties the buffer.
OSErr Sp_PathNameFromDirID(SInt32 dirID, short vRefNum, char* inout);
// The folder's full path, then ":" and the name when the name is not empty.
OSErr Sp_FullPathNameFromFileInfo(short vRefNum, SInt32 dirID, const char* name, char* out);
// The folder's own name (32 bytes are enough) and its parent's id; either output may be null,
// not both. An error empties the name.
OSErr Sp_GetDirNameFromDirID(SInt32 dirID, short vRefNum, char* name, SInt32* parentDirID);
// The byte length of the folder's full path.
OSErr Sp_GetDirFullPathNameLength(short vRefNum, SInt32 dirID, short& length);
// The byte length of the full path of the named item in the folder.
OSErr Sp_GetFileOrDirFullPathNameLength(short vRefNum, SInt32 dirID, const char* name,
                                        short& length);

// ---- Splitting paths (text only; out needs as many bytes as the path) ----------------------

// The text after the last ":" (the whole path when it has none); an empty path leaves the
// output untouched.
void Sp_GetFileNameFromFullPath(const char* path, char* out);
// The text before the last ":" (empty when there is none), followed by ":" with the flag.
void Sp_GetDirFullPathNameFromFullPathFileName(const char* path, char* out,
                                               unsigned char addColonFlag);
// The text before the first ":" (the whole path when there is none).
void Sp_GetVolNameFromFullPath(const char* path, char* out);
// The text after the last "." of the name; false (output untouched) when the name has no "."
// or ends with it.
Boolean Sp_GetFileExtendName(const char* name, char* out);
// The name without the text from its last "." on (the whole name when there is no "." or the
// name ends with it).
void Sp_GetNotContainFileExtendFileName(const char* name, char* out);
// A shortened path for display: Disk:..:Folder:Name when the path holds more than two ":",
// otherwise the path unchanged.
void Sp_GetArrangePathNameFromFullPath(const char* path, char* out);

// ---- Look-ups ------------------------------------------------------------------------------

OSErr Sp_GetVolIdFromVolName(const char* volumeName, short& vRefNum);
// The directory id of the folder named by a full path.
OSErr Sp_GetDirIdFromFullPathName(const char* path, SInt32& dirID);
// The directory id of the named folder in a folder.
OSErr Sp_GetDirIdFromDirNameInDirId(short vRefNum, SInt32 parentDirID, const char* name,
                                    SInt32& dirID);
// The file number of the named file.
OSErr Sp_GetFileIdFromFileNameInDirId(short vRefNum, SInt32 dirID, const char* name,
                                      SInt32& fileID);
// The parent folder and the name (32 bytes are enough) of a file number; the number survives
// renames and moves.
OSErr Sp_GetFileNameFromFileId(short vRefNum, SInt32 fileID, SInt32& parentDirID, char* name);
// Splits a full path into its volume, the directory id of its folder and its name (each
// output optional, filled in that order; the first failure is returned).
OSErr Sp_GetFileInfoFromFullPathName(const char* path, short* vRefNum, SInt32* dirID, char* name);
// The item's long name as the program shows it (Sp_UnicodeNameToCString), at most outSize
// bytes with the terminator.
OSErr Sp_GetOSXUnicodeFileNameChangedFileName(short vRefNum, SInt32 dirID, const char* classicName,
                                              char* out, SInt32 outSize);

// ---- Existence (1 or 0, never an error) ----------------------------------------------------

// 1 when a FILE of that name exists in the folder (a folder of that name gives 0).
short Sp_ExsitTargetFile(short vRefNum, SInt32 dirID, const char* name);
// 1 when an item of that name, file or folder, exists in the folder.
short Sp_ExsitTargetDirectory(short vRefNum, SInt32 dirID, const char* name);
short Sp_ExsitTargetDirectoryWithDirId(short vRefNum, SInt32 dirID);
short Sp_ExsitTargetFileByFullPathName(const char* path);
// 1 when dirID is ancestorDirID or lies somewhere below it.
short Sp_ExsitTargetFolderUnderTheFolder(short vRefNum, SInt32 dirID, SInt32 ancestorDirID);

// ---- The standard file dialogs' current folder ---------------------------------------------

SInt32 Sp_GetSFCurDir();
void Sp_SetSFCurDir(SInt32 dirID);
short Sp_GetSFCurVol();
void Sp_SetSFCurVol(short vRefNum);

// ---- Creating ------------------------------------------------------------------------------

// The Finder information of a file this library makes: creator and type, the flags given plus
// "has been initialised", location (-1, -1).
FInfo Sp_NewFileFinderInfo(UInt32 creator, UInt32 fileType, UInt16 flags = 0);
// Creates the file with creator and type, Finder flags "has been initialised" plus invisible
// and custom icon as asked, location (-1, -1).
OSErr Sp_CreateFileByDirId(short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
                           UInt32 fileType, unsigned char invisibleFlag,
                           unsigned char customIconFlag);
OSErr Sp_CreateFile(const char* fullPath, UInt32 creator, UInt32 fileType,
                    unsigned char invisibleFlag, unsigned char customIconFlag);
// Creates the folder when nothing of that name is there. An existing folder gives noErr and
// nothing is created; an existing FILE of that name gives dupFNErr.
OSErr Sp_CreateFolderIntoDirId(short vRefNum, SInt32 dirID, const char* name);
// Creates the folder named by a full path when it is missing: 1 when it was missing and has
// been made, 0 when it already existed, the path is null or the creation failed.
Boolean Sp_CreateFolder(const char* fullPath);
// Creates the folder with owner-only access (and the given catalogue information, when any);
// newRef and newSpec (each optional) receive its FSRef and FSSpec.
OSErr Sp_CreateFolderWithPermission(short vRefNum, SInt32 dirID, const char* name,
                                    const FSCatalogInfo* info, FSRef* newRef, FSSpec* newSpec);
OSErr Sp_CreateFolderWithPermissionInDirFSRef(const FSRef* parent, const char* name,
                                              const FSCatalogInfo* info, FSRef* newRef,
                                              FSSpec* newSpec);
// Makes sure the named folder exists inside the system folder of that type on the volume
// (both created when missing) and gives its volume and directory id. 1 on success.
Boolean Sp_CreateInitFolderWithDirID(short vRefNum, UInt32 folderType, const char* name,
                                     short& outVRefNum, SInt32& outDirID);
// The same by full path: outPath (optional, 256 bytes) receives the folder's full path. A
// missing folder is created only with createFlag. 1 on success.
Boolean Sp_CreateInitFolder(const char* name, unsigned char createFlag, char* outPath,
                            short vRefNum, UInt32 folderType);

// ---- Deleting, renaming, moving, copying ---------------------------------------------------

// Deletes the file or empty folder: synchronously with a flush, or, with asyncFlag, as an
// asynchronous request without one.
OSErr Sp_DeleteFileDirByDirId(short vRefNum, SInt32 dirID, const char* name,
                              unsigned char asyncFlag);
OSErr Sp_RenameFileDirectory(short vRefNum, SInt32 dirID, const char* oldName, const char* newName);
// The file `oldName` takes the name `newName` in its folder, a file of that name going in the
// same step: the name never stands empty in between. Names of at most 255 bytes (bdNamErr).
OSErr Sp_RenameFileReplacing(short vRefNum, SInt32 dirID, const char* oldName, const char* newName);
// Moves the item into another folder of the same volume (targetName optional).
OSErr Sp_MoveFileOrDir(short vRefNum, SInt32 dirID, const char* name, SInt32 targetDirID,
                       const char* targetName);
// Copies the file into the target folder (newName optional).
OSErr Sp_CopyFileOrDir(short vRefNum, SInt32 dirID, const char* name, short targetVRefNum,
                       SInt32 targetDirID, const char* newName);
// Makes the file named by a full path invisible; returns the first failure.
OSErr Sp_DisappearFile(const char* fullPath);
OSErr Sp_FlushOpenFile(short refNum);

// ---- The Trash -----------------------------------------------------------------------------

// Moves the item into its volume's Trash. When the Trash already holds an item of that name,
// renameFlag set renames that one out of the way (the name, then the suffix, " Copy" when
// null, then from the second try a space and a number, cut to 31 bytes on a character
// boundary); renameFlag clear deletes it (with its contents) first.
OSErr Sp_MoveFileOrDirIntoTrash(short vRefNum, SInt32 dirID, const char* name,
                                unsigned char renameFlag, const char* suffix);
// Moves the named item out of the volume's Trash into the folder: fidNotFound (-1300) when
// the Trash holds no such item, fidExists (-1301) when the folder already holds one.
OSErr Sp_MoveFileOrDirIntoTargetFolderFromTrash(const char* name, short vRefNum,
                                                SInt32 targetDirID);

// ---- System folders and volumes ------------------------------------------------------------

// The system folder of that type on the volume, created when missing; each output optional.
OSErr Sp_FindSystemFolderByDirId(short vRefNum, UInt32 folderType, SInt32* dirID,
                                 short* foundVRefNum);
// The same as a full path (256 bytes); 1 when the path is not empty.
Boolean Sp_FindSystemFolder(short vRefNum, UInt32 folderType, char* outPath);
OSErr Sp_GetVolumeFreeAreaSize(short vRefNum, UInt64& freeBytes);
// Proves that size bytes can be written in the folder by allocating them in a scratch file
// ("spaceTest", "spaceTest1" ...), which is always deleted again. Returns the allocation's
// result; an internal failure is logged and returned, and it is the caller's to show it.
OSErr Sp_CheckVolumeTargetAreaSize(short vRefNum, SInt32 dirID, UInt64 size);

// The FSRef and long-name functions of the same library.
#include "SpStdFileFunctionForOSX.h"
