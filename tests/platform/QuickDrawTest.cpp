// Ports and coordinates, rectangles and points, the screen, and cursors.
#include <gtest/gtest.h>

#include <vector>

#include "MacMemory.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "TestResources.h"
#include "TestWindows.h"
#include "quickdraw/detail/Cursors.h"

namespace {

constexpr ResType kCURS = SpFourCC("CURS");
constexpr ResType kCrsr = SpFourCC("crsr");
constexpr SInt16 kColourCursor = 9074;  // top half green (left) and red (right); hot spot 3, 5

class QuickDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
  }
  void TearDown() override {
    sp_platform::ResetCursor();
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

TEST_F(QuickDraw, LocalAndGlobalFollowTheCurrentPortAndItsOrigin) {
  WindowRef other = MakeWindow(R(300, 500, 400, 600));
  WindowRef w = MakeWindow(R(50, 100, 250, 400));
  GrafPtr screen;
  GetPort(&screen);
  EXPECT_EQ(GetWindowFromPort(screen), nullptr) << "the screen's port stands alone at start";
  SetPortWindowPort(w);
  SetOrigin(10, 20);
  Rect bounds;
  ASSERT_NE(GetPortBounds(GetWindowPort(w), &bounds), nullptr);
  EXPECT_TRUE(SameRect(bounds, R(20, 10, 220, 310))) << "the port keeps its size";
  const struct {
    Point local, global;
  } cases[] = {
      {P(10, 20), P(100, 50)},     // the new origin is still the content's corner
      {P(0, 0), P(90, 30)},        // left of and above the content
      {P(310, 220), P(400, 250)},  // the content's far corner
      {P(-5, -7), P(85, 23)},
  };
  for (const auto& c : cases) {
    Point g = c.local;
    LocalToGlobal(&g);
    EXPECT_TRUE(EqualPt(g, c.global)) << c.local.h << "," << c.local.v;
    GlobalToLocal(&g);
    EXPECT_TRUE(EqualPt(g, c.local)) << "round trip of " << c.local.h << "," << c.local.v;
  }
  MoveWindow(w, 300, 200, false);  // local coordinates move with the window; the origin stays
  Point pt = P(10, 20);
  LocalToGlobal(&pt);
  EXPECT_TRUE(EqualPt(pt, P(300, 200)));
  SetPortWindowPort(other);
  pt = P(0, 0);
  LocalToGlobal(&pt);
  EXPECT_TRUE(EqualPt(pt, P(500, 300))) << "w's origin does not leak into another window";
  SetPort(screen);
  pt = P(123, 45);
  LocalToGlobal(&pt);
  EXPECT_TRUE(EqualPt(pt, P(123, 45))) << "the screen's port is global";
}

TEST_F(QuickDraw, DisposingTheCurrentWindowLeavesTheScreenPortCurrent) {
  GrafPtr screen, now;
  GetPort(&screen);
  WindowRef w = MakeWindow(R(10, 10, 60, 90));
  CGrafPtr port = GetWindowPort(w);
  EXPECT_EQ(GetWindowFromPort(port), w);
  Rect r;
  ASSERT_NE(GetWindowPortBounds(w, &r), nullptr);
  EXPECT_TRUE(SameRect(r, R(0, 0, 50, 80)));
  SetPort(port);
  DisposeWindow(w);
  GetPort(&now);
  EXPECT_EQ(now, screen);
  SetPort(port);  // a stale port is refused, not made current
  GetPort(&now);
  EXPECT_EQ(now, screen);
  EXPECT_FALSE(IsValidPort(port));
  r = R(1, 2, 3, 4);
  EXPECT_EQ(GetPortBounds(port, &r), nullptr);
  EXPECT_TRUE(SameRect(r, R(1, 2, 3, 4)));
  EXPECT_EQ(GetWindowPort(nullptr), nullptr);
}

TEST_F(QuickDraw, SectRectOfRectsThatDoNotOverlapIsFalseAndEmpty) {
  const struct {
    Rect a, b;
    bool overlap;
    Rect expected;
    const char* why;
  } cases[] = {
      {R(0, 0, 10, 10), R(5, 5, 20, 20), true, R(5, 5, 10, 10), "overlap"},
      {R(0, 0, 10, 10), R(20, 20, 30, 30), false, R(0, 0, 0, 0), "disjoint"},
      {R(0, 0, 10, 10), R(0, 10, 10, 20), false, R(0, 0, 0, 0), "sharing an edge only"},
      {R(0, 0, 10, 10), R(0, 9, 10, 20), true, R(0, 9, 10, 10), "one column shared"},
      {R(0, 0, 10, 10), R(3, 3, 3, 8), false, R(0, 0, 0, 0), "empty second rectangle"},
      {R(10, 10, 0, 0), R(0, 0, 10, 10), false, R(0, 0, 0, 0), "inverted first rectangle"},
      {R(-10, -10, 5, 5), R(0, 0, 10, 10), true, R(0, 0, 5, 5), "negative coordinates"},
  };
  for (const auto& c : cases) {
    Rect out = R(99, 99, 99, 99);
    EXPECT_EQ(bool(SectRect(&c.a, &c.b, &out)), c.overlap) << c.why;
    EXPECT_TRUE(SameRect(out, c.expected)) << c.why;
    Rect a = c.a;  // the result may be written over a source
    SectRect(&a, &c.b, &a);
    EXPECT_TRUE(SameRect(a, c.expected)) << c.why;
  }
  Rect c = R(0, 0, 10, 10);
  const Rect b = R(5, 5, 20, 20);
  UnionRect(&c, &b, &c);
  EXPECT_TRUE(SameRect(c, R(0, 0, 20, 20)));
}

TEST_F(QuickDraw, InsetRectCollapsesToTheEmptyRectangle) {
  const struct {
    Rect r;
    SInt16 dh, dv;
    Rect expected;
    const char* why;
  } cases[] = {
      {R(0, 0, 10, 20), 2, 3, R(3, 2, 7, 18), "inward"},
      {R(0, 0, 10, 20), -2, -3, R(-3, -2, 13, 22), "outward"},
      {R(0, 0, 10, 20), 9, 4, R(4, 9, 6, 11), "leaves 2 x 2"},
      {R(0, 0, 10, 20), 10, 0, R(0, 0, 0, 0), "no width left"},
      {R(10, 10, 20, 20), 0, 5, R(0, 0, 0, 0), "no height left"},
      {R(10, 10, 20, 20), 0, 6, R(0, 0, 0, 0), "inverted"},
  };
  for (const auto& c : cases) {
    Rect r = c.r;
    InsetRect(&r, c.dh, c.dv);
    EXPECT_TRUE(SameRect(r, c.expected)) << c.why;
  }
}

TEST_F(QuickDraw, PtInRectExcludesTheRightAndBottomEdges) {
  const Rect r = R(10, 20, 30, 40), empty = R(10, 10, 10, 30);
  const struct {
    Point pt;
    bool inside;
  } cases[] = {
      {P(20, 10), true},  {P(39, 29), true},  {P(40, 15), false},
      {P(25, 30), false}, {P(19, 15), false}, {P(25, 9), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bool(PtInRect(c.pt, &r)), c.inside) << c.pt.h << "," << c.pt.v;
  }
  EXPECT_FALSE(PtInRect(P(15, 10), &empty));
  Point p;
  SetPt(&p, 3, 7);
  AddPt(P(10, 20), &p);
  SubPt(P(1, 2), &p);
  EXPECT_TRUE(EqualPt(p, P(12, 25)));
  Rect s;
  SetRect(&s, 1, 2, 3, 4);
  OffsetRect(&s, -1, 10);
  EXPECT_TRUE(SameRect(s, R(12, 0, 14, 2)));
}

TEST_F(QuickDraw, MainScreenIsThirtyTwoBitsAndFollowsTheTestScreenSize) {
  GDHandle device = GetMainDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(SameRect((**device).gdRect, R(0, 0, 768, 1024)));
  EXPECT_EQ((**(**device).gdPMap).pixelSize, 32);
  EXPECT_EQ(GetMaxDevice(nullptr), device);
  EXPECT_EQ(GetGDevice(), device);
  EXPECT_EQ(GetMBarHeight(), 20);
  sp_testing::SetScreenSize(1280, 800);
  EXPECT_TRUE(SameRect((**device).gdRect, R(0, 0, 800, 1280)));
  EXPECT_TRUE(SameRect((**(**device).gdPMap).bounds, R(0, 0, 800, 1280)));
  BitMap bits;
  GetQDGlobalsScreenBits(&bits);
  EXPECT_TRUE(SameRect(bits.bounds, R(0, 0, 800, 1280)));
  GrafPtr screen;
  GetPort(&screen);
  Rect portRect;
  GetPortBounds(screen, &portRect);
  EXPECT_TRUE(SameRect(portRect, R(0, 0, 800, 1280)));
  RGBColor back = {0xFFFF, 0xFFFF, 0xFFFF}, fore = {6898, 6898, 6898};
  EXPECT_TRUE(GetGray(device, &back, &fore));
  EXPECT_EQ(fore.red, (0xFFFF + 6898) / 2);
  EXPECT_FALSE(GetGray(device, nullptr, &fore));
}

TEST_F(QuickDraw, CursorResourcesAreDecodedBigEndianAndShortOnesRefused) {
  const Cursor source = PatternCursor(0x1234, 3, 11);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 610, sp_testing::MakeCursorResource(source)), noErr);
  std::vector<UInt8> colour = sp_testing::MakeColorCursorResource(PatternCursor(0xA5A5, 7, 2));
  colour.insert(colour.end(), {1, 2, 3, 4});  // a colour image the layer keeps for later
  ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 610, colour), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 611, std::vector<UInt8>(67, 0xFF)), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 612, std::vector<UInt8>(68, 0xFF)), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 611, std::vector<UInt8>(95, 0)), noErr);
  CursHandle h = GetCursor(610);
  ASSERT_NE(h, nullptr);
  for (int row = 0; row < 16; ++row) {
    EXPECT_EQ((**h).data[row], source.data[row]) << row;
    EXPECT_EQ((**h).mask[row], source.mask[row]) << row;
  }
  EXPECT_EQ((**h).hotSpot.h, 3);
  EXPECT_EQ((**h).hotSpot.v, 11);
  EXPECT_EQ(GetCursor(610), h) << "one handle per id";
  CCrsrHandle a = GetCCursor(610), b = GetCCursor(610);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b) << "every call makes a colour cursor of its own";
  EXPECT_EQ((**a).crsrType, kSpColorCursorType);
  EXPECT_EQ((**a).crsrHotSpot.h, 7);
  EXPECT_EQ((**a).crsrHotSpot.v, 2);
  EXPECT_EQ((**a).crsr1Data[15], PatternCursor(0xA5A5, 7, 2).data[15]);
  DisposeCCursor(a);
  DisposeCCursor(b);
  EXPECT_EQ(GetCursor(611), nullptr) << "one byte short";
  EXPECT_NE(GetCursor(612), nullptr);
  EXPECT_EQ(GetCCursor(611), nullptr);
  EXPECT_EQ(GetCursor(999), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_EQ(GetCCursor(999), nullptr);
}

TEST_F(QuickDraw, CursorRecordTellsWhichCursorWasSet) {
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 610,
                                       sp_testing::MakeCursorResource(PatternCursor(0x0F0F, 1, 1))),
            noErr);
  ASSERT_EQ(sp_testing::AddAppResource(
                kCrsr, 611, sp_testing::MakeColorCursorResource(PatternCursor(0x3333, 2, 2))),
            noErr);
  CursHandle h = GetCursor(610);
  CCrsrHandle c = GetCCursor(611);
  ASSERT_NE(h, nullptr);
  ASSERT_NE(c, nullptr);
  using sp_testing::CursorKind;
  auto is = [](CursorKind kind, SInt16 id) {
    return sp_testing::CurrentCursor().kind == kind &&
           (id == 0 || sp_testing::CurrentCursor().id == id);
  };
  EXPECT_TRUE(is(CursorKind::kArrow, 0));
  SetCursor(*h);
  EXPECT_TRUE(is(CursorKind::kCursor, 610));
  SetCCursor(c);
  EXPECT_TRUE(is(CursorKind::kColorCursor, 611));
  Cursor copy = **h;  // a copy of a loaded cursor is still that cursor
  SetCursor(&copy);
  EXPECT_TRUE(is(CursorKind::kCursor, 610));
  Cursor arrow;
  SetCursor(GetQDGlobalsArrow(&arrow));
  EXPECT_TRUE(is(CursorKind::kArrow, 0));
  Cursor custom = PatternCursor(0x7777, 0, 0);
  SetCursor(&custom);
  EXPECT_TRUE(is(CursorKind::kOther, 0));
  const UInt32 changes = sp_testing::CurrentCursor().changeCount;
  DisposeCCursor(c);
  SetCCursor(c);  // a disposed cursor is refused
  SetCursor(nullptr);
  EXPECT_EQ(sp_testing::CurrentCursor().changeCount, changes);
  EXPECT_TRUE(is(CursorKind::kOther, 0));
  InitCursor();
  EXPECT_TRUE(is(CursorKind::kArrow, 0));
  EXPECT_EQ(sp_testing::CurrentCursor().changeCount, changes + 1);
}

TEST_F(QuickDraw, CursorVisibilityCountsHideAndShow) {
  const struct {
    void (*call)();
    bool visible;
    SInt32 level;
  } steps[] = {
      {HideCursor, false, -1},   {HideCursor, false, -2}, {ShowCursor, false, -1},
      {ShowCursor, true, 0},     {ShowCursor, true, 0},  // never above 0
      {HideCursor, false, -1},   {InitCursor, true, 0},  // InitCursor shows it at once
      {ObscureCursor, false, 0},
  };
  for (const auto& s : steps) {
    s.call();
    SCOPED_TRACE(&s - steps);
    EXPECT_EQ(sp_testing::CurrentCursor().visible, s.visible);
    EXPECT_EQ(sp_testing::CurrentCursor().hideLevel, s.level);
  }
}

// A colour cursor keeps the colour image its resource holds; a damaged image leaves the
// one-bit image standing in.
TEST_F(QuickDraw, ColourCursorKeepsItsPixelsAndDamageLeavesTheOneBitCursor) {
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  CCrsrHandle cursor = GetCCursor(kColourCursor);
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ((**cursor).crsrHotSpot.v, 3);
  EXPECT_EQ((**cursor).crsrHotSpot.h, 5);
  // The one-bit image: red dark, green light; the bottom half outside the mask.
  EXPECT_EQ((**cursor).crsr1Data[0], 0x00FF);
  EXPECT_EQ((**cursor).crsrMask[0], 0xFFFF);
  EXPECT_EQ((**cursor).crsrMask[8], 0x0000);
  sp_platform::ArgbImage image;
  ASSERT_TRUE(sp_platform::ColorCursorImage(cursor, &image));
  ASSERT_EQ(image.width, 16u);
  ASSERT_EQ(image.height, 16u);
  EXPECT_EQ(image.pixels[0], 0xFF00FF00u);
  EXPECT_EQ(image.pixels[8], 0xFFFF0000u);
  EXPECT_EQ(image.pixels[8 * 16] >> 24, 0u) << "transparent";
  SetCCursor(cursor);
  EXPECT_EQ(sp_platform::CurrentCursor().kind, sp_platform::CursorKind::kColor);
  EXPECT_EQ(sp_platform::CurrentCursor().colorImage.pixels, image.pixels);
  InitCursor();
  EXPECT_TRUE(sp_platform::CurrentCursor().colorImage.Empty());
  DisposeCCursor(cursor);
  EXPECT_FALSE(sp_platform::ColorCursorImage(cursor, &image));

  Handle good = GetResource(kCrsr, kColourCursor);
  ASSERT_NE(good, nullptr);
  const UInt8* p = reinterpret_cast<const UInt8*>(*good);
  std::vector<UInt8> pastTheEnd(p, p + GetHandleSize(good)), inHeader = pastTheEnd;
  pastTheEnd[6] = 0x7F;  // crsrData far beyond the bytes
  inHeader[9] = 20;      // crsrData pointing into the header
  const struct {
    const char* name;
    std::vector<UInt8> bytes;
  } cases[] = {
      {"truncated image", std::vector<UInt8>(p, p + 120)},
      {"header only", std::vector<UInt8>(p, p + 96)},
      {"image offset past the end", pastTheEnd},
      {"image offset inside the header", inHeader},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 9094, c.bytes), noErr);
    cursor = GetCCursor(9094);
    ASSERT_NE(cursor, nullptr) << c.name;
    EXPECT_EQ((**cursor).crsrMask[0], 0xFFFF) << c.name;
    EXPECT_TRUE(sp_platform::ColorCursorImage(cursor, &image)) << c.name;
    EXPECT_TRUE(image.Empty()) << c.name;
    DisposeCCursor(cursor);
  }
}

}  // namespace
