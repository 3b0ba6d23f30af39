// Menu Manager: menus and their items, the menu list and menu bars, key equivalents and the
// commands that choosing an item sends. Headless: nothing is drawn and nobody tracks the
// mouse; the test API (TestMenus.h) chooses items and sets what MenuSelect answers.
//
// How it works here:
// - A menu (MenuRef, the same as MenuHandle) is a record of the layer, not a Memory Manager
//   handle: do not lock it or ask its size. Every call checks the MenuRef it is given; a null
//   or disposed menu is refused (paramErr, or nothing, or 0). Item numbers start at 1; an item
//   number out of range is ignored by the setters and gives empty values from the getters.
// - Texts (titles, item texts) are MacJapanese bytes, at most 255. Metacharacters are
//   interpreted only by AppendMenu and InsertMenuItem: ';' or Return separates items, '^'
//   followed by a character sets the icon number (the character's code minus '0'), '!'
//   followed by a character sets the mark, '<' followed by B, I, U, O, S, C or E adds bold,
//   italic, underline, outline, shadow, condense or extend, '/' followed by a character sets
//   the key equivalent (or, with 0x1B, makes the item hierarchical), '(' disables the item.
//   The second byte of a two-byte character is never taken for a metacharacter. An item whose
//   text (metacharacters taken out) begins with '-' is a separator line: never enabled, never
//   chosen, no key equivalent. AppendMenuItemText, InsertMenuItemText and SetMenuItemText
//   take the text as it is (a file name with ';', '(' or '^' stays whole) and never make a
//   separator: put separators in with AppendMenu(menu, "\p-") or InsertMenuItem. An item is
//   a separator or not from when it is made: SetMenuItemText changes its text, not its kind
//   (a text item renamed "-14" stays a text item, sized and chosen as one), so the kind is
//   read with GetMenuItemAttributes (kMenuItemAttrSeparator), never guessed from the text.
// - 'MENU' resources have the toolbox's byte layout (big-endian): menu id, width, height,
//   definition id, a filler word, 32 enable flags (bit 0 the whole menu, bit n item n; items
//   after the 31st are enabled), the title as a length-prefixed string, then for each item its
//   length-prefixed text, icon number, key equivalent, mark and style bytes, ended by a 0
//   byte. The menu takes its id from those bytes. Items whose text begins with '-' are
//   separators. Resource bytes are not trusted: bytes that end early (a length past the end,
//   no 0 byte after the last item) are refused (GetMenu answers null).
// - GetMenu(id) answers the menu it made from that 'MENU' resource before, as long as that
//   menu was not disposed of (as the toolbox did while the resource stayed loaded), so that a
//   menu bar made by GetNewMBar and a GetMenu of one of its ids share one menu.
// - Hierarchical items: key equivalent hMenuCmd (0x1B) and the sub-menu's id in the mark (so
//   GetItemMark of such an item answers the sub-menu id); Set/GetMenuItemHierarchicalID do
//   the same in one call.
// - The menu list: the menus of the menu bar, left to right, and the hierarchical menus
//   (InsertMenu with beforeID -1). InsertMenu does nothing when a menu with the same id is in
//   the list already; beforeID 0, or an id not in the bar, appends at the end of the bar.
//   GetMenuHandle finds only menus in the list. DisposeMenu takes the menu out of the list.
// - Menu bars: GetNewMBar reads an 'MBAR' (a big-endian count, then that many 'MENU' ids),
//   makes its menus with GetMenu and answers a menu-bar handle (a Memory Manager handle) that
//   lists them, without installing it; null when the 'MBAR' is missing or malformed or one of
//   its menus cannot be made. SetMenuBar installs a copy of such a list (the menus in it that
//   were disposed of meanwhile are left out); GetMenuBar answers a new handle listing the menu
//   list now (DisposeMenuBar or DisposeHandle frees it); ClearMenuBar empties the list.
//   DrawMenuBar and InvalMenuBar only count and flag for the display and the tests.
// - The application menu: with the Aqua menu layout (Gestalt gestaltMenuMgrAttr bit 1, which
//   the platform's table sets) the layer puts an application menu of its own in front of the
//   bar. It is not in the menu list (GetMenuHandle, GetMenuBar and ClearMenuBar do not see it)
//   and holds Quit ("終了"), command kHICommandQuit, key equivalent Command-Q; its title is
//   the program's file name. Its id is kSpApplicationMenuID (negative, so MenuKey's answer
//   for it is negative too and no program's menu id can be it).
// - The Apple menu's title ("\x14", a mark no font has) is drawn in the bar as the program's
//   small icon: its colour icon ('cicn') kSpApplicationIconID, 16 x 16; a program without one
//   shows a small square. Every other title is drawn in the system font, plain.
// - Sizes: until text can be measured, a menu's width and height come from fixed metrics (7
//   pixels a byte of text, 18 pixels an item, 9 a separator, with room for the mark, the key
//   equivalent and the sub-menu arrow). Changing items makes them stale; GetMenuWidth and
//   GetMenuHeight compute them again then. SetMenuWidth and SetMenuHeight set them until the
//   next change or CalcMenuSize.
// - Key equivalents: MenuKey (and MenuEvent, and the standard handling of a raw key-down with
//   the Command key held) search the application menu, the bar's menus left to right, then the
//   hierarchical menus, each item in order, for the first enabled item (of an enabled menu)
//   whose key equivalent is the character, letters compared without case. The modifiers must
//   be the item's: the Command key (unless kMenuNoCommandModifier) and exactly the Option and
//   Control keys of its SetMenuItemModifiers (none by default); Shift exactly as well for
//   letters, while for other characters (typed with or without Shift) it only counts when the
//   item asks for it; Caps Lock does not count. MenuKey takes the modifier keys held now, with
//   the Command key.
// - Commands: choosing an item (the test API's click, or its key equivalent through the
//   standard handling of a raw key-down) sends {kEventClassCommand, kEventCommandProcess} with
//   kEventParamDirectObject an HICommand {kHICommandFromMenu, the item's command id (0 when
//   it has none), {the menu, the item}} and kEventParamKeyModifiers, to the menu's event target
//   (GetMenuEventTarget) and on to the application's. MenuKey, MenuEvent, MenuSelect and
//   PopUpMenuSelect send nothing: their callers act on the answer.
// - MenuSelect and PopUpMenuSelect do not track the mouse: each answers the choice the test
//   API set up for the next call, (menu id << 16) | item, or 0. MenuSelect, MenuKey and
//   MenuEvent highlight the chosen menu's title until HiliteMenu(0).
#pragma once

#include "CarbonEvents.h"
#include "Events.h"
#include "MacTypes.h"
#include "QDText.h"
#include "QuickDraw.h"

// MenuRef, MenuItemIndex (UInt16) and MenuCommand (UInt32) come from CarbonEvents.h.
typedef MenuRef MenuHandle;
typedef SInt16 MenuID;
// A list of menus, as GetNewMBar and GetMenuBar make it: a Memory Manager handle.
typedef Handle MenuBarHandle;

// Marks and special key equivalents.
enum : SInt16 {
  noMark = 0,
  commandMark = 17,
  checkMark = 18,
  diamondMark = 19,
  appleMark = 20,
};
enum : UInt8 {
  hMenuCmd = 0x1B,  // the key equivalent of a hierarchical item
};
// beforeID of InsertMenu: into the hierarchical menus.
enum : MenuID {
  hierMenu = -1,
  kInsertHierarchicalMenu = -1,
};
// The layer's application menu (see above).
enum : MenuID { kSpApplicationMenuID = -16489 };
// The program's small icon in its resources (see above): the id the toolbox gave the icon a
// file carries of its own.
enum : SInt16 { kSpApplicationIconID = -16455 };

// What GetMenuItemAttributes answers of an item.
typedef UInt32 MenuItemAttributes;
enum : MenuItemAttributes {
  kMenuItemAttrDisabled = 1u << 0,
  kMenuItemAttrSeparator = 1u << 6,
};

// Modifiers of a key equivalent (SetMenuItemModifiers).
enum : UInt8 {
  kMenuNoModifiers = 0,
  kMenuShiftModifier = 1u << 0,
  kMenuOptionModifier = 1u << 1,
  kMenuControlModifier = 1u << 2,
  kMenuNoCommandModifier = 1u << 3,
};

enum : OSStatus {
  menuPropertyNotFoundErr = -5603,
  menuNotFoundErr = -5620,
  menuUsesSystemDefErr = -5621,
  menuItemNotFoundErr = -5622,
  menuInvalidErr = -5623,
};

// ---- Menus ----------------------------------------------------------------------------------
// A new empty, enabled menu with this id and title; null when memory runs out.
MenuRef NewMenu(MenuID menuID, ConstStr255Param menuTitle);
// The menu made from 'MENU' resourceID (see above); null when the resource is missing or its
// bytes are malformed (ResError tells a missing resource).
MenuRef GetMenu(SInt16 resourceID);
// Takes the menu out of the menu list and frees it (and its event target).
void DisposeMenu(MenuRef theMenu);
// The menu of that id in the menu list (bar or hierarchical); null when none is installed.
MenuRef GetMenuHandle(MenuID menuID);
inline MenuRef GetMenuRef(MenuID menuID) {
  return GetMenuHandle(menuID);
}
MenuID GetMenuID(MenuRef menu);
// Number of items; 0 for an invalid menu.
UInt16 CountMenuItems(MenuRef theMenu);
inline SInt16 CountMItems(MenuRef theMenu) {
  return SInt16(CountMenuItems(theMenu));
}

OSStatus SetMenuTitle(MenuRef menu, ConstStr255Param title);
// Copies the title into `title` and answers it; the empty string for an invalid menu.
StringPtr GetMenuTitle(MenuRef menu, Str255 title);

// ---- The menu list and menu bars -------------------------------------------------------------
// beforeID: 0 (or an id not in the bar) = at the end of the bar, hierMenu = the hierarchical
// menus, else in front of that menu of the bar.
void InsertMenu(MenuRef theMenu, MenuID beforeID);
void DeleteMenu(MenuID menuID);

MenuBarHandle GetNewMBar(SInt16 menuBarID);
void SetMenuBar(MenuBarHandle mbar);
MenuBarHandle GetMenuBar();
// Frees a menu-bar handle (not its menus). paramErr for null.
OSStatus DisposeMenuBar(MenuBarHandle mbar);
void ClearMenuBar();
void DrawMenuBar();
void InvalMenuBar();
// Highlights the title of that menu of the bar (0: none).
void HiliteMenu(MenuID menuID);
// GetMBarHeight is QuickDraw's (QuickDraw.h).

// ---- Items ----------------------------------------------------------------------------------
// With metacharacters (see above); `data` may hold several items.
void AppendMenu(MenuRef menu, ConstStr255Param data);
// After item afterItem (0: at the top; past the end: at the end).
void InsertMenuItem(MenuRef theMenu, ConstStr255Param itemString, SInt16 afterItem);
// One item, the text as it is. paramErr for an invalid menu or a null text.
OSStatus AppendMenuItemText(MenuRef menu, ConstStr255Param inString);
OSStatus InsertMenuItemText(MenuRef menu, ConstStr255Param inString, MenuItemIndex afterItem);
void DeleteMenuItem(MenuRef theMenu, SInt16 item);
// One item for each resource of the type in the resource chain that has a name, the names
// sorted byte for byte, leaving out names that begin with '.' or '%'. For 'FONT' and 'FOND'
// the installed font families. AppendResMenu appends; InsertResMenu puts them after
// afterItem.
void AppendResMenu(MenuRef theMenu, ResType theType);
void InsertResMenu(MenuRef theMenu, ResType theType, SInt16 afterItem);

void GetMenuItemText(MenuRef theMenu, SInt16 item, Str255 itemString);
void SetMenuItemText(MenuRef theMenu, SInt16 item, ConstStr255Param itemString);

// Item 0 is the whole menu.
void EnableMenuItem(MenuRef theMenu, MenuItemIndex item);
void DisableMenuItem(MenuRef theMenu, MenuItemIndex item);
// The item's own state (item 0: the menu's); a separator is never enabled.
Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
inline void EnableItem(MenuRef theMenu, SInt16 item) {
  EnableMenuItem(theMenu, MenuItemIndex(item));
}
inline void DisableItem(MenuRef theMenu, SInt16 item) {
  DisableMenuItem(theMenu, MenuItemIndex(item));
}

void SetItemMark(MenuRef theMenu, SInt16 item, CharParameter markChar);
void GetItemMark(MenuRef theMenu, SInt16 item, CharParameter* markChar);
// The check mark, or no mark.
void CheckMenuItem(MenuRef theMenu, SInt16 item, Boolean checked);
inline void CheckItem(MenuRef theMenu, SInt16 item, Boolean checked) {
  CheckMenuItem(theMenu, item, checked);
}
// Only the seven style bits are kept.
void SetItemStyle(MenuRef theMenu, SInt16 item, StyleParameter chStyle);
void GetItemStyle(MenuRef theMenu, SInt16 item, Style* chStyle);
// The key equivalent (0: none; hMenuCmd: hierarchical, the mark is the sub-menu id).
void SetItemCmd(MenuRef theMenu, SInt16 item, CharParameter cmdChar);
void GetItemCmd(MenuRef theMenu, SInt16 item, CharParameter* cmdChar);
// The icon number (0: none; the resource is 256 + the number).
void SetItemIcon(MenuRef theMenu, SInt16 item, SInt16 iconIndex);
void GetItemIcon(MenuRef theMenu, SInt16 item, SInt16* iconIndex);

// kMenuItemAttrSeparator for a separator line, kMenuItemAttrDisabled for an item that is not
// enabled on its own (a separator always). paramErr for an invalid menu or a null
// out-argument, menuItemNotFoundErr for an item out of range.
OSStatus GetMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes* outAttributes);

// Carbon item properties: paramErr for an invalid menu or a null out-argument,
// menuItemNotFoundErr for an item out of range.
OSErr SetMenuItemKeyGlyph(MenuRef inMenu, SInt16 inItem, SInt16 inGlyph);
OSErr GetMenuItemKeyGlyph(MenuRef inMenu, SInt16 inItem, SInt16* outGlyph);
OSErr SetMenuItemModifiers(MenuRef inMenu, SInt16 inItem, UInt8 inModifiers);
OSErr GetMenuItemModifiers(MenuRef inMenu, SInt16 inItem, UInt8* outModifiers);
// The font of the item's text (0: the system font).
OSErr SetMenuItemFontID(MenuRef inMenu, SInt16 inItem, SInt16 inFontID);
OSErr GetMenuItemFontID(MenuRef inMenu, SInt16 inItem, SInt16* outFontID);
// The command the item sends when chosen (0: none).
OSErr SetMenuItemCommandID(MenuRef inMenu, SInt16 inItem, MenuCommand inCommandID);
OSErr GetMenuItemCommandID(MenuRef inMenu, SInt16 inItem, MenuCommand* outCommandID);
// Makes the item hierarchical with that sub-menu (0: not hierarchical any more).
OSErr SetMenuItemHierarchicalID(MenuRef inMenu, SInt16 inItem, MenuID inHierID);
// The sub-menu id, 0 for an item that is not hierarchical.
OSErr GetMenuItemHierarchicalID(MenuRef inMenu, SInt16 inItem, MenuID* outHierID);

// ---- Sizes ----------------------------------------------------------------------------------
void CalcMenuSize(MenuRef theMenu);
void SetMenuWidth(MenuRef menu, SInt16 width);
void SetMenuHeight(MenuRef menu, SInt16 height);
SInt16 GetMenuWidth(MenuRef menu);
SInt16 GetMenuHeight(MenuRef menu);

// ---- Choosing -------------------------------------------------------------------------------
// (menu id << 16) | item, or 0 for no choice (see above).
SInt32 MenuSelect(Point startPt);
SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem);
SInt32 MenuKey(CharParameter ch);
// A key-down or auto-key record with the Command key: its key equivalent with the record's
// modifiers; 0 for every other record (and null).
UInt32 MenuEvent(const EventRecord* inEvent);
