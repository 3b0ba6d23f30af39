// Copying pixels: CopyBits with scaling, modes, masks and clipping, and CopyDeepMask.
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

}  // namespace
