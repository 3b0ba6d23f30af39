// Clicks in a window's content: a back window only comes forward, then the wrapped toolbox
// controls, then the views' hot-spot areas, followed with the tracking timer until the release.
#include <gtest/gtest.h>

#include "SpOriginalControl.h"
#include "WindowGeometryTestSupport.h"

namespace window_geometry_test {
namespace {

// A wrapped control whose hit and miss procedures write into the log.
class LoggingWrapper : public cSp_OCnt_BasicWindowControlObj {
 public:
  LoggingWrapper(WindowRef window, Rect rect)
      : cSp_OCnt_BasicWindowControlObj(window, rect, 0, 10, 0, true, pushButProc) {
    hitProc_ = [](unsigned long) { Log().push_back("control.hit"); };
    missProc_ = [](unsigned long) { Log().push_back("control.miss"); };
  }
};

class ContentClick : public WindowGeometryFixture {
 protected:
  void SetUp() override {
    WindowGeometryFixture::SetUp();
    // The window's views take presses in the top-left 100 x 50 of its content.
    Script().takeArea = R(0, 0, 100, 50);
  }
};

TEST_F(ContentClick, WrappedControlsTakeTheClickBeforeTheHotSpots) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  WindowRef w = window->GetWindowRef();
  LoggingWrapper listed(w, R(10, 10, 60, 30));
  LoggingWrapper unlisted(w, R(10, 35, 60, 45));
  Sp_OCnt_SetItemIntoItemList(w, &listed);

  sp_testing::PostMouseUp(Pt(120, 115));  // released where it was pressed
  EXPECT_EQ(window->ContentMouseDown(Pt(120, 115), 0), 1);
  EXPECT_EQ(Log(), std::vector<std::string>({"control.hit"}));
  EXPECT_EQ(mouseDownWindowObj_GlV, window);

  // A wrapper that was never put into its window's list leaves the click to the hot spots.
  Log().clear();
  EXPECT_EQ(window->ContentMouseDown(Pt(120, 140), 0), 1);
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log().front(), "down@20,40");
  Sp_OCnt_UnlinkFromItemList(w, &listed);
  delete Sp_OCnt_GetWinBase(w, false);
}

TEST_F(ContentClick, AHotSpotPressIsFollowedWithTheTimerUntilTheRelease) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  // Pressed, dragged to local (70, 45) after 150 ms, released at local (90, 48) after 350 ms.
  sp_testing::PostMouseDown(Pt(150, 140));
  sp_testing::ScheduleInput(150000, [] { sp_testing::PostMouseDragged(Pt(170, 145)); });
  sp_testing::ScheduleInput(350000, [] { sp_testing::PostMouseUp(Pt(190, 148)); });
  EXPECT_EQ(window->ContentMouseDown(Pt(150, 140), 0), 1);
  // The timer fires at once and every 0.1 s while the button is held; the area's release is
  // at the last point the mouse was dragged to.
  EXPECT_EQ(Log(), std::vector<std::string>({"down@50,40", "trace@0", "trace@100", "trace@200",
                                             "trace@300", "up@70,45"}));
  EXPECT_EQ(currentEnableMouseDownTraceIdleEventFlag_GlV, 0);
  EXPECT_EQ(mouseDownTraceIdleEventRefNum_GlV, nullptr);
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr) << "the release was handled here";

  // No trace once the press is over.
  Log().clear();
  sp_testing::PumpFor(500000);
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace window_geometry_test
