// Helpers shared by the event layer's tests: a clean event state on the virtual clock, windows,
// and events made in one line.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "MacWindows.h"
#include "SpTesting.h"
#include "TestAppleEvents.h"
#include "TestEvents.h"
#include "TestWindows.h"

namespace events_test {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    Reset();
    sp_testing::ResetBeepCount();
  }
  void TearDown() override {
    Reset();
    sp_testing::UseRealClock();
  }

  static void Reset() {
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetAppleEvents();
  }

  // A visible document window whose content is the rectangle (global coordinates).
  static WindowRef MakeWindow(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom,
                              WindowAttributes attributes = kWindowNoAttributes) {
    Rect bounds = {top, left, bottom, right};
    WindowRef window = nullptr;
    EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, attributes, &bounds, &window), noErr);
    ShowWindow(window);
    return window;
  }

  static SInt64 Now() {
    // Microseconds of the virtual clock since the test began are differences of this.
    return SInt64(GetCurrentEventTime() * 1e6 + 0.5);
  }
};

inline EventRef NewEvent(UInt32 cls, UInt32 kind) {
  EventRef event = nullptr;
  EXPECT_EQ(CreateEvent(nullptr, cls, kind, 0, kEventAttributeNone, &event), noErr);
  return event;
}

// Sends a new event of the type to the target, releases it and answers the result.
inline OSStatus Send(UInt32 cls, UInt32 kind, EventTargetRef target) {
  EventRef event = NewEvent(cls, kind);
  OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

inline OSStatus SendCommand(UInt32 commandID, EventTargetRef target) {
  EventRef event = NewEvent(kEventClassCommand, kEventCommandProcess);
  HICommand command = {};
  command.commandID = commandID;
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

inline Point Pt(SInt16 h, SInt16 v) {
  Point p;
  p.h = h;
  p.v = v;
  return p;
}

}  // namespace events_test
