// Windows on the desktop: title, pixels, menu strip, and what the window manager does to them.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "DesktopFixture.h"
#include "SpDisplay.h"
#include "XQueries.h"
#include "quickdraw/internal/Ports.h"

namespace desktop_test {
namespace {

using Windows = DesktopTest;

// Colour bands and a line of text, so that a shifted or scaled copy shows.
void DrawPattern(WindowRef window) {
  SetPortWindowPort(window);
  const RGBColor colours[] = {{0xFFFF, 0, 0}, {0, 0x8080, 0}, {0, 0, 0xFFFF}, {0x1234, 0x5678, 0x9ABC}};
  for (int i = 0; i < 4; ++i) {
    const Rect band = R(10 + 30 * i, 5 + i, 40 + 30 * i, 200 - 7 * i);
    RGBForeColor(&colours[i]);
    PaintRect(&band);
  }
  ForeColor(blackColor);
  MoveTo(20, 170);
  DrawText("Pixels 123", 0, 10);
}

TEST_F(Windows, AWindowShowsItsUTF8TitleAndExactlyItsPixelsBelowTheMenuStrip) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "表示テスト");
  ASSERT_NE(window, nullptr);
  const unsigned long id = sp_platform::display::X11WindowOf(window);
  EXPECT_EQ(x11::WindowName(id), "表示テスト");
  DrawPattern(window);
  ScreenImage shot;
  ASSERT_TRUE(ReadWindowImage(window, &shot));
  const int strip = sp_platform::display::StripHeightOf(window);
  EXPECT_EQ(strip, GetMBarHeight()) << "a document window carries the menu strip";
  ASSERT_EQ(shot.width, 300);
  ASSERT_EQ(shot.height, 200 + strip);
  sp_platform::PixelAccess pixels;
  ASSERT_TRUE(sp_platform::GetPortPixels(GetWindowPort(window), &pixels));
  int wrong = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      const UInt32 expected = pixels.base[std::ptrdiff_t(y) * pixels.rowWords + x] & 0xFFFFFF;
      if (shot.At(x, y + strip) != expected && ++wrong < 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << shot.At(x, y + strip)
                      << ", the window holds " << expected;
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

// The title as the desktop's conventions ask: WM_NAME as Latin-1 STRING when the title is all
// Latin-1, else as COMPOUND_TEXT, each reading back as the title; _NET_WM_NAME in UTF-8. A
// new title goes the same way.
TEST_F(Windows, TheTitleIsNamedInTheTypesTheConventionsAskFor) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "Disc ©");
  ASSERT_NE(window, nullptr);
  const unsigned long id = sp_platform::display::X11WindowOf(window);
  std::string type, text;
  ASSERT_TRUE(x11::WMNameOf(id, &type, &text));
  EXPECT_EQ(type, "STRING");
  EXPECT_EQ(text, "Disc ©");
  EXPECT_EQ(x11::WindowName(id), "Disc ©");
  SetWTitle(window, PStr(MJ("保存の設定")).data());
  ASSERT_TRUE(PumpUntil([&] { return x11::WindowName(id) == "保存の設定"; }, "the new title"));
  ASSERT_TRUE(x11::WMNameOf(id, &type, &text));
  EXPECT_EQ(type, "COMPOUND_TEXT");
  EXPECT_EQ(text, "保存の設定");
}

// A dialog of a fixed size says so: its Motif hints offer moving and closing only (no
// resizing or maximizing) and it is typed as a dialog. A resizable document window leaves its
// functions to the window manager.
TEST_F(Windows, AFixedSizeDialogOffersOnlyMovingAndClosing) {
  WindowRef dialog = ShowWindowOnDesktop(R(200, 200, 320, 460), "設定",
                                         kMovableModalWindowClass, kWindowStandardHandlerAttribute);
  ASSERT_NE(dialog, nullptr);
  const unsigned long id = sp_platform::display::X11WindowOf(dialog);
  EXPECT_EQ(x11::MotifFunctions(id), 4 + 32) << "move and close";
  x11::WindowLook look;
  ASSERT_TRUE(x11::LookOf(id, &look));
  EXPECT_EQ(look.type, "_NET_WM_WINDOW_TYPE_DIALOG");
  WindowRef document = ShowWindowOnDesktop(
      R(150, 500, 350, 800), "文書", kDocumentWindowClass,
      kWindowStandardHandlerAttribute | kWindowResizableAttribute);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(x11::MotifFunctions(sp_platform::display::X11WindowOf(document)), -1);
}

TEST_F(Windows, OnlyTheChangedPartOfAWindowIsUploadedAgain) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "部分");
  ASSERT_NE(window, nullptr);
  sp_platform::display::SyncDesktop();
  const auto before = sp_platform::display::DesktopPresentCounts();
  sp_platform::display::SyncDesktop();
  EXPECT_EQ(sp_platform::display::DesktopPresentCounts().pixelsUploaded, before.pixelsUploaded)
      << "nothing changed, nothing goes to the screen";
  SetPortWindowPort(window);
  const Rect small = R(50, 60, 54, 70);
  PaintRect(&small);
  sp_platform::display::SyncDesktop();
  const auto after = sp_platform::display::DesktopPresentCounts();
  EXPECT_GT(after.pixelsUploaded, before.pixelsUploaded);
  EXPECT_LE(after.pixelsUploaded - before.pixelsUploaded, UInt64(10 * 16))
      << "a 10 x 4 change uploads at most its band of rows";
  ScreenImage shot;
  ASSERT_TRUE(ReadWindowImage(window, &shot));
  EXPECT_EQ(shot.At(65, 52 + sp_platform::display::StripHeightOf(window)), 0u);
}

TEST_F(Windows, AHiddenWindowLeavesTheScreenAndADisposedOneIsDestroyed) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 250, 320), "隠す");
  ASSERT_NE(window, nullptr);
  const unsigned long id = sp_platform::display::X11WindowOf(window);
  HideWindow(window);
  PumpUntil(
      [id] { return !x11::WindowViewable(id); },
      "the window to be hidden");
  DisposeWindow(window);
  sp_platform::display::SyncDesktop();
  EXPECT_EQ(sp_platform::display::X11WindowOf(window), 0u);
}

TEST_F(Windows, TheWindowManagersMoveAndResizeBecomeTheWindowsBounds) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "動く",
                                         kDocumentWindowClass,
                                         kWindowStandardHandlerAttribute | kWindowResizableAttribute);
  ASSERT_NE(window, nullptr);
  std::vector<UInt32> kinds;
  Listen(GetWindowEventTarget(window),
         {{kEventClassWindow, kEventWindowBoundsChanging},
          {kEventClassWindow, kEventWindowDragCompleted},
          {kEventClassWindow, kEventWindowResizeCompleted}},
         [&kinds](EventRef e) {
           kinds.push_back(GetEventKind(e));
           return OSStatus(eventNotHandledErr);
         });
  // A sheet stays attached to the top of its parent wherever the person moves the parent.
  WindowRef sheet = nullptr;
  const Rect sheetSize = R(0, 0, 60, 160);
  ASSERT_EQ(CreateNewWindow(kSheetWindowClass, kWindowNoAttributes, &sheetSize, &sheet), noErr);
  ASSERT_EQ(ShowSheetWindow(sheet, window), noErr);
  auto sheetOffset = [window, sheet] {
    Rect parent, attached;
    GetWindowBounds(window, kWindowContentRgn, &parent);
    GetWindowBounds(sheet, kWindowContentRgn, &attached);
    return std::make_pair(attached.left - parent.left, attached.top - parent.top);
  };
  const auto offset = sheetOffset();
  const std::string id = std::to_string(sp_platform::display::X11WindowOf(window));
  const int strip = sp_platform::display::StripHeightOf(window);
  ASSERT_TRUE(RunToolPumping({"xdotool", "windowmove", "--sync", id, "300", "260"}));
  // Where the window manager put it (its frame at the point asked for): the content follows,
  // below the strip.
  PumpUntil(
      [this, window, strip] {
        Rect r;
        GetWindowBounds(window, kWindowContentRgn, &r);
        int sx = 0, sy = 0;
        return ScreenPointOf(window, 0, strip, &sx, &sy) && r.left == sx && r.top == sy &&
               r.left >= 300 && r.top >= 260 + strip;
      },
      "the move to reach the window");
  EXPECT_EQ(sheetOffset(), offset) << "the sheet moved with its parent";
  HideSheetWindow(sheet);
  DisposeWindow(sheet);
  ASSERT_TRUE(RunToolPumping({"xdotool", "windowsize", "--sync", id, "360",
                              std::to_string(240 + strip)}));
  PumpUntil(
      [window] {
        Rect r;
        GetWindowBounds(window, kWindowContentRgn, &r);
        return r.right - r.left == 360 && r.bottom - r.top == 240;
      },
      "the new size to reach the window");
  EXPECT_NE(std::find(kinds.begin(), kinds.end(), UInt32(kEventWindowDragCompleted)), kinds.end());
  EXPECT_NE(std::find(kinds.begin(), kinds.end(), UInt32(kEventWindowResizeCompleted)),
            kinds.end());
}

// Asks both windows of the pair to close, the first first.
void RequestBothClose(EventLoopTimerRef, void* refCon) {
  const auto* windows = static_cast<const std::pair<WindowRef, WindowRef>*>(refCon);
  x11::RequestClose(sp_platform::display::X11WindowOf(windows->first));
  x11::RequestClose(sp_platform::display::X11WindowOf(windows->second));
}

TEST_F(Windows, TheWindowManagersCloseButtonAsksTheWindowToClose) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 250, 320), "閉じる");
  ASSERT_NE(window, nullptr);
  int closeRequests = 0;
  Listen(GetWindowEventTarget(window), {{kEventClassWindow, kEventWindowClose}},
         [&closeRequests](EventRef) {
           ++closeRequests;
           return OSStatus(noErr);
         });
  ASSERT_TRUE(x11::RequestClose(sp_platform::display::X11WindowOf(window)));
  PumpUntil([&closeRequests] { return closeRequests > 0; }, "the close request");
  EXPECT_TRUE(IsValidWindowPtr(window)) << "the request alone closes nothing";

  // Behind a dialog's modal loop the window's close button does nothing, then or after the
  // loop. The close button of the loop's own dialog is its Escape key (a close would leave the
  // loop running behind a hidden dialog): asked for after the other, it arrives alone.
  WindowRef dialog = ShowWindowOnDesktop(R(200, 150, 300, 350), "設定", kMovableModalWindowClass);
  ASSERT_NE(dialog, nullptr);
  int dialogRequests = 0, dialogCloses = 0;
  Listen(GetWindowEventTarget(dialog), {{kEventClassKeyboard, kEventRawKeyDown}},
         [&dialogRequests, dialog](EventRef event) {
           char ch = 0;
           GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch,
                             nullptr, &ch);
           if (ch == 0x1B && ++dialogRequests == 1) QuitAppModalLoopForWindow(dialog);
           return OSStatus(noErr);
         });
  Listen(GetWindowEventTarget(dialog), {{kEventClassWindow, kEventWindowClose}},
         [&dialogCloses, dialog](EventRef) {
           if (++dialogCloses == 1) QuitAppModalLoopForWindow(dialog);
           return OSStatus(noErr);
         });
  std::pair<WindowRef, WindowRef> both(window, dialog);
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0,
                                  NewEventLoopTimerUPP(RequestBothClose), &both, &timer),
            noErr);
  RunAppModalLoopForWindow(dialog);
  RemoveEventLoopTimer(timer);
  EXPECT_EQ(dialogRequests, 1);
  EXPECT_EQ(dialogCloses, 0) << "the dialog its loop waits on is not closed";
  EXPECT_EQ(closeRequests, 1) << "the window behind the dialog was asked to close";

  // A dialog outside any loop (a progress window) has no close box either: Escape too.
  int escapes = 0;
  Listen(GetWindowEventTarget(dialog), {{kEventClassKeyboard, kEventRawKeyDown}},
         [&escapes](EventRef event) {
           char ch = 0;
           GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch,
                             nullptr, &ch);
           escapes += ch == 0x1B;
           return OSStatus(noErr);
         });
  SelectWindow(dialog);
  ASSERT_TRUE(x11::RequestClose(sp_platform::display::X11WindowOf(dialog)));
  PumpUntil([&escapes] { return escapes > 0; }, "the dialog's Escape");
  EXPECT_EQ(dialogCloses, 0);
}

// The window xdotool says is active.
unsigned long ActiveWindow() {
  std::string out;
  if (!RunTool({"xdotool", "getactivewindow"}, &out)) return 0;
  return std::strtoul(out.c_str(), nullptr, 10);
}

// A window's desktop address, handed back as another process would hand it, makes the window
// active; addresses of another display, of no window, or of nothing are refused with the reason.
TEST_F(Windows, AWindowsDesktopAddressActivatesItAndOtherAddressesAreRefused) {
  const Rect bounds = R(150, 120, 250, 320);
  WindowRef first = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &first),
            noErr);
  EXPECT_EQ(SpDesktopWindowAddress(first), "") << "a hidden window is on no desktop";
  ShowWindow(first);
  const std::string address = SpDesktopWindowAddress(first);
  const unsigned long id = sp_platform::display::X11WindowOf(first);
  ASSERT_NE(id, 0u) << "a visible window is put on the desktop at once";
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%lx", id);
  const std::string display = std::getenv("DISPLAY");
  EXPECT_EQ(address, "x11 " + display + " " + hex);
  WindowRef second = ShowWindowOnDesktop(R(200, 200, 300, 400), "二");
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(WaitUntilShown(first));

  const std::string number = display.substr(display.rfind(':') + 1);
  const std::string other = ":" + std::to_string(std::atoi(number.c_str()) + 1);
  struct Case {
    const char* why;
    std::string address;
    OSStatus result;
  } cases[] = {
      {"another display", "x11 " + other + " " + hex, nsvErr},
      {"another host's display of that number", "x11 elsewhere" + display + " " + hex, nsvErr},
      {"no window of that id (the server's error ends nothing)", "x11 " + display + " 0x1fffff0",
       fnfErr},
      {"an id past 29 bits", "x11 " + display + " 0x20000000", paramErr},
      {"a decimal id", "x11 " + display + " " + std::to_string(id), paramErr},
      {"another kind of desktop", "wayland " + display + " " + hex, paramErr},
      {"a display name with a space", "x11 " + display + " x " + hex, paramErr},
      {"nothing", "", paramErr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpActivateDesktopWindow(c.address), c.result) << c.why;
  }
  // The same display under other names of it.
  for (const std::string& name : {display, "unix" + display + ".0"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(RunToolPumping({"xdotool", "windowactivate", "--sync",
                                std::to_string(sp_platform::display::X11WindowOf(second))}));
    EXPECT_EQ(SpActivateDesktopWindow("x11 " + name + " " + hex), noErr);
    PumpUntil([id] { return ActiveWindow() == id; }, "the window to become active");
  }
}

}  // namespace
}  // namespace desktop_test
