#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "MacMemory.h"
#include "Resources.h"
#include "SpTesting.h"
#include "TestResources.h"

namespace {

constexpr ResType kVers = SpFourCC("vers");
constexpr ResType kStrList = SpFourCC("STR#");

class Resources : public ::testing::Test {
 protected:
  void SetUp() override { sp_testing::ResetResources(); }
  void TearDown() override { sp_testing::ResetResources(); }
};

std::string Text(const Str255 s) {
  return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

std::string Bytes(Handle h) {
  return std::string(*h, std::size_t(GetHandleSize(h)));
}

TEST_F(Resources, GetResourceSharesOneHandleUntilReleased) {
  ASSERT_EQ(sp_testing::AddAppResource(kVers, 1, "\x01\x02\x03", 3), noErr);
  Handle h = GetResource(kVers, 1);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_EQ(Bytes(h), "\x01\x02\x03");
  EXPECT_EQ(GetResource(kVers, 1), h);
  EXPECT_EQ(HomeResFile(h), kSpApplicationResFile);
  EXPECT_GT(HomeResFile(h), 1) << "callers release only resources above the system file";

  ReleaseResource(h);
  EXPECT_EQ(ResError(), noErr);
  Handle again = GetResource(kVers, 1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Bytes(again), "\x01\x02\x03");

  EXPECT_EQ(GetResource(kVers, 2), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(Resources, SearchRunsDownTheChainFromTheCurrentFileOnly) {
  sp_testing::AddAppResource(kVers, 1, "a", 1);
  EXPECT_EQ(CurResFile(), kSpApplicationResFile);

  UseResFile(0);
  EXPECT_EQ(CurResFile(), kSpSystemResFile) << "0 names the system file";
  EXPECT_EQ(GetResource(kVers, 1), nullptr) << "the system file does not see files above it";

  UseResFile(99);
  EXPECT_EQ(ResError(), resFNotFound);
  EXPECT_EQ(CurResFile(), kSpSystemResFile);

  // A resource added to the system file is found from the application's file by
  // GetResource, but not by Get1Resource.
  Handle h = NewHandle(2);
  std::memcpy(*h, "sy", 2);
  AddResource(h, kVers, 5, nullptr);
  EXPECT_EQ(ResError(), noErr);
  UseResFile(kSpApplicationResFile);
  EXPECT_EQ(GetResource(kVers, 5), h);
  EXPECT_EQ(HomeResFile(h), kSpSystemResFile);
  EXPECT_EQ(Get1Resource(kVers, 5), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_NE(Get1Resource(kVers, 1), nullptr);
}

TEST_F(Resources, AddResourceRefusesDuplicatesAndHandlesAlreadyOwned) {
  Handle a = NewHandle(3);
  std::memcpy(*a, "abc", 3);
  const unsigned char name[] = "\x04Main";
  AddResource(a, kVers, 10, name);
  ASSERT_EQ(ResError(), noErr);

  AddResource(a, kVers, 11, nullptr);
  EXPECT_EQ(ResError(), addResFailed) << "the handle already is a resource";
  Handle b = NewHandle(1);
  AddResource(b, kVers, 10, nullptr);
  EXPECT_EQ(ResError(), addResFailed) << "the number is taken";
  AddResource(nullptr, kVers, 12, nullptr);
  EXPECT_EQ(ResError(), addResFailed);
  AddResource(b, kVers, 12, nullptr);
  EXPECT_EQ(ResError(), noErr);

  EXPECT_EQ(Count1Resources(kVers), 2);
  EXPECT_EQ(Count1Resources(kStrList), 0);
  EXPECT_EQ(Get1IndResource(kVers, 1), a);
  EXPECT_EQ(Get1IndResource(kVers, 2), b);
  EXPECT_EQ(Get1IndResource(kVers, 3), nullptr);
  EXPECT_EQ(ResError(), resNotFound);

  SInt16 id = 0;
  ResType type = 0;
  Str255 got{};
  GetResInfo(a, &id, &type, got);
  EXPECT_EQ(id, 10);
  EXPECT_EQ(type, kVers);
  EXPECT_EQ(Text(got), "Main");
}

TEST_F(Resources, LoadingWaitsForSetResLoadAndForMemory) {
  sp_testing::AddAppResource(kVers, 1, "data", 4);
  SetResLoad(false);
  Handle h = GetResource(kVers, 1);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetHandleSize(h), 0);
  SetResLoad(true);
  EXPECT_EQ(GetResource(kVers, 1), h);
  EXPECT_EQ(Bytes(h), "data");
  ReleaseResource(h);
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(GetResource(kVers, 1), nullptr);
  EXPECT_EQ(ResError(), memFullErr);
  EXPECT_NE(GetResource(kVers, 1), nullptr);
  // A handle that is no resource is refused and left to its owner.
  Handle plain = NewHandle(4);
  EXPECT_EQ(HomeResFile(plain), -1);
  EXPECT_EQ(ResError(), resNotFound);
  ReleaseResource(plain);
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_EQ(GetHandleSize(plain), 4);
  DisposeHandle(plain);
}

TEST_F(Resources, GetIndStringReadsInsideTheListAndNeverPastItsEnd) {
  struct Case {
    std::vector<UInt8> bytes;
    SInt16 index;
    const char* expected;
    const char* why;
  } cases[] = {
      {{0x00, 0x03, 0x01, 'a', 0x00, 0x02, 'b', 'c'}, 3, "bc", "the last string, ending the list"},
      {{0x00, 0x03, 0x01, 'a', 0x00, 0x02, 'b', 'c'}, 2, "", "an empty string"},
      {{0x00, 0x03, 0x01, 'a', 0x00, 0x02, 'b', 'c'}, 4, "", "one past the count"},
      {{0x00, 0x03, 0x01, 'a', 0x00, 0x02, 'b', 'c'}, 0, "", "index 0"},
      {{0x00, 0x01, 0x02, 'a', 'b'}, 1, "ab", "the length byte reaches exactly the end"},
      {{}, 1, "", "no bytes at all"},
      {{0x00}, 1, "", "half a count"},
      {{0x00, 0x03, 0x01, 'a'}, 1, "a", "the count promises more than there is"},
      {{0x00, 0x03, 0x01, 'a'}, 2, "", "and the next string is missing"},
      {{0x00, 0x01, 0x05, 'a', 'b'}, 1, "", "the length byte runs past the end"},
      {{0x00, 0x02, 0xFF, 'a'}, 2, "", "a long skip runs past the end"},
      {{0xFF, 0xFF, 0x00}, 1, "", "a count read as negative would be wrong"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    sp_testing::AddAppResource(kStrList, 200, c.bytes);
    Str255 s;
    std::memset(s, 'z', sizeof s);
    GetIndString(s, 200, c.index);
    EXPECT_EQ(Text(s), c.expected);
  }
  Str255 s;
  std::memcpy(s, "\x03old", 4);
  GetIndString(s, 201, 1);
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_EQ(s[0], 0) << "a missing list gives an empty string";
}

// An independent reading of a 'STR#' to compare against: walks the bytes by index.
std::string ReferenceIndString(const std::vector<UInt8>& b, int index) {
  if (b.size() < 2) return "";
  int count = (b[0] << 8) | b[1];
  if (index < 1 || index > count) return "";
  std::size_t pos = 2;
  for (int i = 1; i <= index; ++i) {
    if (pos >= b.size()) return "";
    std::size_t length = b[pos];
    if (pos + 1 + length > b.size()) return "";
    if (i == index)
      return std::string(b.begin() + long(pos) + 1, b.begin() + long(pos + 1 + length));
    pos += 1 + length;
  }
  return "";
}

TEST_F(Resources, GetIndStringOnRandomBytesStaysWithinTheResource) {
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    std::vector<UInt8> bytes(random() % 40);
    for (UInt8& b : bytes) b = UInt8(random() % 8 == 0 ? random() : random() % 6);
    sp_testing::AddAppResource(kStrList, 300, bytes);
    const SInt16 index = SInt16(int(random() % 8) - 1);
    Str255 s;
    GetIndString(s, 300, index);
    ASSERT_EQ(Text(s), ReferenceIndString(bytes, index)) << "round " << round;
  }
}

}  // namespace
