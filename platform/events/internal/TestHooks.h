// The event layer's state that only the test API drives and resets: the watchdog of its pumps,
// one pass of the application loop, counts and resets. Not for the program's own code.
#pragma once

#include <string>

#include "CarbonEvents.h"
#include "MacTypes.h"

namespace sp_platform {
namespace events {

// Events waiting in the queue.
ItemCount QueuedEventCount();

struct PumpLimitsInternal {
  UInt64 maxPasses;
  SInt64 maxMicroseconds;
};

// Arms the watchdog for a pump; Disarm answers the trip message ("" when it did not trip).
void ArmWatchdog(const PumpLimitsInternal& limits, const std::string& what);
std::string DisarmWatchdog();
UInt64 WatchdogPasses();
// One full pass as RunApplicationEventLoop runs it; answers true when it did any work other
// than timers of every pass.
bool RunApplicationPass();
// Empties the queue and forgets the loop state (modal frames, quit request, mouse, watchdog).
void ResetLoop();
// How many times a loop returned because nothing was left to happen on the virtual clock.
UInt32 IdleLoopReturnCount();
void ResetClassicEvents();
// Removes every handler of every target; forgets the targets made for controls and menus.
void ResetTargets();
// Handlers installed on every target together.
int InstalledHandlerCount();
void ResetTimers();
int TimerCount();
// Whether a timer is due at some time (not counting timers of every pass).
bool TimedTimerWaiting();

}  // namespace events
}  // namespace sp_platform
