// The catalogue: ids that survive renames, moves and restarts, FSRefs stored as bytes, look-ups
// by name, path and index, volumes.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CoreFoundation.h"
#include "FailureReports.h"
#include "Files.h"
#include "FilesFixture.h"
#include "Folders.h"
#include "PrivateMounts.h"
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
  sp_testing::HomeScope home_;
};

TEST_F(FilesCatalog, PathsIdsAndNamesLeadBackToTheSameItems) {
  const Folder music = Make("Music"), album = Make("Music/Album");
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
    // By id, back to the folder and the name: a folder's id is a directory id, a file's is not.
    const bool isFolder = info.nodeFlags & kFSNodeIsDirectoryMask;
    CInfoPBRec pb;
    std::string name;
    SInt32 parent = 0;
    EXPECT_EQ(CatInfoOf(c.folder.vRefNum, SInt32(info.nodeID), -1, &pb, &name),
              isFolder ? noErr : dirNFErr);
    // The walk up a folder's ancestors finds what the catalogue gives, and nothing of a file.
    Str255 walked = {0};
    SInt32 walkedID = 0, walkedParent = 0;
    EXPECT_EQ(SpGetFolderNameAndParent(c.folder.vRefNum, SInt32(info.nodeID), walked, &walkedID,
                                       &walkedParent),
              isFolder ? noErr : dirNFErr);
    if (isFolder) {
      EXPECT_EQ(
          Text(walked) + " " + std::to_string(walkedID) + " in " + std::to_string(walkedParent),
          name + " " + std::to_string(pb.dirInfo.ioDrDirID) + " in " +
              std::to_string(pb.dirInfo.ioDrParID));
    }
    if (!isFolder) Resolve(c.folder.vRefNum, SInt32(info.nodeID), &parent, &name);
    const SInt32 byID = isFolder ? pb.dirInfo.ioDrParID : parent;
    EXPECT_EQ(std::to_string(byID) + "/" + name, std::to_string(c.folder.dirID) + "/" + c.name);
    EXPECT_EQ(SInt32(info.parentDirID), c.folder.dirID);
  }
  // The root folder is id 2, its parent 1, and its name is the volume's.
  CInfoPBRec pb;
  std::string name;
  ASSERT_EQ(CatInfoOf(home.vRefNum, fsRtDirID, -1, &pb, &name), noErr);
  EXPECT_EQ(pb.dirInfo.ioDrParID, fsRtParID);
  EXPECT_EQ(name, fs::FindVolume(-1)->name);
}

// Through the layer the id follows at once; moves by other programs are found near the last
// place the id was seen, and after a restart from the saved catalogue.
TEST_F(FilesCatalog, AnIdFollowsRenamesAndMovesAndIsFoundNearItsLastPlace) {
  const Folder lib = Make("Lib"), sub = Make("Lib/Sub");
  Make("Lib/Sub/Deeper");
  WriteHostFile(home_.Path("Lib/a.aiff"), "1");
  const SInt32 id = FileID(lib, "a.aiff");
  const FSRef ref = Ref(lib, "a.aiff");
  ASSERT_EQ(HRename(lib.vRefNum, lib.dirID, PStr("a.aiff"), PStr("b.aiff")), noErr);
  ASSERT_EQ(CatMove(lib.vRefNum, lib.dirID, PStr("b.aiff"), sub.dirID, nullptr), noErr);
  ASSERT_EQ(HRename(lib.vRefNum, sub.dirID, PStr("b.aiff"), PStr("c.aiff")), noErr);
  SInt32 parent = 0;
  std::string name;
  ASSERT_EQ(Resolve(lib.vRefNum, id, &parent, &name), noErr);
  EXPECT_EQ(parent, sub.dirID);
  EXPECT_EQ(name, "c.aiff");
  sp_testing::RestartFileCatalogue();
  const struct {
    const char *from, *to, *now;  // now: the file afterwards, null when it is not found
  } steps[] = {
      {"Lib/Sub/c.aiff", "Lib/Sub/d.aiff", "Lib/Sub/d.aiff"},  // renamed in its folder
      {"Lib", "Library", "Library/Sub/d.aiff"},                // its folder renamed
      {"Library/Sub/d.aiff", "Library/Sub/Deeper/d.aiff", "Library/Sub/Deeper/d.aiff"},
      {"Library/Sub/Deeper/d.aiff", "d.aiff", nullptr},  // moved far away
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.to);
    ASSERT_EQ(rename(home_.Path(s.from).c_str(), home_.Path(s.to).c_str()), 0);
    name.clear();
    EXPECT_EQ(Resolve(lib.vRefNum, id, nullptr, &name), s.now ? noErr : fidNotFound);
    EXPECT_EQ(name, s.now ? "d.aiff" : "");
    EXPECT_EQ(PathOf(ref), s.now ? home_.Path(s.now) : "(none)") << "the FSRef follows too";
  }
  fs::Location folder;
  ASSERT_EQ(fs::LocateNode(lib.vRefNum, UInt32(lib.dirID), folder), noErr);
  EXPECT_EQ(folder.path, home_.Path("Library"));
}

TEST_F(FilesCatalog, StoredFSRefsKeepTheirByteLayoutAndFailOnceTheItemIsGone) {
  const Folder folder = Make("Settings");
  WriteHostFile(home_.Path("Settings/prefs"), "p");
  const SInt32 id = FileID(folder, "prefs");
  const FSRef ref = Ref(folder, "prefs");
  // The layout callers may store: magic, volume, id and parent, big-endian, zeros after.
  sp::ByteWriter head;
  head.Bytes("SpRf", 4);
  head.BE16(UInt16(folder.vRefNum));
  head.Zeros(2);
  head.BE32(UInt32(id));
  head.BE32(UInt32(folder.dirID));
  EXPECT_EQ(std::memcmp(ref.hidden, head.Data().data(), 16), 0);
  EXPECT_TRUE(std::all_of(ref.hidden + 20, ref.hidden + 80, [](UInt8 b) { return b == 0; }));
  FSRef zero{};
  EXPECT_EQ(FSGetCatalogInfo(&zero, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr),
            errFSBadFSRef);
  ASSERT_EQ(unlink(home_.Path("Settings/prefs").c_str()), 0);
  EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr), fnfErr);
  EXPECT_EQ(FSMakeFSRefUnicode(nullptr, 0, nullptr, 0, &zero), paramErr);
}

TEST_F(FilesCatalog, ADamagedCatalogueRecordIsNotTrusted) {
  WriteHostFile(home_.Path("kept"), "k");
  const Folder home = FolderAt(home_, "");
  const SInt32 id = FileID(home, "kept");
  sp_testing::RestartFileCatalogue();
  const std::string file = fs::CatalogueFilePath();
  const std::string good = ReadHostFile(file);
  ASSERT_GT(good.size(), 20u);

  std::string random(good.size(), '\0');
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = char((i * 7919 + 13) & 0xFF);
  // A well-formed file whose entry climbs out of its volume.
  const std::string escaping(
      "SpFC\0\1\0\0\0\1\0\1/\x80\0\0\0\0\0\0\1\0\0\0\x4D\0\0\0\2"
      "\0\0\0\0\0\0\0\x4D\0\x09../etc/x",
      48);
  const std::size_t keptAt = good.find("kept");
  ASSERT_NE(keptAt, std::string::npos);
  const std::string cases[] = {good.substr(0, keptAt + 2), random, "SpFC", escaping};
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

// Two instances of the program on one home, each saving what it did; a child process is the
// other one. Every item gets a synthetic id here, as on file systems with 64-bit inodes.
TEST_F(FilesCatalog, TwoInstancesKeepEachOthersMovesAndNeverShareAnId) {
  fs::SetLargestInodeIdForTests(2);
  const Folder home = FolderAt(home_, "");
  Make("Far");
  const Folder mineTo = Make("Far/Mine"), theirsTo = Make("Far/Theirs");
  for (const char* n : {"mine", "theirs", "m1", "m2", "t1", "t2"}) WriteHostFile(home_.Path(n), n);
  const SInt32 mine = FileID(home, "mine"), theirs = FileID(home, "theirs");
  sp_testing::RestartFileCatalogue();
  ASSERT_EQ(Resolve(home.vRefNum, mine), noErr) << "this instance has read the catalogue";
  const pid_t child = fork();
  if (child == 0) {
    // Moves its file out of reach of the search, meets two new files, saves.
    fs::ResetCatalogueAndVolumes();
    fs::SetLargestInodeIdForTests(2);
    bool ok = CatMove(home.vRefNum, home.dirID, PStr("theirs"), theirsTo.dirID, nullptr) == noErr;
    std::ofstream(home_.Path("ids")) << FileID(home, "t1") << ' ' << FileID(home, "t2");
    ok = ok && FlushVol(nullptr, home.vRefNum) == noErr;
    std::_Exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  SInt32 t1 = 0, t2 = 0;
  std::ifstream(home_.Path("ids")) >> t1 >> t2;
  ASSERT_EQ(CatMove(home.vRefNum, home.dirID, PStr("mine"), mineTo.dirID, nullptr), noErr);
  const SInt32 m1 = FileID(home, "m1"), m2 = FileID(home, "m2");
  EXPECT_EQ(FlushVol(nullptr, home.vRefNum), noErr);
  fs::Location moved;
  EXPECT_EQ(fs::LocateNode(home.vRefNum, UInt32(theirs), moved), noErr)
      << "the other instance's move is taken in by the flush, before any restart";
  EXPECT_EQ(moved.path, home_.Path("Far/Theirs/theirs"));
  sp_testing::RestartFileCatalogue();
  const struct {
    SInt32 id;
    const char* path;
  } ids[] = {{mine, "Far/Mine/mine"},
             {theirs, "Far/Theirs/theirs"},
             {m1, "m1"},
             {m2, "m2"},
             {t1, "t1"},
             {t2, "t2"}};
  std::set<SInt32> distinct;
  for (const auto& c : ids) {
    SCOPED_TRACE(c.path);
    EXPECT_GE(UInt32(c.id), 0x80000000u) << "a synthetic id";
    fs::Location item;
    EXPECT_EQ(fs::LocateNode(home.vRefNum, UInt32(c.id), item), noErr);
    EXPECT_EQ(item.path, home_.Path(c.path));
    distinct.insert(c.id);
  }
  EXPECT_EQ(distinct.size(), std::size(ids));
}

// A catalogue whose stored counter of synthetic ids is lower than ids it already gave (a file
// written by a damaged or earlier run, the shared counter gone): the new items still get ids
// nobody has, and the old ones keep theirs.
TEST_F(FilesCatalog, ACounterStoredBelowIdsAlreadyGivenNeverGivesThemAgain) {
  fs::SetLargestInodeIdForTests(2);
  const Folder home = FolderAt(home_, "");
  for (const char* n : {"a", "b", "c", "d"}) WriteHostFile(home_.Path(n), n);
  const SInt32 a = FileID(home, "a"), b = FileID(home, "b");
  sp_testing::RestartFileCatalogue();
  const std::string file = fs::CatalogueFilePath();
  std::string bytes = ReadHostFile(file);
  // 'SpFC', version, one section: its root folder, then the counter.
  ASSERT_GT(bytes.size(), 12u);
  ASSERT_EQ(bytes.substr(6, 4), std::string("\0\0\0\1", 4)) << "one volume";
  const std::size_t counterAt = 12 + ((UInt8(bytes[10]) << 8) | UInt8(bytes[11]));
  ASSERT_GE(bytes.size(), counterAt + 4);
  EXPECT_GT(UInt8(bytes[counterAt]), 0x7F) << "a synthetic id's counter";
  bytes.replace(counterAt, 4, std::string("\x80\0\0\0", 4));
  WriteHostFile(file, bytes);
  ASSERT_EQ(unlink((file + ".lock").c_str()), 0);

  const SInt32 c = FileID(home, "c"), d = FileID(home, "d");
  const std::set<SInt32> ids = {home.dirID, a, b, c, d};
  EXPECT_EQ(ids.size(), 5u) << a << " " << b << " " << c << " " << d;
  EXPECT_GE(UInt32(c), 0x80000000u);
  SInt32 parent = 0;
  std::string name;
  ASSERT_EQ(Resolve(home.vRefNum, a, &parent, &name), noErr);
  EXPECT_EQ(name, "a");
  ASSERT_EQ(Resolve(home.vRefNum, c, &parent, &name), noErr);
  EXPECT_EQ(name, "c");
}

// An item takes its inode number as its id up to the largest number ids may take; one past
// it gets a synthetic id. Each item is new to the catalogue, so its first look decides.
TEST_F(FilesCatalog, InodeNumbersAreIdsUpToTheLargestAllowedAndSyntheticPastIt) {
  const Folder home = FolderAt(home_, "");
  struct Case {
    const char* name;
    int largestPastInode;  // the largest allowed id, less the item's inode number
    bool inodeIsId;
  };
  for (const Case& c : {Case{"at", 0, true}, Case{"below", 1, true}, Case{"past", -1, false}}) {
    SCOPED_TRACE(c.name);
    WriteHostFile(home_.Path(c.name), c.name);
    struct stat st {};
    ASSERT_EQ(stat(home_.Path(c.name).c_str(), &st), 0);
    ASSERT_GT(st.st_ino, 3u);
    ASSERT_LT(st.st_ino, 0x7FFFFFFFu) << "a file system with small inode numbers is needed";
    fs::SetLargestInodeIdForTests(UInt32(SInt64(st.st_ino) + c.largestPastInode));
    const UInt32 id = UInt32(FileID(home, c.name));
    fs::SetLargestInodeIdForTests(0x7FFFFFFFu);
    EXPECT_EQ(id == UInt32(st.st_ino), c.inodeIsId) << id;
    if (!c.inodeIsId) {
      EXPECT_GE(id, 0x80000000u);
    }
    SInt32 parent = 0;
    std::string name;
    ASSERT_EQ(Resolve(home.vRefNum, SInt32(id), &parent, &name), noErr);
    EXPECT_EQ(name, c.name);
  }
}

// A save of the catalogue that finds its disk full: FlushVol says so, what was saved before is
// kept whole with nothing new beside it, and the ids are saved once there is room. The new
// records are many, so that their batch needs more room than the files' last blocks hold.
TEST_F(FilesCatalog, ACatalogueSaveThatFindsTheDiskFullFailsAndKeepsTheSavedFile) {
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
  const std::string file = fs::CatalogueFilePath(), folder = file.substr(0, file.rfind('/'));
  std::filesystem::create_directories(folder);
  if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << strerror(errno);
  const Folder home = FolderAt(home_, "");
  WriteHostFile(home_.Path("kept"), "k");
  FileID(home, "kept");
  ASSERT_EQ(FlushVol(nullptr, home.vRefNum), noErr);
  auto contents = [&folder]() {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name != "file-catalogue.lock") files[name] = ReadHostFile(entry.path().string());
    }
    return files;
  };
  const auto saved = contents();
  std::string before;
  for (const auto& kv : saved) before += kv.second;
  ASSERT_NE(before.find("kept"), std::string::npos);

  for (int i = 0; i < 300; ++i) {
    const std::string name = "new-item-with-a-name-long-enough-to-fill-blocks-" + std::to_string(i);
    WriteHostFile(home_.Path(name), "n");
    FileID(home, name);
  }
  {
    std::ofstream filler(folder + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
    }
  }
  EXPECT_EQ(FlushVol(nullptr, home.vRefNum), dskFulErr);
  auto after = contents();
  after.erase("filler");
  EXPECT_TRUE(after == saved) << "what was saved before is kept as it was, with nothing beside it";
  EXPECT_EQ(fs::CompactCatalogue(), dskFulErr) << "the whole file written anew fails alike";
  after = contents();
  after.erase("filler");
  EXPECT_TRUE(after == saved) << "and leaves no part of the new file beside the old one";
  ASSERT_EQ(unlink((folder + "/filler").c_str()), 0);
  EXPECT_EQ(FlushVol(nullptr, home.vRefNum), noErr);
  std::string now;
  for (const auto& kv : contents()) now += kv.second;
  EXPECT_NE(now.find("new-item-with-a-name-long-enough-to-fill-blocks-299"), std::string::npos);
  umount2(folder.c_str(), MNT_DETACH);
}

// A catalogue this user cannot read (left by a run as root, or something else in its place) is
// never replaced, and FlushVol says the ids could not be saved.
TEST_F(FilesCatalog, ACatalogueThatCannotBeReadIsKeptAndFlushVolFails) {
  const std::string file = fs::CatalogueFilePath(), folder = file.substr(0, file.rfind('/'));
  WriteHostFile(home_.Path("kept"), "k");
  WriteHostFile(home_.Path("new"), "n");
  const SInt16 vRefNum = FolderAt(home_, "").vRefNum;
  const auto what = [&] {
    struct stat st {};
    if (lstat(file.c_str(), &st) != 0) return std::string("nothing");
    return S_ISDIR(st.st_mode) ? std::string("a folder") : ReadHostFile(file);
  };
  const struct {
    const char* why;
    std::function<void()> spoil;
    bool unprivileged;
    OSErr expected;
  } cases[] = {
      {"a folder in its place",
       [&] {
         unlink(file.c_str());
         mkdir(file.c_str(), 0700);
       },
       false, ioErr},
      {"its folder is a file",
       [&] {
         std::filesystem::remove_all(folder);
         WriteHostFile(folder, "x");
       },
       false, dirNFErr},
      {"a file of another user, in a folder open to all",
       [&] {
         for (const char* f : {"", ".local", ".local/share"}) chmod(home_.Path(f).c_str(), 0711);
         chmod(folder.c_str(), 0777);
       },
       true, wrPermErr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    std::filesystem::remove_all(folder);
    fs::Location item;
    ASSERT_EQ(fs::LocatePath(home_.Path("kept"), item), noErr);
    sp_testing::RestartFileCatalogue();
    ASSERT_NE(what(), "nothing");
    c.spoil();
    const std::string before = what();
    const auto flush = [&] {
      fs::ResetCatalogueAndVolumes();  // read afresh, maybe as another user
      fs::Location item;
      EXPECT_EQ(fs::LocatePath(home_.Path("new"), item), noErr);
      EXPECT_EQ(FlushVol(nullptr, vRefNum), c.expected);
    };
    if (c.unprivileged) {
      RunUnprivileged(flush);
    } else {
      static std::vector<std::string> records;
      records.clear();
      sp_platform::SetFailureRecorder([](const char*, const char* method, SInt32, const char*) {
        records.push_back(method);
      });
      flush();
      sp_platform::SetFailureRecorder(nullptr);
      EXPECT_EQ(records, std::vector<std::string>{"Load"}) << "said once, when it was read";
    }
    EXPECT_EQ(what(), before);
  }
}


// A catalogue of the earlier layout knew items by their inode numbers alone: its ids still
// find their items, moved by another program, and are written in the new layout next.
TEST_F(FilesCatalog, ACatalogueOfTheEarlierLayoutKeepsItsIds) {
  WriteHostFile(home_.Path("kept"), "k");
  const Folder home = FolderAt(home_, "");
  const SInt32 id = FileID(home, "kept");
  sp_testing::RestartFileCatalogue();
  const std::string mount = fs::FindVolume(home.vRefNum)->mountPoint;
  const std::string rel = home_.Path("kept").substr(mount == "/" ? 1 : mount.size() + 1);
  struct stat st {};
  ASSERT_EQ(lstat(home_.Path("kept").c_str(), &st), 0);
  sp::ByteWriter w;  // one section holding one record: id, parent, inode number, path
  w.Bytes("SpFC", 4);
  w.BE16(1);
  w.BE32(1);
  w.BE16(UInt16(mount.size()));
  w.Bytes(mount.data(), mount.size());
  w.BE32(0x80000000u);
  w.BE32(1);
  w.BE32(UInt32(id));
  w.BE32(UInt32(home.dirID));
  w.BE64(UInt64(st.st_ino));
  w.BE16(UInt16(rel.size()));
  w.Bytes(rel.data(), rel.size());
  WriteHostFile(fs::CatalogueFilePath(),
                std::string(reinterpret_cast<const char*>(w.Data().data()), w.Size()));
  fs::ResetCatalogueAndVolumes();
  ASSERT_EQ(rename(home_.Path("kept").c_str(), home_.Path("moved").c_str()), 0);
  std::string name;
  EXPECT_EQ(Resolve(home.vRefNum, id, nullptr, &name), noErr);
  EXPECT_EQ(name, "moved");
  sp_testing::RestartFileCatalogue();
  EXPECT_EQ(ReadHostFile(fs::CatalogueFilePath()).substr(0, 6), std::string("SpFC\0\2", 6));
  EXPECT_EQ(Resolve(home.vRefNum, id), noErr);
}

// Renaming, moving or deleting an item looks at the records of the item and what it holds,
// however many other items the catalogue knows.
TEST_F(FilesCatalog, ChangesExamineTheRecordsOfTheItemNotTheWholeCatalogue) {
  const Folder many = Make("Many"), work = Make("Work"), into = Make("Work/Into");
  for (int i = 0; i < 1000; ++i) WriteHostFile(home_.Path("Many/f" + std::to_string(i)), "");
  CInfoPBRec pb;
  SInt16 listed = 0;  // every item of the folder listed, and so recorded
  while (CatInfoOf(many.vRefNum, many.dirID, SInt16(listed + 1), &pb) == noErr) ++listed;
  ASSERT_EQ(listed, 1000);
  const Folder album = Make("Work/Album");
  for (const char* n : {"a", "b", "c"}) WriteHostFile(home_.Path(std::string("Work/Album/") + n), n);
  const SInt32 track = FileID(album, "a");
  const UInt64 before = fs::CatalogueRecordsExamined();
  ASSERT_EQ(HRename(album.vRefNum, album.dirID, PStr("b"), PStr("B")), noErr);
  ASSERT_EQ(CatMove(work.vRefNum, work.dirID, PStr("Album"), into.dirID, nullptr), noErr);
  ASSERT_EQ(HDelete(album.vRefNum, album.dirID, PStr("c")), noErr);
  EXPECT_LE(fs::CatalogueRecordsExamined() - before, 20u);
  std::string name;
  SInt32 parent = 0;
  EXPECT_EQ(Resolve(album.vRefNum, track, &parent, &name), noErr) << "the move took it along";
  EXPECT_EQ(std::to_string(parent) + " " + name, std::to_string(album.dirID) + " a");
  EXPECT_EQ(PathOf(Ref(album, "a")), home_.Path("Work/Into/Album/a"));
}

// One bad record costs its own id only: the ids of every other item still resolve.
TEST_F(FilesCatalog, ACatalogueFileWithOneBadEntryKeepsTheOthers) {
  WriteHostFile(home_.Path("a.txt"), "a");
  WriteHostFile(home_.Path("b.txt"), "b");
  const Folder home = FolderAt(home_, "");
  const SInt32 a = FileID(home, "a.txt"), b = FileID(home, "b.txt");
  sp_testing::RestartFileCatalogue();
  const std::string file = fs::CatalogueFilePath();
  const std::string good = ReadHostFile(file);
  // b's path relative to its volume; its id is 32 bytes before it, its kind 16.
  const std::string mount = fs::FindVolume(home.vRefNum)->mountPoint;
  const std::string rel = home_.Path("b.txt").substr(mount == "/" ? 1 : mount.size() + 1);
  const std::size_t at = good.find(rel), nameAt = at + rel.size() - 5;
  ASSERT_NE(at, std::string::npos);
  auto damaged = [&](std::size_t pos, const std::string& bytes) {
    return std::string(good).replace(pos, bytes.size(), bytes);
  };
  const std::string aID{char(a >> 24), char(a >> 16), char(a >> 8), char(a)};
  const struct {
    std::string bytes;
    bool bResolves;
    const char* why;
  } cases[] = {
      {damaged(nameAt, "../bb"), false, "b's path climbs out of its volume"},
      {damaged(at - 32, std::string(4, '\0')), false, "b's id is 0"},
      {damaged(at - 32, aID), false, "b's record claims a's id"},
      {damaged(at - 16, "\x09"), false, "b's record names a kind of item there is not"},
      {damaged(nameAt, "a.txt"), true, "b's record names a's path: b is found by its inode"},
      {good + "x", true, "bytes after the last section"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    WriteHostFile(file, c.bytes);
    std::string name;
    EXPECT_EQ(Resolve(home.vRefNum, a, nullptr, &name), noErr);
    EXPECT_EQ(name, "a.txt");
    name.clear();
    EXPECT_EQ(Resolve(home.vRefNum, b, nullptr, &name), c.bResolves ? noErr : fidNotFound);
    EXPECT_EQ(name, c.bResolves ? "b.txt" : "");
    sp_testing::RestartFileCatalogue();
  }
}

// Of two records that claim one id, the id stays with the item whose inode number it is,
// whichever record the file holds first; the other record costs its own id only.
TEST_F(FilesCatalog, OfTwoRecordsClaimingOneIdTheItemOfThatNumberKeepsIt) {
  WriteHostFile(home_.Path("a.txt"), "a");
  WriteHostFile(home_.Path("b.txt"), "b");
  const Folder home = FolderAt(home_, "");
  const SInt32 a = FileID(home, "a.txt"), b = FileID(home, "b.txt");
  struct stat sa {}, sb {};
  ASSERT_EQ(lstat(home_.Path("a.txt").c_str(), &sa), 0);
  ASSERT_EQ(lstat(home_.Path("b.txt").c_str(), &sb), 0);
  if (UInt64(sa.st_ino) != UInt32(a) || UInt64(sb.st_ino) != UInt32(b)) {
    GTEST_SKIP() << "the ids here are not the items' inode numbers";
  }
  sp_testing::RestartFileCatalogue();
  const std::string file = fs::CatalogueFilePath();
  const std::string good = ReadHostFile(file);
  const std::string mount = fs::FindVolume(home.vRefNum)->mountPoint;
  // Where a record's id is: 32 bytes before its path.
  auto idAt = [&](const std::string& name) {
    const std::size_t at = good.find(home_.Path(name).substr(mount == "/" ? 1 : mount.size() + 1));
    EXPECT_NE(at, std::string::npos) << name;
    return at - 32;
  };
  auto claiming = [&](const std::string& name, SInt32 id) {
    return std::string(good).replace(idAt(name), 4,
                                     std::string{char(id >> 24), char(id >> 16), char(id >> 8),
                                                 char(id)});
  };
  // Both ways round, so that one of them puts the false claim first in the file.
  const struct {
    std::string bytes;
    SInt32 kept, lost;
    const char* keptName;
  } cases[] = {
      {claiming("a.txt", b), b, a, "b.txt"},
      {claiming("b.txt", a), a, b, "a.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keptName);
    WriteHostFile(file, c.bytes);
    std::string name;
    EXPECT_EQ(Resolve(home.vRefNum, c.kept, nullptr, &name), noErr);
    EXPECT_EQ(name, c.keptName);
    EXPECT_EQ(Resolve(home.vRefNum, c.lost), fidNotFound);
    sp_testing::RestartFileCatalogue();
  }
}

// Another program's usual save: the old file (or folder) renamed aside, a new one written
// under its name and seen by the program before it restarts. One path keeps one record.
TEST_F(FilesCatalog, AnOutsideSaveByRenameAndWriteKeepsEveryIdAcrossRestarts) {
  Make("Album");
  for (const char* name : {"other.txt", "song.txt", "Album/track"}) {
    WriteHostFile(home_.Path(name), "1");
  }
  const Folder home = FolderAt(home_, "");
  const SInt32 other = FileID(home, "other.txt"), oldSong = FileID(home, "song.txt"),
               oldTrack = FileID(FolderAt(home_, "Album"), "track");
  for (const char* name : {"song.txt", "Album"}) {
    ASSERT_EQ(rename(home_.Path(name).c_str(), home_.Path(std::string(name) + "~").c_str()), 0);
  }
  Make("Album");
  WriteHostFile(home_.Path("song.txt"), "2");
  WriteHostFile(home_.Path("Album/track"), "2");
  const SInt32 newSong = FileID(home, "song.txt"),
               newTrack = FileID(FolderAt(home_, "Album"), "track");
  const struct {
    SInt32 id;
    const char* path;
  } cases[] = {{oldSong, "song.txt~"},    {newSong, "song.txt"},      {oldTrack, "Album~/track"},
               {newTrack, "Album/track"}, {other, "other.txt"}};
  for (int run = 0; run < 3; ++run) {
    for (const auto& c : cases) {
      fs::Location item;
      EXPECT_EQ(fs::LocateNode(home.vRefNum, UInt32(c.id), item), noErr) << c.path << run;
      EXPECT_EQ(item.path, home_.Path(c.path)) << "run " << run;
    }
    sp_testing::RestartFileCatalogue();
  }
}

// A symbolic link is an item of its own: a change made through its FSRef acts on the link,
// never on what it leads to (each is seen last before the change it must not suffer), and a
// change to the target leaves the link alone.
TEST_F(FilesCatalog, ChangesToASymbolicLinkActOnTheLinkNotOnItsTarget) {
  enum Change { kDelete, kRename, kMove, kTrash, kRenameTarget };
  FSRef trash{};
  ASSERT_EQ(FSFindFolder(kOnSystemDisk, kTrashFolderType, kCreateFolder, &trash), noErr);
  const std::string trashPath = PathOf(trash);
  int n = 0;
  for (const char* to : {"file.txt", "Dir", "missing", "."}) {
    const bool real = std::strcmp(to, "missing") != 0, self = std::strcmp(to, ".") == 0;
    for (Change change : {kDelete, kRename, kMove, kTrash, kRenameTarget}) {
      if (change == kRenameTarget && (!real || self)) continue;
      const std::string dir = "L" + std::to_string(n++), linkName = "link" + dir;
      SCOPED_TRACE(dir + ": " + linkName + " -> " + to + ", change " + std::to_string(change));
      const Folder folder = Make(dir);
      Make(dir + "/Dir");
      Make(dir + "/Out");
      WriteHostFile(home_.Path(dir + "/Dir/inner"), "");
      WriteHostFile(home_.Path(dir + "/file.txt"), "data");
      ASSERT_EQ(symlink(to, home_.Path(dir + "/" + linkName).c_str()), 0);
      FSRef link{}, target{};
      if (change == kRenameTarget) target = Ref(folder, to);
      link = Ref(folder, linkName);
      if (change != kRenameTarget && real) target = self ? RefAt(home_, dir) : Ref(folder, to);
      std::string linkNow = folder.path + "/" + linkName;
      std::string targetNow = self ? folder.path : folder.path + "/" + to;
      const UniChar renamed[] = {'r', 'e', 'n', 'a', 'm', 'e', 'd'};
      OSErr err = noErr;
      if (change == kDelete) {
        err = FSDeleteObject(&link);
        linkNow.clear();
      } else if (change == kRename) {
        err = FSRenameUnicode(&link, 7, renamed, kTextEncodingUnknown, &link);
        linkNow = folder.path + "/renamed";
      } else if (change == kMove || change == kTrash) {
        const FSRef into = change == kMove ? Ref(folder, "Out") : trash;
        err = FSMoveObject(&link, &into, &link);
        linkNow = (change == kMove ? folder.path + "/Out" : trashPath) + "/" + linkName;
      } else {
        err = FSRenameUnicode(&target, 7, renamed, kTextEncodingUnknown, &target);
        targetNow = folder.path + "/renamed";
      }
      EXPECT_EQ(err, noErr);
      EXPECT_EQ(HostExists(folder.path + "/" + linkName), linkNow == folder.path + "/" + linkName);
      if (!linkNow.empty()) {
        std::error_code ec;
        EXPECT_EQ(std::filesystem::read_symlink(linkNow, ec).string(), to);
        EXPECT_EQ(PathOf(link), linkNow) << "the link's id follows the link";
      }
      EXPECT_TRUE(HostExists(folder.path + "/Dir/inner") || change == kRenameTarget);
      if (real) {
        EXPECT_TRUE(HostExists(targetNow));
        EXPECT_EQ(PathOf(target), targetNow) << "the target's id stays with the target";
      }
    }
  }
}

// A link to its own folder is listed with an id of its own, and walking through it never
// makes a longer path.
TEST_F(FilesCatalog, ALinkToItsOwnFolderHasItsOwnIdAndNeverLengthensPaths) {
  const Folder loop = Make("Loop");
  ASSERT_EQ(symlink(".", home_.Path("Loop/self").c_str()), 0);
  SInt32 folderID = loop.dirID;
  for (int step = 0; step < 3; ++step) {
    CInfoPBRec pb;
    std::string name;
    ASSERT_EQ(CatInfoOf(loop.vRefNum, folderID, 1, &pb, &name), noErr) << step;
    EXPECT_EQ(name, "self");
    EXPECT_NE(pb.dirInfo.ioDrDirID, loop.dirID);
    EXPECT_EQ(pb.dirInfo.ioDrParID, loop.dirID);
    folderID = pb.dirInfo.ioDrDirID;
  }
  fs::Location where;
  ASSERT_EQ(fs::LocateNode(loop.vRefNum, UInt32(folderID), where), noErr);
  EXPECT_EQ(where.path, home_.Path("Loop/self"));
  ASSERT_EQ(fs::LocateNode(loop.vRefNum, UInt32(loop.dirID), where), noErr);
  EXPECT_EQ(where.path, home_.Path("Loop"));
}

TEST_F(FilesCatalog, IndexWalksListByteOrderAndCountAllItems) {
  const Folder walk = Make("Walk");
  Make("Walk/folder");
  // U+97F3 is 0x89B9 in MacJapanese; its UTF-8 bytes sort after every ASCII name.
  for (const char* n : {"b", "a", "C", "\xE9\x9F\xB3", "10", "9", ".hidden"}) {
    WriteHostFile(home_.Path(std::string("Walk/") + n), n);
  }
  symlink("/nonexistent", home_.Path("Walk/dangling").c_str());
  symlink("a", home_.Path("Walk/link").c_str());
  ASSERT_EQ(mkfifo(home_.Path("Walk/pipe").c_str(), 0600), 0);
  CInfoPBRec pb;
  ASSERT_EQ(CatInfoOf(walk.vRefNum, walk.dirID, -1, &pb), noErr);
  ASSERT_EQ(pb.dirInfo.ioDrNmFls, 9) << "items that are no file or folder are not counted";
  const char* expected[] = {".hidden", "10", "9", "C", "a", "b", "folder", "link", "\x89\xB9"};
  for (SInt16 i = 1; i <= 9; ++i) {
    std::string name;
    ASSERT_EQ(CatInfoOf(walk.vRefNum, walk.dirID, i, &pb, &name), noErr) << i;
    EXPECT_EQ(name, expected[i - 1]);
    EXPECT_EQ((pb.hFileInfo.ioFlAttrib & kioFlAttribDirMask) != 0, name == "folder");
  }
  EXPECT_EQ(CatInfoOf(walk.vRefNum, walk.dirID, 10, &pb), fnfErr);
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
  FSCatalogInfo infos[20];
  HFSUniStr255 names[20];
  FSSpec specs[20];
  ItemCount n = 99;
  while (FSGetCatalogInfoBulk(it, 20, &n, nullptr, kFSCatInfoNodeFlags | kFSCatInfoParentDirID,
                              infos, nullptr, specs, names) == noErr) {
    batches.push_back(n);
    for (ItemCount i = 0; i < n; ++i) {
      seen.push_back(Text(specs[i].name) +
                     ((infos[i].nodeFlags & kFSNodeIsDirectoryMask) ? "/" : ""));
      EXPECT_EQ(names[i].length, specs[i].name[0]);
      EXPECT_EQ(SInt32(infos[i].parentDirID), specs[i].parID);
    }
  }
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(batches, (std::vector<ItemCount>{20, 20, 6}));
  EXPECT_EQ(seen.back(), "sub/");
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(FSGetCatalogInfoBulk(it, 20, &n, nullptr, 0, nullptr, nullptr, nullptr, nullptr),
            errFSNoMoreItems)
      << "and stays at its end";
  EXPECT_EQ(FSCloseIterator(it), noErr);
  EXPECT_EQ(FSCloseIterator(it), errFSIteratorNotFound) << "a closed iterator is refused";
}

TEST_F(FilesCatalog, FullAndPartialPathsNameItemsFromTheVolumeOrTheFolder) {
  const Folder p = Make("P"), q = Make("P/Q");
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
}

TEST_F(FilesCatalog, VolumesAreListedFromTheHomeVolumeOnAndEndWithNsvErr) {
  const fs::Volume* volume = fs::FindVolume(kOnSystemDisk);
  ASSERT_NE(volume, nullptr);
  HParamBlockRec pb{};
  PStr volName(volume->name + ":");  // by name
  pb.volumeParam.ioNamePtr = volName;
  pb.volumeParam.ioVolIndex = -1;
  ASSERT_EQ(PBHGetVInfoSync(&pb), noErr);
  EXPECT_EQ(pb.volumeParam.ioVRefNum, -1);
  EXPECT_EQ(Text(volName), volume->name);
  for (SInt16 asked : {SInt16(0), SInt16(kOnSystemDisk), SInt16(-1)}) {  // by number
    pb = HParamBlockRec{};
    pb.volumeParam.ioVRefNum = asked;
    ASSERT_EQ(PBHGetVInfoSync(&pb), noErr);
    EXPECT_EQ(pb.volumeParam.ioVRefNum, -1);
  }
  std::vector<SInt16> numbers;  // by index, from the home volume on
  for (pb = HParamBlockRec{}; ++pb.volumeParam.ioVolIndex, PBHGetVInfoSync(&pb) == noErr;)
    numbers.push_back(pb.volumeParam.ioVRefNum);
  EXPECT_EQ(PBHGetVInfoSync(&pb), nsvErr);
  ASSERT_FALSE(numbers.empty());
  EXPECT_EQ(numbers[0], -1);
  FSVolumeInfo info{};
  EXPECT_EQ(FSGetVolumeInfo(kFSInvalidVolumeRefNum, numbers.size(), nullptr, kFSVolInfoSizes, &info,
                            nullptr, nullptr),
            noErr)
      << "the last volume is listed";
  EXPECT_GE(info.totalBytes, info.freeBytes);
  EXPECT_EQ(FSGetVolumeInfo(kFSInvalidVolumeRefNum, numbers.size() + 1, nullptr, kFSVolInfoNone,
                            nullptr, nullptr, nullptr),
            nsvErr);
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
  EXPECT_EQ(PathOf(ref), std::filesystem::read_symlink("/proc/self/exe").string());
}

}  // namespace

namespace {

// A save killed while it wrote leaves "file-catalogue.tmp-<pid>" or its journal's
// "file-catalogue.journal.tmp-<pid>" behind (the children here leave one each and end); the
// next save removes every one but its own, and nothing else.
TEST_F(FilesCatalog, TemporaryFilesOfSavesThatNeverFinishedGoWithTheNextSave) {
  const std::string file = fs::CatalogueFilePath();
  const std::string folder = file.substr(0, file.rfind('/'));
  std::filesystem::create_directories(folder);
  std::vector<std::string> left;
  for (int i = 0; i < 3; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      const std::string of = i == 2 ? file + ".journal" : file;
      WriteHostFile(of + ".tmp-" + std::to_string(getpid()), std::string(4096, 'x'));
      std::_Exit(0);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    left.push_back((i == 2 ? file + ".journal" : file) + ".tmp-" + std::to_string(child));
  }
  const std::vector<std::string> kept = {file + ".tmp-x", file + ".tmp-", folder + "/notes"};
  for (const std::string& k : kept) WriteHostFile(k, "k");
  for (const std::string& l : left) ASSERT_TRUE(HostExists(l));

  WriteHostFile(home_.Path("item"), "i");
  FileID(FolderAt(home_, ""), "item");
  ASSERT_EQ(fs::SaveCatalogue(), noErr);
  for (const std::string& l : left) EXPECT_FALSE(HostExists(l)) << l;
  for (const std::string& k : kept) EXPECT_TRUE(HostExists(k)) << k;
  EXPECT_TRUE(HostExists(file));
}

// A flush appends the records it changed to the catalogue's journal instead of writing every
// record again; once it has said noErr, a crash keeps the ids it handed out and the moves it
// saw, also when a later flush was cut short and left half a batch behind.
TEST_F(FilesCatalog, AFlushKeepsItsIdsThroughACrashWithoutRewritingTheCatalogue) {
  const std::string file = fs::CatalogueFilePath(), journal = file + ".journal";
  for (const bool torn : {false, true}) {
    SCOPED_TRACE(torn ? "a batch cut short after it" : "nothing after it");
    const std::string dir = torn ? "Torn" : "Whole";
    const Folder work = Make(dir), far = Make(dir + "/Far");
    for (const char* n : {"old", "new1", "new2", "later"}) WriteHostFile(home_.Path(dir + "/" + n), n);
    fs::SetLargestInodeIdForTests(2);
    const SInt32 old = FileID(work, "old");
    sp_testing::RestartFileCatalogue();
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    const pid_t child = fork();
    if (child == 0) {
      fs::ResetCatalogueAndVolumes();
      fs::SetLargestInodeIdForTests(2);
      bool ok = CatMove(work.vRefNum, work.dirID, PStr("old"), far.dirID, nullptr) == noErr;
      std::ofstream(home_.Path("ids")) << FileID(work, "new1") << ' ' << FileID(work, "new2");
      ok = ok && FlushVol(nullptr, work.vRefNum) == noErr;
      if (torn) std::ofstream(journal, std::ios::app) << std::string("\0\0\1\0garbage", 11);
      std::_Exit(ok ? 0 : 1);  // no exit handlers: nothing saved after the flush
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    SInt32 new1 = 0, new2 = 0;
    std::ifstream(home_.Path("ids")) >> new1 >> new2;
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the catalogue file was not written again";

    fs::ResetCatalogueAndVolumes();  // this instance's own state goes unsaved
    fs::SetLargestInodeIdForTests(2);
    const SInt32 later = FileID(work, "later");
    ASSERT_EQ(FlushVol(nullptr, work.vRefNum), noErr);
    fs::ResetCatalogueAndVolumes();
    const struct {
      SInt32 id;
      const char* path;
    } ids[] = {{old, "Far/old"}, {new1, "new1"}, {new2, "new2"}, {later, "later"}};
    for (const auto& c : ids) {
      SCOPED_TRACE(c.path);
      EXPECT_GE(UInt32(c.id), 0x80000000u);
      fs::Location item;
      EXPECT_EQ(fs::LocateNode(work.vRefNum, UInt32(c.id), item), noErr);
      EXPECT_EQ(item.path, home_.Path(dir + "/" + c.path));
    }
    sp_testing::RestartFileCatalogue();
  }
}

// A flush that cannot write the journal says so, leaves no part of its batch behind, and
// saves the same records at the next flush.
TEST_F(FilesCatalog, AFlushThatCannotWriteTheJournalFailsAndLeavesItAsItWas) {
  const std::string journal = fs::CatalogueFilePath() + ".journal";
  const Folder home = FolderAt(home_, "");
  WriteHostFile(home_.Path("first"), "f");
  WriteHostFile(home_.Path("second"), "s");
  fs::SetLargestInodeIdForTests(2);
  FileID(home, "first");
  sp_testing::RestartFileCatalogue();
  fs::SetLargestInodeIdForTests(2);
  const SInt32 second = FileID(home, "second");
  const std::string was = ReadHostFile(journal);
  ASSERT_FALSE(was.empty());

  rlimit limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  rlimit small = limit;
  small.rlim_cur = rlim_t(was.size() + 8);
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const OSErr failed = FlushVol(nullptr, home.vRefNum);
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, previous);
  EXPECT_NE(failed, noErr);
  EXPECT_EQ(ReadHostFile(journal), was);

  EXPECT_EQ(FlushVol(nullptr, home.vRefNum), noErr);
  EXPECT_GT(ReadHostFile(journal).size(), was.size());
  fs::ResetCatalogueAndVolumes();
  fs::Location item;
  EXPECT_EQ(fs::LocateNode(home.vRefNum, UInt32(second), item), noErr);
  EXPECT_EQ(item.path, home_.Path("second"));
}

}  // namespace
