// The volume list from the mount table.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Files.h"
#include "FilesFixture.h"
#include "Folders.h"
#include "PrivateMounts.h"
#include "TestFiles.h"
#include "TestQuickTime.h"
#include "files/detail/Catalog.h"
#include "files/detail/FilesInternal.h"
#include "files/detail/MountTable.h"

namespace {

class FilesVolumes : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto it = mounted_.rbegin(); it != mounted_.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
    sp_platform::files::SetMountTableText("");
    sp_testing::ResetFiles();
  }

  // Mounts a small tmpfs at a new folder of the home; false where this process may not mount
  // or the mount table does not show the mount (the volume list is built from that table).
  bool MountTmpfs(const std::string& relative) {
    const std::string path = home_.Path(relative);
    std::filesystem::create_directories(path);
    if (!test_support::UsePrivateMounts()) return false;
    if (mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
    mounted_.push_back(path);
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
      if (line.find(" " + path + " ") != std::string::npos) return true;
    }
    return false;
  }

  sp_testing::HomeScope home_;
  std::vector<std::string> mounted_;
};

// Each row: folders mounted in this order (spaces written as mountinfo writes them), and the
// volume names expected; each name, as a full path's first part, must find its own volume.
TEST_F(FilesVolumes, NoTwoVolumesShareANameOrTheClassicFormItIsShownIn) {
  const std::string longName = "abcdefghijklmnopqrstuvwxyz0123";  // past 27 bytes
  const struct {
    std::vector<std::string> folders;
    std::vector<std::string> names;
    const char* why;
  } cases[] = {
      {{"a/data", "b/data"}, {"data", "data 2"}, "the later one gets a number"},
      {{"a/data", "b/data 2", "c/data"}, {"data", "data 2", "data 3"}, "past a taken number"},
      {{"a/" + longName, "b/" + longName},
       {longName, "abcdefghijklmnopqrstuvwxy 2"},
       "a long name is shortened so that its number shows"},
      {{"a/" + longName, "b/abcdefghijklmnopqrstuvwxyz0124"},
       {longName, "abcdefghijklmnopqrstuvwxy 2"},
       "different names shown by the same stand-in"},
  };
  for (const auto& c : cases) {
    std::string table;
    for (std::size_t i = 0; i < c.folders.size(); ++i) {
      const std::string path = home_.Path(c.folders[i]);
      std::filesystem::create_directories(path);
      std::string escaped;
      for (char ch : path) escaped += ch == ' ' ? std::string("\\040") : std::string(1, ch);
      table += std::to_string(50 + i) + " 1 0:9" + std::to_string(i) + " / " + escaped +
               " rw - tmpfs tmpfs rw\n";
    }
    sp_platform::files::SetMountTableText(table);
    sp_testing::ResetFiles();
    for (std::size_t i = 0; i < c.folders.size(); ++i) {
      const sp_platform::files::Volume* volume =
          sp_platform::files::VolumeOfPath(home_.Path(c.folders[i]));
      ASSERT_NE(volume, nullptr) << c.why;
      EXPECT_EQ(volume->name, c.names[i]) << c.why;
      Str255 name = {0};
      HParamBlockRec pb = {};
      pb.volumeParam.ioNamePtr = name;
      pb.volumeParam.ioVRefNum = volume->vRefNum;
      ASSERT_EQ(PBHGetVInfoSync(&pb), noErr) << c.why;
      const std::string full = std::string(reinterpret_cast<char*>(name + 1), name[0]) + ":x";
      files_test::PStr asked(full);
      pb = {};
      pb.volumeParam.ioNamePtr = asked;
      pb.volumeParam.ioVolIndex = -1;
      ASSERT_EQ(PBHGetVInfoSync(&pb), noErr) << c.why << ": " << full;
      EXPECT_EQ(pb.volumeParam.ioVRefNum, volume->vRefNum) << c.why << ": " << full;
      EXPECT_EQ(FlushVol(asked, 0), noErr) << c.why << ": " << full;
    }
  }
}

// Naming takes steps in proportion to the mounts, however many share a folder name (a
// container host mounts hundreds of folders named "merged"), a shortened start or nothing:
// eight times the mounts take about eight times the steps, and the names are those the
// first free number gives.
TEST_F(FilesVolumes, NamingManyMountsTakesStepsInProportionToThem) {
  const std::string start = "abcdefghijklmnopqrstuvwxyz";  // with more, past 27 bytes
  const struct {
    const char* why;
    std::function<std::string(std::size_t)> folder;
    std::function<std::string(std::size_t)> name;  // empty: not checked
  } kinds[] = {
      {"one folder name", [](std::size_t) { return std::string("merged"); },
       [](std::size_t i) { return i == 0 ? std::string("merged") : "merged " + std::to_string(i + 1); }},
      {"long names shown by one stand-in",
       [&](std::size_t i) { return start + "-" + std::to_string(1000 + i); },
       [&](std::size_t i) {
         if (i == 0) return start + "-1000";
         const std::string number = " " + std::to_string(i + 1);
         return start.substr(0, 27 - number.size()) + number;
       }},
      {"names of their own", [](std::size_t i) { return "disk" + std::to_string(i); },
       [](std::size_t i) { return "disk" + std::to_string(i); }},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.why);
    std::size_t steps[2] = {0, 0};
    for (int round = 0; round < 2; ++round) {
      const std::size_t count = round == 0 ? 40 : 320;
      std::string table;
      std::vector<std::string> paths;
      for (std::size_t i = 0; i < count; ++i) {
        paths.push_back(home_.Path("m" + std::to_string(i) + "/" + kind.folder(i)));
        std::filesystem::create_directories(paths.back());
        table += std::to_string(50 + i) + " 1 0:" + std::to_string(90 + i) + " / " + paths.back() +
                 " rw - tmpfs tmpfs rw\n";
      }
      const std::size_t before = sp_platform::files::VolumeNamingSteps();
      sp_platform::files::SetMountTableText(table);
      sp_testing::ResetFiles();
      for (std::size_t i = 0; i < count; ++i) {
        const sp_platform::files::Volume* volume = sp_platform::files::VolumeOfPath(paths[i]);
        ASSERT_NE(volume, nullptr) << i;
        ASSERT_EQ(volume->name, kind.name(i)) << i;
      }
      steps[round] = sp_platform::files::VolumeNamingSteps() - before;
    }
    EXPECT_GT(steps[0], 0u);
    EXPECT_LE(steps[1], steps[0] * 10) << "eight times the mounts: " << steps[0] << " then "
                                       << steps[1] << " steps";
  }
}

// mountinfo writes space, tab, newline and backslash in a mount point as octal escapes, also
// at its very end; each mount point is read back as the folder it is.
TEST_F(FilesVolumes, MountPointsWithEscapedCharactersAreTheirOwnFolders) {
  const std::string names[] = {"end ", "tab\there", "new\nline", "back\\slash", "\\ \t"};
  std::string table;
  int n = 0;
  for (const std::string& name : names) {
    const std::string path = home_.Path("m/" + name);
    std::filesystem::create_directories(path);
    std::string escaped;
    for (char ch : path) {
      if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\\') {
        escaped += {'\\', char('0' + ((ch >> 6) & 7)), char('0' + ((ch >> 3) & 7)),
                    char('0' + (ch & 7))};
      } else {
        escaped += ch;
      }
    }
    table += std::to_string(60 + n) + " 1 0:8" + std::to_string(n) + " / " + escaped +
             " rw - tmpfs tmpfs rw\n";
    ++n;
  }
  sp_platform::files::SetMountTableText(table);
  sp_testing::ResetFiles();
  for (const std::string& name : names) {
    const sp_platform::files::Volume* volume =
        sp_platform::files::VolumeOfPath(home_.Path("m/" + name));
    ASSERT_NE(volume, nullptr) << name;
    EXPECT_EQ(volume->mountPoint, home_.Path("m/" + name));
  }
}

// Volumes are named after their mount point's last folder; two such folders of the same name
// elsewhere must still give two names, or a full path built for one opens the other's file.
TEST_F(FilesVolumes, FullPathsOfTwoMountsWithTheSameFolderNameOpenTheirOwnFiles) {
  const std::vector<std::string> mounts = {"a/data", "b/data"};
  for (const std::string& m : mounts) {
    if (!MountTmpfs(m)) GTEST_SKIP() << "cannot mount a tmpfs at " << home_.Path(m) << " here";
    files_test::WriteHostFile(home_.Path(m + "/same.txt"), "file of " + m);
  }
  sp_testing::ResetFiles();
  std::vector<std::string> names;
  for (const std::string& m : mounts) {
    const sp_platform::files::Volume* volume =
        sp_platform::files::VolumeOfPath(home_.Path(m + "/same.txt"));
    ASSERT_NE(volume, nullptr) << m;
    ASSERT_EQ(volume->mountPoint, home_.Path(m));
    HParamBlockRec pb = {};
    Str255 name = {0};
    pb.volumeParam.ioNamePtr = name;
    pb.volumeParam.ioVRefNum = volume->vRefNum;
    ASSERT_EQ(PBHGetVInfoSync(&pb), noErr) << m;
    names.push_back(std::string(reinterpret_cast<char*>(name + 1), name[0]));
    SInt16 ref = 0;
    ASSERT_EQ(HOpenDF(0, 0, files_test::PStr(names.back() + ":same.txt"), fsRdPerm, &ref), noErr)
        << names.back();
    char bytes[64] = {};
    SInt32 count = sizeof bytes;
    EXPECT_EQ(FSRead(ref, &count, bytes), eofErr);
    EXPECT_EQ(std::string(bytes, std::size_t(count)), "file of " + m) << names.back();
    FSClose(ref);
  }
  EXPECT_NE(names[0], names[1]);
  EXPECT_EQ(names[0], "data") << "the earlier mount keeps the folder's name";
}

// A disk mounted while the program runs (a stick plugged in) is a volume of its own from the
// next look-up on, not part of the file system below it: its own number, its own free space
// and its own Trash (which trash-cli finds too). Unmounted, it goes away again.
TEST_F(FilesVolumes, ADiskMountedWhileTheProgramRunsIsAVolumeOfItsOwnUntilUnmounted) {
  // (The test's own mount namespace comes first: the layer watches the table of the namespace
  // it first read.)
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
  const files_test::Folder below = files_test::FolderAt(home_, "");
  std::filesystem::create_directories(home_.Path("stick"));
  if (!MountTmpfs("stick")) GTEST_SKIP() << "this process may not mount a tmpfs";
  files_test::WriteHostFile(home_.Path("stick/song.aiff"), "sound");
  const files_test::Folder stick = files_test::FolderAt(home_, "stick");
  ASSERT_NE(stick.vRefNum, below.vRefNum);
  EXPECT_EQ(stick.dirID, fsRtDirID) << "the root folder of its volume";
  // Reached by name from the home folder (as a file dialog goes), it is that volume too.
  const FSRef homeRef = files_test::RefAt(home_, "");
  const UniChar stickName[] = {'s', 't', 'i', 'c', 'k'};
  FSRef byName{};
  ASSERT_EQ(FSMakeFSRefUnicode(&homeRef, 5, stickName, kTextEncodingUnknown, &byName), noErr);
  FSCatalogInfo reached{};
  ASSERT_EQ(FSGetCatalogInfo(&byName, kFSCatInfoVolume | kFSCatInfoNodeID, &reached, nullptr,
                             nullptr, nullptr),
            noErr);
  EXPECT_EQ(reached.volume, stick.vRefNum);
  EXPECT_EQ(reached.nodeID, UInt32(fsRtDirID));

  FSVolumeInfo info{};
  HFSUniStr255 name{};
  ASSERT_EQ(FSGetVolumeInfo(stick.vRefNum, 0, nullptr, kFSVolInfoSizes, &info, &name, nullptr),
            noErr);
  EXPECT_EQ(std::string(name.unicode, name.unicode + name.length), "stick");
  EXPECT_EQ(info.totalBytes, 64u * 1024u) << "the tmpfs's size, not the disk's below it";
  EXPECT_LE(info.freeBytes, 64u * 1024u);

  SInt16 trashVolume = 0;
  SInt32 trash = 0;
  ASSERT_EQ(FindFolder(stick.vRefNum, kTrashFolderType, kCreateFolder, &trashVolume, &trash),
            noErr);
  EXPECT_EQ(trashVolume, stick.vRefNum);
  const std::string trashFiles = home_.Path("stick/.Trash-" + std::to_string(getuid()) + "/files");
  EXPECT_EQ(files_test::FolderAt(home_, trashFiles.substr(home_.Home().size() + 1)).dirID, trash);
  ASSERT_EQ(CatMove(stick.vRefNum, fsRtDirID, files_test::PStr("song.aiff"), trash, nullptr), noErr)
      << "a move within the volume";
  std::string listed;
  sp_testing::RunProgram({"trash-list"}, listed);
  EXPECT_NE(listed.find(home_.Path("stick/song.aiff")), std::string::npos) << listed;

  const sp_platform::files::Volume* held = sp_platform::files::FindVolume(stick.vRefNum);
  ASSERT_NE(held, nullptr);
  ASSERT_EQ(umount2(home_.Path("stick").c_str(), MNT_DETACH), 0);
  mounted_.pop_back();
  EXPECT_EQ(FSGetVolumeInfo(stick.vRefNum, 0, nullptr, kFSVolInfoNone, nullptr, nullptr, nullptr),
            nsvErr);
  EXPECT_EQ(files_test::FolderAt(home_, "stick").vRefNum, below.vRefNum);
  EXPECT_EQ(held->mountPoint, home_.Path("stick")) << "a volume held across a look-up stays";
}

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

// A later line for a mount point hides the earlier ones (a mount over a mount): the point is
// one volume, in the place and with the flags of its last line.
TEST_F(FilesVolumes, ALaterMountOnTheSamePointHidesTheEarlierOnes) {
  const std::string a = home_.Path("a"), b = home_.Path("b");
  std::filesystem::create_directories(a);
  std::filesystem::create_directories(b);
  const struct {
    std::vector<std::pair<std::string, std::string>> lines;  // mount point, options
    std::vector<std::string> volumes;
    const char* why;
  } cases[] = {
      {{{a, "rw"}, {b, "rw"}, {a, "ro"}}, {b + " rw", a + " ro"}, "the later one takes its place"},
      {{{a, "ro"}, {a, "rw"}, {b, "ro"}, {a, "ro"}, {a, "rw"}},
       {b + " ro", a + " rw"},
       "the last of many"},
  };
  for (const auto& c : cases) {
    std::string table;
    for (const auto& line : c.lines)
      table += "50 1 0:90 / " + line.first + " " + line.second + " - tmpfs t rw\n";
    sp_platform::files::SetMountTableText(table);
    sp_testing::ResetFiles();
    std::vector<std::string> volumes;
    for (const sp_platform::files::Volume* v : sp_platform::files::AllVolumes()) {
      if (v->mountPoint != a && v->mountPoint != b) continue;
      volumes.push_back(v->mountPoint +
                        ((v->flags & sp_platform::files::kVolumeReadOnly) ? " ro" : " rw"));
    }
    EXPECT_EQ(volumes, c.volumes) << c.why;
  }
}

}  // namespace

// Another program unmounts a file system after the program read the mount table: that volume
// is off line, and a walk over the volumes by index still reaches every volume after it.
TEST_F(FilesVolumes, AVolumeGoneFromUnderItsMountPointDoesNotEndAWalkByIndex) {
  const std::string gone = home_.Path("gone");
  std::filesystem::create_directories(gone);
  sp_platform::files::SetMountTableText("50 1 0:90 / " + gone + " rw - tmpfs tmpfs rw\n");
  sp_testing::ResetFiles();
  const std::string disc = home_.Path("Disc");
  std::filesystem::create_directories(disc);
  files_test::WriteHostFile(disc + "/.TOC.plist", "<plist version=\"1.0\"><dict/></plist>");
  const SInt16 cd = sp_testing::MountAudioCD(disc);
  ASSERT_NE(cd, 0);
  std::filesystem::remove(gone);

  std::vector<OSErr> answers;
  bool reachedTheDisc = false;
  for (ItemCount index = 1; index < 50; ++index) {
    FSVolumeRefNum actual = 0;
    const OSErr err = FSGetVolumeInfo(kFSInvalidVolumeRefNum, index, &actual, kFSVolInfoNone,
                                      nullptr, nullptr, nullptr);
    if (err == nsvErr) break;
    answers.push_back(err);
    reachedTheDisc = reachedTheDisc || (err == noErr && actual == cd);
  }
  EXPECT_TRUE(reachedTheDisc);
  EXPECT_NE(std::find(answers.begin(), answers.end(), OSErr(volOffLinErr)), answers.end());
}

// PBHGetVolParmsSync fills no more of the caller's buffer than ioReqCount asks for, and says
// how much it filled: a caller with an older, shorter record keeps the bytes after it.
TEST_F(FilesVolumes, VolumeParametersFillNoMoreOfTheBufferThanAsked) {
  const files_test::Folder home = files_test::FolderAt(home_, "");
  constexpr std::size_t kWhole = sizeof(GetVolParmsInfoBuffer);
  for (const std::size_t asked : {std::size_t(0), std::size_t(2), std::size_t(6), kWhole - 1,
                                  kWhole, kWhole + 8}) {
    SCOPED_TRACE(asked);
    std::vector<UInt8> buffer(kWhole + 16, 0xEE);
    HParamBlockRec pb{};
    pb.ioParam.ioVRefNum = home.vRefNum;
    pb.ioParam.ioBuffer = reinterpret_cast<Ptr>(buffer.data());
    pb.ioParam.ioReqCount = SInt32(asked);
    ASSERT_EQ(PBHGetVolParmsSync(&pb), noErr);
    const std::size_t filled = std::min(asked, kWhole);
    EXPECT_EQ(pb.ioParam.ioActCount, SInt32(filled));
    EXPECT_EQ(std::count(buffer.begin() + std::ptrdiff_t(filled), buffer.end(), 0xEE),
              std::ptrdiff_t(buffer.size() - filled))
        << "bytes past the count are the caller's";
    if (filled == kWhole) {
      GetVolParmsInfoBuffer info{};
      std::memcpy(&info, buffer.data(), kWhole);
      EXPECT_EQ(info.vMVersion, 4);
    }
  }
}
