// The queue of Apple events sent to this process, as the Dialog Manager's modal loop, the
// display backend and the test API drive it (see events/detail/AppleEventQueue.h for how the
// queue works). Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "AppleEvents.h"
#include "MacTypes.h"

namespace sp_platform {

// Dispatches the events queued when the call began (events that handlers send meanwhile wait
// for the next pass), after turning a pending quit request into a queued 'quit'. Returns how
// many were dispatched; 0 when a handler is running already.
int DispatchQueuedAppleEvents();

// Events waiting in the queue (a pending quit request not counted).
int QueuedAppleEventCount();

// Queues an 'odoc' whose direct object is a list with one typeFSS item per path (absolute
// UTF-8 Linux paths; in the order given). Paths that name no existing item are left out.
// noErr when the event was queued; fnfErr when no path gave an item (nothing queued);
// paramErr for an empty list; memFullErr.
OSErr QueueOpenDocuments(const std::vector<std::string>& paths);

// What the SIGTERM handler does: sets the quit flag. Async-signal-safe. The display backend
// calls it when the session ends.
void RequestQuitFromSession();

// The quit the session asked for (SIGTERM, RequestQuitFromSession) was handled and the
// program's handler took it (answered noErr).
bool SessionQuitTaken();
// The session asked to quit and the program's handler has not had the quit yet: a loop that
// dispatches no Apple events (a menu's) ends, so that the loop that does gets to it.
bool SessionQuitWaiting();

// Forgets the handlers of both tables, the queued events, the quit flag and the one-time
// open-application flag, and removes the signal handler (the test API's reset).
void ResetAppleEvents();

}  // namespace sp_platform
