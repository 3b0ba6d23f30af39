// MP4 'meta' items: parsing them into tag records, writing records as them, and reading the
// 'meta' item of an M4A file that the ffmpeg tool made.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <string>

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
  std::string b(2, '\0');
  sp::StoreBE16(&b[0], UInt16(v));
  return b;
}
std::string Atom(const std::string& type, const std::string& body) {
  return BE32(UInt32(8 + body.size())) + type + body;
}
std::string DataAtom(UInt32 dataType, const std::string& value) {
  return Atom("data", BE32(dataType) + BE32(0) + value);
}
// A 'meta' item: version and flags, a handler atom as real files have, the 'ilst' atom.
std::string Meta(const std::string& ilstBody, const std::string& before = "") {
  return BE32(0) + before + Atom("hdlr", std::string(25, '\0')) + Atom("ilst", ilstBody);
}
const std::string kNam = "\xA9nam";

struct ParseResult {
  OSErr err;
  Record record;
  SInt32 count;
};
ParseResult Parse(const std::string& bytes) {
  cSp_MusicFileMusicInfoDataObj* record = nullptr;
  SInt32 count = -1;
  OSErr err = SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo(
      bytes.data(), UInt32(bytes.size()), record, count);
  return {err, Record(record), count};
}

std::string ItemBytes(const cSp_MusicFileMusicInfoDataItemObj* item) {
  return std::string(item->GetDataPtr(), std::size_t(item->GetDataLength()));
}

TEST(MP4Meta, TitleAndTrackBecomeAnMP4RecordOfTwoItems) {
  // Atoms outside the list of those taken are passed over.
  std::string meta = Meta(Atom("----", DataAtom(1, "iTunes thing")) +
                          Atom(kNam, DataAtom(1, "Hello")) + Atom("\xA9too", DataAtom(1, "Lavf")) +
                          Atom("trkn", DataAtom(0, BE16(0) + BE16(3) + BE16(12) + BE16(0))));
  ParseResult r = Parse(meta);
  ASSERT_EQ(r.err, noErr);
  ASSERT_TRUE(r.record);
  EXPECT_EQ(r.count, 2);
  EXPECT_EQ(r.record->GetMusicInfoType(), kSpMusicInfo_MP4Meta);
  const cSp_MusicFileMusicInfoDataItemObj* nam = r.record->GetFirstItemPtr();
  ASSERT_NE(nam, nullptr);
  EXPECT_EQ(nam->GetItemType(), kSpQT_nam);
  EXPECT_EQ(ItemBytes(nam), "Hello");
  EXPECT_TRUE(nam->IsFlagInfoSet());
  EXPECT_EQ(nam->GetFlagInfo(), 1u);
  const cSp_MusicFileMusicInfoDataItemObj* trkn = nam->GetNextObjectPtr();
  ASSERT_NE(trkn, nullptr);
  EXPECT_EQ(trkn->GetItemType(), kSpMP4_trkn);
  EXPECT_EQ(ItemBytes(trkn), std::string("\0\0\0\x03\0\x0C\0\0", 8));
  EXPECT_FALSE(trkn->IsFlagInfoSet()) << "data type 0 is no flag information";
  EXPECT_EQ(trkn->GetNextObjectPtr(), nullptr);
}

TEST(MP4Meta, AMalformedAtomDropsTheWholeRecord) {
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
    ParseResult r = Parse(c.meta);
    EXPECT_EQ(r.err, paramErr) << c.why;
    EXPECT_FALSE(r.record) << c.why;
  }
}

// A parse either fails and hands out nothing, or hands out as many items as it counts.
void ExpectConsistent(const char* bytes, UInt32 size) {
  cSp_MusicFileMusicInfoDataObj* raw = nullptr;
  SInt32 count = -1;
  OSErr err = SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo(bytes, size, raw, count);
  Record record(raw);
  if (err != noErr) {
    EXPECT_FALSE(record);
    EXPECT_EQ(count, 0);
    return;
  }
  ASSERT_TRUE(record);
  SInt32 items = 0;
  for (auto* item = record->GetFirstItemPtr(); item != nullptr; item = item->GetNextObjectPtr()) {
    EXPECT_LE(UInt32(item->GetDataLength()), size);
    ++items;
  }
  EXPECT_GE(items, 1);
  EXPECT_EQ(items, count);
}

TEST(MP4Meta, TruncatedAndScrambledItemsNeverReadOutside) {
  std::string meta = Meta(Atom(kNam, DataAtom(1, "Hello")) + Atom("gnre", DataAtom(0, BE16(18))) +
                          Atom("covr", DataAtom(14, std::string(40, 'p'))));
  for (std::size_t n = 0; n <= meta.size(); ++n) {
    // Exactly as long as asked: the sanitizers see any read beyond.
    std::unique_ptr<char[]> copy(new char[n + 1]);
    std::memcpy(copy.get(), meta.data(), n);
    ExpectConsistent(copy.get(), UInt32(n));
  }
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = meta;
    for (int flips = 0; flips < 4; ++flips) {
      bytes[random() % bytes.size()] = char(random());
    }
    std::unique_ptr<char[]> copy(new char[bytes.size()]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    ExpectConsistent(copy.get(), UInt32(bytes.size()));
  }
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
    UInt32 size = 0;
    EXPECT_EQ(record.GetMusicInfoMemorySizeWithUserDataMetaType(size), noErr);
    std::string buffer(size, '\0');
    UInt32 used = 0;
    EXPECT_EQ(record.SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType(&buffer[0], size, used),
              noErr);
    EXPECT_EQ(used, size);
    return buffer;
  }
};

TEST_F(MP4MetaWriter, AnID3TagBecomesAtomsThatReadBackAsTheSameTag) {
  const std::string png = "\x89PNG\r\n\x1A\nimage";
  const std::string jpeg = "\xFF\xD8jpeg";
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
  for (const auto& f : frames) {
    id3.SetupNewTextData(f.id, f.data.data(), SInt32(f.data.size()), 0);
  }
  std::string meta = Written(id3);
  ASSERT_GT(meta.size(), 2048u);
  EXPECT_EQ(meta.substr(0, 4), std::string(4, '\0'));
  EXPECT_EQ(meta.substr(meta.size() - 2048, 8), BE32(2048) + "free");

  const struct {
    UInt32 type;
    std::string bytes;
    UInt32 dataType;
  } atoms[] = {
      {kSpQT_nam, "Song", 1},       {kSpMP4_trkn, std::string("\0\0\0\x03\0\x0C\0\0", 8), 0},
      {kSpMP4_gnre, BE16(18), 0},  // MP4 genres count from 1
      {kSpMP4_tmpo, BE16(120), 21}, {kSpMP4_covr, png, 14},
      {kSpMP4_covr, jpeg, 13},
  };
  ParseResult r = Parse(meta);
  ASSERT_EQ(r.err, noErr);
  ASSERT_EQ(r.count, SInt32(std::size(atoms)));
  const cSp_MusicFileMusicInfoDataItemObj* item = r.record->GetFirstItemPtr();
  for (const auto& atom : atoms) {
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemType(), atom.type);
    EXPECT_EQ(ItemBytes(item), atom.bytes);
    EXPECT_EQ(item->IsFlagInfoSet() ? item->GetFlagInfo() : 0u, atom.dataType);
    item = item->GetNextObjectPtr();
  }
}

TEST_F(MP4MetaWriter, AnMP4TagIsWrittenAsItWasRead) {
  std::string original = Meta(Atom(kNam, DataAtom(1, "Hello")) +
                              Atom("disk", DataAtom(0, BE16(0) + BE16(1) + BE16(2))) +
                              Atom("covr", DataAtom(13, "\xFF\xD8jpegbytes")));
  ParseResult first = Parse(original);
  ASSERT_EQ(first.err, noErr);
  ParseResult again = Parse(Written(*first.record));
  ASSERT_EQ(again.err, noErr);
  ASSERT_EQ(again.count, 3);
  const cSp_MusicFileMusicInfoDataItemObj* a = first.record->GetFirstItemPtr();
  const cSp_MusicFileMusicInfoDataItemObj* b = again.record->GetFirstItemPtr();
  for (; a != nullptr && b != nullptr; a = a->GetNextObjectPtr(), b = b->GetNextObjectPtr()) {
    EXPECT_EQ(b->GetItemType(), a->GetItemType());
    EXPECT_EQ(ItemBytes(b), ItemBytes(a));
    EXPECT_EQ(b->GetFlagInfo(), a->GetFlagInfo()) << "the image keeps its JPEG data type";
  }
}

TEST_F(MP4MetaWriter, RefusesATooSmallBufferAndEmptyRecords) {
  cSp_MusicFileMusicInfoDataObj id3(kSpMusicInfo_ID3);
  UInt32 size = 0;
  EXPECT_EQ(id3.GetMusicInfoMemorySizeWithUserDataMetaType(size), paramErr);
  id3.SetupNewTextData(kSpID3_TIT2, "Song", 4, 0);
  ASSERT_EQ(id3.GetMusicInfoMemorySizeWithUserDataMetaType(size), noErr);
  std::string buffer(size - 1, '\0');
  UInt32 used = 99;
  EXPECT_EQ(id3.SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType(&buffer[0], size - 1, used),
            memFullErr);
  EXPECT_EQ(used, 0u);
  cSp_MusicFileMusicInfoDataObj aiff(kSpMusicInfo_AIFFChunk);
  aiff.SetupNewTextData(kSpAIFF_NAME, "Song", 4, 0);
  EXPECT_EQ(aiff.GetMusicInfoMemorySizeWithUserDataMetaType(size), paramErr);
}

// ---- An M4A file of another program -------------------------------------------------------------

TEST(MP4MetaFile, AnM4AFromFFmpegGivesItsTitleAndTrack) {
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
  char title[64] = "";
  unsigned char cut = 0;
  EXPECT_EQ(record->GetMusicTitle(title, sizeof title, &cut), 1);
  EXPECT_STREQ(title, "Morning");
  char artist[64] = "";
  EXPECT_EQ(record->GetArtistName(artist, sizeof artist, &cut), 1);
  EXPECT_STREQ(artist, "Quartet");
  const cSp_MusicFileMusicInfoDataItemObj* trkn = nullptr;
  for (auto* item = record->GetFirstItemPtr(); item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetItemType() == kSpMP4_trkn) trkn = item;
  }
  ASSERT_NE(trkn, nullptr);
  EXPECT_EQ(ItemBytes(trkn).substr(0, 6), std::string("\0\0\0\x03\0\x0C", 6));
}

}  // namespace
