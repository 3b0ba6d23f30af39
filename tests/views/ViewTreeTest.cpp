// The view tree: the drawing list derived from the painting order, the hand-over of a deleted
// container's items, layer moves with their rank notifications, container hooks on a resize,
// and the periodic pass.
#include "ViewTestSupport.h"

namespace view_test {
namespace {

using Views = std::vector<cSp_View*>;

class ViewTree : public ViewFixture {};

TEST_F(ViewTree, DrawingListIsThePaintingOrderOfTheViewsWithOffscreens) {
  cColourView* a = View(R(0, 0, 50, 50), kRed);
  cColourView* c = View(R(0, 60, 100, 160), kGreen);
  cColourView* first = View(R(0, 0, 40, 40), kBlue, c);
  cColourView* deep = View(R(5, 5, 20, 20), kRed, first);
  cColourView* shared = View(R(0, 50, 20, 90), kRed, c, 1);
  cColourView* second = View(R(50, 0, 90, 40), kBlue, c);
  cColourView* k = View(R(120, 0, 200, 100), kGreen);
  cColourView* inK = View(R(0, 0, 20, 20), kRed, k, 1);
  cColourView* afterShared = View(R(30, 30, 60, 60), kBlue, k);
  cColourView* b = View(R(0, 200, 50, 250), kRed);

  // A second item follows the last offscreen owner of the first item's subtree, or the
  // container when that subtree draws in the container's offscreen.
  EXPECT_EQ(DrawingList(), (Views{a, c, first, deep, second, k, afterShared, b}));
  EXPECT_EQ(shared->GetTargetOffscreenGWorld(), c->GetTargetOffscreenGWorld());
  EXPECT_EQ(inK->GetOffscreenView(), k);
  EXPECT_EQ(Layers(c->GetContainerItemListHead()), (Views{first, shared, second}));
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ViewTree, DeletedContainerHandsItsItemsToItsOwnLevelAndTheyDrawAgain) {
  cColourView* root = View(R(0, 0, 200, 300), kWhite, nullptr, 0, "root");
  cColourView* box = View(R(10, 10, 110, 210), kGreen, root, 0, "box");
  cColourView* i1 = View(R(0, 0, 20, 20), kRed, box, 1, "i1");
  cColourView* i2 = View(R(0, 30, 20, 50), kBlue, box, 0, "i2");
  cColourView* i3 = View(R(0, 60, 20, 80), kRed, box, 1, "i3");
  cColourView* after = View(R(150, 0, 190, 40), kBlue, root, 0, "after");
  Redraw();
  ASSERT_EQ(Px(15, 15), kRed);

  box->ExecViewObjDeleteReady();
  box->ExecViewObjDeleteReady();  // the second time does nothing
  EXPECT_EQ(Layers(root->GetContainerItemListHead()), (Views{i1, i2, i3, after}));
  for (cSp_View* item : {i1, i2, i3, after}) EXPECT_EQ(item->GetContainerView(), root);
  EXPECT_EQ(root->GetContainerItemListLast(), after);
  EXPECT_EQ(DrawingList(), (Views{root, i1, i2, i3, after}));
  EXPECT_EQ(i1->UsedContainerOffscreen(), 0);
  EXPECT_NE(i1->GetTargetOffscreenGWorld(), root->GetTargetOffscreenGWorld());

  // The items' areas now count in root's content, and the items that drew in the box's
  // offscreen show from offscreens of their own; where the box was, root's white shows.
  sp_testing::FillPort(GetWindowPort(window_), 0x000000);
  Redraw();
  EXPECT_EQ(Px(5, 5), kRed) << "i1 draws from its own offscreen";
  EXPECT_EQ(Px(65, 5), kRed) << "i3 too";
  EXPECT_EQ(Px(35, 5), kBlue);
  EXPECT_EQ(Px(150, 80), kWhite);
  EXPECT_EQ(errors_.Count(), 0u);
}

// Root views and the items of a container move alike; ranks count from 1 at the bottom.
struct LayerCase {
  int moved;     // index of the view moved, 0..3
  SInt32 rank;
  std::vector<int> order;  // bottom to top afterwards
  std::vector<std::string> told;
  const char* why;
};

const LayerCase kLayerCases[] = {
    {0, 3, {1, 2, 0, 3}, {"V2 2>1", "V3 3>2", "V1 1>3"}, "up two: the two passed go down one"},
    {3, 0, {3, 0, 1, 2}, {"V1 1>2", "V2 2>3", "V3 3>4", "V4 4>1"}, "rank 0 is the bottom"},
    {1, -1, {0, 2, 3, 1}, {"V3 3>2", "V4 4>3", "V2 2>4"}, "a negative rank is the top"},
    {1, 9, {0, 2, 3, 1}, {"V3 3>2", "V4 4>3", "V2 2>4"}, "past the count is the top"},
    {0, 0, {0, 1, 2, 3}, {}, "the bottom view to the bottom: nothing"},
    {3, -1, {0, 1, 2, 3}, {}, "the top view to the top: nothing"},
    {2, 3, {0, 1, 2, 3}, {}, "its own rank: nothing"},
};

TEST_F(ViewTree, LayerMovesReorderAndTellWhoseRankChanged) {
  for (bool nested : {false, true}) {
    for (const LayerCase& c : kLayerCases) {
      SCOPED_TRACE(std::string(c.why) + (nested ? " (items)" : " (root views)"));
      views_.clear();
      cColourView* holder = nested ? View(R(0, 0, 300, 400), kWhite) : nullptr;
      std::vector<cColourView*> v;
      for (int i = 0; i < 4; ++i) {
        const short at = short(20 * i);
        v.push_back(View(R(at, at, short(at + 60), short(at + 60)), 0x101010u * UInt32(i + 1),
                         holder, 0, "V" + std::to_string(i + 1)));
      }
      Log().clear();
      EXPECT_EQ(v[std::size_t(c.moved)]->MoveTargetLayerInContainerItemList(c.rank, 1, 1, 1), 1);
      Views expected;
      for (int i : c.order) expected.push_back(v[std::size_t(i)]);
      cSp_View* head = nested ? holder->GetContainerItemListHead()
                              : ViewWindow()->GetViewContainerListHead();
      EXPECT_EQ(Layers(head), expected);
      EXPECT_EQ(Log(), c.told);
      // The drawing list follows the new order, so the moved view is painted where it now
      // lies: on the window its colour shows where it overlaps the others accordingly.
      Views drawing = DrawingList();
      if (nested) drawing.erase(drawing.begin());
      EXPECT_EQ(drawing, expected);
      // (50, 50) lies in V1, V2 and V3: the highest of them shows there.
      Redraw();
      const cColourView* top = nullptr;
      for (auto it = expected.rbegin(); top == nullptr; ++it) {
        if (*it != v[3]) top = static_cast<cColourView*>(*it);
      }
      EXPECT_EQ(Px(50, 50), top->rgb_);
    }
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ViewTree, MovingToTheTopTellsOnlyTheViewWhenOthersAreNotToBeTold) {
  cColourView* c = View(R(0, 0, 100, 100), kWhite);
  cColourView* a = View(R(0, 0, 10, 10), kRed, c, 0, "A");
  cColourView* b = View(R(0, 0, 10, 10), kRed, c, 0, "B");
  cColourView* d = View(R(0, 0, 10, 10), kRed, c, 0, "C");
  EXPECT_EQ(a->MoveTopLayerInContianerItemList(0, 0, 1), 1);
  EXPECT_EQ(Log(), (std::vector<std::string>{"A 1>3"}));
  EXPECT_EQ(Layers(c->GetContainerItemListHead()), (Views{b, d, a}));

  // Putting an item that is already on top changes nothing; a lower one goes to the top
  // without notifications.
  Log().clear();
  c->PutOnTopLayerContainerItem(a, 0);
  c->PutOnTopLayerContainerItem(b, 0);
  EXPECT_EQ(Layers(c->GetContainerItemListHead()), (Views{d, a, b}));
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(b->GetContainerItemRankNo(), 3);
  EXPECT_EQ(b->GetContainerItemMaxRankNoInContainerItemList(), 3);
  EXPECT_EQ(b->IsTopLayerInContainerItemList(), 1);
}

TEST_F(ViewTree, ResizeTellsTheItemsAndARefusalLeavesTheContainerAsItWas) {
  cColourView* c = View(R(10, 10, 110, 110), kGreen, nullptr, 0, "C");
  cColourView* item = View(R(0, 0, 20, 20), kRed, c, 0, "item");
  cColourView* deep = View(R(0, 0, 5, 5), kRed, item, 0, "deep");
  EXPECT_EQ(c->ResizeViewArea(R(10, 10, 110, 110), 0, 1), 0) << "the same rectangle";

  deep->refuseResize_ = true;
  EXPECT_EQ(c->ResizeViewArea(R(10, 10, 130, 140), 0, 1), 0);
  Rect area;
  c->GetImmediateDrawingArea(&area);
  EXPECT_EQ(Show(area), Show(R(10, 10, 110, 110)));
  EXPECT_EQ(Log(), (std::vector<std::string>{"item before resize 30,20",
                                             "deep before resize 30,20"}));

  Log().clear();
  deep->refuseResize_ = false;
  EXPECT_EQ(c->ResizeViewArea(R(20, 30, 140, 160), 0, 1), 1);
  c->GetImmediateDrawingArea(&area);
  EXPECT_EQ(Show(area), Show(R(20, 30, 140, 160)));
  EXPECT_EQ(Log(), (std::vector<std::string>{"item before resize 30,20",
                                             "deep before resize 30,20", "item after move 30,20",
                                             "deep after move 30,20"}));
  // The new offscreen has the new size and the view draws there.
  Redraw();
  EXPECT_EQ(Px(155, 135), kGreen);
  EXPECT_EQ(Px(35, 25), kRed);
}

TEST_F(ViewTree, PeriodicPassRedrawsOnlyViewsOfVisibleWindowsWhoseIntervalPassed) {
  cColourView* shown = View(R(0, 0, 10, 10), kRed);
  WindowRef hiddenWindow = NewWindowAt(R(500, 500, 600, 600));
  HideWindow(hiddenWindow);
  std::unique_ptr<cColourView> hidden(new cColourView(hiddenWindow, R(0, 0, 10, 10), kRed));
  shown->SetInInterruptViewList(0);
  hidden->SetInInterruptViewList(0);
  EXPECT_EQ(interruptViewList_GlV, hidden.get()) << "pushed at the head";

  Sp_InterruptDrawView();
  const int before = shown->periodicDraws_;
  sp_testing::AdvanceClockTicks(1);
  Sp_InterruptDrawView();
  EXPECT_EQ(shown->periodicDraws_, before + 1) << "interval 0: every pass the clock moved on";
  Sp_InterruptDrawView();
  EXPECT_EQ(shown->periodicDraws_, before + 1) << "not again within the same tick";
  EXPECT_EQ(hidden->periodicDraws_, 0);

  shown->RemoveFromInterruptViewList();
  hidden->RemoveFromInterruptViewList();
  EXPECT_EQ(interruptViewList_GlV, nullptr);
  hidden.reset();
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace view_test
