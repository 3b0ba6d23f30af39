// The framework's own popup menu: a list of text items and separators that it draws itself
// and shows in a borderless window of its own over a button of some window.
//
// A cSp_PopupObj owns its items (cSp_PopupItemObj), numbered 1, 2, ... from the first,
// separators counted; an item named exactly "-" is a separator. Items go in at the end, at
// the front, after a given number or in name order. One item may be selected.
//
// OpenMouseDownPopupWin opens the menu at a press: the selected item lies over the middle of
// the button, the window keeps a margin from the screen's edges, and a list too long for the
// screen scrolls behind arrow zones at its top and bottom. The menu then follows the mouse in
// a loop of its own until the user chooses (press, drag and release; or a quick click that
// leaves it open and a second click) or cancels (a press outside, or 900 ticks without a
// movement after a quick click). The menu is drawn into an offscreen and copied to its window;
// moving onto another item redraws the offscreen but copies only the two bands that changed.
//
// Items are measured and drawn in the popup's own font and size.
//
// Failures beep once and leave one error-log record (source "SpPopupMenuObject").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpPositionType.h"

class cSp_PopupObj;

// Stored for clients and read by no operation.
typedef UInt8 tPopupSelectionItemType;
// 0: item texts take the whole width of the window from the left offset; any other value
// centres a band as wide as the widest item when the window is wider.
typedef UInt8 tPopupOutputAreaType;

// Called when the user chose another item: the popup, the new item's number, the reference.
typedef unsigned char (*tSpPopupChangeSelectedItemProcPtr)(cSp_PopupObj* popup, short itemNo,
                                                           unsigned long refCon);

enum : SInt32 { kSpPopupItemNameSize = 512 };

class cSp_PopupItemObj : public cSpListLinks<cSp_PopupItemObj>, public cSpMacHeapObject {
 public:
  // The name is cut to 511 bytes on a character boundary; "-" makes a separator.
  explicit cSp_PopupItemObj(const char* name);

  // Copies the name into the buffer: at most size - 2 bytes (whole characters), truncated
  // telling whether it was cut (may be null). A null buffer or a size of 0 is reported.
  void GetItemName(char* buffer, SInt32 size, unsigned char* truncated) const;
  const char* ItemName() const { return name_; }
  unsigned char IsSepareter() const { return separator_; }
  short GetItemNo() const { return itemNo_; }
  unsigned char GetHiliteEnableFlag() const { return hilite_; }
  void SetupHiliteFlag(unsigned char flag) { hilite_ = flag; }

  // strcmp of the name given against the item's name: negative when the given one sorts first.
  short CmpItemName(const char* name) const;
  short CmpItemNo(short number) const { return short(number - itemNo_); }

  // The band the item takes in the whole list, the list's top being 0.
  void SetupNormalPosition(short top, short bottom);
  void GetNormalPosition(short& top, short& bottom) const;

  // One above the item before it (1 for the first); with onward, every following item too.
  void SetupItemNo(unsigned char onward);

  // The name's width on the window's port in the system font at the size (0 for an empty
  // name); the size and the width are kept. The port, its text style and the current port are
  // left as they were. A null window is reported and gives 1.
  short CalculateTextWidthOnCurrentPort(WindowRef window, short size);
  // The same in the given font.
  short CalculateTextWidthOnCurrentPort(WindowRef window, short font, short size);
  short GetMeasuredWidth() const { return measuredWidth_; }

  // The first item from this one on with the name (exact bytes); a null or empty name is
  // reported and gives null.
  cSp_PopupItemObj* SerchTargetNameItemOnLink(const char* name);
  // The first item from this one on with the number; null when none has it.
  cSp_PopupItemObj* SerchTargetNameItemOnLinkWithRefNum(short number);

  // Draws the name in the current port's font and colour, vertically centred in the
  // rectangle with the horizontal alignment, clipped to it when asked.
  void DrawingMenuItemString(const Rect& rect, tPositionType position, unsigned char clip) const;

 private:
  friend class cSp_PopupObj;

  short itemNo_ = 0;
  SInt32 nameCapacity_ = kSpPopupItemNameSize;
  char name_[kSpPopupItemNameSize] = {};
  short listTop_ = 0;
  short listBottom_ = 0;
  unsigned char hilite_ = 0;
  unsigned char separator_ = 0;
  short measuredSize_ = 0;
  short measuredWidth_ = 0;
};

class cSp_PopupObj {
 public:
  explicit cSp_PopupObj(tPopupSelectionItemType type);
  // Deletes the items; closes the popup window when one is still open.
  ~cSp_PopupObj();
  cSp_PopupObj(const cSp_PopupObj&) = delete;
  cSp_PopupObj& operator=(const cSp_PopupObj&) = delete;

  void StartUpInitialize();

  // ==== The item list (SpPopupMenuObject.cpp) ====
  // Inserts an item of the name: number -1 at the end, 0 at the front, -2 in name order
  // (separators and ties go after the items already there), n after the item numbered n (at
  // the front for any other number below 1, at the end past the last). The first item of an
  // empty list becomes the selected one.
  void AddMenuItem(short number, const char* name);
  void WipeOutAllPopupMenuItem();
  short GetMenuItemNum() const;
  UInt16 GetItemCount() const { return itemCount_; }
  UInt16 GetNormalItemCount() const { return normalCount_; }
  UInt16 GetSeparatorCount() const { return separatorCount_; }
  cSp_PopupItemObj* GetFirstMenuItem() const { return first_; }
  cSp_PopupItemObj* GetLastMenuItem() const { return last_; }

  // Above 0 selects the item with that number (nothing when none has it); 0 or less clears
  // the selection. Nothing on an empty list.
  void SetSelectionMenuItem(short number);
  cSp_PopupItemObj* GetSelectionMenuItem() const { return selected_; }
  short GetSelectionMenuItemNo() const;
  unsigned char GetSelectionMenuItemTitle(char* buffer, SInt32 size,
                                          unsigned char* truncated) const;
  // The number of the first item with exactly that name (0 when none); found, when given, is
  // that item or null.
  short SerchTargetNameMenuItem(const char* name, cSp_PopupItemObj** found) const;
  unsigned char GetTargetItemName(short number, char* buffer, SInt32 size,
                                  unsigned char* truncated) const;
  void SetupHiliteFlag(short number, unsigned char flag);

  // ==== Settings (none redraws) ====
  void SetupMenuItemOutputPositionType(tPositionType position) { itemAlignment_ = position; }
  void SetupHorizonOutputPositionType(tPositionType position) { hPlacement_ = position; }
  void SetupOutputAreaType(tPopupOutputAreaType type) { outputAreaType_ = type; }
  // A width above 0 fixes the menu's width (for good); 0 or less changes nothing.
  void SetupFixMenuWidth(short width);
  // Above 0 a minimum width, otherwise none.
  void SetupMinMenuWidth(short width) { minWidth_ = width > 0 ? width : -1; }
  // 0 is the system font and the default size.
  void SetupMenuTextFont(short font);
  void SetupMenuTextSize(short size);
  // A negative value leaves that offset.
  void SetupHOffset(short left, short right);
  void SetupChangeSelectedItemCB(tSpPopupChangeSelectedItemProcPtr proc, unsigned long refCon);
  void ExecChangeSelectedItemCB();

  void SetupPopupWinBackgroundColor(const RGBColor& colour) { background_ = colour; }
  void SetupPopupWinSelectionItemBGColor(const RGBColor& colour) { trackedBackground_ = colour; }
  void SetupPopupWinSeparateLineColor(const RGBColor& colour) { separatorColour_ = colour; }
  void SetupPopupWinItemStringColor(const RGBColor& colour) { itemColour_ = colour; }
  void SetupPopupWinSelectionItemStringColor(const RGBColor& colour) { trackedColour_ = colour; }
  void SetupPopupWinHiliteItemStringColor(const RGBColor& colour) { hiliteColour_ = colour; }
  void SetupPopupWinScrollMarkColorColor(const RGBColor& colour) { scrollMarkColour_ = colour; }

  tPopupSelectionItemType GetSelectionItemType() const { return selectionType_; }
  short GetFixMenuWidth() const { return fixedWidthFlag_ != 0 ? fixedWidth_ : 0; }
  short GetMinMenuWidth() const { return minWidth_; }
  void GetHOffset(short& left, short& right) const;
  short GetMenuTextFont() const { return textFont_; }
  short GetMenuTextSize() const { return textSize_; }
  tPositionType GetMenuItemOutputPositionType() const { return itemAlignment_; }
  tPositionType GetHorizonOutputPositionType() const { return hPlacement_; }

  // ==== The popup window (SpPopupMenuObjectWindow.cpp) ====
  // Opens the menu over `button` (local coordinates of `window`), follows the mouse until the
  // user has chosen or cancelled and closes it again. 1, after the selection-changed callback,
  // when another item was chosen; 0 otherwise, and at once for an empty list.
  unsigned char OpenMouseDownPopupWin(WindowRef window, Rect button, Point where,
                                      unsigned char unused);

  // The steps of an opening, public for the curious.
  // Follows the mouse at a point of the popup window; inside is 0 when it lies outside.
  void PopupSelect(Point localPoint, unsigned char& inside);
  // Keeps the window on the screen and chooses the items shown.
  void CalcPopupMenuInitialOutputPosit();
  // One item further up (or to the first with toTop); 0 when nothing moved.
  unsigned char ExecUpperOneMenuItemScroll(unsigned char toTop);
  unsigned char ExecUnderOneMenuItemScroll(unsigned char toBottom);
  void DrawPopupOffscreen();
  void PushPictureOnWindow();
  void PushPictureOnWindow(cSp_PopupItemObj* item);

  // What the last opening left (the window's bounds are global).
  WindowRef GetPopupWindow() const { return window_; }
  WindowRef GetParentWindow() const { return parent_; }
  void GetPopupWindowBounds(Rect& bounds) const { bounds = windowBounds_; }
  short GetItemHeight() const { return itemHeight_; }
  short GetListHeight() const;
  cSp_PopupItemObj* GetFirstVisibleItem() const { return firstVisible_; }
  cSp_PopupItemObj* GetLastVisibleItem() const { return lastVisible_; }
  cSp_PopupItemObj* GetTrackedItem() const { return tracked_; }
  short GetFirstItemTop() const { return firstItemTop_; }
  unsigned char IsUpArrowShown() const { return upArrow_; }
  unsigned char IsDownArrowShown() const { return downArrow_; }
  void GetTextBand(short& left, short& width) const;

 private:
  // List helpers.
  void InsertItem(short number, cSp_PopupItemObj* item);
  void InsertBeforeFirst(cSp_PopupItemObj* item);
  void InsertAfterItem(cSp_PopupItemObj* at, cSp_PopupItemObj* item);
  cSp_PopupItemObj* ItemWithNumber(short number) const;

  // Opening helpers.
  bool MeasureAndPlace(WindowRef window, const Rect& button);
  short WindowHeight() const { return short(content_.bottom - content_.top); }
  short WindowWidth() const { return short(content_.right - content_.left); }
  short ItemBandHeight(const cSp_PopupItemObj* item) const;
  cSp_PopupItemObj* AnchorItem() const { return selected_ != nullptr ? selected_ : first_; }
  bool OpenWindowAndOffscreen(WindowRef parent);
  // The tracking loop: 1 when the user chose (the tracked item decides), 0 when cancelled.
  bool TrackMouse();
  void CloseWindowAndOffscreen();
  bool ItemBandOnWindow(const cSp_PopupItemObj* item, short& top, short& bottom) const;
  void CopyToWindow(const Rect& area);
  void DrawFrame();
  void DrawArrows();
  void DrawItems();

  tPopupSelectionItemType selectionType_ = 0;
  UInt16 itemCount_ = 0;
  UInt16 normalCount_ = 0;
  UInt16 separatorCount_ = 0;
  cSp_PopupItemObj* first_ = nullptr;
  cSp_PopupItemObj* last_ = nullptr;
  cSp_PopupItemObj* selected_ = nullptr;
  tPositionType hPlacement_ = kSpPositionLeft;
  tPopupOutputAreaType outputAreaType_ = 1;
  unsigned char fixedWidthFlag_ = 0;
  short fixedWidth_ = 0;
  short minWidth_ = -1;
  short maxWidth_ = -1;
  short leftOffset_ = 0;
  short rightOffset_ = 0;
  short screenTopMargin_ = 10;
  short screenBottomMargin_ = 5;
  unsigned char fixedItemHeightFlag_ = 0;
  short itemHeight_ = 0;
  short itemMargin_ = 2;
  short separatorHeight_ = 5;
  short arrowZoneHeight_ = 12;
  tSpPopupChangeSelectedItemProcPtr changeProc_ = nullptr;
  unsigned long changeRefCon_ = 0;
  short textFont_ = 0;
  short textSize_ = 0;
  tPositionType itemAlignment_ = kSpPositionLeft;
  Rect windowBounds_ = {0, 0, 0, 0};
  WindowRef window_ = nullptr;
  Rect content_ = {0, 0, 0, 0};
  GWorldPtr offscreen_ = nullptr;
  short triangleWidth_ = 10;
  short triangleHeight_ = 6;
  RGBColor background_ = {0, 0, 0};
  RGBColor trackedBackground_ = {0, 0, 0};
  RGBColor separatorColour_ = {0, 0, 0};
  RGBColor itemColour_ = {0, 0, 0};
  RGBColor trackedColour_ = {0, 0, 0};
  RGBColor hiliteColour_ = {0, 0, 0};
  RGBColor scrollMarkColour_ = {0, 0, 0};
  WindowRef parent_ = nullptr;
  Rect anchor_ = {0, 0, 0, 0};
  unsigned char upArrow_ = 0;
  unsigned char downArrow_ = 0;
  short textLeft_ = 0;
  short textWidth_ = 0;
  short firstItemTop_ = 0;
  cSp_PopupItemObj* firstVisible_ = nullptr;
  cSp_PopupItemObj* lastVisible_ = nullptr;
  cSp_PopupItemObj* tracked_ = nullptr;
  unsigned char mouseOutside_ = 0;
  unsigned char inUpArrow_ = 0;
  unsigned char inDownArrow_ = 0;
  UInt32 lastScrollTick_ = 0;
};

// A new popup menu; null when memory runs out.
cSp_PopupObj* SpNewPopupMenu(tPopupSelectionItemType type);
