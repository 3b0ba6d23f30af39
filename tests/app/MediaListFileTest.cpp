// The saved list's bytes: what the writer lays down, what the reader refuses and where it
// stops, on lists cut short and lists with lengths past their limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CDMediaListFile.h"
#include "SpCDREngineAlert.h"

namespace {

using Bytes = std::vector<UInt8>;

sCDR_MediaListRecord Record(const std::string& name, SInt32 fileID) {
  sCDR_MediaListRecord record;
  record.vRefNum = -1;
  record.dirID = 1234;
  record.classicName = name;
  record.longName = name + " long";
  record.fileID = fileID;
  record.fullPath = "Home:Music:" + name;
  record.musicInfo[0] = 0xA5;
  record.musicInfo[kSpMusicFileInfoSize - 1] = 0x5A;
  return record;
}

void Put32(Bytes& out, UInt32 value) {
  UInt8 b[4];
  sp::StoreBE32(b, value);
  out.insert(out.end(), b, b + 4);
}

Bytes ListOf(const std::vector<sCDR_MediaListRecord>& records, UInt32 count) {
  Bytes out;
  Put32(out, count);
  for (const auto& record : records) {
    EXPECT_EQ(0, CDRMM_WriteMediaListRecordV200(
                     [&](const void* bytes, SInt32 n) {
                       out.insert(out.end(), static_cast<const UInt8*>(bytes),
                                  static_cast<const UInt8*>(bytes) + n);
                       return OSErr(noErr);
                     },
                     record));
  }
  return out;
}

struct Read {
  sCDR_MediaListReadResult result;
  std::vector<sCDR_MediaListRecord> records;
};

Read ReadV200(const Bytes& bytes) {
  Read read;
  read.result = CDRMM_ReadMediaListRecordsV200(
      CDRMM_MediaListBytesReader(bytes.data(), bytes.size()),
      [&](const sCDR_MediaListRecord& record, SInt32, SInt32) {
        read.records.push_back(record);
        return true;
      });
  return read;
}

Read ReadV1(const Bytes& bytes) {
  Read read;
  read.result = CDRMM_ReadMediaListRecordsV1(
      CDRMM_MediaListBytesReader(bytes.data(), bytes.size()),
      [&](const sCDR_MediaListRecord& record, SInt32, SInt32) {
        read.records.push_back(record);
        return true;
      });
  return read;
}

TEST(MediaListFile, OneRecordIsLaidDownFieldByFieldBigEndian) {
  const Bytes bytes = ListOf({Record("a.aif", 0x01020304)}, 1);
  // count, volume, directory, "a.aif", "a.aif long", file id, path, record.
  Bytes expected = {0, 0, 0, 1, 0xFF, 0xFF, 0, 0, 0x04, 0xD2, 0, 0, 0, 5};
  for (char c : std::string("a.aif")) expected.push_back(UInt8(c));
  Put32(expected, 10);
  for (char c : std::string("a.aif long")) expected.push_back(UInt8(c));
  Put32(expected, 0x01020304);
  Put32(expected, 16);
  for (char c : std::string("Home:Music:a.aif")) expected.push_back(UInt8(c));
  ASSERT_EQ(bytes.size(), expected.size() + kSpMusicFileInfoSize);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin()));
  EXPECT_EQ(bytes[expected.size()], 0xA5);
  EXPECT_EQ(bytes.back(), 0x5A);
}

TEST(MediaListFile, RecordsComeBackAsWritten) {
  const Read read = ReadV200(ListOf({Record("one.aif", 7), Record("two.wav", 8)}, 2));
  EXPECT_EQ(read.result.step, 0);
  ASSERT_EQ(read.records.size(), 2u);
  EXPECT_EQ(read.records[1].classicName, "two.wav");
  EXPECT_EQ(read.records[1].longName, "two.wav long");
  EXPECT_EQ(read.records[1].fullPath, "Home:Music:two.wav");
  EXPECT_EQ(read.records[1].fileID, 8);
  EXPECT_EQ(read.records[1].vRefNum, -1);
  EXPECT_EQ(read.records[1].dirID, 1234);
  EXPECT_EQ(read.records[1].musicInfo[kSpMusicFileInfoSize - 1], 0x5A);
}

// Volume, folder and file numbers whose bytes differ, so that a swapped half shows: each is
// laid down most significant byte first and comes back as it was.
TEST(MediaListFile, NumbersKeepTheirByteOrderBothWays) {
  const struct {
    SInt16 volume;
    SInt32 dirID, fileID;
    Bytes volumeBytes;
  } cases[] = {
      {-2, 2, 0x01020304, {0xFF, 0xFE}},
      {-32768, -1, 0x7FFFFFFF, {0x80, 0x00}},
      {0x1234, 0x00ABCDEF, -2, {0x12, 0x34}},
      {1, 0x7FFFFFFF, 0x00000100, {0x00, 0x01}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.volume);
    sCDR_MediaListRecord record = Record("n", 0);
    record.vRefNum = c.volume;
    record.dirID = c.dirID;
    record.fileID = c.fileID;
    const Bytes bytes = ListOf({record}, 1);
    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 6), c.volumeBytes);
    EXPECT_EQ(sp::LoadBE32(&bytes[6]), UInt32(c.dirID));
    const Read read = ReadV200(bytes);
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].vRefNum, c.volume);
    EXPECT_EQ(read.records[0].dirID, c.dirID);
    EXPECT_EQ(read.records[0].fileID, c.fileID);
  }
}

TEST(MediaListFile, OverlongNamesAreCutOnACharacterSoTheListStaysReadable) {
  sCDR_MediaListRecord record = Record("x", 1);
  // 30 ASCII bytes and a two-byte character straddling the 31-byte limit.
  record.classicName = std::string(30, 'a') + SpCDR_MJ("曲");
  record.longName = std::string(300, 'b');
  record.fullPath = std::string(3000, 'c');
  const Read read = ReadV200(ListOf({record}, 1));
  ASSERT_EQ(read.result.step, 0);
  ASSERT_EQ(read.records.size(), 1u);
  EXPECT_EQ(read.records[0].classicName, std::string(30, 'a'));
  EXPECT_EQ(read.records[0].longName.size(), 255u);
  EXPECT_EQ(read.records[0].fullPath.size(), 2046u);
}

// A list changed at one field: the step the reading stops at and the records read before.
TEST(MediaListFile, HostileListsStopAtTheStepOfTheBadField) {
  const Bytes good = ListOf({Record("one.aif", 7), Record("two.aif", 8)}, 2);
  const std::size_t second = (good.size() - 4) / 2 + 4;  // where the second record starts
  auto with32 = [&](std::size_t at, UInt32 value) {
    Bytes bytes = good;
    sp::StoreBE32(&bytes[at], value);
    return bytes;
  };
  auto cut = [&](std::size_t size) { return Bytes(good.begin(), good.begin() + long(size)); };
  struct Case {
    const char* why;
    Bytes bytes;
    short step;
    SInt32 delivered;
    SInt32 detail;
  } cases[] = {
      {"empty file", {}, 3, 0, eofErr},
      {"count 0 is an empty list", with32(0, 0), 0, 0, 0},
      {"count 9,999 is read", with32(0, 9999), 6, 2, eofErr},
      {"count 10,000 is refused first", with32(0, 10000), 5, 0, kCDR_MediaListLimitDetail},
      {"a huge count is refused", with32(0, 0xFFFFFFFFu), 5, 0, kCDR_MediaListLimitDetail},
      {"cut in the volume", cut(second + 1), 6, 1, eofErr},
      {"cut in the directory", cut(second + 4), 11, 1, eofErr},
      {"classic name 32 bytes", with32(second + 6, 32), 15, 1, kCDR_MediaListLimitDetail},
      {"classic name 31 bytes reads on", with32(second + 6, 31), 21, 1,
       kCDR_MediaListLimitDetail},
      {"long name past 255", with32(second + 6 + 4 + 7, 256), 21, 1, kCDR_MediaListLimitDetail},
      {"cut in the long name", cut(second + 6 + 4 + 7 + 4 + 3), 24, 1, eofErr},
      {"cut in the file id", cut(second + 6 + 4 + 7 + 4 + 12 + 2), 26, 1, eofErr},
      {"path past 2046", with32(second + 6 + 4 + 7 + 4 + 12 + 4, 2047), 29, 1,
       kCDR_MediaListLimitDetail},
      {"cut in the path", cut(second + 6 + 4 + 7 + 4 + 12 + 4 + 4 + 2), 31, 1, eofErr},
      {"cut in the sound-file record", cut(good.size() - 1), 35, 1, eofErr},
  };
  for (const Case& c : cases) {
    const Read read = ReadV200(c.bytes);
    EXPECT_EQ(read.result.step, c.step) << c.why;
    EXPECT_EQ(read.result.delivered, c.delivered) << c.why;
    EXPECT_EQ(SInt32(read.records.size()), c.delivered) << c.why;
    EXPECT_EQ(read.result.detail, c.detail) << c.why;
    EXPECT_EQ(read.result.countRefused, c.step == 5) << c.why;
  }
}

TEST(MediaListFile, OldListsStopAtTheStepOfTheBadField) {
  auto list = [](UInt32 count, const std::vector<std::pair<std::string, UInt32>>& records) {
    Bytes out;
    Put32(out, count);
    for (const auto& r : records) {
      Put32(out, UInt32(r.first.size()));
      out.insert(out.end(), r.first.begin(), r.first.end());
      Put32(out, r.second);
    }
    return out;
  };
  const std::string longName = "Disk:Music:" + std::string(256, 'n');
  struct Case {
    const char* why;
    Bytes bytes;
    short step;
    SInt32 delivered;
  } cases[] = {
      {"two records", list(2, {{"Disk:a.aif", 1}, {"Disk:Music:b.aif", 2}}), 0, 2},
      {"count 9,000 is read", list(9000, {}), 6, 0},
      {"count 9,001 is refused", list(9001, {}), 5, 0},
      {"path past 2046", list(1, {{std::string(2047, 'p'), 1}}), 10, 0},
      {"file name past 255 bytes", list(1, {{longName, 1}}), 20, 0},
      {"no file id", Bytes{0, 0, 0, 1, 0, 0, 0, 1, 'a'}, 15, 0},
      {"cut in the path", Bytes{0, 0, 0, 1, 0, 0, 0, 9, 'a'}, 11, 0},
  };
  for (const Case& c : cases) {
    const Read read = ReadV1(c.bytes);
    EXPECT_EQ(read.result.step, c.step) << c.why;
    EXPECT_EQ(SInt32(read.records.size()), c.delivered) << c.why;
  }
  const Read read = ReadV1(list(1, {{"Disk:Music:b.aif", 2}}));
  ASSERT_EQ(read.records.size(), 1u);
  EXPECT_EQ(read.records[0].FileNamePart(), "b.aif");
  EXPECT_EQ(read.records[0].fileID, 2);
}

TEST(MediaListFile, AFailedWriteNamesTheFieldItFailedAt) {
  for (int failAt = 0; failAt < 10; ++failAt) {
    int calls = 0;
    const short step = CDRMM_WriteMediaListRecordV200(
        [&](const void*, SInt32) { return calls++ == failAt ? OSErr(dskFulErr) : OSErr(noErr); },
        Record("a.aif", 1));
    const short expected[] = {6, 7, 8, 11, 13, 15, 16, 21, 24, 31};
    EXPECT_EQ(step, expected[failAt]) << "write " << failAt;
  }
}

}  // namespace
