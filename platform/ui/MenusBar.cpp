// Menu Manager: the menu list, menu bars, the application menu, key equivalents, choosing and
// the command events (see Menus.h).
#include <algorithm>
#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "CarbonEvents.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "Menus.h"
#include "Resources.h"
#include "SpTextCodec.h"
#include "base/internal/Process.h"
#include "ui/detail/MenuRecord.h"

using sp_platform::menus::ItemOf;
using sp_platform::menus::Live;
using sp_platform::menus::MenuItemRecord;

namespace {

struct MenuList {
  std::vector<MenuRef> bar;           // left to right
  std::vector<MenuRef> hierarchical;  // in the order inserted
  MenuRef applicationMenu = nullptr;
  sp_platform::menus::MenuBarState state;
};

MenuList& List() {
  static MenuList* list = new MenuList;  // lives to the end of the program
  return *list;
}

// "終了" (quit), the application menu's one item.
const unsigned char kQuitItemText[] = "\x04\x8F\x49\x97\xB9";

// A menu-bar handle holds this mark, the number of bar menus and of hierarchical menus (two
// UInt32), then the MenuRefs: it never leaves the process, so the references are stored as
// they are.
constexpr UInt32 kMenuBarMark = SpFourCC("mbar");
constexpr std::size_t kMenuBarHeader = 12;

MenuRef FindIn(const std::vector<MenuRef>& list, MenuID id) {
  for (MenuRef menu : list) {
    if (GetMenuID(menu) == id) return menu;
  }
  return nullptr;
}

bool InMenuList(MenuID id) {
  return FindIn(List().bar, id) != nullptr || FindIn(List().hierarchical, id) != nullptr;
}

MenuBarHandle MakeMenuBarHandle(const std::vector<MenuRef>& bar,
                                const std::vector<MenuRef>& hierarchical) {
  std::size_t count = bar.size() + hierarchical.size();
  Handle h = NewHandle(Size(kMenuBarHeader + count * sizeof(MenuRef)));
  if (h == nullptr) return nullptr;
  UInt8* p = reinterpret_cast<UInt8*>(*h);
  sp::StoreBE32(p, kMenuBarMark);
  UInt32 n = UInt32(bar.size());
  UInt32 m = UInt32(hierarchical.size());
  std::memcpy(p + 4, &n, 4);
  std::memcpy(p + 8, &m, 4);
  p += kMenuBarHeader;
  for (MenuRef menu : bar) {
    std::memcpy(p, &menu, sizeof menu);
    p += sizeof menu;
  }
  for (MenuRef menu : hierarchical) {
    std::memcpy(p, &menu, sizeof menu);
    p += sizeof menu;
  }
  return h;
}

// The lists of a menu-bar handle, leaving out menus disposed of meanwhile and repeated ids;
// false for anything that is not such a handle.
bool ReadMenuBarHandle(MenuBarHandle h, std::vector<MenuRef>* bar,
                       std::vector<MenuRef>* hierarchical) {
  if (h == nullptr || *h == nullptr) return false;
  std::size_t size = std::size_t(GetHandleSize(h));
  if (size < kMenuBarHeader) return false;
  const UInt8* p = reinterpret_cast<const UInt8*>(*h);
  if (sp::LoadBE32(p) != kMenuBarMark) return false;
  UInt32 n = 0;
  UInt32 m = 0;
  std::memcpy(&n, p + 4, 4);
  std::memcpy(&m, p + 8, 4);
  if ((size - kMenuBarHeader) / sizeof(MenuRef) != std::size_t(n) + m ||
      (size - kMenuBarHeader) % sizeof(MenuRef) != 0) {
    return false;
  }
  p += kMenuBarHeader;
  bar->clear();
  hierarchical->clear();
  for (UInt32 i = 0; i < n + m; ++i) {
    MenuRef menu = nullptr;
    std::memcpy(&menu, p + i * sizeof menu, sizeof menu);
    if (Live(menu) == nullptr) continue;
    MenuID id = GetMenuID(menu);
    if (FindIn(*bar, id) != nullptr || FindIn(*hierarchical, id) != nullptr) continue;
    (i < n ? bar : hierarchical)->push_back(menu);
  }
  return true;
}

// The executable's name, MacJapanese, at most 255 bytes: the application menu's title.
std::string ApplicationName() {
  const std::string& path = sp_platform::ExecutablePath();
  std::string name = path.substr(path.find_last_of('/') + 1);
  std::string mac;
  sp::text::UTF8ToMacJapanese(name, mac, '?');
  std::size_t end = 0;
  while (end < mac.size()) {
    UInt8 b = UInt8(mac[end]);
    std::size_t step = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
    if (end + step > 255) break;
    end += step;
  }
  return mac.substr(0, std::min(end, mac.size()));
}

UInt8 Upper(UInt8 c) {
  return (c >= 'a' && c <= 'z') ? UInt8(c - 'a' + 'A') : c;
}

bool IsLetter(UInt8 c) {
  return Upper(c) >= 'A' && Upper(c) <= 'Z';
}

// Whether the key with these modifiers (event modifier bits) is the item's key equivalent.
// Shift must be as the item asks for letters; other characters are typed with or without
// Shift, so there it only counts when the item asks for it.
bool KeyMatches(const MenuItemRecord& item, UInt8 ch, UInt32 modifiers) {
  UInt8 key = item.keyEquivalent;
  if (key < 0x20) return false;  // none, hierarchical, or another special code
  if (Upper(key) != Upper(ch)) return false;
  bool needsCommand = (item.modifiers & kMenuNoCommandModifier) == 0;
  if (((modifiers & cmdKey) != 0) != needsCommand) return false;
  if (((modifiers & optionKey) != 0) != ((item.modifiers & kMenuOptionModifier) != 0)) {
    return false;
  }
  if (((modifiers & controlKey) != 0) != ((item.modifiers & kMenuControlModifier) != 0)) {
    return false;
  }
  bool shiftHeld = (modifiers & shiftKey) != 0;
  bool shiftWanted = (item.modifiers & kMenuShiftModifier) != 0;
  if (IsLetter(ch) || shiftWanted) return shiftHeld == shiftWanted;
  return true;
}

// The menus a key equivalent or a choice can reach, in search order.
std::vector<MenuRef> SearchOrder() {
  std::vector<MenuRef> order;
  MenuRef app = sp_platform::menus::ApplicationMenu();
  if (app != nullptr) order.push_back(app);
  order.insert(order.end(), List().bar.begin(), List().bar.end());
  order.insert(order.end(), List().hierarchical.begin(), List().hierarchical.end());
  return order;
}

// The bar menu whose title shows a choice in menu `id`: the menu itself, or the bar menu from
// which a chain of hierarchical items leads to it; 0 when none.
MenuID TitleFor(MenuID id) {
  MenuRef app = sp_platform::menus::ApplicationMenu();
  if (app != nullptr && id == kSpApplicationMenuID) return id;
  for (MenuRef top : List().bar) {
    std::vector<MenuID> seen;
    std::vector<MenuRef> pending = {top};
    while (!pending.empty()) {
      MenuRef menu = pending.back();
      pending.pop_back();
      MenuID mid = GetMenuID(menu);
      if (std::find(seen.begin(), seen.end(), mid) != seen.end()) continue;
      seen.push_back(mid);
      if (mid == id) return GetMenuID(top);
      OpaqueMenuRef* record = Live(menu);
      for (const MenuItemRecord& item : record->items) {
        if (!item.IsHierarchical()) continue;
        MenuRef sub = FindIn(List().hierarchical, item.mark);
        if (sub != nullptr) pending.push_back(sub);
      }
    }
  }
  return 0;
}

SInt32 Choice(MenuID id, MenuItemIndex item) {
  return SInt32((UInt32(UInt16(id)) << 16) | item);
}

MenuID ChoiceMenu(SInt32 choice) {
  return MenuID(UInt32(choice) >> 16);
}

MenuItemIndex ChoiceItem(SInt32 choice) {
  return MenuItemIndex(UInt32(choice) & 0xFFFF);
}

// The key equivalent's choice with these modifiers, the title highlighted; 0 when none.
SInt32 KeyChoice(UInt8 ch, UInt32 modifiers) {
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  if (!sp_platform::menus::FindKeyEquivalent(ch, modifiers, &menu, &item)) return 0;
  MenuID id = GetMenuID(menu);
  List().state.hilited = TitleFor(id);
  return Choice(id, item);
}

}  // namespace

// ---- Shared with the rest of the layer ----

namespace sp_platform {
namespace menus {

const std::vector<MenuRef>& BarMenus() {
  return List().bar;
}

const std::vector<MenuRef>& HierarchicalMenus() {
  return List().hierarchical;
}

void RemoveFromMenuList(MenuRef menu) {
  MenuList& list = List();
  list.bar.erase(std::remove(list.bar.begin(), list.bar.end(), menu), list.bar.end());
  list.hierarchical.erase(std::remove(list.hierarchical.begin(), list.hierarchical.end(), menu),
                          list.hierarchical.end());
  if (list.applicationMenu == menu) list.applicationMenu = nullptr;
  if (list.state.popUpMenu == menu) list.state.popUpMenu = nullptr;
}

bool HasApplicationMenu() {
  SInt32 response = 0;
  return Gestalt(gestaltMenuMgrAttr, &response) == noErr && (response & 0x2) != 0;
}

MenuRef ApplicationMenu() {
  if (!HasApplicationMenu()) return nullptr;
  MenuList& list = List();
  if (list.applicationMenu == nullptr) {
    Str255 title;
    std::string name = ApplicationName();
    title[0] = UInt8(name.size());
    if (!name.empty()) std::memcpy(title + 1, name.data(), name.size());
    MenuRef menu = NewMenu(kSpApplicationMenuID, title);
    if (menu == nullptr) return nullptr;
    AppendMenuItemText(menu, kQuitItemText);
    SetItemCmd(menu, 1, 'Q');
    SetMenuItemCommandID(menu, 1, kHICommandQuit);
    list.applicationMenu = menu;
  }
  return list.applicationMenu;
}

MenuRef ShownMenu(MenuID menuID) {
  MenuRef app = ApplicationMenu();
  if (app != nullptr && menuID == kSpApplicationMenuID) return app;
  MenuRef menu = FindIn(List().bar, menuID);
  return menu ? menu : FindIn(List().hierarchical, menuID);
}

bool ItemCanBeChosen(MenuRef menu, MenuItemIndex item) {
  OpaqueMenuRef* record = Live(menu);
  MenuItemRecord* it = ItemOf(menu, item);
  return record != nullptr && it != nullptr && record->enabled && it->enabled && !it->separator;
}

bool FindKeyEquivalent(UInt8 ch, UInt32 modifiers, MenuRef* outMenu, MenuItemIndex* outItem) {
  for (MenuRef menu : SearchOrder()) {
    OpaqueMenuRef* record = Live(menu);
    if (record == nullptr || !record->enabled) continue;
    for (std::size_t i = 0; i < record->items.size(); ++i) {
      const MenuItemRecord& item = record->items[i];
      if (!item.enabled || item.separator || !KeyMatches(item, ch, modifiers)) continue;
      if (outMenu != nullptr) *outMenu = menu;
      if (outItem != nullptr) *outItem = MenuItemIndex(i + 1);
      return true;
    }
  }
  return false;
}

OSStatus SendItemCommand(MenuRef menu, MenuItemIndex item, UInt32 modifiers) {
  MenuItemRecord* it = ItemOf(menu, item);
  if (it == nullptr) return paramErr;
  HICommand command = {};
  command.attributes = kHICommandFromMenu;
  command.commandID = it->commandID;
  command.menu.menuRef = menu;
  command.menu.menuItemIndex = item;
  EventRef event = nullptr;
  OSStatus err = CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0,
                             kEventAttributeUserEvent, &event);
  if (err != noErr) return err;
  err = SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  if (err == noErr) {
    err =
        SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  }
  if (err == noErr) {
    EventTargetRef target = GetMenuEventTarget(menu);
    if (target == nullptr) target = GetApplicationEventTarget();
    err = SendEventToEventTarget(event, target);
  }
  ReleaseEvent(event);
  return err;
}

OSStatus HandleCommandKey(UInt8 ch, UInt32 modifiers) {
  if ((modifiers & cmdKey) == 0) return eventNotHandledErr;
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  if (!FindKeyEquivalent(ch, modifiers, &menu, &item)) return eventNotHandledErr;
  // The key was the item's: it is taken whether or not someone takes the command.
  SendItemCommand(menu, item, modifiers);
  return noErr;
}

MenuBarState& BarState() {
  return List().state;
}

void ResetMenuManager() {
  DisposeAllMenus();
  MenuList& list = List();
  list.bar.clear();
  list.hierarchical.clear();
  list.applicationMenu = nullptr;
  list.state = MenuBarState();
  SetLiveMenuTracking(false);
}

}  // namespace menus
}  // namespace sp_platform

// ---- The menu list ----

MenuRef GetMenuHandle(MenuID menuID) {
  MenuRef menu = FindIn(List().bar, menuID);
  return menu ? menu : FindIn(List().hierarchical, menuID);
}

void InsertMenu(MenuRef theMenu, MenuID beforeID) {
  if (Live(theMenu) == nullptr) return;
  MenuID id = GetMenuID(theMenu);
  if (InMenuList(id)) return;
  MenuList& list = List();
  if (beforeID == hierMenu) {
    list.hierarchical.push_back(theMenu);
    return;
  }
  auto at = list.bar.end();
  if (beforeID != 0) {
    at = std::find_if(list.bar.begin(), list.bar.end(),
                      [beforeID](MenuRef m) { return GetMenuID(m) == beforeID; });
  }
  list.bar.insert(at, theMenu);
}

void DeleteMenu(MenuID menuID) {
  MenuList& list = List();
  MenuRef menu = FindIn(list.bar, menuID);
  if (menu != nullptr) {
    list.bar.erase(std::find(list.bar.begin(), list.bar.end(), menu));
  } else {
    menu = FindIn(list.hierarchical, menuID);
    if (menu == nullptr) return;
    list.hierarchical.erase(std::find(list.hierarchical.begin(), list.hierarchical.end(), menu));
  }
  if (list.state.hilited == menuID) list.state.hilited = 0;
}

// ---- Menu bars ----

MenuBarHandle GetNewMBar(SInt16 menuBarID) {
  Handle resource = GetResource(SpFourCC("MBAR"), menuBarID);
  if (resource == nullptr || *resource == nullptr) return nullptr;
  sp::ByteReader in(*resource, std::size_t(GetHandleSize(resource)));
  SInt16 count = in.SBE16();
  if (!in.Ok() || count < 0 || !in.Has(std::size_t(count) * 2)) return nullptr;
  std::vector<SInt16> ids;
  for (SInt16 i = 0; i < count; ++i) ids.push_back(in.SBE16());
  std::vector<MenuRef> menus;
  for (SInt16 id : ids) {
    MenuRef menu = GetMenu(id);
    if (menu == nullptr) return nullptr;
    if (FindIn(menus, GetMenuID(menu)) == nullptr) menus.push_back(menu);
  }
  return MakeMenuBarHandle(menus, {});
}

void SetMenuBar(MenuBarHandle mbar) {
  std::vector<MenuRef> bar;
  std::vector<MenuRef> hierarchical;
  if (!ReadMenuBarHandle(mbar, &bar, &hierarchical)) return;
  MenuList& list = List();
  list.bar = bar;
  list.hierarchical = hierarchical;
  if (list.state.hilited != 0 && !InMenuList(list.state.hilited)) list.state.hilited = 0;
}

MenuBarHandle GetMenuBar() {
  return MakeMenuBarHandle(List().bar, List().hierarchical);
}

OSStatus DisposeMenuBar(MenuBarHandle mbar) {
  if (mbar == nullptr) return paramErr;
  DisposeHandle(mbar);
  return noErr;
}

void ClearMenuBar() {
  MenuList& list = List();
  list.bar.clear();
  list.hierarchical.clear();
  list.state.hilited = 0;
}

void DrawMenuBar() {
  List().state.drawCount += 1;
  List().state.invalid = false;
}

void InvalMenuBar() {
  List().state.invalid = true;
}

void HiliteMenu(MenuID menuID) {
  if (menuID != 0 && TitleFor(menuID) != menuID) return;  // not a title of the bar
  List().state.hilited = menuID;
}

// ---- Choosing ----

SInt32 MenuSelect(Point startPt) {
  if (sp_platform::menus::LiveMenuTracking()) return sp_platform::menus::TrackMenuBar(startPt);
  sp_platform::menus::MenuBarState& state = List().state;
  SInt32 choice = state.nextMenuSelect;
  state.nextMenuSelect = 0;
  MenuID id = ChoiceMenu(choice);
  if (choice == 0 ||
      !sp_platform::menus::ItemCanBeChosen(sp_platform::menus::ShownMenu(id), ChoiceItem(choice))) {
    return 0;
  }
  state.hilited = TitleFor(id);
  return choice;
}

namespace {

SInt32 PopUpMenuFrom(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem, const Point* press) {
  if (Live(menu) == nullptr) return 0;
  sp_platform::menus::MenuBarState& state = List().state;
  state.popUpMenu = menu;
  state.popUpTop = top;
  state.popUpLeft = left;
  state.popUpItem = popUpItem;
  state.popUpCount += 1;
  if (sp_platform::menus::LiveMenuTracking()) {
    return sp_platform::menus::TrackPopUpMenu(menu, top, left, popUpItem, press);
  }
  SInt32 choice = state.nextPopUpSelect;
  state.nextPopUpSelect = 0;
  MenuID id = ChoiceMenu(choice);
  MenuRef chosen = (GetMenuID(menu) == id) ? menu : sp_platform::menus::ShownMenu(id);
  if (choice == 0 || !sp_platform::menus::ItemCanBeChosen(chosen, ChoiceItem(choice))) return 0;
  return choice;
}

}  // namespace

SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem) {
  return PopUpMenuFrom(menu, top, left, popUpItem, nullptr);
}

SInt32 sp_platform::menus::PopUpMenuSelectForPress(MenuRef menu, SInt16 top, SInt16 left,
                                                   SInt16 popUpItem, Point press) {
  return PopUpMenuFrom(menu, top, left, popUpItem, &press);
}

SInt32 MenuKey(CharParameter ch) {
  return KeyChoice(UInt8(ch), GetCurrentKeyModifiers() | cmdKey);
}

UInt32 MenuEvent(const EventRecord* inEvent) {
  if (inEvent == nullptr) return 0;
  if (inEvent->what != keyDown && inEvent->what != autoKey) return 0;
  if ((inEvent->modifiers & cmdKey) == 0) return 0;
  return UInt32(KeyChoice(UInt8(inEvent->message & 0xFF), inEvent->modifiers));
}
