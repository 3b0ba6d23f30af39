// Finder information, file and folder information, the nearest visible folder, and icons.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "Icons.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpStdFunction.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

// Work folders inside the temporary home's Documents folder.
class FinderInformation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_,
                                &documentsID_));
    folderID_ = MakeFolder(documentsID_, "Info");
  }

  std::string Linux(const std::string& relative) const {
    return home_.Path("Documents/Info/" + relative);
  }
  SInt32 MakeFolder(SInt32 parent, const std::string& name, UInt16 flags = 0) {
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    SInt32 id = 0;
    EXPECT_EQ(noErr, DirCreate(vRefNum_, parent, pascal, &id)) << name;
    if (flags != 0) SetFolderInfo(parent, name, flags, {10, 20, 110, 220}, {7, 8});
    return id;
  }
  void SetFolderInfo(SInt32 parent, const std::string& name, UInt16 flags, Rect window,
                     Point location) {
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    FSSpec spec{};
    ASSERT_EQ(noErr, FSMakeFSSpec(vRefNum_, parent, pascal, &spec));
    FSRef ref{};
    ASSERT_EQ(noErr, FSpMakeFSRef(&spec, &ref));
    FSCatalogInfo info{};
    FolderInfo* folder = reinterpret_cast<FolderInfo*>(info.finderInfo);
    folder->windowBounds = window;
    folder->finderFlags = flags;
    folder->location = location;
    ASSERT_EQ(noErr, FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info));
  }
  void MakeFile(const std::string& name, const std::string& contents, FInfo info) {
    std::ofstream(Linux(name), std::ios::binary) << contents;
    if (info.fdType == 0) return;
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    ASSERT_EQ(noErr, HSetFInfo(vRefNum_, folderID_, pascal, &info));
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  SInt16 vRefNum_ = 0;
  SInt32 documentsID_ = 0;
  SInt32 folderID_ = 0;
};

// ---- Finder flags and information ----------------------------------------------------------

TEST_F(FinderInformation, FileAndFolderFinderInformationComeBackInBothForms) {
  MakeFile("Song", "x", FInfo{SpFourCC("AIFF"), SpFourCC("Mrlb"), kIsStationery, {30, 40}, 0});
  FInfo raw{};
  sFileInformation info{};
  ASSERT_EQ(noErr, Sp_GetFileFinderInformation(vRefNum_, folderID_, "Song", &raw, &info));
  EXPECT_EQ((std::vector<SInt32>{SInt32(raw.fdType), raw.fdFlags, SInt32(info.fileType),
                                 SInt32(info.creator), info.finderFlags.stationeryFlag,
                                 info.location.v, info.location.h}),
            (std::vector<SInt32>{SInt32(SpFourCC("AIFF")), kIsStationery, SInt32(SpFourCC("AIFF")),
                                 SInt32(SpFourCC("Mrlb")), 1, 30, 40}));
  EXPECT_EQ(fnfErr, Sp_GetFileFinderInformation(vRefNum_, folderID_, "None", &raw, nullptr));

  const SInt32 id = MakeFolder(folderID_, "Shown");
  SetFolderInfo(folderID_, "Shown", kNameLocked, {10, 20, 110, 220}, {7, 8});
  DInfo dirRaw{};
  sDirectoryInfo dirInfo{};
  ASSERT_EQ(noErr, Sp_GetFolderFinderInformation(vRefNum_, id, &dirRaw, &dirInfo));
  EXPECT_EQ((std::vector<SInt32>{dirRaw.frFlags, dirInfo.finderFlags.nameLockedFlag,
                                 dirInfo.windowRect.right, dirInfo.windowRect.bottom,
                                 dirInfo.location.v, dirInfo.location.h}),
            (std::vector<SInt32>{kNameLocked, 1, 220, 110, 7, 8}));
  EXPECT_EQ(0u, log_.Count());

  // Nothing asked for, or no name: refused and reported.
  EXPECT_EQ(paramErr, Sp_GetFileFinderInformation(vRefNum_, folderID_, "Song", nullptr, nullptr));
  EXPECT_EQ(paramErr, Sp_GetFileFinderInformation(vRefNum_, folderID_, nullptr, &raw, nullptr));
  EXPECT_EQ(paramErr, Sp_GetFolderFinderInformation(vRefNum_, id, nullptr, nullptr));
  EXPECT_EQ(3u, log_.Count());
}

TEST_F(FinderInformation, FileInformationAndSizesTellDataForkAndModificationDate) {
  MakeFile("Data", std::string(1000, 'd'), FInfo{SpFourCC("TEXT"), SpFourCC("ttxt"), 0, {}, 0});
  const time_t modified = 1000000000;  // long before the file was made
  struct timeval times[2] = {{modified, 0}, {modified, 0}};
  ASSERT_EQ(0, utimes(Linux("Data").c_str(), times));
  struct tm local {};
  localtime_r(&modified, &local);
  SInt32 fileID = 0;
  ASSERT_EQ(noErr, Sp_GetFileIdFromFileNameInDirId(vRefNum_, folderID_, "Data", fileID));

  short number = 0;
  signed char attributes = -1;
  SInt32 data = -1, rsrc = -1, total = -1;
  UInt32 created = 0, mod = 0;
  ASSERT_EQ(noErr, Sp_GetFileInformation(vRefNum_, folderID_, "Data", &number, nullptr, &attributes,
                                         &data, nullptr, &rsrc, nullptr, &created, &mod));
  EXPECT_EQ((std::vector<SInt64>{number, attributes & kioFlAttribDirMask, data, rsrc, mod}),
            (std::vector<SInt64>{short(fileID & 0xFFFF), 0, 1000, 0,
                                 modified + 2082844800LL + local.tm_gmtoff}));
  EXPECT_NE(mod, created);

  ASSERT_EQ(noErr, Sp_GetFileSize(vRefNum_, folderID_, "Data", &total, 0, 0, 0, 0, 0));
  EXPECT_EQ(1000, total);
  EXPECT_EQ(fnfErr, Sp_GetFileSize(vRefNum_, folderID_, "None", &total, 0, 0, 0, 0, 0));
}

// ---- The nearest visible folder ------------------------------------------------------------

TEST_F(FinderInformation, NearestVisibleFolderIsTheLowestWithNoInvisibleFolderAbove) {
  const SInt32 outer = MakeFolder(folderID_, "Outer");
  const SInt32 middle = MakeFolder(outer, "Middle", kIsInvisible);
  const SInt32 inner = MakeFolder(middle, "Inner");
  const SInt32 below = MakeFolder(MakeFolder(outer, ".dotted"), "Below");  // hidden by name
  const SInt32 cases[][3] = {
      {inner, 1, outer},         {middle, 1, outer},          {outer, 1, outer}, {below, 1, outer},
      {folderID_, 1, folderID_}, {0x7FFFFFF0, 0, 0x7FFFFFF0},  // a folder that does not exist
  };
  for (const auto& c : cases) {
    SInt32 visible = -1;
    EXPECT_EQ(c[1], Sp_GetVisibleFolder(vRefNum_, c[0], visible)) << c[0];
    EXPECT_EQ(c[2], visible) << c[0];
  }
}

TEST_F(FinderInformation, AFolderLoopInADamagedCatalogueEndsTheWalksUpward) {
  const SInt32 outer = MakeFolder(folderID_, "Outer");
  const SInt32 inner = MakeFolder(outer, "Inner");
  // The saved catalogue gets Outer's parent set to Inner. Its layout: magic 4, version 2,
  // sections 4; each section a mount path (16-bit length first), next id 4, count 4, then
  // entries of id 4, parent 4, inode 8, kind 1, known 1, stamp 8, generation 4 and a path
  // (16-bit length first).
  sp_testing::RestartFileCatalogue();
  const std::string file = home_.Path(".local/share/mediamanager/file-catalogue");
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  in.close();
  ASSERT_GT(bytes.size(), 10u);
  UInt8* b = reinterpret_cast<UInt8*>(&bytes[0]);
  bool patched = false;
  std::size_t at = 10;
  for (UInt32 s = 0, sections = sp::LoadBE32(b + 6); s < sections; ++s) {
    at += 2 + sp::LoadBE16(b + at) + 4;
    const UInt32 count = sp::LoadBE32(b + at);
    at += 4;
    for (UInt32 i = 0; i < count; ++i, at += 32 + sp::LoadBE16(b + at + 30)) {
      if (sp::LoadBE32(b + at) != UInt32(outer)) continue;
      sp::StoreBE32(b + at + 4, UInt32(inner));
      patched = true;
    }
  }
  ASSERT_TRUE(patched);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;

  SInt32 visible = -1;
  EXPECT_EQ(0, Sp_GetVisibleFolder(vRefNum_, inner, visible));
  EXPECT_EQ(inner, visible);
  char path[4096] = "";
  EXPECT_NE(noErr, Sp_DirFullPathNameFromDirID(inner, vRefNum_, path));
}

}  // namespace
