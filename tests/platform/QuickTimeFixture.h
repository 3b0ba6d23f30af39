// Helpers shared by the QuickTime layer's tests: a temporary home whose Documents folder
// holds the fixture files, FSSpecs of them, and movies opened from them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Files.h"
#include "Folders.h"
#include "MacMemory.h"
#include "Movies.h"
#include "TestFiles.h"
#include "TestQuickTime.h"

namespace quicktime_test {

class QuickTimeTest : public ::testing::Test {
 public:
  std::string Path(const std::string& name) const { return home_.Path("Documents/" + name); }

  void WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
  }

  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 protected:
  void SetUp() override {
    EnterMovies();
    ASSERT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_, &dirID_),
              noErr);
  }
  void TearDown() override {
    for (Movie m : movies_) DisposeMovie(m);
  }

  FSSpec Spec(const std::string& name) const {
    FSSpec spec{};
    const std::string pname = char(name.size()) + name;
    const OSErr err =
        FSMakeFSSpec(vRefNum_, dirID_, reinterpret_cast<ConstStr255Param>(pname.data()), &spec);
    EXPECT_TRUE(err == noErr || err == fnfErr) << name << ": " << err;
    return spec;
  }

  // The movie of a fixture file (disposed at the end of the test); null with a failure when
  // it does not open.
  Movie Open(const std::string& name) {
    const FSSpec spec = Spec(name);
    SInt16 ref = 0;
    EXPECT_EQ(OpenMovieFile(&spec, &ref, fsRdPerm), noErr) << name;
    Movie movie = nullptr;
    SInt16 resId = 0;
    const OSErr err = NewMovieFromFile(&movie, ref, &resId, nullptr, newMovieActive, nullptr);
    EXPECT_EQ(err, noErr) << name;
    CloseMovieFile(ref);
    if (movie != nullptr) movies_.push_back(movie);
    return movie;
  }

  // The media of the first sound track; null when there is none.
  static Media SoundMedia(Movie movie) {
    Track track = GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType);
    return track != nullptr ? GetTrackMedia(track) : nullptr;
  }

  static SoundDescriptionV1 Describe(Media media) {
    SoundDescriptionV1 d{};
    Handle h = NewHandle(0);
    GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(h));
    EXPECT_EQ(GetMoviesError(), noErr);
    if (GetHandleSize(h) >= Size(sizeof(d))) std::memcpy(&d, *h, sizeof(d));
    DisposeHandle(h);
    return d;
  }

  sp_testing::HomeScope home_;
  SInt16 vRefNum_ = 0;
  SInt32 dirID_ = 0;
  std::vector<Movie> movies_;
};

#define SKIP_WITHOUT_FFMPEG()                                                         \
  do {                                                                                \
    if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing"; \
  } while (0)

}  // namespace quicktime_test
