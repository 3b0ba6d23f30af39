// The sound of one audio stream of a movie's file, decoded with FFmpeg from a time on and
// converted to the sound device's format (16-bit native-endian stereo at 44.1 kHz). Not for
// the program's own code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "MacTypes.h"
#include "quicktime/detail/ByteSource.h"

namespace sp_platform {
namespace quicktime {

class SoundFrames {
 public:
  // The decoder of stream `streamIndex` of the file; null when FFmpeg cannot open the file or
  // decode the stream.
  static std::unique_ptr<SoundFrames> Open(std::shared_ptr<ByteSource> source,
                                           const std::string& nameHint, int streamIndex);
  ~SoundFrames();
  SoundFrames(const SoundFrames&) = delete;
  SoundFrames& operator=(const SoundFrames&) = delete;

  // The sound from `seconds` after the stream's start on.
  void Seek(double seconds);
  // Appends up to `frames` frames to `out` (two samples each); fewer only at the end of the
  // stream or when it cannot be decoded further.
  void Read(std::vector<SInt16>& out, std::size_t frames);

  struct State;  // FFmpeg's side (SoundFrames.cpp)

 private:
  SoundFrames() = default;
  std::unique_ptr<State> state_;
};

}  // namespace quicktime
}  // namespace sp_platform
