// Track files of audio CDs read through libcdio, for the other areas of the layer (a movie
// opened by path reads its bytes here). Not for the program's own code.
//
// Such a file is a sparse stand-in whose bytes come from the disc: open it by path as usual,
// but read it through ReadDiscTrackAt.
#pragma once

#include <sys/types.h>

#include <cstddef>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

// True when the file (st_dev, st_ino) is a track of a mounted disc.
bool IsDiscTrackFile(dev_t device, ino_t inode);
// Reads up to `count` bytes at `offset`: the number read (0 at the end), -1 on an error.
long ReadDiscTrackAt(dev_t device, ino_t inode, UInt64 offset, void* buffer, std::size_t count);

}  // namespace files
}  // namespace sp_platform
