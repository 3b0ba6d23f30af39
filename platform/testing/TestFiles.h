// Test API: the file layer. A temporary home folder for each test, the completion queue of
// asynchronous File Manager calls, emulated audio-CD volumes and the catalogue's persistence.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_testing {

// Runs a test inside a fresh temporary home folder. At entry it makes the folder (0700,
// under $TMPDIR or /tmp), points HOME at it, XDG_CONFIG_HOME at "<home>/.config",
// XDG_DATA_HOME at "<home>/.local/share", XDG_CACHE_HOME at "<home>/.cache" and
// XDG_RUNTIME_DIR at "<home>/.runtime" (all four made), so that each test has its own
// session lock.
// The XDG user folders (Desktop, Documents, Music) are then whatever
// "<home>/.config/user-dirs.dirs" says (a test may write it), by default "<home>/Desktop" and
// so on; they are made only when the Folder Manager is asked with kCreateFolder. The file layer's
// volume table, catalogue, open files, completion queue and media folder are reset at entry
// and again at exit, when the previous environment comes back and the folder is removed with
// everything in it.
class HomeScope {
 public:
  HomeScope();
  ~HomeScope();
  HomeScope(const HomeScope&) = delete;
  HomeScope& operator=(const HomeScope&) = delete;

  // The temporary home folder (absolute, no trailing slash); empty when it could not be made.
  const std::string& Home() const { return home_; }
  // "<home>/<relative>".
  std::string Path(const std::string& relative) const;

 private:
  std::string home_;
  struct Saved {
    bool had;
    std::string value;
  };
  static constexpr int kSavedVariables = 5;
  Saved saved_[kSavedVariables];
};

// Resets the file layer: forgets volumes, catalogue, open files (closing their descriptors),
// queued completions, mounted emulated CDs and the media folder. HomeScope does it for you.
void ResetFiles();

// Runs the completion routines of asynchronous File Manager calls queued so far, as the
// event loop does at the start of each pass. Returns how many ran.
int RunFileCompletions();
// Number of completions waiting.
int PendingFileCompletions();

// Mounts the folder (absolute UTF-8 path) as an emulated audio CD: a read-only volume with
// filesystem id 0x4A48, named after the folder. The folder must hold ".TOC.plist". Gives the
// new volume reference number, or 0 when the folder is no disc (or no room is left).
SInt16 MountAudioCD(const std::string& folder);
// Ejects an emulated audio CD: its reference number answers nsvErr from then on; the folder
// or image stays. noErr, nsvErr when no such disc is mounted, fBsyErr while a file on it is
// open, or the error of a drive that did not eject.
OSErr EjectAudioCD(SInt16 vRefNum);
// Sets the media folder: each sub-folder holding ".TOC.plist" is a disc, and so is each CUE/BIN
// image ("Name.cue" beside "Name.bin"), mounted when the volumes are next listed. An empty
// path switches it off.
void SetMediaFolder(const std::string& path);

// The CD drives looked at for discs (ResetFiles sets none, so the machine's own drives never
// reach a test): each path a drive holding a disc. A ".cue" file stands for a drive holding
// that image; its eject goes to libcdio like a real drive's and fails there.
void SetDiscDrives(const std::vector<std::string>& drives);

// Has the file layer take the disk as still writing every byte a save's stream asks about, as
// a disk far behind the program's writes, or (false) as the system tells it. ResetFiles sets
// it back.
void SetDiskFarBehind(bool behind);

// Ends this process with SIGKILL just before its n-th change from now to what a folder holds
// (a file made, renamed, linked or removed, a folder made or removed), as a kill at that
// moment would; 0 never. Counting starts again at each call. For tests that run a job in a
// child process and look at what a kill at each step leaves (tests/support/KillSteps.h).
// The program itself has no such hook.
void KillAtFileStep(int n);
// How many such changes this process made since the last KillAtFileStep (counting starts there).
int FileStepsTaken();

// Saves the catalogue and drops it from memory, so that ids are resolved from the saved file
// as after the program's restart.
void RestartFileCatalogue();

}  // namespace sp_testing
