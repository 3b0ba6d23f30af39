// The framework-drawn slider: a whole-number value between a minimum and a maximum, shown as
// a knob on a rounded track (the slit) and set by pressing and dragging along it.
//
// The slider lies horizontally when its rectangle is at least as wide as it is high, else
// vertically. Direction 1 puts the minimum at the left or top end, -1 at the right or bottom
// end. A press on the knob's travel rectangle moves the knob under the mouse at once (there is
// no grab offset) and every change during the drag goes to the modify procedure; at the
// release the completion procedure hears the value when it differs from the value at the
// press. The slider is drawn into its own view offscreen and paints no background.
//
// A range of one value maps every press to the minimum, and so does a slider too short to
// have a track; a minimum above the maximum is refused.
//
// Failures beep once and leave one error-log record (source "SpSliderControl").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpHotSpotArea.h"
#include "SpViewClass.h"

// Which way the values grow: 1 to the right or downward, -1 to the left or upward.
typedef SInt8 tDirectionType;

// (value, modifiers, reference value).
typedef void (*tSpSliderValueProcPtr)(SInt32 value, short modifiers, unsigned long refCon);

class cSp_OrigSliderControl : public cSp_View, public cSp_HotSpotArea {
 public:
  enum : UInt8 { kHorizontal = 1, kVertical = 2 };

  cSp_OrigSliderControl(WindowRef window, const Rect& area, tDirectionType direction,
                        SInt32 minimum, SInt32 maximum, SInt32 value, cSp_View* container,
                        unsigned char drawInContainerOffscreen);
  ~cSp_OrigSliderControl() override;

  // Draws slit and knob; 0 when its working region cannot be made.
  unsigned char UpdateProc() override;

  // Stores the range (nothing is laid out or redrawn); a minimum above the maximum is refused.
  void SetOrigSliderCntMaxMinValue(SInt32 minimum, SInt32 maximum);
  // Nothing when the caller's variables already hold the range; otherwise writes it into them,
  // lays the slider out again with relayout, marks it and redraws at once with redraw.
  void GetOrgSliderCntMaxMinValue(SInt32& minimum, SInt32& maximum, unsigned char relayout,
                                  unsigned char redraw);
  // Stores a changed value as it is (not clamped) and moves the knob; with notify the modify
  // and completion procedures hear it (modifiers 0 for the completion).
  void SetOrigSliderCntValue(SInt32 value, unsigned char redraw, unsigned char notify);
  SInt32 GetOrigSliderCntValue() const { return value_; }

  void SetupSliderModifyValueProc(tSpSliderValueProcPtr proc, unsigned long refCon);
  // Calls the modify procedure with the value and the modifier keys held now.
  void ExecSliderModifyValueProc();
  void SetupSliderModifyValueCmpleateProc(tSpSliderValueProcPtr proc, unsigned long refCon);
  void ExecSliderModifyValueCmpleateProc(short modifiers);

  // A changed colour is stored and the slider marked; redraw draws it at once.
  void SetupBackgroundColor(const RGBColor& colour, unsigned char redraw);
  void SetupSlitFrameColor(const RGBColor& colour, unsigned char redraw);
  void SetupSlitHoleColor(const RGBColor& colour, unsigned char redraw);
  void SetupSliderFrameColor(const RGBColor& colour, unsigned char redraw);
  void SetupSliderContentColor(const RGBColor& colour, unsigned char redraw);

  void DisableSliderOutput(unsigned char redraw);
  void EnableSliderOutput(unsigned char redraw);

  // The slit and the knob's travel rectangle from the view's size, then the knob.
  void SetupAreaInfo(unsigned char force);
  // The knob from the value; with mark the old and new knob are marked for redraw.
  void SetupSliderAreaOnOffscreen(unsigned char force, unsigned char mark);
  // Sets the value the window point stands for; 1 when it changed.
  unsigned char ChangeValueByMousePosit(unsigned char force, Point windowPoint);

  UInt8 GetOrientation() const { return orientation_; }
  tDirectionType GetDirection() const { return direction_; }
  short GetKnobThickness() const { return knobThickness_; }
  unsigned char IsTracking() const { return tracking_; }
  // In the view's offscreen coordinates.
  void GetSlitRect(Rect& r) const { r = slitRect_; }
  void GetKnobRect(Rect& r) const { r = knobRect_; }
  void GetKnobTravelRect(Rect& r) const { r = travelRect_; }

  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short, Point) override {}
  unsigned char HotSpotDblClickProc(short, Point) override { return 0; }
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

 private:
  // The ends of the slit along the track.
  short TrackStart() const;
  short TrackEnd() const;
  // Marks the knob's place on the window.
  void MarkKnob();
  void Mark(unsigned char redraw);
  void ChangeColour(RGBColor& field, const RGBColor& colour, unsigned char redraw);
  // Traces the slit's rounded outline (between OpenRgn and CloseRgn).
  void TraceSlit(short radius) const;

  UInt8 orientation_ = kHorizontal;
  tDirectionType direction_ = 1;
  SInt32 minimum_ = 0;
  SInt32 maximum_ = 100;
  SInt32 value_ = 0;
  SInt32 valueAtPress_ = 0;
  Point lastMousePoint_{0, 0};
  unsigned char tracking_ = 0;
  tSpSliderValueProcPtr modifyProc_ = nullptr;
  unsigned long modifyRefCon_ = 0;
  tSpSliderValueProcPtr completionProc_ = nullptr;
  unsigned long completionRefCon_ = 0;
  short trackEndInset_ = 0;
  short slitThickness_ = 5;
  short slitCore_ = 2;
  short knobHalfLength_ = 3;
  short knobThickness_ = 14;
  Rect slitRect_{0, 0, 0, 0};
  Rect knobRect_{0, 0, 0, 0};
  Rect travelRect_{0, 0, 0, 0};
  RGBColor backgroundColour_{0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor slitFrameColour_{0, 0, 0};
  RGBColor slitHoleColour_{0, 0, 0};
  RGBColor sliderFrameColour_{0, 0, 0};
  RGBColor sliderContentColour_{0, 0, 0};
};
