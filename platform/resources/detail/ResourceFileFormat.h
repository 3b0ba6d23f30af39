// The classic resource file: its bytes to and from a list of resources. Shared by the
// Resource Manager and the resource compiler. Not for the program's own code.
//
// Layout (big-endian): a 16-byte header (data offset, map offset, data length, map length),
// 240 bytes kept for the system and the application, the data area (each resource: a 32-bit
// length and its bytes), then the map: 16 bytes for a copy of the header, 4 for the next
// map's handle, 2 for a file reference number, 2 of file attributes, the offsets (from the
// map's start) of the type list and of the name list, then the type list (count - 1, and for
// each type its code, its resource count - 1 and the offset of its reference list from the
// type list's start), the reference lists (12 bytes a resource: id, offset of its name from
// the name list's start or -1, attributes, a 24-bit offset of its data from the data area's
// start, 4 bytes for a handle) and the name list (length-prefixed names).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "../../base/MacTypes.h"

namespace sp_platform {
namespace resfile {

enum : std::size_t {
  kHeaderSize = 16,
  kReservedSize = 240,  // the system's 112 bytes and the application's 128
  kDataStart = 256,     // where this writer puts the data area
  kMapHeaderSize = 28,  // header copy, next map, reference number, attributes, offsets
  kReferenceSize = 12,
  kTypeEntrySize = 8,
  kMaxDataAreaSize = 0xFFFFFF,  // data offsets are 24 bits
  kMaxFileSize = 64 * 1024 * 1024,
};

// Resource attributes.
enum : UInt8 {
  kResSysHeap = 64,
  kResPurgeable = 32,
  kResLocked = 16,
  kResProtected = 8,
  kResPreload = 4,
  kResChanged = 2,
};

// File (map) attributes.
enum : UInt16 {
  kMapReadOnly = 128,
  kMapCompact = 64,
  kMapChanged = 32,
};

// A resource's bytes: a range of the file's bytes as read (shared, not copied) or bytes of
// its own once it was changed or made in memory.
class ResourceBytes {
 public:
  ResourceBytes() = default;
  ResourceBytes(std::shared_ptr<const std::vector<UInt8>> file, std::size_t offset,
                std::size_t length)
      : file_(std::move(file)), offset_(offset), length_(length) {}
  explicit ResourceBytes(std::vector<UInt8> own) : own_(std::move(own)) {}

  const UInt8* Data() const { return file_ ? file_->data() + offset_ : own_.data(); }
  std::size_t Size() const { return file_ ? length_ : own_.size(); }
  void Assign(const void* bytes, std::size_t size) {
    file_.reset();
    const UInt8* b = static_cast<const UInt8*>(bytes);
    own_.assign(b, b + size);
  }

 private:
  std::shared_ptr<const std::vector<UInt8>> file_;
  std::size_t offset_ = 0;
  std::size_t length_ = 0;
  std::vector<UInt8> own_;
};

struct Entry {
  ResType type = 0;
  SInt16 id = 0;
  UInt8 attributes = 0;
  bool hasName = false;
  std::string name;  // at most 255 bytes
  ResourceBytes bytes;
};

struct FileImage {
  std::array<UInt8, kReservedSize> reserved{};
  UInt16 attributes = 0;       // the map's file attributes
  std::vector<Entry> entries;  // by type (in the order of the type list), then by reference
};

// Reads a resource file. eofErr for no bytes at all; mapReadErr for anything that does not
// hold together: every offset, count and length is checked against the bytes, so a corrupt
// or hostile file is refused rather than read past. The entries share `bytes`.
OSErr Parse(std::shared_ptr<const std::vector<UInt8>> bytes, FileImage& out);

// Writes a resource file: types in the order of their first entry, each type's resources in
// entry order, data in the same order, names in the same order. Deterministic, so a file
// this writer made is read and written back byte for byte. The changed attribute is not
// written. False when the data area passes 16 MB or the name list passes 32 KB.
bool Serialize(const FileImage& image, std::vector<UInt8>& out);

}  // namespace resfile
}  // namespace sp_platform
