// The space manager: hands out non-overlapping rectangles of an area, as boxes are placed on
// a page.
//
// The area (an origin, a width and a height) is cut into a grid of rows and columns. Rows
// divide the height and columns the width; together each covers its extent without gaps. A
// cell is where a row and a column cross; it is free or occupied by one user, who is known by
// a reference number. Registering a rectangle snaps its edges to grid lines less than 5 units
// away and divides the rows and columns at the other edges, so that the rectangle is a block
// of whole cells; the grid only ever gets finer. Cancelling frees the cells and leaves the
// lines. Coordinates handed in and out are absolute (the origin included); inside, positions
// run from 0 to the width and height.
//
// Cells come from pool blocks of a fixed number of cells, one cleared allocation each.
#pragma once

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpPoolBlock.h"

class cSMO_SpaceMgrObject;
class cSMO_SpaceItemBlock;
class cSMO_SpaceRoot;
class cSMO_UserItem;

// A row divides the vertical extent, a column the horizontal one.
enum tSMO_RootType : UInt8 {
  kSMO_RowRoot = 1,
  kSMO_ColumnRoot = 2,
};

enum : SInt32 {
  kSMO_SnapDistance = 5,  // edges nearer than this to a grid line go to the line
};

// One cell of the grid.
struct sSMO_SpaceItem {
  unsigned char occupied;
  cSMO_UserItem* owner;
  sSMO_SpaceItem* ownerPrevious;  // the owner's chain of cells
  sSMO_SpaceItem* ownerNext;
  cSMO_SpaceRoot* row;
  cSMO_SpaceRoot* column;
  sSMO_SpaceItem* rowPrevious;  // along its row, left to right
  sSMO_SpaceItem* rowNext;
  sSMO_SpaceItem* columnPrevious;  // down its column
  sSMO_SpaceItem* columnNext;
  // The pool's own fields.
  cSMO_SpaceItemBlock* block;
  cSMO_SpaceMgrObject* manager;
  sSMO_SpaceItem* blockPrevious;
  sSMO_SpaceItem* blockNext;
  sSMO_SpaceItem* freePrevious;
  sSMO_SpaceItem* freeNext;
};

// A pool block of cells.
class cSMO_SpaceItemBlock
    : public tSpPoolBlock<sSMO_SpaceItem, cSMO_SpaceItemBlock, cSMO_SpaceMgrObject>,
      public cSpMacHeapObject {
 public:
  cSMO_SpaceItemBlock(cSMO_SpaceMgrObject* manager, SInt32 count)
      : tSpPoolBlock(manager), count_(count) {}

  // Makes the block's cells, all free; false (and a failure record) when the memory was not
  // had.
  Boolean SetupNewBlockMemoryArea();
  void ClearBlockItem() { ReleaseSlots(); }
  // A cleared free cell; null when none is free.
  sSMO_SpaceItem* GetNewStructPtr();
  // Gives a cell of this block back; a cell of another block is refused.
  void PutBackStructPtr(sSMO_SpaceItem* cell);
  // Clears every field but the pool's own.
  static void InitializeItem(sSMO_SpaceItem* cell);

 private:
  SInt32 count_;
};

// One row or column of the grid, covering [start, end].
class cSMO_SpaceRoot : public cSpListLinks<cSMO_SpaceRoot>, public cSpMacHeapObject {
 public:
  cSMO_SpaceRoot(cSMO_SpaceMgrObject* manager, tSMO_RootType type)
      : manager_(manager), type_(type) {}
  cSMO_SpaceRoot(const cSMO_SpaceRoot&) = delete;
  cSMO_SpaceRoot& operator=(const cSMO_SpaceRoot&) = delete;

  // Sets each value that is above 0; the others stay.
  void SetupPosition(SInt32 start, SInt32 end);
  // Both ends; the size.
  SInt32 GetSizePosition(SInt32& start, SInt32& end) const;
  SInt32 GetStartPosition() const { return start_; }
  SInt32 GetEndPosition() const { return end_; }
  tSMO_RootType GetRootType() const { return type_; }
  sSMO_SpaceItem* GetSpaceItemListHead() const { return firstCell_; }
  void SetupReferenceNo(short referenceNo) { referenceNo_ = referenceNo; }
  SInt32 GetReferenceNo() const { return referenceNo_; }
  void SetupItemIntoListHead(sSMO_SpaceItem* cell) { firstCell_ = cell; }

  // Strictly between the ends is inside; an end only with its flag.
  Boolean TargetPositionInMyArea(SInt32 position, unsigned char includeStart,
                                 unsigned char includeEnd) const;
  // True when the span between a and b (either order) overlaps (start, end).
  Boolean TargetAreaOnMyArea(SInt32 a, SInt32 b) const;
  // The first cell along this root whose row holds y and whose column holds x.
  sSMO_SpaceItem* GetItemContainPosition(SInt32 x, SInt32 y, unsigned char includeStart,
                                         unsigned char includeEnd) const;
  // Cuts this root at the position: a new root after it takes [position, end] with a copy
  // of each of its cells (owner and all). noErr, also for a position on one of its ends
  // (nothing to cut); paramErr (and a record) for a position outside the root; memFullErr
  // when cells or the root could not be had, the grid then unchanged.
  OSErr DivideRootSpace(SInt32 position);
  // The next cell along this root.
  sSMO_SpaceItem* NextAlong(const sSMO_SpaceItem* cell) const;
  // True when a cell of this root is occupied.
  Boolean HasOccupiedItem() const;

 private:
  cSMO_SpaceMgrObject* manager_;
  tSMO_RootType type_;
  SInt32 referenceNo_ = 1;
  SInt32 start_ = 0;
  SInt32 end_ = 0;
  sSMO_SpaceItem* firstCell_ = nullptr;
};

// One registration.
class cSMO_UserItem : public cSpListLinks<cSMO_UserItem>, public cSpMacHeapObject {
 public:
  cSMO_UserItem(cSMO_SpaceMgrObject* manager, UInt32 referenceNo)
      : referenceNo_(referenceNo), manager_(manager) {}
  cSMO_UserItem(const cSMO_UserItem&) = delete;
  cSMO_UserItem& operator=(const cSMO_UserItem&) = delete;

  void SetupUserDemandArea(SInt32 x, SInt32 y, SInt32 width, SInt32 height);
  void SetupOccupySpace(SInt32 left, SInt32 top, SInt32 width, SInt32 height);
  void GetUserDemandArea(SInt32& x, SInt32& y, SInt32& width, SInt32& height) const;
  // The area after snapping, from the origin.
  void GetOccupySpace(SInt32& left, SInt32& top, SInt32& width, SInt32& height) const;
  // Appends a cell to the user's chain.
  void SetupSpaceItem(sSMO_SpaceItem* cell);
  sSMO_SpaceItem* GetFirstSpaceItem() const { return firstCell_; }
  // Frees every cell of the user and dissolves the chain.
  void CancelOccupySpaceItem();
  // Takes the user out of its list; the owner mends its head.
  void UnlinkFromOwnersList() { UnlinkSelf(); }
  UInt32 GetUserReferenceNo() const { return referenceNo_; }
  // The user of that number, from this one on; null when none.
  cSMO_UserItem* GetReferenceOwner(UInt32 referenceNo);
  // On the first user: the lowest number no user has.
  UInt32 GetVacantUserReferenceNo();
  // On the first user of an ascending list: puts `user` in order; a new first user is
  // written through `head`.
  void SetupIntoOwnersList(cSMO_UserItem* user, cSMO_UserItem** head);

 private:
  UInt32 referenceNo_;
  SInt32 demand_[4] = {};
  SInt32 occupied_[4] = {};
  sSMO_SpaceItem* firstCell_ = nullptr;
  sSMO_SpaceItem* lastCell_ = nullptr;
  cSMO_SpaceMgrObject* manager_;
};

// The manager of one area. It is the pool of its cells (the block list's operations).
class cSMO_SpaceMgrObject : private tSpPoolBlockList<cSMO_SpaceItemBlock> {
 public:
  cSMO_SpaceMgrObject(SInt32 left, SInt32 top, SInt32 width, SInt32 height,
                      SInt32 cellsPerBlock);
  ~cSMO_SpaceMgrObject();
  cSMO_SpaceMgrObject(const cSMO_SpaceMgrObject&) = delete;
  cSMO_SpaceMgrObject& operator=(const cSMO_SpaceMgrObject&) = delete;

  // True when the cell at the point exists and is free.
  Boolean ExistFreeSpace(SInt32 x, SInt32 y, unsigned char includeStart,
                         unsigned char includeEnd);
  // True when no occupied cell lies in the rectangle from the point's cell on (also when the
  // grid ends first); the free width and height reached from the point.
  Boolean ExistFreeSpace(SInt32 x, SInt32 y, SInt32 width, SInt32 height, SInt32& freeWidth,
                         SInt32& freeHeight);
  // 1 and the new reference number when the rectangle, snapped to the grid, was free and is
  // now the new user's; otherwise 0.
  unsigned char RegisterSpace(SInt32 x, SInt32 y, SInt32 width, SInt32 height,
                              UInt32& referenceNo);
  void CancelOccupySpace(UInt32 referenceNo);
  // Stretches the last column and row to a larger width and height when they are free.
  void ExpandTotalSpace(SInt32 newWidth, SInt32 newHeight);
  // 1 when a run of free columns reaches from the position down by the height; its start and
  // end (absolute) and its first column's reference number.
  unsigned char GetAvailableSpaceByVerticalPosition(SInt32 position, SInt32 height,
                                                    SInt32& start, SInt32& end,
                                                    SInt32& columnReferenceNo);

  // A cleared cell from the pool; null when no block could be made.
  sSMO_SpaceItem* GetNewItemDataPtr();
  // Gives a cell back to its block.
  void PutBackItemDataPtr(sSMO_SpaceItem* cell);
  cSMO_SpaceItemBlock* SetupNewBlock();
  void LinkUserObjectIntoUserList(cSMO_UserItem* user);
  void UnlinkUserObjectFromUserList(cSMO_UserItem* user);
  void DisposeAllSpaceBlock() { DeleteAllBlocks(); }
  void DisposeAllUserList();
  void DisposeAllRoot();

  SInt32 GetLeft() const { return left_; }
  SInt32 GetTop() const { return top_; }
  SInt32 GetTotalWidth() const { return width_; }
  SInt32 GetTotalHeight() const { return height_; }
  cSMO_SpaceRoot* GetFirstRowRoot() const { return firstRow_; }
  cSMO_SpaceRoot* GetFirstColumnRoot() const { return firstColumn_; }
  cSMO_UserItem* GetFirstUser() const { return firstUser_; }
  using tSpPoolBlockList::CountBlocks;
  using tSpPoolBlockList::CountFreeSlots;
  using tSpPoolBlockList::NoteSlotFreed;

 private:
  // Where a rectangle's edge goes, and whether its root is divided there.
  struct sEdge {
    SInt32 position;
    bool divide;
  };
  static sEdge SnapLowEdge(const cSMO_SpaceRoot* root, SInt32 position);
  static sEdge SnapHighEdge(const cSMO_SpaceRoot* root, SInt32 position);
  // The cell at the point (from the origin), in the first row that holds y; both found under
  // the flags.
  sSMO_SpaceItem* FindItem(SInt32 x, SInt32 y, unsigned char includeStart,
                           unsigned char includeEnd) const;
  // Counts the cells inside the rectangle; -1 when one of them is occupied. With `owner`,
  // the cells become its.
  SInt32 CollectItems(SInt32 left, SInt32 top, SInt32 right, SInt32 bottom,
                      cSMO_UserItem* owner);

  SInt32 left_ = 0;
  SInt32 top_ = 0;
  SInt32 width_ = 0;
  SInt32 height_ = 0;
  cSMO_SpaceRoot* firstRow_ = nullptr;
  cSMO_SpaceRoot* firstColumn_ = nullptr;
  SInt32 cellsPerBlock_ = 0;
  cSMO_UserItem* firstUser_ = nullptr;
};
