// Menus, their items and metacharacters, 'MENU' and 'MBAR' resources, the menu list and menu
// bars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MacMemory.h"
#include "Resources.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

constexpr ResType kMenuType = SpFourCC("MENU");
constexpr ResType kMenuBarType = SpFourCC("MBAR");

using sp_testing::MenuResourceItem;

using Menus = UiTest;
using P = PStr;

std::string ItemText(MenuRef menu, SInt16 item) {
  Str255 text;
  GetMenuItemText(menu, item, text);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

MenuRef Installed(MenuID id, const std::string& title = "M") {
  MenuRef menu = NewMenu(id, P(title));
  InsertMenu(menu, 0);
  return menu;
}

std::vector<MenuID> BarIDs() {
  std::vector<MenuID> ids;
  for (const sp_testing::MenuModel& m : sp_testing::ReadMenuBar().menus) {
    if (m.id != kSpApplicationMenuID) ids.push_back(m.id);
  }
  return ids;
}

// "ファイル" (file) and "開く…" (open...), MacJapanese.
const std::string kFileTitle = "\x83\x74\x83\x40\x83\x43\x83\x8B";
const std::string kOpenText = "\x8A\x4A\x82\xAD\x81\x63";

std::vector<MenuResourceItem> SampleItems() {
  return {
      {kOpenText, 0, 'O', 0, bold, true},
      {"Checked", 0, 0, checkMark, 0, true},
      {"Sub", 0, hMenuCmd, 130, italic | underline, true},
      {"-", 0, 0, 0, 0, true},
      {"Off", 3, 'K', 0, 0, false},
  };
}

void AddMenu(MenuID id, const std::string& title) {
  ASSERT_EQ(sp_testing::AddAppResource(kMenuType, id,
                                       sp_testing::MakeMenuResource(id, title, SampleItems())),
            noErr);
}

TEST_F(Menus, MenuResourceFieldsRoundTripThroughTheGetters) {
  AddMenu(128, kFileTitle);
  MenuRef menu = GetMenu(128);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuID(menu), 128);
  Str255 title;
  GetMenuTitle(menu, title);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), title[0]), kFileTitle);
  ASSERT_EQ(CountMenuItems(menu), 5);

  struct Expect {
    std::string text;
    CharParameter cmd;
    CharParameter mark;
    Style style;
    SInt16 icon;
    MenuID hier;
    bool enabled;
  };
  const Expect expected[] = {
      {kOpenText, 'O', noMark, bold, 0, 0, true},
      {"Checked", 0, checkMark, normal, 0, 0, true},
      {"Sub", hMenuCmd, 130, Style(italic | underline), 0, 130, true},
      {"-", 0, noMark, normal, 0, 0, false},  // a separator is never enabled
      {"Off", 'K', noMark, normal, 3, 0, false},
  };
  for (SInt16 i = 1; i <= 5; ++i) {
    const Expect& e = expected[i - 1];
    SCOPED_TRACE(i);
    CharParameter cmd = -1, mark = -1;
    Style style = 0xFF;
    SInt16 icon = -1;
    MenuID hier = -1;
    GetItemCmd(menu, i, &cmd), GetItemMark(menu, i, &mark), GetItemStyle(menu, i, &style);
    GetItemIcon(menu, i, &icon), GetMenuItemHierarchicalID(menu, i, &hier);
    EXPECT_EQ(ItemText(menu, i), e.text);
    EXPECT_EQ(std::vector<int>({cmd, mark, style, icon, hier}),
              std::vector<int>({e.cmd, e.mark, e.style, e.icon, e.hier}));
    EXPECT_EQ(bool(IsMenuItemEnabled(menu, MenuItemIndex(i))), e.enabled);
  }
  EXPECT_TRUE(IsMenuItemEnabled(menu, 0));
  EXPECT_TRUE(sp_testing::ReadMenu(menu).items[3].separator);
}

TEST_F(Menus, EnableFlagsCoverTheMenuAndItems1To31OnlyLaterItemsAreEnabled) {
  std::vector<MenuResourceItem> items(33, MenuResourceItem{"x", 0, 0, 0, 0, false});
  std::vector<UInt8> bytes = sp_testing::MakeMenuResource(5, "T", items, false);
  ASSERT_EQ(sp_testing::AddAppResource(kMenuType, 5, bytes), noErr);
  MenuRef menu = GetMenu(5);
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(IsMenuItemEnabled(menu, 0));
  EXPECT_FALSE(IsMenuItemEnabled(menu, 31));
  EXPECT_TRUE(IsMenuItemEnabled(menu, 32)) << "no flag bit holds items after the 31st";
  EXPECT_TRUE(IsMenuItemEnabled(menu, 33));
}

TEST_F(Menus, EnableAndDisableHoldOnASecondPassThroughEachState) {
  MenuRef menu = NewMenu(1, P("M"));
  AppendMenu(menu, P("One;-;Two"));
  const struct {
    void (*call)(MenuRef, MenuItemIndex);
    MenuItemIndex item;
    bool whole, one, two;  // IsMenuItemEnabled of 0, 1 and 3 after the call
    const char* why;
  } steps[] = {
      {DisableMenuItem, 1, true, false, true, "disabled"},
      {DisableMenuItem, 1, true, false, true, "disabled again: still disabled"},
      {EnableMenuItem, 1, true, true, true, "enabled"},
      {EnableMenuItem, 1, true, true, true, "enabled again: still enabled"},
      {DisableMenuItem, 1, true, false, true, "disabled a second time"},
      {EnableMenuItem, 2, true, false, true, "a separator is never enabled"},
      {DisableMenuItem, 0, false, false, true, "the whole menu; the items keep their own state"},
      {DisableMenuItem, 0, false, false, true, "the whole menu again"},
      {EnableMenuItem, 0, true, false, true, "the whole menu back"},
      {EnableMenuItem, 0, true, false, true, "and again"},
      {DisableMenuItem, 0, false, false, true, "the whole menu off a second time"},
      {DisableMenuItem, 3, false, false, false, "the last item"},
      {EnableMenuItem, 4, false, false, false, "past the last item: nothing"},
      {EnableMenuItem, 3, false, false, true, "the last item back"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.why);
    s.call(menu, s.item);
    const sp_testing::MenuModel m = sp_testing::ReadMenu(menu);
    EXPECT_EQ(bool(IsMenuItemEnabled(menu, 0)), s.whole);
    EXPECT_EQ(m.enabled, s.whole);
    EXPECT_EQ(bool(IsMenuItemEnabled(menu, 1)), s.one);
    EXPECT_EQ(m.items[0].enabled, s.one);
    EXPECT_FALSE(IsMenuItemEnabled(menu, 2));
    EXPECT_EQ(bool(IsMenuItemEnabled(menu, 3)), s.two);
    EXPECT_FALSE(IsMenuItemEnabled(menu, 4));
    ASSERT_EQ(m.items.size(), 3u);
  }
}

TEST_F(Menus, EveryTruncationOfMenuBytesIsRefused) {
  std::vector<UInt8> good = sp_testing::MakeMenuResource(128, kFileTitle, SampleItems());
  for (std::size_t size = 0; size < good.size(); ++size) {
    SCOPED_TRACE(size);
    std::vector<UInt8> cut(good.begin(), good.begin() + long(size));
    ASSERT_EQ(sp_testing::AddAppResource(kMenuType, 128, cut), noErr);
    EXPECT_EQ(GetMenu(128), nullptr);
  }
  ASSERT_EQ(sp_testing::AddAppResource(kMenuType, 128, good), noErr);
  EXPECT_NE(GetMenu(128), nullptr);
}

TEST_F(Menus, LengthBytesPointingPastTheEndAreRefused) {
  std::vector<UInt8> good = sp_testing::MakeMenuResource(7, "Title", {{"Item", 0, 0, 0, 0, true}});
  std::vector<UInt8> title = good;
  title[14] = 200;  // the title's length
  std::vector<UInt8> item = good;
  item[14 + 6] = 250;  // the item's length
  for (const std::vector<UInt8>& bytes : {title, item}) {
    ASSERT_EQ(sp_testing::AddAppResource(kMenuType, 7, bytes), noErr);
    EXPECT_EQ(GetMenu(7), nullptr);
  }
  EXPECT_EQ(GetMenu(8), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(Menus, GetMenuSharesOneMenuPerResourceUntilItIsDisposed) {
  AddMenu(128, "File");
  MenuRef first = GetMenu(128);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetMenu(128), first);
  AppendMenuItemText(first, P("added"));
  EXPECT_EQ(CountMenuItems(GetMenu(128)), 6) << "one menu, not a fresh copy";
  DisposeMenu(first);
  MenuRef again = GetMenu(128);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(CountMenuItems(again), 5);
}

struct MetaCase {
  std::string data;
  std::string text;
  CharParameter cmd;
  CharParameter mark;
  Style style;
  SInt16 icon;
  bool enabled;
  bool separator;
};

TEST_F(Menus, AppendMenuTakesMetacharactersOutOfTheText) {
  const MetaCase cases[] = {
      {"Open/O", "Open", 'O', noMark, normal, 0, true, false},
      {"(Save", "Save", 0, noMark, normal, 0, false, false},
      {"Both<B<I", "Both", 0, noMark, Style(bold | italic), 0, true, false},
      {"Check!\x12", "Check", 0, checkMark, normal, 0, true, false},
      {"^3Icon", "Icon", 0, noMark, normal, 3, true, false},
      {"Sub/\x1B!\x82", "Sub", hMenuCmd, 130, normal, 0, true, false},
      {"-", "-", 0, noMark, normal, 0, false, true},
      {"(-", "-", 0, noMark, normal, 0, false, true},
      // "タ" ends in 0x5E ('^'): a second byte is never a metacharacter.
      {"\x83\x5E/T", "\x83\x5E", 'T', noMark, normal, 0, true, false},
  };
  for (const MetaCase& c : cases) {
    SCOPED_TRACE(c.data);
    sp_testing::ResetMenus();
    MenuRef menu = NewMenu(1, P("M"));
    AppendMenu(menu, P(c.data));
    ASSERT_EQ(CountMenuItems(menu), 1);
    const sp_testing::MenuItemModel item = sp_testing::ReadMenu(menu).items[0];
    EXPECT_EQ(item.text, c.text);
    EXPECT_EQ(item.keyEquivalent, c.cmd);
    EXPECT_EQ(item.mark, c.mark);
    EXPECT_EQ(item.style, c.style);
    EXPECT_EQ(item.icon, c.icon);
    EXPECT_EQ(item.enabled, c.enabled);
    EXPECT_EQ(item.separator, c.separator);
  }
}

TEST_F(Menus, SemicolonsAndReturnsSeparateItemsAndEmptyOnesAreDropped) {
  MenuRef menu = NewMenu(1, P("M"));
  AppendMenu(menu, P("One;Two\rThree;;(-;Four/F"));
  ASSERT_EQ(CountMenuItems(menu), 5);
  EXPECT_EQ(ItemText(menu, 1), "One");
  EXPECT_EQ(ItemText(menu, 3), "Three");
  EXPECT_EQ(ItemText(menu, 4), "-");
  EXPECT_EQ(ItemText(menu, 5), "Four");
  InsertMenuItem(menu, P("A;B"), 1);
  EXPECT_EQ(ItemText(menu, 2), "A");
  EXPECT_EQ(ItemText(menu, 3), "B");
  EXPECT_EQ(ItemText(menu, 4), "Two");
}

TEST_F(Menus, PlainTextCallsKeepAFileNameWithMetacharactersWhole) {
  const std::string name = "Mix;(Live)^1 /X!<B.aiff";
  MenuRef menu = NewMenu(1, P("M"));
  ASSERT_EQ(AppendMenuItemText(menu, P(name)), noErr);
  ASSERT_EQ(InsertMenuItemText(menu, P(name), 0), noErr);
  AppendMenu(menu, P("placeholder"));
  SetMenuItemText(menu, 3, P(name));
  ASSERT_EQ(CountMenuItems(menu), 3);
  for (const sp_testing::MenuItemModel& item : sp_testing::ReadMenu(menu).items) {
    EXPECT_EQ(item.text, name);
    EXPECT_TRUE(item.enabled);
    EXPECT_EQ(item.keyEquivalent, 0);
    EXPECT_EQ(item.style, normal);
    EXPECT_EQ(item.icon, 0);
  }
  ASSERT_EQ(AppendMenuItemText(menu, P("-5 dB")), noErr);
  EXPECT_FALSE(sp_testing::ReadMenu(menu).items[3].separator);
  EXPECT_TRUE(IsMenuItemEnabled(menu, 4));
}

TEST_F(Menus, InsertPositionsAndOutOfRangeItemsAreSafe) {
  MenuRef menu = NewMenu(1, P("M"));
  AppendMenu(menu, P("b;c"));
  InsertMenuItemText(menu, P("a"), 0);
  InsertMenuItemText(menu, P("z"), 99);
  ASSERT_EQ(CountMenuItems(menu), 4);
  EXPECT_EQ(ItemText(menu, 1), "a");
  EXPECT_EQ(ItemText(menu, 4), "z");
  DeleteMenuItem(menu, 2);
  DeleteMenuItem(menu, 9);
  DeleteMenuItem(menu, 0);
  EXPECT_EQ(CountMenuItems(menu), 3);
  EXPECT_EQ(ItemText(menu, 2), "c");
  EXPECT_EQ(ItemText(menu, 9), "");
  SetItemMark(menu, 9, checkMark);
  MenuCommand command = 1;
  EXPECT_EQ(GetMenuItemCommandID(menu, 9, &command), menuItemNotFoundErr);
  EXPECT_EQ(SetMenuItemCommandID(nullptr, 1, SpFourCC("abcd")), paramErr);
  EXPECT_EQ(CountMenuItems(nullptr), 0);
}

TEST_F(Menus, ResMenuListsNamedResourcesSortedWithoutHiddenNames) {
  constexpr ResType kSound = SpFourCC("snd ");
  const struct {
    SInt16 id;
    const char* name;
  } sounds[] = {{1, "Zeta"}, {2, ".driver"}, {3, "Alpha"}, {4, nullptr}, {5, "%private"}};
  for (const auto& s : sounds) {
    ASSERT_EQ(sp_testing::AddAppResource(kSound, s.id, "x", 1, s.name), noErr);
  }
  MenuRef menu = NewMenu(1, P("Sounds"));
  AppendMenu(menu, P("First;Last"));
  InsertResMenu(menu, kSound, 1);
  ASSERT_EQ(CountMenuItems(menu), 4);
  EXPECT_EQ(ItemText(menu, 2), "Alpha");
  EXPECT_EQ(ItemText(menu, 3), "Zeta");
  EXPECT_EQ(ItemText(menu, 4), "Last");
  AppendResMenu(menu, SpFourCC("DRVR"));
  EXPECT_EQ(CountMenuItems(menu), 4) << "no desk accessories here";
}

TEST_F(Menus, GetMenuHandleFindsOnlyInstalledMenus) {
  MenuRef bar = NewMenu(10, P("Bar"));
  MenuRef sub = NewMenu(11, P("Sub"));
  EXPECT_EQ(GetMenuHandle(10), nullptr) << "made, not installed";
  InsertMenu(bar, 0);
  InsertMenu(sub, hierMenu);
  EXPECT_EQ(GetMenuHandle(10), bar);
  EXPECT_EQ(GetMenuHandle(11), sub);
  EXPECT_EQ(BarIDs(), (std::vector<MenuID>{10})) << "hierarchical menus are not in the bar";
  DeleteMenu(11);
  EXPECT_EQ(GetMenuHandle(11), nullptr);
  EXPECT_EQ(CountMenuItems(sub), 0) << "deleting does not dispose of the menu";
  DisposeMenu(bar);
  EXPECT_EQ(GetMenuHandle(10), nullptr) << "a disposed menu leaves the list";
  EXPECT_TRUE(BarIDs().empty());
  EXPECT_EQ(GetMenuHandle(kSpApplicationMenuID), nullptr);
}

TEST_F(Menus, InsertMenuPlacesBeforeTheIdAndIgnoresAnIdAlreadyInstalled) {
  Installed(1);
  Installed(3);
  InsertMenu(NewMenu(2, P("two")), 3);
  InsertMenu(NewMenu(4, P("four")), 99);  // unknown id: at the end
  MenuRef twin = NewMenu(2, P("twin"));
  InsertMenu(twin, 0);
  InsertMenu(twin, hierMenu);
  EXPECT_EQ(BarIDs(), (std::vector<MenuID>{1, 2, 3, 4}));
  EXPECT_NE(GetMenuHandle(2), twin);
  EXPECT_TRUE(sp_testing::ReadMenuBar().hierarchical.empty());
}

TEST_F(Menus, GetNewMBarMakesTheMenusWithoutInstallingThem) {
  AddMenu(128, "A");
  AddMenu(129, "B");
  ASSERT_EQ(
      sp_testing::AddAppResource(kMenuBarType, 200, sp_testing::MakeMenuBarResource({128, 129})),
      noErr);
  MenuBarHandle bar = GetNewMBar(200);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuHandle(128), nullptr);
  SetMenuBar(bar);
  EXPECT_EQ(BarIDs(), (std::vector<MenuID>{128, 129}));
  EXPECT_EQ(GetMenuHandle(128), GetMenu(128)) << "the bar's menu is the resource's menu";
  DisposeMenuBar(bar);

  ASSERT_EQ(sp_testing::AddAppResource(kMenuBarType, 201, sp_testing::MakeMenuBarResource({})),
            noErr);
  MenuBarHandle empty = GetNewMBar(201);
  ASSERT_NE(empty, nullptr) << "a bar of no menus is still a bar";
  SetMenuBar(empty);
  EXPECT_TRUE(BarIDs().empty());
  DisposeMenuBar(empty);
}

TEST_F(Menus, MalformedMenuBarsAreRefused) {
  AddMenu(128, "A");
  const std::vector<std::vector<UInt8>> bad = {
      {},                        // no count
      {0x00},                    // half a count
      {0xFF, 0xFF},              // a negative count
      {0x00, 0x02, 0x00, 0x80},  // two ids announced, one there
      {0x00, 0x01, 0x00, 0x81},  // names a menu that does not exist
  };
  for (const std::vector<UInt8>& bytes : bad) {
    ASSERT_EQ(sp_testing::AddAppResource(kMenuBarType, 300, bytes), noErr);
    EXPECT_EQ(GetNewMBar(300), nullptr);
  }
  EXPECT_EQ(GetNewMBar(301), nullptr);
}

TEST_F(Menus, SizesFollowTheItemsUntilSetAndCalcMenuSizeRecomputes) {
  MenuRef menu = NewMenu(1, P("M"));
  AppendMenu(menu, P("Short;-"));
  SInt16 narrow = GetMenuWidth(menu);
  SInt16 low = GetMenuHeight(menu);
  EXPECT_GT(narrow, 0);
  AppendMenu(menu, P("A much longer item text/L"));
  EXPECT_GT(GetMenuWidth(menu), narrow);
  EXPECT_GT(GetMenuHeight(menu), low);
  SetMenuWidth(menu, 500);
  SetMenuHeight(menu, 7);
  EXPECT_EQ(GetMenuWidth(menu), 500);
  EXPECT_EQ(GetMenuHeight(menu), 7);
  CalcMenuSize(menu);
  EXPECT_LT(GetMenuWidth(menu), 500);
  EXPECT_GT(GetMenuHeight(menu), low);
}

}  // namespace
}  // namespace ui_test
