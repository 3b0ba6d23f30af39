// The dialog analyser's snapshot of a dialog resource, taken without showing the dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Dialogs.h"
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
resource 'DLOG' 300 { bounds 100, 120, 260, 420; procID 1; visible true; items 300; title "L" }
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

// The item's number, type and rectangle on one line.
std::string Item(short itemNo, short type, const Rect& r) {
  char line[64];
  std::snprintf(line, sizeof line, "%d: %d (%d,%d,%d,%d)", itemNo, type, r.top, r.left, r.bottom,
                r.right);
  return line;
}

class DialogAnalyzorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TearDown();
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
};

TEST_F(DialogAnalyzorTest, SnapshotHoldsEveryItemInOrderWithTypeAndLocalRectangle) {
  const struct {
    short dialog, width, height;  // the content size, not the frame's
    std::vector<std::string> items;
  } cases[] = {
      {300,
       300,
       160,
       {Item(1, kButtonDialogItem, {120, 210, 140, 280}),
        Item(2, kStaticTextDialogItem | kItemDisableBit, {10, 10, 30, 290}),
        Item(3, kEditTextDialogItem, {50, 10, 66, 200})}},
      // A user item does not cut the snapshot short.
      {301,
       200,
       100,
       {Item(1, kButtonDialogItem, {10, 10, 30, 80}), Item(2, kUserDialogItem, {40, 10, 80, 190}),
        Item(3, kButtonDialogItem, {60, 100, 80, 180})}},
  };
  for (const auto& c : cases) {
    cDialogAnalyzor snapshot(c.dialog);
    std::vector<std::string> byReference, byNumber;
    short itemNo = 0, type = -1;
    Rect rect{};
    while (snapshot.GetItemInfoByReference(&itemNo, &type, &rect)) {
      byReference.push_back(Item(itemNo, type, rect));
    }
    for (short n = 1; n <= 4 && snapshot.GetItemInfoByItemNo(n, &type, &rect); ++n) {
      byNumber.push_back(Item(n, type, rect));
    }
    EXPECT_EQ(byReference, c.items) << c.dialog;
    EXPECT_EQ(byNumber, c.items) << c.dialog;
    snapshot.ResetReferenceItem();
    EXPECT_EQ(snapshot.GetItemInfoByReference(&itemNo, nullptr, nullptr), 1);
    EXPECT_EQ(itemNo, 1) << "the reference starts again";
    EXPECT_EQ(snapshot.GetWindowWidth(), c.width);
    EXPECT_EQ(snapshot.GetWindowHeight(), c.height);
  }
}

TEST_F(DialogAnalyzorTest, SnapshotNeitherShowsNorLeavesAWindowNorTakesTheFront) {
  const Rect content = {80, 40, 280, 440};
  WindowRef document = NewCWindow(nullptr, &content, reinterpret_cast<ConstStr255Param>("\001D"),
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
