#include "SpMenuPopupObj.h"

#include "QuickDraw.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpMenuPopupObj";

}  // namespace

cSpPopupMenu::cSpPopupMenu(WindowRef window, short left, short top, short initialItem, short menuId)
    : cSpMenu(menuId, 1, 1), window_(window), left_(left), top_(top), initialItem_(initialItem) {
  SetupSubMenuInfo(this, 0);
}

cSpPopupMenu::~cSpPopupMenu() {
  cSpMenu* menu = subMenuHead_;
  while (menu != nullptr) {
    cSpMenu* next = menu->GetNextObjectPtr();
    delete menu;
    menu = next;
  }
  subMenuHead_ = subMenuTail_ = nullptr;
}

void cSpPopupMenu::SetupSubMenuInfo(cSpMenu* menu, unsigned char redraw) {
  if (menu == nullptr) {
    SpReportFailure(kSource, "cSpPopupMenu::SetupSubMenuInfo", 1, kSpMsgNullArgument);
    return;
  }
  SInt32 handled = 0;
  for (cSpMenuItem* item = menu->GetMenuItemListHead(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (!item->CheckSubMenuIncompleteSetup()) continue;
    const short subId = item->GetSubMenuID();
    cSpMenu* subMenu =
        subMenuHead_ != nullptr ? subMenuHead_->GetItemByResourceIdFromList(subId) : nullptr;
    if (subMenu == nullptr) {
      subMenu = new (std::nothrow) cSpMenu(subId, 1, 1);
      if (subMenu == nullptr) {
        SpReportFailure(kSource, "cSpPopupMenu::SetupSubMenuInfo", 2, kSpMsgMemory);
        continue;
      }
      if (subMenuTail_ == nullptr) {
        subMenuHead_ = subMenu;
      } else {
        subMenuTail_->LinkToNext(subMenu);
      }
      subMenuTail_ = subMenu;
    }
    // Attached before going deeper, so menus that name each other end the walk.
    item->SetupSubMenu(subMenu, 1, 0);
    SetupSubMenuInfo(subMenu, 0);
    ++handled;
  }
  if (handled > 0 && redraw) DrawMenuBar();
}

void cSpPopupMenu::SetupLeftTopPosit(short left, short top) {
  if (left >= 0) left_ = left;
  if (top >= 0) top_ = top;
}

void cSpPopupMenu::OpenPopup() {
  InsertToCurrentOSMenuList(hierMenu, 0);
  for (cSpMenu* sub = subMenuHead_; sub != nullptr; sub = sub->GetNextObjectPtr()) {
    sub->InsertToCurrentOSMenuList(hierMenu, 0);
  }
  MenuRef menu = GetMenuHandle(GetResourceID());

  Point where = {top_, left_};
  if (window_ != nullptr) {
    GrafPtr savedPort = nullptr;
    GetPort(&savedPort);
    SetPortWindowPort(window_);
    LocalToGlobal(&where);
    SetPort(savedPort);
  }
  const SInt32 result = PopUpMenuSelect(menu, where.v, where.h, initialItem_);

  DeleteFromCurrentOSMenuList(0);
  for (cSpMenu* sub = subMenuHead_; sub != nullptr; sub = sub->GetNextObjectPtr()) {
    sub->DeleteFromCurrentOSMenuList(0);
  }
  DrawMenuBar();

  if (result == 0) return;
  const short chosenId = static_cast<short>((result >> 16) & 0xFFFF);
  const short itemNo = static_cast<short>(result & 0xFFFF);
  cSpMenu* chosen = GetMenuByResourceID(chosenId);
  if (chosen == nullptr) return;
  cSpMenuItem* item = chosen->GetMenuItemPtrByMenuItemRefNum(itemNo);
  if (!chosen->ExecuteMenuItemProc(item, itemNo) && item != nullptr &&
      item->ExistExecuteMenuItemProc()) {
    item->ExecuteMenuItemProc();
  }
}

cSpMenu* cSpPopupMenu::GetMenuByResourceID(short menuId) {
  if (GetResourceID() == menuId) return this;
  return subMenuHead_ != nullptr ? subMenuHead_->GetItemByResourceIdFromList(menuId) : nullptr;
}

cSpMenu* cSpPopupMenu::GetMenuByReferenceNo(SInt32 refNum) {
  return subMenuHead_ != nullptr ? subMenuHead_->GetItemByRefNumFromList(refNum) : nullptr;
}
