// Keys in an edit-text object: typed text inserted at the caret or over the selection, the
// control keys (Backspace, the arrows, Tab, and those swallowed), and the number-only filter.
//
// Nothing is recorded for undo while the object has no undo manager.
#include <algorithm>
#include <cstring>
#include <string>

#include "OSUtils.h"
#include "SpETOEditInternal.h"
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
  // Command keys belong to the menus (the clipboard's commands are not the field's yet).
  if (n == 1 && mods.commandFlag) return 0;
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
  if (onlyNumber_ != 0) {
    // Every byte of the text is checked, not only the first: a typed string is many keys.
    bool point = SerchTargetCharactor('.', nullptr, 0, nullptr, nullptr) != 0;
    for (SInt32 i = 0; i < n; ++i) {
      const char c = text[i];
      if (c >= '0' && c <= '9') continue;
      if (c == '.' && onlyNumberOption_ != 0 && !point) {
        point = true;
        continue;
      }
      return 0;
    }
  }
  SInt32 insertAt = 0;
  if (ExistSelectionText() != 0) {
    SInt32 a = 0, b = 0;
    if (LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, a) == 0 ||
        LineByteToAbsoluteCharBytePosition(endLine_, endByte_, 1, b) == 0) {
      return SpReportFailure(kSource, "cEditTextObject::KyeInProcedure", 2,
                             "Caret position Error !! ", 0);
    }
    insertAt = std::min(a, b);
  } else if (LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, insertAt) == 0) {
    SpReportFailure(kSource, "cEditTextObject::KyeInProcedure", 3, kSpMsgDataError);
  }
  const SInt32 oldHeight = GetTotalLineHeight();
  const bool deleted = DeleteCurrentSelection(0, 0, 1, 0, 1, 0) != 0;
  SInt32 inserted = 0;
  if (caretMode_ != 0 && startLine_ != nullptr) InsertAtCaret(text, n, inserted);
  if (inserted > 0) {
    cTextLineObject* from = startLine_->GetBeforeObjectPtr() != nullptr
                                ? startLine_->GetBeforeObjectPtr()
                                : startLine_;
    // The lines the caret names may go in the re-wrap; it is put back by position.
    startLine_ = endLine_ = nullptr;
    caretMode_ = 0;
    unsigned char widthChanged = 0;
    TragetLineResetBreakLine(from, oldHeight, widthChanged, 0);
    SetupCaretPosition(insertAt + inserted, 0);
    if (startLine_ != nullptr) {
      unsigned char changed = 0;
      ShowTargetPosition(startLine_, std::max<SInt32>(0, startByte_ - 1), changed, 0);
    }
  }
  if (deleted || inserted > 0) {
    ExecModifyTextCB(kETO_TextInserted);
    ReDrawAreaUpdateView(0);
  }
  return 1;
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
      if (LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, p) == 0) {
        SpReportFailure(kSource, "cEditTextObject::KeyControlProcedure", 1, kSpMsgDataError);
      }
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
      line->BackSpaceCharacter(position, removed, atLineStart, handled, added, gone, nullptr,
                               widthChanged);
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
    case kPageUp:
    case kPageDown:
    case kEscape:
    case kForwardDelete:
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
