#include "SpMenuItemObj.h"

#include <cstring>

#include "Fonts.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpMenuObj.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpMenuItemObj";
const char kMsgDataErrorLower[] = "Data error !! ";
const char kMsgRequiredArgument[] = "Required Argument is null !! ";
const char kMsgMenuObjectNull[] = "Menu Object Pointer is null !! ";

}  // namespace

void Sp_MenuTextToPascal(const char* text, Str255 out) {
  Sp_CopyCStringToStr255(text, out);
}

bool SpIsSeparatorSystemItem(MenuRef menu, SInt16 index) {
  MenuItemAttributes attributes = 0;
  if (index <= 0) return false;
  return GetMenuItemAttributes(menu, MenuItemIndex(index), &attributes) == noErr &&
         (attributes & kMenuItemAttrSeparator) != 0;
}

// ---- Construction ---------------------------------------------------------------------------

cSpMenuItem::cSpMenuItem(cSpMenu* baseMenu) {
  StartUpInitialize();
  baseMenu_ = baseMenu;
}

cSpMenuItem::~cSpMenuItem() {}

void cSpMenuItem::StartUpInitialize() {
  refNum_ = 0;
  std::memset(itemName_, 0, sizeof(itemName_));
  ClearSystemItemState();
  ownCommandFlag_ = 0;
  command_ = kSpNoMenuCommand;
  baseMenu_ = nullptr;
}

void cSpMenuItem::ClearSystemItemState() {
  disabledFlag_ = 0;
  style_ = 0;
  separatorFlag_ = 0;
  hasSubMenuFlag_ = 0;
  subMenuId_ = 0;
  subMenu_ = nullptr;
  markFlag_ = 0;
  markChar_ = 0;
}

// The item's changes go to the system menu its owning menu stands for; a menu object without
// one (or an item without an owner) falls back on the menu installed under the owner's id.
MenuRef cSpMenuItem::TargetMenu(MenuRef menu) const {
  if (menu != nullptr) return menu;
  if (baseMenu_ == nullptr) return nullptr;
  if (baseMenu_->GetMacOSMenuHandle() != nullptr) return baseMenu_->GetMacOSMenuHandle();
  return GetMenuHandle(baseMenu_->GetResourceID());
}

void cSpMenuItem::RedrawIf(unsigned char redraw) const {
  if (redraw) DrawMenuBar();
}

// ---- Reading the system item ----------------------------------------------------------------

void cSpMenuItem::SetupMenuItemInfoFromMenuHandle(MenuRef menu, short index, unsigned char takeText,
                                                  unsigned char redraw) {
  if (takeText) {
    Str255 text;
    GetMenuItemText(menu, index, text);
    std::memcpy(itemName_, text + 1, text[0]);
    itemName_[text[0]] = '\0';
  }
  ClearSystemItemState();

  if (SpIsSeparatorSystemItem(menu, index)) {
    separatorFlag_ = 1;
  } else {
    CharParameter command = 0;
    GetItemCmd(menu, index, &command);
    if (command == hMenuCmd) hasSubMenuFlag_ = 1;
    Style style = 0;
    GetItemStyle(menu, index, &style);
    style_ = style;
    CharParameter mark = 0;
    GetItemMark(menu, index, &mark);
    if (mark != 0) {
      // A hierarchical item's mark byte is its sub-menu's id.
      if (hasSubMenuFlag_) {
        subMenuId_ = mark;
      } else {
        markChar_ = mark;
        markFlag_ = 1;
      }
    }
  }
  RedrawIf(redraw);
}

// ---- Text -----------------------------------------------------------------------------------

void cSpMenuItem::SetupItemName(const char* text) {
  if (text == nullptr) {
    SpReportFailure(kSource, "cSpMenuItem::SetupItemName", 1, kSpMsgNullArgument);
    return;
  }
  StoreItemName(text);
  // SetMenuItemText takes the text as it is: a ';', '(' or '^' of a file name stays in it.
  Str255 systemText;
  Sp_MenuTextToPascal(itemName_, systemText);
  SetMenuItemText(TargetMenu(nullptr), static_cast<SInt16>(refNum_), systemText);
}

void cSpMenuItem::StoreItemName(const char* text) {
  if (text == nullptr) return;
  // Cut on a character boundary, so a long Japanese text never ends in half a character.
  Sp_CutStringByByteLen(text, kSpMenuItemNameSize - 1, itemName_);
}

char* cSpMenuItem::GetItemName(char* buffer) const {
  if (buffer == nullptr) return nullptr;
  std::memcpy(buffer, itemName_, std::strlen(itemName_) + 1);
  return buffer;
}

Boolean cSpMenuItem::EqualItemName(const char* text) const {
  if (separatorFlag_ || text == nullptr) return false;
  return std::strcmp(itemName_, text) == 0;
}

// ---- Enabling, marks, styles, fonts ---------------------------------------------------------

void cSpMenuItem::Enable(unsigned char redraw) {
  if (baseMenu_ == nullptr) {
    SpReportFailure(kSource, "cSpMenuItem::Enable", 1, kMsgDataErrorLower);
    return;
  }
  if (!disabledFlag_) return;
  disabledFlag_ = 0;
  EnableMenuItem(TargetMenu(nullptr), static_cast<MenuItemIndex>(refNum_));
  RedrawIf(redraw);
}

void cSpMenuItem::Disable(unsigned char redraw) {
  if (baseMenu_ == nullptr) {
    SpReportFailure(kSource, "cSpMenuItem::Disable", 1, kMsgDataErrorLower);
    return;
  }
  if (disabledFlag_) return;
  disabledFlag_ = 1;
  DisableMenuItem(TargetMenu(nullptr), static_cast<MenuItemIndex>(refNum_));
  RedrawIf(redraw);
}

void cSpMenuItem::SetMark(MenuRef menu, char mark, unsigned char redraw) {
  if (separatorFlag_) return;
  markChar_ = (mark == 0) ? short(checkMark) : short(static_cast<unsigned char>(mark));
  markFlag_ = 1;
  SetItemMark(TargetMenu(menu), static_cast<SInt16>(refNum_), markChar_);
  RedrawIf(redraw);
}

void cSpMenuItem::ClearMark(MenuRef menu, unsigned char redraw) {
  if (separatorFlag_) return;
  markFlag_ = 0;
  SetItemMark(TargetMenu(menu), static_cast<SInt16>(refNum_), noMark);
  RedrawIf(redraw);
}

void cSpMenuItem::SetupItemOutputStyle(MenuRef menu, unsigned char style, unsigned char add,
                                       unsigned char redraw) {
  if (separatorFlag_) return;
  style_ = add ? static_cast<unsigned char>(style_ | style) : style;
  SetItemStyle(TargetMenu(menu), static_cast<SInt16>(refNum_), style_);
  RedrawIf(redraw);
}

void cSpMenuItem::ClearItemOutputStyle(MenuRef menu, unsigned char redraw) {
  if (separatorFlag_) return;
  style_ = 0;
  SetItemStyle(TargetMenu(menu), static_cast<SInt16>(refNum_), 0);
  RedrawIf(redraw);
}

void cSpMenuItem::SetupMenuItemFontId(short fontNo, unsigned char redraw) {
  const char kMethod[] = "cSpMenuItem::SetupMenuItemFontId";
  if (baseMenu_ == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgDataError);
    return;
  }
  if (baseMenu_->GetMacOSMenuHandle() == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    return;
  }
  SetMenuItemFontID(baseMenu_->GetMacOSMenuHandle(), static_cast<SInt16>(refNum_), fontNo);
  RedrawIf(redraw);
}

void cSpMenuItem::SetupMenuItemFontId(const char* fontName, unsigned char redraw) {
  if (fontName == nullptr) {
    SpReportFailure(kSource, "cSpMenuItem::SetupMenuItemFontId", 1, kSpMsgNullArgument);
    return;
  }
  Str255 name;
  Sp_MenuTextToPascal(fontName, name);
  SInt16 fontNo = 0;
  GetFNum(name, &fontNo);
  SetupMenuItemFontId(fontNo, redraw);
}

// ---- Numbers and sub-menus ------------------------------------------------------------------

void cSpMenuItem::SetReferenceNo(unsigned char renumberFollowing) {
  cSpMenuItem* item = this;
  do {
    cSpMenuItem* before = item->GetBeforeObjectPtr();
    item->refNum_ = (before != nullptr) ? before->refNum_ + 1 : 1;
    item = item->GetNextObjectPtr();
  } while (renumberFollowing && item != nullptr);
}

void cSpMenuItem::SetupSubMenu(cSpMenu* subMenu, unsigned char alreadyHier, unsigned char redraw) {
  if (subMenu == nullptr) {
    SpReportFailure(kSource, "cSpMenuItem::SetupSubMenu", 1, kMsgRequiredArgument);
    return;
  }
  if (baseMenu_ == nullptr) {
    SpReportFailure(kSource, "cSpMenuItem::SetupSubMenu", 2, kMsgMenuObjectNull);
    return;
  }
  subMenu_ = subMenu;
  hasSubMenuFlag_ = 1;
  subMenuId_ = subMenu->GetResourceID();
  if (!alreadyHier) {
    markFlag_ = 0;
    MenuRef menu = TargetMenu(nullptr);
    SetItemCmd(menu, static_cast<SInt16>(refNum_), hMenuCmd);
    SetItemMark(menu, static_cast<SInt16>(refNum_), subMenuId_);
    RedrawIf(redraw);
  }
}

Boolean cSpMenuItem::CheckSubMenuIncompleteSetup() const {
  return hasSubMenuFlag_ && subMenuId_ > 0 && subMenu_ == nullptr;
}

// ---- Commands -------------------------------------------------------------------------------

void cSpMenuItem::SetupOriginalMenuCommand(UInt32 command) {
  command_ = command;
  ownCommandFlag_ = 1;
}

void cSpMenuItem::SetupManagerMenuCommand(SInt32 /*number*/, UInt32 command) {
  command_ = command;
  ownCommandFlag_ = 0;
}

void cSpMenuItem::ClearMenuCommand() {
  command_ = kSpNoMenuCommand;
  ownCommandFlag_ = 0;
}

Boolean cSpMenuItem::EqualMenuCommand(UInt32 command) const {
  return command_ != kSpNoMenuCommand && command_ == command;
}

void cSpMenuItem::LinkMenuCommandToOSMenu(MenuRef menu) {
  if (command_ == kSpNoMenuCommand) return;
  SetMenuItemCommandID(TargetMenu(menu), static_cast<SInt16>(refNum_), command_);
}

// ---- Execute procedures ---------------------------------------------------------------------

SInt32 cSpMenuItem::SetupExecMenuItemProc(SpMenuItemExecuteProcPtr proc, URefCon userData) {
  const SInt32 refNum = execProcs_.Add(proc, userData);
  if (refNum == 0) {
    SpReportFailure(kSource, "cSpMenuItem::SetupExecMenuItemProc", 1, kSpMsgMemory);
  }
  return refNum;
}

void cSpMenuItem::RemoveExecMenuItemProc(SInt32 refNum) {
  if (!execProcs_.Remove(refNum)) {
    SpReportFailure(kSource, "cSpMenuItem::RemoveExecMenuItemProc", 1, kSpMsgDataError);
  }
}

unsigned char cSpMenuItem::ExecuteMenuItemProc() {
  return execProcs_.Run(baseMenu_, this);
}

cSpMenuItem* cSpMenuItem::GetItemByRefNumFromList(SInt32 refNum) {
  for (cSpMenuItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->refNum_ == refNum) return item;
  }
  return nullptr;
}
