#include "SpOriginalControl.h"

#include <new>

#include "MacMemory.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "SpErrorInfoSystem.h"
#include "SpMainEventLoop.h"
#include "SpServiceHooks.h"

cSp_OCnt_WinBase* OriginalControlItemList_GlV = nullptr;

namespace {

const char kSource[] = "SpOriginalControl";

// The scroll bar, and the scroll bar that tracks its thumb live.
const short kScrollBarProcID = 16;
const short kLiveScrollBarProcID = 386;

const ControlPartCode kIndicatorPart = 129;

short Clamp(short value, short min, short max) {
  if (value < min) return min;
  if (value > max) return max;
  return value;
}

// The wrapper whose address the control's reference block holds; null for a control that no
// wrapper made.
cSp_OCnt_BasicWindowControlObj* WrapperOf(ControlRef control) {
  if (control == nullptr) return nullptr;
  Ptr block = reinterpret_cast<Ptr>(GetControlReference(control));
  if (block == nullptr) return nullptr;
  return *reinterpret_cast<cSp_OCnt_BasicWindowControlObj**>(block);
}

}  // namespace

// ---- cSp_OCnt_BasicWindowControlObj ---------------------------------------------------------

cSp_OCnt_BasicWindowControlObj::cSp_OCnt_BasicWindowControlObj(WindowRef window, Rect& rect,
                                                               short min, short max, short value,
                                                               Boolean visible, short procID) {
  StartUpInitialize();
  window_ = window;
  rect_ = rect;
  min_ = min;
  max_ = max;
  visible_ = visible ? 1 : 0;
  if (procID == kScrollBarProcID && SpGetAppealanceEnableFlag() != 0) {
    procID = kLiveScrollBarProcID;
  }
  value_ = Clamp(value, min, max);
  static const unsigned char kNoTitle[] = {0};
  control_ = NewControl(window, &rect_, kNoTitle, visible, value_, min_, max_, procID, 0);
  if (control_ == nullptr) return;
  // The control leads back to its wrapper through a block that holds the wrapper's address.
  referenceBlock_ = NewPtrClear(Size(sizeof(cSp_OCnt_BasicWindowControlObj*)));
  if (referenceBlock_ == nullptr) {
    SpReportFailure(kSource, "cSp_OCnt_BasicWindowControlObj::cSp_OCnt_BasicWindowControlObj", 1,
                    kSpMsgMemory);
    return;
  }
  *reinterpret_cast<cSp_OCnt_BasicWindowControlObj**>(referenceBlock_) = this;
  SetControlReference(control_, reinterpret_cast<SRefCon>(referenceBlock_));
}

cSp_OCnt_BasicWindowControlObj::~cSp_OCnt_BasicWindowControlObj() {
  // A wrapper that goes while still in its window's list would leave the list pointing at
  // freed memory: it takes itself out first.
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window_, false);
  if (base != nullptr) {
    for (cSp_OCnt_BasicWindowControlObj* i = base->GetBasicWinCntObjList(); i != nullptr;
         i = i->GetNextLinkItem()) {
      if (i == this) {
        base->UnlinkFrom_BasicWinCntObjList(this);
        break;
      }
    }
  }
  if (control_ != nullptr) {
    HideControl(control_);
    DisposeControl(control_);
    control_ = nullptr;
  }
  if (referenceBlock_ != nullptr) {
    DisposePtr(referenceBlock_);
    referenceBlock_ = nullptr;
  }
}

void cSp_OCnt_BasicWindowControlObj::StartUpInitialize() {
  window_ = nullptr;
  rect_ = {0, 0, 0, 0};
  enabled_ = 1;
  visible_ = 0;
  control_ = nullptr;
  min_ = max_ = value_ = 0;
  beforeTrackProc_ = nullptr;
  actionProc_ = nullptr;
  hitProc_ = nullptr;
  missProc_ = nullptr;
  beforeTrackRefCon_ = actionRefCon_ = hitRefCon_ = missRefCon_ = 0;
  referenceBlock_ = nullptr;
}

void cSp_OCnt_BasicWindowControlObj::ControlVisible() {
  if (visible_ != 0 || control_ == nullptr) return;
  ShowControl(control_);
  visible_ = 1;
}

void cSp_OCnt_BasicWindowControlObj::ControlInvisible() {
  if (visible_ == 0 || control_ == nullptr) return;
  HideControl(control_);
  visible_ = 0;
}

void cSp_OCnt_BasicWindowControlObj::ControlEnable() {
  if (enabled_ != 0 || control_ == nullptr) return;
  HiliteControl(control_, 0);
  enabled_ = 1;
}

void cSp_OCnt_BasicWindowControlObj::ControlDisable() {
  if (enabled_ == 0 || control_ == nullptr) return;
  HiliteControl(control_, kControlInactivePart);
  enabled_ = 0;
}

void cSp_OCnt_BasicWindowControlObj::GetControlObjSize(short* width, short* height) const {
  if (width != nullptr) *width = short(rect_.right - rect_.left);
  if (height != nullptr) *height = short(rect_.bottom - rect_.top);
}

unsigned char cSp_OCnt_BasicWindowControlObj::SetControlObjSize(short width, short height) {
  if (control_ == nullptr) return 0;
  if (rect_.right - rect_.left == width && rect_.bottom - rect_.top == height) return 0;
  rect_.right = SInt16(rect_.left + width);
  rect_.bottom = SInt16(rect_.top + height);
  SizeControl(control_, width, height);
  return 1;
}

unsigned char cSp_OCnt_BasicWindowControlObj::MoveControlObj(short left, short top) {
  if (control_ == nullptr) return 0;
  if (rect_.left == left && rect_.top == top) return 0;
  OffsetRect(&rect_, SInt16(left - rect_.left), SInt16(top - rect_.top));
  MoveControl(control_, left, top);
  return 1;
}

void cSp_OCnt_BasicWindowControlObj::SetupMaxValue(short value) {
  max_ = value;
  if (control_ != nullptr) SetControlMaximum(control_, value);
}

void cSp_OCnt_BasicWindowControlObj::SetupMinValue(short value) {
  min_ = value;
  if (control_ != nullptr) SetControlMinimum(control_, value);
}

void cSp_OCnt_BasicWindowControlObj::SetupCurrnetValue(short value, Boolean apply) {
  value_ = value;
  if (apply && control_ != nullptr) SetControlValue(control_, value);
}

void cSp_OCnt_BasicWindowControlObj::ExecBeforeTrackProc() {
  if (beforeTrackProc_ != nullptr) beforeTrackProc_(beforeTrackRefCon_);
}

void cSp_OCnt_BasicWindowControlObj::ExecActionProc(ControlRef control, short part) {
  if (actionProc_ != nullptr) actionProc_(control, part, actionRefCon_);
}

void cSp_OCnt_BasicWindowControlObj::ExecHitProc() {
  if (hitProc_ != nullptr) hitProc_(hitRefCon_);
}

void cSp_OCnt_BasicWindowControlObj::ExecMissProc() {
  if (missProc_ != nullptr) missProc_(missRefCon_);
}

// ---- cSp_OCnt_WinBase -----------------------------------------------------------------------

cSp_OCnt_WinBase::cSp_OCnt_WinBase(WindowRef window) : window_(window) {}

cSp_OCnt_WinBase::~cSp_OCnt_WinBase() {
  if (OriginalControlItemList_GlV == this) OriginalControlItemList_GlV = GetNextObjectPtr();
  UnlinkSelf();
}

void cSp_OCnt_WinBase::SetupInto_BasicWinCntObjList(cSp_OCnt_BasicWindowControlObj* item) {
  if (item == nullptr) return;
  for (cSp_OCnt_BasicWindowControlObj* i = first_; i != nullptr; i = i->GetNextLinkItem()) {
    if (i == item) return;
  }
  item->UnlinkSelf();
  if (first_ != nullptr) first_->InsertBefore(item);
  first_ = item;
}

unsigned char cSp_OCnt_WinBase::UnlinkFrom_BasicWinCntObjList(
    cSp_OCnt_BasicWindowControlObj* item) {
  for (cSp_OCnt_BasicWindowControlObj* i = first_; i != nullptr; i = i->GetNextLinkItem()) {
    if (i != item) continue;
    if (first_ == item) first_ = item->GetNextLinkItem();
    item->UnlinkSelf();
    return 1;
  }
  SysBeep(10);
  return 0;
}

cSp_OCnt_BasicWindowControlObj* cSp_OCnt_WinBase::GetBasicWinCntObject(Point localPoint) const {
  for (cSp_OCnt_BasicWindowControlObj* i = first_; i != nullptr; i = i->GetNextLinkItem()) {
    Rect r;
    i->GetContorlAreaRect(r);
    if (PtInRect(localPoint, &r)) return i;
  }
  return nullptr;
}

cSp_OCnt_BasicWindowControlObj* cSp_OCnt_WinBase::GetBasicWinCntObjectWithControlRef(
    ControlRef control) const {
  if (control == nullptr) return nullptr;
  for (cSp_OCnt_BasicWindowControlObj* i = first_; i != nullptr; i = i->GetNextLinkItem()) {
    if (i->GetControlHandle() == control) return i;
  }
  return nullptr;
}

// ---- Window bases ---------------------------------------------------------------------------

cSp_OCnt_WinBase* Sp_OCnt_GetWinBase(WindowRef window, Boolean create) {
  if (window == nullptr) return nullptr;
  for (cSp_OCnt_WinBase* b = OriginalControlItemList_GlV; b != nullptr; b = b->GetNextLinkItem()) {
    if (b->GetTargetWindow() == window) return b;
  }
  if (!create) return nullptr;
  cSp_OCnt_WinBase* base = new (std::nothrow) cSp_OCnt_WinBase(window);
  if (base == nullptr) {
    SpReportFailure(kSource, "Sp_OCnt_GetWinBase", 1, kSpMsgMemory);
    return nullptr;
  }
  // The newest base goes in front, the whole older list after it.
  base->LinkToNext(OriginalControlItemList_GlV);
  OriginalControlItemList_GlV = base;
  return base;
}

void Sp_OCnt_SetItemIntoItemList(WindowRef window, cSp_OCnt_BasicWindowControlObj* item) {
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window, true);
  if (base != nullptr) base->SetupInto_BasicWinCntObjList(item);
}

void Sp_OCnt_SetupBasicWinControlItemIntoTargetWinBase(WindowRef window,
                                                       cSp_OCnt_BasicWindowControlObj* item) {
  if (window == nullptr || item == nullptr) {
    SpReportFailure(kSource, "Sp_OCnt_SetupBasicWinControlItemIntoTargetWinBase", 1,
                    kSpMsgNullArgument);
    return;
  }
  Sp_OCnt_SetItemIntoItemList(window, item);
}

unsigned char Sp_OCnt_UnlinkFromItemList(WindowRef window, cSp_OCnt_BasicWindowControlObj* item) {
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window, false);
  if (base == nullptr) {
    // A window without a base holds no control.
    SysBeep(10);
    return 0;
  }
  return base->UnlinkFrom_BasicWinCntObjList(item);
}

// ---- Clicks ---------------------------------------------------------------------------------

unsigned char Sp_OCnt_BasicWinControlMouseDown(WindowRef window, Point localPoint) {
  if (window == nullptr) {
    return SpReportFailure(kSource, "Sp_OCnt_BasicWinControlMouseDown", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(1));
  }
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window, false);
  if (base == nullptr) return 0;
  ControlRef control = nullptr;
  const ControlPartCode part = FindControl(localPoint, window, &control);
  if (control == nullptr || part == kControlNoPart) return 0;
  // Only the wrapper of the control under the mouse takes the press: a toolbox control of the
  // window that no listed wrapper owns is left to whoever made it.
  cSp_OCnt_BasicWindowControlObj* item = base->GetBasicWinCntObjectWithControlRef(control);
  if (item == nullptr) return 0;
  if (part == kIndicatorPart && SpGetAppealanceEnableFlag() == 0) {
    TrackControl(control, localPoint, nullptr);
    return 1;
  }
  item->ExecBeforeTrackProc();
  ControlActionUPP action = NewControlActionUPP(Sp_OCnt_BasicWinContActionProc);
  const ControlPartCode released = TrackControl(control, localPoint, action);
  DisposeControlActionUPP(action);
  if (released == part) {
    item->ExecHitProc();
  } else {
    item->ExecMissProc();
  }
  return 1;
}

void Sp_OCnt_BasicWinContActionProc(ControlRef control, ControlPartCode part) {
  if (part == kControlNoPart) return;
  cSp_OCnt_BasicWindowControlObj* item = WrapperOf(control);
  if (item != nullptr) item->ExecActionProc(control, part);
}

void Sp_OCnt_InstallControlServices() {
  sSpControlServices services = {};
  services.Sp_OCnt_BasicWinControlMouseDown = Sp_OCnt_BasicWinControlMouseDown;
  Sp_SetupControlServices(&services);
  Sp_OCnt_InstallScrollBarServices();
}
