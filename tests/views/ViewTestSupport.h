// What the tests of the views, the view window and the hot spots share: a visible window on the
// virtual clock whose back colour is pale yellow (so that a view's background tells from the
// window's untouched white), views that fill what they show with one colour and log their
// hooks, and pixels read as 0xRRGGBB.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpHotSpotArea.h"
#include "SpViewClass.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace view_test {

constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBack = 0xFFFFC0;  // the window's back colour: what a view without content shows
constexpr UInt32 kRed = 0xFF0000;
constexpr UInt32 kGreen = 0x00FF00;
constexpr UInt32 kBlue = 0x0000FF;

// (top, left, bottom, right), as QuickDraw's Rect.
inline Rect R(short top, short left, short bottom, short right) {
  return Rect{top, left, bottom, right};
}

inline Rect Offset(Rect r, short dh, short dv) {
  OffsetRect(&r, dh, dv);
  return r;
}

inline Point Pt(short h, short v) {
  return Point{v, h};
}

inline std::string Show(const Rect& r) {
  return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " +
         std::to_string(r.bottom) + ", " + std::to_string(r.right) + ")";
}

inline RGBColor Colour(UInt32 rgb) {
  return RGBColor{UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257),
                  UInt16((rgb & 0xFF) * 257)};
}

// What the views of a test were told, in order.
inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

// A view that fills what it shows with its colour (nothing and 0 when it has none), its
// background (translucent type 1) likewise, and logs its layer and container hooks.
class cColourView : public cSp_View {
 public:
  cColourView(WindowRef window, const Rect& area, UInt32 rgb, cSp_View* container = nullptr,
              unsigned char drawInContainer = 0, std::string name = "")
      : cSp_View(window, area, 0, 0, container, drawInContainer), rgb_(rgb),
        name_(std::move(name)) {}

  unsigned char UpdateProc() override {
    ++draws_;
    return Fill(rgb_, content_);
  }
  unsigned char InterruptDraw() override {
    ++periodicDraws_;
    return Fill(rgb_, content_);
  }
  unsigned char DrawViewBackground() override { return Fill(background_, kAll); }
  void NotifyChangedContainerItemLayerRankNo(SInt32 from, SInt32 to) override {
    Log().push_back(name_ + " " + std::to_string(from) + ">" + std::to_string(to));
  }
  unsigned char BeforeContainerResizeExecute(cSp_View*, short, short, short dw,
                                             short dh) override {
    Log().push_back(name_ + " before resize " + std::to_string(dw) + "," + std::to_string(dh));
    return refuseResize_ ? 0 : 1;
  }
  void AfterContainerMoveExecute(cSp_View*, short left, short top, short, short) override {
    Log().push_back(name_ + " after move " + std::to_string(left) + "," + std::to_string(top));
  }

  void SetScroll(short h, short v) {
    scrollH_ = h;
    scrollV_ = v;
  }

  static constexpr UInt32 kNone = 0xFFFFFFFF;
  static constexpr Rect kAll = {-10000, -10000, 10000, 10000};
  UInt32 rgb_;
  Rect content_ = kAll;  // the part of the content painted, in content coordinates
  UInt32 background_ = kNone;
  bool refuseResize_ = false;
  int draws_ = 0;
  int periodicDraws_ = 0;

 private:
  static unsigned char Fill(UInt32 rgb, const Rect& part) {
    if (rgb == kNone) return 0;
    const RGBColor c = Colour(rgb);
    RGBForeColor(&c);
    PaintRect(&part);
    return 1;
  }
  std::string name_;
};

class ViewFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    Log().clear();
    window_ = NewWindowAt(R(100, 100, 400, 500));
  }
  void TearDown() override {
    views_.clear();
    hotSpots_.clear();
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  // A visible window whose content lies at the global rectangle, pale yellow back colour,
  // pixels white.
  static WindowRef NewWindowAt(const Rect& content) {
    WindowRef w =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    CGrafPtr saved = nullptr;
    GetPort(&saved);
    SetPortWindowPort(w);
    const RGBColor back = Colour(kBack);
    RGBBackColor(&back);
    SetPort(saved);
    sp_testing::FillPort(GetWindowPort(w), kWhite);
    return w;
  }

  // A view kept until the end of the test (before the windows go).
  cColourView* View(const Rect& area, UInt32 rgb, cSp_View* container = nullptr,
                    unsigned char drawInContainer = 0, const std::string& name = "") {
    views_.emplace_back(new cColourView(window_, area, rgb, container, drawInContainer, name));
    return views_.back().get();
  }

  UInt32 Px(short h, short v) const { return sp_testing::ReadPixel(GetWindowPort(window_), h, v); }

  // Paints what waits and copies every offscreen to the window.
  void Redraw() const { Sp_RedrawViewWindow(window_, 0); }

  cSp_ViewWindow* ViewWindow() const { return Sp_GetViewWindowObject(window_, 0); }

  // The drawing list, head first.
  std::vector<cSp_View*> DrawingList() const {
    std::vector<cSp_View*> out;
    if (ViewWindow() == nullptr) return out;
    for (cSp_View* v = ViewWindow()->GetViewDrawingListHead(); v != nullptr;
         v = v->GetDrawingListNextObjectPtr()) {
      out.push_back(v);
    }
    return out;
  }

  // The siblings from the bottom of the list the view is in.
  static std::vector<cSp_View*> Layers(cSp_View* head) {
    std::vector<cSp_View*> out;
    for (cSp_View* v = head; v != nullptr; v = v->GetContainerItemListItemNextObjectPtr()) {
      out.push_back(v);
    }
    return out;
  }

  WindowRef window_ = nullptr;
  std::vector<std::unique_ptr<cColourView>> views_;
  std::vector<std::unique_ptr<cSp_HotSpotArea>> hotSpots_;
  ErrorLogCapture errors_;
};

}  // namespace view_test
