// The one point every change to a folder's contents passes (see internal/FileSteps.h).
#include "internal/FileSteps.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace sp_platform {
namespace files {
namespace {

// Null in the program: only the test API installs them.
FileStepHook hook_GlV = nullptr;
std::vector<std::string>* journal_GlV = nullptr;

void Journal(const char* verb, const char* path, const char* other = nullptr) {
  if (journal_GlV == nullptr) return;
  std::string entry = std::string(verb) + " " + (path != nullptr ? path : "");
  if (other != nullptr) entry += std::string(" ") + other;
  journal_GlV->push_back(entry);
}

}  // namespace

void BeforeFileStep() {
  if (hook_GlV != nullptr) hook_GlV();
}

int StepOpen(const char* path, int flags, mode_t mode) {
  BeforeFileStep();
  Journal("open", path);
  return open(path, flags, mode);
}

int StepMkdir(const char* path, mode_t mode) {
  BeforeFileStep();
  Journal("mkdir", path);
  return mkdir(path, mode);
}

int StepRmdir(const char* path) {
  BeforeFileStep();
  Journal("rmdir", path);
  return rmdir(path);
}

int StepUnlink(const char* path) {
  BeforeFileStep();
  Journal("unlink", path);
  return unlink(path);
}

int StepUnlinkat(int dirFd, const char* name, int flags) {
  BeforeFileStep();
  Journal("unlink", name);
  return unlinkat(dirFd, name, flags);
}

int StepRename(const char* from, const char* to) {
  BeforeFileStep();
  Journal("rename", from, to);
  return rename(from, to);
}

int StepRenameNoReplace(const char* from, const char* to) {
  BeforeFileStep();
  Journal("rename", from, to);
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int StepLink(const char* from, const char* to) {
  BeforeFileStep();
  Journal("link", from, to);
  return link(from, to);
}

int OpenRegularFile(const std::string& path, int access) {
  const int fd = open(path.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  const bool known = fstat(fd, &st) == 0;
  if (!known || !S_ISREG(st.st_mode)) {
    const int err = known ? EINVAL : errno;
    close(fd);
    errno = err;
    return -1;
  }
  // Reads and writes of a regular file never wait anyway; the flag goes for plain blocking I/O.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

int StepSync(int fd, const char* path) {
  Journal("sync", path);
  return fsync(fd);
}

void JournalFileSteps(std::vector<std::string>* journal) {
  journal_GlV = journal;
}

void SetFileStepHook(FileStepHook hook) {
  hook_GlV = hook;
}

}  // namespace files
}  // namespace sp_platform
