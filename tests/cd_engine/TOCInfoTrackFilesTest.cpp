// The track files of a mounted audio CD: naming rules, order, positions from the table of
// contents, and a whole disc from its folder to matched track records.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpCDTOCInfoObject.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TOCInfoTestSupport.h"

namespace {

using cdtest::TocSession;

struct Listed {
  UInt32 number;
  std::string fileName;
  std::string title;  // MacJapanese bytes
  bool operator==(const Listed& o) const {
    return number == o.number && fileName == o.fileName && title == o.title;
  }
};

std::ostream& operator<<(std::ostream& os, const Listed& l) {
  return os << l.number << " [" << l.fileName << "] [" << l.title << "]";
}

std::vector<Listed> Summary(const sTrackDataForOSX* list) {
  std::vector<Listed> out;
  for (; list != nullptr; list = list->next)
    out.push_back({list->trackNo, list->fileName, list->title});
  return out;
}

class TrackFilesTest : public cdtest::DiscFolderTest {
 protected:
  void TearDown() override { Sp_DisposeMusicTrackDataList(list_); }

  void Touch(const std::string& name) const { cdtest::WriteFile(Disc(name), "x"); }

  // Mounts the disc and lists its track files.
  OSErr List() {
    vRefNum_ = Mount();
    EXPECT_NE(0, vRefNum_);
    Sp_DisposeMusicTrackDataList(list_);
    count_ = 12345;
    return Sp_GetMusicTrackData(vRefNum_, list_, &count_);
  }

  SInt16 vRefNum_ = 0;
  sTrackDataForOSX* list_ = nullptr;
  UInt32 count_ = 0;
};

TEST_F(TrackFilesTest, NamesGiveTrackNumbersAndTitles) {
  WriteToc({{1, 1, 1, 900, 0, {{1, 150}}}});
  std::string japanese;
  ASSERT_TRUE(sp::text::UTF8ToMacJapanese("夜明け", japanese));
  const char* files[] = {
      "3 Third.aiff",   "1 Audio Track.aiff", "12  Song.AIFF",    "0 Intro.aiff",
      "100 Outro.aiff", "Cover.jpg",          "Intro.aiff",       "7 Notes.txt",
      "5.aiff",         "4 Demo.aif",         "9 Live.Take.aiff", "8 .aiff",
      "-2 Minus.aiff",  "20 夜明け.aiff",     "30 Rough.mix",     "2x Take.aiff",
  };
  for (const char* f : files) Touch(f);
  ASSERT_EQ(0, mkdir(Disc("6 Folder.aiff").c_str(), 0700));
  ASSERT_EQ(noErr, List());
  const std::vector<Listed> want = {
      {1, "1 Audio Track.aiff", "Audio Track"},
      {3, "3 Third.aiff", "Third"},
      {8, "8 .aiff", ""},
      {9, "9 Live.Take.aiff", "Live.Take"},
      {12, "12  Song.AIFF", "Song"},
      {20, "20 " + japanese + ".aiff", japanese},
  };
  EXPECT_EQ(want, Summary(list_));
  EXPECT_EQ(want.size(), count_);
}

TEST_F(TrackFilesTest, RecordsCarryTheFileSizeAndBeginWithoutPositions) {
  WriteToc({{1, 1, 1, 900, 0, {{1, 150}}}});
  cdtest::WriteFile(Disc("1 One.aiff"), cdtest::AiffBytes(588 * 3, 1));
  ASSERT_EQ(noErr, List());
  ASSERT_NE(nullptr, list_);
  SInt32 physical = -1;
  ASSERT_EQ(noErr, Sp_GetFileSize(vRefNum_, 2, "1 One.aiff", nullptr, &physical, nullptr, nullptr,
                                  nullptr, nullptr));
  EXPECT_GT(physical, 0);
  EXPECT_EQ(physical, list_->fileSize);
  EXPECT_EQ(0u, list_->lengthInSectors);
  EXPECT_EQ(0, Sp_CDPositionToSector(&list_->endPosition));
}

TEST_F(TrackFilesTest, ADiscWithoutTrackFilesGivesAnEmptyList) {
  WriteToc({{1, 1, 1, 900, 0, {{1, 150}}}});
  Touch("readme.txt");
  ASSERT_EQ(noErr, List());
  EXPECT_EQ(nullptr, list_);
  EXPECT_EQ(0u, count_);
}

TEST_F(TrackFilesTest, AVolumeThatIsGoneGivesTheListingError) {
  WriteToc({{1, 1, 1, 900, 0, {{1, 150}}}});
  Touch("1 A.aiff");
  const SInt16 vRefNum = Mount();
  ASSERT_EQ(noErr, sp_testing::EjectAudioCD(vRefNum));
  UInt32 count = 77;
  EXPECT_NE(noErr, Sp_GetMusicTrackData(vRefNum, list_, &count));
  EXPECT_EQ(nullptr, list_);
  EXPECT_EQ(77u, count);
}

TEST_F(TrackFilesTest, MemoryRunningOutGivesMemFullAndLeaksNothing) {
  WriteToc({{1, 1, 1, 900, 0, {{1, 150}}}});
  for (const char* f : {"1 A.aiff", "2 B.aiff", "3 C.aiff"}) Touch(f);
  vRefNum_ = Mount();
  ASSERT_NE(0, vRefNum_);
  ErrorLogCapture log;
  bool sawMemFull = false;
  for (UInt32 n = 1; n < 60; ++n) {
    sp_testing::FailNthAllocation(n);
    sTrackDataForOSX* list = nullptr;
    UInt32 count = 0;
    const OSErr err = Sp_GetMusicTrackData(vRefNum_, list, &count);
    sp_testing::FailNthAllocation(0);
    if (err == noErr) {
      EXPECT_EQ(3u, count) << n;
    } else {
      EXPECT_EQ(nullptr, list) << n;
      sawMemFull = sawMemFull || err == memFullErr;
    }
    Sp_DisposeMusicTrackDataList(list);
  }
  EXPECT_TRUE(sawMemFull);
}

// Records made by hand, so the positions can be checked without a disc.
sTrackDataForOSX* Records(const std::vector<UInt32>& numbers) {
  sTrackDataForOSX* head = nullptr;
  sTrackDataForOSX* tail = nullptr;
  for (UInt32 n : numbers) {
    sTrackDataForOSX* r = Sp_NewMusicTrackData();
    r->trackNo = n;
    r->before = tail;
    if (tail != nullptr)
      tail->next = r;
    else
      head = r;
    tail = r;
  }
  return head;
}

TEST(TOCPositionsTest, PositionsGoToTheTrackWithTheSameNumber) {
  cMediaTOCInfo toc;
  toc.SetupNewTrackItemPtr(new cMediaTOCTrackInfo(1, 150));
  toc.SetupNewTrackItemPtr(new cMediaTOCTrackInfo(2, 4650));
  toc.SetupNewTrackItemPtr(new cMediaTOCTrackInfo(3, 9150));
  // An entry 4 at 13,725 ends track 3 after 4,575 sectors (1:01:00).
  toc.SetupNewTrackItemPtr(new cMediaTOCTrackInfo(4, 13725));
  ErrorLogCapture log;
  toc.SetupTrackBlockInfo();

  // Track 2's file is missing: track 3 must still get track 3's place, not track 2's.
  sTrackDataForOSX* list = Records({1, 3, 5});
  toc.SetupTrackInfo(list);
  const sTrackDataForOSX* one = list;
  const sTrackDataForOSX* three = list->next;
  const sTrackDataForOSX* five = three->next;
  EXPECT_EQ(4500u, one->lengthInSectors);
  EXPECT_EQ(150, Sp_CDPositionToSector(&one->startPosition));
  EXPECT_EQ(4650, Sp_CDPositionToSector(&one->endPosition));
  EXPECT_EQ(4575u, three->lengthInSectors);
  EXPECT_EQ(9150, Sp_CDPositionToSector(&three->startPosition));
  EXPECT_EQ(13725, Sp_CDPositionToSector(&three->endPosition));
  EXPECT_EQ(1u, three->length.minutes);
  EXPECT_EQ(1u, three->length.seconds);
  EXPECT_EQ(0u, three->length.frames);
  // No entry 5: the record keeps its zeros.
  EXPECT_EQ(0u, five->lengthInSectors);
  EXPECT_EQ(0, Sp_CDPositionToSector(&five->startPosition));
  Sp_DisposeMusicTrackDataList(list);
}

}  // namespace
