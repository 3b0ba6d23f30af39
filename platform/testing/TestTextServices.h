// Test API: the fake input method.
//
// It hands its preedit and commits to the Text Services Manager exactly as the desktop
// backend hands the desktop input method's (see ui/TextServices.h): a preedit shown inline
// becomes {'text', 1} updates, a commit without one typed text.
#pragma once

#include <string>

#include "MacTypes.h"
#include "QuickDraw.h"

namespace sp_testing {

// The preedit changed: its text (UTF-8), the caret and the marked segment (start and length),
// in characters. An empty text ends it without a commit.
void PostPreedit(const std::string& utf8, SInt32 caret, SInt32 segmentStart = 0,
                 SInt32 segmentLength = 0);
// The input method commits text (UTF-8).
void PostCommit(const std::string& utf8);

// What the input method shows and does now.
bool InputMethodComposingInline();
std::string InputMethodPreedit();  // MacJapanese
bool InputMethodTextInputOn();
bool InputMethodUsesOwnWindow();
// Where the candidate window would go (global), as the desktop backend asks before it waits.
bool InputMethodCaretRect(Rect* global);

}  // namespace sp_testing
