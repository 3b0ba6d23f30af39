#include "TestTextServices.h"

#include "TestEvents.h"
#include "ui/internal/InputMethod.h"

namespace sp_testing {

void PostPreedit(const std::string& utf8, SInt32 caret, SInt32 segmentStart,
                 SInt32 segmentLength) {
  sp_platform::input_method::PreeditChanged(utf8, caret, segmentStart, segmentLength);
}

void PostCommit(const std::string& utf8) {
  if (!sp_platform::input_method::Committed(utf8)) PostTextInputUTF8(utf8);
}

bool InputMethodComposingInline() {
  return sp_platform::input_method::ComposingInline();
}

std::string InputMethodPreedit() {
  return sp_platform::input_method::PreeditBytes();
}

bool InputMethodTextInputOn() {
  return sp_platform::input_method::TextInputOn();
}

bool InputMethodUsesOwnWindow() {
  return sp_platform::input_method::InternalEditingOn();
}

bool InputMethodCaretRect(Rect* global) {
  return sp_platform::input_method::CaretRect(global);
}

}  // namespace sp_testing
