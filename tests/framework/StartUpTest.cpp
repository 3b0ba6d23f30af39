// Start-up: the steps of Sp_ToolboxInitialize and its failure exits, the Gestalt flags, the
// application folder's full path, and the data folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "FrameworkTestSupport.h"
#include "SpStdFileFunction.h"
#include "TestFiles.h"

namespace {

using framework_test::LocateFolder;

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The four handlers start-up installs, or none of them.
int InstalledCoreHandlers() {
  int count = 0;
  for (AEEventID id :
       {kAEOpenApplication, kAEOpenDocuments, kAEPrintDocuments, kAEQuitApplication}) {
    AEEventHandlerUPP handler = nullptr;
    if (AEGetEventHandler(kCoreEventClass, id, &handler, nullptr, false) == noErr) ++count;
  }
  return count;
}

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    sp_testing::FailNthAllocation(0);
    sp_testing::ResetGestalt();
    sp_testing::ResetEvents();
    sp_testing::ResetAppleEvents();
    menuComanndEventCatchUPP_GlV = nullptr;
    openAppUPP_GlV = openDocUPP_GlV = printDocUPP_GlV = quitAppUPP_GlV = nullptr;
    vertualMemoryEnableFlag_GlV = 0;
    appearanceEnableFlag_GlV = 0;
    applicationFolderVRefNum_GlV = 0;
    applicationFolderDirId_GlV = 0;
    Sp_CarbonEvent_ModeEnable();
  }

  // Nothing after the failing step ran: no Apple-event handler and no command handler (the
  // menu manager starts last, after the resource manager and drag and drop).
  static bool NothingStarted() {
    return InstalledCoreHandlers() == 0 && menuComanndEventCatchUPP_GlV == nullptr;
  }
};

}  // namespace

TEST_F(StartUp, SucceedsInstallingTheFourHandlersAndRecordsTheProgramsFolderAndPath) {
  ErrorLogCapture log;
  ASSERT_EQ(Sp_ToolboxInitialize(), 1);
  EXPECT_EQ(log.Count() + log.Beeps(), 0u);
  const std::pair<AEEventID, AEEventHandlerProcPtr> expected[] = {
      {kAEOpenApplication, Sp_OpenApplicationHProc},
      {kAEOpenDocuments, Sp_OpenDocumentsHProc},
      {kAEPrintDocuments, Sp_PrintDocumentsHProc},
      {kAEQuitApplication, Sp_QuitApplicationHProc}};
  for (const auto& [id, proc] : expected) {
    AEEventHandlerUPP handler = nullptr;
    ASSERT_EQ(AEGetEventHandler(kCoreEventClass, id, &handler, nullptr, false), noErr);
    EXPECT_EQ(handler, proc);
  }
  EXPECT_NE(menuComanndEventCatchUPP_GlV, nullptr);

  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  std::string folder(exe, std::size_t(n));
  folder.erase(folder.rfind('/'));
  short vRefNum = 0, gotVRefNum = 0;
  SInt32 dirId = 0, gotDirId = 0;
  ASSERT_TRUE(LocateFolder(folder, vRefNum, dirId));
  Sp_GetAppliFolderInfo(gotVRefNum, gotDirId);
  EXPECT_EQ(gotVRefNum, vRefNum);
  EXPECT_EQ(gotDirId, dirId);
  // Colon-separated, volume first, ending in the folder's own name.
  const std::string path = applicationFolderFullPath_GlV;
  const std::string name = folder.substr(folder.rfind('/') + 1);
  ASSERT_GT(path.size(), name.size() + 1);
  EXPECT_EQ(path.substr(path.size() - name.size() - 1), ":" + name);
  EXPECT_EQ(Sp_GetAppliFolderFullPathNameLength(), path.size());
}

// Each failing step ends start-up with 0 before the Apple-event handlers, the resource
// manager and the menu manager are started.
// The bundle layout cannot be switched off again, so this runs in a child process of its own.
TEST_F(StartUp, TheApplicationFolderNotFoundEndsStartUpSilently) {
  EXPECT_EXIT(
      {
        ErrorLogCapture log;
        Sp_BundleProjectTypeEnable();
        sp_testing::SetMainBundleFolder("/nonexistent-sp-bundle/Program/Resources");
        _exit(Sp_ToolboxInitialize() == 0 && log.Count() + log.Beeps() == 0 && NothingStarted()
                  ? 0
                  : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(StartUp, ThePathBlockNotAllocatedIsLoggedWithItsOwnMessage) {
  ErrorLogCapture log;
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(Sp_ToolboxInitialize(), 0);
  sp_testing::FailNthAllocation(0);

  ASSERT_EQ(log.Count(), 1u);
  const CapturedRecord& r = log.Records()[0];
  EXPECT_EQ(r.source + " " + r.method + " " + std::to_string(r.code) + " " + r.message,
            "SpMainEventLoop.cpp Sp_ToolboxInitialize 2 Cannot allocated memory");
  EXPECT_EQ(log.Beeps(), 1u);
  EXPECT_EQ(applicationFolderFullPath_GlV, nullptr);
  EXPECT_EQ(Sp_GetAppliFolderFullPathNameLength(), 0u);
  EXPECT_TRUE(NothingStarted());
}

TEST_F(StartUp, GestaltAnswersDecideAppleEventsVirtualMemoryAndAppearance) {
  struct Case {
    const char* why;
    bool aeAnswered;
    SInt32 ae;
    bool vmAnswered;
    SInt32 vm;
    bool appearanceAnswered;
    unsigned char started;
    int handlers, vmFlag, appearanceFlag;
  } cases[] = {
      // clang-format off
      {"no Apple-event answer ends start-up silently", false, 0, true, 1, true, 0, 0, 0, 0},
      {"Apple events answered without bit 0: none installed", true, 0x2, true, 1, true, 1, 0, 1, 1},
      {"vm on, appearance", true, 1, true, 0x1, true, 1, 4, 1, 1},
      {"vm off", true, 1, true, 0x6, true, 1, 4, 0, 1},
      {"vm unknown", true, 1, false, 0, true, 1, 4, 0, 1},
      {"no appearance", true, 1, true, 0x1, false, 1, 4, 1, 0},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Reset();
    ErrorLogCapture log;
    c.aeAnswered ? sp_testing::SetGestalt(gestaltAppleEventsAttr, c.ae)
                 : sp_testing::RemoveGestalt(gestaltAppleEventsAttr);
    c.vmAnswered ? sp_testing::SetGestalt(gestaltVMAttr, c.vm)
                 : sp_testing::RemoveGestalt(gestaltVMAttr);
    if (!c.appearanceAnswered) sp_testing::RemoveGestalt(gestaltAppearanceAttr);
    ASSERT_EQ(Sp_ToolboxInitialize(), c.started);
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(InstalledCoreHandlers(), c.handlers);
    EXPECT_EQ(menuComanndEventCatchUPP_GlV != nullptr, c.started == 1) << "the menu manager last";
    // A flag of 1 means virtual memory is ON.
    EXPECT_TRUE(c.started == 0 || (Sp_IsDisableVertualMemory() == c.vmFlag &&
                                   SpGetAppealanceEnableFlag() == c.appearanceFlag));
  }
}

TEST_F(StartUp, CopyingTheFullPathCutsToTheBufferAndAlwaysTerminates) {
  ASSERT_EQ(Sp_ToolboxInitialize(), 1);
  const std::string path = applicationFolderFullPath_GlV;
  ASSERT_GT(path.size(), 2u);
  const SInt32 length = SInt32(path.size());

  struct Case {
    SInt32 size;
    std::string text;
    unsigned char truncated;
  };
  const Case cases[] = {{1, "", 1}, {2, path.substr(0, 1), 1},
                        {length, path.substr(0, path.size() - 1), 1}, {length + 1, path, 0},
                        {length + 50, path, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::string buffer(std::size_t(c.size) + 8, '#');
    unsigned char truncated = 7;
    Sp_CopyAppliFolderFullPathName(&buffer[0], c.size, truncated);
    EXPECT_EQ(std::string(buffer.c_str()), c.text);
    EXPECT_EQ(truncated, c.truncated);
    EXPECT_EQ(buffer[std::size_t(c.size)], '#') << "nothing written past the buffer";
  }

  // No room at all, or no buffer: nothing written, the flag left alone.
  char buffer[2] = {'#', '#'};
  unsigned char truncated = 7;
  Sp_CopyAppliFolderFullPathName(buffer, 0, truncated);
  Sp_CopyAppliFolderFullPathName(buffer, -1, truncated);
  Sp_CopyAppliFolderFullPathName(nullptr, 10, truncated);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(truncated, 7);
}

// ---- The data folder ----------------------------------------------------------------------------

class ApplicationFolders : public StartUp {
 protected:
  // Makes `relative` in the temporary home and records it as the application folder.
  void UseApplicationFolder(const std::string& relative) {
    const std::string path = home_.Path(relative);
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    ASSERT_TRUE(LocateFolder(path, applicationFolderVRefNum_GlV, applicationFolderDirId_GlV));
  }

  sp_testing::HomeScope home_;
};

TEST_F(ApplicationFolders, TheDataFolderIsMadeOnceInsideTheApplicationFolderAndOnlyThere) {
  short vRefNum = 11;
  SInt32 dirId = 22;
  EXPECT_EQ(Sp_GetApplicationDataFolderInfo(vRefNum, dirId), fnfErr) << "before start-up";
  EXPECT_EQ(dirId, 22);
  UseApplicationFolder("File");
  std::ofstream(home_.Path("File/Application Data Folder")) << "not a folder";
  EXPECT_NE(Sp_GetApplicationDataFolderInfo(vRefNum, dirId), noErr);
  EXPECT_EQ(dirId, 22) << "a file in its place is an error, not a folder";

  UseApplicationFolder("App");
  ASSERT_EQ(Sp_GetApplicationDataFolderInfo(vRefNum, dirId), noErr);
  const std::string data = home_.Path("App/Application Data Folder");
  ASSERT_TRUE(IsFolder(data));
  short expectedVRefNum = 0;
  SInt32 expectedDirId = 0, againDirId = 0;
  ASSERT_TRUE(LocateFolder(data, expectedVRefNum, expectedDirId));
  EXPECT_EQ(std::to_string(vRefNum) + "/" + std::to_string(dirId),
            std::to_string(expectedVRefNum) + "/" + std::to_string(expectedDirId));
  ASSERT_EQ(Sp_GetApplicationDataFolderInfo(vRefNum, againDirId), noErr);
  EXPECT_EQ(againDirId, dirId) << "the existing folder is found, not made anew";
}

// Installed programs usually lie in folders they cannot write: the caller hears why there is
// no data folder, and nothing is half made.
TEST_F(ApplicationFolders, AReadOnlyApplicationFolderGivesTheCreationErrorAndNoFolder) {
  const std::string disc = home_.Path("Disc");
  ASSERT_EQ(mkdir(disc.c_str(), 0700), 0);
  std::ofstream(disc + "/.TOC.plist") << "";
  const SInt16 volume = sp_testing::MountAudioCD(disc);
  ASSERT_NE(volume, 0);
  applicationFolderVRefNum_GlV = volume;
  applicationFolderDirId_GlV = fsRtDirID;

  short vRefNum = 11;
  SInt32 dirId = 22;
  EXPECT_NE(Sp_GetApplicationDataFolderInfo(vRefNum, dirId), noErr);
  EXPECT_EQ(vRefNum + dirId, 33) << "the caller's values left alone";
  EXPECT_FALSE(Exists(disc + "/Application Data Folder"));
}
