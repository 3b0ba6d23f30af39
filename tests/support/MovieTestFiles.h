// Movies made by the ffmpeg tool in a test's temporary home, and a window to play them in.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "MacWindows.h"
#include "Movies.h"
#include "SpStdFunctionNumber.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace qt_test {

// The Documents folder of the temporary home, as (volume, directory id) and host path.
struct Folder {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  std::string path;
};

inline Folder DocumentsFolder(const sp_testing::HomeScope& home) {
  Folder folder;
  EXPECT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &folder.vRefNum,
                       &folder.dirID),
            noErr);
  folder.path = home.Path("Documents");
  return folder;
}

inline bool HaveTool(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs the ffmpeg tool quietly with these arguments; true when it made its file.
inline bool RunFFmpeg(const std::string& arguments) {
  return std::system(("ffmpeg -nostdin -v error -y " + arguments + " >/dev/null 2>&1").c_str()) ==
         0;
}

constexpr UInt32 kMovieRed = 0xFF0000, kMovieBlue = 0x0000FF;

// A visible white window at (50, 50, 350, 550), a temporary home, the virtual clock with the
// Carbon event mode and the Movie Toolbox, and, where ffmpeg is installed, "colours.mov" in
// the Documents folder: 160 x 120, a second of red, then a second of blue.
class MovieWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    Sp_CarbonEvent_ModeEnable();
    EnterMovies();
    home_ = std::make_unique<sp_testing::HomeScope>();
    folder_ = DocumentsFolder(*home_);
    const Rect content{50, 50, 350, 550};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    haveMovie_ = HaveTool("ffmpeg") &&
                 RunFFmpeg(
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

  // "colours.mov" opened as a movie object (a cSp_QTMovieFileObj) drawing in the window.
  template <class MovieObject>
  std::unique_ptr<MovieObject> OpenMovie() {
    auto movie = std::make_unique<MovieObject>(GetWindowPort(window_));
    movie->SetupFileInfo(folder_.vRefNum, folder_.dirID, "colours.mov");
    movie->InitializeInfo();
    return movie;
  }

  UInt32 Px(short h, short v) const { return sp_testing::ReadPixel(GetWindowPort(window_), h, v); }
  // Colours alike within 8 in every channel (the movie's frames pass through a codec).
  static bool Near(UInt32 a, UInt32 b) {
    for (int shift : {16, 8, 0}) {
      const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
      if (d > 8 || d < -8) return false;
    }
    return true;
  }
  static void Advance(double seconds) {
    sp_testing::AdvanceClockMicroseconds(SInt64(seconds * 1e6));
  }

  std::unique_ptr<sp_testing::HomeScope> home_;
  Folder folder_;
  WindowRef window_ = nullptr;
  bool haveMovie_ = false;
  ErrorLogCapture errors_;
};

}  // namespace qt_test
