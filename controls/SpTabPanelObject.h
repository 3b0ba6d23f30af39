// The tabbed panel: a strip of tabs above a panel body whose content area follows the selected
// tab.
//
// sSp_OTPC_TabFormat carries everything a tab and the body under it are drawn with: colours,
// title font and size, the tab's measures, and the body's frame, colour and content insets.
// A cSp_OrgTabPanelControlItem is one tab: its title, its own copy of a format, and the
// rectangles it lays itself out in (side by side with the tab before it: tabs abut, with no
// gap and no overlap).
//
// A cSp_OrgTabSelectorObj is the strip: a drawing view and a hot-spot area that owns its tabs
// and a default format it copies into them. A press and a release on the same tab select it;
// the selection procedure hears of the change. Its setters change the default format and
// every tab, or one tab by its number (from 1, left to right): number 0 reaches every tab that
// does not keep an individual format, a negative number every tab.
//
// A cSp_OrgTabPanelControl is the whole control: it embeds a selector, lays out strip and body,
// draws the body and the content area from the selected tab's format (the tab's own when it
// is individual, else the default), and passes the selection change on to its client.
//
// Failures beep once and leave one error-log record (source "SpTabPanelObject").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpDrawingView.h"
#include "SpGeneralStringObject.h"
#include "SpHotSpotArea.h"
#include "SpListLinks.h"
#include "SpPositionType.h"
#include "SpStdDrawingFunction.h"

// How a tab and the panel body are drawn. Copied whole between the selector and its tabs.
struct sSp_OTPC_TabFormat {
  SInt16 fontNo = 0;
  SInt16 textSize = 0;  // 0: the font's default size
  tPositionType titlePosition = kSpPositionCenter;
  SInt16 tabHeight = 0;  // of every tab and of the strip
  SInt16 iconLeftOffset = 0;
  SInt16 stringLeftOffset = 0;   // between the icon slot and the title
  SInt16 stringRightOffset = 0;  // between the title and the tab's right edge
  RGBColor tabFrameColor{0, 0, 0};
  RGBColor selectedTabColor{0, 0, 0};
  RGBColor shadowTabColor{0, 0, 0};  // the fill of every tab but the selected one
  RGBColor selectedTabStringColor{0, 0, 0};
  RGBColor shadowTabStringColor{0, 0, 0};
  // Set on a tab whose format is its own: the body follows it while it is selected, and
  // setters for "every tab but the individual ones" pass it by.
  UInt8 individualSetup = 0;
  RGBColor bodyFrameColor{0, 0, 0};
  RGBColor bodyColor{0, 0, 0};  // also the source of the highlight and shade lines
  UInt8 contentFrameDraw = 0;
  t3DRectDrowType contentFrameType = t3DRectDrowType(0);
  // The content area's insets from the body's edges.
  SInt16 contentLeftOffset = 0;
  SInt16 contentRightOffset = 0;
  SInt16 contentTopOffset = 0;
  SInt16 contentBottomOffset = 0;
  RGBColor contentColor{0, 0, 0};
};

// The start format: system font at its default size, centred titles, tabs 16 high with 10
// pixels either side of the title, a black frame, a white selected tab, 80 % grey others,
// black and 20 % grey titles, a black body frame. Everything else is zero (not individual, a
// black body and content, no content frame, no insets). Null does nothing.
void SpTPO_InitializeTabFomatStructer(sSp_OTPC_TabFormat* format);

class cSp_OrgTabPanelControlItem : public cSpListLinks<cSp_OrgTabPanelControlItem> {
 public:
  cSp_OrgTabPanelControlItem();
  ~cSp_OrgTabPanelControlItem();
  cSp_OrgTabPanelControlItem(const cSp_OrgTabPanelControlItem&) = delete;
  cSp_OrgTabPanelControlItem& operator=(const cSp_OrgTabPanelControlItem&) = delete;

  void StartUpInitialize();

  // Copies the zero-terminated text in as the title (null: nothing).
  void SetupTitleText(const char* text);
  void GetTabDrawingFormat(sSp_OTPC_TabFormat& format) const { format = format_; }
  // Copies a format in (null: the format stays); with reset the tab is laid out again.
  void SetupTabDrawingFormat(const sSp_OTPC_TabFormat* format, unsigned char reset);
  unsigned char IsEnableIndividualSetupFlag() const { return format_.individualSetup; }
  void SetupIndividualSetupFlag(unsigned char flag) { format_.individualSetup = flag; }

  // The reference number becomes the previous tab's number + 1 (1 for the first); with
  // following, every tab after it is numbered again too.
  void SetupItemRefNum(unsigned char following);
  short GetItemReferenceNo() const { return refNum_; }

  // Lays the tab out in the strip's content coordinates, right after the previous tab, as
  // wide as its title with the offsets either side (the title measured in the current port
  // with the format's font and size, which the port keeps).
  void ResetAreaSize();
  void GetAreaRect(Rect& r) const { r = area_; }
  void GetIconAreaRect(Rect& r) const { r = iconArea_; }
  void GetStringAreaRect(Rect& r) const { r = stringArea_; }

  // Draws the tab into the current port: a rounded outline filled in the selected or shadow
  // colour; a tab that is not selected has the body's base line under it.
  void DrawTabItem(unsigned char selected);

 private:
  // The title as drawn and measured: at most 254 bytes of it.
  void GetTitle(char (&buffer)[256]) const;

  short refNum_ = 0;
  short iconHeight_ = 0;
  short iconWidth_ = 0;
  short iconOffset_ = 0;
  Rect area_{0, 0, 0, 0};
  Rect iconArea_{0, 0, 0, 0};
  Rect stringArea_{0, 0, 0, 0};
  sSp_OTPC_TabFormat format_;
  sSO_StringObjectBase* title_ = nullptr;
};

typedef void (*tSpTPO_TabSelectionProcPtr)(short oldTabNo, short newTabNo, unsigned long refCon);

class cSp_OrgTabSelectorObj : public cSp_DrawingView, public cSp_HotSpotArea {
 public:
  cSp_OrgTabSelectorObj(WindowRef window, const Rect& area, cSp_View* container,
                        unsigned char drawInContainerOffscreen);
  // Deletes every tab.
  ~cSp_OrgTabSelectorObj() override;

  // Appends a tab titled `title` with the default format; the first tab added is selected.
  void SetupPanelItem(const char* title, unsigned char redraw);
  void DisableTabSelector(unsigned char redraw);
  void EnableTabSelector(unsigned char redraw);

  short GetTabAreaHeight() const { return default_.tabHeight; }
  // The selected tab's format when it is individual, else the default format.
  void GetSelectedTabDrawingFormat(sSp_OTPC_TabFormat& format) const;
  // The same for the tab of that number: 0, and nothing written, when there is none.
  unsigned char GetTargetTabItemDrawingFormat(short tabNo, sSp_OTPC_TabFormat& format) const;
  cSp_OrgTabPanelControlItem* GetSelectedTab() const { return selected_; }
  cSp_OrgTabPanelControlItem* GetFirstTab() const { return first_; }
  // The tab of that number, or null.
  cSp_OrgTabPanelControlItem* GetTabItem(short tabNo) const;

  // Draws the strip in its content coordinates: the tabs, the body's base line right of the
  // last tab and its two end marks, the selected tab last.
  void DrawTabSelector();
  // Moves and sizes the strip; the hot-spot area follows what the window shows of it.
  void ResizeTabSelector(const Rect& area, unsigned char unused);
  // The tab under a window point (its number in tabNo, 0 when none): edges count as inside,
  // so a column two tabs share belongs to the left one.
  cSp_OrgTabPanelControlItem* WindowPositToTabItem(Point windowPoint, short& tabNo) const;
  void SetupTabSelectionProc(tSpTPO_TabSelectionProcPtr proc, unsigned long refCon);
  void ModifyScrollValue() {}

  // ---- The default format and every tab; a redraw flag then redraws at once ----
  void SetupTabHeight(short height, unsigned char redraw);
  void SetupIconLeftOffset(short offset, unsigned char redraw);
  void SetupSringLeftOffset(short offset, unsigned char redraw);
  void SetupStringRightOffset(short offset, unsigned char redraw);
  void SetupTabFrameColor(const RGBColor* colour, unsigned char redraw);

  // ---- By tab number: 1 when something changed; the view is not marked ----
  unsigned char SetupBodyFrameColor(short tabNo, const RGBColor* colour);
  unsigned char SetupBodyColor(short tabNo, const RGBColor* colour);
  unsigned char SetupContentAreaColor(short tabNo, const RGBColor* colour);
  unsigned char SetupContentAreaFrameDrawFlag(short tabNo, unsigned char draw);
  unsigned char SetupContentAreaFrameType(short tabNo, t3DRectDrowType type);
  // The inset of one side: position 1 left, 3 right, 4 top, 5 bottom (others change nothing).
  unsigned char SetupContentAreaFrameOffset(short tabNo, tPositionType position, short offset);

  // ---- By tab number: a change marks the strip, and redraws at once with redraw ----
  void SetupSelectedTabColor(short tabNo, const RGBColor* colour, unsigned char redraw);
  void SetupShadowTabColor(short tabNo, const RGBColor* colour, unsigned char redraw);
  void SetupSeletedTabStringColor(short tabNo, const RGBColor* colour, unsigned char redraw);
  // Number 0 reaches the individual tabs too.
  void SetupShadowTabStringColor(short tabNo, const RGBColor* colour, unsigned char redraw);
  // Number 0 reaches the individual tabs too.
  void SetupTabFontNo(short tabNo, short fontNo, unsigned char redraw);
  void SetupTabTextSize(short tabNo, short size, unsigned char redraw);

  // The individual flag of one tab (number above 0) or of every tab; nothing is redrawn.
  void SetupTabIndividualBodyColorFlag(short tabNo, unsigned char flag, unsigned char unused);

  // ---- The mouse: a press and a release on the same tab that is not selected select it ----
  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaOutProc(short, Point) override { return 0; }
  unsigned char HotSpotMouseAreaInProc(short, Point) override { return 0; }
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short, Point) override {}
  unsigned char HotSpotDblClickProc(short, Point) override { return 0; }
  unsigned char HotSpotMouseMoveProc(short, Point) override { return 1; }
  unsigned char HotSpotMouseDownTraceProc(short, Point) override { return 0; }

  // The tab under the last press on any tab selector; cleared by the release and when its
  // selector goes.
  static cSp_OrgTabPanelControlItem* _mouseDownItemPtr_GlV;

 private:
  // How a change for all tabs (number 0) treats the individual tabs.
  enum class tZeroRule { kSkipIndividual, kEveryTab };

  // Stores the value in the default format when it differs and copies the format into every
  // tab, each laid out again; true when it changed.
  template <class T>
  bool ChangeDefaultAndEveryTab(T sSp_OTPC_TabFormat::*field, const T& value);
  // Sets one field by tab number (see the header); `layout` lays a single changed tab out
  // again. True when something changed.
  template <class T>
  bool ChangeByTabNo(short tabNo, T sSp_OTPC_TabFormat::*field, const T& value, tZeroRule rule,
                     unsigned char layout);
  // The colour form: a null colour is refused.
  bool ChangeColourByTabNo(short tabNo, RGBColor sSp_OTPC_TabFormat::*field, const RGBColor* colour,
                           tZeroRule rule, unsigned char layout, const char* method);
  // The same for the setters that draw: a change marks the strip, and redraw draws it.
  void ChangeColourAndMark(short tabNo, RGBColor sSp_OTPC_TabFormat::*field, const RGBColor* colour,
                           tZeroRule rule, unsigned char redraw, const char* method);
  // Lays every tab out again from the first, so that they abut whatever changed in between.
  void LayOutEveryTab();
  // Marks the whole strip; with redraw the window's waiting views are drawn at once.
  void Mark(unsigned char redraw);
  // The hot-spot area becomes what the window shows of the strip.
  void FollowViewArea();

  sSp_OTPC_TabFormat default_;
  cSp_OrgTabPanelControlItem* first_ = nullptr;
  cSp_OrgTabPanelControlItem* last_ = nullptr;
  cSp_OrgTabPanelControlItem* selected_ = nullptr;
  tSpTPO_TabSelectionProcPtr selectionProc_ = nullptr;
  unsigned long selectionRefCon_ = 0;
};

// The strip's drawing procedure: DrawTabSelector of the selector refCon names (0: nothing).
void SpTPO_TabSelectorDrawingProc(unsigned long refCon, Rect* area);

typedef void (*tSpTPO_TabPanelSelectionProcPtr)(short oldTabNo, short newTabNo,
                                                unsigned long refCon, unsigned char flag);

class cSp_OrgTabPanelControl : public cSp_DrawingView {
 public:
  // A panel over `area` (the container's content coordinates): the strip on top, the body
  // below it painted white with a black frame.
  cSp_OrgTabPanelControl(WindowRef window, const Rect& area, cSp_View* container,
                         unsigned char drawInContainerOffscreen);
  ~cSp_OrgTabPanelControl() override;

  void SetupPanelItem(const char* title, unsigned char redraw) {
    selector_.SetupPanelItem(title, redraw);
  }
  void DisableTabPanelControl(unsigned char redraw);
  void EnableTabPanelControl(unsigned char redraw);
  // The client hears of every selection change: (old tab, new tab, refCon, 0).
  void SetupTabSelectionProc(tSpTPO_TabPanelSelectionProcPtr proc, unsigned long refCon);

  void GetTabColotrolTotalArea(Rect& r) const { r = totalArea_; }
  void GetTabSelectionArea(Rect& r) const { r = selectionArea_; }
  void GetContentsPanelArea(Rect& r) const { r = contentsPanelArea_; }
  // In the body's own coordinates (its top-left is (0, 0)).
  void GetContentsArea(Rect& r) const { r = contentsArea_; }
  cSp_OrgTabSelectorObj& GetTabSelector() { return selector_; }

  // Nothing when the area is the present one, unless forced.
  void ResizeTabControl(const Rect& area, unsigned char redraw, unsigned char force);
  void CalcurateTabControlArea(unsigned char redraw);
  void CalcurateContentAreaFromSelectedTab(unsigned char redraw);
  void DrawTabPanel();
  void CatchChangedSelectionTabCB(short oldTabNo, short newTabNo);

  // ---- The format setters, by tab number as the selector's ----
  void SetupBodyFrameColor(short tabNo, const RGBColor* colour, unsigned char redraw);
  void SetupBodyColor(short tabNo, const RGBColor* colour, unsigned char redraw);
  void SetupTabIndividualBodyColorFlag(short tabNo, unsigned char flag, unsigned char redraw);
  void SetupTabHeight(short height, unsigned char redraw);
  void SetupIconLeftOffset(short offset, unsigned char redraw) {
    selector_.SetupIconLeftOffset(offset, redraw);
  }
  void SetupSringLeftOffset(short offset, unsigned char redraw) {
    selector_.SetupSringLeftOffset(offset, redraw);
  }
  void SetupStringRightOffset(short offset, unsigned char redraw) {
    selector_.SetupStringRightOffset(offset, redraw);
  }
  void SetupTabFrameColor(const RGBColor* colour, unsigned char redraw) {
    selector_.SetupTabFrameColor(colour, redraw);
  }
  void SetupSelectedTabColor(short tabNo, const RGBColor* colour, unsigned char redraw) {
    selector_.SetupSelectedTabColor(tabNo, colour, redraw);
  }
  void SetupShadowTabColor(short tabNo, const RGBColor* colour, unsigned char redraw) {
    selector_.SetupShadowTabColor(tabNo, colour, redraw);
  }
  void SetupSeletedTabStringColor(short tabNo, const RGBColor* colour, unsigned char redraw) {
    selector_.SetupSeletedTabStringColor(tabNo, colour, redraw);
  }
  void SetupShadowTabStringColor(short tabNo, const RGBColor* colour, unsigned char redraw) {
    selector_.SetupShadowTabStringColor(tabNo, colour, redraw);
  }
  void SetupTabFontNo(short tabNo, short fontNo, unsigned char redraw) {
    selector_.SetupTabFontNo(tabNo, fontNo, redraw);
  }
  void SetupTabTextSize(short tabNo, short size, unsigned char redraw) {
    selector_.SetupTabTextSize(tabNo, size, redraw);
  }
  void SetupContentAreaFrameDrawFlag(short tabNo, unsigned char draw, unsigned char redraw);
  // With recalculate a change lays the content area out again at once; 1 when it changed.
  unsigned char SetupContentAreaFrameOffset(short tabNo, tPositionType position, short offset,
                                            unsigned char recalculate, unsigned char redraw);
  void SetupContentAreaFrameType(short tabNo, t3DRectDrowType type, unsigned char redraw);
  void SetupContentAreaColor(short tabNo, const RGBColor* colour, unsigned char redraw);

 private:
  // Marks the whole body; with redraw the window's waiting views are drawn at once.
  void Mark(unsigned char redraw);
  // Marks the content area (its frame included); redraws at once with redraw.
  void MarkContentArea(unsigned char redraw);

  Rect totalArea_{0, 0, 0, 0};
  Rect selectionArea_{0, 0, 0, 0};
  Rect contentsPanelArea_{0, 0, 0, 0};
  Rect contentsArea_{0, 0, 0, 0};
  tSpTPO_TabPanelSelectionProcPtr selectionProc_ = nullptr;
  unsigned long selectionRefCon_ = 0;
  cSp_OrgTabSelectorObj selector_;
};

// The body's drawing procedure: DrawTabPanel of the panel refCon names (0: nothing).
void SpTPO_TabPanelDrawingProc(unsigned long refCon, Rect* area);
// The selector's selection procedure: CatchChangedSelectionTabCB of the panel refCon names.
void SpOTPC_CatchChangedSelectionTabCB(short oldTabNo, short newTabNo, unsigned long refCon);
