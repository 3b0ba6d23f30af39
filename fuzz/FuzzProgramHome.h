// Shared by the fuzz targets of the program's own libraries: the temporary home with the
// error log quiet (a long run keeps no file of its records) and, where asked, the
// Preferences folder made.
#pragma once

#include <cstddef>
#include <cstdint>
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

// Writes the bytes as the file at `name` (a path inside the folder) in the home's Preferences
// folder, made as needed, and gives the folder's location; false when that cannot be done.
inline bool WritePreferencesFile(const std::string& name, const uint8_t* data, std::size_t size,
                                 SInt16& vRefNum, SInt32& dirID) {
  const std::string& home = ProgramHome();
  // The Preferences folder of a home is its ".config".
  return !home.empty() && MakePreferencesFolder(vRefNum, dirID) &&
         WriteFile(home + "/.config/" + name, data, size);
}

}  // namespace sp_fuzz
