// Appearance Manager: only the registration of the program as a client of the system's look.
// The look here is always the system's own, so registering changes nothing.
#pragma once

#include "MacTypes.h"

// Makes the program a client of the Appearance Manager. Always noErr.
OSStatus RegisterAppearanceClient();
