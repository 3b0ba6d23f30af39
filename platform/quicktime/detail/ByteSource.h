// Where a movie's bytes come from: a file the movie keeps open by path, or a file the File
// Manager has open. Not for the program's own code.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace quicktime {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `count` bytes at `offset`: the number read (0 at the end), -1 on an error.
  virtual long ReadAt(UInt64 offset, void* buffer, std::size_t count) = 0;
  virtual UInt64 Size() = 0;
};

// The file at an absolute path, opened for reading; null with the File Manager's error in
// `err` when it cannot be opened.
std::shared_ptr<ByteSource> OpenPathSource(const std::string& path, OSErr* err);
// The bytes of a File Manager reference number from `offset` on (the file must stay open).
// Null with rfNumErr for an unknown reference number, eofErr for an offset past the end.
std::shared_ptr<ByteSource> OpenForkSource(SInt16 refNum, SInt32 offset, OSErr* err);

}  // namespace quicktime
}  // namespace sp_platform
