// Menus, menu items and their execute procedures, the menu manager's bars and hierarchical
// menus, dispatch of menu choices and commands, automatic command ids and the enable helpers,
// against the Menu Manager.
#include <gtest/gtest.h>

#include <deque>
#include <tuple>

#include "FrameworkTestSupport.h"
#include "SpMenuBarObj.h"
#include "SpMenuExecProcObj.h"

namespace {

using framework_test::Log;
using sp_testing::MenuResourceItem;

MenuResourceItem Item(const std::string& text, UInt8 mark = 0) {
  MenuResourceItem item;
  item.text = text;
  item.mark = mark;
  return item;
}
MenuResourceItem Hier(const std::string& text, UInt8 subMenu) {
  MenuResourceItem item = Item(text, subMenu);
  item.keyEquivalent = hMenuCmd;
  return item;
}
void AddMenu(MenuID id, const std::string& title, const std::vector<MenuResourceItem>& items) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("MENU"), id,
                                       sp_testing::MakeMenuResource(id, title, items)),
            noErr);
}

// Bar 502 holds 500, 128 and 129; bar 600 holds menu 140 only. Menu 128 item 4 opens 130,
// whose item 3 opens 131; menu 129 item 2 opens 130 as well.
class MenuTest : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    Reset();
    AddMenu(500, "\x14", {Item("About")});
    AddMenu(128, "File",
            {Item("Open"), Item("-"), Item("Close"), Hier("Recent", 130), Item("Quit")});
    AddMenu(129, "Edit", {Item("Undo"), Hier("Again", 130)});
    AddMenu(130, "Recent", {Item("One"), Item("Two"), Hier("More", 131)});
    AddMenu(131, "More", {Item("Deep")});
    AddMenu(140, "Other", {Item("Elsewhere")});
    for (const auto& bar : {std::make_pair(502, std::vector<MenuID>{500, 128, 129}),
                            std::make_pair(600, std::vector<MenuID>{140})}) {
      ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("MBAR"), SInt16(bar.first),
                                           sp_testing::MakeMenuBarResource(bar.second)),
                noErr);
    }
  }
  void TearDown() override {
    Reset();
    FrameworkFixture::TearDown();
  }
  static void Reset() {
    sp_testing::ResetMenuManager();
    sp_testing::ResetMenus();
    sp_testing::ResetControls();
    sp_testing::ResetGestalt();
  }

  cSpMenuManager* Manager() { return Sp_GetMenuManager(1); }
  static cSpMenuItem* ItemOf(cSpMenuBar* bar, MenuID menu, SInt32 item) {
    return bar->GetMenuByResourceID(menu)->GetMenuItemByReferenceNo(item);
  }
  cSpMenuBar* LoadCurrent(SInt16 mbarId) {
    cSpMenuBar* bar = Manager()->CreateNewMenuBarByResource(mbarId);
    Manager()->SetCurrentMenuBar(bar);
    return bar;
  }
  static std::vector<std::string> ObjectTexts(cSpMenu& menu) {
    std::vector<std::string> texts;
    SInt32 expectedNumber = 1;
    for (cSpMenuItem* item = menu.GetMenuItemListHead(); item != nullptr;
         item = item->GetNextObjectPtr()) {
      EXPECT_EQ(item->GetReferenceNo(), expectedNumber++) << "objects are numbered 1, 2, ...";
      texts.push_back(item->GetItemNamePtr());
    }
    return texts;
  }
  static std::vector<std::string> SystemTexts(cSpMenu& menu) {
    std::vector<std::string> texts;
    for (const auto& item : sp_testing::ReadMenu(menu.GetMacOSMenuHandle()).items) {
      texts.push_back(item.text);
    }
    return texts;
  }
};

std::vector<MenuID> Ids(cSpMenu* head) {
  std::vector<MenuID> ids;
  for (cSpMenu* menu = head; menu != nullptr; menu = menu->GetNextObjectPtr()) {
    ids.push_back(menu->GetResourceID());
  }
  return ids;
}

// Procedures write "<name>:<menu id>/<item number>" and answer their tag's result.
struct ProcTag {
  std::string name;
  unsigned char result;
};
URefCon Tag(const std::string& name, unsigned char result = 0) {
  static std::deque<ProcTag> tags;
  tags.push_back({name, result});
  return reinterpret_cast<URefCon>(&tags.back());
}
unsigned char MenuProc(cSpMenu* menu, cSpMenuItem* item, SInt32 itemNo, sSpModifiersDataStruct&,
                       URefCon userData) {
  const ProcTag* tag = reinterpret_cast<const ProcTag*>(userData);
  Log().push_back(tag->name + ":" + std::to_string(menu->GetResourceID()) + "/" +
                  std::to_string(itemNo) + (item == nullptr ? "(no item)" : ""));
  return tag->result;
}
unsigned char ItemProc(cSpMenu* menu, cSpMenuItem* item, sSpModifiersDataStruct& modifiers,
                       URefCon userData) {
  return MenuProc(menu, item, item->GetReferenceNo(), modifiers, userData);
}

// ---- Item objects and the system menu -------------------------------------------------------

TEST_F(MenuTest, ItemsAddedAtAPositionMatchTheSystemMenuItemForItem) {
  const std::pair<SInt32, std::vector<std::string>> cases[] = {
      {0, {"new", "a", "b", "c"}}, {1, {"a", "new", "b", "c"}},  {2, {"a", "b", "new", "c"}},
      {3, {"a", "b", "c", "new"}}, {-1, {"a", "b", "c", "new"}}, {99, {"a", "b", "c", "new"}},
  };
  for (const auto& [position, expected] : cases) {
    SCOPED_TRACE(position);
    cSpMenu menu(200, "Test");
    for (const char* text : {"a", "b", "c"}) menu.CreateMenuItemAndSetupToMenuMgr(-1, text, 0);
    ASSERT_NE(menu.CreateMenuItemAndSetupToMenuMgr(position, "new", 0), nullptr);
    EXPECT_EQ(ObjectTexts(menu), expected);
    EXPECT_EQ(SystemTexts(menu), expected);
    DisposeMenu(menu.GetMacOSMenuHandle());
  }
}

TEST_F(MenuTest, ItemTextsAreKeptWholeCutBetweenCharactersAndOnlyADashIsALine) {
  // "ab" and then two-byte characters: byte 511 would be the first half of one.
  std::string kanji = "ab";
  for (int i = 0; i < 300; ++i) kanji += "\x82\xA0";
  struct Case {
    std::string text, object, system;  // the object holds 511 bytes, the system item 255
    bool separator;
  } cases[] = {
      {"^1 <B !x /Q", "^1 <B !x /Q", "^1 <B !x /Q", false},
      {"(a;b", "(a;b", "(a;b", false},
      {"-", "-", "-", true},
      {kanji, kanji.substr(0, 510), kanji.substr(0, 254), false},
      {std::string(511, 'x'), std::string(511, 'x'), std::string(255, 'x'), false},
      {std::string(512, 'x'), std::string(511, 'x'), std::string(255, 'x'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.object.substr(0, 20));
    cSpMenu menu(200, "Texts");
    cSpMenuItem* item = menu.CreateMenuItemAndSetupToMenuMgr(-1, c.text.c_str(), 0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemNamePtr(), c.object);
    EXPECT_EQ(item->GetSeparatorFlag(), c.separator);
    const auto item0 = sp_testing::ReadMenu(menu.GetMacOSMenuHandle()).items.at(0);
    EXPECT_EQ(item0.separator, c.separator);
    // Meta-characters are no commands: the item stays enabled, without a key.
    EXPECT_TRUE(c.separator ||
                (item0.text == c.system && item0.enabled && item0.keyEquivalent == 0));
  }
  // Renaming keeps the text whole too, and the object can be found by it.
  cSpMenu menu(200, "Files");
  menu.CreateMenuItemAndSetupToMenuMgr(-1, "a", 0);
  menu.SetupMenuItemString(1, "a;b");
  EXPECT_EQ(SystemTexts(menu)[0], "a;b");
  EXPECT_EQ(menu.GetMenuItemPtrByMenuItemName("a;b"), menu.GetMenuItemByReferenceNo(1));
}

// A menu's title holds 510 bytes: a longer one is reported and cut there, between characters.
TEST_F(MenuTest, MenuTitlesAreKeptUpTo510BytesAndCutPastThem) {
  std::string kana = "a";
  for (int i = 0; i < 300; ++i) kana += "\x82\xA0";
  const struct {
    std::string title, kept;
    bool reported;
  } cases[] = {
      {std::string(509, 't'), std::string(509, 't'), false},
      {std::string(510, 't'), std::string(510, 't'), false},
      {std::string(511, 't'), std::string(510, 't'), true},
      {kana, kana.substr(0, 509), true},  // byte 510 is the first half of a character
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title.size());
    ErrorLogCapture log;
    cSpMenu menu(200, c.title.c_str());
    EXPECT_EQ(std::string(menu.GetMenuTitle()), c.kept);
    EXPECT_EQ(log.Has("cSpMenu::cSpMenu", 2), c.reported);
    EXPECT_EQ(log.Count(), c.reported ? 1u : 0u);
  }
}

// Whether an item is a separator is what the toolbox made of it, whatever its text: objects
// made by the framework keep their kind and procedures through resyncs, and items the toolbox
// made from metacharacters are read as it classified them.
TEST_F(MenuTest, ResyncKeepsEachItemsKindAndProceduresWhateverItsTextBeginsWith) {
  const struct {
    const char* text;
    bool viaToolbox;  // AppendMenu with metacharacters, else CreateMenuItemAndSetupToMenuMgr
    bool separator;
    const char* why;
  } cases[] = {
      {"-", false, true, "the dash alone asks for a line"},
      {"-14", false, false, "a size keeps its minus sign"},
      {"--", false, false, "made as text"},
      {"(-", false, false, "the framework sets texts as they are"},
      {"-2", true, true, "the toolbox made a line of it"},
      {"(-", true, true, "a disabled dash is a line too"},
  };
  cSpMenu menu(200, "Kinds");
  MenuRef system = menu.GetMacOSMenuHandle();
  std::vector<cSpMenuItem*> made;
  for (const auto& c : cases) {
    if (c.viaToolbox) {
      Str255 data;
      Sp_MenuTextToPascal(c.text, data);
      AppendMenu(system, data);
      continue;
    }
    cSpMenuItem* item = menu.CreateMenuItemAndSetupToMenuMgr(-1, c.text, 0);
    ASSERT_NE(item, nullptr);
    item->SetupExecMenuItemProc(ItemProc, Tag(c.text));
    made.push_back(item);
  }
  auto check = [&](const char* step, bool keepsObjects) {
    SCOPED_TRACE(step);
    const auto items = sp_testing::ReadMenu(system).items;
    ASSERT_EQ(items.size(), std::size(cases));
    SInt32 i = 1;
    for (const auto& c : cases) {
      SCOPED_TRACE(c.why);
      cSpMenuItem* item = menu.GetMenuItemByReferenceNo(i);
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(items[std::size_t(i - 1)].separator, c.separator);
      EXPECT_EQ(item->GetSeparatorFlag(), c.separator);
      if (keepsObjects && !c.viaToolbox) {
        EXPECT_EQ(item, made[std::size_t(i - 1)]);
        EXPECT_TRUE(item->ExistExecuteMenuItemProc());
      }
      ++i;
    }
  };
  menu.AutoModifyMenuItemWithMenuHandleData(0);
  check("first resync", true);
  menu.AutoModifyMenuItemWithMenuHandleData(0);
  check("second resync", true);
  EXPECT_EQ(errors_.Count(), 0u);
  EXPECT_EQ(errors_.Beeps(), 0u);
  menu.AutoCreateMenuItemFromMenuHandleData(1, 0);
  check("objects made afresh", false);
}

// ---- Marks ----------------------------------------------------------------

TEST_F(MenuTest, MarksReachTheSystemItemsExclusivelyAndReportChanges) {
  cSpMenu menu(128, 1, 1);
  // The marks of items 1 to 3 ('.' for none) and whether the call reported a change.
  unsigned char changed = 9;
  const auto marks = [&] {
    std::string out;
    for (int i = 0; i < 3; ++i) {
      const UInt16 m = sp_testing::ReadMenu(menu.GetMacOSMenuHandle()).items[i].mark;
      out += m == noMark ? '.' : m == checkMark ? 'v' : char(m);
    }
    return out + " " + std::to_string(changed);
  };
  menu.SetMenuItemMark(1, 0, 1, 0, &changed);
  EXPECT_EQ(marks(), "v.. 1") << "mark 0 is the check mark";
  menu.SetMenuItemMark(1, 0, 1, 0, &changed);
  EXPECT_EQ(marks(), "v.. 0") << "the same mark again changes nothing";
  menu.SetMenuItemMark(3, '*', 1, 0, &changed);
  EXPECT_EQ(marks(), "..* 1") << "exclusive: the other items are unmarked";
  menu.GetMenuItemByReferenceNo(2)->SetMark(nullptr, 0, 0);
  EXPECT_EQ(marks(), "..* 1") << "a separator takes no mark";
  menu.ClearAllMenuItemMark(0, &changed);
  EXPECT_EQ(marks(), "... 1");
}

// ---- Execute procedures ---------------------------------------------------------------------

TEST_F(MenuTest, ProcedureNumbersAreNeverReusedAndUnknownOnesAreReported) {
  const URefCon kM = Tag("m");
  cSpMenu menu(200, "Procs");
  std::vector<SInt32> numbers;
  for (int i = 0; i < 3; ++i) numbers.push_back(menu.SetupExecMenuItemProc(MenuProc, kM));
  menu.RemoveExecMenuItemProc(2);
  numbers.push_back(menu.SetupExecMenuItemProc(MenuProc, kM));
  EXPECT_EQ(numbers, (std::vector<SInt32>{1, 2, 3, 4}));
  Log().clear();
  EXPECT_EQ(menu.ExecuteMenuItemProc(nullptr, 7), 1);
  EXPECT_EQ(Log().size(), 3u);

  ErrorLogCapture log;
  menu.RemoveExecMenuItemProc(2);
  EXPECT_TRUE(log.Has("cSpMenu::RemoveExecMenuItemProc", 1));
  // A failed allocation hands out no number but spends one.
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(menu.SetupExecMenuItemProc(MenuProc, kM), 0);
  EXPECT_TRUE(log.Has("cSpMenu::SetupExecMenuItemProc", 1));
  EXPECT_EQ(menu.SetupExecMenuItemProc(MenuProc, kM), 6);

  cSpMenuItem* item = menu.CreateMenuItemAndSetupToMenuMgr(-1, "x", 0);
  const SInt32 only = item->SetupExecMenuItemProc(ItemProc, kM);
  item->RemoveExecMenuItemProc(only);
  EXPECT_FALSE(item->ExistExecuteMenuItemProc());
  EXPECT_EQ(item->ExecuteMenuItemProc(), 0);
}

// ---- Loading --------------------------------------------------------------------------------

TEST_F(MenuTest, HierarchicalMenusAreFoundDepthFirstAndMadeOnce) {
  ErrorLogCapture log;
  cSpMenuBar* bar = Manager()->CreateNewMenuBarByResource(502);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Ids(bar->GetMenuListHeadPtr()), (std::vector<MenuID>{500, 128, 129}));
  EXPECT_EQ(Ids(bar->GetSubMenuListHeadPtr()), (std::vector<MenuID>{130, 131}));
  cSpMenu* recent = bar->GetMenuByResourceID(130);
  ASSERT_NE(recent, nullptr);
  // Both items that name 130 share its one object; 130's own item reaches 131.
  EXPECT_EQ(ItemOf(bar, 128, 4)->GetSubMenuPtr(), recent);
  EXPECT_EQ(ItemOf(bar, 129, 2)->GetSubMenuPtr(), recent);
  EXPECT_EQ(ItemOf(bar, 130, 3)->GetSubMenuPtr(), bar->GetMenuByResourceID(131));
  // Sub-menus are no bar menus for the menu-list-only look-ups.
  EXPECT_EQ(bar->GetMenuByReferenceNo(0), bar->GetMenuListHeadPtr());
  bar->DisableTargetMenu(130, 0);
  EXPECT_TRUE(recent->GetEnableFlag());
  EXPECT_EQ(log.Count(), 0u);
}

// ---- Dispatch -------------------------------------------------------------------------------

TEST_F(MenuTest, MenuChoiceIsLookedUpOnTheCurrentBarOnly) {
  cSpMenuBar* other = Manager()->CreateNewMenuBarByResource(600);
  cSpMenuBar* bar = LoadCurrent(502);
  ItemOf(other, 140, 1)->SetupExecMenuItemProc(ItemProc, Tag("other"));
  ItemOf(bar, 128, 1)->SetupExecMenuItemProc(ItemProc, Tag("open"));
  ItemOf(bar, 130, 2)->SetupExecMenuItemProc(ItemProc, Tag("two"));
  const std::tuple<short, short, unsigned char> cases[] = {
      {140, 1, 0}, {128, 1, 1}, {130, 2, 1}, {128, 3, 0}, {999, 1, 0}};
  for (const auto& [menu, item, handled] : cases) {
    EXPECT_EQ(Sp_MenuEventProc(menu, item, 0), handled) << menu << "/" << item;
  }
  EXPECT_EQ(Log(), (std::vector<std::string>{"open:128/1", "two:130/2"}));
}

// Menu-level procedures that all answer 0 still take the choice; an item number without an
// item object reaches them with no item.
TEST_F(MenuTest, MenuLevelProceduresTakeTheChoiceBeforeTheItemsOwn) {
  cSpMenuBar* bar = LoadCurrent(502);
  cSpMenu* file = bar->GetMenuByResourceID(128);
  ItemOf(bar, 128, 3)->SetupExecMenuItemProc(ItemProc, Tag("item", 1));
  EXPECT_EQ(Sp_MenuEventProc(128, 3, 0), 1);
  file->SetupExecMenuItemProc(MenuProc, Tag("menuA"));
  file->SetupExecMenuItemProc(MenuProc, Tag("menuB"));
  EXPECT_EQ(Sp_MenuEventProc(128, 3, 0), 1);
  EXPECT_EQ(Sp_MenuEventProc(128, 42, 0), 1);
  EXPECT_EQ(Log(), (std::vector<std::string>{"item:128/3", "menuA:128/3", "menuB:128/3",
                                             "menuA:128/42(no item)", "menuB:128/42(no item)"}));
}

// Bar 600 comes first in the list even though 502 is current; menus are searched before
// sub-menus, so 129's item wins over 130's with the same command.
TEST_F(MenuTest, CommandIdIsDispatchedOverEveryBarAndTheFirstMatchWins) {
  cSpMenuBar* other = Manager()->CreateNewMenuBarByResource(600);
  cSpMenuBar* bar = LoadCurrent(502);
  ItemOf(other, 140, 1)->SetupOriginalMenuCommand(SpFourCC("open"));
  ItemOf(other, 140, 1)->SetupExecMenuItemProc(ItemProc, Tag("other"));
  ItemOf(bar, 130, 1)->SetupOriginalMenuCommand(SpFourCC("redo"));
  ItemOf(bar, 130, 1)->SetupExecMenuItemProc(ItemProc, Tag("sub"));
  ItemOf(bar, 129, 1)->SetupOriginalMenuCommand(SpFourCC("redo"));
  bar->GetMenuByResourceID(129)->SetupExecMenuItemProc(MenuProc, Tag("menu"));
  EXPECT_EQ(Sp_MenuEventCommandProc(SpFourCC("open"), 0), 1);
  EXPECT_EQ(Sp_MenuEventCommandProc(SpFourCC("redo"), 0), 1);
  EXPECT_EQ(Sp_MenuEventCommandProc(SpFourCC("none"), 0), 0);
  // '????' is no command, even for items that have none.
  EXPECT_EQ(Sp_MenuEventCommandProc(kSpNoMenuCommand, 0), 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"other:140/1", "menu:129/1"}));
}

TEST_F(MenuTest, ChoiceThroughTheCommandHandlerRunsProceduresOrIsLeftToTheToolbox) {
  sp_testing::EventsScope events;
  Sp_CarbonEvent_ModeEnable();
  ASSERT_EQ(SpInitializeMenuManager(), noErr);
  cSpMenuBar* bar = LoadCurrent(502);
  ItemOf(bar, 128, 3)->SetupExecMenuItemProc(ItemProc, Tag("close"));
  ItemOf(bar, 130, 1)->SetupOriginalMenuCommand(SpFourCC("one "));
  ItemOf(bar, 130, 1)->SetupExecMenuItemProc(ItemProc, Tag("command"));
  Manager()->SetupAllMenuCommand(1);

  const std::tuple<MenuID, MenuItemIndex, OSStatus> cases[] = {
      {128, 3, noErr}, {130, 1, noErr}, {129, 1, eventNotHandledErr}, {128, 5, eventNotHandledErr}};
  for (const auto& [menu, item, status] : cases) {
    SCOPED_TRACE(std::to_string(menu) + "/" + std::to_string(item));
    const sp_testing::MenuChoiceResult result = sp_testing::ChooseMenuItem(menu, item);
    ASSERT_TRUE(result.chosen);
    EXPECT_EQ(result.status, status);
  }
  EXPECT_EQ(Log(), (std::vector<std::string>{"close:128/3", "command:130/1"}));
}

// ---- Automatic command ids ------------------------------------------------------------------

TEST(MenuAutoCommandTest, AutomaticIdsRunFromM001ToM999AndThenRunOut) {
  cSpMenuManager manager;
  std::vector<UInt32> seen;
  SInt32 number = 0;
  UInt32 command = 0;
  for (int i = 1; i <= kSpMaxAutoMenuCommand; ++i) {
    ASSERT_EQ(manager.GetNewAutoMenuCommand(number, command), 1);
    ASSERT_EQ(number, i);
    if (i == 10 || i == 99 || i == 100 || i == 999) seen.push_back(command);
  }
  EXPECT_EQ(seen, (std::vector<UInt32>{SpFourCC("M010"), SpFourCC("M099"), SpFourCC("M100"),
                                       SpFourCC("M999")}));
  EXPECT_EQ(manager.GetNewAutoMenuCommand(number, command), 0);
  EXPECT_EQ(number, 999);
  EXPECT_EQ(command, SpFourCC("M999"));
}

TEST_F(MenuTest, EveryItemWithoutItsOwnCommandGetsAnAutomaticOneTiedToItsSystemItem) {
  cSpMenuBar* bar = LoadCurrent(502);
  cSpMenu* file = bar->GetMenuByResourceID(128);
  file->GetMenuItemByReferenceNo(1)->SetupOriginalMenuCommand(SpFourCC("open"));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);  // a second round counts from M001 again
    Manager()->SetupAllMenuCommand(1);
    // Menu 500 has one item, so File's items start at M002; the own command is kept.
    const std::vector<UInt32> expected = {SpFourCC("open"), SpFourCC("M002"), SpFourCC("M003"),
                                          SpFourCC("M004"), SpFourCC("M005")};
    const auto items = sp_testing::ReadMenu(GetMenuHandle(128)).items;
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(items[i].command, expected[i]) << i;
      EXPECT_EQ(file->GetMenuItemByReferenceNo(SInt32(i + 1))->GetMenuCommand(), expected[i]) << i;
    }
  }
  // Sub-menus come after every bar menu: 129 has two items (M006, M007), then 130.
  EXPECT_EQ(ItemOf(bar, 130, 1)->GetMenuCommand(), SpFourCC("M008"));
}

// ---- Enabling, redrawing, failures ----------------------------------------------------------

// Every change reaches the toolbox menu, also a second pass through a state
// (disable-enable-disable); a change to the state already held does nothing and draws nothing.
TEST_F(MenuTest, EachEnableAndDisableReachesTheSystemMenuEveryTimeTheStateChanges) {
  Manager()->CreateNewMenuBarByResource(600);
  LoadCurrent(502);
  const auto itemOn = [](MenuID id, int item) {
    return sp_testing::ReadMenu(GetMenuHandle(id)).items[size_t(item - 1)].enabled;
  };
  const auto menuOn = [](MenuID id, int) {
    return sp_testing::ReadMenu(GetMenuHandle(id)).enabled;
  };
  struct Step {
    const char* why;
    std::function<void()> call;
    std::function<bool(MenuID, int)> enabled;
    MenuID menu;
    int item;
    bool expected;
    UInt32 draws;  // menu bar drawings it causes
  } steps[] = {
      // clang-format off
      {"disable", [] { Sp_DisableMenuItem(502, 128, 3, 1); }, itemOn, 128, 3, false, 1},
      {"disable again: nothing", [] { Sp_DisableMenuItem(502, 128, 3, 1); }, itemOn, 128, 3, false, 0},
      {"enable", [] { Sp_EnableMenuItem(502, 128, 3, 1); }, itemOn, 128, 3, true, 1},
      {"enable again: nothing", [] { Sp_EnableMenuItem(502, 128, 3, 1); }, itemOn, 128, 3, true, 0},
      {"disable a second time", [] { Sp_DisableMenuItem(502, 128, 3, 1); }, itemOn, 128, 3, false, 1},
      {"enable a second time", [] { Sp_EnableMenuItemOnCurrentMenuBar(128, 3, 0); }, itemOn, 128, 3, true, 0},
      {"sub-menu item", [] { Sp_DisableMenuItemOnCurrentMenuBar(130, 2, 0); }, itemOn, 130, 2, false, 0},
      {"sub-menu item back", [] { Sp_EnableMenuItemOnCurrentMenuBar(130, 2, 0); }, itemOn, 130, 2, true, 0},
      {"sub-menu item again", [] { Sp_DisableMenuItemOnCurrentMenuBar(130, 2, 0); }, itemOn, 130, 2, false, 0},
      {"menu", [] { Sp_DisableMenu(502, 129, 0); }, menuOn, 129, 0, false, 0},
      {"menu back", [] { Sp_EnableMenuOnCurrentMenuBar(129, 0); }, menuOn, 129, 0, true, 0},
      {"menu again", [] { Sp_DisableMenuOnCurrentMenuBar(129, 0); }, menuOn, 129, 0, false, 0},
      // clang-format on
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.why);
    const UInt32 draws = sp_testing::ReadMenuBar().drawCount;
    step.call();
    EXPECT_EQ(step.enabled(step.menu, step.item), step.expected);
    EXPECT_EQ(sp_testing::ReadMenuBar().drawCount - draws, step.draws);
  }
  // A bar that is not current, and ids that are not there: nothing happens, nothing is logged.
  ErrorLogCapture log;
  Sp_DisableMenu(600, 140, 0);
  EXPECT_FALSE(Sp_GetMenuObjOnTargetMenuBar(600, 140)->GetEnableFlag());
  Sp_DisableMenu(502, 999, 0);
  Sp_DisableMenuItem(777, 128, 1, 0);
  EXPECT_EQ(log.Count(), 0u);
}

// ---- Text-size menu -------------------------------------------------------------------------

}  // namespace
