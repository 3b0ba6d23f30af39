// A source cut short while a save reads it (a disc image or a sound file truncated by another
// program) fails the save: the engine knows how many frames each item holds, and fewer read is
// an error. The user is told once, nothing is written under the target's name, the file of
// that name stays where it is (not in the Trash), and the save ends within a bounded number
// of loop passes: a disc read past the image's end returns instead of spinning.
#include <unistd.h>

#include "SaveFixture.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestResponder.h"

namespace engine_test {
namespace {

enum class Source { kDiscTrack, kAiff, kMp3 };

class TruncatedSource : public SaveTest {
 protected:
  // A minute of sound (more than the load step takes at once) in the source's form, and the
  // program saving it; the file to cut in *cut.
  cSp_CDRProgramBaseObj* Program(Source source, std::string* cut) {
    cSp_CDRProgramBaseObj* p = nullptr;
    if (source == Source::kDiscTrack) {
      disc_image::WriteImage(Media(), "Long", {{60 * 75, "Minute"}, {75, ""}});
      *cut = Media("Long.bin");
      EXPECT_TRUE(sp_testing::PumpFor(6000000));
      cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
      if (cd != nullptr && Sp_CDRomCreateCDAudioProgram(cd, 1, &p) == 1) Prepare(p);
      return p;
    }
    *cut = Doc(source == Source::kAiff ? "minute.aiff" : "minute.mp3");
    EXPECT_TRUE(source == Source::kAiff
                    ? sp_testing::WriteTestAiff(*cut, 2, 44100, 60 * 44100)
                    : sp_testing::MakeToneWithFfmpeg(*cut, "libmp3lame", 44100, 2, 60.0));
    return SaveProgram({cut->substr(cut->rfind('/') + 1)});
  }
};

TEST_F(TruncatedSource, ASourceCutShortDuringTheSaveFailsItAndLeavesTheTargetAlone) {
  // The error the read gave: samples read from where the file no longer holds them are an I/O
  // error; a decoder whose stream ends before the length the file stated meets its end early.
  const struct {
    Source source;
    tCDRISoundFileType type;
    const char* why;
    const char* error;
  } cases[] = {
      {Source::kDiscTrack, kSpCDRISoundFileTypeWAVE,
       "a disc image's track: the image's file ends before the track", "[Error No = -36]"},
      {Source::kAiff, kSpCDRISoundFileTypeWAVE, "a file copied as it is", "[Error No = -36]"},
      {Source::kMp3, kSpCDRISoundFileTypeAIFF, "a file decoded through the converter",
       "[Error No = -39]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    if (c.source == Source::kMp3 && !sp_testing::FfmpegAvailable()) continue;
    SaveEnds().clear();
    const std::size_t shown = sp_testing::ShownSoFar().size();
    cdtest::WriteFile(Doc("out.wav"), "the user's file");
    std::string cut;
    cSp_CDRProgramBaseObj* p = Program(c.source, &cut);
    ASSERT_NE(p, nullptr);
    sp_testing::Respond(sp_testing::Answer::Return());
    ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder_, "out.wav", 1, SpFourCC("TVOD"), c.type, 1.0f, 0,
                                      nullptr, 0));
    p->StartSaveAndPlayEventLoop();
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    // Cut between two reads: once the first save buffer has been written.
    ASSERT_TRUE(sp_testing::PumpUntil([p] {
      return p->GetSaveBufferSet() != nullptr && p->GetSaveBufferSet()->bytesWritten > 0;
    }));
    struct stat st {};
    ASSERT_EQ(stat(cut.c_str(), &st), 0);
    ASSERT_EQ(truncate(cut.c_str(), st.st_size / 3), 0);
    sp_testing::SetPumpLimits({2000, 3600LL * 1000000});
    ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
    SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    EXPECT_EQ(SaveEnds().back().stopped, 1);
    EXPECT_FALSE(p->IsSaveRunning());
    ASSERT_EQ(sp_testing::ShownSoFar().size(), shown + 1) << "told once";
    const sp_testing::Shown& told = sp_testing::ShownSoFar().back();
    const std::string message = sp::text::MacJapaneseToUTF8(told.message);
    EXPECT_NE(message.find("読み込み"), std::string::npos) << message;
    EXPECT_NE(message.find(c.error), std::string::npos) << message;
    EXPECT_TRUE(FolderNames(home_.Path(".local/share/Trash/files")).empty());
    if (c.source != Source::kDiscTrack) std::remove(cut.c_str());
    ExpectFolderHolds({"out.wav"});
    EXPECT_EQ(ReadAll(Doc("out.wav")), "the user's file");
  }
}

}  // namespace
}  // namespace engine_test
