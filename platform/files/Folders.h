// Folder Manager: the system's standard folders, found (and made on request) where a Linux
// desktop keeps them.
//
//   'pref' Preferences      $XDG_CONFIG_HOME, else ~/.config
//   'desk' Desktop          the XDG user folder XDG_DESKTOP_DIR, else ~/Desktop
//   'docs' Documents        XDG_DOCUMENTS_DIR, else ~/Documents
//   'µdoc' Music            XDG_MUSIC_DIR, else ~/Music
//   'trsh' Trash            the volume's freedesktop Trash: $XDG_DATA_HOME/Trash/files
//                           (else ~/.local/share/Trash/files) on the volume holding the home
//                           folder, "<volume>/.Trash/<uid>/files" on another one with a
//                           shared sticky ".Trash" folder, else "<volume>/.Trash-<uid>/files"
//   'temp' Temporary Items  $TMPDIR, else /tmp
// The XDG user folders are read from "$XDG_CONFIG_HOME/user-dirs.dirs" when it exists. Every
// other folder type (the System Folder 'macs', Extensions, Fonts, ...) has no place on Linux
// and answers fnfErr. The environment is read at each call.
#pragma once

#include "Files.h"
#include "MacTypes.h"

enum : OSType {
  kPreferencesFolderType = 0x70726566,     // 'pref'
  kDesktopFolderType = 0x6465736B,         // 'desk'
  kTrashFolderType = 0x74727368,           // 'trsh'
  kDocumentsFolderType = 0x646F6373,       // 'docs'
  kMusicDocumentsFolderType = 0xB5646F63,  // 'µdoc': 0xB5 then 'doc'
  kTemporaryFolderType = 0x74656D70,       // 'temp'
  kSystemFolderType = 0x6D616373,          // 'macs'
};

enum : Boolean {
  kDontCreateFolder = 0,
  kCreateFolder = 1,
};

// Finds the folder of that type for the volume (kOnSystemDisk: the volume of the home
// folder; the Trash is per volume, the other folders are the user's wherever they lie) and
// gives the volume and directory id where the folder lies. With kCreateFolder a missing
// folder is made (with any missing folders above it, each with mode 0700). fnfErr for a
// missing folder without kCreateFolder and for a type Linux has no place for; nsvErr for an
// unknown volume; paramErr for a null output.
OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                 SInt32* foundDirID);
// The same, giving the folder's FSRef.
OSErr FSFindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, FSRef* foundRef);
