// The playback objects: where a movie and a still picture are placed, the users sharing a
// movie, and a movie made by ffmpeg playing its frames in a movie view on the clock.
#include <gtest/gtest.h>

#include <memory>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "QTInterfaceTestFiles.h"
#include "SpQTMovieObject.h"
#include "SpQTSoundObject.h"
#include "SpStdFunctionNumber.h"
#include "SpViewClass.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

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

// A visible window, a temporary home, the virtual clock, and a movie of 160 x 120 made by
// ffmpeg: a second of red, then a second of blue.
class QTPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    Sp_CarbonEvent_ModeEnable();
    EnterMovies();
    home_ = std::make_unique<sp_testing::HomeScope>();
    folder_ = qt_test::DocumentsFolder(*home_);
    const Rect content = R(50, 50, 350, 550);
    window_ = NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass,
                         false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    haveMovie_ = qt_test::HaveTool("ffmpeg") &&
                 qt_test::RunFFmpeg(
                     "-f lavfi -i color=c=red:s=160x120:d=1:r=10 "
                     "-f lavfi -i color=c=blue:s=160x120:d=1:r=10 "
                     "-filter_complex '[0][1]concat=n=2:v=1:a=0' -c:v png -pix_fmt rgb24 '" +
                     folder_.path + "/colours.mov'");
  }
  void TearDown() override {
    home_.reset();
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  std::unique_ptr<cSp_QTMovieFileObj> OpenMovie() {
    auto movie = std::make_unique<cSp_QTMovieFileObj>(GetWindowPort(window_));
    movie->SetupFileInfo(folder_.vRefNum, folder_.dirID, "colours.mov");
    movie->InitializeInfo();
    return movie;
  }

  UInt32 Px(short h, short v) const { return sp_testing::ReadPixel(GetWindowPort(window_), h, v); }
  static bool Near(UInt32 a, UInt32 b) {
    for (int shift : {16, 8, 0}) {
      const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
      if (d > 8 || d < -8) return false;
    }
    return true;
  }
  static void Advance(double seconds) { sp_testing::AdvanceClockMicroseconds(SInt64(seconds * 1e6)); }

  std::unique_ptr<sp_testing::HomeScope> home_;
  qt_test::Folder folder_;
  WindowRef window_ = nullptr;
  bool haveMovie_ = false;
  ErrorLogCapture errors_;
};

constexpr UInt32 kRed = 0xFF0000, kBlue = 0x0000FF;

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
  auto movie = OpenMovie();
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

TEST_F(QTPlayback, AMovieViewShowsTheFrameOfItsTimeAndTheOtherViewItsStart) {
  if (!haveMovie_) GTEST_SKIP() << "no ffmpeg";
  auto movie = OpenMovie();
  ASSERT_EQ(movie->IsReady(), 1);
  auto first = std::make_unique<cSp_QTMovieViewObj>(movie.get(), window_, R(10, 10, 130, 170),
                                                    nullptr, 0, kSpPositionCenter,
                                                    kSpPositionCenter, 0, nullptr, 0);
  auto second = std::make_unique<cSp_QTMovieViewObj>(movie.get(), window_, R(10, 200, 130, 360),
                                                     nullptr, 0, kSpPositionCenter,
                                                     kSpPositionCenter, 0, nullptr, 0);
  EXPECT_EQ(movie->CheckCurrentUser(first->GetUserId()), 1);
  first->StartMovieView(1);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0) << "a disabled view starts nothing";
  first->EnableMovieView(1, 1);
  second->EnableMovieView(1, 1);
  EXPECT_TRUE(Near(Px(90, 70), kRed)) << "the picture of the start";
  EXPECT_TRUE(Near(Px(280, 70), kRed));

  // The second view takes the movie over and plays it in its area.
  second->StartMovieView(1);
  EXPECT_EQ(movie->CheckCurrentUser(second->GetUserId()), 1);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 1);
  Advance(0.5);
  MoviesTask(nullptr, 0);
  EXPECT_TRUE(Near(Px(280, 70), kRed));
  Advance(1.0);
  MoviesTask(nullptr, 0);
  EXPECT_TRUE(Near(Px(280, 70), kBlue)) << "1.5 s in: the second colour";
  EXPECT_TRUE(Near(Px(90, 70), kRed)) << "the other view keeps the picture of the start";
  // A window update paints the views' pictures, and the playing movie draws again over them.
  Sp_RedrawViewWindow(window_, 0);
  EXPECT_TRUE(Near(Px(280, 70), kBlue));
  Advance(1.0);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0) << "done after two seconds";

  first.reset();
  second.reset();
}

TEST_F(QTPlayback, AViewStartedLaterStartsTheMovieAtItsNextDrawing) {
  if (!haveMovie_) GTEST_SKIP() << "no ffmpeg";
  auto movie = OpenMovie();
  cSp_QTMovieViewObj view(movie.get(), window_, R(10, 10, 130, 170), nullptr, 0,
                          kSpPositionCenter, kSpPositionCenter, 0, nullptr, 0);
  view.EnableMovieView(1, 1);
  view.StartMovieView(0);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0);
  view.GetDrawingView()->DrawView(1, 0);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 1);
  view.DisableMovieView(0, 1);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0);
  EXPECT_EQ(movie->GetHideNowFlag(), 1);
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
