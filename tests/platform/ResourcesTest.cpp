#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FilesFixture.h"
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

using files_test::Bytes;
using files_test::Text;

TEST_F(Resources, GetResourceSharesOneHandleUntilReleased) {
  ASSERT_EQ(sp_testing::AddAppResource(kVers, 1, "\x01\x02\x03", 3), noErr);
  Handle h = GetResource(kVers, 1);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetResource(kVers, 1), h);
  EXPECT_EQ(HomeResFile(h), kSpApplicationResFile);
  EXPECT_GT(HomeResFile(h), 1) << "callers release only resources above the system file";
  EXPECT_EQ((ReleaseResource(h), ResError()), noErr);
  EXPECT_EQ(Bytes(GetResource(kVers, 1)), "\x01\x02\x03") << "read again after the release";
  EXPECT_EQ(GetResource(kVers, 2), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(Resources, SearchRunsDownTheChainFromTheCurrentFileOnly) {
  sp_testing::AddAppResource(kVers, 1, "a", 1);
  EXPECT_EQ(CurResFile(), kSpApplicationResFile);

  UseResFile(0);
  EXPECT_EQ(CurResFile(), kSpSystemResFile) << "0 names the system file";
  EXPECT_EQ(GetResource(kVers, 1), nullptr) << "the system file does not see files above it";

  EXPECT_EQ((UseResFile(99), ResError()), resFNotFound);
  EXPECT_EQ(CurResFile(), kSpSystemResFile);

  // A resource added to the system file is found from the application's file by
  // GetResource, but not by Get1Resource.
  Handle h = NewHandle(2);
  EXPECT_EQ((AddResource(h, kVers, 5, nullptr), ResError()), noErr);
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
  ASSERT_EQ((AddResource(a, kVers, 10, name), ResError()), noErr);

  AddResource(a, kVers, 11, nullptr);
  EXPECT_EQ(ResError(), addResFailed) << "the handle already is a resource";
  Handle b = NewHandle(1);
  AddResource(b, kVers, 10, nullptr);
  EXPECT_EQ(ResError(), addResFailed) << "the number is taken";
  EXPECT_EQ((AddResource(nullptr, kVers, 12, nullptr), ResError()), addResFailed);
  EXPECT_EQ((AddResource(b, kVers, 12, nullptr), ResError()), noErr);

  EXPECT_EQ(Count1Resources(kVers) * 10 + Count1Resources(kStrList), 20);
  EXPECT_EQ((std::vector<Handle>{Get1IndResource(kVers, 1), Get1IndResource(kVers, 2),
                                 Get1IndResource(kVers, 3)}),
            (std::vector<Handle>{a, b, nullptr}));
  EXPECT_EQ(ResError(), resNotFound);
  SInt16 id = 0;
  ResType type = 0;
  Str255 got{};
  GetResInfo(a, &id, &type, got);
  EXPECT_EQ(std::to_string(id) + " " + std::to_string(type == kVers) + " " + Text(got),
            "10 1 Main");
}

// Renumbering makes two resources of one number (as a damaged file can hold them): the one
// earlier in the file is found, and when it is removed or renumbered the other is found.
TEST_F(Resources, OfTwoAlikeTheEarlierIsFoundAndTheOtherWhenItGoes) {
  Handle a = files_test::HandleOf("a"), b = files_test::HandleOf("b"),
         c = files_test::HandleOf("c");
  SInt16 number = 1;
  for (Handle h : {a, b, c}) ASSERT_EQ((AddResource(h, kVers, number++, nullptr), ResError()), noErr);
  SetResInfo(c, 2, nullptr);
  EXPECT_EQ(Get1Resource(kVers, 2), b) << "the later one renumbered onto it";
  SetResInfo(a, 2, nullptr);
  EXPECT_EQ(Get1Resource(kVers, 2), a) << "the earlier one renumbered onto it";
  EXPECT_EQ(Get1Resource(kVers, 1), nullptr);
  EXPECT_EQ((RemoveResource(a), ResError()), noErr);
  EXPECT_EQ(Get1Resource(kVers, 2), b);
  EXPECT_EQ(HomeResFile(a), -1) << "a removed resource's handle is the caller's";
  DisposeHandle(a);
  SetResInfo(b, 5, nullptr);
  EXPECT_EQ((std::vector<Handle>{Get1Resource(kVers, 2), Get1Resource(kVers, 5),
                                 Get1IndResource(kVers, 1), Get1IndResource(kVers, 2)}),
            (std::vector<Handle>{c, b, b, c}));
  EXPECT_EQ(Count1Resources(kVers), 2);
}

// Names are found without regard to the case of the letters a to z, and only of those: the
// characters just outside the range (and bytes above ASCII) must match exactly.
TEST_F(Resources, NamedLookUpsFoldTheCaseOfLettersOnly) {
  struct Case {
    const char* stored;
    const char* asked;
    bool found;
  };
  const Case cases[] = {
      {"az", "AZ", true},     {"AZ", "az", true},     {"zebra", "ZEBRA", true},
      {"Quiz", "qUIZ", true}, {"`{", "@[", false},    {"@[", "`{", false},
      {"a", "b", false},      {"\xE0", "\xC0", false}, {"\x82\xA0", "\x82\xA0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stored) + " / " + c.asked);
    sp_testing::ResetResources();
    ASSERT_EQ(sp_testing::AddAppResource(kVers, 1, "x", 1, c.stored), noErr);
    const Handle got = GetNamedResource(kVers, files_test::PStr(c.asked));
    EXPECT_EQ(got != nullptr, c.found);
    if (c.found) {
      EXPECT_EQ(got, GetResource(kVers, 1));
    }
    EXPECT_EQ(ResError(), c.found ? noErr : resNotFound);
  }
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
  EXPECT_EQ((ReleaseResource(plain), ResError()), resNotFound);
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
      {{0x00, 0x01, 0x01, 'a', 0x01, 'b'}, 2, "", "a string past the count is not read"},
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
  EXPECT_EQ((GetIndString(s, 201, 1), ResError()), resNotFound);
  EXPECT_EQ(s[0], 0) << "a missing list gives an empty string";
}

}  // namespace

// The types GetIndType walks to from the current file (or Get1IndType, in it alone).
std::vector<ResType> WalkTypes(bool currentOnly) {
  std::vector<ResType> types;
  const SInt16 count = currentOnly ? Count1Types() : CountTypes();
  for (SInt16 index = 1; index <= count; ++index) {
    ResType type = 0;
    (currentOnly ? Get1IndType : GetIndType)(&type, index);
    types.push_back(type);
  }
  return types;
}

// A program lists a file by asking for each type by index: the list of types is built once
// for the whole walk, not once a call (which made a walk of 16,384 types take seconds).
TEST_F(Resources, WalkingEveryTypeBuildsTheTypeListOnce) {
  constexpr UInt32 kAppTypes = 3000, kSystemTypes = 1000;
  std::vector<ResType> expected;
  for (UInt32 i = 0; i < kAppTypes; ++i) {
    ASSERT_EQ(sp_testing::AddAppResource(ResType(0x10000 + i), 1, "x", 1), noErr);
    expected.push_back(ResType(0x10000 + i));
  }
  UseResFile(0);
  // Half of the system file's types are also the application's: each is listed once.
  for (UInt32 i = 0; i < kSystemTypes; ++i) {
    const ResType type = ResType(0x10000 + kAppTypes - kSystemTypes / 2 + i);
    ASSERT_EQ((AddResource(NewHandle(1), type, 1, nullptr), ResError()), noErr);
    if (i >= kSystemTypes / 2) expected.push_back(type);
  }
  UseResFile(kSpApplicationResFile);
  const UInt64 before = sp_testing::ResourcesExamined();
  EXPECT_EQ(WalkTypes(false), expected);
  EXPECT_EQ(WalkTypes(true).size(), kAppTypes);
  EXPECT_LE(sp_testing::ResourcesExamined() - before, kAppTypes + kSystemTypes)
      << "each type of each file is passed once";
}

// The kept list follows every change of the files searched.
TEST_F(Resources, TheTypeListFollowsEveryChangeOfTheFilesSearched) {
  constexpr ResType kA = SpFourCC("AAAA"), kB = SpFourCC("BBBB"), kC = SpFourCC("CCCC"),
                    kD = SpFourCC("DDDD");
  sp_testing::AddAppResource(kA, 1, "a", 1);
  sp_testing::AddAppResource(kB, 1, "b", 1);
  UseResFile(0);
  AddResource(NewHandle(1), kB, 2, nullptr);
  AddResource(NewHandle(1), kC, 2, nullptr);
  UseResFile(kSpApplicationResFile);
  const struct {
    void (*change)();
    std::vector<ResType> all, current;
    const char* why;
  } steps[] = {
      {[] {}, {kA, kB, kC}, {kA, kB}, "the current file's types first, then those below"},
      {[] { AddResource(NewHandle(1), kD, 1, nullptr); },
       {kA, kB, kD, kC},
       {kA, kB, kD},
       "a resource of a new type"},
      {[] {
         Handle h = Get1Resource(kA, 1);
         RemoveResource(h);
         DisposeHandle(h);
       },
       {kB, kD, kC},
       {kB, kD},
       "a type's last resource removed"},
      {[] { UseResFile(0); }, {kB, kC}, {kB, kC}, "another file current"},
      {[] { UseResFile(kSpApplicationResFile); }, {kB, kD, kC}, {kB, kD}, "back again"},
      {[] { sp_testing::ResetResources(); }, {}, {}, "every file replaced"},
      {[] { sp_testing::AddAppResource(kC, 3, "c", 1); },
       {kC},
       {kC},
       "a type added by the test API"},
  };
  for (const auto& step : steps) {
    step.change();
    EXPECT_EQ(WalkTypes(false), step.all) << step.why;
    EXPECT_EQ(WalkTypes(true), step.current) << step.why;
  }
}
