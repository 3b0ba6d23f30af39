#include "SpGeneralStringObject.h"

#include <algorithm>
#include <cstring>

#include "Script.h"
#include "SpErrorInfoSystem.h"
#include "SpCoreHooks.h"
#include "SpFileLibSource.h"

cSO_StringItemBlockManager* stringItemBlockMgrPtr_GlV = nullptr;
cStringObjectBlockManager* StringObjBlockMgrPtr_GlV = nullptr;

namespace {

const char kSource[] = "SpGeneralStringObject";
const char kMsgArgumentError[] = "Argument Error";
const char kMsgRequiredArgument[] = "Required argument is null";
const char kMsgCannotAllocate[] = "Cannot allocated memory";
const char kMsgCanNotAllocate[] = "can not Allocated memory";
const char kMsgDataCreation[] = "data creatation error";
const char kMsgLinkError[] = "Link Error";
const char kMsgMemoryFull[] = "memory fulll";

constexpr SInt32 kCapacity = kSO_StringItemCapacity;
constexpr char kCarriageReturn = 13;
constexpr SInt32 kLongestText = 0x7FFFFFFF;
// Case conversion works through a buffer of this size, so it never allocates.
constexpr SInt32 kCaseChunkSize = 1024;

typedef sSO_StringItemObject Item;

// Items of existing chains stepped over (SpSO_WalkedItemCount).
UInt64 gWalkedItems = 0;

// The item after `item`, counted as a step of a walk.
template <class T>
T* Step(T* item) {
  ++gWalkedItems;
  return item->next;
}

SInt32 TextLength(const char* text, SInt32 limit) {
  return SInt32(strnlen(text, std::size_t(limit)));
}

void SetUsed(Item* item, SInt32 used) {
  item->used = used;
  item->text[used] = 0;
}

// ----- the pools ----------------------------------------------------------------------------

// Deletes a block that became wholly free, but only while more than the reserve of slots is
// free in the pool's other blocks. A block whose list links disagree with its manager's list
// is reported and deleted all the same.
template <class Manager, class Block>
void DeleteBlockWhenSpare(Manager* manager, Block* block, const char* method) {
  if (block->GetFreeCount() < kSO_PoolBlockSlotCount) return;
  SInt32 freeElsewhere = manager->CountFreeSlots() - block->GetFreeCount();
  if (freeElsewhere <= kSO_FreeSlotReserve) return;
  int fault = manager->CheckBlockLinks(block);
  if (fault != 0) SpReportFailure(kSource, method, fault, kSpMsgNoComment);
  manager->UnlinkBlock(block);
  delete block;
}

// A block of the pool with a free slot, or else a new block appended to it; null (the
// failure reported) when no block could be had. A new block that got no memory stays in the
// list with no free slots.
template <class Block, class Manager>
Block* BlockWithFreeSlot(Manager* manager, const char* method) {
  Block* block = manager->FindBlockWithFreeSlot();
  if (block != nullptr) return block;
  block = new (std::nothrow) Block(manager);
  if (block == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNoComment, static_cast<Block*>(nullptr));
  }
  manager->AppendBlock(block);
  return block->SetupNewBlockMemoryArea() ? block : nullptr;
}

// ----- chains of items ----------------------------------------------------------------------

void GiveBackChain(Item* first) {
  while (first != nullptr) {
    Item* next = first->next;
    first->previous = nullptr;
    first->next = nullptr;
    SpSO_DisposeStringItem(first);
    first = next;
  }
}

// Gives every item of the object's chain back to the item pool and empties the object.
void ReleaseItems(sSO_StringObjectBase* obj) {
  GiveBackChain(obj->firstItem);
  obj->firstItem = nullptr;
  obj->lastItem = nullptr;
  obj->itemCount = 0;
  obj->length = 0;
}

// Links the item after the last of the chain first..last.
void AppendToChain(Item*& first, Item*& last, Item* item) {
  if (last == nullptr) {
    first = item;
  } else {
    last->next = item;
    item->previous = last;
  }
  last = item;
}

// Takes `count` fresh items as one chain. When the pool runs dry the items already taken go
// back and the answer is false.
bool TakeItems(SInt32 count, Item*& first, Item*& last) {
  first = nullptr;
  last = nullptr;
  for (SInt32 i = 0; i < count; ++i) {
    Item* item = SpSO_NewStringItemObjPtr();
    if (item == nullptr) {
      GiveBackChain(first);
      first = nullptr;
      last = nullptr;
      return false;
    }
    AppendToChain(first, last, item);
  }
  return true;
}

// Links the chain first..last into the string after `after` (in front when that is null).
void LinkChainAfter(sSO_StringObjectBase* obj, Item* after, Item* first, Item* last) {
  Item* following = after != nullptr ? after->next : obj->firstItem;
  first->previous = after;
  last->next = following;
  if (after != nullptr) {
    after->next = first;
  } else {
    obj->firstItem = first;
  }
  if (following != nullptr) {
    following->previous = last;
  } else {
    obj->lastItem = last;
  }
}

void UnlinkItem(sSO_StringObjectBase* obj, Item* item) {
  if (item->previous != nullptr) {
    item->previous->next = item->next;
  } else {
    obj->firstItem = item->next;
  }
  if (item->next != nullptr) {
    item->next->previous = item->previous;
  } else {
    obj->lastItem = item->previous;
  }
  item->previous = nullptr;
  item->next = nullptr;
}

// Item count, length and last item taken afresh from the chain.
void RecountChain(sSO_StringObjectBase* obj) {
  SInt32 count = 0;
  SInt32 length = 0;
  Item* last = nullptr;
  for (Item* item = obj->firstItem; item != nullptr; item = Step(item)) {
    ++count;
    length += item->used;
    last = item;
  }
  obj->itemCount = count;
  obj->length = length;
  obj->lastItem = last;
}

// Compaction of the items from `start` on (see SpSO_SaveString), keeping the item count: the
// items before `start` are neither read nor changed, so an append compacts only what it added
// to and the cost follows the bytes appended, not the string's length.
void CompactFrom(sSO_StringObjectBase* obj, Item* start) {
  if (start == nullptr) return;
  Item* before = start->previous;
  for (Item* item = start; item != nullptr;) {
    Item* next = Step(item);
    if (item->used < 1) {
      UnlinkItem(obj, item);
      SpSO_DisposeStringItem(item);
      --obj->itemCount;
    }
    item = next;
  }
  // Bytes move forward from each item into the free room of the one before it. An item is
  // topped up once: when its successor was drained, the pass goes on after that successor.
  Item* current = before != nullptr ? before->next : obj->firstItem;
  while (current != nullptr && current->next != nullptr) {
    Item* next = Step(current);
    if (current->used < kCapacity) {
      SInt32 k = std::min(next->used, kCapacity - current->used);
      std::memcpy(current->text + current->used, next->text, std::size_t(k));
      SetUsed(current, current->used + k);
      std::memmove(next->text, next->text + k, std::size_t(next->used - k));
      SetUsed(next, next->used - k);
      if (next->used == 0) {
        Item* after = next->next;
        UnlinkItem(obj, next);
        SpSO_DisposeStringItem(next);
        --obj->itemCount;
        current = after;
        continue;
      }
    }
    current = next;
  }
}

// ----- positions ----------------------------------------------------------------------------

struct ItemAt {
  Item* item;    // the item holding the byte, null when the offset is at or past the end
  SInt32 start;  // offset of that item's first byte
};

ItemAt FindItem(const sSO_StringObjectBase* obj, SInt32 offset) {
  SInt32 start = 0;
  for (Item* item = obj->firstItem; item != nullptr; item = Step(item)) {
    if (offset < start + item->used) return {item, start};
    start += item->used;
  }
  return {nullptr, start};
}

// A reading or writing place in a chain.
struct ByteCursor {
  Item* item;
  SInt32 offset;  // within the item
};

ByteCursor CursorAt(const sSO_StringObjectBase* obj, SInt32 offset) {
  ItemAt at = FindItem(obj, offset);
  return {at.item, offset - at.start};
}

// Walks up to n bytes from the cursor on, advancing the cursor, and hands each run that lies
// in one item to copy(run, done, k), done being the bytes walked before it; answers the bytes
// walked (fewer at the end of the chain).
template <class Copy>
SInt32 WalkBytes(ByteCursor& cursor, SInt32 n, Copy copy) {
  SInt32 done = 0;
  while (done < n && cursor.item != nullptr) {
    SInt32 available = cursor.item->used - cursor.offset;
    if (available <= 0) {
      cursor.item = Step(cursor.item);
      cursor.offset = 0;
      continue;
    }
    SInt32 k = std::min(available, n - done);
    copy(cursor.item->text + cursor.offset, done, k);
    done += k;
    cursor.offset += k;
  }
  return done;
}

// Copies up to n bytes from the cursor on into `out`, advancing the cursor; answers the bytes
// copied (fewer at the end of the chain).
SInt32 ReadBytes(ByteCursor& cursor, char* out, SInt32 n) {
  return WalkBytes(cursor, n, [out](const char* run, SInt32 done, SInt32 k) {
    std::memcpy(out + done, run, std::size_t(k));
  });
}

// Overwrites up to n bytes from the cursor on, advancing the cursor.
SInt32 WriteBytes(ByteCursor& cursor, const char* in, SInt32 n) {
  return WalkBytes(cursor, n, [in](char* run, SInt32 done, SInt32 k) {
    std::memcpy(run, in + done, std::size_t(k));
  });
}

SInt32 CopyOut(const sSO_StringObjectBase* obj, SInt32 start, SInt32 n, char* out) {
  if (n <= 0) return 0;
  ByteCursor cursor = CursorAt(obj, start);
  return ReadBytes(cursor, out, n);
}

// Offset of the first byte c in from..to-1, or -1.
SInt32 FindByte(const sSO_StringObjectBase* obj, char c, SInt32 from, SInt32 to) {
  if (from >= to) return -1;
  ItemAt at = FindItem(obj, from);
  SInt32 offset = from - at.start;
  SInt32 start = at.start;
  for (Item* item = at.item; item != nullptr && start < to; item = Step(item)) {
    SInt32 limit = std::min(item->used, to - start);
    if (offset < limit) {
      const void* hit = std::memchr(item->text + offset, c, std::size_t(limit - offset));
      if (hit != nullptr) return start + SInt32(static_cast<const char*>(hit) - item->text);
    }
    start += item->used;
    offset = 0;
  }
  return -1;
}

// Copies the bytes start..end-1 into a read-out buffer of `size` bytes: at most size - 2 of
// them and two NULs after them.
void ReadOutRange(const sSO_StringObjectBase* obj, SInt32 start, SInt32 end, char* buffer,
                  SInt32 size, unsigned char& cut) {
  SInt32 wanted = std::max(end - start, SInt32(0));
  SInt32 copied = CopyOut(obj, start, std::min(wanted, size - 2), buffer);
  buffer[copied] = 0;
  buffer[copied + 1] = 0;
  cut = copied < wanted ? 1 : 0;
}

// ----- two-byte characters ------------------------------------------------------------------

bool IsFirstByte(char* p, ScriptCode script) {
  return CharacterByteType(p, 0, script) == smFirstByte;
}

// The length of the longest prefix of `text` (which begins on a character boundary) that does
// not end inside a two-byte character.
SInt32 WholeCharacterLength(char* text, SInt32 n, ScriptCode script) {
  SInt32 i = 0;
  while (i < n) {
    if (IsFirstByte(text + i, script)) {
      if (i + 1 >= n) return i;
      i += 2;
    } else {
      i += 1;
    }
  }
  return n;
}

// ----- appending ----------------------------------------------------------------------------

// Appends `total` bytes that fill(out, k) copies out of their source in order, k at a time,
// answering how many it copied. The new items are all taken before the string is touched, so
// that a pool that runs dry leaves the string as it was; the failure's message is
// `emptyMessage` when the string was empty. The source may be the string itself: the new items
// are linked and the last item's count raised only after the copy, so the copy never reads
// what it wrote.
template <class Fill>
bool AppendFilled(sSO_StringObjectBase* obj, SInt32 total, Fill fill, const char* method,
                  const char* emptyMessage) {
  Item* last = obj->lastItem;
  SInt32 room = last != nullptr ? kCapacity - last->used : 0;
  SInt32 intoLast = std::min(room, total);
  SInt32 rest = total - intoLast;
  SInt32 newCount = rest / kCapacity + (rest % kCapacity != 0 ? 1 : 0);
  Item* first = nullptr;
  Item* chainLast = nullptr;
  if (newCount > 0 && !TakeItems(newCount, first, chainLast)) {
    const char* message = obj->firstItem == nullptr ? emptyMessage : kSpMsgNoComment;
    return SpReportFailure(kSource, method, 1, message, false);
  }
  if (intoLast > 0) {
    SInt32 k = fill(last->text + last->used, intoLast);
    SetUsed(last, last->used + k);
    obj->length += k;
  }
  if (newCount == 0) return true;
  for (Item* item = first; item != nullptr; item = item->next) {
    SInt32 k = fill(item->text, std::min(kCapacity, rest));
    SetUsed(item, k);
    obj->length += k;
    rest -= k;
  }
  LinkChainAfter(obj, last, first, chainLast);
  obj->itemCount += newCount;
  CompactFrom(obj, last != nullptr ? last : first);
  return true;
}

// Appends n bytes.
bool AppendBytes(sSO_StringObjectBase* obj, const char* bytes, SInt32 n, const char* method) {
  auto fill = [&bytes](char* out, SInt32 k) {
    std::memcpy(out, bytes, std::size_t(k));
    bytes += k;
    return k;
  };
  return AppendFilled(obj, n, fill, method, kSpMsgNoComment);
}

// Appends `total` bytes of `source` from byte `start` (both within the source).
void AppendRange(sSO_StringObjectBase* obj, const sSO_StringObjectBase* source, SInt32 start,
                 SInt32 total, const char* method) {
  ByteCursor from = CursorAt(source, start);
  auto fill = [&from](char* out, SInt32 k) { return ReadBytes(from, out, k); };
  AppendFilled(obj, total, fill, method, kMsgCanNotAllocate);
}

void ChangeCase(sSO_StringObjectBase* obj, SInt32 start, SInt32 end, bool upper,
                const char* method) {
  if (obj == nullptr) {
    SpReportFailure(kSource, method, 1, kMsgArgumentError);
    return;
  }
  start = std::max(start, SInt32(0));
  end = std::min(end, obj->length);
  // The range goes through the case routine as one run of whole characters: a chunk never
  // ends inside a two-byte character, so a trail byte is never taken for a letter.
  char chunk[kCaseChunkSize];
  ByteCursor cursor = CursorAt(obj, start);
  SInt32 position = start;
  while (position < end) {
    ByteCursor peek = cursor;
    SInt32 got = ReadBytes(peek, chunk, std::min(end - position, kCaseChunkSize));
    if (got <= 0) break;
    SInt32 whole = got;
    if (position + got < end) whole = WholeCharacterLength(chunk, got, smSystemScript);
    if (upper) {
      UppercaseText(chunk, short(whole), smSystemScript);
    } else {
      LowercaseText(chunk, short(whole), smSystemScript);
    }
    WriteBytes(cursor, chunk, whole);
    position += whole;
  }
}

}  // namespace

// ----- pool classes -------------------------------------------------------------------------

Boolean cSO_StringItemBlock::SetupNewBlockMemoryArea() {
  if (MakeSlots(kSO_PoolBlockSlotCount) != noErr) {
    return SpReportFailure(kSource, "cSO_StringItemBlock::SetupNewBlockMemoryArea", 1,
                           kMsgMemoryFull, Boolean(false));
  }
  for (Item* item = GetFirstSlot(); item != nullptr; item = item->blockNext) {
    item->capacity = kCapacity;
  }
  return true;
}

sSO_StringItemObject* cSO_StringItemBlockManager::GetNewStructPtr() {
  cSO_StringItemBlock* block =
      BlockWithFreeSlot<cSO_StringItemBlock>(this, "cSO_StringItemBlockManager::GetNewStructPtr");
  if (block == nullptr) return nullptr;
  Item* item = block->GetNewStructPtr();
  SetUsed(item, 0);
  item->previous = nullptr;
  item->next = nullptr;
  return item;
}

void cSO_StringItemBlockManager::PutBackStructPtr(sSO_StringItemObject*& item) {
  if (item == nullptr) return;
  cSO_StringItemBlock* block = item->block;
  item->previous = nullptr;
  item->next = nullptr;
  SetUsed(item, 0);
  block->PutBackStructPtr(item);
  item = nullptr;
  DeleteBlockWhenSpare(this, block, "cSO_StringItemBlockManager::PutBackStructPtr");
}

Boolean cStringObjectBlock::SetupNewBlockMemoryArea() {
  if (MakeSlots(kSO_PoolBlockSlotCount) != noErr) {
    return SpReportFailure(kSource, "cStringObjectBlock::SetupNewBlockMemoryArea", 1,
                           kSpMsgNoComment, Boolean(false));
  }
  return true;
}

Boolean cStringObjectBlock::PutBackStructPtr(sSO_StringObjectBase* obj) {
  if (IsFreeSlot(obj)) {
    return SpReportFailure(kSource, "cStringObjectBlock::PutBackStructPtr", 1, kSpMsgNullOperator,
                           Boolean(false));
  }
  PushFreeSlot(obj);
  return true;
}

sSO_StringObjectBase* cStringObjectBlockManager::GetNewStructPtr() {
  cStringObjectBlock* block =
      BlockWithFreeSlot<cStringObjectBlock>(this, "cStringObjectBlockManager::GetNewStructPtr");
  if (block == nullptr) return nullptr;
  sSO_StringObjectBase* obj = block->GetNewStructPtr();
  ReleaseItems(obj);
  return obj;
}

Boolean cStringObjectBlockManager::PutBackStructPtr(sSO_StringObjectBase* obj) {
  cStringObjectBlock* block = obj->block;
  // An object already given back is refused before anything of it is touched.
  if (!block->PutBackStructPtr(obj)) return false;
  // Its items go back at once, so that no item stays chained to a free slot.
  ReleaseItems(obj);
  DeleteBlockWhenSpare(this, block, "cStringObjectBlockManager::PutBackStructPtr");
  return true;
}

// ----- life cycle ---------------------------------------------------------------------------

Boolean Sp_InitializeStringObjectSystem() {
  bool made = false;
  if (stringItemBlockMgrPtr_GlV == nullptr) {
    stringItemBlockMgrPtr_GlV = new (std::nothrow) cSO_StringItemBlockManager();
    made = made || stringItemBlockMgrPtr_GlV != nullptr;
  }
  if (StringObjBlockMgrPtr_GlV == nullptr) {
    StringObjBlockMgrPtr_GlV = new (std::nothrow) cStringObjectBlockManager();
    made = made || StringObjBlockMgrPtr_GlV != nullptr;
  }
  if (made) SpCore_SetupDisposeProcedure(SpSO_DisposeStringObjectManager, 100);
  return stringItemBlockMgrPtr_GlV != nullptr && StringObjBlockMgrPtr_GlV != nullptr;
}

void SpSO_DisposeStringObjectManager(unsigned long) {
  delete StringObjBlockMgrPtr_GlV;
  StringObjBlockMgrPtr_GlV = nullptr;
  delete stringItemBlockMgrPtr_GlV;
  stringItemBlockMgrPtr_GlV = nullptr;
}

sSO_StringItemObject* SpSO_NewStringItemObjPtr() {
  Sp_InitializeStringObjectSystem();
  if (stringItemBlockMgrPtr_GlV == nullptr) return nullptr;
  return stringItemBlockMgrPtr_GlV->GetNewStructPtr();
}

void SpSO_DisposeStringItem(sSO_StringItemObject*& item) {
  if (item == nullptr || item->manager == nullptr) return;
  item->manager->PutBackStructPtr(item);
}

sSO_StringObjectBase* SpSO_NewStringObject() {
  Sp_InitializeStringObjectSystem();
  sSO_StringObjectBase* obj = nullptr;
  if (StringObjBlockMgrPtr_GlV != nullptr) obj = StringObjBlockMgrPtr_GlV->GetNewStructPtr();
  if (obj == nullptr) SpReportFailure(kSource, "SpSO_NewStringObject", 1, kMsgCannotAllocate);
  return obj;
}

void SpSO_DisposeStringObject(sSO_StringObjectBase*& obj) {
  if (obj == nullptr) return;
  if (obj->manager == nullptr) {
    SpReportFailure(kSource, "SpSO_DisposeStringObject", 1, kSpMsgNoComment);
    return;
  }
  obj->manager->PutBackStructPtr(obj);
  obj = nullptr;
}

void SpSO_Clear(sSO_StringObjectBase* obj) {
  if (obj == nullptr) {
    SpReportFailure(kSource, "SpSO_Clear", 1, kMsgArgumentError);
    return;
  }
  // An object that records no manager is reported, and emptied all the same: its items come
  // from the item pool, not from its own, and a copy onto it (clear, then append) would
  // otherwise append to the old text.
  if (obj->manager == nullptr) SpReportFailure(kSource, "SpSO_Clear", 1, kSpMsgNoComment);
  ReleaseItems(obj);
}

// ----- setting and appending ----------------------------------------------------------------

void SpSO_strcopy(sSO_StringObjectBase* obj, const char* text) {
  if (obj == nullptr) {
    SpReportFailure(kSource, "SpSO_strcopy", 1, kMsgArgumentError);
    return;
  }
  SpSO_Clear(obj);
  SpSO_strcat(obj, text);
}

void SpSO_strncopy(sSO_StringObjectBase* obj, const char* text, SInt32 n) {
  if (obj == nullptr) {
    SpReportFailure(kSource, "SpSO_strncopy", 1, kMsgArgumentError);
    return;
  }
  SpSO_Clear(obj);
  SpSO_strncat(obj, text, n);
}

void SpSO_strcopy(sSO_StringObjectBase* obj, sSO_StringObjectBase* source) {
  if (obj == nullptr || source == nullptr) {
    SpReportFailure(kSource, "SpSO_strcopy", 1, kMsgArgumentError);
    return;
  }
  if (obj == source) return;  // a copy onto itself keeps the text
  SpSO_Clear(obj);
  SpSO_strcat(obj, source);
}

void SpSO_strncopy(sSO_StringObjectBase* obj, sSO_StringObjectBase* source, SInt32 start,
                   SInt32 n) {
  if (obj == nullptr || source == nullptr) {
    SpReportFailure(kSource, "SpSO_strncopy", 1, kMsgArgumentError);
    return;
  }
  if (obj != source) {
    SpSO_Clear(obj);
    SpSO_strncat(obj, source, start, n);
    return;
  }
  // A range of the string onto itself: keep just that range.
  start = std::max(start, SInt32(0));
  SInt32 length = obj->length;
  if (start >= length) {
    SpSO_Clear(obj);
    return;
  }
  SInt32 end = n > 0 && n < length - start ? start + n : length;
  if (end < length) SpSO_CutDownString(obj, end);
  if (start > 0) SpSO_CutDownBeforeString(obj, start);
}

void SpSO_strcat(sSO_StringObjectBase* obj, const char* text) {
  SpSO_strncat(obj, text, kLongestText);
}

void SpSO_strncat(sSO_StringObjectBase* obj, const char* text, SInt32 n) {
  if (obj == nullptr) {
    SpReportFailure(kSource, "SpSO_strncat", 1, kMsgArgumentError);
    return;
  }
  if (text == nullptr || n <= 0) return;
  SInt32 length = TextLength(text, n);
  if (length > 0) AppendBytes(obj, text, length, "SpSO_strncat");
}

void SpSO_strcat(sSO_StringObjectBase* obj, sSO_StringObjectBase* source) {
  if (obj == nullptr || source == nullptr) {
    SpReportFailure(kSource, "SpSO_strcat", 1, kMsgArgumentError);
    return;
  }
  if (source->firstItem == nullptr) return;
  // Each source item is copied into a new item of its own; compaction then closes them up.
  // The source is counted first, so a string appended to itself is copied once.
  SInt32 count = 0;
  for (Item* item = source->firstItem; item != nullptr; item = Step(item)) ++count;
  Item* first = nullptr;
  Item* last = nullptr;
  if (!TakeItems(count, first, last)) {
    SpReportFailure(kSource, "SpSO_strcat", 1, kSpMsgNoComment);
    return;
  }
  Item* from = source->firstItem;
  SInt32 copied = 0;
  for (Item* item = first; item != nullptr; item = item->next, from = from->next) {
    std::memcpy(item->text, from->text, std::size_t(from->used));
    SetUsed(item, from->used);
    copied += from->used;
  }
  Item* oldLast = obj->lastItem;
  LinkChainAfter(obj, oldLast, first, last);
  obj->itemCount += count;
  obj->length += copied;
  CompactFrom(obj, oldLast != nullptr ? oldLast : first);
}

void SpSO_strncat(sSO_StringObjectBase* obj, sSO_StringObjectBase* source, SInt32 start, SInt32 n) {
  if (obj == nullptr || source == nullptr) {
    SpReportFailure(kSource, "SpSO_strncat", 1, kMsgArgumentError);
    return;
  }
  start = std::max(start, SInt32(0));
  SInt32 sourceLength = source->length;
  if (start >= sourceLength) return;
  SInt32 total = sourceLength - start;
  if (n > 0 && n < total) total = n;
  AppendRange(obj, source, start, total, "SpSO_strncat");
}

void SpSO_InsertString(sSO_StringObjectBase* obj, SInt32 position, const char* text) {
  static const char kMethod[] = "SpSO_InsertString";
  if (obj == nullptr || text == nullptr || text[0] == 0) {
    SpReportFailure(kSource, kMethod, 1, kMsgArgumentError);
    return;
  }
  SInt32 length = TextLength(text, kLongestText);
  if (obj->firstItem == nullptr || position < 0 || position >= obj->length) {
    AppendBytes(obj, text, length, kMethod);
    return;
  }
  ItemAt at = FindItem(obj, position);
  Item* item = at.item;
  SInt32 offset = position - at.start;

  if (item->used + length <= kCapacity) {
    std::memmove(item->text + offset + length, item->text + offset,
                 std::size_t(item->used - offset));
    std::memcpy(item->text + offset, text, std::size_t(length));
    SetUsed(item, item->used + length);
    obj->length += length;
    return;
  }

  Item* first = nullptr;
  Item* last = nullptr;
  if (offset == 0) {
    // A chain of its own in front of the item.
    if (SpSO_CreateItemForSetupString(text, first, last) < length) {
      GiveBackChain(first);
      SpReportFailure(kSource, kMethod, position == 0 ? 1 : 2, kMsgDataCreation);
      return;
    }
    LinkChainAfter(obj, item->previous, first, last);
    RecountChain(obj);
    SpSO_SaveString(obj);
    return;
  }

  // The item is split at the position. Everything it needs is taken before anything moves, so
  // a pool that runs dry leaves the string as it was.
  Item* tail = SpSO_NewStringItemObjPtr();
  if (tail == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNoComment);
    return;
  }
  SInt32 tailUsed = item->used - offset;
  bool fitsFirstHalf = offset + length <= kCapacity;
  bool fitsSecondHalf = tailUsed + length <= kCapacity;
  if (!fitsFirstHalf && !fitsSecondHalf &&
      SpSO_CreateItemForSetupString(text, first, last) < length) {
    GiveBackChain(first);
    SpSO_DisposeStringItem(tail);
    SpReportFailure(kSource, kMethod, 3, kMsgDataCreation);
    return;
  }
  std::memcpy(tail->text, item->text + offset, std::size_t(tailUsed));
  SetUsed(tail, tailUsed);
  SetUsed(item, offset);
  LinkChainAfter(obj, item, tail, tail);
  if (fitsFirstHalf) {
    std::memcpy(item->text + offset, text, std::size_t(length));
    SetUsed(item, offset + length);
  } else if (fitsSecondHalf) {
    std::memmove(tail->text + length, tail->text, std::size_t(tailUsed));
    std::memcpy(tail->text, text, std::size_t(length));
    SetUsed(tail, tailUsed + length);
  } else {
    LinkChainAfter(obj, item, first, last);
  }
  RecountChain(obj);
  SpSO_SaveString(obj);
}

SInt32 SpSO_CreateItemForSetupString(const char* text, sSO_StringItemObject*& first,
                                     sSO_StringItemObject*& last) {
  first = nullptr;
  last = nullptr;
  if (text == nullptr) return 0;
  SInt32 length = TextLength(text, kLongestText);
  SInt32 placed = 0;
  while (placed < length) {
    Item* item = SpSO_NewStringItemObjPtr();
    if (item == nullptr) {
      SpReportFailure(kSource, "SpSO_CreateItemForSetupString", 1, kSpMsgNoComment);
      break;
    }
    SInt32 k = std::min(kCapacity, length - placed);
    std::memcpy(item->text, text + placed, std::size_t(k));
    SetUsed(item, k);
    AppendToChain(first, last, item);
    placed += k;
  }
  return placed;
}

// ----- cutting ------------------------------------------------------------------------------

void SpSO_CutDownString(sSO_StringObjectBase* obj, SInt32 n) {
  if (obj == nullptr || obj->length == 0 || n < 0) {
    SpReportFailure(kSource, "SpSO_CutDownString", 1, kMsgArgumentError);
    return;
  }
  if (n == 0) {
    SpSO_Clear(obj);
    return;
  }
  if (n >= obj->length) return;
  ItemAt at = FindItem(obj, n);
  Item* rest;
  if (n == at.start) {
    rest = at.item;
    if (rest->previous != nullptr) {
      rest->previous->next = nullptr;
    } else {
      obj->firstItem = nullptr;
    }
  } else {
    SetUsed(at.item, n - at.start);
    rest = at.item->next;
    at.item->next = nullptr;
  }
  GiveBackChain(rest);
  RecountChain(obj);
}

void SpSO_CutDownBeforeString(sSO_StringObjectBase* obj, SInt32 n) {
  if (obj == nullptr || obj->length == 0 || n < 1) {
    SpReportFailure(kSource, "SpSO_CutDownBeforeString", 1, kMsgArgumentError);
    return;
  }
  if (n > obj->length) return;
  SInt32 start = 0;
  Item* item = obj->firstItem;
  while (item != nullptr && start + item->used < n) {
    start += item->used;
    item = Step(item);
  }
  if (item == nullptr) return;
  Item* earlier = obj->firstItem;
  Item* keep;
  if (start + item->used == n) {
    keep = item->next;
    item->next = nullptr;
  } else {
    SInt32 offset = n - start;
    std::memmove(item->text, item->text + offset, std::size_t(item->used - offset));
    SetUsed(item, item->used - offset);
    keep = item;
    if (item->previous != nullptr) {
      item->previous->next = nullptr;
    } else {
      earlier = nullptr;
    }
  }
  if (keep != nullptr) keep->previous = nullptr;
  obj->firstItem = keep;
  GiveBackChain(earlier);
  RecountChain(obj);
}

void SpSO_CutDownBetweenString(sSO_StringObjectBase* obj, SInt32 a, SInt32 b) {
  if (obj == nullptr || obj->length == 0 || b < 0) {
    SpReportFailure(kSource, "SpSO_CutDownBetweenString", 1, kMsgArgumentError);
    return;
  }
  SInt32 s = std::max(std::min(a, b), SInt32(0));
  SInt32 e = std::min(std::max(a, b), obj->length);
  if (s >= e) return;
  bool gaveBack = false;
  SInt32 start = 0;
  Item* item = obj->firstItem;
  while (item != nullptr) {
    Item* next = Step(item);
    SInt32 itemStart = start;
    SInt32 itemEnd = start + item->used;
    start = itemEnd;
    if (itemEnd <= s || itemStart >= e) {
      // untouched
    } else if (itemStart >= s && itemEnd <= e) {
      UnlinkItem(obj, item);
      SpSO_DisposeStringItem(item);
      gaveBack = true;
    } else if (itemStart < s && itemEnd <= e) {
      SetUsed(item, s - itemStart);
    } else if (itemStart >= s) {
      SInt32 k = e - itemStart;
      std::memmove(item->text, item->text + k, std::size_t(item->used - k));
      SetUsed(item, item->used - k);
    } else {
      std::memmove(item->text + (s - itemStart), item->text + (e - itemStart),
                   std::size_t(itemEnd - e));
      SetUsed(item, item->used - (e - s));
    }
    item = next;
  }
  RecountChain(obj);
  if (gaveBack) SpSO_SaveString(obj);
}

// ----- reading out --------------------------------------------------------------------------

void SpSO_GetString(const sSO_StringObjectBase* obj, char* buffer, SInt32 size,
                    unsigned char& cut) {
  if (obj == nullptr || buffer == nullptr || size < 3) {
    cut = 1;
    SpReportFailure(kSource, "SpSO_GetString", 1, kMsgArgumentError);
    return;
  }
  ReadOutRange(obj, 0, obj->length, buffer, size, cut);
}

void SpSO_GetTargetAreaString(const sSO_StringObjectBase* obj, char* buffer, SInt32 size,
                              SInt32 start, SInt32 length, unsigned char& cut) {
  if (obj == nullptr || buffer == nullptr || size < 3) {
    cut = 1;
    SpReportFailure(kSource, "SpSO_GetTargetAreaString", 1, kMsgArgumentError);
    return;
  }
  if (length < 1) {
    cut = 0;
    return;
  }
  SInt64 end = std::min(SInt64(start) + length, SInt64(obj->length));
  ReadOutRange(obj, std::max(start, SInt32(0)), SInt32(end), buffer, size, cut);
}

unsigned char SpSO_GetLineString(const sSO_StringObjectBase* obj, SInt32 firstLine,
                                 SInt32 lineCount, char* buffer, SInt32 size, unsigned char& cut) {
  if (obj == nullptr || buffer == nullptr || size < 3 || firstLine < 1 || lineCount < 1) {
    cut = 1;
    return SpReportFailure(kSource, "SpSO_GetLineString", 1, kMsgArgumentError, (unsigned char)0);
  }
  const SInt32 length = obj->length;
  SInt32 start = 0;
  for (SInt32 line = 1; line < firstLine && start < length; ++line) {
    SInt32 cr = FindByte(obj, kCarriageReturn, start, length);
    start = cr < 0 ? length : cr + 1;
  }
  SInt32 endCR = -1;
  SInt32 from = start;
  for (SInt32 line = 0; line < lineCount && from <= length; ++line) {
    endCR = FindByte(obj, kCarriageReturn, from, length);
    if (endCR < 0) break;
    from = endCR + 1;
  }
  SInt32 end = endCR >= 0 ? endCR : length;
  ReadOutRange(obj, start, end, buffer, size, cut);
  if (start >= length) return 0;
  if (endCR < 0) return 1;
  return FindItem(obj, endCR).item != FindItem(obj, start).item ? 1 : 0;
}

void SpSO_GetData(const sSO_StringObjectBase* obj, char* buffer, SInt32 size, unsigned char& cut) {
  if (obj == nullptr || buffer == nullptr || size < 0) {
    cut = 1;
    SpReportFailure(kSource, "SpSO_GetData", 1, kMsgArgumentError);
    return;
  }
  SInt32 copied = CopyOut(obj, 0, std::min(size, obj->length), buffer);
  cut = copied < obj->length ? 1 : 0;
}

void SpSO_GetStringWidthScriptCode(const sSO_StringObjectBase* obj, char* buffer, SInt32 size,
                                   SInt32 start, ScriptCode script, SInt32& length,
                                   unsigned char& cut) {
  if (buffer == nullptr || size <= 2) {
    length = 0;
    cut = 1;
    return;
  }
  if (obj == nullptr) {
    buffer[0] = 0;
    buffer[1] = 0;
    length = 0;
    cut = 0;
    return;
  }
  start = std::max(start, SInt32(0));
  SInt32 wanted = std::max(obj->length - start, SInt32(0));
  SInt32 copied = CopyOut(obj, start, std::min(wanted, size - 2), buffer);
  cut = copied < wanted ? 1 : 0;
  // The copy is judged from its first byte on, so a trail byte that looks like a first byte
  // cannot mislead the test of the last one.
  if (cut) copied = WholeCharacterLength(buffer, copied, script);
  buffer[copied] = 0;
  buffer[copied + 1] = 0;
  length = copied;
}

UInt64 SpSO_WalkedItemCount() { return gWalkedItems; }

// Every change of the chain keeps the length, so it is read, not counted.
SInt32 SpSO_GetStringLen(const sSO_StringObjectBase* obj) {
  return obj != nullptr ? obj->length : 0;
}

// ----- comparing and searching --------------------------------------------------------------

namespace {

// Compares the object with the text over at most `limit` bytes (no limit when negative).
short CompareWithText(const sSO_StringObjectBase* obj, const char* text, SInt32 limit) {
  if (text == nullptr) text = "";
  const Item* item = obj->firstItem;
  SInt32 offset = 0;
  for (SInt32 i = 0; limit < 0 || i < limit; ++i) {
    while (item != nullptr && offset >= item->used) {
      item = Step(item);
      offset = 0;
    }
    bool objectEnded = item == nullptr;
    bool textEnded = text[i] == 0;
    if (objectEnded && textEnded) return 0;
    if (textEnded) return 1;
    if (objectEnded) return -1;
    SInt8 mine = SInt8(item->text[offset]);
    SInt8 theirs = SInt8(text[i]);
    if (mine != theirs) return mine > theirs ? 1 : -1;
    ++offset;
  }
  return 0;
}

}  // namespace

short SpSO_strcmp(const sSO_StringObjectBase* obj, const char* text) {
  if (obj == nullptr) return SpReportFailure(kSource, "SpSO_strcmp", 1, kMsgArgumentError, 0);
  return CompareWithText(obj, text, -1);
}

short SpSO_strncmp(const sSO_StringObjectBase* obj, const char* text, SInt32 n) {
  if (obj == nullptr) return SpReportFailure(kSource, "SpSO_strncmp", 1, kMsgArgumentError, 0);
  if (n < 1) return 0;
  return CompareWithText(obj, text, n);
}

short SpSO_strcmp(const sSO_StringObjectBase* obj, const sSO_StringObjectBase* obj2) {
  if (obj == nullptr) return SpReportFailure(kSource, "SpSO_strcmp", 1, kMsgRequiredArgument, 0);
  if (obj2 == nullptr) return SpReportFailure(kSource, "SpSO_strcmp", 1, kMsgArgumentError, 0);
  const Item* a = obj->firstItem;
  const Item* b = obj2->firstItem;
  SInt32 offsetA = 0;
  SInt32 offsetB = 0;
  for (;;) {
    while (a != nullptr && offsetA >= a->used) {
      a = Step(a);
      offsetA = 0;
    }
    while (b != nullptr && offsetB >= b->used) {
      b = Step(b);
      offsetB = 0;
    }
    if (a == nullptr && b == nullptr) return 0;
    if (b == nullptr) return 1;
    if (a == nullptr) return -1;
    SInt8 x = SInt8(a->text[offsetA++]);
    SInt8 y = SInt8(b->text[offsetB++]);
    if (x != y) return x > y ? 1 : -1;
  }
}

unsigned char SpSO_SerchTargetCharactor(const sSO_StringObjectBase* obj, char c, SInt32 start,
                                        SInt32 end, SInt32* position) {
  if (position != nullptr) *position = 0;
  if (obj == nullptr) {
    return SpReportFailure(kSource, "SpSO_SerchTargetCharactor", 1, kMsgRequiredArgument,
                           (unsigned char)0);
  }
  start = std::max(start, SInt32(0));
  end = end < 0 ? obj->length : std::min(end, obj->length);
  SInt32 found = FindByte(obj, c, start, end);
  if (found < 0) return 0;
  if (position != nullptr) *position = found;
  return 1;
}

// ----- case ---------------------------------------------------------------------------------

void SpSO_UpperText(sSO_StringObjectBase* obj) {
  ChangeCase(obj, 0, obj != nullptr ? obj->length : 0, true, "SpSO_UpperText");
}

void SpSO_LowerText(sSO_StringObjectBase* obj) {
  ChangeCase(obj, 0, obj != nullptr ? obj->length : 0, false, "SpSO_LowerText");
}

void SpSO_UpperText(sSO_StringObjectBase* obj, SInt32 start, SInt32 end) {
  ChangeCase(obj, start, end, true, "SpSO_UpperText");
}

void SpSO_LowerText(sSO_StringObjectBase* obj, SInt32 start, SInt32 end) {
  ChangeCase(obj, start, end, false, "SpSO_LowerText");
}

// ----- compaction ---------------------------------------------------------------------------

void SpSO_SaveString(sSO_StringObjectBase* obj) {
  if (obj == nullptr) {
    SpReportFailure(kSource, "SpSO_SaveString", 1, kMsgArgumentError);
    return;
  }
  for (Item* item = obj->firstItem; item != nullptr; item = Step(item)) {
    if (item->used < 1 && item->previous == nullptr && item != obj->firstItem) {
      SpReportFailure(kSource, "SpSO_SaveString", 2, kMsgLinkError);
      return;
    }
  }
  CompactFrom(obj, obj->firstItem);
  RecountChain(obj);
}

// ----- files --------------------------------------------------------------------------------

OSErr SpSO_WriteIntoFile(sSpFileSysInfo* file, const sSO_StringObjectBase* obj) {
  if (file == nullptr || obj == nullptr) {
    return SpReportFailure(kSource, "SpSO_WriteIntoFile", 1, kMsgArgumentError, OSErr(paramErr));
  }
  return SpSO_WriteTargetAreaStringIntoFile(file, obj, 0, obj->length);
}

OSErr SpSO_WriteTargetAreaStringIntoFile(sSpFileSysInfo* file, const sSO_StringObjectBase* obj,
                                         SInt32 start, SInt32 length) {
  if (file == nullptr || obj == nullptr) {
    return SpReportFailure(kSource, "SpSO_WriteTargetAreaStringIntoFile", 1, kMsgArgumentError,
                           OSErr(paramErr));
  }
  if (length < 1) return noErr;
  SInt64 first = std::max<SInt64>(start, 0);
  SInt64 end = SInt64(start) + length;
  SInt64 itemStart = 0;
  for (const Item* item = obj->firstItem; item != nullptr && itemStart < end; item = Step(item)) {
    SInt64 itemEnd = itemStart + item->used;
    SInt64 from = std::max(first, itemStart);
    SInt64 to = std::min(end, itemEnd);
    if (from < to) {
      OSErr result =
          Sp_WriteFileSystem_Write(file, item->text + (from - itemStart), SInt32(to - from), 1);
      if (result != noErr) return result;
    }
    itemStart = itemEnd;
  }
  return noErr;
}
