#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpCollectionObject.h"
#include "SpTesting.h"

namespace {

// The values from position 1 on, checking that the positions run 1, 2, 3 ...
std::vector<unsigned long> ValuesOf(const cSp_uLongCollection& c) {
  std::vector<unsigned long> values;
  for (SInt32 p = 1;; ++p) {
    unsigned long v = 0;
    if (!c.GetValue(p, v)) break;
    values.push_back(v);
  }
  EXPECT_EQ(SInt32(values.size()), c.GetNumberOfItem());
  return values;
}

cSp_uLongCollection& Fill(cSp_uLongCollection& c, std::vector<unsigned long> values) {
  for (unsigned long v : values) c.SetValue(-1, v);
  return c;
}

typedef std::vector<unsigned long> Values;

}  // namespace

TEST(ULongCollection, SetValueAppendsForEveryPositionButZero) {
  struct Case {
    Values before;
    SInt32 position;
    Values after;
    unsigned long cursorValue;
  } cases[] = {
      {{}, 5, {9}, 9},                  // an empty collection: head, cursor set
      {{1, 2}, 0, {9, 1, 2}, 9},        // position 0: head, cursor set
      {{1, 2, 3}, 2, {1, 2, 3, 9}, 1},  // appended; the cursor stays on the first head
      {{1, 2}, -1, {1, 2, 9}, 1},
      {{1}, -1, {1, ~0ul}, 1},  // pointer-sized values are kept whole
  };
  for (const Case& c : cases) {
    cSp_uLongCollection collection;
    Fill(collection, c.before);
    collection.SetValue(c.position, c.after.back() == 9 || c.position >= 0 ? 9 : ~0ul);
    EXPECT_EQ(ValuesOf(collection), c.after);
    unsigned long v = 0;
    EXPECT_TRUE(collection.GetCurrentItemOnSequentialRef(v, 0));
    EXPECT_EQ(v, c.cursorValue);
    EXPECT_EQ(collection.GetCurrentItemNoOnSequentialRef(), 1);
  }
}

TEST(ULongCollection, DeleteValueRenumbersTheRest) {
  struct Case {
    Values before;
    SInt32 position;
    bool result;
    Values after;
  } cases[] = {
      {{1, 2, 3}, 1, true, {2, 3}}, {{1, 2, 3}, 2, true, {1, 3}}, {{1, 2, 3}, 3, true, {1, 2}},
      {{1, 2}, 3, false, {1, 2}},   {{1, 2}, 0, false, {1, 2}},
  };
  for (const Case& c : cases) {
    cSp_uLongCollection collection;
    Fill(collection, c.before);
    EXPECT_EQ(collection.DeleteValue(c.position), c.result);
    EXPECT_EQ(ValuesOf(collection), c.after);
    SInt32 position = -1;
    if (!c.after.empty()) {
      EXPECT_TRUE(collection.CheckTargetValueExist(c.after.back(), &position));
      EXPECT_EQ(position, SInt32(c.after.size()));
    }
  }
}

TEST(ULongCollection, CursorOnADeletedItemDoesNotDangle) {
  cSp_uLongCollection collection;
  Fill(collection, {10, 20});
  collection.InitialSetupSequentialReference();
  collection.DeleteValue(1);
  unsigned long v = 0;
  EXPECT_FALSE(collection.GetCurrentItemOnSequentialRef(v, 1));
  collection.InitialSetupSequentialReference();
  collection.ClearAllListItem();
  EXPECT_FALSE(collection.GetCurrentItemOnSequentialRef(v, 1));
}

TEST(ULongCollection, FiftyFirstItemMakesABlockAndClearingDeletesThem) {
  cSp_uLongCollectionItemBlockMgr* manager = Sp_GetLongCollectionManager();
  ASSERT_EQ(manager->CountBlocks(), 0) << "an earlier test left items in use";
  cSp_uLongCollection collection;
  for (unsigned long i = 0; i < 50; ++i) collection.SetValue(-1, i);
  EXPECT_EQ(manager->CountBlocks(), 1);
  collection.SetValue(-1, 50);
  EXPECT_EQ(manager->CountBlocks(), 2);
  collection.DeleteValue(51);
  EXPECT_EQ(manager->CountBlocks(), 1);
  collection.ClearAllListItem();
  EXPECT_EQ(manager->CountBlocks(), 0);
}

TEST(StringCollection, PositionsBeyondSixteenBitsWork) {
  cSp_StringCollection collection;
  for (int i = 0; i < 33000; ++i) collection.AddStringData(std::to_string(i).c_str());
  SInt32 position = 0;
  EXPECT_TRUE(collection.GetTargetStringRefNum("32999", position));
  EXPECT_EQ(position, 33000);
  collection.DeleteValue(1);
  EXPECT_TRUE(collection.GetTargetStringRefNum("32999", position));
  EXPECT_EQ(position, 32999);
}

TEST(StringCollection, APositionInsertsAfterThatItemAndTheLongestTextIsKnown) {
  const struct {
    SInt32 position;
    const char* text;
    const char* after;
  } steps[] = {
      {-1, "b", "b"},
      {0, "a", "a b"},
      {1, "ab", "a ab b"},
      {2, "abc", "a ab abc b"},
      {4, "c", "a ab abc b c"},
      {5, "d", "a ab abc b c d"},
      {9, "e", "a ab abc b c d e"},
  };
  cSp_StringCollection collection;
  for (const auto& s : steps) {
    collection.SetValue(s.position, s.text);
    std::string texts;
    char buffer[16];
    unsigned char overflow = 0;
    for (SInt32 p = 1; collection.GetValue(p, buffer, sizeof buffer, overflow); ++p) {
      texts += (p > 1 ? " " : "") + std::string(buffer);
    }
    EXPECT_EQ(texts, s.after) << "at " << s.position;
  }
  EXPECT_EQ(collection.GetMaxStringLength(), 3);
}

namespace {

// Gives one item back twice while another of its block stays in use: the second time is
// reported once and changes nothing, so the pool never hands one item to two callers.
template <class Manager, class Item>
void GiveBackTwice(Manager* manager, void (*giveBack)(Item*), const char* method) {
  SCOPED_TRACE(method);
  ASSERT_NE(manager, nullptr);
  Item* kept = manager->GetNewItemPtr();
  Item* twice = manager->GetNewItemPtr();
  ASSERT_NE(kept, nullptr);
  ASSERT_NE(twice, nullptr);
  ASSERT_EQ(kept->block, twice->block);
  ErrorLogCapture log;
  giveBack(twice);
  EXPECT_EQ(log.Count(), 0u);
  giveBack(twice);
  EXPECT_EQ(log.Count(), 1u);
  EXPECT_TRUE(log.Has(method, 1));
  // More items than a block holds: none is handed out twice, nor the one still in use.
  std::set<Item*> taken = {kept};
  std::vector<Item*> order;
  for (int i = 0; i < 2 * kSp_CollectionBlockItemCount; ++i) {
    Item* item = manager->GetNewItemPtr();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(taken.insert(item).second) << "item " << i << " was handed out already";
    if (taken.size() == order.size() + 2) order.push_back(item);
  }
  for (Item* item : order) giveBack(item);
  giveBack(kept);
  EXPECT_EQ(log.Count(), 1u);
}

}  // namespace

TEST(CollectionPools, AnItemGivenBackTwiceIsReportedOnceAndNeverHandedOutTwice) {
  GiveBackTwice(Sp_GetLongCollectionManager(), Sp_DeleteLongCollectionItem,
                "cSp_uLongCollectionItemBlock::PutBackStructPtr");
  GiveBackTwice(Sp_GetStringCollectionManager(), Sp_DeleteStringCollectionItem,
                "cSp_StringCollectionItemBlock::PutBackStructPtr");
}

// A block whose memory is refused answers the memory error and is reported; a collection
// then gets no item and stays as it was, and the next block gets its memory again.
TEST(CollectionPools, ABlockWithoutMemoryAnswersTheMemoryError) {
  struct Case {
    const char* method;
    std::function<OSErr()> setUp;
  } cases[] = {
      {"cSp_uLongCollectionItemBlock::SetupNewBlockMemoryArea",
       [] {
         cSp_uLongCollectionItemBlock block(nullptr);
         return block.SetupNewBlockMemoryArea(kSp_CollectionBlockItemCount);
       }},
      {"cSp_StringCollectionItemBlock::SetupNewBlockMemoryArea",
       [] {
         cSp_StringCollectionItemBlock block(nullptr);
         return block.SetupNewBlockMemoryArea(0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    ErrorLogCapture log;
    sp_testing::FailNthAllocation(1);
    EXPECT_EQ(c.setUp(), memFullErr);
    sp_testing::FailNthAllocation(0);
    EXPECT_TRUE(log.Has(c.method, 1));
    EXPECT_EQ(c.setUp(), noErr);
  }
}
