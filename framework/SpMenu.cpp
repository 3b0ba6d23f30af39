#include "SpMenu.h"

#include <cstring>

#include "CarbonEvents.h"
#include "MacMemory.h"
#include "Menus.h"
#include "Resources.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpMenuBarObj.h"
#include "SpMenuItemObj.h"
#include "SpMenuObj.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpMenu";
const char kMsgRequiredArgument[] = "Required Argument is null !! ";
const char kMsgIdError[] = "Id Error !! ";
const char kMsgNoCurrentBar[] = "Current Menu Bar Pointer is null !! ";

// The one manager, made on first use and kept to the end of the process.
cSpMenuManager* menuManagerList_GlV = nullptr;

// The manager lives in the Memory Manager's heap like the other framework objects, so its
// allocation can be made to fail in tests.
cSpMenuManager* NewManager() {
  void* memory = NewPtr(Size(sizeof(cSpMenuManager)));
  if (memory == nullptr) return nullptr;
  return new (memory) cSpMenuManager();
}

// The first item of the menu chain that carries the command; its menu in *found.
cSpMenuItem* FindCommandInMenus(cSpMenu* menu, UInt32 command, cSpMenu** found) {
  for (; menu != nullptr; menu = menu->GetNextObjectPtr()) {
    for (cSpMenuItem* item = menu->GetMenuItemListHead(); item != nullptr;
         item = item->GetNextObjectPtr()) {
      if (item->EqualMenuCommand(command)) {
        *found = menu;
        return item;
      }
    }
  }
  return nullptr;
}

}  // namespace

// ---- cSpMenuManager -------------------------------------------------------------------------

void cSpMenuManager::StartUpInitialize() {
  autoCommandCounter_ = 0;
  menuBarHead_ = nullptr;
  menuBarTail_ = nullptr;
  currentMenuBar_ = nullptr;
}

unsigned char cSpMenuManager::EventProc(short menuId, short itemNo, short /*modifiers*/) {
  if (currentMenuBar_ == nullptr) return 0;
  // Only the current bar: a menu id of another bar is not this choice.
  cSpMenu* menu = currentMenuBar_->GetMenuByResourceID(menuId);
  if (menu == nullptr) return 0;
  cSpMenuItem* item = menu->GetMenuItemPtrByMenuItemRefNum(itemNo);
  // Procedures of the whole menu take the choice before those of the item.
  if (menu->ExecuteMenuItemProc(item, itemNo)) return 1;
  if (item != nullptr && item->ExistExecuteMenuItemProc()) {
    item->ExecuteMenuItemProc();
    return 1;
  }
  return 0;
}

unsigned char cSpMenuManager::CommandEventProc(UInt32 command, short /*modifiers*/) {
  cSpMenu* menu = nullptr;
  cSpMenuItem* item = nullptr;
  for (cSpMenuBar* bar = menuBarHead_; bar != nullptr && item == nullptr;
       bar = bar->GetNextObjectPtr()) {
    item = FindCommandInMenus(bar->GetMenuListHeadPtr(), command, &menu);
    if (item == nullptr) item = FindCommandInMenus(bar->GetSubMenuListHeadPtr(), command, &menu);
  }
  if (item == nullptr) return 0;
  if (menu->ExecuteMenuItemProc(item, static_cast<short>(item->GetReferenceNo()))) return 1;
  return item->ExecuteMenuItemProc() != 0 ? 1 : 0;
}

cSpMenuBar* cSpMenuManager::CreateNewMenuBarByResource(short mbarId) {
  cSpMenuBar* bar = new (std::nothrow) cSpMenuBar(mbarId);
  if (bar == nullptr) {
    return SpReportFailure(kSource, "cSpMenuManager::CreateNewMenuBarByResource", 1, kSpMsgMemory,
                           static_cast<cSpMenuBar*>(nullptr));
  }
  SetupMenuBarInList(bar);
  return bar;
}

cSpMenuBar* cSpMenuManager::GetMenuBarObject(short mbarId) {
  return menuBarHead_ != nullptr ? menuBarHead_->GetItemByResIdFromList(mbarId) : nullptr;
}

void cSpMenuManager::SetupMenuBarInList(cSpMenuBar* menuBar) {
  if (menuBar == nullptr) {
    SpReportFailure(kSource, "cSpMenuManager::SetupMenuBarInList", 1, kSpMsgNullArgument);
    return;
  }
  SpAppendToList(menuBarHead_, menuBarTail_, menuBar);
}

void cSpMenuManager::SetCurrentMenuBar(cSpMenuBar* menuBar) {
  if (menuBar == nullptr) {
    SpReportFailure(kSource, "cSpMenuManager::SetCurrentMenuBar", 1, kMsgRequiredArgument);
    return;
  }
  bool inList = false;
  for (cSpMenuBar* bar = menuBarHead_; bar != nullptr; bar = bar->GetNextObjectPtr()) {
    if (bar == menuBar) {
      inList = true;
      break;
    }
  }
  if (!inList) return;
  if (menuBar->GetMenuBarHandle() != nullptr) {
    SetMenuBar(menuBar->GetMenuBarHandle());
    currentMenuBar_ = menuBar;
    // SetMenuBar replaces the whole menu list, hierarchical menus included, and the bar's list
    // names only its own menus: sub-menus inserted the last time the bar was current are put
    // back, so that going back to a bar does not leave its sub-menus unreachable.
    for (cSpMenu* menu = menuBar->GetSubMenuListHeadPtr(); menu != nullptr;
         menu = menu->GetNextObjectPtr()) {
      if (!menu->GetWaitInsertIntoMenuList()) menu->InsertToCurrentOSMenuList(hierMenu, 0);
    }
  }
  // Sub-menus of a bar loaded before it became current reach the system menu list now.
  menuBar->ExecuteWaitSetupIntoMenuList(1);
}

void cSpMenuManager::ChangeCurrentMenuBar(short mbarId) {
  cSpMenuBar* bar = GetMenuBarObject(mbarId);
  if (bar == nullptr) {
    SpReportFailure(kSource, "cSpMenuManager::ChangeCurrentMenuBar", 1, kMsgIdError);
    return;
  }
  SetCurrentMenuBar(bar);
}

Boolean cSpMenuManager::IsCurrentMenuBar(cSpMenuBar* menuBar) const {
  return currentMenuBar_ != nullptr && currentMenuBar_ == menuBar;
}

void cSpMenuManager::SetupSubMenuIntoCurrentMenuBar(unsigned char redraw) {
  if (currentMenuBar_ == nullptr) {
    SpReportFailure(kSource, "cSpMenuManager::SetupSubMenuIntoCurrentMenuBar", 3, kSpMsgDataError);
    return;
  }
  bool any = false;
  for (cSpMenu* menu = currentMenuBar_->GetSubMenuListHeadPtr(); menu != nullptr;
       menu = menu->GetNextObjectPtr()) {
    menu->InsertToCurrentOSMenuListByOwnRefNum(1, hierMenu, 0);
    any = true;
  }
  if (redraw && any) DrawMenuBar();
}

void cSpMenuManager::ReDrawMenu() {
  if (currentMenuBar_ == nullptr && menuBarHead_ != nullptr) SetCurrentMenuBar(menuBarHead_);
  DrawMenuBar();
}

void cSpMenuManager::EnableMenuTargetItem(short mbarId, short menuId, SInt32 item,
                                          unsigned char redraw) {
  cSpMenuBar* bar = GetMenuBarObject(mbarId);
  cSpMenu* menu = bar != nullptr ? bar->GetMenuByResourceID(menuId) : nullptr;
  if (menu != nullptr) menu->EnableMenuTargetItem(item, redraw);
}

void cSpMenuManager::DisableMenuTargetItem(short mbarId, short menuId, short item,
                                           unsigned char redraw) {
  cSpMenuBar* bar = GetMenuBarObject(mbarId);
  cSpMenu* menu = bar != nullptr ? bar->GetMenuByResourceID(menuId) : nullptr;
  if (menu != nullptr) menu->DisableMenuTargetItem(item, redraw);
}

void cSpMenuManager::EnableMenuItemOnCurrentMenuBar(short menuId, SInt32 item,
                                                    unsigned char redraw) {
  cSpMenu* menu =
      currentMenuBar_ != nullptr ? currentMenuBar_->GetMenuByResourceID(menuId) : nullptr;
  if (menu != nullptr) menu->EnableMenuTargetItem(item, redraw);
}

void cSpMenuManager::DisableMenuItemOnCurrentMenuBar(short menuId, SInt32 item,
                                                     unsigned char redraw) {
  cSpMenu* menu =
      currentMenuBar_ != nullptr ? currentMenuBar_->GetMenuByResourceID(menuId) : nullptr;
  if (menu != nullptr) menu->DisableMenuTargetItem(item, redraw);
}

void cSpMenuManager::EnableTargetMenu(short mbarId, short menuId, unsigned char redraw) {
  cSpMenuBar* bar = GetMenuBarObject(mbarId);
  if (bar != nullptr) bar->EnableTargetMenu(menuId, redraw);
}

void cSpMenuManager::DisableTagetMenu(short mbarId, short menuId, unsigned char redraw) {
  cSpMenuBar* bar = GetMenuBarObject(mbarId);
  if (bar != nullptr) bar->DisableTargetMenu(menuId, redraw);
}

void cSpMenuManager::EnableMenuOnCurrentMenuBar(short menuId, unsigned char redraw) {
  if (currentMenuBar_ != nullptr) currentMenuBar_->EnableTargetMenu(menuId, redraw);
}

void cSpMenuManager::DisableMenuOnCurrentMenuBar(short menuId, unsigned char redraw) {
  if (currentMenuBar_ != nullptr) currentMenuBar_->DisableTargetMenu(menuId, redraw);
}

unsigned char cSpMenuManager::SetupMenuIntoSubMenu(cSpMenuItem* item, cSpMenu* menu,
                                                   unsigned char redraw) {
  if (currentMenuBar_ == nullptr) {
    return SpReportFailure(kSource, "cSpMenuManager::SetupMenuIntoSubMenu", 1, kMsgNoCurrentBar,
                           static_cast<unsigned char>(0));
  }
  return currentMenuBar_->SetupMenuIntoSubMenu(item, menu, redraw);
}

unsigned char cSpMenuManager::GetNewAutoMenuCommand(SInt32& number, UInt32& command) {
  if (autoCommandCounter_ >= kSpMaxAutoMenuCommand) return 0;
  ++autoCommandCounter_;
  number = autoCommandCounter_;
  const UInt32 hundreds = UInt32(autoCommandCounter_ / 100);
  const UInt32 tens = UInt32(autoCommandCounter_ / 10 % 10);
  const UInt32 units = UInt32(autoCommandCounter_ % 10);
  command = (UInt32('M') << 24) | ((UInt32('0') + hundreds) << 16) | ((UInt32('0') + tens) << 8) |
            (UInt32('0') + units);
  return 1;
}

void cSpMenuManager::SetupAllMenuCommand(unsigned char linkToOSMenu) {
  autoCommandCounter_ = 0;
  for (cSpMenuBar* bar = menuBarHead_; bar != nullptr; bar = bar->GetNextObjectPtr()) {
    cSpMenu* const lists[2] = {bar->GetMenuListHeadPtr(), bar->GetSubMenuListHeadPtr()};
    for (cSpMenu* head : lists) {
      for (cSpMenu* menu = head; menu != nullptr; menu = menu->GetNextObjectPtr()) {
        for (cSpMenuItem* item = menu->GetMenuItemListHead(); item != nullptr;
             item = item->GetNextObjectPtr()) {
          SInt32 number = 0;
          UInt32 command = 0;
          if (!item->HaveOriginalMenuCommand() && GetNewAutoMenuCommand(number, command)) {
            item->SetupManagerMenuCommand(number, command);
          }
          if (linkToOSMenu) item->LinkMenuCommandToOSMenu(menu->GetMacOSMenuHandle());
        }
      }
    }
  }
}

// ---- Module functions -----------------------------------------------------------------------

OSErr SpInitializeMenuManager() {
  if (!Sp_Is_CarbonEvent_ModeEnable()) return noErr;
  menuComanndEventCatchUPP_GlV = NewEventHandlerUPP(Sp_CatchMenuCommandEventProc);
  if (menuComanndEventCatchUPP_GlV == nullptr) return memFullErr;
  const EventTypeSpec command = {kEventClassCommand, kEventCommandProcess};
  return static_cast<OSErr>(InstallEventHandler(
      GetApplicationEventTarget(), menuComanndEventCatchUPP_GlV, 1, &command, nullptr, nullptr));
}

cSpMenuManager* Sp_GetMenuManager(unsigned char create) {
  if (menuManagerList_GlV == nullptr && create) menuManagerList_GlV = NewManager();
  return menuManagerList_GlV;
}

cSpMenuBar* Sp_GetMenuBarObject(short mbarId) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  return manager != nullptr ? manager->GetMenuBarObject(mbarId) : nullptr;
}

cSpMenu* Sp_GetMenuObjOnTargetMenuBar(short mbarId, short menuId) {
  cSpMenuBar* bar = Sp_GetMenuBarObject(mbarId);
  return bar != nullptr ? bar->GetMenuByResourceID(menuId) : nullptr;
}

cSpMenu* Sp_GetMenuObjOnCurrentMenuBar(short menuId) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  cSpMenuBar* bar = manager != nullptr ? manager->GetCurrentMenuBar() : nullptr;
  return bar != nullptr ? bar->GetMenuByResourceID(menuId) : nullptr;
}

Boolean Sp_IsCurrentMenuBar(cSpMenuBar* menuBar) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  return manager != nullptr && manager->IsCurrentMenuBar(menuBar);
}

unsigned char Sp_MenuEventProc(short menuId, short itemNo, short modifiers) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  return manager != nullptr ? manager->EventProc(menuId, itemNo, modifiers) : 0;
}

unsigned char Sp_MenuEventCommandProc(UInt32 command, short modifiers) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  return manager != nullptr ? manager->CommandEventProc(command, modifiers) : 0;
}

void Sp_EnableMenuItem(short mbarId, short menuId, SInt32 item, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) manager->EnableMenuTargetItem(mbarId, menuId, item, redraw);
}

void Sp_DisableMenuItem(short mbarId, short menuId, SInt32 item, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) {
    manager->DisableMenuTargetItem(mbarId, menuId, static_cast<short>(item), redraw);
  }
}

void Sp_EnableMenuItemOnCurrentMenuBar(short menuId, SInt32 item, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) manager->EnableMenuItemOnCurrentMenuBar(menuId, item, redraw);
}

void Sp_DisableMenuItemOnCurrentMenuBar(short menuId, SInt32 item, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) manager->DisableMenuItemOnCurrentMenuBar(menuId, item, redraw);
}

void Sp_EnableMenu(short mbarId, short menuId, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) manager->EnableTargetMenu(mbarId, menuId, redraw);
}

void Sp_DisableMenu(short mbarId, short menuId, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) manager->DisableTagetMenu(mbarId, menuId, redraw);
}

void Sp_EnableMenuOnCurrentMenuBar(short menuId, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) manager->EnableMenuOnCurrentMenuBar(menuId, redraw);
}

void Sp_DisableMenuOnCurrentMenuBar(short menuId, unsigned char redraw) {
  cSpMenuManager* manager = Sp_GetMenuManager(0);
  if (manager != nullptr) manager->DisableMenuOnCurrentMenuBar(menuId, redraw);
}

void Wuk_SetupTextSizeMenu(cSpMenu* menu, short strListId, unsigned char redraw) {
  if (menu == nullptr) {
    SpReportFailure(kSource, "Wuk_SetupTextSizeMenu", 1, kSpMsgNullArgument);
    return;
  }
  for (SInt32 i = 1; i <= 0x7FFF; ++i) {
    Str255 entry;
    GetIndString(entry, strListId, static_cast<SInt16>(i));
    if (entry[0] == 0) break;
    char text[256];
    std::memcpy(text, entry + 1, entry[0]);
    text[entry[0]] = '\0';
    menu->CreateMenuItemAndSetupToMenuMgr(i - 1, text, 0);
  }
  if (redraw) DrawMenuBar();
}

namespace sp_testing {

void ResetMenuManager() {
  cSpMenuManager* manager = menuManagerList_GlV;
  if (manager == nullptr) return;
  menuManagerList_GlV = nullptr;
  cSpMenuBar* bar = manager->GetMenuBarListHead();
  while (bar != nullptr) {
    cSpMenuBar* next = bar->GetNextObjectPtr();
    bar->DisposeAllMenusForReset();
    delete bar;
    bar = next;
  }
  manager->~cSpMenuManager();
  DisposePtr(reinterpret_cast<Ptr>(manager));
}

}  // namespace sp_testing
