// Finding controls and tracking presses in them: parts, release inside or outside, the action
// procedure while the button is held, scroll-bar arrows, pages and thumb, popup menus.
#include <vector>

#include "UiFixture.h"

namespace ui_test {
namespace {

// What the action procedures saw: the part, the control's value then, the time (microseconds).
struct ActionLog {
  std::vector<ControlPartCode> parts;
  std::vector<SInt32> values;
  std::vector<SInt64> times;
};
ActionLog* gLog = nullptr;

void Record(ControlRef c, ControlPartCode part) {
  gLog->parts.push_back(part);
  gLog->values.push_back(GetControl32BitValue(c));
  gLog->times.push_back(Now());
}

// Scrolls as a list would: one line for an arrow, ten for a page.
void Scroll(ControlRef c, ControlPartCode part) {
  Record(c, part);
  const SInt32 step = part == kControlUpButtonPart     ? -1
                      : part == kControlDownButtonPart ? 1
                      : part == kControlPageUpPart     ? -10
                      : part == kControlPageDownPart   ? 10
                                                       : 0;
  SetControl32BitValue(c, GetControl32BitValue(c) + step);
}

class Tracking : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    gLog = &log_;
  }
  void TearDown() override {
    gLog = nullptr;
    ControlsTest::TearDown();
  }
  static Point Global(ControlRef c, Point local) {
    return sp_testing::ControlPointToGlobal(c, local);
  }
  // Tracks a press at the point that is released at once there.
  static ControlPartCode PressAndRelease(ControlRef c, Point p, ControlActionUPP action = nullptr) {
    sp_testing::PostMouseUp(Global(c, p));
    return TrackControl(c, p, action);
  }
  ActionLog log_;
};

TEST_F(Tracking, FindControlAnswersThePartUnderThePoint) {
  AddMenuResource(200, {"A", "B"});
  ControlRef button = Button(R(10, 10, 30, 90));
  ControlRef check = Make(checkBoxProc, R(40, 10, 56, 120));
  ControlRef radio = Make(radioButProc, R(60, 10, 76, 120));
  ControlRef popup = Make(popupMenuProc, R(80, 10, 100, 200), 0, 200, 40, "T");
  ControlRef bar = ScrollBar(R(10, 300, 210, 316), 50, 100);
  Make(kControlStaticTextProc, R(110, 10, 130, 200), 0, 0, 0, "");
  Make(kControlProgressBarProc, R(140, 10, 156, 200), 10, 0, 100, "");
  Make(checkBoxProc, R(160, 10, 180, 90));
  ControlRef later = Make(checkBoxProc, R(165, 50, 185, 150));  // made later: in front
  ControlRef flat = ScrollBar(R(10, 340, 210, 356), 0, 0);
  struct Case {
    Point where;
    ControlPartCode part;
    ControlRef control;
  } cases[] = {
      {Pt(50, 20), kControlButtonPart, button},
      {Pt(50, 48), kControlCheckBoxPart, check},
      {Pt(50, 68), kControlRadioButtonPart, radio},
      {Pt(20, 90), kControlMenuPart, popup},  // the title area too
      {Pt(150, 90), kControlMenuPart, popup},
      {Pt(308, 15), kControlUpButtonPart, bar},
      {Pt(308, 205), kControlDownButtonPart, bar},
      {Pt(308, 110), kControlIndicatorPart, bar},  // the thumb sits in the middle at 50
      {Pt(308, 40), kControlPageUpPart, bar},
      {Pt(308, 180), kControlPageDownPart, bar},
      {Pt(50, 120), kControlNoPart, nullptr},  // static text has no part
      {Pt(50, 148), kControlNoPart, nullptr},  // nor has a progress bar
      {Pt(250, 250), kControlNoPart, nullptr},
      {Pt(90, 20), kControlNoPart, nullptr},       // right edge is outside
      {Pt(89, 29), kControlButtonPart, button},    // the last pixel inside
      {Pt(60, 170), kControlCheckBoxPart, later},  // the front-most of overlapping controls
      {Pt(348, 15), kControlNoPart, nullptr},      // a scroll bar without range has no parts
      {Pt(348, 110), kControlNoPart, nullptr},
  };
  for (const Case& c : cases) {
    ControlRef found = reinterpret_cast<ControlRef>(&found);
    EXPECT_EQ(FindControl(c.where, window_, &found), c.part) << c.where.h << "," << c.where.v;
    EXPECT_EQ(found, c.control) << c.where.h << "," << c.where.v;
  }
  Point p;
  EXPECT_FALSE(sp_testing::PointInControlPart(flat, kControlIndicatorPart, &p));
}

// A bar too short for its thumb has no parts; one whose track the thumb just fills keeps its
// arrows and its thumb, which then cannot move.
TEST_F(Tracking, AShortScrollBarHasItsPartsWhileTheThumbFitsItsTrack) {
  const struct {
    SInt16 length;  // arrows of 16 at each end, a thumb of 16
    ControlPartCode up, middle, down;
  } cases[] = {
      {47, kControlNoPart, kControlNoPart, kControlNoPart},
      {48, kControlUpButtonPart, kControlIndicatorPart, kControlDownButtonPart},
      {49, kControlUpButtonPart, kControlIndicatorPart, kControlDownButtonPart},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    ControlRef bar = ScrollBar(R(10, 300, SInt16(10 + c.length), 316), 0, 100);
    ControlRef found = nullptr;
    EXPECT_EQ(FindControl(Pt(308, 12), window_, &found), c.up);
    EXPECT_EQ(FindControl(Pt(308, SInt16(10 + 24)), window_, &found), c.middle);
    EXPECT_EQ(FindControl(Pt(308, SInt16(10 + c.length - 2)), window_, &found), c.down);
    DisposeControl(bar);
  }
}

TEST_F(Tracking, TrackControlAnswersThePartOnlyWhenReleasedInIt) {
  ControlRef button = Button(R(10, 10, 30, 90));
  struct Case {
    const char* what;
    std::vector<Point> drags;
    Point release;
    ControlPartCode want;
  } cases[] = {
      {"released where pressed", {}, Pt(50, 20), kControlButtonPart},
      {"dragged about inside", {Pt(20, 12), Pt(80, 28)}, Pt(60, 25), kControlButtonPart},
      {"released outside", {Pt(50, 60)}, Pt(50, 60), kControlNoPart},
      {"out and back in", {Pt(50, 60), Pt(200, 200)}, Pt(40, 15), kControlButtonPart},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (Point d : c.drags) sp_testing::PostMouseDragged(Global(button, d));
    sp_testing::PostMouseUp(Global(button, c.release));
    EXPECT_EQ(TrackControl(button, Pt(50, 20), nullptr), c.want);
    EXPECT_EQ(GetControlHilite(button), 0) << "unhilited after the release";
    EXPECT_EQ(sp_testing::QueuedEventCount(), 0u) << "the press's events were taken";
  }
  // While held, the hilite follows the mouse in and out of the part.
  std::vector<UInt16> seen;
  const Point in = Global(button, Pt(50, 20)), out = Global(button, Pt(50, 80));
  sp_testing::ScheduleInput(
      10000, [&] { seen.push_back(GetControlHilite(button)), sp_testing::PostMouseDragged(out); });
  sp_testing::ScheduleInput(
      20000, [&] { seen.push_back(GetControlHilite(button)), sp_testing::PostMouseDragged(in); });
  sp_testing::ScheduleInput(
      30000, [&] { seen.push_back(GetControlHilite(button)), sp_testing::PostMouseUp(in); });
  sp_testing::PostMouseDown(in);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(seen, (std::vector<UInt16>{kControlButtonPart, 0, kControlButtonPart}));
}

// An inactive button is under the mouse but takes no part; a hidden one is not there at all.
// Neither is found nor tracked, and tracking them takes none of the press's events.
TEST_F(Tracking, InactiveAndHiddenControlsAreNeitherFoundNorTracked) {
  ControlRef button = Button(R(10, 10, 30, 90));
  const struct {
    const char* what;
    bool hidden;
    ControlRef underMouse;
  } cases[] = {{"inactive", false, button}, {"hidden", true, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HiliteControl(button, 0);
    ShowControl(button);
    if (c.hidden) {
      HideControl(button);
    } else {
      DeactivateControl(button);
    }
    ControlRef found = button;
    EXPECT_EQ(FindControl(Pt(50, 20), window_, &found), kControlNoPart);
    EXPECT_EQ(found, nullptr);
    ControlPartCode part = 99;
    EXPECT_EQ(FindControlUnderMouse(Pt(50, 20), window_, &part), c.underMouse);
    EXPECT_EQ(part, kControlNoPart);
    sp_testing::PostMouseUp(Global(button, Pt(50, 20)));
    EXPECT_EQ(TrackControl(button, Pt(50, 20), nullptr), kControlNoPart);
    EXPECT_EQ(sp_testing::QueuedEventCount(), 1u) << "nothing was tracked";
    sp_testing::PumpUntilIdle();
  }
}

TEST_F(Tracking, ArrowActionRunsEveryTickWhileHeldAndStopsWhileTheMouseIsOutside) {
  ControlRef bar = ScrollBar(R(10, 300, 210, 316), 0, 100);
  SetControlAction(bar, Scroll);
  const SInt64 start = Now();
  sp_testing::HoldControlPart(bar, kControlDownButtonPart, 100000);
  // At the press, then every 1/60 s for 0.1 s.
  ASSERT_GE(log_.parts.size(), 6u);
  ASSERT_LE(log_.parts.size(), 7u);
  EXPECT_EQ(log_.parts, std::vector<ControlPartCode>(log_.parts.size(), kControlDownButtonPart));
  EXPECT_EQ(log_.times.front(), start);
  for (std::size_t i = 1; i < log_.times.size(); ++i) {
    EXPECT_NEAR(double(log_.times[i] - log_.times[i - 1]), 16667.0, 2.0);
  }
  EXPECT_EQ(GetControlValue(bar), SInt16(log_.parts.size())) << "each call scrolled a line";

  log_ = ActionLog();
  Point arrow;
  ASSERT_TRUE(sp_testing::PointInControlPart(bar, kControlUpButtonPart, &arrow));
  sp_testing::ScheduleInput(50000,
                            [&] { sp_testing::PostMouseDragged(Global(bar, Pt(100, 100))); });
  sp_testing::ScheduleInput(200000, [&] { sp_testing::PostMouseUp(Global(bar, Pt(100, 100))); });
  sp_testing::PostMouseDown(Global(bar, arrow));
  // Tracked directly with its own action, so the answer can be seen.
  EventRecord down;
  ASSERT_TRUE(GetNextEvent(mDownMask, &down));
  EXPECT_EQ(TrackControl(bar, arrow, Scroll), kControlNoPart);
  for (SInt64 t : log_.times) EXPECT_LE(t - log_.times.front(), 50000);
  EXPECT_GE(log_.parts.size(), 3u);
}

// A press on one arrow dragged onto the other: the other arrow never acts, and a release there
// is no hit on either.
TEST_F(Tracking, AnArrowPressedAndReleasedOverTheOtherArrowIsNoHit) {
  const struct {
    ControlPartCode pressed, other;
  } cases[] = {{kControlUpButtonPart, kControlDownButtonPart},
               {kControlDownButtonPart, kControlUpButtonPart}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pressed);
    ControlRef bar = ScrollBar(R(10, 300, 210, 316), 0, 100);
    SetControlValue(bar, 50);
    log_ = ActionLog();
    Point pressed, other;
    ASSERT_TRUE(sp_testing::PointInControlPart(bar, c.pressed, &pressed));
    ASSERT_TRUE(sp_testing::PointInControlPart(bar, c.other, &other));
    sp_testing::ScheduleInput(50000, [&] { sp_testing::PostMouseDragged(Global(bar, other)); });
    sp_testing::ScheduleInput(200000, [&] { sp_testing::PostMouseUp(Global(bar, other)); });
    sp_testing::PostMouseDown(Global(bar, pressed));
    EventRecord down;
    ASSERT_TRUE(GetNextEvent(mDownMask, &down));
    EXPECT_EQ(TrackControl(bar, pressed, Scroll), kControlNoPart);
    ASSERT_FALSE(log_.parts.empty());
    EXPECT_EQ(log_.parts, std::vector<ControlPartCode>(log_.parts.size(), c.pressed));
    for (SInt64 t : log_.times) EXPECT_LE(t - log_.times.front(), 50000) << "not over the other";
    const SInt16 steps = SInt16(log_.parts.size());
    EXPECT_EQ(GetControlValue(bar),
              c.pressed == kControlUpButtonPart ? 50 - steps : 50 + steps);
    EXPECT_EQ(GetControlHilite(bar), 0);
    DisposeControl(bar);
  }
}

TEST_F(Tracking, PagingStopsOnceTheThumbReachesTheMouse) {
  ControlRef bar = ScrollBar(R(10, 300, 210, 316), 0, 100);
  SetControlAction(bar, Scroll);
  const Point page = Pt(308, 150);
  ASSERT_EQ(TestControl(bar, page), kControlPageDownPart);
  sp_testing::PostMouseDown(Global(bar, page));
  sp_testing::ScheduleInput(2000000, [&] { sp_testing::PostMouseUp(Global(bar, page)); });
  sp_testing::PumpUntilIdle();
  EXPECT_LT(GetControlValue(bar), 100) << "it did not page past the mouse";
  EXPECT_EQ(TestControl(bar, page), kControlIndicatorPart) << "the thumb is under the mouse";
  EXPECT_EQ(GetControlValue(bar), SInt32(log_.parts.size()) * 10);
}

TEST_F(Tracking, ThumbDragSetsTheValueAtTheReleaseWithinTheTrack) {
  ControlRef bar = ScrollBar(R(10, 300, 226, 316), 0, 100);  // track 184, thumb 16: slide 168
  SetControlAction(bar, Scroll);
  for (auto [by, value] : {std::pair{84, 50}, {1000, 100}, {-1000, 0}}) {  // stops at the ends
    sp_testing::DragScrollBarThumb(bar, by);
    EXPECT_EQ(GetControlValue(bar), value) << by;
  }
  EXPECT_TRUE(log_.parts.empty()) << "no action without live tracking";
  // A horizontal bar uses left and right.
  ControlRef across = ScrollBar(R(200, 10, 216, 226), 0, 100);
  ControlRef found = nullptr;
  EXPECT_EQ(FindControl(Pt(15, 208), window_, &found), kControlUpButtonPart);
  EXPECT_EQ(FindControl(Pt(220, 208), window_, &found), kControlDownButtonPart);
  sp_testing::DragScrollBarThumb(across, 168);
  EXPECT_EQ(GetControlValue(across), 100);
}

TEST_F(Tracking, ChoosingAPopupItemMakesItTheValue) {
  AddMenuResource(220, {"AIFF", "WAVE", "MooV", "QTnc", "AIFC"});
  ControlRef popup = Make(popupMenuProc, R(10, 10, 30, 200), 0, 220, 50, "Type");
  SetControlValue(popup, 2);
  sp_testing::ChoosePopupItem(popup, 4);
  EXPECT_EQ(GetControlValue(popup), 4);
  const sp_testing::PopUpRequest request = sp_testing::LastPopUpRequest();
  EXPECT_EQ(request.menu, GetControlPopupMenuHandle(popup));
  EXPECT_EQ(request.popUpItem, 2) << "the menu opens on the current item";
  EXPECT_EQ(request.left, 100 + 10 + 50) << "at the menu box, right of the title area";
  EXPECT_EQ(PressAndRelease(popup, Pt(100, 20)), kControlNoPart);
  EXPECT_EQ(GetControlValue(popup), 4) << "left without a choice, it keeps its value";
  // Its range follows items added to its menu.
  AppendMenuItemText(GetControlPopupMenuHandle(popup), PStr("Six"));
  sp_testing::ChoosePopupItem(popup, 6);
  EXPECT_EQ(GetControlValue(popup), 6);
  EXPECT_EQ(GetControlMaximum(popup), 6);
}

TEST_F(Tracking, ActionThatDisposesOfTheControlEndsTheTracking) {
  ControlRef bar = ScrollBar(R(10, 300, 210, 316), 0, 100);
  SetControlAction(bar, [](ControlRef c, ControlPartCode) { DisposeControl(c); });
  Point arrow;
  ASSERT_TRUE(sp_testing::PointInControlPart(bar, kControlDownButtonPart, &arrow));
  EXPECT_EQ(PressAndRelease(bar, arrow, kControlUseOwnActionProc), kControlNoPart);
  EXPECT_FALSE(IsValidControlHandle(bar));
}

}  // namespace
}  // namespace ui_test
