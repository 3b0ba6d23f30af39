#include "SpDrawingView.h"

#include "SpStdDrawingFunctionInternal.h"
#include "SpViewInternal.h"

using namespace sp_view_detail;

// ---- Drawing view ---------------------------------------------------------------------------

cSp_DrawingView::cSp_DrawingView(WindowRef window, const Rect& area,
                                 tSpDrawingViewProcPtr drawingProc, unsigned long refCon,
                                 cSp_View* container, unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen),
      drawingProc_(drawingProc),
      drawingRefCon_(refCon) {}

cSp_DrawingView::~cSp_DrawingView() {
  if (deleteReady_ == 0) ExecDrawingViewObjDeleteReady(0);
}

void cSp_DrawingView::SetupDrawingViewDrawingCallBack(tSpDrawingViewProcPtr proc,
                                                      unsigned long refCon) {
  drawingProc_ = proc;
  drawingRefCon_ = refCon;
}

void cSp_DrawingView::SetupDrawingViewDrawingBackgroundCallBack(tSpDrawingViewProcPtr proc,
                                                                unsigned long refCon) {
  backgroundProc_ = proc;
  backgroundRefCon_ = refCon;
}

void cSp_DrawingView::SetupDrawingTransmitRateoffscreenCallBack(
    tSpDrawingTransmitRateProcPtr proc, unsigned long refCon) {
  transmitRateProc_ = proc;
  transmitRateRefCon_ = refCon;
}

Rect cSp_DrawingView::ProcArea() const {
  Rect onWindow{0, 0, 0, 0}, area{0, 0, 0, 0};
  GetViewableDrawingAreaOnWindow(onWindow);
  OnWindowRectToOffscreenRect(onWindow, area);
  return area;
}

unsigned char cSp_DrawingView::UpdateProc() {
  if (drawingProc_ == nullptr) return 0;
  Rect area = ProcArea();
  drawingProc_(drawingRefCon_, &area);
  return 1;
}

unsigned char cSp_DrawingView::InterruptDraw() {
  return UpdateProc();
}

unsigned char cSp_DrawingView::DrawViewBackground() {
  if (backgroundProc_ == nullptr) return 0;
  Rect area = ProcArea();
  backgroundProc_(backgroundRefCon_, &area);
  return 1;
}

unsigned char cSp_DrawingView::DrawTransmitRateOffscreen(float rate) {
  if (transmitRateProc_ == nullptr) return 0;
  Rect area = ProcArea();
  transmitRateProc_(transmitRateRefCon_, &area, rate);
  return 1;
}

void cSp_DrawingView::ExecDrawingViewObjDeleteReady(unsigned char unlinkView) {
  if (deleteReady_ != 0) return;
  if (unlinkView != 0) ExecViewObjDeleteReady();
  drawingProc_ = nullptr;
  backgroundProc_ = nullptr;
  deleteReady_ = 1;
}

void cSp_DrawingView::LinkToDrawingViewItemNext(cSp_DrawingView* chain) {
  LinkChainAfter(this, chain, &cSp_DrawingView::drawingViewLinks_);
}

cSp_DrawingView* cSp_DrawingView::UnlinkDrawingViewtItemNext() {
  return UnlinkNextOf(this, &cSp_DrawingView::drawingViewLinks_);
}

cSp_DrawingView* cSp_DrawingView::GetDrawingViewItemLastObjectPtr() {
  return LastOf(this, &cSp_DrawingView::drawingViewLinks_);
}

// ---- Line view ------------------------------------------------------------------------------

cSp_LineView::cSp_LineView(WindowRef window, const Rect& area, unsigned char verticalLine,
                           unsigned char horizontalLine, cSp_View* container,
                           unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen) {
  StartUpInitialize();
  verticalLine_ = verticalLine;
  horizontalLine_ = horizontalLine;
}

void cSp_LineView::StartUpInitialize() {
  verticalLine_ = horizontalLine_ = 1;
  verticalColour_ = horizontalColour_ = backgroundColour_ = RGBColor{0, 0, 0};
  paintBackground_ = 0;
  verticalPosition_ = horizontalPosition_ = kSpPositionCenter;
  verticalThickness_ = horizontalThickness_ = 1;
}

unsigned char cSp_LineView::UpdateProc() {
  Rect r;
  GetOffscreenArea(&r);
  sp_drawing_detail::SavedPenAndColor saved;
  // A line at the right or bottom edge takes the last column or row inside the view: the
  // edge itself lies outside it.
  if (verticalLine_ != 0) {
    const short x = verticalPosition_ == kSpPositionLeft    ? r.left
                    : verticalPosition_ == kSpPositionRight ? short(r.right - verticalThickness_)
                                                            : short((r.left + r.right) / 2);
    RGBForeColor(&verticalColour_);
    PenNormal();
    PenSize(verticalThickness_, verticalThickness_);
    MoveTo(x, r.top);
    LineTo(x, r.bottom);
  }
  if (horizontalLine_ != 0) {
    const short y = horizontalPosition_ == kSpPositionTop ? r.top
                    : horizontalPosition_ == kSpPositionBottom
                        ? short(r.bottom - horizontalThickness_)
                        : short((r.top + r.bottom) / 2);
    RGBForeColor(&horizontalColour_);
    PenNormal();
    PenSize(horizontalThickness_, horizontalThickness_);
    MoveTo(r.left, y);
    LineTo(r.right, y);
  }
  return 1;
}

unsigned char cSp_LineView::DrawViewBackground() {
  if (paintBackground_ != 0) {
    Rect r;
    GetOffscreenArea(&r);
    sp_drawing_detail::SavedPenAndColor saved;
    RGBForeColor(&backgroundColour_);
    PaintRect(&r);
  }
  return 1;
}

// ---- Draw-mouse-operation view --------------------------------------------------------------

cSp_DrawMouseOperationView::cSp_DrawMouseOperationView(WindowRef window, const Rect& area,
                                                       tSpDrawingViewProcPtr proc,
                                                       cSp_View* container,
                                                       unsigned char drawInContainerOffscreen)
    : cSp_DrawingView(window, area, proc, 0, container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  // The area of a contained view is in its container's content: the hot spot takes its place
  // on the window.
  FollowViewArea();
}

void cSp_DrawMouseOperationView::FollowViewArea() {
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  SetupHotSpotArea(onWindow);
}

void cSp_DrawMouseOperationView::AfterContainerMoveExecute(cSp_View*, short, short, short,
                                                           short) {
  FollowViewArea();
}

void cSp_DrawMouseOperationView::AfterContainerResizeExecute(cSp_View*, short, short, short,
                                                             short) {
  FollowViewArea();
}
