// The preference stock in memory: items, their typed values, groups, reference numbers and
// the manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "DisposeRecorder.h"
#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpPreferenceStockObject.h"
#include "TestFiles.h"

namespace {

class PreferenceStockItem : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FSFindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &folder_), noErr);
    file_ = mgr_.CreateNewStockFileObj(SpFourCC("InDt"), &folder_, "MirrelboxPref",
                                       SpFourCC("Zqcd"), SpFourCC("preF"));
    ASSERT_NE(file_, nullptr);
    item_ = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Item"), 0, 1);
    ASSERT_NE(item_, nullptr);
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  FSRef folder_;
  cPrefStockMgr mgr_;
  cPrefStockFileObj* file_ = nullptr;
  cPrefStockData* item_ = nullptr;
};

// One row per fixed kind: a setter, and a check that the typed getter gives the value back.
struct FixedKind {
  const char* name;
  UInt8 type;
  SInt32 size;
  std::function<void(cPrefStockData*)> set;
  std::function<bool(cPrefStockData*)> matches;
};

// The typed getter gives these bytes back (records are zeroed before they are filled, so
// their padding compares too).
template <typename T>
std::function<bool(cPrefStockData*)> Reads(unsigned char (cPrefStockData::*get)(T&), T expected) {
  return [get, expected](cPrefStockData* d) {
    T value{};
    return (d->*get)(value) != 0 && std::memcmp(&value, &expected, sizeof value) == 0;
  };
}

std::vector<FixedKind> FixedKinds() {
  static const Rect rect{-1, 2, 300, -400};
  static const sPerfFileDirInfo position{-1, {}, 0x12345678, "Song.aiff"};
  static const sPerfExtFileDirInfo extended{-2, {}, 77, "\x93\xFA\x96\x7B", -5};
  static const LongDateRec date{0, 2024, 2, 29, 23, 59, 58, 5, 60, 9, 1, 0, 0, -3};
  static const sPerfExtFileDirTypeInfo kind{-1, {}, 2, "Folder", 1, {}, 4242};
  static const FSRef ref = [] {
    FSRef r;
    for (int i = 0; i < 80; ++i) r.hidden[i] = UInt8(i * 3);
    return r;
  }();
  using D = cPrefStockData;
  return {
      {"long", 4, 4, [](D* d) { d->SetupLongData(-123456, 1); }, Reads(&D::GetLongData, -123456)},
      {"OSType", 5, 4, [](D* d) { d->SetupOSTypeData(SpFourCC("WPos"), 1); },
       Reads(&D::GetOSTypeData, OSType(SpFourCC("WPos")))},
      {"double", 6, 8, [](D* d) { d->SetupDblData(-2.5e100, 1); }, Reads(&D::GetDblData, -2.5e100)},
      {"char", 7, 1, [](D* d) { d->SetupCharData('\x93', 1); }, Reads(&D::GetCharData, '\x93')},
      {"rect", 9, 8, [](D* d) { d->SetupRectData(&rect, 1); }, Reads(&D::GetRectData, rect)},
      {"point", 10, 4,
       [](D* d) {
         d->SetupPointData(Point{-7, 9}, 1);
       },
       Reads(&D::GetPointData, Point{-7, 9})},
      {"Boolean", 11, 1, [](D* d) { d->SetupBooleanData(1, 1); },
       Reads(&D::GetBooleanData, (unsigned char)1)},
      {"float", 12, 4, [](D* d) { d->SetupFloatData(3.25f, 1); }, Reads(&D::GetFloatData, 3.25f)},
      {"position", 8, 264, [](D* d) { d->SetupFileDirInfoData(&position, 1); },
       Reads(&D::GetFileDirInfoData, position)},
      {"extended position", 13, 268, [](D* d) { d->SetupExtFileDirInfoData(&extended, 1); },
       Reads(&D::GetExtFileDirInfoData, extended)},
      {"date", 14, 28, [](D* d) { d->SetupDateTimeData(&date, 1); },
       Reads(&D::GetDateTimeData, date)},
      {"position with kind", 15, 272, [](D* d) { d->SetupExtFileDirTypeInfoData(&kind, 1); },
       Reads(&D::GetExtFileDirTypeInfoData, kind)},
      {"FSRef", 16, 80, [](D* d) { d->SetupFSRefTypeInfoData(ref, 1); },
       Reads(&D::GetFSRefTypeInfoData, ref)},
  };
}

TEST_F(PreferenceStockItem, EveryKindRoundTripsThroughAFile) {
  cPrefStockData* group = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Grup"), 1, 1);
  std::vector<FixedKind> kinds = FixedKinds();
  for (const FixedKind& kind : kinds) {
    cPrefStockData* item = group->CreateUnderStockDataItem(kind.type, 0);
    kind.set(item);
    EXPECT_EQ(item->GetStockDataType(), kind.type);
    EXPECT_EQ(item->GetDataSize(), kind.size);
  }
  EXPECT_EQ(file_->GetPrefModifyFlag(), 1);
  ASSERT_EQ(file_->SavePrefDataInFile(), noErr);

  cPrefStockFileObj* loaded =
      mgr_.CreateNewStockFileObj(SpFourCC("InDt"), &folder_, "MirrelboxPref", 0, 0);
  ASSERT_EQ(loaded->LoadPrefDataFromFile(), noErr);
  cPrefStockData* again = loaded->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Grup"), 1, 1);
  for (const FixedKind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    EXPECT_TRUE(kind.matches(again->GetTargetStockDataItemInUnderDataListByIdType(kind.type, 0)));
  }
  EXPECT_EQ(loaded->GetPrefModifyFlag(), 0);
  EXPECT_EQ(log_.Count(), 0u);
}

TEST_F(PreferenceStockItem, TypedGettersRefuseAnotherKindAndLeaveTheOutputAlone) {
  std::vector<FixedKind> kinds = FixedKinds();
  for (const FixedKind& stored : kinds) {
    stored.set(item_);
    for (const FixedKind& asked : kinds) {
      if (asked.type == stored.type) continue;
      SCOPED_TRACE(std::string(asked.name) + " from " + stored.name);
      log_.Clear();
      EXPECT_FALSE(asked.matches(item_));
      EXPECT_EQ(log_.Count(), 1u);
      EXPECT_EQ(log_.Records()[0].message, "Type Error !! ");
      EXPECT_EQ(log_.Records()[0].code, 1);
    }
  }
  SInt32 untouched = 99;
  EXPECT_FALSE(item_->GetLongData(untouched) || untouched != 99);
}

TEST_F(PreferenceStockItem, StringsReuseABlockOfTheSameLengthAndCutToTheBuffer) {
  item_->SetupLongData(1, 1);
  item_->SetupStringData("", 1);
  char buffer[16] = "junk";
  unsigned char cut = 9;
  EXPECT_EQ(item_->GetStingData(buffer, sizeof buffer, cut), 0);
  EXPECT_STREQ(buffer, "");

  sPrefStockDataSaveInfo first, second;
  item_->SetupStringData("abcdef", 1);
  item_->GetSaveInfo(first);
  item_->SetupStringData("uvwxyz", 1);
  item_->GetSaveInfo(second);
  EXPECT_EQ(first.dataPtr, second.dataPtr) << "same length: the block is reused";
  EXPECT_EQ(second.dataLength, 10);

  // Six bytes and a terminator: a buffer of 7 holds them whole, one of 6 cuts a byte.
  const struct {
    SInt32 size;
    const char* textAndCut;
  } sizes[] = {{4, "uvw1"}, {6, "uvwxy1"}, {7, "uvwxyz0"}, {16, "uvwxyz0"}};
  for (const auto& c : sizes) {
    std::vector<char> exact(std::size_t(c.size), 'q');  // no room past the size
    EXPECT_EQ(item_->GetStingData(exact.data(), c.size, cut), 1);
    EXPECT_EQ(exact.data() + std::to_string(cut), c.textAndCut) << c.size;
  }
  EXPECT_EQ(item_->GetStingData(buffer, 0, cut), 0) << "no room for the terminator";
  EXPECT_EQ(item_->GetStingData(nullptr, 4, cut), 0);
  EXPECT_TRUE(log_.Has("cPrefStockData::GetStingData", 2));
}

// A flex area comes whole into a buffer of its size or more; a smaller buffer takes what fits
// and says it was cut.
TEST_F(PreferenceStockItem, FlexAreasComeWholeIntoABufferOfTheirSizeAndAreCutInASmallerOne) {
  const char bytes[6] = {'a', 0, 'b', '\xFF', 'c', 'd'};
  ASSERT_EQ(item_->SetupFlexAreaData(bytes, sizeof bytes, 1), 1);
  const struct {
    SInt32 size;
    unsigned char read, cut;
  } sizes[] = {{0, 0, 1}, {5, 0, 1}, {6, 1, 0}, {7, 1, 0}};
  for (const auto& c : sizes) {
    SCOPED_TRACE(c.size);
    std::vector<char> out(std::size_t(c.size) + 1, 'q');
    unsigned char cut = 9;
    EXPECT_EQ(item_->GetFlexAreaData(out.data(), c.size, cut), c.read);
    EXPECT_EQ(cut, c.cut);
    const std::size_t copied = std::min<std::size_t>(std::size_t(c.size), sizeof bytes);
    EXPECT_EQ(std::string(out.data(), copied), std::string(bytes, copied));
    EXPECT_EQ(out[std::size_t(c.size)], 'q') << "nothing past the size";
  }
}

TEST_F(PreferenceStockItem, GroupsRefuseValuesKnotsAndSecondLinks) {
  item_->SetupStringData("value", 1);
  EXPECT_EQ(item_->CreateUnderStockDataItem(SpFourCC("Chld"), 1), nullptr);
  EXPECT_TRUE(log_.Has("cPrefStockData::CreateUnderStockDataItem", 1));

  cPrefStockData* group = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Grup"), 1, 1);
  cPrefStockData* a = group->CreateUnderStockDataItem(SpFourCC("A   "), 0);
  cPrefStockData* b = group->CreateUnderStockDataItem(SpFourCC("B   "), 0);
  cPrefStockData* c = group->CreateUnderStockDataItem(SpFourCC("C   "), 0);
  EXPECT_EQ(group->CreateUnderStockDataItem(SpFourCC("B   "), 0), b) << "the child comes back";
  EXPECT_EQ(group->GetTargetStockDataItemInUnderDataListByDataRef(a->GetReferenceNo()), a);

  EXPECT_EQ(group->LinkIntoGroupItem(b), 0) << "already a child";
  EXPECT_EQ(a->LinkIntoGroupItem(group), 0) << "a group cannot go under its own child";
  EXPECT_EQ(group->SetupLongData(1, 1), 0) << "a value would hide the children";
  EXPECT_EQ(group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("A   "), 0), a);

  ASSERT_EQ(group->UnLinkFromGroupItem(c), 1);
  EXPECT_EQ(group->UnLinkFromGroupItem(c), 0);
  cPrefStockData* d = group->CreateUnderStockDataItem(SpFourCC("D   "), 0);
  EXPECT_EQ(b->GetNextObjectPtr(), d) << "the tail moved back to the second child";
  EXPECT_EQ(c->GetStockUpperGroupObjPtr(), nullptr);
  delete c;  // unlinked children belong to the caller
  delete b;  // a child that is deleted leaves its group
  EXPECT_EQ(a->GetNextObjectPtr(), d);
}

// A group looked up before it has a child is found again rather than made twice (the file
// would gain an empty item on every run); an item holding a value is no group.
TEST_F(PreferenceStockItem, GroupOnlyLookUpTakesAnItemWithoutAValueButNotOneWithAValue) {
  cPrefStockData* empty = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Grup"), 1, 1);
  EXPECT_EQ(file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Grup"), 1, 1), empty);
  item_->SetupLongData(5, 1);
  EXPECT_EQ(file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Item"), 1, 0), nullptr);
  cPrefStockData* group = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Item"), 1, 1);
  EXPECT_NE(group, item_) << "a second item of the id, for the group";
  EXPECT_EQ(file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Item"), 0, 0), item_);
}

TEST_F(PreferenceStockItem, ReferenceNumbersAreNeverGivenTwiceEvenByALaterManager) {
  std::vector<UInt32> seen{item_->GetReferenceNo()};
  for (int i = 0; i < 5; ++i)
    seen.push_back(item_->CreateUnderStockDataItem(i, 1)->GetReferenceNo());
  EXPECT_EQ(mgr_.GetTargetRefNumStockDataItemInTotalList(seen.back()),
            item_->GetStockTopUnderDataListHead()->GetLastObjectPtr());
  file_->ClearPrefData();
  EXPECT_EQ(mgr_.GetTargetRefNumStockDataItemInTotalList(seen.back()), nullptr);

  mgr_.~cPrefStockMgr();  // the global manager goes; a new one takes its place
  new (&mgr_) cPrefStockMgr();
  file_ = mgr_.CreateNewStockFileObj(SpFourCC("InDt"), &folder_, "Other", SpFourCC("Zqcd"),
                                     SpFourCC("preF"));
  cPrefStockData* later = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Late"), 0, 1);
  EXPECT_GT(later->GetReferenceNo(), seen.back());
}

TEST_F(PreferenceStockItem, ALongFileNameIsRefusedAndNothingIsSaved) {
  std::string name(511, 'n');
  cPrefStockFileObj* file =
      mgr_.CreateNewStockFileObj(SpFourCC("Long"), &folder_, name.c_str(), 0, 0);
  EXPECT_TRUE(log_.Has("cPrefStockFileObj::StartupSetup", 2));
  EXPECT_EQ(log_.Records().back().message, "Buffer over flow !! ");
  file->GetTargetStockDataItemInPrefTopDataList('x', 0, 1)->SetupLongData(1, 1);
  EXPECT_EQ(file->SavePrefDataInFile(), noErr);
  EXPECT_EQ(file->SetupPrefFileName(name.c_str()), 0);
  EXPECT_EQ(file->SetupPrefFileName(name.substr(1).c_str()), 1);
  EXPECT_EQ(mgr_.CreateNewStockFileObj(SpFourCC("Bad "), 999, 2, "x", 0, 0), nullptr);
  EXPECT_TRUE(log_.Has("cPrefStockMgr::CreateNewStockFileObj", 3));
}

}  // namespace
