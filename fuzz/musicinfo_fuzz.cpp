// The sound-file description kept in the saved media list: the bytes read as a record, which
// must store back to bytes that read as the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "SpCDR_FileMediaObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sSpMusicFileInfo info{};
  if (!SpCDR_ReadMusicFileInfoBytes(data, UInt32(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size), info))
    return 0;
  UInt8 stored[kSpMusicFileInfoSize];
  SpCDR_WriteMusicFileInfoBytes(info, stored);
  sSpMusicFileInfo again{};
  if (!SpCDR_ReadMusicFileInfoBytes(stored, sizeof stored, again)) std::abort();
  UInt8 twice[kSpMusicFileInfoSize];
  SpCDR_WriteMusicFileInfoBytes(again, twice);
  if (std::memcmp(stored, twice, sizeof stored) != 0) std::abort();
  return 0;
}
