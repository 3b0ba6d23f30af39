// The session lock and its note (see SessionLock.h).
#include "SessionLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/detail/Catalog.h"
#include "files/detail/Folders.h"
#include "files/internal/FileLocations.h"
#include "files/internal/FileSteps.h"
#include "files/internal/SideFiles.h"

namespace sp_platform {
namespace files {
namespace {

constexpr std::size_t kMaxNameBytes = 64;
constexpr std::size_t kMaxNoteBytes = 4096;

struct HeldLock {
  std::string name;
  std::string folder;  // empty when the session folder was refused: no note then
  int fd = -1;         // the session folder's lock, or -1
  int homeFd = -1;     // the home's guard
  int takes = 0;
};

std::vector<HeldLock>& HeldLocks() {
  static std::vector<HeldLock>* held = new std::vector<HeldLock>;  // lives to the end
  return *held;
}

HeldLock* HeldLockOf(const char* name) {
  for (HeldLock& lock : HeldLocks()) {
    if (lock.name == name) return &lock;
  }
  return nullptr;
}

bool IsPlainName(const char* name) {
  const std::size_t length = std::strlen(name);
  return length > 0 && length <= kMaxNameBytes && std::strchr(name, '/') == nullptr &&
         std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// A folder of this user's that nobody else may write into.
bool IsPrivateFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// XDG_RUNTIME_DIR when it can hold the session folder; empty when not.
std::string UsableRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime == nullptr || runtime[0] != '/' || stat(runtime, &st) != 0 || !IsPrivateFolder(st))
    return std::string();
  return runtime;
}

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
}

std::string NotePath(const std::string& folder) {
  return folder + "/note";
}

// The note is written into a side file "note.new-<tag>" first.
constexpr char kNoteSidePrefix[] = "note.new-";

void RemoveNote(const std::string& folder) {
  struct stat st;
  if (lstat(NotePath(folder).c_str(), &st) == 0) StepUnlink(NotePath(folder).c_str());
}

// The note in the folder; empty when there is none, or it is no regular file of at most 4 KiB.
std::string ReadNote(const std::string& folder) {
  const int fd = OpenRegularFile(NotePath(folder), O_RDONLY);
  if (fd < 0) return std::string();
  std::string text(kMaxNoteBytes + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = read(fd, &text[got], text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += std::size_t(n);
  }
  close(fd);
  text.resize(got > kMaxNoteBytes ? 0 : got);
  return text;
}

// The lock file, opened: a regular file of this user's (a link is not followed, and nothing else
// is waited for); -1 with the error when there is none such.
int OpenLockFile(const std::string& path, OSErr* err) {
  const int fd =
      StepOpen(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    *err = OSErrFromErrno(errno, Access::kWrite);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    close(fd);
    *err = permErr;
    return -1;
  }
  return fd;
}

// Takes the lock file's flock without waiting: the descriptor; -1 with fBsyErr when another
// process holds it, or with the error of the file.
int TakeLockFile(const std::string& path, OSErr* err) {
  const int fd = OpenLockFile(path, err);
  if (fd < 0) return -1;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  const int why = errno;
  close(fd);
  *err = why == EWOULDBLOCK ? OSErr(fBsyErr) : OSErrFromErrno(why);
  return -1;
}

// The home's guard: "<the program's data folder>/<name>.lock". The data folder follows the
// home, as the settings and lists the lock protects do, whatever the session's folders are.
int TakeHomeGuard(const char* name, OSErr* err) {
  const std::string folder = ProgramDataFolder();
  *err = MakeFolders(folder);
  if (*err != noErr) return -1;
  return TakeLockFile(folder + "/" + name + ".lock", err);
}

}  // namespace
}  // namespace files
}  // namespace sp_platform

using namespace sp_platform::files;

OSErr SpSessionFolder(const char* name, std::string* folder) {
  if (name == nullptr || folder == nullptr || !IsPlainName(name)) return paramErr;
  const std::string runtime = UsableRuntimeFolder();
  const std::string path =
      !runtime.empty() ? runtime + "/" + name
                       : TemporaryFolder() + "/" + name + "-" + std::to_string(unsigned(geteuid()));
  // lstat: a link put there by someone else must not lead the lock elsewhere.
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return OSErrFromErrno(errno);
    if (StepMkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
      return OSErrFromErrnoAt(errno, path, Access::kWrite);
    if (lstat(path.c_str(), &st) != 0) return OSErrFromErrno(errno);
  }
  if (!IsPrivateFolder(st)) return permErr;
  *folder = path;
  return noErr;
}

OSErr SpTakeSessionLock(const char* name, std::string* holderNote, OSErr* sessionError) {
  if (holderNote != nullptr) holderNote->clear();
  if (sessionError != nullptr) *sessionError = noErr;
  if (name == nullptr || !IsPlainName(name)) return paramErr;
  if (HeldLock* held = HeldLockOf(name)) {
    ++held->takes;
    return noErr;
  }
  std::string folder;
  OSErr folderErr = SpSessionFolder(name, &folder);
  int fd = -1;
  if (folderErr == noErr) fd = TakeLockFile(folder + "/lock", &folderErr);
  if (folderErr == fBsyErr) {
    if (holderNote != nullptr) *holderNote = ReadNote(folder);
    return fBsyErr;
  }
  if (folderErr != noErr) folder.clear();
  if (sessionError != nullptr) *sessionError = folderErr;
  OSErr err = noErr;
  const int homeFd = TakeHomeGuard(name, &err);
  if (homeFd < 0) {
    // Busy: a copy started in another session (or with other session folders) runs on this
    // home. Either way this process holds nothing.
    if (fd >= 0) close(fd);
    if (err == fBsyErr && sessionError != nullptr) *sessionError = fBsyErr;
    return err;
  }
  // A note left by a copy that crashed tells of a window that is gone, and a side file it was
  // writing the note into is of no use.
  if (!folder.empty()) {
    RemoveNote(folder);
    RemoveEndedSideFiles(folder, kNoteSidePrefix, "", true);
  }
  HeldLocks().push_back(HeldLock{name, folder, fd, homeFd, 1});
  return noErr;
}

void SpReleaseSessionLock(const char* name) {
  if (name == nullptr) return;
  HeldLock* held = HeldLockOf(name);
  if (held == nullptr || --held->takes > 0) return;
  // Removed while the lock is still held, so no later holder's note goes with it.
  if (!held->folder.empty()) RemoveNote(held->folder);
  if (held->fd >= 0) close(held->fd);
  close(held->homeFd);
  HeldLocks().erase(HeldLocks().begin() + (held - HeldLocks().data()));
}

OSErr SpWriteSessionNote(const char* name, const std::string& text) {
  if (name == nullptr) return paramErr;
  const HeldLock* held = HeldLockOf(name);
  if (held == nullptr || held->folder.empty()) return fnOpnErr;
  if (text.size() > kMaxNoteBytes) return paramErr;
  const int err = ReplaceThroughSideFile(
      NotePath(held->folder), kNoteSidePrefix, "", 0600,
      [&](int fd, const std::string&) { return WriteAllBytes(fd, text.data(), text.size()); });
  return err == 0 ? OSErr(noErr) : OSErrFromErrno(err, Access::kWrite);
}
