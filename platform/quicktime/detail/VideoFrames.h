// The frames of one video stream of a movie's file, decoded with FFmpeg as a time reaches
// them. Not for the program's own code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "MacTypes.h"
#include "quicktime/detail/ByteSource.h"

namespace sp_platform {
namespace quicktime {

class VideoFrames {
 public:
  // The decoder of stream `streamIndex` of the file; null when FFmpeg cannot open the file or
  // decode the stream.
  static std::unique_ptr<VideoFrames> Open(std::shared_ptr<ByteSource> source,
                                           const std::string& nameHint, int streamIndex);
  ~VideoFrames();
  VideoFrames(const VideoFrames&) = delete;
  VideoFrames& operator=(const VideoFrames&) = delete;

  // The frame shown `seconds` after the stream's start: the last frame that starts at or
  // before it (the first frame before the first start, the last one past the end). False
  // when no frame can be decoded. A later time decodes on from the frame shown; an earlier
  // one seeks back.
  bool ShowFrameAt(double seconds);
  // The stream's stated size.
  UInt32 NaturalWidth() const { return naturalWidth_; }
  UInt32 NaturalHeight() const { return naturalHeight_; }
  // The frame shown: height rows of width pixels 0xAARRGGBB (opaque), and a number that
  // changes whenever another frame is shown.
  const std::vector<UInt32>& Pixels() const { return pixels_; }
  UInt32 Width() const { return width_; }
  UInt32 Height() const { return height_; }
  UInt64 FrameSerial() const { return serial_; }

  struct State;  // FFmpeg's side (VideoFrames.cpp)

 private:
  VideoFrames() = default;
  std::unique_ptr<State> state_;
  std::vector<UInt32> pixels_;
  UInt32 naturalWidth_ = 0;
  UInt32 naturalHeight_ = 0;
  UInt32 width_ = 0;
  UInt32 height_ = 0;
  UInt64 serial_ = 0;
};

}  // namespace quicktime
}  // namespace sp_platform
