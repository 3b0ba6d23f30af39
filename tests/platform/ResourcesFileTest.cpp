// Resource files on disk: the map format read and written, the chain of open files, and
// hostile maps.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Files.h"
#include "FilesFixture.h"
#include "MacMemory.h"
#include "PrivateMounts.h"
#include "Resources.h"
#include "SaveRaces.h"
#include "TestFiles.h"
#include "TestResources.h"

namespace {

using files_test::Bytes;
using files_test::HandleOf;
using files_test::PStr;
using files_test::ReadHostFile;
using files_test::WriteHostFile;

constexpr ResType kTest = SpFourCC("TEST");
constexpr ResType kOther = SpFourCC("OTHR");

std::string Name(Handle h) {
  Str255 name{};
  GetResInfo(h, nullptr, nullptr, name);
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

// A resource of the current file as "bytes|name|attributes", or "-" when there is none.
std::string Describe(ResType type, SInt16 id) {
  Handle h = Get1Resource(type, id);
  return h == nullptr ? "-" : Bytes(h) + "|" + Name(h) + "|" + std::to_string(GetResAttrs(h));
}

// One resource of a hand-built file.
struct Item {
  ResType type;
  SInt16 id;
  const char* name;  // null for none
  UInt8 attributes;
  std::string data;
};

// The bytes of a resource file, with where its map and the map's lists start, to be spoilt.
struct FileBytes {
  std::vector<UInt8> bytes;
  std::size_t mapOffset, typeList, nameList;  // the lists from the map's start
};

class ResourceFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetResources();
    folder_ = files_test::DocumentsFolder(home_);
  }
  void TearDown() override { sp_testing::ResetResources(); }

  FSSpec Spec(const std::string& name) {
    FSSpec spec{};
    FSMakeFSSpec(folder_.vRefNum, folder_.dirID, PStr(name), &spec);
    return spec;
  }
  std::string Path(const std::string& name) { return folder_.path + "/" + name; }
  SInt16 OpenFile(const std::string& name, SInt8 permission) {
    FSSpec spec = Spec(name);
    const SInt16 ref = FSpOpenResFile(&spec, permission);
    EXPECT_GT(ref, kSpApplicationResFile) << name << " " << ResError();
    return ref;
  }

  // A new resource file holding these resources, written and closed through the layer.
  void MakeFile(const std::string& name, const std::vector<Item>& items) {
    FSSpec spec = Spec(name);
    ASSERT_EQ((FSpCreateResFile(&spec, SpFourCC("SpRs"), SpFourCC("rsrc"), 0), ResError()), noErr);
    const SInt16 saved = CurResFile();
    const SInt16 ref = OpenFile(name, fsRdWrPerm);
    for (const Item& i : items) {
      Handle h = HandleOf(i.data);
      AddResource(h, i.type, i.id, i.name ? static_cast<ConstStr255Param>(PStr(i.name)) : nullptr);
      ASSERT_EQ(ResError(), noErr);
      if (i.attributes != 0) SetResAttrs(h, i.attributes);
    }
    ASSERT_EQ((CloseResFile(ref), ResError()), noErr);
    UseResFile(saved);
  }

  // A file written through the layer (its layout is pinned by the writer's test below).
  FileBytes Written(const std::vector<Item>& items) {
    MakeFile("written.rsrc", items);
    const std::string s = ReadHostFile(Path("written.rsrc"));
    FileBytes f{std::vector<UInt8>(s.begin(), s.end()), 0, 0, 0};
    f.mapOffset = sp::LoadBE32(&f.bytes[4]);
    f.typeList = sp::LoadBE16(&f.bytes[f.mapOffset + 24]);
    f.nameList = sp::LoadBE16(&f.bytes[f.mapOffset + 26]);
    return f;
  }

  sp_testing::HomeScope home_;
  files_test::Folder folder_;
};

TEST_F(ResourceFiles, WriterLaysOutHeaderDataAndMapAsTheFormatSays) {
  MakeFile("one.rsrc", {{kTest, 128, "ab", 0, "xyz"}});
  const std::string header("\x00\x00\x01\x00\x00\x00\x01\x07\x00\x00\x00\x07\x00\x00\x00\x35", 16);
  const std::string expected =
      header + std::string(240, '\0') + std::string("\x00\x00\x00\x03xyz", 7) +
      // the map: a copy of the header, next map, reference number, attributes, offsets
      header + std::string("\x00\x00\x00\x00\x00\x00\x00\x00\x00\x1C\x00\x32", 12) +
      // one type, one resource whose references start 10 bytes into the type list
      std::string("\x00\x00TEST\x00\x00\x00\x0A", 10) +
      // id 128, name at 0, no attributes (changed is never written), data at 0
      std::string("\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 12) + "\x02" + "ab";
  EXPECT_EQ(ReadHostFile(Path("one.rsrc")), expected);
}

TEST_F(ResourceFiles, FileRewrittenWithoutChangesIsByteIdentical) {
  MakeFile("same.rsrc", {{kTest, 1, "alpha", resPurgeable, "1111"},
                         {kOther, 7, nullptr, 0, "22"},
                         {kTest, 3, "gamma", resProtected, ""},
                         {kOther, -1, "", 0, "4"}});
  const std::string written = ReadHostFile(Path("same.rsrc"));
  struct stat before, after;
  ASSERT_EQ(stat(Path("same.rsrc").c_str(), &before), 0);
  CloseResFile(OpenFile("same.rsrc", fsRdWrPerm));
  ASSERT_EQ(stat(Path("same.rsrc").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "an unchanged file is not rewritten";
  const SInt16 ref = OpenFile("same.rsrc", fsRdWrPerm);
  ChangedResource(Get1Resource(kTest, 1));  // forced to be written with the same contents
  EXPECT_EQ((UpdateResFile(ref), ResError()), noErr);
  CloseResFile(ref);
  EXPECT_EQ(ReadHostFile(Path("same.rsrc")), written);
}

TEST_F(ResourceFiles, ChangesSurviveCloseAndReopenAndTheFileIsReplacedWhole) {
  MakeFile("edit.rsrc", {{kTest, 1, "keep", 0, "old"},
                         {kTest, 2, nullptr, 0, "gone"},
                         {kTest, 3, "rename", 0, "three"}});
  ASSERT_EQ(chmod(Path("edit.rsrc").c_str(), 0644), 0);
  FSSpec spec = Spec("edit.rsrc");
  FInfo before{}, after{};
  ASSERT_EQ(FSpGetFInfo(&spec, &before), noErr);
  EXPECT_EQ(before.fdType, SpFourCC("rsrc")) << "as made, and through the first write";
  EXPECT_EQ(before.fdCreator, SpFourCC("SpRs"));
  // A creation date of long ago, which a rewrite must not make today's.
  FSRef fileRef{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &fileRef), noErr);
  FSCatalogInfo dates{};
  dates.createDate = UTCDateTime{0, 3000000000u, 0};
  ASSERT_EQ(FSSetCatalogInfo(&fileRef, kFSCatInfoCreateDate, &dates), noErr);
  SInt16 ref = OpenFile("edit.rsrc", fsRdWrPerm);
  Handle changed = Get1Resource(kTest, 1);
  SetHandleSize(changed, 5);
  std::memcpy(*changed, "fresh", 5);
  ChangedResource(changed);
  ReleaseResource(changed);  // released before the write: the changed bytes are not lost
  Handle removed = Get1Resource(kTest, 2);
  RemoveResource(removed);
  EXPECT_EQ(HomeResFile(removed), -1) << "a removed resource's handle is the caller's";
  DisposeHandle(removed);
  SetResInfo(Get1Resource(kTest, 3), 30, PStr("renamed"));
  AddResource(HandleOf("added"), kOther, 9, PStr("new"));
  SetResAttrs(Get1Resource(kOther, 9), resPurgeable);
  // What a writer killed in the middle of a write left goes; a running writer's file stays.
  const std::string killed = ".edit.rsrc.sp-" + std::to_string(test_support::EndedProcessId());
  const std::string running = Path(".edit.rsrc.sp-" + std::to_string(getppid()) + "-1");
  WriteHostFile(Path(killed + "-1"), "half");
  WriteHostFile(running, "half");
  EXPECT_EQ((UpdateResFile(ref), ResError()), noErr);
  ASSERT_EQ(unlink(running.c_str()), 0);
  const std::filesystem::directory_iterator listing(folder_.path);
  EXPECT_EQ(std::distance(begin(listing), end(listing)), 1) << "no temporary file left";
  ASSERT_EQ(FSpGetFInfo(&spec, &after), noErr);
  EXPECT_EQ(std::memcmp(&after, &before, 8), 0) << "type and creator kept";
  EXPECT_EQ(files_test::ModeOf(Path("edit.rsrc")), mode_t(0644)) << "and its permissions";
  ASSERT_EQ(FSpMakeFSRef(&spec, &fileRef), noErr);
  ASSERT_EQ(FSGetCatalogInfo(&fileRef, kFSCatInfoCreateDate, &dates, nullptr, nullptr, nullptr),
            noErr);
  EXPECT_EQ(dates.createDate.lowSeconds, 3000000000u) << "and its creation date";
  CloseResFile(ref);
  EXPECT_EQ(GetResource(kTest, 1), nullptr) << "closed files are out of the chain";

  ref = OpenFile("edit.rsrc", fsRdPerm);
  EXPECT_EQ(Describe(kTest, 1), "fresh|keep|0");
  EXPECT_EQ(Describe(kTest, 2) + Describe(kTest, 3), "--");
  EXPECT_EQ(Describe(kTest, 30), "three|renamed|0");
  EXPECT_EQ(Describe(kOther, 9), "added|new|" + std::to_string(resPurgeable));
}

TEST_F(ResourceFiles, ReadOnlyFilesAndProtectedResourcesRefuseChanges) {
  MakeFile("ro.rsrc", {{kTest, 1, nullptr, resProtected, "a"}, {kTest, 2, nullptr, 0, "b"}});
  const std::string before = ReadHostFile(Path("ro.rsrc"));
  SInt16 ref = OpenFile("ro.rsrc", fsRdPerm);
  Handle h = Get1Resource(kTest, 2);
  **h = 'z';
  EXPECT_EQ((ChangedResource(h), ResError()), noErr);
  UpdateResFile(ref);
  EXPECT_EQ(ResError(), wrPermErr) << "the change cannot reach the file";
  EXPECT_EQ((WriteResource(h), ResError()), wrPermErr);
  CloseResFile(ref);
  ref = OpenFile("ro.rsrc", fsRdWrPerm);
  Handle p = Get1Resource(kTest, 1);
  EXPECT_EQ((ChangedResource(p), ResError()), resAttrErr);
  EXPECT_EQ((SetResInfo(p, 3, nullptr), ResError()), resAttrErr);
  EXPECT_EQ((RemoveResource(p), ResError()), rmvResFailed);
  EXPECT_EQ(Get1Resource(kTest, 1), p);
  CloseResFile(ref);
  EXPECT_EQ(ReadHostFile(Path("ro.rsrc")), before);
}

// The map's read-only attribute, read from the file, keeps the file as it is whatever
// permission it was opened with; without it the same change is written.
TEST_F(ResourceFiles, AMapMarkedReadOnlyKeepsItsFileAsItIs) {
  FileBytes f = Written({{kTest, 1, nullptr, 0, "a"}});
  for (const bool marked : {true, false}) {
    SCOPED_TRACE(marked);
    std::vector<UInt8> bytes = f.bytes;
    const std::size_t at = f.mapOffset + 22;
    if (marked) sp::StoreBE16(&bytes[at], UInt16(sp::LoadBE16(&bytes[at]) | 0x0080));
    const std::string before(bytes.begin(), bytes.end());
    WriteHostFile(Path("marked.rsrc"), before);
    const SInt16 ref = OpenFile("marked.rsrc", fsRdWrPerm);
    Handle h = Get1Resource(kTest, 1);
    ASSERT_NE(h, nullptr);
    **h = 'z';
    ChangedResource(h);
    UpdateResFile(ref);
    EXPECT_EQ(ResError(), marked ? wrPermErr : noErr);
    CloseResFile(ref);
    EXPECT_EQ(ReadHostFile(Path("marked.rsrc")) == before, marked);
  }
}

TEST_F(ResourceFiles, FileTooLargeForTheFormatIsRefusedAndLeftAsItWas) {
  MakeFile("big.rsrc", {{kTest, 1, nullptr, 0, "a"}});
  const std::string before = ReadHostFile(Path("big.rsrc"));
  const SInt16 ref = OpenFile("big.rsrc", fsRdWrPerm);
  // Data offsets have 24 bits: one resource of more than 16 MB cannot be placed.
  Handle huge = NewHandleClear(0x1000001);
  AddResource(huge, kTest, 2, nullptr);
  EXPECT_EQ((UpdateResFile(ref), ResError()), dskFulErr);
  EXPECT_EQ(ReadHostFile(Path("big.rsrc")), before);
  RemoveResource(huge);  // once it is gone the rest is written
  DisposeHandle(huge);
  AddResource(HandleOf("b"), kTest, 3, nullptr);
  EXPECT_EQ((CloseResFile(ref), ResError()), noErr);
  OpenFile("big.rsrc", fsRdPerm);
  EXPECT_EQ(Count1Resources(kTest), 2);
}

// A rewrite whose new file cannot be written whole (the disk is full) fails, and the file is
// left as it was with no temporary file beside it; once there is room the same changes go in.
TEST_F(ResourceFiles, ARewriteThatFindsTheDiskFullLeavesTheFileAsItWas) {
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "no mounts of our own here";
  const std::string full = home_.Path("Documents/full");
  mkdir(full.c_str(), 0700);
  if (mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  folder_ = files_test::FolderAt(home_, "Documents/full");
  MakeFile("full.rsrc", {{kTest, 1, nullptr, 0, "a"}});
  const std::string before = ReadHostFile(Path("full.rsrc"));
  WriteHostFile(Path("filler"), std::string(64 * 1024 - before.size(), 'f'));
  const SInt16 ref = OpenFile("full.rsrc", fsRdWrPerm);
  AddResource(HandleOf(std::string(8192, 'b')), kTest, 2, nullptr);
  EXPECT_EQ((UpdateResFile(ref), ResError()), dskFulErr);
  EXPECT_EQ(ReadHostFile(Path("full.rsrc")), before);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(full)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"filler", "full.rsrc"})) << "no temporary file";
  // Nor is there room for a new file's empty map, and its maker hears of it.
  FSSpec fresh = Spec("fresh.rsrc");
  EXPECT_EQ((FSpCreateResFile(&fresh, 0, 0, 0), ResError()), dskFulErr);
  ASSERT_EQ(unlink(Path("filler").c_str()), 0);
  HCreateResFile(folder_.vRefNum, folder_.dirID, PStr("fresh.rsrc"));
  EXPECT_EQ(ResError(), noErr) << "once there is room";
  EXPECT_EQ((CloseResFile(ref), ResError()), noErr);
  OpenFile("full.rsrc", fsRdPerm);
  EXPECT_EQ(Count1Resources(kTest), 2);
  sp_testing::ResetResources();
  umount2(full.c_str(), MNT_DETACH);
}

TEST_F(ResourceFiles, SearchRunsFromTheCurrentFileDownAndGet1StaysInIt) {
  sp_testing::AddAppResource(kOther, 1, "app", 3);
  MakeFile("lower.rsrc", {{kTest, 1, nullptr, 0, "lower"}, {kTest, 5, nullptr, 0, "only lower"}});
  MakeFile("upper.rsrc", {{kTest, 1, nullptr, 0, "upper"}, {kTest, 2, nullptr, 0, "only upper"}});
  const SInt16 lower = OpenFile("lower.rsrc", fsRdPerm);
  const SInt16 upper = OpenFile("upper.rsrc", fsRdPerm);
  EXPECT_EQ(CurResFile(), upper);
  EXPECT_EQ(Bytes(GetResource(kTest, 1)), "upper") << "the newest file is searched first";
  EXPECT_EQ(Bytes(GetResource(kTest, 5)), "only lower");
  EXPECT_EQ(Bytes(GetResource(kOther, 1)), "app");
  EXPECT_EQ(Get1Resource(kTest, 5), nullptr);
  EXPECT_EQ((std::vector<int>{CountResources(kTest), Count1Resources(kTest), CountTypes(),
                              Count1Types(), UniqueID(kTest)}),
            (std::vector<int>{4, 2, 2, 1, 128}));
  UseResFile(lower);
  EXPECT_EQ(GetResource(kTest, 2), nullptr) << "files above the current one are not searched";
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_EQ(OpenFile("upper.rsrc", fsRdPerm), upper) << "the same file again gives its number";
  CloseResFile(upper);
  EXPECT_EQ(CurResFile(), lower) << "closing the current file makes the one below it current";
  CloseResFile(lower);
  EXPECT_EQ(CurResFile(), kSpApplicationResFile);
  EXPECT_EQ((CloseResFile(lower), ResError()), resFNotFound);
  CloseResFile(kSpApplicationResFile);
  EXPECT_EQ(Bytes(GetResource(kOther, 1)), "app") << "the application's file stays open";
}

TEST_F(ResourceFiles, OpeningWhatIsNoResourceFileFails) {
  WriteHostFile(Path("empty"), "");
  WriteHostFile(Path("text"), "just some text that is no resource file");
  const struct {
    const char* name;
    OSErr expected;
  } cases[] = {{"missing", fnfErr}, {"empty", eofErr}, {"text", mapReadErr}};
  for (const auto& c : cases) {
    FSSpec spec = Spec(c.name);
    EXPECT_EQ(FSpOpenResFile(&spec, fsRdPerm), -1) << c.name;
    EXPECT_EQ(ResError(), c.expected) << c.name;
    EXPECT_EQ(CurResFile(), kSpApplicationResFile) << c.name;
  }
  EXPECT_EQ(FSpOpenResFile(nullptr, fsRdPerm), -1);
  EXPECT_EQ(ResError(), paramErr);
}

TEST_F(ResourceFiles, CreateMakesAnEmptyMapAndNeverOverwritesAFile) {
  MakeFile("new.rsrc", {});
  OpenFile("new.rsrc", fsRdPerm);
  EXPECT_EQ(Count1Types(), 0);
  const std::string map = ReadHostFile(Path("new.rsrc"));
  WriteHostFile(Path("data"), "precious");
  for (const char* name : {"new.rsrc", "data"}) {
    const std::string before = ReadHostFile(Path(name));
    FSSpec taken = Spec(name);
    FSpCreateResFile(&taken, 0, 0, 0);
    EXPECT_EQ(ResError(), dupFNErr) << name;
    EXPECT_EQ(ReadHostFile(Path(name)), before) << name;
  }
  WriteHostFile(Path("blank"), "");
  HCreateResFile(folder_.vRefNum, folder_.dirID, PStr("blank"));
  EXPECT_EQ(ResError(), noErr) << "an empty file gets a map";
  EXPECT_EQ(ReadHostFile(Path("blank")), map);
}

TEST_F(ResourceFiles, CorruptMapsAreRefusedWithMapReadErr) {
  const std::vector<Item> items = {{kTest, 1, "name", resPurgeable, "data"},
                                   {kOther, -2, nullptr, resLocked | resPreload, ""}};
  const FileBytes good = Written(items);
  auto at = [&](std::size_t mapRelative) { return good.mapOffset + mapRelative; };
  const std::size_t firstRef = good.typeList + 2 + 2 * 8;  // from the map's start

  struct Case {
    const char* why;
    std::size_t offset;  // where to write
    std::vector<UInt8> bytes;
    std::size_t truncateTo;  // 0: keep the length
  } cases[] = {
      {"the header is cut short", 0, {}, 10},
      {"the map lies past the end", 4, {0x00, 0x10, 0x00, 0x00}, 0},
      {"the map is longer than the file", 12, {0x00, 0x10, 0x00, 0x00}, 0},
      {"the data area is longer than the file", 8, {0x00, 0x10, 0x00, 0x00}, 0},
      {"the map is too short for its header", 12, {0x00, 0x00, 0x00, 0x10}, 0},
      {"the type list lies past the map", at(24), {0x7F, 0xFF}, 0},
      {"the name list lies past the map", at(26), {0x7F, 0xFF}, 0},
      {"more types than the map holds", at(good.typeList), {0x7F, 0xFF}, 0},
      {"a reference list past the map", at(good.typeList + 2 + 6), {0x7F, 0xF0}, 0},
      {"more references than the map holds", at(good.typeList + 2 + 4), {0x40, 0x00}, 0},
      {"a name past the name list", at(firstRef + 2), {0x7F, 0x00}, 0},
      {"a data offset past the data area", at(firstRef + 5), {0x7F, 0x00, 0x00}, 0},
      {"a data length past the data area", 256, {0x00, 0xFF, 0xFF, 0xFF}, 0},
      {"a data length one byte past the data area", 256, {0x00, 0x00, 0x00, 0x09}, 0},
      {"the file ends inside the map", 0, {}, good.bytes.size() - 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<UInt8> bytes = good.bytes;
    for (std::size_t i = 0; i < c.bytes.size(); ++i) bytes[c.offset + i] = c.bytes[i];
    if (c.truncateTo != 0) bytes.resize(c.truncateTo);
    WriteHostFile(Path("bad"), std::string(bytes.begin(), bytes.end()));
    FSSpec spec = Spec("bad");
    EXPECT_EQ(FSpOpenResFile(&spec, fsRdPerm), -1);
    EXPECT_EQ(ResError(), mapReadErr);
    EXPECT_EQ(CurResFile(), kSpApplicationResFile);
  }
  // The last name of the map ("name") given other lengths: running past the map's end, by
  // far or by one byte, it is refused; within the map it is read.
  const struct {
    UInt8 length;
    OSErr err;
  } lengths[] = {{0xFF, mapReadErr}, {5, mapReadErr}, {4, noErr}, {3, noErr}};
  for (const auto& l : lengths) {
    FileBytes named = good;
    named.bytes[named.mapOffset + named.nameList] = l.length;
    EXPECT_EQ(sp_testing::UseInMemoryAppResources(named.bytes), l.err) << int(l.length);
  }
  EXPECT_EQ(Describe(kTest, 1), "data|nam|" + std::to_string(resPurgeable));
  // The unspoilt file reads.
  EXPECT_EQ(sp_testing::UseInMemoryAppResources(good.bytes), noErr);
  EXPECT_EQ(Describe(kTest, 1), "data|name|" + std::to_string(resPurgeable));
  EXPECT_EQ(Describe(kOther, -2), "||" + std::to_string(resLocked | resPreload));
  EXPECT_EQ(Get1NamedResource(kTest, PStr("NAME")), Get1Resource(kTest, 1))
      << "names compare without case";
}

TEST_F(ResourceFiles, OverlappingReferenceListsCannotMultiplyResources) {
  // Many types whose reference lists all point at the same list, each claiming every
  // reference in it: refused rather than read as the square of the resources there are.
  std::vector<Item> items;
  for (int t = 0; t < 200; ++t) items.push_back({kTest + ResType(t), 1, nullptr, 0, "z"});
  FileBytes f = Written(items);
  for (int t = 0; t < 200; ++t) {
    const std::size_t entry = f.mapOffset + f.typeList + 2 + std::size_t(t) * 8;
    sp::StoreBE16(&f.bytes[entry + 4], 199);
    sp::StoreBE16(&f.bytes[entry + 6], UInt16(2 + 200 * 8));
  }
  EXPECT_EQ(sp_testing::UseInMemoryAppResources(f.bytes), mapReadErr);
}

// Touches every byte and name of every resource of the application's file, so the sanitizer
// sees any read past what the file holds.
void TouchEveryResource() {
  UseResFile(kSpApplicationResFile);
  for (SInt16 t = 1; t <= Count1Types(); ++t) {
    ResType type = 0;
    Get1IndType(&type, t);
    for (SInt16 i = 1; i <= Count1Resources(type); ++i) {
      Handle h = Get1IndResource(type, i);
      if (h != nullptr) (void)(Bytes(h) + Name(h));
    }
  }
}

TEST_F(ResourceFiles, DamagedFilesNeverReadOutsideTheirBytes) {
  const FileBytes good = Written({{kTest, 1, "name", 0, "data"},
                                  {kOther, 2, nullptr, 0, "x"},
                                  {kTest, 3, "n3", 0, std::string(40, 'q')}});
  std::mt19937 random(20240601);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<UInt8> bytes = good.bytes;
    if (round % 3 == 0) bytes.resize(random() % bytes.size());            // cut anywhere
    for (int n = round % 3 == 1 ? 1 + int(random() % 6) : 0; n > 0; --n)  // a few bytes spoilt
      bytes[random() % bytes.size()] = UInt8(random());
    if (round % 3 == 2) {  // noise
      bytes.resize(random() % 600);
      for (UInt8& b : bytes) b = UInt8(random());
    }
    const OSErr err = sp_testing::UseInMemoryAppResources(bytes);
    ASSERT_TRUE(err == noErr || err == mapReadErr || err == eofErr) << err;
    if (err == noErr) ++accepted;
    TouchEveryResource();
  }
  EXPECT_GT(accepted, 0) << "spoilt data bytes alone still give a readable map";
}

}  // namespace
