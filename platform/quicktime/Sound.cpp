// The sound format table and the Sound Manager calls that read it.

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cstring>
#include <iterator>

#include "Sound.h"
#include "quicktime/detail/SoundFormats.h"

namespace sp_platform {
namespace quicktime {
namespace {

constexpr SoundLayout kLin = SoundLayout::kLinear;
constexpr SoundLayout kFix = SoundLayout::kFixedPackets;
constexpr SoundLayout kVar = SoundLayout::kVaryingPackets;

// Linear formats whose codec depends on the sample size name the 16-bit codec here; the size
// variants are chosen in CodecOfFormat.
const SoundFormat kFormats[] = {
    {kSoundNotCompressed, AV_CODEC_ID_PCM_S16BE, 0, kLin, notCompressed, 1, 0, 0, 0,
     "not compressed"},
    {k16BitBigEndianFormat, AV_CODEC_ID_PCM_S16BE, 0, kLin, notCompressed, 1, 0, 0, 0,
     "16-bit big-endian"},
    {k16BitLittleEndianFormat, AV_CODEC_ID_PCM_S16LE, 0, kLin, notCompressed, 1, 0, 0, 0,
     "16-bit little-endian"},
    {k8BitOffsetBinaryFormat, AV_CODEC_ID_PCM_U8, 0, kLin, notCompressed, 1, 0, 0, 8,
     "8-bit offset binary"},
    {k24BitFormat, AV_CODEC_ID_PCM_S24BE, AV_CODEC_ID_PCM_S24LE, kLin, notCompressed, 1, 0, 0, 24,
     "24-bit integer"},
    {k32BitFormat, AV_CODEC_ID_PCM_S32BE, AV_CODEC_ID_PCM_S32LE, kLin, notCompressed, 1, 0, 0, 32,
     "32-bit integer"},
    {k32BitLittleEndianFormat, AV_CODEC_ID_PCM_S32LE, 0, kLin, notCompressed, 1, 0, 0, 32,
     "32-bit little-endian integer"},
    {kFloat32Format, AV_CODEC_ID_PCM_F32BE, AV_CODEC_ID_PCM_F32LE, kLin, notCompressed, 1, 0, 0, 32,
     "32-bit floating point"},
    {kFloat64Format, AV_CODEC_ID_PCM_F64BE, AV_CODEC_ID_PCM_F64LE, kLin, notCompressed, 1, 0, 0, 64,
     "64-bit floating point"},
    {kULawCompression, AV_CODEC_ID_PCM_MULAW, 0, kFix, fixedCompression, 1, 1, 2, 0, "uLaw 2:1"},
    {kALawCompression, AV_CODEC_ID_PCM_ALAW, 0, kFix, fixedCompression, 1, 1, 2, 0, "aLaw 2:1"},
    {kIMACompression, AV_CODEC_ID_ADPCM_IMA_QT, 0, kFix, fixedCompression, 64, 34, 2, 0, "IMA 4:1"},
    {kMACE3Compression, AV_CODEC_ID_MACE3, 0, kFix, fixedCompression, 6, 2, 1, 0, "MACE 3:1"},
    {kMACE6Compression, AV_CODEC_ID_MACE6, 0, kFix, fixedCompression, 6, 1, 1, 0, "MACE 6:1"},
    {kMicrosoftADPCMFormat, AV_CODEC_ID_ADPCM_MS, 0, kVar, variableCompression, 0, 0, 2, 0,
     "MS ADPCM"},
    {kDVIIntelIMAFormat, AV_CODEC_ID_ADPCM_IMA_WAV, 0, kVar, variableCompression, 0, 0, 2, 0,
     "IMA ADPCM (WAVE)"},
    {kMPEGLayer3Format, AV_CODEC_ID_MP3, 0, kVar, variableCompression, 1152, 0, 2, 0,
     "MPEG Layer 3 (WAVE)"},
    {kFullMPEGLay3Format, AV_CODEC_ID_MP3, 0, kVar, variableCompression, 1152, 0, 2, 0,
     "MPEG Layer 3"},
    {kMPEG4AudioFormat, AV_CODEC_ID_AAC, 0, kVar, variableCompression, 1024, 0, 2, 0, "MPEG-4 AAC"},
    {kALACFormat, AV_CODEC_ID_ALAC, 0, kVar, variableCompression, 4096, 0, 0, 0, "ALAC lossless"},
    {kFLACFormat, AV_CODEC_ID_FLAC, 0, kVar, variableCompression, 0, 0, 0, 0, "FLAC lossless"},
    {kOpusFormat, AV_CODEC_ID_OPUS, 0, kVar, variableCompression, 960, 0, 2, 0, "Opus"},
    {kAC3AudioFormat, AV_CODEC_ID_AC3, 0, kVar, variableCompression, 1536, 0, 2, 0, "AC-3"},
    {kQDesignCompression, AV_CODEC_ID_QDMC, 0, kVar, variableCompression, 0, 0, 2, 0,
     "QDesign Music"},
    {kQDesign2Compression, AV_CODEC_ID_QDM2, 0, kVar, variableCompression, 0, 0, 2, 0,
     "QDesign Music 2"},
    {kQUALCOMMCompression, AV_CODEC_ID_QCELP, 0, kVar, variableCompression, 160, 0, 2, 0, "QCELP"},
    {kAMRNarrowbandFormat, AV_CODEC_ID_AMR_NB, 0, kVar, variableCompression, 160, 0, 2, 0,
     "AMR narrowband"},
};

bool IsAudioCodec(int codecID) {
  const AVCodecDescriptor* d = avcodec_descriptor_get(AVCodecID(codecID));
  return d != nullptr && d->type == AVMEDIA_TYPE_AUDIO;
}

// The codec a format code stands for when the table lacks it: 0x00 then the codec id.
int GenericCodec(OSType format) {
  if ((format >> 24) != 0 || format == 0) return 0;
  const int id = int(format & 0x00FFFFFFu);
  return IsAudioCodec(id) ? id : 0;
}

}  // namespace

const SoundFormat* FindSoundFormat(OSType format) {
  for (const SoundFormat& f : kFormats) {
    if (f.format == format) return &f;
  }
  return nullptr;
}

UInt16 LinearSampleBytes(const SoundFormat& format, SInt16 sampleSize) {
  if (format.layout != SoundLayout::kLinear) return 0;
  if (format.fixedSampleSize != 0) {
    if (sampleSize != 0 && sampleSize != SInt16(format.fixedSampleSize)) return 0;
    return UInt16(format.fixedSampleSize / 8);
  }
  switch (sampleSize) {
    case 8:
    case 16:
    case 24:
    case 32:
      return UInt16(sampleSize / 8);
    default:
      return 0;
  }
}

// The codecs with a sound format of their own: the format, the sample size it reports (0: the
// stream's own) and whether its samples are little-endian.
struct CodecFormatRow {
  int codecID;
  OSType format;
  SInt16 sampleSize;
  bool littleEndian;
};
const CodecFormatRow kCodecFormats[] = {
    {AV_CODEC_ID_PCM_S16BE, k16BitBigEndianFormat, 16, false},
    {AV_CODEC_ID_PCM_S16LE, k16BitLittleEndianFormat, 16, false},
    {AV_CODEC_ID_PCM_S8, k16BitBigEndianFormat, 8, false},
    {AV_CODEC_ID_PCM_U8, k8BitOffsetBinaryFormat, 8, false},
    {AV_CODEC_ID_PCM_S24BE, k24BitFormat, 24, false},
    {AV_CODEC_ID_PCM_S24LE, k24BitFormat, 24, true},
    {AV_CODEC_ID_PCM_S32BE, k32BitFormat, 32, false},
    {AV_CODEC_ID_PCM_S32LE, k32BitFormat, 32, true},
    {AV_CODEC_ID_PCM_F32BE, kFloat32Format, 32, false},
    {AV_CODEC_ID_PCM_F32LE, kFloat32Format, 32, true},
    {AV_CODEC_ID_PCM_F64BE, kFloat64Format, 64, false},
    {AV_CODEC_ID_PCM_F64LE, kFloat64Format, 64, true},
    {AV_CODEC_ID_PCM_MULAW, kULawCompression, 16, false},
    {AV_CODEC_ID_PCM_ALAW, kALawCompression, 16, false},
    {AV_CODEC_ID_ADPCM_IMA_QT, kIMACompression, 16, false},
    {AV_CODEC_ID_MACE3, kMACE3Compression, 8, false},
    {AV_CODEC_ID_MACE6, kMACE6Compression, 8, false},
    {AV_CODEC_ID_ADPCM_MS, kMicrosoftADPCMFormat, 16, false},
    {AV_CODEC_ID_ADPCM_IMA_WAV, kDVIIntelIMAFormat, 16, false},
    {AV_CODEC_ID_MP3, kFullMPEGLay3Format, 16, false},
    {AV_CODEC_ID_AAC, kMPEG4AudioFormat, 16, false},
    {AV_CODEC_ID_ALAC, kALACFormat, 0, false},
    {AV_CODEC_ID_FLAC, kFLACFormat, 0, false},
    {AV_CODEC_ID_OPUS, kOpusFormat, 16, false},
    {AV_CODEC_ID_AC3, kAC3AudioFormat, 16, false},
    {AV_CODEC_ID_QDMC, kQDesignCompression, 16, false},
    {AV_CODEC_ID_QDM2, kQDesign2Compression, 16, false},
    {AV_CODEC_ID_QCELP, kQUALCOMMCompression, 16, false},
    {AV_CODEC_ID_AMR_NB, kAMRNarrowbandFormat, 16, false},
};

OSType FormatOfCodec(int codecID, int bits, bool* littleEndian, SInt16* sampleSize) {
  bool le = false;
  SInt16 size = SInt16(bits > 0 && bits <= 64 ? bits : 16);
  const CodecFormatRow* row =
      std::find_if(std::begin(kCodecFormats), std::end(kCodecFormats),
                   [codecID](const CodecFormatRow& r) { return r.codecID == codecID; });
  OSType format = 0;
  if (row != std::end(kCodecFormats)) {
    format = row->format;
    if (row->sampleSize != 0) size = row->sampleSize;
    le = row->littleEndian;
  } else if (IsAudioCodec(codecID)) {
    format = CodecFormat(codecID);
  }
  if (littleEndian != nullptr) *littleEndian = le;
  if (sampleSize != nullptr) *sampleSize = size;
  return format;
}

int CodecOfFormat(OSType format, SInt16 sampleSize, bool littleEndian) {
  const SoundFormat* f = FindSoundFormat(format);
  if (f == nullptr) return GenericCodec(format);
  if (f->layout == SoundLayout::kLinear && f->fixedSampleSize == 0) {
    const bool le = format == k16BitLittleEndianFormat;
    switch (sampleSize) {
      case 8:
        return format == kSoundNotCompressed ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S8;
      case 16:
        return le ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_S16BE;
      case 24:
        return le ? AV_CODEC_ID_PCM_S24LE : AV_CODEC_ID_PCM_S24BE;
      case 32:
        return le ? AV_CODEC_ID_PCM_S32LE : AV_CODEC_ID_PCM_S32BE;
      default:
        return 0;
    }
  }
  if (littleEndian && f->codecIDLittleEndian != 0) return f->codecIDLittleEndian;
  return f->codecID;
}

namespace {

bool FormatUsable(OSType format, SInt16 sampleSize, SInt16 numChannels, bool encode) {
  if (numChannels < 1 || numChannels > 8) return false;
  const SoundFormat* f = FindSoundFormat(format);
  if (f != nullptr && f->layout == SoundLayout::kLinear) {
    // Linear PCM is converted by the layer itself, both ways.
    return LinearSampleBytes(*f, sampleSize) != 0;
  }
  const int codec = CodecOfFormat(format, sampleSize, false);
  if (codec == 0) return false;
  return encode ? avcodec_find_encoder(AVCodecID(codec)) != nullptr
                : avcodec_find_decoder(AVCodecID(codec)) != nullptr;
}

}  // namespace

bool CanDecodeFormat(OSType format, SInt16 sampleSize, SInt16 numChannels) {
  return FormatUsable(format, sampleSize, numChannels, false);
}

bool CanEncodeFormat(OSType format, SInt16 sampleSize, SInt16 numChannels) {
  return FormatUsable(format, sampleSize, numChannels, true);
}

std::vector<int> EncoderSampleRates(OSType format) {
  std::vector<int> rates;
  const SoundFormat* f = FindSoundFormat(format);
  if (f == nullptr || f->layout == SoundLayout::kLinear) return rates;
  const AVCodec* encoder = avcodec_find_encoder(AVCodecID(f->codecID));
  if (encoder == nullptr || encoder->supported_samplerates == nullptr) return rates;
  for (const int* rate = encoder->supported_samplerates; *rate != 0; ++rate) rates.push_back(*rate);
  std::sort(rates.rbegin(), rates.rend());
  return rates;
}

}  // namespace quicktime
}  // namespace sp_platform

using sp_platform::quicktime::FindSoundFormat;
using sp_platform::quicktime::SoundFormat;
using sp_platform::quicktime::SoundLayout;

OSErr GetCompressionInfo(SInt16 compressionID, OSType format, SInt16 numChannels, SInt16 sampleSize,
                         CompressionInfoPtr cp) {
  if (cp == nullptr || numChannels < 1) return paramErr;
  if (compressionID == threeToOne) format = kMACE3Compression;
  if (compressionID == sixToOne) format = kMACE6Compression;
  const SoundFormat* f = FindSoundFormat(format);
  if (f == nullptr) return siInvalidCompression;
  CompressionInfo info{};
  info.recordSize = kCompressionInfoRecordSize;
  info.format = format;
  info.compressionID = f->compressionID;
  switch (f->layout) {
    case SoundLayout::kLinear: {
      const UInt16 bytes = sp_platform::quicktime::LinearSampleBytes(*f, sampleSize);
      if (bytes == 0) return paramErr;
      info.samplesPerPacket = 1;
      info.bytesPerPacket = bytes;
      info.bytesPerFrame = UInt16(bytes * numChannels);
      info.bytesPerSample = bytes;
      break;
    }
    case SoundLayout::kFixedPackets:
      info.samplesPerPacket = f->samplesPerPacket;
      info.bytesPerPacket = f->bytesPerPacket;
      info.bytesPerFrame = UInt16(f->bytesPerPacket * numChannels);
      info.bytesPerSample = f->bytesPerSample;
      break;
    case SoundLayout::kVaryingPackets:
      info.samplesPerPacket = f->samplesPerPacket;
      info.bytesPerSample =
          f->bytesPerSample != 0
              ? f->bytesPerSample
              : UInt16(sampleSize > 0 && sampleSize <= 32 ? (sampleSize + 7) / 8 : 2);
      break;
  }
  *cp = info;
  return noErr;
}

OSErr GetCompressionName(OSType compressionType, Str255 compressionName) {
  if (compressionName == nullptr) return paramErr;
  compressionName[0] = 0;
  const SoundFormat* f = FindSoundFormat(compressionType);
  if (f == nullptr) return siInvalidCompression;
  const std::size_t n = std::strlen(f->name);
  compressionName[0] = static_cast<unsigned char>(n);
  std::memcpy(compressionName + 1, f->name, n);
  return noErr;
}
