// The executable's location, for the other areas of the layer: the menu bar names the
// application after it, and the file layer tells where it is as an FSSpec. Not for the
// program's own code.
#pragma once

#include <string>

#include "MacTypes.h"

namespace sp_platform {

// Absolute path of the running executable (from /proc/self/exe, read once); empty when the
// system does not tell.
const std::string& ExecutablePath();

// GetProcessInformation gives the executable's location as the file layer sees it. The base
// layer knows nothing of files, so the file layer installs this (at start-up) to turn an
// absolute path into an FSSpec: noErr, or the error of locating the path.
typedef OSErr (*FSSpecFromPathProc)(const std::string& path, FSSpec* out);
void SetFSSpecFromPathHook(FSSpecFromPathProc hook);

}  // namespace sp_platform
