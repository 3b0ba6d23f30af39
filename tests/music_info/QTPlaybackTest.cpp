// The playback objects: where a movie is placed, the users sharing a movie, and a sound
// playing on the clock.
#include <gtest/gtest.h>

#include <memory>

#include "QTInterfaceTestFiles.h"
#include "SpQTMovieObject.h"
#include "SpQTSoundObject.h"

namespace {

Rect R(short top, short left, short bottom, short right) {
  return Rect{top, left, bottom, right};
}

std::string Show(const Rect& r) {
  return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " +
         std::to_string(r.bottom) + ", " + std::to_string(r.right) + ")";
}

TEST(QTPlacement, BoxesArePlacedByTheirPositionsRoundingTowardZero) {
  const struct {
    Rect area;
    short width, height;
    tPositionType h, v;
    Rect expected;
  } cases[] = {
      {R(0, 0, 200, 300), 160, 120, kSpPositionRight, kSpPositionBottom, R(80, 140, 200, 300)},
      {R(0, 0, 200, 300), 160, 120, kSpPositionCenter, kSpPositionCenter, R(40, 70, 160, 230)},
      {R(10, 10, 210, 310), 100, 100, kSpPositionLeft, kSpPositionBottom, R(110, 10, 210, 110)},
      {R(0, 0, 150, 200), 400, 300, kSpPositionCenter, kSpPositionCenter, R(-75, -100, 225, 300)},
      {R(0, 0, 11, 11), 4, 4, kSpPositionCenter, kSpPositionTop, R(0, 3, 4, 7)},
      {R(-11, -11, 0, 0), 4, 4, kSpPositionCenter, kSpPositionCenter, R(-7, -7, -3, -3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(SpQTM_PlaceBoxInArea(c.area, c.width, c.height, c.h, c.v)), Show(c.expected));
  }
}

class QTPlayback : public qt_test::MovieWindowTest {};

TEST_F(QTPlayback, TheFirstUserIsCurrentAndDeletingItMakesTheNextCurrent) {
  cSp_QTMovieFileObj movie(nullptr);
  int offCalls = 0;
  const SInt32 first = movie.NewUser(GetWindowPort(window_));
  const SInt32 second = movie.NewUser(GetWindowPort(window_));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(movie.CheckCurrentUser(first), 1);
  EXPECT_EQ(movie.CheckCurrentUser(second), 0);
  movie.SetupOffCurrentUserProc(
      first, [](unsigned long refCon) { ++*reinterpret_cast<int*>(refCon); },
      reinterpret_cast<unsigned long>(&offCalls));
  movie.SetupCurrentUser(second, 1, 0);
  EXPECT_EQ(offCalls, 1) << "the user that stopped being current was told";
  movie.SetupCurrentUser(first, 0, 0);
  EXPECT_EQ(offCalls, 1);

  movie.DeleteUser(first);
  EXPECT_EQ(movie.CheckCurrentUser(second), 1);
  movie.DeleteUser(7);
  EXPECT_TRUE(errors_.Has("cSp_QTMovieFileObj::DeleteUser", 1));
  movie.DeleteUser(second);
  for (SInt32 id : {first, second, SInt32(3)}) EXPECT_EQ(movie.CheckCurrentUser(id), 0);
  EXPECT_EQ(movie.NewUser(GetWindowPort(window_)), 3) << "ids are not reused";
  // Of three, the current middle one hands over to the one after it, the last to the one
  // before it.
  const SInt32 fourth = movie.NewUser(GetWindowPort(window_));
  const SInt32 fifth = movie.NewUser(GetWindowPort(window_));
  movie.SetupCurrentUser(fourth, 0, 0);
  movie.DeleteUser(fourth);
  EXPECT_EQ(movie.CheckCurrentUser(fifth), 1);
  movie.DeleteUser(fifth);
  EXPECT_EQ(movie.CheckCurrentUser(3), 1);
}

TEST_F(QTPlayback, AMovieIsPlacedAtItsNaturalSizeAndClippedToItsArea) {
  if (!haveMovie_) GTEST_SKIP() << "no ffmpeg";
  auto movie = OpenMovie<cSp_QTMovieFileObj>();
  ASSERT_EQ(movie->IsReady(), 1);
  EXPECT_EQ(movie->GetHideNowFlag(), 1);
  Rect box;
  movie->GetNaturalBox(box);
  EXPECT_EQ(Show(box), Show(R(0, 0, 120, 160)));

  movie->OpenMovieArea(GetWindowPort(window_), R(0, 0, 200, 300), kSpPositionRight,
                       kSpPositionBottom, 0, nullptr);
  GetMovieBox(movie->GetMovie(), &box);
  EXPECT_EQ(Show(box), Show(R(80, 140, 200, 300)));
  EXPECT_EQ(movie->GetHideNowFlag(), 0);
  EXPECT_EQ(GetMovieDisplayClipRgn(movie->GetMovie()), nullptr) << "it fits: no clip";

  movie->OpenMovieArea(GetWindowPort(window_), R(0, 0, 100, 100), kSpPositionCenter,
                       kSpPositionCenter, 0, nullptr);
  GetMovieBox(movie->GetMovie(), &box);
  EXPECT_EQ(Show(box), Show(R(-10, -30, 110, 130)));
  RgnHandle clip = GetMovieDisplayClipRgn(movie->GetMovie());
  ASSERT_NE(clip, nullptr);
  Rect bounds;
  GetRegionBounds(clip, &bounds);
  EXPECT_EQ(Show(bounds), Show(R(0, 0, 100, 100)));
  DisposeRgn(clip);
  EXPECT_EQ(movie->HideMovieArea(), 1);
  GetMovieBox(movie->GetMovie(), &box);
  EXPECT_TRUE(EmptyRect(&box));
}

TEST_F(QTPlayback, ASoundPlaysOnTheClockAndAgainFromTheStart) {
  qt_test::WriteHostFile(folder_.path + "/ramp.aiff", qt_test::AIFFBytes(44100));
  cSp_QTSoundFileObj sound;
  sound.SetupFileInfo(folder_.vRefNum, folder_.dirID, "ramp.aiff");
  sound.InitializeInfo();
  ASSERT_EQ(sound.IsReady(), 1);
  sound.StartSound(nullptr, 0);
  EXPECT_EQ(sound.PlaySoundNow(), 1);
  Advance(0.5);
  sound.StartSound(nullptr, 0);
  EXPECT_EQ(GetMovieTime(sound.GetMovie(), nullptr), GetMovieTimeScale(sound.GetMovie()) / 2)
      << "a play that runs is not started again";
  Advance(1.0);
  EXPECT_EQ(sound.PlaySoundNow(), 0);
  sound.StartSound(nullptr, 1);
  EXPECT_EQ(sound.PlaySoundNow(), 0) << "a play with wait returns when it is done";
  EXPECT_EQ(IsMovieDone(sound.GetMovie()), 1);

  cSp_QTSoundFileObj missing;
  missing.SetupFileInfo(folder_.vRefNum, folder_.dirID, "nothing.aiff");
  missing.InitializeInfo();
  EXPECT_EQ(missing.IsReady(), 0);
  missing.StartSound(nullptr, 1);
}

}  // namespace
