// View coordinates: areas on the window, what scrolled containers show of their items, the
// conversions between the frames, and the visible region cut by the views above.
#include "ViewTestSupport.h"

namespace view_test {
namespace {

class ViewCoordinates : public ViewFixture {};

// A view at (0, 0, 50, 50) in a root container at (100, 100, 200, 200) scrolled by (h, v).
struct ScrollCase {
  short h, v;
  Rect onWindow;
  unsigned char viewable;
  Rect viewableArea;
  const char* why;
};

const ScrollCase kScrollCases[] = {
    {0, 0, R(100, 100, 150, 150), 1, R(100, 100, 150, 150), "not scrolled"},
    {30, 10, R(90, 70, 140, 120), 1, R(100, 100, 140, 120), "partly scrolled out"},
    {60, 60, R(40, 40, 90, 90), 0, R(0, 0, 0, 0), "scrolled out entirely"},
};

TEST_F(ViewCoordinates, ScrolledContainersShowOnlyWhatLiesInTheirVisibleContent) {
  const Rect root = R(10, 20, 60, 120);
  cColourView* alone = View(root, kRed);
  Rect out, viewable;
  alone->GetDrawingAreaOnWindow(&out);
  EXPECT_EQ(Show(out), Show(root));
  EXPECT_EQ(alone->GetViewableDrawingAreaOnWindow(viewable), 1);
  EXPECT_EQ(Show(viewable), Show(root));

  cColourView* container = View(R(100, 100, 200, 200), kGreen);
  cColourView* item = View(R(0, 0, 50, 50), kBlue, container);
  for (const ScrollCase& c : kScrollCases) {
    SCOPED_TRACE(c.why);
    container->SetScroll(c.h, c.v);
    item->GetDrawingAreaOnWindow(&out);
    EXPECT_EQ(Show(out), Show(c.onWindow));
    EXPECT_EQ(item->GetViewableDrawingAreaOnWindow(viewable), c.viewable);
    EXPECT_EQ(Show(viewable), Show(c.viewableArea));
    EXPECT_EQ(item->VisibleOnWindow(), c.viewable);
  }

  // Every container up the chain cuts: an unscrolled container inside one scrolled away.
  cColourView* outer = View(R(0, 200, 100, 300), kGreen);
  cColourView* middle = View(R(0, 0, 100, 100), kGreen, outer);
  cColourView* deep = View(R(10, 10, 30, 30), kBlue, middle);
  outer->SetScroll(50, 50);
  EXPECT_EQ(deep->GetViewableDrawingAreaOnWindow(viewable), 0);
  EXPECT_EQ(deep->VisibleOnWindow(), 0);
  outer->SetScroll(15, 15);
  EXPECT_EQ(deep->GetViewableDrawingAreaOnWindow(viewable), 1);
  EXPECT_EQ(Show(viewable), Show(R(0, 200, 15, 215)));
}

TEST_F(ViewCoordinates, ConversionsThroughNestedScrolledContainersRoundTrip) {
  cColourView* outer = View(R(50, 40, 250, 340), kWhite);
  cColourView* middle = View(R(10, 20, 110, 220), kWhite, outer);
  cColourView* inner = View(R(5, 7, 45, 87), kWhite, middle);
  outer->SetScroll(3, 4);
  middle->SetScroll(11, 13);
  inner->SetScroll(2, 1);
  // Content point p of inner lies on the window at p + each level's (left - scroll h,
  // top - scroll v): (7 - 2) + (20 - 11) + (40 - 3) = 51 across, (5 - 1) + (10 - 13) +
  // (50 - 4) = 47 down.
  Point onWindow;
  inner->OffscreenPositToOnWindowPosit(Pt(0, 0), onWindow);
  EXPECT_EQ(onWindow.h, 51);
  EXPECT_EQ(onWindow.v, 47);
  Point back;
  for (const Point p : {Pt(0, 0), Pt(17, -3), Pt(300, 200)}) {
    inner->OnWindowPositToOffscreenPosit(p, back);
    inner->OffscreenPositToOnWindowPosit(back, onWindow);
    EXPECT_TRUE(EqualPt(onWindow, p)) << p.h << "," << p.v;
  }
  Rect rect = R(1, 2, 3, 4), moved, restored;
  inner->OffscreenAreaToOnWindowArea(rect, moved);
  EXPECT_EQ(Show(moved), Show(R(48, 53, 50, 55)));
  inner->OnWindowRectToOffscreenRect(moved, restored);
  EXPECT_EQ(Show(restored), Show(rect));

  // Area frame (the view's top-left, no scroll) and the container's content frame.
  inner->ViewAreaToWindowArea(R(0, 0, 1, 1), moved);
  EXPECT_EQ(Show(moved), Show(R(48, 53, 49, 54)));
  inner->ImmediatePositionToOnWindowPosition(Pt(7, 5), onWindow);
  EXPECT_EQ(onWindow.h, 53) << "inner's own top-left, as its area says";
  EXPECT_EQ(onWindow.v, 48);
  // Up to the root's content without any scroll value: 7 + 20 across, 5 + 10 down.
  inner->OffscreenAreaToTopContainerOffscreenArea(R(0, 0, 1, 1), moved);
  EXPECT_EQ(Show(moved), Show(R(15, 27, 16, 28)));

  // Regions follow the same rules; an empty region stays empty.
  RgnHandle rgn = NewRgn();
  RectRgn(rgn, &rect);
  inner->OffscreenRgnToOnWindowRgn(rgn, rgn);
  Rect bounds;
  GetRegionBounds(rgn, &bounds);
  EXPECT_EQ(Show(bounds), Show(R(48, 53, 50, 55)));
  inner->OnWindowRgnToViewAreaRgn(rgn, rgn);
  GetRegionBounds(rgn, &bounds);
  EXPECT_EQ(Show(bounds), Show(R(0, 0, 2, 2))) << "content (1, 2) less the scroll (2, 1)";
  SetEmptyRgn(rgn);
  inner->ViewAreaRgnToOffscreenRgn(rgn, rgn);
  EXPECT_TRUE(EmptyRgn(rgn));
  DisposeRgn(rgn);

  // The window lies at (100, 100) on the screen.
  inner->OnWindowPositToGlobalPosit(Pt(10, 20), onWindow);
  EXPECT_EQ(onWindow.h, 110);
  EXPECT_EQ(onWindow.v, 120);
}

TEST_F(ViewCoordinates, VisibleRegionLeavesOutWhatTheViewsAboveCover) {
  // A view above that cuts its own rectangle out of the region it is given.
  class cCovering : public cColourView {
   public:
    using cColourView::cColourView;
    unsigned char CutUnderViewImage(RgnHandle region, RgnHandle work) override {
      Rect area;
      GetDrawingAreaOnWindow(&area);
      RectRgn(work, &area);
      DiffRgn(region, work, region);
      return 1;
    }
  };
  cColourView* under = View(R(0, 0, 100, 100), kRed);
  std::unique_ptr<cCovering> over(new cCovering(window_, R(0, 50, 100, 150), kBlue));
  RgnHandle rgn = NewRgn();
  EXPECT_EQ(under->GetViewableDrawingAreaRgnOnWindow(rgn, 1, 1), 1);
  Rect bounds;
  GetRegionBounds(rgn, &bounds);
  EXPECT_EQ(Show(bounds), Show(R(0, 0, 100, 50)));
  EXPECT_EQ(under->GetViewableDrawingAreaRgnOnWindow(rgn, 1, 0), 1);
  GetRegionBounds(rgn, &bounds);
  EXPECT_EQ(Show(bounds), Show(R(0, 0, 100, 100))) << "not cut when not asked";

  over->MoveViewArea(0, 0, 0, 0);
  EXPECT_EQ(under->GetViewableDrawingAreaRgnOnWindow(rgn, 1, 1), 0) << "covered whole";
  DisposeRgn(rgn);
}

}  // namespace
}  // namespace view_test
