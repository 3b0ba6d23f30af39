// File-name definitions: their files (written by us, read back, and damaged on purpose), the
// in-place rewriting the dialog and the copies use, and the example texts the dialogs show.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "CDMediaMgrFileName.h"
#include "ErrorLogCapture.h"
#include "PrivateMounts.h"
#include "SaveRaces.h"
#include "SpCDREngineAlert.h"
#include "SpTesting.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "TevoSaveFileNameDefObj.h"

namespace {

using Kinds = std::vector<int>;

std::string BE32(UInt32 v) {
  return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// The bytes of a definition file with this tag and these kinds.
std::string FileBytes(const Kinds& kinds, const std::string& tag = "0100") {
  std::string bytes = tag + BE32(UInt32(kinds.size()));
  for (int kind : kinds) bytes += BE32(UInt32(kind));
  return bytes;
}

Kinds KindsOf(const cTevo_SaveFileNameDefObject& definition) {
  Kinds kinds;
  for (auto* item = definition.FileNameDefItemListHeadPtr(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    kinds.push_back(item->GetDefinitionType());
  }
  return kinds;
}

void SetKinds(cTevo_SaveFileNameDefObject& definition, const Kinds& kinds) {
  definition.WipeoutAllItem();
  for (int kind : kinds) definition.AddNewNameDefItem(tSaveFileNameDefType(kind));
}

class FileNameDefinition : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(app_test::kTestDate);
    ASSERT_TRUE(CDRMMgr_GetFileNameDefFolder(vRefNum_, dirID_));
  }
  void TearDown() override { sp_testing::UseRealClock(); }

  std::string Path(const char* name = kTevo_FileNameDefIntoOneFileName) const {
    return home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName + "/" + name);
  }
  void Write(const std::string& bytes) const { std::ofstream(Path(), std::ios::binary) << bytes; }
  std::string Read() const {
    std::ifstream in(Path(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& path) const {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }
  cTevo_SaveFileNameDefObject Definition() const {
    return cTevo_SaveFileNameDefObject(vRefNum_, dirID_, kTevo_FileNameDefIntoOneFileName);
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
};

TEST_F(FileNameDefinition, TheDefaultIsWrittenAsTheVersionTheCountAndEachKindBigEndian) {
  auto definition = Definition();
  definition.DefaultSetup();
  ASSERT_TRUE(definition.SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder());
  EXPECT_EQ(Read(), FileBytes({2, 7, 15, 7, 17}));
  auto loaded = Definition();
  EXPECT_TRUE(loaded.LoadFileNameDefinitionFromDefaultFileInPreferenceFolder());
  EXPECT_EQ(KindsOf(loaded), (Kinds{2, 7, 15, 7, 17}));
}

// A file that is cut short or holds what no save writes is not used in part: it gives no parts
// and is kept aside as "<name> (damaged)", with one record saying so.
TEST_F(FileNameDefinition, FilesFromOutsideLoadOnlyWhatTheyReallyHold) {
  Kinds fifty(50, 4), fiftyOne(51, 4);
  const std::string damaged = Path() + " (damaged)";
  const struct {
    const char* why;
    std::string bytes;
    bool loaded;
    Kinds kinds;
  } cases[] = {
      {"fifty parts are the most a file holds", FileBytes(fifty), true, fifty},
      {"fifty-one parts are refused whole", FileBytes(fiftyOne), false, {}},
      {"a count read as unsigned is huge, not negative", "0100" + BE32(0xFFFFFFFF), false, {}},
      {"no parts", FileBytes({}), true, {}},
      {"only the low 8 bits of a kind count", FileBytes({0x0102, 0xFF07, 17}), true, {2, 7, 17}},
      {"another version reads as no parts", FileBytes({2, 7}, "0200"), true, {}},
      {"a file shorter than its tag", "01", false, {}},
      {"a count without the kinds it promises", FileBytes({2}).substr(0, 8) + BE32(2).substr(0, 3),
       false, {}},
      {"a kind cut short keeps nothing", FileBytes({2, 7}).substr(0, 15), false, {}},
      {"a part cut off whole", FileBytes({2, 7}).substr(0, 12), false, {}},
      {"bytes after the last part", FileBytes({2, 7}) + "x", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    std::remove(damaged.c_str());
    Write(c.bytes);
    log_.Clear();
    auto definition = Definition();
    EXPECT_EQ(definition.LoadFileNameDefinitionFromDefaultFileInPreferenceFolder() != 0, c.loaded);
    EXPECT_EQ(KindsOf(definition), c.kinds);
    EXPECT_EQ(log_.Count(), c.loaded ? 0u : 1u);
    EXPECT_EQ(log_.Has("cTevo_SaveFileNameDefObject::"
                       "LoadFileNameDefinitionFromDefaultFileInPreferenceFolder",
                       2),
              !c.loaded);
    EXPECT_EQ(Exists(Path()), c.loaded) << "a damaged file leaves its name";
    std::ifstream kept(damaged, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), c.loaded ? "" : c.bytes);
  }
}

TEST_F(FileNameDefinition, ADefinitionWithoutPartsDeletesItsFileAndLoadingThenFindsNone) {
  Write(FileBytes({2, 7}));
  auto definition = Definition();
  ASSERT_TRUE(definition.SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder());
  EXPECT_FALSE(Exists(Path()));
  auto loaded = Definition();
  EXPECT_FALSE(loaded.LoadFileNameDefinitionFromDefaultFileInPreferenceFolder());
  EXPECT_TRUE(KindsOf(loaded).empty());
}

// The new definition goes to a file beside the old one; when that cannot be written (here for
// want of memory), the definition the user had stays and nothing is left.
TEST_F(FileNameDefinition, AFailedWriteKeepsTheOldDefinition) {
  Write(FileBytes({4, 6, 1}));
  auto definition = Definition();
  definition.DefaultSetup();
  {
    // The last step fails.
    const test_support::NameHeldByMount held(Path());
    if (!held.Held()) GTEST_SKIP() << "this process may not mount";
    EXPECT_FALSE(definition.SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder());
  }
  EXPECT_EQ(Read(), FileBytes({4, 6, 1}));
  EXPECT_EQ(
      test_support::SideFilesOf(home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName),
                                kTevo_FileNameDefIntoOneFileName),
      std::vector<std::string>{});
  EXPECT_TRUE(log_.Has(
      "cTevo_SaveFileNameDefObject::SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder"));
}

TEST_F(FileNameDefinition, CopiesDropEmptyPartsAndSayWhetherTheTargetChanged) {
  const struct {
    const char* why;
    Kinds source, target, result;
    bool modified;
  } cases[] = {
      {"an equal list changes nothing", {2, 7, 15}, {2, 7, 15}, {2, 7, 15}, false},
      {"parts of kind 0 are dropped", {2, 0, 7, 0}, {2, 7}, {2, 7}, false},
      {"a shorter list cuts the target", {2, 7}, {2, 7, 15, 7, 17}, {2, 7}, true},
      {"a longer list extends it", {1, 6, 4, 6, 2}, {1}, {1, 6, 4, 6, 2}, true},
      {"a differing kind is replaced", {2, 6, 15}, {2, 7, 15}, {2, 6, 15}, true},
      {"an empty list empties the target", {}, {3}, {}, true},
  };
  for (const auto& c : cases) {
    auto source = Definition(), target = Definition();
    SetKinds(source, c.source);
    SetKinds(target, c.target);
    unsigned char modified = 9;
    source.CopyIntoTargetObject(&target, &modified);
    EXPECT_EQ(KindsOf(target), c.result) << c.why;
    EXPECT_EQ(modified != 0, c.modified) << c.why;
    SetKinds(target, c.target);
    EXPECT_EQ(target.CopyFromTargetObject(&source) != 0, c.modified) << c.why;
    EXPECT_EQ(KindsOf(target), c.result) << c.why;
    EXPECT_EQ(target.GetItemCount(), SInt32(c.result.size())) << c.why;
    if (!c.result.empty()) target.AddNewNameDefItem(5);  // the tail is still right
    EXPECT_EQ(KindsOf(target).size(), c.result.size() + (c.result.empty() ? 0 : 1)) << c.why;
  }
}

TEST_F(FileNameDefinition, OnlyPartsWithAKindAreUsable) {
  auto definition = Definition();
  EXPECT_FALSE(definition.CheckExistAbalableItem());
  SetKinds(definition, {0, 0});
  EXPECT_FALSE(definition.CheckExistAbalableItem());
  SetKinds(definition, {0, 3});
  EXPECT_TRUE(definition.CheckExistAbalableItem()) << "3 is a kind, though it adds nothing";
}

TEST_F(FileNameDefinition, ExamplesShowEachKindWithTheDateTheTimeAndTheSpeed) {
  const SInt64 nineOhFiveNextDay = 21 * 3600 + 5 * 60;
  const struct {
    Kinds kinds;
    float speed;
    SInt64 later;  // seconds after the test's noon
    const char* text;
  } cases[] = {
      {{2, 7, 15, 7, 17}, 2.0f, 0, "トラック名_2_0"},
      {{14, 7, 15, 7, 16, 7, 17}, 1.5f, 0, "01_1_50_5"},
      {{17, 6, 16}, 1.25f, 0, "25-25"},
      {{14, 15}, 0.5f, 0, "000"},
      {{1, 0, 3, 4, 5}, 1.0f, 0, "アルバム名アーティスト名ジャンル"},
      {{8, 6, 9, 6, 10}, 1.0f, 0, "20040301-040301-0301"},
      {{11, 6, 12, 6, 13}, 1.0f, 0, "12-1200-12:00"},
      {{10, 7, 11, 7, 12, 7, 13}, 1.0f, nineOhFiveNextDay, "0302_09_0905_09:05"},
      {{16}, 0.0f, 0, ""},
      {{18, 255}, 1.0f, 0, ""},
  };
  for (const auto& c : cases) {
    sp_testing::UseVirtualClock(app_test::kTestDate + c.later);
    auto definition = Definition();
    SetKinds(definition, c.kinds);
    char text[256] = "x";
    definition.CreateExampleStringForOutput(text, sizeof text, c.speed);
    EXPECT_EQ(std::string(text), SpCDR_MJ(c.text)) << c.text;
  }
}

TEST_F(FileNameDefinition, AnExamplePartThatDoesNotFitIsLeftOutButLaterShorterOnesCome) {
  auto definition = Definition();
  SetKinds(definition, {8, 2, 7, 15});
  char text[12] = "";
  definition.CreateExampleStringForOutput(text, sizeof text, 3.0f);
  EXPECT_STREQ(text, "20040301_3") << "the title's ten bytes did not fit";
}

// The example takes its buffer to the last byte before the terminator, and a part that would
// need one byte more is left out; nothing is written past the buffer.
TEST_F(FileNameDefinition, AnExampleFillsItsBufferUpToTheTerminatorAndNotAByteMore) {
  const struct {
    Kinds kinds;
    std::size_t size;
    const char* text;
  } cases[] = {
      {{8}, 9, "20040301"},   {{8}, 8, ""},
      {{8, 7}, 10, "20040301_"}, {{8, 7}, 9, "20040301"},
      {{7, 8}, 10, "_20040301"}, {{7, 8}, 9, "_"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto definition = Definition();
    SetKinds(definition, c.kinds);
    std::vector<char> text(c.size, 'x');
    definition.CreateExampleStringForOutput(text.data(), SInt32(c.size), 3.0f);
    EXPECT_EQ(std::string(text.data()), c.text);
  }
}

}  // namespace
