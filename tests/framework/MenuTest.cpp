// Menus, menu items (texts, marks, styles, resyncs) and their execute procedures, the menu
// manager's bars and hierarchical menus, dispatch of menu choices and commands, automatic
// command ids, the enable helpers, the font and text-size menus and pop-up menus, against the
// Menu Manager.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <new>
#include <tuple>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "FrameworkTestSupport.h"
#include "SpMenuBarObj.h"
#include "SpFontManager.h"
#include "SpMenuExecProcObj.h"
#include "SpMenuPopupObj.h"

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

// ---- Item styles, resync of a changed system menu, clearing ---------------------------------

TEST_F(MenuTest, ItemsReadFromAResourceKeepSeparatorsHierarchiesMarksAndStyles) {
  MenuResourceItem checked = Item("Checked", checkMark);
  checked.style = bold;
  AddMenu(132, "Styled", {Item("Plain"), checked});
  cSpMenu menu(128, 1, 1);
  cSpMenu styled(132, 1, 1);
  EXPECT_EQ(ObjectTexts(menu), (std::vector<std::string>{"Open", "-", "Close", "Recent", "Quit"}));
  EXPECT_TRUE(menu.GetMenuItemByReferenceNo(2)->GetSeparatorFlag());
  cSpMenuItem* recent = menu.GetMenuItemByReferenceNo(4);
  EXPECT_TRUE(recent->HasSubMenu());
  EXPECT_EQ(recent->GetSubMenuID(), 130);
  EXPECT_FALSE(recent->IsSetupedMark()) << "a hierarchical item's mark byte is its sub-menu";
  EXPECT_TRUE(recent->CheckSubMenuIncompleteSetup());
  EXPECT_FALSE(styled.GetMenuItemByReferenceNo(1)->IsSetupedMark());
  EXPECT_EQ(styled.GetMenuItemByReferenceNo(1)->GetItemOutputStyle(), normal);
  cSpMenuItem* item = styled.GetMenuItemByReferenceNo(2);
  EXPECT_TRUE(item->IsSetupedMark());
  EXPECT_EQ(item->GetMarkChar(), checkMark);
  EXPECT_EQ(item->GetItemOutputStyle(), bold);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(MenuTest, StylesReachTheSystemItemsAndReportChanges) {
  cSpMenu menu(128, 1, 1);
  const auto style = [&](int item) {
    return sp_testing::ReadMenu(menu.GetMacOSMenuHandle()).items[std::size_t(item - 1)].style;
  };
  unsigned char changed = 9;
  cSpMenuItem* open = menu.GetMenuItemByReferenceNo(1);
  open->SetupItemOutputStyle(nullptr, bold, 1, 0);
  open->SetupItemOutputStyle(nullptr, italic, 1, 0);
  EXPECT_EQ(style(1), bold | italic) << "styles add up";
  open->SetupItemOutputStyle(nullptr, italic, 0, 0);
  EXPECT_EQ(style(1), italic) << "without adding, the style replaces the one there";
  menu.SetMenuItemStyle(0, underline, 1, 0, &changed);
  EXPECT_EQ(changed, 0) << "item 0 is no item";
  EXPECT_EQ(style(1), italic);
  menu.SetMenuItemStyle(-1, underline, 1, 0, &changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(style(3), underline) << "-1 is every item";
  EXPECT_EQ(style(1), italic | underline);
  EXPECT_EQ(style(2), normal) << "a separator takes no style";
  menu.SetMenuItemStyle(-1, underline, 1, 0, &changed);
  EXPECT_EQ(changed, 0) << "the same style again changes nothing";
  menu.ClearAllMenuItemStyle(0, &changed);
  EXPECT_EQ(changed, 1);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(style(i), normal) << i;
}

// The system menu changes behind the objects' back: Close moves to the top, Open goes, an item
// comes. Objects follow the new order with their procedures; the one left over is reported.
TEST_F(MenuTest, ResyncKeepsProceduresInTheNewOrderAndReusesSeparators) {
  cSpMenu menu(128, 1, 1);
  MenuRef system = menu.GetMacOSMenuHandle();
  cSpMenuItem* close = menu.GetMenuItemByReferenceNo(3);
  cSpMenuItem* separator = menu.GetMenuItemByReferenceNo(2);
  close->SetupExecMenuItemProc(ItemProc, Tag("close"));
  DeleteMenuItem(system, 3);
  DeleteMenuItem(system, 1);
  Str255 text;
  Sp_MenuTextToPascal("Close", text);
  InsertMenuItemText(system, text, 0);
  Sp_MenuTextToPascal("Save", text);
  AppendMenuItemText(system, text);

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ErrorLogCapture log;
    menu.AutoModifyMenuItemWithMenuHandleData(0);
    EXPECT_EQ(ObjectTexts(menu),
              (std::vector<std::string>{"Close", "-", "Recent", "Quit", "Save"}));
    EXPECT_EQ(menu.GetMenuItemByReferenceNo(1), close);
    EXPECT_EQ(menu.GetMenuItemByReferenceNo(2), separator);
    EXPECT_TRUE(close->ExistExecuteMenuItemProc());
    // Only the first round leaves an object over ("Open"); separators never do.
    EXPECT_EQ(log.Count(), round == 0 ? 1u : 0u);
    EXPECT_EQ(log.Beeps(), round == 0 ? 1u : 0u);
  }
  EXPECT_EQ(close->ExecuteMenuItemProc(), 1);
  EXPECT_EQ(Log(), (std::vector<std::string>{"close:128/1"}));
}

TEST_F(MenuTest, ClearingRemovesEverySystemItemAndObject) {
  cSpMenu menu(128, 1, 1);
  menu.ClearMenuItemAndSetupToMenuMgr();
  EXPECT_EQ(menu.GetMenuItemListHead(), nullptr);
  EXPECT_EQ(menu.GetMenuItemCount(), 0);
  EXPECT_EQ(CountMenuItems(menu.GetMacOSMenuHandle()), 0u);
  ASSERT_NE(menu.CreateMenuItemAndSetupToMenuMgr(-1, "again", 0), nullptr);
  EXPECT_EQ(ObjectTexts(menu), (std::vector<std::string>{"again"}));
  EXPECT_EQ(SystemTexts(menu), (std::vector<std::string>{"again"}));
}

// An item's procedures run in order until one takes the choice; having any counts as handled.
TEST_F(MenuTest, ItemProceduresStopAtTheFirstThatTakesTheChoice) {
  const struct {
    std::vector<unsigned char> results;
    std::vector<std::string> log;
    unsigned char handled;
  } cases[] = {
      {{0, 1, 1}, {"p0:200/1", "p1:200/1"}, 1},
      {{0, 0}, {"p0:200/1", "p1:200/1"}, 1},
      {{}, {}, 0},
  };
  for (const auto& c : cases) {
    Log().clear();
    cSpMenu menu(200, "Procs");
    cSpMenuItem* item = menu.CreateMenuItemAndSetupToMenuMgr(-1, "x", 0);
    for (std::size_t i = 0; i < c.results.size(); ++i) {
      item->SetupExecMenuItemProc(ItemProc, Tag("p" + std::to_string(i), c.results[i]));
    }
    EXPECT_EQ(item->ExecuteMenuItemProc(), c.handled);
    EXPECT_EQ(Log(), c.log);
  }
}

// ---- Bars -----------------------------------------------------------------------------------

TEST_F(MenuTest, HierarchicalMenusReachTheSystemOnlyWhenTheirBarBecomesCurrent) {
  const auto hierarchical = [] {
    std::vector<MenuID> ids;
    for (const auto& menu : sp_testing::ReadMenuBar().hierarchical) ids.push_back(menu.id);
    return ids;
  };
  cSpMenuBar* bar = Manager()->CreateNewMenuBarByResource(502);
  EXPECT_TRUE(hierarchical().empty());
  EXPECT_EQ(GetMenuHandle(131), nullptr);
  Manager()->SetCurrentMenuBar(bar);
  EXPECT_EQ(hierarchical(), (std::vector<MenuID>{130, 131}));
  EXPECT_NE(GetMenuHandle(131), nullptr);
  EXPECT_TRUE(Sp_IsCurrentMenuBar(bar));
  // Going to another bar and back: the sub-menus are there again, each once.
  Manager()->SetCurrentMenuBar(Manager()->CreateNewMenuBarByResource(600));
  EXPECT_EQ(GetMenuHandle(130), nullptr);
  Manager()->SetCurrentMenuBar(bar);
  EXPECT_EQ(hierarchical(), (std::vector<MenuID>{130, 131}));
  EXPECT_TRUE(sp_testing::ChooseMenuItem(131, 1).chosen);
}

TEST_F(MenuTest, BarsLoadInBothMenuLayoutsAndOnlyTheClassicAppleMenuGetsDeskAccessories) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("MBAR"), 505,
                                       sp_testing::MakeMenuBarResource({500, 128})),
            noErr);
  // Two desk accessories and one hidden one, for the classic Apple menu.
  const std::vector<UInt8> code = {0x4E, 0x75};
  for (const auto& [id, name] : {std::make_pair(12, "Alarm"), std::make_pair(13, "Chooser"),
                                 std::make_pair(14, ".Sony")}) {
    ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("DRVR"), SInt16(id), code, name), noErr);
  }
  const struct {
    const char* why;
    SInt32 gestaltMenu;
    SInt16 mbarId;
    std::vector<MenuID> barMenus;
    std::vector<std::string> appleItems;
    bool applicationMenu;
  } cases[] = {
      {"classic layout", 0, 502, {500, 128, 129}, {"About", "Alarm", "Chooser"}, false},
      {"Aqua layout", 2, 505, {500, 128}, {"About"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Reset();
    sp_testing::SetGestalt(gestaltMenuMgrAttr, c.gestaltMenu);
    cSpMenuBar* bar = LoadCurrent(c.mbarId);
    bar->SetupAppleMenuItemByResourceId(500);
    ASSERT_NE(bar->GetAppleMenuPtr(), nullptr);
    EXPECT_TRUE(bar->GetAppleMenuPtr()->IsAppleMenu());

    const sp_testing::MenuBarModel model = sp_testing::ReadMenuBar();
    EXPECT_EQ(model.hasApplicationMenu, c.applicationMenu);
    std::vector<MenuID> shown;
    for (const auto& menu : model.menus) shown.push_back(menu.id);
    if (c.applicationMenu) shown.erase(shown.begin());
    EXPECT_EQ(shown, c.barMenus);
    std::vector<std::string> apple;
    for (const auto& item : sp_testing::ReadMenu(GetMenuHandle(500)).items) {
      apple.push_back(item.text);
    }
    EXPECT_EQ(apple, c.appleItems);
  }
}

TEST_F(MenuTest, BarWithMissingResourcesIsStillAppendedButCannotBecomeCurrent) {
  cSpMenuBar* bar = Manager()->CreateNewMenuBarByResource(777);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetMenuListHeadPtr(), nullptr);
  EXPECT_EQ(Sp_GetMenuBarObject(777), bar);
  Manager()->SetCurrentMenuBar(bar);
  EXPECT_EQ(Manager()->GetCurrentMenuBar(), nullptr);
}

TEST_F(MenuTest, ManagerFailuresAreReportedWithTheirCodes) {
  ErrorLogCapture log;
  cSpMenuManager* manager = Manager();
  manager->ChangeCurrentMenuBar(777);
  EXPECT_TRUE(log.Has("cSpMenuManager::ChangeCurrentMenuBar", 1));
  manager->SetupSubMenuIntoCurrentMenuBar(1);
  EXPECT_TRUE(log.Has("cSpMenuManager::SetupSubMenuIntoCurrentMenuBar", 3));
  EXPECT_EQ(manager->SetupMenuIntoSubMenu(nullptr, nullptr, 0), 0);
  EXPECT_TRUE(log.Has("cSpMenuManager::SetupMenuIntoSubMenu", 1));
  EXPECT_EQ(log.Count(), 3u);
  EXPECT_EQ(log.Beeps(), 3u);

  // A bar made outside the manager is ignored without a report; redrawing with no bar at all
  // still draws.
  log.Clear();
  std::unique_ptr<cSpMenuBar> stray(new (std::nothrow) cSpMenuBar(502));
  ASSERT_NE(stray, nullptr);
  manager->SetCurrentMenuBar(stray.get());
  EXPECT_EQ(manager->GetCurrentMenuBar(), nullptr);
  const UInt32 draws = sp_testing::ReadMenuBar().drawCount;
  manager->ReDrawMenu();
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, draws + 1);
  EXPECT_EQ(log.Count(), 0u);
  stray->DisposeAllMenusForReset();
}

TEST_F(MenuTest, AttachingACallersMenuAsSubMenuChecksItBelongsNowhereYet) {
  cSpMenuBar* bar = LoadCurrent(502);
  cSpMenu* own = new (std::nothrow) cSpMenu(300, "Own");
  std::unique_ptr<cSpMenu> straySub(new (std::nothrow) cSpMenu(301, "Stray"));
  ASSERT_NE(straySub, nullptr);
  cSpMenuItem* strayItem = straySub->CreateMenuItemAndSetupToMenuMgr(-1, "x", 0);
  cSpMenuItem* undo = ItemOf(bar, 129, 1);
  {
    ErrorLogCapture log;
    // Already in the bar, or the item's menu not in the bar: refused, nothing changes.
    EXPECT_EQ(Manager()->SetupMenuIntoSubMenu(undo, bar->GetMenuByResourceID(130), 0), 0);
    EXPECT_EQ(Manager()->SetupMenuIntoSubMenu(strayItem, own, 0), 0);
    EXPECT_EQ(log.Count(), 2u);
    EXPECT_TRUE(log.Has("cSpMenuBar::SetupMenuIntoSubMenu", 3));
    EXPECT_EQ(undo->GetSubMenuPtr(), nullptr);
  }
  EXPECT_EQ(Manager()->SetupMenuIntoSubMenu(undo, own, 1), 1);  // `own` now belongs to the bar
  EXPECT_EQ(undo->GetSubMenuPtr(), own);
  EXPECT_EQ(bar->GetMenuByResourceID(300), own);
  EXPECT_EQ(sp_testing::ReadMenu(GetMenuHandle(129)).items[0].subMenu, 300);
  EXPECT_NE(GetMenuHandle(300), nullptr);
}

// ---- Font and text-size menus ---------------------------------------------------------------

TEST_F(MenuTest, FontMenuListsEveryFontOfTheManagerInItsOrderAfterTheItemsThere) {
  std::vector<std::string> fonts;
  for (cSp_FontItem* font = Sp_GetFontManager(1)->GetFontItemList(); font != nullptr;
       font = font->GetNextObjectPtr()) {
    if (font->GetFontName()[0] != '\0') fonts.push_back(font->GetFontName());
  }
  ASSERT_GE(fonts.size(), 2u);
  cSpMenu menu(9600, "Font");
  menu.CreateMenuItemAndSetupToMenuMgr(-1, "Size...", 0);
  const UInt32 draws = sp_testing::ReadMenuBar().drawCount;
  menu.AddFontMenuItem(0);
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, draws) << "no redraw asked";
  std::vector<std::string> expected = {"Size..."};
  expected.insert(expected.end(), fonts.begin(), fonts.end());
  EXPECT_EQ(SystemTexts(menu), expected);
  EXPECT_EQ(ObjectTexts(menu), expected) << "the item objects match the menu";

  menu.AddFontMenuItem(1);
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, draws + 1);
  EXPECT_EQ(CountMenuItems(menu.GetMacOSMenuHandle()), SInt16(2 * fonts.size() + 1));
}

// Sizes come from a string list in its order up to its first empty string; their texts are
// kept whole, as plain enabled items.
TEST_F(MenuTest, TextSizeMenuKeepsListOrderStopsAtTheFirstEmptyStringAndKeepsTexts) {
  ASSERT_EQ(sp_testing::AddAppResource(
                SpFourCC("STR#"), 7000,
                sp_testing::MakeStringList({"9", "10;(^12", "-14", "", "18"})),
            noErr);
  cSpMenu menu(301, "Size");
  Wuk_SetupTextSizeMenu(&menu, 7000, 0);
  const std::vector<std::string> expected = {"9", "10;(^12", "-14"};
  EXPECT_EQ(ObjectTexts(menu), expected);
  EXPECT_EQ(SystemTexts(menu), expected);
  for (const auto& item : sp_testing::ReadMenu(menu.GetMacOSMenuHandle()).items) {
    EXPECT_TRUE(item.enabled);
    EXPECT_FALSE(item.separator);
  }
  ErrorLogCapture log;
  Wuk_SetupTextSizeMenu(nullptr, 7000, 0);
  EXPECT_TRUE(log.Has("Wuk_SetupTextSizeMenu", 1));
}

// ---- Pop-up menus ---------------------------------------------------------------------------

// Runs the pop-up cases in a frame of its own, so that no pointer to the pop-up's sub-menus
// is left on the live stack when the test looks for leaks.
__attribute__((noinline)) void RunPopupCases(WindowRef window) {
  std::unique_ptr<cSpPopupMenu> popup(new (std::nothrow) cSpPopupMenu(window, 10, 20, 3, 128));
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->GetMenuByResourceID(128), popup.get());
  ASSERT_NE(popup->GetMenuByResourceID(130), nullptr);
  ASSERT_NE(popup->GetMenuByResourceID(131), nullptr);
  popup->SetupExecMenuItemProc(MenuProc, Tag("popup"));
  popup->GetMenuByResourceID(130)->GetMenuItemByReferenceNo(2)->SetupExecMenuItemProc(
      ItemProc, Tag("two"));
  popup->SetupLeftTopPosit(-1, 30);
  EXPECT_EQ(popup->GetLeft(), 10);
  EXPECT_EQ(popup->GetTop(), 30);

  const std::tuple<MenuID, MenuItemIndex, std::vector<std::string>> cases[] = {
      {130, 2, {"two:130/2"}},  // a sub-menu's item: not the pop-up's own procedures
      {128, 5, {"popup:128/5"}},
      {0, 0, {}},  // dismissed
  };
  for (const auto& [menu, item, log] : cases) {
    SCOPED_TRACE(menu);
    Log().clear();
    if (menu != 0) sp_testing::SetNextPopUpMenuSelect(menu, item);
    const UInt32 draws = sp_testing::ReadMenuBar().drawCount;
    popup->OpenPopup();
    EXPECT_EQ(Log(), log);
    EXPECT_TRUE(sp_testing::ReadMenuBar().hierarchical.empty());
    EXPECT_EQ(GetMenuHandle(128), nullptr);
    EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, draws + 1);
    // The point was given in the window's coordinates.
    const sp_testing::PopUpRequest request = sp_testing::LastPopUpRequest();
    EXPECT_EQ(request.top, 100 + 30);
    EXPECT_EQ(request.left, 40 + 10);
    EXPECT_EQ(request.popUpItem, 3);
  }
}

TEST_F(MenuTest, PopupRunsTheChosenMenusProceduresAndFreesItsSubMenus) {
  Rect bounds = {100, 40, 300, 240};
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window), noErr);
  RunPopupCases(window);
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "the pop-up's sub-menus were not freed";
#endif
  DisposeWindow(window);
}

// A menu object made from a pop-up button control wraps the control's own menu.
TEST_F(MenuTest, MenuOfAPopupControlWrapsItsItemsAndAddsChoosableOnes) {
  AddMenu(150, "Type", {Item("AIFF"), Item("WAVE"), Item("MooV")});
  Rect content = {100, 100, 300, 400};
  WindowRef window = nullptr;
  ASSERT_EQ(
      CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &content, &window),
      noErr);
  ShowWindow(window);
  Rect bounds = {20, 20, 40, 220};
  const unsigned char title[] = {5, 'T', 'y', 'p', 'e', ':'};
  ControlRef popup = NewControl(window, &bounds, title, true, 0, 150, 50, popupMenuProc, 0);
  ASSERT_NE(popup, nullptr);

  cSpMenu empty(popup, 0);
  EXPECT_EQ(empty.GetMenuItemListHead(), nullptr) << "without the items flag none are made";
  EXPECT_NE(empty.GetMacOSMenuHandle(), nullptr);

  cSpMenu menu(popup, 1);
  EXPECT_EQ(menu.GetMenuKind(), kSpMenuKindControl);
  EXPECT_EQ(menu.GetMacOSMenuHandle(), GetControlPopupMenuHandle(popup));
  EXPECT_EQ(menu.GetResourceID(), 150);
  EXPECT_EQ(ObjectTexts(menu), (std::vector<std::string>{"AIFF", "WAVE", "MooV"}));
  ASSERT_NE(menu.CreateMenuItemAndSetupToMenuMgr(-1, "AIFC", 0), nullptr);
  sp_testing::ChoosePopupItem(popup, 4);
  EXPECT_EQ(GetControlValue(popup), 4);
  EXPECT_EQ(GetControlMaximum(popup), 4);

  // No control, or one without a menu: no system menu, reported once.
  ErrorLogCapture log;
  cSpMenu none(static_cast<ControlRef>(nullptr), 0);
  EXPECT_EQ(none.GetMacOSMenuHandle(), nullptr);
  EXPECT_EQ(none.GetMenuKind(), kSpMenuKindControl);
  Rect buttonBounds = {60, 20, 80, 120};
  ControlRef button = NewControl(window, &buttonBounds, nullptr, true, 0, 0, 1, pushButProc, 0);
  cSpMenu notPopup(button, 1);
  EXPECT_EQ(notPopup.GetMacOSMenuHandle(), nullptr);
  EXPECT_EQ(log.Count(), 1u);
  DisposeWindow(window);
}

}  // namespace
