// The queue of Apple events sent to this process, as the event loop and the display backend
// see it. Not for the program's own code.
//
// - AESend queues; the event loop calls DispatchQueuedAppleEvents on every pass (nested loops
//   included), which hands the queued events to their handlers. A handler never runs inside
//   another: while one runs, the events wait (a handler that opens a modal loop does not see
//   a quit event dispatched from under it), and AEProcessAppleEvent refuses too.
// - When RunApplicationEventLoop starts it calls StartApplicationAppleEvents: the open-
//   application event is queued once per process run, unless an open-documents event is
//   waiting already (the program was launched with documents: that event opens it instead),
//   and the quit signal handler is installed.
// - SIGTERM and the end of the session arrive as one quit event: the signal handler only sets
//   a flag (async-signal-safe); the next dispatch turns the flag into a queued 'quit' event.
//   The handler is installed without SA_RESTART, so a blocking wait of the loop returns with
//   EINTR; the loop then finds AppleEventsPending true.
#pragma once

#include <string>
#include <vector>

#include "AppleEvents.h"
#include "Events.h"
#include "events/internal/AppleEventQueue.h"

namespace sp_platform {

// True when a call of DispatchQueuedAppleEvents would have something to do: an event is
// queued or a quit request is pending (also while a handler runs, when it would not).
bool AppleEventsPending();

// For the classic WaitNextEvent: fills a high-level event record (what kHighLevelEvent,
// message the event class, where the event id as its two halves, v high, h low, when
// TickCount) for the next queued event and answers true; false when nothing could be
// dispatched now (empty queue, or a handler running). The event stays queued until
// AEProcessAppleEvent or DispatchQueuedAppleEvents takes it. A pending quit request is
// queued first.
bool PeekQueuedAppleEvent(EventRecord* record);

// RunApplicationEventLoop calls it when it starts: QueueOpenApplicationOnce and
// InstallQuitSignalHandler.
void StartApplicationAppleEvents();

// Queues the open-application event the first time it is called in this process run; later
// calls (a nested or second RunApplicationEventLoop) do nothing. When an open-documents event
// is waiting at that moment, it stands for the launch and no open-application event is
// queued. True when it queued the event.
bool QueueOpenApplicationOnce();

// Installs the SIGTERM handler and has SIGXFSZ ignored (once; later calls do nothing).
void InstallQuitSignalHandler();
// Puts back what SIGTERM and SIGXFSZ did before InstallQuitSignalHandler (the test API's
// reset).
void RemoveQuitSignalHandler();

}  // namespace sp_platform
