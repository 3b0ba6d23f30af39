// The table of open forks, for the other modules of the file layer and the test API. Not for
// the program's own code.
#pragma once

#include <sys/types.h>

#include <string>

#include "MacTypes.h"
#include "files/internal/TestHooks.h"

namespace sp_platform {
namespace files {

// True while the file (st_dev, st_ino) has an open fork: a delete or a move may answer
// fBsyErr for it, as HFS did, and the catalogue's records show the file as open.
bool IsFileOpen(dev_t device, ino_t inode);
// True while a fork on the volume is open (it cannot be ejected then).
bool IsVolumeInUse(SInt16 vRefNum);

// After `from` was moved or renamed to `to` (called by the Trash hooks on every change):
// files written and closed since the last flush are remembered by path, so FlushVol still
// finds them.
void NoteFilePathMoved(const std::string& from, const std::string& to);

// How many files the last FlushVol synced (open ones written since their last flush and
// closed ones written before their close), so tests can see that untouched files are left
// alone.
int FilesSyncedByLastFlush();
// The bytes of an open fork before this offset were waited for as the stream of large writes
// it takes went on (a few megabytes behind its newest byte); -1 for no such fork.
SInt64 ForkWrittenBehindTo(SInt16 refNum);
// The end of the whole pages of an open fork whose writing its stream of large writes last
// started (the page its newest write ends in is left for the write that fills it); -1 for no
// such fork.
SInt64 ForkWriteBackStartedTo(SInt16 refNum);

}  // namespace files
}  // namespace sp_platform
