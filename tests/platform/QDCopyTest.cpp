// Copying pixels: CopyBits with scaling, modes, masks and clipping, CopyMask, CopyDeepMask and
// ScrollRect.
#include <gtest/gtest.h>

#include <vector>

#include "QDPixelsFixture.h"

namespace {

using qdtest::kBlack;
using qdtest::kBlue;
using qdtest::kRed;
using qdtest::kWhite;
using qdtest::R;
using qdtest::RGB8;

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

TEST_F(QDCopy, CopyBitsScalesToTheNearestPixel) {
  GWorldPtr src = Checker();
  const Rect from = R(0, 0, 2, 2), up = R(0, 0, 4, 4);
  Copy(src, world_, from, up);
  for (SInt16 v : {0, 1})
    EXPECT_EQ(Row(v, 0, 5), (std::vector<UInt32>{0, 0, kWhite, kWhite, kWhite}));
  for (SInt16 v : {2, 3})
    EXPECT_EQ(Row(v, 0, 5), (std::vector<UInt32>{kRed, kRed, kBlue, kBlue, kWhite}));
  EXPECT_EQ(Px(0, 4), kWhite);
  GWorldPtr small = NewWorld(R(0, 0, 2, 2));  // down again: every other pixel
  Copy(world_, small, up, from);
  EXPECT_EQ(sp_testing::ReadPixel(small, 0, 0), kBlack);
  EXPECT_EQ(sp_testing::ReadPixel(small, 1, 1), kBlue);
}

TEST_F(QDCopy, CopyBitsUsesEachBitmapsOwnCoordinatesAndCopiesOnlyWhatExists) {
  GWorldPtr src = NewWorld(R(100, 200, 110, 210));  // local coordinates from (200, 100)
  sp_testing::FillPort(src, 0x336699);
  Copy(src, world_, R(100, 200, 102, 202), R(5, 6, 7, 8));
  EXPECT_EQ(Picture(R(4, 5, 8, 9)), "..../.oo./.oo./..../");
  Clear();
  Copy(src, world_, R(108, 208, 112, 212), R(0, 0, 4, 4));  // half outside the source
  EXPECT_EQ(Picture(R(0, 0, 3, 3)), "oo./oo./.../");
}

TEST_F(QDCopy, CopyBitsKeepsToTheMaskRegionAndTheCurrentPortsClip) {
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

TEST_F(QDCopy, SrcXorTwiceRestoresAndOverlappingCopiesReadTheOldPixels) {
  GWorldPtr src = NewWorld(R(0, 0, 40, 40));
  Stripes(src);
  Stripes(world_);
  const std::vector<UInt32> before = AllPixels(world_);
  const Rect from = R(0, 0, 40, 40), to = R(3, 5, 23, 35);
  Copy(src, world_, from, to, srcXor);
  EXPECT_NE(AllPixels(world_), before);
  Copy(src, world_, from, to, srcXor);
  EXPECT_EQ(AllPixels(world_), before);
  Copy(world_, world_, R(0, 0, 10, 30), R(1, 1, 11, 31));  // one down and right
  for (SInt16 v = 1; v < 11; ++v) {
    for (SInt16 h = 1; h < 31; ++h)
      ASSERT_EQ(Px(h, v), before[(v - 1) * 40 + h - 1]) << h << "," << v;
  }
}

TEST_F(QDCopy, CopyMaskCopiesWhereTheOneBitMaskIsSet) {
  GWorldPtr src = NewWorld(R(0, 0, 8, 8));
  sp_testing::FillPort(src, 0x00FF00);
  unsigned char bits[4] = {0x80, 0x40, 0xFF, 0x01};  // rows of 8, high bit leftmost
  BitMap mask = {reinterpret_cast<Ptr>(bits), 1, R(0, 0, 4, 8)};
  const Rect from = R(0, 0, 4, 8), twice = R(0, 0, 8, 16);
  CopyMask(Bits(src), &mask, Bits(world_), &from, &from, &from);
  EXPECT_EQ(Picture(from), "o......./.o....../oooooooo/.......o/");
  Clear();  // scaled with the source: a mask pixel covers two destination pixels
  CopyMask(Bits(src), &mask, Bits(world_), &from, &from, &twice);
  EXPECT_EQ(Picture(R(0, 0, 2, 4)), "oo../oo../");
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

TEST_F(QDCopy, ScrollRectMovesPixelsAndErasesWhatItUncovers) {
  const RGBColor blue = RGB8(0, 0, 255);
  RGBBackColor(&blue);
  const Rect r = R(10, 5, 30, 25);
  RgnHandle update = NewRgn();
  const struct {
    SInt16 dh, dv;
    Rect clip, uncovered;
    SInt16 h, v, fromH, fromV;  // a moved pixel and where it came from
    SInt16 stillH, stillV;      // a pixel outside the rectangle or the clip
  } cases[] = {
      {0, 5, R(0, 0, 40, 40), R(10, 5, 15, 25), 5, 15, 5, 10, 5, 30},
      {-3, 0, R(0, 0, 40, 20), R(10, 17, 30, 20), 5, 12, 8, 12, 22,
       12},  // a clip cuts the rectangle
  };
  for (const auto& c : cases) {
    ClipRect(&c.clip);
    Stripes(world_);
    const std::vector<UInt32> before = AllPixels(world_);
    ScrollRect(&r, c.dh, c.dv, update);
    Rect uncovered;
    GetRegionBounds(update, &uncovered);
    EXPECT_TRUE(EqualRect(&uncovered, &c.uncovered)) << c.dh << "," << c.dv;
    EXPECT_TRUE(IsRegionRectangular(update));
    EXPECT_EQ(Px(uncovered.left, uncovered.top), kBlue) << "the uncovered strip is erased";
    EXPECT_EQ(Px(uncovered.right - 1, uncovered.bottom - 1), kBlue);
    EXPECT_EQ(Px(c.h, c.v), before[c.fromV * 40 + c.fromH]);
    EXPECT_EQ(Px(4, 20), before[20 * 40 + 4]) << "outside the rectangle nothing changes";
    EXPECT_EQ(Px(c.stillH, c.stillV), before[c.stillV * 40 + c.stillH]);
  }
  DisposeRgn(update);
}

}  // namespace
