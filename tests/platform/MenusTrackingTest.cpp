// Menus followed by a person (the mouse and keys a display posts): the bar above the front
// document window, pulling a menu down, choosing, cancelling, popup menus, the bar's drawing,
// and a press in the bar reaching the menus through the standard handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "CommandEvents.h"
#include "TestAppleEvents.h"
#include "UiFixture.h"
#include "ui/internal/Menus.h"
#include "ui/internal/Windows.h"

namespace ui_test {
namespace {

using sp_platform::menus::BarTitles;
using sp_platform::menus::MenuBarBounds;

constexpr MenuID kFile = 200;

class MenuTracking : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    menu_ = NewMenu(kFile, PStr("File"));
    AppendMenuItemText(menu_, PStr("Open"));
    AppendMenu(menu_, PStr("-"));
    AppendMenuItemText(menu_, PStr("Locked"));
    AppendMenuItemText(menu_, PStr("Save"));
    DisableMenuItem(menu_, 3);
    SetMenuItemCommandID(menu_, 4, SpFourCC("save"));
    InsertMenu(menu_, 0);
    sp_platform::menus::SetLiveMenuTracking(true);
    window_ = MakeWindow(R(100, 50, 300, 450));
  }

 public:
  // The middle of the title of the File menu, and of an item of it when pulled down.
  Point Title() const {
    const Rect bar = MenuBarBounds();
    for (const auto& t : BarTitles()) {
      if (t.menu == menu_) {
        return Pt(SInt16(bar.left + (t.bounds.left + t.bounds.right) / 2), SInt16(bar.top + 10));
      }
    }
    ADD_FAILURE() << "the File menu has no title";
    return Pt(0, 0);
  }
  Point Item(int item) const {
    static const int kTops[] = {0, 0, 18, 27, 45};
    const Rect bar = MenuBarBounds();
    for (const auto& t : BarTitles()) {
      if (t.menu == menu_) {
        return Pt(SInt16(bar.left + t.bounds.left + 20), SInt16(bar.bottom + kTops[item] + 5));
      }
    }
    return Pt(0, 0);
  }

 protected:
  MenuRef menu_ = nullptr;
  WindowRef window_ = nullptr;
};

TEST_F(MenuTracking, TheBarIsTheStripAboveTheFrontDocumentWindowAndFindWindowKnowsIt) {
  EXPECT_TRUE(Same(MenuBarBounds(), R(80, 50, 100, 450)));
  WindowRef other = MakeWindow(R(300, 500, 400, 700));
  EXPECT_TRUE(Same(MenuBarBounds(), R(280, 500, 300, 700))) << "it follows the front window";
  WindowRef found = nullptr;
  EXPECT_EQ(FindWindow(Pt(600, 290), &found), inMenuBar);
  EXPECT_EQ(FindWindow(Pt(5, 5), &found), inDesk) << "the screen's top is no bar any more";
  HideWindow(other);
  HideWindow(window_);
  const Rect none = MenuBarBounds();
  EXPECT_TRUE(EmptyRect(&none)) << "no document window: no bar";
  sp_platform::menus::SetLiveMenuTracking(false);
  EXPECT_TRUE(Same(MenuBarBounds(), R(0, 0, GetMBarHeight(), 1024)));
}

struct Gesture {
  const char* what;
  // Posts the input after the press on the title that starts MenuSelect.
  std::function<void(const MenuTracking&)> input;
  MenuItemIndex chosen;  // 0: no choice
};

class MenuGestures : public MenuTracking, public ::testing::WithParamInterface<int> {};

const Gesture& GestureAt(int i);

TEST_P(MenuGestures, AnswerTheItemChosenAndLeaveNoMenuOpen) {
  const Gesture& g = GestureAt(GetParam());
  SCOPED_TRACE(g.what);
  // The press on the title is the caller's: MenuSelect starts after it was taken.
  g.input(*this);
  const SInt32 choice = MenuSelect(Title());
  EXPECT_EQ(choice, g.chosen == 0 ? 0 : SInt32((SInt32(kFile) << 16) | g.chosen));
  EXPECT_EQ(sp_testing::ReadMenuBar().hilited, g.chosen == 0 ? 0 : kFile)
      << "a choice leaves its title hilited, a cancel none";
  EXPECT_EQ(sp_platform::WindowListFrontToBack().size(), 1u) << "the menu's window is gone";
}

const Gesture kGestures[] = {
    {"dragged to an item and released", [](const MenuTracking& t) {
       sp_testing::PostMouseDragged(t.Item(4));
       sp_testing::PostMouseUp(t.Item(4));
     }, 4},
    {"released over a disabled item", [](const MenuTracking& t) {
       sp_testing::PostMouseDragged(t.Item(3));
       sp_testing::PostMouseUp(t.Item(3));
     }, 0},
    {"released over the separator", [](const MenuTracking& t) {
       sp_testing::PostMouseUp(t.Item(2));
     }, 0},
    {"released on the title, then an item clicked", [](const MenuTracking& t) {
       sp_testing::PostMouseUp(t.Title());
       sp_testing::PostMouseMoved(t.Item(1));
       sp_testing::PostMouseDown(t.Item(1));
       sp_testing::PostMouseUp(t.Item(1));
     }, 1},
    {"released on the title, then a click outside", [](const MenuTracking& t) {
       sp_testing::PostMouseUp(t.Title());
       sp_testing::PostMouseDown(Pt(900, 700));
       sp_testing::PostMouseUp(Pt(900, 700));
     }, 0},
    {"arrow keys pass the line and the disabled item, Return chooses", [](const MenuTracking& t) {
       sp_testing::PostMouseUp(t.Title());
       sp_testing::PostKeyDown(0x1F, 125);
       sp_testing::PostKeyDown(0x1F, 125);
       sp_testing::PostKeyDown(0x0D, 36);
     }, 4},
    {"Escape closes", [](const MenuTracking& t) {
       sp_testing::PostMouseUp(t.Title());
       sp_testing::PostKeyDown(0x1F, 125);
       sp_testing::PostKeyDown(0x1B, 53);
     }, 0},
    {"no more input comes", [](const MenuTracking&) {}, 0},
};

const Gesture& GestureAt(int i) {
  return kGestures[i];
}

INSTANTIATE_TEST_SUITE_P(All, MenuGestures,
                         ::testing::Range(0, int(sizeof kGestures / sizeof kGestures[0])));

// The desktop closing (the session's quit) ends a menu being followed as if cancelled, at
// once: it does not wait for the person's release, which would otherwise choose an item.
TEST_F(MenuTracking, AMenuBeingTrackedEndsWhenTheDesktopCloses) {
  sp_testing::AppleEventScope appleEvents;
  struct Steps {
    MenuTracking* test;
    int fires = 0;
  } steps{this};
  auto step = [](EventLoopTimerRef, void* data) {
    Steps* s = static_cast<Steps*>(data);
    ++s->fires;
    if (s->fires == 3) sp_testing::RaiseQuitRequest();
    if (s->fires == 50) {
      sp_testing::PostMouseDragged(s->test->Item(4));
      sp_testing::PostMouseUp(s->test->Item(4));
    }
  };
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.1, 0.1, step, &steps, &timer), noErr);
  const SInt32 choice = MenuSelect(Title());
  RemoveEventLoopTimer(timer);
  EXPECT_EQ(choice, 0) << "the menu chose as if the person were still there";
  EXPECT_LT(steps.fires, 50) << "the menu waited past the desktop's close";
  EXPECT_GE(steps.fires, 3);
  EXPECT_EQ(sp_testing::ReadMenuBar().hilited, 0);
  EXPECT_EQ(sp_platform::WindowListFrontToBack().size(), 1u) << "the menu's window is gone";
}

TEST_F(MenuTracking, APressInTheBarSendsTheChosenItemsCommand) {
  std::vector<UInt32> commands;
  std::vector<MenuID> hilitedDuringCommand;
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [&commands, &hilitedDuringCommand](EventRef e) {
           commands.push_back(CommandIDOf(e));
           hilitedDuringCommand.push_back(sp_testing::ReadMenuBar().hilited);
           return OSStatus(noErr);
         });
  sp_testing::PostMouseDown(Title());
  sp_testing::PostMouseDragged(Item(4));
  sp_testing::PostMouseUp(Item(4));
  sp_testing::PumpPending();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], SpFourCC("save"));
  // A command may run a dialog's loop for as long as the person likes: the menu closed before.
  EXPECT_EQ(hilitedDuringCommand[0], 0) << "the title is unhilited before the command runs";
  EXPECT_EQ(sp_testing::ReadMenuBar().hilited, 0) << "the title is unhilited after";
  sp_testing::PostMouseDown(Pt(200, 200));  // the window's content: no menu
  sp_testing::PumpPending();
  EXPECT_EQ(commands.size(), 1u);
}

TEST_F(MenuTracking, WhileAModalLoopRunsAPressInTheBarOnlyBeeps) {
  int commands = 0;
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [&commands](EventRef) {
           ++commands;
           return OSStatus(noErr);
         });
  WindowRef dialog = MakeWindow(R(150, 150, 250, 350), 0, kMovableModalWindowClass);
  sp_testing::PostMouseDown(Title());
  sp_testing::PostMouseDragged(Item(4));
  sp_testing::PostMouseUp(Item(4));
  RunAppModalLoopForWindow(dialog);  // returns once nothing more can happen
  EXPECT_EQ(commands, 0);
  EXPECT_EQ(sp_testing::BeepCount(), 1u);
}

TEST_F(MenuTracking, APopUpMenuOpensWithItsItemAtThePointAndInsideTheScreen) {
  // Item 4 over (120, 300): the menu's top is 45 pixels above, item 1 at its top.
  sp_testing::PostMouseDragged(Pt(310, 80));
  sp_testing::PostMouseUp(Pt(310, 129));
  const SInt32 chosen = PopUpMenuSelect(menu_, 120, 300, 4);
  EXPECT_EQ(chosen, (SInt32(kFile) << 16) | 4);
  // Near the bottom right of the screen the menu moves up and left to fit.
  sp_testing::PostMouseUp(Pt(1000, 760));
  EXPECT_EQ(PopUpMenuSelect(menu_, 760, 1020, 1), (SInt32(kFile) << 16) | 4)
      << "the menu was moved so that its last item lies under the bottom of the screen";
}

// A popup menu taller than the screen shows what the screen holds, an arrow strip where items
// hide: the pointer resting on the bottom strip scrolls the menu until its last item shows
// there to be chosen, and a key that reaches a hidden item scrolls it into view.
TEST_F(MenuTracking, AMenuTallerThanTheScreenScrollsToEveryItem) {
  constexpr MenuID kTall = 201;
  MenuRef tall = NewMenu(kTall, PStr("Tall"));
  for (int i = 1; i <= 100; ++i) AppendMenuItemText(tall, PStr(std::to_string(i).c_str()));
  BitMap screen;
  GetQDGlobalsScreenBits(&screen);
  const SInt16 bottom = screen.bounds.bottom;
  ASSERT_GT(sp_platform::menus::ShownMenuSize(tall).v, bottom - screen.bounds.top);

  // Runs `act` 10 s into the menu's tracking (on the test clock).
  EventLoopTimerRef timer = nullptr;
  std::function<void()> act;
  auto in10Seconds = [&](std::function<void()> f) {
    act = std::move(f);
    InstallEventLoopTimer(
        GetMainEventLoop(), 10, 0,
        [](EventLoopTimerRef, void* a) { (*static_cast<std::function<void()>*>(a))(); }, &act,
        &timer);
  };

  // Pressed on item 1, dragged onto the bottom strip and resting there; released 10 s later.
  int shownHeight = 0;
  in10Seconds([&] {
    Rect bounds;
    GetWindowBounds(sp_platform::WindowListFrontToBack().front(), kWindowContentRgn, &bounds);
    shownHeight = bounds.bottom - bounds.top;
    sp_testing::PostMouseUp(Pt(320, SInt16(bottom - 5)));
  });
  sp_testing::PostMouseDragged(Pt(320, SInt16(bottom - 5)));
  EXPECT_EQ(PopUpMenuSelect(tall, 100, 300, 1), (SInt32(kTall) << 16) | 100);
  EXPECT_EQ(shownHeight, bottom - screen.bounds.top) << "the menu fills the screen's height";
  RemoveEventLoopTimer(timer);

  // Up from item 1 wraps to item 100 and scrolls to the end: the item above the bottom one is 99.
  sp_testing::PostKeyDown(0x1E, 126);
  const Point above = Pt(320, SInt16(bottom - 18 - 5));
  sp_testing::PostMouseDown(above);
  sp_testing::PostMouseUp(above);
  EXPECT_EQ(PopUpMenuSelect(tall, 100, 300, 1), (SInt32(kTall) << 16) | 99);
  EXPECT_EQ(sp_platform::WindowListFrontToBack().size(), 1u) << "the menu's window is gone";

  // Opened at the screen's top left, scrolled to item 60 with its top strip in the corner: no
  // pointer was seen there, so it stays as it opened until Return chooses the item.
  in10Seconds([] { sp_testing::PostKeyDown(0x0D, 36); });
  EXPECT_EQ(PopUpMenuSelect(tall, 100, 0, 60), (SInt32(kTall) << 16) | 60);
  RemoveEventLoopTimer(timer);
  DisposeMenu(tall);
}

TEST_F(MenuTracking, TheBarIsDrawnWithItsTitlesAndTheHilitedOneInverted) {
  GWorldPtr world = nullptr;
  const Rect bar = R(0, 0, GetMBarHeight(), 400);
  ASSERT_EQ(NewGWorld(&world, 32, &bar, nullptr, nullptr, 0), noErr);
  const UInt32 before = sp_platform::menus::MenuBarLookStamp();
  sp_platform::menus::DrawMenuBarStrip(reinterpret_cast<GrafPtr>(world));
  Rect title = R(0, 0, 0, 0);
  for (const auto& t : BarTitles()) {
    if (t.menu == menu_) title = t.bounds;
  }
  CGrafPtr port = reinterpret_cast<CGrafPtr>(world);
  EXPECT_GT(Inked(port, title, 0xEEEEEE), 0) << "the title's text is drawn";
  HiliteMenu(kFile);
  EXPECT_NE(sp_platform::menus::MenuBarLookStamp(), before) << "the display draws it again";
  sp_platform::menus::DrawMenuBarStrip(reinterpret_cast<GrafPtr>(world));
  Rect corner = R(title.top + 1, title.left + 1, title.top + 3, title.left + 3);
  EXPECT_EQ(Inked(port, corner, 0x2F5EB5), 0) << "the hilited title stands on the hilite colour";
  DisposeGWorld(world);
}

// Pixels of the port's rectangle that are coloured (red, green and blue not all equal), and
// those that are black.
struct Colours {
  int coloured = 0;
  int black = 0;
};
Colours CountColours(CGrafPtr port, const Rect& r) {
  Colours c;
  for (SInt16 v = r.top; v < r.bottom; ++v) {
    for (SInt16 h = r.left; h < r.right; ++h) {
      const UInt32 p = sp_testing::ReadPixel(port, h, v);
      const UInt32 red = p >> 16, green = (p >> 8) & 0xFF, blue = p & 0xFF;
      c.coloured += (red != green || green != blue) ? 1 : 0;
      c.black += p == 0 ? 1 : 0;
    }
  }
  return c;
}

// The Apple menu's title is the program's small icon (its colours, where a black square
// stood for the mark no font has); the program's name is drawn in the system font, plain,
// as the other titles, not in a bold face of its own.
TEST_F(MenuTracking, TheStripShowsTheProgramsIconAndItsNameInTheTitlesFont) {
  MenuRef apple = NewMenu(500, PStr("\x14"));
  AppendMenuItemText(apple, PStr("About"));
  InsertMenu(apple, kFile);
  const Rect barRect = R(0, 0, GetMBarHeight(), 400);
  GWorldPtr strip = nullptr, expected = nullptr;
  ASSERT_EQ(NewGWorld(&strip, 32, &barRect, nullptr, nullptr, 0), noErr);
  ASSERT_EQ(NewGWorld(&expected, 32, &barRect, nullptr, nullptr, 0), noErr);
  CGrafPtr port = reinterpret_cast<CGrafPtr>(strip);
  auto titleOf = [](MenuRef menu) {
    for (const auto& t : BarTitles()) {
      if (t.menu == menu) return t.bounds;
    }
    ADD_FAILURE() << "no title";
    return R(0, 0, 0, 0);
  };
  const Rect appleTitle = titleOf(apple);
  const SInt16 iconTop = SInt16((GetMBarHeight() - 1 - 16) / 2);
  const Rect icon = R(iconTop, SInt16(appleTitle.left + 9), SInt16(iconTop + 16),
                      SInt16(appleTitle.left + 25));
  EXPECT_EQ(appleTitle.right - appleTitle.left, 16 + 18) << "the title is as wide as the icon";

  // A program without the icon shows a small square.
  sp_platform::menus::DrawMenuBarStrip(reinterpret_cast<GrafPtr>(strip));
  const Colours square = CountColours(port, icon);
  EXPECT_EQ(square.coloured, 0);
  EXPECT_EQ(square.black, 100);

  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  sp_platform::menus::DrawMenuBarStrip(reinterpret_cast<GrafPtr>(strip));
  const Colours shown = CountColours(port, icon);
  EXPECT_GT(shown.coloured, 16 * 16 / 3) << "the icon's colours";
  EXPECT_LT(shown.black, 10) << "no black square";

  // The name drawn alone in the system font, plain, at the title's place.
  sp_platform::menus::MenuFacts app;
  ASSERT_TRUE(sp_platform::menus::MenuFactsOf(sp_platform::menus::ApplicationMenu(), &app));
  const Rect appTitle = titleOf(sp_platform::menus::ApplicationMenu());
  CGrafPtr saved = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&saved, &device);
  SetGWorld(expected, nullptr);
  const RGBColor barGrey = {0xEEEE, 0xEEEE, 0xEEEE};
  RGBBackColor(&barGrey);
  EraseRect(&barRect);
  ForeColor(blackColor);
  TextFont(0);
  TextSize(12);
  TextFace(normal);
  MoveTo(SInt16(appTitle.left + 9), 14);
  DrawText(app.title.data(), 0, SInt16(app.title.size()));
  const SInt16 width = TextWidth(app.title.data(), 0, SInt16(app.title.size()));
  EXPECT_EQ(appTitle.right - appTitle.left, width + 18) << "as wide as the plain name";
  SetGWorld(saved, device);
  int different = 0;
  for (SInt16 v = 0; v < GetMBarHeight() - 1; ++v) {
    for (SInt16 h = appTitle.left; h < appTitle.right; ++h) {
      different += sp_testing::ReadPixel(port, h, v) !=
                   sp_testing::ReadPixel(reinterpret_cast<CGrafPtr>(expected), h, v);
    }
  }
  EXPECT_EQ(different, 0) << "the name as plain system-font text";
  EXPECT_GT(Inked(port, appTitle, 0xEEEEEE), 0);
  DisposeGWorld(expected);
  DisposeGWorld(strip);
}

// The File menu with a fifth item, "Recent", whose sub-menu holds "A", "B" (disabled) and
// "Self" (a hierarchical item naming the sub-menu itself).
constexpr MenuID kRecent = 210;

class SubMenuTracking : public MenuTracking {
 protected:
  void SetUp() override {
    MenuTracking::SetUp();
    AppendMenuItemText(menu_, PStr("Recent"));
    SetMenuItemHierarchicalID(menu_, 5, kRecent);
    sub_ = NewMenu(kRecent, PStr("Recent"));
    for (const char* text : {"A", "B", "Self"}) AppendMenuItemText(sub_, PStr(text));
    DisableMenuItem(sub_, 2);
    SetMenuItemCommandID(sub_, 1, SpFourCC("recA"));
    SetMenuItemHierarchicalID(sub_, 3, kRecent);
    InsertMenu(sub_, kInsertHierarchicalMenu);
  }

 public:
  // The pulled-down File menu's left edge (under its title, moved inside the screen), and the
  // middle of the Recent item.
  SInt16 MenuLeft() const {
    BitMap screen;
    GetQDGlobalsScreenBits(&screen);
    const int width = sp_platform::menus::ShownMenuSize(menu_).h;
    for (const auto& t : BarTitles()) {
      if (t.menu == menu_) {
        return SInt16(std::min(MenuBarBounds().left + t.bounds.left, screen.bounds.right - width));
      }
    }
    return 0;
  }
  Point Recent() const { return Pt(SInt16(MenuLeft() + 20), SInt16(MenuBarBounds().bottom + 68)); }
  // An item of the sub-menu, shown beside Recent (on the File menu's left when `flipped`).
  Point SubItem(int item, bool flipped = false) const {
    const SInt16 width = sp_platform::menus::ShownMenuSize(menu_).h;
    const SInt16 left = flipped ? SInt16(MenuLeft() - 30) : SInt16(MenuLeft() + width + 20);
    return Pt(left, SInt16(MenuBarBounds().bottom + 63 + 18 * (item - 1) + 5));
  }

 protected:
  MenuRef sub_ = nullptr;
};

struct SubMenuGesture {
  const char* what;
  std::function<void(const SubMenuTracking&)> input;
  SInt32 choice;
};

class SubMenuGestures : public SubMenuTracking, public ::testing::WithParamInterface<int> {};

constexpr SInt32 Choice(MenuID menu, MenuItemIndex item) {
  return SInt32((UInt32(UInt16(menu)) << 16) | item);
}

const SubMenuGesture kSubMenuGestures[] = {
    {"dragged over Recent into its sub-menu and released on an item: the sub-menu's id and item",
     [](const SubMenuTracking& t) {
       sp_testing::PostMouseDragged(t.Recent());
       sp_testing::PostMouseDragged(t.SubItem(1));
       sp_testing::PostMouseUp(t.SubItem(1));
     }, Choice(kRecent, 1)},
    {"released on Recent: its sub-menu stays open and a click in it chooses",
     [](const SubMenuTracking& t) {
       sp_testing::PostMouseDragged(t.Recent());
       sp_testing::PostMouseUp(t.Recent());
       sp_testing::PostMouseMoved(t.SubItem(1));
       sp_testing::PostMouseDown(t.SubItem(1));
       sp_testing::PostMouseUp(t.SubItem(1));
     }, Choice(kRecent, 1)},
    {"moving back to another item closes the sub-menu: a release where it was chooses nothing",
     [](const SubMenuTracking& t) {
       sp_testing::PostMouseDragged(t.Recent());
       sp_testing::PostMouseDragged(t.Item(4));
       sp_testing::PostMouseUp(t.SubItem(1));
     }, 0},
    {"released on the disabled item of the sub-menu: no choice",
     [](const SubMenuTracking& t) {
       sp_testing::PostMouseDragged(t.Recent());
       sp_testing::PostMouseDragged(t.SubItem(2));
       sp_testing::PostMouseUp(t.SubItem(2));
     }, 0},
    {"Up reaches Recent, Right opens its sub-menu on A, Down passes B, Return: nothing to "
     "choose on Self, whose sub-menu is the one open", [](const SubMenuTracking& t) {
       sp_testing::PostMouseUp(t.Title());
       sp_testing::PostKeyDown(0x1E, 126);
       sp_testing::PostKeyDown(0x1D, 124);
       sp_testing::PostKeyDown(0x1F, 125);
       sp_testing::PostKeyDown(0x1D, 124);
       sp_testing::PostKeyDown(0x0D, 36);
     }, 0},
    {"Right opens the sub-menu and Return chooses its first item", [](const SubMenuTracking& t) {
       sp_testing::PostMouseUp(t.Title());
       sp_testing::PostKeyDown(0x1E, 126);
       sp_testing::PostKeyDown(0x1D, 124);
       sp_testing::PostKeyDown(0x0D, 36);
     }, Choice(kRecent, 1)},
    {"Left closes the sub-menu: Up then moves in the File menu again", [](const SubMenuTracking& t) {
       sp_testing::PostMouseUp(t.Title());
       sp_testing::PostKeyDown(0x1E, 126);
       sp_testing::PostKeyDown(0x1D, 124);
       sp_testing::PostKeyDown(0x1C, 123);
       sp_testing::PostKeyDown(0x1E, 126);
       sp_testing::PostKeyDown(0x0D, 36);
     }, Choice(kFile, 4)},
    {"the sub-menu opened by the pointer takes the keys once Right moves into it",
     [](const SubMenuTracking& t) {
       sp_testing::PostMouseDragged(t.Recent());
       sp_testing::PostMouseUp(t.Recent());
       sp_testing::PostKeyDown(0x1D, 124);
       sp_testing::PostKeyDown(0x0D, 36);
     }, Choice(kRecent, 1)},
};

TEST_P(SubMenuGestures, AnswerTheSubMenusIdAndItemAndLeaveNoMenuOpen) {
  const SubMenuGesture& g = kSubMenuGestures[std::size_t(GetParam())];
  SCOPED_TRACE(g.what);
  g.input(*this);
  EXPECT_EQ(MenuSelect(Title()), g.choice);
  EXPECT_EQ(sp_platform::WindowListFrontToBack().size(), 1u) << "every menu's window is gone";
  EXPECT_EQ(sp_testing::QueuedEventCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(All, SubMenuGestures,
                         ::testing::Range(0, int(std::size(kSubMenuGestures))));

TEST_F(SubMenuTracking, ASubMenuPastTheScreensRightEdgeOpensOnTheLeftOfItsMenu) {
  MoveWindow(window_, 950, 100, false);
  sp_testing::PostMouseDragged(Recent());
  sp_testing::PostMouseDragged(SubItem(1, true));
  sp_testing::PostMouseUp(SubItem(1, true));
  EXPECT_EQ(MenuSelect(Title()), Choice(kRecent, 1));
}

TEST_F(SubMenuTracking, AnItemOfASubMenuChosenInTheBarSendsItsCommand) {
  std::vector<UInt32> commands;
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [&commands](EventRef e) {
           commands.push_back(CommandIDOf(e));
           return OSStatus(noErr);
         });
  sp_testing::PostMouseDown(Title());
  sp_testing::PostMouseDragged(Recent());
  sp_testing::PostMouseDragged(SubItem(1));
  sp_testing::PostMouseUp(SubItem(1));
  sp_testing::PumpPending();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], SpFourCC("recA"));
}

// Pop-up menus open sub-menus as the bar's menus do: the File menu popped up with Save over
// (120, 300) shows Recent at 138-156 and its sub-menu beside it.
TEST_F(SubMenuTracking, APopUpMenuOpensTheSubMenuOfItsHierarchicalItem) {
  const SInt16 width = sp_platform::menus::ShownMenuSize(menu_).h;
  sp_testing::PostMouseDragged(Pt(310, 145));
  sp_testing::PostMouseDragged(Pt(SInt16(300 + width + 20), 145));
  sp_testing::PostMouseUp(Pt(SInt16(300 + width + 20), 145));
  EXPECT_EQ(PopUpMenuSelect(menu_, 120, 300, 4), Choice(kRecent, 1));
  EXPECT_EQ(sp_platform::WindowListFrontToBack().size(), 1u);
}

// A popup button of the window: "One" to "Four", "Two" shown. Its menu opens with item 2
// over the button, so the items lie at global v 122-140, 140-158, 158-176, 176-194.
class PopupTracking : public MenuTracking {
 protected:
  void SetUp() override {
    MenuTracking::SetUp();
    const Rect bounds = R(40, 30, 60, 230);  // global (140, 80) to (160, 280)
    popup_ = NewControl(window_, &bounds, PStr(""), true, 0, -12345, 0, kControlPopupButtonProc, 0);
    ASSERT_NE(popup_, nullptr);
    MenuRef menu = NewMenu(300, PStr(""));
    for (const char* text : {"One", "Two", "Three", "Four"}) AppendMenuItemText(menu, PStr(text));
    SetControlPopupMenuHandle(popup_, menu);
    SetControl32BitValue(popup_, 2);
  }

 public:
  static Point Pressed() { return Pt(110, 150); }      // on the button, over item 2
  static Point OnItem(int item) { return Pt(110, SInt16(113 + 18 * item)); }
  static Point Outside() { return Pt(900, 700); }

 protected:
  ControlRef popup_ = nullptr;
};

struct PopupGesture {
  const char* what;
  // Posts the input after the press on the button that starts the tracking.
  std::function<void()> input;
  SInt32 value;  // the button's value after
  ControlPartCode part;
};

class PopupGestures : public PopupTracking, public ::testing::WithParamInterface<int> {};

const PopupGesture kPopupGestures[] = {
    {"a click leaves the menu open; a click on an item chooses it", [] {
       sp_testing::PostMouseUp(PopupTracking::Pressed());
       sp_testing::PostMouseMoved(PopupTracking::OnItem(4));
       sp_testing::PostMouseDown(PopupTracking::OnItem(4));
       sp_testing::PostMouseUp(PopupTracking::OnItem(4));
     }, 4, kControlMenuPart},
    {"a click that moved a little inside its item is still a click", [] {
       sp_testing::PostMouseDragged(Pt(114, 152));
       sp_testing::PostMouseUp(Pt(116, 153));
       sp_testing::PostMouseDown(PopupTracking::OnItem(3));
       sp_testing::PostMouseUp(PopupTracking::OnItem(3));
     }, 3, kControlMenuPart},
    {"a click, then a click outside closes the menu with no choice", [] {
       sp_testing::PostMouseUp(PopupTracking::Pressed());
       sp_testing::PostMouseDown(PopupTracking::Outside());
       sp_testing::PostMouseUp(PopupTracking::Outside());
     }, 2, kControlNoPart},
    {"a click, then Escape closes the menu with no choice", [] {
       sp_testing::PostMouseUp(PopupTracking::Pressed());
       sp_testing::PostKeyDown(0x1B, 53);
     }, 2, kControlNoPart},
    {"a click and no more input: the menu closes with no choice", [] {
       sp_testing::PostMouseUp(PopupTracking::Pressed());
     }, 2, kControlNoPart},
    {"pressed, dragged to an item and released there: chosen", [] {
       sp_testing::PostMouseDragged(PopupTracking::OnItem(3));
       sp_testing::PostMouseDragged(PopupTracking::OnItem(4));
       sp_testing::PostMouseUp(PopupTracking::OnItem(4));
     }, 4, kControlMenuPart},
    {"dragged to another item and back, the item pressed on is chosen", [] {
       sp_testing::PostMouseDragged(PopupTracking::OnItem(1));
       sp_testing::PostMouseUp(PopupTracking::Pressed());
     }, 2, kControlMenuPart},
    {"a release that only reached an item (no drag seen) chooses it", [] {
       sp_testing::PostMouseUp(PopupTracking::OnItem(1));
     }, 1, kControlMenuPart},
};

TEST_P(PopupGestures, SetTheValueChosenAndLeaveNoMenuOpen) {
  const PopupGesture& g = kPopupGestures[std::size_t(GetParam())];
  SCOPED_TRACE(g.what);
  g.input();
  const ControlPartCode part = TrackControl(popup_, Pt(60, 50), nullptr);
  EXPECT_EQ(part, g.part);
  EXPECT_EQ(GetControl32BitValue(popup_), g.value);
  EXPECT_EQ(sp_platform::WindowListFrontToBack().size(), 1u) << "the menu's window is gone";
  EXPECT_EQ(sp_testing::QueuedEventCount(), 0u) << "the menu or the press took every event";
}

INSTANTIATE_TEST_SUITE_P(All, PopupGestures,
                         ::testing::Range(0, int(std::size(kPopupGestures))));

}  // namespace
}  // namespace ui_test
