// The string object: the framework's growable text.
//
// A string's bytes lie in a doubly linked chain of string items of 64 text bytes each. Both the
// string objects and the items come from pools of fixed-size slots that grow by blocks of 200
// slots and give a whole block back only when enough slots are free elsewhere, so that
// strings never allocate per call. The text is MacJapanese (Shift-JIS) bytes; lengths and
// positions count bytes.
//
// The slot pools are built from the templates of SpPoolBlock.h, as are the collections'.
#pragma once

#include "MacTypes.h"
#include "SpPoolBlock.h"

// ---------------------------------------------------------------------------------------------
// String items and string objects
// ---------------------------------------------------------------------------------------------

enum : SInt32 {
  kSO_StringItemCapacity = 64,   // text bytes of one string item
  kSO_PoolBlockSlotCount = 200,  // slots of one pool block
  // A wholly free block is given back only while more than this many slots are free in the
  // pool's other blocks, so that a string made and released over and over does not make a
  // block come and go.
  kSO_FreeSlotReserve = 100,
};

class cSO_StringItemBlock;
class cSO_StringItemBlockManager;
class cStringObjectBlock;
class cStringObjectBlockManager;

// One slot of the item pool: up to 64 text bytes, always followed by a NUL.
struct sSO_StringItemObject {
  SInt32 capacity;  // always 64
  SInt32 used;      // text bytes held
  char text[kSO_StringItemCapacity + 1];
  sSO_StringItemObject* previous;  // neighbours in the owning string's chain
  sSO_StringItemObject* next;
  cSO_StringItemBlock* block;
  cSO_StringItemBlockManager* manager;
  sSO_StringItemObject* blockPrevious;
  sSO_StringItemObject* blockNext;
  sSO_StringItemObject* freePrevious;
  sSO_StringItemObject* freeNext;
};

// One slot of the object pool. Item count and length always match the chain.
struct sSO_StringObjectBase {
  SInt32 itemCount;
  SInt32 length;
  sSO_StringItemObject* firstItem;  // both null when the string is empty
  sSO_StringItemObject* lastItem;
  cStringObjectBlock* block;
  cStringObjectBlockManager* manager;
  sSO_StringObjectBase* blockPrevious;
  sSO_StringObjectBase* blockNext;
  sSO_StringObjectBase* freePrevious;
  sSO_StringObjectBase* freeNext;
};

class cSO_StringItemBlock
    : public tSpPoolBlock<sSO_StringItemObject, cSO_StringItemBlock, cSO_StringItemBlockManager> {
 public:
  explicit cSO_StringItemBlock(cSO_StringItemBlockManager* manager) : tSpPoolBlock(manager) {}
  // Makes the block's 200 item slots; false (and a failure record) when the memory was not had.
  Boolean SetupNewBlockMemoryArea();
  sSO_StringItemObject* GetNewStructPtr() { return PopFreeSlot(); }
  void PutBackStructPtr(sSO_StringItemObject* item) { PushFreeSlot(item); }
};

class cSO_StringItemBlockManager : public tSpPoolBlockList<cSO_StringItemBlock> {
 public:
  // A fresh empty item (used 0, unlinked), or null when no block could be made.
  sSO_StringItemObject* GetNewStructPtr();
  // Gives an item back and clears the caller's variable; deletes its block when that became
  // wholly free while enough slots are free elsewhere.
  void PutBackStructPtr(sSO_StringItemObject*& item);
};

class cStringObjectBlock
    : public tSpPoolBlock<sSO_StringObjectBase, cStringObjectBlock, cStringObjectBlockManager> {
 public:
  explicit cStringObjectBlock(cStringObjectBlockManager* manager) : tSpPoolBlock(manager) {}
  Boolean SetupNewBlockMemoryArea();
  sSO_StringObjectBase* GetNewStructPtr() { return PopFreeSlot(); }
  // Refuses (with a failure record) an object that is already free; true when put back.
  Boolean PutBackStructPtr(sSO_StringObjectBase* obj);
};

class cStringObjectBlockManager : public tSpPoolBlockList<cStringObjectBlock> {
 public:
  // A new empty string object, or null when no block could be made.
  sSO_StringObjectBase* GetNewStructPtr();
  // Gives the object's items back to the item pool and the object slot back to its block;
  // refuses an object that is already free. True when put back.
  Boolean PutBackStructPtr(sSO_StringObjectBase* obj);
};

// The two pools, null until first use.
extern cSO_StringItemBlockManager* stringItemBlockMgrPtr_GlV;
extern cStringObjectBlockManager* StringObjBlockMgrPtr_GlV;

// ---------------------------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------------------------

// Makes the missing pools and, when it made one, registers their disposal with the framework's
// dispose procedures. 1 when both pools exist afterwards.
Boolean Sp_InitializeStringObjectSystem();
// Deletes both pools with every block, string and item still in them.
void SpSO_DisposeStringObjectManager(unsigned long userData);
sSO_StringItemObject* SpSO_NewStringItemObjPtr();
void SpSO_DisposeStringItem(sSO_StringItemObject*& item);

sSO_StringObjectBase* SpSO_NewStringObject();
// Gives the object and its items back to their pools and sets the caller's pointer to null.
// A null pointer does nothing; an object already given back is refused with a record.
void SpSO_DisposeStringObject(sSO_StringObjectBase*& obj);
void SpSO_Clear(sSO_StringObjectBase* obj);

// Setting and appending; a text is a zero-terminated byte string.
void SpSO_strcopy(sSO_StringObjectBase* obj, const char* text);
void SpSO_strncopy(sSO_StringObjectBase* obj, const char* text, SInt32 n);
void SpSO_strcopy(sSO_StringObjectBase* obj, sSO_StringObjectBase* source);
void SpSO_strncopy(sSO_StringObjectBase* obj, sSO_StringObjectBase* source, SInt32 start, SInt32 n);
void SpSO_strcat(sSO_StringObjectBase* obj, const char* text);
void SpSO_strncat(sSO_StringObjectBase* obj, const char* text, SInt32 n);
void SpSO_strcat(sSO_StringObjectBase* obj, sSO_StringObjectBase* source);
// Appends n bytes of the source from byte start; n of 0 or less means to the source's end.
void SpSO_strncat(sSO_StringObjectBase* obj, sSO_StringObjectBase* source, SInt32 start, SInt32 n);
// Inserts the text before byte position; a negative position, or one at or beyond the length,
// appends.
void SpSO_InsertString(sSO_StringObjectBase* obj, SInt32 position, const char* text);

// Cutting: keep the first n bytes; remove the first n bytes; remove the bytes from the smaller
// offset up to (not including) the larger.
void SpSO_CutDownString(sSO_StringObjectBase* obj, SInt32 n);
void SpSO_CutDownBeforeString(sSO_StringObjectBase* obj, SInt32 n);
void SpSO_CutDownBetweenString(sSO_StringObjectBase* obj, SInt32 a, SInt32 b);

// Reading out: at most size - 2 bytes followed by two NULs; `cut` is 1 when any wanted byte
// was left out. A refused read-out sets `cut` and leaves the buffer untouched.
void SpSO_GetString(const sSO_StringObjectBase* obj, char* buffer, SInt32 size, unsigned char& cut);
void SpSO_GetTargetAreaString(const sSO_StringObjectBase* obj, char* buffer, SInt32 size,
                              SInt32 start, SInt32 length, unsigned char& cut);
// Lines end at a carriage return and count from 1. Answers 1 when the wanted lines ran past
// the end of the item they began in, else 0.
unsigned char SpSO_GetLineString(const sSO_StringObjectBase* obj, SInt32 firstLine,
                                 SInt32 lineCount, char* buffer, SInt32 size, unsigned char& cut);
// Raw bytes: at most size bytes, no terminator.
void SpSO_GetData(const sSO_StringObjectBase* obj, char* buffer, SInt32 size, unsigned char& cut);
// The text from start, never ending inside a two-byte character of the script.
void SpSO_GetStringWidthScriptCode(const sSO_StringObjectBase* obj, char* buffer, SInt32 size,
                                   SInt32 start, ScriptCode script, SInt32& length,
                                   unsigned char& cut);
SInt32 SpSO_GetStringLen(const sSO_StringObjectBase* obj);
// The items the operations have stepped over while walking strings' chains since the program
// started: a measure of their work that does not depend on time.
UInt64 SpSO_WalkedItemCount();

// Comparing (bytes as signed 8-bit values) → 0, 1 or -1; searching.
short SpSO_strcmp(const sSO_StringObjectBase* obj, const char* text);
short SpSO_strncmp(const sSO_StringObjectBase* obj, const char* text, SInt32 n);
short SpSO_strcmp(const sSO_StringObjectBase* obj, const sSO_StringObjectBase* obj2);
// Looks for the byte from start up to (not including) end; a negative start means 0, a
// negative end the string's end. Stores the offset, or 0 when not found.
unsigned char SpSO_SerchTargetCharactor(const sSO_StringObjectBase* obj, char c, SInt32 start,
                                        SInt32 end, SInt32* position);

// Case of the whole text, or of the bytes start to end - 1.
void SpSO_UpperText(sSO_StringObjectBase* obj);
void SpSO_LowerText(sSO_StringObjectBase* obj);
void SpSO_UpperText(sSO_StringObjectBase* obj, SInt32 start, SInt32 end);
void SpSO_LowerText(sSO_StringObjectBase* obj, SInt32 start, SInt32 end);

// Compaction: drops empty items and moves bytes forward so that items are nearly full.
void SpSO_SaveString(sSO_StringObjectBase* obj);
// Builds a separate chain of new items holding the text, 64 bytes an item; answers the number
// of bytes placed (less than the text's length when the item pool ran dry).
SInt32 SpSO_CreateItemForSetupString(const char* text, sSO_StringItemObject*& first,
                                     sSO_StringItemObject*& last);

// ---------------------------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------------------------

struct sSpFileSysInfo;

// Writes the whole text into a file opened for writing with the buffered file record.
OSErr SpSO_WriteIntoFile(sSpFileSysInfo* file, const sSO_StringObjectBase* obj);
// Writes the bytes start to start + length - 1, item by item, each synchronously through the
// file record; the first failure stops and is returned. A length below 1 writes nothing.
OSErr SpSO_WriteTargetAreaStringIntoFile(sSpFileSysInfo* file, const sSO_StringObjectBase* obj,
                                         SInt32 start, SInt32 length);
