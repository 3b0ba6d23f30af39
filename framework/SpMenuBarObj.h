// One menu bar of the application, built from an 'MBAR' resource: its menus (one cSpMenu per
// MENU id of the resource, in resource order), the hierarchical sub-menus its items name
// (found depth first, each made once), which menu is the Apple menu, and which menus still
// wait to be put into the system menu list. The menu manager creates the bars, keeps them in
// its list and makes one current; a bar knows whether it is current only by asking it.
//
// Menus and sub-menus of a bar live as long as the bar, which lives to the end of the process.
#pragma once

#include <new>

#include "MacTypes.h"
#include "Menus.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSpMenu;
class cSpMenuItem;

// How the bar's handle was made.
enum : unsigned char {
  kSpMenuBarKindResource = 1,  // from an 'MBAR' resource
  kSpMenuBarKindHandle = 2,    // a plain handle owned by the bar
};

class cSpMenuBar : public cSpListLinks<cSpMenuBar>, public cSpMacHeapObject {
 public:
  explicit cSpMenuBar(short mbarId);
  ~cSpMenuBar() {}
  cSpMenuBar(const cSpMenuBar&) = delete;
  cSpMenuBar& operator=(const cSpMenuBar&) = delete;

  void StartUpInitialize();

  // Builds the menus from the 'MBAR' resource and the sub-menus their items name. Missing
  // resources leave a bar with fewer or no menus; it is still a valid bar.
  void LoadInfoFromResource();
  // Makes the sub-menus named by the menu's items, depth first, each once; they are inserted
  // at once when the bar is current, else marked as waiting.
  void SetupSubMenuInfo(cSpMenu* menu, unsigned char redraw);
  void DisposeMenuBarHandleOnMemory();
  // Marks the menu of that id as the Apple menu; without the Aqua menu layout the desk
  // accessories are appended to it.
  void SetupAppleMenuItemByResourceId(short menuId);
  // Frees every menu of the menu list (the sub-menus stay).
  void DisposeMenuList();

  cSpMenu* GetMenuListHeadPtr() const { return menuHead_; }
  cSpMenu* GetSubMenuListHeadPtr() const { return subMenuHead_; }
  cSpMenu* GetAppleMenuPtr() const { return appleMenu_; }
  MenuBarHandle GetMenuBarHandle() const { return menuBarHandle_; }
  short GetResourceID() const { return mbarId_; }

  // Appends a menu to the menu list, numbered after the last one (1 for the first).
  void SetupMenu(cSpMenu* menu);
  // Menu list first, then the sub-menu list.
  cSpMenu* GetMenuByResourceID(short menuId);
  // Menu list only.
  cSpMenu* GetMenuByReferenceNo(SInt32 refNum);
  void EnableTargetMenu(short menuId, unsigned char redraw);
  void DisableTargetMenu(short menuId, unsigned char redraw);
  void EnableMenuTargetItem(short menuId, SInt32 item, unsigned char redraw);
  void DisableMenuTargetItem(short menuId, SInt32 item, unsigned char redraw);
  // Attaches a menu made by the caller as the item's sub-menu; 1 on success.
  unsigned char SetupMenuIntoSubMenu(cSpMenuItem* item, cSpMenu* menu, unsigned char redraw);
  // Inserts the menus that wait for insertion; 1 when it inserted any.
  unsigned char ExecuteWaitSetupIntoMenuList(unsigned char redraw);

  // From this bar along the next links: the first bar with that 'MBAR' id, or null.
  cSpMenuBar* GetItemByResIdFromList(SInt32 mbarId);

  // Frees the menus and sub-menus; used only when the whole manager goes away in tests.
  void DisposeAllMenusForReset();

 private:
  bool ListHolds(cSpMenu* head, cSpMenu* menu) const;

  unsigned char kind_;
  short mbarId_;
  MenuBarHandle menuBarHandle_;
  cSpMenu* menuHead_;
  cSpMenu* menuTail_;
  cSpMenu* subMenuHead_;
  cSpMenu* subMenuTail_;
  cSpMenu* appleMenu_;
};
