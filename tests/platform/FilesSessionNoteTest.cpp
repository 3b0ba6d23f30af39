// The note of the session lock's holder is replaced whole through a side file of its own, and
// a side file a killed holder left goes at the next take.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "FilesFixture.h"
#include "SaveRaces.h"
#include "SessionLock.h"
#include "TestFiles.h"

namespace {

TEST(FilesSessionNote, TheHoldersNoteIsReplacedWholeAndAKilledWritersSideFileGoes) {
  sp_testing::HomeScope home;
  std::string folder;
  ASSERT_EQ(SpSessionFolder("notes", &folder), noErr);
  const std::string left =
      folder + "/note.new-" + std::to_string(test_support::EndedProcessId()) + "-1";
  files_test::WriteHostFile(left, "half a note");
  ASSERT_EQ(SpTakeSessionLock("notes", nullptr), noErr);
  EXPECT_FALSE(files_test::HostExists(left)) << "what a killed holder was writing";
  ASSERT_EQ(SpWriteSessionNote("notes", "a longer first note"), noErr);
  ASSERT_EQ(SpWriteSessionNote("notes", "window at 10,20"), noErr);
  EXPECT_EQ(files_test::ReadHostFile(folder + "/note"), "window at 10,20");
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"lock", "note"})) << "no side file stays";
  SpReleaseSessionLock("notes");
}

}  // namespace
