// The window object: default titles, the four ways of making a window, behaviour flags and
// window attributes, automatic control commands, control items, the key operations and their
// callbacks, and the nine procedure lists (registration numbers, run order, refusal, removal).

#include "SpWindowProcList.h"
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
resource 'DLOG' 9083 { bounds 100, 120, 220, 420; procID movableDBoxProc; items 9083; title "Two" }
resource 'DITL' 9083 {
  button 80, 210, 100, 280 { text "OK" }
  button 80, 120, 100, 190 { text "Cancel" }
}
resource 'DLOG' 9084 { bounds 100, 120, 220, 420; procID movableDBoxProc; items 9084; title "One" }
resource 'DITL' 9084 {
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
  EXPECT_EQ(State(window), "closed hidden") << "the resource says visible, the constructor not";
  EXPECT_EQ(Show(Content(window)), "(60, 70, 260, 370)");
  window->Open(1, nullptr);
  EXPECT_EQ(State(window), "open shown hilited");

  cSp_Window* missing = Keep(new cSp_Window(9999, kSpNormalWindowType, nullptr, 0, 0));
  EXPECT_EQ(missing->GetWindowRef(), nullptr);
  EXPECT_EQ(ListOrder(WindowListHead_GlV).back(), missing);
  missing->Open(1, nullptr);
  EXPECT_EQ(missing->IsOpen(), 0);
}

// Items 1 and 2 answer Return and Escape when they are buttons, however few items there are;
// a dialog whose first items are no buttons gets neither.
TEST_F(WindowObjectTest, TheFirstTwoButtonsBecomeTheDefaultAndCancelItemsUpToTheLastItem) {
  UseResources(kWindowResources);
  const struct {
    short id;
    short defaultItem, cancelItem;
  } cases[] = {{9081, 1, 2}, {9083, 1, 2}, {9084, 1, 0}, {9082, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    cSp_Window* dialog =
        Keep(new cSp_Window(c.id, kSpDialogWindowType, nullptr, 1, kWindowMovableModalDialogProc));
    ASSERT_NE(dialog->GetDialogRef(), nullptr);
    EXPECT_EQ(GetDialogDefaultItem(dialog->GetDialogRef()), c.defaultItem);
    EXPECT_EQ(GetDialogCancelItem(dialog->GetDialogRef()), c.cancelItem);
  }
}

TEST_F(WindowObjectTest, RebuiltDialogKeepsItsItemsAndEmbedsItsControlItemsMadeOnce) {
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
  // Its control items are embedded in the root control, made once, found by number and by
  // control, and deleted with the window (the sanitizer sees a leak otherwise).
  cSp_ControlItem* ok = dialog->SetupDialogContorlItem(1, kButtonDialogItem);
  cSp_ControlItem* cancel = dialog->SetupDialogContorlItem(2, kButtonDialogItem);
  ASSERT_NE(ok, nullptr);
  ControlRef super = nullptr;
  EXPECT_EQ(GetSuperControl(ok->GetMacOSControlHandle(), &super), noErr);
  EXPECT_EQ(super, dialog->GetRootControlRef());
  EXPECT_EQ(dialog->SetupDialogContorlItem(2, kCheckBoxDialogItem), cancel) << "made once";
  EXPECT_EQ(cancel->GetItemType(), kCheckBoxDialogItem);
  EXPECT_EQ(dialog->GetTargetDialogControlItemObjPtr(1), ok);
  EXPECT_EQ(dialog->GetTargetDialogControlItemObjPtr(3), nullptr);
  EXPECT_EQ(ok->NextObject(), cancel);
  ControlRef cancelControl = framework_test::ItemControl(dialog->GetDialogRef(), 2);
  EXPECT_EQ(dialog->SerchTargetItemForMacOSControlRef(cancelControl), cancel);
  EXPECT_EQ(dialog->SerchTargetItemForMacOSControlRef(nullptr), nullptr);
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

// ---- Keys -----------------------------------------------------------------------------------

// Takes the keys its operations are offered when `takes`; logs them.
class KeyWindow : public cSp_Window {
 public:
  KeyWindow(Point topLeft, bool takes, tWindowType type = kSpNormalWindowType)
      : cSp_Window(topLeft, Pt(200, 100), 1, documentProc, type, kSpWindowInFrontOfAll),
        takes_(takes) {}
  unsigned char KeyIntoWindow(char c, char, short, unsigned char) override {
    Log().push_back(std::string("op.key:") + c);
    return takes_;
  }
  unsigned char RowKeyDownIntoWindow(char c, char, short, unsigned char) override {
    Log().push_back(std::string("op.down:") + c);
    return takes_;
  }
  unsigned char RowKeyUpOnWindow(char c, char, short) override {
    Log().push_back(std::string("op.up:") + c);
    return takes_;
  }

 private:
  unsigned char takes_;
};

// What the last key callback was told.
struct KeyArgs {
  char charCode = 0, keyCode = 0;
  unsigned char autoKey = 0;
  short modifiers = 0;
  unsigned long userData = 0;
};
KeyArgs gKeyArgs;

unsigned char KeyCallback(char charCode, char keyCode, unsigned char autoKey, short modifiers,
                          unsigned long userData) {
  gKeyArgs = {charCode, keyCode, autoKey, modifiers, userData};
  Log().push_back(std::string("cb.key:") + charCode);
  return 1;
}
unsigned char DownCallback(char charCode, char keyCode, unsigned char autoKey, short modifiers,
                           unsigned long userData) {
  gKeyArgs = {charCode, keyCode, autoKey, modifiers, userData};
  Log().push_back(std::string("cb.down:") + charCode);
  return 1;
}
unsigned char UpCallback(char charCode, char keyCode, short modifiers, unsigned long userData) {
  gKeyArgs = {charCode, keyCode, 0, modifiers, userData};
  Log().push_back(std::string("cb.up:") + charCode);
  return 1;
}

TEST_F(WindowObjectTest, KeysReachTheOperationFirstAndTheCallbackOnlyWhenItDeclines) {
  for (bool takes : {true, false}) {
    SCOPED_TRACE(takes ? "operation takes" : "operation declines");
    Log().clear();
    KeyWindow* window = Keep(new KeyWindow(Pt(10, 50), takes));
    window->SetupKeyInIntoWindowCallback(KeyCallback, reinterpret_cast<unsigned long>(window));
    window->SetupRowKeyDownIntoWindowCallback(DownCallback, 2);
    // Pointer-sized user data keeps its high bits.
    const unsigned long userData = reinterpret_cast<unsigned long>(window);
    window->SetupRowKeyUpOnWindowCallbackPtr(UpCallback, userData);
    EXPECT_EQ(Sp_KeyInWindow('a', 0x00, cmdKey, 1), 1);
    EXPECT_EQ(Sp_RowKeyDownOnWindow('b', 0x0B, 0, 0), 1);
    EXPECT_EQ(Sp_RowKeyUpOnWindow('c', 0x08, shiftKey), 1);
    if (takes) {
      EXPECT_EQ(Log(), (std::vector<std::string>{"op.key:a", "op.down:b", "op.up:c"}));
    } else {
      EXPECT_EQ(Log(), (std::vector<std::string>{"op.key:a", "cb.key:a", "op.down:b", "cb.down:b",
                                                 "op.up:c", "cb.up:c"}));
      EXPECT_EQ(gKeyArgs.charCode, 'c');
      EXPECT_EQ(gKeyArgs.keyCode, 0x08);
      EXPECT_EQ(gKeyArgs.modifiers, shiftKey);
      EXPECT_EQ(gKeyArgs.userData, userData);
    }
  }
}

TEST_F(WindowObjectTest, FloatingClosedAndClearedWindowsNeverTakeKeys) {
  KeyWindow* floating = Keep(new KeyWindow(Pt(10, 50), true, kSpFloatingWindowType));
  EXPECT_EQ(Sp_KeyInWindow('a', 0, 0, 0), 0);
  cSp_Window* closed = AddWindow(30, 70, 0);
  closed->SetupKeyInIntoWindowCallback(KeyCallback, 1);
  EXPECT_EQ(Sp_KeyInWindow('a', 0, 0, 0), 0);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(floating->IsOpen(), 1);

  // A null procedure clears the pair.
  cSp_Window* open = AddWindow(40, 80, 1);
  open->SetupKeyInIntoWindowCallback(KeyCallback, 1);
  open->SetupKeyInIntoWindowCallback(nullptr, 99);
  EXPECT_EQ(Sp_KeyInWindow('a', 0, 0, 0), 0);
}

// ---- The procedure lists ------------------------------------------------------------------------

// Each test's window, without a toolbox window of its own.
class WindowProcListTest : public WindowObjectTest {
 protected:
  void SetUp() override {
    WindowObjectTest::SetUp();
    window_ = Keep(new cSp_Window(static_cast<cSp_Window*>(nullptr)));
  }
  cSp_Window* window_ = nullptr;
};

TEST_F(WindowProcListTest, NumbersArePerListAndNeverReused) {
  cSp_Window* w = window_;
  std::vector<SInt32> refs(4, -1);
  for (int i = 0; i < 3; ++i) {
    w->SetupBeforeCloseProc(LogBefore, Tag(std::to_string(i + 1)), refs[i]);
  }
  w->UnSetupBeforeCloseProc(2);
  w->SetupBeforeCloseProc(LogBefore, Tag("4"), refs[3]);
  EXPECT_EQ(refs, (std::vector<SInt32>{1, 2, 3, 4})) << "a removal must not lower the counter";
  EXPECT_EQ(w->ExecBeforeCloseProc(), 1);
  EXPECT_EQ(Log(), (Strings{"1", "3", "4"}));
}

TEST_F(WindowProcListTest, NullProcedureOrFailedAllocationRegistersNothingAndUsesNoNumber) {
  cSp_Window* w = window_;
  SInt32 refs[4] = {99, 99, 99, 99};
  w->SetupBeforeOpenProc(nullptr, Tag("n"), refs[0]);
  w->SetupAfterGrowProc(nullptr, Tag("n"), refs[1]);
  sp_testing::FailNthAllocation(1);
  w->SetupAfterGrowProc(LogAfter, Tag("lost"), refs[2]);
  w->SetupAfterGrowProc(LogAfter, Tag("kept"), refs[3]);
  EXPECT_EQ(std::vector<SInt32>(refs, refs + 4), (std::vector<SInt32>{0, 0, 0, 1}));
  w->ExecAfterGrowProc();
  EXPECT_EQ(Log(), (Strings{"kept"}));
}

// ---- Runs -----------------------------------------------------------------------------------

TEST_F(WindowProcListTest, EachRunReachesOnlyItsOwnListAndTheFirstRefusalStopsIt) {
  cSp_Window* w = window_;
  EXPECT_EQ(w->ExecBeforeOpenProc() + w->ExecBeforeCloseProc() + w->ExecBeforeGrowProc(), 3)
      << "empty before lists allow";
  SInt32 ref = 0;
  struct Case {
    const char* name;
    std::function<void()> setup, run;
  } cases[] = {
      // clang-format off
      {"beforeOpen", [&] { w->SetupBeforeOpenProc(LogBefore, Tag("beforeOpen"), ref); }, [&] { w->ExecBeforeOpenProc(); }},
      {"afterOpen", [&] { w->SetupAfterOpenProc(LogAfter, Tag("afterOpen"), ref); }, [&] { w->ExecAfterOpenProc(); }},
      {"beforeClose", [&] { w->SetupBeforeCloseProc(LogBefore, Tag("beforeClose"), ref); }, [&] { w->ExecBeforeCloseProc(); }},
      {"afterClose", [&] { w->SetupAfterCloseProc(LogAfter, Tag("afterClose"), ref); }, [&] { w->ExecAfterCloseProc(); }},
      {"front", [&] { w->SetupMoveToFrontProc(LogAfter, Tag("front"), ref); }, [&] { w->ExecMoveToFrontProc(); }},
      {"back", [&] { w->SetupMoveToBackProc(LogAfter, Tag("back"), ref); }, [&] { w->ExecMoveToBackProc(); }},
      {"beforeGrow", [&] { w->SetupBeforeGrowProc(LogBefore, Tag("beforeGrow"), ref); }, [&] { w->ExecBeforeGrowProc(); }},
      {"afterGrow", [&] { w->SetupAfterGrowProc(LogAfter, Tag("afterGrow"), ref); }, [&] { w->ExecAfterGrowProc(); }},
      {"move", [&] { w->SetupMoveProc(LogAfter, Tag("move"), ref); }, [&] { w->ExecAfterMoveProc(); }},
      // clang-format on
  };
  for (const Case& c : cases) c.setup();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log().clear();
    LastWindow() = nullptr;
    c.run();
    EXPECT_EQ(Log(), (Strings{c.name}));
    EXPECT_EQ(LastWindow(), w);
  }
  // The first refusal stops a before run: later procedures are not called.
  w->SetupBeforeCloseProc(LogBefore, Tag("refuse", true), ref);
  w->SetupBeforeCloseProc(LogBefore, Tag("never"), ref);
  Log().clear();
  EXPECT_EQ(w->ExecBeforeCloseProc(), 0);
  EXPECT_EQ(Log(), (Strings{"beforeClose", "refuse"}));
}

// A procedure that registers another one on the list that is running.
ProcTag gLateTag{"late"};
void AppendDuringRun(cSp_Window* window, short modifiers, unsigned long userData) {
  LogAfter(window, modifiers, userData);
  SInt32 ref = 0;
  if (Log().size() == 1)
    window->SetupAfterGrowProc(LogAfter, reinterpret_cast<unsigned long>(&gLateTag), ref);
}

TEST_F(WindowProcListTest, EntryAppendedDuringRunIsReachedInTheSameRun) {
  cSp_Window* w = window_;
  SInt32 ref = 0;
  w->SetupAfterGrowProc(AppendDuringRun, Tag("first"), ref);
  w->ExecAfterGrowProc();
  EXPECT_EQ(Log(), (Strings{"first", "late"}));
}

// ---- Removal --------------------------------------------------------------------------------

TEST_F(WindowProcListTest, RemovalKeepsOrderAndTailWhereverTheEntryStood) {
  struct Case {
    const char* why;
    std::vector<SInt32> remove;
    Strings expected;  // run after one more registration ("new")
  };
  const Case cases[] = {
      {"only entry: list empties, a new one is head and tail", {1, 2, 3}, {"new"}},
      {"the head", {1}, {"2", "3", "new"}}, {"the middle", {2}, {"1", "3", "new"}},
      {"the tail: its predecessor becomes the tail", {3}, {"1", "2", "new"}},
      {"two from the end", {3, 2}, {"1", "new"}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<cSp_Window> w(new cSp_Window(static_cast<cSp_Window*>(nullptr)));
    SInt32 ref = 0;
    for (const char* name : {"1", "2", "3"}) w->SetupAfterCloseProc(LogAfter, Tag(name), ref);
    for (SInt32 n : c.remove) w->UnSetupAfterCloseProc(n);
    w->SetupAfterCloseProc(LogAfter, Tag("new"), ref);
    Log().clear();
    w->ExecAfterCloseProc();
    EXPECT_EQ(Log(), c.expected) << c.why;
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(WindowProcListTest, RemovingUnknownOrRemovedNumberIsReportedAndChangesNothing) {
  cSp_Window* w = window_;
  SInt32 ref = 0;
  w->SetupBeforeOpenProc(LogBefore, Tag("a"), ref);
  w->UnSetupBeforeOpenProc(1);
  EXPECT_EQ(errors_.Count(), 0u);
  w->UnSetupBeforeOpenProc(1);
  EXPECT_TRUE(errors_.Has("cSp_Window::UnSetupBeforeExecuteGeneralProc", 1));
  EXPECT_EQ(errors_.Records().at(0).message, "Unmatch Error !! ");

  w->SetupMoveToBackProc(LogAfter, Tag("b"), ref);
  w->SetupMoveToFrontProc(LogAfter, Tag("front"), ref);
  w->UnSetupMoveToBackProc(7);
  EXPECT_TRUE(errors_.Has("cSp_Window::UnSetupAfterExecuteGeneralProc", 1));
  w->UnSetupMoveToFrontProc(1);  // number 1 of another list stays
  w->ExecMoveToBackProc();
  w->ExecMoveToFrontProc();
  EXPECT_EQ(Log(), (Strings{"b"}));
}

}  // namespace
}  // namespace window_object_test
