// The framework's popup menu button: a bevelled button that shows the title of its menu's
// selected item, with a pair of small triangles at its right end, and opens its popup menu
// over itself on a press.
//
// The button is a view, a hot-spot area and a popup menu at once: the items, the selection
// and the menu's settings are those of its cSp_PopupObj base. It has three looks: up at rest,
// down while the press that opened the menu lasts, and hilite, which wins over the other two
// and keeps the menu shut. The hilite colours follow the up colours (each a percentage of the
// way to white) until the client sets one of them itself. A title too wide for the button is
// cut at its end and drawn from the left. Clients hear of a new selection through a callback
// and may rewrite the title shown for an item through another.
//
// Failures beep once and leave one error-log record (source "SpOriginalControl").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpHotSpotArea.h"
#include "SpPopupMenuObject.h"
#include "SpViewClass.h"

class cSp_PopupMenuButtonObj;

// A new selection: the button, the old and the new item number, the reference value.
typedef void (*tSpPopupMenuButtonChangeProcPtr)(cSp_PopupMenuButtonObj* button, short oldNo,
                                                short newNo, unsigned long refCon);
// The title shown for an item: non-zero when `out` (of `outSize` bytes) holds the title to
// show instead of `title`.
typedef unsigned char (*tSpPopupMenuButtonTitleProcPtr)(cSp_PopupMenuButtonObj* button,
                                                        short itemNo, unsigned long refCon,
                                                        char* title, char* out, SInt32 outSize);

enum : SInt32 { kSpPopupButtonPlaceholderSize = 256 };

// The colours of the three looks.
struct sSpPopupButtonColours {
  RGBColor frame;
  RGBColor upContent, upString, upTriangle, upSeparator, upSeparatorHighlight;
  RGBColor downContent, downString, downTriangle, downSeparator, downSeparatorHighlight;
  RGBColor hiliteFrame, hiliteContent, hiliteString, hiliteTriangle, hiliteSeparator;
};

class cSp_PopupMenuButtonObj : public cSp_View, public cSp_HotSpotArea, public cSp_PopupObj {
 public:
  // A button over `area` (the container's content coordinates). Its menu is at least as wide
  // as the button less its triangle area, and opens with its left edge at the button's.
  cSp_PopupMenuButtonObj(WindowRef window, const Rect& area, tPopupSelectionItemType type,
                         unsigned char mini, cSp_View* container,
                         unsigned char drawInContainerOffscreen);
  ~cSp_PopupMenuButtonObj() override;

  void StartUpInitialize();

  // Output and the hot spot on or off together.
  void EnablePopup(unsigned char redraw);
  void DisablePopup(unsigned char redraw);
  unsigned char IsPopupEnable() const { return enabled_; }
  void RedrawOutputPopupMenuButton(unsigned char redraw);
  void EnableHilitePopup(unsigned char redraw);
  void DisableHilitePopup(unsigned char redraw);
  unsigned char GetPopupHiliteEnableFlag() const { return hilite_; }
  unsigned char IsPressed() const { return pressed_; }

  // Select an item from code (0 or less clears the selection); the selection-change callback
  // is not called. The first redraws the visible area, the second the whole view.
  void SetupSelectPopupMenuButtonItem(short number, unsigned char redraw);
  void SetSelectionItem(short number, unsigned char redraw);

  // Appearance: a changed value is stored and the view marked; redraw shows it at once.
  void SetupMiniButtonFlag(unsigned char mini, unsigned char redraw);
  // The title's font, size and alignment are the menu's too. 0: the system font, the default
  // size.
  void SetupTitleStringFontNo(short font, unsigned char redraw);
  void SetupTitleStringTextSize(short size, unsigned char redraw);
  void SetupTitleStringPositionType(tPositionType position, unsigned char redraw);
  void SetupMenuButtonLeftOffset(short offset, unsigned char redraw);
  void SetupMenuButtonRightOffset(short offset, unsigned char redraw);
  // Shown while no item is selected; null or empty clears it. Cut to 255 bytes on a character
  // boundary. The view is marked (only while nothing is selected), not redrawn.
  void SetupNonSelectionOutputString(const char* text);
  const char* GetNonSelectionOutputString() const { return placeholder_; }
  void WipeOutPopupMenuButtonItem(unsigned char redraw);

  void SetupFrameColor(const RGBColor& colour, unsigned char redraw);
  void SetupUpButtonContentColor(const RGBColor& colour, unsigned char redraw);
  void SetupUpButtonStringColor(const RGBColor& colour, unsigned char redraw);
  void SetupUpButtonTriangleColor(const RGBColor& colour, unsigned char redraw);
  void SetupUpButtonSeparateLineColor(const RGBColor& colour, unsigned char redraw);
  void SetupDownButtonContentColor(const RGBColor& colour, unsigned char redraw);
  void SetupDownButtonStringColor(const RGBColor& colour, unsigned char redraw);
  void SetupDownButtonTriangleColor(const RGBColor& colour, unsigned char redraw);
  void SetupDownButtonSeparateLineColor(const RGBColor& colour, unsigned char redraw);
  // Setting a hilite colour stops the hilite colours following the up colours.
  void SetupHiliteFrameColor(const RGBColor& colour, unsigned char redraw);
  void SetupHiliteContentColor(const RGBColor& colour, unsigned char redraw);
  void SetupHiliteStringColor(const RGBColor& colour, unsigned char redraw);
  void SetupHiliteTraiangleColor(const RGBColor& colour, unsigned char redraw);
  void SetupHiliteSeparateColor(const RGBColor& colour, unsigned char redraw);
  // The hilite colours derived again from the up colours, each `percentage` of the way to
  // white.
  void SetupHiliteColorPercentage(float percentage, unsigned char redraw);
  void SetupHiliteColorWithPercentage(unsigned char redraw);
  const sSpPopupButtonColours& GetButtonColours() const { return colours_; }
  unsigned char IsCustomHiliteColour() const { return customHilite_; }

  void SetupChangeSelectionProc(tSpPopupMenuButtonChangeProcPtr proc, unsigned long refCon);
  void SetupModifyTitleStringProc(tSpPopupMenuButtonTitleProcPtr proc, unsigned long refCon);
  void ExecChangeSelectionMenuItem(short oldNo, short newNo);
  unsigned char ExecModifyTitleStringProc(short number, char* title, char* out, SInt32 size);

  // A negative value leaves that side; the hot spot follows the visible part.
  void ResizePopupMenuButton(short width, short height, unsigned char redraw);
  void MovePopupMenuButton(short left, short top, unsigned char redraw);

  // ---- The view and the hot spot ----
  unsigned char UpdateProc() override;
  void AfterContainerMoveExecute(cSp_View* container, short newLeft, short newTop, short dh,
                                 short dv) override;
  void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                   short dWidth, short dHeight) override;
  // Opens the menu (not while hilited) and returns only when it has closed.
  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;

 private:
  void Mark() { SetupModifyDrawingRectAndFlag(nullptr, 1); }
  void MarkAndShowVisible(unsigned char redraw);
  void MarkIfHilited(unsigned char redraw);
  void DeriveHiliteColours();
  // Stores an up colour; while the hilite colours are derived, its hilite colour follows.
  void SetUpColour(RGBColor& up, const RGBColor& colour, unsigned char redraw);
  void SetPlainColour(RGBColor& slot, const RGBColor& colour, unsigned char redraw);
  void SetHiliteColour(RGBColor& slot, const RGBColor& colour, unsigned char redraw);
  void FollowVisibleArea();
  void ChangeArea(const Rect& area, unsigned char redraw);
  // The title to show: the selected item's name (as the client rewrites it) or the
  // placeholder.
  void TitleText(char* out, SInt32 size);
  void DrawTitle(const Rect& d);

  unsigned char enabled_ = 1;
  unsigned char pressed_ = 0;
  unsigned char separatorHighlight_ = 1;
  unsigned char hilite_ = 0;
  char placeholder_[kSpPopupButtonPlaceholderSize] = {};
  short titleFont_ = 0;
  short titleSize_ = 0;
  tPositionType titleAlignment_ = kSpPositionLeft;
  short leftOffset_ = 3;
  short rightOffset_ = 2;
  unsigned char mini_ = 0;
  sSpPopupButtonColours colours_ = {};
  float hilitePercentage_ = 0.5f;
  unsigned char customHilite_ = 0;
  tSpPopupMenuButtonChangeProcPtr changeProc_ = nullptr;
  unsigned long changeRefCon_ = 0;
  tSpPopupMenuButtonTitleProcPtr titleProc_ = nullptr;
  unsigned long titleRefCon_ = 0;
};
