#include "CDMediaMgrSelItemObj.h"

#include "CDMediaItemObj.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "CDMediaMgrSelItemObj";

cCDR_SelectionMediaItem* NewEntry(tSelectionMediaItemType type, cCDR_MediaItem* item,
                                  cSp_CDRProgramItemObj* programItem, short row,
                                  unsigned char reverse) {
  auto* entry = new (std::nothrow) cCDR_SelectionMediaItem(type, item, programItem, row);
  if (entry == nullptr) {
    return SpReportFailure(kSource, "CDRMM_CopySelectionMediaItemList", 1, kSpMsgMemory,
                           (cCDR_SelectionMediaItem*)nullptr);
  }
  entry->SetupReverseFlag(reverse);
  return entry;
}

// One track entry per program item of the whole-item entry, in its order.
bool ExpandWholeItem(const cCDR_SelectionMediaItem& entry, cCDR_SelectionMediaItem*& head,
                     cCDR_SelectionMediaItem*& tail) {
  cCDR_MediaItem* item = entry.GetMediaItem();
  cSp_CDRProgramBaseObj* program = item->GetProgram();
  if (program == nullptr) return true;
  const bool shown = item->IsOpen() && entry.GetRow() > 0;
  const bool reverse = entry.GetReverseFlag() != 0;
  const short count = short(program->GetItemCount());
  short row = short(entry.GetRow() + (reverse ? count : 1));
  for (cSp_CDRProgramItemObj* track = reverse ? program->GetLastProgramItem()
                                              : program->GetFirstProgramItem();
       track != nullptr;
       track = reverse ? track->GetBeforeObjectPtr() : track->GetNextObjectPtr()) {
    cCDR_SelectionMediaItem* copy =
        NewEntry(kCDR_SelectionTrack, item, track, shown ? row : short(0), 0);
    if (copy == nullptr) return false;
    SpAppendToList(head, tail, copy);
    row = short(row + (reverse ? -1 : 1));
  }
  return true;
}

}  // namespace

cCDR_SelectionMediaItem::cCDR_SelectionMediaItem(tSelectionMediaItemType type, cCDR_MediaItem* item,
                                                 cSp_CDRProgramItemObj* programItem, short row) {
  InitializeObjItem();
  type_ = type;
  item_ = item;
  programItem_ = programItem;
  row_ = row;
}

void cCDR_SelectionMediaItem::InitializeObjItem() {
  type_ = kCDR_SelectionNone;
  reverse_ = 0;
  item_ = nullptr;
  programItem_ = nullptr;
  row_ = 0;
}

cCDR_SelectionMediaItem* cCDR_SelectionMediaItem::SerchTargetSelection(
    cCDR_MediaItem* item, cSp_CDRProgramItemObj* programItem, unsigned char& byGroup) {
  byGroup = 0;
  for (cCDR_SelectionMediaItem* e = this; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->item_ == item && e->programItem_ == programItem) return e;
  }
  if (programItem == nullptr) return nullptr;
  for (cCDR_SelectionMediaItem* e = this; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->item_ == item && e->IsWholeItem()) {
      byGroup = 1;
      return e;
    }
  }
  return nullptr;
}

cCDR_SelectionMediaItem* cCDR_SelectionMediaItem::SerchTargetRowSelectionOnLink(short row) {
  for (cCDR_SelectionMediaItem* e = this; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->row_ == row) return e;
  }
  return nullptr;
}

cCDR_SelectionMediaItem* cCDR_SelectionMediaItem::SerchTargetRowGroupSelectionOnLink(short row) {
  for (cCDR_SelectionMediaItem* e = this; e != nullptr; e = e->GetNextObjectPtr()) {
    short first = 0, last = 0;
    e->GetGroupRows(first, last);
    if (first > 0 && row >= first && row <= last) return e;
  }
  return nullptr;
}

void cCDR_SelectionMediaItem::GetGroupRows(short& first, short& last) const {
  first = last = 0;
  if (!IsWholeItem() || item_ == nullptr || row_ <= 0 || !item_->IsOpen()) return;
  if (type_ != kCDR_SelectionCDItem && type_ != kCDR_SelectionOtherItem) return;
  cSp_CDRProgramBaseObj* program = item_->GetProgram();
  if (program == nullptr || program->GetItemCount() < 2) return;
  first = short(row_ + 1);
  last = short(row_ + program->GetItemCount());
}

tSelectionMediaItemType CDR_SelectionTypeOfItem(const cCDR_MediaItem* item) {
  cSp_CDRProgramBaseObj* program = item != nullptr ? item->GetProgram() : nullptr;
  if (program == nullptr) return kCDR_SelectionOtherItem;
  switch (program->GetProgramType()) {
    case kSpProgramTypeCD:
      return kCDR_SelectionCDItem;
    case kSpProgramTypeOneFile:
      return kCDR_SelectionFileItem;
    default:
      return kCDR_SelectionOtherItem;
  }
}

cCDR_SelectionMediaItem* CDRMM_CopySelectionMediaItemList(cCDR_SelectionMediaItem* first,
                                                          unsigned char expand,
                                                          cCDR_SelectionMediaItem** last) {
  cCDR_SelectionMediaItem* head = nullptr;
  cCDR_SelectionMediaItem* tail = nullptr;
  for (cCDR_SelectionMediaItem* e = first; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->GetMediaItem() == nullptr) continue;
    bool made = true;
    if (expand != 0 && e->IsWholeItem()) {
      made = ExpandWholeItem(*e, head, tail);
    } else {
      cCDR_SelectionMediaItem* copy = NewEntry(e->GetType(), e->GetMediaItem(), e->GetProgramItem(),
                                               e->GetRow(), e->GetReverseFlag());
      made = copy != nullptr;
      if (made) SpAppendToList(head, tail, copy);
    }
    if (!made) {
      SpDeleteList(head);
      if (last != nullptr) *last = nullptr;
      return nullptr;
    }
  }
  if (last != nullptr) *last = tail;
  return head;
}
