#include <gtest/gtest.h>

#include "ErrorLogCapture.h"
#include "Events.h"
#include "SpStdFunctionKeySet.h"
#include "SpTesting.h"

namespace {

int CountKeys(const cKeySet& set) {
  int n = 0;
  for (cKeySetItem* i = set.GetKeyItemListHeadPtr(); i != nullptr; i = i->GetNextObjectPtr()) ++n;
  return n;
}

TEST(KeySet, CommandSMatchesOnlyItsOwnCaseAndModifiers) {
  cKeySet set;
  sSpModifiersDataStruct command{}, commandShift{}, none{};
  command.commandFlag = commandShift.commandFlag = commandShift.shiftFlag = 1;
  set.SetupNewKey(&command, 'S');
  struct Case {
    const sSpModifiersDataStruct* mods;
    char key;
    Boolean ignore, match;
  } cases[] = {
      {&command, 'S', 0, 1},      {&command, 's', 0, 0},  // letters are compared by byte
      {&commandShift, 'S', 0, 0}, {&none, 'S', 0, 0},
      {nullptr, 'S', 0, 0},  // no record means no modifier
      {&none, 'S', 1, 1},         {nullptr, 'X', 1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(set.CheckKey(c.mods, c.key, c.ignore), c.match) << c.key;
  // Each other modifier held with Command is another shortcut.
  for (unsigned char sSpModifiersDataStruct::*flag :
       {&sSpModifiersDataStruct::shiftFlag, &sSpModifiersDataStruct::capsLockFlag,
        &sSpModifiersDataStruct::optionFlag, &sSpModifiersDataStruct::controlFlag}) {
    sSpModifiersDataStruct more = command;
    more.*flag = 1;
    EXPECT_FALSE(set.CheckKey(&more, 'S', 0));
    EXPECT_TRUE(set.CheckKey(&more, 'S', 1));
  }
  EXPECT_TRUE(set.CheckKey(short(cmdKey), 'S', 0));
  EXPECT_FALSE(set.CheckKey(short(cmdKey | shiftKey), 'S', 0));

  // Copying a set into itself or an overlapping set adds no duplicates.
  set.SetupNewKey(&command, 'O');
  set.CopyKeySet(&set);
  EXPECT_EQ(CountKeys(set), 2);
  cKeySet other;
  other.SetupNewKey(&command, 'O');
  other.SetupNewKey(nullptr, 'O');
  set.CopyKeySet(&other);
  EXPECT_EQ(CountKeys(set), 3) << "only the O without modifiers is new";
  EXPECT_TRUE(set.CheckKey(short(0), 'O', 0));
  ErrorLogCapture log;
  set.CopyKeySet(nullptr);
  EXPECT_FALSE(set.GetKeyItemListHeadPtr()->EqualItem(nullptr));
  EXPECT_TRUE(log.Has("cKeySet::CopyKeySet", 1) && log.Has("cKeySetItem::EqualItem", 1));
}

// The framework's list operation cuts the chain after an item: what followed stays a chain of
// its own. Clearing a list (checked for leaks by the sanitizer) frees every item all the same.
TEST(ListLinks, UnlinkNextCutsTheChainAfterTheItem) {
  cOSTypeBoxItem a(1), b(2), c(3);
  a.LinkToNext(&b);
  a.LinkToNext(&c);  // after the last: a, b, c
  EXPECT_EQ(a.UnlinkNext(), &b);
  EXPECT_EQ(a.GetNextObjectPtr(), nullptr);
  EXPECT_EQ(b.GetBeforeObjectPtr(), nullptr);
  EXPECT_EQ(b.GetNextObjectPtr(), &c) << "the part cut off stays linked";
  EXPECT_EQ(a.UnlinkNext(), nullptr);

  cOSTypeBox box;
  for (OSType type : {SpFourCC("TEXT"), SpFourCC("AIFF"), SpFourCC("WAVE")}) box.AddNewType(type);
  box.WipeoutItemList();
  EXPECT_FALSE(box.ExistTargetType(SpFourCC("AIFF")));
}

}  // namespace
