// The catalogue: persistent ids for files and folders, the look-ups by id, path and name, and
// the errno mapping of the file layer. Its file is CatalogFile.cpp's.
//
// Linux finds a file by path only; the program keeps ids (in memory and in its settings)
// and expects them to find the file after it was renamed or moved, and after a restart.
// So every item the layer meets gets an id (its inode number when that fits and no record
// holds that id, which keeps ids stable even for items the catalogue has not seen yet),
// recorded with its path and its identity: the inode number and what tells the item from a
// later one that takes the number (detail/Identity.h). An id names one item and never another.
// Each use checks the item at the recorded path; when it is not there (renamed or moved by
// another program) it is looked for by identity in its folder (found again through the
// folder's own id, so a renamed folder is followed), then one level down in that folder's
// subfolders. When it is found nowhere near and an item of its kind has taken its path,
// another program saved the document by renaming a new file over it: the id follows the
// document, as the toolbox's safe save kept it. Anything moved further away by another
// program is lost, as its id says fnfErr. Renames and moves made through the layer never
// lose an item.
//
// Items are identified without following symbolic links (lstat): a link is an item of its
// own with its own id, as an alias file is, so that deleting, renaming or moving it acts on
// the link and never on what it leads to. Its data, kind and listing are its target's; the
// items seen through a link to a folder are recorded at their real paths, so a link to its
// own folder never makes a longer path. One path holds one record: an item that takes the
// path of another has the old record searched for (and kept for the item that replaced it,
// or dropped) at once.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ByteOrder.h"
#include "FailureReports.h"
#include "base/internal/Process.h"
#include "detail/Catalog.h"
#include "detail/CatalogRecords.h"
#include "detail/FilesInternal.h"
#include "detail/Identity.h"

namespace sp_platform {
namespace files {
namespace {

constexpr UInt32 kRefMagic = 0x53705266u;  // 'SpRf'
constexpr int kMaxSearchDepth = 32;
constexpr std::size_t kMaxCachedListings = 64;

void SaveAtExit() {
  if (const OSErr err = CompactCatalogue()) {
    sp_platform::RecordFailure("Catalog.cpp", "SaveAtExit", err,
                               "The file catalogue could not be saved");
  }
}

Section& SectionOf(const Volume& volume) {
  return Loaded().sections[volume.mountPoint];
}

bool IsItem(const struct stat& st) {
  return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

// Looks at `path` without following a symbolic link there: `own` identifies the item, `shown`
// is what it shows (a link followed; a dangling link shows itself). False, with errno set,
// for anything that is no file, no folder and no link to one.
bool LookAt(const std::string& path, Looked& looked, struct stat& shown) {
  if (!LookWithBirth(path, looked)) return false;
  const struct stat& own = looked.own;
  shown = own;
  if (S_ISLNK(own.st_mode)) {
    if (stat(path.c_str(), &shown) == 0) {
      if (IsItem(shown)) return true;
    } else if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) {
      shown = own;  // it leads nowhere: still a link that can be deleted, renamed or moved
      return true;
    } else {
      return false;
    }
  } else if (IsItem(own)) {
    return true;
  }
  errno = ENOENT;  // a device, pipe or socket is nothing the program can use
  return false;
}

// An item seen at a path: its lstat and its identity.
struct Seen {
  std::string path;
  struct stat own {};
  Identity ident;
};

// Whether the record's item is the one seen.
bool Matches(const Entry& e, const Seen& seen) {
  return (e.dev == 0 || e.dev == UInt64(seen.own.st_dev)) && SameIdentity(e.ident, seen.ident);
}

// Looks at the item at `path` (false when nothing usable is there); `mayStamp` as IdentityOf.
bool See(const std::string& path, bool mayStamp, Seen& out, struct stat* shown = nullptr) {
  struct stat followed {};
  Looked looked;
  if (!LookAt(path, looked, followed)) return false;
  out.own = looked.own;
  out.path = path;
  out.ident = IdentityOf(path, looked, mayStamp);
  if (shown != nullptr) *shown = followed;
  return true;
}

void UnindexPath(Section& section, const Entry& e) {
  auto it = section.byPath.find(e.path);
  if (it != section.byPath.end() && it->second == e.id) section.byPath.erase(it);
}

void UnindexIno(Section& section, const Entry& e) {
  auto range = section.byIno.equal_range(e.ident.ino);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second == e.id) {
      section.byIno.erase(it);
      return;
    }
  }
}

void SetPath(Section& section, Entry& e, const std::string& path) {
  UnindexPath(section, e);
  e.path = path;
  section.byPath[path] = e.id;
  Raw().dirty = true;
}

void SetIdentity(Section& section, Entry& e, const Identity& ident) {
  if (e.ident == ident) return;
  if (e.ident.ino != ident.ino) {
    UnindexIno(section, e);
    section.byIno.emplace(ident.ino, e.id);
  }
  e.ident = ident;
  Raw().dirty = true;
}

// The record of the item seen learns what it did not know of it yet (a record of an older
// catalogue knows its number alone); what it knows stays, should the item be harder to see
// now (a file that can no longer be opened shows no generation).
void Learn(Section& section, Entry& e, const Seen& seen) {
  e.dev = UInt64(seen.own.st_dev);
  Identity ident = e.ident;
  if (ident.type == 0) ident.type = seen.ident.type;
  constexpr UInt8 kStamps = kKnowsBirth | kKnowsAttribute;
  if ((ident.known & kStamps) == 0 && (seen.ident.known & kStamps) != 0) {
    ident.stamp = seen.ident.stamp;
    ident.known |= seen.ident.known & kStamps;
  }
  if ((seen.ident.known & kKnowsGeneration) != 0) {
    ident.generation = seen.ident.generation;
    ident.known |= kKnowsGeneration;
  }
  SetIdentity(section, e, ident);
}

// The record of the item seen, other than `except`, wherever its path; 0 when none.
UInt32 RecordOfItem(const Section& section, const Seen& seen, UInt32 except) {
  auto range = section.byIno.equal_range(seen.ident.ino);
  for (auto it = range.first; it != range.second; ++it) {
    auto e = section.byId.find(it->second);
    if (it->second != except && e != section.byId.end() && Matches(e->second, seen)) {
      return it->second;
    }
  }
  return 0;
}

bool Searching(const Section& section, UInt32 id) {
  return std::find(section.searching.begin(), section.searching.end(), id) !=
         section.searching.end();
}

UInt32 Register(const Volume& volume, Section& section, const Seen& seen, UInt32 knownParentID,
                int depth);

UInt32 ParentIdOf(const Volume& volume, Section& section, const std::string& path, int depth) {
  const std::string parent = ParentPath(path);
  if (parent == volume.mountPoint) return fsRtDirID;
  Seen seen;
  if (!See(parent, true, seen) || !S_ISDIR(seen.own.st_mode)) return 0;
  return Register(volume, section, seen, 0, depth);
}

bool Relocate(const Volume& volume, Section& section, UInt32 id, int depth);

UInt64 gRecordsExamined = 0;

void SetParent(Section& section, Entry& e, UInt32 parentID) {
  if (parentID == 0 || e.parentID == parentID) return;
  auto range = section.children.equal_range(e.parentID);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second == e.id) {
      section.children.erase(it);
      break;
    }
  }
  e.parentID = parentID;
  section.children.emplace(parentID, e.id);
  Raw().dirty = true;
}

// The records of `path` and what lies in it: with `root` (the record of the item at `path`),
// those inside it by the ids of their folders rather than by their paths (another item may
// have taken a path under the old one), found through the folders' children; without, every
// record whose path lies there.
std::vector<UInt32> RecordsInside(const Section& section, const std::string& path, UInt32 root) {
  std::vector<UInt32> found;
  if (root == 0) {
    for (const auto& kv : section.byId) {
      ++gRecordsExamined;
      if (PathIsInside(kv.second.path, path)) found.push_back(kv.first);
    }
    return found;
  }
  std::vector<UInt32> next = {root};
  std::unordered_set<UInt32> seen = {root};  // a damaged catalogue may hold a loop of folders
  while (!next.empty()) {
    const UInt32 id = next.back();
    next.pop_back();
    ++gRecordsExamined;
    auto e = section.byId.find(id);
    if (e == section.byId.end()) continue;
    if (PathIsInside(e->second.path, path)) found.push_back(id);
    auto range = section.children.equal_range(id);
    for (auto it = range.first; it != range.second; ++it) {
      if (seen.insert(it->second).second) next.push_back(it->second);
    }
  }
  return found;
}

// Moves the recorded paths of the item `moved` (once at `from`, now at `to`) and of what lies
// in it to `to`; records under `from` of other items stay. With `moved` 0 (an item without a
// record) everything under `from` moves. A record that still names `to` belonged to an item
// gone from there (the move never replaces anything): it keeps its id and its old path, from
// which it may be searched for.
void MoveEntries(Section& section, const std::string& from, const std::string& to,
                 UInt32 moved) {
  if (from == to) return;
  for (UInt32 id : RecordsInside(section, from, moved)) {
    Entry& e = section.byId[id];
    SetPath(section, e, to + e.path.substr(from.size()));
  }
}

// The record `id` follows its item to `path`, with what lies in it.
void Follow(const Volume& volume, Section& section, UInt32 id, const Seen& seen, int depth) {
  const std::string from = section.byId[id].path;
  MoveEntries(section, from, seen.path, id);
  const UInt32 parentID = ParentIdOf(volume, section, seen.path, depth);
  Entry& e = section.byId[id];
  Learn(section, e, seen);
  SetParent(section, e, parentID);
}

// The record `holder` keeps its path although its item is gone from there and not found
// nearby: the item now at the path replaced it (another program saved the document by
// writing a new file and renaming it over the old one), so the id follows the document, as
// the toolbox's safe save kept it. A record of the new item itself (its temporary file was
// seen) gives way. An item of another kind is no replacement: the record goes instead.
bool Replace(Section& section, UInt32 holder, const Seen& seen) {
  Entry& e = section.byId[holder];
  if (e.ident.type != 0 && e.ident.type != seen.ident.type) {
    RemoveEntry(section, holder);
    return false;
  }
  if (const UInt32 own = RecordOfItem(section, seen, holder)) RemoveEntry(section, own);
  Entry& replaced = section.byId[holder];
  replaced.dev = UInt64(seen.own.st_dev);
  SetIdentity(section, replaced, seen.ident);
  return true;
}

// Which record the item seen at its path belongs to, settling what the path's record and the
// item's own record say (each may have been left behind by changes other programs made):
// the path's record when the item is its own, or when its own item is gone and this one
// replaced it; else the item's own record, which follows it here; 0 when it has none.
UInt32 Claim(const Volume& volume, Section& section, const Seen& seen, int depth) {
  auto held = section.byPath.find(seen.path);
  const UInt32 holder = held != section.byPath.end() ? held->second : 0;
  auto e = section.byId.find(holder);
  if (e != section.byId.end() && Matches(e->second, seen)) {
    Learn(section, e->second, seen);
    return holder;
  }
  // The path's record holds another item. Unless its own is found elsewhere (or is being
  // searched for further up, and so was found), its item is gone and this one replaced it.
  if (e != section.byId.end() && !Searching(section, holder) && depth < kMaxSearchDepth &&
      !Relocate(volume, section, holder, depth + 1)) {
    e = section.byId.find(holder);
    if (e != section.byId.end() && e->second.path == seen.path && Replace(section, holder, seen)) {
      return holder;
    }
  }
  const UInt32 own = RecordOfItem(section, seen, 0);
  if (own != 0) Follow(volume, section, own, seen, depth);
  return own;
}

// The id of the item seen (which exists), recording it.
UInt32 Register(const Volume& volume, Section& section, const Seen& seen, UInt32 knownParentID,
                int depth) {
  if (seen.path == volume.mountPoint) return fsRtDirID;
  if (const UInt32 id = Claim(volume, section, seen, depth)) {
    SetParent(section, section.byId[id], knownParentID);
    return id;
  }
  const UInt32 parentID =
      knownParentID != 0 ? knownParentID : ParentIdOf(volume, section, seen.path, depth);
  if (parentID == 0) return 0;
  // The inode number when it fits and no record holds it (its item may have been replaced
  // and kept its id, or be gone with a record still naming it): no id ever names two items.
  UInt32 id = 0;
  const UInt64 ino = seen.ident.ino;
  if (ino > UInt64(fsRtDirID) && ino <= Raw().largestInodeId &&
      section.byId.count(UInt32(ino)) == 0) {
    id = UInt32(ino);
  } else {
    id = NewSyntheticId(section);
    if (id == 0) return 0;  // two thousand million items: none left
  }
  Entry e;
  e.id = id;
  e.parentID = parentID;
  e.path = seen.path;
  e.ident = seen.ident;
  e.dev = UInt64(seen.own.st_dev);
  PutEntry(section, e);
  section.byPath[e.path] = id;
  Raw().dirty = true;
  return id;
}

// The item of the record in `folder`, by its identity: under its own name first (the common
// case of a folder renamed with the item in it), then under any name.
bool FindInFolder(const std::string& folder, const Entry& e, Seen& found) {
  const std::string sameName = JoinPath(folder, BaseName(e.path));
  struct stat own {};
  if (lstat(sameName.c_str(), &own) == 0 && UInt64(own.st_ino) == e.ident.ino &&
      See(sameName, false, found) && Matches(e, found)) {
    return true;
  }
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  bool ok = false;
  struct stat st {};
  while (dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    // d_ino is not the inode stat reports on every file system (overlays): stat decides.
    if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        UInt64(st.st_ino) == e.ident.ino && (IsItem(st) || S_ISLNK(st.st_mode)) &&
        See(JoinPath(folder, d->d_name), false, found) && Matches(e, found)) {
      ok = true;
      break;
    }
  }
  closedir(dir);
  return ok;
}

bool FindInSubfolders(const std::string& folder, const Entry& e, Seen& found) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  std::vector<std::string> subfolders;
  while (dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    struct stat st {};
    if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
      subfolders.push_back(JoinPath(folder, d->d_name));
    }
  }
  closedir(dir);
  for (const std::string& sub : subfolders) {
    if (FindInFolder(sub, e, found)) return true;
  }
  return false;
}

// Looks for an item that is no longer at its recorded path; on success the records of it and
// of everything under it move to where it was found. False when it is not found, or when the
// path it was found at belongs to another record that it replaced (the record is then gone).
bool Relocate(const Volume& volume, Section& section, UInt32 id, int depth) {
  auto it = section.byId.find(id);
  if (it == section.byId.end()) return false;
  std::vector<std::string> folders;
  std::string parentPath;
  struct stat pst {};
  if (depth < kMaxSearchDepth &&
      ResolveId(volume, section, it->second.parentID, depth + 1, parentPath, pst)) {
    folders.push_back(parentPath);
  }
  // Finding the folder may have moved this record along with it.
  it = section.byId.find(id);
  if (it == section.byId.end()) return false;
  const Entry e = it->second;
  Seen found;
  if (See(e.path, false, found) && Matches(e, found)) return true;
  const std::string lastParent = ParentPath(e.path);
  if (std::find(folders.begin(), folders.end(), lastParent) == folders.end()) {
    folders.push_back(lastParent);
  }
  bool ok = false;
  for (const std::string& folder : folders) {
    if (PathIsInside(folder, volume.mountPoint) && FindInFolder(folder, e, found)) {
      ok = true;
      break;
    }
  }
  for (std::size_t i = 0; !ok && i < folders.size(); ++i) {
    ok = PathIsInside(folders[i], volume.mountPoint) && FindInSubfolders(folders[i], e, found);
  }
  if (!ok) return false;
  section.searching.push_back(id);
  const UInt32 owner = Claim(volume, section, found, depth);
  section.searching.pop_back();
  return owner == id;
}

}  // namespace

// ---- Records --------------------------------------------------------------------------------

State& Raw() {
  // Never destroyed: the exit hook saves from it after other statics may be gone.
  static State& state = *new State;
  return state;
}

State& Loaded() {
  State& state = Raw();
  if (!state.loaded) {
    LoadCatalogue(state);
    state.loaded = true;
    if (!state.exitHookSet) {
      std::atexit(SaveAtExit);
      state.exitHookSet = true;
    }
  }
  return state;
}

void PutEntry(Section& section, const Entry& e) {
  RemoveEntry(section, e.id);
  section.byPath.emplace(e.path, e.id);
  section.byIno.emplace(e.ident.ino, e.id);
  section.children.emplace(e.parentID, e.id);
  section.byId[e.id] = e;
}

void RemoveEntry(Section& section, UInt32 id) {
  auto it = section.byId.find(id);
  if (it == section.byId.end()) return;
  UnindexPath(section, it->second);
  UnindexIno(section, it->second);
  auto range = section.children.equal_range(it->second.parentID);
  for (auto c = range.first; c != range.second; ++c) {
    if (c->second == id) {
      section.children.erase(c);
      break;
    }
  }
  section.byId.erase(it);
  Raw().dirty = true;
}

bool MayBeAtItsPath(const Entry& e) {
  struct stat own {};
  return lstat(e.path.c_str(), &own) == 0 && UInt64(own.st_ino) == e.ident.ino;
}

bool ResolveId(const Volume& volume, Section& section, UInt32 id, int depth, std::string& path,
               struct stat& st, bool* isLink) {
  if (isLink != nullptr) *isLink = false;
  if (id == UInt32(fsRtDirID)) {
    path = volume.mountPoint;
    return stat(path.c_str(), &st) == 0;
  }
  auto it = section.byId.find(id);
  if (it == section.byId.end()) return false;
  Seen seen;
  if (See(it->second.path, false, seen, &st) && Matches(it->second, seen)) {
    Learn(section, it->second, seen);
    path = it->second.path;
    if (isLink != nullptr) *isLink = S_ISLNK(seen.own.st_mode);
    return true;
  }
  if (Searching(section, id)) return false;
  if (!Relocate(volume, section, id, depth)) {
    // Not found near its last place: an item of its kind now at its path replaced it.
    it = section.byId.find(id);
    if (it == section.byId.end()) return false;
    auto held = section.byPath.find(it->second.path);
    if (held == section.byPath.end() || held->second != id ||
        !See(it->second.path, true, seen) || !Replace(section, id, seen)) {
      return false;
    }
  }
  it = section.byId.find(id);
  if (it == section.byId.end()) return false;
  path = it->second.path;
  Looked looked;
  if (!LookAt(path, looked, st)) return false;
  if (isLink != nullptr) *isLink = S_ISLNK(looked.own.st_mode);
  return true;
}

namespace {

void FillRoot(const Volume& volume, Location& out) {
  out.vRefNum = volume.vRefNum;
  out.path = volume.mountPoint;
  out.name = volume.name;
  out.parentID = fsRtParID;
  out.nodeID = fsRtDirID;
  out.exists = stat(out.path.c_str(), &out.st) == 0;
  out.isFolder = out.exists && S_ISDIR(out.st.st_mode);
}

// The item at a path of the volume (not its root).
OSErr LocateOnVolume(const Volume& volume, const std::string& path, UInt32 knownParentID,
                     Location& out) {
  out = Location();
  // A folder another file system is mounted on is that volume's root, also when it is reached
  // from the volume below (its free space and its Trash are its own).
  const Volume* mounted = path == volume.mountPoint ? &volume : VolumeOfPath(path);
  if (mounted != nullptr && mounted->mountPoint == path &&
      (mounted == &volume || !mounted->emulated)) {
    FillRoot(*mounted, out);
    return out.exists ? OSErr(noErr) : OSErr(nsvErr);
  }
  Section& section = SectionOf(volume);
  out.vRefNum = volume.vRefNum;
  out.path = path;
  out.name = BaseName(path);
  Seen seen;
  if (See(path, true, seen, &out.st)) {
    out.nodeID = Register(volume, section, seen, knownParentID, 0);
    if (out.nodeID == 0) return dirNFErr;
    out.exists = true;
    out.isLink = S_ISLNK(seen.own.st_mode);
    out.isFolder = S_ISDIR(out.st.st_mode);
    out.parentID =
        out.nodeID == UInt32(fsRtDirID) ? UInt32(fsRtParID) : section.byId[out.nodeID].parentID;
    return noErr;
  }
  const int err = errno;
  out.st = {};
  if (knownParentID != 0) {
    out.parentID = knownParentID;
  } else {
    out.parentID = ParentIdOf(volume, section, path, 0);
    if (out.parentID == 0) return dirNFErr;
  }
  if (err == EACCES || err == EPERM) return permErr;
  return fnfErr;
}

// "#<hex>" followed by nothing or an extension: the id a stand-in name carries.
bool StandInId(const std::string& classic, UInt32* id) {
  const std::size_t hash = classic.rfind('#');
  if (hash == std::string::npos) return false;
  std::size_t i = hash + 1;
  UInt64 value = 0;
  std::size_t digits = 0;
  while (i < classic.size() && std::isxdigit(UInt8(classic[i])) && digits < 9) {
    const char c = classic[i];
    value = value * 16 + UInt64(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    ++digits;
    ++i;
  }
  if (digits == 0 || digits > 8 || value == 0 || value > 0xFFFFFFFFull) return false;
  if (i < classic.size() && classic[i] != '.') return false;
  *id = UInt32(value);
  return true;
}

bool MatchesStandIn(const Location& item, const std::string& classic) {
  const std::string folder = ParentPath(item.path);
  return ClassicName(item.name, item.nodeID, kClassicNameLimit, folder) == classic ||
         ClassicName(item.name, item.nodeID, kSpecNameLimit, folder) == classic;
}

// A classic name in a folder: the Linux name it converts to, else the item whose stand-in
// it is.
OSErr LocateClassicInFolder(const Location& folder, const std::string& classic, Location& out) {
  std::string name;
  const bool converts = LinuxNameFromClassic(reinterpret_cast<const unsigned char*>(classic.data()),
                                             classic.size(), name);
  if (converts) {
    OSErr err = LocateInFolder(folder, name, out);
    if (err != fnfErr) return err;
    // A Shift-JIS name on disk is its own classic name.
    std::string raw;
    Location item;
    if (RawLinuxNameFromClassic(reinterpret_cast<const unsigned char*>(classic.data()),
                                classic.size(), raw) &&
        LocateInFolder(folder, raw, item) == noErr) {
      out = item;
      return noErr;
    }
  }
  if (LocateStandIn(folder, classic, out) == noErr) return noErr;
  if (!converts) return bdNamErr;
  return fnfErr;
}

// The folder (vRefNum, dirID) a classic name starts from.
OSErr LocateStartFolder(SInt16 vRefNum, SInt32 dirID, Location& out) {
  const Volume* volume = FindVolume(vRefNum);
  if (volume == nullptr) return nsvErr;
  if (dirID == 0 || dirID == fsRtDirID) {
    FillRoot(*volume, out);
    return out.exists ? OSErr(noErr) : OSErr(nsvErr);
  }
  OSErr err = LocateNode(volume->vRefNum, UInt32(dirID), out);
  if (err == fnfErr) return dirNFErr;
  if (err != noErr) return err;
  return out.isFolder ? OSErr(noErr) : OSErr(dirNFErr);
}

std::vector<std::string> SplitColons(const std::string& s) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t colon = s.find(':', start);
    parts.push_back(
        s.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) return parts;
    start = colon + 1;
  }
}

}  // namespace

OSErr LocateStandIn(const Location& folder, const std::string& classic, Location& out) {
  UInt32 id = 0;
  if (!StandInId(classic, &id)) return fnfErr;
  Location candidate;
  if (LocateNode(folder.vRefNum, id, candidate) == noErr &&
      ParentPath(candidate.path) == PathInside(folder) && MatchesStandIn(candidate, classic)) {
    out = candidate;
    return noErr;
  }
  // The id may be unknown to the catalogue (a name read before its record was lost): the
  // folder's items whose names need a stand-in are tried.
  if (auto names = FolderListing(folder)) {
    for (const std::string& n : *names) {
      if (ClassicName(n, 0, kSpecNameLimit, folder.path).find('#') == std::string::npos &&
          ClassicName(n, 0, kClassicNameLimit, folder.path).find('#') == std::string::npos) {
        continue;
      }
      Location item;
      if (LocateInFolder(folder, n, item) == noErr && MatchesStandIn(item, classic)) {
        out = item;
        return noErr;
      }
    }
  }
  return fnfErr;
}

const Volume* MountedVolumeAt(const std::string& mountPoint) {
  for (const Volume* v : AllVolumes()) {
    if (v->mountPoint == mountPoint) return v;
  }
  return nullptr;
}

// ---- Errors ---------------------------------------------------------------------------------

OSErr OSErrFromErrno(int err, Access access) {
  switch (err) {
    case 0:
      return noErr;
    case ENOENT:
      return fnfErr;
    case ENOTDIR:
      return dirNFErr;
    case EEXIST:
      return dupFNErr;
    case EACCES:
    case EPERM:
      return access == Access::kWrite ? OSErr(wrPermErr) : OSErr(permErr);
    case EROFS:
      return wPrErr;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return dskFulErr;
    case ENOTEMPTY:
    case EBUSY:
      return fBsyErr;
    case ENAMETOOLONG:
      return bdNamErr;
    case EXDEV:
      return badMovErr;
    case EMFILE:
    case ENFILE:
      return tmfoErr;
    case ENOMEM:
      return memFullErr;
    default:
      return ioErr;
  }
}

OSErr OSErrFromErrnoAt(int err, const std::string& path, Access access) {
  if (err == ENOENT) {
    struct stat st {};
    const std::string parent = ParentPath(path);
    if (stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return dirNFErr;
  }
  return OSErrFromErrno(err, access);
}

const Volume* VolumeOfClassicName(const std::string& classic) {
  std::string name;
  if (LinuxNameFromClassic(reinterpret_cast<const unsigned char*>(classic.data()), classic.size(),
                           name)) {
    if (const Volume* volume = VolumeNamed(name)) return volume;
  }
  for (const Volume* volume : AllVolumes()) {
    if (ClassicName(volume->name, fsRtDirID, kVolumeNameLimit) == classic) return volume;
  }
  return nullptr;
}

OSErr CheckWritable(const Location& item) {
  const Volume* volume = FindVolume(item.vRefNum);
  return volume != nullptr && (volume->flags & kVolumeReadOnly) ? OSErr(wPrErr) : OSErr(noErr);
}

// ---- Paths ----------------------------------------------------------------------------------

std::string ParentPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

bool PathIsInside(const std::string& path, const std::string& folder) {
  if (folder == "/") return !path.empty() && path[0] == '/';
  return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

void CopyToPascal(const std::string& bytes, unsigned char* out, std::size_t limit) {
  if (out == nullptr) return;
  const std::size_t n = std::min(bytes.size(), std::min(limit, std::size_t(255)));
  out[0] = UInt8(n);
  std::memcpy(out + 1, bytes.data(), n);
}

// ---- Look-ups -------------------------------------------------------------------------------

OSErr LocatePath(const std::string& rawPath, Location& out) {
  const MountTableHold hold;
  out = Location();
  if (rawPath.empty() || rawPath[0] != '/') return bdNamErr;
  std::string path = rawPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  // The folder part is made canonical, so that a path through a symbolic link to another
  // volume lands on that volume; the item itself may be a link and stays as it is.
  char resolved[PATH_MAX];
  const std::string base = BaseName(path);
  if (path != "/") {
    if (base == "." || base == "..") {
      if (realpath(path.c_str(), resolved) == nullptr) return OSErrFromErrnoAt(errno, path);
      path = resolved;
    } else {
      const std::string parent = ParentPath(path);
      if (realpath(parent.c_str(), resolved) == nullptr) {
        return errno == ENOENT || errno == ENOTDIR ? OSErr(dirNFErr) : OSErrFromErrno(errno);
      }
      path = JoinPath(resolved, base);
    }
  }
  const Volume* volume = VolumeOfPath(path);
  if (volume == nullptr) return nsvErr;
  return LocateOnVolume(*volume, path, 0, out);
}

OSErr LocateInFolder(const Location& folder, const std::string& name, Location& out) {
  const MountTableHold hold;
  if (!folder.exists || !folder.isFolder) return dirNFErr;
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
    return bdNamErr;
  }
  const std::string inside = PathInside(folder);
  if (inside != folder.path) {
    // Through a link: the item is recorded where it really is (on its own volume).
    const Volume* volume = VolumeOfPath(inside);
    if (volume == nullptr) return nsvErr;
    return LocateOnVolume(*volume, JoinPath(inside, name), 0, out);
  }
  const Volume* volume = FindVolume(folder.vRefNum);
  if (volume == nullptr) return nsvErr;
  return LocateOnVolume(*volume, JoinPath(folder.path, name), folder.nodeID, out);
}

std::string PathInside(const Location& folder) {
  if (!folder.isLink) return folder.path;
  char resolved[PATH_MAX];
  if (realpath(folder.path.c_str(), resolved) == nullptr) return folder.path;
  return resolved;
}

OSErr LocateNode(SInt16 vRefNum, UInt32 nodeID, Location& out) {
  const MountTableHold hold;
  out = Location();
  const Volume* volume = FindVolume(vRefNum);
  if (volume == nullptr) return nsvErr;
  if (nodeID == UInt32(fsRtDirID)) {
    FillRoot(*volume, out);
    return out.exists ? OSErr(noErr) : OSErr(nsvErr);
  }
  if (nodeID <= UInt32(fsRtParID)) return fnfErr;
  Section& section = SectionOf(*volume);
  std::string path;
  struct stat st {};
  bool isLink = false;
  if (!ResolveId(*volume, section, nodeID, 0, path, st, &isLink)) return fnfErr;
  const Entry& e = section.byId[nodeID];
  out.isLink = isLink;
  out.vRefNum = volume->vRefNum;
  out.path = path;
  out.name = BaseName(path);
  out.nodeID = nodeID;
  out.parentID = e.parentID;
  out.st = st;
  out.exists = true;
  out.isFolder = S_ISDIR(st.st_mode);
  return noErr;
}

OSErr LocateRef(const FSRef* ref, Location& out) {
  const MountTableHold hold;
  out = Location();
  if (ref == nullptr) return paramErr;
  const UInt8* b = ref->hidden;
  if (sp::LoadBE32(b) != kRefMagic) return errFSBadFSRef;
  const SInt16 vRefNum = SInt16(sp::LoadBE16(b + 4));
  const UInt32 nodeID = sp::LoadBE32(b + 8);
  const UInt32 key = sp::LoadBE32(b + 16);
  const Volume* volume = FindVolume(vRefNum);
  if (volume == nullptr || VolumeKey(volume->mountPoint) != key) {
    volume = nullptr;
    for (const Volume* v : AllVolumes()) {
      if (VolumeKey(v->mountPoint) == key) {
        volume = v;
        break;
      }
    }
  }
  if (volume == nullptr) return nsvErr;
  return LocateNode(volume->vRefNum, nodeID, out);
}

OSErr LocateClassic(SInt16 vRefNum, SInt32 dirID, const unsigned char* name, Location& out) {
  const MountTableHold hold;
  out = Location();
  const std::string bytes = PascalBytes(name);
  if (bytes.empty()) return LocateStartFolder(vRefNum, dirID, out);

  const std::vector<std::string> parts = SplitColons(bytes);
  Location current;
  std::size_t first = 0;
  if (parts.size() > 1 && !parts[0].empty()) {
    // A full path: its first part names the volume.
    const Volume* volume = VolumeOfClassicName(parts[0]);
    if (volume == nullptr) return nsvErr;
    FillRoot(*volume, current);
    first = 1;
  } else if (parts.size() == 1 && dirID == fsRtParID) {
    // The only item in the parent of the roots is a volume's root.
    const Volume* volume = VolumeOfClassicName(bytes);
    if (volume == nullptr) return fnfErr;
    FillRoot(*volume, out);
    return noErr;
  } else {
    OSErr err = LocateStartFolder(vRefNum, dirID, current);
    if (err != noErr) return err;
    first = parts.size() > 1 ? 1 : 0;  // a partial path starts with its colon
  }

  for (std::size_t i = first; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    if (parts[i].empty()) {
      if (last) {
        out = current;  // a trailing colon: the folder itself
        return noErr;
      }
      // Each further colon goes up one folder.
      if (current.nodeID == UInt32(fsRtDirID)) return dirNFErr;
      Location up;
      if (LocateNode(current.vRefNum, current.parentID, up) != noErr) return dirNFErr;
      current = up;
      continue;
    }
    Location next;
    OSErr err = LocateClassicInFolder(current, parts[i], next);
    if (last) {
      out = next;
      return err;
    }
    if (err == fnfErr || (err == noErr && !next.isFolder)) return dirNFErr;
    if (err != noErr) return err;
    current = next;
  }
  out = current;
  return noErr;
}

void Refresh(Location& location) {
  if (location.path.empty()) return;
  Location again;
  OSErr err;
  const Volume* volume = FindVolume(location.vRefNum);
  if (volume != nullptr && PathIsInside(location.path, volume->mountPoint)) {
    err = LocateOnVolume(*volume, location.path, 0, again);
  } else {
    err = LocatePath(location.path, again);
  }
  (void)err;
  if (!again.path.empty()) location = again;
}

void MakeFSRef(const Location& location, FSRef* ref) {
  if (ref == nullptr) return;
  std::memset(ref->hidden, 0, sizeof ref->hidden);
  const Volume* volume = FindVolume(location.vRefNum);
  sp::StoreBE32(ref->hidden, kRefMagic);
  sp::StoreBE16(ref->hidden + 4, UInt16(location.vRefNum));
  sp::StoreBE32(ref->hidden + 8, location.nodeID);
  sp::StoreBE32(ref->hidden + 12, location.parentID);
  sp::StoreBE32(ref->hidden + 16, volume != nullptr ? VolumeKey(volume->mountPoint) : 0);
}

void MakeFSSpec(const Location& location, FSSpec* spec) {
  if (spec == nullptr) return;
  std::memset(spec, 0, sizeof *spec);
  spec->vRefNum = location.vRefNum;
  spec->parID = SInt32(location.parentID);
  std::string name;
  if (location.nodeID == UInt32(fsRtDirID)) {
    name = ClassicName(location.name, fsRtDirID, kVolumeNameLimit);
  } else {
    name = ClassicName(location.name, location.nodeID, kSpecNameLimit, ParentPath(location.path));
  }
  CopyToPascal(name, spec->name, kSpecNameLimit);
}

OSErr FSSpecOfPath(const std::string& path, FSSpec* out) {
  Location item;
  const OSErr err = LocatePath(path, item);
  if (err != noErr) return err;
  MakeFSSpec(item, out);
  return noErr;
}

namespace {

// GetProcessInformation's processAppSpec: the base layer asks through this hook. Installed at
// start-up. This file holds every way of locating an item, so it is in every program that
// uses files at all.
[[maybe_unused]] const bool kFSSpecHookInstalled = (SetFSSpecFromPathHook(FSSpecOfPath), true);

}  // namespace

// ---- Changes --------------------------------------------------------------------------------

void NoteMoved(const std::string& from, const std::string& to) {
  State& state = Loaded();
  for (auto& kv : state.sections) {
    if (!PathIsInside(from, kv.first) && !PathIsInside(to, kv.first)) continue;
    auto moved = kv.second.byPath.find(from);
    MoveEntries(kv.second, from, to, moved != kv.second.byPath.end() ? moved->second : 0);
    auto it = kv.second.byPath.find(to);
    const Volume* volume = MountedVolumeAt(kv.first);
    if (it != kv.second.byPath.end() && volume != nullptr) {
      const UInt32 parentID = ParentIdOf(*volume, kv.second, to, 0);
      SetParent(kv.second, kv.second.byId[it->second], parentID);
    }
  }
  ForgetListing(ParentPath(from));
  ForgetListing(ParentPath(to));
  ForgetListing(from);
}

void NoteDeleted(const std::string& path) {
  State& state = Loaded();
  for (auto& kv : state.sections) {
    if (!PathIsInside(path, kv.first)) continue;
    // The item and what was in it; another item's record left under the path is searched
    // for when it is next used.
    auto deleted = kv.second.byPath.find(path);
    const UInt32 item = deleted != kv.second.byPath.end() ? deleted->second : 0;
    for (UInt32 id : RecordsInside(kv.second, path, item)) RemoveEntry(kv.second, id);
  }
  ForgetListing(ParentPath(path));
  ForgetListing(path);
}

// ---- Listings -------------------------------------------------------------------------------

std::shared_ptr<const std::vector<std::string>> FolderListing(const Location& folder) {
  struct stat st {};
  if (stat(folder.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
  State& state = Raw();
  auto cached = state.listings.find(folder.path);
  if (cached != state.listings.end()) {
    const Listing& l = cached->second;
    if (l.ino == UInt64(st.st_ino) && l.mtime.tv_sec == st.st_mtim.tv_sec &&
        l.mtime.tv_nsec == st.st_mtim.tv_nsec && l.ctime.tv_sec == st.st_ctim.tv_sec &&
        l.ctime.tv_nsec == st.st_ctim.tv_nsec && l.size == st.st_size && l.links == st.st_nlink) {
      return l.names;
    }
  }
  DIR* dir = opendir(folder.path.c_str());
  if (dir == nullptr) return nullptr;
  auto names = std::make_shared<std::vector<std::string>>();
  while (dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    // The entry's own type says enough for files and folders, so that a large or busy folder
    // is listed without a look at each item; links and unknown types are followed.
    if (d->d_type == DT_REG || d->d_type == DT_DIR) {
      names->push_back(d->d_name);
      continue;
    }
    if (d->d_type != DT_LNK && d->d_type != DT_UNKNOWN) continue;
    struct stat item {};
    if (fstatat(dirfd(dir), d->d_name, &item, 0) == 0 && IsItem(item)) names->push_back(d->d_name);
  }
  closedir(dir);
  // Byte order (std::string compares its chars as unsigned), so every run lists alike.
  std::sort(names->begin(), names->end());
  if (state.listings.size() >= kMaxCachedListings) state.listings.clear();
  Listing& l = state.listings[folder.path];
  l.ino = UInt64(st.st_ino);
  l.mtime = st.st_mtim;
  l.ctime = st.st_ctim;
  l.size = st.st_size;
  l.links = st.st_nlink;
  l.names = names;
  return names;
}

void ForgetListing(const std::string& folderPath) {
  Raw().listings.erase(folderPath);
}

// ---- State ----------------------------------------------------------------------------------

void RestartCatalogue() {
  CompactCatalogue();
  State& state = Raw();
  state.sections.clear();
  state.listings.clear();
  state.loaded = false;
  state.dirty = false;
  state.reservedNext = state.reservedEnd = 0;
}

void ResetCatalogueAndVolumes() {
  State& state = Raw();
  state.sections.clear();
  state.listings.clear();
  state.loaded = false;
  state.dirty = false;
  state.reservedNext = state.reservedEnd = 0;
  state.largestInodeId = kLargestInodeId;
  SetIdentitySourcesForTests(kKnowsEverything);
  ForgetVolumes();
}

UInt64 CatalogueRecordsExamined() {
  return gRecordsExamined;
}

void SetLargestInodeIdForTests(UInt32 largest) {
  Raw().largestInodeId = largest;
}

}  // namespace files
}  // namespace sp_platform
