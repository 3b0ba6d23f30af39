#include "Appearance.h"

OSStatus RegisterAppearanceClient() {
  return noErr;
}
