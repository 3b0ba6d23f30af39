// Reading ".TOC.plist": sessions, audio tracks, lead-out and lengths; files that are no table
// of contents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CFURLFiles.h"
#include "CoreFoundation.h"
#include "ErrorLogCapture.h"
#include "SpCDTOCInfoObject.h"
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
      {"a data-only first session adds nothing; the next one is read",
       {{1, 1, 1, 3000, 0x10, {{1, 0, true}}},
        {2, 2, 3, 20000, 0x00, {{2, 11400, false, 2}, {3, 15000, false, 2}}}},
       {{2, 11400, 3600}, {3, 15000, 5000}},
       {2, 20000, 1, 1}},
      {"a data track at the end of the audio session leaves the last-entry flag clear",
       {{1, 1, 3, 50000, 0x20, {{1, 150}, {2, 9000}, {3, 30000, true}}}},
       {{1, 150, 8850}, {2, 9000, 41000}},
       {1, 50000, 0, 3}},
      {"tracks listed out of order come out by point",
       {{1, 1, 3, 900, 0x00, {{3, 600}, {1, 150}, {2, 300}}}},
       {{1, 150, 150}, {2, 300, 300}, {3, 600, 300}},
       {1, 900, 1, 1}},
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

}  // namespace
