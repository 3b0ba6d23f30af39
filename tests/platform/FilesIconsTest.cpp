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

using files_test::HandleOf;
using files_test::PStr;
using files_test::WriteHostFile;

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

// Logs each type walked, with "+" when the suite holds it; stops with -7 at 'icl4'.
OSErr Walk(ResType type, Handle* icon, void* log) {
  *static_cast<std::string*>(log) += {char(type >> 24), char(type >> 16), char(type >> 8),
                                      char(type), *icon != nullptr ? '+' : ' '};
  return type == SpFourCC("icl4") ? OSErr(-7) : OSErr(noErr);
}

TEST(FilesIconSuites, ForEachIconDoWalksTheSelectedTypesInOrderAndStopsOnAnError) {
  IconSuiteRef suite = nullptr;
  ASSERT_EQ(NewIconSuite(&suite), noErr);
  ASSERT_EQ(AddIconToSuite(HandleOf("8"), suite, SpFourCC("icl8")), noErr);
  std::string log;
  EXPECT_EQ(ForEachIconDo(suite, kSelectorLarge1Bit | kSelectorLarge8Bit | kSelectorSmall1Bit, Walk,
                          &log),
            noErr);
  std::string stopped;
  EXPECT_EQ(ForEachIconDo(suite, kSelectorAllAvailableData, Walk, &stopped), -7);
  EXPECT_EQ(log, "ICN# icl8+ics# ");
  EXPECT_EQ(stopped, "ICN# icl4 ");
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
    mode_t mode;  // 0: a folder
    LSItemInfoFlags flags;
  } cases[] = {
      {"tool", 0755, kLSItemInfoIsPlainFile | kLSItemInfoIsApplication},
      {"player.desktop", 0644, kLSItemInfoIsPlainFile | kLSItemInfoIsApplication},
      {"song.aiff", 0644, kLSItemInfoIsPlainFile},
      {".desktop", 0644, kLSItemInfoIsPlainFile},
      {"Some.app", 0, kLSItemInfoIsContainer},
  };
  LSItemInfoRecord info{};
  for (const auto& c : cases) {
    const std::string path = docs.path + "/" + c.name;
    if (c.mode == 0) mkdir(path.c_str(), 0755);
    if (c.mode != 0) WriteHostFile(path, "#!/bin/sh\n");
    ASSERT_EQ(chmod(path.c_str(), c.mode == 0 ? 0755 : c.mode), 0);
    const FSRef ref = files_test::RefAt(home, "Documents/" + std::string(c.name));
    ASSERT_EQ(LSCopyItemInfoForRef(&ref, kLSRequestBasicFlagsOnly, &info), noErr);
    EXPECT_EQ(info.flags, c.flags) << c.name;
  }
  EXPECT_EQ(LSCopyItemInfoForRef(nullptr, kLSRequestBasicFlagsOnly, &info), paramErr);
  FSRef garbage{};
  EXPECT_NE(LSCopyItemInfoForRef(&garbage, kLSRequestBasicFlagsOnly, &info), noErr);
}

}  // namespace
