// A file of the program's own that cannot be read (settings, start data, file-name
// definitions) is not used, and is kept beside its name for the user to look at, so that the
// next save cannot write over it.
#pragma once

#include <string>

#include "MacTypes.h"

// Where such a file is kept: "<name> (damaged)", the name cut on a character so that the whole
// stays within 255 bytes. One per file, the latest.
std::string Sp_DamagedFileName(const char* name);

// Whether what stands under `name` in the folder takes the name but cannot be read as a file:
// a folder, or a FIFO, socket or device.
bool Sp_UnusableItemStandsAt(short vRefNum, SInt32 dirID, const char* name);

// Renames the file `name` of the folder to its damaged name (replacing an earlier one; a
// folder under the name is renamed only where no item has its damaged name yet; a FIFO,
// socket or device as a file is) and
// writes the one error-log record of it: the source, method and code given, saying where the
// file was kept or why it could not be. The result of the rename (paramErr for a null name).
OSErr Sp_KeepDamagedFile(short vRefNum, SInt32 dirID, const char* name, const char* sourceFile,
                         const char* methodName, SInt32 code);
