// One stream of a movie's file decoded with FFmpeg: only that stream's packets are read, and
// its frames come one after another, from the start or from a seek. Not for the program's own
// code.
#pragma once

#include <memory>
#include <string>

#include "MacTypes.h"
#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/Demux.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace sp_platform {
namespace quicktime {

class StreamDecoder {
 public:
  // The decoder of stream `streamIndex` of the file when `accept` takes the stream; null
  // otherwise, or when FFmpeg cannot open the file or has no decoder for the stream.
  static std::unique_ptr<StreamDecoder> Open(std::shared_ptr<ByteSource> source,
                                             const std::string& nameHint, int streamIndex,
                                             bool (*accept)(const AVStream*));
  ~StreamDecoder();
  StreamDecoder(const StreamDecoder&) = delete;
  StreamDecoder& operator=(const StreamDecoder&) = delete;

  AVStream* Stream() const { return stream_; }
  AVCodecContext* Codec() const { return codec_; }
  // The time `seconds` after the stream's start in its time base (0 for a negative time).
  SInt64 PtsAt(double seconds) const;
  // Decodes the next frame into `frame`; false at the end of the stream or on an error.
  bool Next(AVFrame* frame);
  // Goes back (or on) to the key frame at or before `pts`, in the stream's time base; to the
  // stream's start when the file cannot seek there.
  void SeekBefore(SInt64 pts);

 private:
  StreamDecoder() = default;
  std::unique_ptr<Demuxer> demuxer_;
  AVStream* stream_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVPacket* packet_ = nullptr;
  bool draining_ = false;  // the file's packets are used up: the decoder gives its last frames
  bool ended_ = false;     // and those too
};

}  // namespace quicktime
}  // namespace sp_platform
