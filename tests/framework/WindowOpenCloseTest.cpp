// Opening and closing windows: the before procedures' veto, the after procedures, which window
// is in front and hilited afterwards (in the list and on the screen), the close box, sheets and
// destruction of open windows.

#include "WindowObjectTestSupport.h"

namespace window_object_test {
namespace {

using Windows = std::vector<cSp_Window*>;
using Strings = std::vector<std::string>;

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
  EXPECT_EQ(window->IsOpen(), 0);
  EXPECT_FALSE(Visible(window));
  EXPECT_EQ(Log(), (Strings{"w.beforeOpen1"})) << "the second is not asked after a refusal";
  Log().clear();
  window->UnSetupBeforeOpenProc(ref1);
  window->Open(1, nullptr);
  EXPECT_EQ(window->IsOpen(), 1);
  EXPECT_TRUE(Hilited(window));
  EXPECT_EQ(FrontWindow(), window->GetWindowRef());
  EXPECT_EQ(Log(), (Strings{"w.beforeOpen2", "w.afterOpen"}));

  Log().clear();
  window->SetupBeforeCloseProc(LogBefore, Tag("w.beforeClose", true), ref1);
  window->SetupBeforeCloseProc(LogBefore, Tag("w.beforeClose2"), ref2);
  window->Close();
  EXPECT_EQ(window->IsOpen(), 1);
  EXPECT_TRUE(Visible(window));
  EXPECT_EQ(Log(), (Strings{"w.beforeClose"}));
}

TEST_F(WindowOpenCloseTest, ClosingTheFrontWindowSelectsTheNextOpenOne) {
  cSp_Window* c = AddWindow(30, 70, 1);
  cSp_Window* b = AddWindow(20, 60, 0, kSpNormalWindowType, c);  // closed, between
  cSp_Window* a = AddWindow(10, 50, 1);
  ASSERT_EQ(ListOrder(WindowListHead_GlV), (Windows{a, c, b}));
  Watch(a, "a");
  Watch(b, "b");
  Watch(c, "c");
  a->Close();
  EXPECT_EQ(a->IsOpen(), 0);
  EXPECT_FALSE(Visible(a));
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), c);
  EXPECT_EQ(WindowListHead_GlV, c) << "the new front open window heads its list";
  EXPECT_EQ(FrontWindow(), c->GetWindowRef());
  EXPECT_TRUE(Hilited(c));
  EXPECT_EQ(Log(), (Strings{"c.front", "a.afterClose"}));
  ExpectInStep({a, b, c});

  // Closing a window that is not in front selects nothing.
  cSp_Window* d = AddWindow(40, 80, 1, kSpNormalWindowType, nullptr);
  ASSERT_EQ(d->IsOpen(), 1);
  Log().clear();
  Watch(d, "d");
  d->Close();
  EXPECT_EQ(FrontWindow(), c->GetWindowRef());
  EXPECT_EQ(Log(), (Strings{"d.afterClose"}));
  // A closed window closes no more.
  Log().clear();
  d->Close();
  EXPECT_TRUE(Log().empty());
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
  EXPECT_TRUE(Visible(x));
  EXPECT_FALSE(Hilited(x));
  EXPECT_TRUE(Hilited(a));
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), a);
}

TEST_F(WindowOpenCloseTest, OpeningInFrontBehindAModalDialogStaysBehindIt) {
  cSp_Window* dialog = AddWindow(20, 60, 1);
  dialog->SetupModalDialogFlag(1);
  cSp_Window* window = AddWindow(10, 50, 0, kSpNormalWindowType, nullptr);
  Watch(dialog, "dialog");
  window->Open(1, nullptr);
  EXPECT_EQ(window->IsOpen(), 1);
  EXPECT_TRUE(Visible(window));
  EXPECT_EQ(ListOrder(WindowListHead_GlV), (Windows{dialog, window}));
  EXPECT_EQ(FrontWindow(), dialog->GetWindowRef());
  EXPECT_TRUE(Hilited(dialog));
  EXPECT_FALSE(Hilited(window));
  EXPECT_TRUE(Log().empty());
}

TEST_F(WindowOpenCloseTest, DestroyingAnOpenWindowClosesItFirstAndHandsTheFrontOn) {
  cSp_Window* back = AddWindow(20, 60, 1);
  cSp_Window* front = AddWindow(10, 50, 1);
  Watch(back, "back");
  Watch(front, "front");
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
