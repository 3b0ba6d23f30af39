#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "QDRegions.h"
#include "TestQuickDraw.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using Windows = UiTest;

bool Same(const Rect& a, const Rect& b) {
  return EqualRect(&a, &b);
}

WindowRef Make(WindowClass windowClass, const Rect& content, bool visible = true) {
  WindowRef w = MakeWindow(content, kWindowNoAttributes, windowClass);
  if (!visible) HideWindow(w);
  return w;
}

WindowRef Document(const Rect& content = R(100, 100, 300, 400)) {
  return Make(kDocumentWindowClass, content);
}

using List = std::vector<WindowRef>;

TEST_F(Windows, SelectAndSendBehindReorderWithinTheList) {
  WindowRef a = Document();
  WindowRef b = Document();
  WindowRef c = Document();
  EXPECT_EQ(sp_testing::WindowList(), (List{c, b, a})) << "new windows come in front";

  SelectWindow(a);
  EXPECT_EQ(sp_testing::WindowList(), (List{a, c, b}));
  SendBehind(a, b);
  EXPECT_EQ(sp_testing::WindowList(), (List{c, b, a}));
  SendBehind(c, nullptr);
  EXPECT_EQ(sp_testing::WindowList(), (List{b, a, c}));
  SendBehind(b, a);
  EXPECT_EQ(sp_testing::WindowList(), (List{a, b, c}));
  BringToFront(c);
  EXPECT_EQ(sp_testing::WindowList(), (List{c, a, b}));
  EXPECT_EQ(GetNextWindow(c), a);
  EXPECT_EQ(GetNextWindow(b), nullptr);
  // NewCWindow's behind argument places the window.
  const Rect r = R(50, 50, 100, 100);
  WindowRef d = NewCWindow(nullptr, &r, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  WindowRef e = NewCWindow(nullptr, &r, nullptr, true, documentProc, nullptr, false, 0);
  WindowRef f = NewCWindow(nullptr, &r, nullptr, true, documentProc, d, false, 0);
  EXPECT_EQ(sp_testing::WindowList(), (List{d, f, c, a, b, e}));
}

TEST_F(Windows, HidingKeepsThePlaceButLeavesFrontWindowToTheNext) {
  WindowRef a = Document();
  WindowRef b = Document();
  HideWindow(b);
  EXPECT_EQ(sp_testing::WindowList(), (List{b, a}));
  EXPECT_EQ(FrontWindow(), a);
  EXPECT_EQ(GetNextWindow(b), a) << "hidden windows are still listed";
  EXPECT_EQ(GetNextWindowOfClass(b, kDocumentWindowClass, true), a);
  ShowHide(b, true);
  EXPECT_EQ(FrontWindow(), b);
  HideWindow(a);
  HideWindow(b);
  EXPECT_EQ(FrontWindow(), nullptr);
  EXPECT_EQ(sp_testing::VisibleWindows(), List{});
}

TEST_F(Windows, FloatingAndModalLayersStayInFrontOfDocuments) {
  WindowRef modal = Make(kMovableModalWindowClass, R(10, 10, 50, 50));
  WindowRef floating = Make(kFloatingWindowClass, R(10, 10, 50, 50));
  WindowRef doc1 = Document();
  WindowRef doc2 = Document();
  EXPECT_EQ(sp_testing::WindowList(), (List{modal, floating, doc2, doc1}));

  SelectWindow(doc1);
  EXPECT_EQ(sp_testing::WindowList(), (List{modal, floating, doc1, doc2}));
  SendBehind(floating, nullptr);  // the back of its own layer: still above documents
  EXPECT_EQ(sp_testing::WindowList(), (List{modal, floating, doc1, doc2}));
  SendBehind(doc2, modal);  // behind a window of a front layer: the front of its own
  EXPECT_EQ(sp_testing::WindowList(), (List{modal, floating, doc2, doc1}));

  EXPECT_EQ(FrontWindow(), modal);
  HideWindow(modal);
  EXPECT_EQ(FrontWindow(), floating);
  EXPECT_EQ(FrontNonFloatingWindow(), doc2);
}

TEST_F(Windows, FindWindowPrefersTheFrontMostVisibleWindow) {
  WindowRef back = Document(R(100, 100, 300, 300));
  WindowRef front = Document(R(200, 200, 400, 400));
  WindowRef hidden = Make(kPlainWindowClass, R(0, 0, 768, 1024), false);
  WindowRef plain = Make(kPlainWindowClass, R(500, 600, 600, 700));
  WindowRef high = Document(R(10, 800, 300, 1000));  // under the menu bar
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
  };
  for (const Case& c : cases) {
    WindowRef found = hidden;
    EXPECT_EQ(FindWindow(c.pt, &found), c.part) << c.why;
    EXPECT_EQ(found, c.window) << c.why;
  }
  EXPECT_EQ(FindWindow(Pt(250, 250), nullptr), inContent) << "the window argument may be null";
}

TEST_F(Windows, BoundsMoveAndSize) {
  WindowRef w = Document(R(100, 50, 300, 450));
  WindowRef plain = Make(kPlainWindowClass, R(10, 10, 20, 20));
  Rect r;
  EXPECT_TRUE(Same(Bounds(w), R(100, 50, 300, 450)));
  EXPECT_TRUE(Same(Bounds(w, kWindowStructureRgn), R(100 - kSpWindowTitleBarHeight, 50, 300, 450)));
  EXPECT_TRUE(Same(Bounds(plain, kWindowStructureRgn), R(10, 10, 20, 20)));

  EXPECT_EQ(FrontWindow(), plain);
  MoveWindow(w, 10, 40, true);
  EXPECT_EQ(FrontWindow(), w) << "moving to the front selects the window";
  EXPECT_TRUE(Same(Bounds(w), R(40, 10, 240, 410)));
  SizeWindow(w, 0, 500, true);  // a zero size changes nothing
  SizeWindow(w, 100, 60, true);
  EXPECT_TRUE(Same(Bounds(w), R(40, 10, 100, 110)));
  Rect port;
  EXPECT_TRUE(Same(*GetWindowPortBounds(w, &port), R(0, 0, 60, 100)));

  const Rect structure = R(200, 200, 300, 400);
  ASSERT_EQ(SetWindowBounds(w, kWindowStructureRgn, &structure), noErr);
  EXPECT_TRUE(Same(Bounds(w), R(200 + kSpWindowTitleBarHeight, 200, 300, 400)));
  EXPECT_EQ(GetWindowBounds(w, kWindowUpdateRgn, &r), errWindowRegionCodeInvalid);
}

TEST_F(Windows, NewCWindowKeepsTitleRefConAndClassOfItsDefinition) {
  struct Case {
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
  for (const Case& c : cases) {
    WindowRef w =
        NewCWindow(nullptr, &r, nullptr, false, c.procID, kFirstWindowOfClass, c.goAway, 0);
    ASSERT_NE(w, nullptr) << c.procID;
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

TEST_F(Windows, CreateNewWindowRefusesBadArgumentsAndFailsCleanly) {
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
}

TEST_F(Windows, DisposedWindowsAreRefusedEverywhere) {
  WindowRef w = Document();
  SetWRefCon(w, 77);
  DisposeWindow(w);
  EXPECT_FALSE(IsValidWindowPtr(w));
  EXPECT_TRUE(sp_testing::WindowList().empty());
  // None of these may touch the freed record.
  EXPECT_EQ(GetWRefCon(w), 0);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(GetWindowPort(w), nullptr);
  EXPECT_EQ(GetWindowEventTarget(w), nullptr);
  Rect r;
  EXPECT_EQ(GetWindowBounds(w, kWindowContentRgn, &r), errInvalidWindowPtr);
  SelectWindow(w);
  ShowWindow(w);
  SendBehind(w, nullptr);
  DisposeWindow(w);
  EXPECT_TRUE(sp_testing::WindowList().empty());
  Str255 title = {3, 'a', 'b', 'c'};
  GetWTitle(w, title);
  EXPECT_EQ(title[0], 0);
}

std::vector<bool> Hilites(const List& windows) {
  std::vector<bool> out;
  for (WindowRef w : windows) out.push_back(IsWindowHilited(w));
  return out;
}

TEST_F(Windows, TheFrontVisibleWindowOfEachLayerIsHilited) {
  WindowRef a = Document();
  WindowRef b = Document();
  WindowRef c = Document();
  WindowRef floating = Make(kFloatingWindowClass, R(10, 10, 50, 50));
  using H = std::vector<bool>;
  EXPECT_EQ(Hilites({a, b, c, floating}), (H{false, false, true, true}))
      << "each new front window takes the hilite of its layer";

  SelectWindow(a);
  EXPECT_EQ(Hilites({a, b, c, floating}), (H{true, false, false, true}));
  HideWindow(a);
  EXPECT_EQ(Hilites({a, b, c}), (H{false, false, true})) << "the next in front takes it";
  ShowWindow(a);
  EXPECT_EQ(Hilites({a, b, c}), (H{true, false, false})) << "shown in front, it takes it back";
  SendBehind(a, nullptr);
  EXPECT_EQ(Hilites({a, b, c}), (H{false, false, true}));
  DisposeWindow(c);
  EXPECT_EQ(Hilites({a, b}), (H{false, true}));

  // The calls that leave hiliting to the caller.
  BringToFront(a);
  EXPECT_EQ(Hilites({a, b}), (H{false, true}));
  HiliteWindow(b, false);
  ShowHide(a, false);
  ShowHide(a, true);
  EXPECT_EQ(Hilites({a, b}), (H{false, false}));
  EXPECT_EQ(GetWindowList(), floating);
}

TEST_F(Windows, PropertiesAreCopiedReplacedAndRemoved) {
  WindowRef w = Document();
  const OSType creator = SpFourCC("SpAp");
  const OSType tag = SpFourCC("objc");
  const UInt32 value = 0x11223344;
  ASSERT_EQ(SetWindowProperty(w, creator, tag, sizeof value, &value), noErr);
  const char text[] = "longer value";
  ASSERT_EQ(SetWindowProperty(w, creator, SpFourCC("text"), sizeof text, text), noErr);

  UInt32 got = 0;
  ByteCount size = 0;
  EXPECT_EQ(GetWindowProperty(w, creator, tag, sizeof got, &size, &got), noErr);
  EXPECT_EQ(got, value);
  EXPECT_EQ(size, sizeof value);
  char small[4] = {};
  EXPECT_EQ(GetWindowProperty(w, creator, SpFourCC("text"), sizeof small, &size, small), noErr);
  EXPECT_EQ(std::string(small, 4), "long") << "only the buffer's size is copied";
  EXPECT_EQ(size, sizeof text);

  const UInt16 replaced = 7;
  SetWindowProperty(w, creator, tag, sizeof replaced, &replaced);
  EXPECT_EQ(GetWindowPropertySize(w, creator, tag, &size), noErr);
  EXPECT_EQ(size, sizeof replaced);
  EXPECT_EQ(RemoveWindowProperty(w, creator, tag), noErr);
  EXPECT_EQ(GetWindowProperty(w, creator, tag, sizeof got, nullptr, &got),
            errWindowPropertyNotFound);
  EXPECT_EQ(RemoveWindowProperty(w, creator, tag), errWindowPropertyNotFound);
  EXPECT_EQ(GetWindowProperty(w, SpFourCC("othr"), SpFourCC("text"), 0, &size, nullptr),
            errWindowPropertyNotFound)
      << "properties are told apart by creator too";
  EXPECT_EQ(SetWindowProperty(w, creator, tag, 4, nullptr), paramErr);
}

TEST_F(Windows, ResizeLimitsAreWholePixelsAndTheMaximumNeverBelowTheMinimum) {
  WindowRef w = Document();
  HISize least{0, 0};
  HISize most{0, 0};
  ASSERT_EQ(GetWindowResizeLimits(w, &least, &most), noErr);
  EXPECT_EQ(least.width, 32);
  EXPECT_EQ(most.height, 32767);
  const HISize min{120.4, -5};
  const HISize max{100, 1e9};
  ASSERT_EQ(SetWindowResizeLimits(w, &min, &max), noErr);
  GetWindowResizeLimits(w, &least, &most);
  EXPECT_EQ(least.width, 120);
  EXPECT_EQ(least.height, 1);
  EXPECT_EQ(most.width, 120) << "raised to the minimum";
  EXPECT_EQ(most.height, 32767);
  EXPECT_EQ(SetWindowResizeLimits(nullptr, &min, nullptr), errInvalidWindowPtr);
}

TEST_F(Windows, GrowingFillsTheNewStripsWithTheContentColourAndInvalidatesThemWhenAsked) {
  WindowRef w = Document(R(100, 100, 140, 160));  // 60 x 40
  CGrafPtr port = GetWindowPort(w);
  sp_testing::FillPort(port, 0x000000);
  const RGBColor grey = {0x8080, 0x8080, 0x8080};
  ASSERT_EQ(SetWindowContentColor(w, &grey), noErr);
  SizeWindow(w, 80, 50, false);
  EXPECT_EQ(sp_testing::ReadPixel(port, 59, 39), 0x000000u) << "the old image stays";
  EXPECT_EQ(sp_testing::ReadPixel(port, 60, 0), 0x808080u) << "the new right strip";
  EXPECT_EQ(sp_testing::ReadPixel(port, 0, 40), 0x808080u) << "the new bottom strip";
  const Rect none = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&none)) << "fUpdate false: nothing due";
  SizeWindow(w, 90, 50, true);
  const Rect due = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(Same(due, R(100, 180, 150, 190)));
  RGBColor got{};
  GetWindowContentColor(w, &got);
  EXPECT_EQ(got.red, grey.red);
}

TEST_F(Windows, SheetsLieJustInFrontOfTheirParentAndLeaveWithIt) {
  WindowRef parent = Document(R(100, 100, 300, 500));
  WindowRef other = Document(R(400, 100, 500, 200));
  SelectWindow(parent);
  WindowRef sheet = nullptr;
  const Rect r = R(0, 0, 80, 200);
  ASSERT_EQ(CreateNewWindow(kSheetWindowClass, kWindowNoAttributes, &r, &sheet), noErr);
  EXPECT_EQ(ShowSheetWindow(sheet, parent), noErr);
  EXPECT_EQ(sp_testing::WindowList(), (List{sheet, parent, other}));
  EXPECT_TRUE(Same(Bounds(sheet), R(100, 200, 180, 400)))
      << "at the parent's top, centred across it";
  EXPECT_TRUE(IsWindowHilited(sheet));
  EXPECT_FALSE(IsWindowHilited(parent));
  WindowRef found = nullptr;
  GetSheetWindowParent(sheet, &found);
  EXPECT_EQ(found, parent);

  EXPECT_EQ(HideSheetWindow(sheet), noErr);
  EXPECT_TRUE(IsWindowHilited(parent));
  GetSheetWindowParent(sheet, &found);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(ShowSheetWindow(other, parent), paramErr) << "only sheets";
  ShowSheetWindow(sheet, parent);
  DisposeWindow(parent);
  GetSheetWindowParent(sheet, &found);
  EXPECT_EQ(found, nullptr) << "no dangling parent";
}

}  // namespace
}  // namespace ui_test
