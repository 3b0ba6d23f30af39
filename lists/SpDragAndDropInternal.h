// What the drop targets and the drag-and-drop manager share: the operations of the targets'
// two lists and the messages of their error-log records. Not for the targets' users.
#pragma once

#include "SpDragAndDropObject.h"

namespace sp_ddo_detail {

extern const char kSourceDrop[];          // "SpDragAndDropObject"
extern const char kMsgArgumentNull[];     // "Argument is null !! "
extern const char kMsgArgumentNullCap[];  // "Argument is Null !! "
extern const char kMsgDataErrorLower[];   // "Data error !! "
extern const char kMsgDataLinkError[];    // "Data Link Error !! "

typedef sDDO_Links cDropCatchObject::*tLinks;

struct Fields {
  static constexpr tLinks flat = &cDropCatchObject::flat_;    // the window's flat list
  static constexpr tLinks layer = &cDropCatchObject::layer_;  // a layer list
};

cDropCatchObject* LastOf(cDropCatchObject* item, tLinks f);
// Inserts the chain from `chain` (to its last) right after `self`.
void LinkChainAfter(cDropCatchObject* self, cDropCatchObject* chain, tLinks f);
// Cuts the chain after `self`; answers what followed, a chain of its own.
cDropCatchObject* CutAfter(cDropCatchObject* self, tLinks f);

// A list held by its first and last item (a layer list unless `f` says otherwise).
bool Contains(cDropCatchObject* first, const cDropCatchObject* item, tLinks f = Fields::layer);
void Append(cDropCatchObject*& first, cDropCatchObject*& last, cDropCatchObject* item,
            tLinks f = Fields::layer);
// Takes the item out, joining its neighbours. False for a damaged list (the item has no
// previous item yet is not the first): the first item is then left as it was.
bool TakeOut(cDropCatchObject*& first, cDropCatchObject*& last, cDropCatchObject* item,
             tLinks f = Fields::layer);
// Moves the item to the position from 1 (below 1: the bottom; past the end: the top).
void MoveTo(cDropCatchObject*& first, cDropCatchObject*& last, cDropCatchObject* item,
            SInt32 position);

}  // namespace sp_ddo_detail
