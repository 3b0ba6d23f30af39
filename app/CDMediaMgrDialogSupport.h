// What the application's modal dialogs (save set-up, speed set-up, file-name definition,
// existing name) share: their items, their handlers, the keys that answer them, their places
// on the screen and the values they keep in the preference stock.
//
// Each dialog is a framework window from its dialog resource, marked modal; OK and Cancel
// record item 1 or 2 and end the window's modal loop; Return or Enter mean OK, Escape or
// Command-period Cancel; the window's top-left is kept under 'WPos' of the dialog's own group.
#pragma once

#include <list>
#include <vector>

#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacTypes.h"
#include "MacWindows.h"

class cPrefStockData;
class cPrefStockFileObj;
class cSp_StringView;
class cSp_Window;
struct RGBColor;

enum : UInt32 { kCDR_DialogPositionKey = SpFourCC("WPos") };

// ---- Items ----------------------------------------------------------------------------------

// The control of a dialog item, null when the item has none.
ControlRef CDRDlg_ItemControl(DialogRef dialog, DialogItemIndex item);
// The item's rectangle (window-local); empty when there is no such item.
Rect CDRDlg_ItemBox(DialogRef dialog, DialogItemIndex item);
// The text of a popup's item, MacJapanese, zero-terminated in 256 bytes; "" when none.
void CDRDlg_PopupItemText(ControlRef popup, SInt32 item, char* text);
// The number of items of a popup's menu.
SInt32 CDRDlg_PopupItemCount(ControlRef popup);

// A dialog window that could not be made: the error-log record ("Dialog Pointer is Null !! ")
// under the caller's source, method and code, and the say dialog that tells the user.
void CDRDlg_ReportDialogOpenFailure(const char* source, const char* method, SInt32 code);

// ---- Keys -----------------------------------------------------------------------------------

// What a raw key-down event means in these dialogs: 1 for Return or Enter, 2 for Escape or
// Command-period, 0 for any other key.
short CDRDlg_AnswerOfKey(EventRef event);

// Records the item that ends a dialog whose state has `itemHit` and `window`, and ends the
// window's modal loop; paramErr without state.
template <class State>
OSStatus CDRDlg_EndWith(void* data, SInt16 item) {
  auto* state = static_cast<State*>(data);
  if (state == nullptr) return paramErr;
  state->itemHit = item;
  QuitAppModalLoopForWindow(state->window);
  return noErr;
}

// ---- Handlers -------------------------------------------------------------------------------

// The Carbon handlers a dialog installs, removed (and their procedures disposed of) when the
// set goes.
class cCDRDlg_HandlerSet {
 public:
  cCDRDlg_HandlerSet() = default;
  ~cCDRDlg_HandlerSet();
  cCDRDlg_HandlerSet(const cCDRDlg_HandlerSet&) = delete;
  cCDRDlg_HandlerSet& operator=(const cCDRDlg_HandlerSet&) = delete;

  // The procedure runs (with no event) when the item's control is hit: through the window's
  // control item, which hears of a press whether the framework tracks it or the toolbox does.
  void OnItemHit(cSp_Window* window, DialogItemIndex item, EventHandlerProcPtr proc, void* data);
  // A value-changed handler on the item's control.
  void OnItemValueChanged(DialogRef dialog, DialogItemIndex item, EventHandlerProcPtr proc,
                          void* data);
  // A raw key-down handler on the window.
  void OnRawKeyDown(WindowRef window, EventHandlerProcPtr proc, void* data);

 private:
  void Install(EventTargetRef target, EventHandlerProcPtr proc, const EventTypeSpec& spec,
               void* data);

  struct Installed {
    EventHandlerUPP upp;
    EventHandlerRef handler;
  };
  struct Hit {
    EventHandlerProcPtr proc;
    void* data;
    cSp_Window* window;
    DialogItemIndex item;
  };
  static void RunHit(short modifiers, unsigned long hit);

  std::vector<Installed> installed_;
  std::list<Hit> hits_;  // stable addresses: the control items keep pointers to them
};

// ---- Places ---------------------------------------------------------------------------------

// The window's content size (width h, height v).
Point CDRDlg_WindowSize(cSp_Window* window);
// The top-left that centres a window of that size in the rectangle (halves toward zero).
Point CDRDlg_CentreIn(const Rect& area, Point size);
// The top-left that puts the window's rectangle inside the screen inset by `inset` pixels.
Point CDRDlg_KeepInScreen(Point topLeft, Point size, short inset);
// The window's content top-left in global coordinates (v top, h left).
Point CDRDlg_WindowTopLeft(cSp_Window* window);

// ---- Preference stock -----------------------------------------------------------------------

// The item `key` of the top group `group`; made (with the group) when `create`. Null when it
// is missing or cannot be made.
cPrefStockData* CDRDlg_StockItem(cPrefStockFileObj* stock, UInt32 group, UInt32 key,
                                 bool create);
bool CDRDlg_LoadPoint(cPrefStockFileObj* stock, UInt32 group, UInt32 key, Point& value);
bool CDRDlg_LoadLong(cPrefStockFileObj* stock, UInt32 group, UInt32 key, SInt32& value);
bool CDRDlg_LoadDouble(cPrefStockFileObj* stock, UInt32 group, UInt32 key, double& value);
// Each store answers false when the group or item cannot be made.
bool CDRDlg_StorePoint(cPrefStockFileObj* stock, UInt32 group, UInt32 key, Point value);
bool CDRDlg_StoreLong(cPrefStockFileObj* stock, UInt32 group, UInt32 key, SInt32 value);
bool CDRDlg_StoreDouble(cPrefStockFileObj* stock, UInt32 group, UInt32 key, double value);

// ---- Views ----------------------------------------------------------------------------------

// A string view on the window over `box`, at that text size, with the text and horizontal
// position (1 left, 3 right); null when it cannot be made.
cSp_StringView* CDRDlg_NewStringView(WindowRef window, const Rect& box, short textSize,
                                     const char* text, short hPosition);
// Takes the view out of the framework's lists and deletes it; clears the pointer.
void CDRDlg_DisposeStringView(cSp_StringView*& view);
