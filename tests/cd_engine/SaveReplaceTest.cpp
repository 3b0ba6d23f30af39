// The end of a save over an existing file: the target name names the old file until it names
// the complete new one, wherever a kill falls; a folder of the name is never replaced; a save
// whose folder went is a failed save; temporary files of killed saves are cleaned up, and only
// they; what keeps a save from starting is told as the system gave it.
#include <sys/mount.h>
#include <sys/wait.h>

#include <cstring>

#include "KillSteps.h"
#include "PrivateMounts.h"
#include "SaveFixture.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestResponder.h"
#include "TrashJudge.h"
#include "files/internal/FileLocations.h"

namespace engine_test {
namespace {

using sp_testing::Answer;

const char kOld[] = "the user's old file";
constexpr UInt32 kFrames = 4410;

std::string TemporaryName(int number) {
  return "mSpeadFileTmp" + (number == 0 ? std::string() : std::to_string(number));
}

class SaveReplace : public SaveTest {
 protected:
  void SetUp() override {
    SaveTest::SetUp();
    ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("src.aiff"), 2, 44100, kFrames));
  }
  std::string Trash() const { return home_.Path(".local/share/Trash"); }
  std::string DataFolder() const { return home_.Path(".local/share/mediamanager"); }
  static std::string Shown() {
    std::string all;
    for (const sp_testing::Shown& s : sp_testing::ShownSoFar())
      all += sp::text::MacJapaneseToUTF8(s.message + " " + s.explanation) + "\n";
    return all;
  }
  // The saved WAVE file is whole: its size, and the frames sox reads from it.
  static void ExpectWholeNewFile(const std::string& path) {
    EXPECT_EQ(ReadAll(path).size(), 44u + kFrames * 4u);
    if (HaveTool("soxi")) {
      EXPECT_EQ(Tool({"soxi", "-s", path}), std::to_string(kFrames));
    }
  }
  static FSRef RefOf(const std::string& path) {
    sp_platform::files::Location loc;
    EXPECT_EQ(sp_platform::files::LocatePath(path, loc), noErr) << path;
    FSRef ref{};
    sp_platform::files::MakeFSRef(loc, &ref);
    return ref;
  }
  // Temporary files that a process which has ended since recorded and made in the folder, as
  // a save killed in its middle leaves them.
  static void LeaveRecordedTemporaries(const FSRef& folder, int count) {
    short vRefNum = 0;
    SInt32 dirID = 0;
    ASSERT_EQ(Sp_GetDirectoryPositionInfoFromFSRef(&folder, &vRefNum, &dirID), noErr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 0; n < count; ++n) {
        Str255 name;
        const std::string text = TemporaryName(n);
        name[0] = UInt8(text.size());
        std::memcpy(name + 1, text.data(), text.size());
        UInt32 record = 0;
        if (SpRecordTemporaryFile(vRefNum, dirID, name, &record) != noErr ||
            HCreate(vRefNum, dirID, name, SpFourCC("TVOD"), SpFourCC("WAVE")) != noErr ||
            SpTemporaryFileMade(record) != noErr) {
          _exit(1);
        }
      }
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
};

// A save over the user's file killed before each change it makes to a folder, then run to its
// end: after every kill the name holds the old file or the whole new one, the Trash lists no
// entry without its item and the old file at most once, and the next clean-up leaves nothing
// of the save behind. At the end the new file has the name and trash-restore brings the old
// one back.
TEST_F(SaveReplace, AKillAnywhereLeavesTheOldFileOrTheWholeNewOne) {
  if (!test_support::HaveTrashCli()) GTEST_SKIP() << "trash-cli is not installed";
  const std::string docs = home_.Path("Documents");
  const int steps = test_support::RunKilledAtEachStep(
      [&] {
        std::system(("rm -rf '" + Trash() + "' '" + docs + "'/mSpeadFileTmp*").c_str());
        cdtest::WriteFile(Doc("out.wav"), kOld);
      },
      [&] {
        cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
        return SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE) == 0 ? 0 : 1;
      },
      [&](const test_support::KilledRun& run) {
        SCOPED_TRACE("killed before step " + std::to_string(run.step));
        if (ReadAll(Doc("out.wav")) != kOld) ExpectWholeNewFile(Doc("out.wav"));
        EXPECT_EQ(test_support::TrashPhantoms(Trash()), std::vector<std::string>());
        EXPECT_LE(test_support::TrashListedFrom(docs).size(), 1u);
        if (!run.finished) {
          SpCDR_RemoveLeftoverTemporaryFiles();
          ExpectFolderHolds({"out.wav", "src.aiff"});
          EXPECT_EQ(test_support::TrashEntries(Trash(), "info"),
                    test_support::TrashEntries(Trash(), "files"));
          return;
        }
        EXPECT_EQ(run.status, 0);
        ExpectWholeNewFile(Doc("out.wav"));
        ExpectFolderHolds({"out.wav", "src.aiff"});
        EXPECT_EQ(test_support::TrashEntries(DataFolder(), "temporaries"), 0)
            << "no record outlives its save";
        ASSERT_EQ(test_support::TrashListedFrom(docs).size(), 1u);
        ASSERT_EQ(std::rename(Doc("out.wav").c_str(), Doc("new.wav").c_str()), 0);
        Tool({"sh", "-c", "cd '" + docs + "' && echo 0 | trash-restore"});
        EXPECT_EQ(ReadAll(Doc("out.wav")), kOld) << "restored by another program";
      });
  EXPECT_GE(steps, 4) << "record, temporary file, Trash, rename";
}

// A folder of the target's name stays a folder with what it holds; the save fails, says so
// once, and leaves no temporary file.
TEST_F(SaveReplace, AFolderOfTheTargetNameIsNeverReplaced) {
  ASSERT_EQ(mkdir(Doc("out.wav").c_str(), 0700), 0);
  cdtest::WriteFile(Doc("out.wav/inside"), "kept");
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  sp_testing::Respond(Answer::Return());
  EXPECT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), 1);
  EXPECT_EQ(ReadAll(Doc("out.wav/inside")), "kept");
  ExpectFolderHolds({"out.wav", "src.aiff"});
  EXPECT_EQ(test_support::TrashEntries(Trash(), "files"), 0);
  EXPECT_EQ(sp_testing::ShownSoFar().size(), 1u) << Shown();
  EXPECT_NE(Shown().find("フォルダ"), std::string::npos) << Shown();
}

// The old file cannot be kept in the Trash (a file holds the Trash's place): the old file keeps
// its name, the complete new one stays under its temporary name, which the user is told once;
// the save reports a failure, and the kept file is no leftover for a later clean-up.
TEST_F(SaveReplace, ANewFileThatCannotTakeTheNameStaysAndIsNamed) {
  ASSERT_EQ(std::system(("mkdir -p '" + home_.Path(".local/share") + "'").c_str()), 0);
  cdtest::WriteFile(Trash(), "no Trash");
  cdtest::WriteFile(Doc("out.wav"), kOld);
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  sp_testing::Respond(Answer::Return());
  EXPECT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), 1);
  EXPECT_EQ(ReadAll(Doc("out.wav")), kOld);
  ExpectWholeNewFile(Doc("mSpeadFileTmp"));
  EXPECT_EQ(sp_testing::ShownSoFar().size(), 1u) << Shown();
  EXPECT_NE(Shown().find("「mSpeadFileTmp」"), std::string::npos) << Shown();
  SpCDR_RemoveLeftoverTemporaryFiles();
  ExpectFolderHolds({"mSpeadFileTmp", "out.wav", "src.aiff"});
  EXPECT_EQ(test_support::TrashEntries(DataFolder(), "temporaries"), 0);
}

// A name the folder cannot hold (a ':' is the separator of the program's names): the new file
// stays under its temporary name, and the report says the name could not be given, not that
// some old file could not go to the Trash.
TEST_F(SaveReplace, ANameTheFolderCannotHoldIsToldAsNotGiven) {
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  sp_testing::Respond(Answer::Return());
  EXPECT_EQ(SavePlain(p, "a:b.wav", kSpCDRISoundFileTypeWAVE), 1);
  ExpectWholeNewFile(Doc("mSpeadFileTmp"));
  EXPECT_NE(Shown().find("保存したファイルの名前を変更できませんでした。ファイルは「mSpeadFileTmp」"),
            std::string::npos)
      << Shown();
}

// The saved file gone before it can take the name (the temporary file, or the target folder
// with it, removed while the save runs): a failed save, told once and pointing at no file; the
// user's file stays, and no record of the temporary file is left behind.
TEST_F(SaveReplace, ASaveWhoseFileWentIsAFailedSave) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("long.aiff"), 2, 44100, 44100 * 30));
  for (const char* removed : {"sub/mSpeadFileTmp", "sub"}) {
    SCOPED_TRACE(removed);
    SaveEnds().clear();
    const std::size_t shown = sp_testing::ShownSoFar().size();
    ASSERT_EQ(std::system(("mkdir -p '" + Doc("sub") + "'").c_str()), 0);
    cdtest::WriteFile(Doc("sub/out.wav"), kOld);
    const FSRef sub = RefOf(Doc("sub"));
    cSp_CDRProgramBaseObj* p = SaveProgram({"long.aiff"});
    sp_testing::Respond(Answer::Return());
    StartAndWrite(p, sub);
    ASSERT_EQ(std::system(("rm -rf '" + Doc(removed) + "'").c_str()), 0);
    ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
    EXPECT_EQ(SaveEnds().back().stopped, 1);
    ASSERT_EQ(sp_testing::ShownSoFar().size(), shown + 1) << Shown();
    EXPECT_EQ(sp_testing::ShownSoFar().back().message.find("mSpeadFileTmp"), std::string::npos)
        << "no file to point at";
    EXPECT_EQ(ReadAll(Doc("sub/out.wav")), std::string(removed) == "sub" ? "" : kOld);
    EXPECT_EQ(test_support::TrashEntries(Trash(), "files"), 0);
    EXPECT_EQ(test_support::TrashEntries(DataFolder(), "temporaries"), 0);
  }
}

// 101 temporary files of killed saves (every name a save may take) go at the engine's start and
// with the next save into their folder, which then succeeds; files that merely have their
// names, and one a user put in a recorded file's place, stay.
TEST_F(SaveReplace, TemporaryFilesOfKilledSavesGoAndOnlyThey) {
  ASSERT_EQ(mkdir(Doc("other").c_str(), 0700), 0);
  const FSRef other = RefOf(Doc("other"));
  LeaveRecordedTemporaries(other, 3);
  Sp_DisposeCDRom(0);
  manager_ = Sp_InitialCDRom(1, 1, kSpCDShareBuffSetNone);
  ASSERT_NE(manager_, nullptr);
  EXPECT_TRUE(FolderNames(Doc("other")).empty()) << "removed at start";

  LeaveRecordedTemporaries(folder_, 101);
  ASSERT_EQ(std::remove(Doc("mSpeadFileTmp7").c_str()), 0);
  cdtest::WriteFile(Doc("mSpeadFileTmp7"), "the user's");
  cdtest::WriteFile(Doc("other/mSpeadFileTmp"), "a look-alike");
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  ASSERT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), 0);
  ExpectWholeNewFile(Doc("out.wav"));
  ExpectFolderHolds({"mSpeadFileTmp7", "other", "out.wav", "src.aiff"});
  EXPECT_EQ(ReadAll(Doc("mSpeadFileTmp7")), "the user's");
  EXPECT_EQ(ReadAll(Doc("other/mSpeadFileTmp")), "a look-alike");
}

// The program's data folder cannot be written (it is read-only): the temporary file could not
// be recorded, so none is made; the user is told what is wrong and where.
TEST_F(SaveReplace, AnUnwritableDataFolderIsToldAndLeavesNothing) {
  ASSERT_EQ(std::system(("mkdir -p '" + DataFolder() + "'").c_str()), 0);
  bool mounted = false;
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(DataFolder().c_str(), 0500), 0);
  } else if (test_support::UsePrivateMounts() &&
             mount(DataFolder().c_str(), DataFolder().c_str(), nullptr, MS_BIND, nullptr) == 0) {
    mounted = true;
    ASSERT_EQ(
        mount(nullptr, DataFolder().c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
        0);
  } else {
    GTEST_SKIP() << "the data folder cannot be made read-only here";
  }
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  sp_testing::Respond(Answer::Return());
  EXPECT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), -1);
  ExpectFolderHolds({"src.aiff"});
  EXPECT_EQ(sp_testing::ShownSoFar().size(), 1u) << Shown();
  EXPECT_NE(Shown().find(DataFolder()), std::string::npos) << Shown();
  if (mounted) umount2(DataFolder().c_str(), MNT_DETACH);
  chmod(DataFolder().c_str(), 0700);
}

// A read-only target volume is told as write-protected (the system's EROFS), not as full.
TEST_F(SaveReplace, AReadOnlyTargetIsToldAsWriteProtected) {
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
  const std::string volume = home_.Path("vol");
  ASSERT_EQ(mkdir(volume.c_str(), 0700), 0);
  if (mount("tmpfs", volume.c_str(), "tmpfs", 0, "size=8m") != 0) GTEST_SKIP() << "no tmpfs";
  cdtest::WriteFile(volume + "/out.wav", kOld);
  ASSERT_EQ(mount(nullptr, volume.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  // The volume list is read again, and finds the volume read-only (the ids are kept).
  ASSERT_EQ(FlushVol(nullptr, vRefNum_), noErr);
  sp_testing::ResetFiles();
  const FSRef folder = RefOf(volume);
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  sp_testing::Respond(Answer::Return());
  EXPECT_FALSE(p->SaveTargetProgItem(-1, &folder, "out.wav", 1, SpFourCC("TVOD"),
                                     kSpCDRISoundFileTypeWAVE, 1.0f, 0, nullptr, 0));
  EXPECT_EQ(ReadAll(volume + "/out.wav"), kOld);
  EXPECT_EQ(sp_testing::ShownSoFar().size(), 1u) << Shown();
  EXPECT_NE(Shown().find("書き込み禁止"), std::string::npos) << Shown();
  EXPECT_NE(Shown().find("[Error No = -44]"), std::string::npos) << Shown();
  umount2(volume.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace engine_test
