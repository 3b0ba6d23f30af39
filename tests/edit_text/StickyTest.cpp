// Sticky notes: the geometry of a new note, minimizing and restoring, the size limits, fitting
// the title, the basic information, the drawing at chosen pixels and the mouse on the note.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOStickysObject.h"
#include "SpResourceManager.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"
#include "SpStdDrawingFunction.h"
#include "TestResources.h"

namespace edit_test {
namespace {

constexpr short kShift = 0x200;

bool Same(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

std::string Str(const Rect& r) {
  return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " +
         std::to_string(r.bottom) + ", " + std::to_string(r.right) + ")";
}

UInt32 Rgb(const RGBColor& c) {
  return UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | UInt32(c.blue >> 8);
}

RGBColor Mix(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

const RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};
const RGBColor kBlack{0, 0, 0};

void LogResize(const char* what, const Rect& o, const Rect& n) {
  Log().push_back(std::string(what) + " " + Str(o) + " -> " + Str(n));
}
void ResizeBefore(cStickyObject*, Rect& o, Rect& n, unsigned long) { LogResize("before", o, n); }
void ResizeComplete(cStickyObject*, Rect& o, Rect& n, unsigned long) {
  LogResize("complete", o, n);
}
unsigned char Refuse(cStickyObject*, Point, tETOS_PartsType part, unsigned long) {
  Log().push_back("refused " + std::to_string(part));
  return 0;
}
void EditDown(cStickyObject*, tETOS_PartsType part, unsigned long) {
  Log().push_back("edit down " + std::to_string(part));
}

class StickyTest : public EditTextFixture {
 protected:
  void TearDown() override {
    notes_.clear();
    EditTextFixture::TearDown();
  }

  // The note of the examples: edit area 100 x 50 at (10, 10), title, grow and minimize icons.
  cStickyObject* Note(const Rect& area = R(10, 10, 60, 110)) {
    notes_.emplace_back(new (std::nothrow) cStickyObject(window_, area, 12, 1, 1, 1, 1, nullptr, 0));
    return notes_.back().get();
  }

  static Rect Base(const cStickyObject* note) {
    Rect r;
    note->GetStickyBaseViewImmeditArea(r);
    return r;
  }
  static Rect Edit(const cStickyObject* note) {
    Rect r;
    note->GetTextAreaSize(r);
    return r;
  }
  static tETOS_PartsType PartAt(cStickyObject* note, short h, short v) {
    tETOS_PartsType part = 99;
    note->OnWindowPositToPartsType(Pt(h, v), part);
    return part;
  }
  // A press on the window point, moves through `steps` and the release at the last one.
  static void Drag(cStickyObject* note, Point from, const std::vector<Point>& steps,
                   short modifiers = 0) {
    note->StickyHotSpotMouseDonwProc(modifiers, from);
    for (Point p : steps) note->StickyHotSpotMouseDownTraceProc(modifiers, p);
    note->StickyHotSpotMouseUpProc(modifiers, steps.empty() ? from : steps.back());
  }

  std::vector<std::unique_ptr<cStickyObject>> notes_;
};

TEST_F(StickyTest, ANewNoteFramesItsEditAreaWithTheShadowBesideTheFrame) {
  cStickyObject* note = Note();
  Rect frame, shadow, edit;
  note->GetFrameAreaOnStickyOffscreen(frame);
  note->GetShadowAreaOnStickyOffscreen(shadow);
  note->GetEditAreaOnStickyOffscreen(edit);
  EXPECT_EQ(Str(frame), "(0, 0, 69, 104)");
  EXPECT_EQ(Str(Base(note)), "(10, 10, 83, 118)");  // 108 x 73 at (10, 10)
  EXPECT_EQ(Str(edit), "(12, 2, 62, 102)");
  EXPECT_EQ(Str(Edit(note)), "(12, 2, 62, 102)");  // the edit view inside the base view
  // The shadow lies 4 pixels off the frame from the start, as after any later change.
  EXPECT_EQ(Str(shadow), "(4, 4, 73, 108)");
  Rect onWindow;
  note->GetDrawingAreaOnWindow(&onWindow);
  EXPECT_EQ(Str(onWindow), "(22, 12, 72, 112)");
  EXPECT_EQ(note->GetStickyBaseView()->GetContainerItemListLast(),
            static_cast<cSp_View*>(note));
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(StickyTest, SizeFunctionsTakeTheOffsetsAndTheMinimizeIcon) {
  struct Case {
    unsigned char title, icon;
    SInt16 top, left, bottom, right;
    const char* edit;
    const char* why;
  };
  const Case cases[] = {
      {1, 1, 0, 0, 0, 0, "(12, 2, 62, 102)", "title and minimize strip"},
      {1, 1, 3, 5, 9, 7, "(15, 7, 62, 95)", "the bottom offset has no effect with the icon"},
      {1, 0, 3, 5, 9, 7, "(15, 7, 56, 95)", "without the icon the bottom offset counts"},
      {0, 0, 0, 0, 0, 0, "(0, 2, 65, 102)", "no title: the edit area starts at the top"},
  };
  const Rect frame = R(0, 0, 69, 104);
  for (const Case& c : cases) {
    Rect edit, f, shadow, base;
    SpETOSticky_GetEditTextAreaFromFrameSize(frame, edit, c.title, 12, c.left, c.top, c.right,
                                             c.bottom, c.icon);
    EXPECT_EQ(Str(edit), c.edit) << c.why;
    // The way back gives the same frame at the origin.
    Rect moved = edit;
    OffsetRect(&moved, 30, 40);
    SpETOSticky_GetViewSizeFromEditTextArea(moved, f, shadow, base, c.title, 12, c.icon, c.left,
                                            c.top, c.right, c.bottom);
    EXPECT_EQ(Str(f), Str(frame)) << c.why;
    EXPECT_EQ(base.right, f.right + 4) << c.why;
    EXPECT_EQ(base.bottom, f.bottom + 4) << c.why;
  }
}

TEST_F(StickyTest, MinimizingMakesATitleStripAndRestoringPutsTheNoteWhereTheStripIs) {
  cStickyObject* note = Note();
  note->SetupStickeyResizeBeforeProc(ResizeBefore, 0);
  note->MinimizeExecute(0, 1, 1);
  EXPECT_EQ(note->GetCurrentMinimize(), 1);
  // As wide as the note, title height + 6 high, at the note's place.
  EXPECT_EQ(Str(Base(note)), "(10, 10, 28, 118)");
  EXPECT_EQ(note->GetEditTextFlag(), 0);
  EXPECT_EQ(note->IsEnableEditTextView(), 0);
  note->SetupNewStickyPosition(40, 50, 0);
  note->OpenMinimize(0, 1, 1);
  EXPECT_EQ(Str(Base(note)), "(50, 40, 123, 148)");
  // The edit area comes from the frame, exactly as at construction: not 4 pixels wider.
  Rect frame, shadow, edit;
  note->GetFrameAreaOnStickyOffscreen(frame);
  note->GetShadowAreaOnStickyOffscreen(shadow);
  note->GetEditAreaOnStickyOffscreen(edit);
  EXPECT_EQ(Str(frame), "(0, 0, 69, 104)");
  EXPECT_EQ(Str(shadow), "(4, 4, 73, 108)");
  EXPECT_EQ(Str(Edit(note)), "(12, 2, 62, 102)");
  EXPECT_EQ(Str(edit), "(12, 2, 62, 102)");
  EXPECT_EQ(note->GetEditTextFlag(), 1);
  EXPECT_EQ(note->IsEnableEditTextView(), 1);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "before (10, 10, 83, 118) -> (10, 10, 28, 118)",
                       "before (50, 40, 68, 148) -> (50, 40, 123, 148)"}));
}

TEST_F(StickyTest, ANormalSizeSetWhileMinimizedTakesEffectOnRestoreWithTheTextRewrapped) {
  cStickyObject* note = Note();
  note->SetupText(std::string(30, 'x').c_str(), 0);  // 180 pixels: two lines in 100
  ASSERT_EQ(note->GetNumOfLine(), 2);
  note->MinimizeExecute(0, 0, 0);
  note->SetupNormalStickyAreaSize(R(10, 10, 83, 218), 0, 1, 1, 0);
  EXPECT_EQ(Str(Base(note)), "(10, 10, 28, 118)") << "the strip stays as it is";
  note->OpenMinimize(0, 0, 0);
  EXPECT_EQ(Str(Base(note)), "(10, 10, 83, 218)");
  EXPECT_EQ(Str(Edit(note)), "(12, 2, 62, 202)");
  EXPECT_EQ(note->GetCurrentWidth(), 200);
  EXPECT_EQ(note->GetNumOfLine(), 1);
}

TEST_F(StickyTest, AMinimizedSizeOnceSetKeepsItsOwnPlace) {
  cStickyObject* note = Note();
  note->SetupMimizeStickyAreaSize(R(200, 150, 218, 230), 0, 0, 1);
  note->MinimizeExecute(0, 0, 0);
  EXPECT_EQ(Str(Base(note)), "(200, 150, 218, 230)");
  note->OpenMinimize(0, 0, 0);
  EXPECT_EQ(Str(Base(note)), "(200, 150, 273, 258)");
}

TEST_F(StickyTest, AMaximumWidthSetWhileMinimizedReachesTheTextOnlyOnRestore) {
  cStickyObject* note = Note();
  note->MinimizeExecute(0, 0, 0);
  note->SetupMaxWidth(80, 1, 0);
  EXPECT_EQ(note->GetLineMaxWidth(), 0);
  note->OpenMinimize(0, 0, 0);
  EXPECT_EQ(note->GetLineMaxWidth(), 72);  // 80 less the shadow, the margins of 2 and 2
}

TEST_F(StickyTest, TitleHeightBelowOneSwitchesTheTitleOffAndKeepsTheHeight) {
  cStickyObject* note = Note();
  note->SetTitleHeight(0, 0);
  SInt16 height = 0;
  note->GetTitleHeight(height);
  EXPECT_EQ(height, 12);
  EXPECT_EQ(note->GetTitleOutputFlag(), 0);
  note->SetTitleHeight(20, 0);
  Rect edit;
  note->GetEditAreaOnStickyOffscreen(edit);
  EXPECT_EQ(edit.top, 0);  // the title is off: the new height does not push the text down
  note->SetupTitleOutput(1, 0);
  note->SetTitleHeight(16, 0);
  note->GetEditAreaOnStickyOffscreen(edit);
  EXPECT_EQ(edit.top, 16);
}

TEST_F(StickyTest, FittingTheTitleWidensOnlyANoteTooNarrowForIt) {
  cStickyObject* note = Note(R(10, 10, 60, 40));  // a base 38 wide
  note->SetupTitleString("A rather long title", 0);
  SetPortWindowPort(window_);
  TextFont(0);
  TextSize(10);
  const short text = TextWidth("A rather long title", 0, 19);
  note->SetupWidthForTitleFinIn(0, 0, 0);
  EXPECT_EQ(Base(note).right - Base(note).left, text + 2 + 2 + 20 + 4);
  const Rect wide = Base(note);
  note->SetupTitleString("A", 0);
  note->SetupWidthForTitleFinIn(0, 0, 0);
  EXPECT_TRUE(Same(Base(note), wide));
  // A maximum width cuts it.
  cStickyObject* capped = Note(R(100, 10, 150, 40));
  capped->SetupMaxWidth(60, 1, 0);
  capped->SetupTitleString("A rather long title", 0);
  capped->SetupWidthForTitleFinIn(0, 0, 0);
  EXPECT_EQ(Base(capped).right - Base(capped).left, 60);
}

TEST_F(StickyTest, BasicInformationChecksRefuseSizesPastTheirLimits) {
  cStickyObject* note = Note();
  sStickyBasicInfo good;
  note->GetStickyBasicInfo(good);
  EXPECT_EQ(SpETOS_CheckStickyBasicInfo(&good), 1);
  struct Case {
    void (*change)(sStickyBasicInfo&);
    unsigned char ok;
    const char* why;
  };
  const Case cases[] = {
      {[](sStickyBasicInfo& i) { i.normalArea.right = i.normalArea.left; }, 0, "width 0"},
      {[](sStickyBasicInfo& i) { i.normalArea.right = SInt16(i.normalArea.left + 2001); }, 0,
       "width 2001"},
      {[](sStickyBasicInfo& i) { i.normalArea.right = SInt16(i.normalArea.left + 2000); }, 1,
       "width 2000"},
      {[](sStickyBasicInfo& i) { i.normalArea.bottom = SInt16(i.normalArea.top + 2001); }, 0,
       "height 2001"},
      {[](sStickyBasicInfo& i) { i.normalArea.bottom = SInt16(i.normalArea.top + 2000); }, 1,
       "height 2000"},
      {[](sStickyBasicInfo& i) { i.normalArea.bottom = i.normalArea.top; }, 0, "height 0"},
      {[](sStickyBasicInfo& i) { i.normalArea.bottom = SInt16(i.normalArea.top + 1); }, 1,
       "height 1"},
      {[](sStickyBasicInfo& i) { i.normalArea.right = SInt16(i.normalArea.left + 1); }, 1,
       "width 1"},
      {[](sStickyBasicInfo& i) { i.normalArea.bottom = SInt16(i.normalArea.top - 1); }, 0,
       "a negative height"},
      {[](sStickyBasicInfo& i) { i.maxHeight = 2001; }, 0, "a size limit past 2000"},
      {[](sStickyBasicInfo& i) { i.minWidth = 2000; }, 1, "a size limit of 2000"},
      {[](sStickyBasicInfo& i) { i.titleInsetBottom = 2001; }, 0, "a title inset past 2000"},
  };
  for (const Case& c : cases) {
    sStickyBasicInfo info = good;
    c.change(info);
    EXPECT_EQ(SpETOS_CheckStickyBasicInfo(&info), c.ok) << c.why;
  }
  EXPECT_EQ(SpETOS_CheckStickyBasicInfo(nullptr), 0);
}

TEST_F(StickyTest, BasicInformationRoundTripsAndTheSameValuesResizeNothing) {
  cStickyObject* note = Note();
  sStickyBasicInfo info;
  note->GetStickyBasicInfo(info);
  Redraw();
  ASSERT_EQ(note->GetStickyBaseView()->IsWaitRedraw(), 0);
  note->SetStickyBasicInfo(info);
  EXPECT_EQ(note->GetStickyBaseView()->IsWaitRedraw(), 0);
  EXPECT_EQ(Str(Base(note)), "(10, 10, 83, 118)");
  info.titleHeight = 20;
  info.normalArea = R(30, 20, 130, 170);
  info.backgroundColor = RGBColor{0xFFFF, 0xFFFF, 0};
  info.translucent = 1;
  info.translucencyRate = 50.0;
  note->SetStickyBasicInfo(info);
  EXPECT_EQ(Str(Base(note)), "(30, 20, 130, 170)");
  EXPECT_EQ(Str(Edit(note)), "(20, 2, 89, 144)");
  RGBColor active, inactive;
  note->GetTextEditorAreaColors(active, inactive);
  EXPECT_EQ(Rgb(inactive), Rgb(Mix(info.backgroundColor, kWhite, 0.5f)));
  EXPECT_EQ(Rgb(active), Rgb(Mix(info.backgroundColor, kWhite, 0.8f)));
  EXPECT_EQ(note->GetStickyBaseView()->IsTransmitEnableView(), 1);
  sStickyBasicInfo back;
  note->GetStickyBasicInfo(back);
  EXPECT_EQ(back.titleHeight, 20);
  EXPECT_EQ(back.translucencyRate, 50.0);
  // Minimizing through the record.
  back.minimized = 1;
  note->SetStickyBasicInfo(back);
  EXPECT_EQ(note->GetCurrentMinimize(), 1);
}

// ---- Drawing ----

TEST_F(StickyTest, AnActiveNoteDrawsItsTitleBarGrowStepAndShadowAtTheirPixels) {
  cStickyObject* note = Note();
  note->StickyFrameActive(0);
  Redraw();
  const UInt32 bar = Rgb(Mix(kBlack, kWhite, 0.7f));
  // The note's offscreen origin is the window point (10, 10).
  EXPECT_EQ(Px(10 + 40, 10 + 5), bar) << "title bar";
  EXPECT_EQ(Px(10 + 40, 10 + 65), bar) << "minimize box strip";
  EXPECT_EQ(Px(10 + 101, 10 + 62), 0xFFFFFFu) << "inside the grow column";
  EXPECT_EQ(Px(10 + 99, 10 + 62), Rgb(Mix(kWhite, kBlack, 0.2f))) << "the bevel beside it";
  EXPECT_EQ(Px(10 + 97, 10 + 64), bar) << "beside the grow step, above its lower square";
  EXPECT_EQ(Px(10 + 96, 10 + 66), 0x000000u) << "the grow step's outline";
  EXPECT_EQ(Px(10 + 0, 10 + 30), 0x000000u) << "frame line";
  // The shadow strip right of the frame is darker than the window, from 4 pixels down.
  EXPECT_LT(Px(10 + 105, 10 + 20) & 0xFF, 0xF0u) << "shadow";
  EXPECT_LT(Px(10 + 105, 10 + 6) & 0xFF, 0xFFu) << "the shadow's top";
  EXPECT_EQ(Px(10 + 105, 10 + 1), 0xFFFFFFu) << "above the shadow";
}

TEST_F(StickyTest, AnInactiveOpaqueNoteShowsItsBarWithoutTheMinimizeBox) {
  cStickyObject* note = Note();
  Redraw();
  const UInt32 bar = Rgb(Mix(kBlack, kWhite, 0.7f));
  EXPECT_EQ(Px(10 + 40, 10 + 5), bar);
  EXPECT_EQ(Px(10 + 40, 10 + 65), 0xFFFFFFu);
  EXPECT_EQ(Px(10 + 101, 10 + 66), 0xFFFFFFu);
  (void)note;
}

void PaintBlue(unsigned long, Rect* area) {
  const RGBColor blue{0, 0, 0xFFFF};
  RGBForeColor(&blue);
  PaintRect(area);
}

TEST_F(StickyTest, AnInactiveTranslucentNoteBlendsItsBarOverTheViewsUnderIt) {
  cSp_DrawingView under(window_, R(0, 0, 200, 200), PaintBlue, 0, nullptr, 0);
  cStickyObject* note = Note();
  note->SetupBackgroundTransparentRate(50.0f, 0);
  note->SetupBackgroundTransparentFlag(1, 0);
  Redraw();
  const UInt32 pixel = Px(10 + 40, 10 + 5);
  // Half the grey bar, half the blue view under it.
  const UInt32 red = pixel >> 16, blue = pixel & 0xFF;
  EXPECT_GT(red, 60u) << std::hex << pixel;
  EXPECT_LT(red, 120u) << std::hex << pixel;
  EXPECT_GT(blue, 200u) << std::hex << pixel;
  // The edit area lets the blue through too: the note paints nothing there.
  EXPECT_NE(Px(10 + 40, 10 + 30), 0xFFFFFFu);
  // The frame line is drawn opaque over the blend.
  EXPECT_EQ(Px(10 + 0, 10 + 30), 0x000000u);
  notes_.clear();
  under.ExecDrawingViewObjDeleteReady(1);
}

TEST_F(StickyTest, OnlyTheFrameHidesTheViewsUnderTheNote) {
  cStickyObject* note = Note();
  RgnHandle rgn = NewRgn();
  const Rect window = R(0, 0, 200, 200);
  RectRgn(rgn, &window);
  note->GetStickyBaseView()->CutUnderViewImage(rgn, nullptr);
  EXPECT_FALSE(PtInRgn(Pt(50, 40), rgn)) << "under the frame";
  EXPECT_TRUE(PtInRgn(Pt(116, 40), rgn)) << "under the shadow";
  RectRgn(rgn, &window);
  note->GetStickyBaseView()->SectMyAreaViewImage(rgn, nullptr);
  Rect box;
  GetRegionBounds(rgn, &box);
  EXPECT_EQ(Str(box), "(10, 10, 79, 114)");
  // The selection outline: a one-pixel ring round frame and shadow.
  SetEmptyRgn(rgn);
  note->GetStickySelectionRegion(rgn, 1, 0, 1);
  EXPECT_TRUE(PtInRgn(Pt(10, 10), rgn));
  EXPECT_TRUE(PtInRgn(Pt(117, 82), rgn));
  EXPECT_FALSE(PtInRgn(Pt(50, 40), rgn));
  DisposeRgn(rgn);
}

TEST_F(StickyTest, TheImageOfANoteHoldsItsTitleBarAndText) {
  cStickyObject* note = Note();
  note->StickyFrameActive(0);
  note->SetupText("Hello", 0);
  GWorldPtr world = nullptr;
  Rect bounds;
  ASSERT_EQ(note->GetStickyImageOffscreen(nullptr, 1, nullptr, 0, 32, world, bounds), 1);
  EXPECT_EQ(Str(bounds), "(0, 0, 73, 108)");
  EXPECT_EQ(sp_testing::ReadPixel(world, 40, 5), Rgb(Mix(kBlack, kWhite, 0.7f)));
  bool ink = false;
  for (short h = 2; h < 40; ++h) {
    for (short v = 12; v < 28; ++v) ink = ink || sp_testing::ReadPixel(world, h, v) == 0;
  }
  EXPECT_TRUE(ink) << "the text is drawn into the edit area";
  DisposeGWorld(world);
}

// ---- The mouse ----

TEST_F(StickyTest, PartsUnderPointsFollowTheLookOfTheNote) {
  cStickyObject* note = Note();
  struct Case {
    short h, v;
    tETOS_PartsType part;
    const char* why;
  };
  const Case normal[] = {
      {5, 5, kETOS_OutSide, "outside"},     {50, 40, kETOS_EditArea, "edit area"},
      {111, 76, kETOS_GrowArea, "grow"},    {50, 76, kETOS_MinimizeBox, "minimize strip"},
      {50, 15, kETOS_TitleBar, "title"},    {11, 40, kETOS_Frame, "frame"},
      {116, 40, kETOS_Shadow, "shadow"},
      // Each area's first and last column and row, and the first beyond them.
      {10, 40, kETOS_Frame, "the frame's first column"},
      {9, 40, kETOS_OutSide, "just left of the note"},
      {12, 40, kETOS_EditArea, "the edit area's first column"},
      {50, 10, kETOS_TitleBar, "the title's first row"},
      {50, 9, kETOS_OutSide, "just above the note"},
      {111, 40, kETOS_EditArea, "the edit area's last column"},
      {112, 40, kETOS_Frame, "just right of the edit area"},
      {113, 40, kETOS_Frame, "the frame's last column"},
      {114, 40, kETOS_Shadow, "just right of the frame"},
      {113, 15, kETOS_TitleBar, "the title's last column"},
      {114, 15, kETOS_Shadow, "just right of the title"},
      {117, 40, kETOS_Shadow, "the shadow's last column"},
      {118, 40, kETOS_OutSide, "just right of the note"},
      {50, 78, kETOS_MinimizeBox, "the frame's last row"},
      {50, 79, kETOS_Shadow, "just below the frame"},
      {50, 82, kETOS_Shadow, "the shadow's last row"},
      {50, 83, kETOS_OutSide, "just below the note"},
  };
  for (const Case& c : normal) EXPECT_EQ(PartAt(note, c.h, c.v), c.part) << c.why;
  // Inactive and translucent: nothing but frame, title and shadow takes the mouse.
  note->SetupBackgroundTransparentFlag(1, 0);
  EXPECT_EQ(PartAt(note, 50, 40), kETOS_Frame);
  EXPECT_EQ(PartAt(note, 111, 76), kETOS_Frame);
  note->StickyFrameActive(0);
  EXPECT_EQ(PartAt(note, 50, 40), kETOS_EditArea);
  note->SetupBackgroundTransparentFlag(0, 0);
  note->MinimizeExecute(0, 0, 0);
  // The strip's frame is (10, 10, 24, 114) on the window: its box rows 13..20, columns
  // 97..101, its grip columns 110..113.
  const Case minimized[] = {
      {99, 18, kETOS_MinimizeBox, "the arrow's box"},
      {112, 18, kETOS_GrowArea, "the grip"},
      {50, 15, kETOS_TitleBar, "title"},
      {50, 23, kETOS_Frame, "below the title"},
      {116, 18, kETOS_Shadow, "shadow"},
  };
  for (const Case& c : minimized) EXPECT_EQ(PartAt(note, c.h, c.v), c.part) << c.why;
}

TEST_F(StickyTest, HoveringShowsTheGrowCursorOfTheStateAndTheArrowElsewhere) {
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  Sp_InitializeResourceManager();
  Sp_InstallViewServices();
  cStickyObject* note = Note();
  struct Step {
    short h, v;
    unsigned char inside;
    SInt16 cursor;  // 0: left as it was
    const char* why;
  };
  const Step steps[] = {
      {50, 40, 0, 0, "the edit area is the text's"},
      {111, 76, 1, 6550, "the grow box of a normal note"},
      {50, 15, 1, 2000, "the title after the grow box"},
      {11, 40, 1, 0, "from the title to the frame nothing changes"},
  };
  for (const Step& s : steps) {
    const UInt32 before = sp_testing::CurrentCursor().changeCount;
    EXPECT_EQ(note->MouseTraceVerifyPositionForSticky(Pt(s.h, s.v), 0), s.inside) << s.why;
    if (s.cursor != 0) {
      EXPECT_EQ(sp_testing::CurrentCursor().id, s.cursor) << s.why;
    } else {
      EXPECT_EQ(sp_testing::CurrentCursor().changeCount, before) << s.why;
    }
  }
  note->MinimizeExecute(0, 0, 0);
  note->MouseTraceVerifyPositionForSticky(Pt(112, 18), 0);
  EXPECT_EQ(sp_testing::CurrentCursor().id, 6551) << "the grip of a minimized note";
  notes_.clear();
  Sp_SetupViewServices(nullptr);
  Sp_InitializeResourceManager();
}

TEST_F(StickyTest, ShiftDraggingTheGrowBoxChangesOnlyTheLargerMovement) {
  struct Case {
    short dh, dv;
    const char* base;
    const char* why;
  };
  const Case cases[] = {
      {10, 4, "(10, 10, 83, 128)", "wider only"},
      {5, -5, "(10, 10, 78, 118)", "a tie keeps the vertical movement"},
      {-3, 9, "(10, 10, 92, 118)", "taller only"},
  };
  for (const Case& c : cases) {
    cStickyObject* note = Note();
    Log().clear();
    note->SetupStickyResizeCompleteProc(ResizeComplete, 0);
    Drag(note, Pt(111, 76), {Pt(short(111 + c.dh), short(76 + c.dv))}, kShift);
    EXPECT_EQ(Str(Base(note)), c.base) << c.why;
    EXPECT_EQ(Log(), (std::vector<std::string>{"complete (10, 10, 83, 118) -> " +
                                               std::string(c.base)}))
        << c.why;
    notes_.clear();
  }
}

TEST_F(StickyTest, GrowingFollowsBothAxesWithoutShiftAndHoldsToTheLimits) {
  cStickyObject* note = Note();
  note->SetupStickyResizeCompleteProc(ResizeComplete, 0);
  Drag(note, Pt(111, 76), {Pt(131, 96)});
  EXPECT_EQ(Str(Base(note)), "(10, 10, 103, 138)");
  EXPECT_EQ(Str(Edit(note)), "(12, 2, 82, 122)");
  note->SetupMinWidth(80, 1, 0);
  note->SetupMinHeight(40, 1);
  note->SetupMaxWidth(150, 1, 0);
  Log().clear();
  Drag(note, Pt(131, 96), {Pt(20, 20)});
  EXPECT_EQ(Str(Base(note)), "(10, 10, 62, 90)");  // 80 wide, 40 + the title high
  Drag(note, Pt(84, 55), {Pt(400, 55)});
  EXPECT_EQ(Str(Base(note)), "(10, 10, 62, 160)");
  // A release where the press began runs no completion.
  Log().clear();
  Drag(note, Pt(154, 55), {Pt(170, 70), Pt(154, 55)});
  EXPECT_TRUE(Log().empty());
  // The height's limit holds as the width's does.
  note->SetupMaxHeight(70, 1);
  Drag(note, Pt(154, 55), {Pt(154, 300)});
  EXPECT_EQ(Str(Base(note)), "(10, 10, 80, 160)");
  Drag(note, Pt(154, 73), {Pt(154, 63)});
  EXPECT_EQ(Str(Base(note)), "(10, 10, 70, 160)") << "within the limits the drag is followed";
}

TEST_F(StickyTest, ANoteGrowsToWhereTheDragIsReleasedEvenWithoutATrackingStep) {
  cStickyObject* note = Note();
  note->SetupStickyResizeCompleteProc(ResizeComplete, 0);
  Drag(note, Pt(111, 76), {});
  EXPECT_TRUE(Log().empty());
  note->StickyHotSpotMouseDonwProc(0, Pt(111, 76));
  note->StickyHotSpotMouseUpProc(kShift, Pt(131, 80));
  EXPECT_EQ(Str(Base(note)), "(10, 10, 83, 138)");
  EXPECT_EQ(Log(), (std::vector<std::string>{"complete (10, 10, 83, 118) -> (10, 10, 83, 138)"}));
}

TEST_F(StickyTest, TheMinimizeBoxActsOnlyWhenReleasedOverIt) {
  cStickyObject* note = Note();
  Drag(note, Pt(50, 76), {Pt(50, 40)});
  EXPECT_EQ(note->GetCurrentMinimize(), 0);
  EXPECT_EQ(note->GetMinimizeDownFlag(), 0);
  note->StickyHotSpotMouseDonwProc(0, Pt(50, 76));
  EXPECT_EQ(note->GetMinimizeDownFlag(), 1);
  note->StickyHotSpotMouseDownTraceProc(0, Pt(50, 40));
  EXPECT_EQ(note->GetMinimizeDownFlag(), 0);
  note->StickyHotSpotMouseDownTraceProc(0, Pt(50, 76));
  EXPECT_EQ(note->GetMinimizeDownFlag(), 1);
  note->StickyHotSpotMouseUpProc(0, Pt(50, 76));
  EXPECT_EQ(note->GetCurrentMinimize(), 1);
  EXPECT_EQ(note->GetMinimizeDownFlag(), 0);
  // A client that refuses the press keeps the box from acting.
  note->SetupStickeyFrameMouseDownProc(Refuse, 0);
  note->StickyFrameActive(0);
  EXPECT_EQ(note->StickyHotSpotMouseDonwProc(0, Pt(99, 18)), 0);
  EXPECT_EQ(note->GetMinimizeDownFlag(), 0);
}

TEST_F(StickyTest, ADoubleClickOnTheTitleTogglesTheStateEvenWhenTheClientRefuses) {
  cStickyObject* note = Note();
  note->SetupStickeyFrameDblClickProc(Refuse, 0);
  Drag(note, Pt(50, 15), {});
  EXPECT_EQ(note->StickyHotSpotDblClickProc(0, Pt(50, 15)), 0);
  EXPECT_EQ(note->GetCurrentMinimize(), 1);
  Drag(note, Pt(50, 15), {});
  note->StickyHotSpotDblClickProc(0, Pt(50, 15));
  EXPECT_EQ(note->GetCurrentMinimize(), 0);
  // On the frame it does not; without the switch neither does the title.
  Drag(note, Pt(11, 40), {});
  note->StickyHotSpotDblClickProc(0, Pt(11, 40));
  note->SetupTitleAreaDblClickMinimizeSwitch(0);
  Drag(note, Pt(50, 15), {});
  note->StickyHotSpotDblClickProc(0, Pt(50, 15));
  EXPECT_EQ(note->GetCurrentMinimize(), 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"refused 4", "refused 4", "refused 5",
                                             "refused 4"}));
}

TEST_F(StickyTest, APressInTheEditAreaIsTheTextsAndActivatesTheNote) {
  cStickyObject* note = Note();
  note->SetupStickeyEditMouseDownProc(EditDown, 0);
  EXPECT_EQ(note->StickyHotSpotMouseDonwProc(0, Pt(50, 40)), 0);
  EXPECT_EQ(note->GetStickyFrameActivateFlag(), 0);
  note->EditTextMouseDownCallProc();
  EXPECT_EQ(note->GetStickyFrameActivateFlag(), 1);
  EXPECT_EQ(Log(), (std::vector<std::string>{"edit down 1"}));
}

unsigned char NameTheNote(cStickyObject*, Point, tETOS_PartsType, unsigned long refCon) {
  Log().push_back(reinterpret_cast<const char*>(refCon));
  return 1;
}

TEST_F(StickyTest, TheNoteMovedToTheTopLayerTakesThePressWhereNotesOverlap) {
  cStickyObject* lower = Note();
  cStickyObject* upper = Note(R(20, 20, 70, 120));
  lower->SetupStickeyFrameMouseDownProc(NameTheNote, reinterpret_cast<unsigned long>("lower"));
  upper->SetupStickeyFrameMouseDownProc(NameTheNote, reinterpret_cast<unsigned long>("upper"));
  EXPECT_EQ(upper->IsTopLayerStickyInContainerItemList(), 1);
  EXPECT_EQ(lower->GetStickyContainerItemRankNo() + 1, upper->GetStickyContainerItemRankNo());
  // (25, 25) lies on the upper note's title bar and inside the lower note's edit area.
  Sp_MouseDownHotSpot(window_, Pt(60, 25), 0);
  Sp_MouseUpHotSpot(window_, Pt(60, 25), 0);
  lower->MoveStickyToTopLayer(0);
  EXPECT_EQ(lower->IsTopLayerStickyInContainerItemList(), 1);
  EXPECT_EQ(lower->GetStickyContainerItemRankNo(), lower->GetStickyContainerItemMaxRankNo());
  // (116, 40) lies on the lower note's shadow and in the upper note's text: the lower one is on
  // top now.
  Sp_MouseDownHotSpot(window_, Pt(116, 40), 0);
  Sp_MouseUpHotSpot(window_, Pt(116, 40), 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"upper", "lower"}));
}

TEST_F(StickyTest, TheHotSpotOfTheNoteHoldsTheTextsAndTakesPressesOnTheFrame) {
  cStickyObject* note = Note();
  EXPECT_EQ(note->GetStickyHotSpot()->GetHotSpotContainerItemListLast(),
            note->GetThisHotSpotObjPtr());
  Rect area;
  note->GetStickyHotSpot()->GetHotSpotArea(area);
  EXPECT_EQ(Str(area), "(10, 10, 83, 118)");
  EXPECT_EQ(Sp_MouseDownHotSpot(window_, Pt(111, 76), 0), 1);
  Sp_MouseUpHotSpot(window_, Pt(111, 76), 0);
  EXPECT_EQ(onStickyBaseStartupMousePosit_GlV, kETOS_GrowArea);
}

}  // namespace
}  // namespace edit_test
