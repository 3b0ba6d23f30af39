#include "SpCoreHooks.h"

#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpCoreHooks.cpp";

struct sPendingDispose {
  tSpCoreDisposeProcPtr proc;
  SInt32 order;
};

// The core registers two procedures (string objects, preference stock); the room is ample.
constexpr int kMaxPending = 8;
sPendingDispose gPending[kMaxPending];
int gPendingCount = 0;

tSpCoreDisposeRegistrarPtr gRegistrar = nullptr;
tSpCoreIconServiceCheckPtr gIconServiceCheck = nullptr;

}  // namespace

void SpCore_InstallDisposeRegistrar(tSpCoreDisposeRegistrarPtr registrar) {
  gRegistrar = registrar;
  if (gRegistrar == nullptr) return;
  for (int i = 0; i < gPendingCount; ++i) gRegistrar(gPending[i].proc, gPending[i].order);
  gPendingCount = 0;
}

void SpCore_SetupDisposeProcedure(tSpCoreDisposeProcPtr proc, SInt32 order) {
  if (proc == nullptr) return;
  if (gRegistrar != nullptr) {
    gRegistrar(proc, order);
    return;
  }
  // One waiting entry a procedure: the pools, for one, register again each time they are
  // made anew.
  for (int i = 0; i < gPendingCount; ++i) {
    if (gPending[i].proc == proc) return;
  }
  if (gPendingCount == kMaxPending) {
    SpReportFailure(kSource, "SpCore_SetupDisposeProcedure", 1, kSpMsgDataError);
    return;
  }
  gPending[gPendingCount++] = {proc, order};
}

void SpCore_InstallIconServiceCheck(tSpCoreIconServiceCheckPtr check) {
  gIconServiceCheck = check;
}

Boolean SpCore_IconServicesAvailable() {
  return gIconServiceCheck != nullptr && gIconServiceCheck() != 0;
}
