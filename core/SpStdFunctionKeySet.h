// Short-cut key sets and sets of four-character type codes.
//
// A cKeySet holds short-cut keys (a modifier combination and a character) that a window or a
// menu checks incoming keys against; a cOSTypeBox holds distinct type codes and reads them
// out one after another. Both own their items.
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpStdFunctionNumber.h"

// The copy of one short-cut key that cKeySetItem::GetKeyInfo gives out.
struct sKeyInfo {
  sSpModifiersDataStruct modifiers;
  char keyText[4];  // the key character, then NUL bytes
};

// One short-cut key.
class cKeySetItem : public cSpListLinks<cKeySetItem>, public cSpMacHeapObject {
 public:
  // A key with a copy of the modifiers (all clear for a null pointer).
  cKeySetItem(const sSpModifiersDataStruct* modifiers, char key);
  // An unlinked copy of another item's key (all clear for a null pointer).
  explicit cKeySetItem(const cKeySetItem* other);

  // True when the key matches: unless modifiers are ignored, the five modifier flags must
  // be equal first (a null record stands for no modifier at all); then the character must
  // be the same byte, so letters match in their own case only.
  Boolean CheckKey(const sSpModifiersDataStruct* modifiers, char key,
                   Boolean ignoreModifiers) const;
  // True when both keys have the same character and the same five modifiers.
  Boolean EqualItem(const cKeySetItem* other) const;
  void GetKeyInfo(sKeyInfo& info) const;

 private:
  sSpModifiersDataStruct modifiers_{};
  char keyText_[4] = {};
};

// A set of short-cut keys. Key sets can themselves be chained.
class cKeySet : public cSpListLinks<cKeySet> {
 public:
  cKeySet() = default;
  ~cKeySet() { ClearKeyItem(); }
  cKeySet(const cKeySet&) = delete;
  cKeySet& operator=(const cKeySet&) = delete;

  void SetupNewKey(const sSpModifiersDataStruct* modifiers, char key);
  // Adds a copy of every key of the other set that this set does not hold yet.
  void CopyKeySet(const cKeySet* other);
  // True when one of the keys matches (cKeySetItem::CheckKey).
  Boolean CheckKey(const sSpModifiersDataStruct* modifiers, char key,
                   Boolean ignoreModifiers) const;
  // The same with the modifiers as event bits; 0 stands for no modifier at all. (A literal 0
  // as first argument is ambiguous between the two forms: write short(0) or nullptr.)
  Boolean CheckKey(short modifiers, char key, Boolean ignoreModifiers) const;
  cKeySetItem* GetKeyItemListHeadPtr() const { return first_; }
  void ClearKeyItem();

 private:
  // Appends a new key; false when it cannot be allocated.
  bool Append(cKeySetItem* item);

  cKeySetItem* first_ = nullptr;
  cKeySetItem* last_ = nullptr;
};

// One type code of a cOSTypeBox.
class cOSTypeBoxItem : public cSpListLinks<cOSTypeBoxItem>, public cSpMacHeapObject {
 public:
  explicit cOSTypeBoxItem(OSType type) : type_(type) {}

  OSType GetTargetOSType() const { return type_; }
  // The item holding the code, walking from this item to the end of its chain; null when
  // none does.
  cOSTypeBoxItem* SerchEqualOStypeItem(OSType type);

 private:
  OSType type_ = 0;
};

// A set of distinct type codes in the order they were added, with a sequential reader.
class cOSTypeBox {
 public:
  cOSTypeBox() = default;
  ~cOSTypeBox() { WipeoutItemList(); }
  cOSTypeBox(const cOSTypeBox&) = delete;
  cOSTypeBox& operator=(const cOSTypeBox&) = delete;

  // Appends the code unless it is present. The first code added to an empty box is also
  // where the sequential reading starts.
  void AddNewType(OSType type);
  Boolean ExistTargetType(OSType type);
  // Starts the sequential reading at the first code.
  void InitializeSequentialView();
  // The next code of the sequential reading; 0 at the end.
  Boolean GetSequentialViewTargetOStype(OSType& type);
  void WipeoutItemList();

 private:
  cOSTypeBoxItem* first_ = nullptr;
  cOSTypeBoxItem* last_ = nullptr;
  cOSTypeBoxItem* cursor_ = nullptr;
};
