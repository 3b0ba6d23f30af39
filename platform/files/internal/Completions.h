// The completion queue of the asynchronous File Manager calls, as the event loop and the test
// API drive it. Not for the program's own code.
#pragma once

namespace sp_platform {

// Runs every queued completion, oldest first, including those queued by the routines
// themselves while it runs. Returns how many ran. The event loop calls it at the start of
// every pass.
int RunFileCompletions();

namespace files {

// Entries waiting.
int PendingFileCompletions();

// Forgets every entry without running it (the test API's reset; the parameter blocks may be
// gone by then).
void DropFileCompletions();

}  // namespace files
}  // namespace sp_platform
