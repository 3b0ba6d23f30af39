// Forks: files opened by name, FSSpec or FSRef, read and written at their mark with pread and
// pwrite, the asynchronous calls (done at once, completed through the completion queue) and
// the volume and file flushes.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "Files.h"
#include "detail/Catalog.h"
#include "detail/Completions.h"
#include "detail/Discs.h"
#include "detail/FilesInternal.h"
#include "detail/Forks.h"

namespace sp_platform {
namespace files {
namespace {

constexpr std::size_t kMaxOpenForks = 1024;

struct Fork {
  int fd = -1;
  SInt16 vRefNum = 0;
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  bool canWrite = false;
  bool sharedWrite = false;  // fsRdWrShPerm: other shared writers may join
  bool dirty = false;        // written since its last flush
  SInt64 mark = 0;
  SInt64 onDiskTo = 0;   // a stream of writes: the bytes before this are on the disk
  SInt64 streamTo = 0;   // the end of the stream's newest write
  SInt64 startedTo = 0;  // the end of the pages the stream last started the disk writing
};

// A file written and closed since the last flush of its volume.
struct ClosedDirty {
  SInt16 vRefNum;
  std::string path;
  dev_t device;
  ino_t inode;
};

struct State {
  std::map<SInt16, Fork> forks;
  std::vector<ClosedDirty> closedDirty;
  SInt16 lastRefNum = 0;
  int syncedByLastFlush = 0;
  WritebackReport writebackReport = WritebackReport::kSystem;
};

State& S() {
  static State state;
  return state;
}

Fork* FindFork(SInt16 refNum) {
  auto it = S().forks.find(refNum);
  return it == S().forks.end() ? nullptr : &it->second;
}

SInt16 VolumeOfFork(SInt16 refNum) {
  Fork* fork = FindFork(refNum);
  return fork == nullptr ? SInt16(0) : fork->vRefNum;
}

// Reference numbers go up and wrap, so a number just closed is not handed out again at once
// and a stale one is caught as rfNumErr.
SInt16 NextRefNum() {
  State& s = S();
  for (int tries = 0; tries < 32767; ++tries) {
    s.lastRefNum = s.lastRefNum >= 32767 ? SInt16(1) : SInt16(s.lastRefNum + 1);
    if (s.forks.count(s.lastRefNum) == 0) return s.lastRefNum;
  }
  return 0;
}

OSErr ForkSize(const Fork& fork, SInt64* size) {
  struct stat st;
  if (fstat(fork.fd, &st) != 0) return OSErrFromErrno(errno);
  *size = SInt64(st.st_size);
  return noErr;
}

// The position a call names: from the start, from the end of file, from the mark, or the mark
// itself. posErr for a place before the start.
OSErr ResolvePosition(const Fork& fork, UInt16 mode, SInt64 offset, SInt64* position) {
  SInt64 base = 0;
  switch (mode & 0x03) {
    case fsAtMark:
      *position = fork.mark;
      return noErr;
    case fsFromStart:
      base = 0;
      break;
    case fsFromLEOF: {
      OSErr err = ForkSize(fork, &base);
      if (err != noErr) return err;
      break;
    }
    case fsFromMark:
      base = fork.mark;
      break;
  }
  if ((offset > 0 && base > std::numeric_limits<SInt64>::max() - offset) || base + offset < 0)
    return posErr;
  *position = base + offset;
  return noErr;
}

OSErr ReadAt(Fork& fork, UInt16 mode, SInt64 offset, UInt64 count, void* buffer, UInt64* actual) {
  *actual = 0;
  SInt64 position = 0;
  OSErr err = ResolvePosition(fork, mode, offset, &position);
  if (err != noErr) return err;
  if (count > 0 && buffer == nullptr) return paramErr;
  auto* p = static_cast<char*>(buffer);
  UInt64 done = 0;
  // A track of an audio CD keeps its bytes on the disc, not in its stand-in file.
  const bool fromDisc =
      ReadDiscTrack(fork.device, fork.inode, UInt64(position), p, count, &done, &err);
  while (!fromDisc && done < count) {
    ssize_t n = pread(fork.fd, p + done, std::size_t(count - done), off_t(position + SInt64(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      err = OSErrFromErrno(errno);
      break;
    }
    if (n == 0) break;
    done += UInt64(n);
  }
  fork.mark = position + SInt64(done);
  *actual = done;
  if (err != noErr) return err;
  return done < count ? eofErr : noErr;
}

OSErr WriteAt(Fork& fork, UInt16 mode, SInt64 offset, UInt64 count, const void* buffer,
              UInt64* actual) {
  *actual = 0;
  if (!fork.canWrite) return wrPermErr;
  SInt64 position = 0;
  OSErr err = ResolvePosition(fork, mode, offset, &position);
  if (err != noErr) return err;
  if (count > 0 && buffer == nullptr) return paramErr;
  auto* p = static_cast<const char*>(buffer);
  UInt64 done = 0;
  while (done < count) {
    ssize_t n =
        pwrite(fork.fd, p + done, std::size_t(count - done), off_t(position + SInt64(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno == EFBIG ? OSErr(dskFulErr) : OSErrFromErrno(errno, Access::kWrite);
      break;
    }
    done += UInt64(n);
  }
  if (done > 0) fork.dirty = true;
  fork.mark = position + SInt64(done);
  *actual = done;
  return err;
}

// Sets the mark: eofErr (and the mark at the end of file) for a place past the end.
OSErr SetMark(Fork& fork, UInt16 mode, SInt64 offset) {
  SInt64 position = 0;
  OSErr err = ResolvePosition(fork, mode, offset, &position);
  if (err != noErr) return err;
  SInt64 size = 0;
  err = ForkSize(fork, &size);
  if (err != noErr) return err;
  if (position > size) {
    fork.mark = size;
    return eofErr;
  }
  fork.mark = position;
  return noErr;
}

OSErr SetSize(Fork& fork, SInt64 size) {
  if (!fork.canWrite) return wrPermErr;
  if (size < 0) return posErr;
  while (ftruncate(fork.fd, off_t(size)) != 0) {
    if (errno == EINTR) continue;
    return errno == EFBIG ? OSErr(dskFulErr) : OSErrFromErrno(errno, Access::kWrite);
  }
  fork.dirty = true;
  if (fork.mark > size) fork.mark = size;
  return noErr;
}

OSErr CloseFork(SInt16 refNum) {
  auto it = S().forks.find(refNum);
  if (it == S().forks.end()) return rfNumErr;
  Fork fork = std::move(it->second);
  S().forks.erase(it);
  if (fork.dirty)
    S().closedDirty.push_back(ClosedDirty{fork.vRefNum, fork.path, fork.device, fork.inode});
  if (close(fork.fd) != 0 && errno != EINTR) return OSErrFromErrno(errno);
  return noErr;
}

OSErr SyncFd(int fd) {
  if (fdatasync(fd) == 0) return noErr;
  // Some file systems (and pipes) cannot sync; nothing is lost by going on.
  if (errno == EINVAL || errno == EROFS) return noErr;
  return OSErrFromErrno(errno);
}

// Opens the data fork of an existing item. Write access is exclusive unless shared
// (fsRdWrShPerm) as on HFS: a second writer gets opWrErr, readers may always share.
OSErr OpenLocation(const Location& loc, SInt8 permission, bool forkCall, SInt16* refNum) {
  if (!loc.exists) return fnfErr;
  if (loc.isFolder || !S_ISREG(loc.st.st_mode))
    return forkCall ? OSErr(notAFileErr) : OSErr(fnfErr);
  const Volume* volume = FindVolume(loc.vRefNum);
  if (volume == nullptr) return nsvErr;
  bool volumeReadOnly = (volume->flags & kVolumeReadOnly) != 0;

  bool otherWriter = false;
  bool otherExclusiveWriter = false;
  for (const auto& entry : S().forks) {
    const Fork& f = entry.second;
    if (f.device == loc.st.st_dev && f.inode == loc.st.st_ino && f.canWrite) {
      otherWriter = true;
      if (!f.sharedWrite) otherExclusiveWriter = true;
    }
  }

  bool wantWrite = false;
  bool shared = false;
  switch (permission) {
    case fsCurPerm:
      // Whatever is allowed: writing when nobody else writes and the file may be written.
      wantWrite = !otherWriter && !volumeReadOnly;
      break;
    case fsRdPerm:
      break;
    case fsWrPerm:
    case fsRdWrPerm:
      wantWrite = true;
      if (otherWriter) return opWrErr;
      break;
    case fsRdWrShPerm:
      wantWrite = true;
      shared = true;
      if (otherExclusiveWriter) return opWrErr;
      break;
    default:
      return paramErr;
  }
  if (wantWrite && volumeReadOnly) return wPrErr;
  if (S().forks.size() >= kMaxOpenForks) return tmfoErr;

  int fd = open(loc.path.c_str(), (wantWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 && permission == fsCurPerm && wantWrite && (errno == EACCES || errno == EROFS)) {
    wantWrite = false;
    fd = open(loc.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  }
  if (fd < 0) {
    int e = errno;
    return e == EROFS ? OSErr(wPrErr) : OSErrFromErrno(e, Access::kRead);
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return forkCall ? OSErr(notAFileErr) : OSErr(fnfErr);
  }
  // The descriptor only served to open without waiting on a special file.
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

  SInt16 number = NextRefNum();
  if (number == 0) {
    close(fd);
    return tmfoErr;
  }
  Fork fork;
  fork.fd = fd;
  fork.vRefNum = volume->vRefNum;
  fork.path = loc.path;
  fork.device = st.st_dev;
  fork.inode = st.st_ino;
  fork.canWrite = wantWrite;
  fork.sharedWrite = shared;
  S().forks.emplace(number, std::move(fork));
  *refNum = number;
  return noErr;
}

// Synchronous calls on a file first finish its queued asynchronous requests, so a caller
// sees them complete in the order it made them.
Fork* SyncFork(SInt16 refNum) {
  RunFileCompletionsForFile(refNum);
  return FindFork(refNum);
}

OSErr Clamp32(SInt64 value, SInt32* out) {
  if (value > std::numeric_limits<SInt32>::max()) {
    *out = std::numeric_limits<SInt32>::max();
    return fsDataTooBigErr;
  }
  *out = SInt32(value);
  return noErr;
}

void QueueCompletion(SInt16 refNum, SInt16 vRefNum, volatile OSErr* ioResult, OSErr result,
                     IOCompletionUPP routine, ParmBlkPtr pb) {
  std::function<void()> call;
  if (routine != nullptr) call = [routine, pb]() { routine(pb); };
  QueueFileCompletion(refNum, vRefNum, ioResult, result, std::move(call));
}

// ReadAt and WriteAt, as the calls below pass them.
template <typename Buffer>
using Transfer = OSErr (*)(Fork&, UInt16, SInt64, UInt64, Buffer, UInt64*);

// FSRead and FSWrite: *count bytes at the mark; *count becomes what was moved.
template <typename Buffer>
OSErr TransferAtMark(SInt16 refNum, SInt32* count, Buffer buffer, Transfer<Buffer> transfer) {
  if (count == nullptr) return paramErr;
  Fork* fork = SyncFork(refNum);
  if (fork == nullptr) {
    *count = 0;
    return rfNumErr;
  }
  if (*count < 0) {
    *count = 0;
    return paramErr;
  }
  UInt64 actual = 0;
  OSErr err = transfer(*fork, fsAtMark, 0, UInt64(*count), buffer, &actual);
  *count = SInt32(actual);
  return err;
}

// FSReadFork and FSWriteFork.
template <typename Buffer>
OSErr TransferFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                   ByteCount requestCount, Buffer buffer, ByteCount* actualCount,
                   Transfer<Buffer> transfer) {
  if (actualCount != nullptr) *actualCount = 0;
  Fork* fork = SyncFork(forkRefNum);
  if (fork == nullptr) return rfNumErr;
  UInt64 actual = 0;
  OSErr err = transfer(*fork, positionMode, positionOffset, requestCount, buffer, &actual);
  if (actualCount != nullptr) *actualCount = ByteCount(actual);
  return err;
}

// The asynchronous closes of both parameter blocks.
OSErr CloseAndQueue(SInt16 refNum, volatile OSErr* ioResult, IOCompletionUPP routine,
                    ParmBlkPtr pb) {
  const SInt16 vRefNum = VolumeOfFork(refNum);
  const OSErr err = CloseFork(refNum);
  QueueCompletion(refNum, vRefNum, ioResult, err, routine, pb);
  return err;
}

}  // namespace

bool IsFileOpen(dev_t device, ino_t inode) {
  for (const auto& entry : S().forks)
    if (entry.second.device == device && entry.second.inode == inode) return true;
  return false;
}

bool IsVolumeInUse(SInt16 vRefNum) {
  for (const auto& entry : S().forks)
    if (entry.second.vRefNum == vRefNum) return true;
  return false;
}

void NoteFilePathMoved(const std::string& from, const std::string& to) {
  auto moved = [&](std::string& path) {
    if (path == from) {
      path = to;
    } else if (path.size() > from.size() && path.compare(0, from.size(), from) == 0 &&
               path[from.size()] == '/') {
      path = to + path.substr(from.size());
    }
  };
  for (ClosedDirty& d : S().closedDirty) moved(d.path);
  for (auto& entry : S().forks) moved(entry.second.path);
}

int FilesSyncedByLastFlush() {
  return S().syncedByLastFlush;
}

SInt64 ForkWrittenBehindTo(SInt16 refNum) {
  const Fork* fork = FindFork(refNum);
  return fork != nullptr ? fork->onDiskTo : -1;
}

SInt64 ForkWriteBackStartedTo(SInt16 refNum) {
  const Fork* fork = FindFork(refNum);
  return fork != nullptr ? fork->startedTo : -1;
}

void SetWritebackReportForTests(WritebackReport report) {
  S().writebackReport = report;
}

void CloseAllForks() {
  for (auto& entry : S().forks) close(entry.second.fd);
  S().forks.clear();
  S().writebackReport = WritebackReport::kSystem;
  S().closedDirty.clear();
  S().syncedByLastFlush = 0;
}

}  // namespace files
}  // namespace sp_platform

using namespace sp_platform::files;

// ---- Opening ------------------------------------------------------------------------------

OSErr HOpenDF(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission,
              SInt16* refNum) {
  if (refNum == nullptr || fileName == nullptr || fileName[0] == 0) return paramErr;
  *refNum = 0;
  Location loc;
  OSErr err = LocateClassic(vRefNum, dirID, fileName, loc);
  if (err != noErr) return err;
  return OpenLocation(loc, permission, false, refNum);
}

OSErr FSpOpenDF(const FSSpec* spec, SInt8 permission, SInt16* refNum) {
  if (OSErr err = CheckFSSpec(spec)) return err;
  return HOpenDF(spec->vRefNum, spec->parID, spec->name, permission, refNum);
}

OSErr PBHOpenDFSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  SInt16 refNum = 0;
  OSErr err = pb->ioParam.ioNamePtr == nullptr
                  ? OSErr(paramErr)
                  : HOpenDF(pb->ioParam.ioVRefNum, pb->fileParam.ioDirID, pb->ioParam.ioNamePtr,
                            pb->ioParam.ioPermssn, &refNum);
  pb->ioParam.ioRefNum = refNum;
  pb->ioParam.ioResult = err;
  return err;
}

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                 SInt8 permissions, FSIORefNum* forkRefNum) {
  if (ref == nullptr || forkRefNum == nullptr) return paramErr;
  *forkRefNum = 0;
  if (forkNameLength > 0 && forkName == nullptr) return paramErr;
  // Linux files have the data fork only.
  if (forkNameLength > 0) return errFSForkNotFound;
  Location loc;
  OSErr err = LocateRef(ref, loc);
  if (err != noErr) return err;
  return OpenLocation(loc, permissions, true, forkRefNum);
}

// ---- Classic reads, writes and positions ----------------------------------------------------

OSErr FSRead(SInt16 refNum, SInt32* count, void* buffPtr) {
  return TransferAtMark(refNum, count, buffPtr, ReadAt);
}

OSErr FSWrite(SInt16 refNum, SInt32* count, const void* buffPtr) {
  return TransferAtMark(refNum, count, buffPtr, WriteAt);
}

OSErr PBReadSync(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  IOParam& io = pb->ioParam;
  io.ioActCount = 0;
  Fork* fork = SyncFork(io.ioRefNum);
  OSErr err = rfNumErr;
  if (fork != nullptr) {
    UInt64 actual = 0;
    err = io.ioReqCount < 0 ? OSErr(paramErr)
                            : ReadAt(*fork, UInt16(io.ioPosMode), io.ioPosOffset,
                                     UInt64(io.ioReqCount), io.ioBuffer, &actual);
    io.ioActCount = SInt32(actual);
    Clamp32(fork->mark, &io.ioPosOffset);
  }
  io.ioResult = err;
  return err;
}

namespace {

OSErr WriteParamBlock(ParmBlkPtr pb) {
  IOParam& io = pb->ioParam;
  io.ioActCount = 0;
  Fork* fork = FindFork(io.ioRefNum);
  if (fork == nullptr) return rfNumErr;
  if (io.ioReqCount < 0) return paramErr;
  UInt64 actual = 0;
  OSErr err = WriteAt(*fork, UInt16(io.ioPosMode), io.ioPosOffset, UInt64(io.ioReqCount),
                      io.ioBuffer, &actual);
  io.ioActCount = SInt32(actual);
  Clamp32(fork->mark, &io.ioPosOffset);
  return err;
}

}  // namespace

OSErr PBWriteSync(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  RunFileCompletionsForFile(pb->ioParam.ioRefNum);
  OSErr err = WriteParamBlock(pb);
  pb->ioParam.ioResult = err;
  return err;
}

// The bytes are written before the call returns, so the caller's buffer is never read
// afterwards: it may be reused or freed at once. Only the parameter block itself must stay
// valid until the completion has run. The result of the write is given back at once as
// well as in ioResult when the completion runs, so a caller that checks the call's result
// never mistakes a full disk for success.
OSErr PBWriteAsync(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  OSErr err = WriteParamBlock(pb);
  QueueCompletion(pb->ioParam.ioRefNum, VolumeOfFork(pb->ioParam.ioRefNum), &pb->ioParam.ioResult,
                  err, pb->ioParam.ioCompletion, pb);
  return err;
}

OSErr PBCloseSync(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  RunFileCompletionsForFile(pb->ioParam.ioRefNum);
  OSErr err = CloseFork(pb->ioParam.ioRefNum);
  pb->ioParam.ioResult = err;
  return err;
}

// Closed at once; the completion follows as for every asynchronous call.
OSErr PBCloseAsync(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  return CloseAndQueue(pb->ioParam.ioRefNum, &pb->ioParam.ioResult, pb->ioParam.ioCompletion, pb);
}

OSErr FSClose(SInt16 refNum) {
  RunFileCompletionsForFile(refNum);
  return CloseFork(refNum);
}

OSErr SetFPos(SInt16 refNum, SInt16 posMode, SInt32 posOff) {
  Fork* fork = SyncFork(refNum);
  if (fork == nullptr) return rfNumErr;
  return SetMark(*fork, UInt16(posMode), posOff);
}

// Files past 2 GiB cannot show their mark or size in the 32-bit classic calls: the value
// is cut to the largest one and fsDataTooBigErr says so (the fork calls have 64 bits).
OSErr GetFPos(SInt16 refNum, SInt32* filePos) {
  if (filePos == nullptr) return paramErr;
  *filePos = 0;
  Fork* fork = SyncFork(refNum);
  if (fork == nullptr) return rfNumErr;
  return Clamp32(fork->mark, filePos);
}

OSErr GetEOF(SInt16 refNum, SInt32* logEOF) {
  if (logEOF == nullptr) return paramErr;
  *logEOF = 0;
  Fork* fork = SyncFork(refNum);
  if (fork == nullptr) return rfNumErr;
  SInt64 size = 0;
  OSErr err = ForkSize(*fork, &size);
  if (err != noErr) return err;
  return Clamp32(size, logEOF);
}

OSErr SetEOF(SInt16 refNum, SInt32 logEOF) {
  Fork* fork = SyncFork(refNum);
  if (fork == nullptr) return rfNumErr;
  if (logEOF < 0) return posErr;
  return SetSize(*fork, logEOF);
}

OSErr PBFlushFileSync(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  Fork* fork = SyncFork(pb->ioParam.ioRefNum);
  OSErr err = rfNumErr;
  if (fork != nullptr) {
    err = SyncFd(fork->fd);
    if (err == noErr) fork->dirty = false;
  }
  pb->ioParam.ioResult = err;
  return err;
}

// ---- Fork calls (64-bit) --------------------------------------------------------------------

OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount) {
  return TransferFork(forkRefNum, positionMode, positionOffset, requestCount, buffer, actualCount,
                      ReadAt);
}

namespace {

// Fork writes of at least this many bytes are the streams of saves.
constexpr UInt64 kWriteBehindBytes = 256 * 1024;
// How far behind the newest byte of such a stream the disk may lag.
constexpr UInt64 kWriteBehindLagBytes = 4u << 20;
// How far behind it may fall before a write waits, where the system tells what the disk is
// still writing and the writer may leave its writes for later passes (SpForkWritesBehind).
constexpr UInt64 kWriteBehindBoundBytes = 16u << 20;

// The system starts and waits for the writing of whole pages: a range given it is widened to
// them.
SInt64 PageBytes() {
  static const long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? SInt64(page) : 4096;
}

SInt64 PageStart(SInt64 offset) {
  return offset - offset % PageBytes();
}

// cachestat(2) (Linux 6.5): the counts of a file's pages in memory, dirty and being written.
// The call's number is the same on every architecture.
constexpr long kCachestatCall = 451;
struct CachestatRange {
  UInt64 offset, length;  // length 0: to the file's end
};
struct Cachestat {
  UInt64 cached, dirty, writeback, evicted, recentlyEvicted;
};

// 1 while the disk is still writing bytes of the file in [offset, offset + length) (length 0:
// to the end), 0 when it is not, -1 when the system cannot tell.
int WritingBack(int fd, UInt64 offset, UInt64 length) {
  if (S().writebackReport == WritebackReport::kUnknown) return -1;
  if (S().writebackReport == WritebackReport::kBehind) return 1;
  static bool unknown = false;
  if (unknown) return -1;
  CachestatRange range{offset, length};
  Cachestat counts{};
  if (syscall(kCachestatCall, fd, &range, &counts, 0u) != 0) {
    // An older kernel, or a filter that refuses the call: the same for every later call.
    if (errno == ENOSYS || errno == EPERM) unknown = true;
    return -1;
  }
  // Dirty pages the disk was not asked to write (a file system without write-back, as tmpfs)
  // are none of the disk's work.
  return counts.writeback > 0 ? 1 : 0;
}

// The part of the stream's bytes more than kWriteBehindLagBytes behind its newest byte that
// the disk may still be writing: taken as done when the system says it is (onDiskTo moves
// on), else 1 (still writing) or -1 (the system cannot tell). 0 when there is none.
int StreamBehind(Fork& fork) {
  const SInt64 upTo = PageStart(fork.streamTo - SInt64(kWriteBehindLagBytes));
  if (upTo <= fork.onDiskTo) return 0;
  const int writing = WritingBack(fork.fd, UInt64(fork.onDiskTo), UInt64(upTo - fork.onDiskTo));
  if (writing == 0) fork.onDiskTo = upTo;
  return writing;
}

// Starts the disk writing the bytes just written, without waiting for them, and has the stream
// keep the disk at most kWriteBehindLagBytes behind its newest byte: the flush that makes the
// file durable then finds all but the last few megabytes on disk, instead of writing what the
// disk fell behind with (the whole file, on a slow disk) while the program waits. Where the
// system tells what the disk is still writing, the bytes it has done need no wait, and a disk
// still busy is waited for only for what lies past kWriteBehindBoundBytes (a writer that asks
// leaves its writes for later passes before that); elsewhere the waits come a little at a time
// with the writes. Durability is still the flush's alone; a file system that cannot do this is simply
// left to write the bytes back later.
// Only whole pages written are started: the page a write ends in, started half written, would
// go to the disk twice, and the next write, which fills it, would wait for it on a disk that
// keeps pages unchanged while it writes them. That page is started with the next write, which
// begins in it; the flush writes the file's last one.
void StartWriteBehind(Fork& fork, SInt64 from, UInt64 bytes) {
  if (bytes < kWriteBehindBytes) return;
  const SInt64 first = PageStart(from);
  fork.streamTo = from + SInt64(bytes);
  fork.startedTo = PageStart(fork.streamTo);
  sync_file_range(fork.fd, off_t(first), off_t(fork.startedTo - first), SYNC_FILE_RANGE_WRITE);
  // A stream that starts again further back is followed from there.
  if (first < fork.onDiskTo) fork.onDiskTo = first;
  const int behind = StreamBehind(fork);
  if (behind == 0) return;
  if (behind > 0 && UInt64(fork.streamTo - fork.onDiskTo) <= kWriteBehindBoundBytes) return;
  // A disk still busy is waited for only down to the bound: about what the write added.
  const SInt64 upTo = PageStart(fork.streamTo -
                                SInt64(behind > 0 ? kWriteBehindBoundBytes : kWriteBehindLagBytes));
  sync_file_range(fork.fd, off_t(fork.onDiskTo), off_t(upTo - fork.onDiskTo),
                  SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
  fork.onDiskTo = upTo;
}

}  // namespace

OSErr FSWriteFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  ByteCount requestCount, const void* buffer, ByteCount* actualCount) {
  ByteCount actual = 0;
  const OSErr err = TransferFork(forkRefNum, positionMode, positionOffset, requestCount, buffer,
                                 &actual, WriteAt);
  if (actualCount != nullptr) *actualCount = actual;
  if (Fork* fork = FindFork(forkRefNum))
    StartWriteBehind(*fork, fork->mark - SInt64(actual), actual);
  return err;
}

// As PBWriteAsync: the caller's bytes are written before the call returns.
OSErr PBWriteForkAsync(FSForkIOParam* pb) {
  if (pb == nullptr) return paramErr;
  pb->actualCount = 0;
  Fork* fork = FindFork(pb->forkRefNum);
  OSErr err = rfNumErr;
  if (fork != nullptr) {
    UInt64 actual = 0;
    err =
        WriteAt(*fork, pb->positionMode, pb->positionOffset, pb->requestCount, pb->buffer, &actual);
    pb->actualCount = UInt32(actual);
    StartWriteBehind(*fork, fork->mark - SInt64(actual), actual);
  }
  QueueCompletion(pb->forkRefNum, VolumeOfFork(pb->forkRefNum), &pb->ioResult, err,
                  pb->ioCompletion, reinterpret_cast<ParmBlkPtr>(pb));
  return err;
}

OSErr PBCloseForkAsync(FSForkIOParam* pb) {
  if (pb == nullptr) return paramErr;
  return CloseAndQueue(pb->forkRefNum, &pb->ioResult, pb->ioCompletion,
                       reinterpret_cast<ParmBlkPtr>(pb));
}

OSErr FSCloseFork(FSIORefNum forkRefNum) {
  RunFileCompletionsForFile(forkRefNum);
  return CloseFork(forkRefNum);
}

OSErr FSGetForkPosition(FSIORefNum forkRefNum, SInt64* position) {
  if (position == nullptr) return paramErr;
  Fork* fork = SyncFork(forkRefNum);
  if (fork == nullptr) return rfNumErr;
  *position = fork->mark;
  return noErr;
}

OSErr FSSetForkPosition(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset) {
  Fork* fork = SyncFork(forkRefNum);
  if (fork == nullptr) return rfNumErr;
  return SetMark(*fork, positionMode, positionOffset);
}

OSErr FSGetForkSize(FSIORefNum forkRefNum, SInt64* forkSize) {
  if (forkSize == nullptr) return paramErr;
  Fork* fork = SyncFork(forkRefNum);
  if (fork == nullptr) return rfNumErr;
  return ForkSize(*fork, forkSize);
}

OSErr FSSetForkSize(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset) {
  Fork* fork = SyncFork(forkRefNum);
  if (fork == nullptr) return rfNumErr;
  SInt64 size = 0;
  OSErr err = ResolvePosition(*fork, positionMode, positionOffset, &size);
  if (err != noErr) return err;
  return SetSize(*fork, size);
}

namespace {

UInt64 FreeBytesOf(int fd) {
  struct statvfs sv;
  if (fstatvfs(fd, &sv) != 0) return 0;
  return UInt64(sv.f_bavail) * UInt64(sv.f_frsize);
}

}  // namespace

// Reserves disk space for the fork without changing its length, through fallocate. With
// kFSAllocAllOrNothingMask it is all or nothing: a request larger than the volume's free space
// is refused before anything is allocated, and a fallocate that runs out of space half-way
// gives back what it took past the end of file. Where the file system cannot reserve space
// the free space alone decides; no zeros are written to find out.
OSErr FSAllocateFork(FSIORefNum forkRefNum, FSAllocationFlags flags, UInt16 positionMode,
                     SInt64 positionOffset, UInt64 requestCount, UInt64* actualCount) {
  if (actualCount != nullptr) *actualCount = 0;
  if ((flags & kFSAllocReservedMask) != 0) return errFSBadAllocFlags;
  Fork* fork = SyncFork(forkRefNum);
  if (fork == nullptr) return rfNumErr;
  if (!fork->canWrite) return wrPermErr;
  SInt64 start = 0;
  OSErr err = ResolvePosition(*fork, positionMode, positionOffset, &start);
  if (err != noErr) return err;
  if (requestCount == 0) return noErr;
  if (requestCount > UInt64(std::numeric_limits<SInt64>::max() - start)) return dskFulErr;

  struct stat st;
  if (fstat(fork->fd, &st) != 0) return OSErrFromErrno(errno);
  UInt64 allocated = UInt64(st.st_blocks) * 512u;
  UInt64 needed = requestCount > allocated ? requestCount - allocated : 0;
  UInt64 freeBytes = FreeBytesOf(fork->fd);
  bool allOrNothing = (flags & kFSAllocAllOrNothingMask) != 0;
  UInt64 count = requestCount;
  if (needed > freeBytes) {
    if (allOrNothing) return dskFulErr;
    count = requestCount - (needed - freeBytes);
    if (count == 0) return dskFulErr;
  }

  int rc;
  do {
    rc = fallocate(fork->fd, FALLOC_FL_KEEP_SIZE, off_t(start), off_t(count));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int e = errno;
    if (e == EOPNOTSUPP || e == ENOSYS) {
      // Nothing can be reserved here; the free space said it fits.
    } else {
      if (e == ENOSPC || e == EDQUOT || e == EFBIG) {
        // Give back what was taken past the end of file; what lies inside it were holes of
        // the file's data, which keep their (zero) contents.
        SInt64 eof = SInt64(st.st_size);
        SInt64 from = start > eof ? start : eof;
        SInt64 end = start + SInt64(count);
        if (end > from)
          fallocate(fork->fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(from),
                    off_t(end - from));
        return dskFulErr;
      }
      return OSErrFromErrno(e, Access::kWrite);
    }
  }
  fork->dirty = true;
  if (actualCount != nullptr) *actualCount = count;
  return count < requestCount ? OSErr(dskFulErr) : OSErr(noErr);
}

// ---- Flushing ---------------------------------------------------------------------------------

namespace {

OSErr FlushVolume(const Volume& volume) {
  RunFileCompletionsForVolume(volume.vRefNum);
  OSErr result = noErr;
  int synced = 0;
  for (auto& entry : S().forks) {
    Fork& fork = entry.second;
    if (fork.vRefNum != volume.vRefNum || !fork.dirty) continue;
    OSErr err = SyncFd(fork.fd);
    if (err == noErr) fork.dirty = false;
    if (result == noErr) result = err;
    ++synced;
  }
  // Files closed since the last flush: opened again by path, and only the same file (an
  // item that has gone or been replaced is not ours to sync).
  auto& closed = S().closedDirty;
  for (auto it = closed.begin(); it != closed.end();) {
    if (it->vRefNum != volume.vRefNum) {
      ++it;
      continue;
    }
    int fd = open(it->path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
      struct stat st;
      if (fstat(fd, &st) == 0 && st.st_dev == it->device && st.st_ino == it->inode) {
        OSErr err = SyncFd(fd);
        if (result == noErr) result = err;
        ++synced;
      }
      close(fd);
    }
    it = closed.erase(it);
  }
  S().syncedByLastFlush = synced;
  // Ids handed out that could not be saved would be lost at the next start: an error too.
  const OSErr saved = SaveCatalogue();
  return result != noErr ? result : saved;
}

const Volume* VolumeOfCall(ConstStr63Param volName, SInt16 vRefNum) {
  if (volName != nullptr && volName[0] > 0) {
    // "Volume:" or a full path: the classic name before the first colon.
    std::string bytes = PascalBytes(volName);
    bytes.resize(std::min(bytes.size(), bytes.find(':')));
    return VolumeOfClassicName(bytes);
  }
  return FindVolume(vRefNum);
}

}  // namespace

OSErr FlushVol(ConstStr63Param volName, SInt16 vRefNum) {
  const Volume* volume = VolumeOfCall(volName, vRefNum);
  if (volume == nullptr) return nsvErr;
  return FlushVolume(*volume);
}

OSErr PBFlushVolSync(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  OSErr err = FlushVol(pb->ioParam.ioNamePtr, pb->ioParam.ioVRefNum);
  pb->ioParam.ioResult = err;
  return err;
}

Boolean SpVolumeWritesInProgress(SInt16 vRefNum) {
  const Volume* volume = FindVolume(vRefNum);
  if (volume == nullptr) return false;
  bool writing = false;
  for (auto& entry : S().forks) {
    Fork& fork = entry.second;
    if (fork.vRefNum != volume->vRefNum || !fork.dirty) continue;
    sync_file_range(fork.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (WritingBack(fork.fd, 0, 0) > 0) writing = true;
  }
  return writing;
}

Boolean SpForkWritesBehind(FSIORefNum forkRefNum) {
  Fork* fork = FindFork(forkRefNum);
  return fork != nullptr && StreamBehind(*fork) > 0;
}
