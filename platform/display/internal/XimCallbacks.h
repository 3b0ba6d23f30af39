// The XIM preedit callbacks of the desktop backend as the server would call them, for the
// tests (no XIM server needed). Not for the program's own code.
#pragma once

#include <string>
#include <vector>

namespace sp_platform {
namespace display {

// A draw: `length` characters at `first` become the text (UTF-8) with its characters'
// feedback (XIMFeedback bits); a null text removes them, or with feedback changes only the
// feedback of the characters there.
void XimPreeditDrawForTests(int caret, int first, int length, const std::string* utf8,
                            const std::vector<unsigned long>& feedback);
// The server ends its preedit.
void XimPreeditDoneForTests();

}  // namespace display
}  // namespace sp_platform
