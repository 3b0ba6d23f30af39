// The Menu Manager's records and the calls its sources share (what the test API reads and
// does is in ui/internal/Menus.h). Not for anyone else.
#pragma once

#include <string>
#include <vector>

#include "../Menus.h"
#include "ui/internal/Menus.h"

namespace sp_platform {
namespace menus {

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
// Forgets the menu in the list (DisposeMenu).
void RemoveFromMenuList(MenuRef menu);
// True when the Aqua menu layout is on (Gestalt), so the application menu is shown.
bool HasApplicationMenu();
// The first item that takes the key with these modifiers (event modifier bits) as its key
// equivalent (see Menus.h); false when none.
bool FindKeyEquivalent(UInt8 ch, UInt32 modifiers, MenuRef* outMenu, MenuItemIndex* outItem);
// The standard handling of a raw key-down: a Command-key equivalent of an item sends the
// item's command and answers noErr; any other key eventNotHandledErr.
OSStatus HandleCommandKey(UInt8 ch, UInt32 modifiers);

}  // namespace menus
}  // namespace sp_platform
