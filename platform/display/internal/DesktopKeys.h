// The desktop backend's table of keys: SDL's keys as Mac key codes and character codes, and
// its modifier keys. For the backend and its tests. Not for the program's own code.
#pragma once

#include <SDL.h>

#include "MacTypes.h"

namespace sp_platform {
namespace display {

struct MacKey {
  UInt8 keyCode = 0;   // Mac virtual key code
  UInt8 charCode = 0;  // Mac character code of a key that types none (Return, arrows, ...)
  bool types = false;  // a key whose character comes as typed text (letters, digits, ...)
};
// False for keys the toolbox has no code for.
bool MacKeyOf(SDL_Scancode scancode, SDL_Keycode keycode, MacKey* out);
// The Mac key code of a modifier key (Command for Ctrl, Option for Alt, Control for the
// Super key, Shift, Caps Lock); 0 for other keys.
UInt8 MacModifierKeyCode(SDL_Scancode scancode);
// cmdKey for Ctrl, optionKey for Alt, controlKey for Super, shiftKey, alphaLock.
UInt32 MacModifiersOf(Uint16 sdlModifiers);
// The character a key with Ctrl or Alt held gives (no typed text comes then): the key's own
// character, a letter in upper case with Shift; 0 when it has none.
UInt8 CharacterOfKey(SDL_Keycode keycode, Uint16 sdlModifiers);

}  // namespace display
}  // namespace sp_platform
