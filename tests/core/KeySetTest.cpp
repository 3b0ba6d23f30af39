#include <gtest/gtest.h>

#include "ErrorLogCapture.h"
#include "Events.h"
#include "SpStdFunctionKeySet.h"
#include "SpTesting.h"

namespace {

sSpModifiersDataStruct Mods(bool command, bool shift = false) {
  sSpModifiersDataStruct m{};
  m.commandFlag = command ? 1 : 0;
  m.shiftFlag = shift ? 1 : 0;
  return m;
}

int CountKeys(const cKeySet& set) {
  int n = 0;
  for (cKeySetItem* i = set.GetKeyItemListHeadPtr(); i != nullptr; i = i->GetNextObjectPtr()) ++n;
  return n;
}

TEST(KeySet, CommandSMatchesOnlyItsOwnCaseAndModifiers) {
  cKeySet set;
  const sSpModifiersDataStruct command = Mods(true);
  set.SetupNewKey(&command, 'S');
  const sSpModifiersDataStruct commandShift = Mods(true, true);
  const sSpModifiersDataStruct none{};
  struct Case {
    const sSpModifiersDataStruct* mods;
    char key;
    Boolean ignore;
    Boolean match;
    const char* why;
  } cases[] = {
      {&command, 'S', 0, 1, "the key itself"},
      {&command, 's', 0, 0, "letters are compared by byte"},
      {&commandShift, 'S', 0, 0, "one modifier more"},
      {&none, 'S', 0, 0, "no modifier"},
      {nullptr, 'S', 0, 0, "no record means no modifier"},
      {&none, 'S', 1, 1, "modifiers ignored"},
      {nullptr, 'X', 1, 0, "another key, modifiers ignored"},
  };
  for (const Case& c : cases) EXPECT_EQ(set.CheckKey(c.mods, c.key, c.ignore), c.match) << c.why;

  EXPECT_TRUE(set.CheckKey(short(cmdKey), 'S', 0));
  EXPECT_FALSE(set.CheckKey(short(cmdKey | shiftKey), 'S', 0));
  EXPECT_FALSE(set.CheckKey(short(0), 'S', 0));
}

TEST(KeySet, CopyingASetIntoItselfOrOverlappingSetsAddsNoDuplicates) {
  cKeySet a;
  const sSpModifiersDataStruct command = Mods(true);
  a.SetupNewKey(&command, 'S');
  a.SetupNewKey(&command, 'O');
  a.CopyKeySet(&a);
  EXPECT_EQ(CountKeys(a), 2);

  cKeySet b;
  b.SetupNewKey(&command, 'O');
  b.SetupNewKey(nullptr, 'O');
  a.CopyKeySet(&b);
  EXPECT_EQ(CountKeys(a), 3) << "only the O without modifiers is new";
  EXPECT_TRUE(a.CheckKey(short(0), 'O', 0));

  sKeyInfo info{};
  a.GetKeyItemListHeadPtr()->GetLastObjectPtr()->GetKeyInfo(info);
  EXPECT_STREQ(info.keyText, "O");
  EXPECT_EQ(info.modifiers.commandFlag, 0);

  ErrorLogCapture log;
  a.CopyKeySet(nullptr);
  EXPECT_TRUE(log.Has("cKeySet::CopyKeySet", 1));
  EXPECT_FALSE(a.GetKeyItemListHeadPtr()->EqualItem(nullptr));
  EXPECT_TRUE(log.Has("cKeySetItem::EqualItem", 1));
}

TEST(OSTypeBox, DuplicatesAreKeptOnceAndSequentialReadingStartsAtTheFirstCode) {
  const OSType a = SpFourCC("AIFF"), b = SpFourCC("WAVE"), c = SpFourCC("MooV");
  cOSTypeBox box;
  box.AddNewType(a);
  box.AddNewType(b);
  box.AddNewType(a);
  EXPECT_TRUE(box.ExistTargetType(b));
  EXPECT_FALSE(box.ExistTargetType(c));

  OSType got = 0;
  ASSERT_TRUE(box.GetSequentialViewTargetOStype(got));
  EXPECT_EQ(got, a);
  ASSERT_TRUE(box.GetSequentialViewTargetOStype(got));
  EXPECT_EQ(got, b);
  EXPECT_FALSE(box.GetSequentialViewTargetOStype(got));

  box.AddNewType(c);
  box.InitializeSequentialView();
  int n = 0;
  while (box.GetSequentialViewTargetOStype(got)) ++n;
  EXPECT_EQ(n, 3);

  box.WipeoutItemList();
  EXPECT_FALSE(box.ExistTargetType(a));
  EXPECT_FALSE(box.GetSequentialViewTargetOStype(got));
  box.AddNewType(c);
  ASSERT_TRUE(box.GetSequentialViewTargetOStype(got)) << "the first code of an empty box";
  EXPECT_EQ(got, c);
}

}  // namespace
