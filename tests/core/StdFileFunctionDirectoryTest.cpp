// Folder listings, their entries, and the set operations over listings.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionDirectory.h"
#include "SpStdFunction.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestFiles.h"

namespace {

// "日本語" in MacJapanese, six bytes.
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";

std::vector<std::string> Names(const cDirectoryItem* list) {
  std::vector<std::string> names;
  char buffer[kSpDirectoryItemNameSize];
  for (; list != nullptr; list = list->GetNextObjectPtr()) {
    unsigned char tooLong = 0;
    list->GetFileName(buffer, sizeof buffer, tooLong);
    names.push_back(buffer);
  }
  return names;
}

// What an entry says about its item besides its classic name.
std::vector<std::string> Describe(const cDirectoryItem* list) {
  std::vector<std::string> out;
  for (; list != nullptr; list = list->GetNextObjectPtr()) {
    char longName[kSpDirectoryItemNameSize];
    list->GetChangedFromUnicodeFileName(longName);
    FInfo info{};
    list->GetFileInfo(info);
    short vRefNum = 0;
    SInt32 parent = 0;
    list->GetVolumeRefNum(vRefNum);
    list->GetUpperDirectoryId(parent);
    std::ostringstream line;
    line << longName << " dir=" << int(list->IsDirectory())
         << " id=" << list->GetFileOrDirecotryId() << " type=" << list->GetFileType()
         << " creator=" << list->GetCreator() << " flags=" << info.fdFlags
         << " at=" << info.fdLocation.v << "," << info.fdLocation.h << " in=" << vRefNum << ":"
         << parent;
    out.push_back(line.str());
  }
  return out;
}

struct ListHolder {
  cDirectoryItem* list = nullptr;
  ~ListHolder() { Sp_DisposeDirectoryItemList(list); }
};

// A folder "List" inside the temporary home's Documents folder.
class DirectoryListing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_,
                                &documentsID_));
    folderID_ = MakeFolder(documentsID_, "List");
  }

  // A file with its Finder information (name in MacJapanese).
  void MakeFile(const std::string& name, UInt16 flags = 0, OSType type = SpFourCC("TEXT"),
                Point location = {0, 0}) {
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    ASSERT_EQ(noErr, HCreate(vRefNum_, folderID_, pascal, SpFourCC("ttxt"), type)) << name;
    FInfo info{type, SpFourCC("ttxt"), flags, location, 0};
    ASSERT_EQ(noErr, HSetFInfo(vRefNum_, folderID_, pascal, &info)) << name;
  }
  SInt32 MakeFolder(SInt32 parent, const std::string& name) {
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    SInt32 id = 0;
    EXPECT_EQ(noErr, DirCreate(vRefNum_, parent, pascal, &id)) << name;
    return id;
  }
  FSRef FolderRef() const {
    FSSpec spec{};
    EXPECT_EQ(noErr, FSMakeFSSpec(vRefNum_, folderID_, nullptr, &spec));
    FSRef ref{};
    EXPECT_EQ(noErr, FSpMakeFSRef(&spec, &ref));
    return ref;
  }

  // The ways of listing the same folder: classic by id, bulk by FSRef.
  OSErr List(int way, cDirectoryItem*& list, unsigned char invisible) {
    if (way == 0) return Sp_SerchFolderItemInDirId(vRefNum_, folderID_, nullptr, list, invisible);
    FSRef ref = FolderRef();
    return Sp_SerchFolderItemInDirIdForMacOSX(&ref, nullptr, list, invisible);
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  SInt16 vRefNum_ = 0;
  SInt32 documentsID_ = 0;
  SInt32 folderID_ = 0;
};

// ---- Listings ------------------------------------------------------------------------------

TEST_F(DirectoryListing, AllListersGiveEveryEntryAcrossBatchesAndInvisibleFilesOnlyIfAsked) {
  MakeFile("hidden", kIsInvisible);
  MakeFile(".dot");
  MakeFolder(folderID_, ".hiddenfolder");
  std::vector<std::string> without = {".hiddenfolder"};
  for (int i = 0; i < 47; ++i) {  // more than one bulk batch
    without.push_back((i < 10 ? "F0" : "F") + std::to_string(i));
    MakeFile(without.back());
  }
  std::vector<std::string> with = without;
  with.insert(with.begin(), ".dot");
  with.push_back("hidden");
  for (int way = 0; way < 2; ++way) {
    SCOPED_TRACE(way);
    ListHolder holder[2];
    EXPECT_EQ(noErr, List(way, holder[0].list, 0));
    EXPECT_EQ(noErr, List(way, holder[1].list, 1));
    EXPECT_EQ(without, Names(holder[0].list));
    EXPECT_EQ(with, Names(holder[1].list));
    std::set<SInt32> ids;
    for (cDirectoryItem* item = holder[0].list; item != nullptr; item = item->GetNextObjectPtr()) {
      ids.insert(item->GetFileOrDirecotryId());
      const cDirectoryItem* next = item->GetNextObjectPtr();
      EXPECT_TRUE(next == nullptr || next->GetBeforeObjectPtr() == item);
    }
    EXPECT_EQ(without.size(), ids.size()) << "ids are not distinct";
  }
  EXPECT_EQ(0u, log_.Count());
}

TEST_F(DirectoryListing, ClassicAndBulkListingsGiveTheSameEntriesAndShortClassicNames) {
  const std::string longName = kNihongo + kNihongo + kNihongo + kNihongo + kNihongo + "-33";
  MakeFile("Song.aiff", kHasBeenInited, SpFourCC("AIFF"), {12, 34});
  MakeFile("Readme", kNameLocked | kIsStationery, SpFourCC("TEXT"), {-1, -1});
  MakeFile(longName);
  const SInt32 subID = MakeFolder(folderID_, "Sub");
  // Names past what an FSSpec holds, which need a classic stand-in in both listings.
  const std::string longer = std::string(12, 'x') + kNihongo + kNihongo + kNihongo + kNihongo +
                             kNihongo + kNihongo + kNihongo + kNihongo + kNihongo + "!";
  const std::string longFolder(70, 'z');
  MakeFile(longer);
  MakeFolder(folderID_, longFolder);

  ListHolder classic;
  ListHolder bulk;
  ASSERT_EQ(noErr, Sp_SerchFolderItemInDirId(vRefNum_, folderID_, "", classic.list, 1));
  FSRef ref = FolderRef();
  ASSERT_EQ(noErr, Sp_SerchFolderItemInDirIdForMacOSX(&ref, nullptr, bulk.list, 1));
  const std::vector<std::string> described = Describe(classic.list);
  ASSERT_EQ(6u, described.size());
  EXPECT_EQ(described, Describe(bulk.list));
  // Both name an item alike, within the 31 bytes of a classic name, by a name that finds it.
  const std::vector<std::string> names = Names(classic.list);
  EXPECT_EQ(names, Names(bulk.list));
  for (const std::string& name : names) {
    EXPECT_LE(name.size(), 31u) << name;
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    FSSpec spec;
    EXPECT_EQ(noErr, FSMakeFSSpec(vRefNum_, folderID_, pascal, &spec)) << name;
  }

  // The long name is the whole name, also where the classic name is a stand-in.
  std::set<std::string> longNames;
  for (const std::string& entry : described) longNames.insert(entry.substr(0, entry.find(' ')));
  EXPECT_EQ((std::set<std::string>{longName, longer, longFolder, "Readme", "Song.aiff", "Sub"}),
            longNames);
  // Entries tell their own file: the second is the song, the third the folder.
  const cDirectoryItem* song = classic.list->GetNextObjectPtr();
  EXPECT_EQ(SpFourCC("AIFF"), song->GetFileType());
  EXPECT_EQ(SpFourCC("ttxt"), song->GetCreator());
  EXPECT_EQ(subID, song->GetNextObjectPtr()->GetFileOrDirecotryId());
  // Only the bulk listing keeps the catalogue's record.
  EXPECT_EQ(nullptr, classic.list->GetFSCatalogInfo());
  ASSERT_NE(nullptr, bulk.list->GetFSCatalogInfo());
  EXPECT_EQ(SInt32(bulk.list->GetFSCatalogInfo()->nodeID), bulk.list->GetFileOrDirecotryId());
}

TEST_F(DirectoryListing, EmptyMissingOrFileFolderGivesNullList) {
  MakeFile("plain");
  MakeFolder(folderID_, "Empty");
  struct Case {
    const char* name;
    OSErr expected;
  } cases[] = {{"Empty", noErr}, {"nothing", fnfErr}, {"plain", dirNFErr}};
  for (const Case& c : cases) {
    cDirectoryItem* list = reinterpret_cast<cDirectoryItem*>(0x1);  // must be overwritten
    EXPECT_EQ(c.expected, Sp_SerchFolderItemInDirId(vRefNum_, folderID_, c.name, list, 1))
        << c.name;
    EXPECT_EQ(nullptr, list) << c.name;
  }
}

// ---- Entries -------------------------------------------------------------------------------

TEST_F(DirectoryListing, OutOfMemoryGivesMemFullErrAndIsReported) {
  MakeFile("one");
  // The classic listing's one work area, the first and the last of the bulk listing's four.
  struct Case {
    int way;
    UInt32 failing;
    const char* method;
  } cases[] = {{0, 1, "Sp_SerchFolderItemInDirId"},
               {1, 1, "Sp_SerchFolderItemInDirIdForMacOSX"},
               {1, 4, "Sp_SerchFolderItemInDirIdForMacOSX"}};
  for (const Case& c : cases) {
    log_.Clear();
    cDirectoryItem* list = nullptr;
    sp_testing::FailNthAllocation(c.failing);
    EXPECT_EQ(memFullErr, List(c.way, list, 1)) << c.method << c.failing;
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(nullptr, list);
    EXPECT_TRUE(log_.Has(c.method, 2)) << c.method << c.failing;
  }
}

TEST(DirectoryItem, IsVisibleFileRefusesTheInvisibleFlagAndDotNames) {
  struct Case {
    const char* why;
    const char* name;
    bool folder;
    UInt16 flags;
    Boolean expected;
  } cases[] = {
      {"an ordinary file", "x", false, 0, 1},
      {"a folder", "x", true, 0, 1},
      {"an invisible file", "x", false, kIsInvisible, 0},
      {"an invisible folder", "x", true, kIsInvisible, 0},
      {"a file with other flags", "x", false, kHasCustomIcon | kIsAlias | kHasBeenInited, 1},
      {"a dot name", ".x", false, 0, 0},
      {"a dot inside the name", "x.y", false, 0, 1},
  };
  for (const Case& c : cases) {
    cDirectoryItem item;
    item.SetupItemName(-1, 100, c.name);
    FInfo info{SpFourCC("TEXT"), SpFourCC("ttxt"), c.flags, {0, 0}, 0};
    item.SetupFileInfo(&info);
    item.SetupDirectoryFlag(c.folder ? 1 : 0);
    EXPECT_EQ(c.expected, item.IsVisibleFile()) << c.why;
  }
}

TEST(DirectoryItem, FileNameFitsOnlyWithRoomForTwoMoreBytes) {
  const std::string name31(31, 'n');
  cDirectoryItem item;
  item.SetupItemName(-1, 2, name31.c_str());
  char buffer[64];
  struct Case {
    char* buffer;
    SInt32 size;
    bool fits;
  } cases[] = {{buffer, 33, true}, {buffer, 32, false}, {buffer, 0, false}, {nullptr, 64, false}};
  for (const Case& c : cases) {
    unsigned char tooLong = 9;
    char* result = item.GetFileName(c.buffer, c.size, tooLong);
    EXPECT_EQ(c.fits ? name31 : "(null)", result != nullptr ? result : "(null)") << c.size;
    EXPECT_EQ(c.fits ? 0 : 1, tooLong) << c.size;
  }
}

TEST(DirectoryItem, OverlongNamesAreCutWithoutSplittingTwoByteCharacters) {
  // 1021 one-byte characters, then a two-byte one that would end at byte 1023.
  const std::string name = std::string(1021, 'a') + kNihongo;
  cDirectoryItem item;
  item.SetupItemName(-1, 2, name.c_str());
  item.SetupChangedFromUnicodeFileName(name.c_str());
  EXPECT_EQ(1021, item.GetFileNameLength());
  char longName[kSpDirectoryItemNameSize];
  item.GetChangedFromUnicodeFileName(longName);
  EXPECT_EQ(std::string(1021, 'a'), std::string(longName));
}

TEST(FileInfoObj, NameIsCutToCapacityAndToTheCallersBufferOnCharacterBoundaries) {
  const std::string f509(509, 'f');  // then a two-byte character crossing the 510-byte limit
  struct Case {
    std::string name;
    SInt32 size;
    std::string expected;
    unsigned char cut;
  } cases[] = {
      {f509 + kNihongo, 600, f509, 0},
      {kNihongo, 8, kNihongo, 0},
      {kNihongo, 7, kNihongo.substr(0, 4), 1},  // 5 bytes allowed: two whole characters
      {kNihongo, 2, "", 1},
  };
  for (const Case& c : cases) {
    cFileInfoObj entry;
    entry.SetupFileName(c.name.c_str());
    char buffer[600];
    unsigned char cut = 9;
    ASSERT_EQ(buffer, entry.GetFileName(buffer, c.size, cut)) << c.size;
    EXPECT_EQ(std::string(buffer) + std::to_string(cut), c.expected + std::to_string(c.cut));
  }
}

}  // namespace
