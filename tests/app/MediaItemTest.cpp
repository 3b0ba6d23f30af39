// The parts of the window that need no running program: the size texts of the info column,
// a media item's amplification and speed, the copy of a selection for saving each track, and
// the help book.
#include <gtest/gtest.h>

#include "CDMediaItemObj.h"
#include "CDMediaManagerObj.h"
#include "CDMediaMgrSelItemObj.h"
#include "CDObjectSource.h"
#include "ErrorLogCapture.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"

namespace {

TEST(SizeText, BytesAreShownWithTheirUnitAndFewerDecimalsForLargerNumbers) {
  const struct {
    double bytes;
    const char* text;
  } cases[] = {
      {0, "0B"},
      {999, "999B"},
      {1000, "1KB"},
      {12345, "12.3KB"},
      {4520000, "4.52MB"},
      {12345678, "12.3MB"},
      {123456789, "123MB"},
      {700000000, "700MB"},
      {999999999, "999MB"},
      {1000000000, "1GB"},
      {4294967295.0, "4.29GB"},
  };
  for (const auto& c : cases) {
    char text[32] = "";
    CDRMM_ByteSizeToString(c.bytes, text);
    EXPECT_STREQ(text, c.text) << c.bytes;
  }
}

// An item with a program of `tracks` items (none: without a program).
class MediaItem : public ::testing::Test {
 protected:
  void TearDown() override {
    if (item_.GetProgram() != nullptr) delete item_.GetProgram();
    item_.SetupProgram(nullptr);
  }
  void GiveProgram(int tracks) {
    auto* program = new (std::nothrow) cSp_CDRProgramBaseObj();
    for (int i = 0; i < tracks; ++i) program->NewProgramItem(-1);
    item_.SetupProgram(program);
  }
  cCDR_MediaItem item_{7, "Volume", "Title", nullptr};
  ErrorLogCapture log_;
};

TEST_F(MediaItem, AmplificationIsKeptWithinZeroToAHundredAndNeedsAProgram) {
  EXPECT_EQ(item_.SetAmpValue(50, 0, 1), 0) << "no program";
  EXPECT_TRUE(log_.Has("cCDR_MediaItem::SetAmpValue", 1));
  GiveProgram(1);
  const struct {
    short given, kept;
  } cases[] = {{150, 100}, {101, 100}, {100, 100}, {0, 0}, {-5, 0}, {42, 42}};
  for (const auto& c : cases) {
    EXPECT_EQ(item_.SetAmpValue(c.given, 0, 1), 1);
    EXPECT_EQ(item_.GetAmpValue(), c.kept) << c.given;
  }
}

TEST_F(MediaItem, ARefusedSpeedLeavesTheSpeedAsItWas) {
  EXPECT_EQ(item_.GetSpeed(), 1.0);
  EXPECT_EQ(item_.SelectSpeed(2.0, 1, 0, 0), 0) << "no program, not forced";
  EXPECT_TRUE(log_.Has("cCDR_MediaItem::SelectSpeed", 2));
  EXPECT_EQ(item_.SelectSpeed(0.0, 1, 0, 1), 0);
  EXPECT_EQ(item_.SelectSpeed(-1.0, 1, 0, 1), 0);
  EXPECT_TRUE(log_.Has("cCDR_MediaItem::SelectSpeed", 1));
  EXPECT_EQ(item_.GetSpeed(), 1.0);
  GiveProgram(2);
  EXPECT_EQ(item_.SelectSpeed(2.5, 1, 0, 0), 1);
  EXPECT_EQ(item_.GetSpeed(), 2.5);
  EXPECT_EQ(item_.GetProgram()->GetSpeedFactor(), 2.5);
}

// Expanded, a whole item becomes one entry per track, from the last track up when it was
// selected upwards, with the rows the tracks have while the item is open.
TEST_F(MediaItem, AnExpandedCopyListsTheTracksInTheOrderTheyAreSaved) {
  GiveProgram(3);
  item_.SetupOpenFlag(1);
  cCDR_SelectionMediaItem whole(kCDR_SelectionCDItem, &item_, nullptr, 5);
  cCDR_SelectionMediaItem* track = new (std::nothrow) cCDR_SelectionMediaItem(
      kCDR_SelectionTrack, &item_, item_.GetProgram()->GetProgramItem(2), 7);
  const struct {
    unsigned char reverse, open;
    std::vector<short> rows;
    std::vector<SInt32> tracks;
  } cases[] = {
      {0, 1, {6, 7, 8, 7}, {1, 2, 3, 2}},
      {1, 1, {8, 7, 6, 7}, {3, 2, 1, 2}},
      {1, 0, {0, 0, 0, 7}, {3, 2, 1, 2}},
  };
  whole.LinkToNext(track);
  for (const auto& c : cases) {
    whole.SetupReverseFlag(c.reverse);
    item_.SetupOpenFlag(c.open);
    cCDR_SelectionMediaItem* last = nullptr;
    cCDR_SelectionMediaItem* copy = CDRMM_CopySelectionMediaItemList(&whole, 1, &last);
    std::vector<short> rows;
    std::vector<SInt32> tracks;
    for (cCDR_SelectionMediaItem* e = copy; e != nullptr; e = e->GetNextObjectPtr()) {
      rows.push_back(e->GetRow());
      tracks.push_back(e->GetProgramItem()->GetReferenceNo());
      EXPECT_EQ(e->GetReverseFlag(), 0);
      if (e->GetNextObjectPtr() == nullptr) {
        EXPECT_EQ(e, last);
      }
    }
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(tracks, c.tracks);
    SpDeleteList(copy);
  }
  whole.UnlinkNext();
  delete track;
}

TEST(HelpBook, TheProgramRegistersNoHelpBookAndSaysSo) {
  EXPECT_NE(RegisterTevonHelpBook(), noErr);
}

}  // namespace
