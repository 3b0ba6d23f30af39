// The screen, coordinate conversions, window sizes and places, redraw areas, and the failure
// records of null arguments.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ErrorLogCapture.h"
#include "QDRegions.h"
#include "SpStdDrawingFunction.h"
#include "StdDrawingFunctionTestSupport.h"
#include "TestWindows.h"

namespace {

using drawing_test::R;

class DrawingWindows : public ::testing::Test {
 protected:
  void SetUp() override { sp_testing::ResetWindows(); }
  void TearDown() override { sp_testing::ResetWindows(); }

  // A document window whose content is (top 100, left 50) to (300, 350), scrolled so that
  // local (100, 200) is its top-left corner.
  static WindowRef NewWindow() {
    const Rect content = R(100, 50, 300, 350);
    WindowRef w = NewCWindow(nullptr, &content, reinterpret_cast<ConstStr255Param>("\001W"), true,
                             documentProc, kFirstWindowOfClass, false, 0);
    GrafPtr saved;
    GetPort(&saved);
    SetPortWindowPort(w);
    SetOrigin(200, 100);
    SetPort(saved);
    return w;
  }

  // The bounds of the window's update region in global coordinates, and whether it holds pt.
  static std::string UpdateRegion(WindowRef window, Point pt = {0, 0}) {
    RgnHandle rgn = NewRgn();
    EXPECT_TRUE(sp_testing::CopyUpdateRegion(window, rgn));
    Rect r{};
    GetRegionBounds(rgn, &r);
    const bool in = PtInRgn(pt, rgn);
    DisposeRgn(rgn);
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
           "," + std::to_string(r.right) + (in ? " holds" : "");
  }
};

TEST_F(DrawingWindows, RedrawAreasFollowTheOriginStayInsideTheContentAndCanBeTakenOut) {
  WindowRef w = NewWindow();
  const Rect a = R(110, 210, 130, 240);
  Sp_AddRedrawAreaInWindow(w, &a);
  EXPECT_EQ(UpdateRegion(w), "110,60,130,90");
  const Rect part = R(110, 210, 130, 225);
  Sp_SubRedrawAreaOnWindow(w, &part);
  EXPECT_EQ(UpdateRegion(w, Point{120, 70}), "110,75,130,90") << "the left part is out";
  RgnHandle more = NewRgn();
  SetRectRgn(more, 200, 100, 205, 105);
  Sp_AddRedrawAreaInWindow(w, more);
  DisposeRgn(more);
  EXPECT_EQ(UpdateRegion(w, Point{100, 50}), "100,50,130,90 holds") << "a region adds too";

  // Reaching past the content's edges: cut to the content.
  WindowRef other = NewWindow();
  const Rect past = R(90, 190, 350, 550);
  Sp_AddRedrawAreaInWindow(other, &past);
  EXPECT_EQ(UpdateRegion(other), "100,50,300,350");
}

// ---- Failure records ----

TEST(StdDrawingFunctionFailures, NullArgumentsAreRecordedOnceAndDoNothing) {
  sp_testing::ResetWindows();
  Rect r = R(0, 0, 10, 10);
  Point pt{0, 0};
  const struct {
    std::function<void()> call;
    const char* method;
    SInt32 code;
  } cases[] = {
      {[] { Sp_GetScreenSize(nullptr); }, "Sp_GetScreenSize", 1},
      {[&] { Sp_LocalToGlobalPt(nullptr, pt); }, "Sp_LocalToGlobalPt", 1},
      {[] { Sp_GlobalToLocalRgn(nullptr, nullptr); }, "Sp_GlobalToLocalRgn", 1},
      {[] { Sp_LocalToGlobalRect(nullptr); }, "Sp_LocalToGlobalRect", 1},
      {[&] { Sp_GetWindowSize(nullptr, r); }, "Sp_GetWindowSize", 1},
      {[] { Sp_MoveWindowOutputPosition(nullptr, nullptr, 0); }, "Sp_MoveWindowOutputPosition", 1},
      {[&] { Sp_AddRedrawAreaInWindow(nullptr, &r); }, "Sp_AddRedrawAreaInWindow", 1},
      {[] { Sp_SetRGBColorByPercentage(nullptr, 1, 2, 3); }, "Sp_SetRGBColorByPercentage", 0},
      {[] { Sp_Draw3DFrame(nullptr, nullptr, kSp3DFrameRaised); }, "Sp_Draw3DFrame", 1},
      {[&] { Sp_Delete3DFrame(nullptr, &r, kSp3DFrameRaised); }, "Sp_Delete3DFrame", 1},
      {[&] { Sp_DrawShadowRect(nullptr, r, 50, 0, nullptr, 0); }, "Sp_DrawShadowRect", 1},
      {[&] { Sp_RectMoveAnimation(&r, &r, 3, nullptr, 1); }, "Sp_RectMoveAnimation", 1},
  };
  for (const auto& c : cases) {
    ErrorLogCapture log;
    c.call();
    EXPECT_EQ(log.Count(), 1u) << c.method;
    EXPECT_TRUE(log.Has(c.method, c.code)) << c.method;
  }
}

}  // namespace
