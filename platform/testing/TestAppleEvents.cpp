#include "TestAppleEvents.h"

#include "events/internal/AppleEventQueue.h"

namespace sp_testing {

OSErr QueueOpenDocumentsEvent(const std::vector<std::string>& paths) {
  return sp_platform::QueueOpenDocuments(paths);
}

void RaiseQuitRequest() {
  sp_platform::RequestQuitFromSession();
}

int DispatchAppleEvents() {
  return sp_platform::DispatchQueuedAppleEvents();
}

int QueuedAppleEventCount() {
  return sp_platform::QueuedAppleEventCount();
}

void ResetAppleEvents() {
  sp_platform::ResetAppleEvents();
}

}  // namespace sp_testing
