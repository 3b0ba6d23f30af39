// Shared by the fuzz targets of the program's own libraries: the temporary home with the
// error log quiet (a long run keeps no file of its records) and, where asked, the
// Preferences folder made.
#pragma once

#include <string>

#include "Folders.h"
#include "FuzzHome.h"
#include "SpErrorInfoSystem.h"

namespace sp_fuzz {

inline OSErr DropRecord(const char*, const char*, SInt32, const char*, URefCon) {
  return noErr;
}

// The temporary home, ready for the program's calls; empty when it could not be made.
inline const std::string& ProgramHome() {
  SpERORSYS_SetRecordSink(DropRecord, 0);
  return Home();
}

// Makes the home's Preferences folder (its ".config") and gives its location; false when it
// cannot be made.
inline bool MakePreferencesFolder(SInt16& vRefNum, SInt32& dirID) {
  return FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID) ==
         noErr;
}

}  // namespace sp_fuzz
