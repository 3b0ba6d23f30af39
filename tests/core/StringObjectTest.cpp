#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Script.h"
#include "DisposeRecorder.h"
#include "SpGeneralStringObject.h"
#include "SpTesting.h"

namespace {

// Item count, length and the chain's ends agree; every item keeps its NUL; after a
// compaction no item is empty.
::testing::AssertionResult IsConsistent(const sSO_StringObjectBase* obj, bool noEmptyItems = true) {
  SInt32 count = 0;
  SInt32 length = 0;
  const sSO_StringItemObject* previous = nullptr;
  for (const sSO_StringItemObject* item = obj->firstItem; item != nullptr; item = item->next) {
    if (item->previous != previous) return ::testing::AssertionFailure() << "broken back link";
    if (item->used < 0 || item->used > 64) return ::testing::AssertionFailure() << "used";
    if (noEmptyItems && item->used == 0) return ::testing::AssertionFailure() << "empty item";
    if (item->text[item->used] != 0) return ::testing::AssertionFailure() << "no NUL";
    ++count;
    length += item->used;
    previous = item;
  }
  if (obj->lastItem != previous) return ::testing::AssertionFailure() << "last item";
  if (obj->itemCount != count) {
    return ::testing::AssertionFailure() << "item count " << obj->itemCount << " vs " << count;
  }
  if (obj->length != length) {
    return ::testing::AssertionFailure() << "length " << obj->length << " vs " << length;
  }
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
  void SetUp() override {
    sp_testing::FailNthAllocation(0);
    SpSO_DisposeStringObjectManager(0);
  }
  void TearDown() override {
    sp_testing::FailNthAllocation(0);
    ResetPools();
  }
  // Gives back the objects made so far and deletes the pools.
  void ResetPools() {
    for (sSO_StringObjectBase*& obj : made_) SpSO_DisposeStringObject(obj);
    made_.clear();
    SpSO_DisposeStringObjectManager(0);
  }
  sSO_StringObjectBase* Make(const std::string& text) {
    sSO_StringObjectBase* obj = SpSO_NewStringObject();
    EXPECT_NE(obj, nullptr);
    SpSO_strcopy(obj, text.c_str());
    made_.push_back(obj);
    return obj;
  }
  static SInt32 FreeItems() { return stringItemBlockMgrPtr_GlV->CountFreeSlots(); }

  std::vector<sSO_StringObjectBase*> made_;
};

}  // namespace

TEST_F(StringObject, ItemBoundariesGiveTheRightItemCount) {
  struct Case {
    SInt32 length;
    SInt32 items;
  } cases[] = {{0, 0}, {1, 1}, {63, 1}, {64, 1}, {65, 2}, {128, 2}, {129, 3}, {1000, 16}};
  for (const Case& c : cases) {
    std::string text(std::size_t(c.length), 'x');
    sSO_StringObjectBase* obj = Make(text);
    EXPECT_EQ(obj->itemCount, c.items) << c.length;
    EXPECT_EQ(SpSO_GetStringLen(obj), c.length);
    EXPECT_TRUE(IsConsistent(obj));
    EXPECT_EQ(TextOf(obj), text);
  }
}

TEST_F(StringObject, ReadOutNeverWritesPastSizeAndFlagsEveryCut) {
  struct Case {
    const char* text;
    SInt32 size;
    const char* expected;
    unsigned char cut;
  } cases[] = {
      {"", 3, "", 0},       {"a", 3, "a", 0},      {"ab", 3, "a", 1},
      {"abc", 5, "abc", 0}, {"abcd", 5, "abc", 1},
  };
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make(c.text);
    std::vector<char> buffer(std::size_t(c.size) + 4, '#');
    unsigned char cut = 9;
    SpSO_GetString(obj, buffer.data(), c.size, cut);
    EXPECT_STREQ(buffer.data(), c.expected) << c.text << " size " << c.size;
    EXPECT_EQ(buffer[std::strlen(c.expected) + 1], 0) << "second NUL";
    EXPECT_EQ(buffer[std::size_t(c.size)], '#') << "wrote past size";
    EXPECT_EQ(cut, c.cut) << c.text << " size " << c.size;
  }
}

TEST_F(StringObject, RangeReadOutCrossesItemsAndClipsToTheText) {
  std::string text;
  for (int i = 0; i < 130; ++i) text += char('A' + i % 26);
  sSO_StringObjectBase* obj = Make(text);
  struct Case {
    SInt32 start, length, size;
    std::string expected;
    unsigned char cut;
  } cases[] = {
      {60, 10, 20, text.substr(60, 10), 0},  // across the first item boundary
      {60, 10, 7, text.substr(60, 5), 1},
      {125, 10, 20, text.substr(125), 0},  // past the end: only existing bytes are wanted
      {-3, 5, 20, text.substr(0, 2), 0},
      {200, 5, 20, "", 0},
  };
  for (const Case& c : cases) {
    char buffer[32];
    unsigned char cut = 9;
    SpSO_GetTargetAreaString(obj, buffer, c.size, c.start, c.length, cut);
    EXPECT_EQ(std::string(buffer), c.expected) << c.start;
    EXPECT_EQ(cut, c.cut) << c.start;
  }
  char data[70];
  unsigned char cut = 0;
  SpSO_GetData(obj, data, 70, cut);
  EXPECT_EQ(std::string(data, 70), text.substr(0, 70));
  EXPECT_EQ(cut, 1);
}

TEST_F(StringObject, InsertionPutsTextAtEveryKindOfPosition) {
  const std::string full(64, 'a');  // one full item
  const std::string two = std::string(64, 'a') + std::string(20, 'b');
  struct Case {
    std::string base;
    SInt32 position;
    std::string text;
    const char* why;
  } cases[] = {
      {"hello", 0, "XY", "front, room in the first item"},
      {full, 0, "XY", "front, first item full: a chain in front"},
      {"hello", 2, "XY", "inside, room in the item"},
      {full, 10, "XY", "split, text fits the first half"},
      {full, 60, std::string(10, 'Z'), "split, text fits the second half"},
      {full, 32, std::string(40, 'Z'), "split, a chain between the halves"},
      {full, 32, std::string(200, 'Z'), "split, a long chain between the halves"},
      {two, 64, "XY", "first byte of a later item"},
      {two, 64, std::string(50, 'Z'), "first byte of a full later item"},
      {"hello", 5, "XY", "at the length: appends"},
      {"hello", 99, "XY", "beyond the length: appends"},
      {"hello", -1, "XY", "negative: appends"},
      {"", 3, "XY", "empty string takes the text"},
  };
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make(c.base);
    SpSO_InsertString(obj, c.position, c.text.c_str());
    std::string expected = c.base;
    SInt32 at =
        c.position < 0 || c.position > SInt32(c.base.size()) ? SInt32(c.base.size()) : c.position;
    expected.insert(std::size_t(at), c.text);
    EXPECT_EQ(TextOf(obj), expected) << c.why;
    EXPECT_TRUE(IsConsistent(obj)) << c.why;
  }
}

TEST_F(StringObject, PositionsBeyondSixteenBitsWork) {
  std::string text(40000, 'a');
  text[35000] = '!';
  sSO_StringObjectBase* obj = Make(text);
  SInt32 found = 0;
  EXPECT_EQ(SpSO_SerchTargetCharactor(obj, '!', 33000, -1, &found), 1);
  EXPECT_EQ(found, 35000);
  SpSO_InsertString(obj, 34000, "XY");
  text.insert(34000, "XY");
  EXPECT_EQ(TextOf(obj), text);
  SpSO_CutDownBetweenString(obj, 39000, 33000);
  text.erase(33000, 6000);
  EXPECT_EQ(TextOf(obj), text);
  EXPECT_TRUE(IsConsistent(obj));
}

TEST_F(StringObject, CutsRemoveExactlyTheirBytes) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += char('0' + i % 10);
  enum Kind { kKeep, kRemoveFront, kBetween };
  struct Case {
    Kind kind;
    SInt32 a, b;
    std::string expected;
    const char* why;
  } cases[] = {
      {kKeep, 0, 0, "", "keep 0 empties"},
      {kKeep, 10, 0, text.substr(0, 10), "keep inside the first item"},
      {kKeep, 64, 0, text.substr(0, 64), "keep up to an item boundary"},
      {kKeep, 200, 0, text, "keep the length: unchanged"},
      {kKeep, 500, 0, text, "keep beyond: unchanged"},
      {kRemoveFront, 3, 0, text.substr(3), "remove three"},
      {kRemoveFront, 64, 0, text.substr(64), "remove a whole item"},
      {kRemoveFront, 100, 0, text.substr(100), "remove into the second item"},
      {kRemoveFront, 200, 0, "", "remove all"},
      {kRemoveFront, 201, 0, text, "remove beyond: unchanged"},
      {kBetween, 5, 2, text.substr(0, 2) + text.substr(5), "offsets in either order"},
      {kBetween, 10, 140, text.substr(0, 10) + text.substr(140), "whole items go"},
      {kBetween, 70, 80, text.substr(0, 70) + text.substr(80), "inside one item"},
      {kBetween, 60, 70, text.substr(0, 60) + text.substr(70), "across a boundary"},
      {kBetween, 150, 900, text.substr(0, 150), "end clipped to the length"},
  };
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make(text);
    if (c.kind == kKeep) SpSO_CutDownString(obj, c.a);
    if (c.kind == kRemoveFront) SpSO_CutDownBeforeString(obj, c.a);
    if (c.kind == kBetween) SpSO_CutDownBetweenString(obj, c.a, c.b);
    EXPECT_EQ(TextOf(obj), c.expected) << c.why;
    EXPECT_TRUE(IsConsistent(obj)) << c.why;
  }
}

TEST_F(StringObject, BadCutsAreRefusedAndChangeNothing) {
  sSO_StringObjectBase* empty = Make("");
  sSO_StringObjectBase* obj = Make("abcdef");
  ErrorLogCapture log;
  SpSO_CutDownString(empty, 1);
  SpSO_CutDownString(obj, -1);
  SpSO_CutDownBeforeString(obj, 0);
  SpSO_CutDownBetweenString(obj, 1, -1);
  SpSO_InsertString(obj, 1, "");
  EXPECT_EQ(log.Count(), 5u);
  EXPECT_TRUE(log.Has("SpSO_InsertString", 1));
  EXPECT_EQ(TextOf(obj), "abcdef");
}

TEST_F(StringObject, ComparesBytesAsSignedValues) {
  struct Case {
    const char* object;
    const char* text;
    SInt32 n;  // 0: strcmp
    short expected;
  } cases[] = {
      {"", nullptr, 0, 0},   {"", "", 0, 0},        {"a", "", 0, 1},        {"", "a", 0, -1},
      {"abc", "abc", 0, 0},  {"abc", "abd", 0, -1}, {"abc", "ab", 0, 1},    {"ab", "abc", 0, -1},
      {"\x80", "a", 0, -1},  {"a", "\x80", 0, 1},   {"abc\r", "abc", 3, 0}, {"abc\r", "abc", 4, 1},
      {"xyz", "abc", -1, 0}, {"ab", "abc", 2, 0},
  };
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make(c.object);
    short result = c.n == 0 ? SpSO_strcmp(obj, c.text) : SpSO_strncmp(obj, c.text, c.n);
    EXPECT_EQ(result, c.expected) << c.object << " vs " << (c.text ? c.text : "null");
  }
  std::string longer(64, 'a');
  sSO_StringObjectBase* a = Make(longer + "b");
  EXPECT_EQ(SpSO_strcmp(a, (longer + "c").c_str()), -1);  // decided in the second item
}

TEST_F(StringObject, LineRunningIntoTheNextItemIsReported) {
  sSO_StringObjectBase* obj = Make("ab\r" + std::string(70, 'c') + "\rd");
  char buffer[100];
  unsigned char cut = 0;
  EXPECT_EQ(SpSO_GetLineString(obj, 1, 1, buffer, sizeof buffer, cut), 0);
  EXPECT_EQ(SpSO_GetLineString(obj, 2, 1, buffer, sizeof buffer, cut), 1);
  EXPECT_EQ(std::string(buffer), std::string(70, 'c'));
}

TEST_F(StringObject, WidthReadOutNeverEndsInsideATwoByteCharacter) {
  struct Case {
    const char* text;
    SInt32 size;
    SInt32 length;
    unsigned char cut;
  } cases[] = {
      {"ab\x82\xA0", 5, 2, 1},        // cut after a first byte: dropped
      {"ab\x82\xA0", 6, 4, 0},        // all of it
      {"abc\x82\xA0", 5, 3, 1},       // cut between characters
      {"\x8E\x8E\x82\xA0", 5, 2, 1},  // a second byte that looks like a first byte
      {"\x82\xA0\x8E\x8E", 5, 2, 1},  // a first byte after a whole character
  };
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make(c.text);
    char buffer[16];
    SInt32 length = -1;
    unsigned char cut = 9;
    SpSO_GetStringWidthScriptCode(obj, buffer, c.size, 0, smSystemScript, length, cut);
    EXPECT_EQ(length, c.length) << c.size;
    EXPECT_EQ(cut, c.cut);
    EXPECT_EQ(buffer[length], 0);
    EXPECT_EQ(buffer[length + 1], 0);
  }
  char buffer[4];
  SInt32 length = -1;
  unsigned char cut = 9;
  SpSO_GetStringWidthScriptCode(nullptr, buffer, 4, 0, smSystemScript, length, cut);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(cut, 0);
  SpSO_GetStringWidthScriptCode(Make("abc"), buffer, 2, 0, smSystemScript, length, cut);
  EXPECT_EQ(cut, 1);
}

TEST_F(StringObject, CaseChangeKeepsTwoByteCharactersAcrossItemBoundaries) {
  // The second byte 0x61 of the character 0x82 0x61 starts the second item (and, in the long
  // text, the second conversion chunk); it must not be taken for an 'a'.
  const std::string twoByte = "\x82\x61";
  struct Case {
    std::string text;
    std::string upper;
  } cases[] = {
      {std::string(63, 'a') + twoByte + "b", std::string(63, 'A') + twoByte + "B"},
      {std::string(1023, 'a') + twoByte + "b", std::string(1023, 'A') + twoByte + "B"},
  };
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make(c.text);
    SpSO_UpperText(obj);
    EXPECT_EQ(TextOf(obj), c.upper);
    SpSO_LowerText(obj);
    EXPECT_EQ(TextOf(obj), c.text);
  }
  sSO_StringObjectBase* obj = Make("abcdef");
  SpSO_UpperText(obj, 2, 4);
  EXPECT_EQ(TextOf(obj), "abCDef");
}

TEST_F(StringObject, CopyOntoItselfKeepsTheText) {
  sSO_StringObjectBase* obj = Make(std::string(100, 'x') + "end");
  SpSO_strcopy(obj, obj);
  EXPECT_EQ(TextOf(obj), std::string(100, 'x') + "end");
  SpSO_strncopy(obj, obj, 98, 4);
  EXPECT_EQ(TextOf(obj), "xxen");
  SpSO_strcat(obj, obj);
  EXPECT_EQ(TextOf(obj), "xxenxxen");
  SpSO_strncat(obj, obj, 2, 0);
  EXPECT_EQ(TextOf(obj), "xxenxxenenxxen");
  EXPECT_TRUE(IsConsistent(obj));
}

TEST_F(StringObject, PoolRunningDryDuringAnAppendKeepsTheString) {
  // "hello" holds one item of the first block; a text of 200 more items needs a second block,
  // whose memory is refused.
  const std::string big(200 * 64, 'z');
  enum Kind { kText, kRange, kWhole, kRangeIntoEmpty };
  for (Kind kind : {kText, kRange, kWhole, kRangeIntoEmpty}) {
    ResetPools();
    sSO_StringObjectBase* source = SpSO_NewStringObject();
    sSO_StringObjectBase* obj = Make(kind == kRangeIntoEmpty ? "" : "hello");
    if (kind != kText) {
      // The source takes 150 items; the destination's copy needs more than are left.
      SpSO_strcopy(source, std::string(150 * 64, 's').c_str());
    }
    SInt32 freeBefore = FreeItems();
    ErrorLogCapture log;
    sp_testing::FailNthAllocation(1);
    if (kind == kText) SpSO_strcat(obj, big.c_str());
    if (kind == kRange || kind == kRangeIntoEmpty) SpSO_strncat(obj, source, 0, 0);
    if (kind == kWhole) SpSO_strcat(obj, source);
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(TextOf(obj), kind == kRangeIntoEmpty ? "" : "hello") << kind;
    EXPECT_TRUE(IsConsistent(obj)) << kind;
    EXPECT_EQ(FreeItems(), freeBefore) << "items taken for the append went back";
    EXPECT_TRUE(log.Has("cSO_StringItemBlock::SetupNewBlockMemoryArea", 1));
    ASSERT_EQ(log.Count(), 2u) << kind;
    EXPECT_EQ(log.Records()[1].message,
              kind == kRangeIntoEmpty ? "can not Allocated memory" : "no comment");
    SpSO_DisposeStringObject(source);
  }
}

TEST_F(StringObject, DoubleDisposeIsLoggedOnceAndChangesNothing) {
  sSO_StringObjectBase* obj = SpSO_NewStringObject();
  sSO_StringObjectBase* copy = obj;
  SpSO_DisposeStringObject(obj);
  SInt32 freeObjects = StringObjBlockMgrPtr_GlV->CountFreeSlots();
  ErrorLogCapture log;
  SpSO_DisposeStringObject(copy);
  SpSO_DisposeStringObject(obj);  // already null: nothing
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Records()[0].method, "cStringObjectBlock::PutBackStructPtr");
  EXPECT_EQ(StringObjBlockMgrPtr_GlV->CountFreeSlots(), freeObjects);
  // The free list is intact: all 200 slots can be handed out again, each once.
  std::vector<sSO_StringObjectBase*> all;
  for (int i = 0; i < 200; ++i) all.push_back(SpSO_NewStringObject());
  EXPECT_EQ(StringObjBlockMgrPtr_GlV->CountBlocks(), 1);
  for (sSO_StringObjectBase*& o : all) SpSO_DisposeStringObject(o);
}

TEST_F(StringObject, WhollyFreeBlockGoesOnlyWithMoreThanAHundredFreeElsewhere) {
  struct Case {
    int freedInFirstBlock;
    SInt32 blocksLeft;
  } cases[] = {{100, 2}, {101, 1}};
  for (const Case& c : cases) {
    ResetPools();
    std::vector<sSO_StringObjectBase*> objects;
    for (int i = 0; i < 400; ++i) objects.push_back(SpSO_NewStringObject());
    EXPECT_EQ(StringObjBlockMgrPtr_GlV->CountBlocks(), 2);
    for (int i = 0; i < c.freedInFirstBlock; ++i) SpSO_DisposeStringObject(objects[i]);
    for (int i = 200; i < 400; ++i) SpSO_DisposeStringObject(objects[i]);
    EXPECT_EQ(StringObjBlockMgrPtr_GlV->CountBlocks(), c.blocksLeft) << c.freedInFirstBlock;
    for (sSO_StringObjectBase*& o : objects) SpSO_DisposeStringObject(o);
  }
}

TEST_F(StringObject, PoolsRegisterTheirDisposalOnceAndItDeletesThem) {
  DisposeRecorder registry;
  const std::size_t before = registry.Registered().size();
  SpSO_NewStringItemObjPtr();
  SpSO_NewStringObject();
  ASSERT_EQ(registry.Registered().size(), before + 1) << "one registration";
  EXPECT_EQ(registry.Registered().back().order, 100);
  registry.Registered().back().proc(0);
  EXPECT_EQ(stringItemBlockMgrPtr_GlV, nullptr);
  EXPECT_EQ(StringObjBlockMgrPtr_GlV, nullptr);
}
