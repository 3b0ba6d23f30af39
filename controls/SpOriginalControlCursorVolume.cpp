// The cursor volume control: a drag from the control's area turns into a value.
#include <cmath>
#include <new>

#include "Clock.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "SpOriginalControl.h"
#include "SpResourceManager.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpOriginalControl";

short Modifiers() {
  short modifiers = 0;
  Sp_GetModifiers(&modifiers, nullptr);
  return modifiers;
}

// How far the point lies outside [low, high] along one axis; 0 inside.
short Outside(short c, short low, short high) {
  if (c < low) return short(c - low);
  if (c > high) return short(c - high);
  return 0;
}

}  // namespace

cSp_OriginalCursorVolumeControl::cSp_OriginalCursorVolumeControl(WindowRef window, const Rect& area)
    : cSp_HotSpotArea(window, area) {
  StartUpInitialize();
}

cSp_OriginalCursorVolumeControl::~cSp_OriginalCursorVolumeControl() {
  // A control deleted while held gives the hover tracking back.
  if (mouseDownHotSpot_GlV == static_cast<cSp_HotSpotArea*>(this)) Sp_EnableMouseTrace(0);
  RemoveMoveInCursor();
  for (sCursorSlot& slot : slots_) ReleaseSlot(slot);
}

void cSp_OriginalCursorVolumeControl::StartUpInitialize() {
  moveInEnabled_ = 0;
  moveInArea_ = nullptr;
  deadZoneEnabled_ = insideDeadZone_ = 0;
  lastStepTick_ = 0;
  deadZone_ = Rect{0, 0, 0, 0};
  mouseDownPoint_ = Point{0, 0};
  verticalReady_ = horizontalReady_ = limitsSet_ = 0;
  minimumLong_ = maximumLong_ = startLong_ = currentLong_ = 0;
  minimumFloat_ = maximumFloat_ = startFloat_ = currentFloat_ = 0.0f;
  for (sCursorSlot& slot : slots_) slot = sCursorSlot();
  direction_ = kOCVC_NoDirection;
  wholeNumberReport = 1;
  steppingMode = kFromStartValue;
  rate = 1.0f;
  interval_ = 30;
}

// ---- The move-in cursor ---------------------------------------------------------------------

void cSp_OriginalCursorVolumeControl::SetMoveInMouseCursor(unsigned char colour, short cursorId) {
  RemoveMoveInCursor();
  Rect area;
  GetHotSpotArea(area);
  moveInArea_ =
      new (std::nothrow) cMouseTraceObject(GetHotSpotWindowPtr(), area, colour, cursorId, nullptr);
  if (moveInArea_ == nullptr) {
    SpReportFailure(kSource, "cSp_OriginalCursorVolumeControl::SetMoveInMouseCursor", 1,
                    kSpMsgMemory);
    return;
  }
  moveInEnabled_ = 1;
}

void cSp_OriginalCursorVolumeControl::RemoveMoveInCursor() {
  delete moveInArea_;
  moveInArea_ = nullptr;
  moveInEnabled_ = 0;
}

void cSp_OriginalCursorVolumeControl::EnableMoveInCursor() {
  if (moveInEnabled_ != 0 || moveInArea_ == nullptr) return;
  moveInEnabled_ = 1;
  moveInArea_->EnableMouseTrace();
}

void cSp_OriginalCursorVolumeControl::DisableMoveInCursor() {
  if (moveInEnabled_ == 0 || moveInArea_ == nullptr) return;
  moveInEnabled_ = 0;
  // The area resets the cursor when the mouse is in it.
  moveInArea_->DisableMouseTrace();
}

void cSp_OriginalCursorVolumeControl::SetupMoveInProc(SpMouseTracePointProcPtr proc,
                                                      unsigned long refCon) {
  if (moveInArea_ == nullptr) return;
  moveInArea_->mouseInPlaceTraceProc = proc;
  moveInArea_->mouseInPlaceTraceRefCon = refCon;
}

void cSp_OriginalCursorVolumeControl::SetupMoveOutProc(SpMouseTraceOutProcPtr proc,
                                                       unsigned long refCon) {
  if (moveInArea_ == nullptr) return;
  moveInArea_->mouseTraceOutProc = proc;
  moveInArea_->mouseTraceOutRefCon = refCon;
}

void cSp_OriginalCursorVolumeControl::RemoveMoveInProc() {
  SetupMoveInProc(nullptr, 0);
}

void cSp_OriginalCursorVolumeControl::RemoveMoveOutProc() {
  SetupMoveOutProc(nullptr, 0);
}

// ---- Settings -------------------------------------------------------------------------------

void cSp_OriginalCursorVolumeControl::OriginalCursorVolumeInitialAreaEnable(const Rect* zone) {
  if (zone != nullptr) {
    deadZone_ = *zone;
  } else if (deadZoneEnabled_ == 0) {
    GetHotSpotArea(deadZone_);
  }
  deadZoneEnabled_ = 1;
}

void cSp_OriginalCursorVolumeControl::SetOriginalCursorVolumeMaxMinValue(SInt32 minimum,
                                                                         SInt32 maximum) {
  if (minimum >= maximum) return;
  minimumLong_ = minimum;
  maximumLong_ = maximum;
  minimumFloat_ = float(minimum);
  maximumFloat_ = float(maximum);
  limitsSet_ = 1;
}

void cSp_OriginalCursorVolumeControl::SetOriginalCursorVolumeMaxMinValue(float minimum,
                                                                         float maximum) {
  if (!(minimum < maximum)) return;
  minimumFloat_ = minimum;
  maximumFloat_ = maximum;
  Sp_flot2long(minimum, &minimumLong_, 0);
  Sp_flot2long(maximum, &maximumLong_, 0);
  limitsSet_ = 1;
}

void cSp_OriginalCursorVolumeControl::SetOriginalCursorVolumeIntervalValue(UInt32 ticks) {
  SetupHotSpotTraceInterval(SInt32(ticks));
  interval_ = ticks;
}

void cSp_OriginalCursorVolumeControl::SetOriginalCursorVolumeStartValue(SInt32 value) {
  startLong_ = currentLong_ = value;
  startFloat_ = currentFloat_ = float(value);
}

void cSp_OriginalCursorVolumeControl::SetOriginalCursorVolumeStartValue(float value) {
  startFloat_ = currentFloat_ = value;
  Sp_flot2long(value, &startLong_, 0);
  currentLong_ = startLong_;
}

void cSp_OriginalCursorVolumeControl::ReleaseSlot(sCursorSlot& slot) {
  if (slot.colourCursor != nullptr) Sp_ResM_ReleaseCCursor(slot.id, slot.userRef);
  if (slot.cursor != nullptr) Sp_ResM_ReleaseCursor(slot.id, slot.userRef);
  slot = sCursorSlot();
}

void cSp_OriginalCursorVolumeControl::SetVolumeCursor(tOCVC_SetupCursorType type,
                                                      unsigned char colour, short cursorId) {
  if (cursorId < 1 || type < kOCVC_Up || type > kOCVC_Right) return;
  sCursorSlot& slot = slots_[type - 1];
  // The cursor the slot held before goes back first.
  ReleaseSlot(slot);
  slot.id = cursorId;
  slot.colour = colour;
  if (colour != 0) {
    Sp_ResM_GetCCursorHandle(cursorId, &slot.colourCursor, &slot.userRef);
  } else {
    Sp_ResM_GetCursorHandle(cursorId, &slot.cursor, &slot.userRef);
  }
  verticalReady_ = Holds(slots_[kOCVC_Up - 1]) && Holds(slots_[kOCVC_Down - 1]) ? 1 : 0;
  horizontalReady_ = Holds(slots_[kOCVC_Left - 1]) && Holds(slots_[kOCVC_Right - 1]) ? 1 : 0;
}

// ---- The drag -------------------------------------------------------------------------------

unsigned char cSp_OriginalCursorVolumeControl::HotSpotMouseDonwProc(short, Point localPoint) {
  Sp_DisableMouseTrace();
  mouseDownPoint_ = localPoint;
  currentLong_ = startLong_;
  currentFloat_ = startFloat_;
  direction_ = kOCVC_NoDirection;
  if (mouseDownProc != nullptr) mouseDownProc(Modifiers(), mouseDownRefCon);
  return 1;
}

tOCVC_SetupCursorType cSp_OriginalCursorVolumeControl::DirectionOf(short dh, short dv,
                                                                   short& offset) const {
  if (horizontalReady_ != 0 && verticalReady_ == 0) {
    offset = dh;
    return dh < 0 ? kOCVC_Left : kOCVC_Right;
  }
  if (verticalReady_ != 0 && horizontalReady_ == 0) {
    offset = short(-dv);
    return dv > 0 ? kOCVC_Down : kOCVC_Up;
  }
  // Both axes: the vertical directions take the sectors up to a slope of one half either
  // side of the vertical.
  const bool up = (dh == 0 && dv <= 0) || (dh > 0 && dv <= -dh / 2) || (dh < 0 && dv <= dh / 2);
  const bool down = (dh == 0 && dv > 0) || (dh > 0 && dv > dh / 2) || (dh < 0 && dv > -dh / 2);
  if (up || down) {
    offset = short(-dv);
    return up ? kOCVC_Up : kOCVC_Down;
  }
  offset = dh;
  return dh < 0 ? kOCVC_Left : kOCVC_Right;
}

void cSp_OriginalCursorVolumeControl::ShowCursorOf(tOCVC_SetupCursorType direction) const {
  if (direction == kOCVC_NoDirection) {
    if (moveInArea_ != nullptr) {
      Sp_MTM_ShowLoanedCursor(moveInArea_->GetTraceCCrsrHandle(),
                              moveInArea_->GetTraceCrsrHandle());
    }
    return;
  }
  const sCursorSlot& slot = slots_[direction - 1];
  Sp_MTM_ShowLoanedCursor(slot.colourCursor, slot.cursor);
}

void cSp_OriginalCursorVolumeControl::CallValueProc(tOCVC_SetupCursorType direction, float value,
                                                    short modifiers) {
  tOCVC_ValueProcPtr proc = nullptr;
  unsigned long refCon = 0;
  switch (direction) {
    case kOCVC_Up:
      proc = upProc, refCon = upRefCon;
      break;
    case kOCVC_Down:
      proc = downProc, refCon = downRefCon;
      break;
    case kOCVC_Left:
      proc = leftProc, refCon = leftRefCon;
      break;
    case kOCVC_Right:
      proc = rightProc, refCon = rightRefCon;
      break;
    default:
      return;
  }
  if (proc == nullptr) return;
  SInt32 whole = 0;
  Sp_flot2long(value, &whole, 0);
  proc(value, modifiers, refCon, whole);
}

unsigned char cSp_OriginalCursorVolumeControl::HotSpotMouseDownTraceProc(short, Point localPoint) {
  if (verticalReady_ == 0 && horizontalReady_ == 0) {
    Sp_EnableMouseTrace(0);
    return 0;
  }
  if (steppingMode == kStepEveryInterval) {
    const UInt32 now = TickCount();
    if (now - lastStepTick_ < interval_) return 1;
    lastStepTick_ = now;
  }
  const short modifiers = Modifiers();
  Rect area;
  GetHotSpotArea(area);
  const Point centre = {short((area.top + area.bottom) / 2), short((area.left + area.right) / 2)};

  tOCVC_SetupCursorType direction = direction_;
  bool inZone = false;
  if (deadZoneEnabled_ != 0) {
    inZone = PtInRect(localPoint, &deadZone_) != 0;
    if (!inZone && insideDeadZone_ != 0) {
      insideDeadZone_ = 0;
      if (deadZoneOutProc != nullptr) deadZoneOutProc(modifiers, deadZoneOutRefCon);
    } else if (inZone && insideDeadZone_ == 0) {
      if (deadZoneInProc != nullptr) deadZoneInProc(0.0f, modifiers, deadZoneInRefCon, 0);
      insideDeadZone_ = 1;
    }
    if (inZone && moveInEnabled_ != 0 && moveInArea_ != nullptr) direction = kOCVC_NoDirection;
  }

  short offset = 0;
  bool reports = false;
  if (!inZone) {
    short dh, dv;
    if (deadZoneEnabled_ != 0) {
      dh = Outside(localPoint.h, deadZone_.left, deadZone_.right);
      dv = Outside(localPoint.v, deadZone_.top, deadZone_.bottom);
    } else {
      dh = short(localPoint.h - centre.h);
      dv = short(localPoint.v - centre.v);
    }
    direction = DirectionOf(dh, dv, offset);
    reports = true;
  }
  if (direction != direction_) {
    ShowCursorOf(direction);
    direction_ = direction;
  }

  const float base = steppingMode == kStepEveryInterval ? currentFloat_ : startFloat_;
  float next = base + float(offset) * rate;
  if (limitsSet_ != 0) {
    if (next > maximumFloat_) next = maximumFloat_;
    if (next < minimumFloat_) next = minimumFloat_;
  }
  SInt32 whole = 0;
  Sp_flot2long(next, &whole, 0);
  const bool changed = wholeNumberReport != 0 ? whole != currentLong_ : next != currentFloat_;
  if (reports && changed) CallValueProc(direction, next, modifiers);
  currentFloat_ = next;
  currentLong_ = whole;
  return 1;
}

unsigned char cSp_OriginalCursorVolumeControl::HotSpotMouseUpProc(short, Point) {
  startFloat_ = currentFloat_;
  startLong_ = currentLong_;
  if (mouseUpProc != nullptr) {
    mouseUpProc(currentFloat_, Modifiers(), mouseUpRefCon, currentLong_);
  }
  Sp_EnableMouseTrace(1);
  return 1;
}

void cSp_OriginalCursorVolumeControl::HotSpotClickProc(short, Point) {
  if (clickProc != nullptr) clickProc(Modifiers(), clickRefCon);
}

unsigned char cSp_OriginalCursorVolumeControl::HotSpotDblClickProc(short, Point) {
  if (dblClickProc != nullptr) dblClickProc(Modifiers(), dblClickRefCon);
  return 1;
}
