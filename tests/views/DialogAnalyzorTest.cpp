// The dialog analyser's snapshot of a dialog resource, taken without showing the dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Dialogs.h"
#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpDialogAnalyzor.h"
#include "SpTesting.h"
#include "TestEvents.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

// Dialog 300 (visible in its resource, so hiding it is the analyser's doing): a button, a
// disabled static text, an edit text. Dialog 301 has a user item between two buttons.
const char kSource[] = R"(
resource 'DLOG' 300 {
  bounds 100, 120, 260, 420; procID 1; visible true; items 300; title "Layout"
}
resource 'DITL' 300 {
  button 120, 210, 140, 280 { text "OK" }
  staticText 10, 10, 30, 290 { text "Message"; disabled }
  editText 50, 10, 66, 200 { text "" }
}
resource 'DLOG' 301 { bounds 50, 50, 150, 250; items 301 }
resource 'DITL' 301 {
  button 10, 10, 30, 80 { text "A" }
  userItem 40, 10, 80, 190
  button 60, 100, 80, 180 { text "B" }
}
)";

struct Expected {
  short itemNo;
  short type;
  Rect rect;
};

bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

class DialogAnalyzorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    std::vector<UInt8> bytes;
    std::string error;
    ASSERT_TRUE(sp_testing::CompileResourceSource(kSource, ".", &bytes, &error)) << error;
    ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
  }
  void TearDown() override {
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::ResetEvents();
  }
  ErrorLogCapture log_;
};

TEST_F(DialogAnalyzorTest, SnapshotHoldsEveryItemInOrderWithTypeAndLocalRectangle) {
  cDialogAnalyzor snapshot(300);
  const Expected expected[] = {
      {1, kButtonDialogItem, {120, 210, 140, 280}},
      {2, kStaticTextDialogItem | kItemDisableBit, {10, 10, 30, 290}},
      {3, kEditTextDialogItem, {50, 10, 66, 200}},
  };
  for (const Expected& e : expected) {
    short itemNo = 0, type = -1;
    Rect rect = {0, 0, 0, 0};
    ASSERT_EQ(snapshot.GetItemInfoByReference(&itemNo, &type, &rect), 1) << e.itemNo;
    EXPECT_EQ(itemNo, e.itemNo);
    EXPECT_EQ(type, e.type) << e.itemNo;
    EXPECT_TRUE(SameRect(rect, e.rect)) << e.itemNo;

    short byNumber = -1;
    Rect rectByNumber = {0, 0, 0, 0};
    EXPECT_EQ(snapshot.GetItemInfoByItemNo(e.itemNo, &byNumber, &rectByNumber), 1);
    EXPECT_EQ(byNumber, e.type);
    EXPECT_TRUE(SameRect(rectByNumber, e.rect));
  }
  EXPECT_EQ(snapshot.GetItemInfoByReference(nullptr, nullptr, nullptr), 0) << "end of list";

  snapshot.ResetReferenceItem();
  short first = 0;
  EXPECT_EQ(snapshot.GetItemInfoByReference(&first, nullptr, nullptr), 1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(snapshot.GetWindowWidth(), 300) << "the content size, not the frame's";
  EXPECT_EQ(snapshot.GetWindowHeight(), 160);
}

TEST_F(DialogAnalyzorTest, UserItemDoesNotCutTheSnapshotShort) {
  cDialogAnalyzor snapshot(301);
  short type = -1;
  Rect rect = {0, 0, 0, 0};
  ASSERT_EQ(snapshot.GetItemInfoByItemNo(2, &type, &rect), 1);
  EXPECT_EQ(type, kUserDialogItem);
  ASSERT_EQ(snapshot.GetItemInfoByItemNo(3, &type, &rect), 1);
  EXPECT_EQ(type, kButtonDialogItem);
  EXPECT_TRUE(SameRect(rect, Rect{60, 100, 80, 180}));
}

TEST_F(DialogAnalyzorTest, SnapshotNeitherShowsNorLeavesAWindowNorTakesTheFront) {
  const Rect content = {80, 40, 280, 440};
  WindowRef document = NewCWindow(nullptr, &content,
                                  reinterpret_cast<ConstStr255Param>("\x03"
                                                                     "Doc"),
                                  true, documentProc, reinterpret_cast<WindowRef>(-1), true, 0);
  ASSERT_NE(document, nullptr);
  SelectWindow(document);
  sp_testing::PumpUntilIdle();
  const std::vector<WindowRef> before = sp_testing::WindowList();
  {
    cDialogAnalyzor snapshot(300);
    EXPECT_EQ(sp_testing::VisibleWindows(), std::vector<WindowRef>{document});
  }
  EXPECT_EQ(sp_testing::WindowList(), before);
  EXPECT_TRUE(IsWindowHilited(document));
  EXPECT_EQ(FrontWindow(), document);
}

}  // namespace
