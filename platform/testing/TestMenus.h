// Test API: the Menu Manager. Read the menu bar as a person would see it, choose items as if
// clicked, press Command-key equivalents, and set what MenuSelect and PopUpMenuSelect answer.
//
// This header is for test programs only (PressCommandKey pumps the loop, which reports
// through googletest).
#pragma once

#include <string>
#include <vector>

#include "Menus.h"
#include "TestEvents.h"

namespace sp_testing {

struct MenuItemModel {
  std::string text;  // MacJapanese
  bool enabled;      // the item's own state (a separator never)
  bool separator;
  CharParameter keyEquivalent;  // 0 none, hMenuCmd for a hierarchical item
  UInt8 modifiers;              // kMenuShiftModifier ...
  CharParameter mark;           // the sub-menu id for a hierarchical item
  MenuID subMenu;               // 0 when not hierarchical
  Style style;
  SInt16 icon;
  SInt16 fontID;
  MenuCommand command;
};

struct MenuModel {
  MenuRef menu;
  MenuID id;
  std::string title;  // MacJapanese
  bool enabled;
  std::vector<MenuItemModel> items;
};

struct MenuBarModel {
  // The application menu first when the Aqua layout is on, then the bar's menus, left to
  // right.
  std::vector<MenuModel> menus;
  std::vector<MenuModel> hierarchical;
  bool hasApplicationMenu;
  MenuID hilited;    // HiliteMenu
  UInt32 drawCount;  // DrawMenuBar calls since the reset
  bool invalid;      // InvalMenuBar since the last DrawMenuBar
};

MenuBarModel ReadMenuBar();
// One menu, installed or not (an invalid menu gives an empty model with a null menu).
MenuModel ReadMenu(MenuRef menu);
// The layer's application menu; null without the Aqua layout (Gestalt 'menu' bit 1).
MenuRef ApplicationMenu();

// Chooses item `item` of the menu shown under that id (the application menu is
// kSpApplicationMenuID), as if clicked: its command event goes out with these modifiers.
// Refused (nothing sent) when no such menu is shown, the item does not exist, or the item or
// its menu is disabled.
struct MenuChoiceResult {
  bool chosen;      // the command event went out
  OSStatus status;  // what its way answered (eventNotHandledErr when nobody took it)
};
MenuChoiceResult ChooseMenuItem(MenuID menuID, MenuItemIndex item, UInt32 modifiers = 0);

// Types the character with the Command key (and these extra modifiers) as a person would: a
// raw key-down and key-up posted, and the loop pumped until nothing is due.
PumpResult PressCommandKey(UInt8 charCode, UInt32 extraModifiers = 0,
                           const char* file = __builtin_FILE(), int line = __builtin_LINE());

// What the next MenuSelect (or PopUpMenuSelect) answers: that item of that menu, once. A
// choice that could not be made then (a disabled item, a menu not shown) answers 0.
void SetNextMenuSelect(MenuID menuID, MenuItemIndex item);
void SetNextPopUpMenuSelect(MenuID menuID, MenuItemIndex item);

// The last PopUpMenuSelect call.
struct PopUpRequest {
  MenuRef menu;
  SInt16 top;
  SInt16 left;
  SInt16 popUpItem;
  UInt32 count;  // calls since the reset
};
PopUpRequest LastPopUpRequest();

// Between tests: every menu disposed of, the menu list empty, the counters cleared.
void ResetMenus();

class MenusScope {
 public:
  MenusScope() { ResetMenus(); }
  ~MenusScope() { ResetMenus(); }
  MenusScope(const MenusScope&) = delete;
  MenusScope& operator=(const MenusScope&) = delete;
};

// The bytes of resources in the toolbox's layouts.
struct MenuResourceItem {
  std::string text;  // MacJapanese
  UInt8 icon = 0;
  UInt8 keyEquivalent = 0;
  UInt8 mark = 0;
  UInt8 style = 0;
  bool enabled = true;
};
std::vector<UInt8> MakeMenuResource(MenuID id, const std::string& title,
                                    const std::vector<MenuResourceItem>& items,
                                    bool menuEnabled = true);
std::vector<UInt8> MakeMenuBarResource(const std::vector<MenuID>& menuIDs);

}  // namespace sp_testing
