// The work at a save's start and end is spread over passes of the event loop, one piece a
// pass (counted in passes, never timed): the start's buffers, source and tags before the first
// sound, and the end's flush, header or movie index, second flush and rename after the last.
// A stop, or the program's disposal, during the end leaves the folder as it was.
#include "SaveFixture.h"
#include "SpCDRomManager.h"

namespace engine_test {
namespace {

class SavePasses : public SaveTest {
 protected:
  // A five-second source and the user's file of the target's name.
  cSp_CDRProgramBaseObj* Source(const std::string& target) {
    EXPECT_TRUE(sp_testing::WriteTestAiff(Doc("in.aiff"), 2, 44100, 44100 * 5));
    cdtest::WriteFile(Doc(target), "the user's file");
    return SaveProgram({"in.aiff"});
  }
  bool Start(cSp_CDRProgramBaseObj* p, tCDRISoundFileType type, OSType compression,
             const std::string& target) {
    const Boolean started =
        type == kSpCDRISoundFileTypeWAVE
            ? p->SaveTargetProgItem(-1, &folder_, target.c_str(), 1, SpFourCC("TVOD"), type, 1.0f,
                                    0, nullptr, 0)
            : p->SaveTargetProgItemIntoQuickTimeFile(-1, &folder_, target.c_str(), 1, type,
                                                     compression, 0xAC440000, 16, 2, nullptr,
                                                     1.0f, nullptr, 0);
    if (!started) return false;
    p->StartSaveAndPlayEventLoop();
    if (type == kSpCDRISoundFileTypeWAVE) {
      SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    } else {
      SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    }
    return true;
  }
};

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
    cSp_CDRProgramBaseObj* p = Source(c.target);
    ASSERT_TRUE(Start(p, c.type, c.compression, c.target));
    const sp_testing::PumpResult start = sp_testing::PumpUntil(
        [p] { return p->GetSaveBufferSet() != nullptr && p->GetSaveBufferSet()->bytesWritten > 0; });
    ASSERT_TRUE(start);
    EXPECT_GE(start.passes, c.startPasses);

    ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->IsSaveEnding(); }));
    EXPECT_TRUE(SaveEnds().empty()) << "the end begins in the pass of the last sound";
    EXPECT_TRUE(p->IsSaveRunning());
    EXPECT_EQ(ReadAll(Doc(c.target)), "the user's file");
    const sp_testing::PumpResult end = sp_testing::PumpUntil([] { return !SaveEnds().empty(); });
    ASSERT_TRUE(end);
    EXPECT_GE(end.passes, 4u) << "the flush, the finish, the second flush, the name";
    EXPECT_EQ(SaveEnds().back().stopped, 0);
    EXPECT_FALSE(p->IsSaveEnding());
    EXPECT_FALSE(p->IsSaveRunning());
    EXPECT_NE(ReadAll(Doc(c.target)), "the user's file");
    EXPECT_GT(ReadAll(Doc(c.target)).size(), 10000u);
    ExpectFolderHolds({"in.aiff", c.target});
    std::remove(Doc(c.target).c_str());
    std::remove(Doc("in.aiff").c_str());
    SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    SpCDRI_DisableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
  }
}

// Stopped after each step of its end, or disposed of while it ends: the temporary file goes
// and the user's file stays as it was.
TEST_F(SavePasses, AStopOrADisposalWhileASaveEndsLeavesTheFolderAsItWas) {
  for (UInt64 steps = 0; steps <= 4; ++steps) {
    const bool dispose = steps == 4;
    SCOPED_TRACE(dispose ? std::string("disposed") : "stopped after " + std::to_string(steps));
    SaveEnds().clear();
    cSp_CDRProgramBaseObj* p = Source("out.wav");
    ASSERT_TRUE(Start(p, kSpCDRISoundFileTypeWAVE, 0, "out.wav"));
    ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->IsSaveEnding(); }));
    for (UInt64 i = 0; i < steps && !dispose; ++i) {
      UInt64 passes = 0;
      ASSERT_TRUE(sp_testing::PumpUntil([&passes] { return ++passes > 1; }));
    }
    ASSERT_TRUE(SaveEnds().empty());
    if (dispose) {
      Sp_CDDisposeProgram(p);
      EXPECT_TRUE(SaveEnds().empty()) << "a disposed program calls back no more";
    } else {
      p->StopSaveProgram();
      ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
      EXPECT_EQ(SaveEnds().back().stopped, 1);
      EXPECT_FALSE(p->IsSaveRunning());
    }
    EXPECT_EQ(ReadAll(Doc("out.wav")), "the user's file");
    ExpectFolderHolds({"in.aiff", "out.wav"});
  }
}

// The end callback, run in the last step of the end from the save's own timer, may dispose of
// its program (nothing of it is used after the callback).
TEST_F(SavePasses, TheEndCallbackMayDisposeOfItsProgram) {
  cSp_CDRProgramBaseObj* p = Source("out.wav");
  p->SetupSaveFileEndProcCB(
      [](cSp_CDRProgramBaseObj* program, unsigned char stopped, unsigned long) {
        RecordSaveEnd(program, stopped, 0);
        Sp_CDDisposeProgram(program);
      },
      0);
  ASSERT_TRUE(Start(p, kSpCDRISoundFileTypeWAVE, 0, "out.wav"));
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
  EXPECT_EQ(SaveEnds().back().stopped, 0);
  int passes = 0;
  EXPECT_TRUE(sp_testing::PumpUntil([&passes] { return ++passes > 5; }));
  EXPECT_EQ(SaveEnds().size(), 1u);
  ExpectFolderHolds({"in.aiff", "out.wav"});
}

// A save loads at most one save buffer at a time: its load buffer and the converter's input
// are that size, not a quarter of all the memory there is (the peak of a disc's save).
TEST_F(SavePasses, ASaveLoadsAtMostASaveBufferAtATime) {
  cSp_CDRProgramBaseObj* p = Source("out.wav");
  ASSERT_TRUE(Start(p, kSpCDRISoundFileTypeWAVE, 0, "out.wav"));
  ASSERT_TRUE(sp_testing::PumpUntil([p] { return p->GetLoadInfo().loadBuffer != nullptr; }));
  const UInt32 buffer = SpCDR_SaveBufferBytes(nullptr);
  EXPECT_EQ(p->GetLoadInfo().loadBuffer->capacity, buffer);
  EXPECT_LE(p->GetLoadInfo().sampleHandleSize, buffer);
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
  EXPECT_EQ(SaveEnds().back().stopped, 0);
  EXPECT_EQ(ReadAll(Doc("out.wav")).size(), 44u + 44100u * 4 * 5) << "the whole sound";
}

}  // namespace
}  // namespace engine_test
