// The framework's own controls drawn in windows, and the wrappers of toolbox controls.
#pragma once

#include "MacTypes.h"
