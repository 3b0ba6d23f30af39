// The dialog analyser: a snapshot of a dialog resource's layout.
//
// Windows that are built in code but laid out in a dialog editor take the size of their window
// and the place of their controls from a 'DLOG' and its item list: the analyser opens the dialog
// hidden, reads its content size and every item's number, type and rectangle, and disposes of
// it again inside the constructor. No window of the dialog is ever shown.
//
// Item rectangles are in the dialog's local coordinates, exactly as the item list gives them;
// item types are as the Dialog Manager reports them, the disabled flag (128) included.
#pragma once

#include <new>

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// One item of the snapshot.
class cDialogAnalyzeItem : public cSpListLinks<cDialogAnalyzeItem>, public cSpMacHeapObject {
 public:
  cDialogAnalyzeItem(short itemNo, short itemType, const Rect& rect);
  ~cDialogAnalyzeItem() {}
  cDialogAnalyzeItem(const cDialogAnalyzeItem&) = delete;
  cDialogAnalyzeItem& operator=(const cDialogAnalyzeItem&) = delete;

  // From this item on, the first with that number, or null.
  cDialogAnalyzeItem* SerchTargetItemByItemNo(short itemNo);
  // Each out-value may be null.
  void GetItemInfo(short* itemNo, short* itemType, Rect* rect) const;

 private:
  short itemNo_;
  short itemType_;
  Rect rect_;
};

class cDialogAnalyzor {
 public:
  // Takes the snapshot of dialog `dialogId`. A dialog that cannot be opened gives an empty
  // snapshot (size 0, no items).
  explicit cDialogAnalyzor(short dialogId);
  ~cDialogAnalyzor();
  cDialogAnalyzor(const cDialogAnalyzor&) = delete;
  cDialogAnalyzor& operator=(const cDialogAnalyzor&) = delete;

  short GetDialogResourceId() const { return dialogId_; }
  // 1 and the item's type and rectangle. 0 when the snapshot does not hold the item: then
  // each given out-value is cleared (type 0, all-zero rectangle); with no items at all they
  // are left untouched.
  unsigned char GetItemInfoByItemNo(short itemNo, short* itemType, Rect* rect);
  // The reading position goes back to the first item.
  void ResetReferenceItem();
  // 1 and the data of the item at the reading position, which moves on; 0 at the end. Each
  // out-value may be null.
  unsigned char GetItemInfoByReference(short* itemNo, short* itemType, Rect* rect);
  // The dialog's content size.
  void GetWindowSize(short& width, short& height) const;
  short GetWindowWidth() const { return windowWidth_; }
  short GetWindowHeight() const { return windowHeight_; }
  // The dialog's content rectangle in global coordinates, as the resource placed it.
  void GetWindowRect(Rect* rect) const;
  // Deletes every item; the snapshot is then empty.
  void WipeoutItem();

 private:
  short dialogId_ = 0;
  Rect windowRect_ = {0, 0, 0, 0};
  short windowWidth_ = 0;
  short windowHeight_ = 0;
  cDialogAnalyzeItem* head_ = nullptr;
  cDialogAnalyzeItem* tail_ = nullptr;
  cDialogAnalyzeItem* reference_ = nullptr;
};
