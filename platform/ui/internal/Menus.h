// What the test API reads of the Menu Manager and what it does with menus: the records of
// menus and their items, the menu list, choosing an item, the menu bar's state. Not for the
// program's own code.
#pragma once

#include <string>
#include <vector>

#include "../Menus.h"

namespace sp_platform {
namespace menus {

// One item of a menu.
struct MenuItemRecord {
  std::string text;  // MacJapanese, at most 255 bytes
  UInt8 icon = 0;
  UInt8 keyEquivalent = 0;  // hMenuCmd: hierarchical, `mark` is the sub-menu id
  SInt16 mark = noMark;
  Style style = normal;
  bool enabled = true;
  bool separator = false;  // never enabled, never chosen
  UInt8 modifiers = kMenuNoModifiers;
  SInt16 keyGlyph = 0;
  SInt16 fontID = 0;
  MenuCommand commandID = 0;

  bool IsHierarchical() const { return keyEquivalent == hMenuCmd; }
};

// What a live menu holds.
struct MenuFacts {
  MenuID id = 0;
  std::string title;  // MacJapanese, at most 255 bytes
  bool enabled = true;
  std::vector<MenuItemRecord> items;
};
// False (and `out` untouched) for null or a disposed menu.
bool MenuFactsOf(MenuRef menu, MenuFacts* out);

// The menus of the bar, and the hierarchical menus, in the order they were inserted.
const std::vector<MenuRef>& BarMenus();
const std::vector<MenuRef>& HierarchicalMenus();

// The layer's application menu (made on first request); null without the Aqua layout.
MenuRef ApplicationMenu();

// The menu of that id that a person could open now: the application menu, a menu of the bar
// or a hierarchical menu; null when none.
MenuRef ShownMenu(MenuID menuID);

// True when the item of the menu could be chosen: the menu and the item are enabled and the
// item is no separator.
bool ItemCanBeChosen(MenuRef menu, MenuItemIndex item);

// Sends the item's command event (see Menus.h) and answers what its way answered.
OSStatus SendItemCommand(MenuRef menu, MenuItemIndex item, UInt32 modifiers);

struct MenuBarState {
  UInt32 drawCount = 0;       // DrawMenuBar calls
  bool invalid = false;       // InvalMenuBar since the last DrawMenuBar
  MenuID hilited = 0;         // HiliteMenu
  SInt32 nextMenuSelect = 0;  // what the next MenuSelect answers
  SInt32 nextPopUpSelect = 0;
  // The last PopUpMenuSelect call.
  MenuRef popUpMenu = nullptr;
  SInt16 popUpTop = 0;
  SInt16 popUpLeft = 0;
  SInt16 popUpItem = 0;
  UInt32 popUpCount = 0;
};
// The menu bar's state: the test API reads it and sets the next selections.
MenuBarState& BarState();

// Between tests: every menu freed, the list empty, the state above cleared.
void ResetMenuManager();

}  // namespace menus
}  // namespace sp_platform
