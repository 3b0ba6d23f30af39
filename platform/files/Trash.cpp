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
  if (mkdir(path.c_str(), 0700) == 0) return noErr;
  int e = errno;
  struct stat st;
  if (e == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return noErr;
  return OSErrFromErrno(e);
}

// Written to a temporary file beside it and renamed over the name, so a reader never sees
// half an info file and a failure leaves no partial one behind.
OSErr WriteInfoFile(const std::string& trash, const std::string& name, const std::string& text) {
  std::string folder = trash + "/info";
  std::string temp = folder + "/.trashinfo-XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) return OSErrFromErrno(errno);
  OSErr err = noErr;
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = OSErrFromErrno(errno);
      break;
    }
    p += n;
    left -= std::size_t(n);
  }
  if (err == noErr && fdatasync(fd) != 0) err = OSErrFromErrno(errno);
  if (close(fd) != 0 && err == noErr) err = OSErrFromErrno(errno);
  if (err == noErr && rename(temp.c_str(), InfoPath(trash, name).c_str()) != 0)
    err = OSErrFromErrno(errno);
  if (err != noErr) unlink(temp.c_str());
  return err;
}

void RemoveInfoFile(const std::string& trash, const std::string& name) {
  unlink(InfoPath(trash, name).c_str());
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

OSErr TrashWillMove(const std::string& from, const std::string& to) {
  (void)from;
  std::string trash = TrashOfTopLevelItem(to);
  if (trash.empty()) return noErr;
  std::string name = BaseName(StripTrailingSlashes(to));
  if (name.size() + kInfoSuffixLength > NAME_MAX) return bdNamErr;
  return EnsureTrashFolders(trash);
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
      if (rename(oldInfo.c_str(), newInfo.c_str()) != 0) return OSErrFromErrno(errno);
    } else {
      unlink(newInfo.c_str());
    }
    return noErr;
  }
  if (!fromTrash.empty()) RemoveInfoFile(fromTrash, fromName);
  if (!toTrash.empty()) {
    OSErr err = EnsureTrashFolders(toTrash);
    if (err != noErr) return err;
    return WriteInfoFile(toTrash, toName,
                         TrashInfoText(StripTrailingSlashes(from), ClockLocalSecondsSince1904()));
  }
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
