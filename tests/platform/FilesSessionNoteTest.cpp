// The note of the session lock's holder: replaced whole through a side file of its own, read
// by a copy that finds the lock taken, and a side file a killed holder left goes at the next
// take.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "FilesFixture.h"
#include "SaveRaces.h"
#include "SessionLock.h"
#include "TestFiles.h"

namespace {

using files_test::HostExists;
using files_test::WriteHostFile;

TEST(FilesSessionNote, TheHoldersNoteIsReplacedWholeAndAKilledWritersSideFileGoes) {
  sp_testing::HomeScope home;
  const char kName[] = "notes";
  std::string folder;
  ASSERT_EQ(SpSessionFolder(kName, &folder), noErr);
  const std::string left =
      folder + "/note.new-" + std::to_string(test_support::EndedProcessId()) + "-1";
  WriteHostFile(left, "half a note");

  // The other copy starts first and waits until the lock is taken and the note written.
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  const pid_t other = fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    char byte = 0;
    if (read(go[0], &byte, 1) != 1) _exit(3);
    std::string note;
    const OSErr err = SpTakeSessionLock(kName, &note);
    _exit(err == fBsyErr && note == "window at 10,20" ? 0 : 1);
  }
  close(go[0]);
  ASSERT_EQ(SpTakeSessionLock(kName, nullptr), noErr);
  EXPECT_FALSE(HostExists(left)) << "what a killed holder was writing";
  ASSERT_EQ(SpWriteSessionNote(kName, "first"), noErr);
  ASSERT_EQ(SpWriteSessionNote(kName, "window at 10,20"), noErr);
  ASSERT_EQ(write(go[1], "g", 1), 1);
  close(go[1]);
  int status = 0;
  ASSERT_EQ(waitpid(other, &status, 0), other);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other copy read the note";
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"lock", "note"})) << "no side file stays";
  SpReleaseSessionLock(kName);
  EXPECT_FALSE(HostExists(folder + "/note"));
}

}  // namespace
