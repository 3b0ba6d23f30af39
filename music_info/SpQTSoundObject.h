// Playing the sound of a file through the Movie Toolbox.
//
// cSp_QTSoundFileObj opens any file QuickTime reads as a movie and plays its sound tracks
// (every other track switched off). While it plays it stays on the running-sound list, whose
// idle timer services the movie; a play with `wait` runs the movie itself until it is done.
#pragma once

#include "MacTypes.h"
#include "MoviePlayback.h"
#include "Movies.h"
#include "SpQTInterface.h"

class cSp_QTSoundFileObj : public cSpQTOnExecuteQTSoundLinks<cSp_QTSoundFileObj> {
 public:
  cSp_QTSoundFileObj() = default;
  // Off the running list (the idle timer let go), a play stopped and the movie disposed.
  ~cSp_QTSoundFileObj();
  cSp_QTSoundFileObj(const cSp_QTSoundFileObj&) = delete;
  cSp_QTSoundFileObj& operator=(const cSp_QTSoundFileObj&) = delete;

  // A null name is a failure (nothing stored). Names longer than the buffer are cut.
  void SetupFileInfo(short vRefNum, SInt32 dirID, const char* name);
  // Opens the file: ready when the movie has tracks.
  void InitializeInfo();
  void PreLoadCash();
  // Plays from the start (nothing while a play runs); with wait, returns when it is done.
  void StartSound(GrafPtr port, unsigned char wait);
  void StopSound();
  // 1 while a play runs; finding it done ends it.
  unsigned char PlaySoundNow();
  void GoToBeginning();
  void GoToEnd();

  unsigned char IsReady() const { return ready_; }
  Movie GetMovie() const { return movie_; }

 private:
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
  char name_[512] = {};
  unsigned char ready_ = 0;
  Movie movie_ = nullptr;
  unsigned char playing_ = 0;
};

// Runs the movie until it is done, waiting a tick between services. A movie that loops is
// waited for one pass of its length.
void SpQTM_WaitUntilMovieDone(Movie movie);
