// A movie shown in a window of the view framework.
//
// cSp_QTMovieViewObj is a drawing view that paints a still picture of a movie file object
// (placed by two positions, or stretched), and one user of that movie. While it is the
// current user the movie itself plays in its area; when another view takes the movie over, it
// falls back to the picture at the movie's start. Every view removes its user before the
// movie object is deleted.
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpDrawingView.h"
#include "SpPositionType.h"
#include "SpQTMovieObject.h"

class cSp_QTMovieViewObj {
 public:
  // The view starts disabled, with a user on the movie (the movie's first user becomes its
  // current one).
  cSp_QTMovieViewObj(cSp_QTMovieFileObj* movie, WindowRef window, const Rect& area,
                     cSp_View* container, unsigned char drawInContainerOffscreen,
                     tPositionType horizontal, tPositionType vertical, unsigned char fit,
                     RgnHandle clip, SInt32 timeBaseFlags);
  ~cSp_QTMovieViewObj();
  cSp_QTMovieViewObj(const cSp_QTMovieViewObj&) = delete;
  cSp_QTMovieViewObj& operator=(const cSp_QTMovieViewObj&) = delete;

  void EnableMovieView(unsigned char redraw, unsigned char dropPicture);
  void DisableMovieView(unsigned char redraw, unsigned char dropPicture);
  unsigned char IsEnableMovieView() const { return enabled_; }
  // Makes this view the movie's current user and plays the movie in it: now, or at the next
  // drawing of the view.
  void StartMovieView(unsigned char now);
  void StopMovieView();
  void ResizeTargetArea(const Rect& area);
  // Draws the still picture into rect: the one held, or with refresh a new one (the current
  // time's while this view is the current user, else the start's).
  void DrawMoviePicture(Rect* rect, unsigned char refresh);

  void CatchDrawingCB(Rect* rect);
  void CatchOffMovieCurrentUserCB();
  OSErr UpdateEventCB();

  cSp_DrawingView* GetDrawingView() const { return drawingView_; }
  SInt32 GetUserId() const { return userId_; }

 private:
  void ReleasePicture();

  unsigned char enabled_ = 0;
  cSp_DrawingView* drawingView_ = nullptr;
  cSp_QTMovieFileObj* movie_ = nullptr;
  SInt32 userId_ = 0;
  tPositionType horizontal_ = kSpPositionCenter;
  tPositionType vertical_ = kSpPositionCenter;
  unsigned char fit_ = 0;
  Rect area_{0, 0, 0, 0};
  RgnHandle clip_ = nullptr;
  SInt32 timeBaseFlags_ = 0;
  unsigned char startOnDraw_ = 0;
  PicHandle picture_ = nullptr;
};

// The view's callbacks; each takes the view as its reference value.
void SpQTMView_CatchDrawingCB(unsigned long refCon, Rect* rect);
void SpQTMView_CatchOffMovieCurrentUserCB(unsigned long refCon);
void SpQTMView_UpdateEventCB(unsigned long refCon);
