// Movie Toolbox: playing movies.
//
// A movie's time base runs on the program's clock (Clock.h): while its rate is not 0 its time
// moves by rate x the clock's elapsed time, in the movie's time scale. Sound: while a movie
// plays forwards, its first enabled sound track is heard through the sound device (a Sound
// Manager channel of its own, see Sound.h) from the movie's time, at its rate (faster and
// higher above 1) and volume; a looping movie's sound starts again at its end, and a movie
// playing backwards or muted is silent. Without a sound device nothing is decoded. Either way
// the time advances on the clock, so a sound-only movie plays, ends and is done on the clock
// as it is heard. Without loopTimeBase (or palindromeLoopTimeBase) the time
// stops at the movie's end (at 0 when playing backwards) and the rate falls to 0 there; with
// it the time wraps around (or turns back).
//
// Video: a movie with an enabled video track shows that track's frame at its current time in
// its graphics world (SetMovieGWorld; a window's port or a GWorld), scaled to its movie box
// and limited to its display clip region, within the port's own clip. The frames are decoded
// with FFmpeg's decoders as the time reaches them. MoviesTask draws a playing movie's frame
// when the frame changed, UpdateMovie draws it again at once (after something covered it).
// A movie without video draws nothing, its natural box is empty and GetMoviePict answers
// null. Until SetMovieBox, a movie's box is its natural box: (0, 0, height, width) of its
// first enabled video track.
//
// Every call sets the error GetMoviesError answers; a null or disposed movie answers
// invalidMovie and zero values.
#pragma once

#include "FixMath.h"
#include "MacTypes.h"
#include "Movies.h"
#include "QDPictures.h"
#include "QuickDraw.h"

typedef struct TimeBaseRecord* TimeBase;

// A 64-bit time value in two halves, as time records carry it.
struct wide {
  SInt32 hi;
  UInt32 lo;
};
typedef wide CompTimeValue;

// A time in a scale, on a time base (GetMovieTime fills all three; SetMovieTime reads value
// and scale, and takes the movie's scale when scale is 0).
struct TimeRecord {
  CompTimeValue value;
  TimeScale scale;
  TimeBase base;
};

// Time base flags.
enum : SInt32 {
  loopTimeBase = 1,
  palindromeLoopTimeBase = 2,
};

// LoadMovieIntoRam flags (accepted; a movie reads its file as it needs it).
enum : SInt32 {
  keepInRam = 1 << 0,
  unkeepInRam = 1 << 1,
  flushFromRam = 1 << 2,
  loadForwardTrackEdits = 1 << 3,
  loadBackwardTrackEdits = 1 << 4,
};

// Volumes are 8.8 fixed point: 0x0100 is full volume; a negative volume is muted.
enum : SInt16 { kFullVolume = 0x0100, kNoVolume = 0 };


// ---- The time base --------------------------------------------------------------------------

// Plays from the current time at the preferred rate (1.0 unless set); a movie at its end (at
// 0 for a negative rate) starts again from its beginning.
void StartMovie(Movie theMovie);
// Rate 0; the time stays where it is.
void StopMovie(Movie theMovie);
void GoToBeginningOfMovie(Movie theMovie);
void GoToEndOfMovie(Movie theMovie);
// The current time in the movie's time scale; `currentTime` (may be null) gets it with the
// scale and the movie's time base.
TimeValue GetMovieTime(Movie theMovie, TimeRecord* currentTime);
// Moves the current time; values outside the movie are taken as its beginning or end.
// paramErr (nothing moves) for a null record or a negative scale.
void SetMovieTime(Movie theMovie, const TimeRecord* newTime);
void SetMovieTimeValue(Movie theMovie, TimeValue newTime);
// True when a playing movie reached its end (its beginning for a negative rate) and does not
// loop, and for a stopped movie standing there.
Boolean IsMovieDone(Movie theMovie);
Fixed GetMovieRate(Movie theMovie);
// Plays (or stops, at 0) at that rate from the current time.
void SetMovieRate(Movie theMovie, Fixed rate);
Fixed GetMoviePreferredRate(Movie theMovie);
void SetMoviePreferredRate(Movie theMovie, Fixed rate);
SInt16 GetMovieVolume(Movie theMovie);
void SetMovieVolume(Movie theMovie, SInt16 volume);
// Nothing needs to be prepared: noErr for a live movie.
OSErr PrerollMovie(Movie theMovie, TimeValue time, Fixed rate);
OSErr LoadMovieIntoRam(Movie theMovie, TimeValue time, TimeValue duration, SInt32 flags);
// The movie's time base (it lives as long as the movie) and its flags.
TimeBase GetMovieTimeBase(Movie theMovie);
void SetTimeBaseFlags(TimeBase tb, SInt32 timeBaseFlags);
SInt32 GetTimeBaseFlags(TimeBase tb);

// MoviesTask (Movies.h) services the playing movies: their time moves on and their video
// draws the frame it reached.

// ---- Where the movie shows ------------------------------------------------------------------

// The graphics world the movie draws in (null: none, the movie draws nothing) and its device.
void SetMovieGWorld(Movie theMovie, CGrafPtr port, GDHandle gdh);
void GetMovieGWorld(Movie theMovie, CGrafPtr* port, GDHandle* gdh);
void GetMovieBox(Movie theMovie, Rect* boxRect);
void SetMovieBox(Movie theMovie, const Rect* boxRect);
void GetMovieNaturalBoundsRect(Movie theMovie, Rect* naturalBounds);
// A copy of the display clip region (the caller disposes of it); null when the movie has none.
RgnHandle GetMovieDisplayClipRgn(Movie theMovie);
// The movie keeps a copy; null removes the clip.
void SetMovieDisplayClipRgn(Movie theMovie, RgnHandle theClip);
// Draws the current frame now.
OSErr UpdateMovie(Movie theMovie);

// A new picture of the video frame at `time` (the movie's time scale; times past the end show
// the last frame), of the natural size. Null for a movie without video, or when the frame
// cannot be decoded. The caller disposes of it with KillPicture.
PicHandle GetMoviePict(Movie theMovie, TimeValue time);
