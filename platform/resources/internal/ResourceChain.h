// State of the Resource Manager that only the test API changes. Not for the program's own code.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_platform {

// Disposes of every resource and every handle given out, closes every opened file without
// writing it, and leaves the system file and an empty application file, the application's
// current, loading on.
void ResetResourceChain();

// As at the program's start: ResetResourceChain, then the application's file is the compiled
// resource file of the main bundle folder when there is one.
void RestartResourceChain();

// Puts a resource with these bytes into the application's file, replacing one of the same
// type and number (whose handle is disposed of). `name` is a C string, null for none.
OSErr AddApplicationResource(ResType type, SInt16 id, const void* bytes, std::size_t size,
                             const char* name);

// Replaces the application's file (disposing of the handles of the old one) by the resource
// file at `path`, opened read-only, or by a file made of these bytes (kept in memory only).
// On failure the application's file is left empty and the error is returned (fnfErr,
// eofErr, mapReadErr).
OSErr UseApplicationResourceFile(const std::string& path);
OSErr UseApplicationResourceBytes(const std::vector<UInt8>& bytes);

// How many resources the look-ups have examined so far (see detail/ResourceTable.h).
UInt64 ResourcesExaminedByLookUps();

}  // namespace sp_platform
