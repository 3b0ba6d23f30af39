// What the event loop and the display choice give a display backend: the wheel as raw input,
// the loop's idle wait handed to the display, the choice of display and scale, and the
// cursor's pixels.
#include <gtest/gtest.h>

#include <vector>

#include "UiFixture.h"
#include "display/internal/Backends.h"
#include "events/internal/EventLoop.h"
#include "events/internal/Keyboard.h"
#include "quickdraw/internal/Cursors.h"

namespace ui_test {
namespace {

using Wheel = UiTest;

TEST_F(Wheel, ANotchBecomesAWheelEventInScrollBarStepsOverTheWindow) {
  WindowRef window = MakeWindow(R(100, 100, 300, 400));
  std::vector<std::pair<EventMouseWheelAxis, SInt32>> seen;
  WindowRef over = nullptr;
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseWheelMoved}},
         [&](EventRef e) {
           EventMouseWheelAxis axis = 99;
           SInt32 delta = 0;
           GetEventParameter(e, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr,
                             sizeof axis, nullptr, &axis);
           GetEventParameter(e, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof delta,
                             nullptr, &delta);
           GetEventParameter(e, kEventParamWindowRef, typeWindowRef, nullptr, sizeof over,
                             nullptr, &over);
           seen.emplace_back(axis, delta);
           return OSStatus(noErr);
         });
  sp_platform::RawInput in;
  in.kind = sp_platform::kRawMouseWheel;
  in.where = Pt(150, 150);
  in.wheelDelta = -3;
  ASSERT_EQ(sp_platform::PostRawInput(in), noErr);
  in.wheelAxis = kEventMouseWheelAxisX;
  in.wheelDelta = 1;
  ASSERT_EQ(sp_platform::PostRawInput(in), noErr);
  in.wheelDelta = 0;
  EXPECT_EQ(sp_platform::PostRawInput(in), paramErr) << "no movement, no event";
  sp_testing::PumpPending();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(EventMouseWheelAxis(kEventMouseWheelAxisY), SInt32(-3)));
  EXPECT_EQ(seen[1], std::make_pair(EventMouseWheelAxis(kEventMouseWheelAxisX), SInt32(1)));
  EXPECT_EQ(over, window);
}

using KeysOfEvents = UiTest;

// What a handler of a key reads of the keyboard: the modifiers and whether the key is held.
struct KeysSeen {
  UInt32 kind;
  UInt32 modifiers;
  bool keyHeld;
};

constexpr UInt8 kKeyV = 9;

bool Held(UInt8 code) {
  KeyMap keys;
  GetKeys(keys);
  const UInt8* bytes = reinterpret_cast<const UInt8*>(keys);
  return (bytes[code >> 3] & (1u << (code & 7))) != 0;
}

void PostKey(sp_platform::RawInputKind kind, UInt32 modifiers) {
  sp_platform::RawInput in;
  in.kind = kind;
  in.charCode = 'v';
  in.keyCode = kKeyV;
  in.modifiers = modifiers;
  ASSERT_EQ(sp_platform::PostRawInput(in), noErr);
}

// Ctrl-V read by the display in one go (Ctrl down, V down and up, Ctrl up) before the loop
// handles any of it: each handler still sees the keys as they were at its own event.
TEST_F(KeysOfEvents, AChordReadInOneGoIsHandledWithTheModifiersOfItsOwnTime) {
  std::vector<KeysSeen> seen;
  Listen(GetApplicationEventTarget(),
         {{kEventClassKeyboard, kEventRawKeyDown}, {kEventClassKeyboard, kEventRawKeyUp}},
         [&](EventRef e) {
           seen.push_back({GetEventKind(e), GetCurrentKeyModifiers(), Held(kKeyV)});
           return OSStatus(noErr);
         });
  sp_platform::ReadKeyDown(kVK_Control, true);
  PostKey(sp_platform::kRawKeyDown, controlKey);
  PostKey(sp_platform::kRawKeyUp, controlKey);
  sp_platform::ReadKeyDown(kVK_Control, false);
  EXPECT_EQ(GetCurrentKeyModifiers(), UInt32(controlKey)) << "the queued keys come first";
  sp_testing::PumpPending();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].kind, UInt32(kEventRawKeyDown));
  EXPECT_EQ(seen[0].modifiers, UInt32(controlKey));
  EXPECT_TRUE(seen[0].keyHeld);
  EXPECT_EQ(seen[1].modifiers, UInt32(controlKey));
  EXPECT_FALSE(seen[1].keyHeld);
  EXPECT_EQ(GetCurrentKeyModifiers(), 0u) << "once handled, the keys are as read";
  EXPECT_FALSE(Held(kKeyV));

  // The same through the classic calls: the record and the keys agree.
  sp_platform::ReadKeyDown(kVK_Shift, true);
  PostKey(sp_platform::kRawKeyDown, shiftKey);
  sp_platform::ReadKeyDown(kVK_Shift, false);
  EventRecord record;
  ASSERT_TRUE(GetNextEvent(keyDownMask, &record));
  EXPECT_EQ(record.modifiers & shiftKey, shiftKey);
  EXPECT_EQ(GetCurrentKeyModifiers(), UInt32(shiftKey));
  EXPECT_FALSE(GetNextEvent(keyDownMask, &record));
  EXPECT_EQ(GetCurrentKeyModifiers(), 0u);
}

// The test API's keys hold from the moment it sets them, for input already queued as well.
TEST_F(KeysOfEvents, KeysTheTestsSetApplyToQueuedInputToo) {
  PostKey(sp_platform::kRawKeyDown, 0);
  sp_testing::SetModifierKeys(optionKey);
  UInt32 during = 0;
  Listen(GetApplicationEventTarget(), {{kEventClassKeyboard, kEventRawKeyDown}}, [&](EventRef) {
    during = GetCurrentKeyModifiers();
    return OSStatus(noErr);
  });
  EXPECT_EQ(GetCurrentKeyModifiers(), UInt32(optionKey));
  sp_testing::PumpPending();
  EXPECT_EQ(during, UInt32(optionKey));
  sp_testing::SetModifierKeys(0);
}

// The display's wait, as the loop calls it: the timeout is recorded and the loop told to end.
std::vector<SInt64> gWaits;
void RecordWait(SInt64 timeoutMicros, void*) {
  gWaits.push_back(timeoutMicros);
  QuitApplicationEventLoop();
}

TEST(IdleWait, TheLoopWaitsInTheDisplayUntilTheNextTimerOrForInput) {
  sp_testing::UseRealClock();
  sp_testing::ResetEvents();
  gWaits.clear();
  sp_platform::SetIdleWaitProc(RecordWait, nullptr);
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 30, 0,
                        NewEventLoopTimerUPP([](EventLoopTimerRef, void*) {}), nullptr, &timer);
  RunApplicationEventLoop();
  RemoveEventLoopTimer(timer);
  RunApplicationEventLoop();
  sp_platform::SetIdleWaitProc(nullptr, nullptr);
  sp_testing::ResetEvents();
  ASSERT_EQ(gWaits.size(), 2u);
  EXPECT_GT(gWaits[0], 29 * 1000000LL) << "until the timer is due";
  EXPECT_LE(gWaits[0], 30 * 1000000LL);
  EXPECT_EQ(gWaits[1], -1) << "no timer: until input comes";
}

struct Choice {
  std::vector<const char*> args;
  const char* variable;
  bool ok;
  SpDisplayKind kind;
  int argsLeft;
};

TEST(DisplayChoice, TheSwitchWinsOverTheVariableAndUnknownWordsAreRefused) {
  const Choice cases[] = {
      {{"app"}, nullptr, true, kSpDisplayDesktop, 1},
      {{"app"}, "headless", true, kSpDisplayHeadless, 1},
      {{"app", "--display=headless", "file"}, "desktop", true, kSpDisplayHeadless, 2},
      {{"app", "file", "--display=desktop"}, "headless", true, kSpDisplayDesktop, 2},
      {{"app", "--display=wayland"}, nullptr, false, kSpDisplayDesktop, 2},
      {{"app"}, "x11", false, kSpDisplayDesktop, 1},
      {{"app"}, "", true, kSpDisplayDesktop, 1},
  };
  for (const Choice& c : cases) {
    std::vector<char*> argv;
    for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    int argc = int(c.args.size());
    SpDisplayKind kind = kSpDisplayHeadless;
    std::string message;
    const bool ok = sp_platform::display::ChooseDisplay(&argc, argv.data(), c.variable,
                                                        kSpDisplayDesktop, &kind, &message);
    SCOPED_TRACE(std::string(c.args.back()) + " / " + (c.variable ? c.variable : "unset"));
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(message.empty(), c.ok);
    if (ok) {
      EXPECT_EQ(kind, c.kind);
    }
    EXPECT_EQ(argc, c.argsLeft) << "the switch is taken out of the arguments";
    EXPECT_EQ(argv[std::size_t(argc)], nullptr);
  }
}

TEST(DisplayChoice, TheScaleComesFromTheVariableElseTheScreensDensity) {
  using sp_platform::display::ChooseScale;
  EXPECT_EQ(ChooseScale("2", 96), 2);
  EXPECT_EQ(ChooseScale("4", 96), 4);
  for (const char* bad : {"0", "5", "x", "22", ""}) EXPECT_EQ(ChooseScale(bad, 96), 1) << bad;
  EXPECT_EQ(ChooseScale(nullptr, 0), 1);
  EXPECT_EQ(ChooseScale(nullptr, 144), 1);
  EXPECT_EQ(ChooseScale(nullptr, 192), 2);
  EXPECT_EQ(ChooseScale(nullptr, 288), 3);
  EXPECT_EQ(ChooseScale(nullptr, 1000), 4);
}

TEST(CursorImage, AOneBitCursorIsBlackWhiteAndClearAndTheArrowIsTheDesktops) {
  sp_testing::ResetWindows();
  Cursor cursor{};
  cursor.data[0] = 0x8000;  // (0, 0) set in the image and the mask: black
  cursor.mask[0] = 0xC000;  // (1, 0) only in the mask: white
  cursor.data[1] = 0x0001;  // (15, 1) only in the image (inverting): black
  cursor.hotSpot = Pt(3, 2);
  SetCursor(&cursor);
  const sp_platform::CursorImage image = sp_platform::CurrentCursorImage();
  EXPECT_FALSE(image.arrow);
  ASSERT_EQ(image.width, 16u);
  ASSERT_EQ(image.argb.size(), 256u);
  EXPECT_EQ(image.argb[0], 0xFF000000u);
  EXPECT_EQ(image.argb[1], 0xFFFFFFFFu);
  EXPECT_EQ(image.argb[2], 0u) << "outside the mask: clear";
  EXPECT_EQ(image.argb[16 + 15], 0xFF000000u);
  EXPECT_EQ(image.hotSpot.h, 3);
  EXPECT_EQ(image.hotSpot.v, 2);
  InitCursor();
  EXPECT_TRUE(sp_platform::CurrentCursorImage().arrow);
  sp_testing::ResetWindows();
}

}  // namespace
}  // namespace ui_test
