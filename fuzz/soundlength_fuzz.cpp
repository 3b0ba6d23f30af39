// Sound lengths stated by files: the bytes read as a FLAC file, an MPEG audio file and an Ogg
// file (whole, and at its first and last pages) by the readers of their stated lengths, and by
// the checks of whether a file starts as MPEG audio or FLAC. An input that starts with "VSET"
// and a 16-bit size carries a Vorbis set-up of that size before the file (as FFmpeg hands it
// over).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/StatedLength.h"

namespace qt = sp_platform::quicktime;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<UInt8> setup;
  if (size >= 6 && std::memcmp(data, "VSET", 4) == 0) {
    const std::size_t n = std::size_t(data[4]) << 8 | data[5];
    if (n > size - 6) return 0;
    setup.assign(data + 6, data + 6 + n);
    data += 6 + n;
    size -= 6 + n;
  }
  qt::MemorySource source(std::vector<UInt8>(data, data + size));
  qt::StatedLength length;
  qt::FlacStatedLength(source, length);
  length = qt::StatedLength();
  qt::MpegAudioStatedLength(source, length);
  qt::StatedFormat format;
  qt::StartsAsMpegAudio(source, &format);
  qt::StartsAsFlac(source, &format);
  length = qt::StatedLength();
  qt::OggStatedLength(source, setup, length);
  // The search for the last pages, within a span that a short input exceeds.
  length = qt::StatedLength();
  qt::OggStatedLength(source, setup, length, 64);
  qt::OggPacketCount(source, setup);
  return 0;
}
