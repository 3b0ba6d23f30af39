// The title database: look-ups by total running time, disc and track titles, and title files
// that are missing, damaged or random.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "CDDBFixture.h"
#include "ErrorLogCapture.h"
#include "Resources.h"
#include "SpCDDBMgrObject.h"
#include "SpCDDiscPosition.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

using cddb_test::Disc;
using cddb_test::IndexBytes;
using cddb_test::kDisc;
using cddb_test::StringList;
using cddb_test::Title;
using cddb_test::WriteTitleFile;

cDiscPosition Key(UInt32 m, UInt32 s, UInt32 f, UInt8 negative = 0) {
  return cDiscPosition(m, s, f, negative);
}
std::string TitleAt(const cDiscPosition& key, short track = kDisc) {
  return Title(SpCDDB_GetDBItem(key), track);
}

class CDDBTitles : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetResources();
    SpDisposeCDDBManager();
  }
  void TearDown() override {
    SpDisposeCDDBManager();
    sp_testing::ResetResources();
  }

  sp_testing::HomeScope home_;
};

const std::vector<Disc> kShelf = {
    {2, 45, 0, 0, 1000, {"Alpha", "Alpha one", "Alpha two"}},
    {3, 45, 0, 0, 1001, {"Beta", "B1", "B2", "B3"}},  // the same time as Alpha
    {1, 60, 0, 10, 1002, {"Gamma", "G1"}},
    {0, 0, 2, 0, 1003, {"Delta"}},
    {1, 72, 59, 0, 1004, {"Epsilon", ""}},
    {1, 10, 0, 1, 1005, {"\x93\xFA\x96\x7B", "\x89\xB9"}},  // MacJapanese titles
};

TEST_F(CDDBTitles, FindsTheFirstDiscWhoseLeadOutLessOneFrameIsTheKey) {
  WriteTitleFile(cddb_test::TitleFileOf(kShelf));
  ASSERT_FALSE(HasFatalFailure());
  const struct {
    cDiscPosition key;
    const char* title;
    const char* why;
  } cases[] = {
      {Key(44, 59, 74), "Alpha", "45:00:00 less one frame; Alpha comes before Beta"},
      {Key(45, 0, 0), "<none>", "the stored time itself is no key"},
      {Key(60, 0, 9), "Gamma", "frames borrowed from"},
      {Key(60, 0, 10), "<none>", "stored time"},
      {Key(0, 1, 74), "Delta", "seconds borrowed from"},
      {Key(72, 58, 74), "Epsilon", "minutes untouched, seconds borrowed"},
      {Key(10, 0, 0), "\x93\xFA\x96\x7B", "title bytes kept as they are"},
      {Key(44, 59, 74, 1), "<none>", "the negative flag is part of the key"},
      {Key(99, 0, 0), "<none>", "no such disc"},
  };
  for (const auto& c : cases) EXPECT_EQ(TitleAt(c.key), c.title) << c.why;
  // The key a media scan derives from the lead-out block of the table of contents.
  cDiscPosition leadOut, totalTime;
  Sp_SectorToCDPosition(45 * 60 * 75, &leadOut);
  Sp_SubSectorToCDPosition(&leadOut, 1, &totalTime);
  EXPECT_EQ(TitleAt(totalTime), "Alpha");
}

TEST_F(CDDBTitles, TitlesAreCopiedWithTheirCutReported) {
  WriteTitleFile(cddb_test::TitleFileOf({
      {0, 1, 0, 0, 2000, {"ABCDEFGH"}},
      {0, 2, 0, 0, 2001, {"ABCDEFG"}},
      {0, 3, 0, 0, 2002, {""}},
      {3, 4, 0, 0, 2003, {"Disc", "Track one", "", "T3"}},
      {0, 5, 0, 0, 2004, {}},  // no string list at all
  }));
  ASSERT_FALSE(HasFatalFailure());
  const struct {
    UInt32 minutes;
    short track;
    SInt32 size;
    const char* title;
    unsigned char truncated;
  } cases[] = {
      {1, kDisc, 10, "ABCDEFGH", 1},  // size - 2 bytes fill the room: counted as cut
      {2, kDisc, 10, "ABCDEFG", 0},
      {1, kDisc, 5, "ABC", 1},
      {1, kDisc, 2, "", 1},
      {3, kDisc, 10, "<no title>", 9},
      {5, kDisc, 10, "<no title>", 9},
      {4, 1, 256, "Track one", 0},
      {4, 1, 5, "Tra", 1},
      {4, 2, 256, "<no title>", 9},  // an empty title is none
      {4, 3, 256, "T3", 0},
      {4, 4, 256, "<no title>", 9},
      {4, 0, 256, "<no title>", 9},
      {4, -1, 256, "<no title>", 9},
      {1, 1, 256, "<no title>", 9},  // no tracks
  };
  for (const auto& c : cases) {
    unsigned char truncated = 9;
    cSp_CDDBItem* item = SpCDDB_GetDBItem(Key(c.minutes - 1, 59, 74));
    ASSERT_NE(item, nullptr) << c.minutes;
    EXPECT_EQ(Title(item, c.track, c.size, &truncated), c.title) << c.minutes << " " << c.size;
    EXPECT_EQ(truncated, c.truncated) << c.minutes << " " << c.track << " " << c.size;
  }
  ErrorLogCapture log;
  cSp_CDDBItem* disc = SpCDDB_GetDBItem(Key(3, 59, 74));
  unsigned char truncated = 9;
  EXPECT_EQ(disc->GetCDTitle(nullptr, 10, &truncated), 0);
  EXPECT_EQ(disc->GetCDTrackTitle(1, nullptr, 10, &truncated), 0);
  EXPECT_TRUE(log.Has("cSp_CDDBItem::GetCDTitle", 1));
  EXPECT_TRUE(log.Has("cSp_CDDBItem::GetCDTrackTitle", 1));
}

TEST_F(CDDBTitles, MissingFileOrIndexGivesAnEmptyDatabaseWithoutAWord) {
  ErrorLogCapture log;
  EXPECT_EQ(SpCDDB_GetDBItem(Key(44, 59, 74)), nullptr);
  WriteTitleFile({StringList(1000, {"Alpha"})});
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(SpCDDB_GetDBItem(Key(44, 59, 74)), nullptr);
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_EQ(log.Beeps(), 0u);
}

TEST_F(CDDBTitles, IndexPromisingMoreEntriesThanItHoldsIsRefusedWhole) {
  const std::vector<Disc> two = {kShelf[0], kShelf[2]};
  const struct {
    std::vector<UInt8> index;
    const char* why;
  } cases[] = {
      {IndexBytes(two, 3), "count one above the entries"},
      {IndexBytes(two, 0x7FFF), "count far beyond"},
      {IndexBytes(two, -1), "negative count"},
      {{0, 0, 0}, "no room for the count"},
      {{}, "empty index"},
  };
  for (const auto& c : cases) {
    WriteTitleFile({{kSpCDDBIndexType, kSpCDDBIndexID, c.index}, StringList(1000, {"Alpha"})});
    ASSERT_FALSE(HasFatalFailure());
    ErrorLogCapture log;
    EXPECT_EQ(SpCDDB_GetDBItem(Key(44, 59, 74)), nullptr) << c.why;
    EXPECT_TRUE(log.Has("cSp_CDDBManager::LoadAppleCDDB", 2)) << c.why;
  }
  // A count below the entries held reads only the entries counted.
  WriteTitleFile({{kSpCDDBIndexType, kSpCDDBIndexID, IndexBytes(two, 1)}});
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_NE(SpCDDB_GetDBItem(Key(44, 59, 74)), nullptr);
  EXPECT_EQ(SpCDDB_GetDBItem(Key(60, 0, 9)), nullptr);
}

TEST_F(CDDBTitles, BCDTimesUpToTheirLimitsAreReadAndEntriesPastThemSkipped) {
  // The first entry is timed 20:20:20 and then spoilt in one field (byte 1 minutes, 2
  // seconds, 3 frames); Gamma after it is always kept.
  const Disc spoilt = {2, 20, 20, 20, 1000, {"Alpha"}};
  const struct {
    int field;
    UInt8 bcd;
    const char* title;  // at the key the spoilt field gives, or <none> when skipped
    cDiscPosition key;
  } cases[] = {
      {1, 0x99, "Alpha", Key(99, 20, 19)}, {1, 0xA0, "<none>", Key(0, 0, 0)},
      {1, 0x1A, "<none>", Key(0, 0, 0)},  // a nibble above 9 inside the limit
      {2, 0x59, "Alpha", Key(20, 59, 19)}, {2, 0x60, "<none>", Key(0, 0, 0)},
      {2, 0x6A, "<none>", Key(0, 0, 0)},   {3, 0x74, "Alpha", Key(20, 20, 73)},
      {3, 0x75, "<none>", Key(0, 0, 0)},
  };
  for (const auto& c : cases) {
    std::vector<UInt8> index = IndexBytes({spoilt, kShelf[2]}, 2);
    index[4 + c.field] = c.bcd;
    WriteTitleFile({{kSpCDDBIndexType, kSpCDDBIndexID, index},
                    StringList(1000, {"Alpha"}),
                    StringList(1002, {"Gamma"})});
    ASSERT_FALSE(HasFatalFailure());
    ErrorLogCapture log;
    EXPECT_EQ(TitleAt(Key(60, 0, 9)), "Gamma") << std::hex << int(c.bcd);
    bool skipped = std::string(c.title) == "<none>";
    EXPECT_EQ(log.Has("cSp_CDDBManager::LoadAppleCDDB", 3), skipped) << std::hex << int(c.bcd);
    EXPECT_EQ(skipped ? "<none>" : TitleAt(c.key), c.title) << std::hex << int(c.bcd);
  }
}

TEST_F(CDDBTitles, TitlesComeOnlyFromTheTitleFileAndAShortListGivesNoneFromWhereItEnds) {
  // The application has a string list of the number the title file lacks.
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("STR#"), 1000,
                                       sp_testing::MakeStringList({"App", "App track"})),
            noErr);
  std::vector<UInt8> list = sp_testing::MakeStringList({"Title", "One", "Two"});
  list.resize(2 + 6 + 2);  // the count, "Title", and the first track's length and one byte
  WriteTitleFile(
      {{kSpCDDBIndexType, kSpCDDBIndexID, IndexBytes({kShelf[0], {2, 5, 0, 0, 7, {}}}, 2)},
       {SpFourCC("STR#"), 7, list}});
  ASSERT_FALSE(HasFatalFailure());
  for (short track : {kDisc, short(1)}) EXPECT_EQ(TitleAt(Key(44, 59, 74), track), "<no title>");
  EXPECT_EQ(TitleAt(Key(4, 59, 74)), "Title");
  EXPECT_EQ(TitleAt(Key(4, 59, 74), 1), "<no title>");
  EXPECT_EQ(TitleAt(Key(4, 59, 74), 2), "<no title>");
}

// A disc gets one track for each title its list holds, up to the tracks its index entry
// claims: never a track more, which would also count against the titles a file may make.
TEST_F(CDDBTitles, ADiscHasNoMoreTracksThanItsListHoldsTitles) {
  const struct {
    SInt8 claimed;
    int held;  // track titles in the list, after the disc title
    int tracks;
  } cases[] = {{3, 3, 3}, {3, 2, 2}, {3, 4, 3}, {1, 0, 0}, {0, 2, 0}, {99, 98, 98}};
  for (const auto& c : cases) {
    std::vector<std::string> strings = {"Disc"};
    for (int t = 1; t <= c.held; ++t) strings.push_back("T" + std::to_string(t));
    WriteTitleFile({{kSpCDDBIndexType, kSpCDDBIndexID,
                     IndexBytes({Disc{c.claimed, 10, 0, 0, 500, {}}}, 1)},
                    StringList(500, strings)});
    ASSERT_FALSE(HasFatalFailure());
    SCOPED_TRACE(std::to_string(c.claimed) + " claimed, " + std::to_string(c.held) + " held");
    EXPECT_EQ(TitleAt(Key(9, 59, 74)), "Disc");
    EXPECT_EQ(Sp_GetCDDBManager(1)->CountTrackTitles(), c.tracks);
    if (c.tracks > 0) {
      EXPECT_EQ(TitleAt(Key(9, 59, 74), short(c.tracks)), "T" + std::to_string(c.tracks));
    }
    EXPECT_EQ(TitleAt(Key(9, 59, 74), short(c.tracks + 1)), "<no title>");
  }
}

TEST_F(CDDBTitles, FileIsReadOnceAndLeftClosedWithTheCurrentFileUnchanged) {
  WriteTitleFile(cddb_test::TitleFileOf(kShelf));
  ASSERT_FALSE(HasFatalFailure());
  const SInt16 current = CurResFile();
  ASSERT_NE(SpCDDB_GetDBItem(Key(44, 59, 74)), nullptr);
  EXPECT_EQ(CurResFile(), current);
  EXPECT_EQ(GetResource(kSpCDDBIndexType, kSpCDDBIndexID), nullptr);  // no longer in the chain
  FSSpec spec = cddb_test::TitleFileSpec();
  ASSERT_EQ(FSpDelete(&spec), noErr);
  EXPECT_NE(SpCDDB_GetDBItem(Key(44, 59, 74)), nullptr);  // from memory
  SpDisposeCDDBManager();
  EXPECT_EQ(SpCDDB_GetDBItem(Key(44, 59, 74)), nullptr);  // read again: gone
}

TEST_F(CDDBTitles, FailingAllocationsNeverCrashAndKeepWhatWasRead) {
  WriteTitleFile(cddb_test::TitleFileOf(kShelf));
  ASSERT_FALSE(HasFatalFailure());
  ErrorLogCapture log;
  for (UInt32 n = 1; n < 120; ++n) {
    SpDisposeCDDBManager();
    sp_testing::FailNthAllocation(n);
    cSp_CDDBItem* item = SpCDDB_GetDBItem(Key(44, 59, 74));
    sp_testing::FailNthAllocation(0);
    EXPECT_TRUE(item == nullptr || Title(item) == "Alpha") << n;
    SpCDDB_GetDBItem(Key(0, 1, 74));
  }
}

}  // namespace

// A small file whose every entry claims 127 tracks of one long list: at most 99 tracks a disc
// and a bounded number of titles in all are made, and the cut is logged once.
TEST_F(CDDBTitles, IndexMultiplyingOneLongListMakesABoundedNumberOfTitles) {
  std::vector<std::string> strings = {"Disc"};
  for (int t = 1; t <= 127; ++t) strings.push_back("T" + std::to_string(t));
  std::vector<Disc> discs(0x7FFF, Disc{127, 10, 0, 0, 500, {}});
  discs.back().minutes = 20;
  WriteTitleFile({{kSpCDDBIndexType, kSpCDDBIndexID, IndexBytes(discs, SInt16(discs.size()))},
                  StringList(500, strings)});
  ASSERT_FALSE(HasFatalFailure());
  ErrorLogCapture log;
  EXPECT_EQ(TitleAt(Key(9, 59, 74), 99), "T99");
  EXPECT_EQ(Sp_GetCDDBManager(1)->CountTrackTitles(), kSpCDDBMostTrackTitles);
  EXPECT_EQ(TitleAt(Key(9, 59, 74), 100), "<no title>");
  EXPECT_EQ(TitleAt(Key(19, 59, 74)), "Disc");
  EXPECT_EQ(TitleAt(Key(19, 59, 74), 1), "<no title>");
  EXPECT_EQ(log.Count(), 1u);
}

namespace {

// The bytes of a title file of `count` discs, each with a list of its own (the index and the
// lists: count + 1 resources, without names), laid out as the classic map has it. Made by
// hand: the Resource Manager's writer stops where names could no longer be reached, and
// another program's title file need not.
std::vector<UInt8> ManyDiscsFile(SInt16 count, std::vector<Disc>& discs) {
  discs.clear();
  for (SInt16 i = 0; i < count; ++i) {
    discs.push_back(Disc{0, UInt8(i / 4500), UInt8(i / 75 % 60), UInt8(i % 75 + 1),
                         SInt16(i + 1), {"Disc " + std::to_string(i)}});
  }
  std::vector<std::pair<ResType, std::vector<UInt8>>> resources = {
      {kSpCDDBIndexType, IndexBytes(discs, count)}};
  for (const Disc& d : discs) resources.push_back({SpFourCC("STR#"), StringList(0, d.strings).bytes});
  sp::ByteWriter data, map;
  std::vector<UInt32> offsets;
  for (const auto& r : resources) {
    offsets.push_back(UInt32(data.Size()));
    data.BE32(UInt32(r.second.size()));
    data.Bytes(r.second.data(), r.second.size());
  }
  const UInt32 mapOffset = 256 + UInt32(data.Size());
  const UInt32 mapLength = 28 + 2 + 2 * 8 + UInt32(resources.size()) * 12;
  sp::ByteWriter header;
  for (UInt32 v : {256u, mapOffset, UInt32(data.Size()), mapLength}) header.BE32(v);
  map.Bytes(header.Data().data(), header.Size());
  map.Zeros(8);
  map.BE16(28);
  map.BE16(UInt16(std::min<UInt32>(mapLength, 0xFFFF)));  // no names: never reached
  map.BE16(1);
  map.FourCC(kSpCDDBIndexType);
  map.BE16(0);
  map.BE16(18);
  map.FourCC(SpFourCC("STR#"));
  map.BE16(UInt16(count - 1));
  map.BE16(30);
  for (std::size_t i = 0; i < resources.size(); ++i) {
    map.BE16(i == 0 ? UInt16(kSpCDDBIndexID) : UInt16(discs[i - 1].listID));
    map.BE16(0xFFFF);
    map.U8(0);
    map.BE24(offsets[i]);
    map.BE32(0);
  }
  sp::ByteWriter file;
  file.Bytes(header.Data().data(), header.Size());
  file.Zeros(240);
  file.Bytes(data.Data().data(), data.Size());
  file.Bytes(map.Data().data(), map.Size());
  return file.Data();
}

}  // namespace

// Every disc's list is looked up, loaded, asked for its file and released: each of these
// goes through an index, so a file ten times as large costs ten times the work, never more.
TEST_F(CDDBTitles, ALargeTitleFileIsReadWithWorkInProportionToItsSize) {
  for (SInt32 entries : {4096, 32768}) {  // the index and a list for each disc
    SCOPED_TRACE(entries);
    const SInt16 count = SInt16(entries - 1);
    std::vector<Disc> discs;
    const std::vector<UInt8> bytes = ManyDiscsFile(count, discs);
    std::ofstream(home_.Path(".config/" + std::string(kSpCDDBFileName)), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    SpDisposeCDDBManager();
    const UInt64 before = sp_testing::ResourcesExamined();
    const Disc& last = discs.back();
    EXPECT_EQ(TitleAt(Key(last.minutes, last.seconds, UInt32(last.frames - 1))), last.strings[0]);
    const UInt64 examined = sp_testing::ResourcesExamined() - before;
    EXPECT_GE(examined, UInt64(count)) << "every list is looked up";
    EXPECT_LE(examined, 4u * UInt64(entries));
  }
}
