// The scroll bar that views share: its range and page follow the attached views, its arrows,
// pages and live thumb scroll them together, and the views reach it through the operations
// they are handed when the program starts.
#include <algorithm>
#include <new>

#include "OSUtils.h"
#include "SpErrorInfoSystem.h"
#include "SpOriginalControl.h"

namespace {

const char kSource[] = "SpOriginalControl";
const char kMsgNoView[] = "0 Item Occour !! (It's not normal. ";

const short kScrollBarProcID = 16;

short ClampShort(SInt32 value, SInt32 low, SInt32 high) {
  return short(std::clamp<SInt32>(value, low, std::max(low, high)));
}

}  // namespace

cScrollBarObj::cScrollBarObj(WindowRef window, tScrollBarType type, Rect& rect, short max,
                             short value, short arrowStep, Boolean visible)
    : cSp_OCnt_BasicWindowControlObj(window, rect, 0, max, value, visible, kScrollBarProcID) {
  StartUpInitialize();
  type_ = type == kSpHorizontalScrollBar ? kSpHorizontalScrollBar : kSpVerticalScrollBar;
  arrowStep_ = arrowStep;
  // Every call of the Control Manager's tracking comes back to this bar.
  actionProc_ = Sp_OCnt_ScrollBarEventProc;
  actionRefCon_ = reinterpret_cast<unsigned long>(this);
}

cScrollBarObj::~cScrollBarObj() = default;

void cScrollBarObj::StartUpInitialize() {
  type_ = kSpHorizontalScrollBar;
  views_.ClearAllListItem();
  arrowStep_ = 0;
  pageStep_ = 0;
  actionCB_ = nullptr;
  actionCBRefCon_ = 0;
  decisionCB_ = nullptr;
  decisionCBRefCon_ = 0;
}

// ---- The attached views ---------------------------------------------------------------------

unsigned char cScrollBarObj::IsAttachedView(const cSp_View* view) const {
  return (view != nullptr &&
          views_.CheckTargetValueExist(reinterpret_cast<unsigned long>(view), nullptr) != 0)
             ? 1
             : 0;
}

cSp_View* cScrollBarObj::GetAttachedView(SInt32 n) const {
  unsigned long value = 0;
  return views_.GetValue(n, value) != 0 ? reinterpret_cast<cSp_View*>(value) : nullptr;
}

short cScrollBarObj::ScrollValueOf(const cSp_View* view) const {
  short h = 0, v = 0;
  view->GetScrollValue(h, v);
  return type_ == kSpHorizontalScrollBar ? h : v;
}

void cScrollBarObj::SizesOf(const cSp_View* view, short& visible, short& content) const {
  Rect area;
  view->GetDrawingAreaOnWindow(&area);
  short width = 0, height = 0;
  view->GetViewScrollArea(width, height);
  const bool across = type_ == kSpHorizontalScrollBar;
  visible = short(across ? area.right - area.left : area.bottom - area.top);
  content = across ? width : height;
}

void cScrollBarObj::SetViewValue(cSp_View* view, short value) {
  short h = type_ == kSpHorizontalScrollBar ? value : -1;
  short v = type_ == kSpHorizontalScrollBar ? -1 : value;
  // The bar is told nothing back: it already shows the value.
  view->SetScrollValue(h, v, 1, 0, 1, 1);
}

void cScrollBarObj::AttachView(cSp_View* view) {
  if (view == nullptr || IsAttachedView(view) != 0) return;
  const bool first = views_.GetNumberOfItem() == 0;
  views_.SetValue(-1, reinterpret_cast<unsigned long>(view));
  if (!first) {
    SetViewValue(view, GetCurrnetValue());
    ModifyViewScrollBarData();
    return;
  }
  short visible = 0, content = 0;
  SizesOf(view, visible, content);
  const short max = content > visible ? short(content - visible) : 0;
  SetupMaxValue(max);
  pageStep_ = visible;
  // The bar starts where its view stands, so that both agree from the first click.
  SetupCurrnetValue(ClampShort(ScrollValueOf(view), 0, max), 1);
}

void cScrollBarObj::UnAttachView(cSp_View* view) {
  SInt32 position = 0;
  if (view == nullptr ||
      views_.CheckTargetValueExist(reinterpret_cast<unsigned long>(view), &position) == 0) {
    return;
  }
  views_.DeleteValue(position);
  ModifyViewScrollBarData();
}

void cScrollBarObj::NortificationViewModify(cSp_View* view) {
  if (IsAttachedView(view) != 0) ModifyViewScrollBarData();
}

void cScrollBarObj::ModifyViewScrollBarData() {
  const SInt32 count = views_.GetNumberOfItem();
  if (count == 0) {
    SetupCurrnetValue(0, 1);
    SetupMaxValue(0);
    SpReportFailure(kSource, "cScrollBarObj::ModifyViewScrollBarData", 1, kMsgNoView);
    return;
  }
  bool any = false;
  short maximum = 0, page = -1;
  for (SInt32 i = 1; i <= count; ++i) {
    const cSp_View* view = GetAttachedView(i);
    if (view == nullptr) continue;
    short visible = 0, content = 0;
    SizesOf(view, visible, content);
    const short overflow = content >= visible ? short(content - visible) : 0;
    maximum = any ? std::min(maximum, overflow) : overflow;
    if (visible >= 0) page = page < 0 ? visible : std::min(page, visible);
    any = true;
  }
  if (!any) {
    SetupCurrnetValue(0, 1);
    SetupMaxValue(0);
    return;
  }
  if (GetCurrnetValue() > maximum) {
    SetupCurrnetValue(maximum, 1);
    for (SInt32 i = 1; i <= views_.GetNumberOfItem(); ++i) {
      if (cSp_View* view = GetAttachedView(i)) SetViewValue(view, maximum);
    }
  }
  if (GetMaxValue() != maximum) SetupMaxValue(maximum);
  pageStep_ = page > 0 ? page : 0;
}

void cScrollBarObj::ExecuteScroll(short value, Boolean others, cSp_View* initiator) {
  // The control keeps its value inside its range; the bar keeps the same.
  value = ClampShort(value, GetMinValue(), GetMaxValue());
  SetupCurrnetValue(value, 1);
  if (others == 0) return;
  for (SInt32 i = 1; i <= views_.GetNumberOfItem(); ++i) {
    cSp_View* view = GetAttachedView(i);
    if (view != nullptr && view != initiator && ScrollValueOf(view) != value) {
      SetViewValue(view, value);
    }
  }
}

void cScrollBarObj::SetupScrollActionCBProcPtr(tSpScrollBarActionCBProcPtr proc,
                                               unsigned long refCon) {
  actionCB_ = proc;
  actionCBRefCon_ = refCon;
}

void cScrollBarObj::SetupActionProcPositionDecisionCBProcPtr(
    tSpScrollBarPositionDecisionProcPtr proc, unsigned long refCon) {
  decisionCB_ = proc;
  decisionCBRefCon_ = refCon;
}

// ---- Tracking -------------------------------------------------------------------------------

short cScrollBarObj::StepFor(short part, short step, unsigned long) const {
  short amount = step;
  if (decisionCB_ != nullptr && decisionCB_(decisionCBRefCon_, part, step, amount) != 0) {
    return std::max<short>(0, amount);
  }
  return std::max<short>(0, step);
}

void cScrollBarObj::ScrollBarProc(ControlRef control, short part, unsigned long refCon) {
  const SInt32 value = GetCurrnetValue();
  const SInt32 max = GetMaxValue();
  SInt32 next = value;
  bool thumb = false;
  switch (part) {
    case kControlUpButtonPart:
    case kControlPageUpPart: {
      const SInt32 amount =
          StepFor(part, part == kControlUpButtonPart ? arrowStep_ : pageStep_, refCon);
      next = amount >= value ? 0 : value - amount;
      break;
    }
    case kControlDownButtonPart:
    case kControlPageDownPart: {
      const SInt32 amount =
          StepFor(part, part == kControlDownButtonPart ? arrowStep_ : pageStep_, refCon);
      next = value + amount < max ? value + amount : max;
      break;
    }
    case kControlIndicatorPart:
      // The live thumb has moved the control already.
      next = GetControlValue(control);
      thumb = true;
      break;
    default:
      return;
  }
  if (next == value) return;
  SetupCurrnetValue(short(next), thumb ? 0 : 1);
  const bool page = part == kControlPageUpPart || part == kControlPageDownPart;
  for (SInt32 i = 1; i <= views_.GetNumberOfItem(); ++i) {
    cSp_View* view = GetAttachedView(i);
    if (view == nullptr) continue;
    if (page) {
      SetViewValue(view, short(next));
      continue;
    }
    // Arrows and the thumb move every view by the same step, wherever each stands.
    short dh = type_ == kSpHorizontalScrollBar ? short(next - value) : 0;
    short dv = type_ == kSpHorizontalScrollBar ? 0 : short(next - value);
    view->ScrollView(dh, dv, 1, 0, 1, 1);
  }
  if (actionCB_ != nullptr) actionCB_(control, part, actionCBRefCon_);
}

void Sp_OCnt_ScrollBarEventProc(ControlRef control, short part, unsigned long refCon) {
  if (refCon == 0) return;
  reinterpret_cast<cScrollBarObj*>(refCon)->ScrollBarProc(control, part, refCon);
}

void Sp_OCnt_UnusedScrollBarObject(cScrollBarObj* bar, cSp_View* view) {
  if (bar == nullptr) {
    SpReportFailure(kSource, "Sp_OCnt_UnusedScrollBarObject", 1, kSpMsgNullArgument);
    return;
  }
  if (view != nullptr) {
    SInt32 position = 0;
    if (bar->views_.CheckTargetValueExist(reinterpret_cast<unsigned long>(view), &position) == 0) {
      return;
    }
    bar->views_.DeleteValue(position);
  }
  // A bar nobody looks at any more goes, with its control.
  if (bar->GetNumOfAtachView() == 0) {
    delete bar;
  } else if (view != nullptr) {
    bar->ModifyViewScrollBarData();
  }
}

// ---- What the views are handed --------------------------------------------------------------

namespace {

cScrollBarObj* NewViewScrollBar(WindowRef window, tScrollBarType type, const Rect& rect,
                                short maximum, short value, short arrowStep,
                                unsigned char visible) {
  Rect area = rect;
  cScrollBarObj* bar =
      new (std::nothrow) cScrollBarObj(window, type, area, maximum, value, arrowStep, visible);
  if (bar == nullptr) {
    return SpReportFailure(kSource, "NewViewScrollBar", 2, kSpMsgMemory,
                           static_cast<cScrollBarObj*>(nullptr));
  }
  if (bar->GetControlHandle() == nullptr) {
    delete bar;
    return nullptr;
  }
  // A bar is clicked only through its window's list.
  Sp_OCnt_SetItemIntoItemList(window, bar);
  return bar;
}

void SetScrollBarVisible(cScrollBarObj* bar, unsigned char visible) {
  if (visible != 0) {
    bar->ControlVisible();
  } else {
    bar->ControlInvisible();
  }
}

}  // namespace

void Sp_OCnt_InstallScrollBarServices() {
  sSpScrollBarServices services = {};
  services.NewScrollBar = NewViewScrollBar;
  services.AttachView = [](cScrollBarObj* bar, cSp_View* view) { bar->AttachView(view); };
  services.ExecuteScroll = [](cScrollBarObj* bar, short value, unsigned char others,
                              cSp_View* initiator) {
    bar->ExecuteScroll(value, others, initiator);
  };
  services.NortificationViewModify = [](cScrollBarObj* bar, cSp_View* view) {
    bar->NortificationViewModify(view);
  };
  services.UnusedScrollBarObject = Sp_OCnt_UnusedScrollBarObject;
  services.SetScrollBarVisible = SetScrollBarVisible;
  Sp_SetupScrollBarServices(&services);
}
