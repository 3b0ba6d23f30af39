// Font Manager calls on the platform's scalable fonts.
#pragma once

#include "MacTypes.h"

// True when the font can be drawn at this size without scaling a bitmap. Every font of this
// platform is an outline font, so every size from 1 up is real.
Boolean RealFont(short fontNum, short size);
