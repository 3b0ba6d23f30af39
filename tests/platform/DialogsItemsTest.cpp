// Dialog Manager: dialogs from resources, item lists, appending to them, item text, and
// dialogs that cannot be made whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "Resources.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

const char kItemsSource[] = R"(
resource 'DLOG' 9100 { bounds 100, 100, 300, 500; procID documentProc; items 9100; title "Items" }
resource 'DITL' 9100 {
  button 160, 300, 180, 380 { text "OK" }
  button 160, 200, 180, 280 { text "キャンセル" }
  checkBox 10, 10, 30, 150 { text "Check" }
  radioButton 40, 10, 60, 150 { text "Radio"; disabled }
  control 70, 10, 90, 150 { id 9100 }
  staticText 10, 200, 30, 380 { text "静的な文" }
  editText 40, 200, 56, 380 { text "abc" }
  icon 100, 10, 132, 42 { id 9071 }
  picture 100, 60, 140, 120 { id 9070 }
  userItem 100, 200, 140, 380 { disabled }
}
resource 'CNTL' 9100 { bounds 0, 0, 20, 100; max 1; procID checkBoxProc; title "From a resource" }
)";

class DialogsItems : public UiTest {
 protected:
  // The dialog of kItemsSource, not shown.
  static DialogRef Items() {
    UseResources(kItemsSource);
    DialogRef dialog = GetNewDialog(9100, nullptr, nullptr);
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }
};

TEST_F(DialogsItems, ItemListGivesEachItemItsKindRectangleAndHandle) {
  DialogRef dialog = Items();
  ASSERT_EQ(CountDITL(dialog), 10);
  EXPECT_EQ(GetDialogFromWindow(GetDialogWindow(dialog)), dialog);
  EXPECT_EQ(GetWindowKind(GetDialogWindow(dialog)), kDialogWindowKind);
  const struct Expected {
    DialogItemType type;
    Rect rect;
    OSType controlKind;  // 0: no control
  } expected[] = {
      {kButtonDialogItem, {160, 300, 180, 380}, kControlKindPushButton},
      {kButtonDialogItem, {160, 200, 180, 280}, kControlKindPushButton},
      {kCheckBoxDialogItem, {10, 10, 30, 150}, kControlKindCheckBox},
      // A disabled item keeps the flag in its type.
      {kRadioButtonDialogItem | itemDisable, {40, 10, 60, 150}, kControlKindRadioButton},
      {kResourceControlDialogItem, {70, 10, 90, 150}, kControlKindCheckBox},
      {kStaticTextDialogItem, {10, 200, 30, 380}, 0},
      {kEditTextDialogItem, {40, 200, 56, 380}, 0},
      {kIconDialogItem, {100, 10, 132, 42}, 0},
      {kPictureDialogItem, {100, 60, 140, 120}, 0},
      {kUserDialogItem | itemDisable, {100, 200, 140, 380}, 0},
  };
  for (DialogItemIndex n = 1; n <= 10; ++n) {
    const Expected& e = expected[n - 1];
    SCOPED_TRACE(n);
    DialogItemType type = -1;
    Handle handle = reinterpret_cast<Handle>(1);
    Rect box = {0, 0, 0, 0}, bounds = {0, 0, 0, 0};
    GetDialogItem(dialog, n, &type, &handle, &box);
    EXPECT_EQ(type, e.type);
    EXPECT_TRUE(Same(box, e.rect));
    ControlRef control = nullptr;
    ControlKind kind = {0, 0};
    EXPECT_EQ(GetDialogItemAsControl(dialog, n, &control),
              e.controlKind ? OSErr(noErr) : OSErr(errItemNotControl));
    GetControlKind(control, &kind);
    EXPECT_EQ(kind.kind, e.controlKind);
    if (control == nullptr) continue;
    EXPECT_EQ(reinterpret_cast<Handle>(control), handle);
    EXPECT_TRUE(Same(*GetControlBounds(control, &bounds), e.rect)) << "on its item";
  }
  Str255 title;
  GetControlTitle(ItemControl(dialog, 2), title);
  EXPECT_EQ(PText(title), SJ("キャンセル"));
  GetControlTitle(ItemControl(dialog, 5), title);
  EXPECT_EQ(PText(title), "From a resource");
  EXPECT_EQ(sp_testing::DialogItemText(dialog, 6), SJ("静的な文"));
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), 7) << "the first edit-text item has the focus";
  EXPECT_EQ(sp_testing::DialogSelection(dialog).start, 3);

  // Numbers outside the list are refused; GetDialogItem leaves its outputs alone past the end.
  ControlRef control = reinterpret_cast<ControlRef>(1);
  EXPECT_EQ(GetDialogItemAsControl(dialog, 0, &control), paramErr);
  EXPECT_EQ(control, nullptr);
  EXPECT_EQ(GetDialogItemAsControl(dialog, 11, &control), paramErr);
  EXPECT_EQ(GetDialogItemAsControl(dialog, 1, nullptr), paramErr);
  DialogItemType type = 0;
  GetDialogItem(dialog, 11, &type, nullptr, nullptr);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(SetDialogDefaultItem(dialog, 11), paramErr);
  EXPECT_EQ(SetDialogDefaultItem(dialog, 10), noErr);
  EXPECT_EQ(SetDialogCancelItem(dialog, -1), paramErr);
  EXPECT_EQ(CountDITL(nullptr), 0);
  EXPECT_EQ(GetDialogKeyboardFocusItem(nullptr), -1);
}

// 'DITL' bytes: the count minus one, then the items as given (raw).
struct RawItem {
  UInt8 type;
  std::vector<UInt8> data;  // after the length byte
  UInt8 length;             // the length byte as written
  bool pad;                 // the padding byte after odd data
};

std::vector<UInt8> DitlBytes(UInt16 countMinusOne, const std::vector<RawItem>& items) {
  sp::ByteWriter w;
  w.BE16(countMinusOne);
  for (const RawItem& item : items) {
    w.BE32(0);
    for (UInt16 v : {10, 10, 30, 90}) w.BE16(v);
    w.U8(item.type);
    w.U8(item.length);
    w.Bytes(item.data.data(), item.data.size());
    if (item.pad) w.U8(0);
  }
  return w.Data();
}

TEST_F(DialogsItems, DamagedItemListsAreRefusedWhole) {
  const RawItem ok = {kButtonDialogItem, {'O', 'K'}, 2, false};
  const RawItem odd = {kStaticTextDialogItem, {'a', 'b', 'c'}, 3, true};
  const RawItem oddUnpadded = {kStaticTextDialogItem, {'a', 'b', 'c'}, 3, false};
  const RawItem shortData = {kStaticTextDialogItem, {'a', 'b', 'c'}, 10, false};
  const RawItem onePast = {kStaticTextDialogItem, {'a', 'b', 'c'}, 4, false};
  std::vector<UInt8> cutInRect = DitlBytes(0, {ok});
  cutInRect.resize(2 + 4 + 5);
  struct Case {
    std::vector<UInt8> bytes;
    SInt16 items;  // -1: refused
    const char* why;
  } cases[] = {
      {DitlBytes(0, {ok}), 1, "one button"},
      {DitlBytes(1, {odd, ok}), 2, "odd text padded to an even length"},
      {DitlBytes(1, {ok, oddUnpadded}), 2, "the last item's padding byte may be missing"},
      {DitlBytes(1, {oddUnpadded, ok}), -1, "a missing padding byte inside the list shifts it"},
      {DitlBytes(0, {shortData}), -1, "the data's length runs past the end"},
      {DitlBytes(0, {onePast}), -1, "the data's length one byte past the end"},
      {DitlBytes(2, {ok}), -1, "the count promises more items than there are"},
      {cutInRect, -1, "the list ends inside a rectangle"},
      {std::vector<UInt8>{0x00}, -1, "not even a count"},
      {std::vector<UInt8>(), -1, "no bytes"},
  };
  Rect bounds = {100, 100, 200, 300};
  const PStr none("");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Handle items = nullptr;
    ASSERT_EQ(PtrToHand(c.bytes.data(), &items, Size(c.bytes.size())), noErr);
    DialogRef dialog = NewDialog(nullptr, &bounds, none, false, 0, nullptr, false, 0, items);
    EXPECT_EQ(dialog ? CountDITL(dialog) : -1, c.items);
    // The handle stays the caller's: the dialog copied what it needed.
    EXPECT_EQ(GetHandleSize(items), Size(c.bytes.size()));
    // AppendDITL takes the same list or nothing.
    DialogRef base = NewDialog(nullptr, &bounds, none, false, 0, nullptr, false, 0, nullptr);
    AppendDITL(base, items, overlayDITL);
    EXPECT_EQ(CountDITL(base), c.items < 0 ? 0 : c.items);
    DisposeDialog(base);
    if (dialog != nullptr) DisposeDialog(dialog);
    DisposeHandle(items);
  }

  // A 'DLOG' whose title runs past its end, or whose 'DITL' is missing, gives no dialog.
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("DITL"), 9120, DitlBytes(0, {ok})), noErr);
  sp::ByteWriter dlog;
  for (SInt16 v : {100, 100, 200, 300, 0}) dlog.BE16(UInt16(v));
  for (UInt8 b : {1, 0, 0, 0}) dlog.U8(b);
  dlog.BE32(0);
  dlog.BE16(9120);
  std::vector<UInt8> good = dlog.Data(), titleCut = dlog.Data();
  good.push_back(0);  // empty title; no position word: the resource's own bounds
  titleCut.insert(titleCut.end(), {20, 'A'});  // a title of 20 bytes that are not there
  std::vector<UInt8> missingList = good;
  missingList[19] = 0xA3;  // items 9123: no such 'DITL'
  for (auto [id, bytes] : {std::pair{9120, good}, {9121, titleCut}, {9122, missingList}}) {
    ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("DLOG"), SInt16(id), bytes), noErr);
  }
  DialogRef dialog = GetNewDialog(9120, nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(GetDialogWindow(dialog)));
  EXPECT_TRUE(Same(Bounds(GetDialogWindow(dialog)), R(100, 100, 200, 300)));
  for (SInt16 id : {9121, 9122, 9199}) EXPECT_EQ(GetNewDialog(id, nullptr, nullptr), nullptr) << id;
}

// A dialog holds at most 0x7FFF items: a list of that many is taken, one more is refused, and
// a list appended to a dialog is taken only while the whole stays within the limit.
TEST_F(DialogsItems, ItemListsAreTakenUpToTheItemLimitAndRefusedPastIt) {
  const RawItem user = {kUserDialogItem, {}, 0, false};
  const struct {
    std::size_t first, appended;
    SInt16 items;  // -1: no dialog
    const char* why;
  } cases[] = {
      {0x7FFF, 0, 0x7FFF, "as many items as a dialog holds"},
      {0x8000, 0, -1, "one item more"},
      {0x7FFE, 1, 0x7FFF, "an appended item that reaches the limit"},
      {0x7FFE, 2, 0x7FFE, "an appended list that would pass it is not taken"},
  };
  const Rect bounds = {100, 100, 200, 300};
  const PStr none("");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::vector<UInt8> first = DitlBytes(UInt16(c.first - 1), std::vector<RawItem>(c.first, user));
    Handle items = nullptr;
    ASSERT_EQ(PtrToHand(first.data(), &items, Size(first.size())), noErr);
    DialogRef dialog = NewDialog(nullptr, &bounds, none, false, 0, nullptr, false, 0, items);
    DisposeHandle(items);
    if (dialog != nullptr && c.appended > 0) {
      const std::vector<UInt8> more =
          DitlBytes(UInt16(c.appended - 1), std::vector<RawItem>(c.appended, user));
      ASSERT_EQ(PtrToHand(more.data(), &items, Size(more.size())), noErr);
      AppendDITL(dialog, items, appendDITLBottom);
      DisposeHandle(items);
    }
    EXPECT_EQ(dialog != nullptr ? CountDITL(dialog) : -1, c.items);
    if (dialog != nullptr) DisposeDialog(dialog);
  }
}

TEST_F(DialogsItems, AppendedItemsAreNumberedAfterTheOthersAndPlacedByTheMethod) {
  UseResources(R"(
resource 'DLOG' 9110 { bounds 100, 100, 200, 300; procID documentProc; items 9110 }
resource 'DITL' 9110 { staticText 10, 10, 30, 190 { text "base" } }
resource 'DITL' 9111 {
  button 10, 10, 30, 80 { text "More" }
  editText 40, 10, 56, 150 { text "new" }
}
)");
  struct Case {
    DITLMethod method;
    Rect button, edit;
    SInt16 width, height;
    const char* why;
  } cases[] = {
      {overlayDITL, {10, 10, 30, 80}, {40, 10, 56, 150}, 200, 100, "overlay keeps coordinates"},
      {appendDITLRight, {10, 210, 30, 280}, {40, 210, 56, 350}, 350, 100, "right; it widens"},
      {appendDITLBottom, {110, 10, 130, 80}, {140, 10, 156, 150}, 200, 156, "below; it grows"},
      {-1, {20, 20, 40, 90}, {50, 20, 66, 160}, 200, 100, "relative to item 1's top-left"},
  };
  Handle ditl = GetResource(SpFourCC("DITL"), 9111);
  ASSERT_NE(ditl, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DialogRef dialog = GetNewDialog(9110, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), -1);
    AppendDITL(dialog, ditl, c.method);
    ASSERT_EQ(CountDITL(dialog), 3);
    Rect bounds, port;
    EXPECT_TRUE(Same(ItemRect(dialog, 2), c.button));
    EXPECT_TRUE(Same(ItemRect(dialog, 3), c.edit));
    EXPECT_TRUE(Same(*GetControlBounds(ItemControl(dialog, 2), &bounds), c.button));
    GetWindowPortBounds(GetDialogWindow(dialog), &port);
    EXPECT_TRUE(Same(port, R(0, 0, c.height, c.width)));
    EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), 3) << "the appended field takes the free focus";
    // A second list goes on counting; a focus already given stays.
    AppendDITL(dialog, ditl, overlayDITL);
    ASSERT_EQ(CountDITL(dialog), 5);
    EXPECT_EQ(sp_testing::DialogItemText(dialog, 5), "new");
    EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), 3);
    DisposeDialog(dialog);
  }
}

TEST_F(DialogsItems, ItemTextGoesThroughTheItemsHandle) {
  DialogRef dialog = Items();
  Handle text = nullptr;
  GetDialogItem(dialog, 6, nullptr, &text, nullptr);
  ASSERT_NE(text, nullptr);
  const std::string japanese = SJ("日本語のメッセージ");
  SetDialogItemText(text, PStr(japanese));
  Str255 back;
  GetDialogItemText(text, back);
  EXPECT_EQ(PText(back), japanese);

  // A handle that is no item's reads as the empty text and takes no text.
  Handle foreign = NewHandle(4);
  GetDialogItemText(foreign, back);
  EXPECT_EQ(back[0], 0);
  SetDialogItemText(foreign, PStr(japanese));
  EXPECT_EQ(GetHandleSize(foreign), 4);
  DisposeHandle(foreign);

  // The focused field's caret goes to the end of a text set from outside.
  Handle field = nullptr;
  GetDialogItem(dialog, 7, nullptr, &field, nullptr);
  SetDialogItemText(field, PStr(japanese));
  GetDialogItemText(field, back);
  EXPECT_EQ(PText(back), japanese);
  EXPECT_EQ(sp_testing::DialogSelection(dialog).start, SInt32(japanese.size()));
  EXPECT_EQ(sp_testing::DialogSelection(dialog).end, SInt32(japanese.size()));
}

TEST_F(DialogsItems, RunningOutOfMemoryGivesNoDialogAndLeavesNothingBehind) {
  UseResources(kItemsSource);
  ASSERT_NE(GetResource(SpFourCC("DLOG"), 9100), nullptr);
  ASSERT_NE(GetResource(SpFourCC("DITL"), 9100), nullptr);
  int refused = 0;
  for (UInt32 n = 1; n <= 40; ++n) {
    sp_testing::FailNthAllocation(n);
    DialogRef dialog = GetNewDialog(9100, nullptr, nullptr);
    sp_testing::FailNthAllocation(0);
    refused += dialog == nullptr;
    EXPECT_EQ(sp_testing::WindowList().size(), dialog ? 1u : 0u) << "no window left over, n " << n;
    EXPECT_EQ(dialog ? CountDITL(dialog) : 10, 10) << "a dialog is whole or not at all, n " << n;
    if (dialog) DisposeDialog(dialog);
  }
  EXPECT_GT(refused, 0);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());

  // A field that cannot grow keeps its text.
  DialogRef dialog = GetNewDialog(9100, nullptr, nullptr);
  sp_testing::SetClipboardText(std::string(200, 'x'));
  sp_testing::LimitAllocationSize(100);
  DialogPaste(dialog);
  sp_testing::LimitAllocationSize(0);
  EXPECT_EQ(sp_testing::DialogItemText(dialog, 7), "abc");
  // The window disposed of under the dialog leaves no dialog.
  WindowRef window = GetDialogWindow(dialog);
  DisposeWindow(window);
  EXPECT_EQ(GetDialogFromWindow(window), nullptr);
  EXPECT_EQ(CountDITL(dialog), 0);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
}

}  // namespace
}  // namespace ui_test
