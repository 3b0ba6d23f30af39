// The tab panel: strip and body laid out together, the body drawn from the selected tab.
#include "SpTabPanelObject.h"

#include <algorithm>

#include "SpErrorInfoSystem.h"
#include "SpOC_Drawing.h"

namespace {

const char kSource[] = "SpTabPanelObject";

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSp_OrgTabPanelControl::cSp_OrgTabPanelControl(WindowRef window, const Rect& area,
                                               cSp_View* container,
                                               unsigned char drawInContainerOffscreen)
    : cSp_DrawingView(window, area, SpTPO_TabPanelDrawingProc,
                      reinterpret_cast<unsigned long>(this), container, drawInContainerOffscreen),
      selector_(window, area, container, drawInContainerOffscreen) {
  selectionProc_ = nullptr;
  selectionRefCon_ = 0;
  ResizeTabControl(area, 0, 1);
  const RGBColor black = SpOC_Grey(0), white = SpOC_Grey(100);
  selector_.SetupBodyFrameColor(-1, &black);
  selector_.SetupBodyColor(-1, &white);
  selector_.SetupTabSelectionProc(SpOTPC_CatchChangedSelectionTabCB,
                                  reinterpret_cast<unsigned long>(this));
}

cSp_OrgTabPanelControl::~cSp_OrgTabPanelControl() {
  // Nothing draws the body or hears the selector once the panel is going.
  ExecDrawingViewObjDeleteReady(1);
  selector_.SetupTabSelectionProc(nullptr, 0);
}

void SpTPO_TabPanelDrawingProc(unsigned long refCon, Rect*) {
  if (refCon == 0) return;
  reinterpret_cast<cSp_OrgTabPanelControl*>(refCon)->DrawTabPanel();
}

void SpOTPC_CatchChangedSelectionTabCB(short oldTabNo, short newTabNo, unsigned long refCon) {
  if (refCon == 0) {
    SpReportFailure(kSource, "SpOTPC_CatchChangedSelectionTabCB", 1,
                    "Required arugment is null !! ");
    return;
  }
  reinterpret_cast<cSp_OrgTabPanelControl*>(refCon)->CatchChangedSelectionTabCB(oldTabNo, newTabNo);
}

void cSp_OrgTabPanelControl::Mark(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrgTabPanelControl::MarkContentArea(unsigned char redraw) {
  // With the frame two pixels round it.
  Rect onWindow;
  OffscreenAreaToOnWindowArea(contentsArea_, onWindow);
  InsetRect(&onWindow, -2, -2);
  SetupModifyDrawingRectAndFlag(&onWindow, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrgTabPanelControl::DisableTabPanelControl(unsigned char redraw) {
  DisableViewOutput(0);
  selector_.DisableTabSelector(0);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrgTabPanelControl::EnableTabPanelControl(unsigned char redraw) {
  EnableViewOutput(0);
  selector_.EnableTabSelector(0);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrgTabPanelControl::SetupTabSelectionProc(tSpTPO_TabPanelSelectionProcPtr proc,
                                                   unsigned long refCon) {
  selectionProc_ = proc;
  selectionRefCon_ = refCon;
}

// ---- Layout ---------------------------------------------------------------------------------

void cSp_OrgTabPanelControl::ResizeTabControl(const Rect& area, unsigned char redraw,
                                              unsigned char force) {
  if (force == 0 && EqualRect(&area, &totalArea_)) return;
  totalArea_ = area;
  CalcurateTabControlArea(redraw);
}

void cSp_OrgTabPanelControl::CalcurateTabControlArea(unsigned char redraw) {
  // A panel lower than its strip keeps an empty body rather than one of negative height.
  const short split =
      short(std::min<int>(totalArea_.top + selector_.GetTabAreaHeight(), totalArea_.bottom));
  selectionArea_ = totalArea_;
  selectionArea_.bottom = split;
  selector_.ResizeTabSelector(selectionArea_, 0);
  contentsPanelArea_ = totalArea_;
  contentsPanelArea_.top = split;
  ResizeViewArea(contentsPanelArea_, 0, 1);
  CalcurateContentAreaFromSelectedTab(0);
  Mark(redraw);
}

void cSp_OrgTabPanelControl::CalcurateContentAreaFromSelectedTab(unsigned char redraw) {
  sSp_OTPC_TabFormat f;
  selector_.GetSelectedTabDrawingFormat(f);
  Rect next = contentsPanelArea_;
  next.left = short(next.left + f.contentLeftOffset);
  next.top = short(next.top + f.contentTopOffset);
  next.right = short(next.right - f.contentRightOffset);
  next.bottom = short(next.bottom - f.contentBottomOffset);
  OffsetRect(&next, short(-contentsPanelArea_.left), short(-contentsPanelArea_.top));
  if (EqualRect(&next, &contentsArea_)) return;
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    bool marked = false;
    for (const Rect* area : {&contentsArea_, &next}) {
      Rect onWindow, cut;
      OffscreenAreaToOnWindowArea(*area, onWindow);
      if (SectRect(&onWindow, &visible, &cut)) {
        SetupModifyDrawingRectAndFlag(&cut, 1);
        marked = true;
      }
    }
    if (redraw != 0 && marked) ReDrawAreaUpdateView(0);
  }
  contentsArea_ = next;
}

void cSp_OrgTabPanelControl::CatchChangedSelectionTabCB(short oldTabNo, short newTabNo) {
  sSp_OTPC_TabFormat before, after;
  const bool both = selector_.GetTargetTabItemDrawingFormat(oldTabNo, before) != 0 &&
                    selector_.GetTargetTabItemDrawingFormat(newTabNo, after) != 0;
  bool redraw = false;
  if (both && (before.individualSetup != 0 || after.individualSetup != 0)) {
    CalcurateTabControlArea(0);
    SetupModifyDrawingRectAndFlag(nullptr, 1);
    redraw = true;
  }
  if (selectionProc_ != nullptr) {
    selectionProc_(oldTabNo, newTabNo, selectionRefCon_, 0);
    redraw = true;
  }
  if (redraw) ReDrawAreaUpdateView(0);
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_OrgTabPanelControl::DrawTabPanel() {
  sSp_OTPC_TabFormat f;
  selector_.GetSelectedTabDrawingFormat(f);
  Rect p = contentsPanelArea_;
  OffsetRect(&p, short(-p.left), short(-p.top));
  const short t = p.top, l = p.left, b = p.bottom, r = p.right;
  const RGBColor white = SpOC_Grey(100), g10 = SpOC_Grey(10);
  RGBColor foreground;
  GetForeColor(&foreground);

  PenSize(1, 1);
  RGBForeColor(&f.bodyColor);
  PaintRect(&p);
  // Left, bottom and right; the top stays open to the strip.
  RGBForeColor(&f.bodyFrameColor);
  MoveTo(l, t);
  LineTo(l, short(b - 1));
  LineTo(short(r - 1), short(b - 1));
  LineTo(short(r - 1), t);
  RGBColor c = SpOC_Mix(white, f.bodyColor, 0.6f);
  RGBForeColor(&c);
  SpOC_Line(short(l + 1), short(b - 2), short(l + 1), t);
  c = SpOC_Mix(white, f.bodyColor, 0.5f);
  RGBForeColor(&c);
  SpOC_Line(short(l + 2), short(b - 3), short(l + 2), t);
  const RGBColor shade = SpOC_Mix(g10, f.bodyColor, 0.4f);
  RGBForeColor(&shade);
  MoveTo(short(r - 2), t);
  LineTo(short(r - 2), short(b - 2));
  LineTo(short(l + 2), short(b - 2));
  c = SpOC_Mix(shade, f.bodyColor, 0.7f);
  RGBForeColor(&c);
  MoveTo(short(r - 3), short(t + 1));
  LineTo(short(r - 3), short(b - 3));
  LineTo(short(l + 3), short(b - 3));

  // The frame lies just outside the content area, which is painted next.
  if (f.contentFrameDraw != 0) {
    Sp_Draw3DFrameVer2(nullptr, &contentsArea_, &f.bodyColor, 0.6f, 0.4f, f.contentFrameType, 1);
  }
  RGBForeColor(&f.contentColor);
  PaintRect(&contentsArea_);
  RGBForeColor(&foreground);
}

// ---- Setters --------------------------------------------------------------------------------

void cSp_OrgTabPanelControl::SetupBodyFrameColor(short tabNo, const RGBColor* colour,
                                                 unsigned char redraw) {
  if (colour == nullptr) {
    SpReportFailure(kSource, "cSp_OrgTabPanelControl::SetupBodyFrameColor", 1, kSpMsgNullArgument);
    return;
  }
  if (selector_.SetupBodyFrameColor(tabNo, colour) == 0) return;
  // The body's frame and the strip's base line and end marks show the colour.
  selector_.SetupModifyDrawingRectAndFlag(nullptr, 1);
  Mark(redraw);
}

void cSp_OrgTabPanelControl::SetupBodyColor(short tabNo, const RGBColor* colour,
                                            unsigned char redraw) {
  if (selector_.SetupBodyColor(tabNo, colour) == 0) return;
  // The body and the strip's base line and the tabs' highlights are mixed from it.
  selector_.SetupModifyDrawingRectAndFlag(nullptr, 1);
  Mark(redraw);
}

void cSp_OrgTabPanelControl::SetupTabIndividualBodyColorFlag(short tabNo, unsigned char flag,
                                                             unsigned char redraw) {
  selector_.SetupTabIndividualBodyColorFlag(tabNo, flag, redraw);
  Mark(redraw);
}

void cSp_OrgTabPanelControl::SetupTabHeight(short height, unsigned char redraw) {
  selector_.SetupTabHeight(height, 0);
  CalcurateTabControlArea(0);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrgTabPanelControl::SetupContentAreaFrameDrawFlag(short tabNo, unsigned char draw,
                                                           unsigned char redraw) {
  if (selector_.SetupContentAreaFrameDrawFlag(tabNo, draw) != 0) Mark(redraw);
}

unsigned char cSp_OrgTabPanelControl::SetupContentAreaFrameOffset(short tabNo,
                                                                  tPositionType position,
                                                                  short offset,
                                                                  unsigned char recalculate,
                                                                  unsigned char redraw) {
  const unsigned char changed = selector_.SetupContentAreaFrameOffset(tabNo, position, offset);
  if (changed != 0 && recalculate != 0) CalcurateContentAreaFromSelectedTab(redraw);
  return changed;
}

void cSp_OrgTabPanelControl::SetupContentAreaFrameType(short tabNo, t3DRectDrowType type,
                                                       unsigned char redraw) {
  if (selector_.SetupContentAreaFrameType(tabNo, type) != 0) MarkContentArea(redraw);
}

void cSp_OrgTabPanelControl::SetupContentAreaColor(short tabNo, const RGBColor* colour,
                                                   unsigned char redraw) {
  if (selector_.SetupContentAreaColor(tabNo, colour) != 0) MarkContentArea(redraw);
}
