// The standard handling of events of dialogs that no handler took: keys pressing the default
// and cancel items, typing and clicks in edit-text fields, the clipboard commands and drawing
// the content.
#include <string>
#include <vector>

#include "Controls.h"
#include "Dialogs.h"
#include "ui/detail/DialogRecord.h"
#include "ui/detail/StandardRows.h"
#include "ui/internal/InputMethod.h"

namespace sp_platform {
namespace events {
namespace {

using dialogs::DialogRecord;

constexpr UInt8 kEnterChar = 0x03;
constexpr UInt8 kTabChar = 0x09;
constexpr UInt8 kReturnChar = 0x0D;
constexpr UInt8 kEscapeChar = 0x1B;
constexpr UInt8 kPeriodChar = 0x2E;
constexpr UInt8 kSpaceChar = 0x20;
constexpr UInt8 kDeleteChar = 0x7F;

// The dialog of the window the target stands for; null for other targets and windows.
DialogRecord* DialogOfTarget(EventTargetRef target) {
  if (GetEventTargetKind(target) != kEventTargetKindWindow) return nullptr;
  return dialogs::LookupByWindow(static_cast<WindowRef>(GetEventTargetOwner(target)));
}

UInt32 ModifiersOf(EventRef event) {
  UInt32 modifiers = 0;
  if (GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                        nullptr, &modifiers) == noErr) {
    return modifiers;
  }
  // Typed text made from a key carries the key's event.
  EventRef key = nullptr;
  if (GetEventParameter(event, kEventParamTextInputSendKeyboardEvent, typeEventRef, nullptr,
                        sizeof key, nullptr, &key) == noErr &&
      key != nullptr) {
    GetEventParameter(key, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr,
                      &modifiers);
  }
  return modifiers;
}

bool HasFocusedField(DialogRecord* record) {
  dialogs::Item* item = dialogs::ItemAt(record, record != nullptr ? record->focus : 0);
  return item != nullptr && item->kind == editText && !item->Hidden();
}

// {'keyb', 1} on a dialog window: Return and Enter press the default item, Escape and
// Command-period the cancel item (only an active, visible control: an inactive cancel button
// is never pressed, also not by Command-period); Tab (Shift-Tab) moves the focus.
OSStatus DialogRawKeyDown(EventRef event, EventTargetRef target) {
  DialogRecord* record = DialogOfTarget(target);
  if (record == nullptr) return eventNotHandledErr;
  char ch = 0;
  if (GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch, nullptr,
                        &ch) != noErr) {
    return eventNotHandledErr;
  }
  const UInt32 modifiers = ModifiersOf(event);
  const bool command = (modifiers & cmdKey) != 0;
  const UInt8 c = UInt8(ch);
  DialogItemIndex press = 0;
  if (!command && (c == kReturnChar || c == kEnterChar)) {
    press = record->defaultItem;
  } else if ((!command && c == kEscapeChar) || (command && c == kPeriodChar)) {
    press = record->cancelItem;
  } else if (!command && c == kTabChar) {
    return dialogs::MoveFocusByTab(record, (modifiers & shiftKey) != 0) ? OSStatus(noErr)
                                                                        : eventNotHandledErr;
  }
  if (press > 0 && dialogs::PressItem(record, press, modifiers)) return noErr;
  return eventNotHandledErr;
}

// Select-all and the clipboard commands on the focused field.
bool EditCommand(DialogRecord* record, UInt32 commandID) {
  if (!HasFocusedField(record)) return false;
  DialogRef dialog = dialogs::RefOf(record);
  switch (commandID) {
    case kHICommandCut:
      DialogCut(dialog);
      return true;
    case kHICommandCopy:
      DialogCopy(dialog);
      return true;
    case kHICommandPaste:
      DialogPaste(dialog);
      return true;
    case kHICommandClear:
      DialogDelete(dialog);
      return true;
    case kHICommandSelectAll:
      SelectDialogItemText(dialog, record->focus, 0, SInt16(kSpDialogEditTextLimit));
      return true;
    default:
      return false;
  }
}

// {'text', 2} on a dialog window: typed text goes into the focused field. Control characters
// are the editing keys (Delete, forward delete, arrows, Home, End) and Tab; Return, Enter and
// Escape are not text of a field. With Command held, X, C, V and A are Cut, Copy, Paste and
// Select All (a menu that has these keys took them before they became text).
OSStatus DialogTypedText(EventRef event, EventTargetRef target) {
  DialogRecord* record = DialogOfTarget(target);
  if (record == nullptr || !HasFocusedField(record)) return eventNotHandledErr;
  ByteCount size = 0;
  if (GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, 0, &size,
                        nullptr) != noErr ||
      size == 0) {
    return eventNotHandledErr;
  }
  std::string bytes(size, '\0');
  GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, size, nullptr,
                    &bytes[0]);
  const UInt32 modifiers = ModifiersOf(event);
  if ((modifiers & cmdKey) != 0) {
    if (bytes.size() != 1) return eventNotHandledErr;
    static const struct {
      char key;
      UInt32 command;
    } kKeys[] = {{'x', kHICommandCut},
                 {'c', kHICommandCopy},
                 {'v', kHICommandPaste},
                 {'a', kHICommandSelectAll}};
    char key = bytes[0];
    if (key >= 'A' && key <= 'Z') key = char(key - 'A' + 'a');
    for (const auto& k : kKeys) {
      if (k.key == key)
        return EditCommand(record, k.command) ? OSStatus(noErr) : eventNotHandledErr;
    }
    return eventNotHandledErr;
  }
  const bool extend = (modifiers & shiftKey) != 0;
  bool handled = false;
  std::string run;
  auto flush = [&]() {
    if (!run.empty()) {
      dialogs::ReplaceSelection(record, run);
      run.clear();
      handled = true;
    }
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const UInt8 c = UInt8(bytes[i]);
    const std::size_t length = dialogs::CharLength(bytes, i);
    if (length == 2 || (c >= kSpaceChar && c != kDeleteChar)) {
      run.append(bytes, i, length);
      i += length - 1;
      continue;
    }
    flush();
    // Typing may have taken the field away (a hidden field): stop there.
    if (!HasFocusedField(record)) break;
    if (c == kTabChar) {
      handled = dialogs::MoveFocusByTab(record, extend) || handled;
    } else if (dialogs::EditKey(record, c, extend)) {
      handled = true;
    }
  }
  flush();
  return handled ? OSStatus(noErr) : eventNotHandledErr;
}

// {'mous', 1} on a dialog window: a click in an edit-text item takes the focus and places the
// insertion point, a drag selects, Shift extends the selection. Clicks on controls go on: the
// application's handlers see them first, then the Control Manager's standard handling tracks
// them and sends their hit.
OSStatus DialogMouseDown(EventRef event, EventTargetRef target) {
  DialogRecord* record = DialogOfTarget(target);
  if (record == nullptr) return eventNotHandledErr;
  Point where = {0, 0};
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) != noErr) {
    return eventNotHandledErr;
  }
  WindowRef window = record->window;
  WindowRef hit = nullptr;
  if (FindWindow(where, &hit) != inContent || hit != window) return eventNotHandledErr;
  // A reading shown in the field is committed there before the click acts (a button may read
  // the field's text).
  if (!record->preedit.empty()) sp_platform::input_method::FixFieldPreedit();
  Point local = where;
  {
    dialogs::DialogPortScope scope(window);
    GlobalToLocal(&local);
  }
  DialogItemIndex itemNo = DialogItemIndex(FindDialogItem(dialogs::RefOf(record), local) + 1);
  dialogs::Item* item = dialogs::ItemAt(record, itemNo);
  if (item == nullptr || item->kind != editText) return eventNotHandledErr;
  const bool extend = (ModifiersOf(event) & shiftKey) != 0 && record->focus == itemNo;
  if (record->focus != itemNo) dialogs::SetFocus(record, itemNo);
  dialogs::TrackFieldClick(record, local, extend);
  return noErr;
}

// {'cmds', 1} on a dialog window, and on the application when the front non-floating window is
// a dialog with the standard handler: the clipboard commands and Select All on the focused field.
OSStatus DialogCommand(EventRef event, DialogRecord* record) {
  if (record == nullptr) return eventNotHandledErr;
  HICommand command = {};
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                        nullptr, &command) != noErr) {
    return eventNotHandledErr;
  }
  return EditCommand(record, command.commandID) ? OSStatus(noErr) : eventNotHandledErr;
}

OSStatus DialogWindowCommand(EventRef event, EventTargetRef target) {
  return DialogCommand(event, DialogOfTarget(target));
}

OSStatus DialogApplicationCommand(EventRef event, EventTargetRef) {
  DialogRecord* record = dialogs::LookupByWindow(FrontNonFloatingWindow());
  WindowAttributes attributes = 0;
  if (record == nullptr || GetWindowAttributes(record->window, &attributes) != noErr ||
      (attributes & kWindowStandardHandlerAttribute) == 0) {
    return eventNotHandledErr;
  }
  return DialogCommand(event, record);
}

// {'wind', 2} on a dialog window: the content is the dialog's items.
OSStatus DialogDrawContent(EventRef, EventTargetRef target) {
  DialogRecord* record = DialogOfTarget(target);
  if (record == nullptr) return eventNotHandledErr;
  DrawDialog(dialogs::RefOf(record));
  return noErr;
}

// {'mous', 10} on a dialog window: the wheel moves the scroll bar of the list or view under
// the pointer.
OSStatus DialogWheel(EventRef event, EventTargetRef target) {
  return dialogs::ScrollByWheel(DialogOfTarget(target), event) != nullptr ? OSStatus(noErr)
                                                                         : eventNotHandledErr;
}

const StandardHandlerRow kRows[] = {
    {kEventClassKeyboard, kEventRawKeyDown, kEventTargetKindWindow, DialogRawKeyDown,
     "dialogs: Return and Enter press the default item, Escape and Command-period the cancel "
     "item, when it is a visible, active control (it flashes and its {'cntl', 1} hit goes "
     "out); Tab and Shift-Tab move the focus between edit-text items"},
    {kEventClassTextInput, kEventTextInputUnicodeForKeyEvent, kEventTargetKindWindow,
     DialogTypedText,
     "dialogs: typed text goes into the focused edit-text item; Delete, forward delete, the "
     "arrows, Home and End edit it; Command-X, C, V, A cut, copy, paste and select all"},
    {kEventClassMouse, kEventMouseDown, kEventTargetKindWindow, DialogMouseDown,
     "dialogs: a click in an edit-text item focuses it and places the insertion point (a drag "
     "selects, Shift extends)"},
    {kEventClassMouse, kEventMouseWheelMoved, kEventTargetKindWindow, DialogWheel,
     "dialogs: the wheel moves the scroll bar under the pointer, or the one along the item "
     "under it, a notch an arrow step (its action procedure scrolls the list)"},
    {kEventClassCommand, kEventCommandProcess, kEventTargetKindWindow, DialogWindowCommand,
     "dialogs: the commands 'cut ', 'copy', 'past', 'clea' and 'sall' act on the focused "
     "edit-text item"},
    {kEventClassCommand, kEventCommandProcess, kEventTargetKindApplication,
     DialogApplicationCommand,
     "dialogs: the clipboard commands that reach the application act on the focused edit-text "
     "item of the front non-floating window when it is a dialog with the standard handler"},
    {kEventClassWindow, kEventWindowDrawContent, kEventTargetKindWindow, DialogDrawContent,
     "dialogs: drawing a dialog window's content draws its items (DrawDialog)"},
};

}  // namespace

const StandardHandlerRow* DialogStandardHandlerRows(std::size_t* count) {
  if (count != nullptr) *count = sizeof kRows / sizeof kRows[0];
  return kRows;
}

}  // namespace events
}  // namespace sp_platform
