// Finder information, file and folder information, the nearest visible folder, and icons.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

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

TEST(FinderFlags, EachBitLandsInItsOwnFieldAndNothingElse) {
  struct Case {
    UInt16 flags;
    sFinderFlags expected;
  } cases[] = {
      {kIsAlias, {1, 0, 0, 0, 0, 0}},      {kIsInvisible, {0, 1, 0, 0, 0, 0}},
      {kHasBundle, {0, 0, 1, 0, 0, 0}},    {kNameLocked, {0, 0, 0, 1, 0, 0}},
      {kIsStationery, {0, 0, 0, 0, 1, 0}}, {kHasCustomIcon, {0, 0, 0, 0, 0, 1}},
      // Bits of no interest leave every field clear.
      {kHasBeenInited | kIsOnDesk | kColor | kIsShared | kHasNoINITs, {0, 0, 0, 0, 0, 0}},
      {0xFFFF, {1, 1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    sFinderFlags out;
    std::memset(&out, 0xAA, sizeof out);  // stale bytes must be cleared
    Sp_FinderFlagsToFinderFlagsStruct(static_cast<short>(c.flags), out);
    EXPECT_EQ(0, std::memcmp(&c.expected, &out, sizeof out)) << std::hex << c.flags;
  }
}

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
  const SInt32 dotted = MakeFolder(outer, ".dotted");  // invisible by its name
  const SInt32 below = MakeFolder(dotted, "Below");

  struct Case {
    const char* why;
    SInt32 dirID;
    Boolean result;
    SInt32 visible;
  } cases[] = {
      {"visible under an invisible folder", inner, 1, outer},
      {"the invisible folder itself", middle, 1, outer},
      {"a visible folder with visible parents", outer, 1, outer},
      {"under a folder hidden by its name", below, 1, outer},
      {"the work folder", folderID_, 1, folderID_},
      {"a folder that does not exist", 0x7FFFFFF0, 0, 0x7FFFFFF0},
  };
  for (const Case& c : cases) {
    SInt32 visible = -1;
    EXPECT_EQ(c.result, Sp_GetVisibleFolder(vRefNum_, c.dirID, visible)) << c.why;
    EXPECT_EQ(c.visible, visible) << c.why;
  }
}

// ---- Icons ---------------------------------------------------------------------------------

// Icon data of one resource id: the id's two bytes, then a fill, so every id's icon differs.
std::vector<UInt8> IconBytes(SInt16 id, std::size_t size = 128) {
  std::vector<UInt8> bytes(size, 0x5A);
  bytes[0] = UInt8(UInt16(id) >> 8);
  bytes[1] = UInt8(id & 0xFF);
  return bytes;
}

// The id recorded in the suite's 'ICN#' data; 0 when the suite has none.
SInt16 SuiteIconID(IconSuiteRef suite, ResType type = SpFourCC("ICN#")) {
  Handle data = nullptr;
  if (GetIconFromSuite(&data, suite, type) != noErr || data == nullptr) return 0;
  if (GetHandleSize(data) < 2) return 0;
  return SInt16(UInt16((UInt8((*data)[0]) << 8) | UInt8((*data)[1])));
}

class FolderIcons : public FinderInformation {
 protected:
  void SetUp() override {
    FinderInformation::SetUp();
    sp_testing::ResetResources();
    ASSERT_EQ(noErr, NewIconSuite(&suite_));
  }
  void TearDown() override {
    DisposeIconSuite(suite_, true);
    sp_testing::ResetResources();
  }
  void AddIcons(SInt16 id) {
    ASSERT_EQ(noErr, sp_testing::AddAppResource(SpFourCC("ICN#"), id, IconBytes(id, 256)));
    ASSERT_EQ(noErr, sp_testing::AddAppResource(SpFourCC("ics#"), id, IconBytes(id, 64)));
  }
  IconSuiteRef suite_ = nullptr;
};

TEST_F(FolderIcons, StandardIconIsChosenByPlaceAndFinderFlags) {
  for (SInt16 id : {-3999, -3972, -3977, -3978, -3980, -3992, -3993}) AddIcons(id);
  SInt16 v = 0;
  SInt32 desktopID = 0, trashID = 0;
  ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kDesktopFolderType, kCreateFolder, &v, &desktopID));
  ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kTrashFolderType, kCreateFolder, &v, &trashID));
  const SInt32 plain = MakeFolder(folderID_, "Plain");

  struct Case {
    const char* why;
    SInt32 parent;
    SInt32 dirID;
    SInt16 icon;
  } cases[] = {
      {"an ordinary folder", folderID_, plain, -3999},
      {"Finder flag 0x0008", folderID_, MakeFolder(folderID_, "F8", 0x0008), -3977},
      {"Finder flag 0x0020", folderID_, MakeFolder(folderID_, "F20", 0x0020), -3978},
      {"Finder flag 0x0004", folderID_, MakeFolder(folderID_, "F4", 0x0004), -3980},
      {"0x0008 wins over 0x0020", folderID_, MakeFolder(folderID_, "F28", 0x0028), -3977},
      {"a folder in the volume's root", fsRtDirID, plain, -3972},
      {"the Desktop folder at the top", fsRtParID, desktopID, -3992},
      {"the Trash at the top", fsRtParID, trashID, -3993},
      {"a folder of no listed type at the top", fsRtParID, plain, -3999},
  };
  for (const Case& c : cases) {
    IconSuiteRef suite = nullptr;
    ASSERT_EQ(noErr, NewIconSuite(&suite));
    EXPECT_EQ(1, Sp_GetNormalFolderIcon(vRefNum_, c.parent, c.dirID, suite)) << c.why;
    EXPECT_EQ(c.icon, SuiteIconID(suite)) << c.why;
    EXPECT_EQ(c.icon, SuiteIconID(suite, SpFourCC("ics#"))) << c.why;
    DisposeIconSuite(suite, true);
  }
}

TEST_F(FolderIcons, IconsAreCopiesAndTheCurrentResourceFileIsKept) {
  AddIcons(-3999);
  const SInt32 plain = MakeFolder(folderID_, "Plain");
  // A handle already in the suite is replaced, and disposed of, not leaked.
  ASSERT_EQ(noErr, AddIconToSuite(NewHandleClear(256), suite_, SpFourCC("ICN#")));
  UseResFile(kSpSystemResFile);
  ASSERT_EQ(noErr, Sp_GetFolderIconSuite(vRefNum_, folderID_, plain, suite_));
  EXPECT_EQ(kSpSystemResFile, CurResFile());
  UseResFile(kSpApplicationResFile);

  Handle fromSuite = nullptr;
  ASSERT_EQ(noErr, GetIconFromSuite(&fromSuite, suite_, SpFourCC("ICN#")));
  Handle resource = GetResource(SpFourCC("ICN#"), -3999);
  ASSERT_NE(nullptr, resource);
  EXPECT_NE(resource, fromSuite);
  EXPECT_EQ(SuiteIconID(suite_), -3999);
  // Disposing of the suite with its data leaves the resource intact (checked by the
  // sanitizer when the resources are reset).
}

}  // namespace
