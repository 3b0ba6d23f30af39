// The changes the program makes to what a folder holds (a file made, renamed, linked or
// removed, a folder made or removed) pass one point each, so that the test API can end the
// process just before a chosen one, as a kill or a power cut at that moment would. Not for
// the program's own code.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sp_platform {
namespace files {

// Called just before each such change. Counts it; when the test API asked for this one, the
// process ends at once with SIGKILL.
void BeforeFileStep();

// The system calls that make such changes, each after BeforeFileStep.
int StepOpen(const char* path, int flags, mode_t mode);  // for flags with O_CREAT
int StepMkdir(const char* path, mode_t mode);
int StepRmdir(const char* path);
int StepUnlink(const char* path);
int StepUnlinkat(int dirFd, const char* name, int flags);
int StepRename(const char* from, const char* to);
int StepRenameNoReplace(const char* from, const char* to);  // renameat2 RENAME_NOREPLACE
int StepLink(const char* from, const char* to);
// fsync(2) of an open file or folder (`path` names it for the journal). No change to a folder,
// so no step a kill is put before.
int StepSync(int fd, const char* path);

// The test API: the process ends just before the n-th change from now (0: never); the count
// starts again from 0.
void KillAtFileStep(int n);
// How many changes were made since the last KillAtFileStep.
int FileStepsTaken();
// While `journal` is set (null: no more), every change and sync is added to it as it is made:
// "open <path>" (a file made), "mkdir", "rmdir", "unlink", "rename <from> <to>",
// "link <from> <to>", "sync <path>". Paths as given to the calls.
void JournalFileSteps(std::vector<std::string>* journal);

}  // namespace files
}  // namespace sp_platform
