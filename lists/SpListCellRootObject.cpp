#include "SpListCellRootObject.h"

#include <new>

#include "SpErrorInfoSystem.h"
#include "SpListClass.h"

namespace {

const char kSource[] = "SpListCellRootObject";

const RGBColor kBlack = {0, 0, 0};
const RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};

}  // namespace

sSpLineBehaviorStruct Sp_LM_DefaultLineBehavior() {
  sSpLineBehaviorStruct line{};
  line.width = 1;
  line.color = kBlack;
  return line;
}

sLMgrCellBehaviorStruct Sp_LM_DefaultCellBehavior() {
  sLMgrCellBehaviorStruct b{};
  b.verticalInset = 1;
  b.horizontalInset = 1;
  b.firstPosition = 2;
  b.secondPosition = 2;
  b.backColor = kWhite;
  b.foreColor = kBlack;
  b.topLine = b.bottomLine = b.leftLine = b.rightLine = Sp_LM_DefaultLineBehavior();
  return b;
}

// ---- Cell blocks ----------------------------------------------------------------------------

sLMgr_Cell* cLMgr_Cell_Block::GetNewCell() {
  sLMgr_Cell* cell = PopFreeSlot();
  if (cell == nullptr) return nullptr;
  cell->ClearContents();
  cell->inUse = 1;
  return cell;
}

void cLMgr_Cell_Block::PutTrashCell(sLMgr_Cell* cell) {
  // A cell of another block, or one already free, would corrupt the free chain.
  if (cell == nullptr || !OwnsSlot(cell) || cell->inUse == 0) {
    SpReportFailure(kSource, "cLMgr_Cell_Block::PutTrashCell", 1, kSpMsgDataError);
    return;
  }
  cell->ClearContents();
  PushFreeSlot(cell);
}

sLMgr_Cell* cLMgr_CellBlockList::NewCell(SInt32 cellsPerBlock) {
  cLMgr_Cell_Block* block = FindBlockWithFreeSlot();
  if (block == nullptr) {
    block = new (std::nothrow) cLMgr_Cell_Block(this);
    if (block == nullptr || block->SetupCells(cellsPerBlock) != noErr) {
      delete block;
      return SpReportFailure(kSource, "cLMgr_CellBlockList::NewCell", 1, kSpMsgMemory,
                             static_cast<sLMgr_Cell*>(nullptr));
    }
    AppendBlock(block);
  }
  return block->GetNewCell();
}

// ---- Roots ----------------------------------------------------------------------------------

cLMgr_CellRoot::cLMgr_CellRoot(cLMgr_List_Base* list, Boolean isRow) : list_(list), isRow_(isRow) {
  StartUpInitialize();
}

cLMgr_CellRoot::~cLMgr_CellRoot() {
  ClearTitleString();
}

void cLMgr_CellRoot::StartUpInitialize() {
  lineNo = 0;
  titleFontNo = titleTextSize = 0;
  selected = 0;
  size = minSize = 0;
  outerStart = outerEnd = innerStart = innerEnd = 0;
  startLine = endLine = sSpLineBehaviorStruct{};
  behavior = sLMgrCellBehaviorStruct{};
  stringModifyOn = 0;
  stringModifyType = 0;
  cells = nullptr;
  selectionPrevious_ = selectionNext_ = nullptr;
}

void cLMgr_CellRoot::GetCellPosition(SInt32* outerStartOut, SInt32* outerEndOut,
                                     SInt32* innerStartOut, SInt32* innerEndOut) const {
  if (outerStartOut != nullptr) *outerStartOut = outerStart;
  if (outerEndOut != nullptr) *outerEndOut = outerEnd;
  if (innerStartOut != nullptr) *innerStartOut = innerStart;
  if (innerEndOut != nullptr) *innerEndOut = innerEnd;
}

void cLMgr_CellRoot::SetupTitle(const char* text) {
  if (text == nullptr) return;
  if (title_ == nullptr) title_ = SpSO_NewStringObject();
  if (title_ != nullptr) SpSO_strcopy(title_, text);
}

void cLMgr_CellRoot::ClearTitleString() {
  if (title_ != nullptr) SpSO_DisposeStringObject(title_);
  title_ = nullptr;
}

cLMgr_CellRoot* cLMgr_CellRoot::GetTargetRootObjectPtrOnLink(short n) {
  if (n < 1) return nullptr;
  for (cLMgr_CellRoot* r = this; r != nullptr; r = r->GetNextObjectPtr()) {
    if (r->lineNo == n) return r;
  }
  return nullptr;
}

void cLMgr_CellRoot::UnLinkCellLine() {
  for (sLMgr_Cell* c = cells; c != nullptr; c = NextCellOnLine(c)) {
    cLMgr_CellRoot* cross = CrossRootOf(c);
    sLMgr_Cell*& before = isRow_ ? c->colPrevious : c->rowPrevious;
    sLMgr_Cell*& after = isRow_ ? c->colNext : c->rowNext;
    if (after != nullptr) (isRow_ ? after->colPrevious : after->rowPrevious) = before;
    if (before != nullptr) {
      (isRow_ ? before->colNext : before->rowNext) = after;
    } else if (cross != nullptr && cross->cells == c) {
      cross->cells = after;
    } else {
      // The crossing chain is broken; the cell leaves it all the same.
      SpReportFailure(kSource, "cLMgr_CellRoot::UnLinkCellLine", 1, kSpMsgDataError);
    }
    before = after = nullptr;
  }
}

void cLMgr_CellRoot::DeleteCellLine() {
  sLMgr_Cell* c = cells;
  cells = nullptr;
  while (c != nullptr) {
    sLMgr_Cell* next = NextCellOnLine(c);
    list_->TrashCellObject(c);
    c = next;
  }
}

sLMgr_Cell* cLMgr_CellRoot::FindCellOnCrossLine(short n) const {
  // Lists have far fewer columns than rows, so both ways walk along a row.
  if (isRow_) {
    for (sLMgr_Cell* c = cells; c != nullptr; c = c->rowNext) {
      if (c->columnRoot != nullptr && c->columnRoot->lineNo == n) return c;
    }
    return nullptr;
  }
  cLMgr_CellRoot* row = list_->FindLine(true, n);
  if (row == nullptr) return nullptr;
  for (sLMgr_Cell* c = row->cells; c != nullptr; c = c->rowNext) {
    if (c->columnRoot == this) return c;
  }
  return nullptr;
}

void cLMgr_CellRoot::CopyRootDefaultBehaviorByLineOnLink(short first, short count) {
  const SInt32 last = SInt32(first) + count - 1;
  for (cLMgr_CellRoot* root = this; root != nullptr; root = root->GetNextObjectPtr()) {
    sLMgr_Cell* c = root->FindCellOnCrossLine(first);
    if (c == nullptr) c = root->cells;
    for (; c != nullptr; c = root->NextCellOnLine(c)) {
      cLMgr_CellRoot* cross = root->CrossRootOf(c);
      if (cross == nullptr) {
        SpReportFailure(kSource, "cLMgr_CellRoot::CopyRootDefaultBehaviorByLineOnLink",
                        root->isRow_ ? 3 : 5, kSpMsgDataError);
        return;
      }
      if (cross->lineNo > last) break;
      if (cross->lineNo < first) continue;
      c->behavior = root->behavior;
      c->stringModifyOn = root->stringModifyOn;
      c->stringModifyType = root->stringModifyType;
    }
  }
}

bool cLMgr_CellRoot::SetCellStringModify(sLMgr_Cell* cell, unsigned char on, short type) {
  const bool changed = on != 0 ? (cell->stringModifyOn == 0 || cell->stringModifyType != type)
                               : cell->stringModifyOn != 0;
  cell->stringModifyOn = on;
  if (on != 0) cell->stringModifyType = type;
  return changed;
}

Boolean cLMgr_CellRoot::ChangeOutputStringModify(short crossLine, unsigned char on, short type,
                                                 Boolean* changed) {
  if (changed != nullptr) *changed = 0;
  if (crossLine < 1) {
    // The line's default holds for cells made later, even while it has none.
    stringModifyOn = on;
    if (on != 0) stringModifyType = type;
  }
  if (cells == nullptr) return 0;
  bool any = false;
  if (crossLine < 1) {
    for (sLMgr_Cell* c = cells; c != nullptr; c = NextCellOnLine(c)) {
      any = SetCellStringModify(c, on, type) || any;
    }
  } else {
    sLMgr_Cell* c = FindCellOnCrossLine(crossLine);
    if (c == nullptr) return 0;
    any = SetCellStringModify(c, on, type);
  }
  if (changed != nullptr) *changed = any ? 1 : 0;
  return 1;
}

Boolean cLMgr_CellRoot::EnableOutputStringModifyBehavior(short crossLine, short type,
                                                         Boolean* changed) {
  return ChangeOutputStringModify(crossLine, 1, type, changed);
}

Boolean cLMgr_CellRoot::DisableOutputStringModifyBehavior(short crossLine, Boolean* changed) {
  return ChangeOutputStringModify(crossLine, 0, 0, changed);
}

// ---- The selection chain --------------------------------------------------------------------

void cLMgr_CellRoot::LinkToSelectionNext(cLMgr_CellRoot* chain) {
  if (chain == nullptr || chain == this) return;
  cLMgr_CellRoot* last = GetLastSelectionObjectPtr();
  last->selectionNext_ = chain;
  chain->selectionPrevious_ = last;
}

cLMgr_CellRoot* cLMgr_CellRoot::UnlinkSelectionNext() {
  cLMgr_CellRoot* item = selectionNext_;
  if (item == nullptr) return nullptr;
  selectionNext_ = item->selectionNext_;
  if (selectionNext_ != nullptr) selectionNext_->selectionPrevious_ = this;
  item->selectionPrevious_ = item->selectionNext_ = nullptr;
  return item;
}

cLMgr_CellRoot* cLMgr_CellRoot::GetLastSelectionObjectPtr() {
  cLMgr_CellRoot* r = this;
  while (r->selectionNext_ != nullptr) r = r->selectionNext_;
  return r;
}

void cLMgr_CellRoot::LeaveSelectionChain() {
  if (selectionPrevious_ != nullptr) selectionPrevious_->selectionNext_ = selectionNext_;
  if (selectionNext_ != nullptr) selectionNext_->selectionPrevious_ = selectionPrevious_;
  selectionPrevious_ = selectionNext_ = nullptr;
}
