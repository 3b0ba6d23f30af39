// Changes through the File Manager: create, delete, rename, move, copy, Finder information,
// dates and permissions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Files.h"
#include "FilesFixture.h"
#include "PrivateMounts.h"
#include "SaveRaces.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "files/detail/Catalog.h"
#include "files/internal/FileSteps.h"

namespace {

using namespace files_test;
namespace fs = sp_platform::files;

// 2011-03-11 14:46:00 and 2020-02-29 23:59:59, local time.
constexpr SInt64 kFirstDate = 3382699560LL;
constexpr SInt64 kSecondDate = 3665865599LL;

class FilesChanges : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(home_.Path("C").c_str(), 0700), 0);
    c_ = FolderAt(home_, "C");
  }
  bool ExtendedAttributesWork() {
    const std::string probe = home_.Path("xattr-probe");
    WriteHostFile(probe, "");
    const bool ok = setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
    unlink(probe.c_str());
    return ok;
  }

  sp_testing::HomeScope home_;
  Folder c_;
};

// Each refusal is evaluated in order; none may change what is on disk.
TEST_F(FilesChanges, RefusedCreatesRenamesMovesAndDeletesChangeNothing) {
  const SInt16 v = c_.vRefNum;
  const SInt32 c = c_.dirID;
  SInt32 outer = 0, inner = 0, other = 0;
  ASSERT_EQ(DirCreate(v, c, PStr("outer"), &outer), noErr);
  ASSERT_EQ(DirCreate(v, outer, PStr("inner"), &inner), noErr);
  ASSERT_EQ(DirCreate(v, c, PStr("other"), &other), noErr);
  ASSERT_EQ(HCreate(v, outer, PStr("inside"), 0, 0), noErr);
  WriteHostFile(home_.Path("C/a"), "first");
  WriteHostFile(home_.Path("C/b"), "second");
  WriteHostFile(home_.Path("C/other/a"), "staying");
  const FSRef parent = RefAt(home_, "C");
  const struct {
    OSErr result, expected;
    const char* why;
  } cases[] = {
      {HCreate(v, c, PStr("a"), 0, 0), dupFNErr, "a file over a file"},
      {HCreate(v, c, PStr("outer"), 0, 0), dupFNErr, "a file over a folder"},
      {DirCreate(v, c, PStr("a"), nullptr), dupFNErr, "a folder over a file"},
      {FSCreateFileUnicode(&parent, 1, U(u"a"), kFSCatInfoNone, nullptr, nullptr, nullptr),
       dupFNErr, "the Unicode form"},
      {HCreate(v, c, PStr(""), 0, 0), bdNamErr, "an empty name"},
      {HCreate(v, c, PStr(":nowhere:file"), 0, 0), dirNFErr, "no such folder"},
      {HCreate(v, 99999999, PStr("file"), 0, 0), dirNFErr, "no such folder id"},
      {FileInfoOf(c_, "outer", fnfErr).fileParam.ioResult, fnfErr, "file information of a folder"},
      {HRename(v, c, PStr("a"), PStr("b")), dupFNErr, "a rename never replaces"},
      {HRename(v, c, PStr("a"), PStr("x:y")), bdNamErr, "a rename stays in the folder"},
      {HRename(v, c, PStr("missing"), PStr("z")), fnfErr, "renaming nothing"},
      {CatMove(v, c, PStr("outer"), inner, nullptr), badMovErr, "a folder into itself"},
      {CatMove(v, c, PStr("a"), other, nullptr), dupFNErr, "a move never replaces"},
      {CatMove(v, c, PStr("a"), 99999999, nullptr), dirNFErr, "a move to no folder"},
      {HDelete(v, c, PStr("outer")), fBsyErr, "a folder that is not empty"},
      {HDelete(v, c, PStr("missing")), fnfErr, "deleting nothing"},
      {HDelete(v, 0, nullptr), fBsyErr, "a volume's root"},
  };
  for (const auto& r : cases) EXPECT_EQ(r.result, r.expected) << r.why;
  EXPECT_EQ(ReadHostFile(home_.Path("C/a")) + ReadHostFile(home_.Path("C/b")) +
                ReadHostFile(home_.Path("C/other/a")),
            "firstsecondstaying");
  EXPECT_TRUE(HostExists(home_.Path("C/outer/inside")));
}

TEST_F(FilesChanges, CreatesRenamesMovesAndDeletesReachTheDisk) {
  SInt32 folder = 0, inner = 0;
  ASSERT_EQ(DirCreate(c_.vRefNum, c_.dirID, PStr("folder"), &folder), noErr);
  ASSERT_EQ(DirCreate(c_.vRefNum, folder, PStr("inner"), &inner), noErr);
  CInfoPBRec pb;
  std::string name;
  ASSERT_EQ(CatInfoOf(c_.vRefNum, folder, -1, &pb, &name), noErr);
  EXPECT_EQ(name + " in " + std::to_string(pb.dirInfo.ioDrParID),
            "folder in " + std::to_string(c_.dirID))
      << "the id DirCreate gives is the new folder's";
  ASSERT_EQ(HCreate(c_.vRefNum, c_.dirID, PStr("a"), 0, 0), noErr);
  WriteHostFile(home_.Path("C/a"), "first");
  EXPECT_EQ(HRename(c_.vRefNum, c_.dirID, PStr("a"), PStr("a")), noErr);
  const FSRef a = RefAt(home_, "C/a");
  FSRef renamed{};
  ASSERT_EQ(FSRenameUnicode(&a, 2, U(u"\u97F3\u697D"), kTextEncodingUnknown, &renamed), noErr);
  EXPECT_EQ(ReadHostFile(home_.Path("C/\xE9\x9F\xB3\xE6\xA5\xBD")), "first");
  EXPECT_EQ(FSCompareFSRefs(&a, &renamed), noErr) << "the same item";
  // The destination may be named by a partial path from ioNewDirID.
  ASSERT_EQ(
      CatMove(c_.vRefNum, c_.dirID, PStr("\x89\xB9\x8A\x79"), c_.dirID, PStr(":folder:inner")),
      noErr);
  EXPECT_EQ(ReadHostFile(home_.Path("C/folder/inner/\xE9\x9F\xB3\xE6\xA5\xBD")), "first");
  ASSERT_EQ(FSDeleteObject(&a), noErr);
  EXPECT_EQ(FSDeleteObject(&a), fnfErr) << "and its id is gone";
  EXPECT_EQ(HDelete(c_.vRefNum, folder, PStr("inner")), noErr);
  EXPECT_EQ(HDelete(c_.vRefNum, c_.dirID, PStr("folder")), noErr);
  EXPECT_FALSE(HostExists(home_.Path("C/folder")));
}

int gDeleteCompletions = 0;
void CountDeleteCompletion(ParmBlkPtr) {
  ++gDeleteCompletions;
}

// The delete is done at once; its result reaches ioResult when the completion runs.
TEST_F(FilesChanges, AnAsynchronousDeleteReportsThroughTheCompletionQueue) {
  WriteHostFile(home_.Path("C/gone"), "");
  ASSERT_EQ(DirCreate(c_.vRefNum, c_.dirID, PStr("busy"), nullptr), noErr);
  WriteHostFile(home_.Path("C/busy/item"), "");
  gDeleteCompletions = 0;
  HParamBlockRec gone{}, busy{};
  PStr goneName("gone"), busyName("busy");
  gone.fileParam.ioNamePtr = goneName;
  busy.fileParam.ioNamePtr = busyName;
  for (HParamBlockRec* pb : {&gone, &busy}) {
    pb->fileParam.ioVRefNum = c_.vRefNum;
    pb->fileParam.ioDirID = c_.dirID;
    pb->fileParam.ioCompletion = NewIOCompletionUPP(CountDeleteCompletion);
    EXPECT_EQ(PBHDeleteAsync(pb), noErr) << "the result comes with the completion";
    EXPECT_EQ(pb->fileParam.ioResult, 1) << "in progress";
  }
  EXPECT_FALSE(HostExists(home_.Path("C/gone")));
  EXPECT_TRUE(HostExists(home_.Path("C/busy/item")));
  EXPECT_EQ(gDeleteCompletions, 0);
  EXPECT_EQ(sp_testing::RunFileCompletions(), 2);
  EXPECT_EQ(gDeleteCompletions, 2);
  EXPECT_EQ(gone.fileParam.ioResult, noErr);
  EXPECT_EQ(busy.fileParam.ioResult, fBsyErr);
}

TEST_F(FilesChanges, CopiesKeepDataFinderInformationAndCreationDate) {
  sp_testing::VirtualClockScope clock(kFirstDate);
  ASSERT_EQ(HCreate(c_.vRefNum, c_.dirID, PStr("original"), 0x74747874, 0x54455854), noErr);
  WriteHostFile(home_.Path("C/original"), std::string(300000, 'd'));
  SInt32 target = 0;
  ASSERT_EQ(DirCreate(c_.vRefNum, c_.dirID, PStr("target"), &target), noErr);
  // A modification time no copy made now could have by chance.
  const timespec modified[2] = {{0, UTIME_OMIT}, {1000000000, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, home_.Path("C/original").c_str(), modified, 0), 0);
  sp_testing::UseVirtualClock(kSecondDate);
  HParamBlockRec pb{};
  PStr original("original"), copyName("copy");
  pb.copyParam.ioNamePtr = original;
  pb.copyParam.ioVRefNum = c_.vRefNum;
  pb.copyParam.ioDirID = c_.dirID;
  pb.copyParam.ioDstVRefNum = c_.vRefNum;
  pb.copyParam.ioNewDirID = target;
  pb.copyParam.ioCopyName = copyName;
  ASSERT_EQ(PBHCopyFileSync(&pb), noErr);
  EXPECT_EQ(ReadHostFile(home_.Path("C/target/copy")), std::string(300000, 'd'));
  EXPECT_EQ(PBHCopyFileSync(&pb), dupFNErr) << "a copy never replaces";
  const HParamBlockRec from = FileInfoOf(c_, "original");
  const HParamBlockRec to = FileInfoOf(Folder{c_.vRefNum, target, ""}, "copy");
  EXPECT_NE(from.fileParam.ioDirID, to.fileParam.ioDirID);
  EXPECT_EQ(to.fileParam.ioFlMdDat, from.fileParam.ioFlMdDat);
  struct stat copied {};
  ASSERT_EQ(stat(home_.Path("C/target/copy").c_str(), &copied), 0);
  EXPECT_EQ(copied.st_mtim.tv_sec, modified[1].tv_sec);
  EXPECT_EQ(copied.st_mtim.tv_nsec, modified[1].tv_nsec);
  if (ExtendedAttributesWork()) {
    EXPECT_EQ(to.fileParam.ioFlCrDat, UInt32(kFirstDate));
    EXPECT_EQ(std::memcmp(&to.fileParam.ioFlFndrInfo, &from.fileParam.ioFlFndrInfo, 8), 0);
  }
  PStr targetName("target");
  pb.copyParam.ioNamePtr = targetName;
  EXPECT_EQ(PBHCopyFileSync(&pb), notAFileErr) << "folders are not copied";
}

// A copy that finds the disk full fails with dskFulErr and leaves no part of itself behind.
TEST_F(FilesChanges, ACopyThatFindsTheDiskFullFailsAndLeavesNoPartOfItself) {
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "no mounts of our own here";
  const std::string full = home_.Path("C/full");
  ASSERT_EQ(mkdir(full.c_str(), 0700), 0);
  if (mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  WriteHostFile(full + "/original", std::string(40000, 'd'));
  const Folder folder = FolderAt(home_, "C/full");
  HParamBlockRec pb{};
  PStr original("original"), copyName("copy");
  pb.copyParam.ioNamePtr = original;
  pb.copyParam.ioVRefNum = folder.vRefNum;
  pb.copyParam.ioDirID = folder.dirID;
  pb.copyParam.ioDstVRefNum = folder.vRefNum;
  pb.copyParam.ioNewDirID = folder.dirID;
  pb.copyParam.ioCopyName = copyName;
  EXPECT_EQ(PBHCopyFileSync(&pb), dskFulErr);
  EXPECT_FALSE(HostExists(full + "/copy"));
  umount2(full.c_str(), MNT_DETACH);
}

// A creation-date attribute of another length than the 8 bytes the layer writes (another
// program's, or damaged) is not read: the file shows the date it has without one.
TEST_F(FilesChanges, ACreationDateAttributeOfAnotherLengthIsNotTaken) {
  if (!ExtendedAttributesWork()) GTEST_SKIP() << "no extended attributes on this file system";
  const std::string path = home_.Path("C/f");
  WriteHostFile(path, "f");
  const UInt32 plain = FileInfoOf(c_, "f").fileParam.ioFlCrDat;
  const UInt64 second = UInt64(fs::UTC1904FromLocal1904(kSecondDate));
  std::string stamp;
  for (int shift = 56; shift >= 0; shift -= 8) stamp += char((second >> shift) & 0xFF);
  const struct {
    std::string bytes;
    UInt32 date;
  } cases[] = {
      {stamp.substr(0, 4), plain}, {stamp.substr(0, 7), plain}, {stamp + "x", plain},
      {stamp, UInt32(kSecondDate)},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(setxattr(path.c_str(), "user.creationdate", c.bytes.data(), c.bytes.size(), 0), 0);
    EXPECT_EQ(FileInfoOf(c_, "f").fileParam.ioFlCrDat, c.date) << c.bytes.size() << " bytes";
  }
}

// Finder information another program stored shorter than 32 bytes gives the bytes it has,
// and zeros for the rest; stored longer, its first 32 bytes.
TEST_F(FilesChanges, FinderInformationOfAnotherLengthGivesTheBytesItHasUpTo32) {
  if (!ExtendedAttributesWork()) GTEST_SKIP() << "no extended attributes on this file system";
  const std::string path = home_.Path("C/f");
  WriteHostFile(path, "f");
  const std::string stored = std::string("TEXTttxt\x01\x02\x00\x05\x00\x06\x00\x07", 16) +
                             std::string(1000, '\xEE');
  for (const std::size_t length : {std::size_t(8), std::size_t(9), std::size_t(10),
                                   std::size_t(16), std::size_t(33), stored.size()}) {
    SCOPED_TRACE(length);
    ASSERT_EQ(setxattr(path.c_str(), "user.finderinfo", stored.data(), length, 0), 0);
    FInfo got{};
    ASSERT_EQ(HGetFInfo(c_.vRefNum, c_.dirID, PStr("f"), &got), noErr);
    EXPECT_EQ(got.fdType, SpFourCC("TEXT"));
    EXPECT_EQ(got.fdCreator, SpFourCC("ttxt"));
    EXPECT_EQ(got.fdFlags, length >= 10 ? 0x0102 : length == 9 ? 0x0100 : 0);
    EXPECT_EQ(got.fdFldr, length >= 16 ? 7 : 0);
    UInt8 raw[32];
    fs::ReadFinderInfo(path, raw);
    const std::size_t kept = std::min<std::size_t>(length, 32);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), 32),
              stored.substr(0, kept) + std::string(32 - kept, '\0'));
  }
}

TEST_F(FilesChanges, FinderInformationAndCreationDatesRoundTripThroughEveryForm) {
  if (!ExtendedAttributesWork()) GTEST_SKIP() << "no extended attributes on this file system";
  sp_testing::VirtualClockScope clock(kFirstDate);
  ASSERT_EQ(HCreate(c_.vRefNum, c_.dirID, PStr("f"), 0, 0), noErr);
  const FInfo set{0x41494646, 0x5A716372, kHasBeenInited | kHasCustomIcon, {-1, -1}, 7};
  ASSERT_EQ(HSetFInfo(c_.vRefNum, c_.dirID, PStr("f"), &set), noErr);
  FInfo got{};
  ASSERT_EQ(HGetFInfo(c_.vRefNum, c_.dirID, PStr("f"), &got), noErr);
  EXPECT_EQ(std::memcmp(&got, &set, sizeof got), 0);
  UInt8 raw[32];
  fs::ReadFinderInfo(home_.Path("C/f"), raw);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), 10), std::string("AIFFZqcr\x05\0", 10))
      << "stored big-endian, type first";

  const FSRef ref = RefAt(home_, "C/f");
  FSCatalogInfo info{};
  ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info, nullptr, nullptr, nullptr), noErr);
  ::FileInfo* fi = reinterpret_cast<::FileInfo*>(info.finderInfo);
  EXPECT_EQ(fi->fileType, set.fdType);
  fi->finderFlags |= kIsInvisible;
  ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info), noErr);
  ASSERT_EQ(HGetFInfo(c_.vRefNum, c_.dirID, PStr("f"), &got), noErr);
  EXPECT_EQ(got.fdFlags, set.fdFlags | kIsInvisible);

  // A folder's flags come back in DInfo.
  SInt32 folder = 0;
  ASSERT_EQ(DirCreate(c_.vRefNum, c_.dirID, PStr("d"), &folder), noErr);
  const FSRef folderRef = RefAt(home_, "C/d");
  *reinterpret_cast<FolderInfo*>(info.finderInfo) = FolderInfo{{}, 0x0020, Point{10, 20}, 0};
  ASSERT_EQ(FSSetCatalogInfo(&folderRef, kFSCatInfoFinderInfo, &info), noErr);
  CInfoPBRec dir;
  ASSERT_EQ(CatInfoOf(c_.vRefNum, folder, -1, &dir), noErr);
  EXPECT_EQ(dir.dirInfo.ioDrUsrWds.frFlags * 100 + dir.dirInfo.ioDrUsrWds.frLocation.h,
            0x20 * 100 + 20);
  EXPECT_EQ(dir.dirInfo.ioDrCrDat, UInt32(kFirstDate)) << "creation dates come from the clock";

  // The FSRef form of the creation date is in UTC; writing it moves the classic date along.
  EXPECT_EQ(FileInfoOf(c_, "f").fileParam.ioFlCrDat, UInt32(kFirstDate));
  ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoCreateDate, &info, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(SInt64(info.createDate.lowSeconds), fs::UTC1904FromLocal1904(kFirstDate));
  const SInt64 second = fs::UTC1904FromLocal1904(kSecondDate);
  info.createDate = UTCDateTime{UInt16(UInt64(second) >> 32), UInt32(second), 0};
  ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoCreateDate, &info), noErr);
  HParamBlockRec pb = FileInfoOf(c_, "f");
  EXPECT_EQ(pb.fileParam.ioFlCrDat, UInt32(kSecondDate));

  // A parameter block with cleared dates sets the Finder information and leaves the dates.
  const UInt32 modified = pb.fileParam.ioFlMdDat;
  PStr name("f");
  pb.fileParam.ioNamePtr = name;
  pb.fileParam.ioFlCrDat = 0;
  pb.fileParam.ioFlMdDat = 0;
  pb.fileParam.ioFlFndrInfo.fdType = 0x54455854;
  pb.fileParam.ioDirID = c_.dirID;  // the get left the file's id there
  ASSERT_EQ(PBHSetFInfoSync(&pb), noErr);
  pb = FileInfoOf(c_, "f");
  EXPECT_EQ(pb.fileParam.ioFlCrDat, UInt32(kSecondDate));
  EXPECT_EQ(pb.fileParam.ioFlMdDat, modified);
  EXPECT_EQ(pb.fileParam.ioFlFndrInfo.fdType, 0x54455854u);
}

// The extended Finder information of files and folders keeps every field through the FSRef
// calls and is stored big-endian, so the classic records read the same values.
TEST_F(FilesChanges, ExtendedFinderInformationKeepsEveryFieldForFilesAndFolders) {
  if (!ExtendedAttributesWork()) GTEST_SKIP() << "no extended attributes on this file system";
  WriteHostFile(home_.Path("C/f"), "f");
  ASSERT_EQ(mkdir(home_.Path("C/d").c_str(), 0700), 0);
  const ExtendedFolderInfo folderInfo{Point{-2, 0x1234}, SInt32(0x89ABCDEF), 0x4A5B, -3,
                                      SInt32(0x81020304)};
  const ExtendedFileInfo fileInfo{{-1, 0x0102, 0x7F80, -32768}, 0xA55A, 0x1357,
                                  SInt32(0xF1E2D3C4)};
  struct Case {
    const char* name;
    const void* record;
    UInt32 putAway;
  };
  for (const Case& c : {Case{"C/f", &fileInfo, 0xF1E2D3C4u}, Case{"C/d", &folderInfo, 0x81020304u}}) {
    SCOPED_TRACE(c.name);
    const FSRef ref = RefAt(home_, c.name);
    FSCatalogInfo info{};
    std::memcpy(info.extFinderInfo, c.record, 16);
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderXInfo, &info), noErr);
    FSCatalogInfo got{};
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoFinderXInfo, &got, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_EQ(std::memcmp(got.extFinderInfo, c.record, 16), 0);
    UInt8 raw[32];
    fs::ReadFinderInfo(home_.Path(c.name), raw);
    EXPECT_EQ(sp::LoadBE32(raw + 28), c.putAway) << "stored big-endian";
    CInfoPBRec pb{};
    pb.hFileInfo.ioVRefNum = c_.vRefNum;
    pb.hFileInfo.ioDirID = c_.dirID;
    PStr name(std::string(c.name).substr(2));
    pb.hFileInfo.ioNamePtr = name;
    ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
    const SInt32 classic = c.record == &fileInfo ? pb.hFileInfo.ioFlXFndrInfo.fdPutAway
                                                 : pb.dirInfo.ioDrFndrInfo.frPutAway;
    EXPECT_EQ(UInt32(classic), c.putAway);
  }
}

TEST_F(FilesChanges, DataFilesAreNeverMadeExecutable) {
  const FSRef parent = RefAt(home_, "C");
  FSCatalogInfo info{};
  reinterpret_cast<FSPermissionInfo*>(info.permissions)->mode = 0x1C0;  // owner rwx, as asked
  FSRef fileRef{};
  ASSERT_EQ(
      FSCreateFileUnicode(&parent, 4, U(u"data"), kFSCatInfoSettableInfo, &info, &fileRef, nullptr),
      noErr);
  UInt32 dirID = 0;
  ASSERT_EQ(FSCreateDirectoryUnicode(&parent, 3, U(u"dir"), kFSCatInfoSettableInfo, &info, nullptr,
                                     nullptr, &dirID),
            noErr);
  EXPECT_EQ(ModeOf(home_.Path("C/data")), 0600u);
  EXPECT_EQ(ModeOf(home_.Path("C/dir")), 0700u);
  // Reading the permissions, ORing the owner bits in and writing them back.
  const mode_t cases[][2] = {{0644, 0644}, {0600, 0600}, {0755, 0755}, {0444, 0644}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    ASSERT_EQ(chmod(home_.Path("C/data").c_str(), c[0]), 0);
    ASSERT_EQ(FSGetCatalogInfo(&fileRef, kFSCatInfoPermissions, &info, nullptr, nullptr, nullptr),
              noErr);
    FSPermissionInfo* p = reinterpret_cast<FSPermissionInfo*>(info.permissions);
    EXPECT_EQ(p->mode & 07777, c[0]);
    p->mode |= 0x1C0;
    ASSERT_EQ(FSSetCatalogInfo(&fileRef, kFSCatInfoPermissions, &info), noErr);
    EXPECT_EQ(ModeOf(home_.Path("C/data")), c[1]);
  }
}

TEST_F(FilesChanges, ChangesInAReadOnlyFolderReportPermissionErrors) {
  WriteHostFile(home_.Path("C/kept"), "k");
  ASSERT_EQ(chmod(home_.Path("C").c_str(), 0555), 0);
  ASSERT_EQ(chmod(home_.Home().c_str(), 0711), 0);  // another user may pass through
  const Folder c = c_;
  RunUnprivileged([c] {
    EXPECT_EQ(HCreate(c.vRefNum, c.dirID, PStr("new"), 0, 0), wrPermErr);
    EXPECT_EQ(DirCreate(c.vRefNum, c.dirID, PStr("new"), nullptr), wrPermErr);
    EXPECT_EQ(HDelete(c.vRefNum, c.dirID, PStr("kept")), wrPermErr);
    EXPECT_EQ(HRename(c.vRefNum, c.dirID, PStr("kept"), PStr("other")), wrPermErr);
  });
  EXPECT_TRUE(HostExists(home_.Path("C/kept")));
  EXPECT_FALSE(HostExists(home_.Path("C/new")));
  chmod(home_.Path("C").c_str(), 0700);
}

// The replacing rename puts the new file under the old name in one step: the name then holds
// the renamed file with its number, the old name is free, and only files are replaced.
TEST_F(FilesChanges, ARenameOverAFileReplacesItInOneStepAndNeverAFolder) {
  const SInt16 v = c_.vRefNum;
  const SInt32 c = c_.dirID;
  WriteHostFile(home_.Path("C/list"), "old list");
  WriteHostFile(home_.Path("C/list-new"), "new list");
  SInt32 folder = 0;
  ASSERT_EQ(DirCreate(v, c, PStr("folder"), &folder), noErr);
  const SInt32 newID = FileID(c_, "list-new");
  ASSERT_EQ(HRenameReplacing(v, c, PStr("list-new"), PStr("list")), noErr);
  EXPECT_EQ(ReadHostFile(home_.Path("C/list")), "new list");
  EXPECT_FALSE(HostExists(home_.Path("C/list-new")));
  EXPECT_EQ(FileID(c_, "list"), newID) << "the name holds the renamed file";
  ASSERT_EQ(HRenameReplacing(v, c, PStr("list"), PStr("fresh")), noErr) << "no file there";
  const struct {
    OSErr result, expected;
    const char* why;
  } cases[] = {
      {HRenameReplacing(v, c, PStr("fresh"), PStr("folder")), dupFNErr, "a folder is no file"},
      {HRenameReplacing(v, c, PStr("folder"), PStr("fresh")), notAFileErr, "only files go"},
      {HRenameReplacing(v, c, PStr("missing"), PStr("fresh")), fnfErr, "renaming nothing"},
      {HRenameReplacing(v, c, PStr("fresh"), PStr("x:y")), bdNamErr, "it stays in the folder"},
  };
  for (const auto& r : cases) EXPECT_EQ(r.result, r.expected) << r.why;
  EXPECT_EQ(ReadHostFile(home_.Path("C/fresh")), "new list");
  EXPECT_TRUE(HostExists(home_.Path("C/folder")));
}

// Side files of saves: only files named prefix, a tag and suffix whose process has ended are
// listed (newest first, by their tags) and deleted; everything else beside them stays.
TEST_F(FilesChanges, SideFilesOfEndedProcessesAloneAreListedAndDeleted) {
  const std::string gone = std::to_string(test_support::EndedProcessId());
  const std::string running = std::to_string(getppid());
  const std::string mine = std::to_string(getpid());
  char tag[kSpSideFileTagSize];
  SpNewSideFileTag(tag);
  // This machine and its boot, as tags carry them; another machine's, and an earlier boot's.
  const char* mark = std::strchr(tag, '@');
  ASSERT_NE(mark, nullptr) << tag;
  const std::string here = mark;
  ASSERT_EQ(here.size(), 17u) << tag;
  std::string elsewhere = here, earlierBoot = here;
  elsewhere[1] = elsewhere[1] == 'a' ? 'b' : 'a';
  earlierBoot[16] = earlierBoot[16] == 'a' ? 'b' : 'a';
  const struct {
    std::string name;
    bool ended;
    const char* why;
  } cases[] = {
      {".L." + gone + "-2.saving", true, "process and count of an ended process"},
      {".L." + gone + ".saving", true, "a bare process id"},
      {".L." + running + "-1.saving", false, "a save still going on elsewhere"},
      {".L." + mine + "-1.saving", false, "this process's own"},
      {".L.x-1.saving", false, "no process id"},
      {".L." + gone + "-.saving", false, "a count without digits"},
      {".L." + gone + "-1.savingx", false, "another suffix"},
      {".M." + gone + "-1.saving", false, "another file's"},
      {".L.99999999999-1.saving", false, "a number no process id can be"},
      {".L." + gone + "-3" + here + ".saving", true, "an ended process of this machine"},
      {".L." + gone + "-4" + elsewhere + ".saving", false,
       "another machine's process, which may still run there"},
      {".L." + running + "-5" + earlierBoot + ".saving", true,
       "this machine's before its last start, under an id that runs now"},
      {".L." + running + "-6" + here + ".saving", false, "a running process of this machine"},
      {".L." + gone + "-7" + here.substr(0, 9) + ".saving", false, "a cut machine"},
  };
  time_t when = 1000000;
  for (const auto& c : cases) {
    WriteHostFile(home_.Path("C/" + c.name), "x");
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, home_.Path("C/" + c.name).c_str(), times, 0);
    when -= 10;
  }
  ASSERT_EQ(mkdir(home_.Path("C/.L." + gone + "-9.saving").c_str(), 0700), 0);
  std::vector<std::string> tags;
  ASSERT_EQ(SpGetEndedSideFileTags(c_.vRefNum, c_.dirID, PStr(".L."), PStr(".saving"), &tags),
            noErr);
  EXPECT_EQ(tags, (std::vector<std::string>{gone + "-2", gone, gone + "-3" + here,
                                            running + "-5" + earlierBoot}))
      << "files only, newest first";
  ASSERT_EQ(SpDeleteEndedSideFiles(c_.vRefNum, c_.dirID, PStr(".L."), PStr(".saving")), noErr);
  for (const auto& c : cases) EXPECT_EQ(HostExists(home_.Path("C/" + c.name)), !c.ended) << c.why;
  EXPECT_TRUE(HostExists(home_.Path("C/.L." + gone + "-9.saving"))) << "a folder is no side file";
  EXPECT_EQ(SpGetEndedSideFileTags(c_.vRefNum, c_.dirID, PStr(""), PStr(".saving"), &tags),
            bdNamErr);
  SpNewSideFileTag(tag);
  const std::string first = tag;
  SpNewSideFileTag(tag);
  EXPECT_NE(first, tag) << "each save of a process gets a tag of its own";
  EXPECT_EQ(first.compare(0, mine.size() + 1, mine + "-"), 0);
}

// Contents saved through a side file: what ended processes left goes first, the side file
// (named prefix, this process's tag, suffix) is written with its Finder information and synced,
// takes the name in one rename, and the folder is synced after it. When the last step fails
// (the name is a mount point, which no rename replaces) the file stays as it was and the side
// file goes.
TEST_F(FilesChanges, ContentsSavedThroughASideFileReachTheDiskAndAFailedLastStepLeavesNothing) {
  const SInt16 v = c_.vRefNum;
  const SInt32 c = c_.dirID;
  const std::string list = home_.Path("C/list");
  const std::string gone = std::to_string(test_support::EndedProcessId());
  WriteHostFile(list, "old");
  WriteHostFile(home_.Path("C/.list." + gone + "-1.saving"), "left by a kill");
  const FInfo info{SpFourCC("TEXT"), SpFourCC("SpMm"), kHasBeenInited, {-1, -1}, 0};
  const auto save = [&](const std::string& text) {
    return SpReplaceFileContents(v, c, PStr("list"), PStr(".list."), PStr(".saving"), &info,
                                 text.data(), text.size());
  };
  std::vector<std::string> journal;
  sp_platform::files::JournalFileSteps(&journal);
  const OSErr saved = save("new");
  sp_platform::files::JournalFileSteps(nullptr);
  ASSERT_EQ(saved, noErr);
  EXPECT_EQ(ReadHostFile(list), "new");
  FInfo now{};
  ASSERT_EQ(HGetFInfo(v, c, PStr("list"), &now), noErr);
  EXPECT_EQ(now.fdType, SpFourCC("TEXT"));
  EXPECT_EQ(now.fdCreator, SpFourCC("SpMm"));
  const auto sides = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home_.Path("C"))) {
      const std::string name = entry.path().filename();
      if (name.compare(0, 6, ".list.") == 0) names.push_back(name);
    }
    return names;
  };
  EXPECT_EQ(sides(), std::vector<std::string>{}) << "the ended process's side file went too";
  std::string side;
  for (const std::string& entry : journal) {
    if (entry.compare(0, 5, "open ") == 0 && entry.find("/.list.") != std::string::npos) {
      side = entry.substr(5);
    }
  }
  const std::string tag = std::to_string(getpid()) + "-";
  ASSERT_NE(side.find("/.list." + tag), std::string::npos) << side;
  EXPECT_EQ(side.compare(side.size() - 7, 7, ".saving"), 0) << side;
  const std::vector<std::string> order = {"open " + side, "sync " + side,
                                          "rename " + side + " " + list, "sync " + home_.Path("C")};
  std::size_t at = 0;
  for (const std::string& step : order) {
    at = std::size_t(std::find(journal.begin() + std::ptrdiff_t(at), journal.end(), step) -
                     journal.begin());
    EXPECT_LT(at, journal.size()) << step << " in its place";
  }

  EXPECT_EQ(SpReplaceFileContents(v, c, nullptr, PStr(".x."), PStr(""), nullptr, "", 0), paramErr);
  EXPECT_EQ(SpReplaceFileContents(v, c, PStr("list"), PStr(".x."), PStr(""), nullptr, nullptr, 1),
            paramErr);
  ASSERT_EQ(mkdir(home_.Path("C/folder").c_str(), 0700), 0);
  EXPECT_EQ(SpReplaceFileContents(v, c, PStr("folder"), PStr(".x."), PStr(""), nullptr, "", 0),
            notAFileErr);

  {
    const test_support::NameHeldByMount held(list);
    if (!held.Held()) GTEST_SKIP() << "this process may not mount";
    EXPECT_NE(save("newer"), noErr);
  }
  EXPECT_EQ(ReadHostFile(list), "new");
  EXPECT_EQ(sides(), std::vector<std::string>{}) << "the failed save's side file went";
}

// A save through a side file makes a new file under the name: the replaced file's id and ref
// no longer name anything, not the new file.
TEST_F(FilesChanges, AReplacedFilesOldIdNeverNamesTheNewFile) {
  const SInt16 v = c_.vRefNum;
  const SInt32 c = c_.dirID;
  WriteHostFile(home_.Path("C/list"), "old");
  const SInt32 oldID = FileID(c_, "list");
  const FSRef oldRef = Ref(c_, "list");
  ASSERT_EQ(SpReplaceFileContents(v, c, PStr("list"), PStr(".list."), PStr(".saving"), nullptr,
                                  "new", 3),
            noErr);
  EXPECT_NE(FileID(c_, "list"), oldID) << "the old id names the new file";
  EXPECT_EQ(FSGetCatalogInfo(&oldRef, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr), fnfErr);
  EXPECT_EQ(ReadHostFile(PathOf(Ref(c_, "list"))), "new");
}

// The same save over several calls: the name holds the old contents until the end, which
// gives it every part in order; one given up, or one whose write failed (here past the
// process's file size limit), leaves the file as it was, reports the failure and no side file.
TEST_F(FilesChanges, ContentsSavedAPartAtATimeTakeTheNameWholeOrNotAtAll) {
  const SInt16 v = c_.vRefNum;
  const SInt32 c = c_.dirID;
  const std::string list = home_.Path("C/list");
  WriteHostFile(list, "old");
  const FInfo info{SpFourCC("TEXT"), SpFourCC("SpMm"), kHasBeenInited, {-1, -1}, 0};
  const auto sides = [&] {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home_.Path("C"))) {
      if (entry.path().filename().string().compare(0, 6, ".list.") == 0) ++n;
    }
    return n;
  };
  const auto begin = [&] {
    SpFileReplacement* r = nullptr;
    EXPECT_EQ(SpBeginFileReplacement(v, c, PStr("list"), PStr(".list."), PStr(".saving"), &info,
                                     &r),
              noErr);
    return r;
  };

  SpFileReplacement* r = begin();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SpWriteFileReplacement(r, "ne", 2), noErr);
  EXPECT_EQ(SpWriteFileReplacement(r, "", 0), noErr);
  EXPECT_EQ(SpWriteFileReplacement(r, "w!", 2), noErr);
  EXPECT_EQ(ReadHostFile(list), "old") << "until the end";
  EXPECT_EQ(sides(), 1u);
  EXPECT_EQ(SpEndFileReplacement(r, true), noErr);
  EXPECT_EQ(ReadHostFile(list), "new!");
  FInfo now{};
  ASSERT_EQ(HGetFInfo(v, c, PStr("list"), &now), noErr);
  EXPECT_EQ(now.fdCreator, SpFourCC("SpMm"));
  EXPECT_EQ(sides(), 0u);

  r = begin();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SpWriteFileReplacement(r, "given up", 8), noErr);
  EXPECT_EQ(SpEndFileReplacement(r, false), noErr);
  EXPECT_EQ(ReadHostFile(list), "new!");
  EXPECT_EQ(sides(), 0u);

  r = begin();
  ASSERT_NE(r, nullptr);
  rlimit was{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
  rlimit small = was;
  small.rlim_cur = 4;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const OSErr tooLong = SpWriteFileReplacement(r, "longer than four", 16);
  setrlimit(RLIMIT_FSIZE, &was);
  signal(SIGXFSZ, handler);
  EXPECT_NE(tooLong, noErr);
  EXPECT_EQ(SpWriteFileReplacement(r, "x", 1), tooLong) << "nothing more is written";
  EXPECT_EQ(SpEndFileReplacement(r, true), tooLong) << "the failure, not a save";
  EXPECT_EQ(ReadHostFile(list), "new!");
  EXPECT_EQ(sides(), 0u);

  // The name taken meanwhile by a folder with something in it, which no rename replaces: the
  // last step fails, the failure is told, and neither the side file nor the folder's contents go.
  r = begin();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SpWriteFileReplacement(r, "lost", 4), noErr);
  ASSERT_EQ(rename(list.c_str(), home_.Path("C/aside").c_str()), 0);
  ASSERT_EQ(mkdir(list.c_str(), 0700), 0);
  WriteHostFile(list + "/inside", "kept");
  EXPECT_NE(SpEndFileReplacement(r, true), noErr) << "a failed rename told as a save";
  EXPECT_EQ(sides(), 0u) << "the failed commit left its side file";
  EXPECT_EQ(ReadHostFile(list + "/inside"), "kept");

  EXPECT_EQ(SpBeginFileReplacement(v, c, PStr("list"), PStr(".x."), PStr(""), nullptr, nullptr),
            paramErr);
  EXPECT_EQ(SpWriteFileReplacement(nullptr, "x", 1), paramErr);
  EXPECT_EQ(SpEndFileReplacement(nullptr, true), paramErr);
}

}  // namespace
