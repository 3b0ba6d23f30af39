#include "SpMenuObj.h"

#include <cstring>

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpMenu";
const char kMsgRequiredArgument[] = "Required Argument is null !! ";
const char kMsgTitleLength[] = "Menu Title Length Error !! ";
const char kMsgLeftOver[] = "Option Proc Execute !! ";
const char kMsgProcessError[] = "Process Error !! ";

// The neutral text a new system item is inserted with before its real text is set: InsertMenuItem
// reads meta-characters, so the item's own text never goes through it.
const unsigned char kNeutralItemText[] = {1, ' '};
const unsigned char kSeparatorItemText[] = {1, '-'};

// Takes `item` out of the chain that starts at `*head`.
void TakeOutOfChain(cSpMenuItem** head, cSpMenuItem* item) {
  if (*head == item) *head = item->GetNextObjectPtr();
  item->UnlinkFromList();
}

// One font of the font list as the last item of the menu the reference value names.
void AddFontNameItem(const char* name, unsigned long refCon) {
  if (name == nullptr || name[0] == '\0') return;
  reinterpret_cast<cSpMenu*>(refCon)->CreateMenuItemAndSetupToMenuMgr(-1, name, 0);
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSpMenu::cSpMenu(short id, unsigned char load, unsigned char makeItems) {
  StartUpInitialize();
  kind_ = kSpMenuKindResource;
  menuId_ = id;
  if (!load) menuRef_ = GetMenuHandle(id);
  if (menuRef_ == nullptr) menuRef_ = GetMenu(id);
  if (makeItems) AutoCreateMenuItemFromMenuHandleData(1, 0);
}

cSpMenu::cSpMenu(short id, const char* title) {
  StartUpInitialize();
  kind_ = kSpMenuKindTitle;
  menuId_ = id;
  if (title == nullptr) {
    SpReportFailure(kSource, "cSpMenu::cSpMenu", 1, kMsgRequiredArgument);
    return;
  }
  if (std::strlen(title) > kSpMenuTitleMaxLength) {
    SpReportFailure(kSource, "cSpMenu::cSpMenu", 2, kMsgTitleLength);
  }
  Sp_CutStringByByteLen(title, kSpMenuTitleMaxLength, title_);
  Str255 systemTitle;
  Sp_MenuTextToPascal(title_, systemTitle);
  menuRef_ = NewMenu(id, systemTitle);
}

cSpMenu::cSpMenu(ControlRef control, unsigned char makeItems) {
  StartUpInitialize();
  kind_ = kSpMenuKindControl;
  control_ = control;
  if (control != nullptr) menuRef_ = GetControlPopupMenuHandle(control);
  if (menuRef_ != nullptr) menuId_ = short(GetMenuID(menuRef_));
  if (makeItems) AutoCreateMenuItemFromMenuHandleData(1, 0);
}

cSpMenu::~cSpMenu() {
  DisposeItemList();
}

void cSpMenu::StartUpInitialize() {
  refNum_ = 0;
  kind_ = 0;
  appleMenuFlag_ = 0;
  control_ = nullptr;
  menuId_ = 0;
  menuRef_ = nullptr;
  std::memset(title_, 0, sizeof(title_));
  disabledFlag_ = 0;
  waitInsertFlag_ = 0;
  itemHead_ = nullptr;
  itemTail_ = nullptr;
}

void cSpMenu::RedrawIf(unsigned char redraw) const {
  if (redraw) DrawMenuBar();
}

void cSpMenu::AppendItem(cSpMenuItem* item) {
  SpAppendToList(itemHead_, itemTail_, item);
}

void cSpMenu::RenumberFrom(cSpMenuItem* item) {
  if (item != nullptr) item->SetReferenceNo(1);
}

// ---- Item objects and the system menu -------------------------------------------------------

void cSpMenu::AutoCreateMenuItemFromMenuHandleData(unsigned char clear, unsigned char redraw) {
  if (menuRef_ == nullptr) {
    SpReportFailure(kSource, "cSpMenu::AutoCreateMenuItemFromMenuHandleData", 1, kSpMsgDataError);
    return;
  }
  if (clear) DisposeItemList();
  const UInt16 count = CountMenuItems(menuRef_);
  SInt32 made = 0;
  for (UInt16 i = 1; i <= count; ++i) {
    cSpMenuItem* item = NewMenuObjectItem(-1);
    if (item == nullptr) break;
    item->SetupMenuItemInfoFromMenuHandle(menuRef_, static_cast<short>(i), 1, 0);
    ++made;
  }
  if (made > 0) RedrawIf(redraw);
}

void cSpMenu::AutoModifyMenuItemWithMenuHandleData(unsigned char redraw) {
  if (menuRef_ == nullptr) {
    SpReportFailure(kSource, "cSpMenu::AutoModifyMenuItemWithMenuHandleData", 1, kSpMsgDataError);
    return;
  }
  cSpMenuItem* oldHead = itemHead_;
  itemHead_ = itemTail_ = nullptr;

  const UInt16 count = CountMenuItems(menuRef_);
  SInt32 handled = 0;
  for (UInt16 i = 1; i <= count; ++i) {
    Str255 text;
    GetMenuItemText(menuRef_, static_cast<SInt16>(i), text);
    char name[256];
    std::memcpy(name, text + 1, text[0]);
    name[text[0]] = '\0';

    // Separator objects are reused like the others, so a menu with separators does not leave
    // objects over at every resync. The toolbox says which items are separators: a text item
    // such as "-14" keeps its object and procedures.
    const bool separator = SpIsSeparatorSystemItem(menuRef_, SInt16(i));
    cSpMenuItem* reuse = nullptr;
    for (cSpMenuItem* old = oldHead; old != nullptr; old = old->GetNextObjectPtr()) {
      if (separator ? old->GetSeparatorFlag() : old->EqualItemName(name)) {
        reuse = old;
        break;
      }
    }
    if (reuse != nullptr) {
      TakeOutOfChain(&oldHead, reuse);
      AppendItem(reuse);
      reuse->SetReferenceNo(0);
      if (!separator) reuse->SetupMenuItemInfoFromMenuHandle(menuRef_, SInt16(i), 0, 0);
    } else {
      cSpMenuItem* item = NewMenuObjectItem(-1);
      if (item == nullptr) break;
      if (separator) {
        item->StoreItemName(name);
        item->SetupSeparatorFlag(1);
      } else {
        item->SetupMenuItemInfoFromMenuHandle(menuRef_, SInt16(i), 1, 0);
      }
    }
    if (!separator) ++handled;
  }
  if (handled > 0) RedrawIf(redraw);

  if (oldHead != nullptr) {
    SpReportFailure(kSource, "cSpMenu::AutoModifyMenuItemWithMenuHandleData", 2, kMsgLeftOver);
    SpDeleteList(oldHead);
  }
}

cSpMenuItem* cSpMenu::NewMenuObjectItem(SInt32 position) {
  cSpMenuItem* item = new (std::nothrow) cSpMenuItem(this);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cSpMenu::NewMenuObjectItem", 1, kSpMsgMemory,
                           static_cast<cSpMenuItem*>(nullptr));
  }
  if (position == 0) {
    if (itemHead_ != nullptr) item->LinkToNext(itemHead_);
    itemHead_ = item;
    if (itemTail_ == nullptr) itemTail_ = item;
  } else {
    cSpMenuItem* after = nullptr;
    if (position > 0) {
      SInt32 index = 1;
      for (after = itemHead_; after != nullptr && index < position; ++index) {
        after = after->GetNextObjectPtr();
      }
    }
    if (after == nullptr || after == itemTail_) {
      AppendItem(item);
    } else {
      after->LinkAfterThis(item);
    }
  }
  RenumberFrom(item);
  return item;
}

cSpMenuItem* cSpMenu::CreateMenuItemAndSetupToMenuMgr(SInt32 position, const char* text,
                                                      unsigned char redraw) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "cSpMenu::CreateMenuItemAndSetupToMenuMgr", 1,
                           kSpMsgNullArgument, static_cast<cSpMenuItem*>(nullptr));
  }
  cSpMenuItem* item = NewMenuObjectItem(position);
  if (item == nullptr) return nullptr;
  // The system item is made with a neutral text and then given the real one as plain text,
  // so that user texts (file names, sizes) keep their ';', '(' and '^'. The text "-" alone
  // asks for a separator line, which only the metacharacter form makes; other texts that
  // start with '-' (a size "-14") stay texts.
  const SInt16 after = static_cast<SInt16>(item->GetReferenceNo() - 1);
  if (text[0] == '-' && text[1] == '\0') {
    InsertMenuItem(menuRef_, kSeparatorItemText, after);
    item->StoreItemName(text);
    item->SetupSeparatorFlag(1);
  } else {
    InsertMenuItem(menuRef_, kNeutralItemText, after);
    item->SetupItemName(text);
  }
  RedrawIf(redraw);
  return item;
}

void cSpMenu::ClearMenuItemAndSetupToMenuMgr() {
  for (SInt32 i = CountMenuItems(menuRef_); i >= 1; --i) {
    DeleteMenuItem(menuRef_, static_cast<SInt16>(i));
  }
  DisposeItemList();
}

void cSpMenu::DisposeItemList() {
  SpDeleteList(itemHead_);
  itemHead_ = itemTail_ = nullptr;
}

void cSpMenu::SetupMenuItemFromTargetResourceType(short afterItem, ResType type,
                                                  unsigned char redraw) {
  if (afterItem < 0) {
    AppendResMenu(menuRef_, type);
  } else {
    InsertResMenu(menuRef_, type, afterItem);
  }
  AutoModifyMenuItemWithMenuHandleData(redraw);
}

void cSpMenu::AddFontMenuItem(unsigned char redraw) {
  if (Sp_ViewServices().EachInstalledFontName(AddFontNameItem,
                                              reinterpret_cast<unsigned long>(this)) == 0) {
    SpReportFailure(kSource, "cSpMenu::AddFontMenuItem", 1, kMsgProcessError);
    return;
  }
  CalcMenuSize(menuRef_);
  RedrawIf(redraw);
}

// ---- Items by number or name ----------------------------------------------------------------

cSpMenuItem* cSpMenu::GetMenuItemByReferenceNo(SInt32 refNum) {
  return itemHead_ != nullptr ? itemHead_->GetItemByRefNumFromList(refNum) : nullptr;
}

cSpMenuItem* cSpMenu::GetMenuItemPtrByMenuItemRefNum(short refNum) {
  return GetMenuItemByReferenceNo(refNum);
}

cSpMenuItem* cSpMenu::GetMenuItemPtrByMenuItemName(const char* name) {
  if (name == nullptr || name[0] == '\0') {
    return SpReportFailure(kSource, "cSpMenu::GetMenuItemPtrByMenuItemName", 1,
                           kMsgRequiredArgument, static_cast<cSpMenuItem*>(nullptr));
  }
  for (cSpMenuItem* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->EqualItemName(name)) return item;
  }
  return nullptr;
}

void cSpMenu::SetupMenuItemString(SInt32 refNum, const char* text) {
  cSpMenuItem* item = GetMenuItemByReferenceNo(refNum);
  if (item == nullptr) {
    SpReportFailure(kSource, "cSpMenu::SetupMenuItemString", 1, kSpMsgDataError);
    return;
  }
  item->SetupItemName(text);
}

unsigned char cSpMenu::GetMenuItemString(SInt32 refNum, char* buffer) {
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "cSpMenu::GetMenuItemString", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  cSpMenuItem* item = GetMenuItemByReferenceNo(refNum);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cSpMenu::GetMenuItemString", 1, kSpMsgDataError,
                           static_cast<unsigned char>(0));
  }
  item->GetItemName(buffer);
  return 1;
}

SInt32 cSpMenu::GetMenuItemCount() const {
  return itemTail_ != nullptr ? itemTail_->GetReferenceNo() : 0;
}

// ---- Marks, styles, enabling ----------------------------------------------------------------

void cSpMenu::SetMenuItemMark(SInt32 n, char mark, unsigned char exclusive, unsigned char redraw,
                              unsigned char* changed) {
  const short wanted = (mark == 0) ? short(checkMark) : short(static_cast<unsigned char>(mark));
  unsigned char didChange = 0;
  SInt32 position = 1;
  for (cSpMenuItem* item = itemHead_; item != nullptr;
       item = item->GetNextObjectPtr(), ++position) {
    if (position == n) {
      if (item->GetSeparatorFlag()) continue;
      if (!item->IsSetupedMark() || item->GetMarkChar() != wanted) didChange = 1;
      item->SetMark(menuRef_, mark, 0);
    } else if (exclusive && item->IsSetupedMark()) {
      item->ClearMark(menuRef_, 0);
      didChange = 1;
    }
  }
  if (didChange) RedrawIf(redraw);
  if (changed != nullptr) *changed = didChange;
}

void cSpMenu::ClearAllMenuItemMark(unsigned char redraw, unsigned char* changed) {
  unsigned char didChange = 0;
  for (cSpMenuItem* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->IsSetupedMark()) didChange = 1;
    item->ClearMark(menuRef_, 0);
  }
  if (didChange) RedrawIf(redraw);
  if (changed != nullptr) *changed = didChange;
}

void cSpMenu::SetMenuItemStyle(SInt32 n, unsigned char style, unsigned char add,
                               unsigned char redraw, unsigned char* changed) {
  unsigned char didChange = 0;
  if (n != 0) {
    SInt32 position = 1;
    for (cSpMenuItem* item = itemHead_; item != nullptr;
         item = item->GetNextObjectPtr(), ++position) {
      if (n > 0 && position != n) continue;
      const unsigned char before = item->GetItemOutputStyle();
      item->SetupItemOutputStyle(menuRef_, style, add, 0);
      if (item->GetItemOutputStyle() != before) didChange = 1;
    }
  }
  if (didChange) RedrawIf(redraw);
  if (changed != nullptr) *changed = didChange;
}

void cSpMenu::ClearAllMenuItemStyle(unsigned char redraw, unsigned char* changed) {
  unsigned char didChange = 0;
  for (cSpMenuItem* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    const unsigned char before = item->GetItemOutputStyle();
    item->ClearItemOutputStyle(menuRef_, 0);
    if (item->GetItemOutputStyle() != before) didChange = 1;
  }
  if (didChange) RedrawIf(redraw);
  if (changed != nullptr) *changed = didChange;
}

void cSpMenu::EnableMenuTargetItem(SInt32 refNum, unsigned char redraw) {
  cSpMenuItem* item = GetMenuItemByReferenceNo(refNum);
  if (item != nullptr) item->Enable(redraw);
}

void cSpMenu::DisableMenuTargetItem(SInt32 refNum, unsigned char redraw) {
  cSpMenuItem* item = GetMenuItemByReferenceNo(refNum);
  if (item != nullptr) item->Disable(redraw);
}

void cSpMenu::Enable(unsigned char redraw) {
  if (!disabledFlag_) return;
  disabledFlag_ = 0;
  EnableMenuItem(menuRef_ != nullptr ? menuRef_ : GetMacOSMenuRefNum(), 0);
  RedrawIf(redraw);
}

void cSpMenu::Disable(unsigned char redraw) {
  if (disabledFlag_) return;
  disabledFlag_ = 1;
  DisableMenuItem(menuRef_ != nullptr ? menuRef_ : GetMacOSMenuRefNum(), 0);
  RedrawIf(redraw);
}

// ---- System menu list and sizes -------------------------------------------------------------

unsigned char cSpMenu::InsertToCurrentOSMenuList(short beforeId, unsigned char redraw) {
  InsertMenu(menuRef_ != nullptr ? menuRef_ : GetMacOSMenuRefNum(), beforeId);
  RedrawIf(redraw);
  return 1;
}

unsigned char cSpMenu::InsertToCurrentOSMenuListByOwnRefNum(unsigned char useGiven, short beforeId,
                                                            unsigned char redraw) {
  if (!useGiven) beforeId = static_cast<short>(refNum_ & 0xFFFF);
  return InsertToCurrentOSMenuList(beforeId, redraw);
}

void cSpMenu::DeleteFromCurrentOSMenuList(unsigned char redraw) {
  DeleteMenu(menuId_);
  RedrawIf(redraw);
}

void cSpMenu::SetupMenuWidth(short width, unsigned char recalc) {
  MenuRef menu = GetMacOSMenuRefNum();
  SetMenuWidth(menu, width);
  if (recalc) CalcMenuSize(menu);
}

void cSpMenu::SetupMenuHeight(short height, unsigned char recalc) {
  MenuRef menu = GetMacOSMenuRefNum();
  SetMenuHeight(menu, height);
  if (recalc) CalcMenuSize(menu);
}

MenuRef cSpMenu::GetMacOSMenuRefNum() const {
  return GetMenuHandle(menuId_);
}

// ---- Menu-level execute procedures ----------------------------------------------------------

SInt32 cSpMenu::SetupExecMenuItemProc(SpMenuExecuteProcPtr proc, URefCon userData) {
  const SInt32 refNum = execProcs_.Add(proc, userData);
  if (refNum == 0) {
    SpReportFailure(kSource, "cSpMenu::SetupExecMenuItemProc", 1, kSpMsgMemory);
  }
  return refNum;
}

void cSpMenu::RemoveExecMenuItemProc(SInt32 refNum) {
  if (!execProcs_.Remove(refNum)) {
    SpReportFailure(kSource, "cSpMenu::RemoveExecMenuItemProc", 1, kSpMsgDataError);
  }
}

unsigned char cSpMenu::ExecuteMenuItemProc(cSpMenuItem* item, short itemNo) {
  return execProcs_.Run(this, item, SInt32(itemNo));
}

// ---- List look-ups --------------------------------------------------------------------------

cSpMenu* cSpMenu::GetItemByRefNumFromList(SInt32 refNum) {
  for (cSpMenu* menu = this; menu != nullptr; menu = menu->GetNextObjectPtr()) {
    if (menu->refNum_ == refNum) return menu;
  }
  return nullptr;
}

cSpMenu* cSpMenu::GetItemByResourceIdFromList(short id) {
  for (cSpMenu* menu = this; menu != nullptr; menu = menu->GetNextObjectPtr()) {
    if (menu->menuId_ == id) return menu;
  }
  return nullptr;
}
