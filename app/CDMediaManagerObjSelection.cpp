// The selection across media items: the click rules with their modifier keys, ranges,
// select-all, the look of selected rows and their numbers, the program built from the
// selection, and the buttons and menu items that follow it.
//
// Rows: a whole item's entry stands at its item's row; a track's entry at its track row, or 0
// while its item is closed. The track rows of a wholly selected open CD form its group: they
// look selected through it and show their place in it as "(1)", "(2)" ...
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "Menus.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpListClass.h"
#include "SpMenu.h"
#include "SpMenuItemObj.h"
#include "SpMenuObj.h"
#include "SpOC_IconButtonControl.h"
#include "SpOC_ScrollBarControl.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "CDMediaManagerObj";

bool HasShiftOrCommand(short modifiers) {
  sSpModifiersDataStruct flags = {};
  Sp_ModifiersValueToModifiersDataInfo(modifiers, flags);
  return flags.shiftFlag || flags.commandFlag;
}

// The track rows that follow the item's own row while it shows them.
short TrackRows(const cCDR_MediaItem* item) {
  cSp_CDRProgramBaseObj* program = item->GetProgram();
  if (!item->IsOpen() || program == nullptr || !program->IsOneCDRomProgram(nullptr)) return 0;
  return short(program->GetItemCount());
}

SInt32 TrackIndexOf(cSp_CDRProgramBaseObj* program, const cSp_CDRProgramItemObj* track) {
  SInt32 index = 1;
  for (cSp_CDRProgramItemObj* t = program->GetFirstProgramItem(); t != nullptr;
       t = t->GetNextObjectPtr(), ++index) {
    if (t == track) return index;
  }
  return 0;
}

}  // namespace

// ---- Looking up ------------------------------------------------------------------------------

cCDR_SelectionMediaItem* cCDR_MediaManager::SerchTargetRowSelection(short row) {
  if (firstSelection_ == nullptr || row < 1) return nullptr;
  return firstSelection_->SerchTargetRowSelectionOnLink(row);
}

cCDR_SelectionMediaItem* cCDR_MediaManager::SerchTargetRowGroupSelection(short row) {
  if (firstSelection_ == nullptr || row < 1) return nullptr;
  return firstSelection_->SerchTargetRowGroupSelectionOnLink(row);
}

cCDR_SelectionMediaItem* cCDR_MediaManager::SerchSelectionItem(cCDR_MediaItem* item,
                                                               cSp_CDRProgramItemObj* programItem,
                                                               unsigned char groupCounts,
                                                               unsigned char* byGroup) {
  if (byGroup != nullptr) *byGroup = 0;
  if (firstSelection_ == nullptr) return nullptr;
  unsigned char group = 0;
  cCDR_SelectionMediaItem* found = firstSelection_->SerchTargetSelection(item, programItem, group);
  if (found != nullptr && group != 0 && groupCounts == 0) return nullptr;
  if (byGroup != nullptr) *byGroup = group;
  return found;
}

bool cCDR_MediaManager::IsRowSelected(short row) {
  return SerchTargetRowSelection(row) != nullptr || SerchTargetRowGroupSelection(row) != nullptr;
}

short cCDR_MediaManager::SelectionPositionOfRow(short row) {
  short position = 1;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr;
       e = e->GetNextObjectPtr(), ++position) {
    if (e->GetRow() == row) return position;
  }
  return 0;
}

void cCDR_MediaManager::CollectSelectionRows(short rows, CDR_SelectionRows& out) const {
  const std::size_t size = std::size_t(std::max<short>(rows, 0)) + 1;
  out.place.assign(size, 0);
  out.group.assign(size, nullptr);
  short position = 1;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr;
       e = e->GetNextObjectPtr(), ++position) {
    const short row = e->GetRow();
    if (out.Covers(row) && out.place[std::size_t(row)] == 0) out.place[std::size_t(row)] = position;
    short first = 0, last = 0;
    e->GetGroupRows(first, last);
    for (short r = first; first > 0 && r <= last && out.Covers(r); ++r) {
      if (out.group[std::size_t(r)] == nullptr) out.group[std::size_t(r)] = e;
    }
  }
}

void cCDR_MediaManager::GetSelectionRowRange(short& lowest, short& highest) {
  lowest = highest = 0;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    short low = e->GetRow();
    if (low == 0) low = GetMediaItemListTargetItemRowNo(e->GetMediaItem(), 0);
    short high = low;
    short first = 0, last = 0;
    e->GetGroupRows(first, last);
    if (last > 0) high = last;
    if (low == 0) continue;
    if (lowest == 0 || low < lowest) lowest = low;
    if (high > highest) highest = high;
  }
}

unsigned char cCDR_MediaManager::CheckExistTargetFileOnOneFileMediaItem(short vRefNum, SInt32 dirID,
                                                                        const char* name) {
  if (name == nullptr) return 0;
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    if (program == nullptr || !program->IsOneFileProgram(nullptr, nullptr)) continue;
    cSp_CDRProgramItemObj* file = program->GetFirstProgramItem();
    if (file != nullptr && file->GetVolumeRefNum() == vRefNum && file->GetDirID() == dirID &&
        std::strcmp(file->GetFileName(), name) == 0) {
      return 1;
    }
  }
  return 0;
}

// ---- Looks and numbers -----------------------------------------------------------------------

void cCDR_MediaManager::ChangeMediaItemListSelectionBehaivior(short row, unsigned char itemRow,
                                                              unsigned char selected,
                                                              unsigned char inGroup,
                                                              unsigned char redraw) {
  if (mediaList_ == nullptr || row < 1 || row > mediaList_->GetNumOfRow()) return;
  for (short column = 1; column <= kCDR_ColumnCount; ++column) {
    sLMgrCellBehaviorStruct behavior;
    mediaList_->GetCellBehaviorData(column, row, &behavior);
    if (itemRow != 0) {
      behavior.backColor = selected ? itemSelectedBackColor_ : itemBackColor_;
      behavior.foreColor = itemTextColor_;
    } else {
      behavior.foreColor = trackTextColor_;
      if (selected == 0) {
        behavior.backColor = trackBackColor_;
      } else if (inGroup == 0) {
        behavior.backColor = trackSelectedBackColor_;
      } else {
        behavior.backColor = column <= kCDR_IconColumn ? trackBackColor_ : groupBackColor_;
      }
    }
    behavior.backgroundOn = 1;
    mediaList_->SetCellBehaviorData(column, row, &behavior, redraw);
  }
}

void cCDR_MediaManager::MarkEntryRows(cCDR_SelectionMediaItem* entry, unsigned char selected) {
  if (entry->GetRow() > 0) {
    ChangeMediaItemListSelectionBehaivior(entry->GetRow(), entry->IsWholeItem(), selected, 0, 0);
  }
  short first = 0, last = 0;
  entry->GetGroupRows(first, last);
  for (short row = first; first > 0 && row <= last; ++row) {
    ChangeMediaItemListSelectionBehaivior(row, 0, selected, 1, 0);
    if (selected == 0) SetupMediaListSelectionItemNoOutput(entry->GetMediaItem(), row, 0, 0);
  }
  if (selected == 0 && entry->GetRow() > 0) {
    SetupMediaListSelectionItemNoOutput(entry->GetMediaItem(), entry->GetRow(), 0, 0);
  }
}

void cCDR_MediaManager::ChangeMediaItemListSelectionBehaiviorForAllSelection(unsigned char selected,
                                                                             unsigned char redraw) {
  bool done = false;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    MarkEntryRows(e, selected);
    done = true;
  }
  if (selected != 0) SetupAllMediaListSelectionItemNoOutput();
  if (done && redraw != 0 && mediaList_ != nullptr) mediaList_->ReDrawAreaUpdateView(0);
}

void cCDR_MediaManager::SetupMediaListSelectionItemNoOutput(cCDR_MediaItem*, short row,
                                                            unsigned char show, short number) {
  if (mediaList_ == nullptr || row < 1 || row > mediaList_->GetNumOfRow()) return;
  if (show == 0) {
    mediaList_->ClearDataInCell(kCDR_NumberColumn, row, 0);
    return;
  }
  const bool counted = selectionRows_ != nullptr && selectionRows_->Covers(row);
  if (number < 1) {
    number = counted ? selectionRows_->place[std::size_t(row)] : SelectionPositionOfRow(row);
  }
  if (number > 0) {
    mediaList_->SetupData(kCDR_NumberColumn, row, SInt32(number), 0);
    return;
  }
  // A track row of a wholly selected open item shows its place in that entry.
  cCDR_SelectionMediaItem* group =
      counted ? selectionRows_->group[std::size_t(row)] : SerchTargetRowGroupSelection(row);
  short first = 0, last = 0;
  if (group != nullptr) group->GetGroupRows(first, last);
  if (first == 0) {
    mediaList_->ClearDataInCell(kCDR_NumberColumn, row, 0);
    return;
  }
  const short place = group->GetReverseFlag() ? short(last - row + 1) : short(row - first + 1);
  char text[16] = "(";
  Sp_NumberToString(place, text + 1);
  std::strcat(text, ")");
  mediaList_->SetupStringData(kCDR_NumberColumn, row, text, 0);
}

void cCDR_MediaManager::SetupAllMediaListSelectionItemNoOutput() {
  short position = 1;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr;
       e = e->GetNextObjectPtr(), ++position) {
    if (e->GetRow() > 0)
      SetupMediaListSelectionItemNoOutput(e->GetMediaItem(), e->GetRow(), 1, position);
    short first = 0, last = 0;
    e->GetGroupRows(first, last);
    for (short row = first; first > 0 && row <= last; ++row) {
      SetupMediaListSelectionItemNoOutput(e->GetMediaItem(), row, 1, 0);
    }
  }
}

void cCDR_MediaManager::ModifyMediaListRowFromSelectedItem() {
  if (firstSelection_ == nullptr) return;
  const auto rows = MediaItemRows();
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    cCDR_MediaItem* item = e->GetMediaItem();
    const short itemRow = CDR_RowIn(rows, item);
    if (e->IsWholeItem()) {
      e->SetupRow(itemRow);
    } else if (TrackRows(item) > 0) {
      // A track's row follows from its number within its item.
      cSp_CDRProgramItemObj* track = e->GetProgramItem();
      cSp_CDRProgramBaseObj* program = item->GetProgram();
      cSp_CDRProgramItemObj* byNumber = program->GetProgramItem(UInt32(track->GetReferenceNo()));
      const SInt32 index =
          byNumber == track ? track->GetReferenceNo() : TrackIndexOf(program, track);
      e->SetupRow(index > 0 ? short(itemRow + index) : short(0));
    } else {
      e->SetupRow(0);
    }
  }
}

// ---- Changing the selection ----------------------------------------------------------------

void cCDR_MediaManager::AppendSelection(cCDR_SelectionMediaItem* entry) {
  SpAppendToList(firstSelection_, lastSelection_, entry);
}

void cCDR_MediaManager::SubTargetSelectionItem(cCDR_SelectionMediaItem* entry) {
  if (entry == nullptr) return;
  UnlinkSelectionEntry(entry);
  MarkEntryRows(entry, 0);
}

void cCDR_MediaManager::UnlinkSelectionEntry(cCDR_SelectionMediaItem* entry) {
  if (firstSelection_ == entry) firstSelection_ = entry->GetNextObjectPtr();
  if (lastSelection_ == entry) lastSelection_ = entry->GetBeforeObjectPtr();
  entry->UnlinkFromList();
  rangeSelection_ = 0;
}

void cCDR_MediaManager::DeleteTargetMediaItemSelection(cCDR_MediaItem* item) {
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr;) {
    cCDR_SelectionMediaItem* next = e->GetNextObjectPtr();
    if (e->GetMediaItem() == item) {
      SubTargetSelectionItem(e);
      delete e;
    }
    e = next;
  }
}

void cCDR_MediaManager::ClearMediaListSelection(unsigned char redraw) {
  bool had = firstSelection_ != nullptr;
  while (firstSelection_ != nullptr) {
    cCDR_SelectionMediaItem* entry = firstSelection_;
    SubTargetSelectionItem(entry);
    delete entry;
  }
  rangeSelection_ = 0;
  if (had && redraw != 0 && mediaList_ != nullptr) mediaList_->ReDrawAreaUpdateView(0);
}

unsigned char cCDR_MediaManager::AddTargetMediaItemSelection(
    cCDR_MediaItem* item, cSp_CDRProgramItemObj* programItem, short row, unsigned char reverse,
    unsigned char skipIfSelected, unsigned char outputNumbers, unsigned char redraw) {
  static const char kMethod[] = "cCDR_MediaManager::AddTargetMediaItemSelection";
  if (item == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  if (skipIfSelected != 0 &&
      ((row > 0 && IsRowSelected(row)) || SerchSelectionItem(item, programItem, 1, nullptr))) {
    return 0;
  }
  const tSelectionMediaItemType type = programItem != nullptr
                                           ? tSelectionMediaItemType(kCDR_SelectionTrack)
                                           : CDR_SelectionTypeOfItem(item);
  auto* entry = new (std::nothrow) cCDR_SelectionMediaItem(type, item, programItem, row);
  if (entry == nullptr) return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, (unsigned char)0);
  entry->SetupReverseFlag(programItem == nullptr ? reverse : 0);
  AppendSelection(entry);
  MarkEntryRows(entry, 1);
  rangeSelection_ = 0;
  if (outputNumbers != 0) SetupAllMediaListSelectionItemNoOutput();
  if (redraw != 0 && mediaList_ != nullptr) mediaList_->ReDrawAreaUpdateView(0);
  return 1;
}

unsigned char cCDR_MediaManager::AddTargetRowSelection(short row, unsigned char reverse,
                                                       unsigned char skipIfSelected,
                                                       unsigned char outputNumbers,
                                                       unsigned char redraw) {
  cCDR_MediaItem* item = nullptr;
  cSp_CDRProgramItemObj* track = nullptr;
  if (!SerchTargetMediaItemListItem(row, &item, &track)) {
    return SpReportFailure(kSource, "cCDR_MediaManager::AddTargetRowSelection", 1, kSpMsgDataError,
                           (unsigned char)0);
  }
  if (track == nullptr) {
    // The whole item takes the place of its tracks' entries.
    for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr;) {
      cCDR_SelectionMediaItem* next = e->GetNextObjectPtr();
      if (e->GetMediaItem() == item && !e->IsWholeItem()) {
        SubTargetSelectionItem(e);
        delete e;
      }
      e = next;
    }
  }
  return AddTargetMediaItemSelection(item, track, row, reverse, skipIfSelected, outputNumbers,
                                     redraw);
}

unsigned char cCDR_MediaManager::AddSequentialMultiSelection(short from, short to,
                                                             unsigned char range,
                                                             unsigned char outputNumbers,
                                                             unsigned char redraw) {
  const short rows = GetMediaItemListRowNum();
  if (rows < 1) return 0;
  if (from == 0) from = 1;
  if (to == 0) to = 1;
  if (from < 0 || from > rows) from = rows;
  if (to < 0 || to > rows) to = rows;
  const bool wasEmpty = firstSelection_ == nullptr;
  const bool down = to >= from;
  const short low = std::min(from, to), high = std::max(from, to);
  cCDR_MediaItem* item = nullptr;
  SerchTargetMediaItemListItem(from, &item, nullptr);
  bool added = false;
  const auto itemRows = MediaItemRows();
  for (; item != nullptr; item = down ? item->GetNextObjectPtr() : item->GetBeforeObjectPtr()) {
    const short itemRow = CDR_RowIn(itemRows, item);
    const short tracks = TrackRows(item);
    if (down ? itemRow > high : itemRow + tracks < low) break;
    const bool ownRowIn = itemRow >= low && itemRow <= high;
    const bool allTracksIn = tracks > 0 && itemRow + 1 >= low && itemRow + tracks <= high;
    const unsigned char reverse = down ? 0 : 1;
    if (tracks == 0 || ownRowIn || (range != 0 && allTracksIn)) {
      added |= AddTargetMediaItemSelection(item, nullptr, itemRow, reverse, 1, 0, 0) != 0;
      continue;
    }
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    for (short n = down ? 1 : tracks; down ? n <= tracks : n >= 1; n = short(n + (down ? 1 : -1))) {
      const short row = short(itemRow + n);
      if (row < low || row > high) continue;
      added |= AddTargetMediaItemSelection(item, program->GetProgramItem(UInt32(n)), row, 0, 1, 0,
                                           0) != 0;
    }
  }
  rangeSelection_ = (wasEmpty && from != to) ? 1 : 0;
  if (added && outputNumbers != 0) SetupAllMediaListSelectionItemNoOutput();
  if (added && redraw != 0 && mediaList_ != nullptr) mediaList_->ReDrawAreaUpdateView(0);
  return added ? 1 : 0;
}

// ---- Clicks --------------------------------------------------------------------------------

unsigned char cCDR_MediaManager::SetupMediaListSelectionFromRowNo(short row, short modifiers,
                                                                  unsigned char outputNumbers,
                                                                  unsigned char redraw) {
  sSpModifiersDataStruct flags = {};
  Sp_ModifiersValueToModifiersDataInfo(modifiers, flags);
  bool changed = false;
  if (row < 1 || row > GetMediaItemListRowNum()) {
    if (!HasShiftOrCommand(modifiers) && firstSelection_ != nullptr) {
      ClearMediaListSelection(0);
      changed = true;
    }
  } else if (firstSelection_ == nullptr) {
    changed = AddTargetRowSelection(row, 0, 1, 0, 0) != 0;
  } else if (flags.shiftFlag) {
    ApplyShiftClick(row);
    changed = true;
  } else if (flags.commandFlag) {
    ApplyCommandClick(row);
    changed = true;
  } else if (!IsRowSelected(row)) {
    ClearMediaListSelection(0);
    AddTargetRowSelection(row, 0, 1, 0, 0);
    changed = true;
  }
  if (!changed) return 0;
  if (outputNumbers != 0) SetupAllMediaListSelectionItemNoOutput();
  if (redraw != 0 && mediaList_ != nullptr) mediaList_->ReDrawAreaUpdateView(0);
  return 1;
}

void cCDR_MediaManager::ApplyShiftClick(short row) {
  short anchor = firstSelection_->GetRow();
  if (anchor == 0) anchor = GetMediaItemListTargetItemRowNo(firstSelection_->GetMediaItem(), 0);
  short lowest = 0, highest = 0;
  GetSelectionRowRange(lowest, highest);
  if (rangeSelection_ == 0) {
    if (row != anchor) {
      LayRange(anchor, row);
    } else if (firstSelection_->GetNextObjectPtr() != nullptr || firstSelection_->GetRow() != row) {
      ClearMediaListSelection(0);
      AddTargetRowSelection(row, 0, 1, 0, 0);
    }
    return;
  }
  short newLow = lowest, newHigh = highest;
  if (row < lowest) {
    newLow = row;
  } else if (row > highest) {
    newHigh = row;
  } else if (row == lowest || row == highest) {
    return;
  } else if (row <= RangeMiddleRow(lowest, highest)) {
    newLow = row;
  } else {
    newHigh = row;
  }
  // The range runs from the end it was started at; when that end moved, from the end kept.
  const short kept = (newLow == row) ? newHigh : newLow;
  const short start = (anchor == newLow || anchor == newHigh) ? anchor : kept;
  LayRange(start, start == newLow ? newHigh : newLow);
}

void cCDR_MediaManager::LayRange(short anchor, short other) {
  ClearMediaListSelection(0);
  AddSequentialMultiSelection(anchor, other, 1, 0, 0);
}

short cCDR_MediaManager::RangeMiddleRow(short lowest, short highest) {
  const short mean = short((lowest + highest) / 2);
  SInt32 entries = 0;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    ++entries;
  }
  if (entries < 3 || highest - lowest == 2) return mean;
  std::vector<short> lastRows;
  const auto rows = MediaItemRows();
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    const short itemRow = CDR_RowIn(rows, item);
    const short last = short(itemRow + TrackRows(item));
    if (last >= lowest && itemRow <= highest) lastRows.push_back(last);
  }
  if (lastRows.size() < 3) return mean;
  const std::size_t middle = std::max<std::size_t>(lastRows.size() / 2, 1);
  return lastRows[middle - 1];
}

void cCDR_MediaManager::ApplyCommandClick(short row) {
  if (cCDR_SelectionMediaItem* entry = SerchTargetRowSelection(row)) {
    SubTargetSelectionItem(entry);
    delete entry;
    return;
  }
  cCDR_SelectionMediaItem* group = SerchTargetRowGroupSelection(row);
  if (group == nullptr) {
    AddTargetRowSelection(row, 0, 0, 0, 0);
    return;
  }
  // The other tracks of the item stay selected, each by itself.
  cCDR_MediaItem* item = group->GetMediaItem();
  short first = 0, last = 0;
  group->GetGroupRows(first, last);
  SubTargetSelectionItem(group);
  delete group;
  cSp_CDRProgramBaseObj* program = item->GetProgram();
  for (short r = first; r <= last; ++r) {
    AddTargetMediaItemSelection(item, program->GetProgramItem(UInt32(r - first + 1)), r, 0, 0, 0,
                                0);
  }
  if (cCDR_SelectionMediaItem* clicked = SerchTargetRowSelection(row)) {
    SubTargetSelectionItem(clicked);
    delete clicked;
  }
}

void cCDR_MediaManager::SetupMediaListItemSelection(short row, cCDR_MediaItem* item,
                                                    cSp_CDRProgramItemObj* programItem,
                                                    unsigned char redraw) {
  if (firstSelection_ != nullptr && firstSelection_ == lastSelection_ &&
      firstSelection_->GetRow() == row && firstSelection_->GetMediaItem() == item &&
      firstSelection_->GetProgramItem() == programItem) {
    return;
  }
  ClearMediaListSelection(0);
  AddTargetMediaItemSelection(item, programItem, row, 0, 0, 1, 0);
  SetupMediaWindowStatusForMediaListSelection(0, 0);
  if (redraw != 0 && mediaList_ != nullptr) mediaList_->ReDrawAreaUpdateView(0);
}

unsigned char cCDR_MediaManager::OutputSelectionItemOnMediaItemList(unsigned char updateScrollBar) {
  if (mediaList_ == nullptr || lastSelection_ == nullptr) return 0;
  short row = lastSelection_->GetRow();
  if (row == 0) row = GetMediaItemListTargetItemRowNo(lastSelection_->GetMediaItem(), 0);
  if (row == 0) return 0;
  const Boolean scrolled = mediaList_->ScrollWithTargetCellOutput(row, -1, 0, 1, 0);
  if (scrolled && updateScrollBar != 0 && scrollBar_ != nullptr) {
    scrollBar_->SetupScrollValueFromTargetView(0, 1, 0, 1);
  }
  return scrolled ? 1 : 0;
}

// ---- Select all ----------------------------------------------------------------------------

void cCDR_MediaManager::SelectAll(unsigned char fresh, unsigned char reduceFirst,
                                  unsigned char redraw) {
  if (firstMediaItem_ == nullptr) return;
  bool added = false;
  if (fresh != 0 || firstSelection_ == nullptr) {
    ClearMediaListSelection(0);
    const auto rows = MediaItemRows();
    for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
      added |= AddTargetMediaItemSelection(item, nullptr, CDR_RowIn(rows, item), 0, 0, 0, 0) != 0;
    }
  } else {
    if (reduceFirst != 0) {
      while (lastSelection_ != firstSelection_) {
        cCDR_SelectionMediaItem* entry = lastSelection_;
        SubTargetSelectionItem(entry);
        delete entry;
      }
    }
    bool forward;
    cCDR_SelectionMediaItem* second = firstSelection_->GetNextObjectPtr();
    if (second == nullptr) {
      short row = firstSelection_->GetRow();
      if (row == 0) row = GetMediaItemListTargetItemRowNo(firstSelection_->GetMediaItem(), 0);
      forward = row * 2 <= GetMediaItemListRowNum() + 1;
    } else {
      forward = firstSelection_->GetRow() <= second->GetRow();
    }
    added = SelectAllFrom(forward) != 0;
  }
  if (!added) return;
  SetupAllMediaListSelectionItemNoOutput();
  if (redraw != 0 && mediaList_ != nullptr) mediaList_->ReDrawAreaUpdateView(0);
  SetupMediaWindowStatusForMediaListSelection(1, 0);
}

// Walks the items from the first entry's item in the direction, round to it again, adding
// what is not selected yet.
unsigned char cCDR_MediaManager::SelectAllFrom(bool forward) {
  cCDR_SelectionMediaItem* first = firstSelection_;
  cCDR_MediaItem* start = first->GetMediaItem();
  cSp_CDRProgramItemObj* startTrack = first->GetProgramItem();
  const unsigned char reverse = forward ? 0 : 1;
  bool added = false;
  // What was selected before the walk, looked up once: the walk visits each item once and adds
  // entries only for the item it visits, so for an item still ahead these stay true.
  const auto rows = MediaItemRows();
  std::unordered_set<const cCDR_MediaItem*> entered;
  std::unordered_set<short> selectedRows;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    entered.insert(e->GetMediaItem());
    if (e->GetRow() > 0) selectedRows.insert(e->GetRow());
    short groupFirst = 0, groupLast = 0;
    e->GetGroupRows(groupFirst, groupLast);
    for (short row = groupFirst; groupFirst > 0 && row <= groupLast; ++row) selectedRows.insert(row);
  }
  // Adds the unselected tracks of the item with indexes in [from, to], in the walk's order.
  auto addTracks = [&](cCDR_MediaItem* item, SInt32 from, SInt32 to) {
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    const short itemRow = CDR_RowIn(rows, item);
    const bool shown = TrackRows(item) > 0;
    for (SInt32 n = forward ? from : to; forward ? n <= to : n >= from; n += forward ? 1 : -1) {
      cSp_CDRProgramItemObj* track = program->GetProgramItem(UInt32(n));
      if (track == nullptr || SerchSelectionItem(item, track, 1, nullptr) != nullptr) continue;
      added |= AddTargetMediaItemSelection(item, track, shown ? short(itemRow + n) : short(0),
                                           reverse, 1, 0, 0) != 0;
    }
  };
  auto wholeOrTracks = [&](cCDR_MediaItem* item) {
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    const short itemRow = CDR_RowIn(rows, item);
    if (entered.count(item) == 0) {
      // Nothing of it is selected: the whole item, unless its row is.
      if (itemRow <= 0 || selectedRows.count(itemRow) == 0) {
        added |= AddTargetMediaItemSelection(item, nullptr, itemRow, reverse, 0, 0, 0) != 0;
      }
      return;
    }
    unsigned char byGroup = 0;
    cCDR_SelectionMediaItem* any = SerchSelectionItem(item, nullptr, 1, &byGroup);
    if (any != nullptr) return;  // already selected whole
    bool someTrack = false;
    for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
      if (e->GetMediaItem() == item) someTrack = true;
    }
    const SInt32 count = program != nullptr ? program->GetItemCount() : 0;
    if (!someTrack || count <= 1 || program->IsOneFileProgram(nullptr, nullptr)) {
      added |= AddTargetMediaItemSelection(item, nullptr, itemRow, reverse, 1, 0, 0) != 0;
    } else {
      addTracks(item, 1, count);
    }
  };
  auto step = [&](cCDR_MediaItem* item) {
    cCDR_MediaItem* next = forward ? item->GetNextObjectPtr() : item->GetBeforeObjectPtr();
    if (next == nullptr) next = forward ? firstMediaItem_ : lastMediaItem_;
    return next;
  };
  SInt32 startIndex = 0;
  if (startTrack != nullptr) {
    startIndex = TrackIndexOf(start->GetProgram(), startTrack);
    const SInt32 count = start->GetProgram()->GetItemCount();
    if (forward) {
      addTracks(start, startIndex + 1, count);
    } else {
      addTracks(start, 1, startIndex - 1);
    }
  }
  for (cCDR_MediaItem* item = step(start); item != start; item = step(item)) wholeOrTracks(item);
  if (startTrack != nullptr) {
    const SInt32 count = start->GetProgram()->GetItemCount();
    if (forward) {
      addTracks(start, 1, startIndex - 1);
    } else {
      addTracks(start, startIndex + 1, count);
    }
  }
  return added ? 1 : 0;
}

// ---- The program to save -------------------------------------------------------------------

cSp_CDRProgramBaseObj* cCDR_MediaManager::CreateProgramBaseFromSelection() {
  static const char kMethod[] = "cCDR_MediaManager::CreateProgramBaseFromSelection";
  cSp_CDRProgramBaseObj* program = SpCDR_CreateNewProgramBaseObject();
  if (program == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgMemory, (cSp_CDRProgramBaseObj*)nullptr);
  }
  auto copy = [&](const cSp_CDRProgramItemObj* source) {
    cSp_CDRProgramItemObj* item = program->NewProgramItem(-1);
    if (item == nullptr) return false;
    item->CopyDataFromTarget(source);
    return true;
  };
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* from = e->GetMediaItem()->GetProgram();
    bool ok = true;
    if (!e->IsWholeItem()) {
      ok = copy(e->GetProgramItem());
    } else if (from != nullptr) {
      const bool reverse = e->GetReverseFlag() != 0;
      for (cSp_CDRProgramItemObj* t = reverse ? from->GetLastProgramItem()
                                              : from->GetFirstProgramItem();
           ok && t != nullptr; t = reverse ? t->GetBeforeObjectPtr() : t->GetNextObjectPtr()) {
        ok = copy(t);
      }
    }
    if (!ok) {
      Sp_CDDisposeProgram(program);
      return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, (cSp_CDRProgramBaseObj*)nullptr);
    }
  }
  return program;
}

// ---- Buttons and menus ---------------------------------------------------------------------

void cCDR_MediaManager::SetupMediaWindowStatusForMediaListSelection(unsigned char drawMenuBar,
                                                                    unsigned char saving) {
  const short bar = CDR_CurrentMenuBarID();
  const short file = CDR_CurrentFileMenuID();
  if (saving != 0) {
    for (cSp_OriginalIconButtonControl* b : {saveButton_, addButton_, removeButton_}) {
      if (b != nullptr) b->SetupHiliteFlag(1);
    }
    Sp_DisableMenu(bar, kCDR_AppleMenuID, 0);
    Sp_DisableMenu(bar, file, 0);
    if (drawMenuBar != 0) DrawMenuBar();
    return;
  }
  if (addButton_ != nullptr) addButton_->SetupHiliteFlag(0);
  Sp_EnableMenu(bar, kCDR_AppleMenuID, 0);
  Sp_EnableMenu(bar, file, 0);
  SInt32 tracks = 0;
  bool holdsCD = false, holdsFile = false;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = e->GetMediaItem()->GetProgram();
    if (e->IsWholeItem()) {
      tracks += program != nullptr ? program->GetItemCount() : 0;
      holdsCD |= e->GetType() == kCDR_SelectionCDItem;
      holdsFile |= e->GetType() == kCDR_SelectionFileItem;
    } else {
      ++tracks;
      holdsCD |= e->GetProgramItem()->GetItemType() == kSpCDRProgItemCDTrack;
      holdsFile |= e->GetProgramItem()->GetItemType() == kSpCDRProgItemSoundFile;
    }
  }
  const bool any = firstSelection_ != nullptr;
  if (saveButton_ != nullptr) saveButton_->SetupHiliteFlag(any ? 0 : 1);
  if (removeButton_ != nullptr) {
    if (any && holdsFile && !holdsCD) {
      removeButton_->SetupHiliteFlag(0);
      removeButton_->EnableButtonOutput(0);
    } else {
      removeButton_->DisableButtonOutput(0);
    }
  }
  auto enable = [&](SInt32 item, bool on) {
    if (on) {
      Sp_EnableMenuItem(bar, file, item, 0);
    } else {
      Sp_DisableMenuItem(bar, file, item, 0);
    }
  };
  enable(kCDR_FileEjectItem, any && holdsCD);
  enable(kCDR_FileSaveEachItem, any && tracks >= 2);
  enable(kCDR_FileSaveOneItem, any);
  const std::string name = SpCDR_MJ(any && tracks >= 2 ? "ひとつに保存..." : "保存...");
  if (cSpMenu* menu = Sp_GetMenuObjOnTargetMenuBar(bar, file)) {
    cSpMenuItem* save = menu->GetMenuItemByReferenceNo(kCDR_FileSaveOneItem);
    if (save != nullptr && !save->EqualItemName(name.c_str())) save->SetupItemName(name.c_str());
  }
  if (drawMenuBar != 0) DrawMenuBar();
}
