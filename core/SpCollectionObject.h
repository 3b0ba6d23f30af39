// Collections: small ordered lists whose items come from shared pools.
//
// cSp_uLongCollection holds unsigned longs addressed by a position counted from 1, with a
// sequential cursor; cSp_StringCollection holds texts in string objects. One pool per kind
// serves every collection of that kind; a pool grows by blocks of 50 items and deletes a
// block as soon as all of its items are free again.
#pragma once

#include "MacTypes.h"
#include "SpGeneralStringObject.h"

enum : SInt32 { kSp_CollectionBlockItemCount = 50 };

// ---------------------------------------------------------------------------------------------
// Unsigned-long collections
// ---------------------------------------------------------------------------------------------

class cSp_uLongCollectionItemBlock;
class cSp_uLongCollectionItemBlockMgr;

struct sSp_UnsignedLongCollectionItem {
  SInt32 position;  // 1 for the head
  // Pointer-sized: collections hold object pointers as well as four-character codes.
  unsigned long value;
  sSp_UnsignedLongCollectionItem* previous;
  sSp_UnsignedLongCollectionItem* next;
  cSp_uLongCollectionItemBlock* block;
  cSp_uLongCollectionItemBlockMgr* manager;
  sSp_UnsignedLongCollectionItem* blockPrevious;
  sSp_UnsignedLongCollectionItem* blockNext;
  sSp_UnsignedLongCollectionItem* freePrevious;
  sSp_UnsignedLongCollectionItem* freeNext;
};

class cSp_uLongCollectionItemBlock
    : public tSpPoolBlock<sSp_UnsignedLongCollectionItem, cSp_uLongCollectionItemBlock,
                          cSp_uLongCollectionItemBlockMgr> {
 public:
  explicit cSp_uLongCollectionItemBlock(cSp_uLongCollectionItemBlockMgr* manager)
      : tSpPoolBlock(manager) {}
  ~cSp_uLongCollectionItemBlock() { ClearBlockItem(); }

  // Makes the block's items; noErr, or the memory error (the block then has no free items).
  OSErr SetupNewBlockMemoryArea(SInt32 count);
  // A cleared item from the free list, null when none is free.
  sSp_UnsignedLongCollectionItem* GetNewStructPtr();
  // Takes back an item of this block that is in use.
  void PutBackStructPtr(sSp_UnsignedLongCollectionItem* item);
  void ClearBlockItem() { ReleaseSlots(); }
};

class cSp_uLongCollectionItemBlockMgr : public tSpPoolBlockList<cSp_uLongCollectionItemBlock> {
 public:
  // An item from a block with a free one, or from a new block; null when the new block
  // got no memory.
  sSp_UnsignedLongCollectionItem* GetNewItemPtr();
  cSp_uLongCollectionItemBlock* SetupNewBlock();
  // Puts the item back and deletes its block when all of the block's items are free.
  void DisposeItemDataPtr(sSp_UnsignedLongCollectionItem* item);
  void ClearAllBlockList() { DeleteAllBlocks(); }
};

// The pool, made on first use and kept while the program runs.
extern cSp_uLongCollectionItemBlockMgr* uLongCollectionManagerPtr_GlV;
cSp_uLongCollectionItemBlockMgr* Sp_GetLongCollectionManager();
void Sp_DeleteLongCollectionItem(sSp_UnsignedLongCollectionItem* item);

class cSp_uLongCollection {
 public:
  cSp_uLongCollection() { StartUpInitialize(); }
  virtual ~cSp_uLongCollection() { ClearAllListItem(); }
  cSp_uLongCollection(const cSp_uLongCollection&) = delete;
  // Replaces the contents by copies of the other collection's values, in order.
  cSp_uLongCollection& operator=(const cSp_uLongCollection& other);

  void StartUpInitialize();
  SInt32 ClearAllListItem();
  // Position 0, or an empty collection: the value becomes the head and the cursor's item. Any
  // other position (callers pass -1) appends.
  void SetValue(SInt32 position, unsigned long value);
  Boolean GetValue(SInt32 position, unsigned long& value) const;
  Boolean ModifyValue(SInt32 position, unsigned long value);
  Boolean DeleteValue(SInt32 position);
  SInt32 GetNumberOfItem() const;
  Boolean CheckTargetValueExist(unsigned long value, SInt32* position) const;
  // Position 0 or an empty list: new head. Below 0 or not below the count: appended. Otherwise
  // inserted after the item with that position.
  void LinkIntoItemList(SInt32 position, sSp_UnsignedLongCollectionItem* item);

  void InitialSetupSequentialReference();
  Boolean GetCurrentItemOnSequentialRef(unsigned long& value, unsigned char advance);
  SInt32 GetCurrentItemNoOnSequentialRef() const;

 private:
  sSp_UnsignedLongCollectionItem* FindItem(SInt32 position) const;

  SInt32 count_;
  sSp_UnsignedLongCollectionItem* head_;
  sSp_UnsignedLongCollectionItem* tail_;
  sSp_UnsignedLongCollectionItem* cursor_;
};

// ---------------------------------------------------------------------------------------------
// String collections
// ---------------------------------------------------------------------------------------------

class cSp_StringCollectionItemBlock;
class cSp_StringCollectionManager;

struct sSp_StringCollectionItem {
  sSO_StringObjectBase* string;  // null: no text
  SInt32 position;
  sSp_StringCollectionItem* previous;
  sSp_StringCollectionItem* next;
  cSp_StringCollectionItemBlock* block;
  cSp_StringCollectionManager* manager;
  sSp_StringCollectionItem* blockPrevious;
  sSp_StringCollectionItem* blockNext;
  sSp_StringCollectionItem* freePrevious;
  sSp_StringCollectionItem* freeNext;
};

class cSp_StringCollectionItemBlock
    : public tSpPoolBlock<sSp_StringCollectionItem, cSp_StringCollectionItemBlock,
                          cSp_StringCollectionManager> {
 public:
  explicit cSp_StringCollectionItemBlock(cSp_StringCollectionManager* manager)
      : tSpPoolBlock(manager) {}
  ~cSp_StringCollectionItemBlock() { ClearBlockItem(); }

  // Makes the block's items (50 for a count below 1); noErr or the memory error.
  OSErr SetupNewBlockMemoryArea(SInt32 count);
  sSp_StringCollectionItem* GetNewStructPtr();
  // Takes back an item of this block that is in use, disposing its string object.
  void PutBackStructPtr(sSp_StringCollectionItem* item);
  // Disposes the string objects the items still hold and frees the items.
  void ClearBlockItem();
};

class cSp_StringCollectionManager : public tSpPoolBlockList<cSp_StringCollectionItemBlock> {
 public:
  sSp_StringCollectionItem* GetNewItemPtr();
  cSp_StringCollectionItemBlock* SetupNewBlock();
  void DisposeItemDataPtr(sSp_StringCollectionItem* item);
  void ClearAllBlockList() { DeleteAllBlocks(); }
};

extern cSp_StringCollectionManager* stringCollectionManagerPtr_GlV;
cSp_StringCollectionManager* Sp_GetStringCollectionManager();
void Sp_DeleteStringCollectionItem(sSp_StringCollectionItem* item);
// Gives the destination the source's text (or none when the source has none); positions stay.
void Sp_StringCollection_CopyStringItem(sSp_StringCollectionItem* destination,
                                        const sSp_StringCollectionItem* source);

class cSp_StringCollection {
 public:
  cSp_StringCollection() { StartUpInitialize(); }
  virtual ~cSp_StringCollection() { ClearAllListItem(); }
  cSp_StringCollection(const cSp_StringCollection&) = delete;
  cSp_StringCollection& operator=(const cSp_StringCollection& other);

  void StartUpInitialize();
  void ClearAllListItem();
  // A null text does nothing; otherwise a new item holding a copy of the text is linked as
  // LinkIntoItemList places it.
  void SetValue(SInt32 position, const char* text);
  void AddStringData(const char* text) { SetValue(-1, text); }
  void LinkIntoItemList(SInt32 position, sSp_StringCollectionItem* item);
  // Copies the text of the item with that position (at most size - 2 bytes, two NULs).
  Boolean GetValue(SInt32 position, char* buffer, SInt32 size, unsigned char& overflow) const;
  Boolean GetTargetStringRefNum(const char* text, SInt32& position) const;
  Boolean ModifyValue(SInt32 position, const char* text);
  // Makes the item's string object when it has none and copies the text into it; false when
  // the object could not be made.
  Boolean SetNewValueInDataArea(sSp_StringCollectionItem* item, const char* text);
  Boolean DeleteValue(SInt32 position);
  SInt32 GetNumberOfItem() const { return count_; }
  SInt32 GetMaxStringLength() const;

 private:
  sSp_StringCollectionItem* FindItem(SInt32 position) const;

  sSp_StringCollectionItem* head_;
  sSp_StringCollectionItem* tail_;
  SInt32 count_;
};
