// Sound-file media and their stored record, and the titles of CD media.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "EngineFixture.h"
#include "ErrorLogCapture.h"
#include "SpCDR_FileMediaObject.h"

namespace {

using engine_test::EngineTest;

// ---- The stored record ----------------------------------------------------------------------

sSpMusicFileInfo SampleRecord() {
  sSpMusicFileInfo info{};
  info.reserved[3] = 0x77;  // never stored
  info.fileSize = 0x01020304;
  info.sampleCount = 0x0A0B0C0D;
  info.format.flags = 0x55;  // stored as 0
  info.format.format = SpFourCC("mp4a");
  info.format.numChannels = 2;
  info.format.sampleSize = 16;
  info.format.sampleRate = 0xAC440000;
  info.format.sampleCount = 99;  // stored as 0
  info.duration = 88200;
  info.timeScale = 44100;
  info.seconds = 2.0f;
  std::strcpy(info.title, "Title");
  std::strcpy(info.albumTitle, "Album");
  std::strcpy(info.artistName, "Artist");
  info.trackNo = 3;
  info.trackCount = 12;
  return info;
}

TEST(MusicFileInfoRecord, IsStoredAs1644BigEndianBytesFieldByField) {
  std::vector<UInt8> bytes(kSpMusicFileInfoSize, 0xEE);
  SpCDR_WriteMusicFileInfoBytes(SampleRecord(), bytes.data());
  std::vector<UInt8> golden(kSpMusicFileInfoSize, 0);
  const UInt8 head[] = {0x01, 0x02, 0x03, 0x04, 0x0A, 0x0B, 0x0C, 0x0D, 0,    0,    0, 0,
                        'm',  'p',  '4',  'a',  0,    2,    0,    16,   0xAC, 0x44, 0, 0,
                        0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0, 0,
                        0,    1,    0x58, 0x88, 0,    0,    0xAC, 0x44, 0x40, 0,    0, 0};
  std::memcpy(golden.data() + 56, head, sizeof head);
  std::memcpy(golden.data() + 104, "Title", 5);
  std::memcpy(golden.data() + 616, "Album", 5);
  std::memcpy(golden.data() + 1128, "Artist", 6);
  const UInt8 tail[] = {0, 3, 0, 12};
  std::memcpy(golden.data() + 1640, tail, sizeof tail);
  EXPECT_EQ(bytes, golden);
}

TEST(MusicFileInfoRecord, ReadsBackWhatWasStoredAndRefusesAShortRecord) {
  UInt8 bytes[kSpMusicFileInfoSize];
  SpCDR_WriteMusicFileInfoBytes(SampleRecord(), bytes);
  sSpMusicFileInfo back{};
  ASSERT_TRUE(SpCDR_ReadMusicFileInfoBytes(bytes, sizeof bytes, back));
  UInt8 again[kSpMusicFileInfoSize];
  SpCDR_WriteMusicFileInfoBytes(back, again);
  EXPECT_EQ(std::memcmp(bytes, again, sizeof bytes), 0);
  EXPECT_STREQ(back.artistName, "Artist");
  EXPECT_EQ(back.seconds, 2.0f);

  // Strings from outside that fill their blocks are cut so that they end.
  std::memset(bytes + 104, 'x', 512 * 3);
  ASSERT_TRUE(SpCDR_ReadMusicFileInfoBytes(bytes, sizeof bytes, back));
  EXPECT_EQ(std::strlen(back.title), 511u);
  EXPECT_EQ(std::strlen(back.artistName), 511u);
  EXPECT_FALSE(SpCDR_ReadMusicFileInfoBytes(bytes, kSpMusicFileInfoSize - 1, back));
  EXPECT_EQ(back.fileSize, 0u) << "a refused record leaves nothing behind";
}

// ---- Sound files ----------------------------------------------------------------------------

class SoundFileMedia : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_EQ(Sp_InitialQuckTime(0), 1);
    ASSERT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_, &dirID_),
              noErr);
  }
  std::string Documents(const std::string& name) const { return home_.Path("Documents/" + name); }
  cSp_QTFileDataObj* Media(const char* name) {
    return SpCDR_GetMediaMgrPtr(1)->GetQTFileMediaObjPtr(vRefNum_, dirID_, name, 0, 1, nullptr);
  }
  UInt32 PhysicalSize(const std::string& name) const {
    struct stat st {};
    EXPECT_EQ(stat(Documents(name).c_str(), &st), 0);
    return UInt32(st.st_blocks * 512);
  }

  SInt16 vRefNum_ = 0;
  SInt32 dirID_ = 0;
};

TEST_F(SoundFileMedia, FilesThatFFmpegMadeAreDescribedByTheirSoundTrackSizeLengthAndTags) {
  if (!engine_test::HaveFFmpeg()) GTEST_SKIP() << "the ffmpeg tool is not installed";
  const std::string tags =
      "-metadata title=Tone -metadata album=Tests -metadata artist=Oscillator -metadata track=3/12";
  ASSERT_TRUE(engine_test::MakeTone(Documents("tone.wav"), "2", "-c:a pcm_s16le"));
  ASSERT_TRUE(engine_test::MakeTone(Documents("tone.mp3"), "2", "-c:a libmp3lame " + tags));
  ASSERT_TRUE(engine_test::MakeTone(Documents("tone.m4a"), "2", "-c:a aac " + tags));
  const struct {
    const char* name;
    OSType format;
    UInt32 minSectors, maxSectors;  // compressed files carry the encoder's padding
    bool tagged;
  } cases[] = {{"tone.wav", SpFourCC("sowt"), 150, 150, false},
               {"tone.mp3", SpFourCC(".mp3"), 150, 155, true},
               {"tone.m4a", SpFourCC("mp4a"), 150, 155, true}};
  for (const auto& c : cases) {
    cSp_QTFileDataObj* file = Media(c.name);
    ASSERT_NE(file, nullptr) << c.name;
    const SoundComponentData& format = file->GetSoundFormat();
    EXPECT_EQ(format.format, c.format) << c.name;
    EXPECT_EQ(format.numChannels, 2) << c.name;
    EXPECT_EQ(format.sampleRate, 0xAC440000u) << c.name;
    EXPECT_EQ(file->GetFileSize(), PhysicalSize(c.name)) << c.name;
    EXPECT_GE(file->GetLengthInSectors(), c.minSectors) << c.name;
    EXPECT_LE(file->GetLengthInSectors(), c.maxSectors) << c.name;
    EXPECT_EQ(UInt32(Sp_CDPositionToSector(&file->GetLength())), file->GetLengthInSectors());
    EXPECT_STREQ(file->GetTitle(), c.tagged ? "Tone" : "") << c.name;
    EXPECT_STREQ(file->GetAlbumTitle(), c.tagged ? "Tests" : "") << c.name;
    EXPECT_STREQ(file->GetArtistName(), c.tagged ? "Oscillator" : "") << c.name;
    EXPECT_EQ(file->GetTrackNo(), c.tagged ? 3 : 0) << c.name;
    EXPECT_EQ(file->GetTrackCount(), c.tagged ? 12 : 0) << c.name;
    EXPECT_NE(file->GetStartData(), nullptr) << "its level is kept across runs";
    EXPECT_EQ(Media(c.name), file) << "asked again, the same object";
  }
}

TEST_F(SoundFileMedia, AFileWithoutSoundIsNoMediaAndLeavesNothingBehind) {
  cdtest::WriteFile(Documents("notes.txt"), "not a sound");
  EXPECT_EQ(Media("notes.txt"), nullptr);
  EXPECT_EQ(Media("missing.aiff"), nullptr);
  EXPECT_EQ(SpCDR_GetMediaMgrPtr(1)->GetQTFileListHead(), nullptr);
}

TEST_F(SoundFileMedia, ARecordDescribesAFileAsReadingItWould) {
  cdtest::WriteFile(Documents("ramp.aiff"),
                    cdtest::AiffHeader(588 * 75) + std::string(588 * 75 * 4, '\x01'));
  cSp_QTFileDataObj* read = Media("ramp.aiff");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetLengthInSectors(), 75u);
  sSpMusicFileInfo info{};
  read->GetMusicInfo(info);

  cSp_QTFileDataObj fresh(vRefNum_, dirID_, "ramp.aiff");
  ASSERT_TRUE(fresh.SetupSoundSampleDataInfoFromMusicInfo(&info, 0));
  sSpMusicFileInfo back{};
  fresh.GetMusicInfo(back);
  UInt8 a[kSpMusicFileInfoSize], b[kSpMusicFileInfoSize];
  SpCDR_WriteMusicFileInfoBytes(info, a);
  SpCDR_WriteMusicFileInfoBytes(back, b);
  EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
  EXPECT_EQ(fresh.GetLengthInSectors(), 75u);

  // Length in sectors from the record's units: 1,800 at 600 a second is three seconds.
  info.duration = 1800;
  info.timeScale = 600;
  ASSERT_TRUE(fresh.SetupSoundSampleDataInfoFromMusicInfo(&info, 0));
  EXPECT_EQ(fresh.GetLengthInSectors(), 225u);
  EXPECT_EQ(fresh.GetLength().minutes, 0u);
  EXPECT_EQ(fresh.GetLength().seconds, 3u);
  info.timeScale = 0;
  ASSERT_TRUE(fresh.SetupSoundSampleDataInfoFromMusicInfo(&info, 0));
  EXPECT_EQ(fresh.GetLengthInSectors(), 0u) << "no time scale, no length";

  // Without start data its level is the full one, and that is logged.
  ErrorLogCapture log;
  EXPECT_EQ(fresh.GetAmpVolume(), 100u);
  EXPECT_TRUE(log.Has("cSp_QTFileDataObj::GetAmpVolume", 1));
}

// An Ogg file is read for its row without counting its packets; they are counted when asked
// for (the saved list's test holds them to ffprobe's), a saved record's 0 is a count still to
// make, and a file gone by then leaves them still to count. A count once made is kept, in the
// object and in its record: neither counts again (the file gone, a count made again fails).
TEST_F(SoundFileMedia, AnOggFilesSampleCountIsLeftToWhereItIsAskedFor) {
  if (!engine_test::HaveFFmpeg()) GTEST_SKIP() << "the ffmpeg tool is not installed";
  ASSERT_TRUE(engine_test::MakeTone(Documents("tone.ogg"), "60", "-c:a libvorbis"));
  cSp_QTFileDataObj* file = Media("tone.ogg");
  ASSERT_NE(file, nullptr);
  EXPECT_GT(file->GetLengthInSectors(), 59u * 75);
  EXPECT_FALSE(file->IsSampleCountKnown());
  EXPECT_EQ(file->GetSampleCount(), 0u);
  sSpMusicFileInfo info{};
  file->GetMusicInfo(info);
  cSp_QTFileDataObj fromRecord(vRefNum_, dirID_, "tone.ogg");
  ASSERT_TRUE(fromRecord.SetupSoundSampleDataInfoFromMusicInfo(&info, 0));
  EXPECT_FALSE(fromRecord.IsSampleCountKnown());
  EXPECT_TRUE(fromRecord.CountSamples());
  const UInt32 count = fromRecord.GetSampleCount();
  EXPECT_GT(count, 0u);
  fromRecord.GetMusicInfo(info);
  cSp_QTFileDataObj fromCountedRecord(vRefNum_, dirID_, "tone.ogg");
  ASSERT_TRUE(fromCountedRecord.SetupSoundSampleDataInfoFromMusicInfo(&info, 0));
  ASSERT_EQ(unlink(Documents("tone.ogg").c_str()), 0);
  for (cSp_QTFileDataObj* counted : {&fromRecord, &fromCountedRecord}) {
    EXPECT_TRUE(counted->IsSampleCountKnown());
    EXPECT_TRUE(counted->CountSamples());
    EXPECT_EQ(counted->GetSampleCount(), count);
  }
  EXPECT_FALSE(file->CountSamples());
  EXPECT_FALSE(file->IsSampleCountKnown());
  EXPECT_EQ(file->GetSampleCount(), 0u);
}

// ---- CD titles ------------------------------------------------------------------------------

class CDTitles : public EngineTest {
 protected:
  // The CD of a folder disc of three tracks, its title entry (or none) in the title file.
  cSp_CDRomMediaDataObj* MountDisc(bool withEntry) {
    const SInt32 leadout = MakeDiscFolder(
        "Disc", {{"1 Twelve chars.aiff", 100}, {"2 Second.aiff", 100}, {"3 .aiff", 100}});
    // The index holds the disc's lead-out time.
    cddb_test::Disc entry{3,
                          UInt8(leadout / 4500),
                          UInt8(leadout / 75 % 60),
                          UInt8(leadout % 75),
                          200,
                          {"The Disc", "Entry One", "Entry Two", ""}};
    cddb_test::WriteTitleFile(cddb_test::TitleFileOf(withEntry ? std::vector<cddb_test::Disc>{entry}
                                                               : std::vector<cddb_test::Disc>{}));
    EXPECT_TRUE(Scan());
    return Sp_CDRomGetCDObjectByCounter(0);
  }
  static std::string Title(cSp_CDRomMediaDataObj* cd, short track, SInt32 size,
                           unsigned char* cut = nullptr, Boolean* found = nullptr) {
    std::string buffer(std::size_t(size) + 1, '#');
    unsigned char truncated = 9;
    const Boolean result = track < 0 ? cd->GetCDTitle(&buffer[0], size, &truncated)
                                     : cd->GetCDTrackTitle(track, &buffer[0], size, &truncated);
    if (cut != nullptr) *cut = truncated;
    if (found != nullptr) *found = result;
    return buffer.substr(0, buffer.find('\0'));
  }
};

TEST_F(CDTitles, WithoutATitleEntryTracksAreNamedByTheirFilesAndTheDiscHasNoTitle) {
  cSp_CDRomMediaDataObj* cd = MountDisc(false);
  ASSERT_NE(cd, nullptr);
  Boolean found = true;
  EXPECT_EQ(Title(cd, -1, 64, nullptr, &found), std::string(65, '#')) << "untouched";
  EXPECT_FALSE(found);
  struct Case {
    short track;
    SInt32 size;
    const char* title;
    unsigned char cut;
    Boolean found;
  } cases[] = {
      {2, 64, "Second", 0, true},
      {1, 10, "Twelve c", 1, true},  // cut to size - 2
      {1, 14, "Twelve chars", 0, true},
      {1, 13, "Twelve char", 1, true},
      {3, 64, "", 0, false},      // a track file without a title
      {4, 64, "", 0, false},      // no such track
      {0, 64, "Disc", 0, false},  // the disc: its volume's name
      {0, 3, "Di", 1, false},     // cut to size - 1
  };
  for (const Case& c : cases) {
    unsigned char cut = 9;
    const std::string title = Title(cd, c.track, c.size, &cut, &found);
    if (c.found || c.track == 0) {
      EXPECT_EQ(title, c.title) << c.track << "/" << c.size;
    }
    EXPECT_EQ(found, c.found) << c.track << "/" << c.size;
    EXPECT_EQ(cut, c.cut) << c.track << "/" << c.size;
  }
}

TEST_F(CDTitles, TheDiscsTitleEntryNamesItAndItsTracks) {
  cSp_CDRomMediaDataObj* cd = MountDisc(true);
  ASSERT_NE(cd, nullptr);
  ASSERT_NE(cd->GetCDDBItem(), nullptr) << "found by the running time of its contents";
  Boolean found = false;
  EXPECT_EQ(Title(cd, -1, 64, nullptr, &found), "The Disc");
  EXPECT_TRUE(found);
  EXPECT_EQ(Title(cd, 2, 64), "Entry Two");
  EXPECT_EQ(Title(cd, 1, 5), "Ent");
  EXPECT_EQ(Title(cd, 3, 64, nullptr, &found), std::string(65, '#'));
  EXPECT_FALSE(found) << "the entry has no title for it, and the file's is not taken";
}

}  // namespace
