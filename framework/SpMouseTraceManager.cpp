#include "SpMouseTraceManager.h"

// Hover areas are registered with a trace manager; the passes below run only when one
// exists. What always holds is the stop flag that owners set around modal work.
namespace {
Boolean gStopFlag = 0;
}

void Sp_DisableMouseTrace() {
  gStopFlag = 1;
}

void Sp_EnableMouseTrace(unsigned char) {
  gStopFlag = 0;
}

void SpMouseTraceEventProcedure() {}

void SpMouseTraceSuspendEventProc() {}

void SpMouseTraceQuitProc() {}

Boolean Sp_IsMouseTraceDisabled() {
  return gStopFlag;
}
