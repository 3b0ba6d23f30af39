#include "CDMediaMgrDialogSupport.h"

#include <cstring>

#include "Menus.h"
#include "SpCDREngineAlert.h"
#include "SpErrorInfoSystem.h"
#include "SpStdSayDialog.h"
#include "SpPreferenceStockObject.h"
#include "SpStdDrawingFunction.h"
#include "SpStringView.h"
#include "SpWindow.h"
#include "SpWindowControlItemObj.h"

namespace {

enum : UInt8 {
  kEnterChar = 0x03,
  kReturnChar = 0x0D,
  kEscapeChar = 0x1B,
  kPeriodChar = 0x2E,
};

const EventTypeSpec kValueChangedEvent = {kEventClassControl, kEventControlValueFieldChanged};
const EventTypeSpec kRawKeyDownEvent = {kEventClassKeyboard, kEventRawKeyDown};

}  // namespace

// ---- Items ----------------------------------------------------------------------------------

ControlRef CDRDlg_ItemControl(DialogRef dialog, DialogItemIndex item) {
  ControlRef control = nullptr;
  if (dialog == nullptr || GetDialogItemAsControl(dialog, item, &control) != noErr) return nullptr;
  return control;
}

Rect CDRDlg_ItemBox(DialogRef dialog, DialogItemIndex item) {
  Rect box = {0, 0, 0, 0};
  if (dialog != nullptr) GetDialogItem(dialog, item, nullptr, nullptr, &box);
  return box;
}

SInt32 CDRDlg_PopupItemCount(ControlRef popup) {
  MenuRef menu = popup != nullptr ? GetControlPopupMenuHandle(popup) : nullptr;
  return menu != nullptr ? SInt32(CountMenuItems(menu)) : 0;
}

void CDRDlg_PopupItemText(ControlRef popup, SInt32 item, char* text) {
  text[0] = 0;
  MenuRef menu = popup != nullptr ? GetControlPopupMenuHandle(popup) : nullptr;
  if (menu == nullptr || item < 1 || item > SInt32(CountMenuItems(menu))) return;
  Str255 pascal;
  GetMenuItemText(menu, SInt16(item), pascal);
  std::memcpy(text, pascal + 1, pascal[0]);
  text[pascal[0]] = 0;
}

void CDRDlg_ReportDialogOpenFailure(const char* source, const char* method, SInt32 code) {
  SpReportFailure(source, method, code, "Dialog Pointer is Null !! ");
  std::string message = SpCDR_MJ("ダイアログのオープン時にエラーが発生しました");
  Sp_SayDialogByModal(&message[0], 0);
}

// ---- Keys -----------------------------------------------------------------------------------

short CDRDlg_AnswerOfKey(EventRef event) {
  char charCode = 0;
  UInt32 modifiers = 0;
  if (GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof charCode,
                        nullptr, &charCode) != noErr) {
    return 0;
  }
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                    nullptr, &modifiers);
  const UInt8 key = UInt8(charCode);
  if (key == kReturnChar || key == kEnterChar) return 1;
  if (key == kEscapeChar) return 2;
  if (key == kPeriodChar && (modifiers & cmdKey) != 0) return 2;
  return 0;
}

// ---- Handlers -------------------------------------------------------------------------------

cCDRDlg_HandlerSet::~cCDRDlg_HandlerSet() {
  for (const Hit& hit : hits_) {
    if (cSp_ControlItem* item = hit.window->GetTargetDialogControlItemObjPtr(hit.item)) {
      item->SetButtonOperationCompleatedProc(nullptr, 0);
    }
  }
  for (const Installed& one : installed_) {
    if (one.handler != nullptr) RemoveEventHandler(one.handler);
    DisposeEventHandlerUPP(one.upp);
  }
}

void cCDRDlg_HandlerSet::Install(EventTargetRef target, EventHandlerProcPtr proc,
                                 const EventTypeSpec& spec, void* data) {
  if (target == nullptr) return;
  Installed one = {NewEventHandlerUPP(proc), nullptr};
  InstallEventHandler(target, one.upp, 1, &spec, data, &one.handler);
  installed_.push_back(one);
}

void cCDRDlg_HandlerSet::RunHit(short, unsigned long hit) {
  const Hit* one = reinterpret_cast<const Hit*>(hit);
  if (one != nullptr) one->proc(nullptr, nullptr, one->data);
}

void cCDRDlg_HandlerSet::OnItemHit(cSp_Window* window, DialogItemIndex item,
                                   EventHandlerProcPtr proc, void* data) {
  if (window == nullptr || CDRDlg_ItemControl(window->GetDialogRef(), item) == nullptr) return;
  cSp_ControlItem* control = window->SetupDialogContorlItem(item, 0);
  if (control == nullptr) return;
  hits_.push_back(Hit{proc, data, window, item});
  control->SetButtonOperationCompleatedProc(RunHit, reinterpret_cast<unsigned long>(&hits_.back()));
}

void cCDRDlg_HandlerSet::OnItemValueChanged(DialogRef dialog, DialogItemIndex item,
                                            EventHandlerProcPtr proc, void* data) {
  ControlRef control = CDRDlg_ItemControl(dialog, item);
  if (control != nullptr) Install(GetControlEventTarget(control), proc, kValueChangedEvent, data);
}

void cCDRDlg_HandlerSet::OnRawKeyDown(WindowRef window, EventHandlerProcPtr proc, void* data) {
  if (window != nullptr) Install(GetWindowEventTarget(window), proc, kRawKeyDownEvent, data);
}

// ---- Places ---------------------------------------------------------------------------------

Point CDRDlg_WindowSize(cSp_Window* window) {
  Rect content = {0, 0, 0, 0};
  Sp_GetWindowSize(window->GetWindowRef(), content);
  return Point{short(content.bottom - content.top), short(content.right - content.left)};
}

Point CDRDlg_CentreIn(const Rect& area, Point size) {
  return Point{short((area.top + area.bottom - size.v) / 2),
               short((area.left + area.right - size.h) / 2)};
}

Point CDRDlg_KeepInScreen(Point topLeft, Point size, short inset) {
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  InsetRect(&screen, inset, inset);
  Rect bounds = {topLeft.v, topLeft.h, short(topLeft.v + size.v), short(topLeft.h + size.h)};
  Sp_MoveAreaInTargetArea(screen, bounds, bounds, tPositionType(1), tPositionType(4));
  return Point{bounds.top, bounds.left};
}

Point CDRDlg_WindowTopLeft(cSp_Window* window) {
  Rect content = {0, 0, 0, 0};
  Sp_GetWindowSize(window->GetWindowRef(), content);
  return Point{content.top, content.left};
}

// ---- Preference stock -----------------------------------------------------------------------

cPrefStockData* CDRDlg_StockItem(cPrefStockFileObj* stock, UInt32 group, UInt32 key,
                                 bool create) {
  if (stock == nullptr) return nullptr;
  cPrefStockData* in = stock->GetTargetStockDataItemInPrefTopDataList(group, 1, create ? 1 : 0);
  if (in == nullptr) return nullptr;
  return in->GetTargetStockDataItemInUnderDataListByIdType(key, create ? 1 : 0);
}

bool CDRDlg_LoadPoint(cPrefStockFileObj* stock, UInt32 group, UInt32 key, Point& value) {
  cPrefStockData* item = CDRDlg_StockItem(stock, group, key, false);
  return item != nullptr && item->GetPointData(value) != 0;
}

bool CDRDlg_LoadLong(cPrefStockFileObj* stock, UInt32 group, UInt32 key, SInt32& value) {
  cPrefStockData* item = CDRDlg_StockItem(stock, group, key, false);
  return item != nullptr && item->GetLongData(value) != 0;
}

bool CDRDlg_LoadDouble(cPrefStockFileObj* stock, UInt32 group, UInt32 key, double& value) {
  cPrefStockData* item = CDRDlg_StockItem(stock, group, key, false);
  return item != nullptr && item->GetDblData(value) != 0;
}

bool CDRDlg_StorePoint(cPrefStockFileObj* stock, UInt32 group, UInt32 key, Point value) {
  cPrefStockData* item = CDRDlg_StockItem(stock, group, key, true);
  return item != nullptr && item->SetupPointData(value, 1) != 0;
}

bool CDRDlg_StoreLong(cPrefStockFileObj* stock, UInt32 group, UInt32 key, SInt32 value) {
  cPrefStockData* item = CDRDlg_StockItem(stock, group, key, true);
  return item != nullptr && item->SetupLongData(value, 1) != 0;
}

bool CDRDlg_StoreDouble(cPrefStockFileObj* stock, UInt32 group, UInt32 key, double value) {
  cPrefStockData* item = CDRDlg_StockItem(stock, group, key, true);
  return item != nullptr && item->SetupDblData(value, 1) != 0;
}

// ---- Views ----------------------------------------------------------------------------------

cSp_StringView* CDRDlg_NewStringView(WindowRef window, const Rect& box, short textSize,
                                     const char* text, short hPosition) {
  auto* view = new (std::nothrow) cSp_StringView(window, box, nullptr, textSize, nullptr, 0);
  if (view == nullptr) return nullptr;
  view->SetTextOutput_H_PositionType(tPositionType(hPosition), 0);
  view->SetString(text != nullptr ? text : "", 0);
  return view;
}

void CDRDlg_DisposeStringView(cSp_StringView*& view) {
  if (view == nullptr) return;
  view->ExecViewObjDeleteReady();
  delete view;
  view = nullptr;
}
