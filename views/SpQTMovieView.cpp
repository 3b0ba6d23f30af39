#include "SpQTMovieView.h"

#include <new>

#include "SpErrorInfoSystem.h"

namespace {

// The view logs under the movie object's file name, as the movie it shows does.
const char kSource[] = "SpQTMovieObject";

cSp_QTMovieViewObj* ViewOf(unsigned long refCon, const char* method) {
  if (refCon == 0) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument,
                           static_cast<cSp_QTMovieViewObj*>(nullptr));
  }
  return reinterpret_cast<cSp_QTMovieViewObj*>(refCon);
}

}  // namespace

cSp_QTMovieViewObj::cSp_QTMovieViewObj(cSp_QTMovieFileObj* movie, WindowRef window,
                                       const Rect& area, cSp_View* container,
                                       unsigned char drawInContainerOffscreen,
                                       tPositionType horizontal, tPositionType vertical,
                                       unsigned char fit, RgnHandle clip, SInt32 timeBaseFlags)
    : movie_(movie),
      horizontal_(horizontal),
      vertical_(vertical),
      fit_(fit),
      timeBaseFlags_(timeBaseFlags) {
  const char* const method = "cSp_QTMovieViewObj::cSp_QTMovieViewObj";
  if (clip != nullptr) {
    clip_ = NewRgn();
    if (clip_ == nullptr) {
      SpReportFailure(kSource, method, 1, kSpMsgMemory);
    } else {
      CopyRgn(clip, clip_);
    }
  }
  drawingView_ = new (std::nothrow)
      cSp_DrawingView(window, area, SpQTMView_CatchDrawingCB, reinterpret_cast<unsigned long>(this),
                      container, drawInContainerOffscreen);
  if (drawingView_ == nullptr) {
    SpReportFailure(kSource, method, 2, kSpMsgMemory);
    return;
  }
  drawingView_->SetupNotifyUpdateEventCB(SpQTMView_UpdateEventCB,
                                         reinterpret_cast<unsigned long>(this));
  drawingView_->GetDrawingAreaOnWindow(&area_);
  if (movie_ != nullptr) {
    userId_ = movie_->NewUser(GetWindowPort(window));
    movie_->SetupOffCurrentUserProc(userId_, SpQTMView_CatchOffMovieCurrentUserCB,
                                    reinterpret_cast<unsigned long>(this));
  }
  drawingView_->DisableViewOutput(0);
}

cSp_QTMovieViewObj::~cSp_QTMovieViewObj() {
  if (movie_ != nullptr && userId_ != 0) {
    if (movie_->CheckCurrentUser(userId_) != 0) movie_->StopMoviePlay();
    movie_->DeleteUser(userId_);
  }
  if (drawingView_ != nullptr) {
    drawingView_->ExecDrawingViewObjDeleteReady(1);
    delete drawingView_;
  }
  drawingView_ = nullptr;
  if (clip_ != nullptr) DisposeRgn(clip_);
  clip_ = nullptr;
  ReleasePicture();
}

void cSp_QTMovieViewObj::ReleasePicture() {
  if (picture_ != nullptr) KillPicture(picture_);
  picture_ = nullptr;
}

void cSp_QTMovieViewObj::EnableMovieView(unsigned char redraw, unsigned char dropPicture) {
  if (enabled_ != 0 || drawingView_ == nullptr) return;
  if (movie_ != nullptr) {
    Rect onWindow;
    drawingView_->GetDrawingAreaOnWindow(&onWindow);
    movie_->OpenMovieArea(GetWindowPort(drawingView_->GetTargetWindowPtr()), onWindow, horizontal_,
                          vertical_, fit_, clip_);
  }
  if (dropPicture != 0) ReleasePicture();
  drawingView_->EnableViewOutput(redraw);
  enabled_ = 1;
}

void cSp_QTMovieViewObj::DisableMovieView(unsigned char redraw, unsigned char dropPicture) {
  if (enabled_ == 0 || drawingView_ == nullptr) return;
  if (movie_ != nullptr && movie_->CheckCurrentUser(userId_) != 0) {
    if (movie_->PlayMoviePlayNow() != 0) movie_->StopMoviePlay();
    movie_->HideMovieArea();
  }
  if (dropPicture != 0) ReleasePicture();
  drawingView_->DisableViewOutput(redraw);
  enabled_ = 0;
}

void cSp_QTMovieViewObj::StartMovieView(unsigned char now) {
  if (movie_ == nullptr || enabled_ == 0 || drawingView_ == nullptr) return;
  const bool current = movie_->CheckCurrentUser(userId_) != 0;
  if (current && movie_->PlayMoviePlayNow() != 0) return;
  if (!current) movie_->SetupCurrentUser(userId_, 1, 0);
  if (now == 0) {
    startOnDraw_ = 1;
    return;
  }
  drawingView_->SetupModifyDrawingRectAndFlag(nullptr, 1);
  drawingView_->ReDrawAreaUpdateView(0);
  if (movie_->GetHideNowFlag() != 0) {
    movie_->OpenMovieArea(GetWindowPort(drawingView_->GetTargetWindowPtr()), area_, horizontal_,
                          vertical_, fit_, clip_);
  }
  movie_->StartMoviePlay(timeBaseFlags_, 0);
  startOnDraw_ = 0;
}

void cSp_QTMovieViewObj::StopMovieView() {
  if (movie_ == nullptr || enabled_ == 0) return;
  if (movie_->CheckCurrentUser(userId_) != 0 && movie_->PlayMoviePlayNow() != 0) {
    movie_->StopMoviePlay();
  }
}

void cSp_QTMovieViewObj::ResizeTargetArea(const Rect& area) {
  if (drawingView_ == nullptr) return;
  drawingView_->ResizeViewArea(area, 0, 0);
  // The movie is placed again in the view's new place.
  drawingView_->GetDrawingAreaOnWindow(&area_);
}

void cSp_QTMovieViewObj::DrawMoviePicture(Rect* rect, unsigned char refresh) {
  if (movie_ == nullptr || rect == nullptr) return;
  if (refresh != 0 || picture_ == nullptr) {
    ReleasePicture();
    picture_ = movie_->CheckCurrentUser(userId_) != 0 ? movie_->GetCurrentTimePictureH()
                                                      : movie_->GetTargetTimePictureH(0);
  }
  if (picture_ == nullptr) return;
  if (fit_ != 0) {
    DrawPicture(picture_, rect);
    return;
  }
  Rect frame;
  if (QDGetPictureBounds(picture_, &frame) == nullptr) return;
  const Rect at = SpQTM_PlaceBoxInArea(*rect, short(frame.right - frame.left),
                                       short(frame.bottom - frame.top), horizontal_, vertical_);
  DrawPicture(picture_, &at);
}

void cSp_QTMovieViewObj::CatchDrawingCB(Rect* rect) {
  if (drawingView_ == nullptr) {
    SpReportFailure(kSource, "cSp_QTMovieViewObj::CatchDrawingCB", 1, kSpMsgDataError);
    return;
  }
  if (movie_ == nullptr) return;
  DrawMoviePicture(rect, 1);
  if (startOnDraw_ != 0 && movie_->CheckCurrentUser(userId_) != 0) {
    movie_->StartMoviePlay(timeBaseFlags_, 0);
    startOnDraw_ = 0;
  }
}

void cSp_QTMovieViewObj::CatchOffMovieCurrentUserCB() {
  ReleasePicture();
  if (movie_ != nullptr) picture_ = movie_->GetTargetTimePictureH(0);
}

OSErr cSp_QTMovieViewObj::UpdateEventCB() {
  if (enabled_ == 0 || movie_ == nullptr || movie_->CheckCurrentUser(userId_) == 0 ||
      movie_->PlayMoviePlayNow() == 0) {
    return 0;
  }
  return movie_->UpdateMovieForUpdateEvent();
}

void SpQTMView_CatchDrawingCB(unsigned long refCon, Rect* rect) {
  if (cSp_QTMovieViewObj* view = ViewOf(refCon, "SpQTMView_CatchDrawingCB")) {
    view->CatchDrawingCB(rect);
  }
}

void SpQTMView_CatchOffMovieCurrentUserCB(unsigned long refCon) {
  if (cSp_QTMovieViewObj* view = ViewOf(refCon, "SpQTMView_CatchOffMovieCurrentUserCB")) {
    view->CatchOffMovieCurrentUserCB();
  }
}

void SpQTMView_UpdateEventCB(unsigned long refCon) {
  if (cSp_QTMovieViewObj* view = ViewOf(refCon, "SpQTMView_UpdateEventCB")) {
    view->UpdateEventCB();
  }
}
