// Choosing colours: a named colour table read from a 'clut' resource with titles from a
// 'STR#' list, and the colour picker menu, a 331 x 100 pixel grid of 270 colour cells drawn
// with QuickDraw, with hit testing, a selection frame and the last selection kept as a
// resource.
//
// The picker's grid: items 1 to 270, item n in row (n - 1) / 30 and column (n - 1) mod 30;
// for a picker drawn at (left, top) its cell is the 10 x 10 rectangle whose top-left corner is
// (left + 11 x column + 1, top + 11 x row + 1). Row 0 holds white (1), black (2) and 28 greys
// (3 to 30) from light to dark; rows 1 to 8 hold the colour cells.
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// The bytes of an item's title, its terminating zero included.
constexpr std::size_t kSpColorTitleSize = 512;

// One colour of a table: its number (from 1), colour and title.
class cSpColorTableItemObj : public cSpListLinks<cSpColorTableItemObj>,
                             public cSpMacHeapClearObject {
 public:
  cSpColorTableItemObj() = default;
  cSpColorTableItemObj(const cSpColorTableItemObj&) = delete;
  cSpColorTableItemObj& operator=(const cSpColorTableItemObj&) = delete;

  void SetupColorValue(const RGBColor& color) { color_ = color; }
  void GetColorValue(RGBColor& color) const { color = color_; }
  // The title (MacJapanese), cut to the title buffer on a character boundary.
  void SetupColorTitle(const char* title);
  // Copies the title into `buffer` of `bufferSize` bytes (cut there, on a character
  // boundary).
  void GetColorTitle(char* buffer, std::size_t bufferSize = kSpColorTitleSize) const;
  short GetRefNum() const { return refNum_; }
  // Number = the previous item's number + 1 (1 without one); with `renumberFollowing` every
  // following item is numbered on the same way.
  void SetupRefNum(unsigned char renumberFollowing);
  // From this item onward, the first with the number, or with exactly the colour; null when
  // none.
  cSpColorTableItemObj* SerchTargetRefNumItem(short refNum);
  cSpColorTableItemObj* SerchTargetColorItem(const RGBColor& color);

 private:
  short refNum_ = 0;
  RGBColor color_{65535, 65535, 65535};
  char title_[kSpColorTitleSize] = {};
};

// A colour table: the colours of a 'clut' resource in order, titled by the strings of a
// 'STR#' list (0: untitled), one of them the start-up colour named by the first string of
// another 'STR#' list (0: the first colour). The table owns its items.
class cSpColorTableObj : public cSpMacHeapClearObject {
 public:
  cSpColorTableObj(short colorTableId, short titleListId, short startupListId);
  ~cSpColorTableObj();
  cSpColorTableObj(const cSpColorTableObj&) = delete;
  cSpColorTableObj& operator=(const cSpColorTableObj&) = delete;

  // The current item's colour or number (the first item becomes current when none is); 0
  // when the table is empty.
  unsigned char GetCurrentTargetColor(RGBColor& color);
  unsigned char GetCurrentTargetColorRefNum(short& refNum);
  // The colour of item `refNum`; 0 when there is no such item.
  unsigned char GetTargetColor(short refNum, RGBColor& color);
  // The number of the first item of exactly this colour; 0 (and refNum 0) when none.
  unsigned char SerchTargetColorNo(const RGBColor& color, short& refNum);
  // The n-th item (from 1) becomes current; nothing when there is none.
  void SetupTargetItem(short n);
  cSpColorTableItemObj* GetColorTableListHeader() const { return first_; }
  // The start-up item's number; 0 without one.
  short GetStartupColorItemNo() const;
  short GetItemCount() const { return itemCount_; }

 private:
  void LoadColorData();
  void AppendItem(cSpColorTableItemObj* item);

  short colorTableId_;
  short titleListId_;
  short startupListId_;
  short itemCount_ = 0;
  cSpColorTableItemObj* first_ = nullptr;
  cSpColorTableItemObj* last_ = nullptr;
  cSpColorTableItemObj* current_ = nullptr;
  cSpColorTableItemObj* startup_ = nullptr;
};

// ---- The colour picker ----

// The resource that keeps a picker's last selection ('cpkD', id = the picker's menu id).
constexpr ResType kSpColorPickerDataType = SpFourCC("cpkD");

// The picker's size: 331 x 100.
void SpCPF_GetColorPickerMenuSize(short& width, short& height);
// The number of items: 270.
short SpCPF_GetColorItemNum();
// The item's colour; 0 for an item outside 1 ... 270.
unsigned char SpCPF_GetItemColor(short item, RGBColor& color);
// The item of exactly this colour; 0 when none.
unsigned char SpCPF_GetItemNo(const RGBColor& color, short& item);
// Grey n of 1 ... 28 (white mixed toward black by 0.2 + (n - 1) / 36: 80 % white down to
// 5 %); 0 outside.
unsigned char SpCPF_GetGrayscaleColor(short n, RGBColor& color);
// The grey number of exactly this colour; 0 for any other colour.
unsigned char SpCPF_GetGrayscaleColorNo(RGBColor color, short& n);
// The colour of the cell in `column` (0 ... 9 within its group of ten) and `row` (1 ... 8)
// whose group mixes `first`, `second` and `third` at the levels of the colour rule; 0 for a
// row outside 1 ... 8 or a negative column.
unsigned char SpCPF_GetRGBColorFromTable(short column, short row, RGBColor first, RGBColor second,
                                         RGBColor third, RGBColor& out);
// Each component that is not 0 becomes component x percent / 100 (a percent of 0 gives 0).
void SpCPR_ModifyColorByPercent(RGBColor& color, float redPercent, float greenPercent,
                                float bluePercent);
// The item's cell for a picker at (left, top); 0 for an item outside 1 ... 270.
unsigned char SpCPR_GetTargetItemArea(short item, short left, short top, Rect& area);
// The item under the point (the gap after a cell counts for that cell); 0 and item 0 outside
// the grid.
unsigned char SpCPR_SerchTargetItem(short left, short top, Point pt, short& item);
// Draws the whole picker at (left, top) in the current port, with the selection frame
// around `selectedItem` (0: none).
void SpCPR_DrawColorPickerMenu(short left, short top, short selectedItem);
// The selection frame: the cell framed in 95 % grey and the ring just outside it in black.
void SpCPR_DrawSelectionFrame(short item, short left, short top);
// Takes the selection frame of the item off: the ring outside the cell is erased and the
// picker drawn again around it without a selection.
void SpCPR_EraseArea(short left, short top, short item);
// Selects the item: its cell's surroundings drawn with the frame, and the selection saved.
void SpCPR_SetupSelection(short menuId, short left, short top, short item);
// Takes the frames of the saved selection and of the item off and saves "no selection".
void SpCPR_CancelSelection(short menuId, short left, short top, short item);
// The picker's saved selection, kept in the 'cpkD' resource of the menu id.
void SpCPR_SaveSelection(short menuId, short item);
unsigned char SpCPR_GetSaveSelection(short menuId, short& item);
void SpCPR_SetInitialSelection(short menuId, short item);
unsigned char SpCPR_GetInitialSelection(short menuId, short& item);
// The painters of the picker's cells: row 0 (white, black, the greys), and the six left and
// four right columns of a colour group for rows 1 to 8 starting at x (nextX: the next
// group's x, 66 and 44 pixels on).
void SpCPR_PaintGrayScaleColorCellRight(short left, short top);
void SpCPR_PaintEachColorCellLeft(short x, short top, RGBColor first, RGBColor second,
                                  RGBColor third, short& nextX);
void SpCPR_PaintEachColorCellRight(short x, short top, RGBColor first, RGBColor second,
                                   RGBColor third, short& nextX);
