// The Navigation Services dialogs: what they list and in which order, what their event
// procedure and object filter see, what their replies carry, sheets, custom controls, the
// places of the desktop and the one-call forms; answered by the test API's responder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Alerts.h"
#include "Files.h"
#include "Navigation.h"
#include "TestFiles.h"
#include "TestNavigation.h"
#include "TestResponder.h"
#include "UiFixture.h"
#include "files/internal/FileLocations.h"

namespace ui_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using Strings = std::vector<std::string>;

void Touch(const std::string& path) {
  std::ofstream(path) << "x";
}

std::string PathOfRef(const FSRef& ref) {
  sp_platform::files::Location location;
  return sp_platform::files::LocateRef(&ref, location) == noErr ? location.path : "?";
}

// What the event procedure and the object filter were told.
struct Seen {
  std::vector<NavEventCallbackMessage> messages;
  Strings filtered;  // "name/" for a folder
  NavUserAction action = kNavUserActionNone;
  Rect customRect{0, 0, 0, 0};
  SInt16 customWidth = 0, customHeight = 0;
  NavReplyRecord reply{};
  bool gotReply = false;
};

void EventProc(NavEventCallbackMessage message, NavCBRecPtr parms, void* ud) {
  Seen* seen = static_cast<Seen*>(ud);
  if (message != kNavCBEvent) seen->messages.push_back(message);
  if (message == kNavCBCustomize && seen->customWidth > 0 && parms->customRect.right == 0) {
    seen->customRect = parms->customRect;
    parms->customRect.right = SInt16(parms->customRect.left + seen->customWidth);
    parms->customRect.bottom = SInt16(parms->customRect.top + seen->customHeight);
  }
  if (message == kNavCBUserAction) {
    seen->action = parms->userAction;
    seen->gotReply = NavDialogGetReply(parms->context, &seen->reply) == noErr;
  }
}

Boolean Filter(AEDesc* item, void* info, void* ud, NavFilterModes mode) {
  Seen* seen = static_cast<Seen*>(ud);
  FSRef ref;
  EXPECT_EQ(item->descriptorType, DescType(typeFSRef));
  EXPECT_EQ(mode, kNavFilteringBrowserList);
  AEGetDescData(item, &ref, sizeof ref);
  const std::string path = PathOfRef(ref);
  const std::string name = path.substr(path.find_last_of('/') + 1);
  const bool folder = static_cast<NavFileOrFolderInfo*>(info)->isFolder;
  seen->filtered.push_back(name + (folder ? "/" : ""));
  return name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0;
}

class NavigationTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    home_ = std::make_unique<sp_testing::HomeScope>();
    sp_testing::ResetNavigation();
    responder_ = std::make_unique<sp_testing::ResponderScope>();
    folder_ = home_->Path("music");
    mkdir(folder_.c_str(), 0700);
    Touch(folder_ + "/b.txt");
    Touch(folder_ + "/a.aiff");
    Touch(folder_ + "/.hidden.aiff");
    mkdir((folder_ + "/sub").c_str(), 0700);
    mkdir((folder_ + "/Zeta").c_str(), 0700);
  }
  void TearDown() override {
    if (seen_.gotReply) NavDisposeReply(&seen_.reply);
    responder_.reset();
    home_.reset();
    UiTest::TearDown();
  }

  NavDialogCreationOptions Options() {
    NavDialogCreationOptions options;
    NavGetDefaultDialogCreationOptions(&options);
    return options;
  }

  // The paths of the reply's items, read as FSRefs.
  Strings ReplyPaths(const NavReplyRecord& reply) {
    Strings out;
    SInt32 count = 0;
    AECountItems(&reply.selection, &count);
    for (SInt32 i = 1; i <= count; ++i) {
      FSRef ref;
      EXPECT_EQ(AEGetNthPtr(&reply.selection, i, typeFSRef, nullptr, nullptr, &ref, sizeof ref,
                            nullptr),
                noErr);
      out.push_back(PathOfRef(ref));
    }
    return out;
  }

  // Runs an open dialog with the filter on the test folder.
  void RunOpen(NavDialogCreationOptions options, bool filter = true) {
    NavDialogRef dialog = nullptr;
    ASSERT_EQ(NavCreateGetFileDialog(&options, nullptr, EventProc, nullptr,
                                     filter ? Filter : nullptr, &seen_, &dialog),
              noErr);
    AEDesc location = LocationOf(folder_);
    seen_.messages.clear();
    // The location is set at start, as the program does.
    startLocation_ = &location;
    EXPECT_EQ(NavCustomControl(dialog, kNavCtlSetLocation, &location), noErr);
    EXPECT_EQ(NavDialogRun(dialog), noErr);
    AEDisposeDesc(&location);
    NavDialogDispose(dialog);
  }

  static AEDesc LocationOf(const std::string& path) {
    sp_platform::files::Location location;
    EXPECT_EQ(sp_platform::files::LocatePath(path, location), noErr);
    FSRef ref;
    sp_platform::files::MakeFSRef(location, &ref);
    AEDesc desc = {typeNull, nullptr};
    AECreateDesc(typeFSRef, &ref, sizeof ref, &desc);
    return desc;
  }

  std::unique_ptr<sp_testing::HomeScope> home_;
  std::unique_ptr<sp_testing::ResponderScope> responder_;
  std::string folder_;
  Seen seen_;
  AEDesc* startLocation_ = nullptr;
};

TEST_F(NavigationTest, OpenListsFoldersFirstByNameHidesDotFilesAndFilteredOnesAndRepliesWithTheChosenFiles) {
  Respond(sp_testing::NavChoose({"a.aiff"}).Do([](WindowRef w) { DrawDialog(GetDialogFromWindow(w)); sp_testing::SnapshotPort(GetWindowPort(w), "/tmp/navt/open.png"); DialogRef d = GetDialogFromWindow(w); for (int i = 1; i <= CountDITL(d); ++i) { DialogItemType t; Handle h; Rect r; GetDialogItem(d, i, &t, &h, &r); printf("item %d type %d rect %d %d %d %d\n", i, t, r.top, r.left, r.bottom, r.right); } }, "snap"));
  RunOpen(Options());
  EXPECT_EQ(sp_testing::NavListedNames(), (Strings{"sub", "Zeta", "a.aiff"}));
  EXPECT_EQ(seen_.filtered, (Strings{"sub/", "Zeta/", "a.aiff", "b.txt"}));
  EXPECT_EQ(seen_.action, kNavUserActionOpen);
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_TRUE(seen_.reply.validRecord);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/a.aiff"}));
  EXPECT_EQ(seen_.messages,
            (std::vector<NavEventCallbackMessage>{kNavCBCustomize, kNavCBStart, kNavCBUserAction,
                                                  kNavCBTerminate}));
}

}  // namespace
}  // namespace ui_test
