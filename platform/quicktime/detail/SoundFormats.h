// The sound format table of the QuickTime layer: four-character codes, FFmpeg codecs, how a
// format packs its samples and its readable name. Shared by the Sound Manager calls, the
// sample descriptions of movies and the converter. Not for the program's own code.
#pragma once

#include <cstddef>
#include <vector>

#include "MacTypes.h"

namespace sp_platform {
namespace quicktime {

// Decoded frames a stream drops amid its sound, where FFmpeg trims them between the parts of
// a file joined or chained from others (one part's padding, the next one's delay): `frames`
// from frame `at` of the decoder's whole output, counted from its first frame.
struct FrameCut {
  UInt64 at = 0;
  UInt32 frames = 0;
  bool operator==(const FrameCut& o) const { return at == o.at && frames == o.frames; }
};
// The most cuts a stream carries to its conversion: a file of more parts keeps those of its
// first ones.
constexpr std::size_t kMostFrameCuts = 256;

// How the samples of a format are laid out.
enum class SoundLayout {
  kLinear,          // PCM: one packet is one frame; bytes per sample from the sample size
  kFixedPackets,    // packets of a fixed frame count and byte size (IMA 4:1, u-law, MACE, ...)
  kVaryingPackets,  // packets of varying size (MP3, AAC, ALAC, FLAC, ...)
};

struct SoundFormat {
  OSType format = 0;
  int codecID = 0;              // FFmpeg's AVCodecID of the big-endian (or only) variant
  int codecIDLittleEndian = 0;  // of the little-endian variant ('enda' set), 0 when none
  SoundLayout layout = SoundLayout::kVaryingPackets;
  SInt16 compressionID = 0;
  UInt16 samplesPerPacket = 0;  // 0: varies, or as the sample size says (linear)
  UInt16 bytesPerPacket = 0;    // per channel; 0: varies, or from the sample size (linear)
  UInt16 bytesPerSample = 0;    // decoded sample; 0: from the sample size
  UInt16 fixedSampleSize = 0;   // bits, for formats whose samples have one size; 0: any
  const char* name = "";
};

// The table's entry of a format; null when the table lacks it. Formats of codecs without a
// QuickTime code are written as 0x00 followed by the 24 bits of FFmpeg's codec id
// (CodecFormat); they have no entry here.
const SoundFormat* FindSoundFormat(OSType format);

// The four-character code of an FFmpeg codec and its sample size in bits (`bits` is the
// decoder's bits per raw sample, 0 when unknown). `littleEndian` is set for linear formats
// stored little-endian under a big-endian code (they carry an 'enda' extension).
OSType FormatOfCodec(int codecID, int bits, bool* littleEndian, SInt16* sampleSize);
// The FFmpeg codec id of a format of that sample size (0 when there is none).
int CodecOfFormat(OSType format, SInt16 sampleSize, bool littleEndian);
// The code of a codec that has no QuickTime code.
inline OSType CodecFormat(int codecID) {
  return OSType(codecID) & 0x00FFFFFFu;
}

// Whether a format of that sample size and channel count can be decoded or encoded here.
bool CanDecodeFormat(OSType format, SInt16 sampleSize, SInt16 numChannels);
bool CanEncodeFormat(OSType format, SInt16 sampleSize, SInt16 numChannels);
// The only sample rates the format's encoder takes (AAC's: 8000 to 96000 Hz in its steps),
// highest first; empty when it takes any.
std::vector<int> EncoderSampleRates(OSType format);

// The sample rates sound files really have. Others are refused where a file or a conversion
// meets them: a rate change from or to them would cost time and memory out of all proportion
// to the sound.
constexpr double kLowestSoundRate = 1000;
constexpr double kHighestSoundRate = 768000;
inline bool IsSoundRate(double hertz) {
  return hertz >= kLowestSoundRate && hertz <= kHighestSoundRate;
}

// Bytes of one linear sample of a format and sample size; 0 when the size is impossible.
UInt16 LinearSampleBytes(const SoundFormat& format, SInt16 sampleSize);

}  // namespace quicktime
}  // namespace sp_platform
