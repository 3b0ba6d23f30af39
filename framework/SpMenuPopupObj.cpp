#include "SpMenuPopupObj.h"

#include "QuickDraw.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"
#include "SpSubMenuList.h"

namespace {

const char kSource[] = "SpMenuPopupObj";

}  // namespace

cSpPopupMenu::cSpPopupMenu(WindowRef window, short left, short top, short initialItem, short menuId)
    : cSpMenu(menuId, 1, 1), window_(window), left_(left), top_(top), initialItem_(initialItem) {
  SetupSubMenuInfo(this, 0);
}

cSpPopupMenu::~cSpPopupMenu() {
  SpDeleteList(subMenuHead_);
  subMenuHead_ = subMenuTail_ = nullptr;
}

void cSpPopupMenu::SetupSubMenuInfo(cSpMenu* menu, unsigned char redraw) {
  if (menu == nullptr) {
    SpReportFailure(kSource, "cSpPopupMenu::SetupSubMenuInfo", 1, kSpMsgNullArgument);
    return;
  }
  const SInt32 attached =
      SpAttachSubMenus(menu, subMenuHead_, subMenuTail_, [](short subId) -> cSpMenu* {
        cSpMenu* subMenu = new (std::nothrow) cSpMenu(subId, 1, 1);
        if (subMenu == nullptr) {
          return SpReportFailure(kSource, "cSpPopupMenu::SetupSubMenuInfo", 2, kSpMsgMemory,
                                 static_cast<cSpMenu*>(nullptr));
        }
        return subMenu;
      });
  if (attached > 0 && redraw) DrawMenuBar();
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
    cSpPortSaver port(window_);
    LocalToGlobal(&where);
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
