#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpFileLibForOSXSource.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestFiles.h"

namespace {

constexpr UInt64 kGiB = 1024ull * 1024 * 1024;

class FileLibForOSXTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(FSFindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &folder_), noErr);
  }
  void TearDown() override { sp_testing::LimitAllocationSize(0); }

  // Host names are UTF-8; the program's names are MacJapanese.
  std::string HostPath(const std::string& utf8Name) const {
    return home_.Path(".config/" + utf8Name);
  }

  sp_testing::HomeScope home_;
  FSRef folder_;
};

TEST_F(FileLibForOSXTest, ReadsFileWithLongJapaneseNameAcrossBufferFulls) {
  // Well beyond the 31 bytes of a classic name.
  std::string utf8Name = "長い日本語の名前のファイルで三十二バイトを超えるもの.txt";
  std::string name;
  ASSERT_TRUE(sp::text::UTF8ToMacJapanese(utf8Name, name));
  std::string text(2600, 0);
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = char('A' + (i * 11) % 26);
  std::ofstream(HostPath(utf8Name), std::ios::binary) << text;

  // The record still fits, the buffer comes out at 1,000 bytes.
  sp_testing::LimitAllocationSize(sizeof(sSpOSXFileSysInfo) + 100);
  sSpOSXFileSysInfo* file = nullptr;
  ASSERT_EQ(Sp_ReadFileSystem_OpenByFSRef(&folder_, name.c_str(), 0, 0, 0, &file), noErr);
  sp_testing::LimitAllocationSize(0);
  EXPECT_EQ(std::to_string(file->bufferSize) + " " + std::to_string(file->fileSize) + " " +
                file->fileName,
            "1000 2600 " + name);

  std::string got;
  for (SInt32 count : {999, 2, 1200, 1000}) {
    std::vector<char> buffer(static_cast<std::size_t>(count));
    SInt32 delivered = 0;
    EXPECT_EQ(SpFileSystem_ReadByFSRef(file, count, buffer.data(), &delivered), noErr);
    got.append(buffer.data(), std::size_t(delivered));
  }
  EXPECT_EQ(got, text);
  SInt32 delivered = -1;
  EXPECT_EQ(SpFileSystem_ReadByFSRef(file, 1, &got[0], &delivered), eofErr);
  EXPECT_EQ(delivered, 0);
  EXPECT_EQ(SpFileSystem_CloseByFSRef(file, 1, 1), noErr);
}

TEST_F(FileLibForOSXTest, SizesAndPositionsBeyondFourGiBStayExact) {
  std::string path = HostPath("huge");
  const UInt64 size = 5 * kGiB + 100;
  int fd = open(path.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  if (ftruncate(fd, off_t(size)) != 0) {
    close(fd);
    GTEST_SKIP() << "no sparse files here";
  }
  ASSERT_EQ(pwrite(fd, "TAIL", 4, off_t(size - 4)), 4);
  close(fd);

  sSpOSXFileSysInfo* file = nullptr;
  ASSERT_EQ(
      Sp_ReadFileSystem_OpenByFSRef(&folder_, "huge", 1, fsFromStart, SInt64(size - 10), &file),
      noErr);
  EXPECT_EQ(file->fileSize - file->filePosition, 10u);
  EXPECT_EQ(file->fileSize, size);
  char bytes[16] = {0};
  SInt32 delivered = 0;
  EXPECT_EQ(SpFileSystem_ReadByFSRef(file, 16, bytes, &delivered), noErr);
  EXPECT_EQ(std::string(bytes, std::size_t(delivered)), std::string(6, '\0') + "TAIL");
  EXPECT_EQ(SpFileSystem_CloseByFSRef(file, 1, 1), noErr);

  // Writing at a position beyond 4 GiB of a file grown to 6 GiB.
  const UInt64 grown = 6 * kGiB;
  ASSERT_EQ(SpFileSystem_OpenByFSRef(&folder_, "huge", fsRdWrPerm, 1, fsFromStart, SInt64(grown), 1,
                                     fsFromStart, SInt64(grown - 4), &file),
            noErr);
  EXPECT_EQ(SpFileSystem_WriteByFSRef(file, "END!", 4, 1), noErr);
  EXPECT_EQ(Sp_WriteFileSystem_CloseByFSRef(file, 1, 1), noErr);
  fd = open(path.c_str(), O_RDONLY);
  char end[5] = {0};
  EXPECT_EQ(pread(fd, end, 5, off_t(grown - 4)), 4) << "the file ends after the 4 bytes";
  close(fd);
  EXPECT_STREQ(end, "END!");
  unlink(path.c_str());
}

TEST_F(FileLibForOSXTest, RefusesMissingFileAndOverlongNameWithoutReport) {
  ErrorLogCapture log;
  sSpOSXFileSysInfo* sentinel = reinterpret_cast<sSpOSXFileSysInfo*>(this);
  sSpOSXFileSysInfo* file = sentinel;
  EXPECT_EQ(Sp_ReadFileSystem_OpenByFSRef(&folder_, "missing", 0, 0, 0, &file), paramErr);
  EXPECT_EQ(file, sentinel);
  std::string overlong(1024, 'a');
  EXPECT_EQ(Sp_ReadFileSystem_OpenByFSRef(&folder_, overlong.c_str(), 0, 0, 0, &file), paramErr);
  EXPECT_EQ(file, sentinel);
  EXPECT_EQ(log.Count(), 0u);
}

TEST_F(FileLibForOSXTest, WriteOpenCutsTheFileAndRunsLongerThanTheBufferKeepTheirPlace) {
  std::string old(500, 0);
  for (std::size_t i = 0; i < old.size(); ++i) old[i] = char('a' + i % 26);
  std::ofstream(HostPath("prefs"), std::ios::binary) << old;
  auto hostText = [this] {
    std::ifstream in(HostPath("prefs"), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  };
  sSpOSXFileSysInfo* file = nullptr;
  ASSERT_EQ(Sp_WriteFileSystem_OpenByFSRef(&folder_, "prefs", &file), noErr);
  EXPECT_EQ(hostText(), "");
  {
    ErrorLogCapture log;  // a write of no bytes is refused as a missing argument
    EXPECT_EQ(SpFileSystem_WriteByFSRef(file, "x", 0, 1), rfNumErr);
    EXPECT_TRUE(log.Has("SpFileSystem_WriteByFSRef", 1));
  }
  std::string big(file->bufferSize + 10, 0);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char('A' + i % 26);
  EXPECT_EQ(SpFileSystem_WriteByFSRef(file, "head", 4, 1), noErr);
  EXPECT_EQ(SpFileSystem_WriteByFSRef(file, big.data(), big.size(), 1), noErr);  // direct
  EXPECT_EQ(SpFileSystem_WriteByFSRef(file, "tail", 4, 1), noErr);
  EXPECT_EQ(file->fileSize, 4 + big.size());  // what reached the file so far
  EXPECT_EQ(Sp_WriteFileSystem_CloseByFSRef(file, 1, 1), noErr);
  EXPECT_EQ(hostText(), "head" + big + "tail");
}

}  // namespace
