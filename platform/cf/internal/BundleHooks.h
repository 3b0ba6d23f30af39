// State of the bundle code that only the test API changes. Not for the program's own code.
#pragma once

#include <string>

namespace sp_platform {

// Points the main bundle at folder and drops what was read from the previous one.
void SetMainBundleFolderOverride(const std::string& folder);
// Back to "Resources" beside the executable.
void ClearMainBundleFolderOverride();

}  // namespace sp_platform
