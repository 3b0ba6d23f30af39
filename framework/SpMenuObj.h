// A cSpMenu stands for one system menu and keeps an object per item (cSpMenuItem), in item
// order, plus its menu-level execute procedures. It is made from a 'MENU' resource id (by a
// menu bar or a pop-up menu) or from an id and a title. It mirrors the system menu both ways:
// it builds its item objects from what the system menu holds, and changes the system menu
// when items are added, retitled, marked, styled, enabled or disabled through it.
//
// Item objects match the system menu item for item: the n-th object has reference number n
// and stands for system item n.
#pragma once

#include <new>

#include "Controls.h"
#include "MacTypes.h"
#include "Menus.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpMenuExecProcObj.h"
#include "SpMenuItemObj.h"

// Size of a menu's title field, terminator included; titles keep at most 510 bytes.
enum { kSpMenuTitleSize = 512, kSpMenuTitleMaxLength = 510 };

// How the menu was made.
enum : unsigned char {
  kSpMenuKindResource = 1,  // from a 'MENU' resource id
  kSpMenuKindTitle = 2,     // from an id and a title
  kSpMenuKindControl = 3,   // a control's pop-up menu
};

class cSpMenu : public cSpListLinks<cSpMenu>, public cSpMacHeapObject {
 public:
  // From the 'MENU' resource `id`. With `load` clear the menu already installed under that id
  // is taken when there is one; otherwise (or when none is installed) the resource is read.
  // With `makeItems` the item objects are built from the system menu at once.
  cSpMenu(short id, unsigned char load, unsigned char makeItems);
  // An empty system menu with that id and title.
  cSpMenu(short id, const char* title);
  // The pop-up menu of a popup-button control (none when the control is null or has none);
  // the menu's id is taken from the menu. With `makeItems` the item objects are built at once.
  cSpMenu(ControlRef control, unsigned char makeItems);
  ~cSpMenu();
  cSpMenu(const cSpMenu&) = delete;
  cSpMenu& operator=(const cSpMenu&) = delete;

  void StartUpInitialize();

  // ---- Item objects and the system menu ----
  void AutoCreateMenuItemFromMenuHandleData(unsigned char clear, unsigned char redraw);
  // Rebuilds the object list after the system menu changed, keeping the objects (and so the
  // execute procedures) of the items whose text is still there.
  void AutoModifyMenuItemWithMenuHandleData(unsigned char redraw);
  // An object linked at `position` (0 head, P after the P-th, negative or beyond the end:
  // last), the objects renumbered; the system menu is not touched.
  cSpMenuItem* NewMenuObjectItem(SInt32 position);
  // An object at `position` and the system item for it, with the text taken as plain text.
  cSpMenuItem* CreateMenuItemAndSetupToMenuMgr(SInt32 position, const char* text,
                                               unsigned char redraw);
  void ClearMenuItemAndSetupToMenuMgr();
  void DisposeItemList();
  void SetupMenuItemFromTargetResourceType(short afterItem, ResType type, unsigned char redraw);
  // Appends one item per installed font of the font manager (made when there is none), in its
  // list order, leaving out empty names; then the menu's size is computed again. No font
  // manager: reported (code 1, "Process Error !! ").
  void AddFontMenuItem(unsigned char redraw);

  // ---- Items by number or name ----
  cSpMenuItem* GetMenuItemByReferenceNo(SInt32 refNum);
  cSpMenuItem* GetMenuItemPtrByMenuItemRefNum(short refNum);
  cSpMenuItem* GetMenuItemPtrByMenuItemName(const char* name);
  void SetupMenuItemString(SInt32 refNum, const char* text);
  // `buffer` holds kSpMenuItemNameSize bytes. 1, or 0 for an unknown item.
  unsigned char GetMenuItemString(SInt32 refNum, char* buffer);
  cSpMenuItem* GetMenuItemListHead() const { return itemHead_; }
  SInt32 GetMenuItemCount() const;

  // ---- Marks, styles, enabling ----
  void SetMenuItemMark(SInt32 n, char mark, unsigned char exclusive, unsigned char redraw,
                       unsigned char* changed);
  void ClearAllMenuItemMark(unsigned char redraw, unsigned char* changed);
  void SetMenuItemStyle(SInt32 n, unsigned char style, unsigned char add, unsigned char redraw,
                        unsigned char* changed);
  void ClearAllMenuItemStyle(unsigned char redraw, unsigned char* changed);
  void EnableMenuTargetItem(SInt32 refNum, unsigned char redraw);
  void DisableMenuTargetItem(SInt32 refNum, unsigned char redraw);
  void Enable(unsigned char redraw);
  void Disable(unsigned char redraw);
  Boolean GetEnableFlag() const { return !disabledFlag_; }

  // ---- System menu list and sizes ----
  // InsertMenu before the menu `beforeId` (0 at the end of the bar, -1 hierarchical).
  unsigned char InsertToCurrentOSMenuList(short beforeId, unsigned char redraw);
  // As above; with `useGiven` clear the menu's own reference number is the before-id.
  unsigned char InsertToCurrentOSMenuListByOwnRefNum(unsigned char useGiven, short beforeId,
                                                     unsigned char redraw);
  void DeleteFromCurrentOSMenuList(unsigned char redraw);
  void SetupWaitInsertIntoMenuList(unsigned char wait) { waitInsertFlag_ = wait; }
  Boolean GetWaitInsertIntoMenuList() const { return waitInsertFlag_; }
  void SetupMenuWidth(short width, unsigned char recalc);
  void SetupMenuHeight(short height, unsigned char recalc);
  MenuRef GetMacOSMenuHandle() const { return menuRef_; }
  // The installed menu with this id, or null.
  MenuRef GetMacOSMenuRefNum() const;

  short GetResourceID() const { return menuId_; }
  unsigned char GetMenuKind() const { return kind_; }
  Boolean IsAppleMenu() const { return appleMenuFlag_; }
  void SetupAppleMenuFlag(unsigned char flag) { appleMenuFlag_ = flag; }
  SInt32 GetReferenceNo() const { return refNum_; }
  void SetupReferenceNo(SInt32 refNum) { refNum_ = refNum; }
  Boolean EqualReferenceNo(SInt32 refNum) const { return refNum_ == refNum; }
  const char* GetMenuTitle() const { return title_; }

  // ---- Menu-level execute procedures ----
  SInt32 SetupExecMenuItemProc(SpMenuExecuteProcPtr proc, URefCon userData);
  void RemoveExecMenuItemProc(SInt32 refNum);
  // Runs the list with the chosen item (may be null) and its number; 1 when the list is not
  // empty, else 0.
  unsigned char ExecuteMenuItemProc(cSpMenuItem* item, short itemNo);
  Boolean ExistExecuteMenuItemProc() const { return !execProcs_.IsEmpty(); }

  // From this menu along the next links: the first menu with that reference number / id.
  cSpMenu* GetItemByRefNumFromList(SInt32 refNum);
  cSpMenu* GetItemByResourceIdFromList(short id);

  void UnlinkFromList() { UnlinkSelf(); }

 private:
  void AppendItem(cSpMenuItem* item);
  // Renumbers from `item` to the end (each = previous + 1, the first = 1).
  static void RenumberFrom(cSpMenuItem* item);
  void RedrawIf(unsigned char redraw) const;

  SInt32 refNum_;
  unsigned char kind_;
  unsigned char appleMenuFlag_;
  ControlRef control_;
  short menuId_;
  MenuRef menuRef_;
  char title_[kSpMenuTitleSize];
  unsigned char disabledFlag_;
  unsigned char waitInsertFlag_;
  cSpMenuExecProcList<cSpMenuExecuteProcItem, SpMenuExecuteProcPtr> execProcs_;
  cSpMenuItem* itemHead_;
  cSpMenuItem* itemTail_;
};
