// The dialog analyser: opens a dialog hidden, records its layout and disposes of it again.
#include "SpDialogAnalyzor.h"

#include "Dialogs.h"
#include "MacMemory.h"
#include "MacWindows.h"
#include "SpStdDrawingFunction.h"

// ---- Items ----------------------------------------------------------------------------------

cDialogAnalyzeItem::cDialogAnalyzeItem(short itemNo, short itemType, const Rect& rect)
    : itemNo_(itemNo), itemType_(itemType), rect_(rect) {}

cDialogAnalyzeItem* cDialogAnalyzeItem::SerchTargetItemByItemNo(short itemNo) {
  for (cDialogAnalyzeItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->itemNo_ == itemNo) return item;
  }
  return nullptr;
}

void cDialogAnalyzeItem::GetItemInfo(short* itemNo, short* itemType, Rect* rect) const {
  if (itemNo != nullptr) *itemNo = itemNo_;
  if (itemType != nullptr) *itemType = itemType_;
  if (rect != nullptr) *rect = rect_;
}

// ---- The snapshot ---------------------------------------------------------------------------

cDialogAnalyzor::cDialogAnalyzor(short dialogId) : dialogId_(dialogId) {
  DialogRef dialog = GetNewDialog(dialogId, nullptr, reinterpret_cast<WindowRef>(-1));
  if (dialog == nullptr) return;
  WindowRef window = GetDialogWindow(dialog);
  // Hidden at once, whatever the resource asks: the snapshot is never seen.
  ShowHide(window, false);

  Sp_GetWindowSize(window, windowRect_);
  windowWidth_ = short(windowRect_.right - windowRect_.left);
  windowHeight_ = short(windowRect_.bottom - windowRect_.top);

  const DialogItemIndex count = CountDITL(dialog);
  for (DialogItemIndex n = 1; n <= count; ++n) {
    DialogItemType type = 0;
    Handle handle = nullptr;
    Rect rect = {0, 0, 0, 0};
    GetDialogItem(dialog, n, &type, &handle, &rect);
    // Walked by the item count, not until a type of 0: a user item has type 0, and the items
    // after it belong to the layout as much as those before.
    cDialogAnalyzeItem* item = new (std::nothrow) cDialogAnalyzeItem(n, type, rect);
    if (item == nullptr) break;  // a shorter snapshot rather than none
    if (head_ == nullptr) {
      head_ = item;
      reference_ = item;
    } else {
      tail_->LinkToNext(item);
    }
    tail_ = item;
  }
  DisposeDialog(dialog);
}

cDialogAnalyzor::~cDialogAnalyzor() {
  WipeoutItem();
}

unsigned char cDialogAnalyzor::GetItemInfoByItemNo(short itemNo, short* itemType, Rect* rect) {
  if (head_ == nullptr) return 0;
  cDialogAnalyzeItem* item = head_->SerchTargetItemByItemNo(itemNo);
  if (item == nullptr) {
    if (itemType != nullptr) *itemType = 0;
    if (rect != nullptr) *rect = Rect{0, 0, 0, 0};
    return 0;
  }
  item->GetItemInfo(nullptr, itemType, rect);
  return 1;
}

void cDialogAnalyzor::ResetReferenceItem() {
  reference_ = head_;
}

unsigned char cDialogAnalyzor::GetItemInfoByReference(short* itemNo, short* itemType, Rect* rect) {
  if (reference_ == nullptr) return 0;
  reference_->GetItemInfo(itemNo, itemType, rect);
  reference_ = reference_->GetNextObjectPtr();
  return 1;
}

void cDialogAnalyzor::GetWindowSize(short& width, short& height) const {
  width = windowWidth_;
  height = windowHeight_;
}

void cDialogAnalyzor::GetWindowRect(Rect* rect) const {
  if (rect != nullptr) *rect = windowRect_;
}

void cDialogAnalyzor::WipeoutItem() {
  cDialogAnalyzeItem* item = head_;
  while (item != nullptr) {
    cDialogAnalyzeItem* next = item->GetNextObjectPtr();
    delete item;
    item = next;
  }
  head_ = nullptr;
  tail_ = nullptr;
  reference_ = nullptr;
}
