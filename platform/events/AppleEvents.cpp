// Descriptors, lists and Apple events, and the coercions between the file types.
//
// Lists and Apple events keep their items flattened in the descriptor's handle. An item is
// its keyword, its type and its size (three 32-bit values in the host's order: the bytes
// never leave the process), followed by its data. A list is a run of items (keyword
// keyAEWildCard). An Apple event is the size of its attribute run, the attribute run, then
// the parameter run. Nested lists and descriptors are items whose data is their own handle's
// bytes, so every operation is a decode, a change and an encode of plain bytes, and a
// corrupt handle is found (errAECorruptData) rather than read past.
#include "AppleEvents.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CFURLFiles.h"
#include "Files.h"
#include "MacMemory.h"

namespace {

constexpr std::size_t kItemHeaderBytes = 12;
constexpr std::size_t kMaxDataBytes = 0x7FFFFFFF;

struct Item {
  AEKeyword key;
  DescType type;
  std::string data;
};
typedef std::vector<Item> Items;

// The bytes a descriptor holds (none for a null handle).
std::string DescBytes(const AEDesc& desc) {
  if (desc.dataHandle == nullptr) return std::string();
  Size size = GetHandleSize(desc.dataHandle);
  if (size <= 0 || *desc.dataHandle == nullptr) return std::string();
  return std::string(*desc.dataHandle, std::size_t(size));
}

bool DecodeItems(const std::string& bytes, std::size_t from, std::size_t to, Items* out) {
  std::size_t pos = from;
  while (pos < to) {
    if (to - pos < kItemHeaderBytes) return false;
    UInt32 header[3];
    std::memcpy(header, bytes.data() + pos, sizeof header);
    pos += kItemHeaderBytes;
    if (header[2] > to - pos) return false;
    out->push_back(Item{header[0], header[1], bytes.substr(pos, header[2])});
    pos += header[2];
  }
  return true;
}

void EncodeItems(const Items& items, std::string* out) {
  for (const Item& item : items) {
    UInt32 header[3] = {item.key, item.type, UInt32(item.data.size())};
    out->append(reinterpret_cast<const char*>(header), sizeof header);
    out->append(item.data);
  }
}

// Replaces the descriptor's bytes, keeping its handle (callers may hold copies of the AEDesc
// record). On failure the descriptor is unchanged.
OSErr StoreBytes(AEDesc* desc, const std::string& bytes) {
  if (bytes.size() > kMaxDataBytes) return memFullErr;
  Size size = Size(bytes.size());
  if (desc->dataHandle == nullptr) {
    Handle h = NewHandle(size);
    if (h == nullptr) return memFullErr;
    desc->dataHandle = h;
  } else {
    SetHandleSize(desc->dataHandle, size);
    if (MemError() != noErr) return memFullErr;
  }
  if (size > 0) std::memcpy(*desc->dataHandle, bytes.data(), bytes.size());
  return noErr;
}

// A new descriptor holding a copy of the bytes; a null descriptor on failure.
OSErr MakeDesc(DescType type, const std::string& bytes, AEDesc* result) {
  return AECreateDesc(type, bytes.data(), Size(bytes.size()), result);
}

// ---- Lists ----

// A list's bytes as its handle holds them, read in place: a list of many items is walked by
// its items' headers, not copied and decoded whole for every item asked of or added.
struct ListBytes {
  const char* data = nullptr;
  std::size_t size = 0;
};

OSErr ListBytesOf(const AEDescList* list, ListBytes* out) {
  if (list == nullptr) return paramErr;
  if (list->descriptorType != typeAEList) return errAEWrongDataType;
  *out = ListBytes();
  if (list->dataHandle != nullptr && *list->dataHandle != nullptr) {
    const Size size = GetHandleSize(list->dataHandle);
    if (size > 0) *out = ListBytes{*list->dataHandle, std::size_t(size)};
  }
  return noErr;
}

// The list's bytes, every item's header checked against the bytes there are: the items counted
// and where the item at `index` (from 1; 0 for none) starts. errAECorruptData when the bytes
// are no list.
OSErr WalkList(const AEDescList* list, SInt32 index, ListBytes& bytes, SInt32* count,
               std::size_t* place) {
  if (OSErr err = ListBytesOf(list, &bytes)) return err;
  std::size_t pos = 0;
  SInt32 n = 0;
  while (pos < bytes.size) {
    if (bytes.size - pos < kItemHeaderBytes) return errAECorruptData;
    UInt32 header[3];
    std::memcpy(header, bytes.data + pos, sizeof header);
    if (header[2] > bytes.size - pos - kItemHeaderBytes) return errAECorruptData;
    if (++n == index && place != nullptr) *place = pos;
    pos += kItemHeaderBytes + header[2];
  }
  *count = n;
  return noErr;
}

OSErr ReadList(const AEDescList* list, Items* items) {
  ListBytes bytes;
  OSErr err = ListBytesOf(list, &bytes);
  if (err != noErr) return err;
  return DecodeItems(std::string(bytes.data, bytes.size), 0, bytes.size, items)
             ? OSErr(noErr)
             : OSErr(errAECorruptData);
}

OSErr WriteList(AEDescList* list, const Items& items) {
  std::string bytes;
  EncodeItems(items, &bytes);
  return StoreBytes(list, bytes);
}

OSErr PutListItem(AEDescList* list, SInt32 index, DescType type, std::string data) {
  ListBytes bytes;
  SInt32 count = 0;
  OSErr err = WalkList(list, 0, bytes, &count, nullptr);
  if (err != noErr) return err;
  if (index < 0 || index > count + 1) return errAEIllegalIndex;
  if (index != 0 && index != count + 1) {
    Items items;
    err = ReadList(list, &items);
    if (err != noErr) return err;
    items[std::size_t(index) - 1].type = type;
    items[std::size_t(index) - 1].data = std::move(data);
    return WriteList(list, items);
  }
  // Added at the end: the item's bytes follow the others.
  if (data.size() > kMaxDataBytes - kItemHeaderBytes - bytes.size) return memFullErr;
  std::string item;
  EncodeItems(Items{Item{keyAEWildCard, type, std::move(data)}}, &item);
  if (list->dataHandle == nullptr) return StoreBytes(list, item);
  SetHandleSize(list->dataHandle, Size(bytes.size + item.size()));
  if (MemError() != noErr) return memFullErr;
  std::memcpy(*list->dataHandle + bytes.size, item.data(), item.size());
  return noErr;
}

OSErr GetListItem(const AEDescList* list, SInt32 index, Item* item) {
  ListBytes bytes;
  SInt32 count = 0;
  std::size_t place = 0;
  if (OSErr err = WalkList(list, index, bytes, &count, &place)) return err;
  if (index < 1 || index > count) return errAEBadListItem;
  UInt32 header[3];
  std::memcpy(header, bytes.data + place, sizeof header);
  *item = Item{header[0], header[1], std::string(bytes.data + place + kItemHeaderBytes, header[2])};
  return noErr;
}

// ---- Apple events ----

struct EventParts {
  Items attributes;
  Items parameters;
};

OSErr ReadEvent(const AppleEvent* event, EventParts* parts) {
  if (event == nullptr) return paramErr;
  if (event->descriptorType != typeAppleEvent) return errAENotAppleEvent;
  std::string bytes = DescBytes(*event);
  UInt32 attributeBytes = 0;
  if (bytes.size() < sizeof attributeBytes) return errAECorruptData;
  std::memcpy(&attributeBytes, bytes.data(), sizeof attributeBytes);
  std::size_t split = sizeof attributeBytes + std::size_t(attributeBytes);
  if (attributeBytes > bytes.size() - sizeof attributeBytes ||
      !DecodeItems(bytes, sizeof attributeBytes, split, &parts->attributes) ||
      !DecodeItems(bytes, split, bytes.size(), &parts->parameters)) {
    return errAECorruptData;
  }
  return noErr;
}

std::string EncodeEvent(const EventParts& parts) {
  std::string attributes;
  EncodeItems(parts.attributes, &attributes);
  UInt32 attributeBytes = UInt32(attributes.size());
  std::string bytes(reinterpret_cast<const char*>(&attributeBytes), sizeof attributeBytes);
  bytes += attributes;
  EncodeItems(parts.parameters, &bytes);
  return bytes;
}

const Item* FindKeyed(const Items& items, AEKeyword key) {
  for (const Item& item : items) {
    if (item.key == key) return &item;
  }
  return nullptr;
}

void PutKeyed(Items* items, AEKeyword key, DescType type, std::string data) {
  for (Item& item : *items) {
    if (item.key == key) {
      item.type = type;
      item.data = std::move(data);
      return;
    }
  }
  items->push_back(Item{key, type, std::move(data)});
}

OSErr PutParameter(AppleEvent* event, AEKeyword key, DescType type, std::string data) {
  EventParts parts;
  OSErr err = ReadEvent(event, &parts);
  if (err != noErr) return err;
  PutKeyed(&parts.parameters, key, type, std::move(data));
  return StoreBytes(event, EncodeEvent(parts));
}

// The item of a keyword among the parameters or the attributes.
OSErr GetKeyed(const AppleEvent* event, AEKeyword key, bool attribute, Item* out) {
  EventParts parts;
  OSErr err = ReadEvent(event, &parts);
  if (err != noErr) return err;
  const Item* item = FindKeyed(attribute ? parts.attributes : parts.parameters, key);
  if (item == nullptr) return errAEDescNotFound;
  *out = *item;
  return noErr;
}

// ---- Coercion ----

// The FSRef of a file item, of whichever file type it is.
bool FileItemToFSRef(DescType type, const std::string& data, FSRef* ref) {
  if (type == typeFSRef) {
    if (data.size() != sizeof(FSRef)) return false;
    std::memcpy(ref, data.data(), sizeof(FSRef));
    return true;
  }
  if (type == typeFSS) {
    if (data.size() != sizeof(FSSpec)) return false;
    FSSpec spec;
    std::memcpy(&spec, data.data(), sizeof spec);
    return FSpMakeFSRef(&spec, ref) == noErr;
  }
  if (type == typeFileURL) {
    CFStringRef text =
        CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(data.data()),
                                CFIndex(data.size()), kCFStringEncodingUTF8, false);
    CFURLRef url =
        text != nullptr ? CFURLCreateWithString(kCFAllocatorDefault, text, nullptr) : nullptr;
    bool made = url != nullptr && CFURLGetFSRef(url, ref);
    CFRelease(url);
    CFRelease(text);
    return made;
  }
  return false;
}

bool FSRefToFileItem(const FSRef& ref, DescType type, std::string* out) {
  if (type == typeFSRef) {
    out->assign(reinterpret_cast<const char*>(&ref), sizeof ref);
    return true;
  }
  if (type == typeFSS) {
    FSSpec spec;
    std::memset(&spec, 0, sizeof spec);
    if (FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr) {
      return false;
    }
    out->assign(reinterpret_cast<const char*>(&spec), sizeof spec);
    return true;
  }
  if (type == typeFileURL) {
    CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, &ref);
    if (url == nullptr) return false;
    CFStringRef text = CFURLGetString(url);
    bool made = false;
    if (text != nullptr) {
      CFRange all = {0, CFStringGetLength(text)};
      CFIndex needed = 0;
      CFStringGetBytes(text, all, kCFStringEncodingUTF8, 0, false, nullptr, 0, &needed);
      std::string bytes(std::size_t(needed), '\0');
      CFIndex used = 0;
      CFIndex converted = CFStringGetBytes(text, all, kCFStringEncodingUTF8, 0, false,
                                           reinterpret_cast<UInt8*>(&bytes[0]), needed, &used);
      if (converted == all.length) {
        bytes.resize(std::size_t(used));
        *out = bytes;
        made = true;
      }
    }
    CFRelease(url);
    return made;
  }
  return false;
}

bool IsFileType(DescType type) {
  return type == typeFSS || type == typeFSRef || type == typeFileURL;
}

// The data of an item as the type asked.
OSErr Coerce(const Item& item, DescType desiredType, DescType* outType, std::string* out) {
  if (desiredType == typeWildCard || desiredType == item.type) {
    *outType = item.type;
    *out = item.data;
    return noErr;
  }
  if (desiredType == typeAEList) {
    // One item asked for as a list is a list of that item.
    Items one{Item{keyAEWildCard, item.type, item.data}};
    out->clear();
    EncodeItems(one, out);
    *outType = typeAEList;
    return noErr;
  }
  if (IsFileType(item.type) && IsFileType(desiredType)) {
    FSRef ref;
    if (FileItemToFSRef(item.type, item.data, &ref) && FSRefToFileItem(ref, desiredType, out)) {
      *outType = desiredType;
      return noErr;
    }
  }
  return errAECoercionFail;
}

OSErr DeliverPtr(const Item& item, DescType desiredType, DescType* typeCode, void* dataPtr,
                 Size maximumSize, Size* actualSize) {
  if (maximumSize < 0 || (dataPtr == nullptr && maximumSize > 0)) return paramErr;
  DescType type = typeNull;
  std::string data;
  OSErr err = Coerce(item, desiredType, &type, &data);
  if (err != noErr) return err;
  std::size_t copied =
      data.size() < std::size_t(maximumSize) ? data.size() : std::size_t(maximumSize);
  if (copied > 0) std::memcpy(dataPtr, data.data(), copied);
  if (typeCode != nullptr) *typeCode = type;
  if (actualSize != nullptr) *actualSize = Size(data.size());
  return noErr;
}

OSErr DeliverDesc(const Item& item, DescType desiredType, AEDesc* result) {
  DescType type = typeNull;
  std::string data;
  OSErr err = Coerce(item, desiredType, &type, &data);
  if (err != noErr) return err;
  return MakeDesc(type, data, result);
}

bool ValidBytes(const void* dataPtr, Size dataSize) {
  return dataSize >= 0 && (dataPtr != nullptr || dataSize == 0);
}

std::string BytesOf(const void* dataPtr, Size dataSize) {
  return dataSize > 0 ? std::string(static_cast<const char*>(dataPtr), std::size_t(dataSize))
                      : std::string();
}

const AEDesc kNullDesc = {typeNull, nullptr};

}  // namespace

// ---- UPPs ----

AEEventHandlerUPP NewAEEventHandlerUPP(AEEventHandlerProcPtr userRoutine) {
  return userRoutine;
}
void DisposeAEEventHandlerUPP(AEEventHandlerUPP) {}
AEIdleUPP NewAEIdleUPP(AEIdleProcPtr userRoutine) {
  return userRoutine;
}
void DisposeAEIdleUPP(AEIdleUPP) {}
AEFilterUPP NewAEFilterUPP(AEFilterProcPtr userRoutine) {
  return userRoutine;
}
void DisposeAEFilterUPP(AEFilterUPP) {}

// ---- Descriptors ----

OSErr AECreateDesc(DescType typeCode, const void* dataPtr, Size dataSize, AEDesc* result) {
  if (result == nullptr) return paramErr;
  if (!ValidBytes(dataPtr, dataSize)) {
    *result = kNullDesc;
    return paramErr;
  }
  if (typeCode == typeNull && dataSize == 0) {
    *result = kNullDesc;
    return noErr;
  }
  Handle h = NewHandle(dataSize);
  if (h == nullptr) {
    *result = kNullDesc;
    return memFullErr;
  }
  if (dataSize > 0) std::memcpy(*h, dataPtr, std::size_t(dataSize));
  result->descriptorType = typeCode;
  result->dataHandle = h;
  return noErr;
}

OSErr AEDisposeDesc(AEDesc* theAEDesc) {
  if (theAEDesc == nullptr) return paramErr;
  if (theAEDesc->dataHandle != nullptr) DisposeHandle(theAEDesc->dataHandle);
  *theAEDesc = kNullDesc;
  return noErr;
}

OSErr AEDuplicateDesc(const AEDesc* theAEDesc, AEDesc* result) {
  if (theAEDesc == nullptr || result == nullptr) return paramErr;
  DescType type = theAEDesc->descriptorType;
  if (theAEDesc->dataHandle == nullptr) {
    *result = AEDesc{type, nullptr};
    return noErr;
  }
  return MakeDesc(type, DescBytes(*theAEDesc), result);
}

OSErr AECoerceDesc(const AEDesc* theAEDesc, DescType toType, AEDesc* result) {
  if (theAEDesc == nullptr || result == nullptr) return paramErr;
  *result = kNullDesc;
  const DescType type = theAEDesc->descriptorType;
  if (type == toType || toType == typeWildCard) return AEDuplicateDesc(theAEDesc, result);
  const std::string data = theAEDesc->dataHandle != nullptr ? DescBytes(*theAEDesc) : std::string();
  return DeliverDesc(Item{keyAEWildCard, type, data}, toType, result);
}

Size AEGetDescDataSize(const AEDesc* theAEDesc) {
  if (theAEDesc == nullptr || theAEDesc->dataHandle == nullptr) return 0;
  return GetHandleSize(theAEDesc->dataHandle);
}

OSErr AEGetDescData(const AEDesc* theAEDesc, void* dataPtr, Size maximumSize) {
  if (theAEDesc == nullptr || maximumSize < 0 || (dataPtr == nullptr && maximumSize > 0)) {
    return paramErr;
  }
  const Size size = std::min(AEGetDescDataSize(theAEDesc), maximumSize);
  if (size > 0) std::memcpy(dataPtr, *theAEDesc->dataHandle, std::size_t(size));
  return noErr;
}

// ---- Lists ----

OSErr AECreateList(const void*, Size, Boolean isRecord, AEDescList* resultList) {
  if (resultList == nullptr) return paramErr;
  *resultList = kNullDesc;
  if (isRecord) return paramErr;
  Handle h = NewHandle(0);
  if (h == nullptr) return memFullErr;
  *resultList = AEDesc{typeAEList, h};
  return noErr;
}

OSErr AECountItems(const AEDescList* theAEDescList, SInt32* theCount) {
  if (theCount == nullptr) return paramErr;
  ListBytes bytes;
  SInt32 count = 0;
  const OSErr err = WalkList(theAEDescList, 0, bytes, &count, nullptr);
  if (err == noErr) *theCount = count;
  return err;
}

OSErr AEPutPtr(AEDescList* theAEDescList, SInt32 index, DescType typeCode, const void* dataPtr,
               Size dataSize) {
  if (!ValidBytes(dataPtr, dataSize)) return paramErr;
  return PutListItem(theAEDescList, index, typeCode, BytesOf(dataPtr, dataSize));
}

OSErr AEPutDesc(AEDescList* theAEDescList, SInt32 index, const AEDesc* theAEDesc) {
  if (theAEDesc == nullptr) return paramErr;
  return PutListItem(theAEDescList, index, theAEDesc->descriptorType, DescBytes(*theAEDesc));
}

OSErr AEGetNthPtr(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                  AEKeyword* theAEKeyword, DescType* typeCode, void* dataPtr, Size maximumSize,
                  Size* actualSize) {
  Item item;
  OSErr err = GetListItem(theAEDescList, index, &item);
  if (err != noErr) return err;
  err = DeliverPtr(item, desiredType, typeCode, dataPtr, maximumSize, actualSize);
  if (err == noErr && theAEKeyword != nullptr) *theAEKeyword = item.key;
  return err;
}

OSErr AEGetNthDesc(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                   AEKeyword* theAEKeyword, AEDesc* result) {
  if (result == nullptr) return paramErr;
  Item item;
  OSErr err = GetListItem(theAEDescList, index, &item);  // before *result: they may be one
  if (err == noErr) err = DeliverDesc(item, desiredType, result);
  if (err != noErr) *result = kNullDesc;
  if (err == noErr && theAEKeyword != nullptr) *theAEKeyword = item.key;
  return err;
}

OSErr AESizeOfNthItem(const AEDescList* theAEDescList, SInt32 index, DescType* typeCode,
                      Size* dataSize) {
  Item item;
  OSErr err = GetListItem(theAEDescList, index, &item);
  if (err != noErr) return err;
  if (typeCode != nullptr) *typeCode = item.type;
  if (dataSize != nullptr) *dataSize = Size(item.data.size());
  return noErr;
}

// ---- Apple events ----

OSErr AECreateAppleEvent(AEEventClass theAEEventClass, AEEventID theAEEventID,
                         const AEAddressDesc* target, AEReturnID returnID,
                         AETransactionID transactionID, AppleEvent* result) {
  if (result == nullptr) return paramErr;
  if (target == nullptr) {
    *result = kNullDesc;
    return paramErr;
  }
  if (returnID == kAutoGenerateReturnID) {
    static AEReturnID lastReturnID = 0;
    lastReturnID = lastReturnID >= 0x7FFF ? AEReturnID(1) : AEReturnID(lastReturnID + 1);
    returnID = lastReturnID;
  }
  EventParts parts;
  parts.attributes.push_back(
      Item{keyEventClassAttr, typeType, BytesOf(&theAEEventClass, sizeof theAEEventClass)});
  parts.attributes.push_back(
      Item{keyEventIDAttr, typeType, BytesOf(&theAEEventID, sizeof theAEEventID)});
  parts.attributes.push_back(Item{keyAddressAttr, target->descriptorType, DescBytes(*target)});
  parts.attributes.push_back(
      Item{keyReturnIDAttr, typeSInt16, BytesOf(&returnID, sizeof returnID)});
  parts.attributes.push_back(
      Item{keyTransactionIDAttr, typeSInt32, BytesOf(&transactionID, sizeof transactionID)});
  return MakeDesc(typeAppleEvent, EncodeEvent(parts), result);
}

OSErr AEPutParamPtr(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType typeCode,
                    const void* dataPtr, Size dataSize) {
  if (!ValidBytes(dataPtr, dataSize)) return paramErr;
  return PutParameter(theAppleEvent, theAEKeyword, typeCode, BytesOf(dataPtr, dataSize));
}

OSErr AEPutParamDesc(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, const AEDesc* theAEDesc) {
  if (theAEDesc == nullptr) return paramErr;
  return PutParameter(theAppleEvent, theAEKeyword, theAEDesc->descriptorType,
                      DescBytes(*theAEDesc));
}

OSErr AEGetParamPtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                    DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize) {
  Item item;
  OSErr err = GetKeyed(theAppleEvent, theAEKeyword, false, &item);
  if (err != noErr) return err;
  return DeliverPtr(item, desiredType, typeCode, dataPtr, maximumSize, actualSize);
}

OSErr AEGetParamDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                     AEDesc* result) {
  if (result == nullptr) return paramErr;
  Item item;
  OSErr err = GetKeyed(theAppleEvent, theAEKeyword, false, &item);
  if (err == noErr) err = DeliverDesc(item, desiredType, result);
  if (err != noErr) *result = kNullDesc;
  return err;
}

OSErr AEGetAttributePtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                        DescType desiredType, DescType* typeCode, void* dataPtr, Size maximumSize,
                        Size* actualSize) {
  Item item;
  OSErr err = GetKeyed(theAppleEvent, theAEKeyword, true, &item);
  if (err != noErr) return err;
  return DeliverPtr(item, desiredType, typeCode, dataPtr, maximumSize, actualSize);
}

OSErr AEGetAttributeDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                         DescType desiredType, AEDesc* result) {
  if (result == nullptr) return paramErr;
  Item item;
  OSErr err = GetKeyed(theAppleEvent, theAEKeyword, true, &item);
  if (err == noErr) err = DeliverDesc(item, desiredType, result);
  if (err != noErr) *result = kNullDesc;
  return err;
}
