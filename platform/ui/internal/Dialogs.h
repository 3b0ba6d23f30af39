// What the test API reads of dialogs. Not for the program's own code.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "../Dialogs.h"
#include "MacTypes.h"

namespace sp_platform {
namespace dialogs {

// An item whose rectangle's left edge lies at or right of this is hidden (HideDialogItem moves
// it there).
constexpr SInt16 kHiddenItemThreshold = 8192;

// Every live dialog, oldest first.
std::vector<DialogRef> AllDialogs();

// The text of a text item as bytes; empty for a dialog that is not live or an item that does
// not exist.
std::string ItemTextOf(DialogRef dialog, DialogItemIndex itemNo);
// The input method's reading the dialog's focused field shows, not yet in its text (bytes);
// empty for none or a dialog that is not live.
std::string FieldReadingOf(DialogRef dialog);

// The focused edit-text item's selection in bytes [selStart, selEnd) and its first shown
// line; false (the outputs untouched) for a dialog that is not live or has no focused item.
bool FocusedTextState(DialogRef dialog, SInt32* selStart, SInt32* selEnd, SInt32* firstLine);

// Items pressed by a key (Return, Enter, Escape, Command-period), in order: the flash. Empty for
// a dialog that is not live.
std::vector<DialogItemIndex> FlashesOf(DialogRef dialog);

// The longest prefix of `bytes` (MacJapanese) of at most `limit` bytes that ends on a
// character boundary.
std::size_t CutToBoundary(const std::string& bytes, std::size_t limit);

}  // namespace dialogs
}  // namespace sp_platform
