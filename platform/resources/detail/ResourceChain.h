// State of the Resource Manager that only the test API changes. Not for the program's own code.
#pragma once

#include <cstddef>

#include "../../base/MacTypes.h"

namespace sp_platform {

// Disposes of every resource and every handle given out, and leaves the system file and an
// empty application file, the application's current, loading on.
void ResetResourceChain();

// Puts a resource with these bytes into the application's file, replacing one of the same
// type and number (whose handle is disposed of). `name` is a C string, null for none.
OSErr AddApplicationResource(ResType type, SInt16 id, const void* bytes, std::size_t size,
                             const char* name);

}  // namespace sp_platform
