#include "SpTitleBarControl.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"

namespace {

const char kSource[] = "SpTitleBarControl";
const char kMsgNoTrace[] = "Not Enough Memory On to Create Mouse Trace Object ";

}  // namespace

cSp_TittleBarControl::cSp_TittleBarControl(WindowRef window, const Rect& area, cSp_View* container,
                                           Boolean useContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, useContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  StartUpInitialize();
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    SetupHotSpotArea(visible);
    SetupModifyDrawingRectAndFlag(&visible, 1);
  }
}

cSp_TittleBarControl::~cSp_TittleBarControl() {
  // Nothing of the framework may reach the bar while its items go.
  ExecViewObjDeleteReady();
  ExecHotSpotObjDeleteReady();
  if (downItem_ != nullptr) Sp_EnableMouseTrace(0);
  downItem_ = nullptr;
  SpDeleteList(firstItem_);
  firstItem_ = nullptr;
  delete trace_;
  trace_ = nullptr;
}

void cSp_TittleBarControl::StartUpInitialize() {
  buttonDownOn_ = 0;
  separatorMoveOn_ = 0;
  totalWidth_ = 0;
  dragLimit_ = -1;
  panelColour_ = {65535, 65535, 65535};
  frame3DOn_ = frameKind_ = 0;
  downItem_ = nullptr;
  downPart_ = kTBC_NoPart;
  dragStart_ = lastDrag_ = 0;
  traceOn_ = 0;
  movingProc_ = moveEndProc_ = nullptr;
  movingRefCon_ = moveEndRefCon_ = 0;
}

// ---- Items ----------------------------------------------------------------------------------

cSp_TittleBarControlItem* cSp_TittleBarControl::GetItem(short itemNo) const {
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i->referenceNo == itemNo) return i;
  }
  return nullptr;
}

short cSp_TittleBarControl::GetNumOfItem() const {
  short n = 0;
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) ++n;
  return n;
}

short cSp_TittleBarControl::SetupItem(tTitleBarControlItemType type, short width,
                                      short minimumWidth, Boolean widthFixed, short position) {
  const short height = BarHeight();
  cSp_TittleBarControlItem* item =
      new (std::nothrow) cSp_TittleBarControlItem(type, width, minimumWidth, height, widthFixed);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cSp_TittleBarControl::SetupItem", 2, kSpMsgMemory,
                           static_cast<short>(-1));
  }
  item->contentWidth = width;
  item->contentHeight = height;
  if (item->IsButton() != 0) buttonDownOn_ = 1;

  if (firstItem_ == nullptr) {
    firstItem_ = item;
  } else if (position == 0) {
    item->LinkToNext(firstItem_);
    firstItem_ = item;
  } else {
    cSp_TittleBarControlItem* last = firstItem_->GetLastItem();
    cSp_TittleBarControlItem* after =
        (position < 0 || position >= last->referenceNo) ? last : GetItem(position);
    if (after == nullptr) after = last;
    cSp_TittleBarControlItem* rest = after->UnlinkNext();
    after->LinkToNext(item);
    item->LinkToNext(rest);
  }
  Relayout();
  return short(item->referenceNo);
}

void cSp_TittleBarControl::Relayout() {
  totalWidth_ = 0;
  if (firstItem_ != nullptr) {
    firstItem_->SetupReferenceNo(1, 1);
    firstItem_->ResetPosition(1);
    firstItem_->GetTotalWidth(totalWidth_, -1);
  }
  SetupViewScrollArea(totalWidth_, -1, 0, 1);
}

// ---- Geometry -------------------------------------------------------------------------------

short cSp_TittleBarControl::BarHeight() const {
  Rect area;
  GetDrawingAreaOnWindow(&area);
  return short(area.bottom - area.top);
}

short cSp_TittleBarControl::BarWidth() const {
  Rect area;
  GetDrawingAreaOnWindow(&area);
  return short(area.right - area.left);
}

Rect cSp_TittleBarControl::ItemRect(const cSp_TittleBarControlItem* item) const {
  return Rect{0, item->start, BarHeight(), item->end};
}

bool cSp_TittleBarControl::PanelPoint(Point localPoint, Point& content) const {
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0 || PtInRect(localPoint, &visible) == 0) {
    return false;
  }
  OnWindowPositToOffscreenPosit(localPoint, content);
  return true;
}

cSp_TittleBarControlItem* cSp_TittleBarControl::ItemAt(short h,
                                                       tTitleBarControlItemPartCode& part) const {
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    i->GetPartCode(h, part);
    if (part != kTBC_NoPart) return i;
  }
  part = kTBC_NoPart;
  return nullptr;
}

void cSp_TittleBarControl::ResizeTitleBar(const Rect& area, Boolean redraw, Boolean notify) {
  Rect current;
  GetImmediateDrawingArea(&current);
  if (EqualRect(&current, &area)) return;
  ResizeViewArea(area, redraw, notify);
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0) visible = Rect{0, 0, 0, 0};
  SetupHotSpotArea(visible);
  if (trace_ != nullptr) trace_->ModifyMouseTraceArea(visible, 1);
}

void cSp_TittleBarControl::SetupTitleBarHeight(short height) {
  Rect area;
  GetImmediateDrawingArea(&area);
  if (area.bottom - area.top == height) return;
  area.bottom = short(area.top + height);
  ResizeTitleBar(area, 0, 1);
}

void cSp_TittleBarControl::SetupItemWidth(short itemNo, short width) {
  bool changed = false;
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    if ((itemNo >= 0 && i->referenceNo != itemNo) || i->width == width) continue;
    i->width = width;
    changed = true;
  }
  if (!changed) return;
  Relayout();
  SetupModifyDrawingRectAndFlag(nullptr, 1);
}

Boolean cSp_TittleBarControl::GetItemWidth(short itemNo, short& width) const {
  const cSp_TittleBarControlItem* item = GetItem(itemNo);
  if (item == nullptr) return 0;
  width = item->width;
  return 1;
}

Boolean cSp_TittleBarControl::GetTitleItemViewableAreaOnWindow(short itemNo, Rect& out) {
  const cSp_TittleBarControlItem* item = GetItem(itemNo);
  Rect visible;
  if (item == nullptr || GetViewableDrawingAreaOnWindow(visible) == 0) return 0;
  Rect onWindow;
  OffscreenAreaToOnWindowArea(ItemRect(item), onWindow);
  return SectRect(&onWindow, &visible, &out) ? 1 : 0;
}

// ---- Per-item settings ----------------------------------------------------------------------

void cSp_TittleBarControl::MarkItem(const cSp_TittleBarControlItem* item) {
  Rect onWindow;
  OffscreenAreaToOnWindowArea(ItemRect(item), onWindow);
  SetupModifyDrawingRectAndFlag(&onWindow, 1);
}

template <class Apply>
void cSp_TittleBarControl::ForItems(short itemNo, Apply apply) {
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (itemNo < 0 || i->referenceNo == itemNo) apply(*i);
  }
}

template <class Change>
bool cSp_TittleBarControl::ChangeItems(short itemNo, Change change) {
  bool found = false;
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (itemNo >= 0 && i->referenceNo != itemNo) continue;
    found = true;
    if (change(*i)) MarkItem(i);
  }
  return found;
}

namespace {

// Sets a field; true when it changed.
template <class T>
bool Store(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

bool StoreColour(RGBColor& field, const RGBColor* colour) {
  if (colour == nullptr || Sp_RGBcmp(&field, colour) != 0) return false;
  field = *colour;
  return true;
}

// A negative margin leaves its field.
bool StoreMargin(short& field, short value) {
  return value >= 0 && Store(field, value);
}

}  // namespace

void cSp_TittleBarControl::SetupItemMinimumWidth(short itemNo, short width) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) { i.minimumWidth = width; });
}

void cSp_TittleBarControl::SetupItemMuximumWidth(short itemNo, short width) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) { i.maximumWidth = width; });
}

void cSp_TittleBarControl::SetupSeparatorWidth(short width, short itemNo) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) { i.separatorWidth = width; });
}

void cSp_TittleBarControl::SeparatorDrawOn(short itemNo) {
  ChangeItems(itemNo, [](cSp_TittleBarControlItem& i) {
    return Store<unsigned char>(i.separatorDrawn, 1);
  });
}

void cSp_TittleBarControl::SeparatorDrawOff(short itemNo) {
  ChangeItems(itemNo, [](cSp_TittleBarControlItem& i) {
    return Store<unsigned char>(i.separatorDrawn, 0);
  });
}

void cSp_TittleBarControl::SetupSeparatorColor(const RGBColor* colour, short itemNo) {
  ChangeItems(itemNo,
              [&](cSp_TittleBarControlItem& i) { return StoreColour(i.separatorColour, colour); });
}

void cSp_TittleBarControl::SetupSeparatorShadowColor(const RGBColor* colour, short itemNo) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    return StoreColour(i.separatorShadowColour, colour);
  });
}

void cSp_TittleBarControl::WidthFixedMode(short itemNo) {
  ForItems(itemNo, [](cSp_TittleBarControlItem& i) { i.widthFixed = 1; });
}

void cSp_TittleBarControl::WidthVariedMode(short itemNo) {
  ForItems(itemNo, [](cSp_TittleBarControlItem& i) { i.widthFixed = 0; });
}

void cSp_TittleBarControl::EndPointFixMode(short itemNo) {
  ForItems(itemNo, [](cSp_TittleBarControlItem& i) { i.endPointFixed = 1; });
}

void cSp_TittleBarControl::EndPointVariedMode(short itemNo) {
  ForItems(itemNo, [](cSp_TittleBarControlItem& i) { i.endPointFixed = 0; });
}

void cSp_TittleBarControl::SetupContentAreaOffset(short top, short left, short bottom, short right,
                                                  short itemNo) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    const bool a = StoreMargin(i.contentOffsetLeft, left);
    const bool b = StoreMargin(i.contentOffsetTop, top);
    const bool c = StoreMargin(i.contentOffsetRight, right);
    const bool d = StoreMargin(i.contentOffsetBottom, bottom);
    return a || b || c || d;
  });
}

void cSp_TittleBarControl::SetupContentAreaSize(short width, short height, short itemNo) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    const bool a = StoreMargin(i.contentWidth, width);
    const bool b = StoreMargin(i.contentHeight, height);
    return a || b;
  });
}

void cSp_TittleBarControl::SetupContentLayoutType(short itemNo, tObjectLayoutType type) {
  ChangeItems(itemNo,
              [&](cSp_TittleBarControlItem& i) { return Store(i.contentLayoutType, type); });
}

void cSp_TittleBarControl::SetupContentAreaPositType(short itemNo, tPositionType type) {
  ChangeItems(itemNo,
              [&](cSp_TittleBarControlItem& i) { return Store(i.contentPositionType, type); });
}

void cSp_TittleBarControl::SetupOutputString(short itemNo, const char* text) {
  if (text == nullptr) {
    SpReportFailure(kSource, "cSp_TittleBarControl::SetupOutputString", 1, kSpMsgNullArgument);
    return;
  }
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    if (i.title == nullptr) {
      i.title = SpSO_NewStringObject();
      if (i.title == nullptr) return false;
    } else if (SpSO_strcmp(i.title, text) == 0) {
      return false;
    }
    SpSO_strcopy(i.title, text);
    return true;
  });
}

void cSp_TittleBarControl::ClearOutputString(short itemNo) {
  ChangeItems(itemNo, [](cSp_TittleBarControlItem& i) {
    if (i.title == nullptr) return false;
    SpSO_DisposeStringObject(i.title);
    return true;
  });
}

void cSp_TittleBarControl::SetupTextSize(short itemNo, short size) {
  if (size < 0) return;
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) { return Store(i.textSize, size); });
}

void cSp_TittleBarControl::SetupFontNo(short itemNo, short fontNo) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) { return Store(i.fontNo, fontNo); });
}

void cSp_TittleBarControl::SetupFontColor(short itemNo, const RGBColor* colour) {
  ChangeItems(itemNo,
              [&](cSp_TittleBarControlItem& i) { return StoreColour(i.textColour, colour); });
}

void cSp_TittleBarControl::SetupIcon(short itemNo, short iconId) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) { return Store(i.iconId, iconId); });
}

void cSp_TittleBarControl::SetupIconPositionTypeOnButton(short itemNo, tPositionType h,
                                                         tPositionType v) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    const bool a = Store(i.iconPositionH, h);
    const bool b = Store(i.iconPositionV, v);
    return a || b;
  });
}

void cSp_TittleBarControl::SetupIconLayoutTypeOnButton(short itemNo, tObjectLayoutType type) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) { return Store(i.iconLayoutType, type); });
}

void cSp_TittleBarControl::SetupIconPositionOffsetOnButton(short itemNo, short top, short left,
                                                           short bottom, short right) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    const bool a = StoreMargin(i.iconOffsetLeft, left);
    const bool b = StoreMargin(i.iconOffsetTop, top);
    const bool c = StoreMargin(i.iconOffsetRight, right);
    const bool d = StoreMargin(i.iconOffsetBottom, bottom);
    return a || b || c || d;
  });
}

void cSp_TittleBarControl::SetupIconSizeOnButton(short itemNo, short width, short height) {
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    const bool a = Store(i.iconWidth, width);
    const bool b = Store(i.iconHeight, height);
    return a || b;
  });
}

void cSp_TittleBarControl::SetupIconAlignmentType(short itemNo, short alignment) {
  ChangeItems(itemNo,
              [&](cSp_TittleBarControlItem& i) { return Store(i.iconAlignment, alignment); });
}

void cSp_TittleBarControl::SetupIconTransformType(short itemNo, short transform) {
  ChangeItems(itemNo,
              [&](cSp_TittleBarControlItem& i) { return Store(i.iconTransform, transform); });
}

void cSp_TittleBarControl::SetupButtonDrawingType(short itemNo, tButtonDrawingType type) {
  ChangeItems(itemNo,
              [&](cSp_TittleBarControlItem& i) { return Store(i.buttonDrawingType, type); });
}

void cSp_TittleBarControl::SetupButtonType(short itemNo, tButtonType type) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) { i.buttonType = type; });
}

void cSp_TittleBarControl::SetupItemClickProcedure(short itemNo, tSpTBC_ItemProcPtr proc,
                                                   unsigned long refCon) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    i.clickProc = proc;
    i.clickRefCon = refCon;
  });
}

void cSp_TittleBarControl::SetupItemDblClickProcedure(short itemNo, tSpTBC_ItemProcPtr proc,
                                                      unsigned long refCon) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    i.dblClickProc = proc;
    i.dblClickRefCon = refCon;
  });
}

void cSp_TittleBarControl::SetupItemButtonDownProcedure(short itemNo, tSpTBC_ItemProcPtr proc,
                                                        unsigned long refCon) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    i.buttonDownProc = proc;
    i.buttonDownRefCon = refCon;
  });
}

void cSp_TittleBarControl::SetupItemButtonUpProcedure(short itemNo, tSpTBC_ItemProcPtr proc,
                                                      unsigned long refCon) {
  ForItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    i.buttonUpProc = proc;
    i.buttonUpRefCon = refCon;
  });
}

void cSp_TittleBarControl::SetupFaceColour(short itemNo, RGBColor cSp_TittleBarControlItem::*face,
                                           const RGBColor& colour, Boolean redraw) {
  bool changed = false;
  ChangeItems(itemNo, [&](cSp_TittleBarControlItem& i) {
    const bool c = StoreColour(i.*face, &colour);
    changed = changed || c;
    return c;
  });
  if (changed && redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_TittleBarControl::SetupUpButtonContentColor(short itemNo, const RGBColor& colour,
                                                     Boolean redraw) {
  SetupFaceColour(itemNo, &cSp_TittleBarControlItem::upFaceColour, colour, redraw);
}

void cSp_TittleBarControl::SetupDownButtonContentColor(short itemNo, const RGBColor& colour,
                                                       Boolean redraw) {
  SetupFaceColour(itemNo, &cSp_TittleBarControlItem::downFaceColour, colour, redraw);
}

// ---- Bar settings ---------------------------------------------------------------------------

void cSp_TittleBarControl::SetupPanelColor(const RGBColor* colour) {
  if (colour == nullptr || Sp_RGBcmp(&panelColour_, colour) != 0) return;
  panelColour_ = *colour;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
}

void cSp_TittleBarControl::panel3DFrameOn(unsigned char kind) {
  if (frame3DOn_ != 0 && frameKind_ == kind) return;
  frame3DOn_ = 1;
  frameKind_ = kind;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
}

void cSp_TittleBarControl::panel3DFrameOff() {
  if (frame3DOn_ == 0) return;
  frame3DOn_ = 0;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
}

void cSp_TittleBarControl::SetupSeparatorMoveingProcedure(tSpTBC_SeparatorProcPtr proc,
                                                          unsigned long refCon) {
  movingProc_ = proc;
  movingRefCon_ = refCon;
}

void cSp_TittleBarControl::SetupSeparatorMoveEndProcedure(tSpTBC_SeparatorProcPtr proc,
                                                          unsigned long refCon) {
  moveEndProc_ = proc;
  moveEndRefCon_ = refCon;
}

void cSp_TittleBarControl::ExecSeparatorProc(tSpTBC_SeparatorProcPtr proc, unsigned long refCon,
                                             short itemNo) {
  if (proc != nullptr) proc(itemNo, refCon);
}

// ---- The separator hover area ---------------------------------------------------------------

void cSp_TittleBarControl::EnableSeparatorMouseTrace(tTBC_MouseTraceCursorType cursor) {
  const short cursorId = cursor <= 0 ? short(kTBC_SeparatorCursorID) : cursor;
  if (trace_ == nullptr) {
    Rect visible;
    if (GetViewableDrawingAreaOnWindow(visible) == 0) visible = Rect{0, 0, 0, 0};
    trace_ =
        new (std::nothrow) cMouseTraceObject(GetTargetWindowPtr(), visible, 0, cursorId, nullptr);
    if (trace_ == nullptr) {
      SpReportFailure(kSource, "cSp_TittleBarControl::EnableSeparatorMouseTrace", 1, kMsgNoTrace);
      return;
    }
    trace_->verifyPositionProc = SpTBC_MouseTraceVerifyPositionProc;
    trace_->verifyPositionRefCon = reinterpret_cast<unsigned long>(this);
  } else {
    trace_->SetupMouseTaraceCursor(0, cursorId);
  }
  trace_->EnableMouseTrace();
  traceOn_ = 1;
}

void cSp_TittleBarControl::DisableSeparatorMouseTrace(Boolean deleteTrace) {
  if (trace_ == nullptr) return;
  trace_->DisableMouseTrace();
  traceOn_ = 0;
  if (deleteTrace != 0) {
    delete trace_;
    trace_ = nullptr;
  }
}

Boolean cSp_TittleBarControl::MouseTraceVerifyPositionProc(Point localPoint, short,
                                                           short& areaCode) {
  Point p;
  if (separatorMoveOn_ == 0 || !PanelPoint(localPoint, p)) return 0;
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    tTitleBarControlItemPartCode part = kTBC_NoPart;
    i->GetPartCode(p.h, part);
    if ((part == kTBC_StartSeparatorPart || part == kTBC_EndSeparatorPart) &&
        i->IsMoveingSeparator(part) != 0) {
      areaCode = part;
      return 1;
    }
  }
  return 0;
}

Boolean SpTBC_MouseTraceVerifyPositionProc(Point localPoint, short modifiers, unsigned long bar,
                                           short& areaCode) {
  if (bar == 0) return 0;
  return reinterpret_cast<cSp_TittleBarControl*>(bar)->MouseTraceVerifyPositionProc(
      localPoint, modifiers, areaCode);
}

// ---- The mouse ------------------------------------------------------------------------------

unsigned char cSp_TittleBarControl::HotSpotMouseDonwProc(short, Point localPoint) {
  Point p;
  if ((buttonDownOn_ == 0 && separatorMoveOn_ == 0) || !PanelPoint(localPoint, p)) return 0;
  tTitleBarControlItemPartCode part = kTBC_NoPart;
  cSp_TittleBarControlItem* item = ItemAt(p.h, part);
  if (item != nullptr && part == kTBC_StartSeparatorPart) {
    // The start of an item is the end of the one before it.
    cSp_TittleBarControlItem* previous = item->GetBeforeObjectPtr();
    if (previous != nullptr) {
      item = previous;
      part = kTBC_EndSeparatorPart;
    } else {
      part = kTBC_ContentPart;
    }
  }
  downItem_ = item;
  // A press that meets no item is not the bar's: hover tracking is left as it was.
  if (item == nullptr) {
    downPart_ = kTBC_NoPart;
    return 0;
  }
  Sp_DisableMouseTrace();
  if (part == kTBC_EndSeparatorPart && separatorMoveOn_ != 0) {
    dragStart_ = lastDrag_ = p.h;
    downPart_ = kTBC_EndSeparatorPart;
    return 1;
  }
  downPart_ = kTBC_ContentPart;
  if (buttonDownOn_ != 0 && item->IsButton() != 0) {
    item->ButtonDown();
    if (item->buttonDownProc != nullptr) item->buttonDownProc(item->buttonDownRefCon);
    DrawView(1, 0);
  }
  return 1;
}

void cSp_TittleBarControl::DragSeparatorTo(short h) {
  if (h == lastDrag_) return;
  const short limit = dragLimit_ >= 0 ? dragLimit_ : BarWidth();
  short position = h;
  if (downItem_->MoveEndSeparator(position, limit, 0) == 0) return;
  totalWidth_ = 0;
  firstItem_->GetTotalWidth(totalWidth_, -1);
  SetupViewScrollArea(totalWidth_, -1, 0, 1);
  DrawView(1, 0);
  ExecSeparatorProc(movingProc_, movingRefCon_, short(downItem_->referenceNo));
}

unsigned char cSp_TittleBarControl::HotSpotMouseDownTraceProc(short, Point localPoint) {
  if (downItem_ == nullptr) return 1;
  Point p;
  const bool onPanel = PanelPoint(localPoint, p);
  if (downPart_ == kTBC_ContentPart) {
    tTitleBarControlItemPartCode part = kTBC_NoPart;
    if (onPanel) downItem_->GetPartCode(p.h, part);
    const bool onItem = part != kTBC_NoPart;
    cSp_TittleBarControlItem* item = downItem_;
    if (onItem && item->IsButtonDown() == 0) {
      item->ButtonDown();
      DrawView(1, 0);
      if (item->buttonDownProc != nullptr) item->buttonDownProc(item->buttonDownRefCon);
    } else if (!onItem && item->IsButtonDown() != 0) {
      item->ButtonUp();
      DrawView(1, 0);
      if (item->buttonUpProc != nullptr) item->buttonUpProc(item->buttonUpRefCon);
    }
  } else if (downPart_ == kTBC_EndSeparatorPart) {
    // A drag goes on when the mouse leaves the bar above or below it.
    OnWindowPositToOffscreenPosit(localPoint, p);
    DragSeparatorTo(p.h);
  }
  return 1;
}

unsigned char cSp_TittleBarControl::HotSpotMouseUpProc(short, Point localPoint) {
  unsigned char result = 0;
  cSp_TittleBarControlItem* item = downItem_;
  if (item != nullptr && downPart_ == kTBC_ContentPart) {
    if (item->IsButtonDown() != 0) {
      item->ButtonUp();
      DrawView(1, 0);
      if (item->buttonUpProc != nullptr) item->buttonUpProc(item->buttonUpRefCon);
    }
    Point p;
    tTitleBarControlItemPartCode part = kTBC_NoPart;
    if (PanelPoint(localPoint, p)) item->GetPartCode(p.h, part);
    result = part != kTBC_NoPart ? 1 : 0;
  } else if (item != nullptr && downPart_ == kTBC_EndSeparatorPart) {
    Point p;
    OnWindowPositToOffscreenPosit(localPoint, p);
    DragSeparatorTo(p.h);
    lastDrag_ = p.h;
    if (traceOn_ != 0 && trace_ != nullptr) trace_->EnableMouseTrace();
    // The drag is over: the client may now do what it put off while it ran.
    ExecSeparatorProc(moveEndProc_, moveEndRefCon_, short(item->referenceNo));
  }
  downItem_ = nullptr;
  downPart_ = kTBC_NoPart;
  Sp_EnableMouseTrace(1);
  return result;
}

void cSp_TittleBarControl::HotSpotClickProc(short, Point localPoint) {
  Point p;
  if (!PanelPoint(localPoint, p)) return;
  tTitleBarControlItemPartCode part = kTBC_NoPart;
  cSp_TittleBarControlItem* item = ItemAt(p.h, part);
  if (item != nullptr && part == kTBC_ContentPart && item->clickProc != nullptr) {
    item->clickProc(item->clickRefCon);
  }
}

unsigned char cSp_TittleBarControl::HotSpotDblClickProc(short, Point localPoint) {
  Point p;
  if (!PanelPoint(localPoint, p)) return 0;
  tTitleBarControlItemPartCode part = kTBC_NoPart;
  cSp_TittleBarControlItem* item = ItemAt(p.h, part);
  if (item == nullptr || part != kTBC_ContentPart || item->dblClickProc == nullptr) return 0;
  item->dblClickProc(item->dblClickRefCon);
  return 1;
}

// ---- Drawing --------------------------------------------------------------------------------

unsigned char cSp_TittleBarControl::UpdateProc() {
  short h = 0, v = 0;
  GetScrollValue(h, v);
  const short width = BarWidth(), height = BarHeight();
  const Rect visible = {v, h, short(v + height), short(h + width)};
  RGBForeColor(&panelColour_);
  PaintRect(&visible);
  if (frame3DOn_ != 0) {
    Rect frame = visible;
    InsetRect(&frame, 1, 1);
    Sp_Draw3DFrame(nullptr, &frame, frameKind_ != 0 ? kSp3DFrameSunken : kSp3DFrameRaised);
  }
  for (cSp_TittleBarControlItem* i = firstItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i->end <= visible.left || i->start >= visible.right) continue;
    const Rect area = ItemRect(i);
    switch (i->type) {
      case kTBC_StringItem:
        i->DrawStringItem(area);
        break;
      case kTBC_IconItem:
        i->DrawIconItem(area);
        break;
      default:
        i->DrawButtonItem(area);
        break;
    }
    i->DrawSeparator(area);
  }
  return 1;
}
