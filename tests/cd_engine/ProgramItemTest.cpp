// Program items: their numbering in the program, their two chains, their titles for saved
// files and what a copy takes over.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SpCDROMProgram.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpCDR_MediaMgrObject.h"

namespace {

class ProgramItems : public ::testing::Test {
 protected:
  void TearDown() override {
    SpCDR_DisposeMediaMgr();
    SpDisposeCDQTFileInitManager();
  }

  // The items' reference numbers and generation numbers, in list order.
  static std::vector<std::pair<SInt32, UInt32>> Numbers(const cSp_CDRProgramBaseObj& p) {
    std::vector<std::pair<SInt32, UInt32>> numbers;
    for (cSp_CDRProgramItemObj* item = p.GetFirstProgramItem(); item != nullptr;
         item = item->GetNextObjectPtr()) {
      numbers.emplace_back(item->GetReferenceNo(), item->GetGenerationNo());
      EXPECT_EQ(item->GetNormalReferenceNo(), UInt32(item->GetReferenceNo()));
    }
    return numbers;
  }
};

TEST_F(ProgramItems, NewItemsGoWhereAskedAndTheListIsNumberedFromOne) {
  cSp_CDRProgramBaseObj program;
  ASSERT_NE(program.NewProgramItem(0), nullptr);   // generation 1, alone
  ASSERT_NE(program.NewProgramItem(-1), nullptr);  // 2 at the tail
  ASSERT_NE(program.NewProgramItem(0), nullptr);   // 3 at the head
  ASSERT_NE(program.NewProgramItem(1), nullptr);   // 4 after the first
  ASSERT_NE(program.NewProgramItem(9), nullptr);   // 5: no such item, at the end
  using N = std::vector<std::pair<SInt32, UInt32>>;
  EXPECT_EQ(Numbers(program), (N{{1, 3}, {2, 4}, {3, 1}, {4, 2}, {5, 5}}));
  EXPECT_EQ(program.GetItemCount(), 5);
  EXPECT_EQ(program.GetLastProgramItem()->GetGenerationNo(), 5u);

  EXPECT_TRUE(program.DisposeItem(UInt32(1)));
  EXPECT_TRUE(program.DisposeItem(program.GetProgramItemFromGenerationRefNum(5)));
  EXPECT_EQ(Numbers(program), (N{{1, 4}, {2, 1}, {3, 2}}));
  EXPECT_EQ(program.GetLastProgramItem()->GetGenerationNo(), 2u) << "the tail follows";
  EXPECT_FALSE(program.DisposeItem(UInt32(7)));
  EXPECT_EQ(program.GetItemCount(), 3);
}

TEST_F(ProgramItems, NumberingFromAMiddleItemContinuesFromItsPredecessor) {
  cSp_CDRProgramItemObj a, b, c, d, e;
  a.LinkToNext(&b);
  b.LinkToNext(&c);
  c.LinkToNext(&d);
  a.SetupReferenceNo(1);
  EXPECT_EQ(d.GetReferenceNo(), 4);
  b.LinkToNext(&e);  // a b e c d
  e.SetupReferenceNo(0);
  EXPECT_EQ(e.GetReferenceNo(), 3);
  EXPECT_EQ(c.GetReferenceNo(), 3) << "only this one";
  e.SetupReferenceNo(1);
  EXPECT_EQ(c.GetReferenceNo(), 4);
  EXPECT_EQ(d.GetReferenceNo(), 5);
  EXPECT_EQ(a.GetReferenceNo(), 1) << "those before stay";
  e.SetupNormaReferenceNoToReferenceNo(0);
  EXPECT_EQ(e.GetNormalReferenceNo(), 3u);
  EXPECT_EQ(c.GetNormalReferenceNo(), 0u) << "only this one";
  e.SetupNormaReferenceNoToReferenceNo(1);
  EXPECT_EQ(d.GetNormalReferenceNo(), 5u);
}

TEST_F(ProgramItems, LinkingAChainSplicesItInAfterTheItemInItsOrder) {
  cSp_CDRProgramItemObj a, b, c, x, y, z;
  a.LinkToNext(&b);
  b.LinkToNext(&c);
  x.LinkToNext(&y);
  y.LinkToNext(&z);
  a.LinkToNext(&x);
  std::vector<cSp_CDRProgramItemObj*> order;
  for (cSp_CDRProgramItemObj* i = &a; i != nullptr; i = i->GetNextObjectPtr()) order.push_back(i);
  EXPECT_EQ(order, (std::vector<cSp_CDRProgramItemObj*>{&a, &x, &y, &z, &b, &c}));
  EXPECT_EQ(b.GetBeforeObjectPtr(), &z);
  EXPECT_EQ(a.GetLastObjectPtr(), &c);
  // Cut after y: the rest comes back as a chain of its own.
  EXPECT_EQ(y.UnlinkNext(), &z);
  EXPECT_EQ(z.GetBeforeObjectPtr(), nullptr);
  EXPECT_EQ(z.GetLastObjectPtr(), &c);
  EXPECT_EQ(a.GetLastObjectPtr(), &y);

  // The play chain is a second list that leaves the first alone.
  z.LinkToTargetNext(&a);
  z.LinkToTargetNext(&c);
  EXPECT_EQ(z.GetTargetNextObjectPtr(), &c);
  EXPECT_EQ(c.GetTargetNextObjectPtr(), &a);
  EXPECT_EQ(z.GetLastTargetObjectPtr(), &a);
  EXPECT_EQ(z.GetNextObjectPtr(), &b);
  EXPECT_EQ(c.UnlinkTargetNext(), &a);
  EXPECT_EQ(a.GetTargetBeforeObjectPtr(), nullptr);
  z.ClearTargetLinkPointer();
  EXPECT_EQ(z.GetTargetNextObjectPtr(), nullptr);
}

TEST_F(ProgramItems, ASavedFileIsNamedByTheFirstTitleThereIsCutToTheBuffer) {
  cSp_CDRProgramBaseObj program;
  cSp_CDRProgramItemObj* item = program.NewProgramItem(-1);
  sSpMusicFileInfo info{};
  std::strcpy(info.title, "Tag Title");
  // A sound file described by a record: no file needs to exist.
  ASSERT_TRUE(item->SetupFileProgramInfo(-1, 2, "file.aiff", "Item Title", kSpCDRProgItemSoundFile,
                                         &info, nullptr));
  struct Case {
    SInt32 size;
    Boolean result;
    const char* title;
  } cases[] = {{64, true, "Tag Title"},
               {3, true, "T"},
               {2, false, ""},
               {11, true, "Tag Title"},
               {10, true, "Tag Titl"}};
  for (const Case& c : cases) {
    char buffer[64] = "";
    EXPECT_EQ(item->GetMusicTitleForSaveFile(buffer, c.size, nullptr), c.result) << c.size;
    EXPECT_STREQ(buffer, c.title) << c.size;
  }
  // Without a tag title, the item's title; without that, the file's name.
  cSp_CDRProgramItemObj* untagged = program.NewProgramItem(-1);
  sSpMusicFileInfo empty{};
  ASSERT_TRUE(untagged->SetupFileProgramInfo(-1, 2, "other.aiff", "", kSpCDRProgItemSoundFile,
                                             &empty, nullptr));
  char buffer[64] = "";
  ASSERT_TRUE(untagged->GetMusicTitleForSaveFile(buffer, sizeof buffer, nullptr));
  EXPECT_STREQ(buffer, "other.aiff");
  // A track whose CD is unknown has no title.
  cSp_CDRProgramItemObj* track = program.NewProgramItem(-1);
  EXPECT_FALSE(track->GetMusicTitleForSaveFile(buffer, sizeof buffer, nullptr));
}

TEST_F(ProgramItems, ACopyTakesWhatTheItemIsButKeepsItsOwnNumbersAndLinks) {
  cSp_CDRProgramBaseObj from, to;
  from.NewProgramItem(-1);
  cSp_CDRProgramItemObj* source = from.NewProgramItem(-1);
  sSpMusicFileInfo info{};
  info.seconds = 2;
  ASSERT_TRUE(source->SetupFileProgramInfo(-1, 2, "file.aiff", "Title", kSpCDRProgItemSoundFile,
                                           &info, nullptr));
  source->SetupLength(150);
  source->SetupCDGoneFlag();
  cSp_CDRProgramItemObj* copy = to.NewProgramItem(-1);
  to.NewProgramItem(-1);
  copy->CopyDataFromTarget(source);
  EXPECT_EQ(copy->GetItemType(), kSpCDRProgItemSoundFile);
  EXPECT_STREQ(copy->GetFileName(), "file.aiff");
  EXPECT_STREQ(copy->GetTitle(), "Title");
  EXPECT_EQ(copy->GetLength(), 150);
  EXPECT_EQ(copy->GetQTFileMedia(), source->GetQTFileMedia());
  EXPECT_EQ(copy->GetReferenceNo(), 1);
  EXPECT_EQ(copy->GetGenerationNo(), 1u);
  EXPECT_EQ(copy->GetNextObjectPtr(), to.GetLastProgramItem());
  EXPECT_EQ(copy->GetCDGoneFlag(), 0);
  short minutes = -1, seconds = -1, frames = -1;
  EXPECT_TRUE(copy->GetCDTrackPlayTime(&minutes, &seconds, &frames));
  EXPECT_EQ(seconds, 2);
  EXPECT_EQ(frames, 0);
}

}  // namespace
