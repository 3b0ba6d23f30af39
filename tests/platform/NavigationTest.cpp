// The Navigation Services dialogs: what they list and in which order, what their event
// procedure and object filter see, the mouse and keys in the list, what their replies carry,
// saving's checks, New Folder, sheets, custom controls, the places of the desktop and the
// one-call forms; answered by the test API's responder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Alerts.h"
#include "Files.h"
#include "MacMemory.h"
#include "Navigation.h"
#include "SpTextCodec.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "TestNavigation.h"
#include "TestResponder.h"
#include "UiFixture.h"
#include "files/internal/FileLocations.h"
#include "ui/internal/Navigation.h"

namespace ui_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using Strings = std::vector<std::string>;
using Messages = std::vector<NavEventCallbackMessage>;

constexpr UInt8 kDownArrow = 0x1F;
constexpr UInt8 kDownArrowKey = 0x7D;

void Touch(const std::string& path) {
  std::ofstream(path) << "x";
}

std::string PathOfRef(const FSRef& ref) {
  sp_platform::files::Location location;
  return sp_platform::files::LocateRef(&ref, location) == noErr ? location.path : "?";
}

sp_platform::files::Location Locate(const std::string& path) {
  sp_platform::files::Location location;
  EXPECT_EQ(sp_platform::files::LocatePath(path, location), noErr) << path;
  return location;
}

// What the event procedure and the object filter were told.
struct Seen {
  Messages messages;
  Strings filtered;  // "name/" for a folder
  bool hideText = true;
  SInt64 judgingMicros = 0;  // what the filter takes of the (virtual) clock for each entry
  SInt16 customWidth = 0, customHeight = 0;
  Rect proposed{0, 0, 0, 0};
  Handle items = nullptr;
  UInt16 firstControl = 0;
  NavReplyRecord reply{};
  bool gotReply = false;
};

void EventProc(NavEventCallbackMessage message, NavCBRecPtr parms, void* ud) {
  Seen* seen = static_cast<Seen*>(ud);
  if (message != kNavCBEvent) seen->messages.push_back(message);
  if (message == kNavCBCustomize && seen->customWidth > 0) {
    seen->proposed = parms->customRect;
    parms->customRect.right = SInt16(parms->customRect.left + seen->customWidth);
    parms->customRect.bottom = SInt16(parms->customRect.top + seen->customHeight);
  }
  if (message == kNavCBStart && seen->items != nullptr) {
    EXPECT_EQ(NavCustomControl(parms->context, kNavCtlAddControlList, seen->items), noErr);
    NavCustomControl(parms->context, kNavCtlGetFirstControlID, &seen->firstControl);
  }
  if (message == kNavCBUserAction) {
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
  if (seen->judgingMicros > 0) sp_testing::AdvanceClockMicroseconds(seen->judgingMicros);
  return !seen->hideText || name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0;
}

Point GlobalOf(WindowRef window, Point local) {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  LocalToGlobal(&local);
  SetPort(saved);
  return local;
}

// Posts a click (or two, for a double click) at the centre of a local rectangle of the window.
void PostClick(WindowRef window, const Rect& local, UInt32 modifiers = 0, int clicks = 1) {
  const Point p = GlobalOf(
      window, Point{SInt16((local.top + local.bottom) / 2), SInt16((local.left + local.right) / 2)});
  for (int i = 1; i <= clicks; ++i) {
    sp_testing::PostMouseDown(p, modifiers, UInt32(i));
    sp_testing::PostMouseUp(p, modifiers, UInt32(i));
  }
}

void PostClickOn(WindowRef window, const std::string& name, UInt32 modifiers = 0, int clicks = 1) {
  Rect row;
  ASSERT_TRUE(sp_testing::NavEntryRect(window, name, &row)) << name;
  PostClick(window, row, modifiers, clicks);
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
    Touch(folder_ + "/sub/c.aiff");
    Touch(folder_ + "/sub/d.aiff");
    mkdir((folder_ + "/Zeta").c_str(), 0700);
  }
  void TearDown() override {
    if (seen_.gotReply) NavDisposeReply(&seen_.reply);
    responder_.reset();
    home_.reset();
    UiTest::TearDown();
  }

  static NavDialogCreationOptions Options(NavDialogOptionFlags flags = kNavDefaultNavDlogOptions) {
    NavDialogCreationOptions options;
    NavGetDefaultDialogCreationOptions(&options);
    options.optionFlags = flags;
    return options;
  }

  // The paths of the reply's items, read as FSRefs.
  static Strings ReplyPaths(const NavReplyRecord& reply) {
    Strings out;
    SInt32 count = 0;
    AECountItems(&reply.selection, &count);
    for (SInt32 i = 1; i <= count; ++i) {
      FSRef ref;
      EXPECT_EQ(
          AEGetNthPtr(&reply.selection, i, typeFSRef, nullptr, nullptr, &ref, sizeof ref, nullptr),
          noErr);
      out.push_back(PathOfRef(ref));
    }
    return out;
  }

  static AEDesc LocationOf(const std::string& path) {
    FSRef ref;
    sp_platform::files::MakeFSRef(Locate(path), &ref);
    AEDesc desc = {typeNull, nullptr};
    AECreateDesc(typeFSRef, &ref, sizeof ref, &desc);
    return desc;
  }

  // Makes the dialog of the kind on the test folder, runs and disposes of it.
  enum class Kind { kGet, kPut, kChooseFolder };
  void Run(Kind kind, const NavDialogCreationOptions& options, bool filter = true) {
    NavDialogRef dialog = nullptr;
    switch (kind) {
      case Kind::kGet:
        ASSERT_EQ(NavCreateGetFileDialog(&options, nullptr, EventProc, nullptr,
                                         filter ? Filter : nullptr, &seen_, &dialog),
                  noErr);
        break;
      case Kind::kPut:
        ASSERT_EQ(NavCreatePutFileDialog(&options, 0, 0, EventProc, &seen_, &dialog), noErr);
        break;
      case Kind::kChooseFolder:
        ASSERT_EQ(NavCreateChooseFolderDialog(&options, EventProc, nullptr, &seen_, &dialog),
                  noErr);
        break;
    }
    AEDesc location = LocationOf(folder_);
    EXPECT_EQ(NavCustomControl(dialog, kNavCtlSetLocation, &location), noErr);
    AEDisposeDesc(&location);
    seen_.messages.clear();
    EXPECT_EQ(NavDialogRun(dialog), noErr);
    EXPECT_EQ(NavDialogRun(nullptr), paramErr);
    NavDialogDispose(dialog);
  }

  std::unique_ptr<sp_testing::HomeScope> home_;
  std::unique_ptr<sp_testing::ResponderScope> responder_;
  std::string folder_;
  Seen seen_;
};

TEST_F(NavigationTest,
       OpenListsFoldersFirstByNameLeavesOutHiddenAndFilteredEntriesAndRepliesWithTheChoice) {
  Respond(sp_testing::NavChoose({"a.aiff"}));
  Run(Kind::kGet, Options());
  EXPECT_EQ(sp_testing::NavListedNames(), (Strings{"sub", "Zeta", "a.aiff"}));
  EXPECT_EQ(seen_.filtered, (Strings{"sub/", "Zeta/", "a.aiff", "b.txt"}))
      << "the filter sees every entry offered, in the order shown";
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_TRUE(seen_.reply.validRecord);
  EXPECT_EQ(seen_.reply.saveFileName, nullptr);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/a.aiff"}));
  EXPECT_EQ(seen_.messages,
            (Messages{kNavCBCustomize, kNavCBStart, kNavCBUserAction, kNavCBTerminate}));
}

// A folder whose entries take the filter long to judge is listed a slice of time at a time
// while the dialog runs: the dialog takes its first event after a slice, and in the end lists
// every entry in order and answers a choice among the last.
TEST_F(NavigationTest, ALargeFolderIsListedWhileTheDialogRuns) {
  Strings expected = {"sub", "Zeta", "a.aiff"};
  for (int i = 0; i < 40; ++i) {
    const std::string name = "slow" + std::to_string(10 + i) + ".aiff";
    Touch(folder_ + "/" + name);
    expected.push_back(name);
  }
  seen_.judgingMicros = 3000;
  std::size_t judgedAtFirstLook = 0, judgedAtSecondLook = 0;
  Respond(sp_testing::NavLook([&](WindowRef) { judgedAtFirstLook = seen_.filtered.size(); }));
  Respond(sp_testing::NavLook([&](WindowRef) { judgedAtSecondLook = seen_.filtered.size(); }));
  Respond(sp_testing::NavChoose({"slow49.aiff"}));
  Run(Kind::kGet, Options());
  EXPECT_EQ(judgedAtFirstLook, 4u) << "a first slice of 10 ms at 3 ms an entry";
  EXPECT_GT(judgedAtSecondLook, judgedAtFirstLook) << "listed on by the loop";
  EXPECT_EQ(seen_.filtered.size(), expected.size() + 1) << "each judged once, b.txt too";
  EXPECT_EQ(sp_testing::NavListedNames(), expected);
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/slow49.aiff"}));
}

TEST_F(NavigationTest, CancelSendsNoUserActionAndInvisibleFilesShowOnlyWhenAllowed) {
  Respond(sp_testing::NavCancel());
  Run(Kind::kGet, Options(kNavAllowInvisibleFiles));
  EXPECT_FALSE(seen_.gotReply);
  EXPECT_EQ(seen_.messages, (Messages{kNavCBCustomize, kNavCBStart, kNavCBTerminate}));
  EXPECT_EQ(sp_testing::NavListedNames(), (Strings{"sub", "Zeta", ".hidden.aiff", "a.aiff"}));
}

TEST_F(NavigationTest, NamesAreListedAndAnsweredAsTheFileSystemSpellsThem) {
  const Strings names = {"Déjà vu ♪.aiff", "日本語の曲.aiff",
                         std::string(90, 'L') + " a name longer than any classic one.aiff"};
  for (const std::string& n : names) Touch(folder_ + "/" + n);
  Respond(sp_testing::NavChoose({names[0]}));
  Run(Kind::kGet, Options(), false);
  const Strings listed = sp_testing::NavListedNames();
  for (const std::string& n : names) {
    EXPECT_NE(std::find(listed.begin(), listed.end(), n), listed.end()) << n;
  }
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/" + names[0]}));
}

// Letters are compared without regard to case; a name comes before the longer names it
// begins; names that differ only in case keep one order (byte for byte).
TEST_F(NavigationTest, NamesAreOrderedAsAPersonReadsThemWithFoldersFirst) {
  for (const char* name : {"track 2", "Track", "tra", "TRACK", "Tracks.aiff", "b"}) {
    Touch(folder_ + "/" + name);
  }
  mkdir((folder_ + "/Sub").c_str(), 0700);
  Respond(sp_testing::NavCancel());
  Run(Kind::kGet, Options(), false);
  EXPECT_EQ(sp_testing::NavListedNames(),
            (Strings{"Sub", "sub", "Zeta", "a.aiff", "b", "b.txt", "tra", "TRACK", "Track",
                     "track 2", "Tracks.aiff"}));
}

TEST_F(NavigationTest, ClicksAndArrowKeysSelectAndDoubleClicksOpenFoldersAndChooseFiles) {
  std::string shownAfterDoubleClick;
  Strings afterArrows, afterShift, afterCommand;
  Respond(sp_testing::NavLook([](WindowRef w) { PostClickOn(w, "sub", 0, 2); }));
  Respond(sp_testing::NavLook(
              [&](WindowRef w) { shownAfterDoubleClick = sp_testing::NavShownFolder(w); })
              .PressKey(kDownArrow, kDownArrowKey)
              .PressKey(kDownArrow, kDownArrowKey));
  Respond(sp_testing::NavLook([&](WindowRef w) {
    afterArrows = sp_testing::NavSelectedNames(w);
    PostClickOn(w, "c.aiff", 0, 2);
  }));
  Run(Kind::kGet, Options(kNavDefaultNavDlogOptions & ~kNavAllowMultipleFiles));
  EXPECT_EQ(shownAfterDoubleClick, folder_ + "/sub");
  EXPECT_EQ(afterArrows, (Strings{"d.aiff"}));
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/sub/c.aiff"}));
}

// Letters typed over the list select the first name they begin, in either case, spaces
// included; after a pause the next letter begins a name anew, and letters that no name begins
// change nothing.
TEST_F(NavigationTest, TypedLettersSelectTheFirstNameTheyBegin) {
  for (const char* name : {"apple.aiff", "Banana.aiff", "blueberry.aiff", "b", "b 2.aiff"}) {
    Touch(folder_ + "/" + name);
  }
  Strings afterSpace, afterBl, afterPause, afterNoMatch;
  Respond(Answer().TypeText("b").TypeText(" "));
  Respond(sp_testing::NavLook([&](WindowRef w) {
            afterSpace = sp_testing::NavSelectedNames(w);
            sp_testing::AdvanceClockTicks(2 * GetDblTime() + 1);
          }).TypeText(" ").TypeText("B").TypeText("L"));
  Respond(sp_testing::NavLook([&](WindowRef w) {
            afterBl = sp_testing::NavSelectedNames(w);
            sp_testing::AdvanceClockTicks(2 * GetDblTime() + 1);
          }).TypeText("a").TypeText("p"));
  Respond(sp_testing::NavLook([&](WindowRef w) { afterPause = sp_testing::NavSelectedNames(w); })
              .TypeText("x"));
  Respond(sp_testing::NavLook([&](WindowRef w) { afterNoMatch = sp_testing::NavSelectedNames(w); }));
  Respond(sp_testing::NavCancel());
  Run(Kind::kGet, Options());
  EXPECT_EQ(afterSpace, (Strings{"b 2.aiff"}));
  EXPECT_EQ(afterBl, (Strings{"blueberry.aiff"})) << "a space after a pause begins nothing";
  EXPECT_EQ(afterPause, (Strings{"apple.aiff"}));
  EXPECT_EQ(afterNoMatch, (Strings{"apple.aiff"}));
}

// The wheel scrolls the list a row a notch, over its rows or its scroll bar, and stops at its
// ends; a wheel elsewhere in the dialog, or across, moves nothing. The list holds sub, Zeta,
// a.aiff and f00.aiff to f39.aiff.
TEST_F(NavigationTest, TheWheelOverTheListOrItsScrollBarScrollsItARowANotch) {
  for (int i = 0; i < 40; ++i) Touch(folder_ + "/f" + (i < 10 ? "0" : "") + std::to_string(i) + ".aiff");
  enum Where { kRows, kBar, kBeside };
  const struct {
    Where where;
    SInt32 notches;
    EventMouseWheelAxis axis;
    int top;  // index of the top row after; -1: the last page
    const char* why;
  } steps[] = {
      {kRows, -1, kEventMouseWheelAxisY, 1, "a notch towards the person shows the next row"},
      {kRows, -3, kEventMouseWheelAxisY, 4, "three notches three rows"},
      {kBar, 2, kEventMouseWheelAxisY, 2, "over the scroll bar, up two rows"},
      {kRows, -1, kEventMouseWheelAxisX, 2, "the list has no horizontal bar: a tilt moves nothing"},
      {kBeside, -1, kEventMouseWheelAxisY, 2, "beside the list: nothing moves"},
      {kRows, 10, kEventMouseWheelAxisY, 0, "it stops at the first row"},
      {kRows, -100000, kEventMouseWheelAxisY, -1, "and at the last page, however hard it turns"},
  };
  Strings tops;
  int rows = 0;
  Point places[3] = {};  // local, by Where; measured while the first row is in view
  Respond(sp_testing::NavLook([&rows, &places](WindowRef w) {
    Rect first;
    ASSERT_TRUE(sp_testing::NavEntryRect(w, "sub", &first));
    places[kRows] = Point{SInt16(first.top + 5), SInt16(first.left + 30)};
    places[kBar] = Point{SInt16(first.top + 40), SInt16(first.right + 9)};
    places[kBeside] = Point{SInt16(first.top + 5), SInt16(first.left - 6)};
    ControlRef bar = FindControlUnderMouse(places[kBar], w, nullptr);
    ASSERT_NE(bar, nullptr);
    rows = GetControlViewSize(bar);
  }));
  for (const auto& step : steps) {
    Respond(sp_testing::NavLook([&places, &step](WindowRef w) {
      sp_testing::PostWheel(GlobalOf(w, places[step.where]), step.notches, step.axis);
    }));
    Respond(sp_testing::NavLook([&tops](WindowRef w) {
      tops.push_back(sp_testing::NavTopShownName(w));
    }));
  }
  Respond(sp_testing::NavCancel());
  Run(Kind::kGet, Options());
  const Strings names = sp_testing::NavListedNames();
  ASSERT_EQ(names.size(), 43u);
  ASSERT_GT(rows, 3);
  ASSERT_EQ(tops.size(), std::size(steps));
  for (std::size_t i = 0; i < tops.size(); ++i) {
    const int top = steps[i].top >= 0 ? steps[i].top : int(names.size()) - rows;
    EXPECT_EQ(tops[i], names[std::size_t(top)]) << steps[i].why;
  }
}

// Two clicks on a folder open it when the second comes within the double-click time (30
// ticks) of the first, and not a tick later.
TEST_F(NavigationTest, TwoClicksOpenAFolderOnlyWithinTheDoubleClickTime) {
  const struct {
    SInt64 apart;  // microseconds
    bool opens;
  } cases[] = {{0, true}, {500000, true}, {516667, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.apart);
    std::string shown;
    Respond(sp_testing::NavLook([&](WindowRef w) {
      PostClickOn(w, "sub");
      sp_testing::AdvanceClockMicroseconds(c.apart);
      PostClickOn(w, "sub");
    }));
    Respond(sp_testing::NavLook([&](WindowRef w) { shown = sp_testing::NavShownFolder(w); }));
    Respond(sp_testing::NavCancel());
    Run(Kind::kGet, Options());
    EXPECT_EQ(shown, c.opens ? folder_ + "/sub" : folder_);
  }
}

TEST_F(NavigationTest, ShiftExtendsCommandTogglesAndCommandASelectsAllOnlyWhereSeveralMayBe) {
  for (bool several : {true, false}) {
    SCOPED_TRACE(several ? "several" : "one");
    Strings afterShift, afterCommand, afterAll;
    Respond(sp_testing::NavLook([](WindowRef w) {
      PostClickOn(w, "a.aiff");
      PostClickOn(w, "b.txt", shiftKey);
    }));
    Respond(sp_testing::NavLook([&](WindowRef w) {
      afterShift = sp_testing::NavSelectedNames(w);
      PostClickOn(w, "a.aiff", cmdKey);
    }));
    Respond(sp_testing::NavLook([&](WindowRef w) {
              afterCommand = sp_testing::NavSelectedNames(w);
            }).PressKey('a', 0x00, cmdKey));
    Respond(sp_testing::NavLook([&](WindowRef w) {
              afterAll = sp_testing::NavSelectedNames(w);
            }).ClickItem(kNavItemDefaultButton));
    if (seen_.gotReply) NavDisposeReply(&seen_.reply);
    seen_ = Seen();
    seen_.hideText = false;
    Run(Kind::kGet, Options(several ? NavDialogOptionFlags(kNavAllowMultipleFiles) : 0));
    const Strings shifted = several ? Strings{"a.aiff", "b.txt"} : Strings{"b.txt"};
    const Strings toggled = several ? Strings{"b.txt"} : Strings{"a.aiff"};
    EXPECT_EQ(afterShift, shifted);
    EXPECT_EQ(afterCommand, toggled);
    // Command-A takes every entry where several may be chosen; the folders among them are
    // left out of the reply.
    const Strings all = several ? Strings{"sub", "Zeta", "a.aiff", "b.txt"} : toggled;
    EXPECT_EQ(afterAll, all);
    ASSERT_TRUE(seen_.gotReply);
    const Strings replied = several ? Strings{folder_ + "/a.aiff", folder_ + "/b.txt"}
                                    : Strings{folder_ + "/a.aiff"};
    EXPECT_EQ(ReplyPaths(seen_.reply), replied);
  }
}

// The reply holds the chosen files in their order, each as itself; one gone since it was
// chosen is left out.
TEST_F(NavigationTest, SeveralChosenFilesAreAnsweredInOrderLeavingOutOnesGoneSinceChosen) {
  Touch(folder_ + "/e.aiff");
  Respond(sp_testing::NavChoose({"a.aiff", "b.txt", "e.aiff"})
              .Do([this](WindowRef) { unlink((folder_ + "/b.txt").c_str()); }, "remove b.txt"));
  seen_.hideText = false;
  Run(Kind::kGet, Options(kNavAllowMultipleFiles));
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/a.aiff", folder_ + "/e.aiff"}));
}

// What went since the list showed it is told, and the list is read anew (the nearest folder
// above a folder that went); a link to a folder is a folder, which a save does not replace.
TEST_F(NavigationTest, WhatWentSinceItWasListedIsToldAndTheListReadAnew) {
  const std::string gone = folder_ + "/Zeta";
  ASSERT_EQ(symlink("sub", (folder_ + "/link").c_str()), 0);
  Respond(sp_testing::NavSave("link"));
  Respond(Answer::Return());
  Respond(sp_testing::NavSave("x.aiff", gone).Do([gone](WindowRef) { rmdir(gone.c_str()); },
                                                 "remove Zeta"));
  Respond(Answer::Return());
  Respond(sp_testing::NavSave("x.aiff"));
  Run(Kind::kPut, Options());
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_})) << "saved where it was shown after";
  NavDisposeReply(&seen_.reply);
  seen_.gotReply = false;

  // A file that went leaves its folder in place: that same folder is read anew, not its parent.
  std::string shownAfter;
  Strings listedAfter;
  Respond(sp_testing::NavChoose({"a.aiff"}).Do(
      [this](WindowRef) { unlink((folder_ + "/a.aiff").c_str()); }, "remove a.aiff"));
  Respond(Answer::Return());
  Respond(sp_testing::NavLook([&](WindowRef w) {
            shownAfter = sp_testing::NavShownFolder(w);
            listedAfter = sp_testing::NavListedNames();
          }));
  Respond(sp_testing::NavCancel());
  Run(Kind::kGet, Options());
  EXPECT_FALSE(seen_.gotReply);
  EXPECT_EQ(shownAfter, folder_);
  EXPECT_EQ(std::count(listedAfter.begin(), listedAfter.end(), "a.aiff"), 0);
  EXPECT_EQ(std::count(listedAfter.begin(), listedAfter.end(), "sub"), 1);

  Strings told;
  for (const sp_testing::Shown& shown : sp_testing::ShownSoFar()) {
    if (shown.kind == sp_testing::ShownKind::kAlert)
      told.push_back(sp::text::MacJapaneseToUTF8(shown.message));
  }
  EXPECT_EQ(told, (Strings{"同じ名前のフォルダがあるため、保存できません。", "「Zeta」が見つかりません。",
                           "「a.aiff」が見つかりません。"}));
}

// The name field reads as the list does: the program's '/' is the ':' on disk, and a typed
// ':' is kept (the program gets it as '/'); only '/' cannot be in a Linux name.
TEST_F(NavigationTest, SaveNeedsAUsableNewNameAndRepliesWithTheFolderAndTheName) {
  Touch(folder_ + "/曲: 04:18.aiff");
  NavDialogCreationOptions options = Options();
  options.saveFileName = CFStringCreateWithCString(nullptr, "曲/ 04/18.aiff", kCFStringEncodingUTF8);
  std::string initial;
  bool activeWhenEmpty = true;
  Respond(sp_testing::NavLook([&](WindowRef w) {
    initial = sp_testing::DialogItemTextUTF8(GetDialogFromWindow(w), kNavItemNameField);
    sp_platform::nav::SetSaveName(w, "");
    activeWhenEmpty = IsControlActive(ItemControl(GetDialogFromWindow(w), kNavItemDefaultButton));
  }));
  Respond(sp_testing::NavSave("a/b.aiff"));
  Respond(Answer::Return());  // this name cannot be
  Respond(sp_testing::NavSave("sub"));
  Respond(Answer::Return());  // a folder cannot be replaced
  // Too long for a Linux name: 256 bytes typed, or 85 kanji (255 bytes here, 259 on disk).
  Respond(sp_testing::NavSave(std::string(251, 'x') + ".aiff"));
  Respond(Answer::Return());
  std::string kanji;
  for (int i = 0; i < 85; ++i) kanji += "曲";
  Respond(sp_testing::NavSave(kanji + ".aiff"));
  Respond(Answer::Return());
  Respond(sp_testing::NavSave("曲: 04:18.aiff"));
  Respond(Answer().ClickButtonUTF8("置き換える"));  // the file of that Linux name
  Run(Kind::kPut, options);
  CFRelease(options.saveFileName);
  EXPECT_EQ(initial, "曲: 04:18.aiff");
  EXPECT_FALSE(activeWhenEmpty);
  const std::vector<sp_testing::Shown>& shown = sp_testing::ShownSoFar();
  ASSERT_EQ(shown.size(), 11u);
  for (std::size_t i : {2, 4, 6, 8, 10}) {
    EXPECT_EQ(shown[i].kind, sp_testing::ShownKind::kAlert) << i;
  }
  for (std::size_t i : {6, 8}) {
    EXPECT_EQ(sp::text::MacJapaneseToUTF8(shown[i].message), "名前が長すぎます。") << i;
  }
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_TRUE(seen_.reply.replacing);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_}));
  char name[64] = {};
  CFStringGetCString(seen_.reply.saveFileName, name, sizeof name, kCFStringEncodingUTF8);
  EXPECT_STREQ(name, "曲/ 04/18.aiff");
}

// A new folder is made and opened; one whose name is taken is told in the dialog's language.
TEST_F(NavigationTest, NewFolderMakesTheFolderAndOpensIt) {
  Respond(Answer::Click(kNavItemNewFolderButton));
  Respond(Answer().SetEditTextUTF8(4, "sub").ClickItem(1));
  Respond(Answer::Return());
  Respond(Answer::Click(kNavItemNewFolderButton));
  Respond(Answer().SetEditTextUTF8(4, "アルバム").ClickItem(1));
  Respond(Answer::Click(kNavItemDefaultButton));
  const std::size_t before = sp_testing::ShownSoFar().size();
  Run(Kind::kChooseFolder, Options());
  struct stat st;
  EXPECT_EQ(stat((folder_ + "/アルバム").c_str(), &st), 0);
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/アルバム"}));
  const auto& shown = sp_testing::ShownSoFar();
  EXPECT_TRUE(std::any_of(shown.begin() + std::ptrdiff_t(before), shown.end(), [](const auto& s) {
    return sp::text::MacJapaneseToUTF8(s.explanation) ==
           "同じ名前の項目が既にあります。別の名前を付けてください。";
  })) << "the folder sub exists";
}

TEST_F(NavigationTest, WindowModalWithAVisibleParentIsASheetOnItElseAModalDialog) {
  WindowRef parent = MakeWindow(R(100, 100, 600, 800));
  for (bool visible : {true, false}) {
    SCOPED_TRACE(visible ? "visible parent" : "hidden parent");
    if (!visible) HideWindow(parent);
    NavDialogCreationOptions options = Options();
    options.modality = kWindowModalityWindowModal;
    options.parentWindow = parent;
    WindowRef sheetParent = nullptr;
    Respond(sp_testing::NavLook([&](WindowRef w) {
              GetSheetWindowParent(w, &sheetParent);
            }).ClickItem(kNavItemCancelButton));
    Run(Kind::kPut, options);
    EXPECT_EQ(sheetParent, visible ? parent : nullptr);
    const sp_testing::ShownKind expected =
        visible ? sp_testing::ShownKind::kSheet : sp_testing::ShownKind::kModalDialog;
    EXPECT_EQ(sp_testing::ShownSoFar().back().kind, expected);
  }
}

// A 'DITL' of one button at (0, 0) of the custom area.
Handle OneButtonItemList() {
  const std::vector<UInt8> bytes = {0, 0,  0, 0,   0, 0, 0,   0,   0,   8,
                                    0, 20, 0, 108, 4, 4, 'H', 'e', 'l', 'p'};
  Handle h = NewHandle(Size(bytes.size()));
  std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

TEST_F(NavigationTest, ACustomAreaGrowsTheDialogAndItsControlsReportTheirPresses) {
  seen_.customWidth = 600;
  seen_.customHeight = 40;
  seen_.items = OneButtonItemList();
  Rect content{0, 0, 0, 0}, button{0, 0, 0, 0};
  std::vector<SInt16> hits;
  Respond(sp_testing::NavLook([&](WindowRef w) {
            content = Bounds(w);
            button = ItemRect(GetDialogFromWindow(w), kNavItemCustomArea + 1);
          })
              .ClickItem(kNavItemCustomArea + 1)
              .ClickItem(kNavItemCancelButton));
  Run(Kind::kChooseFolder, Options());
  DisposeHandle(seen_.items);
  EXPECT_EQ(seen_.proposed.right, 0) << "the area is proposed empty";
  EXPECT_EQ(seen_.proposed.bottom, 0);
  EXPECT_EQ(seen_.firstControl, kNavItemCustomArea);
  EXPECT_EQ(content.right - content.left, 600 + 24) << "wide enough for the area";
  EXPECT_EQ(button.top, seen_.proposed.top);
  EXPECT_EQ(button.left, seen_.proposed.left + 8);
  EXPECT_GT(content.bottom - content.top, button.bottom + 20) << "the buttons moved below it";
}

TEST_F(NavigationTest, BookmarksAndTheDesktopFoldersArePlacesAndThePopupGoesThere) {
  Strings parsed;
  for (const auto& p : sp_platform::nav::ParseBookmarks("file:///a/My%20Music Songs\r\n"
                                                        "sftp://host/x\nfile:///b//c/\n"
                                                        "file://relative\nfile:///d")) {
    parsed.push_back(p.label + "=" + p.path);
  }
  EXPECT_EQ(parsed, (Strings{"Songs=/a/My Music", "c=/b/c", "d=/d"}));
  mkdir(home_->Path("Desktop").c_str(), 0700);
  mkdir(home_->Path(".config/gtk-3.0").c_str(), 0700);
  std::ofstream(home_->Path(".config/gtk-3.0/bookmarks"))
      << "file://" << folder_ << "/sub Favourite\nfile:///no/such/folder Gone\n";
  Strings places;
  for (const auto& p : sp_platform::nav::DesktopPlaces()) places.push_back(p.label + "=" + p.path);
  EXPECT_EQ(places, (Strings{"ホーム=" + home_->Home(), "デスクトップ=" + home_->Path("Desktop"),
                             "Favourite=" + folder_ + "/sub"}));

  // The popup: the folder shown and those above it, a line, then the places.
  Respond(sp_testing::NavLook([](WindowRef w) {
    ControlPartCode part = 0;
    Rect popup = ItemRect(GetDialogFromWindow(w), kNavItemLocationPopup);
    ControlRef control = FindControlUnderMouse(
        Pt(SInt16((popup.left + popup.right) / 2), SInt16((popup.top + popup.bottom) / 2)), w,
        &part);
    ASSERT_NE(control, nullptr);
    const sp_testing::MenuModel menu = sp_testing::ReadMenu(GetControlPopupMenuHandle(control));
    ASSERT_GE(menu.items.size(), 4u);
    EXPECT_EQ(menu.items[0].text, "music");
    EXPECT_TRUE(menu.items[menu.items.size() - 4].separator);
    sp_testing::SetNextPopUpMenuSelect(menu.id, MenuItemIndex(menu.items.size()));
    PostClick(w, popup);
  }));
  Respond(sp_testing::NavChooseFolder(""));
  Run(Kind::kChooseFolder, Options());
  ASSERT_TRUE(seen_.gotReply);
  EXPECT_EQ(ReplyPaths(seen_.reply), (Strings{folder_ + "/sub"}));
}

TEST_F(NavigationTest, OneCallFormsAnswerWithFSSpecsAndCancelAsUserCanceled) {
  NavReplyRecord reply;
  const SInt32 musicID = SInt32(Locate(folder_).nodeID);
  const SInt32 subID = SInt32(Locate(folder_ + "/sub").nodeID);
  FSSpec location = {-1, musicID, {0}};
  AEDesc desc = {typeNull, nullptr};
  AECreateDesc(typeFSS, &location, sizeof location, &desc);
  auto first = [&reply]() {
    FSSpec spec{};
    EXPECT_EQ(
        AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, &spec, sizeof spec, nullptr),
        noErr);
    return std::to_string(spec.parID) + ":" + PText(spec.name);
  };

  Respond(sp_testing::NavChooseFolder(folder_ + "/sub"));
  ASSERT_EQ(NavChooseFolder(&desc, &reply, nullptr, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(first(), std::to_string(subID) + ":") << "a folder as its own id, no name";
  NavDisposeReply(&reply);

  Respond(sp_testing::NavSave("x.aiff"));
  ASSERT_EQ(NavPutFile(&desc, &reply, nullptr, nullptr, 0, 0, nullptr), noErr);
  EXPECT_EQ(first(), std::to_string(musicID) + ":x.aiff");
  EXPECT_EQ(NavCompleteSave(&reply, kNavTranslateInPlace), noErr);
  NavDisposeReply(&reply);

  Respond(sp_testing::NavChoose({"a.aiff"}));
  ASSERT_EQ(NavGetFile(&desc, &reply, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(first(), std::to_string(musicID) + ":a.aiff");
  NavDisposeReply(&reply);

  Respond(sp_testing::NavCancel());
  EXPECT_EQ(NavChooseObject(&desc, &reply, nullptr, nullptr, nullptr, nullptr), userCanceledErr);
  EXPECT_FALSE(reply.validRecord);
  NavDisposeReply(&reply);
  AEDisposeDesc(&desc);
}

TEST_F(NavigationTest, ATypeListLeavesOutFilesOfOtherTypesButNotUntypedOnes) {
  FSSpec spec;
  ASSERT_EQ(FSMakeFSSpec(-1, SInt32(Locate(folder_).nodeID), PStr("b.txt"), &spec), noErr);
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&spec, &info), noErr);
  info.fdType = 0x54455854;  // 'TEXT'
  FSpSetFInfo(&spec, &info);
  FSpGetFInfo(&spec, &info);
  if (info.fdType != 0x54455854) GTEST_SKIP() << "this file system keeps no Finder information";
  Handle list = NewHandleClear(sizeof(NavTypeList));
  NavTypeList* types = reinterpret_cast<NavTypeList*>(*list);
  types->osTypeCount = 1;
  types->osType[0] = 0x41494646;  // 'AIFF'
  NavDialogCreationOptions options = Options();
  NavDialogRef dialog = nullptr;
  ASSERT_EQ(NavCreateGetFileDialog(&options, reinterpret_cast<NavTypeListHandle>(list), nullptr,
                                   nullptr, nullptr, nullptr, &dialog),
            noErr);
  DisposeHandle(list);
  Respond(sp_testing::NavCancel());
  AEDesc location = LocationOf(folder_);
  NavCustomControl(dialog, kNavCtlSetLocation, &location);
  AEDisposeDesc(&location);
  NavDialogRun(dialog);
  NavDialogDispose(dialog);
  EXPECT_EQ(sp_testing::NavListedNames(), (Strings{"sub", "Zeta", "a.aiff"}));
}

}  // namespace
}  // namespace ui_test
