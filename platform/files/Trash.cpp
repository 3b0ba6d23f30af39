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
#include "base/internal/Clock.h"
#include "detail/Catalog.h"
#include "detail/Forks.h"
#include "internal/FileSteps.h"

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

std::string BaseName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

OSErr MakeFolder(const std::string& path) {
  if (StepMkdir(path.c_str(), 0700) == 0) return noErr;
  int e = errno;
  struct stat st;
  if (e == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return noErr;
  return OSErrFromErrno(e);
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
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return OSErrFromErrno(errno);
    }
    p += n;
    left -= std::size_t(n);
  }
  return fdatasync(fd) != 0 ? OSErrFromErrno(errno) : OSErr(noErr);
}

// The info file is made (never replaced) before the item moves in: its name is then this
// item's, whatever other programs trash at the same time. A name whose info file or item is
// already there is passed over for the next candidate; only the caller's own name taken by an
// item answers dupFNErr, as a move onto an existing item always does.
OSErr ReserveInfoFile(const std::string& trash, const std::string& from, std::string& to) {
  const std::string name = BaseName(StripTrailingSlashes(to));
  const std::string text =
      TrashInfoText(RecordedPath(trash, StripTrailingSlashes(from)), ClockLocalSecondsSince1904());
  for (int attempt = 0; attempt < kMaxCandidates; ++attempt) {
    const std::string candidate = CandidateName(name, attempt);
    const std::string item = trash + "/files/" + candidate;
    if (Exists(item)) {
      if (candidate == name) return dupFNErr;
      continue;
    }
    const std::string info = InfoPath(trash, candidate);
    int fd = StepOpen(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return OSErrFromErrno(errno);
    }
    OSErr err = WriteAll(fd, text);
    if (close(fd) != 0 && err == noErr) err = OSErrFromErrno(errno);
    if (err == noErr && Exists(item)) {
      // Another program put an item of that name there meanwhile without its record.
      StepUnlink(info.c_str());
      continue;
    }
    if (err != noErr) {
      StepUnlink(info.c_str());
      return err;
    }
    to = item;
    return noErr;
  }
  return dupFNErr;
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
  std::string parent = DirName(trash);
  if (!parent.empty() && !Exists(parent)) {
    std::string partial;
    std::size_t start = 1;
    while (start <= parent.size()) {
      std::size_t slash = parent.find('/', start);
      if (slash == std::string::npos) slash = parent.size();
      partial = parent.substr(0, slash);
      if (!Exists(partial)) {
        OSErr err = MakeFolder(partial);
        if (err != noErr) return err;
      }
      start = slash + 1;
    }
  }
  for (const std::string& path : {trash, trash + "/files", trash + "/info"}) {
    OSErr err = MakeFolder(path);
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

}  // namespace files
}  // namespace sp_platform
