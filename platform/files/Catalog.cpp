// The catalogue: persistent ids for files and folders, the look-ups by id, path and name, and
// the errno mapping of the file layer.
//
// Linux finds a file by path only; the program keeps ids (in memory and in its settings)
// and expects them to find the file after it was renamed or moved, and after a restart.
// So every item the layer meets gets an id (its inode number when that fits, which keeps ids
// stable even for items the catalogue has not seen yet), recorded with its path and inode.
// Each use checks the path with stat; when the item is no longer there (renamed or moved by
// another program) it is looked for by inode in its folder (found again through the folder's
// own id, so a renamed folder is followed), then one level down in that folder's
// subfolders. Anything moved further away by another program is lost, as its id says
// fnfErr. Renames and moves made through the layer never lose an item.
//
// Items are identified without following symbolic links (lstat): a link is an item of its
// own with its own id, as an alias file is, so that deleting, renaming or moving it acts on
// the link and never on what it leads to. Its data, kind and listing are its target's; the
// items seen through a link to a folder are recorded at their real paths, so a link to its
// own folder never makes a longer path. One path holds one record: an item that takes the
// path of another has the old record searched for (or dropped) at once.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
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
#include <vector>

#include "ByteOrder.h"
#include "FailureReports.h"
#include "base/internal/Process.h"
#include "detail/Catalog.h"
#include "detail/FilesInternal.h"

namespace sp_platform {
namespace files {
namespace {

constexpr UInt32 kFirstSynthetic = 0x80000000u;
constexpr UInt32 kLargestInodeId = 0x7FFFFFFFu;
constexpr UInt32 kCatalogueMagic = 0x53704643u;  // 'SpFC'
constexpr UInt16 kCatalogueVersion = 1;
constexpr UInt32 kRefMagic = 0x53705266u;  // 'SpRf'
// A damaged or foreign file is not read beyond this.
constexpr std::size_t kMaxCatalogueBytes = 256u * 1024u * 1024u;
constexpr int kMaxSearchDepth = 32;
constexpr std::size_t kMaxCachedListings = 64;

struct Entry {
  UInt32 id = 0;
  UInt32 parentID = 0;
  std::string path;
  UInt64 ino = 0;
  UInt64 dev = 0;  // 0 until seen in this run: device numbers need not survive a reboot
};

// The ids of one volume, keyed in the state by the volume's root folder.
struct Section {
  std::unordered_map<UInt32, Entry> byId;
  std::unordered_map<std::string, UInt32> byPath;
  // Inode numbers of the items with synthetic ids (those the inode number gives no id to).
  std::unordered_multimap<UInt64, UInt32> syntheticByIno;
  // Above every synthetic id given on this volume.
  UInt32 nextSynthetic = kFirstSynthetic;
  // Digests of the records as this run last read or wrote them in the file: a record that
  // differs from its digest (or has none) was changed by this run.
  std::unordered_map<UInt32, UInt64> saved;
};

struct Listing {
  UInt64 ino = 0;
  timespec mtime{};
  timespec ctime{};
  off_t size = 0;
  nlink_t links = 0;
  std::shared_ptr<const std::vector<std::string>> names;
};

struct State {
  bool loaded = false;
  bool dirty = false;
  bool exitHookSet = false;
  UInt32 largestInodeId = kLargestInodeId;
  // Synthetic ids reserved for this run in the counter all instances share: [next, end).
  UInt64 reservedNext = 0;
  UInt64 reservedEnd = 0;
  // The lock on the catalogue while held (CatalogueLock), and why it could not be had.
  int lockFd = -1;
  int lockDepth = 0;
  int lockError = 0;
  std::map<std::string, Section> sections;
  std::unordered_map<std::string, Listing> listings;
};

State& Raw() {
  // Never destroyed: the exit hook saves from it after other statics may be gone.
  static State& state = *new State;
  return state;
}

void Load(State& state);
void SaveAtExit() {
  if (const OSErr err = SaveCatalogue()) {
    sp_platform::RecordFailure("Catalog.cpp", "SaveAtExit", err,
                               "The file catalogue could not be saved");
  }
}

State& Loaded() {
  State& state = Raw();
  if (!state.loaded) {
    Load(state);
    state.loaded = true;
    if (!state.exitHookSet) {
      std::atexit(SaveAtExit);
      state.exitHookSet = true;
    }
  }
  return state;
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
bool LookAt(const std::string& path, struct stat& own, struct stat& shown) {
  if (lstat(path.c_str(), &own) != 0) return false;
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

bool SameItem(const Entry& e, const struct stat& st) {
  return UInt64(st.st_ino) == e.ino && (e.dev == 0 || UInt64(st.st_dev) == e.dev);
}

void Unindex(Section& section, const Entry& e) {
  auto it = section.byPath.find(e.path);
  if (it != section.byPath.end() && it->second == e.id) section.byPath.erase(it);
}

void RemoveEntry(Section& section, UInt32 id) {
  auto it = section.byId.find(id);
  if (it == section.byId.end()) return;
  Unindex(section, it->second);
  if (id >= kFirstSynthetic) {
    auto range = section.syntheticByIno.equal_range(it->second.ino);
    for (auto s = range.first; s != range.second; ++s) {
      if (s->second == id) {
        section.syntheticByIno.erase(s);
        break;
      }
    }
  }
  section.byId.erase(it);
  Raw().dirty = true;
}

void SetPath(Section& section, Entry& e, const std::string& path) {
  Unindex(section, e);
  e.path = path;
  section.byPath[path] = e.id;
  Raw().dirty = true;
}

bool IsSyntheticFree(const Section& section, UInt32 id) {
  return id >= kFirstSynthetic && section.byId.find(id) == section.byId.end();
}

// A synthetic id already given to this inode (items whose inode does not make an id).
UInt32 FindSynthetic(const Section& section, const struct stat& st) {
  auto range = section.syntheticByIno.equal_range(UInt64(st.st_ino));
  for (auto it = range.first; it != range.second; ++it) {
    auto e = section.byId.find(it->second);
    if (e != section.byId.end() && SameItem(e->second, st)) return e->first;
  }
  return 0;
}

UInt32 Register(const Volume& volume, Section& section, const std::string& path,
                const struct stat& st, UInt32 knownParentID);
// A synthetic id free on the volume that no other instance of the program hands out; 0 when
// none is left.
UInt32 NewSyntheticId(Section& section);

UInt32 ParentIdOf(const Volume& volume, Section& section, const std::string& path) {
  const std::string parent = ParentPath(path);
  if (parent == volume.mountPoint) return fsRtDirID;
  struct stat pst {};
  if (lstat(parent.c_str(), &pst) != 0 || !S_ISDIR(pst.st_mode)) return 0;
  return Register(volume, section, parent, pst, 0);
}

bool Relocate(const Volume& volume, Section& section, UInt32 id, int depth);

// Whether the record `id` is the item `root` or lies inside it, by the ids of its folders
// rather than by its path (another item may have taken a path under the old one).
bool DescendsFrom(const Section& section, UInt32 id, UInt32 root) {
  for (int depth = 0; depth < PATH_MAX / 2 && id > UInt32(fsRtDirID); ++depth) {
    if (id == root) return true;
    auto it = section.byId.find(id);
    if (it == section.byId.end()) return false;
    id = it->second.parentID;
  }
  return false;
}

// The id of the item at `path` (which exists; `st` is its lstat), recording it.
UInt32 Register(const Volume& volume, Section& section, const std::string& path,
                const struct stat& st, UInt32 knownParentID) {
  if (path == volume.mountPoint) return fsRtDirID;
  auto known = section.byPath.find(path);
  auto knownEntry =
      known != section.byPath.end() ? section.byId.find(known->second) : section.byId.end();
  if (knownEntry != section.byId.end()) {
    Entry& e = knownEntry->second;
    if (SameItem(e, st)) {
      e.dev = UInt64(st.st_dev);
      if (knownParentID != 0 && e.parentID != knownParentID) {
        e.parentID = knownParentID;
        Raw().dirty = true;
      }
      return e.id;
    }
  }
  // Another item took the path (another program saved by renaming the old file aside and
  // writing a new one): the old record is looked for at once, so that it keeps its id, and
  // dropped when its item is gone. Left on this path it would be taken for the new item's.
  if (known != section.byPath.end()) {
    const UInt32 old = known->second;
    section.byPath.erase(known);
    auto oldEntry = section.byId.find(old);
    if (oldEntry != section.byId.end() && oldEntry->second.path == path) {
      if (!Relocate(volume, section, old, 0)) {
        auto gone = section.byId.find(old);
        if (gone != section.byId.end() && gone->second.path == path) RemoveEntry(section, old);
      }
    }
  }
  const UInt32 parentID = knownParentID != 0 ? knownParentID : ParentIdOf(volume, section, path);
  if (parentID == 0) return 0;

  UInt32 id = 0;
  const UInt64 ino = UInt64(st.st_ino);
  if (ino > UInt64(fsRtDirID) && ino <= Raw().largestInodeId) {
    auto it = section.byId.find(UInt32(ino));
    if (it == section.byId.end() || it->second.dev == 0 || it->second.dev == UInt64(st.st_dev)) {
      id = UInt32(ino);
    }
    // Else the inode number is taken by an item of another device seen through a symbolic
    // link: this one gets a synthetic id.
  }
  if (id == 0) id = FindSynthetic(section, st);
  if (id == 0) {
    id = NewSyntheticId(section);
    if (id == 0) return 0;  // two thousand million items: none left
    section.syntheticByIno.emplace(ino, id);
  }
  Entry& e = section.byId[id];
  e.id = id;
  e.parentID = parentID;
  e.ino = ino;
  e.dev = UInt64(st.st_dev);
  SetPath(section, e, path);
  return id;
}

// Moves the recorded paths of the item `moved` (once at `from`, now at `to`) and of what lies
// in it to `to`; records under `from` of other items stay (another item may have taken the
// old path). With `moved` 0 (an item without a record) everything under `from` moves. A
// record that still names `to` belonged to an item gone from there (the move never replaces
// anything): it keeps its id and its old path, from which it may be searched for.
void MoveEntries(Section& section, const std::string& from, const std::string& to,
                 UInt32 moved) {
  if (from == to) return;
  for (auto& kv : section.byId) {
    Entry& e = kv.second;
    if (PathIsInside(e.path, from) && (moved == 0 || DescendsFrom(section, e.id, moved))) {
      SetPath(section, e, to + e.path.substr(from.size()));
    }
  }
}

bool FindInFolderByInode(const std::string& folder, const Entry& e, std::string& found) {
  // The same name first: the common case of a folder renamed with the item in it.
  const std::string sameName = JoinPath(folder, BaseName(e.path));
  struct stat st {}, shown {};
  if (LookAt(sameName, st, shown) && UInt64(st.st_ino) == e.ino) {
    found = sameName;
    return true;
  }
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  bool ok = false;
  while (dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    // d_ino is not the inode stat reports on every file system (overlays): stat decides.
    if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        UInt64(st.st_ino) == e.ino && (e.dev == 0 || UInt64(st.st_dev) == e.dev) &&
        (IsItem(st) || S_ISLNK(st.st_mode))) {
      found = JoinPath(folder, d->d_name);
      ok = true;
      break;
    }
  }
  closedir(dir);
  return ok;
}

bool FindInSubfolders(const std::string& folder, const Entry& e, std::string& found) {
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
    if (FindInFolderByInode(sub, e, found)) return true;
  }
  return false;
}

bool ResolveId(const Volume& volume, Section& section, UInt32 id, int depth, std::string& path,
               struct stat& st);

// Looks for an item that is no longer at its recorded path; on success the records of it and
// of everything under it move to where it was found.
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
  struct stat st {}, shown {};
  if (LookAt(e.path, st, shown) && SameItem(e, st)) return true;
  const std::string lastParent = ParentPath(e.path);
  if (std::find(folders.begin(), folders.end(), lastParent) == folders.end()) {
    folders.push_back(lastParent);
  }
  std::string found;
  bool ok = false;
  for (const std::string& folder : folders) {
    if (PathIsInside(folder, volume.mountPoint) && FindInFolderByInode(folder, e, found)) {
      ok = true;
      break;
    }
  }
  if (!ok) {
    for (const std::string& folder : folders) {
      if (PathIsInside(folder, volume.mountPoint) && FindInSubfolders(folder, e, found)) {
        ok = true;
        break;
      }
    }
  }
  if (!ok) return false;
  MoveEntries(section, e.path, found, id);
  auto moved = section.byId.find(id);
  if (moved == section.byId.end()) return false;
  const UInt32 parentID = ParentIdOf(volume, section, found);
  if (parentID != 0 && moved->second.parentID != parentID) {
    moved->second.parentID = parentID;
    Raw().dirty = true;
  }
  return true;
}

bool ResolveId(const Volume& volume, Section& section, UInt32 id, int depth, std::string& path,
               struct stat& st) {
  if (id == UInt32(fsRtDirID)) {
    path = volume.mountPoint;
    return stat(path.c_str(), &st) == 0;
  }
  auto it = section.byId.find(id);
  if (it == section.byId.end()) return false;
  struct stat own {};
  if (LookAt(it->second.path, own, st) && SameItem(it->second, own)) {
    it->second.dev = UInt64(own.st_dev);
    path = it->second.path;
    return true;
  }
  if (!Relocate(volume, section, id, depth)) return false;
  it = section.byId.find(id);
  if (it == section.byId.end()) return false;
  path = it->second.path;
  return LookAt(path, own, st);
}

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
  if (path == volume.mountPoint) {
    FillRoot(volume, out);
    return out.exists ? OSErr(noErr) : OSErr(nsvErr);
  }
  Section& section = SectionOf(volume);
  out.vRefNum = volume.vRefNum;
  out.path = path;
  out.name = BaseName(path);
  struct stat own {};
  if (LookAt(path, own, out.st)) {
    out.nodeID = Register(volume, section, path, own, knownParentID);
    if (out.nodeID == 0) return dirNFErr;
    out.exists = true;
    out.isLink = S_ISLNK(own.st_mode);
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
    out.parentID = ParentIdOf(volume, section, path);
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
  UInt32 id = 0;
  if (StandInId(classic, &id)) {
    Location candidate;
    if (LocateNode(folder.vRefNum, id, candidate) == noErr &&
        ParentPath(candidate.path) == PathInside(folder) && MatchesStandIn(candidate, classic)) {
      out = candidate;
      return noErr;
    }
    // The id may be unknown to the catalogue (a name read before its record was lost):
    // the folder's items whose names need a stand-in are tried.
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
  }
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

// The catalogue file's bytes into `data`: empty when there is none, or when it is too large to
// be one. The errno when something is there that cannot be read: it must then not be replaced.
int ReadCatalogueBytes(std::string& data) {
  data.clear();
  const int fd = open(CatalogueFilePath().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? 0 : errno;
  int err = 0;
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode)) {
    err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  } else {
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) err = errno;
      if (n <= 0) break;
      data.append(buffer, std::size_t(n));
      if (data.size() > kMaxCatalogueBytes) break;
    }
  }
  close(fd);
  if (err != 0 || data.size() > kMaxCatalogueBytes) data.clear();
  return err;
}

bool ReadString16(sp::ByteReader& r, std::string& out) {
  const UInt16 length = r.BE16();
  if (!r.Has(length)) return false;
  out.assign(reinterpret_cast<const char*>(r.Current()), length);
  r.Skip(length);
  return r.Ok();
}

bool IsSafeRelativePath(const std::string& rel) {
  if (rel.empty() || rel[0] == '/' || rel.back() == '/') return false;
  if (rel.find('\0') != std::string::npos) return false;
  std::size_t start = 0;
  for (;;) {
    std::size_t slash = rel.find('/', start);
    const std::string part =
        rel.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}

// The digest of a record as the file holds it (the device is not saved).
UInt64 Digest(const Entry& e) {
  UInt64 h = 14695981039346656037ull;  // FNV-1a
  const auto mix = [&h](const void* data, std::size_t n) {
    const UInt8* bytes = static_cast<const UInt8*>(data);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  };
  mix(&e.parentID, sizeof e.parentID);
  mix(&e.ino, sizeof e.ino);
  mix(e.path.data(), e.path.size());
  return h;
}

// One record of the persisted catalogue, checked on its own: a bad one is left out and costs
// its id only. An id below the synthetic ones is its item's inode number. Two ids may name one
// item (two instances each gave it a synthetic id): the path leads to the first, the other is
// found by its own id.
void AddLoadedEntry(Section& section, const std::string& mount, Entry e, const std::string& rel) {
  if (!IsSafeRelativePath(rel) || e.id <= UInt32(fsRtDirID) || e.parentID < UInt32(fsRtDirID) ||
      e.parentID == e.id || (e.id < kFirstSynthetic && e.ino != e.id) ||
      section.byId.count(e.id) != 0) {
    return;
  }
  e.path = mount == "/" ? "/" + rel : mount + "/" + rel;
  section.byPath.emplace(e.path, e.id);
  if (e.id >= kFirstSynthetic) section.syntheticByIno.emplace(e.ino, e.id);
  section.saved[e.id] = Digest(e);
  section.byId[e.id] = std::move(e);
}

// Parses a catalogue file. Nothing in it is trusted: a foreign file gives false; in a damaged
// one each record is checked on its own, and reading stops where the data runs out.
bool ParseCatalogue(const std::string& data, std::map<std::string, Section>& out) {
  sp::ByteReader r(data.data(), data.size());
  if (r.BE32() != kCatalogueMagic || r.BE16() != kCatalogueVersion) return false;
  std::map<std::string, Section> sections;
  Section ignored;  // the records of a section whose volume is no path
  const UInt32 sectionCount = r.BE32();
  for (UInt32 s = 0; r.Ok() && s < sectionCount; ++s) {
    std::string mount;
    if (!ReadString16(r, mount)) break;
    const bool valid = !mount.empty() && mount[0] == '/' && mount.find('\0') == std::string::npos;
    Section& section = valid ? sections[mount] : ignored;
    const UInt32 nextSynthetic = r.BE32();
    section.nextSynthetic = std::max({section.nextSynthetic, nextSynthetic, kFirstSynthetic});
    const UInt32 count = r.BE32();
    for (UInt32 i = 0; r.Ok() && i < count; ++i) {
      Entry e;
      e.id = r.BE32();
      e.parentID = r.BE32();
      e.ino = r.BE64();
      std::string rel;
      if (!ReadString16(r, rel)) break;
      AddLoadedEntry(section, mount, std::move(e), rel);
    }
  }
  out = std::move(sections);
  return true;
}

// The saved catalogue into `out`: nothing for a missing or damaged file. The errno when a
// file is there but cannot be read.
int ReadCatalogue(std::map<std::string, Section>& out) {
  out.clear();
  std::string data;
  const int err = ReadCatalogueBytes(data);
  if (err == 0 && !data.empty()) ParseCatalogue(data, out);
  return err;
}

void Load(State& state) {
  // A file that cannot be read leaves the catalogue empty for this run; saving then fails
  // rather than replace it.
  if (const int err = ReadCatalogue(state.sections)) {
    sp_platform::RecordFailure("Catalog.cpp", "Load", err,
                               "The file catalogue cannot be read; it is kept as it is");
  }
}

// The folders on the way to `folder`, made as needed (owner only, as XDG asks). 0 or the errno.
int MakeFolders(const std::string& folder) {
  for (std::size_t slash = 1; slash != std::string::npos;) {
    slash = folder.find('/', slash + 1);
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

// 0 or the errno.
int WriteAtomically(const std::string& path, const std::vector<UInt8>& bytes) {
  if (const int err = MakeFolders(ParentPath(path))) return err;
  const std::string temporary = path + ".tmp-" + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  int err = 0;
  std::size_t written = 0;
  while (written < bytes.size() && err == 0) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) err = n < 0 ? errno : EIO;
    if (n > 0) written += std::size_t(n);
  }
  if (err == 0 && fdatasync(fd) != 0) err = errno;
  close(fd);
  if (err == 0 && rename(temporary.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) unlink(temporary.c_str());
  return err;
}

// ---- Instances --------------------------------------------------------------------------------
//
// Several instances of the program may run at once on one home. Each saves the catalogue by
// reading the file again under a lock, taking in what the others saved, and writing the
// result; synthetic ids come from a counter they share, so no two hand out the same id.

constexpr UInt32 kLockMagic = 0x53704c6bu;  // 'SpLk'
constexpr UInt64 kSyntheticEnd = 0x100000000ull;
constexpr UInt64 kSyntheticBlock = 64;

// Holds the lock file beside the catalogue, locked. It also keeps the shared counter of
// synthetic ids: it is never replaced, unlike the catalogue. Nested holders share the lock
// (flock would wait for this process itself).
class CatalogueLock {
 public:
  CatalogueLock() {
    State& state = Raw();
    if (state.lockDepth++ > 0) return;
    state.lockError = 0;
    const std::string path = CatalogueFilePath() + ".lock";
    if ((state.lockError = MakeFolders(ParentPath(path))) != 0) return;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      state.lockError = errno;
      return;
    }
    // A file system without locks is used unlocked: nothing better is to be had there.
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    state.lockFd = fd;
  }
  ~CatalogueLock() {
    State& state = Raw();
    if (--state.lockDepth == 0 && state.lockFd >= 0) {
      close(state.lockFd);  // and unlocked
      state.lockFd = -1;
    }
  }
  CatalogueLock(const CatalogueLock&) = delete;
  CatalogueLock& operator=(const CatalogueLock&) = delete;

  int Fd() const { return Raw().lockFd; }
  int Error() const { return Raw().lockError; }
};

// The first synthetic id no instance has reserved; 0 when the lock file holds none.
UInt64 ReadSharedCounter(int fd) {
  UInt8 bytes[12];
  if (pread(fd, bytes, sizeof bytes, 0) != ssize_t(sizeof bytes)) return 0;
  sp::ByteReader r(bytes, sizeof bytes);
  if (r.BE32() != kLockMagic) return 0;
  const UInt64 next = r.BE64();
  return r.Ok() && next <= kSyntheticEnd ? next : 0;
}

bool WriteSharedCounter(int fd, UInt64 next) {
  sp::ByteWriter w;
  w.BE32(kLockMagic);
  w.BE64(next);
  return pwrite(fd, w.Data().data(), w.Size(), 0) == ssize_t(w.Size());
}

// Reserves this run's next block of synthetic ids. Without a lock file no catalogue can be
// saved either, and the ids then only live as long as this run.
bool ReserveSynthetic(State& state) {
  UInt64 start = std::max<UInt64>(state.reservedEnd, kFirstSynthetic);
  for (const auto& kv : state.sections) start = std::max<UInt64>(start, kv.second.nextSynthetic);
  CatalogueLock lock;
  if (lock.Fd() >= 0) start = std::max(start, ReadSharedCounter(lock.Fd()));
  if (start >= kSyntheticEnd) return false;
  const UInt64 end = std::min(start + kSyntheticBlock, kSyntheticEnd);
  if (lock.Fd() >= 0) WriteSharedCounter(lock.Fd(), end);
  state.reservedNext = start;
  state.reservedEnd = end;
  return true;
}

UInt32 NewSyntheticId(Section& section) {
  State& state = Raw();
  for (;;) {
    if (state.reservedNext >= state.reservedEnd && !ReserveSynthetic(state)) return 0;
    const UInt32 id = UInt32(state.reservedNext++);
    if (!IsSyntheticFree(section, id)) continue;  // given by a run before the counter was kept
    section.nextSynthetic =
        std::max(section.nextSynthetic, UInt32(std::min<UInt64>(UInt64(id) + 1, 0xFFFFFFFFu)));
    return id;
  }
}

// A record in the section, replacing the one of its id.
void PutEntry(Section& section, const Entry& e) {
  RemoveEntry(section, e.id);
  section.byPath.emplace(e.path, e.id);  // a path already taken keeps leading to its item
  if (e.id >= kFirstSynthetic) section.syntheticByIno.emplace(e.ino, e.id);
  section.byId[e.id] = e;
}

// Takes in what other instances saved since this run last read or wrote the file. A record
// this run has not changed since then takes the file's version; one it made or changed keeps
// its own, and one it dropped stays dropped unless another instance changed it meanwhile.
// Records of other instances are kept: the pruning before the write drops those of items
// that are gone.
void MergeSaved(State& state, std::map<std::string, Section>& file) {
  for (auto& kv : state.sections) {
    if (file.count(kv.first) == 0) kv.second.saved.clear();
  }
  for (auto& kv : file) {
    Section& ours = state.sections[kv.first];
    Section& theirs = kv.second;
    for (const auto& record : theirs.byId) {
      const UInt64 digest = theirs.saved[record.first];
      const auto base = ours.saved.find(record.first);
      const auto mine = ours.byId.find(record.first);
      Entry e = record.second;
      if (mine == ours.byId.end()) {
        if (base != ours.saved.end() && base->second == digest) continue;  // dropped here
      } else {
        const UInt64 now = Digest(mine->second);
        if (base == ours.saved.end() || base->second != now || now == digest) continue;
        if (mine->second.ino == e.ino) e.dev = mine->second.dev;
      }
      PutEntry(ours, e);
    }
    ours.nextSynthetic = std::max(ours.nextSynthetic, theirs.nextSynthetic);
    ours.saved = std::move(theirs.saved);
  }
}

const Volume* MountedVolumeAt(const std::string& mountPoint) {
  for (const Volume* v : AllVolumes()) {
    if (v->mountPoint == mountPoint) return v;
  }
  return nullptr;
}

}  // namespace

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
  if (!ResolveId(*volume, section, nodeID, 0, path, st)) return fnfErr;
  const Entry& e = section.byId[nodeID];
  struct stat own {};
  out.isLink = lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
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
      const UInt32 parentID = ParentIdOf(*volume, kv.second, to);
      Entry& e = kv.second.byId[it->second];
      if (parentID != 0 && parentID != e.parentID) {
        e.parentID = parentID;
        state.dirty = true;
      }
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
    std::vector<UInt32> gone;
    for (const auto& e : kv.second.byId) {
      if (PathIsInside(e.second.path, path) &&
          (item == 0 || DescendsFrom(kv.second, e.first, item))) {
        gone.push_back(e.first);
      }
    }
    for (UInt32 id : gone) RemoveEntry(kv.second, id);
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

std::string CatalogueFilePath() {
  const char* data = getenv("XDG_DATA_HOME");
  std::string base;
  if (data != nullptr && data[0] == '/') {
    base = data;
  } else {
    const char* home = getenv("HOME");
    base = std::string(home != nullptr && home[0] == '/' ? home : "/tmp") + "/.local/share";
  }
  return base + "/mediamanager/file-catalogue";
}

OSErr SaveCatalogue() {
  State& state = Raw();
  if (!state.loaded || !state.dirty) return noErr;
  CatalogueLock lock;
  if (lock.Fd() < 0) return OSErrFromErrno(lock.Error(), Access::kWrite);
  // A file that is there but cannot be read (another user's, say) is never replaced.
  std::map<std::string, Section> file;
  if (const int err = ReadCatalogue(file)) return OSErrFromErrno(err);
  MergeSaved(state, file);
  // Records of items that are gone (and not found nearby) are dropped, so the file holds
  // no more than what exists. Volumes not mounted now keep theirs untouched.
  for (auto& kv : state.sections) {
    const Volume* volume = MountedVolumeAt(kv.first);
    if (volume == nullptr) continue;
    std::vector<UInt32> ids;
    ids.reserve(kv.second.byId.size());
    for (const auto& e : kv.second.byId) ids.push_back(e.first);
    for (UInt32 id : ids) {
      std::string path;
      struct stat st {};
      if (kv.second.byId.count(id) != 0 && !ResolveId(*volume, kv.second, id, 0, path, st)) {
        RemoveEntry(kv.second, id);
      }
    }
  }
  sp::ByteWriter w;
  w.BE32(kCatalogueMagic);
  w.BE16(kCatalogueVersion);
  std::vector<std::pair<const std::string, Section>*> kept;
  for (auto& kv : state.sections) {
    if (kv.first.size() <= 0xFFFF && !kv.second.byId.empty()) kept.push_back(&kv);
  }
  std::vector<std::unordered_map<UInt32, UInt64>> written(kept.size());
  UInt64 synthetic = state.reservedEnd;
  w.BE32(UInt32(kept.size()));
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const std::string& mount = kept[k]->first;
    const Section& section = kept[k]->second;
    w.BE16(UInt16(mount.size()));
    w.Bytes(mount.data(), mount.size());
    w.BE32(section.nextSynthetic);
    synthetic = std::max<UInt64>(synthetic, section.nextSynthetic);
    // Sorted by id, so that the same catalogue always makes the same file.
    const std::size_t skip = mount == "/" ? 1 : mount.size() + 1;
    std::vector<const Entry*> entries;
    for (const auto& e : section.byId) {
      if (e.second.path.size() > skip && e.second.path.size() - skip <= 0xFFFF) {
        entries.push_back(&e.second);
      }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry* a, const Entry* b) { return a->id < b->id; });
    w.BE32(UInt32(entries.size()));
    for (const Entry* e : entries) {
      w.BE32(e->id);
      w.BE32(e->parentID);
      w.BE64(e->ino);
      const std::string rel = e->path.substr(skip);
      w.BE16(UInt16(rel.size()));
      w.Bytes(rel.data(), rel.size());
      written[k][e->id] = Digest(*e);
    }
  }
  // The shared counter stays above every synthetic id saved, should the lock file have been
  // lost and made anew.
  if (ReadSharedCounter(lock.Fd()) < synthetic) WriteSharedCounter(lock.Fd(), synthetic);
  if (const int err = WriteAtomically(CatalogueFilePath(), w.Data())) {
    return OSErrFromErrno(err, Access::kWrite);
  }
  for (auto& kv : state.sections) kv.second.saved.clear();
  for (std::size_t k = 0; k < kept.size(); ++k) kept[k]->second.saved = std::move(written[k]);
  state.dirty = false;
  return noErr;
}

void RestartCatalogue() {
  SaveCatalogue();
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
  ForgetVolumes();
}

void SetLargestInodeIdForTests(UInt32 largest) {
  Raw().largestInodeId = largest;
}

}  // namespace files
}  // namespace sp_platform
