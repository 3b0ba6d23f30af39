// A framework window of nested, scrolled containers, views drawn in their holders' offscreens,
// a translucent panel and a button, updated and clicked through the framework's own event
// handling, compared pixel for pixel with the image kept beside this test
// (golden/view-window.png; no text is drawn, so every pixel must match). Run with
// SP_UPDATE_GOLDEN=1 to write the image anew after a deliberate change.
#include <cstdio>
#include <cstdlib>

#include "SpServiceHooks.h"
#include "SpStdFunctionNumber.h"
#include "SpViewServices.h"
#include "SpWindow.h"
#include "SpWindowHandlers.h"
#include "ViewTestSupport.h"

namespace view_test {
namespace {

const std::string kGolden = std::string(SP_VIEWS_GOLDEN_DIR) + "/view-window.png";

// A view that is also a button: a click turns it orange and redraws the window.
class cButtonView : public cColourView, public cSp_HotSpotArea {
 public:
  cButtonView(WindowRef window, const Rect& area)
      : cColourView(window, area, 0x808080), cSp_HotSpotArea(window, area) {}
  void HotSpotClickProc(short, Point) override {
    ++clicks_;
    rgb_ = 0xFF8000;
    SetupModifyDrawingRectAndFlag(nullptr, 1);
    Sp_RedrawViewWindow(GetTargetWindowPtr(), 0);
  }
  int clicks_ = 0;
};

class ViewEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    Sp_InstallViewServices();
    // As the program runs: windows get their update handlers, and a press on a hot spot is
    // followed until the release. The mode stays on for the rest of the process, which the
    // other tests of the views do not mind.
    Sp_CarbonEvent_ModeEnable();
    Sp_SetupWindowEventHandlerForCarbonEvent();
  }
  void TearDown() override {
    views_.clear();
    button_.reset();
    window_.reset();
    Sp_SetupViewServices(nullptr);
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  cColourView* View(const Rect& area, UInt32 rgb, cSp_View* container = nullptr,
                    unsigned char drawInContainer = 0) {
    views_.emplace_back(
        new cColourView(window_->GetWindowRef(), area, rgb, container, drawInContainer));
    return views_.back().get();
  }

  std::unique_ptr<cSp_Window> window_;
  std::vector<std::unique_ptr<cColourView>> views_;
  std::unique_ptr<cButtonView> button_;
};

// The window's pixels against the image: an empty string when they agree, else where they
// first differ. The window's own pixels are written beside the test output to look at.
std::string CompareWithGolden(CGrafPtr port) {
  const char* update = std::getenv("SP_UPDATE_GOLDEN");
  if (update != nullptr && *update == '1') {
    return sp_testing::SnapshotPort(port, kGolden) ? "" : "cannot write " + kGolden;
  }
  std::vector<UInt32> golden;
  UInt32 width = 0, height = 0;
  if (!sp_testing::ReadPNG(kGolden, &golden, &width, &height)) return "cannot read " + kGolden;
  Rect bounds;
  GetPortBounds(port, &bounds);
  if (width != UInt32(bounds.right - bounds.left) || height != UInt32(bounds.bottom - bounds.top)) {
    return "the window and the image differ in size";
  }
  for (UInt32 v = 0; v < height; ++v) {
    for (UInt32 h = 0; h < width; ++h) {
      const UInt32 got = sp_testing::ReadPixel(port, short(bounds.left + h), short(bounds.top + v));
      const UInt32 want = golden[v * width + h];
      if (got == want) continue;
      const char* folder = std::getenv("TEST_TMPDIR");
      const std::string actual =
          std::string(folder != nullptr && *folder != 0 ? folder : "/tmp") + "/view-window.png";
      sp_testing::SnapshotPort(port, actual);
      char where[160];
      std::snprintf(where, sizeof where, "pixel (%u, %u) is %06X, the image has %06X; see %s", h,
                    v, got, want, actual.c_str());
      return where;
    }
  }
  return "";
}

TEST_F(ViewEndToEnd, AnUpdateAndAClickThroughTheFrameworkPaintTheGoldenImage) {
  window_.reset(new cSp_Window(Pt(100, 100), Pt(240, 160), 1, documentProc, kSpNormalWindowType,
                               kSpWindowInFrontOfAll));
  WindowRef window = window_->GetWindowRef();
  // A panel over the whole window holding a scrolled container; in it an item with its own
  // offscreen, one drawn in the container's offscreen, and a nested scrolled container whose
  // items draw in its offscreen and reach outside what it shows.
  cColourView* panel = View(R(0, 0, 160, 240), 0xC8C8C8);
  cColourView* box = View(R(20, 20, 140, 140), 0x3060A0, panel);
  box->SetScroll(10, 10);
  View(R(0, 0, 40, 60), 0xD02020, box);
  View(R(50, 30, 90, 110), 0x20A040, box, 1);
  cColourView* nested = View(R(60, 60, 140, 140), 0xE0D040, box);
  nested->SetScroll(-5, 0);
  View(R(5, 5, 25, 25), 0xA020A0, nested, 1);
  View(R(40, 40, 100, 100), 0x202020, nested, 1);
  // A translucent panel: its background half blended over what lies under it, a dark square
  // drawn opaque on it.
  cColourView* glass = View(R(60, 100, 120, 220), 0x102040);
  glass->content_ = R(20, 20, 40, 40);
  glass->background_ = 0xFFFFFF;
  glass->TransmitViewTurnOn(kSpTransmitBackgroundType, 50, 0);
  button_.reset(new cButtonView(window, R(130, 170, 150, 230)));
  box->SetupModifyDrawingRectAndFlag(nullptr, 1);

  sp_testing::PumpPending();  // the window's update event draws every view
  const CGrafPtr port = GetWindowPort(window);
  EXPECT_EQ(sp_testing::ReadPixel(port, 200, 140), 0x808080u);
  for (std::size_t i = 0; i < views_.size(); ++i) EXPECT_EQ(views_[i]->IsWaitRedraw(), 0) << i;

  sp_testing::PostClick(Pt(100 + 200, 100 + 140));
  sp_testing::PumpPending();
  EXPECT_EQ(button_->clicks_, 1);
  EXPECT_EQ(sp_testing::ReadPixel(port, 200, 140), 0xFF8000u);
  EXPECT_EQ(CompareWithGolden(port), "");
}

}  // namespace
}  // namespace view_test
