// One entry of the media window's selection, which keeps the order in which the user picked
// whole media items and single tracks: saving writes the tracks in that order.
//
// An entry points at its media item and, for a single track, at that track's program item;
// neither is owned. Its row is the row of the media list that shows it (0 while it is not
// shown, as for a track of a closed item).
#pragma once

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cCDR_MediaItem;
class cSp_CDRProgramItemObj;

// What an entry holds.
typedef UInt8 tSelectionMediaItemType;
enum : tSelectionMediaItemType {
  kCDR_SelectionNone = 0,
  kCDR_SelectionCDItem = 1,     // a whole media item with a CD program
  kCDR_SelectionFileItem = 2,   // a whole media item with a one-file program
  kCDR_SelectionOtherItem = 3,  // a whole media item with another kind of program
  kCDR_SelectionTrack = 4,      // one track (program item)
};

class cCDR_SelectionMediaItem : public cSpListLinks<cCDR_SelectionMediaItem>,
                                public cSpMacHeapObject {
 public:
  cCDR_SelectionMediaItem(tSelectionMediaItemType type, cCDR_MediaItem* item,
                          cSp_CDRProgramItemObj* programItem, short row);
  ~cCDR_SelectionMediaItem() {}
  cCDR_SelectionMediaItem(const cCDR_SelectionMediaItem&) = delete;
  cCDR_SelectionMediaItem& operator=(const cCDR_SelectionMediaItem&) = delete;

  void InitializeObjItem();

  // From this entry on: the entry of exactly that item and program item; when there is none
  // and a program item was given, the whole-item entry of the media item (byGroup set to 1);
  // else null.
  cCDR_SelectionMediaItem* SerchTargetSelection(cCDR_MediaItem* item,
                                                cSp_CDRProgramItemObj* programItem,
                                                unsigned char& byGroup);
  // From this entry on: the first entry shown at that row.
  cCDR_SelectionMediaItem* SerchTargetRowSelectionOnLink(short row);
  // From this entry on: the first whole-item entry above the row whose item is a CD or
  // another multi-track program, open with more than one track, and whose track rows reach
  // the row.
  cCDR_SelectionMediaItem* SerchTargetRowGroupSelectionOnLink(short row);

  tSelectionMediaItemType GetType() const { return type_; }
  // A whole media item rather than one track.
  bool IsWholeItem() const { return programItem_ == nullptr; }
  unsigned char GetReverseFlag() const { return reverse_; }
  void SetupReverseFlag(unsigned char reverse) { reverse_ = reverse; }
  cCDR_MediaItem* GetMediaItem() const { return item_; }
  cSp_CDRProgramItemObj* GetProgramItem() const { return programItem_; }
  short GetRow() const { return row_; }
  void SetupRow(short row) { row_ = row; }
  // The track rows of a whole open item that groups its tracks: first and last row (0, 0
  // when the entry groups none).
  void GetGroupRows(short& first, short& last) const;

  // Takes the entry out of its list, joining its neighbours (the owner mends its ends).
  void UnlinkFromList() { UnlinkSelf(); }

 private:
  tSelectionMediaItemType type_ = kCDR_SelectionNone;
  unsigned char reverse_ = 0;
  cCDR_MediaItem* item_ = nullptr;
  cSp_CDRProgramItemObj* programItem_ = nullptr;
  short row_ = 0;
};

// The selection type of a whole media item, by its program (1 CD, 2 one file, 3 other).
tSelectionMediaItemType CDR_SelectionTypeOfItem(const cCDR_MediaItem* item);

// Copies a selection list: the first copy (and the last through `last` when given), or null
// when it is empty or an entry cannot be made (every copy made so far is then destroyed).
// Entries without a media item are skipped. With expand, a whole-item entry becomes one track
// entry per program item: first to last with rows counting up from the item's row + 1, or,
// with its reverse flag, last to first with rows counting down from the item's row + its
// track count (rows 0 when the item is closed); the copies' reverse flags are clear.
cCDR_SelectionMediaItem* CDRMM_CopySelectionMediaItemList(cCDR_SelectionMediaItem* first,
                                                          unsigned char expand,
                                                          cCDR_SelectionMediaItem** last);
