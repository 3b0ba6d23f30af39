// Records of the files the program makes only for a while (see detail/Temporaries.h).
#include "detail/Temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "ByteOrder.h"
#include "Files.h"
#include "detail/Catalog.h"
#include "detail/FilesInternal.h"
#include "detail/Folders.h"
#include "detail/Identity.h"
#include "detail/Trash.h"
#include "internal/FileSteps.h"
#include "internal/SideFiles.h"

namespace sp_platform {
namespace files {
namespace {

constexpr UInt32 kRecordMagic = 0x5370546Du;  // 'SpTm'
// Version 2 adds the machine and its boot after the start time; version 1 records, which
// older starts wrote, are still read (as this machine's).
constexpr UInt16 kRecordVersion = 2;
constexpr UInt16 kRecordVersionWithoutHost = 1;
// Nothing longer is a path of this system; a larger record is no record of ours.
constexpr std::size_t kMaxPathBytes = 4096;
constexpr std::size_t kIdentityBytes = 1 + 8 + 8 + 1 + 1 + 8 + 4;
constexpr std::size_t kMaxRecordBytes = 4 + 2 + 1 + 4 + 8 + 8 + 2 + kMaxPathBytes + kIdentityBytes;
// Names of records of ended processes that had this process's id are passed over; so many
// never are.
constexpr int kMaxRecordNames = 1000;

struct Record {
  TemporaryKind kind = TemporaryKind::kFile;
  UInt32 pid = 0;
  UInt64 started = 0;
  bool marked = false;  // the machine below is known
  HostMark host;
  std::string path;
  bool made = false;  // the identity below is known
  UInt64 device = 0;
  Identity identity;
};

struct Own {
  std::string recordPath;
  std::string path;
  std::size_t identityOffset = 0;
};

struct State {
  std::map<UInt32, Own> own;
  UInt32 next = 1;
};

State& S() {
  static State* state = new State;
  return *state;
}

// When the process started, in clock ticks after boot (field 22 of /proc/<pid>/stat, after the
// command name, which may hold anything up to its last ')'); 0 when it cannot be read.
UInt64 StartTimeOf(UInt32 pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(file, text)) return 0;
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  for (int n = 3; n <= 22 && fields >> field; ++n) {
    if (n == 22) return std::strtoull(field.c_str(), nullptr, 10);
  }
  return 0;
}

// A process that has ended: one of this machine's that ran before its last start, no process
// of the id, or one that started at another time (the id was given again). Another machine's
// processes, and one that cannot be looked at, count as running.
bool HasEnded(const Record& r) {
  if (r.marked && r.host.host != ThisHost().host) return false;
  if (r.marked && r.host.boot != ThisHost().boot) return true;
  if (r.pid == 0) return true;
  if (kill(pid_t(r.pid), 0) != 0 && errno == ESRCH) return true;
  const UInt64 started = StartTimeOf(r.pid);
  return r.started != 0 && started != 0 && started != r.started;
}

void WriteIdentity(sp::ByteWriter& w, bool made, UInt64 device, const Identity& id) {
  w.U8(made ? 1 : 0);
  w.BE64(device);
  w.BE64(id.ino);
  w.U8(id.type);
  w.U8(id.known);
  w.BE64(id.stamp);
  w.BE32(id.generation);
}

bool ParseRecord(const std::string& bytes, Record& r) {
  sp::ByteReader in(reinterpret_cast<const UInt8*>(bytes.data()), bytes.size());
  if (in.BE32() != kRecordMagic) return false;
  const UInt16 version = in.BE16();
  if (version != kRecordVersion && version != kRecordVersionWithoutHost) return false;
  const UInt8 kind = in.U8();
  if (kind != UInt8(TemporaryKind::kFile) && kind != UInt8(TemporaryKind::kTrashInfo) &&
      kind != UInt8(TemporaryKind::kTrashItem)) {
    return false;
  }
  r.kind = TemporaryKind(kind);
  r.pid = in.BE32();
  r.started = in.BE64();
  r.marked = version == kRecordVersion;
  if (r.marked) {
    r.host.host = in.BE32();
    r.host.boot = in.BE32();
  }
  const UInt16 length = in.BE16();
  if (length == 0 || length > kMaxPathBytes || !in.Has(length)) return false;
  r.path.assign(reinterpret_cast<const char*>(in.Current()), length);
  in.Skip(length);
  r.made = in.U8() == 1;
  r.device = in.BE64();
  r.identity.ino = in.BE64();
  r.identity.type = in.U8();
  r.identity.known = in.U8();
  r.identity.stamp = in.BE64();
  r.identity.generation = in.BE32();
  return in.Ok() && r.path[0] == '/' && r.path.find('\0') == std::string::npos;
}

// "<process id>-<n>@<machine>": records of two machines sharing the folder never meet.
std::string RecordName(UInt32 n) {
  return std::to_string(getpid()) + "-" + std::to_string(n) + "@" + HostMarkText();
}

bool ReadRecord(const std::string& file, Record& r) {
  const int fd = OpenRegularFile(file, O_RDONLY);
  if (fd < 0) return false;
  std::string bytes(kMaxRecordBytes + 1, '\0');
  std::size_t got = 0;
  for (ssize_t n; got < bytes.size() && (n = read(fd, &bytes[got], bytes.size() - got)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    got += std::size_t(n);
  }
  close(fd);
  if (got > kMaxRecordBytes) return false;
  bytes.resize(got);
  return ParseRecord(bytes, r);
}

OSErr WriteWhole(int fd, const std::vector<UInt8>& bytes, off_t at) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, at + off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? OSErrFromErrno(errno, Access::kWrite) : OSErr(ioErr);
    done += std::size_t(n);
  }
  return fdatasync(fd) != 0 ? OSErrFromErrno(errno, Access::kWrite) : OSErr(noErr);
}

// The item at `path` now, when it is the one recorded.
bool StillTheRecordedItem(const Record& r, struct stat& st) {
  if (!r.made || lstat(r.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return UInt64(st.st_dev) == r.device && SameIdentity(r.identity, IdentityOf(r.path, st, false));
}

constexpr char kTrashInfoSuffix[] = ".trashinfo";

// The item a Trash info file keeps the place of ("<trash>/files/<name>" for
// "<trash>/info/<name>.trashinfo"), and the other way round; empty for other paths.
std::string TrashItemOfInfo(const std::string& info) {
  const std::string suffix = kTrashInfoSuffix;
  const std::string name = BaseName(info);
  if (name.size() <= suffix.size() ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return std::string();
  }
  return JoinPath(ParentPath(ParentPath(info)), "files") + "/" +
         name.substr(0, name.size() - suffix.size());
}
std::string TrashInfoOfItem(const std::string& item) {
  return JoinPath(ParentPath(ParentPath(item)), "info") + "/" + BaseName(item) + kTrashInfoSuffix;
}

// Whether a record of a Trash entry names a place such an entry has: an item at the top of a
// Trash's "files" folder, an info file in the "info" folder beside it. Only there does a
// record's entry go; a record naming any other file (damaged, or written by something else)
// removes nothing.
bool InTrashOfItsKind(const Record& r) {
  if (r.kind == TemporaryKind::kFile) return true;
  const std::string folder = ParentPath(r.path);
  if (r.kind == TemporaryKind::kTrashItem) return !TrashOfFilesFolder(folder).empty();
  return BaseName(folder) == "info" && !TrashItemOfInfo(r.path).empty() &&
         !TrashOfFilesFolder(ParentPath(TrashItemOfInfo(r.path))).empty();
}

// Whether an info file lists its item: there and not empty.
bool InfoFileWritten(const std::string& info) {
  struct stat st {};
  return lstat(info.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_size != 0);
}

// A record is written and synced just before its item is made, and learns the item just after:
// a kill between the two leaves a record that knows no item. A Trash entry of the record's path
// that is empty and came into being within these seconds of the record is that item.
constexpr time_t kMadeWithinSeconds = 10;

bool MadeJustAfterRecord(const struct stat& item, const struct timespec& recorded) {
  return item.st_ctim.tv_sec + 1 >= recorded.tv_sec &&
         item.st_ctim.tv_sec <= recorded.tv_sec + kMadeWithinSeconds;
}

// The Trash entry a record that never learnt it left empty, when it did.
bool UnlearntTrashEntry(const Record& r, const struct timespec& recorded) {
  if (r.made || r.kind == TemporaryKind::kFile) return false;
  struct stat st {};
  if (lstat(r.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !MadeJustAfterRecord(st, recorded)) {
    return false;
  }
  // An info file is made empty before its item comes; an item comes only once its info
  // file's record knows it, so an item of the name beside it is another program's.
  if (r.kind == TemporaryKind::kTrashInfo) {
    const std::string item = TrashItemOfInfo(r.path);
    struct stat other {};
    return st.st_size == 0 && !item.empty() && lstat(item.c_str(), &other) != 0;
  }
  return !InfoFileWritten(TrashInfoOfItem(r.path));
}

// Removes what a record of an ended process left; false when the record must stay.
bool RemoveLeftover(const Record& r, const struct timespec& recorded,
                    const std::vector<std::string>& livePaths, int& removed) {
  struct stat folder {};
  if (stat(ParentPath(r.path).c_str(), &folder) != 0) return false;
  struct stat st {};
  if (!InTrashOfItsKind(r)) return true;
  if (!StillTheRecordedItem(r, st) && !UnlearntTrashEntry(r, recorded)) return true;
  for (const std::string& live : livePaths) {
    if (live == r.path) return true;
  }
  // A filled info file describes an item that arrived: both are the Trash's now. The item
  // goes by its own record, as the very file linked or copied there, never by its name.
  if (r.kind == TemporaryKind::kTrashInfo && st.st_size != 0) return true;
  if (r.kind == TemporaryKind::kTrashItem && InfoFileWritten(TrashInfoOfItem(r.path))) return true;
  if (StepUnlink(r.path.c_str()) == 0) {
    NoteDeleted(r.path);
    ++removed;
  }
  return true;
}

}  // namespace

OSErr SyncPath(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OSErrFromErrno(errno);
  const OSErr err =
      StepSync(fd, path.c_str()) != 0 ? OSErrFromErrno(errno, Access::kWrite) : OSErr(noErr);
  close(fd);
  return err;
}

std::string TemporariesFolder() {
  return ProgramDataFolder() + "/temporaries";
}

OSErr RecordTemporary(const std::string& path, TemporaryKind kind, UInt32& number) {
  number = 0;
  if (path.empty() || path[0] != '/' || path.size() > kMaxPathBytes) return bdNamErr;
  const std::string folder = TemporariesFolder();
  OSErr err = MakeFolders(folder);
  if (err != noErr) return err;
  sp::ByteWriter w;
  w.BE32(kRecordMagic);
  w.BE16(kRecordVersion);
  w.U8(UInt8(kind));
  w.BE32(UInt32(getpid()));
  w.BE64(StartTimeOf(UInt32(getpid())));
  w.BE32(ThisHost().host);
  w.BE32(ThisHost().boot);
  w.BE16(UInt16(path.size()));
  w.Bytes(path.data(), path.size());
  const std::size_t identityOffset = w.Size();
  WriteIdentity(w, false, 0, Identity());
  State& s = S();
  for (int attempt = 0; attempt < kMaxRecordNames; ++attempt) {
    const UInt32 n = s.next++;
    const std::string file = folder + "/" + RecordName(n);
    const int fd =
        StepOpen(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    // A record of an ended process that had the same id keeps its name.
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return OSErrFromErrnoAt(errno, file, Access::kWrite);
    err = WriteWhole(fd, w.Data(), 0);
    close(fd);
    if (err != noErr) {
      StepUnlink(file.c_str());
      return err;
    }
    // The folder's entry of the record reaches the disk with it.
    SyncPath(folder);
    s.own[n] = Own{file, path, identityOffset};
    number = n;
    return noErr;
  }
  return dupFNErr;
}

OSErr TemporaryMade(UInt32 number, const std::string& like) {
  auto it = S().own.find(number);
  if (it == S().own.end()) return paramErr;
  const Own& own = it->second;
  const std::string& item = like.empty() ? own.path : like;
  struct stat st {};
  if (lstat(item.c_str(), &st) != 0) return OSErrFromErrno(errno);
  sp::ByteWriter w;
  WriteIdentity(w, true, UInt64(st.st_dev), IdentityOf(item, st, true));
  const int fd = OpenRegularFile(own.recordPath, O_WRONLY);
  if (fd < 0) return OSErrFromErrno(errno, Access::kWrite);
  const OSErr err = WriteWhole(fd, w.Data(), off_t(own.identityOffset));
  close(fd);
  return err;
}

void ForgetTemporary(UInt32 number) {
  auto it = S().own.find(number);
  if (it == S().own.end()) return;
  StepUnlink(it->second.recordPath.c_str());
  S().own.erase(it);
}

int RemoveLeftoverTemporaries() {
  const std::string folder = TemporariesFolder();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return 0;
  struct Ended {
    std::string file;
    Record record;
    struct timespec written;  // when the record was written
  };
  std::vector<Ended> ended;
  std::vector<std::string> livePaths;
  while (dirent* d = readdir(dir)) {
    if (d->d_name[0] == '.') continue;
    Record r;
    const std::string file = folder + "/" + d->d_name;
    // What is no record of ours is left alone.
    struct stat st {};
    if (lstat(file.c_str(), &st) != 0 || !ReadRecord(file, r)) continue;
    if (HasEnded(r)) {
      ended.push_back(Ended{file, r, st.st_mtim});
    } else {
      livePaths.push_back(r.path);
    }
  }
  closedir(dir);
  int removed = 0;
  for (const Ended& e : ended) {
    if (RemoveLeftover(e.record, e.written, livePaths, removed)) StepUnlink(e.file.c_str());
  }
  return removed;
}

}  // namespace files
}  // namespace sp_platform

using namespace sp_platform::files;

std::string SpProgramDataFolder() {
  return ProgramDataFolder();
}

OSErr SpRecordTemporaryFile(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName,
                            UInt32* recordNumber) {
  if (recordNumber == nullptr || fileName == nullptr || fileName[0] == 0) return paramErr;
  *recordNumber = 0;
  Location item;
  const OSErr err = LocateClassic(vRefNum, dirID, fileName, item);
  if (err != noErr && err != fnfErr) return err;
  return RecordTemporary(item.path, TemporaryKind::kFile, *recordNumber);
}

OSErr SpTemporaryFileMade(UInt32 recordNumber) {
  return TemporaryMade(recordNumber);
}

void SpForgetTemporaryFile(UInt32 recordNumber) {
  ForgetTemporary(recordNumber);
}

ItemCount SpRemoveLeftoverTemporaryFiles() {
  return ItemCount(RemoveLeftoverTemporaries());
}
