// The work behind a Sound Converter: input of one format in, output of another out.
//
//   input  -> samples -> channel mix -> rate change -> output
//   linear PCM: ours      ours         libswresample   linear PCM: ours
//   compressed: libavcodec                             compressed: libavcodec
//
// Linear input of exactly the output's format passes through untouched, byte for byte.
// Samples between the stages are interleaved floats. Input is taken whole (a linear remainder
// of less than one frame or packet waits for the next input); output waits in the pipeline
// until it is drained. Input that needs a rate change waits before it and is converted a
// slice at a time as the output is drained, so that the output waiting stays bounded at any
// ratio of rates. Rates are those sound files have (IsSoundRate). Decoded frames at a rate of
// their own (a part of a file joined or chained from others) are converted from that rate: the
// rate change is made again where they start among the input waiting. The frames the one
// before still holds back there are dropped, as FFmpeg drops them when it sets its filters up
// again for the new rate, so that the sound is FFmpeg's frame for frame. Not for the program's
// own code.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "MacTypes.h"
#include "quicktime/detail/LinearPcm.h"
#include "quicktime/detail/SoundFormats.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace sp_platform {
namespace quicktime {

// What a pipeline converts from and to.
struct PipelineSpec {
  OSType inFormat = 0;
  SInt16 inChannels = 0;
  SInt16 inSampleSize = 0;
  double inRate = 0;
  bool inLittleEndian = false;
  std::vector<UInt8> codecConfig;  // the decoder's set-up bytes
  UInt32 blockAlign = 0;           // bytes of one block of a block-aligned codec; 0: the table's
  UInt32 primingFrames = 0;        // decoded frames to drop at the start
  UInt64 presentedFrames = 0;      // decoded frames to present after them; 0: all
  // Decoded frames after those, where known (-1 when not): the presented frames are then exact
  // (0 too), and more frames after them than these fail the conversion.
  SInt64 paddingFrames = -1;
  // Decoded frames dropped amid the sound, in order (counted on the decoder's whole output).
  std::vector<FrameCut> cuts;

  OSType outFormat = 0;
  SInt16 outChannels = 0;
  SInt16 outSampleSize = 0;
  double outRate = 0;
  UInt32 outBitRate = 0;  // bits per second; 0: the encoder's own
  UInt32 outQuality = 0;  // 1 to 100 for an encoder that varies its bit rate; 0: none
};

// Frames at one rate, following others at another.
struct RateRun {
  int rate;
  SInt64 frames;
};

// The frames the pipeline makes at rate `to` of runs of input at rates of their own, one after
// another: at each change of rate the frames the rate change before holds back are dropped;
// those of the last one end the output.
UInt64 ResampledFrames(const std::vector<RateRun>& runs, int to);

class SoundPipeline {
 public:
  // noErr with a pipeline; badFormat when either side cannot be handled, memFullErr.
  static OSErr Make(const PipelineSpec& spec, std::unique_ptr<SoundPipeline>& out);
  ~SoundPipeline();
  SoundPipeline(const SoundPipeline&) = delete;
  SoundPipeline& operator=(const SoundPipeline&) = delete;

  // Input of a linear or fixed-packet format: any number of bytes.
  OSErr PushBytes(const UInt8* data, std::size_t size);
  // One packet of a format of varying packets.
  OSErr PushPacket(const UInt8* data, std::size_t size);
  // No more input: the decoder's, the resampler's and the encoder's tails become output (the
  // last two as the output is drained).
  OSErr Finish();
  // Once the input ended and Finish ran: eofErr when the decoder gave fewer frames than the
  // stream's parameters say it presents, badFileFormat when it gave more than the padding of
  // a packet or two past them (the stream's header understates it); noErr otherwise.
  OSErr CheckPresented() const;

  // Bytes of one output unit (a frame of linear output, a packet of fixed packets); 0 when
  // the output's packets vary.
  std::size_t OutputUnitBytes() const { return outUnitBytes_; }
  std::size_t OutputUnitFrames() const { return outUnitFrames_; }
  bool VaryingInput() const { return inVarying_; }
  bool VaryingOutput() const { return outUnitBytes_ == 0; }
  bool HasOutput() const { return outStart_ < out_.size() || !packets_.empty() || Pending(); }
  // Copies waiting output into `dest`, converting waiting input as it goes: whole units (at
  // most `maxPackets` packets of a varying output), at most `room` bytes, into `bytes` and
  // `units`. An error of the conversion comes with what was copied before it.
  OSErr Drain(UInt8* dest, std::size_t room, std::size_t maxPackets, std::size_t& bytes,
              UInt32& units);
  // The size of the next waiting packet of a varying output (0 when none waits).
  std::size_t NextPacketBytes() const { return packets_.empty() ? 0 : packets_.front().size(); }

  // Output frames (at most) that `inputFrames` frames of input become, at the lowest input rate
  // met so far.
  UInt64 OutputFramesFor(UInt64 inputFrames) const;
  // The encoder's set-up bytes (for an MPEG-4 'esds' and the like); empty without an encoder.
  const std::vector<UInt8>& EncoderConfig() const { return encoderConfig_; }
  // The most bytes one output packet of an encoder can have; 0 without an encoder.
  std::size_t MaxPacketBytes() const;
  // The frames an encoder puts before the first frame of its input (its delay); 0 without one.
  UInt32 EncoderPriming() const;
  double OutputRate() const { return spec_.outRate; }

 private:
  SoundPipeline() = default;
  OSErr Start();
  OSErr OpenDecoder();
  OSErr OpenEncoder();
  OSErr Decode(AVPacket* packet);
  OSErr TakeDecodedFrame();
  OSErr Process(const float* frames, std::size_t count, int channels, UInt64 layoutMask);
  // `count` frames of the decoded frame in hand from its `first`, up to those to present.
  OSErr Present(int channels, UInt64 mask, std::size_t first, std::size_t count);
  OSErr Resample(const float* frames, std::size_t count);
  // Input of `rate` follows: the rate change is made from it once the input before is through.
  OSErr ChangeInputRate(int rate);
  // The rate change from `rate` (none when it is the output's).
  OSErr MakeResampler(int rate);
  bool Pending() const;  // input waits for the rate change, or the tails for their turn
  bool Waiting() const;  // input waits for the rate change
  void DropConverted();  // the input waiting that was converted is let go
  OSErr ProduceSlice();
  OSErr EmitTails();
  std::size_t Copy(UInt8* dest, std::size_t room, std::size_t maxPackets, UInt32& units);
  OSErr Emit(const float* frames, std::size_t count);
  OSErr Encode(const float* frames, std::size_t count);
  OSErr SendEncoderFrame(const float* frames, std::size_t count);
  OSErr ReceivePackets();
  void BuildMixer(int channels, UInt64 layoutMask);

  PipelineSpec spec_;
  bool passThrough_ = false;
  bool inVarying_ = false;
  bool finished_ = false;
  std::size_t inUnitBytes_ = 0;  // linear and fixed input: bytes of a frame or packet
  std::vector<UInt8> carry_;     // a part of a unit waiting for the rest

  bool inLinear_ = false;
  PcmLayout inPcm_;
  AVCodecContext* decoder_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  UInt64 dropLeft_ = 0;     // priming frames still to drop
  UInt64 decoded_ = 0;      // frames the decoder gave so far
  std::size_t nextCut_ = 0;  // the first of the cuts not yet passed
  UInt64 presentLeft_ = 0;  // frames still to present (when limited)
  bool limited_ = false;
  UInt64 surplus_ = 0;      // decoded frames past those to present
  UInt64 largestFrame_ = 0;  // the most frames one decoded frame held

  int mixFrom_ = 0;
  UInt64 mixLayout_ = 0;
  std::vector<float> matrix_;  // outChannels x mixFrom_

  SwrContext* resampler_ = nullptr;  // one of `resamplers_`; none at the output's rate
  // Rate changes made, by their input rate, the latest last: one set up again for its rate
  // costs far less than a new one (a file alternating between rates).
  std::vector<std::pair<int, SwrContext*>> resamplers_;
  std::size_t sliceFrames_ = 1;     // input frames of one slice of the rate change
  std::vector<float> rateWaiting_;  // mixed input waiting for the rate change
  std::size_t rateWaitingAt_ = 0;   // its frames already converted
  int inRate_ = 0;                  // the rate of the input taken last
  int lowestRate_ = 0;              // the lowest input rate met
  // Where the input waiting changes its rate: its frames before the change, and the new rate.
  std::deque<std::pair<std::size_t, int>> rateChanges_;
  bool tailPending_ = false;        // the input ended; the tails follow what waits

  bool outLinear_ = false;
  PcmLayout outPcm_;
  std::size_t outUnitBytes_ = 0;
  std::size_t outUnitFrames_ = 1;
  AVCodecContext* encoder_ = nullptr;
  AVFrame* encoderFrame_ = nullptr;
  std::vector<float> encoderWaiting_;  // frames waiting for a whole encoder frame
  std::vector<UInt8> encoderConfig_;

  // Bytes made for the output: grown by a frame at a time and written over at once, so a
  // growth leaves them unset rather than zeroed first.
  template <typename T>
  struct Unset : std::allocator<T> {
    template <typename U>
    struct rebind {
      using other = Unset<U>;
    };
    Unset() = default;
    template <typename U>
    Unset(const Unset<U>&) {}
    template <typename U>
    void construct(U* at) {
      ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
      ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
  };

  std::vector<float> samples_, mixed_, resampled_;
  std::vector<UInt8, Unset<UInt8>> out_;
  std::size_t outStart_ = 0;
  std::deque<std::vector<UInt8>> packets_;
};

}  // namespace quicktime
}  // namespace sp_platform
