// The Menu Manager's records and the calls its sources, the standard handling of events and
// the test API share. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "../Menus.h"

namespace sp_platform {
namespace menus {

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

// Items beyond this are refused (item numbers are 16-bit signed in the classic calls).
constexpr std::size_t kMaxMenuItems = 32767;

}  // namespace menus
}  // namespace sp_platform

struct OpaqueMenuRef {
  MenuID id = 0;
  std::string title;  // MacJapanese, at most 255 bytes
  bool enabled = true;
  SInt16 procID = 0;
  SInt16 width = 0;
  SInt16 height = 0;
  bool widthValid = false;
  bool heightValid = false;
  std::vector<sp_platform::menus::MenuItemRecord> items;
  bool fromResource = false;  // made by GetMenu from 'MENU' resourceID
  SInt16 resourceID = 0;
};

namespace sp_platform {
namespace menus {

// The record of a live menu; null for null or a disposed menu.
OpaqueMenuRef* Live(MenuRef menu);
// The item (1-based) of a live menu; null when the menu is invalid or the item out of range.
MenuItemRecord* ItemOf(MenuRef menu, long item);
// Both sizes must be computed again.
void SizesChanged(OpaqueMenuRef* menu);
// Frees every menu and empties the list; the application menu is made again when asked for.
void DisposeAllMenus();

// ---- The menu list (MenusBar.cpp) ----
const std::vector<MenuRef>& BarMenus();
const std::vector<MenuRef>& HierarchicalMenus();
// Forgets the menu in the list (DisposeMenu).
void RemoveFromMenuList(MenuRef menu);
// True when the Aqua menu layout is on (Gestalt), so the application menu is shown.
bool HasApplicationMenu();
// The layer's application menu (made on first request); null without the Aqua layout.
MenuRef ApplicationMenu();
// The menu of that id that a person could open now: the application menu, a menu of the bar
// or a hierarchical menu; null when none.
MenuRef ShownMenu(MenuID menuID);
// True when the item of the menu could be chosen: the menu and the item are enabled and the
// item is no separator.
bool ItemCanBeChosen(MenuRef menu, MenuItemIndex item);
// The first item that takes the key with these modifiers (event modifier bits) as its key
// equivalent (see Menus.h); false when none.
bool FindKeyEquivalent(UInt8 ch, UInt32 modifiers, MenuRef* outMenu, MenuItemIndex* outItem);
// Sends the item's command event (see Menus.h) and answers what its way answered.
OSStatus SendItemCommand(MenuRef menu, MenuItemIndex item, UInt32 modifiers);
// The standard handling of a raw key-down: a Command-key equivalent of an item sends the
// item's command and answers noErr; any other key eventNotHandledErr.
OSStatus HandleCommandKey(UInt8 ch, UInt32 modifiers);

// ---- What the display and the tests see ----
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
MenuBarState& BarState();

// Between tests: every menu freed, the list empty, the state above cleared.
void ResetMenuManager();

}  // namespace menus
}  // namespace sp_platform
