// Dialog Manager: making and disposing of dialogs, their item lists, default and cancel
// items, hiding and showing items, the keyboard focus and the clipboard commands.
#include "Dialogs.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "Clock.h"
#include "Controls.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "QDRegions.h"
#include "QDText.h"
#include "Resources.h"
#include "ui/detail/DialogRecord.h"
#include "ui/internal/DialogClipboard.h"

namespace sp_platform {
namespace dialogs {
namespace {

// The port's text settings of every dialog: the system font at 12 pixels.
constexpr SInt16 kDialogTextSize = 12;
constexpr std::size_t kMaxItems = 0x7FFF;
constexpr std::size_t kStaticTextLimit = 255;

std::vector<DialogRecord*>& Dialogs() {
  static std::vector<DialogRecord*> dialogs;
  return dialogs;
}

void FreeItem(Item* item, bool disposeControl) {
  if (disposeControl && item->control != nullptr) DisposeControl(item->control);
  item->control = nullptr;
  if (item->text != nullptr) DisposeHandle(item->text);
  item->text = nullptr;
}

// Forgets the record; its window is disposed of already or about to be. The Control Manager
// lets go of the controls of a window that is gone as soon as it is asked about them.
void Forget(DialogRecord* record) {
  auto& all = Dialogs();
  all.erase(std::remove(all.begin(), all.end(), record), all.end());
  KillControls(record->window);
  for (Item& item : record->items) FreeItem(&item, false);
  delete record;
}

std::size_t LimitOf(const Item& item) {
  return item.kind == editText ? std::size_t(kSpDialogEditTextLimit) : kStaticTextLimit;
}

// Makes the control or text of each item and appends the items, offset by (dh, dv). On
// failure nothing stays appended.
bool AddItems(DialogRecord* record, const std::vector<ItemSpec>& specs, SInt16 dh, SInt16 dv) {
  const std::size_t before = record->items.size();
  for (const ItemSpec& spec : specs) {
    Item item;
    item.kind = spec.kind;
    item.disabled = spec.disabled;
    item.rect = spec.rect;
    OffsetRect(&item.rect, dh, dv);
    item.resourceID = spec.resourceID;
    bool made = true;
    if (spec.kind >= kButtonDialogItem && spec.kind <= kRadioButtonDialogItem) {
      Str255 title;
      std::size_t length = CutToBoundary(spec.text, 255);
      title[0] = UInt8(length);
      std::memcpy(title + 1, spec.text.data(), length);
      static const SInt16 kProcs[] = {pushButProc, checkBoxProc, radioButProc};
      item.control = NewControl(record->window, &item.rect, title, !item.Hidden(), 0, 0, 1,
                                kProcs[spec.kind - kButtonDialogItem], 0);
      made = item.control != nullptr;
    } else if (spec.kind == kResourceControlDialogItem) {
      // A missing 'CNTL' leaves an item without a control, as a damaged resource would.
      item.control = GetNewControl(spec.resourceID, record->window);
      if (item.control != nullptr) {
        SetControlBounds(item.control, &item.rect);
        if (item.Hidden()) HideControl(item.control);
      }
    } else if (IsTextKind(spec.kind)) {
      item.text = NewHandle(0);
      made = item.text != nullptr && SetItemText(&item, spec.text, LimitOf(item));
    }
    if (!made) {
      FreeItem(&item, true);
      while (record->items.size() > before) {
        FreeItem(&record->items.back(), true);
        record->items.pop_back();
      }
      return false;
    }
    record->items.push_back(item);
  }
  return true;
}

DialogItemIndex FirstEditItem(DialogRecord* record) {
  for (std::size_t i = 0; i < record->items.size(); ++i) {
    const Item& item = record->items[i];
    if (item.kind == editText && !item.Hidden()) return DialogItemIndex(i + 1);
  }
  return -1;
}

// The focus for a dialog that has none: the first edit-text item, insertion point at the end.
void FocusFirstEditItem(DialogRecord* record) {
  DialogItemIndex first = FirstEditItem(record);
  SetFocus(record, first);
  if (first > 0) {
    SInt32 length = SInt32(ItemText(*ItemAt(record, first)).size());
    SetSelection(record, length, length);
  }
}

// Places the window as the 'DLOG' position code says: centred, or in the alert position (a
// third of the free height above it, two thirds below), on the main screen below the menu bar
// or on the front window. Other codes keep the resource's bounds.
void PlaceWindow(WindowRef window, UInt16 position) {
  const UInt16 method = position & 0x3800;
  if (position == 0 || (method != 0x2800 && method != 0x3000)) return;
  Rect area = {0, 0, 0, 0};
  GDHandle device = GetMainDevice();
  if (device == nullptr || *device == nullptr) return;
  area = (*device)->gdRect;
  area.top = SInt16(area.top + GetMBarHeight());
  if ((position & 0xC000) == 0x8000) {
    WindowRef parent = FrontNonFloatingWindow();
    Rect parentBounds;
    if (parent != nullptr && parent != window &&
        GetWindowBounds(parent, kWindowStructureRgn, &parentBounds) == noErr) {
      area = parentBounds;
    }
  }
  Rect structure, content;
  if (GetWindowBounds(window, kWindowStructureRgn, &structure) != noErr ||
      GetWindowBounds(window, kWindowContentRgn, &content) != noErr) {
    return;
  }
  const SInt32 width = structure.right - structure.left;
  const SInt32 height = structure.bottom - structure.top;
  const SInt32 freeWidth = area.right - area.left - width;
  const SInt32 freeHeight = area.bottom - area.top - height;
  SInt32 left = area.left + (freeWidth > 0 ? freeWidth / 2 : 0);
  SInt32 top =
      area.top + (freeHeight > 0 ? (method == 0x2800 ? freeHeight / 2 : freeHeight / 3) : 0);
  MoveWindow(window, SInt16(left + content.left - structure.left),
             SInt16(top + content.top - structure.top), false);
}

DialogRef MakeDialog(const Rect* bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                     WindowRef behind, Boolean goAway, SRefCon refCon,
                     const std::vector<ItemSpec>& specs, UInt32 flags, UInt16 position) {
  WindowRef window = NewCWindow(nullptr, bounds, title, false, procID, behind, goAway, refCon);
  if (window == nullptr) return nullptr;
  auto* record = new (std::nothrow) DialogRecord;
  if (record == nullptr) {
    DisposeWindow(window);
    return nullptr;
  }
  record->window = window;
  SetWindowKind(window, kDialogWindowKind);
  SetPortTextFont(GetWindowPort(window), 0);
  SetPortTextSize(GetWindowPort(window), kDialogTextSize);
  if ((flags & kDialogFlagsUseControlHierarchy) != 0) {
    ControlRef root = nullptr;
    CreateRootControl(window, &root);
  }
  Dialogs().push_back(record);
  if (!AddItems(record, specs, 0, 0)) {
    DisposeDialog(RefOf(record));
    return nullptr;
  }
  FocusFirstEditItem(record);
  PlaceWindow(window, position);
  if (visible) ShowWindow(window);
  return RefOf(record);
}

bool ParseHandle(Handle items, std::size_t limit, std::vector<ItemSpec>* specs) {
  if (items == nullptr) return true;
  if (*items == nullptr) return false;
  return ParseItemList(reinterpret_cast<const UInt8*>(*items), std::size_t(GetHandleSize(items)),
                       limit, specs);
}

// The control part a key press stands for.
ControlPartCode PressPart(ControlRef control) {
  ControlKind kind = {0, 0};
  if (GetControlKind(control, &kind) == noErr) {
    if (kind.kind == kControlKindCheckBox) return kControlCheckBoxPart;
    if (kind.kind == kControlKindRadioButton) return kControlRadioButtonPart;
  }
  return kControlButtonPart;
}

bool IsPushButtonItem(const Item& item) {
  if (item.control == nullptr) return false;
  if (item.kind == kButtonDialogItem) return true;
  ControlKind kind = {0, 0};
  return item.kind == kResourceControlDialogItem && GetControlKind(item.control, &kind) == noErr &&
         kind.kind == kControlKindPushButton;
}

}  // namespace

bool ReplaceItemText(DialogRecord* record, DialogItemIndex itemNo, const std::string& bytes) {
  Item* it = ItemAt(record, itemNo);
  if (it == nullptr || !SetItemText(it, bytes, LimitOf(*it))) return false;
  if (record->focus == itemNo) {
    SInt32 length = SInt32(ItemText(*it).size());
    record->firstLine = 0;
    SetSelection(record, length, length);
  }
  RedrawItemIfShown(record, itemNo);
  return true;
}

DialogRecord* Lookup(DialogRef dialog) {
  if (dialog == nullptr) return nullptr;
  auto& all = Dialogs();
  auto it = std::find(all.begin(), all.end(), reinterpret_cast<DialogRecord*>(dialog));
  if (it == all.end()) return nullptr;
  DialogRecord* record = *it;
  if (!IsValidWindowPtr(record->window)) {
    Forget(record);
    return nullptr;
  }
  return record;
}

DialogRecord* LookupByWindow(WindowRef window) {
  if (window == nullptr) return nullptr;
  for (DialogRecord* record : Dialogs()) {
    if (record->window == window) return Lookup(RefOf(record));
  }
  return nullptr;
}

DialogRecord* LookupByTextEdit(TEHandle hTE) {
  if (hTE == nullptr) return nullptr;
  for (DialogRecord* record : Dialogs()) {
    if (reinterpret_cast<TEHandle>(&record->teMaster) == hTE) return Lookup(RefOf(record));
  }
  return nullptr;
}

DialogRef RefOf(DialogRecord* record) {
  return reinterpret_cast<DialogRef>(record);
}

std::vector<DialogRef> AllDialogs() {
  std::vector<DialogRef> refs;
  std::vector<DialogRecord*> copy = Dialogs();
  for (DialogRecord* record : copy) {
    if (Lookup(RefOf(record)) != nullptr) refs.push_back(RefOf(record));
  }
  return refs;
}

std::string ItemTextOf(DialogRef dialog, DialogItemIndex itemNo) {
  Item* item = ItemAt(Lookup(dialog), itemNo);
  return item != nullptr ? ItemText(*item) : std::string();
}

std::string FieldReadingOf(DialogRef dialog) {
  const DialogRecord* record = Lookup(dialog);
  return record != nullptr ? record->preedit : std::string();
}

bool FocusedTextState(DialogRef dialog, SInt32* selStart, SInt32* selEnd, SInt32* firstLine) {
  const DialogRecord* record = Lookup(dialog);
  if (record == nullptr || record->focus < 1) return false;
  if (selStart != nullptr) *selStart = record->selStart;
  if (selEnd != nullptr) *selEnd = record->selEnd;
  if (firstLine != nullptr) *firstLine = record->firstLine;
  return true;
}

std::vector<DialogItemIndex> FlashesOf(DialogRef dialog) {
  const DialogRecord* record = Lookup(dialog);
  return record != nullptr ? record->flashes : std::vector<DialogItemIndex>();
}

bool FindTextHandle(Handle text, DialogRecord** record, DialogItemIndex* itemNo) {
  if (text == nullptr) return false;
  for (DialogRecord* r : Dialogs()) {
    for (std::size_t i = 0; i < r->items.size(); ++i) {
      if (r->items[i].text == text) {
        if (Lookup(RefOf(r)) == nullptr) return false;
        *record = r;
        *itemNo = DialogItemIndex(i + 1);
        return true;
      }
    }
  }
  return false;
}

Item* ItemAt(DialogRecord* record, DialogItemIndex itemNo) {
  if (record == nullptr || itemNo < 1 || std::size_t(itemNo) > record->items.size()) {
    return nullptr;
  }
  return &record->items[std::size_t(itemNo) - 1];
}

// Presses an item as a key does: only a visible, active control; it flashes, and its hit
// event goes to the control's target.
bool FlashItem(DialogRecord* record, DialogItemIndex itemNo, ControlPartCode* pressedPart) {
  Item* item = ItemAt(record, itemNo);
  if (item == nullptr || item->control == nullptr || item->Hidden()) return false;
  ControlRef control = item->control;
  if (!IsControlVisible(control) || !IsControlActive(control)) return false;
  const ControlPartCode part = PressPart(control);
  HiliteControl(control, part);
  UInt32 ticks = 0;
  Delay(8, &ticks);
  if (IsValidControlHandle(control)) HiliteControl(control, kControlNoPart);
  record->flashes.push_back(itemNo);
  if (pressedPart != nullptr) *pressedPart = part;
  return true;
}

bool PressItem(DialogRecord* record, DialogItemIndex itemNo, UInt32 modifiers) {
  ControlPartCode part = kControlNoPart;
  if (!FlashItem(record, itemNo, &part)) return false;
  // The hit's handlers may dispose of the dialog: nothing of it is touched after the send.
  ControlRef control = ItemAt(record, itemNo)->control;
  EventRef hit = nullptr;
  if (CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, kEventAttributeNone, &hit) !=
      noErr) {
    return true;
  }
  SetEventParameter(hit, kEventParamDirectObject, typeControlRef, sizeof control, &control);
  SetEventParameter(hit, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  SetEventParameter(hit, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  SendEventToEventTarget(hit, GetControlEventTarget(control));
  ReleaseEvent(hit);
  return true;
}

}  // namespace dialogs
}  // namespace sp_platform

using sp_platform::dialogs::DialogRecord;
using sp_platform::dialogs::Item;
using sp_platform::dialogs::ItemAt;
using sp_platform::dialogs::ItemSpec;
using sp_platform::dialogs::Lookup;

UserItemUPP NewUserItemUPP(UserItemProcPtr userRoutine) {
  return userRoutine;
}

void DisposeUserItemUPP(UserItemUPP) {}

void InvokeUserItemUPP(DialogRef theDialog, DialogItemIndex itemNo, UserItemUPP userUPP) {
  if (userUPP != nullptr) userUPP(theDialog, itemNo);
}

// ---- Making and disposing ----

DialogRef GetNewDialog(SInt16 dialogID, void*, WindowRef behind) {
  Handle dlog = GetResource(SpFourCC("DLOG"), dialogID);
  if (dlog == nullptr || *dlog == nullptr) return nullptr;
  sp_platform::dialogs::DialogTemplate dialogTemplate;
  if (!sp_platform::dialogs::ParseDialogTemplate(reinterpret_cast<const UInt8*>(*dlog),
                                                 std::size_t(GetHandleSize(dlog)),
                                                 &dialogTemplate)) {
    return nullptr;
  }
  Handle ditl = GetResource(SpFourCC("DITL"), dialogTemplate.itemsID);
  if (ditl == nullptr) return nullptr;
  std::vector<ItemSpec> specs;
  if (!sp_platform::dialogs::ParseHandle(ditl, sp_platform::dialogs::kMaxItems, &specs)) {
    return nullptr;
  }
  return sp_platform::dialogs::MakeDialog(&dialogTemplate.bounds, dialogTemplate.title,
                                          dialogTemplate.visible, dialogTemplate.procID, behind,
                                          dialogTemplate.goAway, SRefCon(dialogTemplate.refCon),
                                          specs, 0, dialogTemplate.position);
}

DialogRef NewDialog(void* dStorage, const Rect* boundsRect, ConstStr255Param title, Boolean visible,
                    SInt16 procID, WindowRef behind, Boolean goAwayFlag, SRefCon refCon,
                    Handle items) {
  return NewFeaturesDialog(dStorage, boundsRect, title, visible, procID, behind, goAwayFlag, refCon,
                           items, 0);
}

DialogRef NewFeaturesDialog(void*, const Rect* inBoundsRect, ConstStr255Param inTitle,
                            Boolean inIsVisible, SInt16 inProcID, WindowRef inBehind,
                            Boolean inGoAwayFlag, SRefCon inRefCon, Handle inItemListHandle,
                            UInt32 inFlags) {
  if (inBoundsRect == nullptr) return nullptr;
  std::vector<ItemSpec> specs;
  if (!sp_platform::dialogs::ParseHandle(inItemListHandle, sp_platform::dialogs::kMaxItems,
                                         &specs)) {
    return nullptr;
  }
  return sp_platform::dialogs::MakeDialog(inBoundsRect, inTitle, inIsVisible, inProcID, inBehind,
                                          inGoAwayFlag, inRefCon, specs, inFlags, 0);
}

void DisposeDialog(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  if (record == nullptr) return;
  WindowRef window = record->window;
  sp_platform::dialogs::Forget(record);
  DisposeWindow(window);
}

WindowRef GetDialogWindow(DialogRef dialog) {
  DialogRecord* record = Lookup(dialog);
  return record != nullptr ? record->window : nullptr;
}

DialogRef GetDialogFromWindow(WindowRef window) {
  DialogRecord* record = sp_platform::dialogs::LookupByWindow(window);
  return record != nullptr ? sp_platform::dialogs::RefOf(record) : nullptr;
}

CGrafPtr GetDialogPort(DialogRef dialog) {
  DialogRecord* record = Lookup(dialog);
  return record != nullptr ? GetWindowPort(record->window) : nullptr;
}

// ---- Items ----

void GetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType* itemType,
                   Handle* item, Rect* box) {
  Item* it = ItemAt(Lookup(theDialog), itemNo);
  if (it == nullptr) return;
  if (itemType != nullptr) *itemType = DialogItemType(it->kind | (it->disabled ? itemDisable : 0));
  if (item != nullptr) {
    if (it->control != nullptr) {
      *item = reinterpret_cast<Handle>(it->control);
    } else if (it->text != nullptr) {
      *item = it->text;
    } else if (it->kind == userItem) {
      *item = reinterpret_cast<Handle>(it->userProc);
    } else {
      *item = nullptr;
    }
  }
  if (box != nullptr) *box = it->rect;
}

void SetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType itemType,
                   Handle item, const Rect* box) {
  Item* it = ItemAt(Lookup(theDialog), itemNo);
  if (it == nullptr) return;
  it->disabled = (itemType & itemDisable) != 0;
  if (box != nullptr) it->rect = *box;
  if (it->kind == userItem) it->userProc = reinterpret_cast<UserItemUPP>(item);
}

OSErr GetDialogItemAsControl(DialogRef inDialog, SInt16 inItemNo, ControlRef* outControl) {
  if (outControl == nullptr) return paramErr;
  *outControl = nullptr;
  Item* it = ItemAt(Lookup(inDialog), inItemNo);
  if (it == nullptr) return paramErr;
  if (it->control == nullptr) return errItemNotControl;
  *outControl = it->control;
  return noErr;
}

void GetDialogItemText(Handle item, Str255 text) {
  if (text == nullptr) return;
  text[0] = 0;
  DialogRecord* record = nullptr;
  DialogItemIndex itemNo = 0;
  if (!sp_platform::dialogs::FindTextHandle(item, &record, &itemNo)) return;
  std::string bytes = sp_platform::dialogs::ItemText(*ItemAt(record, itemNo));
  std::size_t length = sp_platform::dialogs::CutToBoundary(bytes, 255);
  text[0] = UInt8(length);
  std::memcpy(text + 1, bytes.data(), length);
}

void SetDialogItemText(Handle item, ConstStr255Param text) {
  if (text == nullptr) return;
  DialogRecord* record = nullptr;
  DialogItemIndex itemNo = 0;
  if (!sp_platform::dialogs::FindTextHandle(item, &record, &itemNo)) return;
  std::string bytes(reinterpret_cast<const char*>(text + 1), text[0]);
  if (!sp_platform::dialogs::ReplaceItemText(record, itemNo, bytes)) SysBeep(10);
}

void SelectDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, SInt16 strtSel,
                          SInt16 endSel) {
  DialogRecord* record = Lookup(theDialog);
  Item* it = ItemAt(record, itemNo);
  if (it == nullptr || it->kind != editText) return;
  sp_platform::dialogs::SetFocus(record, itemNo);
  sp_platform::dialogs::SetSelection(record, strtSel, endSel);
}

DialogItemIndex CountDITL(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  return record != nullptr ? DialogItemIndex(record->items.size()) : 0;
}

void AppendDITL(DialogRef theDialog, Handle theHandle, DITLMethod method) {
  DialogRecord* record = Lookup(theDialog);
  if (record == nullptr || theHandle == nullptr) return;
  std::vector<ItemSpec> specs;
  const std::size_t room = sp_platform::dialogs::kMaxItems - record->items.size();
  if (!sp_platform::dialogs::ParseHandle(theHandle, room, &specs)) return;
  Rect port = {0, 0, 0, 0};
  GetWindowPortBounds(record->window, &port);
  SInt16 dh = 0, dv = 0;
  if (method == appendDITLRight) {
    dh = port.right;
    dv = port.top;
  } else if (method == appendDITLBottom) {
    dh = port.left;
    dv = port.bottom;
  } else if (method < 0) {
    Item* base = ItemAt(record, DialogItemIndex(-method));
    if (base != nullptr) {
      dh = base->rect.left;
      dv = base->rect.top;
    }
  }
  const std::size_t first = record->items.size();
  if (!sp_platform::dialogs::AddItems(record, specs, dh, dv)) {
    SysBeep(10);
    return;
  }
  if (method == appendDITLRight || method == appendDITLBottom) {
    Rect grown = port;
    for (std::size_t i = first; i < record->items.size(); ++i) {
      const Item& item = record->items[i];
      if (!item.Hidden()) UnionRect(&grown, &item.rect, &grown);
    }
    if (grown.right > port.right || grown.bottom > port.bottom) {
      SizeWindow(record->window, SInt16(grown.right - port.left), SInt16(grown.bottom - port.top),
                 true);
    }
  }
  if (record->focus < 1) sp_platform::dialogs::FocusFirstEditItem(record);
  if (IsWindowVisible(record->window)) {
    for (std::size_t i = first; i < record->items.size(); ++i) {
      if (record->items[i].control == nullptr) {
        sp_platform::dialogs::DrawItem(record, DialogItemIndex(i + 1));
      }
    }
  }
}

void ShortenDITL(DialogRef theDialog, DialogItemIndex numberItems) {
  DialogRecord* record = Lookup(theDialog);
  if (record == nullptr || numberItems <= 0) return;
  std::size_t remove = std::min(std::size_t(numberItems), record->items.size());
  const DialogItemIndex keep = DialogItemIndex(record->items.size() - remove);
  if (record->focus > keep) sp_platform::dialogs::SetFocus(record, -1);
  if (record->defaultItem > keep) SetDialogDefaultItem(theDialog, 0);
  if (record->cancelItem > keep) SetDialogCancelItem(theDialog, 0);
  while (record->items.size() > std::size_t(keep)) {
    Item& item = record->items.back();
    if (!item.Hidden()) InvalWindowRect(record->window, &item.rect);
    sp_platform::dialogs::FreeItem(&item, true);
    record->items.pop_back();
  }
  if (record->focus < 1) sp_platform::dialogs::FocusFirstEditItem(record);
}

DialogItemIndexZeroBased FindDialogItem(DialogRef theDialog, Point thePt) {
  DialogRecord* record = Lookup(theDialog);
  if (record == nullptr) return -1;
  for (std::size_t i = 0; i < record->items.size(); ++i) {
    const Item& item = record->items[i];
    if (!item.Hidden() && PtInRect(thePt, &item.rect)) return DialogItemIndexZeroBased(i);
  }
  return -1;
}

namespace {

// Sets the dialog's default or cancel item, keeping the window's default or cancel button
// (the Control Manager's) in step for push buttons.
OSErr SetKeyItem(DialogRef theDialog, DialogItemIndex newItem, bool isDefault) {
  DialogRecord* record = Lookup(theDialog);
  if (record == nullptr || newItem < 0 || std::size_t(newItem) > record->items.size()) {
    return paramErr;
  }
  DialogItemIndex& slot = isDefault ? record->defaultItem : record->cancelItem;
  auto setButton = isDefault ? SetWindowDefaultButton : SetWindowCancelButton;
  auto getButton = isDefault ? GetWindowDefaultButton : GetWindowCancelButton;
  Item* old = ItemAt(record, slot);
  ControlRef current = nullptr;
  getButton(record->window, &current);
  if (old != nullptr && old->control != nullptr && old->control == current) {
    setButton(record->window, nullptr);
  }
  slot = newItem;
  Item* item = ItemAt(record, newItem);
  if (item != nullptr && sp_platform::dialogs::IsPushButtonItem(*item)) {
    setButton(record->window, item->control);
  }
  return noErr;
}

}  // namespace

OSErr SetDialogDefaultItem(DialogRef theDialog, DialogItemIndex newItem) {
  return SetKeyItem(theDialog, newItem, true);
}

OSErr SetDialogCancelItem(DialogRef theDialog, DialogItemIndex newItem) {
  return SetKeyItem(theDialog, newItem, false);
}

DialogItemIndex GetDialogDefaultItem(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  return record != nullptr ? record->defaultItem : 0;
}

DialogItemIndex GetDialogCancelItem(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  return record != nullptr ? record->cancelItem : 0;
}

OSErr SetDialogTracksCursor(DialogRef theDialog, Boolean tracks) {
  DialogRecord* record = Lookup(theDialog);
  if (record == nullptr) return paramErr;
  record->tracksCursor = tracks != 0;
  return noErr;
}

// ---- Visibility ----

void HideDialogItem(DialogRef theDialog, DialogItemIndex itemNo) {
  DialogRecord* record = Lookup(theDialog);
  Item* item = ItemAt(record, itemNo);
  if (item == nullptr || item->Hidden()) return;
  const Rect shown = item->rect;
  item->rect.left = SInt16(item->rect.left + sp_platform::dialogs::kHiddenItemOffset);
  item->rect.right = SInt16(
      std::min<SInt32>(SInt32(item->rect.right) + sp_platform::dialogs::kHiddenItemOffset, 0x7FFF));
  if (item->control != nullptr) {
    HideControl(item->control);
  } else {
    // What the item showed is erased, and redrawn from beneath at the next update.
    Rect erase = shown;
    if (item->kind == editText) InsetRect(&erase, -3, -3);
    InvalWindowRect(record->window, &erase);
    if (IsWindowVisible(record->window)) {
      GrafPtr saved = nullptr;
      GetPort(&saved);
      SetPortWindowPort(record->window);
      EraseRect(&erase);
      SetPort(saved);
    }
  }
  // A hidden field takes no typing: the focus goes to the first edit-text item still shown.
  if (record->focus == itemNo) {
    sp_platform::dialogs::SetFocus(record, -1);
    sp_platform::dialogs::FocusFirstEditItem(record);
  }
}

void ShowDialogItem(DialogRef theDialog, DialogItemIndex itemNo) {
  DialogRecord* record = Lookup(theDialog);
  Item* item = ItemAt(record, itemNo);
  if (item == nullptr || !item->Hidden()) return;
  item->rect.left = SInt16(item->rect.left - sp_platform::dialogs::kHiddenItemOffset);
  item->rect.right = SInt16(item->rect.right - sp_platform::dialogs::kHiddenItemOffset);
  if (item->control != nullptr) {
    ShowControl(item->control);
  } else {
    sp_platform::dialogs::RedrawItemIfShown(record, itemNo);
  }
  if (record->focus < 1 && item->kind == editText) {
    sp_platform::dialogs::FocusFirstEditItem(record);
  }
}

// ---- Keyboard focus and the clipboard ----

SInt16 GetDialogKeyboardFocusItem(DialogRef dialog) {
  DialogRecord* record = Lookup(dialog);
  return record != nullptr && record->focus > 0 ? record->focus : -1;
}

OSErr SetDialogKeyboardFocusItem(DialogRef dialog, DialogItemIndex itemNo) {
  DialogRecord* record = Lookup(dialog);
  if (record == nullptr) return paramErr;
  if (itemNo == -1 || itemNo == 0) {
    sp_platform::dialogs::SetFocus(record, -1);
    return noErr;
  }
  Item* item = ItemAt(record, itemNo);
  if (item == nullptr || item->kind != editText || item->Hidden()) return paramErr;
  sp_platform::dialogs::SetFocus(record, itemNo);
  SInt32 length = SInt32(sp_platform::dialogs::ItemText(*item).size());
  sp_platform::dialogs::SetSelection(record, length, length);
  return noErr;
}

namespace {

// The focused field's selected bytes; false without a focused field.
bool SelectedText(DialogRecord* record, std::string* out) {
  Item* item = ItemAt(record, record != nullptr ? record->focus : 0);
  if (item == nullptr) return false;
  std::string text = sp_platform::dialogs::ItemText(*item);
  std::size_t start = std::min<std::size_t>(std::size_t(record->selStart), text.size());
  std::size_t end = std::min<std::size_t>(std::size_t(record->selEnd), text.size());
  *out = text.substr(start, end > start ? end - start : 0);
  return true;
}

}  // namespace

void DialogCut(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  std::string selected;
  if (!SelectedText(record, &selected) || selected.empty()) return;
  sp_platform::dialogs::PutClipboardText(selected);
  sp_platform::dialogs::ReplaceSelection(record, std::string());
}

void DialogCopy(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  std::string selected;
  if (!SelectedText(record, &selected) || selected.empty()) return;
  sp_platform::dialogs::PutClipboardText(selected);
}

void DialogPaste(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  std::string selected;
  if (!SelectedText(record, &selected)) return;
  sp_platform::dialogs::ReplaceSelection(record, sp_platform::dialogs::ClipboardText());
}

void DialogDelete(DialogRef theDialog) {
  DialogRecord* record = Lookup(theDialog);
  std::string selected;
  if (!SelectedText(record, &selected) || selected.empty()) return;
  sp_platform::dialogs::ReplaceSelection(record, std::string());
}
