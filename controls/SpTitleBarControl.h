// The title bar: the framework-drawn header strip above a multi-column list.
//
// A bar is a row of items (titles, icons or buttons), one per column, each ending in a
// separator the user can drag to change the item's width. Items are numbered from 1 in their
// order; positions are in the bar's content coordinates (the first item starts at 0, each next
// one where the previous one ends, and the bar scrolls horizontally when its items are wider
// than it). An item can refuse to change width (width fixed), keep its end where it is when a
// neighbour's separator moves (end point fixed), and keep a minimum and a maximum width.
//
// The bar is a view and a hot-spot area of its window: a press on a button item presses it
// until the release, a press on a movable separator drags it (the neighbours give way by the
// rules above), and a release on the item pressed is a click or a double click. While the
// button is held the framework's hover tracking is off; over a movable separator a hover area
// of the bar can show a separator cursor.
//
// Failures beep once and leave one error-log record (source "SpTitleBarControl").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpAnimationCursor.h"
#include "SpGeneralStringObject.h"
#include "SpHotSpotArea.h"
#include "SpListLinks.h"
#include "SpMouseTraceObject.h"
#include "SpStdDrawingFunction.h"
#include "SpViewClass.h"

typedef UInt8 tTitleBarControlItemType;
enum : tTitleBarControlItemType {
  kTBC_StringItem = 0,
  kTBC_IconItem = 1,
  kTBC_ButtonItem = 2,
  kTBC_SmallButtonItem = 3,
};

// Where a point lies on an item.
typedef UInt8 tTitleBarControlItemPartCode;
enum : tTitleBarControlItemPartCode {
  kTBC_NoPart = 0,
  kTBC_ContentPart = 1,
  kTBC_StartSeparatorPart = 2,
  kTBC_EndSeparatorPart = 3,
};

// How a button item shows its content: its icon, or its title.
typedef UInt8 tButtonDrawingType;
enum : tButtonDrawingType {
  kTBC_IconButton = 1,
  kTBC_StringButton = 2,
};
// Kept for the client; the bar does not read it.
typedef UInt8 tButtonType;

// The cursor shown over a movable separator: a cursor resource id, 0 or less for the bar's own.
typedef short tTBC_MouseTraceCursorType;
enum : short { kTBC_SeparatorCursorID = 6140 };

typedef void (*tSpTBC_ItemProcPtr)(unsigned long refCon);
// The item whose end separator moved, by number.
typedef void (*tSpTBC_SeparatorProcPtr)(short itemNo, unsigned long refCon);

// One item of a bar (owned by it).
class cSp_TittleBarControlItem : public cSpListLinks<cSp_TittleBarControlItem> {
 public:
  cSp_TittleBarControlItem(tTitleBarControlItemType type, short width, short minimumWidth,
                           short height, Boolean widthFixed);
  // Disposes of the title.
  ~cSp_TittleBarControlItem();
  cSp_TittleBarControlItem(const cSp_TittleBarControlItem&) = delete;
  cSp_TittleBarControlItem& operator=(const cSp_TittleBarControlItem&) = delete;

  void StartUpInitialize();
  cSp_TittleBarControlItem* GetLastItem() { return GetLastObjectPtr(); }

  void ButtonDown() { buttonDown = 1; }
  void ButtonUp() { buttonDown = 0; }
  unsigned char IsButtonDown() const { return buttonDown; }
  unsigned char IsButton() const { return type == kTBC_ButtonItem || type == kTBC_SmallButtonItem; }
  void SeparatorDrawingOn() { separatorDrawn = 1; }
  void SeparatorDrawingOff() { separatorDrawn = 0; }

  // Drags this item's end to position (content coordinates), the next item giving way; the
  // last item never ends left of limit. position comes back where the end went. 1 when the
  // end moved.
  unsigned char MoveEndSeparator(short& position, short limit, Boolean keepWidth);
  // Moves this item's start to position, changing its width (or, width fixed or keepWidth,
  // moving the whole item and passing the move on). 1 when position had to be corrected; it
  // comes back as the new start.
  unsigned char MoveStartSeparator(short& position, Boolean keepWidth);
  // The room to grow (-1: no maximum) and to shrink.
  void GetPossibleModifyWidth(short& grow, short& shrink) const;
  // Grows (direction 1) or shrinks the width by amount within its room: 1, or 0 with the room
  // used written back into amount when the room was smaller.
  unsigned char ResetWidth(tDirectionType direction, short& amount);
  // The item starts where the previous one ends (0 for the first); with allFollowing every
  // later item too.
  void ResetPosition(Boolean allFollowing);
  // Adds the widths of this item and the ones after it, up to the item numbered index
  // (negative: to the last).
  void GetTotalWidth(short& total, short index) const;
  // The part of this item under h (content coordinates).
  void GetPartCode(short h, tTitleBarControlItemPartCode& part) const;
  // Numbers this item `first` and, with allFollowing, the later ones on from it.
  void SetupReferenceNo(short first, Boolean allFollowing);
  // Whether dragging at this part would move a separator.
  unsigned char IsMoveingSeparator(tTitleBarControlItemPartCode part) const;

  // Drawing, in the bar's content coordinates; `area` is the item's rectangle.
  void DrawStringItem(const Rect& area) const;
  void DrawIconItem(const Rect& area) const;
  void DrawButtonItem(const Rect& area) const;
  void DrawSeparator(const Rect& area) const;

  // The item's text, empty when it has none.
  const char* TitleText(char* buffer, SInt32 size) const;

  SInt32 referenceNo = 0;
  tTitleBarControlItemType type = kTBC_StringItem;
  short width = 0;  // separator included
  short height = 0;
  short maximumWidth = -1;  // -1: none
  short minimumWidth = -1;  // -1: none
  short start = 0;
  short end = 0;
  short contentOffsetLeft = 0;  // margins of the content inside the item
  short contentOffsetTop = 0;
  short contentOffsetRight = 0;
  short contentOffsetBottom = 0;
  short contentWidth = -1;
  short contentHeight = -1;
  tObjectLayoutType contentLayoutType = kSpLayoutStretch;
  tPositionType contentPositionType = kSpPositionCenter;
  sSO_StringObjectBase* title = nullptr;
  short fontNo = 0;
  short textSize = 0;
  RGBColor textColour = {0, 0, 0};
  short iconId = 0;
  short iconAlignment = 5;
  short iconTransform = 0;
  tObjectLayoutType iconLayoutType = kSpLayoutStretch;
  tPositionType iconPositionH = kSpPositionCenter;
  tPositionType iconPositionV = kSpPositionCenter;
  short iconOffsetLeft = 0;
  short iconOffsetTop = 0;
  short iconOffsetRight = 0;
  short iconOffsetBottom = 0;
  short iconWidth = -1;
  short iconHeight = -1;
  tButtonDrawingType buttonDrawingType = kTBC_StringButton;
  tButtonType buttonType = 3;
  unsigned char buttonDown = 0;
  RGBColor upFaceColour = {204 * 257, 204 * 257, 204 * 257};
  RGBColor downFaceColour = {136 * 257, 136 * 257, 136 * 257};
  RGBColor frameColour = {85 * 257, 85 * 257, 85 * 257};
  unsigned char widthFixed = 0;
  unsigned char endPointFixed = 0;
  unsigned char separatorDrawn = 0;
  short separatorWidth = 2;  // the grab zone at each edge
  short separatorTopMargin = 0;
  short separatorBottomMargin = 0;
  RGBColor separatorColour = {};  // 55 % grey
  RGBColor separatorShadowColour = {65535, 65535, 65535};
  tSpTBC_ItemProcPtr clickProc = nullptr;
  tSpTBC_ItemProcPtr dblClickProc = nullptr;
  tSpTBC_ItemProcPtr buttonDownProc = nullptr;
  tSpTBC_ItemProcPtr buttonUpProc = nullptr;
  unsigned long clickRefCon = 0;
  unsigned long dblClickRefCon = 0;
  unsigned long buttonDownRefCon = 0;
  unsigned long buttonUpRefCon = 0;
};

class cSp_TittleBarControl : public cSp_View,
                             public cSp_HotSpotArea,
                             public cSpListLinks<cSp_TittleBarControl> {
 public:
  // A bar on the window at area (in the container's content, drawing in its offscreen when
  // asked); its hot-spot area is what the window shows of it.
  cSp_TittleBarControl(WindowRef window, const Rect& area, cSp_View* container,
                       Boolean useContainerOffscreen);
  // Deletes every item, and the separator hover area.
  ~cSp_TittleBarControl() override;

  void StartUpInitialize();

  // ---- Items ----
  // A new item: position 0 first, a negative position or one not below the last item's
  // number last, else after the item with that number. The new item's number; -1 when it
  // cannot be made.
  short SetupItem(tTitleBarControlItemType type, short width, short minimumWidth,
                  Boolean widthFixed, short position);
  cSp_TittleBarControlItem* GetItem(short itemNo) const;
  cSp_TittleBarControlItem* GetFirstItem() const { return firstItem_; }
  short GetNumOfItem() const;
  short GetTotalWidth() const { return totalWidth_; }

  // ---- Layout ----
  // The bar takes the rectangle (with redraw and notify passed on) and its hot-spot and
  // hover areas follow.
  void ResizeTitleBar(const Rect& area, Boolean redraw, Boolean notify);
  void SetupTitleBarHeight(short height);
  // The width of the item (every item for a negative number); the items are laid out anew.
  void SetupItemWidth(short itemNo, short width);
  Boolean GetItemWidth(short itemNo, short& width) const;
  // The part of the item's rectangle the window shows; 0 when none or no such item.
  Boolean GetTitleItemViewableAreaOnWindow(short itemNo, Rect& out);

  // ---- Per item (a negative number: every item) ----
  void SetupItemMinimumWidth(short itemNo, short width);
  void SetupItemMuximumWidth(short itemNo, short width);
  void SetupSeparatorWidth(short width, short itemNo);
  void SeparatorDrawOn(short itemNo);
  void SeparatorDrawOff(short itemNo);
  void SetupSeparatorColor(const RGBColor* colour, short itemNo);
  void SetupSeparatorShadowColor(const RGBColor* colour, short itemNo);
  void WidthFixedMode(short itemNo);
  void WidthVariedMode(short itemNo);
  void EndPointFixMode(short itemNo);
  void EndPointVariedMode(short itemNo);
  // The margins in the order top, left, bottom, right; a negative one stays.
  void SetupContentAreaOffset(short top, short left, short bottom, short right, short itemNo);
  // A negative value stays.
  void SetupContentAreaSize(short width, short height, short itemNo);
  void SetupContentLayoutType(short itemNo, tObjectLayoutType type);
  void SetupContentAreaPositType(short itemNo, tPositionType type);
  // The item's text (a copy); its area is redrawn when the text changed.
  void SetupOutputString(short itemNo, const char* text);
  void ClearOutputString(short itemNo);
  // A negative size is ignored; 0 is the font's default size.
  void SetupTextSize(short itemNo, short size);
  // 0 or less: the system font; 1 the application font.
  void SetupFontNo(short itemNo, short fontNo);
  void SetupFontColor(short itemNo, const RGBColor* colour);
  void SetupIcon(short itemNo, short iconId);
  void SetupIconPositionTypeOnButton(short itemNo, tPositionType h, tPositionType v);
  void SetupIconLayoutTypeOnButton(short itemNo, tObjectLayoutType type);
  // The margins in the order top, left, bottom, right; a negative one stays.
  void SetupIconPositionOffsetOnButton(short itemNo, short top, short left, short bottom,
                                       short right);
  void SetupIconSizeOnButton(short itemNo, short width, short height);
  void SetupIconAlignmentType(short itemNo, short alignment);
  void SetupIconTransformType(short itemNo, short transform);
  void SetupButtonDrawingType(short itemNo, tButtonDrawingType type);
  void SetupButtonType(short itemNo, tButtonType type);
  void SetupItemClickProcedure(short itemNo, tSpTBC_ItemProcPtr proc, unsigned long refCon);
  void SetupItemDblClickProcedure(short itemNo, tSpTBC_ItemProcPtr proc, unsigned long refCon);
  void SetupItemButtonDownProcedure(short itemNo, tSpTBC_ItemProcPtr proc, unsigned long refCon);
  void SetupItemButtonUpProcedure(short itemNo, tSpTBC_ItemProcPtr proc, unsigned long refCon);
  // The face colour of a button item raised (up) or pressed (down); with redraw the bar is
  // redrawn at once when it changed.
  void SetupUpButtonContentColor(short itemNo, const RGBColor& colour, Boolean redraw);
  void SetupDownButtonContentColor(short itemNo, const RGBColor& colour, Boolean redraw);

  // ---- The bar ----
  void SeparatorFlexOn() { separatorMoveOn_ = 1; }
  void SeparatorFlexOff() { separatorMoveOn_ = 0; }
  void EnableSeparatorMove() { separatorMoveOn_ = 1; }
  void DisableSeparatorMove() { separatorMoveOn_ = 0; }
  unsigned char IsSeparatorMoveEnable() const { return separatorMoveOn_; }
  void EnableButtonDown() { buttonDownOn_ = 1; }
  void DisableButtonDown() { buttonDownOn_ = 0; }
  unsigned char IsButtonDownEnable() const { return buttonDownOn_; }
  void SetupPanelColor(const RGBColor* colour);
  void panel3DFrameOn(unsigned char kind);
  void panel3DFrameOff();
  void SetupSeparatorMoveingProcedure(tSpTBC_SeparatorProcPtr proc, unsigned long refCon);
  void SetupSeparatorMoveEndProcedure(tSpTBC_SeparatorProcPtr proc, unsigned long refCon);

  // The hover area over the bar that shows the cursor (0 or less: the bar's own) where a
  // separator can be dragged.
  void EnableSeparatorMouseTrace(tTBC_MouseTraceCursorType cursor);
  void DisableSeparatorMouseTrace(Boolean deleteTrace);
  unsigned char IsSeparatorMouseTraceOn() const { return traceOn_; }
  cMouseTraceObject* GetSeparatorMouseTrace() const { return trace_; }
  // 1 when a press at the window point would drag a separator.
  Boolean MouseTraceVerifyPositionProc(Point localPoint, short modifiers, short& areaCode);

  // Bars can be chained among themselves.
  cSp_TittleBarControl* GetNextPtr() const { return GetNextObjectPtr(); }
  cSp_TittleBarControl* GetLastItem() { return GetLastObjectPtr(); }

  // ---- View and hot-spot operations ----
  unsigned char UpdateProc() override;
  unsigned char InterruptDraw() override { return 0; }
  void AfterContainerMoveExecute(cSp_View*, short, short, short, short) override {}
  void AfterContainerResizeExecute(cSp_View*, short, short, short, short) override {}
  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaOutProc(short, Point) override { return 0; }
  unsigned char HotSpotMouseAreaInProc(short, Point) override { return 0; }
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

 private:
  // The window point in content coordinates; false when it lies outside what the window
  // shows of the bar.
  bool PanelPoint(Point localPoint, Point& content) const;
  // The first item with a part at h, and that part.
  cSp_TittleBarControlItem* ItemAt(short h, tTitleBarControlItemPartCode& part) const;
  // Numbers and lays the items out from the first, totals their widths and gives the view
  // that scroll width.
  void Relayout();
  // The item's rectangle in content coordinates.
  Rect ItemRect(const cSp_TittleBarControlItem* item) const;
  short BarHeight() const;
  short BarWidth() const;
  // Calls change on the item (every item for a negative number); marks for redraw the items
  // for which it answered true. True when any item was found.
  template <class Change>
  bool ChangeItems(short itemNo, Change change);
  // Calls apply on the item (every item for a negative number); nothing is marked.
  template <class Apply>
  void ForItems(short itemNo, Apply apply);
  void MarkItem(const cSp_TittleBarControlItem* item);
  void SetupFaceColour(short itemNo, RGBColor cSp_TittleBarControlItem::*face,
                       const RGBColor& colour, Boolean redraw);
  // The dragged separator follows h; redraw and the moving procedure when it moved.
  void DragSeparatorTo(short h);
  void ExecSeparatorProc(tSpTBC_SeparatorProcPtr proc, unsigned long refCon, short itemNo);

  unsigned char buttonDownOn_ = 0;
  unsigned char separatorMoveOn_ = 0;
  short totalWidth_ = 0;
  short dragLimit_ = -1;  // -1: the bar's width
  RGBColor panelColour_ = {65535, 65535, 65535};
  unsigned char frame3DOn_ = 0;
  unsigned char frameKind_ = 0;
  cSp_TittleBarControlItem* firstItem_ = nullptr;
  cSp_TittleBarControlItem* downItem_ = nullptr;
  tTitleBarControlItemPartCode downPart_ = kTBC_NoPart;
  short dragStart_ = 0;
  short lastDrag_ = 0;
  unsigned char traceOn_ = 0;
  cMouseTraceObject* trace_ = nullptr;
  tSpTBC_SeparatorProcPtr movingProc_ = nullptr;
  unsigned long movingRefCon_ = 0;
  tSpTBC_SeparatorProcPtr moveEndProc_ = nullptr;
  unsigned long moveEndRefCon_ = 0;
};

// The position check of the separator hover area: 0 for a null bar.
Boolean SpTBC_MouseTraceVerifyPositionProc(Point localPoint, short modifiers, unsigned long bar,
                                           short& areaCode);
