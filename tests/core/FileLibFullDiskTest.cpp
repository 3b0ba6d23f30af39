// Bytes a writer has taken but that never reach the disk are an error its caller sees (a save
// of the settings keeps the file it would have replaced), and the check for room before a save
// answers exactly at the free space: all run on a small file system of their own.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Folders.h"
#include "PrivateMounts.h"
#include "SpFileLibForOSXSource.h"
#include "SpFileLibSource.h"
#include "SpGeneralStringObject.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunction.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

class FileLibFullDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "no mounts of our own here";
    const std::string config = home_.Path(".config");
    mkdir(config.c_str(), 0700);
    if (mount("tmpfs", config.c_str(), "tmpfs", 0, "size=64k") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    mounted_ = config;
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum_, &dirID_),
              noErr);
    ASSERT_EQ(FSFindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &folder_), noErr);
    std::ofstream(config + "/out").flush();
  }
  // Fills the file system to its last byte.
  void Fill() const {
    std::ofstream filler(mounted_ + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
    }
  }
  // The files of the folder (a failure's report may make a folder of the program's own).
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(mounted_)) {
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  void TearDown() override {
    sp_testing::LimitAllocationSize(0);
    if (!mounted_.empty()) umount2(mounted_.c_str(), MNT_DETACH);
  }

  sp_testing::HomeScope home_;
  std::string mounted_;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
  FSRef folder_;
};

TEST_F(FileLibFullDiskTest, BytesThatFindTheDiskFullFailTheWriteOrTheClose) {
  Fill();
  const struct {
    const char* why;
    std::size_t length;  // what is written before the close
    bool byRef;          // the FSRef writer, else the classic one
  } cases[] = {
      {"collected bytes written as the file closes", 10, false},
      {"collected bytes written as the file closes (FSRef)", 10, true},
      {"a run too long to collect, written at once", 2000000, false},
      {"a run too long to collect, written at once (FSRef)", 2000000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string bytes(c.length, 'x');
    OSErr wrote = noErr;
    OSErr closed = noErr;
    if (c.byRef) {
      sSpOSXFileSysInfo* file = nullptr;
      ASSERT_EQ(Sp_WriteFileSystem_OpenByFSRef(&folder_, "out", &file), noErr);
      wrote = SpFileSystem_WriteByFSRef(file, bytes.data(), bytes.size(), 1);
      closed = Sp_WriteFileSystem_CloseByFSRef(file, 1, 1);
    } else {
      sSpFileSysInfo* file = nullptr;
      ASSERT_EQ(Sp_WriteFileSystem_OpenByDirId(vRefNum_, dirID_, "out", 0, 0, &file, 1, 0), noErr);
      wrote = Sp_WriteFileSystem_Write(file, bytes.data(), SInt32(bytes.size()), 1);
      closed = Sp_WriteFileSystem_Close(file, 1, 1);
    }
    if (c.length < 1000) {
      EXPECT_EQ(wrote, noErr) << "collected, not written yet";
      EXPECT_EQ(closed, dskFulErr);
    } else {
      EXPECT_EQ(wrote, dskFulErr);
    }
  }
}

// A write that finds the disk full keeps the collected bytes that did not reach it: once there
// is room again, the next write puts them into the file, whole and in order.
TEST_F(FileLibFullDiskTest, BytesAFullDiskRefusedAreWrittenByTheNextWriteOnceThereIsRoom) {
  std::string bytes;
  for (int i = 0; i < 10000; ++i) bytes += char('a' + i % 26);
  const std::string filler = mounted_ + "/filler";
  const struct {
    const char* why;
    std::uintmax_t room;  // left free before the write
    bool byRef;           // the FSRef writer, else the classic one
  } cases[] = {
      {"no room at all", 0, false},
      {"no room at all (FSRef)", 0, true},
      {"room for a part", 4096, false},
      {"room for a part (FSRef)", 4096, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    std::filesystem::remove(filler);
    sSpFileSysInfo* file = nullptr;
    sSpOSXFileSysInfo* fileByRef = nullptr;
    if (c.byRef) {
      ASSERT_EQ(Sp_WriteFileSystem_OpenByFSRef(&folder_, "out", &fileByRef), noErr);
      ASSERT_EQ(SpFileSystem_WriteByFSRef(fileByRef, bytes.data(), bytes.size(), 1), noErr);
    } else {
      ASSERT_EQ(Sp_WriteFileSystem_OpenByDirId(vRefNum_, dirID_, "out", 0, 0, &file, 1, 0), noErr);
      ASSERT_EQ(Sp_WriteFileSystem_Write(file, bytes.data(), SInt32(bytes.size()), 1), noErr);
    }
    Fill();
    if (c.room != 0) {
      std::filesystem::resize_file(filler, std::filesystem::file_size(filler) - c.room);
    }
    auto writeCollected = [&] {
      return c.byRef ? SpFileSystem_WriteToFileByFSRef(fileByRef, 1)
                     : Sp_WriteFileSystem_WriteToFile(file, 1);
    };
    EXPECT_EQ(writeCollected(), dskFulErr);
    std::filesystem::remove(filler);
    EXPECT_EQ(writeCollected(), noErr);
    EXPECT_EQ(c.byRef ? Sp_WriteFileSystem_CloseByFSRef(fileByRef, 1, 1)
                      : Sp_WriteFileSystem_Close(file, 1, 1),
              noErr);
    std::ifstream in(mounted_ + "/out", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), bytes);
  }
}

// A string longer than the writer collects reaches the disk while it is written, so a full
// disk fails the write itself, not only the close after it.
TEST_F(FileLibFullDiskTest, AStringWrittenOntoAFullDiskGivesTheWritesError) {
  sSO_StringObjectBase* text = SpSO_NewStringObject();
  ASSERT_NE(text, nullptr);
  SpSO_strcopy(text, std::string(1100000, 's').c_str());
  ASSERT_EQ(text->length, 1100000);
  Fill();
  sSpFileSysInfo* file = nullptr;
  ASSERT_EQ(Sp_WriteFileSystem_OpenByDirId(vRefNum_, dirID_, "out", 0, 0, &file, 1, 0), noErr);
  EXPECT_EQ(SpSO_WriteIntoFile(file, text), dskFulErr);
  EXPECT_EQ(Sp_WriteFileSystem_Close(file, 1, 1), dskFulErr);
  SpSO_DisposeStringObject(text);
}

// The room check asks for all of the bytes or none: exactly the free space fits, a byte more
// does not, and its scratch file never stays.
TEST_F(FileLibFullDiskTest, RoomForASaveIsFoundUpToTheFreeSpaceAndNotAByteMore) {
  UInt64 free = 0;
  ASSERT_EQ(Sp_GetVolumeFreeAreaSize(vRefNum_, free), noErr);
  ASSERT_GT(free, 8192u);
  const struct {
    UInt64 size;
    OSErr result;
  } cases[] = {{1, noErr}, {free, noErr}, {free + 1, dskFulErr}, {free + 4096, dskFulErr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(Sp_CheckVolumeTargetAreaSize(vRefNum_, dirID_, c.size), c.result);
    EXPECT_EQ(Names(), (std::vector<std::string>{"out"})) << "no scratch file stays";
    UInt64 after = 0;
    ASSERT_EQ(Sp_GetVolumeFreeAreaSize(vRefNum_, after), noErr);
    EXPECT_EQ(after, free) << "the room taken is given back";
  }
}

// The scratch file takes the first free name of "spaceTest", "spaceTest1" ... "spaceTest999";
// with all of them taken the check fails, and the files of those names stay.
TEST_F(FileLibFullDiskTest, TheScratchFileTakesTheLastFreeNumberAndNoneBeyond) {
  const std::string base = mounted_ + "/spaceTest";
  std::ofstream(base).flush();
  for (int n = 1; n <= 998; ++n) std::ofstream(base + std::to_string(n)).flush();
  EXPECT_EQ(Sp_CheckVolumeTargetAreaSize(vRefNum_, dirID_, 100), noErr);
  EXPECT_EQ(Names().size(), 1u + 999u) << "spaceTest999 was made and went again";
  std::ofstream(base + "999").flush();
  EXPECT_NE(Sp_CheckVolumeTargetAreaSize(vRefNum_, dirID_, 100), noErr);
  EXPECT_EQ(Names().size(), 1u + 1000u);
}

// The settings' new file cannot be written whole: the save fails, the previous file stays as
// it was with nothing beside it, and the settings stay modified for the next save.
TEST_F(FileLibFullDiskTest, ASettingsSaveThatFindsTheDiskFullKeepsThePreviousFile) {
  cPrefStockMgr manager;
  cPrefStockFileObj* file = manager.CreateNewStockFileObj(SpFourCC("InDt"), &folder_, "Settings",
                                                          SpFourCC("Zqcd"), SpFourCC("preF"));
  ASSERT_NE(file, nullptr);
  file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Old "), 0, 1)->SetupLongData(1, 1);
  ASSERT_EQ(file->SavePrefDataInFile(), noErr);
  std::ifstream in(mounted_ + "/Settings", std::ios::binary);
  const std::string previous((std::istreambuf_iterator<char>(in)), {});
  ASSERT_FALSE(previous.empty());
  file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("New "), 0, 1)->SetupLongData(2, 1);
  Fill();
  EXPECT_EQ(file->SavePrefDataInFile(), dskFulErr);
  std::ifstream again(mounted_ + "/Settings", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), previous);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Settings", "filler", "out"}));
  EXPECT_EQ(file->GetPrefModifyFlag(), 1);
}

}  // namespace
