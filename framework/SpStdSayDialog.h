// The standard say dialogs: the program's ready-made ways of telling the user something and of
// asking a yes/no or three-way question.
//
// - Sp_SayAlertByModal: the toolbox's standard alert.
// - Sp_SayDialogByModal: a one-button message dialog (dialog 6130), the most used of all; the
//   error log and the error-number messages show their texts through it.
// - SpStdSayDlgTwoButton, SpStdSayDlgThreeButton: modal dialogs whose button titles the caller
//   gives; each button is widened to its title, and the dialog can be centred on a point.
// - Sheets on a window, built with CreateStandardSheet: Sp_SayDialogByModalBySheetAlert,
//   SpStdSayDlgTwoButtonBySheetAlert, SpStdSayDlgTwoButtonBySheetAlertWithCFString,
//   SpStdSayDlgThreeButtonBySheetAlert.
//
// Every call blocks until the user answers, and disposes of everything it made before it
// returns. The modal dialogs run in one of two modes: in the Carbon-event mode
// (Sp_Is_CarbonEvent_ModeEnable) they put handlers on their buttons and window and run
// RunAppModalLoopForWindow; otherwise the classic ModalDialog loop with SpStdSayDlgNormalFilter,
// which keeps the framework's idle work and the other windows' updates going.
//
// Texts are MacJapanese, zero-terminated. A text longer than the room the dialog has for it is
// cut between characters, never inside a two-byte character.
#pragma once

#include "CFString.h"
#include "CarbonEvents.h"
#include "Dialogs.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "SpErrorInfoSystem.h"

// The dialog resources of the modal say dialogs and the items they must hold.
enum : SInt16 {
  kSpSayDlgOneButtonID = 6130,        // 1 OK button, 3 the message
  kSpSayDlgTwoButtonID = 6131,        // any kind but stop and note
  kSpSayDlgTwoButtonStopID = 6132,    // 1 first button (default), 2 second, 4 the message
  kSpSayDlgTwoButtonNoteID = 6133,    //
  kSpSayDlgThreeButtonStopID = 6140,  // 1, 2, 3 buttons (1 default), 5 and 6 the texts
  kSpSayDlgThreeButtonNoteID = 6141,  //
  kSpSayDlgThreeButtonID = 6142,      // any kind but stop and note
};

// What a button title needs beyond its text's width.
enum : SInt16 { kSpSayDlgButtonTitleMargin = 28 };

// The answer record that a dialog function shares with its Carbon handlers (their user data).
// The function zeroes it before filling it; answer stays 0 until a button is chosen.
struct sSpStdSayDlgAnswerRec {
  WindowRef window;
  short answer;
  ControlRef firstButton;
  short firstButtonNo;
  unsigned char hasSecondButton;
  ControlRef secondButton;
  short secondButtonNo;
  unsigned char hasThirdButton;
  ControlRef thirdButton;
  short thirdButtonNo;
};

// ---- Modal dialogs --------------------------------------------------------------------------

// The standard alert of the type (0 stop, 1 note, 2 caution, 3 plain) with the message and the
// explanation (null or empty: none) and up to three buttons: the default one ("OK" without a
// text), cancel and other (none without a text). Return and Enter press the default button.
// Answers the button hit (1 default, 2 cancel, 3 other); 0 and nothing shown for a null or
// empty message. Texts of more than 255 bytes are cut; the caller's buffers are not changed.
short Sp_SayAlertByModal(short alertType, char* message, char* explanation, char* defaultText,
                         char* cancelText, char* otherText);

// Shows the message (at most 255 bytes shown) in dialog 6130 until the user dismisses it: a
// click on OK, Return or Enter, and in the Carbon-event mode also Escape and Command-period.
// classicLoop nonzero runs the ModalDialog loop even in the Carbon-event mode. A null or empty
// message shows nothing.
void Sp_SayDialogByModal(char* message, unsigned char classicLoop);

// Two buttons with the caller's titles (both required; at most 255 bytes each) and the message
// (null: an empty text) in dialog 6132 (type 0), 6133 (type 1) or 6131 (any other type). A
// button too narrow for its title is widened to the title's width plus 28 pixels, keeping its
// right edge; the first button moves left by as much as the second one grew. With centre
// nonzero the dialog is centred on the global point (h, v) when it then lies wholly inside the
// screen, else it stays where its resource puts it. Return and Enter answer 1, Command-period
// (and Escape in the Carbon-event mode) 2. Answers 1 or 2, 0 when the dialog cannot be made.
short SpStdSayDlgTwoButton(char* firstTitle, char* secondTitle, char* message, tStdSayDlgType type,
                           unsigned char centre, short h, short v);

// Three buttons (titles required) and two texts (null: empty) in dialog 6140 (type 0), 6141
// (type 1) or 6142 (any other type). Buttons 1 and 2 stand at the right and are widened as in
// SpStdSayDlgTwoButton; button 3 stands at the left and widens to the right. Answers 1, 2 or
// 3, 0 when the dialog cannot be made.
short SpStdSayDlgThreeButton(char* firstTitle, char* secondTitle, char* thirdTitle, char* firstText,
                             char* secondText, tStdSayDlgType type, unsigned char centre, short h,
                             short v);

// ---- Sheets ---------------------------------------------------------------------------------
// The sheets are standard alert sheets of the type (0 stop, 1 note, 2 caution) on the parent
// window, which gets no input while the sheet is up. The call returns when a button was
// pressed; the sheet is then closed and disposed of by the toolbox.

// One button. Every text and the parent are required; texts keep at most 1,023 bytes.
void Sp_SayDialogByModalBySheetAlert(WindowRef parent, tStdSayDlgType type, char* message,
                                     char* explanation, char* buttonTitle);

// The default button and, when cancelTitle is not null, a cancel button. Texts keep at most
// 511 bytes. Answers 1 (default) or 2 (cancel), 0 when the sheet cannot be made. With a null
// parent the two-button modal dialog is shown instead (SpStdSayDlgTwoButton, both titles then
// required) with the message and, below it, the explanation.
short SpStdSayDlgTwoButtonBySheetAlert(WindowRef parent, tStdSayDlgType type, char* message,
                                       char* explanation, char* defaultTitle, char* cancelTitle);

// The same with CFString texts, which stay the caller's. With a null parent the texts are
// converted to MacJapanese (1,023 bytes at most each) for the modal dialog.
short SpStdSayDlgTwoButtonBySheetAlertWithCFString(WindowRef parent, tStdSayDlgType type,
                                                   CFStringRef message, CFStringRef explanation,
                                                   CFStringRef defaultTitle,
                                                   CFStringRef cancelTitle);

// Default, cancel (when cancelTitle is not null) and other (when otherTitle is not null)
// buttons. Texts keep at most 511 bytes. Answers 1, 2 or 3, 0 when the sheet cannot be made.
short SpStdSayDlgThreeButtonBySheetAlert(WindowRef parent, tStdSayDlgType type, char* message,
                                         char* explanation, char* defaultTitle, char* cancelTitle,
                                         char* otherTitle);

// ---- Handlers and filter (installed by the functions above) ---------------------------------
// userData is the sSpStdSayDlgAnswerRec of the call.

// {'cntl', 1} on the modal dialogs' buttons: the button's number becomes the answer and the
// modal loop ends (noErr); any other control: eventNotHandledErr.
OSStatus SpStdSayDlg_CatchButtonDownForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event,
                                                   void* userData);
// {'keyb', 1} on the modal dialogs' windows: Return and Enter answer 1, Escape and
// Command-period 2, and the modal loop ends (noErr); other keys: eventNotHandledErr.
OSStatus SpStdSayDlg_CatchDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef callRef,
                                                         EventRef event, void* userData);
// {'cmds', 1} on the sheet windows: 'ok  ' answers 1, 'not!' 2, 'othr' 3 and ends the modal
// loop. Always eventNotHandledErr, so that the standard sheet handling closes the sheet.
OSStatus SpStdSayDlg_CatchAlertSheetButtonDownForOSXCFMHProc(EventHandlerCallRef callRef,
                                                             EventRef event, void* userData);

// The classic loop's filter: drags framework windows by their title strips; Return and Enter
// hit item 1 and Command-period item 2 (the button flashes); Command-A selects the whole text
// of the focused field; updates its own dialog and hands other windows' updates to the
// framework; runs the framework's idle work after every event. True when it handled the event.
Boolean SpStdSayDlgNormalFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit);

// ---- Error display --------------------------------------------------------------------------
// Makes the say dialogs the displays of the error log (the error-number messages first, then
// the one-button dialog) and of the error-number messages (the one-button dialog, and the
// two-button sheet on a window). Start-up calls it first of all, so that even its own failures
// reach the user.
void SpStdSayDlg_InstallErrorDisplayProcs();
