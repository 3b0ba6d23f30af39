// Keys in an edit-text object: typed text inserted at the caret or over the selection, the
// control keys (Backspace, forward delete, the arrows, Tab, and those swallowed), the
// number-only filter, and cut, copy and paste through the clipboard with the text's styles.
//
// Nothing is recorded for undo while the object has no undo manager.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "MacMemory.h"
#include "OSUtils.h"
#include "Scrap.h"
#include "SpETOTextStyle.h"
#include "SpETOEditInternal.h"
#include "SpETOOperationRec.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpETO_KeyIn";

enum : char {
  kBackspace = 8,
  kTab = 9,
  kPageUp = 11,
  kPageDown = 12,
  kReturn = 13,
  kEscape = 27,
  kLeftArrow = 28,
  kRightArrow = 29,
  kUpArrow = 30,
  kDownArrow = 31,
  kForwardDelete = 127,
};


}  // namespace

SInt32 cEditTextObject::KyeInProcedure(const char* text) {
  if (text == nullptr || IsHotSpotTargetWindowOpen() == 0 || editable_ == 0) return 0;
  const SInt32 n = SInt32(std::strlen(text));
  short modifierBits = 0;
  sSpModifiersDataStruct mods{};
  Sp_GetModifiers(&modifierBits, &mods);
  const bool optionOnly = mods.optionFlag && !mods.commandFlag && !mods.shiftFlag &&
                          !mods.capsLockFlag && !mods.controlFlag;
  const bool controlOnly = mods.controlFlag && !mods.commandFlag && !mods.shiftFlag &&
                           !mods.capsLockFlag && !mods.optionFlag;
  if (n == 1 && mods.commandFlag) {
    // Cut, copy and paste are the field's; every other command key belongs to the menus.
    const bool range = ExistSelectionText() != 0;
    switch (text[0]) {
      case 'C':
      case 'c':
        if (range) ExecCopySelectedTextIntoScrap(0, 1);
        return 1;
      case 'X':
      case 'x':
        if (range) ExecCutSelectedTextIntoScrap(1);
        return 1;
      case 'V':
      case 'v':
        if (range || caretMode_ != 0) ExecPastScrapText(1);
        return 1;
      default:
        return 0;
    }
  }
  if (n == 1 && text[0] == kReturn) {
    if (optionOnly && optionReturn_ == 0) return 0;
    if (controlOnly && controlReturn_ == 0) return 0;
    if (!optionOnly && !controlOnly && (mods.optionFlag || mods.controlFlag)) return 0;
  }
  if (n == 1 && KeyControlProcedure(text[0]) != 0) return 1;
  if (showSelection_ == 0 || (caretMode_ == 0 && selectionMode_ == 0) || startLine_ == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::KyeInProcedure", 1, "Caret setup error!! ",
                           0);
  }
  if (!NumberFilterPasses(text, n)) return 0;
  SInt32 insertAt = 0;
  if (ExistSelectionText() != 0) {
    SInt32 a = 0, b = 0;
    if (LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, a) == 0 ||
        LineByteToAbsoluteCharBytePosition(endLine_, endByte_, 1, b) == 0) {
      return SpReportFailure(kSource, "cEditTextObject::KyeInProcedure", 2,
                             "Caret position Error !! ", 0);
    }
    insertAt = std::min(a, b);
    OpenUndoStep(kETOOperationTextIn);
  } else if (LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, insertAt) == 0) {
    SpReportFailure(kSource, "cEditTextObject::KyeInProcedure", 3, kSpMsgDataError);
  } else {
    // Typing on at the caret that moved with it stays one step.
    UndoStepForTextIn(insertAt);
  }
  const SInt32 oldHeight = GetTotalLineHeight();
  const bool deleted = DeleteCurrentSelection(0, 0, 1, 0, 1, 0) != 0;
  SInt32 inserted = 0;
  if (caretMode_ != 0 && startLine_ != nullptr) InsertAtCaret(text, n, inserted);
  if (inserted > 0) FinishInsertAtCaret(insertAt, inserted, oldHeight);
  if (deleted || inserted > 0) {
    ExecModifyTextCB(kETO_TextInserted);
    ReDrawAreaUpdateView(0);
  }
  return 1;
}

void cEditTextObject::FinishInsertAtCaret(SInt32 insertAt, SInt32 inserted, SInt32 oldHeight) {
  RecordUndoTextIn(insertAt, inserted);
  const cTextLineObject* edited = startLine_;
  cTextLineObject* from =
      startLine_->GetBeforeObjectPtr() != nullptr ? startLine_->GetBeforeObjectPtr() : startLine_;
  // The lines the caret names may go in the re-wrap; it is put back by position.
  startLine_ = endLine_ = nullptr;
  caretMode_ = 0;
  unsigned char widthChanged = 0;
  // Only the lines that came out of the re-wrap other than they went in are drawn again.
  RewrapAndMark(from, oldHeight, widthChanged, 0, true, edited);
  SetupCaretPosition(insertAt + inserted, 0);
  if (startLine_ != nullptr) {
    unsigned char changed = 0;
    ShowTargetPosition(startLine_, std::max<SInt32>(0, startByte_ - 1), changed, 0);
  }
}

bool cEditTextObject::NumberFilterPasses(const char* text, SInt32 length) {
  if (onlyNumber_ == 0) return true;
  // Every byte counts, not only the first: a typed string or a paste is many keys.
  bool point = SerchTargetCharactor('.', nullptr, 0, nullptr, nullptr) != 0;
  for (SInt32 i = 0; i < length; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') continue;
    if (c == '.' && onlyNumberOption_ != 0 && !point) {
      point = true;
      continue;
    }
    return false;
  }
  return true;
}

void cEditTextObject::InsertAtCaret(const char* text, SInt32 length, SInt32& inserted) {
  SInt32 textBytes = 0, tabs = 0, breaks = 0;
  std::string bytes(text, std::size_t(length));
  startLine_->InsertString(bytes.c_str(), startByte_, insertAttributes_, textBytes, tabs, breaks);
  // Tabs and line breaks are bytes of the text as much as letters: the caret goes after them.
  inserted = textBytes + tabs + breaks;
}

SInt32 cEditTextObject::KeyControlProcedure(char key) {
  switch (key) {
    case kBackspace: {
      if (startLine_ == nullptr) return 1;
      SInt32 p = 0;
      const bool known = LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, p) != 0;
      if (!known) {
        SpReportFailure(kSource, "cEditTextObject::KeyControlProcedure", 1, kSpMsgDataError);
      }
      // Backspaces right after typing join the typing; a run of them is one delete step. At
      // the start of the text there is nothing to delete and no step to open.
      if (known && (p > 0 || ExistSelectionText() != 0)) UndoStepForDelete(p);
      if (DeleteCurrentSelection(1, 0, 1, 0, 1, 1) != 0) return 1;
      PauseBrinkCaret(1);
      cTextLineObject* line = startLine_;
      const SInt32 position = startByte_;
      SInt32 top = 0, bottom = 0;
      line->GetLinePosition(top, bottom);
      MarkOffscreenBand(top, bottom, 0, currentWidth_);
      cTextLineObject* before = line->GetBeforeObjectPtr();
      const SInt32 oldHeight = GetTotalLineHeight();
      SInt32 removed = 0;
      unsigned char atLineStart = 0, widthChanged = 0;
      SInt16 handled = 0, added = 0, gone = 0;
      // The caret names no line while the lines change under it.
      startLine_ = endLine_ = nullptr;
      caretMode_ = 0;
      cSp_RunSet removedText;
      line->BackSpaceCharacter(position, removed, atLineStart, handled, added, gone,
                               &removedText, widthChanged);
      if (removed > 0) {
        FitWidthForAutoLineChange(0);
        // At a line's start the line before lost its last character and re-wrapped itself,
        // which may have taken this line in.
        cTextLineObject* changed = position == 0 && before != nullptr ? before : line;
        cTextLineObject* from =
            changed->GetBeforeObjectPtr() != nullptr ? changed->GetBeforeObjectPtr() : changed;
        UpdateLastLine();
        unsigned char rewrapped = 0;
        TragetLineResetBreakLine(from, oldHeight, rewrapped, 0);
        SetupCaretPosition(p - removed, 0);
        if (startLine_ == nullptr) {
          SpReportFailure(kSource, "cEditTextObject::KeyControlProcedure", 3, kSpMsgDataError);
          SetupCaretPosition(firstLine_, 0, 0);
        }
        unsigned char shown = 0;
        if (startLine_ != nullptr) ShowTargetPosition(startLine_, startByte_, shown, 0);
        ResetupOffscreenAreaSize();
        if (startLine_ != nullptr) ShowTargetPosition(startLine_, startByte_, shown, 0);
        if (known) RecordUndoDelete(p - removed, removedText);
        DeleteUnUsedLine();
        ExecModifyTextCB(kETO_TextDeleted);
        ReDrawAreaUpdateView(0);
      } else {
        SetupCaretPosition(line, position, 0);
      }
      PauseOutBrinkCaret();
      return 1;
    }
    case kTab:
      if (tabControlOn_ != 0 && tabControl_ != nullptr) return tabControl_->ReportTabCatch();
      return 0;
    case kForwardDelete:
      ForwardDeleteKeyIn();
      return 1;
    case kPageUp:
    case kPageDown:
    case kEscape:
      return 1;
    case kLeftArrow:
    case kRightArrow:
    case kUpArrow:
    case kDownArrow:
      ArrowKeyIn(key);
      return 1;
    default:
      return 0;
  }
}

void cEditTextObject::ArrowKeyIn(char key) {
  if (startLine_ == nullptr || endLine_ == nullptr) {
    SetupCaretOnTopPositionAndAutoScroll();
    return;
  }
  const bool forward = !sp_eto_edit::After(startLine_, startByte_, endLine_, endByte_);
  PauseBrinkCaret(0);
  if (ExistSelectionText() == 0) {
    cTextLineObject* line = startLine_;
    SInt32 byte = startByte_;
    switch (key) {
      case kRightArrow: {
        SInt32 q = byte;
        if (line->GetNextCharPosition(byte, q) == 0) {
          byte = q;
        } else if (line->GetNextObjectPtr() != nullptr) {
          line = line->GetNextObjectPtr();
          byte = 0;
        }
        arrowPosition_ = -1;
        break;
      }
      case kLeftArrow: {
        SInt32 q = byte;
        if (line->GetBeforeCharPosition(byte, q) == 0 && q < byte) {
          byte = q;
        } else if (byte == 0 && line->GetBeforeObjectPtr() != nullptr) {
          line = line->GetBeforeObjectPtr();
          byte = line->GetNumOfTextByte(1, 0);
        }
        arrowPosition_ = -1;
        break;
      }
      default: {
        cTextLineObject* target =
            key == kUpArrow ? line->GetBeforeObjectPtr() : line->GetNextObjectPtr();
        if (target == nullptr) break;
        if (arrowPosition_ < 0) {
          SInt16 x = 0;
          arrowPosition_ = line->CharBytePositToPixPosit(nullptr, 0, byte, x) != 0 ? x : 0;
        }
        if (arrowPosition_ < target->GetRealLineWidth(1, 1)) {
          SInt32 hit = 0;
          unsigned char leading = 0, where = 0;
          tETO_AreaOutType area = 0;
          if (target->PixPositToCharBytePosit(nullptr, 0, 1, arrowPosition_, hit, leading, where,
                                              area) != 0) {
            byte = hit;
          }
        } else {
          byte = target->GetNumOfTextByte(1, 0);
        }
        line = target;
        break;
      }
    }
    // The column of up and down moves is kept across them.
    startLine_ = endLine_ = line;
    startByte_ = endByte_ = byte;
    JudgeSelectionOrCaret();
    ResetInsertPointAttributeByCaretPositionAttribute();
  } else {
    const bool toLater = key == kRightArrow || key == kDownArrow;
    if (toLater == forward) {
      SetupSelectionStartPoint(endLine_, endByte_, 1, 1);
    } else {
      SetupSelectionEndPoint(startLine_, startByte_, 1, 1);
    }
    ResetInsertPointAttributeByCaretPositionAttribute();
    arrowPosition_ = -1;
  }
  ResetupOffscreenAreaSize();
  unsigned char changed = 0;
  if (startLine_ != nullptr) {
    ShowTargetPosition(startLine_, std::max<SInt32>(0, startByte_ - 1), changed, 1);
  }
  PauseOutBrinkCaret();
}

// ---- Forward delete ----

void cEditTextObject::ForwardDeleteKeyIn() {
  static const char kMethod[] = "cEditTextObject::ForwardDeleteKeyIn";
  if (startLine_ == nullptr) return;
  SInt32 p = 0;
  if (LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, p) == 0) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgDataError);
    return;
  }
  // A run of forward deletes stays at one place and is one delete step.
  if (ExistSelectionText() != 0) {
    UndoStepForDelete(p);
    DeleteCurrentSelection(1, 0, 1, 0, 1, 1);
    return;
  }
  // The character after the caret: at the end of a wrapped line it is the next line's first;
  // at a line break it is the break.
  cTextLineObject* line = startLine_;
  SInt32 byte = startByte_;
  if (line->GetContainLineBrakeFlag() == 0 && byte >= line->GetNumOfTextByte(1, 0) &&
      line->GetNextObjectPtr() != nullptr) {
    line = line->GetNextObjectPtr();
    byte = 0;
  }
  cTextLineObject* endLine = line;
  SInt32 endByte = byte;
  if (line->GetNextCharPosition(byte, endByte) != 0 || endByte <= byte) {
    if (line->GetContainLineBrakeFlag() == 0 || line->GetNextObjectPtr() == nullptr) return;
    endLine = line->GetNextObjectPtr();
    endByte = 0;
  }
  UndoStepForDelete(p);
  PauseBrinkCaret(1);
  // The caret names no line while the lines change under it.
  startLine_ = endLine_ = nullptr;
  caretMode_ = 0;
  // The deletion records itself in the step, after what a run of forward deletes took.
  DeleteTargetArea(line, byte, endLine, endByte, 0, 1, 0, 1, 0);
  SetupCaretPosition(p, 0);
  if (startLine_ == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    SetupCaretPosition(firstLine_, 0, 0);
  }
  FitWidthForAutoLineChange(0);
  ResetupOffscreenAreaSize();
  unsigned char shown = 0;
  if (startLine_ != nullptr) ShowTargetPosition(startLine_, startByte_, shown, 0);
  DeleteUnUsedLine();
  ExecModifyTextCB(kETO_TextDeleted);
  ReDrawAreaUpdateView(0);
  PauseOutBrinkCaret();
}

// ---- The clipboard ----

bool cEditTextObject::SelectionScrapData(std::string& text, char*& style, SInt32& styleSize) {
  style = nullptr;
  styleSize = 0;
  if (GetSelectionStringSize(1) <= 0) return false;
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  if (GetCopyStyleRunListFromSelectionArea(head, tail) == 0) return false;
  text = sp_eto_edit::TextBetween(startLine_, startByte_, endLine_, endByte_, 1);
  cETOTextStyleBase table;
  SpETO_SetupStyleDataFromRunList(&table, head);
  SpETO_DeleteFreeRunList(head);
  style = table.CreateStyleScrapData(styleSize);
  return !text.empty();
}

SInt32 cEditTextObject::ExecCutSelectedTextIntoScrap(unsigned char redraw) {
  return ExecCopySelectedTextIntoScrap(1, redraw);
}

SInt32 cEditTextObject::ExecCopySelectedTextIntoScrap(unsigned char deleteAfter,
                                                      unsigned char redraw) {
  std::string text;
  char* style = nullptr;
  SInt32 styleSize = 0;
  if (!SelectionScrapData(text, style, styleSize)) {
    if (style != nullptr) DisposePtr(style);
    return 0;
  }
  ScrapRef scrap = nullptr;
  ClearCurrentScrap();
  if (GetCurrentScrap(&scrap) == noErr) {
    PutScrapFlavor(scrap, kScrapFlavorTypeText, kScrapFlavorMaskNone, Size(text.size()),
                   text.data());
    if (style != nullptr && styleSize > 0) {
      PutScrapFlavor(scrap, kScrapFlavorTypeTextStyle, kScrapFlavorMaskNone, styleSize, style);
    }
  }
  if (style != nullptr) DisposePtr(style);
  if (deleteAfter != 0) {
    OpenUndoStep(kETOOperationCut);
    DeleteCurrentSelection(redraw, 1, 1, 0, 1, 1);
  }
  return 1;
}

SInt32 cEditTextObject::ExecPastScrapText(unsigned char redraw) {
  static const char kMethod[] = "cEditTextObject::ExecutePastScrapText";
  if (startLine_ == nullptr) return 0;
  ScrapRef scrap = nullptr;
  Size size = 0;
  if (GetCurrentScrap(&scrap) != noErr ||
      GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size) != noErr || size <= 0) {
    return 0;
  }
  std::vector<char> text(std::size_t(size) + 4, '\0');
  Size got = size;
  if (GetScrapFlavorData(scrap, kScrapFlavorTypeText, &got, text.data()) != noErr || got <= 0) {
    return 0;
  }
  const SInt32 length = SInt32(std::min<Size>(got, size));
  // A number-only field takes the whole paste or nothing.
  if (!NumberFilterPasses(text.data(), length)) return 0;
  sp_eto_edit::sSpan span;
  cTextLineObject* at = startLine_;
  SInt32 atByte = startByte_;
  if (sp_eto_edit::Order(startLine_, startByte_, endLine_, endByte_, span)) {
    at = span.first;
    atByte = span.firstByte;
  }
  sTextStyleAttributes attributes = insertAttributes_;
  at->GetPositionAttribute(atByte, attributes);
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  SpETO_CreateStyleRunObjectFromBytes(text.data(), length, GetWindowPort(GetTargetWindowPtr()),
                                      attributes, head, tail);
  if (head == nullptr) return 0;
  Size styleSize = 0;
  if (GetScrapFlavorSize(scrap, kScrapFlavorTypeTextStyle, &styleSize) == noErr &&
      styleSize > 0) {
    std::vector<char> style(static_cast<std::size_t>(styleSize));
    Size styleGot = styleSize;
    cETOTextStyleBase table;
    // The table is read with the size that arrived: it may come from anywhere.
    if (GetScrapFlavorData(scrap, kScrapFlavorTypeTextStyle, &styleGot, style.data()) == noErr &&
        table.SetupStyleData(style.data(), SInt32(styleGot)) != 0) {
      SpETO_MargeStyleDataIntoRunList(text.data(), head, &table);
    }
  }
  OpenUndoStep(kETOOperationPaste);
  const SInt32 oldHeight = GetTotalLineHeight();
  DeleteCurrentSelection(0, 0, 1, 0, 1, 0);
  SInt32 p = 0;
  if (startLine_ == nullptr ||
      LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, p) == 0) {
    SpETO_DeleteFreeRunList(head);
    return SpReportFailure(kSource, kMethod, 3, kSpMsgDataError, 0);
  }
  SInt32 textBytes = 0, tabs = 0, breaks = 0;
  if (startLine_->InsertRunList(text.data(), head, startByte_, textBytes, tabs, breaks) == 0) {
    SpETO_DeleteFreeRunList(head);
    return 0;
  }
  FinishInsertAtCaret(p, textBytes + tabs + breaks, oldHeight);
  ExecModifyTextCB(kETO_TextInserted);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cEditTextObject::SetupPastTextOnSelection(const char* text, unsigned char redraw) {
  static const char kMethod[] = "cEditTextObject::SetupPastTextOnSelection";
  if (text == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
    return;
  }
  if (undoManager_ != nullptr) {
    const cETOOperationRecTerm* term = undoManager_->GetCurrentTerm();
    const bool openPaste = term != nullptr && term->GetOperationType() == kETOOperationPaste &&
                           term->GetDecideFlag() == 0 && term->GetNextObjectPtr() == nullptr;
    if (!openPaste) OpenUndoStep(kETOOperationPaste);
  }
  const SInt32 oldHeight = GetTotalLineHeight();
  // The replaced text goes into the paste step, not a step of its own.
  DeleteCurrentSelection(0, 1, 1, 0, 1, 0);
  SInt32 p = 0;
  if (caretMode_ == 0 || startLine_ == nullptr ||
      LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, p) == 0) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    return;
  }
  SInt32 inserted = 0;
  InsertAtCaret(text, SInt32(std::strlen(text)), inserted);
  if (inserted > 0) FinishInsertAtCaret(p, inserted, oldHeight);
  ExecModifyTextCB(kETO_TextInserted);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

// ---- Undo steps ----

void cEditTextObject::OpenUndoStep(unsigned char type) {
  if (undoManager_ != nullptr) undoManager_->CreateNewOperationTerm(tETOOperationRecType(type));
}

void cEditTextObject::UndoStepForTextIn(SInt32 position) {
  if (undoManager_ != nullptr) undoManager_->GetOperationTermForTextIn(position);
}

void cEditTextObject::UndoStepForDelete(SInt32 position) {
  if (undoManager_ == nullptr) return;
  const cETOOperationRecTerm* term = undoManager_->GetCurrentTerm();
  const bool goesOn =
      term != nullptr && term->GetDecideFlag() == 0 && term->GetNextObjectPtr() == nullptr &&
      ((term->GetOperationType() == kETOOperationTextIn &&
        term->GetTotalProcLastCursorPosition() == position) ||
       (term->GetOperationType() == kETOOperationDelete && term->CheckTargetPosition(position)));
  if (!goesOn) undoManager_->CreateNewOperationTerm(kETOOperationDelete);
}

void cEditTextObject::RecordUndoTextIn(SInt32 position, SInt32 length) {
  if (undoManager_ == nullptr || length <= 0) return;
  cETOOperationRecTerm* term = undoManager_->GetCurrentTerm();
  if (term == nullptr || term->GetDecideFlag() != 0) return;
  cTextLineObject* from = nullptr;
  cTextLineObject* to = nullptr;
  SInt32 fromByte = 0, toByte = 0;
  cSp_RunSet text;
  if (GetCursorPositFromAbsPosit(position, 0, from, fromByte) == 0 ||
      GetCursorPositFromAbsPosit(position + length, 0, to, toByte) == 0 ||
      GetTargetString(text, from, fromByte, to, toByte, 1) <= 0) {
    SpReportFailure(kSource, "cEditTextObject::KyeInProcedure", 4, kSpMsgDataError);
    return;
  }
  term->RecordWithTextIn(position, text);
}

void cEditTextObject::RecordUndoDelete(SInt32 position, cSp_RunSet& removed) {
  if (undoManager_ == nullptr || removed.GetStringLen(1, 1) <= 0) return;
  cETOOperationRecTerm* term = undoManager_->GetCurrentTerm();
  if (term != nullptr && term->GetDecideFlag() == 0) term->RecordWithDelete(position, removed);
}
