// The catalogue's file: "$XDG_DATA_HOME/mediamanager/file-catalogue", read when the catalogue is
// first used and written by SaveCatalogue, shared by the instances of the program that run at
// once on one home.
//
// Layout (big-endian): 'SpFC', the version (2), the number of sections, and for each volume's
// section its root folder (16-bit length and bytes), the next synthetic id, the number of
// records, and each record: id, parent id, the item's inode number (64 bits), its kind, what
// else is known of it (Identity::known), its stamp (64 bits) and generation (32 bits), and its
// path relative to the root folder (16-bit length and bytes). Version 1 had no kind, known,
// stamp or generation; its records know their items by number alone.
//
// The journal, "file-catalogue.journal", holds what changed since that file was written, so
// that a flush writes what it changed rather than every record: 'SpFJ', its version (1), the
// snapshot it goes with (inode number, size and modification time of "file-catalogue"; a journal
// that names another is ignored), then batches appended one per flush, each its length, a
// check of its bytes and, per volume's section, its root folder, its next synthetic id, the
// records put (as above) and the ids dropped. A batch cut short by a crash fails its check:
// it and what follows are ignored, and the next flush writes over them. The program's exit,
// a journal grown past the snapshot, or a snapshot another instance replaced, write the
// snapshot anew with an empty journal.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "ByteOrder.h"
#include "FailureReports.h"
#include "Fnv1a.h"
#include "detail/CatalogRecords.h"
#include "detail/FilesInternal.h"
#include "internal/FileSteps.h"
#include "internal/SideFiles.h"

namespace sp_platform {
namespace files {
namespace {

constexpr UInt32 kCatalogueMagic = 0x53704643u;  // 'SpFC'
constexpr UInt16 kCatalogueVersion = 2;
constexpr UInt32 kJournalMagic = 0x5370464Au;  // 'SpFJ'
constexpr UInt16 kJournalVersion = 1;
constexpr std::size_t kJournalHeaderBytes = 4 + 2 + 8 + 8 + 8 + 4;
// A journal is folded into the snapshot once it is larger than the snapshot and this.
constexpr UInt64 kJournalSlack = 256u * 1024u;

std::string JournalFilePath() {
  return CatalogueFilePath() + ".journal";
}
// A damaged or foreign file is not read beyond this.
constexpr std::size_t kMaxCatalogueBytes = 256u * 1024u * 1024u;

// The catalogue file's bytes into `data`: empty when there is none, or when it is too large to
// be one. The errno when something is there that cannot be read: it must then not be replaced.
// `st` is what the file was when read (st_ino 0 when there is none).
int ReadCatalogueBytes(const std::string& path, std::string& data, struct stat& st) {
  data.clear();
  st = {};
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? 0 : errno;
  int err = 0;
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
  if (err != 0) st = {};
  return err;
}

CatalogueMark MarkOf(const struct stat& st) {
  CatalogueMark mark;
  mark.known = st.st_ino != 0;
  mark.ino = UInt64(st.st_ino);
  mark.size = UInt64(st.st_size);
  mark.seconds = SInt64(st.st_mtim.tv_sec);
  mark.nanoseconds = SInt64(st.st_mtim.tv_nsec);
  return mark;
}

bool SameSnapshot(const CatalogueMark& a, const CatalogueMark& b) {
  return a.known && b.known && a.ino == b.ino && a.size == b.size && a.seconds == b.seconds &&
         a.nanoseconds == b.nanoseconds;
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
  UInt64 h = sp::kFnv1a64Basis;
  const auto mix = [&h](const void* data, std::size_t n) { h = sp::Fnv1a64(data, n, h); };
  mix(&e.parentID, sizeof e.parentID);
  mix(&e.ident.ino, sizeof e.ident.ino);
  mix(&e.ident.type, sizeof e.ident.type);
  mix(&e.ident.known, sizeof e.ident.known);
  mix(&e.ident.stamp, sizeof e.ident.stamp);
  mix(&e.ident.generation, sizeof e.ident.generation);
  mix(e.path.data(), e.path.size());
  return h;
}

// One record of the persisted catalogue, checked on its own: a bad one is left out and costs
// its id only. An id below the synthetic ones was its item's inode number when it was given
// (a document replaced by a save keeps its id and has another number now). Two ids may name
// one item (two instances each gave it one): the path leads to the first, the other is found
// by its own id. Of two records that claim one id, the one kept does not hang on the order
// of the file: an id below the synthetic ones goes to the record whose item had that inode
// number, else to the record read first.
bool IsSaneRecord(const Entry& e, const std::string& rel) {
  return IsSafeRelativePath(rel) && e.id > UInt32(fsRtDirID) && e.parentID >= UInt32(fsRtDirID) &&
         e.parentID != e.id && e.ident.type <= kItemLink;
}

std::string FullPath(const std::string& mount, const std::string& rel) {
  return mount == "/" ? "/" + rel : mount + "/" + rel;
}

void AddLoadedEntry(Section& section, const std::string& mount, Entry e, const std::string& rel) {
  if (!IsSaneRecord(e, rel)) return;
  if (auto held = section.byId.find(e.id); held != section.byId.end()) {
    const bool heldOwnsIt = held->second.ident.ino == e.id;
    const bool newOwnsIt = e.id < kFirstSynthetic && e.ident.ino == e.id;
    if (heldOwnsIt || !newOwnsIt) return;
    RemoveEntry(section, e.id);
    section.saved.erase(e.id);
  }
  e.path = FullPath(mount, rel);
  section.saved[e.id] = Digest(e);
  PutEntry(section, e);
}

bool ReadRecord(sp::ByteReader& r, UInt16 version, Entry& e, std::string& rel) {
  e.id = r.BE32();
  e.parentID = r.BE32();
  e.ident.ino = r.BE64();
  if (version >= 2) {
    e.ident.type = r.U8();
    e.ident.known = UInt8(r.U8() & kKnowsEverything);
    e.ident.stamp = r.BE64();
    e.ident.generation = r.BE32();
  }
  return ReadString16(r, rel);
}

// The record in the current layout; `skip` is the length of the volume's root and its '/'.
void WriteRecord(sp::ByteWriter& w, const Entry& e, std::size_t skip) {
  w.BE32(e.id);
  w.BE32(e.parentID);
  w.BE64(e.ident.ino);
  w.U8(e.ident.type);
  w.U8(e.ident.known);
  w.BE64(e.ident.stamp);
  w.BE32(e.ident.generation);
  const std::string rel = e.path.substr(skip);
  w.BE16(UInt16(rel.size()));
  w.Bytes(rel.data(), rel.size());
}

std::size_t RootSkip(const std::string& mount) {
  return mount == "/" ? 1 : mount.size() + 1;
}

// Whether the record's path can be written relative to its volume's root.
bool IsWritable(const Entry& e, std::size_t skip) {
  return e.path.size() > skip && e.path.size() - skip <= 0xFFFF;
}

// Parses a catalogue file. Nothing in it is trusted: a foreign file gives false; in a damaged
// one each record is checked on its own, and reading stops where the data runs out.
bool ParseCatalogue(const std::string& data, std::map<std::string, Section>& out) {
  sp::ByteReader r(data.data(), data.size());
  if (r.BE32() != kCatalogueMagic) return false;
  const UInt16 version = r.BE16();
  // Version 1 knew items by their inode numbers alone.
  if (version != 1 && version != kCatalogueVersion) return false;
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
      std::string rel;
      if (!ReadRecord(r, version, e, rel)) break;
      AddLoadedEntry(section, mount, std::move(e), rel);
    }
  }
  out = std::move(sections);
  return true;
}

// A record another instance put in the journal, or one read after the snapshot: taken
// unless this run changed its own since it last read or wrote the files, or dropped it and
// it is still what it was then.
void TakeRecord(Section& section, Entry e) {
  const UInt64 digest = Digest(e);
  const auto base = section.saved.find(e.id);
  const auto mine = section.byId.find(e.id);
  bool take;
  if (mine == section.byId.end()) {
    take = base == section.saved.end() || base->second != digest;
  } else {
    const UInt64 now = Digest(mine->second);
    take = base != section.saved.end() && base->second == now && now != digest;
    if (take && mine->second.ident.ino == e.ident.ino) e.dev = mine->second.dev;
  }
  if (take) PutEntry(section, e);
  section.saved[e.id] = digest;
}

// A record another instance dropped: dropped here too unless this run changed it since.
void DropRecord(Section& section, UInt32 id) {
  const auto base = section.saved.find(id);
  const auto mine = section.byId.find(id);
  if (mine != section.byId.end() && base != section.saved.end() &&
      base->second == Digest(mine->second)) {
    RemoveEntry(section, id);
  }
  section.saved.erase(id);
}

UInt64 Checksum(const UInt8* bytes, std::size_t n) {
  return sp::Fnv1a64(bytes, n);
}

bool JournalGoesWith(const std::string& data, const CatalogueMark& snapshot) {
  if (data.size() < kJournalHeaderBytes) return false;
  sp::ByteReader r(data.data(), kJournalHeaderBytes);
  return r.BE32() == kJournalMagic && r.BE16() == kJournalVersion && r.BE64() == snapshot.ino &&
         r.BE64() == snapshot.size && SInt64(r.BE64()) == snapshot.seconds &&
         SInt64(r.BE32()) == snapshot.nanoseconds && r.Ok();
}

std::vector<UInt8> JournalHeader(const CatalogueMark& snapshot) {
  sp::ByteWriter w;
  w.BE32(kJournalMagic);
  w.BE16(kJournalVersion);
  w.BE64(snapshot.ino);
  w.BE64(snapshot.size);
  w.BE64(UInt64(snapshot.seconds));
  w.BE32(UInt32(snapshot.nanoseconds));
  return w.Data();
}

// Takes the journal's batches from `from` on into the sections; gives where the last whole
// batch ends. A batch that is cut short or fails its check ends the journal there.
std::size_t ApplyJournal(const std::string& data, std::size_t from,
                         std::map<std::string, Section>& sections) {
  std::size_t end = from;
  while (data.size() - end >= 12) {
    sp::ByteReader head(data.data() + end, 12);
    const UInt32 length = head.BE32();
    const UInt64 check = head.BE64();
    if (data.size() - end - 12 < length) break;
    const UInt8* body = reinterpret_cast<const UInt8*>(data.data()) + end + 12;
    if (Checksum(body, length) != check) break;
    end += 12 + std::size_t(length);
    sp::ByteReader r(body, length);
    const UInt32 sectionCount = r.BE32();
    for (UInt32 s = 0; r.Ok() && s < sectionCount; ++s) {
      std::string mount;
      if (!ReadString16(r, mount)) break;
      const bool valid =
          !mount.empty() && mount[0] == '/' && mount.find('\0') == std::string::npos;
      Section ignored;
      Section& section = valid ? sections[mount] : ignored;
      section.nextSynthetic = std::max({section.nextSynthetic, r.BE32(), kFirstSynthetic});
      const UInt32 puts = r.BE32();
      for (UInt32 i = 0; r.Ok() && i < puts; ++i) {
        Entry e;
        std::string rel;
        if (!ReadRecord(r, kCatalogueVersion, e, rel)) break;
        if (!IsSaneRecord(e, rel)) continue;
        e.path = FullPath(mount, rel);
        TakeRecord(section, std::move(e));
      }
      const UInt32 drops = r.BE32();
      for (UInt32 i = 0; r.Ok() && i < drops; ++i) {
        const UInt32 id = r.BE32();
        if (r.Ok()) DropRecord(section, id);
      }
    }
  }
  return end;
}

// The saved catalogue into `out`, the journal's batches taken in: nothing for a missing or
// damaged snapshot. `mark` is what was read. The errno when a file is there but cannot be
// read.
int ReadCatalogue(std::map<std::string, Section>& out, CatalogueMark& mark) {
  out.clear();
  mark = CatalogueMark();
  std::string data;
  struct stat st {};
  if (const int err = ReadCatalogueBytes(CatalogueFilePath(), data, st)) return err;
  if (data.empty() || !ParseCatalogue(data, out)) return 0;
  const CatalogueMark snapshot = MarkOf(st);
  if (const int err = ReadCatalogueBytes(JournalFilePath(), data, st)) return err;
  mark = snapshot;
  if (JournalGoesWith(data, snapshot)) {
    mark.journalEnd = ApplyJournal(data, kJournalHeaderBytes, out);
  }
  return 0;
}

}  // namespace

void LoadCatalogue(State& state) {
  // A file that cannot be read leaves the catalogue empty for this run; saving then fails
  // rather than replace it.
  if (const int err = ReadCatalogue(state.sections, state.mark)) {
    sp_platform::RecordFailure("CatalogFile.cpp", "Load", err,
                               "The file catalogue cannot be read; it is kept as it is");
  }
}

namespace {

// The folders on the way to `folder`, made as needed (owner only, as XDG asks). 0 or the errno.
int MakeFolders(const std::string& folder) {
  for (std::size_t slash = 1; slash != std::string::npos;) {
    slash = folder.find('/', slash + 1);
    const std::string part = folder.substr(0, slash);
    if (StepMkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

// 0 or the errno. `result`, when given, is what the file is now. The side file is
// "<name>.tmp-<tag>", which RemoveStaleTemporaries knows.
int WriteAtomically(const std::string& path, const std::vector<UInt8>& bytes,
                    struct stat* result = nullptr) {
  if (const int err = MakeFolders(ParentPath(path))) return err;
  const auto fill = [&](int fd, const std::string&) {
    const int err = WriteAllBytes(fd, bytes.data(), bytes.size());
    if (err != 0 || result == nullptr) return err;
    return fstat(fd, result) != 0 ? errno : 0;
  };
  return ReplaceThroughSideFile(path, BaseName(path) + ".tmp-", "", 0600, fill);
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
    const int fd = StepOpen(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      state.lockError = errno;
      return;
    }
    // A file system without locks is used unlocked: nothing better is to be had there.
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    state.lockHeld = locked == 0;
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
  bool Held() const { return Raw().lockHeld; }
};

// Removes the temporary files of saves that never finished ("file-catalogue.tmp-<tag>" and
// "file-catalogue.journal.tmp-<tag>" of a process killed while writing), so they do not pile up
// beside the catalogue. While the lock is held no other instance is writing one, so all but this
// process's go; without a working lock only those of processes that are gone.
void RemoveStaleTemporaries(bool locked) {
  for (const std::string& path : {CatalogueFilePath(), JournalFilePath()}) {
    RemoveEndedSideFiles(ParentPath(path), BaseName(path) + ".tmp-", "", locked);
  }
}

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

bool IsSyntheticFree(const Section& section, UInt32 id) {
  return id >= kFirstSynthetic && section.byId.find(id) == section.byId.end();
}

}  // namespace

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

namespace {

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
        if (mine->second.ident.ino == e.ident.ino) e.dev = mine->second.dev;
      }
      PutEntry(ours, e);
    }
    ours.nextSynthetic = std::max(ours.nextSynthetic, theirs.nextSynthetic);
    ours.saved = std::move(theirs.saved);
  }
}

}  // namespace

std::string ProgramDataFolder() {
  const char* data = getenv("XDG_DATA_HOME");
  std::string base;
  if (data != nullptr && data[0] == '/') {
    base = data;
  } else {
    const char* home = getenv("HOME");
    base = std::string(home != nullptr && home[0] == '/' ? home : "/tmp") + "/.local/share";
  }
  return base + "/mediamanager";
}

std::string CatalogueFilePath() {
  return ProgramDataFolder() + "/file-catalogue";
}

namespace {

// The shared counter stays above every synthetic id saved, should the lock file have been
// lost and made anew.
void KeepCounterAbove(const CatalogueLock& lock, UInt64 synthetic) {
  if (ReadSharedCounter(lock.Fd()) < synthetic) WriteSharedCounter(lock.Fd(), synthetic);
}

// Writes the whole catalogue as a new snapshot with an empty journal, under the lock.
OSErr WriteSnapshot(State& state, const CatalogueLock& lock) {
  // A file that is there but cannot be read (another user's, say) is never replaced.
  std::map<std::string, Section> file;
  CatalogueMark read;
  if (const int err = ReadCatalogue(file, read)) return OSErrFromErrno(err);
  RemoveStaleTemporaries(lock.Held());
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
      // What is at its path by its number is kept without more ado: a record is checked
      // fully when it is used.
      auto e = kv.second.byId.find(id);
      if (e == kv.second.byId.end() || MayBeAtItsPath(e->second)) continue;
      std::string path;
      struct stat st {};
      if (!ResolveId(*volume, kv.second, id, 0, path, st)) RemoveEntry(kv.second, id);
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
    const std::size_t skip = RootSkip(mount);
    std::vector<const Entry*> entries;
    for (const auto& e : section.byId) {
      if (IsWritable(e.second, skip)) entries.push_back(&e.second);
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry* a, const Entry* b) { return a->id < b->id; });
    w.BE32(UInt32(entries.size()));
    for (const Entry* e : entries) {
      WriteRecord(w, *e, skip);
      written[k][e->id] = Digest(*e);
    }
  }
  KeepCounterAbove(lock, synthetic);
  struct stat st {};
  if (const int err = WriteAtomically(CatalogueFilePath(), w.Data(), &st)) {
    return OSErrFromErrno(err, Access::kWrite);
  }
  for (auto& kv : state.sections) kv.second.saved.clear();
  for (std::size_t k = 0; k < kept.size(); ++k) kept[k]->second.saved = std::move(written[k]);
  state.dirty = false;
  // The snapshot holds everything now: a journal that failed to be written is one that does
  // not go with it, and the next flush writes the snapshot again.
  state.mark = MarkOf(st);
  if (WriteAtomically(JournalFilePath(), JournalHeader(state.mark)) != 0) {
    state.mark.known = false;
  }
  state.mark.journalEnd = kJournalHeaderBytes;
  return noErr;
}

// The batch of what this run changed since it last read or wrote the files: records put and
// ids dropped, per volume. Empty when nothing changed. `digests` gets the records written.
using WrittenDigests = std::vector<std::pair<Section*, std::vector<std::pair<UInt32, UInt64>>>>;

std::vector<UInt8> ChangedRecords(State& state, WrittenDigests& digests, UInt64& synthetic) {
  sp::ByteWriter body;
  UInt32 sections = 0;
  body.BE32(0);
  for (auto& kv : state.sections) {
    const std::string& mount = kv.first;
    Section& section = kv.second;
    if (mount.size() > 0xFFFF) continue;
    const std::size_t skip = RootSkip(mount);
    std::vector<std::pair<const Entry*, UInt64>> puts;
    for (const auto& e : section.byId) {
      const UInt64 digest = Digest(e.second);
      const auto base = section.saved.find(e.first);
      if ((base == section.saved.end() || base->second != digest) && IsWritable(e.second, skip)) {
        puts.emplace_back(&e.second, digest);
      }
    }
    std::vector<UInt32> drops;
    for (const auto& saved : section.saved) {
      if (section.byId.find(saved.first) == section.byId.end()) drops.push_back(saved.first);
    }
    if (puts.empty() && drops.empty()) continue;
    std::sort(puts.begin(), puts.end(),
              [](const auto& a, const auto& b) { return a.first->id < b.first->id; });
    std::sort(drops.begin(), drops.end());
    ++sections;
    body.BE16(UInt16(mount.size()));
    body.Bytes(mount.data(), mount.size());
    body.BE32(section.nextSynthetic);
    synthetic = std::max<UInt64>(synthetic, section.nextSynthetic);
    body.BE32(UInt32(puts.size()));
    digests.emplace_back(&section, std::vector<std::pair<UInt32, UInt64>>());
    for (const auto& p : puts) {
      WriteRecord(body, *p.first, skip);
      digests.back().second.emplace_back(p.first->id, p.second);
    }
    body.BE32(UInt32(drops.size()));
    for (UInt32 id : drops) {
      body.BE32(id);
      digests.back().second.emplace_back(id, 0);
    }
  }
  if (sections == 0) return {};
  std::vector<UInt8> bytes = body.Data();
  sp::ByteWriter count;
  count.BE32(sections);
  std::copy(count.Data().begin(), count.Data().end(), bytes.begin());
  sp::ByteWriter batch;
  batch.BE32(UInt32(bytes.size()));
  batch.BE64(Checksum(bytes.data(), bytes.size()));
  batch.Bytes(bytes.data(), bytes.size());
  return batch.Data();
}

// Appends what this run changed to the journal, under the lock, after taking in the batches
// other instances appended since this run last looked. False when the journal is not the
// one this run knows (the snapshot was replaced, or there is none): the snapshot is written
// then. `err` is set when the append itself failed.
bool AppendToJournal(State& state, const CatalogueLock& lock, int& err) {
  err = 0;
  if (!state.mark.known || state.mark.journalEnd < kJournalHeaderBytes) return false;
  struct stat st {};
  if (stat(CatalogueFilePath().c_str(), &st) != 0 || !SameSnapshot(MarkOf(st), state.mark)) {
    return false;
  }
  const int fd = open(JournalFilePath().c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  // Only the header and what was appended since this run last looked are read.
  const auto readAt = [fd](std::string& out, UInt64 at, UInt64 size) {
    out.resize(std::size_t(size));
    std::size_t got = 0;
    while (got < out.size()) {
      const ssize_t n = pread(fd, &out[got], out.size() - got, off_t(at + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += std::size_t(n);
    }
    return got == out.size();
  };
  std::string header, tail;
  bool ours = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              UInt64(st.st_size) >= state.mark.journalEnd &&
              UInt64(st.st_size) - state.mark.journalEnd <= kMaxCatalogueBytes &&
              readAt(header, 0, kJournalHeaderBytes) && JournalGoesWith(header, state.mark) &&
              readAt(tail, state.mark.journalEnd, UInt64(st.st_size) - state.mark.journalEnd);
  UInt64 end = 0;
  if (ours) {
    end = state.mark.journalEnd + ApplyJournal(tail, 0, state.sections);
    state.mark.journalEnd = end;
    // A journal grown larger than its snapshot is folded into a new one.
    ours = end <= std::max<UInt64>(state.mark.size, kJournalSlack);
  }
  if (!ours) {
    close(fd);
    return false;
  }
  WrittenDigests digests;
  UInt64 synthetic = state.reservedEnd;
  const std::vector<UInt8> batch = ChangedRecords(state, digests, synthetic);
  if (!batch.empty()) {
    KeepCounterAbove(lock, synthetic);
    // Whatever follows the last whole batch (one cut short by a crash) is written over.
    std::size_t written = 0;
    while (written < batch.size() && err == 0) {
      const ssize_t n =
          pwrite(fd, batch.data() + written, batch.size() - written, off_t(end + written));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) err = n < 0 ? errno : EIO;
      if (n > 0) written += std::size_t(n);
    }
    if (err == 0 && ftruncate(fd, off_t(end + batch.size())) != 0) err = errno;
    if (err == 0 && fdatasync(fd) != 0) err = errno;
    if (err != 0) {
      // Nothing half-written is left for others to read past.
      if (ftruncate(fd, off_t(end)) != 0) state.mark.known = false;
      close(fd);
      return true;
    }
    for (auto& d : digests) {
      for (const auto& id : d.second) {
        if (d.first->byId.count(id.first) != 0) {
          d.first->saved[id.first] = id.second;
        } else {
          d.first->saved.erase(id.first);
        }
      }
    }
    state.mark.journalEnd = end + batch.size();
  }
  close(fd);
  state.dirty = false;
  return true;
}

}  // namespace

OSErr SaveCatalogue() {
  State& state = Raw();
  if (!state.loaded || !state.dirty) return noErr;
  CatalogueLock lock;
  if (lock.Fd() < 0) return OSErrFromErrno(lock.Error(), Access::kWrite);
  int err = 0;
  if (AppendToJournal(state, lock, err)) {
    return err != 0 ? OSErrFromErrno(err, Access::kWrite) : OSErr(noErr);
  }
  return WriteSnapshot(state, lock);
}

OSErr CompactCatalogue() {
  State& state = Raw();
  if (!state.loaded || (!state.dirty && state.mark.journalEnd <= kJournalHeaderBytes)) {
    return noErr;
  }
  CatalogueLock lock;
  if (lock.Fd() < 0) return OSErrFromErrno(lock.Error(), Access::kWrite);
  return WriteSnapshot(state, lock);
}

}  // namespace files
}  // namespace sp_platform
