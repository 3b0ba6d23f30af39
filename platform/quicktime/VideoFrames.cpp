// A video stream's frames, decoded with FFmpeg's decoders and converted to 32-bit pixels with
// its scaler.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cmath>

#include "QDPictures.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/VideoFrames.h"

namespace sp_platform {
namespace quicktime {

struct VideoFrames::State {
  std::unique_ptr<Demuxer> demuxer;
  AVStream* stream = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* current = nullptr;  // the frame shown
  AVFrame* next = nullptr;     // the frame after it, once decoded
  SInt64 currentPts = 0;
  SInt64 nextPts = 0;
  bool haveCurrent = false;
  bool haveNext = false;
  bool draining = false;  // the file's packets are used up: the decoder gives its last frames
  bool ended = false;     // and those too
  SwsContext* scaler = nullptr;

  ~State() {
    sws_freeContext(scaler);
    av_frame_free(&current);
    av_frame_free(&next);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
  }

  // Decodes the next frame of the stream into `next`; false at the end or on an error.
  bool DecodeNext() {
    while (!ended) {
      const int got = avcodec_receive_frame(codec, next);
      if (got == 0) {
        const SInt64 pts = next->best_effort_timestamp;
        nextPts = pts != AV_NOPTS_VALUE ? pts : (haveCurrent ? currentPts + 1 : 0);
        return true;
      }
      if (got != AVERROR(EAGAIN)) {
        ended = true;
        break;
      }
      if (draining) {
        ended = true;
        break;
      }
      if (av_read_frame(demuxer->Context(), packet) < 0) {
        draining = true;
        avcodec_send_packet(codec, nullptr);
        continue;
      }
      if (packet->stream_index == stream->index) avcodec_send_packet(codec, packet);
      av_packet_unref(packet);
    }
    return false;
  }

  void SeekBefore(SInt64 pts) {
    if (av_seek_frame(demuxer->Context(), stream->index, pts, AVSEEK_FLAG_BACKWARD) < 0) {
      av_seek_frame(demuxer->Context(), stream->index, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    }
    avcodec_flush_buffers(codec);
    haveCurrent = haveNext = draining = ended = false;
  }
};

std::unique_ptr<VideoFrames> VideoFrames::Open(std::shared_ptr<ByteSource> source,
                                               const std::string& nameHint, int streamIndex) {
  std::unique_ptr<Demuxer> demuxer = Demuxer::Open(std::move(source), nameHint);
  if (demuxer == nullptr) return nullptr;
  AVFormatContext* ctx = demuxer->Context();
  if (streamIndex < 0 || unsigned(streamIndex) >= ctx->nb_streams) return nullptr;
  AVStream* stream = ctx->streams[streamIndex];
  const AVCodecParameters* par = stream->codecpar;
  if (par->codec_type != AVMEDIA_TYPE_VIDEO || par->width <= 0 || par->height <= 0 ||
      par->width > kSpMaxImageSide || par->height > kSpMaxImageSide) {
    return nullptr;
  }
  const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
  if (decoder == nullptr) return nullptr;
  std::unique_ptr<VideoFrames> frames(new VideoFrames);
  frames->state_.reset(new State);
  frames->naturalWidth_ = UInt32(par->width);
  frames->naturalHeight_ = UInt32(par->height);
  State& s = *frames->state_;
  s.demuxer = std::move(demuxer);
  s.stream = stream;
  // Only this stream's packets are wanted.
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    if (int(i) != streamIndex) ctx->streams[i]->discard = AVDISCARD_ALL;
  }
  s.codec = avcodec_alloc_context3(decoder);
  s.packet = av_packet_alloc();
  s.current = av_frame_alloc();
  s.next = av_frame_alloc();
  if (s.codec == nullptr || s.packet == nullptr || s.current == nullptr || s.next == nullptr ||
      avcodec_parameters_to_context(s.codec, par) < 0 ||
      avcodec_open2(s.codec, decoder, nullptr) < 0) {
    return nullptr;
  }
  return frames;
}

VideoFrames::~VideoFrames() = default;

bool VideoFrames::ShowFrameAt(double seconds) {
  State& s = *state_;
  const AVRational base = s.stream->time_base;
  const SInt64 start = s.stream->start_time != AV_NOPTS_VALUE ? s.stream->start_time : 0;
  if (!(seconds >= 0)) seconds = 0;
  const double units = seconds * base.den / (base.num > 0 ? base.num : 1);
  const SInt64 target = start + (units < 9.0e18 ? SInt64(std::floor(units + 1e-6)) : SInt64(9e18));

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
