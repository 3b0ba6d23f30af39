// SDL's keys as the toolbox's: Mac virtual key codes by the key's place on the keyboard, Mac
// character codes for the keys that type no text, and the modifier keys (Ctrl is Command,
// Alt is Option, the Super key is Control).
#include <iterator>

#include "Events.h"
#include "display/detail/Desktop.h"

namespace sp_platform {
namespace display {
namespace {

struct KeyRow {
  SDL_Scancode scancode;
  UInt8 keyCode;
  UInt8 charCode;  // 0: the key types text
};

// Mac character codes of the keys that type none.
enum : UInt8 {
  kHomeChar = 0x01,
  kEnterChar = 0x03,
  kEndChar = 0x04,
  kHelpChar = 0x05,
  kBackspaceChar = 0x08,
  kTabChar = 0x09,
  kPageUpChar = 0x0B,
  kPageDownChar = 0x0C,
  kReturnChar = 0x0D,
  kFunctionKeyChar = 0x10,
  kEscapeChar = 0x1B,
  kLeftArrowChar = 0x1C,
  kRightArrowChar = 0x1D,
  kUpArrowChar = 0x1E,
  kDownArrowChar = 0x1F,
  kDeleteChar = 0x7F,
};

const KeyRow kKeys[] = {
    {SDL_SCANCODE_A, 0, 0},
    {SDL_SCANCODE_S, 1, 0},
    {SDL_SCANCODE_D, 2, 0},
    {SDL_SCANCODE_F, 3, 0},
    {SDL_SCANCODE_H, 4, 0},
    {SDL_SCANCODE_G, 5, 0},
    {SDL_SCANCODE_Z, 6, 0},
    {SDL_SCANCODE_X, 7, 0},
    {SDL_SCANCODE_C, 8, 0},
    {SDL_SCANCODE_V, 9, 0},
    {SDL_SCANCODE_NONUSBACKSLASH, 10, 0},
    {SDL_SCANCODE_B, 11, 0},
    {SDL_SCANCODE_Q, 12, 0},
    {SDL_SCANCODE_W, 13, 0},
    {SDL_SCANCODE_E, 14, 0},
    {SDL_SCANCODE_R, 15, 0},
    {SDL_SCANCODE_Y, 16, 0},
    {SDL_SCANCODE_T, 17, 0},
    {SDL_SCANCODE_1, 18, 0},
    {SDL_SCANCODE_2, 19, 0},
    {SDL_SCANCODE_3, 20, 0},
    {SDL_SCANCODE_4, 21, 0},
    {SDL_SCANCODE_6, 22, 0},
    {SDL_SCANCODE_5, 23, 0},
    {SDL_SCANCODE_EQUALS, 24, 0},
    {SDL_SCANCODE_9, 25, 0},
    {SDL_SCANCODE_7, 26, 0},
    {SDL_SCANCODE_MINUS, 27, 0},
    {SDL_SCANCODE_8, 28, 0},
    {SDL_SCANCODE_0, 29, 0},
    {SDL_SCANCODE_RIGHTBRACKET, 30, 0},
    {SDL_SCANCODE_O, 31, 0},
    {SDL_SCANCODE_U, 32, 0},
    {SDL_SCANCODE_LEFTBRACKET, 33, 0},
    {SDL_SCANCODE_I, 34, 0},
    {SDL_SCANCODE_P, 35, 0},
    {SDL_SCANCODE_RETURN, 36, kReturnChar},
    {SDL_SCANCODE_L, 37, 0},
    {SDL_SCANCODE_J, 38, 0},
    {SDL_SCANCODE_APOSTROPHE, 39, 0},
    {SDL_SCANCODE_K, 40, 0},
    {SDL_SCANCODE_SEMICOLON, 41, 0},
    {SDL_SCANCODE_BACKSLASH, 42, 0},
    {SDL_SCANCODE_COMMA, 43, 0},
    {SDL_SCANCODE_SLASH, 44, 0},
    {SDL_SCANCODE_N, 45, 0},
    {SDL_SCANCODE_M, 46, 0},
    {SDL_SCANCODE_PERIOD, 47, 0},
    {SDL_SCANCODE_TAB, 48, kTabChar},
    {SDL_SCANCODE_SPACE, 49, 0},
    {SDL_SCANCODE_GRAVE, 50, 0},
    {SDL_SCANCODE_BACKSPACE, 51, kBackspaceChar},
    {SDL_SCANCODE_ESCAPE, 53, kEscapeChar},
    {SDL_SCANCODE_KP_PERIOD, 65, 0},
    {SDL_SCANCODE_KP_MULTIPLY, 67, 0},
    {SDL_SCANCODE_KP_PLUS, 69, 0},
    {SDL_SCANCODE_NUMLOCKCLEAR, 71, 0x1B},
    {SDL_SCANCODE_KP_DIVIDE, 75, 0},
    {SDL_SCANCODE_KP_ENTER, 76, kEnterChar},
    {SDL_SCANCODE_KP_MINUS, 78, 0},
    {SDL_SCANCODE_KP_EQUALS, 81, 0},
    {SDL_SCANCODE_KP_0, 82, 0},
    {SDL_SCANCODE_KP_1, 83, 0},
    {SDL_SCANCODE_KP_2, 84, 0},
    {SDL_SCANCODE_KP_3, 85, 0},
    {SDL_SCANCODE_KP_4, 86, 0},
    {SDL_SCANCODE_KP_5, 87, 0},
    {SDL_SCANCODE_KP_6, 88, 0},
    {SDL_SCANCODE_KP_7, 89, 0},
    {SDL_SCANCODE_KP_8, 91, 0},
    {SDL_SCANCODE_KP_9, 92, 0},
    {SDL_SCANCODE_INTERNATIONAL3, 93, 0},  // yen
    {SDL_SCANCODE_INTERNATIONAL1, 94, 0},  // underscore (ro)
    {SDL_SCANCODE_F5, 96, kFunctionKeyChar},
    {SDL_SCANCODE_F6, 97, kFunctionKeyChar},
    {SDL_SCANCODE_F7, 98, kFunctionKeyChar},
    {SDL_SCANCODE_F3, 99, kFunctionKeyChar},
    {SDL_SCANCODE_F8, 100, kFunctionKeyChar},
    {SDL_SCANCODE_F9, 101, kFunctionKeyChar},
    {SDL_SCANCODE_LANG2, 102, 0},  // eisu
    {SDL_SCANCODE_F11, 103, kFunctionKeyChar},
    {SDL_SCANCODE_LANG1, 104, 0},  // kana
    {SDL_SCANCODE_F13, 105, kFunctionKeyChar},
    {SDL_SCANCODE_F14, 107, kFunctionKeyChar},
    {SDL_SCANCODE_F10, 109, kFunctionKeyChar},
    {SDL_SCANCODE_F12, 111, kFunctionKeyChar},
    {SDL_SCANCODE_F15, 113, kFunctionKeyChar},
    {SDL_SCANCODE_INSERT, 114, kHelpChar},
    {SDL_SCANCODE_HELP, 114, kHelpChar},
    {SDL_SCANCODE_HOME, 115, kHomeChar},
    {SDL_SCANCODE_PAGEUP, 116, kPageUpChar},
    {SDL_SCANCODE_DELETE, 117, kDeleteChar},
    {SDL_SCANCODE_F4, 118, kFunctionKeyChar},
    {SDL_SCANCODE_END, 119, kEndChar},
    {SDL_SCANCODE_F2, 120, kFunctionKeyChar},
    {SDL_SCANCODE_PAGEDOWN, 121, kPageDownChar},
    {SDL_SCANCODE_F1, 122, kFunctionKeyChar},
    {SDL_SCANCODE_LEFT, 123, kLeftArrowChar},
    {SDL_SCANCODE_RIGHT, 124, kRightArrowChar},
    {SDL_SCANCODE_DOWN, 125, kDownArrowChar},
    {SDL_SCANCODE_UP, 126, kUpArrowChar},
};

struct ModifierRow {
  SDL_Scancode scancode;
  UInt8 keyCode;
};

const ModifierRow kModifierKeys[] = {
    {SDL_SCANCODE_LCTRL, kVK_Command}, {SDL_SCANCODE_RCTRL, 54},
    {SDL_SCANCODE_LSHIFT, kVK_Shift},  {SDL_SCANCODE_RSHIFT, 60},
    {SDL_SCANCODE_CAPSLOCK, kVK_CapsLock},
    {SDL_SCANCODE_LALT, kVK_Option},   {SDL_SCANCODE_RALT, 61},
    {SDL_SCANCODE_LGUI, kVK_Control},  {SDL_SCANCODE_RGUI, 62},
};

}  // namespace

bool MacKeyOf(SDL_Scancode scancode, SDL_Keycode keycode, MacKey* out) {
  for (const KeyRow& row : kKeys) {
    if (row.scancode != scancode) continue;
    out->keyCode = row.keyCode;
    out->charCode = row.charCode;
    out->types = row.charCode == 0;
    return true;
  }
  // A key of another layout's own: no place of the Mac keyboard, but it may type text.
  if (keycode >= 0x20 && keycode < 0x7F) {
    out->keyCode = 0x7F;
    out->charCode = 0;
    out->types = true;
    return true;
  }
  return false;
}

UInt8 MacModifierKeyCode(SDL_Scancode scancode) {
  for (const ModifierRow& row : kModifierKeys) {
    if (row.scancode == scancode) return row.keyCode;
  }
  return 0;
}

UInt32 MacModifiersOf(Uint16 mod) {
  UInt32 modifiers = 0;
  if ((mod & KMOD_CTRL) != 0) modifiers |= cmdKey;
  if ((mod & KMOD_SHIFT) != 0) modifiers |= shiftKey;
  if ((mod & KMOD_CAPS) != 0) modifiers |= alphaLock;
  if ((mod & KMOD_ALT) != 0) modifiers |= optionKey;
  if ((mod & KMOD_GUI) != 0) modifiers |= controlKey;
  return modifiers;
}

UInt8 CharacterOfKey(SDL_Keycode keycode, Uint16 mod) {
  if (keycode < 0x20 || keycode >= 0x7F) return 0;
  UInt8 ch = UInt8(keycode);
  if (ch >= 'a' && ch <= 'z' && (((mod & KMOD_SHIFT) != 0) != ((mod & KMOD_CAPS) != 0))) {
    ch = UInt8(ch - 'a' + 'A');
  }
  return ch;
}

}  // namespace display
}  // namespace sp_platform
