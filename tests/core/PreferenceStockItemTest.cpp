// The preference stock in memory: items, their typed values, groups, reference numbers and
// the manager.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "DisposeRecorder.h"
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

std::vector<FixedKind> FixedKinds() {
  return {
      {"long", 4, 4, [](cPrefStockData* d) { d->SetupLongData(-123456, 1); },
       [](cPrefStockData* d) {
         SInt32 v = 0;
         return d->GetLongData(v) && v == -123456;
       }},
      {"OSType", 5, 4, [](cPrefStockData* d) { d->SetupOSTypeData(SpFourCC("WPos"), 1); },
       [](cPrefStockData* d) {
         OSType v = 0;
         return d->GetOSTypeData(v) && v == SpFourCC("WPos");
       }},
      {"double", 6, 8, [](cPrefStockData* d) { d->SetupDblData(-2.5e100, 1); },
       [](cPrefStockData* d) {
         double v = 0;
         return d->GetDblData(v) && v == -2.5e100;
       }},
      {"char", 7, 1, [](cPrefStockData* d) { d->SetupCharData('\x93', 1); },
       [](cPrefStockData* d) {
         char v = 0;
         return d->GetCharData(v) && v == '\x93';
       }},
      {"rect", 9, 8,
       [](cPrefStockData* d) {
         Rect r{-1, 2, 300, -400};
         d->SetupRectData(&r, 1);
       },
       [](cPrefStockData* d) {
         Rect v{};
         return d->GetRectData(v) && v.top == -1 && v.left == 2 && v.bottom == 300 &&
                v.right == -400;
       }},
      {"point", 10, 4,
       [](cPrefStockData* d) {
         d->SetupPointData(Point{-7, 9}, 1);
       },
       [](cPrefStockData* d) {
         Point v{};
         return d->GetPointData(v) && v.v == -7 && v.h == 9;
       }},
      {"Boolean", 11, 1, [](cPrefStockData* d) { d->SetupBooleanData(1, 1); },
       [](cPrefStockData* d) {
         unsigned char v = 0;
         return d->GetBooleanData(v) && v == 1;
       }},
      {"float", 12, 4, [](cPrefStockData* d) { d->SetupFloatData(3.25f, 1); },
       [](cPrefStockData* d) {
         float v = 0;
         return d->GetFloatData(v) && v == 3.25f;
       }},
      {"position", 8, 264,
       [](cPrefStockData* d) {
         sPerfFileDirInfo r{};
         r.vRefNum = -1;
         r.dirID = 0x12345678;
         std::strcpy(r.name, "Song.aiff");
         d->SetupFileDirInfoData(&r, 1);
       },
       [](cPrefStockData* d) {
         sPerfFileDirInfo v{};
         return d->GetFileDirInfoData(v) && v.vRefNum == -1 && v.dirID == 0x12345678 &&
                std::string(v.name) == "Song.aiff";
       }},
      {"extended position", 13, 268,
       [](cPrefStockData* d) {
         sPerfExtFileDirInfo r{};
         r.vRefNum = -2;
         r.dirID = 77;
         std::strcpy(r.name, "\x93\xFA\x96\x7B");
         r.userData = -5;
         d->SetupExtFileDirInfoData(&r, 1);
       },
       [](cPrefStockData* d) {
         sPerfExtFileDirInfo v{};
         return d->GetExtFileDirInfoData(v) && v.vRefNum == -2 && v.dirID == 77 &&
                std::string(v.name) == "\x93\xFA\x96\x7B" && v.userData == -5;
       }},
      {"date", 14, 28,
       [](cPrefStockData* d) {
         LongDateRec r{0, 2024, 2, 29, 23, 59, 58, 5, 60, 9, 1, 0, 0, -3};
         d->SetupDateTimeData(&r, 1);
       },
       [](cPrefStockData* d) {
         LongDateRec v{};
         return d->GetDateTimeData(v) && v.year == 2024 && v.day == 29 && v.second == 58 &&
                v.res3 == -3;
       }},
      {"position with kind", 15, 272,
       [](cPrefStockData* d) {
         sPerfExtFileDirTypeInfo r{};
         r.vRefNum = -1;
         r.dirID = 2;
         std::strcpy(r.name, "Folder");
         r.isFolder = 1;
         r.fileOrDirID = 4242;
         d->SetupExtFileDirTypeInfoData(&r, 1);
       },
       [](cPrefStockData* d) {
         sPerfExtFileDirTypeInfo v{};
         return d->GetExtFileDirTypeInfoData(v) && v.dirID == 2 &&
                std::string(v.name) == "Folder" && v.isFolder == 1 && v.fileOrDirID == 4242;
       }},
      {"FSRef", 16, 80,
       [](cPrefStockData* d) {
         FSRef r;
         for (int i = 0; i < 80; ++i) r.hidden[i] = UInt8(i * 3);
         d->SetupFSRefTypeInfoData(r, 1);
       },
       [](cPrefStockData* d) {
         FSRef v{};
         if (!d->GetFSRefTypeInfoData(v)) return false;
         for (int i = 0; i < 80; ++i) {
           if (v.hidden[i] != UInt8(i * 3)) return false;
         }
         return true;
       }},
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
  group->CreateUnderStockDataItem(kPrefStockDataType_String, 0)->SetupStringData("\x93\xFA", 1);
  group->CreateUnderStockDataItem(kPrefStockDataType_FlexArea, 0)->SetupFlexAreaData("\0\1", 2, 1);
  group->CreateUnderStockDataItem(kPrefStockDataType_None, 0);
  group->CreateUnderStockDataItem(kPrefStockDataType_Group, 0)->CreateUnderStockDataItem(0, 0);
  ASSERT_EQ(file_->SavePrefDataInFile(), noErr);

  cPrefStockFileObj* loaded =
      mgr_.CreateNewStockFileObj(SpFourCC("InDt"), &folder_, "MirrelboxPref", 0, 0);
  ASSERT_EQ(loaded->LoadPrefDataFromFile(), noErr);
  cPrefStockData* again = loaded->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Grup"), 1, 0);
  ASSERT_NE(again, nullptr);
  for (const FixedKind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    EXPECT_TRUE(kind.matches(again->GetTargetStockDataItemInUnderDataListByIdType(kind.type, 0)));
  }
  char text[8];
  unsigned char cut = 1;
  EXPECT_EQ(again->GetTargetStockDataItemInUnderDataListByIdType(2, 0)->GetStingData(text, 8, cut),
            1);
  EXPECT_STREQ(text, "\x93\xFA");
  EXPECT_EQ(
      again->GetTargetStockDataItemInUnderDataListByIdType(3, 0)->GetFlexAreaData(text, 8, cut), 1);
  EXPECT_EQ(std::memcmp(text, "\0\1", 2), 0);
  EXPECT_EQ(again->GetTargetStockDataItemInUnderDataListByIdType(0, 0)->GetStockDataType(), 0);
  cPrefStockData* inner = again->GetTargetStockDataItemInUnderDataListByIdType(1, 0);
  EXPECT_EQ(inner->GetStockDataType(), kPrefStockDataType_Group);
  EXPECT_NE(inner->GetStockTopUnderDataListHead(), nullptr);
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
  item_->SetupPointData(Point{1, 2}, 0);
  EXPECT_FALSE(item_->GetLongData(untouched));
  EXPECT_EQ(untouched, 99);
}

TEST_F(PreferenceStockItem, StringsReuseABlockOfTheSameLengthAndCutToTheBuffer) {
  item_->SetupLongData(1, 1);
  item_->SetupStringData("", 1);
  EXPECT_EQ(item_->GetStockDataType(), kPrefStockDataType_String);
  EXPECT_EQ(item_->GetDataSize(), 0);
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

  EXPECT_EQ(item_->GetStingData(buffer, 4, cut), 1);
  EXPECT_STREQ(buffer, "uvw");
  EXPECT_EQ(cut, 1);
  EXPECT_EQ(item_->GetStingData(buffer, 7, cut), 1);
  EXPECT_STREQ(buffer, "uvwxyz");
  EXPECT_EQ(cut, 0);
  EXPECT_EQ(item_->GetStingData(buffer, 0, cut), 0) << "no room for the terminator";
  EXPECT_EQ(item_->GetStingData(nullptr, 4, cut), 0);
  EXPECT_TRUE(log_.Has("cPrefStockData::GetStingData", 2));
}

TEST_F(PreferenceStockItem, FlexAreaIntoALargerBufferIsAWholeCopy) {
  std::vector<char> block(40);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = char(i);
  item_->SetupFlexAreaData(block.data(), 40, 1);
  struct Row {
    SInt32 size;
    unsigned char result, cut;
    std::size_t copied;
  } rows[] = {{100, 1, 0, 40}, {40, 1, 0, 40}, {10, 0, 1, 10}, {0, 0, 1, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    std::vector<char> out(100, '\x7F');
    unsigned char cut = 9;
    EXPECT_EQ(item_->GetFlexAreaData(out.data(), row.size, cut), row.result);
    EXPECT_EQ(cut, row.cut);
    EXPECT_EQ(std::memcmp(out.data(), block.data(), row.copied), 0);
    EXPECT_EQ(out[row.copied], '\x7F');
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
  EXPECT_EQ(group->GetStockDataType(), kPrefStockDataType_Group);
  EXPECT_EQ(group->CreateUnderStockDataItem(SpFourCC("B   "), 0), b)
      << "the existing child comes back";
  EXPECT_EQ(group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("C   "), 0), c);
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

TEST_F(PreferenceStockItem, GroupLookupTakesAnItemWithoutValueButNotOneWithAValue) {
  cPrefStockData* empty = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("MMgr"), 1, 1);
  EXPECT_EQ(file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("MMgr"), 1, 1), empty);
  item_->SetupLongData(3, 1);
  cPrefStockData* group = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Item"), 1, 1);
  EXPECT_NE(group, item_);
  EXPECT_EQ(file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Item"), 0, 0), item_);
  EXPECT_EQ(file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("None"), 0, 0), nullptr);
}

TEST_F(PreferenceStockItem, ReferenceNumbersAreNeverGivenTwiceEvenByALaterManager) {
  std::vector<UInt32> seen{item_->GetReferenceNo()};
  for (int i = 0; i < 5; ++i) {
    seen.push_back(item_->CreateUnderStockDataItem(i, 1)->GetReferenceNo());
  }
  cPrefStockData* last = item_->GetStockTopUnderDataListHead()->GetLastObjectPtr();
  EXPECT_EQ(mgr_.GetTargetRefNumStockDataItemInTotalList(last->GetReferenceNo()), last);
  file_->ClearPrefData();
  EXPECT_EQ(mgr_.GetTargetRefNumStockDataItemInTotalList(seen.back()), nullptr);

  // A manager made while another one is global is no global one; items still join the
  // global one's list.
  cPrefStockMgr* second = new cPrefStockMgr();
  EXPECT_EQ(Sp_GetPreferenceStockMgrPtr(0), &mgr_);
  EXPECT_TRUE(log_.Has("cPrefStockMgr::cPrefStockMgr", 1));
  delete second;

  mgr_.~cPrefStockMgr();  // the global manager goes; a new one takes its place
  new (&mgr_) cPrefStockMgr();
  file_ = mgr_.CreateNewStockFileObj(SpFourCC("InDt"), &folder_, "Other", SpFourCC("Zqcd"),
                                     SpFourCC("preF"));
  cPrefStockData* later = file_->GetTargetStockDataItemInPrefTopDataList(SpFourCC("Late"), 0, 1);
  for (UInt32 reference : seen) EXPECT_NE(later->GetReferenceNo(), reference);
  EXPECT_GT(later->GetReferenceNo(), seen.back());
}

TEST_F(PreferenceStockItem, ManyManagersRegisterOneDisposeProcedure) {
  DisposeRecorder registry;  // takes over what the first manager registered
  const std::size_t before = registry.Registered().size();
  { cPrefStockMgr second; }
  cPrefStockMgr* third = Sp_GetPreferenceStockMgrPtr(1);
  EXPECT_EQ(third, &mgr_);
  EXPECT_EQ(registry.Registered().size(), before);
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
