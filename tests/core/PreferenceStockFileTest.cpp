// The preference stock on disk: the file format, saving and loading, and the manager's saves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "Folders.h"
#include "KillSteps.h"
#include "PrivateMounts.h"
#include "SaveRaces.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

constexpr UInt32 kIdentify = SpFourCC("InDt");

// The top item with that id, made when missing.
cPrefStockData* Top(cPrefStockFileObj* file, const char (&id)[5]) {
  return file->GetTargetStockDataItemInPrefTopDataList(SpFourCC(id), 0, 1);
}

class PreferenceStockFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FSFindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &folder_), noErr);
    file_ = NewFile();
  }
  void TearDown() override { sp_testing::LimitAllocationSize(0); }

  cPrefStockFileObj* NewFile(const char* name = "MirrelboxPref") {
    return mgr_.CreateNewStockFileObj(kIdentify, &folder_, name, SpFourCC("Zqcd"),
                                      SpFourCC("preF"));
  }
  std::string Path(const std::string& name = "MirrelboxPref") const {
    return home_.Path(".config/" + name);
  }
  std::string Contents(const std::string& name = "MirrelboxPref") const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void WriteContents(const std::string& bytes) const {
    std::ofstream(Path(), std::ios::binary | std::ios::trunc) << bytes;
  }
  static bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }
  // The side files of the settings file beside it.
  std::vector<std::string> SideFiles() const {
    return test_support::SideFilesOf(home_.Path(".config"), "MirrelboxPref");
  }
  // Settings of a test of whole files: a number and a text.
  static void SetSettings(cPrefStockFileObj* file, SInt32 value, const std::string& body) {
    file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Who "), 0, 1)->SetupLongData(value, 1);
    file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Body"), 0, 1)
        ->SetupStringData(body.c_str(), 1);
  }
  // The number of those settings; 0 when there is none.
  static SInt32 SettingsValue(cPrefStockFileObj* file) {
    SInt32 value = 0;
    cPrefStockData* item = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Who "), 0, 0);
    return item != nullptr && item->GetLongData(value) ? value : 0;
  }
  // The bytes of such a settings file, as the writer lays them down.
  std::string SettingsBytes(SInt32 value, const std::string& body) {
    cPrefStockFileObj* file = NewFile("Scratch");
    SetSettings(file, value, body);
    EXPECT_EQ(file->SavePrefDataInFile(), noErr);
    mgr_.DeleteTopPrefStockFileModule(file, 0);
    const std::string bytes = Contents("Scratch");
    unlink(Path("Scratch").c_str());
    return bytes;
  }
  // A different text for each of two writers.
  static std::string Body(SInt32 who) {
    return std::string(std::size_t(1000 * who), char('a' + who));
  }
  // The ids of a list, each as four characters.
  static std::string Ids(const cPrefStockData* item) {
    std::string ids;
    for (; item != nullptr; item = item->GetNextObjectPtr()) {
      UInt8 b[4];
      sp::StoreBE32(b, item->GetIdenfityType());
      ids += std::string(reinterpret_cast<char*>(b), 4);
    }
    return ids;
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  FSRef folder_;
  cPrefStockMgr mgr_;
  cPrefStockFileObj* file_ = nullptr;
};

// File bytes written as words: #n a big-endian 32-bit count, 'text' its bytes ('_' a space),
// anything else hexadecimal bytes.
std::string Bytes(const std::string& words) {
  std::string out;
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    if (word[0] == '#') {
      const UInt32 n = UInt32(std::stoul(word.substr(1)));
      for (int shift = 24; shift >= 0; shift -= 8) out += char(n >> shift);
    } else if (word[0] == '\'') {
      for (char c : word.substr(1, word.size() - 2)) out += c == '_' ? ' ' : c;
    } else {
      for (std::size_t i = 0; i < word.size(); i += 2)
        out += char(std::stoul(word.substr(i, 2), nullptr, 16));
    }
  }
  return out;
}

// ---- The format --------------------------------------------------------------------------------

TEST_F(PreferenceStockFile, TreesAreWrittenInSegmentsWithTheirClosingCounts) {
  struct Row {
    const char* name;
    std::function<void(cPrefStockFileObj*)> build;
    const char* expect;  // after the identify type, in the notation of Bytes()
  };
  Row rows[] = {
      {"A(C1, C2), B, D",
       [](cPrefStockFileObj* f) {
         cPrefStockData* a = Top(f, "A   ");
         a->CreateUnderStockDataItem(SpFourCC("C1  "), 0)->SetupLongData(7, 1);
         a->CreateUnderStockDataItem(SpFourCC("C2  "), 0)->SetupStringData("hi", 1);
         Top(f, "B   ")->SetupPointData(Point{1, 2}, 1);
         Top(f, "D   ")->SetupBooleanData(1, 1);
       },
       // The largest value is the string's block (2 + 4), then the segments.
       "#6 #3 'A___' 01 #2 'C1__' 04 #7 'C2__' 02 #2 'hi' #2 'B___' 0A 0001 0002 'D___' 0B 01 #0"},
      {"A(B(C))",
       [](cPrefStockFileObj* f) {
         Top(f, "A   ")
             ->CreateUnderStockDataItem(SpFourCC("B   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("C   "), 0);
       },
       "#0 #1 'A___' 01 #1 'B___' 01 #1 'C___' 00 #0 #0 #0"},
      {"G(five), then three, an emptied group amid them",
       [](cPrefStockFileObj* f) {
         cPrefStockData* g = Top(f, "G   ");
         for (char c = '1'; c <= '5'; ++c)
           g->CreateUnderStockDataItem(SpFourCC({c, ' ', ' ', ' ', 0}), 1);
         Top(f, "X   ");
         delete Top(f, "E   ")->CreateUnderStockDataItem(SpFourCC("Gone"), 0);
         Top(f, "Z   ");
       },
       // The empty group has a count of 0, and its segment goes on.
       "#0 #4 'G___' 01 #5 '1___' 00 '2___' 00 '3___' 00 '4___' 00 '5___' 00 #3 'X___' 00 "
       "'E___' 01 #0 'Z___' 00 #0"},
      {"A(B(C(D)), E(F)), G(H), I: groups after groups nested two levels deep",
       [](cPrefStockFileObj* f) {
         cPrefStockData* a = Top(f, "A   ");
         a->CreateUnderStockDataItem(SpFourCC("B   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("C   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("D   "), 0);
         a->CreateUnderStockDataItem(SpFourCC("E   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("F   "), 0);
         Top(f, "G   ")->CreateUnderStockDataItem(SpFourCC("H   "), 0);
         Top(f, "I   ");
       },
       // After each group's children, what is left of the list holding it.
       "#0 #3 'A___' 01 #2 'B___' 01 #1 'C___' 01 #1 'D___' 00 #0 #1 'E___' 01 #1 'F___' 00 #0 "
       "#2 'G___' 01 #1 'H___' 00 #1 'I___' 00 #0"},
      {"T(U(V(W(X=5))), Y(Z)): four levels, then a group beside the deepest branch",
       [](cPrefStockFileObj* f) {
         cPrefStockData* t = Top(f, "T   ");
         t->CreateUnderStockDataItem(SpFourCC("U   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("V   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("W   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("X   "), 0)
             ->SetupLongData(5, 1);
         t->CreateUnderStockDataItem(SpFourCC("Y   "), 0)
             ->CreateUnderStockDataItem(SpFourCC("Z   "), 0);
       },
       "#4 #1 'T___' 01 #2 'U___' 01 #1 'V___' 01 #1 'W___' 01 #1 'X___' 04 #5 #0 #0 #1 'Y___' 01 "
       "#1 'Z___' 00 #0 #0 #0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    file_->ClearPrefData();
    row.build(file_);
    ASSERT_EQ(file_->SavePrefDataInFile(), noErr);
    const std::string expected = "InDt" + Bytes(row.expect);
    EXPECT_EQ(Contents(), expected);
    // Read back and saved again, the same bytes come out.
    mgr_.DeleteTopPrefStockFileModule(file_, 0);
    file_ = NewFile();
    ASSERT_EQ(file_->LoadPrefDataFromFile(), noErr);
    file_->SetupPrefModifyFlag();
    ASSERT_EQ(file_->SavePrefDataInFile(), noErr);
    EXPECT_EQ(Contents(), expected);
  }
  EXPECT_EQ(log_.Count(), 0u);
}

TEST_F(PreferenceStockFile, RecordsHaveAFixedBigEndianLayoutOf264_268_28_272And80Bytes) {
  sPerfFileDirInfo position{};
  position.vRefNum = -2;
  position.padding[0] = 0xEE;  // never written
  position.dirID = 0x01020304;
  std::strcpy(position.name, "\x93\xFA\x96\x7B.aiff");
  position.name[200] = 'x';  // after the terminator: not kept
  Top(file_, "Pos ")->SetupFileDirInfoData(&position, 1);
  sPerfExtFileDirInfo ext{3, {}, -5, "N", 0x0A0B0C0D};
  Top(file_, "Ext ")->SetupExtFileDirInfoData(&ext, 1);
  LongDateRec date{0, 2024, 12, 31, 23, 59, 59, 3, 366, 53, 1, 0, 0, -1};
  Top(file_, "Date")->SetupDateTimeData(&date, 1);
  sPerfExtFileDirTypeInfo kind{-1, {}, 2, "F", 1, {}, 0x7FFFFFF0};
  Top(file_, "Kind")->SetupExtFileDirTypeInfoData(&kind, 1);
  FSRef ref;
  for (int i = 0; i < 80; ++i) ref.hidden[i] = UInt8(0xA0 + i);
  Top(file_, "Ref ")->SetupFSRefTypeInfoData(ref, 1);
  ASSERT_EQ(file_->SavePrefDataInFile(), noErr);

  auto name = [](const char* text) {  // zero-terminated and padded to 256 bytes
    std::string padded(text);
    padded.resize(256, '\0');
    return padded;
  };
  const std::string expected =
      "InDt" + Bytes("#272 #5 'Pos_' 08 FFFE0000 01020304") + name("\x93\xFA\x96\x7B.aiff") +
      Bytes("'Ext_' 0D 00030000 FFFFFFFB") + name("N") +
      Bytes(
          "0A0B0C0D 'Date' 0E 0000 07E8 000C 001F 0017 003B 003B 0003 016E 0035 0001 0000 0000 "
          "FFFF 'Kind' 0F FFFF0000 00000002") +
      name("F") + Bytes("01000000 7FFFFFF0 'Ref_' 10") +
      std::string(reinterpret_cast<const char*>(ref.hidden), 80) + Bytes("#0");
  EXPECT_EQ(Contents(), expected);
}

TEST_F(PreferenceStockFile, WhatTheWriterWritesTheReaderTakesBeyondOldLimits) {
  cPrefStockData* group = Top(file_, "Many");
  for (SInt32 i = 0; i < 1500; ++i) group->CreateUnderStockDataItem(i, 1)->SetupLongData(i, 1);
  std::string big(1200000, 'z');
  big[5] = '\x82';
  Top(file_, "Big ")->SetupStringData(big.c_str(), 1);
  ASSERT_EQ(file_->SavePrefDataInFile(), noErr);

  cPrefStockFileObj* again = NewFile();
  ASSERT_EQ(again->LoadPrefDataFromFile(), noErr);
  SInt32 value = 0;
  EXPECT_TRUE(
      Top(again, "Many")->GetStockTopUnderDataListHead()->GetLastObjectPtr()->GetLongData(value));
  EXPECT_EQ(value, 1499);
  std::string text(big.size() + 1, '\0');
  unsigned char cut = 1;
  EXPECT_EQ(Top(again, "Big ")->GetStingData(&text[0], SInt32(text.size()), cut), 1);
  EXPECT_EQ(text.c_str(), big);
}

TEST_F(PreferenceStockFile, AValueFillingTheLargestSizeIsReadWholeAndOneByteMoreIsPassedOver) {
  // The header's largest size is the scratch block: a string needs its bytes and a terminator,
  // a flex area its bytes. A value that does not fit is passed over (step 81) and the file
  // goes on with the next item.
  struct Case {
    const char* why;
    UInt8 type;
    const char *file, *value;  // the file after its identify type; the value read back
  } cases[] = {
      {"string and terminator fill the block", 2, "#6 #2 'Valu' 02 #5 'abcde' 'Next' 04 #42 #0",
       "abcde"},
      {"string one byte longer", 2, "#6 #2 'Valu' 02 #6 'abcdef' 'Next' 04 #42 #0", nullptr},
      {"flex area fills the block", 3, "#6 #2 'Valu' 03 #6 'abcdef' 'Next' 04 #42 #0", "abcdef"},
      {"flex area one byte longer", 3, "#6 #2 'Valu' 03 #7 'abcdefg' 'Next' 04 #42 #0", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteContents("InDt" + Bytes(c.file));
    log_.Clear();
    file_->ClearPrefData();
    ASSERT_EQ(file_->LoadPrefDataFromFile(), noErr);
    EXPECT_EQ(log_.Has("cPrefStockFileObj::LoadPrefDataFromFile", 81), c.value == nullptr);
    char out[16] = {};
    unsigned char cut = 0;
    cPrefStockData* item = Top(file_, "Valu");
    const unsigned char read = c.type == kPrefStockDataType_String
                                   ? item->GetStingData(out, sizeof out, cut)
                                   : item->GetFlexAreaData(out, sizeof out, cut);
    EXPECT_EQ(read, c.value != nullptr ? 1 : 0);
    EXPECT_STREQ(out, c.value != nullptr ? c.value : "");
    SInt32 next = 0;
    EXPECT_TRUE(Top(file_, "Next")->GetLongData(next));
    EXPECT_EQ(next, 42) << "the passed-over bytes were skipped exactly";
  }
}

TEST_F(PreferenceStockFile, ACutOrCorruptFileGivesAnErrorAndKeepsTheSettingsHeld) {
  cPrefStockData* a = Top(file_, "A   ");
  a->CreateUnderStockDataItem(SpFourCC("Str "), 0)->SetupStringData("text", 1);
  a->CreateUnderStockDataItem(SpFourCC("Flex"), 0)->SetupFlexAreaData("\x00\x01\x02", 3, 1);
  sPerfExtFileDirTypeInfo kind{};
  std::strcpy(kind.name, "name");
  a->CreateUnderStockDataItem(SpFourCC("Kind"), 0)->SetupExtFileDirTypeInfoData(&kind, 1);
  Top(file_, "Empt")->CreateUnderStockDataItem(SpFourCC("Deep"), 0)->SetupDblData(1.5, 1);
  Top(file_, "Last");
  ASSERT_EQ(file_->SavePrefDataInFile(), noErr);
  const std::string good = Contents();

  cPrefStockFileObj* held = NewFile();
  Top(held, "Keep")->SetupLongData(5, 1);
  auto refused = [&](const std::string& bytes) {
    WriteContents(bytes);
    log_.Clear();
    if (held->LoadPrefDataFromFile() == noErr) return false;
    SInt32 value = 0;
    EXPECT_EQ(Ids(held->GetPrefStockTopDataListHead()), "Keep");
    EXPECT_TRUE(held->GetPrefStockTopDataListHead()->GetLongData(value) && value == 5);
    EXPECT_EQ(held->GetPrefModifyFlag(), 1);
    EXPECT_TRUE(log_.Has("cPrefStockFileObj::LoadPrefDataFromFile"));
    return true;
  };
  for (std::size_t length = 0; length < good.size(); ++length) {
    SCOPED_TRACE(length);
    EXPECT_TRUE(refused(good.substr(0, length)));
  }
  WriteContents(good.substr(0, good.size() - 2));
  EXPECT_EQ(held->LoadPrefDataFromFile(), eofErr);
  EXPECT_TRUE(log_.Has("cPrefStockFileObj::LoadPrefDataFromFile", 4));

  // Counts, lengths and sizes the file cannot hold.
  EXPECT_TRUE(refused(good.substr(0, 8) + std::string("\x00\x00\x03\xE9", 4) + good.substr(12)));
  EXPECT_TRUE(log_.Has("cPrefStockFileObj::LoadPrefDataFromFile", 41));
  EXPECT_TRUE(refused(std::string("InDt\x7F\xFF\xFF\xFF", 8) + good.substr(8)));
  EXPECT_TRUE(log_.Has("cPrefStockFileObj::LoadPrefDataFromFile", 3));
}

TEST_F(PreferenceStockFile, AFileCutShortGivesEndOfFileAtTheStepOfTheReadThatFailed) {
  // A(S "abcde"), D 42: the header claims the string's 6 bytes and every segment declares
  // more items than a cut file holds, yet a cut is an end of file, not bad data.
  const std::string whole =
      Bytes("'InDt' #6 #2 'A___' 01 #1 'S___' 02 #5 'abcde' #1 'D___' 04 #42 #0");
  ASSERT_EQ(whole.size(), 52u);
  const struct {
    std::size_t length;
    SInt32 step;
    const char* why;
  } cuts[] = {
      {2, 2, "in the identify type"},
      {6, 3, "in the largest size"},
      {10, 4, "in the first count, fewer bytes left than the largest size"},
      {14, 5, "in an id, fewer bytes left than the count's items"},
      {16, 6, "before a type"},
      {19, 4, "in a group's count of children"},
      {28, 7, "in a string's length"},
      {32, 9, "in a string's bytes"},
      {37, 4, "in the count of the next segment"},
      {46, 10, "in a number's payload"},
      {50, 4, "in the closing count"},
  };
  for (const auto& c : cuts) {
    SCOPED_TRACE(c.why);
    WriteContents(whole.substr(0, c.length));
    log_.Clear();
    file_->ClearPrefData();
    EXPECT_EQ(file_->LoadPrefDataFromFile(), eofErr);
    EXPECT_TRUE(log_.Has("cPrefStockFileObj::LoadPrefDataFromFile", c.step));
  }
  WriteContents(whole);
  EXPECT_EQ(file_->LoadPrefDataFromFile(), noErr);
}

// An item without a value is the smallest a file holds (its id and its type): a file of
// nothing else has counts that its bytes only just hold, and it is read whole.
TEST_F(PreferenceStockFile, AFileOfItemsWithoutValuesIsReadWholeHoweverManyThereAre) {
  for (int count : {1, 4, 5, 6, 50}) {
    SCOPED_TRACE(count);
    file_->ClearPrefData();
    std::string ids;
    for (int i = 0; i < count; ++i) {
      const std::string id =
          "N" + std::string(3 - std::to_string(i).size(), '0') + std::to_string(i);
      const UInt32 type = sp::LoadBE32(reinterpret_cast<const UInt8*>(id.data()));
      ASSERT_NE(file_->GetTargetStockDataItemInPrefTopDataList(type, 0, 1), nullptr);
      ids += id;
    }
    cPrefStockData* group = Top(file_, "Grup");
    for (int i = 0; i < count; ++i) group->CreateUnderStockDataItem(UInt32(i), 0);
    ids += "Grup";
    ASSERT_EQ(file_->SavePrefDataInFile(), noErr);
    ASSERT_EQ(Contents().size(), std::size_t(4 + 4 + 4 + 5 * count + 5 + 4 + 5 * count + 4 + 4));
    log_.Clear();
    cPrefStockFileObj* again = NewFile();
    ASSERT_EQ(again->LoadPrefDataFromFile(), noErr);
    EXPECT_EQ(log_.Count(), 0u);
    EXPECT_EQ(Ids(again->GetPrefStockTopDataListHead()), ids);
    int children = 0;
    for (const cPrefStockData* c = Top(again, "Grup")->GetStockTopUnderDataListHead(); c != nullptr;
         c = c->GetNextObjectPtr()) {
      ++children;
    }
    EXPECT_EQ(children, count);
    mgr_.DeleteTopPrefStockFileModule(again, 0);
  }
}

TEST_F(PreferenceStockFile, ADeepTreeSavesLoadsAndClearsWithoutRecursion) {
  cPrefStockData* item = Top(file_, "Root");
  for (int depth = 0; depth < 100000; ++depth) item = item->CreateUnderStockDataItem(depth, 0);
  item->SetupLongData(42, 1);
  ASSERT_EQ(file_->SavePrefDataInFile(), noErr);
  cPrefStockFileObj* again = NewFile();
  ASSERT_EQ(again->LoadPrefDataFromFile(), noErr);
  EXPECT_EQ(again->GetMaxDataSizeLength(), 4u);
  again->ClearPrefData();
}

// Sibling groups that each hold children: the writer counts each chain once, so eight times
// the groups take about eight times the steps, and what it writes reads back whole.
TEST_F(PreferenceStockFile, ManySiblingGroupsWithChildrenAreWrittenInStepsInProportion) {
  UInt32 steps[2] = {0, 0};
  for (int round = 0; round < 2; ++round) {
    const int groups = round == 0 ? 500 : 4000;
    file_->ClearPrefData();
    cPrefStockData* top = Top(file_, "Many");
    for (int g = 0; g < groups; ++g) {
      cPrefStockData* group = top->CreateUnderStockDataItem(UInt32(g), 0);
      group->CreateUnderStockDataItem(1, 0)->SetupLongData(g, 1);
      if (g % 3 == 0) group->CreateUnderStockDataItem(2, 0);  // and a group without children
    }
    ASSERT_EQ(file_->SavePrefDataInFile(), noErr);
    steps[round] = file_->GetLastWriteSteps();
    cPrefStockFileObj* again = NewFile();
    ASSERT_EQ(again->LoadPrefDataFromFile(), noErr);
    int seen = 0;
    for (cPrefStockData* g = Top(again, "Many")->GetStockTopUnderDataListHead(); g != nullptr;
         g = g->GetNextObjectPtr(), ++seen) {
      cPrefStockData* child = g->GetStockTopUnderDataListHead();
      SInt32 value = -1;
      ASSERT_TRUE(child != nullptr && child->GetLongData(value)) << seen;
      ASSERT_EQ(value, seen);
      ASSERT_EQ(child->GetNextObjectPtr() != nullptr, seen % 3 == 0) << seen;
    }
    EXPECT_EQ(seen, groups);
    mgr_.DeleteTopPrefStockFileModule(again, 0);
  }
  EXPECT_GT(steps[0], 0u);
  EXPECT_LE(steps[1], steps[0] * 10) << steps[0] << " then " << steps[1] << " steps";
}

// ---- Saving safely
// -------------------------------------------------------------------------------

TEST_F(PreferenceStockFile, AFailedSaveLeavesThePreviousFileAndStaysModified) {
  Top(file_, "Old ")->SetupLongData(1, 1);
  ASSERT_EQ(file_->SavePrefDataInFile(), noErr);
  const std::string previous = Contents();
  Top(file_, "New ")->SetupStringData("changed", 1);

  {
    // The last step fails.
    const test_support::NameHeldByMount held(Path());
    if (!held.Held()) GTEST_SKIP() << "this process may not mount";
    log_.Clear();
    EXPECT_NE(file_->SavePrefDataInFile(), noErr);
  }
  EXPECT_TRUE(log_.Has("cPrefStockFileObj::SavePrefDataInFile"));
  EXPECT_EQ(Contents(), previous);
  EXPECT_EQ(file_->GetPrefModifyFlag(), 1);
  EXPECT_EQ(SideFiles(), std::vector<std::string>{}) << "the failed save's side file went";
  EXPECT_EQ(file_->SavePrefDataInFile(), noErr);
  EXPECT_NE(Contents(), previous);

  // A folder in the file's place is not replaced.
  cPrefStockFileObj* taken = NewFile("Taken");
  ASSERT_EQ(mkdir(Path("Taken").c_str(), 0700), 0);
  Top(taken, "A   ")->SetupLongData(1, 1);
  EXPECT_EQ(taken->SavePrefDataInFile(), notAFileErr);
  EXPECT_TRUE(Exists(Path("Taken")));
  // Saving every modified file at quit answers the failure too, not success.
  EXPECT_EQ(Sp_SaveModifyPreferenceStock(), notAFileErr);
}

// ---- Kills, other processes, damage
// ------------------------------------------------------------------------------------

// A save killed just before any of its steps leaves under the name the old settings or the
// whole new ones; the next load gets them (a first save's new file, left beside the name, is
// taken back), never nothing, and the next save removes what the killed one left.
TEST_F(PreferenceStockFile, ASaveKilledAtAnyStepLeavesTheOldOrTheNewSettingsForTheNextLoad) {
  const std::string before = SettingsBytes(1, "old");
  const std::string after = SettingsBytes(2, std::string(3000, 'n'));
  const struct {
    bool hadFile;
    const char* why;
  } cases[] = {
      {true, "settings saved before: they stay until the new ones replace them"},
      {false, "the first save: its whole new file is taken back when the name is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    auto prepare = [&] {
      for (const std::string& side : SideFiles()) unlink(Path(side).c_str());
      unlink(Path().c_str());
      if (c.hadFile) WriteContents(before);
    };
    auto job = [&] {
      cPrefStockFileObj* saving = NewFile();
      SetSettings(saving, 2, std::string(3000, 'n'));
      return saving->SavePrefDataInFile() == noErr ? 0 : 1;
    };
    const int steps =
        test_support::RunKilledAtEachStep(prepare, job, [&](const test_support::KilledRun& run) {
          SCOPED_TRACE(run.step);
          if (run.finished) {
            EXPECT_EQ(run.status, 0);
          }
          // A kill between the new file's making and its end leaves it cut short.
          bool leftWholeFile = false;
          for (const std::string& side : SideFiles()) leftWholeFile |= Contents(side) == after;
          if (Exists(Path())) {
            EXPECT_TRUE(Contents() == before || Contents() == after);
          } else {
            EXPECT_FALSE(c.hadFile) << "the name never stands empty";
          }
          const std::string named = Exists(Path()) ? Contents() : std::string();
          log_.Clear();
          cPrefStockFileObj* next = NewFile();
          ASSERT_EQ(next->LoadPrefDataFromFile(), noErr);
          EXPECT_EQ(log_.Count(), 0u);
          const SInt32 value = SettingsValue(next);
          if (named == before) {
            EXPECT_EQ(value, 1);
          } else if (named == after || leftWholeFile) {
            EXPECT_EQ(value, 2) << "a whole new file left beside the name is taken back";
            EXPECT_TRUE(Contents() == after);
          } else {
            EXPECT_EQ(value, 0) << "killed before the new file was whole: nothing was there";
          }
          SetSettings(next, 3, "later");
          EXPECT_EQ(next->SavePrefDataInFile(), noErr);
          EXPECT_EQ(SideFiles(), std::vector<std::string>{}) << "the killed save's leftovers go";
          mgr_.DeleteTopPrefStockFileModule(next, 0);
        });
    EXPECT_GE(steps, 2) << "at least the new file and its rename";
  }
}

// Two copies of the program saving one settings file at once: every save succeeds, every load
// in between reads one whole version, and no side file is left.
TEST_F(PreferenceStockFile, TwoProcessesSavingOneFileAtOnceBothSucceedAndEveryLoadIsWhole) {
  auto whole = [&](cPrefStockFileObj* file) {
    const SInt32 who = SettingsValue(file);
    char text[4096] = "";
    cPrefStockData* body = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Body"), 0, 0);
    unsigned char cut = 0;
    return (who == 1 || who == 2) && body != nullptr &&
           body->GetStingData(text, SInt32(sizeof text), cut) && cut == 0 &&
           std::string(text) == Body(who);
  };
  const std::vector<int> failures = test_support::RunAtOnce(2, [&](int index) {
    int failed = 0;
    for (int i = 0; i < 60; ++i) {
      cPrefStockFileObj* mine = NewFile();
      SetSettings(mine, index + 1, Body(index + 1));
      if (mine->SavePrefDataInFile() != noErr) ++failed;
      mgr_.DeleteTopPrefStockFileModule(mine, 0);
      cPrefStockFileObj* seen = NewFile();
      if (seen->LoadPrefDataFromFile() != noErr || !whole(seen)) ++failed;
      mgr_.DeleteTopPrefStockFileModule(seen, 0);
    }
    return failed;
  });
  EXPECT_EQ(failures, (std::vector<int>{0, 0}));
  cPrefStockFileObj* last = NewFile();
  ASSERT_EQ(last->LoadPrefDataFromFile(), noErr);
  EXPECT_TRUE(whole(last));
  EXPECT_EQ(SideFiles(), std::vector<std::string>{});
  EXPECT_FALSE(Exists(Path("MirrelboxPref (damaged)")));
}

// A file that does not read as settings is kept beside the name, in plain sight, with one
// record; the next save writes a new file and leaves it alone; a later damaged file replaces
// it, so there is only ever one.
TEST_F(PreferenceStockFile, ADamagedFileIsKeptBesideOnceWithOneRecordAndSavesSpareIt) {
  const std::string good = SettingsBytes(1, "good");
  const std::string damaged = "MirrelboxPref (damaged)";
  const struct {
    std::string bytes;
    OSErr result;
    SInt32 step;
    const char* why;
  } cases[] = {
      {good.substr(0, good.size() - 2), eofErr, 4, "cut short in its closing count"},
      {std::string("InDt\x7F\xFF\xFF\xFF", 8) + good.substr(8), kPrefStockDataErr, 3,
       "a largest size the file cannot hold"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    WriteContents(c.bytes);
    log_.Clear();
    const UInt32 beeps = log_.Beeps();
    cPrefStockFileObj* loaded = NewFile();
    EXPECT_EQ(loaded->LoadPrefDataFromFile(), c.result);
    ASSERT_EQ(log_.Count(), 1u);
    EXPECT_EQ(log_.Records()[0].code, c.step);
    EXPECT_NE(log_.Records()[0].message.find(damaged), std::string::npos);
    EXPECT_EQ(log_.Beeps(), beeps + 1);
    EXPECT_FALSE(Exists(Path()));
    EXPECT_EQ(Contents(damaged), c.bytes);

    SetSettings(loaded, 5, "after");
    EXPECT_EQ(loaded->SavePrefDataInFile(), noErr);
    EXPECT_EQ(Contents(damaged), c.bytes) << "the next save spares the kept file";
    EXPECT_EQ(Contents(), SettingsBytes(5, "after"));
    mgr_.DeleteTopPrefStockFileModule(loaded, 0);
  }
  EXPECT_EQ(SideFiles(), std::vector<std::string>{});
}

// With the settings file missing, what saves killed before their rename left is tried, the
// newest first, and the first that reads whole takes the name.
TEST_F(PreferenceStockFile, AMissingFileIsTakenBackFromTheNewestWholeFileAKilledSaveLeft) {
  const std::string one = SettingsBytes(1, "one");
  const std::string two = SettingsBytes(2, "two");
  const std::string cut = two.substr(0, two.size() - 3);
  const std::string gone = std::to_string(test_support::EndedProcessId());
  const std::string goneToo = std::to_string(test_support::EndedProcessId());
  const std::string running = std::to_string(getppid());
  auto side = [](const std::string& tag) { return ".MirrelboxPref." + tag + ".saving"; };
  const struct {
    std::vector<std::pair<std::string, std::string>> files;  // the oldest first
    SInt32 taken;
    const char* why;
  } cases[] = {
      {{{side(gone + "-1"), two}}, 2, "a killed save's whole new file"},
      {{{side(gone + "-1"), two}, {side(goneToo + "-4"), one}}, 1, "the newest of two"},
      {{{side(gone + "-1"), one}, {side(goneToo + "-1"), cut}}, 1, "one cut short is passed over"},
      {{{side(running + "-1"), two}}, 0, "a save still going on in a running process"},
      {{{side(gone + "-1x"), two}}, 0, "no side file of a save: not its name"},
      {{{".MirrelboxPref.previous", one}, {".MirrelboxPref.saving", two}},
       2,
       "the older program's new file, killed between its two renames"},
      {{{".MirrelboxPref.previous", one}, {".MirrelboxPref.saving", cut}},
       1,
       "else the old file it had set aside"},
  };
  short vRefNum = 0;
  SInt32 dirID = 0;
  ASSERT_EQ(Sp_GetDirectoryPositionInfoFromFSRef(&folder_, &vRefNum, &dirID), noErr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    for (const std::string& name : SideFiles()) unlink(Path(name).c_str());
    unlink(Path().c_str());
    time_t when = 1000000;
    for (const auto& file : c.files) {
      std::ofstream(Path(file.first), std::ios::binary) << file.second;
      const struct timespec times[2] = {{when, 0}, {when, 0}};
      utimensat(AT_FDCWD, Path(file.first).c_str(), times, 0);
      when += 10;
    }
    log_.Clear();
    EXPECT_EQ(cPrefStockFileObj::TakeBackInterruptedSave(vRefNum, dirID, "MirrelboxPref"),
              c.taken != 0 ? 1 : 0);
    cPrefStockFileObj* loaded = NewFile();
    EXPECT_EQ(loaded->LoadPrefDataFromFile(), noErr);
    EXPECT_EQ(SettingsValue(loaded), c.taken);
    EXPECT_EQ(log_.Count(), 0u);
    if (c.taken != 0) {
      EXPECT_EQ(Contents(), c.taken == 1 ? one : two);
      EXPECT_FALSE(Exists(Path(".MirrelboxPref.saving")) || Exists(Path(".MirrelboxPref.previous")))
          << "the older program's leftovers go once the file is back";
    }
    mgr_.DeleteTopPrefStockFileModule(loaded, 0);
  }
}

// ---- Places kept across runs -------------------------------------------------------------------

TEST_F(PreferenceStockFile, AStoredFileOrFolderIsFoundAgainByItsIdAfterARenameAndAMove) {
  short vRefNum = 0;
  SInt32 prefDirID = 0;
  ASSERT_EQ(Sp_GetDirectoryPositionInfoFromFSRef(&folder_, &vRefNum, &prefDirID), noErr);
  std::ofstream(Path("Take.aiff")) << "x";
  ASSERT_EQ(Sp_CreateFolderIntoDirId(vRefNum, prefDirID, "Album"), noErr);
  SInt32 fileID = 0, albumID = 0;
  ASSERT_EQ(Sp_GetFileIdFromFileNameInDirId(vRefNum, prefDirID, "Take.aiff", fileID), noErr);
  ASSERT_EQ(Sp_GetDirIdFromDirNameInDirId(vRefNum, prefDirID, "Album", albumID), noErr);
  sPerfExtFileDirTypeInfo file{vRefNum, {}, prefDirID, "Take.aiff", 0, {}, fileID}, found{};
  sPerfExtFileDirTypeInfo folder{vRefNum, {}, prefDirID, "Album", 1, {}, albumID};
  EXPECT_EQ(SpPref_GetExistFileFolderTarget(file, found), 1);
  EXPECT_STREQ(found.name, "Take.aiff");

  ASSERT_EQ(Sp_RenameFileDirectory(vRefNum, prefDirID, "Take.aiff", "Final.aiff"), noErr);
  ASSERT_EQ(Sp_MoveFileOrDir(vRefNum, prefDirID, "Final.aiff", albumID, nullptr), noErr);
  ASSERT_EQ(Sp_RenameFileDirectory(vRefNum, prefDirID, "Album", "Album 2"), noErr);
  sp_testing::RestartFileCatalogue();  // as in the program's next run
  ASSERT_EQ(SpPref_GetExistFileFolderTarget(file, found), 1);
  EXPECT_EQ(std::string(found.name) + " " + std::to_string(found.dirID == albumID), "Final.aiff 1");
  ASSERT_EQ(SpPref_GetExistFileFolderTarget(folder, found), 1);
  EXPECT_EQ(std::string(found.name) + " " + std::to_string(found.dirID == prefDirID), "Album 2 1");
  ASSERT_EQ(unlink(Path("Album 2/Final.aiff").c_str()), 0);
  EXPECT_EQ(SpPref_GetExistFileFolderTarget(file, found), 0) << "gone: not found";
}

// ---- The manager's saves
// ---------------------------------------------------------------------------

TEST_F(PreferenceStockFile, TheDisposeProcedureAndTheManagerSaveOnlyModifiedFiles) {
  cPrefStockFileObj* other = NewFile("Other");
  Top(other, "O   ")->SetupLongData(1, 0);
  Top(file_, "A   ")->SetupLongData(1, 1);
  // The dispose procedure, which the event loop runs at the end, saves what changed.
  Sp_DisposeEventProcForPreferenceStock(0);
  EXPECT_TRUE(Exists(Path()) && !Exists(Path("Other")));
  EXPECT_EQ(file_->GetPrefModifyFlag(), 0);
  Top(other, "O   ")->SetupLongData(2, 1);
  EXPECT_EQ(mgr_.DeleteTopPrefStockFileModule(SpFourCC("InDt"), 1), 1) << "the first of the two";
  EXPECT_EQ(mgr_.GetTargetStockFileObj(kIdentify), other);
  mgr_.~cPrefStockMgr();
  EXPECT_TRUE(Exists(Path("Other"))) << "the manager saves as it goes";
  log_.Clear();
  Sp_DisposeEventProcForPreferenceStock(0);
  EXPECT_EQ(log_.Count(), 0u) << "nothing is left to save";
  new (&mgr_) cPrefStockMgr();
}

}  // namespace
