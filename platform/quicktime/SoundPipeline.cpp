// The Sound Converter's pipeline: decoding, channel mixing, rate change and encoding.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "Sound.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/SoundFormats.h"
#include "quicktime/detail/SoundPipeline.h"

namespace sp_platform {
namespace quicktime {
namespace {

// Output frames a rate change may hold back or add beyond the exact ratio.
constexpr UInt64 kResamplerSlackFrames = 64;
// The output frames a rate change makes from one slice of its input (about).
constexpr double kRateSliceFrames = 16384;
constexpr float kSideWeight = 0.70710678f;  // -3 dB
// Rate changes kept for their rates once made.
constexpr std::size_t kKeptResamplers = 4;

int RoundedRate(double rate) {
  return int(std::lround(rate));
}

UInt64 DefaultLayoutMask(int channels) {
  AVChannelLayout layout;
  av_channel_layout_default(&layout, channels);
  const UInt64 mask = layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
  av_channel_layout_uninit(&layout);
  return mask;
}

// Where a channel of a layout goes in a stereo mix: weights to the left and the right.
void StereoWeights(AVChannel channel, float& left, float& right) {
  left = right = 0;
  switch (channel) {
    case AV_CHAN_FRONT_LEFT:
    case AV_CHAN_STEREO_LEFT:
      left = 1;
      break;
    case AV_CHAN_FRONT_RIGHT:
    case AV_CHAN_STEREO_RIGHT:
      right = 1;
      break;
    case AV_CHAN_FRONT_LEFT_OF_CENTER:
    case AV_CHAN_BACK_LEFT:
    case AV_CHAN_SIDE_LEFT:
    case AV_CHAN_WIDE_LEFT:
    case AV_CHAN_SURROUND_DIRECT_LEFT:
    case AV_CHAN_TOP_FRONT_LEFT:
    case AV_CHAN_TOP_BACK_LEFT:
    case AV_CHAN_TOP_SIDE_LEFT:
    case AV_CHAN_BOTTOM_FRONT_LEFT:
      left = kSideWeight;
      break;
    case AV_CHAN_FRONT_RIGHT_OF_CENTER:
    case AV_CHAN_BACK_RIGHT:
    case AV_CHAN_SIDE_RIGHT:
    case AV_CHAN_WIDE_RIGHT:
    case AV_CHAN_SURROUND_DIRECT_RIGHT:
    case AV_CHAN_TOP_FRONT_RIGHT:
    case AV_CHAN_TOP_BACK_RIGHT:
    case AV_CHAN_TOP_SIDE_RIGHT:
    case AV_CHAN_BOTTOM_FRONT_RIGHT:
      right = kSideWeight;
      break;
    case AV_CHAN_LOW_FREQUENCY:
    case AV_CHAN_LOW_FREQUENCY_2:
      break;  // the bass channel is left out of a stereo mix
    default:  // centre channels and channels of no known place go to both sides
      left = right = kSideWeight;
      break;
  }
}

// Decoded samples of one sample type as interleaved floats, frames [first, first + n).
template <typename T, typename Convert>
void CopyFrames(const AVFrame* frame, bool planar, int channels, std::size_t first, std::size_t n,
                float* out, Convert convert) {
  const std::size_t ch = std::size_t(channels);
  if (!planar) {
    const T* in = reinterpret_cast<const T*>(frame->extended_data[0]) + first * ch;
    for (std::size_t i = 0; i < n * ch; ++i) out[i] = convert(in[i]);
    return;
  }
  for (std::size_t c = 0; c < ch; ++c) {
    const T* in = reinterpret_cast<const T*>(frame->extended_data[c]) + first;
    for (std::size_t i = 0; i < n; ++i) out[i * ch + c] = convert(in[i]);
  }
}

// A 32-bit sample at full scale 1.0.
inline float FromThirtyTwoBits(SInt32 v) {
  return float(double(v) * (1.0 / 2147483648.0));
}

// Decoded samples of any of FFmpeg's sample formats as interleaved floats.
void FrameToFloats(const AVFrame* frame, int channels, std::size_t first, std::size_t n,
                   std::vector<float>& out) {
  out.resize(n * std::size_t(channels));
  const AVSampleFormat format = AVSampleFormat(frame->format);
  const bool planar = av_sample_fmt_is_planar(format) != 0;
  float* o = out.data();
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
      CopyFrames<UInt8>(frame, planar, channels, first, n, o,
                        [](UInt8 v) { return (float(v) - 128.0f) / 128.0f; });
      break;
    case AV_SAMPLE_FMT_S16:
      CopyFrames<SInt16>(frame, planar, channels, first, n, o,
                         [](SInt16 v) { return float(v) / 32768.0f; });
      break;
    case AV_SAMPLE_FMT_S32:
      CopyFrames<SInt32>(frame, planar, channels, first, n, o, FromThirtyTwoBits);
      break;
    case AV_SAMPLE_FMT_S64:
      CopyFrames<SInt64>(frame, planar, channels, first, n, o,
                         [](SInt64 v) { return float(double(v) / 9223372036854775808.0); });
      break;
    case AV_SAMPLE_FMT_FLT:
      CopyFrames<float>(frame, planar, channels, first, n, o, [](float v) { return v; });
      break;
    case AV_SAMPLE_FMT_DBL:
      CopyFrames<double>(frame, planar, channels, first, n, o, [](double v) { return float(v); });
      break;
    default:
      std::fill(out.begin(), out.end(), 0.0f);
      break;
  }
}

// Decoded samples of one sample type straight into 16-bit output of kChannels channels (1 or
// 2), frame after frame, so that the output is written in order; plain loops the compiler
// turns into vector code.
template <typename T, int kChannels, bool kPlanar, bool kBigEndian, typename Convert>
void CopySixteenBits(const AVFrame* frame, std::size_t first, std::size_t n, UInt8* out,
                     Convert convert) {
  const T* const* p = reinterpret_cast<const T* const*>(frame->extended_data);
  if (!kPlanar) {
    // Interleaved: sample k of the output is sample k of the input.
    const T* in = p[0] + first * kChannels;
    for (std::size_t k = 0; k < n * kChannels; ++k) {
      UInt16 v = UInt16(convert(in[k]));
      if (kBigEndian) v = UInt16((v << 8) | (v >> 8));
      std::memcpy(out + k * 2, &v, 2);
    }
    return;
  }
  for (std::size_t i = 0; i < n; ++i) {
    for (int c = 0; c < kChannels; ++c) {
      const T sample = p[c][first + i];
      UInt16 v = UInt16(convert(sample));
      if (kBigEndian) v = UInt16((v << 8) | (v >> 8));
      std::memcpy(out + (i * kChannels + c) * 2, &v, 2);
    }
  }
}

template <typename T, typename Convert>
void CopySixteenBits(const AVFrame* frame, bool planar, std::size_t ch, std::size_t first,
                     std::size_t n, bool littleEndian, UInt8* out, Convert convert) {
  const int shape = (ch == 2 ? 4 : 0) | (planar ? 2 : 0) | (littleEndian ? 0 : 1);
  switch (shape) {
    case 0:
      return CopySixteenBits<T, 1, false, false>(frame, first, n, out, convert);
    case 1:
      return CopySixteenBits<T, 1, false, true>(frame, first, n, out, convert);
    case 2:
      return CopySixteenBits<T, 1, true, false>(frame, first, n, out, convert);
    case 3:
      return CopySixteenBits<T, 1, true, true>(frame, first, n, out, convert);
    case 4:
      return CopySixteenBits<T, 2, false, false>(frame, first, n, out, convert);
    case 5:
      return CopySixteenBits<T, 2, false, true>(frame, first, n, out, convert);
    case 6:
      return CopySixteenBits<T, 2, true, false>(frame, first, n, out, convert);
    default:
      return CopySixteenBits<T, 2, true, true>(frame, first, n, out, convert);
  }
}

// A 32-bit sample as the nearest 16-bit one (halves rounded up, the top held): the upper half
// plus the bit below it, in 32-bit arithmetic the compiler turns into vector code.
inline SInt16 SixteenOfThirtyTwo(SInt32 v) {
  const SInt32 q = (v >> 16) + ((v >> 15) & 1);
  return SInt16(q > 32767 ? 32767 : q);
}

// Decoded 16-bit, 32-bit or floating-point samples straight into 16-bit output of the same
// channels, frames [first, first + n); false for other sample types.
bool FrameToSixteenBits(const AVFrame* frame, int channels, std::size_t first, std::size_t n,
                        bool littleEndian, UInt8* out) {
  const AVSampleFormat format = AVSampleFormat(frame->format);
  const bool planar = av_sample_fmt_is_planar(format) != 0;
  const std::size_t ch = std::size_t(channels);
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_S16:
      CopySixteenBits<SInt16>(frame, planar, ch, first, n, littleEndian, out,
                              [](SInt16 v) { return v; });
      return true;
    case AV_SAMPLE_FMT_S32:
      CopySixteenBits<SInt32>(frame, planar, ch, first, n, littleEndian, out, SixteenOfThirtyTwo);
      return true;
    case AV_SAMPLE_FMT_FLT:
      CopySixteenBits<float>(frame, planar, ch, first, n, littleEndian, out, SixteenBits);
      return true;
    default:
      return false;
  }
}

// Interleaved floats into an encoder's frame of its own sample format.
void FloatsToFrame(const float* in, std::size_t n, int channels, AVFrame* frame) {
  const AVSampleFormat format = AVSampleFormat(frame->format);
  const bool planar = av_sample_fmt_is_planar(format) != 0;
  const AVSampleFormat packed = av_get_packed_sample_fmt(format);
  for (int c = 0; c < channels; ++c) {
    UInt8* base = frame->extended_data[planar ? c : 0];
    const std::size_t step = planar ? 1 : std::size_t(channels);
    const std::size_t first = planar ? 0 : std::size_t(c);
    for (std::size_t i = 0; i < n; ++i) {
      const float x =
          std::max(-1.0f, std::min(1.0f, in[i * std::size_t(channels) + std::size_t(c)]));
      const std::size_t k = first + i * step;
      switch (packed) {
        case AV_SAMPLE_FMT_S16:
          reinterpret_cast<SInt16*>(base)[k] =
              SInt16(std::min(32767.0f, std::nearbyint(x * 32768.0f)));
          break;
        case AV_SAMPLE_FMT_S32:
          reinterpret_cast<SInt32*>(base)[k] =
              SInt32(std::min(2147483647.0, std::nearbyint(double(x) * 2147483648.0)));
          break;
        case AV_SAMPLE_FMT_FLT:
          reinterpret_cast<float*>(base)[k] = x;
          break;
        case AV_SAMPLE_FMT_DBL:
          reinterpret_cast<double*>(base)[k] = x;
          break;
        case AV_SAMPLE_FMT_U8:
          reinterpret_cast<UInt8*>(base)[k] =
              UInt8(std::min(255.0f, std::nearbyint(x * 128.0f) + 128.0f));
          break;
        default:
          break;
      }
    }
  }
}

AVSampleFormat PickEncoderFormat(const AVCodec* codec) {
  static const AVSampleFormat kPreferred[] = {
      AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S16P, AV_SAMPLE_FMT_S16,
      AV_SAMPLE_FMT_S32P, AV_SAMPLE_FMT_S32, AV_SAMPLE_FMT_U8};
  if (codec->sample_fmts == nullptr) return AV_SAMPLE_FMT_S16;
  for (AVSampleFormat want : kPreferred) {
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
      if (*f == want) return want;
    }
  }
  return AV_SAMPLE_FMT_NONE;
}

// A rate change of `channels` interleaved float channels from rate `from` to `to`, ready to
// start (null when it cannot be made): one of `kept` set up again, or a new one kept there
// (the one least recently used let go past kKeptResamplers).
SwrContext* ResamplerFrom(std::vector<std::pair<int, SwrContext*>>& kept, int from, int to,
                          int channels) {
  auto it = std::find_if(kept.begin(), kept.end(),
                         [from](const std::pair<int, SwrContext*>& k) { return k.first == from; });
  SwrContext* swr = nullptr;
  if (it != kept.end()) {
    swr = it->second;
    kept.erase(it);
    swr_close(swr);
  } else {
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels);
    const int err = swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_FLT, to, &layout,
                                        AV_SAMPLE_FMT_FLT, from, 0, nullptr);
    av_channel_layout_uninit(&layout);
    if (err < 0) swr_free(&swr);
  }
  if (swr == nullptr || swr_init(swr) < 0) {
    swr_free(&swr);
    return nullptr;
  }
  kept.emplace_back(from, swr);
  if (kept.size() > kKeptResamplers) {
    swr_free(&kept.front().second);
    kept.erase(kept.begin());
  }
  return swr;
}

}  // namespace

UInt64 ResampledFrames(const std::vector<RateRun>& runs, int to) {
  // libswresample's count depends on its filter and rounding at both ends: silence is run
  // through rate changes set up as the pipeline's, in blocks.
  constexpr std::size_t kBlock = 1 << 16;
  const std::vector<float> silence(kBlock, 0.0f);
  std::vector<float> out;
  std::vector<std::pair<int, SwrContext*>> kept;
  UInt64 made = 0;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const UInt64 frames = UInt64(std::max<SInt64>(0, runs[r].frames));
    if (runs[r].rate == to) {
      made += frames;
      continue;
    }
    SwrContext* swr = IsSoundRate(runs[r].rate) && IsSoundRate(to)
                          ? ResamplerFrom(kept, runs[r].rate, to, 1)
                          : nullptr;
    if (swr == nullptr) continue;
    const bool withTail = r + 1 == runs.size();
    for (UInt64 left = frames; left > 0 || withTail;) {
      const int n = int(std::min<UInt64>(left, kBlock));
      const int room = swr_get_out_samples(swr, n);
      if (room < 0) break;
      out.resize(std::size_t(room) + 1);
      UInt8* o = reinterpret_cast<UInt8*>(out.data());
      const UInt8* i = reinterpret_cast<const UInt8*>(silence.data());
      const int got = swr_convert(swr, &o, room, n > 0 ? &i : nullptr, n);
      if (got < 0 || n == 0) {
        made += UInt64(std::max(got, 0));
        break;
      }
      made += UInt64(got);
      left -= UInt64(n);
    }
  }
  for (auto& k : kept) swr_free(&k.second);
  return made;
}

OSErr SoundPipeline::Make(const PipelineSpec& spec, std::unique_ptr<SoundPipeline>& out) {
  StartFFmpeg();
  std::unique_ptr<SoundPipeline> p(new (std::nothrow) SoundPipeline);
  if (p == nullptr) return memFullErr;
  p->spec_ = spec;
  const OSErr err = p->Start();
  if (err != noErr) return err;
  out = std::move(p);
  return noErr;
}

SoundPipeline::~SoundPipeline() {
  avcodec_free_context(&decoder_);
  avcodec_free_context(&encoder_);
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  av_frame_free(&encoderFrame_);
  for (auto& kept : resamplers_) swr_free(&kept.second);
}

OSErr SoundPipeline::Start() {
  const PipelineSpec& s = spec_;
  if (s.inChannels < 1 || s.outChannels < 1 || !IsSoundRate(s.inRate) || !IsSoundRate(s.outRate))
    return badFormat;
  inLinear_ = PcmLayoutOf(s.inFormat, s.inSampleSize, s.inLittleEndian, inPcm_);
  outLinear_ = PcmLayoutOf(s.outFormat, s.outSampleSize, false, outPcm_);
  const SoundFormat* inEntry = FindSoundFormat(s.inFormat);
  if (inLinear_) {
    inUnitBytes_ = inPcm_.bytes * std::size_t(s.inChannels);
  } else {
    inVarying_ = inEntry == nullptr || inEntry->layout == SoundLayout::kVaryingPackets;
    if (!inVarying_)
      inUnitBytes_ = std::size_t(inEntry->bytesPerPacket) * std::size_t(s.inChannels);
    if (OSErr err = OpenDecoder()) return err;
  }
  if (outLinear_) {
    outUnitBytes_ = outPcm_.bytes * std::size_t(s.outChannels);
  } else if (OSErr err = OpenEncoder()) {
    return err;
  }
  passThrough_ = inLinear_ && outLinear_ && s.inChannels == s.outChannels &&
                 RoundedRate(s.inRate) == RoundedRate(s.outRate) && inPcm_.kind == outPcm_.kind &&
                 inPcm_.littleEndian == outPcm_.littleEndian;
  inRate_ = lowestRate_ = RoundedRate(s.inRate);
  if (!passThrough_) {
    if (OSErr err = MakeResampler(inRate_)) return err;
  }
  dropLeft_ = s.primingFrames;
  limited_ = s.presentedFrames > 0 || s.paddingFrames >= 0;
  presentLeft_ = s.presentedFrames;
  return noErr;
}

OSErr SoundPipeline::OpenDecoder() {
  const PipelineSpec& s = spec_;
  const int codecID = CodecOfFormat(s.inFormat, s.inSampleSize, s.inLittleEndian);
  const AVCodec* codec = codecID != 0 ? avcodec_find_decoder(AVCodecID(codecID)) : nullptr;
  if (codec == nullptr) return badFormat;
  decoder_ = avcodec_alloc_context3(codec);
  packet_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (decoder_ == nullptr || packet_ == nullptr || frame_ == nullptr) return memFullErr;
  decoder_->sample_rate = RoundedRate(s.inRate);
  av_channel_layout_default(&decoder_->ch_layout, s.inChannels);
  decoder_->bits_per_coded_sample = s.inSampleSize;
  // The decoder trims nothing itself (an Opus pre-skip, say): the frames to drop at the start
  // and to present come with the stream parameters, counted on the decoder's whole output.
  decoder_->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
  decoder_->block_align = int(s.blockAlign != 0 ? s.blockAlign : inUnitBytes_);
  if (!s.codecConfig.empty()) {
    const std::size_t n = s.codecConfig.size();
    decoder_->extradata = static_cast<UInt8*>(av_mallocz(n + AV_INPUT_BUFFER_PADDING_SIZE));
    if (decoder_->extradata == nullptr) return memFullErr;
    std::memcpy(decoder_->extradata, s.codecConfig.data(), n);
    decoder_->extradata_size = int(n);
  }
  if (avcodec_open2(decoder_, codec, nullptr) < 0) return badFormat;
  return noErr;
}

OSErr SoundPipeline::OpenEncoder() {
  const PipelineSpec& s = spec_;
  const int codecID = CodecOfFormat(s.outFormat, s.outSampleSize, false);
  const AVCodec* codec = codecID != 0 ? avcodec_find_encoder(AVCodecID(codecID)) : nullptr;
  if (codec == nullptr) return badFormat;
  const AVSampleFormat format = PickEncoderFormat(codec);
  if (format == AV_SAMPLE_FMT_NONE) return badFormat;
  encoder_ = avcodec_alloc_context3(codec);
  encoderFrame_ = av_frame_alloc();
  if (encoder_ == nullptr || encoderFrame_ == nullptr) return memFullErr;
  encoder_->sample_fmt = format;
  encoder_->sample_rate = RoundedRate(s.outRate);
  av_channel_layout_default(&encoder_->ch_layout, s.outChannels);
  encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (codecID == AV_CODEC_ID_AAC) encoder_->bit_rate = 64000 * std::min<int>(s.outChannels, 2);
  if (s.outBitRate > 0) encoder_->bit_rate = s.outBitRate;
  if (s.outQuality > 0) {
    // The quality scale of the encoders that vary their bit rate: 1 to 100 spans FFmpeg's
    // AAC range of 0.1 to 2.
    encoder_->flags |= AV_CODEC_FLAG_QSCALE;
    encoder_->global_quality =
        int((0.1 + 1.9 * double(s.outQuality - 1) / 99.0) * double(FF_QP2LAMBDA) + 0.5);
  }
  if (avcodec_open2(encoder_, codec, nullptr) < 0) return badFormat;
  if (encoder_->extradata != nullptr && encoder_->extradata_size > 0)
    encoderConfig_.assign(encoder_->extradata, encoder_->extradata + encoder_->extradata_size);
  const SoundFormat* entry = FindSoundFormat(s.outFormat);
  if (entry != nullptr && entry->layout == SoundLayout::kFixedPackets) {
    outUnitBytes_ = std::size_t(entry->bytesPerPacket) * std::size_t(s.outChannels);
    outUnitFrames_ = entry->samplesPerPacket;
  }
  return noErr;
}

std::size_t SoundPipeline::MaxPacketBytes() const {
  if (encoder_ == nullptr) return 0;
  const std::size_t frames = std::size_t(std::max(encoder_->frame_size, 1024));
  return frames * std::size_t(spec_.outChannels) * 4 + 1024;
}

UInt32 SoundPipeline::EncoderPriming() const {
  return encoder_ != nullptr && encoder_->initial_padding > 0 ? UInt32(encoder_->initial_padding)
                                                              : 0;
}

UInt64 SoundPipeline::OutputFramesFor(UInt64 inputFrames) const {
  const int out = RoundedRate(spec_.outRate);
  if (resampler_ == nullptr && rateChanges_.empty() && lowestRate_ == out) return inputFrames;
  // Input at the lowest rate met makes the most output.
  const double exact = double(inputFrames) * double(out) / double(lowestRate_);
  return UInt64(std::ceil(exact)) + kResamplerSlackFrames;
}

OSErr SoundPipeline::MakeResampler(int rate) {
  resampler_ = nullptr;
  const int out = RoundedRate(spec_.outRate);
  if (rate == out) return noErr;
  resampler_ = ResamplerFrom(resamplers_, rate, out, spec_.outChannels);
  if (resampler_ == nullptr) return memFullErr;
  sliceFrames_ = std::size_t(std::max(1.0, std::floor(kRateSliceFrames * rate / out)));
  return noErr;
}

OSErr SoundPipeline::ChangeInputRate(int rate) {
  if (rate == inRate_) return noErr;
  if (!IsSoundRate(rate)) return badFileFormat;
  inRate_ = rate;
  lowestRate_ = std::min(lowestRate_, rate);
  if (Waiting()) {
    // The input waiting is converted from its own rate first.
    rateChanges_.emplace_back(rateWaiting_.size() / std::size_t(spec_.outChannels), rate);
    return noErr;
  }
  return MakeResampler(rate);
}

// ---- Input ---------------------------------------------------------------------------------

OSErr SoundPipeline::PushBytes(const UInt8* data, std::size_t size) {
  if (inVarying_) return PushPacket(data, size);
  if (finished_ || inUnitBytes_ == 0) return paramErr;
  // A unit begun by the last input is completed first.
  if (!carry_.empty()) {
    const std::size_t need = std::min(inUnitBytes_ - carry_.size(), size);
    carry_.insert(carry_.end(), data, data + need);
    data += need;
    size -= need;
    if (carry_.size() < inUnitBytes_) return noErr;
    std::vector<UInt8> unit;
    unit.swap(carry_);
    if (OSErr err = PushBytes(unit.data(), unit.size())) return err;
  }
  const std::size_t whole = size / inUnitBytes_ * inUnitBytes_;
  carry_.assign(data + whole, data + size);
  if (whole == 0) return noErr;
  if (passThrough_) {
    out_.insert(out_.end(), data, data + whole);
    return noErr;
  }
  if (inLinear_) {
    const std::size_t samples = whole / inPcm_.bytes;
    samples_.resize(samples);
    UnpackPcm(inPcm_, data, samples, samples_.data());
    return Process(samples_.data(), samples / std::size_t(spec_.inChannels), spec_.inChannels,
                   DefaultLayoutMask(spec_.inChannels));
  }
  return PushPacket(data, whole);
}

OSErr SoundPipeline::PushPacket(const UInt8* data, std::size_t size) {
  if (finished_ || decoder_ == nullptr) return paramErr;
  if (size == 0) return noErr;
  if (size > std::size_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) return paramErr;
  if (av_new_packet(packet_, int(size)) < 0) return memFullErr;
  std::memcpy(packet_->data, data, size);
  const OSErr err = Decode(packet_);
  av_packet_unref(packet_);
  return err;
}

OSErr SoundPipeline::Decode(AVPacket* packet) {
  int r = avcodec_send_packet(decoder_, packet);
  if (r == AVERROR(EAGAIN)) {
    if (OSErr err = TakeDecodedFrame()) return err;
    r = avcodec_send_packet(decoder_, packet);
  }
  // Damaged data is an error the caller sees, never silence in place of its sound.
  if (r < 0 && r != AVERROR_EOF && r != AVERROR(EAGAIN))
    return r == AVERROR(ENOMEM) ? OSErr(memFullErr) : OSErr(badFileFormat);
  return TakeDecodedFrame();
}

OSErr SoundPipeline::TakeDecodedFrame() {
  for (;;) {
    const int r = avcodec_receive_frame(decoder_, frame_);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return noErr;
    if (r == AVERROR(ENOMEM)) return memFullErr;
    if (r < 0) return badFileFormat;
    const int channels = frame_->ch_layout.nb_channels;
    std::size_t count = std::size_t(frame_->nb_samples);
    if (channels < 1 || count == 0) {
      av_frame_unref(frame_);
      continue;
    }
    const UInt64 mask = frame_->ch_layout.order == AV_CHANNEL_ORDER_NATIVE
                            ? frame_->ch_layout.u.mask
                            : DefaultLayoutMask(channels);
    const UInt64 start = decoded_;
    decoded_ += UInt64(frame_->nb_samples);
    std::size_t first = 0;
    const std::size_t drop = std::size_t(std::min<UInt64>(dropLeft_, count));
    dropLeft_ -= drop;
    first += drop;
    count -= drop;
    largestFrame_ = std::max<UInt64>(largestFrame_, UInt64(frame_->nb_samples));
    // The frame's sound less the cuts amid it, a run at a time.
    const std::vector<FrameCut>& cuts = spec_.cuts;
    OSErr err = noErr;
    while (count > 0 && err == noErr) {
      const UInt64 at = start + first;
      while (nextCut_ < cuts.size() && cuts[nextCut_].at + cuts[nextCut_].frames <= at) ++nextCut_;
      std::size_t run = count;
      if (nextCut_ < cuts.size()) {
        const FrameCut& cut = cuts[nextCut_];
        if (cut.at <= at) {
          run = std::size_t(std::min<UInt64>(count, cut.at + cut.frames - at));
          first += run;
          count -= run;
          continue;
        }
        run = std::size_t(std::min<UInt64>(count, cut.at - at));
      }
      err = Present(channels, mask, first, run);
      first += run;
      count -= run;
    }
    av_frame_unref(frame_);
    if (err != noErr) return err;
  }
}

OSErr SoundPipeline::Present(int channels, UInt64 mask, std::size_t first, std::size_t count) {
  if (limited_) {
    surplus_ += count - std::size_t(std::min<UInt64>(count, presentLeft_));
    count = std::size_t(std::min<UInt64>(count, presentLeft_));
    presentLeft_ -= count;
  }
  if (count == 0) return noErr;
  if (frame_->sample_rate > 0 && frame_->sample_rate != inRate_) {
    if (OSErr err = ChangeInputRate(frame_->sample_rate)) return err;
  }
  // The common case of decoding to 16 bits at the same rate and channels goes straight to
  // the output.
  if (outLinear_ && outPcm_.kind == PcmKind::kSigned16 && resampler_ == nullptr && !Waiting() &&
      channels == spec_.outChannels && channels <= 2) {
    const std::size_t at = out_.size();
    out_.resize(at + count * std::size_t(channels) * 2);
    if (FrameToSixteenBits(frame_, channels, first, count, outPcm_.littleEndian,
                           out_.data() + at))
      return noErr;
    out_.resize(at);
  }
  FrameToFloats(frame_, channels, first, count, samples_);
  return Process(samples_.data(), count, channels, mask);
}

// ---- Mix, rate, output ---------------------------------------------------------------------

void SoundPipeline::BuildMixer(int channels, UInt64 layoutMask) {
  const int outs = spec_.outChannels;
  mixFrom_ = channels;
  mixLayout_ = layoutMask;
  matrix_.assign(std::size_t(outs) * std::size_t(channels), 0.0f);
  auto at = [&](int o, int i) -> float& { return matrix_[std::size_t(o * channels + i)]; };
  if (channels == 1) {
    for (int o = 0; o < outs; ++o) at(o, 0) = 1;
    return;
  }
  if (outs > 2 || channels == outs) {
    for (int c = 0; c < std::min(channels, outs); ++c) at(c, c) = 1;
    return;
  }
  AVChannelLayout layout;
  if (layoutMask != 0) {
    av_channel_layout_from_mask(&layout, layoutMask);
  } else {
    av_channel_layout_default(&layout, channels);
  }
  float sums[2] = {0, 0};
  for (int i = 0; i < channels; ++i) {
    float left = 0, right = 0;
    StereoWeights(av_channel_layout_channel_from_index(&layout, unsigned(i)), left, right);
    if (outs == 1) {
      left = right = (left > 0 || right > 0) ? 1.0f : 0.0f;
      at(0, i) = left;
      sums[0] += left;
    } else {
      at(0, i) = left;
      at(1, i) = right;
      sums[0] += left;
      sums[1] += right;
    }
  }
  av_channel_layout_uninit(&layout);
  // Each output is at most full scale when every input is.
  for (int o = 0; o < outs; ++o) {
    if (sums[o] <= 1.0f) continue;
    for (int i = 0; i < channels; ++i) at(o, i) /= sums[o];
  }
}

OSErr SoundPipeline::Process(const float* frames, std::size_t count, int channels,
                             UInt64 layoutMask) {
  const int outs = spec_.outChannels;
  const float* mixed = frames;
  if (channels != outs || channels > 2) {
    if (channels != mixFrom_ || layoutMask != mixLayout_) BuildMixer(channels, layoutMask);
    mixed_.resize(count * std::size_t(outs));
    const float* m = matrix_.data();
    for (std::size_t f = 0; f < count; ++f) {
      const float* in = frames + f * std::size_t(channels);
      float* out = mixed_.data() + f * std::size_t(outs);
      for (int o = 0; o < outs; ++o) {
        const float* row = m + std::size_t(o * channels);
        float sum = 0;
        for (int i = 0; i < channels; ++i) sum += row[i] * in[i];
        out[o] = sum;
      }
    }
    mixed = mixed_.data();
  }
  if (resampler_ == nullptr && !Waiting()) return Emit(mixed, count);
  // The rate change waits for the output to be drained (ProduceSlice).
  DropConverted();
  rateWaiting_.insert(rateWaiting_.end(), mixed, mixed + count * std::size_t(outs));
  return noErr;
}

// `count` frames of the output's channels through the rate change; none: its last frames.
OSErr SoundPipeline::Resample(const float* frames, std::size_t count) {
  const std::size_t outs = std::size_t(spec_.outChannels);
  const int room = swr_get_out_samples(resampler_, int(count));
  if (room < 0) return memFullErr;
  resampled_.resize(std::size_t(room) * outs + outs);
  UInt8* outPlane = reinterpret_cast<UInt8*>(resampled_.data());
  const UInt8* inPlane = reinterpret_cast<const UInt8*>(frames);
  const int made =
      swr_convert(resampler_, &outPlane, room, count > 0 ? &inPlane : nullptr, int(count));
  if (made < 0) return memFullErr;
  return Emit(resampled_.data(), std::size_t(made));
}

bool SoundPipeline::Waiting() const {
  return rateWaitingAt_ * std::size_t(spec_.outChannels) < rateWaiting_.size() ||
         !rateChanges_.empty();
}

bool SoundPipeline::Pending() const {
  return Waiting() || tailPending_;
}

void SoundPipeline::DropConverted() {
  if (rateWaitingAt_ == 0) return;
  rateWaiting_.erase(
      rateWaiting_.begin(),
      rateWaiting_.begin() + std::ptrdiff_t(rateWaitingAt_ * std::size_t(spec_.outChannels)));
  for (auto& change : rateChanges_) change.first -= rateWaitingAt_;
  rateWaitingAt_ = 0;
}

// One slice of the input waiting for the rate change, so that the output one slice makes is
// bounded whatever the ratio; where the input's rate changes, a new rate change; when none
// waits and the input has ended, the tails.
OSErr SoundPipeline::ProduceSlice() {
  const std::size_t outs = std::size_t(spec_.outChannels);
  if (!rateChanges_.empty() && rateChanges_.front().first <= rateWaitingAt_) {
    const int rate = rateChanges_.front().second;
    rateChanges_.pop_front();
    return MakeResampler(rate);
  }
  const std::size_t waiting = rateWaiting_.size() / outs - rateWaitingAt_;
  if (waiting > 0) {
    std::size_t n = std::min(waiting, sliceFrames_);
    if (!rateChanges_.empty()) n = std::min(n, rateChanges_.front().first - rateWaitingAt_);
    const float* from = rateWaiting_.data() + rateWaitingAt_ * outs;
    const OSErr err = resampler_ != nullptr ? Resample(from, n) : Emit(from, n);
    rateWaitingAt_ += n;
    if (rateWaitingAt_ == rateWaiting_.size() / outs) DropConverted();
    return err;
  }
  if (!tailPending_) return noErr;
  tailPending_ = false;
  return EmitTails();
}

OSErr SoundPipeline::Emit(const float* frames, std::size_t count) {
  if (count == 0) return noErr;
  if (!outLinear_) return Encode(frames, count);
  const std::size_t samples = count * std::size_t(spec_.outChannels);
  const std::size_t at = out_.size();
  out_.resize(at + samples * outPcm_.bytes);
  PackPcm(outPcm_, frames, samples, out_.data() + at);
  return noErr;
}

OSErr SoundPipeline::Encode(const float* frames, std::size_t count) {
  const std::size_t channels = std::size_t(spec_.outChannels);
  encoderWaiting_.insert(encoderWaiting_.end(), frames, frames + count * channels);
  const std::size_t size = encoder_->frame_size > 0 ? std::size_t(encoder_->frame_size) : 0;
  std::size_t waiting = encoderWaiting_.size() / channels;
  std::size_t done = 0;
  if (size == 0) {
    if (OSErr err = SendEncoderFrame(encoderWaiting_.data(), waiting)) return err;
    done = waiting;
  } else {
    while (waiting - done >= size) {
      if (OSErr err = SendEncoderFrame(encoderWaiting_.data() + done * channels, size)) return err;
      done += size;
    }
  }
  encoderWaiting_.erase(encoderWaiting_.begin(),
                        encoderWaiting_.begin() + std::ptrdiff_t(done * channels));
  return noErr;
}

OSErr SoundPipeline::SendEncoderFrame(const float* frames, std::size_t count) {
  if (count == 0) return noErr;
  av_frame_unref(encoderFrame_);
  encoderFrame_->nb_samples = int(count);
  encoderFrame_->format = encoder_->sample_fmt;
  encoderFrame_->sample_rate = encoder_->sample_rate;
  if (av_channel_layout_copy(&encoderFrame_->ch_layout, &encoder_->ch_layout) < 0 ||
      av_frame_get_buffer(encoderFrame_, 0) < 0) {
    return memFullErr;
  }
  FloatsToFrame(frames, count, spec_.outChannels, encoderFrame_);
  const int r = avcodec_send_frame(encoder_, encoderFrame_);
  if (r < 0) return r == AVERROR(ENOMEM) ? OSErr(memFullErr) : OSErr(badFormat);
  return ReceivePackets();
}

OSErr SoundPipeline::ReceivePackets() {
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return memFullErr;
  OSErr err = noErr;
  while (avcodec_receive_packet(encoder_, packet) == 0) {
    if (outUnitBytes_ == 0) {
      // A packet without bytes (FLAC's closing one carries only new stream information) holds
      // no sound: it is no sample of its own.
      if (packet->size > 0) packets_.emplace_back(packet->data, packet->data + packet->size);
    } else {
      out_.insert(out_.end(), packet->data, packet->data + packet->size);
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  return err;
}

OSErr SoundPipeline::Finish() {
  if (finished_) return noErr;
  finished_ = true;
  carry_.clear();
  if (decoder_ != nullptr) {
    avcodec_send_packet(decoder_, nullptr);
    if (OSErr err = TakeDecodedFrame()) return err;
  }
  // The resampler's and the encoder's tails follow the input still waiting, as it is drained.
  tailPending_ = true;
  return noErr;
}

OSErr SoundPipeline::CheckPresented() const {
  if (!limited_ || !finished_) return noErr;
  if (presentLeft_ > 0) return eofErr;
  // Frames beyond the encoder's padding mean the stated length was short: the conversion fails
  // rather than dropping sound. Where the padding is not known, a trimmed last packet and the
  // padding leave at most a packet or two.
  const UInt64 padding = spec_.paddingFrames >= 0 ? UInt64(spec_.paddingFrames)
                                                  : 2 * largestFrame_ + 4096;
  if (surplus_ > padding) return badFileFormat;
  return noErr;
}

OSErr SoundPipeline::EmitTails() {
  if (resampler_ != nullptr) {
    if (OSErr err = Resample(nullptr, 0)) return err;
  }
  if (encoder_ != nullptr) {
    const std::size_t channels = std::size_t(spec_.outChannels);
    std::size_t waiting = encoderWaiting_.size() / channels;
    const bool smallLast =
        (encoder_->codec->capabilities &
         (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) != 0;
    if (waiting > 0 && !smallLast && encoder_->frame_size > 0) {
      // The last frame is filled up with silence.
      encoderWaiting_.resize(std::size_t(encoder_->frame_size) * channels, 0.0f);
      waiting = std::size_t(encoder_->frame_size);
    }
    if (OSErr err = SendEncoderFrame(encoderWaiting_.data(), waiting)) return err;
    encoderWaiting_.clear();
    avcodec_send_frame(encoder_, nullptr);
    if (OSErr err = ReceivePackets()) return err;
  }
  return noErr;
}

OSErr SoundPipeline::Drain(UInt8* dest, std::size_t room, std::size_t maxPackets,
                           std::size_t& bytes, UInt32& units) {
  bytes = 0;
  units = 0;
  for (;;) {
    UInt32 n = 0;
    bytes += Copy(dest + bytes, room - bytes, maxPackets - units, n);
    units += n;
    const bool full = VaryingOutput() ? units >= maxPackets || NextPacketBytes() > room - bytes
                                      : room - bytes < outUnitBytes_ || outStart_ < out_.size();
    if (full || !Pending()) return noErr;
    if (OSErr err = ProduceSlice()) return err;
  }
}

std::size_t SoundPipeline::Copy(UInt8* dest, std::size_t room, std::size_t maxPackets,
                                UInt32& units) {
  units = 0;
  if (outUnitBytes_ == 0) {
    std::size_t copied = 0;
    while (!packets_.empty() && units < maxPackets && packets_.front().size() <= room - copied) {
      std::vector<UInt8>& packet = packets_.front();
      std::memcpy(dest + copied, packet.data(), packet.size());
      copied += packet.size();
      ++units;
      packets_.pop_front();
    }
    return copied;
  }
  const std::size_t waiting = out_.size() - outStart_;
  const std::size_t n = std::min(waiting, room) / outUnitBytes_ * outUnitBytes_;
  if (n > 0) std::memcpy(dest, out_.data() + outStart_, n);
  outStart_ += n;
  units = UInt32(n / outUnitBytes_);
  if (outStart_ == out_.size()) {
    out_.clear();
    outStart_ = 0;
  } else if (outStart_ > out_.size() / 2) {
    out_.erase(out_.begin(), out_.begin() + std::ptrdiff_t(outStart_));
    outStart_ = 0;
  }
  return n;
}

}  // namespace quicktime
}  // namespace sp_platform
