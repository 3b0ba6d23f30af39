// Alerts and sheets: the standard alert (a message, an explanation and up to three buttons,
// with the stop, note or caution icon), alerts from 'ALRT' resources, and standard alert
// sheets shown on a window.
//
// How it works here:
// - A standard alert is a dialog of the Dialog Manager that the layer builds itself. Its items
//   always have these numbers, whether shown or not, so that the item a modal loop answers is
//   the button's own number:
//     1 the default (OK) button        kAlertStdAlertOKButton
//     2 the cancel button              kAlertStdAlertCancelButton
//     3 the other button               kAlertStdAlertOtherButton
//     4 the help button ("?")          kAlertStdAlertHelpButton
//     5 the message (static text, disabled)
//     6 the explanation (static text, disabled)
//     7 the icon (disabled): 'ICN#'/'cicn' kStopIcon 0, kNoteIcon 1, kCautionIcon 2 for the
//       stop, note and caution alerts; hidden in a plain alert
//   A button without a text, and an empty explanation, are hidden items (HideDialogItem).
// - Layout: the content is kSpAlertWidth pixels wide (wider when the buttons need it). The
//   icon sits at the top left; the message and, below it, the explanation are wrapped to the
//   width right of the icon (MacJapanese text, measured in the dialog's font, the system font
//   at 12) and each item is as tall as its lines; the buttons stand in a row below the texts
//   and the icon: the OK button at the right, the cancel button left of it, the other button
//   at the left edge (right of the help button). Each button is as wide as its title plus 28
//   pixels, at least kSpAlertMinButtonWidth. The window is as tall as its content.
// - Texts: the message and explanation keep up to kSpAlertTextLimit bytes each (cut on a
//   character boundary), button titles up to 255 bytes. A button text of
//   kAlertDefaultOKText / kAlertDefaultCancelText / kAlertDefaultOtherText (-1) gets the
//   standard title ("OK", "キャンセル", "保存しない"); null (or an empty text) means no
//   such button, except that the OK button is always there ("OK" when it has no text).
// - Default and cancel: defaultButton names the button Return and Enter press (it gets the
//   default ring); 0, or a button that is not shown, means the OK button, so that Return always
//   answers an alert. cancelButton names the button Escape and Command-period press; 0, or a
//   button that is not shown, means none.
// - Window: an alert window (movable: a movable alert) with no title, in the layer of alerts
//   and modal windows, placed by `position` (the 'DLOG' position words of
//   detail/WindowPlacement.h; 0, kWindowDefaultPosition, is the alert position on the main
//   screen).
// - StandardAlert and RunStandardAlert run ModalDialog (Dialogs.h) with the alert in front,
//   the filter given (null: the standard filter, StdFilterProc) until a button is hit, then
//   dispose of the alert. Timers, updates and file completions go on meanwhile.
// - Sheets: CreateStandardSheet builds the same alert in a sheet window (hidden; show it with
//   ShowSheetWindow(GetDialogWindow(sheet), parent)). The sheet window has the standard
//   handler: a click on a button, Return (default button) and Escape or Command-period
//   (cancel button) press it. A pressed button sends the command {'cmds', 1} ('----',
//   typeHICommand, attributes kHICommandFromControl) 'ok  ', 'not!', 'othr' (help: 'ahlp') to
//   the sheet window's target, where handlers installed on the sheet see it first. When it
//   reaches the sheet's standard sheet handling (every handler of the sheet window left it
//   unhandled), the sheet is hidden, the command goes on to the target given to
//   CreateStandardSheet (when that is not the sheet window's own), and the sheet is disposed
//   of (kept, hidden, with kStdAlertDoNotDisposeSheet). CloseStandardSheet does the same from
//   the program.
// - Window-modal: while a sheet is shown on a window, that window gets no user input: presses
//   (with a beep), keys and typed text meant for it are taken out of the queue before any loop
//   delivers them. Other windows go on as usual. (The layer watches for this from the first
//   CreateStandardSheet on; it then covers any sheet window shown with ShowSheetWindow.)
//
// Results are the toolbox's codes (paramErr for a missing argument, memFullErr when the alert
// cannot be made); nothing throws.
#pragma once

#include <cstdint>

#include "CFString.h"
#include "CarbonEvents.h"
#include "Dialogs.h"
#include "MacTypes.h"
#include "MacWindows.h"

typedef SInt16 AlertType;
enum : AlertType {
  kAlertStopAlert = 0,
  kAlertNoteAlert = 1,
  kAlertCautionAlert = 2,
  kAlertPlainAlert = 3,
};

// The buttons of a standard alert, and the item numbers a modal loop answers for them.
enum : SInt16 {
  kAlertStdAlertOKButton = 1,
  kAlertStdAlertCancelButton = 2,
  kAlertStdAlertOtherButton = 3,
  kAlertStdAlertHelpButton = 4,
};

// The other items of a standard alert.
enum : DialogItemIndex {
  kSpAlertMessageItem = 5,
  kSpAlertExplanationItem = 6,
  kSpAlertIconItem = 7,
};

// The alert icons (resource ids of their 'ICN#' / 'cicn').
enum : SInt16 {
  kStopIcon = 0,
  kNoteIcon = 1,
  kCautionIcon = 2,
};

// Layout of a standard alert, in pixels.
enum : SInt16 {
  kSpAlertWidth = 420,
  kSpAlertMinButtonWidth = 68,
  kSpAlertButtonHeight = 20,
};

// The longest message or explanation an alert keeps, in bytes.
enum : SInt32 { kSpAlertTextLimit = 1023 };

// A button text that asks for the standard title (cast to ConstStringPtr or CFStringRef).
enum : std::intptr_t {
  kAlertDefaultOKText = -1,
  kAlertDefaultCancelText = -1,
  kAlertDefaultOtherText = -1,
};

// The 'DLOG' position word of the standard place (the alert position on the main screen).
enum : UInt16 { kWindowDefaultPosition = 0 };

// Texts are length-prefixed MacJapanese strings.
struct AlertStdAlertParamRec {
  Boolean movable;
  Boolean helpButton;
  ModalFilterUPP filterProc;  // null: the standard filter
  ConstStringPtr defaultText;
  ConstStringPtr cancelText;
  ConstStringPtr otherText;
  SInt16 defaultButton;
  SInt16 cancelButton;
  UInt16 position;
};
typedef AlertStdAlertParamRec* AlertStdAlertParamPtr;

enum : UInt32 { kStdCFStringAlertVersionOne = 1 };

typedef UInt32 OptionBits;

// AlertStdCFStringAlertParamRec.flags
enum : OptionBits {
  kStdAlertDoNotDisposeSheet = 1u << 0,
  kStdAlertDoNotAnimateOnDefault = 1u << 1,
  kStdAlertDoNotAnimateOnCancel = 1u << 2,
  kStdAlertDoNotAnimateOnOther = 1u << 3,
  kStdAlertDoNotCloseOnHelp = 1u << 4,
};

// The command of the help button of a sheet.
enum : UInt32 { kHICommandAppHelp = 0x61686C70 };  // 'ahlp'

// Texts are CFStrings; the caller keeps them (the alert copies what it shows).
struct AlertStdCFStringAlertParamRec {
  UInt32 version;  // kStdCFStringAlertVersionOne
  Boolean movable;
  Boolean helpButton;
  CFStringRef defaultText;
  CFStringRef cancelText;
  CFStringRef otherText;
  SInt16 defaultButton;
  SInt16 cancelButton;
  UInt16 position;
  OptionBits flags;
};
typedef AlertStdCFStringAlertParamRec* AlertStdCFStringAlertParamPtr;

// The standard parameters: movable, no help button, the standard OK text and no other button
// texts, default button OK, no cancel button, the standard position, no flags. paramErr for
// a null record or another version.
OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamPtr param, UInt32 version);

// ---- Standard alerts ------------------------------------------------------------------------

// Shows the alert, runs the modal loop until a button is hit and disposes of the alert.
// *outItemHit: kAlertStdAlertOKButton .. kAlertStdAlertHelpButton. A null inAlertParam shows
// an OK button only. inExplanation may be null. paramErr for a null error text or item
// pointer, memFullErr when the alert cannot be made (*outItemHit is then 0).
OSErr StandardAlert(AlertType inAlertType, ConstStr255Param inError, ConstStr255Param inExplanation,
                    const AlertStdAlertParamRec* inAlertParam, SInt16* outItemHit);

// The alert as a hidden dialog, for RunStandardAlert (or the program's own ModalDialog loop).
// inExplanation and param may be null. paramErr for a null error text or output, memFullErr.
OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);
// Shows the alert in front, runs ModalDialog with the filter (null: the standard filter) until
// a button is hit, and disposes of the alert. paramErr for a dialog that is not a standard
// alert made by CreateStandardAlert, or a null item pointer.
OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc,
                          DialogItemIndex* outItemHit);

// ---- Sheets ---------------------------------------------------------------------------------

// The alert in a hidden sheet window (see the top of this file); notifyTarget (may be null)
// receives the command of the button pressed. paramErr for a null error text or output,
// memFullErr.
OSStatus CreateStandardSheet(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param,
                             EventTargetRef notifyTarget, DialogRef* outSheet);
// Closes the standard sheet as if the button of the command (kHICommandOK, kHICommandCancel,
// kHICommandOther, kHICommandAppHelp; 0: no command) had been pressed, except that the command
// goes only to the notify target. paramErr for a dialog that is not a standard sheet.
OSStatus CloseStandardSheet(DialogRef inSheet, UInt32 inResultCommand);

// ---- Sizing ---------------------------------------------------------------------------------

// Makes every visible static-text item as tall as its wrapped text (at least one line), moves
// the items below it (wholly below its old bottom) up or down by as much, and changes the
// window's height with them. paramErr for a bad dialog.
OSErr AutoSizeDialog(DialogRef inDialog);

// ---- Alerts from 'ALRT' resources -----------------------------------------------------------

// The texts that replace ^0, ^1, ^2 and ^3 in the static and edit texts of the alerts that
// Alert, StopAlert, NoteAlert and CautionAlert show (null: empty).
void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2,
               ConstStr255Param param3);

typedef SInt16 AlertID;
// The 'ALRT' (bounds, 'DITL' id, stages, position word) as a modal alert: the first stage
// says which item is the default (item 1, or item 2 when its bold-item bit is set) and how
// often to beep first (SysBeep); the other of items 1 and 2, when it is a button, is the
// cancel item. StopAlert, NoteAlert and CautionAlert add the icon of that kind at (10, 20)
// after the resource's items. Runs ModalDialog with the filter (null: the standard filter)
// until an enabled item is hit, disposes of the alert and answers the item; -1 when the
// resources are missing or damaged, or memory runs out.
DialogItemIndex Alert(SInt16 alertID, ModalFilterUPP modalFilter);
DialogItemIndex StopAlert(SInt16 alertID, ModalFilterUPP modalFilter);
DialogItemIndex NoteAlert(SInt16 alertID, ModalFilterUPP modalFilter);
DialogItemIndex CautionAlert(SInt16 alertID, ModalFilterUPP modalFilter);
