// Loading tests: a CD-ROM manager with one buffer set, sound files in the Documents folder,
// programs over them, and the load of a save run step after step as a save's fill steps take
// it.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "SpCDROMProgram.h"
#include "TestQuickTime.h"
#include "TestResources.h"
#include "TestResponder.h"

#define SKIP_WITHOUT_FFMPEG_TOOL()                                                    \
  do {                                                                                \
    if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing"; \
  } while (0)

namespace engine_test {

// What a run of load steps gave: the working-format bytes of each item in turn.
struct LoadedRun {
  std::vector<std::string> items;
  int steps = 0;
  bool refused = false;
  bool loadError = false;
  bool started = true;  // the first item could be opened
};

class LoaderTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_EQ(Sp_InitialQuckTime(0), 1);
    manager_ = Sp_InitialCDRom(1, 1, kSpCDShareBuffSetNone);
    ASSERT_NE(manager_, nullptr);
    ASSERT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_, &dirID_),
              noErr);
    // An alert nobody expected fails the test at once instead of waiting for a person.
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    responder_.reset(new sp_testing::ResponderScope());
  }
  void TearDown() override {
    responder_.reset();
    EngineTest::TearDown();
  }

  std::string Doc(const std::string& name) const { return home_.Path("Documents/" + name); }

  // A program of these sound files of the Documents folder, in order (readable: each has its
  // sound-file object).
  cSp_CDRProgramBaseObj* FileProgram(const std::vector<std::string>& names, bool readable = true) {
    cSp_CDRProgramBaseObj* program = manager_->NewProgramBase();
    EXPECT_NE(program, nullptr);
    for (const std::string& name : names) {
      cSp_CDRProgramItemObj* item = program->NewProgramItem(-1);
      unsigned char error = 0;
      const Boolean described = item->SetupFileProgramInfo(
          vRefNum_, dirID_, name.c_str(), name.c_str(), kSpCDRProgItemSoundFile, nullptr, &error);
      EXPECT_TRUE(!readable || described) << name;
    }
    return program;
  }

  // An MPEG-4 file whose sound is marked protected ('enca' in place of 'mp4a'), made from a
  // short tone of the ffmpeg tool.
  void MakeProtectedM4a(const std::string& name) {
    ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Doc(name), "aac", 44100, 2, 0.2));
    ASSERT_TRUE(PatchDoc(name, "stsd", "mp4a", "enca"));
  }

  // Puts `with` over the first `what` after the first `after` in a document; false when they
  // are not found.
  bool PatchDoc(const std::string& name, const std::string& after, const std::string& what,
                const std::string& with) {
    std::ifstream in(Doc(name), std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    std::string bytes = read.str();
    const std::size_t start = bytes.find(after);
    const std::size_t at = start == std::string::npos ? start : bytes.find(what, start);
    if (at == std::string::npos) return false;
    cdtest::WriteFile(Doc(name), bytes.replace(at, what.size(), with));
    return true;
  }

  // Starts a save's data flow over every item of the program: its play chain, a buffer set,
  // the channel count of the save (0: each source's own, made 1 or 2).
  static void StartSave(cSp_CDRProgramBaseObj* program, short channels) {
    program->SetupAllItemIntoPlayProgramItem();
    ASSERT_TRUE(program->BorrowBufferSet());
    program->SetupLoadChannelCount(channels);
    program->StartSaveAndPlayEventLoop();
    ASSERT_TRUE(program->PlaySound());
  }

  // The load steps of the save until its data ends, taking each load buffer whole as the
  // fill steps do, and going on where the loader moved to the next item.
  static LoadedRun LoadAll(cSp_CDRProgramBaseObj* program) {
    LoadedRun run;
    run.items.emplace_back();
    sSp_CDRQTFileLoadInfoObj& info = program->GetLoadInfo();
    for (int guard = 0; guard < 200000; ++guard) {
      if (!info.initialised && !program->InitLoadQTFileSoundDataInfo(nullptr)) {
        run.started = run.steps > 0;
        break;
      }
      ++run.steps;
      if (!program->LoadQTFileSoundDataOnForwardForSaveDataInFileByVBR()) {
        run.refused = info.converterRefused != 0;
        run.loadError = info.loadError != 0;
        if (run.refused || run.loadError || info.loadEnded) break;
        continue;
      }
      const sSpSaveLoadSoundBuffer& buffer = *info.loadBuffer;
      run.items.back().append(reinterpret_cast<const char*>(buffer.samples), buffer.validBytes);
      // The fill sees an item switch only through the block's end of item.
      EXPECT_FALSE(info.itemFinished && !buffer.endOfItem) << "an item switch the fill misses";
      if (!buffer.endOfItem) continue;
      if (!info.itemFinished) break;
      program->ResetLoadInfoForItemSwitch();
      run.items.emplace_back();
    }
    return run;
  }

  std::unique_ptr<sp_testing::ResponderScope> responder_;
  cSp_CDRomManager* manager_ = nullptr;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
};

// The 16-bit big-endian samples of a string of bytes.
inline std::vector<SInt16> Samples(const std::string& bytes) {
  std::vector<SInt16> out(bytes.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = SInt16((UInt8(bytes[2 * i]) << 8) | UInt8(bytes[2 * i + 1]));
  }
  return out;
}

}  // namespace engine_test
