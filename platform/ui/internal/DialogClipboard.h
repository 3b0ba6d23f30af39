// The process's clipboard as the edit-text fields of dialogs use it: one text of MacJapanese
// bytes. Kept in a file of its own so that the display backend can put the desktop's
// clipboard behind the same calls (the test API sets and reads it). Not for the program's own
// code.
#pragma once

#include <string>

namespace sp_platform {
namespace dialogs {

// Replaces the clipboard's text.
void PutClipboardText(const std::string& macJapanese);
// The clipboard's text; empty when it holds none.
std::string ClipboardText();
// Empties the clipboard.
void ClearClipboard();

}  // namespace dialogs
}  // namespace sp_platform
