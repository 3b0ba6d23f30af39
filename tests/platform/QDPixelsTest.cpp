// Ports and GWorlds on pixels: allocation, origins, clipping, the pen, colours and patterns.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "MacWindows.h"
#include "QDPixelsFixture.h"
#include "quickdraw/detail/Ports.h"

namespace {

using qdtest::kBlack;
using qdtest::kWhite;
using qdtest::R;
using qdtest::RGB8;

class QDPixels : public qdtest::QDPixelsFixture {};

TEST_F(QDPixels, NewGWorldIsThirtyTwoBitsDeepWhateverTheDepthAsked) {
  for (SInt16 depth : {0, 1, 8, 16}) {
    GWorldPtr w = nullptr;
    const Rect r = R(5, 10, 25, 40);
    ASSERT_EQ(NewGWorld(&w, depth, &r, nullptr, nullptr, 0), noErr) << depth;
    EXPECT_EQ((**GetGWorldPixMap(w)).pixelSize, 32) << depth;
    EXPECT_GE(GetPixRowBytes(GetGWorldPixMap(w)), 30 * 4);
    DisposeGWorld(w);
  }
}

TEST_F(QDPixels, NewGWorldRefusalsLeaveNoWorld) {
  const Rect empty = R(0, 0, 0, 10), wide = R(0, 0, 1, 5000), ok = R(0, 0, 10, 10);
  for (const Rect* r : {static_cast<const Rect*>(nullptr), &empty, &wide}) {
    GWorldPtr w = reinterpret_cast<GWorldPtr>(&w);
    EXPECT_EQ(NewGWorld(&w, 32, r, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(w, nullptr);
  }
  EXPECT_EQ(NewGWorld(nullptr, 32, &ok, nullptr, nullptr, 0), paramErr);
  GWorldPtr w = reinterpret_cast<GWorldPtr>(&w);
  sp_testing::LimitAllocationSize(200);  // the record fits, the pixels do not
  EXPECT_EQ(NewGWorld(&w, 32, &ok, nullptr, nullptr, 0), memFullErr);
  sp_testing::LimitAllocationSize(0);
  EXPECT_EQ(w, nullptr);
  for (UInt32 n = 1; n <= 5; ++n) {
    sp_testing::FailNthAllocation(n);
    const QDErr err = NewGWorld(&w, 32, &ok, nullptr, nullptr, 0);
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(err == noErr, w != nullptr) << n;
    EXPECT_TRUE(err == noErr || err == memFullErr) << n;
    if (w != nullptr) DisposeGWorld(w);
  }
}

TEST_F(QDPixels, DisposingTheCurrentGWorldMakesTheScreenPortCurrent) {
  GWorldPtr w = NewWorld(R(0, 0, 4, 4));
  worlds_.pop_back();
  SetGWorld(w, nullptr);
  DisposeGWorld(w);
  SetPort(w);
  CGrafPtr port;
  GetPort(&port);
  EXPECT_NE(port, w) << "a disposed GWorld is no port any more";
  const Rect r = R(0, 0, 4, 4);
  PaintRect(&r);  // draws on the screen's port, which has no pixels: nothing happens
}

TEST_F(QDPixels, UpdateGWorldKeepsTheImageAtTheTopLeft) {
  Clear(0x123456);
  const Rect bigger = R(0, 0, 50, 60);
  GWorldPtr w = world_;
  EXPECT_EQ(UpdateGWorld(&w, 32, &bigger, nullptr, nullptr, 0), GWorldFlags(reallocPix));
  EXPECT_EQ(w, world_);
  EXPECT_EQ(Px(39, 39), 0x123456u);
  EXPECT_EQ(Px(59, 49) & 0xFF000000u, 0u) << "the new pixels are inside the pixel map";
  EXPECT_EQ(UpdateGWorld(&w, 32, nullptr, nullptr, nullptr, 0), GWorldFlags(gwFlagErr));
}

TEST_F(QDPixels, WindowPortsHaveWhitePixelsThatFollowTheContentSize) {
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
  RgnHandle vis = NewRgn();
  Rect visBounds;
  GetPortVisibleRegion(port, vis);
  EXPECT_TRUE(EqualRect(GetRegionBounds(vis, &visBounds), &resized));
  DisposeRgn(vis);
}

TEST_F(QDPixels, AWindowWhosePixelsCannotBeMadeIsNotMade) {
  const Rect content = R(50, 50, 80, 90);
  for (UInt32 n = 1; n <= 8; ++n) {
    WindowRef window = nullptr;
    sp_testing::FailNthAllocation(n);
    const OSStatus err = CreateNewWindow(kDocumentWindowClass, 0, &content, &window);
    sp_testing::FailNthAllocation(0);
    if (err == noErr) {
      EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(window), 0, 0), kWhite) << n;
      DisposeWindow(window);
      continue;
    }
    EXPECT_EQ(err, memFullErr) << n;
    EXPECT_EQ(window, nullptr) << n;
    EXPECT_TRUE(sp_testing::WindowList().empty()) << n;
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
    EXPECT_EQ(pen.h, c.h2) << c.name;
    EXPECT_EQ(pen.v, c.v2) << c.name;
  }
}

TEST_F(QDPixels, RelativeMovesAndHiddenPens) {
  MoveTo(2, 2);
  Move(1, 1);
  Line(2, 0);  // (3,3) to (5,3)
  EXPECT_EQ(Picture(R(3, 2, 4, 7)), ".###./");
  HidePen();
  HidePen();
  MoveTo(0, 10);
  LineTo(10, 10);
  ShowPen();
  LineTo(10, 12);  // one ShowPen does not undo two HidePen; a hidden pen still moves
  ShowPen();
  LineTo(12, 12);
  EXPECT_EQ(Picture(R(10, 5, 13, 13)), "......../......../.....###/");
}

TEST_F(QDPixels, PenStateRoundTripsAndPenNormalKeepsTheLocation) {
  Pattern gray;
  MoveTo(7, 8);
  PenSize(3, 4);
  PenMode(patXor);
  PenPat(GetQDGlobalsGray(&gray));
  PenState saved, now;
  GetPenState(&saved);
  PenNormal();
  GetPenState(&now);
  EXPECT_EQ(
      std::vector<int>({now.pnLoc.h, now.pnSize.h, now.pnSize.v, now.pnMode, now.pnPat.pat[1]}),
      std::vector<int>({7, 1, 1, patCopy, 0xFF}));
  SetPenState(&saved);
  GetPenState(&now);
  EXPECT_EQ(
      std::vector<int>({now.pnLoc.h, now.pnSize.h, now.pnSize.v, now.pnMode, now.pnPat.pat[1]}),
      std::vector<int>({7, 3, 4, patXor, 0x55}));
}

TEST_F(QDPixels, PatternModesUseTheForeAndBackColours) {
  const RGBColor red = RGB8(255, 0, 0), blue = RGB8(0, 0, 255);
  RGBForeColor(&red);
  RGBBackColor(&blue);
  Pattern gray;
  GetQDGlobalsGray(&gray);  // row 0: 10101010
  PenPat(&gray);
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
    EXPECT_EQ(Px(0, 0), c.at0) << c.mode;
    EXPECT_EQ(Px(1, 0), c.at1) << c.mode;
  }
}

TEST_F(QDPixels, PatternsAreAlignedToLocalCoordinates) {
  Pattern gray;
  GetQDGlobalsGray(&gray);
  const Rect r = R(0, 0, 2, 4), shifted = R(0, 1, 2, 5);
  FillRect(&r, &gray);
  EXPECT_EQ(Picture(r), "#.#./.#.#/");
  Clear();
  SetOrigin(1, 0);
  FillRect(&shifted, &gray);
  SetOrigin(0, 0);
  EXPECT_EQ(Picture(r), ".#.#/#.#./");
}

TEST_F(QDPixels, GetPatternReadsEightBytePatternResources) {
  sp_testing::ResetResources();
  const std::vector<UInt8> dots = {0x80, 0, 0x08, 0, 0x80, 0, 0x08, 0};
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("PAT "), 6100, dots), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("PAT "), 6101, dots.data(), 7), noErr);
  PatHandle pat = GetPattern(6100);
  ASSERT_NE(pat, nullptr);
  EXPECT_EQ((**pat).pat[2], 0x08);
  EXPECT_EQ(GetPattern(6101), nullptr) << "one byte short of a pattern";
  EXPECT_EQ(GetPattern(6102), nullptr);
  sp_testing::ResetResources();
}

// The clip keeps its local coordinates: after the origin moves it covers other pixels.
TEST_F(QDPixels, SetOriginShiftsDrawingButNotTheClipRegion) {
  SetOrigin(10, 20);
  const Rect r = R(20, 10, 22, 13);  // the top-left pixels in the new coordinates
  PaintRect(&r);
  SetOrigin(0, 0);
  EXPECT_EQ(Picture(R(0, 0, 3, 4)), "###./###./..../");
  Clear();
  const Rect clip = R(10, 10, 15, 15), all = R(-100, -100, 100, 100);
  ClipRect(&clip);
  SetOrigin(10, 10);
  PaintRect(&all);
  SetOrigin(0, 0);
  EXPECT_EQ(Picture(R(3, 3, 6, 6)), "##./##./.../");
  EXPECT_EQ(Px(10, 10), kWhite);
}

TEST_F(QDPixels, DrawingStaysInsideTheClipRegion) {
  RgnHandle a = NewRgn(), b = NewRgn(), saved = NewRgn();  // an L of two rectangles
  SetRectRgn(a, 0, 0, 6, 2);
  SetRectRgn(b, 0, 2, 2, 4);
  UnionRgn(a, b, a);
  const Rect all = R(0, 0, 40, 40);
  GetClip(saved);
  SetClip(a);
  SetEmptyRgn(a);  // the port keeps its own copy
  PaintRect(&all);
  EXPECT_EQ(Picture(R(0, 0, 5, 7)), "######./######./##...../##...../......./");
  SetClip(saved);
  InvertRect(&all);
  EXPECT_EQ(Picture(R(3, 0, 4, 7)), "..#####/") << "the wide-open clip is back";
  EXPECT_EQ(Px(39, 39), kBlack);
  for (RgnHandle r : {a, b, saved}) DisposeRgn(r);
}

TEST_F(QDPixels, DrawingOutsideThePixelsIsCut) {
  GWorldPtr small = NewWorld(R(10, 10, 14, 14));  // local coordinates from (10, 10)
  SetGWorld(small, nullptr);
  const Rect huge = R(-32767, -32767, 32767, 32767);
  PaintOval(&huge);
  PaintArc(&huge, 10, 80);  // pixel by pixel only where there are pixels
  FrameArc(&huge, 10, 80);
  PaintRect(&huge);
  MoveTo(-1000, 12);
  LineTo(1000, 12);
  EXPECT_EQ(Picture(small, R(10, 10, 14, 14)), "####/####/####/####/");
}

TEST_F(QDPixels, ColoursGoToPixelsByTheirHighBytesAndSetCPixelKeepsToTheClip) {
  const RGBColor c = {0x8000, 0x12FF, 0xFFFF}, grey = RGB8(0x40, 0x40, 0x40);
  RGBForeColor(&c);
  const Rect dot = R(0, 0, 1, 1);
  PaintRect(&dot);
  EXPECT_EQ(Px(0, 0), 0x8012FFu);
  RGBColor back;
  GetCPixel(0, 0, &back);
  EXPECT_EQ(back.green, 0x1212) << "each byte read back as both bytes";
  GetCPixel(100, 100, &back);
  EXPECT_EQ(back.red, 0) << "outside the pixels: black";
  ForeColor(redColor);
  PaintRect(&dot);
  EXPECT_EQ(Px(0, 0), 0xDD0806u) << "the old colour constants";
  ClipRect(&dot);
  for (SInt16 h : {0, 1, -1}) SetCPixel(h, 0, &grey);  // -1: outside the pixels, ignored
  EXPECT_EQ(Row(0, 0, 2), (std::vector<UInt32>{0x404040, kWhite}));
}

// The PNG is for a person to look at; the pixels under it are checked here.
TEST_F(QDPixels, SnapshotWritesAPngAPersonCanLookAt) {
  GWorldPtr picture = world_ = NewWorld(R(0, 0, 120, 160));
  SetGWorld(picture, nullptr);
  const Rect frame = R(4, 4, 116, 156), oval = R(14, 14, 74, 74), arc = R(20, 20, 68, 68);
  const Rect box = R(20, 90, 60, 140), line = R(80, 20, 104, 140);
  const RGBColor blue = RGB8(0x20, 0x40, 0xC0), orange = RGB8(0xF0, 0x90, 0x20);
  Pattern gray;
  GetQDGlobalsGray(&gray);
  PenSize(3, 3);
  FrameRoundRect(&frame, 18, 18);
  PenNormal();
  RGBForeColor(&blue);
  PaintOval(&oval);
  RGBForeColor(&orange);
  PaintArc(&arc, 45, 90);
  ForeColor(blackColor);
  FillRect(&box, &gray);
  PenSize(2, 2);
  FrameRect(&line);
  MoveTo(line.left, line.top);
  LineTo(line.right - 2, line.bottom - 2);
  // The frame's top and rounded corner, inside it, the oval, the arc at two o'clock, the
  // pattern's dot and gap, the frame's bottom, the line's start and halfway along it.
  EXPECT_EQ(WrongProbes("80,4# 80,7. 4,4. 30,44=2040C0 60,30=F09020 90,20# 91,20. 100,103# "
                        "21,81# 80,92#"),
            "");
  const std::string path = ::testing::TempDir() + "qd-pixels-snapshot.png";
  ASSERT_TRUE(sp_testing::SnapshotPort(picture, path));
  std::printf("PNG snapshot: %s\n", path.c_str());
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char signature[4] = {};
  EXPECT_EQ(std::fread(signature, 1, 4, f), 4u);
  std::fclose(f);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_FALSE(sp_testing::SnapshotPort(nullptr, path));
  EXPECT_FALSE(sp_testing::SnapshotPort(world_, "/nonexistent-folder/x.png"));
}

// The text drawing's way in: coverage 0, half, full and full again, clipped after three.
TEST_F(QDPixels, CoverageMasksBlendByModeInsideTheClip) {
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

}  // namespace
