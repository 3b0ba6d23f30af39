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

using files_test::PStr;
using files_test::ReadHostFile;
using files_test::WriteHostFile;
namespace fs = sp_platform::files;

struct Place {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
};

class FilesCatalog : public ::testing::Test {
 protected:
  // A host folder of the temporary home as (volume, directory id).
  Place FolderAt(const std::string& relative) {
    fs::Location loc;
    EXPECT_EQ(fs::LocatePath(home_.Path(relative), loc), noErr) << relative;
    EXPECT_TRUE(loc.isFolder) << relative;
    return Place{loc.vRefNum, SInt32(loc.nodeID)};
  }
  std::string MakeFolder(const std::string& relative) {
    const std::string path = home_.Path(relative);
    EXPECT_EQ(mkdir(path.c_str(), 0700), 0) << relative;
    return path;
  }
  SInt32 FileID(Place folder, const std::string& name) {
    HParamBlockRec pb{};
    PStr n(name);
    pb.fileParam.ioNamePtr = n;
    pb.fileParam.ioVRefNum = folder.vRefNum;
    pb.fileParam.ioDirID = folder.dirID;
    EXPECT_EQ(PBHGetFInfoSync(&pb), noErr) << name;
    return pb.fileParam.ioDirID;
  }
  // PBResolveFileIDRefSync: the result, and the parent and name it gives.
  OSErr Resolve(SInt16 vRefNum, SInt32 fileID, SInt32* parent, std::string* name) {
    HParamBlockRec pb{};
    Str31 buffer{};
    pb.fidParam.ioNamePtr = buffer;
    pb.fidParam.ioVRefNum = vRefNum;
    pb.fidParam.ioFileID = fileID;
    OSErr err = PBResolveFileIDRefSync(&pb);
    if (parent != nullptr) *parent = pb.fidParam.ioSrcDirID;
    if (name != nullptr) *name = std::string(reinterpret_cast<char*>(buffer + 1), buffer[0]);
    return err;
  }
  std::string PathOf(const FSRef& ref) {
    fs::Location loc;
    return fs::LocateRef(&ref, loc) == noErr ? loc.path : std::string("(none)");
  }

  sp_testing::HomeScope home_;
};

TEST_F(FilesCatalog, PathsIdsAndNamesLeadBackToTheSameItems) {
  MakeFolder("Music");
  MakeFolder("Music/Album");
  WriteHostFile(home_.Path("Music/Album/1 Track.aiff"), "FORM");
  WriteHostFile(home_.Path("top.txt"), "x");
  const Place home = FolderAt("");
  const Place music = FolderAt("Music");
  const Place album = FolderAt("Music/Album");

  struct Case {
    Place folder;
    const char* name;
    std::string path;
  } cases[] = {
      {home, "top.txt", home_.Path("top.txt")},
      {album, "1 Track.aiff", home_.Path("Music/Album/1 Track.aiff")},
      {music, "Album", home_.Path("Music/Album")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FSSpec spec{};
    ASSERT_EQ(FSMakeFSSpec(c.folder.vRefNum, c.folder.dirID, PStr(c.name), &spec), noErr);
    EXPECT_EQ(spec.parID, c.folder.dirID);
    FSRef ref{};
    ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
    EXPECT_EQ(PathOf(ref), c.path);
    FSCatalogInfo info{};
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNodeID | kFSCatInfoParentDirID | kFSCatInfoNodeFlags,
                               &info, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_EQ(SInt32(info.parentDirID), c.folder.dirID);

    // By id, back to the folder and the name.
    CInfoPBRec pb{};
    Str255 name{};
    pb.dirInfo.ioNamePtr = name;
    pb.dirInfo.ioVRefNum = c.folder.vRefNum;
    pb.dirInfo.ioFDirIndex = -1;
    pb.dirInfo.ioDrDirID = SInt32(info.nodeID);
    if (info.nodeFlags & kFSNodeIsDirectoryMask) {
      ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
      EXPECT_EQ(pb.dirInfo.ioDrParID, c.folder.dirID);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), c.name);
    } else {
      EXPECT_EQ(PBGetCatInfoSync(&pb), dirNFErr) << "a file is no folder";
      SInt32 parent = 0;
      std::string resolved;
      ASSERT_EQ(Resolve(c.folder.vRefNum, SInt32(info.nodeID), &parent, &resolved), noErr);
      EXPECT_EQ(parent, c.folder.dirID);
      EXPECT_EQ(resolved, c.name);
    }
  }
  // The root folder is id 2, its parent 1, and its name is the volume's.
  CInfoPBRec pb{};
  Str255 name{};
  pb.dirInfo.ioNamePtr = name;
  pb.dirInfo.ioVRefNum = home.vRefNum;
  pb.dirInfo.ioFDirIndex = -1;
  pb.dirInfo.ioDrDirID = fsRtDirID;
  ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
  EXPECT_EQ(pb.dirInfo.ioDrParID, fsRtParID);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), fs::FindVolume(-1)->name);
}

TEST_F(FilesCatalog, AFileIdFollowsRenamesAndMovesMadeThroughTheLayer) {
  MakeFolder("A");
  MakeFolder("B");
  WriteHostFile(home_.Path("A/song.aiff"), "FORM");
  const Place a = FolderAt("A");
  const Place b = FolderAt("B");
  const SInt32 id = FileID(a, "song.aiff");

  ASSERT_EQ(HRename(a.vRefNum, a.dirID, PStr("song.aiff"), PStr("renamed.aiff")), noErr);
  SInt32 parent = 0;
  std::string name;
  ASSERT_EQ(Resolve(a.vRefNum, id, &parent, &name), noErr);
  EXPECT_EQ(parent, a.dirID);
  EXPECT_EQ(name, "renamed.aiff");

  ASSERT_EQ(CatMove(a.vRefNum, a.dirID, PStr("renamed.aiff"), b.dirID, nullptr), noErr);
  ASSERT_EQ(Resolve(a.vRefNum, id, &parent, &name), noErr);
  EXPECT_EQ(parent, b.dirID);

  // Renaming the folder takes the ids inside it along.
  ASSERT_EQ(HRename(b.vRefNum, FolderAt("").dirID, PStr("B"), PStr("B2")), noErr);
  ASSERT_EQ(Resolve(a.vRefNum, id, &parent, &name), noErr);
  EXPECT_EQ(parent, b.dirID) << "the folder keeps its id";
  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(b.vRefNum, parent, PStr(name), &spec), noErr);
  FSRef ref{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
  EXPECT_EQ(PathOf(ref), home_.Path("B2/renamed.aiff"));
}

TEST_F(FilesCatalog, AnIdIsFoundNearItsLastPlaceAfterOtherProgramsMoveIt) {
  MakeFolder("Lib");
  MakeFolder("Lib/Sub");
  MakeFolder("Lib/Sub/Deeper");
  WriteHostFile(home_.Path("Lib/a.aiff"), "1");
  const Place lib = FolderAt("Lib");
  const SInt32 id = FileID(lib, "a.aiff");
  const SInt32 libID = lib.dirID;

  struct Step {
    const char* from;
    const char* to;
    bool found;
    const char* why;
  } steps[] = {
      {"Lib/a.aiff", "Lib/b.aiff", true, "renamed in its folder"},
      {"Lib/b.aiff", "Lib/Sub/b.aiff", true, "moved one level down"},
      {"Lib", "Library", true, "its folder renamed"},
      {"Library/Sub/b.aiff", "Library/Sub/Deeper/b.aiff", true, "moved on from where it was found"},
      {"Library/Sub/Deeper/b.aiff", "b.aiff", false, "moved far away"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.why);
    ASSERT_EQ(rename(home_.Path(s.from).c_str(), home_.Path(s.to).c_str()), 0);
    SInt32 parent = 0;
    std::string name;
    if (s.found) {
      ASSERT_EQ(Resolve(lib.vRefNum, id, &parent, &name), noErr);
      EXPECT_EQ(name, "b.aiff");
    } else {
      EXPECT_EQ(Resolve(lib.vRefNum, id, &parent, &name), fidNotFound);
    }
  }
  fs::Location folder;
  ASSERT_EQ(fs::LocateNode(lib.vRefNum, UInt32(libID), folder), noErr);
  EXPECT_EQ(folder.path, home_.Path("Library"));
}

TEST_F(FilesCatalog, IdsAndStoredFSRefsResolveAfterARestart) {
  MakeFolder("Settings");
  WriteHostFile(home_.Path("Settings/prefs"), "p");
  const Place folder = FolderAt("Settings");
  const SInt32 id = FileID(folder, "prefs");
  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(folder.vRefNum, folder.dirID, PStr("prefs"), &spec), noErr);
  FSRef ref{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
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
  HFSUniStr255 uniName{};
  ASSERT_EQ(FSGetCatalogInfo(&restored, kFSCatInfoNone, nullptr, &uniName, nullptr, nullptr),
            noErr);
  EXPECT_EQ(uniName.length, 7);
  EXPECT_EQ(PathOf(restored), home_.Path("Settings/prefs 2"));
  FSRef again{};
  ASSERT_EQ(FSMakeFSRefUnicode(nullptr, 0, nullptr, 0, &again), paramErr);
}

TEST_F(FilesCatalog, FSRefBytesHoldMagicVolumeIdAndParentBigEndian) {
  WriteHostFile(home_.Path("f"), "");
  const Place home = FolderAt("");
  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(home.vRefNum, home.dirID, PStr("f"), &spec), noErr);
  FSRef ref{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(ref.hidden), 4), "SpRf");
  EXPECT_EQ(SInt16(sp::LoadBE16(ref.hidden + 4)), home.vRefNum);
  EXPECT_EQ(SInt32(sp::LoadBE32(ref.hidden + 8)), FileID(home, "f"));
  EXPECT_EQ(SInt32(sp::LoadBE32(ref.hidden + 12)), home.dirID);
  EXPECT_TRUE(std::all_of(ref.hidden + 20, ref.hidden + 80, [](UInt8 b) { return b == 0; }));

  FSRef zero{};
  EXPECT_EQ(FSGetCatalogInfo(&zero, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr),
            errFSBadFSRef);
  FSRef gone = ref;
  ASSERT_EQ(unlink(home_.Path("f").c_str()), 0);
  EXPECT_EQ(FSGetCatalogInfo(&gone, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr), fnfErr);
}

TEST_F(FilesCatalog, ADamagedCatalogueFileIsIgnored) {
  WriteHostFile(home_.Path("kept"), "k");
  const Place home = FolderAt("");
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
  escaping.BE32(0x80000000u);
  escaping.BE32(1);
  escaping.BE32(77);
  escaping.BE32(2);
  escaping.BE64(77);
  escaping.BE16(9);
  escaping.Bytes("../etc/x", 9);
  std::string random(good.size(), '\0');
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = char((i * 7919 + 13) & 0xFF);

  struct Case {
    std::string bytes;
    const char* why;
  } cases[] = {
      {good.substr(0, good.size() / 2), "cut in half"},
      {good.substr(0, good.size() - 1), "one byte short"},
      {good + "x", "a byte too many"},
      {random, "random bytes"},
      {"SpFC", "magic only"},
      {std::string(escaping.Data().begin(), escaping.Data().end()), "a path with .."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteHostFile(file, c.bytes);
    // Renamed while the program was not running: only a trusted record could find it.
    ASSERT_EQ(rename(home_.Path("kept").c_str(), home_.Path("moved").c_str()), 0);
    EXPECT_EQ(Resolve(home.vRefNum, id, nullptr, nullptr), fidNotFound);
    // Paths and names work on, and give the items the same ids as before.
    EXPECT_EQ(FolderAt("").dirID, home.dirID);
    EXPECT_EQ(FileID(home, "moved"), id);
    sp_testing::RestartFileCatalogue();
    EXPECT_EQ(Resolve(home.vRefNum, id, nullptr, nullptr), noErr) << "and the file is good again";
    ASSERT_EQ(rename(home_.Path("moved").c_str(), home_.Path("kept").c_str()), 0);
    ASSERT_EQ(FileID(home, "kept"), id);
    sp_testing::RestartFileCatalogue();
  }
}

TEST_F(FilesCatalog, IndexWalksListByteOrderAndCountAllItems) {
  MakeFolder("Walk");
  MakeFolder("Walk/folder");
  // U+97F3 is 0x89B9 in MacJapanese; its UTF-8 bytes sort after every ASCII name.
  for (const char* n : {"b", "a", "C", "\xE9\x9F\xB3", "10", "9", ".hidden"}) {
    WriteHostFile(home_.Path(std::string("Walk/") + n), n);
  }
  symlink("/nonexistent", home_.Path("Walk/dangling").c_str());
  const Place walk = FolderAt("Walk");

  CInfoPBRec pb{};
  pb.dirInfo.ioVRefNum = walk.vRefNum;
  pb.dirInfo.ioFDirIndex = -1;
  pb.dirInfo.ioDrDirID = walk.dirID;
  ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
  ASSERT_EQ(pb.dirInfo.ioDrNmFls, 8) << "items that are no file or folder are not counted";

  const char* expected[] = {".hidden", "10", "9", "C", "a", "b", "folder", "\x89\xB9"};
  for (int i = 1; i <= 8; ++i) {
    Str255 name{};
    pb = CInfoPBRec{};
    pb.hFileInfo.ioNamePtr = name;
    pb.hFileInfo.ioVRefNum = walk.vRefNum;
    pb.hFileInfo.ioDirID = walk.dirID;
    pb.hFileInfo.ioFDirIndex = SInt16(i);
    ASSERT_EQ(PBGetCatInfoSync(&pb), noErr) << i;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), expected[i - 1]);
    EXPECT_EQ((pb.hFileInfo.ioFlAttrib & kioFlAttribDirMask) != 0,
              std::string(expected[i - 1]) == "folder");
  }
  pb.hFileInfo.ioDirID = walk.dirID;  // each call leaves the item's id there
  pb.hFileInfo.ioFDirIndex = 9;
  EXPECT_EQ(PBGetCatInfoSync(&pb), fnfErr);
}

TEST_F(FilesCatalog, BulkListingsEndWithNoMoreItemsAfterTheLastBatch) {
  MakeFolder("Bulk");
  for (int i = 0; i < 45; ++i) WriteHostFile(home_.Path("Bulk/f" + std::to_string(100 + i)), "");
  MakeFolder("Bulk/sub");
  FSSpec spec{};
  const Place home = FolderAt("");
  ASSERT_EQ(FSMakeFSSpec(home.vRefNum, home.dirID, PStr("Bulk"), &spec), noErr);
  FSRef folder{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &folder), noErr);
  FSIterator it = nullptr;
  EXPECT_EQ(FSOpenIterator(&folder, kFSIterateSubtree, &it), errFSBadIteratorFlags);
  ASSERT_EQ(FSOpenIterator(&folder, kFSIterateFlat, &it), noErr);

  std::vector<ItemCount> batches;
  std::vector<std::string> seen;
  int folders = 0;
  OSErr err = noErr;
  while (err == noErr) {
    FSCatalogInfo infos[20];
    HFSUniStr255 names[20];
    FSSpec specs[20];
    ItemCount n = 99;
    err = FSGetCatalogInfoBulk(it, 20, &n, nullptr, kFSCatInfoNodeFlags | kFSCatInfoParentDirID,
                               infos, nullptr, specs, names);
    if (err != noErr) {
      EXPECT_EQ(n, 0u);
      break;
    }
    batches.push_back(n);
    for (ItemCount i = 0; i < n; ++i) {
      seen.push_back(std::string(reinterpret_cast<char*>(specs[i].name + 1), specs[i].name[0]));
      EXPECT_EQ(names[i].length, specs[i].name[0]);
      if (infos[i].nodeFlags & kFSNodeIsDirectoryMask) ++folders;
      EXPECT_EQ(SInt32(infos[i].parentDirID), specs[i].parID);
    }
  }
  EXPECT_EQ(err, errFSNoMoreItems);
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

TEST_F(FilesCatalog, AFileAndAFolderOfOneNameInTwoFoldersAreTold) {
  MakeFolder("One");
  MakeFolder("Two");
  MakeFolder("Two/Same");
  WriteHostFile(home_.Path("One/Same"), "file");
  const Place one = FolderAt("One");
  const Place two = FolderAt("Two");

  HParamBlockRec hpb{};
  PStr same("Same");
  hpb.fileParam.ioNamePtr = same;
  hpb.fileParam.ioVRefNum = one.vRefNum;
  hpb.fileParam.ioDirID = one.dirID;
  ASSERT_EQ(PBHGetFInfoSync(&hpb), noErr);
  const SInt32 fileID = hpb.fileParam.ioDirID;
  EXPECT_EQ(hpb.fileParam.ioFlLgLen, 4);
  hpb.fileParam.ioDirID = two.dirID;
  EXPECT_EQ(PBHGetFInfoSync(&hpb), fnfErr) << "file information is for files only";

  CInfoPBRec pb{};
  pb.hFileInfo.ioNamePtr = same;
  pb.hFileInfo.ioVRefNum = two.vRefNum;
  pb.hFileInfo.ioDirID = two.dirID;
  ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
  EXPECT_NE(pb.hFileInfo.ioFlAttrib & kioFlAttribDirMask, 0);
  EXPECT_NE(pb.dirInfo.ioDrDirID, fileID);
  EXPECT_EQ(pb.dirInfo.ioDrParID, two.dirID);
  EXPECT_EQ(pb.dirInfo.ioDrNmFls, 0);
}

TEST_F(FilesCatalog, FullAndPartialPathsNameItemsFromTheVolumeOrTheFolder) {
  MakeFolder("P");
  MakeFolder("P/Q");
  WriteHostFile(home_.Path("P/Q/leaf"), "");
  const Place q = FolderAt("P/Q");
  const Place p = FolderAt("P");
  const fs::Volume* volume = fs::FindVolume(kOnSystemDisk);
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(volume->vRefNum, -1);
  // The home folder's path from the volume's root, in classic form.
  std::string relative =
      home_.Home().substr(volume->mountPoint == "/" ? 1 : volume->mountPoint.size() + 1);
  std::replace(relative.begin(), relative.end(), '/', ':');
  const std::string full = volume->name + ":" + relative + ":P:Q:leaf";

  struct Case {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FSSpec spec{};
    EXPECT_EQ(FSMakeFSSpec(c.vRefNum, c.dirID, PStr(c.name), &spec), c.result);
    EXPECT_EQ(spec.parID, c.parent);
  }
  HParamBlockRec vpb{};
  Str255 volName{};
  const std::string asked = volume->name + ":";
  std::memcpy(volName + 1, asked.data(), asked.size());
  volName[0] = UInt8(asked.size());
  vpb.volumeParam.ioNamePtr = volName;
  vpb.volumeParam.ioVolIndex = -1;
  ASSERT_EQ(PBHGetVInfoSync(&vpb), noErr);
  EXPECT_EQ(vpb.volumeParam.ioVRefNum, -1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(volName + 1), volName[0]), volume->name);
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

  XVolumeParam x{};
  x.ioVRefNum = kOnSystemDisk;
  ASSERT_EQ(PBXGetVolInfoSync(&x), noErr);
  EXPECT_GT(x.ioVTotalBytes, 0u);
  EXPECT_GE(x.ioVTotalBytes, x.ioVFreeBytes);

  GetVolParmsInfoBuffer parms{};
  HParamBlockRec vp{};
  vp.ioParam.ioVRefNum = -1;
  vp.ioParam.ioBuffer = reinterpret_cast<Ptr>(&parms);
  vp.ioParam.ioReqCount = sizeof parms;
  ASSERT_EQ(PBHGetVolParmsSync(&vp), noErr);
  EXPECT_EQ(parms.vMServerAdr, 0) << "the home volume is local";
}

TEST_F(FilesCatalog, MovesBetweenVolumesAreRefused) {
  MakeFolder("Other");
  WriteHostFile(home_.Path("item"), "");
  const SInt16 other = fs::AddEmulatedVolume(home_.Path("Other"), "Other", 0, 0);
  ASSERT_NE(other, 0);
  const Place home = FolderAt("");
  FSSpec item{}, dest{};
  ASSERT_EQ(FSMakeFSSpec(home.vRefNum, home.dirID, PStr("item"), &item), noErr);
  ASSERT_EQ(FSMakeFSSpec(other, fsRtDirID, nullptr, &dest), noErr);
  EXPECT_EQ(FSpCatMove(&item, &dest), badMovErr);
  FSRef itemRef{}, destRef{};
  ASSERT_EQ(FSpMakeFSRef(&item, &itemRef), noErr);
  ASSERT_EQ(FSpMakeFSRef(&dest, &destRef), noErr);
  EXPECT_EQ(FSMoveObject(&itemRef, &destRef, nullptr), badMovErr);
  EXPECT_EQ(FSCompareFSRefs(&itemRef, &destRef), diffVolErr);
  EXPECT_TRUE(files_test::HostExists(home_.Path("item")));
}

TEST_F(FilesCatalog, TheApplicationsSpecNamesTheRunningExecutable) {
  ProcessSerialNumber psn{0, kCurrentProcess};
  ProcessInfoRec info{};
  FSSpec spec{};
  info.processAppSpec = &spec;
  ASSERT_EQ(GetProcessInformation(&psn, &info), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(spec.name + 1), spec.name[0]), "platform_tests");
  FSRef ref{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  EXPECT_EQ(PathOf(ref), exe);
}

TEST_F(FilesCatalog, FileURLsAndFSRefsConvertBothWays) {
  WriteHostFile(home_.Path("url file"), "");
  const std::string path = home_.Path("url file");
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
  ASSERT_NE(url, nullptr);
  FSRef ref{};
  ASSERT_TRUE(CFURLGetFSRef(url, &ref));
  EXPECT_EQ(PathOf(ref), path);
  CFURLRef back = CFURLCreateFromFSRef(nullptr, &ref);
  ASSERT_NE(back, nullptr);
  UInt8 buffer[1024];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(back, true, buffer, sizeof buffer));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), path);
  CFRelease(back);
  CFRelease(url);

  const std::string missing = home_.Path("no such file");
  CFURLRef none = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(missing.data()), CFIndex(missing.size()), false);
  EXPECT_FALSE(CFURLGetFSRef(none, &ref));
  CFRelease(none);
}

}  // namespace
