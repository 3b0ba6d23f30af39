#include "TestFiles.h"

#include <ftw.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "files/internal/AudioCDVolumes.h"
#include "files/internal/Completions.h"
#include "files/internal/FileSteps.h"
#include "files/internal/TestHooks.h"

namespace sp_testing {
namespace {

const char* const kVariables[5] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                   "XDG_RUNTIME_DIR"};

int MakeWritable(const char* path, const struct stat* st, int type, struct FTW*) {
  if (type == FTW_D || type == FTW_DNR) chmod(path, (st->st_mode & 07777) | S_IRWXU);
  return 0;
}

int RemoveOne(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP || type == FTW_D || type == FTW_DNR)
    rmdir(path);
  else
    unlink(path);
  return 0;
}

// Tests may leave folders without write or search permission behind: opened up first, so
// everything can go.
void RemoveTree(const std::string& root) {
  nftw(root.c_str(), MakeWritable, 32, FTW_PHYS);
  nftw(root.c_str(), RemoveOne, 32, FTW_PHYS | FTW_DEPTH);
}

}  // namespace

HomeScope::HomeScope() {
  for (int i = 0; i < kSavedVariables; ++i) {
    const char* value = getenv(kVariables[i]);
    saved_[i].had = value != nullptr;
    saved_[i].value = value != nullptr ? value : "";
  }
  const char* tmp = getenv("TMPDIR");
  std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
  std::string templ = base + "/sp-home-XXXXXX";
  if (mkdtemp(&templ[0]) != nullptr) {
    // The real path, so the paths the layer gives back compare equal to ours.
    char real[PATH_MAX];
    home_ = realpath(templ.c_str(), real) != nullptr ? std::string(real) : templ;
    chmod(home_.c_str(), 0700);
    mkdir((home_ + "/.config").c_str(), 0700);
    mkdir((home_ + "/.local").c_str(), 0700);
    mkdir((home_ + "/.local/share").c_str(), 0700);
    mkdir((home_ + "/.cache").c_str(), 0700);
    mkdir((home_ + "/.runtime").c_str(), 0700);
    setenv("HOME", home_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_ + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home_ + "/.local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home_ + "/.cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home_ + "/.runtime").c_str(), 1);
  }
  ResetFiles();
}

HomeScope::~HomeScope() {
  ResetFiles();
  for (int i = 0; i < kSavedVariables; ++i) {
    if (saved_[i].had)
      setenv(kVariables[i], saved_[i].value.c_str(), 1);
    else
      unsetenv(kVariables[i]);
  }
  if (!home_.empty()) RemoveTree(home_);
}

std::string HomeScope::Path(const std::string& relative) const {
  if (relative.empty()) return home_;
  return relative[0] == '/' ? home_ + relative : home_ + "/" + relative;
}

void ResetFiles() {
  sp_platform::files::CloseAllForks();
  sp_platform::files::DropFileCompletions();
  sp_platform::files::ResetAudioCDs();
  sp_platform::files::SetDiscDrives({});
  sp_platform::files::ResetCatalogueAndVolumes();
}

namespace {

int stepsTaken_GlV = 0;
int killAt_GlV = 0;

void CountFileStep() {
  ++stepsTaken_GlV;
  if (killAt_GlV != 0 && stepsTaken_GlV == killAt_GlV) {
    kill(getpid(), SIGKILL);
    _exit(137);  // never reached: SIGKILL cannot be caught
  }
}

}  // namespace

void KillAtFileStep(int n) {
  killAt_GlV = n > 0 ? n : 0;
  stepsTaken_GlV = 0;
  sp_platform::files::SetFileStepHook(CountFileStep);
}

int FileStepsTaken() {
  return stepsTaken_GlV;
}

int RunFileCompletions() {
  return sp_platform::RunFileCompletions();
}

int PendingFileCompletions() {
  return sp_platform::files::PendingFileCompletions();
}

SInt16 MountAudioCD(const std::string& folder) {
  return sp_platform::files::MountAudioCDFolder(folder);
}

OSErr EjectAudioCD(SInt16 vRefNum) {
  return sp_platform::files::EjectAudioCDVolume(vRefNum);
}

void SetMediaFolder(const std::string& path) {
  sp_platform::files::SetMediaFolder(path);
}

void SetDiscDrives(const std::vector<std::string>& drives) {
  sp_platform::files::SetDiscDrives(drives);
}

void SetDiskFarBehind(bool behind) {
  sp_platform::files::SetWritebackReportForTests(behind
                                                     ? sp_platform::files::WritebackReport::kBehind
                                                     : sp_platform::files::WritebackReport::kSystem);
}

void RestartFileCatalogue() {
  sp_platform::files::RestartCatalogue();
}

}  // namespace sp_testing
