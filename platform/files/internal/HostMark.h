// This machine and its current boot, as the names and records of the files a process leaves
// carry them (side files of saves, records of temporary files), so that what was left can be
// told as this machine's, and as of this boot, or not. Not for the program's own code.
#pragma once

#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

// This machine (a hash of its machine id and host name) and its current boot (a hash of the
// kernel's boot id; 0 when there is none).
struct HostMark {
  UInt32 host = 0;
  UInt32 boot = 0;
};
const HostMark& ThisHost();
// The same as sixteen hexadecimal digits, as tags end.
std::string HostMarkText();

}  // namespace files
}  // namespace sp_platform
