// The pool of equal slots: a block's slots are all used before a new block is taken, a block
// that cannot be had gives null, freed slots come back, an emptied block goes back to the heap
// (or stays as the one spare), and what is no slot of the pool is refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "SpSlotPool.h"
#include "SpTesting.h"

namespace {

struct FailNoMore {
  ~FailNoMore() { sp_testing::FailNthAllocation(0); }
};

TEST(SlotPool, ABlockIsTakenOnlyWhenEverySlotIsInUse) {
  FailNoMore guard;
  cSpSlotPool pool(24, 4, 8, false);
  std::vector<void*> slots;
  for (int i = 0; i < 4; ++i) slots.push_back(pool.Take());
  std::set<std::uintptr_t> distinct;
  for (void* s : slots) {
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(s) % 8, 0u);
    distinct.insert(reinterpret_cast<std::uintptr_t>(s));
  }
  EXPECT_EQ(distinct.size(), 4u);
  // The fifth needs a second block: refused, it is null and the pool stays usable.
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(pool.Take(), nullptr);
  // A slot given back is taken again without a new block (the countdown would refuse one).
  sp_testing::FailNthAllocation(1);
  ASSERT_TRUE(pool.Give(slots[2]));
  EXPECT_EQ(pool.Take(), slots[2]);
  sp_testing::FailNthAllocation(0);
  for (void* s : slots) EXPECT_TRUE(pool.Give(s));
}

TEST(SlotPool, AnEmptiedBlockGoesBackUnlessItIsTheSpare) {
  FailNoMore guard;
  struct Case {
    const char* why;
    bool keepSpare;
    bool takenWithoutNewBlock;
  } cases[] = {
      {"without a spare the next object needs a new block", false, false},
      {"the spare serves the next object", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cSpSlotPool pool(64, 2, 64, c.keepSpare);
    void* a = pool.Take();
    void* b = pool.Take();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % 64, 0u) << "slots keep to the alignment";
    EXPECT_TRUE(pool.Give(a));
    EXPECT_TRUE(pool.Give(b));
    sp_testing::FailNthAllocation(1);
    void* again = pool.Take();
    sp_testing::FailNthAllocation(0);
    EXPECT_EQ(again != nullptr, c.takenWithoutNewBlock);
    if (again != nullptr) {
      EXPECT_TRUE(pool.Give(again));
    }
  }
}

// Slots of many blocks taken and given back in a scattered order (blocks filling, emptying
// and going back in the middle of the lists): a live slot never shares a byte with another,
// what is written into one stays until it is given back, every slot keeps to the alignment,
// and once all are back no block is left over.
TEST(SlotPool, LiveSlotsKeepTheirBytesWhateverOrderBlocksFillAndEmptyIn) {
  FailNoMore guard;
  constexpr std::size_t kBytes = 40, kAlign = 16;
  cSpSlotPool pool(kBytes, 3, kAlign, false);
  struct Live {
    unsigned char* at;
    unsigned char fill;
  };
  std::vector<Live> live;
  unsigned seed = 12345, fill = 0;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
  const auto intact = [&] {
    for (const Live& l : live) {
      for (std::size_t i = 0; i < kBytes; ++i) {
        if (l.at[i] != l.fill) return false;
      }
    }
    return true;
  };
  for (int round = 0; round < 2000; ++round) {
    // Mostly takes in the first half, mostly gives in the second, so blocks fill and empty.
    const bool take = live.empty() || next() % 100 < (round < 1000 ? 65u : 35u);
    if (take) {
      auto* slot = static_cast<unsigned char*>(pool.Take());
      ASSERT_NE(slot, nullptr);
      ASSERT_EQ(reinterpret_cast<std::uintptr_t>(slot) % kAlign, 0u);
      const unsigned char mark = static_cast<unsigned char>(++fill % 251 + 1);
      for (std::size_t i = 0; i < kBytes; ++i) slot[i] = mark;
      live.push_back({slot, mark});
    } else {
      const std::size_t at = next() % live.size();
      ASSERT_TRUE(pool.Give(live[at].at));
      live.erase(live.begin() + std::ptrdiff_t(at));
    }
    if (round % 50 == 0) {
      ASSERT_TRUE(intact()) << "round " << round;
    }
  }
  ASSERT_TRUE(intact());
  for (const Live& l : live) ASSERT_TRUE(pool.Give(l.at));
  for (const Live& l : live) EXPECT_FALSE(pool.Give(l.at)) << "its block went back to the heap";
  // No block is left: the next slot needs a new one.
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(pool.Take(), nullptr);
}

TEST(SlotPool, WhatIsNoSlotOfThePoolIsRefused) {
  cSpSlotPool pool(32, 4, 8, false);
  cSpSlotPool other(32, 4, 8, false);
  char* slot = static_cast<char*>(pool.Take());
  void* foreign = other.Take();
  ASSERT_NE(slot, nullptr);
  ASSERT_NE(foreign, nullptr);
  long onTheStack = 0;
  struct Case {
    const char* why;
    void* p;
  } cases[] = {
      {"a slot of another pool", foreign},
      {"a pointer into the middle of a slot", slot + 8},
      {"memory of no pool", &onTheStack},
      {"null", nullptr},
  };
  for (const Case& c : cases) EXPECT_FALSE(pool.Give(c.p)) << c.why;
  EXPECT_TRUE(pool.Give(slot));
  EXPECT_TRUE(other.Give(foreign));
}

struct Pooled : tSpPooledObject<Pooled> {
  explicit Pooled(int v) : value(v) {}
  virtual ~Pooled() = default;
  int value;
};

struct Larger : Pooled {
  Larger() : Pooled(2) {}
  char more[100] = {};
};

TEST(PooledObject, NewGivesNullWhenNoBlockIsHadAndALargerKindComesFromTheHeap) {
  FailNoMore guard;
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(new (std::nothrow) Pooled(1), nullptr) << "the pool's first block was refused";
  sp_testing::FailNthAllocation(0);
  Pooled* a = new (std::nothrow) Pooled(1);
  Pooled* b = new (std::nothrow) Larger;
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->value + b->value, 3);
  EXPECT_EQ(GetPtrSize(reinterpret_cast<Ptr>(b)), Size(sizeof(Larger)))
      << "a derived kind of another size is a Memory Manager block";
  delete b;  // through the base: the most derived kind's delete gives it back to the heap
  delete a;
}

}  // namespace
