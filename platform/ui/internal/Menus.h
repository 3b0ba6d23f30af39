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

// ---- Where the bar is shown, and tracking by a person (MenuTracking.cpp) ----
// Off (the start): the bar is the top GetMBarHeight() pixels of the main screen, and
// MenuSelect and PopUpMenuSelect answer the test API's choices. On (a display with a
// person): the bar is the strip of that height just above the content of the front-most
// visible document window, as desktop programs show theirs, and MenuSelect and
// PopUpMenuSelect follow the mouse and the keys (below).
void SetLiveMenuTracking(bool live);
bool LiveMenuTracking();
// A menu is open and follows the person's input (MenuSelect or PopUpMenuSelect runs): the
// display holds the pointer meanwhile, so that a click on another program's window reaches
// the menu, which it closes.
bool MenusOpen();

// The bar's global rectangle now; empty when live and no document window is shown.
Rect MenuBarBounds();
// The window whose strip shows the bar (null when it is the screen's top, or nowhere).
WindowRef MenuBarWindow();

// The bar's titles from left to right: the application menu (with the Aqua layout), then the
// menus of the bar; each title's rectangle is in the bar's own coordinates ((0, 0) is the
// bar's top-left corner).
struct BarTitle {
  MenuRef menu;
  Rect bounds;
};
std::vector<BarTitle> BarTitles();

// Draws the bar (titles, the hilited one inverted, disabled menus grey) into a port whose
// port rectangle is the bar's size; the port is left as it was.
void DrawMenuBarStrip(GrafPtr port);
// Changes whenever what DrawMenuBarStrip draws may have changed (DrawMenuBar, HiliteMenu,
// the window holding the bar); the display draws the bar again then.
UInt32 MenuBarLookStamp();

// The item under a point of a menu shown with its top-left corner at `topLeft` (global); 0
// outside it. Items have the heights GetMenuHeight adds up.
MenuItemIndex MenuItemAt(MenuRef menu, Point topLeft, Point pt);
// The size a menu is shown at: its items' text measured in the system font, and its height.
Point ShownMenuSize(MenuRef menu);

// Live tracking: a pull-down menu opens as a window of the help class (a borderless popup
// at a global position) under the title pressed; moving over the bar's titles opens theirs;
// releasing over an enabled item chooses it. Releasing where the press began leaves the menu
// open until the next click (chosen as above; outside: no choice). Up and Down arrows move
// over the enabled items, Left and Right to the next menu of the bar, Return and Enter choose,
// Escape closes. The answer is (menu id << 16) | item, or 0; a choice leaves its title
// hilited until HiliteMenu(0). An enabled hierarchical item opens its sub-menu (the
// hierarchical menu whose id is its mark) beside it, on its left where the screen ends, when
// the pointer reaches it or Right is pressed on it; moving to another item of its menu, or
// Left, closes it. An item chosen in a sub-menu answers the sub-menu's id and the item; a
// hierarchical item itself is never chosen, and a release on it leaves its sub-menu open.
// Nothing waits for ever: without more input to come (the virtual clock) the menus close with
// no choice.
SInt32 TrackMenuBar(Point start);
// The menu opens with item `popUpItem` over (left, top), kept inside the main screen. A
// release over the item under `press` (global: where the press that opened the menu was; null
// for item `popUpItem`), while the pointer has been over no other item, ends a click: the
// menu stays open until the next click, as a pulled-down menu does. Dragged to another item,
// a release chooses. Sub-menus open as they do from the bar.
SInt32 TrackPopUpMenu(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem, const Point* press);
// PopUpMenuSelect for a menu that a press at `press` (global) opened (see TrackPopUpMenu).
SInt32 PopUpMenuSelectForPress(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem,
                               Point press);

}  // namespace menus
}  // namespace sp_platform
