// The keyboard script: which script typed keys are in, and whether the program lets the person
// switch. Holding it to Roman switches the input method off.
#include "Script.h"
#include "ui/internal/InputMethod.h"

namespace {

struct KeyboardState {
  ScriptCode script = smJapanese;
  SInt32 disableState = 0;
};

KeyboardState& Keyboard() {
  static KeyboardState state;
  return state;
}

}  // namespace

void KeyScript(SInt16 code) {
  KeyboardState& k = Keyboard();
  switch (code) {
    case smKeyRoman:
      k.script = smRoman;
      break;
    case smKeySysScript:
      k.script = smJapanese;
      k.disableState = 0;
      break;
    case smKeyEnableKybds:
      // The keyboards are the person's again: the input method's own switch decides.
      k.script = smJapanese;
      k.disableState = 0;
      break;
    case smKeyDisableKybds:
      k.disableState = 1;
      break;
    case smKeyDisableKybdSwitch:
      k.disableState = -1;
      break;
    default:
      return;
  }
  sp_platform::input_method::KeyboardScriptChanged(k.script == smRoman && k.disableState != 0);
}

SInt32 GetScriptManagerVariable(SInt16 selector) {
  switch (selector) {
    case smKeyScript:
      return Keyboard().script;
    case smKeyDisableState:
      return Keyboard().disableState;
    default:
      return 0;
  }
}
