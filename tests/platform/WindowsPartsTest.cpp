// The parts of a window (FindWindow, GetWindowRegion), zooming, and windows from 'WIND'
// resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ByteOrder.h"
#include "QDRegions.h"
#include "TestQuickDraw.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using WindowParts = UiTest;

Rect RegionBounds(WindowRef w, WindowRegionCode code, OSStatus* err = nullptr) {
  RgnHandle rgn = NewRgn();
  const OSStatus status = GetWindowRegion(w, code, rgn);
  if (err != nullptr) *err = status;
  Rect r{};
  GetRegionBounds(rgn, &r);
  DisposeRgn(rgn);
  return r;
}

// A document window whose content is (100, 100) to (300, 200): its title strip is 78 to 100.
WindowRef Document(WindowAttributes attributes) {
  return MakeWindow(R(100, 100, 200, 300), attributes);
}

TEST_F(WindowParts, FindWindowKnowsTheBoxesOfTheTitleStripAndTheGrowBox) {
  WindowRef full = Document(kWindowStandardDocumentAttributes);
  struct Case {
    Point pt;
    WindowPartCode part;
    const char* why;
  } cases[] = {
      {Pt(106, 81), inGoAway, "the close box's top-left pixel"},
      {Pt(121, 96), inGoAway, "its bottom-right pixel"},
      {Pt(122, 90), inDrag, "just right of the close box"},
      {Pt(105, 90), inDrag, "just left of it"},
      {Pt(293, 90), inZoomOut, "the zoom box at the right end"},
      {Pt(200, 90), inDrag, "the middle of the strip"},
      {Pt(299, 199), inGrow, "the content's last pixel"},
      {Pt(285, 185), inGrow, "the grow box's top-left pixel"},
      {Pt(284, 185), inContent, "left of the grow box"},
      {Pt(150, 150), inContent, "the content"},
  };
  for (const Case& c : cases) {
    WindowRef found = nullptr;
    EXPECT_EQ(FindWindow(c.pt, &found), c.part) << c.why;
    EXPECT_EQ(found, full) << c.why;
  }

  DisposeWindow(full);
  WindowRef bare = Document(kWindowNoAttributes);
  for (Point pt : {Pt(110, 85), Pt(293, 90)}) EXPECT_EQ(FindWindow(pt, nullptr), inDrag);
  EXPECT_EQ(FindWindow(Pt(299, 199), nullptr), inContent) << "no grow box when not resizable";
  DisposeWindow(bare);
}

TEST_F(WindowParts, RegionsAreGlobalAndEmptyForPartsTheWindowLacks) {
  WindowRef w = Document(kWindowCloseBoxAttribute | kWindowResizableAttribute);
  struct Case {
    WindowRegionCode code;
    Rect bounds;
  } cases[] = {
      {kWindowStructureRgn, {78, 100, 200, 300}}, {kWindowContentRgn, {100, 100, 200, 300}},
      {kWindowTitleBarRgn, {78, 100, 100, 300}},  {kWindowCloseBoxRgn, {81, 106, 97, 122}},
      {kWindowGrowRgn, {185, 285, 200, 300}},     {kWindowZoomBoxRgn, {0, 0, 0, 0}},
      {kWindowCollapseBoxRgn, {0, 0, 0, 0}},      {kWindowDragRgn, {78, 100, 100, 300}},
  };
  for (const Case& c : cases) {
    OSStatus err = 1;
    const Rect r = RegionBounds(w, c.code, &err);
    EXPECT_EQ(err, noErr) << c.code;
    EXPECT_TRUE(EqualRect(&r, &c.bounds)) << c.code;
  }
  RgnHandle drag = NewRgn();
  GetWindowRegion(w, kWindowDragRgn, drag);
  EXPECT_FALSE(PtInRgn(Pt(110, 85), drag)) << "the close box is not for dragging";
  EXPECT_TRUE(PtInRgn(Pt(130, 85), drag));
  EXPECT_EQ(GetWindowRegion(w, 99, drag), errWindowRegionCodeInvalid);
  EXPECT_EQ(GetWindowRegion(w, kWindowContentRgn, nullptr), paramErr);
  DisposeRgn(drag);

  const Rect a{10, 10, 20, 30};
  InvalWindowRect(w, &a);
  const Rect update = RegionBounds(w, kWindowUpdateRgn), expected{110, 110, 120, 130};
  EXPECT_TRUE(EqualRect(&update, &expected));
}

TEST_F(WindowParts, ZoomingGoesToTheStandardStateAndBackToTheUserState) {
  WindowRef w = Document(kWindowFullZoomAttribute);
  const Rect standard{50, 20, 400, 600};
  SetWindowStandardState(w, &standard);
  EXPECT_EQ(FindWindow(Pt(293, 90), nullptr), inZoomOut);
  ZoomWindow(w, inZoomOut, false);
  Rect r{};
  GetWindowBounds(w, kWindowContentRgn, &r);
  EXPECT_TRUE(EqualRect(&r, &standard));
  EXPECT_EQ(FindWindow(Pt(593, 35), nullptr), inZoomIn) << "zoomed out, the box zooms in";
  ZoomWindow(w, inZoomIn, false);
  GetWindowBounds(w, kWindowContentRgn, &r);
  const Rect user{100, 100, 200, 300};
  EXPECT_TRUE(EqualRect(&r, &user));

  // Without a standard state of its own the window fills the screen below the menu bar.
  WindowRef plain = Document(kWindowFullZoomAttribute);
  ZoomWindow(plain, inZoomOut, false);
  GetWindowBounds(plain, kWindowStructureRgn, &r);
  const Rect desk{SInt16(GetMBarHeight() + 4), 4, 768 - 4, 1024 - 4};
  EXPECT_TRUE(EqualRect(&r, &desk));
}

TEST_F(WindowParts, DrawGrowIconDrawsOnlyTheGrowBox) {
  WindowRef w = Document(kWindowResizableAttribute);
  CGrafPtr port = GetWindowPort(w);
  sp_testing::FillPort(port, 0x123456);
  DrawGrowIcon(w);
  EXPECT_NE(sp_testing::ReadPixel(port, 199, 99), 0x123456u) << "the box's frame";
  EXPECT_EQ(sp_testing::ReadPixel(port, 184, 99), 0x123456u) << "left of the box";
  EXPECT_EQ(sp_testing::ReadPixel(port, 199, 84), 0x123456u) << "above it";
  WindowRef fixed = Document(kWindowNoAttributes);
  sp_testing::FillPort(GetWindowPort(fixed), 0x123456);
  DrawGrowIcon(fixed);
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(fixed), 199, 99), 0x123456u);
}

std::vector<UInt8> WindBytes(const Rect& r, SInt16 procID, bool visible, bool goAway, UInt32 refCon,
                             const std::string& title, int position = -1) {
  sp::ByteWriter out;
  for (SInt16 v : {r.top, r.left, r.bottom, r.right}) out.BE16(UInt16(v));
  out.BE16(UInt16(procID));
  out.BE16(visible ? 0x0100 : 0);
  out.BE16(goAway ? 0x0100 : 0);
  out.BE32(refCon);
  out.U8(UInt8(title.size()));
  for (char c : title) out.U8(UInt8(c));
  if (title.size() % 2 == 0) out.U8(0);
  if (position >= 0) out.BE16(UInt16(position));
  return out.Data();
}

TEST_F(WindowParts, WindResourceGivesBoundsTitleVisibilityCloseBoxAndRefCon) {
  const Rect r{60, 40, 260, 440};
  const std::string title = "\x83\x45\x83\x42\x83\x93";  // MacJapanese
  sp_testing::AddAppResource(SpFourCC("WIND"), 128,
                             WindBytes(r, zoomDocProc, true, true, 0xDEADBEEF, title, 0));
  sp_testing::AddAppResource(SpFourCC("WIND"), 129,
                             WindBytes(r, floatProc, false, false, 7, "F"));  // no position
  WindowRef w = GetNewCWindow(128, nullptr, kFirstWindowOfClass);
  ASSERT_NE(w, nullptr);
  const sp_testing::WindowState state = sp_testing::WindowStates().at(0);
  EXPECT_EQ(state.title, title);
  EXPECT_TRUE(state.visible && state.hilited);
  EXPECT_TRUE(EqualRect(&state.content, &r));
  EXPECT_EQ(GetWRefCon(w), SRefCon(0xDEADBEEFu));
  WindowAttributes attributes = 0;
  GetWindowAttributes(w, &attributes);
  EXPECT_EQ(attributes,
            kWindowCloseBoxAttribute | kWindowResizableAttribute | kWindowFullZoomAttribute);

  WindowRef floating = GetNewCWindow(129, nullptr, kFirstWindowOfClass);
  ASSERT_NE(floating, nullptr);
  WindowClass windowClass = 0;
  GetWindowClass(floating, &windowClass);
  EXPECT_EQ(windowClass, kFloatingWindowClass);
  EXPECT_FALSE(IsWindowVisible(floating));
  EXPECT_EQ(GetNewCWindow(130, nullptr, kFirstWindowOfClass), nullptr) << "no such resource";
}

TEST_F(WindowParts, TruncatedWindResourcesMakeNoWindow) {
  const std::vector<UInt8> whole =
      WindBytes(Rect{10, 10, 50, 50}, documentProc, true, false, 0, "Title", 0);
  for (std::size_t size : {std::size_t(0), std::size_t(10), std::size_t(18), std::size_t(23)}) {
    std::vector<UInt8> cut(whole.begin(), whole.begin() + std::ptrdiff_t(size));
    sp_testing::AddAppResource(SpFourCC("WIND"), 200, cut);
    EXPECT_EQ(GetNewCWindow(200, nullptr, kFirstWindowOfClass), nullptr) << size;
  }
  EXPECT_TRUE(sp_testing::WindowList().empty());
  std::vector<UInt8> noPosition(whole.begin(), whole.begin() + 24);
  sp_testing::AddAppResource(SpFourCC("WIND"), 200, noPosition);
  EXPECT_NE(GetNewCWindow(200, nullptr, kFirstWindowOfClass), nullptr)
      << "the title is whole; the position word is optional";
}

TEST_F(WindowParts, CompiledWindResourcesArePlacedByTheirPosition) {
  UseResources(R"(
resource 'WIND' 300 {
  bounds 0, 0, 100, 200; procID documentProc; visible true; title "Centred"; position centerMainScreen
}
resource 'WIND' 301 { bounds 0, 0, 100, 200; procID plainDBox; position alertPositionMainScreen }
)");
  WindowRef centred = GetNewCWindow(300, nullptr, kFirstWindowOfClass);
  WindowRef alert = GetNewCWindow(301, nullptr, kFirstWindowOfClass);
  ASSERT_NE(centred, nullptr);
  ASSERT_NE(alert, nullptr);
  // The desk is 1024 x (768 - the menu bar); the structures are 200 x 122 and 200 x 100.
  const SInt16 desk = GetMBarHeight();
  const SInt16 deskHeight = SInt16(768 - desk);
  Rect r{};
  GetWindowBounds(centred, kWindowStructureRgn, &r);
  EXPECT_EQ(r.left, 412);
  EXPECT_EQ(r.top, desk + (deskHeight - 122) / 2);
  GetWindowBounds(alert, kWindowStructureRgn, &r);
  EXPECT_EQ(r.left, 412);
  EXPECT_EQ(r.top, desk + (deskHeight - 100) / 3);
  Str255 title;
  GetWTitle(centred, title);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), title[0]), "Centred");
}

}  // namespace
}  // namespace ui_test
