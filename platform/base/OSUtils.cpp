#include "OSUtils.h"

#include "base/internal/Beep.h"
#include "base/internal/TestHooks.h"

namespace {
UInt32 gBeepCount = 0;
sp_platform::BeepProc gBeepProc = nullptr;
void* gBeepRefCon = nullptr;
}  // namespace

namespace sp_platform {
UInt32 BeepCount() {
  return gBeepCount;
}
void ResetBeepCount() {
  gBeepCount = 0;
}
void SetBeepProc(BeepProc proc, void* refCon) {
  gBeepProc = proc;
  gBeepRefCon = refCon;
}
}  // namespace sp_platform

void SysBeep(short) {
  ++gBeepCount;
  if (gBeepProc != nullptr) gBeepProc(gBeepRefCon);
}
