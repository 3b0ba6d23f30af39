#include "SpResourceManager.h"
