// Menus, their items and metacharacters, 'MENU' and 'MBAR' resources, the menu list and menu
// bars; key equivalents, the command events of chosen items, the application menu's Quit, and
// MenuSelect / PopUpMenuSelect.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Gestalt.h"
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
using Strings = std::vector<std::string>;

std::string ItemText(MenuRef menu, SInt16 item) {
  Str255 text;
  GetMenuItemText(menu, item, text);
  return PText(text);
}

// An item through the getters: "text key mark style icon sub-menu enabled".
std::string Item(MenuRef menu, SInt16 i) {
  CharParameter cmd = -1, mark = -1;
  Style style = 0xFF;
  SInt16 icon = -1;
  MenuID hier = -1;
  GetItemCmd(menu, i, &cmd), GetItemMark(menu, i, &mark), GetItemStyle(menu, i, &style);
  GetItemIcon(menu, i, &icon), GetMenuItemHierarchicalID(menu, i, &hier);
  std::string out = ItemText(menu, i);
  for (int v :
       {int(cmd), int(mark), int(style), int(icon), int(hier), int(IsMenuItemEnabled(menu, i))}) {
    out += " " + std::to_string(v);
  }
  return out;
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

TEST_F(Menus, MenuResourceFieldsRoundTripThroughTheGettersAndTruncationsAreRefused) {
  AddMenu(128, kFileTitle);
  MenuRef menu = GetMenu(128);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuID(menu), 128);
  Str255 title;
  GetMenuTitle(menu, title);
  EXPECT_EQ(PText(title), kFileTitle);
  ASSERT_EQ(CountMenuItems(menu), 5);
  const std::string expected[] = {
      kOpenText + " 79 0 1 0 0 1",
      "Checked 0 18 0 0 0 1",
      "Sub 27 130 6 0 130 1",
      "- 0 0 0 0 0 0",  // a separator is never enabled
      "Off 75 0 0 3 0 0",
  };
  for (SInt16 i = 1; i <= 5; ++i) EXPECT_EQ(Item(menu, i), expected[i - 1]);
  EXPECT_TRUE(IsMenuItemEnabled(menu, 0));
  EXPECT_TRUE(sp_testing::ReadMenu(menu).items[3].separator);
  // One menu per resource until it is disposed of.
  EXPECT_EQ(GetMenu(128), menu);
  AppendMenuItemText(menu, P("added"));
  EXPECT_EQ(CountMenuItems(GetMenu(128)), 6) << "one menu, not a fresh copy";
  DisposeMenu(menu);
  EXPECT_EQ(CountMenuItems(GetMenu(128)), 5);

  // Every truncation, and length bytes pointing past the end, are refused.
  const std::vector<UInt8> good = sp_testing::MakeMenuResource(129, kFileTitle, SampleItems());
  for (std::size_t size = 0; size < good.size(); ++size) {
    ASSERT_EQ(sp_testing::AddAppResource(
                  kMenuType, 129, std::vector<UInt8>(good.begin(), good.begin() + long(size))),
              noErr);
    EXPECT_EQ(GetMenu(129), nullptr) << size;
  }
  std::vector<UInt8> title200 =
      sp_testing::MakeMenuResource(7, "Title", {{"Item", 0, 0, 0, 0, true}});
  std::vector<UInt8> item250 = title200;
  title200[14] = 200;     // the title's length
  item250[14 + 6] = 250;  // the item's length
  for (const std::vector<UInt8>& bytes : {title200, item250}) {
    ASSERT_EQ(sp_testing::AddAppResource(kMenuType, 7, bytes), noErr);
    EXPECT_EQ(GetMenu(7), nullptr);
  }
  EXPECT_EQ(GetMenu(8), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(Menus, EnableFlagsCoverTheMenuAndItems1To31OnlyLaterItemsAreEnabled) {
  std::vector<MenuResourceItem> items(33, MenuResourceItem{"x", 0, 0, 0, 0, false});
  ASSERT_EQ(
      sp_testing::AddAppResource(kMenuType, 5, sp_testing::MakeMenuResource(5, "T", items, false)),
      noErr);
  MenuRef menu = GetMenu(5);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(
      std::vector<bool>({bool(IsMenuItemEnabled(menu, 0)), bool(IsMenuItemEnabled(menu, 31)),
                         bool(IsMenuItemEnabled(menu, 32)), bool(IsMenuItemEnabled(menu, 33))}),
      std::vector<bool>({false, false, true, true}))
      << "no flag bit holds items after the 31st";
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

TEST_F(Menus, AppendMenuTakesMetacharactersOutOfTheTextAndPlainTextCallsDoNot) {
  const struct {
    std::string data, item;  // the item as Item() gives it
  } cases[] = {
      {"Open/O", "Open 79 0 0 0 0 1"},
      {"(Save", "Save 0 0 0 0 0 0"},
      {"Both<B<I", "Both 0 0 3 0 0 1"},
      {"Check!\x12", "Check 0 18 0 0 0 1"},
      {"^3Icon", "Icon 0 0 0 3 0 1"},
      {"Sub/\x1B!\x82", "Sub 27 130 0 0 130 1"},
      {"-", "- 0 0 0 0 0 0"},
      {"(-", "- 0 0 0 0 0 0"},
      // "タ" ends in 0x5E ('^'): a second byte is never a metacharacter.
      {"\x83\x5E/T", "\x83\x5E 84 0 0 0 0 1"},
  };
  for (const auto& c : cases) {
    sp_testing::ResetMenus();
    MenuRef menu = NewMenu(1, P("M"));
    AppendMenu(menu, P(c.data));
    ASSERT_EQ(CountMenuItems(menu), 1) << c.data;
    EXPECT_EQ(Item(menu, 1), c.item);
    EXPECT_EQ(sp_testing::ReadMenu(menu).items[0].separator, c.data.back() == '-') << c.data;
  }
  // Semicolons and returns separate items; empty ones are dropped.
  MenuRef menu = NewMenu(2, P("M"));
  AppendMenu(menu, P("One;Two\rThree;;(-;Four/F"));
  InsertMenuItem(menu, P("A;B"), 1);
  Strings texts;
  for (SInt16 i = 1; i <= CountMenuItems(menu); ++i) texts.push_back(ItemText(menu, i));
  EXPECT_EQ(texts, (Strings{"One", "A", "B", "Two", "Three", "-", "Four"}));

  // The plain-text calls keep a file name with metacharacters whole.
  const std::string name = "Mix;(Live)^1 /X!<B.aiff";
  MenuRef files = NewMenu(3, P("M"));
  ASSERT_EQ(AppendMenuItemText(files, P(name)), noErr);
  ASSERT_EQ(InsertMenuItemText(files, P(name), 0), noErr);
  AppendMenu(files, P("placeholder"));
  SetMenuItemText(files, 3, P(name));
  ASSERT_EQ(AppendMenuItemText(files, P("-5 dB")), noErr);
  for (SInt16 i = 1; i <= 3; ++i) EXPECT_EQ(Item(files, i), name + " 0 0 0 0 0 1");
  EXPECT_FALSE(sp_testing::ReadMenu(files).items[3].separator);
  EXPECT_TRUE(IsMenuItemEnabled(files, 4));
}

// The kind is fixed when the item is made: a later text never turns a text item into a line
// (nor a line into a text item), for its size, its state or what GetMenuItemAttributes says.
TEST_F(Menus, ItemsKeepTheKindTheyWereMadeWithWhenTheirTextChanges) {
  MenuRef menu = NewMenu(1, P("M"));
  AppendMenu(menu, P("-;Plain;Off"));
  ASSERT_EQ(AppendMenuItemText(menu, P("-5 dB")), noErr);
  DisableMenuItem(menu, 3);
  const SInt16 height = GetMenuHeight(menu);
  EXPECT_EQ(height, 9 + 3 * 18);
  const struct {
    SInt16 item;
    const char* newText;
    MenuItemAttributes attributes;
    const char* why;
  } cases[] = {
      {1, "Now text", kMenuItemAttrSeparator | kMenuItemAttrDisabled, "made as a line"},
      {2, "-", 0, "made as text"},
      {3, "--", kMenuItemAttrDisabled, "disabled text"},
      {4, "-6 dB", 0, "plain text calls never make a line"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    SetMenuItemText(menu, c.item, P(c.newText));
    MenuItemAttributes attributes = 0xFFFF;
    EXPECT_EQ(GetMenuItemAttributes(menu, MenuItemIndex(c.item), &attributes), noErr);
    EXPECT_EQ(attributes, c.attributes);
    EXPECT_EQ(IsMenuItemEnabled(menu, MenuItemIndex(c.item)), c.attributes == 0);
  }
  EXPECT_EQ(GetMenuHeight(menu), height);
  MenuItemAttributes attributes = 0;
  EXPECT_EQ(GetMenuItemAttributes(menu, 0, &attributes), menuItemNotFoundErr);
  EXPECT_EQ(GetMenuItemAttributes(menu, 5, &attributes), menuItemNotFoundErr);
  EXPECT_EQ(GetMenuItemAttributes(menu, 1, nullptr), paramErr);
  EXPECT_EQ(GetMenuItemAttributes(nullptr, 1, &attributes), paramErr);
}

// Resource menus list the named resources of the type sorted by name, leaving out names that
// begin with '.' or '%' and resources without a name.
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
  EXPECT_EQ((Strings{ItemText(menu, 1), ItemText(menu, 2), ItemText(menu, 3), ItemText(menu, 4)}),
            (Strings{"First", "Alpha", "Zeta", "Last"}));
  EXPECT_EQ(CountMenuItems(menu), 4);
  AppendResMenu(menu, kSound);
  EXPECT_EQ(CountMenuItems(menu), 6);
  EXPECT_EQ(ItemText(menu, 5), "Alpha");
  AppendResMenu(menu, SpFourCC("DRVR"));
  EXPECT_EQ(CountMenuItems(menu), 6) << "no desk accessories here";
  DisposeMenu(menu);
}

// A menu's size follows its items until it is set; CalcMenuSize measures the items again.
TEST_F(Menus, SizesFollowTheItemsUntilSetAndCalcMenuSizeRecomputes) {
  MenuRef menu = NewMenu(1, P("M"));
  AppendMenu(menu, P("Short;-"));
  const SInt16 narrow = GetMenuWidth(menu);
  const SInt16 low = GetMenuHeight(menu);
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
  EXPECT_GT(GetMenuWidth(menu), narrow);
  EXPECT_GT(GetMenuHeight(menu), low);
  DisposeMenu(menu);
}

TEST_F(Menus, InsertPositionsAndOutOfRangeItemsAreSafe) {
  MenuRef menu = NewMenu(1, P("M"));
  AppendMenu(menu, P("b;c"));
  InsertMenuItemText(menu, P("a"), 0);
  InsertMenuItemText(menu, P("z"), 99);
  DeleteMenuItem(menu, 2);
  DeleteMenuItem(menu, 9);
  DeleteMenuItem(menu, 0);
  ASSERT_EQ(CountMenuItems(menu), 3);
  EXPECT_EQ(ItemText(menu, 1) + ItemText(menu, 2) + ItemText(menu, 3) + ItemText(menu, 9), "acz");
  SetItemMark(menu, 9, checkMark);
  MenuCommand command = 1;
  EXPECT_EQ(GetMenuItemCommandID(menu, 9, &command), menuItemNotFoundErr);
  EXPECT_EQ(SetMenuItemCommandID(nullptr, 1, SpFourCC("abcd")), paramErr);
  EXPECT_EQ(CountMenuItems(nullptr), 0);

  // Named resources are listed sorted, without hidden names.
  constexpr ResType kSound = SpFourCC("snd ");
  const std::pair<SInt16, const char*> sounds[] = {
      {1, "Zeta"}, {2, ".driver"}, {3, "Alpha"}, {4, nullptr}, {5, "%private"}};
  for (const auto& s : sounds)
    ASSERT_EQ(sp_testing::AddAppResource(kSound, s.first, "x", 1, s.second), noErr);
  MenuRef list = NewMenu(2, P("Sounds"));
  AppendMenu(list, P("First;Last"));
  InsertResMenu(list, kSound, 1);
  AppendResMenu(list, SpFourCC("DRVR"));  // no desk accessories here
  ASSERT_EQ(CountMenuItems(list), 4);
  EXPECT_EQ(ItemText(list, 2) + "," + ItemText(list, 3) + "," + ItemText(list, 4),
            "Alpha,Zeta,Last");
}

TEST_F(Menus, TheMenuListHoldsOnlyInstalledMenusInOrderOnceEach) {
  MenuRef bar = NewMenu(10, P("Bar"));
  MenuRef sub = NewMenu(11, P("Sub"));
  EXPECT_EQ(GetMenuHandle(10), nullptr) << "made, not installed";
  InsertMenu(bar, 0);
  InsertMenu(sub, hierMenu);
  EXPECT_EQ(GetMenuHandle(11), sub);
  EXPECT_EQ(BarIDs(), (std::vector<MenuID>{10})) << "hierarchical menus are not in the bar";
  DeleteMenu(11);
  EXPECT_EQ(GetMenuHandle(11), nullptr);
  EXPECT_EQ(CountMenuItems(sub), 0) << "deleting does not dispose of the menu";
  DisposeMenu(bar);
  EXPECT_EQ(GetMenuHandle(10), nullptr) << "a disposed menu leaves the list";
  EXPECT_EQ(GetMenuHandle(kSpApplicationMenuID), nullptr);

  // InsertMenu places before the id (at the end for an unknown one) and ignores an id
  // already installed.
  InsertMenu(NewMenu(1, P("one")), 0);
  InsertMenu(NewMenu(3, P("three")), 0);
  InsertMenu(NewMenu(2, P("two")), 3);
  InsertMenu(NewMenu(4, P("four")), 99);
  MenuRef twin = NewMenu(2, P("twin"));
  InsertMenu(twin, 0);
  InsertMenu(twin, hierMenu);
  EXPECT_EQ(BarIDs(), (std::vector<MenuID>{1, 2, 3, 4}));
  EXPECT_NE(GetMenuHandle(2), twin);
  EXPECT_TRUE(sp_testing::ReadMenuBar().hierarchical.empty());
}

// A saved menu list, set again, gives each menu back its place: in the bar or among the
// hierarchical menus, in order.
TEST_F(Menus, AMenuListSavedAndSetAgainKeepsTheBarAndTheHierarchicalMenusApart) {
  InsertMenu(NewMenu(10, P("A")), 0);
  InsertMenu(NewMenu(20, P("B")), 0);
  InsertMenu(NewMenu(11, P("Sub 1")), hierMenu);
  InsertMenu(NewMenu(12, P("Sub 2")), hierMenu);
  MenuBarHandle saved = GetMenuBar();
  ASSERT_NE(saved, nullptr);
  ClearMenuBar();
  ASSERT_TRUE(BarIDs().empty());
  SetMenuBar(saved);
  EXPECT_EQ(BarIDs(), (std::vector<MenuID>{10, 20}));
  std::vector<MenuID> hierarchical;
  for (const sp_testing::MenuModel& m : sp_testing::ReadMenuBar().hierarchical) {
    hierarchical.push_back(m.id);
  }
  EXPECT_EQ(hierarchical, (std::vector<MenuID>{11, 12}));
  DisposeMenuBar(saved);
}

TEST_F(Menus, GetNewMBarMakesTheMenusWithoutInstallingThemAndRefusesMalformedBars) {
  AddMenu(128, "A");
  AddMenu(129, "B");
  ASSERT_EQ(
      sp_testing::AddAppResource(kMenuBarType, 200, sp_testing::MakeMenuBarResource({128, 129})),
      noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kMenuBarType, 201, sp_testing::MakeMenuBarResource({})),
            noErr);
  MenuBarHandle bar = GetNewMBar(200);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuHandle(128), nullptr);
  SetMenuBar(bar);
  EXPECT_EQ(BarIDs(), (std::vector<MenuID>{128, 129}));
  EXPECT_EQ(GetMenuHandle(128), GetMenu(128)) << "the bar's menu is the resource's menu";
  DisposeMenuBar(bar);
  MenuBarHandle empty = GetNewMBar(201);
  ASSERT_NE(empty, nullptr) << "a bar of no menus is still a bar";
  SetMenuBar(empty);
  EXPECT_TRUE(BarIDs().empty());
  DisposeMenuBar(empty);

  const std::vector<std::vector<UInt8>> bad = {
      {},                        // no count
      {0x00},                    // half a count
      {0xFF, 0xFF},              // a negative count
      {0x00, 0x02, 0x00, 0x80},  // two ids announced, one there
      {0x00, 0x01, 0x00, 0x82},  // names a menu that does not exist
  };
  for (const std::vector<UInt8>& bytes : bad) {
    ASSERT_EQ(sp_testing::AddAppResource(kMenuBarType, 300, bytes), noErr);
    EXPECT_EQ(GetNewMBar(300), nullptr) << bytes.size();
  }
  EXPECT_EQ(GetNewMBar(301), nullptr);
}

constexpr MenuCommand kPrint = SpFourCC("prnt");

SInt32 Choice(MenuID menu, MenuItemIndex item) {
  return SInt32((UInt32(UInt16(menu)) << 16) | item);
}

OSErr CountQuit(const AppleEvent*, AppleEvent*, URefCon refCon) {
  ++*reinterpret_cast<int*>(refCon);
  return noErr;
}

class MenuChoosing : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    // File: Open (Cmd-O), Close (disabled, Cmd-W), Save (Cmd-Shift-S), Print (Cmd-P, command
    // 'prnt'), Zoom (hierarchical, menu 50).
    file_ = NewMenu(1, P("File"));
    AppendMenu(file_, P("Open/O;(Close/W;Save/S;Print/P;Zoom/\x1B!2"));
    SetMenuItemModifiers(file_, 3, kMenuShiftModifier);
    SetMenuItemCommandID(file_, 4, kPrint);
    InsertMenu(file_, 0);
    // Edit, disabled as a whole: Copy (Cmd-C).
    edit_ = NewMenu(2, P("Edit"));
    AppendMenu(edit_, P("Copy/C"));
    DisableMenuItem(edit_, 0);
    InsertMenu(edit_, 0);
    // View: Save Copy (Cmd-S without Shift), Help (Cmd-?).
    MenuRef view = NewMenu(3, P("View"));
    AppendMenu(view, P("Save Copy/S;Help/?"));
    InsertMenu(view, 0);
    // Zoom's sub-menu: In (Cmd-Z).
    zoom_ = NewMenu(50, P("Zoom"));
    AppendMenu(zoom_, P("In/Z"));
    InsertMenu(zoom_, hierMenu);
    AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, CountQuit, URefCon(&quits_), false);
  }
  // Logs the commands reaching the target ("menu id/item command modifiers"), answering as told.
  void LogCommands(EventTargetRef target, OSStatus answer = eventNotHandledErr) {
    Listen(target, {{kEventClassCommand, kEventCommandProcess}}, [this, answer](EventRef e) {
      const HICommand c = Param<HICommand>(e, kEventParamDirectObject, typeHICommand);
      commands_.push_back(std::to_string(GetMenuID(c.menu.menuRef)) + "/" +
                          std::to_string(c.menu.menuItemIndex) + " " + std::to_string(c.commandID) +
                          " " +
                          std::to_string(Param<UInt32>(e, kEventParamKeyModifiers, typeUInt32)));
      EXPECT_EQ(c.attributes, UInt32(kHICommandFromMenu));
      return answer;
    });
  }
  MenuRef file_ = nullptr, edit_ = nullptr, zoom_ = nullptr;
  std::vector<std::string> commands_;
  int quits_ = 0;
};

TEST_F(MenuChoosing, MenuKeyFindsOnlyEnabledItemsWithTheirModifiers) {
  const struct {
    UInt8 ch;
    UInt32 held;  // besides the Command key
    SInt32 result;
  } cases[] = {
      {'o', 0, Choice(1, 1)},
      {'O', 0, Choice(1, 1)},
      {'w', 0, 0},                    // the item is disabled
      {'c', 0, 0},                    // its menu is disabled
      {'s', shiftKey, Choice(1, 3)},  // Save wants Shift
      {'s', 0, Choice(3, 1)},         // so plain Cmd-S is View's
      {'p', shiftKey, 0},             // Print wants no Shift
      {'p', optionKey, 0},
      {'p', alphaLock, Choice(1, 4)},  // Caps Lock does not count
      {'z', 0, Choice(50, 1)},         // hierarchical menus are searched too
      {'x', 0, 0},
      {'q', 0, Choice(kSpApplicationMenuID, 1)},
  };
  for (const auto& c : cases) {
    sp_testing::SetModifierKeys(cmdKey | c.held);
    EXPECT_EQ(MenuKey(c.ch), c.result) << c.ch << " held " << c.held;
  }
  EnableMenuItem(edit_, 0);
  EnableMenuItem(file_, 2);
  sp_testing::SetModifierKeys(cmdKey);
  EXPECT_EQ(MenuKey('c'), Choice(2, 1));
  EXPECT_EQ(MenuKey('w'), Choice(1, 2));
  EXPECT_LT(MenuKey('q'), 0) << "the application menu's answer is no program menu's";
  DisableMenuItem(edit_, 0);
  EXPECT_EQ(MenuKey('c'), 0) << "its menu disabled again";
  // The bar title stays highlighted until HiliteMenu(0).
  EXPECT_EQ(MenuKey('z'), Choice(50, 1));
  EXPECT_EQ(sp_testing::ReadMenuBar().hilited, 1) << "In is reached through File's Zoom item";
  HiliteMenu(0);
  EXPECT_EQ(sp_testing::ReadMenuBar().hilited, 0);
}

TEST_F(MenuChoosing, ChoosingSendsTheCommandWithMenuAndItemToTheMenuFirst) {
  LogCommands(GetApplicationEventTarget());
  sp_testing::MenuChoiceResult r = sp_testing::ChooseMenuItem(1, 4, optionKey);
  EXPECT_TRUE(r.chosen);
  EXPECT_EQ(r.status, eventNotHandledErr) << "nobody took 'prnt'";
  EXPECT_TRUE(sp_testing::ChooseMenuItem(50, 1).chosen);
  // An item without a command sends 0.
  EXPECT_EQ(commands_,
            (std::vector<std::string>{
                "1/4 " + std::to_string(kPrint) + " " + std::to_string(optionKey), "50/1 0 0"}));
  commands_.clear();
  EXPECT_FALSE(sp_testing::ChooseMenuItem(1, 2).chosen) << "disabled item";
  EXPECT_FALSE(sp_testing::ChooseMenuItem(2, 1).chosen) << "disabled menu";
  EXPECT_FALSE(sp_testing::ChooseMenuItem(1, 9).chosen) << "no such item";
  NewMenu(7, P("Loose"));
  EXPECT_FALSE(sp_testing::ChooseMenuItem(7, 1).chosen) << "a menu not installed";
  EXPECT_TRUE(commands_.empty());
  // The menu's own target hears the command first; taken there, it goes no further.
  LogCommands(GetMenuEventTarget(file_), noErr);
  EXPECT_EQ(sp_testing::ChooseMenuItem(1, 1).status, noErr);
  EXPECT_EQ(commands_, std::vector<std::string>{"1/1 0 0"});
}

TEST_F(MenuChoosing, CommandKeysBecomeCommandsThroughTheStandardHandling) {
  LogCommands(GetApplicationEventTarget());
  sp_testing::PressCommandKey('o');
  sp_testing::PressCommandKey('s', shiftKey);
  sp_testing::PressCommandKey('w');     // disabled: nothing
  sp_testing::PostKeyDown('o', 31, 0);  // no Command key: nothing
  sp_testing::PumpPending();
  EXPECT_EQ(commands_, (std::vector<std::string>{"1/1 0 " + std::to_string(cmdKey),
                                                 "1/3 0 " + std::to_string(cmdKey | shiftKey)}));
  // A key the program's own keyboard handler takes is no menu's.
  Listen(GetApplicationEventTarget(), {{kEventClassKeyboard, kEventRawKeyDown}},
         [](EventRef) { return OSStatus(noErr); });
  sp_testing::PressCommandKey('o');
  EXPECT_EQ(commands_.size(), 2u);
}

// While a modal dialog runs its loop, the menus' keys choose nothing: the key goes to the
// dialog as typed text. Once the loop ended they choose again.
TEST_F(MenuChoosing, CommandKeysChooseNothingWhileAModalDialogRuns) {
  LogCommands(GetApplicationEventTarget());
  WindowRef dialog = MakeWindow(R(100, 100, 200, 300));
  std::string typed;
  Listen(GetWindowEventTarget(dialog), {{kEventClassTextInput, kEventTextInputUnicodeForKeyEvent}},
         [&typed](EventRef e) {
           char ch = 0;
           GetEventParameter(e, kEventParamTextInputSendText, typeChar, nullptr, 1, nullptr, &ch);
           typed += ch;
           return OSStatus(noErr);
         });
  EventLoopTimerUPP modal = NewEventLoopTimerUPP([](EventLoopTimerRef, void* window) {
    for (UInt8 ch : {'o', 'q'}) sp_testing::PostKeyDown(ch, 0, cmdKey);
    RunAppModalLoopForWindow(static_cast<WindowRef>(window));
  });
  EventLoopTimerUPP quit = NewEventLoopTimerUPP([](EventLoopTimerRef, void* window) {
    QuitAppModalLoopForWindow(static_cast<WindowRef>(window));
  });
  EventLoopTimerRef start = nullptr, end = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0, modal, dialog, &start);
  InstallEventLoopTimer(GetMainEventLoop(), 0.1, 0, quit, dialog, &end);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(sp_testing::ModalLoopDepth(), 0);
  EXPECT_EQ(commands_, Strings{});
  EXPECT_EQ(quits_, 0);
  EXPECT_EQ(typed, "oq");
  sp_testing::PressCommandKey('o');
  EXPECT_EQ(commands_, Strings{"1/1 0 " + std::to_string(cmdKey)});
  DisposeEventLoopTimerUPP(modal);
  DisposeEventLoopTimerUPP(quit);
}

TEST_F(MenuChoosing, ApplicationMenuQuitSendsAQuitAppleEvent) {
  sp_testing::MenuBarModel bar = sp_testing::ReadMenuBar();
  ASSERT_TRUE(bar.hasApplicationMenu);
  ASSERT_EQ(bar.menus.size(), 4u);
  EXPECT_EQ(bar.menus[1].id, 1);
  EXPECT_EQ(bar.menus[0].id, kSpApplicationMenuID) << "in front of the program's menus";
  ASSERT_EQ(bar.menus[0].items.size(), 1u);
  EXPECT_EQ(bar.menus[0].items[0].command, MenuCommand(kHICommandQuit));
  EXPECT_EQ(bar.menus[0].items[0].keyEquivalent, 'Q');
  sp_testing::PressCommandKey('q');
  EXPECT_EQ(quits_, 1);
  EXPECT_EQ(sp_testing::ChooseMenuItem(kSpApplicationMenuID, 1).status, noErr);
  EXPECT_EQ(quits_, 1) << "queued, dispatched by the loop";
  sp_testing::PumpPending();
  EXPECT_EQ(quits_, 2);
  // A program that takes the quit command itself gets no Apple event.
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [](EventRef) { return OSStatus(noErr); });
  sp_testing::PressCommandKey('q');
  EXPECT_EQ(quits_, 2);

  // Without the Aqua layout there is no application menu.
  sp_testing::SetGestalt(gestaltMenuMgrAttr, 0);
  EXPECT_FALSE(sp_testing::ReadMenuBar().hasApplicationMenu);
  EXPECT_EQ(sp_testing::ReadMenuBar().menus[0].id, 1);
  EXPECT_EQ(sp_testing::ApplicationMenu(), nullptr);
  sp_testing::SetModifierKeys(cmdKey);
  EXPECT_EQ(MenuKey('q'), 0);
  EXPECT_FALSE(sp_testing::ChooseMenuItem(kSpApplicationMenuID, 1).chosen);
}

TEST_F(MenuChoosing, MenuSelectAnswersTheSetUpChoiceOnceIfItCanBeMade) {
  const Point where = Pt(40, 5);
  EXPECT_EQ(MenuSelect(where), 0);
  sp_testing::SetNextMenuSelect(3, 1);
  EXPECT_EQ(MenuSelect(where), Choice(3, 1));
  EXPECT_EQ(sp_testing::ReadMenuBar().hilited, 3);
  EXPECT_EQ(MenuSelect(where), 0) << "once";
  sp_testing::SetNextMenuSelect(1, 2);
  EXPECT_EQ(MenuSelect(where), 0) << "a disabled item cannot be chosen";
  sp_testing::SetNextMenuSelect(1, 9);
  EXPECT_EQ(MenuSelect(where), 0);

  MenuRef popUp = NewMenu(900, P("Pop"));
  AppendMenu(popUp, P("A;B"));
  sp_testing::SetNextPopUpMenuSelect(900, 2);
  EXPECT_EQ(PopUpMenuSelect(popUp, 120, 80, 1), Choice(900, 2)) << "the menu need not be installed";
  const sp_testing::PopUpRequest request = sp_testing::LastPopUpRequest();
  EXPECT_TRUE(request.menu == popUp && request.top == 120 && request.left == 80 &&
              request.popUpItem == 1);
  EXPECT_EQ(PopUpMenuSelect(popUp, 0, 0, 1), 0) << "dismissed";
  EXPECT_EQ(sp_testing::LastPopUpRequest().count, 2u);
}

}  // namespace
}  // namespace ui_test
