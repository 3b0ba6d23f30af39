// The Folder Manager over the XDG base and user folders and the freedesktop Trash.

#include "Folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "detail/Catalog.h"
#include "detail/Folders.h"
#include "detail/Trash.h"
#include "internal/FileSteps.h"

namespace sp_platform {
namespace files {
namespace {

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// An environment variable holding an absolute path; empty otherwise (the XDG rule: a
// relative value is ignored).
std::string AbsoluteEnv(const char* name) {
  const char* value = getenv(name);
  if (value == nullptr || value[0] != '/') return std::string();
  return StripTrailingSlashes(value);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

OSErr MakeFolders(const std::string& path) {
  if (IsFolder(path)) return noErr;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string partial = path.substr(0, slash);
    if (!partial.empty() && !IsFolder(partial)) {
      if (StepMkdir(partial.c_str(), 0700) != 0 && !(errno == EEXIST && IsFolder(partial)))
        return OSErrFromErrnoAt(errno, partial, Access::kWrite);
    }
    start = slash + 1;
  }
  return noErr;
}

namespace {

// The device a path is on, or will be on when made: that of the nearest folder that exists.
dev_t DeviceOf(std::string path) {
  struct stat st;
  while (stat(path.c_str(), &st) != 0) {
    if (path.empty() || path == "/") return 0;
    const std::size_t slash = path.rfind('/');
    path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
  }
  return st.st_dev;
}

}  // namespace

std::string HomeFolder() {
  std::string home = AbsoluteEnv("HOME");
  if (!home.empty()) return home;
  if (const struct passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
    return StripTrailingSlashes(pw->pw_dir);
  return "/";
}

std::string ConfigHomeFolder() {
  std::string config = AbsoluteEnv("XDG_CONFIG_HOME");
  if (!config.empty()) return config;
  std::string home = HomeFolder();
  return (home == "/" ? std::string() : home) + "/.config";
}

// Lines of "user-dirs.dirs" read: XDG_<KEY>_DIR="$HOME/Folder" or XDG_<KEY>_DIR="/abs/path",
// with \ escaping the next character. A value of another form is ignored, as xdg-user-dirs
// does; "$HOME" alone is the home folder itself.
std::string UserDirFromFile(const std::string& fileText, const std::string& key,
                            const std::string& home) {
  const std::string prefix = "XDG_" + key + "_DIR=";
  std::string found;
  std::size_t pos = 0;
  while (pos < fileText.size()) {
    std::size_t end = fileText.find('\n', pos);
    if (end == std::string::npos) end = fileText.size();
    std::string line = fileText.substr(pos, end - pos);
    pos = end + 1;
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] == '#') continue;
    if (line.compare(i, prefix.size(), prefix) != 0) continue;
    i += prefix.size();
    if (i >= line.size() || line[i] != '"') continue;
    ++i;
    std::string value;
    bool closed = false;
    for (; i < line.size(); ++i) {
      char c = line[i];
      if (c == '\\' && i + 1 < line.size()) {
        value += line[++i];
      } else if (c == '"') {
        closed = true;
        break;
      } else {
        value += c;
      }
    }
    if (!closed) continue;
    std::string path;
    if (value == "$HOME" || value == "$HOME/") {
      path = home;
    } else if (value.compare(0, 6, "$HOME/") == 0) {
      path = (home == "/" ? std::string() : home) + "/" + value.substr(6);
    } else if (!value.empty() && value[0] == '/') {
      path = value;
    } else {
      continue;
    }
    found = StripTrailingSlashes(path);  // the last valid line wins, as when sourced
  }
  return found;
}

std::string UserFolder(const std::string& key, const std::string& fallbackName) {
  std::string home = HomeFolder();
  std::ifstream in(ConfigHomeFolder() + "/user-dirs.dirs", std::ios::binary);
  if (in) {
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string path = UserDirFromFile(text, key, home);
    if (!path.empty()) return path;
  }
  return (home == "/" ? std::string() : home) + "/" + fallbackName;
}

namespace {

// The Linux folder of a folder type on a volume; fnfErr for a type without one.
OSErr FolderPath(const Volume& volume, OSType folderType, std::string& path, bool& isTrash) {
  isTrash = false;
  switch (folderType) {
    case kPreferencesFolderType:
      path = ConfigHomeFolder();
      return noErr;
    case kDesktopFolderType:
      path = UserFolder("DESKTOP", "Desktop");
      return noErr;
    case kDocumentsFolderType:
      path = UserFolder("DOCUMENTS", "Documents");
      return noErr;
    case kMusicDocumentsFolderType:
      path = UserFolder("MUSIC", "Music");
      return noErr;
    case kTemporaryFolderType: {
      path = AbsoluteEnv("TMPDIR");
      if (path.empty()) path = "/tmp";
      return noErr;
    }
    case kTrashFolderType: {
      // Nothing can be thrown away from a disc.
      if ((volume.flags & kVolumeEmulatedCD) != 0) return fnfErr;
      // The home Trash serves the volume it lies on, which need not be the one holding $HOME
      // ($XDG_DATA_HOME may be elsewhere); every other volume has a Trash of its own, so that
      // an item reaches its Trash by a rename. A folder shown as a volume keeps its own.
      const std::string homeTrash = HomeTrashFolder();
      path = (!volume.emulated && DeviceOf(homeTrash) == volume.device
                  ? homeTrash
                  : VolumeTrashFolder(volume.mountPoint)) +
             "/files";
      isTrash = true;
      return noErr;
    }
    default:
      return fnfErr;
  }
}

OSErr FindFolderLocation(SInt16 vRefNum, OSType folderType, Boolean createFolder, Location& out) {
  const Volume* volume = FindVolume(vRefNum);
  if (volume == nullptr) return nsvErr;
  std::string path;
  bool isTrash = false;
  OSErr err = FolderPath(*volume, folderType, path, isTrash);
  if (err != noErr) return err;
  if (isTrash) {
    // A Trash without its "info" folder is incomplete: made together.
    std::string trash = path.substr(0, path.size() - 6);
    if (!IsFolder(path) || !IsFolder(trash + "/info")) {
      if (!createFolder) {
        if (!IsFolder(path)) return fnfErr;
      } else {
        err = EnsureTrashFolders(trash);
        if (err != noErr) return err;
      }
    }
  } else if (!IsFolder(path)) {
    if (!createFolder) return fnfErr;
    err = MakeFolders(path);
    if (err != noErr) return err;
  }
  err = LocatePath(path, out);
  if (err != noErr) return err;
  return out.isFolder ? OSErr(noErr) : OSErr(fnfErr);
}

}  // namespace
}  // namespace files
}  // namespace sp_platform

using namespace sp_platform::files;

OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                 SInt32* foundDirID) {
  if (foundVRefNum == nullptr || foundDirID == nullptr) return paramErr;
  *foundVRefNum = 0;
  *foundDirID = 0;
  Location loc;
  OSErr err = FindFolderLocation(vRefNum, folderType, createFolder, loc);
  if (err != noErr) return err;
  *foundVRefNum = loc.vRefNum;
  *foundDirID = SInt32(loc.nodeID);
  return noErr;
}

OSErr FSFindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, FSRef* foundRef) {
  if (foundRef == nullptr) return paramErr;
  Location loc;
  OSErr err = FindFolderLocation(vRefNum, folderType, createFolder, loc);
  if (err != noErr) return err;
  MakeFSRef(loc, foundRef);
  return noErr;
}
