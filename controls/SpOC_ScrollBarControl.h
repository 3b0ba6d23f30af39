// The framework's own scroll bar: a view with bevelled triangular arrows, a shaded track and a
// thumb, drawn by the framework instead of the Control Manager.
//
// The bar is a view and a hot-spot area of its window at once. It usually mirrors a target
// view: its total length is the target's content along the bar, its page the target's visible
// size, its value the target's scroll position; moving the bar scrolls the target. A press on
// an arrow steps by the arrow step, on the track before or after the thumb by a page; held,
// the step repeats once the repeat interval (in ticks) has passed, once per tracking step. The
// thumb follows the mouse. A bar whose page covers the whole length is inactive: it is drawn
// dimmed and takes no press.
//
// Parts are laid out in the bar's own coordinates (its top-left at (0, 0)); a bar taller than
// wide is vertical, with its first arrow at the top.
//
// Failures beep once and leave one error-log record (source "SpOC_ScrollBarControl").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpHotSpotArea.h"
#include "SpViewClass.h"

// The parts of a bar a point can hit.
typedef UInt8 tOrigScrollBarPartType;
enum : tOrigScrollBarPartType {
  kOSB_NoPart = 0,
  kOSB_FirstArrowPart = 1,   // up or left
  kOSB_PageBeforePart = 2,   // the track before the thumb
  kOSB_ThumbPart = 3,
  kOSB_PageAfterPart = 4,    // the track after the thumb
  kOSB_SecondArrowPart = 5,  // down or right
};

// Called with the bar's value while the user moves it (thumb set when the thumb is dragged)
// and, once at the release, when the press changed the value.
typedef void (*tSpOSB_ModifyValueProcPtr)(SInt32 value, short modifiers, unsigned long refCon,
                                          unsigned char thumb);

class cSp_OrigScrollBarControl : public cSp_View, public cSp_HotSpotArea {
 public:
  // A bar over `area` (the container's content coordinates) bound to `target`, whose lengths
  // and value it takes at once.
  cSp_OrigScrollBarControl(WindowRef window, const Rect& area, cSp_View* target,
                           cSp_View* container, unsigned char drawInContainerOffscreen);
  // A bar without a target, with its lengths and value given.
  cSp_OrigScrollBarControl(WindowRef window, const Rect& area, short total, short page,
                           short value, cSp_View* container,
                           unsigned char drawInContainerOffscreen);
  ~cSp_OrigScrollBarControl() override;

  void StartUpInitialize();

  // ---- The target ----
  // Binds the bar to the view (null is refused) and takes its lengths and value.
  void SetupTargetView(cSp_View* target);
  cSp_View* GetTargetView() const { return target_; }
  // Takes the target's lengths and value along the bar. Without force nothing happens when
  // they are the bar's already; with setup the parts are laid out anew, with redraw the bar is
  // marked. 1 when they were taken; 0 without a target or when nothing changed.
  unsigned char SetupScrollValueFromTargetView(unsigned char force, unsigned char setup,
                                               unsigned char unused, unsigned char redraw);
  // Scrolls the target to the bar's value; 1 when it scrolled.
  unsigned char ReflectToTargetView();

  // ---- Lengths and value ----
  // With setup the parts are laid out anew and the bar marked; with redrawNow it is drawn.
  void SetOrigScrollBarCntPageTotalLength(short total, unsigned char setup,
                                          unsigned char redrawNow);
  void SetOrigScrollBarCntPageOutputLength(short page, unsigned char setup,
                                           unsigned char redrawNow);
  // The value as it is given (not brought into range); the thumb follows.
  void SetOrigScrollBarScrollValue(short value, unsigned char redrawNow);
  short GetOrigScrollBarCntPageTotalLength() const { return total_; }
  short GetOrigScrollBarCntPageOutputLength() const { return page_; }
  short GetOrigScrollBarScrollValue() const { return value_; }
  void SetScrollAddValue(short step) { arrowStep_ = step; }
  void SetMouseDownProcIntervalTick(UInt32 ticks) { repeatInterval_ = ticks; }

  // ---- Client procedures ----
  void SetupScrollModifyValueProc(tSpOSB_ModifyValueProcPtr proc, unsigned long refCon);
  void SetupScrollModifyValueCmpleateProc(tSpOSB_ModifyValueProcPtr proc, unsigned long refCon);
  void ExecScrollModifyValueProc(short modifiers, unsigned char thumb);
  void ExecScrollModifyValueCmpleateProc(short modifiers, unsigned char thumb);

  // ---- Appearance (marked for redraw; drawn at once with redrawNow) ----
  void SetupSlitFrameColor(const RGBColor& colour, unsigned char redrawNow);
  // The bar's background behind the arrows and the track.
  void SetupBodyColor(const RGBColor& colour, unsigned char redrawNow);
  void SetupArrowColor(const RGBColor& colour, unsigned char redrawNow);
  void SetupSliderSlitColor(const RGBColor& colour, unsigned char redrawNow);
  void SetupSliderColor(const RGBColor& colour, unsigned char redrawNow);
  // Inactive: drawn dimmed, no press taken.
  void SetHiliteStatus(unsigned char inactive, unsigned char redrawNow);
  unsigned char IsInactive() const { return inactive_; }

  // ---- Place and output ----
  void DisableScrollOutput(unsigned char redraw);
  void EnableScrollOutput(unsigned char redraw);
  // A negative width or height keeps that side.
  void ResizeOriginalScrollBar(short width, short height, unsigned char redraw);
  void MoveOriginalScrollBar(short left, short top, unsigned char redraw);

  // ---- Steps: 1 when the value changed (the target then scrolled) ----
  unsigned char ExecScrollValue(unsigned char forward);
  unsigned char ExecPageScrollValue(unsigned char forward);

  // ---- Layout ----
  // Lays out the arrows and the track (with recompute) and the thumb for the value.
  void SetupAreaInfo(unsigned char unused, unsigned char recompute);
  // The part under a window-local point.
  tOrigScrollBarPartType GetPartsTypeByMousePosit(Point localPoint) const;
  unsigned char GetOrientation() const { return orientation_; }
  const Rect& GetFirstArrowRect() const { return firstArrow_; }
  const Rect& GetSecondArrowRect() const { return secondArrow_; }
  const Rect& GetTrackRect() const { return track_; }
  const Rect& GetThumbRect() const { return thumb_; }
  float GetTrackLength() const { return trackLength_; }
  float GetThumbLength() const { return thumbLength_; }
  float GetUnitsPerPixel() const { return unitsPerPixel_; }
  tOrigScrollBarPartType GetPressedPart() const { return pressedPart_; }
  unsigned char IsArrowPressed() const { return arrowPressed_; }

  // ---- View and hot-spot operations ----
  unsigned char UpdateProc() override;
  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short, Point) override {}
  unsigned char HotSpotDblClickProc(short, Point) override { return 0; }
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

 private:
  bool Vertical() const { return orientation_ == 2; }
  // The bar's own rectangle: (0, 0) to its size.
  Rect LocalArea() const;
  // Makes the two arrow regions when they are missing (a failure is reported).
  void MakeRegions();
  // The hot-spot area follows what the window shows of the bar.
  void FollowVisibleArea();
  // Stores the total or page length; the parts follow as for the two setters.
  void SetLength(short& field, short length, unsigned char setup, unsigned char redrawNow);
  // The value moved by step; 1 (and the target scrolled) when it changed.
  unsigned char StepBy(short step, unsigned char forward);
  // One step of the part pressed; 1 when the value changed.
  unsigned char StepPressedPart();
  // After a change of the value during a press: the thumb follows, the modify procedure is
  // told and both thumb places are drawn at once.
  void AfterValueChange(short modifiers, unsigned char thumb);
  // Marks rectangles of the bar (grown by one pixel) and, with now, redraws at once.
  void MarkLocal(const Rect& r, bool now);
  void MarkArrow(tOrigScrollBarPartType part, bool now);
  void ReleaseArrow();
  void StoreColour(RGBColor& field, const RGBColor& colour, const Rect* part, bool both,
                   unsigned char redrawNow);
  // Drawing of the arrows, the track and the thumb.
  void DrawArrow(const Rect& square, bool first, const RGBColor& base) const;
  void DrawTrack(const RGBColor& frame, const RGBColor& frameLight, const RGBColor& slit) const;
  void DrawThumb(const RGBColor& colour) const;
  // A line from (x1, y1) to (x2, y2) along and across the bar (across is h on a vertical bar).
  void Line(short across1, short along1, short across2, short along2) const;

  unsigned char orientation_ = 1;
  cSp_View* target_ = nullptr;
  unsigned char inactive_ = 0;
  short total_ = 0;
  short page_ = 0;
  short value_ = 0;
  UInt32 repeatInterval_ = 20;
  short arrowStep_ = 1;
  tSpOSB_ModifyValueProcPtr modifyProc_ = nullptr;
  unsigned long modifyRefCon_ = 0;
  tSpOSB_ModifyValueProcPtr completeProc_ = nullptr;
  unsigned long completeRefCon_ = 0;
  float trackLength_ = 0;
  float thumbLength_ = 0;
  float unitsPerPixel_ = 0;
  Rect firstArrow_{0, 0, 0, 0};
  Rect secondArrow_{0, 0, 0, 0};
  Rect track_{0, 0, 0, 0};
  Rect thumb_{0, 0, 0, 0};
  RgnHandle firstArrowRgn_ = nullptr;
  RgnHandle secondArrowRgn_ = nullptr;
  RGBColor slitFrameColour_{};
  RGBColor bodyColour_{};
  RGBColor arrowColour_{};
  RGBColor pressedArrowColour_{};
  RGBColor trackFrameColour_{};
  RGBColor trackColour_{};
  RGBColor thumbColour_{};
  unsigned char arrowPressed_ = 0;
  Point downPoint_{0, 0};
  Point lastPoint_{0, 0};
  short valueAtDown_ = 0;
  tOrigScrollBarPartType pressedPart_ = kOSB_NoPart;
  UInt32 downTick_ = 0;
};
