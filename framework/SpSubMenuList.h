// The sub-menu list of a menu bar or of a pop-up menu: the hierarchical menus that the items of
// its menus name, each made once and kept in a list of the owner's (head and tail).
#pragma once

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMenuItemObj.h"
#include "SpMenuObj.h"

// Attaches a sub-menu to every item of `menu` that names one not attached yet, depth first: a
// sub-menu with that id already in the list is taken, else `makeSubMenu(id)` makes one, which
// then joins the list; when it gives null (it reports why) the item is left as it is. An item
// is attached before the walk goes into its sub-menu, so menus that name each other end the
// walk. Answers how many items of `menu` itself were attached.
template <class MakeSubMenu>
SInt32 SpAttachSubMenus(cSpMenu* menu, cSpMenu*& head, cSpMenu*& tail,
                        const MakeSubMenu& makeSubMenu) {
  SInt32 attached = 0;
  for (cSpMenuItem* item = menu->GetMenuItemListHead(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (!item->CheckSubMenuIncompleteSetup()) continue;
    const short subId = item->GetSubMenuID();
    cSpMenu* subMenu = head != nullptr ? head->GetItemByResourceIdFromList(subId) : nullptr;
    if (subMenu == nullptr) {
      subMenu = makeSubMenu(subId);
      if (subMenu == nullptr) continue;
      SpAppendToList(head, tail, subMenu);
    }
    item->SetupSubMenu(subMenu, 1, 0);
    SpAttachSubMenus(subMenu, head, tail, makeSubMenu);
    ++attached;
  }
  return attached;
}
