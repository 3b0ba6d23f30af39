#include "SpOriginalControl.h"
