// Where a movie's bytes come from: a file the movie keeps open by path, or a file the File
// Manager has open. Not for the program's own code.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_platform {
namespace quicktime {

// What tells a file from any other, and from itself once changed: what is learnt of a file
// by reading it all is kept with this. The clock that stamps files moves in steps of a few
// milliseconds, and a removed file's inode number is given to the next new file: a digest of
// the file's first and last bytes tells apart files made in the same step. The change time
// tells a file rewritten in place and stamped back with its old times (touch -r).
struct FileIdentity {
  UInt64 device = 0;
  UInt64 inode = 0;
  SInt64 modifiedSeconds = 0;
  SInt64 modifiedNanoseconds = 0;
  SInt64 changedSeconds = 0;
  SInt64 changedNanoseconds = 0;
  UInt64 size = 0;
  UInt64 digest = 0;
  bool operator<(const FileIdentity& o) const {
    if (device != o.device) return device < o.device;
    if (inode != o.inode) return inode < o.inode;
    if (modifiedSeconds != o.modifiedSeconds) return modifiedSeconds < o.modifiedSeconds;
    if (modifiedNanoseconds != o.modifiedNanoseconds)
      return modifiedNanoseconds < o.modifiedNanoseconds;
    if (changedSeconds != o.changedSeconds) return changedSeconds < o.changedSeconds;
    if (changedNanoseconds != o.changedNanoseconds)
      return changedNanoseconds < o.changedNanoseconds;
    if (size != o.size) return size < o.size;
    return digest < o.digest;
  }
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The identity of the file now; false for sources that are no file of their own, and for a
  // file whose size is no longer the one the source reads to (what is learnt of the source
  // then holds for neither).
  virtual bool Identity(FileIdentity* out) {
    (void)out;
    return false;
  }
  // Reads up to `count` bytes at `offset`: the number read (0 at the end), -1 on an error.
  virtual long ReadAt(UInt64 offset, void* buffer, std::size_t count) = 0;
  // Says that the bytes there are read soon: a file starts coming from the disk at once, so
  // that reads of several places wait for the disk together rather than one after another.
  virtual void WillRead(UInt64 offset, std::size_t count) {
    (void)offset;
    (void)count;
  }
  virtual UInt64 Size() = 0;
};

// Bytes held in memory (the parsers' fuzz targets and tests read through it).
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<UInt8> bytes) : bytes_(std::move(bytes)) {}
  long ReadAt(UInt64 offset, void* buffer, std::size_t count) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(count, bytes_.size() - std::size_t(offset));
    std::memcpy(buffer, bytes_.data() + offset, n);
    return long(n);
  }
  UInt64 Size() override { return bytes_.size(); }

 private:
  std::vector<UInt8> bytes_;
};

// The file at an absolute path, opened for reading; null with the File Manager's error in
// `err` when it cannot be opened.
std::shared_ptr<ByteSource> OpenPathSource(const std::string& path, OSErr* err);
// The bytes of a File Manager reference number from `offset` on (the file must stay open).
// Null with rfNumErr for an unknown reference number, eofErr for an offset past the end.
std::shared_ptr<ByteSource> OpenForkSource(SInt16 refNum, SInt32 offset, OSErr* err);

}  // namespace quicktime
}  // namespace sp_platform
