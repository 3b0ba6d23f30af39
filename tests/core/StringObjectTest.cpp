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

TEST_F(StringObject, InsertionAndCutsWorkAtBothEndsAndOnePastTheEnd) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += char('0' + i % 10);
  const std::string full(64, 'a');  // one full item
  const std::string two = full + std::string(20, 'b');
  const std::string z10(10, 'Z'), z50(50, 'Z'), z200(200, 'Z');
  enum Kind { kInsert, kKeep, kRemoveFront, kBetween };
  struct Case {
    Kind kind;
    std::string base;
    SInt32 a, b;  // the insert's position, or the cut's bounds
    std::string insert, expected;
  } cases[] = {
      {kInsert, "hello", 0, 0, "XY", "XYhello"},  // front, room in the first item
      {kInsert, full, 0, 0, "XY", "XY" + full},   // front of a full item: a chain in front
      {kInsert, full, 10, 0, "XY", full.substr(0, 10) + "XY" + full.substr(10)},  // split
      {kInsert, full, 60, 0, z10, full.substr(0, 60) + z10 + full.substr(60)},
      {kInsert, full, 32, 0, z200, full.substr(0, 32) + z200 + full.substr(32)},
      {kInsert, two, 64, 0, z50, full + z50 + two.substr(64)},  // first byte of a full item
      {kInsert, "hello", 4, 0, "XY", "hellXYo"},                // before the last byte
      {kInsert, "hello", 5, 0, "XY", "helloXY"},                // at the length: appends
      {kInsert, "hello", 6, 0, "XY", "helloXY"},                // one past: appends
      {kInsert, "hello", -1, 0, "XY", "helloXY"},
      {kInsert, "", 3, 0, "XY", "XY"},
      {kKeep, text, 0, 0, "", ""},
      {kKeep, text, 64, 0, "", text.substr(0, 64)},  // up to an item boundary
      {kKeep, text, 199, 0, "", text.substr(0, 199)},
      {kKeep, text, 200, 0, "", text},
      {kKeep, text, 201, 0, "", text},
      {kRemoveFront, text, 1, 0, "", text.substr(1)},
      {kRemoveFront, text, 64, 0, "", text.substr(64)},  // a whole item
      {kRemoveFront, text, 100, 0, "", text.substr(100)},
      {kRemoveFront, text, 199, 0, "", text.substr(199)},
      {kRemoveFront, text, 200, 0, "", ""},
      {kRemoveFront, text, 201, 0, "", text},
      {kBetween, text, 5, 2, "", text.substr(0, 2) + text.substr(5)},        // either order
      {kBetween, text, 10, 140, "", text.substr(0, 10) + text.substr(140)},  // whole items go
      {kBetween, text, 60, 70, "", text.substr(0, 60) + text.substr(70)},
      {kBetween, text, 0, 200, "", ""},
      {kBetween, text, 199, 200, "", text.substr(0, 199)},
      {kBetween, text, 150, 900, "", text.substr(0, 150)},  // clipped to the length
      {kBetween, text, 200, 201, "", text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(c.base.size()) + " at " +
                 std::to_string(c.a) + "," + std::to_string(c.b));
    sSO_StringObjectBase* obj = Make(c.base);
    if (c.kind == kInsert) SpSO_InsertString(obj, c.a, c.insert.c_str());
    if (c.kind == kKeep) SpSO_CutDownString(obj, c.a);
    if (c.kind == kRemoveFront) SpSO_CutDownBeforeString(obj, c.a);
    if (c.kind == kBetween) SpSO_CutDownBetweenString(obj, c.a, c.b);
    EXPECT_EQ(TextOf(obj), c.expected);
    EXPECT_TRUE(IsConsistent(obj));
  }
  sSO_StringObjectBase* obj = Make("abcdef");
  ErrorLogCapture log;
  SpSO_CutDownString(Make(""), 1);
  SpSO_CutDownString(obj, -1);
  SpSO_CutDownBeforeString(obj, 0);
  SpSO_CutDownBetweenString(obj, 1, -1);
  SpSO_InsertString(obj, 1, "");
  EXPECT_EQ(log.Count(), 5u) << "each bad call is refused and reported";
  EXPECT_EQ(TextOf(obj), "abcdef");
}

TEST_F(StringObject, PositionsBeyondSixteenBitsWork) {
  std::string text(70000, 'a');
  text[66000] = '!';
  sSO_StringObjectBase* obj = Make(text);
  EXPECT_EQ(SpSO_GetStringLen(obj), 70000);
  SInt32 found = 0;
  EXPECT_EQ(SpSO_SerchTargetCharactor(obj, '!', 65600, -1, &found), 1);
  EXPECT_EQ(found, 66000);
  SpSO_InsertString(obj, 65540, "XY");
  SpSO_CutDownBetweenString(obj, 69000, 65530);
  EXPECT_EQ(TextOf(obj), text.insert(65540, "XY").erase(65530, 3470));
  EXPECT_TRUE(IsConsistent(obj));
}

TEST_F(StringObject, CopyOntoItselfKeepsTheTextAndAnAppendOfItselfCopiesItOnce) {
  const std::string text = std::string(100, 'x') + "end";
  sSO_StringObjectBase* obj = Make(text);
  SpSO_strcopy(obj, obj);
  EXPECT_EQ(TextOf(obj), text);
  SpSO_strncopy(obj, obj, 98, 4);
  EXPECT_EQ(TextOf(obj), "xxen");
  SpSO_strcat(obj, obj);
  EXPECT_EQ(TextOf(obj), "xxenxxen");
  SpSO_strncat(obj, obj, 2, 0);
  EXPECT_EQ(TextOf(obj), "xxenxxenenxxen");
  EXPECT_TRUE(IsConsistent(obj));
}

TEST_F(StringObject, CaseChangeKeepsTwoByteCharactersAcrossItemBoundaries) {
  // The second byte 0x61 of the character 0x82 0x61 starts the second item (and, in the long
  // text, the second conversion chunk); it must not be taken for an 'a'.
  for (std::size_t n : {63, 1023}) {
    const std::string text = std::string(n, 'a') + "\x82\x61" + "b";
    sSO_StringObjectBase* obj = Make(text);
    SpSO_UpperText(obj);
    EXPECT_EQ(TextOf(obj), std::string(n, 'A') + "\x82\x61" + "B") << n;
    SpSO_LowerText(obj);
    EXPECT_EQ(TextOf(obj), text) << n;
  }
  sSO_StringObjectBase* obj = Make("abcdef");
  SpSO_UpperText(obj, 2, 4);
  EXPECT_EQ(TextOf(obj), "abCDef");
}

TEST_F(StringObject, WidthReadOutNeverEndsInsideATwoByteCharacter) {
  struct Case {
    const char* text;
    SInt32 size, length;
    unsigned char cut;
  } cases[] = {
      {"ab\x82\xA0", 5, 2, 1},        // cut after a first byte: dropped
      {"ab\x82\xA0", 6, 4, 0},        // all of it
      {"abc\x82\xA0", 5, 3, 1},       // cut between characters
      {"\x8E\x8E\x82\xA0", 5, 2, 1},  // a second byte that looks like a first byte
  };
  for (const Case& c : cases) {
    char buffer[16];
    SInt32 length = -1;
    unsigned char cut = 9;
    SpSO_GetStringWidthScriptCode(Make(c.text), buffer, c.size, 0, smSystemScript, length, cut);
    EXPECT_EQ(length, c.length) << c.size;
    EXPECT_EQ(cut, c.cut) << c.size;
    EXPECT_EQ(buffer[length], 0);
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

// A record that came from no pool (a caller's own) is reported when cleared and emptied all
// the same, so that a copy onto it replaces its text rather than appending to it.
TEST_F(StringObject, ClearingAnObjectWithoutAManagerStillEmptiesIt) {
  sSO_StringObjectBase stray{};
  ErrorLogCapture log;
  SpSO_strcopy(&stray, "first");
  SpSO_strcopy(&stray, "second");
  EXPECT_EQ(TextOf(&stray), "second");
  EXPECT_TRUE(IsConsistent(&stray));
  EXPECT_TRUE(log.Has("SpSO_Clear", 1));
  SpSO_Clear(&stray);
  EXPECT_EQ(stray.length, 0);
  EXPECT_EQ(FreeItems(), kSO_PoolBlockSlotCount) << "its items went back to the pool";
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

// A slot given back in the last of many full blocks must be found again without walking the
// blocks before it: churning there looks at a bounded number of blocks per new object.
TEST_F(StringObject, FreeSlotIsFoundWithoutRescanningFullBlocks) {
  const int kObjects = 100 * kSO_PoolBlockSlotCount;  // 100 full blocks
  for (int i = 0; i < kObjects; ++i) Make("x");
  const UInt32 before = StringObjBlockMgrPtr_GlV->GetBlocksLookedAt();
  const int kChurn = 5000;
  for (int i = 0; i < kChurn; ++i) {
    SpSO_DisposeStringObject(made_.back());
    made_.pop_back();
    Make("y");
  }
  EXPECT_LE(StringObjBlockMgrPtr_GlV->GetBlocksLookedAt() - before, UInt32(2 * kChurn));
  EXPECT_EQ(StringObjBlockMgrPtr_GlV->CountBlocks(), 100);
  EXPECT_EQ(TextOf(made_.back()), "y");
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

TEST_F(StringObject, ComparesTwoObjects) {
  struct Case {
    std::string a, b;
    short expected;
  } cases[] = {
      {"", "", 0},       {"a", "", 1},
      {"", "a", -1},     {"abc", "abc", 0},
      {"abd", "abc", 1}, {"ab", "abc", -1},
      {"\xA0", "a", -1}, {std::string(70, 'q'), std::string(70, 'q'), 0},
      {std::string(64, 'q') + "b", std::string(64, 'q') + "c", -1},  // in the second item
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpSO_strcmp(Make(c.a), static_cast<const sSO_StringObjectBase*>(Make(c.b))),
              c.expected)
        << c.a << " vs " << c.b;
  }
  ErrorLogCapture log;
  EXPECT_EQ(SpSO_strcmp(static_cast<sSO_StringObjectBase*>(nullptr), Make("a")), 0);
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Records()[0].message, "Required argument is null");
}

TEST_F(StringObject, SearchHonoursItsRange) {
  std::string text = std::string(70, '.') + "x" + std::string(10, '.') + "x";
  sSO_StringObjectBase* obj = Make(text);
  struct Case {
    SInt32 start, end;
    unsigned char found;
    SInt32 position;
  } cases[] = {
      {0, -1, 1, 70}, {71, -1, 1, 81}, {-5, 71, 1, 70}, {0, 70, 0, 0}, {0, 0, 0, 0}, {82, -1, 0, 0},
  };
  for (const Case& c : cases) {
    SInt32 position = -7;
    EXPECT_EQ(SpSO_SerchTargetCharactor(obj, 'x', c.start, c.end, &position), c.found);
    EXPECT_EQ(position, c.position) << c.start << ".." << c.end;
  }
  EXPECT_EQ(SpSO_SerchTargetCharactor(obj, 'x', 0, -1, nullptr), 1);
}

TEST_F(StringObject, LinesAreCutAtCarriageReturns) {
  sSO_StringObjectBase* obj = Make("one\rtwo\rthree");
  struct Case {
    SInt32 first, count;
    const char* expected;
  } cases[] = {
      {1, 1, "one"},   {2, 1, "two"},   {2, 2, "two\rthree"},
      {3, 1, "three"}, {3, 9, "three"}, {4, 1, ""},
  };
  for (const Case& c : cases) {
    char buffer[32];
    unsigned char cut = 9;
    SpSO_GetLineString(obj, c.first, c.count, buffer, sizeof buffer, cut);
    EXPECT_STREQ(buffer, c.expected) << c.first << "," << c.count;
    EXPECT_EQ(cut, 0);
  }
  ErrorLogCapture log;
  char buffer[8];
  unsigned char cut = 0;
  SpSO_GetLineString(obj, 0, 1, buffer, sizeof buffer, cut);
  EXPECT_EQ(cut, 1);
  EXPECT_TRUE(log.Has("SpSO_GetLineString", 1));
}

TEST_F(StringObject, LineRunningIntoTheNextItemIsReported) {
  sSO_StringObjectBase* obj = Make("ab\r" + std::string(70, 'c') + "\rd");
  char buffer[100];
  unsigned char cut = 0;
  EXPECT_EQ(SpSO_GetLineString(obj, 1, 1, buffer, sizeof buffer, cut), 0);
  EXPECT_EQ(SpSO_GetLineString(obj, 2, 1, buffer, sizeof buffer, cut), 1);
  EXPECT_EQ(std::string(buffer), std::string(70, 'c'));
}

TEST_F(StringObject, ObjectAppendsCopyTheSource) {
  std::string longText(150, 'q');
  sSO_StringObjectBase* source = Make("0123456789" + longText);
  sSO_StringObjectBase* obj = Make("ab");
  SpSO_strcat(obj, source);
  EXPECT_EQ(TextOf(obj), "ab0123456789" + longText);
  EXPECT_TRUE(IsConsistent(obj));
  sSO_StringObjectBase* part = Make("3456");
  SpSO_strncat(part, source, 8, 0);  // to the source's end
  EXPECT_EQ(TextOf(part), "345689" + longText);
  EXPECT_TRUE(IsConsistent(part));
  EXPECT_EQ(TextOf(source), "0123456789" + longText);
}

TEST_F(StringObject, EachAppendAndLengthStepsOverAFewItemsHoweverLongTheString) {
  // A text built piece by piece, as a copy of styled text is: each append walks from the end
  // it appends at, and the length is kept, not counted.
  struct Case {
    const char* why;
    void (*append)(sSO_StringObjectBase* obj, sSO_StringObjectBase* piece);
  } cases[] = {
      {"text", [](sSO_StringObjectBase* obj, sSO_StringObjectBase*) { SpSO_strcat(obj, "0123456789"); }},
      {"some bytes of a text",
       [](sSO_StringObjectBase* obj, sSO_StringObjectBase*) { SpSO_strncat(obj, "0123456789xx", 10); }},
      {"a range of another string",
       [](sSO_StringObjectBase* obj, sSO_StringObjectBase* piece) { SpSO_strncat(obj, piece, 2, 10); }},
      {"a whole string",
       [](sSO_StringObjectBase* obj, sSO_StringObjectBase* piece) { SpSO_strcat(obj, piece); }},
  };
  const SInt32 kPieces = 4000;  // 40,000 bytes or more: 625 items
  for (const Case& c : cases) {
    sSO_StringObjectBase* obj = Make("");
    sSO_StringObjectBase* piece = Make("ab0123456789");
    const UInt64 before = SpSO_WalkedItemCount();
    SInt32 length = 0;
    for (SInt32 i = 0; i < kPieces; ++i) {
      c.append(obj, piece);
      length = SpSO_GetStringLen(obj);
    }
    EXPECT_LE(SpSO_WalkedItemCount() - before, UInt64(4 * kPieces)) << c.why;
    EXPECT_EQ(length, obj->length) << c.why;
    EXPECT_TRUE(IsConsistent(obj)) << c.why;
    EXPECT_EQ(obj->itemCount, (length + 63) / 64) << c.why << ": the items are full";
  }
}

TEST_F(StringObject, PoolRunningDryDuringAnInsertKeepsTheString) {
  struct Case {
    SInt32 position;
    SInt32 code;
  } cases[] = {
      {0, 1},   // chain in front
      {64, 2},  // chain before a later item
      {32, 3},  // chain between split halves
  };
  for (const Case& c : cases) {
    ResetPools();
    const std::string base(128, 'b');
    sSO_StringObjectBase* obj = Make(base);
    ErrorLogCapture log;
    sp_testing::FailNthAllocation(1);
    SpSO_InsertString(obj, c.position, std::string(200 * 64, 'i').c_str());
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(TextOf(obj), base);
    EXPECT_TRUE(IsConsistent(obj));
    EXPECT_TRUE(log.Has("SpSO_InsertString", c.code)) << c.position;
  }
}

TEST_F(StringObject, SplitWithoutAFreeItemKeepsTheString) {
  // Fill the first item block exactly, so the split's new item needs a second block.
  sSO_StringObjectBase* obj = Make(std::string(200 * 64, 'f'));
  ASSERT_EQ(FreeItems(), 0);
  ErrorLogCapture log;
  sp_testing::FailNthAllocation(1);
  SpSO_InsertString(obj, 10, "XY");
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(TextOf(obj), std::string(200 * 64, 'f'));
  EXPECT_TRUE(log.Has("SpSO_InsertString", 1));
  EXPECT_TRUE(IsConsistent(obj));
}

TEST_F(StringObject, RefusedObjectBlockYieldsNullAndARecord) {
  ErrorLogCapture log;
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(SpSO_NewStringObject(), nullptr);
  sp_testing::FailNthAllocation(0);
  EXPECT_TRUE(log.Has("SpSO_NewStringObject", 1));
  sSO_StringObjectBase* obj = SpSO_NewStringObject();  // the next request makes the block
  EXPECT_NE(obj, nullptr);
  made_.push_back(obj);
}
