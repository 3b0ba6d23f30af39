// Control Manager: push buttons, check boxes, radio buttons, popup buttons, scroll bars,
// progress bars, static text, user panes and the root control of a window's embedding
// hierarchy, drawn with QuickDraw into their window's port and tracked with the mouse.
//
// How it works here:
// - A control (ControlRef, the same as ControlHandle) is a record of the layer, not a Memory
//   Manager handle: do not lock it or ask its size. Every call checks the reference it is
//   given; a null, disposed or foreign reference is refused (paramErr, errUnknownControl, or
//   nothing, or 0). A control belongs to one window for its whole life; disposing of the
//   window disposes of its controls (until the Window Manager tells the layer so at once, the
//   controls of a window that is gone are disposed of on the next Control Manager call that
//   meets them).
// - Bounds are in the window port's local coordinates, also for embedded controls.
// - Values, minimum and maximum are 32-bit; the 16-bit calls read them cut to 16 bits
//   (-32768..32767) and write them as they are. A value is always kept inside
//   [minimum, maximum]: setting the value clamps it, and setting the minimum or the maximum
//   clamps the value again (a maximum below the minimum is raised to the minimum, and a
//   minimum above the maximum lowers nothing: the maximum is raised to it).
// - Titles are MacJapanese bytes, at most 255.
// - Kinds (GetControlKind, signature kControlKindSignatureApple) and how NewControl's procID
//   chooses them (the low four bits are variants and are kept where they mean something):
//     push button 'push'     0 (pushButProc), 8 (+ window font), 368 (kControlPushButtonProc)
//     check box 'cbox'       1, 9, 369; 371 toggles itself when clicked
//     radio button 'rdio'    2, 10, 370; 372 turns itself on when clicked
//     scroll bar 'sbar'      16 (scrollBarProc), 384; 386 (kControlScrollBarLiveProc) tracks
//                            its thumb live
//     progress bar 'prgb'    80 (kControlProgressBarProc)
//     popup button 'popb'    400..415 (kControlPopupButtonProc), 1008..1023 (popupMenuProc)
//     static text 'stxt'     288 (kControlStaticTextProc)
//     user pane 'upan'       256 (kControlUserPaneProc); also the root control
//   Any other procID makes a user pane (nothing drawn, nothing hit).
// - Popup buttons made by NewControl or a 'CNTL' resource take the toolbox's convention: the
//   value given is the title's style (kept, not used), the minimum the 'MENU' id of the popup's
//   menu and the maximum the width of the title area (0: no title shown). The control then
//   answers minimum 1, maximum the menu's item count and value 1 (0, 0 and 0 without a menu or
//   without items); when the menu's items change, SetControlPopupMenuHandle with it again
//   fits the range (tracking does too).
//   The menu is the one installed under that id (GetMenuHandle), else GetMenu's; a menu the
//   control took from the resource is put into the hierarchical part of the menu list (as the
//   toolbox did) and taken out again when the last popup that uses it goes. The control never
//   disposes of a menu it did not make (kControlPopupButtonOwnedMenuRefTag hands one over).
//   Menu id -12345 means no menu: give one with SetControlPopupMenuHandle or SetControlData.
// - Scroll bars are vertical when taller than wide. The arrows are squares of the bar's
//   thickness (at most 16) at both ends; the thumb is a square of the same size (or, with
//   SetControlViewSize, proportional to the view size and at least that square) sliding
//   between them; the page parts are the track above and below (left and right of) it. A
//   scroll bar whose maximum is not above its minimum has no thumb and no parts.
// - Activation and hiliting: a control is active or inactive (ActivateControl,
//   DeactivateControl, HiliteControl 255 and 254); an active control also has a hilited part
//   (HiliteControl 1..253, 0 none). GetControlHilite answers 255 for an inactive control.
//   HiliteControl with a part activates the control. Visibility and activity pass down the
//   embedding: a control inside a hidden or inactive one is not visible (IsControlVisible) or
//   not active (IsControlActive) either, while its own state is kept.
// - Embedding: CreateRootControl gives a window its root (a user pane as large as anything);
//   the window's controls made before are embedded in it, and every control made after is
//   embedded in it at once. EmbedControl moves a control (with everything in it) into another
//   control of the same window; it needs a root. Moving a control moves what is embedded in
//   it. DisposeControl disposes of the embedded controls too.
// - Drawing: the look is the layer's own, plain and legible: buttons with a frame and the
//   title centred, check marks, radio dots, scroll-bar arrows and thumb, the progress fill, in
//   the system font (IPA Gothic) at 12 pixels. Drawing goes to the window's port with the
//   port, pen, colours, text settings and clip restored afterwards, and draws nothing for a
//   control that is not visible. Calls that change what a control shows (value, title,
//   hilite, activity, data) redraw it at once; HideControl, MoveControl and SizeControl erase
//   the place it left with the port's background colour and add it to the window's update
//   region, so that whatever lies beneath is redrawn by the next update.
// - Tracking (TrackControl, HandleControlClick) follows the mouse through the events posted
//   to the queue (TrackMouseLocation), so it works the same with the display's input and the
//   test API's; while the button is held it calls the action procedure about every tick of the
//   clock (1/60 s), with the part where the press began, as long as the mouse stays in that
//   part. Before tracking, {'cntl', 51} (kEventControlTrack, with kEventParamDirectObject,
//   kEventParamMouseLocation (local) and kEventParamKeyModifiers) goes to the control's
//   target: a handler that answers noErr has tracked the control itself and sets the part in
//   kEventParamControlPart (none set: 0). After a click released in a part, TrackControl and
//   HandleControlClick send {'cntl', 1} (kEventControlHit) to the control's target: callers
//   must not send another. Its parameters: kEventParamDirectObject (typeControlRef),
//   kEventParamControlPart (typeControlPartCode), kEventParamKeyModifiers (typeUInt32) and
//   kEventParamMouseLocation (typeQDPoint, global, the release point).
//   Per kind: buttons, check boxes and radio buttons are hilited while the mouse is in them
//   (auto-toggling ones then change their value); scroll-bar arrows and page parts only call
//   the action procedure (the program changes the value); the thumb follows the mouse, live
//   for kControlScrollBarLiveProc (the value changes as it moves and the action procedure runs
//   with kControlIndicatorPart after the value has changed), otherwise the value is set at the
//   release; popup buttons show their menu (PopUpMenuSelect) and take the chosen item as their
//   value. The action `(ControlActionUPP)-1` (kControlUseOwnActionProc) means the control's
//   own (SetControlAction); a null action calls nothing.
// - Events: the control's target (GetControlEventTarget) has the target of the control it is
//   embedded in as its parent, the root's has the window's, so what the control's handlers
//   leave goes on to the window and then the application. Besides track and hit:
//   {'cntl', 54} (kEventControlIndicatorMoved) when a thumb drag changed the value, and
//   {'cntl', 151} (kEventControlValueFieldChanged) whenever the value, minimum or maximum
//   changed; each with kEventParamDirectObject.
// - Standard handling (platform/ui/ControlStandardRows.cpp): a mouse-down that reached the
//   application unhandled, over the content of a window that has the standard handler
//   (kWindowStandardHandlerAttribute), on a visible and active control, is tracked with
//   HandleControlClick (the control's own action) and answered noErr. Return and Enter on such
//   a window press its default button (SetWindowDefaultButton), Escape and Command-period its
//   cancel button, when that button is visible and active: the button flashes and its hit
//   event goes out.
//
// Results are the toolbox's codes; no call throws.
#pragma once

#include <cstdint>

#include "CFString.h"
#include "CarbonEvents.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "Menus.h"
#include "QuickDraw.h"

// ControlRef itself is declared with the Carbon Event Manager.
typedef ControlRef ControlHandle;
typedef SInt16 ControlPartCode;
typedef UInt32 ControlVariant;

// ---- Part codes -----------------------------------------------------------------------------
enum : ControlPartCode {
  kControlNoPart = 0,
  kControlLabelPart = 1,
  kControlMenuPart = 2,
  kControlTrianglePart = 4,
  kControlButtonPart = 10,
  kControlCheckBoxPart = 11,
  kControlRadioButtonPart = 12,
  kControlUpButtonPart = 20,
  kControlDownButtonPart = 21,
  kControlPageUpPart = 22,
  kControlPageDownPart = 23,
  kControlIndicatorPart = 129,
  kControlDisabledPart = 254,
  kControlInactivePart = 255,
};
// The classic names.
enum : ControlPartCode {
  inLabel = 1,
  inMenu = 2,
  inButton = 10,
  inCheckBox = 11,
  inUpButton = 20,
  inDownButton = 21,
  inPageUp = 22,
  inPageDown = 23,
  inThumb = 129,
};

// ---- Definition ids (procIDs) ---------------------------------------------------------------
enum : SInt16 {
  pushButProc = 0,
  checkBoxProc = 1,
  radioButProc = 2,
  useWFont = 8,
  scrollBarProc = 16,
  kControlProgressBarProc = 80,
  kControlUserPaneProc = 256,
  kControlStaticTextProc = 288,
  kControlPushButtonProc = 368,
  kControlCheckBoxProc = 369,
  kControlRadioButtonProc = 370,
  kControlCheckBoxAutoToggleProc = 371,
  kControlRadioButtonAutoToggleProc = 372,
  kControlScrollBarProc = 384,
  kControlScrollBarLiveProc = 386,
  kControlPopupButtonProc = 400,
  popupMenuProc = 1008,
};
// Popup variants (added to the procID).
enum : SInt16 {
  popupFixedWidth = 1 << 0,
  popupVariableWidth = 1 << 1,
  popupUseAddResMenu = 1 << 2,
  popupUseWFont = 1 << 3,
};
// Popup title justification and styles of CreatePopupButtonControl.
enum : SInt16 {
  popupTitleLeftJust = 0x0000,
  popupTitleCenterJust = 0x0001,
  popupTitleRightJust = 0x00FF,
};
// The menu id that stands for "no menu" in a popup's minimum.
enum : SInt16 { kSpPopupNoMenuID = -12345 };

// Check box values.
enum : SInt32 {
  kControlCheckBoxUncheckedValue = 0,
  kControlCheckBoxCheckedValue = 1,
  kControlCheckBoxMixedValue = 2,
  kControlRadioButtonUncheckedValue = 0,
  kControlRadioButtonCheckedValue = 1,
  kControlRadioButtonMixedValue = 2,
};

// ---- Kinds ----------------------------------------------------------------------------------
struct ControlKind {
  OSType signature;
  OSType kind;
};
enum : OSType {
  kControlKindSignatureApple = 0x6170706C,  // 'appl'
  kControlKindPushButton = 0x70757368,      // 'push'
  kControlKindCheckBox = 0x63626F78,        // 'cbox'
  kControlKindRadioButton = 0x7264696F,     // 'rdio'
  kControlKindScrollBar = 0x73626172,       // 'sbar'
  kControlKindProgressBar = 0x70726762,     // 'prgb'
  kControlKindPopupButton = 0x706F7062,     // 'popb'
  kControlKindStaticText = 0x73747874,      // 'stxt'
  kControlKindUserPane = 0x7570616E,        // 'upan'
};

// ---- Result codes ---------------------------------------------------------------------------
// (errWindowRegionCodeInvalid, -30593, is the Window Manager's.)
enum : OSStatus {
  errMessageNotSupported = -30580,
  errDataNotSupported = -30581,
  errControlDoesntSupportFocus = -30582,
  errUnknownControl = -30584,
  errCouldntSetFocus = -30585,
  errNoRootControl = -30586,
  errRootAlreadyExists = -30587,
  errInvalidPartCode = -30588,
  errControlsAlreadyExist = -30589,
  errControlIsNotEmbedder = -30590,
  errDataSizeMismatch = -30591,
  errControlHiddenOrDisabled = -30592,
  errCantEmbedIntoSelf = -30594,
  errCantEmbedRoot = -30595,
  errItemNotControl = -30596,
};

// ---- Action procedures ----------------------------------------------------------------------
typedef void (*ControlActionProcPtr)(ControlRef theControl, ControlPartCode partCode);
typedef ControlActionProcPtr ControlActionUPP;

// UPPs are the plain procedures; Dispose has nothing to free.
ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine);
void DisposeControlActionUPP(ControlActionUPP userUPP);
void InvokeControlActionUPP(ControlRef theControl, ControlPartCode partCode,
                            ControlActionUPP userUPP);

// TrackControl's and HandleControlClick's "use the control's own action procedure".
#define kControlUseOwnActionProc \
  (reinterpret_cast<ControlActionUPP>(static_cast<std::intptr_t>(-1)))

// ---- Making and disposing of controls -------------------------------------------------------
// A new control in the window (see the top of this file for procIDs and popups); the value is
// clamped into [min, max]. Null for an invalid window, a null rectangle, or when memory runs
// out. Drawn at once when visible.
ControlRef NewControl(WindowRef owningWindow, const Rect* boundsRect, ConstStr255Param controlTitle,
                      Boolean initiallyVisible, SInt16 initialValue, SInt16 minimumValue,
                      SInt16 maximumValue, SInt16 procID, SRefCon controlReference);
// A new control from the 'CNTL' resource: bounds (top, left, bottom, right), value, visible
// (a word, non-zero), maximum, minimum, procID, refCon (32-bit), title (length-prefixed), all
// big-endian. Null when the resource is missing or shorter than its fields say.
ControlRef GetNewControl(SInt16 resourceID, WindowRef owningWindow);
// Disposes of the control and of the controls embedded in it; erases it first when visible.
void DisposeControl(ControlRef theControl);
// Disposes of every control of the window (its root included).
void KillControls(WindowRef theWindow);
Boolean IsValidControlHandle(ControlRef theControl);

// The Carbon ways of making the standard kinds; each answers paramErr for an invalid window, a
// null rectangle or a null outControl, memFullErr when memory runs out. Titles are CFStrings
// (null: none), kept as MacJapanese.
OSStatus CreatePushButtonControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                                 ControlRef* outControl);
OSStatus CreateCheckBoxControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef* outControl);
OSStatus CreateRadioButtonControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                                  SInt32 initialValue, Boolean autoToggle, ControlRef* outControl);
// menuID: the menu installed under that id (else GetMenu's); kSpPopupNoMenuID for none.
// titleWidth -1 makes the title area as wide as the title.
OSStatus CreatePopupButtonControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                                  SInt16 menuID, Boolean variableWidth, SInt16 titleWidth,
                                  SInt16 titleJustification, Style titleStyle,
                                  ControlRef* outControl);
// viewSize 0: a thumb of fixed size. liveTracking: the thumb is tracked live.
OSStatus CreateScrollBarControl(WindowRef window, const Rect* boundsRect, SInt32 value,
                                SInt32 minimum, SInt32 maximum, SInt32 viewSize,
                                Boolean liveTracking, ControlActionUPP liveTrackingProc,
                                ControlRef* outControl);
OSStatus CreateProgressBarControl(WindowRef window, const Rect* boundsRect, SInt32 value,
                                  SInt32 minimum, SInt32 maximum, Boolean indeterminate,
                                  ControlRef* outControl);
// style is not used (null).
struct ControlFontStyleRec;
OSStatus CreateStaticTextControl(WindowRef window, const Rect* boundsRect, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl);
// features is kept and not used.
OSStatus CreateUserPaneControl(WindowRef window, const Rect* boundsRect, UInt32 features,
                               ControlRef* outControl);

// ---- Embedding ------------------------------------------------------------------------------
// errRootAlreadyExists when the window has one (*outControl then gets it).
OSStatus CreateRootControl(WindowRef inWindow, ControlRef* outControl);
// errNoRootControl when the window has none.
OSStatus GetRootControl(WindowRef inWindow, ControlRef* outControl);
// Moves inControl (with what is embedded in it) to the end of inContainer's embedded controls.
// errNoRootControl without a root, errCantEmbedRoot for the root, errCantEmbedIntoSelf for
// itself or a control embedded in it, errControlIsNotEmbedder for another window's control.
OSStatus EmbedControl(ControlRef inControl, ControlRef inContainer);
// The control it is embedded in (the root for the root's own controls). errNoRootControl
// without a root; the root itself answers errControlIsNotEmbedder.
OSStatus GetSuperControl(ControlRef inControl, ControlRef* outParent);
OSStatus CountSubControls(ControlRef inControl, UInt16* outNumChildren);
// inIndex from 1; errInvalidPartCode (as the toolbox) when out of range.
OSStatus GetIndexedSubControl(ControlRef inControl, UInt16 inIndex, ControlRef* outSubControl);

// ---- The window of a control ----------------------------------------------------------------
WindowRef GetControlOwner(ControlRef control);

// ---- Finding and tracking -------------------------------------------------------------------
// The visible, active control under the local point (the front-most, the deepest embedded)
// and its part; 0 and a null control when there is none (also over an inactive or hidden
// control, or over a part-less one such as static text or a progress bar).
ControlPartCode FindControl(Point testPoint, WindowRef theWindow, ControlRef* theControl);
// The deepest visible control under the local point, whether active or not; *outPart (may be
// null) gets its part (0 when inactive). Null when none.
ControlRef FindControlUnderMouse(Point inWhere, WindowRef inWindow, ControlPartCode* outPart);
// The part of the control under the local point; 0 outside, or when hidden or inactive.
ControlPartCode TestControl(ControlRef theControl, Point testPoint);
// Tracks a press that began at the local point (see the top of this file) and answers the
// part where the button was released, 0 when it was released outside the part where it began
// (or the press was not in a part).
ControlPartCode TrackControl(ControlRef theControl, Point startPoint, ControlActionUPP actionProc);
// TrackControl with the modifiers of the click, which go with the hit event.
ControlPartCode HandleControlClick(ControlRef inControl, Point inWhere, EventModifiers inModifiers,
                                   ControlActionUPP inAction);
void SetControlAction(ControlRef theControl, ControlActionUPP actionProc);
ControlActionUPP GetControlAction(ControlRef theControl);

// ---- State ----------------------------------------------------------------------------------
// 0: active, nothing hilited; 1..253: that part hilited (and active); 254, 255: inactive.
void HiliteControl(ControlRef theControl, ControlPartCode hiliteState);
// 255 for an inactive control, else the hilited part (0 none).
UInt16 GetControlHilite(ControlRef control);
// A part (1..253) is hilited on an active control.
Boolean IsControlHilited(ControlRef control);
OSErr ActivateControl(ControlRef inControl);
OSErr DeactivateControl(ControlRef inControl);
Boolean IsControlActive(ControlRef inControl);

void ShowControl(ControlRef theControl);
void HideControl(ControlRef theControl);
OSErr SetControlVisibility(ControlRef inControl, Boolean inIsVisible, Boolean inDoDraw);
Boolean IsControlVisible(ControlRef inControl);

// Moves the control's top-left corner to (h, v) (local), with what is embedded in it.
void MoveControl(ControlRef theControl, SInt16 h, SInt16 v);
// Gives it this width and height (a negative one counts as 0).
void SizeControl(ControlRef theControl, SInt16 w, SInt16 h);
Rect* GetControlBounds(ControlRef control, Rect* bounds);
// Moves and sizes the control to the rectangle (what is embedded moves by the same offset).
void SetControlBounds(ControlRef control, const Rect* bounds);

// ---- Values ---------------------------------------------------------------------------------
SInt16 GetControlValue(ControlRef theControl);
void SetControlValue(ControlRef theControl, SInt16 newValue);
SInt16 GetControlMinimum(ControlRef theControl);
void SetControlMinimum(ControlRef theControl, SInt16 newMinimum);
SInt16 GetControlMaximum(ControlRef theControl);
void SetControlMaximum(ControlRef theControl, SInt16 newMaximum);
SInt32 GetControl32BitValue(ControlRef theControl);
void SetControl32BitValue(ControlRef theControl, SInt32 newValue);
SInt32 GetControl32BitMinimum(ControlRef theControl);
void SetControl32BitMinimum(ControlRef theControl, SInt32 newMinimum);
SInt32 GetControl32BitMaximum(ControlRef theControl);
void SetControl32BitMaximum(ControlRef theControl, SInt32 newMaximum);
// Scroll bars: the size of the visible part, in the value's units (0: a thumb of fixed size).
SInt32 GetControlViewSize(ControlRef theControl);
void SetControlViewSize(ControlRef theControl, SInt32 newViewSize);

// ---- Titles and reference -------------------------------------------------------------------
// Sets the title (MacJapanese, at most 255 bytes) and redraws. A null title clears it.
void SetControlTitle(ControlRef theControl, ConstStr255Param title);
// The title; the empty string for an invalid control. A null title does nothing.
void GetControlTitle(ControlRef theControl, Str255 title);
OSStatus SetControlTitleWithCFString(ControlRef inControl, CFStringRef inString);
// A new CFString of the title (the caller releases it); paramErr for an invalid control.
OSStatus CopyControlTitleAsCFString(ControlRef inControl, CFStringRef* outString);
// Pointer-sized: it carries object pointers.
SRefCon GetControlReference(ControlRef theControl);
void SetControlReference(ControlRef theControl, SRefCon data);
// errUnknownControl for anything that is not a live control (a null control: paramErr is not
// used, so that "fails on a non-control" holds for every bad reference).
OSStatus GetControlKind(ControlRef inControl, ControlKind* outControlKind);

// ---- Drawing --------------------------------------------------------------------------------
void Draw1Control(ControlRef theControl);
// Every visible control of the window, in order (embedders before what they hold).
void DrawControls(WindowRef theWindow);
// The controls that meet the region (local coordinates; null: every control).
void UpdateControls(WindowRef inWindow, RgnHandle inUpdateRegion);

// ---- Popup buttons --------------------------------------------------------------------------
// The popup's menu; null for another kind or a popup without one.
MenuRef GetControlPopupMenuHandle(ControlRef control);
// Gives the popup this menu (the caller keeps owning it): maximum = its item count, the value
// clamped. Nothing for another kind.
void SetControlPopupMenuHandle(ControlRef control, MenuRef popupMenu);
inline MenuRef GetControlPopupMenuRef(ControlRef control) {
  return GetControlPopupMenuHandle(control);
}
inline void SetControlPopupMenuRef(ControlRef control, MenuRef menu) {
  SetControlPopupMenuHandle(control, menu);
}
// The popup's menu id (the minimum it was made with); 0 for another kind.
SInt16 GetControlPopupMenuID(ControlRef control);

// ---- Default and cancel buttons of a window -------------------------------------------------
// The window's default (cancel) button: Return and Enter (Escape and Command-period) press it
// (see the top of this file). Null clears it. A default push button is drawn with a heavier
// frame. paramErr for an invalid window, errUnknownControl for a control that is not live,
// errControlIsNotEmbedder for another window's control.
OSStatus SetWindowDefaultButton(WindowRef inWindow, ControlRef inControl);
OSStatus SetWindowCancelButton(WindowRef inWindow, ControlRef inControl);
OSStatus GetWindowDefaultButton(WindowRef inWindow, ControlRef* outControl);
OSStatus GetWindowCancelButton(WindowRef inWindow, ControlRef* outControl);

// ---- Control data ---------------------------------------------------------------------------
typedef ResType ControlDataTag;
typedef Size ControlDataSize;  // a Size, as the toolbox's

// The tags the layer knows; inPart is not looked at. Sizes are checked
// (errDataSizeMismatch); a tag the kind does not have answers errDataNotSupported.
enum : ControlDataTag {
  // Push buttons: Boolean. Setting them makes the button the window's default (cancel)
  // button, or stops it being that.
  kControlPushButtonDefaultTag = 0x64666C74,  // 'dflt'
  kControlPushButtonCancelTag = 0x636E636C,   // 'cncl'
  // Static text: the text (MacJapanese, any length); GetControlDataSize answers its length.
  kControlStaticTextTextTag = 0x74657874,  // 'text'
  // Popup buttons: MenuRef. Set: the caller keeps owning the menu (MenuRefTag) or hands it
  // over (OwnedMenuRefTag: disposed of with the control). The id tag is an SInt16 (read only).
  kControlPopupButtonMenuHandleTag = 0x6D68616E,    // 'mhan'
  kControlPopupButtonMenuRefTag = 0x6D68616E,       // 'mhan'
  kControlPopupButtonOwnedMenuRefTag = 0x6F6D7266,  // 'omrf'
  kControlPopupButtonMenuIDTag = 0x6D6E6964,        // 'mnid'
  // Progress bars: Boolean.
  kControlProgressBarIndeterminateTag = 0x696E6465,  // 'inde'
  kControlProgressBarAnimatingTag = 0x616E696D,      // 'anim'
  // User panes: the procedures below.
  kControlUserPaneDrawProcTag = 0x64726177,      // 'draw'
  kControlUserPaneHitTestProcTag = 0x68697474,   // 'hitt'
  kControlUserPaneTrackingProcTag = 0x7472616B,  // 'trak'
  kControlUserPaneActivateProcTag = 0x61637469,  // 'acti'
};

// Called with the port set to the control's window, to draw the pane (part: 0 all of it).
typedef void (*ControlUserPaneDrawProcPtr)(ControlRef control, SInt16 part);
// The part under the local point (0 none).
typedef ControlPartCode (*ControlUserPaneHitTestProcPtr)(ControlRef control, Point where);
// Tracks a press at the local point; answers the part where it ended (0 none).
typedef ControlPartCode (*ControlUserPaneTrackingProcPtr)(ControlRef control, Point startPt,
                                                          ControlActionUPP actionProc);
typedef void (*ControlUserPaneActivateProcPtr)(ControlRef control, Boolean activating);
typedef ControlUserPaneDrawProcPtr ControlUserPaneDrawUPP;
typedef ControlUserPaneHitTestProcPtr ControlUserPaneHitTestUPP;
typedef ControlUserPaneTrackingProcPtr ControlUserPaneTrackingUPP;
typedef ControlUserPaneActivateProcPtr ControlUserPaneActivateUPP;

OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize,
                     const void* inData);
// Copies at most inBufferSize bytes; *outActualSize (may be null) gets the data's full size. A
// buffer smaller than a fixed-size datum answers errDataSizeMismatch.
OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                     Size inBufferSize, void* inBuffer, Size* outActualSize);
OSErr GetControlDataSize(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                         Size* outMaxSize);
