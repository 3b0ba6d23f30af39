// The saved list of added sound files as it comes from disk, read as either version: the
// reading stays within its limits, and what it reads writes back to bytes that read as the
// same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "CDMediaListFile.h"

namespace {

bool Same(const sCDR_MediaListRecord& a, const sCDR_MediaListRecord& b) {
  return a.vRefNum == b.vRefNum && a.dirID == b.dirID && a.classicName == b.classicName &&
         a.longName == b.longName && a.fileID == b.fileID && a.fullPath == b.fullPath &&
         std::memcmp(a.musicInfo, b.musicInfo, sizeof a.musicInfo) == 0;
}

void ReadVersion200(const uint8_t* data, size_t size) {
  std::vector<sCDR_MediaListRecord> records;
  const sCDR_MediaListReadResult result = CDRMM_ReadMediaListRecordsV200(
      CDRMM_MediaListBytesReader(data, size),
      [&](const sCDR_MediaListRecord& record, SInt32 index, SInt32 count) {
        if (index < 1 || index > count || count > kCDR_MediaListMaxCount) std::abort();
        records.push_back(record);
        return true;
      });
  if (result.delivered != SInt32(records.size()) || result.delivered > result.count) std::abort();
  std::vector<UInt8> again(4);
  sp::StoreBE32(again.data(), UInt32(records.size()));
  for (const auto& record : records) {
    if (CDRMM_WriteMediaListRecordV200(
            [&](const void* bytes, SInt32 n) {
              again.insert(again.end(), static_cast<const UInt8*>(bytes),
                           static_cast<const UInt8*>(bytes) + n);
              return OSErr(noErr);
            },
            record) != 0) {
      std::abort();
    }
  }
  size_t next = 0;
  const sCDR_MediaListReadResult reread = CDRMM_ReadMediaListRecordsV200(
      CDRMM_MediaListBytesReader(again.data(), again.size()),
      [&](const sCDR_MediaListRecord& record, SInt32, SInt32) {
        if (next >= records.size() || !Same(record, records[next++])) std::abort();
        return true;
      });
  if (reread.step != 0 || next != records.size()) std::abort();
}

void ReadVersion1(const uint8_t* data, size_t size) {
  SInt32 seen = 0;
  const sCDR_MediaListReadResult result = CDRMM_ReadMediaListRecordsV1(
      CDRMM_MediaListBytesReader(data, size),
      [&](const sCDR_MediaListRecord& record, SInt32, SInt32 count) {
        if (count > kCDR_MediaListV1MaxCount || record.fullPath.size() > 2046 ||
            record.FileNamePart().size() > 255) {
          std::abort();
        }
        ++seen;
        return true;
      });
  if (result.delivered != seen) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The version word, as the program reads it first; then the rest as a version-200 list.
  if (size >= 4 && sp::LoadBE32(data) == UInt32(kCDR_MediaListVersion)) {
    ReadVersion200(data + 4, size - 4);
  }
  ReadVersion1(data, size);
  return 0;
}
