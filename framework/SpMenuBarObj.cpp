#include "SpMenuBarObj.h"

#include "ByteOrder.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpMenu.h"
#include "SpMenuObj.h"
#include "SpSubMenuList.h"

namespace {

const char kSource[] = "SpMenu";
const char kMsgDataErrorLower[] = "Data error !! ";
const char kMsgDataTypeError[] = "Data Type Error !! ";

const ResType kMenuBarType = SpFourCC("MBAR");
const ResType kDeskAccessoryType = SpFourCC("DRVR");

// Bit 1 of Gestalt 'menu': the Aqua menu layout, whose application menu replaces the desk
// accessories of the Apple menu.
bool HasAquaMenuLayout() {
  SInt32 response = 0;
  return Gestalt(gestaltMenuMgrAttr, &response) == noErr && (response & 2) != 0;
}

}  // namespace

cSpMenuBar::cSpMenuBar(short mbarId) {
  StartUpInitialize();
  kind_ = kSpMenuBarKindResource;
  mbarId_ = mbarId;
  LoadInfoFromResource();
}

void cSpMenuBar::StartUpInitialize() {
  kind_ = 0;
  mbarId_ = 0;
  menuBarHandle_ = nullptr;
  menuHead_ = menuTail_ = nullptr;
  subMenuHead_ = subMenuTail_ = nullptr;
  appleMenu_ = nullptr;
}

// ---- Loading --------------------------------------------------------------------------------

void cSpMenuBar::LoadInfoFromResource() {
  if (kind_ != kSpMenuBarKindResource) {
    SpReportFailure(kSource, "cSpMenuBar::LoadInfoFromResource", 1, kSpMsgTypeError);
    return;
  }
  if (menuHead_ != nullptr) DisposeMenuList();
  DisposeMenuBarHandleOnMemory();

  menuBarHandle_ = GetNewMBar(mbarId_);
  if (menuBarHandle_ == nullptr) return;

  Handle resource = GetResource(kMenuBarType, mbarId_);
  if (resource == nullptr || *resource == nullptr) return;
  HLock(resource);
  // A count, then that many MENU ids; the bytes come from a file, so reading stops where
  // they end.
  sp::ByteReader reader(*resource, static_cast<std::size_t>(GetHandleSize(resource)));
  const SInt16 count = reader.SBE16();
  for (SInt16 i = 1; reader.Ok() && i <= count; ++i) {
    const SInt16 menuId = reader.SBE16();
    if (!reader.Ok()) break;
    cSpMenu* menu = new (std::nothrow) cSpMenu(menuId, 1, 1);
    if (menu == nullptr) {
      SpReportFailure(kSource, "cSpMenuBar::LoadInfoFromResource", 2, kSpMsgMemory);
      break;
    }
    SpAppendToList(menuHead_, menuTail_, menu);
    SetupSubMenuInfo(menu, 0);
  }
  HUnlock(resource);
  if (HomeResFile(resource) > 1) ReleaseResource(resource);
}

void cSpMenuBar::SetupSubMenuInfo(cSpMenu* menu, unsigned char redraw) {
  if (menu == nullptr) {
    SpReportFailure(kSource, "cSpMenuBar::SetupSubMenuInfo", 1, kSpMsgNullArgument);
    return;
  }
  const Boolean current = Sp_IsCurrentMenuBar(this);
  const SInt32 attached =
      SpAttachSubMenus(menu, subMenuHead_, subMenuTail_, [current](short subId) -> cSpMenu* {
        cSpMenu* subMenu = new (std::nothrow) cSpMenu(subId, 0, 1);
        if (subMenu == nullptr) {
          return SpReportFailure(kSource, "cSpMenuBar::SetupSubMenuInfo", 2, kSpMsgMemory,
                                 static_cast<cSpMenu*>(nullptr));
        }
        // A bar that is not current yet puts its sub-menus into the system menu list when it
        // becomes current.
        if (current) {
          subMenu->InsertToCurrentOSMenuList(hierMenu, 0);
        } else {
          subMenu->SetupWaitInsertIntoMenuList(1);
        }
        return subMenu;
      });
  if (attached > 0 && redraw) DrawMenuBar();
}

void cSpMenuBar::DisposeMenuBarHandleOnMemory() {
  if (kind_ == kSpMenuBarKindResource) {
    if (menuBarHandle_ != nullptr) {
      const SInt16 home = HomeResFile(menuBarHandle_);
      if (home > 1) {
        ReleaseResource(menuBarHandle_);
      } else if (home < 0) {
        // GetNewMBar's list is a handle of its own, not a resource: it is the bar's to free.
        DisposeMenuBar(menuBarHandle_);
      }
    }
  } else if (kind_ == kSpMenuBarKindHandle) {
    DisposeHandle(menuBarHandle_);
  } else {
    SpReportFailure(kSource, "cSpMenuBar::DisposeMenuBarHandleOnMemory", 1, kMsgDataTypeError);
  }
  menuBarHandle_ = nullptr;
}

void cSpMenuBar::SetupAppleMenuItemByResourceId(short menuId) {
  const bool aqua = HasAquaMenuLayout();
  cSpMenu* menu = menuHead_ != nullptr ? menuHead_->GetItemByResourceIdFromList(menuId) : nullptr;
  if (menu == nullptr || menu->GetMacOSMenuHandle() == nullptr) return;
  menu->SetupAppleMenuFlag(1);
  appleMenu_ = menu;
  // A MenuRef of this Menu Manager is no handle, so there is nothing to lock around the call.
  if (!aqua) AppendResMenu(menu->GetMacOSMenuHandle(), kDeskAccessoryType);
}

void cSpMenuBar::DisposeMenuList() {
  for (cSpMenu* menu = menuHead_; menu != nullptr; menu = menu->GetNextObjectPtr()) {
    if (menu == appleMenu_) appleMenu_ = nullptr;
  }
  SpDeleteList(menuHead_);
  menuHead_ = menuTail_ = nullptr;
}

// ---- Menus ----------------------------------------------------------------------------------

void cSpMenuBar::SetupMenu(cSpMenu* menu) {
  if (menu == nullptr) {
    SpReportFailure(kSource, "cSpMenuBar::SetupMenu", 1, kSpMsgNullArgument);
    return;
  }
  menu->SetupReferenceNo(menuTail_ != nullptr ? menuTail_->GetReferenceNo() + 1 : 1);
  SpAppendToList(menuHead_, menuTail_, menu);
}

cSpMenu* cSpMenuBar::GetMenuByResourceID(short menuId) {
  cSpMenu* menu = menuHead_ != nullptr ? menuHead_->GetItemByResourceIdFromList(menuId) : nullptr;
  if (menu == nullptr && subMenuHead_ != nullptr) {
    menu = subMenuHead_->GetItemByResourceIdFromList(menuId);
  }
  return menu;
}

cSpMenu* cSpMenuBar::GetMenuByReferenceNo(SInt32 refNum) {
  return menuHead_ != nullptr ? menuHead_->GetItemByRefNumFromList(refNum) : nullptr;
}

void cSpMenuBar::EnableTargetMenu(short menuId, unsigned char redraw) {
  cSpMenu* menu = menuHead_ != nullptr ? menuHead_->GetItemByResourceIdFromList(menuId) : nullptr;
  if (menu != nullptr) menu->Enable(redraw);
}

void cSpMenuBar::DisableTargetMenu(short menuId, unsigned char redraw) {
  cSpMenu* menu = menuHead_ != nullptr ? menuHead_->GetItemByResourceIdFromList(menuId) : nullptr;
  if (menu != nullptr) menu->Disable(redraw);
}

void cSpMenuBar::EnableMenuTargetItem(short menuId, SInt32 item, unsigned char redraw) {
  cSpMenu* menu = GetMenuByResourceID(menuId);
  if (menu != nullptr) menu->EnableMenuTargetItem(item, redraw);
}

void cSpMenuBar::DisableMenuTargetItem(short menuId, SInt32 item, unsigned char redraw) {
  cSpMenu* menu = GetMenuByResourceID(menuId);
  if (menu != nullptr) menu->DisableMenuTargetItem(item, redraw);
}

bool cSpMenuBar::ListHolds(cSpMenu* head, cSpMenu* menu) const {
  for (cSpMenu* m = head; m != nullptr; m = m->GetNextObjectPtr()) {
    if (m == menu) return true;
  }
  return false;
}

unsigned char cSpMenuBar::SetupMenuIntoSubMenu(cSpMenuItem* item, cSpMenu* menu,
                                               unsigned char redraw) {
  const char kMethod[] = "cSpMenuBar::SetupMenuIntoSubMenu";
  if (item == nullptr || menu == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  cSpMenu* base = item->GetBaseMenuPtr();
  if (base == nullptr) {
    return SpReportFailure(kSource, kMethod, 2, kMsgDataErrorLower, static_cast<unsigned char>(0));
  }
  const bool menuInBar = ListHolds(menuHead_, menu) || ListHolds(subMenuHead_, menu);
  const bool baseInBar = ListHolds(menuHead_, base) || ListHolds(subMenuHead_, base);
  if (menuInBar || !baseInBar) {
    return SpReportFailure(kSource, kMethod, 3, kSpMsgDataError, static_cast<unsigned char>(0));
  }
  SpAppendToList(subMenuHead_, subMenuTail_, menu);
  item->SetupSubMenu(menu, 0, 0);
  menu->InsertToCurrentOSMenuList(hierMenu, 0);
  if (redraw) DrawMenuBar();
  return 1;
}

unsigned char cSpMenuBar::ExecuteWaitSetupIntoMenuList(unsigned char redraw) {
  unsigned char inserted = 0;
  for (cSpMenu* menu = menuHead_; menu != nullptr; menu = menu->GetNextObjectPtr()) {
    if (!menu->GetWaitInsertIntoMenuList()) continue;
    menu->InsertToCurrentOSMenuListByOwnRefNum(0, 0, 0);
    menu->SetupWaitInsertIntoMenuList(0);
    inserted = 1;
  }
  for (cSpMenu* menu = subMenuHead_; menu != nullptr; menu = menu->GetNextObjectPtr()) {
    if (!menu->GetWaitInsertIntoMenuList()) continue;
    menu->InsertToCurrentOSMenuList(hierMenu, 0);
    menu->SetupWaitInsertIntoMenuList(0);
    inserted = 1;
  }
  if (inserted && redraw) DrawMenuBar();
  return inserted;
}

cSpMenuBar* cSpMenuBar::GetItemByResIdFromList(SInt32 mbarId) {
  for (cSpMenuBar* bar = this; bar != nullptr; bar = bar->GetNextObjectPtr()) {
    if (bar->mbarId_ == mbarId) return bar;
  }
  return nullptr;
}

void cSpMenuBar::DisposeAllMenusForReset() {
  DisposeMenuList();
  SpDeleteList(subMenuHead_);
  subMenuHead_ = subMenuTail_ = nullptr;
  DisposeMenuBarHandleOnMemory();
}
