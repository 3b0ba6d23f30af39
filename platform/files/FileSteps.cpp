// The one point every change to a folder's contents passes (see internal/FileSteps.h).
#include "internal/FileSteps.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace sp_platform {
namespace files {
namespace {

int stepsTaken_GlV = 0;
int killAt_GlV = -1;  // -1: not yet read from the environment
std::vector<std::string>* journal_GlV = nullptr;

void Journal(const char* verb, const char* path, const char* other = nullptr) {
  if (journal_GlV == nullptr) return;
  std::string entry = std::string(verb) + " " + (path != nullptr ? path : "");
  if (other != nullptr) entry += std::string(" ") + other;
  journal_GlV->push_back(entry);
}

// A program started by a test may be told where to end through SP_KILL_AT_FILE_STEP.
int KillAt() {
  if (killAt_GlV < 0) {
    const char* value = std::getenv("SP_KILL_AT_FILE_STEP");
    const long n = value != nullptr ? std::strtol(value, nullptr, 10) : 0;
    killAt_GlV = n > 0 && n < 1000000 ? int(n) : 0;
  }
  return killAt_GlV;
}

}  // namespace

void BeforeFileStep() {
  ++stepsTaken_GlV;
  if (KillAt() != 0 && stepsTaken_GlV == killAt_GlV) {
    kill(getpid(), SIGKILL);
    _exit(137);  // never reached: SIGKILL cannot be caught
  }
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

int StepSync(int fd, const char* path) {
  Journal("sync", path);
  return fsync(fd);
}

void JournalFileSteps(std::vector<std::string>* journal) {
  journal_GlV = journal;
}

void KillAtFileStep(int n) {
  killAt_GlV = n > 0 ? n : 0;
  stepsTaken_GlV = 0;
}

int FileStepsTaken() {
  return stepsTaken_GlV;
}

}  // namespace files
}  // namespace sp_platform
