// The QuickTime interface: start-up, the idle timer and its owners, the running-object lists,
// and the sound-file checks (which files are playable sound, the description of the first
// sound track, the converter test, the duration and the sample data).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "ErrorLogCapture.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "QTInterfaceTestFiles.h"
#include "SpQTInterface.h"
#include "SpStdFunction.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestEvents.h"
#include "TestQuickTime.h"

namespace {

constexpr UInt32 kFrames = 1000;

std::vector<std::string>& ShownMessages() {
  static std::vector<std::string> messages;
  return messages;
}

// The folder holds an AIFF ramp, a WAVE of silence and a text file; the files only the
// ffmpeg tool can make come from MakeToolFiles.
class SoundFileChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    Sp_CarbonEvent_ModeEnable();
    sp_testing::ResetGestalt();
    ASSERT_EQ(Sp_InitialQuckTime(0), 1);
    SpSayErrorNo_GetDisplayProcs(&savedModal_, &savedSheet_);
    SpSayErrorNo_SetDisplayProcs(
        [](char* message, unsigned char) { ShownMessages().push_back(message); }, savedSheet_);
    ShownMessages().clear();
    home_ = std::make_unique<sp_testing::HomeScope>();
    folder_ = qt_test::DocumentsFolder(*home_);
    qt_test::WriteHostFile(folder_.path + "/ramp.aiff", qt_test::AIFFBytes(kFrames));
    qt_test::WriteHostFile(folder_.path + "/quiet.wav", qt_test::WAVEBytes(500));
    qt_test::WriteHostFile(folder_.path + "/notes.txt", "These are no sounds.\n");
  }
  void TearDown() override {
    home_.reset();
    SpSayErrorNo_SetDisplayProcs(savedModal_, savedSheet_);
    sp_testing::ResetGestalt();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  bool MakeToolFiles() {
    if (!qt_test::HaveTool("ffmpeg")) return false;
    EXPECT_TRUE(qt_test::MakeToneFile(folder_.path + "/tone.mp3", "-ac 2 -c:a libmp3lame"));
    EXPECT_TRUE(qt_test::MakeToneFile(folder_.path + "/tone.m4a", "-ac 2 -c:a aac"));
    EXPECT_TRUE(
        qt_test::RunFFmpeg("-f lavfi -i testsrc=duration=0.5:size=64x48:rate=10 -an -c:v mjpeg '" +
                           folder_.path + "/video.mov'"));
    return true;
  }

  unsigned char Check(const char* name, AudioFormatAtomPtr* atom = nullptr,
                      CmpSoundHeader* header = nullptr, UInt32* sampleCount = nullptr,
                      unsigned char* isProtected = nullptr, Movie* movie = nullptr,
                      Media* media = nullptr) {
    return Sp_CheckQuickTimeSoundTrackInTargetFile(folder_.vRefNum, folder_.dirID, name, atom,
                                                   header, nullptr, sampleCount, isProtected,
                                                   nullptr, nullptr, nullptr, movie, media);
  }

  std::unique_ptr<sp_testing::HomeScope> home_;
  qt_test::Folder folder_;
  SpERORSYS_SayDialogProc savedModal_ = nullptr;
  SpSayErrorNo_SheetProc savedSheet_ = nullptr;
};

TEST_F(SoundFileChecks, SoundFilesArePlayableAndOtherFilesAreNot) {
  if (!MakeToolFiles()) GTEST_SKIP() << "the ffmpeg tool is not installed";
  const struct {
    const char* name;
    unsigned char sound;
  } cases[] = {{"ramp.aiff", 1}, {"quiet.wav", 1},   {"tone.mp3", 1},
               {"tone.m4a", 1},  {"video.mov", 0},  // a movie, but no sound in it
               {"notes.txt", 0}, {"missing.aiff", 0}};
  for (const auto& c : cases) {
    for (unsigned char openToCheck : {0, 1}) {
      EXPECT_EQ(Sp_CheckQuickTimeSoundFile(folder_.vRefNum, folder_.dirID, c.name, 0, openToCheck),
                c.sound)
          << c.name << " " << int(openToCheck);
    }
  }
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 0) << "each check returns the idle timer";
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
  // A check leaves a timer it did not install.
  ASSERT_EQ(SpQTI_EnableIdleEvent(), 1);
  EXPECT_EQ(Sp_CheckQuickTimeSoundFile(folder_.vRefNum, folder_.dirID, "ramp.aiff", 0, 0), 1);
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 1);
  SpQT_DisableIdleEvent();
}

TEST_F(SoundFileChecks, AStereoAIFFIsDescribedByItsHeaderWithItsDurationAndEverySample) {
  AudioFormatAtomPtr atom = nullptr;
  CmpSoundHeader header{};
  UInt32 byteLength = 0, sampleCount = 0;
  unsigned char isProtected = 9;
  SInt32 duration = 0, timeScale = 0;
  float seconds = 0;
  Movie movie = nullptr;
  Media media = nullptr;
  ASSERT_EQ(Sp_CheckQuickTimeSoundTrackInTargetFile(
                folder_.vRefNum, folder_.dirID, "ramp.aiff", &atom, &header, &byteLength,
                &sampleCount, &isProtected, &duration, &timeScale, &seconds, &movie, &media),
            1);
  EXPECT_EQ(std::vector<UInt32>(
                {SpFourCC("twos"), 2, 16, 0xAC440000u, 0, kFrames, kFrames * 4, kFrames, 44100, 0}),
            std::vector<UInt32>({header.format, header.numChannels, UInt32(header.sampleSize),
                                 header.sampleRate, UInt32(header.compressionID), sampleCount,
                                 byteLength, UInt32(duration), UInt32(timeScale), isProtected}));
  EXPECT_FLOAT_EQ(seconds, float(kFrames) / 44100.0f);
  EXPECT_EQ(atom, nullptr) << "linear big-endian sound needs no decompression atom";
  ASSERT_NE(movie, nullptr) << "handed out when asked for";
  EXPECT_EQ(media,
            GetTrackMedia(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType)));
  DisposeMovie(movie);

  // The duration is the sound media's.
  EXPECT_EQ(SpGetQTFileSoundDataDurationTime(folder_.vRefNum, folder_.dirID, "quiet.wav", duration,
                                             timeScale),
            1);
  EXPECT_EQ(duration, 500);
  EXPECT_EQ(timeScale, 22050);
  EXPECT_EQ(SpGetQTFileSoundDataDurationTime(folder_.vRefNum, folder_.dirID, "notes.txt", duration,
                                             timeScale),
            0);
  // The sample data is every frame of the track in order.
  Handle samples = NewHandle(0);
  ASSERT_EQ(Sp_GetQuickTimeSoundDataFileInfo(folder_.vRefNum, folder_.dirID, "ramp.aiff", nullptr,
                                             &header, &samples, &byteLength),
            noErr);
  EXPECT_EQ(byteLength, kFrames * 4);
  EXPECT_EQ(std::string(*samples, std::size_t(GetHandleSize(samples))),
            qt_test::StereoRamp(kFrames));
  DisposeHandle(samples);
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 0);
}

TEST_F(SoundFileChecks, ToolFilesGiveTheirAtomNoTrackOrTheirProtection) {
  if (!MakeToolFiles()) GTEST_SKIP() << "the ffmpeg tool is not installed";
  AudioFormatAtomPtr atom = nullptr;
  CmpSoundHeader header{};
  UInt32 sampleCount = 0;
  ASSERT_EQ(Check("tone.m4a", &atom, &header, &sampleCount), 1);
  EXPECT_EQ(header.format, SpFourCC("mp4a"));
  EXPECT_GT(sampleCount, 0u);
  ASSERT_NE(atom, nullptr) << "an M4A hands out its decompression atom";
  EXPECT_GE(GetPtrSize(reinterpret_cast<Ptr>(atom)), 8);
  DisposePtr(reinterpret_cast<Ptr>(atom));

  // A movie without sound gives no track, but is handed out.
  sampleCount = 99;
  Movie movie = nullptr;
  Media media = reinterpret_cast<Media>(1);
  EXPECT_EQ(Check("video.mov", nullptr, nullptr, &sampleCount, nullptr, &movie, &media), 0);
  EXPECT_EQ(sampleCount, 0u);
  EXPECT_EQ(media, nullptr);
  ASSERT_NE(movie, nullptr);
  DisposeMovie(movie);

  // The M4A's sample entry marked as a protected one, as purchased music carries.
  std::string bytes = qt_test::ReadHostFile(folder_.path + "/tone.m4a");
  std::size_t entry = bytes.find("mp4a", bytes.find("stsd"));
  ASSERT_NE(entry, std::string::npos);
  qt_test::WriteHostFile(folder_.path + "/bought.m4a", bytes.replace(entry, 4, "drms"));
  const struct {
    SInt32 version;
    unsigned char result, isProtected;
  } cases[] = {{0x06400000, 0, 1}, {0x06300000, 1, 0}};  // QuickTime 6.3 cannot tell
  for (const auto& c : cases) {
    sp_testing::SetGestalt(gestaltQuickTimeVersion, c.version);
    ASSERT_EQ(Sp_InitialQuckTime(0), 1);
    unsigned char isProtected = 7;
    movie = nullptr;
    EXPECT_EQ(Check("bought.m4a", nullptr, nullptr, nullptr, &isProtected, &movie), c.result)
        << std::hex << c.version;
    EXPECT_EQ(isProtected, c.isProtected);
    EXPECT_EQ(movie != nullptr, c.result == 1) << "a protected movie is not handed out";
    if (movie != nullptr) DisposeMovie(movie);
  }
  EXPECT_TRUE(ShownMessages().empty()) << "every file opened";
}

// A file name takes up to 255 bytes: such a file is found by every check; a longer name is
// refused before it reaches the file system.
TEST_F(SoundFileChecks, NamesUpTo255BytesAreFoundAndLongerNamesAreRefused) {
  const std::string longest = std::string(250, 'n') + ".aiff";
  qt_test::WriteHostFile(folder_.path + "/" + longest, qt_test::AIFFBytes(10));
  const struct {
    std::string name;
    bool found;
  } cases[] = {{longest, true}, {"n" + longest, false}};
  for (const auto& c : cases) {
    const char* name = c.name.c_str();
    EXPECT_EQ(Sp_CheckQuickTimeSoundFile(folder_.vRefNum, folder_.dirID, name, 0, 1), c.found)
        << c.name.size();
    EXPECT_EQ(Check(name), c.found) << c.name.size();
    SInt32 duration = 0, timeScale = 0;
    EXPECT_EQ(
        SpGetQTFileSoundDataDurationTime(folder_.vRefNum, folder_.dirID, name, duration, timeScale),
        c.found)
        << c.name.size();
    EXPECT_EQ(duration, c.found ? 10 : 0) << c.name.size();
    Handle samples = NewHandle(0);
    EXPECT_EQ(Sp_GetQuickTimeSoundDataFileInfo(folder_.vRefNum, folder_.dirID, name, nullptr,
                                               nullptr, &samples, nullptr) == noErr,
              c.found)
        << c.name.size();
    EXPECT_EQ(GetHandleSize(samples), c.found ? 40 : 0) << c.name.size();
    DisposeHandle(samples);
  }
}

// A sound track without samples has no sample data to give: the caller gets an error and an
// empty handle, not a success.
TEST_F(SoundFileChecks, ASoundTrackWithoutSamplesGivesAnErrorAndNoData) {
  qt_test::WriteHostFile(folder_.path + "/empty.aiff", qt_test::AIFFBytes(0));
  Handle samples = NewHandle(0);
  UInt32 byteLength = 99;
  EXPECT_NE(Sp_GetQuickTimeSoundDataFileInfo(folder_.vRefNum, folder_.dirID, "empty.aiff", nullptr,
                                             nullptr, &samples, &byteLength),
            noErr);
  EXPECT_EQ(GetHandleSize(samples), 0);
  EXPECT_EQ(byteLength, 0u);
  DisposeHandle(samples);
}

TEST_F(SoundFileChecks, FilesWithoutASoundTrackShowAMessageOnlyWhenTheyDoNotOpen) {
  UInt32 sampleCount = 5;
  EXPECT_EQ(Check("notes.txt", nullptr, nullptr, &sampleCount), 0);
  EXPECT_TRUE(ShownMessages().empty()) << "the text file exists; it only holds no movie";
  EXPECT_EQ(Check("gone.aiff"), 0);
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 0);
  ASSERT_EQ(ShownMessages().size(), 1u);
  EXPECT_EQ(sp::text::MacJapaneseToUTF8(ShownMessages()[0]),
            "Movieファイルを開く際にエラーが発生。")
      << "no position code and no test text for the user";
}

TEST_F(SoundFileChecks, TheConverterTestFollowsTheFormatsTheConverterTakes) {
  const struct {
    UInt32 outFormat;
    unsigned char useChannels;
    short channels;
    UnsignedFixed rate;
    unsigned char result;
  } cases[] = {
      {SpFourCC("twos"), 0, 0, 0xAC440000u, 1}, {SpFourCC("twos"), 1, 1, 0x56220000u, 1},
      {SpFourCC("twos"), 1, 6, 0xAC440000u, 1},  // six channels become two
      {SpFourCC("sowt"), 1, 2, 0xAC440000u, 1}, {SpFourCC("zzzz"), 1, 2, 0xAC440000u, 0},
      {SpFourCC("twos"), 1, 2, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        Sp_CheckQuickTimeSoundConverterFile(folder_.vRefNum, folder_.dirID, "ramp.aiff",
                                            c.outFormat, c.useChannels, c.channels, 16, c.rate),
        c.result)
        << std::hex << c.outFormat << " " << c.rate;
  }
  // A rate the 16.16 field cannot hold (96 kHz) comes with the decompression parameters.
  ASSERT_TRUE(sp_testing::WriteTestAiff(folder_.path + "/high.aiff", 2, 96000, 960));
  EXPECT_EQ(Sp_CheckQuickTimeSoundConverterFile(folder_.vRefNum, folder_.dirID, "high.aiff",
                                                SpFourCC("twos"), 1, 2, 16, 0xAC440000u),
            1);
  ErrorLogCapture log;
  EXPECT_EQ(Sp_CheckQuickTimeSoundConverterFile(folder_.vRefNum, folder_.dirID, "notes.txt",
                                                SpFourCC("twos"), 0, 2, 16, 0xAC440000u),
            0);
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_TRUE(log.Has("Sp_CheckQuickTimeSoundConverterFile"));
  EXPECT_EQ(log.Records()[0].message, "cannot obtain File Data Length !! ");
}

TEST(QuickTimeStartUp, RefusesQuickTimeOlderThan3) {
  const struct {
    SInt32 answer;
    unsigned char enabled;
    UInt16 version;
  } cases[] = {
      {0x02FF0000, 0, 0},       // 2.5.5: too old
      {0x03000000, 1, 0x0300},  // 3.0
      {0x06408000, 1, 0x0640},  // 6.4, the low word is not the version
  };
  for (const auto& c : cases) {
    sp_testing::SetGestalt(gestaltQuickTimeVersion, c.answer);
    EXPECT_EQ(Sp_InitialQuckTime(0), c.enabled) << std::hex << c.answer;
    EXPECT_EQ(Sp_EnableQT(), c.enabled);
    EXPECT_EQ(Sp_GetQuickTImeVersion(), c.version);
  }
  sp_testing::RemoveGestalt(gestaltQuickTimeVersion);
  EXPECT_EQ(Sp_InitialQuckTime(0), 0) << "no QuickTime at all";
  EXPECT_EQ(Sp_GetQuickTImeVersion(), 0);
  sp_testing::ResetGestalt();
}

// Playback objects as the playback classes are: they carry the links of their lists.
class MovieObject : public cSpQTOnExecuteMovieLinks<MovieObject> {};
class SoundObject : public cSpQTOnExecuteQTSoundLinks<SoundObject> {};

class IdleTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    Sp_CarbonEvent_ModeEnable();
  }
  void TearDown() override {
    for (MovieObject* m : {&a_, &b_, &c_}) SpQTM_UnlinkOnExecutedMovieItemList(m);
    SpQTM_UnlinkOnExecutedQTSoundItemList(&sound_);
    SpQT_DisableIdleEvent();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  MovieObject a_, b_, c_;
  SoundObject sound_;
};

TEST_F(IdleTimer, IsInstalledOnceAndOnlyItsInstallerOwnsIt) {
  for (int pass = 0; pass < 2; ++pass) {  // installed anew after removal
    EXPECT_EQ(SpQTI_EnableIdleEvent(), 1);
    EXPECT_EQ(SpQTI_EnableIdleEvent(), 0) << "a second caller does not own it";
    EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
    // It keeps firing on the loop, 0.05 s apart, until its owner is done.
    sp_testing::PumpFor(500000);
    EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 1);
    SpQT_DisableIdleEvent();
    EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 0);
    EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
    SpQT_DisableIdleEvent();  // again: nothing to remove
  }
}

TEST_F(IdleTimer, StaysWhileAPlayingObjectIsListedAndGoesWithTheLast) {
  ASSERT_EQ(SpQTI_EnableIdleEvent(), 1);
  ASSERT_EQ(SpQTM_SetupOnExecutedMovieItemList(&a_), noErr);
  ASSERT_EQ(SpQTM_SetupOnExecutedQTSoundItemList(&sound_), noErr);
  // The operation that installed it ends while the objects still play.
  SpQT_DisableIdleEvent();
  sp_testing::PumpFor(200000);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
  SpQTM_UnlinkOnExecutedMovieItemList(&a_);
  SpQT_DisableIdleEvent();
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 1) << "the sound object still plays";
  SpQTM_UnlinkOnExecutedQTSoundItemList(&sound_);
  SpQT_DisableIdleEvent();
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
}

TEST_F(IdleTimer, NewObjectsGoInFrontAndLeavingOrDoublingKeepsTheListWhole) {
  for (MovieObject* m : {&a_, &b_, &c_}) ASSERT_EQ(SpQTM_SetupOnExecutedMovieItemList(m), noErr);
  EXPECT_EQ(SpQTM_GetOnExecutedMovieItemListHead(), &c_);
  EXPECT_EQ(c_.GetLastOnExecuteMovieObjectPtr(), &a_);
  ErrorLogCapture log;
  EXPECT_EQ(SpQTM_SetupOnExecutedMovieItemList(&a_), paramErr) << "already listed";
  EXPECT_EQ(SpQTM_SetupOnExecutedMovieItemList(nullptr), paramErr);
  EXPECT_EQ(log.Beeps(), 2u);
  EXPECT_EQ(a_.GetNextOnExecuteMovieObjectPtr(), nullptr) << "no loop";

  EXPECT_EQ(SpQTM_UnlinkOnExecutedMovieItemList(&b_), noErr);
  EXPECT_EQ(SpQTM_CheckTargetOnExecutedMovieItemList(&b_), 0);
  EXPECT_EQ(c_.GetNextOnExecuteMovieObjectPtr(), &a_);
  EXPECT_EQ(a_.GetBeforeOnExecuteMovieObjectPtr(), &c_);
  EXPECT_EQ(SpQTM_UnlinkOnExecutedMovieItemList(&c_), noErr);
  EXPECT_EQ(SpQTM_GetOnExecutedMovieItemListHead(), &a_);
  EXPECT_EQ(a_.GetBeforeOnExecuteMovieObjectPtr(), nullptr);
  EXPECT_EQ(SpQTM_UnlinkOnExecutedMovieItemList(&c_), paramErr) << "no longer listed";
  EXPECT_EQ(SpQTM_CheckTargetOnExecutedMovieItemList(&a_), 1);
}

}  // namespace
