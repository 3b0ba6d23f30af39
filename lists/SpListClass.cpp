#include "SpListClass.h"

#include <algorithm>
#include <new>

#include "SpErrorInfoSystem.h"
#include "SpListClassInternal.h"

using namespace sp_list_detail;

namespace {

const char kSource[] = "SpListClass";

// Links `cell` into a chain right after `at`.
void LinkAfter(sLMgr_Cell* at, sLMgr_Cell* cell, bool rowChain) {
  sLMgr_Cell*& atNext = NextOf(at, rowChain);
  PreviousOf(cell, rowChain) = at;
  NextOf(cell, rowChain) = atNext;
  if (atNext != nullptr) PreviousOf(atNext, rowChain) = cell;
  atNext = cell;
}

// Links `cell` at the head of the root's chain.
void LinkFirst(cLMgr_CellRoot* root, sLMgr_Cell* cell, bool rowChain) {
  NextOf(cell, rowChain) = root->cells;
  PreviousOf(cell, rowChain) = nullptr;
  if (root->cells != nullptr) PreviousOf(root->cells, rowChain) = cell;
  root->cells = cell;
}

// Links `cell` into the root's chain behind its last cell crossed by a line numbered below
// `number` (else first); that cell, or null.
sLMgr_Cell* LinkByNumber(cLMgr_CellRoot* root, sLMgr_Cell* cell, short number) {
  const bool rowChain = root->IsRow() != 0;
  sLMgr_Cell* before = nullptr;
  for (sLMgr_Cell* c = root->cells; c != nullptr; c = NextOf(c, rowChain)) {
    cLMgr_CellRoot* cross = root->CrossRootOf(c);
    if (cross == nullptr || cross->lineNo >= number) break;
    before = c;
  }
  if (before != nullptr) {
    LinkAfter(before, cell, rowChain);
  } else {
    LinkFirst(root, cell, rowChain);
  }
  return before;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cLMgr_List_Base::cLMgr_List_Base(WindowRef window, const Rect& area, cSp_View* container,
                                 Boolean drawInContainer)
    : cSp_View(window, area, 0, 0, container, drawInContainer), cSp_HotSpotArea(window, area) {
  StartUpInitialize();
  listArea_ = area;
  givenArea_ = area;
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    SetupHotSpotArea(visible);
    SetupModifyDrawingRectAndFlag(&visible, 1);
  }
}

cLMgr_List_Base::~cLMgr_List_Base() {
  // Nothing of the framework may reach the list while its cells go.
  ExecViewObjDeleteReady();
  ExecHotSpotObjDeleteReady();
  DeleteTitleBars();
  selectedRows_ = selectedColumns_ = nullptr;
  selectedCells_ = nullptr;
  cLMgr_CellRoot* r = rowRoots_;
  rowRoots_ = nullptr;
  while (r != nullptr) {
    cLMgr_CellRoot* next = r->GetNextObjectPtr();
    r->DeleteCellLine();
    delete r;
    r = next;
  }
  // Every cell went with its row.
  r = columnRoots_;
  columnRoots_ = nullptr;
  while (r != nullptr) {
    cLMgr_CellRoot* next = r->GetNextObjectPtr();
    r->cells = nullptr;
    delete r;
    r = next;
  }
  DisposeIndex(rowIndex_);
  DisposeIndex(columnIndex_);
}

void cLMgr_List_Base::StartUpInitialize() {
  areaWidth_ = areaHeight_ = 0;
  hPlace_ = vPlace_ = sScrollPlace{};
  drawnOffsetH_ = drawnOffsetV_ = 0;
  drawnWhole_ = 0;
  rowStartLine_ = rowEndLine_ = columnStartLine_ = columnEndLine_ = Sp_LM_DefaultLineBehavior();
  stringModifyOn_ = 0;
  stringModifyType_ = 0;
  rowCount_ = columnCount_ = 0;
  defaultCellWidth_ = 40;
  defaultCellHeight_ = 15;
  defaultBehavior_ = Sp_LM_DefaultCellBehavior();
  cellsPerBlock_ = kLMgrCellsPerBlock;
  modifyCellSelectionCB_ = {};
  modifyRowColSelectionCB_ = {};
  selectionMode_ = kLMgrSelectNone;
  rangeSelection_ = 0;
  hScrollDrawingType_ = vScrollDrawingType_ = kLMgrScrollToLineStart;
  topTitleBarHeight_ = leftTitleBarWidth_ = 0;
  topTitleBar_ = leftTitleBar_ = nullptr;
  mouseDownCB_ = {};
  mouseDownMoveCB_ = {};
  mouseUpCB_ = {};
  clickCB_ = {};
  doubleClickCB_ = {};
  newSelectionCB_ = {};
  lastClickedCell_ = Point{0, 0};
  passAreaSelectionMoves_ = 1;
  passDragMoves_ = 0;
}

cLMgr_List_Base* Sp_CreateNewList(WindowRef window, const Rect& area, short cellWidth,
                                  short cellHeight, short rows, short columns, Boolean output,
                                  Rect* hScrollRect, Rect* vScrollRect, cSp_View* container,
                                  Boolean drawInContainer) {
  const char* const method = "Sp_CreateNewList";
  if (window == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument,
                           static_cast<cLMgr_List_Base*>(nullptr));
  }
  cLMgr_List_Base* list =
      new (std::nothrow) cLMgr_List_Base(window, area, container, drawInContainer);
  if (list == nullptr) {
    return SpReportFailure(kSource, method, 2, kSpMsgMemory,
                           static_cast<cLMgr_List_Base*>(nullptr));
  }
  list->SetDefaultCellSize(cellWidth, cellHeight);
  list->AddColumn(0, columns);
  list->AddRow(0, rows);
  if (hScrollRect != nullptr || vScrollRect != nullptr) {
    list->SetupViewScrollAtAutoSetup(hScrollRect, vScrollRect);
    // The bars' arrows step from line to line.
    const unsigned long self = reinterpret_cast<unsigned long>(list);
    if (cScrollBarObj* bar = list->GetViewScrollBarPtr(kSpHorizontalScrollBar)) {
      bar->SetupActionProcPositionDecisionCBProcPtr(Sp_LM_DecisionScrollWidthForHScroll, self);
    }
    if (cScrollBarObj* bar = list->GetViewScrollBarPtr(kSpVerticalScrollBar)) {
      bar->SetupActionProcPositionDecisionCBProcPtr(Sp_LM_DecisionScrollWidthForVScroll, self);
    }
  }
  if (output != 0) {
    list->EnableViewOutput(0);
  } else {
    list->DisableViewOutput(0);
  }
  return list;
}

// ---- Finding lines --------------------------------------------------------------------------

void cLMgr_List_Base::DisposeIndex(sLineIndex& index) {
  if (index.roots != nullptr) DisposePtr(reinterpret_cast<Ptr>(index.roots));
  index = sLineIndex{};
}

void cLMgr_List_Base::RebuildIndex(Boolean rows) {
  sLineIndex& index = rows ? rowIndex_ : columnIndex_;
  const SInt32 count = rows ? rowCount_ : columnCount_;
  index.count = 0;
  if (count > index.capacity) {
    DisposeIndex(index);
    // Room to grow, so that lines added one at a time do not re-make it each time.
    const SInt32 capacity = std::max<SInt32>(64, count + count / 2);
    index.roots =
        reinterpret_cast<cLMgr_CellRoot**>(NewPtr(Size(sizeof(cLMgr_CellRoot*)) * capacity));
    if (index.roots == nullptr) return;  // lines are then found by walking the chain
    index.capacity = capacity;
  }
  SInt32 n = 0;
  for (cLMgr_CellRoot* r = LineHead(rows); r != nullptr && n < count; r = r->GetNextObjectPtr()) {
    index.roots[n++] = r;
  }
  index.count = n;
}

cLMgr_CellRoot* cLMgr_List_Base::FindLine(Boolean rows, short n) const {
  const sLineIndex& index = rows ? rowIndex_ : columnIndex_;
  if (index.count > 0) return (n >= 1 && n <= index.count) ? index.roots[n - 1] : nullptr;
  cLMgr_CellRoot* head = rows ? rowRoots_ : columnRoots_;
  return head != nullptr ? head->GetTargetRootObjectPtrOnLink(n) : nullptr;
}

cLMgr_CellRoot* cLMgr_List_Base::FirstLineEndingAfter(Boolean rows, SInt32 position) const {
  const sLineIndex& index = rows ? rowIndex_ : columnIndex_;
  if (index.count > 0) {
    // Lines lie in order, so their ends do too.
    cLMgr_CellRoot** end = index.roots + index.count;
    cLMgr_CellRoot** at =
        std::upper_bound(index.roots, end, position,
                         [](SInt32 p, const cLMgr_CellRoot* r) { return p < r->outerEnd; });
    return at != end ? *at : nullptr;
  }
  for (cLMgr_CellRoot* r = rows ? rowRoots_ : columnRoots_; r != nullptr;
       r = r->GetNextObjectPtr()) {
    if (position < r->outerEnd) return r;
  }
  return nullptr;
}

cLMgr_CellRoot* cLMgr_List_Base::LineAt(Boolean rows, SInt32 position) const {
  cLMgr_CellRoot* found = FirstLineEndingAfter(rows, position);
  // The inner extent holds the data; a point on an edge line is on no line.
  if (found == nullptr || position < found->innerStart || position >= found->innerEnd) {
    return nullptr;
  }
  return found;
}

cLMgr_CellRoot* cLMgr_List_Base::StartLine(Boolean rows, short first) const {
  cLMgr_CellRoot* head = rows ? rowRoots_ : columnRoots_;
  if (head == nullptr) return nullptr;
  if (first < 0) return head->GetLastObjectPtr();
  if (first <= 1) return head;
  return FindLine(rows, first);
}

// ---- Layout ---------------------------------------------------------------------------------

void cLMgr_List_Base::SetupRootPosition(Boolean rows, Boolean titles) {
  cSp_TittleBarControl* bar =
      titles != 0 ? TitleBar(rows ? kLMgrRowDirection : kLMgrColumnDirection) : nullptr;
  SInt32 p = 0;
  short n = 0;
  for (cLMgr_CellRoot* r = LineHead(rows); r != nullptr; r = r->GetNextObjectPtr()) {
    r->outerStart = p;
    r->innerStart = ClampToExtent(SInt64(p) + std::max<SInt32>(0, r->startLine.width));
    r->innerEnd = ClampToExtent(SInt64(r->innerStart) + std::max<SInt32>(0, r->size));
    p = ClampToExtent(SInt64(r->innerEnd) + std::max<SInt32>(0, r->endLine.width));
    r->outerEnd = p;
    r->lineNo = ++n;
    if (bar != nullptr) {
      bar->SetupItemWidth(n, short(std::min<SInt32>(r->outerEnd - r->outerStart, kLMgrMaxContent)));
    }
  }
  (rows ? areaHeight_ : areaWidth_) = p;
  (rows ? rowCount_ : columnCount_) = n;
  RebuildIndex(rows);
}

// ---- Adding lines ---------------------------------------------------------------------------

void cLMgr_List_Base::AddRootObject(Boolean rows, short after, short count) {
  const char* const method = "cLMgr_List_Base::AddRootObject";
  cLMgr_CellRoot*& head = LineHead(rows);
  const SInt32 room = kLMgrMaxLines - (rows ? rowCount_ : columnCount_);
  if (count > room) {
    SpReportFailure(kSource, method, 1, kSpMsgDataError);
    count = short(room);
  }
  if (count <= 0) return;

  short size = rows ? defaultCellHeight_ : defaultCellWidth_;
  sSpLineBehaviorStruct startLine = DefaultStartLine(rows), endLine = DefaultEndLine(rows);
  sLMgrCellBehaviorStruct behavior = defaultBehavior_;
  cLMgr_CellRoot* previous = nullptr;  // the new lines go behind it; null: in front
  if (after != 0 && head != nullptr) {
    previous = FindLine(rows, after);
    if (previous != nullptr) {
      startLine = previous->startLine;
      endLine = previous->endLine;
    } else {
      previous = FindLine(rows, rows ? rowCount_ : columnCount_);
      if (previous == nullptr) previous = head->GetLastObjectPtr();
    }
    size = previous->size;
    behavior = previous->behavior;
  }

  (rows ? rowIndex_ : columnIndex_).count = 0;
  for (short i = 0; i < count; ++i) {
    cLMgr_CellRoot* root = new (std::nothrow) cLMgr_CellRoot(this, rows);
    if (root == nullptr) {
      SpReportFailure(kSource, method, 2, kSpMsgMemory);
      break;
    }
    root->size = size;
    root->startLine = startLine;
    root->endLine = endLine;
    root->behavior = behavior;
    if (previous != nullptr) {
      previous->InsertRootAfter(root);
    } else {
      if (head != nullptr) head->InsertRootBefore(root);
      head = root;
    }
    previous = root;
  }
  SetupRootPosition(rows, 1);
  SetupScrollArea();
}

void cLMgr_List_Base::AddRow(short after, short count) {
  AddLines(true, after, count);
}

void cLMgr_List_Base::AddColumn(short after, short count) {
  AddLines(false, after, count);
}

void cLMgr_List_Base::AddLines(Boolean rows, short after, short count) {
  if (count <= 0) return;
  const short oldCount = rows ? rowCount_ : columnCount_;
  AddRootObject(rows, after, count);
  const short added = short((rows ? rowCount_ : columnCount_) - oldCount);
  if (added <= 0) return;
  const short first = (after >= 0 && after <= oldCount) ? short(after + 1) : short(oldCount + 1);
  MakeLineCells(rows, first, added);
  if (after > 0 && after <= oldCount) {
    CopyCellBehaviorByLine(rows, after, first, added);
  } else if (LineHead(!rows) != nullptr) {
    LineHead(!rows)->CopyRootDefaultBehaviorByLineOnLink(first, added);
  }
  SetupScrollArea();
}

void cLMgr_List_Base::MakeAllRowCellData(short first, short count) {
  MakeLineCells(true, first, count);
}

void cLMgr_List_Base::MakeAllColCellData(short first, short count) {
  MakeLineCells(false, first, count);
}

// The cells of each new line are made along it, one per crossing line. Each goes into its
// crossing line's chain right after the cell of the line before (whose behaviour it takes),
// or at the head of that chain (taking the crossing line's behaviour) for the first line.
void cLMgr_List_Base::MakeLineCells(Boolean rows, short first, short count) {
  if (rowRoots_ == nullptr || columnRoots_ == nullptr || count <= 0) return;
  const bool ownChain = rows != 0;  // a row's cells are linked along the row chain
  cLMgr_CellRoot* line = FindLine(rows, first);
  for (short n = 0; line != nullptr && n < count; ++n, line = line->GetNextObjectPtr()) {
    if (line->cells != nullptr) continue;
    cLMgr_CellRoot* before = line->GetBeforeObjectPtr();
    sLMgr_Cell* neighbour = before != nullptr ? before->cells : nullptr;
    sLMgr_Cell* last = nullptr;
    for (cLMgr_CellRoot* cross = LineHead(!rows); cross != nullptr;
         cross = cross->GetNextObjectPtr()) {
      sLMgr_Cell* cell = NewCellObject();
      if (cell == nullptr) return;
      (rows ? cell->rowRoot : cell->columnRoot) = line;
      (rows ? cell->columnRoot : cell->rowRoot) = cross;
      if (neighbour != nullptr && (rows ? neighbour->columnRoot : neighbour->rowRoot) == cross) {
        LinkAfter(neighbour, cell, !ownChain);
      } else {
        neighbour = LinkByNumber(cross, cell, line->lineNo);
      }
      cell->behavior = neighbour != nullptr ? neighbour->behavior : cross->behavior;
      if (neighbour != nullptr) neighbour = NextOf(neighbour, ownChain);
      if (last != nullptr) {
        LinkAfter(last, cell, ownChain);
      } else {
        LinkFirst(line, cell, ownChain);
      }
      last = cell;
    }
  }
}

// Each cell of the new lines takes the behaviour and string shortening of the cell of line
// `from` that it shares a crossing line with.
void cLMgr_List_Base::CopyCellBehaviorByLine(Boolean rows, short from, short to, short count) {
  cLMgr_CellRoot* source = FindLine(rows, from);
  if (source == nullptr) return;
  const bool ownChain = rows != 0;
  const SInt32 last = SInt32(to) + count - 1;
  for (sLMgr_Cell* c = source->cells; c != nullptr; c = NextOf(c, ownChain)) {
    for (sLMgr_Cell* t = NextOf(c, !ownChain); t != nullptr; t = NextOf(t, !ownChain)) {
      cLMgr_CellRoot* line = rows ? t->rowRoot : t->columnRoot;
      if (line == nullptr || line->lineNo > last) break;
      if (line->lineNo < to) continue;
      t->behavior = c->behavior;
      t->stringModifyOn = c->stringModifyOn;
      t->stringModifyType = c->stringModifyType;
    }
  }
}

// ---- Deleting lines -------------------------------------------------------------------------

void cLMgr_List_Base::DeleteRow(short first, short count, Boolean redraw) {
  DeleteLines(true, first, count, redraw);
}

void cLMgr_List_Base::DeleteColl(short first, short count, Boolean redraw) {
  DeleteLines(false, first, count, redraw);
}

void cLMgr_List_Base::DeleteLines(Boolean rows, short first, short count, Boolean redraw) {
  // A count of nothing deletes nothing: callers pass computed counts.
  if (count <= 0) return;
  cLMgr_CellRoot* line = StartLine(rows, first);
  if (line == nullptr) return;
  const Rect band = LineBand(rows, line->outerStart, rows ? areaHeight_ : areaWidth_);
  cLMgr_CellRoot*& head = LineHead(rows);
  (rows ? rowIndex_ : columnIndex_).count = 0;
  for (short n = 0; line != nullptr && n < count; ++n) {
    cLMgr_CellRoot* next = line->GetNextObjectPtr();
    line->UnLinkCellLine();
    line->DeleteCellLine();
    UnlinkRootSelectionLink(line);
    if (head == line) head = next;
    line->UnlinkFromLineChain();
    delete line;
    line = next;
  }
  SetupRootPosition(rows, 1);
  SetupScrollArea();
  // The lines that moved up are drawn at their new places.
  MarkContentRect(band);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

Rect cLMgr_List_Base::LineBand(Boolean rows, SInt32 from, SInt32 to) const {
  return rows ? ViewRect(from, 0, to, areaWidth_) : ViewRect(0, from, areaHeight_, to);
}

// ---- Size of the list -----------------------------------------------------------------------

Boolean cLMgr_List_Base::Resize(short width, short height, Boolean redraw) {
  const bool newWidth = width >= 0 && width != listArea_.right - listArea_.left;
  const bool newHeight = height >= 0 && height != listArea_.bottom - listArea_.top;
  if (!newWidth && !newHeight) return 0;
  if (newWidth) listArea_.right = short(listArea_.left + width);
  if (newHeight) listArea_.bottom = short(listArea_.top + height);
  ResetTopTitleBarAreaRect();
  ResetContentsAreaRect(redraw);
  return 1;
}

// ---- Cells ----------------------------------------------------------------------------------

Boolean cLMgr_List_Base::IsSelection(short column, short row) {
  cLMgr_CellRoot* rowRoot = FindLine(true, row);
  if (rowRoot != nullptr && rowRoot->selected != 0) return 1;
  sLMgr_Cell* cell = rowRoot != nullptr ? rowRoot->FindCellOnCrossLine(column) : nullptr;
  if (cell != nullptr) {
    return (cell->selected != 0 || (cell->columnRoot != nullptr && cell->columnRoot->selected != 0))
               ? 1
               : 0;
  }
  cLMgr_CellRoot* columnRoot = FindLine(false, column);
  return (columnRoot != nullptr && columnRoot->selected != 0) ? 1 : 0;
}

Boolean cLMgr_List_Base::GetCellPtr(short column, short row, sLMgr_Cell** out) {
  sLMgr_Cell* cell = SerchTargetCell(column, row, 0);
  if (out != nullptr) *out = cell;
  return cell != nullptr ? 1 : 0;
}

sLMgr_Cell* cLMgr_List_Base::SerchTargetCell(short column, short row, Boolean create) {
  cLMgr_CellRoot* rowRoot = FindLine(true, row);
  if (rowRoot == nullptr) return nullptr;
  sLMgr_Cell* cell = rowRoot->FindCellOnCrossLine(column);
  if (cell != nullptr || create == 0) return cell;
  cLMgr_CellRoot* columnRoot = FindLine(false, column);
  if (columnRoot == nullptr) return nullptr;
  cell = NewCellObject();
  if (cell == nullptr) return nullptr;
  cell->rowRoot = rowRoot;
  cell->columnRoot = columnRoot;
  sLMgr_Cell* before = LinkByNumber(rowRoot, cell, column);
  LinkByNumber(columnRoot, cell, row);
  cell->behavior = before != nullptr ? before->behavior : rowRoot->behavior;
  return cell;
}

Boolean cLMgr_List_Base::GetCellArea(Point cell, Rect* outer, Rect* inner, Rect* onWindow) {
  cLMgr_CellRoot* row = FindLine(true, cell.v);
  cLMgr_CellRoot* column = FindLine(false, cell.h);
  if (row == nullptr || column == nullptr) return 0;
  const Rect o = ViewRect(row->outerStart, column->outerStart, row->outerEnd, column->outerEnd);
  if (outer != nullptr) *outer = o;
  if (inner != nullptr) {
    *inner = ViewRect(row->innerStart, column->innerStart, row->innerEnd, column->innerEnd);
  }
  if (onWindow != nullptr) OffscreenAreaToOnWindowArea(o, *onWindow);
  return 1;
}

Boolean cLMgr_List_Base::GetCellOnWindowLocalPosition(Point windowPoint, Point* cell) {
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0 || PtInRect(windowPoint, &visible) == 0) {
    return 0;
  }
  Point p;
  OnWindowPositToOffscreenPosit(windowPoint, p);
  cLMgr_CellRoot* row = LineAt(true, ToList(true, p.v));
  cLMgr_CellRoot* column = LineAt(false, ToList(false, p.h));
  if (row == nullptr || column == nullptr) return 0;
  if (cell != nullptr) *cell = Point{row->lineNo, column->lineNo};
  return 1;
}

sLMgr_Cell* cLMgr_List_Base::NewCellObject() {
  return blocks_.NewCell(cellsPerBlock_);
}

void cLMgr_List_Base::TrashCellObject(sLMgr_Cell* cell) {
  if (cell == nullptr) {
    SpReportFailure(kSource, "cLMgr_List_Base::TrashCellObject", 1, kSpMsgNullArgument);
    return;
  }
  ClearTargetCellData(cell, 0);
  UnlinkCellSelectionLink(cell);
  cell->block->PutTrashCell(cell);
}

void cLMgr_List_Base::UnlinkRootSelectionLink(cLMgr_CellRoot* root) {
  cLMgr_CellRoot*& head = SelectedLines(root->IsRow());
  cLMgr_CellRoot* before = root->GetBeforeSelectionObjectPtr();
  if (before == nullptr && root->GetNextSelectionObjectPtr() == nullptr && head != root) return;
  if (before == nullptr && head != root) {
    SpReportFailure(kSource, "cLMgr_List_Base::UnlinkRootSelectionLink", 2, kSpMsgLinkError);
    return;
  }
  if (head == root) head = root->GetNextSelectionObjectPtr();
  root->LeaveSelectionChain();
}

void cLMgr_List_Base::UnlinkCellSelectionLink(sLMgr_Cell* cell) {
  const char* const method = "cLMgr_List_Base::UnlinkCellSelectionLink";
  if (cell == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
    return;
  }
  sLMgr_Cell* before = cell->selectionPrevious;
  sLMgr_Cell* after = cell->selectionNext;
  if (before == nullptr && after == nullptr && selectedCells_ != cell) return;
  if (before == nullptr && selectedCells_ != cell) {
    SpReportFailure(kSource, method, 2, kSpMsgLinkError);
    return;
  }
  if (selectedCells_ == cell) selectedCells_ = after;
  if (before != nullptr) before->selectionNext = after;
  if (after != nullptr) after->selectionPrevious = before;
  cell->selectionPrevious = cell->selectionNext = nullptr;
}
