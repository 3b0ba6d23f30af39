// What the test automation API may change in the movie writer. Not for the program's own code.
#pragma once

#include "MacTypes.h"

namespace sp_platform {
namespace quicktime {

// Leaves this many zero bytes (a hole in the file) before the first sample of each movie file
// made from now on, so that a test reaches offsets past 4 GiB without writing 4 GiB. 0: none.
void SetMovieWriterPaddingForTesting(UInt64 bytes);

}  // namespace quicktime
}  // namespace sp_platform
