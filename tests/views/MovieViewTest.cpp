// A movie view: the picture it paints, the movie it plays in its area on the clock, and the
// view that hands the movie over to another.
#include <gtest/gtest.h>

#include <memory>

#include "MovieTestFiles.h"
#include "SpQTMovieView.h"
#include "SpViewClass.h"

namespace {

Rect R(short top, short left, short bottom, short right) {
  return Rect{top, left, bottom, right};
}

class MovieView : public qt_test::MovieWindowTest {};

TEST_F(MovieView, AMovieViewShowsTheFrameOfItsTimeAndTheOtherViewItsStart) {
  if (!haveMovie_) GTEST_SKIP() << "no ffmpeg";
  auto movie = OpenMovie<cSp_QTMovieFileObj>();
  ASSERT_EQ(movie->IsReady(), 1);
  auto first =
      std::make_unique<cSp_QTMovieViewObj>(movie.get(), window_, R(10, 10, 130, 170), nullptr, 0,
                                           kSpPositionCenter, kSpPositionCenter, 0, nullptr, 0);
  auto second =
      std::make_unique<cSp_QTMovieViewObj>(movie.get(), window_, R(10, 200, 130, 360), nullptr, 0,
                                           kSpPositionCenter, kSpPositionCenter, 0, nullptr, 0);
  EXPECT_EQ(movie->CheckCurrentUser(first->GetUserId()), 1);
  first->StartMovieView(1);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0) << "a disabled view starts nothing";
  first->EnableMovieView(1, 1);
  second->EnableMovieView(1, 1);
  EXPECT_TRUE(Near(Px(90, 70), qt_test::kMovieRed)) << "the picture of the start";
  EXPECT_TRUE(Near(Px(280, 70), qt_test::kMovieRed));

  // The second view takes the movie over and plays it in its area.
  second->StartMovieView(1);
  EXPECT_EQ(movie->CheckCurrentUser(second->GetUserId()), 1);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 1);
  Advance(0.5);
  MoviesTask(nullptr, 0);
  EXPECT_TRUE(Near(Px(280, 70), qt_test::kMovieRed));
  Advance(1.0);
  MoviesTask(nullptr, 0);
  EXPECT_TRUE(Near(Px(280, 70), qt_test::kMovieBlue)) << "1.5 s in: the second colour";
  EXPECT_TRUE(Near(Px(90, 70), qt_test::kMovieRed))
      << "the other view keeps the picture of the start";
  // A window update paints the views' pictures, and the playing movie draws again over them.
  Sp_RedrawViewWindow(window_, 0);
  EXPECT_TRUE(Near(Px(280, 70), qt_test::kMovieBlue));
  Advance(1.0);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0) << "done after two seconds";

  first.reset();
  second.reset();
}

TEST_F(MovieView, AViewStartedLaterStartsTheMovieAtItsNextDrawing) {
  if (!haveMovie_) GTEST_SKIP() << "no ffmpeg";
  auto movie = OpenMovie<cSp_QTMovieFileObj>();
  cSp_QTMovieViewObj view(movie.get(), window_, R(10, 10, 130, 170), nullptr, 0, kSpPositionCenter,
                          kSpPositionCenter, 0, nullptr, 0);
  view.EnableMovieView(1, 1);
  view.StartMovieView(0);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0);
  view.GetDrawingView()->DrawView(1, 0);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 1);
  view.DisableMovieView(0, 1);
  EXPECT_EQ(movie->PlayMoviePlayNow(), 0);
  EXPECT_EQ(movie->GetHideNowFlag(), 1);
}

TEST_F(MovieView, CallbacksWithoutTheirViewAreLoggedAndDoNothing) {
  Rect area = R(0, 0, 10, 10);
  SpQTMView_CatchDrawingCB(0, &area);
  SpQTMView_CatchOffMovieCurrentUserCB(0);
  SpQTMView_UpdateEventCB(0);
  for (const char* method : {"SpQTMView_CatchDrawingCB", "SpQTMView_CatchOffMovieCurrentUserCB",
                             "SpQTMView_UpdateEventCB"}) {
    EXPECT_TRUE(errors_.Has(method, 1)) << method;
  }
  EXPECT_EQ(errors_.Count(), 3u);
}

}  // namespace
