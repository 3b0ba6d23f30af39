// A person's input on the desktop reaching the toolbox: clicks, keys and typed text, the menu
// bar, dropped files, the clipboard, a modal dialog in front of its parent, and SIGTERM.
#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "AppleEvents.h"
#include "Menus.h"
#include "OSUtils.h"
#include "Scrap.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "DesktopFixture.h"
#include "ui/internal/Drops.h"
#include "ui/internal/Menus.h"

namespace desktop_test {
namespace {

using Input = DesktopTest;

std::string Str(int v) {
  return std::to_string(v);
}

struct Click {
  Point where;
  UInt32 modifiers;
  UInt32 count;
};

TEST_F(Input, ClicksReachTheWindowAtTheirGlobalPlaceWithModifiersAndDoubleClicksCount) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "クリック");
  ASSERT_NE(window, nullptr);
  std::vector<Click> clicks;
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseDown}},
         [&clicks](EventRef e) {
           Click c{};
           GetEventParameter(e, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof c.where,
                             nullptr, &c.where);
           GetEventParameter(e, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof c.modifiers,
                             nullptr, &c.modifiers);
           GetEventParameter(e, kEventParamClickCount, typeUInt32, nullptr, sizeof c.count,
                             nullptr, &c.count);
           clicks.push_back(c);
           return OSStatus(noErr);
         });
  // Ctrl reaches the window that has the keyboard.
  ASSERT_TRUE(WaitForKeyboard());
  const int strip = sp_platform::display::StripHeightOf(window);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 40, strip + 30, &sx, &sy));
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(sx), Str(sy), "keydown",
                              "ctrl", "click", "1", "keyup", "ctrl"}));
  PumpUntil([&clicks] { return clicks.size() == 1; }, "the click");
  // Where the window is now (the window manager may have placed it on showing it).
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  // The triple click holds Shift: the window manager grabs plain presses on its clients (to
  // raise and focus them) and hands each on only when it gets to it, and one that falls
  // behind can keep the third of three presses 1 ms apart for good, whatever the program does.
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(sx + 50), Str(sy + 50),
                              "keydown", "shift", "click", "--repeat", "3", "--delay", "1", "1",
                              "keyup", "shift"}));
  PumpUntil([&clicks] { return clicks.size() == 4; }, "the triple click");
  ASSERT_EQ(clicks.size(), 4u);
  EXPECT_EQ(clicks[0].where.h, content.left + 40);
  EXPECT_EQ(clicks[0].where.v, content.top + 30);
  EXPECT_EQ(clicks[1].count, 1u) << "a click elsewhere starts counting again";
  EXPECT_EQ(clicks[0].modifiers & cmdKey, UInt32(cmdKey)) << "Ctrl is the Command key";
  EXPECT_EQ(clicks[1].modifiers & (cmdKey | shiftKey), UInt32(shiftKey));
  EXPECT_EQ(clicks[2].count, 2u) << "the second click of a double click counts 2";
  EXPECT_EQ(clicks[3].count, 3u) << "and the third of a triple click 3";
}

// A notch of the wheel away from the person scrolls up (+1 on the vertical axis), towards them
// down (-1); tilted left +1 and right -1 on the horizontal axis, where the pointer is.
TEST_F(Input, WheelNotchesArriveAsOneStepInTheirDirectionAtThePointer) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "ホイール");
  ASSERT_NE(window, nullptr);
  struct Notch {
    EventMouseWheelAxis axis;
    SInt32 delta;
    Point where;
  };
  std::vector<Notch> notches;
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseWheelMoved}},
         [&notches](EventRef e) {
           Notch n{};
           GetEventParameter(e, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr,
                             sizeof n.axis, nullptr, &n.axis);
           GetEventParameter(e, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof n.delta,
                             nullptr, &n.delta);
           GetEventParameter(e, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof n.where,
                             nullptr, &n.where);
           notches.push_back(n);
           return OSStatus(noErr);
         });
  const int strip = sp_platform::display::StripHeightOf(window);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 60, strip + 40, &sx, &sy));
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(sx), Str(sy)}));
  for (const char* button : {"4", "5", "6", "7"}) {
    const size_t before = notches.size();
    ASSERT_TRUE(RunToolPumping({"xdotool", "click", button}));
    PumpUntil([&notches, before] { return notches.size() > before; }, "the wheel notch");
  }
  ASSERT_EQ(notches.size(), 4u);
  const struct {
    EventMouseWheelAxis axis;
    SInt32 delta;
  } expected[] = {{kEventMouseWheelAxisY, 1},
                  {kEventMouseWheelAxisY, -1},
                  {kEventMouseWheelAxisX, 1},
                  {kEventMouseWheelAxisX, -1}};
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(notches[i].axis, expected[i].axis) << "button " << i + 4;
    EXPECT_EQ(notches[i].delta, expected[i].delta) << "button " << i + 4;
    EXPECT_EQ(notches[i].where.h, content.left + 60) << "button " << i + 4;
    EXPECT_EQ(notches[i].where.v, content.top + 40) << "button " << i + 4;
  }
}

struct Key {
  UInt8 ch;
  UInt32 code;
  UInt32 modifiers;
};

TEST_F(Input, KeysArriveAsMacCharacterAndKeyCodesAndCommittedTextAsMacJapanese) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "キー");
  ASSERT_NE(window, nullptr);
  std::vector<Key> keys;
  std::string text;
  Listen(GetApplicationEventTarget(), {{kEventClassKeyboard, kEventRawKeyDown}},
         [&keys](EventRef e) {
           Key k{};
           GetEventParameter(e, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &k.ch);
           GetEventParameter(e, kEventParamKeyCode, typeUInt32, nullptr, sizeof k.code, nullptr,
                             &k.code);
           GetEventParameter(e, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof k.modifiers,
                             nullptr, &k.modifiers);
           keys.push_back(k);
           return OSStatus(noErr);
         });
  Listen(GetApplicationEventTarget(),
         {{kEventClassTextInput, kEventTextInputUnicodeForKeyEvent}}, [&text](EventRef e) {
           char bytes[64] = {};
           ByteCount size = 0;
           GetEventParameter(e, kEventParamTextInputSendText, typeChar, nullptr, sizeof bytes,
                             &size, bytes);
           text.append(bytes, size);
           return OSStatus(noErr);
         });
  ASSERT_TRUE(RunToolPumping({"xdotool", "type", "--delay", "1", "aB"}));
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "--delay", "1", "Left", "Return", "Escape",
                              "Delete", "BackSpace", "Home", "F1"}));
  // The input method's committed text comes as SDL's text event with no key before it.
  SDL_Event committed{};
  committed.text.type = SDL_TEXTINPUT;
  committed.text.windowID = sp_platform::display::SDLWindowIDOf(window);
  std::strcpy(committed.text.text, "日本");
  ASSERT_EQ(SDL_PushEvent(&committed), 1);
  PumpUntil([&] { return keys.size() >= 9 && text.size() >= 4; }, "the keys and the text");
  const std::vector<std::pair<UInt8, UInt32>> expected = {
      {'a', 0},    {'B', 11},    {0x1C, 123}, {0x0D, 36}, {0x1B, 53},
      {0x7F, 117}, {0x08, 51},   {0x01, 115}, {0x10, 122}};
  ASSERT_GE(keys.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(keys[i].ch, expected[i].first) << "key " << i;
    EXPECT_EQ(keys[i].code, expected[i].second) << "key " << i;
  }
  EXPECT_EQ(keys[1].modifiers & shiftKey, UInt32(shiftKey));
  EXPECT_EQ(keys[0].modifiers & shiftKey, 0u);
  EXPECT_EQ(text, MJ("日本")) << "committed text arrives as text input";
}

TEST_F(Input, AMenuPulledDownFromTheStripAndItsCtrlKeyBothRunItsCommand) {
  MenuRef menu = NewMenu(200, PStr("File").data());
  ASSERT_NE(menu, nullptr);
  AppendMenuItemText(menu, PStr("Open").data());
  AppendMenuItemText(menu, PStr("Save").data());
  SetItemCmd(menu, 1, 'O');
  SetMenuItemCommandID(menu, 1, SpFourCC("open"));
  SetMenuItemCommandID(menu, 2, SpFourCC("save"));
  InsertMenu(menu, 0);
  DrawMenuBar();
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "メニュー");
  ASSERT_NE(window, nullptr);
  std::vector<UInt32> commands;
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [&commands](EventRef e) {
           HICommand c{};
           GetEventParameter(e, kEventParamDirectObject, typeHICommand, nullptr, sizeof c,
                             nullptr, &c);
           commands.push_back(c.commandID);
           return OSStatus(noErr);
         });
  Rect title = {0, 0, 0, 0};
  for (const auto& t : sp_platform::menus::BarTitles()) {
    if (t.menu == menu) title = t.bounds;
  }
  ASSERT_GT(title.right, title.left);
  int tx = 0, ty = 0;
  ASSERT_TRUE(ScreenPointOf(window, title.left + 4, 10, &tx, &ty));
  // The menu opens under its title, below the strip: its second item's middle.
  const Rect bar = sp_platform::menus::MenuBarBounds();
  const int ix = bar.left + title.left + 30, iy = bar.bottom + 18 + 9;
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(tx), Str(ty), "mousedown",
                              "1", "mousemove", "--sync", Str(ix), Str(iy), "mouseup", "1"}));
  PumpUntil([&commands] { return !commands.empty(); }, "the command of the item chosen");
  ASSERT_TRUE(RunToolPumping({"xdotool", "key", "ctrl+o"}));
  PumpUntil([&commands] { return commands.size() >= 2; }, "the command of Ctrl-O");
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0], SpFourCC("save"));
  EXPECT_EQ(commands[1], SpFourCC("open"));
  EXPECT_EQ(sp_testing::ReadMenuBar().hilited, 0) << "no title stays hilited";
}

TEST_F(Input, FilesDroppedOnAWindowArriveAsHfsItemsAtThePointer) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "ドロップ");
  ASSERT_NE(window, nullptr);
  const std::string path = std::string(getenv("HOME")) + "/ドロップ.aiff";
  std::ofstream(path) << "FORM";
  const std::string missing = std::string(getenv("HOME")) + "/gone.aiff";
  const int strip = sp_platform::display::StripHeightOf(window);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 70, strip + 50, &sx, &sy));
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(sx), Str(sy)}));
  const Uint32 id = sp_platform::display::SDLWindowIDOf(window);
  SDL_Event e{};
  e.drop.type = SDL_DROPBEGIN;
  e.drop.windowID = id;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  for (const std::string& file : {path, missing}) {
    e.drop.type = SDL_DROPFILE;
    e.drop.file = SDL_strdup(file.c_str());
    SDL_PushEvent(&e);
  }
  e.drop.type = SDL_DROPCOMPLETE;
  e.drop.file = nullptr;
  SDL_PushEvent(&e);
  sp_platform::display::SyncDesktop();
  const auto drops = sp_platform::drops::TakePendingFileDrops();
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].window, window);
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  EXPECT_EQ(drops[0].where.h, content.left + 70);
  EXPECT_EQ(drops[0].where.v, content.top + 50);
  ASSERT_EQ(drops[0].items.size(), 1u) << "a path naming nothing is left out";
  const auto& item = drops[0].items[0];
  const std::string name(reinterpret_cast<const char*>(&item[17]), item[16]);
  EXPECT_EQ(name, MJ("ドロップ.aiff"));
}

TEST_F(Input, ClipboardTextGoesBothWaysBetweenTheScrapAndTheDesktop) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 250, 320), "クリップ");
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(ClearCurrentScrap(), noErr);
  ScrapRef scrap = nullptr;
  ASSERT_EQ(GetCurrentScrap(&scrap), noErr);
  const std::string ours = MJ("日本語の\r二行目");
  ASSERT_EQ(PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, Size(ours.size()), ours.data()), noErr);
  const char style[2] = {0, 0};
  ASSERT_EQ(PutScrapFlavor(scrap, kScrapFlavorTypeTextStyle, 0, 2, style), noErr);
  std::string out;
  ASSERT_TRUE(RunToolPumping({"xclip", "-selection", "clipboard", "-o"}, &out));
  EXPECT_EQ(out, "日本語の\n二行目");
  // Another program copies: its text reads back as 'TEXT', and our style went with ours.
  ASSERT_TRUE(RunTool({"xclip", "-selection", "clipboard", "-i"}, nullptr, "desk\ntop テキスト"));
  const std::string theirs = MJ("desk\rtop テキスト");
  std::string read;
  PumpUntil(
      [&] {
        Size size = 64;
        char bytes[64];
        if (GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, bytes) != noErr) return false;
        read.assign(bytes, std::size_t(size));
        return read == theirs;
      },
      "the other program's text");
  Size size = 0;
  EXPECT_EQ(GetScrapFlavorSize(scrap, kScrapFlavorTypeTextStyle, &size), noTypeErr);
}

TEST_F(Input, AModalDialogKeepsClicksFromItsParent) {
  WindowRef parent = ShowWindowOnDesktop(R(150, 120, 450, 620), "親");
  WindowRef dialog = ShowWindowOnDesktop(R(200, 300, 300, 500), "ダイアログ",
                                         kMovableModalWindowClass);
  ASSERT_NE(parent, nullptr);
  ASSERT_NE(dialog, nullptr);
  int parentClicks = 0;
  Listen(GetWindowEventTarget(parent), {{kEventClassMouse, kEventMouseDown}},
         [&parentClicks](EventRef) {
           ++parentClicks;
           return OSStatus(noErr);
         });
  const int strip = sp_platform::display::StripHeightOf(parent);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(parent, 20, strip + 250, &sx, &sy));
  sp_testing::ResetBeepCount();
  struct Steps {
    Tool tool;
    bool started = false;
    int waits = 0;
    WindowRef dialog;
    std::vector<std::string> argv;
  } steps;
  steps.dialog = dialog;
  steps.argv = {"xdotool", "mousemove", "--sync", Str(sx), Str(sy), "click", "1"};
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(
      GetMainEventLoop(), 0, 0.02,
      NewEventLoopTimerUPP([](EventLoopTimerRef, void* refCon) {
        Steps& s = *static_cast<Steps*>(refCon);
        if (!s.started) {
          s.started = StartTool(s.argv, &s.tool);
          return;
        }
        // The click has been made and refused (a beep), or the time is up.
        if ((ToolFinished(&s.tool) && sp_testing::BeepCount() > 0) || ++s.waits > 1000) {
          QuitAppModalLoopForWindow(s.dialog);
        }
      }),
      &steps, &timer);
  RunAppModalLoopForWindow(dialog);
  RemoveEventLoopTimer(timer);
  EXPECT_TRUE(steps.tool.finished);
  EXPECT_EQ(parentClicks, 0);
  EXPECT_GE(sp_testing::BeepCount(), 1u);
}

TEST_F(Input, AnotherProgramsWindowSuspendsTheApplicationAndComingBackResumesIt) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 250, 320), "前後");
  ASSERT_NE(window, nullptr);
  std::vector<std::string> seen;
  Listen(GetApplicationEventTarget(),
         {{kEventClassApplication, kEventAppActivated},
          {kEventClassApplication, kEventAppDeactivated}},
         [&seen](EventRef e) {
           seen.push_back(GetEventKind(e) == kEventAppActivated ? "resume" : "suspend");
           return OSStatus(noErr);
         });
  Listen(GetWindowEventTarget(window),
         {{kEventClassWindow, kEventWindowActivated}, {kEventClassWindow, kEventWindowDeactivated}},
         [&seen](EventRef e) {
           seen.push_back(GetEventKind(e) == kEventWindowActivated ? "activate" : "deactivate");
           return OSStatus(eventNotHandledErr);
         });
  const std::string ours = std::to_string(sp_platform::display::X11WindowOf(window));
  ASSERT_TRUE(RunToolPumping({"xdotool", "windowactivate", "--sync", ours}));
  WaitForKeyboard("our window to have the keyboard");
  seen.clear();
  // Another program's window comes to the front, then ours again.
  Tool other;
  ASSERT_TRUE(StartTool({"xlogo", "-name", "sp-test-other"}, &other));
  ASSERT_TRUE(RunToolPumping({"xdotool", "search", "--sync", "--classname", "sp-test-other",
                              "windowactivate", "--sync"}));
  PumpUntil([&seen] { return seen.size() >= 2; }, "the suspend");
  ASSERT_TRUE(RunToolPumping({"xdotool", "windowactivate", "--sync", ours}));
  PumpUntil([&seen] { return seen.size() >= 4; }, "the resume");
  kill(other.pid, SIGTERM);
  while (!ToolFinished(&other)) {
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"suspend", "deactivate", "resume", "activate"}));
}

bool gQuitReceived = false;
bool gSafetyFired = false;

TEST_F(Input, SigtermEndsTheLoopThroughTheQuitAppleEventWhileItSleeps) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 250, 320), "終了");
  ASSERT_NE(window, nullptr);
  gQuitReceived = gSafetyFired = false;
  ASSERT_EQ(AEInstallEventHandler(
                kCoreEventClass, kAEQuitApplication,
                [](const AppleEvent*, AppleEvent*, URefCon) -> OSErr {
                  gQuitReceived = true;
                  QuitApplicationEventLoop();
                  return noErr;
                },
                0, false),
            noErr);
  // Nothing wakes the loop but the signal: no timer is due before the safety one.
  RemoveEventLoopTimer(waker_);
  waker_ = nullptr;
  Tool kill;
  const std::vector<std::string> argv = {"kill", "-TERM", Str(int(getpid()))};
  std::pair<Tool*, const std::vector<std::string>*> killArgs(&kill, &argv);
  EventLoopTimerRef start = nullptr, safety = nullptr;
  InstallEventLoopTimer(
      GetMainEventLoop(), 0, 0,
      NewEventLoopTimerUPP([](EventLoopTimerRef, void* refCon) {
        auto* k = static_cast<std::pair<Tool*, const std::vector<std::string>*>*>(refCon);
        StartTool(*k->second, k->first);
      }),
      &killArgs, &start);
  InstallEventLoopTimer(GetMainEventLoop(), 30, 0,
                        NewEventLoopTimerUPP([](EventLoopTimerRef, void*) {
                          gSafetyFired = true;
                          QuitApplicationEventLoop();
                        }),
                        nullptr, &safety);
  RunApplicationEventLoop();
  RemoveEventLoopTimer(safety);
  EXPECT_TRUE(gQuitReceived);
  EXPECT_FALSE(gSafetyFired) << "the signal did not wake the loop's wait";
  while (!ToolFinished(&kill)) {
  }
}

}  // namespace
}  // namespace desktop_test
