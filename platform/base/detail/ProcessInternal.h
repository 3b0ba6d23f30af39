// The executable's location, for the parts of the layer that find the application's folder
// and its resources from it (the file layer, the main bundle).
#pragma once

#include <string>

namespace sp_platform {

// Absolute path of the running executable (from /proc/self/exe, read once); empty when the
// system does not tell.
const std::string& ExecutablePath();

}  // namespace sp_platform
