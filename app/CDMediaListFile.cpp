#include "CDMediaListFile.h"

#include <cstring>
#include <memory>
#include <vector>

#include "ByteOrder.h"
#include "SpStdFunction.h"

namespace {

// Reads the fields of one list in turn; the first failure sticks with its step code.
class FieldReader {
 public:
  FieldReader(const tCDR_MediaListReadProc& read, sCDR_MediaListReadResult& result)
      : read_(read), result_(result) {}

  bool Failed() const { return result_.step != 0; }

  bool U32(short step, UInt32& value) {
    UInt8 bytes[4];
    if (!Raw(step, bytes, 4)) return false;
    value = sp::LoadBE32(bytes);
    return true;
  }
  bool S16(short step, SInt16& value) {
    UInt8 bytes[2];
    if (!Raw(step, bytes, 2)) return false;
    value = SInt16(sp::LoadBE16(bytes));
    return true;
  }
  // A length-prefixed text of at most `limit` bytes: the length's step, the limit's step and
  // the text's step.
  bool Text(short lengthStep, short limitStep, short textStep, SInt32 limit, std::string& text) {
    UInt32 length = 0;
    if (!U32(lengthStep, length)) return false;
    if (length > UInt32(limit)) return Fail(limitStep, kCDR_MediaListLimitDetail);
    text.assign(length, '\0');
    return length == 0 || Raw(textStep, &text[0], SInt32(length));
  }
  bool Raw(short step, void* out, SInt32 n) {
    if (Failed()) return false;
    const OSErr err = read_(out, n);
    return err == noErr || Fail(step, err);
  }
  bool Fail(short step, SInt32 detail) {
    result_.step = step;
    result_.detail = detail;
    return false;
  }

 private:
  const tCDR_MediaListReadProc& read_;
  sCDR_MediaListReadResult& result_;
};

// The count: a number above the limit (read as unsigned) is refused before any record.
bool ReadCount(FieldReader& in, sCDR_MediaListReadResult& result, UInt32 limit) {
  UInt32 count = 0;
  if (!in.U32(3, count)) return false;
  if (count > limit) {
    result.countRefused = true;
    return in.Fail(5, kCDR_MediaListLimitDetail);
  }
  result.count = SInt32(count);
  return true;
}

bool ReadRecordV200(FieldReader& in, sCDR_MediaListRecord& record) {
  UInt32 dirID = 0, fileID = 0;
  if (!in.S16(6, record.vRefNum) || !in.U32(11, dirID) ||
      !in.Text(13, 15, 15, kCDR_MediaListMaxClassicName, record.classicName) ||
      !in.Text(17, 21, 24, kCDR_MediaListMaxLongName, record.longName) || !in.U32(26, fileID) ||
      !in.Text(31, 29, 31, kCDR_MediaListMaxPath, record.fullPath) ||
      !in.Raw(35, record.musicInfo, kSpMusicFileInfoSize)) {
    return false;
  }
  record.dirID = SInt32(dirID);
  record.fileID = SInt32(fileID);
  return true;
}

bool ReadRecordV1(FieldReader& in, sCDR_MediaListRecord& record) {
  UInt32 fileID = 0;
  if (!in.Text(6, 10, 11, kCDR_MediaListMaxPath, record.fullPath) || !in.U32(15, fileID)) {
    return false;
  }
  record.fileID = SInt32(fileID);
  if (record.FileNamePart().size() > std::size_t(kCDR_MediaListMaxLongName)) {
    return in.Fail(20, kCDR_MediaListLimitDetail);
  }
  return true;
}

sCDR_MediaListReadResult ReadRecords(const tCDR_MediaListReadProc& read,
                                     const tCDR_MediaListRecordProc& take, UInt32 limit,
                                     bool (*readRecord)(FieldReader&, sCDR_MediaListRecord&)) {
  sCDR_MediaListReadResult result;
  FieldReader in(read, result);
  if (!ReadCount(in, result, limit)) return result;
  sCDR_MediaListRecord record;
  for (SInt32 index = 1; index <= result.count; ++index) {
    record = sCDR_MediaListRecord();
    if (!readRecord(in, record)) break;
    ++result.delivered;
    if (take && !take(record, index, result.count)) break;
  }
  return result;
}

// The text cut to `limit` bytes without splitting a two-byte character.
std::string Cut(const std::string& text, SInt32 limit) {
  if (text.size() <= std::size_t(limit)) return text;
  std::vector<char> out(std::size_t(limit) + 1, 0);
  Sp_CutStringByByteLen(text.c_str(), short(limit), out.data());
  return std::string(out.data());
}

}  // namespace

std::string sCDR_MediaListRecord::FileNamePart() const {
  const std::size_t colon = fullPath.rfind(':');
  return colon == std::string::npos ? fullPath : fullPath.substr(colon + 1);
}

sCDR_MediaListReadResult CDRMM_ReadMediaListRecordsV200(const tCDR_MediaListReadProc& read,
                                                        const tCDR_MediaListRecordProc& take) {
  return ReadRecords(read, take, kCDR_MediaListMaxCount, ReadRecordV200);
}

sCDR_MediaListReadResult CDRMM_ReadMediaListRecordsV1(const tCDR_MediaListReadProc& read,
                                                      const tCDR_MediaListRecordProc& take) {
  return ReadRecords(read, take, kCDR_MediaListV1MaxCount, ReadRecordV1);
}

short CDRMM_WriteMediaListRecordV200(const tCDR_MediaListWriteProc& write,
                                     const sCDR_MediaListRecord& record) {
  auto u32 = [&](UInt32 value) {
    UInt8 bytes[4];
    sp::StoreBE32(bytes, value);
    return write(bytes, 4) == noErr;
  };
  auto text = [&](const std::string& value) {
    return value.empty() || write(value.data(), SInt32(value.size())) == noErr;
  };
  const std::string classic = Cut(record.classicName, kCDR_MediaListMaxClassicName);
  const std::string longName = Cut(record.longName, kCDR_MediaListMaxLongName);
  const std::string path = Cut(record.fullPath, kCDR_MediaListMaxPath);
  UInt8 volume[2];
  sp::StoreBE16(volume, UInt16(record.vRefNum));
  if (write(volume, 2) != noErr) return 6;
  if (!u32(UInt32(record.dirID))) return 7;
  if (!u32(UInt32(classic.size()))) return 8;
  if (!text(classic)) return 11;
  if (!u32(UInt32(longName.size()))) return 13;
  if (!text(longName)) return 15;
  if (!u32(UInt32(record.fileID))) return 16;
  if (!u32(UInt32(path.size()))) return 21;
  if (!text(path)) return 24;
  if (write(record.musicInfo, kSpMusicFileInfoSize) != noErr) return 31;
  return 0;
}

tCDR_MediaListReadProc CDRMM_MediaListBytesReader(const UInt8* bytes, std::size_t size) {
  auto reader = std::make_shared<sp::ByteReader>(bytes, size);
  return [reader](void* out, SInt32 n) -> OSErr {
    if (n < 0) return paramErr;
    return reader->Bytes(out, std::size_t(n)) ? OSErr(noErr) : OSErr(eofErr);
  };
}
