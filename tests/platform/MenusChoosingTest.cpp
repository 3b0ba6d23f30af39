// Key equivalents, the command events of chosen items, the standard handling of Command keys,
// the application menu's Quit, and MenuSelect / PopUpMenuSelect.
#include <string>
#include <vector>

#include "Gestalt.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using P = PStr;
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
