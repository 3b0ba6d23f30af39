#include "TestBundle.h"

#include "cf/internal/BundleHooks.h"

namespace sp_testing {

void SetMainBundleFolder(const std::string& folder) {
  sp_platform::SetMainBundleFolderOverride(folder);
}

void ResetMainBundleFolder() {
  sp_platform::ClearMainBundleFolderOverride();
}

}  // namespace sp_testing
