// What the test automation API asks of the lengths of sound files. Not for the program's own
// code.
#pragma once

#include "MacTypes.h"

namespace sp_platform {
namespace quicktime {

// How many sound lengths were found by reading a file (kept lengths are not counted), and how
// many of those by decoding it; tests compare them with the files opened.
struct SoundLengthCounts {
  UInt64 indexed = 0;  // of the lengths found, those from a movie's sample index
  UInt64 found = 0;
  UInt64 decoded = 0;
  UInt64 opened = 0;  // files FFmpeg was asked to open
  UInt64 probed = 0;  // of those, the ones whose streams it decoded to learn them
  // Media whose packets were counted after their length was found without them (an Ogg
  // stream's pages walked to the end).
  UInt64 packetsCounted = 0;
};
SoundLengthCounts CountedSoundLengths();
// Lengths kept for files are forgotten (tests that rewrite a file in place within the clock's
// step).
void ForgetSoundLengths();

}  // namespace quicktime
}  // namespace sp_platform
