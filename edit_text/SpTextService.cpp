#include "SpTextService.h"

#include "SpErrorInfoSystem.h"

namespace {
const char kSource[] = "SpTextService.cpp";
}  // namespace

unsigned char SpTS_EnableCursorChange(Point) {
  return 0;
}

void SpTS_MouseDownProcedure(WindowRef window, Point) {
  if (window == nullptr) {
    SpReportFailure(kSource, "SpTS_MouseDownProcedure", 1, "Window Pointer is NULL");
    return;
  }
  // No inline-input object exists to take the click.
}

void SpTS_ResumeProcedure() {}

void SpTS_SuspendProcedure() {}
