// Playing movies on the clock: the time a playing movie reaches, its end and its loops, with
// no audio device; a movie without video shows nothing.
#include "MoviePlayback.h"
#include "QuickTimeFixture.h"
#include "TestClock.h"

namespace quicktime_test {
namespace {

class MoviePlayback : public QuickTimeTest {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    QuickTimeTest::SetUp();
    // One second of sound at 44.1 kHz.
    ASSERT_TRUE(sp_testing::WriteTestAiff(Path("second.aiff"), 2, 44100, 44100));
    movie_ = Open("second.aiff");
    ASSERT_NE(movie_, nullptr);
    scale_ = GetMovieTimeScale(movie_);
    duration_ = GetMovieDuration(movie_);
    ASSERT_EQ(duration_, scale_) << "one second";
  }
  void TearDown() override {
    QuickTimeTest::TearDown();
    sp_testing::UseRealClock();
  }
  static void Advance(double seconds) {
    sp_testing::AdvanceClockMicroseconds(SInt64(seconds * 1e6));
  }
  Movie movie_ = nullptr;
  TimeScale scale_ = 0;
  TimeValue duration_ = 0;
};

TEST_F(MoviePlayback, TimeMovesWithTheClockAndStopsAtTheEnd) {
  EXPECT_EQ(GetMovieTime(movie_, nullptr), 0);
  Advance(0.5);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), 0) << "not started";
  StartMovie(movie_);
  EXPECT_EQ(GetMovieRate(movie_), Long2Fix(1));
  Advance(0.25);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), scale_ / 4);
  EXPECT_EQ(IsMovieDone(movie_), 0);
  StopMovie(movie_);
  Advance(1.0);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), scale_ / 4) << "stopped: the time stays";
  StartMovie(movie_);
  Advance(2.0);
  TimeRecord when{};
  EXPECT_EQ(GetMovieTime(movie_, &when), duration_);
  EXPECT_EQ(when.scale, scale_);
  EXPECT_EQ(when.base, GetMovieTimeBase(movie_));
  EXPECT_EQ(IsMovieDone(movie_), 1);
  EXPECT_EQ(GetMovieRate(movie_), 0) << "the rate falls to 0 at the end";
  StartMovie(movie_);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), 0) << "a movie at its end starts again";
  EXPECT_EQ(IsMovieDone(movie_), 0);
}

TEST_F(MoviePlayback, ALoopingMovieWrapsAndIsNeverDone) {
  SetTimeBaseFlags(GetMovieTimeBase(movie_), loopTimeBase);
  StartMovie(movie_);
  Advance(2.5);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), scale_ / 2);
  EXPECT_EQ(IsMovieDone(movie_), 0);
  SetTimeBaseFlags(GetMovieTimeBase(movie_), palindromeLoopTimeBase);
  SetMovieTimeValue(movie_, 0);
  Advance(1.25);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), scale_ * 3 / 4) << "on its way back";
  SetTimeBaseFlags(GetMovieTimeBase(movie_), loopTimeBase);
  SetMovieTimeValue(movie_, 0);
  SetMovieRate(movie_, Long2Fix(-1));
  Advance(0.25);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), scale_ * 3 / 4) << "backward from the start wraps";
  EXPECT_EQ(IsMovieDone(movie_), 0);
}

TEST_F(MoviePlayback, TimesOutsideTheMovieAreTakenAsItsEnds) {
  SetMovieTimeValue(movie_, duration_ * 3);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), duration_);
  SetMovieTimeValue(movie_, -5);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), 0);
  SetMovieRate(movie_, Long2Fix(2));
  Advance(0.25);
  EXPECT_EQ(GetMovieTime(movie_, nullptr), scale_ / 2) << "twice as fast";
  SetMovieTime(movie_, nullptr);
  EXPECT_EQ(GetMoviesError(), paramErr);
}

TEST_F(MoviePlayback, ASoundOnlyMovieHasNoBoxAndNoPicture) {
  Rect box{1, 1, 1, 1};
  GetMovieBox(movie_, &box);
  EXPECT_TRUE(EmptyRect(&box));
  EXPECT_EQ(GetMoviePict(movie_, 0), nullptr);
  StartMovie(movie_);
  MoviesTask(nullptr, 0);
  EXPECT_EQ(UpdateMovie(movie_), noErr);
}

TEST_F(MoviePlayback, DisposedMoviesAreRefused) {
  Movie gone = Open("second.aiff");
  StartMovie(gone);
  movies_.pop_back();
  DisposeMovie(gone);
  MoviesTask(nullptr, 0);
  StartMovie(gone);
  EXPECT_EQ(GetMoviesError(), invalidMovie);
  EXPECT_EQ(GetMovieTimeBase(gone), nullptr);
}

}  // namespace
}  // namespace quicktime_test
