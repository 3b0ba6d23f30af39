// Linear PCM of every size and byte order the sound formats name, to and from the
// converter's working samples: interleaved 32-bit floats, full scale at 1.0. Not for the
// program's own code.
#pragma once

#include <cstddef>
#include <cstring>

#include "MacTypes.h"

namespace sp_platform {
namespace quicktime {

// One linear sample layout.
enum class PcmKind {
  kUnsigned8,  // 'raw ' (and 'NONE' of 8 bits): offset binary
  kSigned8,    // 'twos' of 8 bits
  kSigned16,
  kSigned24,
  kSigned32,
  kFloat32,
  kFloat64,
};

struct PcmLayout {
  PcmKind kind = PcmKind::kSigned16;
  bool littleEndian = false;
  std::size_t bytes = 2;  // of one sample
};

// The layout of a linear format of that sample size ('enda' given as littleEndian); false
// when the format is not linear or cannot have that size.
bool PcmLayoutOf(OSType format, SInt16 sampleSize, bool littleEndian, PcmLayout& out);

// A sample of full scale 1.0 as a 16-bit step: rounded to the nearest (ties to even) and
// clipped. Adding 1.5 x 2^23 leaves the rounded integer in the float's low bits, without a
// call to the C library.
inline SInt16 SixteenBits(float x) {
  float v = x * 32768.0f;
  if (!(v > -32768.0f)) v = -32768.0f;
  if (!(v < 32767.0f)) v = 32767.0f;
  const float t = v + 12582912.0f;
  UInt32 bits;
  std::memcpy(&bits, &t, sizeof bits);
  return SInt16(SInt32(bits & 0x7FFFFF) - 0x400000);
}

// `count` samples from `in` into `out`.
void UnpackPcm(const PcmLayout& layout, const UInt8* in, std::size_t count, float* out);
// `count` samples from `in` into `out`, rounded to the nearest step and clipped.
void PackPcm(const PcmLayout& layout, const float* in, std::size_t count, UInt8* out);

}  // namespace quicktime
}  // namespace sp_platform
