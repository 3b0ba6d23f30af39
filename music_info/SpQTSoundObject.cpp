#include "SpQTSoundObject.h"

#include <cstring>

#include "Clock.h"
#include "OSUtils.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpQTSoundObject";

constexpr OSType kMusicMediaType = SpFourCC("musi");

}  // namespace

void SpQTM_WaitUntilMovieDone(Movie movie) {
  const TimeScale scale = GetMovieTimeScale(movie);
  const SInt64 duration = GetMovieDuration(movie);
  // One pass of the movie in ticks, and a little more: a looping movie is never done.
  const SInt64 bound = scale > 0 ? duration * 60 / scale + 2 : 2;
  for (SInt64 waited = 0; IsMovieDone(movie) == 0 && waited <= bound; ++waited) {
    MoviesTask(movie, 0);
    UInt32 ticks = 0;
    Delay(1, &ticks);
  }
  MoviesTask(movie, 0);
}

cSp_QTSoundFileObj::~cSp_QTSoundFileObj() {
  if (SpQTM_CheckTargetOnExecutedQTSoundItemList(this) != 0) {
    SpQTM_UnlinkOnExecutedQTSoundItemList(this);
    if (Sp_Is_CarbonEvent_ModeEnable()) SpQT_DisableIdleEvent();
  }
  if (ready_ != 0 && movie_ != nullptr) {
    if (playing_ != 0) StopSound();
    DisposeMovie(movie_);
  }
  movie_ = nullptr;
  ready_ = 0;
}

void cSp_QTSoundFileObj::SetupFileInfo(short vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr) {
    SpReportFailure(kSource, "cSp_QTSoundFileObj::SetupFileInfo", 1, kSpMsgNullArgument);
    return;
  }
  vRefNum_ = vRefNum;
  dirID_ = dirID;
  std::strncpy(name_, name, sizeof(name_) - 1);
  name_[sizeof(name_) - 1] = '\0';
}

void cSp_QTSoundFileObj::InitializeInfo() {
  // Opening again lets go of the movie opened before.
  if (movie_ != nullptr) {
    if (playing_ != 0) StopSound();
    DisposeMovie(movie_);
    movie_ = nullptr;
    ready_ = 0;
  }
  Movie movie = SpQTI_OpenMovieOfFileToPlay(vRefNum_, dirID_, name_);
  if (movie == nullptr) return;
  const SInt32 tracks = GetMovieTrackCount(movie);
  if (tracks == 0) {
    DisposeMovie(movie);
    return;
  }
  for (SInt32 i = 1; i <= tracks; ++i) {
    Track track = GetMovieIndTrack(movie, i);
    OSType type = 0;
    GetMediaHandlerDescription(GetTrackMedia(track), &type, nullptr, nullptr);
    if (type != SoundMediaType && type != kMusicMediaType) SetTrackEnabled(track, false);
  }
  movie_ = movie;
  ready_ = 1;
}

void cSp_QTSoundFileObj::PreLoadCash() {
  if (ready_ != 0) PrerollMovie(movie_, 0, Long2Fix(1));
}

void cSp_QTSoundFileObj::StartSound(GrafPtr port, unsigned char wait) {
  if (ready_ == 0 || movie_ == nullptr || PlaySoundNow() != 0) return;
  SetMovieGWorld(movie_, port, nullptr);
  const Rect none{0, 0, 0, 0};
  SetMovieBox(movie_, &none);
  GoToBeginningOfMovie(movie_);
  StartMovie(movie_);
  playing_ = 1;
  MoviesTask(movie_, 0);
  if (wait != 0) {
    SpQTM_WaitUntilMovieDone(movie_);
    playing_ = 0;
  }
  if (SpQTM_CheckTargetOnExecutedQTSoundItemList(this) == 0) {
    SpQTM_SetupOnExecutedQTSoundItemList(this);
    if (Sp_Is_CarbonEvent_ModeEnable()) SpQTI_EnableIdleEvent();
  }
}

void cSp_QTSoundFileObj::StopSound() {
  if (movie_ == nullptr) return;
  StopMovie(movie_);
  playing_ = 0;
  if (SpQTM_CheckTargetOnExecutedQTSoundItemList(this) != 0 && Sp_Is_CarbonEvent_ModeEnable()) {
    SpQT_DisableIdleEvent();
  }
}

unsigned char cSp_QTSoundFileObj::PlaySoundNow() {
  if (ready_ == 0 || playing_ == 0 || movie_ == nullptr) return 0;
  if (IsMovieDone(movie_) != 0) {
    playing_ = 0;
    return 0;
  }
  return 1;
}

void cSp_QTSoundFileObj::GoToBeginning() {
  if (ready_ != 0) GoToBeginningOfMovie(movie_);
}

void cSp_QTSoundFileObj::GoToEnd() {
  if (ready_ != 0) GoToEndOfMovie(movie_);
}
