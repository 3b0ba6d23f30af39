// The cursor volume control: the direction sectors of a drag and the cursor each shows, drags
// with one axis or none, limits and whole-number reporting, the dead zone, and the stepping
// mode that adds the offset once an interval on the virtual clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpOriginalControl.h"
#include "SpResourceManager.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"
#include "TestClock.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

// Cursors 9101 up, 9102 down, 9103 left, 9104 right, and 9105 for the move-in area.
const short kCursorBase = 9100;

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

const char* const kNames[] = {"", "up", "down", "left", "right", "in", "release"};

void NoteValue(float value, short, unsigned long refCon, SInt32 whole) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %g/%d", kNames[refCon], double(value), int(whole));
  Log().push_back(text);
}

void NoteOut(short, unsigned long) {
  Log().push_back("out");
}

std::string Joined() {
  std::string out;
  for (const auto& s : Log()) out += (out.empty() ? "" : "; ") + s;
  return out;
}

// A control over (100, 100)-(140, 140) of its window: its centre is (120, 120).
class CursorVolume : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    for (short id = kCursorBase + 1; id <= kCursorBase + 5; ++id) {
      Cursor cursor{};
      cursor.data[0] = UInt16(id);
      cursor.mask[0] = 0xFFFF;
      ASSERT_EQ(
          sp_testing::AddAppResource(SpFourCC("CURS"), id, sp_testing::MakeCursorResource(cursor)),
          noErr);
    }
    Sp_InitializeResourceManager();
    // Hover areas borrow their cursors through the views' services.
    Sp_InstallViewServices();
    Log().clear();
    const Rect content = {100, 100, 400, 500};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  }
  void TearDown() override {
    control_.reset();
    Sp_EnableMouseTrace(0);
    Sp_SetupViewServices(nullptr);
    Sp_InitializeResourceManager();
    sp_testing::ResetResources();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  // A control with the cursors of the axes named ('h', 'v', both or none) from start 50.
  cSp_OriginalCursorVolumeControl* Make(const std::string& axes = "hv", float start = 50) {
    control_.reset(new cSp_OriginalCursorVolumeControl(window_, Rect{100, 100, 140, 140}));
    auto* c = control_.get();
    if (axes.find('v') != std::string::npos) {
      c->SetVolumeCursor(kOCVC_Up, 0, kCursorBase + kOCVC_Up);
      c->SetVolumeCursor(kOCVC_Down, 0, kCursorBase + kOCVC_Down);
    }
    if (axes.find('h') != std::string::npos) {
      c->SetVolumeCursor(kOCVC_Left, 0, kCursorBase + kOCVC_Left);
      c->SetVolumeCursor(kOCVC_Right, 0, kCursorBase + kOCVC_Right);
    }
    c->upProc = c->downProc = c->leftProc = c->rightProc = c->deadZoneInProc = NoteValue;
    c->mouseUpProc = NoteValue;
    c->upRefCon = 1;
    c->downRefCon = 2;
    c->leftRefCon = 3;
    c->rightRefCon = 4;
    c->deadZoneInRefCon = 5;
    c->mouseUpRefCon = 6;
    c->deadZoneOutProc = NoteOut;
    c->SetOriginalCursorVolumeStartValue(start);
    return c;
  }
  // A tracking step with the mouse at (dh, dv) from the centre.
  unsigned char Step(short dh, short dv) {
    return control_->HotSpotMouseDownTraceProc(0, Point{short(120 + dv), short(120 + dh)});
  }
  void Press() { control_->HotSpotMouseDonwProc(0, Point{120, 120}); }

  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_OriginalCursorVolumeControl> control_;
  ErrorLogCapture errors_;
};

TEST_F(CursorVolume, EachOffsetFallsInADirectionThatReportsAndShowsItsCursor) {
  const struct {
    const char* axes;
    short dh, dv;
    tOCVC_SetupCursorType direction;
    const char* log;
  } cases[] = {
      {"hv", 0, -10, kOCVC_Up, "up 60/60"},
      {"hv", 0, 10, kOCVC_Down, "down 40/40"},
      {"hv", 10, -5, kOCVC_Up, "up 55/55"},  // on the slope of one half: still up
      {"hv", 10, -4, kOCVC_Right, "right 60/60"},
      {"hv", 10, 6, kOCVC_Down, "down 44/44"},
      {"hv", -10, -5, kOCVC_Up, "up 55/55"},
      {"hv", -10, 5, kOCVC_Left, "left 40/40"},
      {"hv", -10, 6, kOCVC_Down, "down 44/44"},
      {"hv", 0, 0, kOCVC_Up, ""},  // the centre: up, by nothing
      {"h", 0, -10, kOCVC_Right, ""},
      {"h", -3, -10, kOCVC_Left, "left 47/47"},
      {"v", 10, 0, kOCVC_Up, ""},
      {"v", 10, 4, kOCVC_Down, "down 46/46"},
  };
  for (const auto& c : cases) {
    Log().clear();
    Make(c.axes);
    Press();
    EXPECT_EQ(Step(c.dh, c.dv), 1);
    EXPECT_EQ(control_->GetCurrentDirection(), c.direction) << c.axes << " " << c.dh << "," << c.dv;
    EXPECT_EQ(Joined(), c.log) << c.axes << " " << c.dh << "," << c.dv;
    const sp_testing::CursorState cursor = sp_testing::CurrentCursor();
    EXPECT_EQ(cursor.kind, sp_testing::CursorKind::kCursor);
    EXPECT_EQ(cursor.id, kCursorBase + c.direction);
  }

  // Without both cursors of an axis the control reports nothing and gives the hover tracking
  // back at once.
  Log().clear();
  Make("");
  control_->SetVolumeCursor(kOCVC_Up, 0, kCursorBase + kOCVC_Up);
  control_->SetVolumeCursor(kOCVC_Left, 0, kCursorBase + kOCVC_Left);
  control_->SetVolumeCursor(kOCVC_Down, 0, 0);  // an id below 1 is ignored
  Press();
  EXPECT_TRUE(Sp_IsMouseTraceDisabled());
  EXPECT_EQ(Step(0, -10), 0);
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  EXPECT_EQ(Joined(), "");
}

TEST_F(CursorVolume, TheValueFollowsTheDragWithinTheLimitsAndIsCommittedAtTheRelease) {
  Make("hv", 95);
  control_->SetOriginalCursorVolumeMaxMinValue(SInt32(0), SInt32(100));
  control_->SetOriginalCursorVolumeMaxMinValue(SInt32(5), SInt32(5));
  control_->SetOriginalCursorVolumeMaxMinValue(7.0f, 7.0f);
  Press();
  for (short dv : {-3, -10, -20, 0}) Step(0, dv);
  control_->HotSpotMouseUpProc(0, Point{120, 120});
  EXPECT_EQ(Joined(), "up 98/98; up 100/100; up 95/95; release 95/95")
      << "clamped at 100 once; back at the centre, the start value";
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());

  // A committed value is where the next drag starts.
  Log().clear();
  Press();
  Step(0, -2);
  control_->HotSpotMouseUpProc(0, Point{118, 120});
  Press();
  Step(0, 1);
  EXPECT_EQ(Joined(), "up 97/97; release 97/97; down 96/96");

  // Whole-number reporting waits for the whole part to change; without it every change of the
  // value is reported.
  Log().clear();
  Make("hv", 0);
  control_->rate = 0.25f;
  Press();
  for (short dv : {-1, -3, -4}) Step(0, dv);
  control_->wholeNumberReport = 0;
  Step(0, -1);
  EXPECT_EQ(Joined(), "up 1/1; up 0.25/0");
}

TEST_F(CursorVolume, TheValueReachesEitherLimitExactlyAndGoesNoFurther) {
  const struct {
    float start;
    short dv;
    const char* log;
  } cases[] = {
      {95, -5, "up 100/100"}, {95, -6, "up 100/100"}, {95, -4, "up 99/99"},
      {5, 5, "down 0/0"},     {5, 6, "down 0/0"},     {5, 4, "down 1/1"},
  };
  for (const auto& c : cases) {
    Log().clear();
    Make("hv", c.start);
    control_->SetOriginalCursorVolumeMaxMinValue(SInt32(0), SInt32(100));
    Press();
    Step(0, c.dv);
    EXPECT_EQ(Joined(), c.log) << c.start << " moved by " << c.dv;
  }
}

TEST_F(CursorVolume, SteppingModeTwoAddsTheOffsetOnceAnInterval) {
  Make("hv", 0);
  control_->steppingMode = cSp_OriginalCursorVolumeControl::kStepEveryInterval;
  control_->SetOriginalCursorVolumeIntervalValue(30);
  sp_testing::AdvanceClockTicks(100);  // the machine has been up a while
  Press();
  const struct {
    UInt32 advance;
    float value;
  } steps[] = {{0, 5}, {0, 5}, {29, 5}, {1, 10}, {30, 15}, {45, 20}};
  for (const auto& s : steps) {
    sp_testing::AdvanceClockTicks(s.advance);
    EXPECT_EQ(Step(5, 0), 1);
    EXPECT_EQ(control_->GetCurrentValue(), s.value) << "after " << s.advance << " ticks";
  }
  EXPECT_EQ(Joined(), "right 5/5; right 10/10; right 15/15; right 20/20");
}

TEST_F(CursorVolume, InsideTheDeadZoneTheValueFallsBackAndOffsetsCountFromItsEdges) {
  Make("hv", 50);
  const Rect zone = {110, 110, 130, 130};
  control_->OriginalCursorVolumeInitialAreaEnable(&zone);
  Press();
  Step(5, 5);    // inside
  Step(0, -15);  // 5 above the zone
  Step(0, 0);    // inside again
  Step(15, 0);   // 5 right of it
  EXPECT_EQ(Joined(), "in 0/0; out; up 55/55; in 0/0; out; right 55/55");
  Step(0, 0);
  EXPECT_EQ(control_->GetCurrentValue(), 50.0f);
  EXPECT_EQ(control_->GetCurrentDirection(), kOCVC_Right) << "no move-in cursor: it stays";

  // With a move-in cursor the zone shows it.
  control_->SetMoveInMouseCursor(0, kCursorBase + 5);
  Step(15, 0);
  Step(0, 0);
  EXPECT_EQ(control_->GetCurrentDirection(), kOCVC_NoDirection);
  EXPECT_EQ(sp_testing::CurrentCursor().id, kCursorBase + 5);

  // Without a rectangle the zone is the control's own area.
  Make("hv", 50);
  control_->OriginalCursorVolumeInitialAreaEnable(nullptr);
  Log().clear();
  Press();
  Step(25, 0);
  EXPECT_EQ(Joined(), "right 55/55");
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
