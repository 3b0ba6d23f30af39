#include "SpStdFunctionKeySet.h"

#include <cstring>

#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpStdFunction";

bool SameModifiers(const sSpModifiersDataStruct& a, const sSpModifiersDataStruct& b) {
  return a.commandFlag == b.commandFlag && a.shiftFlag == b.shiftFlag &&
         a.capsLockFlag == b.capsLockFlag && a.optionFlag == b.optionFlag &&
         a.controlFlag == b.controlFlag;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// cKeySetItem

cKeySetItem::cKeySetItem(const sSpModifiersDataStruct* modifiers, char key) {
  if (modifiers != nullptr) modifiers_ = *modifiers;
  keyText_[0] = key;
}

cKeySetItem::cKeySetItem(const cKeySetItem* other) {
  if (other == nullptr) return;
  modifiers_ = other->modifiers_;
  std::memcpy(keyText_, other->keyText_, sizeof keyText_);
}

Boolean cKeySetItem::CheckKey(const sSpModifiersDataStruct* modifiers, char key,
                              Boolean ignoreModifiers) const {
  if (!ignoreModifiers) {
    const sSpModifiersDataStruct none{};
    if (!SameModifiers(modifiers != nullptr ? *modifiers : none, modifiers_)) return 0;
  }
  return keyText_[0] == key ? 1 : 0;
}

Boolean cKeySetItem::EqualItem(const cKeySetItem* other) const {
  if (other == nullptr) {
    return SpReportFailure(kSource, "cKeySetItem::EqualItem", 1, kSpMsgNullArgument, Boolean(0));
  }
  return std::memcmp(keyText_, other->keyText_, sizeof keyText_) == 0 &&
                 SameModifiers(modifiers_, other->modifiers_)
             ? 1
             : 0;
}

void cKeySetItem::GetKeyInfo(sKeyInfo& info) const {
  info.modifiers = modifiers_;
  std::memcpy(info.keyText, keyText_, sizeof info.keyText);
}

// ---------------------------------------------------------------------------------------
// cKeySet

bool cKeySet::Append(cKeySetItem* item) {
  if (item == nullptr) return false;
  SpAppendToList(first_, last_, item);
  return true;
}

void cKeySet::SetupNewKey(const sSpModifiersDataStruct* modifiers, char key) {
  if (!Append(new (std::nothrow) cKeySetItem(modifiers, key))) {
    SpReportFailure(kSource, "cKeySet::SetupNewKey", 1, kSpMsgMemory);
  }
}

void cKeySet::CopyKeySet(const cKeySet* other) {
  if (other == nullptr) {
    SpReportFailure(kSource, "cKeySet::CopyKeySet", 1, kSpMsgNullArgument);
    return;
  }
  // Copying a set into itself adds nothing: every key finds itself.
  for (const cKeySetItem* source = other->first_; source != nullptr;
       source = source->GetNextObjectPtr()) {
    bool held = false;
    for (const cKeySetItem* own = first_; own != nullptr && !held; own = own->GetNextObjectPtr()) {
      held = own->EqualItem(source) != 0;
    }
    if (held) continue;
    if (!Append(new (std::nothrow) cKeySetItem(source))) {
      SpReportFailure(kSource, "cKeySet::CopyKeySet", 2, kSpMsgMemory);
      return;
    }
  }
}

Boolean cKeySet::CheckKey(const sSpModifiersDataStruct* modifiers, char key,
                          Boolean ignoreModifiers) const {
  for (const cKeySetItem* item = first_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->CheckKey(modifiers, key, ignoreModifiers)) return 1;
  }
  return 0;
}

Boolean cKeySet::CheckKey(short modifiers, char key, Boolean ignoreModifiers) const {
  if (modifiers == 0)
    return CheckKey(static_cast<const sSpModifiersDataStruct*>(nullptr), key, ignoreModifiers);
  sSpModifiersDataStruct info{};
  Sp_ModifiersValueToModifiersDataInfo(modifiers, info);
  return CheckKey(&info, key, ignoreModifiers);
}

void cKeySet::ClearKeyItem() {
  SpDeleteList(first_);
  first_ = nullptr;
  last_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// cOSTypeBoxItem, cOSTypeBox

cOSTypeBoxItem* cOSTypeBoxItem::SerchEqualOStypeItem(OSType type) {
  for (cOSTypeBoxItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->type_ == type) return item;
  }
  return nullptr;
}

void cOSTypeBox::AddNewType(OSType type) {
  if (ExistTargetType(type)) return;
  cOSTypeBoxItem* item = new (std::nothrow) cOSTypeBoxItem(type);
  if (item == nullptr) {
    SpReportFailure(kSource, "cOSTypeBox::AddNewType", 6, kSpMsgMemory);
    return;
  }
  if (last_ == nullptr) {
    first_ = item;
    cursor_ = item;
  } else {
    last_->LinkToNext(item);
  }
  last_ = item;
}

Boolean cOSTypeBox::ExistTargetType(OSType type) {
  return first_ != nullptr && first_->SerchEqualOStypeItem(type) != nullptr ? 1 : 0;
}

void cOSTypeBox::InitializeSequentialView() {
  cursor_ = first_;
}

Boolean cOSTypeBox::GetSequentialViewTargetOStype(OSType& type) {
  if (cursor_ == nullptr) return 0;
  type = cursor_->GetTargetOSType();
  cursor_ = cursor_->GetNextObjectPtr();
  return 1;
}

void cOSTypeBox::WipeoutItemList() {
  SpDeleteList(first_);
  first_ = nullptr;
  last_ = nullptr;
  cursor_ = nullptr;
}
