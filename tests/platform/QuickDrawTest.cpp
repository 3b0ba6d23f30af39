#include <gtest/gtest.h>

#include <vector>

#include "MacWindows.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

constexpr ResType kCURS = SpFourCC("CURS");
constexpr ResType kCrsr = SpFourCC("crsr");

class QuickDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
  }
  void TearDown() override {
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
  }
};

Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  return Rect{top, left, bottom, right};
}

Point P(SInt16 h, SInt16 v) {
  return Point{v, h};
}

::testing::AssertionResult SameRect(const Rect& a, const Rect& b) {
  if (EqualRect(&a, &b)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << a.top << "," << a.left << "," << a.bottom << "," << a.right << ") != (" << b.top
         << "," << b.left << "," << b.bottom << "," << b.right << ")";
}

WindowRef MakeWindow(const Rect& content) {
  return NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
}

// A cursor whose rows, mask and hot spot differ, so byte-order and field-order faults show.
Cursor PatternCursor(UInt16 seed, SInt16 hotH, SInt16 hotV) {
  Cursor c{};
  for (int row = 0; row < 16; ++row) {
    c.data[row] = UInt16(seed + row * 0x0101);
    c.mask[row] = UInt16(0xF00F ^ (seed + row));
  }
  c.hotSpot = P(hotH, hotV);
  return c;
}

// ---- Ports and coordinates ----

TEST_F(QuickDraw, LocalAndGlobalFollowTheCurrentWindowPortAndItsOrigin) {
  WindowRef w = MakeWindow(R(50, 100, 250, 400));
  ASSERT_NE(w, nullptr);
  SetPortWindowPort(w);

  Point pt = P(0, 0);
  LocalToGlobal(&pt);
  EXPECT_TRUE(EqualPt(pt, P(100, 50))) << "local (0,0) is the content's top-left";

  SetOrigin(10, 20);
  Rect bounds;
  ASSERT_NE(GetPortBounds(GetWindowPort(w), &bounds), nullptr);
  EXPECT_TRUE(SameRect(bounds, R(20, 10, 220, 310))) << "the port keeps its size";

  struct Case {
    Point local;
    Point global;
  } cases[] = {
      {P(10, 20), P(100, 50)},     // the new origin is still the content's corner
      {P(0, 0), P(90, 30)},        // left of and above the content
      {P(310, 220), P(400, 250)},  // the content's far corner
      {P(-5, -7), P(85, 23)},
  };
  for (const Case& c : cases) {
    Point g = c.local;
    LocalToGlobal(&g);
    EXPECT_TRUE(EqualPt(g, c.global)) << c.local.h << "," << c.local.v;
    GlobalToLocal(&g);
    EXPECT_TRUE(EqualPt(g, c.local)) << "round trip of " << c.local.h << "," << c.local.v;
  }

  // Moving the window moves its local coordinates with it; the origin stays.
  MoveWindow(w, 300, 200, false);
  pt = P(10, 20);
  LocalToGlobal(&pt);
  EXPECT_TRUE(EqualPt(pt, P(300, 200)));
}

TEST_F(QuickDraw, ConversionUsesOnlyTheCurrentPort) {
  WindowRef a = MakeWindow(R(40, 40, 100, 100));
  WindowRef b = MakeWindow(R(300, 500, 400, 600));
  GrafPtr screen;
  GetPort(&screen);
  EXPECT_EQ(GetWindowFromPort(screen), nullptr) << "the screen's port stands alone at start";

  SetPortWindowPort(a);
  SetOrigin(5, 5);
  SetPortWindowPort(b);
  Point pt = P(0, 0);
  LocalToGlobal(&pt);
  EXPECT_TRUE(EqualPt(pt, P(500, 300))) << "a's origin does not leak into b";

  SetPort(screen);
  pt = P(123, 45);
  LocalToGlobal(&pt);
  EXPECT_TRUE(EqualPt(pt, P(123, 45))) << "the screen's port is global";
}

TEST_F(QuickDraw, DisposingTheCurrentWindowLeavesTheScreenPortCurrent) {
  GrafPtr screen;
  GetPort(&screen);
  WindowRef w = MakeWindow(R(50, 60, 150, 160));
  CGrafPtr port = GetWindowPort(w);
  SetPort(port);
  DisposeWindow(w);

  GrafPtr now;
  GetPort(&now);
  EXPECT_EQ(now, screen);
  SetPort(port);  // a stale port is refused, not made current
  GetPort(&now);
  EXPECT_EQ(now, screen);
  EXPECT_FALSE(IsValidPort(port));
  Rect r = R(1, 2, 3, 4);
  EXPECT_EQ(GetPortBounds(port, &r), nullptr);
  EXPECT_TRUE(SameRect(r, R(1, 2, 3, 4)));
}

TEST_F(QuickDraw, WindowPortAndWindowFindEachOther) {
  WindowRef w = MakeWindow(R(10, 10, 60, 90));
  CGrafPtr port = GetWindowPort(w);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(GetWindowFromPort(port), w);
  Rect bounds;
  ASSERT_NE(GetWindowPortBounds(w, &bounds), nullptr);
  EXPECT_TRUE(SameRect(bounds, R(0, 0, 50, 80)));
  EXPECT_EQ(GetWindowPort(nullptr), nullptr);
}

// ---- Rectangles and points ----

TEST_F(QuickDraw, SectRectOfRectsThatDoNotOverlapIsFalseAndEmpty) {
  struct Case {
    Rect a, b;
    bool overlap;
    Rect expected;
    const char* why;
  } cases[] = {
      {R(0, 0, 10, 10), R(5, 5, 20, 20), true, R(5, 5, 10, 10), "overlap"},
      {R(0, 0, 10, 10), R(20, 20, 30, 30), false, R(0, 0, 0, 0), "disjoint"},
      {R(0, 0, 10, 10), R(0, 10, 10, 20), false, R(0, 0, 0, 0), "sharing an edge only"},
      {R(0, 0, 10, 10), R(3, 3, 3, 8), false, R(0, 0, 0, 0), "empty second rectangle"},
      {R(10, 10, 0, 0), R(0, 0, 10, 10), false, R(0, 0, 0, 0), "inverted first rectangle"},
      {R(-10, -10, 5, 5), R(0, 0, 10, 10), true, R(0, 0, 5, 5), "negative coordinates"},
      {R(2, 2, 8, 8), R(0, 0, 10, 10), true, R(2, 2, 8, 8), "one inside the other"},
  };
  for (const Case& c : cases) {
    Rect out = R(99, 99, 99, 99);
    EXPECT_EQ(bool(SectRect(&c.a, &c.b, &out)), c.overlap) << c.why;
    EXPECT_TRUE(SameRect(out, c.expected)) << c.why;
  }
}

TEST_F(QuickDraw, RectHelpersMayWriteOverTheirSource) {
  Rect a = R(0, 0, 10, 10);
  const Rect b = R(5, 5, 20, 20);
  EXPECT_TRUE(SectRect(&a, &b, &a));
  EXPECT_TRUE(SameRect(a, R(5, 5, 10, 10)));

  Rect c = R(0, 0, 10, 10);
  UnionRect(&c, &b, &c);
  EXPECT_TRUE(SameRect(c, R(0, 0, 20, 20)));
}

TEST_F(QuickDraw, InsetRectCollapsesToTheEmptyRectangle) {
  struct Case {
    Rect r;
    SInt16 dh, dv;
    Rect expected;
    const char* why;
  } cases[] = {
      {R(0, 0, 10, 20), 2, 3, R(3, 2, 7, 18), "inward"},
      {R(0, 0, 10, 20), -2, -3, R(-3, -2, 13, 22), "outward"},
      {R(0, 0, 10, 20), 5, 4, R(4, 5, 6, 15), "leaves 2 x 10"},
      {R(0, 0, 10, 20), 10, 0, R(0, 0, 0, 0), "no width left"},
      {R(10, 10, 20, 20), 0, 5, R(0, 0, 0, 0), "no height left"},
      {R(10, 10, 20, 20), 0, 6, R(0, 0, 0, 0), "inverted"},
  };
  for (const Case& c : cases) {
    Rect r = c.r;
    InsetRect(&r, c.dh, c.dv);
    EXPECT_TRUE(SameRect(r, c.expected)) << c.why;
  }
}

TEST_F(QuickDraw, PtInRectExcludesTheRightAndBottomEdges) {
  const Rect r = R(10, 20, 30, 40);
  struct Case {
    Point pt;
    bool inside;
  } cases[] = {
      {P(20, 10), true},  {P(39, 29), true},  {P(40, 15), false},
      {P(25, 30), false}, {P(19, 15), false}, {P(25, 9), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bool(PtInRect(c.pt, &r)), c.inside) << c.pt.h << "," << c.pt.v;
  }
  const Rect empty = R(10, 10, 10, 30);
  EXPECT_FALSE(PtInRect(P(15, 10), &empty));
}

TEST_F(QuickDraw, PointArithmeticKeepsHorizontalAndVertical) {
  Point p;
  SetPt(&p, 3, 7);
  EXPECT_EQ(p.h, 3);
  EXPECT_EQ(p.v, 7);
  AddPt(P(10, 20), &p);
  EXPECT_TRUE(EqualPt(p, P(13, 27)));
  SubPt(P(1, 2), &p);
  EXPECT_TRUE(EqualPt(p, P(12, 25)));
  Rect r;
  SetRect(&r, 1, 2, 3, 4);
  EXPECT_TRUE(SameRect(r, R(2, 1, 4, 3)));
  OffsetRect(&r, -1, 10);
  EXPECT_TRUE(SameRect(r, R(12, 0, 14, 2)));
}

// ---- The screen ----

TEST_F(QuickDraw, MainScreenFollowsTheTestScreenSize) {
  GDHandle device = GetMainDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(SameRect((**device).gdRect, R(0, 0, 768, 1024)));
  EXPECT_EQ(GetMBarHeight(), 20);

  sp_testing::SetScreenSize(1280, 800);
  EXPECT_TRUE(SameRect((**GetMainDevice()).gdRect, R(0, 0, 800, 1280)));
  BitMap bits;
  GetQDGlobalsScreenBits(&bits);
  EXPECT_TRUE(SameRect(bits.bounds, R(0, 0, 800, 1280)));
  GrafPtr screen;
  GetPort(&screen);
  Rect portRect;
  GetPortBounds(screen, &portRect);
  EXPECT_TRUE(SameRect(portRect, R(0, 0, 800, 1280)));
  EXPECT_EQ(GetGDevice(), GetMainDevice());
}

// ---- Cursors ----

TEST_F(QuickDraw, GetCursorDecodesTheBigEndianResource) {
  const Cursor source = PatternCursor(0x1234, 3, 11);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 610, sp_testing::MakeCursorResource(source)), noErr);
  CursHandle h = GetCursor(610);
  ASSERT_NE(h, nullptr);
  for (int row = 0; row < 16; ++row) {
    EXPECT_EQ((**h).data[row], source.data[row]) << row;
    EXPECT_EQ((**h).mask[row], source.mask[row]) << row;
  }
  EXPECT_EQ((**h).hotSpot.h, 3);
  EXPECT_EQ((**h).hotSpot.v, 11);
  EXPECT_EQ(GetCursor(610), h) << "one handle per id";
}

TEST_F(QuickDraw, MissingOrShortCursorResourcesGiveNull) {
  EXPECT_EQ(GetCursor(999), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_EQ(GetCCursor(999), nullptr);
  std::vector<UInt8> shortCursor(67, 0xFF);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 611, shortCursor), noErr);
  EXPECT_EQ(GetCursor(611), nullptr);
  std::vector<UInt8> shortColour(95, 0x00);
  ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 611, shortColour), noErr);
  EXPECT_EQ(GetCCursor(611), nullptr);
}

TEST_F(QuickDraw, GetCCursorReadsHotSpotAndOneBitImage) {
  const Cursor source = PatternCursor(0xA5A5, 7, 2);
  std::vector<UInt8> bytes = sp_testing::MakeColorCursorResource(source);
  bytes.insert(bytes.end(), {1, 2, 3, 4});  // a colour image the layer keeps for later
  ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 6140, bytes), noErr);
  CCrsrHandle a = GetCCursor(6140);
  CCrsrHandle b = GetCCursor(6140);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b) << "every call makes a cursor of its own";
  EXPECT_EQ((**a).crsrType, kSpColorCursorType);
  EXPECT_EQ((**a).crsrHotSpot.h, 7);
  EXPECT_EQ((**a).crsrHotSpot.v, 2);
  EXPECT_EQ((**a).crsr1Data[15], source.data[15]);
  EXPECT_EQ((**a).crsrMask[0], source.mask[0]);
  DisposeCCursor(a);
  DisposeCCursor(b);
}

TEST_F(QuickDraw, CursorRecordTellsWhichCursorWasSet) {
  const Cursor bw = PatternCursor(0x0F0F, 1, 1);
  const Cursor colour = PatternCursor(0x3333, 2, 2);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 610, sp_testing::MakeCursorResource(bw)), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 611, sp_testing::MakeColorCursorResource(colour)),
            noErr);
  CursHandle h = GetCursor(610);
  CCrsrHandle c = GetCCursor(611);
  ASSERT_NE(h, nullptr);
  ASSERT_NE(c, nullptr);

  EXPECT_EQ(sp_testing::CurrentCursor().kind, sp_testing::CursorKind::kArrow);
  SetCursor(*h);
  EXPECT_EQ(sp_testing::CurrentCursor().kind, sp_testing::CursorKind::kCursor);
  EXPECT_EQ(sp_testing::CurrentCursor().id, 610);

  SetCCursor(c);
  EXPECT_EQ(sp_testing::CurrentCursor().kind, sp_testing::CursorKind::kColorCursor);
  EXPECT_EQ(sp_testing::CurrentCursor().id, 611);

  Cursor copy = **h;  // a copy of a loaded cursor is still that cursor
  SetCursor(&copy);
  EXPECT_EQ(sp_testing::CurrentCursor().id, 610);

  Cursor arrow;
  SetCursor(GetQDGlobalsArrow(&arrow));
  EXPECT_EQ(sp_testing::CurrentCursor().kind, sp_testing::CursorKind::kArrow);

  Cursor custom = PatternCursor(0x7777, 0, 0);
  SetCursor(&custom);
  EXPECT_EQ(sp_testing::CurrentCursor().kind, sp_testing::CursorKind::kOther);

  const UInt32 changes = sp_testing::CurrentCursor().changeCount;
  DisposeCCursor(c);
  SetCCursor(c);  // a disposed cursor is refused
  SetCursor(nullptr);
  EXPECT_EQ(sp_testing::CurrentCursor().changeCount, changes);
  EXPECT_EQ(sp_testing::CurrentCursor().kind, sp_testing::CursorKind::kOther);

  InitCursor();
  EXPECT_EQ(sp_testing::CurrentCursor().kind, sp_testing::CursorKind::kArrow);
  EXPECT_EQ(sp_testing::CurrentCursor().changeCount, changes + 1);
}

TEST_F(QuickDraw, CursorVisibilityCountsHideAndShow) {
  struct Step {
    void (*call)();
    bool visible;
    SInt32 level;
  } steps[] = {
      {HideCursor, false, -1},   {HideCursor, false, -2}, {ShowCursor, false, -1},
      {ShowCursor, true, 0},     {ShowCursor, true, 0},  // never above 0
      {HideCursor, false, -1},   {InitCursor, true, 0},  // InitCursor shows it at once
      {ObscureCursor, false, 0},
  };
  int i = 0;
  for (const Step& s : steps) {
    s.call();
    EXPECT_EQ(sp_testing::CurrentCursor().visible, s.visible) << "step " << i;
    EXPECT_EQ(sp_testing::CurrentCursor().hideLevel, s.level) << "step " << i;
    ++i;
  }
}

}  // namespace
