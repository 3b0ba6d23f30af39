// Sound Converter: the calls, over the pipeline of SoundPipeline.cpp.

#include "SoundConverter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/SoundFormats.h"
#include "quicktime/detail/SoundPipeline.h"

namespace qt = sp_platform::quicktime;

struct SoundConverterRecord {
  SoundComponentData input{};
  SoundComponentData output{};
  bool acceptsVBR = false;
  bool hasParams = false;
  qt::DecompressionParams params;
  qt::EncoderSettings encoder;  // the compression settings given for the output
  std::unique_ptr<qt::SoundPipeline> pipeline;
  bool begun = false;           // the pipeline serves a conversion that has begun
  bool inputEnded = false;      // the fill-buffer procedure said the input is at its end
  std::size_t largestRoom = 0;  // the largest output buffer of the conversion
};

namespace {

// Answers to a fill-buffer procedure that gave no sound before a fill gives up.
constexpr int kMaxEmptyAnswers = 1000;
// The largest decompression atom taken.
constexpr std::size_t kMaxAtomBytes = 1u << 20;

std::unordered_set<const SoundConverterRecord*>& Live() {
  static std::unordered_set<const SoundConverterRecord*> live;
  return live;
}

SoundConverterRecord* Find(SoundConverter sc) {
  return sc != nullptr && Live().count(sc) != 0 ? sc : nullptr;
}

double RateOf(UnsignedFixed rate) {
  return double(rate) / 65536.0;
}

// The pipeline for the converter's formats as they stand. siInvalidSampleRate while the
// input's rate is not known.
OSErr MakePipeline(SoundConverterRecord& c) {
  qt::PipelineSpec s;
  s.inFormat = c.input.format;
  s.inChannels = c.input.numChannels;
  s.inSampleSize = c.input.sampleSize;
  s.inRate = RateOf(c.input.sampleRate);
  if (c.hasParams) {
    s.inLittleEndian = c.params.littleEndian;
    s.codecConfig = c.params.codecConfig;
    if (c.params.hasStreamParams) {
      const qt::StreamParams& p = c.params.stream;
      if (s.inRate == 0) s.inRate = p.rate;
      s.blockAlign = p.blockAlign;
      s.primingFrames = p.primingFrames;
      s.presentedFrames = p.presentedFrames;
      s.paddingFrames = p.paddingFrames;
      s.cuts = p.cuts;
    }
  }
  if (s.inRate <= 0) return siInvalidSampleRate;
  s.outFormat = c.output.format;
  s.outChannels = c.output.numChannels;
  s.outSampleSize = c.output.sampleSize;
  s.outRate = RateOf(c.output.sampleRate);
  s.outBitRate = c.encoder.bitRate;
  s.outQuality = c.encoder.variable ? c.encoder.quality : 0;
  c.pipeline.reset();
  return qt::SoundPipeline::Make(s, c.pipeline);
}

OSErr EnsurePipeline(SoundConverterRecord& c) {
  return c.pipeline != nullptr ? OSErr(noErr) : MakePipeline(c);
}

// The pipeline of a conversion that has begun (beginning one when none has).
OSErr Begun(SoundConverterRecord& c) {
  if (c.begun) return noErr;
  c.inputEnded = false;
  c.largestRoom = 0;
  const OSErr err = MakePipeline(c);
  c.begun = err == noErr;
  return err;
}

void Reset(SoundConverterRecord& c) {
  c.pipeline.reset();
  c.begun = false;
}

// Bytes and frames of one unit (a frame of linear sound, a packet of fixed packets) of a
// format; bytes 0 for packets of varying size.
void UnitOf(const SoundComponentData& d, UInt32& bytes, UInt32& frames) {
  CompressionInfo info{};
  bytes = 0;
  frames = 1;
  if (GetCompressionInfo(fixedCompression, d.format, d.numChannels, d.sampleSize, &info) != noErr)
    return;
  if (info.compressionID == variableCompression) {
    frames = std::max<UInt32>(info.samplesPerPacket, 1);
    return;
  }
  bytes = info.bytesPerFrame;
  frames = std::max<UInt32>(info.samplesPerPacket, 1);
}

// The bytes of a block the fill-buffer procedure gave; 0 for none.
std::size_t BlockBytes(const SoundConverterRecord& c, const SoundComponentData* d) {
  if (d == nullptr || d->buffer == nullptr) return 0;
  if (d->flags & kExtendedSoundData) {
    const auto* e = reinterpret_cast<const ExtendedSoundComponentData*>(d);
    if (e->extendedFlags & kExtendedSoundBufferSizeValid)
      return std::size_t(std::max(0, e->bufferSize));
  }
  UInt32 bytes = 0, frames = 1;
  UnitOf(c.input, bytes, frames);
  if (d->sampleCount <= 0) return 0;
  return std::size_t(UInt32(d->sampleCount) / frames) * bytes;
}

OSErr Push(SoundConverterRecord& c, const SoundComponentData* d, std::size_t bytes) {
  qt::SoundPipeline& p = *c.pipeline;
  const UInt8* data = d->buffer;
  if (!p.VaryingInput()) return p.PushBytes(data, bytes);
  std::size_t packet = bytes;
  const SInt32* sizes = nullptr;
  SInt32 count = 0;
  if (d->flags & kExtendedSoundData) {
    const auto* e = reinterpret_cast<const ExtendedSoundComponentData*>(d);
    if ((e->extendedFlags & kExtendedSoundCommonFrameSizeValid) && e->commonFrameSize > 0) {
      packet = std::size_t(e->commonFrameSize);
    } else if (e->frameSizesArray != nullptr && e->frameCount > 0) {
      sizes = e->frameSizesArray;
      count = e->frameCount;
    }
  }
  std::size_t at = 0;
  for (SInt32 i = 0; at < bytes; ++i) {
    std::size_t n = packet;
    if (sizes != nullptr) {
      if (i >= count) break;
      n = std::size_t(std::max(0, sizes[i]));
    }
    n = std::min(n, bytes - at);
    if (OSErr err = p.PushPacket(data + at, n)) return err;
    at += n;
    if (n == 0) break;
  }
  return noErr;
}

UnsignedFixed FixedRate(double rate) {
  return rate > 0 && rate < 65536.0 ? UnsignedFixed(rate * 65536.0 + 0.5) : 0;
}

}  // namespace

SoundConverterFillBufferDataUPP NewSoundConverterFillBufferDataUPP(
    SoundConverterFillBufferDataProcPtr proc) {
  return proc;
}

void DisposeSoundConverterFillBufferDataUPP(SoundConverterFillBufferDataUPP) {}

OSErr SoundConverterOpen(const SoundComponentData* inputFormat,
                         const SoundComponentData* outputFormat, SoundConverter* sc) {
  if (inputFormat == nullptr || outputFormat == nullptr || sc == nullptr) return paramErr;
  *sc = nullptr;
  qt::StartFFmpeg();
  if (outputFormat->sampleRate == 0) return siInvalidSampleRate;
  // A rate no sound has (an input of 0 waits for its rate in the decompression parameters).
  if ((inputFormat->sampleRate != 0 && !qt::IsSoundRate(RateOf(inputFormat->sampleRate))) ||
      !qt::IsSoundRate(RateOf(outputFormat->sampleRate)))
    return badFormat;
  if (!qt::CanDecodeFormat(inputFormat->format, inputFormat->sampleSize,
                           inputFormat->numChannels) ||
      !qt::CanEncodeFormat(outputFormat->format, outputFormat->sampleSize,
                           outputFormat->numChannels))
    return badFormat;
  auto* converter = new (std::nothrow) SoundConverterRecord;
  if (converter == nullptr) return memFullErr;
  converter->input = *inputFormat;
  converter->output = *outputFormat;
  converter->input.buffer = nullptr;
  converter->output.buffer = nullptr;
  Live().insert(converter);
  *sc = converter;
  return noErr;
}

OSErr SoundConverterClose(SoundConverter sc) {
  if (Live().erase(sc) == 0) return paramErr;
  delete sc;
  return noErr;
}

OSErr SoundConverterGetBufferSizes(SoundConverter sc, UInt32 inputBytesTarget, UInt32* inputFrames,
                                   UInt32* inputBytes, UInt32* outputBytes) {
  SoundConverterRecord* c = Find(sc);
  if (c == nullptr) return paramErr;
  if (OSErr err = EnsurePipeline(*c)) return err;
  const qt::SoundPipeline& p = *c->pipeline;
  UInt32 unitBytes = 0, unitFrames = 1;
  UnitOf(c->input, unitBytes, unitFrames);
  UInt64 frames = 0, bytes = 0;
  if (p.VaryingInput()) {
    frames = unitFrames;
    bytes = inputBytesTarget;
  } else if (unitBytes > 0) {
    const UInt64 units = inputBytesTarget / unitBytes;
    frames = units * unitFrames;
    bytes = units * unitBytes;
  }
  const UInt64 outFrames = frames == 0 ? 0 : p.OutputFramesFor(frames);
  UInt64 out = 0;
  if (p.VaryingOutput()) {
    const UInt64 packets = outFrames / std::max<UInt64>(p.OutputUnitFrames(), 1) + 2;
    out = packets * p.MaxPacketBytes();
  } else {
    const UInt64 unitsOut = (outFrames + p.OutputUnitFrames() - 1) / p.OutputUnitFrames() + 1;
    out = unitsOut * p.OutputUnitBytes();
  }
  if (inputFrames != nullptr) *inputFrames = UInt32(std::min<UInt64>(frames, UINT32_MAX));
  if (inputBytes != nullptr) *inputBytes = UInt32(std::min<UInt64>(bytes, UINT32_MAX));
  if (outputBytes != nullptr) *outputBytes = UInt32(std::min<UInt64>(out, UINT32_MAX));
  return noErr;
}

OSErr SoundConverterBeginConversion(SoundConverter sc) {
  SoundConverterRecord* c = Find(sc);
  if (c == nullptr) return paramErr;
  c->begun = false;
  return Begun(*c);
}

OSErr SoundConverterConvertBuffer(SoundConverter sc, const void* inputPtr, UInt32 inputFrames,
                                  void* outputPtr, UInt32* outputFrames, UInt32* outputBytes) {
  if (outputFrames != nullptr) *outputFrames = 0;
  if (outputBytes != nullptr) *outputBytes = 0;
  SoundConverterRecord* c = Find(sc);
  if (c == nullptr || (inputPtr == nullptr && inputFrames > 0) || outputPtr == nullptr)
    return paramErr;
  if (OSErr err = Begun(*c)) return err;
  qt::SoundPipeline& p = *c->pipeline;
  if (p.VaryingInput() || p.VaryingOutput()) return siVBRCompressionNotSupported;
  UInt32 unitBytes = 0, unitFrames = 1;
  UnitOf(c->input, unitBytes, unitFrames);
  const std::size_t bytes = std::size_t(inputFrames / unitFrames) * unitBytes;
  if (OSErr err = p.PushBytes(static_cast<const UInt8*>(inputPtr), bytes)) return err;
  const UInt64 room =
      (p.OutputFramesFor(inputFrames) / p.OutputUnitFrames() + 1) * p.OutputUnitBytes();
  c->largestRoom = std::max<std::size_t>(c->largestRoom, std::size_t(room));
  UInt32 units = 0;
  std::size_t n = 0;
  if (OSErr err = p.Drain(static_cast<UInt8*>(outputPtr), std::size_t(room), SIZE_MAX, n, units))
    return err;
  if (outputFrames != nullptr) *outputFrames = units;
  if (outputBytes != nullptr) *outputBytes = UInt32(n);
  return noErr;
}

OSErr SoundConverterFillBuffer(SoundConverter sc, SoundConverterFillBufferDataUPP fillBufferDataUPP,
                               void* fillBufferDataRefCon, void* outputBuffer,
                               UInt32 outputBufferByteSize, UInt32* bytesWritten,
                               UInt32* framesWritten, UInt32* outputFlags) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  if (framesWritten != nullptr) *framesWritten = 0;
  if (outputFlags != nullptr) *outputFlags = 0;
  SoundConverterRecord* c = Find(sc);
  if (c == nullptr || fillBufferDataUPP == nullptr || outputBuffer == nullptr) return paramErr;
  if (OSErr err = Begun(*c)) return err;
  qt::SoundPipeline& p = *c->pipeline;
  if ((p.VaryingInput() || p.VaryingOutput()) && !c->acceptsVBR)
    return siVBRCompressionNotSupported;
  c->largestRoom = std::max<std::size_t>(c->largestRoom, outputBufferByteSize);

  UInt8* out = static_cast<UInt8*>(outputBuffer);
  const std::size_t room = outputBufferByteSize;
  std::size_t written = 0;
  UInt32 units = 0;
  UInt32 flags = 0;
  int empties = 0;
  for (;;) {
    UInt32 n = 0;
    std::size_t copied = 0;
    if (OSErr err = p.Drain(out + written, room - written, p.VaryingOutput() ? 1 - units : SIZE_MAX,
                            copied, n))
      return err;
    written += copied;
    units += n;
    const bool full = p.VaryingOutput() ? units > 0 : room - written < p.OutputUnitBytes();
    if (full || p.HasOutput()) {
      // Another fill goes on where this one stopped (one packet of varying size a fill).
      if (!c->inputEnded || p.HasOutput()) flags |= kSoundConverterHasLeftOverData;
      break;
    }
    if (c->inputEnded) {
      flags |= kSoundConverterDidntFillBuffer;
      break;
    }
    SoundComponentDataPtr data = nullptr;
    if (!fillBufferDataUPP(&data, fillBufferDataRefCon)) {
      c->inputEnded = true;
      if (OSErr err = p.Finish()) return err;
      // A source that gave fewer or far more frames than its length is no whole sound.
      if (OSErr err = p.CheckPresented()) return err;
      continue;
    }
    const std::size_t bytes = BlockBytes(*c, data);
    if (bytes == 0) {
      if (++empties > kMaxEmptyAnswers) {
        flags |= kSoundConverterDidntFillBuffer;
        break;
      }
      continue;
    }
    empties = 0;
    if (OSErr err = Push(*c, data, bytes)) return err;
  }
  if (bytesWritten != nullptr) *bytesWritten = UInt32(written);
  if (framesWritten != nullptr) *framesWritten = units;
  if (outputFlags != nullptr) *outputFlags = flags;
  return noErr;
}

OSErr SoundConverterEndConversion(SoundConverter sc, void* outputPtr, UInt32* outputFrames,
                                  UInt32* outputBytes) {
  if (outputFrames != nullptr) *outputFrames = 0;
  if (outputBytes != nullptr) *outputBytes = 0;
  SoundConverterRecord* c = Find(sc);
  if (c == nullptr || outputPtr == nullptr) return paramErr;
  if (!c->begun) return noErr;
  qt::SoundPipeline& p = *c->pipeline;
  OSErr err = p.Finish();
  UInt32 units = 0;
  std::size_t n = 0;
  if (err == noErr)
    err = p.Drain(static_cast<UInt8*>(outputPtr), c->largestRoom, SIZE_MAX, n, units);
  if (outputFrames != nullptr) *outputFrames = units;
  if (outputBytes != nullptr) *outputBytes = UInt32(n);
  Reset(*c);
  return err;
}

OSErr SoundConverterSetInfo(SoundConverter sc, OSType selector, void* infoPtr) {
  SoundConverterRecord* c = Find(sc);
  if (c == nullptr) return paramErr;
  switch (selector) {
    case siClientAcceptsVBR:
      c->acceptsVBR = infoPtr != nullptr;
      return noErr;
    case siDecompressionParams: {
      if (infoPtr == nullptr) return paramErr;
      const UInt8* atom = static_cast<const UInt8*>(infoPtr);
      qt::DecompressionParams params;
      if (!qt::ReadDecompressionAtom(atom, std::min<std::size_t>(sp::LoadBE32(atom), kMaxAtomBytes),
                                     params)) {
        return paramErr;
      }
      if (params.hasEncoderSettings) {
        // Compression settings are the output's: the input keeps its parameters.
        c->encoder = params.encoder;
        break;
      }
      c->params = params;
      c->hasParams = true;
      break;
    }
    case siCompressionSampleRate:
      if (infoPtr == nullptr || *static_cast<const UnsignedFixed*>(infoPtr) == 0) return paramErr;
      c->output.sampleRate = *static_cast<const UnsignedFixed*>(infoPtr);
      break;
    case siCompressionChannels: {
      const SInt16* channels = static_cast<const SInt16*>(infoPtr);
      if (channels == nullptr || *channels < 1 || *channels > 8) return paramErr;
      c->output.numChannels = *channels;
      break;
    }
    default:
      return siUnknownInfoType;
  }
  // A changed format takes effect with the next conversion.
  if (!c->begun) c->pipeline.reset();
  return noErr;
}

OSErr SoundConverterGetInfo(SoundConverter sc, OSType selector, void* infoPtr) {
  SoundConverterRecord* c = Find(sc);
  if (c == nullptr || infoPtr == nullptr) return paramErr;
  switch (selector) {
    case siClientAcceptsVBR:
      *static_cast<Boolean*>(infoPtr) = c->acceptsVBR ? 1 : 0;
      return noErr;
    case siCompressionSampleRate:
      *static_cast<UnsignedFixed*>(infoPtr) = c->output.sampleRate;
      return noErr;
    case siCompressionChannels:
      *static_cast<SInt16*>(infoPtr) = c->output.numChannels;
      return noErr;
    case siCompressionFactor:
      return GetCompressionInfo(fixedCompression, c->output.format, c->output.numChannels,
                                c->output.sampleSize, static_cast<CompressionInfoPtr>(infoPtr));
    default:
      break;
  }
  if (OSErr err = EnsurePipeline(*c)) return err;
  const qt::SoundPipeline& p = *c->pipeline;
  switch (selector) {
    case siCompressionOutputSampleRate:
      *static_cast<UnsignedFixed*>(infoPtr) = FixedRate(p.OutputRate());
      return noErr;
    case siCompressionMaxPacketSize:
      *static_cast<UInt16*>(infoPtr) = UInt16(std::min<std::size_t>(p.MaxPacketBytes(), 0xFFFF));
      return noErr;
    case siDecompressionParams: {
      Handle* out = static_cast<Handle*>(infoPtr);
      *out = nullptr;
      const std::vector<UInt8>& config = p.EncoderConfig();
      const OSType format = c->output.format;
      std::vector<UInt8> inner;
      std::vector<UInt8> frma(4);
      sp::StoreBE32(frma.data(), format);
      auto append = [&inner](const std::vector<UInt8>& atom) {
        inner.insert(inner.end(), atom.begin(), atom.end());
      };
      append(qt::MakeAtom(kAudioFormatAtomType, frma));
      if (format == kMPEG4AudioFormat && !config.empty()) {
        append(qt::MakeAtom(kMPEG4AudioFormat, std::vector<UInt8>(4, 0)));
        append(qt::MakeEsdsAtom(config.data(), config.size(), c->encoder.bitRate, 0, 0));
      } else if (format == kALACFormat && config.size() >= 12 &&
                 sp::LoadBE32(config.data() + 4) == kALACFormat) {
        append(config);
      } else if (!config.empty()) {
        append(qt::MakeAtom(qt::kCodecSetupAtomType, config));
      } else {
        return siUnknownInfoType;
      }
      // The encoder's delay: a movie's edit list skips it.
      if (p.EncoderPriming() > 0) {
        qt::StreamParams stream;
        stream.rate = UInt32(p.OutputRate() + 0.5);
        stream.primingFrames = p.EncoderPriming();
        append(qt::MakeStreamParamsAtom(stream));
      }
      append(std::vector<UInt8>{0, 0, 0, 8, 0, 0, 0, 0});
      const std::vector<UInt8> wave = qt::MakeAtom(SpFourCC("wave"), inner);
      Handle h = NewHandle(Size(wave.size()));
      if (h == nullptr) return memFullErr;
      std::memcpy(*h, wave.data(), wave.size());
      *out = h;
      return noErr;
    }
    default:
      return siUnknownInfoType;
  }
}
