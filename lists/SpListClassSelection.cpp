#include <algorithm>

#include "SpErrorInfoSystem.h"
#include "SpListClass.h"

namespace {

const char kSource[] = "SpListClass";
// The range selection's own wording of the missing-argument record.
const char kMsgArugmentNull[] = "Required arugment is null !! ";

void SetFlag(Boolean* out) {
  if (out != nullptr) *out = 1;
}

bool IsCellMode(UInt8 mode) {
  return mode == kLMgrSelectOneCell || mode == kLMgrSelectCells;
}
bool IsColumnMode(UInt8 mode) {
  return mode == kLMgrSelectOneColumn || mode == kLMgrSelectColumns;
}

// The row and column numbers of a cell.
short RowOf(const sLMgr_Cell* c) {
  return c->rowRoot->GetReferenceNo();
}
short ColumnOf(const sLMgr_Cell* c) {
  return c->columnRoot->GetReferenceNo();
}

}  // namespace

// ---- Callbacks ------------------------------------------------------------------------------

void cLMgr_List_Base::SetupModifyCellSelectionCBProcPtr(tLMgrModifyCellSelectionProcPtr proc,
                                                        unsigned long refCon) {
  modifyCellSelectionCB_ = {proc, refCon};
}

void cLMgr_List_Base::SetupModifyRowColSelectionCBProcPtr(tLMgrModifyRowColSelectionProcPtr proc,
                                                          unsigned long refCon) {
  modifyRowColSelectionCB_ = {proc, refCon};
}

void cLMgr_List_Base::ExecModifyCellSelectionCBProc(tListModifySelectType type,
                                                    cSp_SelectionCellList* list) {
  if (modifyCellSelectionCB_.proc != nullptr) {
    modifyCellSelectionCB_.proc(type, list, modifyCellSelectionCB_.userData);
  }
}

void cLMgr_List_Base::ExecModifyRowCelSelectionCBProc(tListModifySelectType type,
                                                      cSp_SelectionRowColList* list) {
  if (modifyRowColSelectionCB_.proc != nullptr) {
    modifyRowColSelectionCB_.proc(type, list, modifyRowColSelectionCB_.userData);
  }
}

void cLMgr_List_Base::ReportLines(Boolean rows, Boolean entered, cSp_SelectionRowColList& list,
                                  Boolean report) {
  if (report == 0 || list.GetNumOfSelection() == 0) return;
  const tListModifySelectType type = entered != 0
                                         ? (rows != 0 ? kLMgrRowsEntered : kLMgrColumnsEntered)
                                         : (rows != 0 ? kLMgrRowsLeft : kLMgrColumnsLeft);
  ExecModifyRowCelSelectionCBProc(type, &list);
}

void cLMgr_List_Base::ReportCells(Boolean entered, cSp_SelectionCellList& list, Boolean report) {
  if (report == 0 || list.GetNumOfSelection() == 0) return;
  ExecModifyCellSelectionCBProc(entered != 0 ? kLMgrCellsEntered : kLMgrCellsLeft, &list);
}

// ---- One click ------------------------------------------------------------------------------

Boolean cLMgr_List_Base::CellSelection(tListSelectTiming timing, Boolean shift, Point cell,
                                       Boolean* changed, Boolean* rangeAdded) {
  if (selectionMode_ == kLMgrSelectNone) return 0;
  if (changed != nullptr) *changed = 0;
  if (rangeAdded != nullptr) *rangeAdded = 0;
  const bool cellMode = IsCellMode(selectionMode_);
  cLMgr_CellRoot* line =
      IsColumnMode(selectionMode_) ? FindLine(false, cell.h) : FindLine(true, cell.v);
  if (line == nullptr) return 0;
  sLMgr_Cell* item = nullptr;
  if (cellMode) {
    item = line->FindCellOnCrossLine(cell.h);
    if (item == nullptr) return 0;
  }
  cLMgr_CellRoot* target = cellMode ? nullptr : line;
  const bool already = cellMode ? item->selected != 0 : line->selected != 0;
  const bool several = selectionMode_ % 2 == 0;

  if (shift != 0 && several) {
    if (timing == kLMgrSelectAtMouseDown && rangeSelection_ == 0) {
      if (already) {
        ClearTargetSelectionListItem(target, item, 1);
      } else {
        SelectItem(target, item);
        SetFlag(changed);
      }
    } else if (timing != kLMgrSelectTiming2 && rangeSelection_ != 0) {
      ChangeSelectionEndTargetForSerialSelection(target, item, 1, changed, rangeAdded);
    }
  } else if (shift != 0) {
    if (already) {
      ClearAllSelectionListItem(1, nullptr, 1, nullptr, 1);
    } else {
      SelectItem(target, item);
    }
    SetFlag(changed);
  } else if (timing == kLMgrSelectAtMouseDown) {
    // A click on the marked selection keeps it, so that a drag of it can start.
    if (!already) {
      ClearAllSelectionListItem(1, nullptr, 1, nullptr, 1);
      SelectItem(target, item);
      SetFlag(changed);
    }
  } else if (timing == kLMgrSelectTiming2) {
    ClearAllSelectionListItem(1, target, 1, item, 1);
    if (!already) SelectItem(target, item);
    SetFlag(changed);
  }
  return 1;
}

// The item becomes the head of its chain, so the anchor of a range selection, and is
// reported as entered. It is not marked. Items already in the chain stay behind it, so that
// clearing the selection still reaches them.
void cLMgr_List_Base::SelectItem(cLMgr_CellRoot* line, sLMgr_Cell* cell) {
  if (cell != nullptr) {
    UnlinkCellSelectionLink(cell);
    cell->selectionNext = selectedCells_;
    if (selectedCells_ != nullptr) selectedCells_->selectionPrevious = cell;
    selectedCells_ = cell;
    cSp_SelectionCellList list;
    list.SetupNewSelectionPtr(cell);
    ReportCells(1, list, 1);
    return;
  }
  if (line == nullptr) return;
  UnlinkRootSelectionLink(line);
  cLMgr_CellRoot*& head = SelectedLines(line->IsRow());
  line->LinkToSelectionNext(head);
  head = line;
  cSp_SelectionRowColList list;
  list.SetupNewSelectionPtr(line);
  ReportLines(line->IsRow(), 1, list, 1);
}

// ---- Clearing -------------------------------------------------------------------------------

void cLMgr_List_Base::ClearAllSelectionListItem(Boolean lines, cLMgr_CellRoot* keptLine,
                                                Boolean cells, sLMgr_Cell* keptCell,
                                                Boolean report) {
  if (lines != 0) {
    ClearLineChain(true, keptLine, report);
    ClearLineChain(false, keptLine, report);
  }
  if (cells != 0) ClearCellChain(keptCell, report);
}

void cLMgr_List_Base::ClearLineChain(Boolean rows, cLMgr_CellRoot* kept, Boolean report) {
  cLMgr_CellRoot*& head = SelectedLines(rows);
  cSp_SelectionRowColList left;
  bool keptMet = false;
  for (cLMgr_CellRoot* r = head; r != nullptr;) {
    cLMgr_CellRoot* next = r->GetNextSelectionObjectPtr();
    if (r == kept) {
      keptMet = true;
    } else {
      r->selected = 0;
      left.SetupNewSelectionPtr(r);
    }
    r->ClearSelectionLinks();
    r = next;
  }
  head = keptMet ? kept : nullptr;
  ReportLines(rows, 0, left, report);
}

void cLMgr_List_Base::ClearCellChain(sLMgr_Cell* kept, Boolean report) {
  cSp_SelectionCellList left;
  bool keptMet = false;
  for (sLMgr_Cell* c = selectedCells_; c != nullptr;) {
    sLMgr_Cell* next = c->selectionNext;
    if (c == kept) {
      keptMet = true;
    } else {
      c->selected = 0;
      left.SetupNewSelectionPtr(c);
    }
    c->selectionPrevious = c->selectionNext = nullptr;
    c = next;
  }
  selectedCells_ = keptMet ? kept : nullptr;
  ReportCells(0, left, report);
}

void cLMgr_List_Base::ClearTargetSelectionListItem(cLMgr_CellRoot* line, sLMgr_Cell* cell,
                                                   Boolean report) {
  const char* const method = "cLMgr_List_Base::ClearTargetSelectionListItem";
  if (line != nullptr) {
    cLMgr_CellRoot*& head = SelectedLines(line->IsRow());
    cLMgr_CellRoot* found = head;
    while (found != nullptr && found != line) found = found->GetNextSelectionObjectPtr();
    if (found != nullptr) {
      line->selected = 0;
      if (line->GetBeforeSelectionObjectPtr() == nullptr && head != line) {
        SpReportFailure(kSource, method, 1, kSpMsgDataError);
      } else {
        if (head == line) head = line->GetNextSelectionObjectPtr();
        line->LeaveSelectionChain();
        cSp_SelectionRowColList left;
        left.SetupNewSelectionPtr(line);
        ReportLines(line->IsRow(), 0, left, report);
      }
    }
  }
  if (cell == nullptr) return;
  sLMgr_Cell* found = selectedCells_;
  while (found != nullptr && found != cell) found = found->selectionNext;
  if (found == nullptr) {
    SpReportFailure(kSource, method, 2, kSpMsgDataError);
    return;
  }
  cell->selected = 0;
  if (cell->selectionPrevious == nullptr && selectedCells_ != cell) {
    SpReportFailure(kSource, method, 3, kSpMsgDataError);
  }
  if (selectedCells_ == cell) selectedCells_ = cell->selectionNext;
  if (cell->selectionPrevious != nullptr)
    cell->selectionPrevious->selectionNext = cell->selectionNext;
  if (cell->selectionNext != nullptr)
    cell->selectionNext->selectionPrevious = cell->selectionPrevious;
  cell->selectionPrevious = cell->selectionNext = nullptr;
  cSp_SelectionCellList left;
  left.SetupNewSelectionPtr(cell);
  ReportCells(0, left, report);
}

void cLMgr_List_Base::ClearAllSelection(Boolean* changed) {
  if (changed == nullptr) {
    SpReportFailure(kSource, "cLMgr_List_Base::ClearAllSelection", 1, kSpMsgNullArgument);
    return;
  }
  bool any = false;
  for (cLMgr_CellRoot* r = rowRoots_; r != nullptr; r = r->GetNextObjectPtr()) {
    any = any || r->selected != 0;
    r->selected = 0;
    for (sLMgr_Cell* c = r->cells; c != nullptr; c = c->rowNext) {
      any = any || c->selected != 0;
      c->selected = 0;
    }
  }
  for (cLMgr_CellRoot* c = columnRoots_; c != nullptr; c = c->GetNextObjectPtr()) {
    any = any || c->selected != 0;
    c->selected = 0;
  }
  *changed = any ? 1 : 0;
}

// ---- Range selection ------------------------------------------------------------------------

void cLMgr_List_Base::ChangeSelectionEndTargetForSerialSelection(cLMgr_CellRoot* line,
                                                                 sLMgr_Cell* cell, Boolean report,
                                                                 Boolean* changed, Boolean* added) {
  const char* const method = "cLMgr_List_Base::ChangeSelectionEndTargetForSerialSelection";
  if (line == nullptr && cell == nullptr) {
    SpReportFailure(kSource, method, 1, kMsgArugmentNull);
    return;
  }
  if (changed != nullptr) *changed = 0;
  if (added != nullptr) *added = 0;
  if (selectionMode_ == kLMgrSelectCells) {
    if (cell == nullptr) {
      SpReportFailure(kSource, method, 2, kSpMsgDataError);
      return;
    }
    SerialSelectCells(cell, report, changed, added);
  } else if (selectionMode_ == kLMgrSelectRows || selectionMode_ == kLMgrSelectColumns) {
    if (line == nullptr || line->IsRow() != (selectionMode_ == kLMgrSelectRows ? 1 : 0)) {
      SpReportFailure(kSource, method, 1, kMsgArugmentNull);
      return;
    }
    SerialSelectLines(line, report, changed, added);
  } else {
    SpReportFailure(kSource, method, 2, kSpMsgTypeError);
  }
}

void cLMgr_List_Base::SerialSelectLines(cLMgr_CellRoot* line, Boolean report, Boolean* changed,
                                        Boolean* added) {
  const Boolean rows = line->IsRow();
  if (selectedCells_ != nullptr) ClearCellChain(nullptr, report);
  cLMgr_CellRoot*& head = SelectedLines(rows);
  if (head == nullptr) {
    head = line;
    return;
  }
  cLMgr_CellRoot* anchor = head;
  const short newLo = std::min(anchor->lineNo, line->lineNo);
  const short newHi = std::max(anchor->lineNo, line->lineNo);
  short oldLo = anchor->lineNo, oldHi = anchor->lineNo;
  for (cLMgr_CellRoot* r = head; r != nullptr; r = r->GetNextSelectionObjectPtr()) {
    oldLo = std::min(oldLo, r->lineNo);
    oldHi = std::max(oldHi, r->lineNo);
  }
  if (oldLo == newLo && oldHi == newHi) return;

  cSp_SelectionRowColList left;
  for (cLMgr_CellRoot* r = head; r != nullptr;) {
    cLMgr_CellRoot* next = r->GetNextSelectionObjectPtr();
    if (r->lineNo < newLo || r->lineNo > newHi) {
      r->selected = 0;
      left.SetupNewSelectionPtr(r);
    }
    r->ClearSelectionLinks();
    r = next;
  }
  head = nullptr;
  if (left.GetNumOfSelection() > 0) {
    ReportLines(rows, 0, left, report);
    SetFlag(changed);
  }

  const bool forward = anchor->lineNo <= line->lineNo;
  cSp_SelectionRowColList entered;
  cLMgr_CellRoot* last = nullptr;
  for (cLMgr_CellRoot* r = anchor; r != nullptr;
       r = forward ? r->GetNextObjectPtr() : r->GetBeforeObjectPtr()) {
    if (forward ? r->lineNo > line->lineNo : r->lineNo < line->lineNo) break;
    r->selected = 1;
    if (last == nullptr) {
      head = r;
    } else {
      last->LinkToSelectionNext(r);
    }
    last = r;
    if (r->lineNo < oldLo || r->lineNo > oldHi) entered.SetupNewSelectionPtr(r);
  }
  if (entered.GetNumOfSelection() > 0) {
    ReportLines(rows, 1, entered, report);
    SetFlag(changed);
    SetFlag(added);
  }
}

void cLMgr_List_Base::AppendCellSelection(sLMgr_Cell*& last, sLMgr_Cell* cell) {
  if (last == nullptr) {
    selectedCells_ = cell;
  } else {
    last->selectionNext = cell;
    cell->selectionPrevious = last;
  }
  last = cell;
}

void cLMgr_List_Base::SerialSelectCells(sLMgr_Cell* cell, Boolean report, Boolean* changed,
                                        Boolean* added) {
  if (selectedRows_ != nullptr || selectedColumns_ != nullptr) {
    ClearLineChain(true, nullptr, report);
    ClearLineChain(false, nullptr, report);
  }
  if (selectedCells_ == nullptr) {
    selectedCells_ = cell;
    cell->selected = 1;
    cSp_SelectionCellList list;
    list.SetupNewSelectionPtr(cell);
    ReportCells(1, list, report);
    return;
  }
  sLMgr_Cell* anchor = selectedCells_;
  const Rect target = {
      std::min(RowOf(anchor), RowOf(cell)), std::min(ColumnOf(anchor), ColumnOf(cell)),
      std::max(RowOf(anchor), RowOf(cell)), std::max(ColumnOf(anchor), ColumnOf(cell))};
  Rect old = {RowOf(anchor), ColumnOf(anchor), RowOf(anchor), ColumnOf(anchor)};
  for (sLMgr_Cell* c = selectedCells_; c != nullptr; c = c->selectionNext) {
    old.top = std::min(old.top, RowOf(c));
    old.bottom = std::max(old.bottom, RowOf(c));
    old.left = std::min(old.left, ColumnOf(c));
    old.right = std::max(old.right, ColumnOf(c));
  }
  if (EqualRect(&target, &old)) return;
  // Both rectangles hold their last row and column.
  auto inside = [](const Rect& r, const sLMgr_Cell* c) {
    return RowOf(c) >= r.top && RowOf(c) <= r.bottom && ColumnOf(c) >= r.left &&
           ColumnOf(c) <= r.right;
  };

  cSp_SelectionCellList left;
  for (sLMgr_Cell* c = selectedCells_; c != nullptr;) {
    sLMgr_Cell* next = c->selectionNext;
    if (!inside(target, c)) {
      c->selected = 0;
      left.SetupNewSelectionPtr(c);
    }
    c->selectionPrevious = c->selectionNext = nullptr;
    c = next;
  }
  selectedCells_ = nullptr;
  if (left.GetNumOfSelection() > 0) {
    ReportCells(0, left, report);
    SetFlag(changed);
  }

  const bool down = RowOf(anchor) <= RowOf(cell);
  const bool right = ColumnOf(anchor) <= ColumnOf(cell);
  cSp_SelectionCellList entered;
  sLMgr_Cell* last = nullptr;
  for (sLMgr_Cell* rowStart = anchor; rowStart != nullptr;) {
    for (sLMgr_Cell* c = rowStart; c != nullptr;) {
      c->selected = 1;
      AppendCellSelection(last, c);
      if (!inside(old, c)) entered.SetupNewSelectionPtr(c);
      c = right ? c->rowNext : c->rowPrevious;
      if (c != nullptr && (right ? ColumnOf(c) > target.right : ColumnOf(c) < target.left)) break;
    }
    rowStart = down ? rowStart->colNext : rowStart->colPrevious;
    if (rowStart != nullptr &&
        (down ? RowOf(rowStart) > target.bottom : RowOf(rowStart) < target.top)) {
      break;
    }
  }
  if (entered.GetNumOfSelection() > 0) {
    ReportCells(1, entered, report);
    SetFlag(changed);
    SetFlag(added);
  }
}
