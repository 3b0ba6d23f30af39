// Colour icons and one-bit icon families: masks, scaling, alignment, the family member chosen
// for a rectangle, and refusal of what is not an icon.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Icons.h"
#include "MacMemory.h"
#include "QDPixelsFixture.h"
#include "Resources.h"
#include "TestResources.h"

namespace {

using qdtest::kGrey;
using qdtest::R;

constexpr ResType kCicn = SpFourCC("cicn");
constexpr SInt16 kColourIcon = 9072;  // 16 x 16: red square (4, 4)-(12, 12), clear around
constexpr SInt16 kOneBitIcon = 9073;  // 32 x 32: black (8, 8)-(24, 24), white ring to 4/28

class QDIcons : public qdtest::QDPixelsFixture {
 protected:
  void SetUp() override {
    QDPixelsFixture::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Clear(kGrey);
  }
  void TearDown() override {
    sp_testing::ResetResources();
    QDPixelsFixture::TearDown();
  }
};

// The colour icon through its mask, stretched or aligned; the one-bit family through its mask,
// the member that suits the rectangle (a small member that is black everywhere is added
// beside the large one).
TEST_F(QDIcons, IconsAreDrawnThroughTheirMaskWhereTheirAlignmentPutsThem) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("ics#"), kOneBitIcon, std::vector<UInt8>(64, 0xFF)),
            noErr);
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(HomeResFile(reinterpret_cast<Handle>(icon)), -1) << "an icon is no resource";
  const std::string none(32, '-');
  const struct {
    SInt16 id;  // 0: PlotCIcon
    IconAlignmentType align;
    Rect rect;
    SInt16 row;
    std::string pixels;
    OSErr err = noErr;
  } cases[] = {
      {0, 0, R(0, 0, 16, 16), 4, "----rrrrrrrr--------------------"},
      {0, 0, R(0, 0, 16, 16), 11, "----rrrrrrrr--------------------"},
      {0, 0, R(0, 0, 16, 16), 3, none},
      {0, 0, R(0, 0, 16, 16), 12, none},
      {0, 0, R(0, 0, 16, 32), 4, "--------rrrrrrrrrrrrrrrr--------"},  // stretched
      {kColourIcon, kAlignRight, R(0, 0, 16, 32), 8, "--------------------rrrrrrrr----"},
      {kColourIcon, kAlignAbsoluteCenter, R(0, 0, 16, 32), 8, "------------rrrrrrrr------------"},
      {kColourIcon, kAlignBottom, R(0, 0, 32, 16), 20, "----rrrrrrrr--------------------"},
      {kColourIcon, kAlignBottom, R(0, 0, 32, 16), 4, none},
      {kColourIcon, kAlignVerticalCenter, R(0, 0, 32, 16), 12, "----rrrrrrrr--------------------"},
      {kColourIcon, kAlignVerticalCenter, R(0, 0, 32, 16), 11, none},
      {kColourIcon, kAlignTopLeft, R(0, 0, 32, 32), 8, "--------rrrrrrrrrrrrrrrr--------"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 32, 32), 10, "----....################....----"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 32, 32), 2, none},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 16, 16), 0, "################----------------"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 20, 20), 0, "####################------------"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 12, 16), 0, "############--------------------"},
      {9097, kAlignTopLeft, R(0, 0, 16, 16), 8, none, resNotFound},
  };
  for (const auto& c : cases) {
    Clear(kGrey);
    if (c.id == 0) {
      PlotCIcon(&c.rect, icon);
    } else {
      EXPECT_EQ(PlotIconID(&c.rect, c.align, kTransformNone, c.id), c.err);
    }
    EXPECT_EQ(Picture(R(c.row, 0, c.row + 1, 32)), c.pixels + "/")
        << c.id << " alignment " << c.align << " row " << c.row << " right " << c.rect.right;
  }
  EXPECT_EQ(PlotIconID(nullptr, kAlignAbsoluteCenter, kTransformNone, kColourIcon), paramErr);
  DisposeCIcon(icon);
  PlotCIcon(&cases[0].rect, icon);  // a disposed icon is not drawn any more
  EXPECT_TRUE(AllAre(kGrey));
}

TEST_F(QDIcons, WhatIsNotAColourIconIsRefused) {
  Handle good = GetResource(kCicn, kColourIcon);
  ASSERT_NE(good, nullptr);
  const UInt8* p = reinterpret_cast<const UInt8*>(*good);
  ASSERT_EQ(
      sp_testing::AddAppResource(kCicn, 9096, std::vector<UInt8>(p, p + GetHandleSize(good) - 20)),
      noErr);
  EXPECT_EQ(GetCIcon(9096), nullptr) << "damaged";
  EXPECT_EQ(GetCIcon(9095), nullptr) << "missing";
  for (UInt32 n = 1; n <= 2; ++n) {  // the resource is loaded: only the icon allocates now
    sp_testing::FailNthAllocation(n);
    EXPECT_EQ(GetCIcon(kColourIcon), nullptr) << "allocation " << n;
    sp_testing::FailNthAllocation(0);
  }
  // A handle GetCIcon did not make is neither drawn nor disposed of.
  Handle other = NewHandleClear(Size(sizeof(CIcon)));
  const Rect r = R(0, 0, 16, 16);
  PlotCIcon(&r, reinterpret_cast<CIconHandle>(other));
  DisposeCIcon(reinterpret_cast<CIconHandle>(other));
  EXPECT_EQ(GetHandleSize(other), Size(sizeof(CIcon)));
  DisposeHandle(other);
  EXPECT_TRUE(AllAre(kGrey));
}

}  // namespace
