// The framework-drawn icon button: the procedures its types call as the mouse goes down, out,
// in and up; stoppers locked by the mouse and by the client; radio groups keeping their count
// of buttons down; repeats and icon cycling on the virtual clock; its looks per drawing type;
// and its place, hot spot and title shadow following the setters at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpOC_IconButtonControl.h"
#include "SpResourceManager.h"
#include "SpStdDrawingFunction.h"
#include "TestClock.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

enum : short { kRedSquareIcon = 9072, kRedBluePicture = 9070 };

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}
std::map<const void*, std::string>& Names() {
  static std::map<const void*, std::string> names;
  return names;
}
unsigned char& CheckAnswer() {
  static unsigned char answer = 1;
  return answer;
}
Point& LastPoint() {
  static Point point;
  return point;
}

const char* const kProcNames[] = {"click",    "dblclick", "check",   "noaction", "pressed",
                                  "released", "stopper",  "action", "repeat"};

unsigned char Note(cSp_OriginalIconButtonControl* button, Point point, unsigned long refCon) {
  const auto name = Names().find(button);
  Log().push_back((name != Names().end() ? name->second + ":" : "") + kProcNames[refCon]);
  LastPoint() = point;
  return refCon == 2 ? CheckAnswer() : 1;
}

void Wire(cSp_OriginalIconButtonControl* b, const std::string& name = "") {
  if (!name.empty()) Names()[b] = name;
  b->clickProc = b->dblClickProc = b->downCheckProc = b->noActionProc = b->pressedProc =
      b->releasedProc = b->stopperDownProc = b->actionProc = Note;
  b->clickRefCon = 0;
  b->dblClickRefCon = 1;
  b->downCheckRefCon = 2;
  b->noActionRefCon = 3;
  b->pressedRefCon = 4;
  b->releasedRefCon = 5;
  b->stopperDownRefCon = 6;
  b->actionRefCon = 7;
  b->repeatRefCon = 8;
}

std::string Joined() {
  std::string out;
  for (const auto& s : Log()) out += (out.empty() ? "" : " ") + s;
  return out;
}

RGBColor Grey(UInt16 level) {
  return RGBColor{UInt16(level * 257), UInt16(level * 257), UInt16(level * 257)};
}

// A pixel within one step of the colour (8 bits a channel).
bool Near(UInt32 pixel, const RGBColor& c) {
  const int want[] = {c.red >> 8, c.green >> 8, c.blue >> 8};
  const int got[] = {int(pixel >> 16) & 0xFF, int(pixel >> 8) & 0xFF, int(pixel) & 0xFF};
  for (int i = 0; i < 3; ++i) {
    if (want[i] - got[i] > 1 || got[i] - want[i] > 1) return false;
  }
  return true;
}

// Buttons of 16 x 16 at (10, 10) of a window whose content starts at (100, 100).
class IconButton : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_InitializeResourceManager();
    Log().clear();
    Names().clear();
    CheckAnswer() = 1;
    const Rect content = {100, 100, 300, 400};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
  }
  void TearDown() override {
    buttons_.clear();
    Sp_EnableMouseTrace(0);
    Sp_InitializeResourceManager();
    sp_testing::ResetResources();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  cSp_OriginalIconButtonControl* Button(tButtonType type, tButtonDrawingType drawing,
                                        Rect area = Rect{10, 10, 26, 26}) {
    buttons_.emplace_back(
        new cSp_OriginalIconButtonControl(window_, area, type, drawing, nullptr, 0));
    Wire(buttons_.back().get());
    return buttons_.back().get();
  }
  // Down, out, in, up inside, up outside, as the window's hot-spot dispatch calls them.
  static std::string Run(cSp_OriginalIconButtonControl* b, const char* steps) {
    const Point in = {18, 18}, out = {60, 60};
    for (const char* s = steps; *s != 0; ++s) {
      switch (*s) {
        case 'D': b->HotSpotMouseDonwProc(0, in); break;
        case 'O': b->HotSpotMouseAreaOutProc(0, out); break;
        case 'I': b->HotSpotMouseAreaInProc(0, in); break;
        case 'U': Log().push_back("=" + std::to_string(b->HotSpotMouseUpProc(0, in))); break;
        case 'u': Log().push_back("=" + std::to_string(b->HotSpotMouseUpProc(0, out))); break;
      }
    }
    return Joined();
  }
  UInt32 Pixel(short h, short v) const {
    return sp_testing::ReadPixel(GetWindowPort(window_), h, v);
  }

  WindowRef window_ = nullptr;
  std::vector<std::unique_ptr<cSp_OriginalIconButtonControl>> buttons_;
  ErrorLogCapture errors_;
  sp_testing::FixedMetricFontScope font_;
};

TEST_F(IconButton, EachTypeCallsItsProceduresAsTheMouseGoesDownOutInAndUp) {
  const struct {
    tButtonType type;
    bool locked;
    const char* steps;
    const char* log;
    unsigned char pressed, stopper;
  } cases[] = {
      {kOrgB_PushButton, false, "DU", "check pressed released action =1", 0, 0},
      {kOrgB_PushButton, false, "DOIU", "check pressed released pressed released action =1", 0, 0},
      {kOrgB_PushButton, false, "DOu", "check pressed released noaction =0", 0, 0},
      {kOrgB_MultiStatusButton, false, "DU", "check pressed released action =1", 0, 0},
      {kOrgB_ToggleStopperButton, false, "DU", "check pressed stopper =1", 1, 1},
      {kOrgB_ToggleStopperButton, false, "DOu", "check pressed released noaction =0", 0, 0},
      {kOrgB_ToggleStopperButton, true, "DU", "check pressed action =1", 0, 0},
      // Away from a locked button neither procedure runs, and it is still down after.
      {kOrgB_ToggleStopperButton, true, "DOIU", "check pressed action =1", 0, 0},
      {kOrgB_ToggleStopperButton, true, "DOu", "check pressed noaction =0", 1, 1},
      {kOrgB_LockStopperButton, false, "DU", "check pressed stopper =1", 1, 1},
      {kOrgB_LockStopperButton, true, "DU", "check pressed noaction =0", 1, 1},
      {kOrgB_LockStopperButton, true, "DOu", "check pressed noaction =0", 1, 1},
  };
  for (const auto& c : cases) {
    Log().clear();
    cSp_OriginalIconButtonControl* b = Button(c.type, kOrgB_FrameTitleDrawing);
    if (c.locked) b->DownStopperButton(0, 0, 0);
    EXPECT_EQ(Run(b, c.steps), c.log) << int(c.type) << (c.locked ? " locked " : " ") << c.steps;
    EXPECT_EQ(b->IsPressed(), c.pressed) << int(c.type) << " " << c.steps;
    EXPECT_EQ(b->CheckDownedStopperButton(), c.stopper) << int(c.type) << " " << c.steps;
    EXPECT_FALSE(Sp_IsMouseTraceDisabled()) << "hover tracking is back after the release";
  }

  // A hilited button, or one its down check refuses, takes no press at all.
  cSp_OriginalIconButtonControl* b = Button(kOrgB_PushButton, kOrgB_FrameTitleDrawing);
  Log().clear();
  b->SetupHiliteFlag(1);
  EXPECT_EQ(b->HotSpotMouseDonwProc(0, Point{18, 18}), 0);
  EXPECT_EQ(Joined(), "");
  b->SetupHiliteFlag(0);
  CheckAnswer() = 0;
  EXPECT_EQ(b->HotSpotMouseDonwProc(0, Point{18, 18}), 0);
  EXPECT_EQ(Joined(), "check");
  EXPECT_EQ(b->IsPressed(), 0);
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
}

TEST_F(IconButton, TheClientLocksAndReleasesStoppersAndPassesItsValue) {
  cSp_OriginalIconButtonControl* toggle = Button(kOrgB_ToggleStopperButton, kOrgB_NoDrawing);
  cSp_OriginalIconButtonControl* lock = Button(kOrgB_LockStopperButton, kOrgB_NoDrawing);
  cSp_OriginalIconButtonControl* push = Button(kOrgB_PushButton, kOrgB_NoDrawing);
  Log().clear();
  toggle->DownStopperButton(7, 0, 1);
  EXPECT_EQ(Joined(), "stopper");
  EXPECT_EQ(LastPoint().h, 7);
  toggle->DownStopperButton(8, 0, 1);
  EXPECT_EQ(Joined(), "stopper") << "a locked button does not lock again";
  toggle->UpStopperButton(0, 0, 0);
  EXPECT_EQ(toggle->CheckDownedStopperButton(), 0);
  EXPECT_EQ(toggle->IsPressed(), 0);

  lock->DownStopperButton(0, 0, 0);
  lock->UpStopperButton(5, 0, 1);
  EXPECT_EQ(lock->CheckDownedStopperButton(), 1) << "a locking stopper stays down";
  EXPECT_EQ(Joined(), "stopper action");
  EXPECT_EQ(LastPoint().h, 5);
  push->DownStopperButton(0, 0, 1);
  EXPECT_EQ(push->IsPressed(), 0) << "a push button is no stopper";
}

TEST_F(IconButton, ARadioGroupKeepsItsCountOfButtonsDownThroughLocksReleasesAndDeletions) {
  cSp_OriginalButtonControlRadioGroup group(window_, 1);
  cSp_OriginalIconButtonControl* a = Button(kOrgB_LockStopperButton, kOrgB_FrameTitleDrawing);
  cSp_OriginalIconButtonControl* b = Button(kOrgB_LockStopperButton, kOrgB_FrameTitleDrawing);
  cSp_OriginalIconButtonControl* push = Button(kOrgB_PushButton, kOrgB_FrameTitleDrawing);
  Wire(a, "A");
  Wire(b, "B");
  for (auto* m : {a, b, push}) group.SetupItem(m);

  Run(a, "DU");
  Log().clear();
  Run(b, "DU");
  EXPECT_EQ(Joined(), "B:check B:pressed A:action B:stopper =1") << "one down at a time";
  EXPECT_EQ(a->CheckDownedStopperButton(), 0);
  EXPECT_EQ(a->IsPressed(), 0);
  EXPECT_EQ(group.GetNumOfDownButton(), 1);
  EXPECT_EQ(group.GetNewestDown(), b);
  group.SetupSectionList(b);
  EXPECT_EQ(group.GetNumOfDownButton(), 1) << "the newest going down again changes nothing";
  Run(push, "DU");
  EXPECT_EQ(errors_.Count(), 0u) << "a push button that was never down leaves no record";

  // Two may be down: each leaves the list whole, and comes back into it later.
  cSp_OriginalButtonControlRadioGroup pair(window_, 1);
  pair.maximumDown = 2;
  cSp_OriginalIconButtonControl* x = Button(kOrgB_ToggleStopperButton, kOrgB_NoDrawing);
  cSp_OriginalIconButtonControl* y = Button(kOrgB_ToggleStopperButton, kOrgB_NoDrawing);
  pair.SetupItem(x);
  pair.SetupItem(y);
  const struct {
    cSp_OriginalIconButtonControl* clicked;
    SInt32 down;
  } clicks[] = {{x, 1}, {y, 2}, {x, 1}, {y, 0}, {x, 1}, {y, 2}};
  for (const auto& c : clicks) {
    Run(c.clicked, "DU");
    EXPECT_EQ(pair.GetNumOfDownButton(), c.down);
  }
  EXPECT_EQ(pair.GetNewestDown(), y);
  EXPECT_EQ(pair.GetOldestDown(), x);
  EXPECT_EQ(errors_.Count(), 0u);

  // At least one must stay down: releasing it brings another member down in its place.
  cSp_OriginalButtonControlRadioGroup atLeastOne(window_, 1);
  atLeastOne.minimumDown = 1;
  cSp_OriginalIconButtonControl* m = Button(kOrgB_ToggleStopperButton, kOrgB_NoDrawing);
  cSp_OriginalIconButtonControl* n = Button(kOrgB_ToggleStopperButton, kOrgB_NoDrawing);
  Wire(m, "M");
  Wire(n, "N");
  atLeastOne.SetupItem(m);
  atLeastOne.SetupItem(n);
  Run(m, "DU");
  Log().clear();
  Run(m, "DU");
  EXPECT_EQ(Joined(), "M:check M:pressed N:action M:action =1");
  EXPECT_EQ(n->CheckDownedStopperButton(), 1);
  EXPECT_EQ(n->IsPressed(), 1);
  EXPECT_EQ(atLeastOne.GetNewestDown(), n);

  // A member that goes leaves nothing of itself behind.
  buttons_.erase(buttons_.begin() + 5, buttons_.end());
  EXPECT_EQ(atLeastOne.GetNumOfDownButton(), 0);
  EXPECT_EQ(atLeastOne.GetMemberHead(), nullptr);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(IconButton, AHeldButtonRepeatsAfter50TicksThenEveryIntervalWhileTheMouseIsOnIt) {
  cSp_OriginalIconButtonControl* b = Button(kOrgB_PushButton, kOrgB_NoDrawing);
  b->repeatProc = Note;
  const Point in = {18, 18};
  b->HotSpotMouseDonwProc(0, in);
  int repeats = 0;
  const struct {
    UInt32 advance;
    int repeats;
  } steps[] = {{50, 0}, {1, 1}, {0, 1}, {19, 1}, {1, 2}, {25, 3}};
  for (const auto& s : steps) {
    sp_testing::AdvanceClockTicks(s.advance);
    repeats += b->HotSpotMouseDownTraceProc(0, in);
    EXPECT_EQ(repeats, s.repeats) << "after " << s.advance;
  }
  b->HotSpotMouseAreaOutProc(0, Point{60, 60});
  sp_testing::AdvanceClockTicks(40);
  EXPECT_EQ(b->HotSpotMouseDownTraceProc(0, in), 0) << "no repeat while the mouse is away";
  EXPECT_EQ(std::count(Log().begin(), Log().end(), "repeat"), 3);
}

TEST_F(IconButton, StatusIconsAreChosenByIndexAndCyclingWrapsAndPausesWhilePressed) {
  cSp_OriginalIconButtonControl* b = Button(kOrgB_MultiStatusButton, kOrgB_StatusIconDrawing);
  b->StartCycleInterruptDraw(10);
  EXPECT_EQ(b->IsCycling(), 0) << "nothing to cycle through";
  EXPECT_EQ(b->IsInterruptView(), 0);
  for (short id : {129, 130, 620}) b->SetButtonIconResId(kOrgB_UpStatus, id);
  for (short id : {129, 130}) b->SetButtonIconResId(kOrgB_DownStatus, id);
  EXPECT_EQ(b->NumOfIconStatusLayer(kOrgB_UpStatus), 3);
  EXPECT_EQ(b->NumOfIconStatusLayer(kOrgB_DownStatus), 2);
  b->ChangeStatus(kOrgB_DownStatus, 1, 0);
  b->ChangeStatus(kOrgB_DownStatus, 2, 0);
  EXPECT_EQ(b->GetCurrentStatus(kOrgB_DownStatus), 1) << "an index past the set is ignored";
  EXPECT_NE(b->GetButtonIconHandle(kOrgB_DownStatus), b->GetButtonIconHandle(kOrgB_UpStatus));
  Run(b, "D");
  EXPECT_EQ(b->GetCurrentStatus(kOrgB_DownStatus), 0) << "a press at the last down icon wraps";
  Run(b, "U");

  b->StartCycleInterruptDraw(10);
  ASSERT_EQ(b->IsCycling(), 1);
  std::string frames;
  for (int i = 0; i < 4; ++i) {
    sp_testing::AdvanceClockTicks(11);
    Sp_InterruptDrawView();
    frames += std::to_string(b->GetCycleFrame());
  }
  EXPECT_EQ(frames, "1201");
  b->HotSpotMouseDonwProc(0, Point{18, 18});
  sp_testing::AdvanceClockTicks(11);
  Sp_InterruptDrawView();
  EXPECT_EQ(b->GetCycleFrame(), 1) << "a pressed button draws as it is";
  b->HotSpotMouseUpProc(0, Point{18, 18});
  b->StopCycleInterruptDraw();
  EXPECT_EQ(b->IsCycling(), 0);
  EXPECT_EQ(b->IsInterruptView(), 0);
}

TEST_F(IconButton, EveryPictureLoanIsGivenBackWhenReplacedAndWhenTheButtonGoes) {
  // The manager numbers a picture's loans from 1 while it lives: a loan taken after the button
  // is gone numbers 1 again only when every loan of the button came back.
  const struct {
    int ups, downs, hilites;  // how many times each picture is set
  } cases[] = {{1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, 2, 0}, {1, 0, 2}, {3, 3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.ups) + std::to_string(c.downs) + std::to_string(c.hilites));
    cSp_OriginalIconButtonControl* b = Button(kOrgB_PushButton, kOrgB_PictureTitleDrawing);
    for (int i = 0; i < c.ups; ++i) {
      b->SetButtonPictIcon(kRedBluePicture, Rect{0, 0, short(16 - i), 16}, 0, nullptr, 0);
    }
    for (int i = 0; i < c.downs; ++i) b->SetDownButtonPictIcon(kRedBluePicture, 0);
    for (int i = 0; i < c.hilites; ++i) b->SetHiliteButtonPictIcon(kRedBluePicture, 0);
    buttons_.clear();
    SInt32 ref = 0;
    cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(kRedBluePicture, ref);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ref, 1);
    Sp_ResM_ReleasePicture(item, ref);
  }
}

TEST_F(IconButton, EachDrawingTypeShowsItsFaceIconOrPictureRaisedPressedAndHilited) {
  auto paintUp = [](cSp_OriginalIconButtonControl*, const Rect& area, unsigned char pressed,
                    unsigned long) {
    const RGBColor c = pressed != 0 ? RGBColor{0, 0, 65535} : RGBColor{0, 65535, 0};
    RGBForeColor(&c);
    PaintRect(&area);
  };
  const RGBColor red = {65535, 0, 0};
  const struct {
    tButtonDrawingType drawing;
    bool pressed, hilite;
    short h;
    RGBColor colour;
    const char* why;
  } cases[] = {
      {kOrgB_FrameTitleDrawing, false, false, 18, Grey(204), "the raised face"},
      {kOrgB_FrameTitleDrawing, true, false, 18, Grey(136), "the pressed face"},
      {kOrgB_FrameIconDrawing, true, false, 18, Grey(68), "pressed and darkened by half"},
      {kOrgB_FrameIconDrawing, false, true, 18, Grey(240), "hilited 70 % toward white"},
      {kOrgB_FrameIconTitleDrawing, true, false, 18, Grey(68), "darkened as well"},
      {kOrgB_NoDrawing, false, false, 18, Grey(255), "nothing drawn"},
      {kOrgB_StatusIconDrawing, false, false, 18, Grey(255), "no up icon: nothing"},
      {kOrgB_StatusIconDrawing, true, false, 18, red, "the down icon"},
      {kOrgB_PictureTitleDrawing, false, false, 12, red, "the picture's red half"},
      {kOrgB_PictureTitleDrawing, true, false, 12, RGBColor{32767, 0, 0}, "darkened by half"},
      {kOrgB_ClientDrawing, false, false, 18, RGBColor{0, 65535, 0}, "the up procedure"},
      {kOrgB_ClientDrawing, true, false, 18, RGBColor{0, 0, 65535}, "the down procedure"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    buttons_.clear();
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    cSp_OriginalIconButtonControl* b = Button(kOrgB_PushButton, c.drawing);
    const Rect area = {0, 0, 16, 16};
    b->SetButtonIconResId(kOrgB_DownStatus, kRedSquareIcon);
    b->SetButtonPictIcon(kRedBluePicture, area, 0, nullptr, 0);
    b->EnableDarkenOnBottnDown(50);
    b->SetupDownButtonDrawingProc(paintUp, 0);
    b->SetupUpButtonDrawingProc(paintUp, 0);
    b->SetupHiliteFlag(c.hilite ? 1 : 0);
    Sp_RedrawViewWindow(window_, 0);
    if (c.pressed) b->HotSpotMouseDonwProc(0, Point{18, 18});  // drawn at once
    EXPECT_TRUE(Near(Pixel(c.h, 18), c.colour)) << std::hex << Pixel(c.h, 18);
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(IconButton, PlaceHotSpotAndTitleShadowFollowTheSettersAtOnce) {
  cSp_OriginalIconButtonControl* b = Button(kOrgB_PushButton, kOrgB_FrameTitleDrawing);
  Sp_RedrawViewWindow(window_, 0);
  b->ResizeAndMoveButton(Rect{50, 60, 66, 76}, 0, 1);
  EXPECT_TRUE(Near(Pixel(68, 58), Grey(204))) << "drawn at its new place at once";
  Log().clear();
  ASSERT_EQ(Sp_MouseDownHotSpot(window_, Point{58, 68}, 0), 1) << "the hot spot moved with it";
  Sp_MouseUpHotSpot(window_, Point{58, 68}, 0);
  EXPECT_EQ(Joined(), "check pressed released action click");

  b->SetupButtonDownOffset(2, -1);
  short h = 0, v = 0;
  b->GetButtonDownOffset(h, v);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(v, 0) << "a negative offset is not taken";
  Rect r;
  b->GetImmediateDrawingArea(&r);
  EXPECT_EQ(r.right - r.left, 18) << "the button widens by the offset";
  EXPECT_EQ(r.bottom - r.top, 16);
  b->MoveOriginalButtonCnt(-1, 100, 0);
  b->GetImmediateDrawingArea(&r);
  EXPECT_EQ(r.left, 60);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(Sp_MouseDownHotSpot(window_, Point{58, 68}, 0), 0) << "nothing left at the old place";

  // The title "A" (6 x 9 at size 12) is centred; its shadow shows one pixel right of it.
  cSp_OriginalIconButtonControl* t = Button(kOrgB_PushButton, kOrgB_FrameTitleDrawing);
  t->SetButtonOutputString("A", 1);
  const RGBColor blue = {0, 0, 65535};
  t->SetUpButtonStringShadowColor(blue, 1);
  EXPECT_TRUE(Near(Pixel(20, 16), blue)) << std::hex << Pixel(20, 16);
  t->SetButtonStringDarkRate(0.0f, 1);
  EXPECT_TRUE(Near(Pixel(20, 16), Grey(204))) << "no darkening: the face colour";
  t->SetButtonOutputString("", 1);
  EXPECT_EQ(t->GetButtonOutputString(), nullptr);

  Sp_OrgB_DisposeButton(nullptr);
  EXPECT_TRUE(errors_.Has("Sp_OrgB_DisposeButton", 1));
  cSp_OriginalIconButtonControl* made = Sp_OrgB_NewOriginalButton(window_, r, 0, nullptr, 0);
  EXPECT_EQ(made->GetDrawingType(), kOrgB_StatusIconDrawing);
  Sp_OrgB_DisposeButton(made);
}

}  // namespace
