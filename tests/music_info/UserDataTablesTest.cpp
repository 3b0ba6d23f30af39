// The tag id tables and the genre list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpQTInterface.h"
#include "TestResources.h"

namespace {

constexpr UInt32 C(const char (&s)[5]) {
  return SpFourCC(s);
}
constexpr UInt32 QT(const char (&tail)[4]) {
  return SpQTI_CopyrightFourCC(tail);
}

std::string Name(UInt32 id) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    UInt8 c = UInt8(id >> shift);
    s += c == 0xA9 ? std::string("(c)") : std::string(1, char(c));
  }
  return s;
}

// The 46 pairs of frame ids that ID3 v2.2 and v2.3 share.
const std::vector<std::pair<UInt32, UInt32>> kVersionPairs = {
    {C("COM "), C("COMM")}, {C("MCI "), C("MCDI")}, {C("PIC "), C("APIC")}, {C("POP "), C("POPM")},
    {C("TAL "), C("TALB")}, {C("TBP "), C("TBPM")}, {C("TCM "), C("TCOM")}, {C("TCO "), C("TCON")},
    {C("TCR "), C("TCOP")}, {C("TDA "), C("TDAT")}, {C("TDY "), C("TDLY")}, {C("TEN "), C("TENC")},
    {C("TFT "), C("TFLT")}, {C("TIM "), C("TIME")}, {C("TKE "), C("TKEY")}, {C("TLA "), C("TLAN")},
    {C("TLE "), C("TLEN")}, {C("TOA "), C("TOPE")}, {C("TOF "), C("TOFN")}, {C("TOL "), C("TOLY")},
    {C("TOR "), C("TORY")}, {C("TOT "), C("TOAL")}, {C("TP1 "), C("TPE1")}, {C("TP2 "), C("TPE2")},
    {C("TP3 "), C("TPE3")}, {C("TP4 "), C("TPE4")}, {C("TPA "), C("TPOS")}, {C("TPB "), C("TPUB")},
    {C("TRC "), C("TSRC")}, {C("TRD "), C("TRDA")}, {C("TRK "), C("TRCK")}, {C("TSI "), C("TSIZ")},
    {C("TSS "), C("TSSE")}, {C("TT1 "), C("TIT1")}, {C("TT2 "), C("TIT2")}, {C("TT3 "), C("TIT3")},
    {C("TXT "), C("TEXT")}, {C("TXX "), C("TXXX")}, {C("TYE "), C("TYER")}, {C("WAF "), C("WOAF")},
    {C("WAR "), C("WOAR")}, {C("WAS "), C("WOAS")}, {C("WCM "), C("WCOM")}, {C("WCP "), C("WCOP")},
    {C("WPB "), C("WPUB")}, {C("WXX "), C("WXXX")},
};

TEST(TagIdTables, EveryVersionPairConvertsBothWays) {
  ASSERT_EQ(kVersionPairs.size(), 46u);
  for (const auto& pair : kVersionPairs) {
    UInt32 out = 0;
    EXPECT_EQ(SpQTI_ChangeID3Version2_Over2_3_from_Under2_2(pair.first, out), 1)
        << Name(pair.first);
    EXPECT_EQ(out, pair.second) << Name(pair.first);
    out = 0;
    EXPECT_EQ(SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(pair.second, out), 1)
        << Name(pair.second);
    EXPECT_EQ(out, pair.first) << Name(pair.second);
  }
}

TEST(TagIdTables, IdsWithoutCounterpartLeaveTheOutputAlone) {
  // v2.4-only frames, an id of the other scheme, and nothing.
  for (UInt32 id : {C("TDRC"), C("TT2 "), C("XYZ "), UInt32(0)}) {
    UInt32 out = 0x12345678;
    EXPECT_EQ(SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(id, out), 0) << Name(id);
    EXPECT_EQ(out, 0x12345678u);
  }
  for (UInt32 id : {C("TIT2"), C("TDR "), UInt32(0)}) {
    UInt32 out = 0x12345678;
    EXPECT_EQ(SpQTI_ChangeID3Version2_Over2_3_from_Under2_2(id, out), 0) << Name(id);
    EXPECT_EQ(out, 0x12345678u);
  }
}

// ID3 frame to movie user data, and back to each ID3 version.
struct UserDataRow {
  UInt32 type;
  UInt32 id23;
  UInt32 id22;
  bool backToID3;  // whether the user-data type turns back into a frame
};
const std::vector<UserDataRow> kUserDataRows = {
    {QT("cmt"), C("COMM"), C("COM "), true},  {QT("alb"), C("TALB"), C("TAL "), true},
    {QT("com"), C("TCOM"), C("TCM "), true},  {QT("gen"), C("TCON"), C("TCO "), true},
    {QT("cpy"), C("TCOP"), C("TCR "), true},  {QT("enc"), C("TENC"), C("TEN "), true},
    {QT("nam"), C("TIT2"), C("TT2 "), true},  {QT("ope"), C("TOPE"), C("TOA "), true},
    {QT("src"), C("TOFN"), C("TOF "), false}, {QT("aut"), C("TOLY"), C("TOL "), true},
    {QT("ART"), C("TPE1"), C("TP1 "), true},  {QT("trk"), C("TRCK"), C("TRK "), true},
    {QT("swr"), C("TSSE"), C("TSS "), false}, {QT("day"), C("TYER"), C("TYE "), true},
};

TEST(TagIdTables, ID3FramesBecomeTheirUserDataTypes) {
  for (const UserDataRow& row : kUserDataRows) {
    for (UInt32 id : {row.id23, row.id22}) {
      UInt32 type = 0;
      EXPECT_EQ(SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(id, type), 1) << Name(id);
      EXPECT_EQ(type, row.type) << Name(id);
    }
  }
  UInt32 type = 0;
  EXPECT_EQ(SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(C("TOWN"), type), 0)
      << "the file owner is no author";
  EXPECT_EQ(SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(C("TIT1"), type), 0);
}

// A tag carried from ID3 into a movie and back keeps its frames: the author stays the
// lyricist (not the genre), the encoder stays the encoder (not the album), the date stays the
// year (not the day and month).
TEST(TagIdTables, UserDataTurnsBackIntoTheFramesItCameFrom) {
  for (const UserDataRow& row : kUserDataRows) {
    UInt32 id = 0;
    EXPECT_EQ(SpQTI_ChangeQTUserDataToID3Code(row.type, id, 1), row.backToID3 ? 1 : 0)
        << Name(row.type);
    if (!row.backToID3) continue;
    EXPECT_EQ(id, row.id23) << Name(row.type);
    EXPECT_EQ(SpQTI_ChangeQTUserDataToID3Code(row.type, id, 0), 1) << Name(row.type);
    EXPECT_EQ(id, row.id22) << Name(row.type);
  }
}

// Every user-data type's v2.2 frame is the v2.2 counterpart of its v2.3 frame, so a tag comes
// out the same whichever version it is written in.
TEST(TagIdTables, UserDataFramesAgreeAcrossID3Versions) {
  const UInt32 types[] = {QT("ART"), QT("alb"), QT("aut"), QT("cmt"), QT("com"),
                          QT("cpy"), QT("day"), QT("enc"), QT("gen"), QT("nam"),
                          QT("ope"), QT("prd"), QT("trk"), QT("wrt")};
  for (UInt32 type : types) {
    UInt32 id23 = 0;
    UInt32 id22 = 0;
    ASSERT_EQ(SpQTI_ChangeQTUserDataToID3Code(type, id23, 1), 1) << Name(type);
    ASSERT_EQ(SpQTI_ChangeQTUserDataToID3Code(type, id22, 0), 1) << Name(type);
    UInt32 converted = 0;
    EXPECT_EQ(SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(id23, converted), 1) << Name(id23);
    EXPECT_EQ(converted, id22) << Name(type);
  }
  UInt32 id = 0;
  EXPECT_EQ(SpQTI_ChangeQTUserDataToID3Code(QT("prd"), id, 1), 1);
  EXPECT_EQ(id, C("TPE3")) << "the producer is no lead artist";
  EXPECT_EQ(SpQTI_ChangeQTUserDataToID3Code(C("trkn"), id, 1), 0);
}

struct MP4Row {
  UInt32 atom;
  UInt32 id23;
  UInt32 id22;
};
const std::vector<MP4Row> kMP4Rows = {
    {C("covr"), C("APIC"), C("PIC ")}, {QT("cmt"), C("COMM"), C("COM ")},
    {QT("alb"), C("TALB"), C("TAL ")}, {C("tmpo"), C("TBPM"), C("TBP ")},
    {QT("wrt"), C("TCOM"), C("TCM ")}, {C("gnre"), C("TCON"), C("TCO ")},
    {QT("too"), C("TENC"), C("TEN ")}, {QT("grp"), C("TIT1"), C("TT1 ")},
    {QT("nam"), C("TIT2"), C("TT2 ")}, {QT("ART"), C("TPE1"), C("TP1 ")},
    {C("disk"), C("TPOS"), C("TPA ")}, {C("trkn"), C("TRCK"), C("TRK ")},
    {QT("day"), C("TYER"), C("TYE ")},
};

TEST(TagIdTables, ID3FramesAndMP4AtomsMapBothWays) {
  for (const MP4Row& row : kMP4Rows) {
    for (UInt32 id : {row.id23, row.id22}) {
      UInt32 atom = 0;
      EXPECT_EQ(SpQTI_ChangeID3_FrameId_ToQuickTimeMetaUserDataType(id, atom), 1) << Name(id);
      EXPECT_EQ(atom, row.atom) << Name(id);
    }
    UInt32 id = 0;
    EXPECT_EQ(SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(row.atom, id, 1), 1)
        << Name(row.atom);
    EXPECT_EQ(id, row.id23) << Name(row.atom);
    EXPECT_EQ(SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(row.atom, id, 0), 1)
        << Name(row.atom);
    EXPECT_EQ(id, row.id22) << Name(row.atom);
  }
  // Atom types written with a blank for the copyright sign read back as well.
  UInt32 id = 0;
  EXPECT_EQ(SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(C(" too"), id, 1), 1);
  EXPECT_EQ(id, C("TENC"));
  EXPECT_EQ(SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(C(" grp"), id, 0), 1);
  EXPECT_EQ(id, C("TT1 "));
  UInt32 untouched = 7;
  EXPECT_EQ(SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(C("free"), untouched, 1), 0);
  EXPECT_EQ(untouched, 7u);
}

// ---- Genre list -------------------------------------------------------------------------------

class GenreList : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    SpQTI_LoadGenreTable();
  }
  void TearDown() override {
    sp_testing::ResetResources();
    SpQTI_LoadGenreTable();
  }
};

std::string GenreName(short number) {
  char name[kSpQTI_GenreNameSize] = "unchanged";
  if (!SpQTI_GenreNo_To_String(number, name)) return "<none>";
  return name;
}

TEST_F(GenreList, EntryNIsID3GenreNMinusOneInTheStandardOrder) {
  const std::vector<std::pair<short, std::string>> cases = {
      {1, "Blues"},      {2, "Classic Rock"}, {13, "Other"},   {14, "Pop"},   {18, "Rock"},
      {33, "Classical"}, {81, "Folk"},        {101, "Humour"}, {147, "JPop"}, {148, "Synthpop"},
      {149, "<none>"},   {0, "<none>"},       {-1, "<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(GenreName(c.first), c.second) << c.first;
}

TEST_F(GenreList, NamesTurnBackIntoTheirEntryNumbersExactly) {
  for (short n = 1; n <= 148; ++n) {
    std::string name = GenreName(n);
    short back = 0;
    ASSERT_EQ(SpQTI_String_To_GenreNo(name.c_str(), back), 1) << name;
    EXPECT_EQ(back, n) << name << " is listed twice";
  }
  short number = 99;
  EXPECT_EQ(SpQTI_String_To_GenreNo("rock", number), 0) << "case counts";
  EXPECT_EQ(SpQTI_String_To_GenreNo("Rock ", number), 0);
  EXPECT_EQ(number, 99);
}

TEST_F(GenreList, ANameIsCutToTheBufferItIsGiven) {
  char name[6] = "xxxxx";
  EXPECT_EQ(SpQTI_GenreNo_To_String(2, name, sizeof name), 1);
  EXPECT_STREQ(name, "Class");
  ErrorLogCapture log;
  EXPECT_EQ(SpQTI_GenreNo_To_String(2, nullptr, 10), 0);
  EXPECT_TRUE(log.Has("SpQTI_GenreNo_To_String"));
  EXPECT_EQ(log.Beeps(), 1u);
}

TEST(GenreListWithoutResources, IsLookedForAgainOnceTheResourcesAreThere) {
  sp_testing::ResetResources();
  SpQTI_LoadGenreTable();
  char name[kSpQTI_GenreNameSize] = "";
  EXPECT_EQ(SpQTI_GenreNo_To_String(18, name), 0);
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  EXPECT_EQ(SpQTI_GenreNo_To_String(18, name), 1);
  EXPECT_STREQ(name, "Rock");
  sp_testing::ResetResources();
  SpQTI_LoadGenreTable();
}

}  // namespace
