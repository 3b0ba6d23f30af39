// Side files of saves: a file that is replaced is written under another name beside it first,
// and that file then takes the file's name in one rename. A side file's name holds, between a
// prefix and a suffix of its writer's choosing, a tag of the process that writes it: its id,
// a count and the machine it runs on ("4711-2@" and the eight hexadecimal digits of the
// machine's mark, then the eight of its boot's), or, in names of older starts, the id and
// count or the id alone. So processes replacing one file at once never write into one side
// file, even from two machines sharing the folder over the network, and what a process left
// when it was killed in the middle of a save can be told from the side file of a save still
// going on. Only this machine's processes are looked at: another machine's side files are
// never taken for left over; a name without a machine is taken for this machine's. Not for the program's own code, which
// has the File Manager's calls of the same (Files.h).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "MacTypes.h"
#include "internal/HostMark.h"

namespace sp_platform {
namespace files {

// A tag that no other running process puts in a name: this process's id, a count of the tags
// it gave and this machine's mark.
std::string NewSideFileTag();

// Who wrote the side file `name` (the prefix, a tag, the suffix): its process and, when the
// name says so (`marked`), its machine. False when `name` is no such side file.
struct SideFileWriter {
  pid_t pid = 0;
  bool marked = false;
  HostMark host;
};
bool ReadSideFileName(const std::string& name, const std::string& prefix,
                      const std::string& suffix, SideFileWriter& writer);

// Whether what that writer left may be cleared: never another machine's; on this machine,
// anything of an earlier boot, and otherwise what a process that has ended left (with
// `othersToo`, any process but this one, see EndedSideFiles).
bool LeftByEndedProcess(const SideFileWriter& writer, bool othersToo);

// The name of a new side file: the prefix, a new tag and the suffix. Every side file is named
// here.
std::string NewSideFileName(const std::string& prefix, const std::string& suffix);

// Fills a side file: 0 or an errno. It gets the open file and the side file's path (for what
// is set by path, such as extended attributes).
using SideFileFiller = std::function<int(int fd, const std::string& side)>;

// Puts new contents in the place of the file at `path` (a Linux path): `fill` fills a new side
// file in its folder (NewSideFileName, made with `mode` less the umask, never over another
// file), which is synced and then takes `path` in one rename, and the folder is synced so that
// the rename lasts. The name holds the old or the complete new file at every moment. On any
// failure the side file goes and `path` is as it was. 0, or the errno of the step that failed.
int ReplaceThroughSideFile(const std::string& path, const std::string& prefix,
                           const std::string& suffix, mode_t mode, const SideFileFiller& fill);

// The same replacement made over several calls, for contents too large to write at once: Open
// makes the side file, Write adds bytes and starts them on their way to the disk (so that the
// sync at the end has little left to wait for), Commit syncs the side file and gives it the
// name as above. One not committed (or after a failure) goes with its side file, `path` as it
// was. Each call gives 0 or an errno.
class SideFileReplacement {
 public:
  SideFileReplacement() = default;
  ~SideFileReplacement() { Abandon(); }
  SideFileReplacement(const SideFileReplacement&) = delete;
  SideFileReplacement& operator=(const SideFileReplacement&) = delete;

  int Open(const std::string& path, const std::string& prefix, const std::string& suffix,
           mode_t mode);
  int Write(const void* bytes, std::size_t size);
  int Commit();
  void Abandon();
  // The open side file and its path, for what is set by path (extended attributes); -1 and
  // empty when none is open.
  int Fd() const { return fd_; }
  const std::string& Side() const { return side_; }

 private:
  std::string path_;
  std::string side_;
  int fd_ = -1;
  off_t written_ = 0;
};

// Writes all `size` bytes at the file's position: 0 or the errno (EIO for a write of nothing).
int WriteAllBytes(int fd, const void* bytes, std::size_t size);

// Syncs a folder's entries where the file system allows it (a failure is not reported: some
// file systems cannot sync a folder, and there is nothing the caller could do about it).
void SyncFolder(const std::string& folder);

// Whether no process of that id runs any more.
bool ProcessEnded(pid_t pid);

// The names of the side files in the folder (a Linux path) of processes that have ended, the
// most recently changed first. With `othersToo`, those of every process but this one: for a
// caller that holds a lock no other writer of such files runs without.
std::vector<std::string> EndedSideFiles(const std::string& folder, const std::string& prefix,
                                        const std::string& suffix, bool othersToo = false);

// Deletes them, so that they do not pile up beside the file.
void RemoveEndedSideFiles(const std::string& folder, const std::string& prefix,
                          const std::string& suffix, bool othersToo = false);

}  // namespace files
}  // namespace sp_platform
