#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DisposeRecorder.h"
#include "ErrorLogCapture.h"
#include "Script.h"
#include "SpGeneralStringObject.h"
#include "SpTesting.h"

namespace {

// Item count, length and the chain's ends agree; every item keeps its NUL and none is empty.
::testing::AssertionResult IsConsistent(const sSO_StringObjectBase* obj) {
  SInt32 count = 0, length = 0;
  const sSO_StringItemObject* previous = nullptr;
  for (const sSO_StringItemObject* item = obj->firstItem; item != nullptr; item = item->next) {
    if (item->previous != previous || item->used <= 0 || item->used > 64 ||
        item->text[item->used] != 0)
      return ::testing::AssertionFailure() << "item " << count << " broken";
    ++count;
    length += item->used;
    previous = item;
  }
  if (obj->lastItem != previous || obj->itemCount != count || obj->length != length)
    return ::testing::AssertionFailure() << "count " << obj->itemCount << " vs " << count;
  return ::testing::AssertionSuccess();
}

std::string TextOf(const sSO_StringObjectBase* obj) {
  std::vector<char> buffer(std::size_t(obj->length) + 1);
  unsigned char cut = 9;
  SpSO_GetData(obj, buffer.data(), obj->length, cut);
  EXPECT_EQ(cut, 0);
  return std::string(buffer.data(), std::size_t(obj->length));
}

// Every test starts from empty pools and leaves none behind.
class StringObject : public ::testing::Test {
 protected:
  void SetUp() override { SpSO_DisposeStringObjectManager(0); }
  void TearDown() override {
    sp_testing::FailNthAllocation(0);
    ResetPools();
  }
  void ResetPools() {
    for (sSO_StringObjectBase*& obj : made_) SpSO_DisposeStringObject(obj);
    made_.clear();
    SpSO_DisposeStringObjectManager(0);
  }
  sSO_StringObjectBase* Make(const std::string& text) {
    sSO_StringObjectBase* obj = SpSO_NewStringObject();
    SpSO_strcopy(obj, text.c_str());
    made_.push_back(obj);
    return obj;
  }
  static SInt32 FreeItems() { return stringItemBlockMgrPtr_GlV->CountFreeSlots(); }

  std::vector<sSO_StringObjectBase*> made_;
};

}  // namespace

TEST_F(StringObject, ItemBoundariesGiveTheRightItemCount) {
  const SInt32 cases[][2] = {{0, 0}, {1, 1}, {64, 1}, {65, 2}, {128, 2}, {129, 3}, {1000, 16}};
  for (const auto& c : cases) {
    sSO_StringObjectBase* obj = Make(std::string(std::size_t(c[0]), 'x'));
    EXPECT_EQ(obj->itemCount, c[1]) << c[0];
    EXPECT_EQ(SpSO_GetStringLen(obj), c[0]);
    if (c[0] > 0) {
      EXPECT_TRUE(IsConsistent(obj));
    }
  }
}

TEST_F(StringObject, ReadOutNeverWritesPastSizeAndFlagsEveryCut) {
  struct Case {
    std::string text;
    SInt32 size;
    std::string expected;
    unsigned char cut;
  } cases[] = {
      {"ab", 3, "a", 1},
      {"abc", 5, "abc", 0},
      {"abcd", 5, "abc", 1},
      {std::string(64, 'x') + "yz", 67, std::string(64, 'x') + "y", 1},  // across an item
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(std::size_t(c.size) + 4, '#');
    unsigned char cut = 9;
    SpSO_GetString(Make(c.text), buffer.data(), c.size, cut);
    EXPECT_EQ(std::string(buffer.data()), c.expected) << c.text;
    EXPECT_EQ(buffer[std::size_t(c.size)], '#') << "wrote past size";
    EXPECT_EQ(cut, c.cut);
  }
}

TEST_F(StringObject, ComparesBytesAsSignedValues) {
  struct Case {
    const char* object;
    const char* text;
    SInt32 n;  // 0: strcmp
    short expected;
  } cases[] = {
      {"", nullptr, 0, 0},    {"", "", 0, 0},         {"a", "", 0, 1},       {"", "a", 0, -1},
      {"abc", "abd", 0, -1},  {"abc", "ab", 0, 1},    {"ab", "abc", 0, -1},  {"\x80", "a", 0, -1},
      {"abc\r", "abc", 3, 0}, {"abc\r", "abc", 4, 1}, {"xyz", "abc", -1, 0}, {"ab", "abc", 2, 0},
  };
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make(c.object);
    short result = c.n == 0 ? SpSO_strcmp(obj, c.text) : SpSO_strncmp(obj, c.text, c.n);
    EXPECT_EQ(result, c.expected) << c.object << " vs " << (c.text ? c.text : "null");
  }
  const std::string longer(64, 'a');
  EXPECT_EQ(SpSO_strcmp(Make(longer + "b"), (longer + "c").c_str()), -1);  // in the second item
}

TEST_F(StringObject, PoolRunningDryDuringAnAppendKeepsTheString) {
  // "hello" holds one item of the first block; a text of 200 more items needs a second block,
  // whose memory is refused.
  const std::string big(200 * 64, 'z');
  enum Kind { kText, kRange, kWhole, kRangeIntoEmpty };
  for (Kind kind : {kText, kRange, kWhole, kRangeIntoEmpty}) {
    SCOPED_TRACE(kind);
    ResetPools();
    sSO_StringObjectBase* source = Make(std::string(150 * 64, 's'));
    sSO_StringObjectBase* obj = Make(kind == kRangeIntoEmpty ? "" : "hello");
    SInt32 freeBefore = FreeItems();
    ErrorLogCapture log;
    sp_testing::FailNthAllocation(1);
    if (kind == kText) SpSO_strcat(obj, big.c_str());
    if (kind == kRange || kind == kRangeIntoEmpty) SpSO_strncat(obj, source, 0, 0);
    if (kind == kWhole) SpSO_strcat(obj, source);
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(TextOf(obj), kind == kRangeIntoEmpty ? "" : "hello");
    EXPECT_EQ(FreeItems(), freeBefore) << "items taken for the append went back";
    EXPECT_TRUE(log.Has("cSO_StringItemBlock::SetupNewBlockMemoryArea", 1));
    ASSERT_EQ(log.Count(), 2u);
    EXPECT_EQ(log.Records()[1].message,
              kind == kRangeIntoEmpty ? "can not Allocated memory" : "no comment");
  }
}

TEST_F(StringObject, DoubleDisposeIsLoggedOnceAndLeavesTheFreeListWhole) {
  sSO_StringObjectBase* obj = SpSO_NewStringObject();
  sSO_StringObjectBase* copy = obj;
  SpSO_DisposeStringObject(obj);
  ErrorLogCapture log;
  SpSO_DisposeStringObject(copy);
  SpSO_DisposeStringObject(obj);  // already null: nothing
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Records()[0].method, "cStringObjectBlock::PutBackStructPtr");
  // All 200 slots can be handed out again, each once.
  std::vector<sSO_StringObjectBase*> all;
  for (int i = 0; i < 200; ++i) all.push_back(SpSO_NewStringObject());
  EXPECT_EQ(StringObjBlockMgrPtr_GlV->CountBlocks(), 1);
  for (sSO_StringObjectBase*& o : all) SpSO_DisposeStringObject(o);
}

TEST_F(StringObject, WhollyFreeBlockGoesOnlyWithMoreThanAHundredFreeElsewhere) {
  for (int freed : {100, 101}) {
    ResetPools();
    std::vector<sSO_StringObjectBase*> objects;
    for (int i = 0; i < 400; ++i) objects.push_back(SpSO_NewStringObject());
    for (int i = 0; i < freed; ++i) SpSO_DisposeStringObject(objects[i]);
    for (int i = 200; i < 400; ++i) SpSO_DisposeStringObject(objects[i]);
    EXPECT_EQ(StringObjBlockMgrPtr_GlV->CountBlocks(), freed == 100 ? 2 : 1) << freed;
    for (sSO_StringObjectBase*& o : objects) SpSO_DisposeStringObject(o);
  }
}

TEST_F(StringObject, PoolsRegisterTheirDisposalOnceAndItDeletesThem) {
  DisposeRecorder registry;
  const std::size_t before = registry.Registered().size();
  SpSO_NewStringItemObjPtr();
  SpSO_NewStringObject();
  ASSERT_EQ(registry.Registered().size(), before + 1);
  EXPECT_EQ(registry.Registered().back().order, 100);
  registry.Registered().back().proc(0);
  EXPECT_EQ(stringItemBlockMgrPtr_GlV, nullptr);
  EXPECT_EQ(StringObjBlockMgrPtr_GlV, nullptr);
}
