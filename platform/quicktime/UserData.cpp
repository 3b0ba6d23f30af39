// Movie user data: typed items in order, their text entries and their 'udta' bytes.

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <unordered_set>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "UserData.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/MovieData.h"

namespace sp_platform {
namespace quicktime {
namespace {

UInt64 gExamined = 0;

std::unordered_set<const UserDataRecord*>& Live() {
  static std::unordered_set<const UserDataRecord*> live;
  return live;
}

OSErr Result(OSErr err) {
  SetMoviesError(err);
  return err;
}

UserDataRecord::Item* FindItem(UserDataRecord& ud, OSType type, SInt32 index) {
  return ud.Find(type, index);
}

// The entry of a language: the one marked with that Mac language code, else one marked with
// the same language's ISO code; for English (0), which plain Mac text uses by default, also
// one marked "undetermined", as files of other tools mark text whose language they do not
// know.
std::vector<TextEntry>::iterator FindEntry(std::vector<TextEntry>& entries, SInt16 language) {
  const UInt16 mac = UInt16(language);
  auto by = [&entries](UInt16 code) {
    return std::find_if(entries.begin(), entries.end(),
                        [code](const TextEntry& e) { return e.language == code; });
  };
  auto it = by(mac);
  if (it != entries.end()) return it;
  const UInt16 iso = PackedISOLanguageOfMacLanguage(mac);
  if (iso != 0) {
    it = by(iso);
    if (it != entries.end()) return it;
  }
  if (mac == UInt16(langEnglish)) return by(PackedISOLanguageOfMacLanguage(0x7FFF));
  return entries.end();
}

bool CopyIntoHandle(const std::vector<UInt8>& bytes, Handle h) {
  SetHandleSize(h, Size(bytes.size()));
  if (MemError() != noErr) return false;
  if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
  return true;
}

std::vector<UInt8> HandleBytes(Handle h) {
  const Size n = GetHandleSize(h);
  if (n <= 0 || *h == nullptr) return {};
  return std::vector<UInt8>(reinterpret_cast<UInt8*>(*h), reinterpret_cast<UInt8*>(*h) + n);
}

bool ValidHandle(Handle h) {
  return h != nullptr && (GetHandleSize(h) == 0 || *h != nullptr) && MemError() == noErr;
}

}  // namespace

UInt64 UserDataItemsExamined() {
  return gExamined;
}

UserDataRecord* NewUserDataRecord(bool ownedByMovie) {
  auto* ud = new UserDataRecord;
  ud->ownedByMovie = ownedByMovie;
  Live().insert(ud);
  return ud;
}

void DeleteUserDataRecord(UserDataRecord* userData) {
  if (userData == nullptr) return;
  Live().erase(userData);
  delete userData;
}

bool IsLiveUserData(const UserDataRecord* userData) {
  return userData != nullptr && Live().count(userData) != 0;
}

}  // namespace quicktime
}  // namespace sp_platform

// ---- The record -----------------------------------------------------------------------------

void UserDataRecord::Add(Item item) {
  Kind& kind = kinds_[item.type];
  if (kind.items.empty()) {
    kind.order = types_.size();
    types_.push_back(item.type);
  }
  kind.items.push_back(items_.size());
  items_.push_back(std::move(item));
}

UserDataRecord::Item* UserDataRecord::Find(OSType type, SInt32 index) {
  ++sp_platform::quicktime::gExamined;
  auto it = kinds_.find(type);
  if (index < 1 || it == kinds_.end() || std::size_t(index) > it->second.items.size()) {
    return nullptr;
  }
  return &items_[it->second.items[std::size_t(index) - 1]];
}

std::size_t UserDataRecord::Count(OSType type) const {
  ++sp_platform::quicktime::gExamined;
  auto it = kinds_.find(type);
  return it == kinds_.end() ? 0 : it->second.items.size();
}

void UserDataRecord::Erase(const Item* item) {
  // Rare (a removal): the index is made again.
  sp_platform::quicktime::gExamined += items_.size();
  std::vector<Item> kept = std::move(items_);
  kept.erase(kept.begin() + (item - kept.data()));
  items_.clear();
  types_.clear();
  kinds_.clear();
  for (Item& i : kept) Add(std::move(i));
}

OSType UserDataRecord::TypeAfter(OSType type) const {
  ++sp_platform::quicktime::gExamined;
  if (type == 0) return types_.empty() ? 0 : types_.front();
  auto it = kinds_.find(type);
  if (it == kinds_.end() || it->second.order + 1 >= types_.size()) return 0;
  return types_[it->second.order + 1];
}

namespace qt = sp_platform::quicktime;

OSErr NewUserData(UserData* theUserData) {
  if (theUserData == nullptr) return qt::Result(paramErr);
  *theUserData = nullptr;
  try {
    *theUserData = qt::NewUserDataRecord(false);
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}

OSErr DisposeUserData(UserData theUserData) {
  if (!qt::IsLiveUserData(theUserData) || theUserData->ownedByMovie) return qt::Result(paramErr);
  qt::DeleteUserDataRecord(theUserData);
  return qt::Result(noErr);
}

OSType GetNextUserDataType(UserData theUserData, OSType udType) {
  if (!qt::IsLiveUserData(theUserData)) {
    qt::SetMoviesError(paramErr);
    return 0;
  }
  qt::SetMoviesError(noErr);
  return theUserData->TypeAfter(udType);
}

SInt16 CountUserDataType(UserData theUserData, OSType udType) {
  if (!qt::IsLiveUserData(theUserData)) {
    qt::SetMoviesError(paramErr);
    return 0;
  }
  qt::SetMoviesError(noErr);
  return SInt16(std::min<std::size_t>(theUserData->Count(udType), SHRT_MAX));
}

OSErr GetUserData(UserData theUserData, Handle data, OSType udType, SInt32 index) {
  if (!qt::IsLiveUserData(theUserData) || !qt::ValidHandle(data) || index < 1)
    return qt::Result(paramErr);
  const UserDataRecord::Item* item = qt::FindItem(*theUserData, udType, index);
  if (item == nullptr) return qt::Result(userDataItemNotFound);
  return qt::Result(qt::CopyIntoHandle(item->payload, data) ? noErr : memFullErr);
}

OSErr AddUserData(UserData theUserData, Handle data, OSType udType) {
  if (!qt::IsLiveUserData(theUserData) || !qt::ValidHandle(data)) return qt::Result(paramErr);
  try {
    UserDataRecord::Item item;
    item.type = udType;
    item.payload = qt::HandleBytes(data);
    theUserData->Add(std::move(item));
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}

OSErr RemoveUserData(UserData theUserData, OSType udType, SInt32 index) {
  if (!qt::IsLiveUserData(theUserData) || index < 1) return qt::Result(paramErr);
  UserDataRecord::Item* item = qt::FindItem(*theUserData, udType, index);
  if (item == nullptr) return qt::Result(userDataItemNotFound);
  theUserData->Erase(item);
  return qt::Result(noErr);
}

OSErr GetUserDataText(UserData theUserData, Handle data, OSType udType, SInt32 index,
                      SInt16 itlRegionTag) {
  if (!qt::IsLiveUserData(theUserData) || !qt::ValidHandle(data) || index < 1)
    return qt::Result(paramErr);
  try {
    const UserDataRecord::Item* item = qt::FindItem(*theUserData, udType, index);
    std::vector<qt::TextEntry> entries;
    if (item == nullptr || !qt::ParseTextEntries(item->payload, entries))
      return qt::Result(userDataItemNotFound);
    auto entry = qt::FindEntry(entries, itlRegionTag);
    if (entry == entries.end()) return qt::Result(userDataItemNotFound);
    return qt::Result(qt::CopyIntoHandle(entry->text, data) ? noErr : memFullErr);
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
}

OSErr AddUserDataText(UserData theUserData, Handle data, OSType udType, SInt32 index,
                      SInt16 itlRegionTag) {
  if (!qt::IsLiveUserData(theUserData) || !qt::ValidHandle(data) || index < 1)
    return qt::Result(paramErr);
  if (GetHandleSize(data) > 0xFFFF) return qt::Result(paramErr);
  try {
    UserDataRecord::Item* item = qt::FindItem(*theUserData, udType, index);
    if (item == nullptr) {
      if (index != CountUserDataType(theUserData, udType) + 1)
        return qt::Result(userDataItemNotFound);
      UserDataRecord::Item fresh;
      fresh.type = udType;
      theUserData->Add(std::move(fresh));
      item = qt::FindItem(*theUserData, udType, index);
    }
    std::vector<qt::TextEntry> entries;
    if (!qt::ParseTextEntries(item->payload, entries)) return qt::Result(paramErr);
    const UInt16 language = UInt16(itlRegionTag);
    auto it = std::find_if(entries.begin(), entries.end(),
                           [language](const qt::TextEntry& e) { return e.language == language; });
    if (it == entries.end()) {
      entries.emplace_back();
      it = entries.end() - 1;
      it->language = language;
    }
    it->text = qt::HandleBytes(data);
    item->payload = qt::BuildTextEntries(entries);
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}

OSErr RemoveUserDataText(UserData theUserData, OSType udType, SInt32 index, SInt16 itlRegionTag) {
  if (!qt::IsLiveUserData(theUserData) || index < 1) return qt::Result(paramErr);
  try {
    UserDataRecord::Item* item = qt::FindItem(*theUserData, udType, index);
    std::vector<qt::TextEntry> entries;
    if (item == nullptr || !qt::ParseTextEntries(item->payload, entries))
      return qt::Result(userDataItemNotFound);
    auto entry = qt::FindEntry(entries, itlRegionTag);
    if (entry == entries.end()) return qt::Result(userDataItemNotFound);
    entries.erase(entry);
    if (entries.empty()) {
      theUserData->Erase(item);
    } else {
      item->payload = qt::BuildTextEntries(entries);
    }
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}

OSErr PutUserDataIntoHandle(UserData theUserData, Handle h) {
  if (!qt::IsLiveUserData(theUserData) || !qt::ValidHandle(h)) return qt::Result(paramErr);
  try {
    sp::ByteWriter w;
    w.BE32(0);
    w.FourCC(kUserDataListType);
    for (const auto& item : theUserData->Items()) {
      w.BE32(UInt32(item.payload.size() + 8));
      w.FourCC(item.type);
      w.Bytes(item.payload.data(), item.payload.size());
    }
    if (w.Size() > std::size_t(INT32_MAX)) return qt::Result(memFullErr);
    w.PatchBE32(0, UInt32(w.Size()));
    return qt::Result(qt::CopyIntoHandle(w.Data(), h) ? noErr : memFullErr);
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
}

OSErr NewUserDataFromHandle(Handle h, UserData* theUserData) {
  if (theUserData == nullptr || !qt::ValidHandle(h)) return qt::Result(paramErr);
  *theUserData = nullptr;
  try {
    const std::vector<UInt8> bytes = qt::HandleBytes(h);
    std::size_t begin = 0, end = bytes.size();
    // A whole 'udta' atom: its items are inside it.
    if (bytes.size() >= 8 && sp::LoadBE32(bytes.data() + 4) == kUserDataListType) {
      const UInt32 size = sp::LoadBE32(bytes.data());
      if (size >= 8 && size <= bytes.size()) {
        begin = 8;
        end = size;
      }
    }
    std::vector<qt::Atom> atoms;
    qt::ListAtoms(bytes.data(), begin, end, atoms);
    UserDataRecord* ud = qt::NewUserDataRecord(false);
    for (const qt::Atom& atom : atoms) {
      UserDataRecord::Item item;
      item.type = atom.type;
      item.payload.assign(bytes.begin() + std::ptrdiff_t(atom.dataStart),
                          bytes.begin() + std::ptrdiff_t(atom.dataStart + atom.dataSize));
      ud->Add(std::move(item));
    }
    *theUserData = ud;
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}
