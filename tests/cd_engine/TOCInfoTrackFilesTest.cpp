// The track files of a mounted audio CD: naming rules, order, sizes, positions from the table
// of contents, and volumes that are empty, gone or short of memory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpCDTOCInfoObject.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TOCInfoTestSupport.h"

namespace {

// "number [file] [title]" of every record.
std::vector<std::string> Summary(const sTrackDataForOSX* list) {
  std::vector<std::string> out;
  for (; list != nullptr; list = list->next) {
    out.push_back(std::to_string(list->trackNo) + " [" + list->fileName + "] [" + list->title +
                  "]");
  }
  return out;
}

class TrackFilesTest : public cdtest::DiscFolderTest {
 protected:
  void SetUp() override {
    cdtest::DiscFolderTest::SetUp();
    WriteToc({{1, 1, 1, 900, 0, {{1, 150}}}});
  }
  void TearDown() override { Sp_DisposeMusicTrackDataList(list_); }

  void Touch(const std::string& name) const { cdtest::WriteFile(Disc(name), "x"); }

  // Mounts the disc and lists its track files.
  OSErr List() {
    vRefNum_ = Mount();
    EXPECT_NE(0, vRefNum_);
    count_ = 12345;
    return Sp_GetMusicTrackData(vRefNum_, list_, &count_);
  }

  SInt16 vRefNum_ = 0;
  sTrackDataForOSX* list_ = nullptr;
  UInt32 count_ = 0;
};

TEST_F(TrackFilesTest, NamesGiveTrackNumbersAndTitlesAndRecordsCarryTheFileSize) {
  std::string japanese;
  ASSERT_TRUE(sp::text::UTF8ToMacJapanese("夜明け", japanese));
  for (const char* f :
       {"3 Third.aiff", "12  Song.AIFF", "0 Intro.aiff", "100 Outro.aiff", "Cover.jpg",
        "Intro.aiff", "7 Notes.txt", "5.aiff", "4 Demo.aif", "9 Live.Take.aiff", "8 .aiff",
        "-2 Minus.aiff", "20 夜明け.aiff", "30 Rough.mix", "2x Take.aiff"}) {
    Touch(f);
  }
  cdtest::WriteFile(Disc("1 Audio Track.aiff"),
                    cdtest::AiffHeader(588 * 3) + std::string(7056, 'a'));
  ASSERT_EQ(0, mkdir(Disc("6 Folder.aiff").c_str(), 0700));
  ASSERT_EQ(noErr, List());
  const std::vector<std::string> want = {"1 [1 Audio Track.aiff] [Audio Track]",
                                         "3 [3 Third.aiff] [Third]",
                                         "8 [8 .aiff] []",
                                         "9 [9 Live.Take.aiff] [Live.Take]",
                                         "12 [12  Song.AIFF] [Song]",
                                         "20 [20 " + japanese + ".aiff] [" + japanese + "]"};
  EXPECT_EQ(want, Summary(list_));
  EXPECT_EQ(want.size(), count_);
  SInt32 physical = -1;
  ASSERT_EQ(noErr, Sp_GetFileSize(vRefNum_, 2, "1 Audio Track.aiff", nullptr, &physical, nullptr,
                                  nullptr, nullptr, nullptr));
  EXPECT_GT(physical, 0);
  EXPECT_EQ(physical, list_->fileSize);
  EXPECT_EQ(0u, list_->lengthInSectors) << "no positions before the table is applied";
  EXPECT_EQ(0, Sp_CDPositionToSector(&list_->endPosition));
}

TEST_F(TrackFilesTest, AnEmptyDiscGivesAnEmptyListAndAGoneVolumeTheListingError) {
  Touch("readme.txt");
  ASSERT_EQ(noErr, List());
  EXPECT_EQ(nullptr, list_);
  EXPECT_EQ(0u, count_);
  Touch("1 A.aiff");
  ASSERT_EQ(noErr, sp_testing::EjectAudioCD(vRefNum_));
  UInt32 count = 77;
  EXPECT_NE(noErr, Sp_GetMusicTrackData(vRefNum_, list_, &count));
  EXPECT_EQ(nullptr, list_);
  EXPECT_EQ(77u, count);
}

TEST_F(TrackFilesTest, MemoryRunningOutGivesMemFullAndLeaksNothing) {
  for (const char* f : {"1 A.aiff", "2 B.aiff", "3 C.aiff"}) Touch(f);
  vRefNum_ = Mount();
  ASSERT_NE(0, vRefNum_);
  ErrorLogCapture log;
  bool sawMemFull = false;
  for (UInt32 n = 1; n < 60; ++n) {
    sp_testing::FailNthAllocation(n);
    UInt32 count = 0;
    const OSErr err = Sp_GetMusicTrackData(vRefNum_, list_, &count);
    sp_testing::FailNthAllocation(0);
    EXPECT_TRUE(err == noErr ? count == 3 : list_ == nullptr) << n;
    sawMemFull = sawMemFull || err == memFullErr;
    Sp_DisposeMusicTrackDataList(list_);
    list_ = nullptr;
  }
  EXPECT_TRUE(sawMemFull);
}

TEST(TOCPositionsTest, PositionsGoToTheTrackWithTheSameNumber) {
  cMediaTOCInfo toc;
  // An entry 4 at 13,725 ends track 3 after 4,575 sectors (1:01:00).
  for (SInt32 point = 1; point <= 4; ++point) {
    const SInt32 starts[] = {150, 4650, 9150, 13725};
    toc.SetupNewTrackItemPtr(new cMediaTOCTrackInfo(point, starts[point - 1]));
  }
  ErrorLogCapture log;
  toc.SetupTrackBlockInfo();
  // Track 2's file is missing: track 3 must still get track 3's place, not track 2's. No
  // entry 5: its record keeps its zeros.
  sTrackDataForOSX* list = nullptr;
  for (UInt32 n : {5u, 3u, 1u}) {
    sTrackDataForOSX* r = Sp_NewMusicTrackData();
    r->trackNo = n;
    r->next = list;
    if (list != nullptr) list->before = r;
    list = r;
  }
  toc.SetupTrackInfo(list);
  std::vector<std::string> got;
  for (const sTrackDataForOSX* r = list; r != nullptr; r = r->next) {
    got.push_back(std::to_string(r->lengthInSectors) + " " +
                  std::to_string(Sp_CDPositionToSector(&r->startPosition)) + "-" +
                  std::to_string(Sp_CDPositionToSector(&r->endPosition)) + " " +
                  std::to_string(r->length.minutes) + ":" + std::to_string(r->length.seconds) +
                  ":" + std::to_string(r->length.frames));
  }
  EXPECT_EQ(
      (std::vector<std::string>{"4500 150-4650 1:0:0", "4575 9150-13725 1:1:0", "0 0-0 0:0:0"}),
      got);
  Sp_DisposeMusicTrackDataList(list);
}

}  // namespace
