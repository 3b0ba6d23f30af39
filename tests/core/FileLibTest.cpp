#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunction.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

// The record, its name and the buffer it got: with allocations limited to this many bytes
// the record still fits, and the buffer comes out at 1,000 bytes.
constexpr UInt32 kSmallBufferLimit = 1900;
constexpr UInt32 kSmallBufferSize = 1000;

class FileLibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum_, &dirID_),
              noErr);
  }
  void TearDown() override { sp_testing::FailNthAllocation(0); }

  void WriteHostFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(home_.Path(".config/" + name), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string ReadHostFile(const std::string& name) const {
    std::ifstream in(home_.Path(".config/" + name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Opens a reader, or with writer a writer; small gives it a buffer of 1,000 bytes.
  sSpFileSysInfo* Open(const std::string& name, bool small, bool writer = false,
                       unsigned char truncate = 0, unsigned char append = 0) {
    if (small) sp_testing::LimitAllocationSize(kSmallBufferLimit);
    sSpFileSysInfo* file = nullptr;
    OSErr result = writer
                       ? Sp_WriteFileSystem_OpenByDirId(vRefNum_, dirID_, name.c_str(), 0, 0, &file,
                                                        truncate, append)
                       : Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, name.c_str(), 0, 0, &file);
    sp_testing::LimitAllocationSize(0);
    EXPECT_EQ(result, noErr);
    EXPECT_TRUE(file == nullptr || !small || file->bufferSize == kSmallBufferSize);
    return file;
  }

  sp_testing::HomeScope home_;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
};

// Text of n bytes that shows where each byte came from.
std::string Pattern(std::size_t n, char salt = 0) {
  std::string text(n, 0);
  for (std::size_t i = 0; i < n; ++i) text[i] = char('a' + (i * 7 + std::size_t(salt)) % 26);
  return text;
}

// The lines of a text in the notation of the line reader test: each ends in '|', the last in
// '$'; the empty text after a final CR is no line.
std::string Lines(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  do {
    std::size_t cr = std::min(text.find('\r', start), text.size());
    out += text.substr(start, cr - start) + "|";
    start = cr + 1;
  } while (start < text.size());
  out.back() = '$';
  return out;
}

TEST_F(FileLibTest, LineReaderKeepsLinesWholeAcrossBuffersAndSkipsTheRestOfACutLine) {
  // A cut line (memFullErr) is marked '!'. Without an expectation the text's own lines.
  struct Case {
    const char* why;
    std::string text;
    SInt32 size;
    bool small;
    std::string lines;
  } cases[] = {
      {"CR as the last byte of a buffer-full", Pattern(999) + "\r" + Pattern(50) + "\r", 4096, 1,
       ""},
      {"CR as the first byte of the next buffer-full", Pattern(1000) + "\r" + Pattern(10), 4096, 1,
       ""},
      {"line running over two boundaries", Pattern(300) + "\r" + Pattern(2400, 3) + "\re", 4096, 1,
       ""},
      {"empty lines around a boundary", Pattern(998) + "\r\r\r\r" + Pattern(5), 4096, 1, ""},
      {"last line without CR across a boundary", Pattern(1500, 5), 4096, 1, ""},
      {"only carriage returns", std::string(2100, '\r'), 4096, 1, ""},
      {"a line feed is an ordinary byte", "ab\r\ncd\r\n", 4096, 1, ""},
      {"an empty file is one empty last line", "", 4096, 1, ""},
      {"cut line followed by another", "0123456789ABC\rnext\r", 8, 0, "0123456!|next$"},
      {"line of exactly size - 1 bytes is not cut", "0123456\rnext", 8, 0, "0123456|next$"},
      {"cut last line", "abcdefghij", 4, 0, "abc$"},
      {"cut line whose rest spans buffer-fulls", Pattern(2500) + "\rafter\r", 100, 1,
       Pattern(99) + "!|after$"},
      {"size 1 holds only the terminator", "xy\r\rz", 1, 0, "!||$"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteHostFile("lines", c.text);
    sSpFileSysInfo* file = Open("lines", c.small);
    ASSERT_NE(file, nullptr);
    std::string lines;
    std::vector<char> buffer(std::size_t(c.size) + 8, 'x');
    for (unsigned char end = 0; end == 0 && lines.size() < 100000;) {
      SInt32 length = -1;
      OSErr result = Sp_ReadFileSystem_ReadOneLine(file, buffer.data(), c.size, &length, &end);
      ASSERT_EQ(SInt32(std::strlen(buffer.data())), length);
      lines += std::string(buffer.data()) +
               (result == memFullErr ? "!"
                : result             ? "?"
                                     : "") +
               (end != 0 ? "$" : "|");
    }
    EXPECT_EQ(lines, c.lines.empty() ? Lines(c.text) : c.lines);
    EXPECT_EQ(Sp_FileSystem_Close(file, 1, 1), noErr);
  }
}

TEST_F(FileLibTest, ByteReaderDeliversEveryByteAcrossBufferFulls) {
  std::string text = Pattern(3500, 1);
  WriteHostFile("bytes", text);
  sSpFileSysInfo* file = Open("bytes", true);
  ASSERT_NE(file, nullptr);
  // Over the first boundary, then more than is left (the rest comes), then the end.
  std::string got;
  for (SInt32 count : {0, 999, 2, 1500, 5000, 1}) {
    std::vector<char> buffer(std::size_t(count) + 1, 0);
    SInt32 delivered = -1;
    EXPECT_EQ(Sp_ReadFileSystem_Read(file, count, buffer.data(), &delivered),
              got.size() == text.size() && count > 0 ? eofErr : noErr);
    got.append(buffer.data(), std::size_t(delivered));
    EXPECT_EQ(Sp_ReadFileSystem_GetFilePosition(file), got.size());
  }
  EXPECT_EQ(got, text);
  Sp_FileSystem_Close(file, 1, 1);
}

// The full-sized buffer of a record that went serves the next record: never two records at
// once, and under a memory limit a new record still gets the smaller buffer the limit leaves.
TEST_F(FileLibTest, AKeptBufferServesOneRecordAtATimeAndOnlyWhereMemoryAllows) {
  const std::string text = Pattern(70000, 1);
  WriteHostFile("kept", text);
  sSpFileSysInfo* warm = Open("kept", false);
  ASSERT_NE(warm, nullptr);
  Sp_FileSystem_Close(warm, 1, 1);
  sSpFileSysInfo* small = Open("kept", true);
  ASSERT_NE(small, nullptr);
  Sp_FileSystem_Close(small, 1, 1);
  sSpFileSysInfo* a = Open("kept", false);
  sSpFileSysInfo* b = Open("kept", false);
  ASSERT_TRUE(a != nullptr && b != nullptr);
  EXPECT_NE(a->bufferPtr, b->bufferPtr);
  std::string got(text.size(), 0);
  SInt32 delivered = 0;
  EXPECT_EQ(Sp_ReadFileSystem_Read(b, SInt32(text.size()), &got[0], &delivered), noErr);
  EXPECT_EQ(got, text);
  Sp_FileSystem_Close(a, 1, 1);
  Sp_FileSystem_Close(b, 1, 1);
}

// A full-sized reader loads a little at first and more with each load in order, so that a
// look at a file's header or its last bytes reads no megabyte; every byte still comes right
// across the loads of growing size, and after a move of the position.
TEST_F(FileLibTest, LoadsGrowFromALittleAndDeliverEveryByte) {
  const std::string text = Pattern(3 * 1024 * 1024 + 77, 4);
  WriteHostFile("large", text);
  sSpFileSysInfo* file = Open("large", false);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->bufferSize, UInt32(kSpFileBufferFirstSize));
  EXPECT_EQ(file->bufferDataSize, UInt32(kSpFileFirstLoadSize));
  // The last 128 bytes, as a tag reader looks for them.
  ASSERT_EQ(Sp_ReadFileSystem_SetFilePosition(file, fsFromLEOF, 128), noErr);
  EXPECT_EQ(file->bufferDataSize, 128u);
  std::vector<char> buffer(300001);
  SInt32 delivered = 0;
  EXPECT_EQ(Sp_ReadFileSystem_Read(file, 128, buffer.data(), &delivered), noErr);
  EXPECT_EQ(std::string(buffer.data(), 128), text.substr(text.size() - 128));
  // Back near the start, then in order to the end over loads of growing size.
  ASSERT_EQ(Sp_ReadFileSystem_SetFilePosition(file, fsFromStart, 5), noErr);
  std::string got = text.substr(0, 5);
  for (delivered = 1; delivered > 0;) {
    delivered = 0;
    const OSErr result = Sp_ReadFileSystem_Read(file, 300001, buffer.data(), &delivered);
    ASSERT_TRUE(result == noErr || (result == eofErr && got.size() + delivered == text.size()));
    got.append(buffer.data(), std::size_t(delivered));
  }
  EXPECT_TRUE(got == text) << got.size();
  EXPECT_GT(file->bufferDataSize, UInt32(kSpFileFirstLoadSize)) << "loads grow";
  Sp_FileSystem_Close(file, 1, 1);
}

TEST_F(FileLibTest, RepositioningLandsOnTheRightByteAndRefusesTargetsOutsideTheFile) {
  std::string text = Pattern(3000, 2);
  WriteHostFile("seek", text);
  sSpFileSysInfo* file = Open("seek", true);
  ASSERT_NE(file, nullptr);
  struct Case {
    short mode;
    SInt32 offset;
    OSErr result;
    UInt32 position;  // expected afterwards
  } cases[] = {
      {1, 2500, noErr, 2500},                           // outside the loaded bytes: reloads
      {1, 10, noErr, 10},                               // back before the loaded bytes
      {3, 1000, noErr, 1010}, {3, 99999, noErr, 3000},  // forward, clamped at the end
      {2, 100, noErr, 2900},  {2, 4000, noErr, 0},      // back from the end
      {0, 77, noErr, 0},                                // mode 0 keeps the position
      {9, 42, noErr, 42},                               // any other mode counts from the start
      {1, 3001, posErr, 42},  {1, -1, posErr, 42},
      {3, -2, posErr, 42},    {1, 3000, noErr, 3000},  // the end itself is allowed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " " + std::to_string(c.offset));
    EXPECT_EQ(Sp_ReadFileSystem_SetFilePosition(file, c.mode, c.offset), c.result);
    ASSERT_EQ(Sp_ReadFileSystem_GetFilePosition(file), c.position);
    if (c.position < text.size()) {  // read, then go back to the expected position
      char bytes[20] = {0};
      SInt32 got = 0;
      EXPECT_EQ(Sp_ReadFileSystem_Read(file, 16, bytes, &got), noErr);
      EXPECT_EQ(std::string(bytes, std::size_t(got)), text.substr(c.position, 16));
      ASSERT_EQ(Sp_ReadFileSystem_SetFilePosition(file, 1, SInt32(c.position)), noErr);
    }
  }
  Sp_FileSystem_Close(file, 1, 1);
}

TEST_F(FileLibTest, WritesKeepTheirOrderThroughTheBufferAndTruncateOrAppendAsAsked) {
  struct Case {
    const char* why;
    std::vector<std::size_t> pieces;
    std::size_t onDiskBeforeClose;
  } cases[] = {
      {"small pieces are collected until the close", {10, 20, 30}, 0},
      {"a piece that does not fit sends the collected ones first", {600, 600}, 600},
      {"collected plus piece reaching the buffer size is written first", {400, 600}, 400},
      {"a piece of exactly the buffer size goes directly", {kSmallBufferSize}, kSmallBufferSize},
      {"collected bytes go before a large direct piece", {10, 2500, 5}, 2510},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteHostFile("out", "old contents that must go");
    sSpFileSysInfo* file = Open("out", true, true, 1, 0);
    ASSERT_NE(file, nullptr);
    std::string expected;
    char salt = 0;
    for (std::size_t n : c.pieces) {
      std::string piece = Pattern(n, salt++);
      EXPECT_EQ(Sp_WriteFileSystem_Write(file, piece.data(), SInt32(n), 1), noErr);
      expected += piece;
    }
    EXPECT_EQ(ReadHostFile("out").size(), c.onDiskBeforeClose);
    EXPECT_EQ(Sp_WriteFileSystem_Close(file, 1, 1), noErr);
    EXPECT_EQ(ReadHostFile("out"), expected);
  }
  for (const char* expected : {"0123456789xyz", "xyz", "xyz3456789"}) {  // append, truncate, none
    WriteHostFile("ten", "0123456789");
    sSpFileSysInfo* file =
        Open("ten", false, true, expected[0] == 'x' && expected[3] == 0, expected[0] == '0');
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Sp_WriteFileSystem_Write(file, "xyz", 3, 1), noErr);
    EXPECT_EQ(Sp_WriteFileSystem_Close(file, 1, 1), noErr);
    EXPECT_EQ(ReadHostFile("ten"), expected);
  }
}

// Bytes only collected when the file closes, and then refused by the file system: the close
// answers the error, and the file keeps what it had.
TEST_F(FileLibTest, CloseReportsBytesThatNeverReachedTheFile) {
  WriteHostFile("readonly", "keep");
  sSpFileSysInfo* file = nullptr;
  ASSERT_EQ(Sp_FileSystem_OpenByDirId(vRefNum_, dirID_, "readonly", 0, 0, &file, fsRdPerm), noErr);
  EXPECT_EQ(Sp_WriteFileSystem_Write(file, "lost", 4, 1), noErr);  // only collected so far
  EXPECT_EQ(Sp_WriteFileSystem_Close(file, 1, 1), wrPermErr);
  EXPECT_EQ(ReadHostFile("readonly"), "keep");
}

TEST_F(FileLibTest, AsynchronousWritesNeedNeitherBufferNorRecordAfterReturning) {
  WriteHostFile("async", "");
  sSpFileSysInfo* file = Open("async", true, true, 1, 0);
  ASSERT_NE(file, nullptr);
  std::string expected = Pattern(700);
  {
    std::string collected = expected;
    EXPECT_EQ(Sp_WriteFileSystem_Write(file, collected.data(), 700, 0), noErr);
    // Sends the 700 collected bytes as a queued request, then this one directly.
    std::vector<char> direct(1500, 'D');
    EXPECT_EQ(Sp_WriteFileSystem_Write(file, direct.data(), 1500, 0), noErr);
    expected += std::string(1500, 'D');
  }  // the caller's bytes are gone before any completion has run
  EXPECT_EQ(ReadHostFile("async"), expected);
  std::string tail = Pattern(30, 9);
  EXPECT_EQ(Sp_WriteFileSystem_Write(file, tail.data(), 30, 0), noErr);
  EXPECT_EQ(Sp_WriteFileSystem_Close(file, 1, 0), noErr);
  // The record is freed with its requests still queued; they complete safely afterwards.
  EXPECT_GT(sp_testing::PendingFileCompletions(), 0);
  sp_testing::RunFileCompletions();
  EXPECT_EQ(ReadHostFile("async"), expected + tail);
}

TEST_F(FileLibTest, FailedOpenHandsOutNothingAndClosesTheForkTheCallerGave) {
  WriteHostFile("given", "data");
  Str255 name = "\x05given";
  ErrorLogCapture log;
  // 0 a missing file, 1 a given fork that is not open, 2 no memory; from 3 on the caller gives
  // its open fork: 3 no volume in the path, 4 and 5 no name to read or write.
  const OSErr expected[] = {fnfErr, rfNumErr, memFullErr, paramErr, paramErr, paramErr};
  for (int c = 0; c < 6; ++c) {
    SCOPED_TRACE(c);
    short refNum = 0;
    if (c >= 3) {
      ASSERT_EQ(HOpenDF(vRefNum_, dirID_, name, fsWrPerm, &refNum), noErr);
    }
    sSpFileSysInfo* file = reinterpret_cast<sSpFileSysInfo*>(this);
    sp_testing::FailNthAllocation(c == 2 ? 1 : 0);
    const OSErr result =
        c == 0   ? Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, "missing", 0, 0, &file)
        : c == 1 ? Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, "given", 9999, 1, &file)
        : c == 2 ? Sp_WriteFileSystem_OpenByDirId(vRefNum_, dirID_, "given", 0, 0, &file, 0, 0)
        : c == 3 ? Sp_ReadFileSystem_Open(":given", refNum, 1, &file)
        : c == 4 ? Sp_ReadFileSystem_OpenByDirId(0, 0, nullptr, refNum, 1, &file)
                 : Sp_WriteFileSystem_OpenByDirId(0, 0, nullptr, refNum, 1, &file, 0, 0);
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(result, expected[c]);
    EXPECT_EQ(file, nullptr);
    short again = 0;  // no writer was left behind
    ASSERT_EQ(HOpenDF(vRefNum_, dirID_, name, fsWrPerm, &again), noErr);
    FSClose(again);
  }
}

TEST_F(FileLibTest, ReportsNullArgumentsWithTheOperationsName) {
  ErrorLogCapture log;
  sSpFileSysInfo* out = nullptr;
  char bytes[8];
  struct Case {
    const char* method;
    OSErr result, expected;
  } cases[] = {
      {"Sp_FileSystem_OpenByDirId", Sp_FileSystem_OpenByDirId(0, 0, nullptr, 0, 0, &out, 1),
       paramErr},
      {"Sp_FileSystem_Close", Sp_FileSystem_Close(nullptr, 1, 1), paramErr},
      {"Sp_WriteFileSystem_Write", Sp_WriteFileSystem_Write(nullptr, "a", 1, 1), rfNumErr},
      {"Sp_ReadFileSystem_ReadOneLine",
       Sp_ReadFileSystem_ReadOneLine(nullptr, bytes, 8, nullptr, nullptr), paramErr},
      {"Sp_ReadFileSystem_Read", Sp_ReadFileSystem_Read(nullptr, 1, bytes, nullptr), paramErr},
      {"Sp_ReadFileSystem_SetFilePosition", Sp_ReadFileSystem_SetFilePosition(nullptr, 1, 0),
       rfNumErr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, c.expected) << c.method;
    EXPECT_TRUE(log.Has(c.method, 1)) << c.method;
  }
  EXPECT_EQ(Sp_ReadFileSystem_GetFilePosition(nullptr), 0u);
  EXPECT_EQ(log.Beeps(), log.Count());
  // A write of no bytes is refused as a missing argument too.
  WriteHostFile("zero", "");
  sSpFileSysInfo* file = Open("zero", false, true);
  ASSERT_NE(file, nullptr);
  log.Clear();
  EXPECT_EQ(Sp_WriteFileSystem_Write(file, "a", 0, 1), rfNumErr);
  EXPECT_TRUE(log.Has("Sp_WriteFileSystem_Write", 1));
  Sp_FileSystem_Close(file, 1, 1);
}

}  // namespace
