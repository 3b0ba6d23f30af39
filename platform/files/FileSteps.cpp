// The one point every change to a folder's contents passes (see internal/FileSteps.h).
#include "internal/FileSteps.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace sp_platform {
namespace files {
namespace {

int stepsTaken_GlV = 0;
int killAt_GlV = -1;  // -1: not yet read from the environment

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
  return open(path, flags, mode);
}

int StepMkdir(const char* path, mode_t mode) {
  BeforeFileStep();
  return mkdir(path, mode);
}

int StepRmdir(const char* path) {
  BeforeFileStep();
  return rmdir(path);
}

int StepUnlink(const char* path) {
  BeforeFileStep();
  return unlink(path);
}

int StepUnlinkat(int dirFd, const char* name, int flags) {
  BeforeFileStep();
  return unlinkat(dirFd, name, flags);
}

int StepRename(const char* from, const char* to) {
  BeforeFileStep();
  return rename(from, to);
}

int StepRenameNoReplace(const char* from, const char* to) {
  BeforeFileStep();
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int StepLink(const char* from, const char* to) {
  BeforeFileStep();
  return link(from, to);
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
