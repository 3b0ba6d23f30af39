#include "SpQTInterface.h"
