// The changes the program makes to what a folder holds (a file made, renamed, linked or
// removed, a folder made or removed) pass one point each, so that the test API can count them
// and end the process just before a chosen one, as a kill or a power cut at that moment would.
// What it does there lives in the test API's library alone, which the program never links:
// the program's own build can neither be told to end nor end there. Not for the program's
// own code.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sp_platform {
namespace files {

// Called just before each such change: runs the hook, when one is installed.
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

// Opens an existing regular file for reading or writing (O_RDONLY, O_WRONLY or O_RDWR; a
// symbolic link is not followed): the descriptor, or -1 with errno (EINVAL for anything that is
// no regular file). Never waits: a FIFO or a device put under the name is refused, not opened
// until another process comes to its other end.
int OpenRegularFile(const std::string& path, int access);

// The test API's hook, run just before each change (null: none, as in the program).
typedef void (*FileStepHook)();
void SetFileStepHook(FileStepHook hook);
// The test API's journal: while `journal` is set (null: no more), every change and sync is
// added to it as it is made: "open <path>" (a file made), "mkdir", "rmdir", "unlink",
// "rename <from> <to>", "link <from> <to>", "sync <path>". Paths as given to the calls.
void JournalFileSteps(std::vector<std::string>* journal);

}  // namespace files
}  // namespace sp_platform
