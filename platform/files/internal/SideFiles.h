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

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

// This machine (a hash of its machine id and host name) and its current boot (a hash of the
// kernel's boot id; 0 when there is none), as names and records of the files a process
// leaves carry them.
struct HostMark {
  UInt32 host = 0;
  UInt32 boot = 0;
};
const HostMark& ThisHost();
// The same as sixteen hexadecimal digits, as tags end.
std::string HostMarkText();

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
