// Dialog Manager: dialogs built from 'DLOG' and 'DITL' resources (or from parameters), their
// items, edit-text fields with a keyboard focus, and the clipboard commands of those fields.
//
// How it works here:
// - A dialog is a window of the Window Manager (its kind kDialogWindowKind) with an item list.
//   GetDialogWindow, GetDialogPort and GetDialogFromWindow move between the three. The port
//   draws the system font (0) at size 12.
// - Items count from 1, in the order of their 'DITL', also after AppendDITL and ShortenDITL.
//   Kinds (the low seven bits of the item type; itemDisable (128) marks a disabled item):
//     button, check box, radio button (4, 5, 6): a control made with NewControl (push button,
//       check box, radio button procIDs; value 0, minimum 0, maximum 1) whose title is the
//       item's text; resource control (7): GetNewControl of the item's 'CNTL' id, moved and
//       sized to the item's rectangle. The item's handle is the ControlRef.
//     static text (8), edit text (16): the handle is a Memory Manager handle holding the text
//       (MacJapanese, no length byte, up to kSpDialogEditTextLimit bytes); GetDialogItemText
//       and SetDialogItemText take that handle. Static text is at most 255 bytes.
//     icon (32), picture (64): drawn with PlotIconID and DrawPicture of the item's resource id;
//       the handle is null.
//     user item (0): the handle is a UserItemUPP (null when none was set) that DrawDialog calls
//       with the dialog and the item number; without a procedure the item is only a rectangle.
//   A disabled item looks and behaves like an enabled one here; the flag only says that the
//   item reports no hits to the modal dialog calls.
// - The 'DITL' and 'DLOG' bytes are checked: a list that runs past its end (an item cut short)
//   makes GetNewDialog and AppendDITL fail (null and nothing appended) rather than read
//   beyond it. The item-list handle given to NewDialog, NewFeaturesDialog and AppendDITL is
//   read, never kept: it stays the caller's (a resource handle may be released afterwards).
// - Edit-text fields: one of them has the keyboard focus (GetDialogKeyboardFocusItem: its
//   item number, or -1 when no item has it; the first edit-text item gets it when the dialog
//   is made, with the insertion point at the end of its text). The focused field shows its
//   selection (highlighted) or its insertion point (a caret line). Typing replaces the
//   selection; Delete, forward delete, the arrow keys, Home and End edit and move (up and down
//   between the lines the field wraps its text into; the field scrolls to keep the insertion
//   point shown); Shift with the arrows extends the selection. Offsets always fall between
//   characters: a two-byte MacJapanese character is never split. Japanese text arrives
//   committed (typed text events); there is no inline input.
// - DialogCut, DialogCopy, DialogPaste and DialogDelete work on the focused field with one
//   clipboard for the whole process (MacJapanese bytes).
// - Hidden items: HideDialogItem moves the item's rectangle 16384 pixels to the right (so
//   GetDialogItem reports it there) and hides its control; ShowDialogItem moves it back. A
//   hidden item is neither drawn nor found by FindDialogItem nor clicked; a hidden field gives
//   the focus to the first edit-text item still shown (-1 when none).
// - Drawing: DrawDialog draws every visible item into the dialog's port with QuickDraw
//   (controls with Draw1Control); UpdateDialog only those that meet a region. Changing an
//   item's text or the selection of a visible dialog draws the item at once.
// - Standard handling (for dialog windows that have kWindowStandardHandlerAttribute):
//   Return and Enter press the default item, Escape and Command-period the cancel item, when
//   that item is an active, visible control (it flashes and the control's {'cntl', 1} hit
//   event is sent; without such an item the key goes on); typed text goes to the focused
//   field; Tab moves the focus to the next edit-text item (Shift-Tab to the previous); a click
//   in an edit-text item takes the focus and places the insertion point (a drag selects,
//   Shift extends); the clipboard commands ('cut ', 'copy', 'past', 'clea', 'sall', and
//   Command-X, C, V, A typed when no menu took them) act on the focused field; the window's
//   draw-content event draws the dialog. Clicks on an item's control go on to the
//   application's handlers and then to the Control Manager's standard handling, which tracks
//   the control and sends its hit.
//
// Calls check their dialog first: a null dialog, or one that was disposed of, does nothing
// (paramErr for calls with a result, 0 or null for getters). GetDialogItemAsControl answers
// errItemNotControl (Controls.h) for an item without a control.
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QDText.h"
#include "QuickDraw.h"

// The dialog record belongs to the layer.
struct OpaqueDialogPtr;
typedef OpaqueDialogPtr* DialogPtr;
typedef DialogPtr DialogRef;

typedef SInt16 DialogItemIndex;
typedef SInt16 DialogItemIndexZeroBased;
typedef SInt16 DialogItemType;
typedef SInt16 DITLMethod;

// Item types (GetDialogItem, SetDialogItem).
enum : DialogItemType {
  userItem = 0,
  ctrlItem = 4,
  btnCtrl = 0,
  chkCtrl = 1,
  radCtrl = 2,
  resCtrl = 3,
  statText = 8,
  editText = 16,
  iconItem = 32,
  picItem = 64,
  itemDisable = 128,
  kUserDialogItem = 0,
  kControlDialogItem = 4,
  kButtonDialogItem = 4,
  kCheckBoxDialogItem = 5,
  kRadioButtonDialogItem = 6,
  kResourceControlDialogItem = 7,
  kStaticTextDialogItem = 8,
  kEditTextDialogItem = 16,
  kIconDialogItem = 32,
  kPictureDialogItem = 64,
  kItemDisableBit = 128,
};

// The standard item numbers of OK and Cancel.
enum : DialogItemIndex {
  kStdOkItemIndex = 1,
  kStdCancelItemIndex = 2,
};

// AppendDITL: the new items keep their coordinates (overlayDITL), are offset by the port
// rectangle's top-right (appendDITLRight) or bottom-left corner (appendDITLBottom), the window
// growing to hold them; a negative method -n offsets them by the top-left corner of item n.
enum : DITLMethod {
  overlayDITL = 0,
  appendDITLRight = 1,
  appendDITLBottom = 2,
};

// NewFeaturesDialog flags.
enum : UInt32 {
  kDialogFlagsUseThemeBackground = 1u << 0,
  kDialogFlagsUseControlHierarchy = 1u << 1,
  kDialogFlagsHandleMovableModal = 1u << 2,
  kDialogFlagsUseThemeControls = 1u << 3,
};

// The longest text of an edit-text item, in bytes.
enum : SInt32 { kSpDialogEditTextLimit = 32767 };

// A user item's drawing procedure.
typedef void (*UserItemProcPtr)(DialogRef theDialog, DialogItemIndex itemNo);
typedef UserItemProcPtr UserItemUPP;
UserItemUPP NewUserItemUPP(UserItemProcPtr userRoutine);
void DisposeUserItemUPP(UserItemUPP userUPP);
void InvokeUserItemUPP(DialogRef theDialog, DialogItemIndex itemNo, UserItemUPP userUPP);

// ---- Making and disposing ----

// The dialog of the 'DLOG' resource `dialogID` with the items of its 'DITL': the window of
// the resource's bounds, definition (procID), title, close box and refCon, placed as its
// position code says (centred or in the alert position on the main screen; other codes keep
// the bounds), behind `behind` ((WindowRef)-1: in front of its layer), shown when the resource
// says visible. `dStorage` is not used. Null when either resource is missing or damaged, or
// memory runs out.
DialogRef GetNewDialog(SInt16 dialogID, void* dStorage, WindowRef behind);
// A dialog whose content is `boundsRect` (global coordinates), made as NewCWindow makes a
// window, with the items of the 'DITL' bytes of `items` (null: no items).
DialogRef NewDialog(void* dStorage, const Rect* boundsRect, ConstStr255Param title, Boolean visible,
                    SInt16 procID, WindowRef behind, Boolean goAwayFlag, SRefCon refCon,
                    Handle items);
// NewDialog; kDialogFlagsUseControlHierarchy also gives the window a root control first.
// Other flags change nothing here.
DialogRef NewFeaturesDialog(void* inStorage, const Rect* inBoundsRect, ConstStr255Param inTitle,
                            Boolean inIsVisible, SInt16 inProcID, WindowRef inBehind,
                            Boolean inGoAwayFlag, SRefCon inRefCon, Handle inItemListHandle,
                            UInt32 inFlags);
// Disposes of the items (their controls and text handles) and the window.
void DisposeDialog(DialogRef theDialog);

WindowRef GetDialogWindow(DialogRef dialog);
// Null for a window that is not a dialog's.
DialogRef GetDialogFromWindow(WindowRef window);
CGrafPtr GetDialogPort(DialogRef dialog);

// ---- Items ----

// The item's type, handle and rectangle (local coordinates). Each output may be null. An item
// number outside 1..CountDITL leaves the outputs as they are.
void GetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType* itemType,
                   Handle* item, Rect* box);
// Sets the item's rectangle and its disabled flag (itemDisable of itemType). The kind of an
// item does not change; a user item takes `item` as its UserItemUPP. The handles of the other
// kinds belong to the dialog, so `item` is ignored for them. A control is not moved (move it
// with MoveControl).
void SetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType itemType,
                   Handle item, const Rect* box);
// The control of a button, check box, radio button or resource-control item. paramErr for a
// bad dialog, item number or pointer, errItemNotControl for an item without a control
// (*outControl is then null).
OSErr GetDialogItemAsControl(DialogRef inDialog, SInt16 inItemNo, ControlRef* outControl);
// The text of a static or edit-text item's handle (its first 255 bytes), as a length-prefixed
// string; the empty string for any other handle.
void GetDialogItemText(Handle item, Str255 text);
// Replaces the text of the item whose handle this is (static text is cut to 255 bytes, on a
// character boundary) and draws the item when its dialog is visible. A focused edit-text item
// gets its insertion point at the end of the new text. Other handles are ignored.
void SetDialogItemText(Handle item, ConstStr255Param text);
// Gives the edit-text item the focus and selects [strtSel, endSel) of its text (clamped to
// the text and to character boundaries: 0, 32767 selects all). Other items: nothing.
void SelectDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, SInt16 strtSel,
                          SInt16 endSel);
// The number of items; 0 for a bad dialog.
DialogItemIndex CountDITL(DialogRef theDialog);
// Appends the items of the 'DITL' bytes of theHandle (see DITLMethod). A damaged list, or one
// that would make the dialog hold more than 32767 items, appends nothing.
void AppendDITL(DialogRef theDialog, Handle theHandle, DITLMethod method);
// Removes the last numberItems items (all when there are fewer); the focus moves to the
// first remaining edit-text item when its item goes.
void ShortenDITL(DialogRef theDialog, DialogItemIndex numberItems);
// The zero-based index of the first visible item whose rectangle holds the local point, or -1.
DialogItemIndexZeroBased FindDialogItem(DialogRef theDialog, Point thePt);

// The items Return/Enter and Escape/Command-period press (0: none). paramErr for a bad
// dialog or an item number outside 0..CountDITL. A button item also becomes the window's
// default (cancel) button (SetWindowDefaultButton), which draws the default one heavier.
OSErr SetDialogDefaultItem(DialogRef theDialog, DialogItemIndex newItem);
OSErr SetDialogCancelItem(DialogRef theDialog, DialogItemIndex newItem);
DialogItemIndex GetDialogDefaultItem(DialogRef theDialog);
DialogItemIndex GetDialogCancelItem(DialogRef theDialog);
// Recorded only: the cursor is the display's business.
OSErr SetDialogTracksCursor(DialogRef theDialog, Boolean tracks);

// ---- Drawing and visibility ----

void DrawDialog(DialogRef theDialog);
// Draws the visible items whose rectangles meet the region (local coordinates; null: all).
void UpdateDialog(DialogRef theDialog, RgnHandle updateRgn);
void HideDialogItem(DialogRef theDialog, DialogItemIndex itemNo);
void ShowDialogItem(DialogRef theDialog, DialogItemIndex itemNo);

// ---- Keyboard focus and the clipboard ----

// The item number of the focused edit-text item, or -1 when none has the focus.
SInt16 GetDialogKeyboardFocusItem(DialogRef dialog);
// Gives the edit-text item the focus with the insertion point at the end of its text; -1 (or
// 0) takes the focus away. paramErr for a bad dialog or an item that is not edit text.
OSErr SetDialogKeyboardFocusItem(DialogRef dialog, DialogItemIndex itemNo);
// The focused field's selection to the clipboard and out of the field (Cut), to the clipboard
// (Copy), the clipboard's text in place of the selection (Paste; cut to what the field
// holds), the selection deleted (Delete). Nothing without a focused field.
void DialogCut(DialogRef theDialog);
void DialogCopy(DialogRef theDialog);
void DialogPaste(DialogRef theDialog);
void DialogDelete(DialogRef theDialog);

// ---- The text-edit record of a dialog's fields ----
// A dialog that has edit-text items has one text-edit record for them, which acts on the
// focused field. The record belongs to the dialog and goes with it; its fields are the
// layer's own.
struct TERec;
typedef TERec* TEPtr;
typedef TEPtr* TEHandle;

// TEFeatureFlag features and actions.
enum : SInt16 {
  teFAutoScroll = 0,
  teFTextBuffering = 1,
  teFOutlineHilite = 2,
  teFInlineInput = 3,
  teFUseWhiteBackground = 4,
  teFUseInlineInput = 5,
  teFInlineInputAutoScroll = 6,
};
enum : SInt16 {
  teBitClear = 0,
  teBitSet = 1,
  teBitTest = -1,
};

// The dialog's record; null for a bad dialog or one without edit-text items.
TEHandle GetDialogTextEditHandle(DialogRef dialog);
// A press at the local point in the focused field: the insertion point goes there (fExtend:
// the selection extends from its anchor), then the mouse is followed until it is released,
// selecting. Nothing without a focused field.
void TEClick(Point pt, Boolean fExtend, TEHandle hTE);
// Recorded: the focused field shows its selection either way.
void TEActivate(TEHandle hTE);
void TEDeactivate(TEHandle hTE);
// The caret does not blink here: nothing to do.
void TEIdle(TEHandle hTE);
// One typed byte into the focused field: a printable character replaces the selection (a
// two-byte character arrives as its two bytes, one call each), the editing keys (Delete,
// forward delete, arrows, Home, End) edit; other control characters are ignored.
void TEKey(CharParameter key, TEHandle hTE);
// Sets (teBitSet), clears (teBitClear) or only tests (teBitTest) the feature's bit; answers
// its state before the call (teBitSet or teBitClear). Nothing is done with the bits.
SInt16 TEFeatureFlag(SInt16 feature, SInt16 action, TEHandle hTE);

// =============================================================================================
// ---- Modal dialogs (helper ALERTS: platform/ui/ModalDialog*.cpp) ----------------------------
// =============================================================================================
// ModalDialog runs a loop of its own for the front dialog (the dialog of the front window that
// is neither floating nor a help window) until an item is hit, and answers it:
// - Each pass runs the File Manager's queued completions, the layer's pass hooks (so update
//   and activate events, and the display's input, keep coming), the queued Apple events, then
//   takes ONE queued event, then fires the timers that are due. With nothing to do it waits
//   for the next timer (on the real clock timers of every pass wait for the next tick). It nests inside any handler or timer callback (a modal dialog run
//   from a timer callback works), and loops run inside it nest in turn.
// - The events a person makes (mouse down and up, key down and auto-key, typed text) are
//   taken as classic event records (ConvertEventRefToEventRecord; typed text as a key-down of
//   its first byte). Each goes first to the filter; when the filter answers true, ModalDialog
//   returns with the item the filter set. Otherwise the standard filter (StdFilterProc: Return
//   and Enter, Escape and Command-period) and then DialogSelect handle it; an enabled item hit
//   ends the loop. Typed text that no filter took goes into the focused field byte by byte
//   (TEKey). A press in another window beeps and is dropped; a press in the dialog's title
//   strip drags the dialog. Mouse moves, drags and key-ups are dropped. Other events (window,
//   command, control, application events) are sent to their targets as the event loop sends
//   them.
// - When the loop finds nothing to do, the filter gets a null event (then DialogSelect, for
//   the caret), and an update event for each visible window whose update region changed
//   since the filter last saw it; an update of the dialog's own window that nobody took draws
//   the dialog (BeginUpdate, UpdateDialog, EndUpdate).
// - The loop gives up (nothing will ever happen on the virtual clock, the test API's watchdog
//   tripped, the responder of the test API found no answer, or the dialog went away): it says
//   so on the standard error and answers the dialog's cancel item, else its default item,
//   else its first shown button, else 0. Should a program keep calling it while it keeps
//   giving up, the process ends with a message rather than hang.
typedef Boolean (*ModalFilterProcPtr)(DialogRef theDialog, EventRecord* theEvent,
                                      DialogItemIndex* itemHit);
typedef ModalFilterProcPtr ModalFilterUPP;
// UPPs are the plain procedures; Dispose has nothing to free.
ModalFilterUPP NewModalFilterUPP(ModalFilterProcPtr userRoutine);
void DisposeModalFilterUPP(ModalFilterUPP userUPP);
Boolean InvokeModalFilterUPP(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit,
                             ModalFilterUPP userUPP);

// See above. `modalFilter` may be null (the standard filter only). *itemHit gets 0 when there
// is no front dialog. A null itemHit does nothing.
void ModalDialog(ModalFilterUPP modalFilter, DialogItemIndex* itemHit);

// True when the event is for a dialog: an update or activate event of a dialog's window
// (its message), a press in the content of a dialog's window, any other event while the front
// window is a dialog's. False for null.
Boolean IsDialogEvent(const EventRecord* theEvent);

// Handles one classic event for the front dialog (for update and activate events: the
// dialog of the event's window). Answers true with *theDialog and *itemHit when an enabled
// item was hit:
// - mouse down in the content: an edit-text item takes the focus and follows the press
//   (TEClick; Shift extends); a control is tracked (TrackControl with its own action) and
//   hit when released in it; any other item is hit at once. Disabled items are handled the
//   same way but answer false.
// - key down, auto-key: Tab moves the focus to the next edit-text item (Shift-Tab the
//   previous); with Command held, X, C, V and A cut, copy, paste and select all in the focused
//   field (answer false); any other key goes to the focused field (TEKey) and hits it.
// - update: the dialog is drawn between BeginUpdate and EndUpdate; activate: its field is
//   activated or deactivated; null: TEIdle. These answer false.
// Null arguments answer false.
Boolean DialogSelect(const EventRecord* theEvent, DialogRef* theDialog, DialogItemIndex* itemHit);

// The standard filter: a key down (not auto-key) of Return or Enter presses the dialog's
// default item, Escape or Command-period its cancel item, when that item is a visible, active
// control (never an inactive one): it flashes, *itemHit gets the item, and the answer is true.
// Everything else answers false.
Boolean StdFilterProc(DialogRef theDialog, EventRecord* event, DialogItemIndex* itemHit);
// StdFilterProc. paramErr for a null pointer.
OSErr GetStdFilterProc(ModalFilterUPP* theProc);
