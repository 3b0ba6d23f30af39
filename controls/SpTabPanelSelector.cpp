// The strip of tabs at the top of a tab panel.
#include <new>

#include "QDRegions.h"
#include "SpErrorInfoSystem.h"
#include "SpOC_Drawing.h"
#include "SpPortSaver.h"
#include "SpTabPanelObject.h"

cSp_OrgTabPanelControlItem* cSp_OrgTabSelectorObj::_mouseDownItemPtr_GlV = nullptr;

namespace {

const char kSource[] = "SpTabPanelObject";

template <class T>
bool Same(const T& a, const T& b) {
  return a == b;
}
bool Same(const RGBColor& a, const RGBColor& b) {
  return Sp_RGBcmp(&a, &b) != 0;
}

// The inset a content-area position names; null for any other position.
SInt16 sSp_OTPC_TabFormat::*ContentOffsetField(tPositionType position) {
  switch (position) {
    case kSpPositionLeft:
      return &sSp_OTPC_TabFormat::contentLeftOffset;
    case kSpPositionRight:
      return &sSp_OTPC_TabFormat::contentRightOffset;
    case kSpPositionTop:
      return &sSp_OTPC_TabFormat::contentTopOffset;
    case kSpPositionBottom:
      return &sSp_OTPC_TabFormat::contentBottomOffset;
    default:
      return nullptr;
  }
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSp_OrgTabSelectorObj::cSp_OrgTabSelectorObj(WindowRef window, const Rect& area,
                                             cSp_View* container,
                                             unsigned char drawInContainerOffscreen)
    : cSp_DrawingView(window, area, SpTPO_TabSelectorDrawingProc,
                      reinterpret_cast<unsigned long>(this), container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  SpTPO_InitializeTabFomatStructer(&default_);
  // The area is in the container's coordinates; the hot spot takes its place on the window.
  FollowViewArea();
}

cSp_OrgTabSelectorObj::~cSp_OrgTabSelectorObj() {
  // Nothing draws the strip once its tabs are going.
  ExecDrawingViewObjDeleteReady(1);
  ExecHotSpotObjDeleteReady();
  for (cSp_OrgTabPanelControlItem* tab = first_; tab != nullptr; tab = tab->GetNextObjectPtr()) {
    // A press recorded on one of these tabs must not outlive them.
    if (_mouseDownItemPtr_GlV == tab) _mouseDownItemPtr_GlV = nullptr;
  }
  SpDeleteList(first_);
  first_ = last_ = selected_ = nullptr;
}

void SpTPO_TabSelectorDrawingProc(unsigned long refCon, Rect*) {
  if (refCon == 0) return;
  reinterpret_cast<cSp_OrgTabSelectorObj*>(refCon)->DrawTabSelector();
}

void cSp_OrgTabSelectorObj::Mark(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrgTabSelectorObj::FollowViewArea() {
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0) visible = Rect{0, 0, 0, 0};
  SetupHotSpotArea(visible);
}

// ---- Tabs -----------------------------------------------------------------------------------

void cSp_OrgTabSelectorObj::SetupPanelItem(const char* title, unsigned char redraw) {
  auto* tab = new (std::nothrow) cSp_OrgTabPanelControlItem();
  if (tab == nullptr) return;
  tab->SetupTabDrawingFormat(&default_, 0);
  tab->SetupTitleText(title);
  SpAppendToList(first_, last_, tab);
  if (selected_ == nullptr) selected_ = tab;
  tab->SetupItemRefNum(0);
  tab->ResetAreaSize();
  Mark(redraw);
}

cSp_OrgTabPanelControlItem* cSp_OrgTabSelectorObj::GetTabItem(short tabNo) const {
  if (tabNo < 1) return nullptr;
  cSp_OrgTabPanelControlItem* tab = first_;
  for (short n = 1; tab != nullptr && n < tabNo; ++n) tab = tab->GetNextObjectPtr();
  return tab;
}

void cSp_OrgTabSelectorObj::LayOutEveryTab() {
  for (cSp_OrgTabPanelControlItem* tab = first_; tab != nullptr; tab = tab->GetNextObjectPtr()) {
    tab->ResetAreaSize();
  }
}

void cSp_OrgTabSelectorObj::DisableTabSelector(unsigned char redraw) {
  DisableViewOutput(redraw);
  DisableHotSpotArea();
}

void cSp_OrgTabSelectorObj::EnableTabSelector(unsigned char redraw) {
  EnableViewOutput(redraw);
  EnableHotSpotArea();
}

void cSp_OrgTabSelectorObj::GetSelectedTabDrawingFormat(sSp_OTPC_TabFormat& format) const {
  if (selected_ != nullptr && selected_->IsEnableIndividualSetupFlag() != 0) {
    selected_->GetTabDrawingFormat(format);
  } else {
    format = default_;
  }
}

unsigned char cSp_OrgTabSelectorObj::GetTargetTabItemDrawingFormat(
    short tabNo, sSp_OTPC_TabFormat& format) const {
  const cSp_OrgTabPanelControlItem* tab = GetTabItem(tabNo);
  if (tab == nullptr) return 0;
  if (tab->IsEnableIndividualSetupFlag() != 0) {
    tab->GetTabDrawingFormat(format);
  } else {
    format = default_;
  }
  return 1;
}

void cSp_OrgTabSelectorObj::ResizeTabSelector(const Rect& area, unsigned char) {
  ResizeViewArea(area, 0, 1);
  FollowViewArea();
}

void cSp_OrgTabSelectorObj::SetupTabSelectionProc(tSpTPO_TabSelectionProcPtr proc,
                                                  unsigned long refCon) {
  selectionProc_ = proc;
  selectionRefCon_ = refCon;
}

// ---- Setters --------------------------------------------------------------------------------

template <class T>
bool cSp_OrgTabSelectorObj::ChangeDefaultAndEveryTab(T sSp_OTPC_TabFormat::*field, const T& value) {
  if (Same(default_.*field, value)) return false;
  default_.*field = value;
  // Individual tabs take the default too, their flag included.
  for (cSp_OrgTabPanelControlItem* tab = first_; tab != nullptr; tab = tab->GetNextObjectPtr()) {
    tab->SetupTabDrawingFormat(&default_, 1);
  }
  return true;
}

void cSp_OrgTabSelectorObj::SetupTabHeight(short height, unsigned char redraw) {
  if (!ChangeDefaultAndEveryTab(&sSp_OTPC_TabFormat::tabHeight, SInt16(height))) return;
  ModifyScrollValue();
  Mark(redraw);
}

void cSp_OrgTabSelectorObj::SetupIconLeftOffset(short offset, unsigned char redraw) {
  bool changed;
  {
    // The titles are measured in the window's port.
    cSpPortSaver port(GetTargetWindowPtr());
    changed = ChangeDefaultAndEveryTab(&sSp_OTPC_TabFormat::iconLeftOffset, SInt16(offset));
  }
  if (!changed) return;
  ModifyScrollValue();
  Mark(redraw);
}

void cSp_OrgTabSelectorObj::SetupSringLeftOffset(short offset, unsigned char redraw) {
  if (!ChangeDefaultAndEveryTab(&sSp_OTPC_TabFormat::stringLeftOffset, SInt16(offset))) return;
  ModifyScrollValue();
  Mark(redraw);
}

void cSp_OrgTabSelectorObj::SetupStringRightOffset(short offset, unsigned char redraw) {
  if (!ChangeDefaultAndEveryTab(&sSp_OTPC_TabFormat::stringRightOffset, SInt16(offset))) return;
  ModifyScrollValue();
  Mark(redraw);
}

void cSp_OrgTabSelectorObj::SetupTabFrameColor(const RGBColor* colour, unsigned char redraw) {
  if (colour == nullptr) {
    SpReportFailure(kSource, "cSp_OrgTabSelectorObj::SetupTabFrameColor", 1, kSpMsgNullArgument);
    return;
  }
  if (ChangeDefaultAndEveryTab(&sSp_OTPC_TabFormat::tabFrameColor, *colour)) Mark(redraw);
}

template <class T>
bool cSp_OrgTabSelectorObj::ChangeByTabNo(short tabNo, T sSp_OTPC_TabFormat::*field, const T& value,
                                          tZeroRule rule, unsigned char layout) {
  if (tabNo > 0) {
    cSp_OrgTabPanelControlItem* tab = GetTabItem(tabNo);
    if (tab == nullptr) return false;
    sSp_OTPC_TabFormat format;
    tab->GetTabDrawingFormat(format);
    if (Same(format.*field, value)) return false;
    format.*field = value;
    tab->SetupTabDrawingFormat(&format, layout);
    // The tabs after it move with its new width.
    if (layout != 0) LayOutEveryTab();
    return true;
  }
  if (Same(default_.*field, value)) return false;
  default_.*field = value;
  for (cSp_OrgTabPanelControlItem* tab = first_; tab != nullptr; tab = tab->GetNextObjectPtr()) {
    const bool skip =
        tabNo == 0 && rule == tZeroRule::kSkipIndividual && tab->IsEnableIndividualSetupFlag() != 0;
    if (!skip) tab->SetupTabDrawingFormat(&default_, 1);
  }
  // A tab passed by keeps its width, but not its place after the tabs before it.
  LayOutEveryTab();
  return true;
}

bool cSp_OrgTabSelectorObj::ChangeColourByTabNo(short tabNo, RGBColor sSp_OTPC_TabFormat::*field,
                                                const RGBColor* colour, tZeroRule rule,
                                                unsigned char layout, const char* method) {
  if (colour == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
    return false;
  }
  return ChangeByTabNo(tabNo, field, *colour, rule, layout);
}

void cSp_OrgTabSelectorObj::ChangeColourAndMark(short tabNo, RGBColor sSp_OTPC_TabFormat::*field,
                                                const RGBColor* colour, tZeroRule rule,
                                                unsigned char redraw, const char* method) {
  if (ChangeColourByTabNo(tabNo, field, colour, rule, redraw, method)) Mark(redraw);
}

unsigned char cSp_OrgTabSelectorObj::SetupBodyFrameColor(short tabNo, const RGBColor* colour) {
  return ChangeColourByTabNo(tabNo, &sSp_OTPC_TabFormat::bodyFrameColor, colour,
                             tZeroRule::kSkipIndividual, 1,
                             "cSp_OrgTabSelectorObj::SetupBodyFrameColor")
             ? 1
             : 0;
}

unsigned char cSp_OrgTabSelectorObj::SetupBodyColor(short tabNo, const RGBColor* colour) {
  return ChangeColourByTabNo(tabNo, &sSp_OTPC_TabFormat::bodyColor, colour,
                             tZeroRule::kSkipIndividual, 1, "cSp_OrgTabSelectorObj::SetupBodyColor")
             ? 1
             : 0;
}

unsigned char cSp_OrgTabSelectorObj::SetupContentAreaColor(short tabNo, const RGBColor* colour) {
  return ChangeColourByTabNo(tabNo, &sSp_OTPC_TabFormat::contentColor, colour,
                             tZeroRule::kSkipIndividual, 1,
                             "cSp_OrgTabSelectorObj::SetupContentAreaColor")
             ? 1
             : 0;
}

unsigned char cSp_OrgTabSelectorObj::SetupContentAreaFrameDrawFlag(short tabNo,
                                                                   unsigned char draw) {
  return ChangeByTabNo(tabNo, &sSp_OTPC_TabFormat::contentFrameDraw, UInt8(draw),
                       tZeroRule::kSkipIndividual, 1)
             ? 1
             : 0;
}

unsigned char cSp_OrgTabSelectorObj::SetupContentAreaFrameType(short tabNo, t3DRectDrowType type) {
  return ChangeByTabNo(tabNo, &sSp_OTPC_TabFormat::contentFrameType, type,
                       tZeroRule::kSkipIndividual, 1)
             ? 1
             : 0;
}

unsigned char cSp_OrgTabSelectorObj::SetupContentAreaFrameOffset(short tabNo,
                                                                 tPositionType position,
                                                                 short offset) {
  SInt16 sSp_OTPC_TabFormat::*field = ContentOffsetField(position);
  if (field == nullptr) return 0;
  return ChangeByTabNo(tabNo, field, SInt16(offset), tZeroRule::kSkipIndividual, 1) ? 1 : 0;
}

void cSp_OrgTabSelectorObj::SetupSelectedTabColor(short tabNo, const RGBColor* colour,
                                                  unsigned char redraw) {
  ChangeColourAndMark(tabNo, &sSp_OTPC_TabFormat::selectedTabColor, colour,
                      tZeroRule::kSkipIndividual, redraw,
                      "cSp_OrgTabSelectorObj::SetupSelectedTabColor");
}

void cSp_OrgTabSelectorObj::SetupShadowTabColor(short tabNo, const RGBColor* colour,
                                                unsigned char redraw) {
  ChangeColourAndMark(tabNo, &sSp_OTPC_TabFormat::shadowTabColor, colour,
                      tZeroRule::kSkipIndividual, redraw,
                      "cSp_OrgTabSelectorObj::SetupShadowTabColor");
}

void cSp_OrgTabSelectorObj::SetupSeletedTabStringColor(short tabNo, const RGBColor* colour,
                                                       unsigned char redraw) {
  ChangeColourAndMark(tabNo, &sSp_OTPC_TabFormat::selectedTabStringColor, colour,
                      tZeroRule::kSkipIndividual, redraw,
                      "cSp_OrgTabSelectorObj::SetupSeletedTabStringColor");
}

void cSp_OrgTabSelectorObj::SetupShadowTabStringColor(short tabNo, const RGBColor* colour,
                                                      unsigned char redraw) {
  ChangeColourAndMark(tabNo, &sSp_OTPC_TabFormat::shadowTabStringColor, colour,
                      tZeroRule::kEveryTab, redraw,
                      "cSp_OrgTabSelectorObj::SetupShadowTabStringColor");
}

void cSp_OrgTabSelectorObj::SetupTabFontNo(short tabNo, short fontNo, unsigned char redraw) {
  if (ChangeByTabNo(tabNo, &sSp_OTPC_TabFormat::fontNo, SInt16(fontNo), tZeroRule::kEveryTab,
                    redraw)) {
    Mark(redraw);
  }
}

void cSp_OrgTabSelectorObj::SetupTabTextSize(short tabNo, short size, unsigned char redraw) {
  if (ChangeByTabNo(tabNo, &sSp_OTPC_TabFormat::textSize, SInt16(size), tZeroRule::kSkipIndividual,
                    redraw)) {
    Mark(redraw);
  }
}

void cSp_OrgTabSelectorObj::SetupTabIndividualBodyColorFlag(short tabNo, unsigned char flag,
                                                            unsigned char) {
  if (tabNo > 0) {
    cSp_OrgTabPanelControlItem* tab = GetTabItem(tabNo);
    if (tab != nullptr) tab->SetupIndividualSetupFlag(flag);
    return;
  }
  for (cSp_OrgTabPanelControlItem* tab = first_; tab != nullptr; tab = tab->GetNextObjectPtr()) {
    tab->SetupIndividualSetupFlag(flag);
  }
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_OrgTabSelectorObj::DrawTabSelector() {
  if (first_ == nullptr) return;
  cSp_OrgTabPanelControlItem* chosen = selected_ != nullptr ? selected_ : first_;
  RgnHandle clip = NewRgn();
  if (clip == nullptr) {
    SpReportFailure(kSource, "cSp_OrgTabSelectorObj::DrawTabSelector", 1, kSpMsgMemory);
    return;
  }
  GetClip(clip);
  const bool all = EmptyRgn(clip) != 0;
  auto visible = [&](const cSp_OrgTabPanelControlItem* tab) {
    Rect area;
    tab->GetAreaRect(area);
    return all || RectInRgn(&area, clip) != 0;
  };
  for (cSp_OrgTabPanelControlItem* tab = first_; tab != nullptr; tab = tab->GetNextObjectPtr()) {
    if (tab != chosen && visible(tab)) tab->DrawTabItem(0);
  }
  Rect lastArea;
  last_->GetAreaRect(lastArea);
  const short right = lastArea.right;
  const short height = default_.tabHeight;
  short h = 0, v = 0;
  GetScrollValue(h, v);
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  const short end = short(h + onWindow.right - onWindow.left);

  RGBColor foreground;
  GetForeColor(&foreground);
  PenSize(1, 1);
  if (right < end) {
    const RGBColor white = SpOC_Grey(100);
    RGBColor c = SpOC_Mix(white, default_.bodyColor, 0.6f);
    RGBForeColor(&c);
    SpOC_Line(right, short(height - 1), short(end - 1), short(height - 1));
    c = SpOC_Mix(white, default_.bodyColor, 0.5f);
    RGBForeColor(&c);
    SpOC_Line(right, short(height - 2), end, short(height - 2));
  }
  RGBForeColor(&default_.bodyFrameColor);
  SpOC_Line(short(end - 1), short(height - 1), short(end - 1), height);
  SpOC_Line(0, short(height - 1), 0, height);
  RGBForeColor(&foreground);

  // Drawn last, over its neighbours.
  if (visible(chosen)) chosen->DrawTabItem(1);
  DisposeRgn(clip);
}

// ---- The mouse ------------------------------------------------------------------------------

cSp_OrgTabPanelControlItem* cSp_OrgTabSelectorObj::WindowPositToTabItem(Point windowPoint,
                                                                        short& tabNo) const {
  tabNo = 0;
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0 || PtInRect(windowPoint, &visible) == 0) {
    return nullptr;
  }
  Point p;
  OnWindowPositToOffscreenPosit(windowPoint, p);
  short n = 1;
  for (cSp_OrgTabPanelControlItem* tab = first_; tab != nullptr;
       tab = tab->GetNextObjectPtr(), ++n) {
    Rect a;
    tab->GetAreaRect(a);
    if (a.left <= p.h && p.h <= a.right && a.top <= p.v && p.v <= a.bottom) {
      tabNo = n;
      return tab;
    }
  }
  return nullptr;
}

unsigned char cSp_OrgTabSelectorObj::HotSpotMouseDonwProc(short, Point localPoint) {
  short tabNo = 0;
  _mouseDownItemPtr_GlV = WindowPositToTabItem(localPoint, tabNo);
  return 1;
}

unsigned char cSp_OrgTabSelectorObj::HotSpotMouseUpProc(short, Point localPoint) {
  cSp_OrgTabPanelControlItem* pressed = _mouseDownItemPtr_GlV;
  // The press is used once: a later release alone selects nothing.
  _mouseDownItemPtr_GlV = nullptr;
  const short oldTabNo = selected_ != nullptr ? selected_->GetItemReferenceNo() : 0;
  short tabNo = 0;
  cSp_OrgTabPanelControlItem* released = WindowPositToTabItem(localPoint, tabNo);
  if (pressed == nullptr || released != pressed || released == selected_) return 0;
  selected_ = released;
  UpdateViewableDrawingArea(1, 1, nullptr);
  if (selectionProc_ != nullptr) {
    selectionProc_(oldTabNo, released->GetItemReferenceNo(), selectionRefCon_);
  }
  return 1;
}
