// The counter: a number shown as text that reports clicks on it.
#include "SpOriginalControl.h"
#include "SpStdFunctionNumber.h"

cSp_OriginalCounterControl::cSp_OriginalCounterControl(WindowRef window, const Rect& area,
                                                       const RGBColor* colour, short textSize,
                                                       const RGBColor*, short)
    : cSp_StringView(window, area, colour, textSize, nullptr, 0), cSp_HotSpotArea(window, area) {
  StartUpInitialize();
}

cSp_OriginalCounterControl::~cSp_OriginalCounterControl() = default;

void cSp_OriginalCounterControl::StartUpInitialize() {
  valueKind_ = kLongValue;
  longValue_ = 0;
  floatValue_ = 0.0f;
  floatDigits = floatMinimumDecimals = 0;
  clickProc = dblClickProc = nullptr;
  clickRefCon = dblClickRefCon = 0;
}

void cSp_OriginalCounterControl::SetOriginalCounterValue(SInt32 value, unsigned char redraw) {
  valueKind_ = kLongValue;
  longValue_ = value;
  char text[kSpNumberTextSize];
  Sp_NumberToString(value, text);
  SetString(text, redraw);
}

void cSp_OriginalCounterControl::SetOriginalCounterValue(float value, unsigned char redraw) {
  valueKind_ = kFloatValue;
  floatValue_ = value;
  char text[kSpFloatTextSize];
  Sp_FloatToString2(value, text, floatDigits, floatMinimumDecimals);
  SetString(text, redraw);
}

void cSp_OriginalCounterControl::DisableOriginalCounter() {
  DisableViewOutput(0);
  DisableHotSpotArea();
}

void cSp_OriginalCounterControl::EnableOriginalCounter() {
  EnableViewOutput(0);
  EnableHotSpotArea();
}

void cSp_OriginalCounterControl::FollowViewArea() {
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  SetupHotSpotArea(onWindow);
}

void cSp_OriginalCounterControl::AfterContainerMoveExecute(cSp_View*, short, short, short, short) {
  FollowViewArea();
}

void cSp_OriginalCounterControl::AfterContainerResizeExecute(cSp_View* container, short newWidth,
                                                             short newHeight, short dWidth,
                                                             short dHeight) {
  cSp_StringView::AfterContainerResizeExecute(container, newWidth, newHeight, dWidth, dHeight);
  FollowViewArea();
}

void cSp_OriginalCounterControl::HotSpotClickProc(short modifiers, Point) {
  if (clickProc != nullptr) clickProc(modifiers, clickRefCon);
}

unsigned char cSp_OriginalCounterControl::HotSpotDblClickProc(short modifiers, Point) {
  if (dblClickProc != nullptr) dblClickProc(modifiers, dblClickRefCon);
  return 0;
}
