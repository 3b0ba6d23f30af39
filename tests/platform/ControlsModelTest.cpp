// The Control Manager's model: 'CNTL' resources, kinds, values and their range, titles,
// hiliting and activation, embedding, disposal and control data.
#include <cstring>

#include "UiFixture.h"

namespace ui_test {
namespace {

const ResType kCNTL = SpFourCC("CNTL");

std::string TitleOf(ControlRef c) {
  return sp_testing::ReadControl(c).title;
}

TEST_F(ControlsTest, CntlResourcesGiveKindBoundsValueRangeVisibilityAndTitle) {
  AddMenuResource(200, {"AIFF", "WAVE", "MooV"});
  struct Case {
    SInt16 procID;
    SInt16 value, minimum, maximum;
    bool visible;
    std::string title;
    OSType kind;
    SInt32 wantValue, wantMin, wantMax;
    SRefCon refCon;
  } cases[] = {
      {pushButProc, 0, 0, 1, true, "OK", kControlKindPushButton, 0, 0, 1, SRefCon(0x12345678)},
      {checkBoxProc, 1, 0, 1, true, "\x8C\xE3\x82\xCC", kControlKindCheckBox, 1, 0, 1, SRefCon(-2)},
      {radioButProc + useWFont, 1, 0, 1, false, "Radio", kControlKindRadioButton, 1, 0, 1, 0},
      {scrollBarProc, 40, 10, 90, true, "", kControlKindScrollBar, 40, 10, 90, 0},
      {kControlProgressBarProc, 150, 0, 100, true, "", kControlKindProgressBar, 100, 0, 100, 0},
      {kControlStaticTextProc, 0, 0, 0, true, "", kControlKindStaticText, 0, 0, 0, 0},
      // Popups: the value is the title style, the minimum the menu id, the maximum the width
      // of the title area; the control answers items 1..n, the first chosen.
      {popupMenuProc, 0, 200, 60, true, "Type:", kControlKindPopupButton, 1, 1, 3, 0},
      {kControlPopupButtonProc, 0, 200, 0, true, "", kControlKindPopupButton, 1, 1, 3, 0},
      {123, 0, 0, 0, true, "?", kControlKindUserPane, 0, 0, 0, 0},
  };
  SInt16 id = 500;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.procID);
    Rect bounds = R(10, SInt16(20 + id - 500), 30, SInt16(120 + id - 500));
    ASSERT_EQ(sp_testing::AddAppResource(
                  kCNTL, id,
                  sp_testing::MakeControlResource(bounds, c.value, c.visible, c.maximum, c.minimum,
                                                  c.procID, SInt32(c.refCon), c.title)),
              noErr);
    ControlRef control = GetNewControl(id++, window_);
    ASSERT_NE(control, nullptr);
    sp_testing::ControlModel m = sp_testing::ReadControl(control);
    EXPECT_EQ(m.kind, c.kind);
    EXPECT_TRUE(EqualRect(&m.bounds, &bounds));
    EXPECT_EQ(m.value, c.wantValue);
    EXPECT_EQ(m.minimum, c.wantMin);
    EXPECT_EQ(m.maximum, c.wantMax);
    EXPECT_EQ(m.visible, c.visible);
    EXPECT_EQ(m.title, c.title);
    EXPECT_EQ(GetControlReference(control), c.refCon) << "a negative one stays negative";
  }
}

TEST_F(ControlsTest, CntlResourceThatEndsEarlyOrIsMissingMakesNoControl) {
  std::vector<UInt8> bytes =
      sp_testing::MakeControlResource(R(0, 0, 20, 80), 0, true, 1, 0, pushButProc, 0, "Button");
  ASSERT_EQ(sp_testing::AddAppResource(kCNTL, 600, bytes), noErr);
  bytes.resize(bytes.size() - 1);  // the title's length byte says one more than follows
  ASSERT_EQ(sp_testing::AddAppResource(kCNTL, 601, bytes), noErr);
  bytes.resize(10);  // not even the fields before the title
  ASSERT_EQ(sp_testing::AddAppResource(kCNTL, 602, bytes), noErr);
  EXPECT_EQ(GetNewControl(601, window_), nullptr);
  EXPECT_EQ(GetNewControl(602, window_), nullptr);
  EXPECT_EQ(GetNewControl(603, window_), nullptr);
  EXPECT_TRUE(sp_testing::WindowControlList(window_).empty());
  EXPECT_NE(GetNewControl(600, window_), nullptr) << "the whole resource still makes one";
}

TEST_F(ControlsTest, ValuesStayInsideTheirRange) {
  ControlRef c = ScrollBar(R(20, 300, 220, 316), 50, 100);
  struct Step {
    const char* what;
    void (*apply)(ControlRef);
    SInt32 value, minimum, maximum;
  } steps[] = {
      {"at the maximum", [](ControlRef x) { SetControlValue(x, 100); }, 100, 0, 100},
      {"above the maximum", [](ControlRef x) { SetControlValue(x, 101); }, 100, 0, 100},
      {"at the minimum", [](ControlRef x) { SetControlValue(x, 0); }, 0, 0, 100},
      {"below the minimum", [](ControlRef x) { SetControlValue(x, -1); }, 0, 0, 100},
      {"minimum raised past the value", [](ControlRef x) { SetControlMinimum(x, 30); }, 30, 30,
       100},
      {"maximum lowered past the value",
       [](ControlRef x) { SetControlValue(x, 90), SetControlMaximum(x, 60); }, 60, 30, 60},
      {"maximum below the minimum is raised to it", [](ControlRef x) { SetControlMaximum(x, 10); },
       30, 30, 30},
      {"minimum above the maximum raises the maximum",
       [](ControlRef x) { SetControl32BitMinimum(x, 40); }, 40, 40, 40},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.apply(c);
    EXPECT_EQ(GetControl32BitValue(c), s.value);
    EXPECT_EQ(GetControl32BitMinimum(c), s.minimum);
    EXPECT_EQ(GetControl32BitMaximum(c), s.maximum);
  }
  // Sixteen-bit reads of thirty-two-bit values are cut, not wrapped.
  SetControl32BitMaximum(c, 100000);
  SetControl32BitMinimum(c, -100000);
  SetControl32BitValue(c, 70000);
  EXPECT_EQ(GetControl32BitValue(c), 70000);
  EXPECT_EQ(GetControlValue(c), 32767);
  EXPECT_EQ(GetControlMaximum(c), 32767);
  EXPECT_EQ(GetControlMinimum(c), -32768);
  // NewControl clamps what it is given too.
  EXPECT_EQ(GetControlValue(Make(kControlProgressBarProc, R(10, 10, 26, 200), 120, 0, 100, "")),
            100);
  ControlRef d = Make(kControlProgressBarProc, R(30, 10, 46, 200), 5, 10, 2, "");
  EXPECT_EQ(GetControlMaximum(d), 10) << "a maximum below the minimum is raised to it";
  EXPECT_EQ(GetControlValue(d), 10);
}

TEST_F(ControlsTest, PopupTakesItsMenuFromTheResourceAndGivesItBackWhenDisposed) {
  AddMenuResource(210, {"One", "Two"});
  ControlRef c = Make(popupMenuProc, R(10, 10, 30, 200), 0, 210, 50, "Pick");
  MenuRef menu = GetControlPopupMenuHandle(c);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuHandle(210), menu) << "put into the hierarchical menu list";
  EXPECT_EQ(GetControlPopupMenuID(c), 210);
  ControlRef second = Make(popupMenuProc, R(40, 10, 60, 200), 0, 210, 0, "");
  EXPECT_EQ(GetControlPopupMenuHandle(second), menu) << "one menu for both";
  DisposeControl(c);
  EXPECT_EQ(GetMenuHandle(210), menu) << "still used by the second popup";
  DisposeControl(second);
  EXPECT_EQ(GetMenuHandle(210), nullptr);
}

TEST_F(ControlsTest, PopupWithoutMenuHasNoRange) {
  ControlRef none = Make(kControlPopupButtonProc, R(10, 10, 30, 200), 0, kSpPopupNoMenuID, 0, "");
  EXPECT_EQ(GetControlPopupMenuHandle(none), nullptr);
  EXPECT_EQ(GetControlMaximum(none), 0);
  EXPECT_EQ(GetControlValue(none), 0);
}

TEST_F(ControlsTest, HiliteSeparatesPartsFromInactivity) {
  ControlRef c = Button();
  struct Case {
    ControlPartCode set;
    UInt16 hilite;
    bool hilited, active;
  } cases[] = {
      {kControlButtonPart, 10, true, true}, {0, 0, false, true},      {255, 255, false, false},
      {kControlButtonPart, 10, true, true}, {254, 255, false, false}, {0, 0, false, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.set);
    HiliteControl(c, k.set);
    EXPECT_EQ(GetControlHilite(c), k.hilite);
    EXPECT_EQ(IsControlHilited(c), k.hilited);
    EXPECT_EQ(IsControlActive(c), k.active);
  }
  for (int pass = 0; pass < 2; ++pass) {
    DeactivateControl(c);
    EXPECT_EQ(GetControlHilite(c), 255);
    ActivateControl(c);
    EXPECT_EQ(GetControlHilite(c), 0);
  }
}

TEST_F(ControlsTest, EmbeddedControlsFollowTheirEmbeddersStateAndPlace) {
  ControlRef root = nullptr, pane = nullptr, super = nullptr;
  ASSERT_EQ(CreateRootControl(window_, &root), noErr);
  Rect paneBounds = R(10, 10, 110, 210);
  ASSERT_EQ(CreateUserPaneControl(window_, &paneBounds, 0, &pane), noErr);
  ControlRef button = Button(R(20, 20, 40, 100));
  ASSERT_EQ(EmbedControl(button, pane), noErr);
  EXPECT_EQ(GetSuperControl(button, &super), noErr);
  EXPECT_EQ(super, pane);

  DeactivateControl(pane);
  EXPECT_FALSE(IsControlActive(button));
  EXPECT_EQ(GetControlHilite(button), 255);
  ActivateControl(pane);
  EXPECT_TRUE(IsControlActive(button)) << "its own state was kept";

  HideControl(pane);
  EXPECT_FALSE(IsControlVisible(button));
  ControlRef found = nullptr;
  EXPECT_EQ(FindControl(Pt(30, 30), window_, &found), kControlNoPart);
  ShowControl(pane);
  EXPECT_TRUE(IsControlVisible(button));

  MoveControl(pane, 50, 60);
  Rect b;
  GetControlBounds(button, &b);
  EXPECT_EQ(b.left, 60);
  EXPECT_EQ(b.top, 70);

  DisposeControl(pane);
  EXPECT_FALSE(IsValidControlHandle(button)) << "disposed of with what holds it";
}

TEST_F(ControlsTest, EmbeddingRefusesWhatWouldBreakTheHierarchy) {
  ControlRef a = Button();
  ControlRef b = Button(R(50, 20, 70, 100));
  EXPECT_EQ(EmbedControl(a, b), errNoRootControl);
  ControlRef root = nullptr, again = nullptr, super = nullptr;
  ASSERT_EQ(CreateRootControl(window_, &root), noErr);
  EXPECT_EQ(CreateRootControl(window_, &again), errRootAlreadyExists);
  EXPECT_EQ(again, root);
  EXPECT_EQ(GetSuperControl(a, &super), noErr);
  EXPECT_EQ(super, root) << "controls made before the root go into it";
  ASSERT_EQ(EmbedControl(a, b), noErr);
  EXPECT_EQ(EmbedControl(b, a), errCantEmbedIntoSelf);
  EXPECT_EQ(EmbedControl(a, a), errCantEmbedIntoSelf);
  EXPECT_EQ(EmbedControl(root, a), errCantEmbedRoot);
  ControlRef elsewhere =
      Make(pushButProc, R(10, 10, 30, 80), 0, 0, 1, "E", MakeWindow(R(500, 100, 600, 300)));
  EXPECT_EQ(EmbedControl(elsewhere, b), errControlIsNotEmbedder);
  UInt16 count = 0;
  EXPECT_EQ(CountSubControls(root, &count), noErr);
  EXPECT_EQ(count, 1);
  ControlRef made = nullptr;
  Rect r = R(100, 100, 120, 180);
  ASSERT_EQ(CreatePushButtonControl(window_, &r, nullptr, &made), noErr);
  EXPECT_EQ(GetSuperControl(made, &super), noErr);
  EXPECT_EQ(super, root) << "controls made after the root go into it";
}

TEST_F(ControlsTest, ReferencesThatAreNotLiveControlsAreRefused) {
  ControlKind kind = {0, 0};
  int notAControl = 0;
  EXPECT_EQ(GetControlKind(reinterpret_cast<ControlRef>(&notAControl), &kind), errUnknownControl);
  EXPECT_EQ(GetControlKind(nullptr, &kind), errUnknownControl);
  ControlRef c = Button();
  EXPECT_EQ(GetControlKind(c, &kind), noErr);
  DisposeControl(c);
  EXPECT_EQ(GetControlKind(c, &kind), errUnknownControl);
  SetControlValue(c, 1);  // refused quietly
  EXPECT_EQ(GetControlValue(c), 0);
  Str255 title = {3, 'x', 'y', 'z'};
  GetControlTitle(c, title);
  EXPECT_EQ(title[0], 0);
}

TEST_F(ControlsTest, DisposingAWindowOrKillControlsDisposesOfItsControlsAndNoOther) {
  ControlRef root = nullptr;
  ASSERT_EQ(CreateRootControl(window_, &root), noErr);
  ControlRef a = Button();
  ControlRef b = ScrollBar();
  KillControls(window_);
  EXPECT_FALSE(IsValidControlHandle(a));
  EXPECT_FALSE(IsValidControlHandle(b));
  EXPECT_FALSE(IsValidControlHandle(root));
  EXPECT_EQ(GetRootControl(window_, &root), errNoRootControl);

  ControlRef mine = Button();
  WindowRef other = MakeWindow(R(120, 120, 300, 400));
  ControlRef theirs = Make(pushButProc, R(20, 20, 40, 100), 0, 0, 1, "Other", other);
  DisposeWindow(window_);
  EXPECT_FALSE(IsValidControlHandle(mine));
  EXPECT_TRUE(IsValidControlHandle(theirs));
  EXPECT_EQ(GetControlOwner(theirs), other);
  window_ = MakeWindow(R(100, 100, 400, 500));
  EXPECT_TRUE(sp_testing::WindowControlList(window_).empty())
      << "a new window, even at the old address, starts without controls";
}

TEST_F(ControlsTest, TitlesAreMacJapaneseAndLongOnesAreCutOnACharacterBoundary) {
  const std::string save = "\x95\xDB\x91\xB6";  // "保存" in MacJapanese
  ControlRef c = Make(pushButProc, R(10, 10, 30, 100), 0, 0, 1, save);
  EXPECT_EQ(TitleOf(c), save);

  std::string text = "x";  // one byte first, so the 255th byte would split a character
  for (int i = 0; i < 200; ++i) text += "\xE3\x81\x82";  // "あ": two MacJapanese bytes each
  CFStringRef s = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
  Rect r = R(10, 10, 30, 100);
  ASSERT_EQ(CreatePushButtonControl(window_, &r, s, &c), noErr);
  CFRelease(s);
  const std::string title = TitleOf(c);
  EXPECT_EQ(title.size(), 255u);
  EXPECT_EQ(UInt8(title[253]), 0x82);
  EXPECT_EQ(UInt8(title[254]), 0xA0);
}

}  // namespace
}  // namespace ui_test
