#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "Files.h"
#include "FilesFixture.h"
#include "Icons.h"
#include "LaunchServices.h"
#include "MacMemory.h"
#include "Resources.h"
#include "TestFiles.h"
#include "TestResources.h"

namespace {

using files_test::PStr;
using files_test::WriteHostFile;

Handle HandleOf(const std::string& bytes) {
  Handle h = NewHandle(Size(bytes.size()));
  std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

TEST(FilesIconSuites, IconsAreKeptByTypeAndGivenBackAsTheSameHandles) {
  IconSuiteRef suite = nullptr;
  ASSERT_EQ(NewIconSuite(&suite), noErr);
  Handle large = HandleOf("large");
  Handle small = HandleOf("small");
  EXPECT_EQ(AddIconToSuite(large, suite, SpFourCC("ICN#")), noErr);
  EXPECT_EQ(AddIconToSuite(small, suite, SpFourCC("ics8")), noErr);
  EXPECT_EQ(AddIconToSuite(small, suite, SpFourCC("ics4")), noErr) << "one handle, two types";
  EXPECT_EQ(AddIconToSuite(large, suite, SpFourCC("PICT")), paramErr);

  Handle got = nullptr;
  EXPECT_EQ(GetIconFromSuite(&got, suite, SpFourCC("ICN#")), noErr);
  EXPECT_EQ(got, large);
  EXPECT_EQ(GetIconFromSuite(&got, suite, SpFourCC("icl8")), noSuchIconErr);
  EXPECT_EQ(got, nullptr);

  Handle notASuite = HandleOf("not a suite");
  EXPECT_EQ(GetIconFromSuite(&got, notASuite, SpFourCC("ICN#")), paramErr);
  EXPECT_EQ(AddIconToSuite(large, notASuite, SpFourCC("ICN#")), paramErr);
  EXPECT_EQ(DisposeIconSuite(notASuite, true), paramErr);
  DisposeHandle(notASuite);

  // Disposing with the data frees each handle once, also one standing in two places.
  EXPECT_EQ(DisposeIconSuite(suite, true), noErr);
}

struct WalkLog {
  std::vector<ResType> types;
  std::vector<bool> present;
  ResType stopAt = 0;
};

OSErr Walk(ResType type, Handle* icon, void* data) {
  auto* log = static_cast<WalkLog*>(data);
  log->types.push_back(type);
  log->present.push_back(*icon != nullptr);
  return type == log->stopAt ? OSErr(-7) : OSErr(noErr);
}

TEST(FilesIconSuites, ForEachIconDoWalksTheSelectedTypesInOrderAndStopsOnAnError) {
  IconSuiteRef suite = nullptr;
  ASSERT_EQ(NewIconSuite(&suite), noErr);
  ASSERT_EQ(AddIconToSuite(HandleOf("8"), suite, SpFourCC("icl8")), noErr);
  WalkLog log;
  EXPECT_EQ(ForEachIconDo(suite, kSelectorLarge1Bit | kSelectorLarge8Bit | kSelectorSmall1Bit, Walk,
                          &log),
            noErr);
  EXPECT_EQ(log.types,
            (std::vector<ResType>{SpFourCC("ICN#"), SpFourCC("icl8"), SpFourCC("ics#")}));
  EXPECT_EQ(log.present, (std::vector<bool>{false, true, false}));

  WalkLog stopping;
  stopping.stopAt = SpFourCC("icl4");
  EXPECT_EQ(ForEachIconDo(suite, kSelectorAllAvailableData, Walk, &stopping), -7);
  EXPECT_EQ(stopping.types.size(), 2u);

  EXPECT_EQ(ForEachIconDo(suite, kSelectorAllAvailableData, nullptr, nullptr), paramErr);
  EXPECT_EQ(DisposeIconSuite(suite, true), noErr);
}

TEST(FilesIconSuites, GetIconSuiteTakesTheApplicationsIconResourcesAndLeavesThemOwned) {
  sp_testing::ResetResources();
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("ICN#"), 128, "icn", 3), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("ics#"), 128, "ics", 3), noErr);
  IconSuiteRef suite = nullptr;
  ASSERT_EQ(GetIconSuite(&suite, 128, kSelectorAllAvailableData), noErr);
  Handle got = nullptr;
  ASSERT_EQ(GetIconFromSuite(&got, suite, SpFourCC("ics#")), noErr);
  EXPECT_EQ(got, GetResource(SpFourCC("ics#"), 128));
  EXPECT_EQ(GetIconFromSuite(&got, suite, SpFourCC("icl4")), noSuchIconErr);
  EXPECT_EQ(DisposeIconSuite(suite, true), noErr);
  Handle still = GetResource(SpFourCC("ICN#"), 128);
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(std::string(*still, 3), "icn") << "resources stay with the Resource Manager";

  IconSuiteRef none = nullptr;
  EXPECT_EQ(GetIconSuite(&none, 129, kSelectorAllAvailableData), resNotFound);
  EXPECT_EQ(GetIconSuite(&none, 128, kSelectorLarge8Bit), resNotFound) << "none of those types";
  sp_testing::ResetResources();
}

TEST(FilesLaunchServices, ApplicationsAreExecutablesAndLaunchersAndNothingIsAPackage) {
  sp_testing::HomeScope home;
  files_test::Folder docs = files_test::DocumentsFolder(home);
  const struct {
    const char* name;
    mode_t mode;
    bool folder;
    LSItemInfoFlags flags;
  } cases[] = {
      {"tool", 0755, false, kLSItemInfoIsPlainFile | kLSItemInfoIsApplication},
      {"player.desktop", 0644, false, kLSItemInfoIsPlainFile | kLSItemInfoIsApplication},
      {"song.aiff", 0644, false, kLSItemInfoIsPlainFile},
      {".desktop", 0644, false, kLSItemInfoIsPlainFile},
      {"Some.app", 0755, true, kLSItemInfoIsContainer},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = docs.path + "/" + c.name;
    if (c.folder) {
      ASSERT_EQ(mkdir(path.c_str(), c.mode), 0);
    } else {
      WriteHostFile(path, "#!/bin/sh\n");
      ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    }
    FSSpec spec{};
    ASSERT_EQ(FSMakeFSSpec(docs.vRefNum, docs.dirID, PStr(c.name), &spec), noErr);
    FSRef ref{};
    ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
    LSItemInfoRecord info{};
    ASSERT_EQ(LSCopyItemInfoForRef(&ref, kLSRequestBasicFlagsOnly, &info), noErr);
    EXPECT_EQ(info.flags, c.flags);
  }
  LSItemInfoRecord info{};
  EXPECT_EQ(LSCopyItemInfoForRef(nullptr, kLSRequestBasicFlagsOnly, &info), paramErr);
  FSRef garbage{};
  EXPECT_NE(LSCopyItemInfoForRef(&garbage, kLSRequestBasicFlagsOnly, &info), noErr);
}

}  // namespace
