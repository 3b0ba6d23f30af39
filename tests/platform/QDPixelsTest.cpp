// Ports and GWorlds on pixels: allocation, origins, clipping, the pen, colours and patterns;
// shapes; copying pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "MacWindows.h"
#include "QDPixelsFixture.h"
#include "quickdraw/detail/Ports.h"

namespace {

using qdtest::kBlack;
using qdtest::kBlue;
using qdtest::kRed;
using qdtest::kWhite;
using qdtest::R;
using qdtest::RGB8;

class QDPixels : public qdtest::QDPixelsFixture {};

TEST_F(QDPixels, NewGWorldIsThirtyTwoBitsDeepAndItsRefusalsLeaveNoWorld) {
  const Rect r = R(5, 10, 25, 40), empty = R(0, 0, 0, 10), wide = R(0, 0, 1, 5000);
  GWorldPtr w = nullptr;
  ASSERT_EQ(NewGWorld(&w, 1, &r, nullptr, nullptr, 0), noErr);
  EXPECT_EQ((**GetGWorldPixMap(w)).pixelSize, 32);
  DisposeGWorld(w);
  for (const Rect* bad : {static_cast<const Rect*>(nullptr), &empty, &wide})
    EXPECT_TRUE(NewGWorld(&w, 32, bad, nullptr, nullptr, 0) == paramErr && w == nullptr);
  // As wide as a pixel map's row can be, and one pixel more.
  const Rect widest = R(0, 0, 1, kSpMaxPixelWidth), tooWide = R(0, 0, 1, kSpMaxPixelWidth + 1);
  ASSERT_EQ(NewGWorld(&w, 32, &widest, nullptr, nullptr, 0), noErr);
  EXPECT_EQ((**GetGWorldPixMap(w)).bounds.right, kSpMaxPixelWidth);
  DisposeGWorld(w);
  EXPECT_TRUE(NewGWorld(&w, 32, &tooWide, nullptr, nullptr, 0) == paramErr && w == nullptr);
  EXPECT_EQ(NewGWorld(nullptr, 32, &r, nullptr, nullptr, 0), paramErr);
  sp_testing::LimitAllocationSize(200);  // the record fits, the pixels do not
  EXPECT_TRUE(NewGWorld(&w, 32, &r, nullptr, nullptr, 0) == memFullErr && w == nullptr);
  sp_testing::LimitAllocationSize(0);
  w = NewWorld(R(0, 0, 4, 4));  // disposing of the current GWorld leaves the screen current
  worlds_.pop_back();
  SetGWorld(w, nullptr);
  DisposeGWorld(w);
  SetPort(w);
  CGrafPtr port;
  GetPort(&port);
  EXPECT_NE(port, w) << "a disposed GWorld is no port any more";
  PaintRect(&r);  // on the screen's port, which has no pixels: nothing happens
}

TEST_F(QDPixels, WindowPortsHaveWhitePixelsThatFollowTheContentSizeOrAreNotMade) {
  const Rect content = R(100, 100, 130, 150), corner = R(10, 40, 30, 50), resized = R(0, 0, 20, 70);
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  CGrafPtr port = GetWindowPort(window);
  EXPECT_EQ(AllPixels(port), std::vector<UInt32>(30 * 50, kWhite));
  SetPortWindowPort(window);
  PaintRect(&corner);
  SizeWindow(window, 70, 20, false);  // wider and lower: the old image stays at the top-left
  EXPECT_TRUE(EqualRect(&GetPortBitMapForCopyBits(port)->bounds, &resized));
  EXPECT_EQ(Picture(port, R(19, 39, 20, 61)), ".##########.........../");
  sp_testing::ResetWindows();
  for (UInt32 n = 1; n <= 8; ++n) {
    window = nullptr;
    sp_testing::FailNthAllocation(n);
    const OSStatus err = CreateNewWindow(kDocumentWindowClass, 0, &content, &window);
    sp_testing::FailNthAllocation(0);
    if (err == noErr) DisposeWindow(window);
    EXPECT_TRUE(err == noErr ||
                (err == memFullErr && window == nullptr && sp_testing::WindowList().empty()))
        << n;
  }
}

TEST_F(QDPixels, LinesCoverThePenRectangleAtEveryPointBothEndsIncluded) {
  const struct {
    const char* name;
    SInt16 penW, penH, h1, v1, h2, v2;
    const char* picture;  // rows 0-3, columns 0-7
  } cases[] = {
      {"1x1 horizontal", 1, 1, 0, 0, 3, 0, "####..../......../......../......../"},
      {"1x1 backwards", 1, 1, 3, 1, 0, 1, "......../####..../......../......../"},
      {"1x1 vertical", 1, 1, 2, 1, 2, 3, "......../..#...../..#...../..#...../"},
      {"1x1 diagonal", 1, 1, 0, 0, 3, 3, "#......./.#....../..#...../...#..../"},
      {"2x2 point hangs right and below", 2, 2, 5, 2, 5, 2, "......../......../.....##./.....##./"},
      {"3x1 horizontal", 3, 1, 1, 3, 3, 3, "......../......../......../.#####../"},
      {"0 wide draws nothing", 0, 2, 0, 0, 5, 0, "......../......../......../......../"},
  };
  for (const auto& c : cases) {
    Clear();
    PenSize(c.penW, c.penH);
    MoveTo(c.h1, c.v1);
    LineTo(c.h2, c.v2);
    EXPECT_EQ(Picture(R(0, 0, 4, 8)), c.picture) << c.name;
    Point pen;
    GetPen(&pen);
    EXPECT_TRUE(pen.h == c.h2 && pen.v == c.v2) << c.name;
  }
}

TEST_F(QDPixels, RelativeMovesAndPenStateRoundTrip) {
  PenNormal();
  MoveTo(2, 2);
  Move(1, 1);
  Line(2, 0);  // (3,3) to (5,3)
  LineTo(12, 3);
  EXPECT_EQ(Picture(R(2, 2, 4, 14)), "............/.##########./");
  Pattern gray;
  PenSize(3, 4);
  PenMode(patXor);
  PenPat(GetQDGlobalsGray(&gray));
  PenState saved, now;
  GetPenState(&saved);
  PenNormal();
  GetPenState(&now);
  EXPECT_TRUE(now.pnLoc.h == 12 && now.pnLoc.v == 3 && now.pnSize.v == 1 && now.pnMode == patCopy)
      << "location kept";
  SetPenState(&saved);
  GetPenState(&now);
  EXPECT_TRUE(now.pnSize.h == 3 && now.pnSize.v == 4 && now.pnMode == patXor &&
              now.pnPat.pat[1] == 0x55);
}

TEST_F(QDPixels, PatternModesUseTheForeAndBackColoursAndPatternResourcesAreWhole) {
  const RGBColor red = RGB8(255, 0, 0), blue = RGB8(0, 0, 255);
  RGBForeColor(&red);
  RGBBackColor(&blue);
  Pattern gray;
  PenPat(GetQDGlobalsGray(&gray));  // row 0: 10101010
  const Rect row0 = R(0, 0, 1, 2);
  const struct {
    SInt16 mode;
    UInt32 at0, at1;  // the two pixels over a green background
  } cases[] = {
      {patCopy, 0xFF0000, 0x0000FF},    {patOr, 0xFF0000, 0x00FF00},
      {patXor, 0xFF00FF, 0x00FF00},     {patBic, 0x0000FF, 0x00FF00},
      {notPatCopy, 0x0000FF, 0xFF0000}, {notPatOr, 0x00FF00, 0xFF0000},
      {srcOr, 0xFF0000, 0x00FF00},      {blend, 0xFF0000, 0x0000FF},
  };
  for (const auto& c : cases) {
    Clear(0x00FF00);
    PenMode(c.mode);
    PaintRect(&row0);
    EXPECT_EQ(Row(0, 0, 2), (std::vector<UInt32>{c.at0, c.at1})) << c.mode;
  }
  // GetPattern reads eight-byte pattern resources.
  const std::vector<UInt8> dots = {0x80, 0, 0x08, 0, 0x80, 0, 0x08, 0};
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("PAT "), 6100, dots), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("PAT "), 6101, dots.data(), 7), noErr);
  PatHandle pat = GetPattern(6100);
  ASSERT_NE(pat, nullptr);
  EXPECT_EQ((**pat).pat[2], 0x08);
  EXPECT_TRUE(GetPattern(6101) == nullptr && GetPattern(6102) == nullptr) << "one byte short";
  sp_testing::ResetResources();
}

TEST_F(QDPixels, ClipRegionsKeepDrawingInside) {
  RgnHandle a = NewRgn(), b = NewRgn(), saved = NewRgn();  // an L of two rectangles
  SetRectRgn(a, 0, 0, 6, 2);
  SetRectRgn(b, 0, 2, 2, 4);
  UnionRgn(a, b, a);
  const Rect all = R(-100, -100, 100, 100);
  GetClip(saved);
  SetClip(a);
  SetEmptyRgn(a);  // the port keeps its own copy
  PaintRect(&all);
  EXPECT_EQ(Picture(R(0, 0, 5, 7)), "######./######./##...../##...../......./");
  SetClip(saved);
  InvertRect(&all);
  EXPECT_EQ(Picture(R(3, 0, 4, 7)) + Picture(R(39, 39, 40, 40)), "..#####/#/") << "open again";
  for (RgnHandle x : {a, b, saved}) DisposeRgn(x);
}

TEST_F(QDPixels, DrawingOutsideThePixelsIsCut) {
  GWorldPtr small = NewWorld(R(10, 10, 14, 14));  // local coordinates from (10, 10)
  SetGWorld(small, nullptr);
  const Rect huge = R(-32767, -32767, 32767, 32767);
  PaintOval(&huge);
  FrameOval(&huge);  // pixel by pixel only where there are pixels
  PaintRect(&huge);
  MoveTo(-1000, 12);
  LineTo(1000, 12);
  EXPECT_EQ(Picture(small, R(10, 10, 14, 14)), "####/####/####/####/");
}

TEST_F(QDPixels, ColoursGoToPixelsByTheirHighBytesAndCoverageMasksBlendInsideTheClip) {
  const RGBColor odd = {0x8000, 0x12FF, 0xFFFF}, grey = RGB8(0x40, 0x40, 0x40);
  RGBForeColor(&odd);
  const Rect dot = R(0, 0, 1, 1);
  PaintRect(&dot);
  EXPECT_EQ(Px(0, 0), 0x8012FFu);
  RGBColor back, outside;
  GetCPixel(0, 0, &back);
  GetCPixel(100, 100, &outside);
  EXPECT_TRUE(back.green == 0x1212 && outside.red == 0) << "both bytes read back; outside black";
  ForeColor(redColor);
  PaintRect(&dot);
  EXPECT_EQ(Px(0, 0), 0xDD0806u) << "the old colour constants";
  ClipRect(&dot);
  for (SInt16 h : {0, 1, -1}) SetCPixel(h, 0, &grey);  // -1: outside the pixels, ignored
  EXPECT_EQ(Row(0, 0, 2), (std::vector<UInt32>{0x404040, kWhite}));
  // The text drawing's way in: coverage 0, half, full and full again, clipped after three.
  const UInt8 coverage[4] = {0, 128, 255, 255};
  const Rect box = R(0, 0, 1, 4), clip = R(0, 0, 40, 3);
  const struct {
    SInt16 mode;
    UInt32 px[3];  // over a grey port, fore red, back blue
  } cases[] = {
      {srcOr, {0x808080, 0xC04040, 0xFF0000}},    {srcCopy, {0x0000FF, 0x80007F, 0xFF0000}},
      {srcBic, {0x808080, 0x4040C0, 0x0000FF}},   {srcXor, {0x808080, 0x7F7F7F, 0x7F7F7F}},
      {notSrcOr, {0xFF0000, 0xBF4040, 0x808080}}, {patOr, {0x808080, 0xC04040, 0xFF0000}},
  };
  const RGBColor red = RGB8(255, 0, 0), blue = RGB8(0, 0, 255);
  RGBForeColor(&red);
  RGBBackColor(&blue);
  ClipRect(&clip);
  for (const auto& c : cases) {
    Clear(0x808080);
    sp_platform::DrawCoverageMask(world_, box, coverage, sizeof coverage, c.mode);
    EXPECT_EQ(Row(0, 0, 4), (std::vector<UInt32>{c.px[0], c.px[1], c.px[2], 0x808080})) << c.mode;
  }
}

// The PNG is for a person to look at; it goes to the test-output folder CTest names, and
// nowhere when the binary runs on its own. The pixels under it are checked here.
TEST_F(QDPixels, SnapshotWritesAPngAPersonCanLookAt) {
  GWorldPtr picture = world_ = NewWorld(R(0, 0, 120, 160));
  SetGWorld(picture, nullptr);
  const Rect frame = R(4, 4, 116, 156), oval = R(14, 14, 74, 74);
  const RGBColor blue = RGB8(0x20, 0x40, 0xC0);
  PenSize(3, 3);
  FrameRoundRect(&frame, 18, 18);
  RGBForeColor(&blue);
  PaintOval(&oval);
  // The frame's top and rounded corner, inside it, the oval.
  EXPECT_EQ(std::vector<UInt32>({Px(80, 4), Px(80, 7), Px(4, 4), Px(30, 44)}),
            std::vector<UInt32>({kBlack, kWhite, kWhite, 0x2040C0}));
  EXPECT_FALSE(sp_testing::SnapshotPort(world_, "/nonexistent-folder/x.png"));
  const char* folder = std::getenv("TEST_TMPDIR");
  if (folder != nullptr && *folder != 0) {
    const std::string path = std::string(folder) + "/qd-pixels-snapshot.png";
    EXPECT_TRUE(sp_testing::SnapshotPort(picture, path));
    std::printf("PNG snapshot: %s\n", path.c_str());
  }
}

// Shapes: frames against paints, ovals, rounded rectangles, regions, inverting modes and
// recorded outlines.
class QDShapes : public qdtest::QDPixelsFixture {};

// A right triangle away from the origin, drawn by one of the polygon calls.
void Triangle(void (*draw)(PolyHandle)) {
  PolyHandle poly = OpenPoly();
  MoveTo(4, 2);
  LineTo(8, 6);
  LineTo(4, 6);
  LineTo(4, 2);
  ClosePoly();
  draw(poly);
  KillPoly(poly);
}

// Each shape drawn alone on white; the picture of its pixels.
TEST_F(QDShapes, ShapesCoverThePixelsWhoseCentresAreInside) {
  const Rect r = R(1, 1, 6, 7), sq = R(0, 0, 10, 10), flat = R(0, 0, 5, 9);
  const Rect round = R(0, 0, 10, 16), ring = R(10, 10, 30, 30);
  const RGBColor blue = RGB8(0, 0, 255);
  const struct {
    const char* what;
    std::function<void()> draw;
    Rect area;
    const char* picture;
  } cases[] = {
      {"framed rectangle inside its bounds", [&] { FrameRect(&r); }, R(0, 0, 7, 8),
       "......../.######./.#....#./.#....#./.#....#./.######./......../"},
      {"pen 2 wide", [&] { PenSize(2, 1), FrameRect(&r); }, R(1, 1, 3, 7), "######/##..##/"},
      {"pen half as wide as the rectangle: all of it", [&] { PenSize(3, 3), FrameRect(&r); },
       R(3, 0, 4, 8), ".######./"},
      {"painted rectangle, right and bottom edges out", [&] { PaintRect(&r); }, R(4, 4, 7, 8),
       "###./###./..../"},
      {"erased in the back colour", [&] { RGBBackColor(&blue), EraseRect(&r); }, R(5, 5, 7, 8),
       "bb./.../"},
      {"oval inscribed in 10 x 10", [&] { PaintOval(&sq); }, sq,
       "...####.../.########./.########./##########/##########/##########/##########/"
       ".########./.########./...####.../"},
      {"flat oval", [&] { PaintOval(&flat); }, flat,
       "..#####../#########/#########/#########/..#####../"},
      {"framed oval leaves its inside", [&] { FrameOval(&sq); }, sq,
       "...####.../.##....##./.#......#./#........#/#........#/#........#/#........#/"
       ".#......#./.##....##./...####.../"},
      {"round rectangle: quarter ovals in the corners", [&] { PaintRoundRect(&round, 10, 10); },
       R(0, 0, 4, 16), "...##########.../.##############./.##############./################/"},
      {"round rectangle without an oval: square", [&] { PaintRoundRect(&round, 0, 0); },
       R(0, 0, 1, 3), "###/"},
      {"corners larger than the rectangle: the oval", [&] { PaintRoundRect(&round, 100, 100); },
       R(0, 0, 1, 16), ".....######...../"},
      {"framed round rectangle: three pixels of pen, rounded corner",
       [&] { PenSize(3, 3), FrameRoundRect(&ring, 18, 18); }, R(10, 10, 11, 11), "./"},
      {"... and its top edge", [&] { PenSize(3, 3), FrameRoundRect(&ring, 18, 18); },
       R(10, 20, 14, 21), "#/#/#/./"},
      {"xor line inverts each pixel once where the pen overlaps itself",
       [&] { PenMode(patXor), PenSize(2, 2), MoveTo(0, 0), LineTo(3, 3); }, R(0, 0, 5, 5),
       "##.../###../.###./..###/...##/"},
      {"painted polygon: its points and nothing past them", [] { Triangle(PaintPoly); },
       R(0, 0, 8, 10),
       "........../........../........../....#...../....##..../....###.../........../........../"},
      {"framed polygon", [] { Triangle(FramePoly); }, R(0, 0, 8, 10),
       "........../........../....#...../....##..../....#.#.../....#..#../....#####./........../"},
  };
  for (const auto& c : cases) {
    Clear();
    PenNormal();
    BackColor(whiteColor);
    c.draw();
    EXPECT_EQ(Picture(c.area), c.picture) << c.what;
  }
}

TEST_F(QDShapes, RegionsArePaintedAndFramedInsideTheirOutlineAndRecordedOutlinesDrawNothing) {
  RgnHandle rgn = NewRgn(), other = NewRgn();
  SetRectRgn(rgn, 0, 0, 8, 4);
  SetRectRgn(other, 0, 4, 4, 8);
  UnionRgn(rgn, other, rgn);
  PaintRgn(rgn);
  EXPECT_EQ(Picture(R(3, 0, 9, 9)), "########./####...../####...../####...../####...../........./");
  Clear();
  FrameRgn(rgn);  // the pen's width inside the outline, around the notch as well
  EXPECT_EQ(Picture(R(0, 0, 9, 9)),
            "########./#......#./#......#./#..#####./#..#...../#..#...../#..#...../####...../"
            "........./");
  EraseRgn(rgn);
  EXPECT_EQ(Px(0, 0), kWhite);
  DisposeRgn(other);
  const Rect r = R(2, 3, 9, 12);
  OpenRgn();
  FrameRect(&r);
  MoveTo(20, 20);
  LineTo(30, 20);
  LineTo(30, 30);
  LineTo(20, 20);
  CloseRgn(rgn);
  EXPECT_TRUE(AllAre(kWhite));
  PaintRgn(rgn);  // the pen draws again after CloseRgn; h 28, v 22 is in the triangle
  EXPECT_EQ(Picture(R(5, 5, 6, 6)) + Picture(R(22, 28, 23, 29)) + Picture(R(28, 22, 29, 23)),
            "#/#/./");
  DisposeRgn(rgn);
}

// Copying pixels: CopyBits with scaling, modes, masks and clipping, and CopyDeepMask.
class QDCopy : public qdtest::QDPixelsFixture {
 protected:
  static const BitMap* Bits(CGrafPtr port) { return GetPortBitMapForCopyBits(port); }
  void Copy(CGrafPtr from, CGrafPtr to, const Rect& a, const Rect& b, SInt16 mode = srcCopy,
            RgnHandle mask = nullptr) {
    CopyBits(Bits(from), Bits(to), &a, &b, mode, mask);
  }
  void Set(CGrafPtr port, SInt16 h, SInt16 v, const RGBColor& c) {
    CGrafPtr saved;
    GetPort(&saved);
    SetPort(port);
    SetCPixel(h, v, &c);
    SetPort(saved);
  }
  // A 2 x 2 source: black, white / red, blue.
  GWorldPtr Checker() {
    GWorldPtr src = NewWorld(R(0, 0, 2, 2));
    Set(src, 0, 0, RGB8(0, 0, 0));
    Set(src, 0, 1, RGB8(255, 0, 0));
    Set(src, 1, 1, RGB8(0, 0, 255));
    return src;
  }
};

TEST_F(QDCopy, CopyBitsScalesToTheNearestPixelInEachBitmapsCoordinatesCopyingWhatExists) {
  GWorldPtr src = Checker();
  const Rect from = R(0, 0, 2, 2), up = R(0, 0, 4, 4);
  Copy(src, world_, from, up);
  EXPECT_EQ(Picture(R(0, 0, 5, 5)), "##.../##.../rrbb./rrbb./...../");
  GWorldPtr small = NewWorld(R(0, 0, 2, 2));  // down again: every other pixel
  Copy(world_, small, up, from);
  EXPECT_EQ(Picture(small, from), "#./rb/");
  GWorldPtr far = NewWorld(R(100, 200, 110, 210));  // its own coordinates, from (200, 100)
  sp_testing::FillPort(far, 0x336699);
  Clear();
  Copy(far, world_, R(100, 200, 102, 202), R(5, 6, 7, 8));
  EXPECT_EQ(Picture(R(4, 5, 8, 9)), "..../.oo./.oo./..../");
  Clear();
  Copy(far, world_, R(108, 208, 112, 212), R(0, 0, 4, 4));  // half outside the source
  EXPECT_EQ(Picture(R(0, 0, 3, 3)), "oo./oo./.../");
}

TEST_F(QDCopy, CopyBitsKeepsToTheMaskRegionAndTheClipAndReadsOldPixelsWhenOverlapping) {
  GWorldPtr src = NewWorld(R(0, 0, 10, 10));
  sp_testing::FillPort(src, kBlack);
  const Rect all = R(0, 0, 10, 10), clip = R(0, 0, 3, 10);
  RgnHandle mask = NewRgn();
  SetRectRgn(mask, 2, 2, 4, 4);
  Copy(src, world_, all, all, srcCopy, mask);
  EXPECT_EQ(Picture(R(1, 1, 5, 5)), "..../.##./.##./..../");
  DisposeRgn(mask);
  // Copying into the current port honours its clip; into another GWorld it does not.
  Clear();
  ClipRect(&clip);
  Copy(src, world_, all, all);
  EXPECT_EQ(Picture(R(2, 5, 4, 6)), "#/./");
  GWorldPtr other = NewWorld(all);
  Copy(src, other, all, all);
  EXPECT_EQ(sp_testing::ReadPixel(other, 5, 5), kBlack);
  // Overlapping copies read the old pixels.
  const Rect port = R(0, 0, 40, 40);
  ClipRect(&port);
  Stripes(world_);
  const std::vector<UInt32> before = AllPixels(world_);
  Copy(world_, world_, R(0, 0, 10, 30), R(1, 1, 11, 31));  // one down and right
  for (SInt16 v = 1; v < 11; ++v)
    for (SInt16 h = 1; h < 31; ++h) ASSERT_EQ(Px(h, v), before[(v - 1) * 40 + h - 1]) << h << v;
}

// A one-bit source is read only when each of its rows holds its width; one byte short, the
// copy draws nothing (and reads nothing past the bits).
TEST_F(QDCopy, AOneBitSourceIsCopiedOnlyWhenItsRowsHoldItsWidth) {
  const struct {
    SInt16 width, rowBytes;
    bool copied;
  } cases[] = {{8, 1, true}, {9, 1, false}, {9, 2, true}, {16, 2, true}, {17, 2, false}};
  for (const auto& c : cases) {
    std::vector<UInt8> bits(std::size_t(c.rowBytes), 0xFF);  // one row, all black
    BitMap source;
    source.baseAddr = reinterpret_cast<Ptr>(bits.data());
    source.rowBytes = c.rowBytes;
    source.bounds = R(0, 0, 1, c.width);
    Clear();
    CopyBits(&source, Bits(world_), &source.bounds, &source.bounds, srcCopy, nullptr);
    const UInt32 expected = c.copied ? kBlack : kWhite;
    EXPECT_EQ(Row(0, 0, c.width), std::vector<UInt32>(std::size_t(c.width), expected))
        << c.width << " wide, rows of " << c.rowBytes;
  }
}

// Modes over a grey destination: a black and a white source pixel.
TEST_F(QDCopy, SourceModesOnAGreyDestination) {
  GWorldPtr src = Checker();
  const struct {
    SInt16 mode;
    UInt32 overBlack, overWhite;
  } cases[] = {
      {srcCopy, kBlack, kWhite},
      {srcOr, kBlack, 0x808080},
      {srcXor, 0x7F7F7F, 0x808080},
      {srcBic, kWhite, 0x808080},
      {notSrcCopy, kWhite, kBlack},
      {notSrcOr, 0x808080, kBlack},
      {transparent, kBlack, 0x808080},
      {blend, 0x404040, 0xC0C0C0},
      {srcCopy + ditherCopy, kBlack, kWhite},
  };
  const Rect from = R(0, 0, 1, 2);
  for (const auto& c : cases) {
    Clear(0x808080);
    Copy(src, world_, from, from, c.mode);
    EXPECT_EQ(Row(0, 0, 2), (std::vector<UInt32>{c.overBlack, c.overWhite})) << c.mode;
  }
  // Fore and back colours other than black and white colourise: srcOr lays the fore colour
  // where the source is dark, srcCopy turns white into the back colour.
  Copy(src, world_, R(0, 0, 2, 2), R(0, 0, 2, 2));
  EXPECT_EQ(Px(0, 1), kRed) << "black on white: colours are copied as they are";
  const RGBColor green = RGB8(0, 255, 0), yellow = RGB8(255, 255, 0);
  RGBForeColor(&green);
  Copy(src, world_, from, from, srcOr);
  EXPECT_EQ(Px(0, 0), 0x00FF00u);
  RGBBackColor(&yellow);
  Copy(src, world_, R(0, 0, 2, 2), R(0, 0, 2, 2));
  EXPECT_EQ(Row(0, 0, 2), (std::vector<UInt32>{0x00FF00, 0xFFFF00}));
}

TEST_F(QDCopy, CopyDeepMaskMixesInProportionToTheMaskGrey) {
  GWorldPtr src = NewWorld(R(0, 0, 1, 4));
  GWorldPtr mask = NewWorld(R(0, 0, 1, 4));
  sp_testing::FillPort(src, kBlack);
  // Black takes the source, mid grey half of each, white keeps the destination, 40 % grey
  // lets 40 % of it through.
  const UInt8 greys[4] = {0, 0x80, 255, 102};
  for (SInt16 h = 0; h < 4; ++h) Set(mask, h, 0, RGB8(greys[h], greys[h], greys[h]));
  const Rect r = R(0, 0, 1, 4);
  auto deep = [&] {
    CopyDeepMask(Bits(src), Bits(mask), Bits(world_), &r, &r, &r, srcCopy, nullptr);
  };
  deep();
  EXPECT_EQ(Row(0, 0, 4), (std::vector<UInt32>{kBlack, 0x808080, kWhite, 0x666666}));
  deep();
  EXPECT_EQ(Px(3, 0), 0x292929u) << "passes stack: 16 % of the destination";
  Set(mask, 0, 0, RGB8(0, 255, 255));
  Clear();
  deep();
  EXPECT_EQ(Px(0, 0), 0x00FFFFu) << "a channel of the mask mixes its channel only";
}

TEST_F(QDCopy, CopyDeepMaskAtTheSameSizeTakesEachPlaceAndLeavesWhatLiesOutside) {
  // Source, mask and destination each at other coordinates; the source rectangle runs one
  // column past the source's pixels and the mask region leaves out the last row.
  GWorldPtr src = NewWorld(R(10, 20, 13, 23));
  GWorldPtr mask = NewWorld(R(0, 0, 3, 3));
  sp_testing::FillPort(src, kBlack);
  sp_testing::FillPort(mask, 0x808080);
  Set(mask, 0, 0, RGB8(0, 0, 0));
  Clear();
  const Rect from = R(10, 21, 13, 24), by = R(0, 0, 3, 3), to = R(5, 6, 8, 9);
  RgnHandle only = NewRgn();
  SetRectRgn(only, 6, 5, 9, 7);
  CopyDeepMask(Bits(src), Bits(mask), Bits(world_), &from, &by, &to, srcCopy, only);
  DisposeRgn(only);
  EXPECT_EQ(Row(5, 6, 9), (std::vector<UInt32>{kBlack, 0x808080, kWhite}))
      << "black mask, grey mask, past the source";
  EXPECT_EQ(Row(6, 6, 9), (std::vector<UInt32>{0x808080, 0x808080, kWhite}));
  EXPECT_EQ(Row(7, 6, 9), (std::vector<UInt32>{kWhite, kWhite, kWhite})) << "outside the region";
  EXPECT_EQ(Px(5, 5), kWhite) << "left of the destination rectangle";
}

TEST_F(QDCopy, ScrollRectMovesPixelsErasesWhatItUncoversAndKeepsToTheClip) {
  Stripes(world_);
  const std::vector<UInt32> before = AllPixels(world_);
  const RGBColor blue = RGB8(0, 0, 255);
  RGBBackColor(&blue);
  const Rect r = R(10, 5, 30, 25);
  RgnHandle update = NewRgn();
  ScrollRect(&r, 0, 5, update);
  Rect uncovered;
  GetRegionBounds(update, &uncovered);
  const Rect expected = R(10, 5, 15, 25);
  EXPECT_TRUE(EqualRect(&uncovered, &expected));
  EXPECT_EQ(Px(5, 10), 0x0000FFu) << "the uncovered strip is erased";
  EXPECT_EQ(Px(24, 14), 0x0000FFu);
  EXPECT_EQ(Px(5, 15), before[10 * 40 + 5]) << "row 10 moved down to row 15";
  EXPECT_EQ(Px(24, 29), before[24 * 40 + 24]);
  EXPECT_EQ(Px(5, 30), before[30 * 40 + 5]) << "outside the rectangle nothing changes";
  EXPECT_EQ(Px(4, 20), before[20 * 40 + 4]);

  // Leftwards, within a clip that cuts the rectangle.
  Stripes(world_);
  const std::vector<UInt32> again = AllPixels(world_);
  const Rect clip = R(0, 0, 40, 20);
  ClipRect(&clip);
  ScrollRect(&r, -3, 0, update);
  GetRegionBounds(update, &uncovered);
  const Rect strip = R(10, 17, 30, 20);
  EXPECT_TRUE(EqualRect(&uncovered, &strip));
  EXPECT_EQ(Px(5, 12), again[12 * 40 + 8]);
  EXPECT_EQ(Px(18, 12), 0x0000FFu);
  EXPECT_EQ(Px(22, 12), again[12 * 40 + 22]) << "outside the clip nothing changes";
  DisposeRgn(update);

  // Without an update region (as the scrolling views call it) the pixels still move.
  const Rect port = R(0, 0, 40, 40);
  ClipRect(&port);
  Stripes(world_);
  const std::vector<UInt32> third = AllPixels(world_);
  ScrollRect(&r, 2, 0, nullptr);
  EXPECT_EQ(Px(7, 12), third[12 * 40 + 5]);
  EXPECT_EQ(Px(5, 12), 0x0000FFu);
}

// Every pixel of the rectangle lands exactly where the move takes it, whichever way it goes
// and whether the rectangle moves as one block or is cut by the clip into several: moving in
// place must read each row before the move writes over it.
TEST_F(QDCopy, ScrollRectPutsEveryPixelWhereTheMoveTakesItInEachDirection) {
  struct Case {
    const char* why;
    SInt16 dh, dv;
    Rect clip;
  } cases[] = {
      {"down, rows overlapping", 0, 5, R(0, 0, 40, 40)},
      {"up, rows overlapping", 0, -5, R(0, 0, 40, 40)},
      {"right, within each row", 3, 0, R(0, 0, 40, 40)},
      {"left, within each row", -3, 0, R(0, 0, 40, 40)},
      {"down and right", 2, 3, R(0, 0, 40, 40)},
      {"up and left", -2, -3, R(0, 0, 40, 40)},
      {"a move of one row", 0, 1, R(0, 0, 40, 40)},
      {"past the whole rectangle", 0, 30, R(0, 0, 40, 40)},
      {"up within a clip that cuts the rectangle", 0, -4, R(0, 0, 40, 15)},
      {"down and left within a clip that cuts the rectangle", -2, 4, R(8, 0, 40, 20)},
  };
  const Rect r = R(10, 5, 30, 25);
  const RGBColor blue = RGB8(0, 0, 255);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ClipRect(&c.clip);
    Stripes(world_);
    const std::vector<UInt32> before = AllPixels(world_);
    RGBBackColor(&blue);
    ScrollRect(&r, c.dh, c.dv, nullptr);
    Rect area;
    SectRect(&r, &c.clip, &area);
    int wrong = 0;
    for (SInt16 v = 0; v < 40; ++v) {
      for (SInt16 h = 0; h < 40; ++h) {
        const Point at = {v, h}, from = {SInt16(v - c.dv), SInt16(h - c.dh)};
        UInt32 expected = before[std::size_t(v * 40 + h)];
        if (PtInRect(at, &area)) {
          expected = PtInRect(from, &area) ? before[std::size_t(from.v * 40 + from.h)] : 0x0000FFu;
        }
        if (Px(h, v) != expected && ++wrong <= 3) {
          ADD_FAILURE() << "pixel (" << h << ", " << v << ")";
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
