// Linear PCM of every size and byte order the sound formats name, to and from the
// converter's working samples: interleaved 32-bit floats, full scale at 1.0. Not for the
// program's own code.
#pragma once

#include <cstddef>

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

// `count` samples from `in` into `out`.
void UnpackPcm(const PcmLayout& layout, const UInt8* in, std::size_t count, float* out);
// `count` samples from `in` into `out`, rounded to the nearest step and clipped.
void PackPcm(const PcmLayout& layout, const float* in, std::size_t count, UInt8* out);

}  // namespace quicktime
}  // namespace sp_platform
