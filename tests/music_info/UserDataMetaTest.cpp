// MP4 'meta' items (parsing them into tag records, writing records as them, reading the 'meta'
// item of an M4A file that the ffmpeg tool made), the tag id tables and the genre list.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "MacMemory.h"
#include "QTInterfaceTestFiles.h"
#include "SpQTInterface.h"
#include "SpTesting.h"
#include "TestResources.h"

namespace {

using Record = std::unique_ptr<cSp_MusicFileMusicInfoDataObj>;

std::string BE32(UInt32 v) {
  std::string b(4, '\0');
  sp::StoreBE32(&b[0], v);
  return b;
}
std::string BE16(UInt32 v) {
  return BE32(v).substr(2);
}
std::string Atom(const std::string& type, const std::string& body) {
  return BE32(UInt32(8 + body.size())) + type + body;
}
std::string DataAtom(UInt32 dataType, const std::string& value) {
  return Atom("data", BE32(dataType) + BE32(0) + value);
}
// A 'meta' item: version and flags, a handler atom as real files have, the 'ilst' atom.
std::string Meta(const std::string& ilstBody) {
  return BE32(0) + Atom("hdlr", std::string(25, '\0')) + Atom("ilst", ilstBody);
}
const std::string kNam = "\xA9nam";

// Parses the bytes, each copied into a block exactly as long (so the sanitizers see any read
// beyond). A parse either fails and hands out nothing, or hands out as many items as it
// counts: "type:bytes:data type" each, the data type "-" when none is set.
std::vector<std::string> Parse(const std::string& bytes, OSErr* result = nullptr) {
  std::unique_ptr<char[]> copy(new char[bytes.size() + 1]);
  std::memcpy(copy.get(), bytes.data(), bytes.size());
  cSp_MusicFileMusicInfoDataObj* raw = nullptr;
  SInt32 count = -1;
  OSErr err = SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo(
      copy.get(), UInt32(bytes.size()), raw, count);
  Record record(raw);
  if (result != nullptr) *result = err;
  EXPECT_EQ(err == noErr, record != nullptr);
  std::vector<std::string> items;
  if (err != noErr) {
    EXPECT_EQ(count, 0);
    return items;
  }
  EXPECT_EQ(record->GetMusicInfoType(), kSpMusicInfo_MP4Meta);
  for (auto* item = record->GetFirstItemPtr(); item != nullptr; item = item->GetNextObjectPtr()) {
    EXPECT_LE(UInt32(item->GetDataLength()), bytes.size());
    std::string type = BE32(item->GetItemType());
    items.push_back((type[0] == '\xA9' ? "(c)" + type.substr(1) : type) + ":" +
                    std::string(item->GetDataPtr(), std::size_t(item->GetDataLength())) + ":" +
                    (item->IsFlagInfoSet() ? std::to_string(item->GetFlagInfo()) : "-"));
  }
  EXPECT_FALSE(items.empty());
  EXPECT_EQ(SInt32(items.size()), count);
  return items;
}

const std::string kTrack12 = std::string("\0\0\0\x03\0\x0C\0\0", 8);

TEST(MP4Meta, TakenAtomsBecomeItemsAndAMalformedAtomDropsTheWholeRecord) {
  // Atoms outside the list of those taken are passed over.
  EXPECT_EQ(
      (std::vector<std::string>{"(c)nam:Hello:1", "trkn:" + kTrack12 + ":-"}),
      Parse(Meta(Atom("----", DataAtom(1, "iTunes thing")) + Atom(kNam, DataAtom(1, "Hello")) +
                 Atom("\xA9too", DataAtom(1, "Lavf")) + Atom("trkn", DataAtom(0, kTrack12)))));
  const std::string good = Atom(kNam, DataAtom(1, "Fine"));
  const struct {
    const char* why;
    std::string meta;
  } cases[] = {
      {"data atom larger than its tag atom",
       Meta(good + BE32(30) +
            "\xA9"
            "alb" +
            BE32(40) + "data" + BE32(1) + BE32(0) + "xxxxxx")},
      {"tag atom without a data atom", Meta(good + Atom("\xA9"
                                                        "ART",
                                                        Atom("mean", "x")))},
      {"tag atom too small for a data atom", Meta(good + Atom("\xA9"
                                                              "ART",
                                                              "abc"))},
      {"atom size below its header", Meta(good + BE32(4) + "free")},
      {"ilst running past the item", BE32(0) + BE32(200) + "ilst" + good},
      {"atom of size 0 before the ilst", BE32(0) + BE32(0) + "hdlr" + Atom("ilst", good)},
      {"no ilst at all", BE32(0) + Atom("hdlr", std::string(25, '\0'))},
      {"an ilst with nothing taken", Meta(Atom("free", std::string(16, '\0')))},
      {"an empty item", BE32(0)},
  };
  for (const auto& c : cases) {
    OSErr err = noErr;
    EXPECT_TRUE(Parse(c.meta, &err).empty()) << c.why;
    EXPECT_EQ(err, paramErr) << c.why;
  }
}

// Whether `value` is, somewhere in `bytes`, the whole value of a 'data' atom: after the atom's
// header, its data type and locale, and ending where the atom's size says it ends.
bool IsDataAtomValue(const std::string& bytes, const std::string& value) {
  const auto at = [&](std::size_t pos) {
    return reinterpret_cast<const UInt8*>(bytes.data()) + pos;
  };
  for (std::size_t p = bytes.find(value); p != std::string::npos; p = bytes.find(value, p + 1)) {
    if (p >= 16 && bytes.compare(p - 12, 4, "data") == 0 &&
        sp::LoadBE32(at(p - 16)) == value.size() + 16) {
      return true;
    }
    if (p >= 24 && bytes.compare(p - 20, 4, "data") == 0 && sp::LoadBE32(at(p - 24)) == 1 &&
        sp::LoadBE64(at(p - 16)) == value.size() + 24) {
      return true;  // a 64-bit size
    }
  }
  return false;
}

// An item cut anywhere is refused whole (its atoms then run past its end); an item with
// scrambled bytes is refused or hands out values that are whole values of its 'data' atoms,
// never bytes from beyond them.
TEST(MP4Meta, TruncatedAndScrambledItemsNeverReadOutside) {
  const std::string meta =
      Meta(Atom(kNam, DataAtom(1, "Hello")) + Atom("gnre", DataAtom(0, BE16(18))) +
           Atom("covr", DataAtom(14, std::string(40, 'p'))));
  EXPECT_EQ(Parse(meta), (std::vector<std::string>{"(c)nam:Hello:1", "gnre:" + BE16(18) + ":-",
                                                   "covr:" + std::string(40, 'p') + ":14"}));
  for (std::size_t n = 0; n < meta.size(); ++n) {
    OSErr err = noErr;
    EXPECT_TRUE(Parse(meta.substr(0, n), &err).empty()) << "cut at " << n;
    EXPECT_EQ(err, paramErr) << "cut at " << n;
  }
  std::mt19937 random(7);
  int taken = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = meta;
    for (int flips = 0; flips < 4; ++flips) bytes[random() % bytes.size()] = char(random());
    const std::vector<std::string> items = Parse(bytes);
    taken += items.empty() ? 0 : 1;
    for (const std::string& item : items) {
      // "type:data:data type", the type four bytes ("(c)" and three for a copyright sign).
      const std::size_t start = item.compare(0, 3, "(c)") == 0 ? 7 : 5;
      const std::string data = item.substr(start, item.rfind(':') - start);
      EXPECT_TRUE(IsDataAtomValue(bytes, data)) << "round " << round << ": " << item;
    }
  }
  EXPECT_GT(taken, 100) << "enough scrambled items are read to judge what they give";
}

// ---- The 'meta' writer --------------------------------------------------------------------------

class MP4MetaWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    SpQTI_LoadGenreTable();
  }
  void TearDown() override { sp_testing::ResetResources(); }

  static std::string Written(cSp_MusicFileMusicInfoDataObj& record) {
    UInt32 size = 0, used = 0;
    EXPECT_EQ(record.GetMusicInfoMemorySizeWithUserDataMetaType(size), noErr);
    std::string buffer(size, '\0');
    EXPECT_EQ(record.SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType(&buffer[0], size, used),
              noErr);
    EXPECT_EQ(used, size);
    return buffer;
  }
};

TEST_F(MP4MetaWriter, AnID3TagBecomesAtomsThatReadBackAsTheSameTag) {
  const std::string png = "\x89PNG\r\n\x1A\nimage", jpeg = "\xFF\xD8jpeg";
  const struct {
    UInt32 id;
    std::string data;
  } frames[] = {
      {kSpID3_TIT2, "Song"},
      {kSpID3_TRCK, "3/12"},
      {kSpID3_TCON, "(17)"},
      {SpFourCC("TBPM"), "120"},
      {SpFourCC("TYER"), "99"},  // too short for a date: left out
      {SpFourCC("TXXX"), "x"},   // no MP4 atom
      // Pictures: encoding, MIME type or format, picture type, description, image.
      {kSpID3_APIC, std::string("\0image/png\0\3desc\0", 17) + png},
      {kSpID3_PIC, std::string("\1JPG\3\xFF\xFE"
                               "d\0\0\0",
                               11) +
                       jpeg},
      {kSpID3_APIC, std::string("\0image/png\0\3no end", 17)},  // no image: left out
  };
  cSp_MusicFileMusicInfoDataObj id3(kSpMusicInfo_ID3);
  id3.SetupVersion(2, 3, 0);
  for (const auto& f : frames) id3.SetupNewTextData(f.id, f.data.data(), SInt32(f.data.size()), 0);
  std::string meta = Written(id3);
  ASSERT_GT(meta.size(), 2048u);
  EXPECT_EQ(meta.substr(0, 4), std::string(4, '\0'));
  EXPECT_EQ(meta.substr(meta.size() - 2048, 8), BE32(2048) + "free");
  // MP4 genres count from 1.
  EXPECT_EQ((std::vector<std::string>{"(c)nam:Song:1", "trkn:" + kTrack12 + ":-",
                                      "gnre:" + BE16(18) + ":-", "tmpo:" + BE16(120) + ":21",
                                      "covr:" + png + ":14", "covr:" + jpeg + ":13"}),
            Parse(meta));
}

// An ID3 genre becomes the list's entry: "(n)" and "n" name entry n + 1, a name its own
// entry. Parentheses without a number, or with one past 16 bits, name none.
TEST_F(MP4MetaWriter, ID3GenresBecomeTheListsEntryNumbers) {
  const struct {
    std::string genre;
    std::vector<std::string> atoms;
  } cases[] = {
      {"(0)", {"gnre:" + BE16(1) + ":-"}},   {"(17)Rock", {"gnre:" + BE16(18) + ":-"}},
      {"17", {"gnre:" + BE16(18) + ":-"}},   {"Rock", {"gnre:" + BE16(18) + ":-"}},
      {"()", {}},                            {"()Rock", {}},
      {"(99999)", {}},                       {"(", {}},
  };
  for (const auto& c : cases) {
    cSp_MusicFileMusicInfoDataObj id3(kSpMusicInfo_ID3);
    id3.SetupVersion(2, 3, 0);
    id3.SetupNewTextData(kSpID3_TIT2, "Song", 4, 0);
    id3.SetupNewTextData(kSpID3_TCON, c.genre.data(), SInt32(c.genre.size()), 0);
    std::vector<std::string> want = {"(c)nam:Song:1"};
    want.insert(want.end(), c.atoms.begin(), c.atoms.end());
    EXPECT_EQ(Parse(Written(id3)), want) << c.genre;
  }
}

// Track, disc and tempo numbers fill 16-bit fields: a number up to 65535 is written, one past
// it, a part that is no number or a sixth digit leaves the atom out.
TEST_F(MP4MetaWriter, NumbersAreWrittenUpTo16BitsAndLeftOutPastThem) {
  const std::string kNone;
  const struct {
    UInt32 id;
    std::string text;
    std::string atom;
  } cases[] = {
      {kSpID3_TRCK, "65535/65535", "trkn:" + BE16(0) + BE16(65535) + BE16(65535) + BE16(0) + ":-"},
      {kSpID3_TRCK, "65536/2", kNone},
      {kSpID3_TRCK, "2/65536", kNone},
      {kSpID3_TRCK, " 7 ", "trkn:" + BE16(0) + BE16(7) + BE16(0) + BE16(0) + ":-"},
      {kSpID3_TRCK, "000007", kNone},
      {kSpID3_TRCK, "3/", kNone},
      {kSpID3_TRCK, "/12", "trkn:" + BE16(0) + BE16(0) + BE16(12) + BE16(0) + ":-"},
      {kSpID3_TRCK, " / ", kNone},
      {kSpID3_TRCK, "x/3", kNone},
      {SpFourCC("TPOS"), "65535/1", "disk:" + BE16(0) + BE16(65535) + BE16(1) + ":-"},
      {SpFourCC("TPOS"), "1/65536", kNone},
      {SpFourCC("TBPM"), "65535", "tmpo:" + BE16(65535) + ":21"},
      {SpFourCC("TBPM"), "65536", kNone},
      {SpFourCC("TBPM"), "1/2", kNone},
  };
  for (const auto& c : cases) {
    cSp_MusicFileMusicInfoDataObj id3(kSpMusicInfo_ID3);
    id3.SetupVersion(2, 3, 0);
    id3.SetupNewTextData(kSpID3_TIT2, "Song", 4, 0);
    id3.SetupNewTextData(c.id, c.text.data(), SInt32(c.text.size()), 0);
    std::vector<std::string> want = {"(c)nam:Song:1"};
    if (!c.atom.empty()) want.push_back(c.atom);
    EXPECT_EQ(Parse(Written(id3)), want) << c.text;
  }
}

TEST_F(MP4MetaWriter, AnMP4TagIsWrittenAsItWasReadAndTooSmallBuffersOrOtherRecordsAreRefused) {
  std::string original = Meta(Atom(kNam, DataAtom(1, "Hello")) +
                              Atom("disk", DataAtom(0, BE16(0) + BE16(1) + BE16(2))) +
                              Atom("covr", DataAtom(13, "\xFF\xD8jpegbytes")));
  cSp_MusicFileMusicInfoDataObj* raw = nullptr;
  SInt32 count = 0;
  ASSERT_EQ(SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo(
                original.data(), UInt32(original.size()), raw, count),
            noErr);
  Record first(raw);
  EXPECT_EQ(Parse(original), Parse(Written(*first))) << "the image keeps its JPEG data type";

  cSp_MusicFileMusicInfoDataObj id3(kSpMusicInfo_ID3);
  UInt32 size = 0, used = 99;
  EXPECT_EQ(id3.GetMusicInfoMemorySizeWithUserDataMetaType(size), paramErr) << "empty";
  id3.SetupNewTextData(kSpID3_TIT2, "Song", 4, 0);
  ASSERT_EQ(id3.GetMusicInfoMemorySizeWithUserDataMetaType(size), noErr);
  std::string buffer(size - 1, '\0');
  EXPECT_EQ(id3.SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType(&buffer[0], size - 1, used),
            memFullErr);
  EXPECT_EQ(used, 0u);
  cSp_MusicFileMusicInfoDataObj aiff(kSpMusicInfo_AIFFChunk);
  aiff.SetupNewTextData(kSpAIFF_NAME, "Song", 4, 0);
  EXPECT_EQ(aiff.GetMusicInfoMemorySizeWithUserDataMetaType(size), paramErr);
}

TEST(MP4MetaFile, AnM4AFromFFmpegGivesItsTitleArtistAndTrack) {
  if (!qt_test::HaveTool("ffmpeg")) GTEST_SKIP() << "the ffmpeg tool is not installed";
  sp_testing::HomeScope home;
  qt_test::Folder folder = qt_test::DocumentsFolder(home);
  ASSERT_TRUE(qt_test::MakeToneFile(folder.path + "/tone.m4a",
                                    "-c:a aac -b:a 64k -metadata title=Morning "
                                    "-metadata artist=Quartet -metadata track=3/12"));
  Movie movie = qt_test::OpenTestMovie(folder, "tone.m4a");
  ASSERT_NE(movie, nullptr);
  cSp_MusicFileMusicInfoDataObj* found = nullptr;
  EXPECT_EQ(SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(movie, nullptr, found), noErr);
  DisposeMovie(movie);
  Record record(found);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->GetMusicInfoType(), kSpMusicInfo_MP4Meta);
  char title[64] = "", artist[64] = "";
  short track = 0, count = 0;
  EXPECT_EQ(record->GetMusicTitle(title, sizeof title, nullptr), 1);
  EXPECT_EQ(record->GetArtistName(artist, sizeof artist, nullptr), 1);
  EXPECT_EQ(record->GetTrackNo(&track, &count), 1);
  EXPECT_EQ(
      std::string(title) + "|" + artist + "|" + std::to_string(track) + "/" + std::to_string(count),
      "Morning|Quartet|3/12");
}

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
