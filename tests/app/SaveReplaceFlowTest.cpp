// Saving over names that exist, and saves that fail, as a person meets them through the
// program's main road: "delete the old file" keeps the old file until the new one is complete
// (it then goes to the Trash, where trash-list finds it), a folder of the name is never
// replaced, a failed file is told and never passes for a saved one, and AIFF-C is saved only
// with compressions its writer writes. Files are judged by ffprobe and sox.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "AppTestSupport.h"
#include "CDMediaMgrDialogSupport.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "DialogTestSupport.h"
#include "FileSizeLimit.h"
#include "Navigation.h"
#include "SaveFixture.h"
#include "SaveTestSupport.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDROMSaveSoundData.h"
#include "SpPreferenceStockObject.h"
#include "SpTesting.h"
#include "TestMenus.h"
#include "TestNavigation.h"
#include "TestResponder.h"
#include "TrashJudge.h"

namespace app_test {
namespace {

using engine_test::FolderNames;
using engine_test::ProbeEntry;
using engine_test::ReadAll;
using engine_test::Tool;
using sp_testing::Answer;
using sp_testing::Respond;

// The set-up's file type popup items.
enum : short { kAIFF = 1, kWAVE = 2, kAIFC = 5 };

const char kExistingNameTitle[] = "保存するファイルの名前について";
const char kNotSaved[] = "は保存できませんでした";
const char kFolderThere[] = "という名前のフォルダがあるため";

short RowOf(const char* utf8) {
  const std::vector<std::string> names = Column(kCDR_NameColumn);
  const auto at = std::find(names.begin(), names.end(), SpCDR_MJ(utf8));
  return at == names.end() ? 0 : short(at - names.begin() + 1);
}

// How often something was shown, from the `from`-th appearance on, whose title, message or
// explanation holds the text (UTF-8).
int ShownWith(const char* utf8, std::size_t from) {
  const std::string text = SpCDR_MJ(utf8);
  const std::vector<sp_testing::Shown>& shown = sp_testing::ShownSoFar();
  int n = 0;
  for (std::size_t i = from; i < shown.size(); ++i) {
    const sp_testing::Shown& s = shown[i];
    n += (s.title + "\n" + s.message + "\n" + s.explanation).find(text) != std::string::npos;
  }
  return n;
}

// The set-up as kept in the window's settings file: speed 1.0 (names end in "_1_0"), and the
// compression when one is given.
void StoreSetup(OSType compression = 0) {
  cPrefStockFileObj* file = M()->GetPrefStockFile();
  cPrefStockData* group = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FSvI"), 1, 1);
  ASSERT_NE(group, nullptr);
  group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("Sped"), 1)->SetupDblData(1.0, 1);
  if (compression != 0) {
    group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("cmpT"), 1)
        ->SetupOSTypeData(compression, 1);
  }
  cPrefStockData* names = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FNMD"), 1, 1);
  ASSERT_NE(names, nullptr);
  names->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("EnAf"), 1)->SetupBooleanData(0, 1);
}

Answer SetupAnswer(short type) {
  return Answer().SetControlValue(kCDR_SaveSetupTypeItem, type).ClickItem(kCDR_SaveSetupOKItem);
}

// The existing-name question answered with a radio (5 new name, 6 number, 7 delete the old
// file, 8 skip), for the following tracks too or not.
Answer ExistingName(short radio, bool forAll) {
  Answer a = Answer::Click(radio);
  if (forAll) a.ClickItem(9);
  return a.ClickItem(1);
}

Answer Button(const char* utf8) {
  return Answer().ClickButtonUTF8(utf8);
}

// The Trash as trash-cli sees it, "<deleted> <path>" a line, for the items that came from the
// folder: other programs may put their own into the volumes' Trash folders meanwhile.
std::string TrashList(const std::string& folder) {
  std::string lines;
  for (const std::string& line : test_support::TrashListedFrom(folder)) lines += line + "\n";
  return lines;
}

class SaveReplaceFlow : public SaveTest {
 protected:
  // The disc "Trip" of three titled tracks, its row selected before the steps.
  void RunWith(std::vector<Step> steps) {
    WriteTitles(MakeDisc("Trip", {{"1 One.aiff", 150}, {"2 Two.aiff", 200}, {"3 Three.aiff", 175}}),
                {"Day Trip", "Sunrise", "Midday", "Sunset"});
    sp_testing::ResponderScope responder;
    std::vector<Step> all = {
        WaitFor("the CD", [] { return Rows() == 1; }),
        Then("select it", [] { Click(RowOf("Day Trip"), kCDR_NameColumn); }),
    };
    all.insert(all.end(), steps.begin(), steps.end());
    all.push_back(Quit());
    Run(all);
    EXPECT_FALSE(forcedEnd_);
  }
  // Files of these names holding "old <name>" (a name ending in "/" is a folder holding one).
  void WriteOld(const std::vector<std::string>& names) const {
    for (std::string name : names) {
      if (name.back() == '/') {
        name.pop_back();
        mkdir(Out(name).c_str(), 0700);
        std::ofstream(Out(name + "/inside"), std::ios::binary) << "old " << name;
      } else {
        std::ofstream(Out(name), std::ios::binary) << "old " << name;
      }
    }
  }
  bool Old(const std::string& name) const { return ReadAll(Out(name)) == "old " + name; }
  // The saved file is a whole track: 16-bit stereo at 44.1 kHz, as long as the track.
  void ExpectTrack(const std::string& name, double sectors, const char* codec = "pcm_s16be") {
    EXPECT_EQ(ProbeEntry(Out(name), "stream=codec_name"), codec) << name;
    EXPECT_EQ(ProbeEntry(Out(name), "stream=channels"), "2") << name;
    EXPECT_NEAR(std::atof(ProbeEntry(Out(name), "stream=duration").c_str()),
                sectors * 588 / 44100.0, 0.01)
        << name;
    // sox reads linear AIFF-C only.
    if (std::string(codec).rfind("pcm_", 0) == 0) {
      EXPECT_EQ(Tool({"soxi", "-r", Out(name)}), "44100") << name;
    }
  }
  Step RunEnded() {
    return WaitFor("the save ended",
                   [] { return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0; });
  }
  Step SaveEach(std::vector<Answer> answers, rlim_t limit = 0) {
    return Then("save each", [this, answers, limit] {
      StoreSetup();
      Respond(SetupAnswer(kAIFF));
      for (const Answer& a : answers) Respond(a);
      if (limit != 0) limit_ = std::make_unique<FileSizeLimit>(limit);
      shownBefore_ = sp_testing::ShownSoFar().size();
      EXPECT_TRUE(
          sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem).chosen);
    });
  }

  std::unique_ptr<FileSizeLimit> limit_;
  std::size_t shownBefore_ = 0;  // appearances before the save's menu command
};

// "Delete the old file" for all the following: two tracks meet names that exist, the second
// takes the answer given for the first. A save that fails (its files may not grow) leaves both
// old files as they were, nothing in the Trash, no temporary file, and each failed track told;
// a save that succeeds puts the new files in their place and the old ones into the Trash. A
// replacement confirmed in the save dialog goes the same way.
TEST_F(SaveReplaceFlow, TheOldFileStaysUntilTheNewOneIsComplete) {
  const std::vector<std::string> existing = {"Sunrise_1_0.aif", "Midday_1_0.aif"};
  struct Case {
    const char* why;
    std::vector<Answer> answers;  // after the set-up's
    int failed;                   // tracks whose save failed (each told by the engine, and logged)
    int asked;                    // times the existing-name question came
  } cases[] = {
      // After each failure but the last track's, whether the run goes on is asked.
      {"deleting for all, the save failing",
       {ExistingName(7, true), Answer::Return(), Button("次の保存を行う"), Answer::Return(),
        Button("次の保存を行う"), Answer::Return()},
       3,
       1},
      {"deleting for all, the save succeeding", {ExistingName(7, true)}, 0, 1},
      {"replacing in the save dialog, the save failing",
       {ExistingName(5, false), sp_testing::NavSave("Sunrise_1_0.aif"), Button("置き換える"),
        Answer::Return(), Button("次の保存を行う"), ExistingName(8, false), Answer::Return()},
       2,
       2},
  };
  std::vector<Step> steps;
  for (const Case& c : cases) {
    steps.push_back(Do(std::string("prepare: ") + c.why, [this, existing] {
      Tool({"sh", "-c", "rm -rf \"$0\"/* \"$1\"", out_, home_.Path(".local/share/Trash")});
      WriteOld(existing);
    }));
    steps.push_back(SaveEach(c.answers, c.failed != 0 ? 64 * 1024 : 0));
    steps.push_back(RunEnded());
    steps.push_back(Do(std::string("look: ") + c.why, [this, &c, existing] {
      SCOPED_TRACE(c.why);
      limit_.reset();
      EXPECT_EQ(ShownWith(kExistingNameTitle, shownBefore_), c.asked);
      const std::string trash = TrashList(out_);
      EXPECT_EQ(std::count_if(errors_.Records().begin(), errors_.Records().end(),
                              [](const CapturedRecord& r) {
                                return r.method == "cCDR_MediaManager::TellUnfinishedFile";
                              }),
                c.failed);
      if (c.failed != 0) {
        for (const std::string& name : existing) EXPECT_TRUE(Old(name)) << name;
        EXPECT_EQ(FolderNames(out_),
                  (std::vector<std::string>{"Midday_1_0.aif", "Sunrise_1_0.aif"}))
            << "no temporary file, nothing new";
        EXPECT_EQ(trash, "") << "nothing went to the Trash";
      } else {
        ExpectTrack("Sunrise_1_0.aif", 150);
        ExpectTrack("Midday_1_0.aif", 200);
        ExpectTrack("Sunset_1_0.aif", 175);
        for (const std::string& name : existing) {
          EXPECT_NE(trash.find(" " + Out(name)), std::string::npos) << trash;
          EXPECT_EQ(ReadAll(home_.Path(".local/share/Trash/files/" + name)), "old " + name);
        }
      }
      errors_.Clear();
    }));
  }
  RunWith(steps);
}

// A folder of the file's name is never replaced, nor put into the Trash: not by the answer
// given for the files before it, not by a new name that becomes the folder's name once its
// extension is added. The track is given up with a word to the person, who may stop the run.
TEST_F(SaveReplaceFlow, AFolderOfTheNameIsNeverTrashedOrReplaced) {
  struct Case {
    const char* why;
    std::vector<std::string> existing;
    std::vector<Answer> answers;
    std::vector<std::string> saved;  // new files, with the old ones they replaced in the Trash
    int folderTold;
  } cases[] = {
      {"deleting for all meets a folder",
       {"Sunrise_1_0.aif", "Midday_1_0.aif/"},
       {ExistingName(7, true), Button("次の保存を行う")},
       {"Sunrise_1_0.aif", "Sunset_1_0.aif"},
       1},
      {"a folder in the way of the last file, told with nothing to go on with",
       {"Sunset_1_0.aif/"},
       {Button("閉じる")},
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       1},
      {"a folder first, and the run stopped there",
       {"Sunrise_1_0.aif/"},
       {Button("保存を中止する")},
       {},
       1},
      {"a new name taking a folder's or another file's name is asked again",
       {"Sunrise_1_0.aif", "Other.aif/", "Taken.aif"},
       {ExistingName(5, false), sp_testing::NavSave("Other"), Button("再度設定"),
        sp_testing::NavSave("Taken"), Button("再度設定"), sp_testing::NavSave("Fresh.aif")},
       {"Fresh.aif", "Midday_1_0.aif", "Sunset_1_0.aif"},
       0},
  };
  std::vector<Step> steps;
  for (const Case& c : cases) {
    steps.push_back(Do(std::string("prepare: ") + c.why, [this, &c] {
      Tool({"sh", "-c", "rm -rf \"$0\"/* \"$1\"", out_, home_.Path(".local/share/Trash")});
      WriteOld(c.existing);
    }));
    steps.push_back(SaveEach(c.answers));
    steps.push_back(RunEnded());
    steps.push_back(Do(std::string("look: ") + c.why, [this, &c] {
      SCOPED_TRACE(c.why);
      EXPECT_EQ(ShownWith(kFolderThere, shownBefore_), c.folderTold);
      std::vector<std::string> expected = c.saved;
      const std::string trash = TrashList(out_);
      for (std::string name : c.existing) {
        const bool folder = name.back() == '/';
        if (folder) name.pop_back();
        const bool replaced = std::find(c.saved.begin(), c.saved.end(), name) != c.saved.end();
        if (folder) {
          EXPECT_EQ(ReadAll(Out(name + "/inside")), "old " + name);
        }
        if (!replaced) {
          expected.push_back(name);
          EXPECT_EQ(trash.find(Out(name)), std::string::npos) << name << trash;
        }
      }
      for (const std::string& name : c.saved)
        EXPECT_FALSE(ProbeEntry(Out(name), "stream=codec_name").empty()) << name;
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(FolderNames(out_), expected);
      EXPECT_EQ(errors_.Count(), size_t(c.folderTold));
      errors_.Clear();
    }));
  }
  RunWith(steps);
}

// AIFF-C into one file: from a fresh home (whose default compression, AAC, AIFF-C cannot
// hold) and with a kept AAC the save falls back to uncompressed AIFF-C; a kept compression
// AIFF-C holds stays.
TEST_F(SaveReplaceFlow, AnAiffCSaveWritesWhatItsWriterTakes) {
  struct Case {
    const char* why;
    OSType kept;  // 0: nothing kept
    const char* codec;
  } cases[] = {
      {"a fresh home", 0, "pcm_s16be"},
      {"a kept AAC falls back", SpFourCC("mp4a"), "pcm_s16be"},
      {"a kept IMA 4:1 stays", SpFourCC("ima4"), "adpcm_ima_qt"},
  };
  std::vector<Step> steps;
  for (const Case& c : cases) {
    steps.push_back(Then(std::string("save: ") + c.why, [this, &c] {
      Tool({"sh", "-c", "rm -rf \"$0\"/*", out_});
      StoreSetup(c.kept);
      Respond(SetupAnswer(kAIFC));
      Respond(sp_testing::NavGoTo(out_));
      Respond(Answer::Click(kNavItemDefaultButton));
      EXPECT_TRUE(sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveOneItem).chosen);
    }));
    steps.push_back(RunEnded());
    steps.push_back(Do(std::string("look: ") + c.why, [this, &c] {
      SCOPED_TRACE(c.why);
      ASSERT_EQ(FolderNames(out_), (std::vector<std::string>{"Day Trip.aif"}));
      EXPECT_EQ(ReadAll(Out("Day Trip.aif")).substr(8, 4), "AIFC");
      ExpectTrack("Day Trip.aif", 525, c.codec);
      EXPECT_EQ(ShownWith(kNotSaved, 0), 0);
    }));
  }
  RunWith(steps);
  EXPECT_EQ(errors_.Count(), 0u);
}

// A save the engine ends without completing it, the person not having asked, is told and
// leaves no file, into one file and into each: told by the engine (a write that fails), or by
// the program where the engine gives up in silence (memory running short for its buffers, or
// a stop of its own as when a CD goes). A run into each file then asks whether to go on.
TEST_F(SaveReplaceFlow, AFailedSaveIsToldAndNeverPassesForASavedOne) {
  enum class Fault { kWrite, kMemory, kStop, kSourceGone };
  struct Case {
    const char* why;
    bool each;
    short type;
    Fault fault;
    std::vector<Answer> answers;
    std::vector<std::string> files;
    int toldByProgram;
  } cases[] = {
      {"one file, a failing write", false, kWAVE, Fault::kWrite, {Answer::Return()}, {}, 0},
      {"one file, memory short while writing",
       false,
       kWAVE,
       Fault::kMemory,
       {Answer::Return()},
       {},
       1},
      // Whether to go on is asked after each file but the last, which nothing follows.
      {"each file, a failing write",
       true,
       kWAVE,
       Fault::kWrite,
       {Answer::Return(), Button("次の保存を行う"), Answer::Return(), Button("次の保存を行う"),
        Answer::Return()},
       {},
       2},
      {"each file, memory short while writing",
       true,
       kWAVE,
       Fault::kMemory,
       {Button("次の保存を行う"), Button("次の保存を行う"), Button("閉じる")},
       {},
       3},
      {"each file, AIFF-C that cannot start for want of memory, the run stopped",
       true,
       kAIFC,
       Fault::kMemory,
       {Button("保存を中止する")},
       {},
       1},
      // The program finds the source missing before the save and says so once.
      {"one file, a source track gone before the save",
       false,
       kWAVE,
       Fault::kSourceGone,
       {},
       {},
       0},
      {"each file, the first stopped by the engine, the run going on",
       true,
       kWAVE,
       Fault::kStop,
       {Button("次の保存を行う")},
       {"Midday_1_0.wav", "Sunset_1_0.wav"},
       1},
  };
  std::vector<Step> steps;
  for (const Case& c : cases) {
    steps.push_back(Then(std::string("save: ") + c.why, [this, &c] {
      Tool({"sh", "-c", "rm -rf \"$0\"/*", out_});
      StoreSetup(SpFourCC("ima4"));
      Respond(SetupAnswer(c.type));
      if (!c.each && c.fault != Fault::kSourceGone) {
        Respond(sp_testing::NavGoTo(out_));
        Respond(Answer::Click(kNavItemDefaultButton));
      }
      for (const Answer& a : c.answers) Respond(a);
      if (c.fault == Fault::kWrite) limit_ = std::make_unique<FileSizeLimit>(64 * 1024);
      if (c.fault == Fault::kMemory) sp_testing::LimitAllocationSize(3u << 19);
      if (c.fault == Fault::kSourceGone)
        std::rename(Media("Trip/2 Two.aiff").c_str(), Media("Trip/2 Two.gone").c_str());
      const MenuItemIndex item = c.each ? kCDR_FileSaveEachItem : kCDR_FileSaveOneItem;
      shownBefore_ = sp_testing::ShownSoFar().size();
      EXPECT_TRUE(sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), item).chosen);
    }));
    if (c.fault == Fault::kStop) {
      // The first file's save starts a pass after its source was checked.
      steps.push_back(WaitFor("the engine saves", [] {
        return M()->saveProgram != nullptr && M()->saveProgram->IsSaveRunning();
      }));
      steps.push_back(Do("the engine stops", [] { M()->saveProgram->StopSaveProgram(); }));
    }
    steps.push_back(RunEnded());
    steps.push_back(Do(std::string("look: ") + c.why, [this, &c] {
      SCOPED_TRACE(c.why);
      limit_.reset();
      sp_testing::LimitAllocationSize(0);
      EXPECT_EQ(ShownWith(kNotSaved, shownBefore_), c.toldByProgram);
      if (c.fault == Fault::kSourceGone) {
        EXPECT_EQ(sp_testing::ShownSoFar().size(), shownBefore_ + 1);
        std::rename(Media("Trip/2 Two.gone").c_str(), Media("Trip/2 Two.aiff").c_str());
      }
      EXPECT_EQ(FolderNames(out_), c.files);
      for (const std::string& name : c.files)
        ExpectTrack(name, name[0] == 'M' ? 200 : 175, "pcm_s16le");
      if (c.fault != Fault::kSourceGone) {
        EXPECT_TRUE(errors_.Has("cCDR_MediaManager::TellUnfinishedFile"));
      }
      EXPECT_EQ(M()->progressWindow, nullptr);
      errors_.Clear();
    }));
  }
  RunWith(steps);
}

}  // namespace
}  // namespace app_test

namespace app_test {
namespace {

// The set-up's compression dialog, opened for AIFF-C, offers only what the AIFF-C writer
// writes; a movie is offered AAC as before.
class AiffCSetup : public DialogTest {
 protected:
  void TearDown() override {
    if (result_.codecSettings != nullptr) DisposeHandle(result_.codecSettings);
    DialogTest::TearDown();
  }
  // The compressors the compression dialog shows (its radio items from 16 on), read when it
  // opens from the set-up's Options button with the file type chosen, and the one it shows
  // chosen; then Cancel and OK.
  std::vector<OSType> Offered(short type, OSType& selected) {
    std::vector<OSType> offered;
    selected = 0;
    Respond(Answer()
                .SetControlValue(kCDR_SaveSetupTypeItem, type)
                .ClickItem(kCDR_SaveSetupOptionsItem));
    Respond(Answer()
                .Do(
                    [&offered, &selected](WindowRef window) {
                      const OSType all[] = {SpFourCC("NONE"), SpFourCC("ima4"), SpFourCC("ulaw"),
                                            SpFourCC("alaw"), SpFourCC("mp4a"), SpFourCC("alac"),
                                            SpFourCC("in24"), SpFourCC("fl32")};
                      for (int i = 0; i < 8; ++i) {
                        ControlRef radio = nullptr;
                        GetDialogItemAsControl(GetDialogFromWindow(window), DialogItemIndex(16 + i),
                                               &radio);
                        if (radio != nullptr && IsControlVisible(radio)) offered.push_back(all[i]);
                        if (radio != nullptr && GetControl32BitValue(radio) != 0) selected = all[i];
                      }
                    },
                    "look")
                .ClickItem(2));
    Respond(Answer::Click(kCDR_SaveSetupOKItem));
    Rect area = {100, 100, 500, 700};
    EXPECT_EQ(CDRMGR_AskSaveSetup(area, stock_.get(), speeds_, 0xAC440000, 16, 2, result_, 0, 1),
              1);
    return offered;
  }
  sCDR_SaveSetupDlgSpeedInfo speeds_ = {1.0, 5.0, 0.2};
  sCDR_SaveSetupInfo result_{};
};

TEST_F(AiffCSetup, OffersOnlyWhatTheWriterWritesAndFallsBackFromTheRest) {
  OSType selected = 0;
  const std::vector<OSType> aiffc = Offered(kAIFC, selected);
  EXPECT_FALSE(aiffc.empty());
  for (OSType type : aiffc) EXPECT_TRUE(SpCDR_AIFFCWriterTakesCompression(type)) << type;
  EXPECT_EQ(std::count(aiffc.begin(), aiffc.end(), SpFourCC("ima4")), 1);
  EXPECT_EQ(selected, SpFourCC("NONE")) << "the fresh AAC is not offered: the first offered shows";
  EXPECT_EQ(result_.compressionType, SpFourCC("twos")) << "the fresh AAC fell back";
  const std::vector<OSType> movie = Offered(3, selected);
  EXPECT_EQ(std::count(movie.begin(), movie.end(), SpFourCC("mp4a")), 1);
  EXPECT_EQ(selected, SpFourCC("mp4a"));
  EXPECT_EQ(result_.compressionType, SpFourCC("mp4a")) << "a movie keeps AAC";
}

}  // namespace
}  // namespace app_test
