// Menu Manager: the menu records, their items, metacharacters, 'MENU' resources and sizes
// (see Menus.h). The menu list, menu bars and choosing are in MenusBar.cpp.
#include "Menus.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "Resources.h"
#include "events/internal/EventLoop.h"
#include "quickdraw/internal/FontTable.h"
#include "ui/detail/MenuRecord.h"

using sp_platform::menus::MenuItemRecord;

namespace {

// ---- Fixed metrics, until menus measure their text ----
constexpr int kCharWidth = 7;     // one byte of text
constexpr int kMarkColumn = 14;   // the mark, left of the text
constexpr int kIconWidth = 20;    // an item's icon
constexpr int kKeyColumn = 30;    // the Command glyph and the key
constexpr int kArrowColumn = 14;  // the sub-menu arrow
constexpr int kRightMargin = 14;
constexpr int kItemHeight = 18;
constexpr int kSeparatorHeight = 9;

struct Registry {
  std::unordered_map<OpaqueMenuRef*, std::unique_ptr<OpaqueMenuRef>> menus;
};

Registry& Reg() {
  static Registry* registry = new Registry;  // lives to the end of the program
  return *registry;
}

// A byte that begins a two-byte MacJapanese character.
bool IsLeadByte(UInt8 b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string FromPascal(ConstStr255Param s) {
  if (s == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

void ToPascal(const std::string& text, Str255 out) {
  std::size_t n = std::min<std::size_t>(text.size(), 255);
  out[0] = UInt8(n);
  if (n != 0) std::memcpy(out + 1, text.data(), n);
}

// At most 255 bytes, never ending in the middle of a two-byte character.
std::string CutTo255(const std::string& text) {
  if (text.size() <= 255) return text;
  std::size_t end = 0;
  while (end < 255) {
    std::size_t step = (IsLeadByte(UInt8(text[end])) && end + 1 < text.size()) ? 2 : 1;
    if (end + step > 255) break;
    end += step;
  }
  return text.substr(0, end);
}

// An item made with a text that begins with '-' is a separator line; it stays one (and an
// item made otherwise stays a text item) whatever text it is given later.
void MarkSeparator(MenuItemRecord& item) {
  if (!item.text.empty() && item.text[0] == '-') {
    item.separator = true;
    item.enabled = false;
  }
}

Style StyleOfLetter(UInt8 c) {
  switch (c) {
    case 'B':
      return bold;
    case 'I':
      return italic;
    case 'U':
      return underline;
    case 'O':
      return outline;
    case 'S':
      return shadow;
    case 'C':
      return condense;
    case 'E':
      return extend;
    default:
      return normal;
  }
}

// The items that AppendMenu's metacharacters describe (see Menus.h). Segments left without
// text make no item.
std::vector<MenuItemRecord> ParseMetacharacters(ConstStr255Param data) {
  std::vector<MenuItemRecord> items;
  if (data == nullptr) return items;
  const UInt8* p = data + 1;
  const std::size_t len = data[0];
  MenuItemRecord item;
  auto finish = [&]() {
    if (!item.text.empty()) {
      MarkSeparator(item);
      items.push_back(item);
    }
    item = MenuItemRecord();
  };
  std::size_t i = 0;
  while (i < len) {
    UInt8 c = p[i];
    bool hasNext = i + 1 < len;
    if (IsLeadByte(c) && hasNext) {
      item.text.push_back(char(c));
      item.text.push_back(char(p[i + 1]));
      i += 2;
      continue;
    }
    switch (c) {
      case ';':
      case 0x0D:
        finish();
        i += 1;
        break;
      case '^':
      case '!':
      case '/':
      case '<':
        if (hasNext) {
          UInt8 arg = p[i + 1];
          if (c == '^') item.icon = UInt8(arg - '0');
          if (c == '!') item.mark = arg;
          if (c == '/') item.keyEquivalent = arg;
          if (c == '<') item.style = Style(item.style | StyleOfLetter(arg));
          i += 2;
        } else {
          i += 1;
        }
        break;
      case '(':
        item.enabled = false;
        i += 1;
        break;
      default:
        item.text.push_back(char(c));
        i += 1;
        break;
    }
  }
  finish();
  return items;
}

// Puts the items in after item `after` (0: at the top; past the end: at the end), as many as
// fit under the item limit.
void InsertItems(OpaqueMenuRef* menu, std::vector<MenuItemRecord> items, long after) {
  if (menu == nullptr || items.empty()) return;
  std::size_t room = sp_platform::menus::kMaxMenuItems -
                     std::min(menu->items.size(), sp_platform::menus::kMaxMenuItems);
  if (items.size() > room) items.resize(room);
  if (items.empty()) return;
  std::size_t at = (after <= 0) ? 0 : std::min<std::size_t>(std::size_t(after), menu->items.size());
  menu->items.insert(menu->items.begin() + long(at), items.begin(), items.end());
  sp_platform::menus::SizesChanged(menu);
}

MenuRef Adopt(std::unique_ptr<OpaqueMenuRef> record) {
  OpaqueMenuRef* raw = record.get();
  Reg().menus[raw] = std::move(record);
  return raw;
}

// A menu from 'MENU' bytes (see Menus.h); null when they are malformed.
std::unique_ptr<OpaqueMenuRef> ParseMenuResource(const void* bytes, std::size_t size) {
  sp::ByteReader in(bytes, size);
  std::unique_ptr<OpaqueMenuRef> menu(new (std::nothrow) OpaqueMenuRef);
  if (!menu) return nullptr;
  menu->id = in.SBE16();
  in.SBE16();  // width and height: computed here
  in.SBE16();
  menu->procID = in.SBE16();
  in.BE16();  // filler
  UInt32 enableFlags = in.BE32();
  unsigned char title[256];
  if (!in.PascalString(title) || !in.Ok()) return nullptr;
  menu->title = FromPascal(title);
  menu->enabled = (enableFlags & 1u) != 0;
  for (;;) {
    if (!in.Has(1)) return nullptr;  // no end byte
    unsigned char text[256];
    if (!in.PascalString(text)) return nullptr;
    if (text[0] == 0) break;
    if (menu->items.size() >= sp_platform::menus::kMaxMenuItems) return nullptr;
    MenuItemRecord item;
    item.text = FromPascal(text);
    item.icon = in.U8();
    item.keyEquivalent = in.U8();
    item.mark = in.U8();
    item.style = Style(in.U8() & 0x7F);
    if (!in.Ok()) return nullptr;
    std::size_t number = menu->items.size() + 1;
    item.enabled = (number > 31) || (enableFlags & (1u << number)) != 0;
    MarkSeparator(item);
    menu->items.push_back(item);
  }
  return menu;
}

// The fixed-metric sizes (see Menus.h).
SInt16 ComputeWidth(const OpaqueMenuRef& menu) {
  int widest = 0;
  for (const MenuItemRecord& item : menu.items) {
    if (item.separator) continue;
    int w = kMarkColumn + kCharWidth * int(item.text.size()) + kRightMargin;
    if (item.icon != 0) w += kIconWidth;
    if (item.IsHierarchical()) {
      w += kArrowColumn;
    } else if (item.keyEquivalent >= 0x20) {
      w += kKeyColumn;
    }
    widest = std::max(widest, w);
  }
  return SInt16(std::min(widest, 32767));
}

SInt16 ComputeHeight(const OpaqueMenuRef& menu) {
  long height = 0;
  for (const MenuItemRecord& item : menu.items) {
    height += item.separator ? kSeparatorHeight : kItemHeight;
  }
  return SInt16(std::min<long>(height, 32767));
}

// The names of the resources of the type in the chain, from the current file down to the
// system file, sorted, each once, without those beginning with '.' or '%'.
std::vector<std::string> ResourceNames(ResType type) {
  std::vector<std::string> names;
  if (type == SpFourCC("FONT") || type == SpFourCC("FOND")) {
    for (const sp_platform::InstalledFontFamily& family : sp_platform::InstalledFontFamilies()) {
      names.push_back(CutTo255(family.name));
    }
  } else {
    SInt16 count = CountResources(type);
    for (SInt16 index = 1; index <= count; ++index) {
      Handle h = GetIndResource(type, index);
      if (h == nullptr) continue;
      Str255 name = {0};
      GetResInfo(h, nullptr, nullptr, name);
      if (name[0] != 0) names.push_back(FromPascal(name));
    }
  }
  names.erase(
      std::remove_if(names.begin(), names.end(),
                     [](const std::string& n) { return n.empty() || n[0] == '.' || n[0] == '%'; }),
      names.end());
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

void InsertResourceNames(MenuRef theMenu, ResType theType, long after) {
  OpaqueMenuRef* menu = sp_platform::menus::Live(theMenu);
  if (menu == nullptr) return;
  std::vector<MenuItemRecord> items;
  for (const std::string& name : ResourceNames(theType)) {
    MenuItemRecord item;
    item.text = name;
    items.push_back(item);
  }
  InsertItems(menu, std::move(items), after);
}

}  // namespace

// ---- Shared with the rest of the Menu Manager ----

namespace sp_platform {
namespace menus {

OpaqueMenuRef* Live(MenuRef menu) {
  if (menu == nullptr) return nullptr;
  auto it = Reg().menus.find(menu);
  return (it == Reg().menus.end()) ? nullptr : it->second.get();
}

bool MenuFactsOf(MenuRef menu, MenuFacts* out) {
  const OpaqueMenuRef* m = Live(menu);
  if (m == nullptr || out == nullptr) return false;
  out->id = m->id;
  out->title = m->title;
  out->enabled = m->enabled;
  out->items = m->items;
  return true;
}

MenuItemRecord* ItemOf(MenuRef menu, long item) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr || item < 1 || std::size_t(item) > m->items.size()) return nullptr;
  return &m->items[std::size_t(item) - 1];
}

void SizesChanged(OpaqueMenuRef* menu) {
  if (menu == nullptr) return;
  menu->widthValid = false;
  menu->heightValid = false;
}

void DisposeAllMenus() {
  std::vector<MenuRef> all;
  for (auto& entry : Reg().menus) all.push_back(entry.first);
  for (MenuRef menu : all) DisposeMenu(menu);
}

}  // namespace menus
}  // namespace sp_platform

using sp_platform::menus::ItemOf;
using sp_platform::menus::Live;

// ---- Menus ----

MenuRef NewMenu(MenuID menuID, ConstStr255Param menuTitle) {
  std::unique_ptr<OpaqueMenuRef> menu(new (std::nothrow) OpaqueMenuRef);
  if (!menu) return nullptr;
  menu->id = menuID;
  menu->title = FromPascal(menuTitle);
  return Adopt(std::move(menu));
}

MenuRef GetMenu(SInt16 resourceID) {
  for (auto& entry : Reg().menus) {
    if (entry.second->fromResource && entry.second->resourceID == resourceID) return entry.first;
  }
  Handle h = GetResource(SpFourCC("MENU"), resourceID);
  if (h == nullptr || *h == nullptr) return nullptr;
  std::unique_ptr<OpaqueMenuRef> menu = ParseMenuResource(*h, std::size_t(GetHandleSize(h)));
  if (!menu) return nullptr;
  menu->fromResource = true;
  menu->resourceID = resourceID;
  return Adopt(std::move(menu));
}

void DisposeMenu(MenuRef theMenu) {
  auto it = Reg().menus.find(theMenu);
  if (it == Reg().menus.end()) return;
  sp_platform::menus::RemoveFromMenuList(theMenu);
  sp_platform::DisposeObjectEventTarget(theMenu);
  Reg().menus.erase(it);
}

MenuID GetMenuID(MenuRef menu) {
  OpaqueMenuRef* m = Live(menu);
  return m ? m->id : 0;
}

UInt16 CountMenuItems(MenuRef theMenu) {
  OpaqueMenuRef* m = Live(theMenu);
  return m ? UInt16(m->items.size()) : 0;
}

OSStatus SetMenuTitle(MenuRef menu, ConstStr255Param title) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr || title == nullptr) return paramErr;
  m->title = FromPascal(title);
  return noErr;
}

StringPtr GetMenuTitle(MenuRef menu, Str255 title) {
  if (title == nullptr) return nullptr;
  OpaqueMenuRef* m = Live(menu);
  ToPascal(m ? m->title : std::string(), title);
  return title;
}

// ---- Items ----

void AppendMenu(MenuRef menu, ConstStr255Param data) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr) return;
  InsertItems(m, ParseMetacharacters(data), long(m->items.size()));
}

void InsertMenuItem(MenuRef theMenu, ConstStr255Param itemString, SInt16 afterItem) {
  InsertItems(Live(theMenu), ParseMetacharacters(itemString), afterItem);
}

OSStatus AppendMenuItemText(MenuRef menu, ConstStr255Param inString) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr) return paramErr;
  return InsertMenuItemText(menu, inString, MenuItemIndex(m->items.size()));
}

OSStatus InsertMenuItemText(MenuRef menu, ConstStr255Param inString, MenuItemIndex afterItem) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr || inString == nullptr) return paramErr;
  if (m->items.size() >= sp_platform::menus::kMaxMenuItems) return memFullErr;
  MenuItemRecord item;
  item.text = FromPascal(inString);
  InsertItems(m, {item}, afterItem);
  return noErr;
}

void DeleteMenuItem(MenuRef theMenu, SInt16 item) {
  OpaqueMenuRef* m = Live(theMenu);
  if (ItemOf(theMenu, item) == nullptr) return;
  m->items.erase(m->items.begin() + (item - 1));
  sp_platform::menus::SizesChanged(m);
}

void AppendResMenu(MenuRef theMenu, ResType theType) {
  OpaqueMenuRef* m = Live(theMenu);
  if (m == nullptr) return;
  InsertResourceNames(theMenu, theType, long(m->items.size()));
}

void InsertResMenu(MenuRef theMenu, ResType theType, SInt16 afterItem) {
  InsertResourceNames(theMenu, theType, afterItem);
}

void GetMenuItemText(MenuRef theMenu, SInt16 item, Str255 itemString) {
  if (itemString == nullptr) return;
  MenuItemRecord* it = ItemOf(theMenu, item);
  ToPascal(it ? it->text : std::string(), itemString);
}

void SetMenuItemText(MenuRef theMenu, SInt16 item, ConstStr255Param itemString) {
  MenuItemRecord* it = ItemOf(theMenu, item);
  if (it == nullptr || itemString == nullptr) return;
  it->text = FromPascal(itemString);
  sp_platform::menus::SizesChanged(Live(theMenu));
}

void EnableMenuItem(MenuRef theMenu, MenuItemIndex item) {
  OpaqueMenuRef* m = Live(theMenu);
  if (m == nullptr) return;
  if (item == 0) {
    m->enabled = true;
    return;
  }
  MenuItemRecord* it = ItemOf(theMenu, item);
  if (it != nullptr && !it->separator) it->enabled = true;
}

void DisableMenuItem(MenuRef theMenu, MenuItemIndex item) {
  OpaqueMenuRef* m = Live(theMenu);
  if (m == nullptr) return;
  if (item == 0) {
    m->enabled = false;
    return;
  }
  MenuItemRecord* it = ItemOf(theMenu, item);
  if (it != nullptr) it->enabled = false;
}

Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr) return false;
  if (item == 0) return m->enabled;
  MenuItemRecord* it = ItemOf(menu, item);
  return it != nullptr && it->enabled && !it->separator;
}

void SetItemMark(MenuRef theMenu, SInt16 item, CharParameter markChar) {
  MenuItemRecord* it = ItemOf(theMenu, item);
  if (it != nullptr) it->mark = markChar;
}

void GetItemMark(MenuRef theMenu, SInt16 item, CharParameter* markChar) {
  if (markChar == nullptr) return;
  MenuItemRecord* it = ItemOf(theMenu, item);
  *markChar = it ? it->mark : CharParameter(noMark);
}

void CheckMenuItem(MenuRef theMenu, SInt16 item, Boolean checked) {
  SetItemMark(theMenu, item, checked ? CharParameter(checkMark) : CharParameter(noMark));
}

void SetItemStyle(MenuRef theMenu, SInt16 item, StyleParameter chStyle) {
  MenuItemRecord* it = ItemOf(theMenu, item);
  if (it == nullptr) return;
  it->style = Style(chStyle & 0x7F);
  sp_platform::menus::SizesChanged(Live(theMenu));
}

void GetItemStyle(MenuRef theMenu, SInt16 item, Style* chStyle) {
  if (chStyle == nullptr) return;
  MenuItemRecord* it = ItemOf(theMenu, item);
  *chStyle = it ? it->style : Style(normal);
}

void SetItemCmd(MenuRef theMenu, SInt16 item, CharParameter cmdChar) {
  MenuItemRecord* it = ItemOf(theMenu, item);
  if (it == nullptr) return;
  it->keyEquivalent = UInt8(cmdChar);
  sp_platform::menus::SizesChanged(Live(theMenu));
}

void GetItemCmd(MenuRef theMenu, SInt16 item, CharParameter* cmdChar) {
  if (cmdChar == nullptr) return;
  MenuItemRecord* it = ItemOf(theMenu, item);
  *cmdChar = it ? CharParameter(it->keyEquivalent) : CharParameter(0);
}

void SetItemIcon(MenuRef theMenu, SInt16 item, SInt16 iconIndex) {
  MenuItemRecord* it = ItemOf(theMenu, item);
  if (it == nullptr) return;
  it->icon = UInt8(iconIndex);
  sp_platform::menus::SizesChanged(Live(theMenu));
}

void GetItemIcon(MenuRef theMenu, SInt16 item, SInt16* iconIndex) {
  if (iconIndex == nullptr) return;
  MenuItemRecord* it = ItemOf(theMenu, item);
  *iconIndex = it ? SInt16(it->icon) : SInt16(0);
}

namespace {

// The item for the Carbon property calls: paramErr for an invalid menu, menuItemNotFoundErr
// for an item out of range.
OSErr PropertyItem(MenuRef menu, SInt16 item, MenuItemRecord** out) {
  *out = nullptr;
  if (Live(menu) == nullptr) return paramErr;
  *out = ItemOf(menu, item);
  return (*out == nullptr) ? OSErr(menuItemNotFoundErr) : OSErr(noErr);
}

// The plain property calls: one field of the item written or read.
template <typename T>
OSErr SetItemProperty(MenuRef menu, SInt16 item, T MenuItemRecord::*field, T value) {
  MenuItemRecord* it = nullptr;
  OSErr err = PropertyItem(menu, item, &it);
  if (err == noErr) it->*field = value;
  return err;
}

template <typename T>
OSErr GetItemProperty(MenuRef menu, SInt16 item, T MenuItemRecord::*field, T* out) {
  if (out == nullptr) return paramErr;
  MenuItemRecord* it = nullptr;
  OSErr err = PropertyItem(menu, item, &it);
  if (err == noErr) *out = it->*field;
  return err;
}

}  // namespace

OSStatus GetMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes* outAttributes) {
  if (outAttributes == nullptr) return paramErr;
  MenuItemRecord* it = nullptr;
  OSErr err = PropertyItem(menu, SInt16(item), &it);
  if (err != noErr) return err;
  *outAttributes = 0;
  if (it->separator) *outAttributes |= kMenuItemAttrSeparator;
  if (!it->enabled || it->separator) *outAttributes |= kMenuItemAttrDisabled;
  return noErr;
}

OSErr SetMenuItemKeyGlyph(MenuRef inMenu, SInt16 inItem, SInt16 inGlyph) {
  return SetItemProperty(inMenu, inItem, &MenuItemRecord::keyGlyph, inGlyph);
}

OSErr GetMenuItemKeyGlyph(MenuRef inMenu, SInt16 inItem, SInt16* outGlyph) {
  return GetItemProperty(inMenu, inItem, &MenuItemRecord::keyGlyph, outGlyph);
}

OSErr SetMenuItemModifiers(MenuRef inMenu, SInt16 inItem, UInt8 inModifiers) {
  return SetItemProperty(inMenu, inItem, &MenuItemRecord::modifiers, inModifiers);
}

OSErr GetMenuItemModifiers(MenuRef inMenu, SInt16 inItem, UInt8* outModifiers) {
  return GetItemProperty(inMenu, inItem, &MenuItemRecord::modifiers, outModifiers);
}

OSErr SetMenuItemFontID(MenuRef inMenu, SInt16 inItem, SInt16 inFontID) {
  OSErr err = SetItemProperty(inMenu, inItem, &MenuItemRecord::fontID, inFontID);
  if (err == noErr) sp_platform::menus::SizesChanged(Live(inMenu));
  return err;
}

OSErr GetMenuItemFontID(MenuRef inMenu, SInt16 inItem, SInt16* outFontID) {
  return GetItemProperty(inMenu, inItem, &MenuItemRecord::fontID, outFontID);
}

OSErr SetMenuItemCommandID(MenuRef inMenu, SInt16 inItem, MenuCommand inCommandID) {
  return SetItemProperty(inMenu, inItem, &MenuItemRecord::commandID, inCommandID);
}

OSErr GetMenuItemCommandID(MenuRef inMenu, SInt16 inItem, MenuCommand* outCommandID) {
  return GetItemProperty(inMenu, inItem, &MenuItemRecord::commandID, outCommandID);
}

OSErr SetMenuItemHierarchicalID(MenuRef inMenu, SInt16 inItem, MenuID inHierID) {
  MenuItemRecord* it = nullptr;
  OSErr err = PropertyItem(inMenu, inItem, &it);
  if (err != noErr) return err;
  if (inHierID == 0) {
    if (it->IsHierarchical()) {
      it->keyEquivalent = 0;
      it->mark = noMark;
    }
  } else {
    it->keyEquivalent = hMenuCmd;
    it->mark = inHierID;
  }
  sp_platform::menus::SizesChanged(Live(inMenu));
  return noErr;
}

OSErr GetMenuItemHierarchicalID(MenuRef inMenu, SInt16 inItem, MenuID* outHierID) {
  if (outHierID == nullptr) return paramErr;
  MenuItemRecord* it = nullptr;
  OSErr err = PropertyItem(inMenu, inItem, &it);
  if (err == noErr) *outHierID = it->IsHierarchical() ? it->mark : MenuID(0);
  return err;
}

// ---- Sizes ----

void CalcMenuSize(MenuRef theMenu) {
  OpaqueMenuRef* m = Live(theMenu);
  if (m == nullptr) return;
  m->width = ComputeWidth(*m);
  m->height = ComputeHeight(*m);
  m->widthValid = true;
  m->heightValid = true;
}

void SetMenuWidth(MenuRef menu, SInt16 width) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr) return;
  m->width = width;
  m->widthValid = true;
}

void SetMenuHeight(MenuRef menu, SInt16 height) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr) return;
  m->height = height;
  m->heightValid = true;
}

SInt16 GetMenuWidth(MenuRef menu) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr) return 0;
  if (!m->widthValid) {
    m->width = ComputeWidth(*m);
    m->widthValid = true;
  }
  return m->width;
}

SInt16 GetMenuHeight(MenuRef menu) {
  OpaqueMenuRef* m = Live(menu);
  if (m == nullptr) return 0;
  if (!m->heightValid) {
    m->height = ComputeHeight(*m);
    m->heightValid = true;
  }
  return m->height;
}
