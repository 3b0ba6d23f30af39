// The completion queue of the asynchronous File Manager calls. Not for the program's own code.
//
// An asynchronous call does its I/O at once, sets the parameter block's ioResult to 1 ("in
// progress") and queues an entry here. The entry stores the real result into ioResult and
// then calls the completion routine, when one was given. Entries run in the order they were
// queued:
//   - all of them when the event loop drains the queue at the start of each pass
//     (RunFileCompletions);
//   - those of one file before any later synchronous call on that file reference, and those
//     of one volume before a flush of that volume, so that a caller sees its requests finish
//     in the order it made them, as on the original File Manager.
// The parameter block must stay valid until its entry has run, as it always had to.
#pragma once

#include <functional>

#include "MacTypes.h"
#include "files/internal/Completions.h"

namespace sp_platform {
namespace files {

// Queues a completion: `*ioResult` becomes 1 now and `result` when the entry runs, just
// before `routine` (may be empty) is called. `refNum` (0 for none) and `vRefNum` say which
// file and volume the request was for.
void QueueFileCompletion(SInt16 refNum, SInt16 vRefNum, volatile OSErr* ioResult, OSErr result,
                         std::function<void()> routine);

// Runs the queued entries of one file reference (0 runs nothing), oldest first.
void RunFileCompletionsForFile(SInt16 refNum);
// Runs the queued entries of one volume, oldest first.
void RunFileCompletionsForVolume(SInt16 vRefNum);

}  // namespace files
}  // namespace sp_platform
