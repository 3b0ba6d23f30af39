// A video stream's frames, decoded with FFmpeg's decoders and converted to 32-bit pixels with
// its scaler.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cmath>

#include "QDPictures.h"
#include "quicktime/detail/StreamDecoder.h"
#include "quicktime/detail/VideoFrames.h"

namespace sp_platform {
namespace quicktime {

struct VideoFrames::State {
  std::unique_ptr<StreamDecoder> decoder;
  AVFrame* current = nullptr;  // the frame shown
  AVFrame* next = nullptr;     // the frame after it, once decoded
  SInt64 currentPts = 0;
  SInt64 nextPts = 0;
  bool haveCurrent = false;
  bool haveNext = false;
  SwsContext* scaler = nullptr;

  ~State() {
    sws_freeContext(scaler);
    av_frame_free(&current);
    av_frame_free(&next);
  }

  // Decodes the next frame of the stream into `next`; false at the end or on an error.
  bool DecodeNext() {
    if (!decoder->Next(next)) return false;
    const SInt64 pts = next->best_effort_timestamp;
    nextPts = pts != AV_NOPTS_VALUE ? pts : (haveCurrent ? currentPts + 1 : 0);
    return true;
  }

  void SeekBefore(SInt64 pts) {
    decoder->SeekBefore(pts);
    haveCurrent = haveNext = false;
  }
};

namespace {

bool IsPictureStream(const AVStream* stream) {
  const AVCodecParameters* par = stream->codecpar;
  return par->codec_type == AVMEDIA_TYPE_VIDEO && par->width > 0 && par->height > 0 &&
         par->width <= kSpMaxImageSide && par->height <= kSpMaxImageSide;
}

}  // namespace

std::unique_ptr<VideoFrames> VideoFrames::Open(std::shared_ptr<ByteSource> source,
                                               const std::string& nameHint, int streamIndex) {
  std::unique_ptr<StreamDecoder> decoder =
      StreamDecoder::Open(std::move(source), nameHint, streamIndex, IsPictureStream);
  if (decoder == nullptr) return nullptr;
  std::unique_ptr<VideoFrames> frames(new VideoFrames);
  frames->state_.reset(new State);
  frames->naturalWidth_ = UInt32(decoder->Stream()->codecpar->width);
  frames->naturalHeight_ = UInt32(decoder->Stream()->codecpar->height);
  State& s = *frames->state_;
  s.decoder = std::move(decoder);
  s.current = av_frame_alloc();
  s.next = av_frame_alloc();
  if (s.current == nullptr || s.next == nullptr) return nullptr;
  return frames;
}

VideoFrames::~VideoFrames() = default;

bool VideoFrames::ShowFrameAt(double seconds) {
  State& s = *state_;
  const SInt64 target = s.decoder->PtsAt(seconds);

  if (s.haveCurrent && target < s.currentPts) s.SeekBefore(target);
  bool changed = false;
  for (;;) {
    if (!s.haveNext) {
      if (!s.DecodeNext()) break;
      s.haveNext = true;
    }
    if (s.haveCurrent && s.nextPts > target) break;
    std::swap(s.current, s.next);
    s.currentPts = s.nextPts;
    s.haveCurrent = true;
    s.haveNext = false;
    changed = true;
  }
  if (!s.haveCurrent) return false;
  if (!changed && !pixels_.empty()) return true;

  const AVFrame* f = s.current;
  if (f->width <= 0 || f->height <= 0 || f->width > kSpMaxImageSide ||
      f->height > kSpMaxImageSide) {
    return false;
  }
  s.scaler = sws_getCachedContext(s.scaler, f->width, f->height, AVPixelFormat(f->format),
                                  f->width, f->height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr,
                                  nullptr, nullptr);
  if (s.scaler == nullptr) return false;
  pixels_.assign(std::size_t(f->width) * std::size_t(f->height), 0);
  uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels_.data()), nullptr, nullptr, nullptr};
  int strides[4] = {f->width * 4, 0, 0, 0};
  sws_scale(s.scaler, f->data, f->linesize, 0, f->height, planes, strides);
  // BGRA bytes are the words 0xAARRGGBB on this little-endian machine; frames are opaque.
  for (UInt32& p : pixels_) p |= 0xFF000000u;
  width_ = UInt32(f->width);
  height_ = UInt32(f->height);
  ++serial_;
  return true;
}

}  // namespace quicktime
}  // namespace sp_platform
