// The framework's window object and its window lists.
//
// Every cSp_Window wraps one toolbox window (made with the Window Manager, or with the Dialog
// Manager for a dialog) and lives in one of three global lists chosen by its window type:
// ordinary windows and dialogs, floating windows, message windows. Each list is kept in the
// front-to-back order of its windows on the screen; open and closed windows share it, and the
// toolbox order of the windows is kept in step with the list. Event handlers find the window
// object of a toolbox window through these lists, and keys go to the first open window of the
// normal list: first its virtual operation, then its key callback.
//
// Other code hears of a window's life through its nine procedure lists (opening, closing,
// coming to the front or going back, growing, moving); the three "before" lists can refuse the
// operation. A dialog window keeps a list of control items, the framework's wrappers of its
// control-backed dialog items.
//
// Derived windows override the twelve virtual operations for keys and edit commands; the base
// versions take nothing (0).
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpProcEntry.h"
#include "SpStdFunction.h"

// The window type chooses the list: floating and message windows have lists of their own,
// every other type goes into the normal list. Only a window made from a 'DLOG' resource with
// type 1 is a dialog.
typedef UInt8 tWindowType;
enum : tWindowType {
  kSpNormalWindowType = 0,
  kSpDialogWindowType = 1,
  kSpFloatingWindowType = 2,
  kSpMessageWindowType = 3,
};

class cSp_Window;
class cSp_ControlItem;
class cSpWin_BeforeProcData;
class cSpWin_AfterProcData;
class cDialogAnalyzor;

// The `behind` argument of the constructors and of Open: in front of every window of the
// list. Null puts the window behind all of them, any other window directly behind that one.
#define kSpWindowInFrontOfAll (reinterpret_cast<cSp_Window*>(-1))

// Key callbacks: (charCode, keyCode, autoKey, modifiers, user data) and (charCode, keyCode,
// modifiers, user data); non-zero when the callback took the key.
typedef unsigned char (*tSpWindowKeyInCallback)(char charCode, char keyCode, unsigned char autoKey,
                                                short modifiers, unsigned long userData);
typedef unsigned char (*tSpWindowRowKeyUpCallback)(char charCode, char keyCode, short modifiers,
                                                   unsigned long userData);

// Procedures of the window's procedure lists: (window, modifier keys held now as event
// modifier bits, user data). A before procedure answers 0 to refuse the operation.
typedef unsigned char (*tSpWinBeforeProcPtr)(cSp_Window* window, short modifiers,
                                             unsigned long userData);
typedef void (*tSpWinAfterProcPtr)(cSp_Window* window, short modifiers, unsigned long userData);

// One procedure list of a window: first and last record, and the last reference number
// handed out (numbers rise by one per registration and are never reused).
template <class TRecord>
struct sSpWinProcList {
  TRecord* head = nullptr;
  TRecord* tail = nullptr;
  SInt32 refNoCounter = 0;
};

// Window attributes of the behaviour flags. Without the grow icon the window loses both zoom
// boxes too. The live-resize flag is the toolbox's own live-resize attribute.
enum : WindowAttributes {
  kSpWindowGrowIconAttribute = kWindowResizableAttribute,
  kSpWindowGrowIconClearAttributes = kWindowResizableAttribute | kWindowFullZoomAttribute,
  kSpWindowCloseBoxAttribute = kWindowCloseBoxAttribute,
  kSpWindowLiveResizeAttribute = kWindowLiveResizeAttribute,
  kSpWindowNoShadowAttribute = kWindowNoShadowAttribute,
};

class cSp_Window {
 public:
  // (top, left) global position and (height, width) size of the content, as Points (v, h).
  cSp_Window(Point position, Point size, unsigned char openNow, short windowKind, tWindowType type,
             cSp_Window* behind);
  // Centred on the main screen (below the menu bar).
  cSp_Window(short width, short height, unsigned char openNow, short windowKind, tWindowType type,
             cSp_Window* behind);
  // From the 'WIND' resource, or from the 'DLOG' resource when type is 1 (a dialog). With
  // rebuildDialog the dialog is made again with the control hierarchy and the definition
  // rebuildProcId, and placed on the screen. The window is not opened: its owner calls Open.
  cSp_Window(short resourceId, tWindowType type, cSp_Window* behind, unsigned char rebuildDialog,
             short rebuildProcId);
  // A plain window 300 wide and 200 high, centred, type 0, window kind 0, not opened.
  explicit cSp_Window(cSp_Window* behind);
  // Deleted through base pointers by the owners of derived windows.
  virtual ~cSp_Window();
  cSp_Window(const cSp_Window&) = delete;
  cSp_Window& operator=(const cSp_Window&) = delete;

  // Gives every field its start value.
  void StartUpInitialize();

  // ---- Keys and edit commands (non-zero: taken) ----
  virtual unsigned char KeyIntoWindow(char charCode, char keyCode, short modifiers,
                                      unsigned char autoKey);
  virtual unsigned char RowKeyDownIntoWindow(char charCode, char keyCode, short modifiers,
                                             unsigned char autoKey);
  virtual unsigned char RowKeyUpOnWindow(char charCode, char keyCode, short modifiers);
  virtual unsigned char ExecuteUndo(sSpModifiersDataStruct& modifiers);
  virtual unsigned char ExecuteRedo(sSpModifiersDataStruct& modifiers);
  virtual unsigned char ExecuteCut(sSpModifiersDataStruct& modifiers);
  virtual unsigned char ExecuteCopy(sSpModifiersDataStruct& modifiers);
  virtual unsigned char ExecutePast(sSpModifiersDataStruct& modifiers);
  virtual unsigned char ExecuteDelete(sSpModifiersDataStruct& modifiers);
  virtual unsigned char ExecuteDuplicate(sSpModifiersDataStruct& modifiers);
  virtual unsigned char ExecuteSelectAll(sSpModifiersDataStruct& modifiers);
  // (menu id, item number) of a menu item that has no operation of its own.
  virtual unsigned char ExecuteOtherMenuItem(short menuId, short itemNo,
                                             sSpModifiersDataStruct& modifiers);

  // ---- Key callbacks (a later Setup replaces the pair; a null procedure clears it) ----
  void SetupKeyInIntoWindowCallback(tSpWindowKeyInCallback proc, unsigned long userData);
  void SetupRowKeyDownIntoWindowCallback(tSpWindowKeyInCallback proc, unsigned long userData);
  void SetupRowKeyUpOnWindowCallbackPtr(tSpWindowRowKeyUpCallback proc, unsigned long userData);
  unsigned char ExecKeyInIntoWindowCallback(char charCode, char keyCode, short modifiers,
                                            unsigned char autoKey);
  unsigned char ExecRowKeyDownIntoWindowCallback(char charCode, char keyCode, short modifiers,
                                                 unsigned char autoKey);
  unsigned char ExecRowKeyUpOnWindowCallback(char charCode, char keyCode, short modifiers);

  // ---- Title, links and the toolbox window ----
  // Sets the toolbox window's title (MacJapanese, zero-terminated; cut to what a title
  // holds, on a character boundary); the object keeps its default title.
  void SetTitle(const char* title);
  // "名称未設定", with " N" from the second window ever set up on.
  const char* GetDefaultTitle() const { return title_; }
  cSp_Window* NextObject() const { return underWindow_; }
  cSp_Window* BeforeObject() const { return upperWindow_; }
  // Store the previous and the next link without touching the other window.
  void SetUpperWindow(cSp_Window* window) { upperWindow_ = window; }
  void SetUnderWindow(cSp_Window* window) { underWindow_ = window; }
  WindowRef GetWindowRef() const { return window_; }
  // The toolbox dialog; null for a plain window.
  DialogRef GetDialogRef() const { return dialog_; }
  ControlRef GetRootControlRef() const { return rootControl_; }
  tWindowType GetWindowType() const { return windowType_; }
  short GetWindowKindValue() const { return windowKind_; }
  short GetResourceId() const { return resourceId_; }
  unsigned char GetDialogFlag() const { return dialogFlag_; }
  unsigned char GetSheetFlag() const { return sheetFlag_; }
  WindowRef GetSheetParent() const { return sheetParent_; }

  // ---- Behaviour flags ----
  void SetupModalDialogFlag(unsigned char flag) { modalDialogFlag_ = flag; }
  void SetupModalDialogBackgroundMouseDownBeepFlag(unsigned char flag) {
    modalDialogBackgroundBeepFlag_ = flag;
  }
  void SetupReturnKeyConnectToButtonDownWithModifiersFlag(unsigned char flag) {
    returnKeyWithModifiersFlag_ = flag;
  }
  void SetupMoveToFrontWithContentMouseDownFlag(unsigned char flag) {
    moveToFrontWithContentClickFlag_ = flag;
  }
  // These store the flag and, with applyNow, set or clear the window attribute at once.
  void SetupDrawGrowIconFlag(unsigned char flag, unsigned char applyNow);
  void SetupCloseBoxFlag(unsigned char flag, unsigned char applyNow);
  void SetupWindowLiveResizeFlag(unsigned char flag, unsigned char applyNow);
  void SetupWindowNoShadowFlag(unsigned char flag, unsigned char applyNow);
  // Applies the grow-icon (without it also no zoom boxes), close-box, live-resize and
  // no-shadow flags to the window's attributes in one change.
  void SetupWindowBehaviorIntoMacWindow();

  unsigned char GetEnableMinSizeLimitFlag() const { return minSizeLimitFlag_; }
  unsigned char GetEnableMaxSizeLimitFlag() const { return maxSizeLimitFlag_; }
  unsigned char GetEnableZoomOutSizeFlag() const { return zoomOutSizeFlag_; }
  unsigned char GetCurrentZoomOutSizeFlag() const { return currentZoomOutFlag_; }
  unsigned char GetMoveToFrontBeforeGrowFlag() const { return moveToFrontBeforeGrowFlag_; }
  unsigned char GetMoveToFrontBeforeDragFlag() const { return moveToFrontBeforeDragFlag_; }
  unsigned char GetMoveToFrontWithContentMouseDownFlag() const {
    return moveToFrontWithContentClickFlag_;
  }
  unsigned char GetDrawGrowIconFlag() const { return drawGrowIconFlag_; }
  unsigned char GetCloseBoxFlag() const { return closeBoxFlag_; }
  unsigned char GetWindowLiveResizeFlag() const { return liveResizeFlag_; }
  unsigned char GetWindowNoShadowFlag() const { return noShadowFlag_; }
  unsigned char GetEraseScrollBarLineFlag() const { return eraseScrollBarLineFlag_; }
  unsigned char GetModalDialogFlag() const { return modalDialogFlag_; }
  unsigned char GetModalDialogBackgroundMouseDownBeepFlag() const {
    return modalDialogBackgroundBeepFlag_;
  }
  unsigned char GetReturnKeyConnectToButtonDownFlag() const { return returnKeyFlag_; }
  unsigned char GetReturnKeyConnectToButtonDownWithModifiersFlag() const {
    return returnKeyWithModifiersFlag_;
  }
  unsigned char GetEnterKeyConnectToButtonDownFlag() const { return enterKeyFlag_; }
  unsigned char GetEnterKeyConnectToButtonDownWithModifiersFlag() const {
    return enterKeyWithModifiersFlag_;
  }
  unsigned char GetEscKeyConnectToButtonDownFlag() const { return escKeyFlag_; }
  unsigned char GetEscKeyConnectToButtonDownWithModifiersFlag() const {
    return escKeyWithModifiersFlag_;
  }
  unsigned char GetCntPeriodKeyConnectToButtonDownFlag() const { return cmdPeriodKeyFlag_; }
  short GetReturnKeyConnectItemNoValue() const { return returnKeyItemNo_; }
  short GetEnterKeyConnectItemNoValue() const { return enterKeyItemNo_; }
  short GetEscKeyConnectItemNoValue() const { return escKeyItemNo_; }
  void GetReturnKeyExceptModifiersValue(sSpModifiersDataStruct& out) const {
    out = returnKeyExceptModifiers_;
  }
  void GetEnterKeyExceptModifiersValue(sSpModifiersDataStruct& out) const {
    out = enterKeyExceptModifiers_;
  }
  void GetEscKeyExceptModifiersValue(sSpModifiersDataStruct& out) const {
    out = escKeyExceptModifiers_;
  }
  unsigned char IsModalDialog() const { return modalDialogFlag_; }

  // ---- Colours (in the window's port; the current port is restored) ----
  void SetupWindowForColor(RGBColor* color);
  void SetupWindowBackColor(RGBColor* color);
  void GetWindowForColor(RGBColor* color);
  void GetWindowBackColor(RGBColor* color);
  // The colour the window's content is erased with; only on systems whose minor version is
  // above 7 (older ones have no content colour).
  void SetupWindowContentColorData(RGBColor* color);

  // ---- Lists, opening and closing ----
  unsigned char IsOpen() const { return openFlag_; }
  // 1 when the window is the head of its list (open or not).
  unsigned char IsTopOnScreen() const;
  // 1 when the window is open and the first open window of its list.
  unsigned char IsTopOpenWindowOnScreen() const;
  // Shows the window: in front when `front` is non-zero, else behind the frontmost open
  // window of its list, or directly behind `behind` when given. The before-open procedures
  // may refuse.
  void Open(unsigned char front, cSp_Window* behind);
  // Hides the window; the next open window comes to the front when this one was in front.
  // The before-close procedures may refuse.
  void Close();
  // Null: closes at once. A point: the click on the close box (closes on a release inside it).
  void GoAway(Point* where);
  // 0 when a modal dialog in front forbids it.
  unsigned char MoveToFrontInWindowList();
  unsigned char MoveToBottomInWindowList();
  void MoveTopOpenWindowToTopWindowList();
  // Relinks the window directly behind `target` in their list; the screen is not touched.
  void MoveToBehindWindowOfTargetWindow(cSp_Window* target);
  // Turns the window into a sheet of `parent` (shown by Open, hidden by Close).
  void SetSheetWindowType(WindowRef parent);

  // ---- Control items ----
  // The window's first control item (the list goes on with cSp_ControlItem::NextObject).
  cSp_ControlItem* GetControlItemList() const { return firstControlItem_; }
  // The item with that dialog item number (also one held by a change-output group of an
  // item), or null.
  cSp_ControlItem* GetTargetDialogControlItemObjPtr(short itemNo);
  // The item with that number, its type reset; or a new one read from the dialog, embedded
  // into the root control when there is one, appended to the list. Null when memory runs out.
  cSp_ControlItem* SetupDialogContorlItem(short itemNo, short itemType);
  // The item (or an item below it) whose control is the given one, or null.
  cSp_ControlItem* SerchTargetItemForMacOSControlRef(ControlRef control);
  // Hands a dialog layout snapshot to every item of the list.
  void SetupControlInfoFromDlgAnalizeObj(cDialogAnalyzor* analyzor);

  // ==== BEGIN dialog event procedures: members (SpWindowDialogEvents.cpp) ====================
  // A press at `localPoint` on a control that is not a button-like item: a control that shows
  // a pressed part already answers 1 at once; otherwise it is tracked with its own action
  // procedure, and when its value changed the item of that number (if any) completes its
  // operation. 1 when the control was taken; 0 only for a null control.
  unsigned char TrackControlOnDialog(short part, Point localPoint, short itemNo, short itemType,
                                     ControlRef control);
  // ==== END dialog event procedures: members =================================================

  // ---- Procedure lists (defined with the records in SpWindowProcList.cpp) ----
  // Register: a null procedure registers nothing and gives reference 0. Remove: by the
  // reference number handed back. Run: before lists answer 1 to go on, 0 when a procedure
  // refused; after lists call every procedure.
  void SetupBeforeOpenProc(tSpWinBeforeProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupBeforeOpenProc(SInt32 refNo);
  unsigned char ExecBeforeOpenProc();
  void SetupAfterOpenProc(tSpWinAfterProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupAfterOpenProc(SInt32 refNo);
  void ExecAfterOpenProc();
  void SetupBeforeCloseProc(tSpWinBeforeProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupBeforeCloseProc(SInt32 refNo);
  unsigned char ExecBeforeCloseProc();
  void SetupAfterCloseProc(tSpWinAfterProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupAfterCloseProc(SInt32 refNo);
  void ExecAfterCloseProc();
  void SetupMoveToFrontProc(tSpWinAfterProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupMoveToFrontProc(SInt32 refNo);
  void ExecMoveToFrontProc();
  void SetupMoveToBackProc(tSpWinAfterProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupMoveToBackProc(SInt32 refNo);
  void ExecMoveToBackProc();
  void SetupBeforeGrowProc(tSpWinBeforeProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupBeforeGrowProc(SInt32 refNo);
  unsigned char ExecBeforeGrowProc();
  void SetupAfterGrowProc(tSpWinAfterProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupAfterGrowProc(SInt32 refNo);
  void ExecAfterGrowProc();
  void SetupMoveProc(tSpWinAfterProcPtr proc, unsigned long userData, SInt32& refNo);
  void UnSetupAfterMoveProc(SInt32 refNo);
  void ExecAfterMoveProc();
  void UnSetupBeforeExecuteGeneralProc(SInt32 refNo, cSpWin_BeforeProcData*& head,
                                       cSpWin_BeforeProcData*& tail);
  void UnSetupAfterExecuteGeneralProc(SInt32 refNo, cSpWin_AfterProcData*& head,
                                      cSpWin_AfterProcData*& tail);
  // Delete every record from head on.
  void WipeOutBeforeExecuteList(cSpWin_BeforeProcData* head);
  void WipeOutAfterExecuteList(cSpWin_AfterProcData* head);

  // ==== BEGIN geometry, drawing and content clicks (SpWindowGeometry.cpp) ====================
  // The content's size: nothing when it is the stored size already (even when the toolbox
  // window was sized by other means). The Point form takes width = h, height = v.
  void SetSize(short width, short height);
  void SetSize(Point size);
  // The content rectangle on the screen (global), or its size or top-left corner; each
  // out-value is written when given. Only for a window that has a toolbox window.
  void GetSize(short* width, short* height);
  void GetLeftTopPositOnGlobal(short* left, short* top);
  void GetContentAreaOnGlobal(Rect& area);
  // The least size the user may give the window (from system 10.2 on; older systems keep no
  // limit). Both values positive also limit the toolbox window's resizing.
  void SetMinSize(short width, short height);
  void GetMinSize(short& width, short& height) const;
  // The greatest size: a larger window is made smaller at once, each dimension on its own,
  // and its new size is stored. Both values positive also limit the toolbox window.
  void SetMaxSize(short width, short height);
  void GetMaxSize(short& width, short& height) const;
  // Moves the content's top-left corner to (left, top), global; `front` also selects it.
  void Move(short left, short top, unsigned char front);
  // The user resizes the window from the global point `where` (the grow box), within its
  // limits; the before-grow procedures may refuse, the after-grow procedures are told.
  void Grow(Point where);
  // The end of a resize by the user: stores the new size and tells the after-grow procedures
  // when the size changed.
  void AfterGrowForCarbonEvent();
  // Corrects a proposed global bounds rectangle to the stored limits (any stored value above
  // 0 applies), keeping its top-left corner. 1 when it was left as it was, 0 when corrected.
  unsigned char CheckBoundsChangingSizeForCarbonEvent(Rect& bounds);
  // The user drags the window from the global point `where`: live (the window follows the
  // mouse; Shift puts it back where the drag began) with the Aqua menu layout or the Option
  // key held, else as an outline. The move procedures are told either way.
  void Drag(Point where);
  // A click in the zoom box (part inZoomIn or inZoomOut) at the global point `where`.
  void ZoomInOutWindow(Point where, short part);
  // The zoom itself, once the box was tracked (the toolbox's zoom request in the Carbon-event
  // mode): a zoomed-out window zooms back in to where it was before, whatever part is named;
  // else zooming out goes to the zoom-out rectangle or the greatest size, fitted onto the
  // screen below the menu bar with the title strip; the before-grow procedures may refuse, the
  // after-grow procedures are told, and the stored position and size follow the window.
  void ZoomInOutWindowForCarbonEvent(short part);
  // Draws the window's controls and its grow box; inside an update.
  void Update();
  // Draws the grow box again (when the window shows one), over what was drawn at its corner.
  void DrawGrowBox();
  // Erases the whole content with the port's background.
  void EraseContent();
  // A press at the global point `where`: brings a back window forward (and no more), else
  // offers it to the window's wrapped toolbox controls, then to its views' hot-spot areas,
  // following the mouse until the release. Non-zero when something took it.
  unsigned char ContentMouseDown(Point where, short modifiers);
  // The release (global point) of a press that ContentMouseDown left open.
  void MouseUpTerminate(Point where, short modifiers);
  // ==== END geometry, drawing and content clicks =============================================

 protected:
  // Called by every constructor once the type, the window kind and the dialog flag are set.
  void SetupNewWindow(Point position, Point size, unsigned char openNow, short resourceId,
                      cSp_Window* behind, unsigned char rebuildDialog, short rebuildProcId);

 private:
  void MakeDefaultTitle();
  void InsertIntoList(cSp_Window* behind, WindowRef* behindWindow);
  void MakeWindowFromResource(short resourceId, WindowRef behindWindow, unsigned char rebuildDialog,
                              short rebuildProcId);
  void RebuildDialog(WindowRef behindWindow, short rebuildProcId);
  void MakeWindowWithoutResource(WindowRef behindWindow);
  void SetupDialogDefaultAndCancelItems(DialogRef dialog);
  void ApplyAttributeFlag(unsigned char flag, WindowAttributes attribute);
  cSp_Window** ListHead() const;
  cSp_Window* FrontOpenWindowAhead() const;
  cSp_Window* FirstOpenWindowBehind() const;
  // Steps of MoveToFrontInWindowList once no modal dialog forbids it: the window in front
  // loses its hilite, this one becomes the head of its list and the front of the screen.
  void MoveToListHead();
  void Unlink();
  void LinkAsHead();
  void LinkAfter(cSp_Window* target);
  void DeleteControlItems();
  void WipeOutProcLists();
  void RedrawWholeWindow();
  void FlushWindowPort();

  tWindowType windowType_ = kSpNormalWindowType;
  // Global top-left corner of the content, and the content's size.
  SInt16 top_ = 0;
  SInt16 left_ = 0;
  SInt16 height_ = 0;
  SInt16 width_ = 0;
  UInt8 sheetFlag_ = 0;
  WindowRef sheetParent_ = nullptr;
  Handle sheetItemList_ = nullptr;
  SInt16 minHeight_ = 0;
  SInt16 minWidth_ = 0;
  SInt16 maxHeight_ = 0;
  SInt16 maxWidth_ = 0;
  // Global rectangle that zooming out uses when the zoom-out-size flag is set.
  Rect zoomOutRect_ = {0, 0, 0, 0};
  UInt8 openFlag_ = 0;
  UInt8 dialogFlag_ = 0;
  ControlRef rootControl_ = nullptr;
  cSp_ControlItem* firstControlItem_ = nullptr;
  cSp_ControlItem* lastControlItem_ = nullptr;
  cSp_Window* upperWindow_ = nullptr;
  cSp_Window* underWindow_ = nullptr;
  SInt16 resourceId_ = 0;
  SInt16 windowKind_ = 0;
  char title_[512] = {};
  // Behaviour flags.
  UInt8 minSizeLimitFlag_ = 0;
  UInt8 maxSizeLimitFlag_ = 0;
  UInt8 zoomOutSizeFlag_ = 0;
  UInt8 currentZoomOutFlag_ = 0;
  UInt8 moveToFrontBeforeGrowFlag_ = 1;
  UInt8 moveToFrontBeforeDragFlag_ = 1;
  UInt8 moveToFrontWithContentClickFlag_ = 1;
  UInt8 drawGrowIconFlag_ = 1;
  UInt8 eraseScrollBarLineFlag_ = 1;
  UInt8 modalDialogFlag_ = 0;
  UInt8 modalDialogBackgroundBeepFlag_ = 0;
  UInt8 closeBoxFlag_ = 1;
  UInt8 liveResizeFlag_ = 1;
  UInt8 noShadowFlag_ = 0;
  UInt8 returnKeyFlag_ = 1;
  UInt8 returnKeyWithModifiersFlag_ = 1;
  UInt8 enterKeyFlag_ = 1;
  UInt8 enterKeyWithModifiersFlag_ = 1;
  UInt8 escKeyFlag_ = 1;
  UInt8 escKeyWithModifiersFlag_ = 1;
  UInt8 cmdPeriodKeyFlag_ = 1;
  SInt16 returnKeyItemNo_ = 1;
  SInt16 enterKeyItemNo_ = 1;
  SInt16 escKeyItemNo_ = 2;
  sSpModifiersDataStruct returnKeyExceptModifiers_ = {};
  sSpModifiersDataStruct enterKeyExceptModifiers_ = {};
  sSpModifiersDataStruct escKeyExceptModifiers_ = {};
  // The nine procedure lists.
  sSpWinProcList<cSpWin_BeforeProcData> beforeOpenProcList_;
  sSpWinProcList<cSpWin_AfterProcData> afterOpenProcList_;
  sSpWinProcList<cSpWin_BeforeProcData> beforeCloseProcList_;
  sSpWinProcList<cSpWin_AfterProcData> afterCloseProcList_;
  sSpWinProcList<cSpWin_AfterProcData> moveToFrontProcList_;
  sSpWinProcList<cSpWin_AfterProcData> moveToBackProcList_;
  sSpWinProcList<cSpWin_BeforeProcData> beforeGrowProcList_;
  sSpWinProcList<cSpWin_AfterProcData> afterGrowProcList_;
  sSpWinProcList<cSpWin_AfterProcData> afterMoveProcList_;
  sSpCallback<tSpWindowKeyInCallback> keyInCallback_;
  sSpCallback<tSpWindowKeyInCallback> rowKeyDownCallback_;
  sSpCallback<tSpWindowRowKeyUpCallback> rowKeyUpCallback_;
  DialogRef dialog_ = nullptr;
  WindowRef window_ = nullptr;
};

// A dialog window object from the 'DLOG' resource (in front of its list, not rebuilt), with
// its modal-dialog flag set as asked. Null when memory runs out.
cSp_Window* Sp_NewDialogObject(short resourceId, unsigned char modal);

// Hands out automatic control command ids 'C001' to 'C999' with their reference numbers
// 1 to 999; 0 once all are given.
unsigned char Sp_GetNewAutoControlCommand(SInt32& refNo, UInt32& commandId);

// ---- Globals --------------------------------------------------------------------------------
// Heads of the three lists (the frontmost window of each), null when empty.
extern cSp_Window* WindowListHead_GlV;
extern cSp_Window* FloatingWindowListHead_GlV;
extern cSp_Window* MessageWindowListHead_GlV;
// How many windows were ever set up; never decreased.
extern SInt32 CreatedWindowCount;
// The last automatic control command reference number handed out.
extern SInt32 controlCommandRefNoCurrent_GlV;

// ---- Window lists ---------------------------------------------------------------------------
SInt32 Sp_CountOpenWindow();
SInt32 Sp_CountOpenFloatingWindow();
SInt32 Sp_CountOpenMessageWindow();
// The first open window of the normal list, or null.
cSp_Window* Sp_GetFrontOpenWindowObject();
// The window object of a toolbox window: the normal list only, or the floating or the
// message list. Null when none.
cSp_Window* Sp_SerchWindowObject(WindowRef window);
cSp_Window* Sp_SerchFloatingWindowObject(WindowRef window);
cSp_Window* Sp_SerchMessageWindowObject(WindowRef window);
// The window whose control items hold the control: the normal, floating and message lists
// in that order. Null when none.
cSp_Window* Sp_SerchWindowFromMacOSControlRef(ControlRef control);
// 1 when the first open window of the normal list is a modal dialog other than `except`; it
// is stored through `found` when that is given.
unsigned char Sp_HaveModalDialog(cSp_Window* except, cSp_Window** found);
// The window object of a toolbox window in any of the three lists; null when none.
cSp_Window* Sp_SerchWindowObjectInEveryList(WindowRef window);
// Draws the grow box of a framework window again; nothing for other windows.
void Sp_DrawGrowBoxOfWindow(WindowRef window);
// 1 when a modal dialog is the first open window of the normal list and `window` is another
// window: a click there is held (with a beep when the dialog asks for one), in both loops.
unsigned char Sp_ModalDialogHoldsClick(WindowRef window);
// The toolbox brought a window of `window`'s list forward on its own (a drag of its title
// strip, its grow box, a click in its content): the list follows, so that its first open
// window is the one the screen shows in front.
void Sp_FollowToolboxFrontWindow(cSp_Window* window);
// Closes the front non-floating toolbox window when it is a framework window of the normal
// list.
void Sp_CloseFrontWindow();
void Sp_CloseAllMessageWindow();
// Brings the toolbox order of the normal windows into line with the list.
void Sp_ModifyOutputWindowLayerMachToWindowDataLayout();
// Invalidates the parts of a global rectangle that the open windows of the normal list show:
// each window only what the windows in front of it leave uncovered.
void Sp_SetupRedrawAreaToOpenWindow(Rect globalArea);
// Redraws the views of every open window of the normal list.
void Sp_RedrawOpenWindow();

// ==== BEGIN geometry, drawing and content clicks: free functions (SpWindowGeometry.cpp) ======
// The window whose content took the last mouse-down and is to get the mouse-up.
extern cSp_Window* mouseDownWindowObj_GlV;
// Ends the press that a content click left open; 1 when there was one.
unsigned char Sp_WindowMouseUpTerminate(Point where, short modifiers);
// The framework's idle work, for loops that track the mouse.
void Sp_DrawWindowEventLoopAction();
// ==== END geometry, drawing and content clicks: free functions ===============================

// ---- Keys to the front window ---------------------------------------------------------------
// Each offers the key to the first open window of the normal list: its virtual operation
// first, then its key callback. 0 when there is no such window, when the active toolbox window
// is none of the framework's (a sheet or alert the toolbox runs), or neither took the key.
unsigned char Sp_KeyInWindow(char charCode, char keyCode, short modifiers, unsigned char autoKey);
unsigned char Sp_RowKeyDownOnWindow(char charCode, char keyCode, short modifiers,
                                    unsigned char autoKey);
unsigned char Sp_RowKeyUpOnWindow(char charCode, char keyCode, short modifiers);

// ==== BEGIN dialog event procedures (SpWindowDialogEvents.cpp) ================================
// How clicks, control hits, keys and updates reach a framework dialog. Each answers 0 (not
// handled) on every missing piece: no front window, no dialog, no window object, no control
// item, an inactive control (hilite 255) or an item of another type. Item numbers count from
// 1; the keyboard focus is the focused edit-text item's number, -1 when none.
//
// In the Carbon-event mode the mouse handler calls Sp_DialogMouseDownProc and the control
// handler Sp_MouseHitProcForCarbonEventManager; the others serve the classic event loop.

// The event when it belongs to a dialog (IsDialogEvent), through Sp_DialogSelect. 1 when that
// took it or drew an update. The current port is kept.
unsigned char Sp_DialogIdleProc(EventRecord* event);
// One event to the toolbox front window's dialog (stored through dialogOut): the null event
// lets the focused field's caret blink, a press goes to Sp_DialogMouseDownProc, a key or an
// auto-key to Sp_DialogKeyDownProc, an update redraws the event's window (its whole content
// when nothing waits) and sets `updated`. The item hit, if any, goes to itemHit.
unsigned char Sp_DialogSelect(EventRecord* event, DialogRef* dialogOut, short* itemHit,
                              short* modifiers, unsigned char& updated);
// A press in the dialog's content: a button-like part of an item's control is followed until
// the release (pressed while the mouse is over the item; released over it: hit, 1); a press
// in an edit-text item focuses it and places the insertion point (1); other controls are
// tracked as they track themselves (0). The item's callbacks are told on the way.
unsigned char Sp_DialogMouseDownProc(DialogRef dialog, EventRecord* event, short* itemHit,
                                     short* modifiers);
// A key in the dialog: Command-X, C, V, A on the focused field; Command-period presses the
// window's Escape item; Return, Enter and Escape press their items as the window's key flags
// and except-modifier records allow; Tab moves the focus to the next edit-text item (after the
// last, to the first); other keys are typed into the focused field (classic mode only). A
// pressed button flashes twice (about half a second) as a click would show it. 1 when taken.
unsigned char Sp_DialogKeyDownProc(DialogRef dialog, EventRecord* event, short* itemHit);
// Activation needs nothing of the framework.
void Sp_DialogActivateProc(DialogRef dialog, EventRecord* event);
// The control-hit event of a control of `window`'s dialog: the item's press callbacks for a
// resource control (0), its release and completion callbacks for a button-like part (1).
unsigned char Sp_MouseHitProcForCarbonEventManager(cSp_Window* window, ControlRef control,
                                                   EventRecord* event);
// ==== END dialog event procedures ===========================================================
