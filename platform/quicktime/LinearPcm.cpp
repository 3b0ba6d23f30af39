// Linear PCM to and from the converter's floats.

#include "quicktime/detail/LinearPcm.h"

#include <cmath>
#include <cstring>

#include "Sound.h"

namespace sp_platform {
namespace quicktime {
namespace {

constexpr float kScale8 = 128.0f;
constexpr float kScale16 = 32768.0f;
constexpr float kScale24 = 8388608.0f;
constexpr double kScale32 = 2147483648.0;

// A sample's bytes, most significant first, whatever their order in the file.
inline UInt32 Load(const UInt8* p, std::size_t bytes, bool littleEndian) {
  UInt32 v = 0;
  for (std::size_t i = 0; i < bytes; ++i) {
    v = (v << 8) | p[littleEndian ? bytes - 1 - i : i];
  }
  return v;
}

inline void Store(UInt8* p, std::size_t bytes, bool littleEndian, UInt32 v) {
  for (std::size_t i = 0; i < bytes; ++i) {
    p[littleEndian ? i : bytes - 1 - i] = UInt8(v >> (8 * i));
  }
}

// Rounded to the nearest integer step of `scale` and clipped to [-scale, scale - 1].
inline SInt64 Quantise(float x, double scale) {
  const double v = std::nearbyint(double(x) * scale);
  if (v >= scale) return SInt64(scale) - 1;
  if (v < -scale) return -SInt64(scale);
  return SInt64(v);
}

void Unpack16(const UInt8* in, std::size_t count, bool littleEndian, float* out) {
  for (std::size_t i = 0; i < count; ++i, in += 2) {
    const SInt16 v =
        SInt16(littleEndian ? UInt16(in[0] | (in[1] << 8)) : UInt16((in[0] << 8) | in[1]));
    out[i] = float(v) / kScale16;
  }
}

void Pack16(const float* in, std::size_t count, bool littleEndian, UInt8* out) {
  for (std::size_t i = 0; i < count; ++i, out += 2) {
    const UInt16 v = UInt16(SixteenBits(in[i]));
    out[littleEndian ? 0 : 1] = UInt8(v);
    out[littleEndian ? 1 : 0] = UInt8(v >> 8);
  }
}

}  // namespace

bool PcmLayoutOf(OSType format, SInt16 sampleSize, bool littleEndian, PcmLayout& out) {
  PcmLayout l;
  l.littleEndian = littleEndian;
  switch (format) {
    case k8BitOffsetBinaryFormat:
      if (sampleSize != 8 && sampleSize != 0) return false;
      l.kind = PcmKind::kUnsigned8;
      break;
    case kSoundNotCompressed:
    case k16BitBigEndianFormat:
    case k16BitLittleEndianFormat:
      l.littleEndian = format == k16BitLittleEndianFormat || littleEndian;
      switch (sampleSize) {
        case 8:
          l.kind = format == kSoundNotCompressed ? PcmKind::kUnsigned8 : PcmKind::kSigned8;
          break;
        case 16:
          l.kind = PcmKind::kSigned16;
          break;
        case 24:
          l.kind = PcmKind::kSigned24;
          break;
        case 32:
          l.kind = PcmKind::kSigned32;
          break;
        default:
          return false;
      }
      break;
    case k24BitFormat:
      l.kind = PcmKind::kSigned24;
      break;
    case k32BitFormat:
      l.kind = PcmKind::kSigned32;
      break;
    case k32BitLittleEndianFormat:
      l.kind = PcmKind::kSigned32;
      l.littleEndian = true;
      break;
    case kFloat32Format:
      l.kind = PcmKind::kFloat32;
      break;
    case kFloat64Format:
      l.kind = PcmKind::kFloat64;
      break;
    default:
      return false;
  }
  static const std::size_t kBytes[] = {1, 1, 2, 3, 4, 4, 8};
  l.bytes = kBytes[int(l.kind)];
  out = l;
  return true;
}

void UnpackPcm(const PcmLayout& layout, const UInt8* in, std::size_t count, float* out) {
  const bool le = layout.littleEndian;
  switch (layout.kind) {
    case PcmKind::kUnsigned8:
      for (std::size_t i = 0; i < count; ++i) out[i] = (float(in[i]) - 128.0f) / kScale8;
      break;
    case PcmKind::kSigned8:
      for (std::size_t i = 0; i < count; ++i) out[i] = float(SInt8(in[i])) / kScale8;
      break;
    case PcmKind::kSigned16:
      Unpack16(in, count, le, out);
      break;
    case PcmKind::kSigned24:
      for (std::size_t i = 0; i < count; ++i, in += 3) {
        const SInt32 v = SInt32(Load(in, 3, le) << 8) >> 8;
        out[i] = float(v) / kScale24;
      }
      break;
    case PcmKind::kSigned32:
      for (std::size_t i = 0; i < count; ++i, in += 4) {
        out[i] = float(double(SInt32(Load(in, 4, le))) / kScale32);
      }
      break;
    case PcmKind::kFloat32:
      for (std::size_t i = 0; i < count; ++i, in += 4) {
        const UInt32 bits = Load(in, 4, le);
        std::memcpy(&out[i], &bits, 4);
      }
      break;
    case PcmKind::kFloat64:
      for (std::size_t i = 0; i < count; ++i, in += 8) {
        const UInt64 bits =
            (UInt64(Load(le ? in + 4 : in, 4, le)) << 32) | Load(le ? in : in + 4, 4, le);
        double d;
        std::memcpy(&d, &bits, 8);
        out[i] = float(d);
      }
      break;
  }
}

void PackPcm(const PcmLayout& layout, const float* in, std::size_t count, UInt8* out) {
  const bool le = layout.littleEndian;
  switch (layout.kind) {
    case PcmKind::kUnsigned8:
      for (std::size_t i = 0; i < count; ++i) out[i] = UInt8(Quantise(in[i], kScale8) + 128);
      break;
    case PcmKind::kSigned8:
      for (std::size_t i = 0; i < count; ++i) out[i] = UInt8(Quantise(in[i], kScale8));
      break;
    case PcmKind::kSigned16:
      Pack16(in, count, le, out);
      break;
    case PcmKind::kSigned24:
      for (std::size_t i = 0; i < count; ++i, out += 3) {
        Store(out, 3, le, UInt32(Quantise(in[i], kScale24)));
      }
      break;
    case PcmKind::kSigned32:
      for (std::size_t i = 0; i < count; ++i, out += 4) {
        Store(out, 4, le, UInt32(Quantise(in[i], kScale32)));
      }
      break;
    case PcmKind::kFloat32:
      for (std::size_t i = 0; i < count; ++i, out += 4) {
        UInt32 bits;
        std::memcpy(&bits, &in[i], 4);
        Store(out, 4, le, bits);
      }
      break;
    case PcmKind::kFloat64:
      for (std::size_t i = 0; i < count; ++i, out += 8) {
        const double d = in[i];
        UInt64 bits;
        std::memcpy(&bits, &d, 8);
        Store(le ? out + 4 : out, 4, le, UInt32(bits >> 32));
        Store(le ? out : out + 4, 4, le, UInt32(bits));
      }
      break;
  }
}

}  // namespace quicktime
}  // namespace sp_platform
