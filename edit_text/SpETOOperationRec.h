// Undo records of an edit-text object.
//
// Every change to the text is recorded so that it can be taken back and done again, on three
// levels: the manager (one per object) keeps a list of steps; a step is what one undo command
// takes back (a typed word, one paste, one attribute change); a step holds items, each one
// primitive change (text put in, text deleted, an attribute changed) with the text it touched
// and that text's style runs as they were before the change.
//
// The current step is the last one done: undo takes it back, and the steps after it are those
// redo can do again. No current step with steps in the list means every step was undone. A new
// step drops the steps after the current one, and the oldest steps go once there are more than
// the maximum. The manager tells its owner when undo or redo becomes possible or impossible
// through four callbacks.
//
// Positions are absolute byte positions in the object's text, line breaks counted.
//
// Failures beep and leave one error-log record (source "SpETOOperationRec", the manager
// "SpETOOperationRecMgrObj").
#pragma once

#include <new>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpCollectionObject.h"
#include "SpETOTextLineObject.h"
#include "SpETOTextStyleRunObject.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// The type of a step and of an item. Items are only of the types delete, text in and 7 to 12;
// steps of types 3 to 6 hold delete and text-in items.
typedef UInt8 tETOOperationRecType;
enum : tETOOperationRecType {
  kETOOperationDelete = 1,
  kETOOperationTextIn = 2,
  kETOOperationCut = 3,
  kETOOperationPaste = 4,
  kETOOperationDragMove = 5,
  kETOOperationDrop = 6,
  kETOOperationStyle = 7,
  kETOOperationFont = 8,
  kETOOperationSize = 9,
  kETOOperationCase = 10,
  kETOOperationColor = 11,
  kETOOperationHorizontalPosition = 12,
};

class cETOOperationRecMgr;
typedef void (*tETOOperationRecCallBack)(cETOOperationRecMgr* manager, unsigned long refCon);

// One primitive change.
class cETOOperationRecItem : public cSpListLinks<cETOOperationRecItem>, public cSpMacHeapObject {
 public:
  explicit cETOOperationRecItem(tETOOperationRecType type);
  ~cETOOperationRecItem();
  cETOOperationRecItem(const cETOOperationRecItem&) = delete;
  cETOOperationRecItem& operator=(const cETOOperationRecItem&) = delete;

  tETOOperationRecType GetOperationType() const { return type_; }
  SInt32 GetStartCharBytePosition() const { return start_; }
  void SetupStartPosition(SInt32 start) { start_ = start; }
  void SetupLength(SInt32 length) { length_ = length; }
  SInt32 GetTargetCharByteLength() const { return length_; }
  cTextStyleRunObject* GetStyleRunListHeadPtr() const { return head_; }
  sSO_StringObjectBase* GetTargetStringObjectPtr() const { return text_; }
  SInt16 GetFontID() const { return fontId_; }
  void SetupFontID(SInt16 font) { fontId_ = font; }
  SInt16 GetTextSize() const { return size_; }
  void SetupTextSize(SInt16 size) { size_ = size; }
  unsigned char GetModifyStyleInfo() const { return style_; }
  void SetupStyleInfo(unsigned char style) { style_ = style; }
  // A face set outright (every flag given its value) rather than toggled: redo must repeat
  // the same kind of change.
  unsigned char GetStyleSetFlag() const { return styleSet_; }
  void SetupStyleSetFlag(unsigned char set) { styleSet_ = set; }
  tETO_ModifyTextCodeProcType GetModifyTextCodeProcType() const { return caseKind_; }
  void SetupModifyTextCodeProcType(tETO_ModifyTextCodeProcType kind) { caseKind_ = kind; }
  void GetModifyColor(RGBColor& color, SInt16& colorShort) const {
    color = color_;
    colorShort = colorShort_;
  }
  void SetupModifyColor(const RGBColor& color, SInt16 colorShort) {
    color_ = color;
    colorShort_ = colorShort;
  }
  tPositionType GetLineHolizontalPosit() const { return position_; }
  void SetupLineHolizontalPosition(tPositionType position) { position_ = position; }
  cSp_uLongCollection* GetTargetLineOldHolizontalPositionList() const { return oldPositions_; }
  // Takes a copy of the list (none for null).
  void SetupTargetLineOldHolizontalPositionList(const cSp_uLongCollection* list);

  // The number of items from this one to the end of its list.
  SInt16 GetRecItemNumInList();
  // Where the change ends: start + length for text put in, start otherwise.
  SInt32 GetLastCharactorPosition() const;
  // A fresh copy of the runs; the caller owns it.
  cTextStyleRunObject* GetDuplicatedRunList() const;
  // The text with two zero bytes after it; overflow when the buffer holds 2 bytes or less or
  // the text is longer than size - 2 (nothing is copied then).
  void GetTargetString(char* buffer, SInt32 size, unsigned char& overflow) const;
  // The text and its runs as a run set (a copy).
  void GetTargetStringRunSet(cSp_RunSet& out) const;
  // Replaces, appends (equal runs at the seam joined) or puts in front a copy of the run set's
  // text and runs; the length becomes the text's length. False when memory ran out (the item
  // then holds what it held before).
  bool SetupTargetStringRunSet(cSp_RunSet& runSet);
  bool AppendTargetStringRunSet(cSp_RunSet& runSet);
  bool InsertTargetStringRunListOnTop(cSp_RunSet& runSet);
  void InitializeTargetStringRunList();
  // Joins neighbouring text runs of equal style whatever their kinds of character: an
  // attribute change is taken back from the styles and lengths alone, and a megabyte of
  // Japanese text changes kind of character every few bytes.
  void JoinRunsOfEqualStyle();
  // Bytes held by the item, its text and runs (for the memory the history takes).
  SInt32 GetRecordMemorySize() const;

 private:
  tETOOperationRecType type_;
  SInt32 start_ = 0;
  SInt32 length_ = 0;
  sSO_StringObjectBase* text_ = nullptr;
  cTextStyleRunObject* head_ = nullptr;
  cTextStyleRunObject* tail_ = nullptr;
  SInt16 fontId_ = 0;
  SInt16 size_ = 0;
  unsigned char style_ = 0;
  unsigned char styleSet_ = 0;
  tETO_ModifyTextCodeProcType caseKind_ = 0;
  RGBColor color_{0, 0, 0};
  SInt16 colorShort_ = 2;
  tPositionType position_ = kSpPositionLeft;
  cSp_uLongCollection* oldPositions_ = nullptr;
};

// One undo step: the items one undo command takes back.
class cETOOperationRecTerm : public cSpListLinks<cETOOperationRecTerm>, public cSpMacHeapObject {
 public:
  explicit cETOOperationRecTerm(tETOOperationRecType type) : type_(type) {}
  ~cETOOperationRecTerm();
  cETOOperationRecTerm(const cETOOperationRecTerm&) = delete;
  cETOOperationRecTerm& operator=(const cETOOperationRecTerm&) = delete;

  unsigned char GetDecideFlag() const { return decided_; }
  // Closes the step: it takes nothing more.
  void DecideOperation() { decided_ = 1; }
  tETOOperationRecType GetOperationType() const { return type_; }
  cETOOperationRecItem* GetOperationItemListHead() const { return head_; }
  cETOOperationRecItem* GetOperationItemListLast() const { return tail_; }
  // The number of steps from this one to the end of the list.
  SInt32 GetOperationTermNumInList();
  SInt32 GetContainRecItemNum() const;

  // Appends a new item; null when memory ran out.
  cETOOperationRecItem* CreateNewOperationItem(tETOOperationRecType type);
  // Text put in at position: joins the last item when that is a text-in item ending there, so
  // a word typed key by key is one item.
  bool RecordWithTextIn(SInt32 position, cSp_RunSet& runSet);
  // Text deleted before the caret at position (the caret's new place): joins the last item
  // when that is a delete item starting where this text ends, so a run of Backspaces is one
  // item holding the removed text in text order.
  bool RecordWithDelete(SInt32 position, cSp_RunSet& runSet);
  // Text deleted after the caret at position (forward delete): joins the last item when that
  // is a delete item starting at the same position, the text put after what it holds.
  bool RecordWithForwardDelete(SInt32 position, cSp_RunSet& runSet);
  // An attribute change over the run set's text at position: the text and its runs before
  // the change, and the value applied.
  bool RecordWithModeFontId(SInt32 position, cSp_RunSet& oldText, SInt16 font);
  bool RecordWithModeSize(SInt32 position, cSp_RunSet& oldText, SInt16 size);
  bool RecordWithStyle(SInt32 position, cSp_RunSet& oldText, unsigned char style);
  bool RecordWithModTextProc(SInt32 position, cSp_RunSet& oldText,
                             tETO_ModifyTextCodeProcType kind);
  bool RecordWithTextColor(SInt32 position, cSp_RunSet& oldText, const RGBColor& color,
                           SInt16 colorShort);
  // An alignment change of the lines from the one holding position: their old types in order.
  bool RecordWithLineHolizontalPosit(SInt32 position, const cSp_uLongCollection* oldPositions,
                                     tPositionType position2);

  // The last item's end position; 0 without items.
  SInt32 GetTotalProcLastCursorPosition() const;
  // True without items, else whether the last item ends at position.
  bool CheckTargetPosition(SInt32 position) const;
  // The selection to show after undo and after redo; false when the step gives none.
  bool GetUnDoSelectionPosition(SInt32& start, SInt32& end) const;
  bool GetReDoSelectionPosition(SInt32& start, SInt32& end) const;
  SInt32 GetRecordMemorySize() const;

 private:
  cETOOperationRecItem* NewAttributeItem(tETOOperationRecType type, SInt32 position,
                                         cSp_RunSet& oldText);
  // The moved text of a move by drag: the text-in item's length put at the delete item's
  // place.
  bool MoveSelection(SInt32& start, SInt32& end) const;

  tETOOperationRecType type_;
  unsigned char decided_ = 0;
  cETOOperationRecItem* head_ = nullptr;
  cETOOperationRecItem* tail_ = nullptr;
};

// The list of steps of one edit-text object.
class cETOOperationRecMgr : public cSpMacHeapObject {
 public:
  explicit cETOOperationRecMgr(SInt16 maximum) : maximum_(maximum) {}
  ~cETOOperationRecMgr();
  cETOOperationRecMgr(const cETOOperationRecMgr&) = delete;
  cETOOperationRecMgr& operator=(const cETOOperationRecMgr&) = delete;

  // A new maximum, the list trimmed to it at once.
  void SetupStockRecTermNumMax(SInt16 maximum);
  SInt16 GetStockRecTermNumMax() const { return maximum_; }
  // Opens a new step after the current one (the steps that redo could do again go); null
  // when the maximum is 0 or memory ran out.
  cETOOperationRecTerm* CreateNewOperationTerm(tETOOperationRecType type);
  // The open text-in step that ends at position, else a new text-in step.
  cETOOperationRecTerm* GetOperationTermForTextIn(SInt32 position);
  cETOOperationRecTerm* GetCurrentTerm() const { return current_; }
  cETOOperationRecTerm* GetOperationTermListHeadPtr() const { return head_; }
  cETOOperationRecTerm* GetOperationTermListLastPtr() const { return tail_; }
  // The step redo would do: the one after the current one, or the first when none is.
  cETOOperationRecTerm* GetReDoTerm() const;
  SInt16 GetOperationTermCount() const { return count_; }

  unsigned char ExistUnDoOperationRecord() const { return current_ != nullptr ? 1 : 0; }
  unsigned char ExistReDoOperationRecord() const;
  SInt32 GetUnDoOperationRecordCount() const;
  SInt32 GetReDoOperationRecordCount() const;
  // After an undo: the current step becomes its predecessor. 0 when there was none.
  SInt32 ExecMoveBackOperation();
  // After a redo: the next step (the first with no current one) becomes current. 0 when
  // there was none.
  SInt32 ExecMoveFowerdOperation();
  // Deletes every step; with callbacks the owner hears that undo and redo went.
  void ClearAllOperationRecord(unsigned char callbacks);
  // Bytes the whole history holds.
  SInt32 GetRecordMemorySize() const;

  void SetupUnDoExistInCallBack(tETOOperationRecCallBack proc, unsigned long refCon);
  void SetupUnDoExistOutCallBack(tETOOperationRecCallBack proc, unsigned long refCon);
  void SetupReDoExistInCallBack(tETOOperationRecCallBack proc, unsigned long refCon);
  void SetupReDoExistOutCallBack(tETOOperationRecCallBack proc, unsigned long refCon);
  void ExecUnDoExistInCallBack();
  void ExecUnDoExistOutCallBack();
  void ExecReDoExistInCallBack();
  void ExecReDoExistOutCallBack();

 private:
  struct sCallBack {
    tETOOperationRecCallBack proc = nullptr;
    unsigned long refCon = 0;
  };
  void AdjustRecTermNum();
  // Deletes the steps after `term` (every step for null).
  void DeleteTermsAfter(cETOOperationRecTerm* term);
  // Deletes the oldest steps while more than `keep` remain.
  void DeleteOldestTerms(SInt32 keep);
  static void Call(const sCallBack& callback, cETOOperationRecMgr* self);

  SInt16 maximum_;
  SInt16 count_ = 0;
  cETOOperationRecTerm* head_ = nullptr;
  cETOOperationRecTerm* tail_ = nullptr;
  cETOOperationRecTerm* current_ = nullptr;
  sCallBack undoIn_;
  sCallBack undoOut_;
  sCallBack redoIn_;
  sCallBack redoOut_;
};
