// Where a box or a text goes in an area: the alignment codes the drawing functions, the views
// and the movies share.
#pragma once

#include "MacTypes.h"

// Horizontal parameters know left and right and centre anything else; vertical parameters
// know top and bottom and centre anything else.
enum tPositionType : SInt32 {
  kSpPositionLeft = 1,
  kSpPositionCenter = 2,
  kSpPositionRight = 3,
  kSpPositionTop = 4,
  kSpPositionBottom = 5,
};
