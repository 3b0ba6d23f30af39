// The list's drawing, judged by the window's pixels: what is drawn (and only where it is
// due), texts shortened only when asked, backgrounds, edge lines, pictures and selections,
// and the port left as it was.
#include <utility>

#include "ListTestSupport.h"
#include "QDRegions.h"

namespace {

using list_test::Cell;
using list_test::Colour;
using list_test::kBlack;
using list_test::kBlue;
using list_test::kRed;
using list_test::kWhite;
using list_test::ListFixture;

// Text of the fixed-metric font at the default size: 6 pixels a character, the glyph boxes
// from 3 to 11 in a 15-pixel row with insets of 1 (baseline 12).
constexpr short kGlyphRow = 11;

class ListDrawing : public ListFixture {
 protected:
  // A pixel of the content, with the list not scrolled.
  UInt32 At(short h, short v) const { return Px(short(kArea.left + h), short(kArea.top + v)); }

  void ChangeBehavior(short column, short row, void (*change)(sLMgrCellBehaviorStruct&)) {
    sLMgrCellBehaviorStruct b;
    ASSERT_EQ(list_->GetCellBehaviorData(column, row, &b), 1);
    change(b);
    ASSERT_EQ(list_->SetCellBehaviorData(column, row, &b, 0), 1);
  }
};

std::vector<std::pair<short, short>>& Drawn() {
  static std::vector<std::pair<short, short>> drawn;
  return drawn;
}

void RecordCell(cLMgr_List_Base*, sLMgr_Cell* cell, Rect&, unsigned long) {
  Drawn().push_back({cell->columnRoot->GetReferenceNo(), cell->rowRoot->GetReferenceNo()});
}

TEST_F(ListDrawing, OnlyCellsMeetingWhatIsRedrawnAreDrawn) {
  MakeList(3, 3);
  for (short row = 1; row <= 3; ++row) {
    for (short column = 1; column <= 3; ++column) {
      list_->SetupCellBackgroundDrawingCallback(column, row, RecordCell, 0);
    }
  }
  Drawn().clear();
  Redraw();
  EXPECT_EQ(Drawn().size(), 9u);
  Drawn().clear();
  list_->DrawOneCell(2, 3);
  EXPECT_EQ(Drawn(), (std::vector<std::pair<short, short>>{{2, 3}}));
  Drawn().clear();
  list_->SetupStringData(3, 1, "x", 0);
  list_->SetupStringData(3, 1, "x", 0);
  Redraw();
  EXPECT_EQ(Drawn(), (std::vector<std::pair<short, short>>{{3, 1}}));
}

TEST_F(ListDrawing, TextsAreShortenedOnlyWhenAskedAndNumbersDrawnAsText) {
  const struct {
    const char* what;
    void (*fill)(cLMgr_List_Base*);
    std::vector<std::pair<short, UInt32>> probes;  // content h on the glyph row, colour
  } cases[] = {
      {"a long text is cut at the data area",
       [](cLMgr_List_Base* l) { l->SetupStringData(1, 1, "ABCDEFGHIJ", 0); },
       {{1, kRed}, {38, kRed}, {39, kWhite}}},
      {"shortened, it ends before the edge",
       [](cLMgr_List_Base* l) {
         l->EnableOutputStringModifyBehavior(1, 1, 0);
         l->SetupStringData(1, 1, "ABCDEFGHIJ", 0);
       },
       {{1, kRed}, {36, kWhite}, {38, kWhite}}},
      {"shortening leaves a text that fits",
       [](cLMgr_List_Base* l) {
         l->EnableOutputStringModifyBehavior(1, 1, 0);
         l->SetupStringData(1, 1, "ABCDEF", 0);
       },
       {{1, kRed}, {31, kRed}, {36, kWhite}}},
      {"an integer",
       [](cLMgr_List_Base* l) { l->SetupData(1, 1, SInt32(123), 0); },
       {{1, kRed}, {13, kRed}}},
      {"a float with no digits is rounded",
       [](cLMgr_List_Base* l) { l->SetupData(1, 1, 2.75f, 0); },
       {{1, kRed}, {7, kWhite}}},
  };
  const RGBColor red = Colour(kRed);
  for (const auto& c : cases) {
    MakeList(2, 2);
    ChangeBehavior(1, 1, [](sLMgrCellBehaviorStruct& b) { b.secondPosition = kSpPositionLeft; });
    list_->SetCellForeColor(1, 1, &red, 0);
    c.fill(list_.get());
    Redraw();
    for (auto [h, colour] : c.probes) EXPECT_EQ(At(h, kGlyphRow), colour) << c.what << " at " << h;
    EXPECT_EQ(At(41, kGlyphRow), kWhite) << c.what << ": nothing in the next column";
  }
}

TEST_F(ListDrawing, BackgroundsCoverTheEdgeLinesAndEdgeLinesTheirWidth) {
  MakeList(3, 3);
  list_->SetupRowLineWidth(2, 0, 1);  // row 2: 15-29 inside, its end line 30
  const RGBColor blue = Colour(kBlue);
  list_->SetCellBackColor(2, 2, &blue, 0);
  ChangeBehavior(2, 2, [](sLMgrCellBehaviorStruct& b) {
    b.leftLine = {1, 0, 3, Colour(kRed)};
    b.bottomLine = {1, 0, 1, Colour(0x00FF00)};
  });
  Redraw();
  const struct {
    short h, v;
    UInt32 colour;
    const char* why;
  } probes[] = {
      {40, 20, kRed, "left edge, first column"},
      {42, 20, kRed, "left edge, third column"},
      {43, 20, kBlue, "background past the edge"},
      {60, 29, kBlue, "background inside"},
      {60, 30, 0x00FF00, "bottom edge on the row's end line"},
      {42, 30, kRed, "the left edge over the bottom one"},
      {20, 20, kWhite, "no background: what lies below"},
      {60, 31, kWhite, "the row below"},
  };
  for (const auto& p : probes) EXPECT_EQ(At(p.h, p.v), p.colour) << p.why;
}

TEST_F(ListDrawing, PicturesAndIconsArePlacedByTheFirstPlacementCode) {
  const struct {
    unsigned char position;
    bool icon;
    std::vector<std::pair<Point, UInt32>> probes;  // content (v, h)
  } cases[] = {
      {kSpPositionLeft, false, {{{6, 41}, kRed}, {{7, 43}, kBlue}, {{5, 41}, kWhite}}},
      {kSpPositionRight, false, {{{6, 75}, kRed}, {{6, 78}, kBlue}, {{6, 74}, kWhite}}},
      {kSpPositionCenter, false, {{{6, 58}, kRed}, {{6, 61}, kBlue}, {{6, 57}, kWhite}}},
      {kSpPositionTop, false, {{{1, 58}, kRed}, {{2, 58}, kRed}, {{3, 58}, kWhite}}},
      {kSpPositionBottom, false, {{{12, 58}, kRed}, {{13, 61}, kBlue}, {{11, 58}, kWhite}}},
      {kSpPositionCenter, true, {{{4, 56}, kRed}, {{11, 63}, kRed}, {{4, 55}, kWhite}}},
  };
  for (const auto& c : cases) {
    MakeList(2, 3);
    sLMgrCellBehaviorStruct b;
    list_->GetCellBehaviorData(2, 1, &b);
    b.firstPosition = c.position;
    list_->SetCellBehaviorData(2, 1, &b, 0);
    if (c.icon) {
      ASSERT_EQ(list_->SetupCIconData(2, 1, 9072, 16, 16, 0), 1);
    } else {
      ASSERT_EQ(list_->SetupPictData(2, 1, 9070, 0, 4, 2, 0), 1);
    }
    Redraw();
    for (auto [pt, colour] : c.probes) {
      EXPECT_EQ(At(pt.h, pt.v), colour)
          << int(c.position) << (c.icon ? " icon" : "") << " at " << pt.h << "," << pt.v;
    }
  }
}

TEST_F(ListDrawing, ASelectedCellIsInvertedOnceHoweverManyWaysItIsSelected) {
  MakeList(2, 3);
  sLMgr_Cell* cell = nullptr;
  list_->GetRowRoot(1)->selected = 1;
  list_->GetColumnRoot(3)->selected = 1;
  list_->GetCellPtr(1, 1, &cell);
  cell->selected = 1;
  list_->GetCellPtr(3, 1, &cell);
  cell->selected = 1;
  Redraw();
  EXPECT_EQ(At(20, 7), kBlack) << "cell and row";
  EXPECT_EQ(At(60, 7), kBlack) << "row";
  EXPECT_EQ(At(100, 7), kBlack) << "cell, row and column";
  EXPECT_EQ(At(100, 22), kBlack) << "column";
  EXPECT_EQ(At(20, 22), kWhite) << "not selected";
}

TEST_F(ListDrawing, TheListLeavesThePortAsItFoundItWhateverItDrew) {
  MakeList(3, 3);
  list_->SetupStringData(1, 1, "text", 0);
  list_->RowLineTurnOnOff(-1, 1, 1);
  list_->SetupRowLineWidth(-1, 2, 2);
  const Rect bounds = {0, 0, 100, 200};
  GWorldPtr world = nullptr;
  ASSERT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  for (const Rect clip : {Rect{80, 0, 100, 200}, Rect{0, 0, 100, 200}}) {
    SetGWorld(world, nullptr);
    sp_testing::FillPort(world, kWhite);
    ClipRect(&clip);
    const RGBColor green = Colour(0x00FF00), grey = Colour(0x808080);
    RGBForeColor(&green);
    RGBBackColor(&grey);
    PenSize(3, 2);
    EXPECT_EQ(list_->UpdateProc(), 1);
    RGBColor fore, back;
    GetForeColor(&fore);
    GetBackColor(&back);
    PenState pen;
    GetPenState(&pen);
    RgnHandle after = NewRgn();
    GetClip(after);
    Rect afterBounds;
    GetRegionBounds(after, &afterBounds);
    DisposeRgn(after);
    SetGWorld(savedPort, savedDevice);
    EXPECT_EQ(fore.green, 0xFFFF);
    EXPECT_EQ(fore.red, 0);
    EXPECT_EQ(back.red, grey.red);
    EXPECT_EQ(pen.pnSize.h, 3);
    EXPECT_EQ(pen.pnSize.v, 2);
    EXPECT_TRUE(EqualRect(&afterBounds, &clip));
    const bool wholeList = clip.top == 0;
    EXPECT_EQ(sp_testing::ReadPixel(world, 5, 0), wholeList ? kBlack : kWhite)
        << "the first row's start line, drawn only when the clip holds it";
    EXPECT_EQ(sp_testing::ReadPixel(world, 5, 90), kWhite) << "below the last row";
  }
  DisposeGWorld(world);
}

}  // namespace
