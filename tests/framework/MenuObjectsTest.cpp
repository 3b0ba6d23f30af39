// Menus, menu items and their execute procedures, the font menu and menus of pop-up controls,
// against the Menu Manager.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

#include "SpFontManager.h"
#include "SpMenuExecProcObj.h"

namespace {

using sp_testing::MenuResourceItem;

const ResType kMENU = SpFourCC("MENU");

MenuResourceItem Item(const std::string& text, UInt8 mark = 0, UInt8 style = 0) {
  MenuResourceItem item;
  item.text = text;
  item.mark = mark;
  item.style = style;
  return item;
}
MenuResourceItem Hier(const std::string& text, UInt8 subMenu) {
  MenuResourceItem item = Item(text, subMenu);
  item.keyEquivalent = hMenuCmd;
  return item;
}
void AddMenu(MenuID id, const std::vector<MenuResourceItem>& items) {
  ASSERT_EQ(sp_testing::AddAppResource(kMENU, id, sp_testing::MakeMenuResource(id, "M", items)),
            noErr);
}

std::vector<std::string> gLog;

unsigned char LogItem(cSpMenu* menu, cSpMenuItem* item, sSpModifiersDataStruct&, URefCon user) {
  gLog.push_back(std::to_string(menu->GetResourceID()) + "/" +
                 std::to_string(item->GetReferenceNo()) + ":" +
                 reinterpret_cast<const char*>(user));
  return 0;
}
unsigned char LogMenu(cSpMenu* menu, cSpMenuItem*, SInt32 itemNo, sSpModifiersDataStruct&,
                      URefCon user) {
  gLog.push_back(std::to_string(menu->GetResourceID()) + "/" + std::to_string(itemNo) +
                 ":menu:" + reinterpret_cast<const char*>(user));
  return 0;
}
URefCon Name(const char* name) {
  return reinterpret_cast<URefCon>(name);
}

class MenuObjectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    gLog.clear();
    // 'MENU' 128: Open, a separator, Close, Recent (opens 130), Quit. 130 opens 131.
    AddMenu(128, {Item("Open"), Item("-"), Item("Close"), Hier("Recent", 130), Item("Quit")});
    AddMenu(130, {Item("One"), Item("Two"), Hier("More", 131)});
    AddMenu(131, {Item("Deep"), Item("Checked", checkMark, bold)});
  }
  void TearDown() override { Reset(); }
  static void Reset() {
    sp_testing::ResetMenuManager();
    sp_testing::ResetMenus();
    sp_testing::ResetResources();
    sp_testing::ResetWindows();
    sp_testing::ResetControls();
    sp_testing::ResetEvents();
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

// ---- Item objects and the system menu -------------------------------------------------------

TEST_F(MenuObjectsTest, ItemsAddedAtAPositionMatchTheSystemMenuItemForItem) {
  struct Case {
    SInt32 position;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {0, {"new", "a", "b", "c"}}, {1, {"a", "new", "b", "c"}},  {2, {"a", "b", "new", "c"}},
      {3, {"a", "b", "c", "new"}}, {-1, {"a", "b", "c", "new"}}, {99, {"a", "b", "c", "new"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    cSpMenu menu(200, "Test");
    for (const char* text : {"a", "b", "c"}) menu.CreateMenuItemAndSetupToMenuMgr(-1, text, 0);
    cSpMenuItem* item = menu.CreateMenuItemAndSetupToMenuMgr(c.position, "new", 0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ObjectTexts(menu), c.expected);
    EXPECT_EQ(SystemTexts(menu), c.expected);
    EXPECT_EQ(menu.GetMenuItemCount(), 4);
    DisposeMenu(menu.GetMacOSMenuHandle());
  }
}

TEST_F(MenuObjectsTest, ItemTextsAreKeptWholeCutBetweenCharactersAndOnlyADashIsALine) {
  // "ab" and then two-byte characters: byte 511 would be the first half of one.
  std::string kanji = "ab";
  for (int i = 0; i < 300; ++i) kanji += "\x82\xA0";
  struct Case {
    std::string text, object, system;  // the object holds 511 bytes, the system item 255
    bool separator;
  } cases[] = {
      {"Track 1; live (take 2)", "Track 1; live (take 2)", "Track 1; live (take 2)", false},
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
    const sp_testing::MenuModel model = sp_testing::ReadMenu(menu.GetMacOSMenuHandle());
    EXPECT_EQ(model.items[0].separator, c.separator);
    if (!c.separator) {
      EXPECT_EQ(model.items[0].text, c.system);
      EXPECT_TRUE(model.items[0].enabled);
      EXPECT_EQ(model.items[0].keyEquivalent, 0);
    }
  }
  // Renaming keeps the text whole too, and the object can be found by it.
  cSpMenu menu(200, "Files");
  menu.CreateMenuItemAndSetupToMenuMgr(-1, "a", 0);
  menu.SetupMenuItemString(1, "a;b");
  EXPECT_EQ(SystemTexts(menu)[0], "a;b");
  EXPECT_EQ(menu.GetMenuItemPtrByMenuItemName("a;b"), menu.GetMenuItemByReferenceNo(1));
}

TEST_F(MenuObjectsTest, ResyncKeepsProceduresInTheNewOrderAndReusesSeparators) {
  cSpMenu menu(128, 1, 1);
  MenuRef system = menu.GetMacOSMenuHandle();
  cSpMenuItem* close = menu.GetMenuItemByReferenceNo(3);
  cSpMenuItem* separator = menu.GetMenuItemByReferenceNo(2);
  close->SetupExecMenuItemProc(LogItem, Name("close"));
  // The system menu changes behind the objects' back: Close moves to the top, Open goes,
  // an item comes.
  DeleteMenuItem(system, 3);
  DeleteMenuItem(system, 1);
  const unsigned char kClose[] =
      "\x05"
      "Close";
  const unsigned char kSave[] =
      "\x04"
      "Save";
  InsertMenuItemText(system, kClose, 0);
  AppendMenuItemText(system, kSave);

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
  gLog.clear();
  EXPECT_EQ(close->ExecuteMenuItemProc(), 1);
  EXPECT_EQ(gLog, (std::vector<std::string>{"128/1:close"}));
}

// ---- Marks, styles, enabling ----------------------------------------------------------------

TEST_F(MenuObjectsTest, MarksAndStylesReachTheSystemItemsAndReportChanges) {
  cSpMenu menu(128, 1, 1);
  MenuRef system = menu.GetMacOSMenuHandle();
  const auto mark = [&](int item) { return sp_testing::ReadMenu(system).items[item - 1].mark; };
  const auto style = [&](int item) { return sp_testing::ReadMenu(system).items[item - 1].style; };
  unsigned char changed = 9;

  menu.SetMenuItemMark(1, 0, 1, 0, &changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(mark(1), checkMark) << "mark 0 is the check mark";
  menu.SetMenuItemMark(1, 0, 1, 0, &changed);
  EXPECT_EQ(changed, 0) << "the same mark again changes nothing";
  menu.SetMenuItemMark(3, '*', 1, 0, &changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(mark(1), noMark) << "exclusive: the other items are unmarked";
  EXPECT_EQ(mark(3), '*');
  menu.GetMenuItemByReferenceNo(2)->SetMark(nullptr, 0, 0);
  EXPECT_EQ(mark(2), noMark) << "a separator takes no mark";
  menu.ClearAllMenuItemMark(0, &changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(mark(3), noMark);

  cSpMenuItem* open = menu.GetMenuItemByReferenceNo(1);
  open->SetupItemOutputStyle(nullptr, bold, 1, 0);
  open->SetupItemOutputStyle(nullptr, italic, 1, 0);
  EXPECT_EQ(style(1), bold | italic);
  open->SetupItemOutputStyle(nullptr, italic, 0, 0);
  EXPECT_EQ(style(1), italic);
  menu.SetMenuItemStyle(0, underline, 0, 0, &changed);
  EXPECT_EQ(changed, 0) << "item 0 is no item";
  menu.SetMenuItemStyle(-1, underline, 1, 0, &changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(style(3), underline);
  EXPECT_EQ(style(2), normal) << "a separator takes no style";
  menu.ClearAllMenuItemStyle(0, &changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(style(1), normal);
}

TEST_F(MenuObjectsTest, EnablingActsOnlyOnAChangeAndRedrawsOnlyThen) {
  cSpMenu menu(128, 1, 1);
  MenuRef system = menu.GetMacOSMenuHandle();
  const UInt32 draws = sp_testing::ReadMenuBar().drawCount;
  menu.Enable(1);  // never disabled: nothing
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, draws);
  for (int pass = 0; pass < 2; ++pass) {  // a second pass must reach the system menu again
    menu.Disable(1);
    EXPECT_FALSE(IsMenuItemEnabled(system, 0));
    EXPECT_FALSE(menu.GetEnableFlag());
    menu.Enable(1);
    EXPECT_TRUE(IsMenuItemEnabled(system, 0));
  }
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, draws + 4);
  menu.Disable(1);
  menu.DisableMenuTargetItem(3, 1);
  EXPECT_FALSE(IsMenuItemEnabled(system, 3));
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, draws + 6);
  menu.EnableMenuTargetItem(3, 0);
  menu.Enable(0);
  EXPECT_TRUE(IsMenuItemEnabled(system, 3));
  EXPECT_TRUE(IsMenuItemEnabled(system, 0));
}

// ---- Execute procedures ---------------------------------------------------------------------

struct Counted {
  int calls = 0;
  unsigned char result = 0;
};
unsigned char CountedItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon user) {
  Counted* counted = reinterpret_cast<Counted*>(user);
  ++counted->calls;
  return counted->result;
}

TEST_F(MenuObjectsTest, ListStopsAtTheFirstProcedureThatTakesTheChoiceAndAlwaysCountsAsHandled) {
  struct Case {
    std::vector<unsigned char> results;
    std::vector<int> calls;
    unsigned char handled;
  };
  const Case cases[] = {
      {{0, 1, 1}, {1, 1, 0}, 1},
      {{0, 0}, {1, 1}, 1},
      {{}, {}, 0},
  };
  for (const Case& c : cases) {
    cSpMenu menu(200, "Procs");
    cSpMenuItem* item = menu.CreateMenuItemAndSetupToMenuMgr(-1, "x", 0);
    std::vector<Counted> counted(c.results.size());
    for (size_t i = 0; i < counted.size(); ++i) {
      counted[i].result = c.results[i];
      item->SetupExecMenuItemProc(CountedItemProc, reinterpret_cast<URefCon>(&counted[i]));
    }
    EXPECT_EQ(item->ExecuteMenuItemProc(), c.handled);
    std::vector<int> calls;
    for (const Counted& one : counted) calls.push_back(one.calls);
    EXPECT_EQ(calls, c.calls);
  }
}

TEST_F(MenuObjectsTest, ProcedureNumbersAreNeverReusedAndUnknownOnesAreReported) {
  cSpMenu menu(200, "Procs");
  std::vector<SInt32> numbers;
  for (int i = 0; i < 3; ++i) numbers.push_back(menu.SetupExecMenuItemProc(LogMenu, Name("m")));
  menu.RemoveExecMenuItemProc(2);
  numbers.push_back(menu.SetupExecMenuItemProc(LogMenu, Name("m")));
  EXPECT_EQ(numbers, (std::vector<SInt32>{1, 2, 3, 4}));
  gLog.clear();
  EXPECT_EQ(menu.ExecuteMenuItemProc(nullptr, 7), 1);
  EXPECT_EQ(gLog.size(), 3u);

  ErrorLogCapture log;
  menu.RemoveExecMenuItemProc(2);
  EXPECT_TRUE(log.Has("cSpMenu::RemoveExecMenuItemProc", 1));
  // A failed allocation hands out no number but spends one.
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(menu.SetupExecMenuItemProc(LogMenu, Name("m")), 0);
  EXPECT_TRUE(log.Has("cSpMenu::SetupExecMenuItemProc", 1));
  EXPECT_EQ(menu.SetupExecMenuItemProc(LogMenu, Name("m")), 6);

  cSpMenuItem* item = menu.CreateMenuItemAndSetupToMenuMgr(-1, "x", 0);
  const SInt32 only = item->SetupExecMenuItemProc(LogItem, Name("i"));
  item->RemoveExecMenuItemProc(only);
  EXPECT_FALSE(item->ExistExecuteMenuItemProc());
  EXPECT_EQ(item->ExecuteMenuItemProc(), 0);
}

// ---- The font menu -------------------------------------------------------------------------

TEST_F(MenuObjectsTest, FontMenuListsEveryFontOfTheManagerInItsOrderAfterTheItemsThere) {
  std::vector<std::string> fonts;
  for (cSp_FontItem* font = Sp_GetFontManager(1)->GetFontItemList(); font != nullptr;
       font = font->GetNextObjectPtr()) {
    if (font->GetFontName()[0] != '\0') fonts.push_back(font->GetFontName());
  }
  ASSERT_FALSE(fonts.empty());
  cSpMenu menu(9600, "Font");
  menu.CreateMenuItemAndSetupToMenuMgr(-1, "Size...", 0);
  const UInt32 drawsBefore = sp_testing::ReadMenuBar().drawCount;
  menu.AddFontMenuItem(0);
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, drawsBefore) << "no redraw asked";
  std::vector<std::string> expected = fonts;
  expected.insert(expected.begin(), "Size...");
  EXPECT_EQ(SystemTexts(menu), expected);
  EXPECT_EQ(ObjectTexts(menu), expected);
  menu.AddFontMenuItem(1);
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, drawsBefore + 1);
  EXPECT_EQ(CountMenuItems(menu.GetMacOSMenuHandle()), SInt16(2 * fonts.size() + 1));
}

// ---- Menus of pop-up controls ---------------------------------------------------------------

TEST_F(MenuObjectsTest, PopupControlMenuIsWrappedAndItsItemsBuiltOnlyWhenAsked) {
  std::vector<MenuResourceItem> items = {Item("AIFF"), Item("WAVE"), Item("MooV")};
  AddMenu(129, items);
  Rect content = {100, 100, 300, 400};
  WindowRef window = nullptr;
  ASSERT_EQ(
      CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &content, &window),
      noErr);
  ShowWindow(window);
  Rect bounds = {20, 20, 40, 220};
  const unsigned char title[] = {5, 'T', 'y', 'p', 'e', ':'};
  ControlRef popup = NewControl(window, &bounds, title, true, 0, 129, 50, popupMenuProc, 0);
  ASSERT_NE(popup, nullptr);
  {
    cSpMenu bare(popup, 0);
    EXPECT_EQ(bare.GetMenuItemListHead(), nullptr) << "without the items flag";
    EXPECT_NE(bare.GetMacOSMenuHandle(), nullptr);
  }
  cSpMenu menu(popup, 1);
  EXPECT_EQ(menu.GetMenuKind(), kSpMenuKindControl);
  EXPECT_EQ(menu.GetMacOSMenuHandle(), GetControlPopupMenuHandle(popup));
  EXPECT_EQ(menu.GetResourceID(), 129);
  EXPECT_EQ(ObjectTexts(menu), (std::vector<std::string>{"AIFF", "WAVE", "MooV"}));
  // An item added through the object can be chosen in the pop-up.
  ASSERT_NE(menu.CreateMenuItemAndSetupToMenuMgr(-1, "AIFC", 0), nullptr);
  sp_testing::ChoosePopupItem(popup, 4);
  EXPECT_EQ(GetControlValue(popup), 4);
  EXPECT_EQ(GetControlMaximum(popup), 4);

  // No control, or one without a menu: no system menu, reported once.
  ErrorLogCapture log;
  cSpMenu none(static_cast<ControlRef>(nullptr), 0);
  EXPECT_EQ(none.GetMacOSMenuHandle(), nullptr);
  Rect buttonBounds = {60, 20, 80, 120};
  ControlRef button = NewControl(window, &buttonBounds, nullptr, true, 0, 0, 1, pushButProc, 0);
  cSpMenu notPopup(button, 1);
  EXPECT_EQ(notPopup.GetMacOSMenuHandle(), nullptr);
  EXPECT_EQ(log.Count(), 1u);
}

}  // namespace
