// Ports and coordinates, rectangles and points, the screen, and cursors.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
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
std::string S(const Rect& r) {
  return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
}
std::string S(Point p) {
  return std::to_string(p.h) + "," + std::to_string(p.v);
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

TEST_F(QuickDraw, LocalAndGlobalFollowTheCurrentPortAndDisposedPortsAreRefused) {
  WindowRef other = MakeWindow(R(300, 500, 400, 600));
  WindowRef w = MakeWindow(R(50, 100, 250, 400));
  SetPortWindowPort(w);
  Rect bounds;
  // The content's corner; left of and above it; the far corner.
  std::string round;
  for (Point p : {P(0, 0), P(-10, -20), P(300, 200), P(-15, -27)}) {
    LocalToGlobal(&p);
    round += S(p) + " ";
    GlobalToLocal(&p);
    round += S(p) + " ";
  }
  EXPECT_EQ(round, "100,50 0,0 90,30 -10,-20 400,250 300,200 85,23 -15,-27 ");
  MoveWindow(w, 300, 200, false);  // local coordinates move with the window
  Point pt = P(0, 0), o = P(0, 0);
  LocalToGlobal(&pt);
  SetPortWindowPort(other);
  LocalToGlobal(&o);
  EXPECT_EQ(S(pt) + " " + S(o), "300,200 500,300") << "each port its own place";
  GrafPtr now;
  CGrafPtr port = GetWindowPort(w);
  SetPort(port);
  DisposeWindow(w);
  DisposeWindow(other);
  SetPort(port);  // a stale port is refused, not made current
  GetPort(&now);
  EXPECT_TRUE(now != port && !IsValidPort(port) && GetPortBounds(port, &bounds) == nullptr);
}

TEST_F(QuickDraw, RectangleArithmeticKeepsItsEdgesCollapsesToEmptyAndHitsInside) {
  const struct {
    Rect a, b;
    const char* sect;  // "" when they share no pixel
  } sects[] = {
      {R(0, 0, 10, 10), R(5, 5, 20, 20), "5,5,10,10"},
      {R(0, 0, 10, 10), R(0, 10, 10, 20), ""},  // sharing an edge only
      {R(0, 0, 10, 10), R(0, 9, 10, 20), "0,9,10,10"},
      {R(0, 0, 10, 10), R(3, 3, 3, 8), ""},    // empty
      {R(10, 10, 0, 0), R(0, 0, 10, 10), ""},  // inverted
      {R(-10, -10, 5, 5), R(0, 0, 10, 10), "0,0,5,5"},
  };
  for (const auto& c : sects) {
    Rect out = R(9, 9, 9, 9), a = c.a;
    const bool shared = SectRect(&c.a, &c.b, &out);
    SectRect(&a, &c.b, &a);  // the result may be written over a source
    EXPECT_EQ(std::to_string(shared) + " " + S(out) + " " + S(a),
              *c.sect != 0 ? "1 " + std::string(c.sect) + " " + c.sect : "0 0,0,0,0 0,0,0,0")
        << S(c.a);
  }
  std::string insets;  // of (0, 0, 10, 20); down to nothing, at and past the limit
  for (auto [dh, dv] : {std::pair{2, 3}, {-2, -3}, {9, 4}, {10, 0}, {0, 5}, {0, 6}}) {
    Rect x = R(0, 0, 10, 20);
    InsetRect(&x, SInt16(dh), SInt16(dv));
    insets += S(x) + " ";
  }
  EXPECT_EQ(insets, "3,2,7,18 -3,-2,13,22 4,9,6,11 0,0,0,0 0,0,0,0 0,0,0,0 ");
  Rect u = R(0, 0, 10, 10), s;
  const Rect b = R(5, 5, 20, 20), r = R(10, 20, 30, 40), empty = R(10, 10, 10, 30);
  UnionRect(&u, &b, &u);
  SetRect(&s, 1, 2, 3, 4);
  OffsetRect(&s, -1, 10);
  EXPECT_EQ(S(u) + " " + S(s), "0,0,20,20 12,0,14,2");
  std::string hits;  // PtInRect leaves out the right and bottom edges
  for (Point pt : {P(20, 10), P(39, 29), P(40, 15), P(25, 30), P(19, 15), P(25, 9)})
    hits += PtInRect(pt, &r) ? '1' : '0';
  EXPECT_EQ(hits + std::to_string(PtInRect(P(15, 10), &empty)), "1100000");
}

TEST_F(QuickDraw, MainScreenIsThirtyTwoBitsAndFollowsTheTestScreenSize) {
  GDHandle device = GetMainDevice();
  EXPECT_EQ(S((**device).gdRect), "0,0,768,1024");
  EXPECT_TRUE((**(**device).gdPMap).pixelSize == 32 && GetMaxDevice(nullptr) == device &&
              GetMBarHeight() == 20);
  sp_testing::SetScreenSize(1280, 800);
  BitMap bits;
  GrafPtr screen;
  GetPort(&screen);
  Rect portRect;
  for (const Rect& r : {(**device).gdRect, (**(**device).gdPMap).bounds,
                        GetQDGlobalsScreenBits(&bits)->bounds, *GetPortBounds(screen, &portRect)})
    EXPECT_EQ(S(r), "0,0,800,1280");
  RGBColor back = {0xFFFF, 0xFFFF, 0xFFFF}, fore = {6898, 6898, 6898};
  EXPECT_TRUE(GetGray(device, &back, &fore) && !GetGray(device, nullptr, &fore));
  EXPECT_EQ(fore.red, (0xFFFF + 6898) / 2);
}

TEST_F(QuickDraw, CursorResourcesAreDecodedBigEndianAndTheRecordTellsWhichWasSetAndHidden) {
  const Cursor source = PatternCursor(0x1234, 3, 11), colour = PatternCursor(0xA5A5, 7, 2);
  std::vector<UInt8> colourBytes = sp_testing::MakeColorCursorResource(colour);
  colourBytes.insert(colourBytes.end(), {1, 2, 3, 4});  // a colour image kept for later
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 610, sp_testing::MakeCursorResource(source)), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 610, colourBytes), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 611, std::vector<UInt8>(67, 0xFF)), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCURS, 612, std::vector<UInt8>(68, 0xFF)), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 611, std::vector<UInt8>(95, 0)), noErr);
  CursHandle h = GetCursor(610);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(std::memcmp(&**h, &source, sizeof source), 0) << "rows, mask and hot spot";
  EXPECT_EQ(GetCursor(610), h) << "one handle per id";
  CCrsrHandle a = GetCCursor(610), b = GetCCursor(610);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b) << "every call makes a colour cursor of its own";
  EXPECT_EQ(S((**a).crsrHotSpot) + " " + std::to_string((**a).crsr1Data[15]),
            "7,2 " + std::to_string(colour.data[15]));
  DisposeCCursor(b);
  EXPECT_TRUE(GetCursor(611) == nullptr && GetCCursor(611) == nullptr) << "one byte short";
  EXPECT_NE(GetCursor(612), nullptr);
  EXPECT_EQ(GetCursor(999), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
  // The record tells which cursor was set and how often it is hidden.
  CCrsrHandle c = a;
  Cursor copy = **h, arrow, custom = PatternCursor(0x7777, 0, 0);
  const UInt32 start = sp_testing::CurrentCursor().changeCount;
  auto now = [start] {
    const auto s = sp_testing::CurrentCursor();
    static const char* const kKinds[] = {"arrow", "CURS", "crsr", "other"};
    return std::string(kKinds[int(s.kind)]) + " " + std::to_string(s.id) +
           (s.visible ? " shown " : " hidden ") + std::to_string(s.hideLevel) + " " +
           std::to_string(s.changeCount - start);
  };
  const struct {
    std::function<void()> call;
    const char* expected;  // kind, id, visibility, hide level, changes
    const char* why;
  } steps[] = {
      {[&] { SetCursor(*h); }, "CURS 610 shown 0 1", "a loaded cursor"},
      {[&] { SetCCursor(c); }, "crsr 610 shown 0 2", "a colour cursor"},
      {[&] { SetCursor(&copy); }, "CURS 610 shown 0 3", "a copy is that cursor"},
      {[&] { SetCursor(GetQDGlobalsArrow(&arrow)); }, "arrow 0 shown 0 4", "the arrow"},
      {[&] { SetCursor(&custom); }, "other 0 shown 0 5", "one of the program's"},
      {[&] { DisposeCCursor(c), SetCCursor(c), SetCursor(nullptr); }, "other 0 shown 0 5",
       "disposed and null cursors are refused"},
      {HideCursor, "other 0 hidden -1 5", "hidden"},
      {InitCursor, "arrow 0 shown 0 6", "InitCursor: the arrow, shown at once"},
  };
  for (const auto& s : steps) {
    s.call();
    EXPECT_EQ(now(), s.expected) << s.why;
  }
}

// A colour cursor keeps the colour image its resource holds; a damaged image leaves the
// one-bit image standing in.
TEST_F(QuickDraw, ColourCursorKeepsItsPixelsAndDamageLeavesTheOneBitCursor) {
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  CCrsrHandle cursor = GetCCursor(9074);  // top half green (left) and red (right)
  ASSERT_NE(cursor, nullptr);
  // The one-bit image: red dark, green light; the bottom half outside the mask.
  EXPECT_EQ(std::vector<int>({(**cursor).crsrHotSpot.h, (**cursor).crsr1Data[0],
                              (**cursor).crsrMask[0], (**cursor).crsrMask[8]}),
            std::vector<int>({5, 0x00FF, 0xFFFF, 0}));
  sp_platform::ArgbImage image;
  ASSERT_TRUE(sp_platform::ColorCursorImage(cursor, &image));
  ASSERT_EQ(image.width * image.height, 256u);
  EXPECT_EQ(std::vector<UInt32>({image.pixels[0], image.pixels[8], image.pixels[8 * 16] >> 24}),
            std::vector<UInt32>({0xFF00FF00u, 0xFFFF0000u, 0}))
      << "green, red, transparent";
  SetCCursor(cursor);
  EXPECT_TRUE(sp_platform::CurrentCursor().kind == sp_platform::CursorKind::kColor &&
              sp_platform::CurrentCursor().colorImage.pixels == image.pixels);
  InitCursor();
  EXPECT_TRUE(sp_platform::CurrentCursor().colorImage.Empty());
  DisposeCCursor(cursor);
  EXPECT_FALSE(sp_platform::ColorCursorImage(cursor, &image));

  Handle good = GetResource(kCrsr, 9074);
  const UInt8* p = reinterpret_cast<const UInt8*>(*good);
  std::vector<UInt8> pastTheEnd(p, p + GetHandleSize(good)), inHeader = pastTheEnd;
  pastTheEnd[6] = 0x7F;  // crsrData far beyond the bytes
  inHeader[9] = 20;      // crsrData pointing into the header
  for (const auto& bytes :
       {std::vector<UInt8>(p, p + 120), std::vector<UInt8>(p, p + 96), pastTheEnd, inHeader}) {
    ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 9094, bytes), noErr);
    cursor = GetCCursor(9094);
    ASSERT_NE(cursor, nullptr) << bytes.size();
    EXPECT_TRUE((**cursor).crsrMask[0] == 0xFFFF && sp_platform::ColorCursorImage(cursor, &image) &&
                image.Empty());
    DisposeCCursor(cursor);
  }
}

}  // namespace
