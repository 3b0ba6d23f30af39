// The storage of the list: its rows and columns (cell roots), its cells and the pooled blocks
// the cells come from.
//
// A list is a grid. Every row and every column is a cLMgr_CellRoot in one of the list's two
// chains, numbered from 1 in screen order; every cell is linked into exactly one row chain
// and one column chain (in column order along its row, in row order down its column), and
// each row has one cell per column once both exist. A root also carries the defaults of its
// line: its behaviour record and its string shortening, which new cells copy.
//
// Cells are plain records handed out by cell blocks of the list (400 cells each, one zeroed
// allocation per block); a block is never freed before its list.
//
// Failures beep once and leave one error-log record (source "SpListCellRootObject").
#pragma once

#include "MacTypes.h"
#include "QDPictures.h"
#include "QuickDraw.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpPoolBlock.h"

class cLMgr_List_Base;
class cLMgr_CellRoot;
class cLMgr_Cell_Block;
class cLMgr_CellBlockList;
class cSp_PictureItem;
struct sLMgr_Cell;

// What a cell holds.
typedef UInt8 tCellDataType;
enum : tCellDataType {
  kLMgrNoData = 0,
  kLMgrStringData = 1,     // a private copy of a zero-terminated text
  kLMgrIntegerData = 2,    // a 32-bit integer
  kLMgrFloatData = 4,      // a float
  kLMgrPictureData = 5,    // a picture of the resource manager, by its 'PICT' id
  kLMgrCIconData = 7,      // a colour icon of the resource manager, by its 'cicn' id
  kLMgrIconSuiteData = 9,  // an icon suite that stays its owner's
};

// One edge line: drawn only when on and at least one pixel wide.
struct sSpLineBehaviorStruct {
  unsigned char on;
  unsigned char reserved;
  short width;
  RGBColor color;
};

// How one cell is drawn. A row or column root keeps one as the default of its cells, the list
// one as the default of new lines.
struct sLMgrCellBehaviorStruct {
  short verticalInset;    // the data lies this far inside the cell at top and bottom
  short horizontalInset;  // ... and at left and right
  // Placement codes (tPositionType). Text: the second is its horizontal alignment, the first
  // its vertical one. Pictures and icons take both axes from the first: 1 left, 3 right, 4
  // top, 5 bottom, anything else centred on that axis.
  unsigned char firstPosition;
  unsigned char secondPosition;
  RGBColor backColor;
  RGBColor foreColor;  // the text colour
  short backgroundOn;  // the back colour is painted only when this is set
  sSpLineBehaviorStruct topLine;
  sSpLineBehaviorStruct bottomLine;
  sSpLineBehaviorStruct leftLine;
  sSpLineBehaviorStruct rightLine;
  short fontNo;
  short textSize;
  short textFace;
};
static_assert(sizeof(sSpLineBehaviorStruct) == 10, "an edge line record is 10 bytes");
static_assert(sizeof(sLMgrCellBehaviorStruct) == 66, "a behaviour record is 66 bytes");

// The defaults of a new list: insets 1, centred, black on white without background, edge
// lines off, width 1, black; font, size and face 0.
sLMgrCellBehaviorStruct Sp_LM_DefaultCellBehavior();
sSpLineBehaviorStruct Sp_LM_DefaultLineBehavior();

// Draws under a cell's data: (list, cell, the cell's inner rectangle, reference value).
typedef void (*tLMgrCellBackgroundDrawProcPtr)(cLMgr_List_Base* list, sLMgr_Cell* cell,
                                               Rect& innerRect, unsigned long refCon);

// Everything of a cell that taking it from its block clears.
struct sLMgr_CellContents {
  tCellDataType kind;
  char* string;            // kind 1: the cell's own copy (null: no text)
  SInt32 value;            // kind 2: the integer; kinds 5 and 7: the resource id
  float floatValue;        // kind 4
  short floatDigits;       // decimals drawn of a float
  short floatMinDecimals;  // with the two-argument flag: the fewest decimals shown
  unsigned char floatTwoArgs;
  SInt32 resourceUserRef;    // kinds 5 and 7: the loan's user number
  cSp_PictureItem* picture;  // kind 5
  CIconHandle cIcon;         // kind 7
  Handle iconSuite;          // kind 9: never disposed by the list
  short drawWidth;           // kinds 5, 7, 9: the size drawn
  short drawHeight;
  tLMgrCellBackgroundDrawProcPtr backgroundProc;
  unsigned long backgroundRefCon;
  unsigned char inUse;
  unsigned char selected;
  sLMgrCellBehaviorStruct behavior;
  unsigned char stringModifyOn;  // a text wider than its room is cut (with an ellipsis)
  short stringModifyType;        // where TruncText cuts: 0 at the end, 0x4000 in the middle
  sLMgr_Cell* rowPrevious;       // along its row
  sLMgr_Cell* rowNext;
  sLMgr_Cell* colPrevious;  // down its column
  sLMgr_Cell* colNext;
  sLMgr_Cell* selectionPrevious;  // in the list's chain of selected cells
  sLMgr_Cell* selectionNext;
  cLMgr_CellRoot* columnRoot;
  cLMgr_CellRoot* rowRoot;
};

// One cell: its contents and its place in its block.
struct sLMgr_Cell : sLMgr_CellContents {
  cLMgr_Cell_Block* block;
  cLMgr_CellBlockList* manager;
  sLMgr_Cell* blockPrevious;
  sLMgr_Cell* blockNext;
  sLMgr_Cell* freePrevious;
  sLMgr_Cell* freeNext;

  // Zero-fills the contents; the cell stays in its block.
  void ClearContents() { static_cast<sLMgr_CellContents&>(*this) = sLMgr_CellContents(); }
};

enum : SInt32 { kLMgrCellsPerBlock = 400 };

class cLMgr_Cell_Block : public tSpPoolBlock<sLMgr_Cell, cLMgr_Cell_Block, cLMgr_CellBlockList>,
                         public cSpMacHeapObject {
 public:
  explicit cLMgr_Cell_Block(cLMgr_CellBlockList* manager) : tSpPoolBlock(manager) {}

  // Makes the block's cells, all free; the memory error (the block then has none) or noErr.
  OSErr SetupCells(SInt32 count) { return MakeSlots(count); }
  // A zeroed cell in use from the free chain; null when none is free.
  sLMgr_Cell* GetNewCell();
  // Zeroes the cell (keeping its block) and puts it at the head of the free chain.
  void PutTrashCell(sLMgr_Cell* cell);
};

// The list's cell blocks, which it owns.
class cLMgr_CellBlockList : public tSpPoolBlockList<cLMgr_Cell_Block> {
 public:
  // A cell from a block with a free one, else from a new block of `cellsPerBlock`; null when
  // memory runs out (reported).
  sLMgr_Cell* NewCell(SInt32 cellsPerBlock);
};

// One row or one column of a list.
class cLMgr_CellRoot : public cSpListLinks<cLMgr_CellRoot>, public cSpMacHeapObject {
 public:
  cLMgr_CellRoot(cLMgr_List_Base* list, Boolean isRow);
  // Disposes of the title; the cells are the list's to give back first.
  ~cLMgr_CellRoot();
  cLMgr_CellRoot(const cLMgr_CellRoot&) = delete;
  cLMgr_CellRoot& operator=(const cLMgr_CellRoot&) = delete;

  void StartUpInitialize();

  // The line's number from 1, as the last position pass gave it.
  short GetReferenceNo() const { return lineNo; }
  // Outer start, outer end (edge lines included), inner start, inner end (excluded); each
  // output may be null.
  void GetCellPosition(SInt32* outerStart, SInt32* outerEnd, SInt32* innerStart,
                       SInt32* innerEnd) const;
  // The title is a copy; a null text keeps the current one.
  void SetupTitle(const char* text);
  void ClearTitleString();
  sSO_StringObjectBase* GetTitle() const { return title_; }
  // The root numbered n from this one onward; null for n below 1 or none.
  cLMgr_CellRoot* GetTargetRootObjectPtrOnLink(short n);

  // Takes each cell of the line out of the crossing chains (a row's cells out of their
  // columns, a column's out of their rows).
  void UnLinkCellLine();
  // Hands every cell of the line back to the list and empties the chain.
  void DeleteCellLine();
  // For this root and every later one: copies the root's behaviour and string shortening
  // into its cells whose crossing line number lies in first .. first + count - 1.
  void CopyRootDefaultBehaviorByLineOnLink(short first, short count);
  // Turns string shortening on with the type (off): crossLine below 1 for the line's own
  // default and every cell of the line, else for its cell crossed by that line. `changed`
  // says whether any cell changed. 0 when the line has no cells or that cell is missing.
  Boolean EnableOutputStringModifyBehavior(short crossLine, short type, Boolean* changed);
  Boolean DisableOutputStringModifyBehavior(short crossLine, Boolean* changed);

  // The cell of this line that the crossing line numbered n crosses; null when none.
  sLMgr_Cell* FindCellOnCrossLine(short n) const;
  // The next or previous cell along this line's chain.
  sLMgr_Cell* NextCellOnLine(const sLMgr_Cell* cell) const {
    return isRow_ ? cell->rowNext : cell->colNext;
  }
  // The root of the line crossing this one at the cell.
  cLMgr_CellRoot* CrossRootOf(const sLMgr_Cell* cell) const {
    return isRow_ ? cell->columnRoot : cell->rowRoot;
  }

  // ---- The selection chain ----
  void LinkToSelectionNext(cLMgr_CellRoot* chain);
  cLMgr_CellRoot* UnlinkSelectionNext();
  cLMgr_CellRoot* GetBeforeSelectionObjectPtr() const { return selectionPrevious_; }
  cLMgr_CellRoot* GetNextSelectionObjectPtr() const { return selectionNext_; }
  cLMgr_CellRoot* GetLastSelectionObjectPtr();
  // Joins the neighbours in the selection chain and clears this root's selection links.
  void LeaveSelectionChain();
  // Forgets the selection links (while the whole chain is taken apart).
  void ClearSelectionLinks() { selectionPrevious_ = selectionNext_ = nullptr; }

  // Takes this root out of the chain of lines, joining its neighbours.
  void UnlinkFromLineChain() { UnlinkSelf(); }
  // Inserts an unlinked root right after or before this one.
  void InsertRootAfter(cLMgr_CellRoot* root) { InsertAfter(root); }
  void InsertRootBefore(cLMgr_CellRoot* root) { InsertBefore(root); }

  Boolean IsRow() const { return isRow_; }
  cLMgr_List_Base* GetList() const { return list_; }

  // The line's fields, which the list lays out and draws from.
  short lineNo = 0;
  short titleFontNo = 0;  // the title as the list's title bar shows it
  short titleTextSize = 0;
  unsigned char selected = 0;
  short size = 0;  // height of a row, width of a column, edge lines excluded
  short minSize = 0;
  // The line's extents in the list's own positions, which run past QuickDraw's 16 bits.
  SInt32 outerStart = 0;
  SInt32 outerEnd = 0;
  SInt32 innerStart = 0;
  SInt32 innerEnd = 0;
  sSpLineBehaviorStruct startLine{};
  sSpLineBehaviorStruct endLine{};
  sLMgrCellBehaviorStruct behavior{};
  unsigned char stringModifyOn = 0;
  short stringModifyType = 0;
  sLMgr_Cell* cells = nullptr;  // the head of the line's cells

 private:
  // Sets or clears the shortening of one cell; true when it changed.
  static bool SetCellStringModify(sLMgr_Cell* cell, unsigned char on, short type);
  Boolean ChangeOutputStringModify(short crossLine, unsigned char on, short type, Boolean* changed);

  cLMgr_List_Base* list_ = nullptr;
  Boolean isRow_ = 0;
  sSO_StringObjectBase* title_ = nullptr;
  cLMgr_CellRoot* selectionPrevious_ = nullptr;
  cLMgr_CellRoot* selectionNext_ = nullptr;
};
