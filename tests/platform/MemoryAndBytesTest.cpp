#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ByteOrder.h"
#include "Fnv1a.h"
#include "MacMemory.h"
#include "SpTesting.h"

TEST(Memory, BlocksKeepTheirSizeAndContentsAndCopiesAreNew) {
  Ptr p = NewPtrClear(37);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetPtrSize(p), 37);
  EXPECT_EQ(std::string(p, 37), std::string(37, '\0'));
  DisposePtr(p);
  Handle h = NewHandle(4);
  std::memcpy(*h, "abcd", 4);
  SetHandleSize(h, 4096);
  EXPECT_EQ(GetHandleSize(h), 4096);
  EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
  Handle copy = h;
  ASSERT_EQ(HandToHand(&copy), noErr);
  EXPECT_NE(copy, h);
  EXPECT_EQ(std::memcmp(*copy, "abcd", 4), 0);
  DisposeHandle(copy);
  DisposeHandle(h);
  EXPECT_EQ(MaxBlock() + FreeMem(), 2 * 16 * 1024 * 1024);
}

TEST(Memory, TestFailuresHitOnlyTheNthAllocationAndBlocksPastTheLimit) {
  sp_testing::FailNthAllocation(2);
  Ptr p[3] = {NewPtr(8), NewPtr(8), NewPtr(8)};
  EXPECT_TRUE(p[0] != nullptr && p[1] == nullptr && p[2] != nullptr);
  sp_testing::LimitAllocationSize(1000);
  Ptr big = NewPtr(1001), small = NewPtr(1000);
  sp_testing::LimitAllocationSize(0);
  EXPECT_TRUE(big == nullptr && small != nullptr);
  for (Ptr q : {p[0], p[2], small}) DisposePtr(q);
}

// A handle that cannot grow reports why and keeps its bytes; a pointer block cannot move, so
// it shrinks or keeps its size but never grows.
TEST(Memory, FailedResizesReportTheErrorAndLeaveTheBlockAsItWas) {
  Handle h = NewHandle(4);
  std::memcpy(*h, "abcd", 4);
  Handle tail = NewHandle(3);
  std::memcpy(*tail, "xyz", 3);
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(HandAndHand(tail, h), memFullErr);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(std::string(*h, std::size_t(GetHandleSize(h))), "abcd");
  EXPECT_EQ(PtrAndHand("xyz", h, 3), noErr) << "the next append works";
  EXPECT_EQ(std::string(*h, std::size_t(GetHandleSize(h))), "abcdxyz");
  for (Handle d : {h, tail}) DisposeHandle(d);

  Ptr p = NewPtr(8);
  const struct {
    Size size;
    OSErr err;
    Size after;
  } cases[] = {{8, noErr, 8}, {3, noErr, 3}, {4, memFullErr, 3}, {-1, paramErr, 3}, {0, noErr, 0}};
  for (const auto& c : cases) {
    SetPtrSize(p, c.size);
    EXPECT_EQ(MemError(), c.err) << c.size;
    EXPECT_EQ(GetPtrSize(p), c.after) << c.size;
  }
  DisposePtr(p);
}

TEST(ByteOrder, ReaderStopsAtEndAndStaysFailed) {
  const UInt8 data[] = {0x12, 0x34, 0x56};
  sp::ByteReader r(data, sizeof data);
  EXPECT_EQ(r.BE16(), 0x1234);
  EXPECT_EQ(r.BE32(), 0u);  // only one byte left
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.U8(), 0);  // stays failed
  EXPECT_EQ(r.Position(), 2u);
  const UInt8 pascal[] = {5, 'a', 'b'};
  sp::ByteReader p(pascal, sizeof pascal);
  unsigned char out[256] = {0};
  EXPECT_FALSE(p.PascalString(out)) << "a length past the data";
  EXPECT_EQ(out[0], 0);
  const UInt8 good[] = {0x00, 0x00, 0x02, 0x01};
  sp::ByteReader g(good, 4);
  EXPECT_EQ(g.Synchsafe32(), 257u);
  for (int i = 0; i < 4; ++i) {
    UInt8 bad[] = {0x00, 0x00, 0x00, 0x00};
    bad[i] = 0x80;
    sp::ByteReader b(bad, 4);
    b.Synchsafe32();
    EXPECT_FALSE(b.Ok()) << "a synchsafe byte with its high bit set: byte " << i;
  }
}

TEST(ByteOrder, Extended80RoundTripsSampleRatesAndTheWriterPatchesOnlyWhatItWrote) {
  const struct {
    double value;
    UInt8 bytes[10];
  } cases[] = {
      {44100.0, {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}},
      {22050.0, {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}},
      {0.0, {0}},
      {1.0, {0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}},
      {-2.0, {0xC0, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    UInt8 out[10];
    sp::DoubleToExtended80(c.value, out);
    EXPECT_EQ(std::memcmp(out, c.bytes, 10), 0) << c.value;
    EXPECT_EQ(sp::Extended80ToDouble(out), c.value);
  }

  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(0);
  EXPECT_TRUE(w.PatchBE32(4, 0x01020304));
  EXPECT_FALSE(w.PatchBE32(5, 1));
  const UInt8 expected[] = {'F', 'O', 'R', 'M', 1, 2, 3, 4};
  ASSERT_EQ(w.Size(), sizeof expected);
  EXPECT_EQ(std::memcmp(w.Data().data(), expected, sizeof expected), 0);
}

// The hash's published values, which stored data (checksums of the catalogue's journal, keys
// of volumes kept in references, machine marks in file names) depends on; a run hashed in
// pieces gives the hash of the whole.
TEST(Fnv1a, GivesThePublishedValuesWholeAndInPieces) {
  const struct {
    const char* text;
    UInt32 h32;
    UInt64 h64;
  } cases[] = {
      {"", 0x811c9dc5u, 0xcbf29ce484222325ull},
      {"a", 0xe40c292cu, 0xaf63dc4c8601ec8cull},
      {"foobar", 0xbf9cf968u, 0x85944171f73967e8ull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::size_t n = std::strlen(c.text);
    EXPECT_EQ(sp::Fnv1a32(c.text, n), c.h32);
    EXPECT_EQ(sp::Fnv1a64(c.text, n), c.h64);
    const std::size_t half = n / 2;
    EXPECT_EQ(sp::Fnv1a32(c.text + half, n - half, sp::Fnv1a32(c.text, half)), c.h32);
    EXPECT_EQ(sp::Fnv1a64(c.text + half, n - half, sp::Fnv1a64(c.text, half)), c.h64);
  }
}
