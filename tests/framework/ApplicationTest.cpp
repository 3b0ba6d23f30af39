// The application object and the four core Apple events, through the real event loop: the
// open event once, documents handed on as file entries, printing ignored, quit accepted or
// refused, the Carbon handlers installed once after the first open event, and the
// application object's own lists.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "FrameworkTestSupport.h"
#include "SpStdFileFunctionDirectory.h"
#include "TestFiles.h"

namespace {

using framework_test::LocateFolder;

// An application that records what the framework asks of it; `onOpen`, when set, runs inside
// the open operation.
class TestApplication : public cSpApplication {
 public:
  void OpenApplicationProc() override {
    ++opens;
    if (onOpen) onOpen();
  }
  // Each call as "<first open>:<name>@<volume>/<folder id>;...".
  void OpenDocumentsProc(unsigned char firstOpen, cFileInfoObj* files) override {
    std::string call = std::to_string(firstOpen) + ":";
    for (cFileInfoObj* file = files; file != nullptr; file = file->GetNextObjectPtr()) {
      char name[kSpFileInfoObjNameSize];
      unsigned char cut = 0;
      file->GetFileName(name, sizeof name, cut);
      call += std::string(name) + "@" + std::to_string(file->GetVolumeRefNum()) + "/" +
              std::to_string(file->GetUpperDirId()) + ";";
    }
    documents.push_back(call);
  }
  unsigned char QuitApplicationProc() override {
    ++quitAsks;
    return agreeToQuit;
  }
  void PrintDocumentProc() override { ++prints; }

  int opens = 0, quitAsks = 0, prints = 0;
  unsigned char agreeToQuit = 1;
  std::vector<std::string> documents;
  std::function<void()> onOpen;
};

// How often one activation of the application runs the resume registry, where each test
// of ApplicationEvents has an entry: once per installed activation handler.
int gResumeRuns = 0;
void CountResumeRun(unsigned long) {
  ++gResumeRuns;
}
int ResumeRunsPerActivation() {
  gResumeRuns = 0;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassApplication, kEventAppActivated, 0, kEventAttributeNone, &event);
  SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
  return gResumeRuns;
}

// An Apple event of the core class, queued to this process as the system would send it.
OSErr SendToSelf(AEEventID id) {
  const ProcessSerialNumber self = {0, kCurrentProcess};
  AEAddressDesc target = {typeNull, nullptr};
  AppleEvent event = {typeNull, nullptr};
  AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target);
  OSErr err = AECreateAppleEvent(kCoreEventClass, id, &target, kAutoGenerateReturnID, 1, &event);
  if (err == noErr) {
    err = AESend(&event, nullptr, kAENoReply, kAENormalPriority, kNoTimeOut, nullptr, nullptr);
  }
  AEDisposeDesc(&target);
  AEDisposeDesc(&event);
  return err;
}

class ApplicationEvents : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    Reset();
    // Registered by each test and taken out after it: other tests empty the registries.
    Sp_SetupResumeEventProcedure(CountResumeRun, 0, 0, &resumeRef_);
    Sp_CarbonEvent_ModeEnable();
    ASSERT_EQ(Sp_SetAppleEventHandler(), noErr);
  }
  void TearDown() override {
    framework_test::RemoveRegistryEntry(resumeEventProcDef_GlV, resumeRef_);
    Reset();
    FrameworkFixture::TearDown();
  }

  unsigned long resumeRef_ = 0;

  static void Reset() {
    sp_testing::ResetAppleEvents();
    openAppUPP_GlV = openDocUPP_GlV = printDocUPP_GlV = quitAppUPP_GlV = nullptr;
    alreadyOpenApplicationFlag_GlV = 0;
    mainLoopFlag_GlV = 1;
  }

  // Runs the application's loop until it returns by itself: true when it ended by a quit
  // (false when it went idle: on the virtual clock with nothing left to do it returns).
  static bool RunLoopToItsEnd() {
    const UInt32 idleBefore = sp_testing::IdleLoopReturns();
    RunApplicationEventLoop();
    return sp_testing::IdleLoopReturns() == idleBefore;
  }
};

}  // namespace

TEST_F(ApplicationEvents, TheOpenEventReachesTheApplicationOnceAndInstallsTheHandlersOnce) {
  TestApplication app;
  EXPECT_EQ(ResumeRunsPerActivation(), 0) << "nothing before the first open event";
  ASSERT_TRUE(sp_testing::RunApplicationEventLoopUntil([&] { return app.opens > 0; }));
  EXPECT_EQ(ResumeRunsPerActivation(), 1);
  // A second run of the loop in the same program sends no second open event.
  EXPECT_FALSE(RunLoopToItsEnd());
  EXPECT_EQ(app.opens, 1);
  // Later open events (another open application, documents) install nothing more; printing
  // is accepted and reaches nobody.
  ASSERT_EQ(SendToSelf(kAEOpenApplication), noErr);
  ASSERT_EQ(SendToSelf(kAEOpenDocuments), noErr);  // no direct object at all: a null list
  ASSERT_EQ(SendToSelf(kAEPrintDocuments), noErr);
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 3);
  EXPECT_EQ(app.opens, 2);
  EXPECT_EQ(app.documents, std::vector<std::string>{"0:"});
  EXPECT_EQ(app.prints, 0);
  EXPECT_EQ(ResumeRunsPerActivation(), 1);
  EXPECT_EQ(SpGetMainLoopFlag(), 1);
}

TEST_F(ApplicationEvents, DocumentsAtLaunchComeInOrderAsTheFirstOpenInPlaceOfOpenApplication) {
  sp_testing::HomeScope home;
  const std::string folder = home.Path("Songs");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  std::ofstream(folder + "/B side.aiff") << "FORM";
  std::ofstream(folder + "/A side.aiff") << "FORM";
  short vRefNum = 0;
  SInt32 dirId = 0;
  ASSERT_TRUE(LocateFolder(folder, vRefNum, dirId));
  ASSERT_EQ(sp_testing::QueueOpenDocumentsEvent({folder + "/B side.aiff", folder + "/A side.aiff"}),
            noErr);

  TestApplication app;
  ASSERT_TRUE(sp_testing::RunApplicationEventLoopUntil([&] { return !app.documents.empty(); }));
  EXPECT_EQ(app.opens, 0) << "the documents stand for the launch";
  const std::string here = "@" + std::to_string(vRefNum) + "/" + std::to_string(dirId) + ";";
  EXPECT_EQ(app.documents, std::vector<std::string>{"1:B side.aiff" + here + "A side.aiff" + here});
  EXPECT_EQ(ResumeRunsPerActivation(), 1);
}

// Whichever allocation fails while the documents are gathered, the application gets the
// documents gathered so far, in order, and nothing leaks or breaks.
TEST_F(ApplicationEvents, MemoryRunningOutWhileGatheringDocumentsHandsOnThoseGathered) {
  sp_testing::HomeScope home;
  std::vector<std::string> paths;
  for (const char* name : {"one.aiff", "two.aiff", "three.aiff"}) {
    paths.push_back(home.Path(name));
    std::ofstream(paths.back()) << "FORM";
  }
  // What one open-documents event hands on, the n-th allocation of its handling failing (0:
  // none).
  alreadyOpenApplicationFlag_GlV = 1;
  const auto gathered = [&](UInt32 n) {
    TestApplication app;
    EXPECT_EQ(sp_testing::QueueOpenDocumentsEvent(paths), noErr);
    sp_testing::FailNthAllocation(n);
    sp_testing::DispatchAppleEvents();
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(app.documents.size(), 1u);
    return app.documents.empty() ? std::string() : app.documents[0];
  };
  const std::string all = gathered(0);
  ASSERT_EQ(std::count(all.begin(), all.end(), ';'), 3);
  EXPECT_TRUE(all.find("one.aiff@") < all.find("two.aiff@") &&
              all.find("two.aiff@") < all.find("three.aiff@"))
      << all;
  bool sawPartial = false;
  for (UInt32 n = 1; n <= 12; ++n) {
    const std::string some = gathered(n);
    EXPECT_EQ(all.compare(0, some.size(), some), 0) << n << ": " << some;
    EXPECT_EQ(some.back(), some.size() == 2 ? ':' : ';') << n;
    sawPartial = sawPartial || (some.size() > 2 && some.size() < all.size());
  }
  EXPECT_TRUE(sawPartial) << "an entry that cannot be made ends the gathering";
}

// An item of the list that is no file (another program's mistake) is left out, and the files
// before and after it are opened all the same, in order.
TEST_F(ApplicationEvents, AnItemThatIsNoFileIsLeftOutAndTheFilesAroundItAreOpened) {
  sp_testing::HomeScope home;
  const std::string folder = home.Path("Songs");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  for (const char* name : {"one.aiff", "two.aiff", "three.aiff"}) {
    std::ofstream(folder + "/" + name) << "FORM";
  }
  short vRefNum = 0;
  SInt32 dirId = 0;
  ASSERT_TRUE(LocateFolder(folder, vRefNum, dirId));
  const auto putFile = [&](AEDescList& list, const char* name) {
    Str255 pascal;
    pascal[0] = UInt8(std::strlen(name));
    std::memcpy(pascal + 1, name, pascal[0]);
    FSSpec spec;
    ASSERT_EQ(FSMakeFSSpec(vRefNum, dirId, pascal, &spec), noErr);
    ASSERT_EQ(AEPutPtr(&list, 0, typeFSS, &spec, sizeof spec), noErr);
  };
  const SInt32 number = 42;
  const std::string here = "@" + std::to_string(vRefNum) + "/" + std::to_string(dirId) + ";";
  const struct {
    std::vector<const char*> items;  // null: an item that is no file
    std::string want;
  } cases[] = {
      {{"one.aiff", nullptr, "two.aiff"}, "0:one.aiff" + here + "two.aiff" + here},
      {{nullptr, "three.aiff"}, "0:three.aiff" + here},
      {{"one.aiff", nullptr}, "0:one.aiff" + here},
      {{nullptr, nullptr}, "0:"},
  };
  alreadyOpenApplicationFlag_GlV = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    AEDescList list = {typeNull, nullptr};
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    for (const char* name : c.items) {
      if (name != nullptr) {
        putFile(list, name);
      } else {
        ASSERT_EQ(AEPutPtr(&list, 0, typeSInt32, &number, sizeof number), noErr);
      }
    }
    const ProcessSerialNumber self = {0, kCurrentProcess};
    AEAddressDesc target = {typeNull, nullptr};
    AppleEvent event = {typeNull, nullptr};
    AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target);
    ASSERT_EQ(AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, &target, kAutoGenerateReturnID,
                                 1, &event),
              noErr);
    ASSERT_EQ(AEPutParamDesc(&event, keyDirectObject, &list), noErr);
    ASSERT_EQ(AESend(&event, nullptr, kAENoReply, kAENormalPriority, kNoTimeOut, nullptr, nullptr),
              noErr);
    AEDisposeDesc(&target);
    AEDisposeDesc(&event);
    AEDisposeDesc(&list);

    TestApplication app;
    EXPECT_EQ(sp_testing::DispatchAppleEvents(), 1);
    EXPECT_EQ(app.documents, std::vector<std::string>{c.want});
  }
}

// The quit event is handled later, not inside the send; a refusal keeps the loop running (the
// loop looks at the flag when a pass begins, so one more pass is scheduled after the check).
TEST_F(ApplicationEvents, AcceptedQuitEndsTheLoopAndRefusedOneLeavesItRunning) {
  for (unsigned char agree : {1, 0}) {
    SCOPED_TRACE(int(agree));
    Reset();
    ASSERT_EQ(Sp_SetAppleEventHandler(), noErr);
    TestApplication app;
    app.agreeToQuit = agree;
    bool ranLater = false;
    app.onOpen = [&] {
      agree ? Sp_EndOfAppliacation() : app.EndOfApplication();
      EXPECT_EQ(app.quitAsks, 0);
      sp_testing::ScheduleInput(1000000, [&] { ranLater = true; });
      sp_testing::ScheduleInput(2000000, [] {});
    };
    EXPECT_EQ(RunLoopToItsEnd(), agree == 1);
    EXPECT_EQ(ranLater, agree == 0);
    EXPECT_EQ(app.quitAsks, 1);
    EXPECT_EQ(SpGetMainLoopFlag(), 1 - agree);
  }
}

TEST_F(ApplicationEvents, WithoutAnApplicationObjectOpenEndsTheLoopAndQuitDoesNothing) {
  ASSERT_EQ(applicationObject_GlV, nullptr);
  ASSERT_EQ(SendToSelf(kAEQuitApplication), noErr);
  sp_testing::DispatchAppleEvents();
  EXPECT_EQ(SpGetMainLoopFlag(), 1) << "a quit with nobody to ask does nothing";

  EXPECT_TRUE(RunLoopToItsEnd()) << "the open event finds nobody and ends the loop";
  EXPECT_EQ(SpGetMainLoopFlag(), 0);
  EXPECT_EQ(alreadyOpenApplicationFlag_GlV, 0);
  EXPECT_EQ(ResumeRunsPerActivation(), 0);
}

// ---- The application object -----------------------------------------------------------------

namespace {

int gDerivedDestroyed = 0;
class DerivedApplication : public cSpApplication {
 public:
  ~DerivedApplication() override { ++gDerivedDestroyed; }
};

SInt32 DocProcA(...) {
  return 0;
}

std::vector<std::string> TypesOf(const cSpLoadDocumentProcData* entry) {
  std::vector<std::string> types;
  for (cSpDocumentType* t = entry->GetTypeList(); t != nullptr; t = t->GetNextObjectPtr()) {
    const UInt32 c = t->GetFileType();
    types.push_back(std::string{char(c >> 24), char(c >> 16), char(c >> 8), char(c)});
  }
  return types;
}

}  // namespace

TEST(ApplicationObject, OnlyTheCurrentObjectIsForgottenWhenDestroyedThroughTheBase) {
  gDerivedDestroyed = 0;
  auto* first = new cSpApplication;
  cSpApplication* second = new DerivedApplication;
  EXPECT_EQ(applicationObject_GlV, second);
  delete first;  // older: the current one is kept
  EXPECT_EQ(applicationObject_GlV, second);
  delete second;
  EXPECT_EQ(gDerivedDestroyed, 1);
  EXPECT_EQ(applicationObject_GlV, nullptr);
}

TEST(ApplicationObject, NoMemoryForADocumentTypeRegistersNothing) {
  cSpApplication app;
  for (UInt32 n : {1u, 2u}) {
    SCOPED_TRACE(n);
    sp_testing::FailNthAllocation(n);  // the new entry, then the type of a new entry
    app.SetupOpenDocumentProc(SpFourCC("AIFF"), SpFourCC("TVOD"), DocProcA);
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(app.GetOpenDocProcList(), nullptr);
  }
  app.SetupOpenDocumentProc(SpFourCC("AIFF"), SpFourCC("TVOD"), DocProcA);
  sp_testing::FailNthAllocation(1);  // the type of a known procedure
  app.SetupOpenDocumentProc(SpFourCC("WAVE"), SpFourCC("TVOD"), DocProcA);
  sp_testing::FailNthAllocation(0);
  ASSERT_NE(app.GetOpenDocProcList(), nullptr);
  EXPECT_EQ(TypesOf(app.GetOpenDocProcList()), (std::vector<std::string>{"AIFF"}));
}
