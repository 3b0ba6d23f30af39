#include "SpListSelectionList.h"

#include "SpListCellRootObject.h"

Boolean cSp_SelectionRowColList::GetSelectionCellPosition(SInt32 n, short& line) const {
  cLMgr_CellRoot* root = GetSelectionPtr(n);
  if (root == nullptr) return 0;
  line = root->GetReferenceNo();
  return 1;
}

Boolean cSp_SelectionCellList::GetSelectionCellPosition(SInt32 n, Point& cell) const {
  sLMgr_Cell* c = GetSelectionPtr(n);
  if (c == nullptr || c->rowRoot == nullptr || c->columnRoot == nullptr) return 0;
  cell.v = c->rowRoot->GetReferenceNo();
  cell.h = c->columnRoot->GetReferenceNo();
  return 1;
}
