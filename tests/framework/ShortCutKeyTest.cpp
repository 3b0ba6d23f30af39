// The short-cut table: one entry per character, combinations told apart by their modifiers,
// and nothing half made when memory runs out.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

#include "SpShortCutKey.h"

namespace {

// Each call: which procedure ran, with the flags it was given.
std::vector<std::string> gCalls;

std::string Flags(unsigned char command, unsigned char shift, unsigned char option) {
  return std::to_string(command) + std::to_string(shift) + std::to_string(option);
}
SInt32 ProcA(unsigned char command, unsigned char shift, unsigned char option) {
  gCalls.push_back("A" + Flags(command, shift, option));
  return 0;
}
SInt32 ProcB(unsigned char command, unsigned char shift, unsigned char option) {
  gCalls.push_back("B" + Flags(command, shift, option));
  return 7;
}

// How many objects a list holds from its head on.
template <class T>
int Count(T* head) {
  int count = 0;
  for (; head != nullptr; head = head->GetNextObjectPtr()) ++count;
  return count;
}

class ShortCutKeys : public ::testing::Test {
 protected:
  void SetUp() override { gCalls.clear(); }
  void TearDown() override { sp_testing::FailNthAllocation(0); }
};

}  // namespace

TEST_F(ShortCutKeys, CombinationsOfOneCharacterShareOneEntryAndARepeatReplacesItsProcedure) {
  cSpSCS_Manager manager;
  manager.SetKeyFunction('s', 1, 0, 0, ProcB);
  manager.SetKeyFunction('o', 1, 0, 0, ProcA);
  manager.SetKeyFunction('s', 1, 1, 0, ProcB);
  manager.SetKeyFunction('s', 1, 0, 0, ProcA);  // replaces B for Command-s
  ASSERT_EQ(Count(manager.GetFirstKey()), 2);
  EXPECT_EQ(manager.GetFirstKey()->GetNextObjectPtr()->GetKey(), 'o');
  EXPECT_EQ(Count(manager.GetFirstKey()->GetFirstFunction()), 2);
  EXPECT_EQ(manager.ExecKey('s', 1, 1, 0), 1);
  EXPECT_EQ(manager.ExecKey('s', 1, 0, 0), 1);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"B110", "A100"}));
  // A null procedure still takes the key.
  manager.SetKeyFunction('o', 1, 0, 0, nullptr);
  EXPECT_EQ(manager.ExecKey('o', 1, 0, 0), 1);
  EXPECT_EQ(gCalls.size(), 2u);
}

TEST_F(ShortCutKeys, KeyEventModifiersMatchOnlyTheirOwnCombination) {
  cSpSCS_Manager manager;
  manager.SetKeyFunction('s', 1, 0, 0, ProcA);
  manager.SetKeyFunction('s', 1, 1, 0, ProcB);
  manager.SetKeyFunction('z', 0, 0, 1, ProcA);
  struct Case {
    const char* why;
    char key;
    short modifiers;
    unsigned char taken;
    const char* call;
  } cases[] = {
      {"Command", 's', cmdKey, 1, "A100"},
      {"Command-Shift is its own combination", 's', cmdKey | shiftKey, 1, "B110"},
      {"Control plays no part", 's', cmdKey | controlKey, 1, "A100"},
      {"caps lock plays no part", 's', cmdKey | alphaLock, 1, "A100"},
      {"Option added is another combination", 's', cmdKey | optionKey, 0, nullptr},
      {"no modifier", 's', 0, 0, nullptr},
      {"other case is another key", 'S', cmdKey, 0, nullptr},
      {"Option alone", 'z', optionKey, 1, "A001"},
      {"Option with Control", 'z', short(optionKey | controlKey | 0x8000), 1, "A001"},
      {"unregistered key", 'q', cmdKey, 0, nullptr},
  };
  for (const Case& c : cases) {
    gCalls.clear();
    unsigned char command = 9, shift = 9, option = 9;
    SpSCS_ModifiersToFlags(c.modifiers, &command, &shift, &option);
    EXPECT_EQ(manager.ExecKey(c.key, command, shift, option), c.taken) << c.why;
    EXPECT_EQ(gCalls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{})
        << c.why;
  }
}

TEST_F(ShortCutKeys, NoMemoryRegistersNothingAndLeavesNoEmptyEntry) {
  cSpSCS_Manager manager;
  ErrorLogCapture log;
  sp_testing::FailNthAllocation(1);  // the function
  manager.SetKeyFunction('s', 1, 0, 0, ProcA);
  sp_testing::FailNthAllocation(2);  // the new key entry, after its function was made
  manager.SetKeyFunction('t', 1, 0, 0, ProcA);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(manager.GetFirstKey(), nullptr);
  ASSERT_EQ(log.Count(), 2u);
  const CapturedRecord& r = log.Records()[0];
  EXPECT_EQ(r.source + " " + r.method + " " + r.message,
            "SpApplicationClass.cpp cSpSCS_Manager::SetKeyFunction Cannot allocated memory !! ");

  manager.SetKeyFunction('s', 1, 0, 0, ProcA);
  sp_testing::FailNthAllocation(1);
  manager.SetKeyFunction('s', 0, 0, 0, ProcB);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(Count(manager.GetFirstKey()->GetFirstFunction()), 1);
  EXPECT_EQ(manager.ExecKey('s', 1, 0, 0), 1);
}
