// A pop-up menu: a menu read from a 'MENU' resource, shown at a point of a window with its
// hierarchical sub-menus, whose chosen item's execute procedures run exactly as for a choice
// in the menu bar. It belongs to no menu bar: it keeps its own sub-menus, and puts itself and
// them into the system menu list only while it is open.
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "SpMenuObj.h"

class cSpPopupMenu : public cSpMenu {
 public:
  // The pop-up of 'MENU' `menuId`, shown at (left, top) in the window's local coordinates
  // with `initialItem` under the pointer.
  cSpPopupMenu(WindowRef window, short left, short top, short initialItem, short menuId);
  // Frees the sub-menu objects as well.
  ~cSpPopupMenu();
  cSpPopupMenu(const cSpPopupMenu&) = delete;
  cSpPopupMenu& operator=(const cSpPopupMenu&) = delete;

  // As the menu bar's operation of that name, with the pop-up's own sub-menu list; the
  // sub-menus are read from their 'MENU' resources and inserted only while the pop-up is open.
  void SetupSubMenuInfo(cSpMenu* menu, unsigned char redraw);
  // A negative value leaves that coordinate as it is.
  void SetupLeftTopPosit(short left, short top);
  // Shows the pop-up and runs the chosen item's procedures.
  void OpenPopup();
  // This menu when the id is its own, else the first sub-menu with that id, else null.
  cSpMenu* GetMenuByResourceID(short menuId);
  // The first sub-menu with that reference number (the pop-up itself is not considered).
  cSpMenu* GetMenuByReferenceNo(SInt32 refNum);

  cSpMenu* GetSubMenuListHeadPtr() const { return subMenuHead_; }
  short GetLeft() const { return left_; }
  short GetTop() const { return top_; }

 private:
  WindowRef window_ = nullptr;
  short left_ = 0;
  short top_ = 0;
  short initialItem_ = 0;
  cSpMenu* subMenuHead_ = nullptr;
  cSpMenu* subMenuTail_ = nullptr;
};
