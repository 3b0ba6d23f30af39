// The freedesktop Trash's info files, kept in step with the items (see detail/Trash.h).

#include "detail/Trash.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DateTimeUtils.h"
#include "Folders.h"
#include "base/internal/Clock.h"
#include "detail/Catalog.h"
#include "detail/FilesInternal.h"
#include "detail/Folders.h"
#include "detail/Forks.h"
#include "detail/Temporaries.h"
#include "internal/FileSteps.h"
#include "internal/SideFiles.h"

namespace sp_platform {
namespace files {
namespace {

constexpr const char kInfoSuffix[] = ".trashinfo";
constexpr std::size_t kInfoSuffixLength = sizeof(kInfoSuffix) - 1;

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string DirName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string UidText() {
  return std::to_string(static_cast<unsigned long>(getuid()));
}

// Two spellings of one folder: equal texts, or the same inode when both exist (a HOME
// reached through a symbolic link).
bool SameFolder(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The Trash whose "files" folder holds `path` directly; empty for anything else, also for
// items deeper inside a trashed folder (they have no info files of their own).
std::string TrashOfTopLevelItem(const std::string& path) {
  std::string item = StripTrailingSlashes(path);
  if (item.empty() || item[0] != '/') return std::string();
  return TrashOfFilesFolder(DirName(item));
}

std::string InfoPath(const std::string& trash, const std::string& name) {
  return trash + "/info/" + name + kInfoSuffix;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The volume folder a Trash belongs to: "$topdir" of "$topdir/.Trash-$uid" or
// "$topdir/.Trash/$uid"; empty for the home Trash, whose records keep absolute paths.
std::string TopDirOfTrash(const std::string& trash) {
  if (SameFolder(trash, HomeTrashFolder())) return std::string();
  std::string name = BaseName(trash);
  if (name == ".Trash-" + UidText()) return DirName(trash);
  if (name == UidText() && BaseName(DirName(trash)) == ".Trash") return DirName(DirName(trash));
  return std::string();
}

// What "Path=" records for an item that was at `from`: relative to the volume's top folder
// when the Trash is a volume's own (the volume may be mounted elsewhere when it is restored),
// else absolute.
std::string RecordedPath(const std::string& trash, const std::string& from) {
  std::string top = TopDirOfTrash(trash);
  if (top.empty()) return from;
  std::string prefix = top == "/" ? top : top + "/";
  if (from.size() > prefix.size() && from.compare(0, prefix.size(), prefix) == 0)
    return from.substr(prefix.size());
  return from;
}

// `name` cut to at most `bytes` bytes, never inside a UTF-8 sequence.
std::string CutUtf8(const std::string& name, std::size_t bytes) {
  if (name.size() <= bytes) return name;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

// Candidate names for an item moving into a Trash: the name itself, then the name and a space
// and the try number, as the Trash's other renames do. Each is cut so that its info file's
// name still fits the file system; the info file keeps the full original path.
std::string CandidateName(const std::string& name, int attempt) {
  std::string tail = attempt > 0 ? " " + std::to_string(attempt) : std::string();
  return CutUtf8(name, NAME_MAX - kInfoSuffixLength - tail.size()) + tail;
}

constexpr int kMaxCandidates = 10000;

OSErr WriteAll(int fd, const std::string& text) {
  if (const int err = WriteAllBytes(fd, text.data(), text.size())) return OSErrFromErrno(err);
  return fdatasync(fd) != 0 ? OSErrFromErrno(errno) : OSErr(noErr);
}

// An info file made for an item coming into a Trash, open for writing, and where that item
// goes.
struct NewInfoFile {
  int fd = -1;
  std::string info;
  std::string item;
  UInt32 record = 0;      // its record as a temporary file, when it has one
  UInt32 itemRecord = 0;  // the item's record, once the item is on its way
};

// The info file is made (never replaced) before the item comes in: its name is then this
// item's, whatever other programs trash at the same time. A name whose info file or item is
// already there is passed over for the next candidate; with `ownNameOnly`, the caller's own
// name taken by an item answers dupFNErr, as a move onto an existing item always does. With
// `recorded` the info file is recorded as a temporary file of this process before it is made,
// so that one left empty by a kill is removed later (a record that cannot be written is done
// without: the info file is only less likely to be cleaned up).
OSErr MakeInfoFile(const std::string& trash, const std::string& name, bool ownNameOnly,
                   bool recorded, NewInfoFile& out) {
  for (int attempt = 0; attempt < kMaxCandidates; ++attempt) {
    const std::string candidate = CandidateName(name, attempt);
    const std::string item = trash + "/files/" + candidate;
    if (Exists(item)) {
      if (ownNameOnly && candidate == name) return dupFNErr;
      continue;
    }
    const std::string info = InfoPath(trash, candidate);
    UInt32 record = 0;
    if (recorded && RecordTemporary(info, TemporaryKind::kTrashInfo, record) != noErr) record = 0;
    const int fd =
        StepOpen(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      const int e = errno;
      ForgetTemporary(record);
      if (e == EEXIST) continue;
      return OSErrFromErrno(e, Access::kWrite);
    }
    if (record != 0) TemporaryMade(record);
    out.fd = fd;
    out.info = info;
    out.item = item;
    out.record = record;
    return noErr;
  }
  return dupFNErr;
}

// Closes and removes an info file whose item did not come (or went again).
void DropInfoFile(NewInfoFile& made) {
  if (made.fd >= 0) close(made.fd);
  made.fd = -1;
  StepUnlink(made.info.c_str());
  ForgetTemporary(made.record);
}

// The info file of an item moving in is written whole before the move.
OSErr ReserveInfoFile(const std::string& trash, const std::string& from, std::string& to) {
  const std::string text =
      TrashInfoText(RecordedPath(trash, StripTrailingSlashes(from)), ClockLocalSecondsSince1904());
  for (;;) {
    NewInfoFile made;
    OSErr err = MakeInfoFile(trash, BaseName(StripTrailingSlashes(to)), true, false, made);
    if (err != noErr) return err;
    err = WriteAll(made.fd, text);
    if (close(made.fd) != 0 && err == noErr) err = OSErrFromErrno(errno);
    made.fd = -1;
    if (err != noErr) {
      DropInfoFile(made);
      return err;
    }
    if (!Exists(made.item)) {
      to = made.item;
      return noErr;
    }
    // Another program put an item of that name there meanwhile without its record.
    DropInfoFile(made);
  }
}

void RemoveInfoFile(const std::string& trash, const std::string& name) {
  StepUnlink(InfoPath(trash, name).c_str());
}

}  // namespace

std::string HomeTrashFolder() {
  const char* data = getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return StripTrailingSlashes(data) + "/Trash";
  std::string home;
  const char* h = getenv("HOME");
  if (h != nullptr && h[0] == '/') {
    home = h;
  } else if (const struct passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    home = pw->pw_dir;
  }
  home = StripTrailingSlashes(home);
  if (home == "/") home.clear();
  return home + "/.local/share/Trash";
}

std::string VolumeTrashFolder(const std::string& mountPoint) {
  std::string top = StripTrailingSlashes(mountPoint);
  if (top == "/") top.clear();
  // A shared ".Trash" the administrator made (sticky, so users cannot remove each other's
  // items, and no symbolic link that could lead elsewhere) holds one folder per user; other
  // programs trash there, so this program must too. Without one, the user's own folder.
  const std::string shared = top + "/.Trash";
  struct stat st;
  if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0) {
    const std::string mine = shared + "/" + UidText();
    struct stat own;
    if (lstat(mine.c_str(), &own) == 0 ? S_ISDIR(own.st_mode)
                                       : access(shared.c_str(), W_OK | X_OK) == 0) {
      return mine;
    }
  }
  return top + "/.Trash-" + UidText();
}

std::string TrashOfFilesFolder(const std::string& folder) {
  std::string files = StripTrailingSlashes(folder);
  if (BaseName(files) != "files") return std::string();
  std::string trash = DirName(files);
  if (trash.empty()) return std::string();
  std::string name = BaseName(trash);
  // A volume's own Trash: ".Trash-$uid", or the shared ".Trash/$uid".
  if (name == ".Trash-" + UidText()) return trash;
  if (name == UidText() && BaseName(DirName(trash)) == ".Trash") return trash;
  if (SameFolder(trash, HomeTrashFolder())) return trash;
  return std::string();
}

OSErr EnsureTrashFolders(const std::string& trash) {
  // The home Trash's parents (~/.local/share) may be missing in a fresh home.
  for (const std::string& path : {trash + "/files", trash + "/info"}) {
    OSErr err = MakeFolders(path);
    if (err != noErr) return err;
  }
  return noErr;
}

std::string TrashEncodePath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (unsigned char c : path) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 std::strchr("/-_.!~*'()", c) != nullptr;
    if (plain && c != 0) {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string TrashInfoText(const std::string& originalPath, SInt64 localSecondsSince1904) {
  LongDateTime secs = localSecondsSince1904;
  LongDateRec d{};
  LongSecondsToDate(&secs, &d);
  char date[64];
  std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", int(d.year), int(d.month),
                int(d.day), int(d.hour), int(d.minute), int(d.second));
  return std::string("[Trash Info]\nPath=") + TrashEncodePath(originalPath) +
         "\nDeletionDate=" + date + "\n";
}

std::string TrashInfoOriginalPath(const std::string& trash, const std::string& infoText) {
  // The "Path=" key of the "[Trash Info]" group, percent-decoded.
  std::string encoded;
  bool inGroup = false;
  std::size_t pos = 0;
  while (pos < infoText.size()) {
    std::size_t end = infoText.find('\n', pos);
    if (end == std::string::npos) end = infoText.size();
    std::string line = infoText.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inGroup = line == "[Trash Info]";
    } else if (inGroup && line.compare(0, 5, "Path=") == 0) {
      encoded = line.substr(5);
      break;
    }
  }
  if (encoded.empty()) return std::string();
  std::string path;
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%' && i + 2 < encoded.size() && hex(encoded[i + 1]) >= 0 &&
        hex(encoded[i + 2]) >= 0) {
      path += char(hex(encoded[i + 1]) * 16 + hex(encoded[i + 2]));
      i += 2;
    } else {
      path += encoded[i];
    }
  }
  if (path.empty() || path.find('\0') != std::string::npos) return std::string();
  if (path[0] == '/') return path;
  // Relative to the volume's top folder, wherever it is mounted now.
  std::string top = TopDirOfTrash(trash);
  if (top.empty()) return std::string();
  return (top == "/" ? top : top + "/") + path;
}

OSErr TrashWillMove(const std::string& from, std::string& to) {
  std::string trash = TrashOfTopLevelItem(to);
  if (trash.empty()) return noErr;
  if (TrashOfTopLevelItem(from) == trash) {
    // A rename inside the Trash keeps the caller's name: its info file must fit beside it.
    std::string name = BaseName(StripTrailingSlashes(to));
    return name.size() + kInfoSuffixLength > NAME_MAX ? OSErr(bdNamErr) : OSErr(noErr);
  }
  OSErr err = EnsureTrashFolders(trash);
  if (err != noErr) return err;
  return ReserveInfoFile(trash, from, to);
}

void TrashMoveFailed(const std::string& from, const std::string& to) {
  std::string trash = TrashOfTopLevelItem(to);
  if (trash.empty() || TrashOfTopLevelItem(from) == trash) return;
  RemoveInfoFile(trash, BaseName(StripTrailingSlashes(to)));
}

OSErr TrashDidMove(const std::string& from, const std::string& to) {
  NoteFilePathMoved(StripTrailingSlashes(from), StripTrailingSlashes(to));
  std::string fromTrash = TrashOfTopLevelItem(from);
  std::string toTrash = TrashOfTopLevelItem(to);
  if (fromTrash.empty() && toTrash.empty()) return noErr;
  std::string fromName = BaseName(StripTrailingSlashes(from));
  std::string toName = BaseName(StripTrailingSlashes(to));

  if (!fromTrash.empty() && fromTrash == toTrash) {
    // Renamed inside the Trash: the info file goes along. An info file already under the new
    // name belonged to an item that is no longer there (the name was free for the rename),
    // so it is replaced or removed, never left to describe this item wrongly.
    if (fromName == toName) return noErr;
    std::string oldInfo = InfoPath(fromTrash, fromName);
    std::string newInfo = InfoPath(toTrash, toName);
    if (Exists(oldInfo)) {
      if (StepRename(oldInfo.c_str(), newInfo.c_str()) != 0) return OSErrFromErrno(errno);
    } else {
      StepUnlink(newInfo.c_str());
    }
    return noErr;
  }
  // Moved in: its info file was made before the move.
  if (!fromTrash.empty()) RemoveInfoFile(fromTrash, fromName);
  return noErr;
}

void TrashDidDelete(const std::string& path) {
  std::string trash = TrashOfTopLevelItem(path);
  if (trash.empty()) return;
  // Only when the item is really gone: an info file never goes before its item.
  if (Exists(StripTrailingSlashes(path))) return;
  RemoveInfoFile(trash, BaseName(StripTrailingSlashes(path)));
}

namespace {

bool refuseHardLinks_GlV = false;

// The Trash of the volume `item` lies on, made as needed.
OSErr TrashOfItem(const Location& item, std::string& trash) {
  FSRef ref;
  OSErr err = FSFindFolder(item.vRefNum, kTrashFolderType, kCreateFolder, &ref);
  Location files;
  if (err == noErr) err = LocateRef(&ref, files);
  if (err == noErr) trash = DirName(files.path);
  return err;
}

// A file system that cannot give a file a second name (FAT, some network ones), or a file it
// may not be given to.
bool LinksImpossible(int e) {
  return e == EPERM || e == ENOTSUP || e == EOPNOTSUPP || e == EXDEV || e == EMLINK || e == ENOSYS;
}

// The old file's second name in the Trash: a hard link, or where there can be none a copy
// (synced: it may soon be all that is left of the old file). The item's record (0: none)
// learns the item before it can be there: a link is the old file itself, a copy is learnt as
// soon as it is made.
OSErr PutSecondNameInTrash(const Location& old, const std::string& item, UInt32 record,
                           bool& linked) {
  linked = false;
  if (!refuseHardLinks_GlV) {
    if (record != 0) TemporaryMade(record, old.path);
    linked = StepLink(old.path.c_str(), item.c_str()) == 0;
  }
  if (linked) return noErr;
  const int e = refuseHardLinks_GlV ? EPERM : errno;
  if (!LinksImpossible(e)) return OSErrFromErrnoAt(e, item, Access::kWrite);
  return CopyFile(old, item, [record] {
    if (record != 0) TemporaryMade(record);
  });
}

// The old file's entry in `trash`: its info file made (empty, never over another's) and the
// old file's second name put beside it; the info file stays open for writing. On failure
// nothing of the entry is left.
OSErr EnterReplacedInTrash(const Location& old, const std::string& trash, NewInfoFile& made,
                           bool& linked) {
  OSErr err = MakeInfoFile(trash, BaseName(old.path), false, true, made);
  if (err != noErr) return err;
  if (made.record != 0 &&
      RecordTemporary(made.item, TemporaryKind::kTrashItem, made.itemRecord) != noErr) {
    made.itemRecord = 0;
  }
  err = PutSecondNameInTrash(old, made.item, made.itemRecord, linked);
  if (err != noErr) {
    ForgetTemporary(made.itemRecord);
    made.itemRecord = 0;
    DropInfoFile(made);
  }
  return err;
}

// The old file of a replace, entered in the Trash of its volume. Where that Trash cannot be
// made or written (the volume's top folder, or a Trash left there or its "files" folder,
// belongs to another user, as on a data disk or stick whose root is the administrator's), it
// is entered in the home Trash, which the freedesktop rules allow for items of any volume: the
// old file is then copied there, links never crossing volumes.
OSErr EnterReplacedInSomeTrash(const Location& old, std::string& trash, NewInfoFile& made,
                               bool& linked) {
  OSErr err = TrashOfItem(old, trash);
  if (err == noErr) err = EnterReplacedInTrash(old, trash, made, linked);
  const std::string home = HomeTrashFolder();
  if (err == noErr || SameFolder(trash, home) || EnsureTrashFolders(home) != noErr) return err;
  trash = home;
  return EnterReplacedInTrash(old, trash, made, linked);
}

// The order keeps the old file's name on the old file until the new one takes it in one
// rename: the info file is made (empty, never over another's), the old file gets its second
// name in the Trash, the info file is written, and only then the new file is renamed over the
// old name. A kill before the rename leaves the old file under its name (and, once the info
// file is written, also in the Trash); an empty info file lists nothing, so no entry ever
// names a missing item. Until the info file is written, it and the item are recorded as
// temporary files, each as the very file made, so that what a kill left goes and nothing else.
OSErr ReplaceKeepingOldInTrash(const Location& old, const Location& replacement) {
  // The new file's data reach the disk before it takes a name that must never name less.
  OSErr err = SyncPath(replacement.path);
  std::string trash;
  NewInfoFile made;
  bool linked = false;
  if (err == noErr) err = EnterReplacedInSomeTrash(old, trash, made, linked);
  if (err != noErr) return err;
  // The item's and the info file's entries are on the disk before the old name goes (as far
  // as the file system syncs folders).
  SyncPath(ParentPath(made.item));
  err =
      WriteAll(made.fd, TrashInfoText(RecordedPath(trash, old.path), ClockLocalSecondsSince1904()));
  if (err == noErr) SyncPath(ParentPath(made.info));
  if (err != noErr) {
    StepUnlink(made.item.c_str());
    ForgetTemporary(made.itemRecord);
    DropInfoFile(made);
    return err;
  }
  close(made.fd);
  ForgetTemporary(made.record);
  ForgetTemporary(made.itemRecord);
  if (StepRename(replacement.path.c_str(), old.path.c_str()) != 0) {
    const int e = errno;
    // The old file keeps its name; its second one goes, the item before its info file.
    StepUnlink(made.item.c_str());
    StepUnlink(made.info.c_str());
    return OSErrFromErrnoAt(e, old.path, Access::kWrite);
  }
  SyncPath(ParentPath(old.path));
  if (linked) {
    NoteMoved(old.path, made.item);
  } else {
    NoteDeleted(old.path);
  }
  NoteMoved(replacement.path, old.path);
  NoteFilePathMoved(replacement.path, old.path);
  ForgetListing(ParentPath(made.info));
  return noErr;
}

}  // namespace

void RefuseHardLinksForTests(bool refuse) {
  refuseHardLinks_GlV = refuse;
}

}  // namespace files
}  // namespace sp_platform

using namespace sp_platform::files;

OSErr FSReplaceFileKeepingOldInTrash(const FSRef* target, const FSRef* replacement, FSRef* newRef) {
  if (target == nullptr || replacement == nullptr) return paramErr;
  Location old;
  Location fresh;
  OSErr err = LocateRef(target, old);
  if (err == noErr) err = LocateRef(replacement, fresh);
  if (err != noErr) return err;
  if (old.isFolder || fresh.isFolder) return notAFileErr;
  if (ParentPath(old.path) != ParentPath(fresh.path)) return badMovErr;
  if (old.path == fresh.path) return paramErr;
  if ((err = CheckWritable(old)) != noErr) return err;
  err = ReplaceKeepingOldInTrash(old, fresh);
  Location now;
  if (err == noErr && newRef != nullptr && LocatePath(old.path, now) == noErr)
    MakeFSRef(now, newRef);
  return err;
}
