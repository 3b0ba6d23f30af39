// Start-up through the program's main road: a fresh home and a home with stored window state,
// the two menu layouts, the settings kept in the Documents folder, and quitting, also while a
// save runs.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <filesystem>
#include <iterator>

#include "AppTestSupport.h"
#include "Folders.h"
#include "Gestalt.h"
#include "SaveRaces.h"
#include "SpCDREngineAlert.h"
#include "SpErrorInfoSystem.h"
#include "SpCDRomManager.h"
#include "SpOC_IconButtonControl.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunction.h"
#include "SpTesting.h"
#include "SpTitleBarControl.h"
#include "TestMenus.h"
#include "TestResources.h"
#include "TestResponder.h"
#include "TestWindows.h"

namespace app_test {
namespace {

constexpr UInt32 kGroup = SpFourCC("MMgr");
constexpr UInt32 kList = SpFourCC("MLst");

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The window's content: (left, top, width, height).
std::vector<short> Placement() {
  short left = 0, top = 0, width = 0, height = 0;
  M()->GetLeftTopPositOnGlobal(&left, &top);
  M()->GetSize(&width, &height);
  return {left, top, width, height};
}

std::string TitleText(short item) {
  char text[256] = "";
  M()->GetTitleBar()->GetItem(item)->TitleText(text, sizeof text);
  return text;
}

// What the settings file of a folder holds, or is to hold: absent keys are -1.
struct Stock {
  Point position = {-1, -1};
  Point size = {-1, -1};
  SInt32 nameOption = -1;
  SInt32 infoOption = -1;
};

void WriteStock(OSType folderType, const Stock& stock) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  ASSERT_TRUE(
      Sp_CreateInitFolderWithDirID(kOnSystemDisk, folderType, "Mirrelbox Prefs", vRefNum, dirID));
  cPrefStockMgr manager;
  cPrefStockFileObj* file = manager.CreateNewStockFileObj(
      SpFourCC("preF"), vRefNum, dirID, "MirrelboxPref", SpFourCC("Zqcd"), SpFourCC("InDt"));
  ASSERT_NE(file, nullptr);
  cPrefStockData* group = file->GetTargetStockDataItemInPrefTopDataList(kGroup, 1, 1);
  auto point = [&](UInt32 key, Point value) {
    if (value.h != -1)
      group->GetTargetStockDataItemInUnderDataListByIdType(key, 1)->SetupPointData(value, 1);
  };
  point(SpFourCC("WPos"), stock.position);
  point(SpFourCC("WSiz"), stock.size);
  if (stock.nameOption != -1 || stock.infoOption != -1) {
    cPrefStockData* list = group->GetTargetStockDataItemInUnderDataListByIdType(kList, 1);
    if (stock.nameOption != -1) {
      list->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("NmOp"), 1)
          ->SetupLongData(stock.nameOption, 1);
    }
    if (stock.infoOption != -1) {
      list->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("IfOp"), 1)
          ->SetupLongData(stock.infoOption, 1);
    }
  }
  ASSERT_EQ(file->SavePrefDataInFile(), noErr);
}

// What the settings file of the Preferences folder holds after a run.
Stock ReadStock() {
  Stock stock;
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Mirrelbox Prefs",
                                    vRefNum, dirID)) {
    return stock;
  }
  cPrefStockMgr manager;
  cPrefStockFileObj* file = manager.CreateNewStockFileObj(
      SpFourCC("preF"), vRefNum, dirID, "MirrelboxPref", SpFourCC("Zqcd"), SpFourCC("InDt"));
  if (file == nullptr || file->LoadPrefDataFromFile() != noErr) return stock;
  cPrefStockData* group = file->GetTargetStockDataItemInPrefTopDataList(kGroup, 1, 0);
  auto child = [](cPrefStockData* in, UInt32 key) {
    return in != nullptr ? in->GetTargetStockDataItemInUnderDataListByIdType(key, 0) : nullptr;
  };
  if (cPrefStockData* item = child(group, SpFourCC("WPos"))) item->GetPointData(stock.position);
  if (cPrefStockData* item = child(group, SpFourCC("WSiz"))) item->GetPointData(stock.size);
  cPrefStockData* list = child(group, kList);
  if (cPrefStockData* item = child(list, SpFourCC("NmOp"))) item->GetLongData(stock.nameOption);
  if (cPrefStockData* item = child(list, SpFourCC("IfOp"))) item->GetLongData(stock.infoOption);
  return stock;
}

class StartUp : public ProgramTest {};

TEST_F(StartUp, AFreshHomeOpensTheEmptyWindowAtItsPlaceWithNothingToSave) {
  const int result = Run({
      Do("look at the window",
         [&] {
           EXPECT_EQ(Placement(), (std::vector<short>{10, 55, 460, 400}));
           const auto states = sp_testing::WindowStates();
           ASSERT_FALSE(states.empty());
           EXPECT_EQ(states[0].title, SpCDR_MJ("メディアマネージャ"));
           EXPECT_TRUE(states[0].visible);
           EXPECT_EQ(Rows(), 0);
           EXPECT_EQ(M()->GetSaveButton()->GetHiliteFlag(), 1) << "save is dimmed";
           EXPECT_EQ(M()->GetAddButton()->GetHiliteFlag(), 0) << "add is active";
           for (int item : {3, 4, 5}) EXPECT_FALSE(FileItemEnabled(item)) << item;
           EXPECT_EQ(FileItemText(5), SpCDR_MJ("保存..."));
           // The column titles follow the options the window starts with.
           EXPECT_EQ(TitleText(2), SpCDR_MJ("タイトル"));
           EXPECT_EQ(TitleText(3), SpCDR_MJ("時間"));
           EXPECT_TRUE(Exists(home_.Path(".config/Mirrelbox Prefs")));
         }),
      Quit(),
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(forcedEnd_);
  // The Documents folder was only looked at.
  EXPECT_FALSE(Exists(home_.Path("Documents")));
  EXPECT_EQ(errors_.Count(), 0u);
}

// The screen is 1,024 x 768 with a 20-pixel menu bar; the window's least size is 440 x 300 and
// a stored place is kept within the screen inset by 10 across and 55 down.
TEST_F(StartUp, StoredWindowStateIsTakenWithinTheScreenAndTheWindowsLimits) {
  struct Case {
    const char* why;
    Stock stored;
    std::vector<short> placement;  // left, top, width, height
    const char* nameTitle;
    const char* infoTitle;
  } cases[] = {
      {"a place and size on the screen",
       {{100, 200}, {450, 600}},
       {200, 100, 600, 450},
       "タイトル",
       "時間"},
      // The window's greatest size is the screen's less 20 across and 110 down: the desktop
      // would hold a larger window to it.
      {"off the screen and larger than it",
       {{-500, -500}, {5000, 5000}},
       {10, 75, 1004, 638},
       "タイトル",
       "時間"},
      {"taller than the window may be, as on a larger screen",
       {{100, 50}, {700, 500}},
       {50, 75, 500, 638},
       "タイトル",
       "時間"},
      {"smaller than the window can be",
       {{300, 300}, {50, 60}},
       {300, 300, 440, 300},
       "タイトル",
       "時間"},
      {"the list options", {{-1, -1}, {-1, -1}, 0, 3}, {10, 55, 460, 400}, "名前", "サイズ"},
      // Damaged info options leave the column as it starts: only 0 to 3 name one.
      {"an info option one past the last", {{-1, -1}, {-1, -1}, -1, 4}, {10, 55, 460, 400},
       "タイトル", "時間"},
      {"an info option whose low byte names one", {{-1, -1}, {-1, -1}, -1, 256},
       {10, 55, 460, 400}, "タイトル", "時間"},
      {"a negative info option", {{-1, -1}, {-1, -1}, -1, -2}, {10, 55, 460, 400}, "タイトル",
       "時間"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ASSERT_NO_FATAL_FAILURE(WriteStock(kPreferencesFolderType, c.stored));
    Run({
        Do("look",
           [&] {
             EXPECT_EQ(Placement(), c.placement);
             EXPECT_EQ(TitleText(2), SpCDR_MJ(c.nameTitle));
             EXPECT_EQ(TitleText(3), SpCDR_MJ(c.infoTitle));
           }),
        Quit(),
    });
    EndRun();
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

// Settings found only in the Documents folder are read from there and kept in the Preferences
// folder from the next save on.
TEST_F(StartUp, SettingsOfTheDocumentsFolderMoveToThePreferencesFolder) {
  ASSERT_NO_FATAL_FAILURE(WriteStock(kDocumentsFolderType, Stock{{70, 30}, {480, 500}}));
  Run({
      Do("move the window",
         [] {
           EXPECT_EQ(Placement(), (std::vector<short>{30, 75, 500, 480}));
           M()->Move(40, 90, 0);
           M()->CatchMoveWindowCB();
         }),
      Quit(),
  });
  EndRun();
  const Stock stored = ReadStock();
  EXPECT_EQ(stored.position.h, 40);
  EXPECT_EQ(stored.position.v, 90);
  EXPECT_EQ(stored.size.h, 500) << "what came from the Documents folder stays";
}

// Settings that a save killed before its rename left only beside their name are what the next
// start takes (not the older ones of the Documents folder). A damaged settings file is kept
// under its damaged name, said once in the error log, and the window opens as on a fresh home.
TEST_F(StartUp, SettingsAKilledSaveLeftAreTakenBackAndDamagedOnesKeptAside) {
  ASSERT_NO_FATAL_FAILURE(WriteStock(kDocumentsFolderType, Stock{{70, 30}, {480, 500}}));
  ASSERT_NO_FATAL_FAILURE(WriteStock(kPreferencesFolderType, Stock{{100, 200}, {450, 600}}));
  const std::string file = home_.Path(".config/Mirrelbox Prefs/MirrelboxPref");
  const std::string side = home_.Path(".config/Mirrelbox Prefs/.MirrelboxPref.") +
                           std::to_string(test_support::EndedProcessId()) + "-1.saving";
  ASSERT_EQ(rename(file.c_str(), side.c_str()), 0);
  Run({
      Do("look",
         [] {
           EXPECT_EQ(Placement(), (std::vector<short>{200, 100, 600, 450}));
         }),
      Quit(),
  });
  EndRun();
  EXPECT_TRUE(Exists(file) && !Exists(side));
  EXPECT_EQ(errors_.Count(), 0u);

  const std::string damaged = "InDt\x00\x00\x00\x04\x00\x00";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << damaged;
  }
  Run({
      Do("look",
         [] {
           EXPECT_EQ(Placement(), (std::vector<short>{10, 55, 460, 400}));
         }),
      Quit(),
  });
  EXPECT_EQ(errors_.Count(), 1u);
  EXPECT_TRUE(errors_.Has("cPrefStockFileObj::LoadPrefDataFromFile"));
  std::ifstream in(file + " (damaged)", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
}

// The line the README promises reaches the error report itself (not only the tests' capture of
// the log): a damaged settings file kept aside is said there once.
TEST_F(StartUp, ADamagedSettingsFileKeptAsideIsALineOfTheErrorReport) {
  const std::string file = home_.Path(".config/Mirrelbox Prefs/MirrelboxPref");
  std::filesystem::create_directories(home_.Path(".config/Mirrelbox Prefs"));
  std::ofstream(file, std::ios::binary) << std::string("InDt\x00\x00\x00\x04\x00\x00", 10);
  SpERORSYS_RecordSinkProc sink = nullptr;
  URefCon refCon = 0;
  SpERORSYS_GetRecordSink(&sink, &refCon);
  SpERORSYS_SetRecordSink(nullptr, 0);
  Run({Quit()});
  SpERORSYS_SetRecordSink(sink, refCon);
  std::ifstream in(home_.Path(".config/Zanthe Folder/Error Report"), std::ios::binary);
  const std::string report{std::istreambuf_iterator<char>(in), {}};
  EXPECT_NE(report.find("cPrefStockFileObj::LoadPrefDataFromFile\t4\tFile Error !! kept as "
                        "\"MirrelboxPref (damaged)\"\t\r"),
            std::string::npos)
      << report;
  EXPECT_TRUE(Exists(file + " (damaged)"));
}

TEST_F(StartUp, TheClassicLayoutNeedsTheQuitItemOrEndsNamingTheStep) {
  sp_testing::SetGestalt(gestaltMenuMgrAttr, 0);
  Run({
      Do("look", [] { EXPECT_EQ(FileItemText(6), SpCDR_MJ("終了")); }),
      Quit(),
  });
  EndRun();

  // Menu 501 without its sixth item.
  sp_testing::SetGestalt(gestaltMenuMgrAttr, 0);
  std::vector<sp_testing::MenuResourceItem> items = {
      {SpCDR_MJ("閉じる")}, {"-"}, {SpCDR_MJ("取り出す")}, {"4"}, {"5"}};
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("MENU"), 501,
                                       sp_testing::MakeMenuResource(501, "F", items)),
            noErr);
  sp_testing::ResponderScope responder;
  sp_testing::Respond(sp_testing::Answer::Click(1));
  EXPECT_EQ(Run({}), 0);
  EXPECT_FALSE(forcedEnd_) << "the program ends by itself";
  ASSERT_EQ(sp_testing::ShownSoFar().size(), 1u);
  const std::string shown = sp_testing::ShownSoFar()[0].message;
  EXPECT_NE(shown.find(SpCDR_MJ("（Position = 30）")), std::string::npos) << shown;
  EXPECT_TRUE(errors_.Has("CDR_SetupMenu", 30));
}

// Closing the window while a save runs asks once; the window and the save stay when the person
// lets it go on, and the program ends when the save is stopped.
TEST_F(StartUp, ClosingTheWindowWhileSavingAsksOnceAndKeepsItWhenTheSaveGoesOn) {
  sp_testing::ResponderScope responder;
  sp_testing::Respond(sp_testing::Answer().ClickButtonUTF8("そのまま続ける"));
  sp_testing::Respond(sp_testing::Answer().ClickButtonUTF8("保存を中止する"));
  cSp_CDRProgramBaseObj* saving = nullptr;
  const int result = Run({
      Do("start a save and close the window",
         [&] {
           saving = SpCDR_CreateNewProgramBaseObject();
           M()->saveProgram = saving;
           M()->saveRunning = M()->saveCancelAsks = 1;
           Key('w', cmdKey);
         }),
      Do("the window stays while the save goes on",
         [&] {
           EXPECT_EQ(sp_testing::ShownSoFar().size(), 1u);
           EXPECT_TRUE(M()->IsOpen());
           EXPECT_EQ(saving->GetStopRequest(), 0);
           Key('w', cmdKey);
         }),
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(forcedEnd_) << "stopping the save ended the program";
  ASSERT_EQ(sp_testing::ShownSoFar().size(), 2u) << "one question for each close";
  EXPECT_EQ(sp_testing::ShownSoFar()[0].message, SpCDR_MJ("保存の中止"));
  EXPECT_EQ(saving->GetStopRequest(), 1);
}

}  // namespace
}  // namespace app_test
