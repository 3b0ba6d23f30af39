// What the Finder and the catalogue know about one file or folder, and its icons.
//
// Finder flags unpacked into Booleans, folder window rectangles, locations, sizes, dates and
// attributes; the nearest visible folder; icon suites filled for files and folders from the
// places icons are kept: Icon Services, a folder's custom icon file, the volume's desktop
// database and the standard folder icons among the resources. Icon functions never fail
// loudly when an icon is missing: they answer 0 (nothing added) or an error code, and the
// caller falls back. Icon data are added to the caller's suite as copies, never the
// originals.
//
// A null required pointer sounds the beep and logs one record (source "SpStdFileFunction",
// the function's name, code 1) and gives paramErr.
#pragma once

#include "Files.h"
#include "Icons.h"
#include "MacTypes.h"

// The six Finder flags that matter to the program, each 1 when its bit is set.
struct sFinderFlags {
  UInt8 aliasFlag;       // 0x8000
  UInt8 invisibleFlag;   // 0x4000
  UInt8 hasBundleFlag;   // 0x2000
  UInt8 nameLockedFlag;  // 0x1000
  UInt8 stationeryFlag;  // 0x0800
  UInt8 customIconFlag;  // 0x0400
};

struct sFileInformation {
  OSType creator;
  OSType fileType;
  sFinderFlags finderFlags;
  Point location;
};

struct sDirectoryInfo {
  Rect windowRect;
  Point location;
  sFinderFlags finderFlags;
};

// One row of a folder-icon table: a folder type and the standard icon of such folders.
struct sFolderIconTableItem {
  OSType folderType;
  SInt32 iconID;
};

// The standard icons of the Folder Manager's folders: those tried for a folder whose parent
// id is 1, and those tried for a folder inside the System Folder.
extern const sFolderIconTableItem sRootFolderIconTable_GlV[6];
extern const sFolderIconTableItem sSystemItemFolderIconTable_GlV[26];

// Standard icon ids.
enum : SInt16 {
  kSpGenericFolderIconID = -3999,
  kSpCustomIconResourceID = -16455,
};

// Clears the record and sets its six bytes from the flags.
void Sp_FinderFlagsToFinderFlagsStruct(short flags, sFinderFlags& out);

// ---- Information ---------------------------------------------------------------------------

// The file's Finder information; fills whichever output is given (not both null).
OSErr Sp_GetFileFinderInformation(short vRefNum, SInt32 dirID, const char* name, FInfo* finderInfo,
                                  sFileInformation* info);
// The folder's Finder information by its id; fills whichever output is given (not both null).
OSErr Sp_GetFolderFinderInformation(short vRefNum, SInt32 dirID, DInfo* dirInfo,
                                    sDirectoryInfo* info);
// The file's catalogue information; every output optional. fileNumberLow is the low 16 bits
// of the file's number.
OSErr Sp_GetFileInformation(short vRefNum, SInt32 dirID, const char* name, short* fileNumberLow,
                            FInfo* finderInfo, signed char* attributes, SInt32* dataLogical,
                            SInt32* dataPhysical, SInt32* resourceLogical, SInt32* resourcePhysical,
                            UInt32* created, UInt32* modified);
// The catalogue information of the named folder in dirID, or of dirID itself when the name
// is null or empty; every output optional.
OSErr Sp_GetFolderInformation(short vRefNum, SInt32 dirID, const char* name,
                              signed char* attributes, short* itemCount, UInt32* created,
                              UInt32* modified, DXInfo* extendedInfo, SInt32* parentDirID);
// Fork sizes of the file; the totals are the sums of both forks. Every output optional.
OSErr Sp_GetFileSize(short vRefNum, SInt32 dirID, const char* name, SInt32* totalLogical,
                     SInt32* totalPhysical, SInt32* dataLogical, SInt32* dataPhysical,
                     SInt32* resourceLogical, SInt32* resourcePhysical);
// The lowest folder at or above dirID with no invisible folder at or above it: 1 with that
// folder in visibleDirID; 0 with dirID when every such folder is hidden under an invisible
// one, or when dirID does not exist.
Boolean Sp_GetVisibleFolder(short vRefNum, SInt32 dirID, SInt32& visibleDirID);
// 1 for a volume of this machine, 0 for a file server's volume or an error.
Boolean Sp_CheckLocalVolume(short vRefNum);

// ---- Icons ---------------------------------------------------------------------------------



// The file's icons: Icon Services when available, else the desktop database by the file's
// creator and type. noErr when icons were added.
OSErr Sp_GetFileIconSuite(short vRefNum, SInt32 dirID, const char* name, IconSuiteRef suite);
// The six classic icon kinds from the volume's desktop database into the suite (into the
// suite's own handle of a kind when it has one): noErr when one was added, paramErr when
// none, memFullErr when no handle can be had; the database's error when it is absent.
OSErr Sp_GetFileIconSuiteFromDesktopDatabase(short vRefNum, UInt32 creator, UInt32 fileType,
                                             IconSuiteRef suite);
// Copies the six classic icon kinds of that id from the current resource file; 1 when one
// was added.
Boolean Sp_GetIconDataFromCurrentResource(short resID, IconSuiteRef suite);
// Copies the eighteen icon kinds of the icon reference; 1 when one was added.
Boolean Sp_GetIconDataFromIconRefNum(IconRef iconRef, IconSuiteRef suite);
// Icon action: adds a copy of one kind's data to the suite given as the data pointer.
OSErr Sp_CatchCopyIconSuiteCB(ResType kind, Handle* iconData, void* targetSuite);
// The folder's icons: its custom icon file, else Icon Services, else the standard folder
// icons. noErr when icons were added, fnfErr when none could be found.
OSErr Sp_GetFolderIconSuite(short vRefNum, SInt32 parentDirID, SInt32 dirID, IconSuiteRef suite);
// The standard icons of the folder: by the folder's place (a volume-level folder, a folder
// inside the System Folder) or its Finder flags, else the generic folder icon. 1 when icons
// were added; the current resource file is kept.
Boolean Sp_GetNormalFolderIcon(short vRefNum, SInt32 parentDirID, SInt32 dirID, IconSuiteRef suite);
// The name of the custom icon file of folders; out must hold 32 bytes.
void Sp_GetIconFileName(char* out);
