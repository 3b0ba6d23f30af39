// Ports and GWorlds on pixels: allocation, origins, clipping, the pen, colours and patterns.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "MacWindows.h"
#include "QDPixelsFixture.h"
#include "SpTesting.h"
#include "quickdraw/detail/Ports.h"

namespace {

using qdtest::kBlack;
using qdtest::kWhite;
using qdtest::R;
using qdtest::RGB8;

class QDPixels : public qdtest::QDPixelsFixture {};

// ---- GWorlds ----

TEST_F(QDPixels, NewGWorldIsThirtyTwoBitsDeepWhateverTheDepthAsked) {
  for (SInt16 depth : {0, 1, 8, 16, 32}) {
    GWorldPtr w = nullptr;
    const Rect r = R(5, 10, 25, 40);
    ASSERT_EQ(NewGWorld(&w, depth, &r, nullptr, nullptr, 0), noErr) << depth;
    PixMapHandle pm = GetGWorldPixMap(w);
    ASSERT_NE(pm, nullptr);
    EXPECT_EQ((**pm).pixelSize, 32) << depth;
    EXPECT_TRUE(EqualRect(&(**pm).bounds, &r)) << "the pixels use the rectangle's coordinates";
    EXPECT_GE(GetPixRowBytes(pm), 30 * 4);
    EXPECT_TRUE(LockPixels(pm));
    EXPECT_NE(GetPixBaseAddr(pm), nullptr);
    Rect bounds;
    GetPortBounds(w, &bounds);
    EXPECT_TRUE(EqualRect(&bounds, &r));
    EXPECT_TRUE(IsPortColor(w));
    DisposeGWorld(w);
  }
}

TEST_F(QDPixels, NewGWorldRefusalsLeaveNoWorld) {
  GWorldPtr w = reinterpret_cast<GWorldPtr>(&w);
  const Rect empty = R(0, 0, 0, 10), wide = R(0, 0, 1, 5000), ok = R(0, 0, 10, 10);
  EXPECT_EQ(NewGWorld(&w, 32, nullptr, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(w, nullptr);
  EXPECT_EQ(NewGWorld(&w, 32, &empty, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(&w, 32, &wide, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(nullptr, 32, &ok, nullptr, nullptr, 0), paramErr);

  sp_testing::LimitAllocationSize(200);  // the record fits, the pixels do not
  w = reinterpret_cast<GWorldPtr>(&w);
  EXPECT_EQ(NewGWorld(&w, 32, &ok, nullptr, nullptr, 0), memFullErr);
  sp_testing::LimitAllocationSize(0);
  EXPECT_EQ(w, nullptr);
  for (UInt32 n = 1; n <= 5; ++n) {
    sp_testing::FailNthAllocation(n);
    const QDErr err = NewGWorld(&w, 32, &ok, nullptr, nullptr, 0);
    sp_testing::FailNthAllocation(0);
    if (err == noErr) {
      DisposeGWorld(w);
      continue;
    }
    EXPECT_EQ(err, memFullErr) << n;
    EXPECT_EQ(w, nullptr) << n;
  }
}

TEST_F(QDPixels, DisposingTheCurrentGWorldMakesTheScreenPortCurrent) {
  GWorldPtr w = nullptr;
  const Rect r = R(0, 0, 4, 4);
  ASSERT_EQ(NewGWorld(&w, 32, &r, nullptr, nullptr, 0), noErr);
  SetGWorld(w, nullptr);
  CGrafPtr port;
  GDHandle device;
  GetGWorld(&port, &device);
  EXPECT_EQ(port, w);
  EXPECT_EQ(device, GetMainDevice());
  DisposeGWorld(w);
  GetPort(&port);
  EXPECT_NE(port, w);
  SetPort(w);
  GetPort(&port);
  EXPECT_NE(port, w) << "a disposed GWorld is no port any more";
  PaintRect(&r);  // draws on the screen's port, which has no pixels: nothing happens
}

TEST_F(QDPixels, UpdateGWorldKeepsTheImageAtTheTopLeft) {
  sp_testing::FillPort(world_, 0x123456);
  const Rect bigger = R(0, 0, 50, 60);
  GWorldPtr w = world_;
  EXPECT_EQ(UpdateGWorld(&w, 32, &bigger, nullptr, nullptr, 0), GWorldFlags(reallocPix));
  EXPECT_EQ(w, world_);
  EXPECT_EQ(Px(0, 0), 0x123456u);
  EXPECT_EQ(Px(39, 39), 0x123456u);
  Rect bounds;
  GetPortBounds(w, &bounds);
  EXPECT_EQ(bounds.right, 60);
  EXPECT_EQ(Px(59, 49) & 0xFF000000u, 0u) << "the new pixels are inside the pixel map";
  EXPECT_EQ(UpdateGWorld(&w, 32, nullptr, nullptr, nullptr, 0), GWorldFlags(gwFlagErr));
}

// ---- Window ports ----

TEST_F(QDPixels, WindowPortsHaveWhitePixelsThatFollowTheContentSize) {
  const Rect content = R(100, 100, 130, 150);
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  ASSERT_NE(window, nullptr);
  CGrafPtr port = GetWindowPort(window);
  const BitMap* bits = GetPortBitMapForCopyBits(port);
  ASSERT_NE(bits, nullptr);
  const Rect local = R(0, 0, 30, 50);
  EXPECT_TRUE(EqualRect(&bits->bounds, &local));
  EXPECT_EQ(sp_testing::ReadPixel(port, 0, 0), kWhite);
  EXPECT_EQ(sp_testing::ReadPixel(port, 49, 29), kWhite);

  SetPortWindowPort(window);
  const Rect corner = R(10, 40, 30, 50);
  PaintRect(&corner);
  SizeWindow(window, 70, 20, false);  // wider and lower
  bits = GetPortBitMapForCopyBits(port);
  const Rect resized = R(0, 0, 20, 70);
  EXPECT_TRUE(EqualRect(&bits->bounds, &resized));
  EXPECT_EQ(sp_testing::ReadPixel(port, 45, 19), kBlack) << "the old image stays at the top-left";
  EXPECT_EQ(sp_testing::ReadPixel(port, 60, 10), kWhite) << "new pixels are white";
  RgnHandle vis = NewRgn();
  GetPortVisibleRegion(port, vis);
  Rect visBounds;
  GetRegionBounds(vis, &visBounds);
  EXPECT_TRUE(EqualRect(&visBounds, &resized));
  DisposeRgn(vis);
  DisposeWindow(window);
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

TEST_F(QDPixels, FlushesAreCountedPerPort) {
  GWorldPtr other = NewWorld(R(0, 0, 2, 2));
  QDFlushPortBuffer(world_, nullptr);
  QDFlushPortBuffer(world_, nullptr);
  QDFlushPortBuffer(other, nullptr);
  QDFlushPortBuffer(nullptr, nullptr);
  EXPECT_EQ(sp_testing::FlushCount(world_), 2u);
  EXPECT_EQ(sp_testing::FlushCount(other), 1u);
}

TEST_F(QDPixels, TheMainDeviceIsThirtyTwoBitsAndFollowsTheScreen) {
  GDHandle device = GetMainDevice();
  ASSERT_NE(device, nullptr);
  ASSERT_NE((**device).gdPMap, nullptr);
  EXPECT_EQ((**(**device).gdPMap).pixelSize, 32);
  EXPECT_EQ(GetMaxDevice(nullptr), device);
  sp_testing::SetScreenSize(800, 600);
  const Rect screen = R(0, 0, 600, 800);
  EXPECT_TRUE(EqualRect(&(**device).gdRect, &screen));
  EXPECT_TRUE(EqualRect(&(**(**device).gdPMap).bounds, &screen));

  RGBColor back = {0xFFFF, 0xFFFF, 0xFFFF}, fore = {6898, 6898, 6898};
  EXPECT_TRUE(GetGray(device, &back, &fore));
  EXPECT_EQ(fore.red, (0xFFFF + 6898) / 2);
  EXPECT_FALSE(GetGray(device, nullptr, &fore));
}

// ---- The pen ----

struct LineCase {
  const char* name;
  SInt16 penW, penH;
  SInt16 h1, v1, h2, v2;
  const char* picture;  // rows 0-4, columns 0-7
};

TEST_F(QDPixels, LinesCoverThePenRectangleAtEveryPointBothEndsIncluded) {
  const LineCase cases[] = {
      {"1x1 horizontal", 1, 1, 0, 0, 3, 0, "####....\n........\n........\n........\n........\n"},
      {"1x1 backwards", 1, 1, 3, 1, 0, 1, "........\n####....\n........\n........\n........\n"},
      {"1x1 vertical", 1, 1, 2, 1, 2, 3, "........\n..#.....\n..#.....\n..#.....\n........\n"},
      {"1x1 diagonal", 1, 1, 0, 0, 3, 3, "#.......\n.#......\n..#.....\n...#....\n........\n"},
      {"2x2 point hangs right and below", 2, 2, 5, 2, 5, 2,
       "........\n........\n.....##.\n.....##.\n........\n"},
      {"3x1 horizontal", 3, 1, 1, 4, 3, 4, "........\n........\n........\n........\n.#####..\n"},
      {"0 wide draws nothing", 0, 2, 0, 0, 5, 0,
       "........\n........\n........\n........\n........\n"},
  };
  for (const LineCase& c : cases) {
    sp_testing::FillPort(world_, kWhite);
    PenSize(c.penW, c.penH);
    MoveTo(c.h1, c.v1);
    LineTo(c.h2, c.v2);
    EXPECT_EQ(Picture(R(0, 0, 5, 8)), c.picture) << c.name;
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
  EXPECT_EQ(Picture(R(3, 2, 4, 7)), ".###.\n");
  HidePen();
  HidePen();
  MoveTo(0, 10);
  LineTo(10, 10);
  ShowPen();
  LineTo(10, 12);
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen.v, 12) << "a hidden pen still moves";
  EXPECT_EQ(Px(5, 10), kWhite);
  EXPECT_EQ(Px(10, 11), kWhite) << "one ShowPen does not undo two HidePen";
  ShowPen();
  LineTo(12, 12);
  EXPECT_EQ(Px(11, 12), kBlack);
}

TEST_F(QDPixels, PenStateRoundTripsAndPenNormalKeepsTheLocation) {
  Pattern gray;
  GetQDGlobalsGray(&gray);
  MoveTo(7, 8);
  PenSize(3, 4);
  PenMode(patXor);
  PenPat(&gray);
  PenState saved;
  GetPenState(&saved);
  PenNormal();
  PenState normal;
  GetPenState(&normal);
  EXPECT_EQ(normal.pnLoc.h, 7);
  EXPECT_EQ(normal.pnSize.h, 1);
  EXPECT_EQ(normal.pnSize.v, 1);
  EXPECT_EQ(normal.pnMode, patCopy);
  EXPECT_EQ(normal.pnPat.pat[1], 0xFF);
  SetPenState(&saved);
  GetPenState(&normal);
  EXPECT_EQ(normal.pnSize.v, 4);
  EXPECT_EQ(normal.pnMode, patXor);
  EXPECT_EQ(normal.pnPat.pat[1], 0x55);
}

TEST_F(QDPixels, PatternModesUseTheForeAndBackColours) {
  const RGBColor red = RGB8(255, 0, 0), blue = RGB8(0, 0, 255);
  RGBForeColor(&red);
  RGBBackColor(&blue);
  Pattern gray;
  GetQDGlobalsGray(&gray);  // row 0: 10101010
  PenPat(&gray);
  const Rect row0 = R(0, 0, 1, 2);
  struct {
    SInt16 mode;
    UInt32 at0, at1;  // the two pixels over a green background
  } cases[] = {
      {patCopy, 0xFF0000, 0x0000FF},    {patOr, 0xFF0000, 0x00FF00},
      {patXor, 0xFF00FF, 0x00FF00},     {patBic, 0x0000FF, 0x00FF00},
      {notPatCopy, 0x0000FF, 0xFF0000}, {notPatOr, 0x00FF00, 0xFF0000},
      {srcOr, 0xFF0000, 0x00FF00},      {blend, 0xFF0000, 0x0000FF},
  };
  for (const auto& c : cases) {
    sp_testing::FillPort(world_, 0x00FF00);
    PenMode(c.mode);
    PaintRect(&row0);
    EXPECT_EQ(Px(0, 0), c.at0) << c.mode;
    EXPECT_EQ(Px(1, 0), c.at1) << c.mode;
  }
}

TEST_F(QDPixels, PatternsAreAlignedToLocalCoordinates) {
  Pattern gray;
  GetQDGlobalsGray(&gray);
  const Rect r = R(0, 0, 2, 4);
  FillRect(&r, &gray);
  EXPECT_EQ(Picture(R(0, 0, 2, 4)), "#.#.\n.#.#\n");
  sp_testing::FillPort(world_, kWhite);
  SetOrigin(1, 0);
  const Rect shifted = R(0, 1, 2, 5);
  FillRect(&shifted, &gray);
  SetOrigin(0, 0);
  EXPECT_EQ(Picture(R(0, 0, 2, 4)), ".#.#\n#.#.\n");
}

TEST_F(QDPixels, GetPatternReadsEightBytePatternResources) {
  sp_testing::ResetResources();
  const std::vector<UInt8> dots = {0x80, 0, 0x08, 0, 0x80, 0, 0x08, 0};
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("PAT "), 6100, dots), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("PAT "), 6101, dots.data(), 4), noErr);
  PatHandle pat = GetPattern(6100);
  ASSERT_NE(pat, nullptr);
  EXPECT_EQ((**pat).pat[2], 0x08);
  EXPECT_EQ(GetPattern(6101), nullptr) << "shorter than a pattern";
  EXPECT_EQ(GetPattern(6102), nullptr);
  sp_testing::ResetResources();
}

// ---- Origins and clipping ----

TEST_F(QDPixels, SetOriginShiftsDrawingButNotTheClipRegion) {
  SetOrigin(10, 20);
  const Rect r = R(20, 10, 22, 13);  // the top-left pixels in the new coordinates
  PaintRect(&r);
  SetOrigin(0, 0);
  EXPECT_EQ(Picture(R(0, 0, 3, 4)), "###.\n###.\n....\n");

  // The clip keeps its local coordinates: after the origin moves it covers other pixels.
  sp_testing::FillPort(world_, kWhite);
  const Rect clip = R(10, 10, 15, 15), all = R(-100, -100, 100, 100);
  ClipRect(&clip);
  SetOrigin(10, 10);
  PaintRect(&all);
  SetOrigin(0, 0);
  EXPECT_EQ(Px(0, 0), kBlack);
  EXPECT_EQ(Px(4, 4), kBlack);
  EXPECT_EQ(Px(5, 4), kWhite);
  EXPECT_EQ(Px(10, 10), kWhite);
}

TEST_F(QDPixels, DrawingStaysInsideTheClipRegion) {
  // An L of two rectangles.
  RgnHandle a = NewRgn(), b = NewRgn(), saved = NewRgn();
  const Rect ra = R(0, 0, 2, 6), rb = R(2, 0, 4, 2), all = R(0, 0, 40, 40);
  RectRgn(a, &ra);
  RectRgn(b, &rb);
  UnionRgn(a, b, a);
  GetClip(saved);
  SetClip(a);
  PaintRect(&all);
  EXPECT_EQ(Picture(R(0, 0, 5, 7)), "######.\n######.\n##.....\n##.....\n.......\n");
  // The port keeps its own copy: changing the caller's region changes nothing.
  SetEmptyRgn(a);
  InvertRect(&all);
  EXPECT_EQ(Px(0, 0), kWhite);
  SetClip(saved);
  InvertRect(&all);
  EXPECT_EQ(Px(0, 0), kBlack) << "the wide-open clip is back";
  EXPECT_EQ(Px(39, 39), kBlack);
  DisposeRgn(a);
  DisposeRgn(b);
  DisposeRgn(saved);
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
  EXPECT_EQ(Picture(small, R(10, 10, 14, 14)), "####\n####\n####\n####\n");
}

// ---- Colours and single pixels ----

TEST_F(QDPixels, ColoursGoToPixelsByTheirHighBytes) {
  const RGBColor c = {0x8000, 0x12FF, 0xFFFF};
  RGBForeColor(&c);
  const Rect dot = R(0, 0, 1, 1);
  PaintRect(&dot);
  EXPECT_EQ(Px(0, 0), 0x8012FFu);
  RGBColor back;
  GetCPixel(0, 0, &back);
  EXPECT_EQ(back.red, 0x8080);
  EXPECT_EQ(back.green, 0x1212);
  EXPECT_EQ(back.blue, 0xFFFF);
  GetCPixel(100, 100, &back);
  EXPECT_EQ(back.red, 0) << "outside the pixels: black";

  ForeColor(redColor);
  BackColor(whiteColor);
  RGBColor fore, backColour;
  GetForeColor(&fore);
  GetBackColor(&backColour);
  EXPECT_GT(fore.red, 0xC000);
  EXPECT_LT(fore.green, 0x2000);
  EXPECT_EQ(backColour.blue, 0xFFFF);
  RGBColor viaPort;
  ASSERT_NE(GetPortForeColor(world_, &viaPort), nullptr);
  EXPECT_EQ(viaPort.red, fore.red);
  EXPECT_EQ(GetPortBackColor(nullptr, &viaPort), nullptr);
}

TEST_F(QDPixels, SetCPixelKeepsToTheClip) {
  const Rect clip = R(0, 0, 1, 1);
  ClipRect(&clip);
  const RGBColor grey = RGB8(0x40, 0x40, 0x40);
  SetCPixel(0, 0, &grey);
  SetCPixel(1, 0, &grey);
  SetCPixel(-1, 0, &grey);  // outside the pixels: ignored
  EXPECT_EQ(Px(0, 0), 0x404040u);
  EXPECT_EQ(Px(1, 0), kWhite);
}

// ---- Snapshots ----

TEST_F(QDPixels, SnapshotWritesAPngAPersonCanLookAt) {
  GWorldPtr picture = NewWorld(R(0, 0, 120, 160));
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

  const std::string path = ::testing::TempDir() + "qd-pixels-snapshot.png";
  ASSERT_TRUE(sp_testing::SnapshotPort(picture, path));
  std::printf("PNG snapshot: %s\n", path.c_str());
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char signature[8] = {};
  EXPECT_EQ(std::fread(signature, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(signature[1], 'P');
  EXPECT_EQ(signature[2], 'N');
  EXPECT_EQ(signature[3], 'G');
  EXPECT_FALSE(sp_testing::SnapshotPort(nullptr, path));
  EXPECT_FALSE(sp_testing::SnapshotPort(world_, "/nonexistent-folder/x.png"));
}

// ---- Coverage masks (the text drawing's way in) ----

TEST_F(QDPixels, CoverageMasksBlendByModeInsideTheClip) {
  // Coverage 0, half, full, and full again.
  const UInt8 coverage[4] = {0, 128, 255, 255};
  const Rect box = R(0, 0, 1, 4);
  struct {
    SInt16 mode;
    UInt32 px[4];  // over a grey port, fore red, back blue
  } cases[] = {
      {srcOr, {0x808080, 0xC04040, 0xFF0000, 0xFF0000}},
      {srcCopy, {0x0000FF, 0x80007F, 0xFF0000, 0xFF0000}},
      {srcBic, {0x808080, 0x4040C0, 0x0000FF, 0x0000FF}},
      {srcXor, {0x808080, 0x7F7F7F, 0x7F7F7F, 0x7F7F7F}},
      {notSrcOr, {0xFF0000, 0xBF4040, 0x808080, 0x808080}},
      {patOr, {0x808080, 0xC04040, 0xFF0000, 0xFF0000}},
  };
  const RGBColor red = RGB8(255, 0, 0), blue = RGB8(0, 0, 255);
  RGBForeColor(&red);
  RGBBackColor(&blue);
  const Rect clip = R(0, 0, 40, 3);
  ClipRect(&clip);
  for (const auto& c : cases) {
    sp_testing::FillPort(world_, 0x808080);
    sp_platform::DrawCoverageMask(world_, box, coverage, sizeof coverage, c.mode);
    for (SInt16 h = 0; h < 3; ++h) EXPECT_EQ(Px(h, 0), c.px[h]) << c.mode << " at " << h;
    EXPECT_EQ(Px(3, 0), 0x808080u) << c.mode << ": outside the clip";
  }
}

}  // namespace
