// What the tests of window geometry, content clicks and the window handlers share: a clean
// window and event state on the virtual clock in Carbon-event mode, framework windows that go
// at the end of each test, hot-spot areas that record what they are told, and scripted mouse
// input for the loops that follow the mouse.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "FrameworkTestSupport.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"

namespace window_geometry_test {

using framework_test::Pt;
using framework_test::R;

inline std::string Text(const Rect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

inline std::string Text(Point p) {
  return std::to_string(p.h) + "," + std::to_string(p.v);
}

// The content rectangle of the toolbox window, global.
inline Rect Content(WindowRef window) {
  Rect r = {0, 0, 0, 0};
  GetWindowBounds(window, kWindowContentRgn, &r);
  return r;
}

using framework_test::Log;

// What the recording hot spots and the scripted mouse share. The hot spots stand in for a
// window's views: they take presses inside `takeArea` (local) and write "down@h,v", "up@h,v"
// and "trace@<ms since the press>". The mouse input is handed out one step per pass of a
// tracking loop's idle work (Sp_StillDown runs the idle registry when no event came), so that
// a loop that polls the mouse sees it move; before each step the idle work notes the content
// of `watched` (for tests of live dragging).
struct MouseStep {
  Point where;
  UInt32 modifiers = 0;  // held from this step on
  bool release = false;  // lets the button go
};
struct GeometryScript {
  Rect takeArea = {0, 0, 0, 0};
  EventTime pressTime = 0;
  std::vector<MouseStep> steps;
  std::size_t next = 0;
  WindowRef watched = nullptr;
  std::vector<Rect> seen;
};
inline GeometryScript& Script() {
  static GeometryScript script;
  return script;
}
inline unsigned char RecordingHotSpotDown(WindowRef, Point local, short) {
  Script().pressTime = GetCurrentEventTime();
  Log().push_back("down@" + Text(local));
  return PtInRect(local, &Script().takeArea) ? 1 : 0;
}
inline void RecordingHotSpotUp(WindowRef, Point local, short) {
  Log().push_back("up@" + Text(local));
}
inline void RecordingHotSpotTrace() {
  const long ms = std::lround((GetCurrentEventTime() - Script().pressTime) * 1000.0);
  Log().push_back("trace@" + std::to_string(ms));
}

inline void LogAfterProc(cSp_Window*, short, unsigned long userData) {
  Log().push_back(reinterpret_cast<const char*>(userData));
}
inline unsigned char RefuseBeforeProc(cSp_Window*, short, unsigned long userData) {
  Log().push_back(reinterpret_cast<const char*>(userData));
  return 0;
}
inline unsigned long Tag(const char* name) {
  return reinterpret_cast<unsigned long>(name);
}

inline void PlayNextStep(unsigned long) {
  GeometryScript& script = Script();
  if (script.watched != nullptr) script.seen.push_back(Content(script.watched));
  if (script.next >= script.steps.size()) return;
  const MouseStep& step = script.steps[script.next++];
  sp_testing::SetModifierKeys(step.modifiers);
  step.release ? sp_testing::PostMouseUp(step.where, step.modifiers)
               : sp_testing::PostMouseDragged(step.where, step.modifiers);
}

class WindowGeometryFixture : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    ResetGeometryState();
    if (CarbonEventMode()) Sp_CarbonEvent_ModeEnable();
    sSpViewServices recording = Sp_ViewServices();
    recording.Sp_MouseDownHotSpot = RecordingHotSpotDown;
    recording.Sp_MouseUpHotSpot = RecordingHotSpotUp;
    recording.Sp_MouseDownMouseTrace = RecordingHotSpotTrace;
    Sp_SetupViewServices(&recording);
  }
  void TearDown() override {
    if (stepsRef_ != 0) Sp_UnsetEventIdleTimeProcedure(stepsRef_);
    windows_.clear();
    ResetGeometryState();
    Sp_InstallViewServices();
    FrameworkFixture::TearDown();
  }

  // Tests of the classic loop answer false. The mode cannot be switched off again, so they
  // run only in a process of their own (as CTest runs each test).
  virtual bool CarbonEventMode() const { return true; }

  static void ResetGeometryState() {
    sp_testing::ResetGestalt();
    Sp_EndWindowMouseIdleEvent();
    mouseDownWindowObj_GlV = nullptr;
    Script() = GeometryScript();
  }

  // An open framework window whose content is `content` (global), made with the window
  // definition `procID`, in front of its list.
  cSp_Window* AddWindow(const Rect& content, short procID = documentProc,
                        tWindowType type = kSpNormalWindowType) {
    return Keep(new cSp_Window(
        Pt(content.left, content.top),
        Pt(SInt16(content.right - content.left), SInt16(content.bottom - content.top)), 1, procID,
        type, kSpWindowInFrontOfAll));
  }

  // Runs the classic loop until no event it takes is queued (the drags of a click are no
  // classic events), for 200 events at most should it never settle.
  static void RunClassicLoop() {
    static int events = 0;
    events = 0;
    SInt32 counter = 0;
    unsigned long idle = 0;
    Sp_SetupFirstCallProcPtr(
        [](EventRecord*, unsigned long) -> unsigned char {
          if (++events > 200) mainLoopFlag_GlV = 0;
          return 0;
        },
        0, &counter);
    Sp_SetupEventIdleTimeProcedure(
        [](unsigned long) {
          EventRecord next = {};
          if (!EventAvail(everyEvent, &next)) mainLoopFlag_GlV = 0;
        },
        0, 0, &idle);
    executeMainEventTerminateProcedureFlag_GlV = 0;
    frontAppFlag_GlV = 1;
    Sp_MainEventLoop();
    executeMainEventTerminateProcedureFlag_GlV = 1;
    mainLoopFlag_GlV = 1;
    Sp_DeleteFirstCallProcPtr(counter);
    Sp_UnsetEventIdleTimeProcedure(idle);
  }

  // The mouse goes down at `where` and then follows `steps`, one per idle pass of the loop
  // that tracks it.
  void ScriptMouse(Point where, std::vector<MouseStep> steps) {
    Script().steps = std::move(steps);
    Script().next = 0;
    if (stepsRef_ == 0) Sp_SetupEventIdleTimeProcedure(PlayNextStep, 0, 0, &stepsRef_);
    sp_testing::PostMouseDown(where);
  }

  unsigned long stepsRef_ = 0;
};

}  // namespace window_geometry_test
