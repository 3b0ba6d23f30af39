// The catalogue's records in memory, shared by its look-ups (Catalog.cpp) and its file
// (CatalogFile.cpp). Not for the program's own code.
#pragma once

#include <sys/stat.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Catalog.h"
#include "Identity.h"

namespace sp_platform {
namespace files {

constexpr UInt32 kFirstSynthetic = 0x80000000u;
constexpr UInt32 kLargestInodeId = 0x7FFFFFFFu;

struct Entry {
  UInt32 id = 0;
  UInt32 parentID = 0;
  std::string path;
  Identity ident;
  UInt64 dev = 0;  // 0 until seen in this run: device numbers need not survive a reboot
};

// The ids of one volume, keyed in the state by the volume's root folder.
struct Section {
  std::unordered_map<UInt32, Entry> byId;
  std::unordered_map<std::string, UInt32> byPath;
  // Every record by the inode number of its item (a record's id need not be that number).
  std::unordered_multimap<UInt64, UInt32> byIno;
  // Every record by its parent's id, so that a folder's records are found without a walk.
  std::unordered_multimap<UInt32, UInt32> children;
  // Above every synthetic id given on this volume.
  UInt32 nextSynthetic = kFirstSynthetic;
  // Digests of the records as this run last read or wrote them in the file: a record that
  // differs from its digest (or has none) was changed by this run.
  std::unordered_map<UInt32, UInt64> saved;
  // The records whose items are being looked for, innermost last.
  std::vector<UInt32> searching;
};

struct Listing {
  UInt64 ino = 0;
  timespec mtime{};
  timespec ctime{};
  off_t size = 0;
  nlink_t links = 0;
  std::shared_ptr<const std::vector<std::string>> names;
};

// Where this run stands in the catalogue's files: the snapshot it last read or wrote (known
// when there was one) and how far into the journal that goes with it it has taken records.
struct CatalogueMark {
  bool known = false;
  UInt64 ino = 0;
  UInt64 size = 0;
  SInt64 seconds = 0;
  SInt64 nanoseconds = 0;
  UInt64 journalEnd = 0;
};

struct State {
  bool loaded = false;
  bool dirty = false;
  bool exitHookSet = false;
  UInt32 largestInodeId = kLargestInodeId;
  // Synthetic ids reserved for this run in the counter all instances share: [next, end).
  UInt64 reservedNext = 0;
  UInt64 reservedEnd = 0;
  // The lock on the catalogue while held (CatalogFile.cpp), and why it could not be had.
  int lockFd = -1;
  int lockDepth = 0;
  int lockError = 0;
  bool lockHeld = false;  // flock took: no other instance is saving
  CatalogueMark mark;
  std::map<std::string, Section> sections;
  std::unordered_map<std::string, Listing> listings;
};

// The state, not read yet / read from the catalogue file on first use.
State& Raw();
State& Loaded();

// ---- Records (Catalog.cpp) -------------------------------------------------------------------

// Puts a record in, replacing the one of its id; a path already taken keeps leading to its
// item.
void PutEntry(Section& section, const Entry& e);
void RemoveEntry(Section& section, UInt32 id);
// The path of the record's item, found again if it moved or was replaced (see Catalog.cpp);
// false when it is gone. `st` is what the item shows (a symbolic link followed); `isLink`,
// when given, whether the item itself is a symbolic link.
bool ResolveId(const Volume& volume, Section& section, UInt32 id, int depth, std::string& path,
               struct stat& st, bool* isLink = nullptr);
// Whether something that may be the record's item is at its path (its inode number is there).
bool MayBeAtItsPath(const Entry& e);
const Volume* MountedVolumeAt(const std::string& mountPoint);

// ---- The file (CatalogFile.cpp) -------------------------------------------------------------

// Reads the catalogue file into the state (an unreadable one is reported and left as it is).
void LoadCatalogue(State& state);
// A synthetic id free on the volume that no other instance of the program hands out; 0 when
// none is left.
UInt32 NewSyntheticId(Section& section);

}  // namespace files
}  // namespace sp_platform
