// MP4 'meta' items: parsing them into tag records, writing records as them, and reading the
// 'meta' item of an M4A file that the ffmpeg tool made.
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

TEST(MP4Meta, TruncatedAndScrambledItemsNeverReadOutside) {
  std::string meta = Meta(Atom(kNam, DataAtom(1, "Hello")) + Atom("gnre", DataAtom(0, BE16(18))) +
                          Atom("covr", DataAtom(14, std::string(40, 'p'))));
  for (std::size_t n = 0; n <= meta.size(); ++n) Parse(meta.substr(0, n));
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = meta;
    for (int flips = 0; flips < 4; ++flips) bytes[random() % bytes.size()] = char(random());
    Parse(bytes);
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

}  // namespace
