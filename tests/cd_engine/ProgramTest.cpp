// Programs: the play chain, random and creation order, speed, the size of a save, the
// multi-speed step parameters, the end-of-play list, the sound channel's callback, the read
// blocks and the check before a save.
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "ErrorLogCapture.h"
#include "LoaderFixture.h"
#include "SpCDROMLoadCDSoundData.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDR_FileMediaObject.h"
#include "SpTextCodec.h"
#include "TestEvents.h"

namespace engine_test {
namespace {

class ProgramTest : public LoaderTest {
 protected:
  // A program of n CD-track items (no CD behind them) of these lengths in sectors.
  cSp_CDRProgramBaseObj* TrackProgram(const std::vector<SInt32>& lengths) {
    cSp_CDRProgramBaseObj* program = manager_->NewProgramBase();
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      cSp_CDRProgramItemObj* item = program->NewProgramItem(-1);
      const std::string name = std::to_string(i + 1) + " T.aiff";
      item->SetupFileProgramInfo(vRefNum_, 0, name.c_str(), "T", kSpCDRProgItemCDTrack, nullptr,
                                 nullptr);
      item->SetupLength(lengths[i]);
    }
    return program;
  }

  // A sound-file item described by a record (the file need not exist).
  static void AddDescribedFile(cSp_CDRProgramBaseObj* program, short vRefNum, SInt32 dirID,
                               const std::string& name, SInt16 channels, float seconds) {
    sSpMusicFileInfo info{};
    info.format.format = SpFourCC("twos");
    info.format.numChannels = channels;
    info.format.sampleSize = 16;
    info.format.sampleRate = 0xAC440000;
    info.seconds = seconds;
    info.timeScale = 44100;
    info.duration = SInt32(seconds * 44100);
    cSp_CDRProgramItemObj* item = program->NewProgramItem(-1);
    ASSERT_TRUE(item->SetupFileProgramInfo(vRefNum, dirID, name.c_str(), name.c_str(),
                                           kSpCDRProgItemSoundFile, &info, nullptr));
  }

  // A program of sound files described by records, one second each.
  cSp_CDRProgramBaseObj* DescribedProgram(int n) {
    cSp_CDRProgramBaseObj* program = manager_->NewProgramBase();
    for (int i = 0; i < n; ++i)
      AddDescribedFile(program, vRefNum_, dirID_, "f" + std::to_string(i) + ".aif", 2, 1.0f);
    return program;
  }

  static std::vector<UInt32> Generations(const cSp_CDRProgramBaseObj& p) {
    std::vector<UInt32> out;
    SInt32 expected = 1;
    for (cSp_CDRProgramItemObj* i = p.GetFirstProgramItem(); i != nullptr;
         i = i->GetNextObjectPtr()) {
      out.push_back(i->GetGenerationNo());
      EXPECT_EQ(i->GetReferenceNo(), expected++) << "numbered 1..n in list order";
    }
    return out;
  }

  static std::vector<UInt32> Chain(const cSp_CDRProgramBaseObj& p) {
    std::vector<UInt32> out;
    for (cSp_CDRProgramItemObj* i = p.GetPlayChainHead(); i != nullptr && out.size() < 100;
         i = i->GetTargetNextObjectPtr()) {
      out.push_back(i->GetGenerationNo());
    }
    return out;
  }
};

using G = std::vector<UInt32>;

// The play chain takes each item once, in the order given; the first becomes current; an
// item disposed of leaves the chain closed behind it.
TEST_F(ProgramTest, ThePlayChainHoldsEachItemOnceInRunOrder) {
  cSp_CDRProgramBaseObj* p = TrackProgram({10, 20, 30, 40});
  EXPECT_TRUE(p->SetupPlayProgramItem(3));
  EXPECT_EQ(p->GetCurrentItem()->GetGenerationNo(), 3u);
  EXPECT_TRUE(p->SetupPlayProgramItem(1));
  EXPECT_TRUE(p->SetupPlayProgramItem(4));
  EXPECT_FALSE(p->SetupPlayProgramItem(3)) << "once only";
  EXPECT_FALSE(p->SetupPlayProgramItem(9)) << "no such item";
  EXPECT_FALSE(p->SetupPlayProgramItemPtr(nullptr));
  EXPECT_EQ(Chain(*p), (G{3, 1, 4}));
  EXPECT_TRUE(p->DisposeItem(UInt32(1)));
  EXPECT_EQ(Chain(*p), (G{3, 4}));
  EXPECT_TRUE(p->DisposeItem(p->GetProgramItemFromGenerationRefNum(4)));
  EXPECT_EQ(Chain(*p), (G{3}));
  p->SetupAllItemIntoPlayProgramItem();
  EXPECT_EQ(Chain(*p), (G{2, 3}));
  EXPECT_EQ(p->GetCurrentItem(), p->GetFirstProgramItem());
  p->ClearPlayProgramItem();
  EXPECT_TRUE(Chain(*p).empty());
  EXPECT_TRUE(p->SetupPlayProgramItem(2)) << "a cleared chain takes items again";
}

// Random order holds every item once, numbered 1..n, laid end to end on the time line; the
// order of creation comes back.
TEST_F(ProgramTest, RandomOrderIsAPermutationAndTheOrderOfCreationComesBack) {
  for (std::size_t n : {1u, 2u, 5u, 12u}) {
    SCOPED_TRACE(n);
    std::vector<SInt32> lengths;
    for (std::size_t i = 0; i < n; ++i) lengths.push_back(SInt32(75 + i * 10));
    cSp_CDRProgramBaseObj* p = TrackProgram(lengths);
    const G created = Generations(*p);
    bool moved = false;
    for (int round = 0; round < 6; ++round) {
      p->ModifyRandomProgram();
      const G shuffled = Generations(*p);
      moved = moved || shuffled != created;
      EXPECT_EQ(std::set<UInt32>(shuffled.begin(), shuffled.end()),
                std::set<UInt32>(created.begin(), created.end()));
      SInt32 next = 0;
      for (cSp_CDRProgramItemObj* i = n > 1 ? p->GetFirstProgramItem() : nullptr; i != nullptr;
           i = i->GetNextObjectPtr()) {
        EXPECT_EQ(Sp_CDPositionToSector(&i->GetRealStartPosition()), next);
        EXPECT_EQ(Sp_CDPositionToSector(&i->GetRealEndPosition()), next + i->GetLength());
        EXPECT_EQ(i->GetNormalReferenceNo(), i->GetGenerationNo()) << "creation order kept";
        next += i->GetLength() + 1;
      }
    }
    if (n != 2) {
      EXPECT_EQ(moved, n >= 5) << "the order changes, except for one item";
    }
    p->ResetInitialRankProgram();
    EXPECT_EQ(Generations(*p), created);
    manager_->DisposeProgramBase(p);
  }
}

// The speed factor takes values in (0, 10]; every call marks the speed changed.
TEST_F(ProgramTest, SpeedFactorIsTakenOnlyAboveZeroUpToTen) {
  cSp_CDRProgramBaseObj* p = TrackProgram({75});
  const struct {
    double asked, kept;
  } cases[] = {{0.0, 1.0}, {-1.0, 1.0}, {10.5, 1.0}, {NAN, 1.0}, {10.0, 10.0}, {0.25, 0.25}};
  for (const auto& c : cases) {
    p->ChangeMultiSpeed(1.0);
    EXPECT_EQ(p->ChangeMultiSpeed(c.asked), noErr);
    EXPECT_EQ(p->GetSpeedFactor(), c.kept) << c.asked;
    EXPECT_EQ(p->IsSpeedChanged(), 1);
  }
}

// The size of a save: the header (AIFF 54, WAVE 44), the sound at the save's channel count
// (stereo when any source has more than one channel, whatever their number) and speed.
TEST_F(ProgramTest, SaveSizesCountTheHeaderTheOutputChannelsAndTheSpeed) {
  cSp_CDRProgramBaseObj* track = TrackProgram({75});
  cSp_CDRProgramBaseObj* mono = manager_->NewProgramBase();
  AddDescribedFile(mono, vRefNum_, dirID_, "mono.aif", 1, 1.0f);
  cSp_CDRProgramBaseObj* six = manager_->NewProgramBase();
  AddDescribedFile(six, vRefNum_, dirID_, "six.wav", 6, 1.0f);
  cSp_CDRProgramBaseObj* mixed = manager_->NewProgramBase();
  AddDescribedFile(mixed, vRefNum_, dirID_, "mono.aif", 1, 1.0f);
  AddDescribedFile(mixed, vRefNum_, dirID_, "six long.wav", 6, 2.0f);
  const OSType wave = SpFourCC("WAVE"), aiff = SpFourCC("AIFF"), moov = SpFourCC("MooV");
  const struct {
    const char* why;
    cSp_CDRProgramBaseObj* program;
    short refNo;
    OSType type;
    float speed;
    short channels;
    UInt64 expected;
  } cases[] = {
      {"75 CD sectors as WAVE", track, 1, wave, 1.0f, 0, 44 + 176400},
      {"the same as AIFF", track, 1, aiff, 1.0f, 0, 54 + 176400},
      {"a movie has no header here", track, 1, moov, 1.0f, 0, 176400},
      {"twice the speed, half the sound", track, 1, wave, 2.0f, 0, 44 + 88200},
      {"the whole program", track, -1, wave, 1.0f, 0, 44 + 176400},
      {"a mono file stays mono", mono, 1, wave, 1.0f, 0, 44 + 88200},
      {"six channels become two", six, 1, wave, 1.0f, 0, 44 + 176400},
      {"one stereo source makes all stereo", mixed, -1, wave, 1.0f, 0, 44 + 176400 + 352800},
      {"a count given holds for all", mixed, -1, wave, 1.0f, 1, 44 + 88200 + 176400},
      {"no such item", track, 5, wave, 1.0f, 0, 0},
  };
  for (const auto& c : cases) {
    c.program->SetupSaveSpeed(c.speed);
    c.program->SetupLoadChannelCount(c.channels);
    EXPECT_EQ(c.program->GetSaveDataSize(c.refNo, c.type), c.expected) << c.why;
  }
}

// The size shown for a program of files is their sum only when every file's size is known: a
// file that went away makes the sum unknown rather than too small.
TEST_F(ProgramTest, TheFileSizeOfAProgramIsKnownOnlyWhenEveryFilesSizeIs) {
  cdtest::WriteFile(Doc("a.aif"), std::string(5000, 'a'));
  cdtest::WriteFile(Doc("b.aif"), std::string(9000, 'b'));
  const struct {
    std::vector<std::string> files;
    bool known;
  } cases[] = {
      {{"a.aif", "b.aif"}, true},
      {{"a.aif", "gone.aif"}, false},
      {{"gone.aif", "b.aif"}, false},
      {{"b.aif"}, true},
  };
  for (const auto& c : cases) {
    cSp_CDRProgramBaseObj* program = manager_->NewProgramBase();
    SInt64 sum = 0;
    for (const std::string& name : c.files) {
      AddDescribedFile(program, vRefNum_, dirID_, name, 2, 1.0f);
      SInt32 one = 0;
      if (program->GetFileProgramItemSize(UInt32(program->GetItemCount()), one)) sum += one;
    }
    SInt32 size = -1;
    EXPECT_EQ(program->GetFileProgramTotalSize(size), c.known)
        << c.files[0] << " " << c.files.size();
    if (c.known) {
      EXPECT_EQ(size, sum);
      EXPECT_GE(size, 9000);
    }
  }
}

// A file is listed only through a program that is that one sound file: a program of several
// files whose first is the file, or of one CD track, lists nothing. Files of one name in two
// folders are two files, each found by its own key and its own program.
TEST_F(ProgramTest, OnlyAProgramOfOneSoundFileListsItsFileUnderItsVolumeFolderAndName) {
  const SInt32 elsewhere = dirID_ + 0x10000;  // the same in its low 16 bits
  cSp_CDRProgramBaseObj* here = manager_->NewProgramBase();
  AddDescribedFile(here, vRefNum_, dirID_, "same.aif", 2, 1.0f);
  cSp_CDRProgramBaseObj* there = manager_->NewProgramBase();
  AddDescribedFile(there, vRefNum_, elsewhere, "same.aif", 2, 1.0f);
  cSp_CDRProgramBaseObj* several = manager_->NewProgramBase();
  AddDescribedFile(several, vRefNum_, dirID_, "first.aif", 2, 1.0f);
  AddDescribedFile(several, vRefNum_, dirID_, "second.aif", 2, 1.0f);
  TrackProgram({75});  // "1 T.aiff" of folder 0

  std::unordered_set<std::string> keys;
  Sp_CollectSoundFileKeys(keys);
  EXPECT_EQ(keys,
            (std::unordered_set<std::string>{Sp_SoundFileKey(vRefNum_, dirID_, "same.aif"),
                                             Sp_SoundFileKey(vRefNum_, elsewhere, "same.aif")}));
  EXPECT_EQ(Sp_GetTargetFileProgram(vRefNum_, dirID_, "same.aif"), here);
  EXPECT_EQ(Sp_GetTargetFileProgram(vRefNum_, elsewhere, "same.aif"), there);
  EXPECT_EQ(Sp_GetTargetFileProgram(vRefNum_, dirID_, "first.aif"), nullptr);
  EXPECT_EQ(Sp_GetTargetFileProgram(vRefNum_, 0, "1 T.aiff"), nullptr);

  // Each of volume, folder and name tells keys apart.
  const std::string key = Sp_SoundFileKey(vRefNum_, dirID_, "a.aif");
  EXPECT_EQ(key, Sp_SoundFileKey(vRefNum_, dirID_, "a.aif"));
  for (const std::string& other : {Sp_SoundFileKey(short(vRefNum_ - 1), dirID_, "a.aif"),
                                   Sp_SoundFileKey(vRefNum_, dirID_ + 1, "a.aif"),
                                   Sp_SoundFileKey(vRefNum_, elsewhere, "a.aif"),
                                   Sp_SoundFileKey(vRefNum_, dirID_, "b.aif")}) {
    EXPECT_NE(other, key);
  }
}

// The step parameters of a save at each speed: the hop (window of 4,116 frames shortened by
// the speed), its bytes, the fade step and the make-up gain above double speed.
TEST_F(ProgramTest, MultiSpeedParametersFollowTheSaveSpeed) {
  cSp_CDRProgramBaseObj* p = TrackProgram({75});
  ASSERT_TRUE(p->BorrowBufferSet());
  sSpSaveBufferSetBase context{};
  p->SetupSaveBufferSet(&context);
  p->StartSaveAndPlayEventLoop();
  const struct {
    float speed;
    short channels;
    SInt32 hop, hopBytes;
    float fade, level;
  } cases[] = {
      {1.0f, 2, 75, 300, 1.0f, 1.0f},         {1.01f, 2, 4068, 16272, 0.1f, 1.0f},
      {2.0f, 2, 2054, 8216, 0.1f, 1.0f},      {2.5f, 2, 1643, 6572, 0.1f, 1.3216875f},
      {3.0f, 2, 1369, 5476, 0.1f, 1.329375f}, {3.0f, 1, 1369, 2738, 0.1f, 1.329375f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.speed);
    p->SetupSaveSpeed(c.speed);
    p->GetLoadInfo().output.numChannels = c.channels;
    context = sSpSaveBufferSetBase();
    context.writePosition = 99;
    EXPECT_FALSE(p->InitializeMultiSpeedData()) << "only when asked for";
    p->SetupMultiSpeedDataPending();
    ASSERT_TRUE(p->InitializeMultiSpeedData());
    EXPECT_EQ(std::vector<SInt32>({context.writePosition, context.hopFrames, context.hopBytes}),
              std::vector<SInt32>({0, c.hop, c.hopBytes}));
    EXPECT_FLOAT_EQ(context.fadeStep, c.fade);
    EXPECT_FLOAT_EQ(p->GetLevelFactor(), c.level);
  }
  p->SetupSaveBufferSet(nullptr);
  p->SetupMultiSpeedDataPending();
  EXPECT_FALSE(p->InitializeMultiSpeedData()) << "a save needs its context";

  // Play-back keeps them in the buffer set, with the gain also between single and double speed.
  cSp_CDRProgramBaseObj* play = TrackProgram({75});
  manager_->DisposeProgramBase(p);
  ASSERT_TRUE(play->BorrowBufferSet());
  for (double f : {3.0, 1.5}) {
    play->ChangeMultiSpeed(f);
    play->SetupMultiSpeedDataPending();
    ASSERT_TRUE(play->InitializeMultiSpeedData());
    const sSpMultiSpeedState& m = play->GetBufferSet()->multiSpeed;
    EXPECT_EQ(m.framesPerStep, f == 3.0 ? 1369u : 2739u);
    EXPECT_EQ(m.framesLeft, m.framesPerStep);
    EXPECT_FLOAT_EQ(play->GetLevelFactor(), f == 3.0 ? 1.329375f : 1.3063125f);
  }
}

// Stopping a program that does not run still takes it back to its first item.
TEST_F(ProgramTest, StoppingAProgramThatDoesNotRunMakesTheFirstItemCurrent) {
  cSp_CDRProgramBaseObj* p = TrackProgram({75, 75, 75});
  ASSERT_TRUE(p->SetStartPointOnStopStatus(3));
  EXPECT_EQ(p->GetCurrentItem(), p->GetProgramItem(3));
  EXPECT_FALSE(p->SetStartPointOnStopStatus(7));
  EXPECT_EQ(p->StopTheMusic(), noErr);
  EXPECT_EQ(p->GetCurrentItem(), p->GetFirstProgramItem());
}

int gStops = 0;
void CountStop(unsigned long) {
  ++gStops;
}

// A program queued on the end-of-play list (twice, by two callbacks) is stopped once by the
// wipe-out and gives its buffer set back; a program disposed of leaves the list.
TEST_F(ProgramTest, TheEndOfPlayListStopsEachProgramOnce) {
  gStops = 0;
  cSp_CDRProgramBaseObj* a = DescribedProgram(1);
  cSp_CDRProgramBaseObj* b = DescribedProgram(1);
  a->SetupStopProc(CountStop, 0);
  b->SetupStopProc(CountStop, 0);
  ASSERT_TRUE(a->PlayBackProgram(-1));
  EXPECT_TRUE(a->IsPlaying());
  SpCDR_SetupEndOfPlayProgramList(a);
  SpCDR_SetupEndOfPlayProgramList(b);
  SpCDR_SetupEndOfPlayProgramList(a);
  SpCDR_ExecWipeOutProcEndOfPlayProgramList();
  EXPECT_EQ(gStops, 2) << "each program's stop procedure once";
  EXPECT_EQ(a->GetBufferSet(), nullptr);
  EXPECT_TRUE(b->BorrowBufferSet()) << "the set is free again";
  SpCDR_SetupEndOfPlayProgramList(b);
  manager_->DisposeProgramBase(b);
  SpCDR_ExecWipeOutProcEndOfPlayProgramList();  // finds nothing disposed
  EXPECT_EQ(gStops, 2);
}

// Buffers played on the channel come back to the free chain with what they played; the last
// one ends the play; a buffer of a program that gave its set back changes nothing.
TEST_F(ProgramTest, PlayedBuffersComeBackToTheFreeChainOnTheClock) {
  cSp_CDRProgramBaseObj* p = DescribedProgram(2);
  ASSERT_TRUE(p->PlayBackProgram(2));
  EXPECT_EQ(p->GetCurrentItem(), p->GetProgramItem(2));
  ASSERT_EQ(p->PlayTrackSync_StartInit(), 1) << "already playing";
  sSpPlayBackBufferSetBase* set = p->GetBufferSet();
  ASSERT_NE(set, nullptr);
  sSpPlayBackSoundBuffer* buffer = set->freeHead;
  set->freeHead = buffer->freeNext;
  set->freeHead->freeBefore = nullptr;
  --set->freeBufferCount;
  const SInt32 freeBefore = set->freeBufferCount;
  buffer->item = p->GetProgramItem(2);
  buffer->lastPosition = cDiscPosition(0, 2, 5);
  buffer->dataLength = 44100;  // a quarter second of stereo
  SndChannel* channel = nullptr;
  ASSERT_EQ(SndNewChannel(&channel, sampledSynth, initStereo,
                          NewSndCallBackUPP(Sp_CDRomPlayTrackSync_CallBack)),
            noErr);
  SndCommand cmd{callBackCmd, 100, reinterpret_cast<intptr_t>(buffer)};
  buffer->owner = p;
  Sp_CDRomPlayTrackSync_CallBack(channel, &cmd);
  EXPECT_EQ(set->freeBufferCount, freeBefore + 1);
  EXPECT_EQ(set->freeTail, buffer);
  EXPECT_EQ(p->GetNowPlayingItem(), p->GetProgramItem(2));
  EXPECT_EQ(Sp_CDPositionToSector(&p->GetPlayedPosition()), 155);
  gStops = 0;
  p->SetupStopProc(CountStop, 0);
  SpCDR_ExecWipeOutProcEndOfPlayProgramList();
  EXPECT_EQ(gStops, 1) << "the last buffer ended the play";
  // Now the program holds no set: the same buffer's callback does nothing.
  const SInt32 freeNow = set->freeBufferCount;
  Sp_CDRomPlayTrackSync_CallBack(channel, &cmd);
  EXPECT_EQ(set->freeBufferCount, freeNow);
  SndDisposeChannel(channel, true);
}

// A buffer queued on the program's channel plays on the clock and its callback comes back.
TEST_F(ProgramTest, QueuedBuffersPlayOnTheChannelWithoutADevice) {
  cSp_CDRProgramBaseObj* p = TrackProgram({75});
  ASSERT_TRUE(p->BorrowBufferSet());
  ASSERT_EQ(p->PlayTrackSync_StartInit(), noErr);
  ASSERT_NE(p->GetSoundChannel(), nullptr);
  sSpPlayBackBufferSetBase* set = p->GetBufferSet();
  sSpPlayBackSoundBuffer* buffer = set->freeHead;
  set->freeHead = buffer->freeNext;
  set->freeHead->freeBefore = nullptr;
  --set->freeBufferCount;
  buffer->item = p->GetFirstProgramItem();
  buffer->dataLength = 176400;  // one second
  ASSERT_EQ(p->QueuePlayBackSoundBuffer(buffer, 0), noErr);
  EXPECT_EQ(p->GetQueuedBufferCount(), 1);
  ASSERT_TRUE(sp_testing::PumpFor(900000));
  EXPECT_EQ(p->GetQueuedBufferCount(), 1) << "still playing";
  ASSERT_TRUE(sp_testing::PumpFor(200000));
  EXPECT_EQ(p->GetQueuedBufferCount(), 0);
  EXPECT_EQ(set->freeTail, buffer);
}

// The five read blocks are filled in turn; an abandoned read fills nothing.
TEST_F(ProgramTest, ReadBlocksAreFilledInTurnAndAbandonedReadsFillNothing) {
  cSp_CDRProgramBaseObj* p = TrackProgram({75});
  ASSERT_TRUE(p->BorrowBufferSet());
  p->InitializeLoadInfo();
  sSpPlayBackBufferSetBase* set = p->GetBufferSet();
  ASSERT_EQ(soundBuffSetPtr_GlV, set);
  std::vector<SInt32> order;
  for (int i = 0; i < 6; ++i) {
    set->readInProgress = 1;
    SpCDR_CatchCompleationReadCDData(nullptr);
    order.push_back(set->currentBlock);
    EXPECT_EQ(set->readInProgress, 0);
  }
  EXPECT_EQ(order, (std::vector<SInt32>{1, 2, 3, 4, 0, 1}));
  EXPECT_EQ(set->blockFree[0], 0);
  set->abandonRead = 1;
  set->blockFree[1] = 1;
  SpCDR_CatchCompleationReadCDData(nullptr);
  EXPECT_TRUE(set->abandonRead == 0 && set->blockFree[1] == 1 && set->currentBlock == 1);
  EXPECT_EQ(Sp_StopSound(nullptr), noErr);
  EXPECT_EQ(Sp_SMgr_SerchOutputComponent(), nullptr);
}

// The check before a save: readable files pass silently; protected ones are counted and told
// in one message; a missing file stops the save too.
TEST_F(ProgramTest, TheCheckBeforeASaveTellsProtectedAndMissingFiles) {
  SKIP_WITHOUT_FFMPEG_TOOL();
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("a.aif"), 2, 44100, 100));
  MakeProtectedM4a("one.m4a");
  MakeProtectedM4a("two.m4a");
  const std::string tail = "\n(Function : CheckAllProgramItemLoadPossibility)";
  const struct {
    std::vector<std::string> files;
    unsigned char tell;
    bool ok;
    std::string text;  // UTF-8; empty: nothing shown
  } cases[] = {
      {{"a.aif"}, 1, true, ""},
      {{"a.aif", "one.m4a"},
       1,
       false,
       "\none.m4a:著作権保護機能により保護されているファイルです。" + tail},
      {{"a.aif", "one.m4a", "two.m4a"},
       1,
       false,
       "\n3ファイルの中で、2ファイルが著作権保護機能により保護されているファイルです。" + tail},
      {{"one.m4a", "two.m4a"},
       1,
       false,
       "\n2ファイルの全てが著作権保護機能により保護されているファイルです。" + tail},
      {{"a.aif", "gone.aif"},
       1,
       false,
       "実行初期化段階でファイル再生時間の取得に失敗しました。処理を中断します。" + tail},
      {{"one.m4a"}, 0, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    cSp_CDRProgramBaseObj* p = FileProgram(c.files, false);
    const std::size_t shown = sp_testing::ShownSoFar().size();
    if (!c.text.empty()) sp_testing::Respond(sp_testing::Answer::Return());
    EXPECT_EQ(bool(p->CheckAllProgramItemLoadPossibility(c.tell, nullptr)), c.ok);
    ASSERT_EQ(sp_testing::ShownSoFar().size(), shown + (c.text.empty() ? 0 : 1));
    if (!c.text.empty()) {
      const std::string message =
          sp::text::MacJapaneseToUTF8(sp_testing::ShownSoFar().back().message);
      EXPECT_EQ(message, c.text);
      EXPECT_EQ(message.find("test"), std::string::npos);
    }
    manager_->DisposeProgramBase(p);
  }
}

// The output converter of a movie save: 'twos' at the working format needs none and gets a
// description of its own; AAC gets an encoder whose description carries its 'wave' atom.
// Both descriptions find their samples through data reference 1.
TEST_F(ProgramTest, MovieSavesGetAnOutputConverterAndADescription) {
  cSp_CDRProgramBaseObj* p = DescribedProgram(1);
  p->SetupLoadChannelCount(2);
  p->SetupSaveCompression(SpFourCC("twos"), 0xAC440000, 16, 2, nullptr);
  ASSERT_TRUE(p->InitSaveQTFileSoundDataConvertInfo());
  EXPECT_EQ(p->UsesOutputConverter(), 0);
  EXPECT_EQ(p->GetOutputConverter(), nullptr);
  ASSERT_NE(p->GetOutputDescription(), nullptr);
  SoundDescriptionV1 d = **p->GetOutputDescription();
  EXPECT_EQ(std::vector<SInt32>({d.desc.descSize, SInt32(d.desc.dataFormat), d.desc.dataRefIndex,
                                 d.desc.version, d.desc.numChannels, SInt32(d.bytesPerFrame)}),
            std::vector<SInt32>({52, SInt32(SpFourCC("twos")), 1, 1, 2, 4}));

  p->SetupSoundFileType(SpFourCC("MooV"));
  p->SetupSaveCompression(SpFourCC("mp4a"), 0xAC440000, 16, 2, nullptr);
  ASSERT_TRUE(p->InitSaveQTFileSoundDataConvertInfo());
  EXPECT_EQ(p->UsesOutputConverter(), 1);
  EXPECT_NE(p->GetOutputConverter(), nullptr);
  EXPECT_EQ(p->IsVBROutput(), 1);
  EXPECT_EQ(p->GetOutputCompression().samplesPerPacket, 1024);
  EXPECT_EQ(p->GetOutputBufferSize(), SpCDR_SaveBufferBytes(nullptr));
  EXPECT_NE(p->GetOutputBuffer(), nullptr);
  Handle h = reinterpret_cast<Handle>(p->GetOutputDescription());
  d = **p->GetOutputDescription();
  EXPECT_EQ(d.desc.dataRefIndex, 1);
  EXPECT_EQ(d.desc.descSize, SInt32(GetHandleSize(h)));
  Handle esds = nullptr;
  EXPECT_EQ(GetSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(h), &esds,
                                         SpFourCC("esds")),
            noErr);
  if (esds != nullptr) DisposeHandle(esds);
  EXPECT_EQ(SpCDR_SaveBufferBytes(nullptr), 750u * 2352) << "16 MiB of MaxBlock: 10 s buffers";
}

}  // namespace
}  // namespace engine_test
