#include "SpTextService.h"

unsigned char SpTS_EnableCursorChange(Point) {
  return 0;
}
