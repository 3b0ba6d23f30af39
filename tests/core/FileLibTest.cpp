#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpFileLibSource.h"
#include "SpGeneralStringObject.h"
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
  void TearDown() override {
    sp_testing::LimitAllocationSize(0);
    sp_testing::FailNthAllocation(0);
  }

  std::string HostPath(const std::string& name) const { return home_.Path(".config/" + name); }
  void WriteHostFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(HostPath(name), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string ReadHostFile(const std::string& name) const {
    std::ifstream in(HostPath(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  sSpFileSysInfo* OpenReader(const std::string& name, bool smallBuffer) {
    if (smallBuffer) sp_testing::LimitAllocationSize(kSmallBufferLimit);
    sSpFileSysInfo* file = nullptr;
    OSErr result = Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, name.c_str(), 0, 0, &file);
    sp_testing::LimitAllocationSize(0);
    EXPECT_EQ(result, noErr);
    if (file != nullptr && smallBuffer) {
      EXPECT_EQ(file->bufferSize, kSmallBufferSize);
    }
    return file;
  }
  sSpFileSysInfo* OpenWriter(const std::string& name, bool smallBuffer, unsigned char truncate,
                             unsigned char append) {
    if (smallBuffer) sp_testing::LimitAllocationSize(kSmallBufferLimit);
    sSpFileSysInfo* file = nullptr;
    OSErr result = Sp_WriteFileSystem_OpenByDirId(vRefNum_, dirID_, name.c_str(), 0, 0, &file,
                                                  truncate, append);
    sp_testing::LimitAllocationSize(0);
    EXPECT_EQ(result, noErr);
    return file;
  }

  struct Line {
    std::string text;
    OSErr result;
    unsigned char end;
  };
  std::vector<Line> ReadAllLines(sSpFileSysInfo* file, SInt32 size) {
    std::vector<Line> lines;
    std::vector<char> buffer(std::size_t(size) + 8, 'x');
    for (int guard = 0; guard < 10000; ++guard) {
      SInt32 length = -1;
      unsigned char end = 9;
      OSErr result = Sp_ReadFileSystem_ReadOneLine(file, buffer.data(), size, &length, &end);
      EXPECT_EQ(SInt32(std::strlen(buffer.data())), length);
      lines.push_back({std::string(buffer.data(), std::size_t(length)), result, end});
      if (end != 0 || (result != noErr && result != memFullErr)) break;
    }
    return lines;
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

// The lines a carriage-return reader must give for a text: split at each CR, the empty text
// after a final CR not counting as a line.
std::vector<std::string> SplitAtCarriageReturns(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t cr = text.find('\r', start);
    if (cr == std::string::npos) cr = text.size();
    lines.push_back(text.substr(start, cr - start));
    start = cr + 1;
  }
  if (lines.empty()) lines.push_back("");
  return lines;
}

TEST_F(FileLibTest, LineReaderKeepsLinesWholeAcrossBufferBoundaries) {
  struct Case {
    const char* why;
    std::string text;
  } cases[] = {
      {"CR as the last byte of a buffer-full", Pattern(999) + "\r" + Pattern(50) + "\r"},
      {"CR as the first byte of the next buffer-full", Pattern(1000) + "\r" + Pattern(10)},
      {"line running over two boundaries", Pattern(300) + "\r" + Pattern(2400, 3) + "\rend"},
      {"empty lines around a boundary", Pattern(998) + "\r\r\r\r" + Pattern(5)},
      {"last line without CR across a boundary", Pattern(1500, 5)},
      {"only carriage returns", std::string(2100, '\r')},
      {"a line feed is an ordinary byte", "ab\r\ncd\r\n"},
      {"an empty file is one empty last line", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteHostFile("lines", c.text);
    sSpFileSysInfo* file = OpenReader("lines", true);
    ASSERT_NE(file, nullptr);
    std::vector<Line> lines = ReadAllLines(file, 4096);
    std::vector<std::string> expected = SplitAtCarriageReturns(c.text);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].text, expected[i]) << "line " << i;
      EXPECT_EQ(lines[i].result, noErr);
      EXPECT_EQ(lines[i].end, i + 1 == lines.size() ? 1 : 0) << "line " << i;
    }
    EXPECT_EQ(Sp_FileSystem_Close(file, 1, 1), noErr);
  }
}

TEST_F(FileLibTest, CutLineSkipsItsRestAndSaysSo) {
  // The lines read: a cut line (memFullErr) ends in '!', each line in '|' or, the last, '$'.
  struct Case {
    const char* why;
    std::string text;
    SInt32 size;
    std::string lines;
    bool smallBuffer;
  } cases[] = {
      {"cut line followed by another", "0123456789ABC\rnext\r", 8, "0123456!|next$", false},
      {"line of exactly size - 1 bytes is not cut", "0123456\rnext", 8, "0123456|next$", false},
      {"cut last line", "abcdefghij", 4, "abc$", false},
      {"cut line whose rest spans buffer-fulls", Pattern(2500) + "\rafter\r", 100,
       Pattern(99) + "!|after$", true},
      {"size 1 holds only the terminator", "xy\r\rz", 1, "!||$", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteHostFile("cut", c.text);
    sSpFileSysInfo* file = OpenReader("cut", c.smallBuffer);
    ASSERT_NE(file, nullptr);
    std::string lines;
    for (const Line& line : ReadAllLines(file, c.size)) {
      lines += line.text +
               (line.result == memFullErr ? "!"
                : line.result == noErr    ? ""
                                          : "?") +
               (line.end != 0 ? "$" : "|");
    }
    EXPECT_EQ(lines, c.lines);
    Sp_FileSystem_Close(file, 1, 1);
  }
}

TEST_F(FileLibTest, ByteReaderDeliversEveryByteAcrossBufferFulls) {
  std::string text = Pattern(3500, 1);
  WriteHostFile("bytes", text);
  sSpFileSysInfo* file = OpenReader("bytes", true);
  ASSERT_NE(file, nullptr);
  struct Step {
    SInt32 count;
    OSErr result;
    SInt32 delivered;
  } steps[] = {
      {0, noErr, 0},       {999, noErr, 999},  {2, noErr, 2},  // over the first boundary
      {1500, noErr, 1500}, {5000, noErr, 999},                 // more than is left: the rest
      {1, eofErr, 0},
  };
  std::size_t at = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.count);
    std::vector<char> buffer(std::size_t(s.count) + 1, 0);
    SInt32 delivered = -1;
    EXPECT_EQ(Sp_ReadFileSystem_Read(file, s.count, buffer.data(), &delivered), s.result);
    ASSERT_EQ(delivered, s.delivered);
    EXPECT_EQ(std::string(buffer.data(), std::size_t(delivered)),
              text.substr(at, std::size_t(delivered)));
    at += std::size_t(delivered);
    EXPECT_EQ(Sp_ReadFileSystem_GetFilePosition(file), at);
  }
  Sp_FileSystem_Close(file, 1, 1);
}

TEST_F(FileLibTest, RepositioningLandsOnTheRightByteAndRefusesTargetsOutsideTheFile) {
  std::string text = Pattern(3000, 2);
  WriteHostFile("seek", text);
  sSpFileSysInfo* file = OpenReader("seek", true);
  ASSERT_NE(file, nullptr);
  struct Case {
    const char* why;
    short mode;
    SInt32 offset;
    OSErr result;
    UInt32 position;  // expected afterwards
  } cases[] = {
      {"inside the loaded bytes", 1, 500, noErr, 500},
      {"outside them: reloads", 1, 2500, noErr, 2500},
      {"back before the loaded bytes", 1, 10, noErr, 10},
      {"forward from the position", 3, 1000, noErr, 1010},
      {"forward past the end clamps", 3, 99999, noErr, 3000},
      {"back from the end", 2, 100, noErr, 2900},
      {"back past the start gives 0", 2, 4000, noErr, 0},
      {"negative back from the end gives the end", 2, -5, noErr, 3000},
      {"mode 0 keeps the position", 0, 77, noErr, 3000},
      {"any other mode counts from the start", 9, 42, noErr, 42},
      {"from the start beyond the end is refused", 1, 3001, posErr, 42},
      {"from the start before it is refused", 1, -1, posErr, 42},
      {"backwards from the position is refused", 3, -2, posErr, 42},
      {"the end itself is allowed", 1, 3000, noErr, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Sp_ReadFileSystem_SetFilePosition(file, c.mode, c.offset), c.result);
    ASSERT_EQ(Sp_ReadFileSystem_GetFilePosition(file), c.position);
    if (c.position < text.size()) {
      // Read, then go back, so the next case starts from the expected position.
      char bytes[20] = {0};
      SInt32 got = 0;
      EXPECT_EQ(Sp_ReadFileSystem_Read(file, 16, bytes, &got), noErr);
      EXPECT_EQ(std::string(bytes, std::size_t(got)), text.substr(c.position, 16));
      ASSERT_EQ(Sp_ReadFileSystem_SetFilePosition(file, 1, SInt32(c.position)), noErr);
    }
  }
  Sp_FileSystem_Close(file, 1, 1);
}

TEST_F(FileLibTest, WritesKeepTheirOrderThroughTheBuffer) {
  struct Case {
    const char* why;
    std::vector<std::size_t> pieces;
    std::size_t onDiskBeforeClose;  // bytes the file holds before the close
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
    sSpFileSysInfo* file = OpenWriter("out", true, 1, 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->bufferSize, kSmallBufferSize);
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
}

TEST_F(FileLibTest, AppendWritesAfterTheLastByteAndTruncateStartsEmpty) {
  struct Case {
    unsigned char truncate;
    unsigned char append;
    const char* expected;
  } cases[] = {
      {0, 1, "0123456789xyz"},
      {1, 0, "xyz"},
      {0, 0, "xyz3456789"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    WriteHostFile("ten", "0123456789");
    sSpFileSysInfo* file = OpenWriter("ten", false, c.truncate, c.append);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Sp_WriteFileSystem_Write(file, "xyz", 3, 1), noErr);
    EXPECT_EQ(Sp_WriteFileSystem_Close(file, 1, 1), noErr);
    EXPECT_EQ(ReadHostFile("ten"), c.expected);
  }
}

TEST_F(FileLibTest, AsynchronousWritesNeedNeitherBufferNorRecordAfterReturning) {
  WriteHostFile("async", "");
  sSpFileSysInfo* file = OpenWriter("async", true, 1, 0);
  ASSERT_NE(file, nullptr);
  std::string expected;
  {
    std::string collected = Pattern(700);
    EXPECT_EQ(Sp_WriteFileSystem_Write(file, collected.data(), 700, 0), noErr);
    // Sends the 700 collected bytes as a queued request, then this one directly.
    std::vector<char> direct(1500, 'D');
    EXPECT_EQ(Sp_WriteFileSystem_Write(file, direct.data(), 1500, 0), noErr);
    expected = collected + std::string(1500, 'D');
    // The caller's bytes are gone before any completion has run.
  }
  EXPECT_GT(sp_testing::PendingFileCompletions(), 0);
  EXPECT_EQ(ReadHostFile("async"), expected);
  std::string tail = Pattern(30, 9);
  EXPECT_EQ(Sp_WriteFileSystem_Write(file, tail.data(), 30, 0), noErr);
  EXPECT_EQ(Sp_WriteFileSystem_Close(file, 1, 0), noErr);
  // The record is freed with its requests still queued; they complete safely afterwards.
  EXPECT_GT(sp_testing::PendingFileCompletions(), 0);
  sp_testing::RunFileCompletions();
  EXPECT_EQ(sp_testing::PendingFileCompletions(), 0);
  EXPECT_EQ(ReadHostFile("async"), expected + tail);
}

TEST_F(FileLibTest, FailedOpenHandsOutNothingAndLeavesNoForkOpen) {
  WriteHostFile("target", "data");
  sSpFileSysInfo* sentinel = reinterpret_cast<sSpFileSysInfo*>(this);
  struct Case {
    const char* why;
    OSErr expected;
  } cases[] = {
      {"missing file", fnfErr},
      {"no memory for the record", memFullErr},
      {"fork given by the caller is not open", rfNumErr},
  };
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(cases[i].why);
    sSpFileSysInfo* file = sentinel;
    OSErr result = noErr;
    if (i == 0) {
      result = Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, "missing", 0, 0, &file);
    } else if (i == 1) {
      sp_testing::FailNthAllocation(1);
      result = Sp_WriteFileSystem_OpenByDirId(vRefNum_, dirID_, "target", 0, 0, &file, 0, 0);
      sp_testing::FailNthAllocation(0);
    } else {
      result = Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, "target", 9999, 1, &file);
    }
    EXPECT_EQ(result, cases[i].expected);
    EXPECT_EQ(file, nullptr);
  }
  // No writer was left behind: the file opens for writing again.
  sSpFileSysInfo* file = OpenWriter("target", false, 0, 0);
  ASSERT_NE(file, nullptr);
  Sp_FileSystem_Close(file, 1, 1);
}

TEST_F(FileLibTest, OpenThatFailsEarlyStillClosesTheForkTheCallerGave) {
  WriteHostFile("given", "data");
  Str255 name = "\x05given";
  struct Case {
    const char* why;
    OSErr (*open)(short refNum, sSpFileSysInfo** out);
  } cases[] = {
      {"read by path, null path",
       [](short r, sSpFileSysInfo** o) { return Sp_ReadFileSystem_Open(nullptr, r, 1, o); }},
      {"read by path, no volume in the path",
       [](short r, sSpFileSysInfo** o) { return Sp_ReadFileSystem_Open(":given", r, 1, o); }},
      {"write by path, unknown volume",
       [](short r, sSpFileSysInfo** o) {
         return Sp_WriteFileSystem_Open("NoSuchVolume:given", r, 1, o);
       }},
      {"open by path, null path",
       [](short r, sSpFileSysInfo** o) { return Sp_FileSystem_Open(nullptr, r, 1, o, fsRdPerm); }},
      {"read by folder, null name",
       [](short r, sSpFileSysInfo** o) {
         return Sp_ReadFileSystem_OpenByDirId(0, 0, nullptr, r, 1, o);
       }},
      {"write by folder, null name",
       [](short r, sSpFileSysInfo** o) {
         return Sp_WriteFileSystem_OpenByDirId(0, 0, nullptr, r, 1, o, 0, 0);
       }},
  };
  ErrorLogCapture log;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    short refNum = 0;
    ASSERT_EQ(HOpenDF(vRefNum_, dirID_, name, fsWrPerm, &refNum), noErr);
    sSpFileSysInfo* file = reinterpret_cast<sSpFileSysInfo*>(this);
    EXPECT_NE(c.open(refNum, &file), noErr);
    EXPECT_EQ(file, nullptr);
    // The writer is gone: the file opens for writing again.
    short again = 0;
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
    OSErr result;
    OSErr expected;
  } cases[] = {
      {"Sp_FileSystem_OpenByDirId", Sp_FileSystem_OpenByDirId(0, 0, nullptr, 0, 0, &out, 1),
       paramErr},
      {"Sp_FileSystem_Close", Sp_FileSystem_Close(nullptr, 1, 1), paramErr},
      {"Sp_WriteFileSystem_Write", Sp_WriteFileSystem_Write(nullptr, "a", 1, 1), rfNumErr},
      {"Sp_WriteFileSystem_WriteToFile", Sp_WriteFileSystem_WriteToFile(nullptr, 1), rfNumErr},
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
  sSpFileSysInfo* file = OpenWriter("zero", false, 0, 0);
  ASSERT_NE(file, nullptr);
  log.Clear();
  EXPECT_EQ(Sp_WriteFileSystem_Write(file, "a", 0, 1), rfNumErr);
  EXPECT_TRUE(log.Has("Sp_WriteFileSystem_Write", 1));
  Sp_FileSystem_Close(file, 1, 1);
}

}  // namespace
