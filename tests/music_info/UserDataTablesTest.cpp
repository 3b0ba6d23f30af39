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

TEST(TagIdTables, VersionPairsConvertBothWaysAndNothingElseConverts) {
  // Every id of three characters (and a blank) is tried: 46 have a v2.3 twin, and each
  // twin converts back to it.
  const std::string chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  int pairs = 0;
  for (char a : chars) {
    for (char b : chars) {
      for (char c : chars) {
        const UInt32 id22 =
            UInt32(UInt8(a)) << 24 | UInt32(UInt8(b)) << 16 | UInt32(UInt8(c)) << 8 | 0x20;
        UInt32 id23 = 0x12345678;
        if (!SpQTI_ChangeID3Version2_Over2_3_from_Under2_2(id22, id23)) {
          EXPECT_EQ(id23, 0x12345678u) << "the output is left alone";
          continue;
        }
        ++pairs;
        UInt32 back = 0;
        EXPECT_EQ(SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(id23, back), 1) << Name(id23);
        EXPECT_EQ(back, id22) << Name(id23);
      }
    }
  }
  EXPECT_EQ(pairs, 46);
  for (UInt32 id : {C("TDRC"), C("TT2 "), UInt32(0)}) {
    UInt32 out = 0x12345678;
    EXPECT_EQ(SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(id, out), 0) << Name(id);
    EXPECT_EQ(out, 0x12345678u);
  }
}

// A tag carried from ID3 into a movie and back keeps its frames (in either ID3 version): the
// author stays the lyricist, the encoder the encoder, the date the year. Sources and software
// names have no frame to go back to; the producer and writer have no frame to come from.
TEST(TagIdTables, UserDataTypesTurnBackIntoTheFramesTheyCameFrom) {
  const struct {
    UInt32 type, id23;
    bool fromID3;  // an ID3 frame becomes this type
    bool toID3;    // the type becomes that frame
  } rows[] = {
      {QT("cmt"), C("COMM"), true, true},  {QT("alb"), C("TALB"), true, true},
      {QT("com"), C("TCOM"), true, true},  {QT("gen"), C("TCON"), true, true},
      {QT("cpy"), C("TCOP"), true, true},  {QT("enc"), C("TENC"), true, true},
      {QT("nam"), C("TIT2"), true, true},  {QT("ope"), C("TOPE"), true, true},
      {QT("src"), C("TOFN"), true, false}, {QT("aut"), C("TOLY"), true, true},
      {QT("ART"), C("TPE1"), true, true},  {QT("trk"), C("TRCK"), true, true},
      {QT("swr"), C("TSSE"), true, false}, {QT("day"), C("TYER"), true, true},
      {QT("prd"), C("TPE3"), false, true}, {QT("wrt"), C("TEXT"), false, true},
  };
  for (const auto& row : rows) {
    UInt32 id23 = 0, id22 = 0, type = 0, converted = 0;
    EXPECT_EQ(SpQTI_ChangeQTUserDataToID3Code(row.type, id23, 1), row.toID3 ? 1 : 0)
        << Name(row.type);
    if (row.toID3) {
      EXPECT_EQ(id23, row.id23) << Name(row.type);
      ASSERT_EQ(SpQTI_ChangeQTUserDataToID3Code(row.type, id22, 0), 1) << Name(row.type);
      EXPECT_EQ(SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(id23, converted), 1);
      EXPECT_EQ(converted, id22) << Name(row.type) << ": the versions disagree";
    }
    SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(row.id23, id22);
    for (UInt32 id : {row.id23, id22}) {
      EXPECT_EQ(SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(id, type), row.fromID3 ? 1 : 0)
          << Name(id);
      if (row.fromID3) {
        EXPECT_EQ(type, row.type) << Name(id);
      }
    }
  }
  UInt32 id = 0;
  for (UInt32 frame : {C("TOWN"), C("TIT1")}) {
    EXPECT_EQ(SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(frame, id), 0) << Name(frame);
  }
  EXPECT_EQ(SpQTI_ChangeQTUserDataToID3Code(C("trkn"), id, 1), 0);
}

TEST(TagIdTables, ID3FramesAndMP4AtomsMapBothWays) {
  // Atom types written with a blank for the copyright sign read as well.
  const std::pair<UInt32, UInt32> rows[] = {
      {C("covr"), C("APIC")}, {QT("cmt"), C("COMM")}, {QT("alb"), C("TALB")},
      {C("tmpo"), C("TBPM")}, {QT("wrt"), C("TCOM")}, {C("gnre"), C("TCON")},
      {QT("too"), C("TENC")}, {QT("grp"), C("TIT1")}, {QT("nam"), C("TIT2")},
      {QT("ART"), C("TPE1")}, {C("disk"), C("TPOS")}, {C("trkn"), C("TRCK")},
      {QT("day"), C("TYER")}, {C(" too"), C("TENC")}, {C(" grp"), C("TIT1")},
  };
  for (const auto& row : rows) {
    UInt32 id23 = 0, id22 = 0, atom = 0, converted = 0;
    ASSERT_EQ(SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(row.first, id23, 1), 1)
        << Name(row.first);
    EXPECT_EQ(id23, row.second) << Name(row.first);
    ASSERT_EQ(SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(row.first, id22, 0), 1);
    EXPECT_EQ(SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(id23, converted), 1);
    EXPECT_EQ(converted, id22) << Name(row.first) << ": the versions disagree";
    if (UInt8(row.first >> 24) == ' ') continue;  // written with the sign
    for (UInt32 id : {id23, id22}) {
      EXPECT_EQ(SpQTI_ChangeID3_FrameId_ToQuickTimeMetaUserDataType(id, atom), 1) << Name(id);
      EXPECT_EQ(atom, row.first) << Name(id);
    }
  }
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

TEST_F(GenreList, EntryNIsID3GenreNMinusOneAndNamesTurnBackIntoTheirNumbersExactly) {
  const std::vector<std::pair<short, std::string>> cases = {
      {1, "Blues"},      {2, "Classic Rock"}, {13, "Other"},   {14, "Pop"},   {18, "Rock"},
      {33, "Classical"}, {81, "Folk"},        {101, "Humour"}, {147, "JPop"}, {148, "Synthpop"},
      {149, "<none>"},   {0, "<none>"},       {-1, "<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(GenreName(c.first), c.second) << c.first;
  for (short n = 1; n <= 148; ++n) {
    short back = 0;
    ASSERT_EQ(SpQTI_String_To_GenreNo(GenreName(n).c_str(), back), 1) << GenreName(n);
    EXPECT_EQ(back, n) << GenreName(n) << " is listed twice";
  }
  short number = 99;
  EXPECT_EQ(SpQTI_String_To_GenreNo("rock", number), 0) << "case counts";
  EXPECT_EQ(SpQTI_String_To_GenreNo("Rock ", number), 0);
  EXPECT_EQ(number, 99);
  // Names are cut to their buffer; no buffer is refused.
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
