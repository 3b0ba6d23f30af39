// The menu manager: the one object that owns every menu bar of the application and decides
// which procedure runs when the user chooses a menu item.
//
// The Carbon command handler hands it each menu selection as (MENU id, item number), looked up
// on the current bar only, and each remaining command as a four-character command id, looked
// up over every bar. The application builds its menus only through this layer: it makes the
// manager, creates a bar from an 'MBAR' resource, names the bar's Apple menu, makes the bar
// current, looks menus up by MENU id and items by reference number, attaches execute
// procedures, enables and disables menus and items, and asks for a redraw.
//
// The manager is made on first use (Sp_GetMenuManager(1)) and lives to the end of the
// process; bars are only ever appended to it.
#pragma once

#include "MacTypes.h"

class cSpMenuBar;
class cSpMenu;
class cSpMenuItem;

// Automatic command ids: 'M001' to 'M999'.
enum : SInt32 { kSpMaxAutoMenuCommand = 999 };

class cSpMenuManager {
 public:
  cSpMenuManager() { StartUpInitialize(); }
  ~cSpMenuManager() {}
  cSpMenuManager(const cSpMenuManager&) = delete;
  cSpMenuManager& operator=(const cSpMenuManager&) = delete;

  void StartUpInitialize();

  // Dispatch of a menu selection on the current bar: the menu's own execute procedures take
  // the choice when it has any, else the item's. 1 when a list of procedures ran, else 0.
  unsigned char EventProc(short menuId, short itemNo, short modifiers);
  // Dispatch of a command id over every bar, whichever is current. 1 when handled, else 0.
  unsigned char CommandEventProc(UInt32 command, short modifiers);

  // A bar loaded from the 'MBAR' resource and appended to the list (not made current); null
  // when it cannot be allocated. A bar whose resources are missing is still returned.
  cSpMenuBar* CreateNewMenuBarByResource(short mbarId);
  // First bar of the list with that 'MBAR' id, or null.
  cSpMenuBar* GetMenuBarObject(short mbarId);
  cSpMenuBar* GetCurrentMenuBar() const { return currentMenuBar_; }
  cSpMenuBar* GetMenuBarListHead() const { return menuBarHead_; }
  void SetupMenuBarInList(cSpMenuBar* menuBar);
  // Installs a bar of the list as the system menu bar and inserts its waiting menus. A bar
  // that is not in the list changes nothing.
  void SetCurrentMenuBar(cSpMenuBar* menuBar);
  void ChangeCurrentMenuBar(short mbarId);
  Boolean IsCurrentMenuBar(cSpMenuBar* menuBar) const;
  void SetupSubMenuIntoCurrentMenuBar(unsigned char redraw);
  void ReDrawMenu();

  void EnableMenuTargetItem(short mbarId, short menuId, SInt32 item, unsigned char redraw);
  void DisableMenuTargetItem(short mbarId, short menuId, short item, unsigned char redraw);
  void EnableMenuItemOnCurrentMenuBar(short menuId, SInt32 item, unsigned char redraw);
  void DisableMenuItemOnCurrentMenuBar(short menuId, SInt32 item, unsigned char redraw);
  void EnableTargetMenu(short mbarId, short menuId, unsigned char redraw);
  void DisableTagetMenu(short mbarId, short menuId, unsigned char redraw);
  void EnableMenuOnCurrentMenuBar(short menuId, unsigned char redraw);
  void DisableMenuOnCurrentMenuBar(short menuId, unsigned char redraw);

  // Attaches a menu made by the caller as the item's sub-menu, on the current bar.
  unsigned char SetupMenuIntoSubMenu(cSpMenuItem* item, cSpMenu* menu, unsigned char redraw);

  // The next automatic command id; 0 (and nothing changed) once 'M999' has been given.
  unsigned char GetNewAutoMenuCommand(SInt32& number, UInt32& command);
  // Gives every item without a command of its own an automatic one, counting from 'M001'
  // again; with `linkToOSMenu` every item's command id is also set on its system item.
  void SetupAllMenuCommand(unsigned char linkToOSMenu);

 private:
  SInt32 autoCommandCounter_;
  cSpMenuBar* menuBarHead_;
  cSpMenuBar* menuBarTail_;
  cSpMenuBar* currentMenuBar_;
};

// ---- Module functions (each works on the one manager; with none they do nothing) -----------

// Installs the menu-command handler {'cmds', 1} on the application target, in Carbon-event
// mode only; noErr otherwise.
OSErr SpInitializeMenuManager();

// The manager; when there is none and `create` is non-zero it is made first.
cSpMenuManager* Sp_GetMenuManager(unsigned char create);
cSpMenuBar* Sp_GetMenuBarObject(short mbarId);
cSpMenu* Sp_GetMenuObjOnTargetMenuBar(short mbarId, short menuId);
cSpMenu* Sp_GetMenuObjOnCurrentMenuBar(short menuId);
Boolean Sp_IsCurrentMenuBar(cSpMenuBar* menuBar);

// Non-zero when the choice was taken (see cSpMenuManager::EventProc / CommandEventProc).
unsigned char Sp_MenuEventProc(short menuId, short itemNo, short modifiers);
unsigned char Sp_MenuEventCommandProc(UInt32 command, short modifiers);

void Sp_EnableMenuItem(short mbarId, short menuId, SInt32 item, unsigned char redraw);
void Sp_DisableMenuItem(short mbarId, short menuId, SInt32 item, unsigned char redraw);
void Sp_EnableMenuItemOnCurrentMenuBar(short menuId, SInt32 item, unsigned char redraw);
void Sp_DisableMenuItemOnCurrentMenuBar(short menuId, SInt32 item, unsigned char redraw);
void Sp_EnableMenu(short mbarId, short menuId, unsigned char redraw);
void Sp_DisableMenu(short mbarId, short menuId, unsigned char redraw);
void Sp_EnableMenuOnCurrentMenuBar(short menuId, unsigned char redraw);
void Sp_DisableMenuOnCurrentMenuBar(short menuId, unsigned char redraw);

// Adds one item per string of the 'STR#' list, in list order, up to the first empty string.
void Wuk_SetupTextSizeMenu(cSpMenu* menu, short strListId, unsigned char redraw);

namespace sp_testing {
// Test hook: frees the manager with every bar, menu and item it holds, so that the next
// Sp_GetMenuManager(1) starts afresh. The system menu list is left to the Menu Manager's own
// reset.
void ResetMenuManager();
}  // namespace sp_testing
