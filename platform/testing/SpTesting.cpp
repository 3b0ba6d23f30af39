#include "SpTesting.h"

#include "base/internal/TestHooks.h"
#include "events/internal/Keyboard.h"
#include "quickdraw/internal/FontSizes.h"

namespace sp_testing {

UInt32 BeepCount() {
  return sp_platform::BeepCount();
}
void ResetBeepCount() {
  sp_platform::ResetBeepCount();
}
void FailNthAllocation(UInt32 n) {
  sp_platform::SetAllocationFailureCountdown(n);
}
void LimitAllocationSize(UInt32 bytes) {
  sp_platform::SetAllocationSizeLimit(bytes);
}

void SetGestalt(OSType selector, SInt32 response) {
  sp_platform::SetGestaltAnswer(selector, response);
}
void RemoveGestalt(OSType selector) {
  sp_platform::RemoveGestaltAnswer(selector);
}
void ResetGestalt() {
  sp_platform::ResetGestaltTable();
}

void SetKeyDown(UInt8 keyCode, bool down) {
  sp_platform::SetKeyDown(keyCode, down);
}
void ReleaseAllKeys() {
  sp_platform::ReleaseAllKeys();
}

}  // namespace sp_testing

namespace sp_testing {
void SetRealFontSizes(short fontNum, const std::vector<short>& sizes) {
  sp_platform::SetRealFontSizes(fontNum, sizes);
}
}  // namespace sp_testing
