// Side files of saves: a file that is replaced is written under another name beside it first,
// and that file then takes the file's name in one rename. A side file's name holds, between a
// prefix and a suffix of its writer's choosing, a tag of the process that writes it: its id
// and a count ("4711-2"), or its id alone. So processes replacing one file at once never write
// into one side file, and what a process left when it was killed in the middle of a save can
// be told from the side file of a save still going on. Not for the program's own code, which
// has the File Manager's calls of the same (Files.h).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sp_platform {
namespace files {

// A tag that no other running process puts in a name: this process's id and a count of the
// tags it gave.
std::string NewSideFileTag();

// The id of the process that wrote the side file `name` (the prefix, a tag, the suffix); 0
// when `name` is no such side file.
pid_t SideFileProcess(const std::string& name, const std::string& prefix,
                      const std::string& suffix);

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
