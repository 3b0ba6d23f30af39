// Byte sources of movies: a file by path, or a File Manager reference number.

#include "quicktime/detail/ByteSource.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <map>

#include "Files.h"
#include "Fnv1a.h"
#include "files/internal/DiscTracks.h"
#include "files/internal/FileLocations.h"

namespace sp_platform {
namespace quicktime {
namespace {

// The digests of files read, by what their status tells (the digest left 0): a file is read
// for its digest once however often it is opened while unchanged. A status can come back to a
// new file only while its change time is the present (a new file has the present change time,
// which no call sets back), so a digest is kept only for a file changed before
// kSettledSeconds ago: within the clock's step, or a small step of the clock back, a removed
// file's inode number given to a new file could show the old file's status.
constexpr SInt64 kSettledSeconds = 2;
constexpr std::size_t kKeptDigests = 16384;

std::map<FileIdentity, UInt64>& Digests() {
  static std::map<FileIdentity, UInt64> digests;
  return digests;
}

bool KeptDigest(const FileIdentity& status, UInt64* digest) {
  const auto it = Digests().find(status);
  if (it == Digests().end()) return false;
  *digest = it->second;
  return true;
}

void KeepDigest(FileIdentity identity) {
  timespec now {};
  if (::clock_gettime(CLOCK_REALTIME, &now) != 0 ||
      identity.changedSeconds > SInt64(now.tv_sec) - kSettledSeconds) {
    return;
  }
  const UInt64 digest = identity.digest;
  identity.digest = 0;
  if (Digests().size() >= kKeptDigests) Digests().clear();
  Digests()[identity] = digest;
}

class PathSource : public ByteSource {
 public:
  PathSource(int fd, UInt64 size) : fd_(fd), size_(size) {}
  ~PathSource() override { ::close(fd_); }

  long ReadAt(UInt64 offset, void* buffer, std::size_t count) override {
    if (offset >= size_) return 0;
    for (;;) {
      const ssize_t n = ::pread(fd_, buffer, count, off_t(offset));
      if (n >= 0) return long(n);
      if (errno != EINTR) return -1;
    }
  }
  void WillRead(UInt64 offset, std::size_t count) override {
    if (offset < size_) ::posix_fadvise(fd_, off_t(offset), off_t(count), POSIX_FADV_WILLNEED);
  }
  UInt64 Size() override { return size_; }
  bool Identity(FileIdentity* out) override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || UInt64(st.st_size) != size_) return false;
    out->device = UInt64(st.st_dev);
    out->inode = UInt64(st.st_ino);
    out->modifiedSeconds = SInt64(st.st_mtim.tv_sec);
    out->modifiedNanoseconds = SInt64(st.st_mtim.tv_nsec);
    out->changedSeconds = SInt64(st.st_ctim.tv_sec);
    out->changedNanoseconds = SInt64(st.st_ctim.tv_nsec);
    out->size = UInt64(st.st_size);
    out->digest = 0;
    if (KeptDigest(*out, &out->digest)) return true;
    // FNV-1a over the first and the last 4 KiB.
    UInt64 digest = sp::kFnv1a64Basis;
    UInt8 bytes[4096];
    const UInt64 size = UInt64(st.st_size);
    const UInt64 last = size > sizeof bytes ? size - sizeof bytes : 0;
    for (const UInt64 at : {UInt64(0), last}) {
      const long n = ReadAt(at, bytes, sizeof bytes);
      if (n < 0) return false;
      digest = sp::Fnv1a64(bytes, std::size_t(n), digest);
    }
    out->digest = digest;
    KeepDigest(*out);
    return true;
  }

 private:
  int fd_;
  UInt64 size_;
};

// A track of an audio CD: its stand-in file holds no data, the disc does.
class DiscTrackSource : public ByteSource {
 public:
  DiscTrackSource(dev_t device, ino_t inode, UInt64 size)
      : device_(device), inode_(inode), size_(size) {}

  long ReadAt(UInt64 offset, void* buffer, std::size_t count) override {
    return files::ReadDiscTrackAt(device_, inode_, offset, buffer, count);
  }
  UInt64 Size() override { return size_; }

 private:
  dev_t device_;
  ino_t inode_;
  UInt64 size_;
};

class ForkSource : public ByteSource {
 public:
  ForkSource(SInt16 refNum, SInt32 offset, UInt64 size)
      : refNum_(refNum), offset_(offset), size_(size) {}

  long ReadAt(UInt64 offset, void* buffer, std::size_t count) override {
    if (offset >= size_) return 0;
    if (count > size_ - offset) count = std::size_t(size_ - offset);
    if (count > 0x40000000u) count = 0x40000000u;
    if (SetFPos(refNum_, fsFromStart, SInt32(UInt64(offset_) + offset)) != noErr) return -1;
    SInt32 n = SInt32(count);
    const OSErr err = FSRead(refNum_, &n, buffer);
    if (err != noErr && err != eofErr) return -1;
    return long(n);
  }
  UInt64 Size() override { return size_; }

 private:
  SInt16 refNum_;
  SInt32 offset_;
  UInt64 size_;
};

}  // namespace

std::shared_ptr<ByteSource> OpenPathSource(const std::string& path, OSErr* err) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *err = files::OSErrFromErrno(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    *err = fnfErr;
    return nullptr;
  }
  *err = noErr;
  if (files::IsDiscTrackFile(st.st_dev, st.st_ino)) {
    ::close(fd);
    return std::make_shared<DiscTrackSource>(st.st_dev, st.st_ino, UInt64(st.st_size));
  }
  return std::make_shared<PathSource>(fd, UInt64(st.st_size));
}

std::shared_ptr<ByteSource> OpenForkSource(SInt16 refNum, SInt32 offset, OSErr* err) {
  SInt32 eof = 0;
  *err = GetEOF(refNum, &eof);
  if (*err != noErr) return nullptr;
  if (offset < 0 || offset > eof) {
    *err = eofErr;
    return nullptr;
  }
  return std::make_shared<ForkSource>(refNum, offset, UInt64(eof - offset));
}

}  // namespace quicktime
}  // namespace sp_platform
