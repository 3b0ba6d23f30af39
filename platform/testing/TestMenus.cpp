#include "TestMenus.h"

#include <cstring>

#include "ByteOrder.h"
#include "CarbonEvents.h"
#include "ui/internal/Menus.h"

namespace sp_testing {
namespace {

using sp_platform::menus::MenuItemRecord;

MenuItemModel ItemModel(const MenuItemRecord& item) {
  MenuItemModel model{};
  model.text = item.text;
  model.enabled = item.enabled && !item.separator;
  model.separator = item.separator;
  model.keyEquivalent = item.keyEquivalent;
  model.modifiers = item.modifiers;
  model.mark = item.mark;
  model.subMenu = item.IsHierarchical() ? item.mark : MenuID(0);
  model.style = item.style;
  model.icon = item.icon;
  model.fontID = item.fontID;
  model.command = item.commandID;
  return model;
}

// The Mac virtual key code of a character on the US keyboard (0 for those not listed).
UInt8 KeyCodeOf(UInt8 ch) {
  static const char kKeys[] = "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\0lj'k;\\,/nm.";
  if (ch >= 'A' && ch <= 'Z') ch = UInt8(ch - 'A' + 'a');
  for (std::size_t i = 0; i < sizeof kKeys - 1; ++i) {
    if (kKeys[i] != 0 && UInt8(kKeys[i]) == ch) return UInt8(i);
  }
  return 0;
}

SInt32 Choice(MenuID menuID, MenuItemIndex item) {
  return SInt32((UInt32(UInt16(menuID)) << 16) | item);
}

}  // namespace

MenuModel ReadMenu(MenuRef menu) {
  MenuModel model{};
  sp_platform::menus::MenuFacts record;
  if (!sp_platform::menus::MenuFactsOf(menu, &record)) return model;
  model.menu = menu;
  model.id = record.id;
  model.title = record.title;
  model.enabled = record.enabled;
  for (const MenuItemRecord& item : record.items) model.items.push_back(ItemModel(item));
  return model;
}

MenuRef ApplicationMenu() {
  return sp_platform::menus::ApplicationMenu();
}

MenuBarModel ReadMenuBar() {
  MenuBarModel model{};
  MenuRef app = sp_platform::menus::ApplicationMenu();
  model.hasApplicationMenu = app != nullptr;
  if (app != nullptr) model.menus.push_back(ReadMenu(app));
  for (MenuRef menu : sp_platform::menus::BarMenus()) model.menus.push_back(ReadMenu(menu));
  for (MenuRef menu : sp_platform::menus::HierarchicalMenus()) {
    model.hierarchical.push_back(ReadMenu(menu));
  }
  const sp_platform::menus::MenuBarState& state = sp_platform::menus::BarState();
  model.hilited = state.hilited;
  model.drawCount = state.drawCount;
  model.invalid = state.invalid;
  return model;
}

MenuChoiceResult ChooseMenuItem(MenuID menuID, MenuItemIndex item, UInt32 modifiers) {
  MenuChoiceResult result{false, eventNotHandledErr};
  MenuRef menu = sp_platform::menus::ShownMenu(menuID);
  if (!sp_platform::menus::ItemCanBeChosen(menu, item)) return result;
  result.chosen = true;
  result.status = sp_platform::menus::SendItemCommand(menu, item, modifiers);
  return result;
}

PumpResult PressCommandKey(UInt8 charCode, UInt32 extraModifiers, const char* file, int line) {
  UInt32 modifiers = cmdKey | extraModifiers;
  UInt8 keyCode = KeyCodeOf(charCode);
  UInt32 held = GetCurrentKeyModifiers();
  SetModifierKeys(modifiers);
  PostKeyDown(charCode, keyCode, modifiers);
  PostKeyUp(charCode, keyCode, modifiers);
  PumpResult result = PumpPending(file, line);
  SetModifierKeys(held);
  return result;
}

void SetNextMenuSelect(MenuID menuID, MenuItemIndex item) {
  sp_platform::menus::BarState().nextMenuSelect = Choice(menuID, item);
}

void SetNextPopUpMenuSelect(MenuID menuID, MenuItemIndex item) {
  sp_platform::menus::BarState().nextPopUpSelect = Choice(menuID, item);
}

PopUpRequest LastPopUpRequest() {
  const sp_platform::menus::MenuBarState& state = sp_platform::menus::BarState();
  return PopUpRequest{state.popUpMenu, state.popUpTop, state.popUpLeft, state.popUpItem,
                      state.popUpCount};
}

void ResetMenus() {
  sp_platform::menus::ResetMenuManager();
}

std::vector<UInt8> MakeMenuResource(MenuID id, const std::string& title,
                                    const std::vector<MenuResourceItem>& items, bool menuEnabled) {
  sp::ByteWriter out;
  out.BE16(UInt16(id));
  out.BE16(0);  // width
  out.BE16(0);  // height
  out.BE16(0);  // definition: the standard one
  out.BE16(0);  // filler
  UInt32 flags = menuEnabled ? 1u : 0u;
  for (std::size_t i = 0; i < items.size() && i < 31; ++i) {
    if (items[i].enabled) flags |= 1u << (i + 1);
  }
  out.BE32(flags);
  auto pascal = [&out](const std::string& s) {
    std::size_t n = s.size() > 255 ? 255 : s.size();
    out.U8(UInt8(n));
    out.Bytes(s.data(), n);
  };
  pascal(title);
  for (const MenuResourceItem& item : items) {
    pascal(item.text);
    out.U8(item.icon);
    out.U8(item.keyEquivalent);
    out.U8(item.mark);
    out.U8(item.style);
  }
  out.U8(0);
  return out.Data();
}

std::vector<UInt8> MakeMenuBarResource(const std::vector<MenuID>& menuIDs) {
  sp::ByteWriter out;
  out.BE16(UInt16(menuIDs.size()));
  for (MenuID id : menuIDs) out.BE16(UInt16(id));
  return out.Data();
}

}  // namespace sp_testing
