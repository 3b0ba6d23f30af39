// The framework's multi-column list: a view of a window showing a grid of cells in rows and
// columns, each cell holding a text, a number, a picture or an icon with its own colours,
// edge lines, font and text size; and a hot-spot area of the same window.
//
// Addressing: rows and columns are numbered from 1 in their order on the screen; a cell is
// (column, row), and where a Point carries a cell its v is the row and its h the column. Row
// or column 0 means the list default or the whole line, and a negative number every line,
// where an operation says so.
//
// Coordinates: the list lays its lines out in positions of its own, 32 bits wide. A line's outer
// extent includes its start and end lines (the separators), its inner extent does not. The
// view's content coordinates, which drawing, marking and the rectangles the list hands out
// use, are QuickDraw's 16 bits: while the lines fit in 16,384 pixels a position is its content
// coordinate. A longer list shows the view a content of 16,384 pixels (half of QuickDraw's
// range, so that placing it in a container's offscreen stays within it) whose scroll value
// stands for the list's position in proportion (the scroll bars' thumbs show where the list
// stands); the list keeps its exact position, scrolls by its lines and pages exactly, and puts
// only the lines the view shows into content coordinates. So every line can be scrolled to,
// drawn and clicked.
//
// Selection: the list keeps its own selection of cells, whole rows or whole columns, chosen by
// its selection mode, and reports every change through two modify-selection callbacks. A
// plain click makes the clicked item the anchor and reports it as entered but does not mark
// it: only a range selection (Shift with range selection on) marks items, and only marked
// items are inverted by the list. A client that shows plainly clicked items selected draws
// them itself.
//
// Scrolling: the list is a scrolled view whose content is all its lines. It can have scroll
// bars of its own (Sp_CreateNewList with their rectangles), whose arrows step from line to
// line, and it scrolls by whole lines, by pages and to bring a row or column into sight.
//
// Title bar: a list can carry a title bar above it with one item per column, kept as wide as
// the columns and scrolled with them; dragging its separators (once allowed) resizes the
// columns.
//
// Mouse: the list is a hot-spot area. A press turns into a cell, goes to the client's
// mouse-down callback first and then to the list's own selection; moves, the release, clicks
// and double clicks (both clicks on one cell) go to the client's callbacks with the cell
// under the mouse, (0, 0) when the mouse is on no cell.
//
// Failures beep once and leave one error-log record (source "SpListClass").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpHotSpotArea.h"
#include "SpListCellRootObject.h"
#include "SpListSelectionList.h"
#include "SpOriginalControl.h"
#include "SpProcEntry.h"
#include "SpStdDrawingFunction.h"
#include "SpTitleBarControl.h"
#include "SpViewClass.h"

// What a modify-selection report says.
typedef UInt8 tListModifySelectType;
enum : tListModifySelectType {
  kLMgrCellsLeft = 0,
  kLMgrRowsLeft = 1,
  kLMgrColumnsLeft = 2,
  kLMgrCellsEntered = 3,
  kLMgrRowsEntered = 4,
  kLMgrColumnsEntered = 5,
};

// When a click reaches CellSelection: at the mouse-down (what the list's own mouse handling
// passes), or at the two later moments a client may choose.
typedef UInt8 tListSelectTiming;
enum : tListSelectTiming {
  kLMgrSelectAtMouseDown = 0,
  kLMgrSelectTiming1 = 1,
  kLMgrSelectTiming2 = 2,
};

// What a click selects: nothing, one or several cells, rows or columns. An even mode allows
// several items.
enum : UInt8 {
  kLMgrSelectNone = 0,
  kLMgrSelectOneCell = 1,
  kLMgrSelectCells = 2,
  kLMgrSelectOneRow = 3,
  kLMgrSelectRows = 4,
  kLMgrSelectOneColumn = 5,
  kLMgrSelectColumns = 6,
};

// How an arrow of a scroll bar steps along the list's lines.
typedef UInt8 tScrollDrawingType;
enum : tScrollDrawingType {
  kLMgrScrollBarOwnStep = 1,    // the bar's own fixed step
  kLMgrScrollToLineStart = 2,   // to the start of the next or previous line
  kLMgrScrollToLineMiddle = 3,  // to the middle of the next or previous line
};

// Which of the list's two title bars: the left one (rows) or the top one (columns).
typedef UInt8 tListDirection;
enum : tListDirection {
  kLMgrRowDirection = 1,
  kLMgrColumnDirection = 2,
};

// The client's mouse callbacks: the cell (v the row, h the column; (0, 0) for none), the
// event's modifiers and the reference value; the move and release callbacks first say
// whether the mouse is on a cell at all.
typedef void (*tLMgrMouseCellProcPtr)(Point cell, short modifiers, unsigned long refCon);
typedef void (*tLMgrMouseOnCellProcPtr)(Boolean onCell, Point cell, short modifiers,
                                        unsigned long refCon);

// What the last press in any list started: a range selection, or (on the selection already
// there) possibly a drag.
extern unsigned char areaSelectionStartFlag_GlV;
extern unsigned char dragStartFlag_GlV;

typedef void (*tLMgrModifyCellSelectionProcPtr)(tListModifySelectType type,
                                                cSp_SelectionCellList* cells, unsigned long refCon);
typedef void (*tLMgrModifyRowColSelectionProcPtr)(tListModifySelectType type,
                                                  cSp_SelectionRowColList* lines,
                                                  unsigned long refCon);

class cLMgr_List_Base : public cSp_View, public cSp_HotSpotArea {
 public:
  // A view on the window (in the container, drawing in its offscreen when asked) and a
  // hot-spot area over what of it the window shows, both marked for redraw.
  cLMgr_List_Base(WindowRef window, const Rect& area, cSp_View* container, Boolean drawInContainer);
  // Gives every cell back (releasing its data), frees the lines and the blocks, and deletes
  // the title bars.
  ~cLMgr_List_Base() override;

  // ==== Rows, columns and cells (SpListClass.cpp) ====
  // Inserts count lines after line `after`: 0 (or an empty list) in front, a number past the
  // end or a negative one at the end. They take the size, edge lines and behaviour of line
  // `after`, else of the last line with the list's default edge lines, else the list's
  // defaults. Their cells take the behaviour of line `after`'s cells, else their crossing
  // lines' defaults. Nothing for a count below 1.
  void AddRow(short after, short count);
  void AddColumn(short after, short count);
  // Deletes count lines from line `first` (0 or 1 the first, negative the last), fewer when
  // the list ends first, releasing their cells' data; nothing for a count below 1.
  void DeleteRow(short first, short count, Boolean redraw);
  void DeleteColl(short first, short count, Boolean redraw);
  // Moves the right edge to left + width and the bottom edge to top + height; a negative
  // value leaves that side. 0 when neither changed.
  Boolean Resize(short width, short height, Boolean redraw);

  cLMgr_CellRoot* GetRowRootListHeadPtr() const { return rowRoots_; }
  cLMgr_CellRoot* GetCollRootListHeadPtr() const { return columnRoots_; }
  short GetNumOfRow() const { return rowCount_; }
  short GetNumOfColumn() const { return columnCount_; }
  // The extent of all rows (columns) in the list's own positions.
  SInt32 GetRowAreaSize() const { return areaHeight_; }
  SInt32 GetColumnAreaSize() const { return areaWidth_; }
  // The row or column numbered n; null when there is none.
  cLMgr_CellRoot* GetRowRoot(short n) const { return FindLine(true, n); }
  cLMgr_CellRoot* GetColumnRoot(short n) const { return FindLine(false, n); }

  // 1 when the row or the column is selected as a whole, or the cell is.
  Boolean IsSelection(short column, short row);
  Boolean GetCellPtr(short column, short row, sLMgr_Cell** out);
  // The cell at (column, row); with create, made when missing while its row and column
  // exist. Null when there is none.
  sLMgr_Cell* SerchTargetCell(short column, short row, Boolean create);
  // The cell's rectangle with its edge lines (outer), without them (inner), and the outer one
  // on the window; each output may be null. 0 when the row or column does not exist. In a list
  // past 16,384 pixels a side lying further than about 16,000 pixels from what the view shows
  // stops at the end of the 16-bit range, outside the view.
  Boolean GetCellArea(Point cell, Rect* outer, Rect* inner, Rect* onWindow);
  // The cell under a window point: v the row, h the column. 0 when the point lies outside
  // the list, on an edge line or beyond the last line.
  Boolean GetCellOnWindowLocalPosition(Point windowPoint, Point* cell);

  // Lays the rows (or columns) out anew: positions, numbers, count and the content extent;
  // with titles the matching title bar's items take the lines' widths.
  void SetupRootPosition(Boolean rows, Boolean titles);
  // A cell from the blocks; null when memory runs out.
  sLMgr_Cell* NewCellObject();
  // Releases the cell's data, takes it out of the selection and gives it back to its block.
  void TrashCellObject(sLMgr_Cell* cell);
  void UnlinkRootSelectionLink(cLMgr_CellRoot* root);
  void UnlinkCellSelectionLink(sLMgr_Cell* cell);
  // The cell blocks, for looking at how cells are pooled.
  const cLMgr_CellBlockList& GetCellBlocks() const { return blocks_; }

  // ==== Cell data and behaviour (SpListClassData.cpp) ====
  // The data setters return 0 when the cell already holds the same data (nothing is marked)
  // or cannot be had. The cell is marked for redraw; with redraw it is drawn at once.
  Boolean SetupData(short column, short row, short value, Boolean redraw);
  Boolean SetupData(short column, short row, SInt32 value, Boolean redraw);
  Boolean SetupData(short column, short row, float value, Boolean redraw);
  // A null text empties the cell.
  Boolean SetupStringData(short column, short row, const char* text, Boolean redraw);
  // Picture pictId drawn width x height, seen through picture transmitPictId when it is not
  // 0. 1 when the cell exists (a picture that cannot be had leaves it empty).
  Boolean SetupPictData(short column, short row, short pictId, short transmitPictId, short width,
                        short height, Boolean redraw);
  Boolean SetupCIconData(short column, short row, short cicnId, short width, short height,
                         Boolean redraw);
  // The suite stays the caller's: the list never disposes of it.
  Boolean SetupIconSuiteHandleData(short column, short row, Handle iconSuite, short width,
                                   short height, Boolean redraw);
  // Calls proc under the cell's data at every drawing; a null proc switches it off. The cell is
  // marked for redraw whenever a procedure is set, the same one too.
  Boolean SetupCellBackgroundDrawingCallback(short column, short row,
                                             tLMgrCellBackgroundDrawProcPtr proc,
                                             unsigned long refCon);

  // Empties a cell (never making one): marked for redraw, drawn at once with redraw. 0 when
  // there is no such cell.
  Boolean ClearDataInCell(short column, short row, Boolean redraw);
  // Empties every cell of count lines from line `first` (as DeleteRow chooses it; a negative
  // count to the end) and marks their band for redraw.
  void ClearDataInRow(short first, short count, Boolean redraw);
  void ClearDataInCol(short first, short count, Boolean redraw);
  // Frees the cell's data; 1 when something visible went away (then marked for redraw with
  // invalidate).
  Boolean ClearTargetCellData(sLMgr_Cell* cell, Boolean invalidate);

  Boolean SetCellForeColor(short column, short row, const RGBColor* color, Boolean redraw);
  Boolean SetCellBackColor(short column, short row, const RGBColor* color, Boolean redraw);
  Boolean SetCellStringSize(short column, short row, short size, Boolean redraw);
  Boolean GetCellStringSize(short column, short row, short* size);
  // Into the list default and every row and column root; cells keep theirs.
  void SetDefaultForeColor(const RGBColor* color);
  void SetDefaultBackColor(const RGBColor* color);
  void SetDefaultFont(short fontNo);
  void SetDefaultStringSize(short size);
  void SetDefaultCellBehavior(const sLMgrCellBehaviorStruct* behavior);
  // (column, row) the cell; (column, 0) the column root and its cells; (0, row) the row root
  // and its cells; (0, 0) the list default, every root and every cell. 0 when a number is
  // negative or past the count.
  Boolean SetCellBehaviorData(short column, short row, const sLMgrCellBehaviorStruct* behavior,
                              Boolean redraw);
  // The record of the cell, the column root (row 0), the row root (column 0) or the list
  // default (0, 0); zero-filled and 0 when there is none.
  Boolean GetCellBehaviorData(short column, short row, sLMgrCellBehaviorStruct* behavior);
  // (0, 0) the list default, else the cell's own record; null and 0 without the cell.
  Boolean GetCellBehaviorPtr(short column, short row, sLMgrCellBehaviorStruct** out);
  // String shortening of type `type`: row below 1 and column above 0 the whole column; row
  // above 0 and column below 1 the whole row; both above 0 the cell; both below 1 the list
  // default and every row. 0 when the target does not exist (the list default: no rows).
  Boolean EnableOutputStringModifyBehavior(short row, short column, short type);
  Boolean DisableOutputStringModifyBehavior(short row, short column);

  // ==== Drawing (SpListClassDrawing.cpp) ====
  // Draws the cells and lines that meet the port's clip region, in content coordinates.
  unsigned char UpdateProc() override;
  unsigned char InterruptDraw() override { return 0; }
  // Redraws the cell at once.
  void DrawOneCell(short column, short row);
  void DrawOneCell(sLMgr_Cell* cell);

  // ==== Sizes, lines and line colours (SpListClassSize.cpp) ====
  // The size of new columns and rows.
  void SetDefaultCellSize(short width, short height);
  // Row (negative: every row; 0: none) gets the height; the rows below move.
  void SetRowHeight(short row, short height, Boolean redraw);
  // 0 when no column's width changed.
  Boolean SetColumnWidth(short column, short width, Boolean redraw);
  void SetRowMinimumHeight(short row, short minimum);
  void SetColumnMinimumWidth(short column, short minimum);
  // Line 0: the list's defaults for new lines; else that line (negative: every line). A
  // negative width leaves that width.
  void SetupRowLineWidth(short row, short startWidth, short endWidth);
  void SetupColLineWidth(short column, short startWidth, short endWidth);
  void SetupRootLineWidth(Boolean rows, short line, short startWidth, short endWidth);
  // A null colour leaves that colour.
  void SetupRowLineColor(short row, const RGBColor* startColor, const RGBColor* endColor);
  void SetupColLineColor(short column, const RGBColor* startColor, const RGBColor* endColor);
  void SetupRootLineColor(Boolean rows, short line, const RGBColor* startColor,
                          const RGBColor* endColor);
  void RowLineTurnOnOff(short row, Boolean startOn, Boolean endOn);
  void ColLineTurnOnOff(short column, Boolean startOn, Boolean endOn);
  void RootLineTurnOnOff(Boolean rows, short line, Boolean startOn, Boolean endOn);
  // Line above 0: that line's record (0 when there is none); else the list's default.
  Boolean GetRowStartLineBehaviorData(short row, sSpLineBehaviorStruct& out);
  Boolean GetRowEndLineBehabiorData(short row, sSpLineBehaviorStruct& out);
  Boolean GetColStartLineBehaviorData(short column, sSpLineBehaviorStruct& out);
  Boolean GetColEndLineBehabiorData(short column, sSpLineBehaviorStruct& out);

  // ==== Scrolling (SpListClassScroll.cpp) ====
  // The arrow step of the horizontal (type 1) or vertical (type 2) scroll bar.
  void SetupScrollDrawingType(tScrollBarType type, tScrollDrawingType drawingType);
  // The rectangle of the bar of that direction and 1; all zero and 0 without one.
  Boolean GetScrollBarSize(tScrollBarType type, Rect& out) const;
  // The bar of that direction takes the rectangle's size and place.
  void ResizeScrolBar(tScrollBarType type, const Rect& rect);
  // Hands the content size to the view, pulling back a scroll value the content no longer
  // reaches.
  void SetupScrollArea();
  // The distance an arrow click of the bar (part 20 up, 21 down) moves to reach the next or
  // previous line, and 1; 0 to let the bar take its own step.
  Boolean DicisionScrollWidth(tScrollBarType type, short part, short step, short& output);
  // Scrolls by whole lines: count lines on (negative: back) in each direction, bringing a
  // line's start (alignStart) or end to the view's edge. Without partial nothing scrolls in a
  // direction that has fewer lines than asked. The last flags go to ScrollView (bars, redraw).
  Boolean CellScroll(short hCount, Boolean hAlignStart, short vCount, Boolean vAlignStart,
                     Boolean partial, Boolean syncBars, Boolean redraw);
  // The distance of such a scroll in one direction, in out; 0 when it would not scroll.
  Boolean BasicCellScroll(Boolean vertical, Boolean alignStart, short count, Boolean partial,
                          short* out);
  // A page on or back (direction 1 or -1; 0 stays) in each direction; with clamp a page past
  // an end stops at the end, without it nothing moves in that direction. The flags go to
  // SetScrollValue (bars, redraw, notify).
  Boolean PageScroll(short vDirection, short hDirection, Boolean clamp, Boolean syncBars,
                     Boolean redraw, Boolean notify);
  // Scrolls the least that shows the row and the column (0 or less: that direction stays); a
  // line larger than the view is centred. 0 when it is shown already.
  Boolean ScrollWithTargetCellOutput(short row, short column, Boolean syncBars, Boolean redraw,
                                     Boolean notify);

  // ==== Title bars (SpListClassTitleBar.cpp) ====
  // Makes the top title bar (one item per column, titled by the columns), or only changes
  // its height when there is one.
  void SetupTopTitleBar(short height);
  cSp_TittleBarControl* GetTopTitleBar() const { return topTitleBar_; }
  cSp_TittleBarControl* GetLeftTitleBar() const { return leftTitleBar_; }
  void EnableTopTitleBar();
  void DisableTopTitleBar(Boolean redraw);
  void ResetTopTitleBarHeight(short height);
  // The view's area (the list's area less the title bars) and the hot-spot area follow the
  // list's area.
  void ResetContentsAreaRect(Boolean redraw);
  void ResetTopTitleBarAreaRect();
  // On the chosen bar: separators can be dragged (with the separator cursor), or not.
  void EnableMoveingSeparator(tListDirection direction);
  void DisableMoveingSeparator(tListDirection direction);
  // On the chosen bar's item (negative: every item).
  void SetupCellEndLineSeparatorFix(tListDirection direction, short item);
  void SetupCellEndLineSeparatorFlex(tListDirection direction, short item);
  void SetupCellWidthFix(tListDirection direction, short item);
  void SetupCellWidthFlex(tListDirection direction, short item);
  // The line's title, shown by the bar's item of that number.
  void SetupTitle(tListDirection direction, short line, const char* text);
  // The line's title (every line for a negative number) is cleared, or with showNumber the
  // item shows the line's number while the line keeps its title.
  void ClearTitleString(tListDirection direction, short line, Boolean showNumber);
  void SetupTitleFontNo(tListDirection direction, short line, short fontNo);
  void SetupTitleFontSize(tListDirection direction, short line, short size);
  // The top bar's item n ended elsewhere: columns n and n + 1 take the items' widths.
  void TopTitleBarMoveingSeparatorProc(short item);

  // ==== Mouse (SpListClassMouse.cpp) ====
  // A null procedure switches the callback off.
  void SetupMouseDownCBProcPtr(tLMgrMouseCellProcPtr proc, unsigned long refCon);
  void SetupMouseDownMoveCBProcPtr(tLMgrMouseOnCellProcPtr proc, unsigned long refCon);
  void SetupMouseUpCBProcPtr(tLMgrMouseOnCellProcPtr proc, unsigned long refCon);
  void SetupMouseClickCBProcPtr(tLMgrMouseCellProcPtr proc, unsigned long refCon);
  void SetupMouseDoubleClickCBProcPtr(tLMgrMouseCellProcPtr proc, unsigned long refCon);
  void SetupNewSelectionOccurCBProcPtr(tLMgrMouseCellProcPtr proc, unsigned long refCon);
  void ExecMouseDownCB(Point cell, short modifiers);
  void ExecMouseDownMoveCB(Boolean onCell, Point cell, short modifiers);
  void ExecMouseUpCB(Boolean onCell, Point cell, short modifiers);
  void ExecMouseClickCB(Point cell, short modifiers);
  void ExecMouseDoubleClickCB(Point cell, short modifiers);
  void ExecNewSelectionOccurCB(Point cell, short modifiers);
  // The cell of the last click; (0, 0) when it was on no cell.
  Point GetLastClickedCell() const { return lastClickedCell_; }

  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseMoveProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

  // Switches the list off (its output, its clicks and its title bars' output) or on again;
  // nothing when it is so already.
  void DisableList(Boolean redraw);
  void EnableList(Boolean redraw);

  // ==== Selection (SpListClassSelection.cpp) ====
  // Applies one click on cell (v row, h column). changed: the selection changed and the list
  // should be redrawn; rangeAdded: a range selection brought items in. 0 when the mode is 0,
  // the clicked line does not exist, or in a cell mode the row has no such cell.
  //
  // A plain click on an item that is not marked clears the selection and makes the item the
  // anchor, reported as entered but not marked: IsSelection stays 0 for it and the list does
  // not invert it. A plain click on a marked item changes nothing, so a drag of the
  // selection can start.
  Boolean CellSelection(tListSelectTiming timing, Boolean shift, Point cell, Boolean* changed,
                        Boolean* rangeAdded);
  // Empties the row and column chains (lines) and the cell chain (cells), except the kept
  // items, unmarking and reporting what left.
  void ClearAllSelectionListItem(Boolean lines, cLMgr_CellRoot* keptLine, Boolean cells,
                                 sLMgr_Cell* keptCell, Boolean report);
  void ClearTargetSelectionListItem(cLMgr_CellRoot* line, sLMgr_Cell* cell, Boolean report);
  // Range selection from the anchor to the line (row and column modes) or cell (mode 2).
  void ChangeSelectionEndTargetForSerialSelection(cLMgr_CellRoot* line, sLMgr_Cell* cell,
                                                  Boolean report, Boolean* changed, Boolean* added);
  // Unmarks everything; the chains stay as they are and nothing is reported.
  void ClearAllSelection(Boolean* changed);
  void SetupModifyCellSelectionCBProcPtr(tLMgrModifyCellSelectionProcPtr proc,
                                         unsigned long refCon);
  void SetupModifyRowColSelectionCBProcPtr(tLMgrModifyRowColSelectionProcPtr proc,
                                           unsigned long refCon);
  void ExecModifyCellSelectionCBProc(tListModifySelectType type, cSp_SelectionCellList* list);
  void ExecModifyRowCelSelectionCBProc(tListModifySelectType type, cSp_SelectionRowColList* list);
  void SetupSelectionMode(UInt8 mode) { selectionMode_ = mode; }
  UInt8 GetSelectionMode() const { return selectionMode_; }
  void SetupRangeSelection(Boolean on) { rangeSelection_ = on; }
  Boolean GetRangeSelection() const { return rangeSelection_; }
  // The heads (anchors) of the three selection chains.
  cLMgr_CellRoot* GetSelectedRowsHead() const { return selectedRows_; }
  cLMgr_CellRoot* GetSelectedColumnsHead() const { return selectedColumns_; }
  sLMgr_Cell* GetSelectedCellsHead() const { return selectedCells_; }

 protected:
  // The area as given to the constructor, and as Resize changes it.
  Rect listArea_{0, 0, 0, 0};
  Rect givenArea_{0, 0, 0, 0};

 private:
  friend class cLMgr_CellRoot;

  void StartUpInitialize();

  // ---- Lines (SpListClass.cpp) ----
  cLMgr_CellRoot*& LineHead(Boolean rows) { return rows ? rowRoots_ : columnRoots_; }
  cLMgr_CellRoot* FindLine(Boolean rows, short n) const;
  // The line whose inner extent holds the list position; null on an edge line or past the
  // last line.
  cLMgr_CellRoot* LineAt(Boolean rows, SInt32 position) const;
  // The first line whose outer extent ends after the list position; null when none.
  cLMgr_CellRoot* FirstLineEndingAfter(Boolean rows, SInt32 position) const;
  void AddRootObject(Boolean rows, short after, short count);
  void AddLines(Boolean rows, short after, short count);
  void MakeAllRowCellData(short first, short count);
  void MakeAllColCellData(short first, short count);
  void MakeLineCells(Boolean rows, short first, short count);
  void CopyCellBehaviorByLine(Boolean rows, short from, short to, short count);
  void DeleteLines(Boolean rows, short first, short count, Boolean redraw);
  // The line DeleteRow and the clearing start from: 1 or less the first, a negative number
  // the last, else that number; null when there is none.
  cLMgr_CellRoot* StartLine(Boolean rows, short first) const;
  // The content rectangle of the lines between two list positions, across the whole list.
  Rect LineBand(Boolean rows, SInt32 from, SInt32 to) const;

  // ---- Marking (SpListClassData.cpp) ----
  // Marks a content rectangle for redraw where the window shows it.
  void MarkContentRect(const Rect& rect);
  // Marks the area SetCellBehaviorData changed: a cell, a column, a row or everything.
  void MarkLineOrCell(short column, short row);
  // The data setters' common part: the data into the cell, which is handed out.
  struct sCellData;
  Boolean SetupDataIntoCell(short column, short row, const sCellData& data, tCellDataType kind,
                            Boolean redraw, sLMgr_Cell** cellOut);
  Boolean SetupImageData(short column, short row, sCellData& data, tCellDataType kind, short width,
                         short height, Boolean redraw);
  static bool SameData(const sLMgr_Cell* cell, const sCellData& data, tCellDataType kind);
  Boolean StoreData(sLMgr_Cell* cell, const sCellData& data, tCellDataType kind);
  void ClearDataInLines(Boolean rows, short first, short count, Boolean redraw);
  // Marks the cell, and draws it at once with redraw.
  void ShowChangedCell(sLMgr_Cell* cell, Boolean redraw);
  template <class Change>
  Boolean ChangeCell(short column, short row, Boolean redraw, Change change);
  Boolean ChangeOutputStringModify(short row, short column, unsigned char on, short type);

  // ---- Drawing (SpListClassDrawing.cpp) ----
  struct sDrawState;
  void DrawCell(sLMgr_Cell* cell, const Rect& outer, const Rect& inner, sDrawState& state);
  void DrawCellData(sLMgr_Cell* cell, const Rect& dataRect, sDrawState& state);
  void DrawLines(Boolean rows, cLMgr_CellRoot* root, sDrawState& state);

  // ---- Sizes (SpListClassSize.cpp) ----
  sSpLineBehaviorStruct& DefaultStartLine(Boolean rows) {
    return rows ? rowStartLine_ : columnStartLine_;
  }
  sSpLineBehaviorStruct& DefaultEndLine(Boolean rows) {
    return rows ? rowEndLine_ : columnEndLine_;
  }
  Boolean GetLineBehavior(Boolean rows, Boolean start, short line, sSpLineBehaviorStruct& out);
  // Runs the position pass and hands the new size on.
  void Relayout(Boolean rows);
  // Marks from list position `from` of that axis to the larger of two extents.
  void MarkBandFrom(Boolean rows, SInt32 from, SInt32 oldEnd);

  // ---- Scrolling (SpListClassScroll.cpp) ----
  // The size of the drawing area along one direction.
  short ViewSize(Boolean vertical) const;
  // The list's scroll position along one direction and the view's scroll value it was last
  // in step with; a view value moved by anything else (a bar, a caller) gives the position
  // anew, in proportion.
  struct sScrollPlace {
    SInt32 position = 0;
    short viewValue = 0;
  };
  sScrollPlace& Place(Boolean vertical) const { return vertical ? vPlace_ : hPlace_; }
  short ViewScrollValue(Boolean vertical) const;
  // Whether the lines of that direction run past the view's content (kLMgrMaxViewContent).
  Boolean Scaled(Boolean vertical) const;
  short ViewExtent(Boolean vertical) const;
  SInt32 ListScroll(Boolean vertical) const;
  SInt32 ListMaxScroll(Boolean vertical) const;
  // A list scroll position as a view scroll value, and back.
  short ViewValueOf(Boolean vertical, SInt32 position) const;
  SInt32 PositionOfViewValue(Boolean vertical, short value) const;
  // What a list position adds to become a view content coordinate.
  SInt32 Offset(Boolean vertical) const;
  short ToView(Boolean vertical, SInt32 position) const;
  SInt32 ToList(Boolean vertical, short coordinate) const;
  // The content rectangle of list positions.
  Rect ViewRect(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right) const;
  // Scrolls the list to the positions (negative: that direction stays), the view's value
  // following; past the end is cut to it with clamp, else that direction stays. 1 when the
  // list moved.
  Boolean ScrollListTo(SInt32 h, SInt32 v, Boolean clamp, Boolean syncBars, Boolean redraw,
                       Boolean notify);
  // The list's position and the view's value after the extent or the view's size changed:
  // the position kept within the extent, the value showing it.
  void KeepScrollInStep();
  // The target of a scroll by count lines; false when it would not scroll.
  bool LineScrollTarget(Boolean vertical, Boolean alignStart, short count, Boolean partial,
                        SInt32* target) const;

  // ---- Title bars (SpListClassTitleBar.cpp) ----
  cSp_TittleBarControl* TitleBar(tListDirection direction) const;
  cLMgr_CellRoot* LineHeadOf(tListDirection direction) const;
  // The rectangle of the top bar over the list's area.
  Rect TopTitleBarRect() const;
  // The text an item shows for the line: its title, or its number when it has none.
  void ShowLineTitle(cSp_TittleBarControl* bar, cLMgr_CellRoot* line, Boolean numberOnly);
  void DeleteTitleBars();

  // ---- Selection (SpListClassSelection.cpp) ----
  cLMgr_CellRoot*& SelectedLines(Boolean rows) { return rows ? selectedRows_ : selectedColumns_; }
  void SelectItem(cLMgr_CellRoot* line, sLMgr_Cell* cell);
  void ClearLineChain(Boolean rows, cLMgr_CellRoot* kept, Boolean report);
  void ClearCellChain(sLMgr_Cell* kept, Boolean report);
  void SerialSelectCells(sLMgr_Cell* cell, Boolean report, Boolean* changed, Boolean* added);
  void SerialSelectLines(cLMgr_CellRoot* line, Boolean report, Boolean* changed, Boolean* added);
  void ReportLines(Boolean rows, Boolean entered, cSp_SelectionRowColList& list, Boolean report);
  void ReportCells(Boolean entered, cSp_SelectionCellList& list, Boolean report);
  void AppendCellSelection(sLMgr_Cell*& last, sLMgr_Cell* cell);

  // Lines in screen order, found by number through an index rebuilt by each position pass.
  struct sLineIndex {
    cLMgr_CellRoot** roots = nullptr;
    SInt32 count = 0;  // valid entries; 0 while the chain is being changed
    SInt32 capacity = 0;
  };
  void RebuildIndex(Boolean rows);
  void DisposeIndex(sLineIndex& index);

  SInt32 areaWidth_ = 0;   // every column's outer extent, in list positions
  SInt32 areaHeight_ = 0;  // every row's
  mutable sScrollPlace hPlace_;
  mutable sScrollPlace vPlace_;
  // The offsets the last drawing used: after a scroll of the view's value that moved the
  // list by another distance, the shifted image is no image of the list, and the whole view is
  // drawn.
  SInt32 drawnOffsetH_ = 0;
  SInt32 drawnOffsetV_ = 0;
  unsigned char drawnWhole_ = 0;
  cLMgr_CellRoot* rowRoots_ = nullptr;
  cLMgr_CellRoot* columnRoots_ = nullptr;
  sLineIndex rowIndex_;
  sLineIndex columnIndex_;
  sSpLineBehaviorStruct rowStartLine_{};
  sSpLineBehaviorStruct rowEndLine_{};
  sSpLineBehaviorStruct columnStartLine_{};
  sSpLineBehaviorStruct columnEndLine_{};
  unsigned char stringModifyOn_ = 0;
  short stringModifyType_ = 0;
  cLMgr_CellRoot* selectedRows_ = nullptr;
  cLMgr_CellRoot* selectedColumns_ = nullptr;
  sLMgr_Cell* selectedCells_ = nullptr;
  short rowCount_ = 0;
  short columnCount_ = 0;
  short defaultCellWidth_ = 40;
  short defaultCellHeight_ = 15;
  sLMgrCellBehaviorStruct defaultBehavior_{};
  SInt32 cellsPerBlock_ = kLMgrCellsPerBlock;
  cLMgr_CellBlockList blocks_;
  sSpCallback<tLMgrModifyCellSelectionProcPtr> modifyCellSelectionCB_;
  sSpCallback<tLMgrModifyRowColSelectionProcPtr> modifyRowColSelectionCB_;
  UInt8 selectionMode_ = kLMgrSelectNone;
  Boolean rangeSelection_ = 0;
  tScrollDrawingType hScrollDrawingType_ = kLMgrScrollToLineStart;
  tScrollDrawingType vScrollDrawingType_ = kLMgrScrollToLineStart;
  short topTitleBarHeight_ = 0;
  short leftTitleBarWidth_ = 0;
  cSp_TittleBarControl* topTitleBar_ = nullptr;
  cSp_TittleBarControl* leftTitleBar_ = nullptr;
  sSpCallback<tLMgrMouseCellProcPtr> mouseDownCB_;
  sSpCallback<tLMgrMouseOnCellProcPtr> mouseDownMoveCB_;
  sSpCallback<tLMgrMouseOnCellProcPtr> mouseUpCB_;
  sSpCallback<tLMgrMouseCellProcPtr> clickCB_;
  sSpCallback<tLMgrMouseCellProcPtr> doubleClickCB_;
  sSpCallback<tLMgrMouseCellProcPtr> newSelectionCB_;
  Point lastClickedCell_ = {0, 0};
  // Whether moves after a press that started a range selection, or one that may start a
  // drag, are left to the hot-spot area's own move callback.
  unsigned char passAreaSelectionMoves_ = 1;
  unsigned char passDragMoves_ = 0;
};

// Makes a list of `columns` columns of cellWidth and `rows` rows of cellHeight on the window
// (in the container, drawing in its offscreen when asked), with its output on or off, and a
// scroll bar for each rectangle given (window coordinates), stepping from line to line. Null
// when the list cannot be made.
cLMgr_List_Base* Sp_CreateNewList(WindowRef window, const Rect& area, short cellWidth,
                                  short cellHeight, short rows, short columns, Boolean output,
                                  Rect* hScrollRect, Rect* vScrollRect, cSp_View* container,
                                  Boolean drawInContainer);

// The step deciders of the list's vertical and horizontal bars (list: the list); 0 for none.
Boolean Sp_LM_DecisionScrollWidthForVScroll(unsigned long list, short part, short step, short& out);
Boolean Sp_LM_DecisionScrollWidthForHScroll(unsigned long list, short part, short step, short& out);
// The separator procedure of the list's top title bar (list: the list).
void SpLMGR_TopTitleBarMoveingSeparatorCallbackProc(short item, unsigned long list);

// Draws one line of text in the rectangle, aligned by `horizontal` and `vertical`. With modify
// and a text wider than the rectangle, the text is cut to fit (TruncText at `type`) into the
// work buffer, grown as needed (the caller frees it), and 1 is answered; otherwise the text is
// drawn as it is, clipped to the rectangle, and 0 is answered. Nothing for a null or empty
// text.
Boolean Sp_LM_DrawStringWithModifyStringPixWidth(const char* text, char** buffer,
                                                 SInt32& bufferSize, const Rect& rect,
                                                 Boolean modify, short type,
                                                 tPositionType horizontal, tPositionType vertical);
