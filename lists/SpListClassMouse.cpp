// The list's mouse: each step of the window's hot-spot dispatch becomes a cell and a call of
// the client; a press also goes to the list's own selection, after the client has heard of it.
#include "SpListClass.h"
#include "SpStdFunctionNumber.h"

unsigned char areaSelectionStartFlag_GlV = 0;
unsigned char dragStartFlag_GlV = 0;

namespace {

const Point kNoCell = {0, 0};

}  // namespace

// ---- Callbacks ------------------------------------------------------------------------------

void cLMgr_List_Base::SetupMouseDownCBProcPtr(tLMgrMouseCellProcPtr proc, unsigned long refCon) {
  mouseDownCB_ = {proc, refCon};
}

void cLMgr_List_Base::SetupMouseDownMoveCBProcPtr(tLMgrMouseOnCellProcPtr proc,
                                                  unsigned long refCon) {
  mouseDownMoveCB_ = {proc, refCon};
}

void cLMgr_List_Base::SetupMouseUpCBProcPtr(tLMgrMouseOnCellProcPtr proc, unsigned long refCon) {
  mouseUpCB_ = {proc, refCon};
}

void cLMgr_List_Base::SetupMouseClickCBProcPtr(tLMgrMouseCellProcPtr proc, unsigned long refCon) {
  clickCB_ = {proc, refCon};
}

void cLMgr_List_Base::SetupMouseDoubleClickCBProcPtr(tLMgrMouseCellProcPtr proc,
                                                     unsigned long refCon) {
  doubleClickCB_ = {proc, refCon};
}

void cLMgr_List_Base::SetupNewSelectionOccurCBProcPtr(tLMgrMouseCellProcPtr proc,
                                                      unsigned long refCon) {
  newSelectionCB_ = {proc, refCon};
}

void cLMgr_List_Base::ExecMouseDownCB(Point cell, short modifiers) {
  if (mouseDownCB_.proc != nullptr) mouseDownCB_.proc(cell, modifiers, mouseDownCB_.userData);
}

void cLMgr_List_Base::ExecMouseDownMoveCB(Boolean onCell, Point cell, short modifiers) {
  if (mouseDownMoveCB_.proc != nullptr) {
    mouseDownMoveCB_.proc(onCell, cell, modifiers, mouseDownMoveCB_.userData);
  }
}

void cLMgr_List_Base::ExecMouseUpCB(Boolean onCell, Point cell, short modifiers) {
  if (mouseUpCB_.proc != nullptr) mouseUpCB_.proc(onCell, cell, modifiers, mouseUpCB_.userData);
}

void cLMgr_List_Base::ExecMouseClickCB(Point cell, short modifiers) {
  if (clickCB_.proc != nullptr) clickCB_.proc(cell, modifiers, clickCB_.userData);
}

void cLMgr_List_Base::ExecMouseDoubleClickCB(Point cell, short modifiers) {
  if (doubleClickCB_.proc != nullptr) {
    doubleClickCB_.proc(cell, modifiers, doubleClickCB_.userData);
  }
}

void cLMgr_List_Base::ExecNewSelectionOccurCB(Point cell, short modifiers) {
  if (newSelectionCB_.proc != nullptr) {
    newSelectionCB_.proc(cell, modifiers, newSelectionCB_.userData);
  }
}

// ---- The hot-spot steps ---------------------------------------------------------------------

unsigned char cLMgr_List_Base::HotSpotMouseDonwProc(short modifiers, Point localPoint) {
  areaSelectionStartFlag_GlV = 0;
  dragStartFlag_GlV = 0;
  Point cell = kNoCell;
  if (GetCellOnWindowLocalPosition(localPoint, &cell) == 0) {
    ExecMouseDownCB(kNoCell, modifiers);
    return 1;
  }
  // The client hears of the press before the selection changes.
  ExecMouseDownCB(cell, modifiers);
  if (selectionMode_ == kLMgrSelectNone) return 1;
  sSpModifiersDataStruct keys = {};
  Sp_ModifiersValueToModifiersDataInfo(modifiers, keys);
  Boolean changed = 0, rangeAdded = 0;
  if (CellSelection(kLMgrSelectAtMouseDown, keys.shiftFlag, cell, &changed, &rangeAdded) == 0) {
    return 1;
  }
  areaSelectionStartFlag_GlV = rangeAdded;
  if (changed != 0) UpdateViewableDrawingArea(1, 1, nullptr);
  // A press on the selection already there may start a drag of it.
  if (changed == 0 && rangeAdded == 0) dragStartFlag_GlV = 1;
  if (rangeAdded != 0) ExecNewSelectionOccurCB(cell, modifiers);
  return 1;
}

unsigned char cLMgr_List_Base::HotSpotMouseMoveProc(short modifiers, Point localPoint) {
  unsigned char result = 1;
  if ((areaSelectionStartFlag_GlV != 0 && passAreaSelectionMoves_ != 0) ||
      (dragStartFlag_GlV != 0 && passDragMoves_ != 0)) {
    result = 0;
  }
  Point cell = kNoCell;
  const Boolean onCell = GetCellOnWindowLocalPosition(localPoint, &cell);
  ExecMouseDownMoveCB(onCell, onCell != 0 ? cell : kNoCell, modifiers);
  return result;
}

unsigned char cLMgr_List_Base::HotSpotMouseUpProc(short modifiers, Point localPoint) {
  Point cell = kNoCell;
  const Boolean onCell = GetCellOnWindowLocalPosition(localPoint, &cell);
  ExecMouseUpCB(onCell, onCell != 0 ? cell : kNoCell, modifiers);
  return 1;
}

void cLMgr_List_Base::HotSpotClickProc(short modifiers, Point localPoint) {
  Point cell = kNoCell;
  if (GetCellOnWindowLocalPosition(localPoint, &cell) == 0) {
    lastClickedCell_ = kNoCell;
    return;
  }
  lastClickedCell_ = cell;
  ExecMouseClickCB(cell, modifiers);
}

unsigned char cLMgr_List_Base::HotSpotDblClickProc(short modifiers, Point localPoint) {
  Point cell = kNoCell;
  // Both clicks of a double click fall on one cell; otherwise the second is a click.
  if (GetCellOnWindowLocalPosition(localPoint, &cell) == 0 || lastClickedCell_.v < 1 ||
      lastClickedCell_.h < 1 || !EqualPt(cell, lastClickedCell_)) {
    return 0;
  }
  ExecMouseDoubleClickCB(cell, modifiers);
  return 1;
}

unsigned char cLMgr_List_Base::HotSpotMouseDownTraceProc(short, Point) {
  return 0;
}

// ---- On and off -----------------------------------------------------------------------------

void cLMgr_List_Base::DisableList(Boolean redraw) {
  if (IsEnableView() == 0) return;
  DisableViewOutput(0);
  DisableHotSpotArea();
  if (topTitleBar_ != nullptr) topTitleBar_->DisableViewOutput(0);
  if (leftTitleBar_ != nullptr) leftTitleBar_->DisableViewOutput(0);
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cLMgr_List_Base::EnableList(Boolean redraw) {
  if (IsEnableView() != 0) return;
  EnableViewOutput(0);
  EnableHotSpotArea();
  if (topTitleBar_ != nullptr) topTitleBar_->EnableViewOutput(0);
  if (leftTitleBar_ != nullptr) leftTitleBar_->EnableViewOutput(0);
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}
