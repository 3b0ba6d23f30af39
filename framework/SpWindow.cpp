// The window object: construction, destruction, title, behaviour flags, colours, virtual
// operations, key callbacks and control items. The lists, ordering, opening and closing are in
// SpWindowLists.cpp.
#include "SpWindow.h"

#include <cstring>
#include <new>

#include "Controls.h"
#include "Dialogs.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpPortSaver.h"
#include "SpServiceHooks.h"
#include "SpWindowControlItemObj.h"
#include "SpWindowProcList.h"

SInt32 CreatedWindowCount = 0;
SInt32 controlCommandRefNoCurrent_GlV = 0;

namespace {

const char kSource[] = "SpWindow";

// "Untitled" in MacJapanese.
const char kDefaultTitle[] = "\x96\xBC\x8F\xCC\x96\xA2\x90\xDD\x92\xE8";

// A plain window made without size.
const short kPlainWindowWidth = 300;
const short kPlainWindowHeight = 200;

// A rebuilt dialog keeps at least this far from the top and the left of the screen (below the
// menu bar), so that its title bar can always be reached.
const short kRebuiltDialogTopMargin = 25;
const short kRebuiltDialogLeftMargin = 10;

// The highest automatic control command number ('C999').
const SInt32 kLastAutoControlCommand = 999;

Point MakePoint(short v, short h) {
  Point p;
  p.v = v;
  p.h = h;
  return p;
}

Point CentredPosition(short width, short height) {
  Rect screen = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetScreenSize(&screen);
  // Integer division truncates toward zero, also for a window larger than the screen.
  return MakePoint(SInt16((screen.top + screen.bottom - height) / 2),
                   SInt16((screen.left + screen.right - width) / 2));
}

// The zero-terminated text as a length-prefixed title (cut on a character boundary).
void MakeTitle(const char* text, Str255 title) {
  char buffer[256 + 1];
  std::strncpy(buffer, text, sizeof buffer - 1);
  buffer[sizeof buffer - 1] = '\0';
  CtoPstr(buffer);
  std::memcpy(title, buffer, static_cast<unsigned char>(buffer[0]) + 1u);
}

// The kind of a dialog item without its disabled flag.
bool IsButtonItem(DialogRef dialog, short itemNo) {
  if (CountDITL(dialog) < itemNo) return false;
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box;
  GetDialogItem(dialog, itemNo, &type, &handle, &box);
  return (type & ~itemDisable) == kButtonDialogItem;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSp_Window::cSp_Window(Point position, Point size, unsigned char openNow, short windowKind,
                       tWindowType type, cSp_Window* behind) {
  StartUpInitialize();
  windowType_ = type;
  windowKind_ = windowKind;
  SetupNewWindow(position, size, openNow, 0, behind, 0, 0);
}

cSp_Window::cSp_Window(short width, short height, unsigned char openNow, short windowKind,
                       tWindowType type, cSp_Window* behind) {
  StartUpInitialize();
  windowType_ = type;
  windowKind_ = windowKind;
  SetupNewWindow(CentredPosition(width, height), MakePoint(height, width), openNow, 0, behind, 0,
                 0);
}

cSp_Window::cSp_Window(short resourceId, tWindowType type, cSp_Window* behind,
                       unsigned char rebuildDialog, short rebuildProcId) {
  StartUpInitialize();
  if (type == kSpDialogWindowType) dialogFlag_ = 1;
  windowType_ = type;
  SetupNewWindow(MakePoint(0, 0), MakePoint(0, 0), 0, resourceId, behind, rebuildDialog,
                 rebuildProcId);
}

cSp_Window::cSp_Window(cSp_Window* behind) {
  StartUpInitialize();
  SetupNewWindow(CentredPosition(kPlainWindowWidth, kPlainWindowHeight),
                 MakePoint(kPlainWindowHeight, kPlainWindowWidth), 0, 0, behind, 0, 0);
}

cSp_Window* Sp_NewDialogObject(short resourceId, unsigned char modal) {
  cSp_Window* window =
      new (std::nothrow) cSp_Window(resourceId, kSpDialogWindowType, kSpWindowInFrontOfAll, 0, 0);
  if (window == nullptr) {
    SpReportFailure(kSource, "Sp_NewDialogObject", 1, kSpMsgMemory);
    return nullptr;
  }
  window->SetupModalDialogFlag(modal);
  return window;
}

void cSp_Window::StartUpInitialize() {
  windowType_ = kSpNormalWindowType;
  top_ = left_ = height_ = width_ = 0;
  sheetFlag_ = 0;
  sheetParent_ = nullptr;
  sheetItemList_ = nullptr;
  minHeight_ = minWidth_ = maxHeight_ = maxWidth_ = 0;
  zoomOutRect_ = Rect{0, 0, 0, 0};
  openFlag_ = dialogFlag_ = 0;
  rootControl_ = nullptr;
  firstControlItem_ = lastControlItem_ = nullptr;
  upperWindow_ = underWindow_ = nullptr;
  resourceId_ = windowKind_ = 0;
  std::memset(title_, 0, sizeof title_);
  minSizeLimitFlag_ = maxSizeLimitFlag_ = zoomOutSizeFlag_ = currentZoomOutFlag_ = 0;
  moveToFrontBeforeGrowFlag_ = moveToFrontBeforeDragFlag_ = moveToFrontWithContentClickFlag_ = 1;
  drawGrowIconFlag_ = eraseScrollBarLineFlag_ = 1;
  modalDialogFlag_ = modalDialogBackgroundBeepFlag_ = 0;
  closeBoxFlag_ = liveResizeFlag_ = 1;
  noShadowFlag_ = 0;
  returnKeyFlag_ = returnKeyWithModifiersFlag_ = enterKeyFlag_ = enterKeyWithModifiersFlag_ = 1;
  escKeyFlag_ = escKeyWithModifiersFlag_ = cmdPeriodKeyFlag_ = 1;
  returnKeyItemNo_ = enterKeyItemNo_ = 1;
  escKeyItemNo_ = 2;
  returnKeyExceptModifiers_ = enterKeyExceptModifiers_ = escKeyExceptModifiers_ = {};
  beforeOpenProcList_ = {};
  afterOpenProcList_ = {};
  beforeCloseProcList_ = {};
  afterCloseProcList_ = {};
  moveToFrontProcList_ = {};
  moveToBackProcList_ = {};
  beforeGrowProcList_ = {};
  afterGrowProcList_ = {};
  afterMoveProcList_ = {};
  keyInCallback_ = {};
  rowKeyDownCallback_ = {};
  rowKeyUpCallback_ = {};
  dialog_ = nullptr;
  window_ = nullptr;
}

void cSp_Window::MakeDefaultTitle() {
  std::strcpy(title_, kDefaultTitle);
  ++CreatedWindowCount;
  // Every window after the first gets its number, so that windows made alike can be told
  // apart.
  if (CreatedWindowCount > 1) {
    char number[kSpNumberTextSize];
    Sp_NumberToString(CreatedWindowCount, number);
    std::strcat(title_, " ");
    std::strcat(title_, number);
  }
}

void cSp_Window::SetupNewWindow(Point position, Point size, unsigned char openNow, short resourceId,
                                cSp_Window* behind, unsigned char rebuildDialog,
                                short rebuildProcId) {
  MakeDefaultTitle();
  WindowRef behindWindow = kFirstWindowOfClass;
  InsertIntoList(behind, &behindWindow);

  resourceId_ = resourceId;
  if (resourceId != 0) {
    MakeWindowFromResource(resourceId, behindWindow, rebuildDialog, rebuildProcId);
  } else {
    top_ = position.v;
    left_ = position.h;
    height_ = size.v;
    width_ = size.h;
    MakeWindowWithoutResource(behindWindow);
  }
  if (window_ == nullptr) return;

  if (Sp_Is_CarbonEvent_ModeEnable()) Sp_SetupWindowEvent(window_);
  if (rebuildDialog != 0) {
    // Control items are embedded into the root control when the window has one.
    if (CreateRootControl(window_, &rootControl_) != noErr &&
        GetRootControl(window_, &rootControl_) != noErr) {
      SysBeep(19);
    }
  }
  if (openNow != 0) {
    if (!IsWindowVisible(window_)) Open(0, nullptr);
  } else if (IsWindowVisible(window_)) {
    ShowHide(window_, false);
    openFlag_ = 0;
  }
}

// Links the object into its list by the `behind` rule and finds the toolbox window that the
// new toolbox window goes behind: (WindowRef)-1 in front of all, null behind all.
void cSp_Window::InsertIntoList(cSp_Window* behind, WindowRef* behindWindow) {
  cSp_Window** head = ListHead();
  *behindWindow = kFirstWindowOfClass;
  if (behind == kSpWindowInFrontOfAll || *head == nullptr) {
    LinkAsHead();
    return;
  }
  cSp_Window* after = nullptr;
  if (behind != nullptr) {
    for (cSp_Window* w = *head; w != nullptr; w = w->NextObject()) {
      if (w == behind) {
        after = w;
        break;
      }
    }
  }
  if (after == nullptr) {
    // Null, or a window of another list (or none at all): at the end of the list.
    after = *head;
    while (after->NextObject() != nullptr) after = after->NextObject();
  }
  LinkAfter(after);
  *behindWindow = after->GetWindowRef();
  if (*behindWindow == nullptr) *behindWindow = kLastWindowOfClass;
}

void cSp_Window::MakeWindowFromResource(short resourceId, WindowRef behindWindow,
                                        unsigned char rebuildDialog, short rebuildProcId) {
  if (dialogFlag_ != 0) {
    dialog_ = GetNewDialog(resourceId, nullptr, behindWindow);
    if (dialog_ != nullptr) {
      window_ = GetDialogWindow(dialog_);
      if (rebuildDialog != 0) RebuildDialog(behindWindow, rebuildProcId);
      if (dialog_ != nullptr) {
        SetupDialogDefaultAndCancelItems(dialog_);
      } else {
        window_ = nullptr;
      }
    }
  } else {
    window_ = GetNewCWindow(resourceId, nullptr, behindWindow);
  }
  if (window_ == nullptr) return;

  Rect content = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetWindowSize(window_, content);
  top_ = content.top;
  left_ = content.left;
  height_ = SInt16(content.bottom - content.top);
  width_ = SInt16(content.right - content.left);
  openFlag_ = IsWindowVisible(window_) ? 1 : 0;
  windowKind_ = GetWindowKind(window_);
  // The default title replaces the resource's own.
  Str255 title;
  MakeTitle(title_, title);
  SetWTitle(window_, title);
}

// Makes the dialog again with the Dialog Manager's features (the control hierarchy) and the
// definition asked for, and places it on the screen clear of the menu bar.
void cSp_Window::RebuildDialog(WindowRef behindWindow, short rebuildProcId) {
  Rect bounds = {0, 0, 0, 0};
  GetPortBounds(GetDialogPort(dialog_), &bounds);
  Handle items = GetResource(SpFourCC("DITL"), resourceId_);
  if (items != nullptr) HLock(items);
  WindowAttributes attributes = 0;
  GetWindowAttributes(window_, &attributes);
  const Boolean visible = IsWindowVisible(window_);
  Str255 title;
  MakeTitle(title_, title);
  // The new dialog keeps the close box of the first one (and only that).
  DialogRef rebuilt = NewFeaturesDialog(nullptr, &bounds, title, visible, rebuildProcId,
                                        behindWindow, (attributes & kWindowCloseBoxAttribute) != 0,
                                        0, items, kDialogFlagsUseControlHierarchy);
  if (items != nullptr) HUnlock(items);
  if (rebuilt == nullptr) {
    // Keep the first dialog rather than lose the window.
    return;
  }

  Rect screen = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetScreenSize(&screen);
  const short minTop = SInt16(screen.top + kRebuiltDialogTopMargin);
  const short minLeft = SInt16(screen.left + kRebuiltDialogLeftMargin);
  if (bounds.top < minTop) {
    OffsetRect(&bounds, 0, SInt16(minTop - bounds.top));
  } else if (bounds.top > screen.bottom) {
    OffsetRect(&bounds, 0, SInt16(screen.bottom - bounds.top));
  }
  if (bounds.left < minLeft) {
    OffsetRect(&bounds, SInt16(minLeft - bounds.left), 0);
  } else if (bounds.left > screen.right) {
    OffsetRect(&bounds, SInt16(screen.right - bounds.left), 0);
  }
  MoveWindow(GetDialogWindow(rebuilt), bounds.left, bounds.top, false);
  DisposeDialog(dialog_);
  dialog_ = rebuilt;
  window_ = GetDialogWindow(rebuilt);
}

void cSp_Window::SetupDialogDefaultAndCancelItems(DialogRef dialog) {
  if (IsButtonItem(dialog, kStdOkItemIndex)) SetDialogDefaultItem(dialog, kStdOkItemIndex);
  if (IsButtonItem(dialog, kStdCancelItemIndex)) SetDialogCancelItem(dialog, kStdCancelItemIndex);
  SetDialogTracksCursor(dialog, true);
}

void cSp_Window::MakeWindowWithoutResource(WindowRef behindWindow) {
  Rect bounds;
  SetRect(&bounds, left_, top_, SInt16(left_ + width_), SInt16(top_ + height_));
  Str255 title;
  MakeTitle(title_, title);
  if (dialogFlag_ != 0) {
    dialog_ = NewDialog(nullptr, &bounds, title, false, windowKind_, behindWindow,
                        closeBoxFlag_ != 0, 0, nullptr);
    if (dialog_ != nullptr) window_ = GetDialogWindow(dialog_);
  } else {
    window_ = NewCWindow(nullptr, &bounds, title, false, windowKind_, behindWindow,
                         closeBoxFlag_ != 0, 0);
  }
}

cSp_Window::~cSp_Window() {
  // The before-close procedures may refuse; the window goes all the same.
  if (openFlag_ != 0) Close();
  if (mouseDownWindowObj_GlV == this) mouseDownWindowObj_GlV = nullptr;
  if (window_ != nullptr) Sp_ViewServices().Sp_DisposeTargetWindowView(window_);
  // The control items go before their controls: they take their hit handlers off them.
  DeleteControlItems();
  if (dialog_ != nullptr) {
    DisposeDialog(dialog_);
  } else if (window_ != nullptr) {
    DisposeWindow(window_);
  }
  dialog_ = nullptr;
  window_ = nullptr;
  WipeOutProcLists();

  cSp_Window** head = ListHead();
  if (upperWindow_ != nullptr) {
    upperWindow_->SetUnderWindow(underWindow_);
  } else if (*head == this) {
    *head = underWindow_;
  } else {
    SpReportFailure(kSource, "cSp_Window::~cSp_Window", 1, kSpMsgLinkError);
  }
  if (underWindow_ != nullptr) underWindow_->SetUpperWindow(upperWindow_);
  upperWindow_ = underWindow_ = nullptr;
}

void cSp_Window::DeleteControlItems() {
  SpDeleteList(firstControlItem_);
  firstControlItem_ = lastControlItem_ = nullptr;
}

void cSp_Window::WipeOutProcLists() {
  for (sSpWinProcList<cSpWin_BeforeProcData>* list :
       {&beforeOpenProcList_, &beforeCloseProcList_, &beforeGrowProcList_}) {
    WipeOutBeforeExecuteList(list->head);
    *list = {};
  }
  for (sSpWinProcList<cSpWin_AfterProcData>* list :
       {&afterOpenProcList_, &afterCloseProcList_, &moveToFrontProcList_, &moveToBackProcList_,
        &afterGrowProcList_, &afterMoveProcList_}) {
    WipeOutAfterExecuteList(list->head);
    *list = {};
  }
}

// ---- Title ----------------------------------------------------------------------------------

void cSp_Window::SetTitle(const char* title) {
  if (window_ == nullptr || title == nullptr) return;
  // A title holds 255 bytes: a longer text keeps the whole characters that fit.
  Str255 pascal;
  MakeTitle(title, pascal);
  SetWTitle(window_, pascal);
}

// ---- Behaviour flags ------------------------------------------------------------------------

void cSp_Window::ApplyAttributeFlag(unsigned char flag, WindowAttributes attribute) {
  if (flag != 0) {
    ChangeWindowAttributes(window_, attribute, kWindowNoAttributes);
  } else {
    ChangeWindowAttributes(window_, kWindowNoAttributes, attribute);
  }
}

void cSp_Window::SetupDrawGrowIconFlag(unsigned char flag, unsigned char applyNow) {
  drawGrowIconFlag_ = flag;
  if (applyNow != 0) ApplyAttributeFlag(flag, kSpWindowGrowIconAttribute);
}

void cSp_Window::SetupCloseBoxFlag(unsigned char flag, unsigned char applyNow) {
  closeBoxFlag_ = flag;
  if (applyNow != 0) ApplyAttributeFlag(flag, kSpWindowCloseBoxAttribute);
}

void cSp_Window::SetupWindowLiveResizeFlag(unsigned char flag, unsigned char applyNow) {
  liveResizeFlag_ = flag;
  if (applyNow != 0) ApplyAttributeFlag(flag, kSpWindowLiveResizeAttribute);
}

void cSp_Window::SetupWindowNoShadowFlag(unsigned char flag, unsigned char applyNow) {
  noShadowFlag_ = flag;
  if (applyNow != 0) ApplyAttributeFlag(flag, kSpWindowNoShadowAttribute);
}

void cSp_Window::SetupWindowBehaviorIntoMacWindow() {
  WindowAttributes set = kWindowNoAttributes;
  WindowAttributes clear = kWindowNoAttributes;
  if (drawGrowIconFlag_ != 0) {
    set |= kSpWindowGrowIconAttribute;
  } else {
    clear |= kSpWindowGrowIconClearAttributes;
  }
  (closeBoxFlag_ != 0 ? set : clear) |= kSpWindowCloseBoxAttribute;
  (liveResizeFlag_ != 0 ? set : clear) |= kSpWindowLiveResizeAttribute;
  (noShadowFlag_ != 0 ? set : clear) |= kSpWindowNoShadowAttribute;
  ChangeWindowAttributes(window_, set, clear);
}

// ---- Colours --------------------------------------------------------------------------------

void cSp_Window::SetupWindowForColor(RGBColor* color) {
  if (color == nullptr) return;
  cSpPortSaver port(window_);
  RGBForeColor(color);
}

void cSp_Window::SetupWindowBackColor(RGBColor* color) {
  if (color == nullptr) return;
  cSpPortSaver port(window_);
  RGBBackColor(color);
}

void cSp_Window::GetWindowForColor(RGBColor* color) {
  if (color == nullptr) return;
  cSpPortSaver port(window_);
  GetForeColor(color);
}

void cSp_Window::GetWindowBackColor(RGBColor* color) {
  if (color == nullptr) return;
  cSpPortSaver port(window_);
  GetBackColor(color);
}

void cSp_Window::SetupWindowContentColorData(RGBColor* color) {
  if (color == nullptr) return;
  short minor = 0;
  Sp_GetSystemVersion(nullptr, &minor, nullptr);
  if (minor > 7) SetWindowContentColor(window_, color);
}

// ---- Automatic control commands -------------------------------------------------------------

unsigned char Sp_GetNewAutoControlCommand(SInt32& refNo, UInt32& commandId) {
  if (controlCommandRefNoCurrent_GlV >= kLastAutoControlCommand) return 0;
  const SInt32 number = ++controlCommandRefNoCurrent_GlV;
  refNo = number;
  commandId = (UInt32('C') << 24) | (UInt32('0' + number / 100) << 16) |
              (UInt32('0' + (number / 10) % 10) << 8) | UInt32('0' + number % 10);
  return 1;
}

// ---- Virtual operations: the base window takes nothing --------------------------------------

unsigned char cSp_Window::KeyIntoWindow(char, char, short, unsigned char) {
  return 0;
}
unsigned char cSp_Window::RowKeyDownIntoWindow(char, char, short, unsigned char) {
  return 0;
}
unsigned char cSp_Window::RowKeyUpOnWindow(char, char, short) {
  return 0;
}
unsigned char cSp_Window::ExecuteUndo(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteRedo(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteCut(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteCopy(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecutePast(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteDelete(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteDuplicate(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteSelectAll(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteOtherMenuItem(short, short, sSpModifiersDataStruct&) {
  return 0;
}

// ---- Key callbacks --------------------------------------------------------------------------

void cSp_Window::SetupKeyInIntoWindowCallback(tSpWindowKeyInCallback proc, unsigned long userData) {
  keyInCallback_.proc = proc;
  keyInCallback_.userData = (proc != nullptr) ? userData : 0;
}

void cSp_Window::SetupRowKeyDownIntoWindowCallback(tSpWindowKeyInCallback proc,
                                                   unsigned long userData) {
  rowKeyDownCallback_.proc = proc;
  rowKeyDownCallback_.userData = (proc != nullptr) ? userData : 0;
}

void cSp_Window::SetupRowKeyUpOnWindowCallbackPtr(tSpWindowRowKeyUpCallback proc,
                                                  unsigned long userData) {
  rowKeyUpCallback_.proc = proc;
  rowKeyUpCallback_.userData = (proc != nullptr) ? userData : 0;
}

unsigned char cSp_Window::ExecKeyInIntoWindowCallback(char charCode, char keyCode, short modifiers,
                                                      unsigned char autoKey) {
  if (keyInCallback_.proc == nullptr) return 0;
  return keyInCallback_.proc(charCode, keyCode, autoKey, modifiers, keyInCallback_.userData);
}

unsigned char cSp_Window::ExecRowKeyDownIntoWindowCallback(char charCode, char keyCode,
                                                           short modifiers, unsigned char autoKey) {
  if (rowKeyDownCallback_.proc == nullptr) return 0;
  return rowKeyDownCallback_.proc(charCode, keyCode, autoKey, modifiers,
                                  rowKeyDownCallback_.userData);
}

unsigned char cSp_Window::ExecRowKeyUpOnWindowCallback(char charCode, char keyCode,
                                                       short modifiers) {
  if (rowKeyUpCallback_.proc == nullptr) return 0;
  return rowKeyUpCallback_.proc(charCode, keyCode, modifiers, rowKeyUpCallback_.userData);
}

// ---- Control items --------------------------------------------------------------------------

cSp_ControlItem* cSp_Window::GetTargetDialogControlItemObjPtr(short itemNo) {
  for (cSp_ControlItem* item = firstControlItem_; item != nullptr; item = item->NextObject()) {
    if (item->GetDialogItemNo(0) == itemNo) return item;
    if (item->IsChangeOutputItemContainer() != 0) {
      cSp_ControlItem* held = item->GetChangeOutputItemFromRefNum(itemNo);
      if (held != nullptr) return held;
    }
  }
  return nullptr;
}

cSp_ControlItem* cSp_Window::SetupDialogContorlItem(short itemNo, short itemType) {
  cSp_ControlItem* item = GetTargetDialogControlItemObjPtr(itemNo);
  if (item != nullptr) {
    item->ResetItemType(itemType);
    return item;
  }
  item = new (std::nothrow) cSp_ControlItem(this, itemNo, 0);
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_Window::SetupDialogContorlItem", 1, kSpMsgMemory);
    return nullptr;
  }
  if (rootControl_ != nullptr) item->EmbedIntoRootControl(rootControl_);
  item->SetupControlInfoFromResource();
  SpAppendToList(firstControlItem_, lastControlItem_, item);
  return item;
}

cSp_ControlItem* cSp_Window::SerchTargetItemForMacOSControlRef(ControlRef control) {
  if (control == nullptr) return nullptr;
  return cSp_ControlItem::SerchControlItemChain(firstControlItem_, control);
}

void cSp_Window::SetupControlInfoFromDlgAnalizeObj(cDialogAnalyzor* analyzor) {
  if (analyzor == nullptr) {
    SpReportFailure(kSource, "cSp_Window::SetupControlInfoFromDlgAnalizeObj", 1,
                    kSpMsgNullArgument);
    return;
  }
  for (cSp_ControlItem* item = firstControlItem_; item != nullptr; item = item->NextObject()) {
    item->SetupControlInfoFromDlgAnalizeObj(analyzor, 1);
  }
}
