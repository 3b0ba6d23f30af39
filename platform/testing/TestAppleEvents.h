// Test API: Apple events. Queue what the system would send (documents to open, a quit on
// SIGTERM), dispatch the queue as the event loop does, and start each test from a clean
// Apple Event Manager.
#pragma once

#include <string>
#include <vector>

#include "AppleEvents.h"

namespace sp_testing {

// Queues an 'odoc' whose direct object lists the files (absolute UTF-8 paths) as typeFSS
// items, as the display backend does when files are dropped on the program or given at its
// launch. Paths naming nothing are left out; fnfErr when none is left (nothing queued).
OSErr QueueOpenDocumentsEvent(const std::vector<std::string>& paths);

// Raises the quit flag exactly as the SIGTERM handler does; the next dispatch queues a 'quit'.
void RaiseQuitRequest();

// Dispatches the queued events as one pass of the event loop does; returns how many.
int DispatchAppleEvents();
// Events waiting in the queue.
int QueuedAppleEventCount();

// Forgets every installed handler, the queued events, the quit flag and the one-time
// open-application flag, and puts back the previous SIGTERM disposition.
void ResetAppleEvents();

// Resets the Apple-event state at entry and again at exit.
class AppleEventScope {
 public:
  AppleEventScope() { ResetAppleEvents(); }
  ~AppleEventScope() { ResetAppleEvents(); }
  AppleEventScope(const AppleEventScope&) = delete;
  AppleEventScope& operator=(const AppleEventScope&) = delete;
};

}  // namespace sp_testing
