// The change lists a list hands to its modify-selection callbacks: the rows or columns, or
// the cells, that entered or left its selection, in the order they changed. A list fills one
// for a report and empties it when the callback returns.
#pragma once

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpCollectionObject.h"

class cLMgr_CellRoot;
struct sLMgr_Cell;

// A collection of pointers, held as its values.
template <class T>
class tSpSelectionPtrList : public cSp_uLongCollection {
 public:
  void SelectionInitialize() { ClearAllListItem(); }
  void SetupNewSelectionPtr(T* item) { SetValue(-1, reinterpret_cast<unsigned long>(item)); }
  SInt32 GetNumOfSelection() const { return GetNumberOfItem(); }
  // The n-th item from 1; null when there is none.
  T* GetSelectionPtr(SInt32 n) const {
    unsigned long value = 0;
    return GetValue(n, value) ? reinterpret_cast<T*>(value) : nullptr;
  }
};

// Rows or columns (cell roots).
class cSp_SelectionRowColList : public tSpSelectionPtrList<cLMgr_CellRoot> {
 public:
  // The n-th root's line number; 0 when there is none.
  Boolean GetSelectionCellPosition(SInt32 n, short& line) const;
};

// Cells.
class cSp_SelectionCellList : public tSpSelectionPtrList<sLMgr_Cell> {
 public:
  // The n-th cell's column in h and row in v; 0 when there is none.
  Boolean GetSelectionCellPosition(SInt32 n, Point& cell) const;
};
