// Sound files through the program's main road: added with the add button and the open dialog,
// removed with the Delete key, dropped from the file manager onto the list, and brought back
// at the next start by the saved list in either of its versions, found again where they
// went; the About box.
#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "AppTestSupport.h"
#include "ByteOrder.h"
#include "CDMediaListFile.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "CDObjectSource.h"
#include "CFURLFiles.h"
#include "CarbonEvents.h"
#include "Clock.h"
#include "Gestalt.h"
#include "KillSteps.h"
#include "PrivateMounts.h"
#include "SaveRaces.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpListClass.h"
#include "SpOC_IconButtonControl.h"
#include "SpStdFileFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpTesting.h"
#include "TestDrags.h"
#include "TestMenus.h"
#include "TestNavigation.h"
#include "TestQuickTime.h"
#include "TestResponder.h"
#include "TestWindows.h"

namespace app_test {
namespace {

const char kList[] = "FileMediaInfoV2.data";

using sp_testing::Answer;
using sp_testing::Respond;

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Where a file is, as the file functions name it.
struct Spot {
  short vRefNum = 0;
  SInt32 dirID = 0;
  std::string name;
  SInt32 fileID = 0;
  std::string fullPath;
};

Spot SpotOf(const std::string& path) {
  Spot spot;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
  FSRef ref;
  EXPECT_TRUE(url != nullptr && CFURLGetFSRef(url, &ref)) << path;
  if (url != nullptr) CFRelease(url);
  FSCatalogInfo info = {};
  FSSpec spec = {};
  EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoVolume | kFSCatInfoParentDirID, &info, nullptr,
                             &spec, nullptr),
            noErr);
  spot.vRefNum = info.volume;
  spot.dirID = SInt32(info.parentDirID);
  spot.name.assign(reinterpret_cast<const char*>(spec.name + 1), spec.name[0]);
  EXPECT_EQ(Sp_GetFileIdFromFileNameInDirId(spot.vRefNum, spot.dirID, spot.name.c_str(),
                                            spot.fileID),
            noErr);
  char full[256] = "";
  EXPECT_EQ(Sp_FullPathNameFromFileInfo(spot.vRefNum, spot.dirID, spot.name.c_str(), full), noErr);
  spot.fullPath = full;
  return spot;
}

sCDR_MediaListRecord RecordOf(const Spot& spot) {
  sCDR_MediaListRecord record;
  record.vRefNum = spot.vRefNum;
  record.dirID = spot.dirID;
  record.classicName = spot.name;
  record.longName = spot.name;
  record.fileID = spot.fileID;
  record.fullPath = spot.fullPath;
  return record;
}

std::string Be32(UInt32 value) {
  UInt8 b[4];
  sp::StoreBE32(b, value);
  return std::string(reinterpret_cast<char*>(b), 4);
}

// A version-200 list of the records, laid down by the program's writer.
std::string ListBytes(const std::vector<sCDR_MediaListRecord>& records, UInt32 version = 200) {
  std::string out = Be32(version) + Be32(UInt32(records.size()));
  for (const auto& record : records) {
    CDRMM_WriteMediaListRecordV200(
        [&](const void* bytes, SInt32 n) {
          out.append(static_cast<const char*>(bytes), std::size_t(n));
          return OSErr(noErr);
        },
        record);
  }
  return out;
}

// The global point in the row a quarter of its height from its top (upper) or bottom.
Point RowPoint(short row, bool upper) {
  Rect onWindow = {0, 0, 0, 0};
  M()->GetMediaList()->GetCellArea(Point{row, kCDR_NameColumn}, nullptr, nullptr, &onWindow);
  Rect content = {0, 0, 0, 0};
  M()->GetContentAreaOnGlobal(content);
  const short quarter = short((onWindow.bottom - onWindow.top) / 4);
  return Point{short(content.top + (upper ? onWindow.top + quarter : onWindow.bottom - quarter)),
               short(content.left + (onWindow.left + onWindow.right) / 2)};
}

// The global point near the top left of the list's drawing area, wherever its rows are.
Point ListTopPoint() {
  Rect list = {0, 0, 0, 0};
  M()->GetMediaList()->GetDrawingAreaOnWindow(&list);
  Rect content = {0, 0, 0, 0};
  M()->GetContentAreaOnGlobal(content);
  return Point{short(content.top + list.top + 10), short(content.left + list.left + 40)};
}

std::vector<std::string> Names() {
  return Column(kCDR_NameColumn);
}

// The texts of the sheets shown so far, in order.
std::vector<std::string> SheetTexts() {
  std::vector<std::string> texts;
  for (const auto& shown : sp_testing::ShownSoFar()) {
    if (shown.kind == sp_testing::ShownKind::kSheet) texts.push_back(shown.explanation);
  }
  return texts;
}

class FileFlow : public ProgramTest {
 protected:
  std::string PrefList(const char* name = "FileMediaInfoV2.data") const {
    return home_.Path(std::string(".config/Mirrelbox Prefs/") + name);
  }
  void WritePrefList(const std::string& bytes, const char* name = "FileMediaInfoV2.data") {
    mkdir(home_.Path(".config").c_str(), 0700);
    mkdir(home_.Path(".config/Mirrelbox Prefs").c_str(), 0700);
    WriteAll(PrefList(name), bytes);
  }
  // Lists the sound file, then this many more items of it made directly (quicker than adding
  // thousands of files).
  void ListWithCopies(const std::string& path, SInt32 copies) {
    ASSERT_TRUE(AddSoundFile(path));
    sSpMusicFileInfo info{};
    M()->GetMediaItemListHead()->GetProgram()->GetFirstProgramItem()->GetQTFileMedia()
        ->GetMusicInfo(info);
    const Spot spot = SpotOf(path);
    for (SInt32 i = 0; i < copies; ++i) {
      ASSERT_NE(M()->CreateNewMusicFileMediaItem(spot.vRefNum, spot.dirID, spot.name.c_str(),
                                                 nullptr, 0, 0, nullptr, -1, 0, &info, nullptr,
                                                 nullptr, nullptr),
                0);
    }
  }
  // What the saved list in the Preferences folder names, in order.
  // One field of each record of the saved list, the classic names unless told.
  std::vector<std::string> Listed(
      std::string sCDR_MediaListRecord::*field = &sCDR_MediaListRecord::classicName) const {
    const std::string bytes = ReadAll(PrefList());
    std::vector<std::string> names;
    if (bytes.size() < 4 || sp::LoadBE32(bytes.data()) != 200) return names;
    CDRMM_ReadMediaListRecordsV200(
        CDRMM_MediaListBytesReader(reinterpret_cast<const UInt8*>(bytes.data()) + 4,
                                   bytes.size() - 4),
        [&](const sCDR_MediaListRecord& record, SInt32, SInt32) {
          names.push_back(record.*field);
          return true;
        });
    return names;
  }
};

// ---- The saved list --------------------------------------------------------------------------

// Files added through the dialog are listed at once, come back at the next start from the
// version-200 list, and from a version-1 list in the Documents folder when that is all there
// is, which is then written again as version 200.
TEST_F(FileFlow, AddedFilesComeBackAfterARestartFromEitherVersion) {
  const std::string one = MakeSoundFile("one.aif", 1);
  const std::string two = MakeSoundFile("two.aif", 2);
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose({"one.aif", "two.aif"}, home_.Home()));
  Run({
      Do("click the add button", [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); }),
      WaitFor("the files", [] { return Rows() == 2; }),
      Do("look",
         [this] {
           EXPECT_EQ(Names(), (std::vector<std::string>{"one.aif", "two.aif"}));
           EXPECT_EQ(Listed(), (std::vector<std::string>{"one.aif", "two.aif"}));
           EXPECT_EQ(SelectedRows(), (std::vector<short>{1, 2}));
         }),
      Quit(),
  });
  ASSERT_EQ(sp_testing::ShownSoFar().size(), 1u) << "the dialog alone, no report";
  EndRun();
  EXPECT_EQ(Listed(&sCDR_MediaListRecord::fullPath),
            (std::vector<std::string>{SpotOf(one).fullPath, SpotOf(two).fullPath}))
      << "each record keeps its file's full path";

  Run({
      WaitFor("the files again", [] { return Rows() == 2; }),
      Do("look and keep them as the old list",
         [] {
           EXPECT_EQ(Names(), (std::vector<std::string>{"one.aif", "two.aif"}));
           EXPECT_TRUE(M()->GetMediaList()->IsEnableView()) << "the list shows its rows";
           EXPECT_FALSE(M()->GetProgressBarView()->IsEnableView()) << "progress hidden";
           EXPECT_EQ(M()->SaveSetupQTFileInfoVersion1(), 1);
         }),
      Quit(),
  });
  EndRun();
  ASSERT_EQ(unlink(PrefList().c_str()), 0);
  ASSERT_TRUE(Exists(home_.Path("Documents/Mirrelbox Prefs/FileMediaInfo.data")));

  Run({
      WaitFor("the files from the old list", [] { return Rows() == 2; }),
      Do("look", [] { EXPECT_EQ(Names(), (std::vector<std::string>{"one.aif", "two.aif"})); }),
      Quit(),
  });
  EXPECT_EQ(Listed(), (std::vector<std::string>{"one.aif", "two.aif"}))
      << "the old list is written again as version 200";
  EXPECT_EQ(errors_.Count(), 0u);
}

// A listed file is found where it was, by its file id when renamed, by its long name when its
// classic name no longer leads to it, and by its full path when its volume and folder numbers
// do not; a file found nowhere is left out without a word. A file found where it was under a
// stand-in shows its name as names are shown now, not as the list kept it.
TEST_F(FileFlow, ListedFilesAreFoundAgainByEachOfTheirFourWays) {
  const Spot here = SpotOf(MakeSoundFile("here.aif", 1));
  sCDR_MediaListRecord accented = RecordOf(SpotOf(MakeSoundFile("Caf\xC3\xA9.aif", 1)));
  accented.longName = "Caf\x85\x7E.aif";  // U+2778 where the letter was
  const Spot before = SpotOf(MakeSoundFile("before.aif", 1));
  ASSERT_EQ(rename(home_.Path("before.aif").c_str(), home_.Path("renamed.aif").c_str()), 0);
  const Spot byLong = SpotOf(MakeSoundFile("by long name.aif", 1));
  const Spot byPath = SpotOf(MakeSoundFile("by path.aif", 1));
  sCDR_MediaListRecord renamed = RecordOf(before);
  sCDR_MediaListRecord longName = RecordOf(byLong);
  longName.classicName = "gone.aif";
  longName.fileID = 0;
  sCDR_MediaListRecord path = RecordOf(byPath);
  path.vRefNum = -77;
  path.dirID = 99999;
  path.classicName = "x.aif";
  path.longName.clear();
  path.fileID = 0;
  sCDR_MediaListRecord missing = RecordOf(here);
  missing.classicName = missing.longName = "missing.aif";
  missing.fileID = 0;
  missing.fullPath += "-missing";
  WritePrefList(ListBytes({RecordOf(here), renamed, missing, longName, path, accented}));
  sp_testing::ResponderScope responder;  // nothing may be asked
  Run({
      WaitFor("the files", [] { return Rows() == 5; }),
      Do("look",
         [] {
           EXPECT_EQ(Names(),
                     (std::vector<std::string>{"here.aif", "renamed.aif", "by long name.aif",
                                               "by path.aif", "Cafe.aif"}));
         }),
      Quit(),
  });
  EXPECT_TRUE(sp_testing::ShownSoFar().empty());
  EXPECT_EQ(errors_.Count(), 0u);
}

// A broken list keeps what was read before the bad record and says at which step it stopped;
// an empty list or another version adds nothing and says nothing; a file the list names more
// than once, by whichever of its ways, is listed once.
TEST_F(FileFlow, BrokenListsKeepWhatWasReadAndTellTheStep) {
  const Spot one = SpotOf(MakeSoundFile("one.aif", 1));
  const Spot two = SpotOf(MakeSoundFile("two.aif", 1));
  sCDR_MediaListRecord byPathOfOne = RecordOf(one);
  byPathOfOne.vRefNum = -77;
  byPathOfOne.classicName = byPathOfOne.longName = "elsewhere.aif";
  byPathOfOne.fileID = 0;
  const std::string good = ListBytes({RecordOf(one), RecordOf(two)});
  std::string classic32 = good;
  // The second record's classic-name length, after the first record and its 6 bytes.
  const std::size_t second = 8 + (good.size() - 8) / 2;
  classic32.replace(second + 6, 4, Be32(32));
  struct Case {
    const char* why;
    std::string bytes;
    std::vector<std::string> names;
    const char* alertPart;  // null: no alert
  } cases[] = {
      {"a classic name of 32 bytes", classic32, {"one.aif"}, "200:15:5555"},
      {"count 0", Be32(200) + Be32(0), {}, nullptr},
      {"another version", ListBytes({RecordOf(one)}, 199), {}, nullptr},
      {"too many files", Be32(200) + Be32(10000), {}, nullptr},
      {"cut in the middle", good.substr(0, good.size() - 10), {"one.aif"}, "200:35:-39"},
      {"a file named twice, once by its path alone",
       ListBytes({RecordOf(one), RecordOf(two), byPathOfOne, RecordOf(one)}),
       {"one.aif", "two.aif"},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WritePrefList(c.bytes);
    {
      sp_testing::ResponderScope responder;
      const bool refused = std::string(c.why) == "too many files";
      if (c.alertPart != nullptr || refused) Respond(Answer::Return());
      Run({Do("look", [&c] { EXPECT_EQ(Names(), c.names); }), Quit()});
      const auto& shown = sp_testing::ShownSoFar();
      if (c.alertPart == nullptr && !refused) {
        EXPECT_TRUE(shown.empty());
      } else {
        ASSERT_EQ(shown.size(), 1u);
        const std::string expected =
            refused ? SpCDR_MJ("登録ファイルの一覧の件数が多すぎるため") : c.alertPart;
        EXPECT_NE(shown[0].message.find(expected), std::string::npos) << shown[0].message;
      }
    }
    EndRun();
  }
}

// A list of the most files the window lists is written whole and reads back whole: a file past
// it (no add takes one, so it is made directly) is left out of the list, rather than making a
// list whose count the reader refuses.
TEST_F(FileFlow, AListOnePastItsMostIsSavedCutToItsMostAndReadsBackWhole) {
  const std::string filler = MakeSoundFile("filler.aif", 1);
  Run({
      Do("list one file more than the most and save",
         [&] {
           ASSERT_NO_FATAL_FAILURE(ListWithCopies(filler, kCDR_MediaListMaxCount));
           ASSERT_EQ(M()->SaveSetupQTFileInfo(), 1);
           EXPECT_EQ(Listed().size(), std::size_t(kCDR_MediaListMaxCount));
         }),
      Quit(),
  });
}

// The list is replaced in one step: a temporary list left without a list beside it is read
// in its place and written under its own name; beside a list it is passed over.
TEST_F(FileFlow, ATemporaryListLeftBehindIsReadOnlyWhenTheListIsGone) {
  const Spot one = SpotOf(MakeSoundFile("one.aif", 1));
  const Spot two = SpotOf(MakeSoundFile("two.aif", 1));
  WritePrefList(ListBytes({RecordOf(one), RecordOf(two)}), "FileMediaInfoV2tmp.data");
  Run({WaitFor("the files", [] { return Rows() == 2; }), Quit()});
  EXPECT_EQ(Listed(), (std::vector<std::string>{"one.aif", "two.aif"}));
  EXPECT_FALSE(Exists(PrefList("FileMediaInfoV2tmp.data")));
  EndRun();

  WritePrefList("broken", "FileMediaInfoV2tmp.data");
  WritePrefList(ListBytes({RecordOf(two)}));
  Run({Do("look", [] { EXPECT_EQ(Names(), (std::vector<std::string>{"two.aif"})); }), Quit()});
  EXPECT_EQ(errors_.Count(), 0u);
}

// The names of a version-200 list file; false when it does not read whole.
bool ListNames(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  const std::string bytes = ReadAll(path);
  if (bytes.size() < 4 || sp::LoadBE32(bytes.data()) != 200) return false;
  return CDRMM_ReadMediaListRecordsV200(
             CDRMM_MediaListBytesReader(reinterpret_cast<const UInt8*>(bytes.data()) + 4,
                                        bytes.size() - 4),
             [&](const sCDR_MediaListRecord& record, SInt32, SInt32) {
               names.push_back(record.classicName);
               return true;
             })
             .step == 0;
}

// A list save killed just before any of its steps leaves under the name the old list or the
// whole new one, and the next start lists them (a first save's whole new list, left beside the
// name, is taken back), never nothing; the next save removes what the killed one left.
TEST_F(FileFlow, AListSaveKilledAtAnyStepLeavesTheOldOrTheNewListForTheNextStart) {
  const Spot one = SpotOf(MakeSoundFile("one.aif", 1));
  const std::string two = MakeSoundFile("two.aif", 1);
  const std::string folder = home_.Path(".config/Mirrelbox Prefs");
  const std::vector<std::string> before = {"one.aif"};
  const std::vector<std::string> after = {"one.aif", "two.aif"};
  const std::string oldList = ListBytes({RecordOf(one)});
  std::string newList;
  for (const bool hadList : {true, false}) {
    SCOPED_TRACE(hadList ? "a list saved before" : "the first save");
    WritePrefList(oldList);
    Run({
        WaitFor("the saved file", [] { return Rows() == 1; }),
        Do("add a file and save, killed at each step",
           [&] {
             ASSERT_TRUE(AddSoundFile(two));
             ASSERT_EQ(M()->SaveSetupQTFileInfo(), 1);
             newList = ReadAll(PrefList());
             auto prepare = [&] {
               for (const std::string& side : test_support::SideFilesOf(folder, kList)) {
                 unlink((folder + "/" + side).c_str());
               }
               unlink(PrefList().c_str());
               if (hadList) WriteAll(PrefList(), oldList);
             };
             auto job = [] { return M()->SaveSetupQTFileInfo() == 1 ? 0 : 1; };
             const int steps = test_support::RunKilledAtEachStep(
                 prepare, job, [&](const test_support::KilledRun& run) {
                   SCOPED_TRACE(run.step);
                   if (run.finished) {
                     EXPECT_EQ(run.status, 0);
                   }
                   bool wholeSide = false;
                   for (const std::string& side : test_support::SideFilesOf(folder, kList)) {
                     wholeSide |= ReadAll(folder + "/" + side) == newList;
                   }
                   std::vector<std::string> names;
                   const bool named = Exists(PrefList());
                   if (named) {
                     EXPECT_TRUE(ListNames(PrefList(), names));
                     EXPECT_TRUE(names == before || names == after);
                   } else {
                     EXPECT_FALSE(hadList) << "the name never stands empty";
                   }
                   // What the next start reads: the list, or a whole one beside the name.
                   M()->LoadSetupQTFileInfo();
                   EXPECT_EQ(Rows(), 2) << "nothing is listed twice";
                   if (!named && wholeSide) {
                     EXPECT_TRUE(ListNames(PrefList(), names) && names == after);
                   }
                   EXPECT_EQ(Exists(PrefList()), named || wholeSide);
                   EXPECT_EQ(M()->SaveSetupQTFileInfo(), 1);
                   EXPECT_EQ(test_support::SideFilesOf(folder, kList), std::vector<std::string>{})
                       << "the killed save's leftovers go with the next save";
                 });
             EXPECT_GE(steps, 2) << "at least the new list and its rename";
           }),
        Quit(),
    });
    EndRun();
  }
  EXPECT_EQ(errors_.Count(), 0u);

  // At the start, a whole list a killed save left beside a missing list takes its name.
  ASSERT_EQ(unlink(PrefList().c_str()), 0);
  const std::string left =
      folder + "/." + kList + "." + std::to_string(test_support::EndedProcessId()) + "-1.saving";
  WriteAll(left, newList);
  Run({WaitFor("the files of the list left", [] { return Rows() == 2; }), Quit()});
  EXPECT_EQ(ReadAll(PrefList()), newList);
  EXPECT_FALSE(Exists(left));
}

// Two copies of the program saving the list at once, each its own files: every save succeeds,
// the list always reads whole as one copy's, and nothing is left beside it.
TEST_F(FileFlow, TwoCopiesSavingTheListAtOnceBothSucceedAndItAlwaysReadsWhole) {
  const Spot one = SpotOf(MakeSoundFile("one.aif", 1));
  const Spot two = SpotOf(MakeSoundFile("two.aif", 1));
  const std::string three = MakeSoundFile("three.aif", 1);
  const std::vector<std::string> listOfTwo = {"one.aif", "two.aif"};
  const std::vector<std::string> listOfThree = {"one.aif", "two.aif", "three.aif"};
  WritePrefList(ListBytes({RecordOf(one), RecordOf(two)}));
  Run({
      WaitFor("the saved files", [] { return Rows() == 2; }),
      Do("save in two copies at once",
         [&] {
           const std::vector<int> failures = test_support::RunAtOnce(2, [&](int copy) {
             if (copy == 1 && !AddSoundFile(three)) return 100;
             int failed = 0;
             for (int i = 0; i < 60; ++i) {
               if (M()->SaveSetupQTFileInfo() != 1) ++failed;
               std::vector<std::string> names;
               if (!ListNames(PrefList(), names) || (names != listOfTwo && names != listOfThree)) {
                 ++failed;
               }
             }
             return failed;
           });
           EXPECT_EQ(failures, (std::vector<int>{0, 0}));
           std::vector<std::string> names;
           EXPECT_TRUE(ListNames(PrefList(), names));
           EXPECT_TRUE(names == listOfTwo || names == listOfThree);
           EXPECT_EQ(test_support::SideFilesOf(home_.Path(".config/Mirrelbox Prefs"), kList),
                     std::vector<std::string>{});
         }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

// A list whose last bytes find the disk full is a failed save: it is reported, the list saved
// before stays as it was and no temporary list is left to be read in its place later.
TEST_F(FileFlow, AListSaveThatFindsTheDiskFullKeepsTheSavedList) {
  const Spot one = SpotOf(MakeSoundFile("one.aif", 1));
  const Spot two = SpotOf(MakeSoundFile("two.aif", 1));
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "no mounts of our own here";
  const std::string config = home_.Path(".config");
  mkdir(config.c_str(), 0700);
  if (mount("tmpfs", config.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{config};
  const std::string saved = ListBytes({RecordOf(one), RecordOf(two)});
  WritePrefList(saved);
  const std::string filler = config + "/filler";
  Run({
      WaitFor("the files", [] { return Rows() == 2; }),
      Do("fill the disk and save the list",
         [&] {
           std::ofstream out(filler, std::ios::binary);
           const std::string block(4096, 'f');
           while (out.write(block.data(), std::streamsize(block.size())) && out.flush()) {
           }
           out.close();
           EXPECT_EQ(M()->SaveSetupQTFileInfo(), 0);
           EXPECT_TRUE(errors_.Has("cCDR_MediaManager::SaveSetupQTFileInfoVersion2", 31));
           EXPECT_EQ(ReadAll(PrefList()), saved);
           EXPECT_FALSE(Exists(PrefList("FileMediaInfoV2tmp.data")));
           unlink(filler.c_str());
           EXPECT_EQ(M()->SaveSetupQTFileInfo(), 1) << "once there is room again";
         }),
      Quit(),
  });
}

// ---- Adding ----------------------------------------------------------------------------------

// The dialog shows sound files not yet listed (every file not listed when the processor is too
// slow to check them); what could not be added is reported, and what was added is selected.
TEST_F(FileFlow, TheAddDialogShowsUnlistedFilesAndReportsWhatWasNotAdded) {
  MakeSoundFile("listed.aif", 1);
  MakeSoundFile("new.aif", 1);
  WriteAll(home_.Path("notes.txt"), "not sound");
  WriteAll(home_.Path("more.txt"), "not sound either");
  struct Case {
    const char* why;
    bool slowProcessor;
    std::vector<std::string> chosen;
    std::vector<std::string> shown;  // by the dialog, sound files and text files
    const char* report;              // UTF-8; null: no report
    std::vector<std::string> names;  // rows afterwards
  } cases[] = {
      {"a quick processor shows sound files only",
       false,
       {"new.aif"},
       {"new.aif"},
       nullptr,
       {"listed.aif", "new.aif"}},
      {"one file that is no sound",
       true,
       {"notes.txt"},
       {"more.txt", "new.aif", "notes.txt"},
       "音声ファイルとして認識できませんでした：notes.txt",
       {"listed.aif"}},
      {"three files, two no sound",
       true,
       {"more.txt", "new.aif", "notes.txt"},
       {"more.txt", "new.aif", "notes.txt"},
       "3ファイルが選択されましたが、2ファイルが音声ファイルとして認識できませんでした。",
       {"listed.aif", "new.aif"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    if (c.slowProcessor) sp_testing::SetGestalt(gestaltNativeCPUtype, 0x107);
    sp_testing::ResponderScope responder;
    std::vector<std::string> listedByDialog;
    Respond(sp_testing::NavLook([&](WindowRef) {
      for (const std::string& name : sp_testing::NavListedNames()) {
        if (name.find('.') != std::string::npos) listedByDialog.push_back(name);
      }
    }));
    Respond(sp_testing::NavChoose(c.chosen, home_.Home()));
    if (c.report != nullptr) Respond(Answer().ClickButtonUTF8("閉じる"));
    Run({
        Do("list one file", [this] { ASSERT_TRUE(AddSoundFile(home_.Path("listed.aif"))); }),
        Do("click the add button",
           [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); }),
        WaitFor("the dialog's end", [] { return sp_testing::PendingAnswerCount() == 0; }),
        Do("look", [&c] { EXPECT_EQ(Names(), c.names); }),
        Quit(),
    });
    EXPECT_EQ(listedByDialog, c.shown);
    std::vector<std::string> reports;
    for (const auto& shown : sp_testing::ShownSoFar()) {
      if (shown.kind == sp_testing::ShownKind::kSheet) {
        EXPECT_EQ(shown.message, SpCDR_MJ("報　告"));
        reports.push_back(shown.explanation);
      }
    }
    ASSERT_EQ(reports.size(), c.report != nullptr ? 1u : 0u);
    if (c.report != nullptr) {
      EXPECT_EQ(reports[0], SpCDR_MJ(c.report));
    }
    EndRun();
    unlink(PrefList().c_str());
  }
}

// A listed file whose name needs a stand-in (240 bytes, more than a call carries) is hidden by
// the add dialog as other listed files are, and a drop does not list it twice, also once the
// saved list has brought it back (which keeps the stand-in of a classic call's length).
TEST_F(FileFlow, AListedFileWithAStandInNameIsNeitherOfferedNorAddedAgain) {
  const std::string longName = std::string(236, 'a') + ".aif";
  MakeSoundFile(longName, 1);
  MakeSoundFile("short.aif", 1);
  auto addButton = [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); };
  {
    sp_testing::ResponderScope responder;
    Respond(sp_testing::NavChoose({longName}, home_.Home()));
    Run({
        Do("add the file of the long name", addButton),
        WaitFor("its row", [] { return Rows() == 1 && !M()->IsAddRunning(); }),
        Quit(),
    });
    EndRun();
  }
  std::vector<std::string> offered;
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavLook([&offered](WindowRef) { offered = sp_testing::NavListedNames(); }));
  Respond(sp_testing::NavCancel());
  Run({
      WaitFor("the file back from the saved list", [] { return Rows() == 1; }),
      Do("open the dialog", addButton),
      WaitFor("the dialog's end", [] { return sp_testing::PendingAnswerCount() == 0; }),
      Do("drop the file",
         [this, longName] {
           sp_testing::DropFiles({home_.Path(longName)}, {CellPoint(1, kCDR_NameColumn)});
           EXPECT_EQ(Rows(), 1);
         }),
      Quit(),
  });
  EXPECT_EQ(std::count(offered.begin(), offered.end(), longName), 0) << "hidden as it is listed";
  EXPECT_EQ(std::count(offered.begin(), offered.end(), "short.aif"), 1);
  EXPECT_EQ(Listed().size(), 1u);
}

// A sound file whose header claims a rate no sound has (5x10^8 Hz in 48 bytes) is added like a
// file that is no sound: reported as not recognised, never listed.
TEST_F(FileFlow, AFileClaimingARateNoSoundHasIsReportedAsNoSound) {
  ASSERT_TRUE(sp_testing::WriteTestWave(home_.Path("huge.wav"), 1, 500000000, 2));
  sp_testing::SetGestalt(gestaltNativeCPUtype, 0x107);  // the dialog shows every file
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose({"huge.wav"}, home_.Home()));
  Respond(Answer().ClickButtonUTF8("閉じる"));
  Run({
      Do("click the add button", [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); }),
      WaitFor("the dialog's end", [] { return sp_testing::PendingAnswerCount() == 0; }),
      Do("look", [] { EXPECT_EQ(Rows(), 0); }),
      Quit(),
  });
  EXPECT_EQ(SheetTexts(),
            std::vector<std::string>{SpCDR_MJ("音声ファイルとして認識できませんでした：huge.wav")});
}

// Files of one name in other folders are other files: the dialog offers and adds one beside a
// listed namesake without a word, and a drop of two namesakes lists both.
TEST_F(FileFlow, FilesOfOneNameInTwoFoldersAreBothListed) {
  std::vector<std::string> paths;
  for (const std::string folder : {"a", "b", "c", "d"}) {
    ASSERT_EQ(mkdir(home_.Path(folder).c_str(), 0700), 0);
    // The dialog gives a folder's files in the order it shows them.
    if (folder == "b") paths.push_back(MakeSoundFile("b/other.aif", 1));
    paths.push_back(MakeSoundFile(folder + "/song.aif", 1));
  }
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose({"song.aif"}, home_.Path("a")));
  Respond(sp_testing::NavChoose({"song.aif", "other.aif"}, home_.Path("b")));
  auto add = [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); };
  auto added = [] { return sp_testing::PendingAnswerCount() == 0 && !M()->IsAddRunning(); };
  Run({
      Do("add a's file", add),
      WaitFor("its row", [] { return Rows() == 1 && !M()->IsAddRunning(); }),
      Do("add b's files", add),
      WaitFor("their rows", added),
      Do("look, then drop c's and d's files together",
         [&] {
           EXPECT_EQ(Names(), (std::vector<std::string>{"song.aif", "other.aif", "song.aif"}));
           EXPECT_EQ(SelectedRows(), (std::vector<short>{2, 3}));
           sp_testing::DropFiles({paths[3], paths[4]}, {RowPoint(3, false)});
         }),
      WaitFor("the dropped files' rows", added),
      Quit(),
  });
  EXPECT_EQ(SheetTexts(), std::vector<std::string>{}) << "no file was taken for a listed one";
  std::vector<std::string> fullPaths;
  for (const std::string& path : paths) fullPaths.push_back(SpotOf(path).fullPath);
  EXPECT_EQ(Listed(&sCDR_MediaListRecord::fullPath), fullPaths);
  EXPECT_EQ(errors_.Count(), 0u);
}

// ---- Adding a slice at a time ---------------------------------------------------------------

// From a timer of its own, what every pass of the event loop finds between the slices of an
// add: the sound files listed and whether the add button is dimmed; `during` runs once at the
// first pass that finds some but not all of the files added (with `everyPass`, at each pass
// that finds the add under way with files added).
class PassWatch {
 public:
  explicit PassWatch(SInt32 before, std::function<void()> during = nullptr,
                     bool everyPass = false)
      : before_(before), during_(std::move(during)), everyPass_(everyPass) {
    upp_ = NewEventLoopTimerUPP(&PassWatch::Fire);
    EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, kEventDurationMicrosecond, upp_, this,
                                    &timer_),
              noErr);
  }
  ~PassWatch() {
    if (timer_ != nullptr) RemoveEventLoopTimer(timer_);
    DisposeEventLoopTimerUPP(upp_);
  }
  // The most files that went in between two passes.
  SInt32 LargestStep() const {
    SInt32 largest = 0;
    for (std::size_t i = 1; i < counts_.size(); ++i) {
      largest = std::max(largest, counts_[i] - counts_[i - 1]);
    }
    return largest;
  }
  // The passes that found the add under way with part of the files in, and whether the add
  // button was dimmed at each.
  int PartlyAdded() const { return partly_; }
  bool DimmedMeanwhile() const { return dimmedMeanwhile_; }

 private:
  static void Fire(EventLoopTimerRef, void* self) {
    auto* w = static_cast<PassWatch*>(self);
    if (M() == nullptr) return;
    const SInt32 count = M()->CountSoundFileMediaItems();
    w->counts_.push_back(count);
    if (!M()->IsAddRunning() || count <= w->before_) return;
    ++w->partly_;
    w->dimmedMeanwhile_ &= M()->GetAddButton()->GetHiliteFlag() == 1;
    if (w->during_ && w->everyPass_) {
      w->during_();
    } else if (w->during_) {
      auto during = std::move(w->during_);
      w->during_ = nullptr;
      during();
    }
  }
  SInt32 before_;
  std::function<void()> during_;
  bool everyPass_;
  std::vector<SInt32> counts_;
  int partly_ = 0;
  bool dimmedMeanwhile_ = true;
  EventLoopTimerUPP upp_ = nullptr;
  EventLoopTimerRef timer_ = nullptr;
};

// Forty chosen files go in over several passes, never more than a slice in one, behind the
// dimmed add button; they keep the order they were chosen in and are selected, and one report
// at the end counts what the whole choice did. Meanwhile the add button opens no second dialog
// and Delete removes nothing.
TEST_F(FileFlow, ChosenFilesGoInASliceAPassInTheirOrderWithOneReportAtTheEnd) {
  MakeSoundFile("listed.aif", 1);
  WriteAll(home_.Path("odd.txt"), "not sound");
  std::vector<std::string> chosen, added;
  for (int i = 0; i < 40; ++i) {
    added.push_back("c" + std::to_string(100 + i) + ".aif");
    MakeSoundFile(added.back(), 1);
    chosen.push_back(added.back());
    if (i == 19) chosen.push_back("odd.txt");
  }
  // Listed while the dialog shows: selected with the new files, not listed again.
  MakeSoundFile("late.aif", 1);
  chosen.push_back("late.aif");
  sp_testing::SetGestalt(gestaltNativeCPUtype, 0x107);  // the dialog shows every file
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavLook(
      [this](WindowRef) { EXPECT_TRUE(AddSoundFile(home_.Path("late.aif"))); }));
  Respond(sp_testing::NavChoose(chosen, home_.Home()));
  Respond(Answer().ClickButtonUTF8("閉じる"));
  std::unique_ptr<PassWatch> watch;
  Run({
      Do("list one file", [this] { ASSERT_TRUE(AddSoundFile(home_.Path("listed.aif"))); }),
      Do("click the add button",
         [&watch] {
           watch = std::make_unique<PassWatch>(1, [] {
             M()->CatchAddMusicFileButtonUpCompleatedCB();
             const SInt32 before = M()->CountSoundFileMediaItems();
             M()->CatchSubMusicFileButtonUpCompleatedCB();
             EXPECT_EQ(M()->CountSoundFileMediaItems(), before) << "nothing removed meanwhile";
           });
           sp_testing::PostClick(ButtonPoint(M()->GetAddButton()));
         }),
      WaitFor("every file and the report",
              [] { return sp_testing::PendingAnswerCount() == 0 && !M()->IsAddRunning(); }),
      Do("look",
         [&] {
           std::vector<std::string> names = {"listed.aif", "late.aif"};
           names.insert(names.end(), added.begin(), added.end());
           EXPECT_EQ(Names(), names);
           EXPECT_EQ(Listed(), names);
           // In the dialog's order: the new files' rows, then the listed file's.
           std::vector<short> selected;
           for (short row = 3; row <= 42; ++row) selected.push_back(row);
           selected.push_back(2);
           EXPECT_EQ(SelectedRows(), selected);
           EXPECT_LE(watch->LargestStep(), kCDR_AddFilesPerPass);
           EXPECT_GE(watch->PartlyAdded(), 40 / kCDR_AddFilesPerPass)
               << "the loop turned between the slices";
           EXPECT_TRUE(watch->DimmedMeanwhile());
           EXPECT_EQ(M()->GetAddButton()->GetHiliteFlag(), 0);
           EXPECT_FALSE(M()->GetProgressBarView()->IsEnableView());
           watch.reset();
         }),
      Quit(),
  });
  EXPECT_EQ(SheetTexts(),
            std::vector<std::string>{
                SpCDR_MJ("42ファイルが選択されましたが、「odd.txt」は音声ファイルとして認識できま"
                         "せんでした。「late.aif」は既に登録済みです。")});
  EXPECT_EQ(errors_.Count(), 0u);
}

// Files dropped at each pass while chosen files go in, to the end of the add (its last pass
// lays the list out anew), are refused: every chosen file goes in, in its order, and is
// written to the list, and the dropped one is not.
TEST_F(FileFlow, ADropWhileChosenFilesGoInKeepsEveryFileOfTheAdd) {
  std::vector<std::string> chosen;
  for (int i = 0; i < 40; ++i) {
    chosen.push_back("r" + std::to_string(100 + i) + ".aif");
    MakeSoundFile(chosen.back(), 1);
  }
  const std::string dropped = MakeSoundFile("dropped.aif", 1);
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose(chosen, home_.Home()));
  int drops = 0;
  std::unique_ptr<PassWatch> watch;
  Run({
      Do("click the add button",
         [&] {
           watch = std::make_unique<PassWatch>(
               0,
               [&] {
                 ++drops;
                 EXPECT_NE(sp_testing::DropFiles({dropped}, {ListTopPoint()}), noErr)
                     << "no drop while files go in";
               },
               true);
           sp_testing::PostClick(ButtonPoint(M()->GetAddButton()));
         }),
      WaitFor("every file", [] { return !M()->IsAddRunning(); }),
      Do("look",
         [&] {
           watch.reset();
           EXPECT_GE(drops, 40 / kCDR_AddFilesPerPass) << "a drop at each pass";
           EXPECT_EQ(Names(), chosen);
           EXPECT_EQ(Listed(), chosen);
         }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

// With room for 17 more files, 20 chosen ones fill the list to its limit over two slices and
// the report tells of the three left out.
TEST_F(FileFlow, ChosenFilesStopAtTheListsLimitAcrossSlices) {
  const std::string filler = MakeSoundFile("filler.aif", 1);
  std::vector<std::string> chosen;
  for (int i = 0; i < 20; ++i) {
    chosen.push_back("l" + std::to_string(100 + i) + ".aif");
    MakeSoundFile(chosen.back(), 1);
  }
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose(chosen, home_.Home()));
  Respond(Answer().ClickButtonUTF8("閉じる"));
  const SInt32 room = 17;
  Run({
      Do("fill the list up to 17 short of its limit",
         [&] {
           ASSERT_NO_FATAL_FAILURE(ListWithCopies(filler, kCDR_MediaListMaxCount - room - 1));
           ASSERT_EQ(M()->CountSoundFileMediaItems(), kCDR_MediaListMaxCount - room);
           sp_testing::PostClick(ButtonPoint(M()->GetAddButton()));
         }),
      WaitFor("the files and the report",
              [] { return sp_testing::PendingAnswerCount() == 0 && !M()->IsAddRunning(); }),
      Do("look",
         [&] {
           EXPECT_EQ(M()->CountSoundFileMediaItems(), kCDR_MediaListMaxCount);
           const std::vector<std::string> names = Names();
           ASSERT_GE(names.size(), std::size_t(room));
           EXPECT_EQ(std::vector<std::string>(names.end() - room, names.end()),
                     std::vector<std::string>(chosen.begin(), chosen.begin() + room));
         }),
      Quit(),
  });
  EXPECT_EQ(SheetTexts(), std::vector<std::string>{SpCDR_MJ(
                         "20ファイルが選択されましたが、3ファイルは登録できる数を超えるため登録"
                         "しませんでした。")});
}

// A save asked for while chosen files go in waits until every one is in: its set-up shows
// with all of them listed and selected. A CD that came meanwhile is listed when they are in,
// never between two slices, whose files go at ranks counted before.
TEST_F(FileFlow, ASaveAskedForWhileFilesGoInWaitsForThemAll) {
  std::vector<std::string> chosen;
  for (int i = 0; i < 40; ++i) {
    chosen.push_back("s" + std::to_string(100 + i) + ".aif");
    MakeSoundFile(chosen.back(), 1);
  }
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose(chosen, home_.Home()));
  SInt32 atSetUp = -1;
  std::size_t selectedAtSetUp = 0;
  short rowsAtSetUp = 0;
  bool addingAtSetUp = true;
  Respond(Answer()
              .Do(
                  [&](WindowRef) {
                    atSetUp = M()->CountSoundFileMediaItems();
                    selectedAtSetUp = SelectedRows().size();
                    rowsAtSetUp = Rows();
                    addingAtSetUp = M()->IsAddRunning();
                  },
                  "count the files")
              .ClickItem(kCDR_SaveSetupCancelItem));
  std::unique_ptr<PassWatch> watch;
  UInt32 until = 0;
  Run({
      Do("a CD comes while a save runs",
         [&] {
           M()->saveRunning = 1;
           MakeDisc("Disc", {{"1 A.aiff", 150}});
           until = TickCount() + 10 * 60;
         }),
      WaitFor("ten seconds of polls", [&] { return TickCount() > until; }),
      Do("the save ends untold; click the add button",
         [&] {
           M()->saveRunning = 0;
           watch = std::make_unique<PassWatch>(0, [] {
             EXPECT_EQ(M()->ModifyMediaData(), 0);
             EXPECT_EQ(M()->ApplyDeferredMediaChanges(), 0);
             EXPECT_EQ(Rows(), 0) << "no CD among the files";
             M()->SaveFileInMultiTypeFormat();
           });
           sp_testing::PostClick(ButtonPoint(M()->GetAddButton()));
         }),
      WaitFor("the set-up's end", [] { return sp_testing::PendingAnswerCount() == 0; }),
      Do("look",
         [&] {
           EXPECT_EQ(atSetUp, 40);
           EXPECT_EQ(selectedAtSetUp, 40u);
           EXPECT_EQ(rowsAtSetUp, 41) << "the CD and the files";
           EXPECT_FALSE(addingAtSetUp);
           EXPECT_EQ(watch->PartlyAdded(), 1) << "the save came while the files went in";
           watch.reset();
           const std::vector<std::string> names = Names();
           EXPECT_EQ(std::vector<std::string>(names.begin() + 1, names.end()), chosen);
         }),
      Quit(),
  });
  EXPECT_EQ(Listed(), chosen);
}

// ---- Removing ----------------------------------------------------------------------------------

// Delete removes the selected sound files and writes the list again; a selection of CD tracks
// only, and any selection while a save runs, stays as it is.
TEST_F(FileFlow, DeleteRemovesSelectedFilesButNeitherTracksNorFilesBeingSaved) {
  MakeDisc("Disc", {{"1 A.aiff", 150}, {"2 B.aiff", 150}});
  const Spot one = SpotOf(MakeSoundFile("one.aif", 1));
  const Spot two = SpotOf(MakeSoundFile("two.aif", 1));
  const Spot three = SpotOf(MakeSoundFile("three.aif", 1));
  WritePrefList(ListBytes({RecordOf(one), RecordOf(two), RecordOf(three)}));
  Run({
      WaitFor("the CD and the files", [] { return Rows() == 4; }),
      Do("open the CD", [] { Click(1, kCDR_OpenColumn); }),
      WaitFor("its tracks", [] { return Rows() == 6; }),
      Do("select a track and press Delete",
         [] {
           Click(2, kCDR_NameColumn);
           Key(8);
         }),
      Do("nothing went",
         [] {
           EXPECT_EQ(Rows(), 6);
           Click(5, kCDR_NameColumn);
           M()->saveRunning = 1;
           Key(127);
         }),
      Do("nothing goes while saving",
         [] {
           EXPECT_EQ(Rows(), 6);
           M()->saveRunning = 0;
           Click(4, kCDR_NameColumn, cmdKey);
           Key(127);
         }),
      WaitFor("two files gone", [] { return Rows() == 4; }),
      Do("look",
         [this] {
           EXPECT_EQ(Names()[3], "three.aif");
           EXPECT_EQ(Listed(), (std::vector<std::string>{"three.aif"}));
         }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

// Once the last row's file is removed, a file added next goes after the row that is now last,
// in the window and in the list.
TEST_F(FileFlow, AFileAddedAfterTheLastOneWasRemovedFollowsTheNewLastRow) {
  const Spot one = SpotOf(MakeSoundFile("one.aif", 1));
  const Spot two = SpotOf(MakeSoundFile("two.aif", 1));
  MakeSoundFile("three.aif", 1);
  WritePrefList(ListBytes({RecordOf(one), RecordOf(two)}));
  sp_testing::ResponderScope responder;
  Respond(sp_testing::NavChoose({"three.aif"}, home_.Home()));
  Run({
      WaitFor("the files", [] { return Rows() == 2; }),
      Do("remove the last one",
         [] {
           Click(2, kCDR_NameColumn);
           Key(127);
         }),
      WaitFor("one file", [] { return Rows() == 1; }),
      Do("add another",
         [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); }),
      WaitFor("two files", [] { return Rows() == 2; }),
      Do("look",
         [this] {
           EXPECT_EQ(Names(), (std::vector<std::string>{"one.aif", "three.aif"}));
           EXPECT_EQ(Listed(), (std::vector<std::string>{"one.aif", "three.aif"}));
         }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

// A file removed from the list and added again is read again: changed meanwhile, it is shown
// as it is now.
TEST_F(FileFlow, AFileRemovedAndAddedAgainIsReadAsItIsNow) {
  MakeSoundFile("one.aif", 1);
  sp_testing::ResponderScope responder;
  for (int i = 0; i < 2; ++i) Respond(sp_testing::NavChoose({"one.aif"}, home_.Home()));
  auto add = [] { sp_testing::PostClick(ButtonPoint(M()->GetAddButton())); };
  Run({
      Do("add", add),
      WaitFor("the file", [] { return Rows() == 1; }),
      Do("remove it",
         [] {
           EXPECT_EQ(Column(kCDR_InfoColumn)[0], "00:01");
           Key('a', cmdKey);
           Key(127);
         }),
      WaitFor("no file", [] { return Rows() == 0; }),
      Do("make it longer and add it again",
         [this, add] {
           MakeSoundFile("one.aif", 3);
           add();
         }),
      WaitFor("the file again", [] { return Rows() == 1; }),
      Do("look", [] { EXPECT_EQ(Column(kCDR_InfoColumn)[0], "00:03"); }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

// ---- Dropping ----------------------------------------------------------------------------------

// Files dropped in a row's upper half go before it, in its lower half after it; on the rows of
// an open CD after the CD; a listed file is passed over without a word; nothing is dropped
// while a save runs. The list is written after each drop.
TEST_F(FileFlow, DroppedFilesGoWhereTheLineShowsAndNeverAmongCDTracks) {
  MakeDisc("Disc", {{"1 A.aiff", 150}, {"2 B.aiff", 150}});
  for (const char* name : {"a.aif", "b.aif", "c.aif", "d.aif", "e.aif", "f.aif"}) {
    MakeSoundFile(name, 1);
  }
  const Spot a = SpotOf(home_.Path("a.aif"));
  const Spot b = SpotOf(home_.Path("b.aif"));
  WritePrefList(ListBytes({RecordOf(a), RecordOf(b)}));
  struct Case {
    const char* why;
    const char* file;
    short row;
    bool upper;
    bool saving;
    std::vector<std::string> files;  // the files' rows afterwards (after the CD's three)
  } cases[] = {
      {"upper half of b", "c.aif", 5, true, false, {"a.aif", "c.aif", "b.aif"}},
      {"lower half of a", "d.aif", 4, false, false, {"a.aif", "d.aif", "c.aif", "b.aif"}},
      {"a CD track", "e.aif", 2, false, false, {"e.aif", "a.aif", "d.aif", "c.aif", "b.aif"}},
      {"a listed file", "a.aif", 6, false, false, {"e.aif", "a.aif", "d.aif", "c.aif", "b.aif"}},
      {"while saving", "f.aif", 5, false, true, {"e.aif", "a.aif", "d.aif", "c.aif", "b.aif"}},
  };
  std::vector<Step> steps = {
      WaitFor("the CD and the files", [] { return Rows() == 3; }),
      Do("open the CD", [] { Click(1, kCDR_OpenColumn); }),
      WaitFor("its tracks", [] { return Rows() == 5; }),
  };
  for (const Case& c : cases) {
    steps.push_back(Do(std::string("drop: ") + c.why, [this, &c] {
      M()->saveRunning = c.saving ? 1 : 0;
      const Point at = RowPoint(c.row, c.upper);
      sp_testing::DropFiles({home_.Path(c.file)}, {at});
      M()->saveRunning = 0;
      std::vector<std::string> names = Names();
      names.erase(names.begin(), names.begin() + 3);
      EXPECT_EQ(names, c.files) << c.why;
      EXPECT_EQ(Listed(), c.files) << c.why;
    }));
  }
  steps.push_back(Quit());
  sp_testing::ResponderScope responder;  // nothing may be asked
  Run(steps);
  EXPECT_EQ(errors_.Count(), 0u);
}

// The 'hfs ' bytes of a dropped file as the file manager writes them: type, creator, flags,
// volume, folder and the length-prefixed name; `nameBytes` of the name are there.
std::string HFSFlavorOf(const std::string& path, std::size_t nameBytes) {
  const Spot spot = SpotOf(path);
  std::string bytes = "AIFFsox " + std::string(2, '\0');
  bytes += char(UInt16(spot.vRefNum) >> 8);
  bytes += char(spot.vRefNum);
  for (int shift = 24; shift >= 0; shift -= 8) bytes += char(UInt32(spot.dirID) >> shift);
  bytes += char(spot.name.size());
  bytes += spot.name.substr(0, nameBytes);
  return bytes;
}

// Items that carry the list's own 'medI' flavour before their file are no files of the file
// manager and are passed over; an 'hfs ' flavour without its name is refused. The rest of a
// drop is added all the same.
TEST_F(FileFlow, OnlyFileFlavoursWithTheirNameAreDroppedAndListItemsArePassedOver) {
  for (const char* name : {"a.aif", "b.aif", "c.aif", "d.aif"}) MakeSoundFile(name, 1);
  WritePrefList(ListBytes({RecordOf(SpotOf(home_.Path("a.aif")))}));
  const sp_testing::DragFlavor listItem = {SpFourCC("medI"), std::string(8, '\1')};
  const auto file = [this](const char* name, std::size_t nameBytes = 255) {
    return sp_testing::DragFlavor{kDragFlavorTypeHFS, HFSFlavorOf(home_.Path(name), nameBytes)};
  };
  struct Case {
    const char* why;
    std::vector<sp_testing::DragItem> items;
    std::vector<std::string> files;
  } cases[] = {
      {"the list's own item first", {{listItem, file("b.aif")}}, {"a.aif"}},
      {"a name cut off", {{file("b.aif", 0)}, {file("c.aif", 3)}}, {"a.aif"}},
      {"a file first, and the others", {{file("c.aif"), listItem}, {listItem, file("b.aif")},
                                         {file("d.aif")}},
       {"a.aif", "c.aif", "d.aif"}},
  };
  std::vector<Step> steps = {WaitFor("the file", [] { return Rows() == 1; })};
  for (const Case& c : cases) {
    steps.push_back(Do(std::string("drop: ") + c.why, [&c] {
      sp_testing::PerformDrag(c.items, {RowPoint(1, false)});
      EXPECT_EQ(Names(), c.files) << c.why;
    }));
  }
  steps.push_back(Quit());
  sp_testing::ResponderScope responder;  // nothing may be asked
  Run(steps);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a.aif", "c.aif", "d.aif"}));
  EXPECT_EQ(errors_.Count(), 0u);
}

// A large drop is added a few files a pass behind the small progress bar; meanwhile nothing
// else is dropped. At its end the list is written once with every file.
TEST_F(FileFlow, ALargeDropIsAddedOverSeveralPassesBehindTheProgressBar) {
  std::vector<std::string> paths, names;
  for (int i = 0; i < 20; ++i) {
    names.push_back("d" + std::to_string(100 + i) + ".aif");
    paths.push_back(MakeSoundFile(names.back(), 1));
  }
  const std::string late = MakeSoundFile("late.aif", 1);
  Run({
      Do("drop twenty files",
         [&] {
           const Point at = ListTopPoint();
           EXPECT_EQ(sp_testing::DropFiles(paths, {at}), noErr);
           EXPECT_EQ(M()->CountSoundFileMediaItems(), 0) << "left to the passes that follow";
           EXPECT_TRUE(M()->GetProgressBarView()->IsEnableView());
           EXPECT_NE(sp_testing::DropFiles({late}, {at}), noErr) << "no drop meanwhile";
         }),
      WaitFor("every file", [] { return !M()->IsAddRunning(); }),
      Do("look",
         [&] {
           EXPECT_EQ(Names(), names);
           EXPECT_EQ(Listed(), names);
           EXPECT_FALSE(M()->GetProgressBarView()->IsEnableView());
           EXPECT_EQ(SelectedRows().size(), names.size());
         }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

// A long add draws its count a twentieth of a second apart at most: a pass that comes sooner
// after the last drawing adds its files without drawing it again.
TEST_F(FileFlow, ALongAddDrawsItsCountATwentiethOfASecondApartAtMost) {
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i)
    paths.push_back(MakeSoundFile("n" + std::to_string(100 + i) + ".aif", 1));
  const auto count = [](int n) {
    return SpCDR_MJ("ファイル登録中...（") + std::to_string(n) + "/40" + SpCDR_MJ("）");
  };
  std::vector<std::string> seen;
  std::unique_ptr<PassWatch> watch;
  Run({
      Do("drop forty files",
         [&] {
           // The virtual clock stands still between the passes unless moved here: 1 us short of
           // the twentieth after the first slice, then that microsecond after the second.
           watch = std::make_unique<PassWatch>(
               0,
               [&] {
                 const std::string shown = M()->GetStatusTextView()->GetString();
                 if (seen.empty() || seen.back() != shown) {
                   seen.push_back(shown);
                   if (seen.size() == 1) sp_testing::AdvanceClockMicroseconds(49999);
                 }
                 if (M()->CountSoundFileMediaItems() == 2 * kCDR_AddFilesPerPass &&
                     seen.size() == 1)
                   sp_testing::AdvanceClockMicroseconds(1);
               },
               true);
           EXPECT_EQ(sp_testing::DropFiles(paths, {ListTopPoint()}), noErr);
         }),
      WaitFor("every file", [] { return !M()->IsAddRunning(); }),
      Do("look",
         [&] {
           watch.reset();
           EXPECT_EQ(seen, (std::vector<std::string>{count(kCDR_AddFilesPerPass), count(40)}));
         }),
      Quit(),
  });
}

// The window going, or a quit (which leaves the window to the process's end), in the middle of
// a large drop keeps the files listed so far.
class DropCutShort : public FileFlow, public ::testing::WithParamInterface<bool> {};

TEST_P(DropCutShort, KeepsTheFilesListedSoFar) {
  const bool quit = GetParam();
  std::vector<std::string> paths;
  for (int i = 0; i < 20; ++i) {
    paths.push_back(MakeSoundFile("q" + std::to_string(100 + i) + ".aif", 1));
  }
  Run({
      Do("drop twenty files, add one pass of them and end",
         [&] {
           EXPECT_EQ(sp_testing::DropFiles(paths, {ListTopPoint()}), noErr);
           M()->AddPendingFiles();
           const SInt32 added = M()->CountSoundFileMediaItems();
           EXPECT_GE(added, 1);
           EXPECT_LE(added, kCDR_AddFilesPerPass);
           if (quit) {
             EXPECT_EQ(M()->SendQuitApplication(), 1);
             EXPECT_FALSE(M()->IsAddRunning());
           } else {
             CDR_DisposeMediaManager(0);
           }
           EXPECT_EQ(Listed().size(), std::size_t(added));
           QuitApplicationEventLoop();
         }),
  });
}

INSTANTIATE_TEST_SUITE_P(FileFlow, DropCutShort, ::testing::Bool());

// The saved list of a drop larger than a pass's records is collected over passes and written
// once, whole and in order, after its last pass: no pass meanwhile finds part of it written.
// The window going meanwhile still writes it whole.
class LargeDropList : public FileFlow, public ::testing::WithParamInterface<bool> {};

TEST_P(LargeDropList, IsWrittenOnceWholeAfterItsPasses) {
  const bool windowGoes = GetParam();
  const int count = kCDR_ListRecordsPerPass + 44;
  std::vector<std::string> paths, names;
  for (int i = 0; i < count; ++i) {
    names.push_back("s" + std::to_string(1000 + i) + ".aif");
    paths.push_back(MakeSoundFile(names.back(), 1));
  }
  std::vector<std::size_t> seen;
  bool gone = false;
  std::unique_ptr<PassWatch> watch;
  Run({
      Do("drop the files",
         [&] {
           watch = std::make_unique<PassWatch>(
               0,
               [&] {
                 if (gone || M()->CountSoundFileMediaItems() < count) return;
                 seen.push_back(Listed().size());
                 if (windowGoes && seen.size() == 3) {
                   gone = true;
                   CDR_DisposeMediaManager(0);
                 }
               },
               true);
           EXPECT_EQ(sp_testing::DropFiles(paths, {ListTopPoint()}), noErr);
         }),
      WaitFor("every file", [&] { return gone || !M()->IsAddRunning(); }),
      Do("end",
         [&] {
           watch.reset();
           QuitApplicationEventLoop();
         }),
  });
  ASSERT_GE(seen.size(), 3u) << "passes between the last file and the list";
  EXPECT_EQ(*std::max_element(seen.begin(), seen.end()), 0u) << "no part written meanwhile";
  EXPECT_EQ(Listed(), names);
}

INSTANTIATE_TEST_SUITE_P(FileFlow, LargeDropList, ::testing::Bool());

// Ogg Vorbis and Opus files go in read at their first and last pages: their packets, which
// only a walk over the whole file counts, are counted neither by the add nor by the list saved
// after it, whose records hold 0 for them; a count made where it is asked for is kept in the
// next saved list. (The counts themselves are held to ffprobe's with the sound lengths.)
TEST_F(FileFlow, OggFilesGoInUncountedAndTheirSavedRecordsHoldACountOnceMade) {
  if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
  std::vector<std::string> paths;
  for (int i = 0; i < kCDR_AddFilesPerPass + 2; ++i) {
    const bool ogg = i % 2 == 0;
    paths.push_back(home_.Path("t" + std::to_string(100 + i) + (ogg ? ".ogg" : ".opus")));
    if (i < 2) {
      ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=60",
                                         "-c:a", ogg ? "libvorbis" : "libopus", paths.back()},
                                        paths.back()));
    } else {
      WriteAll(paths.back(), ReadAll(paths[std::size_t(i % 2)]));
    }
  }
  const UInt64 before = sp_testing::CountedSoundLengths().packetsCounted;
  // The saved list's sample counts, by file name.
  const auto savedCounts = [this] {
    std::map<std::string, UInt32> counts;
    const std::string bytes = ReadAll(PrefList());
    if (bytes.size() < 4) return counts;
    CDRMM_ReadMediaListRecordsV200(
        CDRMM_MediaListBytesReader(reinterpret_cast<const UInt8*>(bytes.data()) + 4,
                                   bytes.size() - 4),
        [&](const sCDR_MediaListRecord& record, SInt32, SInt32) {
          sSpMusicFileInfo info{};
          EXPECT_TRUE(SpCDR_ReadMusicFileInfoBytes(record.musicInfo, kSpMusicFileInfoSize, info));
          counts[record.classicName] = info.sampleCount;
          return true;
        });
    return counts;
  };
  std::map<std::string, UInt32> afterAdd, afterCount, expected;
  std::string counted;
  Run({
      Do("drop the files",
         [&] { EXPECT_EQ(sp_testing::DropFiles(paths, {ListTopPoint()}), noErr); }),
      WaitFor("every file", [] { return !M()->IsAddRunning(); }),
      Do("count one file",
         [&] {
           EXPECT_EQ(sp_testing::CountedSoundLengths().packetsCounted, before);
           afterAdd = savedCounts();
           for (const auto& named : afterAdd) expected[named.first] = 0;
           cSp_QTFileDataObj* file =
               M()->GetMediaItemListHead()->GetProgram()->GetFirstProgramItem()->GetQTFileMedia();
           EXPECT_FALSE(file->IsSampleCountKnown());
           EXPECT_TRUE(file->CountSamples());
           EXPECT_TRUE(file->CountSamples()) << "kept: not walked again";
           EXPECT_EQ(sp_testing::CountedSoundLengths().packetsCounted, before + 1);
           counted = file->GetFileName();
           expected[counted] = file->GetSampleCount();
           ASSERT_EQ(M()->SaveSetupQTFileInfo(), 1);
           afterCount = savedCounts();
           QuitApplicationEventLoop();
         }),
  });
  EXPECT_EQ(afterAdd.size(), paths.size());
  for (const auto& named : afterAdd) EXPECT_EQ(named.second, 0u) << named.first;
  EXPECT_EQ(afterCount, expected);
  EXPECT_GT(expected[counted], 0u) << counted;
}

// Files removed from a list longer than a pass's records leave the saved list as it was for the
// pass of the removal (collecting thousands of records held the window); it is then written a
// part a pass into a side file that takes the list's name whole at the end. The window going
// or the program quitting meanwhile still saves the list, and no side file is left.
enum class Meanwhile { kNothing, kWindowGoes, kQuit };
class LongListRemoval : public FileFlow, public ::testing::WithParamInterface<Meanwhile> {
 protected:
  bool SideFileThere() const {
    DIR* dir = opendir(home_.Path(".config/Mirrelbox Prefs").c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* d = readdir(dir)) {
      const std::string name = d->d_name;
      if (name.rfind(".FileMediaInfoV2.data.", 0) == 0) found = true;
    }
    closedir(dir);
    return found;
  }
};

TEST_P(LongListRemoval, IsWrittenOverPassesAndTakesTheNameWhole) {
  const Meanwhile meanwhile = GetParam();
  const int count = kCDR_ListRecordsWrittenPerPass + 4;
  std::vector<sCDR_MediaListRecord> records;
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back("r" + std::to_string(10000 + i) + ".aif");
    records.push_back(RecordOf(SpotOf(MakeSoundFile(names.back(), 1))));
  }
  WritePrefList(ListBytes(records));
  int sidePasses = 0;
  bool gone = false;
  std::unique_ptr<PassWatch> watch;
  Run({
      WaitFor("the files", [count] { return Rows() == count; }),
      Do("select the first two files",
         [] {
           Click(1, kCDR_NameColumn);
           Click(2, kCDR_NameColumn, shiftKey);
         }),
      WaitFor("both selected",
              [] {
                const cCDR_SelectionMediaItem* first = M()->GetSelectionListHead();
                return first != nullptr && first->GetNextObjectPtr() != nullptr;
              }),
      Do("remove them",
         [&] {
           M()->CatchSubMusicFileButtonUpCompleatedCB();
           EXPECT_EQ(Rows(), count - 2);
           EXPECT_EQ(Listed().size(), std::size_t(count)) << "not written in the removal's pass";
           EXPECT_TRUE(M()->IsAddRunning()) << "the window is busy until it is written";
           watch = std::make_unique<PassWatch>(
               0,
               [&] {
                 if (gone || !SideFileThere()) return;
                 ++sidePasses;
                 EXPECT_EQ(Listed().size(), std::size_t(count)) << "the old list meanwhile";
                 if (meanwhile == Meanwhile::kWindowGoes) {
                   gone = true;
                   CDR_DisposeMediaManager(0);
                 } else if (meanwhile == Meanwhile::kQuit) {
                   // The program's objects stay to the process's end: the quit writes it.
                   gone = true;
                   EXPECT_EQ(M()->SendQuitApplication(), 1);
                   EXPECT_EQ(Listed().size(), std::size_t(count - 2)) << "written at the quit";
                 }
               },
               true);
         }),
      WaitFor("the list written", [&] { return gone || !M()->IsAddRunning(); }),
      Do("end",
         [&] {
           watch.reset();
           QuitApplicationEventLoop();
         }),
  });
  EXPECT_GE(sidePasses, 1) << "a part written in one pass and the rest in another";
  EXPECT_FALSE(SideFileThere());
  EXPECT_EQ(Listed(), std::vector<std::string>(names.begin() + 2, names.end()));
}

INSTANTIATE_TEST_SUITE_P(FileFlow, LongListRemoval,
                         ::testing::Values(Meanwhile::kNothing, Meanwhile::kWindowGoes,
                                           Meanwhile::kQuit));

// A CD that comes while a long list is saved over passes waits, as every change of the items
// does while the window is busy, and is listed once the list is saved; the saved list holds
// the files as they are.
TEST_F(FileFlow, ACDThatComesWhileTheListIsSavedOverPassesIsListedWhenItIsSaved) {
  const int count = kCDR_ListRecordsPerPass + 44;
  std::vector<sCDR_MediaListRecord> records;
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back("c" + std::to_string(1000 + i) + ".aif");
    records.push_back(RecordOf(SpotOf(MakeSoundFile(names.back(), 1))));
  }
  WritePrefList(ListBytes(records));
  // A first CD shows that the CDs are being looked for.
  MakeDisc("First", {{"1 A.aiff", 150}});
  Run({
      WaitFor("the CD and the files", [count] { return Rows() == count + 1; }),
      Do("select the first file", [] { Click(2, kCDR_NameColumn); }),
      WaitFor("it selected", [] { return M()->GetSelectionListHead() != nullptr; }),
      Do("remove it; a second CD comes while the list is saved",
         [this, count] {
           M()->CatchSubMusicFileButtonUpCompleatedCB();
           ASSERT_TRUE(M()->IsAddRunning()) << "saved over passes";
           MakeDisc("Second", {{"1 B.aiff", 150}});
           // Found as the CD poll finds it.
           ASSERT_TRUE(SpCDR_GetMediaMgrPtr(1)->CheckCDRom());
           CDR_ChangeCDSetupProc(0);
           EXPECT_EQ(Rows(), count) << "the CD waits for the list";
         }),
      WaitFor("the list saved", [] { return !M()->IsAddRunning(); }),
      Do("look",
         [&] {
           EXPECT_EQ(Rows(), count + 1) << "two CDs and the files left";
           EXPECT_EQ(Listed(), std::vector<std::string>(names.begin() + 1, names.end()));
         }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 0u);
}

// Held below the list after being over it, a drag scrolls the list one row every 0.4 seconds
// until its end; back over the list it stops.
TEST_F(FileFlow, ADragHeldBelowTheListScrollsItARowAtATimeToItsEnd) {
  std::vector<sCDR_MediaListRecord> records;
  for (int i = 0; i < 30; ++i) {
    records.push_back(RecordOf(SpotOf(MakeSoundFile("f" + std::to_string(100 + i) + ".aif", 1))));
  }
  WritePrefList(ListBytes(records));
  short maxV = 0, startV = 0;
  UInt32 started = 0;
  std::vector<short> seen;
  Run({
      WaitFor("the files", [] { return Rows() == 30; }),
      Do("drag over the list and below it",
         [&] {
           Rect list = {0, 0, 0, 0};
           M()->GetMediaList()->GetDrawingAreaOnWindow(&list);
           short h = 0;
           M()->GetMediaList()->GetViewMaxScrollValue(&h, &maxV);
           M()->GetMediaList()->GetScrollValue(h, startV);
           M()->CatchDragCursorInCB(nullptr, Point{short(list.top + 5), short(list.left + 20)});
           M()->CatchDragCursorMoveCB(nullptr, Point{short(list.bottom + 5), short(list.left + 20)});
           started = TickCount();
           EXPECT_EQ(M()->autoScrollRunning, 1);
         }),
      WaitFor("the end of the list",
              [&] {
                short h = 0, v = 0;
                M()->GetMediaList()->GetScrollValue(h, v);
                if (seen.empty() || seen.back() != v) seen.push_back(v);
                return M()->autoScrollRunning == 0;
              }),
      Do("look",
         [&] {
           short h = 0, v = 0;
           M()->GetMediaList()->GetScrollValue(h, v);
           EXPECT_EQ(v, maxV);
           ASSERT_GT(seen.size(), 2u);
           const short step = short(seen[1] - seen[0]);
           EXPECT_GT(step, 0);
           // One row a step, the steps 0.4 seconds apart (24 ticks).
           const UInt32 steps = UInt32(seen.size() - 1);
           EXPECT_GE(TickCount() - started, (steps - 1) * 24);
           EXPECT_LE(TickCount() - started, (steps + 1) * 24);
           M()->CatchDragCursorOutCB(nullptr, Point{0, 0});
         }),
      Quit(),
  });
  EXPECT_EQ(startV, 0);
}

// A CD that comes while a save runs is listed when the save ends, not among the items the
// save walks.
TEST_F(FileFlow, ACDThatComesWhileSavingIsListedWhenTheSaveEnds) {
  UInt32 until = 0;
  Run({
      Do("a save runs and a CD comes",
         [&] {
           M()->saveRunning = 1;
           MakeDisc("Disc", {{"1 A.aiff", 150}});
           until = TickCount() + 10 * 60;
         }),
      WaitFor("ten seconds of polls", [&] { return TickCount() > until; }),
      Do("the save ends",
         [] {
           EXPECT_EQ(Rows(), 0) << "nothing changed while saving";
           M()->CatchSaveEndProcCB(nullptr, 0);
           EXPECT_EQ(Rows(), 1) << "taken in as the save ended";
           EXPECT_EQ(M()->ApplyDeferredMediaChanges(), 0) << "taken in once";
         }),
      Quit(),
  });
}

// ---- The About box ---------------------------------------------------------------------------

TEST_F(FileFlow, TheAboutBoxShowsUntilAClickOrAKey) {
  sp_testing::ResponderScope responder;
  Respond(Answer::Click(1));
  Respond(Answer().PressKey('x', 0));
  Run({
      Do("choose About twice",
         [] {
           EXPECT_TRUE(sp_testing::ChooseMenuItem(kCDR_AppleMenuID, 1).chosen);
           EXPECT_TRUE(sp_testing::ChooseMenuItem(kCDR_AppleMenuID, 1).chosen);
         }),
      Quit(),
  });
  const auto& shown = sp_testing::ShownSoFar();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].message, SpCDR_MJ("メディアマネージャ"));
  EXPECT_FALSE(shown[1].again) << "the click ended the first box";
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST(AboutBox, TheVersionLineNamesTheStage) {
  const struct {
    sNumVersion version;
    const char* text;
  } cases[] = {
      {{1, 2, 3, 0x60}, "Version 1.2.3 Beta"},   {{1, 0, 0, 0x20}, "Version 1.0.0 Prealpha"},
      {{2, 1, 0, 0x40}, "Version 2.1.0 Alpha"},  {{3, 0, 9, 0x80}, "Version 3.0.9 Release"},
      {{0, 9, 1, 0x10}, "Version 0.9.1"},
  };
  for (const auto& c : cases) EXPECT_EQ(CDR_AboutVersionText(c.version), c.text);
}

}  // namespace
}  // namespace app_test
