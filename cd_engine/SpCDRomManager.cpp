#include "SpCDRomManager.h"
