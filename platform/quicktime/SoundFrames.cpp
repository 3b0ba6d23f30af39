// An audio stream's sound, decoded with FFmpeg's decoders and converted with libswresample.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>

#include "quicktime/detail/SoundDevice.h"
#include "quicktime/detail/SoundFrames.h"
#include "quicktime/detail/StreamDecoder.h"

namespace sp_platform {
namespace quicktime {

struct SoundFrames::State {
  std::unique_ptr<StreamDecoder> decoder;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  SwrContext* resampler = nullptr;
  // What the resampler converts from: a frame of another rate, sample format or channel layout
  // (a part of a file joined or chained from others) needs a new one.
  int fromRate = 0;
  int fromFormat = -1;
  AVChannelLayout fromLayout{};
  bool ended = false;  // the decoder and the resampler gave their last samples
  double seekTo = 0;      // seconds: sound before this time is dropped
  double nextTime = 0;    // seconds: where the next frame starts when it has no time of its own
  std::vector<SInt16> waiting;  // converted frames not yet read
  std::size_t waitingAt = 0;    // samples of `waiting` already read

  ~State() {
    swr_free(&resampler);
    av_channel_layout_uninit(&fromLayout);
    av_frame_free(&frame);
  }

  // A resampler from the decoder's output to the device's format.
  bool MakeResampler(const AVFrame* f) {
    swr_free(&resampler);
    AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout in{};
    if (f->ch_layout.nb_channels > 0) {
      av_channel_layout_copy(&in, &f->ch_layout);
    } else {
      av_channel_layout_default(&in, decoder->Codec()->ch_layout.nb_channels);
    }
    const int made = swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_S16, kDeviceRate, &in,
                                         AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
    fromRate = f->sample_rate;
    fromFormat = f->format;
    av_channel_layout_uninit(&fromLayout);
    av_channel_layout_copy(&fromLayout, &f->ch_layout);
    av_channel_layout_uninit(&in);
    return made >= 0 && swr_init(resampler) >= 0;
  }

  // Whether the frame is of what the resampler converts from.
  bool ResamplerTakes(const AVFrame* f) const {
    return resampler != nullptr && f->sample_rate == fromRate && f->format == fromFormat &&
           av_channel_layout_compare(&f->ch_layout, &fromLayout) == 0;
  }

  // Converts `count` input samples (null: the resampler's tail) into `waiting`.
  bool Convert(const uint8_t** data, int count) {
    const int room = swr_get_out_samples(resampler, count);
    if (room < 0) return false;
    if (room == 0) return true;
    const std::size_t at = waiting.size();
    waiting.resize(at + std::size_t(room) * kDeviceChannels);
    uint8_t* out = reinterpret_cast<uint8_t*>(waiting.data() + at);
    const int got = swr_convert(resampler, &out, room, data, count);
    waiting.resize(at + std::size_t(std::max(got, 0)) * kDeviceChannels);
    return got >= 0;
  }

  // Decodes the next frame into `waiting`; false at the end or on an error.
  bool DecodeNext() {
    if (ended) return false;
    if (decoder->Next(frame)) return TakeFrame();
    ended = true;
    if (resampler != nullptr) Convert(nullptr, 0);
    return waitingAt < waiting.size();
  }

  bool TakeFrame() {
    if (frame->sample_rate <= 0 || frame->nb_samples <= 0) return true;
    if (!ResamplerTakes(frame)) {
      // The sound of the frames before is through first: the old resampler's tail.
      if (resampler != nullptr && !Convert(nullptr, 0)) {
        ended = true;
        return false;
      }
      if (!MakeResampler(frame)) {
        ended = true;
        return false;
      }
    }
    // After a seek, the part of the frame before the time asked for is dropped.
    const SInt64 pts = frame->best_effort_timestamp;
    const SInt64 start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const double begins = pts != AV_NOPTS_VALUE ? double(pts - start) * av_q2d(stream->time_base)
                                                : nextTime;
    nextTime = begins + double(frame->nb_samples) / frame->sample_rate;
    const double early = std::max(0.0, seekTo - begins) * frame->sample_rate;
    const int first = int(std::min<double>(frame->nb_samples, std::floor(early + 0.5)));
    if (first >= frame->nb_samples) return true;
    const uint8_t* planes[AV_NUM_DATA_POINTERS] = {};
    const int bytes = av_get_bytes_per_sample(AVSampleFormat(frame->format));
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(frame->format)) != 0;
    const int channels = frame->ch_layout.nb_channels;
    for (int i = 0; i < AV_NUM_DATA_POINTERS && frame->extended_data[i] != nullptr; ++i) {
      planes[i] = frame->extended_data[i] + std::size_t(first) * bytes * (planar ? 1 : channels);
      if (!planar) break;
    }
    if (!Convert(planes, frame->nb_samples - first)) ended = true;
    return !ended;
  }
};

namespace {

bool IsSoundStream(const AVStream* stream) {
  return KindOfStream(stream) == StreamKind::kSound;
}

}  // namespace

std::unique_ptr<SoundFrames> SoundFrames::Open(std::shared_ptr<ByteSource> source,
                                               const std::string& nameHint, int streamIndex) {
  std::unique_ptr<StreamDecoder> decoder =
      StreamDecoder::Open(std::move(source), nameHint, streamIndex, IsSoundStream);
  if (decoder == nullptr) return nullptr;
  std::unique_ptr<SoundFrames> frames(new SoundFrames);
  frames->state_.reset(new State);
  State& s = *frames->state_;
  s.stream = decoder->Stream();
  s.decoder = std::move(decoder);
  s.frame = av_frame_alloc();
  if (s.frame == nullptr) return nullptr;
  return frames;
}

SoundFrames::~SoundFrames() = default;

void SoundFrames::Seek(double seconds) {
  State& s = *state_;
  if (!(seconds > 0)) seconds = 0;
  s.decoder->SeekBefore(s.decoder->PtsAt(seconds));
  swr_free(&s.resampler);
  s.waiting.clear();
  s.waitingAt = 0;
  s.ended = false;
  s.seekTo = seconds;
  s.nextTime = 0;
}

void SoundFrames::Read(std::vector<SInt16>& out, std::size_t frames) {
  State& s = *state_;
  std::size_t wanted = frames * kDeviceChannels;
  while (wanted > 0) {
    if (s.waitingAt >= s.waiting.size()) {
      s.waiting.clear();
      s.waitingAt = 0;
      if (!s.DecodeNext() && s.waiting.empty()) return;
      continue;
    }
    const std::size_t n = std::min(wanted, s.waiting.size() - s.waitingAt);
    out.insert(out.end(), s.waiting.begin() + long(s.waitingAt),
               s.waiting.begin() + long(s.waitingAt + n));
    s.waitingAt += n;
    wanted -= n;
  }
}

}  // namespace quicktime
}  // namespace sp_platform
