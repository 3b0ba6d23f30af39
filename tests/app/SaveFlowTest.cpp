// Saving through the program's main road: a selection into one file and each track into its
// own file, through the set-up, the save dialog and the progress window, on disc folders and on
// a sound file that ffmpeg makes and mutagen tags; every file is judged by ffprobe and mutagen.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "AppTestSupport.h"
#include "Clock.h"
#include "Navigation.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDRomManager.h"
#include "SpMouseTraceManager.h"
#include "SpPreferenceStockObject.h"
#include "SpProgressBarWinObject.h"
#include "SpStringView.h"
#include "TestEvents.h"
#include "TestQuickTime.h"
#include "TestResponder.h"
#include "TestNavigation.h"

namespace app_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;

// The set-up's file type popup items.
enum : short { kAIFF = 1, kWAVE = 2, kMovie = 3, kMovieNoCompress = 4, kAIFC = 5 };

std::string Tool(const std::vector<std::string>& argv) {
  std::string out;
  sp_testing::RunProgram(argv, out, false);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

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

std::string MutagenTags(const std::string& path) {
  const char* script =
      "import sys, mutagen\n"
      "f = mutagen.File(sys.argv[1])\n"
      "tags = f.tags if f is not None else None\n"
      "if tags is not None:\n"
      "  for k in sorted(tags.keys()):\n"
      "    v = tags[k]\n"
      "    t = v.text if hasattr(v, 'text') else v\n"
      "    t = t if isinstance(t, list) else [t]\n"
      "    print(k + '=' + '/'.join(str(x) for x in t))\n";
  return Tool({"/usr/bin/python3", "-c", script, path});
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

// Waits until a double-click's time has passed since the previous step.
Step Then(const std::string& what, std::function<void()> act) {
  auto due = std::make_shared<UInt32>(0);
  return Step{what,
              [due] {
                if (*due == 0) *due = TickCount() + 40;
                return TickCount() >= *due;
              },
              std::move(act)};
}

// The save wrote the file and ended.
Step Saved(const std::string& path) {
  return WaitFor("saved " + path, [path] { return Exists(path) && !M()->IsSaveRunning(); });
}

class SaveFlow : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
    out_ = home_.Path("Documents");
    mkdir(out_.c_str(), 0700);
  }
  // Two discs, "Trip" with titles and "Plain" without, and a mono sound file whose title
  // mutagen wrote; the steps run once all three are listed, Trip open.
  void RunWith(std::vector<Step> steps) {
    WriteTitles(MakeDisc("Trip", {{"1 One.aiff", 150}, {"2 Two.aiff", 200}, {"3 Three.aiff", 175}}),
                {"Day Trip", "Sunrise", "Midday", "Sunset"});
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
  std::string Out(const std::string& name) const { return out_ + "/" + name; }
  std::string out_;
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
      {"a file into an uncompressed movie", {{"朝", 0}}, kMovieNoCompress, 1.5, "朝_1_5.mov",
       "pcm_s16be", 1, 2.0 / 1.5, ""},
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

// The places the save dialog opened in and where it was left are kept for the next save.
TEST_F(SaveFlow, TheSaveDialogsFolderIsRememberedAndAnAnsweredDialogChangesNothingElse) {
  const std::string other = home_.Path("Other");
  mkdir(other.c_str(), 0700);
  RunWith({
      Then("save into Other", [other] {
        Click(RowOf("Plain"), kCDR_NameColumn);
        StoreSetup(1.0);
        Respond(SetupAnswer(kAIFF));
        RespondSaveKeepingName(other);
        Key(13);
      }),
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

}  // namespace
}  // namespace app_test
