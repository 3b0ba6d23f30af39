// Test hook: the mount table the volume list is built from. Not for the program's own code.
#pragma once

#include <string>

namespace sp_platform {
namespace files {
// Text in the form of /proc/self/mountinfo read instead of the real table from the next
// rebuild of the volume list on; an empty text goes back to the real table.
void SetMountTableText(const std::string& text);
}  // namespace files
}  // namespace sp_platform
