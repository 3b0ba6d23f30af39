#include "SpSpaceMgrObject.h"

#include <initializer_list>
#include <new>
#include <utility>

#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpSpaceMgrObject";
const char kMsgMemoryFull[] = "Memory Full ";
const char kMsgMemoryFullError[] = "Memory Full Error";
const char kMsgNotEnoughMemory[] = "not enough memory";
const char kMsgPositionError[] = "Position Error ";
const char kMsgSearchError[] = "Target Page Serch Error";
const char kMsgAllocationError[] = "Space Page allocation Error";
const char kMsgNoCell[] = "data error";
const char kMsgNoUser[] = "cannot allocated memory !!";
const char kMsgReferenceNoError[] = "Reference No. Error!! ";
const char kMsgUserDataError[] = "Data Error!! ";

cSMO_SpaceRoot* FindRoot(cSMO_SpaceRoot* first, SInt32 position, unsigned char includeStart,
                         unsigned char includeEnd) {
  for (cSMO_SpaceRoot* r = first; r != nullptr; r = r->GetNextObjectPtr()) {
    if (r->TargetPositionInMyArea(position, includeStart, includeEnd)) return r;
  }
  return nullptr;
}

// A root meets the span [low, high] when it starts in [low, high) or ends in (low, high].
bool Overlaps(const cSMO_SpaceRoot* root, SInt32 low, SInt32 high) {
  const SInt32 start = root->GetStartPosition();
  const SInt32 end = root->GetEndPosition();
  return (start >= low && start < high) || (end > low && end <= high);
}

// A cell's links as a root sees them: its own root, the links along the root, and those
// across it into the neighbouring roots. Rows run left to right, columns top to bottom.
struct sCellLinks {
  cSMO_SpaceRoot* sSMO_SpaceItem::*root;
  sSMO_SpaceItem* sSMO_SpaceItem::*alongPrevious;
  sSMO_SpaceItem* sSMO_SpaceItem::*alongNext;
  sSMO_SpaceItem* sSMO_SpaceItem::*acrossPrevious;
  sSMO_SpaceItem* sSMO_SpaceItem::*acrossNext;
};

const sCellLinks kRowLinks = {&sSMO_SpaceItem::row, &sSMO_SpaceItem::rowPrevious,
                              &sSMO_SpaceItem::rowNext, &sSMO_SpaceItem::columnPrevious,
                              &sSMO_SpaceItem::columnNext};
const sCellLinks kColumnLinks = {&sSMO_SpaceItem::column, &sSMO_SpaceItem::columnPrevious,
                                 &sSMO_SpaceItem::columnNext, &sSMO_SpaceItem::rowPrevious,
                                 &sSMO_SpaceItem::rowNext};

const sCellLinks& LinksOf(tSMO_RootType type) {
  return type == kSMO_RowRoot ? kRowLinks : kColumnLinks;
}

}  // namespace

// ---- cSMO_SpaceItemBlock --------------------------------------------------------------------

Boolean cSMO_SpaceItemBlock::SetupNewBlockMemoryArea() {
  if (MakeSlots(count_) != noErr) {
    return SpReportFailure(kSource, "cSMO_SpaceItemBlock::SetupNewBlockMemoryArea", 1,
                           kMsgMemoryFullError, Boolean(false));
  }
  return true;
}

sSMO_SpaceItem* cSMO_SpaceItemBlock::GetNewStructPtr() {
  sSMO_SpaceItem* cell = PopFreeSlot();
  if (cell != nullptr) InitializeItem(cell);
  return cell;
}

void cSMO_SpaceItemBlock::PutBackStructPtr(sSMO_SpaceItem* cell) {
  if (!OwnsSlot(cell) || IsFreeSlot(cell)) {
    SpReportFailure(kSource, "cSMO_SpaceItemBlock::PutBackStructPtr", 1, kSpMsgDataError);
    return;
  }
  InitializeItem(cell);
  PushFreeSlot(cell);
}

void cSMO_SpaceItemBlock::InitializeItem(sSMO_SpaceItem* cell) {
  cell->occupied = 0;
  cell->owner = nullptr;
  cell->ownerPrevious = cell->ownerNext = nullptr;
  cell->row = cell->column = nullptr;
  cell->rowPrevious = cell->rowNext = nullptr;
  cell->columnPrevious = cell->columnNext = nullptr;
  cell->freePrevious = cell->freeNext = nullptr;
}

// ---- cSMO_SpaceRoot -------------------------------------------------------------------------

void cSMO_SpaceRoot::SetupPosition(SInt32 start, SInt32 end) {
  if (start > 0) start_ = start;
  if (end > 0) end_ = end;
}

SInt32 cSMO_SpaceRoot::GetSizePosition(SInt32& start, SInt32& end) const {
  start = start_;
  end = end_;
  return end_ - start_;
}

Boolean cSMO_SpaceRoot::TargetPositionInMyArea(SInt32 position, unsigned char includeStart,
                                               unsigned char includeEnd) const {
  if (position > start_ && position < end_) return true;
  if (position == start_ && includeStart != 0) return true;
  return position == end_ && includeEnd != 0;
}

Boolean cSMO_SpaceRoot::TargetAreaOnMyArea(SInt32 a, SInt32 b) const {
  const SInt32 low = a < b ? a : b;
  const SInt32 high = a < b ? b : a;
  return low < end_ && high > start_;
}

sSMO_SpaceItem* cSMO_SpaceRoot::NextAlong(const sSMO_SpaceItem* cell) const {
  return cell->*LinksOf(type_).alongNext;
}

sSMO_SpaceItem* cSMO_SpaceRoot::GetItemContainPosition(SInt32 x, SInt32 y,
                                                       unsigned char includeStart,
                                                       unsigned char includeEnd) const {
  for (sSMO_SpaceItem* c = firstCell_; c != nullptr; c = NextAlong(c)) {
    if (c->row->TargetPositionInMyArea(y, includeStart, includeEnd) &&
        c->column->TargetPositionInMyArea(x, includeStart, includeEnd)) {
      return c;
    }
  }
  return nullptr;
}

Boolean cSMO_SpaceRoot::HasOccupiedItem() const {
  for (const sSMO_SpaceItem* c = firstCell_; c != nullptr; c = NextAlong(c)) {
    if (c->occupied != 0) return true;
  }
  return false;
}

OSErr cSMO_SpaceRoot::DivideRootSpace(SInt32 position) {
  if (position < start_ || position > end_) {
    return SpReportFailure(kSource, "cSMO_SpaceRoot::DivideRootSpace", 1, kMsgPositionError,
                           OSErr(paramErr));
  }
  // A line that is there already needs no root of size 0 beside it.
  if (position == start_ || position == end_) return noErr;
  // Every new cell and the new root are had before the grid is touched, so that a shortage
  // leaves the grid as it was. The spare cells wait in a chain of their owner links.
  sSMO_SpaceItem* spare = nullptr;
  auto giveBack = [&] {
    while (spare != nullptr) {
      sSMO_SpaceItem* next = spare->ownerNext;
      manager_->PutBackItemDataPtr(spare);
      spare = next;
    }
  };
  for (sSMO_SpaceItem* c = firstCell_; c != nullptr; c = NextAlong(c)) {
    sSMO_SpaceItem* cell = manager_->GetNewItemDataPtr();
    if (cell == nullptr) {
      giveBack();
      return memFullErr;
    }
    cell->ownerNext = spare;
    spare = cell;
  }
  cSMO_SpaceRoot* root = new (std::nothrow) cSMO_SpaceRoot(manager_, type_);
  if (root == nullptr) {
    giveBack();
    return SpReportFailure(kSource, "cSMO_SpaceRoot::DivideRootSpace", 2, kSpMsgMemory,
                           OSErr(memFullErr));
  }
  root->start_ = position;
  root->end_ = end_;
  end_ = position;
  InsertAfter(root);

  const sCellLinks& links = LinksOf(type_);
  sSMO_SpaceItem* last = nullptr;
  for (sSMO_SpaceItem* c = firstCell_; c != nullptr; c = NextAlong(c)) {
    sSMO_SpaceItem* cell = spare;
    spare = spare->ownerNext;
    cell->ownerNext = nullptr;
    cell->occupied = c->occupied;
    // Along the new root after the cell before, and across it just after the old cell.
    cell->row = c->row;
    cell->column = c->column;
    cell->*links.root = root;
    cell->*links.alongPrevious = last;
    if (last != nullptr) last->*links.alongNext = cell;
    cell->*links.acrossPrevious = c;
    cell->*links.acrossNext = c->*links.acrossNext;
    if (c->*links.acrossNext != nullptr) (c->*links.acrossNext)->*links.acrossPrevious = cell;
    c->*links.acrossNext = cell;
    if (last == nullptr) root->firstCell_ = cell;
    last = cell;
    if (c->owner != nullptr) c->owner->SetupSpaceItem(cell);
  }
  for (cSMO_SpaceRoot* r = root; r != nullptr; r = r->GetNextObjectPtr()) {
    r->referenceNo_ = r->GetBeforeObjectPtr()->referenceNo_ + 1;
  }
  return noErr;
}

// ---- cSMO_UserItem --------------------------------------------------------------------------

void cSMO_UserItem::SetupUserDemandArea(SInt32 x, SInt32 y, SInt32 width, SInt32 height) {
  demand_[0] = x;
  demand_[1] = y;
  demand_[2] = width;
  demand_[3] = height;
}

void cSMO_UserItem::SetupOccupySpace(SInt32 left, SInt32 top, SInt32 width, SInt32 height) {
  occupied_[0] = left;
  occupied_[1] = top;
  occupied_[2] = width;
  occupied_[3] = height;
}

void cSMO_UserItem::GetUserDemandArea(SInt32& x, SInt32& y, SInt32& width,
                                      SInt32& height) const {
  x = demand_[0];
  y = demand_[1];
  width = demand_[2];
  height = demand_[3];
}

void cSMO_UserItem::GetOccupySpace(SInt32& left, SInt32& top, SInt32& width,
                                   SInt32& height) const {
  left = occupied_[0];
  top = occupied_[1];
  width = occupied_[2];
  height = occupied_[3];
}

void cSMO_UserItem::SetupSpaceItem(sSMO_SpaceItem* cell) {
  if (cell == nullptr) return;
  cell->occupied = 1;
  cell->owner = this;
  cell->ownerNext = nullptr;
  cell->ownerPrevious = lastCell_;
  if (lastCell_ != nullptr) {
    lastCell_->ownerNext = cell;
  } else {
    firstCell_ = cell;
  }
  lastCell_ = cell;
}

void cSMO_UserItem::CancelOccupySpaceItem() {
  sSMO_SpaceItem* cell = firstCell_;
  while (cell != nullptr) {
    sSMO_SpaceItem* next = cell->ownerNext;
    cell->occupied = 0;
    cell->owner = nullptr;
    cell->ownerPrevious = cell->ownerNext = nullptr;
    cell = next;
  }
  firstCell_ = lastCell_ = nullptr;
}

cSMO_UserItem* cSMO_UserItem::GetReferenceOwner(UInt32 referenceNo) {
  for (cSMO_UserItem* u = this; u != nullptr; u = u->GetNextObjectPtr()) {
    if (u->referenceNo_ == referenceNo) return u;
  }
  return nullptr;
}

UInt32 cSMO_UserItem::GetVacantUserReferenceNo() {
  if (referenceNo_ > 1) return 1;
  cSMO_UserItem* u = this;
  for (cSMO_UserItem* next = u->GetNextObjectPtr(); next != nullptr;
       u = next, next = next->GetNextObjectPtr()) {
    if (u->referenceNo_ + 1 < next->referenceNo_) break;
  }
  return u->referenceNo_ + 1;
}

void cSMO_UserItem::SetupIntoOwnersList(cSMO_UserItem* user, cSMO_UserItem** head) {
  if (user == nullptr) return;
  cSMO_UserItem* place = nullptr;
  for (cSMO_UserItem* u = this; u != nullptr; u = u->GetNextObjectPtr()) {
    if (u->referenceNo_ < user->referenceNo_) place = u;
  }
  if (place != nullptr) {
    place->InsertAfter(user);
    return;
  }
  user->LinkToNext(this);
  if (head != nullptr) *head = user;
}

// ---- cSMO_SpaceMgrObject: the grid and its pool ---------------------------------------------

cSMO_SpaceMgrObject::cSMO_SpaceMgrObject(SInt32 left, SInt32 top, SInt32 width, SInt32 height,
                                         SInt32 cellsPerBlock)
    : left_(left), top_(top), width_(width), height_(height), cellsPerBlock_(cellsPerBlock) {
  sSMO_SpaceItem* cell = GetNewItemDataPtr();
  cSMO_SpaceRoot* row = new (std::nothrow) cSMO_SpaceRoot(this, kSMO_RowRoot);
  cSMO_SpaceRoot* column = new (std::nothrow) cSMO_SpaceRoot(this, kSMO_ColumnRoot);
  if (cell == nullptr || row == nullptr || column == nullptr) {
    if (cell != nullptr) PutBackItemDataPtr(cell);
    delete row;
    delete column;
    SpReportFailure(kSource, "cSMO_SpaceMgrObject::cSMO_SpaceMgrObject", 1, kMsgMemoryFull);
    return;
  }
  row->SetupPosition(0, height);
  column->SetupPosition(0, width);
  cell->row = row;
  cell->column = column;
  row->SetupItemIntoListHead(cell);
  column->SetupItemIntoListHead(cell);
  firstRow_ = row;
  firstColumn_ = column;
}

cSMO_SpaceMgrObject::~cSMO_SpaceMgrObject() {
  DisposeAllUserList();
  DisposeAllRoot();
  DisposeAllSpaceBlock();
}

sSMO_SpaceItem* cSMO_SpaceMgrObject::GetNewItemDataPtr() {
  cSMO_SpaceItemBlock* block = FindBlockWithFreeSlot();
  if (block == nullptr) block = SetupNewBlock();
  return block != nullptr ? block->GetNewStructPtr() : nullptr;
}

void cSMO_SpaceMgrObject::PutBackItemDataPtr(sSMO_SpaceItem* cell) {
  if (cell != nullptr && cell->block != nullptr) cell->block->PutBackStructPtr(cell);
}

cSMO_SpaceItemBlock* cSMO_SpaceMgrObject::SetupNewBlock() {
  if (cellsPerBlock_ < 1) return nullptr;
  cSMO_SpaceItemBlock* block = new (std::nothrow) cSMO_SpaceItemBlock(this, cellsPerBlock_);
  if (block == nullptr) {
    return SpReportFailure(kSource, "cSMO_SpaceMgrObject::SetupNewBlock", 1, kMsgNotEnoughMemory,
                           static_cast<cSMO_SpaceItemBlock*>(nullptr));
  }
  if (!block->SetupNewBlockMemoryArea()) {
    delete block;
    return nullptr;
  }
  AppendBlock(block);
  return block;
}

void cSMO_SpaceMgrObject::LinkUserObjectIntoUserList(cSMO_UserItem* user) {
  if (user == nullptr) return;
  for (cSMO_UserItem* u = firstUser_; u != nullptr; u = u->GetNextObjectPtr()) {
    if (u == user) {
      SpReportFailure(kSource, "cSMO_SpaceMgrObject::LinkUserObjectIntoUserList", 2,
                      kMsgUserDataError);
      return;
    }
  }
  if (firstUser_ != nullptr &&
      firstUser_->GetReferenceOwner(user->GetUserReferenceNo()) != nullptr) {
    SpReportFailure(kSource, "cSMO_SpaceMgrObject::LinkUserObjectIntoUserList", 1,
                    kMsgReferenceNoError);
  }
  if (firstUser_ == nullptr) {
    firstUser_ = user;
  } else {
    firstUser_->SetupIntoOwnersList(user, &firstUser_);
  }
}

void cSMO_SpaceMgrObject::UnlinkUserObjectFromUserList(cSMO_UserItem* user) {
  if (user == nullptr) return;
  if (user == firstUser_) firstUser_ = user->GetNextObjectPtr();
  user->UnlinkFromOwnersList();
}

void cSMO_SpaceMgrObject::DisposeAllUserList() {
  SpDeleteList(firstUser_);
  firstUser_ = nullptr;
}

void cSMO_SpaceMgrObject::DisposeAllRoot() {
  SpDeleteList(firstRow_);
  SpDeleteList(firstColumn_);
  firstRow_ = firstColumn_ = nullptr;
}

// ---- cSMO_SpaceMgrObject: asking and registering --------------------------------------------

sSMO_SpaceItem* cSMO_SpaceMgrObject::FindItem(SInt32 x, SInt32 y, unsigned char includeStart,
                                              unsigned char includeEnd) const {
  cSMO_SpaceRoot* row = FindRoot(firstRow_, y, includeStart, includeEnd);
  return row != nullptr ? row->GetItemContainPosition(x, y, includeStart, includeEnd) : nullptr;
}

Boolean cSMO_SpaceMgrObject::ExistFreeSpace(SInt32 x, SInt32 y, unsigned char includeStart,
                                            unsigned char includeEnd) {
  cSMO_SpaceRoot* row = FindRoot(firstRow_, y - top_, 1, 0);
  if (row == nullptr) return false;
  const sSMO_SpaceItem* cell =
      row->GetItemContainPosition(x - left_, y - top_, includeStart, includeEnd);
  return cell != nullptr && cell->occupied == 0;
}

Boolean cSMO_SpaceMgrObject::ExistFreeSpace(SInt32 x, SInt32 y, SInt32 width, SInt32 height,
                                            SInt32& freeWidth, SInt32& freeHeight) {
  freeWidth = 0;
  freeHeight = 0;
  const SInt32 xOff = x - left_;
  const SInt32 yOff = y - top_;
  sSMO_SpaceItem* first = FindItem(xOff, yOff, 1, 0);
  if (first == nullptr || first->occupied != 0) return false;
  SInt32 reachedRight = xOff;
  SInt32 reachedBottom = yOff;
  for (const sSMO_SpaceItem* c = first; c != nullptr; c = c->rowNext) {
    for (const sSMO_SpaceItem* d = c; d != nullptr; d = d->columnNext) {
      if (d->occupied != 0) return false;
      reachedBottom = d->row->GetEndPosition();
      if (reachedBottom >= yOff + height) break;
    }
    reachedRight = c->column->GetEndPosition();
    if (reachedRight >= xOff + width) break;
  }
  if (reachedRight > xOff) freeWidth = reachedRight - xOff;
  if (reachedBottom > yOff) freeHeight = reachedBottom - yOff;
  return true;
}

cSMO_SpaceMgrObject::sEdge cSMO_SpaceMgrObject::SnapLowEdge(const cSMO_SpaceRoot* root,
                                                            SInt32 position) {
  const SInt32 start = root->GetStartPosition();
  const SInt32 end = root->GetEndPosition();
  if (position - start < kSMO_SnapDistance) return {start, false};
  if (end - position < kSMO_SnapDistance) return {end - kSMO_SnapDistance, true};
  return {position, true};
}

cSMO_SpaceMgrObject::sEdge cSMO_SpaceMgrObject::SnapHighEdge(const cSMO_SpaceRoot* root,
                                                             SInt32 position) {
  const SInt32 start = root->GetStartPosition();
  const SInt32 end = root->GetEndPosition();
  if (position - start < kSMO_SnapDistance) return {start + kSMO_SnapDistance, true};
  if (end - position < kSMO_SnapDistance) return {end, false};
  return {position, true};
}

SInt32 cSMO_SpaceMgrObject::CollectItems(SInt32 left, SInt32 top, SInt32 right, SInt32 bottom,
                                         cSMO_UserItem* owner) {
  SInt32 count = 0;
  for (cSMO_SpaceRoot* row = firstRow_; row != nullptr; row = row->GetNextObjectPtr()) {
    if (!Overlaps(row, top, bottom)) continue;
    for (sSMO_SpaceItem* c = row->GetSpaceItemListHead(); c != nullptr; c = c->rowNext) {
      if (!Overlaps(c->column, left, right)) continue;
      if (owner != nullptr) {
        owner->SetupSpaceItem(c);
      } else if (c->occupied != 0) {
        return -1;
      }
      ++count;
    }
  }
  return count;
}

unsigned char cSMO_SpaceMgrObject::RegisterSpace(SInt32 x, SInt32 y, SInt32 width,
                                                 SInt32 height, UInt32& referenceNo) {
  const char* const kMethod = "cSMO_SpaceMgrObject::RegisterSpace";
  SInt32 freeWidth = 0, freeHeight = 0;
  if (!ExistFreeSpace(x, y, width, height, freeWidth, freeHeight)) return 0;
  const SInt32 xOff = x - left_;
  const SInt32 yOff = y - top_;
  sSMO_SpaceItem* topLeft = FindItem(xOff, yOff, 1, 0);
  const sEdge top = SnapLowEdge(topLeft->row, yOff);
  const sEdge left = SnapLowEdge(topLeft->column, xOff);
  SInt32 bottom = yOff + height;
  SInt32 right = xOff + width;
  if (bottom < top.position + kSMO_SnapDistance) bottom = top.position + kSMO_SnapDistance;
  if (right < left.position + kSMO_SnapDistance) right = left.position + kSMO_SnapDistance;

  sSMO_SpaceItem* bottomRight = FindItem(right, bottom, 0, 1);
  if (bottomRight == nullptr) return 0;
  // A division refused for its position changes nothing and the registration goes on; one
  // that found no memory ends it.
  bool divided = false;
  for (const auto& [root, edge] : {std::pair{topLeft->row, top}, std::pair{topLeft->column, left}}) {
    if (!edge.divide) continue;
    const OSErr err = root->DivideRootSpace(edge.position);
    if (err == memFullErr) return 0;
    divided = divided || err == noErr;
  }
  if (divided) {
    bottomRight = FindItem(right, bottom, 0, 1);
    if (bottomRight == nullptr) return SpReportFailure(kSource, kMethod, 1, kMsgSearchError, 0);
  }
  const sEdge bottomEdge = SnapHighEdge(bottomRight->row, bottom);
  const sEdge rightEdge = SnapHighEdge(bottomRight->column, right);
  for (const auto& [root, edge] :
       {std::pair{bottomRight->row, bottomEdge}, std::pair{bottomRight->column, rightEdge}}) {
    if (edge.divide && root->DivideRootSpace(edge.position) == memFullErr) return 0;
  }
  bottom = bottomEdge.position;
  right = rightEdge.position;

  // Snapping may have widened the rectangle over cells the free-space test did not see; a
  // rectangle that would overlap another user's is refused, not shared.
  const SInt32 cells = CollectItems(left.position, top.position, right, bottom, nullptr);
  if (cells < 0) return SpReportFailure(kSource, kMethod, 2, kMsgAllocationError, 0);
  if (cells == 0) return SpReportFailure(kSource, kMethod, 3, kMsgNoCell, 0);

  const UInt32 number = firstUser_ == nullptr ? 1 : firstUser_->GetVacantUserReferenceNo();
  cSMO_UserItem* user = new (std::nothrow) cSMO_UserItem(this, number);
  if (user == nullptr) {
    referenceNo = 0;
    return SpReportFailure(kSource, kMethod, 4, kMsgNoUser, 0);
  }
  LinkUserObjectIntoUserList(user);
  user->SetupUserDemandArea(x, y, width, height);
  user->SetupOccupySpace(left.position, top.position, right - left.position,
                         bottom - top.position);
  CollectItems(left.position, top.position, right, bottom, user);
  referenceNo = number;
  return 1;
}

void cSMO_SpaceMgrObject::CancelOccupySpace(UInt32 referenceNo) {
  const char* const kMethod = "cSMO_SpaceMgrObject::CancelOccupySpace";
  if (firstUser_ == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgDataError);
    return;
  }
  cSMO_UserItem* user = firstUser_->GetReferenceOwner(referenceNo);
  if (user == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    return;
  }
  user->CancelOccupySpaceItem();
  UnlinkUserObjectFromUserList(user);
  delete user;
}

void cSMO_SpaceMgrObject::ExpandTotalSpace(SInt32 newWidth, SInt32 newHeight) {
  if (firstRow_ == nullptr || firstColumn_ == nullptr) return;
  // The last column or row grows only while no user holds a cell of it: stretching it would
  // hand that user more than it registered.
  cSMO_SpaceRoot* column = firstColumn_->GetLastObjectPtr();
  if (newWidth > 0 && newWidth > width_ && !column->HasOccupiedItem()) {
    column->SetupPosition(-1, newWidth);
    width_ = newWidth;
  }
  cSMO_SpaceRoot* row = firstRow_->GetLastObjectPtr();
  if (newHeight > 0 && newHeight > height_ && !row->HasOccupiedItem()) {
    row->SetupPosition(-1, newHeight);
    height_ = newHeight;
  }
}

unsigned char cSMO_SpaceMgrObject::GetAvailableSpaceByVerticalPosition(
    SInt32 position, SInt32 height, SInt32& start, SInt32& end, SInt32& columnReferenceNo) {
  // Absolute like every other operation: the origin is taken off, and added to the answer.
  const SInt32 top = position - top_;
  const SInt32 bottom = top + height;
  cSMO_SpaceRoot* row = FindRoot(firstRow_, top, 1, 0);
  if (row == nullptr) return 0;
  const sSMO_SpaceItem* found = nullptr;
  const sSMO_SpaceItem* foundBottom = nullptr;
  for (const sSMO_SpaceItem* c = row->GetSpaceItemListHead(); c != nullptr && found == nullptr;
       c = c->rowNext) {
    for (const sSMO_SpaceItem* d = c; d != nullptr && d->occupied == 0; d = d->columnNext) {
      if (d->row->TargetPositionInMyArea(bottom, 0, 1)) {
        found = c;
        foundBottom = d;
        break;
      }
    }
  }
  if (found == nullptr) return 0;
  SInt32 rightEnd = 0;
  bool first = true;
  for (const sSMO_SpaceItem* d = found;; d = d->columnNext) {
    const sSMO_SpaceItem* e = d;
    while (e->rowNext != nullptr && e->rowNext->occupied == 0) e = e->rowNext;
    const SInt32 reached = e->column->GetEndPosition();
    if (first || reached < rightEnd) rightEnd = reached;
    first = false;
    if (d == foundBottom) break;
  }
  start = found->column->GetStartPosition() + left_;
  end = rightEnd + left_;
  columnReferenceNo = found->column->GetReferenceNo();
  return 1;
}
