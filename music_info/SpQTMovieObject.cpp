#include "SpQTMovieObject.h"

#include <cstring>
#include <new>

#include "OSUtils.h"
#include "SpErrorInfoSystem.h"
#include "SpQTSoundObject.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpQTMovieObject";
const char kMsgUserId[] = "User Id maching Error !! ";

// Pictures are taken this far into the movie (its time units), past a blank first frame.
constexpr SInt32 kPictureTimeOffset = 50;

// A region released when the scope ends.
class cRegion {
 public:
  cRegion() : rgn_(NewRgn()) {}
  ~cRegion() {
    if (rgn_ != nullptr) DisposeRgn(rgn_);
  }
  cRegion(const cRegion&) = delete;
  cRegion& operator=(const cRegion&) = delete;
  operator RgnHandle() const { return rgn_; }
  bool Ok() const { return rgn_ != nullptr; }

 private:
  RgnHandle rgn_;
};

}  // namespace

Rect SpQTM_PlaceBoxInArea(const Rect& area, short width, short height, tPositionType horizontal,
                          tPositionType vertical) {
  Rect box;
  if (horizontal == kSpPositionLeft) {
    box.left = area.left;
  } else if (horizontal == kSpPositionRight) {
    box.left = short(area.right - width);
  } else {
    box.left = short((area.left + area.right - width) / 2);
  }
  box.right = short(box.left + width);
  if (vertical == kSpPositionTop) {
    box.top = area.top;
  } else if (vertical == kSpPositionBottom) {
    box.top = short(area.bottom - height);
  } else {
    box.top = short((area.top + area.bottom - height) / 2);
  }
  box.bottom = short(box.top + height);
  return box;
}

// ---- The movie ------------------------------------------------------------------------------

cSp_QTMovieFileObj::cSp_QTMovieFileObj(GrafPtr defaultPort) : defaultPort_(defaultPort) {}

cSp_QTMovieFileObj::~cSp_QTMovieFileObj() {
  if (SpQTM_CheckTargetOnExecutedMovieItemList(this) != 0) {
    SpQTM_UnlinkOnExecutedMovieItemList(this);
    if (Sp_Is_CarbonEvent_ModeEnable()) SpQT_DisableIdleEvent();
  }
  // Users left behind by their views go with the movie.
  for (cSp_QTShareUser* user = firstUser_; user != nullptr;) {
    cSp_QTShareUser* next = user->GetNextObjectPtr();
    delete user;
    user = next;
  }
  firstUser_ = lastUser_ = currentUser_ = nullptr;
  if (ready_ != 0 && movie_ != nullptr) DisposeMovie(movie_);
  movie_ = nullptr;
}

void cSp_QTMovieFileObj::SetupFileInfo(short vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr) {
    SpReportFailure(kSource, "cSp_QTMovieFileObj::SetupFileInfo", 1, kSpMsgNullArgument);
    return;
  }
  vRefNum_ = vRefNum;
  dirID_ = dirID;
  std::strncpy(name_, name, sizeof(name_) - 1);
  name_[sizeof(name_) - 1] = '\0';
}

GDHandle cSp_QTMovieFileObj::DeviceOf(GrafPtr port) {
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  SetPort(port);
  CGrafPtr current = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&current, &device);
  SetGWorld(savedPort, savedDevice);
  return device;
}

void cSp_QTMovieFileObj::GiveMovieThePort(GrafPtr port) {
  if (port != nullptr) {
    SetMovieGWorld(movie_, port, DeviceOf(port));
    return;
  }
  CGrafPtr current = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&current, &device);
  SetMovieGWorld(movie_, current, device);
}

void cSp_QTMovieFileObj::InitializeInfo() {
  if (movie_ != nullptr) {
    // Opening again lets go of the movie opened before.
    if (playing_ != 0) StopMoviePlay();
    DisposeMovie(movie_);
    movie_ = nullptr;
    ready_ = 0;
  }
  Movie movie = SpQTI_OpenMovieOfFileToPlay(vRefNum_, dirID_, name_);
  if (movie == nullptr) return;
  movie_ = movie;
  GetMovieBox(movie_, &naturalBox_);
  GiveMovieThePort(defaultPort_);
  HideMovieArea();
  ready_ = 1;
}

unsigned char cSp_QTMovieFileObj::HideMovieArea() {
  if (movie_ == nullptr) {
    return SpReportFailure(kSource, "cSp_QTMovieFileObj::HideMovieArea", 1, kSpMsgDataError,
                           static_cast<unsigned char>(0));
  }
  const Rect none{0, 0, 0, 0};
  SetMovieBox(movie_, &none);
  hidden_ = 1;
  return 1;
}

void cSp_QTMovieFileObj::OpenMovieArea(GrafPtr port, const Rect& area, tPositionType horizontal,
                                       tPositionType vertical, unsigned char fit, RgnHandle clip) {
  const char* const method = "cSp_QTMovieFileObj::OpenMovieArea";
  if (movie_ == nullptr || PlayMoviePlayNow() != 0) return;
  GiveMovieThePort(port);
  cRegion shown;
  if (!shown.Ok()) {
    SpReportFailure(kSource, method, 1, kSpMsgMemory);
    return;
  }
  RgnHandle existing = GetMovieDisplayClipRgn(movie_);
  if (fit != 0) {
    SetMovieBox(movie_, &area);
    if (clip != nullptr) {
      CopyRgn(clip, shown);
      if (existing != nullptr) SectRgn(shown, existing, shown);
      SetMovieDisplayClipRgn(movie_, shown);
    }
  } else {
    const short width = short(naturalBox_.right - naturalBox_.left);
    const short height = short(naturalBox_.bottom - naturalBox_.top);
    const Rect box = SpQTM_PlaceBoxInArea(area, width, height, horizontal, vertical);
    SetMovieBox(movie_, &box);
    const bool fits = width <= area.right - area.left && height <= area.bottom - area.top;
    if (!fits || clip != nullptr) {
      Rect inside;
      if (SectRect(&box, &area, &inside)) {
        RectRgn(shown, &inside);
      } else {
        SetEmptyRgn(shown);
      }
      if (clip != nullptr) SectRgn(shown, clip, shown);
      if (existing != nullptr) SectRgn(shown, existing, shown);
      SetMovieDisplayClipRgn(movie_, shown);
    }
  }
  if (existing != nullptr) DisposeRgn(existing);
  hidden_ = 0;
}

void cSp_QTMovieFileObj::GetCurrentPosit(TimeRecord& time) {
  if (movie_ == nullptr) {
    SpReportFailure(kSource, "cSp_QTMovieFileObj::GetCurrentPosit", 1, kSpMsgDataError);
    return;
  }
  GetMovieTime(movie_, &time);
}

void cSp_QTMovieFileObj::SetCurrentPosit(TimeRecord& time) {
  if (movie_ == nullptr) {
    SpReportFailure(kSource, "cSp_QTMovieFileObj::SetCurrentPosit", 1, kSpMsgDataError);
    return;
  }
  SetMovieTime(movie_, &time);
}

void cSp_QTMovieFileObj::PreLoadCash() {
  if (ready_ != 0) PrerollMovie(movie_, 0, Long2Fix(1));
}

void cSp_QTMovieFileObj::StartMoviePlay(SInt32 timeBaseFlags, unsigned char wait) {
  if (ready_ == 0 || movie_ == nullptr || PlayMoviePlayNow() != 0) return;
  GoToBeginningOfMovie(movie_);
  SetTimeBaseFlags(GetMovieTimeBase(movie_), timeBaseFlags);
  if (LoadMovieIntoRam(movie_, 0, GetMovieDuration(movie_), keepInRam) != noErr) SysBeep(10);
  StartMovie(movie_);
  playing_ = 1;
  if (wait != 0) {
    SpQTM_WaitUntilMovieDone(movie_);
    playing_ = 0;
  }
  SpQTI_EnableIdleEvent();
  if (SpQTM_CheckTargetOnExecutedMovieItemList(this) == 0) {
    SpQTM_SetupOnExecutedMovieItemList(this);
  }
}

void cSp_QTMovieFileObj::StopMoviePlay() {
  if (movie_ == nullptr) return;
  StopMovie(movie_);
  playing_ = 0;
  if (SpQTM_CheckTargetOnExecutedMovieItemList(this) != 0) {
    SpQTM_UnlinkOnExecutedMovieItemList(this);
    if (Sp_Is_CarbonEvent_ModeEnable()) SpQT_DisableIdleEvent();
  }
}

unsigned char cSp_QTMovieFileObj::PlayMoviePlayNow() {
  if (ready_ == 0 || playing_ == 0 || movie_ == nullptr) return 0;
  if (IsMovieDone(movie_) != 0) {
    playing_ = 0;
    return 0;
  }
  return 1;
}

void cSp_QTMovieFileObj::GoToBeginning() {
  if (ready_ != 0) GoToBeginningOfMovie(movie_);
}

void cSp_QTMovieFileObj::GoToEnd() {
  if (ready_ != 0) GoToEndOfMovie(movie_);
}

// ---- Users ----------------------------------------------------------------------------------

SInt32 cSp_QTMovieFileObj::NewUser(GrafPtr port) {
  const SInt32 id = ++lastUserId_;
  cSp_QTShareUser* user = new (std::nothrow) cSp_QTShareUser(id, port);
  if (user == nullptr) {
    return SpReportFailure(kSource, "cSp_QTMovieFileObj::NewUser", 1, kSpMsgMemory, SInt32(0));
  }
  if (firstUser_ == nullptr) {
    firstUser_ = lastUser_ = user;
    SetupCurrentUserItem(user, 0, 0);
  } else {
    lastUser_->LinkToNext(user);
    lastUser_ = user;
  }
  return id;
}

void cSp_QTMovieFileObj::DeleteUser(SInt32 id) {
  const char* const method = "cSp_QTMovieFileObj::DeleteUser";
  cSp_QTShareUser* user = firstUser_ != nullptr ? firstUser_->SerchTargetUserIdObject(id) : nullptr;
  if (user == nullptr) {
    SpReportFailure(kSource, method, 1, kMsgUserId);
    return;
  }
  cSp_QTShareUser* before = user->GetBeforeObjectPtr();
  cSp_QTShareUser* after = user->GetNextObjectPtr();
  if ((before == nullptr) != (user == firstUser_) || (after == nullptr) != (user == lastUser_)) {
    SpReportFailure(kSource, method, 2, kSpMsgDataError);
    return;
  }
  user->UnlinkSelf();
  if (user == firstUser_) firstUser_ = after;
  if (user == lastUser_) lastUser_ = before;
  const bool wasCurrent = user == currentUser_;
  delete user;
  if (movie_ != nullptr) HideMovieArea();
  if (!wasCurrent) return;
  currentUser_ = after != nullptr ? after : before;
  if (movie_ == nullptr) return;
  GiveMovieThePort(currentUser_ != nullptr ? currentUser_->GetTargetGrafPtr() : nullptr);
}

unsigned char cSp_QTMovieFileObj::CheckCurrentUser(SInt32 id) const {
  return currentUser_ != nullptr && currentUser_->CheckUserId(id) != 0 ? 1 : 0;
}

void cSp_QTMovieFileObj::SetupCurrentUser(SInt32 id, unsigned char callOff,
                                          unsigned char callBecome) {
  cSp_QTShareUser* user = firstUser_ != nullptr ? firstUser_->SerchTargetUserIdObject(id) : nullptr;
  if (user == nullptr) {
    SpReportFailure(kSource, "cSp_QTMovieFileObj::SetupCurrentUser", 1, kSpMsgDataError);
    return;
  }
  SetupCurrentUserItem(user, callOff, callBecome);
}

void cSp_QTMovieFileObj::SetupCurrentUserItem(cSp_QTShareUser* user, unsigned char callOff,
                                              unsigned char callBecome) {
  if (user == nullptr || user->GetTargetGrafPtr() == nullptr) {
    SpReportFailure(kSource, "cSp_QTMovieFileObj::SetupCurrentUserItem", 1, kSpMsgDataError);
    return;
  }
  if (user == currentUser_) return;
  if (callOff != 0 && currentUser_ != nullptr) currentUser_->ExecuteOffCurrentUserProc();
  if (movie_ != nullptr) GiveMovieThePort(user->GetTargetGrafPtr());
  currentUser_ = user;
  if (callBecome != 0) user->ExecuteBecomCurrentUserProc();
}

void cSp_QTMovieFileObj::SetupOffCurrentUserProc(SInt32 id, tSpQTUserProcPtr proc,
                                                 unsigned long refCon) {
  cSp_QTShareUser* user = firstUser_ != nullptr ? firstUser_->SerchTargetUserIdObject(id) : nullptr;
  if (user == nullptr) {
    SpReportFailure(kSource, "cSp_QTMovieFileObj::SetupOffCurrentUserProc", 1, kSpMsgDataError);
    return;
  }
  user->SetupOffCurrentUserProc(proc, refCon);
}

// ---- Pictures -------------------------------------------------------------------------------

PicHandle cSp_QTMovieFileObj::GetTargetTimePictureH(SInt32 time) {
  if (movie_ == nullptr) {
    return SpReportFailure(kSource, "cSp_QTMovieFileObj::GetTargetTimePictureH", 1, kSpMsgDataError,
                           static_cast<PicHandle>(nullptr));
  }
  return GetMoviePict(movie_, time + kPictureTimeOffset);
}

PicHandle cSp_QTMovieFileObj::GetCurrentTimePictureH() {
  if (movie_ == nullptr) {
    return SpReportFailure(kSource, "cSp_QTMovieFileObj::GetCurrentTimePictureH", 1,
                           kSpMsgDataError, static_cast<PicHandle>(nullptr));
  }
  return GetMoviePict(movie_, GetMovieTime(movie_, nullptr) + kPictureTimeOffset);
}

OSErr cSp_QTMovieFileObj::UpdateMovieForUpdateEvent() {
  if (movie_ == nullptr) {
    return SpReportFailure(kSource, "cSp_QTMovieFileObj::UpdateMovieForUpdateEvent", 1,
                           kSpMsgDataError, OSErr(paramErr));
  }
  return UpdateMovie(movie_);
}
