#include <cstring>

#include "Events.h"
#include "events/internal/Keyboard.h"

namespace {
UInt8 gKeysDown[16] = {0};
}

namespace sp_platform {

void SetKeyDown(UInt8 keyCode, bool down) {
  UInt8 bit = UInt8(1u << (keyCode & 7));
  if (down) {
    gKeysDown[keyCode >> 3] |= bit;
  } else {
    gKeysDown[keyCode >> 3] &= UInt8(~bit);
  }
}

void ReleaseAllKeys() {
  std::memset(gKeysDown, 0, sizeof gKeysDown);
}

}  // namespace sp_platform

void GetKeys(KeyMap theKeys) {
  if (theKeys == nullptr) return;
  std::memcpy(theKeys, gKeysDown, sizeof gKeysDown);
}

UInt32 GetDblTime() {
  return 30;
}
