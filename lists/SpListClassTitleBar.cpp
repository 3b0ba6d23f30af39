// The list's title bars: the top bar is built from the columns and kept in step with them;
// dragging its separators resizes the columns. The list keeps room for a left bar (row
// titles) too, which every operation here accepts, though the list never makes one itself.
#include <algorithm>
#include <new>
#include <string>

#include "SpErrorInfoSystem.h"
#include "SpListClass.h"

namespace {

const char kSource[] = "SpListClass";
const char kMsgOutOfStep[] = "List Root Data Num != Title Bar Item Num on Sep. Moveing";

// The separators of the list's bar need a little room for a title.
constexpr short kTitleMinimumWidth = 5;

}  // namespace

cSp_TittleBarControl* cLMgr_List_Base::TitleBar(tListDirection direction) const {
  if (direction == kLMgrRowDirection) return leftTitleBar_;
  if (direction == kLMgrColumnDirection) return topTitleBar_;
  return nullptr;
}

cLMgr_CellRoot* cLMgr_List_Base::LineHeadOf(tListDirection direction) const {
  if (direction == kLMgrRowDirection) return rowRoots_;
  if (direction == kLMgrColumnDirection) return columnRoots_;
  return nullptr;
}

void cLMgr_List_Base::DeleteTitleBars() {
  delete topTitleBar_;
  topTitleBar_ = nullptr;
  delete leftTitleBar_;
  leftTitleBar_ = nullptr;
}

Rect cLMgr_List_Base::TopTitleBarRect() const {
  Rect rect = listArea_;
  if (leftTitleBar_ != nullptr) rect.left = short(rect.left + leftTitleBarWidth_);
  rect.bottom = short(rect.top + topTitleBarHeight_);
  return rect;
}

void cLMgr_List_Base::ShowLineTitle(cSp_TittleBarControl* bar, cLMgr_CellRoot* line,
                                    Boolean numberOnly) {
  sSO_StringObjectBase* title = line->GetTitle();
  if (numberOnly == 0 && title != nullptr) {
    std::string text(size_t(SpSO_GetStringLen(title)) + 2, '\0');
    unsigned char cut = 0;
    SpSO_GetString(title, &text[0], SInt32(text.size()), cut);
    bar->SetupOutputString(line->lineNo, text.c_str());
  } else {
    bar->SetupOutputString(line->lineNo, std::to_string(line->lineNo).c_str());
  }
}

void cLMgr_List_Base::SetupTopTitleBar(short height) {
  if (topTitleBar_ != nullptr) {
    ResetTopTitleBarHeight(height);
    return;
  }
  topTitleBarHeight_ = height;
  cSp_TittleBarControl* bar =
      new (std::nothrow) cSp_TittleBarControl(GetTargetWindowPtr(), TopTitleBarRect(), nullptr, 0);
  if (bar == nullptr) {
    SpReportFailure(kSource, "cLMgr_List_Base::SetupTopTitleBar", 2, kSpMsgMemory);
    return;
  }
  topTitleBar_ = bar;
  if (IsEnableView() == 0) bar->DisableViewOutput(0);
  for (cLMgr_CellRoot* c = columnRoots_; c != nullptr; c = c->GetNextObjectPtr()) {
    const short width = short(std::min<SInt32>(c->outerEnd - c->outerStart, 32767));
    const short item = bar->SetupItem(kTBC_SmallButtonItem, width, kTitleMinimumWidth, 1, -1);
    if (item < 0) break;
    ShowLineTitle(bar, c, 0);
    bar->SetupFontNo(item, c->titleFontNo);
    bar->SetupTextSize(item, c->titleTextSize);
  }
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  bar->SetupSeparatorMoveingProcedure(SpLMGR_TopTitleBarMoveingSeparatorCallbackProc, self);
  bar->SetupSeparatorMoveEndProcedure(SpLMGR_TopTitleBarMoveingSeparatorCallbackProc, self);
  ResetContentsAreaRect(1);
  // The titles scroll with the columns.
  if (cScrollBarObj* across = GetViewScrollBarPtr(kSpHorizontalScrollBar)) {
    bar->SetupViewScrollBar(kSpHorizontalScrollBar, across);
  }
}

void cLMgr_List_Base::EnableTopTitleBar() {
  if (topTitleBar_ == nullptr) return;
  topTitleBar_->EnableViewOutput(0);
  ResetContentsAreaRect(1);
}

void cLMgr_List_Base::DisableTopTitleBar(Boolean) {
  if (topTitleBar_ == nullptr) return;
  topTitleBar_->DisableViewOutput(0);
  ResetContentsAreaRect(1);
}

void cLMgr_List_Base::ResetTopTitleBarHeight(short height) {
  if (height == topTitleBarHeight_) return;
  topTitleBarHeight_ = height;
  if (topTitleBar_ == nullptr) return;
  topTitleBar_->SetupTitleBarHeight(height);
  ResetContentsAreaRect(1);
}

void cLMgr_List_Base::ResetContentsAreaRect(Boolean redraw) {
  // The title bars keep their room whether they show or not.
  Rect contents = listArea_;
  if (topTitleBar_ != nullptr) contents.top = short(contents.top + topTitleBarHeight_);
  if (leftTitleBar_ != nullptr) contents.left = short(contents.left + leftTitleBarWidth_);
  Rect current;
  GetImmediateDrawingArea(&current);
  if (EqualRect(&current, &contents)) return;
  ResizeViewArea(contents, redraw, 1);
  KeepScrollInStep();
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) SetupHotSpotArea(visible);
}

void cLMgr_List_Base::ResetTopTitleBarAreaRect() {
  if (topTitleBar_ != nullptr) topTitleBar_->ResizeTitleBar(TopTitleBarRect(), 0, 1);
}

// ---- Separators and titles ------------------------------------------------------------------

void cLMgr_List_Base::EnableMoveingSeparator(tListDirection direction) {
  cSp_TittleBarControl* bar = TitleBar(direction);
  if (bar == nullptr) return;
  bar->EnableSeparatorMouseTrace(-1);
  bar->SeparatorFlexOn();
}

void cLMgr_List_Base::DisableMoveingSeparator(tListDirection direction) {
  cSp_TittleBarControl* bar = TitleBar(direction);
  if (bar == nullptr) return;
  bar->DisableSeparatorMouseTrace(0);
  bar->SeparatorFlexOff();
}

void cLMgr_List_Base::SetupCellEndLineSeparatorFix(tListDirection direction, short item) {
  if (cSp_TittleBarControl* bar = TitleBar(direction)) bar->EndPointFixMode(item);
}

void cLMgr_List_Base::SetupCellEndLineSeparatorFlex(tListDirection direction, short item) {
  if (cSp_TittleBarControl* bar = TitleBar(direction)) bar->EndPointVariedMode(item);
}

void cLMgr_List_Base::SetupCellWidthFix(tListDirection direction, short item) {
  if (cSp_TittleBarControl* bar = TitleBar(direction)) bar->WidthFixedMode(item);
}

void cLMgr_List_Base::SetupCellWidthFlex(tListDirection direction, short item) {
  if (cSp_TittleBarControl* bar = TitleBar(direction)) bar->WidthVariedMode(item);
}

void cLMgr_List_Base::SetupTitle(tListDirection direction, short line, const char* text) {
  cLMgr_CellRoot* head = LineHeadOf(direction);
  cLMgr_CellRoot* root = head != nullptr ? head->GetTargetRootObjectPtrOnLink(line) : nullptr;
  if (root == nullptr || text == nullptr) return;
  root->SetupTitle(text);
  if (cSp_TittleBarControl* bar = TitleBar(direction)) bar->SetupOutputString(line, text);
}

void cLMgr_List_Base::ClearTitleString(tListDirection direction, short line, Boolean showNumber) {
  cSp_TittleBarControl* bar = TitleBar(direction);
  for (cLMgr_CellRoot* r = LineHeadOf(direction); r != nullptr; r = r->GetNextObjectPtr()) {
    if (line >= 0 && r->lineNo != line) continue;
    if (showNumber != 0) {
      if (bar != nullptr) ShowLineTitle(bar, r, 1);
      continue;
    }
    r->ClearTitleString();
    if (bar != nullptr) bar->ClearOutputString(r->lineNo);
  }
}

void cLMgr_List_Base::SetupTitleFontNo(tListDirection direction, short line, short fontNo) {
  for (cLMgr_CellRoot* r = LineHeadOf(direction); r != nullptr; r = r->GetNextObjectPtr()) {
    if (line < 0 || r->lineNo == line) r->titleFontNo = fontNo;
  }
  if (cSp_TittleBarControl* bar = TitleBar(direction)) bar->SetupFontNo(line, fontNo);
}

void cLMgr_List_Base::SetupTitleFontSize(tListDirection direction, short line, short size) {
  for (cLMgr_CellRoot* r = LineHeadOf(direction); r != nullptr; r = r->GetNextObjectPtr()) {
    if (line < 0 || r->lineNo == line) r->titleTextSize = size;
  }
  if (cSp_TittleBarControl* bar = TitleBar(direction)) bar->SetupTextSize(line, size);
}

// ---- Following a separator drag -------------------------------------------------------------

void cLMgr_List_Base::TopTitleBarMoveingSeparatorProc(short item) {
  cSp_TittleBarControl* bar = topTitleBar_;
  short width = 0, nextWidth = 0;
  if (bar == nullptr || bar->GetItemWidth(item, width) == 0) return;
  const bool nextItem = bar->GetItemWidth(short(item + 1), nextWidth) != 0;
  cLMgr_CellRoot* column = FindLine(0, item);
  if (column == nullptr) return;
  cLMgr_CellRoot* nextColumn = column->GetNextObjectPtr();
  if (nextItem != (nextColumn != nullptr)) {
    SpReportFailure(kSource, "cLMgr_List_Base::TopTitleBarMoveingSeparatorProc", 1, kMsgOutOfStep);
    return;
  }
  // An item's width takes the column's edge lines in.
  column->size = short(width - column->startLine.width - column->endLine.width);
  if (nextColumn != nullptr) {
    nextColumn->size = short(nextWidth - nextColumn->startLine.width - nextColumn->endLine.width);
  }
  SetupRootPosition(0, 1);
  SetupScrollArea();
  UpdateViewableDrawingArea(1, 1, nullptr);
}

void SpLMGR_TopTitleBarMoveingSeparatorCallbackProc(short item, unsigned long list) {
  if (list == 0) return;
  reinterpret_cast<cLMgr_List_Base*>(list)->TopTitleBarMoveingSeparatorProc(item);
}
