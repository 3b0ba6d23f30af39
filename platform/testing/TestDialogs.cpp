// Test API: dialogs (see TestDialogs.h).
#include "TestDialogs.h"

#include "Controls.h"
#include "SpTextCodec.h"
#include "TestEvents.h"
#include "TestQuickDraw.h"
#include "ui/internal/Controls.h"
#include "ui/internal/DialogClipboard.h"
#include "ui/internal/Dialogs.h"

namespace sp_testing {
namespace {

// Virtual key codes of the keys the helpers press.
enum : UInt8 {
  kKeyReturn = 36,
  kKeyTab = 48,
  kKeyDelete = 51,
  kKeyEscape = 53,
  kKeyPeriod = 47,
  kKeyEnter = 76,
  kKeyHome = 115,
  kKeyForwardDelete = 117,
  kKeyEnd = 119,
  kKeyLeft = 123,
  kKeyRight = 124,
  kKeyDown = 125,
  kKeyUp = 126,
};

Point ToGlobal(DialogRef dialog, Point local) {
  return sp_platform::controls::ToGlobal(GetDialogWindow(dialog), local);
}

// A press and release at a global point, then the events run.
void ClickAt(Point global, UInt32 modifiers) {
  PostMouseDown(global, modifiers);
  PostMouseUp(global, modifiers);
  PumpPending();
}

}  // namespace

void ResetDialogs() {
  for (DialogRef dialog : sp_platform::dialogs::AllDialogs()) DisposeDialog(dialog);
  sp_platform::dialogs::ClearClipboard();
}

void TypeText(const std::string& macJapanese, UInt32 modifiers) {
  PostTextInput(macJapanese, modifiers);
  PumpPending();
}

void TypeTextUTF8(const std::string& utf8, UInt32 modifiers) {
  PostTextInputUTF8(utf8, modifiers);
  PumpPending();
}

void PressKey(UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
  PostKeyDown(charCode, keyCode, modifiers);
  PostKeyUp(charCode, keyCode, modifiers);
  PumpPending();
}

void PressReturn(UInt32 modifiers) {
  PressKey(0x0D, kKeyReturn, modifiers);
}
void PressEnter(UInt32 modifiers) {
  PressKey(0x03, kKeyEnter, modifiers);
}
void PressEscape(UInt32 modifiers) {
  PressKey(0x1B, kKeyEscape, modifiers);
}
void PressCommandPeriod() {
  PressKey('.', kKeyPeriod, cmdKey);
}
void PressTab(UInt32 modifiers) {
  PressKey(0x09, kKeyTab, modifiers);
}
void PressBackspace(UInt32 modifiers) {
  PressKey(0x08, kKeyDelete, modifiers);
}
void PressForwardDelete(UInt32 modifiers) {
  PressKey(0x7F, kKeyForwardDelete, modifiers);
}
void PressLeftArrow(UInt32 modifiers) {
  PressKey(0x1C, kKeyLeft, modifiers);
}
void PressRightArrow(UInt32 modifiers) {
  PressKey(0x1D, kKeyRight, modifiers);
}
void PressUpArrow(UInt32 modifiers) {
  PressKey(0x1E, kKeyUp, modifiers);
}
void PressDownArrow(UInt32 modifiers) {
  PressKey(0x1F, kKeyDown, modifiers);
}
void PressHome(UInt32 modifiers) {
  PressKey(0x01, kKeyHome, modifiers);
}
void PressEnd(UInt32 modifiers) {
  PressKey(0x04, kKeyEnd, modifiers);
}

bool DialogItemCentre(DialogRef dialog, DialogItemIndex itemNo, Point* global) {
  if (global == nullptr || itemNo < 1 || itemNo > CountDITL(dialog)) return false;
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, &type, &handle, &box);
  if (box.left >= sp_platform::dialogs::kHiddenItemThreshold) return false;
  Point local;
  local.h = SInt16((box.left + box.right) / 2);
  local.v = SInt16((box.top + box.bottom) / 2);
  *global = ToGlobal(dialog, local);
  return true;
}

bool ClickDialogItem(DialogRef dialog, DialogItemIndex itemNo, UInt32 modifiers) {
  Point global;
  if (!DialogItemCentre(dialog, itemNo, &global)) return false;
  ClickAt(global, modifiers);
  return true;
}

void ClickDialogPoint(DialogRef dialog, Point local, UInt32 modifiers) {
  ClickAt(ToGlobal(dialog, local), modifiers);
}

void DragInDialog(DialogRef dialog, Point fromLocal, Point toLocal, UInt32 modifiers) {
  Point from = ToGlobal(dialog, fromLocal);
  Point to = ToGlobal(dialog, toLocal);
  PostMouseDown(from, modifiers);
  PostMouseDragged(to, modifiers);
  PostMouseUp(to, modifiers);
  PumpPending();
}

std::string DialogItemText(DialogRef dialog, DialogItemIndex itemNo) {
  return sp_platform::dialogs::ItemTextOf(dialog, itemNo);
}

std::string DialogItemTextUTF8(DialogRef dialog, DialogItemIndex itemNo) {
  return sp::text::MacJapaneseToUTF8(DialogItemText(dialog, itemNo));
}

std::string DialogFieldReading(DialogRef dialog) {
  return sp_platform::dialogs::FieldReadingOf(dialog);
}

SInt32 DialogItemValue(DialogRef dialog, DialogItemIndex itemNo) {
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, itemNo, &control) != noErr) return 0;
  return GetControl32BitValue(control);
}

UInt16 DialogItemHilite(DialogRef dialog, DialogItemIndex itemNo) {
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, itemNo, &control) != noErr) return 0;
  return GetControlHilite(control);
}

TextSelection DialogSelection(DialogRef dialog) {
  SInt32 start = 0;
  SInt32 end = 0;
  if (!sp_platform::dialogs::FocusedTextState(dialog, &start, &end, nullptr)) return {0, 0};
  return {start, end};
}

SInt32 DialogFirstShownLine(DialogRef dialog) {
  SInt32 firstLine = 0;
  return sp_platform::dialogs::FocusedTextState(dialog, nullptr, nullptr, &firstLine) ? firstLine
                                                                                      : 0;
}

std::vector<DialogItemIndex> DialogFlashes(DialogRef dialog) {
  return sp_platform::dialogs::FlashesOf(dialog);
}

std::vector<DialogRef> LiveDialogs() {
  return sp_platform::dialogs::AllDialogs();
}

std::string ClipboardText() {
  return sp_platform::dialogs::ClipboardText();
}

void SetClipboardText(const std::string& macJapanese) {
  sp_platform::dialogs::PutClipboardText(macJapanese);
}

void SetClipboardTextUnicode(const std::string& utf8) {
  sp_platform::dialogs::PutClipboardTextUnicode(utf8);
}

bool SnapshotDialog(DialogRef dialog, const std::string& path) {
  CGrafPtr port = GetDialogPort(dialog);
  if (port == nullptr) return false;
  DrawDialog(dialog);
  return SnapshotPort(port, path);
}

}  // namespace sp_testing
