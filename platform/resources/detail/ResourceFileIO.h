// Host files behind the Resource Manager's files: whole-file reads and atomic writes.
// Not for the program's own code.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "../../base/MacTypes.h"

namespace sp_platform {
namespace resfile {

struct HostFile {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  bool writable = false;  // the file, its folder and its volume allow writing
};

// Reads the whole file. fnfErr when it is missing or no regular file, mapReadErr when it is
// larger than any resource file can be, else the File Manager's code for the failure.
OSErr ReadWholeFile(const std::string& path, std::shared_ptr<std::vector<UInt8>>& bytes,
                    HostFile& file);

// Writes the bytes to a temporary file beside `file.path` and renames it over it, keeping the
// old file's permissions, Finder information and creation date. The file's identity is
// updated (the rename gives it a new inode).
OSErr WriteWholeFileAtomically(HostFile& file, const std::vector<UInt8>& bytes);

// Writes the bytes into an existing empty file in place.
OSErr WriteIntoEmptyFile(const std::string& path, const std::vector<UInt8>& bytes);

}  // namespace resfile
}  // namespace sp_platform
