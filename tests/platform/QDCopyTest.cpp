// Copying pixels: CopyBits with scaling, modes, masks and clipping, CopyMask, CopyDeepMask and
// ScrollRect.
#include <gtest/gtest.h>

#include <vector>

#include "QDPixelsFixture.h"

namespace {

using qdtest::kBlack;
using qdtest::kWhite;
using qdtest::R;
using qdtest::RGB8;

class QDCopy : public qdtest::QDPixelsFixture {
 protected:
  static const BitMap* Bits(CGrafPtr port) { return GetPortBitMapForCopyBits(port); }

  // A 2 x 2 source: black, white / red, blue.
  GWorldPtr Checker() {
    GWorldPtr src = NewWorld(R(0, 0, 2, 2));
    const RGBColor black = RGB8(0, 0, 0), red = RGB8(255, 0, 0), blue = RGB8(0, 0, 255);
    CGrafPtr saved;
    GetPort(&saved);
    SetPort(src);
    SetCPixel(0, 0, &black);
    SetCPixel(0, 1, &red);
    SetCPixel(1, 1, &blue);
    SetPort(saved);
    return src;
  }
};

TEST_F(QDCopy, CopyBitsScalesToTheNearestPixel) {
  GWorldPtr src = Checker();
  const Rect from = R(0, 0, 2, 2), up = R(0, 0, 4, 4);
  CopyBits(Bits(src), Bits(world_), &from, &up, srcCopy, nullptr);
  const UInt32 expected[4][4] = {{kBlack, kBlack, kWhite, kWhite},
                                 {kBlack, kBlack, kWhite, kWhite},
                                 {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF},
                                 {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF}};
  for (SInt16 v = 0; v < 4; ++v) {
    for (SInt16 h = 0; h < 4; ++h) EXPECT_EQ(Px(h, v), expected[v][h]) << h << "," << v;
  }
  EXPECT_EQ(Px(4, 0), kWhite);
  EXPECT_EQ(Px(0, 4), kWhite);

  // Down again: every other pixel.
  GWorldPtr small = NewWorld(R(0, 0, 2, 2));
  CopyBits(Bits(world_), Bits(small), &up, &from, srcCopy, nullptr);
  EXPECT_EQ(sp_testing::ReadPixel(small, 0, 0), kBlack);
  EXPECT_EQ(sp_testing::ReadPixel(small, 1, 1), 0x0000FFu);
}

TEST_F(QDCopy, CopyBitsUsesEachBitmapsOwnCoordinates) {
  GWorldPtr src = NewWorld(R(100, 200, 110, 210));  // local coordinates from (200, 100)
  sp_testing::FillPort(src, 0x336699);
  const Rect from = R(100, 200, 102, 202), to = R(5, 6, 7, 8);
  CopyBits(Bits(src), Bits(world_), &from, &to, srcCopy, nullptr);
  EXPECT_EQ(Px(6, 5), 0x336699u);
  EXPECT_EQ(Px(7, 6), 0x336699u);
  EXPECT_EQ(Px(8, 6), kWhite);
  // A source rectangle partly outside the source's pixels copies only what exists.
  sp_testing::FillPort(world_, kWhite);
  const Rect beyond = R(108, 208, 112, 212), to2 = R(0, 0, 4, 4);
  CopyBits(Bits(src), Bits(world_), &beyond, &to2, srcCopy, nullptr);
  EXPECT_EQ(Px(1, 1), 0x336699u);
  EXPECT_EQ(Px(2, 2), kWhite);
}

TEST_F(QDCopy, CopyBitsKeepsToTheMaskRegionAndTheCurrentPortsClip) {
  GWorldPtr src = NewWorld(R(0, 0, 10, 10));
  sp_testing::FillPort(src, kBlack);
  const Rect all = R(0, 0, 10, 10), maskRect = R(2, 2, 4, 4), clip = R(0, 0, 3, 10);
  RgnHandle mask = NewRgn();
  RectRgn(mask, &maskRect);
  CopyBits(Bits(src), Bits(world_), &all, &all, srcCopy, mask);
  EXPECT_EQ(Picture(R(1, 1, 5, 5)), "....\n.##.\n.##.\n....\n");

  // Copying into the current port honours its clip; into another GWorld it does not.
  sp_testing::FillPort(world_, kWhite);
  ClipRect(&clip);
  CopyBits(Bits(src), Bits(world_), &all, &all, srcCopy, nullptr);
  EXPECT_EQ(Px(5, 2), kBlack);
  EXPECT_EQ(Px(5, 3), kWhite);
  GWorldPtr other = NewWorld(R(0, 0, 10, 10));
  CopyBits(Bits(src), Bits(other), &all, &all, srcCopy, nullptr);
  EXPECT_EQ(sp_testing::ReadPixel(other, 5, 5), kBlack);
  DisposeRgn(mask);
}

TEST_F(QDCopy, ForeAndBackColoursColouriseOnlyWhenNotBlackAndWhite) {
  GWorldPtr src = Checker();  // black, white / red, blue
  const Rect from = R(0, 0, 2, 2);
  CopyBits(Bits(src), Bits(world_), &from, &from, srcCopy, nullptr);
  EXPECT_EQ(Px(0, 1), 0xFF0000u) << "black on white: copied as it is";
  const RGBColor green = RGB8(0, 255, 0), yellow = RGB8(255, 255, 0);
  RGBForeColor(&green);
  RGBBackColor(&yellow);
  CopyBits(Bits(src), Bits(world_), &from, &from, srcCopy, nullptr);
  EXPECT_EQ(Px(0, 0), 0x00FF00u) << "black becomes the fore colour";
  EXPECT_EQ(Px(1, 0), 0xFFFF00u) << "white becomes the back colour";
}

struct ModeCase {
  const char* name;
  SInt16 mode;
  UInt32 overBlack, overWhite;  // results of a black and of a white source pixel on grey
};

TEST_F(QDCopy, SourceModesOnAGreyDestination) {
  GWorldPtr src = Checker();  // (0,0) black, (1,0) white
  const RGBColor red = RGB8(255, 0, 0);
  const ModeCase cases[] = {
      {"srcCopy", srcCopy, kBlack, kWhite},
      {"srcOr", srcOr, kBlack, 0x808080},
      {"srcXor", srcXor, 0x7F7F7F, 0x808080},
      {"srcBic", srcBic, kWhite, 0x808080},
      {"notSrcCopy", notSrcCopy, kWhite, kBlack},
      {"notSrcOr", notSrcOr, 0x808080, kBlack},
      {"transparent", transparent, kBlack, 0x808080},
      {"blend", blend, 0x404040, 0xC0C0C0},
      {"srcCopy+ditherCopy", srcCopy + ditherCopy, kBlack, kWhite},
  };
  const Rect from = R(0, 0, 1, 2);
  for (const ModeCase& c : cases) {
    sp_testing::FillPort(world_, 0x808080);
    CopyBits(Bits(src), Bits(world_), &from, &from, c.mode, nullptr);
    EXPECT_EQ(Px(0, 0), c.overBlack) << c.name;
    EXPECT_EQ(Px(1, 0), c.overWhite) << c.name;
  }
  // srcOr lays the fore colour where the source is dark.
  RGBForeColor(&red);
  sp_testing::FillPort(world_, 0x808080);
  CopyBits(Bits(src), Bits(world_), &from, &from, srcOr, nullptr);
  EXPECT_EQ(Px(0, 0), 0xFF0000u);
}

TEST_F(QDCopy, SrcXorTwiceRestoresTheDestination) {
  GWorldPtr src = NewWorld(R(0, 0, 40, 40));
  Stripes(src);
  Stripes(world_);
  const std::vector<UInt32> before = AllPixels(world_);
  const Rect from = R(0, 0, 40, 40), to = R(3, 5, 23, 35);
  CopyBits(Bits(src), Bits(world_), &from, &to, srcXor, nullptr);
  EXPECT_NE(AllPixels(world_), before);
  CopyBits(Bits(src), Bits(world_), &from, &to, srcXor, nullptr);
  EXPECT_EQ(AllPixels(world_), before);
}

TEST_F(QDCopy, CopyingWithinOnePixelMapReadsTheOldPixels) {
  Stripes(world_);
  const std::vector<UInt32> before = AllPixels(world_);
  const Rect from = R(0, 0, 10, 30), to = R(1, 1, 11, 31);  // overlapping, one down and right
  CopyBits(Bits(world_), Bits(world_), &from, &to, srcCopy, nullptr);
  for (SInt16 v = 1; v < 11; ++v) {
    for (SInt16 h = 1; h < 31; ++h) {
      ASSERT_EQ(Px(h, v), before[std::size_t(v - 1) * 40 + std::size_t(h - 1)]) << h << "," << v;
    }
  }
}

TEST_F(QDCopy, CopyMaskCopiesWhereTheOneBitMaskIsSet) {
  GWorldPtr src = NewWorld(R(0, 0, 8, 8));
  sp_testing::FillPort(src, 0x00FF00);
  // Rows of 8 pixels, high bit leftmost: a diagonal and a full row.
  unsigned char bits[4] = {0x80, 0x40, 0xFF, 0x01};
  BitMap mask = {reinterpret_cast<Ptr>(bits), 1, R(0, 0, 4, 8)};
  const Rect from = R(0, 0, 4, 8);
  CopyMask(Bits(src), &mask, Bits(world_), &from, &from, &from);
  EXPECT_EQ(Picture(R(0, 0, 4, 8)),
            "o.......\n"
            ".o......\n"
            "oooooooo\n"
            ".......o\n");
  // Scaled with the source: a mask pixel covers two destination pixels.
  sp_testing::FillPort(world_, kWhite);
  const Rect twice = R(0, 0, 8, 16);
  CopyMask(Bits(src), &mask, Bits(world_), &from, &from, &twice);
  EXPECT_EQ(Picture(R(0, 0, 2, 4)), "oo..\noo..\n");
}

TEST_F(QDCopy, CopyDeepMaskMixesInProportionToTheMaskGrey) {
  GWorldPtr src = NewWorld(R(0, 0, 1, 4));
  GWorldPtr mask = NewWorld(R(0, 0, 1, 4));
  sp_testing::FillPort(src, kBlack);
  sp_testing::FillPort(world_, kWhite);
  // Mask: black, mid grey, white, 40 % grey (lets 40 % of the destination through).
  const RGBColor greys[4] = {RGB8(0, 0, 0), RGB8(0x80, 0x80, 0x80), RGB8(255, 255, 255),
                             RGB8(102, 102, 102)};
  SetPort(mask);
  for (SInt16 h = 0; h < 4; ++h) SetCPixel(h, 0, &greys[h]);
  SetPort(world_);
  const Rect r = R(0, 0, 1, 4);
  CopyDeepMask(Bits(src), Bits(mask), Bits(world_), &r, &r, &r, srcCopy, nullptr);
  EXPECT_EQ(Px(0, 0), kBlack) << "black takes the source";
  EXPECT_EQ(Px(1, 0), 0x808080u) << "mid grey: half of each";
  EXPECT_EQ(Px(2, 0), kWhite) << "white keeps the destination";
  EXPECT_EQ(Px(3, 0), 0x666666u) << "40 % of the white destination";

  // Passes stack: the same 40 % mask twice leaves 16 % of the destination.
  CopyDeepMask(Bits(src), Bits(mask), Bits(world_), &r, &r, &r, srcCopy, nullptr);
  EXPECT_EQ(Px(3, 0), 0x292929u);

  // A channel of the mask mixes its channel only.
  const RGBColor cyanMask = RGB8(0, 255, 255);
  SetPort(mask);
  SetCPixel(0, 0, &cyanMask);
  SetPort(world_);
  sp_testing::FillPort(world_, kWhite);
  CopyDeepMask(Bits(src), Bits(mask), Bits(world_), &r, &r, &r, srcCopy, nullptr);
  EXPECT_EQ(Px(0, 0), 0x00FFFFu);
}

TEST_F(QDCopy, ScrollRectMovesPixelsAndErasesWhatItUncovers) {
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
  EXPECT_TRUE(IsRegionRectangular(update));
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
}

}  // namespace
