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

std::unordered_set<const UserDataRecord*>& Live() {
  static std::unordered_set<const UserDataRecord*> live;
  return live;
}

OSErr Result(OSErr err) {
  SetMoviesError(err);
  return err;
}

// The index-th item of the type (from 1); null when there is none.
UserDataRecord::Item* FindItem(UserDataRecord& ud, OSType type, SInt32 index) {
  if (index < 1) return nullptr;
  SInt32 seen = 0;
  for (auto& item : ud.items) {
    if (item.type == type && ++seen == index) return &item;
  }
  return nullptr;
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
  // Types in the order of their first items.
  std::vector<OSType> types;
  for (const auto& item : theUserData->items) {
    if (std::find(types.begin(), types.end(), item.type) == types.end()) types.push_back(item.type);
  }
  if (udType == 0) return types.empty() ? 0 : types.front();
  auto it = std::find(types.begin(), types.end(), udType);
  if (it == types.end() || ++it == types.end()) return 0;
  return *it;
}

SInt16 CountUserDataType(UserData theUserData, OSType udType) {
  if (!qt::IsLiveUserData(theUserData)) {
    qt::SetMoviesError(paramErr);
    return 0;
  }
  qt::SetMoviesError(noErr);
  const auto n =
      std::count_if(theUserData->items.begin(), theUserData->items.end(),
                    [udType](const UserDataRecord::Item& i) { return i.type == udType; });
  return SInt16(std::min<long>(n, SHRT_MAX));
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
    theUserData->items.push_back(std::move(item));
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}

OSErr RemoveUserData(UserData theUserData, OSType udType, SInt32 index) {
  if (!qt::IsLiveUserData(theUserData) || index < 1) return qt::Result(paramErr);
  UserDataRecord::Item* item = qt::FindItem(*theUserData, udType, index);
  if (item == nullptr) return qt::Result(userDataItemNotFound);
  theUserData->items.erase(theUserData->items.begin() + (item - theUserData->items.data()));
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
      theUserData->items.push_back(std::move(fresh));
      item = &theUserData->items.back();
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
      theUserData->items.erase(theUserData->items.begin() + (item - theUserData->items.data()));
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
    for (const auto& item : theUserData->items) {
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
      ud->items.push_back(std::move(item));
    }
    *theUserData = ud;
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}
