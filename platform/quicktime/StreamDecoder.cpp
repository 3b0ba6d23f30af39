// One stream of a file through FFmpeg's demultiplexer and decoder.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>

#include "quicktime/detail/StreamDecoder.h"

namespace sp_platform {
namespace quicktime {

std::unique_ptr<StreamDecoder> StreamDecoder::Open(std::shared_ptr<ByteSource> source,
                                                   const std::string& nameHint, int streamIndex,
                                                   bool (*accept)(const AVStream*)) {
  std::unique_ptr<Demuxer> demuxer = Demuxer::Open(std::move(source), nameHint);
  if (demuxer == nullptr) return nullptr;
  AVFormatContext* ctx = demuxer->Context();
  if (streamIndex < 0 || unsigned(streamIndex) >= ctx->nb_streams) return nullptr;
  AVStream* stream = ctx->streams[streamIndex];
  if (!accept(stream)) return nullptr;
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) return nullptr;
  std::unique_ptr<StreamDecoder> d(new StreamDecoder);
  d->demuxer_ = std::move(demuxer);
  d->stream_ = stream;
  // Only this stream's packets are wanted.
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    if (int(i) != streamIndex) ctx->streams[i]->discard = AVDISCARD_ALL;
  }
  d->codec_ = avcodec_alloc_context3(codec);
  d->packet_ = av_packet_alloc();
  if (d->codec_ == nullptr || d->packet_ == nullptr ||
      avcodec_parameters_to_context(d->codec_, stream->codecpar) < 0 ||
      avcodec_open2(d->codec_, codec, nullptr) < 0) {
    return nullptr;
  }
  return d;
}

StreamDecoder::~StreamDecoder() {
  av_packet_free(&packet_);
  avcodec_free_context(&codec_);
}

SInt64 StreamDecoder::PtsAt(double seconds) const {
  const AVRational base = stream_->time_base;
  const SInt64 start = stream_->start_time != AV_NOPTS_VALUE ? stream_->start_time : 0;
  if (!(seconds >= 0)) seconds = 0;
  const double units = seconds * base.den / (base.num > 0 ? base.num : 1);
  return start + (units < 9.0e18 ? SInt64(std::floor(units + 1e-6)) : SInt64(9e18));
}

bool StreamDecoder::Next(AVFrame* frame) {
  while (!ended_) {
    const int got = avcodec_receive_frame(codec_, frame);
    if (got == 0) return true;
    if (got != AVERROR(EAGAIN) || draining_) {
      ended_ = true;
      break;
    }
    if (av_read_frame(demuxer_->Context(), packet_) < 0) {
      draining_ = true;
      avcodec_send_packet(codec_, nullptr);
      continue;
    }
    if (packet_->stream_index == stream_->index) avcodec_send_packet(codec_, packet_);
    av_packet_unref(packet_);
  }
  return false;
}

void StreamDecoder::SeekBefore(SInt64 pts) {
  if (av_seek_frame(demuxer_->Context(), stream_->index, pts, AVSEEK_FLAG_BACKWARD) < 0) {
    av_seek_frame(demuxer_->Context(), stream_->index, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
  }
  avcodec_flush_buffers(codec_);
  draining_ = ended_ = false;
}

}  // namespace quicktime
}  // namespace sp_platform
