// The window object: default titles, the four ways of making a window, behaviour flags and
// window attributes, automatic control commands and control items.

#include "WindowObjectTestSupport.h"

namespace window_object_test {
namespace {

using framework_test::Show;

std::string ToolboxTitle(cSp_Window* window) {
  Str255 title;
  GetWTitle(window->GetWindowRef(), title);
  return std::string(reinterpret_cast<const char*>(title + 1), title[0]);
}

Rect Content(cSp_Window* window) {
  Rect r;
  GetWindowBounds(window->GetWindowRef(), kWindowContentRgn, &r);
  return r;
}

WindowAttributes Attributes(cSp_Window* window) {
  WindowAttributes a = 0;
  GetWindowAttributes(window->GetWindowRef(), &a);
  return a;
}

const char kWindowResources[] = R"(
resource 'WIND' 9080 { bounds 60, 70, 260, 370; procID documentProc; visible true; goAway true; title "From the resource" }
resource 'DLOG' 9081 { bounds 100, 120, 220, 420; procID movableDBoxProc; visible true; items 9081; title "Dialog" }
resource 'DITL' 9081 {
  button 80, 210, 100, 280 { text "OK" }
  button 80, 120, 100, 190 { text "Cancel" }
  staticText 10, 10, 40, 280 { text "Hello" }
}
resource 'DLOG' 9082 { bounds 100, 120, 220, 420; procID movableDBoxProc; items 9082; title "Texts" }
resource 'DITL' 9082 {
  staticText 10, 10, 40, 280 { text "Hello" }
  editText 50, 10, 70, 280 { text "" }
  button 80, 210, 100, 280 { text "OK" }
}
)";

TEST_F(WindowObjectTest, DefaultTitlesNumberEveryWindowAfterTheFirstEvenOverResourceTitles) {
  UseResources(kWindowResources);
  CreatedWindowCount = 0;
  cSp_Window* first = AddWindow(10, 50, 0);
  cSp_Window* second = Keep(new cSp_Window(kSpWindowInFrontOfAll));
  cSp_Window* third = Keep(new cSp_Window(9080, kSpNormalWindowType, nullptr, 0, 0));
  EXPECT_EQ(first->GetDefaultTitle(), Untitled());
  EXPECT_EQ(second->GetDefaultTitle(), Untitled() + " 2");
  EXPECT_EQ(third->GetDefaultTitle(), Untitled() + " 3");
  EXPECT_EQ(ToolboxTitle(third), Untitled() + " 3") << "the resource's title is replaced";

  // Deleting windows never lowers the count.
  windows_.pop_back();
  cSp_Window* fourth = AddWindow(10, 50, 0);
  EXPECT_EQ(fourth->GetDefaultTitle(), Untitled() + " 4");

  // A later title replaces the toolbox title only.
  fourth->SetTitle("Renamed");
  EXPECT_EQ(ToolboxTitle(fourth), "Renamed");
  EXPECT_EQ(fourth->GetDefaultTitle(), Untitled() + " 4");
}

TEST_F(WindowObjectTest, LongTitleIsCutOnACharacterBoundaryNotOverflowed) {
  cSp_Window* window = AddWindow(10, 50, 0);
  // 700 two-byte characters ("あ" in MacJapanese): far beyond a title and the 1024-byte
  // buffer.
  std::string text;
  for (int i = 0; i < 700; ++i) text += "\x82\xA0";
  window->SetTitle(text.c_str());
  const std::string title = ToolboxTitle(window);
  EXPECT_EQ(title.size(), 254u) << "127 whole characters fit in 255 bytes";
  EXPECT_EQ(title, text.substr(0, 254));
}

TEST_F(WindowObjectTest, CentredWindowsTruncateHalvesTowardZero) {
  // The screen is 1024 x 768 with the menu bar's strip taken off the top.
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  struct Case {
    SInt16 width, height;
  };
  for (const Case c : {Case{300, 200}, Case{301, 201}, Case{1027, 200}, Case{300, 1000}}) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    cSp_Window* window =
        Keep(new cSp_Window(c.width, c.height, 0, documentProc, kSpNormalWindowType, nullptr));
    // Division truncating toward zero: (0 + 1024 - 1027) / 2 is -1, not -2.
    const SInt16 left = SInt16((screen.left + screen.right - c.width) / 2);
    const SInt16 top = SInt16((screen.top + screen.bottom - c.height) / 2);
    EXPECT_EQ(Show(Content(window)),
              Show({top, left, SInt16(top + c.height), SInt16(left + c.width)}));
  }
  EXPECT_EQ(Content(windows_[2].get()).left, -1);
}

// A missing resource leaves a windowless object in its list that nothing opens.
TEST_F(WindowObjectTest, ResourceWindowIsNeverOpenedByItsConstructorButByOpen) {
  UseResources(kWindowResources);
  cSp_Window* window = Keep(new cSp_Window(9080, kSpNormalWindowType, nullptr, 0, 0));
  ASSERT_NE(window->GetWindowRef(), nullptr);
  EXPECT_FALSE(Visible(window)) << "the resource says visible, the constructor hides it";
  EXPECT_EQ(window->IsOpen(), 0);
  EXPECT_EQ(Show(Content(window)), "(60, 70, 260, 370)");
  window->Open(1, nullptr);
  EXPECT_TRUE(Visible(window));
  EXPECT_EQ(window->IsOpen(), 1);

  cSp_Window* missing = Keep(new cSp_Window(9999, kSpNormalWindowType, nullptr, 0, 0));
  EXPECT_EQ(missing->GetWindowRef(), nullptr);
  EXPECT_EQ(ListOrder(WindowListHead_GlV).back(), missing);
  missing->Open(1, nullptr);
  EXPECT_EQ(missing->IsOpen(), 0);
}

TEST_F(WindowObjectTest, RebuiltDialogKeepsItsItemsGainsARootControlAndClearsTheMenuBar) {
  UseResources(kWindowResources);
  cSp_Window* dialog =
      Keep(new cSp_Window(9081, kSpDialogWindowType, nullptr, 1, kWindowMovableModalDialogProc));
  ASSERT_NE(dialog->GetDialogRef(), nullptr);
  EXPECT_EQ(CountDITL(dialog->GetDialogRef()), 3);
  EXPECT_EQ(GetDialogDefaultItem(dialog->GetDialogRef()), 1);
  EXPECT_EQ(GetDialogCancelItem(dialog->GetDialogRef()), 2);
  ControlRef root = nullptr;
  EXPECT_EQ(GetRootControl(dialog->GetWindowRef(), &root), noErr);
  EXPECT_EQ(root, dialog->GetRootControlRef());
  // The first dialog went; only the rebuilt one is left.
  EXPECT_EQ(sp_testing::WindowList().size(), 1u);
  WindowClass windowClass = 0;
  GetWindowClass(dialog->GetWindowRef(), &windowClass);
  EXPECT_EQ(windowClass, kMovableModalWindowClass);
  // Placed from its port's bounds at (0, 0): pushed below the menu bar and off the edge.
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  EXPECT_EQ(Show(Content(dialog)), Show({SInt16(screen.top + 25), SInt16(screen.left + 10),
                                         SInt16(screen.top + 145), SInt16(screen.left + 310)}));
  // Its control items are embedded in the root control.
  cSp_ControlItem* ok = dialog->SetupDialogContorlItem(1, kButtonDialogItem);
  ASSERT_NE(ok, nullptr);
  ControlRef super = nullptr;
  EXPECT_EQ(GetSuperControl(ok->GetMacOSControlHandle(), &super), noErr);
  EXPECT_EQ(super, dialog->GetRootControlRef());
}

TEST_F(WindowObjectTest, BehaviourIntoWindowSetsAndClearsAllFourInOneGo) {
  // zoomDocProc: resizable with both zoom boxes.
  cSp_Window* window =
      Keep(new cSp_Window(Pt(10, 50), Pt(200, 100), 0, zoomDocProc, kSpNormalWindowType, nullptr));
  ASSERT_NE(Attributes(window) & kWindowFullZoomAttribute, 0u);

  // Start values: grow icon, close box and live resize on, no shadow off.
  // Setting the grow icon keeps the zoom boxes; without it both zoom boxes go too.
  const WindowAttributes kFour = kWindowResizableAttribute | kWindowCloseBoxAttribute |
                                 kWindowLiveResizeAttribute | kWindowNoShadowAttribute |
                                 kWindowFullZoomAttribute;
  window->SetupWindowBehaviorIntoMacWindow();
  EXPECT_EQ(Attributes(window) & kFour, kFour & ~WindowAttributes(kWindowNoShadowAttribute));

  window->SetupDrawGrowIconFlag(0, 0);
  window->SetupCloseBoxFlag(0, 0);
  window->SetupWindowLiveResizeFlag(0, 0);
  window->SetupWindowNoShadowFlag(1, 0);
  window->SetupWindowBehaviorIntoMacWindow();
  EXPECT_EQ(Attributes(window) & kFour, WindowAttributes(kWindowNoShadowAttribute));
}

TEST_F(WindowObjectTest, AutoControlCommandsRunFromC001ToC999ThenStop) {
  controlCommandRefNoCurrent_GlV = 0;
  std::vector<UInt32> seen;
  SInt32 refNo = 0;
  UInt32 command = 0;
  for (int call = 1; call <= 999; ++call) {
    ASSERT_EQ(Sp_GetNewAutoControlCommand(refNo, command), 1) << call;
    ASSERT_EQ(refNo, call);
    if (call == 1 || call == 12 || call == 100 || call == 999) seen.push_back(command);
  }
  EXPECT_EQ(seen, (std::vector<UInt32>{SpFourCC("C001"), SpFourCC("C012"), SpFourCC("C100"),
                                       SpFourCC("C999")}));
  refNo = -5;
  EXPECT_EQ(Sp_GetNewAutoControlCommand(refNo, command), 0);
  EXPECT_EQ(refNo, -5);
  controlCommandRefNoCurrent_GlV = 0;
}

// ---- Control items --------------------------------------------------------------------------

TEST_F(WindowObjectTest, ControlItemsAreMadeOnceFoundByNumberAndControlAndGoWithTheWindow) {
  UseResources(kWindowResources);
  cSp_Window* dialog = Keep(new cSp_Window(9081, kSpDialogWindowType, nullptr, 0, 0));
  cSp_ControlItem* ok = dialog->SetupDialogContorlItem(1, kButtonDialogItem);
  cSp_ControlItem* cancel = dialog->SetupDialogContorlItem(2, kButtonDialogItem);
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(dialog->SetupDialogContorlItem(2, kCheckBoxDialogItem), cancel) << "made once";
  EXPECT_EQ(cancel->GetItemType(), kCheckBoxDialogItem);
  EXPECT_EQ(dialog->GetTargetDialogControlItemObjPtr(1), ok);
  EXPECT_EQ(dialog->GetTargetDialogControlItemObjPtr(3), nullptr);
  EXPECT_EQ(dialog->GetControlItemList(), ok);
  EXPECT_EQ(ok->NextObject(), cancel);

  ControlRef cancelControl = nullptr;
  ASSERT_EQ(GetDialogItemAsControl(dialog->GetDialogRef(), 2, &cancelControl), noErr);
  EXPECT_EQ(dialog->SerchTargetItemForMacOSControlRef(cancelControl), cancel);
  EXPECT_EQ(dialog->SerchTargetItemForMacOSControlRef(nullptr), nullptr);
  // The items are deleted with the window (the sanitizer sees a leak otherwise).
}

}  // namespace
}  // namespace window_object_test
