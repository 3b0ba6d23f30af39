// The work at a save's start and end is spread over passes of the event loop, one piece a
// pass (counted in passes, never timed): the start's buffers, source and tags before the first
// sound, and the end's flush, header or movie index, second flush and rename after the last.
// A stop, or the program's disposal, during the end leaves the folder as it was.
#include "SaveFixture.h"
#include "SpCDRomManager.h"
#include "TestResponder.h"

namespace engine_test {
namespace {

class SavePasses : public SaveTest {
 protected:
  // Starts a save of a five-second source over the user's file of the target's name.
  cSp_CDRProgramBaseObj* Start(const std::string& target, tCDRISoundFileType type,
                               OSType compression = 0, int seconds = 5) {
    EXPECT_TRUE(sp_testing::WriteTestAiff(Doc("in.aiff"), 2, 44100, 44100 * seconds));
    cdtest::WriteFile(Doc(target), "the user's file");
    cSp_CDRProgramBaseObj* p = SaveProgram({"in.aiff"});
    const bool plain = type == kSpCDRISoundFileTypeWAVE;
    EXPECT_TRUE(plain ? p->SaveTargetProgItem(-1, &folder_, target.c_str(), 1, SpFourCC("TVOD"),
                                              type, 1.0f, 0, nullptr, 0)
                      : p->SaveTargetProgItemIntoQuickTimeFile(-1, &folder_, target.c_str(), 1,
                                                               type, compression, 0xAC440000, 16, 2,
                                                               nullptr, 1.0f, nullptr, 0));
    p->StartSaveAndPlayEventLoop();
    SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    SpCDRI_DisableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    plain ? SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent()
          : SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    // Its end callback disposes of the program, as a caller may: nothing of the program may
    // be touched after it.
    p->SetupSaveFileEndProcCB(
        [](cSp_CDRProgramBaseObj* program, unsigned char stopped, unsigned long) {
          RecordSaveEnd(program, stopped, 0);
          Sp_CDDisposeProgram(program);
        },
        0);
    return p;
  }
};

// A save loads at most a save buffer at a time (not a quarter of the memory there is).
TEST_F(SavePasses, AFilesStartAndEndTakeAPassForEachPieceOfTheirWork) {
  const struct {
    const char* target;
    tCDRISoundFileType type;
    OSType compression;
    UInt64 startPasses;  // to the first sound written
  } cases[] = {
      // the buffers, the source, the tags, the first load, the first write
      {"out.wav", kSpCDRISoundFileTypeWAVE, 0, 5},
      // the buffers, the source with the converter and the tags, then the sound
      {"out.mov", kSpCDRISoundFileTypeMovieNoCompress, 0, 4},
      {"aac.mov", kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    SaveEnds().clear();
    cSp_CDRProgramBaseObj* p = Start(c.target, c.type, c.compression);
    const sp_testing::PumpResult opened =
        sp_testing::PumpUntil([p] { return p->GetLoadInfo().loadBuffer != nullptr; });
    ASSERT_TRUE(opened);
    EXPECT_EQ(p->GetLoadInfo().loadBuffer->capacity, SpCDR_SaveBufferBytes(nullptr));
    EXPECT_LE(p->GetLoadInfo().sampleHandleSize, SpCDR_SaveBufferBytes(nullptr));
    const sp_testing::PumpResult start = sp_testing::PumpUntil([p] {
      return p->GetSaveBufferSet() != nullptr && p->GetSaveBufferSet()->bytesWritten > 0;
    });
    EXPECT_GE(opened.passes + start.passes, c.startPasses);

    ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->IsSaveEnding(); }));
    EXPECT_TRUE(SaveEnds().empty()) << "the end begins in the pass of the last sound";
    EXPECT_TRUE(p->IsSaveRunning());
    EXPECT_EQ(ReadAll(Doc(c.target)), "the user's file");
    const sp_testing::PumpResult end = sp_testing::PumpUntil([] { return !SaveEnds().empty(); });
    EXPECT_GE(end.passes, 4u) << "the flush, the finish, the second flush, the name";
    EXPECT_EQ(SaveEnds().back().stopped, 0);
    EXPECT_GT(ReadAll(Doc(c.target)).size(), 10000u);
    ExpectFolderHolds({"in.aiff", c.target});
    int passes = 0;
    EXPECT_TRUE(sp_testing::PumpUntil([&passes] { return ++passes > 5; }));
    EXPECT_EQ(SaveEnds().size(), 1u);
    std::remove(Doc(c.target).c_str());
  }
}

// A compressing save hands its converter a tenth of a second of sound at a time: the encoder
// compresses each take whole within one pass, and its first ones run slowly.
TEST_F(SavePasses, ACompressingSaveHandsItsConverterATenthOfASecondAtATime) {
  SaveEnds().clear();
  cSp_CDRProgramBaseObj* p = Start("aac.mov", kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"));
  // The source opened with the converter, in the pass before the first take.
  ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->GetLoadInfo().initialised != 0; }));
  const UInt64 before = testStaclDataSize_GlV;
  // The takes, asked for as the converter asks, to the source's end.
  sSpCDRWriteQTFileCnvInfo taking = sSpCDRWriteQTFileCnvInfo();
  taking.program = p;
  int takes = 0;
  for (; takes < 100 && !taking.end; ++takes) {
    SoundComponentData* given = nullptr;
    ASSERT_TRUE(SpCDROM_CatchSaveQTFileSoundConverterFillBufferDataCB(&given, &taking));
    EXPECT_LE(taking.record.frameCount, 4410) << takes;
  }
  EXPECT_TRUE(taking.end);
  EXPECT_EQ(testStaclDataSize_GlV - before, 44100u * 5 * 4) << "every frame given once";
  p->StopSaveProgram();
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
  EXPECT_EQ(ReadAll(Doc("aac.mov")), "the user's file");
}

// While the disk is far behind a save's writes, the save writes no more and does not end,
// and the passes go on meanwhile; once the disk has caught up, it goes on and ends whole.
TEST_F(SavePasses, ADiskFarBehindHoldsTheWritesAndTheEndButNotThePasses) {
  SaveEnds().clear();
  cSp_CDRProgramBaseObj* p = Start("out.wav", kSpCDRISoundFileTypeWAVE, 0, 60);
  auto written = [p] { return p->GetSaveBufferSet()->bytesWritten; };
  ASSERT_TRUE(sp_testing::PumpUntil(
      [&] { return p->GetSaveBufferSet() != nullptr && written() > (5u << 20); }));
  auto pump = [](int count) {
    int passes = 0;
    EXPECT_TRUE(sp_testing::PumpUntil([&passes, count] { return ++passes > count; }));
  };
  sp_testing::SetDiskFarBehind(true);
  // The write already on its way may still go.
  pump(10);
  const UInt64 held = written();
  pump(20);
  EXPECT_EQ(written(), held) << "nothing more written";
  EXPECT_FALSE(p->IsSaveEnding());

  sp_testing::SetDiskFarBehind(false);
  ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->IsSaveEnding(); }));
  sp_testing::SetDiskFarBehind(true);
  pump(20);
  EXPECT_TRUE(SaveEnds().empty()) << "the end waits for the disk";
  EXPECT_EQ(ReadAll(Doc("out.wav")), "the user's file");
  sp_testing::SetDiskFarBehind(false);
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
  EXPECT_EQ(SaveEnds().back().stopped, 0);
  EXPECT_EQ(ReadAll(Doc("out.wav")).size(), 44u + 44100u * 60 * 4);
  ExpectFolderHolds({"in.aiff", "out.wav"});
}

// A report that a save's end could not finish (its file went meanwhile) waits for the user
// with the loop as still as when idle: the save's step timer, which fires on every pass, is
// held meanwhile. Held before as well (a question asked just then), it stays held after.
TEST_F(SavePasses, AReportAtASavesEndWaitsWithoutTurningTheLoopEveryPass) {
  for (const bool pausedBefore : {false, true}) {
    SCOPED_TRACE(pausedBefore ? "paused before" : "running");
    SaveEnds().clear();
    cSp_CDRProgramBaseObj* p = Start("out.wav", kSpCDRISoundFileTypeWAVE);
    ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->IsSaveEnding(); }));
    std::remove(Doc(p->GetSaveTarget().tempName).c_str());
    if (pausedBefore) SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseStart();
    UInt64 passes = 0;
    sp_testing::Respond(
        sp_testing::Answer()
            .Do([&passes](WindowRef) { passes = sp_testing::PumpFor(2000000).passes; },
                "wait two seconds")
            .PressReturn());
    ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
    EXPECT_EQ(SaveEnds().back().stopped, 1);
    EXPECT_EQ(sp_testing::PendingAnswerCount(), 0) << "no report";
    // The clock's ticks and the poll's beat (a few dozen passes), not a pass each
    // millisecond of the virtual clock as a timer of every pass makes it.
    EXPECT_GT(passes, 0u);
    EXPECT_LT(passes, 400u);
    // The held step goes on every pass again once answered, or stays held as it was.
    const UInt64 after = sp_testing::PumpFor(100000).passes;
    if (pausedBefore) {
      EXPECT_LT(after, 10u);
      SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd();
    } else {
      EXPECT_GT(after, 50u);
    }
    ExpectFolderHolds({"in.aiff", "out.wav"});
    std::remove(Doc("out.wav").c_str());
  }
}

// Stopped while it writes or after each step of its end, or disposed of while it ends: the
// temporary file goes and the user's file stays as it was.
TEST_F(SavePasses, AStopOrADisposalWhileASaveEndsLeavesTheFolderAsItWas) {
  for (int steps = -1; steps <= 4; ++steps) {
    SCOPED_TRACE(steps);
    SaveEnds().clear();
    cSp_CDRProgramBaseObj* p = Start("out.wav", kSpCDRISoundFileTypeWAVE);
    if (steps >= 0) {
      ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->IsSaveEnding(); }));
      int passes = 0;
      ASSERT_TRUE(sp_testing::PumpUntil([&] { return steps == 4 || passes++ == steps; }));
    }
    ASSERT_TRUE(SaveEnds().empty());
    if (steps == 4) {
      Sp_CDDisposeProgram(p);
      EXPECT_TRUE(SaveEnds().empty()) << "a disposed program calls back no more";
    } else {
      p->StopSaveProgram();
      ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
      EXPECT_EQ(SaveEnds().back().stopped, 1);
    }
    EXPECT_EQ(ReadAll(Doc("out.wav")), "the user's file");
    ExpectFolderHolds({"in.aiff", "out.wav"});
  }
}

}  // namespace
}  // namespace engine_test
