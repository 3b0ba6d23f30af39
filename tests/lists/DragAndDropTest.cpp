// Drop targets and the drag-and-drop manager: the analysis of a drag, which target a drag
// reaches through the layers, the enter, move and leave calls, refusals, drops in two
// windows, the hilite, and the layer moves.
#include "DragAndDropTestSupport.h"

#include <functional>

#include "Drag.h"
#include "Gestalt.h"

namespace ddo_test {
namespace {

using DragAndDrop = DragAndDropFixture;

// The names of the targets of a layer list, bottom first.
std::string Layers(cDropCatchObject* first, const std::vector<cDropCatchObject*>& all,
                   const std::vector<std::string>& names) {
  std::string out;
  for (cDropCatchObject* t = first; t != nullptr; t = t->GetNextDropCatchContainerItemObjPtr()) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i] == t) out += names[i];
    }
  }
  return out;
}

TEST_F(DragAndDrop, ThreeDroppedFilesAreThreeItemsWithTheirHfsFlavourAndGoAfterTheDrag) {
  cJournalTarget* t = Target(Rect{0, 0, 200, 300}, "t");
  t->SetupEnableFlavorType(kDragFlavorTypeHFS);
  const std::vector<std::string> files = {File("a.aiff"), File("b.wav"), File("c.mp3")};
  EXPECT_EQ(sp_testing::DropFiles(files, {Pt(150, 150)}), noErr);
  EXPECT_EQ(journal_.itemsSeen, 3);
  EXPECT_EQ(journal_.dropNames, (std::vector<std::string>{"a.aiff", "b.wav", "c.mp3"}));
  EXPECT_EQ(SpDDO_GetDragADropMgr(0)->GetAnalyzeItemListHead(), nullptr)
      << "the items go with the drag";
  // An item without flavours is still an item; nothing takes the drag for it.
  journal_ = Journal();
  t->SetupEnableFlavorType(kText);
  EXPECT_EQ(sp_testing::PerformDrag({{}, {{kText, "x"}}}, {Pt(150, 150)}), noErr);
  EXPECT_EQ(journal_.itemsSeen, 2);
  journal_ = Journal();
  EXPECT_EQ(sp_testing::PerformDrag({{}}, {Pt(150, 150)}), dragNotAcceptedErr);
  EXPECT_TRUE(journal_.lines.empty());
}

TEST_F(DragAndDrop, EnteringCallsInThenMoveAtOnePointAndLeavingTheWindowCallsOutAtZero) {
  cJournalTarget* t = Target(Rect{10, 10, 110, 110}, "t");
  t->SetupCheckEnableFlavorTypeProc(TakesFiles, 0);
  sp_testing::DropFiles({File("a.aiff")}, {Pt(105, 105), Pt(150, 140), Pt(160, 145), Pt(900, 700)});
  EXPECT_EQ(journal_.lines, (std::vector<std::string>{"t in 50,40", "t move 50,40",
                                                      "t move 60,45", "t out 0,0"}));
}

// What a receiver installed after the manager's sees when the manager refused the drop.
struct AfterRefusal {
  int calls = 0;
  bool hilite = false;
  bool inactive = false;
};

OSErr LookAfterRefusal(WindowRef window, void* refCon, DragRef) {
  AfterRefusal* seen = static_cast<AfterRefusal*>(refCon);
  ++seen->calls;
  seen->hilite = sp_testing::CurrentDragHilite().shown;
  cDragAndDropWindowObj* entry = SpDDO_GetDragADropMgr(0)->GetTargetDragDropWinObj(window);
  seen->inactive = entry != nullptr && entry->IsInactive() != 0;
  return dragNotAcceptedErr;
}

TEST_F(DragAndDrop, TextOverATargetOfFilesIsRefusedWithoutEnterOrHilite) {
  cJournalTarget* t = Target(Rect{0, 0, 200, 300}, "files");
  t->SetupCheckEnableFlavorTypeProc(TakesFiles, 0);
  t->SetupWindowHiliteFlag(1);
  AfterRefusal seen;
  ASSERT_EQ(InstallReceiveHandler(LookAfterRefusal, nullptr, &seen), noErr);
  EXPECT_EQ(sp_testing::DropText("text", {Pt(150, 150), Pt(160, 160)}), dragNotAcceptedErr);
  EXPECT_TRUE(journal_.lines.empty()) << "no enter, move or drop";
  EXPECT_EQ(seen.calls, 1);
  EXPECT_FALSE(seen.hilite);
  EXPECT_TRUE(seen.inactive) << "over a target that refuses, the window's entry is inactive";
  RemoveReceiveHandler(LookAfterRefusal, nullptr);
}

TEST_F(DragAndDrop, TheTopMostTargetThatTakesTheDragUnderTheMouseGetsIt) {
  struct Case {
    const char* why;
    std::function<void(DragAndDrop*)> build;
    Point drop;  // global
    const char* taker;  // "" for none
  } const cases[] = {
      {"the later of two overlapping targets",
       [](DragAndDrop* f) {
         f->Target(Rect{0, 0, 200, 300}, "lower")->SetupEnableFlavorType(kText);
         f->Target(Rect{50, 50, 150, 150}, "upper")->SetupEnableFlavorType(kText);
       },
       Pt(200, 200), "upper"},
      {"a transparent upper target that takes nothing lets the drag through",
       [](DragAndDrop* f) {
         f->Target(Rect{0, 0, 200, 300}, "lower")->SetupEnableFlavorType(kText);
         f->Target(Rect{50, 50, 150, 150}, "upper")->SetupTransparentDiableDragItemFlag(1);
       },
       Pt(200, 200), "lower"},
      {"an opaque upper target that takes nothing hides the lower one",
       [](DragAndDrop* f) {
         f->Target(Rect{0, 0, 200, 300}, "lower")->SetupEnableFlavorType(kText);
         f->Target(Rect{50, 50, 150, 150}, "upper");
       },
       Pt(200, 200), ""},
      {"outside the upper one the lower one takes it",
       [](DragAndDrop* f) {
         f->Target(Rect{0, 0, 200, 300}, "lower")->SetupEnableFlavorType(kText);
         f->Target(Rect{50, 50, 150, 150}, "upper");
       },
       Pt(120, 120), "lower"},
      {"a child before its container, though the container came later",
       [](DragAndDrop* f) {
         cJournalTarget* child = f->Target(Rect{60, 60, 80, 80}, "child");
         cJournalTarget* box = f->Target(Rect{50, 50, 150, 150}, "box");
         child->SetupEnableFlavorType(kText);
         box->SetupEnableFlavorType(kText);
         child->MoveIntoTargetDropCatchContainerItem(box, 1);
       },
       Pt(170, 170), "child"},
      {"the container only after its children",
       [](DragAndDrop* f) {
         cJournalTarget* box = f->Target(Rect{50, 50, 150, 150}, "box");
         cJournalTarget* child = f->Target(Rect{60, 60, 80, 80}, "child");
         box->SetupEnableFlavorType(kText);
         child->SetupTransparentDiableDragItemFlag(1);
         box->SetupDropCatchContainerItemOnTopLayer(child);
         f->Target(Rect{0, 0, 40, 40}, "aside")->SetupEnableFlavorType(kText);
       },
       Pt(170, 170), "box"},
      {"the children of a lower target before it, after a later target misses",
       [](DragAndDrop* f) {
         cJournalTarget* box = f->Target(Rect{50, 50, 150, 150}, "box");
         cJournalTarget* child = f->Target(Rect{60, 60, 80, 80}, "child");
         box->SetupEnableFlavorType(kText);
         child->SetupEnableFlavorType(kText);
         box->SetupDropCatchContainerItemOnTopLayer(child);
         f->Target(Rect{0, 0, 40, 40}, "aside")->SetupEnableFlavorType(kText);
       },
       Pt(170, 170), "child"},
      {"a target that takes no drags now is passed over",
       [](DragAndDrop* f) {
         f->Target(Rect{0, 0, 200, 300}, "lower")->SetupEnableFlavorType(kText);
         cJournalTarget* off = f->Target(Rect{50, 50, 150, 150}, "off");
         off->SetupEnableFlavorType(kText);
         off->DisableCatchDragItem();
       },
       Pt(200, 200), "lower"},
  };
  for (const Case& c : cases) {
    targets_.clear();
    journal_ = Journal();
    c.build(this);
    const OSErr result = sp_testing::DropText("x", {c.drop});
    std::string taker;
    for (const std::string& line : journal_.lines) {
      if (line.find(" drop ") != std::string::npos) taker = line.substr(0, line.find(' '));
    }
    EXPECT_EQ(taker, c.taker) << c.why;
    EXPECT_EQ(result, *c.taker != '\0' ? OSErr(noErr) : OSErr(dragNotAcceptedErr)) << c.why;
  }
}

// What a tracking handler installed after the manager's sees at each move: the hilite.
OSErr NoteHilite(DragTrackingMessage message, WindowRef, void* refCon, DragRef) {
  if (message == kDragTrackingInWindow || message == kDragTrackingEnterWindow) {
    static_cast<std::vector<bool>*>(refCon)->push_back(sp_testing::CurrentDragHilite().shown);
  }
  return noErr;
}

TEST_F(DragAndDrop, LeavingATakingTargetForARefusingOneEndsItSoComingBackEntersItAgain) {
  cJournalTarget* takes = Target(Rect{0, 0, 100, 100}, "takes");
  takes->SetupEnableFlavorType(kText);
  takes->SetHiliteArea(Rect{0, 0, 100, 100});
  takes->SetupWindowHiliteFlag(1);
  Target(Rect{0, 100, 100, 200}, "refuses")->SetupCheckEnableFlavorTypeProc(TakesFiles, 0);
  std::vector<bool> hilites;
  ASSERT_EQ(InstallTrackingHandler(NoteHilite, nullptr, &hilites), noErr);
  EXPECT_EQ(sp_testing::DropText("x", {Pt(150, 150), Pt(250, 150), Pt(150, 150)}), noErr)
      << "the drop on the target entered again is taken";
  EXPECT_EQ(journal_.lines,
            (std::vector<std::string>{"takes in 50,50", "takes move 50,50", "takes out 150,50",
                                      "takes in 50,50", "takes move 50,50", "takes drop 50,50",
                                      "takes out 0,0"}));
  EXPECT_EQ(hilites, (std::vector<bool>{true, false, true}));
  RemoveTrackingHandler(NoteHilite, nullptr);
}

TEST_F(DragAndDrop, EachWindowsDropsReachItsOwnTargets) {
  WindowRef other = MakeWindow(Rect{100, 500, 300, 800});
  Target(Rect{0, 0, 200, 300}, "first")->SetupEnableFlavorType(kText);
  Target(Rect{0, 0, 200, 300}, "second", other)->SetupEnableFlavorType(kText);
  EXPECT_EQ(sp_testing::DropText("x", {Pt(150, 150), Pt(650, 150)}), noErr);
  EXPECT_EQ(sp_testing::DropText("x", {Pt(650, 150), Pt(150, 160)}), noErr);
  EXPECT_EQ(journal_.lines,
            (std::vector<std::string>{"first in 50,50", "first move 50,50", "first out 0,0",
                                      "second in 150,50", "second move 150,50",
                                      "second drop 150,50", "second out 0,0", "second in 150,50",
                                      "second move 150,50", "second out 0,0", "first in 50,60",
                                      "first move 50,60", "first drop 50,60", "first out 0,0"}));
}

TEST_F(DragAndDrop, AWindowWhoseTargetsAreGoneKeepsItsEntryAndRefusesDrops) {
  Target(Rect{0, 0, 200, 300}, "gone")->SetupEnableFlavorType(kText);
  targets_.clear();
  EXPECT_NE(SpDDO_GetDragADropMgr(0)->GetTargetDragDropWinObj(window_), nullptr);
  EXPECT_EQ(sp_testing::DropText("x", {Pt(150, 150)}), dragNotAcceptedErr);
  EXPECT_EQ(errors_.Count(), 0u) << "a target unregisters once";
}

TEST_F(DragAndDrop, WithoutTheDragManagerNothingIsInstalledButTargetsStillRegister) {
  for (bool removed : {true, false}) {
    sp_testing::ResetDragAndDropManager();
    if (removed) {
      sp_testing::RemoveGestalt(gestaltDragMgrAttr);
    } else {
      sp_testing::SetGestalt(gestaltDragMgrAttr, 0x2);  // bit 0 clear
    }
    SpDDO_InitializeDragAndDrop();
    EXPECT_EQ(SpDDO_GetDragADropMgr(0), nullptr);
    cJournalTarget* t = Target(Rect{0, 0, 200, 300}, "t");
    t->SetupEnableFlavorType(kText);
    EXPECT_NE(SpDDO_GetDragADropMgr(0)->GetTargetDragDropWinObj(window_), nullptr);
    EXPECT_EQ(sp_testing::DropText("x", {Pt(150, 150)}), dragNotAcceptedErr);
    EXPECT_TRUE(journal_.lines.empty());
    targets_.clear();
  }
}

TEST_F(DragAndDrop, ATargetHilitesItsAreaOrTheWholeWindowWhileADragItTakesIsOverIt) {
  cJournalTarget* t = Target(Rect{20, 30, 60, 90}, "t");
  t->SetupEnableFlavorType(kText);
  std::vector<sp_testing::DragHilite> seen;
  auto note = [](DragTrackingMessage message, WindowRef, void* refCon, DragRef) -> OSErr {
    if (message == kDragTrackingEnterWindow) {
      static_cast<std::vector<sp_testing::DragHilite>*>(refCon)->push_back(
          sp_testing::CurrentDragHilite());
    }
    return noErr;
  };
  ASSERT_EQ(InstallTrackingHandler(note, nullptr, &seen), noErr);
  sp_testing::DropText("x", {Pt(140, 140)});  // the flag is off: no hilite
  t->SetupWindowHiliteFlag(1);
  sp_testing::DropText("x", {Pt(140, 140)});  // the window
  t->SetHiliteArea(Rect{20, 30, 60, 90});
  sp_testing::DropText("x", {Pt(140, 140)});  // the area, framed outside
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_FALSE(seen[0].shown);
  EXPECT_TRUE(seen[1].shown);
  EXPECT_EQ(seen[1].bounds.right, 300) << "the window's whole port";
  EXPECT_TRUE(seen[1].inside);
  EXPECT_TRUE(seen[2].shown);
  EXPECT_EQ(seen[2].bounds.left, 30 - kDragHiliteThickness);
  EXPECT_FALSE(seen[2].inside);
  EXPECT_FALSE(sp_testing::CurrentDragHilite().shown);
}

TEST_F(DragAndDrop, LayerMovesPutATargetWhereAsked) {
  struct Case {
    int which;        // 0, 1, 2: bottom to top
    SInt32 position;  // 0: to the top
    const char* after;
  } const cases[] = {
      {2, 1, "cab"}, {0, 3, "bca"}, {0, 2, "bac"}, {2, 9, "abc"}, {1, 0, "acb"}, {0, -4, "abc"},
  };
  const std::vector<std::string> names = {"a", "b", "c"};
  for (const Case& c : cases) {
    targets_.clear();
    std::vector<cDropCatchObject*> all;
    for (const std::string& n : names) all.push_back(Target(Rect{0, 0, 10, 10}, n));
    if (c.position == 0) {
      all[c.which]->MoveToTopDropCatchLayer();
    } else {
      all[c.which]->MoveToTargetDropCatchLayerPosit(c.position);
    }
    cDragAndDropWindowObj* entry = SpDDO_GetDragADropMgr(0)->GetTargetDragDropWinObj(window_);
    EXPECT_EQ(Layers(entry->GetTopLayerListHead(), all, names), c.after)
        << names[c.which] << " to " << c.position;
    EXPECT_EQ(Layers(entry->GetTopLayerListLast(), all, names), std::string(1, c.after[2]));
  }
  // The same within a container's children.
  targets_.clear();
  cJournalTarget* box = Target(Rect{0, 0, 10, 10}, "box");
  std::vector<cDropCatchObject*> kids;
  for (const std::string& n : names) {
    kids.push_back(Target(Rect{0, 0, 10, 10}, n));
    box->SetupDropCatchContainerItemOnTopLayer(kids.back());
  }
  kids[0]->MoveToTopDropCatchLayer();
  EXPECT_EQ(Layers(box->GetDropCatchContainerItemListHead(), kids, names), "bca");
  EXPECT_EQ(kids[0]->GetDropCatchContainerItemLayerPosit(), 3);
  EXPECT_EQ(kids[0]->GetDropCatchContainerItemLayerMaxPosit(), 3);
  EXPECT_EQ(box->GetDropCatchContainerItemListLast(), kids[0]);
}

TEST_F(DragAndDrop, ATargetTakenOutLeavesItsChildrenInItsPlaceAndGoesOnce) {
  const std::vector<std::string> names = {"x", "box", "y", "c1", "c2"};
  std::vector<cDropCatchObject*> all;
  for (const std::string& n : names) all.push_back(Target(Rect{0, 0, 10, 10}, n));
  all[1]->SetupDropCatchContainerItemOnTopLayer(all[3]);
  all[1]->SetupDropCatchContainerItemOnTopLayer(all[4]);
  all[1]->SetupCatchDropItemsProc(nullptr, 0);
  cDragAndDropWindowObj* entry = SpDDO_GetDragADropMgr(0)->GetTargetDragDropWinObj(window_);
  EXPECT_EQ(Layers(entry->GetTopLayerListHead(), all, names), "xboxy");
  all[1]->ExecDropCatchObjDeleteReady();
  EXPECT_EQ(Layers(entry->GetTopLayerListHead(), all, names), "xc1c2y");
  EXPECT_EQ(all[3]->GetDropCatchContainerPtr(), nullptr);
  std::string flat;
  for (cDropCatchObject* t = entry->GetDropCatchListHead(); t != nullptr;
       t = t->GetNextDropCatchObjPtr()) {
    flat += t == all[1] ? "box" : "-";
  }
  EXPECT_EQ(flat, "----") << "out of the flat list too";
  targets_.erase(targets_.begin() + 1);  // the destructor after the delete step
  EXPECT_EQ(errors_.Count(), 0u);
  // Children cannot be made the containers of their own container.
  all[3]->SetupDropCatchContainerItemOnTopLayer(all[4]);
  all[4]->SetupDropCatchContainerItemOnTopLayer(all[3]);
  EXPECT_TRUE(errors_.Has("cDropCatchObject::SetupDropCatchContainerItemOnTopLayer", 2));
  EXPECT_EQ(all[4]->GetDropCatchContainerPtr(), all[3]);
}

TEST_F(DragAndDrop, AddingAFlavourTwiceKeepsOneAndANewTargetTakesNothingYet) {
  cJournalTarget* t = Target(Rect{0, 0, 200, 300}, "t");
  EXPECT_EQ(t->GetHiliteType(), kDDO_HiliteWindowArea);
  EXPECT_EQ(t->GetWindowHiliteFlag(), 0);
  EXPECT_EQ(sp_testing::DropText("x", {Pt(150, 150)}), dragNotAcceptedErr);
  t->SetupEnableFlavorType(kText);
  t->SetupEnableFlavorType(kText);
  t->SetupEnableFlavorType(SpFourCC("styl"));
  EXPECT_EQ(t->IsEnableFlavorType(kText), 1);
  t->DisableCatchDragItem();
  EXPECT_EQ(t->IsEnableFlavorType(kText), 0) << "not while it takes no drags";
  t->EnableCatchDragItem();
  EXPECT_EQ(sp_testing::DropText("x", {Pt(150, 150)}), noErr);
  EXPECT_EQ(t->CatchDropItem(Pt(0, 0), nullptr, nullptr), 0);
  t->SetupCatchDropItemsProc(nullptr, 0);
  EXPECT_EQ(t->CatchDropItem(Pt(0, 0), nullptr, nullptr), dragNotAcceptedErr);
}

}  // namespace
}  // namespace ddo_test
