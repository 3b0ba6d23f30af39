// Raw input and where it goes, handler stacks and propagation, the classic calls nested inside
// Carbon handlers, mouse tracking; event parameters (types, coercions, buffer sizes, stored
// events) and the classic record of an event.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Clock.h"
#include "QuickDraw.h"
#include "UiFixture.h"
#include "events/internal/EventLoop.h"

namespace ui_test {
namespace {

using ClassicEvents = UiTest;
using Kinds = std::vector<UInt32>;
using Strings = std::vector<std::string>;

std::vector<EventTypeSpec> Types(UInt32 cls, Kinds kinds) {
  std::vector<EventTypeSpec> specs;
  for (UInt32 k : kinds) specs.push_back({cls, k});
  return specs;
}

TEST_F(ClassicEvents, MouseInputCarriesItsParametersAndGoesToTheWindowUnderIt) {
  WindowRef window = MakeWindow(R(50, 100, 250, 300));
  Kinds onWindow, onApp;
  std::string params;
  Listen(GetWindowEventTarget(window), Types(kEventClassMouse, {kEventMouseDown, kEventMouseUp}),
         [&](EventRef e) {
           onWindow.push_back(GetEventKind(e));
           const Point where = Param<Point>(e, kEventParamMouseLocation, typeQDPoint);
           params =
               std::to_string(where.h) + "," + std::to_string(where.v) + " " +
               std::to_string(Param<UInt32>(e, kEventParamKeyModifiers, typeUInt32)) + " " +
               std::to_string(Param<UInt32>(e, kEventParamClickCount, typeUInt32)) + " " +
               std::to_string(Param<EventMouseButton>(e, kEventParamMouseButton, typeMouseButton));
           EXPECT_EQ(Param<WindowRef>(e, kEventParamWindowRef, typeWindowRef), window);
           return OSStatus(noErr);
         });
  Listen(GetApplicationEventTarget(), Types(kEventClassMouse, {kEventMouseDown, kEventMouseUp}),
         [&](EventRef e) { return onApp.push_back(GetEventKind(e)), OSStatus(noErr); });
  sp_testing::PostMouseDown(Pt(150, 60), shiftKey, 2);
  sp_testing::PostMouseUp(Pt(5, 10));  // over the menu bar: the application's
  sp_testing::PumpPending();
  EXPECT_EQ(onWindow, Kinds{kEventMouseDown});
  EXPECT_EQ(onApp, Kinds{kEventMouseUp});
  EXPECT_EQ(params, "150,60 " + std::to_string(shiftKey) + " 2 " +
                        std::to_string(kEventMouseButtonPrimary));
}

TEST_F(ClassicEvents, KeysAndTextGoToTheFrontWindowAndAKeyNobodyTookBecomesText) {
  WindowRef back = MakeWindow(R(40, 10, 200, 200));
  WindowRef front = MakeWindow(R(40, 300, 200, 500));
  Kinds onFront, onBack;
  std::string text;
  Listen(GetWindowEventTarget(front),
         Types(kEventClassKeyboard, {kEventRawKeyDown, kEventRawKeyUp}),
         [&](EventRef e) { return onFront.push_back(GetEventKind(e)), OSStatus(noErr); });
  Listen(GetWindowEventTarget(front),
         Types(kEventClassTextInput, {kEventTextInputUnicodeForKeyEvent}), [&](EventRef e) {
           onFront.push_back(GetEventKind(e));
           char buffer[64] = {};
           ByteCount size = 0;
           GetEventParameter(e, kEventParamTextInputSendText, typeChar, nullptr, sizeof buffer,
                             &size, buffer);
           text.assign(buffer, size);
           EventRef key = Param<EventRef>(e, kEventParamTextInputSendKeyboardEvent, typeEventRef);
           EXPECT_EQ(GetEventClass(key), kEventClassKeyboard) << "it carries its key event";
           return OSStatus(noErr);
         });
  Listen(GetWindowEventTarget(back), Types(kEventClassKeyboard, {kEventRawKeyDown}),
         [&](EventRef e) { return onBack.push_back(GetEventKind(e)), OSStatus(noErr); });
  sp_testing::PostTextInputUTF8("日本");
  sp_testing::PostKeyDown(0x1C, 123);
  sp_testing::PostKeyUp(0x1C, 123);
  sp_testing::PumpPending();
  EXPECT_EQ(onFront, (Kinds{kEventTextInputUnicodeForKeyEvent, kEventRawKeyDown, kEventRawKeyUp}));
  EXPECT_TRUE(onBack.empty());
  EXPECT_EQ(text, "\x93\xFA\x96\x7B");

  // A key nobody takes goes on as typed text; a key taken makes none.
  WindowRef third = MakeWindow(R(40, 600, 200, 800));
  int texts = 0, taken = 0;
  Listen(GetWindowEventTarget(third),
         Types(kEventClassTextInput, {kEventTextInputUnicodeForKeyEvent}),
         [&](EventRef) { return ++texts, OSStatus(noErr); });
  sp_testing::PostKeyDown('a', 0);
  sp_testing::PumpPending();
  Listen(GetApplicationEventTarget(), Types(kEventClassKeyboard, {kEventRawKeyDown}),
         [&](EventRef) { return ++taken, OSStatus(noErr); });
  sp_testing::PostKeyDown('a', 0);
  sp_testing::PumpPending();
  EXPECT_EQ(texts * 10 + taken, 11);

  // Text longer than the handler's read is cut on a character boundary.
  ByteCount size = 0;
  Listen(GetWindowEventTarget(third),
         Types(kEventClassTextInput, {kEventTextInputUnicodeForKeyEvent}), [&](EventRef e) {
           GetEventParameter(e, kEventParamTextInputSendText, typeChar, nullptr, 0, &size, nullptr);
           return OSStatus(noErr);
         });
  std::string longText = "ab";
  for (int i = 0; i < 600; ++i) longText += "\x82\xA0";  // 1202 bytes
  sp_testing::PostTextInput(longText);
  sp_testing::PumpPending();
  EXPECT_EQ(size, 1022u) << "1023 would split the last two-byte character";
  sp_testing::PostTextInput(std::string(1023, 'a'));
  sp_testing::PumpPending();
  EXPECT_EQ(size, 1023u) << "text of the greatest size arrives whole";
}

TEST_F(ClassicEvents, HandlersRunMostRecentFirstStopAtTheFirstThatHandlesAndGoUpToTheApp) {
  struct Case {
    OSStatus first, second, third;  // results of the handlers installed first, second, third
    Strings calls;
    OSStatus result;
  } cases[] = {
      {eventNotHandledErr, eventNotHandledErr, noErr, {"3"}, noErr},
      {eventNotHandledErr, noErr, eventNotHandledErr, {"3", "2"}, noErr},
      {noErr, eventNotHandledErr, eventNotHandledErr, {"3", "2", "1"}, noErr},
      {eventNotHandledErr,
       eventNotHandledErr,
       eventNotHandledErr,
       {"3", "2", "1"},
       eventNotHandledErr},
      {noErr, paramErr, eventNotHandledErr, {"3", "2"}, paramErr},
  };
  const EventTypeSpec activated = {kEventClassApplication, kEventAppActivated};
  Strings log;
  auto probe = [&log](const char* name, OSStatus result) {
    return [&log, name, result](EventRef) { return log.push_back(name), result; };
  };
  for (const Case& c : cases) {
    Reset();
    log.clear();
    Listen(GetApplicationEventTarget(), {activated}, probe("1", c.first));
    Listen(GetApplicationEventTarget(), {activated}, probe("2", c.second));
    Listen(GetApplicationEventTarget(), {activated}, probe("3", c.third));
    EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetApplicationEventTarget()),
              c.result);
    EXPECT_EQ(log, c.calls);
    // Only the installed event types reach a handler.
    EXPECT_EQ(Send(kEventClassApplication, kEventAppDeactivated, GetApplicationEventTarget()),
              eventNotHandledErr);
    EXPECT_EQ(Send(kEventClassKeyboard, kEventAppActivated, GetApplicationEventTarget()),
              eventNotHandledErr);
    EXPECT_EQ(log, c.calls);
  }

  // Unhandled events go from a control to its window to the application.
  Reset();
  log.clear();
  WindowRef window = MakeWindow(R(40, 10, 240, 210));
  ControlRef control = reinterpret_cast<ControlRef>(&window);  // any distinct address
  ASSERT_EQ(sp_platform::SetEventTargetParent(GetControlEventTarget(control),
                                              GetWindowEventTarget(window)),
            noErr);
  // A target is never made its own ancestor (a send would go round for ever); a refused
  // parent leaves the one it had. Each try is undone at once, should it have been taken.
  EventTargetRef top = sp_platform::NewEventTarget(nullptr);
  EventTargetRef below = sp_platform::NewEventTarget(top);
  EXPECT_EQ(sp_platform::SetEventTargetParent(top, below), paramErr);
  EXPECT_EQ(sp_platform::GetEventTargetParent(top), nullptr);
  sp_platform::SetEventTargetParent(top, nullptr);
  EXPECT_EQ(sp_platform::SetEventTargetParent(below, below), paramErr);
  EXPECT_EQ(sp_platform::GetEventTargetParent(below), top);
  sp_platform::SetEventTargetParent(below, nullptr);
  for (EventTargetRef t : {below, top}) sp_platform::DisposeEventTarget(t);
  OSStatus windowAnswer = eventNotHandledErr;
  Listen(GetControlEventTarget(control), {activated}, probe("control", eventNotHandledErr));
  Listen(GetWindowEventTarget(window), {activated},
         [&](EventRef) { return log.push_back("window"), windowAnswer; });
  Listen(GetApplicationEventTarget(), {activated}, probe("app", noErr));
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetControlEventTarget(control)),
            noErr);
  windowAnswer = noErr;  // a handled event stops where it was handled
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetControlEventTarget(control)),
            noErr);
  EXPECT_EQ(log, (Strings{"control", "window", "app", "control", "window"}));
  sp_platform::DisposeObjectEventTarget(control);
}

TEST_F(ClassicEvents, HandlersRemovedOrWindowsDisposedWhileRunningAreLeftSafely) {
  const EventTypeSpec activated = {kEventClassApplication, kEventAppActivated};
  Strings log;
  EventHandlerRef first = Listen(GetApplicationEventTarget(), {activated},
                                 [&](EventRef) { return log.push_back("first"), OSStatus(noErr); });
  EventHandlerRef second = nullptr;
  second = Listen(GetApplicationEventTarget(), {activated}, [&](EventRef) {
    log.push_back("second");
    EXPECT_EQ(RemoveEventHandler(second), noErr);
    EXPECT_EQ(RemoveEventHandler(first), noErr);
    return OSStatus(eventNotHandledErr);
  });
  // Removing itself and the next one stops both from running.
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetApplicationEventTarget()),
              eventNotHandledErr);
  }
  EXPECT_EQ(log, Strings{"second"});
  EXPECT_EQ(RemoveEventHandler(first), paramErr);

  WindowRef window = MakeWindow(R(40, 10, 240, 210));
  Listen(GetApplicationEventTarget(), {activated},
         [&](EventRef) { return log.push_back("app"), OSStatus(noErr); });
  Listen(GetWindowEventTarget(window), {activated}, [&](EventRef) {
    DisposeWindow(window);
    return log.push_back("window"), OSStatus(eventNotHandledErr);
  });
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetWindowEventTarget(window)), noErr);
  EXPECT_EQ(log, (Strings{"second", "window", "app"}));
  EXPECT_FALSE(IsValidWindowPtr(window));
}

// A handler that logs its name, calls the next handler first when asked, and answers its result.
struct Chained {
  const char* name;
  Strings* log;
  OSStatus result = eventNotHandledErr;
  bool callNext = false;
  OSStatus nextResult = 1;  // what CallNextEventHandler answered
};
OSStatus ChainedHandler(EventHandlerCallRef call, EventRef event, void* data) {
  Chained* c = static_cast<Chained*>(data);
  c->log->push_back(c->name);
  if (c->callNext) c->nextResult = CallNextEventHandler(call, event);
  return c->result;
}

TEST_F(ClassicEvents, CallNextRunsTheRestOfTheTargetOnceAndTheParentOnlyOnce) {
  const EventTypeSpec activated = {kEventClassApplication, kEventAppActivated};
  WindowRef window = MakeWindow(R(40, 10, 240, 210));
  Strings log;
  Chained app{"app", &log, noErr}, older{"older", &log}, newer{"newer", &log};
  newer.callNext = true;
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), ChainedHandler, 1, &activated, &app,
                                nullptr),
            noErr);
  for (Chained* c : {&older, &newer}) {
    ASSERT_EQ(
        InstallEventHandler(GetWindowEventTarget(window), ChainedHandler, 1, &activated, c, nullptr),
        noErr);
  }
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetWindowEventTarget(window)), noErr);
  // CallNext stays on the window's target: the application's handler runs once, after.
  EXPECT_EQ(newer.nextResult, eventNotHandledErr);
  EXPECT_EQ(log, (Strings{"newer", "older", "app"}));

  log.clear();
  older.result = noErr;
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetWindowEventTarget(window)), noErr);
  EXPECT_EQ(newer.nextResult, noErr);
  // The newer handler answered "not handled" after the older one handled it through CallNext:
  // the event goes on to the application.
  EXPECT_EQ(log, (Strings{"newer", "older", "app"}));

  // Outside a handler there is no next one.
  EventRef event = NewEvent(kEventClassApplication, kEventAppActivated);
  EXPECT_EQ(CallNextEventHandler(nullptr, event), paramErr);
  EventHandlerCallRef bogus = reinterpret_cast<EventHandlerCallRef>(&event);
  EXPECT_EQ(CallNextEventHandler(bogus, event), paramErr);
  ReleaseEvent(event);
}

TEST_F(ClassicEvents, WaitNextEventInsideAHandlerTakesOnlyMaskedEventsAndLeavesTheRest) {
  Kinds seen;
  std::vector<EventKind> taken;
  Listen(
      GetApplicationEventTarget(), Types(kEventClassMouse, {kEventMouseDown, kEventMouseUp}),
      [&](EventRef e) {
        seen.push_back(GetEventKind(e));
        EventRecord record;
        while (seen.size() == 1 && WaitNextEvent(keyDownMask | updateMask, &record, 0, nullptr)) {
          taken.push_back(record.what);
        }
        return OSStatus(noErr);
      });
  Listen(GetApplicationEventTarget(), Types(kEventClassKeyboard, {kEventRawKeyDown}),
         [&](EventRef e) { return seen.push_back(GetEventKind(e)), OSStatus(noErr); });
  sp_testing::PostMouseDown(Pt(900, 700));
  sp_testing::PostKeyDown('x', 7);
  sp_testing::PostMouseUp(Pt(900, 700));
  sp_testing::PostKeyDown('y', 16);
  sp_testing::PumpPending();
  EXPECT_EQ(taken, (std::vector<EventKind>{keyDown, keyDown}));
  // The mouse-up stayed queued and reached its handler afterwards; the keys did not.
  EXPECT_EQ(seen, (Kinds{kEventMouseDown, kEventMouseUp}));

  // WaitNextEvent sleeps on the virtual clock, timers firing meanwhile.
  int fires = 0;
  auto count = [](EventLoopTimerRef, void* data) { ++*static_cast<int*>(data); };
  InstallEventLoopTimer(GetMainEventLoop(), 0.1, 0.1, count, &fires, nullptr);
  const UInt32 start = TickCount();
  EventRecord record;
  EXPECT_FALSE(WaitNextEvent(everyEvent, &record, 30, nullptr));
  EXPECT_EQ(TickCount() - start, 30u);
  EXPECT_EQ(fires, 5);  // 0.1 .. 0.5 s
  EXPECT_EQ(record.what, nullEvent);
}

TEST_F(ClassicEvents, TrackMouseLocationReportsDragsAndTheReleaseLocallyWaitingForLaterInput) {
  WindowRef window = MakeWindow(R(50, 100, 250, 300));
  std::string tracks;  // "result:h,v " of each call
  int fires = 0, firesWhileTracking = 0;
  SInt64 releasedAt = 0;
  auto count = [](EventLoopTimerRef, void* data) { ++*static_cast<int*>(data); };
  Listen(GetWindowEventTarget(window), Types(kEventClassMouse, {kEventMouseDown}), [&](EventRef) {
    const SInt64 start = Now();
    const int before = fires;
    for (int guard = 0; guard < 10; ++guard) {
      Point pt = {};
      MouseTrackingResult result = 0;
      EXPECT_EQ(TrackMouseLocation(GetWindowPort(window), &pt, &result), noErr);
      tracks +=
          std::to_string(result) + ":" + std::to_string(pt.h) + "," + std::to_string(pt.v) + " ";
      if (result == kMouseTrackingMouseUp) break;
    }
    releasedAt = Now() - start;
    firesWhileTracking = fires - before;
    return OSStatus(noErr);
  });
  const std::string dragged = std::to_string(kMouseTrackingMouseDragged) + ":";
  const std::string up = std::to_string(kMouseTrackingMouseUp) + ":";
  sp_testing::PostMouseDown(Pt(110, 60));
  sp_testing::PostMouseDragged(Pt(120, 70));
  sp_testing::PostMouseDragged(Pt(400, 500));  // outside the window: still tracked
  sp_testing::PostMouseUp(Pt(140, 90));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(tracks, dragged + "20,20 " + dragged + "300,450 " + up + "40,40 ");
  EXPECT_EQ(sp_testing::QueuedEventCount(), 0u);
  // Held with nothing else to come: the release is answered instead of hanging.
  tracks.clear();
  sp_testing::PostMouseDown(Pt(130, 80));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(tracks, up + "30,30 ");
  // Input arriving later is waited for while timers fire.
  tracks.clear();
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.1, count, &fires, nullptr);
  sp_testing::PostMouseDown(Pt(110, 60));
  sp_testing::ScheduleInput(250000, [] { sp_testing::PostMouseDragged(Pt(150, 100)); });
  sp_testing::ScheduleInput(450000, [] { sp_testing::PostMouseUp(Pt(160, 110)); });
  sp_testing::PumpUntil([&tracks] { return !tracks.empty(); });
  EXPECT_EQ(tracks, dragged + "50,50 " + up + "60,60 ");
  EXPECT_EQ(releasedAt, 450000);
  EXPECT_EQ(firesWhileTracking, 5);  // 0 .. 0.4 s
}

// ---- The classic queue calls: event mask, button state, flushing, mouse and modifiers ----

TEST_F(ClassicEvents, KeyUpsReachTheClassicCallsOnlyWhenTheEventMaskSaysSo) {
  EventRecord record;
  sp_testing::PostKeyUp('k', 40);
  EXPECT_FALSE(WaitNextEvent(everyEvent, &record, 0, nullptr));
  SetEventMask(everyEvent);
  sp_testing::PostKeyUp('k', 40);
  ASSERT_TRUE(WaitNextEvent(everyEvent, &record, 0, nullptr));
  EXPECT_EQ(record.what, keyUp);
  EXPECT_EQ(record.message, 'k' + 40ul * 256);
}

TEST_F(ClassicEvents, StillDownWantsTheButtonDownAndNoReleaseWaiting) {
  const struct {
    std::vector<int> input;  // 1 down, 2 up, in this order
    bool button, stillDown;
    const char* why;
  } cases[] = {
      {{}, false, false, "never pressed"},
      {{1}, true, true, "held"},
      {{1, 2}, false, false, "released"},
      {{1, 2, 1}, true, false, "pressed again, but a release still waits in the queue"},
  };
  for (const auto& c : cases) {
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

TEST_F(ClassicEvents, FlushEventsRemovesMouseEventsUpToTheStopKind) {
  SetEventMask(everyEvent);
  sp_testing::PostMouseDown(Pt(1, 700));
  sp_testing::PostMouseUp(Pt(1, 700));
  sp_testing::PostKeyDown('s', 1);
  sp_testing::PostMouseDown(Pt(1, 700));
  sp_testing::PostMouseDragged(Pt(2, 700));
  FlushEvents(mDownMask | mUpMask, keyDownMask);
  EventRecord record;
  ASSERT_TRUE(WaitNextEvent(everyEvent, &record, 0, nullptr));
  EXPECT_EQ(record.what, keyDown);
  ASSERT_TRUE(WaitNextEvent(everyEvent, &record, 0, nullptr));
  EXPECT_EQ(record.what, mouseDown) << "behind the stop event";
  EXPECT_EQ(sp_testing::QueuedEventCount(), 1u) << "the drag has no classic kind";
}

TEST_F(ClassicEvents, GetMouseAnswersInTheCurrentPortsCoordinatesAndModifiersFollowTheKeys) {
  WindowRef window = MakeWindow(R(50, 100, 250, 300));
  sp_testing::PostMouseMoved(Pt(130, 90));
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  Point local = {};
  GetMouse(&local);
  EXPECT_EQ(local.h, 30);
  EXPECT_EQ(local.v, 40);
  SetPort(saved);
  Point global = {};
  GetGlobalMouse(&global);
  EXPECT_EQ(global.h, 130);
  EXPECT_EQ(global.v, 90);

  sp_testing::SetModifierKeys(cmdKey | optionKey);
  EXPECT_EQ(GetCurrentKeyModifiers(), UInt32(cmdKey | optionKey));
  sp_testing::SetModifierKeys(0);
  EXPECT_EQ(GetCurrentKeyModifiers(), 0u);
}

using EventParameters = UiTest;

template <typename T>
std::vector<UInt8> Bytes(T value) {
  std::vector<UInt8> b(sizeof value);
  std::memcpy(b.data(), &value, sizeof value);
  return b;
}

std::vector<UInt8> Text(const char* s) {
  return std::vector<UInt8>(s, s + std::strlen(s));
}

std::vector<UInt8> Utf16(std::u16string s) {
  std::vector<UInt8> b(s.size() * 2);
  if (!s.empty()) std::memcpy(b.data(), s.data(), b.size());
  return b;
}

struct CoercionCase {
  EventParamType stored;
  std::vector<UInt8> data;
  EventParamType desired;
  OSStatus result;
  std::vector<UInt8> expected;
  const char* why;
};

TEST_F(EventParameters, ReadingWithAnotherTypeCoercesOnlyWhereTheValueSurvives) {
  const std::vector<UInt8> kNo;
  const CoercionCase cases[] = {
      {typeUInt32, Bytes<UInt32>(5), typeSInt32, noErr, Bytes<SInt32>(5), "small unsigned"},
      {typeUInt32, Bytes<UInt32>(0x7FFFFFFF), typeSInt32, noErr, Bytes<SInt32>(0x7FFFFFFF), "max"},
      {typeUInt32, Bytes<UInt32>(0x80000000u), typeSInt32, errAECoercionFail, kNo, "max + 1"},
      {typeSInt32, Bytes<SInt32>(0), typeUInt32, noErr, Bytes<UInt32>(0), "zero to unsigned"},
      {typeSInt32, Bytes<SInt32>(-1), typeUInt32, errAECoercionFail, kNo, "negative to unsigned"},
      {typeSInt32, Bytes<SInt32>(-32768), typeSInt16, noErr, Bytes<SInt16>(-32768), "fits"},
      {typeSInt32, Bytes<SInt32>(32768), typeSInt16, errAECoercionFail, kNo, "just too far"},
      {typeUInt16, Bytes<UInt16>(65535), typeSInt64, noErr, Bytes<SInt64>(65535), "widening"},
      {typeBoolean, Bytes<UInt8>(1), typeSInt32, noErr, Bytes<SInt32>(1), "true is 1"},
      {typeSInt32, Bytes<SInt32>(2), typeBoolean, errAECoercionFail, kNo, "2 is no boolean"},
      {typeIEEE64BitFloatingPoint, Bytes<double>(2.0), typeSInt32, noErr, Bytes<SInt32>(2),
       "whole"},
      {typeIEEE64BitFloatingPoint, Bytes<double>(2.5), typeSInt32, errAECoercionFail, kNo,
       "fraction"},
      {typeSInt32, Bytes<SInt32>(7), typeIEEE64BitFloatingPoint, noErr, Bytes<double>(7.0),
       "to double"},
      {typeUInt16, std::vector<UInt8>{1}, typeUInt32, errAECoercionFail, kNo, "data too short"},
      {typeChar, Text("A\x82\xA0"), typeUnicodeText, noErr, Utf16(u"A\u3042"),
       "MacJapanese to UTF-16"},
      {typeUnicodeText, Utf16(u"\u3042Z"), typeChar, noErr, Text("\x82\xA0Z"),
       "UTF-16 to MacJapanese"},
      {typeUnicodeText, Utf16(u"\u0100"), typeChar, errAECoercionFail, kNo, "not in MacJapanese"},
      {typeQDPoint, Bytes<Point>(Pt(3, 4)), typeQDRectangle, errAECoercionFail, kNo, "records"},
      {typeWindowRef, Bytes<void*>(nullptr), typeUInt64, errAECoercionFail, kNo, "references"},
  };
  for (const CoercionCase& c : cases) {
    SCOPED_TRACE(c.why);
    EventRef event = NewEvent(kEventClassMouse, kEventMouseDown);
    ASSERT_EQ(SetEventParameter(event, SpFourCC("test"), c.stored, ByteCount(c.data.size()),
                                c.data.data()),
              noErr);
    std::vector<UInt8> out(32, 0xEE);
    EventParamType actualType = 0;
    ByteCount actualSize = 0;
    OSStatus err = GetEventParameter(event, SpFourCC("test"), c.desired, &actualType,
                                     ByteCount(out.size()), &actualSize, out.data());
    EXPECT_EQ(err, c.result);
    if (err == noErr) {
      EXPECT_EQ(actualType, c.desired);
      ASSERT_EQ(actualSize, c.expected.size());
      out.resize(actualSize);
      EXPECT_EQ(out, c.expected);
    }
    ReleaseEvent(event);
  }
}

TEST_F(EventParameters, WildCardReadsAsStoredAndSmallBuffersGetWhatFits) {
  EventRef event = NewEvent(kEventClassKeyboard, kEventRawKeyDown);
  const UInt32 code = 0x24;
  SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof code, &code);
  EventParamType type = 0;
  UInt32 out = 0;
  EXPECT_EQ(GetEventParameter(event, kEventParamKeyCode, typeWildCard, &type, 4, nullptr, &out),
            noErr);
  EXPECT_TRUE(type == typeUInt32 && out == 0x24u);
  EXPECT_EQ(
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, 4, nullptr, &out),
      eventParameterNotFoundErr);
  // A small buffer gets what fits and the full size is reported; also with no buffer.
  const char text[] = "\x93\xFA\x96\x7B\x8C\xEA";  // three two-byte characters
  SetEventParameter(event, kEventParamTextInputSendText, typeChar, 6, text);
  char buffer[5] = {0, 0, 0, 0, 'x'};
  ByteCount size = 0;
  EXPECT_EQ(
      GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, 4, &size, buffer),
      noErr);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(buffer, 5), std::string(text, 4) + "x");
  size = 0;
  EXPECT_EQ(
      GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, 0, &size, nullptr),
      noErr);
  EXPECT_EQ(size, 6u);
  ReleaseEvent(event);
}

TEST_F(EventParameters, EventsLiveUntilTheLastReleaseOrTheParameterHoldingThemGoes) {
  EventRef inner = NewEvent(kEventClassKeyboard, kEventRawKeyDown);
  EventRef outer = NewEvent(kEventClassTextInput, kEventTextInputUnicodeForKeyEvent);
  ASSERT_EQ(SetEventParameter(outer, kEventParamTextInputSendKeyboardEvent, typeEventRef,
                              sizeof inner, &inner),
            noErr);
  EXPECT_EQ(GetEventRetainCount(inner), 2u);
  ReleaseEvent(inner);
  EXPECT_EQ(
      GetEventClass(Param<EventRef>(outer, kEventParamTextInputSendKeyboardEvent, typeEventRef)),
      kEventClassKeyboard)
      << "still alive";
  ReleaseEvent(outer);  // frees both; the sanitizer reports a leak otherwise
  // An event may not hold itself; a stale one is refused instead of followed.
  EventRef self = NewEvent(kEventClassKeyboard, kEventRawKeyDown);
  EXPECT_EQ(SetEventParameter(self, SpFourCC("self"), typeEventRef, sizeof self, &self), paramErr);
  ReleaseEvent(self);
  EXPECT_EQ(GetEventKind(self), 0u);
  EXPECT_EQ(SetEventParameter(self, SpFourCC("test"), typeUInt32, 0, nullptr), paramErr);
  ReleaseEvent(self);
}

struct RecordCase {
  UInt32 cls, kind;
  EventKind what;
  bool classic;
};

TEST_F(EventParameters, ClassicRecordsCarryKindMessageWhereAndModifiers) {
  const RecordCase cases[] = {
      {kEventClassMouse, kEventMouseDown, mouseDown, true},
      {kEventClassMouse, kEventMouseUp, mouseUp, true},
      {kEventClassKeyboard, kEventRawKeyDown, keyDown, true},
      {kEventClassKeyboard, kEventRawKeyRepeat, autoKey, true},
      {kEventClassKeyboard, kEventRawKeyUp, keyUp, true},
      {kEventClassMouse, kEventMouseDragged, nullEvent, false},
      {kEventClassCommand, kEventCommandProcess, nullEvent, false},
  };
  for (const RecordCase& c : cases) {
    EventRef event = NewEvent(c.cls, c.kind);
    Point where = Pt(33, 44);
    UInt32 modifiers = cmdKey | shiftKey;
    UInt8 charCode = 'a';
    UInt32 keyCode = 0x26;
    SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
    SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    if (c.cls == kEventClassKeyboard) {
      SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &charCode);
      SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof keyCode, &keyCode);
    }
    EventRecord record = {};
    EXPECT_EQ(ConvertEventRefToEventRecord(event, &record), Boolean(c.classic));
    EXPECT_EQ(record.what, c.what);
    EXPECT_TRUE(record.where.h == 33 && record.where.v == 44);
    EXPECT_EQ(record.modifiers & (cmdKey | shiftKey), cmdKey | shiftKey);
    EXPECT_EQ(record.when, TickCount());
    EXPECT_EQ(record.message, c.cls == kEventClassKeyboard ? 'a' + 0x26ul * 256 : 0ul);
    // The button-state bit is set while the button is up: clear only in a press.
    EXPECT_EQ(record.modifiers & btnState, c.what == mouseDown ? 0 : btnState);
    ReleaseEvent(event);
  }
}

}  // namespace
}  // namespace ui_test
