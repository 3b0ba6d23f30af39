// Showing and playing a movie file, shared by several views.
//
// cSp_QTMovieFileObj owns one movie and the records of its users (cSp_QTShareUser, one per
// view that shows it). The first user becomes the current one at once; the movie draws in
// the current user's port, and the others show still pictures of it. While it plays the
// object stays on the running-movie list, whose idle timer services the movie.
// The views that show it (SpQTMovieView.h) remove their users before the movie object is
// deleted.
#pragma once

#include "MacTypes.h"
#include "MoviePlayback.h"
#include "Movies.h"
#include "QuickDraw.h"
#include "SpPositionType.h"
#include "SpQTInterface.h"
#include "SpQTUserObject.h"

class cSp_QTMovieFileObj : public cSpQTOnExecuteMovieLinks<cSp_QTMovieFileObj> {
 public:
  explicit cSp_QTMovieFileObj(GrafPtr defaultPort);
  // Off the running list, the users and the movie disposed.
  ~cSp_QTMovieFileObj();
  cSp_QTMovieFileObj(const cSp_QTMovieFileObj&) = delete;
  cSp_QTMovieFileObj& operator=(const cSp_QTMovieFileObj&) = delete;

  // A null name is a failure (nothing stored). Names longer than the buffer are cut.
  void SetupFileInfo(short vRefNum, SInt32 dirID, const char* name);
  // Opens the file: the movie keeps its natural box, draws in the default port (or the
  // current one) and starts hidden.
  void InitializeInfo();

  // The movie box becomes empty; 1 (0 and a failure without a movie).
  unsigned char HideMovieArea();
  unsigned char GetHideNowFlag() const { return hidden_; }
  // Shows the movie in `area` of the port: stretched to it with fit, else at its natural size
  // placed by the positions and clipped to the area (and to `clip` when given). Nothing while
  // it plays.
  void OpenMovieArea(GrafPtr port, const Rect& area, tPositionType horizontal,
                     tPositionType vertical, unsigned char fit, RgnHandle clip);
  void GetCurrentPosit(TimeRecord& time);
  void SetCurrentPosit(TimeRecord& time);
  void PreLoadCash();

  // Plays from the start with the time base flags (nothing while a play runs); with wait,
  // returns when it is done.
  void StartMoviePlay(SInt32 timeBaseFlags, unsigned char wait);
  void StopMoviePlay();
  unsigned char PlayMoviePlayNow();
  void GoToBeginning();
  void GoToEnd();

  // ---- Users ----
  // A new user drawing in the port: its id (1, 2, 3 …), 0 when the record cannot be made.
  SInt32 NewUser(GrafPtr port);
  void DeleteUser(SInt32 id);
  unsigned char CheckCurrentUser(SInt32 id) const;
  void SetupCurrentUser(SInt32 id, unsigned char callOff, unsigned char callBecome);
  void SetupCurrentUserItem(cSp_QTShareUser* user, unsigned char callOff, unsigned char callBecome);
  void SetupOffCurrentUserProc(SInt32 id, tSpQTUserProcPtr proc, unsigned long refCon);

  // ---- Pictures: the caller owns them (KillPicture); null without a movie or video ----
  PicHandle GetTargetTimePictureH(SInt32 time);
  PicHandle GetCurrentTimePictureH();
  OSErr UpdateMovieForUpdateEvent();

  unsigned char IsReady() const { return ready_; }
  Movie GetMovie() const { return movie_; }
  void GetNaturalBox(Rect& box) const { box = naturalBox_; }

 private:
  // The port's device, read while the port is current.
  static GDHandle DeviceOf(GrafPtr port);
  void GiveMovieThePort(GrafPtr port);

  GrafPtr defaultPort_ = nullptr;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
  char name_[512] = {};
  unsigned char ready_ = 0;
  Rect naturalBox_{0, 0, 0, 0};
  unsigned char hidden_ = 0;
  Movie movie_ = nullptr;
  unsigned char playing_ = 0;
  SInt32 lastUserId_ = 0;
  cSp_QTShareUser* firstUser_ = nullptr;
  cSp_QTShareUser* lastUser_ = nullptr;
  cSp_QTShareUser* currentUser_ = nullptr;
};

// Where a box of width x height goes in `area` by the positions: left, right or centred
// (rounding toward zero), top, bottom or centred.
Rect SpQTM_PlaceBoxInArea(const Rect& area, short width, short height, tPositionType horizontal,
                          tPositionType vertical);
