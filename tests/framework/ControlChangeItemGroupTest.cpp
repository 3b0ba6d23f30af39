// Change-output groups: panels appended hidden, numbered after the dialog's items, shown and
// hidden as a whole by their control item, with their own control items and text.

#include "ControlItemTestSupport.h"
#include "SpControlChangeItemGroup.h"

namespace {

using namespace control_item_test;

typedef std::vector<std::string> Lines;

// The dialog has seven items; panel 201 adds three, panel 202 two.
constexpr short kOwnItems = 7;

void LogGroup(cSp_ControlChangeOutputItemGroup* group, unsigned char flag, unsigned long user) {
  Log().push_back(NameOf(user) + std::to_string(group->GetGroupNo()) + "/" + std::to_string(flag));
}

class ControlChangeItemGroupTest : public ControlItemFixture {
 protected:
  // The item whose value chooses the panel: the progress bar (values 0..10).
  cSp_ControlItem* Chooser() {
    if (chooser_ == nullptr) chooser_ = Item(7);
    return chooser_;
  }
  bool Shown(short dialogItemNo) const { return IsControlVisible(ControlOf(dialogItemNo)); }
  bool Active(short dialogItemNo) const { return IsControlActive(ControlOf(dialogItemNo)); }

  cSp_ControlItem* chooser_ = nullptr;
};

TEST_F(ControlChangeItemGroupTest, PanelIsAppendedAfterTheDialogsItemsAndStartsHidden) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(CountDITL(Dialog()), kOwnItems + 3);
  EXPECT_EQ(one->GetBaseItemNum(), kOwnItems);
  EXPECT_EQ(one->GetItemCount(), 3);
  EXPECT_EQ(one->GetOutputNowFlag(), 0);
  // Coordinates of the resource (overlay), not moved by the append.
  const Rect first = ItemRect(kOwnItems + 1);
  EXPECT_EQ(first.top, 150);
  EXPECT_EQ(first.left, 180);
  for (short n : {8, 10}) {
    EXPECT_FALSE(Shown(n)) << n;
    EXPECT_FALSE(Active(n)) << n;
  }
  // The second panel is numbered after the first.
  cSp_ControlChangeOutputItemGroup* two = Chooser()->SetupChangeOutputItemDITL(2, 202, 0);
  EXPECT_EQ(two->GetBaseItemNum(), kOwnItems + 3);
  EXPECT_EQ(CountDITL(Dialog()), kOwnItems + 5);
  // Asking again for a group number gives the group there is; nothing more is appended.
  EXPECT_EQ(Chooser()->SetupChangeOutputItemDITL(1, 202, 0), one);
  EXPECT_EQ(Chooser()->GetChangeOutputItemDITLByGroupNo(3, 201, 0, 0), nullptr);
  EXPECT_EQ(CountDITL(Dialog()), kOwnItems + 5);
  EXPECT_EQ(Chooser()->IsChangeOutputItemContainer(), 1);
}

TEST_F(ControlChangeItemGroupTest, ChoosingAPanelHidesTheOldOneFirstAndSetsTheValue) {
  cSp_ControlItem* chooser = Chooser();
  cSp_ControlChangeOutputItemGroup* one = chooser->SetupChangeOutputItemDITL(1, 201, 0);
  cSp_ControlChangeOutputItemGroup* two = chooser->SetupChangeOutputItemDITL(2, 202, 0);
  for (cSp_ControlChangeOutputItemGroup* g : {one, two}) {
    g->SetupChangeToEnableOutputCallback(LogGroup, Name("show"));
    g->SetupChangeToDisableOutputCallback(LogGroup, Name("hide"));
  }

  EXPECT_EQ(chooser->EnableTargetOutputItem(1, 0), 1);
  EXPECT_EQ(chooser->GetCurrentChangeOutputGroup(), one);
  EXPECT_EQ(GetControlValue(ControlOf(7)), 1);
  EXPECT_TRUE(Shown(8) && Shown(10));
  EXPECT_TRUE(Active(8));
  EXPECT_FALSE(Shown(11));

  EXPECT_EQ(chooser->EnableTargetOutputItem(2, 0), 1);
  EXPECT_EQ(Log(), (Lines{"show1/0", "hide1/0", "show2/0"}));
  EXPECT_EQ(GetControlValue(ControlOf(7)), 2);
  EXPECT_FALSE(Shown(8) || Shown(10));
  EXPECT_FALSE(Active(8));
  EXPECT_TRUE(Shown(11) && Shown(12));
  EXPECT_EQ(one->GetOutputNowFlag(), 0);
  EXPECT_EQ(two->GetOutputNowFlag(), 1);

  // The panel shown now, chosen again: stays shown, no callback, the value is set again.
  SetControlValue(ControlOf(7), 5);
  Log().clear();
  EXPECT_EQ(chooser->EnableTargetOutputItem(2, 0), 1);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(GetControlValue(ControlOf(7)), 2);
  EXPECT_TRUE(Shown(11));

  // A group that does not exist is not made.
  EXPECT_EQ(chooser->EnableTargetOutputItem(9, 0), 0);
  EXPECT_EQ(chooser->GetCurrentChangeOutputGroup(), two);
}

TEST_F(ControlChangeItemGroupTest, ShowingShownOrHidingHiddenPanelDoesNothing) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  one->SetupChangeToEnableOutputCallback(LogGroup, Name("show"));
  one->SetupChangeToDisableOutputCallback(LogGroup, Name("hide"));
  one->DisableOutputItem();
  one->EnableOutputItem();
  one->EnableOutputItem();
  one->DisableOutputItem();
  one->DisableOutputItem();
  EXPECT_EQ(Log(), (Lines{"show1/0", "hide1/0"}));
}

TEST_F(ControlChangeItemGroupTest, PanelItemsHearHitsOnlyWhileShown) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  cSp_ControlItem* go = one->SetupDialogContorlItem(3);
  go->SetButtonOperationCompleatedProc(LogPlain, Name("go"));
  EXPECT_NE(SendHit(ControlOf(10)), noErr);
  EXPECT_EQ(Chooser()->GetChangeOutputItemFromRefNum(10), nullptr) << "no panel shown yet";
  for (int pass = 0; pass < 2; ++pass) {  // shown, hidden, and shown again
    Chooser()->EnableTargetOutputItem(1, 0);
    EXPECT_EQ(go->IsCarbonEventHandleInstalled(), 1);
    EXPECT_EQ(Chooser()->GetChangeOutputItemFromRefNum(10), go);
    EXPECT_EQ(SendHit(ControlOf(10)), noErr);
    one->DisableOutputItem();
    EXPECT_EQ(go->IsCarbonEventHandleInstalled(), 0);
    EXPECT_NE(SendHit(ControlOf(10)), noErr);
  }
  EXPECT_EQ(Log(), (Lines{"go(0)", "go(0)"}));
  // Items made while the panel shows never had a handler: hiding them is silent.
  one->EnableOutputItem();
  one->SetupDialogContorlItem(1);
  one->DisableOutputItem();
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ControlChangeItemGroupTest, EditTextIsCutBetweenCharactersAt255Bytes) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  char buffer[256];
  ASSERT_EQ(one->GetDialogEditItemText(2, buffer), 1);
  EXPECT_STREQ(buffer, "one");

  struct Case {
    const char* why;
    std::string text;
    std::string expected;
  };
  const std::string kanji = "\x89\xB9";  // one two-byte MacJapanese character
  std::string longAscii(300, 'a');
  std::string straddling = std::string(254, 'b') + kanji;  // the character would end at 256
  const Case cases[] = {
      {"short text as it is", "\x89\xB9\x8A\x79", "\x89\xB9\x8A\x79"},
      {"255 bytes stay", std::string(255, 'a'), std::string(255, 'a')},
      {"256 bytes cut to 255", std::string(256, 'a'), std::string(255, 'a')},
      {"long text cut to 255", longAscii, std::string(255, 'a')},
      {"no half character at the cut", straddling, std::string(254, 'b')},
  };
  for (const Case& c : cases) {
    one->SetupDialogEditItemText(2, c.text.c_str());
    std::memset(buffer, 0x55, sizeof(buffer));
    ASSERT_EQ(one->GetDialogEditItemText(2, buffer), 1);
    EXPECT_EQ(std::string(buffer), c.expected) << c.why;
  }

  one->SetupDialogEditItemText(2, nullptr);
  EXPECT_EQ(one->GetDialogEditItemText(2, nullptr), 0);
  EXPECT_TRUE(errors_.Has("cSp_ControlChangeOutputItemGroup::SetupDialogEditItemText", 1));
  EXPECT_TRUE(errors_.Has("cSp_ControlChangeOutputItemGroup::GetDialogEditItemText", 1));
}

TEST_F(ControlChangeItemGroupTest, FailedGroupAllocationIsReported) {
  cSp_ControlItem* chooser = Chooser();
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(chooser->SetupChangeOutputItemDITL(1, 201, 0), nullptr);
  EXPECT_TRUE(errors_.Has("cSp_ControlItem::SetupChangeOutputItemDITL", 2));
  EXPECT_EQ(Chooser()->IsChangeOutputItemContainer(), 0);
}

TEST_F(ControlChangeItemGroupTest, EmbeddingIntoAControllessItemIsReportedAndAMissingPanelIsEmpty) {
  ControlRef root = nullptr;
  CreateRootControl(Window()->GetWindowRef(), &root);
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  one->EmbedItemOnItem(1, 2);  // item 2 is edit text: no control to embed in
  EXPECT_TRUE(errors_.Has("cSp_ControlChangeOutputItemGroup::EmbedItemOnItem", 2));
  const std::size_t reports = errors_.Count();
  one->EmbedItemOnBaseControl(3);
  EXPECT_EQ(errors_.Count(), reports);
  ControlRef super = nullptr;
  ASSERT_EQ(GetSuperControl(ControlOf(10), &super), noErr);
  EXPECT_EQ(super, ControlOf(7));

  cSp_ControlChangeOutputItemGroup* none = Chooser()->SetupChangeOutputItemDITL(2, 299, 0);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->GetItemCount(), 0);
  EXPECT_EQ(CountDITL(Dialog()), kOwnItems + 3);
}

}  // namespace
