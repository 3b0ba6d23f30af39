// The item numbers of the standard sound compression dialog, for the test automation API that
// answers it. Not for the program's own code.
#pragma once

#include "MacTypes.h"

namespace sp_platform {
namespace quicktime {

enum : SInt16 {
  kSoundSettingsOK = 1,
  kSoundSettingsCancel = 2,
  kSoundSettingsMono = 3,
  kSoundSettingsStereo = 4,
  kSoundSettingsRate = 5,              // edit text, hertz
  kSoundSettingsSize = 6,              // edit text, bits
  kSoundSettingsBitRate = 7,           // edit text, kbit/s (empty: the compressor's own)
  kSoundSettingsVariable = 8,          // check box
  kSoundSettingsQuality = 9,           // edit text, 1 to 100
  kSoundSettingsFirstLabel = 10,       // six static texts
  kSoundSettingsFirstCompressor = 16,  // a radio button per compressor, in the order below
};

// The compressors the dialog offers, in item order ('NONE': no compression). A compressor
// the system cannot encode is hidden.
constexpr OSType kSoundSettingsCompressors[] = {
    SpFourCC("NONE"), SpFourCC("ima4"), SpFourCC("ulaw"), SpFourCC("alaw"),
    SpFourCC("mp4a"), SpFourCC("alac"), SpFourCC("in24"), SpFourCC("fl32"),
};

}  // namespace quicktime
}  // namespace sp_platform
