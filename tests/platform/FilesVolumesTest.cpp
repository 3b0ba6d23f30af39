// The volume list from the mount table.
#include <gtest/gtest.h>

#include <string>

#include "Files.h"
#include "Folders.h"
#include "TestFiles.h"
#include "files/detail/MountTable.h"

namespace {

class FilesVolumes : public ::testing::Test {
 protected:
  void TearDown() override {
    sp_platform::files::SetMountTableText("");
    sp_testing::ResetFiles();
  }
  sp_testing::HomeScope home_;
};

// Inside a chroot the table shows only mounts made below the new root, not the root itself;
// the home folder must still be on a volume (the root's), whatever else is mounted.
TEST_F(FilesVolumes, HomeIsOnTheRootVolumeWhenTheTableDoesNotListTheRoot) {
  const std::string other = home_.Path("elsewhere");
  sp_platform::files::SetMountTableText(
      "40 1 0:99 / /proc rw,nosuid - proc proc rw\n"
      "41 1 0:98 / " +
      other + " rw - tmpfs tmpfs rw,size=64k\n");
  sp_testing::ResetFiles();
  HParamBlockRec pb = {};
  Str255 name = {0};
  pb.volumeParam.ioNamePtr = name;
  pb.volumeParam.ioVRefNum = -1;
  pb.volumeParam.ioVolIndex = 0;
  ASSERT_EQ(PBHGetVInfoSync(&pb), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Root");
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID),
            noErr);
  EXPECT_EQ(vRefNum, -1);
}

}  // namespace
