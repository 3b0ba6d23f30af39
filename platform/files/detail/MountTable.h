// Test hook: the mount table the volume list is built from. Not for the program's own code.
#pragma once

#include <cstddef>
#include <string>

namespace sp_platform {
namespace files {
// Text in the form of /proc/self/mountinfo read instead of the real table from the next
// rebuild of the volume list on; an empty text goes back to the real table.
void SetMountTableText(const std::string& text);
// The names converted to their classic form, and the starts of names tried, while volumes
// were named so far: a count of the naming's steps.
std::size_t VolumeNamingSteps();
}  // namespace files
}  // namespace sp_platform
