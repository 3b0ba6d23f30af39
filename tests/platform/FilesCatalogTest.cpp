// The catalogue: ids that survive renames, moves and restarts, FSRefs stored as bytes, look-ups
// by name, path and index, volumes.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "FilesFixture.h"
#include "Processes.h"
#include "TestFiles.h"
#include "files/CFURLFiles.h"
#include "files/detail/Catalog.h"

namespace {

using namespace files_test;
namespace fs = sp_platform::files;

class FilesCatalog : public ::testing::Test {
 protected:
  Folder Make(const std::string& relative) {
    EXPECT_EQ(mkdir(home_.Path(relative).c_str(), 0700), 0) << relative;
    return FolderAt(home_, relative);
  }
  SInt32 FileID(const Folder& folder, const std::string& name) {
    return FileInfoOf(folder, name).fileParam.ioDirID;
  }
  // PBResolveFileIDRefSync: the result, and the parent and name it gives.
  OSErr Resolve(SInt16 vRefNum, SInt32 fileID, SInt32* parent = nullptr,
                std::string* name = nullptr) {
    HParamBlockRec pb{};
    Str31 buffer{};
    pb.fidParam.ioNamePtr = buffer;
    pb.fidParam.ioVRefNum = vRefNum;
    pb.fidParam.ioFileID = fileID;
    OSErr err = PBResolveFileIDRefSync(&pb);
    if (parent != nullptr) *parent = pb.fidParam.ioSrcDirID;
    if (name != nullptr) *name = Text(buffer);
    return err;
  }
  FSRef Ref(const Folder& folder, const std::string& name) {
    FSSpec spec{};
    EXPECT_EQ(FSMakeFSSpec(folder.vRefNum, folder.dirID, PStr(name), &spec), noErr) << name;
    FSRef ref{};
    EXPECT_EQ(FSpMakeFSRef(&spec, &ref), noErr) << name;
    return ref;
  }

  sp_testing::HomeScope home_;
};

TEST_F(FilesCatalog, PathsIdsAndNamesLeadBackToTheSameItems) {
  const Folder music = Make("Music");
  const Folder album = Make("Music/Album");
  WriteHostFile(home_.Path("Music/Album/1 Track.aiff"), "FORM");
  WriteHostFile(home_.Path("top.txt"), "x");
  const Folder home = FolderAt(home_, "");
  const struct {
    Folder folder;
    const char* name;
    std::string path;
  } cases[] = {
      {home, "top.txt", home_.Path("top.txt")},
      {album, "1 Track.aiff", home_.Path("Music/Album/1 Track.aiff")},
      {music, "Album", home_.Path("Music/Album")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FSRef ref = Ref(c.folder, c.name);
    EXPECT_EQ(PathOf(ref), c.path);
    FSCatalogInfo info{};
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNodeID | kFSCatInfoParentDirID | kFSCatInfoNodeFlags,
                               &info, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_EQ(SInt32(info.parentDirID), c.folder.dirID);
    // By id, back to the folder and the name.
    CInfoPBRec pb;
    std::string name;
    if (info.nodeFlags & kFSNodeIsDirectoryMask) {
      ASSERT_EQ(CatInfoOf(c.folder.vRefNum, SInt32(info.nodeID), -1, &pb, &name), noErr);
      EXPECT_EQ(pb.dirInfo.ioDrParID, c.folder.dirID);
    } else {
      EXPECT_EQ(CatInfoOf(c.folder.vRefNum, SInt32(info.nodeID), -1, &pb), dirNFErr);
      SInt32 parent = 0;
      ASSERT_EQ(Resolve(c.folder.vRefNum, SInt32(info.nodeID), &parent, &name), noErr);
      EXPECT_EQ(parent, c.folder.dirID);
    }
    EXPECT_EQ(name, c.name);
  }
  // The root folder is id 2, its parent 1, and its name is the volume's.
  CInfoPBRec pb;
  std::string name;
  ASSERT_EQ(CatInfoOf(home.vRefNum, fsRtDirID, -1, &pb, &name), noErr);
  EXPECT_EQ(pb.dirInfo.ioDrParID, fsRtParID);
  EXPECT_EQ(name, fs::FindVolume(-1)->name);
}

TEST_F(FilesCatalog, AFileIdFollowsRenamesAndMovesMadeThroughTheLayer) {
  const Folder a = Make("A");
  const Folder b = Make("B");
  WriteHostFile(home_.Path("A/song.aiff"), "FORM");
  const SInt32 id = FileID(a, "song.aiff");
  ASSERT_EQ(HRename(a.vRefNum, a.dirID, PStr("song.aiff"), PStr("renamed.aiff")), noErr);
  SInt32 parent = 0;
  std::string name;
  ASSERT_EQ(Resolve(a.vRefNum, id, &parent, &name), noErr);
  EXPECT_EQ(parent, a.dirID);
  EXPECT_EQ(name, "renamed.aiff");
  ASSERT_EQ(CatMove(a.vRefNum, a.dirID, PStr("renamed.aiff"), b.dirID, nullptr), noErr);
  // Renaming the folder takes the ids inside it along; the folder keeps its id.
  ASSERT_EQ(HRename(b.vRefNum, FolderAt(home_, "").dirID, PStr("B"), PStr("B2")), noErr);
  ASSERT_EQ(Resolve(a.vRefNum, id, &parent, &name), noErr);
  EXPECT_EQ(parent, b.dirID);
  EXPECT_EQ(PathOf(Ref(Folder{b.vRefNum, parent, ""}, name)), home_.Path("B2/renamed.aiff"));
}

TEST_F(FilesCatalog, AnIdIsFoundNearItsLastPlaceAfterOtherProgramsMoveIt) {
  const Folder lib = Make("Lib");
  Make("Lib/Sub");
  Make("Lib/Sub/Deeper");
  WriteHostFile(home_.Path("Lib/a.aiff"), "1");
  const SInt32 id = FileID(lib, "a.aiff");
  const struct {
    const char* from;
    const char* to;
    bool found;
  } steps[] = {
      {"Lib/a.aiff", "Lib/b.aiff", true},                         // renamed in its folder
      {"Lib/b.aiff", "Lib/Sub/b.aiff", true},                     // moved one level down
      {"Lib", "Library", true},                                   // its folder renamed
      {"Library/Sub/b.aiff", "Library/Sub/Deeper/b.aiff", true},  // on from where found
      {"Library/Sub/Deeper/b.aiff", "b.aiff", false},             // moved far away
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.to);
    ASSERT_EQ(rename(home_.Path(s.from).c_str(), home_.Path(s.to).c_str()), 0);
    std::string name;
    EXPECT_EQ(Resolve(lib.vRefNum, id, nullptr, &name), s.found ? noErr : fidNotFound);
    EXPECT_EQ(name, s.found ? "b.aiff" : "");
  }
  fs::Location folder;
  ASSERT_EQ(fs::LocateNode(lib.vRefNum, UInt32(lib.dirID), folder), noErr);
  EXPECT_EQ(folder.path, home_.Path("Library"));
}

TEST_F(FilesCatalog, IdsAndStoredFSRefsResolveAfterARestart) {
  const Folder folder = Make("Settings");
  WriteHostFile(home_.Path("Settings/prefs"), "p");
  const SInt32 id = FileID(folder, "prefs");
  const FSRef ref = Ref(folder, "prefs");
  // The layout callers may store: magic, volume, id and parent, big-endian, zeros after.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ref.hidden), 4), "SpRf");
  EXPECT_EQ(SInt16(sp::LoadBE16(ref.hidden + 4)), folder.vRefNum);
  EXPECT_EQ(SInt32(sp::LoadBE32(ref.hidden + 8)), id);
  EXPECT_EQ(SInt32(sp::LoadBE32(ref.hidden + 12)), folder.dirID);
  EXPECT_TRUE(std::all_of(ref.hidden + 20, ref.hidden + 80, [](UInt8 b) { return b == 0; }));
  UInt8 stored[80];
  std::memcpy(stored, ref.hidden, sizeof stored);

  // Renamed after the ids were handed out, then the program quits and starts again.
  ASSERT_EQ(HRename(folder.vRefNum, folder.dirID, PStr("prefs"), PStr("prefs old")), noErr);
  sp_testing::RestartFileCatalogue();
  ASSERT_EQ(
      rename(home_.Path("Settings/prefs old").c_str(), home_.Path("Settings/prefs 2").c_str()), 0);
  SInt32 parent = 0;
  std::string name;
  ASSERT_EQ(Resolve(folder.vRefNum, id, &parent, &name), noErr);
  EXPECT_EQ(parent, folder.dirID);
  EXPECT_EQ(name, "prefs 2");
  FSRef restored{};
  std::memcpy(restored.hidden, stored, sizeof stored);
  EXPECT_EQ(PathOf(restored), home_.Path("Settings/prefs 2"));

  FSRef zero{};
  EXPECT_EQ(FSGetCatalogInfo(&zero, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr),
            errFSBadFSRef);
  ASSERT_EQ(unlink(home_.Path("Settings/prefs 2").c_str()), 0);
  EXPECT_EQ(FSGetCatalogInfo(&restored, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr),
            fnfErr);
  EXPECT_EQ(FSMakeFSRefUnicode(nullptr, 0, nullptr, 0, &restored), paramErr);
}

TEST_F(FilesCatalog, ADamagedCatalogueFileIsIgnored) {
  WriteHostFile(home_.Path("kept"), "k");
  const Folder home = FolderAt(home_, "");
  const SInt32 id = FileID(home, "kept");
  sp_testing::RestartFileCatalogue();
  const std::string file = fs::CatalogueFilePath();
  const std::string good = ReadHostFile(file);
  ASSERT_GT(good.size(), 20u);

  sp::ByteWriter escaping;  // a well-formed file whose entry climbs out of its volume
  escaping.BE32(0x53704643);
  escaping.BE16(1);
  escaping.BE32(1);
  escaping.BE16(1);
  escaping.Bytes("/", 1);
  for (UInt32 v : {0x80000000u, 1u, 77u, 2u}) escaping.BE32(v);
  escaping.BE64(77);
  escaping.BE16(9);
  escaping.Bytes("../etc/x", 9);
  std::string random(good.size(), '\0');
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = char((i * 7919 + 13) & 0xFF);
  const std::string cases[] = {
      good.substr(0, good.size() / 2),
      good.substr(0, good.size() - 1),
      good + "x",
      random,
      "SpFC",
      std::string(escaping.Data().begin(), escaping.Data().end()),
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.size());
    WriteHostFile(file, bytes);
    // Renamed while the program was not running: only a trusted record could find it.
    ASSERT_EQ(rename(home_.Path("kept").c_str(), home_.Path("moved").c_str()), 0);
    EXPECT_EQ(Resolve(home.vRefNum, id), fidNotFound);
    // Paths and names work on, and give the items the same ids as before.
    EXPECT_EQ(FolderAt(home_, "").dirID, home.dirID);
    EXPECT_EQ(FileID(home, "moved"), id);
    sp_testing::RestartFileCatalogue();
    EXPECT_EQ(Resolve(home.vRefNum, id), noErr) << "and the file is good again";
    ASSERT_EQ(rename(home_.Path("moved").c_str(), home_.Path("kept").c_str()), 0);
    ASSERT_EQ(FileID(home, "kept"), id);
    sp_testing::RestartFileCatalogue();
  }
}

TEST_F(FilesCatalog, IndexWalksListByteOrderAndCountAllItems) {
  const Folder walk = Make("Walk");
  Make("Walk/folder");
  // U+97F3 is 0x89B9 in MacJapanese; its UTF-8 bytes sort after every ASCII name.
  for (const char* n : {"b", "a", "C", "\xE9\x9F\xB3", "10", "9", ".hidden"}) {
    WriteHostFile(home_.Path(std::string("Walk/") + n), n);
  }
  symlink("/nonexistent", home_.Path("Walk/dangling").c_str());
  CInfoPBRec pb;
  ASSERT_EQ(CatInfoOf(walk.vRefNum, walk.dirID, -1, &pb), noErr);
  ASSERT_EQ(pb.dirInfo.ioDrNmFls, 8) << "items that are no file or folder are not counted";
  const char* expected[] = {".hidden", "10", "9", "C", "a", "b", "folder", "\x89\xB9"};
  for (SInt16 i = 1; i <= 8; ++i) {
    std::string name;
    ASSERT_EQ(CatInfoOf(walk.vRefNum, walk.dirID, i, &pb, &name), noErr) << i;
    EXPECT_EQ(name, expected[i - 1]);
    EXPECT_EQ((pb.hFileInfo.ioFlAttrib & kioFlAttribDirMask) != 0, name == "folder");
  }
  EXPECT_EQ(CatInfoOf(walk.vRefNum, walk.dirID, 9, &pb), fnfErr);
}

TEST_F(FilesCatalog, BulkListingsEndWithNoMoreItemsAfterTheLastBatch) {
  Make("Bulk");
  for (int i = 0; i < 45; ++i) WriteHostFile(home_.Path("Bulk/f" + std::to_string(100 + i)), "");
  Make("Bulk/sub");
  const FSRef folder = Ref(FolderAt(home_, ""), "Bulk");
  FSIterator it = nullptr;
  EXPECT_EQ(FSOpenIterator(&folder, kFSIterateSubtree, &it), errFSBadIteratorFlags);
  ASSERT_EQ(FSOpenIterator(&folder, kFSIterateFlat, &it), noErr);
  std::vector<ItemCount> batches;
  std::vector<std::string> seen;
  int folders = 0;
  for (;;) {
    FSCatalogInfo infos[20];
    HFSUniStr255 names[20];
    FSSpec specs[20];
    ItemCount n = 99;
    const OSErr err =
        FSGetCatalogInfoBulk(it, 20, &n, nullptr, kFSCatInfoNodeFlags | kFSCatInfoParentDirID,
                             infos, nullptr, specs, names);
    if (err != noErr) {
      EXPECT_EQ(err, errFSNoMoreItems);
      EXPECT_EQ(n, 0u);
      break;
    }
    batches.push_back(n);
    for (ItemCount i = 0; i < n; ++i) {
      seen.push_back(Text(specs[i].name));
      EXPECT_EQ(names[i].length, specs[i].name[0]);
      if (infos[i].nodeFlags & kFSNodeIsDirectoryMask) ++folders;
      EXPECT_EQ(SInt32(infos[i].parentDirID), specs[i].parID);
    }
  }
  EXPECT_EQ(batches, (std::vector<ItemCount>{20, 20, 6}));
  EXPECT_EQ(folders, 1);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  ItemCount n = 0;
  EXPECT_EQ(FSGetCatalogInfoBulk(it, 20, &n, nullptr, 0, nullptr, nullptr, nullptr, nullptr),
            errFSNoMoreItems)
      << "and stays at its end";
  EXPECT_EQ(FSCloseIterator(it), noErr);
  EXPECT_EQ(FSCloseIterator(it), errFSIteratorNotFound) << "a closed iterator is refused";
}

TEST_F(FilesCatalog, FullAndPartialPathsNameItemsFromTheVolumeOrTheFolder) {
  const Folder p = Make("P");
  const Folder q = Make("P/Q");
  WriteHostFile(home_.Path("P/Q/leaf"), "");
  const fs::Volume* volume = fs::FindVolume(kOnSystemDisk);
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(volume->vRefNum, -1);
  // The home folder's path from the volume's root, in classic form.
  std::string relative =
      home_.Home().substr(volume->mountPoint == "/" ? 1 : volume->mountPoint.size() + 1);
  std::replace(relative.begin(), relative.end(), '/', ':');
  const std::string full = volume->name + ":" + relative + ":P:Q:leaf";
  const struct {
    SInt16 vRefNum;
    SInt32 dirID;
    std::string name;
    OSErr result;
    SInt32 parent;
  } cases[] = {
      {0, 0, full, noErr, q.dirID},
      {-32768, 12345, full, noErr, q.dirID},
      {p.vRefNum, p.dirID, ":Q:leaf", noErr, q.dirID},
      {q.vRefNum, q.dirID, "leaf", noErr, q.dirID},
      {q.vRefNum, q.dirID, "::Q:leaf", noErr, q.dirID},
      {q.vRefNum, q.dirID, ":missing:leaf", dirNFErr, 0},
      {q.vRefNum, q.dirID, "absent", fnfErr, q.dirID},
      {0, 0, "NoSuchVolume:x", nsvErr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FSSpec spec{};
    EXPECT_EQ(FSMakeFSSpec(c.vRefNum, c.dirID, PStr(c.name), &spec), c.result);
    EXPECT_EQ(spec.parID, c.parent);
  }
  HParamBlockRec vpb{};
  PStr volName(volume->name + ":");
  vpb.volumeParam.ioNamePtr = volName;
  vpb.volumeParam.ioVolIndex = -1;
  ASSERT_EQ(PBHGetVInfoSync(&vpb), noErr);
  EXPECT_EQ(vpb.volumeParam.ioVRefNum, -1);
  EXPECT_EQ(Text(volName), volume->name);
}

TEST_F(FilesCatalog, VolumesAreListedFromTheHomeVolumeOnAndEndWithNsvErr) {
  ItemCount index = 1;
  std::vector<SInt16> numbers;
  for (;; ++index) {
    FSVolumeRefNum actual = 0;
    FSVolumeInfo info{};
    OSErr err = FSGetVolumeInfo(kFSInvalidVolumeRefNum, index, &actual,
                                kFSVolInfoFSInfo | kFSVolInfoSizes, &info, nullptr, nullptr);
    if (err == nsvErr) break;
    ASSERT_EQ(err, noErr);
    numbers.push_back(actual);
    EXPECT_GE(info.totalBytes, info.freeBytes);
    ASSERT_LT(index, 1000u);
  }
  ASSERT_FALSE(numbers.empty());
  EXPECT_EQ(numbers[0], -1);
  for (SInt16 asked : {SInt16(0), SInt16(kOnSystemDisk), SInt16(-1)}) {
    HParamBlockRec pb{};
    pb.volumeParam.ioVRefNum = asked;
    ASSERT_EQ(PBHGetVInfoSync(&pb), noErr);
    EXPECT_EQ(pb.volumeParam.ioVRefNum, -1);
  }
  HParamBlockRec past{};
  past.volumeParam.ioVolIndex = SInt16(index);
  EXPECT_EQ(PBHGetVInfoSync(&past), nsvErr);
  past.volumeParam.ioVolIndex = SInt16(index - 1);
  EXPECT_EQ(PBHGetVInfoSync(&past), noErr) << "the last volume is still listed";
}

TEST_F(FilesCatalog, MovesBetweenVolumesAreRefused) {
  Make("Other");
  WriteHostFile(home_.Path("item"), "");
  const SInt16 other = fs::AddEmulatedVolume(home_.Path("Other"), "Other", 0, 0);
  ASSERT_NE(other, 0);
  FSSpec item{}, dest{};
  const Folder home = FolderAt(home_, "");
  ASSERT_EQ(FSMakeFSSpec(home.vRefNum, home.dirID, PStr("item"), &item), noErr);
  ASSERT_EQ(FSMakeFSSpec(other, fsRtDirID, nullptr, &dest), noErr);
  EXPECT_EQ(FSpCatMove(&item, &dest), badMovErr);
  FSRef itemRef{}, destRef{};
  ASSERT_EQ(FSpMakeFSRef(&item, &itemRef), noErr);
  ASSERT_EQ(FSpMakeFSRef(&dest, &destRef), noErr);
  EXPECT_EQ(FSMoveObject(&itemRef, &destRef, nullptr), badMovErr);
  EXPECT_EQ(FSCompareFSRefs(&itemRef, &destRef), diffVolErr);
  EXPECT_TRUE(HostExists(home_.Path("item")));
}

TEST_F(FilesCatalog, TheApplicationsSpecNamesTheRunningExecutable) {
  ProcessSerialNumber psn{0, kCurrentProcess};
  ProcessInfoRec info{};
  FSSpec spec{};
  info.processAppSpec = &spec;
  ASSERT_EQ(GetProcessInformation(&psn, &info), noErr);
  FSRef ref{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  EXPECT_EQ(PathOf(ref), exe);
}

}  // namespace
