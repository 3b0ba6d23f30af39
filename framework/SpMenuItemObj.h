// The object of one item of a cSpMenu: its number, its text, the state the framework gave it
// (disabled, marked, styled), its hierarchical sub-menu, its command id and its execute
// procedures. It reads its first state from the system menu item and writes every change back
// to the system menu. When no MenuRef is passed that is the system menu its owning menu
// stands for, or, for an owner without one, the menu installed under the owner's id: so a
// pop-up's or a waiting sub-menu's items change even while their menu is not installed.
#pragma once

#include <new>

#include "MacTypes.h"
#include "Menus.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpMenuExecProcObj.h"

class cSpMenu;

// A menu text as the system takes it: the first 255 bytes of `text` on a character boundary,
// as a length-prefixed string.
void Sp_MenuTextToPascal(const char* text, Str255 out);
// True when the toolbox holds item `index` of the menu as a separator line. Only the toolbox
// knows: it decides when the item is made, and the text ("-14", "(-") does not tell.
bool SpIsSeparatorSystemItem(MenuRef menu, SInt16 index);

// Size of an item's text field, terminator included.
enum { kSpMenuItemNameSize = 512 };
// The command id of an item that has none.
enum : UInt32 { kSpNoMenuCommand = 0x3F3F3F3F };  // '????'

class cSpMenuItem : public cSpListLinks<cSpMenuItem>, public cSpMacHeapObject {
 public:
  explicit cSpMenuItem(cSpMenu* baseMenu);
  ~cSpMenuItem();
  cSpMenuItem(const cSpMenuItem&) = delete;
  cSpMenuItem& operator=(const cSpMenuItem&) = delete;

  void StartUpInitialize();

  // Reads the system item at `index` of the menu: its text (when takeText is set), separator,
  // hierarchical sub-menu id, style and mark. Every item starts enabled as far as the
  // framework knows.
  void SetupMenuItemInfoFromMenuHandle(MenuRef menu, short index, unsigned char takeText,
                                       unsigned char redraw);
  // Stores the text (cut to 511 bytes on a character boundary) and sets it as the system
  // item's text, as plain text: no character of it is taken as a menu meta-character.
  void SetupItemName(const char* text);
  // Stores the text the same way without touching the system menu.
  void StoreItemName(const char* text);
  // Copies the text (at most kSpMenuItemNameSize bytes with its terminator) into the buffer
  // and returns the buffer.
  char* GetItemName(char* buffer) const;
  const char* GetItemNamePtr() const { return itemName_; }
  // True when the item is not a separator and its text equals the argument exactly.
  Boolean EqualItemName(const char* text) const;

  void Enable(unsigned char redraw);
  void Disable(unsigned char redraw);
  Boolean GetDisableFlag() const { return disabledFlag_; }

  // Marks (0 becomes the check mark) and unmarks the item; nothing for a separator. A null
  // menu means the owning menu's system menu.
  void SetMark(MenuRef menu, char mark, unsigned char redraw);
  void ClearMark(MenuRef menu, unsigned char redraw);
  Boolean IsSetupedMark() const { return markFlag_; }
  short GetMarkChar() const { return markChar_; }

  // With `add` the style is ORed into the present one, else it replaces it; nothing for a
  // separator.
  void SetupItemOutputStyle(MenuRef menu, unsigned char style, unsigned char add,
                            unsigned char redraw);
  void ClearItemOutputStyle(MenuRef menu, unsigned char redraw);
  unsigned char GetItemOutputStyle() const { return style_; }

  void SetupMenuItemFontId(short fontNo, unsigned char redraw);
  void SetupMenuItemFontId(const char* fontName, unsigned char redraw);

  void SetupSeparatorFlag(unsigned char flag) { separatorFlag_ = flag; }
  Boolean GetSeparatorFlag() const { return separatorFlag_; }

  SInt32 GetReferenceNo() const { return refNum_; }
  // The previous item's number + 1 (1 for the first); with `renumberFollowing` every
  // following item is renumbered the same way.
  void SetReferenceNo(unsigned char renumberFollowing);

  // Attaches the sub-menu; when the system item is not hierarchical yet (`alreadyHier`
  // clear) it is made so, with the sub-menu's id.
  void SetupSubMenu(cSpMenu* subMenu, unsigned char alreadyHier, unsigned char redraw);
  // True when the item names a sub-menu that is not attached yet.
  Boolean CheckSubMenuIncompleteSetup() const;
  short GetSubMenuID() const { return subMenuId_; }
  cSpMenu* GetSubMenuPtr() const { return subMenu_; }
  Boolean HasSubMenu() const { return hasSubMenuFlag_; }
  cSpMenu* GetBaseMenuPtr() const { return baseMenu_; }

  void SetupOriginalMenuCommand(UInt32 command);
  void SetupManagerMenuCommand(SInt32 number, UInt32 command);
  void ClearMenuCommand();
  Boolean HaveOriginalMenuCommand() const { return ownCommandFlag_; }
  UInt32 GetMenuCommand() const { return command_; }
  Boolean EqualMenuCommand(UInt32 command) const;
  void LinkMenuCommandToOSMenu(MenuRef menu);

  // Item-level execute procedures: the number of the new entry (0 when it cannot be
  // allocated), removal by number, running the list (1 when it is not empty).
  SInt32 SetupExecMenuItemProc(SpMenuItemExecuteProcPtr proc, URefCon userData);
  void RemoveExecMenuItemProc(SInt32 refNum);
  unsigned char ExecuteMenuItemProc();
  Boolean ExistExecuteMenuItemProc() const { return !execProcs_.IsEmpty(); }

  // From this item along the next links: the first with that number, or null.
  cSpMenuItem* GetItemByRefNumFromList(SInt32 refNum);

  // Used by the owning menu while it keeps its list in step with the system menu.
  void SetReferenceNoDirect(SInt32 refNum) { refNum_ = refNum; }
  void UnlinkFromList() { UnlinkSelf(); }
  void LinkAfterThis(cSpMenuItem* item) { InsertAfter(item); }

 private:
  // The menu to change: the given one, else the owning menu's system menu (see the top).
  MenuRef TargetMenu(MenuRef menu) const;
  void RedrawIf(unsigned char redraw) const;
  // Forgets what was read from the system item (separator, style, mark, sub-menu) and the
  // disabled state: the state of an item not read yet.
  void ClearSystemItemState();

  SInt32 refNum_;
  char itemName_[kSpMenuItemNameSize];
  unsigned char disabledFlag_;
  unsigned char style_;
  unsigned char separatorFlag_;
  unsigned char hasSubMenuFlag_;
  short subMenuId_;
  cSpMenu* subMenu_;
  unsigned char markFlag_;
  short markChar_;
  unsigned char ownCommandFlag_;
  UInt32 command_;
  cSpMenuExecProcList<cSpMenuItemExecuteProcItem, SpMenuItemExecuteProcPtr> execProcs_;
  cSpMenu* baseMenu_;
};
