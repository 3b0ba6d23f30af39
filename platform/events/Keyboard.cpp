#include <cstring>

#include "Events.h"
#include "events/detail/EventInternal.h"
#include "events/internal/Keyboard.h"

namespace {
// The keys as the display has read them, which may be ahead of the events still queued.
sp_platform::events::KeyBits gKeysRead = {};

void SetBit(sp_platform::events::KeyBits& keys, UInt8 keyCode, bool down) {
  const UInt8 bit = UInt8(1u << (keyCode & 7));
  if (down) {
    keys[keyCode >> 3] |= bit;
  } else {
    keys[keyCode >> 3] &= UInt8(~bit);
  }
}
}  // namespace

namespace sp_platform {

void ReadKeyDown(UInt8 keyCode, bool down) {
  SetBit(gKeysRead, keyCode, down);
}

void SetKeyDown(UInt8 keyCode, bool down) {
  SetBit(gKeysRead, keyCode, down);
  events::ForEachQueuedKeyState([=](events::KeyBits& keys) { SetBit(keys, keyCode, down); });
}

void ReleaseAllKeys() {
  gKeysRead.fill(0);
  events::ForEachQueuedKeyState([](events::KeyBits& keys) { keys.fill(0); });
}

namespace events {

KeyBits KeysRead() {
  return gKeysRead;
}

}  // namespace events
}  // namespace sp_platform

void GetKeys(KeyMap theKeys) {
  if (theKeys == nullptr) return;
  sp_platform::events::KeyBits keys = gKeysRead;
  sp_platform::events::KeysOfDispatch(&keys);
  std::memcpy(theKeys, keys.data(), keys.size());
}
