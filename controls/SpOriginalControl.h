// The framework's wrappers of Control Manager controls, the per-window lists through which
// a click in a window's content reaches them, the scroll bar that views share, the counter and
// the cursor volume control.
//
// A cSp_OCnt_BasicWindowControlObj makes and owns one toolbox control and keeps its rectangle,
// range, value, visibility and enabled state beside it, with four optional procedures around
// tracking (before the track, during it, and after a release in the part first hit or
// elsewhere). The control's reference value leads back to its wrapper. A wrapper is clicked only
// once it has been put into its window's list (a cSp_OCnt_WinBase per window): the framework
// window's content mouse-down offers the click to that list before its views' hot-spot areas.
//
// A cScrollBarObj is a wrapped scroll bar that scrolls one or more views together along one
// axis: its maximum is the smallest overflow of the attached views, its page the smallest of
// their sizes, and its value their common scroll value. The bars the views make for themselves
// join their window's list, so that clicks reach them.
//
// A cSp_OriginalCounterControl shows a number (a whole number or a float) as a line of text and
// reports clicks on it. A cSp_OriginalCursorVolumeControl draws nothing: a drag from its area
// up, down, left or right changes a value by the distance of the mouse from its centre (or
// from the edge of a dead zone), showing a cursor for the direction.
//
// Failures beep once and leave one error-log record (source "SpOriginalControl").
#pragma once

#include "Controls.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "SpCollectionObject.h"
#include "SpHotSpotArea.h"
#include "SpListLinks.h"
#include "SpMouseTraceObject.h"
#include "SpStringView.h"
#include "SpViewClass.h"

class cSp_OCnt_WinBase;

// The procedures a wrapper can carry: before-track (reference value), action (control, part,
// reference value), hit and miss (reference value).
typedef void (*tSpOCnt_BeforeTrackProcPtr)(unsigned long refCon);
typedef void (*tSpOCnt_ActionProcPtr)(ControlRef control, short part, unsigned long refCon);
typedef void (*tSpOCnt_HitProcPtr)(unsigned long refCon);

// A wrapper sits in its window's control list through cSpListLinks; the list keeps its own
// names for the links (GetBeforeLinkItem, GetNextLinkItem), which callers use.
class cSp_OCnt_BasicWindowControlObj : public cSpListLinks<cSp_OCnt_BasicWindowControlObj> {
 public:
  // Makes the control (a scroll bar, procID 16, tracks live when the Appearance Manager is in
  // use); the value is clamped into min..max first. The wrapper does not join its window's
  // list.
  cSp_OCnt_BasicWindowControlObj(WindowRef window, Rect& rect, short min, short max, short value,
                                 Boolean visible, short procID);
  // Hides and disposes of the control.
  virtual ~cSp_OCnt_BasicWindowControlObj();
  cSp_OCnt_BasicWindowControlObj(const cSp_OCnt_BasicWindowControlObj&) = delete;
  cSp_OCnt_BasicWindowControlObj& operator=(const cSp_OCnt_BasicWindowControlObj&) = delete;

  void StartUpInitialize();

  void ControlVisible();
  void ControlInvisible();
  void ControlEnable();
  void ControlDisable();
  unsigned char IsControlVisibleFlag() const { return visible_; }
  unsigned char IsControlEnableFlag() const { return enabled_; }

  ControlHandle GetControlHandle() const { return control_; }
  WindowRef GetTargetWindow() const { return window_; }
  void GetContorlAreaRect(Rect& rect) const { rect = rect_; }
  void GetControlObjSize(short* width, short* height) const;
  // 1 when the size changed; 0 when it is the present one or there is no control.
  unsigned char SetControlObjSize(short width, short height);
  // 1 when the control moved; 0 when it stands there already or there is no control.
  unsigned char MoveControlObj(short left, short top);

  void SetupMaxValue(short value);
  void SetupMinValue(short value);
  short GetMaxValue() const { return max_; }
  short GetMinValue() const { return min_; }
  // Stores the value and, with apply, gives it to the control.
  void SetupCurrnetValue(short value, Boolean apply);
  short GetCurrnetValue() const { return value_; }

  // The procedures around tracking (derived controls store them); each does nothing when
  // none is stored.
  void ExecBeforeTrackProc();
  void ExecActionProc(ControlRef control, short part);
  void ExecHitProc();
  void ExecMissProc();

  // The window's list (only the window base links and unlinks wrappers).
  cSp_OCnt_BasicWindowControlObj* GetBeforeLinkItem() const { return GetBeforeObjectPtr(); }
  cSp_OCnt_BasicWindowControlObj* GetNextLinkItem() const { return GetNextObjectPtr(); }

 protected:
  tSpOCnt_BeforeTrackProcPtr beforeTrackProc_ = nullptr;
  tSpOCnt_ActionProcPtr actionProc_ = nullptr;
  tSpOCnt_HitProcPtr hitProc_ = nullptr;
  tSpOCnt_HitProcPtr missProc_ = nullptr;
  unsigned long beforeTrackRefCon_ = 0;  // pointer-sized: usually the owning object
  unsigned long actionRefCon_ = 0;
  unsigned long hitRefCon_ = 0;
  unsigned long missRefCon_ = 0;

 private:
  WindowRef window_ = nullptr;
  Rect rect_ = {0, 0, 0, 0};
  // A new control is active.
  UInt8 enabled_ = 1;
  UInt8 visible_ = 0;
  ControlHandle control_ = nullptr;
  SInt16 min_ = 0;
  SInt16 max_ = 0;
  SInt16 value_ = 0;
  // The block the control's reference value points at: it holds this wrapper's address.
  Ptr referenceBlock_ = nullptr;

  friend class cSp_OCnt_WinBase;
};

// The wrapped controls of one window. The window bases form one list (cSpListLinks, under
// the list's own link names), the newest first.
class cSp_OCnt_WinBase : public cSpListLinks<cSp_OCnt_WinBase> {
 public:
  explicit cSp_OCnt_WinBase(WindowRef window);
  // Leaves the list of window bases; the controls stay.
  ~cSp_OCnt_WinBase();
  cSp_OCnt_WinBase(const cSp_OCnt_WinBase&) = delete;
  cSp_OCnt_WinBase& operator=(const cSp_OCnt_WinBase&) = delete;

  void SetupTargetWindowPtr(WindowRef window) { window_ = window; }
  WindowRef GetTargetWindow() const { return window_; }
  cSp_OCnt_WinBase* GetBeforeLinkItem() const { return GetBeforeObjectPtr(); }
  cSp_OCnt_WinBase* GetNextLinkItem() const { return GetNextObjectPtr(); }
  // Window bases are deleted by their owner; this does nothing.
  void DeleteItem() {}

  // A control already in the list stays where it is; any other goes in front.
  void SetupInto_BasicWinCntObjList(cSp_OCnt_BasicWindowControlObj* item);
  // 1 when the control was in the list and is taken out; else a beep and 0.
  unsigned char UnlinkFrom_BasicWinCntObjList(cSp_OCnt_BasicWindowControlObj* item);
  // The first control of the list (from the front) whose rectangle holds the local point.
  cSp_OCnt_BasicWindowControlObj* GetBasicWinCntObject(Point localPoint) const;
  cSp_OCnt_BasicWindowControlObj* GetBasicWinCntObjectWithControlRef(ControlRef control) const;
  cSp_OCnt_BasicWindowControlObj* GetBasicWinCntObjList() const { return first_; }

 private:
  WindowRef window_ = nullptr;
  cSp_OCnt_BasicWindowControlObj* first_ = nullptr;
};

// The first window base (the newest), null when none.
extern cSp_OCnt_WinBase* OriginalControlItemList_GlV;

// The window's base; made and put in front of the list when missing and `create` is set.
cSp_OCnt_WinBase* Sp_OCnt_GetWinBase(WindowRef window, Boolean create);
// Put the wrapper into its window's list (the base is made when missing).
void Sp_OCnt_SetItemIntoItemList(WindowRef window, cSp_OCnt_BasicWindowControlObj* item);
void Sp_OCnt_SetupBasicWinControlItemIntoTargetWinBase(WindowRef window,
                                                       cSp_OCnt_BasicWindowControlObj* item);
// Takes the wrapper out of its window's list: 1 when it was there.
unsigned char Sp_OCnt_UnlinkFromItemList(WindowRef window, cSp_OCnt_BasicWindowControlObj* item);

// Offers a press at the local point to the window's wrapped controls: the one hit is tracked
// (its before-track procedure, TrackControl with Sp_OCnt_BasicWinContActionProc, then its hit
// procedure when released in the part first hit, else its miss procedure). 1 when one took
// the press.
unsigned char Sp_OCnt_BasicWinControlMouseDown(WindowRef window, Point localPoint);
// The action procedure of every tracked wrapper: hands the part to the wrapper's action
// procedure.
void Sp_OCnt_BasicWinContActionProc(ControlRef control, ControlPartCode part);

// ---- The shared scroll bar -------------------------------------------------------------------

// Called after each scroll the bar made: (control, part, reference value).
typedef void (*tSpScrollBarActionCBProcPtr)(ControlRef control, short part, unsigned long refCon);
// May replace the step of an arrow or page click: (reference value, part, the bar's own step,
// the amount out); true when it wrote the amount to move (in pixels, positive).
typedef Boolean (*tSpScrollBarPositionDecisionProcPtr)(unsigned long refCon, short part, short step,
                                                       short& amount);

class cScrollBarObj : public cSp_OCnt_BasicWindowControlObj {
 public:
  // A scroll bar of the type (1 horizontal, 2 vertical) from 0 to max; arrowStep is what one
  // arrow click moves.
  cScrollBarObj(WindowRef window, tScrollBarType type, Rect& rect, short max, short value,
                short arrowStep, Boolean visible);
  ~cScrollBarObj() override;

  void StartUpInitialize();
  tScrollBarType GetScrollBarType() const { return type_; }

  // Attaches the view once. The first view sets the range and page; a later one is scrolled
  // to the bar's value and the range is taken over all of them.
  void AttachView(cSp_View* view);
  // Detaches the view when attached and takes the range over those left.
  void UnAttachView(cSp_View* view);
  SInt32 GetNumOfAtachView() const { return views_.GetNumberOfItem(); }
  unsigned char IsAttachedView(const cSp_View* view) const;
  // The n-th attached view (from 1, in attaching order); null past the end.
  cSp_View* GetAttachedView(SInt32 n) const;
  // The view's size or content changed: the range, page and value follow the views.
  void NortificationViewModify(cSp_View* view);
  // Maximum = the smallest overflow of the views, page = the smallest view size; a value past
  // the maximum is pulled back to it, views and all.
  void ModifyViewScrollBarData();
  // Shows the value at once; with others, every other attached view whose scroll value on
  // the bar's axis differs is scrolled to it.
  void ExecuteScroll(short value, Boolean others, cSp_View* initiator);

  void SetupChangeOfValueWidth(short step) { arrowStep_ = step; }
  short GetChangeOfValueWidth() const { return arrowStep_; }
  short GetPageValueWidth() const { return pageStep_; }
  void SetupScrollActionCBProcPtr(tSpScrollBarActionCBProcPtr proc, unsigned long refCon);
  void SetupActionProcPositionDecisionCBProcPtr(tSpScrollBarPositionDecisionProcPtr proc,
                                                unsigned long refCon);

  // One call of the Control Manager while the mouse is held in the bar: the new value by the
  // part (arrows, pages, the live thumb), the views scrolled by it, then the action callback.
  void ScrollBarProc(ControlRef control, short part, unsigned long refCon);

 private:
  friend void Sp_OCnt_UnusedScrollBarObject(cScrollBarObj* bar, cSp_View* view);

  // The view's scroll value and the visible and content sizes along the bar's axis.
  short ScrollValueOf(const cSp_View* view) const;
  void SizesOf(const cSp_View* view, short& visible, short& content) const;
  // Scrolls the view to the value on the bar's axis.
  void SetViewValue(cSp_View* view, short value);
  // The amount of an arrow or page click: the step, or what the decision hook answers.
  short StepFor(short part, short step, unsigned long refCon) const;

  tScrollBarType type_ = kSpHorizontalScrollBar;
  cSp_uLongCollection views_;  // cSp_View*, in attaching order
  short arrowStep_ = 0;
  short pageStep_ = 0;
  tSpScrollBarActionCBProcPtr actionCB_ = nullptr;
  unsigned long actionCBRefCon_ = 0;
  tSpScrollBarPositionDecisionProcPtr decisionCB_ = nullptr;
  unsigned long decisionCBRefCon_ = 0;
};

// The action procedure of every shared bar: ScrollBarProc of the bar that refCon is.
void Sp_OCnt_ScrollBarEventProc(ControlRef control, short part, unsigned long refCon);
// A view lets go of the bar: the view is detached, and the bar goes (taking its control out of
// its window) when no view is left on it. With a null view the bar goes only when no view is
// attached.
void Sp_OCnt_UnusedScrollBarObject(cScrollBarObj* bar, cSp_View* view);

// Hands the views their shared scroll bars (made on the view's window and put into its list).
void Sp_OCnt_InstallScrollBarServices();
// Hands the framework the wrapped controls' share of a content click, and the views their
// shared scroll bars. Called once when the program starts, before the framework's start-up.
void Sp_OCnt_InstallControlServices();

// ---- The counter -----------------------------------------------------------------------------

// (modifiers, reference value).
typedef unsigned char (*tSpOCnt_CounterProcPtr)(short modifiers, unsigned long refCon);

class cSp_OriginalCounterControl : public cSp_StringView, public cSp_HotSpotArea {
 public:
  enum : SInt32 { kLongValue = 0, kFloatValue = 1 };

  // The text in `colour` at `textSize`; the second colour and size are not used.
  cSp_OriginalCounterControl(WindowRef window, const Rect& area, const RGBColor* colour,
                             short textSize, const RGBColor* unusedColour, short unusedSize);
  ~cSp_OriginalCounterControl() override;

  void StartUpInitialize();

  // Shows the value as decimal text; the drawing changes only when the text does.
  void SetOriginalCounterValue(SInt32 value, unsigned char redraw);
  // Shows the value rounded at floatDigits decimals, at least floatMinimumDecimals shown.
  void SetOriginalCounterValue(float value, unsigned char redraw);
  SInt32 GetValueKind() const { return valueKind_; }
  SInt32 GetLongValue() const { return longValue_; }
  float GetFloatValue() const { return floatValue_; }

  // Off: not drawn and not clicked.
  void DisableOriginalCounter();
  void EnableOriginalCounter();

  void AfterContainerMoveExecute(cSp_View* container, short newLeft, short newTop, short dh,
                                 short dv) override;
  void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                   short dWidth, short dHeight) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;

  // Set by the client.
  short floatDigits = 0;
  short floatMinimumDecimals = 0;
  tSpOCnt_CounterProcPtr clickProc = nullptr;
  tSpOCnt_CounterProcPtr dblClickProc = nullptr;
  unsigned long clickRefCon = 0;
  unsigned long dblClickRefCon = 0;

 private:
  void FollowViewArea();

  SInt32 valueKind_ = kLongValue;
  SInt32 longValue_ = 0;
  float floatValue_ = 0.0f;
};

// ---- The cursor volume control -------------------------------------------------------------

// A drag direction, and the cursor slot shown for it; 0 is the dead zone or no move yet.
typedef SInt16 tOCVC_SetupCursorType;
enum : tOCVC_SetupCursorType {
  kOCVC_NoDirection = 0,
  kOCVC_Up = 1,
  kOCVC_Down = 2,
  kOCVC_Left = 3,
  kOCVC_Right = 4,
};

// Click, double click and press: (modifiers, reference value).
typedef void (*tOCVC_ModifiersProcPtr)(short modifiers, unsigned long refCon);
// A value: (float value, modifiers, reference value, the value truncated).
typedef void (*tOCVC_ValueProcPtr)(float value, short modifiers, unsigned long refCon,
                                   SInt32 longValue);

class cSp_OriginalCursorVolumeControl : public cSp_HotSpotArea {
 public:
  // How the value follows the drag.
  enum : UInt8 {
    kFromStartValue = 1,     // start value + offset x rate
    kStepEveryInterval = 2,  // offset x rate added to the current value once an interval
  };

  cSp_OriginalCursorVolumeControl(WindowRef window, const Rect& area);
  // Removes the move-in cursor and gives the direction cursors back.
  ~cSp_OriginalCursorVolumeControl() override;

  void StartUpInitialize();

  // A hover area over the control shows the cursor (colour or black-and-white by id) while the
  // button is up; it replaces one made before.
  void SetMoveInMouseCursor(unsigned char colour, short cursorId);
  void RemoveMoveInCursor();
  void EnableMoveInCursor();
  void DisableMoveInCursor();
  // The hover area's inside and leave procedures (nothing without a hover area).
  void SetupMoveInProc(SpMouseTracePointProcPtr proc, unsigned long refCon);
  void SetupMoveOutProc(SpMouseTraceOutProcPtr proc, unsigned long refCon);
  void RemoveMoveInProc();
  void RemoveMoveOutProc();

  // The dead zone (window-local); null takes the control's area when no zone is on yet.
  void OriginalCursorVolumeInitialAreaEnable(const Rect* zone);
  void OriginalCursorVolumenitialAreaDisable() { deadZoneEnabled_ = 0; }

  // Only a minimum below the maximum is taken.
  void SetOriginalCursorVolumeMaxMinValue(SInt32 minimum, SInt32 maximum);
  void SetOriginalCursorVolumeMaxMinValue(float minimum, float maximum);
  // The interval of the control's tracking and of its steps.
  void SetOriginalCursorVolumeIntervalValue(UInt32 ticks);
  // The start (committed) and current value.
  void SetOriginalCursorVolumeStartValue(SInt32 value);
  void SetOriginalCursorVolumeStartValue(float value);
  // The cursor of one direction (1 up, 2 down, 3 left, 4 right); ids below 1 are ignored. An
  // axis works once both its cursors are set.
  void SetVolumeCursor(tOCVC_SetupCursorType type, unsigned char colour, short cursorId);

  float GetStartValue() const { return startFloat_; }
  float GetCurrentValue() const { return currentFloat_; }
  SInt32 GetCurrentLongValue() const { return currentLong_; }
  tOCVC_SetupCursorType GetCurrentDirection() const { return direction_; }
  cMouseTraceObject* GetMoveInArea() const { return moveInArea_; }

  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

  // Set by the client.
  unsigned char wholeNumberReport = 1;  // report only when the whole part changes
  UInt8 steppingMode = kFromStartValue;
  float rate = 1.0f;  // value units a pixel
  tOCVC_ModifiersProcPtr clickProc = nullptr;
  tOCVC_ModifiersProcPtr dblClickProc = nullptr;
  unsigned long clickRefCon = 0;
  unsigned long dblClickRefCon = 0;
  tOCVC_ModifiersProcPtr mouseDownProc = nullptr;
  tOCVC_ValueProcPtr mouseUpProc = nullptr;
  unsigned long mouseDownRefCon = 0;
  unsigned long mouseUpRefCon = 0;
  tOCVC_ValueProcPtr deadZoneInProc = nullptr;
  tOCVC_ModifiersProcPtr deadZoneOutProc = nullptr;
  tOCVC_ValueProcPtr upProc = nullptr;
  tOCVC_ValueProcPtr downProc = nullptr;
  tOCVC_ValueProcPtr leftProc = nullptr;
  tOCVC_ValueProcPtr rightProc = nullptr;
  unsigned long deadZoneInRefCon = 0;
  unsigned long deadZoneOutRefCon = 0;
  unsigned long upRefCon = 0;
  unsigned long downRefCon = 0;
  unsigned long leftRefCon = 0;
  unsigned long rightRefCon = 0;

 private:
  struct sCursorSlot {
    short id = 0;
    SInt32 userRef = 0;
    unsigned char colour = 0;
    CCrsrHandle colourCursor = nullptr;
    CursHandle cursor = nullptr;
  };

  // Gives the slot's cursor back to the resource manager.
  static void ReleaseSlot(sCursorSlot& slot);
  static bool Holds(const sCursorSlot& slot) {
    return slot.colourCursor != nullptr || slot.cursor != nullptr;
  }
  // The direction and the offset along it for the mouse's offset (dh, dv).
  tOCVC_SetupCursorType DirectionOf(short dh, short dv, short& offset) const;
  void ShowCursorOf(tOCVC_SetupCursorType direction) const;
  void CallValueProc(tOCVC_SetupCursorType direction, float value, short modifiers);

  unsigned char moveInEnabled_ = 0;
  cMouseTraceObject* moveInArea_ = nullptr;
  unsigned char deadZoneEnabled_ = 0;
  unsigned char insideDeadZone_ = 0;
  UInt32 lastStepTick_ = 0;
  Rect deadZone_{0, 0, 0, 0};
  Point mouseDownPoint_{0, 0};
  unsigned char verticalReady_ = 0;
  unsigned char horizontalReady_ = 0;
  unsigned char limitsSet_ = 0;
  SInt32 minimumLong_ = 0;
  SInt32 maximumLong_ = 0;
  float minimumFloat_ = 0.0f;
  float maximumFloat_ = 0.0f;
  SInt32 startLong_ = 0;
  float startFloat_ = 0.0f;
  SInt32 currentLong_ = 0;
  float currentFloat_ = 0.0f;
  sCursorSlot slots_[4];
  tOCVC_SetupCursorType direction_ = kOCVC_NoDirection;
  UInt32 interval_ = 30;
};
