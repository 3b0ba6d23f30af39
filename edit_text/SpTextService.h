// Text services: inline input of the edit-text engine through the input method.
//
// Text services are started with the edit-text engine. Until then they are not available:
// no inline-input object claims the cursor or a click, and resuming or suspending them does
// nothing.
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"

// Non-zero when text services are available and an inline-input object claims the cursor at
// the global point.
unsigned char SpTS_EnableCursorChange(Point globalPoint);
// Hands a click (global point) to the inline-input objects of the window, in the window's
// local coordinates. A null window is a failure.
void SpTS_MouseDownProcedure(WindowRef window, Point globalPoint);
// Resume and suspend the inline-input objects when their manager exists.
void SpTS_ResumeProcedure();
void SpTS_SuspendProcedure();
