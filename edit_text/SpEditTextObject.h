// The edit-text object: a styled, multi-line text field in any window.
//
// cEditTextObject is at once a drawing view (it draws its wrapped text), a hot-spot area, an
// inline-input target of the text services and a drop target. Its text is a list of display
// lines (cTextLineObject), each a wrapped line of style runs. It keeps a caret or a selection,
// takes whole characters from the edit-text manager (SpETOManagerObject.h), blinks its caret
// on the manager's idle time, and grows or scrolls to show the caret.
//
// Coordinates: window coordinates are the window's local ones; offscreen coordinates are the
// object's own content (origin at the top-left of its text), the visible part being the view's
// drawing area moved by its scroll values. Text positions are a line and a byte offset in it,
// or an absolute byte position from the start of the text with a line-start flag that tells
// the end of a wrapped line from the start of the next. Positions are 32-bit; where they meet
// the views' 16-bit plane they are held to it.
//
// Clients learn of changes through eighteen callback pairs (Setup...CB stores a procedure
// and its reference value; the engine calls it through Exec...CB) and the eight empty virtual
// hooks a subclass may override.
//
// Failures beep and leave one error-log record (sources "SpEditTextObject",
// "SpETO_ObjectSizePosition", "SpETO_Caret", "SpETO_Selection", "SpETO_KeyIn",
// "SpETO_CBCatch", "SpETO_UndoRedo", "SpETO_TextAttribute").
//
// Every change of the text or its styles is recorded in the object's undo manager
// (SpETOOperationRec.h), one level deep unless the client sets a larger maximum.
#pragma once

#include <new>
#include <string>

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpCollectionObject.h"
#include "SpDragAndDropObject.h"
#include "SpDrawingView.h"
#include "SpETOManagerObject.h"
#include "SpETOTextLineObject.h"
#include "SpETOTextStyleRunObject.h"
#include "SpGeneralStringObject.h"
#include "SpHotSpotArea.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpProcEntry.h"
#include "SpTabControlObject.h"
#include "SpTextService.h"
#include "SpTextStyle.h"

class cEditTextObject;
class cETOOperationRecItem;
class cETOOperationRecMgr;  // the undo manager
class cETOOperationRecTerm;
typedef UInt8 tETOOperationRecType;
class cMouseTraceObject;
struct sETOAreaChange;
namespace sp_eto_edit {
struct sSpan;
}

// The kind of change the modify callback reports.
typedef SInt16 tETO_ModifyType;
enum : tETO_ModifyType {
  kETO_TextDeleted = 1,
  kETO_TextInserted = 2,
  kETO_AttributeChanged = 3,
};

// Where a position lies against the selected range: 1 before, 2 inside, 3 after it for a range
// made forwards; 4, 5 and 6 for one made backwards.
typedef SInt16 tETO_SelectPositType;

typedef void (*tETO_ModifyTextProcPtr)(cEditTextObject* object, tETO_ModifyType type,
                                       unsigned long refCon);
typedef void (*tETO_NotifyProcPtr)(cEditTextObject* object, unsigned long refCon);
typedef void (*tETO_GrowProcPtr)(cEditTextObject* object, Rect* oldArea, Rect* newArea,
                                 unsigned long refCon);
typedef void (*tETO_ImportDropProcPtr)(cEditTextObject* object, SInt32 position, SInt32 length,
                                       SInt16 kind, unsigned long refCon);

// Every setting of an object at once.
struct sEditTextInfo {
  unsigned char areaVisible;
  unsigned char multiLine;
  unsigned char directActive;
  unsigned char editable;
  unsigned char selection;
  unsigned char autoScroll;
  unsigned char containerAutoScroll;
  unsigned char autoGrow;
  unsigned char urlLaunch;
  unsigned char mailerLaunch;
  unsigned char variableLineWidth;
  SInt16 lineMinWidth;
  SInt16 lineMaxWidth;
  SInt16 initialWidth;
  SInt16 minViewHeight;
  SInt16 maxViewHeight;
  unsigned char reserved;
  SInt16 leftOffset;
  SInt16 rightOffset;
  SInt16 topOffset;
  SInt16 bottomOffset;
  SInt16 currentWidth;
  SInt16 lineHeight;
  tPositionType horizontalPosition;
  unsigned char caretMode;
  unsigned char selectionMode;
  SInt32 selectionStart;
  unsigned char selectionStartLineTop;
  SInt32 selectionEnd;
  unsigned char selectionEndLineTop;
};

// Two positions with what restores them after the lines were rebroken: each as line, line
// number, offset, absolute position and line-start flag, and the two again in text order.
struct sETO_SelectionInfo {
  cTextLineObject* line1;
  SInt32 reference1;
  SInt32 offset1;
  SInt32 abs1;
  unsigned char lineStart1;
  cTextLineObject* line2;
  SInt32 reference2;
  SInt32 offset2;
  SInt32 abs2;
  unsigned char lineStart2;
  cTextLineObject* earlierLine;
  SInt32 earlierOffset;
  SInt32 earlierAbs;
  unsigned char earlierLineStart;
  cTextLineObject* laterLine;
  SInt32 laterOffset;
  SInt32 laterAbs;
  unsigned char laterLineStart;
};

// One clause of the open inline input: a stretch of the text with its type.
class cETOAreaInfo : public cSpListLinks<cETOAreaInfo>, public cSpMacHeapObject {
 public:
  explicit cETOAreaInfo(SInt32 type) : type_(type) {}

  void InitializeValue(unsigned char links);
  void StartUpInitialize() { InitializeValue(1); }
  void SetupNewRedrawFlag(unsigned char flag) { redraw_ = flag; }
  unsigned char GetRedrawFlag() const { return redraw_; }
  // Sets the flag on this area and every one after it.
  void InitializeRedrawFlagOnLink();
  void SetupStartPoint(cTextLineObject* line, SInt32 byte);
  void SetupEndPoint(cTextLineObject* line, SInt32 byte);
  void GetStartPoint(cTextLineObject*& line, SInt32& byte) const;
  void GetEndPoint(cTextLineObject*& line, SInt32& byte) const;
  SInt32 GetAreaType() const { return type_; }

 private:
  SInt32 type_ = 0;
  cTextLineObject* startLine_ = nullptr;
  SInt32 startByte_ = 0;
  cTextLineObject* endLine_ = nullptr;
  SInt32 endByte_ = 0;
  unsigned char redraw_ = 0;
};

class cEditTextObject : public cSp_DrawingView,
                        public cSp_HotSpotArea,
                        public cTextServiceObject,
                        public cDropCatchObject {
 public:
  // area in window coordinates; container may be null. viewFlag goes to the drawing view as
  // its last argument.
  cEditTextObject(WindowRef window, const Rect& area, SInt16 lineHeight, unsigned char multiLine,
                  unsigned char editable, unsigned char selection, cSp_View* container,
                  unsigned char viewFlag);
  ~cEditTextObject() override;

  void StartUpInitialize();
  // The first step of destruction, once: the object lets go of the focus, the manager, its
  // hover area, its undo manager and its client's procedures (and with withBases the delete
  // steps of its bases run).
  void ExecEditTextObjDeleteReady(unsigned char withBases);

  // ==== Virtual operations ====
  void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                   short dWidth, short dHeight) override;
  unsigned char CutUnderViewImage(RgnHandle target, RgnHandle work) override;
  void BeforeContainerScrollExecute(short h, short v, short dh, short dv) override;
  void AfterContainerScrollExecute(short h, short v, short dh, short dv) override;
  // Drags are taken where the view shows on the window.
  unsigned char CheckDragEnableOnTargetPoint(Point localPoint) override;
  // A field that takes only letters or numbers refuses a drag of text it would not take at
  // the drop, while the drag is still moving.
  unsigned char CheckDragItemsContents(cDragDataItem* items) override;
  // The eight hooks of a subclass: empty here.
  virtual void EditTextActivateProc() {}
  virtual void EditTextDeActivateProc() {}
  virtual void EditTextAutoViewGrowBeforeProc() {}
  virtual void EditTextAutoViewGrowAfterProc() {}
  virtual void EditTextMouseDownCallProc() {}
  virtual void EditTextMouseUpCallProc() {}
  virtual void EditTextClickCallProc() {}
  virtual void EditTextDblClickCallProc() {}

  // ==== Flags and settings ====
  void SetupMultiLineFlag(unsigned char f) { multiLine_ = f; }
  void SetupDirectActiveFlag(unsigned char f) { directActive_ = f; }
  void SetupSelectionFlag(unsigned char f) { selection_ = f; }
  void SetupAutoScrollFlag(unsigned char f) { autoScroll_ = f; }
  void SetupConainerAutoScrollFlag(unsigned char f) { containerAutoScroll_ = f; }
  void SetupURLRunchFlag(unsigned char f) { urlLaunch_ = f; }
  void SetupMailerRunchFlag(unsigned char f) { mailerLaunch_ = f; }
  void SetupControlReturnEnableFlag(unsigned char f) { controlReturn_ = f; }
  void SetupOptionReturnEnableFlag(unsigned char f) { optionReturn_ = f; }
  void SetupUseSystemScriptOnActiveFlag(unsigned char f) { useSystemScript_ = f; }
  void SetTabMoveInAllSelectionFlag(unsigned char f) { selectAllOnTab_ = f; }
  void SetupUnderViewImage(unsigned char f) { cutUnderViewImage_ = f; }
  void SetupEditTextFlag(unsigned char f);
  void SetupAutoGrowFlag(unsigned char grow, unsigned char variableWidth);
  void SetupVariableLineWidthFlag(unsigned char f);
  unsigned char GetAutoGrawFlag() const { return autoGrow_; }
  unsigned char GetVariableLineWidthFlag() const { return variableLineWidth_; }
  unsigned char IsTextInputInProgress() const { return textInputInProgress_; }
  unsigned char GetEditTextFlag() const { return editable_; }
  unsigned char GetMultiLineFlag() const { return multiLine_; }
  unsigned char GetAreaVisibleFlag() const { return areaVisible_; }
  void SetupOnlyAlfaFlag(unsigned char f);
  void SetupOnlyNumberFlag(unsigned char f, unsigned char option);
  unsigned char GetOnlyAlfaFlag() const { return onlyAlpha_; }
  void GetWindowStyleAttributeIntoInsertPointAttribute();
  void GetInsertPointAttribute(sTextStyleAttributes& a) const { a = insertAttributes_; }
  void SetupInsertPointAttribute(const sTextStyleAttributes& a) { insertAttributes_ = a; }
  void GetEditObjectInfo(sEditTextInfo& info);
  void SetEditObjectInfo(const sEditTextInfo& info, unsigned char redraw);
  void SetEditObjectSelectionOrCaretInfo(const sEditTextInfo& info);

  // ==== View state ====
  void EnableEditTextView(unsigned char redraw);
  void DisableEditTextView(unsigned char redraw);
  unsigned char IsEnableEditTextView() const { return IsEnableView(); }
  void DiableEditableFunction();
  void EnableMouseTraceOnEditTextView();
  void DisableMouseTraceEditTextView();
  void EnableHotspotOnEditTextView();
  void DisableHotspotEditTextView();
  // The area step: the facilities follow whether any of the drawing area is visible.
  void SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();

  // ==== Activation ====
  void ActivateEditText(unsigned char enableInput, unsigned char redraw);
  void DeActiveEditText(unsigned char redraw);
  // Called by the manager when another object becomes active or this one is cancelled.
  void CancelActivation(unsigned char redraw);
  void PauseActivation(unsigned char redraw);
  void SuspendEdit() { PauseActivation(1); }
  void ResumeEdit();
  unsigned char IsActiveEditText();
  void EnableTextInput();
  void DisableTextInput();
  void ShowCursorPosition(unsigned char redraw);

  // ==== Text ====
  void SetupText(const char* text, unsigned char redraw);
  void SetupText(sSO_StringObjectBase* text, unsigned char redraw);
  void SetupText(cSp_RunSet& runSet, unsigned char redraw);
  void AddText(const char* text, unsigned char redraw);
  // Pastes plain text over the selection (or at the caret) in the caret's style, as one paste
  // step of the undo history that goes on while the step stays open.
  void SetupPastTextOnSelection(const char* text, unsigned char redraw);
  SInt32 GetTextCharByte(unsigned char withTab, unsigned char withLineBreak) const;
  SInt32 GetTargetLineTextCharByte(SInt32 n, unsigned char withTab,
                                   unsigned char withLineBreak) const;
  SInt32 GetNumOfLine() const;
  void GetTargetLineText(SInt32 n, unsigned char withTab, char* buffer, SInt32 size,
                         unsigned char& overflow) const;
  void GetTextRunSize(SInt32& runs, SInt32& bytes, unsigned char withTab,
                      unsigned char withLineBreak) const;
  unsigned char EqualText(const char* text, unsigned char withLineBreak);
  SInt32 GetTargetString(sSO_StringObjectBase* out, cTextLineObject* startLine, SInt32 startByte,
                         cTextLineObject* endLine, SInt32 endByte, unsigned char withLineBreak);
  SInt32 GetTargetString(cSp_RunSet& out, cTextLineObject* startLine, SInt32 startByte,
                         cTextLineObject* endLine, SInt32 endByte, unsigned char withLineBreak);
  void GetTextByCopyRunSet(cSp_RunSet& out, unsigned char withTab, unsigned char withLineBreak);
  unsigned char SerchTargetCharactor(char c, cTextLineObject* line, SInt32 from,
                                     cTextLineObject** foundLine, SInt32* foundByte);

  // ==== Deleting ====
  void DeleteTargetArea(cTextLineObject* startLine, SInt32 startByte, cTextLineObject* endLine,
                        SInt32 endByte, unsigned char redraw, unsigned char record,
                        unsigned char newTerm, unsigned char rebreak, unsigned char notify);
  unsigned char DeleteCurrentSelection(unsigned char redraw, unsigned char off2,
                                       unsigned char record, unsigned char newTerm,
                                       unsigned char rebreak, unsigned char notify);
  void DeleteUnUsedLine();
  // Deletes every byte (telling the client) and leaves the caret at the start.
  void ClearAllText(unsigned char redraw, unsigned char record, unsigned char newTerm,
                    unsigned char rebreak);

  // ==== The line list ====
  cTextLineObject* CreateNewLineObject(SInt32 afterReference, tPositionType position,
                                       const sTextStyleAttributes& attributes);
  cTextLineObject* GetLinePtr(SInt32 reference) const;
  cTextLineObject* GetFirstLinePtr() const { return firstLine_; }
  cTextLineObject* GetLastLinePtr() const { return lastLine_; }
  void RememberLineBreakLinePosition();

  // ==== The manager's list ====
  void LinkToEditTextNext(cEditTextObject* item);
  cEditTextObject* UnlinkEditTextNext();
  cEditTextObject* GetEditTextBeforeObjectPtr() const { return etBefore_; }
  cEditTextObject* GetEditTextNextObjectPtr() const { return etNext_; }
  cEditTextObject* GetEditTextLastObjectPtr();
  cEditTextObject* GetThisEditObjectPtr() { return this; }

  // ==== Tab control ====
  void EnableEditTabControlMove();
  void DisableEditTabControlMove();
  cTabControlObj* GetTabControlObject() const { return tabControl_; }
  unsigned char CatchTabControlMoveInCB();
  unsigned char CatchTabControlMoveOutCB() { return 0; }

  // ==== Drawing ====
  void DrawEditText(Rect* area);
  void DrawHiliteBackColorOnOffscreenArea(cTextLineObject* startLine, SInt32 startByte,
                                          cTextLineObject* endLine, SInt32 endByte);
  void GetSelectionRegionOnOffscreenArea(cTextLineObject* startLine, SInt32 startByte,
                                         cTextLineObject* endLine, SInt32 endByte, RgnHandle out);
  void DrawUnderLineOnOffscreenArea(cTextLineObject* startLine, SInt32 startByte,
                                    cTextLineObject* endLine, SInt32 endByte,
                                    tETO_UnderLineType type, unsigned char joined);

  // ==== Sizes and positions (SpETO_ObjectSizePosition.cpp) ====
  void OnWindowPositToEditorOffscreenPosit(Point in, Point& out) const;
  void EditorOffscreenPositToOnWindowPosit(Point in, Point& out) const;
  void OnWindowAreaToEditorOffscreenArea(const Rect& in, Rect& out) const;
  void EditorOffscreenAreaToOnWindowArea(const Rect& in, Rect& out) const;
  void EditorOffscreenAreaToOnWindowArea(RgnHandle rgn) const;
  void WindowAreaToOnScreen(RgnHandle rgn) const;
  unsigned char PixPositToCharBytePosit(Point windowPoint, unsigned char allowOutside,
                                        unsigned char nearestLine, unsigned char nearestChar,
                                        SInt32& lineNumber, SInt32& byte,
                                        unsigned char& charFlag, unsigned char& outsideArea,
                                        unsigned char& outsideText, tETO_AreaOutType& areaOut,
                                        tETO_AreaOutType& lineOut, tETO_AreaOutType& charOut);
  unsigned char LineByteToAbsoluteCharBytePosition(const cTextLineObject* line, SInt32 byte,
                                                   unsigned char withBreak, SInt32& abs) const;
  unsigned char AbsoluteCharByteToLineByte(SInt32 abs, unsigned char lineStart,
                                           unsigned char clamp, unsigned char withBreak,
                                           cTextLineObject*& line, SInt32& byte,
                                           unsigned char& clamped) const;
  unsigned char GetAbsCursorPositionInfo(const cTextLineObject* line, SInt32 byte, SInt32& abs,
                                         unsigned char& lineStart) const;
  unsigned char GetCursorPositFromAbsPosit(SInt32 abs, unsigned char lineStart,
                                           cTextLineObject*& line, SInt32& byte) const;
  unsigned char GetOffsetBytePosition(cTextLineObject* line, SInt32 byte, unsigned char forward,
                                      SInt32 count, unsigned char nextLine,
                                      unsigned char withBreak, cTextLineObject*& outLine,
                                      SInt32& outByte) const;
  void ResizeEditTextViewImmediate(const Rect& area, unsigned char rewrap,
                                   unsigned char initialWidth, unsigned char redraw);
  void MoveEditTextViewImmediate(short left, short top, unsigned char redraw);
  void ResetupOffscreenAreaSize();
  void SetupEditorTopOffset(SInt16 offset, unsigned char redraw);
  void SetupLeftOffset(SInt16 offset, SInt32 reference, unsigned char asDefault,
                       unsigned char redraw);
  void SetupRightOffset(SInt16 offset, SInt32 reference, unsigned char asDefault,
                        unsigned char redraw);
  SInt16 GetEditorTopOffset() const { return topOffset_; }
  SInt16 GetEditorBottomOffset() const { return bottomOffset_; }
  void SetupRedrawAreaForLineBreakeModify(cTextLineObject* line, SInt16 count,
                                          unsigned char toEnd, SInt32 oldTotalHeight);
  void SetupRedrawAreaForAfterModifyLineBreake(cTextLineObject* line, SInt16 count,
                                               SInt16 second, SInt16 third,
                                               SInt32 oldTotalHeight);
  void TragetLineResetBreakLine(cTextLineObject* line, SInt32 oldTotalHeight,
                                unsigned char& widthChanged, unsigned char redraw);
  unsigned char FitWidthForAutoLineChange(unsigned char redraw);
  void ShowTargetPosition(cTextLineObject* line, SInt32 byte, unsigned char& changed,
                          unsigned char redraw);
  void SetupLineHeight(SInt16 height, unsigned char redraw);
  void SetupLineMinWidth(SInt16 width, unsigned char fixed, unsigned char redraw);
  void SetupLineMaxWidth(SInt16 width, unsigned char fixed, unsigned char redraw);
  void SetupMinViewHeight(SInt16 height) { minViewHeight_ = height; }
  void SetupMaxViewHeight(SInt16 height) { maxViewHeight_ = height; }
  void SetupInitialWidthByCurrentWidth() { initialWidth_ = currentWidth_; }
  SInt16 GetLineHeight(SInt32 n, unsigned char withAbove, unsigned char withBelow) const;
  SInt32 GetTotalLineHeight() const;
  SInt16 GetLineMinWidth() const { return lineMinWidth_; }
  SInt16 GetLineMaxWidth() const { return lineMaxWidth_; }
  SInt16 GetMinViewHeight() const { return minViewHeight_; }
  SInt16 GetMaxViewHeight() const { return maxViewHeight_; }
  SInt16 GetCurrentWidth() const { return currentWidth_; }
  SInt16 GetInitialWidth() const { return initialWidth_; }

  // ==== The caret (SpETO_Caret.cpp) ====
  void SetupCaretPoint(cTextLineObject* line, SInt32 byte);
  void SetupCaretPoint(SInt32 lineReference, SInt32 byte);
  void SetupCaretPosition(cTextLineObject* line, SInt32 byte, unsigned char notify);
  void SetupCaretPosition(SInt32 abs, unsigned char notify);
  void SetupCaretPosition(SInt32 lineReference, SInt32 byte, unsigned char notify);
  void SetupCaretOnTopPositionAndAutoScroll();
  void SetupDragCaretPosition(cTextLineObject* line, SInt32 byte);
  void CaretSetupFlagOn();
  void CaretSetupFlagOff(unsigned char redraw);
  unsigned char GetCaretSetupFlag() const { return caretMode_; }
  void ResetArrowKeyHorizontalPosit() { arrowPosition_ = -1; }
  void MoveNextCaret(SInt32 count);
  void MoveBeforeCaret(SInt32 count);
  unsigned char MoveNextCaretByCharByte(SInt32 bytes);
  void AdjustPosition(cTextLineObject*& line, SInt32& byte);
  void AdjustCaretPosition();
  void IdleProcedure();
  void BrinkCaret(unsigned char wide);
  void EraseCaret(unsigned char redraw);
  void PauseBrinkCaret(unsigned char redraw);
  void PauseOutBrinkCaret() { blinkPaused_ = 0; }
  unsigned char IsCaretVisible() const { return caretVisible_; }
  unsigned char IsBlinkPaused() const { return blinkPaused_; }

  // ==== The selection (SpETO_Selection.cpp) ====
  SInt32 ExistSelectionText() const;
  void JudgeSelectionOrCaret();
  SInt32 GetSelectionStartPoint(SInt32& lineNo, SInt32& offset) const;
  SInt32 GetSelectionEndPoint(SInt32& lineNo, SInt32& offset) const;
  SInt32 GetSelectionStartPoint(cTextLineObject*& line, SInt32& offset) const;
  SInt32 GetSelectionEndPoint(cTextLineObject*& line, SInt32& offset) const;
  unsigned char GetSelectionModeFlag() const { return selectionMode_; }
  SInt32 GetSelectionPosition(SInt32& start, unsigned char& startFlag, SInt32& end,
                              unsigned char& endFlag) const;
  // The caret or the selection as absolute positions with their line-start flags.
  unsigned char GetSelectionInfoStock(SInt32& start, unsigned char& startFlag, SInt32& end,
                                      unsigned char& endFlag) const;
  SInt32 IsInSelectionArea(SInt32 lineNo, SInt32 offset, tETO_SelectPositType& out) const;
  SInt32 PtInSelectedArea(Point offscreenPoint);
  SInt32 GetSelectionStringSize(unsigned char withLineBreak) const;
  SInt32 GetSelectionString(unsigned char withLineBreak, char* buffer, SInt32 size,
                            unsigned char& overflow);
  SInt32 GetSelectionString(sSO_StringObjectBase* out, unsigned char withLineBreak);
  SInt32 GetCopyRunSetFromSelectionArea(cSp_RunSet& out, SInt32& length, SInt32& breaks);
  SInt32 GetCopyStyleRunListFromSelectionArea(cTextStyleRunObject*& head,
                                              cTextStyleRunObject*& tail);
  SInt32 GetCopyStyleRunList(cTextStyleRunObject*& head, cTextStyleRunObject*& tail);
  unsigned char GetSelectionLineArea(RgnHandle clip, RgnHandle out, unsigned char& caretOnly);
  unsigned char GetTargetLineArea(cTextLineObject* line, RgnHandle clip, RgnHandle out);
  unsigned char GetSelectionOffscreenArea(cTextLineObject* line1, SInt32 offset1,
                                          cTextLineObject* line2, SInt32 offset2, RgnHandle clip,
                                          RgnHandle out, unsigned char& caretOnly);
  unsigned char GetAreaForTargetLineFromSelectedArea(cTextLineObject* line,
                                                     cTextLineObject* line1, SInt32 offset1,
                                                     cTextLineObject* line2, SInt32 offset2,
                                                     RgnHandle clip, RgnHandle out,
                                                     unsigned char& caretOnly);
  void InitializeSelection();
  void SetupSelectionStartPoint(cTextLineObject* line, SInt32 offset, unsigned char redraw,
                                unsigned char callbacks);
  void SetupSelectionEndPoint(cTextLineObject* line, SInt32 offset, unsigned char redraw,
                              unsigned char callbacks);
  void SetupSelectionStartPoint(SInt32 lineNo, SInt32 offset, unsigned char redraw,
                                unsigned char callbacks);
  void SetupSelectionEndPoint(SInt32 lineNo, SInt32 offset, unsigned char redraw,
                              unsigned char callbacks);
  SInt32 SetupSelection(cTextLineObject* startLine, SInt32 startOffset, cTextLineObject* endLine,
                        SInt32 endOffset, unsigned char unused, unsigned char callbacks);
  SInt32 SetupSelectionPosition(SInt32 start, unsigned char startFlag, SInt32 end,
                                unsigned char endFlag, unsigned char unused,
                                unsigned char callbacks);
  SInt32 SelectionAll(unsigned char redraw, unsigned char callbacks);
  SInt32 SelectionLineAll(SInt32 lineNo, unsigned char redraw, unsigned char callbacks);
  void SelectionSetupFlagOn();
  void SelectionSetupFlagOff(unsigned char redraw, unsigned char callbacks);
  void SelectionOutputOn();
  void SelectionOutputOff(unsigned char redraw);
  void RedrawSelectionArea(unsigned char redraw);
  // The insert-point attribute becomes the style of text typed at the caret.
  void ResetInsertPointAttributeByCaretPositionAttribute();

  // ==== Undo and redo (SpETO_UndoRedo.cpp) ====
  // The undo manager's answers; 0 without one.
  unsigned char ExistUnDoOperationRecord() const;
  unsigned char ExistReDoOperationRecord() const;
  SInt32 GetUnDoOperationRecordCount() const;
  SInt32 GetReDoOperationRecordCount() const;
  void ClearUndoRedoOperationRecord(unsigned char callbacks);
  // Take back or do again one step: 1 when it was replayed. A step that cannot be replayed
  // whole clears the history, so no record is left that does not match the text.
  SInt32 ExecUnDoOneOperation(unsigned char redraw);
  SInt32 ExecReDoOneOperation(unsigned char redraw);
  SInt32 ExecUnDoOperationItem(cETOOperationRecItem* item, unsigned char setCaret,
                               unsigned char redraw);
  SInt32 ExecOperationItem(cETOOperationRecItem* item, unsigned char setCaret,
                           unsigned char redraw);
  SInt32 ExecUndoModTextCodeProc(cETOOperationRecItem* item);
  SInt32 ExecUndoModLineHorizontalPositProc(cETOOperationRecItem* item);
  // The step an edit records into: a new one of `type` with newTerm or when there is no
  // open one, else the current one. Null without an undo manager or with a maximum of 0.
  cETOOperationRecTerm* GetRecordTerm(tETOOperationRecType type, unsigned char newTerm);

  // ==== Text and attributes (SpETO_TextAttribute.cpp) ====
  SInt32 GetText(char* buffer, SInt32 size, unsigned char terminate, unsigned char& overflow);
  void GetText(sSO_StringObjectBase* out);
  unsigned char GetTextAttributes(cTextAttributeList& list, unsigned char append,
                                  unsigned char skipRepeat);
  unsigned char GetSelectionAttribute(cTextAttributeList& list);
  unsigned char GetAttributeListOnTargetArea(cTextLineObject* line1, SInt32 offset1,
                                             cTextLineObject* line2, SInt32 offset2,
                                             cTextAttributeList& list);
  unsigned char GetTopRunAttributeOnSelection(sTextStyleAttributes& out);
  unsigned char GetTopRunAttributeOnTargetArea(cTextLineObject* line1, SInt32 offset1,
                                               cTextLineObject* line2, SInt32 offset2,
                                               sTextStyleAttributes& out);
  // The whole text.
  void SetupTextFontOrSize(tTextStyleAttType type, unsigned long value, unsigned char redraw);
  void SetupTextSize(SInt16 size, unsigned char redraw);
  void SetupFontNo(SInt16 font, unsigned char redraw);
  void SetupAttributeIntoAllText(const sTextStyleAttributes& attributes, unsigned char redraw);
  void SetupTextColor(const RGBColor& color, SInt16 colorShort, unsigned char, unsigned char);
  unsigned char ModifyTextStyle(Style face, unsigned char redraw);
  unsigned char ModifyTextStyleRevolve(Style face, unsigned char redraw);
  unsigned char ModifyAlphaText(tETO_ModifyTextCodeProcType kind, unsigned char redraw);
  // Left, centre and right (1 to 3) for every line; the vertical types are refused.
  unsigned char SetupHolizontalPosition(tPositionType type, unsigned char redraw,
                                        unsigned char record);
  // The selection; in caret mode the insert-point attribute instead.
  unsigned char SetupSelectionTextFontOrSize(tTextStyleAttType type, unsigned long value,
                                             unsigned char redraw, unsigned char record);
  unsigned char SetupSelectionTextColor(const RGBColor& color, SInt16 colorShort,
                                        unsigned char redraw, unsigned char record);
  unsigned char SetupSelectionTextStyle(Style face, unsigned char redraw);
  unsigned char ModifySelectionTextStyleRevolve(Style face, unsigned char redraw);
  unsigned char ModifySelectionAlphaText(tETO_ModifyTextCodeProcType kind,
                                         unsigned char redraw);
  // A stretch between two positions (either order): true when some line changed.
  unsigned char SetupTargetAreaTextFontOrSize(cTextLineObject* line1, SInt32 offset1,
                                              cTextLineObject* line2, SInt32 offset2,
                                              tTextStyleAttType type, unsigned long value,
                                              unsigned char redraw, unsigned char record,
                                              unsigned char selectionFlag);
  unsigned char SetupTargetAreaTextColor(cTextLineObject* line1, SInt32 offset1,
                                         cTextLineObject* line2, SInt32 offset2,
                                         const RGBColor& color, SInt16 colorShort,
                                         unsigned char redraw, unsigned char record,
                                         unsigned char selectionFlag);
  unsigned char SetupTargetAreaTextStyle(cTextLineObject* line1, SInt32 offset1,
                                         cTextLineObject* line2, SInt32 offset2, Style face,
                                         unsigned char redraw, unsigned char record,
                                         unsigned char selectionFlag);
  unsigned char ModifyTargetAreaTextStyleRevolve(cTextLineObject* line1, SInt32 offset1,
                                                 cTextLineObject* line2, SInt32 offset2,
                                                 Style face, unsigned char redraw,
                                                 unsigned char record,
                                                 unsigned char selectionFlag);
  unsigned char ModifyTargetAreaAlphaText(cTextLineObject* line1, SInt32 offset1,
                                          cTextLineObject* line2, SInt32 offset2,
                                          tETO_ModifyTextCodeProcType kind, unsigned char redraw,
                                          unsigned char record, unsigned char selectionFlag);
  unsigned char SetupTargetLineHolizontalPosition(tPositionType type, cTextLineObject* firstLine,
                                                  cTextLineObject* lastLine, unsigned char redraw,
                                                  unsigned char record,
                                                  unsigned char selectionFlag);
  unsigned char GetSelectionInfoStock(sETO_SelectionInfo& info, cTextLineObject* line1,
                                      SInt32 offset1, cTextLineObject* line2,
                                      SInt32 offset2) const;
  unsigned char SetupRedrawAreaAndCursor(const sETO_SelectionInfo* saved,
                                         const sETO_SelectionInfo& target, SInt16, SInt16,
                                         unsigned char heightsChanged,
                                         unsigned char selectionFlag, unsigned char redraw);
  void RecordOperationDataForModFontOrSize(tTextStyleAttType type, unsigned long value,
                                           SInt32 start, cSp_RunSet& oldText);

  // ==== Keys (SpETO_KeyIn.cpp) ====
  SInt32 KyeInProcedure(const char* text);
  SInt32 KeyControlProcedure(char key);
  void ArrowKeyIn(char key);
  // The clipboard: paste at the caret or over the selection, cut, and copy (with deleteAfter
  // a cut). 1 when the clipboard was read or written.
  SInt32 ExecPastScrapText(unsigned char redraw);
  SInt32 ExecCutSelectedTextIntoScrap(unsigned char redraw);
  SInt32 ExecCopySelectedTextIntoScrap(unsigned char deleteAfter, unsigned char redraw);

  // ==== Client callbacks (SpETO_CBCatch.cpp) ====
  void SetupModifyTextCB(tETO_ModifyTextProcPtr proc, unsigned long refCon);
  void SetupActiveTextCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupDeActiveTextCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupMouseDownTextCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupMouseUpTextCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupClickTextCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupDblClickTextCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupAutoViewGrowBeforeTextCB(tETO_GrowProcPtr proc, unsigned long refCon);
  void SetupAutoViewGrowAfterTextCB(tETO_GrowProcPtr proc, unsigned long refCon);
  void SetupSelectInCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupSelectOutCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupSelectionModifyCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupCaretModifyCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupUnDoExistInCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupUnDoExistOutCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupReDoExistInCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupReDoExistOutCB(tETO_NotifyProcPtr proc, unsigned long refCon);
  void SetupImportDropCatchCB(tETO_ImportDropProcPtr proc, unsigned long refCon);
  unsigned char ExecModifyTextCB(tETO_ModifyType type);
  unsigned char ExecActiveTextCB();
  unsigned char ExecDeActiveTextCB();
  unsigned char ExecMouseDownTextCB();
  unsigned char ExecMouseUpTextCB();
  unsigned char ExecClickTextCB();
  unsigned char ExecDblClickTextCB();
  unsigned char ExecAutoViewGrowBeforeTextCB(Rect& oldArea, Rect& newArea);
  unsigned char ExecAutoViewGrowAfterTextCB(Rect& oldArea, Rect& newArea);
  unsigned char ExecSelectInCB();
  unsigned char ExecSelectOutCB();
  unsigned char ExecSelectionModifyCB();
  unsigned char ExecCaretModifyCB();
  unsigned char ExecUnDoExistInCB();
  unsigned char ExecUnDoExistOutCB();
  unsigned char ExecReDoExistInCB();
  unsigned char ExecReDoExistOutCB();
  unsigned char ExecImportDropCatchCB(SInt32 position, SInt32 length, SInt16 kind);

  // ==== The mouse (SpETO_MouseEvent.cpp) ====
  // The press decides what the mouse does to the selection: only activate the field, drag
  // the selected text, move the end or the start point with the mouse, or nothing.
  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaOutProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaInProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseMoveProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;
  cMouseTraceObject* GetTextAreaMouseTraceObject() const { return mouseTrace_; }
  // The hover area or the hot spot leaves the window's top list for the container's items.
  void SetupEditMouseTraceOnContainer(cMouseTraceObject* container);
  void SetupEditHotSpotOnContainer(cSp_HotSpotArea* container);
  // Supplies a promised flavour ('TEXT' or 'styl' of the selection) of this field's drag;
  // -50 when there is none to give.
  short DragSendFlavorData(unsigned long itemRef, unsigned long flavor);
  cSendDragDataObj* GetDragSendDataObject() const { return dragSource_; }
  unsigned char GetDragSourceFlag() const { return dragSourceFlag_; }

  // ==== Drags over the field (SpETO_DragAndDrop.cpp) ====
  // Whether dropped text is taken (the drop catch's own flag follows).
  void EnableEditTextCatchDragItem();
  void DisableEditTextCatchDragItem();
  unsigned char IsEnableEditTextCatchDragItem() const { return dropCatchOn_; }
  // A drag over the text: a caret follows it where a drop would put the text; the field's
  // own caret stops blinking meanwhile.
  void TraceDragCursorIn(DragRef drag, Point localPoint);
  void TraceMoveDragCursor(DragRef drag, Point localPoint);
  void TraceDragCursorOut(DragRef drag, Point localPoint);
  void TraceDragCaretDraw();
  void TraceDragCaretErase();
  unsigned char IsDragCaretDrawn() const { return dragCaretDrawn_; }
  unsigned char IsDragInside() const { return dragInside_; }
  void GetDragCaretPosition(cTextLineObject*& line, SInt32& byte) const {
    line = dragCaretLine_;
    byte = dragCaretByte_;
  }
  // Takes dropped text at the drop point: noErr when text went in, paramErr when nothing was
  // taken (the text, the selection and the undo history then stay as they were), memFullErr.
  // The field's own selection dropped on it moves, or with Option is copied.
  short CatchDragItems(Point localPoint, cDragDataItem* items, UInt32* dragAttributes);

  // ==== Inline input (SpETO_TextService.cpp) ====
  // The unconfirmed text of the input method lives in the text itself, from the active input
  // area's start for its length; an update replaces a stretch of it, confirms its front as
  // typed text (one undo step) and sets its clauses. Ranges that reach past the area or the
  // update's own text are held to them.
  unsigned char UpdateActiveInputArea(cTSO_UpdateData* data) override;
  unsigned char PtInActiveInputArea(Point point) override;
  unsigned char AmIEnableActiveInputAreaNow() override;
  SInt16 PositionToPartsTypeNo(Point point) override;
  unsigned char PositionToByteChar(Point point, SInt16 regionClass, SInt32& offset) override;
  unsigned char ByteCharToPositon(SInt32 offset, Point& point) override;
  unsigned char GetPositionFont(SInt32 offset, SInt16& font) override;
  unsigned char GetPositionTextSize(SInt32 offset, SInt16& size) override;
  unsigned char GetPositionLineHeight(SInt32 offset, SInt16& height) override;
  unsigned char GetPositionLineAscent(SInt32 offset, SInt16& ascent) override;
  unsigned char GetPositionAngle(SInt32 offset, SInt16& angle) override;
  void EmergencyFixAllString() override;
  // 3 when the window point lies in the active input area (with its line, the byte on the
  // line and the offset in the area), else 1.
  SInt16 PixPositToActiveInputAreaCharBytePosi(Point point, cTextLineObject*& line,
                                               SInt32& lineByte, SInt32& areaOffset);
  void InitializeActionInputAreaClauseList();
  void SetupActionInputAreaClauseItem(cETOAreaInfo* item);
  // Marks for redraw the clauses of the list and of newList that the other lacks; true when
  // it marked anything.
  unsigned char SetupDrawingAreaOnActionInputAreaCancelAndNewClauseItem(cETOAreaInfo* newList);
  void AdjustActInAreaStartPoint();
  void GetActiveInputAreaStart(cTextLineObject*& line, SInt32& byte) const {
    line = areaLine_;
    byte = areaByte_;
  }
  SInt32 GetActiveInputAreaLength() const { return areaLength_; }
  cETOAreaInfo* GetActiveInputAreaClauseList() const { return inputAreaHead_; }

  // ==== The hover area ====
  // The cursor over the view: 2000 over the selected text, 2001 elsewhere. 1.
  SInt32 MouseTraceVerifyPosition(Point localPoint, short modifiers, unsigned long refCon,
                                  short& areaCode);
  void MouseTraceIn(Point localPoint, short modifiers);
  void MouseTraceOut();

  // The hover area over the view, and the undo manager (none until one is made).
  cMouseTraceObject* GetMouseTraceObject() const { return mouseTrace_; }
  cETOOperationRecMgr* GetUndoManager() const { return undoManager_; }

 private:
  // The drawing area on the window (whole) and its visible part.
  Rect DrawingAreaOnWindow() const;
  // The visible content: the drawing area moved to the scroll values.
  Rect VisibleOffscreen() const;
  // Runs the grow callbacks and hooks around a resize of the view to newArea.
  void GrowTo(const Rect& newArea);
  void RestoreRememberedPosition(bool had, SInt32 start, unsigned char startFlag, SInt32 end,
                                 unsigned char endFlag);
  bool RememberPosition(SInt32& start, unsigned char& startFlag, SInt32& end,
                        unsigned char& endFlag) const;
  // Every line from the first, and what a line offsets pass to new lines.
  void ApplyToLines(void (*apply)(cTextLineObject* line, const cEditTextObject* self));
  void RenumberAndPlaceLines();
  void UpdateLastLine();
  // The caret line's text for measuring, kept between blinks.
  bool CaretBuffer(cTextLineObject* line);
  // Marks a band of the content (offscreen coordinates) for redraw, held to the view's plane.
  void MarkOffscreenBand(SInt32 top, SInt32 bottom, SInt32 left, SInt32 right);
  // The view's drawing area as a region of the content.
  void VisibleClip(RgnHandle clip) const;
  // Marks a region of the content for redraw; false when it is empty.
  bool MarkSelectionChange(RgnHandle region);
  // After a re-wrap of `count` lines from `line`: marks those lines; the lines after them hold
  // what they held, so their image moves by the change of the text's height.
  void MarkRewrappedLines(cTextLineObject* line, SInt16 count, SInt32 oldTotalHeight);
  // The same after a watched re-wrap from `line`: of the lines it reached only those that do
  // not look as they did are marked.
  void MarkChangedLines(cTextLineObject* line, SInt32 oldTotalHeight);
  // Moves the image of the content from `lastBottom` down by `moved` (the change of the text's
  // height), marking the rows it uncovers: false when it could not, and all from the
  // re-wrapped lines down is to be drawn again.
  bool ShiftImageBelow(SInt32 lastBottom, SInt32 moved);
  // TragetLineResetBreakLine's work; with `watched`, the re-wrap is watched and only the lines
  // that changed are marked (`edited`: the line whose bytes the caller changed before).
  void RewrapAndMark(cTextLineObject* line, SInt32 oldTotalHeight, unsigned char& widthChanged,
                     unsigned char redraw, bool watched, const cTextLineObject* edited);
  void MarkLineBand(cTextLineObject* line, SInt16 count, bool toEnd, SInt32 oldTotalHeight,
                    SInt32 extra);
  typedef unsigned char (cTextLineObject::*tLineWidthSetter)(SInt16, unsigned char,
                                                             unsigned char&);
  void ApplyLineWidthLimit(tLineWidthSetter setter, SInt16 width, unsigned char fixed,
                           unsigned char redraw);
  void ApplyLineOffset(void (cTextLineObject::*setter)(SInt16), SInt16 offset, SInt32 reference,
                       unsigned char redraw);
  // Replaces the text (the first line takes it through `fill`), the selection kept by position.
  template <class Fill>
  void ReplaceText(Fill fill, unsigned char redraw);
  // The client hears how a whole-text or whole-line selection changed the range.
  void NotifyRangeChange(bool hadRange, cTextLineObject* oldStart, SInt32 oldStartByte,
                         cTextLineObject* oldEnd, SInt32 oldEndByte);
  void MoveSelectionPoint(bool start, cTextLineObject* line, SInt32 offset, unsigned char redraw,
                          unsigned char callbacks);
  void InsertAtCaret(const char* text, SInt32 length, SInt32& inserted);
  // After text went in at the caret: records it, re-wraps and puts the caret after it.
  void FinishInsertAtCaret(SInt32 insertAt, SInt32 inserted, SInt32 oldHeight);
  // The undo steps of the keys (nothing without an undo manager): a new step of a type; the
  // open typing step that ends at the position, else a new one; the open delete step (or
  // typing step) that ends at the position, else a new delete step. Then the records: the
  // bytes just put in at a position, and text removed at a position.
  void OpenUndoStep(unsigned char type);
  void UndoStepForTextIn(SInt32 position);
  void UndoStepForDelete(SInt32 position);
  void RecordUndoTextIn(SInt32 position, SInt32 length);
  void RecordUndoDelete(SInt32 position, cSp_RunSet& removed);
  // Deletes the character after the caret, or the selection.
  void ForwardDeleteKeyIn();
  // The text's line breaks and the selection's pieces for the clipboard and drags: the bytes
  // and the style table ('styl'), caller-owned; false without a selection.
  bool SelectionScrapData(std::string& text, char*& style, SInt32& styleSize);
  // Whether every byte may go into a number-only field (with the text's "." counted).
  bool NumberFilterPasses(const char* text, SInt32 length);
  // Starts a drag of the selected text from the mouse point (window coordinates).
  void StartSelectionDrag(short modifiers, Point localPoint);
  // The pieces of a drop: the dropped items' text and runs (false: nothing to take), the
  // selection's own (false: too long), and where the dropped text lands.
  bool GatherDroppedItems(cDragDataItem* items, const sTextStyleAttributes& attributes,
                          std::string& text, cTextStyleRunObject*& head);
  bool GatherOwnSelection(std::string& text, cTextStyleRunObject*& head);
  bool DragCaretPixel(SInt16& x, SInt32& top, SInt32& bottom);
  // The text position `offset` bytes into the active input area (from the caret when there is
  // no area); false when there is none.
  bool InputAreaPosition(SInt32 offset, cTextLineObject*& line, SInt32& byte);
  // The style attributes at an inline-input offset, unless a non-empty area is open.
  bool InputAttributesAt(SInt32 offset, cTextLineObject*& line, SInt32& byte,
                         sTextStyleAttributes& attributes);
  // Inline input starts at the caret: the area starts there, empty, without clauses.
  void ResetInputAreaToCaret();
  // The bytes of the active input area.
  std::string InputAreaBytes();
  cETOAreaInfo* ClauseAt(SInt32 type, SInt32 start, SInt32 end);
  // The text position under a window point, outside points held to the nearest one.
  bool TextPositionAt(Point localPoint, cTextLineObject*& line, SInt32& byte);
  // ---- Undo (SpETO_UndoRedo.cpp, SpEditTextObjectDelete.cpp) ----
  void RecordDeletion(const sp_eto_edit::sSpan& span, unsigned char newTerm);
  // The item's text with a copy of its runs put in at its start; false when the position
  // cannot be found.
  bool InsertItemText(const cETOOperationRecItem* item);
  bool DeleteItemRange(const cETOOperationRecItem* item);
  bool RestoreItemAttributes(const cETOOperationRecItem* item);
  bool RedoItemAttributes(const cETOOperationRecItem* item);
  void ReleaseSelectionForEdit();
  // Sets the selection (or a caret when the ends are equal) from absolute positions.
  void SelectAbsoluteRange(SInt32 start, SInt32 end, unsigned char callbacks);
  // ---- Attribute changes (SpETO_TextAttribute.cpp) ----
  unsigned char ChangeTargetArea(cTextLineObject* line1, SInt32 offset1, cTextLineObject* line2,
                                 SInt32 offset2, const sETOAreaChange& change,
                                 unsigned char redraw, unsigned char record,
                                 unsigned char selectionFlag);
  unsigned char ChangeFaceOfEmptyLine(cTextLineObject* line, const sTextStyleInfo& mask,
                                      const sTextStyleInfo& values);
  void RecordAreaChange(const sETOAreaChange& change, SInt32 start, cSp_RunSet& oldText);
  // Re-wraps the lines from `from` to the end of the paragraph that holds `last`, after an
  // attribute change, and places them.
  void RewrapFrom(cTextLineObject* from, cTextLineObject* last, SInt32 oldHeight);
  unsigned char ChangeWholeText(tTextStyleAttType type, unsigned long value,
                                unsigned char redraw);
  // Stops a replay that failed part way: the history no longer matches the text.
  SInt32 AbandonReplay(const char* method);

  // ---- Settings ----
  unsigned char areaVisible_ = 0;
  unsigned char multiLine_ = 0;
  unsigned char directActive_ = 1;
  unsigned char editable_ = 0;
  unsigned char selection_ = 0;
  unsigned char autoScroll_ = 1;
  unsigned char containerAutoScroll_ = 1;
  unsigned char autoGrow_ = 1;
  unsigned char urlLaunch_ = 0;
  unsigned char mailerLaunch_ = 0;
  unsigned char selectAllOnTab_ = 0;
  unsigned char onlyAlpha_ = 0;
  unsigned char onlyNumber_ = 0;
  unsigned char onlyNumberOption_ = 0;
  unsigned char controlReturn_ = 0;
  unsigned char optionReturn_ = 0;
  unsigned char variableLineWidth_ = 0;
  SInt16 lineMinWidth_ = 30;
  SInt16 lineMaxWidth_ = 0;
  SInt16 initialWidth_ = 0;
  SInt16 minViewHeight_ = 30;
  SInt16 maxViewHeight_ = 0;
  unsigned char reserved_ = 0;
  SInt16 leftOffset_ = 1;
  SInt16 rightOffset_ = 2;
  SInt16 topOffset_ = 2;
  SInt16 bottomOffset_ = 3;
  SInt16 currentWidth_ = 0;
  SInt16 lineHeight_ = 0;
  cTextLineObject* firstLine_ = nullptr;
  cTextLineObject* lastLine_ = nullptr;
  tPositionType horizontalPosition_ = kSpPositionLeft;
  unsigned char showSelection_ = 1;
  // ---- Caret and selection ----
  unsigned char caretMode_ = 0;
  unsigned char selectionMode_ = 0;
  cTextLineObject* startLine_ = nullptr;
  SInt32 startByte_ = 0;
  cTextLineObject* endLine_ = nullptr;
  SInt32 endByte_ = 0;
  unsigned char caretVisible_ = 0;
  // The widest bar drawn since the caret was last erased: erasing takes all of it away.
  SInt16 caretDrawnWidth_ = 1;
  unsigned char blinkPaused_ = 0;
  UInt32 lastBlink_ = 0;
  SInt16 arrowPosition_ = -1;
  cTextLineObject* dragCaretLine_ = nullptr;
  SInt32 dragCaretByte_ = 0;
  char* caretText_ = nullptr;
  SInt32 caretTextSize_ = 0;
  sTextStyleAttributes insertAttributes_;
  // ---- Inline input ----
  unsigned char textInputInProgress_ = 0;
  cETOAreaInfo* inputAreaHead_ = nullptr;
  cETOAreaInfo* inputAreaTail_ = nullptr;
  SInt32 inputAreaCount_ = 0;
  // Where the unconfirmed text starts: kept as an absolute position, since the text before it
  // does not change while it is composed but its lines may be re-wrapped; the line and byte
  // follow it.
  SInt32 areaStartAbs_ = -1;
  cTextLineObject* areaLine_ = nullptr;
  SInt32 areaByte_ = 0;
  SInt32 areaLength_ = 0;
  unsigned char useSystemScript_ = 0;
  // ---- Facilities ----
  unsigned char textServiceOn_ = 0;
  unsigned char dropCatchOn_ = 1;
  unsigned char mouseTraceOn_ = 1;
  unsigned char hotSpotOn_ = 1;
  unsigned char dragHilite_ = 0;
  cMouseTraceObject* mouseTrace_ = nullptr;
  cETOOperationRecMgr* undoManager_ = nullptr;
  unsigned char tabControlOn_ = 0;
  cTabControlObj* tabControl_ = nullptr;
  unsigned char cutUnderViewImage_ = 1;
  unsigned char deleteReady_ = 0;
  short traceCursor_ = 2001;
  cSendDragDataObj* dragSource_ = nullptr;
  unsigned char dragSourceFlag_ = 0;
  unsigned char droppedOnItself_ = 0;
  unsigned char dragInside_ = 0;
  unsigned char dragCaretDrawn_ = 0;
  unsigned char wasActiveOnDrag_ = 0;
  // ---- Client callbacks ----
  sSpCallback<tETO_ModifyTextProcPtr> modifyCB_;
  sSpCallback<tETO_NotifyProcPtr> activeCB_;
  sSpCallback<tETO_NotifyProcPtr> deActiveCB_;
  sSpCallback<tETO_NotifyProcPtr> mouseDownCB_;
  sSpCallback<tETO_NotifyProcPtr> mouseUpCB_;
  sSpCallback<tETO_NotifyProcPtr> clickCB_;
  sSpCallback<tETO_NotifyProcPtr> dblClickCB_;
  sSpCallback<tETO_GrowProcPtr> growBeforeCB_;
  sSpCallback<tETO_GrowProcPtr> growAfterCB_;
  sSpCallback<tETO_NotifyProcPtr> selectInCB_;
  sSpCallback<tETO_NotifyProcPtr> selectOutCB_;
  sSpCallback<tETO_NotifyProcPtr> selectionModifyCB_;
  sSpCallback<tETO_NotifyProcPtr> caretModifyCB_;
  sSpCallback<tETO_NotifyProcPtr> undoInCB_;
  sSpCallback<tETO_NotifyProcPtr> undoOutCB_;
  sSpCallback<tETO_NotifyProcPtr> redoInCB_;
  sSpCallback<tETO_NotifyProcPtr> redoOutCB_;
  sSpCallback<tETO_ImportDropProcPtr> importDropCB_;
  // ---- The manager's list ----
  cEditTextObject* etBefore_ = nullptr;
  cEditTextObject* etNext_ = nullptr;

 public:
  // The clause offsets of the open inline input.
  cSp_uLongCollection clauseOffsets_;
};

// ---- Procedures handed to the framework (the reference is the object) ----
void SpETO_ContentsAreaDrawingProc(unsigned long refCon, Rect* area);
unsigned char Sp_ETO_MouseTraceVerifyPositionProc(Point localPoint, short modifiers,
                                                  unsigned long refCon, short& areaCode);
void Sp_ETO_MouseTraceAreaInProc(Point localPoint, short modifiers, unsigned long refCon);
void Sp_ETO_MouseTraceAreaOutProc(short modifiers, unsigned long refCon);
void SpETO_DragCursorTraceIn(DragRef drag, Point localPoint, unsigned long refCon);
void SpETO_DragCursorTraceMove(DragRef drag, Point localPoint, unsigned long refCon);
void SpETO_DragCursorTraceOut(DragRef drag, Point localPoint, unsigned long refCon);
// -50 for a null reference.
short SpETO_CatchDropItem(Point localPoint, unsigned long refCon, cDragDataItem* items,
                          UInt32* dragAttributes);
void SpETO_UnDoExistInCallBackCatch(cETOOperationRecMgr* manager, unsigned long refCon);
void SpETO_UnDoExistOutCallBackCatch(cETOOperationRecMgr* manager, unsigned long refCon);
void SpETO_ReDoExistInCallBackCatch(cETOOperationRecMgr* manager, unsigned long refCon);
void SpETO_ReDoExistOutCallBackCatch(cETOOperationRecMgr* manager, unsigned long refCon);
unsigned char SpETOT_CatchTabControlMoveInCB(unsigned long refCon);
void SpETOT_CatchTabControlMoveOutCB(unsigned long refCon);
// The send-data procedure of a field's drag (refCon: the field); -50 for a null reference.
OSErr SpETO_DragAndDropSendDataProc(UInt32 itemRef, UInt32 flavorType, unsigned long refCon);
