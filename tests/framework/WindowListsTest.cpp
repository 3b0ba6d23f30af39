// The window lists: placement, searches, modal dialogs in front, moving to the front and the
// back, the toolbox order matched to the lists, the redraw of uncovered areas; and opening and
// closing: the before procedures' veto, which window is in front afterwards, the close box,
// sheets and destruction of open windows.

#include "WindowObjectTestSupport.h"

namespace window_object_test {
namespace {


TEST_F(WindowObjectTest, BehindArgumentPlacesInListAndOnScreen) {
  cSp_Window* a = AddWindow(10, 50, 1, kSpNormalWindowType, kSpWindowInFrontOfAll);
  cSp_Window* b = AddWindow(20, 60, 1, kSpNormalWindowType, kSpWindowInFrontOfAll);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, a})) << "-1: in front of all";

  cSp_Window* c = AddWindow(30, 70, 0, kSpNormalWindowType, nullptr);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, a, c})) << "null: behind all";

  cSp_Window* d = AddWindow(40, 80, 0, kSpNormalWindowType, b);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, d, a, c})) << "directly behind b";

  cSp_Window* floating = AddWindow(50, 90, 0, kSpFloatingWindowType, nullptr);
  cSp_Window* e = AddWindow(60, 100, 0, kSpNormalWindowType, floating);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, d, a, c, e}))
      << "a window of another list: at the end of its own";
  EXPECT_EQ(ListOrder(FloatingWindowListHead_GlV), (Windows{floating}));

  // The toolbox windows were made in the same places.
  EXPECT_EQ(ScreenOrder({a, b, c, d, e}), (Windows{b, d, a, c, e}));
  // A window deleted from the middle leaves the list linked without it.
  windows_.erase(windows_.begin() + 3);  // d
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, a, c, e}));
  EXPECT_EQ(a->BeforeObject(), b);
}

TEST_F(WindowObjectTest, SearchesLookOnlyWhereTheyAreMeantTo) {
  cSp_Window* closed = AddWindow(10, 50, 0);
  cSp_Window* floating = AddWindow(20, 60, 1, kSpFloatingWindowType);
  cSp_Window* message = AddWindow(30, 70, 1, kSpMessageWindowType);
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), nullptr) << "closed windows are no front window";
  EXPECT_EQ(Sp_CountOpenWindow(), 0);
  EXPECT_EQ(Sp_CountOpenFloatingWindow(), 1);
  EXPECT_EQ(Sp_CountOpenMessageWindow(), 1);

  EXPECT_EQ(Sp_SerchWindowObject(closed->GetWindowRef()), closed);
  EXPECT_EQ(Sp_SerchWindowObject(floating->GetWindowRef()), nullptr);
  EXPECT_EQ(Sp_SerchWindowObject(message->GetWindowRef()), nullptr);
  EXPECT_EQ(Sp_SerchFloatingWindowObject(floating->GetWindowRef()), floating);
  EXPECT_EQ(Sp_SerchMessageWindowObject(message->GetWindowRef()), message);
  EXPECT_EQ(Sp_SerchMessageWindowObject(floating->GetWindowRef()), nullptr);
  EXPECT_EQ(Sp_SerchWindowObject(nullptr), nullptr);

  cSp_Window* open = AddWindow(40, 80, 1, kSpNormalWindowType, nullptr);
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), open);
  EXPECT_EQ(Sp_CountOpenWindow(), 1);
}

TEST_F(WindowObjectTest, ModalDialogInFrontRefusesBringingAnotherWindowForward) {
  cSp_Window* back = AddWindow(10, 50, 1);
  cSp_Window* dialog = AddWindow(20, 60, 1);
  Watch({{back, "back"}, {dialog, "dialog"}});
  dialog->SetupModalDialogFlag(1);
  const Windows screenBefore = ScreenOrder({back, dialog});
  for (unsigned char beep : {0, 1}) {
    SCOPED_TRACE(beep ? "beep flag set" : "beep flag clear");
    dialog->SetupModalDialogBackgroundMouseDownBeepFlag(beep);
    const UInt32 beeps = errors_.Beeps();
    EXPECT_EQ(back->MoveToFrontInWindowList(), 0);
    EXPECT_EQ(errors_.Beeps() - beeps, beep ? 1u : 0u);
    EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{dialog, back}));
    EXPECT_EQ(ScreenOrder({back, dialog}), screenBefore);
    EXPECT_EQ(State(dialog) + ", " + State(back), "open shown hilited, open shown");
  }
  EXPECT_TRUE(Log().empty()) << "nobody was told of a move";

  // The modal dialog itself may come forward, and without it in front others may too.
  EXPECT_EQ(dialog->MoveToFrontInWindowList(), 1);
  dialog->SetupModalDialogFlag(0);
  EXPECT_EQ(back->MoveToFrontInWindowList(), 1);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{back, dialog}));
  EXPECT_EQ(ScreenOrder({back, dialog}), (Windows{back, dialog}));
  EXPECT_EQ(State(back) + ", " + State(dialog), "open shown hilited, open shown");
  EXPECT_EQ(Log(), (Strings{"dialog.back", "back.front"}));
}

TEST_F(WindowObjectTest, MoveToBottomHandsTheFrontToTheNextOpenWindow) {
  cSp_Window* c = AddWindow(30, 70, 1);
  cSp_Window* b = AddWindow(20, 60, 1);
  cSp_Window* a = AddWindow(10, 50, 1);
  Watch({{a, "a"}, {b, "b"}, {c, "c"}});
  EXPECT_EQ(a->MoveToBottomInWindowList(), 1);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, c, a}));
  EXPECT_EQ(ScreenOrder({a, b, c}), (Windows{b, c, a}));
  EXPECT_EQ(State(b) + ", " + State(a), "open shown hilited, open shown");
  EXPECT_EQ(Log(), (Strings{"a.back", "b.front"}));

  // The last window stays; a window behind the front one hands nothing on.
  Log().clear();
  EXPECT_EQ(a->MoveToBottomInWindowList(), 1);
  EXPECT_EQ(c->MoveToBottomInWindowList(), 1);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, a, c}));
  EXPECT_EQ(Log(), (Strings{"c.back"}));
}

TEST_F(WindowObjectTest, LayerMatchPutsTheToolboxOrderBackInListOrder) {
  cSp_Window* w3 = AddWindow(30, 70, 1);
  cSp_Window* w2 = AddWindow(20, 60, 1);
  cSp_Window* w1 = AddWindow(10, 50, 1);
  ASSERT_EQ(ListOrder(WindowListHead_GlV), (Windows{w1, w2, w3}));
  SendBehind(w2->GetWindowRef(), w3->GetWindowRef());
  ASSERT_EQ(ScreenOrder({w1, w2, w3}), (Windows{w1, w3, w2}));
  Sp_ModifyOutputWindowLayerMachToWindowDataLayout();
  EXPECT_EQ(ScreenOrder({w1, w2, w3}), (Windows{w1, w2, w3}));

  // A head that lost the front comes back to it and is selected.
  BringToFront(w3->GetWindowRef());
  SelectWindow(w3->GetWindowRef());
  Sp_ModifyOutputWindowLayerMachToWindowDataLayout();
  EXPECT_EQ(ScreenOrder({w1, w2, w3}), (Windows{w1, w2, w3}));
  EXPECT_EQ(FrontWindow(), w1->GetWindowRef());
  EXPECT_TRUE(Hilited(w1));
}

// ---- Redraw of uncovered areas --------------------------------------------------------------

TEST_F(WindowObjectTest, RedrawAreaGoesToEachOpenWindowOnlyWhereItIsUncovered) {
  // Front to back: A (50,40)-(250,140), B (150,90)-(350,190) overlapping A's corner, C far
  // right and below (300,150)-(500,250) overlapping B; D closed over everything.
  cSp_Window* c = AddWindow(300, 150, 1);
  cSp_Window* b = AddWindow(150, 90, 1);
  cSp_Window* a = AddWindow(50, 40, 1);
  cSp_Window* d = AddWindow(0, 0, 0, kSpNormalWindowType, nullptr);
  for (cSp_Window* w : {a, b, c, d}) {
    Rect all;
    GetWindowPortBounds(w->GetWindowRef(), &all);
    ValidWindowRect(w->GetWindowRef(), &all);
  }
  const Rect area = {60, 100, 240, 450};  // top, left, bottom, right
  Sp_SetupRedrawAreaToOpenWindow(area);
  RgnHandle remaining = NewRgn(), expected = NewRgn(), content = NewRgn(), actual = NewRgn();
  RectRgn(remaining, &area);
  for (cSp_Window* w : {a, b, c, d}) {
    SCOPED_TRACE(w == a ? "A" : w == b ? "B" : w == c ? "C" : "D: closed windows are not asked");
    Rect bounds;
    GetWindowBounds(w->GetWindowRef(), kWindowContentRgn, &bounds);
    RectRgn(content, &bounds);
    w == d ? SetEmptyRgn(expected) : SectRgn(remaining, content, expected);
    DiffRgn(remaining, expected, remaining);
    ASSERT_TRUE(sp_testing::CopyUpdateRegion(w->GetWindowRef(), actual));
    EXPECT_TRUE(EqualRgn(actual, expected));
    EXPECT_EQ(EmptyRgn(actual), w == d);
  }
  for (RgnHandle r : {remaining, expected, content, actual}) DisposeRgn(r);
}

TEST_F(WindowObjectTest, RelinkingBehindNoWindowOrOneOfAnotherListIsRefused) {
  cSp_Window* a = AddWindow(10, 50, 0, kSpNormalWindowType, nullptr);
  cSp_Window* b = AddWindow(20, 60, 0, kSpNormalWindowType, nullptr);
  cSp_Window* floating = AddWindow(30, 70, 0, kSpFloatingWindowType);
  a->MoveToBehindWindowOfTargetWindow(nullptr);
  EXPECT_TRUE(errors_.Has("cSp_Window::MoveToBehindWindowOfTargetWindow", 2));
  a->MoveToBehindWindowOfTargetWindow(floating);
  EXPECT_TRUE(errors_.Has("cSp_Window::MoveToBehindWindowOfTargetWindow", 4));
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{a, b}));
  // Within the list it relinks and leaves the screen alone.
  const Windows screen = ScreenOrder({a, b});
  a->MoveToBehindWindowOfTargetWindow(b);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{b, a}));
  EXPECT_EQ(ScreenOrder({a, b}), screen);
}

// ---- Opening and closing ------------------------------------------------------------------------


class WindowOpenCloseTest : public WindowObjectTest {
 protected:
  // List order and screen order agree for these windows.
  void ExpectInStep(const Windows& windows) {
    EXPECT_EQ(ScreenOrder(windows), ListOrder(WindowListHead_GlV));
  }
};

TEST_F(WindowOpenCloseTest, RefusedOpenOrCloseChangesNothingAndTellsNobody) {
  cSp_Window* window = AddWindow(10, 50, 0);
  Watch(window, "w");
  SInt32 ref1 = 0, ref2 = 0;
  window->SetupBeforeOpenProc(LogBefore, Tag("w.beforeOpen1", true), ref1);
  window->SetupBeforeOpenProc(LogBefore, Tag("w.beforeOpen2"), ref2);
  window->Open(1, nullptr);
  EXPECT_EQ(State(window), "closed hidden");
  EXPECT_EQ(Log(), (Strings{"w.beforeOpen1"})) << "the second is not asked after a refusal";
  Log().clear();
  window->UnSetupBeforeOpenProc(ref1);
  window->Open(1, nullptr);
  EXPECT_EQ(State(window), "open shown hilited");
  EXPECT_EQ(FrontWindow(), window->GetWindowRef());
  EXPECT_EQ(Log(), (Strings{"w.beforeOpen2", "w.afterOpen"}));

  Log().clear();
  window->SetupBeforeCloseProc(LogBefore, Tag("w.beforeClose", true), ref1);
  window->SetupBeforeCloseProc(LogBefore, Tag("w.beforeClose2"), ref2);
  window->Close();
  EXPECT_EQ(State(window), "open shown hilited");
  EXPECT_EQ(Log(), (Strings{"w.beforeClose"}));
}

TEST_F(WindowOpenCloseTest, ClosingTheFrontWindowSelectsTheNextOpenOne) {
  cSp_Window* c = AddWindow(30, 70, 1);
  cSp_Window* b = AddWindow(20, 60, 0, kSpNormalWindowType, c);  // closed, between
  cSp_Window* a = AddWindow(10, 50, 1);
  ASSERT_EQ(ListOrder(WindowListHead_GlV), (Windows{a, c, b}));
  Watch({{a, "a"}, {b, "b"}, {c, "c"}});
  a->Close();
  EXPECT_EQ(State(a) + ", " + State(c), "closed hidden, open shown hilited");
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), c);
  EXPECT_EQ(WindowListHead_GlV, c) << "the new front open window heads its list";
  EXPECT_EQ(FrontWindow(), c->GetWindowRef());
  EXPECT_EQ(Log(), (Strings{"c.front", "a.afterClose"}));
  ExpectInStep({a, b, c});

  // Closing a window that is not in front selects nothing.
  // A closed window closes no more.
  cSp_Window* d = AddWindow(40, 80, 1, kSpNormalWindowType, nullptr);
  Log().clear();
  Watch(d, "d");
  d->Close();
  d->Close();
  EXPECT_EQ(FrontWindow(), c->GetWindowRef());
  EXPECT_EQ(Log(), (Strings{"d.afterClose"}));
}

TEST_F(WindowOpenCloseTest, ClosingAllMessageWindowsLeavesNoneOpenThoughEachCloseReordersTheList) {
  // Closing the front message window brings the next open one to the head of the list, so a
  // walk along the list passes over it. A window that refuses stays open and is asked once.
  struct Case {
    const char* why;
    int count, refusing;  // message windows made; the one whose before-close refuses, or -1
  } cases[] = {
      {"three", 3, -1}, {"five", 5, -1}, {"the second of four refuses", 4, 1},
      {"the first of three refuses", 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    windows_.clear();
    Log().clear();
    for (int i = 0; i < c.count; ++i) {
      cSp_Window* w = AddWindow(SInt16(10 * i), 50, 1, kSpMessageWindowType);
      if (i == c.refusing) {
        SInt32 ref = 0;
        w->SetupBeforeCloseProc(LogBefore, Tag("refuser", true), ref);
      }
    }
    AddWindow(0, 0, 1);  // a normal window is not touched
    Sp_CloseAllMessageWindow();
    EXPECT_EQ(Sp_CountOpenMessageWindow(), c.refusing < 0 ? 0 : 1);
    EXPECT_EQ(Log(), c.refusing < 0 ? Strings{} : Strings{"refuser"});
    EXPECT_EQ(Sp_CountOpenWindow(), 1);
  }
}

TEST_F(WindowOpenCloseTest, OpeningBehindAWindowPutsItDirectlyBehindInListAndOnScreen) {
  cSp_Window* c = AddWindow(30, 70, 1);
  cSp_Window* b = AddWindow(20, 60, 1);
  cSp_Window* a = AddWindow(10, 50, 1);
  cSp_Window* x = AddWindow(40, 80, 0, kSpNormalWindowType, nullptr);  // closed, at the end
  ASSERT_EQ(ListOrder(WindowListHead_GlV), (Windows{a, b, c, x}));
  x->Open(0, b);
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{a, b, x, c}));
  ExpectInStep({a, b, c, x});
  EXPECT_EQ(State(x) + ", " + State(a), "open shown, open shown hilited");
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), a);
}

TEST_F(WindowOpenCloseTest, OpeningInFrontBehindAModalDialogStaysBehindIt) {
  cSp_Window* dialog = AddWindow(20, 60, 1);
  dialog->SetupModalDialogFlag(1);
  cSp_Window* window = AddWindow(10, 50, 0, kSpNormalWindowType, nullptr);
  Watch(dialog, "dialog");
  window->Open(1, nullptr);
  EXPECT_EQ(State(window) + ", " + State(dialog), "open shown, open shown hilited");
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{dialog, window}));
  EXPECT_EQ(FrontWindow(), dialog->GetWindowRef());
  EXPECT_TRUE(Log().empty());
}

TEST_F(WindowOpenCloseTest, DestroyingAnOpenWindowClosesItFirstAndHandsTheFrontOn) {
  cSp_Window* back = AddWindow(20, 60, 1);
  cSp_Window* front = AddWindow(10, 50, 1);
  Watch({{back, "back"}, {front, "front"}});
  SInt32 ref = 0;
  front->SetupBeforeCloseProc(LogBefore, Tag("front.beforeClose", true), ref);
  windows_.pop_back();  // front: its before-close refuses, it goes all the same
  EXPECT_EQ(Log(), (Strings{"front.beforeClose"}));
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{back}));
  EXPECT_EQ(sp_testing::WindowList().size(), 1u);

  Log().clear();
  windows_.clear();
  EXPECT_EQ(Log(), (Strings{"back.afterClose"}));
  EXPECT_EQ(WindowListHead_GlV, nullptr);
}

// ---- The close box --------------------------------------------------------------------------

TEST_F(WindowOpenCloseTest, CloseBoxClickClosesOnlyWhenReleasedInside) {
  cSp_Window* window = AddWindow(100, 100, 1);
  const Point box = sp_testing::WindowPartPoint(window->GetWindowRef(), inGoAway);
  ASSERT_NE(box.h, -32768);
  const Point outside = Pt(SInt16(box.h + 100), SInt16(box.v + 100));

  sp_testing::PostMouseDown(box);
  sp_testing::PostMouseDragged(outside);
  sp_testing::PostMouseUp(outside);
  Point where = box;
  window->GoAway(&where);
  EXPECT_EQ(window->IsOpen(), 1) << "released outside the box";

  sp_testing::PostMouseDown(box);
  sp_testing::PostMouseUp(box);
  window->GoAway(&where);
  EXPECT_EQ(window->IsOpen(), 0);

  // Without a point it closes at once.
  window->Open(1, nullptr);
  window->GoAway(nullptr);
  EXPECT_EQ(window->IsOpen(), 0);
}

// ---- Sheets ---------------------------------------------------------------------------------

const char kSheetDialog[] = R"(
resource 'DLOG' 9084 { bounds 100, 120, 200, 420; procID movableDBoxProc; items 9084 }
resource 'DITL' 9084 {
  button 60, 210, 80, 280 { text "OK" }
  button 60, 120, 80, 190 { text "Cancel" }
  staticText 10, 10, 40, 280 { text "Hello" }
}
)";

TEST_F(WindowOpenCloseTest, SheetIsShownOnItsParentAndHiddenFromIt) {
  cSp_Window* parent = AddWindow(100, 100, 1);
  cSp_Window* sheet = AddWindow(0, 0, 0, kSpNormalWindowType, nullptr);
  const std::size_t windowsBefore = sp_testing::WindowList().size();
  sheet->SetSheetWindowType(parent->GetWindowRef());
  EXPECT_EQ(sheet->GetSheetFlag(), 1);
  EXPECT_EQ(sheet->GetSheetParent(), parent->GetWindowRef());
  EXPECT_EQ(sp_testing::WindowList().size(), windowsBefore) << "the old window went";
  WindowClass windowClass = 0;
  GetWindowClass(sheet->GetWindowRef(), &windowClass);
  EXPECT_EQ(windowClass, kSheetWindowClass);

  sheet->Open(1, nullptr);
  EXPECT_TRUE(Visible(sheet));
  WindowRef shownOn = nullptr;
  EXPECT_EQ(GetSheetWindowParent(sheet->GetWindowRef(), &shownOn), noErr);
  EXPECT_EQ(shownOn, parent->GetWindowRef());
  sheet->Close();
  EXPECT_FALSE(Visible(sheet));
  shownOn = parent->GetWindowRef();
  GetSheetWindowParent(sheet->GetWindowRef(), &shownOn);
  EXPECT_EQ(shownOn, nullptr);
}

}  // namespace
}  // namespace window_object_test
