// The table of contents and the track files of a mounted audio CD: reading ".TOC.plist"
// (sessions, audio tracks, lead-out and lengths, files that are no table of contents), naming
// rules, order, sizes and positions of the track files, and volumes that are empty, gone or
// short of memory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "CFURLFiles.h"
#include "CoreFoundation.h"
#include "ErrorLogCapture.h"
#include "SpCDTOCInfoObject.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TOCInfoTestSupport.h"

namespace {

using Entries = std::vector<std::vector<SInt32>>;

// (point, start, length) of every entry in list order.
Entries EntriesOf(const cMediaTOCInfo& toc) {
  Entries out;
  for (cMediaTOCTrackInfo* e = toc.GetFirstTrackItemPtr(); e != nullptr;
       e = e->GetNextObjectPtr()) {
    out.push_back({e->GetPoint(), e->GetStartBlock(), e->GetLengthOfBlock()});
  }
  return out;
}

class TOCParseTest : public cdtest::DiscFolderTest {
 protected:
  // Writes the text as the disc's ".TOC.plist" and reads it into a fresh table.
  Boolean Read(const std::string& text) {
    toc_.WipeOutTrackItemList();
    toc_.StartUpInitialize();
    const std::string path = Disc(".TOC.plist");
    cdtest::WriteFile(path, text);
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()),
        false);
    FSRef ref;
    EXPECT_TRUE(CFURLGetFSRef(url, &ref));
    CFRelease(url);
    return SpCDR_GetTOCData(&ref, &toc_);
  }
  Boolean Read(const std::vector<cdtest::TocSession>& sessions) {
    return Read(cdtest::TocPlist(sessions));
  }

  cMediaTOCInfo toc_;
};

TEST_F(TOCParseTest, SessionsAreReadUntilOneBringsAudioTracks) {
  const struct {
    const char* why;
    std::vector<cdtest::TocSession> sessions;
    Entries entries;
    std::vector<SInt32> sessionLeadoutLastIsAudioType;
  } cases[] = {
      {"a plain audio CD",
       {{1, 1, 3, 41000, 0x00, {{1, 150}, {2, 15000}, {3, 27000}}}},
       {{1, 150, 14850}, {2, 15000, 12000}, {3, 27000, 14000}},
       {1, 41000, 1, 1}},
      {"enhanced CD: the data session after the audio one is not read",
       {{1, 1, 2, 9000, 0x00, {{1, 150}, {2, 4000}}},
        {2, 3, 3, 60000, 0x20, {{3, 20000, true, 2}}}},
       {{1, 150, 3850}, {2, 4000, 5000}},
       {1, 9000, 1, 1}},
      {"a first session of a single audio track is the last one read",
       {{1, 1, 1, 5000, 0x00, {{1, 150}}},
        {2, 2, 3, 60000, 0x00, {{2, 20000, false, 2}, {3, 30000, false, 2}}}},
       {{1, 150, 4850}},
       {1, 5000, 1, 1}},
      {"a data-only first session adds nothing; the next one is read",
       {{1, 1, 1, 3000, 0x10, {{1, 0, true}}},
        {2, 2, 3, 20000, 0x00, {{2, 11400, false, 2}, {3, 15000, false, 2}}}},
       {{2, 11400, 3600}, {3, 15000, 5000}},
       {2, 20000, 1, 1}},
      {"a data track at the end of the audio session leaves the last-entry flag clear",
       {{1, 1, 3, 50000, 0x20, {{1, 150}, {2, 9000}, {3, 30000, true}}}},
       {{1, 150, 8850}, {2, 9000, 41000}},
       {1, 50000, 0, 3}},
      {"an unknown session type leaves the code as it was",
       {{1, 1, 1, 900, 0x30, {{1, 150}}}},
       {{1, 150, 750}},
       {1, 900, 1, 0}},
      {"no sessions at all", {}, {}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Read(c.sessions)) << c.why;
    EXPECT_EQ(c.entries, EntriesOf(toc_)) << c.why;
    EXPECT_EQ(c.sessionLeadoutLastIsAudioType,
              (std::vector<SInt32>{toc_.GetSessionNumber(), toc_.GetLeadoutBlock(),
                                   toc_.GetLastEntryIsAudio(), toc_.GetSessionType()}))
        << c.why;
  }
}

TEST_F(TOCParseTest, StartsNotBeforeTheNextGiveLengthZeroAndOneRecord) {
  const struct {
    std::vector<cdtest::TocSession> sessions;
    Entries entries;
    SInt32 code;
  } cases[] = {
      {{{1, 1, 2, 4000, 0x00, {{1, 150}, {2, 4000}}}}, {{1, 150, 3850}, {2, 4000, 0}}, 3},
      {{{1, 1, 2, 900, 0x00, {{1, 150}, {2, 150}}}}, {{1, 150, 0}, {2, 150, 750}}, 5},
  };
  for (const auto& c : cases) {
    ErrorLogCapture log;
    ASSERT_TRUE(Read(c.sessions));
    EXPECT_EQ(c.entries, EntriesOf(toc_));
    ASSERT_EQ(1u, log.Count());
    EXPECT_TRUE(log.Has("cMediaTOCInfo::SetupTrackBlockInfo", c.code));
    EXPECT_EQ("Data Error !! ", log.Records()[0].message);
  }
}

TEST_F(TOCParseTest, ValuesOfTheWrongKindAreSkippedAndFilesThatAreNoTableAreNotRead) {
  ErrorLogCapture log;
  ASSERT_TRUE(
      Read("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Sessions</key><array>"
           "<string>not a session</string>"
           "<dict><key>Session Number</key><string>7</string><key>Leadout Block</key>"
           "<integer>99999999999</integer><key>Track Array</key><array><integer>4</integer>"
           "<dict><key>Point</key><integer>1</integer><key>Start Block</key><real>1.5</real>"
           "<key>Data</key><string>true</string></dict></array></dict></array></dict></plist>"));
  // The track counts as audio ("Data" is no boolean) and keeps a start of 0; the session
  // number is no number and the lead-out is out of range, so both stay 0.
  EXPECT_EQ((Entries{{1, 0, 0}}), EntriesOf(toc_));
  EXPECT_EQ(0, toc_.GetSessionNumber());
  EXPECT_EQ(0, toc_.GetLeadoutBlock());

  const std::string good = cdtest::TocPlist({{1, 1, 2, 900, 0x00, {{1, 150}, {2, 300}}}});
  for (const std::string& text :
       {std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><dict/></array></plist>"),
        good.substr(0, good.size() / 2), std::string(),
        std::string("\x00\xFF\x10garbage<<>>", 14)}) {
    EXPECT_FALSE(Read(text)) << text;
    EXPECT_EQ(nullptr, toc_.GetFirstTrackItemPtr()) << text;
    EXPECT_EQ(0, toc_.GetLastEntryIsAudio()) << text;
  }
  // Random damage: whatever was read is in order of point, and a failed file gives nothing.
  UInt32 seed = 12345;
  for (int round = 0; round < 40; ++round) {
    std::string text = good;
    for (int i = 0; i < 8; ++i) {
      seed = seed * 1103515245u + 12345u;
      text[(seed >> 8) % text.size()] = char(seed >> 24);
    }
    const bool read = Read(text);
    const Entries entries = EntriesOf(toc_);
    EXPECT_TRUE(read || entries.empty());
    for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_LE(entries[i - 1][0], entries[i][0]);
  }
}

// A table of contents is a few kilobytes: one of up to 4 MiB is read, a byte more is not.
TEST_F(TOCParseTest, AFileOfTheLargestSizeIsReadAndOneByteMoreIsRefused) {
  const std::string good = cdtest::TocPlist({{1, 1, 2, 900, 0x00, {{1, 150}, {2, 300}}}});
  const struct {
    std::size_t size;
    bool read;
  } cases[] = {{4u << 20, true}, {(4u << 20) + 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    ErrorLogCapture log;
    std::string text = good;
    text.resize(c.size, '\n');  // white space after the table
    EXPECT_EQ(Read(text), c.read);
    EXPECT_EQ(EntriesOf(toc_).size(), c.read ? 2u : 0u);
    EXPECT_EQ(log.Has("SpCDR_GetTOCData", 2), !c.read);
  }
}

// Many entries arriving against the order, equal points among them, and each offered twice:
// every one is placed (or refused) without walking the list.
TEST(TOCInfoTest, ManyEntriesArePlacedWithoutWalkingTheList) {
  cMediaTOCInfo toc;
  const int kEntries = 75000;
  for (int i = 0; i < kEntries; ++i) {
    auto* entry = new cMediaTOCTrackInfo(SInt16(30000 - i / 3), i);
    toc.SetupNewTrackItemPtr(entry);
    toc.SetupNewTrackItemPtr(entry);
  }
  EXPECT_LE(toc.GetPlacementSteps(), UInt32(2 * kEntries));
  int count = 0;
  for (cMediaTOCTrackInfo* e = toc.GetFirstTrackItemPtr(); e != nullptr;
       e = e->GetNextObjectPtr()) {
    const cMediaTOCTrackInfo* before = e->GetBeforeObjectPtr();
    if (before != nullptr) {
      ASSERT_TRUE(
          before->GetPoint() < e->GetPoint() ||
          (before->GetPoint() == e->GetPoint() && before->GetStartBlock() < e->GetStartBlock()))
          << count;
    }
    ++count;
  }
  EXPECT_EQ(count, kEntries);
  EXPECT_EQ(toc.GetLastTrackItemPtr()->GetStartBlock(), 2);
}

TEST(TOCInfoTest, EqualPointsKeepArrivalOrderReinsertingChangesNothingAndNullIsLogged) {
  cMediaTOCInfo toc;
  cMediaTOCTrackInfo* first = new cMediaTOCTrackInfo(2, 10);
  cMediaTOCTrackInfo* second = new cMediaTOCTrackInfo(2, 20);
  cMediaTOCTrackInfo* low = new cMediaTOCTrackInfo(1, 5);
  for (cMediaTOCTrackInfo* e : {first, second, low, first}) toc.SetupNewTrackItemPtr(e);
  EXPECT_EQ(low, toc.GetFirstTrackItemPtr());
  EXPECT_EQ(first, low->GetNextObjectPtr());
  EXPECT_EQ(second, first->GetNextObjectPtr()) << "the list must not be cut";
  EXPECT_EQ(second, toc.GetLastTrackItemPtr());
  EXPECT_EQ(first, second->GetBeforeObjectPtr());
  toc.WipeOutTrackItemList();
  EXPECT_EQ(nullptr, toc.GetFirstTrackItemPtr());
  EXPECT_EQ(nullptr, toc.GetLastTrackItemPtr());

  ErrorLogCapture log;
  FSRef ref;
  EXPECT_FALSE(SpCDR_GetTOCData(&ref, nullptr));
  EXPECT_TRUE(log.Has("SpCDR_GetTOCData", 1));
  toc.SetupNewTrackItemPtr(nullptr);
  ASSERT_TRUE(log.Has("cMediaTOCInfo::SetupNewTrackItemPtr", 1));
  EXPECT_EQ("Required arugment is null !! ", log.Records().back().message);
  EXPECT_EQ(2u, log.Beeps());
}

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
        "-2 Minus.aiff", "20 夜明け.aiff", "30 Rough.mix", "2x Take.aiff", "99 Last.aiff",
        // Nine digits are the most a number may have; ten would wrap round to 1 and 2.
        "000000007 Padded.aiff", "4294967297 Wrapped.aiff", "0000000002 Ten.aiff"}) {
    Touch(f);
  }
  cdtest::WriteFile(Disc("1 Audio Track.aiff"),
                    cdtest::AiffHeader(588 * 3) + std::string(7056, 'a'));
  ASSERT_EQ(0, mkdir(Disc("6 Folder.aiff").c_str(), 0700));
  ASSERT_EQ(noErr, List());
  const std::vector<std::string> want = {"1 [1 Audio Track.aiff] [Audio Track]",
                                         "3 [3 Third.aiff] [Third]",
                                         "7 [000000007 Padded.aiff] [Padded]",
                                         "8 [8 .aiff] []",
                                         "9 [9 Live.Take.aiff] [Live.Take]",
                                         "12 [12  Song.AIFF] [Song]",
                                         "20 [20 " + japanese + ".aiff] [" + japanese + "]",
                                         "99 [99 Last.aiff] [Last]"};
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
