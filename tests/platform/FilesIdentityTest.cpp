// Ids that name one item and never another, on real Linux file systems: documents saved by
// other programs through a temporary file renamed over them, inode numbers freed and taken by
// new files, across restarts of the program.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Files.h"
#include "FilesFixture.h"
#include "PrivateMounts.h"
#include "TestFiles.h"
#include "files/detail/Catalog.h"
#include "files/detail/Identity.h"

namespace {

using namespace files_test;
namespace fs = sp_platform::files;

enum : UInt8 { kBirth = 0x1, kGeneration = 0x2, kStamp = 0x4, kEverything = 0x7 };

UInt64 InodeOf(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? UInt64(st.st_ino) : 0;
}

class FilesIdentity : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto it = mounted_.rbegin(); it != mounted_.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
    sp_testing::ResetFiles();
  }

  // A new empty folder for a row: on the home's own file system (kind ""), on a tmpfs, or on
  // ext4 made in an image with 256-byte inodes ("ext4", which keep birth times) or 128-byte
  // ones ("ext4-128", which keep none). Empty when this process may not mount one.
  std::string Scratch(const std::string& kind, const std::string& name) {
    const std::string path = home_.Path(name);
    if (mkdir(path.c_str(), 0700) != 0) return std::string();
    if (kind.empty()) return path;
    if (!test_support::UsePrivateMounts()) return std::string();
    int status = -1;
    if (kind == "tmpfs") {
      status = mount("tmpfs", path.c_str(), "tmpfs", 0, "size=1m");
    } else {
      const std::string image = path + ".img";
      const std::string inodes = kind == "ext4-128" ? "128" : "256";
      status = std::system(("mkfs.ext4 -q -F -O ^has_journal -I " + inodes + " '" + image +
                            "' 4M >/dev/null 2>&1 && mount -o loop '" + image + "' '" + path +
                            "' >/dev/null 2>&1")
                               .c_str());
    }
    if (status != 0) return std::string();
    mounted_.push_back(path);
    sp_testing::ResetFiles();  // the volume table is read again, with the new volume
    return path;
  }

  sp_testing::HomeScope home_;
  std::vector<std::string> mounted_;
};

// Three documents another program saves while the program is not running: two by writing a
// temporary file and renaming it over the document (the program saw one of those temporary
// files before), one by renaming the document aside and writing a new one. New files made
// next take the inode numbers the saves freed, where the file system reuses them.
TEST_F(FilesIdentity, SavedDocumentsKeepTheirIdsAndNewFilesNeverGetAnOldOne) {
  const struct {
    const char* why;
    const char* kind;
    UInt8 sources;    // what besides the number tells items apart
    bool synthetic;   // every item gets a synthetic id, as on file systems with large numbers
    bool reuses;      // the file system gives freed numbers to the next files at once
  } rows[] = {
      {"the home's file system", "", kEverything, false, false},
      {"tmpfs", "tmpfs", kEverything, false, false},
      {"ext4", "ext4", kEverything, false, true},
      {"ext4 keeping no birth times", "ext4-128", kEverything, false, true},
      {"ext4, items told apart by their stamp attributes", "ext4", kStamp, false, true},
      {"ext4 with synthetic ids", "ext4", kEverything, true, true},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    const std::string top = Scratch(row.kind, "fs" + std::to_string(n++));
    if (top.empty()) {
      std::printf("[ SKIPPED  ] %s: cannot make one here\n", row.why);
      continue;
    }
    fs::SetIdentitySourcesForTests(row.sources);
    if (row.synthetic) fs::SetLargestInodeIdForTests(2);
    const std::string d = top + "/docs";
    ASSERT_EQ(mkdir(d.c_str(), 0700), 0);
    const Folder docs = FolderAt(home_, d.substr(home_.Home().size() + 1));
    for (const char* name : {"song.txt", "letter.txt", "memo.txt"}) {
      WriteHostFile(d + "/" + name, std::string(name) + " 1");
    }
    const std::set<UInt64> freed = {InodeOf(d + "/song.txt"), InodeOf(d + "/letter.txt")};
    const FSRef song = Ref(docs, "song.txt"), letter = Ref(docs, "letter.txt"),
                memo = Ref(docs, "memo.txt");
    std::set<SInt32> old = {FileID(docs, "song.txt"), FileID(docs, "letter.txt"),
                            FileID(docs, "memo.txt")};
    WriteHostFile(d + "/.letter.tmp", "letter.txt 2");
    old.insert(FileID(docs, ".letter.tmp"));  // the program sees it before it is renamed
    sp_testing::RestartFileCatalogue();

    WriteHostFile(d + "/.song.tmp", "song.txt 2");
    ASSERT_EQ(rename((d + "/.song.tmp").c_str(), (d + "/song.txt").c_str()), 0);
    ASSERT_EQ(rename((d + "/.letter.tmp").c_str(), (d + "/letter.txt").c_str()), 0);
    ASSERT_EQ(rename((d + "/memo.txt").c_str(), (d + "/memo.txt~").c_str()), 0);
    const std::vector<std::string> made = {"memo.txt", "new1", "new2", "new3"};
    std::set<UInt64> taken;
    for (const std::string& name : made) {
      WriteHostFile(d + "/" + name, name + " new");
      taken.insert(InodeOf(d + "/" + name));
    }
    if (row.reuses) {
      EXPECT_TRUE(std::any_of(freed.begin(), freed.end(),
                              [&](UInt64 ino) { return taken.count(ino) != 0; }))
          << "no freed number was taken: the rows below would not show a reuse";
    }
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(run == 0 ? "as first seen" : "after a restart");
      const struct {
        const FSRef& ref;
        const char* path;
        const char* contents;
      } kept[] = {
          {song, "song.txt", "song.txt 2"},
          {letter, "letter.txt", "letter.txt 2"},
          {memo, "memo.txt~", "memo.txt 1"},
      };
      for (const auto& k : kept) {
        EXPECT_EQ(PathOf(k.ref), d + "/" + k.path);
        EXPECT_EQ(ReadHostFile(PathOf(k.ref)), k.contents);
      }
      std::set<SInt32> fresh;
      for (const std::string& name : made) {
        const SInt32 id = FileID(docs, name);
        EXPECT_EQ(old.count(id), 0u) << name << " got an old id";
        EXPECT_TRUE(fresh.insert(id).second) << name << " shares its id";
        EXPECT_TRUE(!row.synthetic || UInt32(id) >= 0x80000000u) << name << " " << id;
      }
      sp_testing::RestartFileCatalogue();
    }
    // Deleting through one deletes that document only.
    ASSERT_EQ(FSDeleteObject(&song), noErr);
    EXPECT_FALSE(HostExists(d + "/song.txt"));
    for (const char* name : {"letter.txt", "memo.txt~", "memo.txt", "new1", "new2", "new3"}) {
      EXPECT_TRUE(HostExists(d + "/" + name)) << name;
    }
  }
}

// Changes other programs make while the program is not running, and where the ids of "a" and
// "b" are after them, asked in either order: each follows its own item, or the document that
// replaced it at its path, or says fnfErr; never another item.
TEST_F(FilesIdentity, EachIdFollowsItsOwnItemThroughOtherProgramsChanges) {
  const struct {
    const char* why;
    const char* commands;  // run in the folder holding "a" and "b"
    const char* a;         // where a's id leads ("" for fnfErr), and what it holds there
    const char* aHolds;
    const char* b;
  } cases[] = {
      {"swapped", "mv a t && mv b a && mv t b", "b", "A", "a"},
      {"a restored from a copy", "cp -p a c && rm a && mv c a", "a", "A", "b"},
      {"a moved into a folder, a new a written", "mkdir s && mv a s/a && echo n > a", "s/a", "A",
       "b"},
      {"a replaced by a folder", "rm a && mkdir a", "", "", "b"},
      {"b renamed over a", "mv b a", "a", "B", ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    for (bool aFirst : {true, false}) {
      SCOPED_TRACE(std::string(c.why) + (aFirst ? ", a asked first" : ", b asked first"));
      const std::string d = home_.Path("case" + std::to_string(n++));
      ASSERT_EQ(mkdir(d.c_str(), 0700), 0);
      WriteHostFile(d + "/a", "A");
      WriteHostFile(d + "/b", "B");
      const Folder folder = FolderAt(home_, d.substr(home_.Home().size() + 1));
      const FSRef a = Ref(folder, "a"), b = Ref(folder, "b");
      sp_testing::RestartFileCatalogue();
      ASSERT_EQ(std::system(("cd '" + d + "' && " + c.commands).c_str()), 0);
      const std::string first = PathOf(aFirst ? a : b), second = PathOf(aFirst ? b : a);
      const std::string gotA = aFirst ? first : second, gotB = aFirst ? second : first;
      EXPECT_EQ(gotA, *c.a ? d + "/" + c.a : "(none)");
      EXPECT_EQ(gotB, *c.b ? d + "/" + c.b : "(none)");
      EXPECT_EQ(*c.a ? ReadHostFile(gotA) : "", c.aHolds);
    }
  }
}

// The catalogue looks at an item and its birth time in one call: what it sees is what lstat
// reports (the device number is stored with each record), and the identity the same as one
// read field by field. The generation an identity holds is the one FS_IOC_GETVERSION reports,
// so that the identities the catalogue has stored keep naming their items.
TEST_F(FilesIdentity, ALookIsTheItemsLstatAndItsGenerationTheFileSystems) {
  const auto fields = [](const struct stat& s) {
    return std::make_tuple(s.st_dev, s.st_ino, s.st_mode, s.st_nlink, s.st_size, s.st_blocks,
                           s.st_mtim.tv_sec, s.st_mtim.tv_nsec, s.st_ctim.tv_nsec);
  };
  int n = 0;
  for (const char* kind : {"", "tmpfs", "ext4", "ext4-128"}) {
    SCOPED_TRACE(*kind != 0 ? kind : "the home's file system");
    const std::string top = Scratch(kind, "look" + std::to_string(n++));
    if (top.empty()) continue;
    WriteHostFile(top + "/file", "file");
    ASSERT_EQ(mkdir((top + "/folder").c_str(), 0700), 0);
    ASSERT_EQ(symlink("file", (top + "/link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (top + "/dangling").c_str()), 0);
    for (const std::string name : {"file", "folder", "link", "dangling"}) {
      const std::string path = top + "/" + name;
      struct stat own {};
      ASSERT_EQ(lstat(path.c_str(), &own), 0);
      fs::Looked looked;
      ASSERT_TRUE(fs::LookWithBirth(path, looked)) << path;
      EXPECT_EQ(fields(looked.own), fields(own)) << path;
      const fs::Identity id = fs::IdentityOf(path, looked, true);
      EXPECT_EQ(id, fs::IdentityOf(path, own, true)) << path;
      if (S_ISLNK(own.st_mode)) continue;  // a link has no generation of its own
      const int fd = open(path.c_str(), O_RDONLY);
      ASSERT_GE(fd, 0);
      long reported = 0;
      const bool reports = ioctl(fd, FS_IOC_GETVERSION, &reported) == 0;
      close(fd);
      if (!reports) continue;
      EXPECT_NE(id.known & kGeneration, 0) << path;
      EXPECT_EQ(id.generation, UInt32(UInt64(reported))) << path;
    }
    fs::Looked looked;
    errno = 0;
    EXPECT_FALSE(fs::LookWithBirth(top + "/missing", looked));
    EXPECT_EQ(errno, ENOENT);
  }
}

// A file another program deleted: its id says fnfErr, whatever item takes its number later:
// a file told apart by its birth time or its generation, or a folder where nothing but the
// number and the kind tells items apart.
TEST_F(FilesIdentity, AnIdOfADeletedFileNeverNamesTheItemThatTakesItsNumber) {
  const struct {
    const char* kind;
    UInt8 sources;
    bool folder;  // the item that takes the number
  } rows[] = {{"ext4", kEverything, false}, {"ext4-128", kEverything, false}, {"ext4", 0, true}};
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.kind) + (row.folder ? ", a folder" : ", a file"));
    const std::string top = Scratch(row.kind, "del" + std::to_string(n++));
    if (top.empty()) GTEST_SKIP() << "cannot mount ext4 in an image here";
    fs::SetIdentitySourcesForTests(row.sources);
    const Folder folder = FolderAt(home_, top.substr(home_.Home().size() + 1));
    WriteHostFile(top + "/gone", "gone");
    const UInt64 number = InodeOf(top + "/gone");
    const FSRef gone = Ref(folder, "gone");
    sp_testing::RestartFileCatalogue();
    ASSERT_EQ(unlink((top + "/gone").c_str()), 0);
    if (row.folder) {
      ASSERT_EQ(mkdir((top + "/other").c_str(), 0700), 0);
    } else {
      WriteHostFile(top + "/other", "other");
    }
    ASSERT_EQ(InodeOf(top + "/other"), number) << "the number was not taken again";
    EXPECT_EQ(FSGetCatalogInfo(&gone, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr), fnfErr);
    EXPECT_EQ(FSDeleteObject(&gone), fnfErr);
    EXPECT_TRUE(HostExists(top + "/other"));
    if (!row.folder) {
      EXPECT_EQ(ReadHostFile(top + "/other"), "other");
    }
    EXPECT_NE(PathOf(Ref(folder, "other")), "(none)");
  }
}

}  // namespace
