// The framework's popup menu: its item list (insertion in order and by number, separators,
// selection, names cut to their buffers), where its window opens against the button and the
// screen's edges, and the modal tracking driven by scripted mouse timelines on the virtual
// clock (press-drag-release, quick click and second click, the idle close, the arrow zones).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "QDText.h"
#include "QuickDraw.h"
#include "SpPopupMenuObject.h"
#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

std::string Names(const cSp_PopupObj& popup) {
  std::string out;
  for (const cSp_PopupItemObj* i = popup.GetFirstMenuItem(); i != nullptr;
       i = i->GetNextObjectPtr()) {
    out += (out.empty() ? "" : " ") + std::to_string(i->GetItemNo()) + ":" + i->ItemName();
  }
  return out;
}

std::vector<std::pair<short, unsigned long>>& Calls() {
  static std::vector<std::pair<short, unsigned long>> calls;
  return calls;
}

unsigned char NoteChange(cSp_PopupObj*, short itemNo, unsigned long refCon) {
  Calls().push_back({itemNo, refCon});
  return 1;
}

TEST(PopupItemList, ItemsGoInByNumberOrNameAndAreNumberedWithSeparators) {
  struct Case {
    std::vector<std::pair<short, const char*>> adds;
    const char* expected;
    const char* why;
  };
  const Case cases[] = {
      {{{-2, "b"}, {-2, "a"}, {-2, "c"}}, "1:a 2:b 3:c", "sorted insertion puts names in order"},
      {{{-2, "b"}, {-2, "-"}, {-2, "a"}}, "1:a 2:b 3:-", "a separator added sorted goes last"},
      {{{-2, "x"}, {-1, "a"}, {-2, "b"}}, "1:b 2:x 3:a", "sorted passes only names before it"},
      {{{-1, "a"}, {-1, "b"}, {-1, "c"}, {0, "z"}, {-1, "e"}},
       "1:z 2:a 3:b 4:c 5:e", "number 0 goes first, renumbering all; -1 still appends"},
      {{{-1, "a"}, {-1, "b"}, {-1, "c"}, {1, "n"}}, "1:a 2:n 3:b 4:c", "n goes after item n"},
      {{{-1, "a"}, {-1, "b"}, {-1, "c"}, {99, "n"}}, "1:a 2:b 3:c 4:n", "a number past the end"},
      {{{-1, "a"}, {-1, "b"}, {-7, "n"}}, "1:n 2:a 3:b", "a number below -2 goes first"},
      {{{-1, "a"}, {-1, "-"}, {-1, "-x"}}, "1:a 2:- 3:-x", "separators count in the numbering"},
  };
  for (const Case& c : cases) {
    cSp_PopupObj popup(0);
    for (const auto& add : c.adds) popup.AddMenuItem(add.first, add.second);
    EXPECT_EQ(Names(popup), c.expected) << c.why;
    EXPECT_EQ(popup.GetMenuItemNum(), short(c.adds.size())) << c.why;
    EXPECT_EQ(popup.GetItemCount(), c.adds.size()) << c.why;
    EXPECT_EQ(popup.GetLastMenuItem()->GetNextObjectPtr(), nullptr) << c.why;
    EXPECT_EQ(popup.GetFirstMenuItem()->GetBeforeObjectPtr(), nullptr) << c.why;
  }
}

TEST(PopupItemList, EqualNamesKeepTheirOrderAndSeparatorsAreCountedApart) {
  cSp_PopupObj popup(0);
  popup.AddMenuItem(-2, "same");
  popup.AddMenuItem(-2, "-");
  popup.AddMenuItem(-2, "same");
  popup.AddMenuItem(-2, "-long");
  const cSp_PopupItemObj* first = popup.GetFirstMenuItem();
  EXPECT_EQ(Names(popup), "1:-long 2:same 3:- 4:same") << "sorted passes separators too";
  EXPECT_EQ(popup.GetSeparatorCount(), 1);
  EXPECT_EQ(popup.GetNormalItemCount(), 3);
  EXPECT_EQ(first->IsSepareter(), 0) << "only exactly \"-\" is a separator";
  cSp_PopupItemObj* found = nullptr;
  EXPECT_EQ(popup.SerchTargetNameMenuItem("same", &found), 2) << "the first of equal names";
  EXPECT_EQ(found, first->GetNextObjectPtr());
  EXPECT_EQ(popup.SerchTargetNameMenuItem("none", &found), 0);
  EXPECT_EQ(found, nullptr);
}

TEST(PopupItemList, TheFirstItemIsSelectedAndUnknownNumbersLeaveTheSelection) {
  cSp_PopupObj popup(0);
  popup.SetSelectionMenuItem(1);
  EXPECT_EQ(popup.GetSelectionMenuItemNo(), 0) << "nothing to select in an empty list";
  popup.AddMenuItem(-1, "one");
  popup.AddMenuItem(-1, "two");
  EXPECT_EQ(popup.GetSelectionMenuItemNo(), 1);
  popup.SetSelectionMenuItem(2);
  popup.SetSelectionMenuItem(5);
  EXPECT_EQ(popup.GetSelectionMenuItemNo(), 2) << "a number nobody has keeps the selection";
  popup.AddMenuItem(0, "zero");
  EXPECT_EQ(popup.GetSelectionMenuItemNo(), 3) << "the selection follows its item";
  popup.SetSelectionMenuItem(0);
  EXPECT_EQ(popup.GetSelectionMenuItem(), nullptr);
  char title[16] = "unchanged";
  EXPECT_EQ(popup.GetSelectionMenuItemTitle(title, sizeof title, nullptr), 0);
  popup.SetSelectionMenuItem(1);
  popup.WipeOutAllPopupMenuItem();
  EXPECT_EQ(popup.GetSelectionMenuItem(), nullptr);
  EXPECT_EQ(popup.GetItemCount() + popup.GetNormalItemCount() + popup.GetSeparatorCount(), 0);
  EXPECT_EQ(popup.GetFirstMenuItem(), nullptr);
}

TEST(PopupItemList, NamesAreCutToTheirBuffersOnACharacterBoundary) {
  cSp_PopupItemObj six("abcdef");
  char buffer[8];
  unsigned char truncated = 9;
  six.GetItemName(buffer, 5, &truncated);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(truncated, 1);
  cSp_PopupItemObj three("abc");
  three.GetItemName(buffer, 5, &truncated);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(truncated, 0);
  // Two-byte characters: a cut never leaves half of one behind.
  cSp_PopupItemObj japanese("\x93\xfa\x96\x7b\x8c\xea");
  japanese.GetItemName(buffer, 5, &truncated);
  EXPECT_STREQ(buffer, "\x93\xfa");
  // A name longer than the item holds is kept to 511 bytes of whole characters.
  std::string longName;
  while (longName.size() < 600) longName += "\x93\xfa";
  cSp_PopupItemObj kept(longName.c_str());
  EXPECT_EQ(std::string(kept.ItemName()).size(), 510u) << "no half character at byte 511";
  ErrorLogCapture log;
  six.GetItemName(nullptr, 5, &truncated);
  EXPECT_TRUE(log.Has("cSp_PopupItemObj::GetItemName", 1));
}

TEST(PopupItemList, SettersKeepWhatNegativeOrZeroValuesDoNotChange) {
  cSp_PopupObj popup(3);
  EXPECT_EQ(popup.GetSelectionItemType(), 3);
  popup.SetupFixMenuWidth(150);
  popup.SetupFixMenuWidth(0);
  EXPECT_EQ(popup.GetFixMenuWidth(), 150) << "a fixed width cannot be turned off";
  short left = 0, right = 0;
  popup.SetupHOffset(4, -1);
  popup.GetHOffset(left, right);
  EXPECT_EQ(left, 4);
  EXPECT_EQ(right, 0);
  popup.SetupHOffset(-1, 6);
  popup.GetHOffset(left, right);
  EXPECT_EQ(left, 4);
  EXPECT_EQ(right, 6);
  popup.SetupMinMenuWidth(0);
  EXPECT_EQ(popup.GetMinMenuWidth(), -1);
}

// A window whose content lies at (100, 100); items in the fixed-metric font at size 16 (ascent
// 12, so an item is 16 pixels high); everything on the virtual clock.
class PopupWindow : public ::testing::Test {
 public:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    Calls().clear();
    const Rect content = {100, 100, 700, 900};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    popup_.reset(new cSp_PopupObj(0));
    popup_->SetupMenuTextSize(16);
    popup_->SetupChangeSelectedItemCB(NoteChange, 77);
    // A program runs for a while before its first menu: the arrow zones' first scroll waits
    // for 20 ticks after tick 0.
    sp_testing::AdvanceClockTicks(100);
    start_ = TickCount();
  }
  void TearDown() override {
    popup_.reset();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  void Add(const std::vector<const char*>& names) {
    for (const char* n : names) popup_->AddMenuItem(-1, n);
  }
  void AddNumbered(int count) {
    for (int i = 1; i <= count; ++i) popup_->AddMenuItem(-1, ("item " + std::to_string(i)).c_str());
  }
  // A global point of the window's content.
  static Point G(int v, int h) { return Point{short(v + 100), short(h + 100)}; }
  // Runs `post` when the clock stands `tick` ticks after the test's start.
  void At(UInt32 tick, std::function<void()> post) {
    const SInt64 due = SInt64(start_ + tick) * 1000000 / 60 + 1;
    const SInt64 now = SInt64(TickCount()) * 1000000 / 60;
    sp_testing::ScheduleInput(due - now, std::move(post));
  }
  // Presses at the middle of the button and opens the menu over it.
  unsigned char Open(const Rect& button) {
    const Point middle = G((button.top + button.bottom) / 2, (button.left + button.right) / 2);
    sp_testing::PostMouseDown(middle);
    return popup_->OpenMouseDownPopupWin(window_, button, Point{0, 0}, 0);
  }
  // The popup window's global bounds, and the global point in the middle of item n's band.
  Rect Bounds() const {
    Rect r;
    popup_->GetPopupWindowBounds(r);
    return r;
  }
  Point ItemPoint(short number) const {
    const cSp_PopupItemObj* item = popup_->GetFirstMenuItem()->SerchTargetNameItemOnLinkWithRefNum(number);
    short top = 0, bottom = 0;
    item->GetNormalPosition(top, bottom);
    short firstTop = 0, ignored = 0;
    popup_->GetFirstVisibleItem()->GetNormalPosition(firstTop, ignored);
    const Rect r = Bounds();
    return Point{short(r.top + popup_->GetFirstItemTop() + (top - firstTop) + (bottom - top) / 2),
                 short(r.left + 10)};
  }

  sp_testing::EventsScope events_;
  sp_testing::FixedMetricFontScope font_;
  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_PopupObj> popup_;
  UInt32 start_ = 0;
};

TEST_F(PopupWindow, TheSelectedItemOpensOverTheMiddleOfTheButton) {
  Add({"one", "two", "-", "three"});
  popup_->SetSelectionMenuItem(4);
  const Rect button = {200, 50, 220, 170};
  At(25, [] { sp_testing::PostMouseUp(G(210, 110)); });
  EXPECT_EQ(Open(button), 0) << "released on the selected item: no change";
  EXPECT_EQ(popup_->GetItemHeight(), 16) << "ascent 12 and a margin of 2 above and below";
  EXPECT_EQ(popup_->GetListHeight(), 53) << "three items and a separator of 5";
  const Rect r = Bounds();
  const short anchorTop = short(100 + (200 + 220 - 16) / 2);
  EXPECT_EQ(r.top, anchorTop - 37) << "two items and the separator above the anchor";
  EXPECT_EQ(r.bottom - r.top, 53);
  EXPECT_EQ(r.left, 150) << "left edges meet";
  EXPECT_EQ(popup_->IsUpArrowShown() + popup_->IsDownArrowShown(), 0);
  EXPECT_EQ(popup_->GetPopupWindow(), nullptr) << "the window goes when the menu closes";
  EXPECT_TRUE(Calls().empty());
}

TEST_F(PopupWindow, ItemsAreMeasuredInTheMenusOwnFont) {
  // The menu draws in a proportional font while the system font has fixed metrics.
  const SInt16 proportional = 16385;
  Add({"iiiiii", "xy"});
  popup_->SetupMenuTextFont(proportional);
  SetPortWindowPort(window_);
  TextFont(proportional);
  TextSize(16);
  const short wide = TextWidth("iiiiii", 0, 6);
  TextFont(0);
  ASSERT_NE(wide, 6 * 8) << "the two fonts differ";
  At(25, [] { sp_testing::PostMouseUp(G(60, 110)); });
  EXPECT_EQ(Open(Rect{50, 50, 70, 170}), 0);
  const Rect r = Bounds();
  EXPECT_EQ(r.right - r.left, wide) << "as wide as its widest item in the menu's font";
}

TEST_F(PopupWindow, NearTheScreensEdgesAnItemShowsBeyondTheAnchorAndLongListsGetArrows) {
  Rect screen;
  Sp_GetScreenSize(&screen);
  const short sTop = short(screen.top + 10), sBottom = short(screen.bottom - 5);
  struct Case {
    int count;
    short selected;
    short buttonTop;  // global
    unsigned char up, down;
    const char* why;
  };
  const Case cases[] = {
      {3, 2, short(sBottom - 20), 0, 0, "near the bottom the menu moves up"},
      {3, 2, short(sTop - 10), 0, 0, "near the top the menu moves down"},
      {60, 1, 200, 0, 1, "a long list from its first item scrolls only downwards"},
      {60, 60, 500, 1, 0, "from its last item only upwards"},
      {60, 30, 350, 1, 1, "from its middle both ways"},
  };
  for (const Case& c : cases) {
    popup_->WipeOutAllPopupMenuItem();
    AddNumbered(c.count);
    popup_->SetSelectionMenuItem(c.selected);
    const Rect button = {short(c.buttonTop - 100), 50, short(c.buttonTop - 80), 170};
    At(TickCount() - start_ + 25,
       [this, button] { sp_testing::PostMouseUp(G(button.top - 300, 110)); });
    EXPECT_EQ(Open(button), 0) << c.why;
    const Rect r = Bounds();
    EXPECT_GE(r.top, sTop) << c.why;
    EXPECT_LE(r.bottom, sBottom) << c.why;
    EXPECT_EQ(popup_->IsUpArrowShown(), c.up) << c.why;
    EXPECT_EQ(popup_->IsDownArrowShown(), c.down) << c.why;
    const cSp_PopupItemObj* anchor = popup_->GetSelectionMenuItem();
    short aTop = 0, aBottom = 0, fTop = 0, fBottom = 0;
    anchor->GetNormalPosition(aTop, aBottom);
    popup_->GetFirstVisibleItem()->GetNormalPosition(fTop, fBottom);
    const short anchorOnScreen = short(r.top + popup_->GetFirstItemTop() + aTop - fTop);
    if (anchor->GetNextObjectPtr() != nullptr) {
      EXPECT_LE(anchorOnScreen + 32, sBottom) << c.why << ": an item shows below the anchor";
    }
    if (anchor->GetBeforeObjectPtr() != nullptr) {
      EXPECT_GE(anchorOnScreen - 16, sTop) << c.why << ": an item shows above the anchor";
    }
    if (c.up == 0) {
      EXPECT_EQ(popup_->GetFirstVisibleItem(), popup_->GetFirstMenuItem()) << c.why;
    }
    if (c.down == 0) {
      EXPECT_EQ(popup_->GetLastVisibleItem(), popup_->GetLastMenuItem()) << c.why;
    }
  }
}

TEST_F(PopupWindow, ScriptedMouseTimelinesChooseOrLeaveTheSelection) {
  struct Case {
    std::function<void(PopupWindow*)> script;
    short expected;
    const char* why;
  };
  auto item = [](PopupWindow* t, short n) { return t->ItemPoint(n); };
  const Case cases[] = {
      {[&](PopupWindow* t) {
         t->At(3, [=] { sp_testing::PostMouseDragged(item(t, 3)); });
         t->At(30, [=] { sp_testing::PostMouseUp(item(t, 3)); });
       },
       3, "press, drag onto another item and release"},
      {[&](PopupWindow* t) {
         t->At(3, [=] { sp_testing::PostMouseDragged(item(t, 2)); });
         t->At(10, [=] { sp_testing::PostMouseDragged(item(t, 1)); });
         t->At(30, [=] { sp_testing::PostMouseUp(item(t, 1)); });
       },
       0, "released back on the selected item"},
      {[&](PopupWindow* t) {
         t->At(3, [=] { sp_testing::PostMouseDragged(item(t, 4)); });
         t->At(30, [=] { sp_testing::PostMouseUp(item(t, 4)); });
       },
       0, "released on a separator"},
      {[&](PopupWindow* t) {
         t->At(3, [=] { sp_testing::PostMouseDragged(G(500, 600)); });
         t->At(30, [=] { sp_testing::PostMouseUp(G(500, 600)); });
       },
       0, "released outside the menu"},
      {[&](PopupWindow* t) {
         t->At(5, [=] { sp_testing::PostMouseUp(G(60, 110)); });
         t->At(40, [=] { sp_testing::PostMouseMoved(item(t, 2)); });
         t->At(60, [=] { sp_testing::PostMouseDown(item(t, 5)); });
         t->At(70, [=] { sp_testing::PostMouseUp(item(t, 5)); });
       },
       5, "a quick click leaves the menu open; the second click's release chooses"},
      {[&](PopupWindow* t) {
         t->At(5, [=] { sp_testing::PostMouseUp(G(60, 110)); });
         t->At(60, [=] { sp_testing::PostMouseMoved(G(500, 600)); });
         t->At(70, [=] { sp_testing::PostMouseDown(G(500, 600)); });
         t->At(2000, [=] { sp_testing::PostMouseUp(G(500, 600)); });
       },
       0, "a second press outside closes the menu at once"},
  };
  for (const Case& c : cases) {
    popup_->WipeOutAllPopupMenuItem();
    Add({"one", "two", "three", "-", "five"});
    Calls().clear();
    sp_testing::ResetEvents();
    start_ = TickCount();
    const Rect button = {50, 50, 70, 170};
    c.script(this);
    const UInt32 opened = TickCount();
    const unsigned char result = Open(button);
    EXPECT_EQ(result, c.expected != 0 ? 1 : 0) << c.why;
    EXPECT_EQ(popup_->GetSelectionMenuItemNo(), c.expected != 0 ? c.expected : 1) << c.why;
    if (c.expected != 0) {
      ASSERT_EQ(Calls().size(), 1u) << c.why;
      EXPECT_EQ(Calls()[0].first, c.expected) << c.why;
      EXPECT_EQ(Calls()[0].second, 77u) << c.why;
    } else {
      EXPECT_TRUE(Calls().empty()) << c.why;
    }
    EXPECT_LT(TickCount() - opened, 200u) << c.why << ": the menu closed when it should";
    EXPECT_TRUE(sp_testing::VisibleWindows().size() == 1) << c.why;
  }
}

TEST_F(PopupWindow, AReleaseUpTo20TicksAfterTheOpeningIsAQuickClickAndOneTickLaterChooses) {
  const struct {
    UInt32 release;
    short chosen;  // 5: the menu stayed open for the second click
  } cases[] = {{18, 5}, {19, 5}, {20, 3}, {21, 3}};  // seen 19, 20, 21 and 22 ticks after
  for (const auto& c : cases) {
    SCOPED_TRACE(c.release);
    popup_->WipeOutAllPopupMenuItem();
    Add({"one", "two", "three", "-", "five"});
    Calls().clear();
    sp_testing::ResetEvents();
    start_ = TickCount();
    At(3, [this] { sp_testing::PostMouseDragged(ItemPoint(3)); });
    // An input due at tick t reaches the menu's loop on its next tick, t + 1.
    At(c.release, [this] { sp_testing::PostMouseUp(ItemPoint(3)); });
    At(60, [this] { sp_testing::PostMouseDown(ItemPoint(5)); });
    At(70, [this] { sp_testing::PostMouseUp(ItemPoint(5)); });
    EXPECT_EQ(Open(Rect{50, 50, 70, 170}), 1);
    EXPECT_EQ(popup_->GetSelectionMenuItemNo(), c.chosen);
    sp_testing::ResetEvents();
  }
}

TEST_F(PopupWindow, TheRowsJustAboveAndBelowTheMenuScrollItToItsEndsAndItsEdgeRowsDoNot) {
  AddNumbered(60);
  popup_->SetSelectionMenuItem(30);
  // A row of the menu counted from its top, or (negative) from just below its bottom.
  auto row = [this](int v) {
    const Rect r = Bounds();
    return Point{short(v >= 0 ? r.top + v : r.bottom + 1 + v), short(r.left + 20)};
  };
  auto above = [this] { return Point{short(Bounds().top - 1), short(Bounds().left + 20)}; };
  std::vector<short> firsts, lasts;
  auto note = [&] {
    firsts.push_back(popup_->GetFirstVisibleItem()->GetItemNo());
    lasts.push_back(popup_->GetLastVisibleItem()->GetItemNo());
  };
  // Each move comes more than 20 ticks after the last, so an arrow zone scrolls one item.
  At(2, note);
  At(3, [&] { sp_testing::PostMouseDragged(row(0)); });  // the top row: in the up zone
  At(5, note);
  At(30, [&] { sp_testing::PostMouseDragged(row(-2)); });  // the bottom row
  At(32, note);
  At(60, [&] { sp_testing::PostMouseDragged(above()); });  // the row above the menu
  At(62, note);
  At(90, [&] { sp_testing::PostMouseDragged(row(-1)); });  // the row below it
  At(92, [&] {
    note();
    sp_testing::PostMouseUp(row(-1));
  });
  EXPECT_EQ(Open(Rect{300, 50, 320, 170}), 0);
  ASSERT_EQ(firsts.size(), 5u);
  const short f = firsts[0], l = lasts[0];
  ASSERT_GT(f, 2);
  ASSERT_LT(l, 59);
  EXPECT_EQ(firsts[1], f - 1) << "the top row scrolls one item";
  EXPECT_EQ(lasts[2], lasts[1] + 1) << "the bottom row scrolls one item";
  EXPECT_EQ(firsts[3], 1) << "the row above goes to the first item";
  EXPECT_EQ(lasts[4], 60) << "the row below goes to the last item";
}

TEST_F(PopupWindow, AMenuLeftAloneAfterAQuickClickClosesAfter900Ticks) {
  Add({"one", "two"});
  At(5, [] { sp_testing::PostMouseUp(G(60, 110)); });
  At(50, [this] { sp_testing::PostMouseMoved(ItemPoint(2)); });
  const UInt32 opened = TickCount();
  EXPECT_EQ(Open(Rect{50, 50, 70, 170}), 0);
  const UInt32 took = TickCount() - opened;
  EXPECT_GT(took, 950u) << "counted from the last movement";
  EXPECT_LT(took, 960u);
  EXPECT_EQ(popup_->GetSelectionMenuItemNo(), 1) << "the item under the mouse is not chosen";
  EXPECT_TRUE(Calls().empty());
}

TEST_F(PopupWindow, TheArrowZonesScrollOneItemPerMoveAfterAnEntryDelay) {
  AddNumbered(60);
  popup_->SetSelectionMenuItem(30);
  std::vector<short> firsts;
  std::vector<unsigned char> ups;
  auto note = [this, &firsts, &ups] {
    firsts.push_back(popup_->GetFirstVisibleItem()->GetItemNo());
    ups.push_back(popup_->IsUpArrowShown());
  };
  auto to = [this](int v) { return Point{short(Bounds().top + v), short(Bounds().left + 20)}; };
  At(2, [&] { note(); });
  At(3, [&] { sp_testing::PostMouseDragged(to(5)); });    // enters the up zone: scrolls
  At(5, [&] { note(); sp_testing::PostMouseDragged(to(6)); });   // moves in it: scrolls
  At(7, [&] { note(); sp_testing::PostMouseDragged(to(200)); });  // onto the items
  At(9, [&] { sp_testing::PostMouseDragged(to(4)); });    // back within 20 ticks: stays
  At(11, [&] { note(); });
  At(40, [&] { sp_testing::PostMouseDragged(to(3)); });   // moves in it: scrolls
  At(42, [&] { note(); sp_testing::PostMouseDragged(to(-40)); });  // above: to the top
  At(44, [&] { note(); sp_testing::PostMouseDragged(to(2000)); });  // below: to the end
  At(46, [&] {
    note();
    sp_testing::PostMouseUp(to(2000));
  });
  EXPECT_EQ(Open(Rect{300, 50, 320, 170}), 0);
  ASSERT_EQ(firsts.size(), 7u);
  const short f = firsts[0];
  EXPECT_GT(f, 1);
  EXPECT_EQ(firsts[1], f - 1) << "entering the zone scrolls one item";
  EXPECT_EQ(firsts[2], f - 2) << "each move within it one more";
  EXPECT_EQ(firsts[3], f - 2) << "coming back within 20 ticks of the last scroll waits";
  EXPECT_EQ(firsts[4], f - 3);
  EXPECT_EQ(firsts[5], 1) << "above the menu: straight to the first item";
  EXPECT_EQ(ups[5], 0) << "no up arrow at the top";
  EXPECT_EQ(popup_->GetLastVisibleItem()->GetItemNo(), 60) << "below it: to the last item";
  EXPECT_EQ(popup_->IsDownArrowShown(), 0);
  EXPECT_EQ(ups[6], 1);
}

TEST_F(PopupWindow, TheTrackedItemIsDrawnInItsColoursAndOnlyItsBandsAreCopied) {
  Add({"one", "two", "three"});
  popup_->SetupHOffset(10, 10);
  UInt32 tracked = 0, other = 0, corner = 0, flushes = 0;
  At(3, [this] { sp_testing::PostMouseDragged(ItemPoint(2)); });
  At(6, [&] {
    CGrafPtr port = GetWindowPort(popup_->GetPopupWindow());
    const Rect r = Bounds();
    const Point two = ItemPoint(2), three = ItemPoint(3);
    tracked = sp_testing::ReadPixel(port, 3, short(two.v - r.top));
    other = sp_testing::ReadPixel(port, 3, short(three.v - r.top));
    corner = sp_testing::ReadPixel(port, 0, 0);
    flushes = sp_testing::FlushCount(port);
  });
  At(30, [this] { sp_testing::PostMouseUp(ItemPoint(2)); });
  EXPECT_EQ(Open(Rect{50, 50, 70, 170}), 1);
  EXPECT_EQ(tracked, 0x52527Bu) << "the tracked item's band";
  EXPECT_EQ(other, 0xFFFFFFu) << "another item on the window's content colour";
  EXPECT_EQ(corner, 0xFFFFFFu) << "the frame's first run";
  EXPECT_GE(flushes, 5u) << "the window is flushed on every pass";
}

TEST_F(PopupWindow, AMenuThatCannotBeDrawnLeavesNoWindowBehind) {
  Add({"one", "two"});
  bool offscreenFailed = false;
  for (UInt32 n = 1; n <= 12 && !offscreenFailed; ++n) {
    // Without a press the menu opens as after a quick click and closes when left alone.
    ErrorLogCapture log;
    sp_testing::FailNthAllocation(n);
    popup_->OpenMouseDownPopupWin(window_, Rect{50, 50, 70, 170}, Point{0, 0}, 0);
    sp_testing::FailNthAllocation(0);
    sp_testing::ResetEvents();
    offscreenFailed = log.Has("cSp_PopupObj::OpenMouseDownPopupWin", 2);
    EXPECT_EQ(sp_testing::WindowList().size(), 1u) << "after failing allocation " << n;
    EXPECT_EQ(popup_->GetPopupWindow(), nullptr);
    EXPECT_EQ(popup_->GetSelectionMenuItemNo(), 1);
  }
  EXPECT_TRUE(offscreenFailed) << "some allocation reached the offscreen";
}

}  // namespace
