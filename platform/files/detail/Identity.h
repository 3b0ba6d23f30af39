// What tells an item from another that later takes its inode number. Not for the program's
// own code.
//
// Linux reuses inode numbers at once: ext4 gives a deleted file's number to the next file made
// in its folder, so a document saved by writing a temporary file and renaming it over the old
// one frees a number the next save takes. The catalogue therefore pairs the number with what a
// reuse changes: the birth time (statx) and the inode's generation (FS_IOC_GETVERSION), each
// where the file system keeps it (a birth time alone is not enough: it is taken from a clock
// that ticks every few milliseconds, and a save reuses a number faster than that). Where the
// file system has neither, the catalogue writes a random stamp into the item's
// "user.itemstamp" extended attribute when it records it. Symbolic links cannot be opened or
// given attributes: they are told apart by their birth time where there is one. Where nothing
// can be had (an item that cannot be read on such a file system), the number and the kind
// alone tell items apart.
#pragma once

#include <sys/stat.h>

#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

enum : UInt8 {
  kItemFile = 1,
  kItemFolder = 2,
  kItemLink = 3,
};

// What an identity knows besides the number (bits of Identity::known).
enum : UInt8 {
  kKnowsBirth = 0x1,       // `stamp` is the birth time in nanoseconds since 1970
  kKnowsGeneration = 0x2,  // `generation` is the inode's generation
  kKnowsAttribute = 0x4,   // `stamp` is the value of the stamp attribute
  kKnowsEverything = 0x7,
};

struct Identity {
  UInt64 ino = 0;
  UInt8 type = 0;  // kItemFile, kItemFolder, kItemLink; 0 when not known
  UInt8 known = 0;
  UInt64 stamp = 0;
  UInt32 generation = 0;

  bool operator==(const Identity& o) const {
    return ino == o.ino && type == o.type && known == o.known && stamp == o.stamp &&
           generation == o.generation;
  }
  bool operator!=(const Identity& o) const { return !(*this == o); }
};

// An item's lstat with its birth time, read together by one statx where the kernel offers it.
struct Looked {
  struct stat own {};
  bool birthRead = false;  // `birth` was asked for with the lstat (0: the file system has none)
  UInt64 birth = 0;        // nanoseconds since 1970
};

// As lstat (false with errno set when nothing is there), filling `out`.
bool LookWithBirth(const std::string& path, Looked& out);

// The identity of the item at `path`, whose lstat is `own`. With `mayStamp`, an item on a
// file system that keeps neither birth time nor generation is given a stamp attribute when
// it has none yet (the catalogue does so when it records the item).
Identity IdentityOf(const std::string& path, const struct stat& own, bool mayStamp);
// The same, with the birth time taken from the look where it was read with it.
Identity IdentityOf(const std::string& path, const Looked& looked, bool mayStamp);

// Whether `seen` is the item `recorded` was taken from: the same number and kind, and the
// same value of everything both know. A record that knows nothing but the number (made by an
// older program, or on a file system that keeps nothing more) matches by number and kind.
bool SameIdentity(const Identity& recorded, const Identity& seen);

// Test hook: only these kinds of knowledge are read (kKnowsEverything again by default), so
// that each can be tried on a file system that offers more.
void SetIdentitySourcesForTests(UInt8 known);

}  // namespace files
}  // namespace sp_platform
