// Test API: the resource chain.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_testing {

// Back to the start state: the system file and an empty application file, the application's
// current, loading on. Every resource handle given out before is disposed of.
void ResetResources();

// Puts a resource into the application's file, replacing one of the same type and number.
OSErr AddAppResource(ResType type, SInt16 id, const void* bytes, std::size_t size,
                     const char* name = nullptr);
OSErr AddAppResource(ResType type, SInt16 id, const std::vector<UInt8>& bytes,
                     const char* name = nullptr);

// The bytes of a well-formed 'STR#' holding these strings.
std::vector<UInt8> MakeStringList(const std::vector<std::string>& strings);

}  // namespace sp_testing
