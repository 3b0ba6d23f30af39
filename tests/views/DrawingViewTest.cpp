// Drawing views: what their client procedures get and paint, and that nothing reaches a client
// after the delete-ready step; the line view's centred lines.
#include "SpDrawingView.h"
#include "ViewTestSupport.h"

namespace view_test {
namespace {

struct Painted {
  int calls = 0;
  Rect area{0, 0, 0, 0};
  UInt32 rgb = kBlue;
};

void PaintClient(unsigned long refCon, Rect* area) {
  auto* p = reinterpret_cast<Painted*>(refCon);
  ++p->calls;
  p->area = *area;
  const RGBColor c = Colour(p->rgb);
  RGBForeColor(&c);
  PaintRect(area);
}

class DrawingView : public ViewFixture {};

TEST_F(DrawingView, TheClientPaintsWhatShowsInTheOffscreensCoordinates) {
  Painted root, item;
  item.rgb = kRed;
  cSp_DrawingView a(window_, R(10, 20, 60, 80), PaintClient, reinterpret_cast<unsigned long>(&root),
                    nullptr, 0);
  // An item drawn in its holder's offscreen, half outside it: only the part that shows.
  cSp_DrawingView b(window_, R(40, 50, 80, 100), PaintClient,
                    reinterpret_cast<unsigned long>(&item), &a, 1);
  Redraw();
  EXPECT_EQ(Show(root.area), Show(R(0, 0, 50, 60)));
  EXPECT_EQ(Show(item.area), Show(R(0, 0, 10, 10))) << "the item's content coordinates";
  EXPECT_EQ(Px(25, 15), kBlue);
  EXPECT_EQ(Px(75, 55), kRed);
  EXPECT_EQ(Px(85, 55), kWhite) << "nothing outside the holder";
  b.ExecDrawingViewObjDeleteReady(1);
  a.ExecDrawingViewObjDeleteReady(1);
}

TEST_F(DrawingView, WithoutAProcedureTheViewLeavesTheWindowAlone) {
  View(R(0, 0, 100, 100), kRed);
  cSp_DrawingView view(window_, R(50, 50, 150, 150), nullptr, 0, nullptr, 0);
  Redraw();
  EXPECT_EQ(view.UpdateProc(), 0);
  EXPECT_EQ(Px(75, 75), kRed);
  EXPECT_EQ(Px(125, 125), kWhite) << "a view that drew nothing is not copied";
  // A procedure set later is drawn and reaches the window.
  Painted p;
  view.SetupDrawingViewDrawingCallBack(PaintClient, reinterpret_cast<unsigned long>(&p));
  view.DrawView(1, 0);
  EXPECT_EQ(Px(125, 125), kBlue);
  view.ExecDrawingViewObjDeleteReady(1);
}

TEST_F(DrawingView, AfterTheDeleteReadyStepNoClientProcedureRuns) {
  Painted p;
  auto* view = new cSp_DrawingView(window_, R(0, 0, 50, 50), PaintClient,
                                   reinterpret_cast<unsigned long>(&p), nullptr, 0);
  view->SetupDrawingViewDrawingBackgroundCallBack(PaintClient, reinterpret_cast<unsigned long>(&p));
  Redraw();
  const int before = p.calls;
  view->ExecDrawingViewObjDeleteReady(1);
  EXPECT_EQ(view->IsViewDeleteReady(), 1);
  EXPECT_EQ(view->UpdateProc(), 0);
  EXPECT_EQ(view->DrawViewBackground(), 0);
  Sp_RedrawViewForUpdateEvent(window_);
  EXPECT_EQ(p.calls, before);
  delete view;
}

TEST_F(DrawingView, ALineViewDrawsItsCentredLinesRoundingHalvesDown) {
  const struct {
    short width, height;
    unsigned char vertical, horizontal;
    short x, y;  // the line's column and row; -1: none
  } cases[] = {
      {10, 20, 1, 0, 5, -1},
      {11, 20, 1, 0, 5, -1},
      {10, 21, 0, 1, -1, 10},
      {12, 9, 1, 1, 6, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    sp_testing::FillPort(GetWindowPort(window_), kWhite);
    auto* line = new cSp_LineView(window_, R(0, 0, c.height, c.width), c.vertical, c.horizontal,
                                  nullptr, 0);
    Redraw();
    for (short y = 0; y < c.height; ++y) {
      for (short x = 0; x < c.width; ++x) {
        const bool onLine = x == c.x || y == c.y;
        EXPECT_EQ(Px(x, y) == 0x000000, onLine) << x << "," << y;
      }
    }
    line->ExecViewObjDeleteReady();
    delete line;
  }
}

}  // namespace
}  // namespace view_test
