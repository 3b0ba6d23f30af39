// Every call that takes an FSSpec reads its name as a Str63: a length byte past 63 must be
// refused before the name is read, or the call reads beyond the record.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "Aliases.h"
#include "Files.h"
#include "FilesFixture.h"
#include "Movies.h"
#include "Resources.h"
#include "TestFiles.h"

namespace {

using files_test::PStr;

class FilesFSSpecName : public ::testing::Test {
 protected:
  void SetUp() override {
    EnterMovies();
    docs_ = files_test::DocumentsFolder(home_);
    files_test::WriteHostFile(docs_.path + "/a", "bytes");
  }

  // A record of its own on the heap, so that a read past its end is caught.
  std::unique_ptr<FSSpec> Overlong(UInt8 length) const {
    std::unique_ptr<FSSpec> spec(new FSSpec{});
    spec->vRefNum = docs_.vRefNum;
    spec->parID = docs_.dirID;
    spec->name[0] = length;
    std::memset(spec->name + 1, 'a', sizeof spec->name - 1);
    return spec;
  }

  sp_testing::HomeScope home_;
  files_test::Folder docs_;
};

// Where the calls put what they give back.
SInt16 gRefNum;
FInfo gInfo;
FSRef gRef;
Boolean gAsMovie;
AliasHandle gAlias;

TEST_F(FilesFSSpecName, OverlongNamesAreRefusedBeforeTheNameIsRead) {
  FSSpec good{};
  ASSERT_EQ(FSMakeFSSpec(docs_.vRefNum, docs_.dirID, PStr("a"), &good), noErr);
  using Call = std::function<OSErr(const FSSpec*)>;
  const std::pair<const char*, Call> cases[] = {
      {"FSpOpenDF", [](const FSSpec* s) { return FSpOpenDF(s, fsRdPerm, &gRefNum); }},
      {"FSpOpenResFile",
       [](const FSSpec* s) { return FSpOpenResFile(s, 1) == -1 ? ResError() : 0; }},
      {"FSpCreateResFile",
       [](const FSSpec* s) { return FSpCreateResFile(s, 0, 0, 0), ResError(); }},
      {"OpenMovieFile", [](const FSSpec* s) { return OpenMovieFile(s, &gRefNum, fsRdPerm); }},
      {"CanQuickTimeOpenFile",
       [](const FSSpec* s) { return CanQuickTimeOpenFile(s, 0, 0, 0, &gAsMovie, 0, 0); }},
      {"NewAlias", [](const FSSpec* s) { return NewAlias(nullptr, s, &gAlias); }},
      {"FSpMakeFSRef", [](const FSSpec* s) { return FSpMakeFSRef(s, &gRef); }},
      {"FSpGetFInfo", [](const FSSpec* s) { return FSpGetFInfo(s, &gInfo); }},
      {"FSpSetFInfo", [](const FSSpec* s) { return FSpSetFInfo(s, &gInfo); }},
      {"FSpCreate", [](const FSSpec* s) { return FSpCreate(s, 0, 0, 0); }},
      {"FSpDirCreate", [](const FSSpec* s) { return FSpDirCreate(s, 0, nullptr); }},
      {"FSpDelete", [](const FSSpec* s) { return FSpDelete(s); }},
      {"FSpRename", [](const FSSpec* s) { return FSpRename(s, PStr("b")); }},
      {"FSpCatMove as the item", [&good](const FSSpec* s) { return FSpCatMove(s, &good); }},
      {"FSpCatMove as the folder", [&good](const FSSpec* s) { return FSpCatMove(&good, s); }},
  };
  for (const auto& c : cases) {
    for (UInt8 length : {64, 255}) {  // one past the 63 a Str63 holds, and the most
      std::unique_ptr<FSSpec> spec = Overlong(length);
      EXPECT_EQ(c.second(spec.get()), bdNamErr) << c.first << " " << int(length);
    }
  }
  EXPECT_EQ(files_test::ReadHostFile(docs_.path + "/a"), "bytes");
}

// A spec of an item still to be made carries its name up to the 63 bytes a Str63 holds; a
// longer name is refused there, before anything is made.
TEST_F(FilesFSSpecName, SpecsOfItemsToBeMadeTakeNamesUpTo63Bytes) {
  FSSpec spec{};
  const std::string n63(63, 'n');
  EXPECT_EQ(FSMakeFSSpec(docs_.vRefNum, docs_.dirID, PStr(n63), &spec), fnfErr);
  EXPECT_EQ(files_test::Text(spec.name), n63);
  EXPECT_EQ(FSpCreate(&spec, 0, 0, 0), noErr);
  EXPECT_TRUE(files_test::HostExists(docs_.path + "/" + n63));
  EXPECT_EQ(FSMakeFSSpec(docs_.vRefNum, docs_.dirID, PStr(n63 + "n"), &spec), bdNamErr);
}

}  // namespace
