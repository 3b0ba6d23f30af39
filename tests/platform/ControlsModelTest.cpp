// The Control Manager's model: 'CNTL' resources, kinds, values and their range, titles,
// hiliting and activation, embedding, disposal and control data.
#include <cstring>

#include "UiFixture.h"

namespace ui_test {
namespace {

const ResType kCNTL = SpFourCC("CNTL");

// Value, minimum and maximum, as "value min..max".
std::string Range(ControlRef c) {
  return std::to_string(GetControl32BitValue(c)) + " " + std::to_string(GetControl32BitMinimum(c)) +
         ".." + std::to_string(GetControl32BitMaximum(c));
}

TEST_F(ControlsTest, CntlResourcesGiveKindBoundsValueRangeVisibilityAndTitle) {
  AddMenuResource(200, {"AIFF", "WAVE", "MooV"});
  struct Case {
    SInt16 procID, value, minimum, maximum;
    bool visible;
    std::string title;
    OSType kind;
    const char* range;
    SRefCon refCon;
  } cases[] = {
      {pushButProc, 0, 0, 1, true, "OK", kControlKindPushButton, "0 0..1", SRefCon(0x12345678)},
      {checkBoxProc, 1, 0, 1, true, "\x8C\xE3\x82\xCC", kControlKindCheckBox, "1 0..1",
       SRefCon(-2)},
      {radioButProc + useWFont, 1, 0, 1, false, "Radio", kControlKindRadioButton, "1 0..1", 0},
      {scrollBarProc, 40, 10, 90, true, "", kControlKindScrollBar, "40 10..90", 0},
      {kControlProgressBarProc, 150, 0, 100, true, "", kControlKindProgressBar, "100 0..100", 0},
      {kControlStaticTextProc, 0, 0, 0, true, "", kControlKindStaticText, "0 0..0", 0},
      // Popups: the value is the title style, the minimum the menu id, the maximum the width
      // of the title area; the control answers items 1..n, the first chosen.
      {popupMenuProc, 0, 200, 60, true, "Type:", kControlKindPopupButton, "1 1..3", 0},
      {kControlPopupButtonProc, 0, 200, 0, true, "", kControlKindPopupButton, "1 1..3", 0},
      {123, 0, 0, 0, true, "?", kControlKindUserPane, "0 0..0", 0},
  };
  SInt16 id = 500;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.procID);
    const Rect bounds = R(10, SInt16(20 + id - 500), 30, SInt16(120 + id - 500));
    ASSERT_EQ(sp_testing::AddAppResource(
                  kCNTL, id,
                  sp_testing::MakeControlResource(bounds, c.value, c.visible, c.maximum, c.minimum,
                                                  c.procID, SInt32(c.refCon), c.title)),
              noErr);
    ControlRef control = GetNewControl(id++, window_);
    ASSERT_NE(control, nullptr);
    const sp_testing::ControlModel m = sp_testing::ReadControl(control);
    EXPECT_EQ(m.kind, c.kind);
    EXPECT_TRUE(Same(m.bounds, bounds));
    EXPECT_EQ(Range(control), c.range);
    EXPECT_EQ(m.visible, c.visible);
    EXPECT_EQ(m.title, c.title);
    EXPECT_EQ(GetControlReference(control), c.refCon) << "a negative one stays negative";
  }
  // A resource that ends early, or is missing, makes no control.
  std::vector<UInt8> bytes =
      sp_testing::MakeControlResource(R(0, 0, 20, 80), 0, true, 1, 0, pushButProc, 0, "Button");
  ASSERT_EQ(sp_testing::AddAppResource(kCNTL, 600, bytes), noErr);
  bytes.resize(bytes.size() - 1);  // the title's length byte says one more than follows
  ASSERT_EQ(sp_testing::AddAppResource(kCNTL, 601, bytes), noErr);
  bytes.resize(10);  // not even the fields before the title
  ASSERT_EQ(sp_testing::AddAppResource(kCNTL, 602, bytes), noErr);
  const std::size_t made = sp_testing::WindowControlList(window_).size();
  for (SInt16 bad : {601, 602, 603}) EXPECT_EQ(GetNewControl(bad, window_), nullptr) << bad;
  EXPECT_EQ(sp_testing::WindowControlList(window_).size(), made);
  EXPECT_NE(GetNewControl(600, window_), nullptr) << "the whole resource still makes one";
}

TEST_F(ControlsTest, ValuesStayInsideTheirRange) {
  ControlRef c = ScrollBar(R(20, 300, 220, 316), 50, 100);
  struct Step {
    void (*apply)(ControlRef);
    const char* range;
  } steps[] = {
      {[](ControlRef x) { SetControlValue(x, 100); }, "100 0..100"},   // at the maximum
      {[](ControlRef x) { SetControlValue(x, 101); }, "100 0..100"},   // above it
      {[](ControlRef x) { SetControlValue(x, 0); }, "0 0..100"},       // at the minimum
      {[](ControlRef x) { SetControlValue(x, -1); }, "0 0..100"},      // below it
      {[](ControlRef x) { SetControlMinimum(x, 30); }, "30 30..100"},  // raised past the value
      {[](ControlRef x) { SetControlValue(x, 90), SetControlMaximum(x, 60); }, "60 30..60"},
      {[](ControlRef x) { SetControlMaximum(x, 10); }, "30 30..30"},       // below the minimum
      {[](ControlRef x) { SetControl32BitMinimum(x, 40); }, "40 40..40"},  // above the maximum
  };
  for (const Step& s : steps) {
    s.apply(c);
    EXPECT_EQ(Range(c), s.range);
  }
  // Sixteen-bit reads of thirty-two-bit values are cut, not wrapped.
  SetControl32BitMaximum(c, 100000);
  SetControl32BitMinimum(c, -100000);
  SetControl32BitValue(c, 70000);
  EXPECT_EQ(Range(c), "70000 -100000..100000");
  EXPECT_EQ(std::vector<int>({GetControlValue(c), GetControlMinimum(c), GetControlMaximum(c)}),
            std::vector<int>({32767, -32768, 32767}));
  // NewControl clamps what it is given too.
  EXPECT_EQ(Range(Make(kControlProgressBarProc, R(10, 10, 26, 200), 120, 0, 100, "")),
            "100 0..100");
  EXPECT_EQ(Range(Make(kControlProgressBarProc, R(30, 10, 46, 200), 5, 10, 2, "")), "10 10..10");
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
  ControlRef none = Make(kControlPopupButtonProc, R(10, 10, 30, 200), 0, kSpPopupNoMenuID, 0, "");
  EXPECT_EQ(GetControlPopupMenuHandle(none), nullptr);
  EXPECT_EQ(Range(none), "0 0..0");
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
    HiliteControl(c, k.set);
    EXPECT_EQ(GetControlHilite(c), k.hilite) << k.set;
    EXPECT_EQ(IsControlHilited(c), k.hilited) << k.set;
    EXPECT_EQ(IsControlActive(c), k.active) << k.set;
  }
  for (int pass = 0; pass < 2; ++pass) {
    DeactivateControl(c);
    EXPECT_EQ(GetControlHilite(c), 255);
    ActivateControl(c);
    EXPECT_EQ(GetControlHilite(c), 0);
  }
}

TEST_F(ControlsTest, EmbeddedControlsFollowTheirEmbeddersStateAndPlace) {
  ControlRef a = Button();
  ControlRef b = Button(R(50, 20, 70, 100));
  EXPECT_EQ(EmbedControl(a, b), errNoRootControl);
  ControlRef root = nullptr, again = nullptr, super = nullptr, pane = nullptr;
  ASSERT_EQ(CreateRootControl(window_, &root), noErr);
  EXPECT_EQ(CreateRootControl(window_, &again), errRootAlreadyExists);
  EXPECT_EQ(again, root);
  EXPECT_EQ(GetSuperControl(a, &super), noErr);
  EXPECT_EQ(super, root) << "controls made before the root go into it";
  Rect paneBounds = R(10, 10, 110, 210);
  ASSERT_EQ(CreateUserPaneControl(window_, &paneBounds, 0, &pane), noErr);
  EXPECT_EQ(GetSuperControl(pane, &super), noErr);
  EXPECT_EQ(super, root) << "controls made after the root go into it";
  ControlRef button = Button(R(60, 120, 80, 200));
  ASSERT_EQ(EmbedControl(button, pane), noErr);
  EXPECT_EQ(GetSuperControl(button, &super), noErr);
  EXPECT_EQ(super, pane);

  DeactivateControl(pane);
  EXPECT_EQ(GetControlHilite(button), 255);
  ActivateControl(pane);
  EXPECT_TRUE(IsControlActive(button)) << "its own state was kept";
  HideControl(pane);
  EXPECT_FALSE(IsControlVisible(button));
  ControlRef found = nullptr;
  EXPECT_EQ(FindControl(Pt(150, 70), window_, &found), kControlNoPart);
  ShowControl(pane);
  EXPECT_TRUE(IsControlVisible(button));
  MoveControl(pane, 50, 60);
  Rect moved;
  EXPECT_TRUE(Same(*GetControlBounds(button, &moved), R(110, 160, 130, 240)));

  // What would break the hierarchy is refused.
  ASSERT_EQ(EmbedControl(a, b), noErr);
  EXPECT_EQ(EmbedControl(b, a), errCantEmbedIntoSelf);
  EXPECT_EQ(EmbedControl(a, a), errCantEmbedIntoSelf);
  EXPECT_EQ(EmbedControl(root, a), errCantEmbedRoot);
  ControlRef elsewhere =
      Make(pushButProc, R(10, 10, 30, 80), 0, 0, 1, "E", MakeWindow(R(500, 100, 600, 300)));
  EXPECT_EQ(EmbedControl(elsewhere, b), errControlIsNotEmbedder);
  UInt16 count = 0;
  EXPECT_EQ(CountSubControls(root, &count), noErr);
  EXPECT_EQ(count, 2);  // b (holding a) and the pane
  DisposeControl(pane);
  EXPECT_FALSE(IsValidControlHandle(button)) << "disposed of with what holds it";
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

TEST_F(ControlsTest, DisposingAWindowDisposesOfItsControlsAndNoOther) {
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
  EXPECT_EQ(sp_testing::ReadControl(Make(pushButProc, R(10, 10, 30, 100), 0, 0, 1, save)).title,
            save);
  std::string text = "x";  // one byte first, so the 255th byte would split a character
  for (int i = 0; i < 200; ++i) text += "\xE3\x81\x82";  // "あ": two MacJapanese bytes each
  CFStringRef s = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
  Rect r = R(10, 10, 30, 100);
  ControlRef c = nullptr;
  ASSERT_EQ(CreatePushButtonControl(window_, &r, s, &c), noErr);
  CFRelease(s);
  const std::string title = sp_testing::ReadControl(c).title;
  EXPECT_EQ(title.size(), 255u);
  EXPECT_EQ(title.substr(253), "\x82\xA0");
  // One-byte titles up to the limit and past it, set later.
  for (std::size_t length : {254, 255, 256, 300}) {
    CFStringRef plain =
        CFStringCreateWithCString(nullptr, std::string(length, 'a').c_str(), kCFStringEncodingUTF8);
    EXPECT_EQ(SetControlTitleWithCFString(c, plain), noErr);
    CFRelease(plain);
    EXPECT_EQ(sp_testing::ReadControl(c).title, std::string(std::min<std::size_t>(length, 255), 'a'))
        << length;
  }
}

}  // namespace
}  // namespace ui_test
