// Control-change item groups: panels of dialog items switched in and out of view as a whole.
//
// A group belongs to one control item (typically a popup or tab whose value selects the panel
// shown). It is loaded from a DITL of its own, appended to the window's dialog once, keeps its
// items hidden and inactive, and shows them when its control item makes it current. The group's
// items are numbered after the dialog's own: its first item is dialog item base + 1, where the
// base is the number of items the dialog had before the append.
//
// The items of a group may carry their own control items (deferred ones, so that they follow
// the dialog); the group keeps them in its own list, owns them and deletes them with itself.
#pragma once

#include <new>

#include "CarbonEvents.h"  // ControlRef
#include "MacMemory.h"     // Handle
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpProcEntry.h"

class cSp_Window;
class cSp_ControlItem;
class cSp_ControlChangeOutputItemGroup;

// Told after the group is shown and before it is hidden: (group, 0, user data).
typedef void (*tSpChangeOutputGroupProcPtr)(cSp_ControlChangeOutputItemGroup* group,
                                            unsigned char flag, unsigned long userData);

class cSp_ControlChangeOutputItemGroup : public cSpListLinks<cSp_ControlChangeOutputItemGroup>,
                                         public cSpMacHeapObject {
 public:
  // Appends the DITL `ditlId` to the window's dialog (the items keep the coordinates of their
  // resource), embeds each new item's control in `baseControl` when `embed` is set, and hides
  // and deactivates them. A DITL that cannot be loaded adds no items.
  cSp_ControlChangeOutputItemGroup(cSp_Window* window, ControlRef baseControl, short groupNo,
                                   short ditlId, unsigned char embed);
  ~cSp_ControlChangeOutputItemGroup();
  cSp_ControlChangeOutputItemGroup(const cSp_ControlChangeOutputItemGroup&) = delete;
  cSp_ControlChangeOutputItemGroup& operator=(const cSp_ControlChangeOutputItemGroup&) = delete;

  // From this group along the list, the first group with that number, or null.
  cSp_ControlChangeOutputItemGroup* SerchTargetGroupNoItem(short groupNo);

  short GetGroupNo() const { return groupNo_; }
  unsigned char GetOutputNowFlag() const { return shownFlag_; }
  void SetupBaseItemNum(short base) { baseItemNo_ = base; }
  short GetBaseItemNum() const { return baseItemNo_; }
  short GetItemCount() const { return itemCount_; }
  short GetDITLResourceId() const { return ditlId_; }
  cSp_ControlItem* GetFirstControlItem() const { return firstItem_; }

  // The group's control item with that own number, made (deferred) when there is none.
  cSp_ControlItem* SetupDialogContorlItem(short ownItemNo);
  // own set: `itemNo` counts within the group's DITL; clear: it is the number in the dialog.
  cSp_ControlItem* SerchDialogContorlItem(short itemNo, unsigned char own);

  // Show and hide the group's items, its texts as well as its controls (a hidden field is out
  // of reach of Tab and typing); each does nothing when the group already is so.
  void EnableOutputItem();
  void DisableOutputItem();
  void SetupChangeToEnableOutputCallback(tSpChangeOutputGroupProcPtr proc, unsigned long userData);
  void SetupChangeToDisableOutputCallback(tSpChangeOutputGroupProcPtr proc, unsigned long userData);

  // Records a text selection in the group's item (own number). A shown group applies it at
  // once; a hidden one keeps it pending and applies it when it is next shown.
  void SelectDialogItemTextOnEnableOutput(short ownItemNo, short start, short end);
  // Applies the recorded selection now.
  void SelectDialogItemTextFromReserveInfo();
  unsigned char IsSelectionPending() const { return selectionPending_; }

  // Sets the text of the group's item (own number). The item holds at most 255 bytes: a longer
  // text is cut there, on a character boundary.
  void SetupDialogEditItemText(short ownItemNo, const char* text);
  // Reads the item's text, zero-terminated, into `buffer`, which must hold 256 bytes. 1, or 0
  // when the item has no handle.
  unsigned char GetDialogEditItemText(short ownItemNo, char* buffer);

  // Embed the item's control in the base control, or in another item's control of the group.
  void EmbedItemOnBaseControl(short ownItemNo);
  void EmbedItemOnItem(short ownItemNo, short ownContainerItemNo);

  // The group's control item (or one below it) whose control is `control`, or null.
  cSp_ControlItem* SerchTargetMacOSControlRefNumItemFromItemList(ControlRef control);

 private:
  ControlRef ItemControl(short dialogItemNo) const;

  cSp_Window* window_ = nullptr;
  short groupNo_ = 0;
  short ditlId_ = 0;
  unsigned char shownFlag_ = 0;
  short baseItemNo_ = 0;
  short itemCount_ = 0;
  cSp_ControlItem* firstItem_ = nullptr;
  cSp_ControlItem* lastItem_ = nullptr;
  ControlRef baseControl_ = nullptr;
  Handle ditl_ = nullptr;
  unsigned char selectionPending_ = 0;
  short selectionItemNo_ = 0;
  short selectionStart_ = 0;
  short selectionEnd_ = 0;
  sSpCallback<tSpChangeOutputGroupProcPtr> enable_;
  sSpCallback<tSpChangeOutputGroupProcPtr> disable_;
};
