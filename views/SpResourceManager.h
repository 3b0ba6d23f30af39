// The resource manager of the views: shared icons, cursors, pictures and fonts lent to their
// users by resource id and a user reference number.
#pragma once

#include "MacTypes.h"
