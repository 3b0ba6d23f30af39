// The framework's window object and its window lists.
//
// Every cSp_Window wraps one toolbox window and lives in one of three global lists chosen by
// its window type: ordinary windows and dialogs, floating windows, message windows. Each list
// is kept in the front-to-back order of its windows on the screen; open and closed windows
// share it. Event handlers find the window object of a toolbox window through these lists, and
// keys go to the first open window of the normal list: first its virtual operation, then its
// key callback.
//
// Derived windows override the twelve virtual operations for keys and edit commands; the base
// versions take nothing (0).
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
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

// The `behind` argument of the constructors: in front of every window of the list. Null puts
// the window behind all of them, any other window directly behind that one.
#define kSpWindowInFrontOfAll (reinterpret_cast<cSp_Window*>(-1))

// Key callbacks: (charCode, keyCode, autoKey, modifiers, user data) and (charCode, keyCode,
// modifiers, user data); non-zero when the callback took the key.
typedef unsigned char (*tSpWindowKeyInCallback)(char charCode, char keyCode, unsigned char autoKey,
                                                short modifiers, unsigned long userData);
typedef unsigned char (*tSpWindowRowKeyUpCallback)(char charCode, char keyCode, short modifiers,
                                                   unsigned long userData);

// The nine procedure lists through which other code hears of a window's life.
enum tSpWindowProcList : UInt8 {
  kSpWinBeforeOpenList = 0,
  kSpWinAfterOpenList,
  kSpWinBeforeCloseList,
  kSpWinAfterCloseList,
  kSpWinMoveToFrontList,
  kSpWinMoveToBackList,
  kSpWinBeforeGrowList,
  kSpWinAfterGrowList,
  kSpWinMoveList,
  kSpWinProcListCount
};

class cSp_Window {
 public:
  // (top, left) global position and (height, width) size of the content.
  cSp_Window(Point position, Point size, unsigned char openNow, short windowKind, tWindowType type,
             cSp_Window* behind);
  // Centred on the main screen (below the menu bar).
  cSp_Window(short width, short height, unsigned char openNow, short windowKind, tWindowType type,
             cSp_Window* behind);
  // A plain window 300 wide and 200 high, centred, type 0, window kind 0, not opened.
  explicit cSp_Window(cSp_Window* behind);
  // Deleted through base pointers by the owners of derived windows.
  virtual ~cSp_Window();
  cSp_Window(const cSp_Window&) = delete;
  cSp_Window& operator=(const cSp_Window&) = delete;

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

  // ---- Title, links and state ----
  // Sets the toolbox window's title (MacJapanese); the object keeps its default title.
  void SetTitle(const char* title);
  const char* GetDefaultTitle() const { return title_; }
  cSp_Window* NextObject() const { return underWindow_; }
  cSp_Window* BeforeObject() const { return upperWindow_; }
  void SetUpperWindow(cSp_Window* window) { upperWindow_ = window; }
  void SetUnderWindow(cSp_Window* window) { underWindow_ = window; }
  WindowRef GetWindowRef() const { return window_; }
  tWindowType GetWindowType() const { return windowType_; }
  short GetWindowKindValue() const { return windowKind_; }

  // ---- Behaviour flags ----
  void SetupModalDialogFlag(unsigned char flag) { modalDialogFlag_ = flag; }
  void SetupModalDialogBackgroundMouseDownBeepFlag(unsigned char flag) {
    modalDialogBackgroundBeepFlag_ = flag;
  }
  void SetupMoveToFrontWithContentMouseDownFlag(unsigned char flag) {
    moveToFrontWithContentClickFlag_ = flag;
  }
  unsigned char GetModalDialogFlag() const { return modalDialogFlag_; }
  unsigned char IsModalDialog() const { return modalDialogFlag_; }
  unsigned char GetModalDialogBackgroundMouseDownBeepFlag() const {
    return modalDialogBackgroundBeepFlag_;
  }
  unsigned char GetMoveToFrontBeforeDragFlag() const { return moveToFrontBeforeDragFlag_; }
  unsigned char GetMoveToFrontWithContentMouseDownFlag() const {
    return moveToFrontWithContentClickFlag_;
  }
  unsigned char GetCloseBoxFlag() const { return closeBoxFlag_; }

  // ---- Lists, opening and closing ----
  unsigned char IsOpen() const { return openFlag_; }
  // 1 when the window is the head of its list (open or not).
  unsigned char IsTopOnScreen() const;
  // 1 when the window is open and the first open window of its list.
  unsigned char IsTopOpenWindowOnScreen() const;
  // Shows the window: in front when `front` is non-zero, else behind the frontmost open
  // window of its list, or directly behind `behind` when given.
  void Open(unsigned char front, cSp_Window* behind);
  void Close();
  // Null: closes at once. A point: the click on the close box (closes on a release inside it).
  void GoAway(Point* where);
  // 0 when a modal dialog in front forbids it.
  unsigned char MoveToFrontInWindowList();
  unsigned char MoveToBottomInWindowList();
  void MoveTopOpenWindowToTopWindowList();
  void MoveToBehindWindowOfTargetWindow(cSp_Window* target);

  // ---- Geometry and content clicks ----
  // Moves the content's top-left corner to (left, top), global.
  void Move(short left, short top, unsigned char front);
  // The user drags the window from the global point `where`.
  void Drag(Point where);
  // Redraws the window's own parts inside an update.
  void Update();
  // A press at the global point `where`; non-zero when something took it.
  unsigned char ContentMouseDown(Point where, short modifiers);
  // The release of a press that ContentMouseDown left open.
  void MouseUpTerminate(Point where, short modifiers);

 private:
  void SetupNewWindow(Point position, Point size, unsigned char openNow, short resourceId,
                      cSp_Window* behind);
  void MakeDefaultTitle();
  cSp_Window** ListHead() const;
  cSp_Window* FrontOpenWindowAhead() const;
  cSp_Window* FirstOpenWindowBehind() const;
  void Unlink();
  void LinkAsHead();
  // Runs the registered procedures of a list; before-procedures answer 0 to refuse.
  unsigned char ExecuteBeforeProcedures(tSpWindowProcList list);
  void ExecuteAfterProcedures(tSpWindowProcList list);
  void FlushWindowPort();

  template <class P>
  struct sCallback {
    P proc = nullptr;
    unsigned long userData = 0;  // pointer-sized: usually the owning object
  };

  tWindowType windowType_ = kSpNormalWindowType;
  SInt16 top_ = 0;
  SInt16 left_ = 0;
  SInt16 height_ = 0;
  SInt16 width_ = 0;
  UInt8 openFlag_ = 0;
  UInt8 dialogFlag_ = 0;
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
  sCallback<tSpWindowKeyInCallback> keyInCallback_;
  sCallback<tSpWindowKeyInCallback> rowKeyDownCallback_;
  sCallback<tSpWindowRowKeyUpCallback> rowKeyUpCallback_;
  WindowRef window_ = nullptr;
};

// ---- Globals --------------------------------------------------------------------------------
// Heads of the three lists (the frontmost window of each), null when empty.
extern cSp_Window* WindowListHead_GlV;
extern cSp_Window* FloatingWindowListHead_GlV;
extern cSp_Window* MessageWindowListHead_GlV;
// How many windows were ever set up; never decreased.
extern SInt32 CreatedWindowCount;
// The window whose content took the last mouse-down and is to get the mouse-up.
extern cSp_Window* mouseDownWindowObj_GlV;

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
// 1 when the first open window of the normal list is a modal dialog other than `except`; it
// is stored through `found` when that is given.
unsigned char Sp_HaveModalDialog(cSp_Window* except, cSp_Window** found);
// Closes the toolbox front window when it is a framework window of the normal list.
void Sp_CloseFrontWindow();
void Sp_CloseAllMessageWindow();
// Brings the toolbox order of the normal windows into line with the list.
void Sp_ModifyOutputWindowLayerMachToWindowDataLayout();
// Redraws the views of every open window of the normal list.
void Sp_RedrawOpenWindow();

// ---- Clicks ---------------------------------------------------------------------------------
// Ends the press that a content click left open; 1 when there was one.
unsigned char Sp_WindowMouseUpTerminate(Point where, short modifiers);
// The framework's idle work, for loops that track the mouse.
void Sp_DrawWindowEventLoopAction();

// ---- Keys to the front window ---------------------------------------------------------------
// Each offers the key to the first open window of the normal list: its virtual operation
// first, then its key callback. 0 when there is no such window or neither took the key.
unsigned char Sp_KeyInWindow(char charCode, char keyCode, short modifiers, unsigned char autoKey);
unsigned char Sp_RowKeyDownOnWindow(char charCode, char keyCode, short modifiers,
                                    unsigned char autoKey);
unsigned char Sp_RowKeyUpOnWindow(char charCode, char keyCode, short modifiers);
