// Test API: dialogs, their items, edit-text fields and the clipboard.
//
// The input calls post what a person would do (keys, typed text, clicks) through the event
// layer's raw input, then run the loop until nothing is due (PumpPending), so the events reach
// the dialog's handlers and the standard handling as they would in the program. The standard
// handling of dialogs runs only for windows that have kWindowStandardHandlerAttribute.
//
// This header is for test programs only (it uses googletest through the pumps).
#pragma once

#include <string>
#include <vector>

#include "Dialogs.h"
#include "MacTypes.h"

namespace sp_testing {

// Between tests: disposes of every dialog and empties the clipboard.
void ResetDialogs();

// ---- Input ----------------------------------------------------------------------------------
// Typed text (MacJapanese bytes, or UTF-8 converted to MacJapanese) to the front window.
void TypeText(const std::string& macJapanese, UInt32 modifiers = 0);
void TypeTextUTF8(const std::string& utf8, UInt32 modifiers = 0);
// A key pressed and released (Mac character code and virtual key code).
void PressKey(UInt8 charCode, UInt8 keyCode, UInt32 modifiers = 0);
void PressReturn(UInt32 modifiers = 0);
void PressEnter(UInt32 modifiers = 0);
void PressEscape(UInt32 modifiers = 0);
void PressCommandPeriod();
void PressTab(UInt32 modifiers = 0);
// Editing keys: Delete (backspace), forward delete, arrows, Home, End.
void PressBackspace(UInt32 modifiers = 0);
void PressForwardDelete(UInt32 modifiers = 0);
void PressLeftArrow(UInt32 modifiers = 0);
void PressRightArrow(UInt32 modifiers = 0);
void PressUpArrow(UInt32 modifiers = 0);
void PressDownArrow(UInt32 modifiers = 0);
void PressHome(UInt32 modifiers = 0);
void PressEnd(UInt32 modifiers = 0);

// The global point at the centre of the item's rectangle; false for a bad dialog or item, or
// a hidden item.
bool DialogItemCentre(DialogRef dialog, DialogItemIndex itemNo, Point* global);
// A click (press and release) at the centre of the item; false when DialogItemCentre is.
bool ClickDialogItem(DialogRef dialog, DialogItemIndex itemNo, UInt32 modifiers = 0);
// A click at a local point of the dialog, and a press at `fromLocal` dragged to `toLocal`
// and released there.
void ClickDialogPoint(DialogRef dialog, Point local, UInt32 modifiers = 0);
void DragInDialog(DialogRef dialog, Point fromLocal, Point toLocal, UInt32 modifiers = 0);

// ---- Reading --------------------------------------------------------------------------------
// The whole text of a static or edit-text item (MacJapanese, or UTF-8); empty for others.
std::string DialogItemText(DialogRef dialog, DialogItemIndex itemNo);
std::string DialogItemTextUTF8(DialogRef dialog, DialogItemIndex itemNo);
// The input method's reading the focused field shows, not yet in its text (MacJapanese).
std::string DialogFieldReading(DialogRef dialog);
// The value of the item's control; 0 for an item without a control.
SInt32 DialogItemValue(DialogRef dialog, DialogItemIndex itemNo);
// The item's hilite (GetControlHilite); 0 for an item without a control.
UInt16 DialogItemHilite(DialogRef dialog, DialogItemIndex itemNo);
// The focused field's selection in bytes; {0, 0} without a focused field.
struct TextSelection {
  SInt32 start;
  SInt32 end;
};
TextSelection DialogSelection(DialogRef dialog);
// The first shown line of the focused field (0 until its text scrolls).
SInt32 DialogFirstShownLine(DialogRef dialog);
// The items pressed by keys (Return, Enter, Escape, Command-period), in order: each flashed.
std::vector<DialogItemIndex> DialogFlashes(DialogRef dialog);
// Every live dialog, oldest first.
std::vector<DialogRef> LiveDialogs();

// ---- The clipboard --------------------------------------------------------------------------
std::string ClipboardText();
void SetClipboardText(const std::string& macJapanese);
// Text another program copied, as UTF-8.
void SetClipboardTextUnicode(const std::string& utf8);

// ---- Pictures -------------------------------------------------------------------------------
// Draws the dialog (DrawDialog) and writes its port as a PNG file; false when that fails.
bool SnapshotDialog(DialogRef dialog, const std::string& path);

}  // namespace sp_testing
