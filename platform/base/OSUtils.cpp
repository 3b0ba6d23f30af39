#include "OSUtils.h"

#include "base/internal/TestHooks.h"

namespace {
UInt32 gBeepCount = 0;
}

namespace sp_platform {
UInt32 BeepCount() {
  return gBeepCount;
}
void ResetBeepCount() {
  gBeepCount = 0;
}
}  // namespace sp_platform

void SysBeep(short) {
  ++gBeepCount;
}
