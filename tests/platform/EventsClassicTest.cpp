// Raw input and where it goes, the classic calls nested inside Carbon handlers, the mouse
// state and mouse tracking.
#include <functional>
#include <string>
#include <vector>

#include "Clock.h"
#include "QuickDraw.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using ClassicEvents = UiTest;

// A handler that runs an action inside it and records the events it saw.
struct Inside {
  std::vector<UInt32> kinds;
  std::function<void(EventRef)> action;
};

OSStatus RunInside(EventHandlerCallRef, EventRef event, void* data) {
  Inside* in = static_cast<Inside*>(data);
  in->kinds.push_back(GetEventKind(event));
  if (in->action) {
    auto action = in->action;
    in->action = nullptr;  // once
    action(event);
  }
  return noErr;
}

void Handle(EventTargetRef target, UInt32 cls, std::vector<UInt32> kinds, Inside& in) {
  std::vector<EventTypeSpec> specs;
  for (UInt32 k : kinds) specs.push_back({cls, k});
  ASSERT_EQ(
      InstallEventHandler(target, RunInside, ItemCount(specs.size()), specs.data(), &in, nullptr),
      noErr);
}

TEST_F(ClassicEvents, MouseInputCarriesItsParametersAndGoesToTheWindowUnderIt) {
  WindowRef window = MakeWindow(R(50, 100, 250, 300));
  Inside onWindow, onApp;
  EventRef seen = nullptr;
  onWindow.action = [&seen](EventRef e) { seen = RetainEvent(e); };
  Handle(GetWindowEventTarget(window), kEventClassMouse, {kEventMouseDown, kEventMouseUp},
         onWindow);
  Handle(GetApplicationEventTarget(), kEventClassMouse, {kEventMouseDown, kEventMouseUp}, onApp);
  sp_testing::PostMouseDown(Pt(150, 60), shiftKey, 2);
  sp_testing::PostMouseUp(Pt(5, 10));  // over the menu bar: the application's
  sp_testing::PumpPending();
  EXPECT_EQ(onWindow.kinds, (std::vector<UInt32>{kEventMouseDown}));
  EXPECT_EQ(onApp.kinds, (std::vector<UInt32>{kEventMouseUp}));
  ASSERT_NE(seen, nullptr);
  const Point where = Param<Point>(seen, kEventParamMouseLocation, typeQDPoint);
  EXPECT_EQ(where.h, 150);
  EXPECT_EQ(where.v, 60);
  EXPECT_EQ(Param<UInt32>(seen, kEventParamKeyModifiers, typeUInt32), UInt32(shiftKey));
  EXPECT_EQ(Param<UInt32>(seen, kEventParamClickCount, typeUInt32), 2u);
  EXPECT_EQ(Param<WindowRef>(seen, kEventParamWindowRef, typeWindowRef), window);
  EXPECT_EQ(Param<EventMouseButton>(seen, kEventParamMouseButton, typeMouseButton),
            kEventMouseButtonPrimary);
  ReleaseEvent(seen);
}

TEST_F(ClassicEvents, KeysAndTextGoToTheFrontWindowWithTheirParameters) {
  WindowRef back = MakeWindow(R(40, 10, 200, 200));
  WindowRef front = MakeWindow(R(40, 300, 200, 500));
  Inside onFront, onBack;
  std::string text;
  EventRef rawKey = nullptr;
  onFront.action = [&](EventRef e) {
    char buffer[64] = {};
    ByteCount size = 0;
    GetEventParameter(e, kEventParamTextInputSendText, typeChar, nullptr, sizeof buffer, &size,
                      buffer);
    text.assign(buffer, size);
    GetEventParameter(e, kEventParamTextInputSendKeyboardEvent, typeEventRef, nullptr,
                      sizeof rawKey, nullptr, &rawKey);
    RetainEvent(rawKey);
  };
  Handle(GetWindowEventTarget(front), kEventClassTextInput, {kEventTextInputUnicodeForKeyEvent},
         onFront);
  Handle(GetWindowEventTarget(front), kEventClassKeyboard, {kEventRawKeyDown, kEventRawKeyUp},
         onFront);
  Handle(GetWindowEventTarget(back), kEventClassKeyboard, {kEventRawKeyDown}, onBack);
  sp_testing::PostTextInputUTF8("\xE6\x97\xA5\xE6\x9C\xAC");  // two kanji
  sp_testing::PostKeyDown(0x1C, 123);
  sp_testing::PostKeyUp(0x1C, 123);
  sp_testing::PumpPending();
  EXPECT_EQ(onFront.kinds, (std::vector<UInt32>{kEventTextInputUnicodeForKeyEvent, kEventRawKeyDown,
                                                kEventRawKeyUp}));
  EXPECT_TRUE(onBack.kinds.empty());
  EXPECT_EQ(text, "\x93\xFA\x96\x7B");
  ASSERT_NE(rawKey, nullptr);
  EXPECT_EQ(GetEventClass(rawKey), kEventClassKeyboard);
  ReleaseEvent(rawKey);

  // A key nobody takes goes on as typed text carrying its key event; a key taken makes none.
  WindowRef third = MakeWindow(R(40, 600, 200, 800));
  Inside onThird, taker;
  UInt32 keyClass = 0;
  onThird.action = [&](EventRef e) {
    keyClass =
        GetEventClass(Param<EventRef>(e, kEventParamTextInputSendKeyboardEvent, typeEventRef));
  };
  Handle(GetWindowEventTarget(third), kEventClassTextInput, {kEventTextInputUnicodeForKeyEvent},
         onThird);
  sp_testing::PostKeyDown('a', 0);
  sp_testing::PumpPending();
  EXPECT_EQ(onThird.kinds.size(), 1u);
  EXPECT_EQ(keyClass, kEventClassKeyboard);
  Handle(GetApplicationEventTarget(), kEventClassKeyboard, {kEventRawKeyDown}, taker);
  sp_testing::PostKeyDown('a', 0);
  sp_testing::PumpPending();
  EXPECT_EQ(taker.kinds.size(), 1u);
  EXPECT_EQ(onThird.kinds.size(), 1u);
}

TEST_F(ClassicEvents, TextInputLongerThanTheHandlersReadIsCutOnACharacterBoundary) {
  Inside onApp;
  ByteCount size = 0;
  onApp.action = [&size](EventRef e) {
    GetEventParameter(e, kEventParamTextInputSendText, typeChar, nullptr, 0, &size, nullptr);
  };
  Handle(GetApplicationEventTarget(), kEventClassTextInput, {kEventTextInputUnicodeForKeyEvent},
         onApp);
  std::string text = "ab";
  for (int i = 0; i < 600; ++i) text += "\x82\xA0";  // 1202 bytes
  sp_testing::PostTextInput(text);
  sp_testing::PumpPending();
  EXPECT_EQ(size, 1022u) << "1023 would split the last two-byte character";
}

TEST_F(ClassicEvents, WaitNextEventInsideAHandlerTakesOnlyMaskedEventsAndLeavesTheRest) {
  Inside onApp;
  std::vector<EventKind> taken;
  onApp.action = [&taken](EventRef) {
    EventRecord record;
    while (WaitNextEvent(keyDownMask | updateMask, &record, 0, nullptr)) {
      taken.push_back(record.what);
    }
    EXPECT_EQ(record.what, nullEvent);
  };
  Handle(GetApplicationEventTarget(), kEventClassMouse, {kEventMouseDown, kEventMouseUp}, onApp);
  Handle(GetApplicationEventTarget(), kEventClassKeyboard, {kEventRawKeyDown}, onApp);
  sp_testing::PostMouseDown(Pt(900, 700));
  sp_testing::PostKeyDown('x', 7);
  sp_testing::PostMouseUp(Pt(900, 700));
  sp_testing::PostKeyDown('y', 16);
  sp_testing::PumpPending();
  EXPECT_EQ(taken, (std::vector<EventKind>{keyDown, keyDown}));
  // The mouse-up stayed queued and reached its handler afterwards; the keys did not.
  EXPECT_EQ(onApp.kinds, (std::vector<UInt32>{kEventMouseDown, kEventMouseUp}));
}

TEST_F(ClassicEvents, WaitNextEventSleepsOnTheVirtualClockAndTakesKeyUpsOnlyWhenMasked) {
  int fires = 0;
  auto count = [](EventLoopTimerRef, void* data) { ++*static_cast<int*>(data); };
  InstallEventLoopTimer(GetMainEventLoop(), 0.1, 0.1, count, &fires, nullptr);
  UInt32 start = TickCount();
  EventRecord record;
  EXPECT_FALSE(WaitNextEvent(everyEvent, &record, 30, nullptr));
  EXPECT_EQ(TickCount() - start, 30u);
  EXPECT_EQ(fires, 5);  // 0.1 .. 0.5 s
  EXPECT_EQ(record.what, nullEvent);
  // Key-ups reach the classic calls only when the event mask says so.
  sp_testing::PostKeyUp('k', 40);
  EXPECT_FALSE(GetNextEvent(everyEvent, &record));
  SetEventMask(everyEvent);
  EXPECT_TRUE(GetNextEvent(everyEvent, &record));
  EXPECT_EQ(record.what, keyUp);
  EXPECT_EQ(record.message, 'k' + 40ul * 256);
}

struct ButtonCase {
  std::vector<int> input;  // 1 down, 2 up, in this order
  bool button, stillDown;
  const char* why;
};

TEST_F(ClassicEvents, StillDownWantsTheButtonDownAndNoReleaseWaiting) {
  const ButtonCase cases[] = {
      {{}, false, false, "never pressed"},
      {{1}, true, true, "held"},
      {{1, 2}, false, false, "released"},
      {{1, 2, 1}, true, false, "pressed again, but a release still waits in the queue"},
  };
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.why);
    Reset();
    for (int i : c.input) {
      if (i == 1) sp_testing::PostMouseDown(Pt(900, 700));
      if (i == 2) sp_testing::PostMouseUp(Pt(900, 700));
    }
    EXPECT_EQ(Button(), Boolean(c.button));
    EXPECT_EQ(StillDown(), Boolean(c.stillDown));
  }
}

TEST_F(ClassicEvents, GetMouseAnswersInTheCurrentPortsCoordinates) {
  WindowRef window = MakeWindow(R(50, 100, 250, 300));
  sp_testing::PostMouseMoved(Pt(130, 90));
  SetPortWindowPort(window);
  Point local = {};
  GetMouse(&local);
  EXPECT_EQ(local.h, 30);
  EXPECT_EQ(local.v, 40);
}

struct Track {
  MouseTrackingResult result;
  SInt16 h, v;
};

// Tracks inside the mouse-down handler of the window until the release.
std::vector<Track> TrackInsideMouseDown(WindowRef window) {
  std::vector<Track> tracks;
  Inside onWindow;
  onWindow.action = [&tracks, window](EventRef) {
    for (int guard = 0; guard < 100; ++guard) {
      Point pt = {};
      MouseTrackingResult result = 0;
      EXPECT_EQ(TrackMouseLocation(GetWindowPort(window), &pt, &result), noErr);
      tracks.push_back({result, pt.h, pt.v});
      if (result == kMouseTrackingMouseUp) break;
    }
  };
  Handle(GetWindowEventTarget(window), kEventClassMouse, {kEventMouseDown}, onWindow);
  sp_testing::PumpUntilIdle();
  return tracks;
}

TEST_F(ClassicEvents, TrackMouseLocationReportsDragsAndTheReleaseInLocalPointsNeverHanging) {
  WindowRef window = MakeWindow(R(50, 100, 250, 300));
  sp_testing::PostMouseDown(Pt(110, 60));
  sp_testing::PostMouseDragged(Pt(120, 70));
  sp_testing::PostMouseDragged(Pt(400, 500));  // outside the window: still tracked
  sp_testing::PostMouseUp(Pt(140, 90));
  std::vector<Track> tracks = TrackInsideMouseDown(window);
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_EQ(tracks[0].result, kMouseTrackingMouseDragged);
  EXPECT_EQ(tracks[0].h, 20);
  EXPECT_EQ(tracks[0].v, 20);
  EXPECT_EQ(tracks[1].h, 300);
  EXPECT_EQ(tracks[1].v, 450);
  EXPECT_EQ(tracks[2].result, kMouseTrackingMouseUp);
  EXPECT_EQ(tracks[2].h, 40);
  EXPECT_EQ(tracks[2].v, 40);
  EXPECT_EQ(sp_testing::QueuedEventCount(), 0u);
  // Held with nothing else to come: the release is answered instead of hanging.
  sp_testing::PostMouseDown(Pt(130, 80));
  tracks = TrackInsideMouseDown(window);
  ASSERT_EQ(tracks.size(), 1u);
  EXPECT_EQ(tracks[0].result, kMouseTrackingMouseUp);
  EXPECT_EQ(tracks[0].h, 30);
}

TEST_F(ClassicEvents, TrackMouseLocationWaitsForInputArrivingLaterWhileTimersFire) {
  WindowRef window = MakeWindow(R(50, 100, 250, 300));
  int fires = 0;
  auto count = [](EventLoopTimerRef, void* data) { ++*static_cast<int*>(data); };
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.1, count, &fires, nullptr);
  sp_testing::PostMouseDown(Pt(110, 60));
  sp_testing::ScheduleInput(250000, [] { sp_testing::PostMouseDragged(Pt(150, 100)); });
  sp_testing::ScheduleInput(450000, [] { sp_testing::PostMouseUp(Pt(160, 110)); });
  const SInt64 start = Now();
  std::vector<Track> tracks;
  Inside onWindow;
  SInt64 releasedAt = 0;
  int firesWhileTracking = 0;
  onWindow.action = [&](EventRef) {
    int before = fires;
    Point pt = {};
    MouseTrackingResult result = 0;
    do {
      TrackMouseLocation(GetWindowPort(window), &pt, &result);
      tracks.push_back({result, pt.h, pt.v});
    } while (result != kMouseTrackingMouseUp && tracks.size() < 10);
    releasedAt = Now() - start;
    firesWhileTracking = fires - before;
  };
  Handle(GetWindowEventTarget(window), kEventClassMouse, {kEventMouseDown}, onWindow);
  sp_testing::PumpUntil([&tracks] { return !tracks.empty(); });
  ASSERT_EQ(tracks.size(), 2u);
  EXPECT_EQ(tracks[0].result, kMouseTrackingMouseDragged);
  EXPECT_EQ(tracks[0].h, 50);
  EXPECT_EQ(tracks[1].result, kMouseTrackingMouseUp);
  EXPECT_EQ(releasedAt, 450000);
  EXPECT_EQ(firesWhileTracking, 5);  // 0 .. 0.4 s
}

}  // namespace
}  // namespace ui_test
