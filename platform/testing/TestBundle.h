// Test API: where the main bundle (the application's resource folder) lives.
#pragma once

#include <string>

namespace sp_testing {

// Points the main bundle at folder (which need not exist yet) and forgets everything read
// from the previous one (Info.plist, string tables).
void SetMainBundleFolder(const std::string& folder);
// Back to the default: "Resources" beside the executable.
void ResetMainBundleFolder();

}  // namespace sp_testing
