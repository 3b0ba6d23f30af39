// Views painted by their clients, and the line view.
//
// cSp_DrawingView calls its client's procedures to paint: the content, the background (in
// translucent drawing that blends the background alone) and the translucency mask. Each gets
// the part of the view that shows, in the coordinates of the offscreen the view draws in
// (the current port while it runs). Before a client's objects go away it calls
// ExecDrawingViewObjDeleteReady(1): the view leaves every list and calls no procedure again.
//
// cSp_LineView draws a vertical and/or a horizontal line one pixel wide, by default centred
// and black. cSp_DrawMouseOperationView is a drawing view that is also a hot-spot area over
// the view's place on the window.
#pragma once

#include "SpHotSpotArea.h"
#include "SpStdDrawingFunction.h"
#include "SpViewClass.h"

typedef void (*tSpDrawingViewProcPtr)(unsigned long refCon, Rect* area);
typedef void (*tSpDrawingTransmitRateProcPtr)(unsigned long refCon, Rect* area, float rate);

class cSp_DrawingView : public cSp_View {
 public:
  cSp_DrawingView(WindowRef window, const Rect& area, tSpDrawingViewProcPtr drawingProc,
                  unsigned long refCon, cSp_View* container,
                  unsigned char drawInContainerOffscreen);
  ~cSp_DrawingView() override;

  // A null procedure switches that painting off.
  void SetupDrawingViewDrawingCallBack(tSpDrawingViewProcPtr proc, unsigned long refCon);
  void SetupDrawingViewDrawingBackgroundCallBack(tSpDrawingViewProcPtr proc,
                                                 unsigned long refCon);
  void SetupDrawingTransmitRateoffscreenCallBack(tSpDrawingTransmitRateProcPtr proc,
                                                 unsigned long refCon);

  // Each calls its procedure with the area and answers 1; 0 without a procedure.
  unsigned char DrawViewBackground() override;
  unsigned char DrawTransmitRateOffscreen(float rate) override;
  unsigned char UpdateProc() override;
  unsigned char InterruptDraw() override;

  // Once: with unlinkView the view's own delete-ready step first; then the content and
  // background procedures are forgotten.
  void ExecDrawingViewObjDeleteReady(unsigned char unlinkView);

  // The list of drawing views: link-to-next inserts a chain after this one, unlink-next cuts
  // the next one out and answers it.
  void LinkToDrawingViewItemNext(cSp_DrawingView* chain);
  cSp_DrawingView* UnlinkDrawingViewtItemNext();
  cSp_DrawingView* GetDrawingViewItemBeforeObjectPtr() const { return drawingViewLinks_.before; }
  cSp_DrawingView* GetDrawingViewItemNextObjectPtr() const { return drawingViewLinks_.next; }
  cSp_DrawingView* GetDrawingViewItemLastObjectPtr();

 private:
  // The part of the view that shows, in the coordinates of the offscreen it draws in.
  Rect ProcArea() const;

  sSpLinks<cSp_DrawingView> drawingViewLinks_;
  tSpDrawingViewProcPtr drawingProc_ = nullptr;
  unsigned long drawingRefCon_ = 0;
  tSpDrawingViewProcPtr backgroundProc_ = nullptr;
  unsigned long backgroundRefCon_ = 0;
  tSpDrawingTransmitRateProcPtr transmitRateProc_ = nullptr;
  unsigned long transmitRateRefCon_ = 0;
  unsigned char deleteReady_ = 0;
};

class cSp_LineView : public cSp_View {
 public:
  cSp_LineView(WindowRef window, const Rect& area, unsigned char verticalLine,
               unsigned char horizontalLine, cSp_View* container,
               unsigned char drawInContainerOffscreen);

  // The lines, in the offscreen area: the vertical one at the left, right or centre column,
  // the horizontal one at the top, bottom or middle row (halves rounded toward zero).
  unsigned char UpdateProc() override;
  // Paints the background colour when asked to.
  unsigned char DrawViewBackground() override;

 private:
  void StartUpInitialize();

  unsigned char verticalLine_ = 1;
  unsigned char horizontalLine_ = 1;
  RGBColor verticalColour_{0, 0, 0};
  RGBColor horizontalColour_{0, 0, 0};
  RGBColor backgroundColour_{0, 0, 0};
  unsigned char paintBackground_ = 0;
  tPositionType verticalPosition_ = kSpPositionCenter;
  tPositionType horizontalPosition_ = kSpPositionCenter;
  short verticalThickness_ = 1;
  short horizontalThickness_ = 1;
};

class cSp_DrawMouseOperationView : public cSp_DrawingView, public cSp_HotSpotArea {
 public:
  cSp_DrawMouseOperationView(WindowRef window, const Rect& area, tSpDrawingViewProcPtr proc,
                             cSp_View* container, unsigned char drawInContainerOffscreen);

  // The hot-spot area follows the view's place on the window.
  void AfterContainerMoveExecute(cSp_View* container, short newLeft, short newTop, short dh,
                                 short dv) override;
  void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                   short dWidth, short dHeight) override;

 private:
  void FollowViewArea();
};
