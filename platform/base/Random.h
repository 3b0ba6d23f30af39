// The QuickDraw random-number generator: a seeded Park-Miller sequence whose results run
// from -32767 to 32767.
#pragma once

#include "MacTypes.h"

short Random();
// The generator's seed (the toolbox keeps it as randSeed).
SInt32 GetRandomSeed();
void SetRandomSeed(SInt32 seed);
