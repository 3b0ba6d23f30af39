#include "AppTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "CDDBFixture.h"
#include "CFURLFiles.h"
#include "Clock.h"
#include "Files.h"
#include "SpApplicationClass.h"
#include "SpCDDBMgrObject.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpCDRomManager.h"
#include "SpCarbonEventHandlers.h"
#include "SpCutAndPastManager.h"
#include "SpDragAndDropObject.h"
#include "SpListClass.h"
#include "SpOC_IconButtonControl.h"
#include "SpMainEventLoop.h"
#include "SpMenu.h"
#include "SpPreferenceStockObject.h"
#include "SpTesting.h"
#include "SpTitleBarControl.h"
#include "SpViewClass.h"
#include "SpWindow.h"
#include "SpWindowHandlers.h"
#include "TOCInfoTestSupport.h"
#include "TestAppleEvents.h"
#include "TestEvents.h"
#include "TestMenus.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace app_test {

namespace {

constexpr SInt64 kPollMicros = 50000;
constexpr UInt32 kStepLimitTicks = 30 * 60;
constexpr SInt64 kEndLimitMicros = 60LL * 1000000;

void ResetToolbox() {
  sp_testing::ResetEvents();
  sp_testing::ResetAppleEvents();
  sp_testing::ResetWindows();
  sp_testing::ResetMenus();
  sp_testing::ResetGestalt();
  sp_testing::SetModifierKeys(0);
  sp_testing::ResetBeepCount();
}

}  // namespace

void ProgramTest::SetUp() {
  sp_testing::UseVirtualClock(kTestDate);
  ResetToolbox();
  sp_testing::RestartResources();
  ASSERT_FALSE(home_.Home().empty());
  const std::string data = home_.Path(".local/share/mediamanager");
  mkdir(data.c_str(), 0700);
  ASSERT_EQ(mkdir(Media().c_str(), 0700), 0);
}

void ProgramTest::TearDown() {
  EndRun();
  sp_testing::ResetResources();
  sp_testing::UseRealClock();
}

void ProgramTest::EndRun() {
  CDR_DisposeMediaManager(0);
  delete applicationObj_GlV;
  applicationObj_GlV = nullptr;
  cdRomManagerObj_GlV = nullptr;
  multiMediaTragetFlag_GlV = 0;
  Sp_DisposeCDRom(0);
  SpCDR_DisposeMediaMgr();
  SpDisposeCDDBManager();
  SpDisposeCDQTFileInitManager();
  // The framework's state of a launched program, as a new process starts with it.
  alreadyOpenApplicationFlag_GlV = 0;
  mainLoopFlag_GlV = 1;
  mouseDownWindowObj_GlV = nullptr;
  frontAppFlag_GlV = 1;
  openAppUPP_GlV = openDocUPP_GlV = printDocUPP_GlV = quitAppUPP_GlV = nullptr;
  menuComanndEventCatchUPP_GlV = nullptr;
  sp_testing::ResetMenuManager();
  sp_testing::ResetDragAndDropManager();
  sp_testing::ResetCutAndPastManager();
  ResetToolbox();
  sp_testing::RestartResources();
}

int ProgramTest::Run(std::vector<Step> steps, std::vector<std::string> arguments) {
  steps_ = std::move(steps);
  next_ = 0;
  forcedEnd_ = false;
  deadline_ = TickCount() + kStepLimitTicks;
  arguments.insert(arguments.begin(), "--display=headless");
  arguments.insert(arguments.begin(), "mediamanager");
  std::vector<std::vector<char>> storage;
  std::vector<char*> argv;
  for (const std::string& a : arguments) {
    storage.emplace_back(a.begin(), a.end());
    storage.back().push_back(0);
  }
  for (auto& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  running_ = true;
  if (steps_.empty()) {
    ArmEndLimit();
  } else {
    sp_testing::ScheduleInput(kPollMicros, [this] { Tick(); });
  }
  const int result = CDR_Main(int(arguments.size()), argv.data());
  running_ = false;
  EXPECT_EQ(next_, steps_.size()) << "the program ended before its steps were taken"
                                  << (next_ < steps_.size()
                                          ? ", before \"" + steps_[next_].what + "\" (its result " +
                                                std::to_string(result) + ")"
                                          : std::string());
  return result;
}

void ProgramTest::Tick() {
  if (!running_ || next_ >= steps_.size()) return;
  Step& step = steps_[next_];
  if (step.ready && !step.ready()) {
    if (TickCount() > deadline_) {
      ADD_FAILURE() << "step \"" << step.what << "\" never became ready";
      forcedEnd_ = true;
      QuitApplicationEventLoop();
      return;
    }
    sp_testing::ScheduleInput(kPollMicros, [this] { Tick(); });
    return;
  }
  // Keys held for the last step's input are released once it has been taken.
  sp_testing::SetModifierKeys(0);
  SCOPED_TRACE("step \"" + step.what + "\"");
  step.act();
  ++next_;
  deadline_ = TickCount() + kStepLimitTicks;
  if (next_ < steps_.size()) {
    sp_testing::ScheduleInput(1000, [this] { Tick(); });
  } else {
    ArmEndLimit();
  }
}

void ProgramTest::ArmEndLimit() {
  sp_testing::ScheduleInput(kEndLimitMicros, [this] {
    if (!running_) return;
    ADD_FAILURE() << "the program did not end after its last step";
    forcedEnd_ = true;
    QuitApplicationEventLoop();
  });
}

Step Then(const std::string& what, std::function<void()> act) {
  auto due = std::make_shared<UInt32>(0);
  return Step{what,
              [due] {
                if (*due == 0) *due = TickCount() + 40;
                return TickCount() >= *due;
              },
              std::move(act)};
}

// ---- Media -------------------------------------------------------------------------------------

std::string ProgramTest::Media(const std::string& name) const {
  const std::string folder = SpDefaultAudioCDMediaFolder();
  return name.empty() ? folder : folder + "/" + name;
}

SInt32 ProgramTest::MakeDisc(const std::string& name, const std::vector<DiscTrack>& tracks) const {
  return cdtest::WriteDiscFolder(Media(name), tracks);
}

void ProgramTest::WriteTitles(SInt32 leadout, const std::vector<std::string>& titles) const {
  cddb_test::WriteTitleFile(
      cddb_test::TitleFileOf({{SInt8(titles.size() - 1), UInt8(leadout / 4500),
                               UInt8(leadout / 75 % 60), UInt8(leadout % 75), 301, titles}}));
}

std::string ProgramTest::MakeSoundFile(const std::string& name, int seconds) const {
  const std::string path = home_.Path(name);
  const UInt32 frames = UInt32(seconds) * 44100;
  const std::string header = cdtest::AiffHeader(frames);
  cdtest::WriteFile(path, header);
  EXPECT_EQ(0, truncate(path.c_str(), off_t(header.size() + frames * 4)));
  return path;
}

bool ProgramTest::AddSoundFile(const std::string& path) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
  if (url == nullptr) return false;
  FSRef ref;
  const bool found = CFURLGetFSRef(url, &ref);
  CFRelease(url);
  FSCatalogInfo info = {};
  FSSpec spec = {};
  if (!found || FSGetCatalogInfo(&ref, kFSCatInfoVolume | kFSCatInfoParentDirID, &info, nullptr,
                                 &spec, nullptr) != noErr) {
    return false;
  }
  std::string name(reinterpret_cast<const char*>(spec.name + 1), spec.name[0]);
  cCDR_MediaItem* item = nullptr;
  const bool made =
      M()->CreateNewMusicFileMediaItem(info.volume, SInt32(info.parentDirID), name.c_str(), nullptr,
                                       0, 0, nullptr, -1, 0, nullptr, nullptr, &item, nullptr) != 0;
  if (made) {
    M()->GetMediaList()->EnableList(0);
    M()->ResetMedialist(1);
  }
  return made;
}

// ---- What the window shows ---------------------------------------------------------------------

short Rows() {
  return M()->GetMediaList()->GetNumOfRow();
}

std::vector<std::string> Column(short column) {
  std::vector<std::string> texts;
  cLMgr_List_Base* list = M()->GetMediaList();
  for (short row = 1; row <= list->GetNumOfRow(); ++row) {
    sLMgr_Cell* cell = nullptr;
    if (!list->GetCellPtr(column, row, &cell) || cell == nullptr) {
      texts.push_back("?");
    } else if (cell->kind == kLMgrStringData && cell->string != nullptr) {
      texts.push_back(cell->string);
    } else if (cell->kind == kLMgrIntegerData) {
      texts.push_back(std::to_string(cell->value));
    } else {
      texts.push_back("");
    }
  }
  return texts;
}

std::vector<short> SelectedRows() {
  std::vector<short> rows;
  for (cCDR_SelectionMediaItem* e = M()->GetSelectionListHead(); e != nullptr;
       e = e->GetNextObjectPtr()) {
    rows.push_back(e->GetRow());
  }
  return rows;
}

Point CellPoint(short row, short column) {
  Rect onWindow = {0, 0, 0, 0};
  M()->GetMediaList()->GetCellArea(Point{row, column}, nullptr, nullptr, &onWindow);
  Rect content = {0, 0, 0, 0};
  M()->GetContentAreaOnGlobal(content);
  return Point{short(content.top + (onWindow.top + onWindow.bottom) / 2),
               short(content.left + (onWindow.left + onWindow.right) / 2)};
}

void Click(short row, short column, UInt32 modifiers) {
  sp_testing::SetModifierKeys(modifiers);
  sp_testing::PostClick(CellPoint(row, column), {}, modifiers);
}

void DragFrom(short row, short column, Point to) {
  sp_testing::PostClick(CellPoint(row, column), {to});
}

void ClickTitle(short item) {
  Rect area = {0, 0, 0, 0};
  M()->GetTitleBar()->GetTitleItemViewableAreaOnWindow(item, area);
  Rect content = {0, 0, 0, 0};
  M()->GetContentAreaOnGlobal(content);
  sp_testing::PostClick(Point{short(content.top + (area.top + area.bottom) / 2),
                              short(content.left + (area.left + area.right) / 2)});
}

SInt32 StoredListOption(UInt32 key) {
  cPrefStockFileObj* file = M()->GetPrefStockFile();
  cPrefStockData* group = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("MMgr"), 1, 0);
  cPrefStockData* list =
      group != nullptr ? group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("MLst"), 0)
                       : nullptr;
  cPrefStockData* item =
      list != nullptr ? list->GetTargetStockDataItemInUnderDataListByIdType(key, 0) : nullptr;
  SInt32 value = -1;
  if (item != nullptr) item->GetLongData(value);
  return value;
}

static const sp_testing::MenuItemModel* FileItemModel(int item) {
  static sp_testing::MenuBarModel bar;
  bar = sp_testing::ReadMenuBar();
  for (const auto& menu : bar.menus) {
    if (menu.id == CDR_CurrentFileMenuID() && std::size_t(item) <= menu.items.size()) {
      return &menu.items[std::size_t(item - 1)];
    }
  }
  return nullptr;
}

bool FileItemEnabled(int item) {
  const sp_testing::MenuItemModel* model = FileItemModel(item);
  return model != nullptr && model->enabled;
}

std::string FileItemText(int item) {
  const sp_testing::MenuItemModel* model = FileItemModel(item);
  return model != nullptr ? model->text : "<none>";
}

void Key(UInt8 charCode, UInt32 modifiers) {
  sp_testing::SetModifierKeys(modifiers);
  sp_testing::PostKeyDown(charCode, 0, modifiers);
  sp_testing::PostKeyUp(charCode, 0, modifiers);
}

Step Quit() {
  return Do("quit", [] { Key('q', cmdKey); });
}

Point ButtonPoint(cSp_OriginalIconButtonControl* button) {
  Rect onWindow = {0, 0, 0, 0};
  button->GetDrawingAreaOnWindow(&onWindow);
  Rect content = {0, 0, 0, 0};
  M()->GetContentAreaOnGlobal(content);
  return Point{short(content.top + (onWindow.top + onWindow.bottom) / 2),
               short(content.left + (onWindow.left + onWindow.right) / 2)};
}

UInt32 WindowPixel(short h, short v) {
  Sp_RedrawViewWindow(M()->GetWindowRef(), 0);
  return sp_testing::ReadPixel(GetWindowPort(M()->GetWindowRef()), h, v);
}

}  // namespace app_test
