// The file-dialog object with the real dialogs, answered by the test API's responder: opening
// with a filter like the media window's over a folder on disk, saving (as a sheet, with the
// name's room and replacing), choosing a folder, where each dialog opens, the other windows'
// updates while one is up, and custom controls.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "MacWindows.h"
#include "QDRegions.h"
#include "SpNavigationMgrObject.h"
#include "SpStdFileFunction.h"
#include "TestClock.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "TestNavigation.h"
#include "TestResources.h"
#include "TestResponder.h"
#include "TestWindows.h"

namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using Strings = std::vector<std::string>;

constexpr OSType kCreator = 0x54564F44;  // 'TVOD'
constexpr OSType kAIFF = 0x41494646;     // 'AIFF'

// A filter as the media window's: folders are shown, files it holds or that are no sound are
// hidden, and each verdict is remembered per folder so that the costly test runs once.
struct MediaFilter {
  std::set<std::string> held;
  int costlyTests = 0;
};

unsigned char MediaLikeFilter(AEDesc* item, void* info, short filterMode, unsigned long refcon) {
  MediaFilter* filter = reinterpret_cast<MediaFilter*>(refcon);
  if (filterMode != kNavFilteringBrowserList) return 0;
  if (static_cast<NavFileOrFolderInfo*>(info)->isFolder) return 1;
  FSRef ref;
  FSSpec spec;
  if (item->descriptorType != typeFSRef || AEGetDescData(item, &ref, sizeof ref) != noErr ||
      FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr) {
    return 0;
  }
  const std::string name(reinterpret_cast<const char*>(spec.name + 1), spec.name[0]);
  cFileFilterInfoTargetFolder* folder = SpNav_GetFilterInfoFolderObject(spec.vRefNum, spec.parID);
  unsigned char show = 0;
  if (folder != nullptr && folder->GetTargetFileInfo(name.c_str(), show)) return show;
  ++filter->costlyTests;
  show = filter->held.count(name) == 0 && name.size() > 5 &&
         name.compare(name.size() - 5, 5, ".aiff") == 0;
  if (folder != nullptr) folder->SetTargetFileInfo(name.c_str(), show);
  return show;
}

std::string PathOf(const FSRef& ref) {
  FSSpec spec;
  FSRef parent;
  if (FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, &parent) != noErr) return "?";
  char path[1024] = {};
  Sp_FullPathNameFromFileInfo(
      spec.vRefNum, spec.parID,
      std::string(reinterpret_cast<const char*>(spec.name + 1), spec.name[0]).c_str(), path);
  return path;
}

class NavDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetDialogs();
    sp_testing::ResetNavigation();
    SpNav_InitializeFileFilterTargetInfo();
    responder_ = std::make_unique<sp_testing::ResponderScope>();
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kMusicDocumentsFolderType, kCreateFolder, &volume_,
                                &musicID_));
    music_ = home_.Path("Music");
    Touch("a.aiff");
    Touch("b.txt");
    ASSERT_EQ(0, mkdir((music_ + "/sub").c_str(), 0700));
    Touch("sub/c.aiff");
    ASSERT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(volume_, musicID_, "sub", subID_));
  }
  void TearDown() override {
    responder_.reset();
    SpNav_InitializeFileFilterTargetInfo();
    sp_testing::ResetDialogs();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::UseRealClock();
  }
  void Touch(const std::string& relative) { std::ofstream(music_ + "/" + relative) << "x"; }
  std::string Hfs(const std::string& relative) {
    char path[1024] = {};
    Sp_FullPathNameFromFileInfo(volume_, musicID_, relative.c_str(), path);
    return path;
  }
  // The items of a chosen-file list: name, directory, FSRef as a path, folder mark.
  static Strings Items(cNavMgrFileList& list) {
    Strings out;
    list.ResetSequentialReference();
    while (cNavMgrFileListItem* item = list.GetFileItemPtrBySequential(1)) {
      short volume = 0;
      SInt32 directory = 0;
      char name[256];
      item->GetFileInfo(volume, directory, name, sizeof name, nullptr);
      FSRef ref;
      item->GetFileInfoByFSRef(ref);
      out.push_back(std::string(name) + "@" + std::to_string(directory) + " " + PathOf(ref));
    }
    return out;
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  std::unique_ptr<sp_testing::ResponderScope> responder_;
  short volume_ = 0;
  SInt32 musicID_ = 0, subID_ = 0;
  std::string music_;
};

TEST_F(NavDialog, OpenShowsWhatTheFilterLetsThroughRemembersVerdictsAndAppendsTheChoice) {
  MediaFilter filter;
  filter.held = {"held.aiff"};
  Touch("held.aiff");
  cNavMgrObject nav(kCreator);
  nav.allowMultipleFilesFlag = 1;
  nav.SetupDefaultLocation(volume_, musicID_, "");
  nav.SetupFilterProcedureProcPtr(MediaLikeFilter, reinterpret_cast<unsigned long>(&filter));
  cNavMgrFileList list;
  list.SetupFileItem(volume_, musicID_, "earlier.aiff");
  Strings firstListing;
  Respond(sp_testing::NavLook([&](WindowRef) { firstListing = sp_testing::NavListedNames(); }));
  Respond(sp_testing::NavGoTo(music_ + "/sub"));
  Respond(sp_testing::NavChoose({"a.aiff"}, music_));
  EXPECT_EQ(nav.NavigatorGetOpenFileForX(&list), 1);
  EXPECT_EQ(firstListing, (Strings{"sub", "a.aiff"}));
  EXPECT_EQ(filter.costlyTests, 4) << "a.aiff, b.txt, held.aiff and sub's c.aiff, each once";
  EXPECT_EQ(Items(list), (Strings{"earlier.aiff@" + std::to_string(musicID_) + " ?",
                                  "a.aiff@" + std::to_string(musicID_) + " " + Hfs("a.aiff")}));
}

TEST_F(NavDialog, OpenWithoutTypesOffersEveryItemToTheFilterAndCancelAppendsNothing) {
  MediaFilter filter;
  cNavMgrObject nav(kCreator);
  nav.SetupDefaultLocation(volume_, musicID_, "");
  nav.SetupFilterProcedureProcPtr(MediaLikeFilter, reinterpret_cast<unsigned long>(&filter));
  cNavMgrFileList list;
  Respond(sp_testing::NavCancel());
  EXPECT_EQ(nav.NavigatorGetOpenFileForX(&list), 1) << "the dialog ran";
  EXPECT_EQ(list.GetNumberOfItem(), 0);
  EXPECT_EQ(filter.costlyTests, 2);
  EXPECT_EQ(nav.NavigatorGetOpenFileForX(nullptr), 0);
}

TEST_F(NavDialog, SaveAsASheetGivesTheFolderTheNameAndCutsOnlyWhatDoesNotFit) {
  WindowRef parent = nullptr;
  const Rect content = {100, 100, 500, 700};
  ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &content, &parent));
  ShowWindow(parent);
  const struct {
    SInt32 size;
    const char* name;
    unsigned char truncated;
  } cases[] = {
      {10, "song.aiff", 0},  // nine characters and the terminator fit
      {9, "song.aif", 1},
      {3, "so", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    cNavMgrObject nav(kCreator);
    nav.SetupDefaultLocation(volume_, musicID_, "");
    nav.modality = kWindowModalityWindowModal;
    nav.parentWindow = parent;
    std::strcpy(nav.saveFileName, "untitled.aiff");
    Respond(sp_testing::NavSave("song.aiff"));
    FSRef folder;
    char name[64];
    UInt32 encoding = 0;
    unsigned char truncated = 9, replacing = 9;
    ASSERT_EQ(nav.NavigatorGetSaveFileForX(kCreator, kAIFF, &folder, name, c.size, &encoding,
                                           &truncated, &replacing),
              1);
    EXPECT_STREQ(name, c.name);
    EXPECT_EQ(truncated, c.truncated);
    EXPECT_EQ(replacing, 0);
    EXPECT_EQ(encoding, UInt32(kCFStringEncodingMacJapanese));
    EXPECT_EQ(PathOf(folder), Hfs(""));
    const sp_testing::Shown& shown = sp_testing::ShownSoFar().back();
    EXPECT_EQ(shown.kind, sp_testing::ShownKind::kSheet);
  }
  FSRef folder;
  char name[64];
  EXPECT_EQ(cNavMgrObject(kCreator).NavigatorGetSaveFileForX(kCreator, kAIFF, &folder, name, 2,
                                                             nullptr, nullptr, nullptr),
            0)
      << "no room for a name: no dialog";
  EXPECT_EQ(cNavMgrObject(kCreator).NavigatorGetSaveFileForX(kCreator, kAIFF, nullptr, name, 64,
                                                             nullptr, nullptr, nullptr),
            0);
  EXPECT_TRUE(log_.Has("cNavMgrObject::NavigatorGetSaveFileForX", 1));
}

// One object, three saves: each keeps its own name, none leaks the one before.
TEST_F(NavDialog, SavingOverAFileAsksFirstAndReportsReplacing) {
  cNavMgrObject nav(kCreator);
  nav.SetupDefaultLocation(volume_, musicID_, "");
  FSRef folder;
  char name[64];
  unsigned char truncated = 0, replacing = 9;
  Respond(sp_testing::NavSave("new.aiff"));
  ASSERT_EQ(nav.NavigatorGetSaveFileForX(kCreator, kAIFF, &folder, name, sizeof name, nullptr,
                                         &truncated, &replacing),
            1);
  EXPECT_EQ(replacing, 0);
  // The user thinks better of replacing and then cancels the dialog.
  Respond(sp_testing::NavSave("a.aiff"));
  Respond(Answer().ClickButtonUTF8("キャンセル"));
  Respond(sp_testing::NavCancel());
  EXPECT_EQ(nav.NavigatorGetSaveFileForX(kCreator, kAIFF, &folder, name, sizeof name, nullptr,
                                         &truncated, &replacing),
            0);
  // Now replaced.
  Respond(sp_testing::NavSave("a.aiff"));
  Respond(Answer().ClickButtonUTF8("置き換える"));
  ASSERT_EQ(nav.NavigatorGetSaveFileForX(kCreator, kAIFF, &folder, name, sizeof name, nullptr,
                                         &truncated, &replacing),
            1);
  EXPECT_EQ(replacing, 1);
  EXPECT_STREQ(name, "a.aiff");
}

TEST_F(NavDialog, ChooseFolderGivesTheChosenFolderAndNothingWithoutTheEventProcedure) {
  cNavMgrObject nav(kCreator);
  nav.SetupDefaultLocation(volume_, musicID_, "");
  Respond(sp_testing::NavChooseFolder(music_ + "/sub"));
  FSRef folder;
  ASSERT_EQ(nav.NavigatorGetChooseFolderForX(&folder), 1);
  EXPECT_EQ(PathOf(folder), Hfs("sub"));

  cNavMgrObject silent(kCreator);
  silent.useEventProcFlag = 0;
  Respond(sp_testing::NavChooseFolder(music_ + "/sub"));
  EXPECT_EQ(silent.NavigatorGetChooseFolderForX(&folder), 0) << "no reply is collected";
}

TEST_F(NavDialog, EachDialogOpensWhereItsDefaultLocationSays) {
  Touch(".hidden.aiff");
  Touch("A file name of thirty-two chars.");
  ASSERT_EQ(0, mkdir((music_ + "/empty").c_str(), 0700));
  std::ofstream(music_ + "/empty/.dot") << "x";
  std::ofstream(music_ + "/empty/only.aiff") << "x";
  SInt32 emptyID = 0;
  ASSERT_EQ(noErr, Sp_GetDirIdFromDirNameInDirId(volume_, musicID_, "empty", emptyID));
  const std::string home = home_.Home();
  const struct {
    const char* what;
    bool chooseFolder;
    SInt32 directory;
    const char* name;
    std::string folder;
    Strings selected;
  } cases[] = {
      {"a file by its short name", false, musicID_, "a.aiff", music_, {"a.aiff"}},
      {"a 32-character name through its FSRef",
       false,
       musicID_,
       "A file name of thirty-two chars.",
       music_,
       {"A file name of thirty-two chars."}},
      {"an empty name opens the directory itself", false, subID_, "", music_ + "/sub", {}},
      {"folder mode with an empty name opens the directory itself",
       true,
       subID_,
       "",
       music_ + "/sub",
       {}},
      {"folder mode with a folder's name opens that folder",
       true,
       musicID_,
       "sub",
       music_ + "/sub",
       {}},
      {"a missing name picks the first entry a person sees",
       false,
       emptyID,
       "gone.aiff",
       music_ + "/empty",
       {"only.aiff"}},
      {"a directory that is gone leaves the dialog where it was", false, 0x7FFFFFF0, "", home, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sp_testing::ResetNavigation();
    cNavMgrObject nav(kCreator);
    nav.SetupDefaultLocation(volume_, c.directory, c.name);
    std::string shown;
    Strings selected;
    Respond(sp_testing::NavLook([&](WindowRef w) {
              shown = sp_testing::NavShownFolder(w);
              selected = sp_testing::NavSelectedNames(w);
            }).ClickItem(kNavItemCancelButton));
    if (c.chooseFolder) {
      nav.NavigatorGetChooseFolderForX(nullptr);
    } else {
      cNavMgrFileList list;
      nav.NavigatorGetOpenFileForX(&list);
    }
    EXPECT_EQ(shown, c.folder);
    EXPECT_EQ(selected, c.selected);
  }
}

TEST_F(NavDialog, OtherWindowsRedrawWhileTheDialogIsUp) {
  WindowRef other = nullptr;
  const Rect content = {60, 60, 200, 300};
  ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &content, &other));
  ShowWindow(other);
  const Rect stale = {0, 0, 50, 50};
  InvalWindowRect(other, &stale);
  // The dialog waits a while before it is cancelled.
  Respond(sp_testing::NavLook([](WindowRef) {}));
  Respond(sp_testing::NavCancel());
  cNavMgrObject nav(kCreator);
  cNavMgrFileList list;
  nav.NavigatorGetOpenFileForX(&list);
  // Nothing but the dialog's loop ran meanwhile: the update went through its event procedure.
  RgnHandle region = NewRgn();
  GetWindowRegion(other, kWindowUpdateRgn, region);
  EXPECT_TRUE(EmptyRgn(region));
  DisposeRgn(region);
}

TEST_F(NavDialog, TheOneCallDialogsGiveFilesFoldersWithTheirWholeIdsAndTheSaveName) {
  cNavMgrObject nav(kCreator);
  nav.SetupDefaultLocation(volume_, musicID_, "");
  nav.allowMultipleFilesFlag = 1;
  cNavMgrFileList list;
  Respond(sp_testing::NavChoose({"a.aiff"}));
  ASSERT_EQ(nav.GetOpenFile(&list), 1);
  Respond(sp_testing::NavChoose({"sub", "a.aiff"}));
  ASSERT_EQ(nav.GetChooseFileObject(&list), 1);
  Strings read;
  list.ResetSequentialReference();
  short volume = 0;
  SInt32 directory = 0, folderID = 0;
  char name[64];
  unsigned char folder = 0;
  while (list.GetFileItemBySequential(volume, directory, name, sizeof name, nullptr, nullptr,
                                      &folder, &folderID)) {
    read.push_back(std::string(name) + (folder ? "/" + std::to_string(folderID) : "") + "@" +
                   std::to_string(directory));
  }
  const std::string music = std::to_string(musicID_);
  EXPECT_EQ(read, (Strings{"a.aiff@" + music, "sub/" + std::to_string(subID_) + "@" + music,
                           "a.aiff@" + music}));

  Respond(sp_testing::NavSave("123456789"));
  SInt32 dirID = 0;
  unsigned char truncated = 9, replacing = 9;
  ASSERT_EQ(nav.GetSaveFile(kCreator, kAIFF, volume, dirID, name, 10, truncated, replacing), 1);
  EXPECT_STREQ(name, "123456789");
  EXPECT_EQ(truncated, 0) << "nine characters and the terminator fit in ten bytes";
  EXPECT_EQ(dirID, musicID_);

  nav.SetupDefaultLocation(volume_, subID_, "");
  Respond(sp_testing::NavLook([&](WindowRef w) {
            EXPECT_EQ(sp_testing::NavShownFolder(w), music_ + "/sub");
          }).ClickItem(kNavItemDefaultButton));
  ASSERT_EQ(nav.GetChooseFolder(volume, dirID), 1);
  EXPECT_EQ(dirID, subID_);
}

// Gives the file of the music folder a Finder type; false where the file system keeps none.
bool SetType(short volume, SInt32 folder, const char* name, OSType type) {
  FSSpec spec;
  Str255 pascal;
  pascal[0] = UInt8(std::strlen(name));
  std::memcpy(pascal + 1, name, pascal[0]);
  FInfo info;
  if (FSMakeFSSpec(volume, folder, pascal, &spec) != noErr || FSpGetFInfo(&spec, &info) != noErr) {
    return false;
  }
  info.fdType = type;
  FSpSetFInfo(&spec, &info);
  return FSpGetFInfo(&spec, &info) == noErr && info.fdType == type;
}

TEST_F(NavDialog, TheTypesAddedAndThoseOfTheOpenResourceBothPass) {
  Touch("c.mov");
  if (!SetType(volume_, musicID_, "a.aiff", kAIFF) ||
      !SetType(volume_, musicID_, "b.txt", 0x54455854) ||
      !SetType(volume_, musicID_, "c.mov", 0x4D6F6F56)) {
    GTEST_SKIP() << "this file system keeps no Finder information";
  }
  // 'open' 128: signature 'TVOD', one type, 'TEXT' (big-endian, as resource files hold it).
  const std::vector<UInt8> open = {'T', 'V', 'O', 'D', 0, 0, 0, 1, 'T', 'E', 'X', 'T'};
  ASSERT_EQ(noErr, sp_testing::AddAppResource(0x6F70656E, 128, open));
  cNavMgrObject nav(kCreator);
  nav.SetupDefaultLocation(volume_, musicID_, "");
  nav.AddFileType(kAIFF);
  nav.SetupFIleTypeByResourceId(128);
  Respond(sp_testing::NavCancel());
  cNavMgrFileList list;
  nav.NavigatorGetOpenFileForX(&list);
  EXPECT_EQ(sp_testing::NavListedNames(), (Strings{"sub", "a.aiff", "b.txt"}));
}

struct CustomClicks {
  std::vector<std::pair<short, short>> items;
  Rect window{0, 0, 0, 0};
};

void CustomAction(WindowRef, short relative, short item, Rect& windowRect, unsigned long refcon) {
  CustomClicks* clicks = reinterpret_cast<CustomClicks*>(refcon);
  clicks->items.push_back({relative, item});
  clicks->window = windowRect;
}

// A 'DITL' of one button at (0, 0) of the custom area.
std::vector<UInt8> OneButtonItemList() {
  std::vector<UInt8> bytes = {0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 20, 0, 108, 4, 4};
  for (char c : std::string("Help")) bytes.push_back(UInt8(c));
  return bytes;
}

TEST_F(NavDialog, CustomControlsFromAnItemListReachTheActionProcedure) {
  ASSERT_EQ(noErr, sp_testing::AddAppResource(0x4449544C, 200, OneButtonItemList()));
  cNavMgrObject nav(kCreator);
  nav.SetupDefaultLocation(volume_, musicID_, "");
  nav.SetupCustomizeControlByDITL(200);
  nav.SetupCustomizeControlArea(300, 40);
  CustomClicks clicks;
  nav.SetupCustomizeControlActionProcPtr(CustomAction, reinterpret_cast<unsigned long>(&clicks));
  Respond(Answer().ClickItem(kNavItemCustomArea + 1).ClickItem(kNavItemCancelButton));
  FSRef folder;
  EXPECT_EQ(nav.NavigatorGetChooseFolderForX(&folder), 0);
  ASSERT_EQ(clicks.items.size(), 1u);
  EXPECT_EQ(clicks.items[0], (std::pair<short, short>{1, kNavItemCustomArea + 1}));
  EXPECT_GT(clicks.window.bottom - clicks.window.top, 300) << "the window grew for the area";
}

// A name the dialog's answer could not hold whole is marked cut, so that nobody saves under
// the cut name: the one-call form's answer holds 63 bytes of a name, the sheet's the whole
// name. The same object asked again with a short name marks nothing.
TEST_F(NavDialog, ANameTheAnswerHadToCutIsMarkedCutEachTime) {
  const std::string longName = std::string(70, 'n') + ".aiff";
  cNavMgrObject nav(kCreator);
  nav.SetupDefaultLocation(volume_, musicID_, "");
  const struct {
    bool oneCall;
    std::string typed;
    unsigned char truncated;
    const char* why;
  } cases[] = {
      {true, longName, 1, "the one-call answer keeps 63 bytes"},
      {true, "short.aiff", 0, "the same object asked again with a name that fits"},
      {true, std::string(63, 'x'), 0, "63 bytes fit the one-call answer"},
      {false, longName, 0, "the sheet's answer holds the whole name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    char name[256] = "";
    unsigned char truncated = 9, replacing = 9;
    Respond(sp_testing::NavSave(c.typed));
    if (c.oneCall) {
      short volume = 0;
      SInt32 dirID = 0;
      ASSERT_EQ(
          nav.GetSaveFile(kCreator, kAIFF, volume, dirID, name, sizeof name, truncated, replacing),
          1);
    } else {
      FSRef folder;
      ASSERT_EQ(nav.NavigatorGetSaveFileForX(kCreator, kAIFF, &folder, name, sizeof name, nullptr,
                                             &truncated, &replacing),
                1);
    }
    EXPECT_EQ(truncated, c.truncated);
    if (c.truncated == 0) {
      EXPECT_EQ(std::string(name), c.typed);
    }
  }
}

}  // namespace
