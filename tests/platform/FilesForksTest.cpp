#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

using namespace files_test;

class FilesForks : public ::testing::Test {
 protected:
  void SetUp() override { docs_ = DocumentsFolder(home_); }

  // Makes a file in Documents with the bytes (unless it is there) and opens it.
  SInt16 Open(const std::string& name, const std::string& bytes, SInt8 permission,
              OSErr expected = noErr) {
    if (!HostExists(Path(name))) WriteHostFile(Path(name), bytes);
    SInt16 refNum = 0;
    EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr(name), permission, &refNum), expected)
        << name;
    return refNum;
  }
  std::string Path(const std::string& name) const { return docs_.path + "/" + name; }
  FSIORefNum OpenFork(const std::string& name) {
    WriteHostFile(Path(name), "");
    const FSRef ref = RefAt(home_, "Documents/" + name);
    FSIORefNum fork = 0;
    EXPECT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork), noErr);
    return fork;
  }

  sp_testing::HomeScope home_;
  Folder docs_;
};

TEST_F(FilesForks, ReadsStopAtEndOfFileWithPartialCountAndEofErr) {
  const struct {
    const char* why;
    SInt16 posMode;
    SInt32 posOffset;
    OSErr setPosResult;
    SInt32 request;
    OSErr readResult;
    const char* bytesRead;
    SInt32 markAfter;
  } cases[] = {
      {"inside", fsFromStart, 2, noErr, 3, noErr, "234", 5},
      {"up to the end", fsFromStart, 7, noErr, 3, noErr, "789", 10},
      {"across the end", fsFromStart, 8, noErr, 5, eofErr, "89", 10},
      {"from the end", fsFromLEOF, -3, noErr, 10, eofErr, "789", 10},
      {"at the end", fsFromStart, 10, noErr, 1, eofErr, "", 10},
      {"past the end clamps to the end", fsFromStart, 11, eofErr, 1, eofErr, "", 10},
      {"the start from the end", fsFromLEOF, -10, noErr, 1, noErr, "0", 1},
      {"before the start is refused", fsFromLEOF, -11, posErr, 2, noErr, "01", 2},
      {"back from the mark", fsFromMark, -1, posErr, 1, noErr, "0", 1},
      {"at the mark", fsAtMark, 99, noErr, 4, noErr, "0123", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    SInt16 ref = Open("digits", "0123456789", fsRdPerm);
    EXPECT_EQ(SetFPos(ref, c.posMode, c.posOffset), c.setPosResult);
    char buf[32] = {};
    SInt32 count = c.request;
    EXPECT_EQ(FSRead(ref, &count, buf), c.readResult);
    EXPECT_EQ(std::string(buf, std::size_t(count)), c.bytesRead);
    SInt32 mark = -1;
    GetFPos(ref, &mark);
    EXPECT_EQ(mark, c.markAfter);
    FSClose(ref);
  }
}

TEST_F(FilesForks, ParamBlockCallsUseTheirOwnPositionAndSetEOFPullsTheMarkBack) {
  SInt16 ref = Open("pb", "abcdefgh", fsRdWrPerm);
  ParamBlockRec pb{};
  char buf[8] = {};
  pb.ioParam.ioRefNum = ref;
  pb.ioParam.ioBuffer = buf;
  pb.ioParam.ioReqCount = 4;
  pb.ioParam.ioPosMode = fsFromLEOF;
  pb.ioParam.ioPosOffset = -2;
  EXPECT_EQ(PBReadSync(&pb), eofErr);
  EXPECT_EQ(std::string(buf, std::size_t(pb.ioParam.ioActCount)), "gh");
  EXPECT_EQ(pb.ioParam.ioPosOffset, 8);
  std::memcpy(buf, "XYZ", 3);
  pb.ioParam.ioReqCount = 3;
  pb.ioParam.ioPosMode = fsFromStart;
  pb.ioParam.ioPosOffset = 7;
  EXPECT_EQ(PBWriteSync(&pb), noErr);
  EXPECT_EQ(pb.ioParam.ioPosOffset, 10) << "and the file grew";
  EXPECT_EQ(SetEOF(ref, 4), noErr);
  SInt32 mark = -1, eof = -1;
  EXPECT_EQ(GetFPos(ref, &mark) + GetEOF(ref, &eof), noErr);
  EXPECT_EQ(mark * 100 + eof, 404);
  EXPECT_EQ(SetEOF(ref, 6), noErr);
  EXPECT_EQ(SetEOF(ref, -1), posErr);
  FSClose(ref);
  EXPECT_EQ(ReadHostFile(Path("pb")), std::string("abcd\0\0", 6));
}

TEST_F(FilesForks, OneWriterAtATimeAndReadersShare) {
  const struct {
    const char* why;
    SInt8 first, second;
    OSErr secondResult;
  } cases[] = {
      {"two writers", fsWrPerm, fsRdWrPerm, opWrErr},
      {"reader then writer", fsRdPerm, fsWrPerm, noErr},
      {"writer then reader", fsRdWrPerm, fsRdPerm, noErr},
      {"shared writers", fsRdWrShPerm, fsRdWrShPerm, noErr},
      {"shared after exclusive", fsWrPerm, fsRdWrShPerm, opWrErr},
      {"exclusive after shared", fsRdWrShPerm, fsWrPerm, opWrErr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    SInt16 a = Open("shared", "data", c.first);
    SInt16 b = Open("shared", "data", c.second, c.secondResult);
    EXPECT_EQ(b == 0, c.secondResult != noErr);
    EXPECT_NE(b, a);
    FSClose(b);
    FSClose(a);
  }
  EXPECT_EQ(FSClose(Open("shared", "data", fsWrPerm)), noErr) << "the writer gone, writing opens";
}

// Up to 1024 forks are open at once: one more is refused with tmfoErr until one is closed.
TEST_F(FilesForks, ForksOpenUpToTheirLimitAndOneMoreWaitsForAClose) {
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlimit saved = limit;
  limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, std::min<rlim_t>(limit.rlim_max, 2048));
  if (limit.rlim_cur < 1100 || setrlimit(RLIMIT_NOFILE, &limit) != 0) {
    GTEST_SKIP() << "too few descriptors here";
  }
  std::vector<SInt16> refs;
  for (int i = 0; i < 1024; ++i) refs.push_back(Open("many", "m", fsRdPerm));
  EXPECT_EQ(std::count(refs.begin(), refs.end(), SInt16(0)), 0);
  EXPECT_EQ(Open("many", "m", fsRdPerm, tmfoErr), 0);
  ASSERT_EQ(FSClose(refs.back()), noErr);
  refs.back() = Open("many", "m", fsRdPerm);
  EXPECT_NE(refs.back(), 0) << "the closed fork made room";
  for (SInt16 ref : refs) FSClose(ref);
  setrlimit(RLIMIT_NOFILE, &saved);
}

// A process out of descriptors says so with tmfoErr, as the layer's own limit does, and
// opens again once one is free: no other error hides the cause.
TEST_F(FilesForks, AProcessOutOfDescriptorsGetsTmfoErrAndOpensOnceOneIsFree) {
  WriteHostFile(Path("few"), "f");
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlimit saved = limit;
  const int lowestFree = dup(0);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  struct Case {
    rlim_t descriptors;  // allowed, past the lowest free one
    OSErr expected;
  };
  // Nothing but the call runs while the limit is low: the checks of a sanitized build may
  // need descriptors of their own.
  const SInt16 vRefNum = docs_.vRefNum;
  const SInt32 dirID = docs_.dirID;
  const PStr name("few");
  for (const Case& c : {Case{0, tmfoErr}, Case{1, noErr}}) {
    SCOPED_TRACE(c.descriptors);
    limit.rlim_cur = rlim_t(lowestFree) + c.descriptors;
    SInt16 ref = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    const OSErr err = HOpenDF(vRefNum, dirID, name, fsRdPerm, &ref);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(err, c.expected);
    EXPECT_EQ(ref != 0, c.expected == noErr);
    if (ref != 0) FSClose(ref);
  }
}

TEST_F(FilesForks, RefusedCallsChangeNothing) {
  SInt16 ref = Open("ro", "keep", fsRdPerm);
  SInt32 count = 3;
  EXPECT_EQ(FSWrite(ref, &count, "bad"), wrPermErr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(SetEOF(ref, 0), wrPermErr);
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(ReadHostFile(Path("ro")), "keep");
  // A closed number is refused, and not handed out again at once.
  EXPECT_EQ(FSRead(ref, &count, nullptr), rfNumErr);
  EXPECT_EQ(FSClose(ref), rfNumErr);
  EXPECT_NE(Open("ro", "", fsRdPerm), ref);
  // Missing files, folders and resource forks are not opened.
  ref = 77;
  EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr("absent"), fsRdPerm, &ref), fnfErr);
  EXPECT_EQ(ref, 0);
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0700), 0);
  EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr("sub"), fsRdPerm, &ref), fnfErr);
  const FSRef folder = RefAt(home_, "Documents/sub"), file = RefAt(home_, "Documents/ro");
  FSIORefNum fork = 5;
  EXPECT_EQ(FSOpenFork(&folder, 0, nullptr, fsRdPerm, &fork), notAFileErr);
  const UniChar rsrc[] = {'R', 'E', 'S', 'O', 'U', 'R', 'C', 'E', '_', 'F', 'O', 'R', 'K'};
  fork = 5;
  EXPECT_EQ(FSOpenFork(&file, 13, rsrc, fsRdPerm, &fork), errFSForkNotFound);
  EXPECT_EQ(fork, 0);
}

TEST_F(FilesForks, OpeningForWritingWithoutPermissionGivesPermErrAndLosesNothing) {
  WriteHostFile(Path("locked"), "precious");
  ASSERT_EQ(chmod(Path("locked").c_str(), 0444), 0);
  chmod(home_.Home().c_str(), 0755);  // the child (as "nobody") must reach the folder
  chmod(docs_.path.c_str(), 0755);
  RunUnprivileged([this]() {
    SInt16 ref = 0;
    EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr("locked"), fsWrPerm, &ref), permErr);
    EXPECT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr("locked"), fsRdWrShPerm, &ref), permErr);
    // Asking for whatever is allowed gives a reading path.
    ASSERT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr("locked"), fsCurPerm, &ref), noErr);
    SInt32 count = 1;
    EXPECT_EQ(FSWrite(ref, &count, "x"), wrPermErr);
  });
  EXPECT_EQ(ReadHostFile(Path("locked")), "precious");
}

TEST_F(FilesForks, ForkPositionsAndSizesBeyond4GiBStayExact) {
  FSIORefNum fork = OpenFork("big");
  const SInt64 fiveGiB = SInt64(5) << 30, at = (SInt64(9) << 30) / 2;  // at 4.5 GiB
  ASSERT_EQ(FSSetForkSize(fork, fsFromStart, fiveGiB), noErr);
  ByteCount actual = 0;
  EXPECT_EQ(FSWriteFork(fork, fsFromStart, at, 5, "hello", &actual), noErr);
  SInt64 size = 0, mark = 0;
  EXPECT_EQ(FSGetForkSize(fork, &size), noErr);
  EXPECT_EQ(FSGetForkPosition(fork, &mark), noErr);
  EXPECT_EQ(std::make_pair(size, mark), std::make_pair(fiveGiB, at + 5));
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
  FSCloseFork(fork);
  struct stat st;
  ASSERT_EQ(stat(Path("big").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, fiveGiB);
  EXPECT_LT(st.st_blocks, 1024) << "the file stays sparse";
}

TEST_F(FilesForks, AllOrNothingAllocationRefusesMoreThanTheDiskHoldsAndAllocatesNothing) {
  FSIORefNum fork = OpenFork("alloc");
  UInt64 actual = 99;
  const UInt16 all = kFSAllocAllOrNothingMask;
  EXPECT_EQ(FSAllocateFork(fork, all, fsFromStart, 0, UInt64(1) << 60, &actual), dskFulErr);
  EXPECT_EQ(actual, 0u);
  struct stat st;
  ASSERT_EQ(stat(Path("alloc").c_str(), &st), 0);
  EXPECT_EQ(st.st_blocks, 0);
  EXPECT_EQ(FSAllocateFork(fork, all, fsFromStart, 0, 1 << 20, &actual), noErr);
  EXPECT_EQ(actual, UInt64(1) << 20);
  SInt64 size = -1;
  EXPECT_EQ(FSGetForkSize(fork, &size), noErr);
  EXPECT_EQ(size, 0) << "allocating reserves space without changing the length";
  EXPECT_EQ(FSAllocateFork(fork, 0x0100, fsFromStart, 0, 10, &actual), errFSBadAllocFlags);
}

// ---- Asynchronous calls ---------------------------------------------------------------------

std::vector<std::string>* gEvents = nullptr;

// The parameter block is the first member, so the routine finds its tag beside it.
struct TaggedPB {
  ParamBlockRec pb;
  const char* tag;
};

void RecordCompletion(ParmBlkPtr pb) {
  gEvents->push_back(std::string(reinterpret_cast<TaggedPB*>(pb)->tag) + ":" +
                     std::to_string(pb->ioParam.ioResult));
}

class FilesAsync : public FilesForks {
 protected:
  void SetUp() override {
    FilesForks::SetUp();
    gEvents = &events_;
  }
  void TearDown() override { gEvents = nullptr; }
  // Starts an asynchronous write of the bytes at the start of the file.
  OSErr Write(TaggedPB& t, SInt16 ref, const char* tag, const void* bytes, SInt32 count) {
    std::memset(&t, 0, sizeof t);
    t.tag = tag;
    t.pb.ioParam.ioCompletion = RecordCompletion;
    t.pb.ioParam.ioRefNum = ref;
    t.pb.ioParam.ioBuffer = static_cast<Ptr>(const_cast<void*>(bytes));
    t.pb.ioParam.ioReqCount = count;
    t.pb.ioParam.ioPosMode = fsFromStart;
    return PBWriteAsync(&t.pb);
  }

  std::vector<std::string> events_;
};

TEST_F(FilesAsync, CompletionRunsLaterWithTheRealResultStoredFirst) {
  SInt16 ref = Open("async", "", fsRdWrPerm);
  SInt16 readOnly = Open("readonly", "x", fsRdPerm);
  Ptr bytes = NewPtr(4);
  std::memcpy(bytes, "abcd", 4);
  TaggedPB t, denied;
  EXPECT_EQ(Write(t, ref, "write", bytes, 4), noErr);
  DisposePtr(bytes);  // the caller may free its bytes at once: read later, ASan would stop us
  EXPECT_EQ(Write(denied, readOnly, "denied", "zz", 2), wrPermErr) << "failures report at once";
  for (TaggedPB* p : {&t, &denied}) EXPECT_EQ(p->pb.ioParam.ioResult, 1) << "in progress";
  EXPECT_EQ(t.pb.ioParam.ioActCount, 4);
  EXPECT_EQ(sp_testing::PendingFileCompletions(), 2);
  EXPECT_EQ(ReadHostFile(Path("async")), "abcd") << "the write itself is done at once";
  EXPECT_EQ(sp_testing::RunFileCompletions(), 2);
  EXPECT_EQ(events_, (std::vector<std::string>{"write:0", "denied:-61"}));
  EXPECT_EQ(t.pb.ioParam.ioResult, noErr);
  EXPECT_EQ(sp_testing::RunFileCompletions(), 0);
}

TEST_F(FilesAsync, ASynchronousCallOnTheFileRunsItsPendingCompletionsFirst) {
  SInt16 a = Open("a", "", fsRdWrPerm);
  SInt16 b = Open("b", "", fsRdWrPerm);
  TaggedPB ta, tb;
  ASSERT_EQ(Write(ta, a, "a", "1111", 4), noErr);
  ASSERT_EQ(Write(tb, b, "b", "2222", 4), noErr);
  SInt32 mark = 0;
  EXPECT_EQ(GetFPos(a, &mark), noErr);
  EXPECT_EQ(mark, 4);
  EXPECT_EQ(events_, std::vector<std::string>{"a:0"}) << "only the file's own completions";
  EXPECT_EQ(FSClose(b), noErr);
  EXPECT_EQ(events_, (std::vector<std::string>{"a:0", "b:0"}));
}

TEST_F(FilesAsync, AsynchronousCloseClosesAtOnceAndCompletesLater) {
  SInt16 ref = Open("close", "x", fsRdPerm);
  TaggedPB t{};
  t.tag = "close";
  t.pb.ioParam.ioCompletion = RecordCompletion;
  t.pb.ioParam.ioRefNum = ref;
  EXPECT_EQ(PBCloseAsync(&t.pb), noErr);
  EXPECT_EQ(t.pb.ioParam.ioResult, 1) << "in progress";
  EXPECT_EQ(sp_testing::PendingFileCompletions(), 1);
  SInt32 mark = 0;
  EXPECT_EQ(GetFPos(ref, &mark), rfNumErr) << "the number is closed at once";
  EXPECT_EQ(events_, std::vector<std::string>{"close:0"})
      << "the later call on the number ran the close's completion first";
  EXPECT_EQ(t.pb.ioParam.ioResult, noErr);
}

FSForkIOParam* gForkPB = nullptr;
void RecordForkCompletion(ParmBlkPtr pb) {
  EXPECT_EQ(static_cast<void*>(pb), static_cast<void*>(gForkPB));
  gEvents->push_back("fork:" + std::to_string(gForkPB->ioResult));
}

TEST_F(FilesAsync, ForkWritesAndClosesCompleteInOrder) {
  FSIORefNum fork = OpenFork("fork");
  FSForkIOParam pb{};
  gForkPB = &pb;
  pb.ioCompletion = RecordForkCompletion;
  pb.forkRefNum = fork;
  pb.positionMode = fsFromMark;
  pb.buffer = const_cast<Ptr>("abc");
  pb.requestCount = 3;
  EXPECT_EQ(PBWriteForkAsync(&pb), noErr);
  EXPECT_EQ(pb.actualCount * 10 + UInt32(pb.ioResult), 31u) << "written, and in progress";
  EXPECT_EQ(sp_testing::RunFileCompletions(), 1);
  EXPECT_EQ(PBCloseForkAsync(&pb), noErr);
  EXPECT_EQ(sp_testing::RunFileCompletions(), 1);
  EXPECT_EQ(events_, (std::vector<std::string>{"fork:0", "fork:0"}));
  EXPECT_EQ(ReadHostFile(Path("fork")), "abc");
  gForkPB = nullptr;
}

TEST_F(FilesAsync, FlushVolSyncsTheFilesWrittenSinceTheLastFlushAndCompletesPendingRequests) {
  SInt16 written = Open("written", "", fsRdWrPerm);
  SInt16 closed = Open("closed", "", fsRdWrPerm);
  Open("untouched", "u", fsRdWrPerm);
  TaggedPB t;
  ASSERT_EQ(Write(t, written, "pending", "abc", 3), noErr);
  SInt32 count = 3;
  ASSERT_EQ(FSWrite(closed, &count, "xyz"), noErr);
  ASSERT_EQ(FSClose(closed), noErr);
  EXPECT_EQ(FlushVol(nullptr, docs_.vRefNum), noErr);
  EXPECT_EQ(sp_platform::files::FilesSyncedByLastFlush(), 2) << "also the file closed since";
  EXPECT_EQ(events_, std::vector<std::string>{"pending:0"});
  EXPECT_TRUE(HostExists(sp_platform::files::CatalogueFilePath()))
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
}

// A stream of large writes, as a save's, waits for what it wrote more than 4 MiB before its
// newest byte, so that the flush at its end waits for no more; small writes and a stream
// that starts again further back are followed as they come. Both write calls do it.
TEST_F(FilesAsync, AStreamOfLargeWritesKeepsTheDiskAtMostFourMegabytesBehind) {
  // As on a system that cannot tell what the disk is still writing: every lag is waited for.
  sp_platform::files::SetWritebackReportForTests(sp_platform::files::WritebackReport::kUnknown);
  constexpr SInt64 kMiB = 1 << 20;
  const std::string bytes(std::size_t(8 * kMiB), 'x');
  const struct {
    SInt64 at, count, behindTo;
  } writes[] = {
      {0, kMiB, 0},
      {kMiB, 3 * kMiB, 0},  // 4 MiB written: nothing more than 4 behind
      {4 * kMiB, kMiB, kMiB},
      {5 * kMiB, 1000, kMiB},  // a small write changes nothing
      {6 * kMiB, 3 * kMiB, 5 * kMiB},
      {0, kMiB, 0},  // the stream begins again
      {kMiB, 8 * kMiB, 5 * kMiB},
  };
  for (bool async : {false, true}) {
    SCOPED_TRACE(async ? "PBWriteForkAsync" : "FSWriteFork");
    const SInt16 ref = Open(async ? "stream-async" : "stream", "", fsRdWrPerm);
    for (const auto& w : writes) {
      FSForkIOParam pb{};
      pb.forkRefNum = ref;
      pb.buffer = const_cast<char*>(bytes.data());
      pb.requestCount = ByteCount(w.count);
      pb.positionMode = fsFromStart;
      pb.positionOffset = w.at;
      ASSERT_EQ(async ? PBWriteForkAsync(&pb)
                      : FSWriteFork(ref, fsFromStart, w.at, pb.requestCount, pb.buffer, nullptr),
                noErr);
      sp_testing::RunFileCompletions();
      EXPECT_EQ(sp_platform::files::ForkWrittenBehindTo(ref), w.behindTo) << w.at;
    }
    EXPECT_EQ(FSCloseFork(ref), noErr);
  }
  EXPECT_EQ(sp_platform::files::ForkWrittenBehindTo(-1), -1);
}

// A save's stream of large writes that do not end on page boundaries (a 44-byte header before
// them) has the disk start only the whole pages written: the page a write ends in waits for the
// write that fills it. Written in many passes by both write calls and its header written again
// last, the file holds every byte of its source.
TEST_F(FilesAsync, AStreamStartsWholePagesOnlyAndTheFileEqualsItsSource) {
  const SInt64 page = sysconf(_SC_PAGESIZE);
  constexpr SInt64 kHeader = 44, kWrite = 300007;
  std::string source(std::size_t(kHeader + 20 * kWrite), '\0');
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = char(i * 7 + i / 4099);
  const SInt16 ref = Open("paged", "", fsRdWrPerm);
  const std::string standIn(std::size_t(kHeader), '-');
  ASSERT_EQ(FSWriteFork(ref, fsFromStart, 0, kHeader, standIn.data(), nullptr), noErr);
  for (SInt64 at = kHeader, n = 0; at < SInt64(source.size()); at += kWrite, ++n) {
    FSForkIOParam pb{};
    pb.forkRefNum = ref;
    pb.buffer = &source[std::size_t(at)];
    pb.requestCount = ByteCount(kWrite);
    pb.positionMode = fsFromStart;
    pb.positionOffset = at;
    ASSERT_EQ(n % 2 == 0 ? PBWriteForkAsync(&pb)
                         : FSWriteFork(ref, fsFromStart, at, pb.requestCount, pb.buffer, nullptr),
              noErr);
    sp_testing::RunFileCompletions();
    const SInt64 started = sp_platform::files::ForkWriteBackStartedTo(ref);
    EXPECT_EQ(started % page, 0) << at;
    EXPECT_LE(started, at + kWrite) << at;
    EXPECT_GT(started, at + kWrite - page) << at;
  }
  ASSERT_EQ(FSWriteFork(ref, fsFromStart, 0, kHeader, source.data(), nullptr), noErr);
  ParamBlockRec flush{};
  flush.ioParam.ioRefNum = ref;
  ASSERT_EQ(PBFlushFileSync(&flush), noErr);
  EXPECT_EQ(FSCloseFork(ref), noErr);
  EXPECT_TRUE(ReadHostFile(Path("paged")) == source) << "every byte, once, where it belongs";
  EXPECT_EQ(sp_platform::files::ForkWriteBackStartedTo(ref), -1);
}

// Where the system tells what the disk is still writing, a stream waits for a disk still busy
// with its bytes only for what lies more than 16 MiB behind; a writer that asks is told, and
// the volume's writes are in progress until its flush. Where the system cannot tell,
// nothing is reported and every lag is waited for, as above.
TEST_F(FilesAsync, ADiskStillBusyIsReportedAndWaitedForOnlyFarBehind) {
  using sp_platform::files::ForkWrittenBehindTo;
  constexpr SInt64 kMiB = 1 << 20;
  const std::string bytes(std::size_t(4 * kMiB), 'x');
  const SInt16 ref = Open("behind", "", fsRdWrPerm);
  auto write = [&](SInt64 mib) {
    return FSWriteFork(ref, fsFromStart, mib * kMiB, bytes.size(), bytes.data(), nullptr);
  };
  sp_testing::SetDiskFarBehind(true);
  EXPECT_FALSE(SpVolumeWritesInProgress(docs_.vRefNum)) << "nothing written";
  ASSERT_EQ(write(0), noErr);
  EXPECT_FALSE(SpForkWritesBehind(ref)) << "at most 4 MiB behind";
  EXPECT_TRUE(SpVolumeWritesInProgress(docs_.vRefNum));
  for (SInt64 at : {4, 8, 12}) {
    ASSERT_EQ(write(at), noErr);
    EXPECT_EQ(ForkWrittenBehindTo(ref), 0) << at;
    EXPECT_TRUE(SpForkWritesBehind(ref)) << at;
  }
  ASSERT_EQ(write(16), noErr);
  EXPECT_EQ(ForkWrittenBehindTo(ref), 4 * kMiB) << "waited for what lies past 16 MiB behind";
  EXPECT_TRUE(SpForkWritesBehind(ref));
  ParamBlockRec pb{};
  pb.ioParam.ioRefNum = ref;
  ASSERT_EQ(PBFlushFileSync(&pb), noErr);
  EXPECT_FALSE(SpVolumeWritesInProgress(docs_.vRefNum)) << "flushed";
  EXPECT_FALSE(SpVolumeWritesInProgress(-300));
  EXPECT_FALSE(SpForkWritesBehind(-1));

  sp_platform::files::SetWritebackReportForTests(sp_platform::files::WritebackReport::kUnknown);
  ASSERT_EQ(write(0), noErr);
  ASSERT_EQ(write(4), noErr);
  EXPECT_EQ(ForkWrittenBehindTo(ref), 4 * kMiB) << "waited for at once";
  ASSERT_EQ(write(8), noErr);
  EXPECT_FALSE(SpForkWritesBehind(ref));
  EXPECT_FALSE(SpVolumeWritesInProgress(docs_.vRefNum));
  EXPECT_EQ(FSCloseFork(ref), noErr);
}

// A file written and closed is synced by the next flush wherever the layer moved it since:
// renames of its folder or of itself take it along, and a folder whose name only begins like
// its folder's is no folder of its.
TEST_F(FilesAsync, AClosedFileIsSyncedByTheFlushAfterRenamesOnItsWay) {
  const struct {
    const char* renamed;  // a partial path from Documents' case folder
    const char* to;
    const char* why;
  } cases[] = {
      {"Al", "Moved", "its folder"},
      {"Al:x", "y", "the file itself"},
      {"A", "B", "a folder whose name begins its folder's"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string top = "case" + std::to_string(n++);
    for (const char* folder : {"", "/A", "/Al"}) {
      ASSERT_EQ(mkdir(Path(top + folder).c_str(), 0700), 0);
    }
    WriteHostFile(Path(top + "/Al/x"), "");
    SInt16 ref = 0;
    ASSERT_EQ(HOpenDF(docs_.vRefNum, docs_.dirID, PStr(":" + top + ":Al:x"), fsRdWrPerm, &ref),
              noErr);
    SInt32 count = 3;
    ASSERT_EQ(FSWrite(ref, &count, "abc"), noErr);
    ASSERT_EQ(FSClose(ref), noErr);
    ASSERT_EQ(HRename(docs_.vRefNum, docs_.dirID, PStr(":" + top + ":" + c.renamed), PStr(c.to)),
              noErr);
    EXPECT_EQ(FlushVol(nullptr, docs_.vRefNum), noErr);
    EXPECT_EQ(sp_platform::files::FilesSyncedByLastFlush(), 1);
  }
}

}  // namespace
