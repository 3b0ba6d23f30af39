#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "Files.h"
#include "FilesFixture.h"
#include "MacMemory.h"
#include "TestFiles.h"
#include "files/detail/Catalog.h"
#include "files/detail/Forks.h"

namespace {

using files_test::PStr;
using files_test::ReadHostFile;
using files_test::WriteHostFile;

class FilesForks : public ::testing::Test {
 protected:
  void SetUp() override { docs_ = files_test::DocumentsFolder(home_); }

  // Makes a file in Documents with the bytes and opens it.
  SInt16 Open(const std::string& name, const std::string& bytes, SInt8 permission,
              OSErr expected = noErr) {
    if (!files_test::HostExists(Path(name))) WriteHostFile(Path(name), bytes);
    SInt16 refNum = 0;
    EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr(name), permission, &refNum), expected)
        << name;
    return refNum;
  }
  std::string Path(const std::string& name) const { return docs_.path + "/" + name; }

  FSRef Ref(const std::string& name) {
    FSSpec spec{};
    EXPECT_EQ(FSMakeFSSpec(docs_.vRefNum, docs_.dirID, PStr(name), &spec), noErr);
    FSRef ref{};
    EXPECT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
    return ref;
  }

  sp_testing::HomeScope home_;
  files_test::Folder docs_;
};

// ---- Positions and reads across the end of file -------------------------------------------

struct ReadCase {
  const char* why;
  SInt16 posMode;
  SInt32 posOffset;
  OSErr setPosResult;
  SInt32 request;
  OSErr readResult;
  const char* bytesRead;
  SInt32 markAfter;
};

TEST_F(FilesForks, ReadsStopAtEndOfFileWithPartialCountAndEofErr) {
  const ReadCase cases[] = {
      {"inside", fsFromStart, 2, noErr, 3, noErr, "234", 5},
      {"across the end", fsFromStart, 8, noErr, 5, eofErr, "89", 10},
      {"from the end", fsFromLEOF, -3, noErr, 10, eofErr, "789", 10},
      {"at the end", fsFromStart, 10, noErr, 1, eofErr, "", 10},
      {"past the end clamps to the end", fsFromStart, 11, eofErr, 1, eofErr, "", 10},
      {"before the start is refused", fsFromLEOF, -11, posErr, 2, noErr, "01", 2},
      {"back from the mark", fsFromMark, -1, posErr, 1, noErr, "0", 1},
      {"at the mark", fsAtMark, 99, noErr, 4, noErr, "0123", 4},
  };
  for (const ReadCase& c : cases) {
    SInt16 ref = Open("digits", "0123456789", fsRdPerm);
    EXPECT_EQ(SetFPos(ref, c.posMode, c.posOffset), c.setPosResult) << c.why;
    char buf[32] = {};
    SInt32 count = c.request;
    EXPECT_EQ(FSRead(ref, &count, buf), c.readResult) << c.why;
    EXPECT_EQ(std::string(buf, std::size_t(count)), c.bytesRead) << c.why;
    SInt32 mark = -1;
    EXPECT_EQ(GetFPos(ref, &mark), noErr);
    EXPECT_EQ(mark, c.markAfter) << c.why;
    EXPECT_EQ(FSClose(ref), noErr);
  }
}

TEST_F(FilesForks, ParamBlockReadAndWriteUseTheirOwnPositionAndReportTheMark) {
  SInt16 ref = Open("pb", "abcdefgh", fsRdWrPerm);
  ParamBlockRec pb{};
  char buf[8] = {};
  pb.ioParam.ioRefNum = ref;
  pb.ioParam.ioBuffer = buf;
  pb.ioParam.ioReqCount = 4;
  pb.ioParam.ioPosMode = fsFromLEOF;
  pb.ioParam.ioPosOffset = -2;
  EXPECT_EQ(PBReadSync(&pb), eofErr);
  EXPECT_EQ(pb.ioParam.ioActCount, 2);
  EXPECT_EQ(std::string(buf, 2), "gh");
  EXPECT_EQ(pb.ioParam.ioPosOffset, 8);

  std::memcpy(buf, "XY", 2);
  pb.ioParam.ioReqCount = 2;
  pb.ioParam.ioPosMode = fsFromStart;
  pb.ioParam.ioPosOffset = 1;
  EXPECT_EQ(PBWriteSync(&pb), noErr);
  EXPECT_EQ(pb.ioParam.ioResult, noErr);
  EXPECT_EQ(pb.ioParam.ioPosOffset, 3);
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(ReadHostFile(Path("pb")), "aXYdefgh");
}

TEST_F(FilesForks, SetEOFShrinkingPullsTheMarkBackAndGrowingKeepsTheData) {
  SInt16 ref = Open("eof", "0123456789", fsRdWrPerm);
  ASSERT_EQ(SetFPos(ref, fsFromStart, 8), noErr);
  EXPECT_EQ(SetEOF(ref, 4), noErr);
  SInt32 mark = -1, eof = -1;
  EXPECT_EQ(GetFPos(ref, &mark), noErr);
  EXPECT_EQ(mark, 4);
  EXPECT_EQ(GetEOF(ref, &eof), noErr);
  EXPECT_EQ(eof, 4);
  EXPECT_EQ(SetEOF(ref, 6), noErr);
  EXPECT_EQ(SetEOF(ref, -1), posErr);
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(ReadHostFile(Path("eof")), std::string("0123\0\0", 6));
}

TEST_F(FilesForks, WritesAtTheMarkOverwriteAndExtend) {
  SInt16 ref = Open("w", "abc", fsWrPerm);
  ASSERT_EQ(SetFPos(ref, fsFromStart, 2), noErr);
  SInt32 count = 4;
  EXPECT_EQ(FSWrite(ref, &count, "WXYZ"), noErr);
  EXPECT_EQ(count, 4);
  count = 1;
  EXPECT_EQ(FSWrite(ref, &count, "!"), noErr);
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(ReadHostFile(Path("w")), "abWXYZ!");
}

// ---- Access paths ---------------------------------------------------------------------------

struct AccessCase {
  const char* why;
  SInt8 first;
  SInt8 second;
  OSErr secondResult;
};

TEST_F(FilesForks, OneWriterAtATimeAndReadersShare) {
  const AccessCase cases[] = {
      {"two writers", fsWrPerm, fsRdWrPerm, opWrErr},
      {"reader then writer", fsRdPerm, fsWrPerm, noErr},
      {"writer then reader", fsRdWrPerm, fsRdPerm, noErr},
      {"shared writers", fsRdWrShPerm, fsRdWrShPerm, noErr},
      {"shared after exclusive", fsWrPerm, fsRdWrShPerm, opWrErr},
      {"exclusive after shared", fsRdWrShPerm, fsWrPerm, opWrErr},
  };
  for (const AccessCase& c : cases) {
    SInt16 a = Open("shared", "data", c.first);
    SInt16 b = Open("shared", "data", c.second, c.secondResult);
    if (c.secondResult == noErr) {
      EXPECT_NE(b, a) << c.why;
      EXPECT_EQ(FSClose(b), noErr) << c.why;
    } else {
      EXPECT_EQ(b, 0) << c.why;
    }
    EXPECT_EQ(FSClose(a), noErr) << c.why;
  }
  // Once the writer has gone, writing is open again.
  SInt16 again = Open("shared", "data", fsWrPerm);
  EXPECT_EQ(FSClose(again), noErr);
}

TEST_F(FilesForks, WritingThroughAReadOnlyPathIsRefusedAndChangesNothing) {
  SInt16 ref = Open("ro", "keep", fsRdPerm);
  SInt32 count = 3;
  EXPECT_EQ(FSWrite(ref, &count, "bad"), wrPermErr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(SetEOF(ref, 0), wrPermErr);
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(ReadHostFile(Path("ro")), "keep");
}

TEST_F(FilesForks, ClosedOrUnknownReferenceNumbersAreRefused) {
  SInt16 ref = Open("closed", "x", fsRdPerm);
  EXPECT_EQ(FSClose(ref), noErr);
  SInt32 count = 1;
  char c;
  EXPECT_EQ(FSRead(ref, &count, &c), rfNumErr);
  EXPECT_EQ(FSClose(ref), rfNumErr);
  SInt16 next = Open("closed", "x", fsRdPerm);
  EXPECT_NE(next, ref) << "a number just closed is not handed out again at once";
  EXPECT_EQ(FSClose(next), noErr);
}

TEST_F(FilesForks, MissingFilesAndFoldersAreNotOpened) {
  SInt16 ref = 77;
  EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr("absent"), fsRdPerm, &ref), fnfErr);
  EXPECT_EQ(ref, 0);
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0700), 0);
  EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr("sub"), fsRdPerm, &ref), fnfErr);
  FSRef folder = Ref("sub");
  FSIORefNum fork = 0;
  EXPECT_EQ(FSOpenFork(&folder, 0, nullptr, fsRdPerm, &fork), notAFileErr);
}

TEST_F(FilesForks, OpeningForWritingWithoutPermissionGivesPermErrAndLosesNothing) {
  WriteHostFile(Path("locked"), "precious");
  ASSERT_EQ(chmod(Path("locked").c_str(), 0444), 0);
  // The child (as "nobody") must reach the folder.
  chmod(home_.Home().c_str(), 0755);
  chmod(docs_.path.c_str(), 0755);
  const SInt16 v = docs_.vRefNum;
  const SInt32 d = docs_.dirID;
  files_test::RunUnprivileged([v, d]() {
    SInt16 ref = 0;
    EXPECT_EQ(HOpenDF(v, d, PStr("locked"), fsWrPerm, &ref), permErr);
    EXPECT_EQ(HOpenDF(v, d, PStr("locked"), fsRdWrShPerm, &ref), permErr);
    // Asking for whatever is allowed gives a reading path.
    ASSERT_EQ(HOpenDF(v, d, PStr("locked"), fsCurPerm, &ref), noErr);
    SInt32 count = 1;
    EXPECT_EQ(FSWrite(ref, &count, "x"), wrPermErr);
    EXPECT_EQ(FSClose(ref), noErr);
  });
  EXPECT_EQ(ReadHostFile(Path("locked")), "precious");
}

// A tiny file system of its own, mounted inside the temporary home (root only); taken down,
// with the layer's open files, before the home goes.
class TinyVolume {
 public:
  explicit TinyVolume(const std::string& path) : path_(path) {
    if (geteuid() != 0 || mkdir(path.c_str(), 0700) != 0) return;
    mounted_ = mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k") == 0;
    sp_testing::ResetFiles();  // the volume table sees the new mount
  }
  ~TinyVolume() {
    sp_testing::ResetFiles();
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST_F(FilesForks, AFullDiskGivesDskFulErrWithWhatWasWritten) {
  TinyVolume tiny(home_.Path("tiny"));
  if (!tiny.mounted()) GTEST_SKIP() << "needs root to mount a small file system";
  sp_platform::files::Location root;
  ASSERT_EQ(sp_platform::files::LocatePath(home_.Path("tiny"), root), noErr);
  // Inside a chroot the mount table may not show the new mount where the path is.
  if (root.vRefNum == docs_.vRefNum) GTEST_SKIP() << "the mount table does not show the mount";
  WriteHostFile(home_.Path("tiny/f"), "");
  SInt16 ref = 0;
  ASSERT_EQ(HOpenDF(root.vRefNum, fsRtDirID, PStr("f"), fsRdWrPerm, &ref), noErr);
  std::vector<char> bytes(256 * 1024, 'z');
  SInt32 count = SInt32(bytes.size());
  EXPECT_EQ(FSWrite(ref, &count, bytes.data()), dskFulErr);
  EXPECT_LT(count, SInt32(bytes.size()));
  SInt32 mark = -1;
  EXPECT_EQ(GetFPos(ref, &mark), noErr);
  EXPECT_EQ(mark, count) << "the mark stands after what was written";
  ASSERT_EQ(SetEOF(ref, 0), noErr);

  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(root.vRefNum, fsRtDirID, PStr("g"), &spec), fnfErr);
  ASSERT_EQ(FSpCreate(&spec, 0, 0, 0), noErr);
  FSRef gRef{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &gRef), noErr);
  FSIORefNum fork = 0;
  ASSERT_EQ(FSOpenFork(&gRef, 0, nullptr, fsRdWrPerm, &fork), noErr);
  UInt64 actual = 7;
  EXPECT_EQ(FSAllocateFork(fork, kFSAllocAllOrNothingMask, fsFromStart, 0, 1 << 20, &actual),
            dskFulErr);
  EXPECT_EQ(actual, 0u);
  struct stat st;
  ASSERT_EQ(stat(home_.Path("tiny/g").c_str(), &st), 0);
  EXPECT_EQ(st.st_blocks, 0) << "nothing allocated";
  EXPECT_EQ(FSCloseFork(fork), noErr);
  EXPECT_EQ(FSClose(ref), noErr);
}

// ---- 64-bit forks ---------------------------------------------------------------------------

TEST_F(FilesForks, ForkPositionsAndSizesBeyond4GiBStayExact) {
  WriteHostFile(Path("big"), "");
  FSRef ref = Ref("big");
  HFSUniStr255 dataFork{};
  ASSERT_EQ(FSGetDataForkName(&dataFork), noErr);
  FSIORefNum fork = 0;
  ASSERT_EQ(FSOpenFork(&ref, dataFork.length, dataFork.unicode, fsRdWrPerm, &fork), noErr);
  const SInt64 fiveGiB = SInt64(5) << 30;
  const SInt64 at = (SInt64(9) << 30) / 2;  // 4.5 GiB
  ASSERT_EQ(FSSetForkSize(fork, fsFromStart, fiveGiB), noErr);
  SInt64 size = 0;
  EXPECT_EQ(FSGetForkSize(fork, &size), noErr);
  EXPECT_EQ(size, fiveGiB);

  ByteCount actual = 0;
  EXPECT_EQ(FSWriteFork(fork, fsFromStart, at, 5, "hello", &actual), noErr);
  EXPECT_EQ(actual, 5u);
  SInt64 mark = 0;
  EXPECT_EQ(FSGetForkPosition(fork, &mark), noErr);
  EXPECT_EQ(mark, at + 5);

  char buf[8] = {};
  EXPECT_EQ(FSSetForkPosition(fork, fsFromLEOF, -(fiveGiB - at)), noErr);
  EXPECT_EQ(FSReadFork(fork, fsAtMark, 0, 5, buf, &actual), noErr);
  EXPECT_EQ(std::string(buf, 5), "hello");
  EXPECT_EQ(FSReadFork(fork, fsFromLEOF, -2, 8, buf, &actual), eofErr);
  EXPECT_EQ(actual, 2u);

  // The 32-bit calls cannot show this size: they say so instead of wrapping.
  SInt32 eof32 = 0;
  EXPECT_EQ(GetEOF(fork, &eof32), fsDataTooBigErr);
  EXPECT_EQ(eof32, 0x7FFFFFFF);
  EXPECT_EQ(FSCloseFork(fork), noErr);

  struct stat st;
  ASSERT_EQ(stat(Path("big").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, fiveGiB);
  EXPECT_LT(st.st_blocks, 1024) << "the file stays sparse";
}

TEST_F(FilesForks, ResourceForksDoNotExist) {
  WriteHostFile(Path("plain"), "x");
  FSRef ref = Ref("plain");
  const UniChar rsrc[] = {'R', 'E', 'S', 'O', 'U', 'R', 'C', 'E', '_', 'F', 'O', 'R', 'K'};
  FSIORefNum fork = 5;
  EXPECT_EQ(FSOpenFork(&ref, 13, rsrc, fsRdPerm, &fork), errFSForkNotFound);
  EXPECT_EQ(fork, 0);
}

TEST_F(FilesForks, AllOrNothingAllocationRefusesMoreThanTheDiskHoldsAndAllocatesNothing) {
  WriteHostFile(Path("alloc"), "");
  FSRef ref = Ref("alloc");
  FSIORefNum fork = 0;
  ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork), noErr);
  struct stat before;
  ASSERT_EQ(stat(Path("alloc").c_str(), &before), 0);

  UInt64 actual = 99;
  EXPECT_EQ(
      FSAllocateFork(fork, kFSAllocAllOrNothingMask, fsFromStart, 0, UInt64(1) << 60, &actual),
      dskFulErr);
  EXPECT_EQ(actual, 0u);
  struct stat after;
  ASSERT_EQ(stat(Path("alloc").c_str(), &after), 0);
  EXPECT_EQ(after.st_blocks, before.st_blocks);

  EXPECT_EQ(FSAllocateFork(fork, kFSAllocAllOrNothingMask, fsFromStart, 0, 1 << 20, &actual),
            noErr);
  EXPECT_EQ(actual, UInt64(1) << 20);
  SInt64 size = -1;
  EXPECT_EQ(FSGetForkSize(fork, &size), noErr);
  EXPECT_EQ(size, 0) << "allocating reserves space without changing the length";
  EXPECT_EQ(FSAllocateFork(fork, 0x0100, fsFromStart, 0, 10, &actual), errFSBadAllocFlags);
  EXPECT_EQ(FSCloseFork(fork), noErr);
}

// ---- Asynchronous calls ---------------------------------------------------------------------

struct CompletionLog {
  std::vector<std::string> events;
  std::vector<OSErr> results;
};
CompletionLog* gLog = nullptr;

// The parameter block is the first member, so the routine finds its tag beside it.
struct TaggedPB {
  ParamBlockRec pb;
  const char* tag;
};

void RecordCompletion(ParmBlkPtr pb) {
  auto* tagged = reinterpret_cast<TaggedPB*>(pb);
  gLog->events.push_back(tagged->tag);
  gLog->results.push_back(OSErr(pb->ioParam.ioResult));
}

class FilesAsync : public FilesForks {
 protected:
  void SetUp() override {
    FilesForks::SetUp();
    gLog = &log_;
  }
  void TearDown() override { gLog = nullptr; }

  void PrepareWrite(TaggedPB& t, SInt16 ref, const char* tag, const void* bytes, SInt32 count,
                    SInt32 offset) {
    std::memset(&t, 0, sizeof t);
    t.tag = tag;
    t.pb.ioParam.ioCompletion = RecordCompletion;
    t.pb.ioParam.ioRefNum = ref;
    t.pb.ioParam.ioBuffer = static_cast<Ptr>(const_cast<void*>(bytes));
    t.pb.ioParam.ioReqCount = count;
    t.pb.ioParam.ioPosMode = fsFromStart;
    t.pb.ioParam.ioPosOffset = offset;
  }

  CompletionLog log_;
};

TEST_F(FilesAsync, CompletionRunsLaterWithTheRealResultStoredFirst) {
  SInt16 ref = Open("async", "", fsRdWrPerm);
  TaggedPB t;
  PrepareWrite(t, ref, "write", "abcd", 4, 0);
  EXPECT_EQ(PBWriteAsync(&t.pb), noErr);
  EXPECT_EQ(t.pb.ioParam.ioResult, 1) << "in progress until the completion runs";
  EXPECT_EQ(t.pb.ioParam.ioActCount, 4);
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(sp_testing::PendingFileCompletions(), 1);
  EXPECT_EQ(ReadHostFile(Path("async")), "abcd") << "the write itself is done at once";

  EXPECT_EQ(sp_testing::RunFileCompletions(), 1);
  ASSERT_EQ(log_.events.size(), 1u);
  EXPECT_EQ(log_.results[0], noErr) << "the routine sees the real result";
  EXPECT_EQ(t.pb.ioParam.ioResult, noErr);
  EXPECT_EQ(sp_testing::RunFileCompletions(), 0);
  EXPECT_EQ(FSClose(ref), noErr);
}

TEST_F(FilesAsync, ASynchronousCallOnTheFileRunsItsPendingCompletionsFirst) {
  SInt16 a = Open("a", "", fsRdWrPerm);
  SInt16 b = Open("b", "", fsRdWrPerm);
  TaggedPB ta, tb;
  PrepareWrite(ta, a, "a", "1111", 4, 0);
  PrepareWrite(tb, b, "b", "2222", 4, 0);
  ASSERT_EQ(PBWriteAsync(&ta.pb), noErr);
  ASSERT_EQ(PBWriteAsync(&tb.pb), noErr);

  SInt32 mark = 0;
  EXPECT_EQ(GetFPos(a, &mark), noErr);
  ASSERT_EQ(log_.events, std::vector<std::string>{"a"}) << "only the file's own completions";
  EXPECT_EQ(mark, 4);
  EXPECT_EQ(tb.pb.ioParam.ioResult, 1);

  EXPECT_EQ(FSClose(b), noErr);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(FSClose(a), noErr);
}

TEST_F(FilesAsync, AFailedAsynchronousWriteIsReportedAtOnceAndToItsCompletion) {
  SInt16 ref = Open("readonly", "x", fsRdPerm);
  TaggedPB t;
  PrepareWrite(t, ref, "denied", "zz", 2, 0);
  EXPECT_EQ(PBWriteAsync(&t.pb), wrPermErr);
  EXPECT_EQ(t.pb.ioParam.ioResult, 1);
  EXPECT_EQ(sp_testing::RunFileCompletions(), 1);
  ASSERT_EQ(log_.results.size(), 1u);
  EXPECT_EQ(log_.results[0], wrPermErr);
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(ReadHostFile(Path("readonly")), "x");
}

TEST_F(FilesAsync, TheCallersBytesMayBeFreedAsSoonAsTheWriteReturns) {
  SInt16 ref = Open("freed", "", fsRdWrPerm);
  Ptr bytes = NewPtr(6);
  ASSERT_NE(bytes, nullptr);
  std::memcpy(bytes, "stable", 6);
  TaggedPB t;
  PrepareWrite(t, ref, "freed", bytes, 6, 0);
  ASSERT_EQ(PBWriteAsync(&t.pb), noErr);
  std::memset(bytes, '!', 6);
  DisposePtr(bytes);  // read afterwards, the sanitizer would stop the test
  EXPECT_EQ(sp_testing::RunFileCompletions(), 1);
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(ReadHostFile(Path("freed")), "stable");
}

TEST_F(FilesAsync, AsynchronousCloseClosesAtOnceAndCompletesLater) {
  SInt16 ref = Open("close", "x", fsRdPerm);
  TaggedPB t{};
  t.tag = "close";
  t.pb.ioParam.ioCompletion = RecordCompletion;
  t.pb.ioParam.ioRefNum = ref;
  EXPECT_EQ(PBCloseAsync(&t.pb), noErr);
  EXPECT_EQ(t.pb.ioParam.ioResult, 1);
  SInt32 mark = 0;
  EXPECT_EQ(GetFPos(ref, &mark), rfNumErr);
  EXPECT_EQ(log_.events, std::vector<std::string>{"close"})
      << "the later call on the number ran the close's completion first";
  EXPECT_EQ(t.pb.ioParam.ioResult, noErr);
}

FSForkIOParam* gForkPB = nullptr;
std::vector<OSErr>* gForkResults = nullptr;
void RecordForkCompletion(ParmBlkPtr pb) {
  EXPECT_EQ(static_cast<void*>(pb), static_cast<void*>(gForkPB));
  gForkResults->push_back(OSErr(gForkPB->ioResult));
}

TEST_F(FilesAsync, ForkWritesAndClosesCompleteInOrder) {
  WriteHostFile(Path("fork"), "");
  FSRef ref = Ref("fork");
  FSIORefNum fork = 0;
  ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork), noErr);
  std::vector<OSErr> results;
  FSForkIOParam pb{};
  gForkPB = &pb;
  gForkResults = &results;
  pb.ioCompletion = RecordForkCompletion;
  pb.forkRefNum = fork;
  pb.positionMode = fsFromMark;
  pb.positionOffset = 0;
  pb.buffer = const_cast<Ptr>("abc");
  pb.requestCount = 3;
  EXPECT_EQ(PBWriteForkAsync(&pb), noErr);
  EXPECT_EQ(pb.actualCount, 3u);
  EXPECT_EQ(pb.ioResult, 1);
  EXPECT_EQ(sp_testing::RunFileCompletions(), 1);

  std::memset(&pb, 0, sizeof pb);
  pb.ioCompletion = RecordForkCompletion;
  pb.forkRefNum = fork;
  EXPECT_EQ(PBCloseForkAsync(&pb), noErr);
  EXPECT_EQ(sp_testing::RunFileCompletions(), 1);
  EXPECT_EQ(results, (std::vector<OSErr>{noErr, noErr}));
  EXPECT_EQ(ReadHostFile(Path("fork")), "abc");
  gForkPB = nullptr;
  gForkResults = nullptr;
}

// ---- Flushing --------------------------------------------------------------------------------

TEST_F(FilesForks, FlushVolSyncsTheFilesWrittenSinceTheLastFlushAlsoWhenClosed) {
  SInt16 written = Open("written", "", fsRdWrPerm);
  SInt16 untouched = Open("untouched", "u", fsRdWrPerm);
  SInt16 closed = Open("closed", "", fsRdWrPerm);
  SInt32 count = 3;
  ASSERT_EQ(FSWrite(written, &count, "abc"), noErr);
  count = 3;
  ASSERT_EQ(FSWrite(closed, &count, "xyz"), noErr);
  ASSERT_EQ(FSClose(closed), noErr);

  EXPECT_EQ(FlushVol(nullptr, docs_.vRefNum), noErr);
  EXPECT_EQ(sp_platform::files::FilesSyncedByLastFlush(), 2);
  EXPECT_TRUE(files_test::HostExists(sp_platform::files::CatalogueFilePath()))
      << "the ids handed out so far are saved";
  EXPECT_EQ(FlushVol(nullptr, kOnSystemDisk), noErr);
  EXPECT_EQ(sp_platform::files::FilesSyncedByLastFlush(), 0) << "nothing written since";

  count = 1;
  ASSERT_EQ(FSWrite(written, &count, "d"), noErr);
  ParamBlockRec pb{};
  pb.ioParam.ioRefNum = written;
  EXPECT_EQ(PBFlushFileSync(&pb), noErr);
  EXPECT_EQ(FlushVol(nullptr, docs_.vRefNum), noErr);
  EXPECT_EQ(sp_platform::files::FilesSyncedByLastFlush(), 0) << "the file flush synced it";

  EXPECT_EQ(FlushVol(nullptr, -300), nsvErr);
  EXPECT_EQ(FSClose(written), noErr);
  EXPECT_EQ(FSClose(untouched), noErr);
}

TEST_F(FilesAsync, FlushVolCompletesTheVolumesPendingRequests) {
  SInt16 ref = Open("pending", "", fsRdWrPerm);
  TaggedPB t;
  PrepareWrite(t, ref, "pending", "p", 1, 0);
  ASSERT_EQ(PBWriteAsync(&t.pb), noErr);
  EXPECT_EQ(FlushVol(nullptr, kOnSystemDisk), noErr);
  EXPECT_EQ(log_.events, std::vector<std::string>{"pending"});
  EXPECT_EQ(FSClose(ref), noErr);
}

}  // namespace
