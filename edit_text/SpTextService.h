// Text services: inline input of the edit-text engine through the input method.
#pragma once

#include "MacTypes.h"

// Non-zero when text services are available and an inline-input object claims the cursor at
// the global point. Text services are started with the edit-text engine; until then no
// object claims the cursor.
unsigned char SpTS_EnableCursorChange(Point globalPoint);
