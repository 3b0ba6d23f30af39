#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "Files.h"
#include "FilesFixture.h"
#include "Folders.h"
#include "TestFiles.h"

namespace {

using files_test::HostExists;
using files_test::PStr;
using files_test::WriteHostFile;

class FilesAudioCD : public ::testing::Test {
 protected:
  // A disc folder: the table of contents and two tracks.
  std::string MakeDisc(const std::string& parent, const std::string& name) {
    std::string folder = parent + "/" + name;
    mkdir(parent.c_str(), 0700);
    EXPECT_EQ(mkdir(folder.c_str(), 0700), 0);
    WriteHostFile(folder + "/.TOC.plist", "<?xml version=\"1.0\"?><plist/>");
    WriteHostFile(folder + "/1 Opening.aiff", "FORM");
    WriteHostFile(folder + "/2 Finale.aiff", "FORM");
    return folder;
  }

  // The emulated discs among the mounted volumes, by name (and volume number).
  std::vector<std::string> DiscNames(std::vector<SInt16>* numbers = nullptr) {
    std::vector<std::string> names;
    for (ItemCount i = 1; i < 100; ++i) {
      FSVolumeRefNum v = 0;
      FSVolumeInfo info{};
      HFSUniStr255 name{};
      OSErr err =
          FSGetVolumeInfo(kFSInvalidVolumeRefNum, i, &v, kFSVolInfoFSInfo, &info, &name, nullptr);
      if (err == nsvErr) break;
      EXPECT_EQ(err, noErr);
      if (info.filesystemID != kSpAudioCDFileSystemID) continue;
      names.emplace_back(name.unicode, name.unicode + name.length);  // the names are ASCII
      if (numbers != nullptr) numbers->push_back(v);
    }
    return names;
  }

  sp_testing::HomeScope home_;
};

TEST_F(FilesAudioCD, AMountedDiscIsAReadOnlyVolumeOfItsOwnUntilEjected) {
  std::string folder = MakeDisc(home_.Path("discs"), "Disc A");
  SInt16 v = sp_testing::MountAudioCD(folder);
  ASSERT_NE(v, 0);
  EXPECT_EQ(sp_testing::MountAudioCD(folder + "/"), v) << "mounted once";

  std::vector<SInt16> numbers;
  EXPECT_EQ(DiscNames(&numbers), std::vector<std::string>{"Disc A"}) << "filesystem id 0x4A48";
  EXPECT_EQ(numbers, std::vector<SInt16>{v});

  SInt16 ref = 0;
  EXPECT_EQ(HOpenDF(v, fsRtDirID, PStr("2 Finale.aiff"), fsWrPerm, &ref), wPrErr);
  EXPECT_EQ(HOpenDF(v, fsRtDirID, PStr("2 Finale.aiff"), fsRdWrShPerm, &ref), wPrErr);
  EXPECT_EQ(HCreate(v, fsRtDirID, PStr("new"), 0, 0), wPrErr);
  EXPECT_FALSE(HostExists(folder + "/new"));

  SInt16 tv = 0;
  SInt32 tdir = 0;
  EXPECT_EQ(FindFolder(v, kTrashFolderType, kCreateFolder, &tv, &tdir), fnfErr)
      << "nothing is thrown away from a disc";
  // Ejected, the disc is gone and its folder stays.
  ASSERT_EQ(HOpenDF(v, fsRtDirID, PStr("1 Opening.aiff"), fsRdPerm, &ref), noErr);
  EXPECT_EQ(sp_testing::EjectAudioCD(v), fBsyErr) << "not while a track is open";
  EXPECT_EQ(FSClose(ref), noErr);

  EXPECT_EQ(sp_testing::EjectAudioCD(v), noErr);
  EXPECT_EQ(FSGetVolumeInfo(v, 0, nullptr, kFSVolInfoNone, nullptr, nullptr, nullptr), nsvErr);
  EXPECT_EQ(HOpenDF(v, fsRtDirID, PStr("1 Opening.aiff"), fsRdPerm, &ref), nsvErr);
  EXPECT_EQ(sp_testing::EjectAudioCD(v), nsvErr);
  EXPECT_TRUE(HostExists(folder + "/.TOC.plist"));

  SInt16 again = sp_testing::MountAudioCD(folder);
  EXPECT_NE(again, 0);
  EXPECT_NE(again, v) << "an ejected disc's number is not handed out again";
}

TEST_F(FilesAudioCD, TheMediaFoldersDiscsComeAndGoWithTheirFolders) {
  std::string media = home_.Path("media");
  MakeDisc(media, "Disc B");
  MakeDisc(media, "Disc A");
  mkdir((media + "/Not a disc").c_str(), 0700);
  sp_testing::SetMediaFolder(media);
  for (int pass : {1, 2})
    EXPECT_EQ(DiscNames(), (std::vector<std::string>{"Disc A", "Disc B"})) << pass;

  // Ejected through the File Manager: not mounted again from the media folder.
  std::vector<SInt16> numbers;
  DiscNames(&numbers);
  EXPECT_EQ(UnmountVol(nullptr, numbers.at(0)), noErr);
  EXPECT_EQ(DiscNames(), std::vector<std::string>{"Disc B"});

  // A disc whose folder is taken away goes too.
  ASSERT_EQ(rename((media + "/Disc B").c_str(), home_.Path("Disc B moved").c_str()), 0);
  EXPECT_TRUE(DiscNames().empty());

  sp_testing::SetMediaFolder(media);
  EXPECT_EQ(DiscNames(), std::vector<std::string>{"Disc A"}) << "set anew, ejected discs return";
  sp_testing::SetMediaFolder("");
  EXPECT_EQ(DiscNames(), std::vector<std::string>{"Disc A"}) << "mounted discs stay";
}

TEST_F(FilesAudioCD, WhatIsNoDiscIsNotMountedAndTheSystemsVolumesStay) {
  mkdir(home_.Path("plain").c_str(), 0700);
  WriteHostFile(home_.Path("plain/1 Song.aiff"), "FORM");
  for (const std::string& path : {home_.Path("plain"), home_.Path("missing"), std::string("rel")}) {
    EXPECT_EQ(sp_testing::MountAudioCD(path), 0) << path;
  }
  EXPECT_EQ(UnmountVol(nullptr, kOnSystemDisk), fBsyErr);
  EXPECT_EQ(UnmountVol(nullptr, -300), nsvErr);
  EXPECT_EQ(PBUnmountVol(nullptr), paramErr);
}

}  // namespace
