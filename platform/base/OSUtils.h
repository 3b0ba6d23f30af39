// Operating-system utilities of the base layer: the system beep.
#pragma once

#include "MacTypes.h"

// Sounds the alert. Nothing is played on this platform: the beep is counted, so tests can
// tell how often a failure path was taken.
void SysBeep(short duration);
