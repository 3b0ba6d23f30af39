// The window list and its layers, hiliting, bounds, the parts of a window, zooming, windows from
// definitions and 'WIND' resources, sheets; the window events of the loop (activation,
// updates) and the standard handling of clicks in the close box, title strip and grow box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "QDRegions.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using Windows = UiTest;
using List = std::vector<WindowRef>;
using H = std::vector<bool>;

WindowRef Make(WindowClass windowClass, const Rect& content, bool visible = true) {
  WindowRef w = MakeWindow(content, kWindowNoAttributes, windowClass);
  if (!visible) HideWindow(w);
  return w;
}

WindowRef Document(const Rect& content = R(100, 100, 300, 400)) {
  return Make(kDocumentWindowClass, content);
}

H Hilites(const List& windows) {
  H out;
  for (WindowRef w : windows) out.push_back(IsWindowHilited(w));
  return out;
}

TEST_F(Windows, SelectAndSendBehindReorderWithinTheListAndTheFrontOfEachLayerIsHilited) {
  WindowRef a = Document(), b = Document(), c = Document();
  EXPECT_EQ(sp_testing::WindowList(), (List{c, b, a})) << "new windows come in front";
  EXPECT_EQ(Hilites({a, b, c}), (H{false, false, true}));
  SelectWindow(a);
  EXPECT_EQ(sp_testing::WindowList(), (List{a, c, b}));
  EXPECT_EQ(Hilites({a, b, c}), (H{true, false, false}));
  SendBehind(a, b);
  EXPECT_EQ(sp_testing::WindowList(), (List{c, b, a}));
  SendBehind(c, nullptr);
  EXPECT_EQ(sp_testing::WindowList(), (List{b, a, c}));
  SendBehind(b, a);
  EXPECT_EQ(sp_testing::WindowList(), (List{a, b, c}));
  EXPECT_EQ(Hilites({a, b, c}), (H{true, false, false}));
  BringToFront(c);  // leaves hiliting to the caller
  EXPECT_EQ(sp_testing::WindowList(), (List{c, a, b}));
  EXPECT_EQ(Hilites({a, b, c}), (H{true, false, false}));
  EXPECT_EQ(GetNextWindow(c), a);
  EXPECT_EQ(GetNextWindow(b), nullptr);
  // NewCWindow's behind argument places the window.
  const Rect r = R(50, 50, 100, 100);
  WindowRef d = NewCWindow(nullptr, &r, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  WindowRef e = NewCWindow(nullptr, &r, nullptr, true, documentProc, nullptr, false, 0);
  WindowRef f = NewCWindow(nullptr, &r, nullptr, true, documentProc, d, false, 0);
  EXPECT_EQ(sp_testing::WindowList(), (List{d, f, c, a, b, e}));
}

TEST_F(Windows, HidingKeepsThePlaceButLeavesFrontWindowAndTheHiliteToTheNext) {
  WindowRef a = Document(), b = Document(), c = Document();
  WindowRef floating = Make(kFloatingWindowClass, R(10, 10, 50, 50));
  EXPECT_EQ(Hilites({a, b, c, floating}), (H{false, false, true, true}));
  HideWindow(c);
  EXPECT_EQ(sp_testing::WindowList(), (List{floating, c, b, a}));
  EXPECT_EQ(FrontNonFloatingWindow(), b);
  EXPECT_EQ(Hilites({a, b, c}), (H{false, true, false})) << "the next in front takes it";
  EXPECT_EQ(GetNextWindow(c), b) << "hidden windows are still listed";
  ShowWindow(c);
  EXPECT_EQ(Hilites({a, b, c}), (H{false, false, true})) << "shown in front, it takes it back";
  SendBehind(c, nullptr);
  EXPECT_EQ(Hilites({a, b, c}), (H{false, true, false}));
  DisposeWindow(b);
  EXPECT_EQ(Hilites({a, c}), (H{true, false}));
  HiliteWindow(a, false);
  ShowHide(c, false);
  ShowHide(c, true);  // ShowHide leaves hiliting to the caller
  EXPECT_EQ(Hilites({a, c}), (H{false, false}));
  for (WindowRef w : {a, c, floating}) HideWindow(w);
  EXPECT_EQ(FrontWindow(), nullptr);
  EXPECT_TRUE(sp_testing::VisibleWindows().empty());
}

TEST_F(Windows, FindWindowKnowsTheFrontMostWindowAndItsParts) {
  WindowRef back = Document(R(100, 100, 300, 300));
  WindowRef front = Document(R(200, 200, 400, 400));
  WindowRef hidden = Make(kPlainWindowClass, R(0, 0, 768, 1024), false);
  WindowRef plain = Make(kPlainWindowClass, R(500, 600, 600, 700));
  WindowRef high = Document(R(10, 800, 300, 1000));  // under the menu bar
  // Content (100, 500) to (200, 700): the title strip is 78 to 100.
  WindowRef full = MakeWindow(R(100, 500, 200, 700), kWindowStandardDocumentAttributes);
  SelectWindow(front);
  struct Case {
    Point pt;
    WindowPartCode part;
    WindowRef window;
    const char* why;
  } cases[] = {
      {Pt(250, 250), inContent, front, "overlap: the front window wins"},
      {Pt(150, 150), inContent, back, "only the back window is there"},
      {Pt(250, 190), inDrag, front, "the front window's title strip"},
      {Pt(150, 90), inDrag, back, "the back window's title strip"},
      {Pt(150, 77), inDesk, nullptr, "above the title strip"},
      {Pt(650, 550), inContent, plain, "a plain window's content"},
      {Pt(650, 495), inDesk, nullptr, "a plain window has no title strip"},
      {Pt(400, 350), inDesk, nullptr, "the right edge is outside"},
      {Pt(500, 10), inMenuBar, nullptr, "the menu-bar strip"},
      {Pt(5, 19), inMenuBar, nullptr, "the menu bar's last row"},
      {Pt(900, 700), inDesk, nullptr, "a hidden window is not found"},
      {Pt(850, 19), inMenuBar, nullptr, "the menu bar lies above windows"},
      {Pt(850, 20), inContent, high, "just below it, the window"},
      {Pt(506, 81), inGoAway, full, "the close box's top-left pixel"},
      {Pt(521, 96), inGoAway, full, "its bottom-right pixel"},
      {Pt(522, 90), inDrag, full, "just right of the close box"},
      {Pt(505, 90), inDrag, full, "just left of it"},
      {Pt(693, 90), inZoomOut, full, "the zoom box at the right end"},
      {Pt(699, 199), inGrow, full, "the content's last pixel"},
      {Pt(685, 185), inGrow, full, "the grow box's top-left pixel"},
      {Pt(684, 185), inContent, full, "left of the grow box"},
      {Pt(699, 599), inContent, plain, "no grow box when not resizable"},
  };
  for (const Case& c : cases) {
    WindowRef found = hidden;
    EXPECT_EQ(FindWindow(c.pt, &found), c.part) << c.why;
    EXPECT_EQ(found, c.window) << c.why;
  }
  EXPECT_EQ(FindWindow(Pt(250, 250), nullptr), inContent) << "the window argument may be null";
}

TEST_F(Windows, RegionsAreGlobalAndEmptyForPartsTheWindowLacks) {
  WindowRef w =
      MakeWindow(R(100, 100, 200, 300), kWindowCloseBoxAttribute | kWindowResizableAttribute);
  RgnHandle rgn = NewRgn();
  const struct {
    WindowRegionCode code;
    Rect bounds;
  } cases[] = {
      {kWindowStructureRgn, {78, 100, 200, 300}}, {kWindowContentRgn, {100, 100, 200, 300}},
      {kWindowTitleBarRgn, {78, 100, 100, 300}},  {kWindowCloseBoxRgn, {81, 106, 97, 122}},
      {kWindowGrowRgn, {185, 285, 200, 300}},     {kWindowZoomBoxRgn, {0, 0, 0, 0}},
      {kWindowCollapseBoxRgn, {0, 0, 0, 0}},      {kWindowDragRgn, {78, 100, 100, 300}},
  };
  Rect r;
  for (const auto& c : cases) {
    EXPECT_EQ(GetWindowRegion(w, c.code, rgn), noErr) << c.code;
    EXPECT_TRUE(Same(*GetRegionBounds(rgn, &r), c.bounds)) << c.code;
  }
  GetWindowRegion(w, kWindowDragRgn, rgn);
  EXPECT_FALSE(PtInRgn(Pt(110, 85), rgn)) << "the close box is not for dragging";
  EXPECT_TRUE(PtInRgn(Pt(130, 85), rgn));
  const Rect a{10, 10, 20, 30};
  InvalWindowRect(w, &a);
  GetWindowRegion(w, kWindowUpdateRgn, rgn);
  EXPECT_TRUE(Same(*GetRegionBounds(rgn, &r), R(110, 110, 120, 130)));
  EXPECT_EQ(GetWindowRegion(w, 99, rgn), errWindowRegionCodeInvalid);
  EXPECT_EQ(GetWindowRegion(w, kWindowContentRgn, nullptr), paramErr);
  DisposeRgn(rgn);
}

TEST_F(Windows, DrawGrowIconDrawsOnlyTheGrowBoxOfAResizableWindow) {
  WindowRef w = MakeWindow(R(100, 100, 200, 300), kWindowResizableAttribute);
  CGrafPtr port = GetWindowPort(w);
  sp_testing::FillPort(port, 0x123456);
  DrawGrowIcon(w);
  EXPECT_NE(sp_testing::ReadPixel(port, 199, 99), 0x123456u) << "the box's frame";
  EXPECT_EQ(sp_testing::ReadPixel(port, 184, 99), 0x123456u) << "left of the box";
  EXPECT_EQ(sp_testing::ReadPixel(port, 199, 84), 0x123456u) << "above it";
  WindowRef fixed = MakeWindow(R(100, 100, 200, 300), kWindowNoAttributes);
  sp_testing::FillPort(GetWindowPort(fixed), 0x123456);
  DrawGrowIcon(fixed);
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(fixed), 199, 99), 0x123456u);
}

TEST_F(Windows, BoundsMoveSizeAndZoom) {
  WindowRef w = Document(R(100, 50, 300, 450));
  WindowRef plain = Make(kPlainWindowClass, R(10, 10, 20, 20));
  Rect r;
  EXPECT_TRUE(Same(Bounds(w, kWindowStructureRgn), R(100 - kSpWindowTitleBarHeight, 50, 300, 450)));
  EXPECT_TRUE(Same(Bounds(plain, kWindowStructureRgn), R(10, 10, 20, 20)));
  MoveWindow(w, 10, 40, true);
  EXPECT_EQ(FrontWindow(), w) << "moving to the front selects the window";
  EXPECT_TRUE(Same(Bounds(w), R(40, 10, 240, 410)));
  SizeWindow(w, 0, 500, true);  // a zero size changes nothing
  SizeWindow(w, 100, 60, true);
  EXPECT_TRUE(Same(Bounds(w), R(40, 10, 100, 110)));
  EXPECT_TRUE(Same(*GetWindowPortBounds(w, &r), R(0, 0, 60, 100)));
  EXPECT_EQ(GetWindowBounds(w, kWindowUpdateRgn, &r), errWindowRegionCodeInvalid);

  // Zooming goes to the standard state and back to the user state; without a standard state
  // of its own the window fills the screen below the menu bar.
  WindowRef z = MakeWindow(R(100, 100, 200, 300), kWindowFullZoomAttribute);
  const Rect standard{50, 20, 400, 600};
  SetWindowStandardState(z, &standard);
  ZoomWindow(z, inZoomOut, false);
  EXPECT_TRUE(Same(Bounds(z), standard));
  EXPECT_EQ(FindWindow(Pt(593, 35), nullptr), inZoomIn) << "zoomed out, the box zooms in";
  ZoomWindow(z, inZoomIn, false);
  EXPECT_TRUE(Same(Bounds(z), R(100, 100, 200, 300)));
  WindowRef full = MakeWindow(R(100, 100, 200, 300), kWindowFullZoomAttribute);
  ZoomWindow(full, inZoomOut, false);
  EXPECT_TRUE(
      Same(Bounds(full, kWindowStructureRgn), R(SInt16(GetMBarHeight() + 4), 4, 764, 1020)));
}

TEST_F(Windows, NewCWindowKeepsTitleRefConAndClassOfItsDefinition) {
  const struct {
    SInt16 procID;
    Boolean goAway;
    WindowClass windowClass;
    WindowAttributes attributes;
  } cases[] = {
      {documentProc, true, kDocumentWindowClass,
       kWindowResizableAttribute | kWindowCloseBoxAttribute},
      {noGrowDocProc, false, kDocumentWindowClass, kWindowNoAttributes},
      {zoomDocProc, false, kDocumentWindowClass,
       kWindowResizableAttribute | kWindowFullZoomAttribute},
      {dBoxProc, false, kModalWindowClass, kWindowNoAttributes},
      {movableDBoxProc, false, kMovableModalWindowClass, kWindowNoAttributes},
      {plainDBox, false, kPlainWindowClass, kWindowNoAttributes},
      {floatGrowProc, true, kFloatingWindowClass,
       kWindowResizableAttribute | kWindowCloseBoxAttribute},
      {kWindowFullZoomGrowDocumentProc, false, kDocumentWindowClass,
       kWindowResizableAttribute | kWindowFullZoomAttribute},
      {kWindowMovableAlertProc, false, kMovableAlertWindowClass, kWindowNoAttributes},
      {kWindowSheetProc, false, kSheetWindowClass, kWindowNoAttributes},
  };
  const Rect r = R(40, 40, 80, 80);
  for (const auto& c : cases) {
    WindowRef w =
        NewCWindow(nullptr, &r, nullptr, false, c.procID, kFirstWindowOfClass, c.goAway, 0);
    WindowClass windowClass = 0;
    WindowAttributes attributes = 0xFFFF;
    EXPECT_EQ(GetWindowClass(w, &windowClass), noErr);
    EXPECT_EQ(GetWindowAttributes(w, &attributes), noErr);
    EXPECT_EQ(windowClass, c.windowClass) << c.procID;
    EXPECT_EQ(attributes, c.attributes) << c.procID;
    DisposeWindow(w);
  }
  // Title (MacJapanese bytes) and a pointer-sized reference value.
  const unsigned char title[] = "\x06\x83\x45\x83\x42\x83\x93";
  int object = 0;
  const SRefCon ref = reinterpret_cast<SRefCon>(&object);
  WindowRef w = NewCWindow(nullptr, &r, title, true, documentProc, kFirstWindowOfClass, false, ref);
  Str255 got;
  GetWTitle(w, got);
  EXPECT_EQ(std::memcmp(got, title, 7), 0);
  EXPECT_EQ(GetWRefCon(w), ref);
  EXPECT_EQ(GetWindowKind(w), kApplicationWindowKind);
  const unsigned char longest[256] = {255};
  SetWTitle(w, longest);
  GetWTitle(w, got);
  EXPECT_EQ(got[0], 255);
  // ChangeWindowAttributes sets, then clears.
  ASSERT_EQ(ChangeWindowAttributes(
                w, kWindowStandardDocumentAttributes | kWindowStandardHandlerAttribute, 0),
            noErr);
  ASSERT_EQ(ChangeWindowAttributes(w, kWindowLiveResizeAttribute, 0x16), noErr);
  WindowAttributes a = 0;
  GetWindowAttributes(w, &a);
  EXPECT_EQ(a, kWindowCloseBoxAttribute | kWindowCollapseBoxAttribute |
                   kWindowStandardHandlerAttribute | kWindowLiveResizeAttribute);
}

std::vector<UInt8> WindBytes(const Rect& r, SInt16 procID, bool visible, bool goAway, UInt32 refCon,
                             const std::string& title, int position = -1) {
  sp::ByteWriter out;
  for (SInt16 v : {r.top, r.left, r.bottom, r.right, procID, SInt16(visible ? 0x0100 : 0),
                   SInt16(goAway ? 0x0100 : 0)}) {
    out.BE16(UInt16(v));
  }
  out.BE32(refCon);
  out.U8(UInt8(title.size()));
  for (char c : title) out.U8(UInt8(c));
  if (title.size() % 2 == 0) out.U8(0);
  if (position >= 0) out.BE16(UInt16(position));
  return out.Data();
}

TEST_F(Windows, WindResourceGivesBoundsTitleVisibilityCloseBoxAndRefConOrNoWindowWhenCut) {
  const Rect r{60, 40, 260, 440};
  const std::string title = "\x83\x45\x83\x42\x83\x93";  // MacJapanese
  const ResType kWIND = SpFourCC("WIND");
  sp_testing::AddAppResource(kWIND, 128,
                             WindBytes(r, zoomDocProc, true, true, 0xDEADBEEF, title, 0));
  sp_testing::AddAppResource(kWIND, 129,
                             WindBytes(r, floatProc, false, false, 7, "F"));  // no position
  WindowRef w = GetNewCWindow(128, nullptr, kFirstWindowOfClass);
  ASSERT_NE(w, nullptr);
  const sp_testing::WindowState state = sp_testing::WindowStates().at(0);
  EXPECT_EQ(state.title, title);
  EXPECT_TRUE(state.visible && state.hilited);
  EXPECT_TRUE(Same(state.content, r));
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

  const std::vector<UInt8> whole =
      WindBytes(Rect{10, 10, 50, 50}, documentProc, true, false, 0, "Title", 0);
  for (long size : {0, 10, 18, 23, 24}) {
    sp_testing::AddAppResource(kWIND, 200, std::vector<UInt8>(whole.begin(), whole.begin() + size));
    // The title whole, the position word is optional.
    EXPECT_EQ(GetNewCWindow(200, nullptr, kFirstWindowOfClass) != nullptr, size == 24) << size;
  }
  EXPECT_EQ(sp_testing::WindowList().size(), 3u);
}

// The position word follows the title at an even offset, whatever the title's length, in
// 'WIND' and 'DLOG' resources alike: the window is centred on the screen below the menu bar,
// put at the alert position (a third of the free height above it), or left at the resource's
// bounds.
TEST_F(Windows, PositionWordOfAResourcePlacesTheWindowWhateverTheTitlesLength) {
  const Rect r{60, 40, 260, 440};
  sp::ByteWriter ditl;  // one user item
  ditl.BE16(0);
  ditl.BE32(0);
  for (UInt16 v : {10, 10, 20, 20}) ditl.BE16(v);
  ditl.BE16(0);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("DITL"), 140, ditl.Data()), noErr);
  BitMap screen;
  GetQDGlobalsScreenBits(&screen);
  const Rect desk = {SInt16(screen.bounds.top + GetMBarHeight()), screen.bounds.left,
                     screen.bounds.bottom, screen.bounds.right};
  enum Place { kAsGiven, kCentred, kAlert };
  const struct {
    UInt16 position;
    Place place;
  } positions[] = {
      {0x0000, kAsGiven},  // no position
      {0x280A, kCentred},  // centre on the main screen
      {0x300A, kAlert},    // alert position on the main screen
      {0x380A, kAsGiven},  // staggering is not done
  };
  for (const bool dialog : {false, true}) {
    for (const auto& p : positions) {
      for (const std::string title : {"", "A", "AB", "ABC"}) {
        SCOPED_TRACE(std::string(dialog ? "DLOG " : "WIND ") + std::to_string(p.position) +
                     " title \"" + title + "\"");
        std::vector<UInt8> bytes = WindBytes(r, documentProc, false, false, 0, title, p.position);
        WindowRef w = nullptr;
        if (dialog) {
          // A 'DLOG' has its item list's id between the refCon and the title.
          bytes.insert(bytes.begin() + 18, {0, 140});
          ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("DLOG"), 140, bytes), noErr);
          DialogRef d = GetNewDialog(140, nullptr, kFirstWindowOfClass);
          ASSERT_NE(d, nullptr);
          w = GetDialogWindow(d);
        } else {
          ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("WIND"), 140, bytes), noErr);
          w = GetNewCWindow(140, nullptr, kFirstWindowOfClass);
          ASSERT_NE(w, nullptr);
        }
        const Rect frame = Bounds(w, kWindowStructureRgn);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        const int deskWidth = desk.right - desk.left, deskHeight = desk.bottom - desk.top;
        if (p.place == kAsGiven) {
          EXPECT_TRUE(Same(Bounds(w), r));
        } else {
          EXPECT_EQ(frame.left, desk.left + (deskWidth - width) / 2);
          EXPECT_EQ(frame.top, desk.top + (deskHeight - height) / (p.place == kAlert ? 3 : 2));
        }
        if (dialog) {
          DisposeDialog(GetDialogFromWindow(w));
        } else {
          DisposeWindow(w);
        }
      }
    }
  }
}

TEST_F(Windows, BadArgumentsDisposedWindowsAndFailedAllocationsAreRefusedCleanly) {
  const Rect r = R(0, 0, 10, 10);
  WindowRef w = reinterpret_cast<WindowRef>(&w);
  EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, 0, nullptr, &w), paramErr);
  EXPECT_EQ(w, nullptr);
  EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &r, nullptr), paramErr);
  EXPECT_EQ(CreateNewWindow(7, 0, &r, &w), errUnrecognizedWindowClass);
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &r, &w), memFullErr);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(w, nullptr);
  EXPECT_TRUE(sp_testing::WindowList().empty());
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &r, &w), noErr);
  EXPECT_FALSE(IsWindowVisible(w)) << "new windows start hidden";

  SetWRefCon(w, 77);
  DisposeWindow(w);
  EXPECT_FALSE(IsValidWindowPtr(w));
  // None of these may touch the freed record.
  EXPECT_EQ(GetWRefCon(w), 0);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(GetWindowPort(w), nullptr);
  EXPECT_EQ(GetWindowEventTarget(w), nullptr);
  Rect bounds;
  EXPECT_EQ(GetWindowBounds(w, kWindowContentRgn, &bounds), errInvalidWindowPtr);
  SelectWindow(w);
  ShowWindow(w);
  SendBehind(w, nullptr);
  DisposeWindow(w);
  EXPECT_TRUE(sp_testing::WindowList().empty());
  Str255 title = {3, 'a', 'b', 'c'};
  GetWTitle(w, title);
  EXPECT_EQ(title[0], 0);
  EXPECT_EQ(SetWindowResizeLimits(nullptr, nullptr, nullptr), errInvalidWindowPtr);
}

TEST_F(Windows, GrowingFillsTheNewStripsWithTheContentColourAndInvalidatesThemWhenAsked) {
  WindowRef w = Document(R(100, 100, 140, 160));  // 60 x 40
  CGrafPtr port = GetWindowPort(w);
  sp_testing::FillPort(port, 0x000000);
  const RGBColor grey = {0x8080, 0x8080, 0x8080};
  ASSERT_EQ(SetWindowContentColor(w, &grey), noErr);
  SizeWindow(w, 80, 50, false);
  // The old image stays; the new right and bottom strips take the colour.
  EXPECT_EQ(
      std::vector<UInt32>({sp_testing::ReadPixel(port, 59, 39), sp_testing::ReadPixel(port, 60, 0),
                           sp_testing::ReadPixel(port, 0, 40)}),
      std::vector<UInt32>({0x000000u, 0x808080u, 0x808080u}));
  const Rect none = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&none)) << "fUpdate false: nothing due";
  SizeWindow(w, 90, 50, true);
  EXPECT_TRUE(Same(sp_testing::UpdateRegionBounds(w), R(100, 180, 150, 190)));
}

TEST_F(Windows, SheetsLieJustInFrontOfTheirParentAndLeaveWithIt) {
  WindowRef parent = Document(R(100, 100, 300, 500));
  WindowRef other = Document(R(400, 100, 500, 200));
  SelectWindow(parent);
  WindowRef sheet = nullptr, found = nullptr;
  const Rect r = R(0, 0, 80, 200);
  ASSERT_EQ(CreateNewWindow(kSheetWindowClass, kWindowNoAttributes, &r, &sheet), noErr);
  EXPECT_EQ(ShowSheetWindow(sheet, parent), noErr);
  EXPECT_EQ(sp_testing::WindowList(), (List{sheet, parent, other}));
  EXPECT_TRUE(Same(Bounds(sheet), R(100, 200, 180, 400)))
      << "at the parent's top, centred across it";
  EXPECT_EQ(Hilites({sheet, parent}), (H{true, false}));
  EXPECT_EQ(HideSheetWindow(sheet), noErr);
  EXPECT_TRUE(IsWindowHilited(parent));
  EXPECT_EQ(ShowSheetWindow(other, parent), paramErr) << "only sheets";
  ShowSheetWindow(sheet, parent);
  DisposeWindow(parent);
  GetSheetWindowParent(sheet, &found);
  EXPECT_EQ(found, nullptr) << "no dangling parent";
}

// A sheet on a modal dialog lies in front of that dialog, not behind it among the documents,
// and goes back to its own layer when it leaves.
TEST_F(Windows, ASheetOnAModalDialogLiesInFrontOfTheDialog) {
  WindowRef document = Document(R(100, 100, 300, 500));
  WindowRef dialog = nullptr, sheet = nullptr, found = nullptr;
  const Rect d = R(150, 150, 250, 450), r = R(0, 0, 80, 200);
  ASSERT_EQ(CreateNewWindow(kMovableModalWindowClass, kWindowNoAttributes, &d, &dialog), noErr);
  ShowWindow(dialog);
  ASSERT_EQ(CreateNewWindow(kSheetAlertWindowClass, kWindowNoAttributes, &r, &sheet), noErr);
  EXPECT_EQ(ShowSheetWindow(sheet, dialog), noErr);
  EXPECT_EQ(sp_testing::WindowList(), (List{sheet, dialog, document}));
  EXPECT_EQ(Hilites({sheet, dialog}), (H{true, false}));
  EXPECT_EQ(HideSheetWindow(sheet), noErr);
  EXPECT_EQ(sp_testing::WindowList(), (List{dialog, sheet, document})) << "back among the documents";
  EXPECT_TRUE(IsWindowHilited(dialog));
  ShowSheetWindow(sheet, dialog);
  DisposeWindow(dialog);
  GetSheetWindowParent(sheet, &found);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(sp_testing::WindowList(), (List{sheet, document}));
}

constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBlack = 0x000000;

class WindowsEvents : public UiTest {
 protected:
  // Records the window events reaching the application's target (every window passes them on
  // there), leaving them unhandled so the layer's own handling goes on as without it.
  void LogWindowEvents() {
    std::vector<EventTypeSpec> specs = {{kEventClassMouse, kEventMouseDown}};
    for (UInt32 kind :
         {kEventWindowUpdate, kEventWindowActivated, kEventWindowDeactivated,
          kEventWindowGetClickActivation, kEventWindowResizeCompleted, kEventWindowDragCompleted,
          kEventWindowClose, kEventWindowClosed, kEventWindowZoom}) {
      specs.push_back({kEventClassWindow, kind});
    }
    Listen(GetApplicationEventTarget(), specs, [this](EventRef e) {
      const bool mouse = GetEventClass(e) == kEventClassMouse;
      seen_.push_back({Param<WindowRef>(e, mouse ? kEventParamWindowRef : kEventParamDirectObject,
                                        typeWindowRef),
                       GetEventKind(e)});
      return OSStatus(eventNotHandledErr);
    });
  }
  int Count(WindowRef window, UInt32 kind) const {
    return int(std::count(seen_.begin(), seen_.end(), std::pair{window, kind}));
  }
  // A visible document window with the standard handling, a close box, and a grow box.
  static WindowRef Standard(const Rect& content, WindowAttributes more = 0) {
    return MakeWindow(content, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute |
                                   kWindowResizableAttribute | more);
  }
  static void Invalidate(WindowRef w, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    const Rect r{top, left, bottom, right};
    InvalWindowRect(w, &r);
  }
  static void Click(WindowRef w, WindowPartCode part, std::vector<Point> path = {},
                    UInt32 modifiers = 0) {
    sp_testing::PostClick(sp_testing::WindowPartPoint(w, part), path, modifiers);
    sp_testing::PumpUntilIdle();
  }
  std::vector<std::pair<WindowRef, UInt32>> seen_;
};

TEST_F(WindowsEvents, BeginUpdateLimitsDrawingToTheUpdateRegionAndEndUpdateClearsIt) {
  WindowRef w = MakeWindow(R(100, 100, 160, 200));
  Invalidate(w, 10, 10, 30, 20);
  GrafPtr saved;
  GetPort(&saved);
  SetPortWindowPort(w);
  SetOrigin(50, 50);  // the region and the visible region follow the origin
  BeginUpdate(w);
  EXPECT_TRUE(Same(sp_testing::UpdateRegionBounds(w), R(110, 110, 120, 130)))
      << "readable while drawing";
  const Rect all{50, 50, 110, 150};
  PaintRect(&all);
  EndUpdate(w);
  CGrafPtr port = GetWindowPort(w);
  // Inside the update region (to its last pixel) drawn; right of it and below it unchanged.
  EXPECT_EQ(std::vector<UInt32>(
                {sp_testing::ReadPixel(port, 60, 60), sp_testing::ReadPixel(port, 79, 69),
                 sp_testing::ReadPixel(port, 80, 60), sp_testing::ReadPixel(port, 60, 70)}),
            std::vector<UInt32>({kBlack, kBlack, kWhite, kWhite}));
  const Rect after = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&after));
  const Rect corner{100, 140, 110, 150};
  PaintRect(&corner);
  EXPECT_EQ(sp_testing::ReadPixel(port, 145, 105), kBlack) << "after EndUpdate all is drawable";
  SetOrigin(0, 0);
  SetPort(saved);

  // Invalidations during an update, outside what was handed over, survive it.
  Invalidate(w, 0, 0, 10, 10);
  BeginUpdate(w);
  Invalidate(w, 50, 50, 60, 60);
  EndUpdate(w);
  EndUpdate(w);  // without BeginUpdate: nothing
  EXPECT_TRUE(Same(sp_testing::UpdateRegionBounds(w), R(150, 150, 160, 160)));
}

TEST_F(WindowsEvents, UpdatesGoOnlyToVisibleWindowsWithSomethingToRedrawOncePerChange) {
  LogWindowEvents();
  WindowRef dirty = MakeWindow(R(30, 10, 100, 100));
  WindowRef clean = MakeWindow(R(30, 200, 100, 300));
  WindowRef hidden = MakeWindow(R(30, 400, 100, 500));
  HideWindow(hidden);
  Invalidate(dirty, 0, 0, 5, 5);
  Invalidate(hidden, 0, 0, 5, 5);
  sp_testing::PumpUntilIdle();
  // Nobody redrew (no standard handling, no handler took it): not asked again until more
  // is invalidated.
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(dirty, kEventWindowUpdate) * 100 + Count(clean, kEventWindowUpdate) * 10 +
                Count(hidden, kEventWindowUpdate),
            100);
  Invalidate(dirty, 20, 20, 25, 25);
  ShowWindow(hidden);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(dirty, kEventWindowUpdate), 2);
  EXPECT_EQ(Count(hidden, kEventWindowUpdate), 1) << "shown: its region is due now";

  // The update nobody took draws the content between BeginUpdate and EndUpdate.
  WindowRef w = Standard(R(100, 100, 160, 200));
  int calls = 0;
  GrafPtr drawnIn = nullptr;
  Listen(GetWindowEventTarget(w), {{kEventClassWindow, kEventWindowDrawContent}}, [&](EventRef) {
    ++calls;
    GetPort(&drawnIn);
    const Rect all{0, 0, 60, 100};
    PaintRect(&all);
    return OSStatus(noErr);
  });
  Invalidate(w, 0, 0, 10, 10);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(drawnIn, GetWindowPort(w)) << "the window's port is current while it draws";
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(w), 5, 5), kBlack);
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(w), 50, 50), kWhite);
  const Rect left = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&left));
}

TEST_F(WindowsEvents, ActivationFollowsTheFrontNonFloatingWindow) {
  LogWindowEvents();
  WindowRef a = MakeWindow(R(30, 10, 100, 100));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(a, kEventWindowActivated), 1);
  WindowRef b = MakeWindow(R(30, 200, 100, 300));
  WindowRef floating = MakeWindow(R(30, 400, 100, 500), 0, kFloatingWindowClass);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(a, kEventWindowDeactivated), 1);
  EXPECT_EQ(Count(b, kEventWindowActivated), 1);
  EXPECT_EQ(Count(floating, kEventWindowActivated), 0) << "floating windows are never active";
  SelectWindow(a);
  HideWindow(a);  // both before the loop runs: b ends active, a was never told
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(b, kEventWindowDeactivated), 0);
  EXPECT_EQ(Count(a, kEventWindowActivated), 1);
  seen_.clear();
  DisposeWindow(b);
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(seen_.empty()) << "a disposed window gets nothing, and no window is left";
}

TEST_F(WindowsEvents, CloseBoxReleasedInsideSendsCloseRequestOnly) {
  LogWindowEvents();
  WindowRef w = Standard(R(100, 100, 200, 300));
  Click(w, inGoAway);
  EXPECT_EQ(Count(w, kEventWindowClose), 1);
  EXPECT_TRUE(IsValidWindowPtr(w)) << "a close request nobody took leaves the window alone";
  EXPECT_EQ(Count(w, kEventWindowClosed), 0);
  const Point box = sp_testing::WindowPartPoint(w, inGoAway);
  Click(w, inGoAway, {Pt(box.h + 40, box.v)});  // released outside the box
  ChangeWindowAttributes(w, 0, kWindowStandardHandlerAttribute);
  Click(w, inGoAway);  // no standard handling without the attribute
  EXPECT_EQ(Count(w, kEventWindowClose), 1);
}

// The close and zoom boxes lie side by side: a press on one released over the other is a hit
// on neither, and each box alone still answers its own press.
TEST_F(WindowsEvents, ABoxPressedAndReleasedOverTheOtherBoxIsNoHit) {
  LogWindowEvents();
  WindowRef w = Standard(R(100, 100, 200, 300), kWindowFullZoomAttribute);
  const Point close = sp_testing::WindowPartPoint(w, inGoAway);
  const Point zoom = sp_testing::WindowPartPoint(w, inZoomOut);
  ASSERT_EQ(FindWindow(zoom, nullptr), inZoomOut);
  Rect before{};
  GetWindowBounds(w, kWindowContentRgn, &before);
  Click(w, inZoomOut, {close});
  Click(w, inGoAway, {zoom});
  EXPECT_EQ(Count(w, kEventWindowZoom), 0);
  EXPECT_EQ(Count(w, kEventWindowClose), 0);
  Rect after{};
  GetWindowBounds(w, kWindowContentRgn, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  Click(w, inZoomOut);
  Click(w, inGoAway);
  EXPECT_EQ(Count(w, kEventWindowZoom), 1);
  EXPECT_EQ(Count(w, kEventWindowClose), 1);
}

TEST_F(WindowsEvents, TitleStripDragSelectsMovesAndReportsTheDrag) {
  LogWindowEvents();
  WindowRef back = Standard(R(100, 100, 200, 300));
  WindowRef front = Standard(R(100, 400, 200, 600));
  const Point grip = sp_testing::WindowPartPoint(back, inDrag);
  Click(back, inDrag, {Pt(grip.h + 5, grip.v + 3), Pt(grip.h + 30, grip.v + 40)});
  EXPECT_TRUE(Same(Bounds(back), R(140, 130, 240, 330)));
  EXPECT_EQ(FrontWindow(), back);
  EXPECT_TRUE(IsWindowHilited(back) && !IsWindowHilited(front));
  EXPECT_EQ(Count(back, kEventWindowDragCompleted), 1);
  EXPECT_EQ(Count(back, kEventMouseDown), 0) << "the press was taken";
  // With Command the window moves without coming forward; the title strip stays below the
  // menu bar.
  SelectWindow(front);
  Click(back, inDrag, {Pt(grip.h + 30, -200)}, cmdKey);
  EXPECT_EQ(FrontWindow(), front);
  EXPECT_EQ(Bounds(back).top, GetMBarHeight() + kSpWindowTitleBarHeight);
}

TEST_F(WindowsEvents, GrowBoxResizeTakesTheCorrectedBoundsKeepsToTheLimitsThenReportsTheEnd) {
  LogWindowEvents();
  WindowRef w = Standard(R(100, 100, 200, 300), kWindowLiveResizeAttribute);
  // A bounds-changing handler that records what it saw and, if asked, keeps the width a
  // multiple of 50.
  bool correct = true;
  std::vector<Rect> proposed, during;
  Listen(GetWindowEventTarget(w), {{kEventClassWindow, kEventWindowBoundsChanging}},
         [&](EventRef e) {
           Rect r = Param<Rect>(e, kEventParamCurrentBounds, typeQDRectangle);
           proposed.push_back(r);
           during.push_back(Bounds(w));
           if (!correct) return OSStatus(eventNotHandledErr);
           r.right = SInt16(r.left + (r.right - r.left) / 50 * 50);
           SetEventParameter(e, kEventParamCurrentBounds, typeQDRectangle, sizeof r, &r);
           return OSStatus(noErr);
         });
  Point grow = sp_testing::WindowPartPoint(w, inGrow);
  Click(w, inGrow, {Pt(grow.h + 20, grow.v + 10), Pt(grow.h + 77, grow.v + 33)});
  ASSERT_EQ(proposed.size(), 2u);
  EXPECT_TRUE(Same(proposed[1], R(100, 100, 233, 377))) << "the mouse's travel is proposed";
  EXPECT_TRUE(Same(Bounds(w), R(100, 100, 233, 350)));
  EXPECT_TRUE(Same(during[1], R(100, 100, 210, 300))) << "live resizing follows each step";
  EXPECT_EQ(seen_.back(), std::pair(w, UInt32(kEventWindowResizeCompleted)));
  Rect port{};
  EXPECT_TRUE(Same(*GetWindowPortBounds(w, &port), R(0, 0, 133, 250)));

  // Without live resizing (bit 16 is no live-resize flag) it waits for the release.
  ChangeWindowAttributes(w, kWindowNoUpdatesAttribute, kWindowLiveResizeAttribute);
  SizeWindow(w, 200, 100, false);
  const HISize least{150, 80}, most{260, 120};
  ASSERT_EQ(SetWindowResizeLimits(w, &least, &most), noErr);
  correct = false;
  proposed.clear(), during.clear();
  grow = sp_testing::WindowPartPoint(w, inGrow);
  Click(w, inGrow, {Pt(grow.h - 190, grow.v - 90), Pt(grow.h + 300, grow.v + 300)});
  ASSERT_EQ(proposed.size(), 2u);
  EXPECT_TRUE(Same(proposed[0], R(100, 100, 180, 250)));
  EXPECT_TRUE(Same(proposed[1], R(100, 100, 220, 360)));
  EXPECT_TRUE(Same(during[1], R(100, 100, 200, 300))) << "no live resizing";
  EXPECT_TRUE(Same(Bounds(w), R(100, 100, 220, 360)));
}

TEST_F(WindowsEvents, AClickInABackWindowAsksItsActivationAndBringsItForward) {
  LogWindowEvents();
  WindowRef back = Standard(R(100, 100, 200, 300));
  WindowRef front = Standard(R(100, 400, 200, 600));
  Click(back, inContent);
  EXPECT_EQ(FrontWindow(), back);
  EXPECT_EQ(Count(back, kEventMouseDown), 1) << "by default the click goes on";
  Click(back, inContent);  // a front window's content click is the content's
  EXPECT_EQ(Count(back, kEventWindowGetClickActivation), 1);
  EXPECT_EQ(Count(back, kEventMouseDown), 2);
  Listen(GetWindowEventTarget(front), {{kEventClassWindow, kEventWindowGetClickActivation}},
         [](EventRef e) {
           ClickActivationResult r = kActivateAndIgnoreClick;
           SetEventParameter(e, kEventParamClickActivation, typeClickActivationResult, sizeof r,
                             &r);
           return OSStatus(noErr);
         });
  Click(front, inContent);
  EXPECT_EQ(FrontWindow(), front);
  EXPECT_EQ(Count(front, kEventMouseDown), 0) << "activated, the click ignored";
}

TEST_F(WindowsEvents, GrowWindowAndDragGrayRgnOnlyAnswerTheChosenTravel) {
  WindowRef w = MakeWindow(R(100, 100, 200, 300));  // 200 x 100
  const Rect box{50, 60, 150, 250};                 // heights 50..150, widths 60..250
  const struct {
    SInt16 dh, dv;
    const Rect* box;
    SInt32 answer;
  } cases[] = {
      {30, 20, nullptr, (120 << 16) | 230},
      {0, 0, nullptr, 0},
      {500, -90, &box, (50 << 16) | 250},
      {-190, 500, &box, (150 << 16) | 60},
  };
  for (const auto& c : cases) {
    sp_testing::PostClick(Pt(250, 190), {Pt(SInt16(250 + c.dh), SInt16(190 + c.dv))});
    EXPECT_EQ(GrowWindow(w, Pt(250, 190), c.box), c.answer) << c.dh << "," << c.dv;
    EXPECT_TRUE(Same(Bounds(w), R(100, 100, 200, 300))) << "GrowWindow only answers";
  }
  const Rect limit{50, 50, 400, 400}, slop{0, 0, 500, 500};
  static int actions = 0;
  sp_testing::PostClick(Pt(100, 100), {Pt(120, 90), Pt(450, 130)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, noConstraint,
                        NewDragGrayRgnUPP([] { ++actions; })),
            SInt32((30 << 16) | 299))
      << "the mouse is pinned to the limit";
  EXPECT_EQ(actions, 2);
  sp_testing::PostClick(Pt(100, 100), {Pt(120, 90)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, hAxisOnly, nullptr), 20);
  sp_testing::PostClick(Pt(100, 100), {Pt(600, 90)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, noConstraint, nullptr),
            SInt32(0x80008000u))
      << "outside the slop: nothing";
}

}  // namespace
}  // namespace ui_test
