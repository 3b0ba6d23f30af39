// Saving through the program's main road: a selection into one file and each track into its
// own file, through the set-up, the save dialog and the progress window, on disc folders and on
// a sound file that ffmpeg makes and mutagen tags; every file is judged by ffprobe and mutagen.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "AppTestSupport.h"
#include "CDMediaListFile.h"
#include "CDMediaMgrFileName.h"
#include "CDObjectSource.h"
#include "Clock.h"
#include "LatinLetters.h"
#include "Navigation.h"
#include "SaveFixture.h"
#include "SaveTestSupport.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDRomManager.h"
#include "SpMouseTraceManager.h"
#include "SpPreferenceStockObject.h"
#include "SpProgressBarWinObject.h"
#include "SpStringView.h"
#include "SpTextCodec.h"
#include "TestDrags.h"
#include "TestEvents.h"
#include "TestMenus.h"
#include "TestNavigation.h"
#include "TestQuickTime.h"
#include "TestResponder.h"
#include "TestWindows.h"

namespace app_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using engine_test::MutagenTags;
using engine_test::ReadAll;
using engine_test::Tool;

// The set-up's file type popup items.
enum : short { kAIFF = 1, kWAVE = 2, kMovie = 3, kMovieNoCompress = 4, kAIFC = 5 };

// codec, rate, channels and duration as ffprobe reads them, one a line.
struct Probe {
  std::string codec, rate;
  int channels = 0;
  double seconds = 0;
};
Probe ProbeFile(const std::string& path) {
  auto entry = [&](const char* e) {
    return Tool({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", e, "-of",
                 "default=nw=1:nk=1", path});
  };
  Probe p;
  p.codec = entry("stream=codec_name");
  p.rate = entry("stream=sample_rate");
  p.channels = std::atoi(entry("stream=channels").c_str());
  std::string duration = entry("stream=duration");
  if (duration.empty() || duration == "N/A") duration = entry("format=duration");
  p.seconds = std::atof(duration.c_str());
  return p;
}

bool Exists(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0;
}

std::vector<std::string> Names(const std::string& folder) {
  const std::string out = Tool({"ls", "-A", folder});
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < out.size()) {
    std::size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    if (end > start) names.push_back(out.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// The set-up's stored values, as the set-up keeps them in the window's settings file.
void StoreSetup(double speed, OSType compression = 0) {
  cPrefStockFileObj* file = M()->GetPrefStockFile();
  cPrefStockData* group = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FSvI"), 1, 1);
  ASSERT_NE(group, nullptr);
  group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("Sped"), 1)->SetupDblData(speed, 1);
  if (compression != 0) {
    group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("cmpT"), 1)
        ->SetupOSTypeData(compression, 1);
  }
}

// The set-up answered with this file type (and channels popup item, 0: as shown).
Answer SetupAnswer(short type, short channelsItem = 0) {
  Answer a = Answer().SetControlValue(3, type);
  if (channelsItem != 0) a.SetControlValue(8, channelsItem);
  return a.ClickItem(1);
}

// The save dialog keeps the name the program offered; only the folder is chosen.
void RespondSaveKeepingName(const std::string& folder) {
  Respond(sp_testing::NavGoTo(folder));
  Respond(Answer::Click(kNavItemDefaultButton));
}

short RowOf(const std::string& utf8) {
  const std::vector<std::string> names = Column(kCDR_NameColumn);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == SpCDR_MJ(utf8.c_str())) return short(i + 1);
  }
  return 0;
}

// The save wrote the file and ended.
Step Saved(const std::string& path) {
  return WaitFor("saved " + path, [path] { return Exists(path) && !M()->IsSaveRunning(); });
}

class SaveFlow : public SaveTest {
 protected:
  // Two discs, "Trip" with titles and "Plain" without, and a mono sound file whose title
  // mutagen wrote; the steps run once all three are listed, Trip open.
  void RunWith(std::vector<Step> steps,
               std::vector<std::string> titles = {"Day Trip", "Sunrise", "Midday", "Sunset"}) {
    WriteTitles(MakeDisc("Trip", {{"1 One.aiff", 150}, {"2 Two.aiff", 200}, {"3 Three.aiff", 175}}),
                titles);
    MakeDisc("Plain", {{"1 .aiff", 300}, {"2 .aiff", 150}});
    const std::string song = home_.Path("song.mp3");
    ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac",
                                       "1", "-c:a", "libmp3lame", song},
                                      song));
    ASSERT_EQ(Tool({"/usr/bin/python3", "-c",
                    "import sys\nfrom mutagen.easyid3 import EasyID3\n"
                    "t = EasyID3()\nt['title'] = '朝'\nt['album'] = '一日'\nt.save(sys.argv[1])\n",
                    song}),
              "");
    sp_testing::ResponderScope responder;
    std::vector<Step> all = {
        WaitFor("both CDs", [] { return Rows() == 2; }),
        Do("add the file and open Trip",
           [song] {
             ASSERT_TRUE(AddSoundFile(song));
             Click(RowOf("Day Trip"), kCDR_OpenColumn);
           }),
        WaitFor("the rows", [] { return Rows() == 6; }),
    };
    all.insert(all.end(), steps.begin(), steps.end());
    all.push_back(Quit());
    Run(all);
    EXPECT_FALSE(forcedEnd_);
  }
  int asked_ = 0;
};

// A selection into one file: its name, format, length and tags; afterwards the window is
// back to its idle state with mouse tracing on.
TEST_F(SaveFlow, ASelectionIsSavedIntoOneNamedFile) {
  struct Case {
    const char* why;
    std::vector<std::pair<const char*, UInt32>> rows;  // names clicked, with modifiers
    short type;
    double speed;
    const char* file;
    const char* codec;
    int channels;
    double seconds;
    const char* tag;  // a line mutagen prints, or ""
  } cases[] = {
      {"a whole CD is named by its title", {{"Day Trip", 0}}, kAIFF, 1.0, "Day Trip.aif",
       "pcm_s16be", 2, 525 * 588 / 44100.0, "TALB=Day Trip"},
      {"one track by the default rule at double speed", {{"Midday", 0}}, kWAVE, 2.0,
       "Midday_2_0.wav", "pcm_s16le", 2, 200 * 588 / 44100.0 / 2, ""},
      {"tracks of two CDs are untitled", {{"Sunrise", 0}, {"Plain", cmdKey}}, kAIFF, 1.0,
       "名称未設定.aif", "pcm_s16be", 2, (150 + 450) * 588 / 44100.0, ""},
      {"a CD without titles is named by its volume", {{"Plain", 0}}, kAIFF, 1.0, "Plain.aif",
       "pcm_s16be", 2, 450 * 588 / 44100.0, ""},
      {"a mono file keeps its channel and its tags", {{"朝", 0}}, kAIFF, 1.0, "朝_1_0.aif",
       "pcm_s16be", 1, 2.0, "TIT2=朝"},
      {"a file into an uncompressed movie", {{"朝", 0}}, kMovieNoCompress, 1.4, "朝_1_4.mov",
       "pcm_s16be", 1, 2.0 / 1.4, ""},
      {"a compressed AIFF-C goes to its own writer", {{"Sunset", 0}}, kAIFC, 1.0,
       "Sunset_1_0.aif", "adpcm_ima_qt", 2, 175 * 588 / 44100.0, ""},
  };
  std::vector<Step> steps;
  for (const Case& c : cases) {
    steps.push_back(Then(std::string("clear for: ") + c.why, [] { Key('a', cmdKey | shiftKey); }));
    for (const auto& row : c.rows) {
      steps.push_back(Then(c.why, [row] { Click(RowOf(row.first), kCDR_NameColumn, row.second); }));
    }
    steps.push_back(Then(std::string("save: ") + c.why, [this, &c] {
      StoreSetup(c.speed, c.type == kAIFC ? SpFourCC("ima4") : SpFourCC("twos"));
      Respond(SetupAnswer(c.type));
      RespondSaveKeepingName(out_);
      Key(13);
    }));
    steps.push_back(Saved(Out(c.file)));
    steps.push_back(Do(std::string("look: ") + c.why, [this, &c] {
      SCOPED_TRACE(c.why);
      const std::string path = Out(c.file);
      ASSERT_TRUE(Exists(path)) << ::testing::PrintToString(Names(out_));
      const Probe p = ProbeFile(path);
      EXPECT_EQ(p.codec, c.codec);
      EXPECT_EQ(p.rate, "44100");
      EXPECT_EQ(p.channels, c.channels);
      EXPECT_NEAR(p.seconds, c.seconds, 0.05);
      if (c.tag[0] != 0) {
        EXPECT_NE(MutagenTags(path).find(c.tag), std::string::npos) << MutagenTags(path);
      }
      EXPECT_EQ(M()->progressWindow, nullptr);
      EXPECT_FALSE(Sp_IsMouseTraceDisabled());
      EXPECT_TRUE(FileItemEnabled(5)) << "the File menu is back";
    }));
  }
  RunWith(steps);
  EXPECT_EQ(errors_.Count(), 0u);
}

// The disc "Plain" saved as AIFF into the folder under the name the program offers.
Step SavePlainInto(const std::string& folder) {
  return Then("save into " + folder, [folder] {
    Click(RowOf("Plain"), kCDR_NameColumn);
    StoreSetup(1.0);
    Respond(SetupAnswer(kAIFF));
    RespondSaveKeepingName(folder);
    Key(13);
  });
}

// The places the save dialog opened in and where it was left are kept for the next save.
TEST_F(SaveFlow, TheSaveDialogsFolderIsRememberedAndAnAnsweredDialogChangesNothingElse) {
  const std::string other = home_.Path("Other");
  mkdir(other.c_str(), 0700);
  RunWith({
      SavePlainInto(other),
      Saved(other + "/Plain.aif"),
      Then("save again: the dialog opens in Other", [this] {
        Respond(SetupAnswer(kWAVE));
        Respond(sp_testing::NavLook([](WindowRef w) {
          EXPECT_EQ(sp_testing::NavShownFolder(w), std::string(getenv("HOME")) + "/Other");
        }));
        Respond(sp_testing::NavCancel());
        Key(13);
      }),
      WaitFor("the dialogs were answered", [] { return sp_testing::PendingAnswerCount() == 0; }),
      Do("nothing was saved the second time", [other] {
        EXPECT_EQ(Names(other), (std::vector<std::string>{"Plain.aif"}));
        EXPECT_FALSE(M()->IsSaveRunning());
        EXPECT_FALSE(Sp_IsMouseTraceDisabled());
      }),
  });
}

// The add dialog keeps its own place: after a save into another folder it still opens where
// files were last added from.
TEST_F(SaveFlow, TheAddDialogOpensWhereFilesWereAddedFromAfterASaveElsewhere) {
  const std::string music = home_.Path("Music"), other = home_.Path("Other");
  mkdir(music.c_str(), 0700);
  mkdir(other.c_str(), 0700);
  MakeSoundFile("Music/tone.aif", 1);
  RunWith({
      Then("add from Music",
           [music] {
             Respond(sp_testing::NavChoose({"tone.aif"}, music));
             sp_testing::PostClick(ButtonPoint(M()->GetAddButton()));
           }),
      WaitFor("the file", [] { return Rows() == 7; }),
      SavePlainInto(other),
      Saved(other + "/Plain.aif"),
      Then("add again",
           [music] {
             Respond(sp_testing::NavLook(
                 [music](WindowRef w) { EXPECT_EQ(sp_testing::NavShownFolder(w), music); }));
             Respond(sp_testing::NavCancel());
             sp_testing::PostClick(ButtonPoint(M()->GetAddButton()));
           }),
      WaitFor("the dialog was answered", [] { return sp_testing::PendingAnswerCount() == 0; }),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

const char kExistingNameTitle[] = "保存するファイルの名前について";

int ShownTimes(const char* utf8Title) {
  int n = 0;
  for (const sp_testing::Shown& shown : sp_testing::ShownSoFar()) n += shown.title == SpCDR_MJ(utf8Title);
  return n;
}

// The existing-name question answered with the choice (radio 5 to 8), for the following
// tracks too or not; its box starts clear (ClearExistingNameBox).
Answer ExistingName(short radio, bool forAll) {
  Answer a = Answer::Click(radio);
  if (forAll) a.ClickItem(9);
  return a.ClickItem(1);
}

// The same, looking first at the progress window behind the question: it names the file
// whose name exists.
Answer ExistingNameOf(const char* name, short radio, bool forAll) {
  Answer a = Answer().Do(
      [name](WindowRef) {
        ASSERT_NE(M()->progressTexts[3], nullptr);
        EXPECT_EQ(std::string(M()->progressTexts[3]->GetString()), name);
      },
      "look at the file's name in the progress window");
  a.ClickItem(radio);
  if (forAll) a.ClickItem(9);
  return a.ClickItem(1);
}

// The existing-name question opens with its box for the following tracks clear.
void ClearExistingNameBox() {
  cPrefStockData* group = M()->GetPrefStockFile()->GetTargetStockDataItemInPrefTopDataList(
      SpFourCC("FNMD"), 1, 1);
  ASSERT_NE(group, nullptr);
  group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("EnAf"), 1)->SetupBooleanData(0, 1);
}

// A name ending in "/" is a folder with a junk file in it, which no delete of a file removes.
void WriteJunk(const std::string& path) {
  if (!path.empty() && path.back() == '/') {
    mkdir(path.c_str(), 0700);
    std::ofstream(path + "junk", std::ios::binary) << "not a sound file";
    return;
  }
  std::ofstream(path, std::ios::binary) << "not a sound file";
}

// A run of save-each over the whole CD: the files there before, the answers, and what the
// run leaves in Documents.
struct SaveEachCase {
  const char* why;
  std::vector<const char*> existing;  // files there before, junk
  std::vector<Answer> answers;        // after the set-up's
  std::vector<const char*> saved;     // new sound files in Documents
  std::vector<const char*> kept;      // junk files left as they were
  int asked;                          // times the existing-name question came
  std::vector<const char*> inOther;   // sound files saved into the folder Other
};

// The steps of each case's run, one run after the other in the same program.
std::vector<Step> SaveEachSteps(const std::vector<SaveEachCase>& cases, const std::string& out,
                                const std::string& other, int& asked) {
  std::vector<Step> steps = {
      Then("select the CD", [] { Click(RowOf("Day Trip"), kCDR_NameColumn); })};
  for (const SaveEachCase& c : cases) {
    steps.push_back(Then(std::string("save: ") + c.why, [&asked, &c, out, other] {
      Tool({"sh", "-c", "rm -rf \"$0\"/* \"$1\"/*", out, other});
      for (const char* name : c.existing) WriteJunk(out + "/" + name);
      StoreSetup(1.0);
      ClearExistingNameBox();
      Respond(SetupAnswer(kAIFF));
      for (const Answer& a : c.answers) Respond(a);
      const int before = ShownTimes(kExistingNameTitle);
      EXPECT_TRUE(
          sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem).chosen);
      asked = before;
    }));
    steps.push_back(WaitFor("the run ended", [] {
      return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0;
    }));
    steps.push_back(Do(std::string("look: ") + c.why, [&asked, &c, out, other] {
      SCOPED_TRACE(c.why);
      std::vector<std::string> expected;
      for (const char* name : c.saved) {
        expected.push_back(name);
        const Probe p = ProbeFile(out + "/" + name);
        EXPECT_EQ(p.codec, "pcm_s16be") << name;
        EXPECT_EQ(p.channels, 2) << name;
      }
      for (std::string name : c.kept) {
        const bool folder = name.back() == '/';
        EXPECT_EQ(ReadAll(out + "/" + name + (folder ? "junk" : "")), "not a sound file") << name;
        if (folder) name.pop_back();
        expected.push_back(name);
      }
      std::sort(expected.begin(), expected.end());
      std::vector<std::string> names = Names(out);
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, expected);
      EXPECT_EQ(ShownTimes(kExistingNameTitle) - asked, c.asked);
      std::vector<std::string> moved(c.inOther.begin(), c.inOther.end());
      std::vector<std::string> inOther = Names(other);
      std::sort(moved.begin(), moved.end());
      std::sort(inOther.begin(), inOther.end());
      EXPECT_EQ(inOther, moved);
      for (const char* name : c.inOther)
        EXPECT_EQ(ProbeFile(other + "/" + name).codec, "pcm_s16be");
      if (!c.inOther.empty() && c.inOther[0] == std::string("moved.aif")) {
        EXPECT_NEAR(ProbeFile(other + "/moved.aif").seconds, 150 * 588 / 44100.0, 0.05);
      }
      EXPECT_EQ(M()->progressWindow, nullptr);
      EXPECT_FALSE(Sp_IsMouseTraceDisabled()) << "hover areas work again after the run";
    }));
  }
  return steps;
}

// A folder where every temporary name a save may take is already taken: no save starts there.
void MakeFolderOfTakenTemporaryNames(const std::string& folder) {
  mkdir(folder.c_str(), 0700);
  for (int n = 0; n <= 100; ++n)
    mkdir((folder + "/mSpeadFileTmp" + (n == 0 ? "" : std::to_string(n))).c_str(), 0700);
}

// Each track of the whole CD into its own file: names that exist are settled by the answer,
// never replaced unasked; a folder chosen for one file serves that file only.
TEST_F(SaveFlow, EachTrackIsSavedIntoItsOwnFileAndExistingNamesAreSettledAsAnswered) {
  const std::string other = home_.Path("Other");
  mkdir(other.c_str(), 0700);
  const std::string full = home_.Path("Full");
  const std::vector<SaveEachCase> cases = {
      {"no name exists",
       {},
       {},
       {"Sunrise_1_0.aif", "Midday_1_0.aif", "Sunset_1_0.aif"},
       {},
       0,
       {}},
      {"numbers for all, past a numbered name",
       {"Sunrise_1_0.aif", "Midday_1_0.aif", "Midday_1_0_1.aif", "Sunset_1_0.aif"},
       {ExistingName(6, true)},
       {"Sunrise_1_0_1.aif", "Midday_1_0_2.aif", "Sunset_1_0_1.aif"},
       {"Sunrise_1_0.aif", "Midday_1_0.aif", "Midday_1_0_1.aif", "Sunset_1_0.aif"},
       1,
       {}},
      {"the old file deleted",
       {"Midday_1_0.aif"},
       {ExistingNameOf("Midday_1_0.aif", 7, false)},
       {"Sunrise_1_0.aif", "Midday_1_0.aif", "Sunset_1_0.aif"},
       {},
       1,
       {}},
      {"a track skipped",
       {"Midday_1_0.aif"},
       {ExistingName(8, false)},
       {"Sunrise_1_0.aif", "Sunset_1_0.aif"},
       {"Midday_1_0.aif"},
       1,
       {}},
      {"a new name in another folder for this file only",
       {"Sunrise_1_0.aif"},
       {ExistingName(5, false), sp_testing::NavSave("moved.aif", other),
        Answer().ClickButtonUTF8("今回限り使用")},
       {"Midday_1_0.aif", "Sunset_1_0.aif"},
       {"Sunrise_1_0.aif"},
       1,
       {"moved.aif"}},
      {"a folder for this file only where its save cannot start",
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       {ExistingName(5, false).Do([full](WindowRef) { MakeFolderOfTakenTemporaryNames(full); },
                                  "make Full"),
        sp_testing::NavSave("moved.aif", full), Answer().ClickButtonUTF8("今回限り使用"),
        Answer().ClickButtonUTF8("閉じる"), Answer().ClickButtonUTF8("次の保存を行う"),
        ExistingName(6, false)},
       {"Midday_1_0_1.aif", "Sunset_1_0.aif"},
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       2,
       {}},
  };
  RunWith(SaveEachSteps(cases, out_, other, asked_));
  // The save that could not start is the only failure reported.
  EXPECT_EQ(errors_.Count(), 2u);
}

// A listed file that a save replaces, into one file or in a run into each file, is shown as
// the new file is, and the saved list keeps the new file's description.
TEST_F(SaveFlow, AListedFileThatASaveReplacesIsShownAsItIsNow) {
  const std::string file = Out("Sunrise_1_0.aif");
  auto lastRowTime = [] { return Column(kCDR_InfoColumn).back(); };
  RunWith({
      Then("the whole of Trip into the file",
           [this] {
             Click(RowOf("Day Trip"), kCDR_NameColumn);
             StoreSetup(1.0);
             Respond(SetupAnswer(kAIFF));
             Respond(sp_testing::NavSave("Sunrise_1_0.aif", out_));
             Key(13);
           }),
      Saved(file),
      Do("list the file", [file] { ASSERT_TRUE(AddSoundFile(file)); }),
      WaitFor("its row", [] { return Rows() == 7; }),
      Then("Sunrise into its own file, the listed one deleted",
           [lastRowTime] {
             EXPECT_EQ(lastRowTime(), "00:07");
             Click(RowOf("Sunrise"), kCDR_NameColumn);
             StoreSetup(1.0);
             ClearExistingNameBox();
             Respond(SetupAnswer(kAIFF));
             Respond(ExistingName(7, false));
             EXPECT_TRUE(
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem).chosen);
           }),
      WaitFor("the run ended",
              [] { return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0; }),
      Then("Plain into one file replacing the listed one",
           [this, lastRowTime] {
             EXPECT_EQ(lastRowTime(), "00:02");
             Click(RowOf("Plain"), kCDR_NameColumn);
             Respond(SetupAnswer(kAIFF));
             Respond(sp_testing::NavSave("Sunrise_1_0.aif", out_));
             Respond(Answer().ClickButtonUTF8("置き換える"));
             Key(13);
           }),
      WaitFor("the save ended",
              [] { return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0; }),
      Do("look", [lastRowTime, file] {
        EXPECT_EQ(lastRowTime(), "00:06");
        EXPECT_NEAR(ProbeFile(file).seconds, 450 * 588 / 44100.0, 0.05);
      }),
  });
  // The list written at the end holds the file as the last save left it.
  const std::string bytes = ReadAll(home_.Path(".config/Mirrelbox Prefs/FileMediaInfoV2.data"));
  ASSERT_GE(bytes.size(), 4u);
  std::vector<float> seconds;
  CDRMM_ReadMediaListRecordsV200(
      CDRMM_MediaListBytesReader(reinterpret_cast<const UInt8*>(bytes.data()) + 4,
                                 bytes.size() - 4),
      [&](const sCDR_MediaListRecord& record, SInt32, SInt32) {
        sSpMusicFileInfo info;
        if (SpCDR_ReadMusicFileInfoBytes(record.musicInfo, kSpMusicFileInfoSize, info))
          seconds.push_back(info.seconds);
        return true;
      });
  ASSERT_EQ(seconds.size(), 2u);
  EXPECT_NEAR(seconds[1], 450 * 588 / 44100.0, 0.05);
}

// A run into each file that replaces two listed files shows both rows as the new files are,
// not only the first.
TEST_F(SaveFlow, ARunReplacingTwoListedFilesShowsBothAsTheyAreNow) {
  const std::string sunrise = Out("Sunrise_1_0.aif"), midday = Out("Midday_1_0.aif");
  const auto wholeTripInto = [this](const std::string& name) {
    return Then("the whole of Trip into " + name, [this, name] {
      Click(RowOf("Day Trip"), kCDR_NameColumn);
      StoreSetup(1.0);
      Respond(SetupAnswer(kAIFF));
      Respond(sp_testing::NavSave(name, out_));
      Key(13);
    });
  };
  auto fileRowTimes = [] {
    const std::vector<std::string> times = Column(kCDR_InfoColumn);
    return std::vector<std::string>(times.end() - 2, times.end());
  };
  RunWith({
      wholeTripInto("Sunrise_1_0.aif"),
      Saved(sunrise),
      wholeTripInto("Midday_1_0.aif"),
      Saved(midday),
      Do("list both files",
         [sunrise, midday] {
           ASSERT_TRUE(AddSoundFile(sunrise));
           ASSERT_TRUE(AddSoundFile(midday));
         }),
      WaitFor("their rows", [] { return Rows() == 8; }),
      Then("Sunrise and Midday each into its own file, the listed ones deleted",
           [fileRowTimes] {
             EXPECT_EQ(fileRowTimes(), (std::vector<std::string>{"00:07", "00:07"}));
             Click(RowOf("Sunrise"), kCDR_NameColumn);
             Click(RowOf("Midday"), kCDR_NameColumn, cmdKey);
             StoreSetup(1.0);
             ClearExistingNameBox();
             Respond(SetupAnswer(kAIFF));
             Respond(ExistingName(7, true));
             EXPECT_TRUE(
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem).chosen);
           }),
      WaitFor("the run ended",
              [] { return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0; }),
      Do("look",
         [fileRowTimes, sunrise, midday] {
           EXPECT_NEAR(ProbeFile(sunrise).seconds, 150 * 588 / 44100.0, 0.05);
           EXPECT_NEAR(ProbeFile(midday).seconds, 200 * 588 / 44100.0, 0.05);
           const std::vector<std::string> times = fileRowTimes();
           EXPECT_EQ(times[0], "00:02");
           EXPECT_NE(times[1], "00:07") << "the second replaced file's row shows the old file";
         }),
  });
}

// A numbered name keeps to 255 bytes: the name is cut before its number and extension when
// the title already fills the name.
TEST_F(SaveFlow, ANumberedNameIsCutToFitTheLongestName) {
  const std::string title(247, 'M');  // "<title>_1_0.aif" is 255 bytes
  const std::string taken = title + "_1_0.aif";
  RunWith(
      {
          Then("select the CD", [] { Click(RowOf("Day Trip"), kCDR_NameColumn); }),
          Then("save each, numbering what exists",
               [&] {
                 WriteJunk(Out(taken));
                 StoreSetup(1.0);
                 ClearExistingNameBox();
                 Respond(SetupAnswer(kAIFF));
                 Respond(ExistingName(6, true));
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem);
               }),
          WaitFor("the run ended",
                  [] { return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0; }),
          Do("the numbered name is 254 bytes",
             [&] {
               const std::string numbered = title + "__1.aif";
               EXPECT_EQ(ProbeFile(Out(numbered)).codec, "pcm_s16be");
               EXPECT_EQ(ReadAll(Out(taken)), "not a sound file");
               std::vector<std::string> names = Names(out_);
               std::sort(names.begin(), names.end());
               EXPECT_EQ(names, (std::vector<std::string>{taken, numbered, "Sunrise_1_0.aif",
                                                          "Sunset_1_0.aif"}));
             }),
      },
      {"Day Trip", "Sunrise", title, "Sunset"});
  EXPECT_EQ(errors_.Count(), 0u);
}

// Cancelling a running save asks first: two buttons, or three while more files of a run into
// each file follow. Going on finishes the file; stopping leaves no file, not even a temporary
// one; the next file of a run follows when only the current one is stopped. The progress
// window shows the format by its name.
TEST_F(SaveFlow, ACancelledSaveStopsOrGoesOnAsAnswered) {
  struct Case {
    const char* why;
    bool each;
    short type;
    const char* button;
    std::vector<const char*> files;
    std::size_t buttons;
    const char* format;
    const char* name;  // the file's name as the progress window shows it
  } cases[] = {
      {"one file goes on", false, kAIFF, "そのまま続ける", {"Day Trip.aif"}, 2, "AIFF",
       "Day Trip.aif"},
      {"one file stops", false, kMovie, "保存を中止する", {}, 2, "QuickTime", "Day Trip.mov"},
      {"each: the current file stops, the next follow", true, kAIFC, "次の保存を実行",
       {"Midday_1_0.aif", "Sunset_1_0.aif"}, 3, "AIFF-C", "Sunrise_1_0.aif"},
      {"each: all stop", true, kWAVE, "全ての保存を中止する", {}, 3, "WAVE", "Sunrise_1_0.wav"},
  };
  std::vector<Step> steps = {Then("select the CD", [] { Click(RowOf("Day Trip"), kCDR_NameColumn); })};
  for (const Case& c : cases) {
    steps.push_back(Then(std::string("save and cancel: ") + c.why, [this, &c] {
      Tool({"sh", "-c", "rm -f \"$0\"/*", out_});
      StoreSetup(1.0, SpFourCC("twos"));
      Respond(SetupAnswer(c.type));
      if (!c.each) RespondSaveKeepingName(out_);
      Respond(Answer()
                  .Do(
                      [&c](WindowRef) {
                        ASSERT_NE(M()->progressTexts[5], nullptr);
                        EXPECT_EQ(std::string(M()->progressTexts[5]->GetString()), c.format);
                        ASSERT_NE(M()->progressTexts[3], nullptr);
                        EXPECT_EQ(std::string(M()->progressTexts[3]->GetString()), c.name);
                      },
                      "look at the progress window")
                  .ClickButtonUTF8(c.button));
      const MenuItemIndex item = c.each ? kCDR_FileSaveEachItem : kCDR_FileSaveOneItem;
      EXPECT_TRUE(sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), item).chosen);
      ASSERT_NE(M()->progressWindow, nullptr) << "the save runs";
      Key('.');
      EXPECT_TRUE(M()->IsSaveRunning()) << "a period without Command stops nothing";
      Key(27);
    }));
    steps.push_back(WaitFor("the save ended", [] {
      return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0;
    }));
    steps.push_back(Do(std::string("look: ") + c.why, [this, &c] {
      SCOPED_TRACE(c.why);
      std::vector<std::string> expected(c.files.begin(), c.files.end());
      std::vector<std::string> names = Names(out_);
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, expected);
      for (const char* name : c.files) EXPECT_GT(ProbeFile(Out(name)).seconds, 1.0) << name;
      const sp_testing::Shown& asked = sp_testing::ShownSoFar().back();
      EXPECT_EQ(asked.message, SpCDR_MJ("保存の中止"));
      EXPECT_EQ(asked.buttons.size(), c.buttons);
      EXPECT_EQ(M()->progressWindow, nullptr);
      EXPECT_FALSE(Sp_IsMouseTraceDisabled());
    }));
  }
  RunWith(steps);
}

// Between the files of a run into each file, the next file's source is checked and its name
// made in one pass, and its save starts in a later one: the two pieces of work at a file's
// start never keep the window waiting in the same pass. A timer firing every pass looks.
TEST_F(SaveFlow, TheNextFileOfARunIsCheckedInOnePassAndStartedInTheNext) {
  static bool seen = false;
  static EventLoopTimerRef look = nullptr;
  seen = false;
  RunWith({
      Then("select the CD", [] { Click(RowOf("Day Trip"), kCDR_NameColumn); }),
      Then("save each",
           [] {
             StoreSetup(1.0);
             Respond(SetupAnswer(kWAVE));
             InstallEventLoopTimer(GetMainEventLoop(), 0, kEventDurationMicrosecond,
                                   NewEventLoopTimerUPP([](EventLoopTimerRef, void*) {
                                     seen = seen ||
                                            (std::string(M()->saveFileName) == "Midday_1_0.wav" &&
                                             M()->saveProgram != nullptr &&
                                             !M()->saveProgram->IsSaveRunning());
                                   }),
                                   nullptr, &look);
             EXPECT_TRUE(
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem).chosen);
           }),
      WaitFor("the run ended", [] { return !M()->IsSaveRunning(); }),
      Do("every file was saved, the second named a pass before its save started",
         [this] {
           RemoveEventLoopTimer(look);
           EXPECT_TRUE(seen);
           std::vector<std::string> names = Names(out_);
           std::sort(names.begin(), names.end());
           EXPECT_EQ(names, (std::vector<std::string>{"Midday_1_0.wav", "Sunrise_1_0.wav",
                                                      "Sunset_1_0.wav"}));
         }),
  });
}

// A file of a run into each file that the engine could not save (a FLAC file cut short) is
// told by the engine, and then the run asks whether the files after it go on: a reason such as
// a folder that cannot be written would fail each of them again.
TEST_F(SaveFlow, AFileTheEngineCouldNotSaveAsksWhetherTheFilesAfterItGoOn) {
  const std::string cut = home_.Path("cut.flac"), whole = home_.Path("whole.mp3");
  ASSERT_TRUE(sp_testing::RunFfmpeg(
      {"-f", "lavfi", "-i", "anoisesrc=duration=4", "-ac", "2", "-c:a", "flac", cut}, cut));
  ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac",
                                     "1", "-c:a", "libmp3lame", whole},
                                    whole));
  struct stat st {};
  ASSERT_EQ(stat(cut.c_str(), &st), 0);
  ASSERT_EQ(truncate(cut.c_str(), st.st_size / 2), 0);
  sp_testing::ResponderScope responder;
  Run({
      Do("add the files",
         [cut, whole] {
           ASSERT_TRUE(AddSoundFile(cut));
           ASSERT_TRUE(AddSoundFile(whole));
         }),
      WaitFor("their rows", [] { return Rows() == 2; }),
      Then("select both", [] { Key('a', cmdKey); }),
      Then("save each, stopping after the first",
           [] {
             StoreSetup(1.0);
             Respond(SetupAnswer(kWAVE));
             Respond(Answer::Return());
             Respond(Answer().ClickButtonUTF8("保存を中止する"));
             EXPECT_TRUE(
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem).chosen);
           }),
      WaitFor("the run ended", [] { return !M()->IsSaveRunning(); }),
      Do("the engine's reason, then the question, and no file after it",
         [this] {
           EXPECT_EQ(sp_testing::PendingAnswerCount(), 0u) << "the question was asked";
           EXPECT_TRUE(Names(out_).empty());
           const std::vector<sp_testing::Shown>& shown = sp_testing::ShownSoFar();
           ASSERT_FALSE(shown.empty());
           EXPECT_EQ(shown.back().explanation,
                     SpCDR_MJ("「cut_1_0.wav」は保存できませんでした。ファイルはできていません。"));
         }),
      Quit(),
  });
  EXPECT_FALSE(forcedEnd_);
}

// A listed file cut short fails its save; once it is whole again, it saves whole.
TEST_F(SaveFlow, AFileWholeAgainAfterAFailedSaveSavesWhole) {
  const std::string file = home_.Path("cut.flac"), keep = home_.Path("keep.flac");
  ASSERT_TRUE(sp_testing::RunFfmpeg(
      {"-f", "lavfi", "-i", "anoisesrc=duration=4", "-ac", "2", "-c:a", "flac", file}, file));
  ASSERT_EQ(Tool({"cp", file, keep}), "");
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  sp_testing::ResponderScope responder;
  // The file is cut short, when asked, once the save is about to start.
  auto save = [this, &file, &st](bool cut) {
    StoreSetup(1.0);
    Respond(SetupAnswer(kWAVE));
    Respond(sp_testing::NavGoTo(out_));
    Answer answer = Answer::Click(kNavItemDefaultButton);
    if (cut) answer.Do([&](WindowRef) { truncate(file.c_str(), st.st_size / 2); }, "cut");
    Respond(answer);
    if (cut) Respond(Answer::Return());  // the engine's report
    EXPECT_TRUE(sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveOneItem).chosen);
  };
  Run({
      Do("add the file", [file] { ASSERT_TRUE(AddSoundFile(file)); }),
      WaitFor("its row", [] { return Rows() == 1; }),
      Then("select it", [] { Key('a', cmdKey); }),
      Then("save it, cut short as it starts",
           [&] { save(true); }),
      WaitFor("the save ended", [] { return !M()->IsSaveRunning(); }),
      Then("make it whole and save it again",
           [&] {
             EXPECT_TRUE(Names(out_).empty());
             ASSERT_EQ(Tool({"cp", keep, file}), "");
             save(false);
           }),
      Saved(Out("cut_1_0.wav")),
      Do("whole", [this] { EXPECT_NEAR(ProbeFile(Out("cut_1_0.wav")).seconds, 4.0, 0.01); }),
      Quit(),
  });
  EXPECT_FALSE(forcedEnd_);
}

// Quitting while a save runs asks first; letting the save go on keeps the program running
// and the file is finished.
TEST_F(SaveFlow, QuittingWhileSavingAsksAndLetsTheSaveFinish) {
  RunWith({
      Then("select the CD", [] { Click(RowOf("Day Trip"), kCDR_NameColumn); }),
      Then("save it and quit at once", [this] {
        StoreSetup(1.0);
        Respond(SetupAnswer(kAIFF));
        RespondSaveKeepingName(out_);
        Respond(Answer().ClickButtonUTF8("そのまま続ける"));
        EXPECT_TRUE(sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveOneItem).chosen);
        ASSERT_TRUE(M()->IsSaveRunning());
        Key('q', cmdKey);
      }),
      Saved(Out("Day Trip.aif")),
      Do("the program runs on with the whole file", [this] {
        EXPECT_EQ(sp_testing::ShownSoFar().back().message, SpCDR_MJ("保存の中止"));
        EXPECT_NEAR(ProbeFile(Out("Day Trip.aif")).seconds, 525 * 588 / 44100.0, 0.05);
      }),
  });
}

// The names of a run into each file are made of this one part; the CD is selected.
void StoreEachFileRuleOf(tSaveFileNameDefType kind) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  ASSERT_TRUE(CDRMMgr_GetFileNameDefFolder(vRefNum, dirID));
  cTevo_SaveFileNameDefObject rule(vRefNum, dirID, kTevo_FileNameDefIntoEachFileName);
  rule.AddNewNameDefItem(kind);
  ASSERT_TRUE(rule.SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder());
  Click(RowOf("Day Trip"), kCDR_NameColumn);
}

// Names made of the title alone, a junk file of the second track's name, the CD selected.
Step TitleRuleAndJunk(const std::string& junk) {
  return Do("a rule of the title alone, and a file of the second track's name", [junk] {
    WriteJunk(junk);
    StoreEachFileRuleOf(kTevo_NameDefSongTitle);
  });
}

// A name that carries its own extension is written as it is, and that very name is the one
// checked: an existing file of that name is never replaced without asking.
TEST_F(SaveFlow, ANameWithItsOwnExtensionIsCheckedAsWritten) {
  RunWith(
      {
          TitleRuleAndJunk(Out("Noon.xyz")),
          Then("save each, skipping what exists",
               [] {
                 StoreSetup(1.0);
                 Respond(SetupAnswer(kWAVE));
                 Respond(ExistingName(8, false));
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem);
               }),
          WaitFor("the run ended", [] { return !M()->IsSaveRunning(); }),
          Do("the file was asked about and kept",
             [this] {
               EXPECT_EQ(ShownTimes(kExistingNameTitle), 1);
               EXPECT_EQ(ReadAll(Out("Noon.xyz")), "not a sound file");
               EXPECT_EQ(ProbeFile(Out("Dawn.wav")).codec, "pcm_s16le");
               EXPECT_EQ(ProbeFile(Out("Dusk.wav")).codec, "pcm_s16le");
             }),
      },
      {"Day Trip", "Dawn", "Noon.xyz", "Dusk"});
}

// A rule that makes no name (the CD has no genre) leaves each file the title as it is, made
// safe as the rule's own names are: no ':' (the program's names' separator) and no leading
// dot (a hidden file).
TEST_F(SaveFlow, ATitleTakenAsItIsIsMadeSafeAsARulesNameIs) {
  RunWith(
      {
          Do("a rule of the genre alone", [] { StoreEachFileRuleOf(kTevo_NameDefGenre); }),
          Then("save each",
               [] {
                 StoreSetup(1.0);
                 Respond(SetupAnswer(kWAVE));
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem);
               }),
          WaitFor("the run ended", [] { return !M()->IsSaveRunning(); }),
          Do("every track saved under its title",
             [this] {
               std::vector<std::string> names = Names(out_);
               std::sort(names.begin(), names.end());
               EXPECT_EQ(names, (std::vector<std::string>{"Dusk.wav", "__.wav", "a:b.wav"}));
               EXPECT_EQ(errors_.Count(), 0u);
             }),
      },
      {"Day Trip", "a:b", "..", "Dusk"});
}

// The bars of a save of several items: the overall bar moves by the item's share and is
// full once the last item is; the item bar follows each item.
TEST_F(SaveFlow, TheProgressBarsMoveByEachItemsShare) {
  struct Report {
    int item;  // 0, 1, 2 ... of the save
    SInt32 total, done;
    short overall, itemBar;
  };
  struct Case {
    const char* why;
    SInt32 count;
    std::vector<Report> reports;
  } cases[] = {
      {"three items step by 33 and end full",
       3,
       {{0, 100, 0, 0, 0},
        {0, 100, 50, 16, 50},
        {0, 100, 100, 33, 100},
        {1, 100, 0, 33, 0},
        {1, 200, 200, 66, 100},
        {2, 100, 50, 82, 50},
        {2, 100, 100, 100, 100}}},
      {"150 items step by one", 150, {{0, 10, 10, 1, 100}, {1, 10, 5, 1, 50}, {2, 10, 10, 3, 100}}},
  };
  RunWith({Do("report", [&cases] {
    cCDR_MediaItem* trip = nullptr;
    ASSERT_TRUE(M()->SerchTargetMediaItemListItem(RowOf("Day Trip"), &trip, nullptr));
    cSp_CDRProgramBaseObj* program = trip->GetProgram();
    std::vector<cSp_CDRProgramItemObj*> items;
    for (cSp_CDRProgramItemObj* i = program->GetFirstProgramItem(); i != nullptr; i = i->GetNextObjectPtr())
      items.push_back(i);
    ASSERT_EQ(items.size(), 3u);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.why);
      M()->progressWindow = new cSp_ProgressBarWin(136, 2, 1, 100);
      M()->singleItemSave = 0;
      M()->currentSaveItem = nullptr;
      M()->saveItemIndex = M()->saveItemBase = 0;
      M()->itemBarValue = M()->totalBarValue = 0;
      M()->saveItemCount = c.count;
      M()->saveItemStep = c.count > 100 ? 1 : 100 / c.count;
      for (const Report& r : c.reports) {
        M()->CatchSaveProgressCB(items[std::size_t(r.item)], r.total, r.done);
        EXPECT_EQ(M()->totalBarValue, r.overall) << r.item << " " << r.done << "/" << r.total;
        EXPECT_EQ(M()->itemBarValue, r.itemBar) << r.item << " " << r.done << "/" << r.total;
      }
      delete M()->progressWindow;
      M()->progressWindow = nullptr;
    }
  })});
}

// Sound files whose names take up to the 255 bytes a Linux name may have are listed and saved
// like any other: the program keeps the stand-in of such a name that an FSSpec holds, and the
// calls it hands that name to lead back to the file.
TEST_F(SaveFlow, FilesOfNamesUpToTheLongestAreSaved) {
  std::string kanji;
  for (int i = 0; i < 80; ++i) kanji += "音";
  const std::vector<std::string> songs = {home_.Path(std::string(251, 'a') + ".mp3"),
                                          home_.Path(kanji + ".mp3")};
  for (const std::string& song : songs) {
    ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac",
                                       "1", "-c:a", "libmp3lame", song},
                                      song));
  }
  sp_testing::ResponderScope responder;
  Run({
      Do("add the files",
         [songs] {
           for (const std::string& song : songs) ASSERT_TRUE(AddSoundFile(song));
         }),
      WaitFor("their rows", [] { return Rows() == 2; }),
      Then("select the first", [] { Click(1, kCDR_NameColumn); }),
      Then("and the second", [] { Click(2, kCDR_NameColumn, cmdKey); }),
      Then("save them",
           [this] {
             StoreSetup(1.0);
             Respond(SetupAnswer(kAIFF));
             Respond(sp_testing::NavSave("long.aif", out_));
             Key(13);
           }),
      Saved(Out("long.aif")),
      Quit(),
  });
  EXPECT_FALSE(forcedEnd_);
  EXPECT_NEAR(ProbeFile(Out("long.aif")).seconds, 4.0, 0.05);
  EXPECT_EQ(errors_.Count(), 0u);
}

// Sound files made by other encoders than FFmpeg's are saved whole: the desktop's alarm sound
// (Ogg Vorbis whose packets' durations fall short of the sound by a quarter of a second) comes
// out as long as ffmpeg decodes it, through the same rate change, as sox counts the saved file.
TEST_F(SaveFlow, ASoundOfTheDesktopThemeIsSavedWhole) {
  const std::string theme = "/usr/share/sounds/freedesktop/stereo/alarm-clock-elapsed.oga";
  if (!Exists(theme)) GTEST_SKIP() << "sound-theme-freedesktop is not installed";
  const std::string song = home_.Path("alarm.oga");
  ASSERT_EQ(Tool({"cp", theme, song}), "");
  const std::string theirs = Tool({"sh", "-c",
                                   "ffmpeg -v error -nostdin -i \"$1\" -ar 44100 -ac 1 -f s16le - "
                                   "| wc -c",
                                   "sh", song});
  sp_testing::ResponderScope responder;
  Run({
      Do("add the file", [song] { ASSERT_TRUE(AddSoundFile(song)); }),
      WaitFor("its row", [] { return Rows() == 1; }),
      Then("select it", [] { Click(1, kCDR_NameColumn); }),
      Then("save it",
           [this] {
             StoreSetup(1.0);
             Respond(SetupAnswer(kWAVE));
             Respond(sp_testing::NavSave("alarm.wav", out_));
             Key(13);
           }),
      Saved(Out("alarm.wav")),
      Quit(),
  });
  EXPECT_EQ(std::atol(Tool({"soxi", "-s", Out("alarm.wav")}).c_str()),
            std::atol(theirs.c_str()) / 2);
  EXPECT_EQ(errors_.Count(), 0u);
}

// The second clash of a run: an answer for one file is asked again, an answer for all the
// following settles it unasked, and a new name asked for twice opens the save dialog twice,
// each answer naming its own file.
TEST_F(SaveFlow, ASecondClashInARunIsSettledUnaskedOnlyByAnAnswerForAll) {
  const std::string other = home_.Path("Other");
  mkdir(other.c_str(), 0700);
  const std::vector<SaveEachCase> cases = {
      {"an answer for this file only is asked again at the next clash",
       {"Midday_1_0.aif", "Sunset_1_0.aif"},
       {ExistingName(7, false), ExistingName(8, false)},
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       {"Sunset_1_0.aif"},
       2,
       {}},
      {"deleting for all replaces the second clash unasked",
       {"Sunrise_1_0.aif", "Sunset_1_0.aif"},
       {ExistingName(7, true)},
       {"Sunrise_1_0.aif", "Midday_1_0.aif", "Sunset_1_0.aif"},
       {},
       1,
       {}},
      {"skipping for all skips the second clash unasked",
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       {ExistingName(8, true)},
       {"Sunset_1_0.aif"},
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       1,
       {}},
      {"a new name asked for at each of two clashes",
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       {ExistingName(5, false), sp_testing::NavSave("first.aif"), ExistingName(5, false),
        sp_testing::NavSave("second.aif")},
       {"first.aif", "second.aif", "Sunset_1_0.aif"},
       {"Sunrise_1_0.aif", "Midday_1_0.aif"},
       2,
       {}},
      {"a new name for all: one question, the save dialog at each clash",
       {"Sunrise_1_0.aif", "Sunset_1_0.aif"},
       {ExistingName(5, true), sp_testing::NavSave("first.aif"), sp_testing::NavSave("third.aif")},
       {"first.aif", "Midday_1_0.aif", "third.aif"},
       {"Sunrise_1_0.aif", "Sunset_1_0.aif"},
       1,
       {}},
      {"another folder kept for the following files",
       {"Sunrise_1_0.aif"},
       {ExistingName(5, false), sp_testing::NavSave("moved.aif", other),
        Answer().ClickButtonUTF8("以降も使用")},
       {},
       {"Sunrise_1_0.aif"},
       1,
       {"moved.aif", "Midday_1_0.aif", "Sunset_1_0.aif"}},
  };
  RunWith(SaveEachSteps(cases, out_, other, asked_));
  EXPECT_EQ(errors_.Count(), 0u);
}

// Titles that end in a four-letter extension keep it as written, are checked under it, and a
// number goes before it; a title's ending of digits is no extension: the number and the file
// type's extension go after it.
TEST_F(SaveFlow, AFourLetterExtensionIsKeptCheckedAndNumberedBefore) {
  RunWith(
      {
          TitleRuleAndJunk(Out("Noon.aifc")),
          Then("save each, numbering what exists",
               [this] {
                 WriteJunk(Out("Op.125"));
                 StoreSetup(1.0);
                 ClearExistingNameBox();
                 Respond(SetupAnswer(kWAVE));
                 Respond(ExistingName(6, true));
                 sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem);
               }),
          WaitFor("the run ended",
                  [] { return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0; }),
          Do("the names as written, the taken one numbered before its extension",
             [this] {
               EXPECT_EQ(ShownTimes(kExistingNameTitle), 1) << "answered for all";
               EXPECT_EQ(ReadAll(Out("Noon.aifc")), "not a sound file");
               std::vector<std::string> names = Names(out_);
               std::sort(names.begin(), names.end());
               EXPECT_EQ(names, (std::vector<std::string>{"Dawn.aiff", "Noon.aifc", "Noon_1.aifc",
                                                          "Op.125", "Op.125_1.wav"}));
               EXPECT_EQ(ProbeFile(Out("Op.125_1.wav")).codec, "pcm_s16le");
               EXPECT_EQ(ProbeFile(Out("Dawn.aiff")).codec, "pcm_s16le");
               EXPECT_EQ(ProbeFile(Out("Noon_1.aifc")).codec, "pcm_s16le");
             }),
      },
      {"Day Trip", "Dawn.aiff", "Noon.aifc", "Op.125"});
  EXPECT_EQ(errors_.Count(), 0u);
}

// Names with every Latin letter MacJapanese lacks, composed and decomposed, added through the
// dialog and dropped: the list, the progress window, the existing-name question and the saved
// files' names on disk show each as its plain letter.
TEST_F(SaveFlow, LettersMacJapaneseLacksAreTheirPlainLettersFromTheListToTheSavedNames) {
  const auto& letters = sp_testing::LatinLettersMacJapaneseLacks();
  ASSERT_FALSE(letters.empty());
  // Four names of composed letters and four of decomposed ones (a Linux name holds 255 bytes),
  // once in a folder the dialog adds from and once in one they are dropped from.
  const std::string base = MakeSoundFile("base.aif", 1);
  std::vector<std::string> chosen, dropped, listed, saved;
  for (const std::string way : {"dialog", "drop"}) {
    mkdir(home_.Path(way).c_str(), 0700);
    for (int n = 0; n < 8; ++n) {
      const std::string prefix = way.substr(0, 2) + char('0' + n) + " ";
      std::u16string text;
      std::string plain = prefix;
      for (std::size_t i = std::size_t(n % 4); i < letters.size(); i += 4) {
        text += n < 4 ? std::u16string(1, letters[i].composed) : letters[i].decomposed;
        plain += letters[i].plain;
      }
      const std::string name = prefix + sp::text::UTF16ToUTF8(text) + ".aif";
      ASSERT_EQ(Tool({"cp", base, home_.Path(way + "/" + name)}), "");
      if (way == "dialog") chosen.push_back(name);
      if (way == "drop") dropped.push_back(home_.Path(way + "/" + name));
      listed.push_back(plain + ".aif");
      saved.push_back(plain + "_1_0.wav");
    }
  }
  // A file of one saved name is there: the question names it, and the file is kept.
  const std::string taken = saved[5];
  WriteJunk(Out(taken));
  std::sort(listed.begin(), listed.end());
  std::sort(saved.begin(), saved.end());
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose(chosen, home_.Path("dialog")));
  Run({
      Do("click the add button", [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); }),
      WaitFor("the chosen files", [] { return Rows() == 8; }),
      Do("drop the others",
         [dropped] {
           EXPECT_EQ(sp_testing::DropFiles(dropped, {CellPoint(8, kCDR_NameColumn)}), noErr);
         }),
      WaitFor("the dropped files", [] { return Rows() == 16; }),
      Then("select them all",
           [&] {
             std::vector<std::string> names = Column(kCDR_NameColumn);
             std::sort(names.begin(), names.end());
             EXPECT_EQ(names, listed);
             Key('a', cmdKey);
           }),
      Then("save each of them",
           [&] {
             StoreSetup(1.0);
             ClearExistingNameBox();
             Respond(SetupAnswer(kWAVE));
             // The progress window cuts a long name in its middle.
             Answer a = Answer().Do(
                 [taken](WindowRef) {
                   ASSERT_NE(M()->progressTexts[3], nullptr);
                   const std::string shown = M()->progressTexts[3]->GetString();
                   EXPECT_EQ(shown.substr(0, 20), taken.substr(0, 20));
                   EXPECT_EQ(shown.substr(shown.size() - 20), taken.substr(taken.size() - 20));
                 },
                 "look at the name in the progress window");
             Respond(a.ClickItem(8).ClickItem(1));
             sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileSaveEachItem);
           }),
      WaitFor("the run ended",
              [] { return !M()->IsSaveRunning() && sp_testing::PendingAnswerCount() == 0; }),
      Quit(),
  });
  EXPECT_EQ(ShownTimes(kExistingNameTitle), 1);
  EXPECT_EQ(ReadAll(Out(taken)), "not a sound file");
  std::vector<std::string> names = Names(out_);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, saved);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace app_test
