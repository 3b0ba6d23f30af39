// The names saved files get, through the running program: every kind of name part from a CD's
// titles, from the music library, from an MP3's own tags and from the file names when there are
// no tags, with the date and time of the virtual clock and the save's speed.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "AppTestSupport.h"
#include "CDMediaItemObj.h"
#include "CDMediaMgrFileName.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpiTunesMusicInfoObject.h"
#include "TestClock.h"

namespace app_test {
namespace {

// The library as another program writes it: the album of the "Trip" disc, two and four
// seconds long.
const char kLibraryScript[] = R"PY(
import plistlib, sys
def track(i, name, number, ms):
    return {"Track ID": i, "Name": name, "Artist": "Ann", "Album": "Road Album",
            "Genre": "Rock", "Track Number": number, "Track Count": 2, "Total Time": ms}
tracks = [track(501, "Morning", 1, 2000), track(503, "Evening", 2, 4000)]
library = {"Major Version": 1, "Minor Version": 1,
           "Tracks": {str(t["Track ID"]): t for t in tracks}, "Playlists": []}
with open(sys.argv[1], "wb") as f:
    plistlib.dump(library, f)
)PY";

std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

std::string BE32(UInt32 v) {
  return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

class FileNames : public ProgramTest {
 protected:
  // The definition for saving into one file, as the program writes it.
  void WriteDefinition(const std::vector<int>& kinds, const char* file) const {
    std::string bytes = "0100" + BE32(UInt32(kinds.size()));
    for (int kind : kinds) bytes += BE32(UInt32(kind));
    const std::string folder = home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName);
    mkdir(folder.c_str(), 0700);
    std::ofstream(folder + "/" + file, std::ios::binary) << bytes;
  }
  void WriteLibrary() const {
    mkdir(home_.Path("Music").c_str(), 0700);
    mkdir(home_.Path("Music/iTunes").c_str(), 0700);
    const std::string script = home_.Path("write_library.py");
    std::ofstream(script) << kLibraryScript;
    const std::string command = "/usr/bin/python3 '" + script + "' '" +
                                home_.Path("Music/iTunes/") + kSpiTM_LibraryFileName + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
  }
  // An MP3 of one second with these ID3 v2.4 tags, as ffmpeg writes it.
  std::string MakeMP3(const std::string& name, const std::string& tags) const {
    const std::string path = home_.Path(name);
    const std::string command =
        "ffmpeg -v error -f lavfi -i anullsrc=r=44100:cl=stereo -t 1 -c:a libmp3lame "
        "-id3v2_version 4 " + tags + " '" + path + "'";
    EXPECT_EQ(0, std::system(command.c_str()));
    return path;
  }
};

// The media item whose name (its volume or file name) is this.
cCDR_MediaItem* ItemNamed(const std::string& name) {
  for (cCDR_MediaItem* item = M()->GetMediaItemListHead(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (name == item->GetName()) return item;
  }
  return nullptr;
}

struct Source {
  const char* mediaItem;
  short track;  // the program's item, from 1
  bool library;
};

std::string NameOf(const Source& source, tTevo_FileNameDefDlgType kind, float speed,
                   ciTunesMusicInfoObj* library, SInt32 size = 1024) {
  cCDR_MediaItem* item = ItemNamed(source.mediaItem);
  if (item == nullptr) return "(no item)";
  cSp_CDRProgramBaseObj* program = item->GetProgram();
  std::vector<char> name(std::size_t(size), 'x');
  const unsigned char made = CDRMMgr_CreateFileNameFromTargetProgramItem(
      kind, item, program, program->GetProgramItem(UInt32(source.track)),
      source.library ? library : nullptr, speed, nullptr, name.data(), size);
  EXPECT_EQ(made != 0, name[0] != 0) << "the result says whether there is a name";
  return name.data();
}

TEST_F(FileNames, EveryKindOfPartComesFromItsSource) {
  WriteTitles(MakeDisc("Trip", {{"1 One.aiff", 150}, {"2 Two.aiff", 300}}),
              {"Day Trip", "Sunrise", "Noon"});
  MakeDisc("Plain", {{"1 .aiff", 150}});
  WriteLibrary();
  const std::string tagged = MakeMP3(
      "tagged.mp3",
      "-metadata title='Song: One/Two' -metadata album='Tape' -metadata artist='Bob' "
      "-metadata genre='Jazz'");
  const std::string dotted = MakeMP3("dotted.mp3", "-metadata title='.hidden'");
  const std::string bare = MakeMP3("bare tone.mp3", "");
  ciTunesMusicInfoObj* library = nullptr;

  const Source disc{"Trip", 1, false}, album{"Trip", 1, true}, mp3{"tagged.mp3", 1, false},
      untitled{"Plain", 1, false}, noTags{"bare tone.mp3", 1, false},
      hidden{"dotted.mp3", 1, false};
  const SInt64 nineOhFive = 21 * 3600 + 5 * 60;  // the next morning, after the test's noon
  const struct {
    const char* why;
    Source source;
    int kind;
    float speed;
    SInt64 later;
    const char* name;
  } cases[] = {
      {"kind 0 alone is no usable definition: the default", disc, 0, 1, 0, "Sunrise_1_0"},
      {"the CD's title as the album", disc, 1, 1, 0, "Day Trip"},
      {"the library's album", album, 1, 1, 0, "Road Album"},
      {"the MP3's album", mp3, 1, 1, 0, "Tape"},
      {"the track's title", disc, 2, 1, 0, "Sunrise"},
      {"the library's title", album, 2, 1, 0, "Morning"},
      {"a title's ':' shows as '/', which the disk keeps as ':'", mp3, 2, 1, 0, "Song/ One/Two"},
      {"a title never makes a hidden file", hidden, 2, 1, 0, "_hidden"},
      {"no tags: the file's name without extension", noTags, 2, 1, 0, "bare tone"},
      {"no titles at all: the disc's name", untitled, 2, 1, 0, "Plain"},
      {"kind 3 adds nothing", disc, 3, 1, 0, ""},
      {"no artist on the disc", disc, 4, 1, 0, ""},
      {"the library's artist", album, 4, 1, 0, "Ann"},
      {"the MP3's artist", mp3, 4, 1, 0, "Bob"},
      {"the library's genre", album, 5, 1, 0, "Rock"},
      {"the MP3's genre", mp3, 5, 1, 0, "Jazz"},
      {"hyphen", disc, 6, 1, 0, "-"},
      {"underbar", disc, 7, 1, 0, "_"},
      {"year, month, day", disc, 8, 1, 0, "20040301"},
      {"the year's last two digits", disc, 9, 1, 0, "040301"},
      {"month and day", disc, 10, 1, nineOhFive, "0302"},
      {"the hour", disc, 11, 1, 0, "12"},
      {"a morning hour keeps its zero", disc, 11, 1, nineOhFive, "09"},
      {"hour and minute", disc, 12, 1, nineOhFive, "0905"},
      {"the colon in the program's form, which the disk shows as ':'", disc, 13, 1, nineOhFive,
       "09/05"},
      {"the speed's two-digit integer part", disc, 14, 1.5f, 0, "01"},
      {"below one", disc, 14, 0.5f, 0, "00"},
      {"the speed's integer part", disc, 15, 1.5f, 0, "1"},
      {"below one, unpadded", disc, 15, 0.5f, 0, "0"},
      {"two decimals", disc, 16, 1.5f, 0, "50"},
      {"two decimals of a whole speed", disc, 16, 2.0f, 0, "00"},
      {"no point at all still gives two zeros", disc, 16, 0.0f, 0, "00"},
      {"one decimal", disc, 17, 1.5f, 0, "5"},
      {"as many as it has", disc, 17, 1.25f, 0, "25"},
      {"a whole speed", disc, 17, 2.0f, 0, "0"},
      {"beyond the kinds", disc, 18, 1, 0, ""},
  };

  std::vector<Step> steps = {
      WaitFor("the CDs", [] { return Rows() == 2; }),
      Do("add the MP3s",
         [&] {
           ASSERT_TRUE(AddSoundFile(tagged));
           ASSERT_TRUE(AddSoundFile(dotted));
           ASSERT_TRUE(AddSoundFile(bare));
           library = SpiTM_CreateITunesMusicInfo(1);
           ASSERT_NE(library, nullptr);
         }),
      Do("name every kind",
         [&] {
           for (const auto& c : cases) {
             WriteDefinition({c.kind}, kTevo_FileNameDefIntoOneFileName);
             sp_testing::UseVirtualClock(kTestDate + c.later);
             EXPECT_EQ(NameOf(c.source, kTevo_FileNameDefIntoOneFile, c.speed, library),
                       SpCDR_MJ(c.name))
                 << c.why << " (kind " << c.kind << ")";
           }
           sp_testing::UseVirtualClock(kTestDate);
         }),
      Do("definitions and limits",
         [&] {
           // The each-file definition is its own file; without files both are the default.
           std::remove(home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName + "/" +
                                  kTevo_FileNameDefIntoOneFileName)
                           .c_str());
           WriteDefinition({4, 6, 2}, kTevo_FileNameDefIntoEachFileName);
           EXPECT_EQ(NameOf(album, kTevo_FileNameDefIntoEachFile, 1, library), "Ann-Morning");
           EXPECT_EQ(NameOf(album, kTevo_FileNameDefIntoOneFile, 1.5f, library), "Morning_1_5");
           WriteDefinition({0, 3}, kTevo_FileNameDefIntoOneFileName);
           EXPECT_EQ(NameOf(disc, kTevo_FileNameDefIntoOneFile, 2, library), "")
               << "kinds 0 and 3 make no name";
           std::ofstream(home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName + "/" +
                                    kTevo_FileNameDefIntoOneFileName),
                         std::ios::binary)
               << "0100" + BE32(3) + BE32(4);
           EXPECT_EQ(NameOf(disc, kTevo_FileNameDefIntoOneFile, 2, library), "Sunrise_2_0")
               << "a damaged file is the default";

           // A name that reaches its size less two bytes takes no further parts.
           WriteDefinition({2, 7, 15, 7}, kTevo_FileNameDefIntoOneFileName);
           EXPECT_EQ(NameOf(album, kTevo_FileNameDefIntoOneFile, 3, library, 10), "Morning_");
           EXPECT_EQ(NameOf(album, kTevo_FileNameDefIntoOneFile, 3, library, 11), "Morning_3");
         }),
      Quit(),
  };
  Run(steps);
  delete library;
  EXPECT_FALSE(forcedEnd_);
}

TEST_F(FileNames, ALongTitleIsCutBetweenCharactersAndTheFallbackLeavesTwoBytes) {
  const std::string title = SpCDR_MJ("あいうえおかきくけこ");  // twenty bytes
  WriteTitles(MakeDisc("Kana", {{"1 A.aiff", 150}}), {"", title});
  MakeDisc("Barefoot", {{"1 .aiff", 225}});
  WriteDefinition({7, 2}, kTevo_FileNameDefIntoOneFileName);
  Run({
      WaitFor("the CDs", [] { return Rows() == 2; }),
      Do("name",
         [&] {
           // "_" then fifteen bytes of room: seven whole characters, never half of one.
           EXPECT_EQ(NameOf({"Kana", 1, false}, 2, 1, nullptr, 17), "_" + title.substr(0, 14));
           // The fallback name takes the size less the name's length less two bytes.
           EXPECT_EQ(NameOf({"Barefoot", 1, false}, 2, 1, nullptr, 11), "_Barefoot");
           EXPECT_EQ(NameOf({"Barefoot", 1, false}, 2, 1, nullptr, 10), "_Barefoo");
         }),
      Quit(),
  });
  EXPECT_FALSE(forcedEnd_);
}

// A saved file's name with its extension stays within 255 bytes, here and on disk, where a
// kanji takes three bytes for its two here: a base that fits is kept whole, a longer one is
// cut before the extension and never inside a two-byte character.
TEST(FileNameExtension, TheNameWithItsExtensionIsKeptUpTo255BytesAndCutPastThem) {
  const std::string kanji = SpCDR_MJ("曲");
  ASSERT_EQ(kanji.size(), 2u);
  const struct {
    std::string base;
    const char* extension;
    std::string want;
  } cases[] = {
      {std::string(250, 'a'), ".aif", std::string(250, 'a') + ".aif"},
      {std::string(251, 'a'), ".aif", std::string(251, 'a') + ".aif"},
      {std::string(252, 'a'), ".aif", std::string(251, 'a') + ".aif"},
      {std::string(400, 'a'), ".wav", std::string(251, 'a') + ".wav"},
      {std::string(248, 'a') + kanji, ".mov", std::string(248, 'a') + kanji + ".mov"},
      {std::string(249, 'a') + kanji, ".mov", std::string(249, 'a') + ".mov"},
      {std::string(250, 'a') + kanji, ".mov", std::string(250, 'a') + ".mov"},
      {Repeat(kanji, 120), ".aif", Repeat(kanji, 83) + ".aif"},
      {"", ".aif", SpCDR_MJ("名称未設定") + ".aif"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base.size());
    char name[1024] = "";
    std::snprintf(name, sizeof name, "%s", c.base.c_str());
    CDRMM_JoinNameAndExtension(name, SInt32(sizeof name), c.extension);
    EXPECT_EQ(std::string(name), c.want);
  }
}

// A name from tags may hold anything: every ':' becomes '/', every control character a space
// (a name with a line break is no name for a shell), and every leading '.' becomes '_'
// so that no name is hidden, "." or ".."; dots after the first other byte stay.
TEST(SafeFileName, ColonsControlCharactersAndEveryLeadingDotAreReplacedAndTheRestIsKept) {
  const std::string kanji = SpCDR_MJ("曲");
  const struct {
    std::string name, want;
  } cases[] = {
      {"", ""},
      {".", "_"},
      {"..", "__"},
      {"...mp3", "___mp3"},
      {".a.b.", "_a.b."},
      {"a..", "a.."},
      {"12:05:09", "12/05/09"},
      {":.x", "/.x"},
      {"." + kanji + ":", "_" + kanji + "/"},
      {"Line1\nLine2\ttab\r\x1f\x7f", "Line1 Line2 tab   "},
      {"\n." + kanji + "\t", " ." + kanji + " "},
  };
  for (const auto& c : cases) {
    std::vector<char> name(c.name.begin(), c.name.end());
    name.push_back(0);
    CDRMMgr_MakeNameSafeForFile(name.data());
    EXPECT_EQ(std::string(name.data()), c.want) << c.name;
  }
}

TEST_F(FileNames, MissingArgumentsAndTooSmallABufferGiveNoName) {
  ErrorLogCapture log;
  cSp_CDRProgramBaseObj program;
  cSp_CDRProgramItemObj* item = program.NewProgramItem(-1);
  char name[16] = "kept";
  EXPECT_EQ(CDRMMgr_CreateFileNameFromTargetProgramItem(2, nullptr, nullptr, item, nullptr, 1,
                                                        nullptr, name, sizeof name),
            0);
  EXPECT_EQ(CDRMMgr_CreateFileNameFromTargetProgramItem(2, nullptr, &program, item, nullptr, 1,
                                                        nullptr, name, 9),
            0);
  EXPECT_STREQ(name, "kept");
  EXPECT_TRUE(log.Has("CDRMMgr_CreateFileNameFromTargetProgramItem", 1));
  EXPECT_EQ(log.Count(), 2u);
}

}  // namespace
}  // namespace app_test
